#include "header/linked_code_rules.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/sql_text.h"

namespace causali::linked_rules {

namespace {

constexpr int AccountTypeCount = 10;

// What tells the two boxes apart.
struct LinkedBoxTexts
{
    QString maskFunction; // the line that opens the mask function's call
    QString compatibleFunction;
    QString tableLine; // the line after FROM in the decode and the lookup
    QString title;
    QString lookupName;
    QString name; // the box's name, the handlers' prefix
};

const LinkedBoxTexts &textsOf(LinkedBox box)
{
    static const LinkedBoxTexts linked{
        QStringLiteral("    DBO.FNCI_CONCAUS_GETCONFIGMASK("),
        QStringLiteral("DBO.FNCI_CONCAUS_COMPATIBILE"),
        QStringLiteral("   CI03_CAUSALI WITH (NOLOCK) "),
        QStringLiteral("Elenco causali contabilità industriale collegabili"),
        QStringLiteral("Lkp_CauCont_Collegabili"),
        QStringLiteral("TXT_CAUCOLL"),
    };
    static const LinkedBoxTexts reference{
        QStringLiteral("    DBO.FNCI_CONCAUSRIF_GETCONFIGMASK("),
        QStringLiteral("DBO.FNCI_CONCAUSRIF_COMPATIBILE"),
        QStringLiteral("   CI03_CAUSALI WITH (NOLOCK)"),
        QStringLiteral("Causali collegabili da riferimento"),
        QStringLiteral("Lkp_CauCont_Collegabili_Rif"),
        QStringLiteral("TXT_CAUCOLLRIF"),
    };
    return box == LinkedBox::Linked ? linked : reference;
}

// The description of a code in the user's language, and the tables it comes from.
QStringList descriptionJoin(LinkedBox box, const QString &language)
{
    return {
        QStringLiteral(" FROM"),
        textsOf(box).tableLine,
        QStringLiteral(" LEFT OUTER JOIN CI99_DESLINGUA WITH (NOLOCK) "),
        QStringLiteral("   ON CI99_PROVID_FW4A = 903 "),
        QStringLiteral("  AND CI99_CODLINGUA_MG52 = ") + sql::quoted(language)
            + QStringLiteral(" "),
        QStringLiteral("  AND CI99_IDPROV = CI03_IDPROV "),
    };
}

// A coded column of the lookup shown by its captions: "   CASE column", one "WHEN" line per
// code, "   END AS column".
QStringList captionCase(const QString &column, const QStringList &captions, int firstCode = 0)
{
    QStringList lines{QStringLiteral("   ,"), QStringLiteral("   CASE ") + column};
    for (int i = 0; i < captions.size(); ++i)
        lines << QStringLiteral("       WHEN %1 THEN '%2'").arg(firstCode + i).arg(captions[i]);
    lines << QStringLiteral("   END AS ") + column;
    return lines;
}

QStringList lookupColumns()
{
    const QStringList noYes{QStringLiteral("No"), QStringLiteral("Sì")};
    QStringList lines{QStringLiteral(" SELECT"), QStringLiteral("   CI03_CODCAUS"),
                      QStringLiteral("   , CI99_DESCRIZIONE AS CI03_DESCR")};
    lines << captionCase(QStringLiteral("CI03_INDTIPOCOSRIC"),
                         {QStringLiteral("Costo"), QStringLiteral("Ricavo")});
    lines << captionCase(QStringLiteral("CI03_INDPROPCOSTO"),
                         {QStringLiteral("Nessuno"), QStringLiteral("Costo std anagrafico")});
    lines << captionCase(QStringLiteral("CI03_INDPROVCOSTO"),
                         {QStringLiteral("Da conto"),
                          QStringLiteral("Da voce di spesa o di ricavo"),
                          QStringLiteral("Nessuna")});
    lines << captionCase(QStringLiteral("CI03_INDTIPOMOVDATI"),
                         {QStringLiteral("Standard"), QStringLiteral("Magazzino"),
                          QStringLiteral("Manodopera"),
                          QStringLiteral("Ripartizione costi indiretti")});
    lines << QStringLiteral("   , CI03_CODCAUSCOLL") << QStringLiteral("   , CI03_MODELLO_CI04");
    lines << captionCase(QStringLiteral("CI03_INDSTAPER_CI04"),
                         {QStringLiteral("Standard"), QStringLiteral("Personalizzato")});
    lines << captionCase(QStringLiteral("CI03_FLGCOSTOMANOD"), noYes);
    lines << captionCase(QStringLiteral("CI03_FLGNUMAUTOM"), noYes);
    lines << captionCase(QStringLiteral("CI03_FLGAUTOMATICO"), noYes);
    return lines;
}

} // namespace

const QStringList &lookupCaptions()
{
    static const QStringList captions{
        QStringLiteral("Codice"),
        QStringLiteral("Descrizione"),
        QStringLiteral("Tipo costo/ricavo"),
        QStringLiteral("Tipo proposta conto"),
        QStringLiteral("Tipo provenienza costo"),
        QStringLiteral("Tipo movimentazione dati"),
        QStringLiteral("Causale collegata"),
        QStringLiteral("Modello"),
        QStringLiteral("Tipo modello"),
        QStringLiteral("Gestione costo manodopera"),
        QStringLiteral("Numerazione automatica"),
        QStringLiteral("Generazione registrazione automatica"),
    };
    return captions;
}

QString configMaskText(LinkedBox box, const QString &movement, const QStringList &flags)
{
    if (flags.size() != 2 * AccountTypeCount)
        ado::raise(5,
                   QStringLiteral("Servono %1 indicatori dei tipi conto, non %2")
                       .arg(2 * AccountTypeCount)
                       .arg(flags.size()),
                   QStringLiteral("configMaskText"));
    QStringList arguments;
    if (box == LinkedBox::Reference)
        arguments << movement;
    arguments << flags;
    QStringList lines{QStringLiteral("SELECT"), textsOf(box).maskFunction};
    for (int i = 0; i < arguments.size(); ++i)
        lines << (i == 0 ? QStringLiteral("        ") : QStringLiteral("        , "))
                     + arguments[i];
    lines << QStringLiteral("    )");
    return sql::lines(lines);
}

QString candidateCondition(LinkedBox box, const QString &model, const QString &modelType,
                           const QString &code, qint64 mask)
{
    return sql::lines({
               QStringLiteral(" WHERE"),
               QStringLiteral("   NOT EXISTS("),
               QStringLiteral("       SELECT"),
               QStringLiteral("           CO_COLLEGATA.FW28_FIELDNAME"),
               QStringLiteral("       FROM"),
               QStringLiteral("           ("),
               QStringLiteral("               SELECT DISTINCT"),
               QStringLiteral("                   FW28_DESIGNCAMPI.FW28_FIELDNAME"),
               QStringLiteral("               FROM"),
               QStringLiteral("                   CI03_CAUSALI AS CAUSALE"),
               QStringLiteral("                   INNER JOIN"),
               QStringLiteral("                   FW28_DESIGNCAMPI"),
               QStringLiteral("                   ON"),
               QStringLiteral("                   CAUSALE.CI03_MODELLO_CI04 = "
                              "FW28_DESIGNCAMPI.FW28_MODELLO_FW25"),
               QStringLiteral("                   AND CAUSALE.CI03_INDSTAPER_CI04 = "
                              "FW28_DESIGNCAMPI.FW28_INDSTAPER_FW25"),
               QStringLiteral("               WHERE"),
               QStringLiteral(
                   "                   CAUSALE.CI03_CODCAUS = CI03_CAUSALI.CI03_CODCAUS"),
               QStringLiteral("                   AND FW28_INDMODULO_FW25 = 2"),
               QStringLiteral("                   AND FW28_FLGVISIBILE = 1"),
               QStringLiteral("                   AND FW28_FLGABILITATO = 1"),
               QStringLiteral("                   AND FW28_OBBLIGATORIO = 1"),
               QStringLiteral("           ) AS CO_COLLEGATA"),
               QStringLiteral("           LEFT OUTER JOIN"),
               QStringLiteral("           ("),
               QStringLiteral("               SELECT DISTINCT"),
               QStringLiteral("                   FW28_DESIGNCAMPI.FW28_FIELDNAME"),
               QStringLiteral("               FROM"),
               QStringLiteral("                   FW28_DESIGNCAMPI"),
               QStringLiteral("               WHERE"),
               QStringLiteral("                   FW28_INDMODULO_FW25 = 2"),
               QStringLiteral("                   AND FW28_DESIGNCAMPI.FW28_MODELLO_FW25 = ")
                   + sql::quoted(model),
               QStringLiteral("                   AND FW28_DESIGNCAMPI.FW28_INDSTAPER_FW25 = ")
                   + sql::number(modelType, QStringLiteral("Il tipo modello")),
               QStringLiteral("                   AND FW28_FLGVISIBILE = 1"),
               QStringLiteral("                   AND FW28_FLGABILITATO = 1"),
               QStringLiteral("                   AND FW28_OBBLIGATORIO = 1"),
               QStringLiteral("           ) AS CO_PRINCIPALE"),
               QStringLiteral("           ON"),
               QStringLiteral(
                   "           CO_COLLEGATA.FW28_FIELDNAME = CO_PRINCIPALE.FW28_FIELDNAME"),
               QStringLiteral("       WHERE"),
               QStringLiteral("           CO_PRINCIPALE.FW28_FIELDNAME IS NULL"),
               QStringLiteral("   )"),
               QStringLiteral("   AND CI03_CAUSALI.CI03_CODCAUS <> ") + sql::quoted(code),
               QStringLiteral("   AND ") + textsOf(box).compatibleFunction
                   + QStringLiteral("(%1, CI03_CODCAUS) = 1").arg(mask),
           })
           + sql::crlf;
}

QStringList accountTypeFlags(const SideTypes &credit, const SideTypes &debit)
{
    QStringList flags;
    for (const SideTypes *side : {&credit, &debit}) {
        for (bool ticked : *side)
            flags << (ticked ? QStringLiteral("1") : QStringLiteral("0"));
    }
    return flags;
}

QString decodeText(LinkedBox box, const QString &language, const QString &model,
                   const QString &modelType, const QString &code, qint64 mask,
                   const QString &linked)
{
    QStringList head{QStringLiteral(" SELECT"),
                     QStringLiteral("   CI99_DESCRIZIONE AS CI03_DESCR")};
    head << descriptionJoin(box, language);
    return sql::lines(head) + sql::crlf + candidateCondition(box, model, modelType, code, mask)
           + QStringLiteral("   AND CI03_CAUSALI.CI03_CODCAUS = ") + sql::quoted(linked);
}

QString lookupText(LinkedBox box, const QString &language, const QString &model,
                   const QString &modelType, const QString &code, qint64 mask)
{
    QStringList head = lookupColumns();
    head << descriptionJoin(box, language);
    return sql::lines(head) + sql::crlf + candidateCondition(box, model, modelType, code, mask)
           + sql::lines({QStringLiteral(" ORDER BY"), QStringLiteral("   CI03_CODCAUS")});
}

QString lookupTitle(LinkedBox box)
{
    return textsOf(box).title;
}

QString lookupName(LinkedBox box)
{
    return textsOf(box).lookupName;
}

QString boxName(LinkedBox box)
{
    return textsOf(box).name;
}

qint64 configurationMask(ado::Connection &connection, LinkedBox box, const QString &movement,
                         const QStringList &flags)
{
    const std::unique_ptr<ado::Recordset> result = connection.Execute(
        configMaskText(box, movement, flags));
    if (!result || result->isEOF())
        ado::raise(3021, QStringLiteral("La maschera di configurazione della causale non è "
                                        "stata restituita dal database"));
    return qint64(ado::CLng(result->Fields(0).Value()));
}

} // namespace causali::linked_rules
