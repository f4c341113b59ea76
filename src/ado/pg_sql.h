#pragma once
// Text work the PostgreSQL backend does on the SQL it sends: the layer writes '?' placeholders,
// the server numbers them ($1, $2...); Requery keeps a statement with its values written in as
// literals; and the server's text form of values becomes the cells a file database would give.

#include "ado/cell.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace ado::pg {

// Replaces each '?' placeholder by what `replacement` gives for its 1-based number. Question
// marks inside string literals ('..', E'..'), quoted identifiers, comments and dollar-quoted
// text are left alone. `count` (when given) receives the number of placeholders.
QString replacePlaceholders(const QString &sql, const std::function<QString(int)> &replacement,
                            int *count = nullptr);
// '?' -> $1, $2, ...
QString numberPlaceholders(const QString &sql, int *count = nullptr);

// The server folds unquoted names to lower case, where the file database (and the server the
// module was written for) gives a column the name as the statement writes it. The unquoted names
// of `sql` (outside literals, quoted identifiers and comments), by their lower-case form, as
// first written.
QHash<QString, QString> writtenNames(const QString &sql);
// The name of a result column as the module expects it: as `sql` writes it when the server's
// name is that name folded; a folded name the text does not write (SELECT *) in capitals, as the
// schema writes every name; a name with capitals (a quoted one) as it is.
QString columnNameAsWritten(const QString &serverName, const QHash<QString, QString> &written);

// The text form a value is sent in (nullopt: NULL).
std::optional<QByteArray> parameterText(const QVariant &value);
// The value as an SQL literal, for a text that runs again without parameters.
QString literal(const std::optional<QByteArray> &text, const QVariant &value);

// Type OIDs of the built-in types the backend reads.
enum Oid : unsigned {
    BoolOid = 16,
    ByteaOid = 17,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    TextOid = 25,
    OidOid = 26,
    Float4Oid = 700,
    Float8Oid = 701,
    BpcharOid = 1042,
    VarcharOid = 1043,
    DateOid = 1082,
    TimestampOid = 1114,
    TimestampTzOid = 1184,
    NumericOid = 1700
};

// The declared type a column of type `oid` (with type modifier `typmod`) reads as, in words
// the row store's field kinds understand ("integer", "numeric(10,2)", "character(4)"...).
QString declaredTypeName(unsigned oid, int typmod);

// A value as the server sent it in text form, read as a file database would give it: integers
// and booleans as integers, float as real, numeric as integer when whole (else real), bytea as
// blob, character(n) without its padding blanks, everything else (dates and times in ISO form
// included) as text. Text and blobs point into `text` or into `storage`.
struct Decoded
{
    Cell::Kind kind = Cell::NullValue;
    qint64 integer = 0;
    double real = 0;
    const char *bytes = nullptr;
    size_t size = 0;
};
Decoded decode(unsigned oid, const char *text, size_t length, QByteArray &storage);

// The server's own number for an SQLSTATE (six bits a character, as the server keeps it).
long packedSqlState(const QByteArray &sqlState);
// The run-time error number a failure with this SQLSTATE raises: the one the file database
// raises for the same kind of failure.
long errorNumberOf(const QByteArray &sqlState);

} // namespace ado::pg
