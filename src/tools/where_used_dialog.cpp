#include "tools/where_used_dialog.h"

#include "data/window_state.h"
#include "editor/frmci_causali.h"
#include "host/dialogs.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tools {

WhereUsedDialog::WhereUsedDialog(const WhereUsed &usage, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DoveUsata"));
    setWindowTitle(QStringLiteral("Dove è usata la causale %1").arg(usage.code));
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("LBL_RIEPILOGO"));
    m_summary->setText(whereUsedText(usage).section(QLatin1Char('\n'), 0, 0));
    m_places = new QTreeWidget(this);
    m_places->setObjectName(QStringLiteral("TRE_UTILIZZI"));
    m_places->setColumnCount(3);
    m_places->setHeaderLabels(
        {QStringLiteral("Dove"), QStringLiteral("Righe"), QStringLiteral("Tabella")});
    for (const UsagePlace &place : usage.places) {
        auto *item = new QTreeWidgetItem(m_places, {place.caption, QString::number(place.count),
                                                    place.table + QLatin1Char('.') + place.column});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setDisabled(place.count == 0);
        if (!place.firstRows.empty()) {
            auto *columns = new QTreeWidgetItem(item, {place.columns.join(QStringLiteral(" | "))});
            columns->setFirstColumnSpanned(true);
            QFont bold = columns->font(0);
            bold.setBold(true);
            columns->setFont(0, bold);
        }
        for (const QStringList &row : place.firstRows)
            new QTreeWidgetItem(item, {row.join(QStringLiteral(" | "))});
        if (place.count > qsizetype(place.firstRows.size()))
            new QTreeWidgetItem(item, {QStringLiteral("... e altre %1 righe")
                                           .arg(place.count - qsizetype(place.firstRows.size()))});
        for (int i = 0; i < item->childCount(); ++i)
            item->child(i)->setFirstColumnSpanned(true);
        item->setExpanded(place.count > 0);
    }
    m_places->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_places->header()->setStretchLastSection(false);
    m_places->resizeColumnToContents(1);
    m_places->resizeColumnToContents(2);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Chiudi"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_places, 1);
    layout->addWidget(buttons);
    resize(820, 520);
}

void showWhereUsed(causali::FRMCI_CAUSALI &window)
{
    ado::Connection *connection = window.connection();
    const QString code = causali::codiceCausale(window);
    if (!connection || code.isEmpty()) {
        host::DialogService::instance().message(
            QStringLiteral("Nessuna causale da cercare: mostrare o digitare prima una causale."),
            host::vbOKOnly | host::vbInformation, QStringLiteral("Dove è usata"));
        return;
    }
    auto *dialog = new WhereUsedDialog(findWhereUsed(*connection, code), &window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

} // namespace tools
