#pragma once
// The database the program opens: the demo database in the user's data folder (created on
// first use), a file named on the command line (created with the demo data when missing), or a
// database on a PostgreSQL server named by a libpq URI (given the schema and the demo data when
// it holds none of the reason codes' tables). Every failure is a StartError whose message says
// which database and why.

#include <QString>
#include <QStringList>

namespace ado {
class Connection;
}

namespace app {

struct DatabaseFile
{
    QString path;         // absolute; for a server, the URI as given
    bool created = false; // made now, with the demo data
    bool server = false;  // a PostgreSQL database
    // What the user may do with the reason codes there: a role that may only read gets an
    // editor that only shows (never an error at the first save).
    bool mayInsert = true;
    bool mayUpdate = true;
    bool mayDelete = true;
};

// <AppDataLocation>/causali.db (~/.local/share/causali/causali.db, or under $XDG_DATA_HOME),
// creating the folder. Needs the application name set.
QString defaultDatabasePath();

// The file to open: `requested`, or the default when empty. A missing file is created with the
// demo data; an existing one must be a database of reason codes.
DatabaseFile prepareDatabase(const QString &requested);

// How the status bar names the database: the file, or "PostgreSQL <database> su <server>".
QString databaseLabel(const DatabaseFile &database);

// "Data Source=PATH", the path quoted when it holds what the connection string would split.
QString connectionStringFor(const QString &path);

// The language codes of MG52_LINGUE, in code order.
QStringList readLanguages(ado::Connection &connection);
// Refuses a language the database does not know, naming the ones it knows.
void checkLanguage(ado::Connection &connection, const QString &code);

} // namespace app
