#pragma once
// One reason why a reason code cannot be saved as it is, as the rules of the header and of the
// lists give it: the field (a column name, or a list and its row) and the reason in Italian.

#include <QList>
#include <QString>

namespace causali {

struct RuleRefusal
{
    QString field;
    QString reason;

    bool operator==(const RuleRefusal &) const = default;
};
using RuleRefusals = QList<RuleRefusal>;

} // namespace causali
