// The SQLite backend: a database file opened with the server functions of the engine
// registered on it.

#include "ado/backend.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/tsql_rewriter.h"
#include "ado/vb.h"
#include "engine/server.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace ado {

namespace {

// How long a statement waits for another program's write to end before it reports the
// database as busy.
constexpr int BusyTimeoutMs = 5000;

// True when [p, end) holds only blanks, semicolons and comments: what SQLite may leave after
// the one statement of a text.
bool onlyBlanksLeft(const char *p, const char *end)
{
    while (p < end) {
        if (*p == ';' || *p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\f') {
            ++p;
        } else if (p + 1 < end && p[0] == '-' && p[1] == '-') {
            while (p < end && *p != '\n')
                ++p;
        } else if (p + 1 < end && p[0] == '/' && p[1] == '*') {
            const char *close = std::search(p + 2, end, "*/", "*/" + 2);
            p = close == end ? end : close + 2;
        } else {
            return false;
        }
    }
    return true;
}

class SqliteStatement final : public BackendStatement
{
public:
    explicit SqliteStatement(sqlite3_stmt *stmt) : m_stmt(stmt) {}
    // Only the statement is touched here: the connection may already be closed (a closed
    // connection stays allocated by SQLite until its last statement is finalized).
    ~SqliteStatement() override { sqlite3_finalize(m_stmt); }

    bool bind(int position, const QVariant &value) override;
    void clearBindings() override { sqlite3_clear_bindings(m_stmt); }

    Step step() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return Step::Row;
        if (rc == SQLITE_DONE)
            return Step::Done;
        // The reset ends the failed run; it leaves the error and its message on the connection.
        sqlite3_reset(m_stmt);
        return Step::Failed;
    }
    // A reset after a failed step returns that step's error again: it was reported already.
    void reset() override { sqlite3_reset(m_stmt); }

    int columnCount() const override { return sqlite3_column_count(m_stmt); }
    QString columnName(int column) const override
    {
        return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
    }
    QString originDatabase(int column) const override
    {
        return QString::fromUtf8(sqlite3_column_database_name(m_stmt, column));
    }
    QString originTable(int column) const override
    {
        return QString::fromUtf8(sqlite3_column_table_name(m_stmt, column));
    }
    QString originColumn(int column) const override
    {
        return QString::fromUtf8(sqlite3_column_origin_name(m_stmt, column));
    }
    QString declaredType(int column) const override
    {
        return QString::fromUtf8(sqlite3_column_decltype(m_stmt, column));
    }
    QVariant value(int column) const override;
    void readCell(Cell &cell, int column, ByteArena &arena) const override;
    int parameterCount() const override { return sqlite3_bind_parameter_count(m_stmt); }
    bool isReadOnly() const override { return sqlite3_stmt_readonly(m_stmt) != 0; }
    QString text() const override { return QString::fromUtf8(sqlite3_sql(m_stmt)); }
    QString textWithValues() const override
    {
        char *expanded = sqlite3_expanded_sql(m_stmt);
        const QString text = expanded ? QString::fromUtf8(expanded) : QString();
        sqlite3_free(expanded);
        return text;
    }

private:
    sqlite3_stmt *m_stmt;
};

bool SqliteStatement::bind(int position, const QVariant &value)
{
    int rc = SQLITE_OK;
    switch (boundKindOf(value)) {
    case BoundKind::Null:
        rc = sqlite3_bind_null(m_stmt, position);
        break;
    case BoundKind::Bool:
        rc = sqlite3_bind_int(m_stmt, position, value.toBool() ? 1 : 0);
        break;
    case BoundKind::Integer:
        rc = sqlite3_bind_int64(m_stmt, position, value.toLongLong());
        break;
    case BoundKind::Real:
        rc = sqlite3_bind_double(m_stmt, position, value.toDouble());
        break;
    case BoundKind::Bytes: {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(m_stmt, position, bytes.constData(), sqlite3_uint64(bytes.size()),
                                 SQLITE_TRANSIENT);
        break;
    }
    case BoundKind::Text: {
        const QString text = CStr(value);
        rc = sqlite3_bind_text16(m_stmt, position, text.utf16(), int(text.size() * 2),
                                 SQLITE_TRANSIENT);
        break;
    }
    }
    return rc == SQLITE_OK;
}

QVariant SqliteStatement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER: {
        const qint64 n = sqlite3_column_int64(m_stmt, column);
        if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
            return QVariant(int(n));
        return QVariant(qlonglong(n));
    }
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT: {
        const auto *text = static_cast<const char16_t *>(sqlite3_column_text16(m_stmt, column));
        const int bytes = sqlite3_column_bytes16(m_stmt, column);
        return QVariant(QString::fromUtf16(text, bytes / 2));
    }
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_stmt, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(m_stmt, column)));
    }
    default:
        return Null();
    }
}

// Each value is read through its sqlite3_value: one call that takes the connection's mutex per
// value instead of one per question (type, then value). The connection is used from one
// thread, so the values need no protection of their own.
void SqliteStatement::readCell(Cell &cell, int column, ByteArena &arena) const
{
    sqlite3_value *value = sqlite3_column_value(m_stmt, column);
    const int type = sqlite3_value_type(value);
    switch (type) {
    case SQLITE_INTEGER:
        cell.kind = Cell::Integer;
        cell.integer = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT:
        cell.kind = Cell::Real;
        cell.real = sqlite3_value_double(value);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const char *data = type == SQLITE_TEXT
                               ? reinterpret_cast<const char *>(sqlite3_value_text(value))
                               : static_cast<const char *>(sqlite3_value_blob(value));
        cell.kind = type == SQLITE_TEXT ? Cell::Text : Cell::Blob;
        cell.size = quint32(sqlite3_value_bytes(value));
        cell.bytes = arena.keep(data, cell.size);
        break;
    }
    default:
        cell.kind = Cell::NullValue;
        break;
    }
}

class SqliteBackend final : public Backend
{
public:
    explicit SqliteBackend(sqlite3 *db) : m_db(db) {}
    // close_v2: statements still kept by commands are finalized later, freeing the handle then.
    ~SqliteBackend() override
    {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }

    Kind kind() const override { return Kind::SQLite; }
    QString rewrite(const QString &tsql) const override { return rewriteTsql(tsql); }

    std::unique_ptr<BackendStatement> prepare(const QString &sql, Prepared &outcome) override
    {
        const QByteArray utf8 = sql.toUtf8();
        const char *end = utf8.constData() + utf8.size();
        sqlite3_stmt *stmt = nullptr;
        const char *tail = nullptr;
        outcome = Prepared::Failed;
        if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, &tail) != SQLITE_OK)
            return nullptr;
        outcome = Prepared::Empty;
        if (!stmt)
            return nullptr;
        auto statement = std::make_unique<SqliteStatement>(stmt);
        outcome = tail && !onlyBlanksLeft(tail, end) ? Prepared::MoreThanOne : Prepared::Ok;
        return statement;
    }

    bool begin() override { return run("BEGIN IMMEDIATE"); }
    bool commit() override { return run("COMMIT"); }
    bool rollback() override { return run("ROLLBACK"); }
    bool savepoint(const QByteArray &name) override { return run("SAVEPOINT " + name); }
    bool release(const QByteArray &name) override { return run("RELEASE " + name); }
    bool rollbackTo(const QByteArray &name) override { return run("ROLLBACK TO " + name); }
    TransactionState transactionState() const override
    {
        return sqlite3_get_autocommit(m_db) ? TransactionState::None : TransactionState::Active;
    }

    long long changes() const override { return sqlite3_changes64(m_db); }
    long long totalChanges() const override { return sqlite3_total_changes64(m_db); }

    BackendError lastError() const override;
    QStringList primaryKey(const QString &database, const QString &table) override;

    QString rowLocator() const override { return QStringLiteral("rowid"); }
    QString nullSafeEquals() const override { return QStringLiteral("IS"); }
    bool insertReturnsRow() const override { return false; }
    QVariant lastInsertLocator() const override
    {
        return QVariant(qlonglong(sqlite3_last_insert_rowid(m_db)));
    }

    sqlite3 *sqliteHandle() const override { return m_db; }

private:
    bool run(const QByteArray &sql)
    {
        return sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    sqlite3 *m_db;
};

BackendError SqliteBackend::lastError() const
{
    BackendError error;
    const int code = sqlite3_extended_errcode(m_db);
    error.message = QString::fromUtf8(sqlite3_errmsg(m_db));
    error.nativeError = code;
    error.number = adErrProviderFailed;
    error.sqlState = QStringLiteral("HY000");
    switch (code & 0xff) {
    case SQLITE_CONSTRAINT:
        error.number = adErrSqlError;
        error.sqlState = QStringLiteral("23000");
        break;
    case SQLITE_ERROR:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
    case SQLITE_TOOBIG:
        error.number = adErrSqlError;
        error.sqlState = QStringLiteral("42000");
        break;
    default: // busy, locked, full, I/O, corrupt, read-only: the database could not do it
        break;
    }
    return error;
}

QStringList SqliteBackend::primaryKey(const QString &database, const QString &table)
{
    QStringList key;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT name FROM pragma_table_info(?1, ?2) WHERE pk > 0", -1,
                           &stmt, nullptr)
        != SQLITE_OK)
        return key;
    const QByteArray t = table.toUtf8();
    const QByteArray d = database.toUtf8();
    sqlite3_bind_text(stmt, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, d.constData(), int(d.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        key << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return key;
}

// Settings of every connection; false with the handle's error when one is refused.
bool configure(sqlite3 *db)
{
    sqlite3_extended_result_codes(db, 1);
    // A double-quoted word is an identifier, as on the server: an unknown column written in
    // double quotes must fail instead of silently becoming a string.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // Another program writing the file is waited for, from the very first statement on.
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    // Reading the schema tells a database from any other file. WAL lets readers go on while
    // another program writes, and is kept in the file (a file of an earlier version of the
    // program is switched to it here).
    return sqlite3_exec(db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr)
               == SQLITE_OK
           && sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr) == SQLITE_OK
           && sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr) == SQLITE_OK
           && sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

std::unique_ptr<Backend> openSqliteBackend(const QString &path, BackendError &error)
{
    error = BackendError{adErrProviderFailed, {}, {}, 0};
    const QFileInfo info(path);
    if (!info.exists()) {
        error.message = QStringLiteral("the file does not exist");
        return nullptr;
    }
    if (!info.isFile()) {
        error.message = QStringLiteral("it is not a file");
        return nullptr;
    }
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE,
                                   nullptr);
    auto refuse = [&](const QString &why) -> std::unique_ptr<Backend> {
        error.nativeError = db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM;
        error.message = why;
        sqlite3_close_v2(db);
        return nullptr;
    };
    if (rc != SQLITE_OK)
        return refuse(db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory"));
    if (!configure(db))
        return refuse(QString::fromUtf8(sqlite3_errmsg(db)));
    try {
        engine::registerServerFunctions(db);
    } catch (const RuntimeError &e) {
        return refuse(QStringLiteral("the server functions could not be registered: ")
                      + e.description());
    } catch (const std::exception &e) {
        return refuse(QStringLiteral("the server functions could not be registered: ")
                      + QString::fromUtf8(e.what()));
    }
    return std::make_unique<SqliteBackend>(db);
}

} // namespace ado
