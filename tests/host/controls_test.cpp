// The edit boxes as a user drives them: events in order, typing rules, decode and lookup on a
// scratch database, the language dialog and the management key.

#include "controls_fixture.h"

#include "ado/error.h"
#include "host/account_box.h"
#include "host/code_box.h"
#include "host/dialogs.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/main_navigator.h"
#include "host/number_box.h"
#include "host/small_controls.h"
#include "support/scripted_dialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using controlstest::Form;
using controlstest::ScratchDb;
using testsupport::ScriptedDialogs;
using testsupport::ScriptedDialogsGuard;

namespace {

// Records the events of a box as "name:Event" entries.
void logEvents(host::EditBox *box, QStringList &log)
{
    const QString n = box->objectName();
    QObject::connect(box, &host::EditBox::BeforeItem, [&log, n] { log << n + ":BeforeItem"; });
    QObject::connect(box, &host::EditBox::AfterItem, [&log, n] { log << n + ":AfterItem"; });
    host::connectHandler(box, &host::EditBox::Validate,
                         [&log, n](bool &) { log << n + ":Validate"; });
    host::connectHandler(
        box, &host::EditBox::StartDecode,
        [&log, n](QString &, host::DecodeTargets &, QString &) { log << n + ":StartDecode"; });
}

// Answers StartDecode with the model description query, filling `target`.
void decodeModels(host::EditBox *box, host::EditBox *target)
{
    host::connectHandler(box, &host::EditBox::StartDecode,
                         [box, target](QString &sql, host::DecodeTargets &targets, QString &conn) {
                             sql = QStringLiteral("SELECT DESCR FROM MODELLI WHERE CODICE = '%1'")
                                       .arg(box->Text().toString());
                             targets.push_back({target, QStringLiteral("DESCR")});
                             conn = QStringLiteral("Data Source=controls.db");
                         });
}

QWidget *focused()
{
    return QApplication::focusWidget();
}

} // namespace

TEST(CodeBox, EventsFollowTheUserAndValidateCanKeepTheFocus)
{
    Form form;
    auto *code = form.add<host::CodeBox>(QStringLiteral("A"));
    auto *other = form.add<host::CodeBox>(QStringLiteral("B"));
    code->setMaxLength(4);
    code->setUpperCase(true);
    ASSERT_TRUE(form.activate());
    QStringList log;
    logEvents(code, log);
    logEvents(other, log);
    int edits = 0;
    code->setEditedCallback([&edits] { ++edits; });

    QTest::mouseClick(code->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(code->lineEdit(), QStringLiteral("ab1cdef"));
    EXPECT_EQ(code->Text().toString(), QStringLiteral("AB1C")); // upper case, 4 at most
    EXPECT_EQ(edits, 4);
    EXPECT_FALSE(code->IsValid()); // typed, not yet committed

    bool refuse = true;
    host::connectHandler(code, &host::EditBox::Validate,
                         [&refuse](bool &cancel) { cancel = refuse; });
    QTest::keyClick(code->lineEdit(), Qt::Key_Tab);
    EXPECT_EQ(focused(), code->lineEdit());
    EXPECT_EQ(log, (QStringList{"A:BeforeItem", "A:Validate"}));

    refuse = false;
    QTest::keyClick(code->lineEdit(), Qt::Key_Tab);
    EXPECT_EQ(focused(), other->lineEdit());
    EXPECT_EQ(log, (QStringList{"A:BeforeItem", "A:Validate", "A:Validate", "A:StartDecode",
                                "A:AfterItem", "B:BeforeItem"}));
    EXPECT_TRUE(code->IsValid());

    // Leaving without a change validates but commits nothing.
    log.clear();
    QTest::keyClick(other->lineEdit(), Qt::Key_Backtab);
    EXPECT_EQ(log, (QStringList{"B:Validate", "A:BeforeItem"}));

    // Enter commits in place; the next key starts a new edit.
    log.clear();
    QTest::keyClick(code->lineEdit(), Qt::Key_End);
    QTest::keyClick(code->lineEdit(), Qt::Key_Backspace);
    QTest::keyClick(code->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(code->Text().toString(), QStringLiteral("AB1"));
    EXPECT_EQ(log, (QStringList{"A:StartDecode", "A:AfterItem"}));
    QTest::keyClicks(code->lineEdit(), QStringLiteral("z"));
    EXPECT_EQ(log.last(), QStringLiteral("A:BeforeItem"));
}

// A command button, a grid navigator's button and a navigator's key first settle the text
// typed in the focused box, as leaving it would; the box refusing it stops the command. The
// focus stays in the box.
TEST(CodeBox, CommandsSettleTheTypedTextFirstAndStopWhenItIsRefused)
{
    Form form;
    auto *code = form.add<host::CodeBox>(QStringLiteral("A"));
    auto *button = form.add<host::ToolButton>(QStringLiteral("CMD"));
    auto *grid = form.add<host::GridNavigator>(QStringLiteral("GNV"));
    auto *main = form.add<host::MainNavigator>(QStringLiteral("INV"));
    ASSERT_TRUE(form.activate());
    QStringList log;
    logEvents(code, log);
    bool refuse = true;
    host::connectHandler(code, &host::EditBox::Validate,
                         [&refuse](bool &cancel) { cancel = refuse; });
    QObject::connect(button, &host::ToolButton::Click, [&log] { log << "CMD"; });
    QObject::connect(grid, &host::GridNavigator::actionRequested,
                     [&log](const QString &name) { log << "GNV:" + name; });
    host::connectHandler(main, &host::MainNavigator::actionRequested,
                         [&log](const QString &key, long &) { log << "INV:" + key; });

    QTest::mouseClick(code->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(code->lineEdit(), QStringLiteral("ab"));
    const auto commands = [&] {
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(grid->button(QStringLiteral("Nuovo")), Qt::LeftButton);
        QTest::keySequence(code->lineEdit(), QKeySequence(Qt::CTRL | Qt::Key_N));
    };
    commands();
    EXPECT_EQ(log, (QStringList{"A:BeforeItem", "A:Validate", "A:Validate", "A:Validate"}));
    EXPECT_EQ(focused(), code->lineEdit());

    refuse = false;
    log.clear();
    commands();
    EXPECT_EQ(log, (QStringList{"A:Validate", "A:StartDecode", "A:AfterItem", "CMD", "A:Validate",
                                "GNV:Nuovo", "A:Validate", "INV:Nuovo"}));
    EXPECT_EQ(focused(), code->lineEdit());
    EXPECT_EQ(code->Text().toString(), QStringLiteral("ab"));
}

TEST(CodeBox, KeyDownComesFirstAndCanSwallowTheKey)
{
    Form form;
    auto *code = form.add<host::CodeBox>(QStringLiteral("A"));
    ASSERT_TRUE(form.activate());
    QList<QPair<int, int>> keys;
    host::connectHandler(code, &host::EditBox::KeyDown, [&keys](int &keyCode, int shift) {
        keys << qMakePair(keyCode, shift);
        if (keyCode == 'X')
            keyCode = 0;
    });
    QTest::mouseClick(code->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(code->lineEdit(), QStringLiteral("axb"));
    QTest::keyClick(code->lineEdit(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(code->Text().toString(), QStringLiteral("ab"));
    // VB codes, the shift key included (a test click presses it before Enter).
    ASSERT_EQ(keys.size(), 5);
    EXPECT_EQ(keys[0].first, 'A');
    EXPECT_EQ(keys[1].first, 'X');
    EXPECT_EQ(keys[3].first, 16);
    EXPECT_EQ(keys[4], qMakePair(int(host::vbKeyReturn), int(host::vbShiftMask)));
}

TEST(CodeBox, DecodeFillsTargetsOrClearsThemWhenNothingIsFound)
{
    ScratchDb db(controlstest::ModelsSchema);
    Form form;
    auto *model = form.add<host::CodeBox>(QStringLiteral("TXT_MODELLO"));
    auto *description = form.add<host::CodeBox>(QStringLiteral("TXT_DMODELLO"));
    model->setConnection(&db.connection);
    model->setUpperCase(true);
    description->setEnabled(false);
    decodeModels(model, description);
    ASSERT_TRUE(form.activate());

    QTest::mouseClick(model->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(model->lineEdit(), QStringLiteral("m1"));
    QTest::keyClick(model->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(description->Text().toString(), QStringLiteral("Modello uno"));
    EXPECT_TRUE(model->IsValid());

    QTest::keyClick(model->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(model->lineEdit(), QStringLiteral("9"));
    QTest::keyClick(model->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(model->Text().toString(), QStringLiteral("M9"));
    EXPECT_FALSE(model->IsValid());
    EXPECT_TRUE(description->Text().isNull()); // Null, not an empty text

    // A value set from code decodes too; an empty one is valid, clears and asks nothing.
    model->setText(QStringLiteral("M2"));
    EXPECT_EQ(description->Text().toString(), QStringLiteral("Modello due"));
    const quint64 before = db.connection.statementsRun();
    model->setText(QVariant::fromValue(nullptr));
    EXPECT_TRUE(model->IsValid());
    EXPECT_TRUE(description->Text().isNull());
    EXPECT_EQ(db.connection.statementsRun(), before);

    // A box whose window hands back no SQL has nothing to check: its text is valid.
    auto *plain = form.add<host::CodeBox>(QStringLiteral("TXT_CAUSALE"));
    plain->setText(QStringLiteral("ABCD"));
    EXPECT_TRUE(plain->IsValid());
}

TEST(CodeBox, DecodeErrorsAreClearAndShownNotSwallowed)
{
    ScratchDb db(controlstest::ModelsSchema);
    Form form;
    auto *model = form.add<host::CodeBox>(QStringLiteral("TXT_MODELLO"));
    auto *description = form.add<host::CodeBox>(QStringLiteral("TXT_DMODELLO"));
    decodeModels(model, description);

    // Called from code, Decode raises to the caller.
    model->setConnection(nullptr);
    try {
        model->setText(QStringLiteral("M1"));
        ADD_FAILURE() << "a decode without connection must raise";
    } catch (const ado::RuntimeError &e) {
        EXPECT_EQ(e.number(), 3709);
        EXPECT_TRUE(e.description().contains(QStringLiteral("connessione")));
    }

    // Started by the user, the error reaches the error dialog.
    model->setConnection(&db.connection);
    host::connectHandler(model, &host::EditBox::StartDecode,
                         [description](QString &, host::DecodeTargets &targets, QString &) {
                             targets.push_back({description, QStringLiteral("NESSUNA")});
                         });
    ASSERT_TRUE(form.activate());
    ScriptedDialogsGuard dialogs;
    dialogs->answerError(host::vbAbort);
    QTest::mouseClick(model->lineEdit(), Qt::LeftButton);
    QTest::keyClick(model->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(model->lineEdit(), QStringLiteral("M2"));
    QTest::keyClick(model->lineEdit(), Qt::Key_Return);
    const auto errors = dialogs->shownOf(ScriptedDialogs::Kind::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, 3265); // the unknown target column is named
    EXPECT_TRUE(errors[0].text.contains(QStringLiteral("NESSUNA")));
}

TEST(CodeBox, LookupWritesTheChosenCodeAsAUserEditAndDecodesIt)
{
    ScratchDb db(controlstest::ModelsSchema);
    Form form;
    auto *model = form.add<host::CodeBox>(QStringLiteral("TXT_MODELLO"));
    auto *description = form.add<host::CodeBox>(QStringLiteral("TXT_DMODELLO"));
    model->setConnection(&db.connection);
    model->setLookupEnabled(true);
    decodeModels(model, description);
    bool refuse = false;
    host::connectHandler(model, &host::EditBox::StartLookup,
                         [&refuse, model](bool &cancel, QString &sql, host::ColumnTable &columns,
                                          QString &title, QString &) {
                             cancel = refuse;
                             sql = QStringLiteral(
                                 "SELECT CODICE, DESCR FROM MODELLI ORDER BY CODICE");
                             columns = {{QStringLiteral("Codice"), QString()},
                                        {QStringLiteral("Descrizione"), QString()}};
                             title = QStringLiteral("Modelli");
                             model->setLookupName(QStringLiteral("Lkp_Modelli"));
                         });
    QStringList log;
    logEvents(model, log);
    int edits = 0;
    model->setEditedCallback([&edits] { ++edits; });
    ASSERT_TRUE(form.activate());

    ScriptedDialogsGuard dialogs;
    dialogs->answerLookup(QStringLiteral("M2"), QStringLiteral("Modelli"));
    QTest::mouseClick(model->lineEdit(), Qt::LeftButton);
    QTest::keyClick(model->lineEdit(), Qt::Key_F3);

    EXPECT_EQ(model->Text().toString(), QStringLiteral("M2"));
    EXPECT_EQ(description->Text().toString(), QStringLiteral("Modello due"));
    EXPECT_TRUE(model->IsValid());
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(log, (QStringList{"TXT_MODELLO:BeforeItem", "TXT_MODELLO:StartDecode",
                                "TXT_MODELLO:AfterItem"}));
    EXPECT_EQ(model->LookupName(), QStringLiteral("Lkp_Modelli"));
    const auto lookups = dialogs->shownOf(ScriptedDialogs::Kind::Lookup);
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(lookups[0].lookup.captions, (QStringList{"Codice", "Descrizione"}));
    ASSERT_EQ(lookups[0].lookup.rows.size(), 3u);
    EXPECT_EQ(lookups[0].lookup.rows[0].at(1).toString(), QStringLiteral("Modello uno"));

    // A cancelled lookup shows nothing (the scripted service fails on any dialog).
    refuse = true;
    model->lookup();
    // A list closed without a choice changes nothing.
    refuse = false;
    dialogs->answerLookup(QVariant());
    QTest::mouseClick(model->lineEdit(), Qt::LeftButton);
    QTest::mouseClick(model->findChild<QToolButton *>(), Qt::LeftButton);
    EXPECT_EQ(model->Text().toString(), QStringLiteral("M2"));
    EXPECT_EQ(edits, 1);
}

TEST(CodeBox, LanguageDialogAndManagementKey)
{
    ScratchDb db(controlstest::ModelsSchema);
    Form form;
    form.add<host::CodeBox>(QStringLiteral("TXT_CAUSALE")); // takes the focus first
    auto *box = form.add<host::CodeBox>(QStringLiteral("TXT_DCAUSALE"));
    box->setConnection(&db.connection);
    box->setMultiLanguage(true);
    box->setManagementKey(true);
    QStringList log;
    bool refuse = true;
    host::connectHandler(box, &host::CodeBox::OpenDescrizioniInLingua, [&](bool &cancel) {
        log << QStringLiteral("Open");
        box->setLanguageEntity(903);
        box->setLanguageRowId(7);
        cancel = refuse;
    });
    QObject::connect(box, &host::CodeBox::CloseDescrizioniInLingua,
                     [&log] { log << QStringLiteral("Close"); });
    QObject::connect(box, &host::CodeBox::BeforeEdit,
                     [&log] { log << QStringLiteral("BeforeEdit"); });
    QObject::connect(box, &host::CodeBox::KeyButtonMenuPress,
                     [&log](const QVariant &key) { log << key.toString(); });
    ASSERT_TRUE(form.activate());

    ScriptedDialogsGuard dialogs;
    auto *languages = box->findChildren<QToolButton *>().last();
    QTest::mouseClick(languages, Qt::LeftButton); // refused: no dialog
    refuse = false;
    dialogs->answerLanguage();
    QTest::mouseClick(languages, Qt::LeftButton);
    const auto shown = dialogs->shownOf(ScriptedDialogs::Kind::Language);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].entity, 903);
    EXPECT_EQ(shown[0].rowId.toInt(), 7);

    QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
    QTest::keyClick(box->lineEdit(), Qt::Key_F4);
    // Clicking the box's button enters the box first (BeforeEdit with BeforeItem).
    EXPECT_EQ(log, (QStringList{"BeforeEdit", "Open", "Open", "Close", "Kgestione"}));
}

TEST(NumberBox, TakesDigitsShowsItsFormatAndRaisesChangeForUserEdits)
{
    QLocale::setDefault(QLocale::c());
    Form form;
    auto *perc = form.add<host::NumberBox>(QStringLiteral("TXT_PERC"));
    auto *next = form.add<host::CodeBox>(QStringLiteral("NEXT"));
    perc->setIntegerDigits(3);
    perc->setDecimals(2);
    perc->setDisplayFormat(QStringLiteral("##0.00;-##0.00;;"));
    int changes = 0;
    QObject::connect(perc, &host::NumberBox::Change, [&changes] { ++changes; });
    ASSERT_TRUE(form.activate());

    QTest::mouseClick(perc->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(perc->lineEdit(), QStringLiteral("1a2345,5x67"));
    EXPECT_EQ(perc->Text().toString(), QStringLiteral("123,56"));
    EXPECT_DOUBLE_EQ(perc->value().toDouble(), 123.56);
    EXPECT_TRUE(perc->Changed());
    EXPECT_EQ(changes, 6);

    QTest::mouseClick(next->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(perc->lineEdit()->text(), QStringLiteral("123,56"));
    perc->setText(7.5);
    EXPECT_EQ(perc->lineEdit()->text(), QStringLiteral("7,50")); // shown with the format
    EXPECT_EQ(perc->Text().toString(), QStringLiteral("7,5"));
    EXPECT_DOUBLE_EQ(perc->boundValue().toDouble(), 7.5);
    EXPECT_FALSE(perc->Changed());
    EXPECT_EQ(changes, 6);
    QTest::mouseClick(perc->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(perc->lineEdit()->text(), QStringLiteral("7,5")); // plain while editing

    EXPECT_THROW(perc->setText(QStringLiteral("abc")), ado::RuntimeError);
    perc->setText(QVariant::fromValue(nullptr));
    EXPECT_TRUE(perc->value().isNull());

    auto *provider = form.add<host::NumberBox>(QStringLiteral("TXT_RICPROVDEST"));
    provider->setMaxLength(5);
    provider->setFocus();
    QTest::keyClicks(provider->lineEdit(), QStringLiteral("12.345678"));
    EXPECT_EQ(provider->value(), QVariant(qlonglong(12345)));
}

TEST(AccountBox, ShowsTheDescriptionOfTheDecodedAccountAndCanBeSwitchedOff)
{
    ScratchDb db("CREATE TABLE CONTI (PDC INTEGER, CONTO TEXT, DESCR TEXT, TIPO INTEGER);"
                 "INSERT INTO CONTI VALUES (1, '601001', 'Materie prime', 3);"
                 "INSERT INTO CONTI VALUES (2, '601001', 'Altro piano', 3);");
    Form form;
    auto *account = form.add<host::AccountBox>(QStringLiteral("TXT_CONTO"));
    account->setConnection(&db.connection);
    account->setChart(1);
    host::connectHandler(account, &host::EditBox::StartDecode,
                         [account](QString &sql, host::DecodeTargets &, QString &) {
                             sql = QStringLiteral("SELECT CONTO, DESCR FROM CONTI WHERE PDC = %1 "
                                                  "AND CONTO = '%2'")
                                       .arg(account->chart().toInt())
                                       .arg(account->value().toString());
                         });
    account->setValue(QStringLiteral("601001"));
    EXPECT_EQ(account->description(), QStringLiteral("Materie prime"));
    EXPECT_TRUE(account->IsValid());
    account->setValue(QStringLiteral("999"));
    EXPECT_EQ(account->description(), QString());
    EXPECT_FALSE(account->IsValid());

    account->setSwitchedOn(false);
    EXPECT_FALSE(account->isEnabledForInput());
    account->setTabStop(false);
    EXPECT_EQ(account->lineEdit()->focusPolicy(), Qt::NoFocus);
}
