// The PostgreSQL backend: a libpq connection to a server. Statements are prepared on the server
// (PQprepare, '?' numbered as $1..$n) with their first run, in the same round trip, and run
// with their values in text form; a run's rows come back whole and are read row by row from its
// result. Every call goes through libpq's pipeline mode: the commands a call needs, after the
// ones queued before it (statements that return no rows, sent without waiting), then one sync;
// each such exchange counts as one round trip.

#include "ado/backend.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/pg_sql.h"
#include "ado/tsql_rewriter.h"
#include "ado/vb.h"

#include <libpq-fe.h>

#include <QHash>
#include <QRegularExpression>

#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace ado {

namespace {

// How long a statement waits for another session's lock before it reports the database as in
// use: the wait a file database gets too.
constexpr const char *SessionSettings =
    "SET DateStyle = ISO, YMD; SET IntervalStyle = iso_8601; SET client_encoding = 'UTF8'; "
    "SET lock_timeout = 5000";
// Statements whose names wait to be dropped on the server before they are dropped together.
constexpr std::size_t RetiredKept = 32;
// Prepared statements no longer in use that are kept on the server for their text: the module
// runs the same texts again (a code's fingerprint when it is shown, saved and saved again), and
// the server then neither parses nor plans them again.
constexpr std::size_t IdleKept = 64;

struct ResultDeleter
{
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

struct TableInfo
{
    QString schema;
    QString name;
    QHash<int, QString> columns; // attribute number -> name
};

// What the backend and its statements share: the connection, its counters and caches, and the
// queue of commands sent without waiting. A statement may outlive the backend (a command kept
// by the module): it then finds no connection and does nothing.
struct Session
{
    PGconn *conn = nullptr;
    quint64 roundTrips = 0;
    quint64 nextStatement = 0;
    long long lastChanges = 0;
    long long totalChanges = 0;
    BackendError error;
    std::map<unsigned, TableInfo> tables;
    std::vector<QByteArray> retired;
    std::vector<std::pair<QByteArray, QByteArray>> idle; // text -> name, the latest last
    std::vector<quint64> queue;           // tags of the commands sent and not yet answered
    std::optional<quint64> queuedFailure; // tag of the queued command that failed

    ~Session() { close(); }
    void close()
    {
        if (conn)
            PQfinish(conn);
        conn = nullptr;
        queue.clear();
    }

    // Keeps the error of a failed call: the result's own fields, or the connection's message
    // when there is no result (the connection is lost: SQLSTATE 08006).
    void fail(const PGresult *result)
    {
        QByteArray state = result ? QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE))
                                  : QByteArray();
        QString message = result ? QString::fromUtf8(
                              PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY))
                                 : QString();
        if (message.isEmpty())
            message = conn ? QString::fromUtf8(PQerrorMessage(conn)).trimmed()
                           : QStringLiteral("the connection is closed");
        if (state.isEmpty())
            state = !conn || PQstatus(conn) == CONNECTION_BAD ? "08006" : "XX000";
        error = BackendError{pg::errorNumberOf(state), message, QString::fromLatin1(state),
                             pg::packedSqlState(state)};
    }
    void failWith(long number, const QString &message, const QByteArray &state)
    {
        error = BackendError{number, message, QString::fromLatin1(state),
                             pg::packedSqlState(state)};
    }

    bool inPipeline() const { return conn && PQpipelineStatus(conn) != PQ_PIPELINE_OFF; }
    bool enterPipeline()
    {
        if (inPipeline() || PQenterPipelineMode(conn) == 1)
            return true;
        fail(nullptr);
        return false;
    }

    // Sends a command that returns no rows without waiting for its answer; its placeholders,
    // if any, bind NULL (as unbound ones do in a prepared statement).
    bool enqueue(const QByteArray &sql, quint64 tag, int parameters = 0)
    {
        if (!conn) {
            fail(nullptr);
            return false;
        }
        if (!enterPipeline())
            return false;
        const std::vector<const char *> nulls(size_t(parameters), nullptr);
        if (PQsendQueryParams(conn, sql.constData(), parameters, nullptr, nulls.data(), nullptr,
                              nullptr, 0)
            != 1) {
            fail(nullptr);
            return false;
        }
        queue.push_back(tag);
        return true;
    }

    std::optional<std::vector<Result>> roundTrip(const std::function<bool()> &send,
                                                 std::size_t commands);
    std::vector<Result> readUntilSync();

    // Runs one of the layer's own statements (no rows, no parameters).
    bool exec(const QByteArray &sql)
    {
        const auto results = roundTrip(
            [&] {
                return PQsendQueryParams(conn, sql.constData(), 0, nullptr, nullptr, nullptr,
                                         nullptr, 0)
                       == 1;
            },
            1);
        if (!results)
            return false;
        const ExecStatusType status = PQresultStatus(results->front().get());
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return true;
        fail(results->front().get());
        return false;
    }
    // The same for a command that a failing queued statement kept from running (a rollback
    // must happen whatever was queued before it): it is sent again on its own.
    bool execAfterQueue(const QByteArray &sql)
    {
        const bool queueFailed = !queue.empty();
        if (exec(sql))
            return true;
        return queueFailed && queuedFailure && exec(sql);
    }
    // A catalog query with text parameters; null on failure (the caller then knows nothing).
    Result query(const char *sql, const std::vector<QByteArray> &parameters)
    {
        std::vector<const char *> values;
        for (const QByteArray &p : parameters)
            values.push_back(p.constData());
        auto results = roundTrip(
            [&] {
                return PQsendQueryParams(conn, sql, int(values.size()), nullptr, values.data(),
                                         nullptr, nullptr, 0)
                       == 1;
            },
            1);
        if (!results || PQresultStatus(results->front().get()) != PGRES_TUPLES_OK)
            return nullptr;
        return std::move(results->front());
    }

    // Drops the retired statements on the server once enough have gathered, when nothing is
    // queued and the transaction accepts commands.
    void dropRetired()
    {
        if (retired.size() < RetiredKept || !conn || inPipeline()
            || PQtransactionStatus(conn) == PQTRANS_INERROR)
            return;
        QByteArray sql;
        for (const QByteArray &name : retired)
            sql += "DEALLOCATE " + name + ";";
        retired.clear();
        ++roundTrips;
        const Result result(PQexec(conn, sql.constData())); // a failed clean-up is no error
    }

    // Counts the rows an INSERT, UPDATE, DELETE or MERGE changed.
    void noteChanges(const PGresult *result)
    {
        const QByteArray tag(PQcmdStatus(const_cast<PGresult *>(result)));
        if (tag.startsWith("INSERT") || tag.startsWith("UPDATE") || tag.startsWith("DELETE")
            || tag.startsWith("MERGE")) {
            lastChanges = QByteArray(PQcmdTuples(const_cast<PGresult *>(result))).toLongLong();
            totalChanges += lastChanges;
        }
    }

    const TableInfo *table(unsigned oid);

    // The name of an idle prepared statement of this text, taken out of the idle ones (empty
    // when there is none).
    QByteArray takeIdle(const QByteArray &text)
    {
        for (auto it = idle.rbegin(); it != idle.rend(); ++it) {
            if (it->first == text) {
                QByteArray name = std::move(it->second);
                idle.erase(std::next(it).base());
                return name;
            }
        }
        return {};
    }
    // Keeps a prepared statement for its text; the oldest idle one is dropped beyond the limit.
    void keepIdle(const QByteArray &text, const QByteArray &name)
    {
        idle.emplace_back(text, name);
        if (idle.size() > IdleKept) {
            retired.push_back(std::move(idle.front().second));
            idle.erase(idle.begin());
        }
    }
};

// Reads every answer up to the sync: one result per command (the first, when a command gives
// more), in order. Stops early when the connection is lost (two ends in a row, no sync).
std::vector<Result> Session::readUntilSync()
{
    std::vector<Result> results;
    Result current;
    for (int ends = 0; ends < 2;) {
        PGresult *raw = PQgetResult(conn);
        if (!raw) {
            if (current)
                results.push_back(std::move(current));
            ++ends;
            continue;
        }
        ends = 0;
        if (PQresultStatus(raw) == PGRES_PIPELINE_SYNC) {
            PQclear(raw);
            break;
        }
        if (current)
            PQclear(raw);
        else
            current.reset(raw);
    }
    return results;
}

// One round trip: what `send` sends (`commands` commands) after the queue, then a sync; the
// answers of the queue are checked first. Returns the results of the caller's commands, or
// nothing when the exchange failed (error set; queuedFailure set when a queued command failed:
// the caller's commands did not run).
std::optional<std::vector<Result>> Session::roundTrip(const std::function<bool()> &send,
                                                      std::size_t commands)
{
    if (!conn) {
        fail(nullptr);
        return std::nullopt;
    }
    if (queue.empty())
        dropRetired();
    if (!enterPipeline())
        return std::nullopt;
    const std::vector<quint64> waiting = std::move(queue);
    queue.clear();
    const bool sent = send();
    const QString sendError = sent ? QString() : QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    const bool synced = PQpipelineSync(conn) == 1;
    ++roundTrips;
    std::vector<Result> results = synced ? readUntilSync() : std::vector<Result>();
    PQexitPipelineMode(conn);
    for (std::size_t i = 0; i < waiting.size(); ++i) {
        if (i >= results.size()) {
            fail(nullptr);
            queuedFailure = waiting[i];
            return std::nullopt;
        }
        const ExecStatusType status = PQresultStatus(results[i].get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            fail(results[i].get());
            queuedFailure = waiting[i];
            return std::nullopt;
        }
        noteChanges(results[i].get());
    }
    if (!sent) {
        failWith(adErrProviderFailed, sendError, "08006");
        return std::nullopt;
    }
    if (results.size() < waiting.size() + commands) {
        fail(nullptr);
        return std::nullopt;
    }
    results.erase(results.begin(), results.begin() + std::ptrdiff_t(waiting.size()));
    return results;
}

const TableInfo *Session::table(unsigned oid)
{
    if (oid == 0)
        return nullptr;
    if (const auto it = tables.find(oid); it != tables.end())
        return &it->second;
    if (!conn)
        return nullptr;
    const Result result = query(
        "SELECT n.nspname, c.relname, a.attnum, a.attname FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 "
        "AND NOT a.attisdropped WHERE c.oid = $1::oid",
        {QByteArray::number(oid)});
    if (!result || PQntuples(result.get()) == 0)
        return nullptr;
    TableInfo info;
    info.schema = QString::fromUtf8(PQgetvalue(result.get(), 0, 0));
    info.name = QString::fromUtf8(PQgetvalue(result.get(), 0, 1));
    for (int r = 0; r < PQntuples(result.get()); ++r)
        info.columns.insert(QByteArray(PQgetvalue(result.get(), r, 2)).toInt(),
                            QString::fromUtf8(PQgetvalue(result.get(), r, 3)));
    return &tables.emplace(oid, std::move(info)).first->second;
}

// Whether a statement only reads: its first word.
bool readsOnly(const QString &sql)
{
    const QString text = sql.trimmed();
    const QString first = text.section(QRegularExpression(QStringLiteral("[^A-Za-z]")), 0, 0,
                                       QString::SectionSkipEmpty)
                              .toUpper();
    if (first == QLatin1String("SELECT") || first == QLatin1String("VALUES")
        || first == QLatin1String("SHOW") || first == QLatin1String("TABLE"))
        return true;
    if (first != QLatin1String("WITH"))
        return false;
    static const QRegularExpression writes(QStringLiteral("\\b(INSERT|UPDATE|DELETE|MERGE)\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    return !writes.match(text).hasMatch();
}

class PgStatement final : public BackendStatement
{
public:
    // `parsed`: the server holds a statement of this text under `name` already.
    PgStatement(std::shared_ptr<Session> session, QByteArray name, QString text,
                QByteArray numbered, int parameters, bool parsed)
        : m_session(std::move(session))
        , m_name(std::move(name))
        , m_text(std::move(text))
        , m_numbered(std::move(numbered))
        , m_parsed(parsed)
        , m_values(size_t(parameters))
        , m_readOnly(readsOnly(m_text))
    {}
    ~PgStatement() override
    {
        if (m_session->conn && m_parsed)
            m_session->keepIdle(m_numbered, m_name);
    }

    bool bind(int position, const QVariant &value) override
    {
        if (position < 1 || position > int(m_values.size())) {
            m_session->failWith(adErrSqlError,
                                QStringLiteral("parameter %1 out of range (the statement has %2)")
                                    .arg(position)
                                    .arg(m_values.size()),
                                "07009");
            return false;
        }
        m_values[size_t(position - 1)] = Bound{pg::parameterText(value), value};
        return true;
    }
    void clearBindings() override { std::fill(m_values.begin(), m_values.end(), Bound{}); }
    Step step() override;
    void reset() override
    {
        m_result.reset();
        m_row = -1;
    }

    int columnCount() const override { return PQnfields(shape()); }
    QString columnName(int column) const override
    {
        return QString::fromUtf8(PQfname(shape(), column));
    }
    QString writtenName(int column) const override
    {
        if (!m_written)
            m_written = pg::writtenNames(m_text);
        return pg::columnNameAsWritten(columnName(column), *m_written);
    }
    QString originDatabase(int column) const override
    {
        const TableInfo *t = m_session->table(PQftable(shape(), column));
        return t ? t->schema : QString();
    }
    QString originTable(int column) const override
    {
        const TableInfo *t = m_session->table(PQftable(shape(), column));
        return t ? t->name : QString();
    }
    QString originColumn(int column) const override
    {
        const TableInfo *t = m_session->table(PQftable(shape(), column));
        return t ? t->columns.value(PQftablecol(shape(), column)) : QString();
    }
    QString declaredType(int column) const override
    {
        return pg::declaredTypeName(PQftype(shape(), column), PQfmod(shape(), column));
    }
    QVariant value(int column) const override;
    void readCell(Cell &cell, int column, ByteArena &arena) const override;
    int parameterCount() const override { return int(m_values.size()); }
    bool isReadOnly() const override { return m_readOnly; }
    QString text() const override { return m_text; }
    QString textWithValues() const override
    {
        return pg::replacePlaceholders(m_text, [this](int n) {
            const Bound &b = m_values[size_t(n - 1)];
            return pg::literal(b.text, b.value);
        });
    }

private:
    struct Bound
    {
        std::optional<QByteArray> text;
        QVariant value;
    };

    // The result that describes the columns: the run's, or the prepared statement's
    // description (asked for once, before a run).
    const PGresult *shape() const;
    // Sends the statement's preparation, unless the server has it already, then what `then`
    // sends; true when both were sent. The preparation's answer comes first (see parsed).
    bool sendWithPreparation(const std::function<bool()> &then) const
    {
        PGconn *conn = m_session->conn;
        return (m_parsed
                || PQsendPrepare(conn, m_name.constData(), m_numbered.constData(), 0, nullptr) == 1)
               && then();
    }
    // Reads the preparation's answer off the front of `results` (when it was sent): false, with
    // the error kept, when the server refused the text.
    bool parsed(std::vector<Result> &results) const
    {
        if (m_parsed)
            return true;
        if (PQresultStatus(results.front().get()) != PGRES_COMMAND_OK) {
            m_session->fail(results.front().get());
            return false;
        }
        results.erase(results.begin());
        m_parsed = true;
        return true;
    }
    pg::Decoded decoded(int column, QByteArray &storage) const
    {
        const PGresult *r = m_result.get();
        if (PQgetisnull(r, m_row, column))
            return {};
        return pg::decode(PQftype(r, column), PQgetvalue(r, m_row, column),
                          size_t(PQgetlength(r, m_row, column)), storage);
    }

    std::shared_ptr<Session> m_session;
    QByteArray m_name;
    QString m_text;                // with '?' placeholders
    QByteArray m_numbered;         // with $1..$n, as the server prepares it
    mutable bool m_parsed = false; // the server holds the prepared statement
    std::vector<Bound> m_values;
    bool m_readOnly;
    Result m_result;
    mutable Result m_description;
    mutable std::optional<QHash<QString, QString>> m_written; // names as the text writes them
    int m_row = -1;
};

const PGresult *PgStatement::shape() const
{
    if (m_result)
        return m_result.get();
    if (!m_description && m_session->conn) {
        const std::size_t commands = m_parsed ? 1 : 2;
        auto results = m_session->roundTrip(
            [this] {
                return sendWithPreparation([this] {
                    return PQsendDescribePrepared(m_session->conn, m_name.constData()) == 1;
                });
            },
            commands);
        if (results && parsed(*results))
            m_description = std::move(results->front());
    }
    return m_description.get();
}

BackendStatement::Step PgStatement::step()
{
    if (!m_result) {
        Session &s = *m_session;
        std::vector<const char *> values;
        values.reserve(m_values.size());
        for (const Bound &b : m_values)
            values.push_back(b.text ? b.text->constData() : nullptr);
        const std::size_t commands = m_parsed ? 1 : 2;
        auto results = s.roundTrip(
            [&] {
                return sendWithPreparation([&] {
                    return PQsendQueryPrepared(s.conn, m_name.constData(), int(values.size()),
                                               values.data(), nullptr, nullptr, 0)
                           == 1;
                });
            },
            commands);
        if (!results || !parsed(*results))
            return Step::Failed;
        Result &result = results->front();
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            s.fail(result.get());
            // A table changed under the kept statement (its columns): the text is prepared
            // anew, and run again at once unless the failure spoiled a transaction.
            if (s.error.sqlState == QLatin1String("0A000")) {
                s.retired.push_back(m_name);
                m_name = "ado_" + QByteArray::number(++s.nextStatement);
                m_parsed = false;
                if (PQtransactionStatus(s.conn) == PQTRANS_IDLE)
                    return step();
            }
            return Step::Failed;
        }
        s.noteChanges(result.get());
        m_result = std::move(result);
        m_row = -1;
    }
    if (++m_row < PQntuples(m_result.get()))
        return Step::Row;
    // The run is over; the next step runs the statement again, as on a file. Its result still
    // describes the columns.
    if (!m_description)
        m_description = std::move(m_result);
    m_result.reset();
    m_row = -1;
    return Step::Done;
}

QVariant PgStatement::value(int column) const
{
    QByteArray storage;
    const pg::Decoded d = decoded(column, storage);
    switch (d.kind) {
    case Cell::Integer:
        if (d.integer >= std::numeric_limits<int>::min()
            && d.integer <= std::numeric_limits<int>::max())
            return QVariant(int(d.integer));
        return QVariant(qlonglong(d.integer));
    case Cell::Real:
        return QVariant(d.real);
    case Cell::Text:
        return QVariant(QString::fromUtf8(d.bytes, qsizetype(d.size)));
    case Cell::Blob:
        return QVariant(QByteArray(d.bytes, qsizetype(d.size)));
    case Cell::NullValue:
        break;
    }
    return Null();
}

void PgStatement::readCell(Cell &cell, int column, ByteArena &arena) const
{
    QByteArray storage;
    const pg::Decoded d = decoded(column, storage);
    cell.kind = d.kind;
    switch (d.kind) {
    case Cell::Integer:
        cell.integer = d.integer;
        break;
    case Cell::Real:
        cell.real = d.real;
        break;
    case Cell::Text:
    case Cell::Blob:
        cell.size = quint32(d.size);
        cell.bytes = arena.keep(d.bytes, d.size);
        break;
    case Cell::NullValue:
        break;
    }
}

class PgBackend final : public Backend
{
public:
    explicit PgBackend(std::shared_ptr<Session> session) : m_session(std::move(session)) {}
    ~PgBackend() override { m_session->close(); } // the server rolls back what is open

    Kind kind() const override { return Kind::PostgreSQL; }
    // The one place the T-SQL texts are turned into this backend's dialect.
    QString rewrite(const QString &tsql) const override
    {
        return rewriteTsql(tsql, SqlDialect::Postgres);
    }
    std::unique_ptr<BackendStatement> prepare(const QString &sql, Prepared &outcome) override;

    // The save's transaction needs read committed, whatever the server's default: each
    // statement sees what was committed before it started. The save first locks the code's
    // header row (FOR UPDATE: a second program saving the same code waits there) and only then
    // reads the fingerprint, in a later statement, which therefore sees what the first program
    // committed and leads to the conflict question. A snapshot taken at the transaction's first
    // statement (repeatable read, serializable) would hide that commit and end the wait in a
    // serialization failure instead; codes other than the locked one are never waited for.
    // BEGIN is queued: it goes to the server with the transaction's first statement.
    bool begin() override { return m_session->enqueue("BEGIN ISOLATION LEVEL READ COMMITTED", 0); }
    bool commit() override { return m_session->exec("COMMIT"); }
    bool rollback() override
    {
        m_implicit.clear();
        const bool done = m_session->execAfterQueue("ROLLBACK");
        m_session->queuedFailure.reset(); // what was queued is undone with the rest
        return done;
    }
    // A savepoint is queued with what follows it; outside a transaction it opens one, which
    // its release commits.
    bool savepoint(const QByteArray &name) override
    {
        if (transactionState() == TransactionState::None) {
            if (!m_session->enqueue("BEGIN ISOLATION LEVEL READ COMMITTED", 0))
                return false;
            m_implicit.push_back(name);
        }
        return m_session->enqueue("SAVEPOINT " + name, 0);
    }
    bool release(const QByteArray &name) override
    {
        if (!m_implicit.empty() && m_implicit.back() == name) {
            m_implicit.pop_back();
            return m_session->exec("COMMIT");
        }
        return m_session->exec("RELEASE SAVEPOINT " + name);
    }
    bool rollbackTo(const QByteArray &name) override
    {
        if (!m_session->execAfterQueue("ROLLBACK TO SAVEPOINT " + name))
            return false;
        m_session->queuedFailure.reset(); // undone: what failed was after the savepoint
        return true;
    }
    TransactionState transactionState() const override
    {
        if (!m_session->conn)
            return TransactionState::None;
        if (!m_session->queue.empty())
            return TransactionState::Active; // only an open transaction queues
        switch (PQtransactionStatus(m_session->conn)) {
        case PQTRANS_INTRANS:
        case PQTRANS_ACTIVE:
            return TransactionState::Active;
        case PQTRANS_INERROR:
            return TransactionState::Failed;
        default:
            return TransactionState::None;
        }
    }

    bool queues() const override { return true; }
    bool enqueue(const QString &sql, quint64 tag) override
    {
        int parameters = 0;
        const QByteArray numbered = pg::numberPlaceholders(sql, &parameters).toUtf8();
        return m_session->enqueue(numbered, tag, parameters);
    }
    int queued() const override { return int(m_session->queue.size()); }
    bool hasQueuedFailure() const override { return m_session->queuedFailure.has_value(); }
    quint64 takeQueuedFailure() override
    {
        const quint64 tag = m_session->queuedFailure.value_or(0);
        m_session->queuedFailure.reset();
        return tag;
    }

    long long changes() const override { return m_session->lastChanges; }
    long long totalChanges() const override { return m_session->totalChanges; }
    BackendError lastError() const override { return m_session->error; }
    QStringList primaryKey(const QString &database, const QString &table) override;

    QString rowLocator() const override { return QStringLiteral("ctid"); }
    QString nullSafeEquals() const override { return QStringLiteral("IS NOT DISTINCT FROM"); }
    bool insertReturnsRow() const override { return true; }
    QVariant lastInsertLocator() const override { return {}; }
    quint64 roundTrips() const override { return m_session->roundTrips; }
    pg_conn *postgresHandle() const override { return m_session->conn; }

private:
    std::shared_ptr<Session> m_session;
    std::vector<QByteArray> m_implicit; // savepoints that opened their transaction
    QHash<QString, QStringList> m_keys; // "schema.table" -> primary key
};

std::unique_ptr<BackendStatement> PgBackend::prepare(const QString &sql, Prepared &outcome)
{
    Session &s = *m_session;
    outcome = Prepared::Empty;
    if (sql.trimmed().isEmpty())
        return nullptr;
    outcome = Prepared::Failed;
    if (!s.conn) {
        s.fail(nullptr);
        return nullptr;
    }
    int parameters = 0;
    QByteArray numbered = pg::numberPlaceholders(sql, &parameters).toUtf8();
    QByteArray name = s.takeIdle(numbered);
    const bool parsed = !name.isEmpty();
    if (!parsed)
        name = "ado_" + QByteArray::number(++s.nextStatement);
    outcome = Prepared::Ok; // the server sees a new text with its first run or description
    return std::make_unique<PgStatement>(m_session, std::move(name), sql, std::move(numbered),
                                         parameters, parsed);
}

QStringList PgBackend::primaryKey(const QString &database, const QString &table)
{
    const QString id = database + QLatin1Char('.') + table;
    if (const auto it = m_keys.constFind(id); it != m_keys.constEnd())
        return *it;
    QStringList key;
    if (!m_session->conn)
        return key;
    const Result result = m_session->query(
        "SELECT a.attname FROM pg_catalog.pg_index i "
        "JOIN pg_catalog.pg_class c ON c.oid = i.indrelid "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum = ANY (i.indkey) "
        "WHERE i.indisprimary AND n.nspname = $1 AND c.relname = $2 "
        "ORDER BY array_position(i.indkey::int2[], a.attnum)",
        {database.toUtf8(), table.toUtf8()});
    if (!result)
        return key;
    for (int r = 0; r < PQntuples(result.get()); ++r)
        key << QString::fromUtf8(PQgetvalue(result.get(), r, 0));
    m_keys.insert(id, key);
    return key;
}

// The password must not come with what the program was given: only PGPASSWORD or the
// password file supply it.
bool holdsPassword(const QByteArray &uri)
{
    char *message = nullptr;
    PQconninfoOption *options = PQconninfoParse(uri.constData(), &message);
    PQfreemem(message);
    if (!options)
        return false;
    bool found = false;
    for (PQconninfoOption *o = options; o->keyword; ++o) {
        if (qstrcmp(o->keyword, "password") == 0 && o->val && *o->val)
            found = true;
    }
    PQconninfoFree(options);
    return found;
}

} // namespace

std::unique_ptr<Backend> openPostgresBackend(const QString &uri, BackendError &error)
{
    const QByteArray text = uri.toUtf8();
    if (holdsPassword(text)) {
        error = BackendError{adErrProviderFailed,
                             QStringLiteral("the connection string holds a password; give it "
                                            "through PGPASSWORD or the password file instead"),
                             QStringLiteral("28000"), pg::packedSqlState("28000")};
        return nullptr;
    }
    auto session = std::make_shared<Session>();
    session->conn = PQconnectdb(text.constData());
    ++session->roundTrips;
    if (!session->conn || PQstatus(session->conn) != CONNECTION_OK) {
        const QString message = session->conn
                                    ? QString::fromUtf8(PQerrorMessage(session->conn)).trimmed()
                                    : QStringLiteral("out of memory");
        error = BackendError{adErrProviderFailed, message, QStringLiteral("08001"),
                             pg::packedSqlState("08001")};
        return nullptr;
    }
    // The server's notices (a savepoint name reused, a table created implicitly) are not the
    // user's business and must not reach the standard error of a window program.
    PQsetNoticeProcessor(
        session->conn, [](void *, const char *) {}, nullptr);
    ++session->roundTrips;
    const Result settings(PQexec(session->conn, SessionSettings));
    if (PQresultStatus(settings.get()) != PGRES_COMMAND_OK) {
        session->fail(settings.get());
        error = session->error;
        return nullptr;
    }
    return std::make_unique<PgBackend>(std::move(session));
}

} // namespace ado
