#pragma once
// The window's combo boxes as the data library's fill routines see them (CaricaCombo,
// CaricaComboRic).

#include "data/value_domains.h"

namespace host {
class ComboBox;
}

namespace causali {

class HostComboControl : public ComboControl
{
public:
    // The box must outlive the adapter; a null box raises 91 on first use.
    explicit HostComboControl(host::ComboBox *box) : m_box(box) {}

    void clear() override;
    // Host combo boxes keep their items in the order they are added and never sort them:
    // switching the option off leaves nothing to do, asking for sorted items is refused.
    void setSorted(bool sorted) override;
    void addItem(const QString &caption, const QVariant &code) override;
    void selectIndex(int index) override;
    QString valueText() const override;
    void setEnabled(bool enabled) override;

private:
    host::ComboBox &box() const;

    host::ComboBox *m_box;
};

} // namespace causali
