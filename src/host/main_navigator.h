#pragma once
// MainNavigator: the tool bar of record commands.
//
// Keys (names used in events and by setButtonEnabled): "Primo", "Precedente", "Successivo",
// "Ultimo", "Ricerca", "Nuovo", "Conferma", "Elimina", "Esporta", "Annulla". Each is an action
// with a keyboard shortcut, shown in its tool tip: Ctrl+Home, Ctrl+PgUp, Ctrl+PgDown,
// Ctrl+End, Ctrl+F, Ctrl+N, Ctrl+S, Ctrl+Del, Ctrl+E, Ctrl+Z.
//
// Pressing a key: ButtonClick(cancel, key) first (cancel stops there); then
// actionRequested(key, result) lets the data frame carry the command out and set result
// (-1 = done; it starts at 0, "not done"); then AfterButtonClick(result, key).
// "Esporta" is available only when the navigator serves a called program (calledProgram).
//
// Before anything else a press settles the input of the control that has the focus in the
// navigator's window (settleFocusedInput): a value it refuses stops the command, and a value
// it accepts may enable the key (a description just typed makes "Conferma" possible).
// The keys' shortcuts belong to the navigator in its whole window: a control with the focus
// never sees them, whether their command is enabled or not (a disabled one does nothing).

#include <QToolBar>

#include <QHash>

class QAction;
class QKeyEvent;

namespace host {

class MainNavigator : public QToolBar
{
    Q_OBJECT

public:
    static const QStringList &keys();

    explicit MainNavigator(QWidget *parent = nullptr);
    ~MainNavigator() override;

    bool calledProgram() const { return m_called; }
    void setCalledProgram(bool called);
    bool IsButtonEnabled(const QString &key) const;
    void setButtonEnabled(const QString &key, bool enabled);
    // Presses a key as the user does (nothing when the key is disabled).
    void pressButton(const QString &key);
    QAction *action(const QString &key) const;

signals:
    void ButtonClick(bool &cancel, const QString &key);
    void actionRequested(const QString &key, long &result);
    void AfterButtonClick(long result, const QString &key);

protected:
    // Stops at a connection to an answering event not made by connectHandler.
    void connectNotify(const QMetaMethod &signal) override;

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    QString keyForShortcut(const QKeyEvent *event) const;
    void addKey(const QString &key, const QString &toolTip, const QKeySequence &shortcut,
                int standardIcon);
    void refreshExport();

    QHash<QString, QAction *> m_actions;
    bool m_called = false;
    bool m_exportEnabled = true;
};

} // namespace host
