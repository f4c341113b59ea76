// Resync: a row set's rows read again from their base table, found by its primary key.

#include "ado/row_store.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/statement.h"

namespace ado {

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

    std::vector<int> key;
    std::vector<int> writable;
    QStringList names;
    QStringList where;
    for (size_t i = 0; i < store->columns.size(); ++i) {
        const Column &c = store->columns[i];
        if (!c.writable)
            continue;
        writable.push_back(int(i));
        names << QLatin1Char('"') + c.originColumn + QLatin1Char('"');
        if (c.key) {
            key.push_back(int(i));
            where << QLatin1Char('"') + c.originColumn + QStringLiteral("\" = ?");
        }
    }
    if (key.empty())
        raise(adErrProviderFailed,
              QStringLiteral("Resync: table %1 has no primary key to find its rows by")
                  .arg(store->baseTable),
              recordsetSource());
    const auto select = prepareNative(
        *connection, QStringLiteral("SELECT %1 FROM \"%2\".\"%3\" WHERE %4")
                         .arg(names.join(QStringLiteral(", ")), store->baseDatabase,
                              store->baseTable, where.join(QStringLiteral(" AND "))));

    std::vector<Row *> rows;
    if (affect == adAffectCurrent)
        rows.push_back(&requireCurrentRow("Resync"));
    else
        store->forEachRow([&](Row &row) { rows.push_back(&row); });
    for (Row *row : rows) {
        if (row->state == RowState::New)
            continue; // nothing stored to read
        select->reset();
        select->clearBindings();
        for (size_t k = 0; k < key.size(); ++k)
            select->bind(int(k) + 1, store->original(*row, key[k]));
        if (!select->step())
            raise(adErrRowNotFound,
                  QStringLiteral("Resync: the row is no longer stored in %1 (deleted or its key "
                                 "changed)")
                      .arg(store->baseTable),
                  recordsetSource());
        const bool editing = editMode != adEditNone && row->id == editRow;
        const bool all = resyncValues == adResyncAllValues
                         || (row->state == RowState::Unchanged && !editing);
        RowEdit &edit = store->editOf(*row);
        for (size_t i = 0; i < writable.size(); ++i) {
            const QVariant stored = storedValue(*select, int(i));
            edit.original[size_t(writable[i])] = stored;
            if (all)
                edit.values[size_t(writable[i])] = stored;
        }
        if (all) {
            row->state = RowState::Unchanged;
            row->conflict = false;
        }
    }
    if (affect == adAffectCurrent) {
        const RowId id = rows.front()->id;
        store->forEachView([id](RowView &v) { v.rowChanged(id); });
    } else {
        store->forEachView([](RowView &v) { v.rowsRestored(); });
    }
}

} // namespace ado
