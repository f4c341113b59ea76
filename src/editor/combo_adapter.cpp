#include "editor/combo_adapter.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/vb.h"
#include "host/combo_box.h"

namespace causali {

host::ComboBox &HostComboControl::box() const
{
    if (!m_box)
        ado::raise(91, QStringLiteral("Casella combinata non impostata"));
    return *m_box;
}

void HostComboControl::clear()
{
    box().clearItems();
}

void HostComboControl::setSorted(bool sorted)
{
    if (sorted)
        ado::raise(ado::adErrInvalidArgument,
                   QStringLiteral("La casella \"%1\" non ordina le voci").arg(box().objectName()));
}

void HostComboControl::addItem(const QString &caption, const QVariant &code)
{
    box().addCodeItem(caption, code);
}

void HostComboControl::selectIndex(int index)
{
    box().selectItem(index);
}

QString HostComboControl::valueText() const
{
    return ado::NormalizzaStringa(box().Text());
}

void HostComboControl::setEnabled(bool enabled)
{
    box().setEnabled(enabled);
}

} // namespace causali
