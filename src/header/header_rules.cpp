#include "header/header_rules.h"

#include "data/value_domains.h"
#include "host/message_dictionary.h"

namespace causali::header_rules {

namespace {

// A text the editor's upper-case box would hold: no lower-case letter, no blank at either end.
bool isUpperCode(const QString &text)
{
    return text == text.toUpper() && text == text.trimmed();
}

void refuseDomain(RuleRefusals &out, const ValueDomain &domain, int value)
{
    if (!findItem(domain, value))
        out.append({domain.column, QStringLiteral("Valore %1 non previsto per \"%2\".")
                                       .arg(value)
                                       .arg(domain.comboCaption)});
}

void refuseText(RuleRefusals &out, const QString &column, const QString &caption,
                const QString &text, int length)
{
    if (text.size() > length)
        out.append(
            {column,
             QStringLiteral("%1 troppo lungo: al massimo %2 caratteri.").arg(caption).arg(length)});
    else if (!isUpperCode(text))
        out.append({column, QStringLiteral("%1 \"%2\" non valido: solo lettere maiuscole, "
                                           "senza spazi iniziali o finali.")
                                .arg(caption, text)});
}

void refuseLinked(RuleRefusals &out, LinkedBox box, const HeaderFields &fields,
                  HeaderLookups &lookups)
{
    const bool linked = box == LinkedBox::Linked;
    const QString column = linked ? QStringLiteral("CI03_CODCAUSCOLL")
                                  : QStringLiteral("CI03_CAUSCOLLRIF_CI03");
    const QString code = linked ? fields.linked : fields.linkedReference;
    if (code.isEmpty())
        return;
    if (!linked && !movementEffects(fields.movement).referenceAllowed) {
        out.append({column, QStringLiteral("La causale per movimento da riferimento è ammessa "
                                           "solo con movimentazione Magazzino o Manodopera.")});
        return;
    }
    if (!linkedDiffers(fields.code, code))
        out.append({column, linkedSameAsCodeMessage(box)});
    else if (!lookups.linkedCompatible(box, fields, code))
        out.append({column, linkedRefusalMessage(box, code)});
}

} // namespace

int codeOfText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return NoMovement;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    return ok ? int(value) : NoMovement;
}

MovementEffects movementEffects(int movement)
{
    const bool automatic = movement == MovManodopera || movement == MovRipartizione;
    return {automatic, !automatic, movement == MovMagazzino || movement == MovManodopera,
            movement == MovRipartizione};
}

std::optional<int> costSourceAfterStandardCost(int standardCost, int currentSource)
{
    if (standardCost != PropCostoAnagrafico)
        return ProvNessuna;
    if (currentSource == ProvNessuna)
        return ProvDaConto;
    return std::nullopt;
}

bool standardCostNeedsSource(int standardCost, int costSource)
{
    return standardCost == PropCostoAnagrafico && costSource == ProvNessuna;
}

bool descriptionMissing(const QString &description)
{
    return description.trimmed().isEmpty();
}

bool linkedDiffers(const QString &code, const QString &linked)
{
    return code.isEmpty() || linked.isEmpty() || code != linked;
}

QString standardCostSourceMessage()
{
    return QStringLiteral("Occorre specificare la provenienza del costo standard");
}

QString linkedSameAsCodeMessage(LinkedBox box)
{
    return box == LinkedBox::Linked
               ? QStringLiteral("La causale collegata deve essere diversa dalla causale gestita")
               : QStringLiteral("La causale collegata per movimento da riferimento deve essere "
                                "diversa dalla causale gestita");
}

QString linkedRefusalMessage(LinkedBox box, const QString &linked)
{
    const QString text =
        box == LinkedBox::Linked
            ? QStringLiteral("La causale \"%1\" non può essere la causale collegata: non esiste "
                             "oppure non è compatibile con il modello e i tipi conto della "
                             "causale gestita.")
            : QStringLiteral("La causale \"%1\" non può essere la causale per movimento da "
                             "riferimento: non esiste oppure non è compatibile con il modello, "
                             "la movimentazione dati e i tipi conto della causale gestita.");
    return text.arg(linked) + QStringLiteral(" Premere F3 per l'elenco delle causali collegabili.");
}

QString modelNotFoundMessage(const QString &model, const QString &typeCaption)
{
    if (typeCaption.isEmpty())
        return QStringLiteral("Il modello \"%1\" non esiste: scegliere prima il tipo modello.")
            .arg(model);
    return QStringLiteral("Il modello \"%1\" non esiste tra i modelli di tipo \"%2\": "
                          "sceglierne uno dall'elenco (F3) o crearlo con la gestione modelli (F4).")
        .arg(model, typeCaption);
}

QString modelTypeCaption(int modelType)
{
    const DomainItem *item = findItem(domainTipoModello(), modelType);
    return item ? item->caption : QString();
}

RuleRefusals checkHeader(const HeaderFields &fields, HeaderLookups &lookups)
{
    RuleRefusals out;
    const host::MessageDictionary messages;
    if (fields.code.isEmpty())
        out.append({QStringLiteral("CI03_CODCAUS"), QStringLiteral("Codice causale mancante.")});
    else
        refuseText(out, QStringLiteral("CI03_CODCAUS"), QStringLiteral("Codice causale"),
                   fields.code, CodeLength);
    if (descriptionMissing(fields.description))
        out.append({QStringLiteral("CI03_DESCR"), messages.GetText(host::msg::DescriptionMissing)});
    else if (fields.description.size() > DescriptionLength)
        out.append({QStringLiteral("CI03_DESCR"),
                    QStringLiteral("Descrizione troppo lunga: al massimo %1 caratteri.")
                        .arg(DescriptionLength)});
    refuseDomain(out, domainTipoCosto(), fields.costRevenue);
    refuseDomain(out, domainMovDati(), fields.movement);
    refuseDomain(out, domainPropCosto(), fields.standardCost);
    refuseDomain(out, domainProvCosto(), fields.costSource);
    refuseDomain(out, domainTipoModello(), fields.modelType);
    refuseDomain(out, domainQtaValore(), fields.valuation);
    if (standardCostNeedsSource(fields.standardCost, fields.costSource))
        out.append({QStringLiteral("CI03_INDPROVCOSTO"),
                    messages.GetText(host::msg::StandardCostNeedsSource)});
    else if (fields.standardCost != PropCostoAnagrafico && fields.costSource != ProvNessuna)
        out.append({QStringLiteral("CI03_INDPROVCOSTO"),
                    QStringLiteral("La provenienza del costo si indica solo con il costo std "
                                   "anagrafico.")});
    const MovementEffects effects = movementEffects(fields.movement);
    if (fields.autoNumbering != 0 && fields.autoNumbering != 1)
        out.append({QStringLiteral("CI03_FLGNUMAUTOM"), QStringLiteral("Valore 0 o 1.")});
    else if (effects.autoNumberingForced && fields.autoNumbering != 1)
        out.append({QStringLiteral("CI03_FLGNUMAUTOM"),
                    QStringLiteral("Con questa movimentazione dati la numerazione è "
                                   "automatica.")});
    if (fields.projects != 0 && fields.projects != 1)
        out.append({QStringLiteral("CI03_FLGRILPROG"), QStringLiteral("Valore 0 o 1.")});
    else if (fields.projects == 1 && !effects.projectsAllowed)
        out.append({QStringLiteral("CI03_FLGRILPROG"),
                    QStringLiteral("La rilevazione nel modulo progetti è ammessa solo con la "
                                   "ripartizione costi indiretti.")});
    if (fields.model.isEmpty()) {
        out.append({QStringLiteral("CI03_MODELLO_CI04"),
                    QStringLiteral("Codice modello di movimento mancante.")});
    } else if (fields.model.size() > ModelLength || !isUpperCode(fields.model)) {
        refuseText(out, QStringLiteral("CI03_MODELLO_CI04"), QStringLiteral("Codice modello"),
                   fields.model, ModelLength);
    } else if (findItem(domainTipoModello(), fields.modelType)
               && !lookups.modelExists(fields.modelType, fields.model)) {
        out.append({QStringLiteral("CI03_MODELLO_CI04"),
                    modelNotFoundMessage(fields.model, modelTypeCaption(fields.modelType))});
    }
    refuseLinked(out, LinkedBox::Linked, fields, lookups);
    refuseLinked(out, LinkedBox::Reference, fields, lookups);
    return out;
}

} // namespace causali::header_rules
