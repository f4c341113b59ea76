#pragma once
// The SQL texts the reason-code module sends, built line by line (CR LF between lines) the way
// the window builds them, so that the rewriter and the database stand-in are tested on exactly
// what the module writes. Values are placed as the module places them: codes between single
// quotes (an apostrophe doubled), numbers bare.

#include <QString>

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

namespace sqltexts {

// Lines joined by CR LF, none after the last.
QString lines(std::initializer_list<QString> parts);
// 'value' with every apostrophe doubled.
QString quoted(const QString &value);
// Every "@CAUSALE" replaced by the quoted code.
QString withCode(QString text, const QString &code);

// ----- satellites of the reason code shown, and the empty frames -----
QString showLanguage(const QString &language, const QString &idProv);
QString showJournals(const QString &code);
QString showSearch(const QString &code, int sign);
QString showDevelopment(const QString &code, const QString &chart, const QString &expenseChart);
QString showChecks(const QString &code);
QString clearLanguage();
QString clearSearch();
QString clearJournals();
QString clearDevelopment();
QString clearChecks();
// RefreshChild: the ShowChild SELECTs without row-type filter and chart conditions.
QString refreshDevelopment(const QString &code);

// ----- working tables -----
QString createLanguageTable();
QString createJournalsTable();
QString createSearchTable();
QString createDevelopmentTable();
QString fillJournals();
QString fillSearch();
QString fillDevelopment();
QString fillLanguage(const QString &language);
QString deleteWorkSearch(const QString &code);
QString deleteWorkDevelopment(const QString &code);
QString deleteWorkJournals(const QString &code);
QString deleteWorkLanguage(const QString &idProv);
QString dropLanguageTable();

// ----- saving and deleting -----
QString cmdDeleteChecks();
QString cmdDeleteSearch();
QString cmdDeleteJournals();
QString cmdDeleteDevelopment();
QString s1(const QString &code);
QString s2(const QString &code);
QString s3(const QString &code);
QString s4(const QString &code);
QString s5(const QString &code);
QString s6(const QString &code);
QString s7(const QString &idProv, const QString &language, bool deleting);
QString s8(const QString &idProv, const QString &language);
QString s9(const QString &description, const QString &idProv);

// ----- lookups and usage checks -----
QString cmdFieldDescription();
QString cmdProviderDescription();
QString cmdCompanyDescription();
QString journalDescription(const QString &journal, int company);
QString chartDescription(const QString &chart);
QString lastProgressive(const QString &code);
QString usedByStock(const QString &code);
QString usedByCompanyStock(const QString &code);
QString usedByProduction(const QString &code);
QString usedByReallocation(const QString &code);

// ----- language frame, header, linked codes -----
QString languageFrameSelect(const QString &language);
QString headerSelect();
using Flags = std::array<int, 20>; // credit side items 0..9, then debit side items 0..9
QString maskSelect(const Flags &flags);
QString maskSelectReference(const QString &movement, const Flags &flags);
QString candidateCondition(const QString &model, int modelType, const QString &code, long mask,
                           bool reference);
QString linkedDecode(const QString &language, const QString &model, int modelType,
                     const QString &code, long mask, const QString &linkedCode, bool reference);
QString linkedLookup(const QString &language, const QString &model, int modelType,
                     const QString &code, long mask, bool reference);

// ----- satellite editors' configuration -----
QString companyList();
QString journalsConfig();
QString searchConfig();
QString developmentConfig();

// Every text above with sample values, named.
std::vector<std::pair<QString, QString>> all();

} // namespace sqltexts
