#include "support/user_driver.h"

#include "host/check_box.h"
#include "host/check_list.h"
#include "host/combo_box.h"
#include "host/edit_box.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/main_navigator.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

namespace {

std::unique_ptr<QApplication> &applicationSlot()
{
    static std::unique_ptr<QApplication> app;
    return app;
}

} // namespace

QApplication &application()
{
    if (auto *existing = qobject_cast<QApplication *>(QCoreApplication::instance()))
        return *existing;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tests";
    static char *argv[] = {name, nullptr};
    applicationSlot() = std::make_unique<QApplication>(argc, argv);
    return *applicationSlot();
}

void releaseApplication()
{
    applicationSlot().reset();
}

UserDriver::UserDriver(QWidget *window) : m_window(window)
{
    application();
    activate();
}

void UserDriver::activate()
{
    m_window->show();
    m_window->activateWindow();
    if (!QTest::qWaitForWindowActive(m_window))
        ADD_FAILURE() << "the window under test did not become active";
    settle();
}

void UserDriver::settle()
{
    QCoreApplication::processEvents();
}

bool UserDriver::reachable(QWidget *widget, const char *what) const
{
    if (!widget) {
        ADD_FAILURE() << what << ": no widget";
        return false;
    }
    if (!widget->isVisible() || !widget->isEnabled()) {
        ADD_FAILURE() << what << ": \"" << widget->objectName().toStdString()
                      << "\" is hidden or disabled";
        return false;
    }
    return true;
}

// A click that gives the focus as a person's click does.
void UserDriver::clickInto(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    if (!widget->hasFocus())
        widget->setFocus(Qt::MouseFocusReason); // a window manager-less platform may not
    settle();
}

void UserDriver::typeInto(host::EditBox *box, const QString &text, bool leaveBox)
{
    if (!reachable(box, "typeInto"))
        return;
    QLineEdit *edit = box->lineEdit();
    clickInto(edit);
    if (!edit->text().isEmpty()) {
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Backspace);
    }
    QTest::keyClicks(edit, text);
    settle();
    if (leaveBox)
        leave();
}

void UserDriver::clearBox(host::EditBox *box)
{
    if (!reachable(box, "clearBox"))
        return;
    QLineEdit *edit = box->lineEdit();
    clickInto(edit);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    settle();
    leave();
}

void UserDriver::leave()
{
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
    settle();
}

void UserDriver::pressKey(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    if (!reachable(widget, "pressKey"))
        return;
    QTest::keyClick(widget, key, modifiers);
    settle();
}

void UserDriver::pressKeys(const QKeySequence &keys)
{
    QWidget *target = QApplication::focusWidget();
    if (!target || target->window() != m_window->window())
        target = m_window;
    QTest::keySequence(target, keys);
    settle();
}

void UserDriver::tabTo(QWidget *widget)
{
    if (!reachable(widget, "tabTo"))
        return;
    widget->setFocus(Qt::TabFocusReason);
    settle();
}

bool UserDriver::closeWindow()
{
    // The close event the title bar's button asks for; a refusal leaves the window shown.
    const bool closed = m_window->close();
    settle();
    return closed;
}

void UserDriver::pickItem(host::ComboBox *combo, int index)
{
    if (!reachable(combo, "pickItem"))
        return;
    if (index < 0 || index >= combo->count()) {
        ADD_FAILURE() << "pickItem: \"" << combo->objectName().toStdString() << "\" has no item "
                      << index;
        return;
    }
    clickInto(combo); // opens the list
    QAbstractItemView *list = combo->view();
    if (!list->isVisible()) {
        QTest::keyClick(combo, Qt::Key_F4);
        settle();
    }
    if (!list->isVisible()) {
        ADD_FAILURE() << "pickItem: the list of \"" << combo->objectName().toStdString()
                      << "\" did not open";
        return;
    }
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    settle();
}

void UserDriver::pickCode(host::ComboBox *combo, const QVariant &code)
{
    const int index = combo ? combo->findCode(code) : -1;
    if (index < 0) {
        ADD_FAILURE() << "pickCode: no item with code " << code.toString().toStdString();
        return;
    }
    pickItem(combo, index);
}

void UserDriver::toggle(host::CheckBox *box)
{
    if (!reachable(box, "toggle"))
        return;
    QCheckBox *check = box->checkBox();
    check->setFocus(Qt::TabFocusReason);
    settle();
    QTest::keyClick(check, Qt::Key_Space);
    settle();
}

void UserDriver::toggleItem(host::CheckList *list, int index)
{
    if (!reachable(list, "toggleItem"))
        return;
    QListWidgetItem *item = list->item(index);
    if (!item) {
        ADD_FAILURE() << "toggleItem: no item " << index;
        return;
    }
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    QTest::keyClick(list, Qt::Key_Space);
    settle();
}

void UserDriver::clickRow(host::Grid *grid, int row)
{
    if (!reachable(grid, "clickRow"))
        return;
    QAbstractItemModel *model = grid->model();
    int column = 0;
    while (column < model->columnCount() && grid->isColumnHidden(column))
        ++column;
    const QModelIndex index = model->index(row, column);
    if (!index.isValid()) {
        ADD_FAILURE() << "clickRow: the grid has no row " << row;
        return;
    }
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    settle();
}

bool UserDriver::press(host::MainNavigator *navigator, const QString &key)
{
    QAction *action = navigator ? navigator->action(key) : nullptr;
    if (!action) {
        ADD_FAILURE() << "press: the navigator has no key \"" << key.toStdString() << '"';
        return false;
    }
    if (!action->isEnabled()) {
        ADD_FAILURE() << "press: \"" << key.toStdString() << "\" is disabled";
        return false;
    }
    QWidget *button = navigator->widgetForAction(action);
    if (button && button->isVisible()) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        // A tool bar narrower than its buttons hides some of them: the key's shortcut is what
        // a person uses then.
        if (action->shortcut().isEmpty()) {
            ADD_FAILURE() << "press: \"" << key.toStdString() << "\" is not shown";
            return false;
        }
        QTest::keySequence(navigator->window(), action->shortcut());
    }
    settle();
    return true;
}

bool UserDriver::press(host::GridNavigator *navigator, const QString &name)
{
    QPushButton *button = navigator ? navigator->button(name) : nullptr;
    if (!button) {
        ADD_FAILURE() << "press: the grid navigator has no button \"" << name.toStdString() << '"';
        return false;
    }
    if (!reachable(button, "press"))
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
    return true;
}

} // namespace testsupport
