#pragma once
// What the units of the reason-code editor window (the header panel and the satellite tab
// pages) ask of the window that hosts them. The window FRMCI_CAUSALI implements it; each unit
// receives it at construction and lives no longer than the window.

#include <QString>

namespace ado {
class Connection;
class RuntimeError;
} // namespace ado
namespace host {
class Cinterface;
class CodeBox;
class ComboBox;
class DataFrame;
class HostGlobal;
class CostUtility;
class MainNavigator;
class TabStrip;
class JournalDecodeService;
class JournalLookupService;
class ProviderDecodeService;
class ProviderLookupService;
} // namespace host

namespace causali {

class AccountChecksPage;
class HeaderView;
class JournalsPage;
class Lookups;
class ProposalPage;
class SaveRoutines;
class SearchSequencePage;
struct WindowState;
class WorkingTables;

class EditorContext
{
public:
    virtual ~EditorContext() = default;

    // ----- shared state and data units -----
    virtual WindowState &state() = 0;
    virtual const HeaderView &headerView() const = 0;
    virtual WorkingTables &workingTables() = 0;
    virtual SaveRoutines &saveRoutines() = 0;
    virtual Lookups &lookups() = 0;

    // ----- host -----
    virtual host::Cinterface *ActiveInterface() const = 0;
    virtual host::HostGlobal *hostGlobal() const = 0;
    virtual host::CostUtility *costUtility() const = 0;
    // Connection string of the window's open connection (handed to code boxes).
    virtual QString connectionText() const = 0;
    // The window's lookup objects, made at start-up and given the module and the connection:
    // the journals of a company and the account providers, as list and as decode.
    virtual host::JournalLookupService *journalLookup() const = 0;
    virtual host::JournalDecodeService *journalDecode() const = 0;
    virtual host::ProviderLookupService *providerLookup() const = 0;
    virtual host::ProviderDecodeService *providerDecode() const = 0;

    // ----- error and message reporting of the window -----
    // Reports an error an event handler caught; answers 3 (leave), 4 (retry), 5 (next step).
    virtual int GestioneErroreEvento(const QString &handler, const ado::RuntimeError &error) = 0;
    virtual int MostraMessaggio(const QString &prompt, int buttons, const QString &title,
                                const QString &procedure) = 0;

    // ----- the window's parts -----
    virtual host::DataFrame *headerFrame() const = 0;    // gclsFrameTestata
    virtual host::TabStrip *tabStrip() const = 0;        // TAB_CAUSALI
    virtual host::CodeBox *codeBox() const = 0;          // TXT_CAUSALE
    virtual host::ComboBox *movementCombo() const = 0;   // CBO_MOVDATI
    virtual host::CodeBox *linkedCodeBox() const = 0;    // TXT_CAUCOLL
    virtual host::CodeBox *referenceCodeBox() const = 0; // TXT_CAUCOLLRIF
    virtual JournalsPage *journalsPage() const = 0;
    virtual SearchSequencePage *searchSequencePage() const = 0;
    virtual ProposalPage *proposalPage() const = 0;
    virtual AccountChecksPage *accountChecksPage() const = 0;
    virtual host::MainNavigator *mainNavigator() const = 0; // INV_MAIN
    // The window's caption (title of the host's numbered messages).
    virtual QString caption() const = 0;

    // ----- satellite loading and locking, tabs (the window's routines) -----
    // ShowChild: the satellites of the reason code shown; ClearChild: none; RefreshChild: the
    // rows entered so far take the code typed in TXT_CAUSALE. Errors raise to the caller.
    virtual void ShowChild() = 0;
    virtual void ClearChild() = 0;
    virtual void RefreshChild() = 0;
    // Locks (true) or frees the satellite editors' controls; ignores errors.
    virtual void AbilitazioneControlliSatelliti(bool Blocca) = 0;
    // Refills the row-type choice and switches tab 3 by the data movement.
    virtual void ConfigurazioneTabRicerca() = 0;
    // Applies the window's script and layout again (after another program ran inside the
    // module, such as the model-management program). Errors raise to the caller.
    virtual void InizializzaScriptELayout() = 0;
};

} // namespace causali
