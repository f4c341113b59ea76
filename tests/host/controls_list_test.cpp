// Combo and check boxes, check lists, navigators, tabs and the window-placement controls.

#include "controls_fixture.h"

#include "ado/error.h"
#include "host/check_box.h"
#include "host/check_list.h"
#include "host/combo_box.h"
#include "host/control_types.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/main_navigator.h"
#include "host/small_controls.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

using controlstest::Form;

TEST(ComboBox, TextIsTheCodeOfTheSelectedItem)
{
    Form form;
    auto *combo = form.add<host::ComboBox>(QStringLiteral("CBO_PROVCOSTO"));
    combo->setAutoSelectFirst(false);
    combo->addCodeItem(QStringLiteral("Nessuna"), 2);
    combo->addCodeItem(QStringLiteral("Da conto"), 0);
    combo->addCodeItem(QStringLiteral("Da voce di spesa o di ricavo"), 1);
    EXPECT_EQ(combo->currentIndex(), -1); // no selection until one is made
    EXPECT_TRUE(combo->Text().isNull());
    EXPECT_FALSE(combo->hasValue());

    combo->setText(QStringLiteral("0"));
    EXPECT_EQ(combo->currentIndex(), 1);
    combo->setText(1.0);
    EXPECT_EQ(combo->Text().toString(), QStringLiteral("1"));
    combo->selectItem(0);
    EXPECT_EQ(combo->Text().toString(), QStringLiteral("2"));
    EXPECT_EQ(combo->boundValue(), QVariant(2));

    try {
        combo->setText(QStringLiteral("7"));
        ADD_FAILURE() << "an unknown code must raise";
    } catch (const ado::RuntimeError &e) {
        EXPECT_EQ(e.number(), 380);
        EXPECT_TRUE(e.description().contains(QStringLiteral("\"7\"")));
    }
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_THROW(combo->setListIndex(3), ado::RuntimeError);
    combo->setBoundValue(QVariant(99)); // a row value outside the list shows no item
    EXPECT_EQ(combo->currentIndex(), -1);

    auto *automatic = form.add<host::ComboBox>(QStringLiteral("CBO_SEGNO"));
    automatic->addCodeItem(QStringLiteral("Avere"), 2);
    EXPECT_EQ(automatic->Text().toString(), QStringLiteral("2"));
    automatic->clearItems();
    EXPECT_EQ(automatic->count(), 0);
    EXPECT_TRUE(automatic->Text().isNull());
}

TEST(ComboBox, UserChoiceRaisesBeforeChangeRowAfterAndValidate)
{
    Form form;
    auto *first = form.add<host::ComboBox>(QStringLiteral("CBO_FIRST"));
    auto *combo = form.add<host::ComboBox>(QStringLiteral("CBO_MOVDATI"));
    auto *next = form.add<host::ComboBox>(QStringLiteral("CBO_NEXT"));
    first->addCodeItem(QStringLiteral("x"), 0);
    next->addCodeItem(QStringLiteral("y"), 0);
    for (int i = 0; i < 4; ++i)
        combo->addCodeItem(QStringLiteral("Voce %1").arg(i), i);
    QStringList log;
    QStringList seenBefore;
    QObject::connect(combo, &host::ComboBox::BeforeItem, [&] {
        seenBefore << combo->Text().toString();
        log << QStringLiteral("BeforeItem");
    });
    QObject::connect(combo, &host::ComboBox::ChangeRow,
                     [&] { log << QStringLiteral("ChangeRow"); });
    QObject::connect(combo, &host::ComboBox::AfterItem,
                     [&] { log << QStringLiteral("AfterItem ") + combo->Text().toString(); });
    bool refuse = true;
    host::connectHandler(combo, &host::ComboBox::Validate, [&](bool &cancel) {
        log << QStringLiteral("Validate");
        cancel = refuse;
    });
    int edits = 0;
    combo->setEditedCallback([&edits] { ++edits; });
    ASSERT_TRUE(form.activate());

    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(seenBefore, (QStringList{"0", "1"})); // the code before each choice
    EXPECT_EQ(edits, 2);
    EXPECT_EQ(log, (QStringList{"BeforeItem", "ChangeRow", "AfterItem 1", "BeforeItem", "ChangeRow",
                                "AfterItem 2"}));

    log.clear();
    QTest::keyClick(combo, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), combo);
    refuse = false;
    QTest::keyClick(combo, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
    EXPECT_EQ(log, (QStringList{"Validate", "Validate"}));

    // Values set from code raise ChangeRow only.
    log.clear();
    combo->setText(3);
    EXPECT_EQ(log, (QStringList{"ChangeRow"}));
    EXPECT_EQ(edits, 2);
}

TEST(CheckBoxAndCheckList, UserTicksRaiseTheirEventsAndCodeIsRecognisable)
{
    Form form;
    auto *check = form.add<host::CheckBox>(QStringLiteral("CHK_ORIGINE"));
    check->setLabel(QStringLiteral("Seleziona tutto"));
    auto *list = form.add<host::CheckList>(QStringLiteral("LIST_TIPIAVERE"));
    for (int i = 0; i < 3; ++i)
        list->addCheckItem(QStringLiteral("Tipo %1").arg(i));
    QStringList log;
    QObject::connect(check, &host::CheckBox::Click,
                     [&] { log << QStringLiteral("Click ") + check->Text(); });
    QObject::connect(list, &host::CheckList::ItemCheck, [&](int item) {
        log << QStringLiteral("ItemCheck %1 %2 %3")
                   .arg(item)
                   .arg(list->isTicked(item))
                   .arg(list->settingFromCode() ? QStringLiteral("code") : QStringLiteral("user"));
    });
    ASSERT_TRUE(form.activate());

    check->setText(QStringLiteral("1")); // from code: no Click
    EXPECT_EQ(check->Text(), QStringLiteral("1"));
    QTest::mouseClick(check->checkBox(), Qt::LeftButton);
    EXPECT_EQ(check->Text(), QStringLiteral("0"));
    EXPECT_EQ(check->boundValue(), QVariant(0));
    check->setBoundValue(-1); // any non-zero number ticks
    EXPECT_EQ(check->Text(), QStringLiteral("1"));
    EXPECT_THROW(check->setText(QStringLiteral("forse")), ado::RuntimeError);

    const QRect second = list->visualItemRect(list->item(1));
    list->setFocus();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_TRUE(list->isTicked(1));
    list->setTicked(2, true);
    list->setTicked(2, true); // no change, no event
    EXPECT_EQ(list->tickedCount(), 2);
    EXPECT_THROW(list->isTicked(3), ado::RuntimeError);
    EXPECT_EQ(log, (QStringList{"Click 0", "ItemCheck 1 1 user", "ItemCheck 2 1 code"}));
}

TEST(Navigators, ButtonsRaiseBeforeActionAfterAndShortcutsPressThem)
{
    Form form;
    auto *main = form.add<host::MainNavigator>(QStringLiteral("INV_MAIN"));
    auto *grid = form.add<host::GridNavigator>(QStringLiteral("GNV_SEZIONALI"));
    QStringList log;
    bool refuse = false;
    host::connectHandler(main, &host::MainNavigator::ButtonClick,
                         [&](bool &cancel, const QString &key) {
                             log << QStringLiteral("Button ") + key;
                             cancel = refuse;
                         });
    host::connectHandler(main, &host::MainNavigator::actionRequested,
                         [&](const QString &key, long &result) {
                             log << QStringLiteral("Action ") + key;
                             result = key == QLatin1String("Conferma") ? 0 : -1;
                         });
    QObject::connect(main, &host::MainNavigator::AfterButtonClick,
                     [&](long result, const QString &key) {
                         log << QStringLiteral("After %1 %2").arg(result).arg(key);
                     });
    ASSERT_TRUE(form.activate());

    QTest::keyClick(form.window.get(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(form.window.get(), Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(form.window.get(), Qt::Key_PageDown, Qt::ControlModifier);
    refuse = true;
    QTest::keyClick(form.window.get(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(log, (QStringList{"Button Nuovo", "Action Nuovo", "After -1 Nuovo", "Button Conferma",
                                "Action Conferma", "After 0 Conferma", "Button Successivo",
                                "Action Successivo", "After -1 Successivo", "Button Elimina"}));
    EXPECT_TRUE(
        main->action(QStringLiteral("Conferma"))->toolTip().contains(QStringLiteral("Ctrl+S")));

    // "Esporta" only for a called program; a disabled key does nothing.
    log.clear();
    refuse = false;
    EXPECT_FALSE(main->IsButtonEnabled(QStringLiteral("Esporta")));
    QTest::keyClick(form.window.get(), Qt::Key_E, Qt::ControlModifier);
    main->setCalledProgram(true);
    EXPECT_TRUE(main->IsButtonEnabled(QStringLiteral("Esporta")));
    main->setButtonEnabled(QStringLiteral("Primo"), false);
    QTest::keyClick(form.window.get(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(form.window.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(log, (QStringList{"Button Esporta", "Action Esporta", "After -1 Esporta"}));
    EXPECT_THROW(main->IsButtonEnabled(QStringLiteral("Stampa")), ado::RuntimeError);

    log.clear();
    host::connectHandler(grid, &host::GridNavigator::BeforeButtonClick,
                         [&](bool &cancel, const QString &name) {
                             log << QStringLiteral("Before ") + name;
                             cancel = name == QLatin1String("Elimina");
                         });
    QObject::connect(grid, &host::GridNavigator::actionRequested,
                     [&](const QString &name) { log << QStringLiteral("Action ") + name; });
    QObject::connect(grid, &host::GridNavigator::AfterButtonClick,
                     [&](const QString &name) { log << QStringLiteral("After ") + name; });
    QTest::mouseClick(grid->button(QStringLiteral("Nuovo")), Qt::LeftButton);
    QTest::mouseClick(grid->button(QStringLiteral("Elimina")), Qt::LeftButton);
    grid->setButtonEnabled(QStringLiteral("Conferma"), false);
    EXPECT_FALSE(grid->IsButtonEnabled(QStringLiteral("Conferma")));
    QTest::mouseClick(grid->button(QStringLiteral("Conferma")), Qt::LeftButton);
    EXPECT_EQ(log, (QStringList{"Before Nuovo", "Action Nuovo", "After Nuovo", "Before Elimina"}));
    grid->FocusButton(QStringLiteral("Elimina"));
    EXPECT_EQ(QApplication::focusWidget(), grid->button(QStringLiteral("Elimina")));
}

TEST(TabStripAndWindowControls, TabsPlacementAndResizing)
{
    Form form;
    auto *tabs = form.add<host::TabStrip>(QStringLiteral("TAB_CAUSALI"));
    tabs->addTab(new QWidget, QStringLiteral("Dati ana&grafici"));
    tabs->addTab(new QWidget, QStringLiteral("Se&zionali di default"));
    tabs->addTab(new QWidget, QStringLiteral("&Controllo conti"));
    QList<int> clicks;
    QObject::connect(tabs, &host::TabStrip::Click,
                     [&](int previous) { clicks << previous << tabs->Tab(); });
    auto *mdi = new host::MdiHost(form.window.get());
    int placements = 0;
    QObject::connect(mdi, &host::MdiHost::PlacementRequest, [&] {
        ++placements;
        mdi->place(1500, 750, 10980, 7380);
    });
    ASSERT_TRUE(form.activate());
    EXPECT_EQ(placements, 1);
    EXPECT_EQ(form.window->size(), QSize(732, 492));
    EXPECT_EQ(mdi->windowArea(), form.window.get());

    tabs->setTab(2);
    QTest::keyClick(form.window.get(), Qt::Key_Z, Qt::AltModifier); // the accelerator
    EXPECT_EQ(tabs->Tab(), 1);
    EXPECT_EQ(clicks, (QList<int>{0, 2, 2, 1}));
    tabs->setTabEnabled(2, false);
    EXPECT_FALSE(tabs->TabEnabled(2));
    EXPECT_THROW(tabs->setTab(5), ado::RuntimeError);
    EXPECT_THROW(tabs->TabEnabled(-1), ado::RuntimeError);

    // A form placed without layouts keeps its proportions; single-line controls their height.
    QWidget top;
    top.resize(900, 700);
    auto *area = new QWidget(&top);
    area->setGeometry(0, 0, 400, 300);
    auto *edit = new QLineEdit(area);
    edit->setGeometry(10, 200, 100, 24);
    auto *view = new QTableView(area);
    view->setGeometry(10, 10, 380, 180);
    top.show();
    host::ResizeHelper helper(area);
    helper.setModuleInterface(&top);
    helper.start();
    area->resize(800, 600);
    EXPECT_EQ(view->geometry(), QRect(20, 20, 760, 360));
    EXPECT_EQ(edit->geometry(), QRect(20, 400, 200, 24));
    area->resize(200, 100); // smaller than designed: back to the design, never crushed
    EXPECT_EQ(view->geometry(), QRect(10, 10, 380, 180));
    EXPECT_EQ(edit->geometry(), QRect(10, 200, 100, 24));
}

TEST(ControlHelpers, KeyCodesCodesAndFormats)
{
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Enter, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(host::vbKeyCode(&enter), host::vbKeyReturn);
    EXPECT_EQ(host::vbShift(&enter), host::vbCtrlMask | host::vbAltMask);
    QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
    EXPECT_EQ(host::vbKeyCode(&f3), host::vbKeyF3);

    EXPECT_TRUE(host::sameCode(QStringLiteral("2"), 2.0));
    EXPECT_TRUE(host::sameCode(QStringLiteral("ITA "), QStringLiteral("ITA")));
    EXPECT_FALSE(host::sameCode(QStringLiteral("02A"), QStringLiteral("2A")));
    EXPECT_FALSE(host::sameCode(QVariant::fromValue(nullptr), 0));
    EXPECT_TRUE(host::sameCode(QVariant(), QVariant::fromValue(nullptr)));

    // The texts are Italian whatever the program's locale.
    QLocale::setDefault(QLocale::c());
    const QString format = QStringLiteral("##0.00;-##0.00;;");
    EXPECT_EQ(host::formatNumber(12.5, format), QStringLiteral("12,50"));
    EXPECT_EQ(host::formatNumber(-3, format), QStringLiteral("-3,00"));
    EXPECT_EQ(host::formatNumber(0, format), QStringLiteral("0,00"));
    EXPECT_EQ(host::formatNumber(QVariant::fromValue(nullptr), format), QString());
    EXPECT_EQ(host::formatNumber(1234567.891, QStringLiteral("#,##0.0")),
              QStringLiteral("1.234.567,9"));
    EXPECT_EQ(host::formatNumber(0.5, QStringLiteral("#.00 %")), QStringLiteral(",50 %"));
    EXPECT_EQ(host::formatNumber(60.5, QString()), QStringLiteral("60,5"));
    EXPECT_EQ(host::formatNumber(QStringLiteral("0042"), QString()), QStringLiteral("0042"));
    EXPECT_EQ(host::formatNumber(QStringLiteral("n/d"), format), QStringLiteral("n/d"));
}
