// The linked reason codes of the header: TXT_CAUCOLL (the linked code, which posts the
// counter-entry) and TXT_CAUCOLLRIF (the code of the movements generated from a reference
// account). Both are decoded, listed and accepted only among the codes compatible with the one
// edited: a candidate's model may ask for no mandatory field that the edited code's model
// lacks, and the server's compatibility function must accept it for the configuration mask of
// the edited code (its account types, and for the reference box its data movement).

#include "header/header_panel.h"
#include "header/linked_code_rules.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/vb.h"
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

QString handlerName(HeaderPanel::LinkedBox box, const char *event)
{
    return linked_rules::boxName(box) + QLatin1Char('_') + QLatin1String(event);
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

// ------------------------------------------------------------------ configuration mask

// The ticked account types, credit side then debit side.
QStringList HeaderPanel::accountTypeFlags() const
{
    AccountChecksPage *checks = m_context.accountChecksPage();
    if (!checks || !checks->LIST_TIPIAVERE || !checks->LIST_TIPIDARE)
        raiseMissing(QStringLiteral("La pagina dei controlli conti"));
    return linked_rules::accountTypeFlags(checks->selectedTypes(AccountChecksPage::SideAvere),
                                          checks->selectedTypes(AccountChecksPage::SideDare));
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
        return linked_rules::configurationMask(connectionOf(m_context.state()), box, movement,
                                               accountTypeFlags());
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
    runHandler(m_context, handlerName(box, "StartDecode"),
               {
                   [&] {
                       const QString code = ado::NormalizzaStringa(TXT_CAUSALE->Text());
                       const QString linked = ado::NormalizzaStringa(linkedBox(box)->Text());
                       const QString model = ado::NormalizzaStringa(TXT_MODELLO->Text());
                       const QString modelType = ado::NormalizzaStringa(CBO_TIPOMODELLO->Text());
                       if (code.isEmpty() || !TXT_CAUSALE->IsValid() || model.isEmpty()
                           || !TXT_MODELLO->IsValid())
                           return;
                       sql = linked_rules::decodeText(box, m_context.state().CodLingua, model,
                                                      modelType, code, configurationMask(box),
                                                      linked);
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

void HeaderPanel::TXT_CAUCOLLRIF_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                                             QString &title, QString &connectionText)
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
    runHandler(
        m_context, handler,
        {
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
                sql = linked_rules::lookupText(box, m_context.state().CodLingua, model, modelType,
                                               code, configurationMask(box));
                for (const QString &caption : linked_rules::lookupCaptions())
                    columns.append(QStringList{caption, QString()});
                title = linked_rules::lookupTitle(box);
                linkedBox(box)->setLookupName(linked_rules::lookupName(box));
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
            differs = header_rules::linkedDiffers(ado::NormalizzaStringa(TXT_CAUSALE->Text()),
                                                  ado::NormalizzaStringa(linkedBox(box)->Text()));
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
    runHandler(m_context, handler,
               {
                   [&] {
                       if (linkedCodeDiffers(box))
                           return;
                       Cancel = true;
                       // Moving the focus back may raise Validate again: the message is shown once.
                       if (m_linkedValidation)
                           return;
                       const QScopedValueRollback<bool> once(m_linkedValidation, true);
                       m_context.MostraMessaggio(header_rules::linkedSameAsCodeMessage(box),
                                                 host::vbExclamation, Attenzione, handler);
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
    runHandler(m_context, handler,
               {
                   [&] {
                       host::CodeBox *codeBox = linkedBox(box);
                       if (ado::NormalizzaStringa(codeBox->Text()).isEmpty() || codeBox->IsValid())
                           return;
                       m_context.MostraMessaggio(linkedCodeRefusal(box), host::vbExclamation,
                                                 Attenzione, handler);
                   },
               });
}

QString HeaderPanel::linkedCodeRefusal(LinkedBox box) const
{
    return header_rules::linkedRefusalMessage(box, ado::NormalizzaStringa(linkedBox(box)->Text()));
}

} // namespace causali
