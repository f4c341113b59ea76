#include "data/stored_code.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/recordset.h"
#include "data/sql_text.h"

#include <QCryptographicHash>

#include <algorithm>
#include <iterator>
#include <vector>

namespace causali {

namespace {

// The parts of a stored code, in the order they are hashed: the alias each is read under, how
// it joins the part number PARTE (only its own part's rows carry its columns), its order, and
// the prefix every column of its table starts with.
struct Part
{
    const char *alias;
    const char *join;
    const char *order;
    const char *prefix;
};

constexpr Part Parts[] = {
    {"TESTATA", "CI03_CAUSALI AS TESTATA ON TESTATA.CI03_CODCAUS = @CAUSALE",
     "TESTATA.CI03_CODCAUS", "CI03_"},
    {"CONTROLLI", "CI11_CONTROLLOCONTI AS CONTROLLI ON CONTROLLI.CI11_CODCAUS_CI03 = @CAUSALE",
     "CONTROLLI.CI11_SEGNO", "CI11_"},
    {"SEZIONALI", "CI05_PROPSEZ AS SEZIONALI ON SEZIONALI.CI05_CAUSALE_CI03 = @CAUSALE",
     "SEZIONALI.CI05_DITTA_CG18", "CI05_"},
    {"RICERCA", "CI06_RICERCACONTO AS RICERCA ON RICERCA.CI06_CAUSALE_CI03 = @CAUSALE",
     "RICERCA.CI06_INDSEGNO, RICERCA.CI06_INDTIPORIGA, RICERCA.CI06_PROGRESSIVO", "CI06_"},
    {"PROPOSTA", "CI10_PROPCONTICAUS AS PROPOSTA ON PROPOSTA.CI10_CODCAUS_CI03 = @CAUSALE",
     "PROPOSTA.CI10_PROG", "CI10_"},
    {"LINGUE",
     "CI99_DESLINGUA AS LINGUE ON LINGUE.CI99_PROVID_FW4A = 903 AND LINGUE.CI99_IDPROV ="
     " (SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = @CAUSALE)",
     "LINGUE.CI99_CODLINGUA_MG52", "CI99_"},
};
constexpr int PartCount = int(std::size(Parts));

// The result's columns of each part, by the prefix of their names (PARTE, column 0, is none's).
std::vector<std::vector<int>> columnsOfParts(ado::Recordset &rows)
{
    std::vector<std::vector<int>> columns(PartCount);
    for (int i = 1; i < rows.FieldCount(); ++i) {
        const QString name = rows.Fields(i).Name();
        for (int part = 0; part < PartCount; ++part) {
            if (name.startsWith(QLatin1String(Parts[part].prefix), Qt::CaseInsensitive))
                columns[size_t(part)].push_back(i);
        }
    }
    return columns;
}

} // namespace

QString StoredCode::text(const QString &code)
{
    QStringList parts;
    QStringList columns{QStringLiteral("PARTI.PARTE")};
    QStringList order{QStringLiteral("PARTI.PARTE")};
    QStringList joins;
    for (int i = 0; i < PartCount; ++i) {
        parts << QStringLiteral("SELECT %1 AS PARTE").arg(i);
        columns << QString::fromLatin1(Parts[i].alias) + QStringLiteral(".*");
        order << QString::fromLatin1(Parts[i].order);
        joins << QStringLiteral("LEFT JOIN %1 AND PARTI.PARTE = %2")
                     .arg(QString::fromLatin1(Parts[i].join))
                     .arg(i);
    }
    QStringList text{QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")),
                     QStringLiteral("FROM (") + parts.join(QStringLiteral(" UNION ALL "))
                         + QStringLiteral(") AS PARTI")};
    text << joins << QStringLiteral("ORDER BY ") + order.join(QStringLiteral(", "));
    return sql::withCausale(sql::lines(text), code);
}

QString StoredCode::lockText(const QString &code)
{
    return sql::withCausale(sql::lines({QStringLiteral("SELECT CI03_CODCAUS"),
                                        QStringLiteral("FROM CI03_CAUSALI WITH (UPDLOCK)"),
                                        QStringLiteral("WHERE CI03_CODCAUS = @CAUSALE")}),
                            code);
}

QByteArray StoredCode::digest(ado::Connection &connection, const QString &code, bool lockHeader)
{
    // The lock is taken by a statement of its own, before the read: the read then starts after
    // any other save of the code has ended, and sees what it committed. It needs no answer of
    // its own: a server gets it with the read.
    if (lockHeader)
        connection.Execute(lockText(code), nullptr,
                           ado::adCmdText | ado::adExecuteNoRecords | ado::adAsyncExecute);
    auto rows = connection.Execute(text(code));
    const std::vector<std::vector<int>> columns = columnsOfParts(*rows);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    int part = -1;
    for (; !rows->isEOF(); rows->MoveNext()) {
        const int rowPart = std::clamp(rows->Fields(0).Value().toInt(), 0, PartCount - 1);
        for (; part < rowPart; ++part)
            hash.addData("\x1e"); // one separator a part, so rows cannot shift between them
        // A part with no rows still gives one row, with nothing in its columns (its first
        // column, a key, is never empty in a stored row).
        const std::vector<int> &own = columns[size_t(rowPart)];
        if (own.empty() || rows->Fields(own.front()).Value().isNull())
            continue;
        hash.addData("\x1d");
        for (const int i : own) {
            const QVariant value = rows->Fields(i).Value();
            // The type's id keeps Null, 0 and "0" apart.
            hash.addData(QByteArray::number(value.isNull() ? -1 : value.typeId()));
            hash.addData("\x1f");
            hash.addData(value.toString().toUtf8());
            hash.addData("\x1f");
        }
    }
    for (; part < PartCount - 1; ++part)
        hash.addData("\x1e");
    return hash.result();
}

QByteArray StoredCode::absent()
{
    // What digest gives when no part holds a row: one separator a part.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int i = 0; i < PartCount; ++i)
        hash.addData("\x1e");
    return hash.result();
}

} // namespace causali
