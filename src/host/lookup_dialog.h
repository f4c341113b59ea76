#pragma once
// The list a code box opens to pick a code: one row per candidate with the captions of the
// lookup as column headers, a filter box above (rows containing the typed text in any column;
// typing in the list goes on there), Enter or a double click picks the current row, Esc
// cancels. It opens wide enough for its columns (within the screen), or at the size it was
// left at the last time a list of the same title was shown (setSettingsFile).

#include "host/dialogs.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QTableWidget;

namespace host {

class LookupDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LookupDialog(const LookupRequest &request, QWidget *parent = nullptr);

    // Shows the dialog modally; the key value of the row picked, or an invalid QVariant.
    QVariant pick();

    // The key of the current visible row (invalid when none); what Enter would pick.
    QVariant currentKey() const;
    void setFilterText(const QString &text);
    int visibleRowCount() const;
    QTableWidget *table() const { return m_table; }
    QLineEdit *filterBox() const { return m_filter; }

    void done(int result) override;

    // Where the lists keep their sizes between runs (a layout settings file, "" the user's:
    // host::openSettings). Until it is set (or after it is reset with nullopt) a size is
    // remembered while the program runs only.
    static void setSettingsFile(const std::optional<QString> &file);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyFilter(const QString &text);
    QSize startingSize() const;
    void fitColumns();
    void choose();

    LookupRequest m_request;
    QLineEdit *m_filter = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_count = nullptr;
    QVariant m_chosen;
};

// A cell's text as a list shows it (Null and Empty show nothing).
QString displayText(const QVariant &value);

} // namespace host
