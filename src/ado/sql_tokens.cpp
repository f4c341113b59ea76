#include "ado/sql_tokens.h"

#include "ado/constants.h"
#include "ado/error.h"

namespace ado::sql {

namespace {

[[noreturn]] void refuse(const QString &what, int pos)
{
    raise(adErrUnsupportedSql,
          QStringLiteral("Unsupported SQL: %1 (at character %2)").arg(what).arg(pos + 1),
          QStringLiteral("ado.rewriteTsql"));
}

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'#';
}

bool isIdentPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'#' || c == u'$' || c == u'@';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

class Lexer
{
public:
    explicit Lexer(const QString &text) : m_text(text), m_size(int(text.size())) {}

    std::vector<Token> run()
    {
        std::vector<Token> tokens;
        while (m_pos < m_size)
            tokens.push_back(next());
        return tokens;
    }

private:
    QChar at(int i) const { return i < m_size ? m_text[i] : QChar(); }

    Token make(TokenKind kind, int start, int end)
    {
        Token t;
        t.kind = kind;
        t.pos = start;
        t.text = m_text.mid(start, end - start);
        m_pos = end;
        return t;
    }

    Token next()
    {
        const int start = m_pos;
        const QChar c = m_text[start];
        if (c.isSpace()) {
            int end = start;
            while (end < m_size && m_text[end].isSpace())
                ++end;
            return make(TokenKind::Space, start, end);
        }
        if (c == u'-' && at(start + 1) == u'-')
            return lineComment(start);
        if (c == u'/' && at(start + 1) == u'*')
            return blockComment(start);
        if (c == u'\'')
            return string(start, start, false);
        if ((c == u'N' || c == u'n') && at(start + 1) == u'\'')
            return string(start, start + 1, true);
        if ((c == u'X' || c == u'x') && at(start + 1) == u'\'')
            refuse(QStringLiteral("the blob literal X'...'"), start);
        if (c == u'"')
            return delimited(start, u'"', QStringLiteral("quoted identifier"));
        if (c == u'[')
            return delimited(start, u']', QStringLiteral("bracketed identifier"));
        if (c == u'@')
            return variable(start);
        if (isDigit(c) || (c == u'.' && isDigit(at(start + 1))))
            return number(start);
        if (isIdentStart(c))
            return identifier(start);
        if (c == u'?') {
            if (isDigit(at(start + 1)))
                refuse(QStringLiteral("the numbered placeholder ?%1").arg(at(start + 1)), start);
            return make(TokenKind::Placeholder, start, start + 1);
        }
        if (QStringView(u"(),.;+-*/%=<>!~&|^").contains(c))
            return make(TokenKind::Punct, start, start + 1);
        refuse(QStringLiteral("the character '%1' outside a literal").arg(c), start);
    }

    Token lineComment(int start)
    {
        int end = start + 2;
        while (end < m_size && m_text[end] != u'\n' && m_text[end] != u'\r')
            ++end;
        return make(TokenKind::Comment, start, end);
    }

    // T-SQL nests block comments: /* a /* b */ c */ is one comment.
    Token blockComment(int start)
    {
        int depth = 0;
        int i = start;
        while (i < m_size) {
            if (m_text[i] == u'/' && at(i + 1) == u'*') {
                ++depth;
                i += 2;
            } else if (m_text[i] == u'*' && at(i + 1) == u'/') {
                i += 2;
                if (--depth == 0)
                    return make(TokenKind::Comment, start, i);
            } else {
                ++i;
            }
        }
        refuse(QStringLiteral("an unterminated comment /*"), start);
    }

    Token string(int start, int quote, bool national)
    {
        int i = quote + 1;
        while (i < m_size) {
            if (m_text[i] == u'\'') {
                if (at(i + 1) == u'\'') {
                    i += 2;
                    continue;
                }
                Token t = make(TokenKind::String, start, i + 1);
                t.value = m_text.mid(quote + 1, i - quote - 1);
                t.national = national;
                return t;
            }
            ++i;
        }
        refuse(QStringLiteral("an unterminated string literal"), start);
    }

    Token delimited(int start, QChar close, const QString &what)
    {
        QString name;
        int i = start + 1;
        while (i < m_size) {
            if (m_text[i] == close) {
                if (at(i + 1) == close) {
                    name += close;
                    i += 2;
                    continue;
                }
                Token t = make(TokenKind::Identifier, start, i + 1);
                t.value = name;
                t.quoted = true;
                t.bracketed = close == u']';
                return t;
            }
            name += m_text[i++];
        }
        refuse(QStringLiteral("an unterminated %1").arg(what), start);
    }

    Token variable(int start)
    {
        int end = start + 1;
        while (end < m_size && (isIdentPart(m_text[end])))
            ++end;
        Token t = make(TokenKind::Variable, start, end);
        t.value = t.text;
        return t;
    }

    Token number(int start)
    {
        if (m_text[start] == u'0' && (at(start + 1) == u'x' || at(start + 1) == u'X'))
            refuse(QStringLiteral("the binary literal 0x..."), start);
        int end = start;
        while (isDigit(at(end)))
            ++end;
        if (at(end) == u'.') {
            ++end;
            while (isDigit(at(end)))
                ++end;
        }
        if (at(end) == u'e' || at(end) == u'E') {
            int exp = end + 1;
            if (at(exp) == u'+' || at(exp) == u'-')
                ++exp;
            if (isDigit(at(exp))) {
                end = exp;
                while (isDigit(at(end)))
                    ++end;
            }
        }
        Token t = make(TokenKind::Number, start, end);
        t.value = t.text;
        return t;
    }

    Token identifier(int start)
    {
        if (m_text[start] == u'#' && at(start + 1) == u'#')
            refuse(QStringLiteral("the global temporary table ##..."), start);
        int end = start + 1;
        while (end < m_size && isIdentPart(m_text[end]))
            ++end;
        Token t = make(TokenKind::Identifier, start, end);
        t.value = t.text;
        return t;
    }

    const QString &m_text;
    const int m_size;
    int m_pos = 0;
};

} // namespace

bool Token::isKeyword(const char *keyword) const
{
    return kind == TokenKind::Identifier && !quoted
           && value.compare(QLatin1StringView(keyword), Qt::CaseInsensitive) == 0;
}

std::vector<Token> tokenize(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        refuse(QStringLiteral("a NUL character"), int(nul));
    return Lexer(text).run();
}

QString quotedString(const QString &value)
{
    return u'\'' + value + u'\'';
}

QString quotedIdentifier(const QString &name)
{
    QString escaped = name;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

} // namespace ado::sql
