#include "tools/print_codes.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/sql_text.h"
#include "data/value_domains.h"
#include "host/message_dictionary.h"
#include "satellites/account_checks_page.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <map>

namespace tools {

namespace {

using causali::sql::lines;
using causali::sql::quoted;

QString text(ado::Recordset &rs, const QString &column)
{
    return ado::NormalizzaStringa(rs.Fields(column).Value());
}

// "caption (code)" of a coded value, or the bare code when the domain does not know it.
QString domainText(const causali::ValueDomain &domain, const QString &code)
{
    const causali::DomainItem *item = causali::findItem(domain, code);
    return item ? item->caption : code;
}

QString yesNo(const QString &flag)
{
    return flag == QLatin1String("1") ? QStringLiteral("sì") : QStringLiteral("no");
}

QString codeCondition(const QString &column, const QStringList &codes)
{
    if (codes.isEmpty())
        return QString();
    QStringList quotedCodes;
    for (const QString &code : codes)
        quotedCodes << quoted(code);
    return QStringLiteral(" WHERE ") + column + QStringLiteral(" IN (")
           + quotedCodes.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// Every row of a statement, grouped by its first column (the reason code).
using Grouped = QHash<QString, std::vector<QStringList>>;
Grouped readGrouped(ado::Connection &connection, const QString &statement)
{
    Grouped grouped;
    auto rs = connection.Execute(statement, nullptr, ado::adCmdText);
    for (; !rs->isEOF(); rs->MoveNext()) {
        QStringList row;
        for (int i = 1; i < rs->FieldCount(); ++i)
            row << ado::NormalizzaStringa(rs->Fields(i).Value());
        grouped[ado::NormalizzaStringa(rs->Fields(0).Value())].push_back(row);
    }
    rs->Close();
    return grouped;
}

QString companyText(ado::Connection &connection, int company)
{
    auto rs = connection.Execute(
        lines({QStringLiteral(" SELECT CG16_RAGSOANAG"), QStringLiteral(" FROM CG18_ANADITTABASE"),
               QStringLiteral(" INNER JOIN CG16_ANAGGEN ON CG18_CODICE_CG16 = CG16_CODICE"),
               QStringLiteral(" WHERE CG18_DITTA = ") + QString::number(company)}),
        nullptr, ado::adCmdText);
    const QString name = rs->isEOF() ? QString() : text(*rs, QStringLiteral("CG16_RAGSOANAG"));
    rs->Close();
    return QString::number(company) + (name.isEmpty() ? QString() : QStringLiteral(" - ") + name);
}

QString accountTypes(const QStringList &flags)
{
    static const host::MessageDictionary messages;
    QStringList ticked;
    for (int i = 0; i < flags.size() && i < 10; ++i) {
        if (flags[i] == QLatin1String("1"))
            ticked << messages.GetText(host::msg::AccountTypeTexts[i]);
    }
    return ticked.isEmpty() ? QStringLiteral("tutte") : ticked.join(QStringLiteral(", "));
}

struct Lists
{
    Grouped checks, journals, search, proposal;
};

// The rows of one list for the codes (all codes when none are given), grouped by code: the
// code column first, then `columns`, in the order of `order` after the code.
Grouped readList(ado::Connection &connection, const QString &from, const QString &codeColumn,
                 const QString &columns, const QString &order, const QStringList &codes)
{
    return readGrouped(
        connection,
        lines({QStringLiteral(" SELECT ") + codeColumn + QStringLiteral(", ") + columns,
               QStringLiteral(" FROM ") + from + codeCondition(codeColumn, codes),
               QStringLiteral(" ORDER BY ") + codeColumn + QStringLiteral(", ") + order}));
}

Lists readLists(ado::Connection &connection, const QStringList &codes)
{
    QStringList flags;
    for (const QString &column : causali::AccountChecksPage::flagColumns())
        flags << column;
    Lists lists;
    lists.checks = readList(connection, QStringLiteral("CI11_CONTROLLOCONTI"),
                            QStringLiteral("CI11_CODCAUS_CI03"),
                            QStringLiteral("CI11_SEGNO, ") + flags.join(QStringLiteral(", ")),
                            QStringLiteral("CI11_SEGNO"), codes);
    lists.journals = readList(connection, QStringLiteral("CI05_PROPSEZ"),
                              QStringLiteral("CI05_CAUSALE_CI03"),
                              QStringLiteral("CI05_DITTA_CG18, CI05_SEZIONALE_CG68"),
                              QStringLiteral("CI05_DITTA_CG18"), codes);
    lists.search = readList(
        connection,
        QStringLiteral("CI06_RICERCACONTO LEFT JOIN CI07_PROVCONTO"
                       " ON CI07_PROVIDER = CI06_PROVIDER_CI07"),
        QStringLiteral("CI06_CAUSALE_CI03"),
        QStringLiteral("CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROGRESSIVO, CI06_PROVIDER_CI07, "
                       "CI07_DESCRIZIONE"),
        QStringLiteral("CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROGRESSIVO"), codes);
    lists.proposal = readList(connection, QStringLiteral("CI10_PROPCONTICAUS"),
                              QStringLiteral("CI10_CODCAUS_CI03"),
                              QStringLiteral("CI10_PROG, CI10_INDSEGNO, CI10_PERC, "
                                             "CI10_CONTO_PC03, CI10_VDS_PC03"),
                              QStringLiteral("CI10_PROG"), codes);
    return lists;
}

void addHeaderLines(ado::Recordset &rs, PrintedCode &printed)
{
    using namespace causali;
    auto add = [&printed](const QString &line) {
        printed.lines.push_back({PrintLine::Text, line});
    };
    add(QStringLiteral("Segno: ") + domainText(domainTipoCosto(), text(rs, "CI03_INDTIPOCOSRIC"))
        + QStringLiteral("    Movimentazione dati: ")
        + domainText(domainMovDati(), text(rs, "CI03_INDTIPOMOVDATI")));
    add(QStringLiteral("Tipo costo standard: ")
        + domainText(domainPropCosto(), text(rs, "CI03_INDPROPCOSTO"))
        + QStringLiteral("    Prov. costo standard: ")
        + domainText(domainProvCosto(), text(rs, "CI03_INDPROVCOSTO")));
    add(QStringLiteral("Modello: ")
        + domainText(domainTipoModello(), text(rs, "CI03_INDSTAPER_CI04")) + QLatin1Char(' ')
        + text(rs, "CI03_MODELLO_CI04") + QStringLiteral("    Valorizzazione a qta. / valore: ")
        + domainText(domainQtaValore(), text(rs, "CI03_INDREGVALQTA")));
    add(QStringLiteral("Causale collegata: ") + text(rs, "CI03_CODCAUSCOLL")
        + QStringLiteral("    Causale mov. da conto di rif.: ")
        + text(rs, "CI03_CAUSCOLLRIF_CI03"));
    add(QStringLiteral("Numerazione automatica: ") + yesNo(text(rs, "CI03_FLGNUMAUTOM"))
        + QStringLiteral("    Rilevazione progetti: ") + yesNo(text(rs, "CI03_FLGRILPROG")));
}

// A section with one line per row, or "nessuna riga".
void addSection(PrintedCode &printed, const QString &caption, const QStringList &rows)
{
    printed.lines.push_back({PrintLine::Section, caption});
    if (rows.isEmpty())
        printed.lines.push_back({PrintLine::Text, QStringLiteral("nessuna riga")});
    for (const QString &row : rows)
        printed.lines.push_back({PrintLine::Text, row});
}

void addListLines(const QString &code, const Lists &lists, PrintedCode &printed)
{
    QStringList debit, credit;
    for (const QStringList &row : lists.checks.value(code))
        (row.value(0) == QLatin1String("1") ? debit : credit) = row.mid(1);
    addSection(printed, QStringLiteral("Tipologie conti"),
               {QStringLiteral("Destinazione (Dare): ") + accountTypes(debit),
                QStringLiteral("Origine (Avere): ") + accountTypes(credit)});
    QStringList rows;
    for (const QStringList &row : lists.journals.value(code))
        rows << QStringLiteral("Ditta ") + row.value(0) + QStringLiteral(": sezionale ")
                    + row.value(1);
    addSection(printed, QStringLiteral("Sezionali per ditta"), rows);
    rows.clear();
    for (const QStringList &row : lists.search.value(code))
        rows << (row.value(0) == QLatin1String("1") ? QStringLiteral("Destinazione")
                                                    : QStringLiteral("Origine"))
                    + QStringLiteral(", ") + domainText(causali::domainTipoRiga(), row.value(1))
                    + QStringLiteral(", ") + row.value(2) + QStringLiteral(". provider ")
                    + row.value(3) + QLatin1Char(' ') + row.value(4);
    addSection(printed, QStringLiteral("Sequenza di ricerca conto"), rows);
    rows.clear();
    static const QLocale italian(QLocale::Italian, QLocale::Italy);
    for (const QStringList &row : lists.proposal.value(code))
        rows << row.value(0) + QStringLiteral(". ")
                    + domainText(causali::domainSegno(), row.value(1)) + QLatin1Char(' ')
                    + italian.toString(row.value(2).toDouble(), 'f', 2)
                    + QStringLiteral("%  conto ") + row.value(3)
                    + (row.value(4).isEmpty() ? QString()
                                              : QStringLiteral("  v.d.s. ") + row.value(4));
    addSection(printed, QStringLiteral("Proposta di sviluppo registrazione"), rows);
}

} // namespace

long long storedCodeCount(ado::Connection &connection)
{
    auto rs = connection.Execute(
        QStringLiteral(" SELECT COUNT(*) AS NUMERORIGHE FROM CI03_CAUSALI"), nullptr,
        ado::adCmdText);
    const long long count = ado::CDbl(rs->Fields(0).Value());
    rs->Close();
    return count;
}

PrintJob readPrintJob(ado::Connection &connection, int company, const QString &language,
                      const QStringList &codes)
{
    PrintJob job;
    job.company = companyText(connection, company);
    job.date = QDate::currentDate();
    QStringList wanted;
    for (const QString &code : codes)
        wanted << code.trimmed().toUpper();
    const Lists lists = readLists(connection, wanted);
    auto rs = connection.Execute(
        lines({QStringLiteral(" SELECT CI03_CAUSALI.*, CI99_DESCRIZIONE"),
               QStringLiteral(" FROM CI03_CAUSALI LEFT JOIN CI99_DESLINGUA"
                              " ON CI99_IDPROV = CI03_IDPROV AND CI99_PROVID_FW4A = ")
                   + QString::number(causali::ProvenienzaCausale)
                   + QStringLiteral(" AND CI99_CODLINGUA_MG52 = ") + quoted(language)
                   + codeCondition(QStringLiteral("CI03_CODCAUS"), wanted),
               QStringLiteral(" ORDER BY CI03_CODCAUS")}),
        nullptr, ado::adCmdText);
    for (; !rs->isEOF(); rs->MoveNext()) {
        PrintedCode printed;
        printed.code = text(*rs, QStringLiteral("CI03_CODCAUS"));
        QString description = text(*rs, QStringLiteral("CI99_DESCRIZIONE"));
        if (description.isEmpty())
            description = text(*rs, QStringLiteral("CI03_DESCR"));
        printed.lines.push_back(
            {PrintLine::Title, printed.code + QStringLiteral("  ") + description});
        addHeaderLines(*rs, printed);
        addListLines(printed.code, lists, printed);
        job.codes.push_back(std::move(printed));
    }
    rs->Close();
    for (const QString &code : wanted) {
        const bool found = std::any_of(job.codes.begin(), job.codes.end(),
                                       [&](const PrintedCode &c) { return c.code == code; });
        if (!found)
            ado::raise(3021, QStringLiteral("La causale %1 non esiste.").arg(code),
                       QStringLiteral("Stampa"));
    }
    return job;
}

namespace {

struct PageFonts
{
    QFont heading{QStringLiteral("DejaVu Sans"), 12, QFont::Bold};
    QFont title{QStringLiteral("DejaVu Sans"), 11, QFont::Bold};
    QFont section{QStringLiteral("DejaVu Sans"), 9, QFont::Bold};
    QFont body{QStringLiteral("DejaVu Sans"), 9};

    const QFont &of(PrintLine::Kind kind) const
    {
        return kind == PrintLine::Title ? title : kind == PrintLine::Section ? section : body;
    }
};

// A printed line placed on a page.
struct Placed
{
    const PrintLine *line;
    int y;
};

int lineHeight(const PageFonts &fonts, PrintLine::Kind kind, QPaintDevice &device)
{
    const int height = QFontMetrics(fonts.of(kind), &device).lineSpacing();
    return kind == PrintLine::Title ? height * 3 / 2 : height;
}

// The lines of every page. A code starts on a new page when its block does not fit in what
// is left of the current one (a block longer than a page is split).
std::vector<std::vector<Placed>> paginate(const PrintJob &job, const PageFonts &fonts,
                                          QPaintDevice &device, int top, int bottom)
{
    std::vector<std::vector<Placed>> pages(1);
    int y = top;
    const int gap = QFontMetrics(fonts.body, &device).lineSpacing();
    for (const PrintedCode &code : job.codes) {
        int block = 0;
        for (const PrintLine &line : code.lines)
            block += lineHeight(fonts, line.kind, device);
        if (y > top && y + block > bottom) {
            pages.emplace_back();
            y = top;
        }
        for (const PrintLine &line : code.lines) {
            const int height = lineHeight(fonts, line.kind, device);
            if (y + height > bottom && y > top) {
                pages.emplace_back();
                y = top;
            }
            pages.back().push_back({&line, y});
            y += height;
        }
        y += gap;
    }
    return pages;
}

void paintFrame(QPainter &painter, const PrintJob &job, const PageFonts &fonts, QRect area,
                int page, int pages)
{
    static const QLocale italian(QLocale::Italian, QLocale::Italy);
    painter.setFont(fonts.heading);
    const int headingHeight = QFontMetrics(fonts.heading, painter.device()).lineSpacing();
    painter.drawText(QRect(area.left(), area.top(), area.width(), headingHeight),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Causali di contabilità analitica"));
    painter.setFont(fonts.body);
    painter.drawText(QRect(area.left(), area.top(), area.width(), headingHeight),
                     Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Data: ")
                         + italian.toString(job.date, QStringLiteral("dd/MM/yyyy")));
    const int bodyHeight = QFontMetrics(fonts.body, painter.device()).lineSpacing();
    painter.drawText(QRect(area.left(), area.top() + headingHeight, area.width(), bodyHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ditta: ") + job.company);
    const int rule = area.top() + headingHeight + bodyHeight + bodyHeight / 3;
    painter.drawLine(area.left(), rule, area.right(), rule);
    painter.drawLine(area.left(), area.bottom() - bodyHeight - bodyHeight / 3, area.right(),
                     area.bottom() - bodyHeight - bodyHeight / 3);
    painter.drawText(QRect(area.left(), area.bottom() - bodyHeight, area.width(), bodyHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("Pagina %1 di %2").arg(page).arg(pages));
}

} // namespace

int paintPrintJob(const PrintJob &job, QPagedPaintDevice &device)
{
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device))
        ado::raise(75, QStringLiteral("Impossibile iniziare la stampa."), QStringLiteral("Stampa"));
    const PageFonts fonts;
    const QRect area(0, 0, device.width(), device.height());
    const int bodyHeight = QFontMetrics(fonts.body, &device).lineSpacing();
    const int headingHeight = QFontMetrics(fonts.heading, &device).lineSpacing();
    const int top = area.top() + headingHeight + bodyHeight * 2;
    const int bottom = area.bottom() - bodyHeight * 2;
    const auto pages = paginate(job, fonts, device, top, bottom);
    const int count = int(pages.size());
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            device.newPage();
        paintFrame(painter, job, fonts, area, i + 1, count);
        if (job.codes.empty() && i == 0) {
            painter.setFont(fonts.body);
            painter.drawText(area.left(), top + bodyHeight, QStringLiteral("Nessuna causale."));
        }
        for (const Placed &placed : pages[size_t(i)]) {
            painter.setFont(fonts.of(placed.line->kind));
            const int indent = placed.line->kind == PrintLine::Text ? bodyHeight : 0;
            painter.drawText(QRect(area.left() + indent, placed.y, area.width() - indent,
                                   lineHeight(fonts, placed.line->kind, device)),
                             Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine,
                             placed.line->text);
        }
    }
    painter.end();
    return count;
}

int writePdf(const PrintJob &job, const QString &file)
{
    {
        QFile probe(file);
        if (!probe.open(QIODevice::WriteOnly))
            ado::raise(75,
                       QStringLiteral("Impossibile scrivere il file %1: %2")
                           .arg(file, probe.errorString()),
                       QStringLiteral("Stampa"));
    }
    QPdfWriter writer(file);
    writer.setTitle(QStringLiteral("Causali di contabilità analitica"));
    writer.setCreator(QStringLiteral("causali"));
    writer.setResolution(300);
    const int pages = paintPrintJob(job, writer);
    return pages;
}

} // namespace tools
