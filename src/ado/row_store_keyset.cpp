// Keyset row sets: the keys of every row read on Open, a row's values when first needed.

#include "ado/row_store.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/statement.h"

#include <QHash>

#include <algorithm>

namespace ado {

namespace {

// Rows read one by one before the rest are read at once: a walk over every row (a search
// list, a sort on another column) then costs about one scan instead of one statement a row,
// while a user browsing code after code never makes the row set read every row.
constexpr int SingleReadsAtLeast = 64;
constexpr int SingleReadsShare = 4; // a quarter of the rows

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\""))
           + QLatin1Char('"');
}

QString keyText(const std::vector<Cell> &cells, quint32 first, size_t count)
{
    QString text;
    for (size_t k = 0; k < count; ++k) {
        const Cell &cell = cells[first + k];
        text += QString::number(int(cell.kind)) + QLatin1Char(':') + cellValue(cell).toString()
                + QChar(0x1f);
    }
    return text;
}

// The key of the current result row of `result` (its key columns at `columns`), as keyText
// gives it for a row's key cells.
QString keyText(const Statement &result, const std::vector<int> &columns)
{
    ByteArena scratch;
    std::vector<Cell> key(columns.size());
    for (size_t k = 0; k < columns.size(); ++k)
        result.readCell(key[k], columns[k], scratch);
    return keyText(key, 0, key.size());
}

} // namespace

bool RowStore::loadKeys(Connection &connection, const Statement &select)
{
    auto plan = std::make_unique<Keyset>();
    plan->keyIndex.assign(columns.size(), -1);
    QStringList keyNames;
    QStringList where;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (!columns[i].key)
            continue;
        plan->keyIndex[i] = int(plan->keyColumns.size());
        plan->keyColumns.push_back(int(i));
        keyNames << quotedName(columns[i].resultName);
        where << quotedName(columns[i].resultName) + QStringLiteral(" = ?");
    }
    if (plan->keyColumns.empty())
        return false;
    plan->connection = &connection;
    plan->select = select.nativeText();
    // The subquery is named: a server requires it, a file accepts it.
    const auto keys = prepareNative(connection,
                                    QStringLiteral("SELECT %1 FROM (%2) AS ado_rows")
                                        .arg(keyNames.join(QStringLiteral(", ")), plan->select));
    plan->one = prepareNative(connection,
                              QStringLiteral("SELECT * FROM (%1) AS ado_rows WHERE %2")
                                  .arg(plan->select, where.join(QStringLiteral(" AND "))));
    const size_t keyCount = plan->keyColumns.size();
    while (keys->step()) {
        const quint32 first = quint32(cells.size());
        for (size_t k = 0; k < keyCount; ++k)
            keys->readCell(cells.emplace_back(), int(k), arena);
        Row &row = rows.emplace_back();
        row.id = RowId(rows.size());
        row.cells = first;
        row.fetched = false;
        ++liveRows;
    }
    keyset = std::move(plan);
    return true;
}

void RowStore::fetch(const Row &row) const
{
    if (row.fetched)
        return;
    if (++keyset->singleReads > std::max<long>(SingleReadsAtLeast, liveRows / SingleReadsShare)) {
        fetchAll();
        return;
    }
    Statement &one = *keyset->one;
    one.reset();
    one.clearBindings();
    for (size_t k = 0; k < keyset->keyColumns.size(); ++k)
        one.bind(int(k) + 1, cellValue(cells[row.cells + k]));
    takeValues(row, one.step() ? &one : nullptr);
    one.reset();
}

void RowStore::takeValues(const Row &row, const Statement *result) const
{
    const quint32 keyCells = row.cells;
    const quint32 first = quint32(cells.size());
    for (size_t c = 0; c < columns.size(); ++c) {
        Cell &cell = cells.emplace_back();
        if (result)
            result->readCell(cell, int(c), arena);
        else if (const int k = keyset->keyIndex[c]; k >= 0)
            cell = cells[keyCells + size_t(k)];
    }
    Row &mutableRow = const_cast<Row &>(row);
    mutableRow.cells = first;
    mutableRow.fetched = true;
}

void RowStore::fetchAll() const
{
    const size_t keyCount = keyset->keyColumns.size();
    QHash<QString, RowId> waiting;
    for (const Row &row : rows) {
        if (!row.fetched && !row.erased)
            waiting.insert(keyText(cells, row.cells, keyCount), row.id);
    }
    if (waiting.isEmpty())
        return;
    const auto all = prepareNative(*keyset->connection, keyset->select);
    while (all->step() && !waiting.isEmpty()) {
        const RowId id = waiting.take(keyText(*all, keyset->keyColumns));
        if (id != 0)
            takeValues(rows[size_t(id - 1)], all.get());
    }
    // Rows another program deleted meanwhile: their keys, and Null for the rest.
    for (auto it = waiting.cbegin(); it != waiting.cend(); ++it)
        takeValues(rows[size_t(it.value() - 1)], nullptr);
}

} // namespace ado
