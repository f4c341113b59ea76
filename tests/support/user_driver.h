#pragma once
// Drives a window the way a person does: every action is made of real Qt events (mouse clicks,
// key presses, focus changes) delivered to the controls, so tests go through the same paths as
// a user: BeforeItem when an edit starts, the data frame's edited callback at each key,
// Validate and AfterItem when the focus leaves, the navigators' events when a button is
// pressed. Each action ends by letting pending events run.
//
// The window must be shown and active for focus to move; the driver shows and activates it.
// An action on a control that is hidden or disabled fails the current test (a person could
// not do it) and does nothing.

#include <QKeySequence>
#include <QString>
#include <QVariant>

#include <Qt>

class QApplication;
class QWidget;

namespace host {
class CheckBox;
class CheckList;
class ComboBox;
class EditBox;
class Grid;
class GridNavigator;
class MainNavigator;
} // namespace host

namespace testsupport {

// The application widget tests run in, created on first use (on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise). Call it before creating any widget.
QApplication &application();
// Destroys that application and every window left open. The test program's main calls it
// after the last test: left to the exit handlers, the application would be destroyed after
// Qt's own globals that it still uses.
void releaseApplication();

class UserDriver
{
public:
    explicit UserDriver(QWidget *window);

    // Shows and activates the window (done by the constructor; again after a dialog).
    void activate();

    // Clicks into the box, replaces its text with `text` by typing it, then leaves the box
    // (focus out: Validate, decode, AfterItem) unless `leave` is false.
    void typeInto(host::EditBox *box, const QString &text, bool leave = true);
    // Clicks into the box, empties it with the keyboard and leaves it.
    void clearBox(host::EditBox *box);
    // Takes the focus away from the widget that has it (what a click elsewhere does).
    void leave();
    void pressKey(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    // Presses keys on the keyboard: they go to whatever has the focus (the window when nothing
    // has it), through the window's shortcuts as for a person.
    void pressKeys(const QKeySequence &keys);
    // Moves the focus to the control with Tab, as a keyboard user does (no click, no list).
    void tabTo(QWidget *widget);
    // Closes the window with its title bar's button; true when it closed.
    bool closeWindow();

    // Opens the list of the combo with a click and chooses the item with the keyboard.
    void pickItem(host::ComboBox *combo, int index);
    void pickCode(host::ComboBox *combo, const QVariant &code);
    // Ticks or clears a check box with the space bar, as a user who tabbed to it.
    void toggle(host::CheckBox *box);
    // Clicks an item of a check list and ticks or clears it with the space bar.
    void toggleItem(host::CheckList *list, int index);
    // Clicks a row of the grid (its first visible column).
    void clickRow(host::Grid *grid, int row);

    // Clicks a button of the main navigator ("Primo", "Nuovo", ...); a disabled button
    // fails the test. Returns whether the button was enabled.
    bool press(host::MainNavigator *navigator, const QString &key);
    bool press(host::GridNavigator *navigator, const QString &name);

private:
    bool reachable(QWidget *widget, const char *what) const;
    void clickInto(QWidget *widget);
    static void settle();

    QWidget *m_window;
};

} // namespace testsupport
