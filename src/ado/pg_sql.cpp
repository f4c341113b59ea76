#include "ado/pg_sql.h"

#include "ado/backend.h"
#include "ado/constants.h"
#include "ado/vb.h"

#include <QLocale>

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace ado::pg {

namespace {

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// The end (one past) of the quoted text starting at `i` with `quote`; a doubled quote stands
// for itself, and with `backslashes` a backslash escapes the next character.
qsizetype endOfQuoted(const QString &sql, qsizetype i, QChar quote, bool backslashes)
{
    const qsizetype n = sql.size();
    for (++i; i < n; ++i) {
        if (backslashes && sql[i] == QLatin1Char('\\')) {
            ++i;
        } else if (sql[i] == quote) {
            if (i + 1 < n && sql[i + 1] == quote)
                ++i;
            else
                return i + 1;
        }
    }
    return n;
}

// A dollar quote opening at `i` ("$$" or "$tag$"): its delimiter, or empty when none.
QString dollarTag(const QString &sql, qsizetype i)
{
    if (i > 0 && isIdentifierChar(sql[i - 1]))
        return {};
    qsizetype j = i + 1;
    if (j < sql.size() && sql[j].isDigit())
        return {}; // $1: a parameter
    while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == QLatin1Char('_')))
        ++j;
    if (j < sql.size() && sql[j] == QLatin1Char('$'))
        return sql.mid(i, j - i + 1);
    return {};
}

// The end (one past) of the comment or quoted part starting at `i`, or `i` when none starts.
qsizetype skipQuotedOrComment(const QString &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    const QChar c = sql[i];
    const QChar next = i + 1 < n ? sql[i + 1] : QChar();
    if (c == QLatin1Char('\'')) {
        const bool escape = i > 0
                            && (sql[i - 1] == QLatin1Char('E') || sql[i - 1] == QLatin1Char('e'))
                            && (i < 2 || !isIdentifierChar(sql[i - 2]));
        return endOfQuoted(sql, i, c, escape);
    }
    if (c == QLatin1Char('"'))
        return endOfQuoted(sql, i, c, false);
    if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
        const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
        return end < 0 ? n : end + 1;
    }
    if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
        int depth = 1; // the server nests block comments
        qsizetype j = i + 2;
        while (j < n && depth > 0) {
            if (sql[j] == QLatin1Char('/') && j + 1 < n && sql[j + 1] == QLatin1Char('*')) {
                ++depth;
                j += 2;
            } else if (sql[j] == QLatin1Char('*') && j + 1 < n && sql[j + 1] == QLatin1Char('/')) {
                --depth;
                j += 2;
            } else {
                ++j;
            }
        }
        return j;
    }
    if (c == QLatin1Char('$')) {
        const QString tag = dollarTag(sql, i);
        if (!tag.isEmpty()) {
            const qsizetype end = sql.indexOf(tag, i + tag.size());
            return end < 0 ? n : end + tag.size();
        }
    }
    return i;
}

} // namespace

QString replacePlaceholders(const QString &sql, const std::function<QString(int)> &replacement,
                            int *count)
{
    QString out;
    out.reserve(sql.size() + 16);
    int number = 0;
    qsizetype i = 0;
    while (i < sql.size()) {
        const qsizetype skipped = skipQuotedOrComment(sql, i);
        if (skipped > i) {
            out += QStringView(sql).mid(i, skipped - i);
            i = skipped;
        } else if (sql[i] == QLatin1Char('?')) {
            out += replacement(++number);
            ++i;
        } else {
            out += sql[i++];
        }
    }
    if (count)
        *count = number;
    return out;
}

QHash<QString, QString> writtenNames(const QString &sql)
{
    const auto startsName = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    const auto continuesName = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
    };
    QHash<QString, QString> names;
    qsizetype i = 0;
    while (i < sql.size()) {
        const qsizetype skipped = skipQuotedOrComment(sql, i);
        if (skipped > i) {
            i = skipped;
        } else if (startsName(sql[i])) {
            const qsizetype start = i;
            while (i < sql.size() && continuesName(sql[i]))
                ++i;
            const QString name = sql.mid(start, i - start);
            const QString folded = name.toLower();
            if (!names.contains(folded))
                names.insert(folded, name);
        } else {
            ++i;
        }
    }
    return names;
}

QString columnNameAsWritten(const QString &serverName, const QHash<QString, QString> &written)
{
    if (serverName != serverName.toLower())
        return serverName;
    const auto found = written.constFind(serverName);
    return found != written.constEnd() ? *found : serverName.toUpper();
}

QString numberPlaceholders(const QString &sql, int *count)
{
    return replacePlaceholders(
        sql, [](int n) { return QLatin1Char('$') + QString::number(n); }, count);
}

std::optional<QByteArray> parameterText(const QVariant &value)
{
    switch (boundKindOf(value)) {
    case BoundKind::Null:
        return std::nullopt;
    case BoundKind::Bool:
        // Read as a boolean or an integer, whichever the server expects.
        return QByteArray(value.toBool() ? "1" : "0");
    case BoundKind::Integer:
        return QByteArray::number(value.toLongLong());
    case BoundKind::Real: {
        const double d = value.toDouble();
        if (std::isnan(d))
            return QByteArray("NaN");
        if (std::isinf(d))
            return QByteArray(d > 0 ? "Infinity" : "-Infinity");
        // The fewest digits that read back as the same double: a NUMERIC column then stores
        // (and compares with) the decimal the value was read as, 0.1 and not 0.1000000000000000055.
        return QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
    }
    case BoundKind::Bytes:
        return QByteArray("\\x") + value.toByteArray().toHex();
    case BoundKind::Text:
        break;
    }
    return CStr(value).toUtf8();
}

QString literal(const std::optional<QByteArray> &text, const QVariant &value)
{
    if (!text)
        return QStringLiteral("NULL");
    const QString s = QString::fromUtf8(*text);
    const BoundKind kind = boundKindOf(value);
    if (kind == BoundKind::Integer || kind == BoundKind::Bool
        || (kind == BoundKind::Real && std::isfinite(value.toDouble())))
        return s;
    return QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QStringLiteral("''"))
           + QLatin1Char('\'');
}

QString declaredTypeName(unsigned oid, int typmod)
{
    const int modifier = typmod - 4; // the server adds the length of a header
    switch (oid) {
    case BoolOid:
        return QStringLiteral("boolean");
    case ByteaOid:
        return QStringLiteral("bytea");
    case Int8Oid:
        return QStringLiteral("bigint");
    case Int2Oid:
        return QStringLiteral("smallint");
    case Int4Oid:
    case OidOid:
        return QStringLiteral("integer");
    case TextOid:
        return QStringLiteral("text");
    case Float4Oid:
        return QStringLiteral("real");
    case Float8Oid:
        return QStringLiteral("double precision");
    case BpcharOid:
        return modifier >= 0 ? QStringLiteral("character(%1)").arg(modifier)
                             : QStringLiteral("character");
    case VarcharOid:
        return modifier >= 0 ? QStringLiteral("character varying(%1)").arg(modifier)
                             : QStringLiteral("character varying");
    case DateOid:
        return QStringLiteral("date");
    case TimestampOid:
        return QStringLiteral("timestamp");
    case TimestampTzOid:
        return QStringLiteral("timestamp with time zone");
    case NumericOid:
        if (modifier < 0)
            return QStringLiteral("numeric");
        return QStringLiteral("numeric(%1,%2)")
            .arg((modifier >> 16) & 0xffff)
            .arg(modifier & 0xffff);
    default:
        return {};
    }
}

namespace {

// A number as a file database keeps it in a numeric column: whole values as integers.
void decodeNumber(Decoded &d, const char *text)
{
    char *end = nullptr;
    errno = 0;
    const long long whole = std::strtoll(text, &end, 10);
    if (end && *end == '\0' && errno != ERANGE) {
        d.kind = Cell::Integer;
        d.integer = whole;
        return;
    }
    errno = 0;
    const double real = std::strtod(text, nullptr);
    if (std::nearbyint(real) == real && std::fabs(real) < 9223372036854775807.0) {
        d.kind = Cell::Integer;
        d.integer = qint64(real);
        return;
    }
    d.kind = Cell::Real;
    d.real = real;
}

} // namespace

Decoded decode(unsigned oid, const char *text, size_t length, QByteArray &storage)
{
    Decoded d;
    switch (oid) {
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
    case OidOid:
        d.kind = Cell::Integer;
        d.integer = std::strtoll(text, nullptr, 10);
        return d;
    case BoolOid:
        d.kind = Cell::Integer;
        d.integer = text[0] == 't' ? 1 : 0;
        return d;
    case Float4Oid:
    case Float8Oid:
        d.kind = Cell::Real;
        d.real = std::strtod(text, nullptr);
        return d;
    case NumericOid:
        decodeNumber(d, text);
        return d;
    case ByteaOid:
        // Hex form: "\x" then two digits a byte.
        storage = QByteArray::fromHex(QByteArray::fromRawData(text, qsizetype(length)).mid(2));
        d.kind = Cell::Blob;
        d.bytes = storage.constData();
        d.size = size_t(storage.size());
        return d;
    case BpcharOid:
        while (length > 0 && text[length - 1] == ' ')
            --length;
        break;
    default:
        break;
    }
    d.kind = Cell::Text;
    d.bytes = text;
    d.size = length;
    return d;
}

long packedSqlState(const QByteArray &sqlState)
{
    long code = 0;
    for (qsizetype i = 0; i < sqlState.size() && i < 5; ++i)
        code |= long((sqlState[i] - '0') & 0x3f) << (6 * i);
    return code;
}

long errorNumberOf(const QByteArray &sqlState)
{
    const QByteArray cls = sqlState.left(2);
    if (sqlState == "42501") // insufficient privilege: the database could not do it
        return adErrProviderFailed;
    // Constraints and rules of the database, and statements it cannot run as written: the
    // file database raises these as statement errors too.
    if (cls == "23" || cls == "42" || cls == "22" || cls == "0A" || cls == "07"
        || sqlState == "P0001")
        return adErrSqlError;
    // Conflicts with other sessions, resources, the connection, the server itself.
    return adErrProviderFailed;
}

} // namespace ado::pg
