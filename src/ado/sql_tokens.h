#pragma once
// Splits a T-SQL text into tokens for the rewriter.
//
// Every character of the text belongs to exactly one token, so joining the tokens' texts gives
// the text back. A construct that cannot be split safely (an unterminated literal, quoted
// identifier or comment, a binary literal, a character T-SQL and SQLite read differently)
// raises ado::RuntimeError (adErrUnsupportedSql) naming it and its position.

#include <QString>

#include <vector>

namespace ado::sql {

enum class TokenKind {
    Space,       // blanks, tabs, line ends
    Comment,     // -- to the end of the line, or /* */ (nested as T-SQL nests them)
    String,      // 'it''s' or N'...'
    Identifier,  // a name or keyword: letters, digits, _, #, $ (and "x" or [x] when quoted)
    Variable,    // @name or @@name
    Number,      // 12, 1.5, .5, 1e3
    Placeholder, // ? (a positional parameter)
    Punct,       // one character of ( ) , . ; + - * / % = < > ! ~ & | ^
};

struct Token
{
    TokenKind kind = TokenKind::Space;
    int pos = 0;  // 0-based offset in the text
    QString text; // the token exactly as written
    // String: the text between the quotes, as written (doubled quotes kept).
    // Identifier: the name (for "x" and [x] without the delimiters, escapes undone).
    QString value;
    bool national = false;  // N'...'
    bool quoted = false;    // "x" or [x]
    bool bracketed = false; // [x]

    bool isPunct(QChar c) const
    {
        return kind == TokenKind::Punct && text.size() == 1 && text[0] == c;
    }
    // An unquoted identifier spelled as `keyword` (ASCII upper case), whatever its case.
    bool isKeyword(const char *keyword) const;
};

// The tokens of `text`, in order. Raises adErrUnsupportedSql with source "ado.rewriteTsql".
std::vector<Token> tokenize(const QString &text);

// The text of a string literal as SQLite reads it: the quotes around the value as written.
QString quotedString(const QString &value);
// A name as a double-quoted identifier ("" inside doubled).
QString quotedIdentifier(const QString &name);

} // namespace ado::sql
