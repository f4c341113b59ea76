#pragma once
// The tools run from the command line, without a window: `causali --where-used CODE` writes
// where a code is used to standard output; `causali --print FILE.pdf [--codes A,B]` writes the
// listing of the codes to a PDF. Each returns the program's exit code: 0 done, 1 when the
// code is unknown or the file cannot be written (the reason on the error stream).

#include <QString>
#include <QStringList>

class QTextStream;

namespace tools {

int runWhereUsed(const QString &connectionString, const QString &code, QTextStream &out,
                 QTextStream &err);

int runPrint(const QString &connectionString, int company, const QString &language,
             const QString &file, const QStringList &codes, QTextStream &err);

} // namespace tools
