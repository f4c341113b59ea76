// Resync: a row set's rows read again from their base table, found by its primary key.

#include "ado/row_store.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/statement.h"

namespace ado {

namespace {

// Indexes (in the row set) of the base table's primary-key columns, in key order.
std::vector<int> keyColumns(Connection &connection, const RowStore &store)
{
    const auto info = prepareSqlite(connection, QStringLiteral("PRAGMA \"%1\".table_info(\"%2\")")
                                                    .arg(store.baseDatabase, store.baseTable));
    std::vector<std::pair<int, int>> keyed; // position in the key, row-set column
    while (info->step()) {
        const int position = storedValue(*info, 5).toInt();
        if (position == 0)
            continue;
        const QString name = storedValue(*info, 1).toString();
        for (size_t i = 0; i < store.columns.size(); ++i) {
            const Column &c = store.columns[i];
            if (c.writable && c.originColumn.compare(name, Qt::CaseInsensitive) == 0)
                keyed.emplace_back(position, int(i));
        }
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<int> columns;
    for (const auto &k : keyed)
        columns.push_back(k.second);
    return columns;
}

} // namespace

void Recordset::Impl::resync(long affect, long resyncValues)
{
    requireOpen("Resync");
    if ((affect != adAffectCurrent && affect != adAffectAll && affect != adAffectAllChapters)
        || (resyncValues != adResyncAllValues && resyncValues != adResyncUnderlyingValues))
        raise(adErrInvalidArgument,
              QStringLiteral("Resync: affect must be adAffectCurrent or adAffectAll and values "
                             "adResyncAllValues or adResyncUnderlyingValues"),
              recordsetSource());
    // Reading only the originals leaves an edit in progress as it is.
    if (editMode != adEditNone && resyncValues == adResyncAllValues)
        raise(adErrIllegalOperation, QStringLiteral("Resync: an edit is in progress"),
              recordsetSource());
    if (!connection || connection->State() != adStateOpen || store->baseTable.isEmpty())
        raise(adErrInvalidConnection,
              QStringLiteral("Resync: the row set has no base table to read its rows from"),
              recordsetSource());
    const std::vector<int> key = keyColumns(*connection, *store);
    if (key.empty())
        raise(adErrProviderFailed,
              QStringLiteral("Resync: table %1 has no primary key to find its rows by")
                  .arg(store->baseTable),
              recordsetSource());

    std::vector<int> writable;
    QStringList names;
    for (size_t i = 0; i < store->columns.size(); ++i) {
        if (store->columns[i].writable) {
            writable.push_back(int(i));
            names << QLatin1Char('"') + store->columns[i].originColumn + QLatin1Char('"');
        }
    }
    QStringList where;
    for (int k : key)
        where << QLatin1Char('"') + store->columns[size_t(k)].originColumn
                     + QStringLiteral("\" = ?");
    const auto select = prepareSqlite(
        *connection, QStringLiteral("SELECT %1 FROM \"%2\".\"%3\" WHERE %4")
                         .arg(names.join(QStringLiteral(", ")), store->baseDatabase,
                              store->baseTable, where.join(QStringLiteral(" AND "))));

    std::vector<Row *> rows;
    if (affect == adAffectCurrent) {
        rows.push_back(&requireCurrentRow("Resync"));
    } else {
        for (const auto &r : store->rows)
            rows.push_back(r.get());
    }
    for (Row *row : rows) {
        if (row->state == RowState::New)
            continue; // nothing stored to read
        select->reset();
        select->clearBindings();
        for (size_t k = 0; k < key.size(); ++k)
            select->bind(int(k) + 1, row->original[size_t(key[k])]);
        if (!select->step())
            raise(adErrRowNotFound,
                  QStringLiteral("Resync: the row is no longer stored in %1 (deleted or its key "
                                 "changed)")
                      .arg(store->baseTable),
                  recordsetSource());
        const bool editing = editMode != adEditNone && row->id == editRow;
        const bool all = resyncValues == adResyncAllValues
                         || (row->state == RowState::Unchanged && !editing);
        for (size_t i = 0; i < writable.size(); ++i) {
            const QVariant stored = storedValue(*select, int(i));
            row->original[size_t(writable[i])] = stored;
            if (all)
                row->values[size_t(writable[i])] = stored;
        }
        if (all)
            row->state = RowState::Unchanged;
    }
    if (affect == adAffectCurrent) {
        const RowId id = rows.front()->id;
        store->forEachView([id](RowView &v) { v.rowChanged(id); });
    } else {
        store->forEachView([](RowView &v) { v.rowsRestored(); });
    }
}

} // namespace ado
