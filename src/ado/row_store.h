#pragma once
// Inside a Recordset: the rows it shares with its clones (RowStore) and its own view of them
// (Recordset::Impl: filter, sort, visible rows, cursor, edit in progress, listeners).
//
// Rows keep read order in the store, new rows at the end; a row's id is its bookmark and never
// changes. Values are written into the shared row at once, so clones see edits as they happen;
// an edit in progress keeps a copy of the row's values for CancelUpdate. Each view keeps its
// visible rows as a list of ids, computed when the Filter or Sort is set; the store tells every
// view when a row is added, removed or changed so that lists and cursors follow.

#include "ado/filter.h"
#include "ado/recordset.h"

#include <QHash>
#include <QSet>

#include <map>

namespace ado {

class Statement;

using RowId = qlonglong;

enum class RowState { Unchanged, New, Modified, Deleted };

struct Row
{
    RowId id = 0;
    std::vector<QVariant> values;   // Empty: never given a value (a new row)
    std::vector<QVariant> original; // as read or as of the last successful UpdateBatch
    RowState state = RowState::Unchanged;
    bool adding = false; // an AddNew not yet completed by Update
};

struct Column
{
    QString name;
    QString originDatabase; // "main", "temp" (temp tables such as "#SVILUPPO")
    QString originTable;
    QString originColumn;
    bool writable = false; // from the base table, first column naming that table column
};

// Told of changes that another recordset sharing the rows made.
class RowView
{
public:
    virtual ~RowView() = default;
    virtual void rowAdded(const Row &row) = 0;
    virtual void rowRemoved(RowId id) = 0;
    virtual void rowChanged(RowId id) = 0;
    virtual void rowsRestored() = 0;
};

struct RowStore
{
    std::vector<Column> columns;
    QString baseDatabase;
    QString baseTable;
    QString baseProblem; // why there is no base table (empty when there is one)
    std::vector<std::unique_ptr<Row>> rows;
    QHash<RowId, Row *> byId;
    RowId nextId = 1;
    std::vector<RowView *> views;

    Row *find(RowId id) const { return byId.value(id, nullptr); }
    Row &append(std::vector<QVariant> values, RowState state);
    void erase(RowId id);
    int columnIndex(const QString &name) const;
    // Works out the base table and the writable columns from the columns' origins.
    void resolveBaseTable();

    void addView(RowView *view) { views.push_back(view); }
    void removeView(RowView *view);
    // Calls f on every view (a copy of the list: views may come and go meanwhile).
    template<typename F>
    void forEachView(F &&f) const
    {
        const auto copy = views;
        for (RowView *v : copy)
            f(*v);
    }
};

struct Cursor
{
    enum Kind { Bof, Eof, OnRow, OnDeleted } kind = Eof;
    int index = 0; // OnRow: in the visible list; OnDeleted: where the deleted row stood
    RowId id = 0;
};

enum class FilterKind { None, Criteria, Pending, Bookmarks };

struct Recordset::Impl final : RowView
{
    explicit Impl(Recordset &owner) : q(owner) {}
    ~Impl() override;

    Recordset &q;
    ObjectState state = adStateClosed;
    Connection *connection = nullptr;
    QString source;
    QString requerySql; // opened on a command: its SQLite text with the values bound
    bool readOnly = false;
    std::shared_ptr<RowStore> store;

    QVariant filter;
    FilterKind filterKind = FilterKind::None;
    FilterCriteria criteria;
    QSet<RowId> filterBookmarks;
    QString sort;
    std::vector<SortKey> sortKeys;

    std::vector<RowId> visible;
    mutable QHash<RowId, int> positions; // index of each visible row, rebuilt when needed
    mutable bool positionsKnown = false;
    Cursor cursor;

    long editMode = adEditNone;
    RowId editRow = 0;
    std::vector<QVariant> snapshot; // values before the edit in progress
    Cursor beforeAdd;               // where the cursor was before AddNew

    std::map<int, Listener> listeners;
    int nextListener = 1;

    // ----- recordset.cpp: opening and closing -----
    void requireOpen(const char *operation) const;
    void requireWritable(const char *operation) const;
    void load(Statement &statement);
    void attachStore(std::shared_ptr<RowStore> rows);
    void detachStore();
    void setConnection(Connection *c);
    void emitEvent(RecordsetEvent event, const QVariant &row = {});

    // ----- recordset_rows.cpp: views, moves, editing -----
    bool matchesFilter(const Row &row) const;
    bool passes(const Row &row) const { return row.state != RowState::Deleted && matchesFilter(row); }
    void rebuildVisible();
    int indexOf(RowId id) const;
    void appendVisible(RowId id);
    void eraseVisible(int index);
    Row *currentRow() const;
    Row &requireCurrentRow(const char *operation) const;
    void placeAt(int index);
    void go(int index);
    void moveRelative(long rows);
    void applyFilter(const QVariant &criteria);
    void applySort(const QString &text);
    void restoreCursor(const Cursor &saved);
    void setValue(int column, const QVariant &value);
    void addNew();
    void update();
    void cancelUpdate();
    void deleteRow(RowId id);
    void cancelBatch(long affect);

    // ----- recordset_batch.cpp -----
    std::vector<Row *> pendingRows(long affect) const;
    void updateBatch(long affect);

    // ----- recordset_resync.cpp -----
    void resync(long affect, long resyncValues);

    // RowView
    void rowAdded(const Row &row) override;
    void rowRemoved(RowId id) override;
    void rowChanged(RowId id) override;
    void rowsRestored() override;
};

// Prepares a text that is already SQLite's (no T-SQL rewriting).
std::unique_ptr<Statement> prepareSqlite(Connection &connection, const QString &sql);

// Value of a result column as a recordset keeps it (integers as qlonglong, NULL as Null).
QVariant storedValue(const Statement &statement, int column);

// Source of the errors the recordset raises.
inline QString recordsetSource()
{
    return QStringLiteral("ado.Recordset");
}

} // namespace ado
