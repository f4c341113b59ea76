#include "editor/frmci_causali.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/lookups.h"
#include "data/save_routines.h"
#include "data/working_tables.h"
#include "header/header_panel.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/control_types.h"
#include "host/cost_utility.h"
#include "host/error_manager.h"
#include "host/handler_connection.h"
#include "host/host_global.h"
#include "host/lookup_services.h"
#include "host/main_navigator.h"
#include "host/navigator.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/journals_page.h"
#include "satellites/proposal_page.h"
#include "satellites/search_sequence_page.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace causali {

const QString FRMCI_CAUSALI::DesignCaption = QStringLiteral(
    "Anagrafica causali di contabilità analitica");

namespace {

// VB's QueryUnload modes.
enum UnloadMode : int { vbFormControlMenu = 0, vbFormCode = 1 };

// Characters of the chart boxes and their descriptions.
constexpr int ChartBoxWidth = 4;
constexpr int ChartDescriptionWidth = 22;

QLabel *descriptionLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(label->fontMetrics().averageCharWidth() * ChartDescriptionWidth);
    return label;
}

host::CodeBox *makeChartBox(const QString &name, const QString &caption, QWidget *parent)
{
    auto *box = new host::CodeBox(parent);
    box->setObjectName(name);
    box->setCaption(caption);
    box->setDisplayWidth(ChartBoxWidth);
    box->setEnabled(false);
    return box;
}

} // namespace

FRMCI_CAUSALI::FRMCI_CAUSALI(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FRMCI_CAUSALI"));
    setWindowTitle(DesignCaption);
    m_workingTables = std::make_unique<WorkingTables>(m_state);
    m_saveRoutines = std::make_unique<SaveRoutines>(m_state, *this);
    m_lookups = std::make_unique<Lookups>(
        m_state, *this, [this](const QString &procedure, const ado::RuntimeError &error) {
            host::HostGlobal *global = hostGlobal();
            if (!global)
                throw error; // without the host the error goes to the caller
            return global->ReportProcedureError(procedure, error);
        });
    buildControls();
    buildLayout();
    wireControls();
    Form_Initialize();
}

FRMCI_CAUSALI::~FRMCI_CAUSALI()
{
    // The units hold frames bound to row sets of the connection and to INV_MAIN: they go
    // first, then the tool bar (a shell may have taken it as its own), then the members.
    // Removing the tabs must not reach the tab handler of a window being destroyed.
    disconnect(TAB_CAUSALI, nullptr, this, nullptr);
    delete m_header;
    delete TAB_CAUSALI;
    if (INV_MAIN)
        delete INV_MAIN.data();
}

void FRMCI_CAUSALI::registerWindowFactory()
{
    host::CLSCI_CAUSALI::setWindowFactory([] { return std::make_unique<FRMCI_CAUSALI>(); });
}

// ----------------------------------------------------------------- controls and layout

void FRMCI_CAUSALI::buildControls()
{
    INV_MAIN = new host::MainNavigator(this);
    INV_MAIN->setObjectName(QStringLiteral("INV_MAIN"));

    TAB_CAUSALI = new host::TabStrip(this);
    TAB_CAUSALI->setObjectName(QStringLiteral("TAB_CAUSALI"));

    TXT_PDC_KOVA = makeChartBox(QStringLiteral("TXT_PDC_KOVA"), QStringLiteral("Piano dei conti"),
                                this);
    LBL_PDC_KOVA_DES = descriptionLabel(QStringLiteral("LBL_PDC_KOVA_DES"), this);
    TXT_PDC_VDS = makeChartBox(QStringLiteral("TXT_PDC_VDS"),
                               QStringLiteral("Piano dei conti per V.d.s."), this);
    LBL_PDC_VDS_DES = descriptionLabel(QStringLiteral("LBL_PDC_VDS_DES"), this);

    // The units receive the window as their context; the tab strip exists before them.
    m_header = new HeaderPanel(*this, this);
    m_journals = new JournalsPage(*this, TAB_CAUSALI);
    m_checks = new AccountChecksPage(*this, TAB_CAUSALI);
    m_search = new SearchSequencePage(*this, TAB_CAUSALI);
    m_proposal = new ProposalPage(*this, TAB_CAUSALI);
    TAB_CAUSALI->addTab(m_header->fieldsPage(), HeaderPanel::Caption);
    TAB_CAUSALI->addTab(m_journals, JournalsPage::Caption);
    TAB_CAUSALI->addTab(m_checks, AccountChecksPage::Caption);
    TAB_CAUSALI->addTab(m_search, SearchSequencePage::Caption);
    TAB_CAUSALI->addTab(buildProposalTab(), ProposalPage::Caption);

    m_mdiHost = new host::MdiHost(this);
    m_mdiHost->setObjectName(QStringLiteral("QVR_MDIHOST"));
    QVR_RESIZEFORM = new host::ResizeHelper(this);
    QVR_RESIZEFORM->setObjectName(QStringLiteral("QVR_RESIZEFORM"));
}

// The charts the proposal's accounts and items belong to, shown above the proposal.
QWidget *FRMCI_CAUSALI::buildChartGroup(QWidget *parent)
{
    auto *group = new QGroupBox(QStringLiteral("Piani dei conti"), parent);
    group->setObjectName(QStringLiteral("GRB_PIANIDEICONTI"));
    auto *chartCaption = new QLabel(TXT_PDC_KOVA->Caption(), group);
    chartCaption->setObjectName(QStringLiteral("LBL_PDC_KOVA"));
    m_vdsCaption = new QLabel(TXT_PDC_VDS->Caption(), group);
    m_vdsCaption->setObjectName(QStringLiteral("LBL_PDC_VDS"));
    auto *line = new QHBoxLayout(group);
    line->addWidget(chartCaption);
    line->addWidget(TXT_PDC_KOVA);
    line->addWidget(LBL_PDC_KOVA_DES, 1);
    line->addSpacing(16);
    line->addWidget(m_vdsCaption);
    line->addWidget(TXT_PDC_VDS);
    line->addWidget(LBL_PDC_VDS_DES, 1);
    return group;
}

QWidget *FRMCI_CAUSALI::buildProposalTab()
{
    auto *page = new QWidget(TAB_CAUSALI);
    page->setObjectName(QStringLiteral("PAG_SVILUPPO"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildChartGroup(page));
    layout->addWidget(m_proposal, 1);
    return page;
}

void FRMCI_CAUSALI::buildLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(INV_MAIN);
    layout->addWidget(m_header->codeGroup());
    m_header->codeGroup()->show(); // the panel keeps it hidden until it is placed
    layout->addWidget(TAB_CAUSALI, 1);
}

void FRMCI_CAUSALI::wireControls()
{
    connect(TAB_CAUSALI, &host::TabStrip::Click, this, [this](int) { TAB_CAUSALI_Click(); });
    host::connectHandler(INV_MAIN, &host::MainNavigator::ButtonClick, this,
                         &FRMCI_CAUSALI::INV_MAIN_ButtonClick);
    connect(INV_MAIN, &host::MainNavigator::AfterButtonClick, this,
            &FRMCI_CAUSALI::INV_MAIN_AfterButtonClick, Qt::DirectConnection);
    connect(m_mdiHost, &host::MdiHost::PlacementRequest, this,
            &FRMCI_CAUSALI::QVR_MDIHOST_PlacementRequest);
}

// ----------------------------------------------------------------- module window

host::CLSCI_CAUSALI *FRMCI_CAUSALI::ActiveClass() const
{
    return m_activeClass;
}

void FRMCI_CAUSALI::setActiveClass(host::CLSCI_CAUSALI *entry)
{
    m_activeClass = entry;
}

void FRMCI_CAUSALI::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void FRMCI_CAUSALI::setWindowState(qint16 state)
{
    switch (state) {
    case 1:
        QWidget::setWindowState(Qt::WindowMinimized);
        break;
    case 2:
        QWidget::setWindowState(Qt::WindowMaximized);
        break;
    default:
        QWidget::setWindowState(Qt::WindowNoState);
        break;
    }
}

void FRMCI_CAUSALI::show(bool modal)
{
    if (m_unloaded)
        return;
    if (modal && isWindow())
        setWindowModality(Qt::ApplicationModal);
    QWidget::show();
    // Showing activates the window: the start-up runs before show returns.
    Form_Activate();
    if (modal && !m_unloaded) {
        QEventLoop loop;
        connect(this, &FRMCI_CAUSALI::unloaded, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

bool FRMCI_CAUSALI::unload()
{
    if (m_unloaded)
        return true;
    m_closeByCode = true;
    close();
    m_closeByCode = false;
    return m_unloaded;
}

// ----------------------------------------------------------------- Qt events

bool FRMCI_CAUSALI::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && isVisible())
        Form_Activate();
    return QWidget::event(event);
}

void FRMCI_CAUSALI::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_activated && !m_startingUp && !m_unloaded)
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                Form_Activate();
        });
}

void FRMCI_CAUSALI::closeEvent(QCloseEvent *event)
{
    if (m_unloaded || m_unloading) {
        event->accept();
        return;
    }
    // What is still being typed counts as the window's changes (a refused value keeps it open).
    if (m_activated && !host::settleFocusedInput(this)) {
        event->ignore();
        return;
    }
    bool cancel = false;
    Form_QueryUnload(cancel, m_closeByCode ? vbFormCode : vbFormControlMenu);
    if (cancel) {
        event->ignore();
        return;
    }
    m_unloading = true;
    Form_Unload();
    m_unloading = false;
    m_unloaded = true;
    event->accept();
    emit unloaded();
}

// ----------------------------------------------------------------- context and header view

host::HostGlobal *FRMCI_CAUSALI::hostGlobal() const
{
    return m_activeInterface ? m_activeInterface->ClsGlobal() : nullptr;
}

host::Navigator *FRMCI_CAUSALI::navigator() const
{
    return m_activeInterface ? m_activeInterface->ActiveNavigator() : nullptr;
}

QString FRMCI_CAUSALI::connectionText() const
{
    return m_connection ? m_connection->ConnectionString() : m_connectionString;
}

host::MainNavigator *FRMCI_CAUSALI::mainNavigator() const
{
    return INV_MAIN.data();
}

host::DataFrame *FRMCI_CAUSALI::headerFrame() const
{
    return m_header ? m_header->gclsFrameTestata() : nullptr;
}

host::CodeBox *FRMCI_CAUSALI::codeBox() const
{
    return m_header ? m_header->TXT_CAUSALE : nullptr;
}

host::ComboBox *FRMCI_CAUSALI::movementCombo() const
{
    return m_header ? m_header->CBO_MOVDATI : nullptr;
}

host::CodeBox *FRMCI_CAUSALI::linkedCodeBox() const
{
    return m_header ? m_header->TXT_CAUCOLL : nullptr;
}

host::CodeBox *FRMCI_CAUSALI::referenceCodeBox() const
{
    return m_header ? m_header->TXT_CAUCOLLRIF : nullptr;
}

QVariant FRMCI_CAUSALI::causaleText() const
{
    return codeBox() ? codeBox()->Text() : ado::Null();
}

QVariant FRMCI_CAUSALI::idProv() const
{
    return m_header ? m_header->idProv() : QVariant();
}

QString FRMCI_CAUSALI::descrizioneText() const
{
    if (!m_header || !m_header->TXT_DCAUSALE)
        return QString();
    const QVariant text = m_header->TXT_DCAUSALE->Text();
    return ado::isMissing(text) ? QString() : text.toString();
}

host::DataFrame *FRMCI_CAUSALI::FrameTestata() const
{
    return headerFrame();
}

host::DataFrame *FRMCI_CAUSALI::FrameSezionali() const
{
    return m_journals ? m_journals->gclsFrameSezionali() : nullptr;
}

host::DataFrame *FRMCI_CAUSALI::FrameRicOrigine() const
{
    return m_search ? m_search->gclsFrameRicOrigine() : nullptr;
}

host::DataFrame *FRMCI_CAUSALI::FrameRicDest() const
{
    return m_search ? m_search->gclsFrameRicDest() : nullptr;
}

host::DataFrame *FRMCI_CAUSALI::FrameSviluppo() const
{
    return m_proposal ? m_proposal->gclsFrameSviluppo() : nullptr;
}

void FRMCI_CAUSALI::routine(const QString &name) const
{
    if (m_routineObserver)
        m_routineObserver(name);
}

} // namespace causali
