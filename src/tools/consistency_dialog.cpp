#include "tools/consistency_dialog.h"

#include "ado/connection.h"
#include "ado/error.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace causali {

ConsistencyDialog::ConsistencyDialog(QString connectionString, QString language, QWidget *parent)
    : QDialog(parent)
    , m_connectionString(std::move(connectionString))
    , m_language(std::move(language))
{
    setWindowTitle(QStringLiteral("Controllo di coerenza delle causali"));
    setObjectName(QStringLiteral("DLG_COERENZA"));
    m_summary = new QLabel(this);
    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(QStringLiteral("GRD_INCOERENZE"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Causale"), QStringLiteral("Elenco"),
                                        QStringLiteral("Riga"), QStringLiteral("Campo"),
                                        QStringLiteral("Motivo")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("C&hiudi"), QDialogButtonBox::RejectRole);
    QPushButton *again = buttons->addButton(QStringLiteral("&Ricontrolla"),
                                            QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    layout->addWidget(buttons);
    resize(900, 420);
    connect(again, &QPushButton::clicked, this, &ConsistencyDialog::refresh);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < m_findings.size())
            emit openCodeRequested(m_findings[row].code, consistency::tabOf(m_findings[row]));
    });
}

ConsistencyDialog *ConsistencyDialog::open(QWidget *parent, const QString &connectionString,
                                           const QString &language)
{
    auto *dialog = new ConsistencyDialog(connectionString, language, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->refresh();
    dialog->show();
    return dialog;
}

void ConsistencyDialog::refresh()
{
    try {
        ado::Connection connection;
        connection.Open(m_connectionString);
        m_findings = consistency::findInconsistencies(connection, m_language);
        showFindings();
    } catch (const ado::RuntimeError &e) {
        m_findings.clear();
        showFindings();
        m_summary->setText(QStringLiteral("Controllo non eseguito: %1").arg(e.description()));
    }
}

void ConsistencyDialog::showFindings()
{
    m_table->setRowCount(int(m_findings.size()));
    for (int i = 0; i < m_findings.size(); ++i) {
        const consistency::Finding &f = m_findings[i];
        const QStringList cells{f.code, f.list, f.row > 0 ? QString::number(f.row) : QString(),
                                f.field, f.reason};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            m_table->setItem(i, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_summary->setText(m_findings.isEmpty()
                           ? QStringLiteral("Nessuna incoerenza trovata.")
                           : QStringLiteral("%1 incoerenze trovate: doppio clic su una riga per "
                                            "aprire la causale.")
                                 .arg(m_findings.size()));
}

} // namespace causali
