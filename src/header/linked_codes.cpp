// The linked reason codes of the header: TXT_CAUCOLL (the linked code, which posts the
// counter-entry) and TXT_CAUCOLLRIF (the code of the movements generated from a reference
// account). Both are decoded, listed and accepted only among the codes compatible with the one
// edited: a candidate's model may ask for no mandatory field that the edited code's model
// lacks, and the server's compatibility function must accept it for the configuration mask of
// the edited code (its account types, and for the reference box its data movement).

#include "header/header_panel.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/sql_text.h"
#include "data/window_state.h"
#include "host/check_list.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/dialogs.h"
#include "host/handler_connection.h"
#include "satellites/account_checks_page.h"
#include "satellites/editor_context.h"
#include "satellites/page_support.h"

#include <QScopedValueRollback>

namespace causali {

namespace {

const QString Attenzione = QStringLiteral("Attenzione");
constexpr int AccountTypeCount = 10;

// What tells the two boxes apart.
struct LinkedBoxTexts
{
    QString maskFunction;       // the line that opens the mask function's call
    QString compatibleFunction;
    QString tableLine;          // the line after FROM in the decode and the lookup
    QString title;
    QString lookupName;
    QString differsMessage;     // the linked code equals the code edited
    QString name;               // the box's name, the handlers' prefix
};

const LinkedBoxTexts &textsOf(HeaderPanel::LinkedBox box)
{
    static const LinkedBoxTexts linked{
        QStringLiteral("    DBO.FNCI_CONCAUS_GETCONFIGMASK("),
        QStringLiteral("DBO.FNCI_CONCAUS_COMPATIBILE"),
        QStringLiteral("   CI03_CAUSALI WITH (NOLOCK) "),
        QStringLiteral("Elenco causali contabilità industriale collegabili"),
        QStringLiteral("Lkp_CauCont_Collegabili"),
        QStringLiteral("La causale collegata deve essere diversa dalla causale gestita"),
        QStringLiteral("TXT_CAUCOLL"),
    };
    static const LinkedBoxTexts reference{
        QStringLiteral("    DBO.FNCI_CONCAUSRIF_GETCONFIGMASK("),
        QStringLiteral("DBO.FNCI_CONCAUSRIF_COMPATIBILE"),
        QStringLiteral("   CI03_CAUSALI WITH (NOLOCK)"),
        QStringLiteral("Causali collegabili da riferimento"),
        QStringLiteral("Lkp_CauCont_Collegabili_Rif"),
        QStringLiteral("La causale collegata per movimento da riferimento deve essere diversa "
                       "dalla causale gestita"),
        QStringLiteral("TXT_CAUCOLLRIF"),
    };
    return box == HeaderPanel::LinkedBox::Linked ? linked : reference;
}

QString handlerName(HeaderPanel::LinkedBox box, const char *event)
{
    return textsOf(box).name + QLatin1Char('_') + QLatin1String(event);
}

// The description of a code in the user's language, and the tables it comes from.
QStringList descriptionJoin(HeaderPanel::LinkedBox box, const QString &language)
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

} // namespace

void HeaderPanel::wireLinkedCodes()
{
    host::connectHandler(TXT_CAUCOLL, &host::EditBox::StartDecode, this,
                         &HeaderPanel::TXT_CAUCOLL_StartDecode);
    host::connectHandler(TXT_CAUCOLL, &host::EditBox::StartLookup, this,
                         &HeaderPanel::TXT_CAUCOLL_StartLookup);
    host::connectHandler(TXT_CAUCOLL, &host::EditBox::Validate, this,
                         &HeaderPanel::TXT_CAUCOLL_Validate);
    connect(TXT_CAUCOLL, &host::EditBox::AfterItem, this, &HeaderPanel::TXT_CAUCOLL_AfterItem);
    host::connectHandler(TXT_CAUCOLLRIF, &host::EditBox::StartDecode, this,
                         &HeaderPanel::TXT_CAUCOLLRIF_StartDecode);
    host::connectHandler(TXT_CAUCOLLRIF, &host::EditBox::StartLookup, this,
                         &HeaderPanel::TXT_CAUCOLLRIF_StartLookup);
    host::connectHandler(TXT_CAUCOLLRIF, &host::EditBox::Validate, this,
                         &HeaderPanel::TXT_CAUCOLLRIF_Validate);
    connect(TXT_CAUCOLLRIF, &host::EditBox::AfterItem, this,
            &HeaderPanel::TXT_CAUCOLLRIF_AfterItem);
}

host::CodeBox *HeaderPanel::linkedBox(LinkedBox box) const
{
    return box == LinkedBox::Linked ? TXT_CAUCOLL : TXT_CAUCOLLRIF;
}

host::CodeBox *HeaderPanel::linkedDescriptionBox(LinkedBox box) const
{
    return box == LinkedBox::Linked ? TXT_DCAUCOLL : TXT_DCAUCOLLRIF;
}

// ------------------------------------------------------------------ texts

QString HeaderPanel::configMaskText(LinkedBox box, const QString &movement,
                                    const QStringList &flags)
{
    if (flags.size() != 2 * AccountTypeCount)
        ado::raise(5, QStringLiteral("Servono %1 indicatori dei tipi conto, non %2")
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

QString HeaderPanel::candidateCondition(LinkedBox box, const QString &model,
                                        const QString &modelType, const QString &code,
                                        qint64 mask)
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
               QStringLiteral("                   CAUSALE.CI03_CODCAUS = CI03_CAUSALI.CI03_CODCAUS"),
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
               QStringLiteral("           CO_COLLEGATA.FW28_FIELDNAME = CO_PRINCIPALE.FW28_FIELDNAME"),
               QStringLiteral("       WHERE"),
               QStringLiteral("           CO_PRINCIPALE.FW28_FIELDNAME IS NULL"),
               QStringLiteral("   )"),
               QStringLiteral("   AND CI03_CAUSALI.CI03_CODCAUS <> ") + sql::quoted(code),
               QStringLiteral("   AND ") + textsOf(box).compatibleFunction
                   + QStringLiteral("(%1, CI03_CODCAUS) = 1").arg(mask),
           })
           + sql::crlf;
}

QString HeaderPanel::linkedDecodeText(LinkedBox box, const QString &language, const QString &model,
                                      const QString &modelType, const QString &code, qint64 mask,
                                      const QString &linked)
{
    QStringList head{QStringLiteral(" SELECT"),
                     QStringLiteral("   CI99_DESCRIZIONE AS CI03_DESCR")};
    head << descriptionJoin(box, language);
    return sql::lines(head) + sql::crlf + candidateCondition(box, model, modelType, code, mask)
           + QStringLiteral("   AND CI03_CAUSALI.CI03_CODCAUS = ") + sql::quoted(linked);
}

QString HeaderPanel::linkedLookupText(LinkedBox box, const QString &language, const QString &model,
                                      const QString &modelType, const QString &code, qint64 mask)
{
    QStringList head = lookupColumns();
    head << descriptionJoin(box, language);
    return sql::lines(head) + sql::crlf + candidateCondition(box, model, modelType, code, mask)
           + sql::lines({QStringLiteral(" ORDER BY"), QStringLiteral("   CI03_CODCAUS")});
}

// ------------------------------------------------------------------ configuration mask

// "1" or "0" for items 0 to 9 of the credit-side list, then of the debit-side list: a flag's
// position is its account type, the order the server functions expect.
QStringList HeaderPanel::accountTypeFlags() const
{
    AccountChecksPage *checks = m_context.accountChecksPage();
    if (!checks || !checks->LIST_TIPIAVERE || !checks->LIST_TIPIDARE)
        raiseMissing(QStringLiteral("La pagina dei controlli conti"));
    QStringList flags;
    for (const host::CheckList *list : {checks->LIST_TIPIAVERE, checks->LIST_TIPIDARE}) {
        for (int item = 0; item < AccountTypeCount; ++item)
            flags << (list->Selected(item) ? QStringLiteral("1") : QStringLiteral("0"));
    }
    return flags;
}

qint64 HeaderPanel::configurationMask(LinkedBox box)
{
    return ado::passUp(QStringLiteral("configurationMask"), [&] {
        QString movement;
        if (box == LinkedBox::Reference) {
            // Passed as the combo gives it.
            movement = ado::ValueOrDefault(CBO_MOVDATI->Text(), QString()).toString();
            if (movement.isEmpty())
                ado::raise(5, QStringLiteral("Scegliere il tipo di movimentazione dati della "
                                             "causale prima della causale per movimento da "
                                             "riferimento"));
        }
        const std::unique_ptr<ado::Recordset> result = connectionOf(m_context.state()).Execute(
            configMaskText(box, movement, accountTypeFlags()));
        if (!result || result->isEOF())
            ado::raise(3021, QStringLiteral("La maschera di configurazione della causale non è "
                                            "stata restituita dal database"));
        return qint64(ado::CLng(result->Fields(0).Value()));
    });
}

// ------------------------------------------------------------------ decode

void HeaderPanel::TXT_CAUCOLL_StartDecode(QString &sql, host::DecodeTargets &targets,
                                          QString &connectionText)
{
    startLinkedDecode(LinkedBox::Linked, sql, targets, connectionText);
}

void HeaderPanel::TXT_CAUCOLLRIF_StartDecode(QString &sql, host::DecodeTargets &targets,
                                             QString &connectionText)
{
    startLinkedDecode(LinkedBox::Reference, sql, targets, connectionText);
}

// Without an accepted code and model there is nothing to be compatible with: no decode.
void HeaderPanel::startLinkedDecode(LinkedBox box, QString &sql, host::DecodeTargets &targets,
                                    QString &connectionText)
{
    runHandler(m_context, handlerName(box, "StartDecode"), {
        [&] {
            const QString code = ado::NormalizzaStringa(TXT_CAUSALE->Text());
            const QString linked = ado::NormalizzaStringa(linkedBox(box)->Text());
            const QString model = ado::NormalizzaStringa(TXT_MODELLO->Text());
            const QString modelType = ado::NormalizzaStringa(CBO_TIPOMODELLO->Text());
            if (code.isEmpty() || !TXT_CAUSALE->IsValid() || model.isEmpty()
                || !TXT_MODELLO->IsValid())
                return;
            sql = linkedDecodeText(box, m_context.state().CodLingua, model, modelType, code,
                                   configurationMask(box), linked);
            targets = {{linkedDescriptionBox(box), QStringLiteral("CI03_DESCR")}};
            connectionText = m_context.connectionText();
        },
    });
}

// ------------------------------------------------------------------ lookup

void HeaderPanel::TXT_CAUCOLL_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                                          QString &title, QString &connectionText)
{
    startLinkedLookup(LinkedBox::Linked, cancel, sql, columns, title, connectionText);
}

void HeaderPanel::TXT_CAUCOLLRIF_StartLookup(bool &cancel, QString &sql,
                                             host::ColumnTable &columns, QString &title,
                                             QString &connectionText)
{
    startLinkedLookup(LinkedBox::Reference, cancel, sql, columns, title, connectionText);
}

void HeaderPanel::startLinkedLookup(LinkedBox box, bool &cancel, QString &sql,
                                    host::ColumnTable &columns, QString &title,
                                    QString &connectionText)
{
    const QString handler = handlerName(box, "StartLookup");
    const auto refuse = [&](const QString &message) {
        m_context.MostraMessaggio(message, host::vbExclamation, Attenzione, handler);
        cancel = true;
    };
    runHandler(m_context, handler, {
        [&] {
            columns.clear();
            const QString code = ado::NormalizzaStringa(TXT_CAUSALE->Text());
            const bool codeGiven = box == LinkedBox::Linked
                                       ? CausaleValorizzata()
                                       : !code.isEmpty() && TXT_CAUSALE->IsValid();
            if (!codeGiven)
                return refuse(QStringLiteral("Impostare il codice della causale principale "
                                             "prima della selezione della causale collegata"));
            const QString model = ado::NormalizzaStringa(TXT_MODELLO->Text());
            if (model.isEmpty() || !TXT_MODELLO->IsValid())
                return refuse(QStringLiteral("Selezionare un codice modello valido prima di "
                                             "impostare il codice della causale collegata"));
            const QString modelType = ado::NormalizzaStringa(CBO_TIPOMODELLO->Text());
            sql = linkedLookupText(box, m_context.state().CodLingua, model, modelType, code,
                                   configurationMask(box));
            for (const QString &caption : lookupCaptions())
                columns.append(QStringList{caption, QString()});
            title = textsOf(box).title;
            linkedBox(box)->setLookupName(textsOf(box).lookupName);
            connectionText = m_context.connectionText();
        },
    });
}

// ------------------------------------------------------------------ validation

// An error while reading the boxes leaves the answer "differs": the check never blocks.
bool HeaderPanel::linkedCodeDiffers(LinkedBox box)
{
    bool differs = true;
    ado::ignoreErrors({
        [&] {
            const QString code = ado::NormalizzaStringa(TXT_CAUSALE->Text());
            const QString linked = ado::NormalizzaStringa(linkedBox(box)->Text());
            differs = code.isEmpty() || linked.isEmpty() || code != linked;
        },
    });
    return differs;
}

void HeaderPanel::TXT_CAUCOLL_Validate(bool &Cancel)
{
    validateLinkedCode(LinkedBox::Linked, Cancel);
}

void HeaderPanel::TXT_CAUCOLLRIF_Validate(bool &Cancel)
{
    validateLinkedCode(LinkedBox::Reference, Cancel);
}

void HeaderPanel::validateLinkedCode(LinkedBox box, bool &Cancel)
{
    const QString handler = handlerName(box, "Validate");
    runHandler(m_context, handler, {
        [&] {
            if (linkedCodeDiffers(box))
                return;
            Cancel = true;
            // Moving the focus back may raise Validate again: the message is shown once.
            if (m_linkedValidation)
                return;
            const QScopedValueRollback<bool> once(m_linkedValidation, true);
            m_context.MostraMessaggio(textsOf(box).differsMessage, host::vbExclamation,
                                      Attenzione, handler);
            linkedBox(box)->Reselect();
        },
    });
}

// ------------------------------------------------------------------ a code not accepted

void HeaderPanel::TXT_CAUCOLL_AfterItem()
{
    reportRefusedLinkedCode(LinkedBox::Linked);
}

void HeaderPanel::TXT_CAUCOLLRIF_AfterItem()
{
    reportRefusedLinkedCode(LinkedBox::Reference);
}

// A typed code that is not among the compatible ones stays in the box, marked as not
// accepted: the user is told why at once (the save refuses it too).
void HeaderPanel::reportRefusedLinkedCode(LinkedBox box)
{
    const QString handler = handlerName(box, "AfterItem");
    runHandler(m_context, handler, {
        [&] {
            host::CodeBox *codeBox = linkedBox(box);
            if (ado::NormalizzaStringa(codeBox->Text()).isEmpty() || codeBox->IsValid())
                return;
            m_context.MostraMessaggio(linkedCodeRefusal(box), host::vbExclamation, Attenzione,
                                      handler);
        },
    });
}

QString HeaderPanel::linkedCodeRefusal(LinkedBox box) const
{
    const QString code = ado::NormalizzaStringa(linkedBox(box)->Text());
    const QString text =
        box == LinkedBox::Linked
            ? QStringLiteral("La causale \"%1\" non può essere la causale collegata: non esiste "
                             "oppure non è compatibile con il modello e i tipi conto della "
                             "causale gestita.")
            : QStringLiteral("La causale \"%1\" non può essere la causale per movimento da "
                             "riferimento: non esiste oppure non è compatibile con il modello, "
                             "la movimentazione dati e i tipi conto della causale gestita.");
    return text.arg(code) + QStringLiteral(" Premere F3 per l'elenco delle causali collegabili.");
}

} // namespace causali
