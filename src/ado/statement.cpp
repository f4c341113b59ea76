#include "ado/statement.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"
#include "ado/vb.h"

#include <limits>

namespace ado {

BoundKind boundKindOf(const QVariant &value)
{
    if (isMissing(value))
        return BoundKind::Null;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return BoundKind::Bool;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return BoundKind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return BoundKind::Real;
    case QMetaType::QByteArray:
        return BoundKind::Bytes;
    default:
        return BoundKind::Text;
    }
}

Statement::Statement(Connection &connection, std::unique_ptr<BackendStatement> statement,
                     QString sourceText)
    : m_connection(connection)
    , m_impl(std::move(statement))
    , m_sourceText(std::move(sourceText))
    , m_errorSource(QStringLiteral("ado.Connection"))
    , m_session(connection.session())
{}

// Only the backend statement is touched here: the connection may already be gone.
Statement::~Statement() = default;

void Statement::fail()
{
    m_connection.raiseLastError(m_sourceText, m_errorSource);
}

void Statement::bind(int position, const QVariant &value)
{
    const int type = value.typeId();
    if ((type == QMetaType::ULong || type == QMetaType::ULongLong)
        && value.toULongLong() > qulonglong(std::numeric_limits<qint64>::max()))
        raise(adErrInvalidArgument,
              QStringLiteral("Parameter %1: %2 does not fit a 64-bit integer")
                  .arg(position)
                  .arg(value.toULongLong()),
              m_errorSource);
    if (!m_impl->bind(position, value))
        fail();
}

void Statement::clearBindings()
{
    m_impl->clearBindings();
}

bool Statement::step()
{
    if (!m_running) {
        m_connection.checkTransactionAlive();
        m_connection.noteStatementRun();
        m_running = true;
    }
    switch (m_impl->step()) {
    case BackendStatement::Step::Row:
        return true;
    case BackendStatement::Step::Done:
        m_running = false;
        return false;
    case BackendStatement::Step::Failed:
        break;
    }
    m_running = false;
    fail();
}

void Statement::reset()
{
    m_impl->reset();
    m_running = false;
}

long long Statement::changes() const
{
    return m_connection.backendChanges();
}

} // namespace ado
