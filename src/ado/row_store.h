// Inside a Recordset: the rows it shares with its clones (RowStore) and its own view of them
// (Recordset::Impl: filter, sort, visible rows, cursor, edit in progress, listeners).
//
// Rows keep read order in the store, new rows at the end; a row's id is its bookmark and its
// place in the store (id 1 is the first row), and never changes: a row taken out stays as an
// empty slot. Values as read are kept compactly, a fixed-size cell per value (numbers inline,
// text as UTF-8 in an arena owned by the store); a row gets a copy of its values as variants,
// beside its originals, only once it changes (an edit, AddNew). Values are written into the
// shared row at once, so clones see edits as they happen; an edit in progress keeps a copy of
// the row's values for CancelUpdate. Each view keeps its visible rows as a list of ids,
// computed when the Filter or Sort is set; the store tells every view when a row is added,
// removed or changed so that lists and cursors follow.
#include "ado/cell.h"
#include "ado/filter.h"
#include "ado/recordset.h"

#include <QHash>
#include <QSet>

#include <deque>
#include <map>

namespace ado {

class Statement;
struct Written;

using RowId = qlonglong;

enum class RowState : quint8 { Unchanged, New, Modified, Deleted };

// The values of a row that changed since it was read (or was added here).
struct RowEdit
{
    std::vector<QVariant> values;   // Empty: never given a value (a new row)
    std::vector<QVariant> original; // as read or as of the last successful UpdateBatch
};

struct Row
{
    RowId id = 0;
    std::unique_ptr<RowEdit> edit; // null while the row holds the values it was read with
    quint32 cells = NoCells;       // first cell of the row as read (NoCells: added here)
    RowState state = RowState::Unchanged;
    bool adding = false;   // an AddNew not yet completed by Update
    bool conflict = false; // the last UpdateBatch could not locate it in the database
    bool erased = false;   // taken out of the store: an empty slot
    bool fetched = true;   // keyset row sets: false while only the key has been read

    static constexpr quint32 NoCells = 0xffffffffu;
};

// What a value given to a field becomes, from the column's declared type (as SQLite reads
// a type name: INT anywhere is an integer; CHAR, CLOB or TEXT text; REAL, FLOA or DOUB a
// real; DECIMAL and NUMERIC with a scale of 0 an integer, other names a number).
enum class FieldKind : quint8 { Any, Integer, Real, Number, Text };
FieldKind fieldKindOf(const QString &declaredType);
// The value converted to the kind of field `name` (Empty and Null stay as they are); raises
// adErrTypeMismatch for a value that cannot be converted, adErrDataOverflow when it does
// not fit.
QVariant convertForField(const QVariant &value, FieldKind kind, const QString &name);

struct Column
{
    QString name;       // as the statement writes it: the field's name
    QString resultName; // as the database names it in the result: for SQL over the result
    // "main", "temp" (temp tables such as "#SVILUPPO"); a schema on a server.
    QString originDatabase;
    QString originTable;
    QString originColumn;
    bool writable = false;           // from the base table, first column naming that table column
    bool key = false;                // part of the base table's primary key
    FieldKind kind = FieldKind::Any; // what a value given to the field is converted to
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

// How a keyset row set reads the values of its rows (row_store_keyset.cpp).
struct Keyset
{
    Connection *connection = nullptr;
    QString select;                 // the row set's SELECT, in the database's dialect
    std::vector<int> keyColumns;    // the key's columns, in the order the key cells hold them
    std::vector<int> keyIndex;      // per column: its place among the key cells, or -1
    std::unique_ptr<Statement> one; // the SELECT restricted to one key
    int singleReads = 0;            // rows read one by one so far
};

struct RowStore
{
    std::vector<Column> columns;
    QString baseDatabase;
    QString baseTable;
    QString baseProblem;  // why there is no base table (empty when there is one)
    std::deque<Row> rows; // slot i holds the row of id i + 1
    // The values as read, a row after the other (a keyset row not read yet: its key only, and
    // its values are added at the end when they are read, hence mutable).
    mutable std::vector<Cell> cells;
    mutable ByteArena arena;
    std::unique_ptr<Keyset> keyset; // null: every row was read whole by Open
    long liveRows = 0;
    std::vector<RowView *> views;

    Row *find(RowId id) const
    {
        if (id < 1 || id > RowId(rows.size()))
            return nullptr;
        Row &row = const_cast<Row &>(rows[size_t(id - 1)]);
        return row.erased ? nullptr : &row;
    }
    // Appends a row read from the database (its cells already at the end of `cells`) or a
    // new row without values.
    Row &appendRead();
    Row &appendNew();
    void erase(RowId id);
    // Calls f on every row still in the store, in order.
    template<typename F>
    void forEachRow(F &&f) const
    {
        for (const Row &row : rows) {
            if (!row.erased)
                f(const_cast<Row &>(row));
        }
    }

    QVariant value(const Row &row, int column) const;
    // The row's value cell of a column, its values read first when they were not yet.
    const Cell &cellOf(const Row &row, int column) const;
    // Keyset row sets: reads the row's values, or every row's not read yet.
    void fetch(const Row &row) const;
    void fetchAll() const;
    // Appends the row's values from the current result row of `result`, or (null: the row is
    // gone from the table) its key and Null for the rest, and points the row at them.
    void takeValues(const Row &row, const Statement *result) const;
    // Reads the key of every row of `select` into new rows; false when the SELECT has no
    // complete primary key (nothing is read then).
    bool loadKeys(Connection &connection, const Statement &select);
    QVariant original(const Row &row, int column) const;
    std::vector<QVariant> values(const Row &row) const;
    // The row's own copy of its values, made on its first change.
    RowEdit &editOf(Row &row) const;

    int columnIndex(const QString &name) const;
    // Works out the base table, its key and the writable columns from the columns' origins.
    void resolveBaseTable(Connection &connection);

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

enum class FilterKind { None, Criteria, Pending, Conflicting, Bookmarks };

struct Recordset::Impl final : RowView
{
    explicit Impl(Recordset &owner) : q(owner) {}
    ~Impl() override;

    Recordset &q;
    ObjectState state = adStateClosed;
    Connection *connection = nullptr;
    QString source;
    QString requerySql; // opened on a command: its native text with the values written in
    bool readOnly = false;
    std::shared_ptr<RowStore> store;

    QVariant filter;
    FilterKind filterKind = FilterKind::None;
    FilterCriteria criteria;
    QSet<RowId> filterBookmarks;
    QString sort;
    std::vector<SortKey> sortKeys;

    std::vector<RowId> visible;
    // Index of each visible row by its id (slot id - 1; -1 for a row not visible), rebuilt when
    // needed: ids are dense, so a plain vector.
    mutable std::vector<int> positions;
    mutable bool positionsKnown = false;
    Cursor cursor;

    long updateCriteria = adCriteriaUpdCols;

    long cursorLocation = adUseClient;
    bool keyset = false; // opened as a keyset (server cursor, adOpenKeyset)
    long editMode = adEditNone;
    RowId editRow = 0;
    std::vector<QVariant> snapshot; // values before the edit in progress
    Cursor beforeAdd;               // where the cursor was before AddNew

    std::map<int, Listener> listeners;
    int nextListener = 1;

    // ----- recordset.cpp: opening and closing -----
    void requireOpen(const char *operation) const;
    void requireWritable(const char *operation) const;
    // Raises "Item cannot be found" unless `index` is a field of the open row set.
    void requireField(int index) const;
    void load(Statement &statement);
    void attachStore(std::shared_ptr<RowStore> rows);
    void detachStore();
    void setConnection(Connection *c);
    void emitEvent(RecordsetEvent event, const QVariant &row = {});

    // ----- recordset_rows.cpp: views, moves, editing -----
    bool matchesFilter(const Row &row) const;
    bool passes(const Row &row) const
    {
        return row.state != RowState::Deleted && matchesFilter(row);
    }
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
    int findStart(const QVariant &start, bool forward) const;
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
    void takeWritten(std::vector<Written> &written, const std::vector<Row *> &conflicts);

    // ----- recordset_resync.cpp -----
    void resync(long affect, long resyncValues);

    // RowView
    void rowAdded(const Row &row) override;
    void rowRemoved(RowId id) override;
    void rowChanged(RowId id) override;
    void rowsRestored() override;
};

// Prepares a text already in the database's own dialect (no T-SQL rewriting).
std::unique_ptr<Statement> prepareNative(Connection &connection, const QString &sql);

// Value of a result column as a recordset keeps it (integers as qlonglong, NULL as Null).
QVariant storedValue(const Statement &statement, int column);

// Source of the errors the recordset raises.
inline QString recordsetSource()
{
    return QStringLiteral("ado.Recordset");
}

} // namespace ado
