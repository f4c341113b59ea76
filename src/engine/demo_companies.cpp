// Demo companies: four companies of the registry, three of them with cost accounting on
// chart of accounts 1; company 2 has no expense-item chart, company 4 no cost accounting.
// Journal "VE" exists in companies 1, 2, 3 and 4 with different descriptions.

#include "engine/demo_data.h"

namespace engine {

void fillDemoCompanies(Session &db)
{
    insertRows(
        db,
        "INSERT INTO CG16_ANAGGEN (CG16_CODICE, CG16_RAGSOANAG, CG16_PARTIVA,"
        " CG16_INDIRIZZO, CG16_LOCALITA, CG16_PROVINCIA) VALUES (?, ?, ?, ?, ?, ?)",
        {
            {1001, "Meccanica Lombarda S.p.A.", "01234560987", "Via Industriale 14", "Brescia",
             "BS"},
            {1002, "Tessitura Val Seriana S.r.l.", "02345670158", "Via Roma 3", "Gazzaniga", "BG"},
            {1003, "Conserve dell'Adriatico S.p.A.", "03456780682", "Lungomare Nord 22", "Pescara",
             "PE"},
            {1004, "Studio Bianchi & Associati", "04567890123", "Corso Vittorio 101", "Torino",
             "TO"},
        });
    insertRows(db, "INSERT INTO CG18_ANADITTABASE (CG18_DITTA, CG18_CODICE_CG16) VALUES (?, ?)",
               {{1, 1001}, {2, 1002}, {3, 1003}, {4, 1004}});
    insertRows(db,
               "INSERT INTO CG25_ANADITTAGEST (CG25_DITTA_CG18, CG25_FLGCONIND,"
               " CG25_PDCCONIND_PC01, CG25_PDCVDS_PC01) VALUES (?, ?, ?, ?)",
               {{1, 1, 1, 2}, {2, 1, 1, -1}, {3, 1, 1, 2}, {4, 0, nullptr, -1}});
    insertRows(db,
               "INSERT INTO CG68_NUMERDESC (CG68_DITTA_CG18, CG68_SEZIONALE, CG68_DESCSEZ)"
               " VALUES (?, ?, ?)",
               {
                   {1, "VE", "Fatture di vendita"},
                   {1, "AC", "Fatture di acquisto"},
                   {1, "CA", "Cassa"},
                   {1, "MA", "Movimenti di magazzino"},
                   {1, "PR", "Produzione"},
                   {1, "GE", "Giroconti"},
                   {2, "VE", "Vendite tessuti"},
                   {2, "AC", "Acquisti filati"},
                   {2, "MA", "Magazzino materie prime"},
                   {2, "IN", "Contabilità industriale"},
                   {3, "VE", "Vendite Italia"},
                   {3, "VX", "Vendite estero"},
                   {3, "AC", "Acquisti"},
                   {3, "RI", "Ripartizioni di fine mese"},
                   {4, "VE", "Parcelle"},
                   {4, "AC", "Spese di studio"},
               });
    insertRows(db, "INSERT INTO MG52_LINGUE (MG52_CODLINGUA, MG52_DESCR) VALUES (?, ?)",
               {{"ITA", "Italiano"}, {"ENG", "Inglese"}, {"DEU", "Tedesco"}, {"FRA", "Francese"}});
    // Provenance 903 (reason codes) is created with the schema.
    insertRows(db,
               "INSERT INTO FW4A_PROVENIENZE (FW4A_PROVID, FW4A_DESCR, FW4A_ULTIMOID)"
               " VALUES (?, ?, ?)",
               {{910, "Provider conti", 9}});
}

} // namespace engine
