#pragma once
// Saving and deleting a reason code: the prepared deletions of the satellite tables, the write
// of a reason code's satellites from the working tables (AggiornamentoDatabase) and the
// deletion sequence the header frame runs before it deletes the header row.

#include "ado/error.h"

#include <QString>
#include <QVariant>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace ado {
class Command;
class Connection;
} // namespace ado

namespace causali {

class HeaderView;
struct WindowState;

// The statements of AggiornamentoDatabase, "@CAUSALE" already replaced. S9 is empty unless
// the language is the base one and no deletion is in progress.
struct AggiornamentoStatements
{
    QString s1, s2, s3, s4, s5, s6, s7, s8, s9;
};

// What became of the write: committed, or rolled back because a statement or the commit
// failed (the database then holds what it had before; the working tables keep the edits).
struct SaveOutcome
{
    bool committed = true;
    QString failedStep; // "S1".."S9" or "CommitTrans"
    std::optional<ado::RuntimeError> error;
};

class SaveRoutines
{
public:
    SaveRoutines(WindowState &state, const HeaderView &header);
    ~SaveRoutines();
    SaveRoutines(const SaveRoutines &) = delete;
    SaveRoutines &operator=(const SaveRoutines &) = delete;

    // Prepared deletions of one reason code's rows (parameter "@CAUSALE"), built on first use.
    ado::Command &CmdEliminaControlloConti();
    ado::Command &CmdEliminaRicercaConto();
    ado::Command &CmdEliminaPropSez();
    ado::Command &CmdEliminaPropContiCaus();
    // Their texts.
    static QString deleteControlloContiText();
    static QString deleteRicercaContoText();
    static QString deletePropSezText();
    static QString deletePropContiCausText();

    // Replaces the reason code's rows of CI06_RICERCACONTO, CI10_PROPCONTICAUS, CI05_PROPSEZ
    // and CI99_DESLINGUA with the working copy in one transaction, and CI03_DESCR for the base
    // language. A failing statement or commit rolls back and is told in the outcome, not
    // raised; errors while building the statements or rolling back raise with
    // "AggiornamentoDatabase:".
    SaveOutcome AggiornamentoDatabase();

    static AggiornamentoStatements buildStatements(const QString &code, const QVariant &idProv,
                                                   const QString &codLingua,
                                                   const QString &descrizione,
                                                   bool deletionInProgress);

    // The header's BeforeDelete, one statement a step so that the handler's error dialog can
    // retry or skip each: the check rows, the search sequence, the proposal, the journals
    // (database and working table each), the working descriptions, then AggiornamentoDatabase
    // with DeletionInProgress True (reset whatever happens). `onWritten` receives the outcome
    // of the write.
    using DeletionSteps = std::array<ado::Step, 9>;
    DeletionSteps deletionSteps(std::function<void(const SaveOutcome &)> onWritten = {});
    // Runs deletionSteps under ado::runSteps; false when the reporter answered abort.
    bool runDeletion(const ado::ErrorReporter &report,
                     std::function<void(const SaveOutcome &)> onWritten = {});

private:
    ado::Command &deleteCommand(std::unique_ptr<ado::Command> &slot, const QString &text);
    void executeDelete(ado::Command &command);
    SaveOutcome write(ado::Connection &connection, const AggiornamentoStatements &statements);

    WindowState &m_state;
    const HeaderView &m_header;
    std::unique_ptr<ado::Command> m_eliminaControlloConti;
    std::unique_ptr<ado::Command> m_eliminaRicercaConto;
    std::unique_ptr<ado::Command> m_eliminaPropSez;
    std::unique_ptr<ado::Command> m_eliminaPropContiCaus;
};

} // namespace causali
