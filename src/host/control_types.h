#pragma once
// Types and helpers shared by the host's controls.
//
// Events of the controls are Qt signals. Arguments that the window may change (Cancel flags,
// key codes, the outputs of StartDecode and StartLookup) are passed by non-const reference, so
// every connection to such a signal must be direct (the default for objects of one thread).

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

class QKeyEvent;
class QLocale;
class QWidget;

namespace host {

class EditBox;

// One box that a decode fills, and the column of the decoded row it shows.
struct DecodeTarget
{
    EditBox *box = nullptr;
    QString column;
};
using DecodeTargets = std::vector<DecodeTarget>;

// Column table of a lookup: one row per column of the SELECT, in order; the first cell is the
// caption shown in the list (the second cell is kept empty, as the window builds it).
using ColumnTable = QList<QStringList>;

// Shift argument of KeyDown, as VB gives it.
enum ShiftMask : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// VB key codes of the keys the window tests.
enum VbKey : int {
    vbKeyBack = 8,
    vbKeyTab = 9,
    vbKeyReturn = 13,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKeyInsert = 45,
    vbKeyDelete = 46,
    vbKeyF1 = 112,
    vbKeyF3 = 114,
    vbKeyF4 = 115
};

// The VB key code of a key press (0 for keys VB has no code for) and its Shift argument.
int vbKeyCode(const QKeyEvent *event);
int vbShift(const QKeyEvent *event);

// Raises a control's KeyDown (raise(keyCode, shift)) for a key VB has a code for. A handler
// that sets the code to 0 swallows the key: the event is then accepted and true returned, and
// the control must not handle the key itself.
bool keyDownSwallowed(QObject *control, QKeyEvent *event,
                      const std::function<void(int &keyCode, int shift)> &raise);

// Width and positions given in twips (the unit of the window's design) as pixels.
constexpr int TwipsPerPixel = 15;
constexpr int twipsToPixels(int twips)
{
    return twips / TwipsPerPixel;
}

// True when two item codes are the same code: numbers compare as numbers ("2", 2 and 2.0 are
// one code), other values as right-trimmed texts. Null matches only Null.
bool sameCode(const QVariant &a, const QVariant &b);

// The window is Italian: numbers show with a decimal comma ("60,00") whatever the system's
// locale. Typed numbers accept either separator (NumberBox).
QLocale numberLocale();

// A value as a cell shows it without a display format: a fractional number with the decimal
// comma ("60,5"), anything else as its text.
QString plainText(const QVariant &value);

// Formats a number with a VB display format such as "##0.00" or "##0.00;-##0.00;;" (sections
// positive;negative;zero;null; an empty zero section uses the positive one). Digits after
// the decimal point give the decimals; a ',' before it groups thousands; the text follows
// numberLocale(). No format gives plainText. Text that is not a number is returned
// unchanged; Null gives the fourth section (empty when absent).
QString formatNumber(const QVariant &value, const QString &format);

// Runs an operation that a user action started inside a control (decode, lookup, commit).
// A run-time error does not escape into Qt's event loop: it is shown with the error dialog
// of the dialog service, which may ask to retry. Returns true when the operation completed.
bool runControlAction(const QString &source, const std::function<void()> &action);

// Before a command (a navigator's button or key, closing the window) runs, the control that
// has the keyboard focus in `window`'s top-level window settles what was typed in it, as
// leaving it would (Bindable::settleInput). False when it refused the value: the command
// must not run. True when the focus is elsewhere or in no bound control.
bool settleFocusedInput(const QWidget *window);

// Blocks (or lets through again) the user's clicks, wheel turns and keys, other than Tab and
// Shift+Tab, on `widget` and every widget inside it: a control that stays readable but takes
// no input.
void lockInput(QWidget *widget, bool locked);

} // namespace host
