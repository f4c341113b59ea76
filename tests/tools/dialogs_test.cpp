// The window's dialogs of the exchange and of the check, driven with real Qt events: the file
// typed, the buttons clicked, a finding double-clicked. With CAUSALI_DIALOG_SHOTS set to a
// folder, each dialog is also saved there as a picture.

#include "exchange_fixture.h"

#include "support/user_driver.h"

#include "tools/consistency_dialog.h"
#include "tools/exchange_dialogs.h"
#include "tools/exchange_import.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace toolstest {
namespace {

using causali::ConsistencyDialog;
using causali::FileExchangeDialog;

void typeInto(QLineEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// Ticks or clears a check box with the space bar.
void toggle(QCheckBox *box)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
}

void keepPicture(QWidget *dialog, const char *name)
{
    const QString folder = qEnvironmentVariable("CAUSALI_DIALOG_SHOTS");
    if (!folder.isEmpty())
        dialog->grab().save(QDir(folder).filePath(QLatin1String(name) + QStringLiteral(".png")));
}

class DialogsTest : public ExchangeFixture
{
protected:
    DialogsTest() { testsupport::application(); }

    QTemporaryDir folder;
    QString file(const char *name) const { return folder.filePath(QLatin1String(name)); }
};

TEST_F(DialogsTest, ExportWritesTheCodesTypedIntoTheFileTyped)
{
    FileExchangeDialog dialog(FileExchangeDialog::Mode::Export, sourceFile.connectionString());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(dialog.runButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.reportView()->toPlainText(), QStringLiteral("Indicare il file JSON."));
    typeInto(dialog.fileBox(), file("two.json"));
    typeInto(dialog.codesBox(), "stor, acqm");
    QTest::mouseClick(dialog.runButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.reportView()->toPlainText().startsWith("Esportate le causali STOR,ACQM"));
    QFile written(file("two.json"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), causali::exchange::exportCodes(source, {"ACQM", "STOR"}));
    keepPicture(&dialog, "dialog_export");
    // A code that does not exist: the reason, and the file left as it was.
    typeInto(dialog.codesBox(), "ACQM,NONE");
    QTest::mouseClick(dialog.runButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.reportView()->toPlainText().contains("Causali inesistenti: NONE"));
    EXPECT_EQ(QFile(file("two.json")).size(), written.size());
}

TEST_F(DialogsTest, ImportShowsTheReportAndTellsWhenItWrote)
{
    {
        QFile out(file("codes.json"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(causali::exchange::exportCodes(source, {"ACQM", "RIFM"}));
    }
    FileExchangeDialog dialog(FileExchangeDialog::Mode::Import, targetFile.connectionString());
    QSignalSpy written(&dialog, &FileExchangeDialog::codesWritten);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    typeInto(dialog.fileBox(), file("codes.json"));
    toggle(dialog.dryRunBox());
    ASSERT_TRUE(dialog.dryRunBox()->isChecked());
    QTest::mouseClick(dialog.runButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.reportView()->toPlainText().contains("Crea ACQM - Acquisto materie prime"));
    EXPECT_TRUE(dialog.reportView()->toPlainText().contains("nessuna scritta"));
    EXPECT_EQ(count(target, "CI03_CAUSALI"), 0);
    EXPECT_EQ(written.count(), 0);
    keepPicture(&dialog, "dialog_import");

    toggle(dialog.dryRunBox());
    QTest::mouseClick(dialog.runButton(), Qt::LeftButton);
    EXPECT_EQ(count(target, "CI03_CAUSALI"), 2);
    EXPECT_EQ(written.count(), 1);
    EXPECT_TRUE(dialog.written());

    typeInto(dialog.fileBox(), file("missing.json"));
    QTest::mouseClick(dialog.runButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.reportView()->toPlainText().startsWith("Impossibile leggere"));
}

TEST_F(DialogsTest, CheckListsTheFindingsAndAsksToOpenTheCodeDoubleClicked)
{
    exec(source, "DELETE FROM CI07_PROVCONTO WHERE CI07_PROVIDER = 5");
    ConsistencyDialog dialog(sourceFile.connectionString(), "ITA");
    QSignalSpy open(&dialog, &ConsistencyDialog::openCodeRequested);
    dialog.refresh();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTableWidget *table = dialog.table();
    ASSERT_EQ(table->rowCount(), dialog.findings().size());
    ASSERT_GT(table->rowCount(), 0);
    int providerRow = -1;
    for (int row = 0; row < table->rowCount(); ++row) {
        EXPECT_EQ(table->item(row, 0)->text(), dialog.findings()[row].code);
        if (providerRow < 0 && table->item(row, 1)->text() == "CI06_RICERCACONTO")
            providerRow = row;
    }
    ASSERT_GE(providerRow, 0);
    keepPicture(&dialog, "dialog_check");
    table->scrollToItem(table->item(providerRow, 2));
    const QRect cell = table->visualItemRect(table->item(providerRow, 2));
    ASSERT_TRUE(table->viewport()->rect().contains(cell.center()));
    // The first click of the double click presses the row; the second is the double click.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(open.count(), 1);
    EXPECT_EQ(open[0][0].toString(), dialog.findings()[providerRow].code);
    EXPECT_EQ(open[0][1].toInt(), 3); // the search-sequence tab
}

} // namespace
} // namespace toolstest
