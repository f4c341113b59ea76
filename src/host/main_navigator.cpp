#include "host/main_navigator.h"

#include "ado/error.h"
#include "host/control_types.h"
#include "host/handler_connection.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QStyle>

namespace host {

const QStringList &MainNavigator::keys()
{
    static const QStringList all = {QStringLiteral("Primo"),      QStringLiteral("Precedente"),
                                    QStringLiteral("Successivo"), QStringLiteral("Ultimo"),
                                    QStringLiteral("Ricerca"),    QStringLiteral("Nuovo"),
                                    QStringLiteral("Conferma"),   QStringLiteral("Elimina"),
                                    QStringLiteral("Esporta"),    QStringLiteral("Annulla")};
    return all;
}

MainNavigator::MainNavigator(QWidget *parent) : QToolBar(parent)
{
    setWindowTitle(QStringLiteral("Navigatore"));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setMovable(false);
    const QStringList &k = keys();
    addKey(k[0], QStringLiteral("Primo"), QKeySequence(Qt::CTRL | Qt::Key_Home),
           QStyle::SP_MediaSkipBackward);
    addKey(k[1], QStringLiteral("Precedente"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
           QStyle::SP_MediaSeekBackward);
    addKey(k[2], QStringLiteral("Successivo"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
           QStyle::SP_MediaSeekForward);
    addKey(k[3], QStringLiteral("Ultimo"), QKeySequence(Qt::CTRL | Qt::Key_End),
           QStyle::SP_MediaSkipForward);
    addSeparator();
    addKey(k[4], QStringLiteral("Ricerca"), QKeySequence(Qt::CTRL | Qt::Key_F),
           QStyle::SP_FileDialogContentsView);
    addSeparator();
    addKey(k[5], QStringLiteral("Nuovo"), QKeySequence(Qt::CTRL | Qt::Key_N), QStyle::SP_FileIcon);
    addKey(k[6], QStringLiteral("Conferma"), QKeySequence(Qt::CTRL | Qt::Key_S),
           QStyle::SP_DialogSaveButton);
    addKey(k[7], QStringLiteral("Elimina"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
           QStyle::SP_TrashIcon);
    addKey(k[8], QStringLiteral("Esporta"), QKeySequence(Qt::CTRL | Qt::Key_E),
           QStyle::SP_DialogYesButton);
    addKey(k[9], QStringLiteral("Annulla modifiche"), QKeySequence(Qt::CTRL | Qt::Key_Z),
           QStyle::SP_DialogResetButton);
    refreshExport();
    // The keys are caught before any control of the window sees them.
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

MainNavigator::~MainNavigator() = default;

QString MainNavigator::keyForShortcut(const QKeyEvent *event) const
{
    const QKeySequence pressed(event->keyCombination());
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        if (it.value()->shortcut() == pressed)
            return it.key();
    }
    return QString();
}

bool MainNavigator::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    auto *target = qobject_cast<QWidget *>(watched);
    if (!target || target->window() != window())
        return false;
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    const QString key = keyForShortcut(keyEvent);
    if (key.isEmpty())
        return false;
    // Overriding the shortcut makes Qt deliver the key as a key press, caught here in turn;
    // so the focused control sees neither, and a disabled key stops here too.
    event->accept();
    if (type == QEvent::KeyPress)
        pressButton(key);
    return true;
}

void MainNavigator::addKey(const QString &key, const QString &toolTip, const QKeySequence &shortcut,
                           int standardIcon)
{
    auto *action = addAction(style()->standardIcon(QStyle::StandardPixmap(standardIcon)), key);
    action->setObjectName(key);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setToolTip(
        QStringLiteral("%1 (%2)").arg(toolTip, shortcut.toString(QKeySequence::NativeText)));
    connect(action, &QAction::triggered, this, [this, key] { pressButton(key); });
    m_actions.insert(key, action);
}

QAction *MainNavigator::action(const QString &key) const
{
    QAction *found = m_actions.value(key);
    if (!found)
        ado::raise(3265, QStringLiteral("Pulsante \"%1\" sconosciuto (%2)").arg(key, objectName()),
                   objectName());
    return found;
}

void MainNavigator::setCalledProgram(bool called)
{
    m_called = called;
    refreshExport();
}

void MainNavigator::refreshExport()
{
    m_actions.value(QStringLiteral("Esporta"))->setEnabled(m_called && m_exportEnabled);
}

bool MainNavigator::IsButtonEnabled(const QString &key) const
{
    return action(key)->isEnabled() && isEnabled();
}

void MainNavigator::setButtonEnabled(const QString &key, bool enabled)
{
    QAction *target = action(key);
    if (key == QLatin1String("Esporta")) {
        m_exportEnabled = enabled;
        refreshExport();
        return;
    }
    target->setEnabled(enabled);
}

void MainNavigator::pressButton(const QString &key)
{
    action(key); // an unknown key is an error, even while the input is refused
    if (!isEnabled() || !settleFocusedInput(this) || !IsButtonEnabled(key))
        return;
    const QPointer<MainNavigator> self(this);
    bool cancel = false;
    runControlAction(objectName() + QStringLiteral("_ButtonClick"),
                     [&] { emit ButtonClick(cancel, key); });
    if (cancel || !self)
        return;
    long result = 0;
    runControlAction(objectName() + QLatin1Char('_') + key,
                     [&] { emit actionRequested(key, result); });
    if (!self)
        return;
    runControlAction(objectName() + QStringLiteral("_AfterButtonClick"),
                     [&] { emit AfterButtonClick(result, key); });
}

void MainNavigator::connectNotify(const QMetaMethod &signal)
{
    guardHandlerConnection(this, signal);
}

} // namespace host
