// The rows of a Recordset: the shared store, the visible list of each view, moves and edits.

#include "ado/row_store.h"

#include <numeric>

#include "ado/error.h"
#include "ado/vb.h"

#include <algorithm>

namespace ado {

// ---------------------------------------------------------------- the visible rows

bool Recordset::Impl::matchesFilter(const Row &row) const
{
    if (editMode == adEditAdd && row.id == editRow)
        return true; // the row being added shows whatever the filter
    switch (filterKind) {
    case FilterKind::None:
        return true;
    case FilterKind::Criteria:
        return criteria.matches([this, &row](int i) { return store->value(row, i); });
    case FilterKind::Pending:
        return row.state != RowState::Unchanged || row.adding
               || (editMode == adEditInProgress && row.id == editRow);
    case FilterKind::Conflicting:
        return row.conflict;
    case FilterKind::Bookmarks:
        return filterBookmarks.contains(row.id);
    }
    return false;
}

void Recordset::Impl::rebuildVisible()
{
    positionsKnown = false;
    visible.clear();
    visible.reserve(size_t(store->liveRows));
    store->forEachRow([this](const Row &row) {
        if (passes(row))
            visible.push_back(row.id);
    });
    if (sortKeys.empty())
        return;
    // The sort keys of each row, read once. Rows that already come in order (a SELECT that
    // orders them the same way) are left as they are, which costs one comparison a row.
    std::vector<std::vector<QVariant>> keys(visible.size());
    for (size_t i = 0; i < visible.size(); ++i) {
        const Row *row = store->find(visible[i]);
        keys[i].reserve(sortKeys.size());
        for (const SortKey &key : sortKeys)
            keys[i].push_back(store->value(*row, key.column));
    }
    const auto less = [this](const std::vector<QVariant> &ka, const std::vector<QVariant> &kb) {
        for (size_t i = 0; i < sortKeys.size(); ++i) {
            const int c = compareForSort(ka[i], kb[i]);
            if (c != 0)
                return sortKeys[i].descending ? c > 0 : c < 0;
        }
        return false;
    };
    bool inOrder = true;
    for (size_t i = 1; i < keys.size() && inOrder; ++i)
        inOrder = !less(keys[i], keys[i - 1]);
    if (inOrder)
        return;
    std::vector<size_t> order(visible.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return less(keys[a], keys[b]); });
    std::vector<RowId> sorted;
    sorted.reserve(visible.size());
    for (size_t i : order)
        sorted.push_back(visible[i]);
    visible.swap(sorted);
}

int Recordset::Impl::indexOf(RowId id) const
{
    if (!positionsKnown) {
        positions.assign(store->rows.size(), -1);
        for (size_t i = 0; i < visible.size(); ++i)
            positions[size_t(visible[i] - 1)] = int(i);
        positionsKnown = true;
    }
    if (id < 1 || size_t(id) > positions.size())
        return -1;
    return positions[size_t(id - 1)];
}

void Recordset::Impl::appendVisible(RowId id)
{
    visible.push_back(id);
    if (positionsKnown) {
        if (size_t(id) > positions.size())
            positions.resize(size_t(id), -1);
        positions[size_t(id - 1)] = int(visible.size()) - 1;
    }
}

void Recordset::Impl::eraseVisible(int index)
{
    visible.erase(visible.begin() + index);
    positionsKnown = false;
}

Row *Recordset::Impl::currentRow() const
{
    if (state != adStateOpen || cursor.kind != Cursor::OnRow)
        return nullptr;
    return store->find(cursor.id);
}

Row &Recordset::Impl::requireCurrentRow(const char *operation) const
{
    requireOpen(operation);
    if (Row *row = currentRow())
        return *row;
    raise(adErrNoCurrentRecord,
          QStringLiteral("%1: either BOF or EOF is True, or the current record has been "
                         "deleted. Requested operation requires a current record.")
              .arg(QLatin1String(operation)),
          recordsetSource());
}

// Puts the cursor on visible index `index` (before the first row: BOF, after the last: EOF),
// without the implicit Update and without telling listeners.
void Recordset::Impl::placeAt(int index)
{
    if (index < 0) {
        cursor = Cursor{Cursor::Bof, 0, 0};
    } else if (index >= int(visible.size())) {
        cursor = Cursor{Cursor::Eof, 0, 0};
    } else {
        cursor = Cursor{Cursor::OnRow, index, visible[size_t(index)]};
    }
}

// A move: leaving an edited or new row saves it locally first.
void Recordset::Impl::go(int index)
{
    const bool sameRow = cursor.kind == Cursor::OnRow && index == cursor.index;
    if (sameRow)
        return;
    if (editMode != adEditNone)
        update();
    placeAt(index);
    emitEvent(RecordsetEvent::Moved, cursor.kind == Cursor::OnRow ? QVariant(cursor.id) : Null());
}

void Recordset::Impl::moveRelative(long rows)
{
    requireOpen("Move");
    if (rows == 0)
        return;
    const int size = int(visible.size());
    const bool forward = rows > 0;
    const bool blocked =
        forward ? (cursor.kind == Cursor::Eof || (size == 0 && cursor.kind != Cursor::OnDeleted))
                : (cursor.kind == Cursor::Bof || (size == 0 && cursor.kind != Cursor::OnDeleted));
    if (blocked)
        raise(adErrNoCurrentRecord,
              QStringLiteral("Cannot move %1: %2 is True (no current record).")
                  .arg(forward ? QStringLiteral("forward") : QStringLiteral("back"),
                       forward ? QStringLiteral("EOF") : QStringLiteral("BOF")),
              recordsetSource());
    long base = 0;
    switch (cursor.kind) {
    case Cursor::Bof:
        base = -1;
        break;
    case Cursor::Eof:
        base = size;
        break;
    case Cursor::OnRow:
        base = cursor.index;
        break;
    case Cursor::OnDeleted:
        // the deleted row stood just before the row now at its index
        base = forward ? cursor.index - 1 : cursor.index;
        break;
    }
    const long target = std::clamp(base + rows, -1L, long(size));
    go(int(target));
}

void Recordset::Impl::restoreCursor(const Cursor &saved)
{
    if (saved.kind == Cursor::OnRow) {
        const int i = indexOf(saved.id);
        placeAt(i >= 0 ? i : 0);
    } else if (saved.kind == Cursor::OnDeleted) {
        cursor = saved;
        cursor.index = std::min(saved.index, int(visible.size()));
    } else {
        cursor = Cursor{saved.kind, 0, 0};
    }
}

// ---------------------------------------------------------------- filter and sort

void Recordset::Impl::applyFilter(const QVariant &value)
{
    requireOpen("Filter");
    const auto lookup = [this](const QString &name) { return store->columnIndex(name); };
    FilterKind kind = FilterKind::None;
    FilterCriteria parsed;
    QSet<RowId> bookmarks;
    const int type = value.typeId();
    if (isMissing(value)) {
        kind = FilterKind::None;
    } else if (type == QMetaType::QString) {
        parsed = FilterCriteria::parse(value.toString(), lookup);
        kind = parsed.isEmpty() ? FilterKind::None : FilterKind::Criteria;
    } else if (type == QMetaType::QVariantList) {
        for (const QVariant &b : value.toList()) {
            bool ok = false;
            const RowId id = b.toLongLong(&ok);
            if (!ok || !store->find(id))
                raise(adErrInvalidArgument,
                      QStringLiteral("Filter: '%1' is not a bookmark of this recordset.")
                          .arg(b.toString()),
                      recordsetSource());
            bookmarks.insert(id);
        }
        kind = FilterKind::Bookmarks;
    } else if (value.canConvert<qlonglong>() && type != QMetaType::QByteArray) {
        const qlonglong group = value.toLongLong();
        if (group != adFilterNone && group != adFilterPendingRecords
            && group != adFilterConflictingRecords)
            raise(adErrInvalidArgument,
                  QStringLiteral("Filter %1 is not supported: use a criteria text, a list of "
                                 "bookmarks, adFilterNone (0), adFilterPendingRecords (1) or "
                                 "adFilterConflictingRecords (5).")
                      .arg(group),
                  recordsetSource());
        kind = group == adFilterNone             ? FilterKind::None
               : group == adFilterPendingRecords ? FilterKind::Pending
                                                 : FilterKind::Conflicting;
    } else {
        raise(adErrInvalidArgument,
              QStringLiteral("Filter: a value of type %1 is not a criteria.")
                  .arg(QLatin1String(value.typeName())),
              recordsetSource());
    }

    if (editMode == adEditInProgress)
        update();
    criteria = std::move(parsed);
    filterBookmarks = std::move(bookmarks);
    filterKind = kind;
    filter = kind == FilterKind::None          ? QVariant(int(adFilterNone))
             : kind == FilterKind::Pending     ? QVariant(int(adFilterPendingRecords))
             : kind == FilterKind::Conflicting ? QVariant(int(adFilterConflictingRecords))
                                               : value;
    rebuildVisible();
    if (editMode == adEditAdd)
        placeAt(indexOf(editRow)); // the row being added stays current
    else
        placeAt(0);
    emitEvent(RecordsetEvent::Reset);
}

void Recordset::Impl::applySort(const QString &text)
{
    requireOpen("Sort");
    auto keys = parseSort(text, [this](const QString &name) { return store->columnIndex(name); });
    if (editMode == adEditInProgress)
        update();
    sortKeys = std::move(keys);
    sort = sortKeys.empty() ? QString() : text;
    const Cursor saved = cursor;
    rebuildVisible();
    restoreCursor(saved);
    emitEvent(RecordsetEvent::Reset);
}

// ---------------------------------------------------------------- editing

void Recordset::Impl::setValue(int column, const QVariant &value)
{
    requireWritable("Field.Value");
    Row &row = requireCurrentRow("Field.Value");
    const Column &field = store->columns[size_t(column)];
    const QVariant converted = convertForField(value, field.kind, field.name);
    RowEdit &edit = store->editOf(row);
    if (editMode == adEditNone) {
        snapshot = edit.values;
        editRow = row.id;
        editMode = adEditInProgress;
    }
    edit.values[size_t(column)] = converted;
    store->forEachView([&row](RowView &v) { v.rowChanged(row.id); });
}

void Recordset::Impl::addNew()
{
    requireWritable("AddNew");
    if (editMode != adEditNone)
        update();
    beforeAdd = cursor;
    Row &row = store->appendNew();
    row.adding = true;
    editMode = adEditAdd;
    editRow = row.id;
    snapshot.clear();
    appendVisible(row.id);
    placeAt(int(visible.size()) - 1);
    store->forEachView([this, &row](RowView &v) {
        if (&v != this)
            v.rowAdded(row);
    });
    emitEvent(RecordsetEvent::RowAdded, row.id);
    emitEvent(RecordsetEvent::Moved, row.id);
}

void Recordset::Impl::update()
{
    requireOpen("Update");
    if (editMode == adEditNone)
        return;
    Row *row = store->find(editRow);
    const long mode = editMode;
    editMode = adEditNone;
    snapshot.clear();
    if (!row)
        return;
    if (mode == adEditAdd) {
        row->adding = false;
    } else if (row->state != RowState::New && row->edit) {
        bool changed = false;
        const RowEdit &edit = *row->edit;
        for (size_t i = 0; i < edit.values.size() && !changed; ++i)
            changed = !sameValue(edit.values[i], edit.original[i]);
        row->state = changed ? RowState::Modified : RowState::Unchanged;
    }
    store->forEachView([row](RowView &v) { v.rowChanged(row->id); });
}

void Recordset::Impl::cancelUpdate()
{
    requireOpen("CancelUpdate");
    if (editMode == adEditNone)
        return;
    const long mode = editMode;
    const RowId id = editRow;
    editMode = adEditNone;
    if (mode == adEditInProgress) {
        if (Row *row = store->find(id))
            store->editOf(*row).values = snapshot;
        snapshot.clear();
        store->forEachView([id](RowView &v) { v.rowChanged(id); });
        return;
    }
    store->erase(id);
    store->forEachView([id](RowView &v) { v.rowRemoved(id); });
    restoreCursor(beforeAdd);
    emitEvent(RecordsetEvent::Moved, cursor.kind == Cursor::OnRow ? QVariant(cursor.id) : Null());
}

// Marks a row deleted (a new row is simply dropped); the views drop it from their lists, and
// a view whose current row it was keeps it current until the next move.
void Recordset::Impl::deleteRow(RowId id)
{
    Row *row = store->find(id);
    if (!row)
        return;
    if (editMode != adEditNone && editRow == id) {
        if (editMode == adEditInProgress)
            store->editOf(*row).values = snapshot;
        editMode = adEditNone;
        snapshot.clear();
    }
    if (row->state == RowState::New) {
        store->erase(id);
    } else {
        row->state = RowState::Deleted;
    }
    store->forEachView([id](RowView &v) { v.rowRemoved(id); });
}

void Recordset::Impl::cancelBatch(long affect)
{
    requireOpen("CancelBatch");
    std::vector<RowId> ids;
    switch (affect) {
    case adAffectCurrent:
        if (cursor.kind == Cursor::OnRow || cursor.kind == Cursor::OnDeleted)
            ids.push_back(cursor.id);
        break;
    case adAffectGroup:
        ids = visible;
        if (cursor.kind == Cursor::OnDeleted)
            ids.push_back(cursor.id);
        break;
    case adAffectAll:
    case adAffectAllChapters:
        store->forEachRow([&ids](const Row &r) { ids.push_back(r.id); });
        break;
    default:
        raise(adErrInvalidArgument,
              QStringLiteral("CancelBatch: %1 is not an AffectEnum value (1, 2, 3 or 4).")
                  .arg(affect),
              recordsetSource());
    }
    cancelUpdate();
    for (RowId id : ids) {
        Row *row = store->find(id);
        if (!row || row->adding)
            continue;
        row->conflict = false;
        if (row->state == RowState::Unchanged)
            continue;
        if (row->state == RowState::New) {
            store->erase(id);
        } else {
            RowEdit &edit = store->editOf(*row);
            edit.values = edit.original;
            row->state = RowState::Unchanged;
        }
    }
    store->forEachView([](RowView &v) { v.rowsRestored(); });
}

// ---------------------------------------------------------------- what other views did

void Recordset::Impl::rowAdded(const Row &row)
{
    if (!passes(row))
        return;
    appendVisible(row.id);
    emitEvent(RecordsetEvent::RowAdded, row.id);
}

void Recordset::Impl::rowRemoved(RowId id)
{
    const int i = indexOf(id);
    if (i < 0)
        return;
    eraseVisible(i);
    if (cursor.kind == Cursor::OnRow && i == cursor.index)
        cursor.kind = Cursor::OnDeleted;
    else if ((cursor.kind == Cursor::OnRow || cursor.kind == Cursor::OnDeleted) && i < cursor.index)
        --cursor.index;
    emitEvent(RecordsetEvent::RowRemoved, id);
}

void Recordset::Impl::rowChanged(RowId id)
{
    if (indexOf(id) >= 0)
        emitEvent(RecordsetEvent::RowChanged, id);
}

void Recordset::Impl::rowsRestored()
{
    const Cursor saved = cursor;
    rebuildVisible();
    restoreCursor(saved.kind == Cursor::OnDeleted && indexOf(saved.id) >= 0
                      ? Cursor{Cursor::OnRow, 0, saved.id}
                      : saved);
    emitEvent(RecordsetEvent::Reset);
}

} // namespace ado
