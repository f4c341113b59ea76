#pragma once
// Turns the T-SQL texts the module writes into SQLite texts just before they run.
//
// Works on tokens: string literals and quoted identifiers are never altered. What it does:
// #NAME -> temp table "#NAME" (CREATE TABLE #X -> CREATE TEMP TABLE), WITH (NOLOCK) removed,
// DELETE T WHERE -> DELETE FROM T WHERE, ISNULL( -> IFNULL(, TOP n -> LIMIT n,
// COLLATE DATABASE_DEFAULT -> COLLATE RTRIM, N'..' -> '..', DBO. prefixes removed,
// IF OBJECT_ID(N'tempdb..#X', N'U') IS NOT NULL DROP TABLE #X -> DROP TABLE IF EXISTS temp."#X".
// A construct it does not understand, a NUL character or more than one statement raises
// ado::RuntimeError (adErrUnsupportedSql) naming it: it never sends silently wrong SQL.

#include <QString>

namespace ado {

QString rewriteTsql(const QString &tsql);

} // namespace ado
