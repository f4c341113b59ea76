#include "tools/tools_menu.h"

#include "ado/error.h"
#include "editor/frmci_causali.h"
#include "host/clsci_causali.h"
#include "host/control_types.h"
#include "host/main_navigator.h"
#include "tools/duplicate.h"
#include "tools/exchange_menu.h"
#include "tools/print_codes.h"
#include "tools/where_used_dialog.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>

namespace tools {

const QString ToolsMenu::Caption = QStringLiteral("S&trumenti");

ToolsMenu::ToolsMenu(causali::FRMCI_CAUSALI &window) : QObject(&window), m_window(window)
{
    setObjectName(QStringLiteral("ToolsMenu"));
    m_menu = new QMenu(Caption, &window);
    m_menu->setObjectName(QStringLiteral("MNU_STRUMENTI"));
    m_button = new QToolButton(&window);
    m_button->setObjectName(QStringLiteral("CMD_STRUMENTI"));
    m_button->setText(Caption);
    m_button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_button->setPopupMode(QToolButton::InstantPopup);
    m_button->setMenu(m_menu);
    if (host::MainNavigator *navigator = window.mainNavigator()) {
        navigator->addSeparator();
        navigator->addWidget(m_button);
    }
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installEventFilter(this);
}

QAction *ToolsMenu::entryForKey(const QKeyEvent *event) const
{
    const QKeySequence pressed(event->keyCombination());
    for (QAction *action : m_menu->actions()) {
        if (!action->shortcut().isEmpty() && action->shortcut() == pressed)
            return action;
    }
    return nullptr;
}

bool ToolsMenu::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    auto *target = qobject_cast<QWidget *>(watched);
    if (!target || target->window() != m_window.window())
        return false;
    QAction *action = entryForKey(static_cast<QKeyEvent *>(event));
    if (!action)
        return false;
    // Overriding makes Qt deliver the key as a key press, taken here: the focused box sees
    // neither.
    event->accept();
    if (type == QEvent::KeyPress && action->isEnabled())
        action->trigger();
    return true;
}

ToolsMenu *ToolsMenu::of(const causali::FRMCI_CAUSALI &window)
{
    return window.findChild<ToolsMenu *>(QStringLiteral("ToolsMenu"), Qt::FindDirectChildrenOnly);
}

QAction *ToolsMenu::addEntry(const QString &caption, const QKeySequence &keys,
                             std::function<void()> run)
{
    QAction *action = m_menu->addAction(caption);
    QString name = caption;
    name.remove(QLatin1Char('&')).remove(QChar(0x2026));
    action->setObjectName(name);
    if (!keys.isEmpty()) {
        // Shown in the menu; the key itself is taken by eventFilter.
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
    }
    connect(action, &QAction::triggered, this,
            [this, caption, run = std::move(run)] { runEntry(caption, run); });
    return action;
}

void ToolsMenu::addSeparator()
{
    m_menu->addSeparator();
}

void ToolsMenu::runEntry(const QString &caption, const std::function<void()> &run)
{
    if (!m_window.isActivated() || m_window.isUnloaded())
        return;
    // As a navigator command: what is typed in the focused box is taken in first, and a value
    // the box refuses stops the command.
    if (!host::settleFocusedInput(&m_window))
        return;
    QString label = caption;
    label.remove(QLatin1Char('&'));
    try {
        run();
    } catch (const ado::RuntimeError &error) {
        m_window.GestioneErroreEvento(label, error);
    } catch (const std::exception &error) {
        m_window.GestioneErroreEvento(label, ado::RuntimeError(5, QString::fromUtf8(error.what())));
    }
}

ToolsMenu &installTools(causali::FRMCI_CAUSALI &window)
{
    auto *menu = new ToolsMenu(window);
    menu->addEntry(QStringLiteral("&Duplica…"), DuplicateKeys,
                   [&window] { duplicateShownCode(window); });
    menu->addEntry(QStringLiteral("Dove è &usata…"), WhereUsedKeys,
                   [&window] { showWhereUsed(window); });
    menu->addSeparator();
    menu->addEntry(QStringLiteral("&Stampa…"), PrintKeys, [&window] { previewPrint(window); });
    addExchangeEntries(*menu, window);
    return *menu;
}

void registerWindowFactory()
{
    host::CLSCI_CAUSALI::setWindowFactory([] {
        auto window = std::make_unique<causali::FRMCI_CAUSALI>();
        installTools(*window);
        return window;
    });
}

} // namespace tools
