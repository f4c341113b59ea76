#include "data/sql_text.h"

#include "ado/error.h"
#include "ado/vb.h"

namespace causali::sql {

QString lines(std::initializer_list<QString> parts)
{
    QString text;
    bool first = true;
    for (const QString &part : parts) {
        if (!first)
            text += crlf;
        text += part;
        first = false;
    }
    return text;
}

QString lines(const QStringList &parts)
{
    return parts.join(crlf);
}

QStringList columnLines(const QStringList &columns)
{
    QStringList out;
    for (qsizetype i = 0; i < columns.size(); ++i)
        out << (i == 0 ? QStringLiteral("    ") : QStringLiteral("    , ")) + columns[i];
    return out;
}

QStringList insertSelect(const QString &target, const QStringList &columns,
                         const QStringList &selected)
{
    QStringList parts{QStringLiteral("INSERT INTO ") + target, QStringLiteral("(")};
    parts << columnLines(columns) << QStringLiteral(")") << QStringLiteral("SELECT")
          << columnLines(selected);
    return parts;
}

QString quoted(const QString &value)
{
    QString text = value;
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString withCausale(const QString &text, const QString &code)
{
    QString result = text;
    result.replace(QLatin1String("@CAUSALE"), quoted(code));
    return result;
}

QString number(const QVariant &value, const QString &what)
{
    if (ado::isMissing(value) || ado::NormalizzaStringa(value).trimmed().isEmpty())
        ado::raise(ado::InvalidUseOfNull,
                   QStringLiteral("Invalid use of Null: %1 has no value").arg(what));
    try {
        return ado::NormalizzaNumero(value);
    } catch (const ado::RuntimeError &e) {
        ado::raise(e.number(), QStringLiteral("%1: %2").arg(what, e.description()), e.source());
    }
}

} // namespace causali::sql
