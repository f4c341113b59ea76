#pragma once
// The data frame: binds one row set (an ado::Recordset, never a copy of it) to edit controls,
// a grid and a navigator, keeps the record state and raises the events the window handles.
//
// Record state (Status): 0 = a stored row of the row set is shown (or no row at all when the
// row set is empty), 2 = a new row is being entered (AddNew has been called on the row set and
// the row is not confirmed yet).
//
// Where values live. The controls hold the user's edits; they reach the current row when the
// record is confirmed or when RefreshRow is called. Values the window writes into the current
// row (Field::setValue) win over a control that still shows the older value: they are shown
// in the control at the next RefreshRow/Refresh/confirm. RecordChanged is true from the user's
// first edit of a control (or setRecordChanged(true)) until the record is confirmed or undone.
//
// Modes (OptionE): true (-1) = immediate mode, the confirmed row is written to the database at
// once (UpdateBatch of the current row; columns the database gives, such as a trigger-given
// identity, are read back and shown); 0 = batch mode, confirmed and deleted rows stay pending
// in the row set (Modified) until the window writes them, which it does in UpdateBatchAll.
//
// The other options (none of them stops an operation the window asks for):
// - OptionA (default false): the navigator's search button offers the list of the frame's
//   rows (key column first, then the bound columns) and shows the row picked.
// - OptionB (default true): leaving a changed record through the navigator or the grid asks
//   "save changes?"; false confirms it without asking (as the row set itself would).
// - OptionC (default true): after "Nuovo" the focus goes to FirstControl.
// - OptionD (default false): the key box (the control bound to the key column) is enabled only
//   while a new row is entered; a stored row's key cannot be retyped.
//
// Operations and their events (results: -1 success, 0 failure):
// - "Nuovo" (addNew): ConfirmPending(true, true, true) -> BeforeAddNew(cancel) -> AddNew on the
//   row set, controls and row at the controls' default values -> AfterAddNew(-1) ->
//   ChangeStatus(2, ReasonAddNew).
// - "Conferma" (confirm): nothing when nothing is pending -> required-field check (message
//   naming the caption, focus to the control) -> controls' values into the row ->
//   ValidateRecord(control, message) (a control or a message handed back refuses the row:
//   the message, or the frame's own one naming the control's caption, focus to the control)
//   -> BeforeUpdate(cancel) -> Update (immediate mode: UpdateBatch, database values read back)
//   -> AfterUpdate(-1) -> ChangeStatus(0, ReasonSaved). The values are in the row before
//   ValidateRecord and BeforeUpdate, so the handlers read the row as it will be stored; a
//   refusal leaves them there as an edit in progress (undo drops it). A failed write:
//   AfterUpdate(0), the error shown, the record stays in edit (status and RecordChanged kept).
// - "Elimina" (deleteRecord): "Confermi l'eliminazione <subject>?" -> BeforeDelete(cancel) -> Delete
//   (immediate: written at once; batch: pending) -> AfterDelete(-1) -> the next row, else the
//   previous one, else a new row (status 2) -> ChangeStatus(status, ReasonDeleted).
// - undo: edits dropped, a new row cancelled, the stored row shown again -> AfterUndo(-1) ->
//   ChangeStatus(status, ReasonUndo). With no row left to show the frame stays in status 0 and
//   shows nothing.
// - Moves (navigator first/previous/next/last, grid row clicks, MovePrevious/MoveNext,
//   search): the current record is settled first (ConfirmPending), then the row is shown and
//   ChangeStatus(0, reason) raised. An unchanged new row is dropped without a question.
// - Key box: while a new row is entered, a value committed in the key box that equals the key
//   of a stored row drops the new row and shows that row: ChangeStatus(0, ReasonKeyFound).
//   Only a box the key is typed into does so; a key combo box never drops the new row.
// - ConfirmPending(ask, includeNewRow, allowCancel): true at once when nothing is pending
//   (RecordChanged, and whatever the IsRecordChanged handlers add). With includeNewRow false a
//   new row is dropped (undo) without a question. Otherwise, with ask, "Salvare le modifiche
//   <subject>?" yes/no (and cancel when allowCancel): yes confirms and answers whether that
//   succeeded, no undoes and answers true, cancel answers false. Without ask it confirms.
//
// Children (AddChild): the header registers its satellites. A child tells its parent whenever
// its state changes, so the parent's navigator ("Conferma", undo) follows changes made only in
// a satellite. The parent does not settle its children in ConfirmPending: the window's
// IsRecordChanged and BeforeUpdate handlers decide about them.
//
// Events are Qt signals whose out-parameters are references: connect them directly.
// Operations called by the window raise ado::RuntimeError on misuse (no row set, unknown
// column); operations a user starts (buttons, grid clicks, keys) show their errors through
// the dialog service instead.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace ado {
class Connection;
class Recordset;
class RuntimeError;
} // namespace ado

namespace host {

class Bindable;
class Cinterface;
class Grid;
class GridNavigator;
class MainNavigator;

// A unit of work the window may give a frame in immediate mode: the frame's save (its row
// written, then AfterUpdate) and its delete (BeforeDelete, then the row deleted) run inside it
// and are kept only when it commits. When it does not, the frame stays as it was before the
// operation: same status, the user's edits still in the controls and pending in the row.
class WriteUnit
{
public:
    enum class Kind { Update, Delete };
    virtual ~WriteUnit() = default;
    // Opens the unit before anything is written; false: the operation does not run (the unit
    // has told the user why).
    virtual bool begin(Kind kind) = 0;
    // After the operation's steps: keeps everything or, when a step failed or the commit
    // does, nothing (the unit tells the user). Returns whether everything was kept.
    virtual bool commit(Kind kind) = 0;
    // The frame's own write failed (error given) or BeforeDelete cancelled (none): nothing is
    // kept; the unit tells the user of an error.
    virtual void abort(Kind kind, const ado::RuntimeError *error) = 0;
};

class DataFrame : public QObject
{
    Q_OBJECT

public:
    enum FrameStatus : long { StatusBrowse = 0, StatusNew = 2 };

    // Values of fenm_reason in ChangeStatus.
    enum ChangeReason : long {
        ReasonMoved = 1,     // another stored row shown by the navigator, the grid or a Move
        ReasonSearched = 2,  // a row picked from the search list
        ReasonKeyFound = 3,  // a stored key committed in the key box of a new row
        ReasonAddNew = 4,    // a new row started ("Nuovo", SetStatus(2))
        ReasonUndo = 5,      // edits dropped or a new row cancelled
        ReasonDeleted = 6,   // the row shown after a delete (or a new row when none is left)
        ReasonSaved = 7,     // back to status 0 after a successful save of the record shown
        ReasonLoaded = 8,    // the row set was re-opened or re-attached (SqlText, Recordset)
        ReasonStatusSet = 9, // SetStatus(0) showed the stored row
    };

    // Values of fenm_operationresult in the After events.
    enum OperationResult : long { OperationSucceeded = -1, OperationFailed = 0 };

    explicit DataFrame(QObject *parent = nullptr);
    ~DataFrame() override;

    // ----- set-up -----
    // The module interface is kept for the window and never replaced. The row set must be
    // open; the frame shows its current row. `navigator` is a MainNavigator, a GridNavigator
    // or null; `grid` may be null. An empty key column means no key box and no search.
    void Initialize(Cinterface *moduleInterface, ado::Connection *connection,
                    ado::Recordset *recordset, const QString &selectText, const QString &keyColumn,
                    QWidget *navigator, host::Grid *grid);
    // Binds a control to the column named by its dataField (raises 3265 for a column the row
    // set lacks); a control with no dataField is accepted and left to the window (the frame
    // neither shows nor reads a value in it). The second argument is not used.
    void AddControl(Bindable *control, QObject *unused = nullptr);
    QWidget *FirstControl() const { return m_firstControl; }
    void setFirstControl(QWidget *control) { m_firstControl = control; }
    // Releases the bindings, the row set, the grid and the navigator. The row set may already
    // be gone: the frame does not touch it.
    void Terminate();

    Cinterface *moduleInterface() const { return m_moduleInterface; }
    ado::Connection *connection() const { return m_connection; }
    QString selectText() const { return m_selectText; }
    QString keyColumn() const { return m_keyColumn; }
    QWidget *navigator() const { return m_navigator; }

    // ----- properties -----
    long Status() const { return m_status; }
    // 2 starts a new row (BeforeAddNew/AfterAddNew/ChangeStatus, pending edits dropped
    // without a question); 0 drops a new row or edits and shows the stored row
    // (ChangeStatus(0, ReasonStatusSet)). Other values raise 3001.
    void SetStatus(long status);
    bool RecordChanged() const { return m_recordChanged; }
    void setRecordChanged(bool changed);
    bool Modified() const { return m_modified; }
    void setModified(bool modified);
    // Text the row set was (re)opened on by the window. Setting it takes up the row set as it
    // now is: edits are dropped, the current (first) row shown, Modified recomputed from the
    // row set's pending rows, ChangeStatus(0, ReasonLoaded). "" keeps the text's meaning of
    // "reload from the row set as it is".
    QString SqlText() const { return m_sqlText; }
    void setSqlText(const QString &text);
    QString SourceSql() const { return m_sourceSql; }
    void setSourceSql(const QString &text) { m_sourceSql = text; }
    // Subjects of the frame's messages: the first names what the delete question is about,
    // the second what the save question is about ("della causale").
    void setMessageSubject(const QString &deleteSubject, const QString &saveSubject);

    // A column of the row set that no control shows (a description) listed by the search
    // after the key column; the bound columns follow.
    void addSearchColumn(const QString &column, const QString &caption);

    void setOptionA(bool on)
    {
        m_optionA = on;
        updateNavigator();
    }
    bool OptionB() const { return m_optionB; }
    void setOptionB(bool on) { m_optionB = on; }
    bool OptionC() const { return m_optionC; }
    void setOptionC(bool on) { m_optionC = on; }
    bool OptionD() const { return m_optionD; }
    void setOptionD(bool on);
    void setOptionE(long value) { m_optionE = value; }
    bool isImmediate() const { return m_optionE != 0; }
    // The unit of work of the frame's save and delete (immediate mode; null: none). Not owned.
    void setWriteUnit(WriteUnit *unit) { m_writeUnit = unit; }

    // Detached (null) and re-attached by the window around UpdateBatch. Attaching takes up the
    // row set as setSqlText does, without raising ChangeStatus.
    ado::Recordset *Recordset() const { return m_recordset; }
    void setRecordset(ado::Recordset *recordset);
    host::Grid *Grid() const;
    void setGrid(host::Grid *grid);

    // ----- operations -----
    // Takes the controls' edits into the current row and shows the row again (values the
    // window wrote included). findStoredKey: while a new row is entered, a key equal to a stored
    // row's shows that row instead (ReasonKeyFound). refreshGrid: the grid shows the row.
    void RefreshRow(bool findStoredKey = true, bool refreshGrid = true);
    // Shows the current row again (controls the user changed keep their text) and the grid.
    void Refresh();
    // Drops a new row and the edits of the current one and empties the controls, before the
    // window replaces the row set's filter or text. No event.
    void ResetControls();
    // Row-set moves and edits between the two calls are ignored; EndUpdate comes back to the
    // row the frame showed when the row set was left at BOF/EOF, and shows the current row.
    void BeginUpdate();
    void EndUpdate();
    void WriteBatch();
    // Called after "Nuovo" of a grid navigator: showValues shows in the controls what the
    // window wrote into the new row; showInGrid makes the grid select the new row.
    void PrepareNewRow(bool showValues = true, bool showInGrid = true);
    // Moves to the previous / next row. settle: the current record is settled first (with
    // the question of OptionB); raiseStatus: ChangeStatus is raised for the row reached.
    bool MovePrevious(bool settle = true, bool raiseStatus = true);
    bool MoveNext(bool settle = true, bool raiseStatus = true);
    bool moveFirst();
    bool moveLast();
    // Shows the row at a bookmark (grid clicks): settles first.
    bool moveToBookmark(const QVariant &bookmark);
    bool search();

    bool ConfirmPending(bool ask, bool includeNewRow, bool allowCancel);
    bool addNew();
    bool confirm();
    bool deleteRecord();
    void undo();

    void AddChild(DataFrame *child);
    std::vector<DataFrame *> children() const;

    // True when something would be lost by leaving the record: RecordChanged or what the
    // IsRecordChanged handlers report.
    bool isPending();
    // A row is shown (the row set is on a readable row).
    bool hasCurrentRow() const;

    // ----- rights -----
    // What the host lets the user do, read from the module interface's CanInsert, CanUpdate,
    // CanDelete and CanQbe each time it matters (a frame without a module interface allows
    // everything). A record may be changed when updates are allowed, or when inserts are and
    // the top frame is entering a new record; the frames below the top one follow it. Where
    // nothing may be changed the bound controls are locked, "Nuovo", "Conferma" and "Elimina"
    // of the navigators are off, and the operations refuse with a message.
    struct Rights
    {
        bool insert = true;
        bool update = true;
        bool remove = true;
        bool query = true;
    };
    Rights rights() const;
    bool mayEdit() const;
    // The row set's EditMode, adEditNone when it has no current row (where EditMode raises).
    long editMode() const;

signals:
    void AfterAddNew(long fenm_operationresult);
    void AfterDelete(long fenm_operationresult);
    void AfterUndo(long fenm_operationresult);
    void AfterUpdate(long fenm_operationresult);
    void BeforeAddNew(bool &fbol_Cancel);
    void BeforeDelete(bool &fbol_Cancel);
    void BeforeUpdate(bool &fbol_Cancel);
    void ChangeStatus(long fenm_status, long fenm_reason);
    void IsRecordChanged(bool &fbol_isRecordChanged);
    void UpdateBatchAll();
    void ValidateRecord(QObject *&fobj_Control, QString &fstr_PersonalizedMessage);
    // Not part of the window's contract: the frame's state (status, changes, row) changed.
    void stateChanged();

protected:
    // Stops at a connection to an answering event not made by connectHandler.
    void connectNotify(const QMetaMethod &signal) override;

private:
    struct Binding;
    struct Wiring;

    // data_frame.cpp
    void requireRecordset(const char *operation) const;
    void attachRecordset(ado::Recordset *recordset);
    void detachRecordset();
    void onRecordsetEvent(int event, const QVariant &row);
    void onControlEdited(std::size_t index);
    void showCurrentRow(bool keepEdits);
    void clearControls();
    bool takeControlsIntoRow();
    void dropDirtyFlags();
    void takeUpRecordset();
    void setStatusValue(long status);
    void notifyState();
    QVariant currentBookmark() const;
    bool goToBookmark(const QVariant &bookmark);

    // data_frame_edit.cpp
    bool startNewRow(long reason, bool keepEdits);
    void dropNewRow();
    void dropRowEdits();
    // The record's unsaved input: the new row when one is being entered, else the edits of
    // the row shown.
    void dropPendingInput();
    bool checkRequired();
    bool checkValidateRecord();
    bool writeRow();
    // The unit of the operation when the frame writes at once and has one.
    WriteUnit *unit() const { return isImmediate() ? m_writeUnit : nullptr; }
    void showMessage(const QString &text, int style);
    void neighbours(QVariant *previous, QVariant *next) const;
    void showAfterDelete(const QVariant &next, const QVariant &previous);
    Bindable *bindableFor(QObject *control) const;
    void focusControl(QWidget *widget);

    // data_frame_navigation.cpp
    enum class Target { First, Previous, Next, Last, Bookmark };
    bool settleBeforeLeaving();
    bool moveBy(Target target, const QVariant &bookmark, long reason, bool settle,
                bool raiseStatus);
    std::unique_ptr<ado::Recordset> cloneView() const;
    bool findKey(const QVariant &key, QVariant *bookmark) const;
    bool childrenChanged() const;
    void onKeyCommitted();
    void onGridRow(const QVariant &bookmark);
    bool onNavigatorButton(const QString &key);
    void commitFocusedEdit();
    void connectNavigator();
    void updateNavigator();
    void updateKeyBox();
    bool runUserAction(const QString &what, const std::function<void()> &action);

    // data_frame_rights.cpp
    const DataFrame *topFrame() const;
    bool mayAddNew() const;
    bool mayDelete() const;
    // False (and the user told why) when the operation is not allowed.
    bool allowed(bool permitted, const QString &refusal) const;
    // Pending edits that cannot be saved: the user drops them or stays (false).
    bool settleUnsavable(bool allowCancel);
    void applyLock();

    Cinterface *m_moduleInterface = nullptr;
    bool m_locked = false; // the bound controls are locked (nothing may be changed)
    ado::Connection *m_connection = nullptr;
    ado::Recordset *m_recordset = nullptr;
    int m_listenerId = -1;
    std::shared_ptr<DataFrame *> m_alive; // listeners and callbacks check it before use
    QString m_selectText;
    QString m_sqlText;
    QString m_sourceSql;
    std::vector<std::pair<QString, QString>> m_searchColumns; // column, caption
    QString m_keyColumn;
    QString m_subjectDelete;
    QString m_subjectSave;
    QPointer<QWidget> m_navigator;
    QPointer<QWidget> m_firstControl;
    std::unique_ptr<Wiring> m_wiring;
    std::vector<std::unique_ptr<Binding>> m_bindings;
    std::vector<QPointer<DataFrame>> m_children;
    QPointer<DataFrame> m_parentFrame;
    QVariant m_shownBookmark;  // the row the controls show (invalid when none)
    QVariant m_rowBeforeNew;   // the row shown when the new row was started
    QVariant m_newRowBookmark; // the new row of status 2
    long m_status = StatusBrowse;
    long m_optionE = -1;
    WriteUnit *m_writeUnit = nullptr;
    int m_updateDepth = 0;  // BeginUpdate nesting
    int m_ownOperation = 0; // the frame itself is moving or editing the row set
    bool m_initialized = false;
    bool m_recordChanged = false;
    bool m_modified = false;
    bool m_reportedPending = false; // what IsRecordChanged last answered
    bool m_displaying = false;
    bool m_rowSetReset = false; // the row set was reset while ignored (BeginUpdate)
    bool m_optionA = false;
    bool m_optionB = true;
    bool m_optionC = true;
    bool m_optionD = false;
};

} // namespace host
