// Demo reason codes: every data movement, every value of the coded header columns, linked codes
// that are compatible with the code that names them, account-type checks for both sides
// (one type per side for stock and labour movements), descriptions in ITA and ENG (DEU for
// two codes; CHIU has only ITA and no account-type checks). CI03_IDPROV comes from the
// database in insertion order, 1 for ACQM up to 21 for CHIU.

#include "engine/demo_data.h"
#include "engine/sqlite_util.h"

#include <vector>

namespace engine {

namespace {

struct DemoReasonCode
{
    const char *code;
    const char *italian;
    const char *english;
    int costRevenue;  // D1
    int movement;     // D2
    int standardCost; // D3
    int costSource;   // D4
    int modelType;    // D5
    const char *model;
    const char *linked;
    const char *linkedReference;
    int quantityValue; // D6
    int autoNumbering;
    int projectTracking;
    int labourCost;
    int automatic;
    std::vector<int> debitTypes;  // ticked account types, CI11_SEGNO 1
    std::vector<int> creditTypes; // CI11_SEGNO 2
};

const std::vector<DemoReasonCode> &demoReasonCodes()
{
    // Laid out as a table, one code a pair of lines.
    // clang-format off
    static const std::vector<DemoReasonCode> codes = {
        {"ACQM", "Acquisto materie prime", "Raw material purchase",
         0, 1, 1, 0, 0, "MAG", nullptr, "RIFM", 0, 0, 0, 0, 0, {5}, {0}},
        {"SCAR", "Scarico materiali a produzione", "Material issue to production",
         0, 1, 2, 2, 0, "MAG", nullptr, nullptr, 0, 1, 0, 0, 0, {3}, {5}},
        {"CARP", "Carico prodotti finiti", "Finished goods receipt",
         0, 1, 1, 1, 0, "MAG", nullptr, nullptr, 0, 0, 0, 0, 0, {5}, {4}},
        {"VEND", "Vendita prodotti finiti", "Finished goods sale",
         1, 1, 0, 2, 0, "MAG", nullptr, nullptr, 1, 1, 0, 0, 1, {6}, {5}},
        {"RESI", "Resi da clienti", "Customer returns",
         1, 1, 0, 2, 0, "MAG", nullptr, nullptr, 0, 0, 0, 0, 0, {5}, {6}},
        {"RETT", "Rettifiche inventariali", "Inventory adjustments",
         0, 1, 1, 0, 0, "MAG", nullptr, nullptr, 0, 0, 0, 0, 0, {5}, {9}},
        {"MOD1", "Manodopera diretta", "Direct labour",
         0, 2, 2, 2, 0, "MANOD", nullptr, "RIFM", 0, 1, 0, 1, 0, {4}, {0}},
        {"MOD2", "Manodopera indiretta", "Indirect labour",
         0, 2, 0, 2, 0, "MANOD", nullptr, nullptr, 1, 1, 0, 1, 0, {3}, {0}},
        {"STRA", "Lavoro straordinario", "Overtime work",
         0, 2, 1, 0, 0, "MANOD", nullptr, nullptr, 0, 1, 0, 1, 0, {3}, {1}},
        {"RIP1", "Ripartizione costi generali", "Overhead allocation",
         0, 3, 0, 2, 0, "RIPART", nullptr, nullptr, 0, 1, 0, 0, 1, {3}, {3}},
        {"RIP2", "Ribaltamento costi di struttura", "Structure cost reallocation",
         0, 3, 0, 2, 0, "RIPART", nullptr, nullptr, 1, 1, 1, 0, 1, {3, 4}, {3}},
        {"GIRO", "Giroconto tra centri di costo", "Transfer between cost centres",
         0, 0, 0, 2, 0, "STD", "RIP1", nullptr, 0, 0, 0, 0, 0, {3, 4}, {3, 4}},
        {"CESE", "Costi d'esercizio", "Operating costs",
         0, 0, 1, 1, 0, "STD", "STOR", nullptr, 0, 0, 0, 0, 0, {2, 3}, {0}},
        {"STOR", "Storno costi d'esercizio", "Operating cost reversal",
         0, 0, 0, 2, 0, "STD", "CESE", nullptr, 0, 0, 0, 0, 0, {0}, {2, 3}},
        {"RICA", "Ricavi di vendita", "Sales revenue",
         1, 0, 0, 2, 0, "STD", nullptr, nullptr, 0, 0, 0, 0, 0, {0}, {6, 7}},
        {"COMM", "Costi su commessa", "Job order costs",
         0, 0, 0, 2, 1, "PERS01", nullptr, nullptr, 0, 0, 0, 0, 0, {4}, {0, 1}},
        {"PROG", "Costi di progetto", "Project costs",
         0, 0, 0, 2, 1, "PERS02", nullptr, nullptr, 0, 0, 0, 0, 0, {4}, {0}},
        {"AMMO", "Ammortamenti industriali", "Industrial depreciation",
         0, 0, 0, 2, 1, "STD", nullptr, nullptr, 0, 0, 0, 0, 1, {3}, {0}},
        {"ENER", "Consumi energetici", "Energy consumption",
         0, 0, 1, 1, 0, "SEMPL", nullptr, nullptr, 0, 0, 0, 0, 0, {3}, {0, 1}},
        {"RIFM", "Movimento da conto di riferimento", "Reference account movement",
         0, 0, 0, 2, 0, "STD", nullptr, nullptr, 0, 0, 0, 0, 1, {3, 4, 5}, {0, 9}},
        {"CHIU", "Chiusura di fine periodo", nullptr,
         0, 0, 0, 2, 0, "SEMPL", nullptr, nullptr, 0, 0, 0, 0, 0, {}, {}},
    };
    // clang-format on
    return codes;
}

Cell optionalText(const char *text)
{
    return text ? Cell(text) : Cell(nullptr);
}

std::vector<Cell> checkRow(const char *code, int side, const std::vector<int> &types)
{
    std::vector<Cell> row = {code, side};
    for (int type = 0; type < 10; ++type) {
        bool ticked = false;
        for (int t : types)
            ticked = ticked || t == type;
        row.push_back(ticked ? 1 : 0);
    }
    return row;
}

void insertHeaders(Session &db)
{
    Rows rows;
    for (const DemoReasonCode &c : demoReasonCodes()) {
        rows.push_back({c.code, c.italian, c.costRevenue, c.movement, c.standardCost, c.costSource,
                        c.modelType, c.model, optionalText(c.linked),
                        optionalText(c.linkedReference), c.quantityValue, c.autoNumbering,
                        c.projectTracking, c.labourCost, c.automatic});
    }
    insertRows(db,
               "INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_DESCR, CI03_INDTIPOCOSRIC,"
               " CI03_INDTIPOMOVDATI, CI03_INDPROPCOSTO, CI03_INDPROVCOSTO,"
               " CI03_INDSTAPER_CI04, CI03_MODELLO_CI04, CI03_CODCAUSCOLL,"
               " CI03_CAUSCOLLRIF_CI03, CI03_INDREGVALQTA, CI03_FLGNUMAUTOM, CI03_FLGRILPROG,"
               " CI03_FLGCOSTOMANOD, CI03_FLGAUTOMATICO)"
               " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
               rows);
}

void insertChecks(Session &db)
{
    Rows rows;
    for (const DemoReasonCode &c : demoReasonCodes()) {
        if (c.debitTypes.empty() && c.creditTypes.empty())
            continue; // no stored checks at all
        rows.push_back(checkRow(c.code, 1, c.debitTypes));
        rows.push_back(checkRow(c.code, 2, c.creditTypes));
    }
    insertRows(db,
               "INSERT INTO CI11_CONTROLLOCONTI (CI11_CODCAUS_CI03, CI11_SEGNO, CI11_FLGCOLLEG,"
               " CI11_FLGTRANSIT, CI11_FLGCOMPET, CI11_FLGCDC, CI11_FLGLAVPROG, CI11_FLGMAGAZ,"
               " CI11_FLGMARGLORDI, CI11_FLGMARGNETTI, CI11_FLGRISULT, CI11_FLGALTRITIPI)"
               " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
               rows);
}

void insertDescriptions(Session &db)
{
    Rows rows;
    for (const DemoReasonCode &c : demoReasonCodes()) {
        rows.push_back({"ITA", c.code, c.italian});
        if (c.english)
            rows.push_back({"ENG", c.code, c.english});
    }
    rows.push_back({"DEU", "ACQM", "Einkauf von Rohstoffen"});
    rows.push_back({"DEU", "VEND", "Verkauf von Fertigerzeugnissen"});
    insertRows(db,
               "INSERT INTO CI99_DESLINGUA (CI99_CODLINGUA_MG52, CI99_PROVID_FW4A, CI99_IDPROV,"
               " CI99_DESCRIZIONE)"
               " SELECT ?1, 903, CI03_IDPROV, ?3 FROM CI03_CAUSALI WHERE CI03_CODCAUS = ?2",
               rows);
    // Descriptions of another kind of master data with the same row identifiers: the reason
    // code queries must keep to provenance 903.
    insertRows(db,
               "INSERT INTO CI99_DESLINGUA (CI99_CODLINGUA_MG52, CI99_PROVID_FW4A, CI99_IDPROV,"
               " CI99_DESCRIZIONE) VALUES (?, ?, ?, ?)",
               {{"ITA", 910, 1, "Conto dell'articolo"},
                {"ENG", 910, 1, "Item account"},
                {"ITA", 910, 2, "Conto della categoria statistica"}});
}

} // namespace

void fillDemoReasonCodes(Session &db)
{
    insertHeaders(db);
    insertChecks(db);
    insertDescriptions(db);
}

} // namespace engine
