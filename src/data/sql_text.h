#pragma once
// The one way statement texts of the module are built: lines joined by CR LF, reason codes and
// other text values placed between single quotes with their apostrophes doubled (so a value
// reaches its column unchanged and can never end the literal early), numbers placed bare after
// checking that they are numbers.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>

namespace causali::sql {

inline const QString crlf = QStringLiteral("\r\n");

// The lines joined by CR LF (no CR LF after the last one).
QString lines(std::initializer_list<QString> parts);
QString lines(const QStringList &parts);

// A column list as lines: "    A", "    , B", "    , C".
QStringList columnLines(const QStringList &columns);

// The head of an INSERT ... SELECT: "INSERT INTO target", "(", the columns, ")", "SELECT",
// the selected expressions (one a line, as columnLines).
QStringList insertSelect(const QString &target, const QStringList &columns,
                         const QStringList &selected);

// 'value' with every apostrophe doubled.
QString quoted(const QString &value);

// The text with every "@CAUSALE" replaced by the quoted reason code.
QString withCausale(const QString &text, const QString &code);

// A numeric value as bare decimal text for a statement ("12", "-1", "3.5"). A missing value
// (Empty, Null, blank text) or a value that is not a number raises an error naming `what`.
QString number(const QVariant &value, const QString &what);

} // namespace causali::sql
