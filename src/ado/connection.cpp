#include "ado/connection.h"

#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/statement.h"

#include <QUrl>

#include <algorithm>
#include <atomic>

namespace ado {

namespace {

const QString ErrorSource = QStringLiteral("ado.Connection");
// How many rewritten texts a connection keeps (texts with a code in them differ per code).
constexpr qsizetype RewrittenKept = 512;

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

// Rows changed by the statement just run, given the connection's total before it: 0 when it
// changed nothing (the last count would still be an earlier statement's).
long long changesSince(const Connection &connection, long long totalBefore)
{
    return connection.totalChanges() == totalBefore ? 0 : connection.backendChanges();
}

// The connection string's database as said in messages: a URI without a password in it.
QString shownTarget(const QString &target)
{
    if (!isPostgresUri(target))
        return target;
    QUrl url(target);
    return url.isValid() ? url.toString(QUrl::RemovePassword | QUrl::RemoveQuery)
                         : QStringLiteral("postgresql://...");
}

} // namespace

bool Connection::noRecordsRequested(long options, const QString &source)
{
    if (options == adCmdUnspecified)
        return false;
    // adAsyncExecute only goes with adExecuteNoRecords: a queued statement has no rows to give.
    const long async = (options & adExecuteNoRecords) ? long(adAsyncExecute) : 0;
    const long type = options & ~long(adExecuteNoRecords) & ~async;
    if (type != 0 && type != adCmdText && type != adCmdUnknown)
        raise(adErrInvalidArgument,
              QStringLiteral("Execute options %1 are not supported: only text commands "
                             "(adCmdText 1, adCmdUnknown 8), optionally with adExecuteNoRecords "
                             "(0x80) and then adAsyncExecute (0x10), can run")
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

bool isPostgresUri(const QString &text)
{
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString dataSourceOf(const QString &connectionString)
{
    return connectionStringValue(connectionString, QStringLiteral("Data Source"));
}

Connection::Connection() = default;

Connection::~Connection()
{
    if (!m_backend)
        return;
    if (m_transactionLevel > 0 && m_backend->transactionState() != TransactionState::None)
        m_backend->rollback();
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
    if (m_backend)
        raise(adErrObjectOpen,
              QStringLiteral("Operation is not allowed when the object is open: the connection "
                             "string cannot change while the connection is open"),
              ErrorSource);
    m_connectionString = text;
}

void Connection::Open(const QString &connectionString, const QString &userId,
                      const QString &password, long options)
{
    Q_UNUSED(userId)   // a file has no users; a server's user is in the URI
    Q_UNUSED(password) // a server's password comes from PGPASSWORD or the password file
    Q_UNUSED(options)  // opening is always synchronous
    if (m_backend)
        raise(adErrObjectOpen,
              QStringLiteral("Operation is not allowed when the object is open: the connection "
                             "is already open"),
              ErrorSource);
    if (!connectionString.isEmpty())
        m_connectionString = connectionString;
    const QString target = isPostgresUri(m_connectionString.trimmed())
                               ? m_connectionString.trimmed()
                               : dataSourceOf(m_connectionString);
    if (target.isEmpty())
        fail(adErrProviderFailed,
             QStringLiteral("The connection string names no database file (\"Data Source=...\"): "
                            "\"%1\"")
                 .arg(m_connectionString),
             ErrorSource);
    BackendError error;
    std::unique_ptr<Backend> backend = isPostgresUri(target) ? openPostgresBackend(target, error)
                                                             : openSqliteBackend(target, error);
    if (!backend)
        fail(error.number ? error.number : adErrProviderFailed,
             QStringLiteral("Cannot open the database \"%1\": %2")
                 .arg(shownTarget(target), error.message),
             ErrorSource, error.sqlState, error.nativeError);
    static std::atomic<quint64> openings{0};
    m_backend = std::move(backend);
    m_session = ++openings;
    m_transactionLevel = 0;
    m_transactionLost = false;
    m_rewritten.clear(); // the texts are the backend's dialect
}

void Connection::Close()
{
    requireOpen("Close");
    if (m_transactionLevel > 0)
        raise(adErrInTransaction,
              QStringLiteral("Connection object cannot be explicitly closed while in a "
                             "transaction: call CommitTrans or RollbackTrans first"),
              ErrorSource);
    closeRecordsets();
    closeHandle();
}

ObjectState Connection::State() const
{
    return m_backend ? adStateOpen : adStateClosed;
}

bool Connection::namesServer() const
{
    return isPostgresUri(m_connectionString.trimmed())
           || isPostgresUri(dataSourceOf(m_connectionString));
}

std::unique_ptr<Recordset> Connection::Execute(const QString &text, QVariant *recordsAffected,
                                               long options)
{
    requireOpen("Execute");
    const bool noRecords = noRecordsRequested(options, ErrorSource);
    if (noRecords && (options & adAsyncExecute) && !recordsAffected && m_transactionLevel > 0
        && m_backend->queues()) {
        enqueue(text);
        return nullptr;
    }
    const long long totalBefore = totalChanges();
    if (noRecords) {
        const auto statement = prepare(text);
        while (statement->step()) {
        }
        if (recordsAffected)
            *recordsAffected = statement->isReadOnly() ? -1 : changesSince(*this, totalBefore);
        return nullptr;
    }
    auto rs = std::make_unique<Recordset>();
    rs->Open(text, this, adOpenForwardOnly, adLockReadOnly, adCmdText);
    if (recordsAffected)
        *recordsAffected = rs->State() == adStateOpen ? -1 : changesSince(*this, totalBefore);
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
        check(m_backend->begin(), QStringLiteral("BEGIN"), ErrorSource);
        m_transactionLost = false;
    } else {
        checkTransactionAlive();
        const QByteArray name = savepointName(m_transactionLevel + 1);
        check(m_backend->savepoint(name), QStringLiteral("SAVEPOINT ") + QString::fromLatin1(name),
              ErrorSource);
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
              ErrorSource);
    raiseQueuedFailure();
    if (m_transactionLost || m_backend->transactionState() != TransactionState::Active) {
        m_transactionLost = true;
        fail(adErrProviderFailed,
             QStringLiteral("CommitTrans: the database rolled the transaction back after an "
                            "earlier error, nothing of it was written; call RollbackTrans"),
             ErrorSource);
    }
    if (m_transactionLevel == 1) {
        // A failed COMMIT leaves the level open: the caller rolls back (undos included).
        check(m_backend->commit(), QStringLiteral("COMMIT"), ErrorSource);
        m_undos.clear();
    } else {
        const QByteArray name = savepointName(m_transactionLevel);
        check(m_backend->release(name), QStringLiteral("RELEASE ") + QString::fromLatin1(name),
              ErrorSource);
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
              ErrorSource);
    const int level = m_transactionLevel;
    // The in-memory state goes back whatever the database answers: what was written in this
    // level is not in the database once the rollback (or the database's own) is done.
    runUndos(std::size_t(level - 1));
    if (level > 1) {
        --m_transactionLevel;
        // A transaction the database already rolled back has no savepoint left; the outer
        // level stays marked lost so that its commit is refused. A server's transaction that
        // a failed statement left unusable is usable again once rolled back to the savepoint.
        if (m_backend->transactionState() != TransactionState::None) {
            const QByteArray name = savepointName(level);
            if (!m_backend->rollbackTo(name) || !m_backend->release(name))
                raiseLastError(QStringLiteral("ROLLBACK TO ") + QString::fromLatin1(name),
                               ErrorSource);
            m_transactionLost = m_backend->transactionState() != TransactionState::Active;
        }
        return;
    }
    // A transaction the database already rolled back has nothing left to undo.
    if (m_backend->transactionState() != TransactionState::None && !m_backend->rollback()) {
        if (m_backend->transactionState() == TransactionState::None) {
            m_transactionLevel = 0;
            m_transactionLost = false;
        }
        raiseLastError(QStringLiteral("ROLLBACK"), ErrorSource);
    }
    m_transactionLevel = 0;
    m_transactionLost = false;
}

void Connection::savepoint(const QByteArray &name, const QString &source)
{
    checkTransactionAlive();
    check(m_backend->savepoint(name), QStringLiteral("SAVEPOINT ") + QString::fromLatin1(name),
          source);
}

void Connection::releaseSavepoint(const QByteArray &name, const QString &source)
{
    check(m_backend->release(name), QStringLiteral("RELEASE ") + QString::fromLatin1(name), source);
}

void Connection::abandonSavepoint(const QByteArray &name) noexcept
{
    // When the database has already rolled back by itself there is no savepoint left:
    // nothing to undo, and the connection has been told by the failing statement.
    if (!m_backend || m_backend->transactionState() == TransactionState::None)
        return;
    if (m_backend->rollbackTo(name))
        m_backend->release(name);
    // Back at the savepoint the transaction a failed statement spoiled is usable again.
    if (m_transactionLevel > 0 && m_backend->transactionState() == TransactionState::Active)
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

QString Connection::nativeText(const QString &tsql, const QString &source)
{
    // The module sends the same texts over and over (every code shown): each is rewritten once.
    QString sql = m_rewritten.value(tsql);
    if (sql.isEmpty()) {
        try {
            sql = m_backend->rewrite(tsql);
        } catch (const RuntimeError &e) {
            fail(e.number(), e.description(), source);
        }
        if (m_rewritten.size() >= RewrittenKept)
            m_rewritten.clear();
        m_rewritten.insert(tsql, sql);
    }
    return sql;
}

void Connection::enqueue(const QString &tsql)
{
    checkTransactionAlive();
    const QString sql = nativeText(tsql, ErrorSource);
    if (sql.trimmed().isEmpty())
        raiseNoStatement(tsql, ErrorSource);
    if (m_backend->queued() == 0)
        m_queued.clear(); // answered: none of them failed
    noteStatementRun();
    if (!m_backend->enqueue(sql, m_statementsRun))
        raiseLastError(tsql, ErrorSource);
    m_queued.push_back(Queued{m_statementsRun, tsql});
    ++m_statementsPrepared;
}

void Connection::raiseNoStatement(const QString &tsql, const QString &source)
{
    raise(adErrInvalidArgument, QStringLiteral("The SQL text holds no statement: \"%1\"").arg(tsql),
          source);
}

void Connection::raiseQueuedFailure()
{
    if (m_backend && m_backend->hasQueuedFailure())
        raiseLastError(QString(), ErrorSource);
}

std::unique_ptr<Statement> Connection::prepare(const QString &tsql, const QString &source)
{
    requireOpen("prepare");
    const QString sql = nativeText(tsql, source);
    Backend::Prepared outcome = Backend::Prepared::Failed;
    std::unique_ptr<BackendStatement> prepared = m_backend->prepare(sql, outcome);
    if (outcome == Backend::Prepared::Failed)
        raiseLastError(tsql, source);
    if (!prepared)
        raiseNoStatement(tsql, source);
    auto statement = std::make_unique<Statement>(*this, std::move(prepared), tsql);
    statement->setErrorSource(source);
    if (outcome == Backend::Prepared::MoreThanOne)
        fail(adErrUnsupportedSql,
             QStringLiteral("The SQL text holds more than one statement; send them one at a "
                            "time (%1)")
                 .arg(excerpt(tsql)),
             source);
    ++m_statementsPrepared;
    return statement;
}

std::unique_ptr<Statement> Connection::prepareNative(const QString &sql, const QString &source)
{
    requireOpen("prepare");
    Backend::Prepared outcome = Backend::Prepared::Failed;
    std::unique_ptr<BackendStatement> prepared = m_backend->prepare(sql, outcome);
    if (!prepared)
        raiseLastError(sql, source);
    auto statement = std::make_unique<Statement>(*this, std::move(prepared), sql);
    statement->setErrorSource(source);
    return statement;
}

void Connection::raiseLastError(const QString &context, const QString &source)
{
    BackendError error = m_backend ? m_backend->lastError()
                                   : BackendError{adErrProviderFailed,
                                                  QStringLiteral("the connection is closed"),
                                                  QStringLiteral("HY000"), 0};
    // A call that met the failure of a queued statement raises that statement's error.
    QString failedText = context;
    QString failedSource = source;
    m_failedStatement = 0;
    if (m_backend && m_backend->hasQueuedFailure()) {
        const quint64 number = m_backend->takeQueuedFailure();
        failedText.clear();
        for (const Queued &q : m_queued) {
            if (q.number == number) {
                failedText = q.text;
                failedSource = ErrorSource;
                m_failedStatement = number;
            }
        }
        m_queued.clear();
    }
    QString description = error.message;
    const QString statement = excerpt(failedText);
    if (!statement.isEmpty())
        description += QStringLiteral(" (statement: %1)").arg(statement);
    if (m_backend && noticeLostTransaction())
        description += QStringLiteral("; the database rolled the transaction back, no other "
                                      "statement runs until RollbackTrans");
    fail(error.number ? error.number : adErrProviderFailed, description, failedSource,
         error.sqlState, error.nativeError);
}

void Connection::checkTransactionAlive()
{
    requireOpen("a statement");
    raiseQueuedFailure();
    if (m_transactionLevel == 0)
        return;
    if (m_transactionLost || m_backend->transactionState() != TransactionState::Active) {
        m_transactionLost = true;
        fail(adErrProviderFailed,
             QStringLiteral("The database rolled the transaction back after an earlier error; "
                            "no statement runs until RollbackTrans"),
             ErrorSource);
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
    if (!m_backend)
        raise(adErrObjectClosed,
              QStringLiteral("Operation is not allowed when the object is closed: %1 on a "
                             "connection that is not open")
                  .arg(QLatin1String(operation)),
              ErrorSource);
}

bool Connection::noticeLostTransaction()
{
    if (m_transactionLevel > 0 && !m_transactionLost
        && m_backend->transactionState() != TransactionState::Active) {
        m_transactionLost = true;
        return true;
    }
    return false;
}

void Connection::check(bool ok, const QString &what, const QString &source)
{
    if (!ok)
        raiseLastError(what, source);
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
    m_backend.reset();
    m_queued.clear();
    m_undos.clear();
    m_transactionLevel = 0;
    m_transactionLost = false;
}

} // namespace ado
