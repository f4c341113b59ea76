#include "host/grid_navigator.h"

#include "ado/error.h"
#include "host/control_types.h"
#include "host/handler_connection.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

namespace host {

GridNavigator::GridNavigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto make = [this, layout](const char *name, QStyle::StandardPixmap icon) {
        auto *button = new QPushButton(style()->standardIcon(icon), QString::fromLatin1(name),
                                       this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        // A click leaves the focus in the control being edited: the press settles its input
        // first and stops when the control refuses it.
        button->setFocusPolicy(Qt::TabFocus);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this,
                [this, name] { clickButton(QString::fromLatin1(name)); });
        return button;
    };
    m_new = make(Nuovo, QStyle::SP_FileIcon);
    m_confirm = make(Conferma, QStyle::SP_DialogApplyButton);
    m_delete = make(Elimina, QStyle::SP_TrashIcon);
    layout->addStretch(1);
}

GridNavigator::~GridNavigator() = default;

QPushButton *GridNavigator::button(const QString &name) const
{
    if (name.compare(QLatin1String(Nuovo), Qt::CaseInsensitive) == 0)
        return m_new;
    if (name.compare(QLatin1String(Conferma), Qt::CaseInsensitive) == 0)
        return m_confirm;
    if (name.compare(QLatin1String(Elimina), Qt::CaseInsensitive) == 0)
        return m_delete;
    ado::raise(3265, QStringLiteral("Pulsante \"%1\" sconosciuto (%2)").arg(name, objectName()),
               objectName());
}

bool GridNavigator::IsButtonEnabled(const QString &name) const
{
    // A button is usable when it is on and the navigator itself is.
    return button(name)->isEnabled();
}

void GridNavigator::setButtonEnabled(const QString &name, bool enabled)
{
    button(name)->setEnabled(enabled);
}

void GridNavigator::FocusButton(const QString &name)
{
    button(name)->setFocus(Qt::OtherFocusReason);
}

void GridNavigator::clickButton(const QString &name)
{
    QPushButton *target = button(name);
    if (!settleFocusedInput(this) || !target->isEnabled())
        return;
    const QString key = target->objectName();
    const QPointer<GridNavigator> self(this);
    bool cancel = false;
    runControlAction(objectName() + QStringLiteral("_BeforeButtonClick"),
                     [&] { emit BeforeButtonClick(cancel, key); });
    if (cancel || !self)
        return;
    runControlAction(objectName() + QStringLiteral("_ButtonClick"),
                     [&] { emit actionRequested(key); });
    if (!self)
        return;
    runControlAction(objectName() + QStringLiteral("_AfterButtonClick"),
                     [&] { emit AfterButtonClick(key); });
}

void GridNavigator::connectNotify(const QMetaMethod &signal)
{
    guardHandlerConnection(this, signal);
}

} // namespace host
