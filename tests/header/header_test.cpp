// The header of the editor as a user drives it on the demo database: showing reason codes
// with their satellites, entering a new one, the refusals of a save, saving, undoing and
// deleting.

#include "header_fixture.h"

#include "ado/connection.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/window_state.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/check_box.h"
#include "host/check_list.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/host_global.h"
#include "host/main_navigator.h"
#include "host/number_box.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/journals_page.h"
#include "satellites/proposal_page.h"
#include "satellites/search_sequence_page.h"

#include <QLineEdit>

#include <algorithm>

namespace headertest {
namespace {

using causali::FRMCI_CAUSALI;
using host::DataFrame;

QString quoted(const QString &code)
{
    return QLatin1Char('\'') + code + QLatin1Char('\'');
}

// Ticks of a check list as "0"/"1" characters, in list order.
QString ticks(const host::CheckList *list)
{
    QString mask;
    for (int i = 0; i < list->count(); ++i)
        mask += list->isTicked(i) ? QLatin1Char('1') : QLatin1Char('0');
    return mask;
}

// The flags of a stored check row as ticks; no row reads as nothing ticked.
QString storedTicks(const Rows &row)
{
    return row.isEmpty() ? QString(10, QLatin1Char('0')) : row.first().join(QString());
}

const char *const FlagColumns =
    "CI11_FLGCOLLEG, CI11_FLGTRANSIT, CI11_FLGCOMPET, CI11_FLGCDC, CI11_FLGLAVPROG,"
    " CI11_FLGMAGAZ, CI11_FLGMARGLORDI, CI11_FLGMARGNETTI, CI11_FLGRISULT, CI11_FLGALTRITIPI";

class HeaderPanelTest : public HeaderTest
{
protected:
    QString storedChecks(const QString &code, int side) const
    {
        return storedTicks(rows(QStringLiteral("SELECT %1 FROM CI11_CONTROLLOCONTI"
                                               " WHERE CI11_CODCAUS_CI03 = %2"
                                               " AND CI11_SEGNO = %3")
                                    .arg(QLatin1String(FlagColumns), quoted(code))
                                    .arg(side)));
    }
    long long count(const QString &table, const QString &where) const
    {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(table, where));
    }
    QString message(long number) const { return global->messageDictionary()->GetText(number); }
    DataFrame &frame() const { return *header().gclsFrameTestata(); }
    bool press(const char *key) { return user->press(&navigator(), QLatin1String(key)); }
};

TEST_F(HeaderPanelTest, BrowsingShowsEachCodesSatellitesAndChecks)
{
    for (const char *code : {"MOD1", "ACQM", "CESE", "CHIU"}) {
        SCOPED_TRACE(code);
        const QString c = QLatin1String(code);
        showCode(c);
        EXPECT_EQ(frame().Status(), DataFrame::StatusBrowse);
        EXPECT_EQ(header().TXT_CAUSALE->Text().toString(), c);
        EXPECT_FALSE(header().TXT_CAUSALE->isEnabled());
        EXPECT_EQ(header().TXT_DCAUSALE->Text().toString(),
                  rows(QStringLiteral("SELECT CI99_DESCRIZIONE FROM CI99_DESLINGUA"
                                      " JOIN CI03_CAUSALI ON CI99_IDPROV = CI03_IDPROV"
                                      " WHERE CI03_CODCAUS = %1 AND CI99_PROVID_FW4A = 903"
                                      " AND CI99_CODLINGUA_MG52 = 'ITA'")
                           .arg(quoted(c)))
                      .value(0)
                      .value(0));
        EXPECT_EQ(journals().recordsetSezionali()->RecordCount(),
                  count(QStringLiteral("CI05_PROPSEZ"),
                        QStringLiteral("CI05_CAUSALE_CI03 = %1").arg(quoted(c))));
        // Company 1 keeps expense items in chart 2: the rows of its charts are shown.
        EXPECT_EQ(proposal().recordsetSviluppo()->RecordCount(),
                  count(QStringLiteral("CI10_PROPCONTICAUS"),
                        QStringLiteral("CI10_CODCAUS_CI03 = %1 AND CI10_PDCCONTO_PC01 = 1"
                                       " AND COALESCE(CI10_PDCVDS_PC01, -1) = 2")
                            .arg(quoted(c))));
        EXPECT_EQ(ticks(checks().LIST_TIPIDARE), storedChecks(c, 1));
        EXPECT_EQ(ticks(checks().LIST_TIPIAVERE), storedChecks(c, 2));
        EXPECT_TRUE(checks().LIST_TIPIDARE->isEnabled());
        EXPECT_FALSE(frame().isPending());
    }
    // A labour movement has one row type (-1) in its search sequence.
    showCode(QStringLiteral("MOD1"));
    EXPECT_EQ(search().recordsetRicDest()->RecordCount(),
              count(QStringLiteral("CI06_RICERCACONTO"),
                    QStringLiteral("CI06_CAUSALE_CI03 = 'MOD1' AND CI06_INDSEGNO = 1")));
    EXPECT_EQ(search().recordsetRicOrigine()->RecordCount(),
              count(QStringLiteral("CI06_RICERCACONTO"),
                    QStringLiteral("CI06_CAUSALE_CI03 = 'MOD1' AND CI06_INDSEGNO = 2")));
}

TEST_F(HeaderPanelTest, TypedCodeFreesAndKeysTheSatellitesAnEmptiedOneLocksThem)
{
    showCode(QStringLiteral("GIRO"));
    ASSERT_TRUE(press("Nuovo"));
    EXPECT_EQ(frame().Status(), DataFrame::StatusNew);
    EXPECT_TRUE(header().TXT_CAUSALE->isEnabled());
    EXPECT_TRUE(header().TXT_CAUSALE->Required());
    EXPECT_TRUE(header().CBO_MOVDATI->isEnabled());
    EXPECT_FALSE(checks().LIST_TIPIDARE->isEnabled());
    EXPECT_FALSE(journals().GRD_SEZIONALI->isEnabled());
    EXPECT_EQ(journals().recordsetSezionali()->RecordCount(), 0);
    EXPECT_EQ(ticks(checks().LIST_TIPIDARE), QString(10, QLatin1Char('0')));

    user->typeInto(header().TXT_CAUSALE, QStringLiteral("nuo1"));
    EXPECT_EQ(frame().Status(), DataFrame::StatusNew);
    EXPECT_TRUE(checks().LIST_TIPIDARE->isEnabled());
    EXPECT_TRUE(checks().LIST_TIPIAVERE->isEnabled());
    EXPECT_TRUE(journals().GRD_SEZIONALI->isEnabled());
    // A tick now goes into a check row keyed by the code typed (upper case).
    tickOneTypePerSide();
    ado::Recordset *checkRows = checks().checkRecordset();
    ASSERT_GT(checkRows->RecordCount(), 0);
    checkRows->MoveFirst();
    EXPECT_EQ(checkRows->Fields(QStringLiteral("CI11_CODCAUS_CI03")).Value().toString(),
              QStringLiteral("NUO1"));
    EXPECT_TRUE(window->state().AccountTypesChanged);

    user->clearBox(header().TXT_CAUSALE);
    EXPECT_EQ(frame().Status(), DataFrame::StatusNew);
    EXPECT_FALSE(checks().LIST_TIPIDARE->isEnabled());
    EXPECT_FALSE(journals().GRD_SEZIONALI->isEnabled());
    EXPECT_EQ(ticks(checks().LIST_TIPIDARE), QString(10, QLatin1Char('0')));
    EXPECT_FALSE(window->state().AccountTypesChanged);
}

TEST_F(HeaderPanelTest, MissingDescriptionIsRefusedOnTheChecksTab)
{
    showCode(QStringLiteral("GIRO"));
    user->clearBox(header().TXT_DCAUSALE);
    window->tabStrip()->setTab(FRMCI_CAUSALI::TabJournals);
    dialogs->answerMessage(host::vbOK, message(host::msg::DescriptionMissing));
    press("Conferma");
    EXPECT_EQ(dialogs->shown().back().style & 0x70, host::vbExclamation);
    EXPECT_EQ(dialogs->shown().back().title, window->caption());
    EXPECT_EQ(currentTab(), FRMCI_CAUSALI::TabChecks);
    EXPECT_TRUE(hasFocus(header().TXT_DCAUSALE));
    EXPECT_TRUE(frame().RecordChanged());
    EXPECT_EQ(count(QStringLiteral("CI99_DESLINGUA"),
                    QStringLiteral("CI99_IDPROV = (SELECT CI03_IDPROV FROM CI03_CAUSALI"
                                   " WHERE CI03_CODCAUS = 'GIRO') AND CI99_CODLINGUA_MG52 = 'ITA'"
                                   " AND CI99_DESCRIZIONE <> ''")),
              1);
}

TEST_F(HeaderPanelTest, StandardCostWithoutProvenanceIsRefusedOnTheHeaderTab)
{
    showCode(QStringLiteral("GIRO"));
    user->pickCode(header().CBO_TIPOPROPCOSTO, 1);
    user->pickCode(header().CBO_PROVCOSTO, 2);
    // The provenance box refuses to be left so, and "Conferma" settles it first: the save
    // stops there with the box's message and the focus on it.
    dialogs->answerMessage(host::vbOK,
                           QStringLiteral("Occorre specificare la provenienza del costo standard"));
    press("Conferma");
    EXPECT_EQ(currentTab(), FRMCI_CAUSALI::TabHeader);
    EXPECT_TRUE(hasFocus(header().CBO_PROVCOSTO));
    EXPECT_TRUE(frame().isPending());
    EXPECT_EQ(scalar(QStringLiteral("SELECT CI03_INDPROPCOSTO FROM CI03_CAUSALI"
                                    " WHERE CI03_CODCAUS = 'GIRO'")),
              0);
}

TEST_F(HeaderPanelTest, ReasonCodeWithoutAccountTypesIsRefused)
{
    showCode(QStringLiteral("CHIU"));
    user->typeInto(header().TXT_DCAUSALE, QStringLiteral("Chiusura periodo"));
    dialogs->answerMessage(host::vbOK, message(host::msg::AccountTypeMissing));
    press("Conferma");
    EXPECT_EQ(currentTab(), FRMCI_CAUSALI::TabChecks);
    EXPECT_TRUE(frame().RecordChanged());
    EXPECT_EQ(dialogs->messageTexts().size(), 1);
}

TEST_F(HeaderPanelTest, TwoAccountTypesOnASideAreRefusedForAStockMovement)
{
    showCode(QStringLiteral("ACQM"));
    window->tabStrip()->setTab(FRMCI_CAUSALI::TabChecks);
    const QString before = ticks(checks().LIST_TIPIDARE);
    const int second = before.indexOf(QLatin1Char('0'));
    user->toggleItem(checks().LIST_TIPIDARE, second);
    ASSERT_EQ(checks().LIST_TIPIDARE->tickedCount(), 2);
    dialogs->answerMessage(host::vbOK, message(host::msg::TooManyAccountTypes));
    press("Conferma");
    // The stored code's box is locked: the focus goes to the description.
    EXPECT_TRUE(hasFocus(header().TXT_DCAUSALE));
    EXPECT_EQ(storedChecks(QStringLiteral("ACQM"), 1), before);
    EXPECT_TRUE(window->state().AccountTypesChanged);
}

TEST_F(HeaderPanelTest, SavingANewCodeWritesHeaderChecksAndSatellites)
{
    startNewCode(QStringLiteral("NUO1"), QStringLiteral("Nuova causale di prova"));
    user->typeInto(header().TXT_MODELLO, QStringLiteral("STD"));
    tickOneTypePerSide();

    window->tabStrip()->setTab(FRMCI_CAUSALI::TabJournals);
    ASSERT_TRUE(user->press(journals().GNV_SEZIONALI, QStringLiteral("Nuovo")));
    user->pickCode(journals().CBO_DITTA, 1);
    user->typeInto(journals().TXT_SEZIONALE, QStringLiteral("VE"));
    ASSERT_TRUE(user->press(journals().GNV_SEZIONALI, QStringLiteral("Conferma")));

    press("Conferma");

    EXPECT_EQ(frame().Status(), DataFrame::StatusBrowse);
    EXPECT_FALSE(frame().isPending());
    const Rows stored = rows(QStringLiteral("SELECT CI03_DESCR, CI03_MODELLO_CI04, CI03_IDPROV"
                                            " FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'NUO1'"));
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0][0], QStringLiteral("Nuova causale di prova"));
    EXPECT_EQ(stored[0][1], QStringLiteral("STD"));
    EXPECT_EQ(rows(QStringLiteral("SELECT CI11_SEGNO FROM CI11_CONTROLLOCONTI"
                                  " WHERE CI11_CODCAUS_CI03 = 'NUO1' ORDER BY CI11_SEGNO")),
              (Rows{{QStringLiteral("1")}, {QStringLiteral("2")}}));
    EXPECT_EQ(storedChecks(QStringLiteral("NUO1"), 1), ticks(checks().LIST_TIPIDARE));
    EXPECT_EQ(storedChecks(QStringLiteral("NUO1"), 2), ticks(checks().LIST_TIPIAVERE));
    EXPECT_EQ(rows(QStringLiteral("SELECT CI05_DITTA_CG18, CI05_SEZIONALE_CG68 FROM CI05_PROPSEZ"
                                  " WHERE CI05_CAUSALE_CI03 = 'NUO1'")),
              (Rows{{QStringLiteral("1"), QStringLiteral("VE")}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT CI99_DESCRIZIONE FROM CI99_DESLINGUA"
                                  " WHERE CI99_PROVID_FW4A = 903 AND CI99_CODLINGUA_MG52 = 'ITA'"
                                  " AND CI99_IDPROV = %1")
                       .arg(stored[0][2])),
              (Rows{{QStringLiteral("Nuova causale di prova")}}));
    EXPECT_FALSE(window->state().AccountTypesChanged);
    EXPECT_FALSE(header().TXT_CAUSALE->isEnabled());
}

TEST_F(HeaderPanelTest, ProposalRowsOfANewCodeAreEnteredWithoutQuestionsAndSavedWithIt)
{
    startNewCode(QStringLiteral("NUO4"), QStringLiteral("Con proposta"));
    user->typeInto(header().TXT_MODELLO, QStringLiteral("STD"));
    tickOneTypePerSide();
    window->tabStrip()->setTab(FRMCI_CAUSALI::TabProposal);
    // No "save the reason code?" at the grid's buttons: an unexpected dialog fails the test.
    ASSERT_TRUE(user->press(proposal().GNV_SVILUPPO, QStringLiteral("Nuovo")));
    user->typeInto(proposal().TXT_PERC, QStringLiteral("100"));
    ASSERT_TRUE(user->press(proposal().GNV_SVILUPPO, QStringLiteral("Conferma")));
    EXPECT_EQ(frame().Status(), DataFrame::StatusNew);

    press("Conferma");
    EXPECT_EQ(rows(QStringLiteral("SELECT CI10_PROG, CI10_PERC FROM CI10_PROPCONTICAUS"
                                  " WHERE CI10_CODCAUS_CI03 = 'NUO4'")),
              (Rows{{QStringLiteral("1"), QStringLiteral("100")}}));
}

TEST_F(HeaderPanelTest, UndoRestoresTheStoredChecks)
{
    showCode(QStringLiteral("GIRO"));
    const QString debit = ticks(checks().LIST_TIPIDARE);
    window->tabStrip()->setTab(FRMCI_CAUSALI::TabChecks);
    user->toggleItem(checks().LIST_TIPIDARE, 0);
    ASSERT_NE(ticks(checks().LIST_TIPIDARE), debit);
    EXPECT_TRUE(frame().isPending());

    press("Annulla");
    EXPECT_EQ(ticks(checks().LIST_TIPIDARE), debit);
    EXPECT_FALSE(window->state().AccountTypesChanged);
    EXPECT_FALSE(frame().isPending());
    EXPECT_EQ(storedChecks(QStringLiteral("GIRO"), 1), debit);
}

TEST_F(HeaderPanelTest, UndoAfterSelectAllRestoresTheStoredChecksWithoutAnError)
{
    showCode(QStringLiteral("GIRO"));
    const QString debit = ticks(checks().LIST_TIPIDARE);
    window->tabStrip()->setTab(FRMCI_CAUSALI::TabChecks);
    user->toggle(checks().CHK_DESTINAZIONE);
    ASSERT_EQ(ticks(checks().LIST_TIPIDARE), QString(10, QLatin1Char('1')));

    press("Annulla"); // an error dialog would fail the test
    EXPECT_EQ(ticks(checks().LIST_TIPIDARE), debit);
    EXPECT_FALSE(frame().isPending());
}

TEST_F(HeaderPanelTest, DeletingACodeRemovesItsSatellitesAndDescriptions)
{
    const QString id = rows(QStringLiteral("SELECT CI03_IDPROV FROM CI03_CAUSALI"
                                           " WHERE CI03_CODCAUS = 'GIRO'"))
                           .value(0)
                           .value(0);
    ASSERT_FALSE(id.isEmpty());
    ASSERT_GT(count(QStringLiteral("CI99_DESLINGUA"), QStringLiteral("CI99_IDPROV = ") + id), 1);
    showCode(QStringLiteral("GIRO"));
    dialogs->answerMessage(host::vbYes, QStringLiteral("della causale"));
    press("Elimina");

    EXPECT_EQ(count(QStringLiteral("CI03_CAUSALI"), QStringLiteral("CI03_CODCAUS = 'GIRO'")), 0);
    EXPECT_EQ(
        count(QStringLiteral("CI11_CONTROLLOCONTI"), QStringLiteral("CI11_CODCAUS_CI03 = 'GIRO'")),
        0);
    EXPECT_EQ(count(QStringLiteral("CI05_PROPSEZ"), QStringLiteral("CI05_CAUSALE_CI03 = 'GIRO'")),
              0);
    EXPECT_EQ(
        count(QStringLiteral("CI10_PROPCONTICAUS"), QStringLiteral("CI10_CODCAUS_CI03 = 'GIRO'")),
        0);
    EXPECT_EQ(count(QStringLiteral("CI99_DESLINGUA"), QStringLiteral("CI99_IDPROV = ") + id), 0);
    EXPECT_EQ(count(QStringLiteral("\"#sezionali\""), QStringLiteral("CI05_CAUSALE_CI03 = 'GIRO'")),
              0);
    EXPECT_EQ(count(QStringLiteral("\"#sviluppo\""), QStringLiteral("CAUSALE = 'GIRO'")), 0);
    // Another code is shown now, with its own satellites.
    EXPECT_NE(header().TXT_CAUSALE->Text().toString(), QStringLiteral("GIRO"));
    EXPECT_EQ(count(QStringLiteral("CI03_CAUSALI"), QStringLiteral("1 = 1")), 20);
}

// The save copies the description into CI03_DESCR after the header row is written; the
// header's later writes of that row must still find it.
TEST_F(HeaderPanelTest, ACodeSavedWithItsDescriptionCanBeSavedAgainAndDeleted)
{
    startNewCode(QStringLiteral("NUO2"), QStringLiteral("Nuova causale"));
    user->typeInto(header().TXT_MODELLO, QStringLiteral("STD"));
    tickOneTypePerSide();
    ASSERT_TRUE(press("Conferma"));
    ASSERT_EQ(frame().Status(), DataFrame::StatusBrowse);

    window->tabStrip()->setTab(FRMCI_CAUSALI::TabHeader);
    user->pickCode(header().CBO_TIPOQTAVAL, 1);
    ASSERT_TRUE(press("Conferma"));
    EXPECT_FALSE(frame().isPending());
    EXPECT_EQ(rows(QStringLiteral("SELECT CI03_DESCR, CI03_INDREGVALQTA FROM CI03_CAUSALI"
                                  " WHERE CI03_CODCAUS = 'NUO2'")),
              (Rows{{QStringLiteral("Nuova causale"), QStringLiteral("1")}}));

    dialogs->answerMessage(host::vbYes, QStringLiteral("della causale"));
    ASSERT_TRUE(press("Elimina"));
    EXPECT_EQ(count(QStringLiteral("CI03_CAUSALI"), QStringLiteral("CI03_CODCAUS = 'NUO2'")), 0);
}

// "Conferma" is the answer: the description typed is saved without a second question. The
// question comes where the user leaves a code with an unsaved description.
TEST_F(HeaderPanelTest, ConfermaSavesTheDescriptionWithoutAskingAgain)
{
    startNewCode(QStringLiteral("NUO3"), QStringLiteral("Descrizione confermata"));
    user->typeInto(header().TXT_MODELLO, QStringLiteral("STD"));
    tickOneTypePerSide();
    ASSERT_TRUE(press("Conferma")); // any dialog would fail the test
    EXPECT_EQ(frame().Status(), DataFrame::StatusBrowse);
    EXPECT_EQ(rows(QStringLiteral("SELECT CI03_DESCR FROM CI03_CAUSALI"
                                  " WHERE CI03_CODCAUS = 'NUO3'")),
              (Rows{{QStringLiteral("Descrizione confermata")}}));

    dialogs->clearShown();
    user->typeInto(header().TXT_DCAUSALE, QStringLiteral("Descrizione cambiata"));
    dialogs->answerMessage(host::vbYes, QStringLiteral("Salvare le modifiche della causale?"));
    ASSERT_TRUE(press("Primo"));
    EXPECT_EQ(dialogs->shown().size(), 1u);
    EXPECT_EQ(rows(QStringLiteral("SELECT CI03_DESCR FROM CI03_CAUSALI"
                                  " WHERE CI03_CODCAUS = 'NUO3'")),
              (Rows{{QStringLiteral("Descrizione cambiata")}}));
}

// The navigator walks the codes in alphabetical order, a code just saved included.
TEST_F(HeaderPanelTest, BrowsingFollowsTheCodesOrder)
{
    QStringList codes;
    for (const QStringList &row :
         rows(QStringLiteral("SELECT CI03_CODCAUS FROM CI03_CAUSALI ORDER BY CI03_CODCAUS")))
        codes << row[0];
    const auto shownCode = [this] { return ado::NormalizzaStringa(header().TXT_CAUSALE->Text()); };
    if (navigator().IsButtonEnabled(QStringLiteral("Primo"))) {
        ASSERT_TRUE(press("Primo"));
    }
    QStringList walked{shownCode()};
    while (navigator().IsButtonEnabled(QStringLiteral("Successivo"))) {
        ASSERT_TRUE(press("Successivo"));
        walked << shownCode();
    }
    EXPECT_EQ(walked, codes);

    startNewCode(QStringLiteral("BBBB"), QStringLiteral("Nuova tra le prime"));
    user->typeInto(header().TXT_MODELLO, QStringLiteral("STD"));
    tickOneTypePerSide();
    ASSERT_TRUE(press("Conferma"));
    ASSERT_EQ(frame().Status(), DataFrame::StatusBrowse);
    ASSERT_TRUE(press("Successivo"));
    EXPECT_EQ(shownCode(),
              codes[int(std::upper_bound(codes.begin(), codes.end(), QStringLiteral("BBBB"))
                        - codes.begin())]);
    ASSERT_TRUE(press("Precedente"));
    EXPECT_EQ(shownCode(), QStringLiteral("BBBB"));
}

TEST_F(HeaderPanelTest, DeletingACodeWithAnUnsavedDescriptionDeletesIt)
{
    showCode(QStringLiteral("GIRO"));
    user->typeInto(header().TXT_DCAUSALE, QStringLiteral("Mai salvata"));
    dialogs->answerMessage(host::vbYes, QStringLiteral("della causale"));
    ASSERT_TRUE(press("Elimina"));
    EXPECT_EQ(count(QStringLiteral("CI03_CAUSALI"), QStringLiteral("CI03_CODCAUS = 'GIRO'")), 0);
}

TEST_F(HeaderPanelTest, MovementComboIsLockedForACodeInUse)
{
    for (const char *code : {"RIP1", "COMM", "ACQM"}) {
        showCode(QLatin1String(code));
        EXPECT_FALSE(header().CBO_MOVDATI->isEnabled()) << code;
    }
    showCode(QStringLiteral("GIRO"));
    EXPECT_TRUE(header().CBO_MOVDATI->isEnabled());
    EXPECT_FALSE(header().CHK_RILPROG->isEnabled());
    // Project tracking follows the movement "3" of the code shown.
    showCode(QStringLiteral("RIP2"));
    EXPECT_TRUE(header().CHK_RILPROG->isEnabled());
    ASSERT_TRUE(press("Nuovo"));
    EXPECT_TRUE(header().CBO_MOVDATI->isEnabled());
    EXPECT_FALSE(header().CHK_RILPROG->isEnabled());
}

TEST_F(HeaderPanelTest, LookupOfTheCodeShowsTheChosenReasonCode)
{
    ASSERT_TRUE(press("Nuovo"));
    dialogs->answerLookup(QStringLiteral("RIP1"));
    user->pressKey(header().TXT_CAUSALE->lineEdit(), Qt::Key_F3);
    ASSERT_EQ(dialogs->shownOf(testsupport::ScriptedDialogs::Kind::Lookup).size(), 1u);
    // The list offers every stored reason code.
    EXPECT_EQ(dialogs->shownOf(testsupport::ScriptedDialogs::Kind::Lookup)[0].lookup.rows.size(),
              std::size_t(testsupport::demo::ReasonCodeCount));
    EXPECT_EQ(frame().Status(), DataFrame::StatusBrowse);
    EXPECT_EQ(header().TXT_CAUSALE->Text().toString(), QStringLiteral("RIP1"));
    EXPECT_EQ(journals().recordsetSezionali()->RecordCount(), 2);
}

TEST_F(HeaderPanelTest, TheNavigatorsSearchListsDescriptionsAndCaptions)
{
    dialogs->answerLookup(QStringLiteral("CESE"), QStringLiteral("Ricerca"));
    ASSERT_TRUE(press("Ricerca"));
    EXPECT_EQ(header().TXT_CAUSALE->Text().toString(), QStringLiteral("CESE"));
    const auto lookups = dialogs->shownOf(testsupport::ScriptedDialogs::Kind::Lookup);
    ASSERT_EQ(lookups.size(), 1u);
    const host::LookupRequest &list = lookups[0].lookup;
    EXPECT_EQ(list.captions.mid(0, 3),
              (QStringList{"Codice", "Descrizione", "Tipo movimentazione dati"}));
    ASSERT_FALSE(list.rows.empty());
    const QVariantList &acqm = list.rows.front();
    EXPECT_EQ(ado::NormalizzaStringa(acqm.value(0)), QStringLiteral("ACQM"));
    EXPECT_EQ(acqm.value(1).toString(), QStringLiteral("Acquisto materie prime"));
    EXPECT_EQ(acqm.value(2).toString(), QStringLiteral("Magazzino"));
}

TEST_F(HeaderPanelTest, DescriptionAloneIsSavedAndTheLanguageDialogRebuildsIt)
{
    showCode(QStringLiteral("GIRO"));
    const QString id = rows(QStringLiteral("SELECT CI03_IDPROV FROM CI03_CAUSALI"
                                           " WHERE CI03_CODCAUS = 'GIRO'"))
                           .value(0)
                           .value(0);
    user->typeInto(header().TXT_DCAUSALE, QStringLiteral("Giroconto tra reparti"));
    EXPECT_TRUE(frame().isPending());
    press("Conferma");
    EXPECT_EQ(rows(QStringLiteral("SELECT CI03_DESCR FROM CI03_CAUSALI"
                                  " WHERE CI03_CODCAUS = 'GIRO'")),
              (Rows{{QStringLiteral("Giroconto tra reparti")}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT CI99_DESCRIZIONE FROM CI99_DESLINGUA"
                                  " WHERE CI99_IDPROV = %1 AND CI99_CODLINGUA_MG52 = 'ITA'")
                       .arg(id)),
              (Rows{{QStringLiteral("Giroconto tra reparti")}}));

    // The dialog stores the texts itself; the box then shows what the database holds.
    dialogs->answerLanguage([id](ado::Connection &connection, int entity, const QVariant &rowId) {
        EXPECT_EQ(entity, 903);
        EXPECT_EQ(rowId.toString(), id);
        connection.Execute(QStringLiteral("UPDATE CI99_DESLINGUA SET CI99_DESCRIZIONE ="
                                          " 'Scritta dal dialogo' WHERE CI99_IDPROV = %1"
                                          " AND CI99_CODLINGUA_MG52 = 'ITA'")
                               .arg(id));
    });
    header().TXT_DCAUSALE->openLanguageDescriptions();
    EXPECT_EQ(header().TXT_DCAUSALE->Text().toString(), QStringLiteral("Scritta dal dialogo"));
    EXPECT_FALSE(frame().isPending());

    // A reason code not stored yet has no descriptions to edit: the dialog does not open.
    ASSERT_TRUE(press("Nuovo"));
    header().TXT_DCAUSALE->openLanguageDescriptions();
    EXPECT_EQ(dialogs->shownOf(testsupport::ScriptedDialogs::Kind::Language).size(), 1u);
}

} // namespace
} // namespace headertest
