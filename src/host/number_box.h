#pragma once
// NumberBox: a box for a number (provider codes, percentages). Only digits are accepted, and
// one decimal separator ('.' or ',', both read as the decimal point: "60.5" and "60,5" are one
// number) when the box has decimals; a leading '-' when negatives are allowed. While the box
// has no focus it shows its value with the display format (for example "##0.00;-##0.00;;")
// the Italian way ("60,50"); a value set from code is edited as "60,5".
//
// Text is the text typed (Null when empty); value() the number it stands for (an integer when the
// box has no decimals, a double otherwise; Null when empty), which is also the value the box
// gives its data frame. Change is raised at every change the user makes (not for values set
// from code); Changed stays true from the user's first change until it is cleared or a value
// is set from code. Edit, decode and lookup events as EditBox.

#include "host/edit_box.h"

namespace host {

class NumberBox : public EditBox
{
    Q_OBJECT

public:
    explicit NumberBox(QWidget *parent = nullptr);
    ~NumberBox() override;

    // Digits before the decimal point (0 = any) and after it (0 = an integer).
    void setIntegerDigits(int digits);
    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);
    void setAllowNegative(bool on);
    void setDisplayFormat(const QString &format);

    QVariant value() const;
    bool Changed() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

    QVariant Text() const override;
    void setText(const QVariant &text) override;
    QVariant boundValue() const override;

signals:
    void Change();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void userEdited() override;
    QString textForValue(const QVariant &value) const override;

private:
    void applyValidator();
    void showFormatted(bool formatted);

    QString m_format;
    int m_integerDigits = 0;
    int m_decimals = 0;
    bool m_allowNegative = false;
    bool m_changed = false;
    QString m_plainText; // the text behind the formatted one shown while not editing
    bool m_showingFormatted = false;
};

} // namespace host
