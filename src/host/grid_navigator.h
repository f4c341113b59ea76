#pragma once
// GridNavigator: the buttons "Nuovo", "Conferma", "Elimina" under a grid.
//
// A click (or clickButton from code) raises BeforeButtonClick(cancel, name); unless cancelled,
// actionRequested(name) asks the data frame to carry the action out, then AfterButtonClick(name)
// follows. First the control that has the focus in the window settles its input
// (settleFocusedInput); a value it refuses stops the click. A disabled button does nothing. Names other than the three raise error 3265.

#include <QWidget>

class QPushButton;

namespace host {

class GridNavigator : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char *Nuovo = "Nuovo";
    static constexpr const char *Conferma = "Conferma";
    static constexpr const char *Elimina = "Elimina";

    explicit GridNavigator(QWidget *parent = nullptr);
    ~GridNavigator() override;

    bool IsButtonEnabled(const QString &name) const;
    void setButtonEnabled(const QString &name, bool enabled);
    void FocusButton(const QString &name);
    void clickButton(const QString &name);
    QPushButton *button(const QString &name) const;

signals:
    void BeforeButtonClick(bool &cancel, const QString &name);
    void actionRequested(const QString &name);
    void AfterButtonClick(const QString &name);

protected:
    // Stops at a connection to an answering event not made by connectHandler.
    void connectNotify(const QMetaMethod &signal) override;

private:
    QPushButton *m_new = nullptr;
    QPushButton *m_confirm = nullptr;
    QPushButton *m_delete = nullptr;
};

} // namespace host
