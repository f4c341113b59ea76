#pragma once
// Filter criteria and Sort orders of a Recordset, parsed once and evaluated on each row.
//
// Criteria: clauses "Field op Value" joined by AND / OR.
// - Field: a bare name or [A Name In Brackets]; names are matched without regard to case.
// - op: = <> < > <= >= LIKE.
// - Value: 'text' ('' for a quote inside), #date# (yyyy-MM-dd or M/d/yyyy, optional time),
//   a number (-1, 4, 2.5), or NULL (only with = and <>).
// - LIKE takes a text with * or % at its end or at both ends ('ABC*', '*ABC*'); a wildcard
//   anywhere else is refused.
// - AND and OR have no precedence: clauses are taken left to right, and an AND may not follow
//   clauses joined by OR, so "(A OR B) AND C" and "A OR B AND C" are refused; write
//   "(A AND C) OR (B AND C)". Parentheses group clauses, at most 64 deep; a criteria holds
//   at most 1000 clauses.
// - A malformed criteria raises adErrInvalidArgument (3001) saying what is wrong; an unknown
//   column raises adErrItemNotFound (3265) naming it.
//
// Comparisons: Null matches only "= NULL" (and "<> NULL" matches everything else). Numbers
// compare numerically (text holding a number counts as that number). Text compares without
// regard to case and ignoring trailing blanks, as the server's CHAR columns do. Dates compare
// as dates (ISO text from the database is read as a date). A value that cannot be compared
// with the literal (text against a number) does not match.

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace ado {

// Index of a column by name, -1 when unknown.
using ColumnLookup = std::function<int(const QString &name)>;
// Value of column `index` of the row being tested.
using ColumnValue = std::function<QVariant(int index)>;

class FilterCriteria
{
public:
    // Parses `criteria`; raises 3001 when malformed, 3265 for an unknown column.
    static FilterCriteria parse(const QString &criteria, const ColumnLookup &lookup);

    FilterCriteria();
    ~FilterCriteria();
    FilterCriteria(FilterCriteria &&) noexcept;
    FilterCriteria &operator=(FilterCriteria &&) noexcept;
    FilterCriteria(const FilterCriteria &) = delete;
    FilterCriteria &operator=(const FilterCriteria &) = delete;

    bool matches(const ColumnValue &value) const;
    bool isEmpty() const;
    // One "Field op Value" and nothing joined to it (what Recordset::Find takes).
    bool isSingleComparison() const;

    struct Node;

private:
    std::unique_ptr<Node> m_root;
};

struct SortKey
{
    int column = -1;
    bool descending = false;
};

// Parses "F [ASC|DESC], [G H] DESC, ..."; "" gives no keys. Raises 3001 when malformed, 3265
// for an unknown column.
std::vector<SortKey> parseSort(const QString &sort, const ColumnLookup &lookup);

// Order of two values for Sort: Null (and Empty) first, then numbers, then dates, then text
// (without regard to case, trailing blanks ignored). Negative, zero or positive.
int compareForSort(const QVariant &a, const QVariant &b);

// True when two values are the same value of the same kind (Empty and Null alike): what
// tells a changed column from an unchanged one.
bool sameValue(const QVariant &a, const QVariant &b);

} // namespace ado
