// The printed listing: what is read for each code, pages as the PDF holds them, and the
// window's print preview.

#include "tools_fixture.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/dialogs.h"
#include "host/small_controls.h"
#include "tools/print_codes.h"
#include "tools/tools_menu.h"

#include <QFile>
#include <QPrintPreviewDialog>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace toolstest {
namespace {

using PrintTest = ToolsTest;

// The page objects of a PDF file (its page tree lists them as "/Type /Page").
int pdfPages(const QString &file)
{
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadOnly))
        return -1;
    const QString content = QString::fromLatin1(pdf.readAll());
    return int(content.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
}

QStringList texts(const tools::PrintedCode &code)
{
    QStringList all;
    for (const tools::PrintLine &line : code.lines)
        all << line.text;
    return all;
}

TEST_F(PrintTest, ReadsEachCodeWithItsHeaderAndListsInCodeOrder)
{
    ado::Connection &connection = *window->connection();
    const tools::PrintJob all = tools::readPrintJob(connection, 1, QStringLiteral("ITA"));
    ASSERT_EQ(all.codes.size(), 21u);
    EXPECT_EQ(all.codes.front().code, QStringLiteral("ACQM"));
    EXPECT_TRUE(all.company.startsWith(QStringLiteral("1 - ")));

    const tools::PrintJob two = tools::readPrintJob(
        connection, 1, QStringLiteral("ENG"), {QStringLiteral("cese"), QStringLiteral("ACQM")});
    ASSERT_EQ(two.codes.size(), 2u);
    const QStringList acqm = texts(two.codes[0]);
    EXPECT_EQ(acqm.first(), QStringLiteral("ACQM  Raw material purchase"));
    EXPECT_TRUE(acqm.contains(QStringLiteral("Ditta 2: sezionale AC")));
    EXPECT_EQ(acqm.filter(QStringLiteral("provider")).size(), 10);
    const QStringList cese = texts(two.codes[1]);
    EXPECT_EQ(cese.filter(QStringLiteral("% ")).size(), 3) << cese.join('\n').toStdString();
    EXPECT_TRUE(cese.contains(QStringLiteral("1. Dare 60,00%  conto 0401001  v.d.s. 10005")))
        << cese.join('\n').toStdString();

    EXPECT_THROW(
        tools::readPrintJob(connection, 1, QStringLiteral("ITA"), {QStringLiteral("NOPE")}),
        ado::RuntimeError);
}

TEST_F(PrintTest, PdfHasThePagesPaintedAndLongCodesGoOnFollowingPages)
{
    QTemporaryDir dir;
    ado::Connection &connection = *window->connection();
    const QString one = dir.filePath(QStringLiteral("one.pdf"));
    EXPECT_EQ(tools::writePdf(tools::readPrintJob(connection, 1, QStringLiteral("ITA"),
                                                  {QStringLiteral("CESE")}),
                              one),
              1);
    EXPECT_EQ(pdfPages(one), 1);

    const QString all = dir.filePath(QStringLiteral("all.pdf"));
    const int pages = tools::writePdf(tools::readPrintJob(connection, 1, QStringLiteral("ITA")),
                                      all);
    EXPECT_GT(pages, 1);
    EXPECT_EQ(pdfPages(all), pages);

    // A code longer than a page is split; an empty listing is one page.
    tools::PrintJob job;
    tools::PrintedCode code{QStringLiteral("LONG"), {}};
    for (int i = 0; i < 200; ++i)
        code.lines.push_back({tools::PrintLine::Text, QStringLiteral("riga %1").arg(i)});
    job.codes.push_back(code);
    const QString longFile = dir.filePath(QStringLiteral("long.pdf"));
    const int longPages = tools::writePdf(job, longFile);
    EXPECT_GE(longPages, 3);
    EXPECT_EQ(pdfPages(longFile), longPages);
    EXPECT_EQ(tools::writePdf(tools::PrintJob{}, dir.filePath(QStringLiteral("empty.pdf"))), 1);

    EXPECT_THROW(tools::writePdf(job, dir.filePath(QStringLiteral("missing/x.pdf"))),
                 ado::RuntimeError);
}

TEST_F(PrintTest, WindowAsksWhatToPrintAndOpensThePreview)
{
    showCode(QStringLiteral("CESE"));
    dialogs->answerMessage(2, QStringLiteral("Stampare la causale mostrata"));
    user->pressKeys(tools::PrintKeys);
    EXPECT_EQ(window->findChild<QPrintPreviewDialog *>(), nullptr) << "\"Annulla\" prints nothing";

    dialogs->answerMessage(0, QStringLiteral("tutte le causali"));
    user->pressKeys(tools::PrintKeys);
    auto *preview = window->findChild<QPrintPreviewDialog *>();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    preview->close();
}

TEST_F(PrintTest, BeyondThePreviewLimitOnlyTheCodeShownIsOffered)
{
    showCode(QStringLiteral("CESE"));
    dialogs->answerMessage(1, QStringLiteral("Le causali sono 21"));
    tools::previewPrint(*window, 20);
    ASSERT_EQ(dialogs->shown().size(), 1u);
    EXPECT_EQ(dialogs->shown()[0].text.contains(QStringLiteral("Stampare la causale CESE?")), true);
    EXPECT_EQ(window->findChild<QPrintPreviewDialog *>(), nullptr) << "the answer was \"Annulla\"";

    dialogs->answerMessage(host::vbOK, QStringLiteral("usare causali --print"));
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Nuovo")));
    tools::previewPrint(*window, 20);
    EXPECT_EQ(window->findChild<QPrintPreviewDialog *>(), nullptr);
}

} // namespace
} // namespace toolstest
