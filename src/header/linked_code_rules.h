#pragma once
// The compatibility of linked reason codes, as SQL texts over the database: a candidate's
// model may ask for no mandatory field that the edited code's model lacks, and the server's
// compatibility function must accept it for the configuration mask of the edited code (its
// account types, and for the reference field its data movement). The header's boxes decode and
// list with these texts; the import of codes asks the same questions.

#include "header/header_rules.h"

#include <QStringList>

#include <array>

namespace ado {
class Connection;
}

namespace causali::linked_rules {

// Ticked account types of one side, items 0 to 9 of the account-type lists.
using SideTypes = std::array<bool, 10>;

// "1" or "0" for items 0 to 9 of the credit side, then of the debit side: a flag's position
// is its account type, the order the server functions expect.
QStringList accountTypeFlags(const SideTypes &credit, const SideTypes &debit);

// The text that asks the server for the configuration mask of the edited code; the reference
// field puts the movement first.
QString configMaskText(LinkedBox box, const QString &movement, const QStringList &flags);
// The WHERE part shared by the decode and the lookup of a linked field.
QString candidateCondition(LinkedBox box, const QString &model, const QString &modelType,
                           const QString &code, qint64 mask);
// The decode of `linked`: one row (its description in `language`) when it is compatible.
QString decodeText(LinkedBox box, const QString &language, const QString &model,
                   const QString &modelType, const QString &code, qint64 mask,
                   const QString &linked);
// The list of compatible codes, ordered by code.
QString lookupText(LinkedBox box, const QString &language, const QString &model,
                   const QString &modelType, const QString &code, qint64 mask);
const QStringList &lookupCaptions();
QString lookupTitle(LinkedBox box);
QString lookupName(LinkedBox box);
// The name of the box that edits the field ("TXT_CAUCOLL", "TXT_CAUCOLLRIF").
QString boxName(LinkedBox box);

// Runs configMaskText on `connection`; raises 3021 when the server returns nothing.
qint64 configurationMask(ado::Connection &connection, LinkedBox box, const QString &movement,
                         const QStringList &flags);

} // namespace causali::linked_rules
