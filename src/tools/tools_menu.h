#pragma once
// The "Strumenti" menu of the editor window: a button at the end of the main navigator's tool
// bar opening a menu of commands that work on the whole code shown or on the database, each
// with its key. The keys work wherever the focus is in the window (a text box does not keep
// them) and never clash with the navigator's own.
//
// installTools() gives a window its menu with the editor's own tools ("Duplica",
// "Dove è usata", "Stampa"); another tool is one more addEntry() call.

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAction;
class QKeyEvent;
class QMenu;
#include <QToolButton>

namespace causali {
class FRMCI_CAUSALI;
}

namespace tools {

class ToolsMenu : public QObject
{
    Q_OBJECT

public:
    static const QString Caption; // "S&trumenti"

    // Builds the menu on the window (its child; it lives as long as the window).
    explicit ToolsMenu(causali::FRMCI_CAUSALI &window);

    // Adds a command: its caption, key (none when empty) and what it runs. The command runs
    // only while the window is started up and not unloaded; errors it raises are told to the
    // user through the window's error report.
    QAction *addEntry(const QString &caption, const QKeySequence &keys, std::function<void()> run);
    void addSeparator();

    QMenu *menu() const { return m_menu; }
    QToolButton *button() const { return m_button; }
    causali::FRMCI_CAUSALI &window() const { return m_window; }
    // The menu of a window, or nullptr when it has none.
    static ToolsMenu *of(const causali::FRMCI_CAUSALI &window);

protected:
    // The keys of the entries belong to the menu anywhere in the window, as the navigator's
    // do: a text box does not take Ctrl+D or Ctrl+U for itself.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *entryForKey(const QKeyEvent *event) const;
    void runEntry(const QString &caption, const std::function<void()> &run);

    causali::FRMCI_CAUSALI &m_window;
    QMenu *m_menu = nullptr;
    QPointer<QToolButton> m_button; // on the navigator's tool bar (a shell may own it)
};

// The keys of the editor's tools.
inline const QKeySequence DuplicateKeys{Qt::CTRL | Qt::Key_D};
inline const QKeySequence WhereUsedKeys{Qt::CTRL | Qt::Key_U};
inline const QKeySequence PrintKeys{Qt::CTRL | Qt::Key_P};

// Gives the window its "Strumenti" menu with the editor's tools.
ToolsMenu &installTools(causali::FRMCI_CAUSALI &window);
// Makes CLSCI_CAUSALI::ShowForm create the editor window with its tools.
void registerWindowFactory();

} // namespace tools
