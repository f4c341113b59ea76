#include "data/stored_code.h"

#include "ado/connection.h"
#include "ado/recordset.h"
#include "data/sql_text.h"

#include <QCryptographicHash>

namespace causali {

QStringList StoredCode::texts(const QString &code, bool lockHeader)
{
    const auto rowsOf = [&](const char *table, const char *column, const char *order,
                            bool lock = false) {
        return sql::withCausale(
            sql::lines({QStringLiteral("SELECT *"),
                        QStringLiteral("FROM ") + QString::fromLatin1(table)
                            + (lock ? QStringLiteral(" WITH (UPDLOCK)") : QString()),
                        QStringLiteral("WHERE ") + QString::fromLatin1(column)
                            + QStringLiteral(" = @CAUSALE"),
                        QStringLiteral("ORDER BY ") + QString::fromLatin1(order)}),
            code);
    };
    return {
        rowsOf("CI03_CAUSALI", "CI03_CODCAUS", "CI03_CODCAUS", lockHeader),
        rowsOf("CI11_CONTROLLOCONTI", "CI11_CODCAUS_CI03", "CI11_SEGNO"),
        rowsOf("CI05_PROPSEZ", "CI05_CAUSALE_CI03", "CI05_DITTA_CG18"),
        rowsOf("CI06_RICERCACONTO", "CI06_CAUSALE_CI03",
               "CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROGRESSIVO"),
        rowsOf("CI10_PROPCONTICAUS", "CI10_CODCAUS_CI03", "CI10_PROG"),
        sql::withCausale(
            sql::lines({QStringLiteral("SELECT CI99_CODLINGUA_MG52, CI99_DESCRIZIONE"),
                        QStringLiteral("FROM CI99_DESLINGUA"),
                        QStringLiteral("INNER JOIN CI03_CAUSALI ON CI99_IDPROV = CI03_IDPROV"),
                        QStringLiteral("WHERE CI99_PROVID_FW4A = 903"),
                        QStringLiteral("  AND CI03_CODCAUS = @CAUSALE"),
                        QStringLiteral("ORDER BY CI99_CODLINGUA_MG52")}),
            code),
    };
}

QByteArray StoredCode::digest(ado::Connection &connection, const QString &code, bool lockHeader)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString &text : texts(code, lockHeader)) {
        auto rows = connection.Execute(text);
        hash.addData("\x1e"); // one record separator a table, so rows cannot shift between them
        for (; rows && !rows->isEOF(); rows->MoveNext()) {
            hash.addData("\x1d");
            for (int i = 0; i < rows->FieldCount(); ++i) {
                const QVariant value = rows->Fields(i).Value();
                // The type's id keeps Null, 0 and "0" apart.
                hash.addData(QByteArray::number(value.isNull() ? -1 : value.typeId()));
                hash.addData("\x1f");
                hash.addData(value.toString().toUtf8());
                hash.addData("\x1f");
            }
        }
    }
    return hash.result();
}

QByteArray StoredCode::absent()
{
    // What digest gives when every query finds nothing: one separator a table.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (qsizetype i = 0; i < texts(QString()).size(); ++i)
        hash.addData("\x1e");
    return hash.result();
}

} // namespace causali
