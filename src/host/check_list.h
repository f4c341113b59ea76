#pragma once
// CheckList: a list with a check box per item (the account-type lists).
//
// ItemCheck(item) is raised after the check of an item changed, whether the user ticked it
// (mouse or Space) or code set Selected. While code sets Selected, settingFromCode() is true,
// so a handler can tell the two apart; the window's own guard flag works as well.

#include <QListWidget>

namespace host {

class CheckList : public QListWidget
{
    Q_OBJECT

public:
    explicit CheckList(QWidget *parent = nullptr);
    ~CheckList() override;

    void Clear();
    // Adds an item (not ticked) at the end, or at index when 0 <= index <= ListCount.
    void AddItem(const QString &text, int index = -1);
    int ListCount() const { return count(); }
    QString List(int index) const;
    // Whether item index is ticked; an index out of range raises error 381.
    bool Selected(int index) const;
    void setSelected(int index, bool ticked);
    int SelCount() const;
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
