#include "tools/tools_commands.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "tools/print_codes.h"
#include "tools/where_used.h"

#include <QDir>
#include <QTextStream>

namespace tools {

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;

template<typename Work>
int run(const QString &connectionString, QTextStream &err, Work work)
{
    try {
        ado::Connection connection;
        connection.Open(connectionString);
        return work(connection);
    } catch (const ado::RuntimeError &error) {
        err << "causali: " << error.description() << Qt::endl;
        return ExitFailure;
    }
}

} // namespace

int runWhereUsed(const QString &connectionString, const QString &code, QTextStream &out,
                 QTextStream &err)
{
    return run(connectionString, err, [&](ado::Connection &connection) {
        const WhereUsed usage = findWhereUsed(connection, code);
        if (!usage.stored) {
            err << "causali: la causale " << usage.code << " non esiste" << Qt::endl;
            return ExitFailure;
        }
        out << whereUsedText(usage) << Qt::flush;
        return ExitOk;
    });
}

int runPrint(const QString &connectionString, int company, const QString &language,
             const QString &file, const QStringList &codes, QTextStream &err)
{
    return run(connectionString, err, [&](ado::Connection &connection) {
        const PrintJob job = readPrintJob(connection, company, language, codes);
        const int pages = writePdf(job, file);
        err << "causali: " << job.codes.size() << (job.codes.size() == 1 ? " causale" : " causali")
            << " stampate in " << QDir::toNativeSeparators(file) << " (" << pages
            << (pages == 1 ? " pagina)" : " pagine)") << Qt::endl;
        return ExitOk;
    });
}

} // namespace tools
