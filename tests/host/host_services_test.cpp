// Message dictionary, error manager, global services and cost-accounting utility.

#include "ado/connection.h"
#include "ado/error.h"
#include "host/clsci_causali.h"
#include "host/cost_utility.h"
#include "host/error_manager.h"
#include "host/host_global.h"
#include "host/message_dictionary.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <set>

namespace {

using testsupport::ScriptedDialogs;
using testsupport::ScriptedDialogsGuard;

TEST(MessageDictionaryTest, GivesATextForEveryNumberTheModuleShows)
{
    host::MessageDictionary dictionary;
    const long numbers[] = {30179, 69054, 45614, 43671, 21782, 1456, 1261, 1333};
    std::set<QString> distinct;
    for (long number : numbers) {
        EXPECT_TRUE(dictionary.contains(number)) << number;
        const QString text = dictionary.GetText(number);
        EXPECT_FALSE(text.contains(QString::number(number))) << text.toStdString();
        distinct.insert(text);
    }
    EXPECT_EQ(distinct.size(), std::size(numbers));

    QStringList types;
    for (long number : host::msg::AccountTypeTexts)
        types << dictionary.GetText(number);
    EXPECT_EQ(types, (QStringList{"Conti collegamento", "Conti transitori", "Conti di competenza",
                                  "Centri di costo", "Lavori in corso / progetti", "Magazzino",
                                  "Margini lordi", "Margini netti", "Risultati", "Altri tipi"}));
    // An unknown number is named in the text given for it.
    EXPECT_FALSE(dictionary.contains(99999));
    EXPECT_TRUE(dictionary.GetText(99999).contains(QStringLiteral("99999")));
}

TEST(MessageDictionaryTest, ShowMessageGoesThroughTheDialogService)
{
    testsupport::application();
    ScriptedDialogsGuard dialogs;
    host::MessageDictionary dictionary;
    dictionary.setApplicationTitle(QStringLiteral("Gestionale"));
    dialogs->answerMessage(host::vbOK);
    EXPECT_EQ(dictionary.ShowMessage(21782, host::vbExclamation, QStringLiteral("Causali")),
              host::vbOK);
    dialogs->answerMessage(host::vbNo);
    EXPECT_EQ(dictionary.ShowMessage(1261, host::vbYesNo), host::vbNo);
    const auto &shown = dialogs->shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, dictionary.GetText(21782));
    EXPECT_EQ(shown[0].title, QStringLiteral("Causali"));
    EXPECT_EQ(shown[0].style, host::vbExclamation);
    EXPECT_EQ(shown[1].title, QStringLiteral("Gestionale")); // empty title: the application's
}

TEST(ScriptedDialogsTest, FailsTheTestOnADialogNobodyExpected)
{
    testsupport::application();
    ScriptedDialogsGuard dialogs;
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = host::DialogService::instance().message(
                                QStringLiteral("Salvare?"), host::vbYesNoCancel, {}),
                            "Salvare?");
    EXPECT_EQ(answer, host::vbCancel);
    EXPECT_NONFATAL_FAILURE(answer = host::DialogService::instance().errorDialog(
                                {}, 13, QStringLiteral("Tipo non corrispondente"), {}, 2),
                            "Tipo non corrispondente");
    EXPECT_EQ(answer, host::vbAbort);
    // An answer of the wrong kind is not taken.
    dialogs->answerLookup(QStringLiteral("CESE"));
    EXPECT_NONFATAL_FAILURE(host::DialogService::instance().message(QStringLiteral("x"), 0, {}),
                            "Expected a lookup");
    EXPECT_EQ(dialogs->pendingAnswers(), 1);
    EXPECT_NONFATAL_FAILURE(dialogs->verifyAllAnswersUsed(), "was not used");
}

TEST(ErrorManagerTest, ReportsTheErrorAndMapsTheAnswer)
{
    testsupport::application();
    ScriptedDialogsGuard dialogs;
    host::ErrorManager manager;
    ado::RuntimeError error(3021, QStringLiteral("Nessun record corrente"),
                            QStringLiteral("ConfigurazioneGriglie:\r\nado.Recordset"));
    manager.setError(error);
    manager.error()->setSource(QStringLiteral("\r\n") + manager.error()->source());
    manager.setProviderErrors({{3021, QStringLiteral("vincolo violato"), {}, {}, 19}});

    dialogs->answerError(host::vbRetry);
    EXPECT_EQ(manager.ReportError(QStringLiteral("Contabilità analitica"),
                                  QStringLiteral("Causali"), QStringLiteral("Form_Activate"), 4370,
                                  false),
              host::vbRetry);
    const auto shown = dialogs->shownOf(ScriptedDialogs::Kind::Error);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].number, 3021);
    EXPECT_EQ(shown[0].style, 4370);
    EXPECT_EQ(shown[0].title, QStringLiteral("Contabilità analitica - Causali"));
    EXPECT_EQ(shown[0].source,
              QStringLiteral("Form_Activate\r\nConfigurazioneGriglie:\r\nado.Recordset"));
    EXPECT_TRUE(shown[0].text.startsWith(QStringLiteral("Nessun record corrente")));
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("vincolo violato")));

    dialogs->answerError(host::vbIgnore);
    EXPECT_EQ(manager.ReportError({}, {}, QStringLiteral("X"), 4370, false), host::vbIgnore);
    dialogs->answerError(host::vbCancel); // not an abort/retry/ignore answer: abort
    EXPECT_EQ(manager.ReportError({}, {}, QStringLiteral("X"), 4370, false), host::vbAbort);

    dialogs->answerMessage(host::vbYes, QStringLiteral("Continuare?"));
    EXPECT_EQ(manager.messageBox(QStringLiteral("Continuare?"), host::vbYesNo,
                                 QStringLiteral("Attenzione"), true, false),
              host::vbYes);
}

TEST(HostGlobalTest, ReportProcedureErrorShowsTheErrorBeingHandled)
{
    testsupport::application();
    ScriptedDialogsGuard dialogs;
    host::HostGlobal global;
    dialogs->answerError(host::vbIgnore, QStringLiteral("Overflow"));
    int answer = 0;
    try {
        ado::raise(6, QStringLiteral("Overflow"), QStringLiteral("CInt"));
    } catch (const ado::RuntimeError &) {
        answer = global.ReportProcedureError(QStringLiteral("GetLastProgressivoPerCausale"));
    }
    EXPECT_EQ(answer, host::vbIgnore);
    const auto shown = dialogs->shownOf(ScriptedDialogs::Kind::Error);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].number, 6);
    EXPECT_EQ(shown[0].source, QStringLiteral("GetLastProgressivoPerCausale:\r\nCInt"));
}

TEST(HostGlobalTest, ReadsTheCurrentCompanyAndItsSettings)
{
    testsupport::TestDatabase database;
    host::HostGlobal global;
    global.setConnectionString(database.connectionString());
    EXPECT_EQ(global.companyRecord(), nullptr);
    EXPECT_EQ(global.companySetting(QStringLiteral("FLGCONIND")), QString());

    global.selectCompany(testsupport::demo::CompanyWithoutExpenseChart);
    ASSERT_NE(global.companyRecord(), nullptr);
    EXPECT_EQ(global.companyCode(), testsupport::demo::CompanyWithoutExpenseChart);
    EXPECT_EQ(global.companySetting(QStringLiteral("FLGCONIND")), QStringLiteral("1"));
    EXPECT_EQ(global.companySetting(QStringLiteral("PDCCONIND")),
              QString::number(testsupport::demo::ChartOfAccounts));
    EXPECT_EQ(global.companySetting(QStringLiteral("PDCVDS")), QStringLiteral("-1"));
    EXPECT_EQ(global.companySetting(QStringLiteral("RAGSOANAG")),
              QStringLiteral("Tessitura Val Seriana S.r.l."));
    EXPECT_THROW(global.companySetting(QStringLiteral("NONESISTE")), ado::RuntimeError);

    global.selectCompany(testsupport::demo::CompanyWithoutCostAccounting);
    EXPECT_EQ(global.companySetting(QStringLiteral("FLGCONIND")), QStringLiteral("0"));
    EXPECT_EQ(global.companySetting(QStringLiteral("PDCCONIND")), QString());

    // An unknown company is refused and the current one stays.
    EXPECT_THROW(global.selectCompany(77), ado::RuntimeError);
    EXPECT_EQ(global.companyCode(), testsupport::demo::CompanyWithoutCostAccounting);
}

TEST(HostGlobalTest, ReleasingTheCurrentModuleClearsIt)
{
    host::HostGlobal global;
    host::CLSCI_CAUSALI entry;
    host::Cinterface *module = &entry;
    global.setCurrentModule(module);
    global.ReleaseModule(nullptr);
    EXPECT_EQ(global.CurrentModule(), module);
    global.ReleaseModule(module);
    EXPECT_EQ(global.CurrentModule(), nullptr);
}

TEST(CostUtilityTest, ReadsTheChartsOfACompany)
{
    testsupport::TestDatabase database;
    ado::Connection connection;
    connection.Open(database.connectionString());
    host::CostUtility utility;
    EXPECT_THROW(utility.costChart(1), ado::RuntimeError); // no connection yet
    utility.Initialize();
    utility.setConnection(&connection);
    EXPECT_EQ(utility.costChart(1).toInt(), testsupport::demo::ChartOfAccounts);
    EXPECT_EQ(utility.expenseItemChart(1).toString(),
              QString::number(testsupport::demo::ExpenseItemChart));
    EXPECT_EQ(utility.expenseItemChart(testsupport::demo::CompanyWithoutExpenseChart).toString(),
              QStringLiteral("-1"));
    EXPECT_FALSE(utility.costChart(testsupport::demo::CompanyWithoutCostAccounting).isValid());
    EXPECT_FALSE(utility.costChart(77).isValid());
    utility.Terminate();
    EXPECT_EQ(utility.connection(), nullptr);
}

TEST(CostUtilityTest, ShowsNumberedMessagesByKind)
{
    testsupport::application();
    ScriptedDialogsGuard dialogs;
    host::CostUtility utility;
    utility.setApplicationTitle(QStringLiteral("Contabilità analitica"));
    host::MessageDictionary dictionary;
    dialogs->answerMessage(host::vbOK);
    dialogs->answerMessage(host::vbYes);
    EXPECT_EQ(utility.ShowNumberedMessage(3, 30179, {}), host::vbOK);
    EXPECT_EQ(utility.ShowNumberedMessage(2, 45614, QStringLiteral("Riga 3")), host::vbYes);
    const auto &shown = dialogs->shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, dictionary.GetText(30179));
    EXPECT_EQ(shown[0].style, host::vbOKOnly | host::vbExclamation);
    EXPECT_EQ(shown[0].title, QStringLiteral("Contabilità analitica"));
    EXPECT_EQ(shown[1].text, dictionary.GetText(45614) + QStringLiteral("\nRiga 3"));
    EXPECT_EQ(shown[1].style, host::vbYesNo | host::vbQuestion);
    EXPECT_THROW(utility.ShowNumberedMessage(9, 30179, {}), ado::RuntimeError);
    EXPECT_EQ(utility.journalKey(QStringLiteral("ve  "), {}), QStringLiteral("VE"));
}

} // namespace
