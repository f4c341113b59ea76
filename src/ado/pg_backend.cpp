// The PostgreSQL backend: a libpq connection to a server. Statements are prepared once on the
// server (PQprepare, '?' numbered as $1..$n) and run with their values in text form
// (PQexecPrepared); a run's rows come back whole and are read row by row from its result.
// Every call that waits for the server's answer counts as one round trip.

#include "ado/backend.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/pg_sql.h"
#include "ado/tsql_rewriter.h"
#include "ado/vb.h"

#include <libpq-fe.h>

#include <QHash>
#include <QRegularExpression>

#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace ado {

namespace {

// How long a statement waits for another session's lock before it reports the database as in
// use: the wait a file database gets too.
constexpr const char *kSessionSettings =
    "SET DateStyle = ISO, YMD; SET IntervalStyle = iso_8601; SET client_encoding = 'UTF8'; "
    "SET lock_timeout = 5000";
// Statements whose names wait to be dropped on the server before they are dropped together.
constexpr std::size_t kRetiredKept = 32;

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

// What the backend and its statements share: the connection, its counters and caches. A
// statement may outlive the backend (a command kept by the module): it then finds no
// connection and does nothing.
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

    ~Session() { close(); }
    void close()
    {
        if (conn)
            PQfinish(conn);
        conn = nullptr;
    }

    // Keeps the error of a failed call: the result's own fields, or the connection's message
    // when there is no result (the connection is lost: SQLSTATE 08006).
    void fail(const PGresult *result)
    {
        QByteArray state = result ? QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE))
                                  : QByteArray();
        QString message = result ? QString::fromUtf8(PQresultErrorField(result,
                                                                       PG_DIAG_MESSAGE_PRIMARY))
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

    // Runs the layer's own statements (no rows, no parameters).
    bool exec(const QByteArray &sql)
    {
        if (!conn) {
            fail(nullptr);
            return false;
        }
        ++roundTrips;
        const Result result(PQexec(conn, sql.constData()));
        if (PQresultStatus(result.get()) == PGRES_COMMAND_OK
            || PQresultStatus(result.get()) == PGRES_TUPLES_OK)
            return true;
        fail(result.get());
        return false;
    }

    // Drops the retired statements on the server once enough have gathered, when the
    // transaction accepts commands.
    void dropRetired()
    {
        if (retired.size() < kRetiredKept || !conn || PQtransactionStatus(conn) == PQTRANS_INERROR)
            return;
        QByteArray sql;
        for (const QByteArray &name : retired)
            sql += "DEALLOCATE " + name + ";";
        retired.clear();
        const BackendError kept = error;
        exec(sql);
        error = kept; // a failed clean-up is no error of the caller's
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
};

const TableInfo *Session::table(unsigned oid)
{
    if (oid == 0)
        return nullptr;
    if (const auto it = tables.find(oid); it != tables.end())
        return &it->second;
    if (!conn)
        return nullptr;
    const QByteArray id = QByteArray::number(oid);
    const char *values[] = {id.constData()};
    ++roundTrips;
    const Result result(PQexecParams(
        conn,
        "SELECT n.nspname, c.relname, a.attnum, a.attname FROM pg_catalog.pg_class c "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 "
        "AND NOT a.attisdropped WHERE c.oid = $1::oid",
        1, nullptr, values, nullptr, nullptr, 0));
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQntuples(result.get()) == 0)
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
                                        QString::SectionSkipEmpty).toUpper();
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
    PgStatement(std::shared_ptr<Session> session, QByteArray name, QString text, int parameters)
        : m_session(std::move(session)), m_name(std::move(name)), m_text(std::move(text)),
          m_values(size_t(parameters)), m_readOnly(readsOnly(m_text))
    {
    }
    ~PgStatement() override
    {
        if (m_session->conn)
            m_session->retired.push_back(m_name);
    }

    bool bind(int position, const QVariant &value) override
    {
        if (position < 1 || position > int(m_values.size())) {
            m_session->failWith(adErrSqlError,
                                QStringLiteral("parameter %1 out of range (the statement has %2)")
                                    .arg(position).arg(m_values.size()),
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
    QString m_text; // with '?' placeholders
    std::vector<Bound> m_values;
    bool m_readOnly;
    Result m_result;
    mutable Result m_description;
    int m_row = -1;
};

const PGresult *PgStatement::shape() const
{
    if (m_result)
        return m_result.get();
    if (!m_description && m_session->conn) {
        ++m_session->roundTrips;
        m_description.reset(PQdescribePrepared(m_session->conn, m_name.constData()));
    }
    return m_description.get();
}

BackendStatement::Step PgStatement::step()
{
    if (!m_result) {
        Session &s = *m_session;
        if (!s.conn) {
            s.fail(nullptr);
            return Step::Failed;
        }
        std::vector<const char *> values;
        values.reserve(m_values.size());
        for (const Bound &b : m_values)
            values.push_back(b.text ? b.text->constData() : nullptr);
        ++s.roundTrips;
        Result result(PQexecPrepared(s.conn, m_name.constData(), int(values.size()),
                                     values.data(), nullptr, nullptr, 0));
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            s.fail(result.get());
            return Step::Failed;
        }
        s.noteChanges(result.get());
        m_result = std::move(result);
        m_row = -1;
    }
    if (++m_row < PQntuples(m_result.get()))
        return Step::Row;
    // The run is over; the next step runs the statement again, as on a file.
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
    QString rewrite(const QString &tsql) const override { return rewriteTsql(tsql, SqlDialect::Postgres); }
    std::unique_ptr<BackendStatement> prepare(const QString &sql, Prepared &outcome) override;

    bool begin() override { return m_session->exec("BEGIN"); }
    bool commit() override { return m_session->exec("COMMIT"); }
    bool rollback() override
    {
        m_implicit.clear();
        return m_session->exec("ROLLBACK");
    }
    bool savepoint(const QByteArray &name) override
    {
        // Outside a transaction the server refuses a savepoint: the transaction opens with it.
        if (transactionState() == TransactionState::None) {
            if (!m_session->exec("BEGIN; SAVEPOINT " + name))
                return false;
            m_implicit.push_back(name);
            return true;
        }
        return m_session->exec("SAVEPOINT " + name);
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
        return m_session->exec("ROLLBACK TO SAVEPOINT " + name);
    }
    TransactionState transactionState() const override
    {
        if (!m_session->conn)
            return TransactionState::None;
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
    QHash<QString, QStringList> m_keys;  // "schema.table" -> primary key
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
    s.dropRetired();
    int parameters = 0;
    const QByteArray numbered = pg::numberPlaceholders(sql, &parameters).toUtf8();
    const QByteArray name = "ado_" + QByteArray::number(++s.nextStatement);
    ++s.roundTrips;
    const Result result(PQprepare(s.conn, name.constData(), numbered.constData(), 0, nullptr));
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
        s.fail(result.get());
        return nullptr;
    }
    outcome = Prepared::Ok;
    return std::make_unique<PgStatement>(m_session, name, sql, parameters);
}

QStringList PgBackend::primaryKey(const QString &database, const QString &table)
{
    const QString id = database + QLatin1Char('.') + table;
    if (const auto it = m_keys.constFind(id); it != m_keys.constEnd())
        return *it;
    QStringList key;
    if (!m_session->conn)
        return key;
    const QByteArray schema = database.toUtf8();
    const QByteArray name = table.toUtf8();
    const char *values[] = {schema.constData(), name.constData()};
    ++m_session->roundTrips;
    const Result result(PQexecParams(
        m_session->conn,
        "SELECT a.attname FROM pg_catalog.pg_index i "
        "JOIN pg_catalog.pg_class c ON c.oid = i.indrelid "
        "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum = ANY (i.indkey) "
        "WHERE i.indisprimary AND n.nspname = $1 AND c.relname = $2 "
        "ORDER BY array_position(i.indkey::int2[], a.attnum)",
        2, nullptr, values, nullptr, nullptr, 0));
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK)
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
    PQsetNoticeProcessor(session->conn, [](void *, const char *) {}, nullptr);
    if (!session->exec(kSessionSettings)) {
        error = session->error;
        return nullptr;
    }
    return std::make_unique<PgBackend>(std::move(session));
}

} // namespace ado
