#pragma once
// A reason code with everything that belongs to it, as the export writes it and the import
// reads it, and its JSON form (format "causali", version 1). Keys are the database's column
// names; rows are kept in a fixed order (journals by company, search sequence by side, row
// type and rank, proposal by row number, descriptions by language), so that the same codes
// always give the same file.

#include "header/header_rules.h"
#include "satellites/satellite_rules.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

namespace causali::exchange {

inline const QString FormatName = QStringLiteral("causali");
constexpr int FormatVersion = 1;

struct CodeRecord
{
    HeaderFields header;
    QMap<QString, QString> descriptions; // CI99_DESLINGUA: language -> text
    QMap<int, SideTypes> checkRows;      // CI11_CONTROLLOCONTI: side (1, 2) -> ticked types
    QList<JournalRow> journals;          // CI05_PROPSEZ
    QList<SearchRow> searchSequence;     // CI06_RICERCACONTO
    QList<ProposalRow> proposal;         // CI10_PROPCONTICAUS

    // The types per side as the rules see them (a missing side ticks nothing).
    AccountTypeChecks checks() const;
    // Puts the lists in the file's order.
    void sortRows();
    bool operator==(const CodeRecord &) const = default;
};

// The JSON object of one code.
QJsonObject toJson(const CodeRecord &record);
// The whole file: {"format", "version", "codes"}, keys sorted, indented.
QByteArray toDocument(const QList<CodeRecord> &records);

// Reading a file: the codes it holds, or the problems that keep it from being read. A problem
// of one code names it and the field; a problem of the file has no code.
struct ReadProblem
{
    QString code;
    QString field;
    QString reason;
};
struct ReadResult
{
    QList<CodeRecord> records;
    QList<ReadProblem> problems;
};
ReadResult fromDocument(const QByteArray &json);

// The flag columns of CI11_CONTROLLOCONTI, account types 0 to 9.
const QStringList &checkFlagColumns();

} // namespace causali::exchange
