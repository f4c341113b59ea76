#include "tools/where_used.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/lookups.h"
#include "data/sql_text.h"

#include <QTextStream>

namespace tools {

namespace {

using causali::Lookups;

// The places the usage checks read, then the reason codes that name the code.
QList<Lookups::UsageTable> places()
{
    QList<Lookups::UsageTable> all = Lookups::usageTables();
    all.append({QStringLiteral("CI03_CAUSALI"), QStringLiteral("CI03_CODCAUSCOLL"),
                QStringLiteral("Causali che la hanno come causale collegata")});
    all.append({QStringLiteral("CI03_CAUSALI"), QStringLiteral("CI03_CAUSCOLLRIF_CI03"),
                QStringLiteral("Causali che la hanno come causale mov. da conto di rif.")});
    return all;
}

long long countOf(ado::Connection &connection, const Lookups::UsageTable &place,
                  const QString &code)
{
    auto rs = connection.Execute(Lookups::usageCountText(place, code), nullptr, ado::adCmdText);
    const long long count = ado::CDbl(rs->Fields(QStringLiteral("NUMERORIGHE")).Value());
    rs->Close();
    return count;
}

void readFirstRows(ado::Connection &connection, const QString &code, int rows, UsagePlace &place)
{
    auto rs = connection.Execute(
        Lookups::usageRowsText({place.table, place.column, place.caption}, code, rows), nullptr,
        ado::adCmdText);
    // The columns as the schema writes them, in capitals (a server gives them in lower case).
    for (int i = 0; i < rs->FieldCount(); ++i)
        place.columns << rs->Fields(i).Name().toUpper();
    for (; !rs->isEOF(); rs->MoveNext()) {
        QStringList row;
        for (int i = 0; i < rs->FieldCount(); ++i)
            row << ado::NormalizzaStringa(rs->Fields(i).Value());
        place.firstRows.push_back(row);
    }
    rs->Close();
}

} // namespace

long long WhereUsed::total() const
{
    long long sum = 0;
    for (const UsagePlace &place : places)
        sum += place.count;
    return sum;
}

bool reasonCodeExists(ado::Connection &connection, const QString &code)
{
    auto rs = connection.Execute(
        causali::sql::lines(
            {QStringLiteral(" SELECT COUNT(*) AS NUMERORIGHE"),
             QStringLiteral(" FROM CI03_CAUSALI"),
             QStringLiteral(" WHERE CI03_CODCAUS = ") + causali::sql::quoted(code)}),
        nullptr, ado::adCmdText);
    const bool found = ado::CDbl(rs->Fields(0).Value()) != 0;
    rs->Close();
    return found;
}

WhereUsed findWhereUsed(ado::Connection &connection, const QString &code, int firstRows)
{
    WhereUsed usage;
    usage.code = code.trimmed().toUpper();
    usage.stored = reasonCodeExists(connection, usage.code);
    for (const Lookups::UsageTable &table : places()) {
        UsagePlace place{table.caption, table.table, table.column};
        place.count = countOf(connection, table, usage.code);
        if (place.count > 0)
            readFirstRows(connection, usage.code, firstRows, place);
        usage.places.push_back(std::move(place));
    }
    return usage;
}

QString whereUsedText(const WhereUsed &usage)
{
    QString text;
    QTextStream out(&text);
    int placesUsed = 0;
    for (const UsagePlace &place : usage.places)
        placesUsed += place.count > 0 ? 1 : 0;
    out << "Causale " << usage.code << ": " << usage.total() << " righe in " << placesUsed
        << (placesUsed == 1 ? " tabella" : " tabelle") << " (" << usage.places.size()
        << " esaminate)\n";
    for (const UsagePlace &place : usage.places) {
        if (place.count == 0)
            continue;
        out << "\n"
            << place.caption << " (" << place.table << "." << place.column << "): " << place.count
            << (place.count == 1 ? " riga" : " righe") << "\n";
        out << "  " << place.columns.join(QStringLiteral(" | ")) << "\n";
        for (const QStringList &row : place.firstRows)
            out << "  " << row.join(QStringLiteral(" | ")) << "\n";
        if (place.count > qsizetype(place.firstRows.size()))
            out << "  ... e altre " << place.count - qsizetype(place.firstRows.size())
                << " righe\n";
    }
    return text;
}

} // namespace tools
