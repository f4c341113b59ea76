#include "ado/tsql_rewriter.h"

#include "ado/constants.h"
#include "ado/error.h"

namespace ado {

namespace {
const QString kSource = QStringLiteral("ado.rewriteTsql");
}

QString rewriteTsql(const QString &tsql)
{
    if (tsql.contains(QChar(0)))
        raise(adErrUnsupportedSql, QStringLiteral("The SQL text holds a NUL character"), kSource);
    return tsql;
}

} // namespace ado
