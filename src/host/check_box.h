#pragma once
// CheckBox: a check box whose Text is "1" (ticked) or "0". Click is raised when the user ticks
// or clears it (mouse or Space), after the value changed; values set from code raise nothing.
// The value given to the data frame is the number 1 or 0; any non-zero number read from a row
// ticks the box, Null clears it.

#include "host/bindable.h"

#include <QWidget>

class QCheckBox;

namespace host {

class CheckBox : public QWidget, public Bindable
{
    Q_OBJECT

public:
    explicit CheckBox(QWidget *parent = nullptr);
    ~CheckBox() override;

    QString Text() const;
    // "1" or any non-zero number ticks the box, "0", "" and Null clear it; other texts raise
    // error 13.
    void setText(const QVariant &value);
    bool isChecked() const;
    // The label beside the box ("Seleziona tutto").
    QString label() const;
    void setLabel(const QString &text);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }
    QCheckBox *checkBox() const { return m_box; }

    // ----- Bindable -----
    QWidget *widget() override { return this; }
    QString dataField() const override { return m_dataField; }
    void setDataField(const QString &field) override { m_dataField = field; }
    QString caption() const override { return m_caption; }
    QVariant boundValue() const override;
    void setBoundValue(const QVariant &value) override;
    QVariant defaultValue() const override { return m_defaultValue; }
    void setDefaultValue(const QVariant &value) { m_defaultValue = value; }
    bool isRequired() const override { return false; }
    bool hasValue() const override { return true; }
    bool isEnabledForInput() const override { return isEnabled(); }
    void focus() override;
    void setEditedCallback(std::function<void()> callback) override;

signals:
    void Click();
    void KeyDown(int &keyCode, int shift);

protected:
    // Stops at a connection to an answering event not made by connectHandler.
    void connectNotify(const QMetaMethod &signal) override;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QCheckBox *m_box = nullptr;
    std::function<void()> m_edited;
    QVariant m_defaultValue = QVariant(0);
    QString m_dataField;
    QString m_caption;
};

} // namespace host
