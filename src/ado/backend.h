#pragma once
// The seam between the ado layer and the database it talks to. Connection, Statement, the row
// store, UpdateBatch and Command use only these two interfaces; the layer's logic (rewriting,
// transactions as levels, row sets, errors as RuntimeError) stays above them, once.
//
// Two implementations:
// - an SQLite file ("Data Source=PATH"): sqlite_backend.cpp;
// - a PostgreSQL server through libpq: pg_backend.cpp. The connection string is a libpq URI
//   ("postgresql://user@host:port/dbname?..." or "postgres://..."), alone or as the value of
//   "Data Source=" (so callers that build "Data Source=<what the user gave>" need no change).
//   The password comes only from PGPASSWORD or the password file, never from the string the
//   program is given on its command line.
//
// Failures are reported by return value; the backend keeps the error of its last failing call
// (lastError), already mapped to the layer's numbers, for Connection to raise.

#include "ado/cell.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

struct sqlite3;
struct pg_conn;

namespace ado {

// The last error of a backend: the run-time error number it raises as, the database's message,
// the SQLSTATE and the database's own code.
struct BackendError
{
    long number = 0;
    QString message;
    QString sqlState;
    long nativeError = 0;
};

// Where a transaction of the database stands.
enum class TransactionState {
    None,   // autocommit: no transaction open (or the database rolled it back by itself)
    Active, // open and usable
    Failed  // open, but a statement failed in it: only a rollback is accepted
};

// What a value bound to a parameter is sent as (both backends bind by it).
enum class BoundKind { Null, Bool, Integer, Real, Bytes, Text };
// Empty and Null bind NULL; unsigned 64-bit values are checked to fit by Statement; whatever
// else VB would turn into text (dates as ISO text) binds as text.
BoundKind boundKindOf(const QVariant &value);

class BackendStatement
{
public:
    enum class Step { Row, Done, Failed };

    virtual ~BackendStatement() = default;

    // Binds by 1-based position; Empty and Null bind NULL. False on failure.
    virtual bool bind(int position, const QVariant &value) = 0;
    virtual void clearBindings() = 0;
    // Runs the statement on its first call after a prepare or reset, then moves row by row.
    virtual Step step() = 0;
    virtual void reset() = 0;

    virtual int columnCount() const = 0;
    // The name the result gives the column: what SQL over the result names it by.
    virtual QString columnName(int column) const = 0;
    // The name the module sees: as the statement writes it (a server may fold unquoted names).
    virtual QString writtenName(int column) const { return columnName(column); }
    // The database ("main", "temp") or schema, table and column a result column comes from;
    // empty for expressions.
    virtual QString originDatabase(int column) const = 0;
    virtual QString originTable(int column) const = 0;
    virtual QString originColumn(int column) const = 0;
    virtual QString declaredType(int column) const = 0;
    // The value of a column of the current row: integers as int when they fit, else qlonglong;
    // reals as double, text as QString, blobs as QByteArray, NULL as Null.
    virtual QVariant value(int column) const = 0;
    // The same value into a cell (text and blobs into the arena): the row store's hot path.
    virtual void readCell(Cell &cell, int column, ByteArena &arena) const = 0;
    virtual int parameterCount() const = 0;
    virtual bool isReadOnly() const = 0;
    // The text as prepared (with '?' placeholders), and with the bound values written in as
    // literals (empty when it cannot be made): what Requery runs again.
    virtual QString text() const = 0;
    virtual QString textWithValues() const = 0;
};

class Backend
{
public:
    enum class Kind { SQLite, PostgreSQL };

    virtual ~Backend() = default;
    virtual Kind kind() const = 0;

    // The T-SQL text of the module in this database's dialect (raises RuntimeError).
    virtual QString rewrite(const QString &tsql) const = 0;
    // What prepare found: the statement is returned for Ok and MoreThanOne (the text holds
    // more than one statement: the caller refuses it), null otherwise (Failed: lastError).
    enum class Prepared { Ok, MoreThanOne, Empty, Failed };
    virtual std::unique_ptr<BackendStatement> prepare(const QString &sql, Prepared &outcome) = 0;
    // Runs one of the layer's own statements (BEGIN, COMMIT, SAVEPOINT...): false on failure.
    // A server may queue BEGIN and SAVEPOINT (see enqueue); COMMIT, RELEASE and the rollbacks
    // wait for their answer, and with it for the queue's.
    virtual bool begin() = 0;
    virtual bool commit() = 0;
    virtual bool rollback() = 0;
    // Savepoints; outside a transaction the first one opens it and its release commits.
    virtual bool savepoint(const QByteArray &name) = 0;
    virtual bool release(const QByteArray &name) = 0;
    virtual bool rollbackTo(const QByteArray &name) = 0;
    virtual TransactionState transactionState() const = 0;

    // Statements sent without waiting for their answer (a server): inside a transaction a
    // statement that returns no rows can be queued; the queue goes to the server with the next
    // call that waits for an answer, in the same round trip, and is answered first. A queued
    // statement that fails makes that call fail with its error (lastError), the commands after
    // it in the queue not run; takeQueuedFailure then gives the tag it was queued with (0 for
    // the backend's own commands). A file database runs everything at once: queues() is false.
    virtual bool queues() const { return false; }
    virtual bool enqueue(const QString &sql, quint64 tag)
    {
        Q_UNUSED(sql)
        Q_UNUSED(tag)
        return false;
    }
    // Commands queued and not yet answered.
    virtual int queued() const { return 0; }
    virtual bool hasQueuedFailure() const { return false; }
    virtual quint64 takeQueuedFailure() { return 0; }

    // Rows changed by the last INSERT, UPDATE or DELETE, and by every one so far.
    virtual long long changes() const = 0;
    virtual long long totalChanges() const = 0;

    virtual BackendError lastError() const = 0;
    // The primary-key columns of a table (empty when it has none).
    virtual QStringList primaryKey(const QString &database, const QString &table) = 0;

    // How UpdateBatch finds a row again: the row's physical locator column and the NULL-safe
    // comparison. A new row is found by lastInsertLocator, or (insertReturnsRow) by what the
    // INSERT itself returns (RETURNING).
    virtual QString rowLocator() const = 0;
    virtual QString nullSafeEquals() const = 0;
    virtual bool insertReturnsRow() const = 0;
    virtual QVariant lastInsertLocator() const = 0;

    // Messages sent to the server and answered (0 for a file database).
    virtual quint64 roundTrips() const { return 0; }
    // The SQLite handle, for the engine's schema code and the tests (null for a server).
    virtual sqlite3 *sqliteHandle() const { return nullptr; }
    // The libpq connection of a server, for the tests' raw reads (null for a file).
    virtual pg_conn *postgresHandle() const { return nullptr; }
};

// Opens the SQLite file at `path`; null with `error` set when it cannot.
std::unique_ptr<Backend> openSqliteBackend(const QString &path, BackendError &error);
// Opens a connection to a PostgreSQL server; null with `error` set when it cannot.
std::unique_ptr<Backend> openPostgresBackend(const QString &uri, BackendError &error);
// True for a libpq URI ("postgresql://" or "postgres://").
bool isPostgresUri(const QString &text);

} // namespace ado
