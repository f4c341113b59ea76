// The data frame's moves, search and key box, and its wiring to the grid and the navigators.

#include "host/data_frame.h"
#include "host/data_frame_p.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/bindable.h"
#include "host/control_types.h"
#include "host/dialogs.h"
#include "host/edit_box.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/main_navigator.h"

#include <QApplication>
#include <QWidget>

namespace host {

namespace {

// Keys of the main navigator.
const QString KeyFirst = QStringLiteral("Primo");
const QString KeyPrevious = QStringLiteral("Precedente");
const QString KeyNext = QStringLiteral("Successivo");
const QString KeyLast = QStringLiteral("Ultimo");
const QString KeySearch = QStringLiteral("Ricerca");
const QString KeyNew = QStringLiteral("Nuovo");
const QString KeyConfirm = QStringLiteral("Conferma");
const QString KeyDelete = QStringLiteral("Elimina");
const QString KeyUndo = QStringLiteral("Annulla");

bool hasFilter(const QVariant &filter)
{
    if (ado::isMissing(filter))
        return false;
    if (filter.typeId() == QMetaType::QString)
        return !filter.toString().isEmpty();
    if (filter.typeId() == QMetaType::QVariantList)
        return true;
    return filter.toLongLong() != ado::adFilterNone;
}

} // namespace

// ---------------------------------------------------------------- moves

bool DataFrame::settleBeforeLeaving()
{
    return ConfirmPending(m_optionB, true, true);
}

bool DataFrame::moveBy(Target target, const QVariant &bookmark, long reason, bool settle,
                       bool raiseStatus)
{
    requireRecordset("Move");
    if (settle && !settleBeforeLeaving())
        return false;
    bool moved = false;
    {
        frame::Busy busy(m_ownOperation);
        if (m_status == StatusNew)
            dropNewRow();
        const QVariant before = currentBookmark();
        const bool rows = m_recordset->RecordCount() > 0;
        switch (target) {
        case Target::First:
            if (rows)
                m_recordset->MoveFirst();
            break;
        case Target::Last:
            if (rows)
                m_recordset->MoveLast();
            break;
        case Target::Next:
            if (!rows)
                break;
            if (!hasCurrentRow()) {
                m_recordset->MoveFirst();
            } else {
                m_recordset->MoveNext();
                if (m_recordset->isEOF())
                    m_recordset->MoveLast();
            }
            break;
        case Target::Previous:
            if (!rows)
                break;
            if (!hasCurrentRow()) {
                m_recordset->MoveLast();
            } else {
                m_recordset->MovePrevious();
                if (m_recordset->isBOF())
                    m_recordset->MoveFirst();
            }
            break;
        case Target::Bookmark:
            if (!goToBookmark(bookmark))
                goToBookmark(before);
            break;
        }
        moved = hasCurrentRow() && !frame::sameValue(currentBookmark(), before);
    }
    setStatusValue(StatusBrowse);
    m_recordChanged = false;
    m_reportedPending = false;
    showCurrentRow(false);
    notifyState();
    if (raiseStatus)
        emit ChangeStatus(m_status, reason);
    return moved;
}

bool DataFrame::MovePrevious(bool settle, bool raiseStatus)
{
    return moveBy(Target::Previous, {}, ReasonMoved, settle, raiseStatus);
}

bool DataFrame::MoveNext(bool settle, bool raiseStatus)
{
    return moveBy(Target::Next, {}, ReasonMoved, settle, raiseStatus);
}

bool DataFrame::moveFirst()
{
    return moveBy(Target::First, {}, ReasonMoved, true, true);
}

bool DataFrame::moveLast()
{
    return moveBy(Target::Last, {}, ReasonMoved, true, true);
}

bool DataFrame::moveToBookmark(const QVariant &bookmark)
{
    return moveBy(Target::Bookmark, bookmark, ReasonMoved, true, true);
}

// ---------------------------------------------------------------- search and key box

// A clone of the row set that shows the rows the frame shows (same Filter and Sort).
std::unique_ptr<ado::Recordset> DataFrame::cloneView() const
{
    auto view = m_recordset->Clone();
    const QVariant filter = m_recordset->Filter();
    if (hasFilter(filter))
        view->setFilter(filter);
    if (!m_recordset->Sort().isEmpty())
        view->setSort(m_recordset->Sort());
    if (view->RecordCount() > 0)
        view->MoveFirst();
    return view;
}

bool DataFrame::findKey(const QVariant &key, QVariant *bookmark) const
{
    if (m_keyColumn.isEmpty() || ado::NormalizzaStringa(key).isEmpty())
        return false;
    auto view = cloneView();
    const int column = view->fieldIndex(m_keyColumn);
    for (; !view->isBOF() && !view->isEOF(); view->MoveNext()) {
        const QVariant row = view->Bookmark();
        if (m_status == StatusNew && frame::sameValue(row, m_newRowBookmark))
            continue;
        if (frame::sameKey(view->Fields(column).Value(), key)) {
            *bookmark = row;
            return true;
        }
    }
    return false;
}

bool DataFrame::search()
{
    requireRecordset("Search");
    if (!allowed(rights().query, QStringLiteral("la ricerca non è consentita")))
        return false;
    if (m_keyColumn.isEmpty())
        ado::raise(ado::adErrIllegalOperation,
                   QStringLiteral("Ricerca: il frame non ha una colonna chiave."), frame::source());
    QStringList columns{m_keyColumn};
    std::vector<const Bindable *> shownBy{nullptr}; // the control that shows each column
    LookupRequest request;
    request.title = QStringLiteral("Ricerca");
    request.captions << m_keyColumn;
    for (const auto &[column, caption] : m_searchColumns) {
        columns << column;
        shownBy.push_back(nullptr);
        request.captions << caption;
    }
    for (const auto &b : m_bindings) {
        const QString caption = b->control->caption().isEmpty() ? b->column : b->control->caption();
        if (b->column.compare(m_keyColumn, Qt::CaseInsensitive) == 0) {
            request.captions[0] = caption;
        } else if (!columns.contains(b->column, Qt::CaseInsensitive)) {
            columns << b->column;
            shownBy.push_back(b->control);
            request.captions << caption;
        }
    }
    auto view = cloneView();
    for (; !view->isBOF() && !view->isEOF(); view->MoveNext()) {
        if (m_status == StatusNew && frame::sameValue(view->Bookmark(), m_newRowBookmark))
            continue;
        QVariantList row;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            const QVariant value = view->Fields(columns[i]).Value();
            row << (shownBy[size_t(i)] ? shownBy[size_t(i)]->displayValue(value) : value);
        }
        request.rows.push_back(row);
    }
    const QVariant picked = DialogService::instance().lookup(request);
    if (!picked.isValid())
        return false;
    QVariant row;
    if (!findKey(picked, &row))
        ado::raise(ado::adErrNoCurrentRecord,
                   QStringLiteral("Ricerca: nessuna riga con chiave \"%1\".")
                       .arg(ado::NormalizzaStringa(picked)),
                   frame::source());
    return moveBy(Target::Bookmark, row, ReasonSearched, true, true);
}

void DataFrame::onKeyCommitted()
{
    if (m_status != StatusNew || m_updateDepth > 0 || !m_recordset)
        return;
    runUserAction(QStringLiteral("RefreshRow"), [this] { RefreshRow(true, true); });
}

void DataFrame::updateKeyBox()
{
    if (!m_optionD || m_keyColumn.isEmpty())
        return;
    for (const auto &b : m_bindings) {
        if (b->widget && b->column.compare(m_keyColumn, Qt::CaseInsensitive) == 0)
            b->widget->setEnabled(m_status == StatusNew);
    }
}

// ---------------------------------------------------------------- grid and navigators

void DataFrame::setGrid(host::Grid *grid)
{
    m_wiring->disconnectGrid();
    m_wiring->grid = grid;
    if (!grid)
        return;
    m_wiring->gridConnections.push_back(
        connect(grid, &host::Grid::rowActivated, this, &DataFrame::onGridRow));
}

void DataFrame::onGridRow(const QVariant &bookmark)
{
    if (frame::sameValue(bookmark, m_shownBookmark) || !m_recordset)
        return;
    commitFocusedEdit();
    runUserAction(QStringLiteral("Grid"), [this, bookmark] { moveToBookmark(bookmark); });
}

void DataFrame::connectNavigator()
{
    m_wiring->disconnectNavigator();
    m_wiring->mainNavigator = qobject_cast<MainNavigator *>(m_navigator.data());
    m_wiring->gridNavigator = qobject_cast<GridNavigator *>(m_navigator.data());
    if (m_navigator && !m_wiring->mainNavigator && !m_wiring->gridNavigator)
        ado::raise(ado::adErrInvalidArgument,
                   QStringLiteral("Initialize: il navigatore \"%1\" non è né principale né di "
                                  "griglia.")
                       .arg(m_navigator->objectName()),
                   frame::source());
    if (auto *nav = m_wiring->mainNavigator.data()) {
        m_wiring->navigatorConnections.push_back(connectHandler(
            nav, &MainNavigator::actionRequested, this, [this](const QString &key, long &result) {
                if (onNavigatorButton(key))
                    result = OperationSucceeded;
            }));
    }
    if (auto *nav = m_wiring->gridNavigator.data()) {
        m_wiring->navigatorConnections.push_back(
            connect(nav, &GridNavigator::actionRequested, this,
                    [this](const QString &name) { onNavigatorButton(name); }));
    }
}

// Carries out a navigator command; true when it was done.
bool DataFrame::onNavigatorButton(const QString &key)
{
    commitFocusedEdit();
    bool done = false;
    runUserAction(key, [this, &key, &done] {
        if (key == KeyFirst)
            done = moveFirst();
        else if (key == KeyPrevious)
            done = MovePrevious(true, true);
        else if (key == KeyNext)
            done = MoveNext(true, true);
        else if (key == KeyLast)
            done = moveLast();
        else if (key == KeySearch)
            done = search();
        else if (key == KeyNew)
            done = addNew();
        else if (key == KeyConfirm)
            done = confirm() && m_status == StatusBrowse && !m_recordChanged;
        else if (key == KeyDelete)
            done = deleteRecord();
        else if (key == KeyUndo) {
            undo();
            done = true;
        }
    });
    return done;
}

// A text still being typed in a box counts: it is committed before a command runs.
void DataFrame::commitFocusedEdit()
{
    QWidget *focused = QApplication::focusWidget();
    if (!focused)
        return;
    for (const auto &b : m_bindings) {
        if (!b->widget || (b->widget != focused && !b->widget->isAncestorOf(focused)))
            continue;
        if (auto *box = qobject_cast<EditBox *>(b->widget.data()))
            box->commitEdit();
        return;
    }
}

bool DataFrame::childrenChanged() const
{
    for (const auto &child : m_children) {
        if (child && (child->Modified() || child->RecordChanged()))
            return true;
    }
    return false;
}

void DataFrame::updateNavigator()
{
    const bool open = m_initialized && m_recordset && m_recordset->State() == ado::adStateOpen;
    const bool onRow = open && hasCurrentRow();
    const bool isNew = m_status == StatusNew;
    long stored = open ? m_recordset->RecordCount() - (isNew ? 1 : 0) : 0;
    long position = onRow && !isNew ? m_recordset->AbsolutePosition() : 0;
    const bool pending = m_recordChanged || m_reportedPending || childrenChanged();

    const bool canConfirm = onRow && pending && mayEdit();
    const bool canUndo = open && (isNew || pending);
    const bool canDelete = onRow && !isNew && mayDelete();
    const bool canAddNew = open && mayAddNew();
    if (auto *nav = m_wiring->mainNavigator.data()) {
        const bool anywhere = stored > 0 && (isNew || !onRow);
        nav->setButtonEnabled(KeyFirst, stored > 0 && (anywhere || position > 1));
        nav->setButtonEnabled(KeyPrevious, stored > 0 && (anywhere || position > 1));
        nav->setButtonEnabled(KeyNext, stored > 0 && (anywhere || position < stored));
        nav->setButtonEnabled(KeyLast, stored > 0 && (anywhere || position < stored));
        nav->setButtonEnabled(KeySearch,
                              m_optionA && !m_keyColumn.isEmpty() && stored > 0 && rights().query);
        nav->setButtonEnabled(KeyNew, canAddNew);
        nav->setButtonEnabled(KeyConfirm, canConfirm);
        nav->setButtonEnabled(KeyDelete, canDelete);
        nav->setButtonEnabled(KeyUndo, canUndo);
    }
    if (auto *nav = m_wiring->gridNavigator.data()) {
        nav->setButtonEnabled(KeyNew, canAddNew);
        nav->setButtonEnabled(KeyConfirm, canConfirm);
        nav->setButtonEnabled(KeyDelete, canDelete);
    }
}

bool DataFrame::runUserAction(const QString &what, const std::function<void()> &action)
{
    return runControlAction(QStringLiteral("DataFrame.%1").arg(what), action);
}

} // namespace host
