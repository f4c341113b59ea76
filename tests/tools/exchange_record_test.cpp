// The file format on its own: a code with every kind of value survives writing and reading,
// and each malformed part is named by code and field.

#include "tools/exchange_record.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

using namespace causali;
using namespace causali::exchange;

CodeRecord fullRecord()
{
    CodeRecord r;
    r.header = {"ABCD", "Prova con l'apostrofo", 1, 1, 1, 0, 1, "MOD-1", "", "EFGH", 1, 0, 0};
    r.descriptions = {{"ENG", "Test"}, {"ITA", "Prova con l'apostrofo"}};
    r.checkRows.insert(
        1, SideTypes{true, false, false, false, false, false, false, false, false, true});
    r.checkRows.insert(2, SideTypes{false, true});
    r.journals = {{1, "AC"}, {3, "VE"}};
    r.searchSequence = {{1, 0, 7, 1}, {1, 0, 2, 2}, {2, 4, 1, 1}};
    r.proposal = {{1, 1, 33.33, 1, "0401001", 2, "10001"},
                  {2, 2, 66.67, 1, "0101001", 2, ""},
                  {3, 2, 0, 1, "0101002", std::nullopt, ""}};
    return r;
}

std::string problemsOf(const ReadResult &read)
{
    QStringList out;
    for (const ReadProblem &p : read.problems)
        out << p.code + QLatin1Char(' ') + p.field + QStringLiteral(": ") + p.reason;
    return out.join(QLatin1Char('\n')).toStdString();
}

// A file of one code whose object `edit` changes.
QByteArray withCode(const std::function<void(QJsonObject &)> &edit)
{
    QJsonObject code = toJson(fullRecord());
    edit(code);
    return QJsonDocument(
               QJsonObject{{"format", "causali"}, {"version", 1}, {"codes", QJsonArray{code}}})
        .toJson();
}

TEST(ExchangeRecord, EveryKindOfValueSurvivesTheFile)
{
    const QByteArray file = toDocument({fullRecord()});
    const ReadResult read = fromDocument(file);
    ASSERT_TRUE(read.problems.isEmpty()) << problemsOf(read);
    ASSERT_EQ(read.records.size(), 1);
    EXPECT_TRUE(read.records[0] == fullRecord());
    EXPECT_EQ(toDocument(read.records), file);
    // An empty linked code and an item-less row are written as null, not as "".
    const QJsonObject code = QJsonDocument::fromJson(file)["codes"][0].toObject();
    EXPECT_TRUE(code["CI03_CODCAUSCOLL"].isNull());
    EXPECT_TRUE(code["CI10_PROPCONTICAUS"][2]["CI10_PDCVDS_PC01"].isNull());
    EXPECT_EQ(fullRecord().checks().debit[9], true);
    EXPECT_EQ(CodeRecord{}.checks(), AccountTypeChecks{});
}

TEST(ExchangeRecord, MalformedPartsAreNamed)
{
    const auto problems = [](const std::function<void(QJsonObject &)> &edit) {
        return problemsOf(fromDocument(withCode(edit)));
    };
    EXPECT_EQ(problems([](QJsonObject &o) {
                  o["CI11_CONTROLLOCONTI"] = QJsonArray{
                      QJsonObject{{"CI11_SEGNO", 3}},
                  };
              }).substr(0, 44),
              "ABCD CI11_CONTROLLOCONTI[1].CI11_SEGNO: atte");
    EXPECT_EQ(problems([](QJsonObject &o) {
                  QJsonArray checks = o["CI11_CONTROLLOCONTI"].toArray();
                  QJsonObject row = checks[0].toObject();
                  row["CI11_FLGCDC"] = 2;
                  checks[0] = row;
                  checks.append(row);
                  o["CI11_CONTROLLOCONTI"] = checks;
              }),
              "ABCD CI11_CONTROLLOCONTI[1].CI11_FLGCDC: atteso 0 o 1\n"
              "ABCD CI11_CONTROLLOCONTI[3].CI11_SEGNO: lato ripetuto\n"
              "ABCD CI11_CONTROLLOCONTI[3].CI11_FLGCDC: atteso 0 o 1");
    EXPECT_EQ(problems([](QJsonObject &o) {
                  o["CI99_DESLINGUA"] = QJsonArray{
                      QJsonObject{{"CI99_CODLINGUA_MG52", "ITA"}, {"CI99_DESCRIZIONE", "a"}},
                      QJsonObject{{"CI99_CODLINGUA_MG52", "ITA"}, {"CI99_DESCRIZIONE", "b"}}, 7};
                  o["CI10_PROPCONTICAUS"] = QJsonArray{QJsonObject{{"CI10_PROG", 1.5}}};
                  o["CI03_CODCAUSCOLL"] = 5;
              }),
              "ABCD CI03_CODCAUSCOLL: atteso un testo\n"
              "ABCD CI99_DESLINGUA[3]: attesa una riga (oggetto)\n"
              "ABCD CI99_DESLINGUA[2].CI99_CODLINGUA_MG52: lingua ripetuta\n"
              "ABCD CI10_PROPCONTICAUS[1].CI10_PROG: atteso un numero intero\n"
              "ABCD CI10_PROPCONTICAUS[1].CI10_INDSEGNO: campo mancante\n"
              "ABCD CI10_PROPCONTICAUS[1].CI10_PERC: campo mancante\n"
              "ABCD CI10_PROPCONTICAUS[1].CI10_PDCCONTO_PC01: campo mancante\n"
              "ABCD CI10_PROPCONTICAUS[1].CI10_CONTO_PC03: campo mancante\n"
              "ABCD CI10_PROPCONTICAUS[1].CI10_PDCVDS_PC01: campo mancante\n"
              "ABCD CI10_PROPCONTICAUS[1].CI10_VDS_PC03: campo mancante");
    EXPECT_EQ(problemsOf(fromDocument(R"({"format": "causali", "version": 1, "codes": {}})")),
              " codes: attesa la lista delle causali");
    EXPECT_EQ(problemsOf(fromDocument(R"({"format": "causali", "version": 1, "codes": [3]})")),
              "#1 codes[1]: attesa una causale (oggetto)");
}

} // namespace
