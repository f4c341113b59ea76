// The database the program opens: made with the demo data on first use, reused afterwards,
// refused with a clear message when it cannot be made or is not a database of reason codes.

#include "ado/connection.h"
#include "ado/recordset.h"
#include "app/database_file.h"

#include "engine/server.h"

#include "app/start_error.h"
#include "support/test_database.h"
#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

long long reasonCodes(const QString &path)
{
    ado::Connection connection;
    connection.Open(app::connectionStringFor(path));
    return connection.Execute(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI"))
        ->Fields(0)
        .Value()
        .toLongLong();
}

QString startError(const std::function<void()> &body)
{
    try {
        body();
    } catch (const app::StartError &e) {
        return e.message();
    }
    ADD_FAILURE() << "no StartError";
    return {};
}

} // namespace

TEST(DatabaseFile, MadeOnFirstUseInTheDataFolderAndReusedAfterwards)
{
    QTemporaryDir dir;
    const QByteArray previousHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.path().toLocal8Bit());
    QCoreApplication::setApplicationName(QStringLiteral("causali"));
    const QString expected = dir.filePath(QStringLiteral("causali/causali.db"));

    const app::DatabaseFile first = app::prepareDatabase(QString());
    EXPECT_TRUE(first.created);
    EXPECT_EQ(first.path, expected);
    EXPECT_EQ(reasonCodes(expected), testsupport::demo::ReasonCodeCount);

    // What the user changed stays: the second use opens the same file and does not refill it.
    ado::Connection connection;
    connection.Open(app::connectionStringFor(expected));
    connection.Execute(QStringLiteral("DELETE FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'GIRO'"),
                       nullptr, 129);
    const app::DatabaseFile second = app::prepareDatabase(QString());
    EXPECT_FALSE(second.created);
    EXPECT_EQ(reasonCodes(second.path), testsupport::demo::ReasonCodeCount - 1);
    qputenv("XDG_DATA_HOME", previousHome);
}

TEST(DatabaseFile, UnusableFilesAndUnknownLanguagesAreRefusedNamingThem)
{
    QTemporaryDir dir;
    const QString unreachable = dir.filePath(QStringLiteral("missing/folder/c.db"));
    QString message = startError([&] { app::prepareDatabase(unreachable); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("impossibile creare il database ") + unreachable))
        << message.toStdString();
    EXPECT_FALSE(QFile::exists(unreachable));

    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a database at all, just some words of text that fill a page\n");
    file.close();
    const QString empty = dir.filePath(QStringLiteral("empty.db")); // a database, not ours
    QFile(empty).open(QIODevice::WriteOnly);
    for (const QString &path : {text, empty}) {
        message = startError([&] { app::prepareDatabase(path); });
        EXPECT_TRUE(message.startsWith(path + QStringLiteral(" non è un database delle causali")))
            << message.toStdString();
    }
    EXPECT_TRUE(startError([&] {
                    app::prepareDatabase(dir.path());
                }).contains(QStringLiteral("non è un file")));

    testsupport::TestDatabase database;
    ado::Connection connection;
    connection.Open(database.connectionString());
    EXPECT_NO_THROW(app::checkLanguage(connection, QStringLiteral("ENG")));
    message = startError([&] { app::checkLanguage(connection, QStringLiteral("XYZ")); });
    EXPECT_TRUE(message.contains(
        QStringLiteral("\"XYZ\" non esiste nel database (lingue: DEU, ENG, FRA, ITA)")))
        << message.toStdString();
}

// A file of an earlier version (rollback journal, no schema version) is upgraded in place with
// its data, and a file another program is writing opens at once.
TEST(DatabaseFile, OlderFilesAreUpgradedAndAFileBeingWrittenOpens)
{
    testsupport::TestDatabase database;
    const QString path = database.path();
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    const auto query = [&](const char *sql) {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(other, sql, -1, &stmt, nullptr);
        QString value;
        if (sqlite3_step(stmt) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return value;
    };
    query("PRAGMA journal_mode = DELETE");
    query("PRAGMA user_version = 0");
    ASSERT_EQ(query("PRAGMA journal_mode"), QStringLiteral("delete"));

    EXPECT_FALSE(app::prepareDatabase(path).created);
    EXPECT_EQ(query("PRAGMA user_version"), QString::number(engine::SchemaVersion));
    EXPECT_EQ(query("PRAGMA journal_mode"), QStringLiteral("wal"));
    EXPECT_EQ(reasonCodes(path), testsupport::demo::ReasonCodeCount);

    // Another program in the middle of a write: the file opens without waiting for it.
    query("BEGIN IMMEDIATE");
    query("DELETE FROM CI05_PROPSEZ");
    EXPECT_NO_THROW(app::prepareDatabase(path));
    query("ROLLBACK");
    sqlite3_close(other);
}

TEST(DatabaseFile, ConnectionStringNamesAnyPath)
{
    for (const QString &path : {QStringLiteral("/tmp/plain.db"), QStringLiteral("/tmp/a;b.db"),
                                QStringLiteral("/tmp/say \"hi\";.db"), QStringLiteral("\"q.db"),
                                QStringLiteral("'q.db"), QStringLiteral("/tmp/space.db ")})
        EXPECT_EQ(ado::dataSourceOf(app::connectionStringFor(path)), path) << path.toStdString();
    EXPECT_EQ(app::connectionStringFor(QStringLiteral("/tmp/plain.db")),
              QStringLiteral("Data Source=/tmp/plain.db"));

    // A file whose name the connection string would split is made and opened all the same.
    QTemporaryDir dir;
    const QString odd = dir.filePath(QStringLiteral("ditta;2.db"));
    ASSERT_TRUE(app::prepareDatabase(odd).created);
    EXPECT_EQ(reasonCodes(odd), testsupport::demo::ReasonCodeCount);
}
