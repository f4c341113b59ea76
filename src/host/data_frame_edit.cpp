// The data frame's editing operations: new row, confirm, delete, undo and the settling of a
// pending record.

#include "host/data_frame.h"
#include "host/data_frame_p.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/bindable.h"
#include "host/dialogs.h"
#include "host/grid.h"

#include <QWidget>

namespace host {

// ---------------------------------------------------------------- new row

// BeforeAddNew -> AddNew with the controls' defaults -> AfterAddNew -> ChangeStatus(2).
// keepEdits: what the user already typed (in a frame that showed no row) goes into the new row.
bool DataFrame::startNewRow(long reason, bool keepEdits)
{
    requireRecordset("AddNew");
    if (!allowed(mayAddNew(), QStringLiteral("non si possono aggiungere righe")))
        return false;
    frame::Busy busy(m_ownOperation);
    bool cancel = false;
    emit BeforeAddNew(cancel);
    if (cancel)
        return false;
    const QVariant before = currentBookmark();
    try {
        m_recordset->AddNew();
        for (auto &b : m_bindings) {
            const bool typed = keepEdits && b->dirty && b->widget;
            if (!typed)
                b->dirty = false;
            const QVariant value = typed ? b->control->boundValue()
                                         : (b->widget ? b->control->defaultValue() : QVariant());
            ado::Field field = m_recordset->Fields(b->column);
            if (!ado::isMissing(value))
                field.setValue(value);
            b->snapshot = field.Value();
        }
    } catch (const ado::RuntimeError &) {
        ado::ignoreErrors({[this] {
            if (editMode() == ado::adEditAdd)
                m_recordset->CancelUpdate();
        }});
        emit AfterAddNew(OperationFailed);
        throw;
    }
    m_rowBeforeNew = before;
    m_newRowBookmark = m_recordset->Bookmark();
    m_shownBookmark = m_newRowBookmark;
    m_recordChanged = keepEdits && m_recordChanged;
    m_reportedPending = false;
    setStatusValue(StatusNew);
    emit AfterAddNew(OperationSucceeded);
    showCurrentRow(true);
    notifyState();
    emit ChangeStatus(m_status, reason);
    return true;
}

bool DataFrame::addNew()
{
    requireRecordset("AddNew");
    if (!ConfirmPending(m_optionB, true, true))
        return false;
    bool droppedNewRow = false;
    if (m_status == StatusNew) {
        // An unchanged new row makes room for the next one.
        frame::Busy busy(m_ownOperation);
        dropNewRow();
        setStatusValue(StatusBrowse);
        droppedNewRow = true;
    }
    if (!startNewRow(ReasonAddNew, false)) {
        showCurrentRow(false);
        notifyState();
        if (droppedNewRow)
            emit ChangeStatus(m_status, ReasonUndo);
        return false;
    }
    if (m_optionC && m_firstControl)
        focusControl(m_firstControl);
    return true;
}

void DataFrame::PrepareNewRow(bool showValues, bool showInGrid)
{
    if (m_status != StatusNew || !hasCurrentRow())
        return;
    if (showValues)
        showCurrentRow(true);
    if (showInGrid) {
        if (auto *grid = Grid())
            grid->Redraw();
    }
}

// Takes the new row of status 2 out of the row set (never written) and comes back to the row
// shown before it.
void DataFrame::dropNewRow()
{
    if (!m_recordset || m_recordset->State() != ado::adStateOpen)
        return;
    if (editMode() == ado::adEditAdd) {
        m_recordset->CancelUpdate();
    } else if (goToBookmark(m_newRowBookmark) && (m_recordset->Status() & ado::adRecNew)) {
        // The row set took the new row in (an implicit Update, a failed write): drop it.
        m_recordset->CancelBatch(ado::adAffectCurrent);
    }
    m_newRowBookmark = QVariant();
    if (!hasCurrentRow() && !goToBookmark(m_rowBeforeNew) && m_recordset->RecordCount() > 0)
        m_recordset->MoveFirst();
    m_rowBeforeNew = QVariant();
}

// Drops the edits of the stored row shown (and, in immediate mode, a write that failed).
void DataFrame::dropPendingInput()
{
    if (m_status == StatusNew)
        dropNewRow();
    else
        dropRowEdits();
}

void DataFrame::dropRowEdits()
{
    if (!m_recordset || m_recordset->State() != ado::adStateOpen)
        return;
    if (editMode() == ado::adEditInProgress)
        m_recordset->CancelUpdate();
    if (isImmediate() && hasCurrentRow()
        && (m_recordset->Status() & (ado::adRecModified | ado::adRecNew)))
        m_recordset->CancelBatch(ado::adAffectCurrent);
}

// ---------------------------------------------------------------- confirm

bool DataFrame::isPending()
{
    bool changed = m_recordChanged;
    emit IsRecordChanged(changed);
    m_reportedPending = changed && !m_recordChanged;
    return changed;
}

bool DataFrame::confirm()
{
    requireRecordset("Confirm");
    if (!isPending())
        return true;
    if (!allowed(mayEdit(), QStringLiteral("le modifiche non possono essere salvate")))
        return false;
    if (!hasCurrentRow())
        ado::raise(ado::adErrNoCurrentRecord,
                   QStringLiteral("Conferma: il frame non mostra alcuna riga da salvare."),
                   frame::source());
    if (!checkRequired())
        return false;
    try {
        takeControlsIntoRow();
    } catch (const ado::RuntimeError &e) {
        showMessage(frame::saveFailedMessage(m_subjectSave, e.description()), vbCritical);
        return false;
    }
    if (!checkValidateRecord())
        return false;
    bool cancel = false;
    emit BeforeUpdate(cancel);
    if (cancel)
        return false;
    WriteUnit *work = unit();
    if (work && !work->begin(WriteUnit::Kind::Update))
        return false;
    if (!writeRow())
        return false;
    const long statusBefore = m_status;
    const QVariant newRow = m_newRowBookmark;
    const QVariant rowBeforeNew = m_rowBeforeNew;
    setStatusValue(StatusBrowse);
    m_recordChanged = false;
    m_reportedPending = false;
    m_newRowBookmark = QVariant();
    m_rowBeforeNew = QVariant();
    if (!isImmediate())
        m_modified = true;
    showCurrentRow(false);
    notifyState();
    emit AfterUpdate(OperationSucceeded);
    if (work) {
        bool kept = false;
        {
            // The rollback gives the row set back its pending row: not a move of the user's.
            frame::Busy busy(m_ownOperation);
            kept = work->commit(WriteUnit::Kind::Update);
        }
        if (!kept) {
            setStatusValue(statusBefore);
            m_recordChanged = true;
            m_newRowBookmark = newRow;
            m_rowBeforeNew = rowBeforeNew;
            showCurrentRow(true);
            notifyState();
            return false;
        }
    }
    emit ChangeStatus(m_status, ReasonSaved);
    return true;
}

bool DataFrame::checkRequired()
{
    for (const auto &b : m_bindings) {
        if (!b->widget || !b->control->isRequired() || b->control->hasValue())
            continue;
        const QString caption = b->control->caption().isEmpty() ? b->column : b->control->caption();
        showMessage(frame::requiredMessage(caption), vbExclamation);
        b->control->focus();
        return false;
    }
    return true;
}

bool DataFrame::checkValidateRecord()
{
    QObject *control = nullptr;
    QString message;
    emit ValidateRecord(control, message);
    if (!control && message.isEmpty())
        return true;
    if (message.isEmpty()) {
        Bindable *bound = bindableFor(control);
        QString caption = bound ? bound->caption() : QString();
        if (caption.isEmpty())
            caption = bound ? bound->dataField() : control->objectName();
        message = frame::invalidMessage(caption);
    }
    showMessage(message, vbExclamation);
    if (auto *widget = qobject_cast<QWidget *>(control))
        focusControl(widget);
    return false;
}

// Update, and in immediate mode the write of the row. A failure: AfterUpdate(0), the error
// shown, the record left in edit.
bool DataFrame::writeRow()
{
    frame::Busy busy(m_ownOperation);
    const QVariant row = currentBookmark();
    try {
        if (editMode() != ado::adEditNone)
            m_recordset->Update();
        if (isImmediate())
            m_recordset->UpdateBatch(ado::adAffectCurrent);
        // A sorted row set gives a new or re-keyed row its place in the order.
        if (!m_recordset->Sort().isEmpty() && hasCurrentRow())
            m_recordset->setSort(m_recordset->Sort());
    } catch (const ado::RuntimeError &e) {
        if (WriteUnit *work = unit())
            work->abort(WriteUnit::Kind::Update, &e);
        if (!hasCurrentRow())
            goToBookmark(row);
        emit AfterUpdate(OperationFailed);
        if (!unit())
            showMessage(frame::saveFailedMessage(m_subjectSave, e.description()), vbCritical);
        notifyState();
        return false;
    }
    if (!hasCurrentRow())
        goToBookmark(row);
    return true;
}

// ---------------------------------------------------------------- delete

bool DataFrame::deleteRecord()
{
    requireRecordset("Delete");
    if (m_status == StatusNew || !hasCurrentRow())
        ado::raise(ado::adErrNoCurrentRecord,
                   QStringLiteral("Elimina: il frame non mostra una riga memorizzata."),
                   frame::source());
    if (!allowed(mayDelete(), QStringLiteral("non si possono eliminare righe")))
        return false;
    const int answer = DialogService::instance().message(frame::deleteQuestion(m_subjectDelete),
                                                         vbYesNo | vbQuestion, frame::title());
    if (answer != vbYes)
        return false;
    WriteUnit *work = unit();
    if (work && !work->begin(WriteUnit::Kind::Delete))
        return false;
    bool cancel = false;
    emit BeforeDelete(cancel);
    if (cancel) {
        if (work) {
            frame::Busy busy(m_ownOperation);
            work->abort(WriteUnit::Kind::Delete, nullptr);
        }
        return false;
    }
    QVariant previous;
    QVariant next;
    neighbours(&previous, &next);
    {
        frame::Busy busy(m_ownOperation);
        const QVariant shown = m_shownBookmark;
        const auto failed = [&](const QString *description) {
            goToBookmark(shown);
            showCurrentRow(true);
            emit AfterDelete(OperationFailed);
            if (description && !work)
                showMessage(frame::deleteFailedMessage(m_subjectDelete, *description), vbCritical);
            notifyState();
            return false;
        };
        try {
            if (editMode() == ado::adEditInProgress)
                m_recordset->CancelUpdate();
            m_recordset->Delete();
            if (isImmediate())
                m_recordset->UpdateBatch(ado::adAffectCurrent);
        } catch (const ado::RuntimeError &e) {
            const QString description = e.description();
            ado::ignoreErrors({[this] {
                if (isImmediate())
                    m_recordset->CancelBatch(ado::adAffectCurrent);
            }});
            if (work)
                work->abort(WriteUnit::Kind::Delete, &e);
            return failed(&description);
        }
        if (work && !work->commit(WriteUnit::Kind::Delete))
            return failed(nullptr);
    }
    m_recordChanged = false;
    m_reportedPending = false;
    dropDirtyFlags();
    if (!isImmediate())
        m_modified = true;
    emit AfterDelete(OperationSucceeded);
    showAfterDelete(next, previous);
    return true;
}

// Bookmarks of the rows before and after the current one, as the frame shows them.
void DataFrame::neighbours(QVariant *previous, QVariant *next) const
{
    const QVariant current = currentBookmark();
    auto view = cloneView();
    if (!frame::seek(*view, current))
        return;
    view->MoveNext();
    if (!view->isEOF())
        *next = view->Bookmark();
    view->setBookmark(current);
    view->MovePrevious();
    if (!view->isBOF())
        *previous = view->Bookmark();
}

// After a delete: the next row, else the previous one, else a new row.
void DataFrame::showAfterDelete(const QVariant &next, const QVariant &previous)
{
    bool onRow = false;
    {
        frame::Busy busy(m_ownOperation);
        onRow = goToBookmark(next) || goToBookmark(previous);
        if (!onRow && m_recordset->RecordCount() > 0) {
            m_recordset->MoveFirst();
            onRow = hasCurrentRow();
        }
    }
    setStatusValue(StatusBrowse);
    if (!onRow && startNewRow(ReasonDeleted, false))
        return;
    showCurrentRow(false);
    notifyState();
    emit ChangeStatus(m_status, ReasonDeleted);
}

// ---------------------------------------------------------------- undo and settling

void DataFrame::undo()
{
    requireRecordset("Undo");
    {
        frame::Busy busy(m_ownOperation);
        dropPendingInput();
        setStatusValue(StatusBrowse);
        m_recordChanged = false;
        m_reportedPending = false;
        if (!hasCurrentRow() && !goToBookmark(m_shownBookmark) && m_recordset->RecordCount() > 0)
            m_recordset->MoveFirst();
    }
    showCurrentRow(false);
    notifyState();
    emit AfterUndo(OperationSucceeded);
    emit ChangeStatus(m_status, ReasonUndo);
}

bool DataFrame::ConfirmPending(bool ask, bool includeNewRow, bool allowCancel)
{
    if (!m_initialized || !m_recordset || m_recordset->State() != ado::adStateOpen)
        return true;
    if (m_status == StatusNew && !includeNewRow) {
        undo();
        return true;
    }
    if (!isPending())
        return true;
    if (!mayEdit())
        return settleUnsavable(allowCancel);
    if (!ask)
        return confirm();
    const int style = (allowCancel ? vbYesNoCancel : vbYesNo) | vbQuestion;
    const int answer = DialogService::instance().message(frame::saveQuestion(m_subjectSave), style,
                                                         frame::title());
    if (answer == vbYes)
        return confirm();
    if (answer == vbCancel && allowCancel)
        return false;
    undo();
    return true;
}

// ---------------------------------------------------------------- helpers

void DataFrame::showMessage(const QString &text, int style)
{
    DialogService::instance().message(text, style, frame::title());
}

Bindable *DataFrame::bindableFor(QObject *control) const
{
    if (!control)
        return nullptr;
    for (const auto &b : m_bindings) {
        if (b->widget == control)
            return b->control;
    }
    return dynamic_cast<Bindable *>(control);
}

void DataFrame::focusControl(QWidget *widget)
{
    if (Bindable *bound = bindableFor(widget))
        bound->focus();
    else
        widget->setFocus(Qt::OtherFocusReason);
}

} // namespace host
