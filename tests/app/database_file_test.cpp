// The database the program opens: made with the demo data on first use, reused afterwards,
// refused with a clear message when it cannot be made or is not a database of reason codes.

#include "ado/connection.h"
#include "ado/recordset.h"
#include "app/database_file.h"
#include "app/start_error.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

long long count(const QString &path, const QString &sql)
{
    ado::Connection connection;
    connection.Open(app::connectionStringFor(path));
    auto rs = connection.Execute(sql);
    return rs->Fields(0).Value().toLongLong();
}

// The message of the StartError `body` throws; fails the test when it throws none.
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

// Sets an environment variable and the application name for a scope.
class ScopedDataHome
{
public:
    explicit ScopedDataHome(const QString &folder)
        : m_previous(qgetenv("XDG_DATA_HOME")), m_hadPrevious(qEnvironmentVariableIsSet("XDG_DATA_HOME")),
          m_name(QCoreApplication::applicationName())
    {
        qputenv("XDG_DATA_HOME", folder.toLocal8Bit());
        QCoreApplication::setApplicationName(QStringLiteral("causali"));
    }
    ~ScopedDataHome()
    {
        if (m_hadPrevious)
            qputenv("XDG_DATA_HOME", m_previous);
        else
            qunsetenv("XDG_DATA_HOME");
        QCoreApplication::setApplicationName(m_name);
    }

private:
    QByteArray m_previous;
    bool m_hadPrevious;
    QString m_name;
};

} // namespace

TEST(DatabaseFile, CreatedOnFirstUseAndReusedAfterwards)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("causali.db"));

    const app::DatabaseFile first = app::prepareDatabase(path);
    EXPECT_TRUE(first.created);
    EXPECT_EQ(first.path, path);
    EXPECT_EQ(count(path, QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI")),
              testsupport::demo::ReasonCodeCount);

    // What the user changed stays: the second use opens the same file and does not refill it.
    {
        ado::Connection connection;
        connection.Open(app::connectionStringFor(path));
        connection.Execute(QStringLiteral("DELETE FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'GIRO'"),
                           nullptr, 129);
    }
    const app::DatabaseFile second = app::prepareDatabase(path);
    EXPECT_FALSE(second.created);
    EXPECT_EQ(second.path, path);
    EXPECT_EQ(count(path, QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI")),
              testsupport::demo::ReasonCodeCount - 1);
}

TEST(DatabaseFile, DefaultLivesInTheUsersDataFolderAndRelativePathsBecomeAbsolute)
{
    QTemporaryDir dir;
    {
        const ScopedDataHome home(dir.path());
        const QString expected = dir.filePath(QStringLiteral("causali/causali.db"));
        EXPECT_EQ(app::defaultDatabasePath(), expected);
        const app::DatabaseFile file = app::prepareDatabase(QString());
        EXPECT_TRUE(file.created);
        EXPECT_EQ(file.path, expected);
        EXPECT_TRUE(QFile::exists(expected));
        EXPECT_FALSE(app::prepareDatabase(QString()).created);
    }

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const app::DatabaseFile relative = app::prepareDatabase(QStringLiteral("rel.db"));
    QDir::setCurrent(previous);
    EXPECT_EQ(relative.path, dir.filePath(QStringLiteral("rel.db")));
    EXPECT_TRUE(QFile::exists(relative.path));
}

TEST(DatabaseFile, UnusableFilesAreRefusedNamingThem)
{
    QTemporaryDir dir;

    const QString unreachable = dir.filePath(QStringLiteral("missing/folder/c.db"));
    QString message = startError([&] { app::prepareDatabase(unreachable); });
    EXPECT_TRUE(message.contains(QStringLiteral("impossibile creare il database"))) << message.toStdString();
    EXPECT_TRUE(message.contains(unreachable)) << message.toStdString();
    EXPECT_FALSE(QFile::exists(unreachable));

    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a database at all, just some words of text that fill a page\n");
    }
    message = startError([&] { app::prepareDatabase(text); });
    EXPECT_TRUE(message.contains(QStringLiteral("non è un database delle causali"))) << message.toStdString();
    EXPECT_TRUE(message.contains(text));

    // A database, but not ours: empty.
    const QString empty = dir.filePath(QStringLiteral("empty.db"));
    {
        QFile file(empty);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)); // SQLite takes an empty file as a database
    }
    message = startError([&] { app::prepareDatabase(empty); });
    EXPECT_TRUE(message.contains(QStringLiteral("non è un database delle causali"))) << message.toStdString();

    message = startError([&] { app::prepareDatabase(dir.path()); });
    EXPECT_TRUE(message.contains(QStringLiteral("non è un file"))) << message.toStdString();
}

TEST(DatabaseFile, ConnectionStringNamesAnyPath)
{
    for (const QString &path : {QStringLiteral("/tmp/plain.db"), QStringLiteral("/tmp/a;b.db"),
                                QStringLiteral("/tmp/say \"hi\";.db"), QStringLiteral("\"q.db"),
                                QStringLiteral("'q.db"), QStringLiteral("/tmp/space.db ")})
        EXPECT_EQ(ado::dataSourceOf(app::connectionStringFor(path)), path) << path.toStdString();
    EXPECT_EQ(app::connectionStringFor(QStringLiteral("/tmp/plain.db")),
              QStringLiteral("Data Source=/tmp/plain.db"));

    // A file whose name the connection string would split opens all the same.
    QTemporaryDir dir;
    const QString odd = dir.filePath(QStringLiteral("ditta;2.db"));
    ASSERT_TRUE(app::prepareDatabase(odd).created);
    EXPECT_EQ(count(odd, QStringLiteral("SELECT COUNT(*) FROM MG52_LINGUE")), 4);
}

TEST(DatabaseFile, LanguagesComeFromTheDatabase)
{
    testsupport::TestDatabase database;
    ado::Connection connection;
    connection.Open(database.connectionString());
    EXPECT_EQ(app::readLanguages(connection),
              (QStringList{"DEU", "ENG", "FRA", "ITA"}));
    EXPECT_NO_THROW(app::checkLanguage(connection, QStringLiteral("ENG")));
    const QString message = startError([&] { app::checkLanguage(connection, QStringLiteral("XYZ")); });
    EXPECT_TRUE(message.contains(QStringLiteral("\"XYZ\""))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("DEU, ENG, FRA, ITA"))) << message.toStdString();
}
