// Recordset: opening, closing, fields, positions and the public face of the row operations.

#include "ado/recordset.h"

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/row_store.h"
#include "ado/statement.h"
#include "ado/vb.h"

namespace ado {

std::unique_ptr<Statement> prepareNative(Connection &connection, const QString &sql)
{
    return connection.prepareNative(sql, recordsetSource());
}

QVariant storedValue(const Statement &statement, int column)
{
    const QVariant v = statement.value(column);
    if (v.typeId() == QMetaType::Int)
        return QVariant(qlonglong(v.toInt()));
    return v;
}

namespace {

// What a field shows: a column never given a value (a new row) reads as Null.
QVariant shown(const QVariant &v)
{
    return v.isValid() ? v : Null();
}

} // namespace

// ---------------------------------------------------------------- Impl: open and close

Recordset::Impl::~Impl()
{
    if (store)
        store->removeView(this);
}

void Recordset::Impl::requireOpen(const char *operation) const
{
    if (state != adStateOpen)
        raise(adErrObjectClosed,
              QStringLiteral("Operation is not allowed when the object is closed: %1 on a "
                             "closed recordset.")
                  .arg(QLatin1String(operation)),
              recordsetSource());
}

void Recordset::Impl::requireField(int index) const
{
    const int count = int(store->columns.size());
    if (index < 0 || index >= count)
        raise(adErrItemNotFound,
              QStringLiteral("Item cannot be found in the collection corresponding to the "
                             "requested name or ordinal: field %1 (the recordset has %2).")
                  .arg(index)
                  .arg(count),
              recordsetSource());
}

void Recordset::Impl::requireWritable(const char *operation) const
{
    requireOpen(operation);
    if (readOnly)
        raise(adErrIllegalOperation,
              QStringLiteral("%1: the recordset is read-only (a clone made with "
                             "adLockReadOnly).")
                  .arg(QLatin1String(operation)),
              recordsetSource());
}

// Reads the columns and every row of a statement just prepared (or bound) and not yet run.
// A statement without result columns is run and leaves the recordset closed. A keyset first
// only describes the statement (it may read the keys alone); otherwise the first run gives the
// columns too (on a server, no message of its own to describe them).
void Recordset::Impl::load(Statement &statement)
{
    const bool describeFirst = keyset && connection;
    bool row = !describeFirst && statement.step();
    const int count = statement.columnCount();
    if (count == 0) {
        while (row)
            row = statement.step();
        return;
    }
    auto rows = std::make_shared<RowStore>();
    rows->columns.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        Column c;
        c.name = statement.writtenName(i);
        c.resultName = statement.columnName(i);
        c.originTable = statement.originTable(i);
        c.originColumn = statement.originColumn(i);
        c.kind = fieldKindOf(statement.declaredType(i));
        if (!c.originTable.isEmpty())
            c.originDatabase = statement.originDatabase(i);
        rows->columns.push_back(std::move(c));
    }
    rows->resolveBaseTable(statement.connection());
    if (!(describeFirst && rows->loadKeys(*connection, statement))) {
        if (describeFirst)
            row = statement.step();
        for (; row; row = statement.step()) {
            for (int i = 0; i < count; ++i)
                statement.readCell(rows->cells.emplace_back(), i, rows->arena);
            rows->appendRead();
        }
    }
    rows->cells.shrink_to_fit();
    attachStore(std::move(rows));
    state = adStateOpen;
}

void Recordset::Impl::attachStore(std::shared_ptr<RowStore> rows)
{
    detachStore();
    store = std::move(rows);
    store->addView(this);
}

void Recordset::Impl::detachStore()
{
    if (store)
        store->removeView(this);
    store.reset();
    visible.clear();
    positionsKnown = false;
    cursor = Cursor{};
    editMode = adEditNone;
    snapshot.clear();
}

void Recordset::Impl::setConnection(Connection *c)
{
    if (c == connection)
        return;
    if (connection && state == adStateOpen)
        connection->detach(&q);
    connection = c;
    if (connection && state == adStateOpen)
        connection->attach(&q);
}

void Recordset::Impl::emitEvent(RecordsetEvent event, const QVariant &row)
{
    const auto copy = listeners;
    for (const auto &[id, listener] : copy) {
        if (listeners.count(id))
            listener(event, row);
    }
}

// ---------------------------------------------------------------- opening

Recordset::Recordset() : d(std::make_unique<Impl>(*this)) {}

Recordset::~Recordset()
{
    if (d->connection && d->state == adStateOpen)
        d->connection->detach(this);
}

void Recordset::Open(const QString &source, Connection *connection, long cursorType, long, long)
{
    if (d->state == adStateOpen)
        raise(adErrObjectOpen,
              QStringLiteral("Operation is not allowed when the object is open: Open on a "
                             "recordset already open (%1).")
                  .arg(d->source),
              recordsetSource());
    Connection *c = connection ? connection : d->connection;
    if (!c || c->State() != adStateOpen)
        raise(
            adErrInvalidConnection,
            QStringLiteral("Open: the recordset has no open connection to run \"%1\".").arg(source),
            recordsetSource());
    if (source.trimmed().isEmpty())
        raise(adErrInvalidArgument, QStringLiteral("Open: the source text is empty."),
              recordsetSource());
    const auto statement = c->prepare(source, recordsetSource());
    setActiveConnection(c);
    d->keyset = d->cursorLocation == adUseServer && cursorType == adOpenKeyset;
    d->source = source;
    d->requerySql.clear();
    d->load(*statement);
    if (d->state != adStateOpen)
        return;
    c->attach(this);
    d->rebuildVisible();
    d->placeAt(0);
    d->emitEvent(RecordsetEvent::Reset);
}

void Recordset::Open(Command &command, long, long, long)
{
    if (d->state == adStateOpen)
        raise(adErrObjectOpen,
              QStringLiteral("Operation is not allowed when the object is open: Open on a "
                             "recordset already open (%1).")
                  .arg(d->source),
              recordsetSource());
    Statement &statement = command.preparedStatement();
    setActiveConnection(command.ActiveConnection());
    d->source = command.CommandText();
    // Requery runs this text: the statement with the values bound now, so the command need
    // not outlive the recordset.
    d->requerySql = statement.nativeTextWithValues();
    if (d->requerySql.isEmpty())
        raise(adErrProviderFailed,
              QStringLiteral("Open: the text of the command \"%1\" with its parameters could "
                             "not be kept for Requery.")
                  .arg(d->source),
              recordsetSource());
    try {
        d->load(statement);
    } catch (...) {
        statement.reset();
        throw;
    }
    statement.reset();
    if (d->state != adStateOpen)
        return;
    if (d->connection)
        d->connection->attach(this);
    d->rebuildVisible();
    d->placeAt(0);
    d->emitEvent(RecordsetEvent::Reset);
}

void Recordset::Close()
{
    if (d->state != adStateOpen)
        return;
    d->detachStore();
    d->state = adStateClosed;
    d->filter = QVariant();
    d->filterKind = FilterKind::None;
    d->criteria = FilterCriteria();
    d->filterBookmarks.clear();
    d->sort.clear();
    d->sortKeys.clear();
    if (d->connection)
        d->connection->detach(this);
    d->emitEvent(RecordsetEvent::Reset);
}

ObjectState Recordset::State() const
{
    return d->state;
}

long Recordset::CursorLocation() const
{
    return d->cursorLocation;
}

void Recordset::setCursorLocation(long location)
{
    if (location != adUseServer && location != adUseClient)
        raise(adErrInvalidArgument,
              QStringLiteral("CursorLocation: %1 is not adUseServer (2) or adUseClient (3).")
                  .arg(location),
              recordsetSource());
    d->cursorLocation = location;
}

Connection *Recordset::ActiveConnection() const
{
    return d->connection;
}

void Recordset::setActiveConnection(Connection *c)
{
    d->setConnection(c);
}

QString Recordset::Source() const
{
    return d->source;
}

void Recordset::Requery(long)
{
    d->requireOpen("Requery");
    if (d->editMode != adEditNone)
        raise(adErrIllegalOperation,
              QStringLiteral("Requery: an edit or AddNew is in progress; call Update or "
                             "CancelUpdate first."),
              recordsetSource());
    if (!d->connection || d->connection->State() != adStateOpen)
        raise(adErrInvalidConnection,
              QStringLiteral("Requery: the recordset has no open connection."), recordsetSource());
    const std::unique_ptr<Statement> statement =
        d->requerySql.isEmpty() ? d->connection->prepare(d->source, recordsetSource())
                                : prepareNative(*d->connection, d->requerySql);
    // Clones keep the rows they had; this recordset reads new ones.
    const QVariant filter = d->filter;
    const QString sort = d->sort;
    d->state = adStateClosed;
    try {
        d->load(*statement);
    } catch (...) {
        d->state = adStateOpen; // the rows read before are still there
        throw;
    }
    if (d->state != adStateOpen) { // the source no longer returns rows
        d->state = adStateOpen;
        Close();
        return;
    }
    d->filterKind = FilterKind::None;
    d->sortKeys.clear();
    d->sort.clear();
    d->rebuildVisible();
    d->placeAt(0);
    // The Filter and Sort stay: applied again to the new rows (a column gone raises here).
    if (!sort.isEmpty())
        d->applySort(sort);
    // Bookmarks of the rows read before mean nothing now: such a Filter is cleared.
    d->applyFilter(filter.typeId() == QMetaType::QVariantList ? QVariant() : filter);
}

std::unique_ptr<Recordset> Recordset::Clone(long lockType)
{
    d->requireOpen("Clone");
    if (lockType != adLockUnspecified && lockType != adLockReadOnly)
        raise(adErrInvalidArgument,
              QStringLiteral("Clone: lock type %1 is not allowed (adLockUnspecified -1 or "
                             "adLockReadOnly 1).")
                  .arg(lockType),
              recordsetSource());
    auto clone = std::make_unique<Recordset>();
    Impl &c = *clone->d;
    c.source = d->source;
    c.requerySql = d->requerySql;
    c.readOnly = d->readOnly || lockType == adLockReadOnly;
    c.attachStore(d->store);
    c.state = adStateOpen;
    clone->setActiveConnection(d->connection); // attaches: the clone is open
    c.rebuildVisible();
    c.placeAt(0);
    return clone;
}

// ---------------------------------------------------------------- fields

int Recordset::FieldCount() const
{
    return d->state == adStateOpen ? int(d->store->columns.size()) : 0;
}

Field Recordset::Fields(int index)
{
    d->requireOpen("Fields");
    d->requireField(index);
    return Field(*this, index);
}

Field Recordset::Fields(const QString &name)
{
    d->requireOpen("Fields");
    const int index = fieldIndex(name);
    if (index < 0)
        raise(adErrItemNotFound,
              QStringLiteral("Item cannot be found in the collection corresponding to the "
                             "requested name or ordinal: no field '%1'.")
                  .arg(name),
              recordsetSource());
    return Field(*this, index);
}

int Recordset::fieldIndex(const QString &name) const
{
    return d->state == adStateOpen ? d->store->columnIndex(name) : -1;
}

QString Field::Name() const
{
    m_rs->d->requireOpen("Field.Name");
    return m_rs->d->store->columns[size_t(m_index)].name;
}

QVariant Field::Value() const
{
    const Recordset::Impl &d = *m_rs->d;
    return shown(d.store->value(d.requireCurrentRow("Field.Value"), m_index));
}

void Field::setValue(const QVariant &v)
{
    m_rs->d->setValue(m_index, v);
}

QVariant Field::OriginalValue() const
{
    const Recordset::Impl &d = *m_rs->d;
    return shown(d.store->original(d.requireCurrentRow("Field.OriginalValue"), m_index));
}

bool Field::isWritable() const
{
    m_rs->d->requireOpen("Field");
    return m_rs->d->store->columns[size_t(m_index)].writable;
}

// ---------------------------------------------------------------- position

bool Recordset::isBOF() const
{
    d->requireOpen("BOF");
    return d->cursor.kind == Cursor::Bof
           || (d->visible.empty() && d->cursor.kind != Cursor::OnDeleted);
}

bool Recordset::isEOF() const
{
    d->requireOpen("EOF");
    return d->cursor.kind == Cursor::Eof
           || (d->visible.empty() && d->cursor.kind != Cursor::OnDeleted);
}

void Recordset::MoveFirst()
{
    d->requireOpen("MoveFirst");
    if (d->visible.empty())
        raise(adErrNoCurrentRecord,
              QStringLiteral("MoveFirst: the recordset has no rows (BOF and EOF are True)."),
              recordsetSource());
    d->go(0);
}

void Recordset::MoveLast()
{
    d->requireOpen("MoveLast");
    if (d->visible.empty())
        raise(adErrNoCurrentRecord,
              QStringLiteral("MoveLast: the recordset has no rows (BOF and EOF are True)."),
              recordsetSource());
    d->go(int(d->visible.size()) - 1);
}

void Recordset::MoveNext()
{
    d->moveRelative(1);
}

void Recordset::MovePrevious()
{
    d->moveRelative(-1);
}

void Recordset::Move(long rows)
{
    d->moveRelative(rows);
}

long Recordset::AbsolutePosition() const
{
    d->requireOpen("AbsolutePosition");
    if (d->visible.empty())
        return adPosUnknown;
    switch (d->cursor.kind) {
    case Cursor::Bof:
        return adPosBOF;
    case Cursor::Eof:
        return adPosEOF;
    case Cursor::OnRow:
        return d->cursor.index + 1;
    case Cursor::OnDeleted:
        break;
    }
    return adPosUnknown;
}

void Recordset::setAbsolutePosition(long position)
{
    d->requireOpen("AbsolutePosition");
    if (position < 1 || position > long(d->visible.size()))
        raise(adErrInvalidArgument,
              QStringLiteral("AbsolutePosition %1 is out of range: the recordset shows %2 "
                             "rows.")
                  .arg(position)
                  .arg(d->visible.size()),
              recordsetSource());
    d->go(int(position - 1));
}

long Recordset::RecordCount() const
{
    d->requireOpen("RecordCount");
    return long(d->visible.size());
}

QVariant Recordset::Bookmark() const
{
    d->requireOpen("Bookmark");
    if (d->cursor.kind != Cursor::OnRow && d->cursor.kind != Cursor::OnDeleted)
        raise(adErrNoCurrentRecord,
              QStringLiteral("Bookmark: either BOF or EOF is True: there is no current "
                             "record."),
              recordsetSource());
    return QVariant(d->cursor.id);
}

void Recordset::setBookmark(const QVariant &bookmark)
{
    d->requireOpen("Bookmark");
    bool ok = false;
    const RowId id = bookmark.toLongLong(&ok);
    const int index = ok ? d->indexOf(id) : -1;
    if (index < 0)
        raise(adErrInvalidArgument,
              QStringLiteral("Bookmark '%1' is not valid: no visible row of this recordset "
                             "has it.")
                  .arg(bookmark.toString()),
              recordsetSource());
    d->go(index);
}

QVariant Recordset::bookmarkAt(long position) const
{
    d->requireOpen("bookmarkAt");
    if (position < 1 || position > long(d->visible.size()))
        raise(adErrInvalidArgument,
              QStringLiteral("Position %1 is out of range: the recordset shows %2 rows.")
                  .arg(position)
                  .arg(d->visible.size()),
              recordsetSource());
    return QVariant(d->visible[size_t(position - 1)]);
}

long Recordset::positionOf(const QVariant &bookmark) const
{
    d->requireOpen("positionOf");
    bool ok = false;
    const RowId id = bookmark.toLongLong(&ok);
    const int index = ok ? d->indexOf(id) : -1;
    return index < 0 ? long(adPosUnknown) : long(index + 1);
}

QVariant Recordset::valueAt(const QVariant &bookmark, int field) const
{
    d->requireOpen("valueAt");
    bool ok = false;
    const Row *row = d->store->find(bookmark.toLongLong(&ok));
    if (!ok || !row)
        raise(adErrInvalidArgument,
              QStringLiteral("Bookmark '%1' is not valid: no row of this recordset has it.")
                  .arg(bookmark.toString()),
              recordsetSource());
    d->requireField(field);
    return shown(d->store->value(*row, field));
}

// ---------------------------------------------------------------- filter, sort, editing

QVariant Recordset::Filter() const
{
    return d->state == adStateOpen ? d->filter : QVariant(int(adFilterNone));
}

void Recordset::setFilter(const QVariant &criteria)
{
    d->applyFilter(criteria);
}

QString Recordset::Sort() const
{
    return d->sort;
}

void Recordset::setSort(const QString &sort)
{
    d->applySort(sort);
}

void Recordset::AddNew()
{
    d->addNew();
}

void Recordset::Update()
{
    d->requireOpen("Update");
    if (d->editMode == adEditNone)
        d->requireCurrentRow("Update");
    d->update();
}

void Recordset::CancelUpdate()
{
    d->requireOpen("CancelUpdate");
    if (d->editMode != adEditNone) {
        d->cancelUpdate();
        return;
    }
    // A row added and updated but not yet written is taken out again.
    const Row &row = d->requireCurrentRow("CancelUpdate");
    if (row.state == RowState::New)
        d->deleteRow(row.id);
}

void Recordset::Delete(long affect)
{
    d->requireWritable("Delete");
    if (affect == adAffectGroup) {
        if (d->editMode == adEditAdd)
            d->cancelUpdate();
        const std::vector<RowId> ids = d->visible;
        for (RowId id : ids)
            d->deleteRow(id);
        return;
    }
    if (affect != adAffectCurrent)
        raise(adErrInvalidArgument,
              QStringLiteral("Delete: %1 is not allowed (adAffectCurrent 1 or adAffectGroup "
                             "2).")
                  .arg(affect),
              recordsetSource());
    d->deleteRow(d->requireCurrentRow("Delete").id);
}

void Recordset::UpdateBatch(long affect)
{
    d->updateBatch(affect);
}

void Recordset::CancelBatch(long affect)
{
    d->cancelBatch(affect);
}

void Recordset::Resync(long affect, long resyncValues)
{
    d->resync(affect, resyncValues);
}

long Recordset::EditMode() const
{
    d->requireOpen("EditMode");
    if (d->editMode != adEditNone)
        return d->editMode;
    if (d->cursor.kind == Cursor::OnDeleted && d->store->find(d->cursor.id))
        return adEditDelete;
    d->requireCurrentRow("EditMode");
    return adEditNone;
}

long Recordset::Status() const
{
    d->requireOpen("Status");
    const Row *row = d->cursor.kind == Cursor::OnDeleted ? d->store->find(d->cursor.id)
                                                         : &d->requireCurrentRow("Status");
    if (!row)
        return adRecDeleted;
    const long conflict = row->conflict ? long(adRecConcurrencyViolation) : 0;
    switch (row->state) {
    case RowState::New:
        return adRecNew | conflict;
    case RowState::Modified:
        return adRecModified | conflict;
    case RowState::Deleted:
        return adRecDeleted | conflict;
    case RowState::Unchanged:
        break;
    }
    return adRecUnmodified | conflict;
}

bool Recordset::hasPendingChanges() const
{
    if (d->state != adStateOpen)
        return false;
    if (d->editMode != adEditNone)
        return true;
    bool pending = false;
    d->store->forEachRow([&pending](const Row &row) {
        pending = pending || row.state != RowState::Unchanged || row.adding;
    });
    return pending;
}

// ---------------------------------------------------------------- listeners

int Recordset::addListener(Listener listener)
{
    const int id = d->nextListener++;
    d->listeners.emplace(id, std::move(listener));
    return id;
}

void Recordset::removeListener(int id)
{
    d->listeners.erase(id);
}

} // namespace ado
