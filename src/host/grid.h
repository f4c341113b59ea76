#pragma once
// Grid: the rows of a data frame's row set in a table (see GridModel).
//
// DataSource is the row set shown (not owned; nullptr detaches it). The column layout lists
// the columns: field, caption, alignment code, width in twips, visible, and the two further
// arguments (an option and a display format); ApplyLayout shows them. Without a layout every
// field of the row set is shown.
//
// The selected row follows the row set's current row. When the user selects another row
// (mouse or keys) the grid raises rowActivated(bookmark) and leaves the move to its data frame,
// which may refuse it (the selection then returns to the current row); with nobody connected
// the grid moves the row set itself.
//
// Events: CellText(text, column, row) for every cell read (column = the column's field, row =
// the bookmark of the row; change text to show another), KeyDown(keyCode, shift),
// layoutChanged when the user resized a column, dataSourceChanged after a new DataSource.

#include "host/grid_model.h"

#include <QTableView>

namespace host {

class GridColumnLayout
{
public:
    QString keyColumn() const { return m_keyColumn; }
    void setKeyColumn(const QString &field) { m_keyColumn = field; }
    void AddColumn(const QString &field, const QString &caption, int alignment, int width,
                   bool visible, int option = 0, const QString &format = QString());
    void clear() { m_columns.clear(); }
    const std::vector<GridColumn> &columns() const { return m_columns; }
    int indexOf(const QString &field) const;

private:
    QString m_keyColumn;
    std::vector<GridColumn> m_columns;
};

class Grid : public QTableView
{
    Q_OBJECT

public:
    explicit Grid(QWidget *parent = nullptr);
    ~Grid() override;

    ado::Recordset *DataSource() const;
    void setDataSource(ado::Recordset *rs);

    GridColumnLayout &ColumnLayout() { return m_layout; }
    void setColumnLayout(const GridColumnLayout &layout) { m_layout = layout; }
    // Adds a column to the layout (shown at the next ApplyLayout).
    void AddColumn(const QString &field, const QString &caption, int alignment, int width,
                   bool visible, int option = 0, const QString &format = QString());
    void ApplyLayout();

    // Reads the rows again and repaints (cell texts are asked again).
    void Redraw();
    // Value of a field of the row with that bookmark, as last read (Null when unknown).
    QVariant cellValue(const QVariant &bookmark, const QString &field) const;

signals:
    void CellText(QString &text, const QString &column, const QVariant &row);
    void KeyDown(int &keyCode, int shift);
    void layoutChanged();
    void dataSourceChanged();
    // The user selected the row with that bookmark.
    void rowActivated(const QVariant &bookmark);

protected:
    // Stops at a connection to an answering event not made by connectHandler.
    void connectNotify(const QMetaMethod &signal) override;

    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void followRow(int row);
    void applyColumns();
    void applyColumnLook();

    GridModel *m_model = nullptr;
    GridColumnLayout m_layout;
    bool m_syncing = false;
};

} // namespace host
