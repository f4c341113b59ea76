// The data frame: set-up, bindings, display of the current row and the row-set properties.
// Editing operations are in data_frame_edit.cpp, moves and the navigator in
// data_frame_navigation.cpp.

#include "host/data_frame.h"
#include "host/data_frame_p.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/bindable.h"
#include "host/edit_box.h"
#include "host/grid.h"
#include "host/handler_connection.h"

#include <QWidget>

#include <algorithm>

namespace host {

namespace frame {

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (ado::isMissing(a) || ado::isMissing(b))
        return ado::isMissing(a) && ado::isMissing(b);
    return a == b;
}

bool seek(ado::Recordset &rs, const QVariant &bookmark)
{
    if (!bookmark.isValid() || ado::isNull(bookmark))
        return false;
    try {
        rs.setBookmark(bookmark);
    } catch (const ado::RuntimeError &) {
        return false;
    }
    return !rs.isBOF() && !rs.isEOF();
}

bool sameKey(const QVariant &stored, const QVariant &typed)
{
    if (ado::isMissing(stored) || ado::isMissing(typed))
        return false;
    switch (stored.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double: {
        bool ok = false;
        const double typedNumber = ado::NormalizzaStringa(typed).toDouble(&ok);
        return ok && typedNumber == stored.toDouble();
    }
    default:
        return ado::NormalizzaStringa(stored) == ado::NormalizzaStringa(typed);
    }
}

QString saveQuestion(const QString &subject)
{
    return QStringLiteral("Salvare le modifiche %1?").arg(subject);
}

QString deleteQuestion(const QString &subject)
{
    return QStringLiteral("Confermi l'eliminazione %1?").arg(subject);
}

QString requiredMessage(const QString &caption)
{
    return QStringLiteral("Il campo \"%1\" è obbligatorio.").arg(caption);
}

QString invalidMessage(const QString &caption)
{
    return QStringLiteral("Il valore del campo \"%1\" non è valido.").arg(caption);
}

QString saveFailedMessage(const QString &subject, const QString &description)
{
    return QStringLiteral("Impossibile salvare i dati %1.\r\n%2").arg(subject, description);
}

QString deleteFailedMessage(const QString &subject, const QString &description)
{
    return QStringLiteral("Impossibile eliminare i dati %1.\r\n%2").arg(subject, description);
}

} // namespace frame

namespace {
const QString DefaultSubject = QStringLiteral("della riga");
}

void DataFrame::Wiring::disconnectNavigator()
{
    for (const auto &c : navigatorConnections)
        QObject::disconnect(c);
    navigatorConnections.clear();
}

void DataFrame::Wiring::disconnectGrid()
{
    for (const auto &c : gridConnections)
        QObject::disconnect(c);
    gridConnections.clear();
}

DataFrame::DataFrame(QObject *parent)
    : QObject(parent)
    , m_alive(std::make_shared<DataFrame *>(this))
    , m_subjectDelete(DefaultSubject)
    , m_subjectSave(DefaultSubject)
    , m_wiring(std::make_unique<Wiring>())
{}

DataFrame::~DataFrame()
{
    Terminate();
}

// ---------------------------------------------------------------- set-up

void DataFrame::Initialize(Cinterface *moduleInterface, ado::Connection *connection,
                           ado::Recordset *recordset, const QString &selectText,
                           const QString &keyColumn, QWidget *navigator, host::Grid *grid)
{
    if (!recordset)
        ado::raise(ado::adErrInvalidArgument,
                   QStringLiteral("Initialize: il frame non ha ricevuto un row set."),
                   frame::source());
    if (recordset->State() != ado::adStateOpen)
        ado::raise(ado::adErrObjectClosed,
                   QStringLiteral("Initialize: il row set del frame non è aperto."),
                   frame::source());
    if (!keyColumn.isEmpty() && recordset->fieldIndex(keyColumn) < 0)
        ado::raise(ado::adErrItemNotFound,
                   QStringLiteral("Initialize: la colonna chiave \"%1\" non è nel row set.")
                       .arg(keyColumn),
                   frame::source());
    if (m_initialized)
        Terminate();
    if (!m_alive)
        m_alive = std::make_shared<DataFrame *>(this);
    m_moduleInterface = moduleInterface;
    m_connection = connection;
    m_selectText = selectText;
    m_keyColumn = keyColumn;
    m_navigator = navigator;
    m_status = StatusBrowse;
    m_recordChanged = false;
    m_initialized = true;
    attachRecordset(recordset);
    m_modified = false;
    connectNavigator();
    if (grid) {
        grid->setDataSource(recordset);
        setGrid(grid);
    }
    showCurrentRow(false);
    notifyState();
}

void DataFrame::AddControl(Bindable *control, QObject * /*unused*/)
{
    if (!m_initialized)
        ado::raise(ado::adErrIllegalOperation,
                   QStringLiteral("AddControl: il frame non è inizializzato."), frame::source());
    if (!control || !control->widget())
        ado::raise(ado::adErrInvalidArgument, QStringLiteral("AddControl: controllo mancante."),
                   frame::source());
    const QString column = control->dataField();
    // A control with no column (the description shown beside a code box) belongs to the
    // frame's set of controls but holds nothing of the row: the window fills it.
    if (column.isEmpty())
        return;
    if (m_recordset && m_recordset->State() == ado::adStateOpen
        && m_recordset->fieldIndex(column) < 0)
        ado::raise(
            ado::adErrItemNotFound,
            QStringLiteral("AddControl: il campo \"%1\" non è nel row set del frame.").arg(column),
            frame::source());
    for (const auto &b : m_bindings) {
        if (b->control == control)
            ado::raise(ado::adErrInvalidArgument,
                       QStringLiteral("AddControl: il controllo del campo \"%1\" è già associato.")
                           .arg(column),
                       frame::source());
    }

    auto binding = std::make_unique<Binding>();
    binding->control = control;
    binding->widget = control->widget();
    binding->column = column;
    const std::size_t index = m_bindings.size();
    std::weak_ptr<DataFrame *> alive = m_alive;
    control->setEditedCallback([alive, index] {
        if (auto self = alive.lock())
            (*self)->onControlEdited(index);
    });
    if (!m_keyColumn.isEmpty() && column.compare(m_keyColumn, Qt::CaseInsensitive) == 0) {
        // Only a typed key looks for its stored row: a key chosen in a list (the arrow keys
        // pass over every item) keeps the new row, which is checked when it is confirmed.
        if (auto *box = qobject_cast<EditBox *>(control->widget()))
            binding->keyCommit = connect(box, &EditBox::AfterItem, this,
                                         &DataFrame::onKeyCommitted);
    }
    m_bindings.push_back(std::move(binding));

    // The new control shows the current row at once.
    Binding &b = *m_bindings.back();
    const QVariant value = hasCurrentRow() ? m_recordset->Fields(column).Value() : ado::Null();
    m_displaying = true;
    b.control->setBoundValue(value);
    m_displaying = false;
    b.snapshot = value;
    if (m_locked)
        b.control->setLocked(true);
    updateKeyBox();
}

void DataFrame::Terminate()
{
    m_alive.reset();
    for (auto &b : m_bindings) {
        QObject::disconnect(b->keyCommit);
        if (b->widget)
            b->control->setEditedCallback({});
    }
    m_bindings.clear();
    m_wiring->disconnectNavigator();
    m_wiring->disconnectGrid();
    m_wiring->grid.clear();
    m_wiring->mainNavigator.clear();
    m_wiring->gridNavigator.clear();
    // The row set may already be destroyed: its listener finds the frame gone and does nothing.
    m_recordset = nullptr;
    m_listenerId = -1;
    for (const auto &child : m_children) {
        if (child)
            child->m_parentFrame = nullptr;
    }
    m_children.clear();
    if (m_parentFrame) {
        auto &siblings = m_parentFrame->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), QPointer<DataFrame>(this)),
                       siblings.end());
        m_parentFrame = nullptr;
    }
    m_navigator.clear();
    m_firstControl.clear();
    m_initialized = false;
}

void DataFrame::requireRecordset(const char *operation) const
{
    if (!m_initialized)
        ado::raise(
            ado::adErrIllegalOperation,
            QStringLiteral("%1: il frame non è inizializzato.").arg(QLatin1String(operation)),
            frame::source());
    if (!m_recordset || m_recordset->State() != ado::adStateOpen)
        ado::raise(
            ado::adErrObjectClosed,
            QStringLiteral("%1: il frame non ha un row set aperto.").arg(QLatin1String(operation)),
            frame::source());
}

// ---------------------------------------------------------------- the row set

void DataFrame::attachRecordset(ado::Recordset *recordset)
{
    m_recordset = recordset;
    if (!recordset)
        return;
    std::weak_ptr<DataFrame *> alive = m_alive;
    m_listenerId = recordset->addListener(
        [alive, recordset](ado::RecordsetEvent event, const QVariant &row) {
            auto self = alive.lock();
            if (self && (*self)->m_recordset == recordset)
                (*self)->onRecordsetEvent(int(event), row);
        });
}

void DataFrame::detachRecordset()
{
    if (m_recordset && m_listenerId >= 0)
        m_recordset->removeListener(m_listenerId);
    m_listenerId = -1;
    m_recordset = nullptr;
}

void DataFrame::setRecordset(ado::Recordset *recordset)
{
    if (recordset == m_recordset)
        return;
    detachRecordset();
    if (!recordset) {
        notifyState();
        return;
    }
    attachRecordset(recordset);
    if (m_initialized)
        takeUpRecordset();
}

host::Grid *DataFrame::Grid() const
{
    return m_wiring->grid;
}

// Someone else moved or changed the row set (the window, outside BeginUpdate/EndUpdate).
void DataFrame::onRecordsetEvent(int event, const QVariant &row)
{
    if (m_ownOperation > 0)
        return;
    const auto kind = ado::RecordsetEvent(event);
    if (m_updateDepth > 0) {
        if (kind == ado::RecordsetEvent::Reset)
            m_rowSetReset = true;
        return;
    }
    switch (kind) {
    case ado::RecordsetEvent::Reset:
    case ado::RecordsetEvent::Moved:
        if (kind == ado::RecordsetEvent::Moved && frame::sameValue(row, m_shownBookmark))
            break;
        // Another row (or another row set): what the controls held belongs to no row now.
        if (m_status == StatusNew && !(editMode() == ado::adEditAdd))
            setStatusValue(StatusBrowse);
        m_recordChanged = false;
        // A row set given back its pending rows (a rolled-back save) has them to write again.
        if (kind == ado::RecordsetEvent::Reset && !isImmediate())
            m_modified = m_recordset->hasPendingChanges();
        showCurrentRow(false);
        notifyState();
        break;
    case ado::RecordsetEvent::RowChanged:
        // The window wrote into the row shown: the controls of the columns it wrote show it.
        if (frame::sameValue(row, m_shownBookmark) && hasCurrentRow())
            showCurrentRow(true);
        break;
    case ado::RecordsetEvent::RowAdded:
    case ado::RecordsetEvent::RowRemoved:
        updateNavigator();
        break;
    }
}

long DataFrame::editMode() const
{
    return hasCurrentRow() ? m_recordset->EditMode() : long(ado::adEditNone);
}

bool DataFrame::hasCurrentRow() const
{
    if (!m_recordset || m_recordset->State() != ado::adStateOpen)
        return false;
    if (m_recordset->isBOF() || m_recordset->isEOF())
        return false;
    try {
        return !(m_recordset->Status() & ado::adRecDeleted);
    } catch (const ado::RuntimeError &) {
        return false;
    }
}

QVariant DataFrame::currentBookmark() const
{
    if (!hasCurrentRow())
        return {};
    return m_recordset->Bookmark();
}

bool DataFrame::goToBookmark(const QVariant &bookmark)
{
    return m_recordset && frame::seek(*m_recordset, bookmark) && hasCurrentRow();
}

// The window re-opened, re-queried, filtered or re-attached the row set: show its current row.
void DataFrame::takeUpRecordset()
{
    frame::Busy busy(m_ownOperation);
    if (m_recordset && m_recordset->State() == ado::adStateOpen) {
        if (editMode() == ado::adEditAdd)
            m_recordset->CancelUpdate();
        if (!hasCurrentRow() && m_recordset->RecordCount() > 0)
            m_recordset->MoveFirst();
        m_modified = m_recordset->hasPendingChanges();
    }
    setStatusValue(StatusBrowse);
    m_recordChanged = false;
    m_rowSetReset = false;
    showCurrentRow(false);
    notifyState();
}

// ---------------------------------------------------------------- controls

void DataFrame::onControlEdited(std::size_t index)
{
    if (m_displaying || m_updateDepth > 0 || index >= m_bindings.size())
        return;
    if (m_locked) {
        // A locked control let a change through (a value chosen from code): it goes back to
        // the row's value, nothing is marked changed.
        Binding &b = *m_bindings[index];
        m_displaying = true;
        b.control->setBoundValue(b.snapshot);
        m_displaying = false;
        return;
    }
    m_bindings[index]->dirty = true;
    if (!m_recordChanged) {
        m_recordChanged = true;
        notifyState();
    }
    // An edit in a frame that shows no row starts one, keeping what the user typed.
    if (m_status == StatusBrowse && !hasCurrentRow() && m_recordset
        && m_recordset->State() == ado::adStateOpen) {
        runUserAction(QStringLiteral("AddNew"), [this] { startNewRow(ReasonAddNew, true); });
    }
}

// Shows the current row. keepEdits: a control the user changed keeps its value, unless the
// window wrote another value into its column since the control took it.
void DataFrame::showCurrentRow(bool keepEdits)
{
    const bool readable = hasCurrentRow();
    m_displaying = true;
    for (auto &b : m_bindings) {
        const QVariant value = readable ? m_recordset->Fields(b->column).Value() : ado::Null();
        if (keepEdits && b->dirty && frame::sameValue(value, b->snapshot))
            continue;
        b->snapshot = value;
        b->dirty = false;
        if (b->widget)
            b->control->setBoundValue(value);
    }
    m_displaying = false;
    m_shownBookmark = readable ? m_recordset->Bookmark() : QVariant();
}

void DataFrame::clearControls()
{
    m_displaying = true;
    for (auto &b : m_bindings) {
        b->snapshot = ado::Null();
        b->dirty = false;
        if (b->widget)
            b->control->setBoundValue(ado::Null());
    }
    m_displaying = false;
    m_shownBookmark = QVariant();
}

// Writes what the user changed into the current row; a column the window wrote meanwhile keeps
// the window's value (and the control shows it). Returns whether anything was written.
bool DataFrame::takeControlsIntoRow()
{
    if (!hasCurrentRow())
        return false;
    frame::Busy busy(m_ownOperation);
    bool written = false;
    for (auto &b : m_bindings) {
        if (!b->dirty)
            continue;
        ado::Field field = m_recordset->Fields(b->column);
        const QVariant inRow = field.Value();
        b->dirty = false;
        if (!frame::sameValue(inRow, b->snapshot)) {
            b->snapshot = inRow;
            m_displaying = true;
            if (b->widget)
                b->control->setBoundValue(inRow);
            m_displaying = false;
            continue;
        }
        const QVariant value = b->widget ? b->control->boundValue() : inRow;
        if (!frame::sameValue(value, inRow)) {
            field.setValue(ado::isEmpty(value) ? ado::Null() : value);
            written = true;
        }
        b->snapshot = field.Value();
    }
    return written;
}

void DataFrame::dropDirtyFlags()
{
    for (auto &b : m_bindings)
        b->dirty = false;
}

// ---------------------------------------------------------------- properties

void DataFrame::setStatusValue(long status)
{
    m_status = status;
    updateKeyBox();
}

void DataFrame::SetStatus(long status)
{
    if (status != StatusBrowse && status != StatusNew)
        ado::raise(ado::adErrInvalidArgument,
                   QStringLiteral("SetStatus: stato %1 non previsto (0 o 2).").arg(status),
                   frame::source());
    requireRecordset("SetStatus");
    {
        frame::Busy busy(m_ownOperation);
        dropPendingInput();
        m_recordChanged = false;
        setStatusValue(StatusBrowse);
        if (!hasCurrentRow() && m_recordset->RecordCount() > 0)
            m_recordset->MoveFirst();
    }
    if (status == StatusNew) {
        if (startNewRow(ReasonAddNew, false))
            return;
    }
    showCurrentRow(false);
    notifyState();
    emit ChangeStatus(m_status, ReasonStatusSet);
}

void DataFrame::setRecordChanged(bool changed)
{
    m_recordChanged = changed;
    notifyState();
}

void DataFrame::setModified(bool modified)
{
    m_modified = modified;
    notifyState();
}

void DataFrame::setSqlText(const QString &text)
{
    m_sqlText = text;
    if (!m_initialized || !m_recordset)
        return;
    takeUpRecordset();
    emit ChangeStatus(m_status, ReasonLoaded);
}

void DataFrame::addSearchColumn(const QString &column, const QString &caption)
{
    m_searchColumns.emplace_back(column, caption);
}

void DataFrame::setMessageSubject(const QString &deleteSubject, const QString &saveSubject)
{
    m_subjectDelete = deleteSubject.isEmpty() ? DefaultSubject : deleteSubject;
    m_subjectSave = saveSubject.isEmpty() ? DefaultSubject : saveSubject;
}

void DataFrame::setOptionD(bool on)
{
    m_optionD = on;
    updateKeyBox();
}

// ---------------------------------------------------------------- display operations

void DataFrame::Refresh()
{
    if (!m_initialized)
        return;
    if (m_status == StatusNew && !hasCurrentRow())
        setStatusValue(StatusBrowse);
    const bool sameRow = !m_rowSetReset && frame::sameValue(currentBookmark(), m_shownBookmark);
    m_rowSetReset = false;
    showCurrentRow(sameRow);
    if (auto *grid = Grid())
        grid->Redraw();
    // The window calls Refresh after changing what its IsRecordChanged handler reports.
    isPending();
    notifyState();
}

void DataFrame::RefreshRow(bool findStoredKey, bool refreshGrid)
{
    requireRecordset("RefreshRow");
    takeControlsIntoRow();
    showCurrentRow(true);
    if (findStoredKey && m_status == StatusNew && !m_keyColumn.isEmpty() && hasCurrentRow()) {
        QVariant stored;
        if (findKey(m_recordset->Fields(m_keyColumn).Value(), &stored)) {
            {
                frame::Busy busy(m_ownOperation);
                dropNewRow();
                goToBookmark(stored);
                setStatusValue(StatusBrowse);
                m_recordChanged = false;
            }
            showCurrentRow(false);
            notifyState();
            emit ChangeStatus(m_status, ReasonKeyFound);
            return;
        }
    }
    if (refreshGrid) {
        if (auto *grid = Grid())
            grid->Redraw();
    }
    notifyState();
}

void DataFrame::ResetControls()
{
    if (m_recordset && m_recordset->State() == ado::adStateOpen) {
        frame::Busy busy(m_ownOperation);
        dropPendingInput();
    }
    setStatusValue(StatusBrowse);
    m_recordChanged = false;
    clearControls();
    notifyState();
}

void DataFrame::BeginUpdate()
{
    if (m_updateDepth++ == 0)
        m_rowSetReset = false;
}

void DataFrame::EndUpdate()
{
    if (m_updateDepth == 0)
        ado::raise(ado::adErrIllegalOperation,
                   QStringLiteral("EndUpdate: nessun BeginUpdate aperto."), frame::source());
    if (--m_updateDepth > 0 || !m_recordset || m_recordset->State() != ado::adStateOpen)
        return;
    {
        frame::Busy busy(m_ownOperation);
        if (!hasCurrentRow() && m_recordset->RecordCount() > 0 && !goToBookmark(m_shownBookmark))
            m_recordset->MoveFirst();
    }
    const bool sameRow = !m_rowSetReset && frame::sameValue(currentBookmark(), m_shownBookmark);
    m_rowSetReset = false;
    if (!sameRow && m_status == StatusNew && !(editMode() == ado::adEditAdd)) {
        setStatusValue(StatusBrowse);
        m_recordChanged = false;
    }
    showCurrentRow(sameRow);
    notifyState();
}

void DataFrame::WriteBatch()
{
    emit UpdateBatchAll();
    if (m_recordset && m_recordset->State() == ado::adStateOpen && editMode() != ado::adEditAdd)
        m_modified = m_recordset->hasPendingChanges();
    notifyState();
}

// ---------------------------------------------------------------- children

void DataFrame::AddChild(DataFrame *child)
{
    if (!child || child == this)
        ado::raise(ado::adErrInvalidArgument,
                   QStringLiteral("AddChild: frame figlio mancante o uguale al padre."),
                   frame::source());
    if (child->m_parentFrame == this)
        return;
    m_children.emplace_back(child);
    child->m_parentFrame = this;
    connect(child, &DataFrame::stateChanged, this, &DataFrame::updateNavigator);
    child->applyLock();
    child->updateNavigator();
}

std::vector<DataFrame *> DataFrame::children() const
{
    std::vector<DataFrame *> list;
    for (const auto &c : m_children) {
        if (c)
            list.push_back(c);
    }
    return list;
}

void DataFrame::notifyState()
{
    applyLock();
    updateNavigator();
    emit stateChanged();
}

void DataFrame::connectNotify(const QMetaMethod &signal)
{
    guardHandlerConnection(this, signal);
}

} // namespace host
