// Where a code is used, on the demo database: counts and first rows of every place, and the
// dialog the window opens for the code shown.

#include "tools_fixture.h"

#include "ado/connection.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/dialogs.h"
#include "host/small_controls.h"
#include "tools/tools_menu.h"
#include "tools/where_used.h"
#include "tools/where_used_dialog.h"

#include <QLabel>
#include <QTreeWidget>

namespace toolstest {
namespace {

using WhereUsedTest = ToolsTest;

const tools::UsagePlace *place(const tools::WhereUsed &usage, const QString &table,
                               const QString &column)
{
    for (const tools::UsagePlace &p : usage.places) {
        if (p.table == table && p.column == column)
            return &p;
    }
    ADD_FAILURE() << "no place " << table.toStdString() << "." << column.toStdString();
    return nullptr;
}

TEST_F(WhereUsedTest, CountsAndFirstRowsOfEveryPlaceThatNamesTheCode)
{
    ado::Connection &connection = *window->connection();

    // Stock documents, straight and through a company document.
    const tools::WhereUsed acqm = tools::findWhereUsed(connection, QStringLiteral("acqm "));
    EXPECT_TRUE(acqm.stored);
    EXPECT_EQ(acqm.code, QStringLiteral("ACQM"));
    EXPECT_EQ(acqm.total(), 2);
    const auto *documents = place(acqm, QStringLiteral("MG36_DOCUMENTI"),
                                  QStringLiteral("MG36_CAUSALEKOVA_CI03"));
    ASSERT_TRUE(documents);
    EXPECT_EQ(documents->count, 1);
    ASSERT_EQ(documents->firstRows.size(), 1u);
    EXPECT_EQ(documents->firstRows[0].value(documents->columns.indexOf("MG36_CODDOC")),
              QStringLiteral("DDTFOR"));

    // Two reason codes name RIFM as reference-linked code.
    const tools::WhereUsed rifm = tools::findWhereUsed(connection, QStringLiteral("RIFM"));
    const auto *referencing = place(rifm, QStringLiteral("CI03_CAUSALI"),
                                    QStringLiteral("CI03_CAUSCOLLRIF_CI03"));
    ASSERT_TRUE(referencing);
    EXPECT_EQ(referencing->count, 2);
    QStringList codes;
    for (const QStringList &row : referencing->firstRows)
        codes << row.value(referencing->columns.indexOf("CI03_CODCAUS"));
    codes.sort();
    EXPECT_EQ(codes, (QStringList{QStringLiteral("ACQM"), QStringLiteral("MOD1")}));

    // RIP1: a cost reallocation and the linked code of GIRO.
    const tools::WhereUsed rip1 = tools::findWhereUsed(connection, QStringLiteral("RIP1"));
    EXPECT_EQ(
        place(rip1, QStringLiteral("CI50_ANAGRIB"), QStringLiteral("CI50_CAUSALE_CI03"))->count, 1);
    EXPECT_EQ(
        place(rip1, QStringLiteral("CI03_CAUSALI"), QStringLiteral("CI03_CODCAUSCOLL"))->count, 1);
    EXPECT_EQ(rip1.total(), 2);

    // Only the first rows are read, every row is counted.
    for (int i = 0; i < 7; ++i)
        rows(QStringLiteral("INSERT INTO PD08_MACCHINA VALUES ('M%1', 'Macchina', 'STRA')").arg(i));
    const tools::WhereUsed stra = tools::findWhereUsed(connection, QStringLiteral("STRA"), 3);
    const auto *machines = place(stra, QStringLiteral("PD08_MACCHINA"),
                                 QStringLiteral("PD08_CODCAUS_CI03"));
    EXPECT_EQ(machines->count, 8);
    EXPECT_EQ(machines->firstRows.size(), 3u);
    EXPECT_TRUE(tools::whereUsedText(stra).contains(QStringLiteral("... e altre 5 righe")));

    // Every place the usage checks read is looked at, also for a code used nowhere.
    const tools::WhereUsed unknown = tools::findWhereUsed(connection, QStringLiteral("ZZZZ"));
    EXPECT_FALSE(unknown.stored);
    EXPECT_EQ(unknown.total(), 0);
    EXPECT_EQ(unknown.places.size(), 15u);
}

TEST_F(WhereUsedTest, DialogListsThePlacesOfTheCodeShown)
{
    showCode(QStringLiteral("MOD1"));
    user->pressKeys(tools::WhereUsedKeys);
    auto *dialog = window->findChild<tools::WhereUsedDialog *>();
    ASSERT_NE(dialog, nullptr) << "the dialog did not open";
    EXPECT_TRUE(dialog->windowTitle().contains(QStringLiteral("MOD1")));
    EXPECT_TRUE(dialog->summary()->text().contains(QStringLiteral("2 righe in 1 tabella")));
    const QList<QTreeWidgetItem *> employees = dialog->places()->findItems(
        QStringLiteral("Produzione: Dipendenti"), Qt::MatchExactly);
    ASSERT_EQ(employees.size(), 1);
    EXPECT_EQ(employees[0]->text(1), QStringLiteral("2"));
    EXPECT_EQ(employees[0]->childCount(), 3); // the columns, then the two rows
    EXPECT_TRUE(employees[0]->child(1)->text(0).contains(QStringLiteral("Rossi Mario")));
    dialog->close();

    dialogs->answerMessage(host::vbOK, QStringLiteral("Nessuna causale da cercare"));
    ASSERT_TRUE(user->press(&navigator(), QStringLiteral("Nuovo")));
    user->pressKeys(tools::WhereUsedKeys);
}

} // namespace
} // namespace toolstest
