#pragma once
// The SELECT texts on which the window re-opens its satellite row sets: the rows of one reason
// code (ShowChild, RefreshChild) or no row at all (ClearChild, and the pages' configuration of
// their frames). Built as lines joined by CR LF;
// the reason code, the language and the identifiers are placed with the data library's SQL
// text helper (codes quoted with their apostrophes doubled, numbers checked).

#include <QString>
#include <QVariant>

namespace causali::childsql {

// ----- the rows of one reason code -----
// Descriptions of the reason code whose CI03_IDPROV is `idProv`, in language `codLingua`.
QString languageText(const QString &codLingua, const QVariant &idProv);
// Default journals, search sequence of one side (1 destination, 2 origin) and development
// proposal, "@CAUSALE" still in place (RefreshChild's SourceSql and the base of ShowChild's).
QString journalsTemplate();
QString searchSequenceTemplate(int side);
QString developmentTemplate();
// The same with "@CAUSALE" replaced by the quoted code; the development proposal also limited
// to the window's charts (placed bare: "-1" stands for no expense-item chart).
QString journalsText(const QString &code);
QString searchSequenceText(const QString &code, int side);
QString developmentText(const QString &code, const QVariant &chart, const QVariant &vdsChart);
// The development proposal of the code on any chart (RefreshChild's SourceSql).
QString developmentSourceText(const QString &code);
// Account-type check rows of the reason code (CI11_CONTROLLOCONTI).
QString checksText(const QString &code);

// ----- no rows (ClearChild) -----
QString emptyLanguageText();
QString emptySearchSequenceText();
QString emptyJournalsText();
QString emptyDevelopmentText();
QString emptyChecksText();

} // namespace causali::childsql
