#pragma once
// Turns the T-SQL texts the module writes into SQLite or PostgreSQL texts just before they run.
//
// Works on tokens: string literals and quoted identifiers are never altered. What it does:
// #NAME -> temp table "#NAME" (CREATE TABLE #X -> CREATE TEMP TABLE), WITH (NOLOCK) removed,
// DELETE T WHERE -> DELETE FROM T WHERE, ISNULL( -> IFNULL(, TOP n -> LIMIT n,
// COLLATE DATABASE_DEFAULT -> COLLATE RTRIM, N'..' -> '..', DBO. prefixes removed,
// IF OBJECT_ID(N'tempdb..#X', N'U') IS NOT NULL DROP TABLE #X -> DROP TABLE IF EXISTS temp."#X".
// Also: [x] -> "x", INSERT T -> INSERT INTO T, DROP TABLE #X -> DROP TABLE temp."#X", TOP (n) and
// TOP in a subquery (LIMIT at the end of that SELECT); comments become blanks and a final ';'
// goes. '?' placeholders keep their order.
// A construct it does not understand, a NUL character or more than one statement raises
// ado::RuntimeError (adErrUnsupportedSql, source "ado.rewriteTsql") naming it and its position:
// it never sends silently wrong SQL. Refused among others: + next to a string literal,
// @variables (a leftover @CAUSALE too), statements other than SELECT/INSERT/UPDATE/DELETE/
// CREATE/DROP/WITH, DECLARE, EXEC, GO, BEGIN/COMMIT/ROLLBACK, GETDATE(), LEN(), CHARINDEX(),
// CONVERT(), LOG(), FORMAT(), OUTPUT, MERGE, APPLY, PIVOT, table hints other than NOLOCK,
// SELECT ... INTO, IDENTITY, TOP PERCENT / WITH TIES / TOP in a UNION member, "name = expr"
// in a select list, DELETE or UPDATE with a join, collations other than DATABASE_DEFAULT.
//
// String concatenation: T-SQL's + joins texts, SQLite's and PostgreSQL's + adds numbers, and
// which one a + means depends on its operands' types, which a rewriter of tokens cannot know.
// So a + with a string literal on either side is refused on both engines (the module joins texts
// in the program, never in SQL); a + between two names or numbers stays an addition.
//
// The PostgreSQL dialect differs in these points only:
//   #NAME -> "#name" (quoted names are folded to lower case, as PostgreSQL folds unquoted ones,
//   so [x], "x" and x stay one name); a dropped temp table is pg_temp."#name";
//   ISNULL( -> COALESCE(; COLLATE DATABASE_DEFAULT is removed (CHAR(n) columns compare without
//   trailing blanks by themselves); the types PostgreSQL lacks are renamed: NVARCHAR -> VARCHAR,
//   NCHAR -> CHAR, NTEXT -> TEXT, TINYINT -> SMALLINT; a SELECT's WITH (UPDLOCK) becomes FOR
//   UPDATE at its end (SQLite drops it: its write transaction keeps other writers out). '?' placeholders are left as they are
//   (they are numbered when the statement is prepared).
//
// Trace: when the environment variable CAUSALI_SQL_TRACE names a file, every text accepted is
// appended to it (program name, TAB, the T-SQL text, NUL), to see what a session sent; the
// tests use it to check every text the module sent against PostgreSQL.

#include <QString>

namespace ado {

enum class SqlDialect { Sqlite, Postgres };

QString rewriteTsql(const QString &tsql, SqlDialect dialect = SqlDialect::Sqlite);

} // namespace ado
