#pragma once
// The database connection the module opens: an SQLite file (the stand-in server) or a
// PostgreSQL server, through the backend seam of backend.h.
//
// Open takes a connection string: "Data Source=PATH" names a database file; a libpq URI
// ("postgresql://..." or "postgres://...", alone or as the value of "Data Source=") names a
// server database. On a file, the server functions of the engine are registered on every
// connection, with a busy timeout so that a second writer waits; on a server, a lock is waited
// for as long (lock_timeout). Every text sent through Execute, Command or Recordset is
// rewritten from T-SQL first, into the backend's dialect. BeginTrans starts a write
// transaction at once on a file (BEGIN IMMEDIATE); on a server it opens a read-committed
// transaction that goes to the server with its first statement (see backend.h, begin).
// When the database rolls a transaction back by itself after an error (disk full, I/O), the
// connection notices it: later statements of that "transaction" are refused instead of
// running one by one in autocommit, and RollbackTrans then succeeds quietly. A statement that
// fails inside a transaction leaves it open for the caller to roll back; on a server the
// transaction can then only be rolled back (the server refuses anything else in it), and the
// connection treats it as lost the same way.
//
// Choices of this layer:
// - Transactions nest, as with providers that support nested transactions: the outermost
//   BeginTrans opens the database transaction, each inner one a savepoint, and BeginTrans
//   returns the new level. CommitTrans of an inner level releases its savepoint (nothing is
//   durable before the outermost commit); RollbackTrans of an inner level undoes that level
//   only. CommitTrans and RollbackTrans without an open transaction raise
//   adErrIllegalOperation.
// - Row sets written inside a transaction (UpdateBatch) register what they changed in memory:
//   when that level is rolled back, their rows get back the values and pending state they had
//   before the write, so a caller that rolls back can simply try again.
// - Foreign keys are enforced (PRAGMA foreign_keys = ON on a file), as the server enforces
//   them; synchronous = FULL.
// - Errors keeps the provider errors of the last failing call: the database's refusals, the
//   rewriter's, a database that cannot be opened, a statement refused because the database
//   rolled the transaction back. Misuse of the objects (closed connection, bad arguments)
//   raises without touching Errors, as ADO's own errors do. A server's errors carry their
//   SQLSTATE; both backends raise the same numbers for the same kind of failure.
// - CommandTimeout is kept for callers; statements are not cut short (waiting for another
//   writer is bounded by the busy or lock timeout).
// - One text is one statement: a text holding more than one is refused.

#include "ado/backend.h"
#include "ado/constants.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3;

namespace ado {

class Recordset;
class Statement;

// One provider error, as ADO's Errors collection keeps it.
struct ProviderError
{
    long number = 0;
    QString description;
    QString source;
    QString sqlState;
    long nativeError = 0;
};

class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString ConnectionString() const;
    void setConnectionString(const QString &text);
    // Opens the file named by "Data Source=" or the server named by a libpq URI (an empty
    // argument uses ConnectionString). A missing file is an error: the database must exist
    // (the engine creates it).
    void Open(const QString &connectionString = {}, const QString &userId = {},
              const QString &password = {}, long options = -1);
    void Close();
    ObjectState State() const;
    // Whether the connection string names a server (a libpq URI) rather than a file; known
    // before Open, and after a failed one.
    bool namesServer() const;

    // Runs one statement. With adCmdTextNoRecords (129) any rows are thrown away and nullptr
    // comes back; otherwise a Recordset (closed when the statement returns no rows).
    // With adExecuteNoRecords | adAsyncExecute inside a transaction, and no recordsAffected
    // asked for, a server gets the statement with the next call that waits for an answer (a
    // read, a commit, a rollback): Execute returns at once, and a failure of the statement is
    // raised by that call exactly as the statement would have raised it (its number, its text
    // in the description, the source ado.Connection; see failedStatement). A file runs it at
    // once.
    std::unique_ptr<Recordset> Execute(const QString &text, QVariant *recordsAffected = nullptr,
                                       long options = -1);

    // Returns the level of the transaction opened (1 for the outermost).
    long BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    int transactionLevel() const;

    // Provider errors of the last failing call; not cleared by successful calls.
    const std::vector<ProviderError> &Errors() const { return m_errors; }
    void clearErrors() { m_errors.clear(); }
    // Replaces Errors with warnings of a call that went through (UpdateBatch's conflicts).
    void reportWarnings(std::vector<ProviderError> warnings) { m_errors = std::move(warnings); }

    long CommandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(long seconds) { m_commandTimeout = seconds; }

    // ----- for the layer's own classes -----
    // The SQLite handle of a file database (null on a server or when closed).
    sqlite3 *handle() const { return m_backend ? m_backend->sqliteHandle() : nullptr; }
    // The backend of the open connection (null when closed).
    Backend *backend() const { return m_backend.get(); }
    // Which opening this is (a new number every Open): statements of an earlier one are stale.
    quint64 session() const { return m_session; }
    // Rewrites the T-SQL text into the backend's dialect and prepares it. Raises on an
    // unsupported construct, a text holding more than one statement or a statement the
    // database refuses. `source` is the source of
    // the errors raised here and later by the statement ("ado.Command", "ado.Recordset").
    std::unique_ptr<Statement> prepare(const QString &tsql,
                                       const QString &source = QStringLiteral("ado.Connection"));
    // Prepares a text already in the backend's dialect (the layer's own statements).
    std::unique_ptr<Statement> prepareNative(const QString &sql, const QString &source);
    // Raises the backend's error of the last call as a RuntimeError (and records it in
    // Errors); checks whether the database ended an open transaction by itself. `context` is the statement's
    // text or the operation that failed: its first line goes into the description.
    [[noreturn]] void raiseLastError(const QString &context,
                                     const QString &source = QStringLiteral("ado.Connection"));
    // Called by Statement before each first step: refuses statements of a transaction that
    // the database has already rolled back.
    void checkTransactionAlive();
    // Statements run so far on this connection (tests count queries with it): every first
    // step after a prepare or reset, and every statement queued. The layer's own
    // BEGIN/COMMIT/ROLLBACK are not counted.
    quint64 statementsRun() const { return m_statementsRun; }
    // When the last error raised was that of a statement queued by Execute (adAsyncExecute):
    // its number in statementsRun (the count just after it was queued); 0 otherwise. Lets a
    // caller that queued several statements say which one failed.
    quint64 failedStatement() const { return m_failedStatement; }
    void noteStatementRun() { ++m_statementsRun; }
    // Texts prepared so far (a prepared Command prepares once however often it runs).
    quint64 statementsPrepared() const { return m_statementsPrepared; }
    // Messages sent to a server and answered so far on this opening (0 on a file).
    quint64 roundTrips() const { return m_backend ? m_backend->roundTrips() : 0; }
    // Rows changed by the last INSERT, UPDATE or DELETE; and the connection's total so far.
    long long backendChanges() const { return m_backend ? m_backend->changes() : 0; }
    long long totalChanges() const { return m_backend ? m_backend->totalChanges() : 0; }

    // A savepoint of the layer's own (UpdateBatch); outside a transaction the savepoint opens
    // one, and its release commits it. Errors raise with `source`.
    void savepoint(const QByteArray &name, const QString &source);
    void releaseSavepoint(const QByteArray &name, const QString &source);
    // Undoes and ends the savepoint; quiet (it runs while an error is on its way), and
    // nothing to do when the database already rolled the whole transaction back.
    void abandonSavepoint(const QByteArray &name) noexcept;

    // Whether Execute options ask to throw rows away (adExecuteNoRecords); raises
    // adErrInvalidArgument for options other than text commands.
    static bool noRecordsRequested(long options, const QString &source);

    // Registers an undo of in-memory state to run if the transaction level open now is rolled
    // back (outside a transaction nothing is kept). Undos run newest first; the outermost
    // commit drops them, an inner commit hands them to the enclosing level.
    void onRollback(std::function<void()> undo);

    // Recordsets opened on this connection register so that Close closes them.
    void attach(Recordset *rs);
    void detach(Recordset *rs);

private:
    // Records a provider error in Errors (replacing the previous ones) and raises it.
    [[noreturn]] void fail(long number, const QString &description, const QString &source,
                           const QString &sqlState = {}, long nativeError = 0);
    void requireOpen(const char *operation) const;
    // After an error: a transaction the database rolled back by itself (or can only roll
    // back) is marked lost.
    bool noticeLostTransaction();
    // Raises the backend's error unless `ok` (the result of one of its own statements).
    void check(bool ok, const QString &what, const QString &source);
    // The text in the backend's dialect (each text rewritten once).
    QString nativeText(const QString &tsql, const QString &source);
    // Queues a statement (Execute with adAsyncExecute).
    void enqueue(const QString &tsql);
    // Raises the failure of a queued statement that a call met, if there is one.
    void raiseQueuedFailure();
    // A text with nothing to run (only blanks or comments).
    [[noreturn]] static void raiseNoStatement(const QString &tsql, const QString &source);
    void closeRecordsets();
    void runUndos(std::size_t fromLevel);
    void closeHandle();

    QString m_connectionString;
    std::unique_ptr<Backend> m_backend;
    quint64 m_session = 0;
    int m_transactionLevel = 0;
    bool m_transactionLost = false;
    long m_commandTimeout = 30;
    quint64 m_statementsRun = 0;
    quint64 m_statementsPrepared = 0;
    std::vector<ProviderError> m_errors;
    std::vector<Recordset *> m_recordsets;
    QHash<QString, QString> m_rewritten; // T-SQL text -> the backend's text
    // The statements queued and not yet answered, by their number in statementsRun.
    struct Queued
    {
        quint64 number;
        QString text;
    };
    std::vector<Queued> m_queued;
    quint64 m_failedStatement = 0;
    // Per open transaction level (index 0 = outermost): the in-memory undos of that level.
    std::vector<std::vector<std::function<void()>>> m_undos;
};

// The path named by "Data Source=" in a connection string (empty when none).
QString dataSourceOf(const QString &connectionString);

} // namespace ado
