// Recordset::Find: the next visible row that meets one comparison.

#include "ado/row_store.h"

#include "ado/error.h"
#include "ado/vb.h"

namespace ado {

// Where a search starts: the index of the visible row it looks at first, before skipping.
int Recordset::Impl::findStart(const QVariant &start, bool forward) const
{
    const int size = int(visible.size());
    if (!isMissing(start) && start.typeId() != QMetaType::QString) {
        bool ok = false;
        const qlonglong value = start.toLongLong(&ok);
        if (ok && value == adBookmarkFirst)
            return 0;
        if (ok && value == adBookmarkLast)
            return size - 1;
        if (ok && value != adBookmarkCurrent) {
            const int index = indexOf(value);
            if (index < 0)
                raise(adErrInvalidArgument,
                      QStringLiteral("Find: Start '%1' is not a bookmark of a visible row.")
                          .arg(start.toString()),
                      recordsetSource());
            return index;
        }
    } else if (!isMissing(start)) {
        raise(adErrInvalidArgument,
              QStringLiteral("Find: Start must be a bookmark, adBookmarkCurrent (0), "
                             "adBookmarkFirst (1) or adBookmarkLast (2)."),
              recordsetSource());
    }
    switch (cursor.kind) {
    case Cursor::OnRow:
        return cursor.index;
    case Cursor::OnDeleted: // the deleted row stood just before the row now at its index
        return forward ? cursor.index : cursor.index - 1;
    case Cursor::Bof:
    case Cursor::Eof:
        break;
    }
    raise(adErrNoCurrentRecord,
          QStringLiteral("Find: either BOF or EOF is True, or the current record has been "
                         "deleted; give Start or move to a row first."),
          recordsetSource());
}

void Recordset::Find(const QString &criteria, long skipRecords, long searchDirection,
                     const QVariant &start)
{
    d->requireOpen("Find");
    if (searchDirection != adSearchForward && searchDirection != adSearchBackward)
        raise(adErrInvalidArgument,
              QStringLiteral("Find: SearchDirection %1 is neither adSearchForward (1) nor "
                             "adSearchBackward (-1).")
                  .arg(searchDirection),
              recordsetSource());
    const FilterCriteria condition = FilterCriteria::parse(
        criteria, [this](const QString &name) { return d->store->columnIndex(name); });
    if (!condition.isSingleComparison())
        raise(adErrInvalidArgument,
              QStringLiteral("Find: \"%1\" is not one comparison \"Field op Value\" (AND, OR "
                             "and parentheses are not allowed).")
                  .arg(criteria),
              recordsetSource());
    const bool forward = searchDirection == adSearchForward;
    const int size = int(d->visible.size());
    const long first = long(d->findStart(start, forward)) + (forward ? skipRecords : -skipRecords);
    const int step = forward ? 1 : -1;
    for (long i = first; i >= 0 && i < size; i += step) {
        const Row *row = d->store->find(d->visible[size_t(i)]);
        if (row && condition.matches([this, row](int c) { return d->store->value(*row, c); })) {
            d->go(int(i));
            return;
        }
    }
    d->go(forward ? size : -1);
}

} // namespace ado
