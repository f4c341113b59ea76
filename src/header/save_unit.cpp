#include "header/save_unit.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "data/database_errors.h"
#include "data/stored_code.h"
#include "data/window_state.h"
#include "header/header_panel.h"
#include "host/dialogs.h"
#include "satellites/account_checks_page.h"
#include "satellites/editor_context.h"

#include <QLoggingCategory>

#include <algorithm>
#include <vector>

namespace causali {

namespace {

Q_LOGGING_CATEGORY(lcSave, "causali.save", QtInfoMsg)

const QString MessageTitle = QStringLiteral("Attenzione");

QString procedureOf(host::WriteUnit::Kind kind)
{
    return kind == host::WriteUnit::Kind::Update ? QStringLiteral("gclsFrameTestata_AfterUpdate")
                                                 : QStringLiteral("gclsFrameTestata_BeforeDelete");
}

} // namespace

SaveUnit::SaveUnit(EditorContext &context, HeaderPanel &panel) : m_context(context), m_panel(panel)
{}

ado::Connection &SaveUnit::connection() const
{
    return connectionOf(m_context.state());
}

void SaveUnit::remember(const QString &code)
{
    m_code = code;
    m_fingerprint = StoredCode::digest(connection(), code);
}

bool SaveUnit::storedAsRemembered() const
{
    return !m_code.isEmpty() && StoredCode::digest(connection(), m_code) == m_fingerprint;
}

// Opens the transaction; a database another program is writing is waited for (the busy
// timeout) and then offered again.
bool SaveUnit::openTransaction(Kind kind)
{
    ado::Connection &db = connection();
    for (;;) {
        try {
            db.BeginTrans();
            WindowState &state = m_context.state();
            db.onRollback(
                [&state, was = state.AccountTypesChanged] { state.AccountTypesChanged = was; });
            return true;
        } catch (const ado::RuntimeError &e) {
            if (!isDatabaseInUse(e, &db)) {
                tell(kind, causaItaliana(e, &db));
                return false;
            }
            const QString text =
                QStringLiteral("Il database è in uso da un altro programma: %1 non è possibile "
                               "ora e nulla è stato scritto.\nRiprovare?")
                    .arg(kind == Kind::Update ? QStringLiteral("il salvataggio")
                                              : QStringLiteral("l'eliminazione"));
            if (m_context.MostraMessaggio(text, host::vbRetryCancel | host::vbExclamation,
                                          MessageTitle, procedureOf(kind))
                != host::vbRetry)
                return false;
        }
    }
}

bool SaveUnit::begin(Kind kind)
{
    m_failure.reset();
    const QString code = codiceCausale(m_context.headerView());
    const bool inserting = kind == Kind::Update && m_context.headerFrame()
                           && m_context.headerFrame()->Status() == host::DataFrame::StatusNew;
    const QByteArray expected = inserting        ? StoredCode::absent()
                                : code == m_code ? m_fingerprint
                                                 : QByteArray();
    QByteArray accepted; // a stored version the user chose to overwrite
    for (;;) {
        if (!openTransaction(kind))
            return false;
        QByteArray stored;
        try {
            stored = StoredCode::digest(connection(), code, true);
        } catch (const ado::RuntimeError &e) {
            rollBack();
            tell(kind, causaItaliana(e, &connection()));
            return false;
        }
        if (stored == expected
            || (!accepted.isEmpty() && stored == accepted && prepareOverwrite())) {
            m_active = true;
            return true;
        }
        if (!accepted.isEmpty() && stored == accepted)
            return false; // the overwrite could not be prepared: told, rolled back
        rollBack();
        const bool deleted = stored == StoredCode::absent();
        switch (askConflict(kind, code, deleted, inserting)) {
        case Choice::Back:
            return false;
        case Choice::Reload:
            m_panel.showStoredVersion(code);
            return false;
        case Choice::Overwrite:
            accepted = stored;
            break;
        }
    }
}

// Overwriting another program's version: the header row and the checks are found by what is
// stored now, so that the edits are written over it.
bool SaveUnit::prepareOverwrite()
{
    try {
        if (ado::Recordset *header = m_panel.recordsetTestata())
            header->Resync(ado::adAffectCurrent, ado::adResyncUnderlyingValues);
        if (AccountChecksPage *checks = m_context.accountChecksPage()) {
            if (ado::Recordset *rows = checks->checkRecordset(); rows && rows->RecordCount() > 0)
                rows->Resync(ado::adAffectAll, ado::adResyncUnderlyingValues);
        }
        return true;
    } catch (const ado::RuntimeError &e) {
        rollBack();
        tell(Kind::Update, causaItaliana(e, &connection()));
        return false;
    }
}

SaveUnit::Choice SaveUnit::askConflict(Kind kind, const QString &code, bool deleted, bool inserting)
{
    // Each answer names what it does; the last one changes nothing and is the default.
    const auto ask = [&](const QString &text, const QStringList &answers,
                         const std::vector<Choice> &choices) {
        const int index = host::DialogService::instance().choose(text, MessageTitle, answers,
                                                                 int(answers.size()) - 1);
        return choices.at(size_t(std::clamp(index, 0, int(choices.size()) - 1)));
    };
    if (inserting)
        return ask(QStringLiteral("La causale %1 è stata inserita da un altro utente mentre la "
                                  "inserivi: nulla è stato scritto.")
                       .arg(code),
                   {QStringLiteral("Mostra la causale memorizzata"),
                    QStringLiteral("Torna ai dati inseriti")},
                   {Choice::Reload, Choice::Back});
    if (deleted && kind == Kind::Delete) {
        m_context.MostraMessaggio(
            QStringLiteral("La causale %1 è già stata eliminata da un altro utente.").arg(code),
            host::vbOKOnly | host::vbExclamation, MessageTitle, procedureOf(kind));
        return Choice::Reload;
    }
    if (deleted)
        return ask(QStringLiteral("La causale %1 è stata eliminata da un altro utente dopo che "
                                  "l'hai aperta: le modifiche non sono state salvate.\n\n"
                                  "Aggiorna l'elenco: mostra le causali memorizzate (le tue "
                                  "modifiche vanno perse).")
                       .arg(code),
                   {QStringLiteral("Aggiorna l'elenco"), QStringLiteral("Torna alle modifiche")},
                   {Choice::Reload, Choice::Back});
    if (kind == Kind::Delete)
        return ask(QStringLiteral("La causale %1 è stata modificata da un altro utente dopo che "
                                  "l'hai aperta: nulla è stato eliminato.\n\n"
                                  "Ricarica: mostra la versione memorizzata.")
                       .arg(code),
                   {QStringLiteral("Elimina comunque"), QStringLiteral("Ricarica"),
                    QStringLiteral("Non eliminare")},
                   {Choice::Overwrite, Choice::Reload, Choice::Back});
    return ask(QStringLiteral("La causale %1 è stata modificata da un altro utente dopo che l'hai "
                              "aperta: nulla è stato salvato.\n\n"
                              "Sovrascrivi: salva le tue modifiche al posto della versione "
                              "memorizzata.\nRicarica: mostra la versione memorizzata (le tue "
                              "modifiche vanno perse).")
                   .arg(code),
               {QStringLiteral("Sovrascrivi"), QStringLiteral("Ricarica"),
                QStringLiteral("Torna alle modifiche")},
               {Choice::Overwrite, Choice::Reload, Choice::Back});
}

void SaveUnit::fail(const ado::RuntimeError &error)
{
    qCDebug(lcSave) << "save step failed:" << error.number() << error.description()
                    << error.source();
    if (!m_failure)
        m_failure = causaItaliana(error, &connection());
}

bool SaveUnit::commit(Kind kind)
{
    m_active = false;
    ado::Connection &db = connection();
    const QString code = codiceCausale(m_context.headerView());
    if (!m_failure) {
        try {
            // What is stored once this unit is kept: the next save compares with it.
            const QByteArray after = StoredCode::digest(db, code);
            db.CommitTrans();
            m_code = code;
            m_fingerprint = after;
            return true;
        } catch (const ado::RuntimeError &e) {
            m_failure = causaItaliana(e, &db);
        }
    }
    rollBack();
    tell(kind, *m_failure);
    m_failure.reset();
    return false;
}

void SaveUnit::abort(Kind kind, const ado::RuntimeError *error)
{
    m_active = false;
    if (error)
        fail(*error);
    rollBack();
    if (m_failure)
        tell(kind, *m_failure);
    m_failure.reset();
}

void SaveUnit::rollBack()
{
    ado::Connection &db = connection();
    try {
        while (db.transactionLevel() > 0)
            db.RollbackTrans();
    } catch (const ado::RuntimeError &e) {
        // The database undoes an unfinished transaction by itself when the connection ends;
        // nothing of it was committed.
        qCWarning(lcSave) << "rollback failed:" << e.description();
    }
}

void SaveUnit::tell(Kind kind, const QString &cause)
{
    const QString text =
        kind == Kind::Update
            ? QStringLiteral("La causale non è stata salvata: nel database non è stato scritto "
                             "nulla.\nCausa: %1.\nLe modifiche sono ancora a video: premere "
                             "Conferma per riprovare.")
                  .arg(cause)
            : QStringLiteral("La causale non è stata eliminata: il database è rimasto com'era."
                             "\nCausa: %1.")
                  .arg(cause);
    m_context.MostraMessaggio(text, host::vbExclamation, MessageTitle, procedureOf(kind));
}

} // namespace causali
