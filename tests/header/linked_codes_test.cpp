// The linked reason codes of the header on the demo database: what the lookups of
// TXT_CAUCOLL and TXT_CAUCOLLRIF offer, checked against the compatibility rule computed here
// from the stored tables (mandatory model fields, account-type checks, data movement), the
// descriptions of stored codes, and the refusals of what cannot be linked.

#include "header_fixture.h"

#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/check_list.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/main_navigator.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"

#include <QLineEdit>
#include <QMap>
#include <QSet>

namespace headertest {
namespace {

using causali::FRMCI_CAUSALI;
using causali::HeaderPanel;
using Kind = testsupport::ScriptedDialogs::Kind;
using LinkedBox = HeaderPanel::LinkedBox;

constexpr int AllTypes = (1 << 10) - 1;

// Account types of a side as bits (type i = bit i).
int typeBits(const host::CheckList *list)
{
    int bits = 0;
    for (int i = 0; i < 10; ++i)
        bits |= list->isTicked(i) ? 1 << i : 0;
    return bits;
}

class LinkedCodesTest : public HeaderTest
{
protected:
    struct StoredCode
    {
        QString model;
        QString modelType;
        int movement = 0;
        int debit = AllTypes; // accepted types; nothing ticked accepts every type
        int credit = AllTypes;
    };

    QMap<QString, StoredCode> storedCodes() const
    {
        QMap<QString, StoredCode> codes;
        for (const QStringList &r :
             rows(QStringLiteral("SELECT CI03_CODCAUS, CI03_MODELLO_CI04, CI03_INDSTAPER_CI04,"
                                 " CI03_INDTIPOMOVDATI FROM CI03_CAUSALI")))
            codes[r[0]] = StoredCode{r[1], r[2], r[3].toInt()};
        for (const QStringList &r : rows(QStringLiteral(
                 "SELECT CI11_CODCAUS_CI03, CI11_SEGNO, CI11_FLGCOLLEG + 2 * CI11_FLGTRANSIT"
                 " + 4 * CI11_FLGCOMPET + 8 * CI11_FLGCDC + 16 * CI11_FLGLAVPROG"
                 " + 32 * CI11_FLGMAGAZ + 64 * CI11_FLGMARGLORDI + 128 * CI11_FLGMARGNETTI"
                 " + 256 * CI11_FLGRISULT + 512 * CI11_FLGALTRITIPI FROM CI11_CONTROLLOCONTI"))) {
            const int bits = r[2].toInt() == 0 ? AllTypes : r[2].toInt();
            (r[1] == QLatin1String("1") ? codes[r[0]].debit : codes[r[0]].credit) = bits;
        }
        return codes;
    }

    QSet<QString> mandatoryFields(const QString &model, const QString &modelType) const
    {
        QSet<QString> fields;
        for (const QStringList &r :
             rows(QStringLiteral(
                      "SELECT FW28_FIELDNAME FROM FW28_DESIGNCAMPI WHERE FW28_INDMODULO_FW25 = 2"
                      " AND FW28_MODELLO_FW25 = '%1' AND FW28_INDSTAPER_FW25 = %2"
                      " AND FW28_FLGVISIBILE = 1 AND FW28_FLGABILITATO = 1 AND FW28_OBBLIGATORIO = "
                      "1")
                      .arg(model, modelType)))
            fields.insert(r[0]);
        return fields;
    }

    // The codes the box may take for the code, model, movement and ticks the header shows now.
    QStringList compatibleCodes(LinkedBox box) const
    {
        const HeaderPanel &h = header();
        const QString code = h.TXT_CAUSALE->Text().toString();
        const QSet<QString> allowed = mandatoryFields(h.TXT_MODELLO->Text().toString(),
                                                      h.CBO_TIPOMODELLO->Text().toString());
        const int movement = h.CBO_MOVDATI->Text().toInt();
        const int debit = typeBits(checks().LIST_TIPIDARE);
        const int credit = typeBits(checks().LIST_TIPIAVERE);
        const int editedDebit = debit ? debit : AllTypes;
        const int editedCredit = credit ? credit : AllTypes;
        QStringList result;
        const QMap<QString, StoredCode> codes = storedCodes();
        for (auto it = codes.begin(); it != codes.end(); ++it) {
            const StoredCode &c = it.value();
            if (it.key() == code || !allowed.contains(mandatoryFields(c.model, c.modelType)))
                continue;
            const bool meets = box == LinkedBox::Linked
                                   ? (c.debit & editedCredit) && (c.credit & editedDebit)
                                   : (movement == 1 || movement == 2) && c.movement == 0
                                         && (c.debit & editedDebit) && (c.credit & editedCredit);
            if (meets)
                result << it.key();
        }
        return result;
    }

    QString italian(const QString &code) const
    {
        return rows(QStringLiteral("SELECT CI99_DESCRIZIONE FROM CI99_DESLINGUA JOIN CI03_CAUSALI"
                                   " ON CI99_IDPROV = CI03_IDPROV WHERE CI03_CODCAUS = '%1'"
                                   " AND CI99_PROVID_FW4A = 903 AND CI99_CODLINGUA_MG52 = 'ITA'")
                        .arg(code))
            .value(0)
            .value(0);
    }
    host::DataFrame &frame() const { return *header().gclsFrameTestata(); }
    bool press(const char *key) { return user->press(&navigator(), QLatin1String(key)); }
};

TEST_F(LinkedCodesTest, LookupsOfferOnlyTheCompatibleCodes)
{
    int offered = 0;
    int excluded = 0;
    for (const char *code : {"GIRO", "CESE", "STOR", "COMM", "CHIU", "ACQM", "MOD1", "SCAR"}) {
        SCOPED_TRACE(code);
        showCode(QLatin1String(code));
        const QStringList linked = compatibleCodes(LinkedBox::Linked);
        EXPECT_EQ(lookupKeys(header().TXT_CAUCOLL), linked);
        offered += linked.size();
        excluded += testsupport::demo::ReasonCodeCount - linked.size();
        if (header().TXT_CAUCOLLRIF->isEnabled()) {
            EXPECT_EQ(lookupKeys(header().TXT_CAUCOLLRIF), compatibleCodes(LinkedBox::Reference));
        }
    }
    // The rule both admits and excludes codes on the demo data.
    EXPECT_GT(offered, 0);
    EXPECT_GT(excluded, 8);

    // The list follows the account types ticked meanwhile, saved or not.
    showCode(QStringLiteral("GIRO"));
    const QStringList before = compatibleCodes(LinkedBox::Linked);
    window->tabStrip()->setTab(FRMCI_CAUSALI::TabChecks);
    user->toggleItem(checks().LIST_TIPIDARE, 0);
    window->tabStrip()->setTab(FRMCI_CAUSALI::TabHeader);
    const QStringList after = compatibleCodes(LinkedBox::Linked);
    ASSERT_NE(after, before);
    EXPECT_EQ(lookupKeys(header().TXT_CAUCOLL), after);
    ASSERT_FALSE(dialogs->shown().empty());
    const auto *shown = &dialogs->shown().back();
    EXPECT_EQ(shown->text, QStringLiteral("Elenco causali contabilità industriale collegabili"));
    EXPECT_EQ(shown->lookup.captions.size(), 12);
    EXPECT_EQ(shown->lookup.captions.value(11),
              QStringLiteral("Generazione registrazione automatica"));
    EXPECT_EQ(header().TXT_CAUCOLL->LookupName(), QStringLiteral("Lkp_CauCont_Collegabili"));

    // A candidate without a description in the user's language is still listed.
    rows(QStringLiteral("DELETE FROM CI99_DESLINGUA WHERE CI99_CODLINGUA_MG52 = 'ITA'"
                        " AND CI99_IDPROV = (SELECT CI03_IDPROV FROM CI03_CAUSALI"
                        " WHERE CI03_CODCAUS = '%1')")
             .arg(after.first()));
    shown = openLookup(header().TXT_CAUCOLL);
    ASSERT_NE(shown, nullptr);
    ASSERT_FALSE(shown->lookup.rows.empty());
    EXPECT_EQ(shown->lookup.rows[0].value(0).toString(), after.first());
    EXPECT_TRUE(shown->lookup.rows[0].value(1).toString().isEmpty());
}

TEST_F(LinkedCodesTest, LookupsNeedTheCodeAndAValidModelFirst)
{
    const auto &h = header();
    ASSERT_TRUE(press("Nuovo"));
    const QString noCode = QStringLiteral("Impostare il codice della causale principale prima "
                                          "della selezione della causale collegata");
    const QString noModel = QStringLiteral("Selezionare un codice modello valido prima di "
                                           "impostare il codice della causale collegata");
    dialogs->answerMessage(host::vbOK, noCode);
    user->pressKey(h.TXT_CAUCOLL->lineEdit(), Qt::Key_F3);
    EXPECT_EQ(dialogs->shown().back().title, QStringLiteral("Attenzione"));
    EXPECT_EQ(dialogs->shown().back().style, host::vbExclamation);

    user->typeInto(h.TXT_CAUSALE, QStringLiteral("NUO1"));
    dialogs->answerMessage(host::vbOK, noModel);
    user->pressKey(h.TXT_CAUCOLL->lineEdit(), Qt::Key_F3);

    dialogs->answerMessage(host::vbOK, QStringLiteral("Il modello \"XYZ\" non esiste"));
    user->typeInto(h.TXT_MODELLO, QStringLiteral("XYZ"));
    dialogs->answerMessage(host::vbOK, noModel);
    user->pressKey(h.TXT_CAUCOLL->lineEdit(), Qt::Key_F3);
    user->pickCode(h.CBO_MOVDATI, 1);
    dialogs->answerMessage(host::vbOK, noModel);
    user->pressKey(h.TXT_CAUCOLLRIF->lineEdit(), Qt::Key_F3);
    EXPECT_TRUE(dialogs->shownOf(Kind::Lookup).empty());

    // With a valid model and no account type ticked the server functions decide.
    user->typeInto(h.TXT_MODELLO, QStringLiteral("STD"));
    ASSERT_EQ(typeBits(checks().LIST_TIPIDARE) | typeBits(checks().LIST_TIPIAVERE), 0);
    EXPECT_EQ(lookupKeys(header().TXT_CAUCOLL), compatibleCodes(LinkedBox::Linked));
    const QStringList reference = lookupKeys(header().TXT_CAUCOLLRIF);
    EXPECT_EQ(reference, compatibleCodes(LinkedBox::Reference));
    EXPECT_FALSE(reference.isEmpty());
    EXPECT_EQ(dialogs->shown().back().text, QStringLiteral("Causali collegabili da riferimento"));
    EXPECT_EQ(h.TXT_CAUCOLLRIF->LookupName(), QStringLiteral("Lkp_CauCont_Collegabili_Rif"));
}

TEST_F(LinkedCodesTest, StoredCodesShowTheirModelAndLinkedDescriptions)
{
    const auto &h = header();
    const Rows codes = rows(QStringLiteral(
        "SELECT CI03_CODCAUS, CI04_DESCR, COALESCE(CI03_CODCAUSCOLL, ''),"
        " COALESCE(CI03_CAUSCOLLRIF_CI03, '') FROM CI03_CAUSALI JOIN CI04_MODELLI"
        " ON CI04_MODELLO = CI03_MODELLO_CI04 AND CI04_INDSTAPER = CI03_INDSTAPER_CI04"));
    ASSERT_EQ(codes.size(), testsupport::demo::ReasonCodeCount);
    int linkedShown = 0;
    for (const QStringList &c : codes) {
        SCOPED_TRACE(c[0].toStdString());
        showCode(c[0]);
        EXPECT_TRUE(h.TXT_MODELLO->IsValid());
        EXPECT_EQ(h.TXT_DMODELLO->Text().toString(), c[1]);
        for (const auto &[code, box, description] :
             {std::tuple{c[2], h.TXT_CAUCOLL, h.TXT_DCAUCOLL},
              std::tuple{c[3], h.TXT_CAUCOLLRIF, h.TXT_DCAUCOLLRIF}}) {
            EXPECT_EQ(box->Text().toString(), code);
            if (code.isEmpty())
                continue;
            EXPECT_TRUE(box->IsValid()) << box->objectName().toStdString();
            EXPECT_EQ(description->Text().toString(), italian(code));
            ++linkedShown;
        }
    }
    EXPECT_GE(linkedShown, 5);
}

TEST_F(LinkedCodesTest, ACodeThatCannotBeLinkedIsRefused)
{
    const auto &h = header();
    showCode(QStringLiteral("GIRO"));
    ASSERT_FALSE(compatibleCodes(LinkedBox::Linked).contains(QStringLiteral("MOD1")));

    // Typed directly, an incompatible code is not accepted: said at once and at the save.
    const QString refusal = QStringLiteral("La causale \"MOD1\" non può essere la causale "
                                           "collegata");
    dialogs->answerMessage(host::vbOK, refusal);
    user->typeInto(h.TXT_CAUCOLL, QStringLiteral("mod1"));
    EXPECT_FALSE(h.TXT_CAUCOLL->IsValid());
    EXPECT_TRUE(h.TXT_DCAUCOLL->Text().isNull());
    dialogs->answerMessage(host::vbOK, refusal);
    press("Conferma");
    EXPECT_TRUE(frame().isPending());
    EXPECT_TRUE(hasFocus(h.TXT_CAUCOLL));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI WHERE CI03_CODCAUS ="
                                    " 'GIRO' AND CI03_CODCAUSCOLL = 'RIP1'")),
              1);

    // The edited code itself is refused on leaving the box, which keeps the focus.
    dialogs->answerMessage(host::vbOK, QStringLiteral("La causale collegata deve essere "
                                                      "diversa dalla causale gestita"));
    user->typeInto(h.TXT_CAUCOLL, QStringLiteral("GIRO"));
    EXPECT_TRUE(hasFocus(h.TXT_CAUCOLL));
    EXPECT_EQ(h.TXT_CAUCOLL->lineEdit()->selectedText(), QStringLiteral("GIRO"));

    // A compatible code is accepted, described and saved.
    const QString other = compatibleCodes(LinkedBox::Linked).value(0);
    ASSERT_FALSE(other.isEmpty());
    user->typeInto(h.TXT_CAUCOLL, other);
    EXPECT_TRUE(h.TXT_CAUCOLL->IsValid());
    EXPECT_EQ(h.TXT_DCAUCOLL->Text().toString(), italian(other));
    press("Conferma");
    EXPECT_FALSE(frame().isPending());
    EXPECT_EQ(rows(QStringLiteral("SELECT CI03_CODCAUSCOLL FROM CI03_CAUSALI"
                                  " WHERE CI03_CODCAUS = 'GIRO'")),
              (Rows{{other}}));

    // The reference box: its own code, then a code that is not a standard movement.
    showCode(QStringLiteral("ACQM"));
    dialogs->answerMessage(host::vbOK, QStringLiteral("La causale collegata per movimento da "
                                                      "riferimento deve essere diversa dalla "
                                                      "causale gestita"));
    user->typeInto(h.TXT_CAUCOLLRIF, QStringLiteral("ACQM"));
    EXPECT_TRUE(hasFocus(h.TXT_CAUCOLLRIF));
    dialogs->answerMessage(host::vbOK, QStringLiteral("La causale \"SCAR\" non può essere la "
                                                      "causale per movimento da riferimento"));
    user->typeInto(h.TXT_CAUCOLLRIF, QStringLiteral("SCAR"));
    EXPECT_FALSE(h.TXT_CAUCOLLRIF->IsValid());
}

} // namespace
} // namespace headertest
