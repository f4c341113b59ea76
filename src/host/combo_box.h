#pragma once
// ComboBox: a drop-down list of items, each a caption and a code.
//
// Text is the code of the selected item (as text; Null when no item is selected); writing a
// code selects the item with that code (numbers compare as numbers: "2" selects the item of
// code 2). Writing a code that no item has raises error 380; Null selects nothing.
//
// Events, as a user causes them: BeforeItem when the user is about to choose (the box takes
// the focus, or the list opens, a key or the wheel changes the choice after a commit),
// ChangeRow whenever the selected item changes (also from code), AfterItem when the user has
// chosen an item with another code, Validate(cancel) when the focus leaves (cancel keeps it).
//
// AutoSelectFirst: when true (as a new box starts) adding the first item to an empty list
// selects it; when false the list stays without a selection until an item is selected.

#include "host/bindable.h"

#include <QComboBox>

namespace host {

class ComboBox : public QComboBox, public Bindable
{
    Q_OBJECT

public:
    explicit ComboBox(QWidget *parent = nullptr);
    ~ComboBox() override;

    // ----- items -----
    void clearItems();
    void addCodeItem(const QString &caption, const QVariant &code);
    // Selects the item at index (-1 clears the selection); currentIndex() reads it back.
    void setListIndex(int index);
    // Selects the item at index (the item-selection method of the fill routines).
    void selectItem(int index) { setListIndex(index); }
    QString itemCaption(int index) const;
    // Index of the item with that code, -1 when none.
    int findCode(const QVariant &code) const;

    // ----- value and settings -----
    QVariant Text() const;
    void setText(const QVariant &code);
    // The selected item's code as added (Null when none).
    QVariant value() const;
    void setAutoSelectFirst(bool on) { m_autoSelectFirst = on; }
    bool Required() const { return m_required; }
    void setRequired(bool on);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }
    // Width of the box, in characters of its captions.
    void setMaxLength(int characters);

    // ----- Bindable -----
    QWidget *widget() override { return this; }
    QString dataField() const override { return m_dataField; }
    void setDataField(const QString &field) override { m_dataField = field; }
    QString caption() const override { return m_caption; }
    QVariant boundValue() const override { return value(); }
    // Selects the item of the value; a value no item has leaves the box without a selection.
    void setBoundValue(const QVariant &value) override;
    QVariant defaultValue() const override { return m_defaultValue; }
    void setDefaultValue(const QVariant &value) { m_defaultValue = value; }
    // The caption of the item of the value; the value itself when no item has it.
    QVariant displayValue(const QVariant &value) const override;
    bool isRequired() const override { return m_required; }
    bool hasValue() const override { return currentIndex() >= 0; }
    bool isEnabledForInput() const override { return isEnabled(); }
    void focus() override;
    void setEditedCallback(std::function<void()> callback) override;
    // Validate (a choice is committed as soon as it is made); the focus stays in the box.
    bool settleInput() override;

    void showPopup() override;

signals:
    void BeforeItem();
    void AfterItem();
    void ChangeRow();
    void Validate(bool &cancel);
    void KeyDown(int &keyCode, int shift);

protected:
    // Stops at a connection to an answering event not made by connectHandler.
    void connectNotify(const QMetaMethod &signal) override;

    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void beginChoice();
    bool validate();
    void onActivated(int index);
    void refreshLook();

    std::function<void()> m_edited;
    QVariant m_baseline; // code when the current choice began
    QVariant m_defaultValue;
    QString m_dataField;
    QString m_caption;
    bool m_choiceOpen = false;
    bool m_required = false;
    bool m_autoSelectFirst = true;
    bool m_inFocusOut = false;
    bool m_focused = false; // had a focus-in that no focus-out has ended yet
};

} // namespace host
