#pragma once
// Turns the T-SQL texts the module writes into SQLite texts just before they run.
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

#include <QString>

namespace ado {

QString rewriteTsql(const QString &tsql);

} // namespace ado
