#include "host/number_box.h"

#include "ado/error.h"
#include "host/control_types.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>

namespace host {

namespace {

bool isMissing(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.typeId() == QMetaType::Nullptr;
}

} // namespace

NumberBox::NumberBox(QWidget *parent) : EditBox(parent)
{
    lineEdit()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    applyValidator();
}

NumberBox::~NumberBox() = default;

void NumberBox::setIntegerDigits(int digits)
{
    m_integerDigits = std::max(0, digits);
    applyValidator();
}

void NumberBox::setDecimals(int decimals)
{
    m_decimals = std::max(0, decimals);
    applyValidator();
}

void NumberBox::setAllowNegative(bool on)
{
    m_allowNegative = on;
    applyValidator();
}

void NumberBox::setDisplayFormat(const QString &format)
{
    const bool shown = m_showingFormatted;
    showFormatted(false);
    m_format = format;
    if (shown || !lineEdit()->hasFocus())
        showFormatted(true);
}

void NumberBox::applyValidator()
{
    const QString digits = m_integerDigits > 0 ? QStringLiteral("\\d{0,%1}").arg(m_integerDigits)
                                               : QStringLiteral("\\d*");
    QString pattern = (m_allowNegative ? QStringLiteral("-?") : QString()) + digits;
    if (m_decimals > 0)
        pattern += QStringLiteral("([.,]\\d{0,%1})?").arg(m_decimals);
    setInputPattern(QStringLiteral("^") + pattern + QStringLiteral("$"));
}

QVariant NumberBox::Text() const
{
    if (m_showingFormatted)
        return m_plainText.isEmpty() ? QVariant::fromValue(nullptr) : QVariant(m_plainText);
    return EditBox::Text();
}

QVariant NumberBox::value() const
{
    const QVariant text = Text();
    if (isMissing(text))
        return QVariant::fromValue(nullptr);
    const QString plain = text.toString().trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    if (m_decimals == 0) {
        const qlonglong whole = plain.toLongLong(&ok);
        if (ok)
            return whole;
    }
    const double number = plain.toDouble(&ok);
    if (!ok)
        return QVariant::fromValue(nullptr); // "-" or "." alone: no number yet
    if (m_decimals == 0)
        return qlonglong(number);
    return number;
}

QString NumberBox::textForValue(const QVariant &value) const
{
    if (isMissing(value))
        return QString();
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return QString();
    bool ok = false;
    const double number = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok)
        ado::raise(13, QStringLiteral("Tipo non corrispondente: \"%1\" non è un numero").arg(text),
                   objectName());
    if (m_decimals == 0 && number == double(qlonglong(number)))
        return QString::number(qlonglong(number));
    // The text to edit: no trailing zeros, the decimal comma of the window.
    return QString::number(number, 'f', std::max(m_decimals, 0) > 0 ? m_decimals : 6)
        .remove(QRegularExpression(QStringLiteral("\\.?0+$")))
        .replace(QLatin1Char('.'), numberLocale().decimalPoint());
}

void NumberBox::setText(const QVariant &text)
{
    const bool formatted = m_showingFormatted;
    showFormatted(false);
    try {
        EditBox::setText(text);
    } catch (...) {
        if (formatted)
            showFormatted(true);
        throw;
    }
    m_changed = false;
    if (!lineEdit()->hasFocus())
        showFormatted(true);
}

QVariant NumberBox::boundValue() const
{
    return value();
}

void NumberBox::userEdited()
{
    m_showingFormatted = false; // whatever is typed is the plain text
    m_changed = true;
    runControlAction(objectName() + QStringLiteral("_Change"), [this] { emit Change(); });
}

void NumberBox::showFormatted(bool formatted)
{
    if (formatted == m_showingFormatted)
        return;
    if (formatted) {
        if (m_format.isEmpty())
            return;
        m_plainText = lineEdit()->text();
        const QString shown = formatNumber(value(), m_format);
        m_showingFormatted = true;
        showText(shown);
    } else {
        m_showingFormatted = false;
        showText(m_plainText);
    }
}

bool NumberBox::eventFilter(QObject *watched, QEvent *event)
{
    // Plain text while the user edits, the display format otherwise.
    const bool focusEvent = watched == lineEdit()
                            && (event->type() == QEvent::FocusIn
                                || event->type() == QEvent::FocusOut);
    bool passing = false;
    if (focusEvent) {
        // The focus coming back from anywhere shows the plain text; a menu or a dialog taking
        // it for a while leaves the text as it is.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        passing = event->type() == QEvent::FocusIn
                      ? reason == Qt::PopupFocusReason
                      : reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason
                            || reason == Qt::MenuBarFocusReason;
    }
    if (focusEvent && !passing && event->type() == QEvent::FocusIn)
        showFormatted(false);
    const bool handled = EditBox::eventFilter(watched, event);
    if (focusEvent && !passing && event->type() == QEvent::FocusOut && !lineEdit()->hasFocus())
        showFormatted(true);
    return handled;
}

} // namespace host
