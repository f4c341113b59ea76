#pragma once
// A client-side, batch-optimistic row set, as classic ADO's with a client cursor.
//
// Open reads every row of the SELECT at once (compactly: a row keeps a second copy of its
// values, its originals, only once it changes); each row has a state (unchanged, new,
// modified, deleted). Nothing reaches the database until UpdateBatch, which writes the
// pending rows to the base table of the SELECT (the table the columns come from): INSERT for
// new rows, UPDATE of the changed columns, DELETE, one row at a time. After an INSERT the row
// is read back from the table, so database-given columns (identity values set by a trigger)
// show in it. Columns that come from no table ("'' AS X", expressions) are carried but never
// written.
//
// Locating a row (UpdateCriteria, ADO's "Update Criteria"): by default (adCriteriaUpdCols)
// the base table's primary key and the changed columns, with their original values,
// NULL-safe, so a change another program made to an unrelated column is no conflict;
// adCriteriaKey uses the key alone, adCriteriaAllCols every written column. A table without
// a primary key, or a row set that does not read all of it, is located by every written
// column whatever the criteria. A row UpdateBatch cannot locate is a conflict: it stays
// pending with Status adRecConcurrencyViolation, the others are written, the conflicts are
// warnings in the connection's Errors, Filter adFilterConflictingRecords shows them, and
// UpdateBatch raises (0x80040E38) only when no row asked for could be written. A refusal of
// the database (a constraint) writes nothing and raises. raiseOnConflicts lets a caller
// that needs all or nothing roll its transaction back.
//
// A value given to a field is converted to the column's declared type, as ADO converts to
// the field's type: text to a number by the session's locale (vb.h), numbers to text;
// a value that cannot be converted raises adErrTypeMismatch and changes nothing. Columns of
// no declared type (expressions) and date columns take values as they are.
//
// Keyset row sets. With CursorLocation adUseServer and the cursor type adOpenKeyset, Open reads
// only the base table's primary key of every row; a row's other values are read when first
// needed (one statement per row, and every remaining row at once when many are asked for),
// so opening a row set over a large table costs its keys only. A SELECT whose base table has
// no primary key, or that does not read all of it, is read whole as with a client cursor.
// Everything else (edits, UpdateBatch, Filter, Sort, clones) behaves as with a client cursor;
// a row another program deleted before its values were read shows Null values.
//
// Choices where ADO leaves room (written here, tested in tests/ado):
// - Setting or clearing Filter moves to the first visible row; Sort keeps the current row.
//   The visible rows are worked out when Filter or Sort is set: a row edited so that it no
//   longer matches stays visible until the Filter is set again. Criteria syntax and how values
//   compare (numbers numerically, text without regard to case or trailing blanks): filter.h.
// - A Clone shares rows and their changes, but has its own position, Filter and Sort, and
//   starts at its first row. A row added through one recordset shows in the others sharing
//   the rows when it matches their Filter at the time it is added.
// - Moving off an edited or new row calls Update implicitly; so do UpdateBatch, and Filter and
//   Sort for an edit of a stored row. A row being added (AddNew not yet updated) survives
//   Filter and Sort: it stays current and visible and CancelUpdate still drops it, so a
//   filter can be re-applied while a new row is being entered.
// - UpdateBatch writes every pending row whether or not the Filter shows it (adAffectAll and
//   adAffectAllChapters behave alike); adAffectGroup writes the rows the Filter lets through
//   and adAffectCurrent the current row only. Without an edit to write it does nothing.
// - After Delete the deleted row stays current (its fields cannot be read, AbsolutePosition
//   is adPosUnknown, EditMode adEditDelete) until a move. Deleting a row added since the last
//   UpdateBatch simply drops it.
// - Requery and CancelBatch drop pending changes. Requery keeps the Filter (criteria or
//   pending rows; a list of bookmarks is cleared) and the Sort and moves to the first row;
//   clones keep the rows they had. CancelBatch keeps the current row when it still exists.
// - Close drops rows, Filter and Sort (a closed recordset ignores Close); Connection::Close
//   closes the recordsets opened on it. Requery of a recordset opened on a Command runs the
//   command's statement again with the parameter values it was opened with (the command may
//   be gone by then).
// - Find takes one "Field op Value" (filter.h) and searches the visible rows from the current
//   row (or Start: a bookmark, adBookmarkFirst or adBookmarkLast) skipping SkipRecords rows
//   first, forward or backward; without a match it stops at EOF (forward) or BOF (backward).
//   Without a current row and without Start it raises 3021.
// - CancelUpdate of a row added and updated but not yet written takes it out again, as
//   Delete does (the current row is then gone: a second CancelUpdate raises 3021). Update,
//   CancelUpdate and EditMode raise 3021 without a current row.
// - A field of a new row never given a value reads as Null and is left out of the INSERT, so
//   that database defaults and triggers fill it; a value set to Null is written as NULL.

#include "ado/constants.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace ado {

class Command;
class Connection;
class Recordset;
struct RowStore;

// A view of one column of the current row of a Recordset.
class Field
{
public:
    Field(Recordset &rs, int index) : m_rs(&rs), m_index(index) {}
    QString Name() const;
    QVariant Value() const;           // raises 3021 at BOF/EOF or on a deleted row
    void setValue(const QVariant &v); // starts an edit (EditMode adEditInProgress)
    QVariant OriginalValue() const;   // as of the last read or successful UpdateBatch
    int index() const { return m_index; }
    // True when the column comes from the base table and UpdateBatch writes it.
    bool isWritable() const;

private:
    Recordset *m_rs;
    int m_index;
};

// What changed in a row set, told to listeners (the host's grids and frames).
enum class RecordsetEvent {
    Reset,      // opened, closed, requeried, filtered or sorted: everything may differ
    Moved,      // the current row changed
    RowChanged, // values of the row `row` (a bookmark) changed
    RowAdded,   // the row `row` was added (AddNew)
    RowRemoved, // the row `row` left the visible rows (Delete, CancelUpdate of a new row)
};

class Recordset
{
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // ----- opening -----
    // Source is a SELECT text. A null connection keeps ActiveConnection. Cursor and lock -1
    // mean "the property"; with a client cursor every row set is static and batch-optimistic.
    void Open(const QString &source, Connection *connection = nullptr,
              long cursorType = adOpenUnspecified, long lockType = adLockUnspecified,
              long options = -1);
    void Open(Command &command, long cursorType = adOpenUnspecified,
              long lockType = adLockUnspecified, long options = -1);
    void Close();
    ObjectState State() const;
    // adUseClient (the default) or adUseServer; takes effect at the next Open or Requery.
    long CursorLocation() const;
    void setCursorLocation(long location);
    Connection *ActiveConnection() const;
    void setActiveConnection(Connection *c);
    QString Source() const;
    // Requery: the SELECT runs again; pending changes are lost (an edit in progress raises).
    void Requery(long options = -1);
    std::unique_ptr<Recordset> Clone(long lockType = adLockUnspecified);

    // ----- fields -----
    int FieldCount() const;
    Field Fields(int index);                   // raises 3265 when out of range
    Field Fields(const QString &name);         // raises 3265 naming the unknown column
    int fieldIndex(const QString &name) const; // -1 when unknown

    // ----- position -----
    bool isBOF() const; // ADO's BOF
    bool isEOF() const; // ADO's EOF (a macro name in C)
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void Move(long rows);          // relative to the current row
    long AbsolutePosition() const; // 1-based among visible rows; adPosBOF/adPosEOF/adPosUnknown
    void setAbsolutePosition(long position);
    long RecordCount() const;                   // visible rows; raises 3704 when closed
    QVariant Bookmark() const;                  // raises 3021 at BOF/EOF
    void setBookmark(const QVariant &bookmark); // raises 3001 for an unknown bookmark

    // For grids, without moving the current row: the bookmark of the visible row at
    // `position` (1-based; raises 3001 out of range), the position of a bookmark among the
    // visible rows (adPosUnknown when not visible) and a field of any row by bookmark
    // (raises 3001 for an unknown bookmark, 3265 for a bad field).
    QVariant bookmarkAt(long position) const;
    long positionOf(const QVariant &bookmark) const;
    QVariant valueAt(const QVariant &bookmark, int field) const;

    // ----- filter and sort -----
    // Criteria "F op V [AND|OR ...]" with = <> < > <= >= LIKE, strings in quotes, [Field],
    // #dates#; "" or adFilterNone clears it, adFilterPendingRecords shows the pending rows.
    // A malformed criteria raises 3001 naming what is wrong.
    QVariant Filter() const;
    void setFilter(const QVariant &criteria);
    QString Sort() const;
    void setSort(const QString &sort); // "F [ASC|DESC], ..."; "" restores the read order

    // ----- searching -----
    void Find(const QString &criteria, long skipRecords = 0, long searchDirection = adSearchForward,
              const QVariant &start = {});

    // ----- editing -----
    void AddNew();
    void Update();
    void CancelUpdate();
    void Delete(long affect = adAffectCurrent);
    void UpdateBatch(long affect = adAffectAll);
    void CancelBatch(long affect = adAffectAll);
    // Reads the rows again from the base table, found by its primary key (adAffectCurrent or
    // adAffectAll). adResyncAllValues: values and originals become the stored ones and pending
    // changes are dropped. adResyncUnderlyingValues: only the originals, the values UpdateBatch
    // finds a row by, become the stored ones; pending changes stay and a later UpdateBatch
    // writes them over what is stored. A row no longer stored raises adErrRowNotFound.
    void Resync(long affect = adAffectAll, long resyncValues = adResyncAllValues);
    long EditMode() const; // raises 3021 without a current row
    long Status() const;   // RecordStatus flags of the current row
    long UpdateCriteria() const;
    void setUpdateCriteria(long criteria); // adCriteriaKey, AllCols or UpdCols; else 3001
    bool hasPendingChanges() const;        // any row new, modified or deleted and not yet written

    // ----- listeners -----
    using Listener = std::function<void(RecordsetEvent, const QVariant &row)>;
    int addListener(Listener listener);
    void removeListener(int id);

private:
    friend class Field;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// For a caller that needs UpdateBatch all or nothing: raises 0x80040E38 (a conflict, naming
// how many rows) when the row set holds rows the last UpdateBatch could not locate. Run right
// after UpdateBatch, inside the caller's transaction, and roll back on the error.
void raiseOnConflicts(Recordset &rs);

} // namespace ado
