// The module's entry class: its properties, the window it opens and closes, and its answers
// to the navigator's events.

#include "host/clsci_causali.h"
#include "host/cost_utility.h"
#include "host/module_window.h"
#include "host/navigator.h"
#include "support/scripted_dialogs.h"
#include "support/user_driver.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using host::CLSCI_CAUSALI;

namespace {

// A window that records what the entry class asks of it; it refuses to unload when told to.
class FakeWindow : public host::ModuleWindow
{
public:
    explicit FakeWindow(bool *destroyed) : m_destroyed(destroyed)
    {
        widget_.setObjectName(QStringLiteral("FRMCI_CAUSALI"));
    }
    ~FakeWindow() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }

    host::Cinterface *ActiveInterface() const override { return activeInterface; }
    void setActiveInterface(host::Cinterface *module) override { activeInterface = module; }
    CLSCI_CAUSALI *ActiveClass() const override { return activeClass; }
    void setActiveClass(CLSCI_CAUSALI *entry) override { activeClass = entry; }
    host::CostUtility *costUtility() const override { return utility.get(); }
    QString caption() const override { return caption_; }
    void setCaption(const QString &caption) override { caption_ = caption; }
    void setWindowState(qint16 state) override { windowState = state; }
    QString name() const override { return QStringLiteral("FRMCI_CAUSALI"); }
    void show(bool modal) override
    {
        ++shows;
        shownModal = modal;
    }
    bool unload() override
    {
        ++unloads;
        if (refuseUnload)
            return false;
        activeInterface = nullptr; // the window's unload releases its interface last
        return true;
    }
    QWidget *widget() override { return &widget_; }

    host::Cinterface *activeInterface = nullptr;
    CLSCI_CAUSALI *activeClass = nullptr;
    std::unique_ptr<host::CostUtility> utility;
    QString caption_;
    qint16 windowState = -1;
    int shows = 0;
    bool shownModal = false;
    int unloads = 0;
    bool refuseUnload = false;
    QWidget widget_;

private:
    bool *m_destroyed;
};

class EntryClassTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::application();
        previousFactory = CLSCI_CAUSALI::setWindowFactory([this] {
            auto window = std::make_unique<FakeWindow>(&windowDestroyed);
            lastWindow = window.get();
            return window;
        });
    }
    void TearDown() override { CLSCI_CAUSALI::setWindowFactory(std::move(previousFactory)); }

    // The module wired to a host as the host does it, with the window shown.
    void openWithHost(CLSCI_CAUSALI &module)
    {
        module.setClsGlobal(&global);
        module.setActiveNavigator(&navigator);
        module.ShowForm();
        ASSERT_NE(lastWindow, nullptr);
        lastWindow->utility = std::make_unique<host::CostUtility>();
        lastWindow->utility->setModuleInterface(&module);
    }

    CLSCI_CAUSALI::WindowFactory previousFactory;
    FakeWindow *lastWindow = nullptr;
    bool windowDestroyed = false;
    host::HostGlobal global;
    host::Navigator navigator;
};

TEST_F(EntryClassTest, PropertiesStartEmptyNarrowAndIgnoreConversionErrors)
{
    CLSCI_CAUSALI module;
    EXPECT_EQ(module.ActiveDll(), &module);
    EXPECT_FALSE(module.Caption().isValid()); // Empty, not ""
    EXPECT_FALSE(module.Filtro().isValid());
    EXPECT_EQ(module.Top().typeId(), QMetaType::Int);

    module.setWindowState(2);
    module.setWindowState(40000); // overflow: ignored, the value stays
    EXPECT_EQ(module.WindowState(), 2);
    module.setWindowState(-32768);
    EXPECT_EQ(module.WindowState(), -32768);
    module.setProgramMode(2);
    module.setProgramMode(-40000);
    EXPECT_EQ(module.ProgramMode(), 2);

    module.setTop(QStringLiteral("12"));
    EXPECT_EQ(module.Top().typeId(), QMetaType::Int);
    EXPECT_EQ(module.Top(), QVariant(12));
    module.setTop(QStringLiteral("dodici")); // type mismatch: ignored
    EXPECT_EQ(module.Top(), QVariant(12));
    module.setLeft(2.5); // VB rounds halves to even
    EXPECT_EQ(module.Left(), QVariant(2));
    module.setLeft(QVariant(5000000000.0)); // overflow: ignored
    EXPECT_EQ(module.Left(), QVariant(2));
}

TEST_F(EntryClassTest, ShowFormHandsTheWindowItsModuleAndShowsIt)
{
    CLSCI_CAUSALI module;
    module.setWindowState(2);
    module.setCaption(QStringLiteral("Anagrafica causali di contabilità analitica"));
    module.setWindowModal(true);
    const QVariant result = module.ShowForm();
    EXPECT_FALSE(result.isValid());
    ASSERT_NE(lastWindow, nullptr);
    EXPECT_EQ(module.window(), lastWindow);
    EXPECT_EQ(lastWindow->ActiveInterface(), &module);
    EXPECT_EQ(lastWindow->ActiveClass(), &module);
    EXPECT_EQ(lastWindow->windowState, 2);
    EXPECT_EQ(lastWindow->caption(), QStringLiteral("Anagrafica causali di contabilità analitica"));
    EXPECT_EQ(lastWindow->shows, 1);
    EXPECT_TRUE(lastWindow->shownModal);

    // A caption that cannot become text fails that step only: the window is still shown.
    CLSCI_CAUSALI other;
    other.setCaption(QVariant::fromValue(nullptr));
    other.ShowForm();
    ASSERT_EQ(other.window(), lastWindow);
    EXPECT_EQ(lastWindow->caption(), QString());
    EXPECT_EQ(lastWindow->shows, 1);
    EXPECT_FALSE(lastWindow->shownModal);
}

TEST_F(EntryClassTest, ShowFormWithoutARegisteredWindowDoesNothing)
{
    CLSCI_CAUSALI::setWindowFactory({});
    CLSCI_CAUSALI module;
    EXPECT_FALSE(module.ShowForm().isValid());
    EXPECT_EQ(module.window(), nullptr);
    EXPECT_EQ(module.CloseForm(), QVariant(false));
}

TEST_F(EntryClassTest, CloseFormTellsWhetherTheWindowReallyClosed)
{
    CLSCI_CAUSALI module;
    openWithHost(module);
    lastWindow->refuseUnload = true;
    const QVariant refused = module.CloseForm();
    EXPECT_EQ(refused.typeId(), QMetaType::Bool);
    EXPECT_FALSE(refused.toBool());
    EXPECT_EQ(lastWindow->unloads, 1);
    EXPECT_EQ(lastWindow->ActiveInterface(), &module);
    // The module was made current in the host before the window was asked.
    EXPECT_EQ(global.CurrentModule(), &module);
    EXPECT_EQ(navigator.CurrentModule(), &module);

    lastWindow->refuseUnload = false;
    EXPECT_EQ(module.CloseForm(), QVariant(true));
    EXPECT_EQ(lastWindow->unloads, 2);
}

TEST_F(EntryClassTest, TransferDataRaisesDataTransferOncePerCall)
{
    CLSCI_CAUSALI module;
    QSignalSpy spy(&module, &CLSCI_CAUSALI::DataTransfer);
    EXPECT_FALSE(module.TransferData(QStringLiteral("CESE")).isValid());
    module.TransferData(QVariant(42));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0), QVariant(QStringLiteral("CESE")));
    EXPECT_EQ(spy.at(1).at(0), QVariant(42));
}

TEST_F(EntryClassTest, NavigatorEventsOfAnInactiveModule)
{
    testsupport::ScriptedDialogsGuard dialogs;
    CLSCI_CAUSALI module;
    openWithHost(module);
    ASSERT_FALSE(module.IsActive());

    // The company can never change while the module is loaded, active or not.
    dialogs->answerMessage(host::vbOK, global.messageDictionary()->GetText(30179));
    EXPECT_FALSE(navigator.requestCompanyChange());

    // The other events are served only by the active module.
    EXPECT_TRUE(navigator.requestExportToOffice());
    EXPECT_TRUE(navigator.pressButton(25));
    navigator.PrepareScript();
    EXPECT_TRUE(navigator.ScriptModel()->scriptObjects().empty());
    navigator.RefreshLayout();
    EXPECT_EQ(navigator.LayoutModel()->registeredForms(), 0);
    EXPECT_EQ(dialogs->shown().size(), 1u);
}

TEST_F(EntryClassTest, NavigatorEventsOfTheActiveModule)
{
    testsupport::ScriptedDialogsGuard dialogs;
    CLSCI_CAUSALI module;
    openWithHost(module);
    module.setIsActive(true);
    const auto &texts = *global.messageDictionary();

    dialogs->answerMessage(host::vbOK, texts.GetText(69054));
    EXPECT_FALSE(navigator.requestExportToOffice());

    dialogs->answerMessage(host::vbOK, texts.GetText(45614));
    EXPECT_FALSE(navigator.pressButton(25));
    EXPECT_TRUE(navigator.pressButton(24)); // any other button passes untouched

    // Button 25 already cancelled by another module: nothing more is shown.
    bool cancel = true;
    qint32 button = 25;
    emit navigator.ButtonPressed(cancel, button);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(button, 25);
    ASSERT_EQ(dialogs->shown().size(), 2u);
    EXPECT_EQ(dialogs->shown()[0].style & 0x70, host::vbExclamation);
}

TEST_F(EntryClassTest, ActiveModuleRegistersItsWindowWithScriptsAndLayout)
{
    QTemporaryDir dir;
    navigator.setLayoutSettingsFile(dir.filePath(QStringLiteral("layout.ini")));
    CLSCI_CAUSALI module;
    module.setCaption(QStringLiteral("Causali"));
    openWithHost(module);
    module.setIsActive(true);
    QObject frame;
    frame.setProperty("Name", QStringLiteral("gclsFrameTestata"));
    module.setActiveFrame(&frame);

    navigator.PrepareScript();
    const auto &objects = navigator.ScriptModel()->scriptObjects();
    QStringList seen;
    for (const auto &o : objects)
        seen << QStringLiteral("%1|%2|%3").arg(o.name).arg(o.kind).arg(o.caption);
    EXPECT_EQ(seen, (QStringList{"FRMCI_CAUSALI|0|Causali", "Causali|3|gclsFrameTestata"}));
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].object, lastWindow->widget());
    EXPECT_EQ(objects[1].object, &frame);

    navigator.RefreshLayout();
    EXPECT_EQ(navigator.LayoutModel()->registeredForms(), 1);
}

TEST_F(EntryClassTest, ReplacedNavigatorNoLongerReachesTheModule)
{
    testsupport::ScriptedDialogsGuard dialogs;
    CLSCI_CAUSALI module;
    openWithHost(module);
    host::Navigator other;
    module.setActiveNavigator(&other);
    EXPECT_TRUE(navigator.requestCompanyChange());
    dialogs->answerMessage(host::vbOK);
    EXPECT_FALSE(other.requestCompanyChange());
}

TEST_F(EntryClassTest, DestructionReleasesTheWindow)
{
    {
        CLSCI_CAUSALI module;
        openWithHost(module);
        EXPECT_FALSE(windowDestroyed);
    }
    EXPECT_TRUE(windowDestroyed);
    // The navigator outlives the module and no longer calls it.
    EXPECT_TRUE(navigator.requestCompanyChange());
}

} // namespace
