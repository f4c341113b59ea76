// The standalone program. For now it prepares the demo database and tells what it holds; the
// editor window will take over from here.
//
//   causali             uses (creating it on first use) <data folder>/causali.db, where the
//                       data folder is QStandardPaths::AppDataLocation: ~/.local/share/causali
//                       (or $XDG_DATA_HOME/causali)
//   causali --db PATH   uses PATH instead, creating it when missing

#include "engine/server.h"
#include "engine/sqlite_util.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include <sqlite3.h>

#include <exception>
#include <memory>

namespace {

QString defaultDatabasePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        throw engine::Error("no writable data folder for the demo database");
    if (!QDir().mkpath(folder))
        throw engine::Error("cannot create the data folder " + folder.toStdString());
    return QDir(folder).filePath(QStringLiteral("causali.db"));
}

void printSummary(sqlite3 *db, QTextStream &out)
{
    const std::pair<const char *, const char *> counts[] = {
        {"Causali (CI03_CAUSALI)", "SELECT COUNT(*) FROM CI03_CAUSALI"},
        {"Sezionali di default (CI05_PROPSEZ)", "SELECT COUNT(*) FROM CI05_PROPSEZ"},
        {"Sequenze di ricerca conti (CI06_RICERCACONTO)", "SELECT COUNT(*) FROM CI06_RICERCACONTO"},
        {"Proposte di sviluppo (CI10_PROPCONTICAUS)", "SELECT COUNT(*) FROM CI10_PROPCONTICAUS"},
        {"Controlli conti (CI11_CONTROLLOCONTI)", "SELECT COUNT(*) FROM CI11_CONTROLLOCONTI"},
        {"Descrizioni in lingua delle causali (CI99_DESLINGUA)",
         "SELECT COUNT(*) FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903"},
        {"Ditte (CG18_ANADITTABASE)", "SELECT COUNT(*) FROM CG18_ANADITTABASE"},
        {"  con contabilità industriale", "SELECT COUNT(*) FROM CG25_ANADITTAGEST"
                                          " WHERE CG25_FLGCONIND = 1"},
        {"Sezionali (CG68_NUMERDESC)", "SELECT COUNT(*) FROM CG68_NUMERDESC"},
        {"Piani dei conti (PC01_DESCRPDC)", "SELECT COUNT(*) FROM PC01_DESCRPDC"},
        {"Conti e voci di spesa (PC03_CONTI)", "SELECT COUNT(*) FROM PC03_CONTI"},
        {"Provider conti (CI07_PROVCONTO)", "SELECT COUNT(*) FROM CI07_PROVCONTO"},
        {"Modelli di movimento (CI04_MODELLI)", "SELECT COUNT(*) FROM CI04_MODELLI"},
        {"Lingue (MG52_LINGUE)", "SELECT COUNT(*) FROM MG52_LINGUE"},
    };
    for (const auto &[label, sql] : counts)
        out << QString::fromUtf8(label).leftJustified(54, u'.') << ' '
            << engine::queryInt(db, sql) << '\n';
}

int run(const QString &path, bool created, QTextStream &out)
{
    sqlite3 *handle = nullptr;
    const QByteArray name = path.toUtf8();
    const int rc = sqlite3_open_v2(name.constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3 *)> db(handle, sqlite3_close);
    engine::check(handle, rc, "cannot open " + path.toStdString());
    engine::registerServerFunctions(db.get());
    out << (created ? "Creato il database dimostrativo " : "Database ")
        << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) << '\n';
    printSummary(db.get(), out);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // No organization name: the data folder is ~/.local/share/causali.
    QCoreApplication::setApplicationName(QStringLiteral("causali"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Causali di contabilità industriale: prepara il database dimostrativo"
                       " (creato al primo avvio) e ne riassume il contenuto."));
    parser.addHelpOption();
    const QCommandLineOption databaseOption(
        QStringLiteral("db"),
        QStringLiteral("Usa il database PATH (creato con i dati dimostrativi se manca)."),
        QStringLiteral("PATH"));
    parser.addOption(databaseOption);
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!parser.positionalArguments().isEmpty()) {
        err << "Argomento non previsto: " << parser.positionalArguments().first() << '\n';
        return 2;
    }
    try {
        const QString path = parser.isSet(databaseOption) ? parser.value(databaseOption)
                                                          : defaultDatabasePath();
        if (path.isEmpty())
            throw engine::Error("--db needs a file name");
        const bool created = !QFileInfo::exists(path);
        if (created)
            engine::createDemoDatabase(path);
        return run(path, created, out);
    } catch (const std::exception &e) {
        err << "causali: " << e.what() << '\n';
        return 1;
    }
}
