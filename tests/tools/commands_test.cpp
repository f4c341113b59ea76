// The tools from the command line: options read and refused, exit codes and output; the
// menu's keys; and the tools on a database of ten thousand codes.

#include "tools_fixture.h"

#include "ado/connection.h"
#include "ado/recordset.h"
#include "app/app_options.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/dialogs.h"
#include "host/main_navigator.h"
#include "host/small_controls.h"
#include "support/test_database.h"
#include "support/user_driver.h"
#include "tools/consistency_dialog.h"
#include "tools/exchange_dialogs.h"
#include "tools/print_codes.h"
#include "tools/tools_commands.h"
#include "tools/tools_menu.h"
#include "tools/where_used.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QProcessEnvironment>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace toolstest {
namespace {

app::ParsedOptions parse(const QStringList &arguments)
{
    return app::parseOptions(QStringList{QStringLiteral("causali")} + arguments);
}

TEST(ToolOptions, WhereUsedPrintAndCodesAreReadAndChecked)
{
    const app::ParsedOptions whereUsed = parse(
        {QStringLiteral("--where-used"), QStringLiteral(" rip1")});
    ASSERT_TRUE(whereUsed.ok()) << whereUsed.error.toStdString();
    EXPECT_EQ(whereUsed.options.whereUsed, QStringLiteral("RIP1"));
    EXPECT_TRUE(whereUsed.options.batch());

    const app::ParsedOptions print = parse({QStringLiteral("--print"), QStringLiteral("x.pdf"),
                                            QStringLiteral("--codes"),
                                            QStringLiteral("cese, acqm,CESE")});
    ASSERT_TRUE(print.ok()) << print.error.toStdString();
    EXPECT_EQ(print.options.printFile, QStringLiteral("x.pdf"));
    EXPECT_EQ(print.options.codes, (QStringList{QStringLiteral("CESE"), QStringLiteral("ACQM")}));

    const struct
    {
        QStringList arguments;
        const char *error;
    } refused[] = {
        {{QStringLiteral("--where-used"), QStringLiteral("")}, "codice causale non valido"},
        {{QStringLiteral("--where-used"), QStringLiteral("ABCDE")}, "da 1 a 4 caratteri"},
        {{QStringLiteral("--codes"), QStringLiteral("CESE")},
         "--codes vale solo con --export o --print"},
        {{QStringLiteral("--print"), QStringLiteral("x.pdf"), QStringLiteral("--codes"),
          QStringLiteral("CESE,,ACQM")},
         "--codes: codice causale non valido"},
        {{QStringLiteral("--print"), QStringLiteral(" ")}, "--print vuole il nome"},
        {{QStringLiteral("--print"), QStringLiteral("x.pdf"), QStringLiteral("--where-used"),
          QStringLiteral("CESE")},
         "non si usano insieme"},
    };
    for (const auto &c : refused) {
        const app::ParsedOptions parsed = parse(c.arguments);
        EXPECT_TRUE(parsed.error.contains(QLatin1String(c.error)))
            << c.arguments.join(' ').toStdString() << ": " << parsed.error.toStdString();
    }

    // A tool run draws nothing and takes no picture, with or without a display.
    app::AppOptions options = print.options;
    app::resolveDisplay(options, QProcessEnvironment(), QStringLiteral("/tmp"));
    EXPECT_TRUE(options.screenshotFile.isEmpty());
    EXPECT_TRUE(options.offscreen);
    EXPECT_TRUE(options.unattended);
}

TEST(ToolCommands, ExitCodesAndWhatTheyWrite)
{
    testsupport::application(); // the PDF's fonts
    testsupport::TestDatabase database;
    QString output, errors;
    QTextStream out(&output), err(&errors);
    EXPECT_EQ(tools::runWhereUsed(database.connectionString(), QStringLiteral("RIFM"), out, err),
              0);
    EXPECT_TRUE(output.startsWith(QStringLiteral("Causale RIFM: 2 righe in 1 tabella")))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("ACQM")));

    EXPECT_EQ(tools::runWhereUsed(database.connectionString(), QStringLiteral("ZZZZ"), out, err),
              1);
    EXPECT_TRUE(errors.contains(QStringLiteral("la causale ZZZZ non esiste")));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("causali.pdf"));
    errors.clear();
    EXPECT_EQ(tools::runPrint(database.connectionString(), 1, QStringLiteral("ITA"), file,
                              {QStringLiteral("CESE"), QStringLiteral("ACQM")}, err),
              0);
    EXPECT_TRUE(errors.contains(QStringLiteral("2 causali stampate"))) << errors.toStdString();
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(tools::runPrint(database.connectionString(), 1, QStringLiteral("ITA"), file,
                              {QStringLiteral("NOPE")}, err),
              1);
    EXPECT_TRUE(errors.contains(QStringLiteral("La causale NOPE non esiste")));
    EXPECT_EQ(tools::runPrint(database.connectionString(), 1, QStringLiteral("ITA"),
                              dir.filePath(QStringLiteral("no/dir.pdf")), {}, err),
              1);
    EXPECT_TRUE(errors.contains(QStringLiteral("Impossibile scrivere il file")));
}

using MenuTest = ToolsTest;

TEST_F(MenuTest, EntriesHaveTheirOwnKeysBesideTheNavigators)
{
    tools::ToolsMenu *menu = tools::ToolsMenu::of(*window);
    ASSERT_NE(menu, nullptr);
    QStringList names;
    QList<QKeySequence> keys;
    for (QAction *action : menu->menu()->actions()) {
        if (action->isSeparator())
            continue;
        names << action->objectName();
        keys << action->shortcut();
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("Duplica"), QStringLiteral("Dove è usata"),
                                  QStringLiteral("Stampa"), QStringLiteral("Esporta causali"),
                                  QStringLiteral("Importa causali"),
                                  QStringLiteral("Controllo di coerenza")}));
    for (const QString &key : host::MainNavigator::keys())
        EXPECT_FALSE(keys.contains(navigator().action(key)->shortcut())) << key.toStdString();
    EXPECT_EQ(QSet<QKeySequence>(keys.begin(), keys.end()).size(), keys.size());

    // One line adds an entry, run by its key.
    int runs = 0;
    menu->addEntry(QStringLiteral("Prova"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K),
                   [&runs] { ++runs; });
    user->pressKeys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    EXPECT_EQ(runs, 1);
}

// The window on a database of ten thousand generated codes (one row in each list) beside the
// demo ones.
class TenThousandCodesTest : public ToolsTest
{
protected:
    void SetUp() override
    {
        database.generateReasonCodes(10000, 1);
        ToolsTest::SetUp();
    }
};

TEST_F(TenThousandCodesTest, EveryToolWorksOnTheLargeDatabase)
{
    ado::Connection &connection = *window->connection();
    const tools::PrintJob job = tools::readPrintJob(connection, 1, QStringLiteral("ITA"));
    ASSERT_EQ(job.codes.size(), 10021u);
    const tools::PrintedCode &first = job.codes.front(); // generated codes sort first
    int empty = 0;
    for (const tools::PrintLine &line : first.lines)
        empty += line.text == QLatin1String("nessuna riga") ? 1 : 0;
    EXPECT_EQ(empty, 0) << first.code.toStdString() << " has every list";

    showCode(first.code);
    user->pressKeys(tools::WhereUsedKeys);
    auto *where = window->findChild<QDialog *>(QStringLiteral("DoveUsata"));
    ASSERT_NE(where, nullptr);
    where->close();
    user->activate();

    dialogs->answerInput(QStringLiteral("ZZZ1"));
    user->pressKeys(tools::DuplicateKeys);
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Conferma")));
    EXPECT_EQ(storedData(QStringLiteral("ZZZ1")), storedData(first.code));
    EXPECT_EQ(tools::storedCodeCount(connection), 10022);

    // Too many codes for the preview: only the code shown is offered.
    dialogs->answerMessage(0, QStringLiteral("Le causali sono 10022"));
    user->pressKeys(tools::PrintKeys);
    auto *preview = window->findChild<QDialog *>(QStringLiteral("StampaCausali"));
    ASSERT_NE(preview, nullptr);
    preview->close();
}

// The consistency check from the menu: a double click on a finding shows its code on its tab,
// a code another program wrote since the window read its list included.
TEST_F(MenuTest, AFindingOpensItsCodeOnItsTab)
{
    showCode(QStringLiteral("ACQM"));
    // Another program copies ENER (whose default journal its company lacks) as ZENE.
    {
        ado::Connection other;
        other.Open(database.connectionString());
        for (const char *sql :
             {"INSERT INTO CI03_CAUSALI (CI03_CODCAUS, CI03_DESCR, CI03_INDTIPOCOSRIC,"
              " CI03_INDTIPOMOVDATI, CI03_INDPROPCOSTO, CI03_INDPROVCOSTO, CI03_INDSTAPER_CI04,"
              " CI03_MODELLO_CI04, CI03_CODCAUSCOLL, CI03_CAUSCOLLRIF_CI03, CI03_INDREGVALQTA,"
              " CI03_FLGNUMAUTOM, CI03_FLGRILPROG) SELECT 'ZENE', CI03_DESCR, CI03_INDTIPOCOSRIC,"
              " CI03_INDTIPOMOVDATI, CI03_INDPROPCOSTO, CI03_INDPROVCOSTO, CI03_INDSTAPER_CI04,"
              " CI03_MODELLO_CI04, CI03_CODCAUSCOLL, CI03_CAUSCOLLRIF_CI03, CI03_INDREGVALQTA,"
              " CI03_FLGNUMAUTOM, CI03_FLGRILPROG FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'ENER'",
              "INSERT INTO CI05_PROPSEZ (CI05_CAUSALE_CI03, CI05_DITTA_CG18, CI05_SEZIONALE_CG68)"
              " SELECT 'ZENE', CI05_DITTA_CG18, CI05_SEZIONALE_CG68 FROM CI05_PROPSEZ"
              " WHERE CI05_CAUSALE_CI03 = 'ENER'"})
            other.Execute(QString::fromLatin1(sql));
    }
    tools::ToolsMenu *menu = tools::ToolsMenu::of(*window);
    ASSERT_NE(menu, nullptr);
    user->pressKeys(QKeySequence(Qt::CTRL | Qt::Key_K));
    auto *dialog = window->findChild<causali::ConsistencyDialog *>();
    ASSERT_NE(dialog, nullptr);
    int row = -1;
    for (int i = 0; i < dialog->findings().size(); ++i) {
        const causali::consistency::Finding &f = dialog->findings()[i];
        if (f.code == QLatin1String("ZENE") && f.list == QLatin1String("CI05_PROPSEZ"))
            row = i;
    }
    ASSERT_GE(row, 0) << "the copied journal is found";
    emit dialog->table()->cellDoubleClicked(row, 0);
    EXPECT_EQ(header().TXT_CAUSALE->Text().toString(), QStringLiteral("ZENE"));
    EXPECT_EQ(currentTab(), int(causali::FRMCI_CAUSALI::TabJournals));
    dialog->close();
}

// Without the rights to create and replace codes, the import from the menu is refused before any
// file is asked for.
TEST_F(MenuTest, ImportIsRefusedWhereNothingMayBeWritten)
{
    showCode(QStringLiteral("ACQM"));
    entry->setCanUpdate(false);
    dialogs->answerMessage(host::vbOK, QStringLiteral("Sola lettura: l'importazione"));
    user->pressKeys(QKeySequence(Qt::CTRL | Qt::Key_I));
    EXPECT_EQ(window->findChild<causali::FileExchangeDialog *>(), nullptr);
}

} // namespace
} // namespace toolstest
