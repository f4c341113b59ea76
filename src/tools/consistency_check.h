#pragma once
// What no single save catches, over all stored codes: linked codes no longer compatible,
// providers that do not exist, proposal accounts or items missing from their chart or of a
// type no longer ticked for their side, default journals their company no longer has, and
// descriptions missing in a language most codes have.

#include <QList>
#include <QString>

namespace ado {
class Connection;
}

namespace causali::consistency {

struct Finding
{
    QString code;
    QString list;   // the table: CI03_CAUSALI for the header, or one of the lists
    int row = 0;    // 1-based row of the code's list in export order; 0 for the header
    QString field;  // the column
    QString reason; // Italian

    bool operator==(const Finding &) const = default;
};

// The tab of the editor that shows a finding's list (0 header, 1 journals, 2 account-type
// checks, 3 search sequence, 4 proposal); descriptions are edited from the header.
int tabOf(const Finding &finding);

// Every finding, by code, then list and row. `language` is the user's language (the linked
// codes' lookups read descriptions in it).
QList<Finding> findInconsistencies(ado::Connection &connection,
                                   const QString &language = QStringLiteral("ITA"));

// "CODE  LIST riga N  FIELD: reason" lines and a closing count.
QString findingsText(const QList<Finding> &findings);
// {"findings": [{"code", "list", "row", "field", "reason"}...], "count": n}.
QByteArray findingsJson(const QList<Finding> &findings);

} // namespace causali::consistency
