#pragma once
// A throw-away database file for the data-access tests, built and read with raw SQLite calls
// so that what a test checks does not go through the layer under test.

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/vb.h"
#include "support/sql_rows.h"

#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <ostream>

// Readable QString values in assertion messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace adotest {

class ScratchDb
{
public:
    explicit ScratchDb(const char *schemaSql)
    {
        path = dir.filePath(QStringLiteral("scratch.db"));
        testsupport::createDatabaseFile(path, schemaSql);
    }

    QString connectionString() const
    {
        return QStringLiteral("Data Source=%1;Persist Security Info=False").arg(path);
    }

    // The rows of a query as seen by a second connection, columns joined by '|'.
    QStringList rows(const char *sql) const
    {
        return testsupport::joinedRows(
            testsupport::rawConnection(connectionString())->rows(QString::fromUtf8(sql)));
    }

    QTemporaryDir dir;
    QString path;
};

// Reads text by another locale for the life of the object.
class ConversionLocale
{
public:
    explicit ConversionLocale(const QLocale &locale) : m_previous(ado::conversionLocale())
    {
        ado::setConversionLocale(locale);
    }
    ~ConversionLocale() { ado::setConversionLocale(m_previous); }
    ConversionLocale(const ConversionLocale &) = delete;
    ConversionLocale &operator=(const ConversionLocale &) = delete;

private:
    QLocale m_previous;
};

// Runs body and answers the RuntimeError it raised (a test failure when it raised none).
template<typename F>
ado::RuntimeError errorOf(F &&body)
{
    try {
        body();
    } catch (const ado::RuntimeError &e) {
        return e;
    }
    ADD_FAILURE() << "no run-time error was raised";
    return ado::RuntimeError(0, QString());
}

// Whether the error's description holds `part` (the description shows when it does not).
inline ::testing::AssertionResult mentions(const ado::RuntimeError &e, const QString &part)
{
    if (e.description().contains(part))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << e.description().toStdString()
                                         << "\" does not mention \"" << part.toStdString() << '"';
}

} // namespace adotest
