// ProposalPage: the balance of the proposal under its grid, kept up to date while rows are
// edited, and the question before saving a code whose proposal does not balance.

#include "satellites/proposal_page.h"

#include "ado/error.h"
#include "ado/recordset.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/handler_connection.h"
#include "host/number_box.h"
#include "satellites/editor_context.h"

#include <QLabel>
#include <QLineEdit>

namespace causali {

namespace {

const QString SignColumn = QStringLiteral("SEGNO");
const QString PercentageColumn = QStringLiteral("PERCENTUALE");

} // namespace

ProposalBalance ProposalPage::currentBalance() const
{
    ProposalBalance balance;
    ado::Recordset *rows = m_recordset.get();
    if (!rows || rows->State() != ado::adStateOpen)
        return balance;
    // The row the boxes show counts with what they hold now (typed, not yet confirmed).
    const bool onRow = m_frame && m_frame->hasCurrentRow();
    const QVariant shown = onRow ? rows->Bookmark() : QVariant();
    auto all = rows->Clone();
    for (; !all->isEOF(); all->MoveNext()) {
        if (onRow && all->Bookmark() == shown)
            balance.add(CBO_SEGNO->value(), TXT_PERC->value());
        else
            balance.add(all->Fields(SignColumn).Value(), all->Fields(PercentageColumn).Value());
    }
    return balance;
}

void ProposalPage::showBalance()
{
    if (!LBL_TOTALI)
        return;
    ProposalBalance balance;
    try {
        balance = currentBalance();
    } catch (const ado::RuntimeError &) {
        // A row set between two states (closed and reopened by the satellite loading) has no
        // balance to show yet; the next change shows it.
        return;
    }
    LBL_TOTALI->setText(balance.summary());
    LBL_TOTALI->setProperty("balanced", balance.balanced());
    LBL_TOTALI->setStyleSheet(balance.balanced() ? QString()
                                                 : QStringLiteral("color: #b00000; "
                                                                  "font-weight: bold;"));
}

void ProposalPage::watchBalance()
{
    connect(TXT_PERC->lineEdit(), &QLineEdit::textChanged, this, &ProposalPage::showBalance,
            Qt::UniqueConnection);
    connect(CBO_SEGNO, &QComboBox::currentIndexChanged, this, &ProposalPage::showBalance,
            Qt::UniqueConnection);
    connect(m_frame.get(), &host::DataFrame::stateChanged, this, &ProposalPage::showBalance,
            Qt::UniqueConnection);
    // Moves change no value: the frame's state change covers the row shown.
    m_recordset->addListener([this](ado::RecordsetEvent event, const QVariant &) {
        if (event != ado::RecordsetEvent::Moved)
            showBalance();
    });
    if (host::DataFrame *header = m_context.headerFrame())
        host::connectHandler(header, &host::DataFrame::BeforeUpdate, this,
                             &ProposalPage::askBeforeSavingUnbalanced, true);
    showBalance();
}

void ProposalPage::askBeforeSavingUnbalanced(bool &fbol_Cancel)
{
    if (fbol_Cancel)
        return; // the header refused the save already
    const ProposalBalance balance = currentBalance();
    if (balance.balanced())
        return;
    const QString text = QStringLiteral("La proposta di sviluppo registrazione non quadra: ")
                         + balance.sideText(ProposalBalance::Debit) + QStringLiteral(", ")
                         + balance.sideText(ProposalBalance::Credit)
                         + QStringLiteral(
                             " (ogni segno con righe deve totalizzare 100%).\nSalvare comunque?");
    const int answer = host::DialogService::instance().message(
        text, host::vbYesNo | host::vbQuestion | host::vbDefaultButton2,
        QStringLiteral("Attenzione"));
    if (answer != host::vbYes)
        fbol_Cancel = true;
}

} // namespace causali
