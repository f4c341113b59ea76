// The Qt dialogs of the dialog service: message-box styles, the error dialog, the lookup list
// and the descriptions in other languages. Each dialog is also rendered to a PNG in /tmp.

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "host/error_dialog.h"
#include "host/language_dialog.h"
#include "host/lookup_dialog.h"
#include "host/qt_dialogs.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void savePicture(QWidget &widget, const QString &name)
{
    widget.show();
    QCoreApplication::processEvents();
    widget.grab().save(QStringLiteral("/tmp/%1.png").arg(name));
}

QStringList buttonTexts(QMessageBox &box)
{
    QStringList texts;
    for (auto *button : box.buttons())
        texts << button->text();
    texts.sort();
    return texts;
}

TEST(QtDialogsTest, MessageBoxFollowsTheVbStyle)
{
    testsupport::application();
    auto box = host::createMessageBox(QStringLiteral("Salvare le modifiche?"),
                                      host::vbYesNoCancel | host::vbQuestion
                                          | host::vbDefaultButton2,
                                      QStringLiteral("Attenzione"));
    EXPECT_EQ(buttonTexts(*box), (QStringList{"Annulla", "No", "Sì"}));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Attenzione"));

    box = host::createMessageBox(QStringLiteral("x"), 4370, {}); // critical, A/R/I, 2nd default
    EXPECT_EQ(buttonTexts(*box), (QStringList{"Ignora", "Interrompi", "Riprova"}));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Retry));

    box = host::createMessageBox(QStringLiteral("x"), host::vbExclamation | 512, {});
    EXPECT_EQ(buttonTexts(*box), QStringList{"OK"}); // third default of one button: the first
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    box = host::createMessageBox(QStringLiteral("x"), host::vbRetryCancel | host::vbInformation,
                                 {});
    EXPECT_EQ(buttonTexts(*box), (QStringList{"Annulla", "Riprova"}));
    EXPECT_EQ(box->icon(), QMessageBox::Information);

    EXPECT_EQ(host::answerOfButton(QMessageBox::Ignore), host::vbIgnore);
    EXPECT_EQ(host::answerOfButton(QMessageBox::Help), 0);
}

TEST(QtDialogsTest, MessageAnswersWithTheButtonPressed)
{
    testsupport::application();
    auto previous = host::DialogService::install(std::make_unique<host::QtDialogs>());
    QTimer::singleShot(0, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(
        host::DialogService::instance().message(QStringLiteral("Eliminare?"), host::vbYesNo, {}),
        host::vbNo);
    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_EQ(
        host::DialogService::instance().message(QStringLiteral("Uscire?"), host::vbOKCancel, {}),
        host::vbCancel);
    host::DialogService::install(std::move(previous));
}

TEST(QtDialogsTest, ErrorDialogShowsTheErrorAndAnswersThreeFourFive)
{
    testsupport::application();
    const QString source = QStringLiteral(
        "\r\nForm_Activate\r\nConfigurazioneGriglie:\r\nINITGRD_SEZIONALI:");
    host::ErrorDialog dialog(QStringLiteral("Contabilità analitica - Anagrafica causali"), 3265,
                             QStringLiteral("Elemento non trovato nell'insieme corrispondente al "
                                            "nome o al numero richiesto (DESCR_DITTA)."),
                             source, 4370);
    EXPECT_TRUE(dialog.button(host::vbRetry)->isDefault());
    const auto *sourceBox = dialog.findChild<QPlainTextEdit *>(QStringLiteral("source"));
    ASSERT_NE(sourceBox, nullptr);
    EXPECT_EQ(sourceBox->toPlainText(),
              QStringLiteral("Form_Activate\nConfigurazioneGriglie:\nINITGRD_SEZIONALI:"));
    savePicture(dialog, QStringLiteral("error_dialog"));

    for (int answer : {host::vbAbort, host::vbRetry, host::vbIgnore}) {
        host::ErrorDialog d(QStringLiteral("t"), 5, QStringLiteral("d"), QString(), 4370);
        QTimer::singleShot(0, [&d, answer] { d.button(answer)->click(); });
        EXPECT_EQ(d.ask(), answer);
    }
    host::ErrorDialog closed(QStringLiteral("t"), 5, QStringLiteral("d"), QString(), 4370);
    QTimer::singleShot(0, [&closed] { QTest::keyClick(&closed, Qt::Key_Escape); });
    EXPECT_EQ(closed.ask(), host::vbAbort);
}

host::LookupRequest reasonCodeRequest()
{
    host::LookupRequest request;
    request.title = QStringLiteral("Causali di contabilità analitica");
    request.captions = QStringList{QStringLiteral("Codice"), QStringLiteral("Descrizione")};
    request.rows = {{QStringLiteral("ACQM"), QStringLiteral("Acquisti di materie prime")},
                    {QStringLiteral("CESE"), QStringLiteral("Costi d'esercizio")},
                    {QStringLiteral("GIRO"), QStringLiteral("Giroconto fra centri")},
                    {QStringLiteral("MOD1"), QVariant::fromValue(nullptr)},
                    {QStringLiteral("RIP1"), QStringLiteral("Ripartizione costi indiretti")}};
    return request;
}

TEST(QtDialogsTest, LookupFiltersAndPicksTheKeyOfTheCurrentRow)
{
    testsupport::application();
    host::LookupDialog dialog(reasonCodeRequest());
    EXPECT_EQ(dialog.visibleRowCount(), 5);
    EXPECT_EQ(dialog.currentKey(), QVariant(QStringLiteral("ACQM")));
    EXPECT_EQ(dialog.table()->item(3, 1)->text(), QString()); // Null shows nothing
    savePicture(dialog, QStringLiteral("lookup_dialog"));

    dialog.setFilterText(QStringLiteral("COSTI"));
    EXPECT_EQ(dialog.visibleRowCount(), 2);
    EXPECT_EQ(dialog.currentKey(), QVariant(QStringLiteral("CESE")));
    dialog.setFilterText(QStringLiteral("nessuna"));
    EXPECT_EQ(dialog.visibleRowCount(), 0);
    EXPECT_FALSE(dialog.currentKey().isValid());

    host::LookupDialog typed(reasonCodeRequest());
    QTimer::singleShot(0, [&typed] {
        QTest::keyClicks(typed.filterBox(), QStringLiteral("gir"));
        QTest::keyClick(typed.filterBox(), Qt::Key_Return);
    });
    EXPECT_EQ(typed.pick(), QVariant(QStringLiteral("GIRO")));

    host::LookupDialog moved(reasonCodeRequest());
    QTimer::singleShot(0, [&moved] {
        QTest::keyClick(moved.filterBox(), Qt::Key_Down);
        QTest::keyClick(moved.table(), Qt::Key_Enter);
    });
    EXPECT_EQ(moved.pick(), QVariant(QStringLiteral("CESE")));

    host::LookupDialog cancelled(reasonCodeRequest());
    QTimer::singleShot(0, [&cancelled] { QTest::keyClick(cancelled.filterBox(), Qt::Key_Escape); });
    EXPECT_FALSE(cancelled.pick().isValid());
}

// A list of long texts opens wide enough for its columns, typing in the list filters it, and
// the list opens again at the size it was left at.
TEST(QtDialogsTest, LookupFitsItsColumnsFiltersWhatIsTypedAndKeepsItsSize)
{
    testsupport::application();
    host::LookupRequest request = reasonCodeRequest();
    request.title = QStringLiteral("Ricerca causali");
    request.captions << QStringLiteral("Tipo movimentazione dati") << QStringLiteral("Segno")
                     << QStringLiteral("Tipo costo standard");
    for (auto &row : request.rows)
        row << QStringLiteral("Movimentazione di magazzino") << QStringLiteral("Causale di costo")
            << QStringLiteral("Costo std anagrafico");
    host::LookupDialog wide(request);
    savePicture(wide, QStringLiteral("lookup_wide"));
    EXPECT_FALSE(wide.table()->horizontalScrollBar()->isVisible());
    EXPECT_GT(wide.width(), 560);

    wide.table()->setFocus();
    QTest::keyClicks(wide.table(), QStringLiteral("gir"));
    EXPECT_EQ(wide.filterBox()->text(), QStringLiteral("gir"));
    EXPECT_EQ(wide.visibleRowCount(), 1);

    QTimer::singleShot(0, [&wide] {
        wide.resize(900, 500);
        QTest::keyClick(wide.filterBox(), Qt::Key_Escape);
    });
    EXPECT_FALSE(wide.pick().isValid());
    host::LookupDialog again(request);
    EXPECT_EQ(again.size(), QSize(900, 500));

    // Kept in a layout settings file, the size outlives the program: a list opens at the size
    // its file holds, and at its fitted size with a file that holds none.
    QTemporaryDir dir;
    const QString stored = dir.filePath(QStringLiteral("stored.ini"));
    const QString empty = dir.filePath(QStringLiteral("empty.ini"));
    host::LookupDialog::setSettingsFile(stored);
    host::LookupDialog left(request);
    QTimer::singleShot(0, [&left] {
        left.resize(880, 420);
        QTest::keyClick(left.filterBox(), Qt::Key_Escape);
    });
    left.pick();
    host::LookupDialog::setSettingsFile(empty);
    host::LookupDialog fitted(request);
    EXPECT_NE(fitted.size(), QSize(880, 420));
    host::LookupDialog::setSettingsFile(stored);
    host::LookupDialog restored(request);
    EXPECT_EQ(restored.size(), QSize(880, 420));
    host::LookupDialog::setSettingsFile(std::nullopt);
}

class LanguageDescriptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::application();
        connection.Open(database.connectionString());
    }
    QMap<QString, QString> stored(const QVariant &rowId)
    {
        QMap<QString, QString> result;
        auto rs = connection.Execute(
            QStringLiteral("SELECT CI99_CODLINGUA_MG52, CI99_DESCRIZIONE FROM CI99_DESLINGUA"
                           " WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV = %1")
                .arg(rowId.toString()));
        for (; !rs->isEOF(); rs->MoveNext())
            result.insert(rs->Fields(0).Value().toString().trimmed(),
                          rs->Fields(1).Value().toString());
        return result;
    }
    QVariant idOf(const char *code)
    {
        auto rs = connection.Execute(
            QStringLiteral("SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = '%1'")
                .arg(QLatin1String(code)));
        return rs->Fields(0).Value();
    }

    testsupport::TestDatabase database;
    ado::Connection connection;
};

TEST_F(LanguageDescriptionsTest, ListsEveryLanguageBaseFirstAndSavesTheChangedOnes)
{
    const QVariant id = idOf(testsupport::demo::ItalianOnlyCode);
    const auto before = stored(id);
    ASSERT_EQ(before.keys(), QStringList{QStringLiteral("ITA")});

    host::LanguageDescriptions descriptions(connection, 903, id);
    descriptions.load();
    QStringList codes;
    for (const auto &row : descriptions.rows())
        codes << row.code + '=' + row.name;
    EXPECT_TRUE(codes.value(0).startsWith(QStringLiteral("ITA=")));
    for (const char *code : {"ENG=Inglese", "DEU=", "FRA="})
        EXPECT_EQ(codes.filter(QLatin1String(code)).size(), 1) << code;
    EXPECT_FALSE(descriptions.rows().at(0).text.isEmpty());
    EXPECT_FALSE(descriptions.hasChanges());

    descriptions.setText(QStringLiteral("ENG"), QStringLiteral("Year-end closing  "));
    descriptions.setText(QStringLiteral("DEU"), QStringLiteral("Jahresabschluss"));
    EXPECT_TRUE(descriptions.hasChanges());
    descriptions.save();
    EXPECT_FALSE(descriptions.hasChanges());
    auto after = stored(id);
    EXPECT_EQ(after.value(QStringLiteral("ENG")), QStringLiteral("Year-end closing"));
    EXPECT_EQ(after.value(QStringLiteral("DEU")), QStringLiteral("Jahresabschluss"));
    EXPECT_EQ(after.value(QStringLiteral("ITA")), before.value(QStringLiteral("ITA")));

    // Emptying a language removes its row; other reason codes keep theirs.
    const auto otherBefore = stored(idOf(testsupport::demo::StandardCode));
    descriptions.setText(QStringLiteral("DEU"), QString());
    descriptions.save();
    after = stored(id);
    EXPECT_FALSE(after.contains(QStringLiteral("DEU")));
    EXPECT_TRUE(after.contains(QStringLiteral("ENG")));
    EXPECT_EQ(stored(idOf(testsupport::demo::StandardCode)), otherBefore);

    EXPECT_THROW(descriptions.setText(QStringLiteral("XXX"), QStringLiteral("?")),
                 ado::RuntimeError);
    descriptions.setText(QStringLiteral("FRA"),
                         QString(host::LanguageDescriptions::MaxLength + 1, 'a'));
    EXPECT_THROW(descriptions.save(), ado::RuntimeError);
    EXPECT_FALSE(stored(id).contains(QStringLiteral("FRA")));
}

TEST_F(LanguageDescriptionsTest, DialogEditsAndSavesThroughTheTable)
{
    const QVariant id = idOf(testsupport::demo::StandardCode);
    host::LanguageDialog dialog(connection, 903, id);
    QTableWidget *table = dialog.table();
    ASSERT_GE(table->rowCount(), 4);
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("ITA - Italiano"));
    EXPECT_EQ(table->item(0, 1)->text(), QLatin1String(testsupport::demo::ApostropheDescription));
    savePicture(dialog, QStringLiteral("language_dialog"));
    table->item(1, 1)->setText(QStringLiteral("Operating costs"));
    ASSERT_TRUE(dialog.saveEdits());
    EXPECT_EQ(stored(id).value(table->item(1, 0)->data(Qt::UserRole).toString()),
              QStringLiteral("Operating costs"));
}

} // namespace
