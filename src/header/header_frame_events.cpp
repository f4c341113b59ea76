// The header frame's events: validation before a save, the save of the satellites after it,
// undo, deletion, the record state and the pending-changes test.

#include "header/header_panel.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/lookups.h"
#include "data/save_routines.h"
#include "data/value_domains.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "header/header_rules.h"
#include "header/save_unit.h"
#include "host/check_box.h"
#include "host/cinterface.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/host_global.h"
#include "host/message_dictionary.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/editor_context.h"
#include "satellites/journals_page.h"
#include "satellites/page_support.h"
#include "satellites/proposal_page.h"
#include "satellites/search_sequence_page.h"

#include <array>

namespace causali {

namespace {

const QString DescrColumn = QStringLiteral("CI03_DESCR");

template<typename T>
T &require(T *object, const QString &what)
{
    if (!object)
        raiseMissing(what);
    return *object;
}

host::DataFrame &requireFrame(host::DataFrame *frame, const char *name)
{
    return require(frame, QStringLiteral("Il frame %1").arg(QLatin1String(name)));
}

// The value of a combo box read as a number (VB's Val of its text).
double comboNumber(const host::ComboBox *combo)
{
    return ado::CDbl(ado::NormalizzaNumero(combo->Text()));
}

void focusIfEnabled(QWidget *widget)
{
    if (widget->isEnabled())
        widget->setFocus(Qt::OtherFocusReason);
}

} // namespace

// Shows a message of the host's dictionary, exclamation style, with the window's caption.
void HeaderPanel::showHostMessage(long number)
{
    host::Cinterface &module = require(m_context.ActiveInterface(),
                                       QStringLiteral("L'interfaccia del modulo"));
    host::HostGlobal &global = require(module.ClsGlobal(),
                                       QStringLiteral("L'oggetto globale dell'applicazione"));
    global.messageDictionary()->ShowMessage(number, host::vbExclamation, m_context.caption());
}

// ------------------------------------------------------------------ BeforeUpdate

void HeaderPanel::gclsFrameTestata_BeforeUpdate(bool &fbol_Cancel)
{
    host::TabStrip *tabs = m_context.tabStrip();
    runHandler(
        m_context, QStringLiteral("gclsFrameTestata_BeforeUpdate"),
        {
            [&] {
                if (!fbol_Cancel && refuseMissingDescription())
                    fbol_Cancel = true;
            },
            [&] {
                if (fbol_Cancel
                    || !header_rules::standardCostNeedsSource(int(comboNumber(CBO_TIPOPROPCOSTO)),
                                                              int(comboNumber(CBO_PROVCOSTO))))
                    return;
                showHostMessage(host::msg::StandardCostNeedsSource);
                fbol_Cancel = true;
                require(tabs, QStringLiteral("TAB_CAUSALI")).setTab(0);
                focusIfEnabled(CBO_PROVCOSTO);
            },
            [&] {
                if (fbol_Cancel
                    || require(m_context.accountChecksPage(),
                               QStringLiteral("La pagina dei controlli conti"))
                           .ControlloTipiImpostati())
                    return;
                showHostMessage(host::msg::AccountTypeMissing);
                fbol_Cancel = true;
                require(tabs, QStringLiteral("TAB_CAUSALI")).setTab(2);
            },
            [&] {
                if (fbol_Cancel
                    || require(m_context.accountChecksPage(),
                               QStringLiteral("La pagina dei controlli conti"))
                           .ControlloNumeroTipi())
                    return;
                showHostMessage(host::msg::TooManyAccountTypes);
                fbol_Cancel = true;
                focusIfEnabled(TXT_CAUSALE->isEnabled() ? TXT_CAUSALE : TXT_DCAUSALE);
            },
            [&] {
                if (fbol_Cancel)
                    return;
                if (!settleSatelliteRows())
                    fbol_Cancel = true;
                ado::Field descr = require(m_recordsetTestata.get(),
                                           QStringLiteral("Il recordset della testata"))
                                       .Fields(DescrColumn);
                if (!fbol_Cancel) {
                    settleDescription(descr);
                    // "No" to the description's question leaves a new code without one.
                    if (refuseMissingDescription())
                        fbol_Cancel = true;
                }
                // The column is never written as Null.
                if (ado::NormalizzaStringa(descr.Value()).isEmpty())
                    descr.setValue(QStringLiteral(""));
            },
        });
}

// Message 21782, tab 2 and the focus on the description when it is empty (Null, or blanks
// only); true when the save is refused.
bool HeaderPanel::refuseMissingDescription()
{
    if (!header_rules::descriptionMissing(ado::NormalizzaStringa(TXT_DCAUSALE->Text())))
        return false;
    showHostMessage(host::msg::DescriptionMissing);
    // Tab 2, not 0: the description lies outside the tab strip.
    require(m_context.tabStrip(), QStringLiteral("TAB_CAUSALI")).setTab(2);
    TXT_DCAUSALE->setFocus(Qt::OtherFocusReason);
    return true;
}

// The description is settled before the header row is written and, in the base language,
// written with the row into CI03_DESCR. The save of the satellites (AggiornamentoDatabase)
// writes the same text there afterwards; were the row set left with the older text, the next
// update or delete of the header row would not find the row it read. The save is the user's
// answer already ("Conferma", or "Sì" to the question about the code): the description is
// confirmed without asking again.
void HeaderPanel::settleDescription(ado::Field &descr)
{
    host::DataFrame &lingua = requireFrame(m_frameLingua.get(), "gclsFrameDatiCausaliLingua");
    if (lingua.RecordChanged())
        lingua.ConfirmPending(false, true, false);
    if (m_context.state().CodLingua.trimmed() == LinguaBase)
        descr.setValue(m_context.headerView().descrizioneText());
}

// Asks every satellite with an unconfirmed row to settle it, whatever the others answered;
// false when any of them refused.
bool HeaderPanel::settleSatelliteRows()
{
    const std::array<host::DataFrame *, 4> frames = {
        require(m_context.journalsPage(), QStringLiteral("La pagina dei sezionali"))
            .gclsFrameSezionali(),
        require(m_context.searchSequencePage(),
                QStringLiteral("La pagina della sequenza di ricerca"))
            .gclsFrameRicDest(),
        m_context.searchSequencePage()->gclsFrameRicOrigine(),
        require(m_context.proposalPage(), QStringLiteral("La pagina della proposta"))
            .gclsFrameSviluppo(),
    };
    bool settled = true;
    for (host::DataFrame *frame : frames) {
        if (frame && frame->RecordChanged() && !frame->ConfirmPending(true, true, false))
            settled = false;
    }
    return settled;
}

// ------------------------------------------------------------------ AfterUpdate

// Runs the steps of the save's unit of work in order; the first that fails is handed to the
// unit, which then keeps nothing (no abort/retry/ignore here: skipping a step would keep half
// a save).
bool HeaderPanel::runSaveSteps(std::initializer_list<std::function<void()>> steps)
{
    for (const auto &step : steps) {
        try {
            step();
        } catch (const ado::RuntimeError &e) {
            m_saveUnit->fail(e);
            return false;
        } catch (const std::exception &e) {
            m_saveUnit->fail(ado::RuntimeError(5, QString::fromUtf8(e.what())));
            return false;
        }
    }
    return true;
}

void HeaderPanel::gclsFrameTestata_AfterUpdate(long fenm_operationresult)
{
    if (fenm_operationresult != host::DataFrame::OperationSucceeded)
        return;
    runSaveSteps({
        [&] {
            WindowState &state = m_context.state();
            if (!state.AccountTypesChanged)
                return;
            ado::Recordset &checks = require(
                require(m_context.accountChecksPage(),
                        QStringLiteral("La pagina dei controlli conti"))
                    .checkRecordset(),
                QStringLiteral("Il recordset dei controlli conti"));
            checks.UpdateBatch(ado::adAffectAllChapters);
            // A check row another program changed meanwhile ends the save: all or nothing.
            ado::raiseOnConflicts(checks);
            state.AccountTypesChanged = false;
        },
        [&] {
            requireFrame(
                require(m_context.journalsPage(), QStringLiteral("La pagina dei sezionali"))
                    .gclsFrameSezionali(),
                "gclsFrameSezionali")
                .WriteBatch();
        },
        [&] {
            requireFrame(require(m_context.searchSequencePage(),
                                 QStringLiteral("La pagina della sequenza di ricerca"))
                             .gclsFrameRicOrigine(),
                         "gclsFrameRicOrigine")
                .WriteBatch();
        },
        [&] {
            requireFrame(m_context.searchSequencePage()->gclsFrameRicDest(), "gclsFrameRicDest")
                .WriteBatch();
        },
        [&] {
            requireFrame(
                require(m_context.proposalPage(), QStringLiteral("La pagina della proposta"))
                    .gclsFrameSviluppo(),
                "gclsFrameSviluppo")
                .WriteBatch();
        },
        [&] {
            host::DataFrame &lingua = requireFrame(m_frameLingua.get(),
                                                   "gclsFrameDatiCausaliLingua");
            if (lingua.RecordChanged())
                lingua.ConfirmPending(true, true, false);
            lingua.WriteBatch();
        },
        [&] {
            const SaveOutcome outcome = m_context.saveRoutines().AggiornamentoDatabase();
            if (!outcome.committed && outcome.error)
                m_saveUnit->fail(*outcome.error);
        },
    });
}

// ------------------------------------------------------------------ AfterUndo

void HeaderPanel::gclsFrameTestata_AfterUndo(long fenm_operationresult)
{
    if (fenm_operationresult != host::DataFrame::OperationSucceeded)
        return;
    // Re-read from the working tables: the unsaved rows and checks are dropped.
    const auto requery = [](host::DataFrame &frame) {
        frame.ResetControls();
        require(frame.Recordset(), QStringLiteral("Il recordset del frame")).Requery();
    };
    // The search sequence shows the rows of the row type chosen.
    const auto requeryRicerca = [&](host::DataFrame *(SearchSequencePage::*frameOf)() const,
                                    const char *name) {
        SearchSequencePage &page = require(m_context.searchSequencePage(),
                                           QStringLiteral("La pagina della sequenza di ricerca"));
        host::DataFrame &frame = requireFrame((page.*frameOf)(), name);
        requery(frame);
        frame.Recordset()->setFilter(page.rowTypeFilter());
        frame.setSqlText(QString());
    };
    runHandler(
        m_context, QStringLiteral("gclsFrameTestata_AfterUndo"),
        {
            [&] {
                AccountChecksPage &checks = require(
                    m_context.accountChecksPage(), QStringLiteral("La pagina dei controlli conti"));
                ado::Recordset &rows = require(checks.checkRecordset(),
                                               QStringLiteral("Il recordset dei controlli conti"));
                // "Seleziona tutto" leaves its flags in the row's edit buffer: dropped too.
                if (!rows.isBOF() && !rows.isEOF() && rows.EditMode() != ado::adEditNone)
                    rows.CancelUpdate();
                rows.Requery();
                m_context.state().AccountTypesChanged = false;
                checks.PopolaListe();
            },
            [&] {
                host::DataFrame &frame = requireFrame(
                    require(m_context.journalsPage(), QStringLiteral("La pagina dei sezionali"))
                        .gclsFrameSezionali(),
                    "gclsFrameSezionali");
                requery(frame);
                frame.setSqlText(QString());
            },
            [&] { requeryRicerca(&SearchSequencePage::gclsFrameRicDest, "gclsFrameRicDest"); },
            [&] {
                requeryRicerca(&SearchSequencePage::gclsFrameRicOrigine, "gclsFrameRicOrigine");
            },
        });
}

// ------------------------------------------------------------------ BeforeDelete

// Every step runs inside the delete's unit of work: the first that fails ends the deletion
// and the unit keeps nothing of it.
void HeaderPanel::gclsFrameTestata_BeforeDelete(bool &fbol_Cancel)
{
    if (fbol_Cancel)
        return;
    const bool completed = m_context.saveRoutines().runDeletion(
        [&](const ado::RuntimeError &error) {
            m_saveUnit->fail(error);
            return int(ado::AnswerAbort);
        },
        [&](const SaveOutcome &outcome) {
            if (!outcome.committed && outcome.error)
                m_saveUnit->fail(*outcome.error);
        });
    if (!completed || m_saveUnit->failed())
        fbol_Cancel = true;
}

// ------------------------------------------------------------------ showing a code

bool HeaderPanel::showStoredCode()
{
    const QString code = codiceCausale(m_context.headerView());
    // The fingerprint first: a change that lands while the rest is read shows as a conflict at
    // the next save instead of going unnoticed.
    m_saveUnit->remember(code);
    ado::Recordset &header = require(m_recordsetTestata.get(),
                                     QStringLiteral("Il recordset della testata"));
    try {
        header.Resync(ado::adAffectCurrent, ado::adResyncAllValues);
    } catch (const ado::RuntimeError &e) {
        if (e.number() != ado::adErrRowNotFound)
            throw;
        showCodeGone(code);
        return false;
    }
    m_context.workingTables().loadWorkingCopy(code, idProv());
    return true;
}

// Another program deleted the code the window was about to show: the user is told, the list
// of codes is read again and its first code shown.
void HeaderPanel::showCodeGone(const QString &code)
{
    m_context.MostraMessaggio(
        QStringLiteral("La causale %1 non esiste più: è stata eliminata da un altro utente.")
            .arg(code),
        host::vbExclamation, QStringLiteral("Attenzione"),
        QStringLiteral("gclsFrameTestata_ChangeStatus"));
    m_recordsetTestata->Requery();
    m_frameTestata->moveFirst();
}

void HeaderPanel::showStoredVersion(const QString &code)
{
    host::DataFrame &frame = requireFrame(m_frameTestata.get(), "gclsFrameTestata");
    const bool inserting = frame.Status() == host::DataFrame::StatusNew;
    frame.undo();
    if (!inserting)
        return;
    // A code another program entered meanwhile: the list of codes is read again to reach it.
    m_recordsetTestata->Requery();
    if (!moveToCode(frame, code))
        frame.moveFirst();
}

bool HeaderPanel::showCode(const QString &code, bool reread)
{
    host::DataFrame &frame = requireFrame(m_frameTestata.get(), "gclsFrameTestata");
    if (!frame.ConfirmPending(true, true, true))
        return false;
    if (reread) {
        if (frame.Status() == host::DataFrame::StatusNew)
            frame.undo(); // a new row left empty goes before the list is read again
        m_recordsetTestata->Requery();
    }
    return moveToCode(frame, code);
}

bool HeaderPanel::moveToCode(host::DataFrame &frame, const QString &code)
{
    auto view = m_recordsetTestata->Clone();
    for (view->MoveFirst(); !view->isEOF(); view->MoveNext()) {
        if (ado::NormalizzaStringa(view->Fields(QStringLiteral("CI03_CODCAUS")).Value()) == code)
            return frame.moveToBookmark(view->Bookmark());
    }
    return false;
}

// ------------------------------------------------------------------ ChangeStatus

void HeaderPanel::gclsFrameTestata_ChangeStatus(long fenm_status, long fenm_reason)
{
    WindowState &state = m_context.state();
    const bool browse = fenm_status == host::DataFrame::StatusBrowse;
    const bool inserting = fenm_status == host::DataFrame::StatusNew;
    runHandler(m_context, QStringLiteral("gclsFrameTestata_ChangeStatus"),
               {
                   [&] {
                       if (browse && fenm_reason == host::DataFrame::ReasonSaved) {
                           // A new code takes its place in the codes' order (the frame keeps the sort
                           // from then on).
                           if (m_recordsetTestata->Sort().isEmpty())
                               m_recordsetTestata->setSort(QStringLiteral("CI03_CODCAUS ASC"));
                           // The working copy is read again from what was just stored.
                           m_context.workingTables().loadWorkingCopy(
                               codiceCausale(m_context.headerView()), idProv());
                           m_context.ShowChild();
                       } else if (browse && m_frameTestata->hasCurrentRow() && !showStoredCode()) {
                           return; // another code is shown instead, with its own ChangeStatus
                       } else if (inserting) {
                           m_context.workingTables().loadWorkingCopy(QString(), QVariant());
                       }
                   },
                   [&] {
                       if (browse && fenm_reason != host::DataFrame::ReasonSaved) {
                           Lookups &lookups = m_context.lookups();
                           state.UsedByStock = lookups.IsAssociataAMagazzino();
                           state.UsedByProduction = lookups.IsAssociataAProduzione();
                           state.UsedByReallocation = lookups.IsAssociataARibaltamento();
                           m_context.ConfigurazioneTabRicerca();
                           m_context.ShowChild();
                           TXT_CAUCOLL->Decode();
                           TXT_CAUCOLLRIF->Decode();
                       } else if (inserting) {
                           state.UsedByStock = false;
                           state.UsedByProduction = false;
                           state.UsedByReallocation = false;
                           m_context.ConfigurazioneTabRicerca();
                           m_context.ClearChild();
                       }
                   },
                   [&] {
                       if (browse || inserting)
                           m_context.AbilitazioneControlliSatelliti(inserting);
                   },
                   [&] {
                       if (!browse && !inserting)
                           return;
                       TXT_CAUSALE->setEnabled(inserting);
                       TXT_CAUSALE->setRequired(inserting);
                       CBO_MOVDATI->setEnabled(inserting
                                               || !(state.UsedByStock || state.UsedByProduction
                                                    || state.UsedByReallocation));
                   },
                   [&] {
                       CHK_RILPROG->setEnabled(ado::NormalizzaStringa(CBO_MOVDATI->Text())
                                               == QLatin1String("3"));
                   },
               });
}

// ------------------------------------------------------------------ IsRecordChanged

void HeaderPanel::gclsFrameTestata_IsRecordChanged(bool &fbol_isRecordChanged)
{
    runHandler(m_context, QStringLiteral("gclsFrameTestata_IsRecordChanged"),
               {
                   [&] {
                       bool changed = fbol_isRecordChanged || m_context.state().AccountTypesChanged;
                       SearchSequencePage *search = m_context.searchSequencePage();
                       JournalsPage *journals = m_context.journalsPage();
                       ProposalPage *proposal = m_context.proposalPage();
                       // A satellite frame not configured yet has nothing pending.
                       for (host::DataFrame *frame :
                            {journals ? journals->gclsFrameSezionali() : nullptr,
                             search ? search->gclsFrameRicDest() : nullptr,
                             search ? search->gclsFrameRicOrigine() : nullptr,
                             proposal ? proposal->gclsFrameSviluppo() : nullptr}) {
                           if (frame && (frame->Modified() || frame->RecordChanged()))
                               changed = true;
                       }
                       fbol_isRecordChanged = changed;
                   },
               });
}

} // namespace causali
