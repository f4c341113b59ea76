#pragma once
// Pieces the four tab pages share: how their event handlers report errors, how a batch frame
// writes its pending rows into its working table, and small layout helpers.

#include "ado/error.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <memory>

class QGridLayout;
class QLabel;
class QWidget;

namespace ado {
class Recordset;
}
namespace host {
class Bindable;
class DataFrame;
class EditBox;
class Grid;
class GridNavigator;
} // namespace host

namespace causali {

class EditorContext;

// Runs an event handler's steps; an error is reported through the window's
// GestioneErroreEvento under the handler's name, whose answer decides (retry, next, leave).
bool runHandler(EditorContext &context, const QString &handler,
                std::initializer_list<ado::Step> steps);

// Error 91 naming what is missing, for routines called before their object exists.
[[noreturn]] void raiseMissing(const QString &what);

// The UpdateBatchAll of a batch satellite frame: when the frame holds unwritten rows, a new row
// still being entered is dropped, the row set is detached from frame and grid, its pending rows
// are written to the working table (UpdateBatch, affect all), and it is attached again; the
// frame's SqlText is then emptied ("reload from the row set as it is").
void writePendingRows(host::DataFrame &frame, host::Grid *grid);

// Opens a fresh row set from the host's factory on a SELECT over the window's connection
// (cursor and lock left to the row set, command text).
std::unique_ptr<ado::Recordset> openRecordset(EditorContext &context, const QString &sql);

// A label for a control, with its buddy set so that a '&' in the text focuses the control.
QLabel *labelFor(const QString &text, QWidget *buddy, QWidget *parent);

// Text of a numeric value for a row-set filter or an SQL text ("" for Null/Empty).
QString valueText(const QVariant &value);

// The widget with its object name set (controls are found by name by the window and scripts).
template<typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The frame of a satellite page, named `name`: over `recordset` (opened on `sql`, rows keyed by
// `keyColumn`), shown in `grid`, moved through with `navigator`, its fields bound to
// `controls`. Given a `subject` (the row's noun in the frame's messages, "del sezionale"), the
// first control takes the focus on a new row and rows are confirmed one at a time, as the
// journals and the search sequence edit them.
struct ChildFrameSetup
{
    QString name;
    ado::Recordset *recordset;
    QString sql;
    QString keyColumn;
    host::GridNavigator *navigator;
    host::Grid *grid;
    std::initializer_list<host::Bindable *> controls;
    QString subject;
};
std::unique_ptr<host::DataFrame> makeChildFrame(EditorContext &context,
                                                const ChildFrameSetup &setup);

// Makes a satellite frame a child of the header frame (raises when the header has none yet).
void addToHeaderFrame(EditorContext &context, host::DataFrame *frame);

// Closes a row set the page owns (errors of the close ignored: the window is going away) and
// drops it.
void closeRecordset(std::unique_ptr<ado::Recordset> &recordset);

// Releases a satellite frame with what it shows (window unload, or before configuring it
// again): the frame is terminated and dropped, its grid let go of the row set, the row set
// closed and dropped.
void releaseFrame(std::unique_ptr<host::DataFrame> &frame, host::Grid *grid,
                  std::unique_ptr<ado::Recordset> &recordset);

// The row set of a frame, raising a clear error when the frame or its row set is missing.
ado::Recordset &currentRecordset(host::DataFrame *frame);

// BeginUpdate on a frame for the scope: EndUpdate runs on every way out, also when an error
// leaves the routine half-way.
class FrameUpdateScope
{
public:
    explicit FrameUpdateScope(host::DataFrame &frame);
    ~FrameUpdateScope();
    // Ends the update now (the destructor then does nothing).
    void end();
    FrameUpdateScope(const FrameUpdateScope &) = delete;
    FrameUpdateScope &operator=(const FrameUpdateScope &) = delete;

private:
    host::DataFrame *m_frame;
};

// Moves the frame's current row one place down (or up) by exchanging the values of the two
// neighbouring rows, except the columns in `fixedColumns` (the rank or row number stays with
// the position). The window's painting is frozen meanwhile and always released; the frame is
// marked Modified, its selection follows the moved row and the grid takes the focus. An error
// is reported through GestioneErroreEvento under `handler`.
void exchangeWithNeighbour(EditorContext &context, const QString &handler, host::DataFrame *frame,
                           host::Grid *grid, bool down, const QStringList &fixedColumns);

// The move buttons of a frame in browse state: up enabled when the current row is not the
// first, down when it is not the last; both off when no row is shown.
void updateMoveButtons(host::DataFrame *frame, QWidget *up, QWidget *down);

// Enter (VB key code 13) without Shift, Ctrl or Alt: the only key the pages handle.
bool isPlainEnter(int keyCode, int shift);

// The grid takes the focus when it is enabled, and is redrawn.
void focusAndRedraw(host::Grid *grid);
// After a grid navigator's "Conferma": the grid takes the focus and is redrawn, unless the row
// was refused and stays in edit; the frame has then given the focus to the control to correct.
void focusAfterConfirm(host::DataFrame *frame, host::Grid *grid);
// The navigator's button takes the focus when it is enabled; otherwise the grid does (when
// enabled), redrawn when `redraw`.
void focusButtonOrGrid(host::GridNavigator *navigator, const QString &button, host::Grid *grid,
                       bool redraw);

// A ValidateRecord check: when the box holds a code that its decode does not accept (no such
// code, or not one the box offers), the row is refused on the box with `refusal`. An empty or
// disabled box, or a row already refused, is left alone.
void refuseUnacceptedCode(host::EditBox *box, const QString &refusal, QObject *&control,
                          QString &message);

} // namespace causali
