#include "satellites/proposal_balance.h"

#include <QLocale>

#include <cmath>
#include <optional>

namespace causali {

namespace {

constexpr qint64 FullShare = 10000; // 100% in hundredths

std::optional<int> sideOf(const QVariant &sign)
{
    bool ok = false;
    const int value = sign.toString().trimmed().toInt(&ok);
    if (!ok || (value != ProposalBalance::Debit && value != ProposalBalance::Credit))
        return std::nullopt;
    return value;
}

std::optional<qint64> hundredthsOf(const QVariant &percentage)
{
    if (!percentage.isValid() || percentage.isNull())
        return std::nullopt;
    QString text = percentage.toString().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return std::llround(value * 100.0);
}

QString percentText(qint64 hundredths)
{
    static const QLocale italian(QLocale::Italian, QLocale::Italy);
    QLocale locale = italian;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(double(hundredths) / 100.0, 'f', 2) + QLatin1Char('%');
}

} // namespace

void ProposalBalance::add(const QVariant &sign, const QVariant &percentage)
{
    const std::optional<int> side = sideOf(sign);
    if (!side)
        return;
    Total &total = m_sides[index(Side(*side))];
    ++total.rows;
    total.hundredths += hundredthsOf(percentage).value_or(0);
}

bool ProposalBalance::balanced(Side side) const
{
    const Total &total = m_sides[index(side)];
    return total.rows == 0 || total.hundredths == FullShare;
}

QString ProposalBalance::caption(Side side)
{
    return side == Debit ? QStringLiteral("Dare") : QStringLiteral("Avere");
}

QString ProposalBalance::sideText(Side side) const
{
    return caption(side) + QLatin1Char(' ') + percentText(hundredths(side));
}

QString ProposalBalance::unbalancedSides() const
{
    const bool debit = !balanced(Debit);
    const bool credit = !balanced(Credit);
    if (debit && credit)
        return caption(Debit) + QStringLiteral(" e ") + caption(Credit);
    if (debit)
        return caption(Debit);
    if (credit)
        return caption(Credit);
    return QString();
}

QString ProposalBalance::summary() const
{
    QString text = QStringLiteral("Totale: ") + sideText(Debit) + QStringLiteral(", ")
                   + sideText(Credit);
    const QString wrong = unbalancedSides();
    if (!wrong.isEmpty())
        text += QStringLiteral(" - non quadra (") + wrong
                + QStringLiteral(": il totale deve "
                                 "essere 100%)");
    return text;
}

} // namespace causali
