#pragma once
// Where a reason code is used: every table whose rows name it (the documents and production
// data the editor's usage checks read, the cost reallocations, and the other reason codes that
// name it as their linked or reference-linked code), with how many rows and the first of them.
// Shown by the window's "Dove è usata" and printed by `causali --where-used CODE`.

#include <QString>
#include <QStringList>

#include <vector>

namespace ado {
class Connection;
}

namespace tools {

struct UsagePlace
{
    QString caption; // what the rows are, in Italian
    QString table;
    QString column; // the column that names the code
    long long count = 0;
    QStringList columns;                // of the first rows
    std::vector<QStringList> firstRows; // as texts ("" for Null)
};

struct WhereUsed
{
    QString code;
    bool stored = false;            // the code is a stored reason code
    std::vector<UsagePlace> places; // every place looked at, used or not

    long long total() const;
};

// How many rows each place lists at most.
constexpr int FirstRowsShown = 5;

// Looks the code up in every place (right-trimmed and upper-cased as the code box keeps it).
WhereUsed findWhereUsed(ado::Connection &connection, const QString &code,
                        int firstRows = FirstRowsShown);

// The report as plain text, one block per place that uses the code (all places are counted in
// the summary line).
QString whereUsedText(const WhereUsed &usage);

// The code is a stored reason code.
bool reasonCodeExists(ado::Connection &connection, const QString &code);

} // namespace tools
