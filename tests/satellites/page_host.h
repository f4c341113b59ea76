#pragma once
// A stand-in for the editor window that hosts the four satellite pages without the header panel
// and the window's own routines: a tab control with the pages, the header controls the pages
// read (TXT_CAUSALE, CBO_MOVDATI, TXT_CAUCOLL, TXT_CAUCOLLRIF), a header frame over
// CI03_CAUSALI, the data units over a demo database, and error and message reports that are
// recorded (errors are answered "leave the handler").
//
// loadCode() does what the window's satellite loading does for the pages: it re-opens each
// page's row set on the rows of a reason code in the working tables and re-reads the checks.

#include "ado/connection.h"
#include "ado/error.h"
#include "data/window_state.h"
#include "satellites/editor_context.h"
#include "support/test_database.h"

#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace host {
class CLSCI_CAUSALI;
class CostUtility;
class HostGlobal;
class LookupObject;
} // namespace host

namespace sattest {

using Rows = QList<QStringList>;

class PageHost : public QWidget, public causali::EditorContext, public causali::HeaderView
{
    Q_OBJECT

public:
    explicit PageHost(const QString &connectionString);
    ~PageHost() override;

    // INITGRD_*, ConfigurazioneFrame* of the three frame pages, the empty check row set and
    // the account-type lists: the window's start-up for the pages.
    void configure();
    // The rows of `code` in the pages (ShowChild), charts as in the window state; the row type
    // list holds the six stock row types and shows `rowType`.
    void loadCode(const QString &code, int rowType = 0);

    // Every row of a query on the window's connection (working tables included), as texts
    // ("<NULL>" for NULL), columns in SELECT order.
    Rows rows(const QString &sql);

    struct Reported
    {
        QString handler;
        long number = 0;
        QString description;
    };
    std::vector<Reported> errors;
    QStringList messages;
    int answer = 3;
    int linkedDecodes = 0; // StartDecode of TXT_CAUCOLL (the checks re-decode it)

    // ----- EditorContext -----
    causali::WindowState &state() override { return m_state; }
    const causali::HeaderView &headerView() const override { return *this; }
    causali::WorkingTables &workingTables() override { return *m_workingTables; }
    causali::SaveRoutines &saveRoutines() override { return *m_saveRoutines; }
    causali::Lookups &lookups() override { return *m_lookups; }
    host::Cinterface *ActiveInterface() const override;
    host::HostGlobal *hostGlobal() const override { return m_global.get(); }
    host::CostUtility *costUtility() const override { return m_cost.get(); }
    QString connectionText() const override { return m_connectionString; }
    host::JournalLookupService *journalLookup() const override { return m_journalLookup.get(); }
    host::JournalDecodeService *journalDecode() const override { return m_journalDecode.get(); }
    host::ProviderLookupService *providerLookup() const override { return m_providerLookup.get(); }
    host::ProviderDecodeService *providerDecode() const override { return m_providerDecode.get(); }
    int GestioneErroreEvento(const QString &handler, const ado::RuntimeError &error) override;
    int MostraMessaggio(const QString &prompt, int buttons, const QString &title,
                        const QString &procedure) override;
    host::DataFrame *headerFrame() const override { return m_headerFrame.get(); }
    host::TabStrip *tabStrip() const override { return m_tabs; }
    host::CodeBox *codeBox() const override { return TXT_CAUSALE; }
    host::ComboBox *movementCombo() const override { return CBO_MOVDATI; }
    host::CodeBox *linkedCodeBox() const override { return TXT_CAUCOLL; }
    host::CodeBox *referenceCodeBox() const override { return TXT_CAUCOLLRIF; }
    causali::JournalsPage *journalsPage() const override { return m_journals; }
    causali::SearchSequencePage *searchSequencePage() const override { return m_search; }
    causali::ProposalPage *proposalPage() const override { return m_proposal; }
    causali::AccountChecksPage *accountChecksPage() const override { return m_checks; }
    host::MainNavigator *mainNavigator() const override { return nullptr; }
    QString caption() const override { return windowTitle(); }
    void ShowChild() override;
    void ClearChild() override;
    void RefreshChild() override;
    void AbilitazioneControlliSatelliti(bool) override {}
    void ConfigurazioneTabRicerca() override {}
    void InizializzaScriptELayout() override {}

    // ----- HeaderView -----
    QVariant causaleText() const override;
    QVariant idProv() const override { return QVariant(); }
    QString descrizioneText() const override { return QString(); }

    host::CodeBox *TXT_CAUSALE = nullptr;
    host::ComboBox *CBO_MOVDATI = nullptr;
    host::CodeBox *TXT_CAUCOLL = nullptr;
    host::CodeBox *TXT_CAUCOLLRIF = nullptr;

private:
    QWidget *buildHeaderTab();
    void reopen(host::DataFrame *frame, ado::Recordset *recordset, const QString &sql);
    void fillRowTypes(int rowType);

    QString m_connectionString;
    ado::Connection m_connection;
    causali::WindowState m_state;
    std::unique_ptr<host::HostGlobal> m_global;
    std::unique_ptr<host::CLSCI_CAUSALI> m_module;
    std::unique_ptr<host::CostUtility> m_cost;
    std::unique_ptr<causali::WorkingTables> m_workingTables;
    std::unique_ptr<causali::SaveRoutines> m_saveRoutines;
    std::unique_ptr<causali::Lookups> m_lookups;
    std::unique_ptr<host::JournalLookupService> m_journalLookup;
    std::unique_ptr<host::JournalDecodeService> m_journalDecode;
    std::unique_ptr<host::ProviderLookupService> m_providerLookup;
    std::unique_ptr<host::ProviderDecodeService> m_providerDecode;
    std::unique_ptr<ado::Recordset> m_headerRecordset;
    std::unique_ptr<host::DataFrame> m_headerFrame;
    QString m_code;

    host::TabStrip *m_tabs = nullptr;
    causali::JournalsPage *m_journals = nullptr;
    causali::AccountChecksPage *m_checks = nullptr;
    causali::SearchSequencePage *m_search = nullptr;
    causali::ProposalPage *m_proposal = nullptr;
};

// A page host over a fresh demo database, configured, shown on company 1 (chart of accounts 1,
// expense-item chart 2). Fails the test on any error a handler reported that the test did not
// take out of `errors`.
class PageTest : public ::testing::Test
{
protected:
    PageTest();
    ~PageTest() override;

    testsupport::TestDatabase database;
    std::unique_ptr<PageHost> host;
};

} // namespace sattest
