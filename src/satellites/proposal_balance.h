#pragma once
// The balance of a posting proposal: the percentages of each side ("Dare", "Avere") added up.
// A side that has rows is balanced when its rows total exactly 100%; a side without rows says
// nothing about the proposal. Percentages are kept to the hundredth, as the table stores them,
// and added as whole hundredths so that 33,33 + 33,33 + 33,34 is exactly 100.

#include <QString>
#include <QVariant>

#include <array>

namespace causali {

class ProposalBalance
{
public:
    // Posting signs of CI10_INDSEGNO / SEGNO.
    enum Side { Debit = 1, Credit = 2 };

    // Adds one row. A sign that is neither 1 nor 2 (a row still being entered) and a missing
    // percentage count as nothing; a percentage given as text may use ',' or '.'.
    void add(const QVariant &sign, const QVariant &percentage);

    int rows(Side side) const { return m_sides[index(side)].rows; }
    // The side's total in hundredths of a percent point (10000 = 100%).
    qint64 hundredths(Side side) const { return m_sides[index(side)].hundredths; }
    bool balanced(Side side) const;
    // Every side with rows totals 100%.
    bool balanced() const { return balanced(Debit) && balanced(Credit); }

    // "Dare 100,00%" / "Avere 60,00%": the side's caption and total, Italian style.
    QString sideText(Side side) const;
    // The summary shown under the grid: both sides, and what does not balance.
    QString summary() const;
    // The sides that do not balance, named ("Dare", "Avere", "Dare e Avere"); empty when
    // balanced.
    QString unbalancedSides() const;

    static QString caption(Side side);

private:
    struct Total
    {
        int rows = 0;
        qint64 hundredths = 0;
    };
    static int index(Side side) { return side == Debit ? 0 : 1; }

    std::array<Total, 2> m_sides{};
};

} // namespace causali
