// Export and import of reason codes: the file round-trips through another database unchanged,
// an import writes every code or none, a dry run writes nothing, and a file that does not
// follow the format is refused field by field.

#include "exchange_fixture.h"

#include "ado/error.h"
#include "tools/exchange_import.h"
#include "tools/exchange_record.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace toolstest {
namespace {

using namespace causali::exchange;

std::string text(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n')).toStdString();
}

// The file with `edit` applied to the code `code`'s object.
QByteArray edited(const QByteArray &file, const QString &code,
                  const std::function<void(QJsonObject &)> &edit)
{
    QJsonObject root = QJsonDocument::fromJson(file).object();
    QJsonArray codes = root.value(QStringLiteral("codes")).toArray();
    for (qsizetype i = 0; i < codes.size(); ++i) {
        QJsonObject o = codes[i].toObject();
        if (o.value(QStringLiteral("CI03_CODCAUS")).toString() == code) {
            edit(o);
            codes[i] = o;
        }
    }
    root.insert(QStringLiteral("codes"), codes);
    return QJsonDocument(root).toJson();
}

class ExchangeTest : public ExchangeFixture
{
};

TEST_F(ExchangeTest, ExportImportExportGivesTheSameFile)
{
    const QByteArray first = exportCodes(source, acceptedDemoCodes());
    const ImportReport report = importCodes(target, first);
    ASSERT_TRUE(report.ok()) << text(report.lines);
    EXPECT_TRUE(report.written);
    EXPECT_EQ(report.created, acceptedDemoCodes().size());
    EXPECT_EQ(report.replaced, 0);
    EXPECT_EQ(exportCodes(target), first);
    // What the editor's own tables hold, beyond the file: CI03_DESCR and the ITA description
    // agree, and a proposal row without an item keeps its chart and a NULL item.
    EXPECT_EQ(column(target, "SELECT CI03_DESCR FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'CESE'"),
              QStringList{"Costi d'esercizio"});
    EXPECT_EQ(column(target, "SELECT COALESCE(CI10_VDS_PC03, '<NULL>') || '/' || CI10_PDCVDS_PC01 "
                             "FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'CESE' "
                             "AND CI10_PROG = 3"),
              QStringList{"<NULL>/2"});
}

TEST_F(ExchangeTest, ExportOrderAndFormatDoNotDependOnTheDatabase)
{
    const QJsonObject root =
        QJsonDocument::fromJson(exportCodes(source, {"STOR", "ACQM"})).object();
    EXPECT_EQ(root.value("format").toString(), QStringLiteral("causali"));
    EXPECT_EQ(root.value("version").toInt(), 1);
    const QJsonArray codes = root.value("codes").toArray();
    ASSERT_EQ(codes.size(), 2);
    EXPECT_EQ(codes[0].toObject().value("CI03_CODCAUS").toString(), QStringLiteral("ACQM"));
    // The search sequence by side, row type and rank, whatever order the table holds it in.
    const QJsonArray search = codes[0].toObject().value("CI06_RICERCACONTO").toArray();
    for (qsizetype i = 1; i < search.size(); ++i) {
        const QJsonObject a = search[i - 1].toObject();
        const QJsonObject b = search[i].toObject();
        const auto key = [](const QJsonObject &o) {
            return std::tuple(o.value("CI06_INDSEGNO").toInt(), o.value("CI06_INDTIPORIGA").toInt(),
                              o.value("CI06_PROGRESSIVO").toInt());
        };
        EXPECT_LT(key(a), key(b)) << i;
    }
    try {
        exportCodes(source, {"ACQM", "NONE"});
        ADD_FAILURE() << "an unknown code was exported";
    } catch (const ado::RuntimeError &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("NONE")));
    }
}

TEST_F(ExchangeTest, ImportReplacesEverythingOfAStoredCode)
{
    // STOR comes back with one journal, no search sequence, only its Italian description.
    const QByteArray file = edited(exportCodes(source, {"STOR"}), "STOR", [](QJsonObject &o) {
        o.insert("CI03_DESCR", "Storno rivisto");
        o.insert("CI05_PROPSEZ",
                 QJsonArray{QJsonObject{{"CI05_DITTA_CG18", 1}, {"CI05_SEZIONALE_CG68", "VE"}}});
        o.insert("CI06_RICERCACONTO", QJsonArray{});
        o.insert("CI99_DESLINGUA", QJsonArray{QJsonObject{{"CI99_CODLINGUA_MG52", "ITA"},
                                                          {"CI99_DESCRIZIONE", "Storno rivisto"}}});
    });
    const ImportReport report = importCodes(source, file);
    ASSERT_TRUE(report.ok()) << text(report.lines);
    EXPECT_EQ(report.replaced, 1);
    EXPECT_EQ(column(source, "SELECT CI05_DITTA_CG18 || CI05_SEZIONALE_CG68 FROM CI05_PROPSEZ "
                             "WHERE CI05_CAUSALE_CI03 = 'STOR'"),
              QStringList{"1VE"});
    EXPECT_EQ(count(source, "CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'STOR'"), 0);
    EXPECT_EQ(column(source, "SELECT CI99_CODLINGUA_MG52 FROM CI99_DESLINGUA INNER JOIN "
                             "CI03_CAUSALI ON CI99_IDPROV = CI03_IDPROV WHERE "
                             "CI99_PROVID_FW4A = 903 AND CI03_CODCAUS = 'STOR'"),
              QStringList{"ITA"});
    EXPECT_EQ(QJsonDocument::fromJson(exportCodes(source, {"STOR"})).object(),
              QJsonDocument::fromJson(file).object());
    // The same connection imports again (its working tables from the first import stay).
    const ImportReport again = importCodes(source, file);
    EXPECT_TRUE(again.written) << text(again.lines);
}

TEST_F(ExchangeTest, OneRefusedCodeWritesNothingAndEachRefusalNamesCodeAndField)
{
    const QByteArray file = edited(
        exportCodes(source, acceptedDemoCodes()), "GIRO", [](QJsonObject &o) {
            o.insert("CI05_PROPSEZ", QJsonArray{QJsonObject{{"CI05_DITTA_CG18", 3},
                                                            {"CI05_SEZIONALE_CG68", "ZZ"}}});
            o.insert("CI03_INDPROPCOSTO", 1);
            o.insert("CI03_INDPROVCOSTO", 2);
        });
    const ImportReport report = importCodes(target, file);
    EXPECT_FALSE(report.ok());
    EXPECT_FALSE(report.written);
    EXPECT_EQ(report.refusals, 2) << text(report.lines);
    EXPECT_TRUE(report.lines.contains(
        "Rifiutata GIRO, CI05_PROPSEZ[1].CI05_SEZIONALE_CG68: Il sezionale \"ZZ\" non esiste "
        "nella ditta 3."))
        << text(report.lines);
    EXPECT_TRUE(std::any_of(report.lines.begin(), report.lines.end(), [](const QString &l) {
        return l.startsWith("Rifiutata GIRO, CI03_INDPROVCOSTO: ");
    }));
    for (const char *table : {"CI03_CAUSALI", "CI05_PROPSEZ", "CI06_RICERCACONTO",
                              "CI10_PROPCONTICAUS", "CI11_CONTROLLOCONTI"})
        EXPECT_EQ(count(target, table), 0) << table;
    EXPECT_EQ(count(target, "CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903"), 0);
}

TEST_F(ExchangeTest, LinkedCodesAreJudgedAgainstTheCodesOfTheSameFile)
{
    // CESE and STOR link each other: alone, CESE's linked code does not exist in the target.
    const ImportReport alone = importCodes(target, exportCodes(source, {"CESE"}));
    EXPECT_EQ(text(alone.lines.filter("Rifiutata")),
              "Rifiutata CESE, CI03_CODCAUSCOLL: La causale \"STOR\" non può essere la causale "
              "collegata: non esiste oppure non è compatibile con il modello e i tipi conto della "
              "causale gestita. Premere F3 per l'elenco delle causali collegabili.");
    EXPECT_TRUE(importCodes(target, exportCodes(source, {"CESE", "STOR"})).ok());
}

TEST_F(ExchangeTest, DryRunChecksAndReportsButWritesNothing)
{
    ImportOptions options;
    options.dryRun = true;
    const ImportReport report = importCodes(target, exportCodes(source, {"ACQM", "RIFM"}), options);
    EXPECT_TRUE(report.ok()) << text(report.lines);
    EXPECT_FALSE(report.written);
    EXPECT_EQ(report.created, 2);
    EXPECT_TRUE(report.lines.contains("Crea ACQM - Acquisto materie prime"));
    EXPECT_EQ(count(target, "CI03_CAUSALI"), 0);
    EXPECT_EQ(count(target, "CI06_RICERCACONTO"), 0);
    // A dry run over stored codes says it replaces them, and leaves them as they are.
    const QByteArray before = exportCodes(source);
    const ImportReport again = importCodes(
        source,
        edited(exportCodes(source, {"ACQM"}), "ACQM",
               [](QJsonObject &o) { o.insert("CI03_DESCR", "Cambiata"); }),
        options);
    EXPECT_TRUE(again.lines.contains("Sostituisce ACQM - Cambiata"));
    EXPECT_EQ(exportCodes(source), before);
}

TEST_F(ExchangeTest, AFileOutsideTheFormatIsRefusedFieldByField)
{
    const auto refusals = [this](const QByteArray &file) {
        const ImportReport r = importCodes(target, file);
        EXPECT_FALSE(r.written);
        EXPECT_EQ(count(target, "CI03_CAUSALI"), 0);
        return text(r.lines.filter("Rifiutata"));
    };
    EXPECT_TRUE(QString::fromStdString(refusals("{ not json")).contains("JSON non valido"));
    EXPECT_TRUE(QString::fromStdString(refusals(R"({"format": "causali", "version": 2})"))
                    .contains("\"version\": 1"));
    const QByteArray file = edited(exportCodes(source, {"ACQM"}), "ACQM", [](QJsonObject &o) {
        o.insert("CI03_INDTIPOMOVDATI", "uno");
        o.insert("EXTRA", 1);
        QJsonArray search = o.value("CI06_RICERCACONTO").toArray();
        QJsonObject row = search[0].toObject();
        row.remove("CI06_PROVIDER_CI07");
        search[0] = row;
        o.insert("CI06_RICERCACONTO", search);
    });
    EXPECT_EQ(refusals(file),
              "Rifiutata ACQM, EXTRA: campo non previsto dal formato\n"
              "Rifiutata ACQM, CI03_INDTIPOMOVDATI: atteso un numero intero\n"
              "Rifiutata ACQM, CI06_RICERCACONTO[1].CI06_PROVIDER_CI07: campo mancante");
    // The same code twice.
    QJsonObject root = QJsonDocument::fromJson(exportCodes(source, {"ACQM"})).object();
    QJsonArray codes = root.value("codes").toArray();
    codes.append(codes[0]);
    root.insert("codes", codes);
    EXPECT_EQ(refusals(QJsonDocument(root).toJson()),
              "Rifiutata ACQM, CI03_CODCAUS: causale ripetuta nel file");
}

TEST_F(ExchangeTest, DescriptionsInUnknownLanguagesAreRefused)
{
    ImportOptions options;
    options.knownLanguages = QStringList{"ITA", "ENG"};
    const ImportReport report = importCodes(
        target,
        edited(exportCodes(source, {"RIFM"}), "RIFM",
               [](QJsonObject &o) {
                   o.insert("CI99_DESLINGUA", QJsonArray{QJsonObject{{"CI99_CODLINGUA_MG52", "XYZ"},
                                                                     {"CI99_DESCRIZIONE", "x"}},
                                                         QJsonObject{{"CI99_CODLINGUA_MG52", "ITA"},
                                                                     {"CI99_DESCRIZIONE", " "}}});
               }),
        options);
    EXPECT_EQ(text(report.lines.filter("Rifiutata")),
              "Rifiutata RIFM, CI99_DESLINGUA[1].CI99_DESCRIZIONE: Descrizione vuota.\n"
              "Rifiutata RIFM, CI99_DESLINGUA[2].CI99_CODLINGUA_MG52: Lingua \"XYZ\" "
              "sconosciuta.");
}

} // namespace
} // namespace toolstest
