#include "host/grid_model.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "host/control_types.h"

namespace host {

namespace {

bool isMissing(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.typeId() == QMetaType::Nullptr;
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

Qt::Alignment alignmentOf(int code, const QVariant &value)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    Qt::Alignment vertical = Qt::AlignVCenter;
    if (code >= 0 && code <= 8) {
        horizontal = code < 3 ? Qt::AlignLeft : code < 6 ? Qt::AlignHCenter : Qt::AlignRight;
        vertical = code % 3 == 0   ? Qt::AlignTop
                   : code % 3 == 1 ? Qt::AlignVCenter
                                   : Qt::AlignBottom;
    } else if (isNumber(value)) {
        horizontal = Qt::AlignRight; // 9, general: numbers right, texts left
    }
    return horizontal | vertical;
}

int indexOfField(const QStringList &names, const QString &field)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent) {}

GridModel::~GridModel()
{
    detach();
}

void GridModel::detach()
{
    if (m_rs && m_listener >= 0)
        m_rs->removeListener(m_listener);
    m_listener = -1;
    m_rs = nullptr;
}

void GridModel::setRecordset(ado::Recordset *rs)
{
    if (rs == m_rs)
        return;
    beginResetModel();
    detach();
    m_rs = rs;
    if (m_rs) {
        m_listener = m_rs->addListener([this](ado::RecordsetEvent event, const QVariant &row) {
            onRecordsetEvent(int(event), row);
        });
    }
    readRows();
    endResetModel();
}

void GridModel::setColumns(const std::vector<GridColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    readRows();
    endResetModel();
}

void GridModel::reload()
{
    beginResetModel();
    readRows();
    endResetModel();
    emit currentRowChanged(currentRow());
}

void GridModel::onRecordsetEvent(int event, const QVariant &bookmark)
{
    // Called from inside the row set's operations: nothing may escape into them.
    runControlAction(QStringLiteral("Grid"), [&] {
        switch (ado::RecordsetEvent(event)) {
        case ado::RecordsetEvent::Moved:
            emit currentRowChanged(currentRow());
            break;
        case ado::RecordsetEvent::RowChanged: {
            const int row = rowOfBookmark(bookmark);
            if (row < 0 || !m_rs || m_rs->State() != ado::adStateOpen) {
                reload();
                break;
            }
            const std::unique_ptr<ado::Recordset> cursor = m_rs->Clone();
            cursor->setBookmark(bookmark);
            m_rows[size_t(row)] = readRow(*cursor);
            computeTexts(m_rows[size_t(row)]);
            emit dataChanged(index(row, 0), index(row, std::max(0, columnCount() - 1)));
            break;
        }
        case ado::RecordsetEvent::Reset:
        case ado::RecordsetEvent::RowAdded:
        case ado::RecordsetEvent::RowRemoved:
            reload();
            break;
        }
    });
}

void GridModel::readRows()
{
    m_rows.clear();
    m_fieldNames.clear();
    if (!m_rs || m_rs->State() != ado::adStateOpen)
        return;
    for (int i = 0; i < m_rs->FieldCount(); ++i)
        m_fieldNames << m_rs->Fields(i).Name();
    // A clone with the same filter and sort reads the rows the grid shows without moving the
    // row set itself.
    const std::unique_ptr<ado::Recordset> cursor = m_rs->Clone();
    const QVariant filter = m_rs->Filter();
    const bool filtered = !isMissing(filter)
                          && !(filter.typeId() == QMetaType::QString && filter.toString().isEmpty())
                          && !(isNumber(filter) && filter.toInt() == ado::adFilterNone);
    if (filtered)
        cursor->setFilter(filter);
    if (!m_rs->Sort().isEmpty())
        cursor->setSort(m_rs->Sort());
    if (cursor->RecordCount() <= 0)
        return;
    cursor->MoveFirst();
    while (!cursor->isEOF()) {
        m_rows.push_back(readRow(*cursor));
        cursor->MoveNext();
    }
    // Texts last: a CellText handler may read other fields of any row (Grid::cellValue).
    for (Row &row : m_rows)
        computeTexts(row);
}

GridModel::Row GridModel::readRow(ado::Recordset &cursor) const
{
    Row row;
    row.bookmark = cursor.Bookmark();
    row.values.reserve(m_fieldNames.size());
    for (int i = 0; i < m_fieldNames.size(); ++i)
        row.values << cursor.Fields(i).Value();
    return row;
}

void GridModel::computeTexts(Row &row) const
{
    row.texts.clear();
    for (const GridColumn &column : m_columns) {
        const int field = indexOfField(m_fieldNames, column.field);
        const QVariant value = field >= 0 ? row.values[field] : QVariant();
        QString text;
        if (!isMissing(value))
            text = formatNumber(value, column.format);
        if (m_cellText)
            m_cellText(text, column.field, row.bookmark);
        row.texts << text;
    }
}

int GridModel::rowOfBookmark(const QVariant &bookmark) const
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].bookmark == bookmark)
            return int(i);
    }
    return -1;
}

QVariant GridModel::bookmarkOfRow(int row) const
{
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)].bookmark : QVariant();
}

QVariant GridModel::value(int row, const QString &field) const
{
    const int index = indexOfField(m_fieldNames, field);
    if (row < 0 || size_t(row) >= m_rows.size() || index < 0)
        return QVariant::fromValue(nullptr);
    return m_rows[size_t(row)].values[index];
}

int GridModel::currentRow() const
{
    if (!m_rs || m_rs->State() != ado::adStateOpen || m_rs->isBOF() || m_rs->isEOF())
        return -1;
    return rowOfBookmark(m_rs->Bookmark());
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const Row &row = m_rows[size_t(index.row())];
    const GridColumn &column = m_columns[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.texts.value(index.column());
    case Qt::EditRole:
        return value(index.row(), column.field);
    case Qt::TextAlignmentRole:
        return int(alignmentOf(column.alignment, value(index.row(), column.field)));
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < columnCount()) {
        if (role == Qt::DisplayRole)
            return m_columns[size_t(section)].caption;
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && section >= 0
        && section < rowCount())
        return section + 1;
    return QVariant();
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace host
