#include "host/grid.h"

#include "ado/constants.h"
#include "ado/recordset.h"
#include "host/control_types.h"
#include "host/handler_connection.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QScopedValueRollback>

#include <algorithm>

namespace host {

void GridColumnLayout::AddColumn(const QString &field, const QString &caption, int alignment,
                                 int width, bool visible, int option, const QString &format)
{
    GridColumn column;
    column.field = field;
    column.caption = caption;
    column.alignment = alignment;
    column.width = width;
    column.visible = visible;
    column.option = option;
    column.format = format;
    m_columns.push_back(column);
}

int GridColumnLayout::indexOf(const QString &field) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

Grid::Grid(QWidget *parent) : QTableView(parent)
{
    m_model = new GridModel(this);
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    m_model->setCellTextHook([this](QString &text, const QString &field, const QVariant &row) {
        emit CellText(text, field, row);
    });
    connect(m_model, &GridModel::currentRowChanged, this, &Grid::followRow);
    connect(m_model, &QAbstractItemModel::modelReset, this,
            [this] { followRow(m_model->currentRow()); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_syncing)
            emit layoutChanged();
    });
}

Grid::~Grid()
{
    m_model->setRecordset(nullptr);
}

ado::Recordset *Grid::DataSource() const
{
    return m_model->recordset();
}

void Grid::setDataSource(ado::Recordset *rs)
{
    {
        QScopedValueRollback<bool> syncing(m_syncing, true);
        m_model->setRecordset(rs);
        applyColumns();
    }
    followRow(m_model->currentRow());
    emit dataSourceChanged();
}

void Grid::AddColumn(const QString &field, const QString &caption, int alignment, int width,
                     bool visible, int option, const QString &format)
{
    m_layout.AddColumn(field, caption, alignment, width, visible, option, format);
}

void Grid::ApplyLayout()
{
    {
        QScopedValueRollback<bool> syncing(m_syncing, true);
        applyColumns();
    }
    followRow(m_model->currentRow());
}

void Grid::applyColumns()
{
    std::vector<GridColumn> columns = m_layout.columns();
    if (columns.empty() && m_model->recordset()) {
        // No layout: every field of the row set, as it comes.
        ado::Recordset *rs = m_model->recordset();
        for (int i = 0; rs->State() == ado::adStateOpen && i < rs->FieldCount(); ++i) {
            GridColumn column;
            column.field = rs->Fields(i).Name();
            column.caption = column.field;
            column.alignment = 9;
            columns.push_back(column);
        }
    }
    m_model->setColumns(columns);
    applyColumnLook();
}

void Grid::applyColumnLook()
{
    const std::vector<GridColumn> &columns = m_model->columns();
    for (size_t i = 0; i < columns.size(); ++i) {
        setColumnHidden(int(i), !columns[i].visible);
        // A width designed for another font must not cut the column's caption.
        if (columns[i].width > 0)
            setColumnWidth(int(i), std::max(twipsToPixels(columns[i].width),
                                            horizontalHeader()->sectionSizeHint(int(i))));
    }
}

void Grid::Redraw()
{
    m_model->reload();
    viewport()->update();
}

QVariant Grid::cellValue(const QVariant &bookmark, const QString &field) const
{
    return m_model->value(m_model->rowOfBookmark(bookmark), field);
}

void Grid::followRow(int row)
{
    QScopedValueRollback<bool> syncing(m_syncing, true);
    if (row < 0 || row >= m_model->rowCount()) {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    int column = 0;
    while (column < m_model->columnCount() - 1 && isColumnHidden(column))
        ++column;
    const QModelIndex target = m_model->index(row, column);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect
                                                  | QItemSelectionModel::Rows);
    scrollTo(target);
}

void Grid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid() || current.row() == previous.row())
        return;
    const QVariant bookmark = m_model->bookmarkOfRow(current.row());
    static const QMetaMethod activated = QMetaMethod::fromSignal(&Grid::rowActivated);
    if (isSignalConnected(activated)) {
        runControlAction(objectName() + QStringLiteral("_RowColChange"),
                         [&] { emit rowActivated(bookmark); });
    } else if (ado::Recordset *rs = m_model->recordset()) {
        runControlAction(objectName() + QStringLiteral("_RowColChange"),
                         [&] { rs->setBookmark(bookmark); });
    }
    // Where the row set is now, whether the move was made or refused.
    followRow(m_model->currentRow());
}

void Grid::keyPressEvent(QKeyEvent *event)
{
    const auto raise = [this](int &code, int shift) { emit KeyDown(code, shift); };
    if (keyDownSwallowed(this, event, raise))
        return;
    QTableView::keyPressEvent(event);
}

void Grid::connectNotify(const QMetaMethod &signal)
{
    guardHandlerConnection(this, signal);
}

} // namespace host
