// The navigator's script and layout object models.

#include "host/handler_connection.h"
#include "host/navigator.h"
#include "support/user_driver.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(ScriptObjectModelTest, RunsTheScriptOfEachFormEventAndKeepsItsCancel)
{
    host::ScriptObjectModel model;
    model.setScript([](host::ScriptObjectModel &m, const host::ScriptObjectModel::FormEvent &e) {
        if (e.opening == 0) // the close script refuses
            m.setScriptCancel(true);
    });
    model.RunFormEvent(QStringLiteral("FRMCI_CAUSALI"), 0, 0, QStringLiteral("FRMCI_CAUSALI"));
    EXPECT_TRUE(model.ScriptCancel());
    // The next event starts from a cleared cancel.
    model.RunFormEvent(QStringLiteral("FRMCI_CAUSALI"), 0, 1, QStringLiteral("FRMCI_CAUSALI"));
    EXPECT_FALSE(model.ScriptCancel());
    ASSERT_EQ(model.formEvents().size(), 2u);
    EXPECT_EQ(model.formEvents()[1].opening, 1);
    EXPECT_EQ(model.formEvents()[1].formName, QStringLiteral("FRMCI_CAUSALI"));
}

TEST(ScriptObjectModelTest, ForgetsTheObjectsOfAReleasedWindow)
{
    QObject window;
    auto *frame = new QObject(&window);
    QObject other;
    host::ScriptObjectModel model;
    QObject *w = &window;
    QObject *f = frame;
    QObject *o = &other;
    model.AddScriptObject(QStringLiteral("FRMCI_CAUSALI"), w, 0, QStringLiteral("Causali"));
    model.AddScriptObject(QStringLiteral("Causali"), f, 3, QStringLiteral("gclsFrameTestata"));
    model.AddScriptObject(QStringLiteral("ALTRO"), o, 0, QStringLiteral("Altro"));
    model.releaseObject(&window);
    ASSERT_EQ(model.scriptObjects().size(), 1u);
    EXPECT_EQ(model.scriptObjects()[0].name, QStringLiteral("ALTRO"));
}

TEST(LayoutObjectModelTest, RestoresTheSavedGeometryOnTheFirstApplication)
{
    testsupport::application();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("layout.ini"));
    {
        QWidget window;
        window.setGeometry(100, 120, 640, 480);
        host::LayoutObjectModel model(file);
        QWidget *w = &window;
        model.RegisterLayoutForm(QStringLiteral("Anagrafica causali"), w, 0, 0, 0);
        model.RegisterLayoutForm(QStringLiteral("Anagrafica causali"), w, 0, 0, 0);
        EXPECT_EQ(model.registeredForms(), 1);
        model.ApplyLayout(); // nothing saved yet: the window keeps its size
        EXPECT_EQ(window.size(), QSize(640, 480));
        window.resize(700, 500);
        model.ApplyLayout(); // later applications store the layout
    }
    EXPECT_TRUE(QSettings(file, QSettings::IniFormat)
                    .contains(QStringLiteral("forms/Anagrafica causali/geometry")));

    QWidget again;
    again.resize(300, 200);
    host::Navigator navigator;
    navigator.setLayoutSettingsFile(file);
    host::connectHandler(&navigator, &host::Navigator::InitializeLayoutObjectModel,
                         [&again](bool &, host::LayoutObjectModel *&model) {
                             QWidget *w = &again;
                             model->RegisterLayoutForm(QStringLiteral("Anagrafica causali"), w, 0,
                                                       0, 0);
                         });
    navigator.RefreshLayout();
    EXPECT_EQ(again.size(), QSize(700, 500));
    // A second refresh keeps the model and does not register again.
    host::LayoutObjectModel *first = navigator.LayoutModel();
    navigator.RefreshLayout();
    EXPECT_EQ(navigator.LayoutModel(), first);
    EXPECT_EQ(first->registeredForms(), 1);
}

TEST(NavigatorTest, AsksModulesBeforeActingAndKeepsItsScriptModel)
{
    host::Navigator navigator;
    host::connectHandler(&navigator, &host::Navigator::ButtonPressed,
                         [](bool &cancel, qint32 &button) {
                             if (button == 7)
                                 cancel = true;
                         });
    EXPECT_FALSE(navigator.pressButton(7));
    EXPECT_TRUE(navigator.pressButton(8));

    navigator.PrepareScript();
    host::ScriptObjectModel *model = navigator.ScriptModel();
    ASSERT_NE(model, nullptr);
    navigator.PrepareScript();
    EXPECT_EQ(navigator.ScriptModel(), model);
}

} // namespace
