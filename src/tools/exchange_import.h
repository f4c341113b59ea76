#pragma once
// Export of reason codes to a JSON file and import from one. The import checks every code with
// the rules the editor applies when a user saves it and writes all codes in one transaction,
// or nothing; its report says what it creates or replaces and every refusal.

#include "tools/exchange_record.h"

#include <QStringList>

namespace ado {
class Connection;
}

namespace causali::exchange {

struct ImportOptions
{
    bool dryRun = false;                          // check and report, write nothing
    QStringList knownLanguages;                   // language codes descriptions may use; empty: any
    QString userLanguage = QStringLiteral("ITA"); // the language of the linked codes' lookups
};

struct ImportReport
{
    QStringList lines; // what the import does, one line a code, then the refusals
    int created = 0;
    int replaced = 0;
    int refusals = 0;     // refusals and unreadable fields together
    bool written = false; // committed
    bool ok() const { return refusals == 0; }
};

// The codes (all of them when `codes` is empty) as the file's bytes. A code named that does
// not exist raises ado::RuntimeError naming it.
QByteArray exportCodes(ado::Connection &connection, const QStringList &codes = {});

ImportReport importCodes(ado::Connection &connection, const QByteArray &json,
                         const ImportOptions &options = {});

// The refusals of one code: header, account types, the three lists, the descriptions.
RuleRefusals checkRecord(const CodeRecord &record, HeaderLookups &header, SatelliteLookups &lists,
                         const QStringList &knownLanguages);

} // namespace causali::exchange
