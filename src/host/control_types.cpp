#include "host/control_types.h"

#include "ado/error.h"
#include "host/bindable.h"
#include "host/dialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QRegularExpression>
#include <QWidget>

#include <cmath>

namespace host {

int vbKeyCode(const QKeyEvent *event)
{
    const int key = event->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key; // VB's codes of letters and digits are their ASCII codes, as Qt's
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return vbKeyF1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return vbKeyBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vbKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vbKeyReturn;
    case Qt::Key_Escape:
        return vbKeyEscape;
    case Qt::Key_Space:
        return vbKeySpace;
    case Qt::Key_PageUp:
        return vbKeyPageUp;
    case Qt::Key_PageDown:
        return vbKeyPageDown;
    case Qt::Key_End:
        return vbKeyEnd;
    case Qt::Key_Home:
        return vbKeyHome;
    case Qt::Key_Left:
        return vbKeyLeft;
    case Qt::Key_Up:
        return vbKeyUp;
    case Qt::Key_Right:
        return vbKeyRight;
    case Qt::Key_Down:
        return vbKeyDown;
    case Qt::Key_Insert:
        return vbKeyInsert;
    case Qt::Key_Delete:
        return vbKeyDelete;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    default:
        return 0;
    }
}

int vbShift(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers m = event->modifiers();
    int shift = 0;
    if (m & Qt::ShiftModifier)
        shift |= vbShiftMask;
    if (m & Qt::ControlModifier)
        shift |= vbCtrlMask;
    if (m & Qt::AltModifier)
        shift |= vbAltMask;
    return shift;
}

bool keyDownSwallowed(QObject *control, QKeyEvent *event,
                      const std::function<void(int &keyCode, int shift)> &raise)
{
    int code = vbKeyCode(event);
    if (code == 0)
        return false;
    runControlAction(control->objectName() + QStringLiteral("_KeyDown"),
                     [&] { raise(code, vbShift(event)); });
    if (code != 0)
        return false;
    event->accept();
    return true;
}

namespace {

bool isNullValue(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.typeId() == QMetaType::Nullptr;
}

bool asNumber(const QVariant &v, double &out)
{
    if (isNullValue(v))
        return false;
    bool ok = false;
    out = v.toString().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok;
}

// One section of a display format: digits after the point, grouping, text around.
QString formatSection(double value, const QString &section)
{
    const int first = section.indexOf(QRegularExpression(QStringLiteral("[#0.,]")));
    if (first < 0)
        return section; // a literal section
    int last = first;
    while (last + 1 < section.size() && QStringLiteral("#0.,").contains(section[last + 1]))
        ++last;
    const QString pattern = section.mid(first, last - first + 1);
    const int point = pattern.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? pattern : pattern.left(point);
    const int decimals = point < 0 ? 0 : int(pattern.size() - point - 1);
    const bool grouping = intPart.contains(QLatin1Char(','));
    const int minInt = int(intPart.count(QLatin1Char('0')));

    QLocale locale = numberLocale();
    locale.setNumberOptions(grouping ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    QString digits = locale.toString(std::fabs(value), 'f', decimals);
    if (minInt == 0 && std::fabs(value) < 1.0) {
        // "#.00" writes 0.5 as ".50"
        const int sep = digits.indexOf(locale.decimalPoint());
        if (sep == 1 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
    }
    return section.left(first) + digits + section.mid(last + 1);
}

} // namespace

QString plainText(const QVariant &value)
{
    const int type = value.typeId();
    if (type == QMetaType::Double || type == QMetaType::Float)
        return numberLocale().toString(value.toDouble(), 'g', 15);
    return value.toString();
}

QLocale numberLocale()
{
    QLocale italian(QLocale::Italian, QLocale::Italy);
    italian.setNumberOptions(QLocale::OmitGroupSeparator);
    return italian;
}

bool sameCode(const QVariant &a, const QVariant &b)
{
    const bool nullA = isNullValue(a);
    const bool nullB = isNullValue(b);
    if (nullA || nullB)
        return nullA && nullB;
    double x = 0;
    double y = 0;
    if (asNumber(a, x) && asNumber(b, y))
        return x == y;
    const QString sa = a.toString();
    const QString sb = b.toString();
    auto rtrim = [](const QString &s) {
        int n = int(s.size());
        while (n > 0 && s[n - 1].isSpace())
            --n;
        return s.left(n);
    };
    return rtrim(sa) == rtrim(sb);
}

QString formatNumber(const QVariant &value, const QString &format)
{
    const QStringList sections = format.split(QLatin1Char(';'));
    if (isNullValue(value))
        return sections.size() > 3 ? sections[3] : QString();
    double number = 0;
    if (!asNumber(value, number))
        return value.toString();
    if (format.isEmpty())
        return plainText(value);
    const QString positive = sections[0];
    if (number == 0 && sections.size() > 2 && !sections[2].isEmpty())
        return formatSection(0, sections[2]);
    if (number < 0) {
        if (sections.size() > 1 && !sections[1].isEmpty())
            return formatSection(number, sections[1]);
        const QString text = formatSection(number, positive);
        // -0.001 rounded to 0.00 shows no sign
        return text.contains(QRegularExpression(QStringLiteral("[1-9]"))) ? QLatin1Char('-') + text
                                                                          : text;
    }
    return formatSection(number, positive);
}

bool runControlAction(const QString &source, const std::function<void()> &action)
{
    for (;;) {
        long number = 0;
        QString description;
        QString errorSource;
        try {
            action();
            return true;
        } catch (const ado::RuntimeError &e) {
            number = e.number();
            description = e.description();
            errorSource = e.source().isEmpty() ? source : ado::chainSource(source, e.source());
        } catch (const std::exception &e) {
            number = 5;
            description = QString::fromUtf8(e.what());
            errorSource = source;
        }
        const int answer = DialogService::instance().errorDialog(QStringLiteral("Errore"), number,
                                                                 description, errorSource,
                                                                 vbCritical | vbAbortRetryIgnore);
        if (answer != vbRetry)
            return false;
    }
}

bool settleFocusedInput(const QWidget *window)
{
    QWidget *focused = QApplication::focusWidget();
    if (!window || !focused || focused->window() != window->window())
        return true;
    // The focus sits in a part of a control (the text of a box): the control is an ancestor.
    for (QWidget *widget = focused; widget; widget = widget->parentWidget()) {
        if (auto *control = dynamic_cast<Bindable *>(widget))
            return control->settleInput();
        if (widget->isWindow())
            break;
    }
    return true;
}

namespace {

// Eats the input events of the widgets it is installed on.
class InputLock : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            return key != Qt::Key_Tab && key != Qt::Key_Backtab;
        }
        default:
            return false;
        }
    }
};

const char *const InputLockName = "host_input_lock";

} // namespace

void lockInput(QWidget *widget, bool locked)
{
    if (!widget)
        return;
    auto *lock = widget->findChild<InputLock *>(QLatin1String(InputLockName),
                                                Qt::FindDirectChildrenOnly);
    if (locked == (lock != nullptr))
        return;
    QList<QWidget *> targets = widget->findChildren<QWidget *>();
    targets.prepend(widget);
    if (locked) {
        lock = new InputLock(widget); // owned by the widget, removed when unlocked
        lock->setObjectName(QLatin1String(InputLockName));
        for (QWidget *target : targets)
            target->installEventFilter(lock);
    } else {
        for (QWidget *target : targets)
            target->removeEventFilter(lock);
        delete lock;
    }
}

void Bindable::setLocked(bool locked)
{
    lockInput(widget(), locked);
}

} // namespace host
