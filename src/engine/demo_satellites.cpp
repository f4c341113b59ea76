// Demo satellites of the demo reason codes: default journals (ENER's journal "ZZ" of company 3
// does not exist: an orphan row that the working-table fill drops), search sequences (stock
// movements with several row types, labour movements with row type -1), posting proposals
// with and without expense item (NULL chart and NULL item).

#include "engine/demo_data.h"

namespace engine {

namespace {

void fillJournals(Session &db)
{
    insertRows(db,
               "INSERT INTO CI05_PROPSEZ (CI05_DITTA_CG18, CI05_CAUSALE_CI03,"
               " CI05_SEZIONALE_CG68) VALUES (?, ?, ?)",
               {
                   {1, "ACQM", "AC"}, {2, "ACQM", "AC"}, {3, "ACQM", "AC"}, {1, "VEND", "VE"},
                   {2, "VEND", "VE"}, {3, "VEND", "VX"}, {1, "SCAR", "MA"}, {2, "SCAR", "MA"},
                   {1, "CARP", "PR"}, {1, "MOD1", "PR"}, {2, "MOD1", "IN"}, {1, "RIP1", "GE"},
                   {3, "RIP1", "RI"}, {1, "GIRO", "GE"}, {3, "GIRO", "RI"}, {1, "CESE", "CA"},
                   {2, "CESE", "IN"}, {1, "RICA", "VE"}, {3, "RICA", "VE"}, {1, "ENER", "CA"},
                   {3, "ENER", "ZZ"},
               });
}

// Search-sequence rows: side 1 destination, 2 origin; row types 0, 1, 4, 15, 16, 17 for stock
// movements, -1 otherwise; providers in rank order.
void fillSearchSequences(Session &db)
{
    struct Sequence
    {
        const char *code;
        int side;
        int rowType;
        std::vector<int> providers;
    };
    const std::vector<Sequence> sequences = {
        {"ACQM", 1, 0, {9, 1}},  {"ACQM", 2, 0, {1, 2, 9}}, {"ACQM", 1, 1, {1}},
        {"ACQM", 2, 1, {9}},     {"ACQM", 1, 4, {5}},       {"ACQM", 2, 4, {6, 5}},
        {"SCAR", 1, 0, {3, 4}},  {"SCAR", 2, 0, {9, 1}},    {"SCAR", 1, 15, {8}},
        {"SCAR", 2, 15, {9}},    {"SCAR", 1, 16, {8, 4}},   {"SCAR", 2, 16, {9}},
        {"SCAR", 1, 17, {8, 5}}, {"SCAR", 2, 17, {5}},      {"CARP", 1, 0, {9}},
        {"CARP", 2, 0, {4, 1}},  {"VEND", 1, 0, {2}},       {"VEND", 2, 0, {9, 1}},
        {"RESI", 1, 0, {9}},     {"RESI", 2, 0, {2}},       {"RETT", 1, 0, {9}},
        {"RETT", 2, 0, {6}},     {"MOD1", 1, -1, {7, 3}},   {"MOD1", 2, -1, {6}},
        {"MOD2", 1, -1, {3}},    {"MOD2", 2, -1, {7}},      {"STRA", 1, -1, {7}},
        {"STRA", 2, -1, {6, 7}},
    };
    Rows rows;
    for (const Sequence &sequence : sequences) {
        int rank = 0;
        for (int provider : sequence.providers)
            rows.push_back({sequence.code, sequence.side, sequence.rowType, provider, ++rank});
    }
    insertRows(db,
               "INSERT INTO CI06_RICERCACONTO (CI06_CAUSALE_CI03, CI06_INDSEGNO,"
               " CI06_INDTIPORIGA, CI06_PROVIDER_CI07, CI06_PROGRESSIVO) VALUES (?, ?, ?, ?, ?)",
               rows);
}

void fillProposals(Session &db)
{
    // code, row, sign (1 Dare, 2 Avere), percent, chart, account, item chart, item. Rows entered
    // in a company with an expense-item chart carry that chart even without an item, as the
    // editor stores them; GIRO and AMMO were entered where there was none (item chart Null),
    // so only a company without an item chart shows them.
    insertRows(db,
               "INSERT INTO CI10_PROPCONTICAUS (CI10_CODCAUS_CI03, CI10_PROG, CI10_INDSEGNO,"
               " CI10_PERC, CI10_PDCCONTO_PC01, CI10_CONTO_PC03, CI10_PDCVDS_PC01,"
               " CI10_VDS_PC03) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
               {
                   {"CESE", 1, 1, 60.0, 1, "0401001", 2, "10005"},
                   {"CESE", 2, 1, 40.0, 1, "0401003", 2, "10001"},
                   {"CESE", 3, 2, 100.0, 1, "0101001", 2, nullptr},
                   {"RIP1", 1, 1, 50.0, 1, "0401001", 2, nullptr},
                   {"RIP1", 2, 1, 30.0, 1, "0401002", 2, nullptr},
                   {"RIP1", 3, 1, 20.0, 1, "0401004", 2, nullptr},
                   {"RIP1", 4, 2, 100.0, 1, "0401003", 2, nullptr},
                   {"ENER", 1, 1, 70.0, 1, "0401001", 2, "10001"},
                   {"ENER", 2, 1, 30.0, 1, "0401005", 2, "10001"},
                   {"ENER", 3, 2, 100.0, 1, "0101001", 2, nullptr},
                   {"RICA", 1, 1, 100.0, 1, "0101002", 2, nullptr},
                   {"RICA", 2, 2, 100.0, 1, "0701001", 2, "20001"},
                   {"GIRO", 1, 1, 100.0, 1, "0401002", nullptr, nullptr},
                   {"GIRO", 2, 2, 100.0, 1, "0401001", nullptr, nullptr},
                   {"AMMO", 1, 1, 100.0, 1, "0401001", nullptr, nullptr},
                   {"AMMO", 2, 2, 100.0, 1, "0101001", nullptr, nullptr},
                   {"MOD1", 1, 1, 100.0, 1, "0501001", 2, "10006"},
                   {"MOD1", 2, 2, 100.0, 1, "0101001", 2, nullptr},
                   {"AMMO", 3, 1, 100.0, 3, "1000001", nullptr, nullptr},
                   {"AMMO", 4, 2, 100.0, 3, "9000001", nullptr, nullptr},
                   {"RIP2", 1, 1, 33.33, 1, "0401001", 2, nullptr},
                   {"RIP2", 2, 1, 66.67, 1, "0501002", 2, nullptr},
                   {"RIP2", 3, 2, 100.0, 1, "0401003", 2, nullptr},
               });
}

} // namespace

void fillDemoSatellites(Session &db)
{
    fillJournals(db);
    fillSearchSequences(db);
    fillProposals(db);
}

} // namespace engine
