#pragma once
// What a data frame needs of a control bound to a column of its row set. Every control of the
// host's control set that can be bound (code, number, account, combo and check boxes)
// implements it; the frame reads and writes values through it and listens to its edits.

#include <QString>
#include <QVariant>

#include <functional>

class QWidget;

namespace host {

class Bindable
{
public:
    virtual ~Bindable() = default;

    virtual QWidget *widget() = 0;
    // Column of the frame's row set the control shows ("" when not bound).
    virtual QString dataField() const = 0;
    virtual void setDataField(const QString &field) = 0;
    // Caption used in the frame's messages ("Codice", "Ditta", ...).
    virtual QString caption() const = 0;
    // The control's value as the row stores it (Null when empty) and how the frame shows one.
    virtual QVariant boundValue() const = 0;
    virtual void setBoundValue(const QVariant &value) = 0;
    // Value a new row starts with (Null for none).
    virtual QVariant defaultValue() const = 0;
    // How a list of rows (the navigator's search) shows a value of the column: as stored, or
    // as the control shows it (a combo: its item's caption).
    virtual QVariant displayValue(const QVariant &value) const { return value; }
    virtual bool isRequired() const = 0;
    // True when the control holds a value (used by the required-field check).
    virtual bool hasValue() const = 0;
    virtual bool isEnabledForInput() const = 0;
    virtual void focus() = 0;
    // The frame calls this with a callback the control invokes whenever the user changes its
    // value (the frame then marks the record changed).
    virtual void setEditedCallback(std::function<void()> callback) = 0;
    // Settles what the user entered while the control keeps the focus, as leaving it would:
    // its validation first, then the value committed (decode, AfterItem). False when the
    // validation refused the value: the caller must not go on.
    virtual bool settleInput() { return true; }
    // Locks the control against the user's input when nothing may be changed (the host
    // allows no update). Independent of the enabled state the window gives the control: the
    // value still shows and can be selected. The default blocks clicks and keys (lockInput).
    virtual void setLocked(bool locked);
};

} // namespace host
