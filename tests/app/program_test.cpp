// The program itself, run as a user or a script runs it: exit codes, what it writes, the
// picture without a display and the demo database made on first use in the data folder.

#include "ado/connection.h"
#include "ado/recordset.h"
#include "host/message_dictionary.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

class ProgramTest : public ::testing::Test
{
protected:
    // Runs the program in `dir` with a private data and settings folder; `display` false
    // leaves it without any display (and without QT_QPA_PLATFORM).
    ProgramRun run(const QStringList &arguments, bool display = true)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (display)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        else
            env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(CAUSALI_PROGRAM), arguments);
        ProgramRun result;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "the program did not end: " << arguments.join(u' ').toStdString();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    QString dataHome() const { return dir.filePath(QStringLiteral("data")); }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
};

bool isPicture(const QString &file)
{
    const QImage image(file);
    return !image.isNull() && image.width() > 0 && QFileInfo(file).size() > 0;
}

} // namespace

TEST_F(ProgramTest, ScreenshotOfATemporaryDatabase)
{
    const QStringList arguments = {QStringLiteral("--db"), path("temp.db"), QStringLiteral("--tab"),
                                   QStringLiteral("1"), QStringLiteral("--screenshot")};
    ProgramRun r = run(arguments + QStringList{path("shot.png")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(isPicture(path("shot.png")));
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    // Nothing but the two notices: no message or error was raised during the start-up.
    const QStringList notices = r.err.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(notices.size(), 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("causali: creato il database dimostrativo")))
        << r.err.toStdString();

    // A picture that cannot be written is a failure.
    r = run(arguments + QStringList{path("no/such/folder/shot.png")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("impossibile salvare l'immagine")))
        << r.err.toStdString();
}

TEST_F(ProgramTest, WithoutDisplayThePictureGoesToTheCurrentFolderAndTheDatabaseIsMadeOnce)
{
    const QString database = dataHome() + QStringLiteral("/causali/causali.db");
    ProgramRun r = run({}, false);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(isPicture(path("causali.png")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("creato il database dimostrativo")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(path("causali.png"))) << r.err.toStdString();
    ASSERT_TRUE(QFileInfo::exists(database));

    // The next run opens the same file: a language added to it meanwhile is known.
    {
        ado::Connection connection;
        connection.Open(QStringLiteral("Data Source=") + database);
        connection.Execute(QStringLiteral("INSERT INTO MG52_LINGUE (MG52_CODLINGUA, MG52_DESCR)"
                                          " VALUES ('SPA', 'Spagnolo')"),
                           nullptr, 129);
    }
    r = run({QStringLiteral("--language"), QStringLiteral("SPA")}, false);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("creato il database"))) << r.err.toStdString();
}

TEST_F(ProgramTest, BadInputEndsWithAMessageAndNonZeroExitHelpWithZero)
{
    ProgramRun r = run({QStringLiteral("--bogus")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("opzione sconosciuta: --bogus")))
        << r.err.toStdString();

    r = run({QStringLiteral("--code"), QStringLiteral("TROPPO")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("\"TROPPO\""))) << r.err.toStdString();

    r = run({QStringLiteral("--db"), path("missing/folder/c.db")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("impossibile creare il database")))
        << r.err.toStdString();

    const QStringList db = {QStringLiteral("--db"), path("c.db"), QStringLiteral("--screenshot"),
                            path("never.png")};
    r = run(db + QStringList{QStringLiteral("--company"), QStringLiteral("77")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("La ditta 77 non esiste"))) << r.err.toStdString();

    // A company without cost accounting: the window shows why and refuses to open.
    r = run(db + QStringList{QStringLiteral("--company"), QStringLiteral("4")});
    EXPECT_EQ(r.exitCode, 1);
    const QString why = host::MessageDictionary().GetText(host::msg::NoCostAccounting);
    EXPECT_TRUE(r.err.contains(why.section(u'\n', 0, 0))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("never.png")));

    r = run(db + QStringList{QStringLiteral("--language"), QStringLiteral("xyz")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("\"XYZ\""))) << r.err.toStdString();

    r = run({QStringLiteral("--help")});
    EXPECT_EQ(r.exitCode, 0);
    for (const char *text : {"--db PATH", "--code XXXX", "--screenshot FILE", "Ctrl+E  "})
        EXPECT_TRUE(r.out.contains(QLatin1String(text))) << text;
}

TEST_F(ProgramTest, ExportImportAndCheckWorkWithoutTheWindowAndSayByExitCode)
{
    const QStringList db = {QStringLiteral("--db"), path("x.db")};
    ProgramRun r = run(db + QStringList{"--export", path("two.json"), "--codes", "acqm,rifm"},
                       false);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(path("two.json")).size() > 0);
    EXPECT_FALSE(QFileInfo::exists(path("causali.png"))) << "no window, no picture";

    r = run(db + QStringList{"--import", path("two.json"), "--dry-run"});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Sostituisce ACQM - Acquisto materie prime")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("nessuna scritta"));

    // The whole demo holds two flawed codes: the import refuses and exits with 1.
    r = run(db + QStringList{"--export", path("all.json")});
    ASSERT_EQ(r.exitCode, 0);
    r = run(db + QStringList{"--import", path("all.json")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.contains("Rifiutata ENER, CI05_PROPSEZ[2].CI05_SEZIONALE_CG68"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("nessuna causale scritta"));

    r = run(db + QStringList{"--check", "--json"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.contains("\"code\": \"ENER\"")) << r.out.toStdString();

    r = run(db + QStringList{"--import", path("none.json")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("impossibile leggere")) << r.err.toStdString();

    for (const QStringList &bad : {QStringList{"--codes", "ACQM"}, QStringList{"--dry-run"},
                                   QStringList{"--json"}, QStringList{"--check", "--export", "f"},
                                   QStringList{"--export", "f", "--codes", "TROPPO"}}) {
        r = run(bad);
        EXPECT_EQ(r.exitCode, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("--")) << r.err.toStdString();
    }
}
