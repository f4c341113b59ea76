#include "app/shell_window.h"

#include "app/start_error.h"
#include "editor/frmci_causali.h"
#include "host/main_navigator.h"
#include "host/navigator.h"
#include "host/small_controls.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

namespace app {

namespace {

constexpr int PreferredWidth = 1100;
constexpr int PreferredHeight = 720;

} // namespace

ShellWindow::ShellWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("causaliShell"));
    m_company = new QLabel(this);
    m_language = new QLabel(this);
    m_database = new QLabel(this);
    m_database->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(m_company);
    statusBar()->addWidget(m_language);
    statusBar()->addWidget(m_database, 1);
    m_readOnly = new QLabel(QStringLiteral("sola lettura"), this);
    m_readOnly->hide();
    statusBar()->addPermanentWidget(m_readOnly);
}

ShellWindow::~ShellWindow()
{
    giveBack();
}

void ShellWindow::giveBack()
{
    // The entry class owns the window, and the window its navigator: neither may die with us.
    if (!m_window)
        return;
    if (m_navigator && m_navigator->parentWidget() != m_window) {
        removeToolBar(m_navigator);
        m_navigator->setParent(m_window);
    }
    takeCentralWidget();
    m_window->setParent(nullptr);
}

causali::FRMCI_CAUSALI *ShellWindow::moduleWindow() const
{
    return m_window;
}

host::MainNavigator *ShellWindow::navigator() const
{
    return m_navigator;
}

void ShellWindow::embed(causali::FRMCI_CAUSALI *window)
{
    m_window = window;
    m_unloaded = false;
    m_navigator = window->mainNavigator();
    if (m_navigator) {
        m_navigator->setFloatable(false);
        addToolBar(Qt::TopToolBarArea, m_navigator);
        m_navigator->show();
    }
    setCentralWidget(window);
    fitNavigator();
    resize(preferredSize());
    restoreGeometryFromSettings();
    setWindowTitle(window->windowTitle());
    connect(window, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
    connect(window, &causali::FRMCI_CAUSALI::unloaded, this, &ShellWindow::onModuleUnloaded);
}

// Every command of the navigator stays on the tool bar at the shell's smallest width.
void ShellWindow::fitNavigator()
{
    if (!m_navigator)
        return;
    const QMargins margins = contentsMargins();
    const int needed = m_navigator->sizeHint().width() + margins.left() + margins.right();
    setMinimumWidth(std::max(minimumSizeHint().width(), needed));
}

namespace {

const QString GeometryKey = QStringLiteral("shell/geometry");

} // namespace

void ShellWindow::restoreGeometryFromSettings()
{
    const QByteArray geometry =
        host::openSettings(m_settingsFile)->value(GeometryKey).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
}

void ShellWindow::saveGeometryToSettings() const
{
    host::openSettings(m_settingsFile)->setValue(GeometryKey, saveGeometry());
}

QSize ShellWindow::preferredSize() const
{
    // Room for a dozen rows in the grids; never beyond a screen that could hold the window.
    const QSize hint = sizeHint();
    QSize size = hint.expandedTo(QSize(PreferredWidth, PreferredHeight));
    if (const QScreen *display = screen()) {
        const QSize available = display->availableGeometry().size();
        if (available.width() >= hint.width() && available.height() >= hint.height())
            size = size.boundedTo(available);
    }
    return size;
}

void ShellWindow::setStatus(const QString &company, const QString &language,
                            const QString &database)
{
    m_company->setText(company);
    m_language->setText(language);
    m_database->setText(QDir::toNativeSeparators(database));
}

void ShellWindow::setReadOnly(bool readOnly)
{
    m_readOnly->setVisible(readOnly);
}

QString ShellWindow::statusText() const
{
    QStringList parts{m_company->text(), m_language->text(), m_database->text()};
    if (!m_readOnly->isHidden())
        parts << m_readOnly->text();
    return parts.join(QStringLiteral(" | "));
}

void ShellWindow::onModuleUnloaded()
{
    m_unloaded = true;
    emit moduleClosed();
    if (!m_closing)
        close();
}

void ShellWindow::closeEvent(QCloseEvent *event)
{
    if (m_window)
        saveGeometryToSettings();
    if (m_unloaded || !m_window || !m_closeRequest) {
        event->accept();
        return;
    }
    m_closing = true;
    const bool closed = m_closeRequest();
    m_closing = false;
    if (closed)
        event->accept();
    else
        event->ignore();
}

void ShellWindow::selectTab(int index)
{
    host::TabStrip *tabs = m_window ? m_window->tabStrip() : nullptr;
    if (!tabs || index < 0 || index >= tabs->count())
        throw StartError(QStringLiteral("l'editor non ha la scheda %1").arg(index));
    if (!tabs->TabEnabled(index))
        throw StartError(QStringLiteral("la scheda %1 (%2) non è disponibile")
                             .arg(index)
                             .arg(tabs->tabText(index).remove(QLatin1Char('&'))));
    tabs->setTab(index);
}

void ShellWindow::saveImage(const QString &file)
{
    const QPixmap picture = grab();
    if (picture.isNull() || !picture.save(file, "PNG"))
        throw StartError(QStringLiteral("impossibile salvare l'immagine della finestra in %1")
                             .arg(QDir::toNativeSeparators(file)));
}

QString navigatorKeysText()
{
    host::MainNavigator navigator;
    QString text;
    for (const QString &key : host::MainNavigator::keys()) {
        const QAction *action = navigator.action(key);
        const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
        QString what = action->toolTip();
        const QString suffix = QStringLiteral(" (%1)").arg(shortcut);
        if (what.endsWith(suffix))
            what.chop(suffix.size());
        if (key == QLatin1String("Esporta"))
            what += QStringLiteral(" (solo con --code)");
        text += QStringLiteral("  %1 %2\n").arg(shortcut.leftJustified(18), what);
    }
    return text;
}

} // namespace app
