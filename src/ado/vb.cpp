#include "ado/vb.h"

#include "ado/error.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace ado {

namespace {

QLocale &sessionLocale()
{
    static QLocale locale(QLocale::Italian, QLocale::Italy);
    return locale;
}

} // namespace

void setConversionLocale(const QLocale &locale)
{
    sessionLocale() = locale;
}

QLocale conversionLocale()
{
    return sessionLocale();
}

namespace {

// A number read from text: value = (negative ? -1 : 1) * digits * 10^exponent, where digits has
// neither leading nor trailing zeros (empty for zero).
struct DecimalNumber
{
    bool negative = false;
    QString digits;
    int exponent = 0;
};

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Reads "[blanks][+|-]digits[.digits][E[+|-]digits][blanks]" where "." is the locale's
// decimal separator and the integer digits may be grouped by thousands with its group
// separator ("1.234.567,5" in Italian), or the texts "True" (-1) and "False" (0) as VB does.
// Anything else gives nothing.
std::optional<DecimalNumber> parseNumberText(const QString &text, const QLocale &locale,
                                             bool groups = true)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return DecimalNumber{true, QStringLiteral("1"), 0};
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return DecimalNumber{};
    const QString point = locale.decimalPoint();
    const QString group = groups ? locale.groupSeparator() : QString();

    DecimalNumber n;
    int i = 0;
    const int len = int(t.size());
    if (i < len && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        n.negative = t[i++] == QLatin1Char('-');
    QString mantissa;
    int fractionDigits = 0;
    bool seenPoint = false;
    int groupDigits = -1; // digits since the last group separator (-1: none seen)
    for (; i < len; ++i) {
        if (isAsciiDigit(t[i])) {
            mantissa += t[i];
            if (seenPoint)
                ++fractionDigits;
            else if (groupDigits >= 0)
                ++groupDigits;
        } else if (!seenPoint && !point.isEmpty() && QStringView(t).mid(i).startsWith(point)) {
            if (groupDigits >= 0 && groupDigits != 3)
                return std::nullopt;
            seenPoint = true;
            i += int(point.size()) - 1;
        } else if (!seenPoint && !group.isEmpty() && !mantissa.isEmpty() && group != point
                   && QStringView(t).mid(i).startsWith(group)
                   && (groupDigits < 0 ? mantissa.size() <= 3 : groupDigits == 3)) {
            groupDigits = 0;
            i += int(group.size()) - 1;
        } else {
            break;
        }
    }
    if (mantissa.isEmpty() || (!seenPoint && groupDigits >= 0 && groupDigits != 3))
        return std::nullopt;
    long long exponent = 0;
    if (i < len && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        bool negativeExponent = false;
        if (i < len && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            negativeExponent = t[i++] == QLatin1Char('-');
        const int start = i;
        for (; i < len && isAsciiDigit(t[i]); ++i) {
            if (exponent < 100000)
                exponent = exponent * 10 + t[i].digitValue();
        }
        if (i == start)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != len)
        return std::nullopt;

    int first = 0;
    while (first < mantissa.size() && mantissa[first] == QLatin1Char('0'))
        ++first;
    int last = int(mantissa.size());
    while (last > first && mantissa[last - 1] == QLatin1Char('0'))
        --last;
    n.digits = mantissa.mid(first, last - first);
    n.exponent = int(exponent) - fractionDigits + (int(mantissa.size()) - last);
    if (n.digits.isEmpty()) {
        n.negative = false;
        n.exponent = 0;
    }
    return n;
}

QString describe(const QVariant &v)
{
    if (v.typeId() == QMetaType::QString)
        return QLatin1Char('"') + v.toString() + QLatin1Char('"');
    return QStringLiteral("a value of type ") + QString::fromLatin1(v.typeName());
}

// Text as the session reads it: by its locale, or else in the locale-independent form the
// helpers write ("-12.34", "1e3", no group separators), so NormalizzaNumero's text reads
// back. A text valid both ways is read by the locale ("1.234" is 1234 in Italian).
std::optional<DecimalNumber> readNumberText(const QString &text)
{
    if (auto n = parseNumberText(text, conversionLocale()))
        return n;
    return parseNumberText(text, QLocale::c(), false);
}

[[noreturn]] void typeMismatch(const QVariant &v, const char *function, const char *what)
{
    raise(TypeMismatch,
          QStringLiteral("Type mismatch: %1 is not %2").arg(describe(v), QLatin1String(what)),
          QLatin1String(function));
}

[[noreturn]] void nullUse(const char *function)
{
    raise(InvalidUseOfNull, QStringLiteral("Invalid use of Null"), QLatin1String(function));
}

[[noreturn]] void overflow(const QString &value, const char *function, const char *range)
{
    raise(Overflow,
          QStringLiteral("Overflow: %1 is outside the range %2").arg(value, QLatin1String(range)),
          QLatin1String(function));
}

// VB shows a Double with up to 15 significant digits, in exponent form "1E+15" / "1E-05" when
// the fixed form would need more.
QString formatDouble(double d, int significantDigits)
{
    QString s = QString::number(d, 'g', significantDigits);
    return s.toUpper();
}

bool isNumericType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// The value as a Double, following VB's coercions; `function` names the caller in errors.
double toDouble(const QVariant &v, const char *function)
{
    if (isNull(v))
        nullUse(function);
    if (isEmpty(v))
        return 0.0;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? -1.0 : 0.0;
    if (isNumericType(v.typeId()))
        return v.toDouble();
    if (v.typeId() != QMetaType::QString)
        typeMismatch(v, function, "a number");
    const auto n = readNumberText(v.toString());
    if (!n)
        typeMismatch(v, function, "a number");
    if (n->digits.isEmpty())
        return 0.0;
    const QByteArray text = n->digits.toLatin1() + 'e' + QByteArray::number(n->exponent);
    double d = 0.0;
    const auto result = std::from_chars(text.constData(), text.constData() + text.size(), d);
    if (result.ec == std::errc::result_out_of_range) {
        if (n->digits.size() + n->exponent > 0)
            overflow(v.toString().trimmed(), function, "of a Double");
        d = 0.0;
    }
    return n->negative ? -d : d;
}

template<typename Int>
Int toRoundedInteger(const QVariant &v, const char *function, const char *range)
{
    if (isNull(v))
        nullUse(function);
    if (isEmpty(v))
        return 0;
    const int t = v.typeId();
    if (t == QMetaType::LongLong || t == QMetaType::Int || t == QMetaType::Long
        || t == QMetaType::Short || t == QMetaType::SChar || t == QMetaType::Char) {
        const qlonglong n = v.toLongLong();
        if (n < std::numeric_limits<Int>::min() || n > std::numeric_limits<Int>::max())
            overflow(QString::number(n), function, range);
        return Int(n);
    }
    if (t == QMetaType::ULongLong || t == QMetaType::UInt || t == QMetaType::ULong
        || t == QMetaType::UShort || t == QMetaType::UChar) {
        const qulonglong n = v.toULongLong();
        if (n > qulonglong(std::numeric_limits<Int>::max()))
            overflow(QString::number(n), function, range);
        return Int(n);
    }
    // Banker's rounding: the default floating-point rounding mode rounds half to even.
    const double rounded = std::nearbyint(toDouble(v, function));
    if (!(rounded >= double(std::numeric_limits<Int>::min())
          && rounded < double(std::numeric_limits<Int>::max()) + 1.0))
        overflow(isNumericType(t) ? formatDouble(v.toDouble(), 15) : v.toString().trimmed(),
                 function, range);
    return Int(rounded);
}

// Decimal text of n as VB's Decimal keeps it: at most 29 significant digits and 28 decimals
// (rounded half to even beyond them), Overflow past 79228162514264337593543950335.
QString decimalText(const DecimalNumber &n, const QString &original)
{
    if (n.digits.isEmpty())
        return QStringLiteral("0");
    QString intPart;
    QString fraction;
    if (n.exponent >= 0) {
        intPart = n.digits + QString(n.exponent, QLatin1Char('0'));
    } else if (-n.exponent >= n.digits.size()) {
        fraction = QString(-n.exponent - int(n.digits.size()), QLatin1Char('0')) + n.digits;
    } else {
        intPart = n.digits.left(n.digits.size() + n.exponent);
        fraction = n.digits.right(-n.exponent);
    }
    const QString maxDecimal = QStringLiteral("79228162514264337593543950335");
    auto tooBig = [&](const QString &i) {
        return i.size() > maxDecimal.size() || (i.size() == maxDecimal.size() && i > maxDecimal);
    };
    if (tooBig(intPart))
        overflow(original, "NormalizzaNumero", "of a Decimal");

    const int maxScale = std::min<int>(28, std::max<int>(0, 29 - int(intPart.size())));
    if (fraction.size() > maxScale) {
        const QChar next = fraction[maxScale];
        const QString rest = fraction.mid(maxScale + 1);
        const bool restNonZero = std::any_of(rest.cbegin(), rest.cend(),
                                             [](QChar c) { return c != QLatin1Char('0'); });
        QString kept = intPart + fraction.left(maxScale);
        const QChar lastKept = kept.isEmpty() ? QLatin1Char('0') : kept.back();
        const bool roundUp = next > QLatin1Char('5')
                             || (next == QLatin1Char('5')
                                 && (restNonZero || lastKept.digitValue() % 2 == 1));
        if (roundUp) {
            int k = int(kept.size()) - 1;
            while (k >= 0 && kept[k] == QLatin1Char('9'))
                kept[k--] = QLatin1Char('0');
            if (k >= 0)
                kept[k] = QChar(kept[k].unicode() + 1);
            else
                kept.prepend(QLatin1Char('1'));
        }
        const int newIntSize = int(kept.size()) - maxScale;
        intPart = kept.left(newIntSize);
        fraction = kept.mid(newIntSize);
        if (tooBig(intPart))
            overflow(original, "NormalizzaNumero", "of a Decimal");
    }
    while (!fraction.isEmpty() && fraction.back() == QLatin1Char('0'))
        fraction.chop(1);
    while (intPart.size() > 1 && intPart.front() == QLatin1Char('0'))
        intPart.remove(0, 1);
    if (intPart.isEmpty())
        intPart = QStringLiteral("0");
    QString result = fraction.isEmpty() ? intPart : intPart + QLatin1Char('.') + fraction;
    if (result == QLatin1String("0"))
        return result;
    return n.negative ? QLatin1Char('-') + result : result;
}

} // namespace

QVariant Empty()
{
    return QVariant();
}

QVariant Null()
{
    return QVariant::fromValue(nullptr);
}

bool isEmpty(const QVariant &v)
{
    return !v.isValid();
}

bool isNull(const QVariant &v)
{
    return v.typeId() == QMetaType::Nullptr;
}

bool isMissing(const QVariant &v)
{
    return isEmpty(v) || isNull(v);
}

QString NormalizzaStringa()
{
    return QString();
}

QString NormalizzaStringa(const QVariant &value)
{
    QString s = isMissing(value) ? QString() : CStr(value);
    qsizetype end = s.size();
    while (end > 0 && s[end - 1] == QLatin1Char(' '))
        --end;
    s.truncate(end);
    return s;
}

QString NormalizzaNumero(const QVariant &value)
{
    const QString text = NormalizzaStringa(value);
    if (text.isEmpty())
        return QStringLiteral("0");
    // Text is read by the locale; a number's own text (CStr) is the locale-independent one.
    const auto n = value.typeId() == QMetaType::QString ? readNumberText(text)
                                                        : parseNumberText(text, QLocale::c());
    if (!n)
        raise(TypeMismatch, QStringLiteral("Type mismatch: \"%1\" is not a number").arg(text),
              QStringLiteral("NormalizzaNumero"));
    return decimalText(*n, text);
}

QVariant ValueOrDefault(const QVariant &value, const QVariant &defaultValue)
{
    return isMissing(value) ? defaultValue : value;
}

QString CStr(const QVariant &v)
{
    if (isNull(v))
        nullUse("CStr");
    if (isEmpty(v))
        return QString();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        return formatDouble(v.toDouble(), 15);
    case QMetaType::Float:
        return formatDouble(double(v.toFloat()), 7);
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default:
        break;
    }
    if (v.canConvert<QString>())
        return v.toString();
    typeMismatch(v, "CStr", "convertible to text");
}

qint16 CInt(const QVariant &v)
{
    return toRoundedInteger<qint16>(v, "CInt", "-32768 to 32767 of an Integer");
}

qint32 CLng(const QVariant &v)
{
    return toRoundedInteger<qint32>(v, "CLng", "-2147483648 to 2147483647 of a Long");
}

qint64 CLngLng(const QVariant &v)
{
    return toRoundedInteger<qint64>(v, "CLngLng",
                                    "-9223372036854775808 to 9223372036854775807 of a LongLong");
}

double CDbl(const QVariant &v)
{
    return toDouble(v, "CDbl");
}

bool CBool(const QVariant &v)
{
    if (isNull(v))
        nullUse("CBool");
    if (isEmpty(v))
        return false;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (isNumericType(v.typeId()))
        return v.toDouble() != 0.0;
    if (v.typeId() == QMetaType::QString) {
        const auto n = readNumberText(v.toString());
        if (!n)
            typeMismatch(v, "CBool", "True, False or a number");
        return !n->digits.isEmpty();
    }
    typeMismatch(v, "CBool", "True, False or a number");
}

namespace {

// The order of day, month and year in the locale's short date: "dmy", "mdy" or "ymd".
QString dateOrder(const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat).toLower();
    QString order;
    for (const QChar c : format) {
        const QChar part = c == u'd' ? u'd' : c == u'm' ? u'm' : c == u'y' ? u'y' : QChar();
        if (!part.isNull() && !order.contains(part))
            order += part;
    }
    return order.size() == 3 ? order : QStringLiteral("dmy");
}

std::optional<QDateTime> dateFromText(const QString &text, const QLocale &locale)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\s*(\\d{1,4})[/.-](\\d{1,2})[/.-](\\d{1,4})"
                       "(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?\\s*$"));
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString order = m.captured(1).size() == 4 ? QStringLiteral("ymd") : dateOrder(locale);
    int day = 0;
    int month = 0;
    int year = 0;
    for (int i = 0; i < 3; ++i) {
        const int value = m.captured(i + 1).toInt();
        (order[i] == u'd' ? day : order[i] == u'm' ? month : year) = value;
        if (order[i] == u'y' && m.captured(i + 1).size() <= 2)
            year = value < 30 ? 2000 + value : 1900 + value;
    }
    const QDate date(year, month, day);
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

} // namespace

QDateTime CDate(const QVariant &v)
{
    static const QDateTime dayZero(QDate(1899, 12, 30), QTime(0, 0));
    if (isNull(v))
        nullUse("CDate");
    if (isEmpty(v))
        return dayZero;
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    if (isNumericType(v.typeId())) {
        const double days = v.toDouble();
        if (!(std::fabs(days) < 2958466.0))
            overflow(formatDouble(days, 15), "CDate", "of a Date");
        return dayZero.addMSecs(qint64(std::llround(days * 86400000.0)));
    }
    if (v.typeId() == QMetaType::QString) {
        if (const auto date = dateFromText(v.toString(), conversionLocale()))
            return *date;
    }
    typeMismatch(v, "CDate", "a date");
}

} // namespace ado
