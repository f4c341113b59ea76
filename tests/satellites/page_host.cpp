#include "page_host.h"

#include "ado/constants.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/lookups.h"
#include "data/save_routines.h"
#include "data/value_domains.h"
#include "data/working_tables.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/cost_utility.h"
#include "host/data_frame.h"
#include "host/handler_connection.h"
#include "host/host_global.h"
#include "host/lookup_services.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/child_sql.h"
#include "satellites/journals_page.h"
#include "satellites/proposal_page.h"
#include "satellites/search_sequence_page.h"
#include "support/user_driver.h"

#include <QFormLayout>
#include <QVBoxLayout>

namespace sattest {

namespace {

const QString HeaderSql = QStringLiteral("SELECT CI03_CODCAUS, CI03_DESCR FROM CI03_CAUSALI");

} // namespace

PageHost::PageHost(const QString &connectionString)
    : m_connectionString(connectionString)
    , m_global(std::make_unique<host::HostGlobal>())
    , m_module(std::make_unique<host::CLSCI_CAUSALI>())
    , m_cost(std::make_unique<host::CostUtility>())
{
    setObjectName(QStringLiteral("FRMCI_CAUSALI"));
    setWindowTitle(QStringLiteral("Anagrafica causali di contabilità analitica"));
    m_connection.Open(connectionString);
    m_state.connection = &m_connection;
    m_state.CodLingua = QStringLiteral("ITA");
    m_state.pdc = 1;
    m_state.pdcVds = 2;
    m_state.separateVdsChart = true;
    m_global->setConnectionString(connectionString);
    m_global->selectCompany(m_connection, 1);
    m_module->setClsGlobal(m_global.get());
    m_module->setCanInsert(true);
    m_module->setCanUpdate(true);
    m_module->setCanDelete(true);
    m_module->setCanQbe(true);
    m_cost->setModuleInterface(m_module.get());
    m_cost->setConnection(&m_connection);
    m_cost->Initialize();
    m_workingTables = std::make_unique<causali::WorkingTables>(m_state);
    m_saveRoutines = std::make_unique<causali::SaveRoutines>(m_state, *this);
    m_lookups = std::make_unique<causali::Lookups>(m_state, *this);
    m_journalLookup = std::make_unique<host::JournalLookupService>();
    m_journalDecode = std::make_unique<host::JournalDecodeService>();
    m_providerLookup = std::make_unique<host::ProviderLookupService>();
    m_providerDecode = std::make_unique<host::ProviderDecodeService>();
    for (host::LookupObject *object : std::initializer_list<host::LookupObject *>{
             m_journalLookup.get(), m_journalDecode.get(), m_providerLookup.get(),
             m_providerDecode.get()}) {
        object->setModuleInterface(m_module.get());
        object->setConnection(&m_connection);
    }

    m_headerRecordset = std::make_unique<ado::Recordset>();
    m_headerRecordset->Open(HeaderSql, &m_connection, ado::adOpenUnspecified,
                            ado::adLockUnspecified, ado::adCmdText);
    m_headerFrame = std::make_unique<host::DataFrame>();
    m_headerFrame->setObjectName(QStringLiteral("gclsFrameTestata"));
    m_headerFrame->Initialize(m_module.get(), &m_connection, m_headerRecordset.get(), HeaderSql,
                              QStringLiteral("CI03_CODCAUS"), nullptr, nullptr);

    m_tabs = new host::TabStrip(this);
    m_tabs->setObjectName(QStringLiteral("TAB_CAUSALI"));
    m_journals = new causali::JournalsPage(*this, m_tabs);
    m_checks = new causali::AccountChecksPage(*this, m_tabs);
    m_search = new causali::SearchSequencePage(*this, m_tabs);
    m_proposal = new causali::ProposalPage(*this, m_tabs);
    m_tabs->addTab(buildHeaderTab(), QStringLiteral("Dati ana&grafici"));
    m_tabs->addTab(m_journals, causali::JournalsPage::Caption);
    m_tabs->addTab(m_checks, causali::AccountChecksPage::Caption);
    m_tabs->addTab(m_search, causali::SearchSequencePage::Caption);
    m_tabs->addTab(m_proposal, causali::ProposalPage::Caption);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    resize(760, 520);
}

PageHost::~PageHost()
{
    // The pages' frames are children of the header frame: released first.
    m_journals->releaseFrame();
    m_search->releaseFrames();
    m_proposal->releaseFrame();
    m_checks->releaseCheckRecordset();
    m_headerFrame->Terminate();
}

QWidget *PageHost::buildHeaderTab()
{
    auto *tab = new QWidget(m_tabs);
    TXT_CAUSALE = new host::CodeBox(tab);
    TXT_CAUSALE->setObjectName(QStringLiteral("TXT_CAUSALE"));
    CBO_MOVDATI = new host::ComboBox(tab);
    CBO_MOVDATI->setObjectName(QStringLiteral("CBO_MOVDATI"));
    for (const causali::DomainItem &item : causali::domainMovDati().items)
        CBO_MOVDATI->addCodeItem(item.caption, item.code);
    TXT_CAUCOLL = new host::CodeBox(tab);
    TXT_CAUCOLL->setObjectName(QStringLiteral("TXT_CAUCOLL"));
    TXT_CAUCOLLRIF = new host::CodeBox(tab);
    TXT_CAUCOLLRIF->setObjectName(QStringLiteral("TXT_CAUCOLLRIF"));
    host::connectHandler(TXT_CAUCOLL, &host::EditBox::StartDecode, this,
                         [this] { ++linkedDecodes; });
    auto *form = new QFormLayout(tab);
    form->addRow(QStringLiteral("Causale"), TXT_CAUSALE);
    form->addRow(QStringLiteral("Movimentazione dati"), CBO_MOVDATI);
    form->addRow(QStringLiteral("Causale collegata"), TXT_CAUCOLL);
    form->addRow(QStringLiteral("Causale collegata di riferimento"), TXT_CAUCOLLRIF);
    return tab;
}

host::Cinterface *PageHost::ActiveInterface() const
{
    return m_module.get();
}

int PageHost::GestioneErroreEvento(const QString &handler, const ado::RuntimeError &error)
{
    errors.push_back({handler, error.number(), error.description()});
    return answer;
}

int PageHost::MostraMessaggio(const QString &prompt, int /*buttons*/, const QString &title,
                              const QString &procedure)
{
    messages << title + QStringLiteral(": ") + prompt + QStringLiteral(" (") + procedure
                    + QStringLiteral(")");
    return 1;
}

void PageHost::ShowChild()
{
    ADD_FAILURE() << "the pages do not load the satellites themselves (ShowChild)";
}

void PageHost::ClearChild()
{
    ADD_FAILURE() << "the pages do not clear the satellites themselves (ClearChild)";
}

void PageHost::RefreshChild()
{
    ADD_FAILURE() << "the pages do not re-key the satellites themselves (RefreshChild)";
}

QVariant PageHost::causaleText() const
{
    return TXT_CAUSALE->Text();
}

void PageHost::configure()
{
    m_journals->INITGRD_SEZIONALI();
    m_search->INITGRD_RICORIGINE();
    m_search->INITGRD_RICDEST();
    m_proposal->INITGRD_SVILUPPO();
    m_search->ConfigurazioneFrameRic();
    m_journals->ConfigurazioneFrameSezionali();
    m_proposal->ConfigurazioneFrameSviluppo();
    auto checks = std::make_unique<ado::Recordset>();
    checks->Open(causali::childsql::emptyChecksText(), &m_connection, ado::adOpenUnspecified,
                 ado::adLockUnspecified, ado::adCmdText);
    m_checks->setCheckRecordset(std::move(checks));
    m_checks->FillAccountTypeLists();

    auto *ditta = m_journals->CBO_DITTA;
    ditta->addCodeItem(QString(), -1);
    for (const QStringList &row : rows(causali::companyListText()))
        ditta->addCodeItem(row[0] + QStringLiteral(" - ") + row[1].trimmed(), row[0].toInt());
    auto *segno = m_proposal->CBO_SEGNO;
    segno->addCodeItem(QStringLiteral("Avere"), 2);
    segno->addCodeItem(QStringLiteral("Dare"), 1);
}

void PageHost::reopen(host::DataFrame *frame, ado::Recordset *recordset, const QString &sql)
{
    ASSERT_TRUE(frame && recordset);
    recordset->Close();
    recordset->Open(sql, &m_connection, ado::adOpenUnspecified, ado::adLockUnspecified,
                    ado::adCmdText);
}

void PageHost::fillRowTypes(int rowType)
{
    host::ComboBox *combo = m_search->CBO_RICTIPORIGA;
    combo->clearItems();
    for (const causali::DomainItem &item : causali::domainTipoRiga().items) {
        if (item.code.toInt() != -1)
            combo->addCodeItem(item.caption, item.code);
    }
    combo->setText(rowType);
}

void PageHost::loadCode(const QString &code, int rowType)
{
    using namespace causali::childsql;
    TXT_CAUSALE->setText(code);
    CBO_MOVDATI->setText(1);
    fillRowTypes(rowType);
    // As the window does when it shows a code: its stored lists into the working tables, each
    // frame re-opened on the code's rows.
    workingTables().loadWorkingCopy(code, QVariant());

    const QString journals = journalsText(code);
    reopen(m_journals->gclsFrameSezionali(), m_journals->recordsetSezionali(), journals);
    m_journals->setSqlSezionali(journals);
    m_journals->gclsFrameSezionali()->setSqlText(journals);

    for (int side : {1, 2}) {
        const QString text = searchSequenceText(code, side);
        host::DataFrame *frame = m_search->frame(side);
        ado::Recordset *rs = m_search->recordset(side);
        reopen(frame, rs, text);
        rs->setFilter(m_search->rowTypeFilter());
        m_search->setSqlText(side, text);
        frame->setSqlText(text);
    }

    const QString development = developmentText(code, m_state.pdc, m_state.pdcVds);
    reopen(m_proposal->gclsFrameSviluppo(), m_proposal->recordsetSviluppo(), development);
    m_proposal->setSqlSviluppo(development);
    m_proposal->gclsFrameSviluppo()->setSqlText(development);

    ado::Recordset *checks = m_checks->checkRecordset();
    checks->Close();
    checks->Open(checksText(code), &m_connection, ado::adOpenUnspecified, ado::adLockUnspecified,
                 ado::adCmdText);
    m_checks->PopolaListe();
    m_state.AccountTypesChanged = false;
}

Rows PageHost::rows(const QString &sql)
{
    Rows result;
    std::unique_ptr<ado::Recordset> rs = m_connection.Execute(sql);
    if (!rs || rs->State() != ado::adStateOpen)
        return result;
    for (; !rs->isEOF(); rs->MoveNext()) {
        QStringList row;
        for (int i = 0; i < rs->FieldCount(); ++i) {
            const QVariant value = rs->Fields(i).Value();
            row << (ado::isNull(value) ? QStringLiteral("<NULL>") : ado::NormalizzaStringa(value));
        }
        result << row;
    }
    return result;
}

PageTest::PageTest()
{
    testsupport::application();
    host = std::make_unique<PageHost>(database.connectionString());
    host->configure();
    host->show();
}

PageTest::~PageTest()
{
    for (const PageHost::Reported &error : host->errors)
        ADD_FAILURE() << "error reported by " << error.handler.toStdString() << ": " << error.number
                      << " " << error.description.toStdString();
    host.reset();
}

} // namespace sattest
