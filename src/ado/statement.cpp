#include "ado/statement.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"
#include "ado/vb.h"

#include <QDate>
#include <QDateTime>

#include <sqlite3.h>

#include <limits>

namespace ado {

Statement::Statement(Connection &connection, sqlite3_stmt *stmt, QString sourceText)
    : m_connection(connection), m_stmt(stmt), m_sourceText(std::move(sourceText)),
      m_errorSource(QStringLiteral("ado.Connection"))
{
}

Statement::~Statement()
{
    // Only the statement is touched here: the connection may already be gone (a closed
    // connection stays allocated by SQLite until its last statement is finalized).
    sqlite3_finalize(m_stmt);
}

void Statement::fail()
{
    m_connection.raiseLastError(m_sourceText, m_errorSource);
}

void Statement::bind(int position, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (isMissing(value)) {
        rc = sqlite3_bind_null(m_stmt, position);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(m_stmt, position, value.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            rc = sqlite3_bind_int64(m_stmt, position, value.toLongLong());
            break;
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            if (value.toULongLong() > qulonglong(std::numeric_limits<qint64>::max()))
                raise(adErrInvalidArgument,
                      QStringLiteral("Parameter %1: %2 does not fit a 64-bit integer")
                          .arg(position).arg(value.toULongLong()),
                      m_errorSource);
            rc = sqlite3_bind_int64(m_stmt, position, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, position, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, position, bytes.constData(),
                                     sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            // Text, and what VB would turn into text (dates as ISO text).
            const QString text = CStr(value);
            rc = sqlite3_bind_text16(m_stmt, position, text.utf16(), int(text.size() * 2),
                                     SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        fail();
}

void Statement::clearBindings()
{
    sqlite3_clear_bindings(m_stmt);
}

bool Statement::step()
{
    if (!m_running) {
        m_connection.checkTransactionAlive();
        m_connection.noteStatementRun();
        m_running = true;
    }
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    m_running = false;
    if (rc == SQLITE_DONE)
        return false;
    // The reset ends the failed run; it leaves the error and its message on the connection.
    sqlite3_reset(m_stmt);
    fail();
}

void Statement::reset()
{
    // A reset after a failed step returns that step's error again: it was raised already.
    sqlite3_reset(m_stmt);
    m_running = false;
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::originTable(int column) const
{
    return QString::fromUtf8(sqlite3_column_table_name(m_stmt, column));
}

QString Statement::originColumn(int column) const
{
    return QString::fromUtf8(sqlite3_column_origin_name(m_stmt, column));
}

QString Statement::declaredType(int column) const
{
    return QString::fromUtf8(sqlite3_column_decltype(m_stmt, column));
}

QVariant Statement::value(int column) const
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

int Statement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_stmt);
}

long long Statement::changes() const
{
    return sqlite3_changes64(sqlite3_db_handle(m_stmt));
}

bool Statement::isReadOnly() const
{
    return sqlite3_stmt_readonly(m_stmt) != 0;
}

} // namespace ado
