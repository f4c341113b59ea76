#pragma once
// The rules of a reason code's header, over its values alone: what the header's handlers
// apply while the user edits (what the data movement and the standard cost imply for the
// other fields) and what refuses a save (description, standard-cost source, lengths and coded
// values, the model, the linked codes). The window shows the refusals and moves the focus;
// the import of codes from a file applies the same rules without a window.

#include "data/rule_refusal.h"

#include <QList>
#include <QString>

#include <optional>

namespace causali {

// A reason code's header as stored in CI03_CAUSALI (the columns the editor writes).
struct HeaderFields
{
    QString code;            // CI03_CODCAUS
    QString description;     // CI03_DESCR, the base-language description
    int costRevenue = 0;     // CI03_INDTIPOCOSRIC
    int movement = 0;        // CI03_INDTIPOMOVDATI
    int standardCost = 0;    // CI03_INDPROPCOSTO
    int costSource = 2;      // CI03_INDPROVCOSTO
    int modelType = 0;       // CI03_INDSTAPER_CI04
    QString model;           // CI03_MODELLO_CI04
    QString linked;          // CI03_CODCAUSCOLL
    QString linkedReference; // CI03_CAUSCOLLRIF_CI03
    int valuation = 0;       // CI03_INDREGVALQTA
    int autoNumbering = 0;   // CI03_FLGNUMAUTOM
    int projects = 0;        // CI03_FLGRILPROG

    bool operator==(const HeaderFields &) const = default;
};

// The two linked-code fields: CI03_CODCAUSCOLL (Linked) and CI03_CAUSCOLLRIF_CI03 (Reference).
enum class LinkedBox { Linked, Reference };

// What the header's save needs from the database.
class HeaderLookups
{
public:
    virtual ~HeaderLookups() = default;
    // The model exists among the models of its type.
    virtual bool modelExists(int modelType, const QString &model) = 0;
    // `linked` is among the codes the linked field of `fields` may hold: the compatibility the
    // editor's decode of that field applies (model, account types, data movement).
    virtual bool linkedCompatible(LinkedBox box, const HeaderFields &fields,
                                  const QString &linked) = 0;
};

namespace header_rules {

// No data movement chosen (an empty combo); the coded values are those of data/value_domains.h.
constexpr int NoMovement = -1;

// Editor limits of the header's texts.
constexpr int CodeLength = 4;
constexpr int DescriptionLength = 40;
constexpr int ModelLength = 14;

// The value of a combo or field text as a code: NoMovement (-1) for an empty text.
int codeOfText(const QString &text);

// What a data movement means for the other fields.
struct MovementEffects
{
    bool autoNumberingForced; // labour and allocation number their postings automatically
    bool autoNumberingEditable;
    bool referenceAllowed; // the linked code for reference movements (stock, labour)
    bool projectsAllowed;  // project tracking: allocation only
};
MovementEffects movementEffects(int movement);

// The cost source to set when the standard cost becomes `standardCost`: none without
// standard cost, from the account when standard cost is chosen and no source was; nothing
// to change otherwise.
std::optional<int> costSourceAfterStandardCost(int standardCost, int currentSource);

// Standard cost from master data needs a source other than "Nessuna".
bool standardCostNeedsSource(int standardCost, int costSource);
// The description is missing (empty or blanks only).
bool descriptionMissing(const QString &description);
// A linked code may not be the code itself (an empty one is always accepted).
bool linkedDiffers(const QString &code, const QString &linked);

// Messages of the refusals, as the window shows them.
QString standardCostSourceMessage();
QString linkedSameAsCodeMessage(LinkedBox box);
QString linkedRefusalMessage(LinkedBox box, const QString &linked);
// The model is not among the models of its type; `typeCaption` empty when no type is chosen.
QString modelNotFoundMessage(const QString &model, const QString &typeCaption);
// The caption of a model type (D5), empty for an unknown one.
QString modelTypeCaption(int modelType);

// Every refusal of a header about to be saved: what the window refuses before and while
// writing the header row, and what its controls make impossible to enter (coded values outside
// their lists, texts too long, flags the data movement forbids).
RuleRefusals checkHeader(const HeaderFields &fields, HeaderLookups &lookups);

} // namespace header_rules

} // namespace causali
