#pragma once
// The printed listing of reason codes: one block per code with its description, its header
// fields (with the captions of their coded values), the account types of each side and its
// four lists; the heading of every page names the company and the date, the footer numbers
// the pages. `causali --print FILE.pdf [--codes A,B]` writes it to a PDF; the window's
// "Stampa" shows it in a print preview.

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace ado {
class Connection;
}
namespace causali {
class FRMCI_CAUSALI;
}

namespace tools {

// One printed line of a code's block.
struct PrintLine
{
    enum Kind { Title, Section, Text };
    Kind kind = Text;
    QString text;
};

struct PrintedCode
{
    QString code;
    std::vector<PrintLine> lines;
};

struct PrintJob
{
    QString company; // "1 - name"
    QDate date;
    std::vector<PrintedCode> codes;
};

// Reads the codes to print (all stored codes when `codes` is empty, otherwise those, in code
// order) in the language `language`. A code asked for that is not stored raises an error
// naming it.
PrintJob readPrintJob(ado::Connection &connection, int company, const QString &language,
                      const QStringList &codes = {});

// How many reason codes are stored.
long long storedCodeCount(ado::Connection &connection);

// Paints the job on the device, page by page (A4 portrait); returns the number of pages.
int paintPrintJob(const PrintJob &job, QPagedPaintDevice &device);

// Writes the job to a PDF file; returns the number of pages. Raises an error when the file
// cannot be written.
int writePdf(const PrintJob &job, const QString &file);

// How many codes the window's print preview shows at most: the preview paints every page
// before it opens (about two pages a code). More codes are printed with `--print`.
constexpr int PreviewCodeLimit = 500;

// The window's "Stampa": asks whether to print the code shown or every code (only while the
// database holds at most `limit` codes) and opens the print preview of it.
void previewPrint(causali::FRMCI_CAUSALI &window, int limit = PreviewCodeLimit);

} // namespace tools
