#pragma once
// VB-like values and conversions used wherever the module reads control texts and fields.
//
// Empty is an invalid QVariant(); Null is QVariant::fromValue(nullptr). Conversions that VB
// would refuse raise ado::RuntimeError: 13 "Type mismatch", 6 "Overflow".
//
// Text is read as a number by the session's locale, as VB reads it by the user's settings:
// Italian by default ("1,5" is 1.5, "1.234,5" is 1234.5; group separators count only between
// groups of three digits). The texts these helpers write stay locale-independent ("1.5"),
// because they go into SQL texts and criteria, which never follow the locale; so a text that
// is no number in the locale is also read in that form ("0.5", "-12.34", no group
// separators), and NormalizzaNumero's text reads back. A text valid both ways is read by the
// locale: "1.234" is 1234 in Italian. NormalizzaNumero reads text that way and writes the
// locale-independent text.

#include <QString>
#include <QVariant>

class QDateTime;
class QLocale;

namespace ado {

// The locale text is read by (the program's --locale; Italian until set).
void setConversionLocale(const QLocale &locale);
QLocale conversionLocale();

QVariant Empty();
QVariant Null();
bool isEmpty(const QVariant &v);
bool isNull(const QVariant &v);
// Empty or Null: the value a VB "& \"\"" turns into "".
bool isMissing(const QVariant &v);

// "" for a missing argument; otherwise the value as text (Null gives "") with trailing blanks
// removed.
QString NormalizzaStringa();
QString NormalizzaStringa(const QVariant &value);
// "0" when NormalizzaStringa(value) is ""; otherwise that text as a decimal number and back.
QString NormalizzaNumero(const QVariant &value);
// The value, or the default when the value is Empty or Null.
QVariant ValueOrDefault(const QVariant &value, const QVariant &defaultValue);

// VB CStr: Empty gives "", Null raises 94 "Invalid use of Null".
QString CStr(const QVariant &v);
// VB CInt / CLng: round half to even, Overflow (6) outside the range, Type mismatch (13) for
// text that is not a number; Empty gives 0; Null raises 94.
qint16 CInt(const QVariant &v);
qint32 CLng(const QVariant &v);
qint64 CLngLng(const QVariant &v);
double CDbl(const QVariant &v);
// VB CBool: numbers are True when not 0; "True"/"False" texts; others Type mismatch.
bool CBool(const QVariant &v);
// VB CDate: text as a date in the order of the locale's short date (day, month, year in
// Italian: "5/12/2026", "05-12-26", "5.12.2026 14:30"), or ISO "2026-12-05[ 14:30[:00]]";
// two-digit years 00-29 are 2000-2029, 30-99 1930-1999. A number counts days from
// 1899-12-30 (VB's Date), the fraction being the time. Empty gives 1899-12-30 00:00.
QDateTime CDate(const QVariant &v);

// Error numbers raised by the conversions above.
enum VbError : long { Overflow = 6, TypeMismatch = 13, InvalidUseOfNull = 94 };

} // namespace ado
