// Generated reason codes for benchmarks.
//
// Codes are four base-36 characters starting with a digit ("0000" to "9ZZZ"), so they never
// clash with the demo codes (all letters); each call continues after the generated codes
// already present. Every code gets a header, two account-type check rows, an ITA and an ENG
// description, and `rowsPerSatellite` rows in each list satellite: default journals (one per
// company: companies "Ditta di prova" are added when fewer exist), search-sequence rows
// (alternating sides, ranks 1..) and proposal rows.

#include "engine/demo_data.h"
#include "engine/server.h"
#include "engine/sqlite_util.h"

#include <algorithm>
#include <string>
#include <vector>

namespace engine {

namespace {

constexpr long long MaxGenerated = 10LL * 36 * 36 * 36;

std::string generatedCode(long long index)
{
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string code(4, '0');
    for (int position = 3; position >= 0; --position) {
        code[size_t(position)] = digits[index % 36];
        index /= 36;
    }
    return code;
}

using Companies = std::vector<std::pair<long long, std::string>>;

// Companies with a journal each, as many as needed; returns (company, journal) pairs.
Companies benchCompanies(Session &db, int needed)
{
    Companies companies;
    const TextRows journals = db.query("SELECT CG68_DITTA_CG18, MIN(CG68_SEZIONALE)"
                                       " FROM CG68_NUMERDESC GROUP BY CG68_DITTA_CG18"
                                       " ORDER BY CG68_DITTA_CG18");
    for (const auto &row : journals) {
        if (int(companies.size()) >= needed)
            return companies;
        companies.emplace_back(std::stoll(row[0].value_or("0")), row[1].value_or(""));
    }
    long long next = db.queryInt("SELECT COALESCE(MAX(CG18_DITTA), 0) FROM CG18_ANADITTABASE") + 1;
    long long registry = db.queryInt("SELECT COALESCE(MAX(CG16_CODICE), 0) FROM CG16_ANAGGEN") + 1;
    while (int(companies.size()) < needed) {
        db.run("INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG) VALUES (?, ?)",
               {registry, "Ditta di prova " + std::to_string(next)});
        db.run("INSERT INTO CG18_ANADITTABASE (CG18_DITTA, CG18_CODICE_CG16) VALUES (?, ?)",
               {next, registry});
        db.run("INSERT INTO CG25_ANADITTAGEST (CG25_DITTA_CG18, CG25_FLGCONIND,"
               " CG25_PDCCONIND_PC01, CG25_PDCVDS_PC01) VALUES (?, 1, 1, -1)",
               {next});
        db.run("INSERT INTO CG68_NUMERDESC (CG68_DITTA_CG18, CG68_SEZIONALE, CG68_DESCSEZ)"
               " VALUES (?, 'GE', 'Giroconti')",
               {next});
        companies.emplace_back(next, "GE");
        ++next;
        ++registry;
    }
    return companies;
}

const char *const HeaderInsert = "INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_DESCR,"
                                 " CI03_INDTIPOMOVDATI, CI03_INDTIPOCOSRIC, CI03_MODELLO_CI04,"
                                 " CI03_IDPROV) VALUES (?, ?, ?, ?, 'STD', ?)";
const char *const CheckInsert = "INSERT INTO CI11_CONTROLLOCONTI (CI11_CODCAUS_CI03, CI11_SEGNO,"
                                " CI11_FLGCDC, CI11_FLGCOLLEG) VALUES (?, ?, ?, ?)";
const char *const DescriptionInsert = "INSERT INTO CI99_DESLINGUA (CI99_CODLINGUA_MG52,"
                                      " CI99_PROVID_FW4A, CI99_IDPROV, CI99_DESCRIZIONE)"
                                      " VALUES (?, 903, ?, ?)";
const char *const JournalInsert = "INSERT INTO CI05_PROPSEZ (CI05_DITTA_CG18, CI05_CAUSALE_CI03,"
                                  " CI05_SEZIONALE_CG68) VALUES (?, ?, ?)";
const char *const SearchInsert = "INSERT INTO CI06_RICERCACONTO (CI06_CAUSALE_CI03, CI06_INDSEGNO,"
                                 " CI06_INDTIPORIGA, CI06_PROVIDER_CI07, CI06_PROGRESSIVO)"
                                 " VALUES (?, ?, ?, ?, ?)";
const char *const ProposalInsert =
    "INSERT INTO CI10_PROPCONTICAUS (CI10_CODCAUS_CI03, CI10_PROG,"
    " CI10_INDSEGNO, CI10_PERC, CI10_PDCCONTO_PC01, CI10_CONTO_PC03,"
    " CI10_PDCVDS_PC01, CI10_VDS_PC03) VALUES (?, ?, ?, ?, 1, ?, ?, ?)";

void insertCode(Session &db, const std::string &code, long long id, int rows,
                const Companies &companies)
{
    const long long movement = id % 4;
    const std::string text = "Causale generata " + code;
    db.run(HeaderInsert, {code, text, movement, id % 2, id});
    db.run(CheckInsert, {code, 1, 1, 0});
    db.run(CheckInsert, {code, 2, 0, 1});
    db.run(DescriptionInsert, {"ITA", id, text});
    db.run(DescriptionInsert, {"ENG", id, "Generated reason code " + code});
    const long long rowType = movement == 1 ? 0 : -1;
    for (int i = 0; i < rows; ++i) {
        const auto &[company, journal] = companies[size_t(i)];
        db.run(JournalInsert, {company, code, journal});
        db.run(SearchInsert, {code, 1 + i % 2, rowType, 1 + i % 9, 1 + i / 2});
        const bool debit = i + 1 < rows;
        const bool expense = i % 2 == 0;
        db.run(ProposalInsert,
               {code, 1 + i, debit ? 1 : 2, debit ? 100.0 / std::max(1, rows - 1) : 100.0,
                debit ? "0401001" : "0101001", expense ? Cell(2) : Cell(nullptr),
                expense ? Cell("10001") : Cell(nullptr)});
    }
}

// Index after the highest generated code present (codes compare like their base-36 values).
long long nextGeneratedIndex(Session &db)
{
    const TextRows rows = db.query("SELECT MAX(CI03_CODCAUS) FROM CI03_CAUSALI"
                                   " WHERE substr(CI03_CODCAUS, 1, 1) BETWEEN '0' AND '9'"
                                   " AND length(rtrim(CI03_CODCAUS)) = 4");
    if (rows.empty() || !rows.front().front())
        return 0;
    const std::string highest = *rows.front().front();
    long long index = 0;
    for (char c : highest.substr(0, 4)) {
        long long digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'Z')
            digit = c - 'A' + 10;
        if (digit < 0)
            throw Error("generateReasonCodes: unexpected reason code \"" + highest + "\"");
        index = index * 36 + digit;
    }
    return index + 1;
}

} // namespace

void generateReasonCodes(Session &db, int reasonCodes, int rowsPerSatellite)
{
    if (reasonCodes < 0 || rowsPerSatellite < 0)
        throw Error("generateReasonCodes: counts must not be negative");
    if (rowsPerSatellite > 255)
        throw Error("generateReasonCodes: at most 255 rows per satellite (TINYINT ranks)");
    const long long first = nextGeneratedIndex(db);
    if (first + reasonCodes > MaxGenerated)
        throw Error("generateReasonCodes: at most " + std::to_string(MaxGenerated)
                    + " generated reason codes");
    const Companies companies = benchCompanies(db, rowsPerSatellite);
    long long id = std::max(
        db.queryInt("SELECT COALESCE(MAX(CI03_IDPROV), 0) FROM CI03_CAUSALI"),
        db.queryInt("SELECT COALESCE(MAX(FW4A_ULTIMOID), 0) FROM FW4A_PROVENIENZE"
                    " WHERE FW4A_PROVID = 903"));
    for (long long i = first; i < first + reasonCodes; ++i)
        insertCode(db, generatedCode(i), ++id, rowsPerSatellite, companies);
}

void generateReasonCodes(sqlite3 *db, int reasonCodes, int rowsPerSatellite)
{
    if (!db)
        throw Error("generateReasonCodes: no connection");
    Transaction transaction(db);
    SqliteSession session(db);
    generateReasonCodes(session, reasonCodes, rowsPerSatellite);
    transaction.commit();
}

} // namespace engine
