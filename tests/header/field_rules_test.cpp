// The rules between the header fields, driven as a user on the demo database: the data
// movement and what it ticks and locks, the standard cost and its provenance, the model type
// and the model (decode and lookup within the type, the model-management program), and how
// tab 0 looks with a stored code.

#include "header_fixture.h"

#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/check_box.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/host_global.h"
#include "host/main_navigator.h"
#include "host/model_program.h"
#include "host/navigator.h"
#include "host/small_controls.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace headertest {
namespace {

using causali::FRMCI_CAUSALI;
using host::DataFrame;

class FieldRulesTest : public HeaderTest
{
protected:
    DataFrame &frame() const { return *header().gclsFrameTestata(); }
    bool press(const char *key) { return user->press(&navigator(), QLatin1String(key)); }
    // One column of a stored reason code.
    QString stored(const char *column, const char *code) const
    {
        return rows(QStringLiteral("SELECT %1 FROM CI03_CAUSALI WHERE CI03_CODCAUS = '%2'")
                        .arg(QLatin1String(column), QLatin1String(code)))
            .value(0)
            .value(0);
    }
    QString modelDescription(int type, const QString &model) const
    {
        return rows(QStringLiteral("SELECT CI04_DESCR FROM CI04_MODELLI WHERE CI04_INDSTAPER = %1"
                                   " AND CI04_MODELLO = '%2'")
                        .arg(type)
                        .arg(model))
            .value(0)
            .value(0);
    }
};

TEST_F(FieldRulesTest, DataMovementTicksAndLocksNumberingAndProjectTracking)
{
    showCode(QStringLiteral("GIRO")); // standard movement, nothing ticked
    const auto &h = header();
    EXPECT_TRUE(h.CHK_FLGNUMAUT->isEnabled());
    EXPECT_FALSE(h.CHK_RILPROG->isEnabled());
    EXPECT_FALSE(h.TXT_CAUCOLLRIF->isEnabled());

    user->pickCode(h.CBO_MOVDATI, 3); // allocation: numbering ticked and locked
    EXPECT_EQ(h.CHK_FLGNUMAUT->Text(), QStringLiteral("1"));
    EXPECT_FALSE(h.CHK_FLGNUMAUT->isEnabled());
    EXPECT_TRUE(h.CHK_RILPROG->isEnabled());
    EXPECT_EQ(h.CHK_RILPROG->Text(), QStringLiteral("0")); // left as it was
    EXPECT_FALSE(h.TXT_CAUCOLLRIF->isEnabled());
    user->toggle(h.CHK_RILPROG);
    ASSERT_EQ(h.CHK_RILPROG->Text(), QStringLiteral("1"));

    user->pickCode(h.CBO_MOVDATI, 1); // stock: tracking cleared, numbering kept and free
    EXPECT_EQ(h.CHK_RILPROG->Text(), QStringLiteral("0"));
    EXPECT_FALSE(h.CHK_RILPROG->isEnabled());
    EXPECT_EQ(h.CHK_FLGNUMAUT->Text(), QStringLiteral("1"));
    EXPECT_TRUE(h.CHK_FLGNUMAUT->isEnabled());
    EXPECT_TRUE(h.TXT_CAUCOLLRIF->isEnabled());
    user->toggle(h.CHK_FLGNUMAUT);
    ASSERT_EQ(h.CHK_FLGNUMAUT->Text(), QStringLiteral("0"));

    user->pickCode(h.CBO_MOVDATI, 2); // labour: numbering ticked again and locked
    EXPECT_EQ(h.CHK_FLGNUMAUT->Text(), QStringLiteral("1"));
    EXPECT_FALSE(h.CHK_FLGNUMAUT->isEnabled());
    EXPECT_TRUE(h.TXT_CAUCOLLRIF->isEnabled());

    // Undo drops what the rules set with the user's choice.
    press("Annulla");
    EXPECT_EQ(h.CBO_MOVDATI->Text().toString(), QStringLiteral("0"));
    EXPECT_EQ(h.CHK_FLGNUMAUT->Text(), QStringLiteral("0"));
    EXPECT_TRUE(h.CHK_FLGNUMAUT->isEnabled());

    // What the rules set is saved with the record: numbering set by the rule alone, tracking
    // ticked by the user and cleared by the rule.
    user->pickCode(h.CBO_MOVDATI, 3);
    user->toggle(h.CHK_RILPROG);
    user->pickCode(h.CBO_MOVDATI, 0);
    user->pickCode(h.CBO_MOVDATI, 3);
    EXPECT_EQ(h.CHK_RILPROG->Text(), QStringLiteral("0"));
    press("Conferma");
    EXPECT_FALSE(frame().isPending());
    EXPECT_EQ(stored("CI03_INDTIPOMOVDATI", "GIRO"), QStringLiteral("3"));
    EXPECT_EQ(stored("CI03_FLGNUMAUTOM", "GIRO"), QStringLiteral("1"));
    EXPECT_EQ(stored("CI03_FLGRILPROG", "GIRO"), QStringLiteral("0"));
}

TEST_F(FieldRulesTest, StandardCostDecidesTheProvenance)
{
    showCode(QStringLiteral("GIRO")); // no standard cost, provenance none
    const auto &h = header();
    EXPECT_FALSE(h.CBO_PROVCOSTO->isEnabled());

    user->pickCode(h.CBO_TIPOPROPCOSTO, 1);
    EXPECT_EQ(h.CBO_PROVCOSTO->Text().toString(), QStringLiteral("0")); // from account
    EXPECT_TRUE(h.CBO_PROVCOSTO->isEnabled());
    user->pickCode(h.CBO_PROVCOSTO, 1);
    user->pickCode(h.CBO_TIPOPROPCOSTO, 0);
    EXPECT_EQ(h.CBO_PROVCOSTO->Text().toString(), QStringLiteral("2"));
    EXPECT_FALSE(h.CBO_PROVCOSTO->isEnabled());
    user->pickCode(h.CBO_TIPOPROPCOSTO, 1);
    EXPECT_EQ(h.CBO_PROVCOSTO->Text().toString(), QStringLiteral("0"));

    // Standard cost with provenance "none" cannot be left.
    user->pickCode(h.CBO_PROVCOSTO, 2);
    dialogs->answerMessage(host::vbOK,
                           QStringLiteral("Occorre specificare la provenienza del costo standard"));
    user->leave();
    EXPECT_EQ(dialogs->shown().back().style, host::vbInformation);
    EXPECT_EQ(dialogs->shown().back().title, QStringLiteral("Attenzione"));
    EXPECT_TRUE(hasFocus(h.CBO_PROVCOSTO));
    user->pickCode(h.CBO_PROVCOSTO, 1);
    user->leave();
    EXPECT_FALSE(hasFocus(h.CBO_PROVCOSTO));

    press("Conferma");
    EXPECT_FALSE(frame().isPending());
    EXPECT_EQ(stored("CI03_INDPROPCOSTO", "GIRO"), QStringLiteral("1"));
    EXPECT_EQ(stored("CI03_INDPROVCOSTO", "GIRO"), QStringLiteral("1"));

    // A new code: the provenance stays locked until the code is given.
    ASSERT_TRUE(press("Nuovo"));
    user->pickCode(h.CBO_TIPOPROPCOSTO, 1);
    EXPECT_FALSE(h.CBO_PROVCOSTO->isEnabled());
    user->typeInto(h.TXT_CAUSALE, QStringLiteral("NUO1"));
    EXPECT_FALSE(h.CBO_PROVCOSTO->isEnabled());
    user->pickCode(h.CBO_TIPOPROPCOSTO, 0);
    user->pickCode(h.CBO_TIPOPROPCOSTO, 1);
    EXPECT_TRUE(h.CBO_PROVCOSTO->isEnabled());

    // A stored code with standard cost shows its provenance free.
    dialogs->answerMessage(host::vbNo, QStringLiteral("Salvare le modifiche della causale?"));
    showCode(QStringLiteral("CARP"));
    EXPECT_TRUE(h.CBO_PROVCOSTO->isEnabled());
    EXPECT_EQ(h.CBO_PROVCOSTO->Text().toString(), QStringLiteral("1"));
}

TEST_F(FieldRulesTest, ModelIsDecodedWithinItsTypeAndAChangeEmptiesTheLinkedCodes)
{
    showCode(QStringLiteral("GIRO")); // STD of type 0, linked to RIP1
    const auto &h = header();
    EXPECT_EQ(h.TXT_DMODELLO->Text().toString(), modelDescription(0, QStringLiteral("STD")));
    ASSERT_EQ(h.TXT_CAUCOLL->Text().toString(), QStringLiteral("RIP1"));

    // Typing the same model again keeps the linked code.
    user->typeInto(h.TXT_MODELLO, QStringLiteral("STD"));
    EXPECT_EQ(h.TXT_CAUCOLL->Text().toString(), QStringLiteral("RIP1"));

    // Another type: the model, its description and the linked codes go.
    user->pickCode(h.CBO_TIPOMODELLO, 1);
    EXPECT_TRUE(h.TXT_MODELLO->Text().isNull());
    EXPECT_TRUE(h.TXT_DMODELLO->Text().isNull());
    EXPECT_TRUE(h.TXT_CAUCOLL->Text().isNull());
    EXPECT_TRUE(h.TXT_DCAUCOLL->Text().isNull());

    // A model of the other type is not found under this one: said at once, and not saved.
    dialogs->answerMessage(host::vbOK, QStringLiteral("Il modello \"MAG\" non esiste tra i "
                                                      "modelli di tipo \"Personalizzato\""));
    user->typeInto(h.TXT_MODELLO, QStringLiteral("mag"));
    EXPECT_FALSE(h.TXT_MODELLO->IsValid());
    EXPECT_TRUE(h.TXT_DMODELLO->Text().isNull());
    dialogs->answerMessage(host::vbOK, QStringLiteral("Il modello \"MAG\" non esiste"));
    press("Conferma");
    EXPECT_TRUE(frame().isPending());
    EXPECT_TRUE(hasFocus(h.TXT_MODELLO));
    EXPECT_EQ(stored("CI03_MODELLO_CI04", "GIRO"), QStringLiteral("STD"));

    user->typeInto(h.TXT_MODELLO, QStringLiteral("STD"));
    EXPECT_TRUE(h.TXT_MODELLO->IsValid());
    EXPECT_EQ(h.TXT_DMODELLO->Text().toString(), modelDescription(1, QStringLiteral("STD")));
    press("Conferma");
    EXPECT_FALSE(frame().isPending());
    const Rows saved = rows(QStringLiteral("SELECT CI03_INDSTAPER_CI04, CI03_MODELLO_CI04,"
                                           " CI03_CODCAUSCOLL FROM CI03_CAUSALI"
                                           " WHERE CI03_CODCAUS = 'GIRO'"));
    EXPECT_EQ(saved,
              (Rows{{QStringLiteral("1"), QStringLiteral("STD"), QStringLiteral("<NULL>")}}));

    // Another model of the same type empties the linked codes but keeps the type.
    showCode(QStringLiteral("ACQM")); // MAG, reference code RIFM
    ASSERT_EQ(h.TXT_CAUCOLLRIF->Text().toString(), QStringLiteral("RIFM"));
    user->typeInto(h.TXT_MODELLO, QStringLiteral("SEMPL"));
    EXPECT_TRUE(h.TXT_CAUCOLLRIF->Text().isNull());
    EXPECT_EQ(h.CBO_TIPOMODELLO->Text().toString(), QStringLiteral("0"));
    EXPECT_EQ(h.TXT_DMODELLO->Text().toString(), modelDescription(0, QStringLiteral("SEMPL")));
}

TEST_F(FieldRulesTest, ModelLookupListsTheModelsOfTheTypeChosen)
{
    ASSERT_TRUE(press("Nuovo"));
    const auto &h = header();
    EXPECT_EQ(lookupKeys(h.TXT_MODELLO), (QStringList{"MAG", "MANOD", "RIPART", "SEMPL", "STD"}));
    user->pickCode(h.CBO_TIPOMODELLO, 1);
    EXPECT_EQ(lookupKeys(h.TXT_MODELLO), (QStringList{"PERS01", "PERS02", "STD"}));

    dialogs->answerLookup(QStringLiteral("PERS02"));
    user->pressKey(h.TXT_MODELLO->lineEdit(), Qt::Key_F3);
    EXPECT_EQ(h.TXT_MODELLO->Text().toString(), QStringLiteral("PERS02"));
    EXPECT_EQ(h.TXT_DMODELLO->Text().toString(), modelDescription(1, QStringLiteral("PERS02")));

    // With no model type chosen the lookup asks for type -1, which lists nothing.
    h.CBO_TIPOMODELLO->setListIndex(-1);
    bool cancel = false;
    QString sql, title, connection;
    host::ColumnTable columns;
    header().TXT_MODELLO_StartLookup(cancel, sql, columns, title, connection);
    EXPECT_TRUE(sql.contains(QStringLiteral("CI04_INDSTAPER = -1"))) << sql.toStdString();
    EXPECT_FALSE(connection.isEmpty());
}

TEST_F(FieldRulesTest, ModelProgramOpensOnTheModelAndTheModuleIsActiveAgain)
{
    showCode(QStringLiteral("ACQM"));
    const auto &h = header();
    // Meanwhile another module is the host's current one.
    global->setCurrentModule(nullptr);
    entry->setIsActive(false);
    global->setApplicationData(QVariant());
    ASSERT_NE(hostNavigator->ScriptModel(), nullptr);
    const auto openEvents = [&] {
        const auto &events = hostNavigator->ScriptModel()->formEvents();
        return std::count_if(events.begin(), events.end(),
                             [](const auto &event) { return event.opening == 1; });
    };
    const auto opened = openEvents();

    QString shownModel;
    int shownType = -1;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<host::ModelDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "the model-management program did not open";
        shownModel = dialog->currentModel();
        shownType = dialog->modelType();
        dialog->descriptionBox()->setText(QStringLiteral("Magazzino e scorte"));
        dialog->saveCurrent();
        dialog->reject();
    });
    user->pressKey(h.TXT_MODELLO->lineEdit(), Qt::Key_F4);

    EXPECT_EQ(shownModel, QStringLiteral("MAG"));
    EXPECT_EQ(shownType, 0);
    EXPECT_EQ(global->CurrentModule(), entry.get());
    EXPECT_TRUE(entry->IsActive());
    // Script and layout applied again: "qvOpen" runs and the host has the application's data.
    EXPECT_EQ(openEvents(), opened + 1);
    EXPECT_TRUE(global->applicationData().isValid());
    // The description changed in the program shows at once.
    EXPECT_EQ(h.TXT_DMODELLO->Text().toString(), QStringLiteral("Magazzino e scorte"));
}

TEST_F(FieldRulesTest, HeaderTabShowsAStoredCodeAndFitsTheWindowWidth)
{
    showCode(QStringLiteral("ACQM"));
    window->tabStrip()->setTab(FRMCI_CAUSALI::TabHeader);
    const auto &h = header();
    EXPECT_EQ(h.TXT_DMODELLO->Text().toString(), modelDescription(0, QStringLiteral("MAG")));
    EXPECT_FALSE(h.TXT_DCAUCOLLRIF->Text().toString().isEmpty());

    // The window's design size is 732 x 492: it must fit about that width.
    EXPECT_LE(window->minimumSizeHint().width(), 760);
    window->resize(760, 520);
    QApplication::processEvents();
    for (const QWidget *box : std::initializer_list<const QWidget *>{
             h.TXT_DCAUSALE, h.TXT_DMODELLO, h.TXT_DCAUCOLL, h.TXT_DCAUCOLLRIF}) {
        const QPoint right = box->mapTo(window, QPoint(box->width(), 0));
        EXPECT_LE(right.x(), window->width()) << box->objectName().toStdString();
        EXPECT_GE(box->width(), 120) << box->objectName().toStdString();
    }
    const QString file = QStringLiteral("/tmp/causali_header_tab0.png");
    EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
}

} // namespace
} // namespace headertest
