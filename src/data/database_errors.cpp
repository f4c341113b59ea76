#include "data/database_errors.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"

#include <sqlite3.h>

namespace causali {

namespace {

// The provider error behind an error of the database (null when the error is not the
// database's).
const ado::ProviderError *providerErrorOf(const ado::RuntimeError &error,
                                          const ado::Connection *connection)
{
    const bool provider = error.number() == ado::adErrProviderFailed
                          || error.number() == ado::adErrSqlError;
    if (!provider || !connection || connection->Errors().empty())
        return nullptr;
    return &connection->Errors().back();
}

// The SQLSTATE of a server's refusal (empty for a database file, whose codes are its own).
QString serverState(const ado::RuntimeError &error, const ado::Connection *connection)
{
    const ado::ProviderError *provider = providerErrorOf(error, connection);
    if (!provider || !connection->namesServer())
        return {};
    return provider->sqlState;
}

// Another session holds what is needed: a lock past the wait, a deadlock, a write of the same
// rows at the same time.
bool serverInUse(const QString &state)
{
    return state == QLatin1String("55P03") || state == QLatin1String("40001")
           || state == QLatin1String("40P01");
}

// The refusal of a rule of the database carries the rule's own words.
QString ruleCause(const ado::RuntimeError &error)
{
    const QString words =
        error.description().section(QStringLiteral(" (statement: "), 0, 0).trimmed();
    return words.isEmpty()
               ? QStringLiteral("una regola del database ha rifiutato i dati")
               : QStringLiteral("una regola del database ha rifiutato i dati (\"%1\")").arg(words);
}

QString serverCause(const QString &state, const ado::RuntimeError &error)
{
    if (serverInUse(state))
        return QStringLiteral("il database è in uso da un altro programma");
    if (state == QLatin1String("23505"))
        return QStringLiteral("esiste già una riga con la stessa chiave");
    if (state == QLatin1String("23503"))
        return QStringLiteral("un dato collegato non esiste più nel database");
    if (state == QLatin1String("23502"))
        return QStringLiteral("manca un dato obbligatorio");
    if (state == QLatin1String("P0001"))
        return ruleCause(error);
    if (state.startsWith(QLatin1String("23")))
        return QStringLiteral("il database ha rifiutato i dati (vincolo non rispettato)");
    if (state == QLatin1String("53100"))
        return QStringLiteral("il disco è pieno");
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return QStringLiteral("la connessione al server del database si è interrotta");
    if (state == QLatin1String("25006") || state == QLatin1String("42501"))
        return QStringLiteral("il database non può essere modificato (sola lettura)");
    if (state.startsWith(QLatin1String("58")))
        return QStringLiteral("errore di lettura o scrittura sul disco");
    if (state.startsWith(QLatin1String("XX")))
        return QStringLiteral("i dati del database sono danneggiati");
    return QStringLiteral("errore del database (SQLSTATE %1)").arg(state);
}

// The SQLite result code behind a provider error (0 when the error is not the database's).
long nativeCodeOf(const ado::RuntimeError &error, const ado::Connection *connection)
{
    const ado::ProviderError *provider = providerErrorOf(error, connection);
    return provider && !connection->namesServer() ? provider->nativeError : 0;
}

QString constraintCause(long code, const ado::RuntimeError &error)
{
    switch (code) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        return QStringLiteral("esiste già una riga con la stessa chiave");
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return QStringLiteral("un dato collegato non esiste più nel database");
    case SQLITE_CONSTRAINT_NOTNULL:
        return QStringLiteral("manca un dato obbligatorio");
    case SQLITE_CONSTRAINT_TRIGGER:
        return ruleCause(error);
    default:
        return QStringLiteral("il database ha rifiutato i dati (vincolo non rispettato)");
    }
}

} // namespace

bool isDatabaseInUse(const ado::RuntimeError &error, const ado::Connection *connection)
{
    const QString state = serverState(error, connection);
    if (!state.isEmpty())
        return serverInUse(state);
    const long primary = nativeCodeOf(error, connection) & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString causaItaliana(const ado::RuntimeError &error, const ado::Connection *connection)
{
    if (error.number() == ado::adErrRowNotFound)
        return QStringLiteral("i dati memorizzati sono stati modificati o eliminati da un altro "
                              "utente");
    if (const QString state = serverState(error, connection); !state.isEmpty())
        return serverCause(state, error);
    const long code = nativeCodeOf(error, connection);
    switch (code & 0xff) {
    case 0:
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("il database è in uso da un altro programma");
    case SQLITE_FULL:
        return QStringLiteral("il disco è pieno");
    case SQLITE_IOERR:
        return QStringLiteral("errore di lettura o scrittura sul disco");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("il database non può essere modificato (sola lettura)");
    case SQLITE_CORRUPT:
        return QStringLiteral("il file del database è danneggiato");
    case SQLITE_NOTADB:
        return QStringLiteral("il file non è un database");
    case SQLITE_CONSTRAINT:
        return constraintCause(code, error);
    default:
        return QStringLiteral("errore del database (codice %1)").arg(code);
    }
    // The module's own errors are Italian already; the data layer's misuse errors are not.
    if (error.source().startsWith(QLatin1String("ado.")) || error.number() < 0)
        return QStringLiteral("errore interno del programma (n. %1)").arg(error.number());
    return error.description();
}

} // namespace causali
