#pragma once
// The unit of work of the header frame: one "Conferma" (the header row, the account-type
// checks, the four lists and the description) or one "Elimina" is one database transaction.
//
// begin() opens the transaction (waiting for another program that is writing, then offering to
// try again) and checks, before anything is written, that the code is stored as the window
// read it when it showed it; when another program changed, deleted or created it meanwhile,
// nothing is written and the user chooses: the stored version (edits dropped), overwrite it
// with the edits, or back to editing. The header's handlers report a failing step with fail();
// commit() then rolls everything back, the row sets get their pending rows back, and the user
// reads in Italian that nothing was saved and why. The edits stay on screen, ready for the next
// "Conferma".

#include "host/data_frame.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace ado {
class Connection;
class RuntimeError;
} // namespace ado

namespace causali {

class EditorContext;
class HeaderPanel;

class SaveUnit : public host::WriteUnit
{
public:
    SaveUnit(EditorContext &context, HeaderPanel &panel);

    bool begin(Kind kind) override;
    bool commit(Kind kind) override;
    void abort(Kind kind, const ado::RuntimeError *error) override;

    // A step of the unit failed: the unit will not be kept.
    void fail(const ado::RuntimeError &error);
    bool failed() const { return m_failure.has_value(); }
    // Between a successful begin() and the commit or abort.
    bool active() const { return m_active; }

    // Takes the fingerprint of the code as stored now (the code being shown).
    void remember(const QString &code);
    // The code remembered is stored as it was when remembered.
    bool storedAsRemembered() const;
    const QString &rememberedCode() const { return m_code; }

private:
    enum class Choice { Reload, Overwrite, Back };

    ado::Connection &connection() const;
    bool openTransaction(Kind kind);
    bool prepareOverwrite();
    Choice askConflict(Kind kind, const QString &code, bool deleted, bool inserting);
    void rollBack();
    void tell(Kind kind, const QString &cause);

    EditorContext &m_context;
    HeaderPanel &m_panel;
    QString m_code;                   // the code remembered
    QByteArray m_fingerprint;         // how it was stored then
    std::optional<QString> m_failure; // why the unit will not be kept (Italian)
    bool m_active = false;
};

} // namespace causali
