#pragma once
// The window's dialog of the consistency check: the findings over all codes in a table (code,
// list, row, field, reason). A double click on a finding asks for its code to be opened on the
// tab that shows its list (`openCodeRequested`); the window connects it.

#include "tools/consistency_check.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace causali {

class ConsistencyDialog : public QDialog
{
    Q_OBJECT
public:
    ConsistencyDialog(QString connectionString, QString language, QWidget *parent = nullptr);

    // Entry point for the "Strumenti" menu: runs the check and shows the dialog, not modal;
    // the dialog deletes itself when closed.
    static ConsistencyDialog *open(QWidget *parent, const QString &connectionString,
                                   const QString &language);

    // Runs the check again and shows its findings.
    void refresh();
    const QList<consistency::Finding> &findings() const { return m_findings; }
    QTableWidget *table() const { return m_table; }

signals:
    // tab: 0 header, 1 journals, 2 account-type checks, 3 search sequence, 4 proposal.
    void openCodeRequested(const QString &code, int tab);

private:
    void showFindings();

    QString m_connectionString;
    QString m_language;
    QList<consistency::Finding> m_findings;
    QTableWidget *m_table = nullptr;
    QLabel *m_summary = nullptr;
};

} // namespace causali
