// FRMCI_CAUSALI: the tabs, the commands of the main navigator, the locking of the satellite
// editors, the grid columns, the search-sequence tab and the placement in the host.

#include "editor/frmci_causali.h"

#include "ado/error.h"
#include "ado/vb.h"
#include "data/value_domains.h"
#include "editor/combo_adapter.h"
#include "header/header_panel.h"
#include "host/account_box.h"
#include "host/check_box.h"
#include "host/check_list.h"
#include "host/cinterface.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/main_navigator.h"
#include "host/number_box.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/journals_page.h"
#include "satellites/proposal_page.h"
#include "satellites/search_sequence_page.h"

namespace causali {

namespace {

// Size the host gives the window when it places it, in twips.
constexpr int PlacementWidth = 10980;
constexpr int PlacementHeight = 7380;

const QString ExportKey = QStringLiteral("Esporta");
const QString NewKey = QStringLiteral("Nuovo");
const QString ConfirmKey = QStringLiteral("Conferma");
const QString DeleteKey = QStringLiteral("Elimina");

// Gives the focus to the widget when it is enabled; true when it was.
bool focusIfEnabled(QWidget *widget)
{
    if (!widget || !widget->isEnabled())
        return false;
    widget->setFocus();
    return true;
}

bool isNewRow(const host::DataFrame *frame)
{
    return frame && frame->Status() == host::DataFrame::StatusNew;
}

} // namespace

// ----------------------------------------------------------------- tabs

void FRMCI_CAUSALI::TAB_CAUSALI_Click()
{
    ado::runSteps(
        [this](const ado::RuntimeError &error) {
            return GestioneErroreEvento(QStringLiteral("TAB_CAUSALI_Click"), error);
        },
        {[this] {
            switch (ado::CInt(TAB_CAUSALI->Tab())) {
            case TabHeader:
                focusIfEnabled(m_header->CBO_MOVDATI);
                break;
            case TabJournals:
                focusIfEnabled(m_journals->GRD_SEZIONALI);
                break;
            case TabChecks:
                focusIfEnabled(m_checks->LIST_TIPIAVERE);
                break;
            case TabSearch:
                if (!focusIfEnabled(m_search->CBO_RICTIPORIGA))
                    focusIfEnabled(m_search->GRD_RICORIGINE);
                break;
            default: // the proposal tab and beyond: the focus stays where it is
                break;
            }
        }});
}

// ----------------------------------------------------------------- main navigator

void FRMCI_CAUSALI::INV_MAIN_ButtonClick(bool &cancel, const QString &key)
{
    Q_UNUSED(cancel);
    if (key != ExportKey)
        return;
    bool settled = false;
    ado::ignoreErrors({
        [&] {
            host::DataFrame *frame = headerFrame();
            if (!frame)
                ado::raise(91, QStringLiteral("Variabile oggetto non impostata: gclsFrameTestata"));
            settled = frame->ConfirmPending(true, true, true);
        },
        [&] {
            if (settled)
                requireInterface().TransferData(
                    QVariant(ado::NormalizzaStringa(m_header->TXT_CAUSALE->Text())));
        },
        [&] {
            if (settled)
                unload();
        },
    });
}

void FRMCI_CAUSALI::INV_MAIN_AfterButtonClick(long result, const QString &key)
{
    if (result != host::DataFrame::OperationSucceeded)
        return;
    if (key == NewKey) {
        // The window is redrawn once, with the header tab in front and the code box focused.
        setUpdatesEnabled(false);
        ado::ignoreErrors({
            [&] { TAB_CAUSALI->setTab(TabHeader); },
            [&] { focusIfEnabled(m_header->TXT_CAUSALE); },
        });
        setUpdatesEnabled(true);
    } else if (key == ConfirmKey) {
        ado::ignoreErrors({[&] { focusIfEnabled(m_header->TXT_DCAUSALE); }});
    } else if (key == DeleteKey) {
        ado::ignoreErrors({[&] {
            if (!focusIfEnabled(m_header->TXT_CAUSALE))
                focusIfEnabled(m_header->TXT_DCAUSALE);
        }});
    }
}

// ----------------------------------------------------------------- satellite controls

void FRMCI_CAUSALI::AbilitazioneControlliSatelliti(bool Blocca)
{
    const bool free = !Blocca;
    AccountChecksPage &checks = *m_checks;
    SearchSequencePage &search = *m_search;
    JournalsPage &journals = *m_journals;
    ProposalPage &proposal = *m_proposal;
    const auto searchTab = [this] { return TAB_CAUSALI->TabEnabled(TabSearch); };
    ado::ignoreErrors({
        [&] { checks.CHK_ORIGINE->setEnabled(free); },
        [&] { checks.CHK_DESTINAZIONE->setEnabled(free); },
        [&] { checks.LIST_TIPIAVERE->setEnabled(free); },
        [&] { checks.LIST_TIPIDARE->setEnabled(free); },
        [&] {
            // A single row type (the "none" item) leaves nothing to choose.
            search.CBO_RICTIPORIGA->setEnabled(free && search.CBO_RICTIPORIGA->count() >= 2);
        },
        [&] { search.GRD_RICDEST->setEnabled(searchTab() && free); },
        [&] {
            const bool on = searchTab() && free && isNewRow(search.gclsFrameRicDest());
            search.TXT_RICPROVDEST->setEnabled(on);
            search.TXT_RICPROVDEST->setRequired(on);
        },
        [&] { search.GNV_RICDEST->setEnabled(searchTab() && free); },
        [&] { search.GRD_RICORIGINE->setEnabled(searchTab() && free); },
        [&] {
            const bool on = searchTab() && free && isNewRow(search.gclsFrameRicOrigine());
            search.TXT_RICPROVORIGINE->setEnabled(on);
            search.TXT_RICPROVORIGINE->setRequired(on);
        },
        [&] { search.GNV_RICORIGINE->setEnabled(searchTab() && free); },
        [&] { journals.GRD_SEZIONALI->setEnabled(free); },
        [&] {
            const bool on = free && isNewRow(journals.gclsFrameSezionali());
            journals.CBO_DITTA->setEnabled(on);
            journals.CBO_DITTA->setRequired(on);
        },
        [&] {
            journals.TXT_SEZIONALE->setEnabled(free);
            journals.TXT_SEZIONALE->setTabStop(free);
        },
        [&] { journals.GNV_SEZIONALI->setEnabled(free); },
        [&] { proposal.GRD_SVILUPPO->setEnabled(free); },
        [&] { proposal.CBO_SEGNO->setEnabled(free); },
        [&] { proposal.TXT_PERC->setEnabled(free); },
        [&] {
            proposal.TXT_CONTO->setSwitchedOn(free);
            proposal.TXT_CONTO->setTabStop(proposal.TXT_CONTO->isSwitchedOn());
        },
        [&] {
            const bool items = ado::NormalizzaStringa(TXT_PDC_VDS->Text()) != QLatin1String("-1");
            proposal.TXT_VDS->setSwitchedOn(free && items);
            proposal.TXT_VDS->setTabStop(proposal.TXT_VDS->isSwitchedOn());
        },
        [&] { proposal.GNV_SVILUPPO->setEnabled(free); },
    });
}

// ----------------------------------------------------------------- grids and search tab

void FRMCI_CAUSALI::ConfigurazioneGriglie()
{
    ado::passUp(QStringLiteral("ConfigurazioneGriglie"), [&] {
        routine(QStringLiteral("INITGRD_SVILUPPO"));
        m_proposal->INITGRD_SVILUPPO();
        routine(QStringLiteral("INITGRD_SEZIONALI"));
        m_journals->INITGRD_SEZIONALI();
        routine(QStringLiteral("INITGRD_RICORIGINE"));
        m_search->INITGRD_RICORIGINE();
        routine(QStringLiteral("INITGRD_RICDEST"));
        m_search->INITGRD_RICDEST();
    });
}

void FRMCI_CAUSALI::ConfigurazioneTabRicerca()
{
    ado::passUp(QStringLiteral("ConfigurazioneTabRicerca"), [&] {
        routine(QStringLiteral("ConfigurazioneTabRicerca"));
        HostComboControl rowTypes(m_search->CBO_RICTIPORIGA);
        HostComboControl movement(m_header->CBO_MOVDATI);
        CaricaComboRic(rowTypes, movement, m_state.ricComboOptionSet,
                       [this] { m_search->AggiornamentoFiltroRic(); });
        const QString kind = ado::NormalizzaStringa(m_header->CBO_MOVDATI->Text());
        if (kind == QLatin1String("0") || kind == QLatin1String("3"))
            m_search->AbilitazioneTabRic(false);
        else if (kind == QLatin1String("1") || kind == QLatin1String("2"))
            m_search->AbilitazioneTabRic(true);
    });
}

// ----------------------------------------------------------------- placement

void FRMCI_CAUSALI::QVR_MDIHOST_PlacementRequest()
{
    ado::runSteps(
        [this](const ado::RuntimeError &error) {
            return GestioneErroreEvento(QStringLiteral("QVR_MDIHOST_PlacementRequest"), error);
        },
        {[this] {
            host::Cinterface &module = requireInterface();
            m_mdiHost->place(ado::CLng(module.Left()), ado::CLng(module.Top()), PlacementWidth,
                             PlacementHeight);
        }});
}

} // namespace causali
