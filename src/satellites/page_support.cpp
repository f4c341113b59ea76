#include "satellites/page_support.h"

#include "ado/constants.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/window_state.h"
#include "host/bindable.h"
#include "host/control_types.h"
#include "host/data_frame.h"
#include "host/edit_box.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/recordset_factory.h"
#include "satellites/editor_context.h"

#include <QHash>
#include <QLabel>
#include <QPointer>

namespace causali {

bool runHandler(EditorContext &context, const QString &handler,
                std::initializer_list<ado::Step> steps)
{
    return ado::runSteps(
        [&](const ado::RuntimeError &error) {
            return context.GestioneErroreEvento(handler, error);
        },
        steps);
}

void raiseMissing(const QString &what)
{
    ado::raise(91, QStringLiteral("%1 non disponibile").arg(what));
}

void writePendingRows(host::DataFrame &frame, host::Grid *grid)
{
    if (!frame.Modified())
        return;
    ado::Recordset *recordset = frame.Recordset();
    if (!recordset)
        raiseMissing(QStringLiteral("Il recordset del frame"));
    if (frame.Status() == host::DataFrame::StatusNew)
        recordset->CancelUpdate();
    if (recordset->RecordCount() < 0)
        return;
    // Detached while it is written, so that neither frame nor grid follow the row set's
    // moves and reloads in between.
    frame.setGrid(nullptr);
    if (grid)
        grid->setDataSource(nullptr);
    frame.setRecordset(nullptr);
    try {
        recordset->UpdateBatch(ado::adAffectAllChapters);
        ado::raiseOnConflicts(*recordset);
    } catch (...) {
        frame.setRecordset(recordset);
        if (grid)
            grid->setDataSource(recordset);
        frame.setGrid(grid);
        throw;
    }
    frame.setRecordset(recordset);
    if (grid)
        grid->setDataSource(recordset);
    frame.setGrid(grid);
    frame.setSqlText(QString());
}

std::unique_ptr<ado::Recordset> openRecordset(EditorContext &context, const QString &sql)
{
    std::unique_ptr<ado::Recordset> recordset = host::RecordsetFactory().newRecordset();
    recordset->Open(sql, &connectionOf(context.state()), ado::adOpenUnspecified,
                    ado::adLockUnspecified, ado::adCmdText);
    return recordset;
}

QLabel *labelFor(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QString valueText(const QVariant &value)
{
    return ado::NormalizzaStringa(value);
}

void closeRecordset(std::unique_ptr<ado::Recordset> &recordset)
{
    if (recordset && recordset->State() == ado::adStateOpen) {
        ado::Recordset *rs = recordset.get();
        ado::ignoreErrors({[rs] { rs->Close(); }});
    }
    recordset.reset();
}

void releaseFrame(std::unique_ptr<host::DataFrame> &frame, host::Grid *grid,
                  std::unique_ptr<ado::Recordset> &recordset)
{
    if (frame) {
        frame->Terminate();
        frame.reset();
    }
    if (grid)
        grid->setDataSource(nullptr);
    closeRecordset(recordset);
}

std::unique_ptr<host::DataFrame> makeChildFrame(EditorContext &context,
                                                const ChildFrameSetup &setup)
{
    auto frame = std::make_unique<host::DataFrame>();
    frame->setObjectName(setup.name);
    frame->Initialize(context.ActiveInterface(), &connectionOf(context.state()), setup.recordset,
                      setup.sql, setup.keyColumn, setup.navigator, setup.grid);
    for (host::Bindable *control : setup.controls)
        frame->AddControl(control);
    if (!setup.subject.isEmpty()) {
        frame->setFirstControl((*setup.controls.begin())->widget());
        frame->setOptionD(false);
        frame->setOptionA(false);
        frame->setOptionC(true);
        frame->setOptionB(true);
        frame->setMessageSubject(setup.subject, setup.subject);
    }
    frame->setOptionE(0);
    return frame;
}

void addToHeaderFrame(EditorContext &context, host::DataFrame *frame)
{
    host::DataFrame *header = context.headerFrame();
    if (!header)
        raiseMissing(QStringLiteral("Il frame della testata"));
    header->AddChild(frame);
}

ado::Recordset &currentRecordset(host::DataFrame *frame)
{
    if (!frame)
        raiseMissing(QStringLiteral("Il frame"));
    ado::Recordset *recordset = frame->Recordset();
    if (!recordset)
        raiseMissing(QStringLiteral("Il recordset del frame %1").arg(frame->objectName()));
    return *recordset;
}

FrameUpdateScope::FrameUpdateScope(host::DataFrame &frame) : m_frame(&frame)
{
    frame.BeginUpdate();
}

FrameUpdateScope::~FrameUpdateScope()
{
    if (m_frame)
        ado::ignoreErrors({[this] { m_frame->EndUpdate(); }});
}

void FrameUpdateScope::end()
{
    host::DataFrame *frame = m_frame;
    m_frame = nullptr;
    if (frame)
        frame->EndUpdate();
}

namespace {

// Freezes the painting of a whole window while it lives.
class PaintLock
{
public:
    void lock(QWidget *window)
    {
        if (!window || m_window)
            return;
        m_window = window;
        m_wasEnabled = window->updatesEnabled();
        window->setUpdatesEnabled(false);
    }
    void release()
    {
        if (m_window)
            m_window->setUpdatesEnabled(m_wasEnabled);
        m_window = nullptr;
    }
    ~PaintLock() { release(); }

private:
    QPointer<QWidget> m_window;
    bool m_wasEnabled = true;
};

QHash<QString, QVariant> rowValues(ado::Recordset &rs)
{
    QHash<QString, QVariant> values;
    for (int i = 0; i < rs.FieldCount(); ++i) {
        ado::Field field = rs.Fields(i);
        values.insert(field.Name(), field.Value());
    }
    return values;
}

void setRowValues(ado::Recordset &rs, const QHash<QString, QVariant> &values,
                  const QStringList &fixedColumns)
{
    for (int i = 0; i < rs.FieldCount(); ++i) {
        ado::Field field = rs.Fields(i);
        if (!fixedColumns.contains(field.Name(), Qt::CaseInsensitive))
            field.setValue(values.value(field.Name()));
    }
}

} // namespace

void exchangeWithNeighbour(EditorContext &context, const QString &handler, host::DataFrame *frame,
                           host::Grid *grid, bool down, const QStringList &fixedColumns)
{
    PaintLock paintLock;
    std::unique_ptr<FrameUpdateScope> update;
    ado::Recordset *rs = nullptr;
    QHash<QString, QVariant> start;
    QHash<QString, QVariant> neighbour;
    runHandler(context, handler,
               {
                   [&] { paintLock.lock(grid ? grid->window() : nullptr); },
                   [&] {
                       if (!frame)
                           raiseMissing(QStringLiteral("Il frame"));
                       update = std::make_unique<FrameUpdateScope>(*frame);
                       rs = &currentRecordset(frame);
                   },
                   [&] { start = rowValues(*rs); },
                   [&] {
                       down ? rs->MoveNext() : rs->MovePrevious();
                       neighbour = rowValues(*rs);
                   },
                   [&] { setRowValues(*rs, start, fixedColumns); },
                   [&] {
                       down ? rs->MovePrevious() : rs->MoveNext();
                       setRowValues(*rs, neighbour, fixedColumns);
                   },
                   [&] {
                       update->end();
                       frame->setModified(true);
                       frame->Refresh();
                       down ? frame->MoveNext(true, true) : frame->MovePrevious(true, true);
                   },
                   [&] {
                       paintLock.release();
                       if (grid && grid->isEnabled())
                           grid->setFocus();
                   },
               });
}

void updateMoveButtons(host::DataFrame *frame, QWidget *up, QWidget *down)
{
    ado::Recordset *rs = frame ? frame->Recordset() : nullptr;
    if (!rs || rs->State() != ado::adStateOpen || rs->isBOF() || rs->isEOF()) {
        // No row shown: nothing to move (a click would only fail on the missing row).
        up->setEnabled(false);
        down->setEnabled(false);
        return;
    }
    const long position = rs->AbsolutePosition();
    up->setEnabled(position > 1);
    down->setEnabled(position < rs->RecordCount());
}

bool isPlainEnter(int keyCode, int shift)
{
    const int modifiers = host::vbShiftMask | host::vbCtrlMask | host::vbAltMask;
    return keyCode == host::vbKeyReturn && (shift & modifiers) == 0;
}

void focusAndRedraw(host::Grid *grid)
{
    if (!grid)
        return;
    if (grid->isEnabled())
        grid->setFocus();
    grid->Redraw();
}

void focusAfterConfirm(host::DataFrame *frame, host::Grid *grid)
{
    if (frame && frame->RecordChanged()) {
        if (grid)
            grid->Redraw();
        return;
    }
    focusAndRedraw(grid);
}

void focusButtonOrGrid(host::GridNavigator *navigator, const QString &button, host::Grid *grid,
                       bool redraw)
{
    if (navigator && navigator->IsButtonEnabled(button)) {
        navigator->FocusButton(button);
        return;
    }
    if (redraw) {
        focusAndRedraw(grid);
    } else if (grid && grid->isEnabled()) {
        grid->setFocus();
    }
}

void refuseUnacceptedCode(host::EditBox *box, const QString &refusal, QObject *&control,
                          QString &message)
{
    if (control || !box || !box->isEnabled() || ado::NormalizzaStringa(box->Text()).isEmpty())
        return;
    box->Decode(); // the text may have been typed before what it depends on changed
    if (box->IsValid())
        return;
    control = box;
    message = refusal;
}

} // namespace causali
