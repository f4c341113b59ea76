#include "module_texts.h"

#include "data/lookups.h"
#include "data/save_routines.h"
#include "data/value_domains.h"
#include "data/working_tables.h"
#include "header/header_panel.h"
#include "header/linked_code_rules.h"
#include "satellites/child_sql.h"
#include "satellites/search_sequence_page.h"

#include <QStringList>

namespace moduletexts {

namespace {

using causali::HeaderPanel;
using causali::Lookups;
using causali::SaveRoutines;
using causali::WorkingTables;
using Texts = std::vector<std::pair<QString, QString>>;

// A reason code with an apostrophe, so that every placed value is a quoted one.
const QString Code = QStringLiteral("V'N");
const QVariant IdProv = 12;

Texts satellites()
{
    using namespace causali::childsql;
    return {
        {"languageText", languageText("ITA", IdProv)},
        {"journalsText", journalsText(Code)},
        {"searchSequenceText1", searchSequenceText(Code, 1)},
        {"searchSequenceText2", searchSequenceText(Code, 2)},
        {"developmentText", developmentText(Code, 1, -1)},
        {"developmentSourceText", developmentSourceText(Code)},
        {"checksText", checksText(Code)},
        {"emptyLanguageText", emptyLanguageText()},
        {"emptySearchSequenceText", emptySearchSequenceText()},
        {"emptyJournalsText", emptyJournalsText()},
        {"emptyDevelopmentText", emptyDevelopmentText()},
        {"emptyChecksText", emptyChecksText()},
        {"searchConfiguration", causali::SearchSequencePage::configurationText()},
    };
}

void addWorkingTables(Texts &texts)
{
    const QStringList preparation = WorkingTables::preparationTexts();
    for (int i = 0; i < preparation.size(); ++i)
        texts.emplace_back(QStringLiteral("preparation%1").arg(i), preparation[i]);
    const QStringList loading = WorkingTables::loadingTexts(Code, "ITA", IdProv);
    for (int i = 0; i < loading.size(); ++i)
        texts.emplace_back(QStringLiteral("loading%1").arg(i), loading[i]);
    const Texts removals = {
        {"deleteRicRowsText", WorkingTables::deleteRicRowsText(Code)},
        {"deleteSviluppoRowsText", WorkingTables::deleteSviluppoRowsText(Code)},
        {"deleteSezionaliRowsText", WorkingTables::deleteSezionaliRowsText(Code)},
        {"deleteCausaliLinguaRowsText", WorkingTables::deleteCausaliLinguaRowsText(IdProv)},
        {"dropCausaliLinguaText", WorkingTables::dropCausaliLinguaText()},
    };
    texts.insert(texts.end(), removals.begin(), removals.end());
}

void addSaving(Texts &texts)
{
    texts.emplace_back("deleteControlloContiText", SaveRoutines::deleteControlloContiText());
    texts.emplace_back("deleteRicercaContoText", SaveRoutines::deleteRicercaContoText());
    texts.emplace_back("deletePropSezText", SaveRoutines::deletePropSezText());
    texts.emplace_back("deletePropContiCausText", SaveRoutines::deletePropContiCausText());
    // A description holding what the rewriter looks for must reach the table as typed.
    const causali::AggiornamentoStatements st = SaveRoutines::buildStatements(
        Code, IdProv, causali::LinguaBase, "L'ufficio -- WITH (NOLOCK) #X", false);
    const QStringList saving{st.s1, st.s2, st.s3, st.s4, st.s5, st.s6, st.s7, st.s8, st.s9};
    for (int i = 0; i < saving.size(); ++i)
        texts.emplace_back(QStringLiteral("S%1").arg(i + 1), saving[i]);
    texts.emplace_back("S7deleting",
                       SaveRoutines::buildStatements(Code, IdProv, "ITA", {}, true).s7);
}

Texts lookups()
{
    return {
        {"fieldDescriptionText", Lookups::fieldDescriptionText()},
        {"providerDescriptionText", Lookups::providerDescriptionText()},
        {"companyDescriptionText", Lookups::companyDescriptionText()},
        {"journalDescriptionText", Lookups::journalDescriptionText(1, "A'")},
        {"pdcDescriptionText", Lookups::pdcDescriptionText(1)},
        {"lastProgressivoText", Lookups::lastProgressivoText(Code)},
        {"stockDocumentUsageText", Lookups::stockDocumentUsageText(Code)},
        {"companyStockDocumentUsageText", Lookups::companyStockDocumentUsageText(Code)},
        {"productionUsageText", Lookups::productionUsageText(Code)},
        {"reallocationUsageText", Lookups::reallocationUsageText(Code)},
        {"companyListText", causali::companyListText()},
    };
}

void addHeader(Texts &texts)
{
    using Box = HeaderPanel::LinkedBox;
    QStringList flags(20, QStringLiteral("0"));
    flags[3] = flags[13] = QStringLiteral("1");
    texts.emplace_back("headerSelectText", HeaderPanel::headerSelectText());
    texts.emplace_back("languageSelectText", HeaderPanel::languageSelectText("ITA"));
    texts.emplace_back("configMaskText",
                       causali::linked_rules::configMaskText(Box::Linked, {}, flags));
    texts.emplace_back("configMaskTextReference",
                       causali::linked_rules::configMaskText(Box::Reference, "1", flags));
    for (const Box box : {Box::Linked, Box::Reference}) {
        const QString suffix = box == Box::Linked ? QString() : QStringLiteral("Reference");
        texts.emplace_back(
            "linkedDecodeText" + suffix,
            causali::linked_rules::decodeText(box, "ITA", "M'1", "0", Code, 5, "ACQ"));
        texts.emplace_back("linkedLookupText" + suffix,
                           causali::linked_rules::lookupText(box, "ITA", "M'1", "1", Code, 42));
    }
}

} // namespace

std::vector<std::pair<QString, QString>> all()
{
    Texts texts = satellites();
    addWorkingTables(texts);
    addSaving(texts);
    const Texts reads = lookups();
    texts.insert(texts.end(), reads.begin(), reads.end());
    addHeader(texts);
    return texts;
}

} // namespace moduletexts
