#pragma once
// Reason codes read from and written to the database as whole records (header, descriptions,
// account-type checks, journals, search sequence, proposal).
//
// Reading takes every code with a handful of set-based queries. Writing a code goes the way
// the editor's save goes: the header row, the check rows, then the code's lists through the
// working tables and the save routine (AggiornamentoDatabase), whose statements replace the
// code's stored rows. The caller holds the transaction around many writes.

#include "tools/exchange_record.h"

#include <QSet>
#include <QStringList>

#include <array>
#include <memory>

namespace ado {
class Command;
class Connection;
} // namespace ado

namespace causali::exchange {

// Every stored code, in code order; only those named when `codes` is not empty.
QList<CodeRecord> readCodes(ado::Connection &connection, const QStringList &codes = {});
// The codes stored now.
QSet<QString> storedCodes(ado::Connection &connection);

class CodeWriter
{
public:
    // Creates the working tables on the connection (once per writer).
    explicit CodeWriter(ado::Connection &connection);
    ~CodeWriter();
    CodeWriter(const CodeWriter &) = delete;
    CodeWriter &operator=(const CodeWriter &) = delete;

    // Creates the code or replaces everything stored for it. Raises ado::RuntimeError when a
    // statement fails; the caller's transaction then rolls back.
    void write(const CodeRecord &record, bool exists);

private:
    void writeHeader(const CodeRecord &record, bool exists);
    void writeChecks(const CodeRecord &record);
    void fillWorkingTables(const CodeRecord &record, const QVariant &idProv);
    void writeLists(const CodeRecord &record, const QVariant &idProv);
    ado::Command &command(std::unique_ptr<ado::Command> &slot, const QString &text);

    ado::Connection &m_connection;
    std::unique_ptr<ado::Command> m_insertHeader;
    std::unique_ptr<ado::Command> m_updateHeader;
    std::unique_ptr<ado::Command> m_idProv;
    std::unique_ptr<ado::Command> m_insertCheck;
    std::unique_ptr<ado::Command> m_insertJournal;
    std::unique_ptr<ado::Command> m_insertSearch;
    std::unique_ptr<ado::Command> m_insertProposal;
    std::unique_ptr<ado::Command> m_insertDescription;
    std::array<std::unique_ptr<ado::Command>, 4> m_empty; // one per working table
    struct Save;
    std::unique_ptr<Save> m_save;
};

} // namespace causali::exchange
