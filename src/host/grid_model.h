#pragma once
// The table model of a Grid: the visible rows of an ado::Recordset (its Filter and Sort), one
// column per column of the grid's layout.
//
// The model reads the rows through a clone of the row set, so the row set's own position never
// moves; it follows the row set through its listeners: Reset, RowAdded and RowRemoved reload
// every row, RowChanged reloads one row, Moved tells the grid to select the current row.
// Cell texts are computed when rows are read (formatted by the column's display format, then
// offered to the cellText callback) and kept until the next reload or Redraw.
//
// The row set must outlive its use here: detach it (setRecordset(nullptr)) before destroying
// it.

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace ado {
class Recordset;
}

namespace host {

struct GridColumn
{
    QString field; // column of the row set; a name the row set lacks is a computed column
    QString caption;
    int alignment = 1; // 0-2 left, 3-5 centre, 6-8 right (top, middle, bottom); 9 general
    int width = 0;     // twips
    bool visible = true;
    int option = 0;
    QString format; // display format of numbers ("##0.00")
};

class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using CellTextHook =
        std::function<void(QString &text, const QString &field, const QVariant &bookmark)>;

    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    ado::Recordset *recordset() const { return m_rs; }
    void setRecordset(ado::Recordset *rs);
    void setColumns(const std::vector<GridColumn> &columns);
    const std::vector<GridColumn> &columns() const { return m_columns; }
    void setCellTextHook(CellTextHook hook) { m_cellText = std::move(hook); }

    // Reads every row again.
    void reload();
    // The row showing the row set's row with that bookmark, -1 when none.
    int rowOfBookmark(const QVariant &bookmark) const;
    QVariant bookmarkOfRow(int row) const;
    // Value of a field of a row as last read (Null when the row set has no such field).
    QVariant value(int row, const QString &field) const;
    // The row of the row set's current row, -1 when it is on no row.
    int currentRow() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // The row set moved to another row (row = -1 when it is on none).
    void currentRowChanged(int row);

private:
    struct Row
    {
        QVariant bookmark;
        QVariantList values; // one per field of the row set
        QStringList texts;   // one per column
    };

    void onRecordsetEvent(int event, const QVariant &row);
    void readRows();
    Row readRow(ado::Recordset &cursor) const;
    void computeTexts(Row &row) const;
    void detach();

    ado::Recordset *m_rs = nullptr;
    int m_listener = -1;
    std::vector<GridColumn> m_columns;
    QStringList m_fieldNames;
    std::vector<Row> m_rows;
    CellTextHook m_cellText;
};

} // namespace host
