// FRMCI_CAUSALI: creation, the start-up on the first activation, later activations, closing,
// unloading, and the error and message reports every handler of the window goes through.

#include "editor/frmci_causali.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/lookups.h"
#include "data/value_domains.h"
#include "editor/combo_adapter.h"
#include "header/header_panel.h"
#include "header/save_unit.h"
#include "host/account_box.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/cost_utility.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/error_manager.h"
#include "host/host_global.h"
#include "host/lookup_services.h"
#include "host/main_navigator.h"
#include "host/navigator.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/journals_page.h"
#include "satellites/proposal_page.h"
#include "satellites/search_sequence_page.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLabel>

namespace causali {

namespace {

// Message-box style of the error report: critical (16) + abort/retry/ignore (2) + second
// button default (256) + system modal (4096).
constexpr int ErrorReportStyle = host::vbCritical | host::vbAbortRetryIgnore
                                 | host::vbDefaultButton2 | host::vbSystemModal;
static_assert(ErrorReportStyle == 4370);

// Kinds of account an account box holds: accounts of the cost-accounting chart, or expense
// and revenue items of the expense-item chart.
enum AccountKind : int { KindConto = 1, KindVoceDiSpesa = 2 };

const QString NoExpenseChart = QStringLiteral("-1");
const QString OpenEvent = QStringLiteral("qvOpen");
const QString CloseEvent = QStringLiteral("qvClose");

[[noreturn]] void raiseNotSet(const QString &what)
{
    ado::raise(91, QStringLiteral("Variabile oggetto non impostata: %1").arg(what));
}

// A widget that could take the keyboard focus now.
bool canTakeFocus(const QWidget *widget)
{
    return widget && widget->isEnabled() && widget->isVisible()
           && widget->focusPolicy() != Qt::NoFocus;
}

} // namespace

// The start-up, step by step. A step of kind Routine calls the routine of its name: an error
// raised there carries that name as its source.
std::span<const FRMCI_CAUSALI::StartUpStep> FRMCI_CAUSALI::startUpTable()
{
    using W = FRMCI_CAUSALI;
    static const StartUpStep steps[] = {
        {"freezePainting", Inline, [](W &w) { w.freezePainting(); }},
        {"createErrorManager", Inline, [](W &w) { w.createErrorManager(); }},
        {"readConnectionString", Inline, [](W &w) { w.readConnectionString(); }},
        {"openConnection", Inline, [](W &w) { w.openConnection(); }},
        {"handConnectionToHost", Inline,
         [](W &w) { w.requireInterface().setConnection(w.m_connection.get()); }},
        {"createCostUtility", Inline, [](W &w) { w.createCostUtility(); }},
        {"checkPrecondition", Inline,
         [](W &w) {
             if (!w.checkPrecondition())
                 w.refuseStartUp();
         }},
        {"readCharts", Inline, [](W &w) { w.readCharts(); }},
        {"showCharts", Inline, [](W &w) { w.showCharts(); }},
        {"createLookupObjects", Inline, [](W &w) { w.createLookupObjects(); }},
        {"ImpostazioneProprietaContoKOVA", Routine,
         [](W &w) {
             w.ImpostazioneProprietaContoKOVA(w.m_proposal->TXT_CONTO, w.m_state.pdc, KindConto);
         }},
        {"prepareExpenseItemBox", Inline, [](W &w) { w.prepareExpenseItemBox(); }},
        {"CaricaCombo", Routine, [](W &w) { w.fillCombos(); }},
        {"FillAccountTypeLists", Routine, [](W &w) { w.m_checks->FillAccountTypeLists(); }},
        {"ConfigurazioneGriglie", Routine, [](W &w) { w.ConfigurazioneGriglie(); }},
        {"ConfigurazioneFrame", Routine, [](W &w) { w.m_header->ConfigurazioneFrame(); }},
        {"setInitialStatus", Inline, [](W &w) { w.setInitialStatus(); }},
        {"BuildScript", Routine, [](W &w) { w.BuildScript(); }},
        {"ApplicaLayOut", Routine, [](W &w) { w.ApplicaLayOut(); }},
        {"startResizeHelper", Inline,
         [](W &w) {
             w.QVR_RESIZEFORM->setModuleInterface(dynamic_cast<QObject *>(w.m_activeInterface));
             w.QVR_RESIZEFORM->start();
         }},
        {"selectFirstTab", Inline, [](W &w) { w.TAB_CAUSALI->setTab(TabHeader); }},
        {"unfreezePainting", Inline,
         [](W &w) {
             w.unfreezePainting();
             QCoreApplication::processEvents();
         }},
        {"focusFirstControl", Inline, [](W &w) { w.focusFirstControl(); }},
        {"ExecuteFormEvent", Routine, [](W &w) { w.ExecuteFormEvent(OpenEvent); }},
        {"setActivated", Inline, [](W &w) { w.m_activated = true; }},
    };
    return steps;
}

QStringList FRMCI_CAUSALI::startUpSteps()
{
    QStringList names;
    for (const StartUpStep &step : startUpTable())
        names << QLatin1StringView(step.name);
    return names;
}

// ----------------------------------------------------------------- creation and activation

// Creation: the window state's flags start False (their defaults, written once in
// WindowState); nothing else happens until the window is shown.
void FRMCI_CAUSALI::Form_Initialize() {}

void FRMCI_CAUSALI::AttivaModulo()
{
    ado::ignoreErrors({
        [&] { requireGlobal().setCurrentModule(m_activeInterface); },
        [&] {
            QObject *frame = m_activeInterface ? m_activeInterface->ActiveFrame() : nullptr;
            if (!frame)
                return;
            if (!navigator())
                raiseNotSet(QStringLiteral("ActiveNavigator"));
            // The frame's Status, read late-bound as the host does for any module's frame.
            const auto *dataFrame = qobject_cast<host::DataFrame *>(frame);
            const QVariant status = dataFrame ? QVariant(qint32(dataFrame->Status()))
                                              : frame->property("Status");
            if (!status.isValid())
                ado::raise(438, QStringLiteral("Il frame attivo non ha la proprietà Status"));
            navigator()->SetNavigatorStatus(ado::CInt(status));
        },
        [&] {
            if (!navigator())
                raiseNotSet(QStringLiteral("ActiveNavigator"));
            navigator()->RefreshNavigator();
        },
    });
}

void FRMCI_CAUSALI::Form_Activate()
{
    AttivaModulo();
    if (m_activated || m_startingUp || m_unloaded || m_unloading)
        return;
    m_startingUp = true;
    m_startupEnded = false;
    startUp();
    m_startingUp = false;
    // Painting comes back however the start-up ended (completed, refused or left on an error).
    unfreezePainting();
}

// A step of the start-up. Steps after a failed precondition do nothing. A step that calls a
// routine tells the observer inside that routine's error trap (an error raised there carries
// the routine's name); the other steps tell it directly.
void FRMCI_CAUSALI::runStartUpStep(const StartUpStep &step)
{
    if (m_startupEnded)
        return;
    const QString name = QLatin1StringView(step.name);
    if (step.kind == Routine)
        ado::passUp(name, [&] { routine(name); });
    else
        routine(name);
    step.run(*this);
}

void FRMCI_CAUSALI::startUp()
{
    const auto report = [this](const ado::RuntimeError &error) {
        return GestioneErroreEvento(QStringLiteral("Form_Activate"), error);
    };
    // One step at a time: a retry runs the failing step again, an ignore goes on with the
    // next one, an abort leaves the start-up.
    for (const StartUpStep &step : startUpTable()) {
        if (!ado::runSteps(report, {[&] { runStartUpStep(step); }}))
            return;
    }
}

// ----------------------------------------------------------------- start-up steps

void FRMCI_CAUSALI::freezePainting()
{
    QWidget *area = m_mdiHost->windowArea();
    if (!area)
        raiseNotSet(QStringLiteral("l'area della finestra"));
    if (m_frozenArea && m_frozenArea != area)
        m_frozenArea->setUpdatesEnabled(true);
    m_frozenArea = area;
    area->setUpdatesEnabled(false);
}

void FRMCI_CAUSALI::unfreezePainting()
{
    if (m_frozenArea)
        m_frozenArea->setUpdatesEnabled(true);
    m_frozenArea.clear();
}

void FRMCI_CAUSALI::createErrorManager()
{
    m_errorManager = std::make_unique<host::ErrorManager>();
    m_errorManager->setModuleInterface(m_activeInterface);
}

void FRMCI_CAUSALI::readConnectionString()
{
    m_connectionString = requireGlobal().connectionString();
}

void FRMCI_CAUSALI::openConnection()
{
    if (m_connection)
        return;
    auto connection = std::make_unique<ado::Connection>();
    connection->setConnectionString(m_connectionString);
    connection->Open(QString(), QString(), QString(), -1);
    m_connection = std::move(connection);
    m_state.connection = m_connection.get();
}

void FRMCI_CAUSALI::createCostUtility()
{
    host::HostGlobal &global = requireGlobal();
    m_costUtility = std::make_unique<host::CostUtility>();
    m_costUtility->Initialize();
    m_costUtility->setModuleInterface(m_activeInterface);
    m_costUtility->setConnection(m_connection.get());
    m_costUtility->setApplicationTitle(global.applicationTitle());
    m_costUtility->setWindowData(QVariantMap{{QStringLiteral("name"), objectName()},
                                             {QStringLiteral("caption"), caption()}});
}

bool FRMCI_CAUSALI::checkPrecondition()
{
    host::HostGlobal &global = requireGlobal();
    if (!m_costUtility)
        raiseNotSet(QStringLiteral("CostUtility"));
    if (global.companySetting(QStringLiteral("FLGCONIND")) != QLatin1String("1"))
        return false;
    if (!global.companyRecord())
        return false;
    return !ado::NormalizzaStringa(m_costUtility->costChart(global.companyCode())).isEmpty();
}

void FRMCI_CAUSALI::refuseStartUp()
{
    m_startupEnded = true;
    requireGlobal().messageDictionary()->ShowMessage(
        host::msg::NoCostAccounting, host::vbOKOnly | host::vbExclamation, caption());
    unload();
}

void FRMCI_CAUSALI::readCharts()
{
    host::HostGlobal &global = requireGlobal();
    if (!m_costUtility)
        raiseNotSet(QStringLiteral("CostUtility"));
    m_companyCode = global.companyCode();
    m_state.pdc = m_costUtility->costChart(m_companyCode);
    m_state.CodLingua = global.languageCode();
    if (global.companySetting(QStringLiteral("PDCVDS")) == NoExpenseChart) {
        m_state.separateVdsChart = false;
        m_state.pdcVds = NoExpenseChart;
    } else {
        m_state.separateVdsChart = true;
        m_state.pdcVds = m_costUtility->expenseItemChart(m_companyCode);
    }
}

void FRMCI_CAUSALI::showCharts()
{
    TXT_PDC_KOVA->setText(m_state.pdc);
    LBL_PDC_KOVA_DES->setText(m_lookups->GetDescrizionePdc(m_state.pdc));
    TXT_PDC_VDS->setText(m_state.pdcVds);
    LBL_PDC_VDS_DES->setText(m_lookups->GetDescrizionePdc(m_state.pdcVds));
    for (QWidget *control :
         {static_cast<QWidget *>(TXT_PDC_VDS), static_cast<QWidget *>(LBL_PDC_VDS_DES),
          static_cast<QWidget *>(m_vdsCaption)})
        control->setVisible(m_state.separateVdsChart);
}

void FRMCI_CAUSALI::createLookupObjects()
{
    m_journalLookup = std::make_unique<host::JournalLookupService>();
    m_journalDecode = std::make_unique<host::JournalDecodeService>();
    m_providerLookup = std::make_unique<host::ProviderLookupService>();
    m_providerDecode = std::make_unique<host::ProviderDecodeService>();
    for (host::LookupObject *object : lookupObjects()) {
        object->setModuleInterface(m_activeInterface);
        object->setConnection(m_connection.get());
    }
}

std::vector<host::LookupObject *> FRMCI_CAUSALI::lookupObjects() const
{
    std::vector<host::LookupObject *> objects;
    for (host::LookupObject *object : std::initializer_list<host::LookupObject *>{
             m_journalLookup.get(), m_journalDecode.get(), m_providerLookup.get(),
             m_providerDecode.get()}) {
        if (object)
            objects.push_back(object);
    }
    return objects;
}

void FRMCI_CAUSALI::ImpostazioneProprietaContoKOVA(host::AccountBox *box, const QVariant &chart,
                                                   int kind)
{
    ado::passUp(QStringLiteral("ImpostazioneProprietaContoKOVA"), [&] {
        if (!box)
            raiseNotSet(QStringLiteral("la casella del conto"));
        box->setConnection(m_connection.get());
        box->setChart(ado::NormalizzaStringa(chart));
        box->setAccountKind(kind);
    });
}

void FRMCI_CAUSALI::prepareExpenseItemBox()
{
    host::AccountBox *box = m_proposal->TXT_VDS;
    if (m_state.separateVdsChart) {
        ImpostazioneProprietaContoKOVA(box, m_state.pdcVds, KindVoceDiSpesa);
        box->setSwitchedOn(true);
    } else {
        // Without a chart of their own there are no items: the box stays empty and off.
        box->setValue(ado::Null());
        box->setSwitchedOn(false);
    }
    box->setTabStop(box->isSwitchedOn());
}

void FRMCI_CAUSALI::fillCombos()
{
    HostComboControl movDati(m_header->CBO_MOVDATI);
    HostComboControl tipoCosto(m_header->CBO_TIPOCOSTO);
    HostComboControl tipoPropCosto(m_header->CBO_TIPOPROPCOSTO);
    HostComboControl provCosto(m_header->CBO_PROVCOSTO);
    HostComboControl tipoModello(m_header->CBO_TIPOMODELLO);
    HostComboControl tipoQtaVal(m_header->CBO_TIPOQTAVAL);
    HostComboControl ditta(m_journals->CBO_DITTA);
    HostComboControl segno(m_proposal->CBO_SEGNO);
    CaricaCombo(ComboTargets{movDati, tipoCosto, tipoPropCosto, provCosto, tipoModello, tipoQtaVal,
                             ditta, segno},
                connectionOf(m_state));
}

void FRMCI_CAUSALI::setInitialStatus()
{
    host::DataFrame *frame = headerFrame();
    ado::Recordset *recordset = m_header->recordsetTestata();
    if (!frame || !recordset)
        raiseNotSet(QStringLiteral("gclsFrameTestata"));
    host::Cinterface &module = requireInterface();
    if (module.IsCalled()) {
        INV_MAIN->setCalledProgram(true);
        frame->SetStatus(host::DataFrame::StatusNew);
        if (!m_activeClass)
            raiseNotSet(QStringLiteral("ActiveClass"));
        const QString code = ado::NormalizzaStringa(m_activeClass->CausaleGestita());
        if (!code.isEmpty()) {
            recordset->Fields(m_header->TXT_CAUSALE->dataField()).setValue(code);
            // As if the user had typed it: a stored code is shown, a new one frees the
            // satellite editors for it.
            m_header->TXT_CAUSALE_AfterItem();
        }
    } else if (module.ProgramMode() == 2 || recordset->RecordCount() < 1) {
        frame->SetStatus(host::DataFrame::StatusNew);
    } else {
        frame->SetStatus(host::DataFrame::StatusBrowse);
    }
}

void FRMCI_CAUSALI::focusFirstControl()
{
    if (canTakeFocus(m_header->TXT_CAUSALE))
        m_header->TXT_CAUSALE->setFocus();
    else if (canTakeFocus(m_header->TXT_DCAUSALE))
        m_header->TXT_DCAUSALE->setFocus();
}

// ----------------------------------------------------------------- scripts and layout

QVariant FRMCI_CAUSALI::ExecuteFormEvent(const QVariant &eventName)
{
    ado::passUp(QStringLiteral("ExecuteFormEvent"), [&] {
        const QString name = ado::NormalizzaStringa(eventName);
        if (name != OpenEvent && name != CloseEvent)
            return;
        host::ScriptObjectModel *script = requireNavigator().ScriptModel();
        if (script)
            script->RunFormEvent(objectName(), 0, name == OpenEvent ? 1 : 0, objectName());
    });
    return QVariant();
}

void FRMCI_CAUSALI::BuildScript()
{
    ado::passUp(QStringLiteral("BuildScript"), [&] { requireNavigator().PrepareScript(); });
}

void FRMCI_CAUSALI::ApplicaLayOut()
{
    ado::passUp(QStringLiteral("ApplicaLayOut"), [&] {
        host::Navigator &navigator = requireNavigator();
        if (host::LayoutObjectModel *layout = navigator.LayoutModel()) {
            layout->ApplyLayout();
            navigator.setLayoutModel(nullptr);
        }
        navigator.RefreshLayout();
    });
}

void FRMCI_CAUSALI::InizializzaScriptELayout()
{
    ado::passUp(QStringLiteral("InizializzaScriptELayout"), [&] {
        requireNavigator().RefreshLayout();
        ExecuteFormEvent(OpenEvent);
        requireGlobal().setApplicationData(
            QVariantMap{{QStringLiteral("name"), QCoreApplication::applicationName()},
                        {QStringLiteral("version"), QCoreApplication::applicationVersion()},
                        {QStringLiteral("path"), QCoreApplication::applicationDirPath()}});
    });
}

// ----------------------------------------------------------------- closing and unloading

void FRMCI_CAUSALI::Form_QueryUnload(bool &Cancel, int unloadMode)
{
    Q_UNUSED(unloadMode);
    AttivaModulo();
    if (!m_activated)
        return;
    ado::runSteps(
        [this](const ado::RuntimeError &error) {
            return GestioneErroreEvento(QStringLiteral("Form_QueryUnload"), error);
        },
        {
            [&] {
                host::DataFrame *frame = headerFrame();
                if (!frame)
                    raiseNotSet(QStringLiteral("gclsFrameTestata"));
                // A new reason code being entered is asked about too: dropping it without a
                // word would lose everything typed for it.
                Cancel = !frame->ConfirmPending(true, true, true);
            },
            [&] {
                if (Cancel)
                    return;
                host::Navigator &navigator = requireNavigator();
                if (!navigator.ScriptModel())
                    BuildScript();
                if (host::ScriptObjectModel *script = navigator.ScriptModel()) {
                    ExecuteFormEvent(CloseEvent);
                    Cancel = script->ScriptCancel();
                }
            },
        });
}

void FRMCI_CAUSALI::Form_Unload()
{
    ado::ignoreErrors({
        [&] {
            if (m_costUtility)
                m_costUtility->Terminate();
            m_costUtility.reset();
        },
        [&] {
            for (host::LookupObject *object : lookupObjects()) {
                object->setModuleInterface(nullptr);
                object->setConnection(nullptr);
            }
        },
        [&] { RilasciaProprietaConto(m_proposal ? m_proposal->TXT_CONTO : nullptr); },
        [&] { RilasciaProprietaConto(m_proposal ? m_proposal->TXT_VDS : nullptr); },
        [&] {
            for (host::AccountBox *box : {m_proposal->TXT_CONTO, m_proposal->TXT_VDS})
                box->setAccountTypes({});
        },
        [&] { releaseFrames(); },
        [&] {
            host::Navigator &navigator = requireNavigator();
            if (host::LayoutObjectModel *layout = navigator.LayoutModel()) {
                layout->ApplyLayout();
                navigator.setLayoutModel(nullptr);
            }
        },
        [&] { requireNavigator().releaseScriptBinding(this); },
        [&] { releaseConnection(); },
        [&] { m_activeClass.clear(); },
    });
    releaseHost();
    m_activeInterface = nullptr;
    ado::ignoreErrors({
        [&] {
            if (m_errorManager)
                m_errorManager->Terminate();
            m_errorManager.reset();
        },
    });
}

void FRMCI_CAUSALI::releaseFrames()
{
    // Satellites first: the header frame is their parent.
    ado::ignoreErrors({
        [&] { m_journals->releaseFrame(); },
        [&] { m_search->releaseFrames(); },
        [&] { m_proposal->releaseFrame(); },
        [&] { m_checks->releaseCheckRecordset(); },
        [&] { m_header->releaseFrames(); },
    });
}

void FRMCI_CAUSALI::releaseConnection()
{
    if (!m_connection)
        return;
    ado::ignoreErrors({
        [&] {
            if (m_connection->State() == ado::adStateOpen)
                m_connection->Close();
        },
        [&] { requireInterface().setConnection(nullptr); },
    });
    m_state.connection = nullptr;
    m_connection.reset();
}

// What the module tells the host through its interface when it goes away.
void FRMCI_CAUSALI::releaseHost()
{
    host::Cinterface *module = m_activeInterface;
    const auto global = [&]() -> host::HostGlobal & {
        if (!module || !module->ClsGlobal())
            raiseNotSet(QStringLiteral("ClsGlobal"));
        return *module->ClsGlobal();
    };
    ado::ignoreErrors({
        [&] { global().ReleaseModule(module); },
        [&] { requireNavigator().setCurrentModule(nullptr); },
        [&] { requireInterface().setActiveNavigator(nullptr); },
        [&] { global().setCurrentModule(nullptr); },
        [&] { global().setCurrentForm(nullptr); },
        [&] { requireInterface().setClsGlobal(nullptr); },
        [&] { requireInterface().setActiveDll(nullptr); },
        [&] { requireInterface().setStatusBar(nullptr); },
        [&] { requireInterface().setClsVoceMenu(nullptr); },
    });
}

void FRMCI_CAUSALI::RilasciaProprietaConto(host::AccountBox *box)
{
    if (box)
        box->releaseChart();
}

// ----------------------------------------------------------------- errors and messages

int FRMCI_CAUSALI::GestioneErroreEvento(const QString &handler, const ado::RuntimeError &error)
{
    // Inside a save or a delete an error ends the whole unit of work, which tells the user:
    // going on past a failed step would keep half of it.
    if (m_header && m_header->saveUnit().active()) {
        m_header->saveUnit().fail(error);
        return ado::AnswerAbort;
    }
    if (!m_errorManager)
        return ado::AnswerAbort;
    try {
        m_errorManager->setError(error);
        if (m_connection)
            m_errorManager->setProviderErrors(m_connection->Errors());
        ado::RuntimeError *reported = m_errorManager->error();
        reported->setSource(QStringLiteral("\r\n") + reported->source());
        const host::HostGlobal *global = hostGlobal();
        const QString title = global ? global->applicationTitle() : QString();
        const int answer = m_errorManager->ReportError(title, caption(), handler, ErrorReportStyle,
                                                       false);
        m_errorManager->clearError();
        return answer;
    } catch (const std::exception &failure) {
        // The report itself failed: the handler is left, and the failure is logged with the
        // error it was reporting.
        qCritical().noquote() << "FRMCI_CAUSALI: the error of" << handler << "(" << error.number()
                              << error.description()
                              << ") could not be reported:" << failure.what();
        m_errorManager->clearError();
        return ado::AnswerAbort;
    }
}

int FRMCI_CAUSALI::MostraMessaggio(const QString &prompt, int buttons, const QString &title,
                                   const QString &procedure)
{
    QString text = prompt;
    if (!procedure.isEmpty())
        text = prompt + QLatin1Char('\r') + QStringLiteral("Funzione: ") + procedure;
    if (m_errorManager)
        return m_errorManager->messageBox(text, buttons, title, true, false);
    if (!m_activeInterface)
        return host::DialogService::instance().message(text, buttons, title);
    if (host::HostGlobal *global = hostGlobal())
        return global->messageDictionary()->messageBox(text, buttons, title);
    return 0;
}

// ----------------------------------------------------------------- host objects

host::Cinterface &FRMCI_CAUSALI::requireInterface() const
{
    if (!m_activeInterface)
        raiseNotSet(QStringLiteral("ActiveInterface"));
    return *m_activeInterface;
}

host::HostGlobal &FRMCI_CAUSALI::requireGlobal() const
{
    host::HostGlobal *global = hostGlobal();
    if (!global)
        raiseNotSet(QStringLiteral("ClsGlobal"));
    return *global;
}

host::Navigator &FRMCI_CAUSALI::requireNavigator() const
{
    host::Navigator *active = navigator();
    if (!active)
        raiseNotSet(QStringLiteral("ActiveNavigator"));
    return *active;
}

} // namespace causali
