#include "data/database_errors.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"

#include <sqlite3.h>

namespace causali {

namespace {

// The SQLite result code behind a provider error (0 when the error is not the database's).
long nativeCodeOf(const ado::RuntimeError &error, const ado::Connection *connection)
{
    const bool provider = error.number() == ado::adErrProviderFailed
                          || error.number() == ado::adErrSqlError;
    if (!provider || !connection || connection->Errors().empty())
        return 0;
    return connection->Errors().back().nativeError;
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
    case SQLITE_CONSTRAINT_TRIGGER: {
        // The refusal of a rule of the database carries the rule's own words.
        const QString words =
            error.description().section(QStringLiteral(" (statement: "), 0, 0).trimmed();
        return words.isEmpty()
                   ? QStringLiteral("una regola del database ha rifiutato i dati")
                   : QStringLiteral("una regola del database ha rifiutato i dati (\"%1\")")
                         .arg(words);
    }
    default:
        return QStringLiteral("il database ha rifiutato i dati (vincolo non rispettato)");
    }
}

} // namespace

bool isDatabaseInUse(const ado::RuntimeError &error, const ado::Connection *connection)
{
    const long primary = nativeCodeOf(error, connection) & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString causaItaliana(const ado::RuntimeError &error, const ado::Connection *connection)
{
    if (error.number() == ado::adErrRowNotFound)
        return QStringLiteral("i dati memorizzati sono stati modificati o eliminati da un altro "
                              "utente");
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
