// The grid over a row set, and a form with every control rendered offscreen.

#include "controls_fixture.h"

#include "ado/recordset.h"
#include "host/account_box.h"
#include "host/check_box.h"
#include "host/check_list.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/main_navigator.h"
#include "host/number_box.h"
#include "host/small_controls.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QSet>

using controlstest::Form;
using controlstest::ScratchDb;

namespace {

const char *const RowsSchema =
    "CREATE TABLE RIGHE (ID INTEGER PRIMARY KEY, TIPO INTEGER, PROVIDER INTEGER, PERC REAL);"
    "INSERT INTO RIGHE VALUES (1, 1, 10, 12.5);"
    "INSERT INTO RIGHE VALUES (2, 1, 20, 50);"
    "INSERT INTO RIGHE VALUES (3, 2, 30, 0);"
    "INSERT INTO RIGHE VALUES (4, 1, 40, -1);";

// Collects the model tester's complaints so that a test can assert there were none.
QStringList modelTestFailures;

void collectModelTest(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && context.category
        && QByteArray(context.category) == QByteArrayLiteral("qt.modeltest"))
        modelTestFailures << text;
}

QString cell(host::Grid *grid, int row, int column)
{
    return grid->model()->index(row, column).data().toString();
}

int selectedRow(host::Grid *grid)
{
    return grid->currentIndex().isValid() ? grid->currentIndex().row() : -1;
}

void clickRow(host::Grid *grid, int row)
{
    const QRect rect = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

TEST(Grid, ShowsTheFilteredRowsWithComputedTextsAndFollowsTheRowSet)
{
    ScratchDb db(RowsSchema);
    Form form;
    auto *grid = form.add<host::Grid>(QStringLiteral("GRD_RICDEST"));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT ID, TIPO, PROVIDER, PERC, '' AS DESCR FROM RIGHE ORDER BY ID"),
            &db.connection);
    rs.setFilter(QStringLiteral("TIPO = 1"));

    modelTestFailures.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectModelTest);
    QAbstractItemModelTester tester(grid->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    grid->AddColumn(QStringLiteral("PROVIDER"), QStringLiteral("Prov."), 1, 495, true);
    grid->AddColumn(QStringLiteral("DESCR"), QStringLiteral("Descrizione"), 1, 3105, true);
    grid->AddColumn(QStringLiteral("PERC"), QStringLiteral("Percentuale"), 1, 150, true, 0,
                    QStringLiteral("##0.00"));
    grid->AddColumn(QStringLiteral("ID"), QStringLiteral("Nr"), 1, 500, false);
    host::connectHandler(
        grid, &host::Grid::CellText,
        [grid](QString &text, const QString &column, const QVariant &row) {
            if (column == QLatin1String("DESCR"))
                text = QStringLiteral("Provider ")
                       + grid->cellValue(row, QStringLiteral("PROVIDER")).toString();
        });
    grid->ApplyLayout();
    grid->setDataSource(&rs);
    ASSERT_TRUE(form.activate());

    ASSERT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Prov."));
    EXPECT_EQ(grid->columnWidth(1), 207); // 3105 twips
    // 150 twips would cut the caption: the column is as wide as its caption needs.
    EXPECT_GT(grid->columnWidth(2), 10);
    EXPECT_GE(grid->columnWidth(2), grid->horizontalHeader()->sectionSizeHint(2));
    EXPECT_TRUE(grid->isColumnHidden(3));
    EXPECT_EQ(cell(grid, 1, 1), QStringLiteral("Provider 20"));
    EXPECT_EQ(cell(grid, 0, 2), QStringLiteral("12,50"));
    EXPECT_EQ(cell(grid, 2, 2), QStringLiteral("-1,00"));

    // The selection follows the row set's moves.
    EXPECT_EQ(selectedRow(grid), 0);
    rs.MoveNext();
    EXPECT_EQ(selectedRow(grid), 1);
    rs.MoveLast();
    EXPECT_EQ(selectedRow(grid), 2);

    // Edits of the row set show at once.
    rs.Fields(QStringLiteral("PROVIDER")).setValue(99);
    rs.Update();
    EXPECT_EQ(cell(grid, 2, 0), QStringLiteral("99"));
    EXPECT_EQ(cell(grid, 2, 1), QStringLiteral("Provider 99"));
    rs.MoveFirst();
    rs.Delete();
    rs.MoveNext();
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(cell(grid, selectedRow(grid), 0), QStringLiteral("20"));
    rs.setFilter(QString());
    EXPECT_EQ(grid->model()->rowCount(), 3);

    grid->setDataSource(nullptr);
    EXPECT_EQ(grid->model()->rowCount(), 0);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(modelTestFailures.isEmpty())
        << modelTestFailures.join(QLatin1Char('\n')).toStdString();
}

TEST(Grid, ClicksMoveTheRowSetOrAskTheDataFrame)
{
    ScratchDb db(RowsSchema);
    Form form;
    auto *grid = form.add<host::Grid>(QStringLiteral("GRD_SVILUPPO"));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT ID, PROVIDER FROM RIGHE ORDER BY ID"), &db.connection);
    grid->setDataSource(&rs); // no layout: every field
    ASSERT_TRUE(form.activate());
    EXPECT_EQ(grid->model()->columnCount(), 2);

    clickRow(grid, 2);
    EXPECT_EQ(rs.Fields(QStringLiteral("ID")).Value().toInt(), 3);
    EXPECT_EQ(selectedRow(grid), 2);

    // With a data frame listening the grid only asks; a refusal puts the selection back.
    QList<QVariant> asked;
    bool allow = false;
    QObject::connect(grid, &host::Grid::rowActivated, [&](const QVariant &bookmark) {
        asked << bookmark;
        if (allow)
            rs.setBookmark(bookmark);
    });
    clickRow(grid, 0);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("ID")).Value().toInt(), 3);
    EXPECT_EQ(selectedRow(grid), 2);
    allow = true;
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(rs.Fields(QStringLiteral("ID")).Value().toInt(), 4);
    EXPECT_EQ(selectedRow(grid), 3);

    int enters = 0;
    host::connectHandler(grid, &host::Grid::KeyDown, [&enters](int &keyCode, int) {
        if (keyCode == host::vbKeyReturn) {
            ++enters;
            keyCode = 0;
        }
    });
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(enters, 1);
    // A swallowed arrow key moves nothing.
    host::connectHandler(grid, &host::Grid::KeyDown, [](int &keyCode, int) {
        if (keyCode == host::vbKeyUp)
            keyCode = 0;
    });
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(rs.Fields(QStringLiteral("ID")).Value().toInt(), 4);
    EXPECT_EQ(selectedRow(grid), 3);
    grid->setDataSource(nullptr);
}

TEST(ControlSet, RendersEveryControlOnAForm)
{
    ScratchDb db(RowsSchema);
    Form form;
    form.window->resize(760, 620);
    form.add<host::MainNavigator>(QStringLiteral("INV_MAIN"))->setCalledProgram(true);
    auto *code = form.add<host::CodeBox>(QStringLiteral("TXT_CAUSALE"));
    code->setLookupEnabled(true);
    code->setMultiLanguage(true);
    code->setManagementKey(true);
    code->setText(QStringLiteral("ACQM"));
    auto *movement = form.add<host::ComboBox>(QStringLiteral("CBO_MOVDATI"));
    movement->addCodeItem(QStringLiteral("Magazzino"), 1);
    auto *percent = form.add<host::NumberBox>(QStringLiteral("TXT_PERC"));
    percent->setDisplayFormat(QStringLiteral("##0.00;-##0.00;;"));
    percent->setText(33.3);
    form.add<host::AccountBox>(QStringLiteral("TXT_CONTO"))->setText(QStringLiteral("601001"));
    form.add<host::CheckBox>(QStringLiteral("CHK_NUMAUTOM"))
        ->setLabel(QStringLiteral("Numerazione"));
    auto *tabs = form.add<host::TabStrip>(QStringLiteral("TAB_CAUSALI"));
    auto *page = new QWidget;
    auto *pageLayout = new QHBoxLayout(page);
    auto *list = new host::CheckList;
    list->addCheckItem(QStringLiteral("Collegamento"));
    auto *grid = new host::Grid;
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT ID, PROVIDER, PERC FROM RIGHE ORDER BY ID"), &db.connection);
    grid->setDataSource(&rs);
    pageLayout->addWidget(list);
    pageLayout->addWidget(grid);
    pageLayout->addWidget(new host::GridNavigator);
    pageLayout->addWidget(new host::ToolButton);
    tabs->addTab(page, QStringLiteral("&Controllo conti"));
    ASSERT_TRUE(form.activate());

    // Something is drawn: many colours, and the grid's rows are there.
    const QPixmap shot = form.window->grab();
    shot.save(QDir::temp().filePath(QStringLiteral("controls_form.png")));
    const QImage image = shot.toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 20);
    EXPECT_EQ(grid->model()->rowCount(), 4);
    grid->setDataSource(nullptr);
}
