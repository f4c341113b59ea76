#pragma once
// CheckList: a list with a check box per item (the account-type lists).
//
// ItemCheck(item) is raised after the check of an item changed, whether the user ticked it
// (mouse or Space) or code called setTicked. While code sets a check, settingFromCode() is true,
// so a handler can tell the two apart; the window's own guard flag works as well.

#include <QListWidget>

namespace host {

class CheckList : public QListWidget
{
    Q_OBJECT

public:
    explicit CheckList(QWidget *parent = nullptr);
    ~CheckList() override;

    void clearItems();
    // Adds an item (not ticked) at the end, or at index when 0 <= index <= count().
    void addCheckItem(const QString &text, int index = -1);
    QString itemText(int index) const;
    // Whether item index is ticked; an index out of range raises error 381.
    bool isTicked(int index) const;
    void setTicked(int index, bool ticked);
    int tickedCount() const;
    bool settingFromCode() const { return m_settingFromCode; }

signals:
    void ItemCheck(int item);
    void KeyDown(int &keyCode, int shift);

protected:
    // Stops at a connection to an answering event not made by connectHandler.
    void connectNotify(const QMetaMethod &signal) override;

    void keyPressEvent(QKeyEvent *event) override;

private:
    void onItemChanged(QListWidgetItem *item);
    QListWidgetItem *checkedItem(int index) const;

    QList<bool> m_states; // last known check of each item, to tell check changes from others
    bool m_settingFromCode = false;
    bool m_filling = false;
};

} // namespace host
