#pragma once
// A fresh demo database for a test, with the schema and the demo data set, removed with the
// object: a file in a temporary directory (engine::createDemoDatabase), or, in a run on the
// server, a database of its own on the test server (prepared as the program prepares a server
// database). Plus the facts of the demo data that tests rely on.
//
// The run decides: CAUSALI_TEST_BACKEND=postgresql (set by ctest for the tests registered as
// "pg.<test>") puts every TestDatabase of the program on the server that CAUSALI_TEST_PG
// names; without that server the whole program is skipped (test_main.cpp).

#include <QString>

#include <memory>

class QTemporaryDir;

namespace testsupport {

class ScratchPgDatabase;

// True when this run's databases are on the test server.
bool serverRun();

class TestDatabase
{
public:
    // Creates the database; throws (engine::Error, std::runtime_error) when it cannot.
    TestDatabase();
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    bool onServer() const { return m_server != nullptr; }
    // Absolute path of the database file; on the server, its URI.
    QString path() const;
    // What ado::Connection::Open takes: "Data Source=PATH", or the URI.
    QString connectionString() const;
    // engine::generateReasonCodes on this database.
    void generateReasonCodes(int reasonCodes, int rowsPerSatellite) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScratchPgDatabase> m_server;
    QString m_path;
};

// Facts of the demo data set (src/engine/demo_*.cpp).
namespace demo {

constexpr int ReasonCodeCount = 21;
constexpr int ReasonCodeProvenance = 903;

// Companies: 1, 2, 3 have cost accounting on chart 1 (2 without expense-item chart, -1);
// 4 has none. Journal "VE" exists in every company with different descriptions.
constexpr int CompanyCount = 4;
constexpr int CostAccountingCompanyCount = 3;
constexpr int CompanyWithoutCostAccounting = 4;
constexpr int CompanyWithoutExpenseChart = 2;
constexpr int ChartOfAccounts = 1;
constexpr int ExpenseItemChart = 2;
inline const char *const SalesJournal = "VE";
inline const char *const SalesJournalCompany1 = "Fatture di vendita";
inline const char *const SalesJournalCompany2 = "Vendite tessuti";

// One reason code per data movement.
inline const char *const StandardCode = "CESE";     // movement 0, "Costi d'esercizio"
inline const char *const StockCode = "ACQM";        // movement 1, IDPROV 1
inline const char *const LabourCode = "MOD1";       // movement 2
inline const char *const ReallocationCode = "RIP1"; // movement 3, used by CI50_ANAGRIB

inline const char *const ApostropheDescription = "Costi d'esercizio"; // CESE in ITA
// ENER's default journal of company 3 is "ZZ", which company 3 does not have.
inline const char *const OrphanJournalCode = "ENER";
constexpr int OrphanJournalCompany = 3;
inline const char *const OrphanJournal = "ZZ";
// RESI is used only by a company stock document (MG3G_DOCDITTA), not by MG36_DOCUMENTI.
inline const char *const CompanyStockDocumentOnlyCode = "RESI";
// CHIU has an ITA description only and no account-type checks.
inline const char *const ItalianOnlyCode = "CHIU";
// COMM and PROG are used by production master data.
inline const char *const ProductionCode = "COMM";
// Not used by any other module.
inline const char *const UnusedCode = "GIRO";
// Stored linked codes: CESE -> STOR, STOR -> CESE, GIRO -> RIP1; for the reference movement
// ACQM -> RIFM and MOD1 -> RIFM.

} // namespace demo

} // namespace testsupport
