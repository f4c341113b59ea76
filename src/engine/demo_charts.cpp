// Demo charts: chart 1 holds cost-accounting accounts of all ten account types, chart 2 the
// expense and revenue items, chart 3 a second, small cost-accounting chart. Also the account
// providers, the field descriptions and the posting models with their field designs.
//
// Models (module 2) and their visible, enabled, mandatory fields:
//   0 STD     CONTODEST CONTOORIG VALORE
//   1 STD     CONTODEST CONTOORIG VALORE CDC          (customised standard)
//   0 MAG     CONTODEST CONTOORIG VALORE ARTICOLO QUANTITA
//   0 MANOD   CONTODEST CONTOORIG VALORE DIPENDENTE QUANTITA
//   0 RIPART  CONTODEST CONTOORIG VALORE
//   0 SEMPL   CONTODEST VALORE                          (CONTOORIG optional)
//   1 PERS01  CONTODEST CONTOORIG VALORE COMMESSA
//   1 PERS02  CONTODEST CONTOORIG VALORE PROGETTO       (COMMESSA optional, NOTE hidden)

#include "engine/demo_data.h"

namespace engine {

namespace {

void fillAccounts(Session &db)
{
    insertRows(db,
               "INSERT INTO PC01_DESCRPDC (PC01_CODICE, PC01_DESCR, PC01_INDTIPOPDC,"
               " PC01_MASCHERA) VALUES (?, ?, ?, ?)",
               {{1, "Piano dei conti industriale", 0, "##.##.###"},
                {2, "Voci di spesa e di ricavo", 1, "##.###"},
                {3, "Piano dei conti semplificato", 0, "##.#####"}});
    // Account types: 0 collegamento, 1 transitori, 2 competenza, 3 centri di costo,
    // 4 lavori in corso e progetti, 5 magazzino, 6 margini lordi, 7 margini netti,
    // 8 risultato, 9 altri tipi.
    insertRows(db,
               "INSERT INTO PC03_CONTI (PC03_PDC_PC01, PC03_CONTO, PC03_DESCR,"
               " PC03_INDTIPOCONTO, PC03_FLGMOVIMENTABILE) VALUES (?, ?, ?, ?, ?)",
               {
                   {1, "01", "Conti di collegamento", 0, 0},
                   {1, "0101001", "Collegamento con la contabilità generale - costi", 0, 1},
                   {1, "0101002", "Collegamento con la contabilità generale - ricavi", 0, 1},
                   {1, "0201001", "Costi in attesa di imputazione", 1, 1},
                   {1, "0201002", "Ricavi in attesa di imputazione", 1, 1},
                   {1, "0301001", "Ratei e risconti industriali", 2, 1},
                   {1, "0301002", "Costi di competenza dell'esercizio", 2, 1},
                   {1, "04", "Centri di costo", 3, 0},
                   {1, "0401001", "Centro di costo Produzione", 3, 1},
                   {1, "0401002", "Centro di costo Manutenzione", 3, 1},
                   {1, "0401003", "Centro di costo Amministrazione", 3, 1},
                   {1, "0401004", "Centro di costo Commerciale", 3, 1},
                   {1, "0401005", "Centro di costo Logistica", 3, 1},
                   {1, "0501001", "Commesse in corso di lavorazione", 4, 1},
                   {1, "0501002", "Progetti di ricerca e sviluppo", 4, 1},
                   {1, "0601001", "Magazzino materie prime", 5, 1},
                   {1, "0601002", "Magazzino semilavorati", 5, 1},
                   {1, "0601003", "Magazzino prodotti finiti", 5, 1},
                   {1, "0701001", "Margine lordo linea meccanica", 6, 1},
                   {1, "0701002", "Margine lordo linea ricambi", 6, 1},
                   {1, "0801001", "Margine netto di stabilimento", 7, 1},
                   {1, "0901001", "Risultato economico industriale", 8, 1},
                   {1, "1001001", "Costi non ripartibili", 9, 1},
                   {1, "1001002", "Differenze di arrotondamento", 9, 1},
                   {2, "10001", "Energia elettrica", 9, 1},
                   {2, "10002", "Manutenzioni ordinarie", 9, 1},
                   {2, "10003", "Materiali di consumo", 9, 1},
                   {2, "10004", "Trasporti su acquisti", 9, 1},
                   {2, "10005", "Costi d'esercizio", 9, 1},
                   {2, "10006", "Manodopera diretta", 9, 1},
                   {2, "20001", "Ricavi da vendite", 9, 1},
                   {2, "20002", "Recupero spese di trasporto", 9, 1},
                   {3, "1000001", "Costi generali", 3, 1},
                   {3, "2000001", "Ricavi generali", 6, 1},
                   {3, "9000001", "Collegamento", 0, 1},
               });
}

void fillProvidersAndFields(Session &db)
{
    insertRows(db, "INSERT INTO CI07_PROVCONTO (CI07_PROVIDER, CI07_DESCRIZIONE) VALUES (?, ?)",
               {
                   {1, "Conto dell'articolo"},
                   {2, "Conto della categoria statistica dell'articolo"},
                   {3, "Centro di costo del reparto"},
                   {4, "Conto della commessa"},
                   {5, "Conto della voce di spesa"},
                   {6, "Conto della proposta di sviluppo della causale"},
                   {7, "Centro di costo del dipendente"},
                   {8, "Conto del progetto"},
                   {9, "Conto del magazzino"},
               });
    insertRows(db, "INSERT INTO CI48_CAMPO (CI48_CAMPO, CI48_DESCRIZIONE) VALUES (?, ?)",
               {
                   {1, "Conto di destinazione"},
                   {2, "Conto di origine"},
                   {3, "Centro di costo"},
                   {4, "Commessa"},
                   {5, "Quantità"},
                   {6, "Valore"},
                   {7, "Voce di spesa"},
                   {8, "Progetto"},
                   {9, "Dipendente"},
                   {10, "Articolo"},
               });
}

void fillModels(Session &db)
{
    insertRows(db,
               "INSERT INTO CI04_MODELLI (CI04_INDSTAPER, CI04_MODELLO, CI04_DESCR)"
               " VALUES (?, ?, ?)",
               {
                   {0, "STD", "Movimento standard"},
                   {1, "STD", "Movimento standard con centro di costo"},
                   {0, "MAG", "Movimento di magazzino"},
                   {0, "MANOD", "Movimento di manodopera"},
                   {0, "RIPART", "Ripartizione costi indiretti"},
                   {0, "SEMPL", "Movimento semplificato"},
                   {1, "PERS01", "Movimento su commessa"},
                   {1, "PERS02", "Movimento su progetto"},
               });
    struct Design
    {
        int type;
        const char *model;
        std::vector<const char *> mandatory;
    };
    const std::vector<Design> designs = {
        {0, "STD", {"CONTODEST", "CONTOORIG", "VALORE"}},
        {1, "STD", {"CONTODEST", "CONTOORIG", "VALORE", "CDC"}},
        {0, "MAG", {"CONTODEST", "CONTOORIG", "VALORE", "ARTICOLO", "QUANTITA"}},
        {0, "MANOD", {"CONTODEST", "CONTOORIG", "VALORE", "DIPENDENTE", "QUANTITA"}},
        {0, "RIPART", {"CONTODEST", "CONTOORIG", "VALORE"}},
        {0, "SEMPL", {"CONTODEST", "VALORE"}},
        {1, "PERS01", {"CONTODEST", "CONTOORIG", "VALORE", "COMMESSA"}},
        {1, "PERS02", {"CONTODEST", "CONTOORIG", "VALORE", "PROGETTO"}},
    };
    Rows rows;
    for (const Design &design : designs) {
        for (const char *field : design.mandatory)
            rows.push_back({2, design.type, design.model, field, 1, 1, 1});
        rows.push_back({2, design.type, design.model, "DESCRIZIONE", 1, 1, 0});
    }
    // Fields that do not count as mandatory: optional, hidden or disabled ones.
    rows.push_back({2, 0, "SEMPL", "CONTOORIG", 1, 1, 0});
    rows.push_back({2, 1, "PERS02", "COMMESSA", 1, 1, 0});
    rows.push_back({2, 1, "PERS02", "NOTE", 0, 1, 1});
    rows.push_back({2, 0, "MAG", "LOTTO", 1, 0, 1});
    // The same model code in another module does not concern reason codes.
    rows.push_back({5, 0, "STD", "MAGAZZINO", 1, 1, 1});
    insertRows(db,
               "INSERT INTO FW28_DESIGNCAMPI (FW28_INDMODULO_FW25, FW28_INDSTAPER_FW25,"
               " FW28_MODELLO_FW25, FW28_FIELDNAME, FW28_FLGVISIBILE, FW28_FLGABILITATO,"
               " FW28_OBBLIGATORIO) VALUES (?, ?, ?, ?, ?, ?, ?)",
               rows);
}

} // namespace

void fillDemoCharts(Session &db)
{
    fillAccounts(db);
    fillProvidersAndFields(db);
    fillModels(db);
}

} // namespace engine
