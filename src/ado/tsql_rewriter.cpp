#include "ado/tsql_rewriter.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/sql_tokens.h"

#include <optional>
#include <vector>

#include <errno.h> // program_invocation_short_name
#include <fcntl.h>
#include <unistd.h>

namespace ado {

namespace {

using sql::Token;
using sql::TokenKind;

const QString ErrorSource = QStringLiteral("ado.rewriteTsql");

// Words that start the statements we translate. Anything else (SET, DECLARE, EXEC, PRINT,
// TRUNCATE, ...) is T-SQL batch or session syntax that has no place in a single statement here.
constexpr const char *StatementStarts[] = {"SELECT", "INSERT", "UPDATE", "DELETE",
                                           "CREATE", "DROP",   "WITH"};

// Words refused wherever they appear, with what they are.
struct Refusal
{
    const char *word;
    const char *what;
};
constexpr Refusal RefusedWords[] = {
    {"DECLARE", "the variable declaration DECLARE"},
    {"EXEC", "the procedure call EXEC"},
    {"EXECUTE", "the procedure call EXECUTE"},
    {"GO", "the batch separator GO"},
    {"BEGIN", "BEGIN (a transaction or a block; transactions go through the connection)"},
    {"COMMIT", "COMMIT (transactions go through the connection)"},
    {"ROLLBACK", "ROLLBACK (transactions go through the connection)"},
    {"MERGE", "the MERGE statement"},
    {"OUTPUT", "the OUTPUT clause"},
    {"PIVOT", "the PIVOT operator"},
    {"UNPIVOT", "the UNPIVOT operator"},
    {"IDENTITY", "IDENTITY (identities are given by the database)"},
    {"OBJECT_ID",
     "OBJECT_ID outside \"IF OBJECT_ID(N'tempdb..#X', N'U') IS NOT NULL DROP TABLE #X\""},
    // SQLite reads NOTNULL as a postfix test where T-SQL reads a name.
    {"NOTNULL", "the word NOTNULL"},
    // A hint not written as WITH (NOLOCK), e.g. "FROM T (NOLOCK)".
    {"NOLOCK", "the table hint NOLOCK without WITH (...)"},
};

// Functions refused when called: absent from SQLite, or present there with another meaning
// (LOG is base 10 in SQLite, FORMAT is printf).
constexpr const char *RefusedFunctions[] = {"GETDATE", "LEN", "CHARINDEX",
                                            "CONVERT", "LOG", "FORMAT"};

bool hasAnyOf(const QString &text, QStringView chars)
{
    for (QChar c : text) {
        if (chars.contains(c))
            return true;
    }
    return false;
}

bool isWholeNumber(const QString &text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return !text.isEmpty();
}

class Rewriter
{
public:
    Rewriter(const QString &tsql, SqlDialect dialect)
        : m_text(tsql), m_tokens(sql::tokenize(tsql)), m_postgres(dialect == SqlDialect::Postgres)
    {
        for (int i = 0; i < int(m_tokens.size()); ++i) {
            Token &t = m_tokens[size_t(i)];
            m_out.push_back(initialText(t));
            if (t.kind != TokenKind::Space && t.kind != TokenKind::Comment)
                m_sig.push_back(i);
        }
        m_suffix.resize(m_tokens.size());
    }

    QString run()
    {
        dropTerminator();
        if (m_sig.empty())
            fail(QStringLiteral("an empty SQL text"), 0);
        computeDepths();
        if (std::optional<QString> drop = objectIdDrop())
            return *drop;
        checkStatementStart();
        for (int k = 0; k < count();)
            k = visit(k);
        return m_forUpdate ? joined() + QStringLiteral(" FOR UPDATE") : joined();
    }

private:
    // ----- access -----
    int count() const { return int(m_sig.size()); }
    const Token &tok(int k) const { return m_tokens[size_t(m_sig[size_t(k)])]; }
    bool inRange(int k) const { return k >= 0 && k < count(); }
    bool keywordAt(int k, const char *word) const { return inRange(k) && tok(k).isKeyword(word); }
    bool punctAt(int k, QChar c) const { return inRange(k) && tok(k).isPunct(c); }
    QString &out(int k) { return m_out[size_t(m_sig[size_t(k)])]; }
    void remove(int k) { out(k).clear(); }
    // Clears significant tokens `from` to `to` and the blanks and comments between them.
    void removeRange(int from, int to)
    {
        for (int i = m_sig[size_t(from)]; i <= m_sig[size_t(to)]; ++i)
            m_out[size_t(i)].clear();
    }
    int posOf(int k) const
    {
        return inRange(k) ? tok(k).pos : (m_tokens.empty() ? 0 : m_tokens.back().pos);
    }

    // The text as written from significant token `from` to `to`, both included.
    QString sourceText(int from, int to) const
    {
        const int end = tok(to).pos + int(tok(to).text.size());
        return m_text.mid(tok(from).pos, end - tok(from).pos);
    }

    [[noreturn]] void fail(const QString &what, int pos) const
    {
        raise(adErrUnsupportedSql,
              QStringLiteral("Unsupported SQL: %1 (at character %2)").arg(what).arg(pos + 1),
              ErrorSource);
    }
    [[noreturn]] void failAt(int k, const QString &what) const { fail(what, posOf(k)); }

    // The schema of temporary tables, which a DROP names.
    QString tempSchema() const
    {
        return m_postgres ? QStringLiteral("pg_temp.") : QStringLiteral("temp.");
    }
    QString engineName() const
    {
        return m_postgres ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
    }

    // A name that must be quoted: PostgreSQL compares quoted names as written, T-SQL ignores
    // case, so there it is quoted in lower case, as PostgreSQL folds the names it is not quoted.
    QString quotedName(const QString &name) const
    {
        return sql::quotedIdentifier(m_postgres ? name.toLower() : name);
    }

    QString initialText(const Token &t) const
    {
        switch (t.kind) {
        case TokenKind::Comment:
            return QStringLiteral(" ");
        case TokenKind::Space: {
            // Only the blanks SQLite knows; any other space character becomes a blank.
            QString s = t.text;
            for (QChar &c : s) {
                if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r' && c != u'\f')
                    c = u' ';
            }
            return s;
        }
        case TokenKind::String:
            return sql::quotedString(t.value); // N'..' loses its N
        case TokenKind::Identifier:
            // [x] becomes "x"; a name holding # $ @ is quoted so that it is read as one name.
            if (t.bracketed || (!t.quoted && hasAnyOf(t.value, u"#$@")) || (t.quoted && m_postgres))
                return quotedName(t.value);
            return t.text;
        default:
            return t.text;
        }
    }

    // ----- statement level -----
    void dropTerminator()
    {
        for (int k = 0; k < count(); ++k) {
            if (!tok(k).isPunct(u';'))
                continue;
            if (k + 1 < count())
                failAt(k + 1, QStringLiteral("more than one statement (text after ';')"));
            remove(k);
            m_sig.pop_back();
            return;
        }
    }

    void computeDepths()
    {
        std::vector<int> open;
        m_depth.assign(size_t(count()), 0);
        m_match.assign(size_t(count()), -1);
        for (int k = 0; k < count(); ++k) {
            m_depth[size_t(k)] = int(open.size());
            if (tok(k).isPunct(u'(')) {
                open.push_back(k);
            } else if (tok(k).isPunct(u')')) {
                if (open.empty())
                    failAt(k, QStringLiteral("a ')' without its '('"));
                m_match[size_t(k)] = open.back();
                m_match[size_t(open.back())] = k;
                open.pop_back();
                m_depth[size_t(k)] = int(open.size());
            }
        }
        if (!open.empty())
            failAt(open.back(), QStringLiteral("a '(' that is never closed"));
    }
    int depth(int k) const { return m_depth[size_t(k)]; }

    // IF OBJECT_ID(N'tempdb..#X'[, N'U']) IS NOT NULL DROP TABLE #X
    std::optional<QString> objectIdDrop() const
    {
        if (!keywordAt(0, "IF"))
            return std::nullopt;
        int k = 1;
        if (!keywordAt(k, "OBJECT_ID") || !punctAt(k + 1, u'(') || !inRange(k + 2)
            || tok(k + 2).kind != TokenKind::String)
            failDrop(k);
        const QString object = tok(k + 2).value;
        static const QString prefix = QStringLiteral("tempdb..");
        if (!object.startsWith(prefix, Qt::CaseInsensitive) || object.size() < prefix.size() + 2
            || object[prefix.size()] != u'#' || object.contains(u'\''))
            failDrop(k + 2);
        k += 3;
        if (punctAt(k, u',')) {
            if (!inRange(k + 1) || tok(k + 1).kind != TokenKind::String
                || tok(k + 1).value.compare(QLatin1StringView("U"), Qt::CaseInsensitive) != 0)
                failDrop(k + 1);
            k += 2;
        }
        const char *tail[] = {"IS", "NOT", "NULL", "DROP", "TABLE"};
        if (!punctAt(k, u')'))
            failDrop(k);
        ++k;
        for (const char *word : tail) {
            if (!keywordAt(k, word))
                failDrop(k);
            ++k;
        }
        const QString table = object.mid(prefix.size());
        if (!inRange(k) || tok(k).kind != TokenKind::Identifier
            || tok(k).value.compare(table, Qt::CaseInsensitive) != 0)
            failDrop(k);
        if (k + 1 < count())
            failDrop(k + 1);
        return QStringLiteral("DROP TABLE IF EXISTS ") + tempSchema() + quotedName(tok(k).value);
    }

    [[noreturn]] void failDrop(int k) const
    {
        failAt(k,
               QStringLiteral("an IF statement other than "
                              "\"IF OBJECT_ID(N'tempdb..#X', N'U') IS NOT NULL DROP TABLE #X\""));
    }

    void checkStatementStart() const
    {
        for (const char *word : StatementStarts) {
            if (tok(0).isKeyword(word))
                return;
        }
        for (const Refusal &r : RefusedWords) {
            if (tok(0).isKeyword(r.word))
                failAt(0, QString::fromLatin1(r.what));
        }
        failAt(0, QStringLiteral("a statement beginning with %1").arg(tok(0).text));
    }

    // ----- token level -----
    int visit(int k)
    {
        const Token &t = tok(k);
        switch (t.kind) {
        case TokenKind::Variable:
            if (t.value.compare(QLatin1StringView("@CAUSALE"), Qt::CaseInsensitive) == 0)
                failAt(k, QStringLiteral("the placeholder @CAUSALE left in the text "
                                         "(it must be replaced by the quoted code)"));
            failAt(k, QStringLiteral("the variable %1").arg(t.value));
        case TokenKind::Punct:
            if (t.isPunct(u'+') && (stringAt(k - 1) || stringAt(k + 1)))
                failAt(k, QStringLiteral("string concatenation with + (%1 adds numbers)")
                              .arg(engineName()));
            return k + 1;
        case TokenKind::Identifier:
            return t.quoted ? visitName(k) : visitWord(k);
        default:
            return k + 1;
        }
    }
    bool stringAt(int k) const { return inRange(k) && tok(k).kind == TokenKind::String; }

    int visitWord(int k)
    {
        const Token &t = tok(k);
        for (const Refusal &r : RefusedWords) {
            if (t.isKeyword(r.word))
                failAt(k, QString::fromLatin1(r.what));
        }
        for (const char *f : RefusedFunctions) {
            if (t.isKeyword(f) && punctAt(k + 1, u'('))
                failAt(k, QStringLiteral("the function %1()").arg(t.value.toUpper()));
        }
        if (t.isKeyword("APPLY"))
            failAt(k, QStringLiteral("%1 APPLY")
                          .arg(inRange(k - 1) ? tok(k - 1).value.toUpper() : QString()));
        if (t.isKeyword("ISNULL")) {
            // SQLite's own ISNULL is a postfix test: only the function form is translated.
            if (!punctAt(k + 1, u'('))
                failAt(k, QStringLiteral("ISNULL without an argument list"));
            out(k) = m_postgres ? QStringLiteral("COALESCE") : QStringLiteral("IFNULL");
            return k + 1;
        }
        if (m_postgres && isTypePosition(k)) {
            if (const char *type = postgresType(t)) {
                out(k) = QString::fromLatin1(type);
                return k + 1;
            }
        }
        if (t.isKeyword("IF"))
            return visitIf(k);
        if (t.isKeyword("WITH") && punctAt(k + 1, u'('))
            return visitHint(k);
        if (t.isKeyword("COLLATE"))
            return visitCollate(k);
        if (t.isKeyword("SELECT"))
            return visitSelect(k);
        if (t.isKeyword("TOP"))
            failAt(k, QStringLiteral("TOP outside the select list of a SELECT"));
        if (t.isKeyword("INTO") && !keywordAt(k - 1, "INSERT"))
            failAt(k, QStringLiteral("SELECT ... INTO"));
        if (t.isKeyword("INSERT") && !keywordAt(k + 1, "INTO") && inRange(k + 1))
            m_suffix[size_t(m_sig[size_t(k)])] += QStringLiteral(" INTO");
        if (t.isKeyword("DELETE"))
            visitDelete(k);
        if (t.isKeyword("CREATE")
            && !(keywordAt(k + 1, "TABLE") || keywordAt(k + 1, "INDEX")
                 || keywordAt(k + 1, "UNIQUE") || keywordAt(k + 1, "VIEW")))
            failAt(k,
                   QStringLiteral("CREATE %1").arg(inRange(k + 1) ? tok(k + 1).text : QString()));
        if (t.isKeyword("UPDATE"))
            checkSingleFrom(k, QStringLiteral("UPDATE ... FROM (an update with a join)"));
        return visitName(k);
    }

    // Names: DBO. prefixes go, #NAME becomes a temp table.
    int visitName(int k)
    {
        const Token &t = tok(k);
        if (t.value.compare(QLatin1StringView("DBO"), Qt::CaseInsensitive) == 0
            && punctAt(k + 1, u'.')) {
            if (punctAt(k - 1, u'.'))
                failAt(k, QStringLiteral("a three-part name (database.dbo.object)"));
            removeRange(k, k + 1);
            return k + 2;
        }
        if (t.value.startsWith(u'#')) {
            if (keywordAt(k - 1, "TABLE") && keywordAt(k - 2, "CREATE"))
                out(k - 2) = QStringLiteral("CREATE TEMP");
            const bool dropped = (keywordAt(k - 1, "TABLE") && keywordAt(k - 2, "DROP"))
                                 || (keywordAt(k - 1, "EXISTS") && keywordAt(k - 2, "IF")
                                     && keywordAt(k - 3, "TABLE"));
            out(k) = (dropped ? tempSchema() : QString()) + quotedName(t.value);
        }
        return k + 1;
    }

    // IF is only part of DROP TABLE IF EXISTS here (the OBJECT_ID drop is handled as a whole).
    int visitIf(int k)
    {
        if (keywordAt(k - 1, "TABLE") && keywordAt(k - 2, "DROP") && keywordAt(k + 1, "EXISTS"))
            return k + 2;
        failAt(k, QStringLiteral("the IF statement"));
    }

    // WITH (NOLOCK) goes: both engines read committed data anyway. WITH (UPDLOCK) on a
    // SELECT keeps the rows read for the transaction: SQLite's write transaction already keeps
    // every other writer out, PostgreSQL locks the rows with FOR UPDATE at the statement's end.
    // Other hints are refused.
    int visitHint(int k)
    {
        const int close = m_match[size_t(k + 1)];
        if (close == k + 3 && keywordAt(k + 2, "NOLOCK")) {
            removeRange(k, close);
            return close + 1;
        }
        if (close == k + 3 && keywordAt(k + 2, "UPDLOCK") && keywordAt(0, "SELECT")) {
            removeRange(k, close);
            if (m_postgres)
                m_forUpdate = true;
            return close + 1;
        }
        failAt(k, QStringLiteral("the table hint WITH %1").arg(sourceText(k + 1, close)));
    }

    int visitCollate(int k)
    {
        if (keywordAt(k + 1, "DATABASE_DEFAULT")) {
            // SQLite's RTRIM ignores trailing blanks as the server does; on PostgreSQL the
            // fixed-length types (CHAR) compare that way by themselves.
            if (m_postgres)
                removeRange(k, k + 1);
            else
                out(k + 1) = QStringLiteral("RTRIM");
            return k + 2;
        }
        failAt(k, QStringLiteral("COLLATE %1 (only DATABASE_DEFAULT is known)")
                      .arg(inRange(k + 1) ? tok(k + 1).text : QString()));
    }

    // DELETE T WHERE gains its FROM; a second FROM (a delete with a join) is refused.
    void visitDelete(int k)
    {
        if (!inRange(k + 1))
            failAt(k, QStringLiteral("DELETE without a table"));
        if (keywordAt(k + 1, "TOP"))
            failAt(k + 1, QStringLiteral("DELETE TOP"));
        if (!keywordAt(k + 1, "FROM"))
            m_suffix[size_t(m_sig[size_t(k)])] += QStringLiteral(" FROM");
        checkSingleFrom(keywordAt(k + 1, "FROM") ? k + 1 : k,
                        QStringLiteral("DELETE ... FROM (a delete with a join)"));
    }

    // No FROM at the statement's own level after token k (subqueries may have theirs).
    void checkSingleFrom(int k, const QString &what) const
    {
        for (int i = k + 1; i < count() && depth(i) >= depth(k); ++i) {
            if (depth(i) == depth(k) && tok(i).isKeyword("FROM"))
                failAt(i, what);
        }
    }

    // ----- SELECT -----
    bool isCompoundOperator(int k) const
    {
        return keywordAt(k, "UNION") || keywordAt(k, "EXCEPT") || keywordAt(k, "INTERSECT");
    }

    // Last token of the SELECT starting at k: before the ')' closing it or the end of the text.
    int selectEnd(int k) const
    {
        int end = k;
        while (end + 1 < count() && depth(end + 1) >= depth(k))
            ++end;
        return end;
    }

    bool inCompound(int k, int end) const
    {
        for (int i = k - 1; i >= 0 && depth(i) >= depth(k); --i) {
            if (depth(i) == depth(k) && isCompoundOperator(i))
                return true;
        }
        for (int i = k + 1; i <= end; ++i) {
            if (depth(i) == depth(k) && isCompoundOperator(i))
                return true;
        }
        return false;
    }

    int visitSelect(int k)
    {
        int next = k + 1;
        if (keywordAt(next, "DISTINCT") || keywordAt(next, "ALL"))
            ++next;
        if (keywordAt(next, "TOP"))
            next = rewriteTop(k, next);
        checkSelectList(k, next);
        return next;
    }

    // TOP n / TOP (n) becomes LIMIT n at the end of this SELECT.
    int rewriteTop(int select, int top)
    {
        int k = top + 1;
        const bool parenthesised = punctAt(k, u'(');
        if (parenthesised)
            ++k;
        if (!inRange(k) || tok(k).kind != TokenKind::Number || !isWholeNumber(tok(k).value))
            failAt(k, QStringLiteral("TOP with something other than a whole number"));
        const QString rows = tok(k).value;
        if (parenthesised && !punctAt(k + 1, u')'))
            failAt(k + 1, QStringLiteral("TOP (expression)"));
        const int last = parenthesised ? k + 1 : k;
        if (keywordAt(last + 1, "PERCENT"))
            failAt(last + 1, QStringLiteral("TOP ... PERCENT"));
        if (keywordAt(last + 1, "WITH") && keywordAt(last + 2, "TIES"))
            failAt(last + 1, QStringLiteral("TOP ... WITH TIES"));
        const int end = selectEnd(select);
        if (inCompound(select, end))
            failAt(top, QStringLiteral("TOP in a SELECT joined by UNION, EXCEPT or INTERSECT"));
        removeRange(top, last);
        m_suffix[size_t(m_sig[size_t(end)])] += QStringLiteral(" LIMIT ") + rows;
        return last + 1;
    }

    bool endsSelectList(int k) const
    {
        return keywordAt(k, "FROM") || keywordAt(k, "WHERE") || keywordAt(k, "GROUP")
               || keywordAt(k, "HAVING") || keywordAt(k, "ORDER") || isCompoundOperator(k);
    }

    // T-SQL's "SELECT name = expression" names a column; SQLite would compare.
    void checkSelectList(int select, int first) const
    {
        const int d = depth(select);
        bool itemStart = true;
        for (int i = first; i < count() && depth(i) >= d; ++i) {
            const Token &t = tok(i);
            if (depth(i) == d && endsSelectList(i))
                return;
            if (itemStart && (t.kind == TokenKind::Identifier || t.kind == TokenKind::String)
                && punctAt(i + 1, u'=') && depth(i) == d)
                failAt(i, QStringLiteral("\"%1 = expression\" in a select list").arg(t.text));
            itemStart = depth(i) == d && t.isPunct(u',');
        }
    }

    QString joined() const
    {
        QString text;
        for (size_t i = 0; i < m_tokens.size(); ++i) {
            append(text, m_out[i]);
            append(text, m_suffix[i]);
        }
        return text;
    }

    // Appends a piece, with a blank where it would otherwise run into the text before it:
    // 'a'N'b' becomes 'a' 'b', not the one literal 'a''b', and x'a' is not read as a blob.
    static void append(QString &text, const QString &piece)
    {
        if (piece.isEmpty())
            return;
        const QChar first = piece.front();
        if (!text.isEmpty() && (first == u'\'' || first == u'"')) {
            const QChar last = text.back();
            if (last.isLetterOrNumber() || last == u'_' || last == u'\'' || last == u'"')
                text += u' ';
        }
        text += piece;
    }

    // A type follows a column's name (CREATE TABLE) or AS (CAST); elsewhere the same word is a
    // name ("FROM T, NCHAR", "T.NCHAR").
    bool isTypePosition(int k) const
    {
        if (!inRange(k - 1) || punctAt(k + 1, u'.'))
            return false;
        const Token &before = tok(k - 1);
        if (before.isKeyword("AS"))
            return true;
        static const char *const clauseWords[] = {"SELECT", "FROM",   "JOIN",  "INTO", "UPDATE",
                                                  "TABLE",  "DELETE", "WHERE", "ON",   "BY",
                                                  "AND",    "OR",     "NOT",   "SET",  "DISTINCT"};
        for (const char *word : clauseWords) {
            if (before.isKeyword(word))
                return false;
        }
        return before.kind == TokenKind::Identifier;
    }

    // The PostgreSQL name of a T-SQL type it lacks, or null.
    static const char *postgresType(const Token &t)
    {
        static const std::pair<const char *, const char *> types[] = {
            {"NVARCHAR", "VARCHAR"}, {"NCHAR", "CHAR"}, {"NTEXT", "TEXT"}, {"TINYINT", "SMALLINT"}};
        for (const auto &[tsql, postgres] : types) {
            if (t.isKeyword(tsql))
                return postgres;
        }
        return nullptr;
    }

    const QString &m_text;
    std::vector<Token> m_tokens;
    bool m_postgres;
    bool m_forUpdate = false;      // WITH (UPDLOCK) met on PostgreSQL
    std::vector<QString> m_out;    // what each token becomes
    std::vector<QString> m_suffix; // text added after a token
    std::vector<int> m_sig;        // indexes of the tokens that are neither blanks nor comments
    std::vector<int> m_depth;      // parenthesis depth per significant token
    std::vector<int> m_match;      // the matching parenthesis per significant token
};

} // namespace

namespace {

// With CAUSALI_SQL_TRACE set, each accepted text is appended to that file as "program TAB text
// NUL", one write each, so that programs running at once do not mix their records.
void trace(const QString &tsql)
{
    static const QByteArray path = qgetenv("CAUSALI_SQL_TRACE");
    if (path.isEmpty())
        return;
    const QByteArray record = QByteArray(program_invocation_short_name) + '\t' + tsql.toUtf8()
                              + '\0';
    const int fd = ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return; // a trace that cannot be written must not stop the program
    [[maybe_unused]] const ssize_t written = ::write(fd, record.constData(), size_t(record.size()));
    ::close(fd);
}

} // namespace

QString rewriteTsql(const QString &tsql, SqlDialect dialect)
{
    QString rewritten = Rewriter(tsql, dialect).run();
    trace(tsql);
    return rewritten;
}

} // namespace ado
