#pragma once
// FRMCI_CAUSALI, the editor window of the cost-accounting reason codes: the whole user
// interface of the module. It owns the connection, the shared window state and the data units
// (working tables, save routines, lookups), the host service objects made at start-up, the
// main navigator INV_MAIN, the tab control TAB_CAUSALI, the chart boxes, and the units that
// edit the reason code: the header panel (code, description and tab 0) and the four satellite
// pages (tabs 1 to 4).
//
// Life cycle (window_lifecycle.cpp): the first activation runs the start-up (Form_Activate),
// every activation makes the module current (AttivaModulo), closing asks the header frame to
// settle pending changes (Form_QueryUnload) and unloading releases everything (Form_Unload).
// Qt's events drive them: showing the window (through ModuleWindow::show or directly) and
// every window activation raise Form_Activate; a close request runs Form_QueryUnload and,
// unless refused, Form_Unload. The object itself lives on, unloaded, until its owner (the
// entry class) destroys it.
//
// Tabs, main navigator commands and the loading of the satellites: window_tabs.cpp and
// window_children.cpp.

#include "ado/error.h"
#include "data/window_state.h"
#include "host/module_window.h"
#include "satellites/editor_context.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <span>
#include <vector>

class QLabel;
class QGroupBox;

namespace ado {
class Connection;
class Recordset;
} // namespace ado

namespace host {
class AccountBox;
class CodeBox;
class CostUtility;
class ErrorManager;
class JournalDecodeService;
class JournalLookupService;
class LookupObject;
class MainNavigator;
class MdiHost;
class Navigator;
class ProviderDecodeService;
class ProviderLookupService;
class ResizeHelper;
class TabStrip;
} // namespace host

namespace causali {

class HeaderPanel;

class FRMCI_CAUSALI : public QWidget,
                      public host::ModuleWindow,
                      public EditorContext,
                      public HeaderView
{
    Q_OBJECT

public:
    static const QString DesignCaption; // "Anagrafica causali di contabilità analitica"

    // Tabs of TAB_CAUSALI.
    enum TabIndex { TabHeader = 0, TabJournals = 1, TabChecks = 2, TabSearch = 3, TabProposal = 4 };

    explicit FRMCI_CAUSALI(QWidget *parent = nullptr);
    ~FRMCI_CAUSALI() override;

    // Makes CLSCI_CAUSALI::ShowForm create this window.
    static void registerWindowFactory();

    // ----- host::ModuleWindow -----
    host::Cinterface *ActiveInterface() const override { return m_activeInterface; }
    void setActiveInterface(host::Cinterface *module) override { m_activeInterface = module; }
    host::CLSCI_CAUSALI *ActiveClass() const override;
    void setActiveClass(host::CLSCI_CAUSALI *entry) override;
    host::CostUtility *costUtility() const override { return m_costUtility.get(); }
    QString caption() const override { return windowTitle(); }
    void setCaption(const QString &caption) override;
    void setWindowState(qint16 state) override;
    QString name() const override { return objectName(); }
    void show(bool modal) override;
    bool unload() override;
    QWidget *widget() override { return this; }
    using QWidget::setWindowState;
    using QWidget::show;

    // ----- EditorContext -----
    WindowState &state() override { return m_state; }
    const HeaderView &headerView() const override { return *this; }
    WorkingTables &workingTables() override { return *m_workingTables; }
    SaveRoutines &saveRoutines() override { return *m_saveRoutines; }
    Lookups &lookups() override { return *m_lookups; }
    host::HostGlobal *hostGlobal() const override;
    QString connectionText() const override;
    host::JournalLookupService *journalLookup() const override { return m_journalLookup.get(); }
    host::JournalDecodeService *journalDecode() const override { return m_journalDecode.get(); }
    host::ProviderLookupService *providerLookup() const override { return m_providerLookup.get(); }
    host::ProviderDecodeService *providerDecode() const override { return m_providerDecode.get(); }
    int GestioneErroreEvento(const QString &handler, const ado::RuntimeError &error) override;
    int MostraMessaggio(const QString &prompt, int buttons, const QString &title,
                        const QString &procedure) override;
    host::DataFrame *headerFrame() const override;
    host::TabStrip *tabStrip() const override { return TAB_CAUSALI; }
    host::CodeBox *codeBox() const override;
    host::ComboBox *movementCombo() const override;
    host::CodeBox *linkedCodeBox() const override;
    host::CodeBox *referenceCodeBox() const override;
    JournalsPage *journalsPage() const override { return m_journals; }
    SearchSequencePage *searchSequencePage() const override { return m_search; }
    ProposalPage *proposalPage() const override { return m_proposal; }
    AccountChecksPage *accountChecksPage() const override { return m_checks; }

    // ----- HeaderView -----
    QVariant causaleText() const override;
    QVariant idProv() const override;
    QString descrizioneText() const override;

    // ----- life cycle (window_lifecycle.cpp) -----
    void Form_Initialize();
    void Form_Activate();
    // Cancel: set to refuse the close. unloadMode: the QueryUnload modes (0 the user closed
    // the window, 1 code asked for it).
    void Form_QueryUnload(bool &Cancel, int unloadMode);
    void Form_Unload();
    void AttivaModulo();
    QVariant ExecuteFormEvent(const QVariant &eventName);
    void BuildScript();
    void ApplicaLayOut();
    void InizializzaScriptELayout() override;
    void RilasciaProprietaConto(host::AccountBox *box);
    bool isActivated() const { return m_activated; }
    bool isUnloaded() const { return m_unloaded; }

    // ----- frames, read only -----
    host::DataFrame *FrameTestata() const;
    host::DataFrame *FrameSezionali() const;
    host::DataFrame *FrameRicOrigine() const;
    host::DataFrame *FrameRicDest() const;
    host::DataFrame *FrameSviluppo() const;

    // ----- tabs, navigator and satellites (window_tabs.cpp, window_children.cpp) -----
    void TAB_CAUSALI_Click();
    void INV_MAIN_ButtonClick(bool &cancel, const QString &key);
    void INV_MAIN_AfterButtonClick(long result, const QString &key);
    void AbilitazioneControlliSatelliti(bool Blocca);
    void ConfigurazioneGriglie();
    void ConfigurazioneTabRicerca();
    void QVR_MDIHOST_PlacementRequest();
    void ShowChild();
    void ClearChild();
    void RefreshChild();

    // ----- controls of the window itself -----
    host::MainNavigator *mainNavigator() const override;
    host::CodeBox *chartBox() const { return TXT_PDC_KOVA; }
    QLabel *chartLabel() const { return LBL_PDC_KOVA_DES; }
    host::CodeBox *vdsChartBox() const { return TXT_PDC_VDS; }
    QLabel *vdsChartLabel() const { return LBL_PDC_VDS_DES; }
    HeaderPanel *headerPanel() const { return m_header; }
    ado::Connection *connection() const { return m_connection.get(); }
    host::ErrorManager *errorManager() const { return m_errorManager.get(); }

    // The steps of the start-up, in the order they run (the names the routine observer is
    // told). Steps of kind Routine call the routine of their name, which errors raised inside
    // them carry as their source.
    enum StartUpStepKind : bool { Inline = false, Routine = true };
    struct StartUpStep
    {
        const char *name;
        StartUpStepKind kind;
        void (*run)(FRMCI_CAUSALI &window);
    };
    static std::span<const StartUpStep> startUpTable();
    static QStringList startUpSteps();

    // Told the name of every step of the start-up and of every routine of the satellite
    // loading as it begins, inside the routine's error trap (a routine observer that raises
    // makes that step or routine fail, as a failing host call would). For the host's
    // diagnostics, benchmarks and tests.
    using RoutineObserver = std::function<void(const QString &routine)>;
    void setRoutineObserver(RoutineObserver observer) { m_routineObserver = std::move(observer); }

signals:
    // The unload completed (the window is closed and released what it held).
    void unloaded();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // frmci_causali.cpp
    void buildControls();
    void buildLayout();
    QWidget *buildChartGroup(QWidget *parent);
    QWidget *buildProposalTab();
    void wireControls();
    host::Navigator *navigator() const;
    void routine(const QString &name) const;

    // window_lifecycle.cpp
    void runStartUpStep(const StartUpStep &step);
    void startUp();
    void freezePainting();
    void unfreezePainting();
    void createErrorManager();
    void readConnectionString();
    void openConnection();
    void createCostUtility();
    bool checkPrecondition();
    void refuseStartUp();
    void readCharts();
    void showCharts();
    void createLookupObjects();
    std::vector<host::LookupObject *> lookupObjects() const;
    void ImpostazioneProprietaContoKOVA(host::AccountBox *box, const QVariant &chart, int kind);
    void prepareExpenseItemBox();
    void fillCombos();
    void setInitialStatus();
    void focusFirstControl();
    void releaseFrames();
    void releaseConnection();
    void releaseHost();
    host::Cinterface &requireInterface() const;
    host::HostGlobal &requireGlobal() const;
    host::Navigator &requireNavigator() const;

    // window_children.cpp
    void reopenFrame(host::DataFrame *frame, ado::Recordset *recordset, const QString &sql,
                     const QString &frameName, const QString &filter = {});
    void reopenChecks(const QString &sql);
    void rekey(host::DataFrame *frame, ado::Recordset *recordset, const QString &sourceSql,
               const QString &keyColumn, const QString &code);

    host::Cinterface *m_activeInterface = nullptr;
    QPointer<host::CLSCI_CAUSALI> m_activeClass;

    WindowState m_state;
    std::unique_ptr<ado::Connection> m_connection;
    QString m_connectionString;
    std::unique_ptr<WorkingTables> m_workingTables;
    std::unique_ptr<SaveRoutines> m_saveRoutines;
    std::unique_ptr<Lookups> m_lookups;
    std::unique_ptr<host::ErrorManager> m_errorManager;
    std::unique_ptr<host::CostUtility> m_costUtility;
    std::unique_ptr<host::JournalLookupService> m_journalLookup;
    std::unique_ptr<host::JournalDecodeService> m_journalDecode;
    std::unique_ptr<host::ProviderLookupService> m_providerLookup;
    std::unique_ptr<host::ProviderDecodeService> m_providerDecode;
    int m_companyCode = 0;

    // Controls of the window (children of the window, or of the shell that shows INV_MAIN as
    // its tool bar; the window deletes INV_MAIN itself in that case).
    QPointer<host::MainNavigator> INV_MAIN;
    host::TabStrip *TAB_CAUSALI = nullptr;
    host::CodeBox *TXT_PDC_KOVA = nullptr;
    QLabel *LBL_PDC_KOVA_DES = nullptr;
    QLabel *m_vdsCaption = nullptr;
    host::CodeBox *TXT_PDC_VDS = nullptr;
    QLabel *LBL_PDC_VDS_DES = nullptr;
    host::MdiHost *m_mdiHost = nullptr;
    host::ResizeHelper *QVR_RESIZEFORM = nullptr;

    HeaderPanel *m_header = nullptr;
    JournalsPage *m_journals = nullptr;
    AccountChecksPage *m_checks = nullptr;
    SearchSequencePage *m_search = nullptr;
    ProposalPage *m_proposal = nullptr;

    RoutineObserver m_routineObserver;
    QPointer<QWidget> m_frozenArea; // painting suspended during the start-up
    bool m_activated = false;
    bool m_startingUp = false;   // the start-up is running (no second one meanwhile)
    bool m_startupEnded = false; // the precondition failed: the remaining steps do nothing
    bool m_unloaded = false;
    bool m_unloading = false;
    bool m_closeByCode = false;
};

} // namespace causali
