// Demo uses of reason codes by other modules: stock documents (RESI only through a company
// stock document of MG3G_DOCDITTA), production master data (MOD1, MOD2, STRA, COMM, PROG)
// and cost reallocations (RIP1, RIP2).

#include "engine/demo_data.h"

namespace engine {

void fillDemoUsage(Session &db)
{
    insertRows(db,
               "INSERT INTO MG36_DOCUMENTI (MG36_CODDOC, MG36_DESCR, MG36_CAUSALEKOVA_CI03)"
               " VALUES (?, ?, ?)",
               {
                   {"DDTFOR", "Documento di trasporto da fornitore", "ACQM"},
                   {"FATVEN", "Fattura di vendita", "VEND"},
                   {"CARPRO", "Carico da produzione", "CARP"},
                   {"SCAPRO", "Scarico a produzione", "SCAR"},
                   {"RESCLI", "Reso da cliente", nullptr},
                   {"INVENT", "Inventario fisico", nullptr},
               });
    insertRows(db,
               "INSERT INTO MG3G_DOCDITTA (MG3G_DITTA_CG18, MG3G_CODDOC_MG36,"
               " MG3G_CAUSALEKOVA_CI03) VALUES (?, ?, ?)",
               {
                   {1, "DDTFOR", "ACQM"},
                   {1, "RESCLI", "RESI"},
                   {2, "FATVEN", "VEND"},
                   {3, "INVENT", nullptr},
               });
    insertRows(db, "INSERT INTO PD06_DIPENDENTI VALUES (?, ?, ?)",
               {{"DIP0001", "Rossi Mario", "MOD1"},
                {"DIP0002", "Bianchi Lucia", "MOD1"},
                {"DIP0003", "Esposito Gennaro", nullptr}});
    insertRows(
        db, "INSERT INTO PD07_REPARTO VALUES (?, ?, ?)",
        {{"REP01", "Reparto montaggio", "MOD2"}, {"REP02", "Reparto verniciatura", nullptr}});
    insertRows(db, "INSERT INTO PD08_MACCHINA VALUES (?, ?, ?)",
               {{"PRESSA01", "Pressa idraulica 200 t", "STRA"}});
    insertRows(db, "INSERT INTO PD25_COMMESSA VALUES (?, ?, ?)",
               {{"C24-001", "Impianto di imbottigliamento Verona", "COMM"}});
    insertRows(db, "INSERT INTO PD68_PROGETTI VALUES (?, ?, ?)",
               {{"PRJ-ALFA", "Progetto Alfa - nuova linea", "PROG"}});
    insertRows(db, "INSERT INTO PD69_SOTTOPROGETTI VALUES (?, ?, ?)",
               {{"ALFA-01", "Alfa - progettazione", "PROG"}});
    insertRows(db,
               "INSERT INTO CI50_ANAGRIB (CI50_CODICE, CI50_DESCR, CI50_CAUSALE_CI03)"
               " VALUES (?, ?, ?)",
               {{"RIB01", "Ribaltamento costi generali", "RIP1"},
                {"RIB02", "Ribaltamento costi di struttura", "RIP2"}});
}

} // namespace engine
