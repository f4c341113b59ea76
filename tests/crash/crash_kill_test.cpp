// A command that writes a code must leave it whole whatever moment the process dies at. Each
// scenario runs in a child process (crash_child.cpp) on a fresh copy of one demo database, first
// to its end, then once for every write or sync it made, killed at that one. After each kill the
// file is opened again (the journal or the log is recovered), must pass SQLite's integrity check,
// and every row that belongs to the code must be as before the command or every row as after it.

#include "crash_child.h"
#include "kill_vfs.h"

#include "support/sql_rows.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace crashtest {
namespace {

using testsupport::Rows;

// Every row of the code in each table, sorted; the keys are the table names.
using Snapshot = QMap<QString, Rows>;

Snapshot snapshotOf(sqlite3 *db, const QString &code, const QString &rowId)
{
    const QString quoted = QLatin1Char('\'') + code + QLatin1Char('\'');
    const QMap<QString, QString> where{
        {QStringLiteral("CI03_CAUSALI"), "CI03_CODCAUS = " + quoted},
        {QStringLiteral("CI11_CONTROLLOCONTI"), "CI11_CODCAUS_CI03 = " + quoted},
        {QStringLiteral("CI05_PROPSEZ"), "CI05_CAUSALE_CI03 = " + quoted},
        {QStringLiteral("CI06_RICERCACONTO"), "CI06_CAUSALE_CI03 = " + quoted},
        {QStringLiteral("CI10_PROPCONTICAUS"), "CI10_CODCAUS_CI03 = " + quoted},
        {QStringLiteral("CI99_DESLINGUA"), "CI99_PROVID_FW4A = 903 AND CI99_IDPROV = " + rowId}};
    Snapshot snapshot;
    for (auto it = where.cbegin(); it != where.cend(); ++it) {
        Rows rows = testsupport::queryRows(db,
                                           "SELECT * FROM " + it.key() + " WHERE " + it.value());
        std::sort(rows.begin(), rows.end());
        snapshot.insert(it.key(), rows);
    }
    return snapshot;
}

// A database file opened as the next program would open it after the kill.
class ReopenedFile
{
public:
    explicit ReopenedFile(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE,
                            nullptr)
            != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path.toStdString() << ": " << sqlite3_errmsg(m_db);
    }
    ~ReopenedFile() { sqlite3_close_v2(m_db); }
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

struct ChildRun
{
    int exitCode = -1;
    bool crashed = false;
    int counted = -1; // writes and syncs, printed by a child that ran to its end
    QString output;
};

// What the kills found, consecutive kills with the same finding in one line.
class Findings
{
public:
    void add(int kill, const QString &problem)
    {
        if (!m_runs.empty() && m_runs.back().last == kill - 1 && m_runs.back().problem == problem)
            m_runs.back().last = kill;
        else
            m_runs.push_back({kill, kill, problem});
    }
    QStringList lines(int kills) const
    {
        QStringList out;
        for (const Run &run : m_runs) {
            const QString at = run.first == run.last
                                   ? QString::number(run.first)
                                   : QStringLiteral("%1-%2").arg(run.first).arg(run.last);
            out << QStringLiteral("kill at %1 of %2: %3").arg(at).arg(kills).arg(run.problem);
        }
        return out;
    }

private:
    struct Run
    {
        int first;
        int last;
        QString problem;
    };
    std::vector<Run> m_runs;
};

class CrashKillTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { fixture = std::make_unique<testsupport::TestDatabase>(); }
    static void TearDownTestSuite() { fixture.reset(); }

    CrashKillTest() { testsupport::application(); }

    // A fresh copy of `source` at the run's path, with no journal or log left by a killed run.
    bool freshCopy(const QString &source) const
    {
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(runPath() + QLatin1String(suffix));
        const bool copied = QFile::copy(source, runPath());
        EXPECT_TRUE(copied) << "cannot copy " << source.toStdString();
        return copied;
    }

    QString runPath() const { return dir.filePath(QStringLiteral("run.db")); }

    ChildRun runChild(const char *scenario, int killAt) const
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(DatabaseVariable), runPath());
        env.insert(QLatin1String(KillAtVariable), QString::number(killAt));
        // Under the sanitizers: a child runs hundreds of times and is mostly killed before its
        // leak check, so it records allocation stacks with the fast unwinder (five times
        // quicker) whatever the suite chose.
        const QString sanitizer = QStringLiteral("ASAN_OPTIONS");
        if (env.contains(sanitizer))
            env.insert(sanitizer,
                       env.value(sanitizer) + QStringLiteral(":fast_unwind_on_malloc=1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_also_run_disabled_tests"),
                     QStringLiteral("--gtest_filter=") + QLatin1String(scenario)});
        ChildRun run;
        if (!child.waitForFinished(120000)) {
            child.kill();
            child.waitForFinished();
        }
        run.output = QString::fromLocal8Bit(child.readAll());
        run.crashed = child.exitStatus() == QProcess::CrashExit;
        run.exitCode = child.exitCode();
        const qsizetype at = run.output.indexOf(QLatin1String(CountedPrefix));
        if (at >= 0)
            run.counted = run.output.mid(at + qsizetype(qstrlen(CountedPrefix)))
                              .section(QLatin1Char('\n'), 0, 0)
                              .toInt();
        return run;
    }

    Snapshot snapshotOfRun(const QString &rowId) const
    {
        ReopenedFile file(runPath());
        return snapshotOf(file.handle(), QString::fromLatin1(ScenarioCode), rowId);
    }

    // Runs the scenario to its end, then killed at each of its writes and syncs; returns one
    // line per kill that left the file damaged or the code half written.
    QStringList killAtEveryWrite(const char *scenario, const QString &source)
    {
        Findings broken;
        QString rowId;
        Snapshot before;
        {
            ReopenedFile file(source);
            const QString id = QStringLiteral("SELECT CI03_IDPROV FROM CI03_CAUSALI"
                                              " WHERE CI03_CODCAUS = '%1'");
            rowId = QString::number(
                testsupport::queryScalar(file.handle(), id.arg(QLatin1String(ScenarioCode))));
            before = snapshotOf(file.handle(), QString::fromLatin1(ScenarioCode), rowId);
        }
        if (!freshCopy(source))
            return {};
        const ChildRun whole = runChild(scenario, 0);
        if (whole.crashed || whole.exitCode != 0 || whole.counted <= 0) {
            ADD_FAILURE() << "the scenario did not run to its end:\n" << whole.output.toStdString();
            return {};
        }
        const Snapshot after = snapshotOfRun(rowId);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            EXPECT_NE(it.value(), after.value(it.key()))
                << "the scenario leaves " << it.key().toStdString() << " unchanged";
        for (int n = 1; n <= whole.counted; ++n) {
            if (!freshCopy(source))
                break;
            const ChildRun run = runChild(scenario, n);
            if (run.crashed || run.exitCode != KilledExitCode) {
                ADD_FAILURE() << "kill at write " << n << " of " << whole.counted
                              << " did not end the child as planned (exit " << run.exitCode
                              << "):\n"
                              << run.output.toStdString();
                break;
            }
            const QString problem = damageAfterKill(before, after, rowId);
            if (!problem.isEmpty())
                broken.add(n, problem);
        }
        return broken.lines(whole.counted);
    }

    // What is wrong with the file after a kill; empty when it is whole and the code all old or
    // all new.
    QString damageAfterKill(const Snapshot &before, const Snapshot &after,
                            const QString &rowId) const
    {
        {
            ReopenedFile file(runPath());
            const Rows check = testsupport::queryRows(file.handle(),
                                                      QStringLiteral("PRAGMA integrity_check"));
            if (check != Rows{{QStringLiteral("ok")}})
                return QStringLiteral("integrity check: ") + check.value(0).join(QLatin1Char(' '));
        }
        const Snapshot now = snapshotOfRun(rowId);
        if (now == before || now == after)
            return {};
        QStringList oldTables, newTables, otherTables;
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (it.value() == before.value(it.key()))
                oldTables << it.key();
            else if (it.value() == after.value(it.key()))
                newTables << it.key();
            else
                otherTables << it.key();
        }
        return QStringLiteral("half written: new %1; old %2; neither %3")
            .arg(newTables.join(QLatin1Char(',')), oldTables.join(QLatin1Char(',')),
                 otherTables.join(QLatin1Char(',')));
    }

    static std::unique_ptr<testsupport::TestDatabase> fixture;
    QTemporaryDir dir;
};

std::unique_ptr<testsupport::TestDatabase> CrashKillTest::fixture;

TEST_F(CrashKillTest, AKillInsideOneTransactionLeavesTheCodeAllOldOrAllNew)
{
    const QStringList broken = killAtEveryWrite(OneTransactionScenario, fixture->path());
    EXPECT_TRUE(broken.isEmpty()) << broken.join(QLatin1Char('\n')).toStdString();
}

TEST_F(CrashKillTest, ConfermaLeavesTheCodeAllOldOrAllNew)
{
    const QStringList broken = killAtEveryWrite(ConfermaScenario, fixture->path());
    EXPECT_TRUE(broken.isEmpty()) << broken.join(QLatin1Char('\n')).toStdString();
}

TEST_F(CrashKillTest, EliminaLeavesTheCodeAllOldOrAllGone)
{
    const QStringList broken = killAtEveryWrite(EliminaScenario, fixture->path());
    EXPECT_TRUE(broken.isEmpty()) << broken.join(QLatin1Char('\n')).toStdString();
}

} // namespace
} // namespace crashtest
