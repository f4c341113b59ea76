// Feeds any text to the T-SQL rewriter, in both dialects. A text it does not understand must be
// refused by both with adErrUnsupportedSql; a text it rewrites must still split into tokens, and
// its string literals must be those of the input, unchanged and in order (the OBJECT_ID test of
// a temp-table drop is the one construct whose literals go away).

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/sql_tokens.h"
#include "ado/tsql_rewriter.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QStringList literals(const QString &text)
{
    QStringList out;
    for (const ado::sql::Token &t : ado::sql::tokenize(text)) {
        if (t.kind == ado::sql::TokenKind::String)
            out << t.value;
    }
    return out;
}

// Whether `part` is `whole` with some items left out.
bool isSubsequence(const QStringList &part, const QStringList &whole)
{
    qsizetype j = 0;
    for (const QString &item : part) {
        while (j < whole.size() && whole[j] != item)
            ++j;
        if (j == whole.size())
            return false;
        ++j;
    }
    return true;
}

[[noreturn]] void finding(const char *what, const QString &in, const QString &out)
{
    std::fprintf(stderr, "%s\ninput:  %s\noutput: %s\n", what, in.toUtf8().constData(),
                 out.toUtf8().constData());
    std::abort();
}

// The checks on one dialect's output; false when the text was refused.
bool checkRewrite(const QString &in, ado::SqlDialect dialect)
{
    QString out;
    try {
        out = ado::rewriteTsql(in, dialect);
    } catch (const ado::RuntimeError &e) {
        if (e.number() != ado::adErrUnsupportedSql)
            finding("refused with another error number", in, QString::number(e.number()));
        return false;
    }
    QStringList before;
    QStringList after;
    try {
        before = literals(in);
        after = literals(out);
    } catch (const ado::RuntimeError &) {
        finding("the rewritten text does not split into tokens", in, out);
    }
    if (!isSubsequence(after, before))
        finding("a string literal changed", in, out);
    if (after.size() != before.size()
        && !in.contains(QLatin1String("OBJECT_ID"), Qt::CaseInsensitive))
        finding("a string literal went away", in, out);
    return true;
}

} // namespace

// Both dialects refuse the same texts and keep the literals of the ones they rewrite.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString in = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool sqlite = checkRewrite(in, ado::SqlDialect::Sqlite);
    if (checkRewrite(in, ado::SqlDialect::Postgres) != sqlite)
        finding(sqlite ? "refused by the PostgreSQL dialect only"
                       : "refused by the SQLite dialect only",
                in, QString());
    return 0;
}
