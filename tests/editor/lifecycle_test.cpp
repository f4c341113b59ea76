// The editor window's life: the ordered start-up, the company precondition, the initial record
// state, later activations, closing and unloading, and the error and message reports.

#include "editor_fixture.h"

#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/account_box.h"
#include "host/check_list.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/cost_utility.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/error_manager.h"
#include "host/grid_navigator.h"
#include "host/host_global.h"
#include "host/main_navigator.h"
#include "host/message_dictionary.h"
#include "host/navigator.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/journals_page.h"
#include "satellites/proposal_page.h"
#include "support/user_driver.h"

#include <QHash>
#include <QLabel>

using causali::FRMCI_CAUSALI;
using testsupport::ScriptedDialogs;

namespace editortest {
namespace {

class LifecycleTest : public EditorTest
{
};

TEST_F(LifecycleTest, StartUpRunsItsStepsInOrderAndWiresTheHost)
{
    // What the open script sees: the start-up has not completed yet, the focus is set.
    bool activatedAtOpenScript = true;
    bool descriptionFocusedAtOpenScript = false;
    navigator->setScriptModel(std::make_unique<host::ScriptObjectModel>());
    navigator->ScriptModel()->setScript([&](host::ScriptObjectModel &, const auto &event) {
        // ShowForm has not returned yet: the window is reached through the entry class.
        auto *opening = dynamic_cast<FRMCI_CAUSALI *>(entry->window()->widget());
        if (event.opening == 1 && opening) {
            activatedAtOpenScript = opening->isActivated();
            descriptionFocusedAtOpenScript = hasFocus(opening->headerPanel()->TXT_DCAUSALE);
        }
    });
    // What the host holds as each step begins: its calls come in the steps' order.
    struct HostState
    {
        bool connectionHanded = false;
        bool windowScripted = false;
        int layoutForms = -1; // -1: no layout model
        std::size_t formEvents = 0;
    };
    QHash<QString, HostState> atStep;
    onRoutine = [&](const QString &routine) {
        host::ScriptObjectModel *script = navigator->ScriptModel();
        host::LayoutObjectModel *layout = navigator->LayoutModel();
        atStep[routine] = {entry->Connection() != nullptr, !script->scriptObjects().empty(),
                           layout ? layout->registeredForms() : -1, script->formEvents().size()};
    };
    open();

    ASSERT_TRUE(window->isActivated());
    EXPECT_FALSE(atStep[QStringLiteral("handConnectionToHost")].connectionHanded);
    EXPECT_TRUE(atStep[QStringLiteral("createCostUtility")].connectionHanded);
    EXPECT_FALSE(atStep[QStringLiteral("BuildScript")].windowScripted);
    EXPECT_TRUE(atStep[QStringLiteral("ApplicaLayOut")].windowScripted);
    EXPECT_EQ(atStep[QStringLiteral("ApplicaLayOut")].layoutForms, -1);
    EXPECT_GE(atStep[QStringLiteral("startResizeHelper")].layoutForms, 1);
    EXPECT_EQ(atStep[QStringLiteral("ExecuteFormEvent")].formEvents, 0u);
    EXPECT_EQ(atStep[QStringLiteral("setActivated")].formEvents, 1u);
    // Every step of the table ran, once, in the table's order.
    EXPECT_EQ(startUpStepsRun(), FRMCI_CAUSALI::startUpSteps());
    // The grids are defined inside ConfigurazioneGriglie, before the frames.
    EXPECT_LT(routines.indexOf(QStringLiteral("INITGRD_SVILUPPO")),
              routines.indexOf(QStringLiteral("ConfigurazioneFrame")));
    EXPECT_GT(routines.indexOf(QStringLiteral("INITGRD_RICDEST")),
              routines.indexOf(QStringLiteral("ConfigurazioneGriglie")));
    EXPECT_FALSE(activatedAtOpenScript);
    // A stored code is shown: its box is locked, the description takes the focus.
    EXPECT_TRUE(descriptionFocusedAtOpenScript);

    // Host side: the module's connection is the window's, the module is current, the window
    // is known to the scripts, the open event ran once.
    ASSERT_NE(window->connection(), nullptr);
    EXPECT_EQ(entry->Connection(), window->connection());
    EXPECT_EQ(global->CurrentModule(), entry.get());
    ASSERT_NE(window->errorManager(), nullptr);
    EXPECT_EQ(window->errorManager()->moduleInterface(), entry.get());
    ASSERT_NE(window->costUtility(), nullptr);
    EXPECT_TRUE(window->costUtility()->isInitialized());
    EXPECT_EQ(window->costUtility()->connection(), window->connection());
    const auto &events = navigator->ScriptModel()->formEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].formName, QStringLiteral("FRMCI_CAUSALI"));
    EXPECT_EQ(events[0].opening, 1);
    bool windowScripted = false;
    for (const auto &object : navigator->ScriptModel()->scriptObjects())
        windowScripted = windowScripted || object.object == window;
    EXPECT_TRUE(windowScripted);

    // Charts of company 1, the proposal's account boxes prepared for them, tab 0 in front.
    EXPECT_EQ(window->chartBox()->Text().toString(), QStringLiteral("1"));
    EXPECT_FALSE(window->chartLabel()->text().isEmpty());
    EXPECT_EQ(window->vdsChartBox()->Text().toString(), QStringLiteral("2"));
    EXPECT_FALSE(window->vdsChartBox()->isHidden());
    EXPECT_EQ(window->proposalPage()->TXT_CONTO->chart().toString(), QStringLiteral("1"));
    EXPECT_EQ(window->proposalPage()->TXT_VDS->chart().toString(), QStringLiteral("2"));
    EXPECT_EQ(window->tabStrip()->Tab(), FRMCI_CAUSALI::TabHeader);
    EXPECT_TRUE(window->updatesEnabled());
    EXPECT_TRUE(dialogs->shown().empty());
}

TEST_F(LifecycleTest, PreconditionAndExpenseChartOfTheCompany)
{
    // Company 4 keeps no cost accounting: message 43671, the window unloads at once.
    dialogs->answerMessage(host::vbOK, global->messageDictionary()->GetText(43671));
    open({.company = testsupport::demo::CompanyWithoutCostAccounting});
    EXPECT_TRUE(window->isUnloaded());
    EXPECT_FALSE(window->isActivated());
    EXPECT_EQ(window->ActiveInterface(), nullptr);
    EXPECT_EQ(window->connection(), nullptr);
    EXPECT_EQ(entry->Connection(), nullptr);
    EXPECT_EQ(global->releasedModuleCount(), 1);
    EXPECT_EQ(startUpStepsRun().last(), QStringLiteral("checkPrecondition"));
    EXPECT_TRUE(window->updatesEnabled());
    close();

    // Company 2 has no expense-item chart: its controls are hidden, TXT_VDS empty and off.
    open({.company = testsupport::demo::CompanyWithoutExpenseChart});
    ASSERT_TRUE(window->isActivated());
    EXPECT_EQ(window->state().pdcVds.toString(), QStringLiteral("-1"));
    EXPECT_FALSE(window->state().separateVdsChart);
    EXPECT_TRUE(window->vdsChartBox()->isHidden());
    EXPECT_TRUE(window->vdsChartLabel()->isHidden());
    const host::AccountBox *items = window->proposalPage()->TXT_VDS;
    EXPECT_FALSE(items->isSwitchedOn());
    EXPECT_FALSE(items->isEnabled());
    EXPECT_TRUE(ado::isMissing(items->value()));
    EXPECT_TRUE(items->description().isEmpty());
}

TEST_F(LifecycleTest, InitialStatusFollowsTheHost)
{
    const auto status = [this] { return window->FrameTestata()->Status(); };

    open();
    EXPECT_EQ(status(), host::DataFrame::StatusBrowse);
    EXPECT_FALSE(window->mainNavigator()->calledProgram());
    close();

    open({.programMode = 2});
    EXPECT_EQ(status(), host::DataFrame::StatusNew);
    close();

    // Called by another program without a code: a new record, nothing written in it.
    open({.isCalled = true});
    EXPECT_EQ(status(), host::DataFrame::StatusNew);
    EXPECT_TRUE(window->mainNavigator()->calledProgram());
    EXPECT_TRUE(ado::NormalizzaStringa(window->headerPanel()->TXT_CAUSALE->Text()).isEmpty());
    close();

    // Called on a stored code: that reason code is shown.
    open({.isCalled = true, .causaleGestita = QStringLiteral("ACQM ")});
    EXPECT_EQ(status(), host::DataFrame::StatusBrowse);
    EXPECT_EQ(ado::NormalizzaStringa(window->headerPanel()->TXT_CAUSALE->Text()),
              QStringLiteral("ACQM"));
    close();

    // Called on a code not stored yet: a new record with that code, its satellites editable.
    open({.isCalled = true, .causaleGestita = QStringLiteral("NEW1")});
    EXPECT_EQ(status(), host::DataFrame::StatusNew);
    EXPECT_EQ(window->headerPanel()->TXT_CAUSALE->Text().toString(), QStringLiteral("NEW1"));
    EXPECT_TRUE(window->accountChecksPage()->LIST_TIPIDARE->isEnabled());
    EXPECT_TRUE(window->journalsPage()->GNV_SEZIONALI->isEnabled());
    close();

    execute(QStringLiteral("DELETE FROM CI03_CAUSALI"));
    open();
    EXPECT_EQ(status(), host::DataFrame::StatusNew);
}

TEST_F(LifecycleTest, LaterActivationsOnlyMakeTheModuleCurrent)
{
    open();
    ado::Connection *connection = window->connection();
    host::ErrorManager *errors = window->errorManager();
    const int refreshes = navigator->refreshCount();
    routines.clear();
    global->setCurrentModule(nullptr);

    window->Form_Activate();

    EXPECT_TRUE(routines.isEmpty());
    EXPECT_EQ(window->connection(), connection);
    EXPECT_EQ(window->errorManager(), errors);
    EXPECT_EQ(global->CurrentModule(), entry.get());
    EXPECT_EQ(navigator->refreshCount(), refreshes + 1);
    EXPECT_EQ(navigator->navigatorStatus(), window->FrameTestata()->Status());
    EXPECT_EQ(navigator->ScriptModel()->formEvents().size(), 1u);

    // Only the open and close events run a script; the models program's hook runs the open one.
    window->ExecuteFormEvent(QStringLiteral("qvAltro"));
    EXPECT_EQ(navigator->ScriptModel()->formEvents().size(), 1u);
    window->InizializzaScriptELayout();
    ASSERT_EQ(navigator->ScriptModel()->formEvents().size(), 2u);
    EXPECT_EQ(navigator->ScriptModel()->formEvents().back().opening, 1);
    EXPECT_TRUE(global->applicationData().isValid());
}

TEST_F(LifecycleTest, UnloadReleasesEverything)
{
    open();
    ASSERT_TRUE(window->isActivated());
    host::AccountBox *account = window->proposalPage()->TXT_CONTO;

    EXPECT_TRUE(entry->CloseForm().toBool());

    EXPECT_TRUE(window->isUnloaded());
    EXPECT_EQ(window->ActiveInterface(), nullptr);
    EXPECT_EQ(window->ActiveClass(), nullptr);
    EXPECT_EQ(window->connection(), nullptr);
    EXPECT_EQ(window->errorManager(), nullptr);
    EXPECT_EQ(window->costUtility(), nullptr);
    EXPECT_EQ(window->FrameTestata(), nullptr);
    EXPECT_EQ(window->FrameSezionali(), nullptr);
    EXPECT_EQ(window->FrameSviluppo(), nullptr);
    EXPECT_FALSE(account->chart().isValid());
    EXPECT_EQ(entry->Connection(), nullptr);
    EXPECT_EQ(entry->ClsGlobal(), nullptr);
    EXPECT_EQ(entry->ActiveNavigator(), nullptr);
    EXPECT_EQ(entry->ActiveDll(), nullptr);
    EXPECT_EQ(global->CurrentModule(), nullptr);
    EXPECT_EQ(global->releasedModuleCount(), 1);
    EXPECT_EQ(navigator->CurrentModule(), nullptr);
    const auto &events = navigator->ScriptModel()->formEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events.back().opening, 0); // "qvClose"
    for (const auto &object : navigator->ScriptModel()->scriptObjects())
        EXPECT_NE(object.object, window);
    EXPECT_TRUE(dialogs->shown().empty());
}

TEST_F(LifecycleTest, ClosingIsRefusedByTheCloseScriptOrByPendingChanges)
{
    open();
    testsupport::UserDriver user(window);
    // The close script keeps the window open, with no message of the module.
    navigator->ScriptModel()->setScript([](host::ScriptObjectModel &model, const auto &event) {
        if (event.opening == 0)
            model.setScriptCancel(true);
    });
    EXPECT_FALSE(entry->CloseForm().toBool());
    EXPECT_FALSE(window->isUnloaded());
    EXPECT_NE(window->ActiveInterface(), nullptr);
    EXPECT_TRUE(dialogs->shown().empty());
    navigator->ScriptModel()->setScript({});

    // A changed description: the frame asks, "cancel" keeps the window open.
    user.typeInto(window->headerPanel()->TXT_DCAUSALE, QStringLiteral("Altra descrizione"));
    dialogs->answerMessage(host::vbCancel, QStringLiteral("Salvare le modifiche"));
    EXPECT_FALSE(entry->CloseForm().toBool());
    EXPECT_FALSE(window->isUnloaded());
    // "No" drops the change and closes.
    dialogs->answerMessage(host::vbNo, QStringLiteral("Salvare le modifiche"));
    EXPECT_TRUE(entry->CloseForm().toBool());
    EXPECT_TRUE(window->isUnloaded());
}

TEST_F(LifecycleTest, ClosingAsksAboutANewCodeBeingEntered)
{
    open({.programMode = 2});
    testsupport::UserDriver user(window);
    user.typeInto(window->headerPanel()->TXT_CAUSALE, QStringLiteral("NUO9"));
    dialogs->answerMessage(host::vbCancel, QStringLiteral("Salvare le modifiche"));
    EXPECT_FALSE(entry->CloseForm().toBool());
    EXPECT_EQ(window->headerPanel()->TXT_CAUSALE->Text().toString(), QStringLiteral("NUO9"));
}

TEST_F(LifecycleTest, AnErrorInTheStartUpIsReportedWithItsRoutines)
{
    // The first definition of the journal grid fails; each answer is tried on a new window.
    bool failed = false;
    onRoutine = [&](const QString &routine) {
        if (routine == QStringLiteral("INITGRD_SEZIONALI") && !failed) {
            failed = true;
            ado::raise(5, QStringLiteral("Griglia non disponibile"), QStringLiteral("Griglia"));
        }
    };

    dialogs->answerError(ado::AnswerAbort, QStringLiteral("Griglia non disponibile"));
    open();
    ASSERT_EQ(dialogs->shownOf(ScriptedDialogs::Kind::Error).size(), 1u);
    const ScriptedDialogs::Shown report = dialogs->shownOf(ScriptedDialogs::Kind::Error)[0];
    EXPECT_EQ(report.source, QStringLiteral("Form_Activate\r\nConfigurazioneGriglie:\r\nGriglia"));
    EXPECT_EQ(report.number, 5);
    EXPECT_EQ(report.style, 4370);
    EXPECT_TRUE(report.title.contains(FRMCI_CAUSALI::DesignCaption));
    // Abort: half configured, not activated; the next activation runs the start-up again.
    EXPECT_FALSE(window->isActivated());
    EXPECT_FALSE(routines.contains(QStringLiteral("ConfigurazioneFrame")));
    EXPECT_TRUE(window->updatesEnabled());
    window->Form_Activate();
    EXPECT_TRUE(window->isActivated());
    close();

    // Retry runs the failing step again: the grids are all defined.
    failed = false;
    dialogs->answerError(ado::AnswerRetry);
    open();
    EXPECT_TRUE(window->isActivated());
    EXPECT_EQ(routines.count(QStringLiteral("ConfigurazioneGriglie")), 2);
    EXPECT_TRUE(routines.contains(QStringLiteral("INITGRD_RICDEST")));
    close();

    // Ignore goes on with the next step: the rest of ConfigurazioneGriglie is skipped.
    failed = false;
    dialogs->answerError(ado::AnswerIgnore);
    open();
    EXPECT_TRUE(window->isActivated());
    EXPECT_FALSE(routines.contains(QStringLiteral("INITGRD_RICDEST")));
    EXPECT_TRUE(routines.contains(QStringLiteral("ConfigurazioneFrame")));
    close();

    // A step that calls a routine adds the routine's name to the source; the others do not.
    const std::pair<QString, QString> sources[] = {
        {QStringLiteral("CaricaCombo"), QStringLiteral("Form_Activate\r\nCaricaCombo:\r\nPasso")},
        {QStringLiteral("showCharts"), QStringLiteral("Form_Activate\r\nPasso")}};
    for (const auto &[step, source] : sources) {
        onRoutine = [&](const QString &routine) {
            if (routine == step)
                ado::raise(5, QStringLiteral("Passo non riuscito"), QStringLiteral("Passo"));
        };
        dialogs->clearShown();
        dialogs->answerError(ado::AnswerAbort, QStringLiteral("Passo non riuscito"));
        open();
        const auto errors = dialogs->shownOf(ScriptedDialogs::Kind::Error);
        ASSERT_EQ(errors.size(), 1u) << step.toStdString();
        EXPECT_EQ(errors[0].source, source);
        EXPECT_FALSE(window->isActivated());
        close();
    }
}

TEST_F(LifecycleTest, ReportsAndMessagesWithAndWithoutTheHost)
{
    // Before its start-up the window has no error manager: nothing is shown, the answer is 3.
    FRMCI_CAUSALI bare;
    EXPECT_EQ(bare.GestioneErroreEvento(QStringLiteral("TAB_CAUSALI_Click"),
                                        ado::RuntimeError(13, QStringLiteral("Tipo"))),
              ado::AnswerAbort);
    EXPECT_TRUE(dialogs->shown().empty());
    // Without the host a plain message box shows the text.
    dialogs->answerMessage(host::vbOK);
    EXPECT_EQ(bare.MostraMessaggio(QStringLiteral("Testo"), host::vbOKOnly,
                                   QStringLiteral("Attenzione"), QString()),
              host::vbOK);

    open();
    dialogs->clearShown();
    dialogs->answerMessage(host::vbYes);
    dialogs->answerMessage(host::vbOK);
    EXPECT_EQ(window->MostraMessaggio(QStringLiteral("Confermi?"), host::vbYesNo,
                                      QStringLiteral("Attenzione"), QStringLiteral("CaricaCombo")),
              host::vbYes);
    EXPECT_EQ(window->MostraMessaggio(QStringLiteral("Fatto"), host::vbOKOnly,
                                      QStringLiteral("Attenzione"), QString()),
              host::vbOK);
    const QStringList texts = dialogs->messageTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], QStringLiteral("Confermi?\rFunzione: CaricaCombo"));
    EXPECT_EQ(texts[1], QStringLiteral("Fatto"));
    EXPECT_EQ(dialogs->shown()[0].title, QStringLiteral("Attenzione"));

    // The report puts CR LF before the source, and the dialog's answer comes back.
    dialogs->answerError(ado::AnswerIgnore);
    EXPECT_EQ(window->GestioneErroreEvento(
                  QStringLiteral("CBO_DITTA_AfterItem"),
                  ado::RuntimeError(3021, QStringLiteral("Nessun record"), QStringLiteral("X:"))),
              ado::AnswerIgnore);
    EXPECT_EQ(dialogs->shownOf(ScriptedDialogs::Kind::Error).back().source,
              QStringLiteral("CBO_DITTA_AfterItem\r\nX:"));
}

} // namespace
} // namespace editortest
