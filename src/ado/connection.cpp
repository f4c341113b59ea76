#include "ado/connection.h"

#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/statement.h"
#include "ado/tsql_rewriter.h"
#include "engine/server.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>

namespace ado {

namespace {

const QString kSource = QStringLiteral("ado.Connection");
// How long a statement waits for another program's write to end before it reports the
// database as busy.
constexpr int kBusyTimeoutMs = 5000;
// How many rewritten texts a connection keeps (texts with a code in them differ per code).
constexpr qsizetype kRewrittenKept = 512;

// The first line of a statement that holds text, shortened, to say in an error which
// statement failed.
QString excerpt(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    QString first;
    int index = 0;
    for (; index < lines.size(); ++index) {
        first = lines[index].trimmed();
        if (!first.isEmpty())
            break;
    }
    const int maxLength = 100;
    const bool more = first.size() > maxLength || index + 1 < lines.size();
    first.truncate(maxLength);
    return more ? first + QStringLiteral("...") : first;
}

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

// Rows changed by the statement just run, given the connection's total before it: 0 when it
// changed nothing (sqlite3_changes would still report an earlier statement's count).
long long changesSince(sqlite3 *db, sqlite3_int64 totalBefore)
{
    return sqlite3_total_changes64(db) == totalBefore ? 0 : sqlite3_changes64(db);
}

} // namespace

bool Connection::noRecordsRequested(long options, const QString &source)
{
    if (options == adCmdUnspecified)
        return false;
    const long type = options & ~long(adExecuteNoRecords);
    if (type != 0 && type != adCmdText && type != adCmdUnknown)
        raise(adErrInvalidArgument,
              QStringLiteral("Execute options %1 are not supported: only text commands "
                             "(adCmdText 1, adCmdUnknown 8), optionally with adExecuteNoRecords "
                             "(0x80), can run")
                  .arg(options),
              source);
    return (options & adExecuteNoRecords) != 0;
}

namespace {

// Reads "Key=Value" pairs separated by ';'; values may be quoted with " or ' (a doubled quote
// stands for itself). Returns the value of the key (case-insensitive), or an empty text.
QString connectionStringValue(const QString &text, const QString &wantedKey)
{
    int i = 0;
    const int len = int(text.size());
    while (i < len) {
        const int eq = int(text.indexOf(QLatin1Char('='), i));
        const int semi = int(text.indexOf(QLatin1Char(';'), i));
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            if (semi < 0)
                break;
            i = semi + 1; // a part without '=': nothing to read
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < len && text[i].isSpace())
            ++i;
        QString value;
        if (i < len && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\''))) {
            const QChar quote = text[i++];
            while (i < len) {
                if (text[i] == quote) {
                    if (i + 1 < len && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            while (i < len && text[i] != QLatin1Char(';'))
                ++i;
        } else {
            const int end = semi < 0 ? len : semi;
            value = text.mid(i, end - i).trimmed();
            i = end;
        }
        ++i; // past ';'
        if (key.compare(wantedKey, Qt::CaseInsensitive) == 0)
            return value;
    }
    return QString();
}

} // namespace

QString dataSourceOf(const QString &connectionString)
{
    return connectionStringValue(connectionString, QStringLiteral("Data Source"));
}

Connection::Connection() = default;

Connection::~Connection()
{
    if (!m_db)
        return;
    if (m_transactionLevel > 0 && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    try {
        closeRecordsets();
    } catch (...) {
        // A destructor cannot report: the recordsets are detached whatever happened.
    }
    closeHandle();
}

QString Connection::ConnectionString() const
{
    return m_connectionString;
}

void Connection::setConnectionString(const QString &text)
{
    if (m_db)
        raise(adErrObjectOpen,
              QStringLiteral("Operation is not allowed when the object is open: the connection "
                             "string cannot change while the connection is open"),
              kSource);
    m_connectionString = text;
}

void Connection::Open(const QString &connectionString, const QString &userId,
                      const QString &password, long options)
{
    Q_UNUSED(userId)   // the database file has no users
    Q_UNUSED(password)
    Q_UNUSED(options)  // opening is always synchronous
    if (m_db)
        raise(adErrObjectOpen,
              QStringLiteral("Operation is not allowed when the object is open: the connection "
                             "is already open"),
              kSource);
    if (!connectionString.isEmpty())
        m_connectionString = connectionString;
    const QString path = dataSourceOf(m_connectionString);
    if (path.isEmpty())
        fail(adErrProviderFailed,
             QStringLiteral("The connection string names no database file (\"Data Source=...\"): "
                            "\"%1\"").arg(m_connectionString),
             kSource);
    const QFileInfo info(path);
    if (!info.exists())
        fail(adErrProviderFailed,
             QStringLiteral("Cannot open the database \"%1\": the file does not exist").arg(path),
             kSource);
    if (!info.isFile())
        fail(adErrProviderFailed,
             QStringLiteral("Cannot open the database \"%1\": it is not a file").arg(path),
             kSource);

    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE, nullptr);
    auto refuse = [&](const QString &why) {
        const long code = db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM;
        sqlite3_close_v2(db);
        fail(adErrProviderFailed,
             QStringLiteral("Cannot open the database \"%1\": %2").arg(path, why), kSource, {},
             code);
    };
    if (rc != SQLITE_OK)
        refuse(db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory"));
    sqlite3_extended_result_codes(db, 1);
    // A double-quoted word is an identifier, as on the server: an unknown column written in
    // double quotes must fail instead of silently becoming a string.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // Another program writing the file is waited for, from the very first statement on.
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Reading the schema tells a database from any other file. WAL lets readers go on while
    // another program writes, and is kept in the file (a file of an earlier version of the
    // program is switched to it here).
    if (sqlite3_exec(db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr)
            != SQLITE_OK
        || sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr) != SQLITE_OK)
        refuse(QString::fromUtf8(sqlite3_errmsg(db)));
    try {
        engine::registerServerFunctions(db);
    } catch (const RuntimeError &e) {
        refuse(QStringLiteral("the server functions could not be registered: ") + e.description());
    } catch (const std::exception &e) {
        refuse(QStringLiteral("the server functions could not be registered: ")
               + QString::fromUtf8(e.what()));
    }
    m_db = db;
    m_transactionLevel = 0;
    m_transactionLost = false;
}

void Connection::Close()
{
    requireOpen("Close");
    if (m_transactionLevel > 0)
        raise(adErrInTransaction,
              QStringLiteral("Connection object cannot be explicitly closed while in a "
                             "transaction: call CommitTrans or RollbackTrans first"),
              kSource);
    closeRecordsets();
    closeHandle();
}

ObjectState Connection::State() const
{
    return m_db ? adStateOpen : adStateClosed;
}

std::unique_ptr<Recordset> Connection::Execute(const QString &text, QVariant *recordsAffected,
                                               long options)
{
    requireOpen("Execute");
    const bool noRecords = noRecordsRequested(options, kSource);
    const sqlite3_int64 totalBefore = sqlite3_total_changes64(m_db);
    if (noRecords) {
        const auto statement = prepare(text);
        while (statement->step()) {
        }
        if (recordsAffected)
            *recordsAffected = statement->isReadOnly() ? -1 : changesSince(m_db, totalBefore);
        return nullptr;
    }
    auto rs = std::make_unique<Recordset>();
    rs->Open(text, this, adOpenForwardOnly, adLockReadOnly, adCmdText);
    if (recordsAffected)
        *recordsAffected = rs->State() == adStateOpen ? -1 : changesSince(m_db, totalBefore);
    return rs;
}

namespace {

QByteArray savepointName(int level)
{
    return "ado_trans_" + QByteArray::number(level);
}

} // namespace

long Connection::BeginTrans()
{
    requireOpen("BeginTrans");
    if (m_transactionLevel == 0) {
        runInternal("BEGIN IMMEDIATE", kSource);
        m_transactionLost = false;
    } else {
        checkTransactionAlive();
        runInternal(("SAVEPOINT " + savepointName(m_transactionLevel + 1)).constData(), kSource);
    }
    ++m_transactionLevel;
    m_undos.emplace_back();
    return m_transactionLevel;
}

void Connection::CommitTrans()
{
    requireOpen("CommitTrans");
    if (m_transactionLevel == 0)
        raise(adErrIllegalOperation, QStringLiteral("CommitTrans: no transaction is open"),
              kSource);
    if (m_transactionLost || sqlite3_get_autocommit(m_db)) {
        m_transactionLost = true;
        fail(adErrProviderFailed,
             QStringLiteral("CommitTrans: the database rolled the transaction back after an "
                            "earlier error, nothing of it was written; call RollbackTrans"),
             kSource);
    }
    if (m_transactionLevel == 1) {
        // A failed COMMIT leaves the level open: the caller rolls back (undos included).
        runInternal("COMMIT", kSource);
        m_undos.clear();
    } else {
        runInternal(("RELEASE " + savepointName(m_transactionLevel)).constData(), kSource);
        auto undos = std::move(m_undos.back());
        m_undos.pop_back();
        auto &outer = m_undos.back();
        outer.insert(outer.end(), std::make_move_iterator(undos.begin()),
                     std::make_move_iterator(undos.end()));
    }
    --m_transactionLevel;
}

void Connection::RollbackTrans()
{
    requireOpen("RollbackTrans");
    if (m_transactionLevel == 0)
        raise(adErrIllegalOperation, QStringLiteral("RollbackTrans: no transaction is open"),
              kSource);
    const int level = m_transactionLevel;
    // The in-memory state goes back whatever the database answers: what was written in this
    // level is not in the database once the rollback (or SQLite's own) is done.
    runUndos(std::size_t(level - 1));
    if (level > 1) {
        --m_transactionLevel;
        // A transaction the database already rolled back has no savepoint left; the outer
        // level stays marked lost so that its commit is refused.
        if (!sqlite3_get_autocommit(m_db)) {
            const QByteArray name = savepointName(level);
            if (sqlite3_exec(m_db, ("ROLLBACK TO " + name).constData(), nullptr, nullptr,
                             nullptr) != SQLITE_OK
                || sqlite3_exec(m_db, ("RELEASE " + name).constData(), nullptr, nullptr,
                                nullptr) != SQLITE_OK)
                raiseLastError(QStringLiteral("ROLLBACK TO ") + QString::fromLatin1(name),
                               kSource);
        }
        return;
    }
    // A transaction the database already rolled back has nothing left to undo.
    if (!sqlite3_get_autocommit(m_db)
        && sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (sqlite3_get_autocommit(m_db)) {
            m_transactionLevel = 0;
            m_transactionLost = false;
        }
        raiseLastError(QStringLiteral("ROLLBACK"), kSource);
    }
    m_transactionLevel = 0;
    m_transactionLost = false;
}

void Connection::onRollback(std::function<void()> undo)
{
    if (m_transactionLevel > 0 && undo)
        m_undos.back().push_back(std::move(undo));
}

void Connection::runUndos(std::size_t fromLevel)
{
    while (m_undos.size() > fromLevel) {
        auto undos = std::move(m_undos.back());
        m_undos.pop_back();
        for (auto it = undos.rbegin(); it != undos.rend(); ++it)
            (*it)();
    }
}

int Connection::transactionLevel() const
{
    return m_transactionLevel;
}

std::unique_ptr<Statement> Connection::prepare(const QString &tsql, const QString &source)
{
    requireOpen("prepare");
    // The module sends the same texts over and over (every code shown): each is rewritten once.
    QString sql = m_rewritten.value(tsql);
    if (sql.isEmpty()) {
        try {
            sql = rewriteTsql(tsql);
        } catch (const RuntimeError &e) {
            fail(e.number(), e.description(), source);
        }
        if (m_rewritten.size() >= kRewrittenKept)
            m_rewritten.clear();
        m_rewritten.insert(tsql, sql);
    }
    const QByteArray utf8 = sql.toUtf8();
    const char *end = utf8.constData() + utf8.size();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, &tail) != SQLITE_OK)
        raiseLastError(tsql, source);
    if (!stmt)
        raise(adErrInvalidArgument,
              QStringLiteral("The SQL text holds no statement: \"%1\"").arg(tsql), source);
    auto statement = std::make_unique<Statement>(*this, stmt, tsql);
    statement->setErrorSource(source);
    if (!onlyBlanksLeft(tail, end))
        fail(adErrUnsupportedSql,
             QStringLiteral("The SQL text holds more than one statement; send them one at a "
                            "time (%1)").arg(excerpt(tsql)),
             source);
    ++m_statementsPrepared;
    return statement;
}

void Connection::raiseLastError(const QString &context, const QString &source)
{
    const int code = m_db ? sqlite3_extended_errcode(m_db) : SQLITE_MISUSE;
    QString description = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                               : QStringLiteral("the connection is closed");
    const QString statement = excerpt(context);
    if (!statement.isEmpty())
        description += QStringLiteral(" (statement: %1)").arg(statement);
    if (m_db && noticeLostTransaction())
        description += QStringLiteral("; the database rolled the transaction back, no other "
                                      "statement runs until RollbackTrans");
    long number = adErrProviderFailed;
    QString sqlState = QStringLiteral("HY000");
    switch (code & 0xff) {
    case SQLITE_CONSTRAINT:
        number = adErrSqlError;
        sqlState = QStringLiteral("23000");
        break;
    case SQLITE_ERROR:
    case SQLITE_MISMATCH:
    case SQLITE_RANGE:
    case SQLITE_TOOBIG:
        number = adErrSqlError;
        sqlState = QStringLiteral("42000");
        break;
    default: // busy, locked, full, I/O, corrupt, read-only: the database could not do it
        break;
    }
    fail(number, description, source, sqlState, code);
}

void Connection::checkTransactionAlive()
{
    requireOpen("a statement");
    if (m_transactionLevel == 0)
        return;
    if (m_transactionLost || sqlite3_get_autocommit(m_db)) {
        m_transactionLost = true;
        fail(adErrProviderFailed,
             QStringLiteral("The database rolled the transaction back after an earlier error; "
                            "no statement runs until RollbackTrans"),
             kSource);
    }
}

void Connection::attach(Recordset *rs)
{
    if (std::find(m_recordsets.begin(), m_recordsets.end(), rs) == m_recordsets.end())
        m_recordsets.push_back(rs);
}

void Connection::detach(Recordset *rs)
{
    m_recordsets.erase(std::remove(m_recordsets.begin(), m_recordsets.end(), rs),
                       m_recordsets.end());
}

void Connection::fail(long number, const QString &description, const QString &source,
                      const QString &sqlState, long nativeError)
{
    m_errors.clear();
    m_errors.push_back(ProviderError{number, description, source, sqlState, nativeError});
    raise(number, description, source);
}

void Connection::requireOpen(const char *operation) const
{
    if (!m_db)
        raise(adErrObjectClosed,
              QStringLiteral("Operation is not allowed when the object is closed: %1 on a "
                             "connection that is not open")
                  .arg(QLatin1String(operation)),
              kSource);
}

bool Connection::noticeLostTransaction()
{
    if (m_transactionLevel > 0 && !m_transactionLost && sqlite3_get_autocommit(m_db)) {
        m_transactionLost = true;
        return true;
    }
    return false;
}

void Connection::runInternal(const char *sql, const QString &source)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        raiseLastError(QString::fromLatin1(sql), source);
}

void Connection::closeRecordsets()
{
    const std::vector<Recordset *> recordsets = std::move(m_recordsets);
    m_recordsets.clear();
    for (Recordset *rs : recordsets) {
        if (rs->State() == adStateOpen)
            rs->Close();
    }
}

void Connection::closeHandle()
{
    // close_v2: statements still kept by commands are finalized later, freeing the handle then.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_undos.clear();
    m_transactionLevel = 0;
    m_transactionLost = false;
}

} // namespace ado
