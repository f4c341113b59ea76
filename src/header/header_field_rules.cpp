// The rules that tie the header fields together while a reason code is edited: data movement,
// standard cost and its provenance, model type and model (decode, lookup, the model-management
// program), and the refusal of a record whose model or linked codes are not accepted.

#include "header/header_panel.h"
#include "header/header_rules.h"

#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/value_domains.h"
#include "host/check_box.h"
#include "host/cinterface.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/handler_connection.h"
#include "host/host_global.h"
#include "host/lookup_services.h"
#include "host/model_program.h"
#include "satellites/editor_context.h"
#include "satellites/page_support.h"

namespace causali {

namespace {

const QString Attenzione = QStringLiteral("Attenzione");

// The text of a control with Null read as empty, not trimmed.
QString plainText(const QVariant &text)
{
    return ado::ValueOrDefault(text, QString()).toString();
}

} // namespace

void HeaderPanel::wireFieldRules()
{
    connect(CBO_MOVDATI, &host::ComboBox::BeforeItem, this, &HeaderPanel::CBO_MOVDATI_BeforeItem);
    connect(CBO_MOVDATI, &host::ComboBox::AfterItem, this, &HeaderPanel::CBO_MOVDATI_AfterItem);
    connect(CBO_MOVDATI, &host::ComboBox::ChangeRow, this, &HeaderPanel::CBO_MOVDATI_ChangeRow);
    connect(CBO_TIPOPROPCOSTO, &host::ComboBox::BeforeItem, this,
            &HeaderPanel::CBO_TIPOPROPCOSTO_BeforeItem);
    connect(CBO_TIPOPROPCOSTO, &host::ComboBox::AfterItem, this,
            &HeaderPanel::CBO_TIPOPROPCOSTO_AfterItem);
    connect(CBO_TIPOPROPCOSTO, &host::ComboBox::ChangeRow, this,
            &HeaderPanel::CBO_TIPOPROPCOSTO_ChangeRow);
    host::connectHandler(CBO_PROVCOSTO, &host::ComboBox::Validate, this,
                         &HeaderPanel::CBO_PROVCOSTO_Validate);
    connect(CBO_TIPOMODELLO, &host::ComboBox::BeforeItem, this,
            &HeaderPanel::CBO_TIPOMODELLO_BeforeItem);
    connect(CBO_TIPOMODELLO, &host::ComboBox::AfterItem, this,
            &HeaderPanel::CBO_TIPOMODELLO_AfterItem);
    connect(TXT_MODELLO, &host::EditBox::BeforeItem, this, &HeaderPanel::TXT_MODELLO_BeforeItem);
    connect(TXT_MODELLO, &host::EditBox::AfterItem, this, &HeaderPanel::TXT_MODELLO_AfterItem);
    host::connectHandler(TXT_MODELLO, &host::EditBox::StartDecode, this,
                         &HeaderPanel::TXT_MODELLO_StartDecode);
    host::connectHandler(TXT_MODELLO, &host::EditBox::StartLookup, this,
                         &HeaderPanel::TXT_MODELLO_StartLookup);
    connect(TXT_MODELLO, &host::CodeBox::KeyButtonMenuPress, this,
            &HeaderPanel::TXT_MODELLO_KeyButtonMenuPress);
}

// Puts a value into a bound header control from code. The header frame takes into its row
// only what the user changed in the controls, so the value goes into the header row as well
// (the frame shows it in the control): it is saved with the record and an undo drops it.
void HeaderPanel::setHeaderField(host::Bindable &control, const QVariant &value)
{
    host::DataFrame *frame = m_frameTestata.get();
    if (frame && m_recordsetTestata && frame->hasCurrentRow())
        m_recordsetTestata->Fields(control.dataField()).setValue(value);
    control.setBoundValue(value);
}

bool HeaderPanel::CausaleValorizzata()
{
    return ado::passUp(QStringLiteral("CausaleValorizzata"), [&] {
        QString code = ado::NormalizzaStringa(TXT_CAUSALE->Text());
        // A code the box has not accepted (typed and not decoded) counts as none.
        if (!code.isEmpty() && !TXT_CAUSALE->IsValid())
            code.clear();
        return !code.isEmpty();
    });
}

// ------------------------------------------------------------------ data movement

void HeaderPanel::CBO_MOVDATI_BeforeItem()
{
    runHandler(m_context, QStringLiteral("CBO_MOVDATI_BeforeItem"),
               {
                   [&] { PreviousDataMovement = ado::NormalizzaStringa(CBO_MOVDATI->Text()); },
               });
}

// Labour and allocation movements number their postings automatically; project tracking
// belongs to allocation movements only.
void HeaderPanel::CBO_MOVDATI_AfterItem()
{
    const QString movement = ado::NormalizzaStringa(CBO_MOVDATI->Text());
    if (movement == PreviousDataMovement)
        return;
    const header_rules::MovementEffects effects = header_rules::movementEffects(
        header_rules::codeOfText(movement));
    runHandler(m_context, QStringLiteral("CBO_MOVDATI_AfterItem"),
               {
                   [&] { m_context.ConfigurazioneTabRicerca(); },
                   [&] {
                       if (effects.autoNumberingForced)
                           setHeaderField(*CHK_FLGNUMAUT, 1);
                   },
                   [&] {
                       if (!effects.projectsAllowed)
                           setHeaderField(*CHK_RILPROG, 0);
                   },
               });
}

void HeaderPanel::CBO_MOVDATI_ChangeRow()
{
    runHandler(m_context, QStringLiteral("CBO_MOVDATI_ChangeRow"),
               {
                   [&] { applyMovementRules(ado::NormalizzaStringa(CBO_MOVDATI->Text())); },
               });
}

void HeaderPanel::applyMovementRules(const QString &movement)
{
    const header_rules::MovementEffects effects = header_rules::movementEffects(
        header_rules::codeOfText(movement));
    CHK_FLGNUMAUT->setEnabled(effects.autoNumberingEditable);
    TXT_CAUCOLLRIF->setEnabled(effects.referenceAllowed);
    CHK_RILPROG->setEnabled(effects.projectsAllowed);
}

// ------------------------------------------------------------------ standard cost

void HeaderPanel::CBO_TIPOPROPCOSTO_BeforeItem()
{
    runHandler(
        m_context, QStringLiteral("CBO_TIPOPROPCOSTO_BeforeItem"),
        {
            [&] { m_previousStandardCost = ado::NormalizzaStringa(CBO_TIPOPROPCOSTO->Text()); },
        });
}

// Without standard cost there is no provenance; choosing it proposes the account as source.
void HeaderPanel::CBO_TIPOPROPCOSTO_AfterItem()
{
    runHandler(m_context, QStringLiteral("CBO_TIPOPROPCOSTO_AfterItem"),
               {
                   [&] {
                       const QString standardCost = ado::NormalizzaStringa(
                           CBO_TIPOPROPCOSTO->Text());
                       if (standardCost == m_previousStandardCost)
                           return;
                       const std::optional<int> source = header_rules::costSourceAfterStandardCost(
                           header_rules::codeOfText(standardCost),
                           header_rules::codeOfText(ado::NormalizzaStringa(CBO_PROVCOSTO->Text())));
                       if (source)
                           setHeaderField(*CBO_PROVCOSTO, *source);
                   },
               });
}

// The provenance can be chosen only with standard cost, and for a new reason code only once
// its code is given.
void HeaderPanel::CBO_TIPOPROPCOSTO_ChangeRow()
{
    runHandler(m_context, QStringLiteral("CBO_TIPOPROPCOSTO_ChangeRow"),
               {
                   [&] {
                       if (plainText(CBO_TIPOPROPCOSTO->Text())
                           != QString::number(PropCostoAnagrafico)) {
                           CBO_PROVCOSTO->setEnabled(false);
                           return;
                       }
                       // The combos are filled before the header frame exists: nothing is shown yet.
                       const host::DataFrame *frame = m_frameTestata.get();
                       const long status = frame ? frame->Status() : -1;
                       CBO_PROVCOSTO->setEnabled(
                           status == host::DataFrame::StatusBrowse
                           || (status == host::DataFrame::StatusNew && CausaleValorizzata()));
                   },
               });
}

void HeaderPanel::CBO_PROVCOSTO_Validate(bool &Cancel)
{
    const QString handler = QStringLiteral("CBO_PROVCOSTO_Validate");
    runHandler(m_context, handler,
               {
                   [&] {
                       if (!header_rules::standardCostNeedsSource(
                               int(ado::CDbl(ado::NormalizzaNumero(CBO_TIPOPROPCOSTO->Text()))),
                               int(ado::CDbl(ado::NormalizzaNumero(CBO_PROVCOSTO->Text())))))
                           return;
                       m_context.MostraMessaggio(header_rules::standardCostSourceMessage(),
                                                 host::vbInformation, Attenzione, handler);
                       Cancel = true;
                   },
               });
}

// ------------------------------------------------------------------ model type and model

void HeaderPanel::CBO_TIPOMODELLO_BeforeItem()
{
    runHandler(m_context, QStringLiteral("CBO_TIPOMODELLO_BeforeItem"),
               {
                   [&] { m_previousModelType = ado::NormalizzaStringa(CBO_TIPOMODELLO->Text()); },
               });
}

// Models are kept per model type: another type makes the model and the codes linked through
// it meaningless.
void HeaderPanel::CBO_TIPOMODELLO_AfterItem()
{
    if (ado::NormalizzaStringa(CBO_TIPOMODELLO->Text()) == m_previousModelType)
        return;
    runHandler(m_context, QStringLiteral("CBO_TIPOMODELLO_AfterItem"),
               {
                   [&] { setHeaderField(*TXT_CAUCOLL, ado::Null()); },
                   [&] { setHeaderField(*TXT_CAUCOLLRIF, ado::Null()); },
                   [&] { setHeaderField(*TXT_MODELLO, ado::Null()); },
               });
}

void HeaderPanel::TXT_MODELLO_BeforeItem()
{
    runHandler(m_context, QStringLiteral("TXT_MODELLO_BeforeItem"),
               {
                   [&] {
                       m_previousModel = ado::NormalizzaStringa(TXT_MODELLO->Text());
                       m_previousModelType = ado::NormalizzaStringa(CBO_TIPOMODELLO->Text());
                   },
               });
}

// The linked codes were chosen among the codes compatible with the previous model. A model
// that the box could not find among the models of the type is reported at once.
void HeaderPanel::TXT_MODELLO_AfterItem()
{
    const QString handler = QStringLiteral("TXT_MODELLO_AfterItem");
    const QString model = ado::NormalizzaStringa(TXT_MODELLO->Text());
    const bool sameModel = model == m_previousModel
                           && ado::NormalizzaStringa(CBO_TIPOMODELLO->Text())
                                  == m_previousModelType;
    runHandler(m_context, handler,
               {
                   [&] {
                       if (!sameModel)
                           setHeaderField(*TXT_CAUCOLL, ado::Null());
                   },
                   [&] {
                       if (!sameModel)
                           setHeaderField(*TXT_CAUCOLLRIF, ado::Null());
                   },
                   [&] {
                       if (!model.isEmpty() && !TXT_MODELLO->IsValid())
                           m_context.MostraMessaggio(modelNotFoundMessage(), host::vbExclamation,
                                                     Attenzione, handler);
                   },
               });
}

QString HeaderPanel::modelNotFoundMessage() const
{
    const int type = CBO_TIPOMODELLO->currentIndex();
    return header_rules::modelNotFoundMessage(ado::NormalizzaStringa(TXT_MODELLO->Text()),
                                              type < 0 ? QString()
                                                       : CBO_TIPOMODELLO->itemCaption(type));
}

void HeaderPanel::TXT_MODELLO_StartDecode(QString &sql, host::DecodeTargets &targets,
                                          QString &connectionText)
{
    runHandler(m_context, QStringLiteral("TXT_MODELLO_StartDecode"),
               {
                   [&] {
                       if (!m_modelDecode)
                           raiseMissing(QStringLiteral("Il servizio di decodifica dei modelli"));
                       m_modelDecode->prepare(TXT_DMODELLO, plainText(TXT_MODELLO->Text()),
                                              plainText(CBO_TIPOMODELLO->Text()));
                       sql = m_modelDecode->sql();
                       targets = m_modelDecode->targets();
                       connectionText = m_context.connectionText();
                   },
               });
}

// The models of the model type chosen; with none chosen the service lists none (type -1).
void HeaderPanel::TXT_MODELLO_StartLookup(bool & /*cancel*/, QString &sql,
                                          host::ColumnTable &columns, QString &title,
                                          QString &connectionText)
{
    runHandler(m_context, QStringLiteral("TXT_MODELLO_StartLookup"),
               {
                   [&] {
                       const QVariant type = ado::isNull(CBO_TIPOMODELLO->Text())
                                                 ? QVariant(QStringLiteral("-1"))
                                                 : CBO_TIPOMODELLO->Text();
                       m_lookup->prepareModels(ado::CInt(type));
                       sql = m_lookup->sql();
                       columns = m_lookup->columns();
                       title = m_lookup->title();
                       connectionText = m_context.connectionText();
                   },
               });
}

void HeaderPanel::TXT_MODELLO_KeyButtonMenuPress(const QVariant &keyName)
{
    runHandler(m_context, QStringLiteral("TXT_MODELLO_KeyButtonMenuPress"),
               {
                   [&] {
                       if (ado::NormalizzaStringa(keyName)
                           != QLatin1String(host::CodeBox::ManagementKeyName))
                           return;
                       EseguiProgrammaModelli(TXT_MODELLO,
                                              ado::NormalizzaStringa(TXT_MODELLO->Text()),
                                              CBO_TIPOMODELLO->Text());
                   },
               });
}

void HeaderPanel::EseguiProgrammaModelli(host::CodeBox *box, const QVariant &model,
                                         const QVariant &modelType)
{
    ado::passUp(QStringLiteral("EseguiProgrammaModelli"), [&] {
        host::Cinterface *module = m_context.ActiveInterface();
        if (!module)
            raiseMissing(QStringLiteral("L'interfaccia del modulo"));
        auto program = std::make_unique<host::ModelProgram>();
        program->setModuleInterface(module);
        program->setCallerBox(box);
        program->setModel(ado::NormalizzaStringa(model));
        program->setModelType(modelType);
        program->run();
        program->detach();

        module->setIsActive(true);
        host::HostGlobal *global = module->ClsGlobal();
        if (!global)
            raiseMissing(QStringLiteral("L'oggetto globale dell'applicazione"));
        global->setCurrentModule(module);
        m_context.InizializzaScriptELayout();
        // The program may have changed the description of the model shown, or removed it.
        if (box)
            box->Decode();
    });
}

// ------------------------------------------------------------------ record validation

// A model or a linked code that its box does not accept would be stored as it was typed: the
// record is refused on the first such box, with the reason. The linked codes are decoded again
// because the code, the model or the account types may have changed since they were typed.
void HeaderPanel::gclsFrameTestata_ValidateRecord(QObject *&fobj_Control,
                                                  QString &fstr_PersonalizedMessage)
{
    const auto refuseUnaccepted = [&](host::CodeBox *box, const std::function<QString()> &why) {
        if (fobj_Control || !box->isEnabled() || ado::NormalizzaStringa(box->Text()).isEmpty())
            return;
        box->Decode();
        if (box->IsValid())
            return;
        fobj_Control = box;
        fstr_PersonalizedMessage = why();
    };
    runHandler(
        m_context, QStringLiteral("gclsFrameTestata_ValidateRecord"),
        {
            [&] { refuseUnaccepted(TXT_MODELLO, [this] { return modelNotFoundMessage(); }); },
            [&] {
                refuseUnaccepted(TXT_CAUCOLL,
                                 [this] { return linkedCodeRefusal(LinkedBox::Linked); });
            },
            [&] {
                refuseUnaccepted(TXT_CAUCOLLRIF,
                                 [this] { return linkedCodeRefusal(LinkedBox::Reference); });
            },
        });
}

} // namespace causali
