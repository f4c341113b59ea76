// Generated reason codes for benchmarks.
//
// Codes are four base-36 characters starting with a digit ("0000" to "9ZZZ"), so they never
// clash with the demo codes (all letters); each call continues after the generated codes
// already present. Every code gets a header, two account-type check rows, an ITA and an ENG
// description, and `rowsPerSatellite` rows in each list satellite: default journals (one per
// company: companies "Ditta di prova" are added when fewer exist), search-sequence rows
// (alternating sides, ranks 1..) and proposal rows.

#include "engine/server.h"
#include "engine/sqlite_util.h"

#include <algorithm>
#include <string>
#include <vector>

namespace engine {

namespace {

constexpr long long kMaxGenerated = 10LL * 36 * 36 * 36;

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

// Companies with a journal each, as many as needed; returns (company, journal) pairs.
std::vector<std::pair<long long, std::string>> benchCompanies(sqlite3 *db, int needed)
{
    std::vector<std::pair<long long, std::string>> companies;
    {
        Statement query(db, "SELECT CG68_DITTA_CG18, MIN(CG68_SEZIONALE) FROM CG68_NUMERDESC"
                            " GROUP BY CG68_DITTA_CG18 ORDER BY CG68_DITTA_CG18");
        while (query.step() && int(companies.size()) < needed)
            companies.emplace_back(query.intColumn(0), query.textColumn(1));
    }
    if (int(companies.size()) >= needed)
        return companies;
    long long next = queryInt(db, "SELECT IFNULL(MAX(CG18_DITTA), 0) FROM CG18_ANADITTABASE") + 1;
    long long registry = queryInt(db, "SELECT IFNULL(MAX(CG16_CODICE), 0) FROM CG16_ANAGGEN") + 1;
    Statement name(db, "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG) VALUES (?, ?)");
    Statement company(db, "INSERT INTO CG18_ANADITTABASE (CG18_DITTA, CG18_CODICE_CG16)"
                          " VALUES (?, ?)");
    Statement settings(db, "INSERT INTO CG25_ANADITTAGEST (CG25_DITTA_CG18, CG25_FLGCONIND,"
                           " CG25_PDCCONIND_PC01, CG25_PDCVDS_PC01) VALUES (?, 1, 1, -1)");
    Statement journal(db, "INSERT INTO CG68_NUMERDESC (CG68_DITTA_CG18, CG68_SEZIONALE,"
                          " CG68_DESCSEZ) VALUES (?, 'GE', 'Giroconti')");
    while (int(companies.size()) < needed) {
        name.bind(1, registry).bind(2, "Ditta di prova " + std::to_string(next)).run();
        company.bind(1, next).bind(2, registry).run();
        settings.bind(1, next).run();
        journal.bind(1, next).run();
        companies.emplace_back(next, "GE");
        ++next;
        ++registry;
    }
    return companies;
}

struct Inserts
{
    explicit Inserts(sqlite3 *db)
        : header(db, "INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_DESCR, CI03_INDTIPOMOVDATI,"
                     " CI03_INDTIPOCOSRIC, CI03_MODELLO_CI04, CI03_IDPROV)"
                     " VALUES (?, ?, ?, ?, 'STD', ?)")
        , check(db, "INSERT INTO CI11_CONTROLLOCONTI (CI11_CODCAUS_CI03, CI11_SEGNO,"
                    " CI11_FLGCDC, CI11_FLGCOLLEG) VALUES (?, ?, ?, ?)")
        , description(db, "INSERT INTO CI99_DESLINGUA (CI99_CODLINGUA_MG52, CI99_PROVID_FW4A,"
                          " CI99_IDPROV, CI99_DESCRIZIONE) VALUES (?, 903, ?, ?)")
        , journal(db, "INSERT INTO CI05_PROPSEZ (CI05_DITTA_CG18, CI05_CAUSALE_CI03,"
                      " CI05_SEZIONALE_CG68) VALUES (?, ?, ?)")
        , search(db, "INSERT INTO CI06_RICERCACONTO (CI06_CAUSALE_CI03, CI06_INDSEGNO,"
                     " CI06_INDTIPORIGA, CI06_PROVIDER_CI07, CI06_PROGRESSIVO)"
                     " VALUES (?, ?, ?, ?, ?)")
        , proposal(db, "INSERT INTO CI10_PROPCONTICAUS (CI10_CODCAUS_CI03, CI10_PROG,"
                       " CI10_INDSEGNO, CI10_PERC, CI10_PDCCONTO_PC01, CI10_CONTO_PC03,"
                       " CI10_PDCVDS_PC01, CI10_VDS_PC03) VALUES (?, ?, ?, ?, 1, ?, ?, ?)")
    {
    }

    Statement header, check, description, journal, search, proposal;
};

void insertCode(Inserts &in, const std::string &code, long long id, int rows,
                const std::vector<std::pair<long long, std::string>> &companies)
{
    const int movement = int(id % 4);
    const std::string text = "Causale generata " + code;
    in.header.bind(1, code).bind(2, text).bind(3, (long long)movement).bind(4, id % 2).bind(5, id);
    in.header.run();
    in.check.bind(1, code).bind(2, 1LL).bind(3, 1LL).bind(4, 0LL).run();
    in.check.bind(1, code).bind(2, 2LL).bind(3, 0LL).bind(4, 1LL).run();
    in.description.bind(1, "ITA").bind(2, id).bind(3, text).run();
    in.description.bind(1, "ENG").bind(2, id).bind(3, "Generated reason code " + code).run();
    const long long rowType = movement == 1 ? 0 : -1;
    for (int i = 0; i < rows; ++i) {
        const auto &[company, journal] = companies[size_t(i)];
        in.journal.bind(1, company).bind(2, code).bind(3, journal).run();
        in.search.bind(1, code).bind(2, 1LL + i % 2).bind(3, rowType).bind(4, 1LL + i % 9);
        in.search.bind(5, 1LL + i / 2).run();
        const bool debit = i + 1 < rows;
        in.proposal.bind(1, code).bind(2, 1LL + i).bind(3, debit ? 1LL : 2LL);
        in.proposal.bind(4, debit ? 100.0 / std::max(1, rows - 1) : 100.0);
        in.proposal.bind(5, debit ? "0401001" : "0101001");
        if (i % 2 == 0)
            in.proposal.bind(6, 2LL).bind(7, "10001");
        in.proposal.run();
    }
}

// Index after the highest generated code present (codes compare like their base-36 values).
long long nextGeneratedIndex(sqlite3 *db)
{
    Statement query(db, "SELECT MAX(CI03_CODCAUS) FROM CI03_CAUSALI"
                        " WHERE substr(CI03_CODCAUS, 1, 1) BETWEEN '0' AND '9'"
                        " AND length(rtrim(CI03_CODCAUS)) = 4");
    if (!query.step() || query.isNull(0))
        return 0;
    const std::string highest = query.textColumn(0);
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

void generateReasonCodes(sqlite3 *db, int reasonCodes, int rowsPerSatellite)
{
    if (!db)
        throw Error("generateReasonCodes: no connection");
    if (reasonCodes < 0 || rowsPerSatellite < 0)
        throw Error("generateReasonCodes: counts must not be negative");
    if (rowsPerSatellite > 255)
        throw Error("generateReasonCodes: at most 255 rows per satellite (TINYINT ranks)");
    Transaction transaction(db);
    const long long first = nextGeneratedIndex(db);
    if (first + reasonCodes > kMaxGenerated)
        throw Error("generateReasonCodes: at most " + std::to_string(kMaxGenerated)
                    + " generated reason codes");
    const auto companies = benchCompanies(db, rowsPerSatellite);
    long long id = queryInt(db, "SELECT MAX(IFNULL((SELECT MAX(CI03_IDPROV) FROM CI03_CAUSALI),"
                                " 0), IFNULL((SELECT FW4A_ULTIMOID FROM FW4A_PROVENIENZE"
                                " WHERE FW4A_PROVID = 903), 0))");
    Inserts inserts(db);
    for (long long i = first; i < first + reasonCodes; ++i)
        insertCode(inserts, generatedCode(i), ++id, rowsPerSatellite, companies);
    transaction.commit();
}

} // namespace engine
