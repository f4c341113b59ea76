// The schema of the database that stands in for the server, for both engines.
//
// One description feeds both: the DDL below is written once, in SQLite's dialect with SQL
// Server's type names; for PostgreSQL, postgresDdl() renames the types it lacks (NCHAR -> CHAR,
// NVARCHAR -> VARCHAR, TINYINT -> SMALLINT) and drops COLLATE RTRIM, since CHAR(n) compares
// without trailing blanks by itself. The one part written twice is the identity of CI03_IDPROV
// (triggers here, a PL/pgSQL trigger function there), and the schema version (PRAGMA
// user_version here, the table CAUSALI_SCHEMA_VERSION there).
//
// Tables are named as on the server: table prefix, underscore, field; a column that refers to
// another table ends with that table's prefix. Declared types follow SQL Server's (SQLite maps
// them to its affinities: NCHAR/NVARCHAR/CHAR text, DECIMAL numeric, TINYINT/SMALLINT integer);
// every code column is COLLATE RTRIM, so that 'ITA ' = 'ITA' as with fixed-length columns.
//
// Reason codes (owned by the cost-accounting module):
//   CI03_CAUSALI         header, key CI03_CODCAUS; CI03_IDPROV given by the database (below)
//   CI05_PROPSEZ         default journal per company, key (reason code, company)
//   CI06_RICERCACONTO    provider search sequence, key (reason code, side, row type, rank)
//   CI10_PROPCONTICAUS   posting proposal rows, key (reason code, row number)
//   CI11_CONTROLLOCONTI  account-type checks, key (reason code, side): ten 0/1 flags
//   CI99_DESLINGUA       descriptions in other languages, key (language, provenance, row id)
//   CI04_MODELLI         posting models, key (model type CI04_INDSTAPER, code CI04_MODELLO)
//   CI07_PROVCONTO       account providers
//   CI48_CAMPO           field descriptions
//   CI50_ANAGRIB         cost reallocations (usage check)
// Framework:
//   FW25_MODELLI         view: the models of module 2 are the cost-accounting posting models
//   FW28_DESIGNCAMPI     field design of a model (module, model type, model, field)
//   FW4A_PROVENIENZE     kinds of master data (CI99_PROVID_FW4A; reason codes are 903) and the
//                        last identifier given to each kind (FW4A_ULTIMOID)
//   MG52_LINGUE          languages
// Companies and general accounting:
//   CG16_ANAGGEN         general registry (company names)
//   CG18_ANADITTABASE    companies
//   CG25_ANADITTAGEST    company settings: CG25_FLGCONIND (cost accounting on),
//                        CG25_PDCCONIND_PC01 (its cost-accounting chart of accounts) and
//                        CG25_PDCVDS_PC01 (expense-item chart, -1 when the company has none)
//   CG68_NUMERDESC       journals of each company
//   PC01_DESCRPDC        charts of accounts; PC01_INDTIPOPDC 0 cost-accounting accounts,
//                        1 expense/revenue items; PC01_MASCHERA groups the digits for display
//   PC03_CONTI           accounts of every chart, expense items included (their own chart);
//                        PC03_INDTIPOCONTO is the account type 0..9, in the order of the
//                        account-type checks (CI11 flags COLLEG .. ALTRITIPI)
// Usage by other modules (only the reason-code column matters here):
//   MG36_DOCUMENTI, MG3G_DOCDITTA (stock documents), PD04 .. PD69 (production master data).
//
// CI03_IDPROV: an insert without it gets the next number of provenance 903 from
// FW4A_PROVENIENZE; an insert with it moves that counter past it; numbers are never given twice
// (a delete does not lower the counter) and cannot be changed once given.

#include "engine/schema.h"
#include "engine/server.h"
#include "engine/sqlite_util.h"

#include <regex>

namespace engine {

namespace {

const char *const reasonCodeTables = R"SQL(
CREATE TABLE CI03_CAUSALI (
    CI03_CODCAUS            NCHAR(4) COLLATE RTRIM NOT NULL PRIMARY KEY,
    CI03_DESCR              NVARCHAR(80) NULL,
    CI03_INDTIPOCOSRIC      INT NOT NULL DEFAULT 0,
    CI03_INDTIPOMOVDATI     INT NOT NULL DEFAULT 0,
    CI03_INDPROPCOSTO       INT NOT NULL DEFAULT 0,
    CI03_INDPROVCOSTO       INT NOT NULL DEFAULT 2,
    CI03_INDSTAPER_CI04     INT NOT NULL DEFAULT 0,
    CI03_MODELLO_CI04       NVARCHAR(14) COLLATE RTRIM NOT NULL,
    CI03_CODCAUSCOLL        NCHAR(4) COLLATE RTRIM NULL,
    CI03_CAUSCOLLRIF_CI03   NCHAR(4) COLLATE RTRIM NULL,
    CI03_INDREGVALQTA       SMALLINT NOT NULL DEFAULT 0,
    CI03_FLGNUMAUTOM        TINYINT NOT NULL DEFAULT 0,
    CI03_FLGRILPROG         TINYINT NOT NULL DEFAULT 0,
    CI03_IDPROV             DECIMAL(18, 0) NULL UNIQUE,
    CI03_FLGCOSTOMANOD      TINYINT NOT NULL DEFAULT 0,
    CI03_FLGAUTOMATICO      TINYINT NOT NULL DEFAULT 0,
    CHECK (CI03_INDTIPOCOSRIC IN (0, 1)),
    CHECK (CI03_INDTIPOMOVDATI BETWEEN 0 AND 3),
    CHECK (CI03_INDPROPCOSTO BETWEEN 0 AND 2),
    CHECK (CI03_INDPROVCOSTO BETWEEN 0 AND 2),
    CHECK (CI03_INDSTAPER_CI04 IN (0, 1)),
    CHECK (CI03_INDREGVALQTA IN (0, 1))
);

CREATE TABLE CI05_PROPSEZ (
    CI05_DITTA_CG18         DECIMAL(5) NOT NULL,
    CI05_CAUSALE_CI03       NCHAR(4) COLLATE RTRIM NOT NULL,
    CI05_SEZIONALE_CG68     NCHAR(2) COLLATE RTRIM NULL,
    PRIMARY KEY (CI05_CAUSALE_CI03, CI05_DITTA_CG18)
);

CREATE TABLE CI06_RICERCACONTO (
    CI06_CAUSALE_CI03       NCHAR(4) COLLATE RTRIM NOT NULL,
    CI06_INDSEGNO           TINYINT NOT NULL,
    CI06_INDTIPORIGA        SMALLINT NOT NULL,
    CI06_PROVIDER_CI07      SMALLINT NOT NULL,
    CI06_PROGRESSIVO        TINYINT NOT NULL,
    PRIMARY KEY (CI06_CAUSALE_CI03, CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROGRESSIVO)
);

CREATE TABLE CI10_PROPCONTICAUS (
    CI10_CODCAUS_CI03       NCHAR(4) COLLATE RTRIM NOT NULL,
    CI10_PROG               SMALLINT NOT NULL,
    CI10_INDSEGNO           TINYINT NULL,
    CI10_PERC               DECIMAL(5, 2) NULL,
    CI10_PDCCONTO_PC01      DECIMAL(3) NULL,
    CI10_CONTO_PC03         NCHAR(15) COLLATE RTRIM NULL,
    CI10_PDCVDS_PC01        DECIMAL(3) NULL,
    CI10_VDS_PC03           NCHAR(15) COLLATE RTRIM NULL,
    PRIMARY KEY (CI10_CODCAUS_CI03, CI10_PROG)
);

CREATE TABLE CI11_CONTROLLOCONTI (
    CI11_CODCAUS_CI03       NCHAR(4) COLLATE RTRIM NOT NULL,
    CI11_SEGNO              TINYINT NOT NULL,
    CI11_FLGCOLLEG          TINYINT NOT NULL DEFAULT 0,
    CI11_FLGTRANSIT         TINYINT NOT NULL DEFAULT 0,
    CI11_FLGCOMPET          TINYINT NOT NULL DEFAULT 0,
    CI11_FLGCDC             TINYINT NOT NULL DEFAULT 0,
    CI11_FLGLAVPROG         TINYINT NOT NULL DEFAULT 0,
    CI11_FLGMAGAZ           TINYINT NOT NULL DEFAULT 0,
    CI11_FLGMARGLORDI       TINYINT NOT NULL DEFAULT 0,
    CI11_FLGMARGNETTI       TINYINT NOT NULL DEFAULT 0,
    CI11_FLGRISULT          TINYINT NOT NULL DEFAULT 0,
    CI11_FLGALTRITIPI       TINYINT NOT NULL DEFAULT 0,
    PRIMARY KEY (CI11_CODCAUS_CI03, CI11_SEGNO)
);

CREATE TABLE CI99_DESLINGUA (
    CI99_CODLINGUA_MG52     CHAR(4) COLLATE RTRIM NOT NULL,
    CI99_PROVID_FW4A        DECIMAL(4) NOT NULL,
    CI99_IDPROV             DECIMAL(18, 0) NOT NULL,
    CI99_DESCRIZIONE        NVARCHAR(512) NOT NULL,
    PRIMARY KEY (CI99_CODLINGUA_MG52, CI99_PROVID_FW4A, CI99_IDPROV)
);
CREATE INDEX CI99_DESLINGUA_IDPROV ON CI99_DESLINGUA (CI99_PROVID_FW4A, CI99_IDPROV);

CREATE TABLE CI04_MODELLI (
    CI04_INDSTAPER          INT NOT NULL DEFAULT 0,
    CI04_MODELLO            NVARCHAR(14) COLLATE RTRIM NOT NULL,
    CI04_DESCR              NVARCHAR(40) NULL,
    PRIMARY KEY (CI04_INDSTAPER, CI04_MODELLO)
);

CREATE TABLE CI07_PROVCONTO (
    CI07_PROVIDER           SMALLINT NOT NULL PRIMARY KEY,
    CI07_DESCRIZIONE        NVARCHAR(80) NULL
);

CREATE TABLE CI48_CAMPO (
    CI48_CAMPO              SMALLINT NOT NULL PRIMARY KEY,
    CI48_DESCRIZIONE        NVARCHAR(80) NULL
);

CREATE TABLE CI50_ANAGRIB (
    CI50_CODICE             NCHAR(8) COLLATE RTRIM NOT NULL PRIMARY KEY,
    CI50_DESCR              NVARCHAR(60) NULL,
    CI50_CAUSALE_CI03       NCHAR(4) COLLATE RTRIM NULL
);
)SQL";

const char *const frameworkTables = R"SQL(
CREATE VIEW FW25_MODELLI AS
    SELECT 2 AS FW25_INDMODULO, CI04_INDSTAPER AS FW25_INDSTAPER,
           CI04_MODELLO AS FW25_MODELLO, CI04_DESCR AS FW25_DESCR
    FROM CI04_MODELLI;

CREATE TABLE FW28_DESIGNCAMPI (
    FW28_INDMODULO_FW25     SMALLINT NOT NULL,
    FW28_INDSTAPER_FW25     INT NOT NULL,
    FW28_MODELLO_FW25       NVARCHAR(14) COLLATE RTRIM NOT NULL,
    FW28_FIELDNAME          NVARCHAR(64) COLLATE RTRIM NOT NULL,
    FW28_CAPTION            NVARCHAR(60) NULL,
    FW28_FLGVISIBILE        TINYINT NOT NULL DEFAULT 1,
    FW28_FLGABILITATO       TINYINT NOT NULL DEFAULT 1,
    FW28_OBBLIGATORIO       TINYINT NOT NULL DEFAULT 0,
    PRIMARY KEY (FW28_INDMODULO_FW25, FW28_INDSTAPER_FW25, FW28_MODELLO_FW25, FW28_FIELDNAME)
);
CREATE INDEX FW28_DESIGNCAMPI_MODELLO
    ON FW28_DESIGNCAMPI (FW28_MODELLO_FW25, FW28_INDSTAPER_FW25);

CREATE TABLE FW4A_PROVENIENZE (
    FW4A_PROVID             DECIMAL(4) NOT NULL PRIMARY KEY,
    FW4A_DESCR              NVARCHAR(60) NULL,
    FW4A_ULTIMOID           DECIMAL(18, 0) NOT NULL DEFAULT 0
);
INSERT INTO FW4A_PROVENIENZE (FW4A_PROVID, FW4A_DESCR, FW4A_ULTIMOID)
    VALUES (903, 'Causali contabilità industriale', 0);

CREATE TABLE MG52_LINGUE (
    MG52_CODLINGUA          CHAR(4) COLLATE RTRIM NOT NULL PRIMARY KEY,
    MG52_DESCR              NVARCHAR(40) NULL
);
)SQL";

const char *const companyTables = R"SQL(
CREATE TABLE CG16_ANAGGEN (
    CG16_CODICE             DECIMAL(9) NOT NULL PRIMARY KEY,
    CG16_RAGSOANAG          NVARCHAR(60) NULL,
    CG16_PARTIVA            NCHAR(11) COLLATE RTRIM NULL,
    CG16_INDIRIZZO          NVARCHAR(60) NULL,
    CG16_LOCALITA           NVARCHAR(40) NULL,
    CG16_PROVINCIA          NCHAR(2) COLLATE RTRIM NULL
);

CREATE TABLE CG18_ANADITTABASE (
    CG18_DITTA              DECIMAL(5) NOT NULL PRIMARY KEY,
    CG18_CODICE_CG16        DECIMAL(9) NOT NULL
);

CREATE TABLE CG25_ANADITTAGEST (
    CG25_DITTA_CG18         DECIMAL(5) NOT NULL PRIMARY KEY,
    CG25_FLGCONIND          TINYINT NOT NULL DEFAULT 0,
    CG25_PDCCONIND_PC01     DECIMAL(3) NULL,
    CG25_PDCVDS_PC01        DECIMAL(3) NOT NULL DEFAULT -1
);

CREATE TABLE CG68_NUMERDESC (
    CG68_DITTA_CG18         DECIMAL(5) NOT NULL,
    CG68_SEZIONALE          NCHAR(2) COLLATE RTRIM NOT NULL,
    CG68_DESCSEZ            NVARCHAR(40) NULL,
    PRIMARY KEY (CG68_DITTA_CG18, CG68_SEZIONALE)
);

CREATE TABLE PC01_DESCRPDC (
    PC01_CODICE             DECIMAL(3) NOT NULL PRIMARY KEY,
    PC01_DESCR              NVARCHAR(40) NULL,
    PC01_INDTIPOPDC         TINYINT NOT NULL DEFAULT 0,
    PC01_MASCHERA           NVARCHAR(20) NULL
);

CREATE TABLE PC03_CONTI (
    PC03_PDC_PC01           DECIMAL(3) NOT NULL,
    PC03_CONTO              NCHAR(15) COLLATE RTRIM NOT NULL,
    PC03_DESCR              NVARCHAR(60) NULL,
    PC03_INDTIPOCONTO       TINYINT NOT NULL DEFAULT 9,
    PC03_FLGMOVIMENTABILE   TINYINT NOT NULL DEFAULT 1,
    PRIMARY KEY (PC03_PDC_PC01, PC03_CONTO),
    CHECK (PC03_INDTIPOCONTO BETWEEN 0 AND 9)
);
CREATE INDEX PC03_CONTI_TIPO ON PC03_CONTI (PC03_PDC_PC01, PC03_INDTIPOCONTO);
)SQL";

const char *const usageTables = R"SQL(
CREATE TABLE MG36_DOCUMENTI (
    MG36_CODDOC             NCHAR(6) COLLATE RTRIM NOT NULL PRIMARY KEY,
    MG36_DESCR              NVARCHAR(60) NULL,
    MG36_CAUSALEKOVA_CI03   NCHAR(4) COLLATE RTRIM NULL
);

CREATE TABLE MG3G_DOCDITTA (
    MG3G_DITTA_CG18         DECIMAL(5) NOT NULL,
    MG3G_CODDOC_MG36        NCHAR(6) COLLATE RTRIM NOT NULL,
    MG3G_CAUSALEKOVA_CI03   NCHAR(4) COLLATE RTRIM NULL,
    PRIMARY KEY (MG3G_DITTA_CG18, MG3G_CODDOC_MG36)
);
)SQL";

// The production master-data tables differ only in prefix and name.
const char *const productionTables[][2] = {
    {"PD04", "PD04_QUALIFICHE"},    {"PD06", "PD06_DIPENDENTI"}, {"PD07", "PD07_REPARTO"},
    {"PD08", "PD08_MACCHINA"},      {"PD12", "PD12_FASILAVORO"}, {"PD25", "PD25_COMMESSA"},
    {"PD26", "PD26_ATTREZZI"},      {"PD56", "PD56_ANAGKIT"},    {"PD68", "PD68_PROGETTI"},
    {"PD69", "PD69_SOTTOPROGETTI"},
};

// An index on the reason-code column of every table that refers to reason codes.
const char *const reasonCodeIndexes[][2] = {
    {"CI05_PROPSEZ", "CI05_CAUSALE_CI03"},       {"CI06_RICERCACONTO", "CI06_CAUSALE_CI03"},
    {"CI10_PROPCONTICAUS", "CI10_CODCAUS_CI03"}, {"CI11_CONTROLLOCONTI", "CI11_CODCAUS_CI03"},
    {"CI50_ANAGRIB", "CI50_CAUSALE_CI03"},       {"MG36_DOCUMENTI", "MG36_CAUSALEKOVA_CI03"},
    {"MG3G_DOCDITTA", "MG3G_CAUSALEKOVA_CI03"},
};

const char *const identityTriggers = R"SQL(
CREATE TRIGGER CI03_CAUSALI_IDPROV_NUOVO AFTER INSERT ON CI03_CAUSALI
    WHEN NEW.CI03_IDPROV IS NULL
BEGIN
    INSERT OR IGNORE INTO FW4A_PROVENIENZE (FW4A_PROVID, FW4A_DESCR, FW4A_ULTIMOID)
        VALUES (903, 'Causali contabilità industriale', 0);
    UPDATE FW4A_PROVENIENZE SET FW4A_ULTIMOID = FW4A_ULTIMOID + 1 WHERE FW4A_PROVID = 903;
    UPDATE CI03_CAUSALI
        SET CI03_IDPROV = (SELECT FW4A_ULTIMOID FROM FW4A_PROVENIENZE WHERE FW4A_PROVID = 903)
        WHERE rowid = NEW.rowid;
END;

CREATE TRIGGER CI03_CAUSALI_IDPROV_DATO AFTER INSERT ON CI03_CAUSALI
    WHEN NEW.CI03_IDPROV IS NOT NULL
BEGIN
    INSERT OR IGNORE INTO FW4A_PROVENIENZE (FW4A_PROVID, FW4A_DESCR, FW4A_ULTIMOID)
        VALUES (903, 'Causali contabilità industriale', 0);
    UPDATE FW4A_PROVENIENZE SET FW4A_ULTIMOID = NEW.CI03_IDPROV
        WHERE FW4A_PROVID = 903 AND FW4A_ULTIMOID < NEW.CI03_IDPROV;
END;

CREATE TRIGGER CI03_CAUSALI_IDPROV_FISSO BEFORE UPDATE OF CI03_IDPROV ON CI03_CAUSALI
    WHEN OLD.CI03_IDPROV IS NOT NULL AND NEW.CI03_IDPROV IS NOT OLD.CI03_IDPROV
BEGIN
    SELECT RAISE(ABORT, 'CI03_IDPROV is given by the database and cannot be changed');
END;
)SQL";

// The same identity on PostgreSQL: one BEFORE trigger gives or checks the number.
const char *const postgresIdentity = R"SQL(
CREATE FUNCTION CI03_CAUSALI_IDPROV() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF TG_OP = 'UPDATE' THEN
        IF OLD.CI03_IDPROV IS NOT NULL AND NEW.CI03_IDPROV IS DISTINCT FROM OLD.CI03_IDPROV THEN
            RAISE EXCEPTION 'CI03_IDPROV is given by the database and cannot be changed';
        END IF;
        RETURN NEW;
    END IF;
    INSERT INTO FW4A_PROVENIENZE (FW4A_PROVID, FW4A_DESCR, FW4A_ULTIMOID)
        VALUES (903, 'Causali contabilità industriale', 0) ON CONFLICT DO NOTHING;
    IF NEW.CI03_IDPROV IS NULL THEN
        UPDATE FW4A_PROVENIENZE SET FW4A_ULTIMOID = FW4A_ULTIMOID + 1 WHERE FW4A_PROVID = 903
            RETURNING FW4A_ULTIMOID INTO NEW.CI03_IDPROV;
    ELSE
        UPDATE FW4A_PROVENIENZE SET FW4A_ULTIMOID = NEW.CI03_IDPROV
            WHERE FW4A_PROVID = 903 AND FW4A_ULTIMOID < NEW.CI03_IDPROV;
    END IF;
    RETURN NEW;
END
$$;
CREATE TRIGGER CI03_CAUSALI_IDPROV BEFORE INSERT OR UPDATE OF CI03_IDPROV ON CI03_CAUSALI
    FOR EACH ROW EXECUTE FUNCTION CI03_CAUSALI_IDPROV();
)SQL";

std::string replaceAll(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The common DDL in PostgreSQL's words.
std::string postgresDdl(std::string ddl)
{
    ddl = replaceAll(ddl, " COLLATE RTRIM", "");
    ddl = replaceAll(ddl, "NVARCHAR(", "VARCHAR(");
    ddl = replaceAll(ddl, "NCHAR(", "CHAR(");
    return replaceAll(ddl, "TINYINT", "SMALLINT");
}

std::string productionTable(const std::string &prefix, const std::string &name)
{
    return "CREATE TABLE " + name
           + " (\n"
             "    "
           + prefix
           + "_CODICE NCHAR(10) COLLATE RTRIM NOT NULL PRIMARY KEY,\n"
             "    "
           + prefix
           + "_DESCR NVARCHAR(60) NULL,\n"
             "    "
           + prefix
           + "_CODCAUS_CI03 NCHAR(4) COLLATE RTRIM NULL\n);\n"
             "CREATE INDEX "
           + name + "_CAUSALE ON " + name + " (" + prefix + "_CODCAUS_CI03);\n";
}

} // namespace

std::string schemaScript(Dialect dialect)
{
    std::string ddl = std::string(reasonCodeTables) + frameworkTables + companyTables + usageTables;
    for (const auto &table : productionTables)
        ddl += productionTable(table[0], table[1]);
    for (const auto &index : reasonCodeIndexes) {
        ddl += std::string("CREATE INDEX ") + index[0] + "_CAUSALE ON " + index[0] + " (" + index[1]
               + ");\n";
    }
    if (dialect == Dialect::Sqlite)
        return ddl + identityTriggers;
    return postgresDdl(ddl) + postgresIdentity
           + "CREATE TABLE CAUSALI_SCHEMA_VERSION ("
             "VERSION INT NOT NULL);\nINSERT INTO CAUSALI_SCHEMA_VERSION VALUES ("
           + std::to_string(SchemaVersion) + ");\n";
}

std::vector<std::string> schemaTables()
{
    static const std::regex createTable(R"(CREATE TABLE (\w+))");
    const std::string script = schemaScript(Dialect::Sqlite);
    std::vector<std::string> tables;
    for (auto it = std::sregex_iterator(script.begin(), script.end(), createTable);
         it != std::sregex_iterator(); ++it)
        tables.push_back((*it)[1].str());
    return tables;
}

void createSchema(sqlite3 *db)
{
    if (!db)
        throw Error("createSchema: no connection");
    if (queryInt(db, "SELECT COUNT(*) FROM sqlite_schema") != 0)
        throw Error("createSchema: the database is not empty");
    exec(db, schemaScript(Dialect::Sqlite));
    exec(db, "PRAGMA user_version = " + std::to_string(SchemaVersion));
}

void upgradeSchema(sqlite3 *db)
{
    if (!db)
        throw Error("upgradeSchema: no connection");
    const long long version = queryInt(db, "PRAGMA user_version");
    if (version >= SchemaVersion)
        return;
    // Version 1, the files of the first releases, kept a rollback journal: from version 2 on
    // the file is in WAL mode, so that a program reading it never waits for one writing it.
    // The switch needs no other program to hold the file; it is retried at the next opening
    // when one does.
    if (queryText(db, "PRAGMA journal_mode = WAL") != "wal")
        return;
    exec(db, "PRAGMA user_version = " + std::to_string(SchemaVersion));
}

} // namespace engine
