#pragma once
// The host's main window: the editor window FRMCI_CAUSALI as its central widget, the window's
// main navigator INV_MAIN as its tool bar, and a status bar naming the company, the language
// and the database. Closing the shell asks the module to close (CloseForm), which may refuse;
// when the module's window unloads by itself ("Esporta", a refused start-up) the shell closes.
// The shell is never narrower than the navigator's commands, so none of them hides behind the
// tool bar's overflow arrow, and it remembers its size and position.

#include <QMainWindow>
#include <QPointer>

#include <functional>

class QLabel;

namespace causali {
class FRMCI_CAUSALI;
}
namespace host {
class MainNavigator;
}

namespace app {

class ShellWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit ShellWindow(QWidget *parent = nullptr);
    ~ShellWindow() override;

    // Shows `window` inside the shell and takes its main navigator as the tool bar. The window
    // stays its owner's (the entry class): a shell destroyed first gives it, and the navigator,
    // back.
    void embed(causali::FRMCI_CAUSALI *window);
    causali::FRMCI_CAUSALI *moduleWindow() const;
    host::MainNavigator *navigator() const;

    // What closing asks of the module; true when it closed. Without one the shell just closes.
    void setCloseRequest(std::function<bool()> request) { m_closeRequest = std::move(request); }
    bool moduleUnloaded() const { return m_unloaded; }

    // Where the shell keeps its size and position between runs ("" the user's settings):
    // restored when the editor is embedded, saved when the shell closes.
    void setSettingsFile(const QString &file) { m_settingsFile = file; }

    void setStatus(const QString &company, const QString &language, const QString &database);
    // Says "sola lettura" in the status bar while nothing can be changed.
    void setReadOnly(bool readOnly);
    QString statusText() const;

    // Selects tab `index` of the editor as a click on it does; a StartError when the editor has
    // no such tab or it is switched off.
    void selectTab(int index);
    // Renders the shell into a PNG file; a StartError when it cannot be written.
    void saveImage(const QString &file);

signals:
    // The module's window unloaded: the shell is closing.
    void moduleClosed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void onModuleUnloaded();
    void giveBack();
    QSize preferredSize() const;
    void fitNavigator();
    void restoreGeometryFromSettings();
    void saveGeometryToSettings() const;

    QPointer<causali::FRMCI_CAUSALI> m_window;
    QPointer<host::MainNavigator> m_navigator;
    std::function<bool()> m_closeRequest;
    QString m_settingsFile;
    QLabel *m_company = nullptr;
    QLabel *m_language = nullptr;
    QLabel *m_database = nullptr;
    QLabel *m_readOnly = nullptr;
    bool m_unloaded = false;
    bool m_closing = false;
};

// The main navigator's commands with their shortcuts, one a line ("  Ctrl+N  Nuovo"), read from
// the navigator itself. Needs a QApplication.
QString navigatorKeysText();

} // namespace app
