#pragma once
// The dialog of "Dove è usata": for the code shown, a line per place that uses it with its
// number of rows, and under it the first of those rows; the places that do not use it are
// listed with 0, so the user sees everything that was looked at.

#include "tools/where_used.h"

#include <QDialog>

class QLabel;
class QTreeWidget;

namespace causali {
class FRMCI_CAUSALI;
}

namespace tools {

class WhereUsedDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WhereUsedDialog(const WhereUsed &usage, QWidget *parent = nullptr);

    QLabel *summary() const { return m_summary; }
    QTreeWidget *places() const { return m_places; }

private:
    QLabel *m_summary = nullptr;
    QTreeWidget *m_places = nullptr;
};

// The window's "Dove è usata": opens the dialog on the code shown (a message when none is).
void showWhereUsed(causali::FRMCI_CAUSALI &window);

} // namespace tools
