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
// "Esporta" is available only when the navigator serves a called program (CalledProgram).

#include <QToolBar>

#include <QHash>

class QAction;

namespace host {

class MainNavigator : public QToolBar
{
    Q_OBJECT

public:
    static const QStringList &keys();

    explicit MainNavigator(QWidget *parent = nullptr);
    ~MainNavigator() override;

    bool CalledProgram() const { return m_called; }
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

private:
    void addKey(const QString &key, const QString &toolTip, const QKeySequence &shortcut,
                int standardIcon);
    void refreshExport();

    QHash<QString, QAction *> m_actions;
    bool m_called = false;
    bool m_exportEnabled = true;
};

} // namespace host
