#include "host/combo_box.h"

#include "ado/error.h"
#include "host/control_types.h"
#include "host/handler_connection.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QWheelEvent>

namespace host {

namespace {

bool isMissing(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.typeId() == QMetaType::Nullptr;
}

bool passingFocusReason(Qt::FocusReason reason)
{
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason
           || reason == Qt::MenuBarFocusReason;
}

} // namespace

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        runControlAction(objectName() + QStringLiteral("_ChangeRow"), [this] { emit ChangeRow(); });
    });
    connect(this, &QComboBox::activated, this, &ComboBox::onActivated);
    refreshLook();
}

ComboBox::~ComboBox() = default;

// ----- items -----

void ComboBox::clearItems()
{
    clear();
}

void ComboBox::addCodeItem(const QString &caption, const QVariant &code)
{
    if (count() == 0 && !m_autoSelectFirst) {
        // Qt selects the first item added; this box waits for a selection instead.
        const QSignalBlocker blocker(this);
        addItem(caption, code);
        setCurrentIndex(-1);
        return;
    }
    addItem(caption, code);
}

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= count())
        ado::raise(380,
                   QStringLiteral("Indice %1 non valido per \"%2\" (%3 elementi)")
                       .arg(index)
                       .arg(m_caption.isEmpty() ? objectName() : m_caption)
                       .arg(count()),
                   objectName());
    setCurrentIndex(index);
    if (m_choiceOpen)
        m_baseline = value();
}

QString ComboBox::itemCaption(int index) const
{
    return itemText(index);
}

QVariant ComboBox::displayValue(const QVariant &value) const
{
    const int index = isMissing(value) ? -1 : findCode(value);
    return index >= 0 ? QVariant(itemCaption(index)) : value;
}

int ComboBox::findCode(const QVariant &code) const
{
    for (int i = 0; i < count(); ++i) {
        if (sameCode(itemData(i), code))
            return i;
    }
    return -1;
}

// ----- value -----

QVariant ComboBox::value() const
{
    const int index = currentIndex();
    if (index < 0)
        return QVariant::fromValue(nullptr);
    const QVariant code = itemData(index);
    return isMissing(code) ? QVariant::fromValue(nullptr) : code;
}

QVariant ComboBox::Text() const
{
    const QVariant code = value();
    return isMissing(code) ? code : QVariant(code.toString());
}

void ComboBox::setText(const QVariant &code)
{
    int index = -1;
    if (!isMissing(code)) {
        index = findCode(code);
        if (index < 0)
            ado::raise(380,
                       QStringLiteral("Il codice \"%1\" non è tra le voci di \"%2\"")
                           .arg(code.toString(), m_caption.isEmpty() ? objectName() : m_caption),
                       objectName());
    }
    setCurrentIndex(index);
    if (m_choiceOpen)
        m_baseline = value();
}

void ComboBox::setBoundValue(const QVariant &value)
{
    const int index = isMissing(value) ? -1 : findCode(value);
    if (index < 0 && !isMissing(value))
        qWarning("%s: the value %s is not among the items", qPrintable(objectName()),
                 qPrintable(value.toString()));
    setCurrentIndex(index);
    if (m_choiceOpen)
        m_baseline = this->value();
}

void ComboBox::setRequired(bool on)
{
    m_required = on;
    refreshLook();
}

void ComboBox::setMaxLength(int characters)
{
    setMinimumContentsLength(std::max(1, characters));
}

// ----- user's choice -----

void ComboBox::beginChoice()
{
    if (m_choiceOpen)
        return;
    m_choiceOpen = true;
    m_baseline = value();
    runControlAction(objectName() + QStringLiteral("_BeforeItem"), [this] { emit BeforeItem(); });
}

void ComboBox::onActivated(int)
{
    beginChoice(); // normally already open: focus, key, wheel or list came first
    if (sameCode(value(), m_baseline))
        return;
    if (m_edited)
        m_edited();
    m_baseline = value();
    m_choiceOpen = false; // the choice is made; the next one starts with a new BeforeItem
    runControlAction(objectName() + QStringLiteral("_AfterItem"), [this] { emit AfterItem(); });
}

void ComboBox::showPopup()
{
    beginChoice();
    QComboBox::showPopup();
}

void ComboBox::focusInEvent(QFocusEvent *event)
{
    m_focused = true;
    // Focus given back by a Validate that refused to let it go starts no new choice.
    if (!m_inFocusOut && !passingFocusReason(event->reason()))
        beginChoice();
    QComboBox::focusInEvent(event);
}

void ComboBox::focusOutEvent(QFocusEvent *event)
{
    // No focus-in before: Qt tells the box that was about to get the focus when another box's
    // Validate kept it; that box was never entered.
    if (passingFocusReason(event->reason()) || !m_focused || m_inFocusOut) {
        QComboBox::focusOutEvent(event);
        return;
    }
    m_inFocusOut = true;
    const bool kept = !validate();
    if (kept)
        setFocus(Qt::OtherFocusReason);
    m_inFocusOut = false;
    if (kept)
        return;
    m_focused = false;
    m_choiceOpen = false;
    QComboBox::focusOutEvent(event);
}

bool ComboBox::settleInput()
{
    if (!m_focused || m_inFocusOut)
        return true;
    m_inFocusOut = true;
    const bool accepted = validate();
    m_inFocusOut = false;
    return accepted;
}

// Raises Validate; false when it refused to let the focus go.
bool ComboBox::validate()
{
    bool cancel = false;
    runControlAction(objectName() + QStringLiteral("_Validate"),
                     [this, &cancel] { emit Validate(cancel); });
    return !cancel;
}

void ComboBox::keyPressEvent(QKeyEvent *event)
{
    const auto raise = [this](int &code, int shift) { emit KeyDown(code, shift); };
    if (keyDownSwallowed(this, event, raise))
        return;
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        break;
    default:
        beginChoice();
    }
    QComboBox::keyPressEvent(event);
}

void ComboBox::wheelEvent(QWheelEvent *event)
{
    if (isEnabled())
        beginChoice();
    QComboBox::wheelEvent(event);
}

void ComboBox::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        refreshLook();
    QComboBox::changeEvent(event);
}

void ComboBox::refreshLook()
{
    // Only the colours set here are the box's own; the others follow its parent.
    QPalette palette;
    if (m_required && isEnabled()) {
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Button, QColor(255, 250, 220));
            palette.setColor(group, QPalette::Base, QColor(255, 250, 220));
        }
    }
    setPalette(palette);
}

// ----- Bindable -----

void ComboBox::focus()
{
    setFocus(Qt::OtherFocusReason);
}

void ComboBox::setEditedCallback(std::function<void()> callback)
{
    m_edited = std::move(callback);
}

void ComboBox::connectNotify(const QMetaMethod &signal)
{
    guardHandlerConnection(this, signal);
}

} // namespace host
