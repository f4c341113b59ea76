#include "ado/filter.h"

#include "ado/constants.h"
#include "ado/error.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>
#include <optional>

namespace ado {

namespace {

const QString errorSource = QStringLiteral("ado.Recordset");

// ---------------------------------------------------------------- value helpers

bool isMissingValue(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.typeId() == QMetaType::Nullptr;
}

bool isIntegral(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

bool isNumeric(const QVariant &v)
{
    return isIntegral(v) || v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

bool isDate(const QVariant &v)
{
    return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime;
}

bool isText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QChar
           || v.typeId() == QMetaType::QByteArray;
}

// A number: integral values stay exact, others are doubles.
struct Number
{
    bool integral = false;
    qlonglong i = 0;
    double d = 0.0;
};

std::optional<Number> numberFromText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qlonglong i = t.toLongLong(&ok);
    if (ok)
        return Number{true, i, double(i)};
    const double d = t.toDouble(&ok);
    if (ok && std::isfinite(d))
        return Number{false, 0, d};
    return std::nullopt;
}

std::optional<Number> toNumber(const QVariant &v)
{
    if (isIntegral(v)) {
        const qlonglong i = v.toLongLong();
        return Number{true, i, double(i)};
    }
    if (isNumeric(v))
        return Number{false, 0, v.toDouble()};
    if (v.typeId() == QMetaType::QString)
        return numberFromText(v.toString());
    return std::nullopt;
}

int compareNumbers(const Number &a, const Number &b)
{
    if (a.integral && b.integral)
        return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
    return a.d < b.d ? -1 : (a.d > b.d ? 1 : 0);
}

// A date and time as milliseconds from a fixed origin, free of time zones.
std::optional<qint64> stamp(const QDate &date, const QTime &time)
{
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return date.toJulianDay() * 86400000LL + time.msecsSinceStartOfDay();
}

std::optional<qint64> dateFromText(const QString &text)
{
    const QString t = text.trimmed();
    static const char *const dateFormats[] = {"yyyy-MM-dd", "M/d/yyyy"};
    static const char *const timeFormats[] = {"",      " HH:mm:ss.zzz", " HH:mm:ss", " H:mm:ss",
                                              " H:mm", "THH:mm:ss.zzz", "THH:mm:ss"};
    for (const char *df : dateFormats) {
        for (const char *tf : timeFormats) {
            const QString format = QLatin1String(df) + QLatin1String(tf);
            const QDateTime dt = QDateTime::fromString(t, format);
            if (dt.isValid())
                return stamp(dt.date(), dt.time());
            if (*tf == 0) {
                const QDate d = QDate::fromString(t, QLatin1String(df));
                if (d.isValid())
                    return stamp(d, QTime(0, 0));
            }
        }
    }
    return std::nullopt;
}

std::optional<qint64> toDate(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDateTime) {
        const QDateTime dt = v.toDateTime();
        return stamp(dt.date(), dt.time());
    }
    if (v.typeId() == QMetaType::QDate)
        return stamp(v.toDate(), QTime(0, 0));
    if (v.typeId() == QMetaType::QString)
        return dateFromText(v.toString());
    return std::nullopt;
}

QString rightTrimmed(const QString &s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace())
        --n;
    return s.left(n);
}

int compareText(const QString &a, const QString &b)
{
    return QString::compare(rightTrimmed(a), rightTrimmed(b), Qt::CaseInsensitive);
}

// ---------------------------------------------------------------- tokens

enum class Tok { Name, String, Date, Number, Op, LParen, RParen, And, Or, Like, Null, End };

struct Token
{
    Tok kind = Tok::End;
    QString text; // name, string contents, date text, number text or operator
    int pos = 0;  // 0-based offset in the criteria
};

class Lexer
{
public:
    explicit Lexer(const QString &text) : m_text(text) {}

    std::vector<Token> run()
    {
        std::vector<Token> out;
        while (true) {
            skipBlanks();
            if (m_i >= m_text.size()) {
                out.push_back(Token{Tok::End, QString(), int(m_i)});
                return out;
            }
            out.push_back(next());
        }
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        raise(adErrInvalidArgument,
              QStringLiteral("Filter criteria \"%1\": %2 at position %3.")
                  .arg(m_text, what)
                  .arg(m_i + 1),
              errorSource);
    }

    void skipBlanks()
    {
        while (m_i < m_text.size() && m_text.at(m_i).isSpace())
            ++m_i;
    }

    QChar at(qsizetype i) const { return i < m_text.size() ? m_text.at(i) : QChar(); }

    Token next()
    {
        const int start = int(m_i);
        const QChar c = m_text.at(m_i);
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            ++m_i;
            return Token{c == QLatin1Char('(') ? Tok::LParen : Tok::RParen, QString(c), start};
        }
        if (c == QLatin1Char('['))
            return delimited(QLatin1Char(']'), Tok::Name, QStringLiteral("a [column name]"));
        if (c == QLatin1Char('#'))
            return delimited(QLatin1Char('#'), Tok::Date, QStringLiteral("a #date#"));
        if (c == QLatin1Char('\''))
            return quoted();
        if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('=')) {
            QString op(c);
            ++m_i;
            if (c != QLatin1Char('=')
                && (at(m_i) == QLatin1Char('=')
                    || (c == QLatin1Char('<') && at(m_i) == QLatin1Char('>'))))
                op += m_text.at(m_i++);
            return Token{Tok::Op, op, start};
        }
        if (c.isDigit() || c == QLatin1Char('.')
            || ((c == QLatin1Char('-') || c == QLatin1Char('+'))
                && (at(m_i + 1).isDigit() || at(m_i + 1) == QLatin1Char('.')
                    || at(m_i + 1) == QLatin1Char('$'))))
            return number();
        if (c == QLatin1Char('$') && (at(m_i + 1).isDigit() || at(m_i + 1) == QLatin1Char('.')))
            return number();
        if (c.isLetter() || c == QLatin1Char('_'))
            return word();
        fail(QStringLiteral("unexpected character '%1'").arg(c));
    }

    Token delimited(QChar close, Tok kind, const QString &what)
    {
        const int start = int(m_i);
        const qsizetype end = m_text.indexOf(close, m_i + 1);
        if (end < 0)
            fail(QStringLiteral("%1 is not closed").arg(what));
        const QString inner = m_text.mid(m_i + 1, end - m_i - 1);
        m_i = end + 1;
        return Token{kind, inner, start};
    }

    Token quoted()
    {
        const int start = int(m_i);
        QString value;
        ++m_i;
        while (true) {
            if (m_i >= m_text.size()) {
                m_i = start;
                fail(QStringLiteral("a 'text' is not closed"));
            }
            const QChar c = m_text.at(m_i++);
            if (c != QLatin1Char('\'')) {
                value += c;
            } else if (at(m_i) == QLatin1Char('\'')) {
                value += c;
                ++m_i;
            } else {
                return Token{Tok::String, value, start};
            }
        }
    }

    Token number()
    {
        const int start = int(m_i);
        qsizetype i = m_i + 1;
        const QChar first = m_text.at(m_i);
        if ((first == QLatin1Char('-') || first == QLatin1Char('+')) && at(i) == QLatin1Char('$'))
            ++i;
        while (i < m_text.size()
               && (m_text.at(i).isLetterOrNumber() || m_text.at(i) == QLatin1Char('.')
                   || ((m_text.at(i) == QLatin1Char('-') || m_text.at(i) == QLatin1Char('+'))
                       && (m_text.at(i - 1) == QLatin1Char('e')
                           || m_text.at(i - 1) == QLatin1Char('E')))))
            ++i;
        QString text = m_text.mid(m_i, i - m_i);
        // A currency amount ($2.00, -$2.00) is the number without its sign.
        const qsizetype dollar = text.indexOf(QLatin1Char('$'));
        if (dollar >= 0 && dollar <= 1)
            text.remove(dollar, 1);
        if (!numberFromText(text))
            fail(QStringLiteral("'%1' is not a number").arg(text));
        m_i = i;
        return Token{Tok::Number, text, start};
    }

    Token word()
    {
        const int start = int(m_i);
        qsizetype i = m_i;
        while (i < m_text.size()
               && (m_text.at(i).isLetterOrNumber() || m_text.at(i) == QLatin1Char('_')
                   || m_text.at(i) == QLatin1Char('$') || m_text.at(i) == QLatin1Char('.')))
            ++i;
        const QString w = m_text.mid(m_i, i - m_i);
        m_i = i;
        const QString upper = w.toUpper();
        if (upper == QLatin1String("AND"))
            return Token{Tok::And, w, start};
        if (upper == QLatin1String("OR"))
            return Token{Tok::Or, w, start};
        if (upper == QLatin1String("LIKE"))
            return Token{Tok::Like, w, start};
        if (upper == QLatin1String("NULL"))
            return Token{Tok::Null, w, start};
        if (upper == QLatin1String("NOT") || upper == QLatin1String("IS")
            || upper == QLatin1String("IN") || upper == QLatin1String("BETWEEN")) {
            m_i = start;
            fail(QStringLiteral("%1 is not allowed in a filter").arg(upper));
        }
        return Token{Tok::Name, w, start};
    }

    const QString &m_text;
    qsizetype m_i = 0;
};

enum class CompareOp { Eq, Ne, Lt, Gt, Le, Ge, Like };
enum class LikeShape { Exact, Prefix, Contains };

} // namespace

// ---------------------------------------------------------------- the tree

struct FilterCriteria::Node
{
    enum Type { And, Or, Compare } type = Compare;
    std::unique_ptr<Node> left;
    std::unique_ptr<Node> right;

    int column = -1;
    CompareOp op = CompareOp::Eq;
    QVariant literal; // Null, QString text, qint64 date stamp, or a number
    enum Kind { NullLiteral, Text, DateStamp, NumberLiteral } kind = Text;
    LikeShape like = LikeShape::Exact;

    bool anyOr = false; // this node or one below joins clauses with OR

    bool containsOr() const { return anyOr; }

    bool matches(const ColumnValue &value) const;
    bool compare(const QVariant &v) const;
};

namespace {

bool orderHolds(CompareOp op, int c)
{
    switch (op) {
    case CompareOp::Eq:
    case CompareOp::Like:
        return c == 0;
    case CompareOp::Ne:
        return c != 0;
    case CompareOp::Lt:
        return c < 0;
    case CompareOp::Gt:
        return c > 0;
    case CompareOp::Le:
        return c <= 0;
    case CompareOp::Ge:
        return c >= 0;
    }
    return false;
}

QString valueText(const QVariant &v)
{
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

} // namespace

bool FilterCriteria::Node::matches(const ColumnValue &value) const
{
    switch (type) {
    case And:
        return left->matches(value) && right->matches(value);
    case Or:
        return left->matches(value) || right->matches(value);
    case Compare:
        return compare(value(column));
    }
    return false;
}

bool FilterCriteria::Node::compare(const QVariant &v) const
{
    if (kind == NullLiteral)
        return isMissingValue(v) == (op == CompareOp::Eq);
    if (isMissingValue(v))
        return false;
    if (op == CompareOp::Like) {
        const QString text = rightTrimmed(valueText(v));
        const QString pattern = literal.toString();
        switch (like) {
        case LikeShape::Exact:
            return compareText(text, pattern) == 0;
        case LikeShape::Prefix:
            return text.startsWith(pattern, Qt::CaseInsensitive);
        case LikeShape::Contains:
            return text.contains(pattern, Qt::CaseInsensitive);
        }
        return false;
    }
    if (kind == DateStamp) {
        const auto d = toDate(v);
        if (!d)
            return false;
        const qint64 l = literal.toLongLong();
        return orderHolds(op, *d < l ? -1 : (*d > l ? 1 : 0));
    }
    if (kind == NumberLiteral || isNumeric(v)) {
        const auto a = toNumber(v);
        const auto b = toNumber(literal);
        if (!a || !b)
            return false;
        return orderHolds(op, compareNumbers(*a, *b));
    }
    if (isDate(v)) {
        const auto a = toDate(v);
        const auto b = dateFromText(literal.toString());
        if (!a || !b)
            return false;
        return orderHolds(op, *a < *b ? -1 : (*a > *b ? 1 : 0));
    }
    if (!isText(v))
        return false;
    return orderHolds(op, compareText(v.toString(), literal.toString()));
}

// ---------------------------------------------------------------- parser

namespace {

class Parser
{
public:
    Parser(const QString &criteria, const ColumnLookup &lookup)
        : m_criteria(criteria), m_lookup(lookup), m_tokens(Lexer(criteria).run())
    {}

    std::unique_ptr<FilterCriteria::Node> run()
    {
        auto root = sequence();
        if (peek().kind == Tok::RParen)
            fail(QStringLiteral("')' without a matching '('"));
        if (peek().kind != Tok::End)
            fail(QStringLiteral("AND or OR expected before '%1'").arg(peek().text));
        return root;
    }

private:
    using Node = FilterCriteria::Node;

    // Bounds that keep the tree (and the recursion over it) small whatever the text.
    static constexpr int MaxDepth = 64;
    static constexpr int MaxClauses = 1000;

    const Token &peek() const { return m_tokens[m_at]; }
    const Token &take() { return m_tokens[m_at++]; }

    [[noreturn]] void fail(const QString &what) const
    {
        raise(adErrInvalidArgument,
              QStringLiteral("Filter criteria \"%1\": %2 at position %3.")
                  .arg(m_criteria, what)
                  .arg(peek().pos + 1),
              errorSource);
    }

    std::unique_ptr<Node> sequence()
    {
        auto node = term();
        while (peek().kind == Tok::And || peek().kind == Tok::Or) {
            const bool isAnd = take().kind == Tok::And;
            auto rhs = term();
            if (isAnd && (node->containsOr() || rhs->containsOr()))
                fail(QStringLiteral("clauses joined by OR cannot be joined to another clause "
                                    "with AND; write (A AND C) OR (B AND C)"));
            if (++m_clauses > MaxClauses)
                fail(QStringLiteral("more than %1 clauses").arg(MaxClauses));
            auto joined = std::make_unique<Node>();
            joined->type = isAnd ? Node::And : Node::Or;
            joined->anyOr = !isAnd || node->anyOr || rhs->anyOr;
            joined->left = std::move(node);
            joined->right = std::move(rhs);
            node = std::move(joined);
        }
        return node;
    }

    std::unique_ptr<Node> term()
    {
        if (peek().kind == Tok::LParen) {
            if (++m_depth > MaxDepth)
                fail(QStringLiteral("parentheses nested more than %1 deep").arg(MaxDepth));
            take();
            if (peek().kind == Tok::RParen)
                fail(QStringLiteral("empty parentheses"));
            auto inner = sequence();
            if (peek().kind != Tok::RParen)
                fail(QStringLiteral("')' expected"));
            take();
            --m_depth;
            return inner;
        }
        return comparison();
    }

    std::unique_ptr<Node> comparison()
    {
        if (peek().kind == Tok::End)
            fail(QStringLiteral("a clause is missing"));
        if (peek().kind != Tok::Name)
            fail(QStringLiteral("a column name expected, found '%1'").arg(peek().text));
        const QString name = take().text;
        auto node = std::make_unique<Node>();
        node->column = m_lookup(name.trimmed());
        if (node->column < 0)
            raise(adErrItemNotFound,
                  QStringLiteral("Filter criteria \"%1\": the column '%2' is not in the "
                                 "recordset.")
                      .arg(m_criteria, name),
                  errorSource);
        node->op = comparisonOperator(name);
        literal(*node, name);
        return node;
    }

    CompareOp comparisonOperator(const QString &column)
    {
        const Token &t = peek();
        if (t.kind == Tok::Like) {
            take();
            return CompareOp::Like;
        }
        if (t.kind != Tok::Op)
            fail(QStringLiteral("a comparison operator (= <> < > <= >= LIKE) expected after "
                                "'%1'")
                     .arg(column));
        take();
        if (t.text == QLatin1String("="))
            return CompareOp::Eq;
        if (t.text == QLatin1String("<>"))
            return CompareOp::Ne;
        if (t.text == QLatin1String("<"))
            return CompareOp::Lt;
        if (t.text == QLatin1String(">"))
            return CompareOp::Gt;
        if (t.text == QLatin1String("<="))
            return CompareOp::Le;
        if (t.text == QLatin1String(">="))
            return CompareOp::Ge;
        fail(QStringLiteral("'%1' is not a comparison operator").arg(t.text));
    }

    void literal(Node &node, const QString &column)
    {
        const Token &t = peek();
        switch (t.kind) {
        case Tok::String:
            node.kind = Node::Text;
            node.literal = t.text;
            break;
        case Tok::Number:
            node.kind = Node::NumberLiteral;
            node.literal = t.text;
            break;
        case Tok::Date: {
            const auto d = dateFromText(t.text);
            if (!d)
                fail(QStringLiteral("#%1# is not a date (yyyy-MM-dd or M/d/yyyy)").arg(t.text));
            node.kind = Node::DateStamp;
            node.literal = QVariant::fromValue(qlonglong(*d));
            break;
        }
        case Tok::Null:
            if (node.op != CompareOp::Eq && node.op != CompareOp::Ne)
                fail(QStringLiteral("NULL can only be compared with = or <>"));
            node.kind = Node::NullLiteral;
            break;
        default:
            fail(QStringLiteral("a value ('text', #date#, number or NULL) expected after "
                                "'%1'")
                     .arg(column));
        }
        if (node.op == CompareOp::Like)
            likePattern(node);
        take();
    }

    void likePattern(Node &node)
    {
        if (node.kind != Node::Text)
            fail(QStringLiteral("LIKE needs a 'text' pattern"));
        QString p = node.literal.toString();
        const auto isWild = [](QChar c) { return c == QLatin1Char('*') || c == QLatin1Char('%'); };
        const bool atEnd = !p.isEmpty() && isWild(p.back());
        if (atEnd)
            p.chop(1);
        const bool atStart = !p.isEmpty() && isWild(p.front());
        if (atStart)
            p.remove(0, 1);
        if (atStart && !atEnd)
            fail(QStringLiteral("a LIKE wildcard may stand only at the end or at both ends"));
        for (const QChar c : p) {
            if (isWild(c))
                fail(QStringLiteral("a LIKE wildcard may stand only at the end or at both ends"));
        }
        node.literal = p;
        node.like = atStart ? LikeShape::Contains : (atEnd ? LikeShape::Prefix : LikeShape::Exact);
    }

    const QString &m_criteria;
    const ColumnLookup &m_lookup;
    std::vector<Token> m_tokens;
    size_t m_at = 0;
    int m_depth = 0;
    int m_clauses = 0;
};

} // namespace

FilterCriteria::FilterCriteria() = default;
FilterCriteria::~FilterCriteria() = default;
FilterCriteria::FilterCriteria(FilterCriteria &&) noexcept = default;
FilterCriteria &FilterCriteria::operator=(FilterCriteria &&) noexcept = default;

FilterCriteria FilterCriteria::parse(const QString &criteria, const ColumnLookup &lookup)
{
    FilterCriteria result;
    if (!criteria.trimmed().isEmpty())
        result.m_root = Parser(criteria, lookup).run();
    return result;
}

bool FilterCriteria::matches(const ColumnValue &value) const
{
    return !m_root || m_root->matches(value);
}

bool FilterCriteria::isEmpty() const
{
    return !m_root;
}

bool FilterCriteria::isSingleComparison() const
{
    return m_root && m_root->type == Node::Compare;
}

// ---------------------------------------------------------------- sort

std::vector<SortKey> parseSort(const QString &sort, const ColumnLookup &lookup)
{
    std::vector<SortKey> keys;
    if (sort.trimmed().isEmpty())
        return keys;
    const auto fail = [&sort](const QString &what) {
        raise(adErrInvalidArgument, QStringLiteral("Sort \"%1\": %2.").arg(sort, what),
              errorSource);
    };
    for (const QString &item : sort.split(QLatin1Char(','))) {
        QString part = item.trimmed();
        if (part.isEmpty())
            fail(QStringLiteral("a column name is missing"));
        SortKey key;
        const QString upper = part.toUpper();
        if (upper.endsWith(QLatin1String(" DESC"))) {
            key.descending = true;
            part.chop(5);
        } else if (upper.endsWith(QLatin1String(" ASC"))) {
            part.chop(4);
        }
        part = part.trimmed();
        if (part.startsWith(QLatin1Char('['))) {
            if (!part.endsWith(QLatin1Char(']')) || part.size() < 3)
                fail(QStringLiteral("'%1' is not a [column name]").arg(part));
            part = part.mid(1, part.size() - 2).trimmed();
        } else if (part.contains(QLatin1Char(' '))) {
            fail(QStringLiteral("'%1' is not a column name followed by ASC or DESC").arg(part));
        }
        key.column = lookup(part);
        if (key.column < 0)
            raise(adErrItemNotFound,
                  QStringLiteral("Sort \"%1\": the column '%2' is not in the recordset.")
                      .arg(sort, part),
                  errorSource);
        keys.push_back(key);
    }
    return keys;
}

int compareForSort(const QVariant &a, const QVariant &b)
{
    const auto rank = [](const QVariant &v) {
        if (isMissingValue(v))
            return 0;
        if (isNumeric(v))
            return 1;
        if (isDate(v))
            return 2;
        if (v.typeId() == QMetaType::QString)
            return 3;
        return 4;
    };
    const int ra = rank(a);
    const int rb = rank(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    switch (ra) {
    case 0:
        return 0;
    case 1:
        return compareNumbers(*toNumber(a), *toNumber(b));
    case 2: {
        const qint64 da = *toDate(a);
        const qint64 db = *toDate(b);
        return da < db ? -1 : (da > db ? 1 : 0);
    }
    case 3:
        return compareText(a.toString(), b.toString());
    default:
        return QString::compare(a.toString(), b.toString());
    }
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    const bool ma = isMissingValue(a);
    const bool mb = isMissingValue(b);
    if (ma || mb)
        return ma == mb;
    if (isNumeric(a) && isNumeric(b))
        return compareNumbers(*toNumber(a), *toNumber(b)) == 0;
    return a.typeId() == b.typeId() && a == b;
}

} // namespace ado
