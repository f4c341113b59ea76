#include "host/check_box.h"

#include "ado/error.h"
#include "host/control_types.h"
#include "host/handler_connection.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>

namespace host {

namespace {

bool isMissing(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.typeId() == QMetaType::Nullptr;
}

} // namespace

CheckBox::CheckBox(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_box = new QCheckBox(this);
    layout->addWidget(m_box);
    layout->addStretch(1); // the box keeps its size: a click beside its label is no click
    setFocusProxy(m_box);
    setFocusPolicy(Qt::StrongFocus);
    m_box->installEventFilter(this);
    // clicked() comes only from the user (mouse, Space, the accelerator), never from code.
    connect(m_box, &QCheckBox::clicked, this, [this] {
        if (m_edited)
            m_edited();
        runControlAction(objectName() + QStringLiteral("_Click"), [this] { emit Click(); });
    });
}

CheckBox::~CheckBox()
{
    m_box->removeEventFilter(this);
}

QString CheckBox::Text() const
{
    return m_box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

bool CheckBox::isChecked() const
{
    return m_box->isChecked();
}

void CheckBox::setText(const QVariant &value)
{
    if (isMissing(value) || value.toString().trimmed().isEmpty()) {
        m_box->setChecked(false);
        return;
    }
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    if (!ok && value.typeId() == QMetaType::Bool) {
        m_box->setChecked(value.toBool());
        return;
    }
    if (!ok)
        ado::raise(
            13,
            QStringLiteral("Tipo non corrispondente: \"%1\" non vale 1 o 0").arg(value.toString()),
            objectName());
    m_box->setChecked(number != 0);
}

QString CheckBox::label() const
{
    return m_box->text();
}

void CheckBox::setLabel(const QString &text)
{
    m_box->setText(text);
}

QVariant CheckBox::boundValue() const
{
    return m_box->isChecked() ? 1 : 0;
}

void CheckBox::setBoundValue(const QVariant &value)
{
    runControlAction(objectName(), [&] { setText(value); });
}

void CheckBox::focus()
{
    m_box->setFocus(Qt::OtherFocusReason);
}

void CheckBox::setEditedCallback(std::function<void()> callback)
{
    m_edited = std::move(callback);
}

bool CheckBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box && event->type() == QEvent::KeyPress) {
        const auto raise = [this](int &code, int shift) { emit KeyDown(code, shift); };
        if (keyDownSwallowed(this, static_cast<QKeyEvent *>(event), raise))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CheckBox::connectNotify(const QMetaMethod &signal)
{
    guardHandlerConnection(this, signal);
}

} // namespace host
