#include "host/account_box.h"

#include "ado/recordset.h"

#include <QHBoxLayout>
#include <QLabel>

namespace host {

AccountBox::AccountBox(QWidget *parent) : EditBox(parent)
{
    m_description = new QLabel(this);
    m_description->setFrameShape(QFrame::StyledPanel);
    m_description->setFrameShadow(QFrame::Sunken);
    m_description->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_description->setMinimumWidth(160);
    boxLayout()->addWidget(m_description, 2);
    setUpperCase(true);
}

AccountBox::~AccountBox() = default;

bool AccountBox::isSwitchedOn() const
{
    return m_switchedOn;
}

void AccountBox::setSwitchedOn(bool on)
{
    m_switchedOn = on;
    setEnabled(on);
}

void AccountBox::releaseChart()
{
    m_chart = QVariant();
    m_accountTypes.clear();
}

QString AccountBox::description() const
{
    return m_description->text();
}

void AccountBox::setDescriptionWidth(int characters)
{
    m_description->setMinimumWidth(m_description->fontMetrics().averageCharWidth() * characters);
}

void AccountBox::decodedRow(ado::Recordset *row)
{
    if (!row) {
        m_description->clear();
        return;
    }
    QVariant value;
    if (!m_descriptionColumn.isEmpty())
        value = row->Fields(m_descriptionColumn).Value(); // an unknown column raises 3265
    else if (row->FieldCount() > 1)
        value = row->Fields(1).Value();
    const bool missing = !value.isValid() || value.isNull() || value.typeId() == QMetaType::Nullptr;
    m_description->setText(missing ? QString() : value.toString().trimmed());
}

void AccountBox::userEdited()
{
    m_description->clear(); // the typed code is described once it is decoded
}

} // namespace host
