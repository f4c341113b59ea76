// The model-management program over CI04_MODELLI.

#include "ado/connection.h"
#include "ado/error.h"
#include "host/clsci_causali.h"
#include "host/model_program.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class ModelProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::application();
        connection.Open(database.connectionString());
    }
    static QStringList codes(const std::vector<host::PostingModel> &models)
    {
        QStringList result;
        for (const auto &m : models)
            result << m.code;
        return result;
    }

    testsupport::TestDatabase database;
    ado::Connection connection;
};

TEST_F(ModelProgramTest, AddsChangesAndDeletesModels)
{
    host::PostingModels models(connection);
    EXPECT_EQ(codes(models.list(1)), (QStringList{"PERS01", "PERS02", "STD"}));
    models.add(1, QStringLiteral(" pers03 "), QStringLiteral("Commesse estere"));
    EXPECT_EQ(codes(models.list(1)), (QStringList{"PERS01", "PERS02", "PERS03", "STD"}));
    EXPECT_FALSE(models.exists(0, QStringLiteral("PERS03"))); // another model type
    models.setDescription(1, QStringLiteral("PERS03"), QStringLiteral("Commesse all'estero"));
    EXPECT_EQ(models.list(1)[2].description, QStringLiteral("Commesse all'estero"));
    models.remove(1, QStringLiteral("PERS03"));
    EXPECT_FALSE(models.exists(1, QStringLiteral("PERS03")));

    EXPECT_THROW(models.add(1, QStringLiteral("PERS01"), QStringLiteral("Doppio")),
                 ado::RuntimeError);
    EXPECT_THROW(models.add(1, QString(), QStringLiteral("Senza codice")), ado::RuntimeError);
    EXPECT_THROW(models.add(1, QStringLiteral("ABCDEFGHIJKLMNO"), QStringLiteral("Lungo")),
                 ado::RuntimeError);
    EXPECT_THROW(models.add(1, QStringLiteral("NUOVO"), QString()), ado::RuntimeError);
    EXPECT_THROW(models.setDescription(1, QStringLiteral("NOTHERE"), QStringLiteral("x")),
                 ado::RuntimeError);
}

TEST_F(ModelProgramTest, DialogWorksOnTheModelsOfTheChosenType)
{
    testsupport::ScriptedDialogsGuard dialogs;
    host::ModelDialog dialog(connection, 1, QStringLiteral("pers02"));
    EXPECT_EQ(dialog.modelType(), 1);
    EXPECT_EQ(dialog.currentModel(), QStringLiteral("PERS02"));
    EXPECT_EQ(dialog.descriptionBox()->text(), dialog.table()->item(1, 1)->text());

    dialog.startNew();
    dialog.codeBox()->setText(QStringLiteral("PERS09"));
    dialog.descriptionBox()->setText(QStringLiteral("Modello di prova"));
    ASSERT_TRUE(dialog.saveCurrent());
    EXPECT_EQ(dialog.currentModel(), QStringLiteral("PERS09"));
    dialog.show();
    QCoreApplication::processEvents();
    dialog.grab().save(QStringLiteral("/tmp/model_program.png"));

    dialogs->answerMessage(host::vbNo, QStringLiteral("PERS09"));
    EXPECT_FALSE(dialog.deleteCurrent());
    dialogs->answerMessage(host::vbYes, QStringLiteral("PERS09"));
    EXPECT_TRUE(dialog.deleteCurrent());
    EXPECT_FALSE(host::PostingModels(connection).exists(1, QStringLiteral("PERS09")));

    dialog.setModelType(0);
    dialog.selectModel(QStringLiteral("STD"));
    dialogs->answerMessage(host::vbYes);
    dialogs->answerMessage(host::vbOK, QStringLiteral("usato dalla causale"));
    EXPECT_FALSE(dialog.deleteCurrent()) << "a model used by reason codes";
    EXPECT_TRUE(host::PostingModels(connection).exists(0, QStringLiteral("STD")));
}

TEST_F(ModelProgramTest, LauncherOpensTheProgramOnTheModuleConnection)
{
    host::ModelProgram program;
    EXPECT_THROW(program.run(), ado::RuntimeError);
    host::CLSCI_CAUSALI module;
    program.setModuleInterface(&module);
    EXPECT_THROW(program.run(), ado::RuntimeError); // no connection yet
    module.setConnection(&connection);
    program.setModel(QStringLiteral("MAG"));
    program.setModelType(QStringLiteral("0"));
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto *dialog = qobject_cast<host::ModelDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->currentModel();
        dialog->reject();
    });
    program.run();
    EXPECT_EQ(shown, QStringLiteral("MAG"));
    EXPECT_EQ(program.runs(), 1);
}

} // namespace
