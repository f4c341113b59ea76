// The rows a recordset shares with its clones: compact values as read, copies of the rows that
// change, the base table with its key, and the conversion of values given to fields.

#include "ado/row_store.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/vb.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ado {

namespace {

constexpr size_t ChunkSize = 64 * 1024;

} // namespace

// ---------------------------------------------------------------- ByteArena

const char *ByteArena::keep(const char *data, size_t size)
{
    if (size == 0)
        return "";
    if (size > m_left) {
        const size_t chunk = std::max(size, ChunkSize);
        m_chunks.push_back(std::make_unique<char[]>(chunk));
        m_free = m_chunks.back().get();
        m_left = chunk;
    }
    char *kept = m_free;
    std::memcpy(kept, data, size);
    m_free += size;
    m_left -= size;
    return kept;
}

// ---------------------------------------------------------------- RowStore

Row &RowStore::appendRead()
{
    Row &row = rows.emplace_back();
    row.id = RowId(rows.size());
    row.cells = quint32((rows.size() - 1) * columns.size());
    ++liveRows;
    return row;
}

Row &RowStore::appendNew()
{
    Row &row = rows.emplace_back();
    row.id = RowId(rows.size());
    row.state = RowState::New;
    row.edit = std::make_unique<RowEdit>();
    row.edit->values.resize(columns.size());
    row.edit->original.resize(columns.size());
    ++liveRows;
    return row;
}

void RowStore::erase(RowId id)
{
    if (Row *row = find(id)) {
        row->erased = true;
        row->edit.reset();
        --liveRows;
    }
}

QVariant cellValue(const Cell &cell)
{
    switch (cell.kind) {
    case Cell::Integer:
        return QVariant(qlonglong(cell.integer));
    case Cell::Real:
        return QVariant(cell.real);
    case Cell::Text:
        return QVariant(QString::fromUtf8(cell.bytes, qsizetype(cell.size)));
    case Cell::Blob:
        return QVariant(QByteArray(cell.bytes, qsizetype(cell.size)));
    case Cell::NullValue:
        break;
    }
    return Null();
}

const Cell &RowStore::cellOf(const Row &row, int column) const
{
    if (!row.fetched) {
        const int k = keyset->keyIndex[size_t(column)];
        if (k >= 0)
            return cells[row.cells + size_t(k)]; // the key is there before the rest
        fetch(row);
    }
    return cells[row.cells + size_t(column)];
}

QVariant RowStore::value(const Row &row, int column) const
{
    if (row.edit)
        return row.edit->values[size_t(column)];
    return cellValue(cellOf(row, column));
}

QVariant RowStore::original(const Row &row, int column) const
{
    if (row.edit)
        return row.edit->original[size_t(column)];
    return cellValue(cellOf(row, column));
}

std::vector<QVariant> RowStore::values(const Row &row) const
{
    if (row.edit)
        return row.edit->values;
    std::vector<QVariant> all;
    all.reserve(columns.size());
    for (size_t c = 0; c < columns.size(); ++c)
        all.push_back(cellValue(cellOf(row, int(c))));
    return all;
}

RowEdit &RowStore::editOf(Row &row) const
{
    if (!row.edit) {
        auto edit = std::make_unique<RowEdit>();
        edit->values = values(row);
        edit->original = edit->values;
        row.edit = std::move(edit);
    }
    return *row.edit;
}

int RowStore::columnIndex(const QString &name) const
{
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void RowStore::resolveBaseTable(Connection &connection)
{
    QStringList tables;
    for (const Column &c : columns) {
        if (c.originTable.isEmpty())
            continue;
        const QString key = c.originDatabase + QLatin1Char('.') + c.originTable;
        if (!tables.contains(key)) {
            tables << key;
            baseDatabase = c.originDatabase;
            baseTable = c.originTable;
        }
    }
    if (tables.size() != 1) {
        baseProblem = tables.isEmpty() ? QStringLiteral("no column comes from a table")
                                       : QStringLiteral("the columns come from %1 tables (%2)")
                                             .arg(tables.size())
                                             .arg(tables.join(QStringLiteral(", ")));
        baseDatabase.clear();
        baseTable.clear();
        return;
    }
    QStringList seen;
    for (Column &c : columns) {
        c.writable = !c.originTable.isEmpty()
                     && !seen.contains(c.originColumn, Qt::CaseInsensitive);
        if (c.writable)
            seen << c.originColumn;
    }
    // The key counts only when the row set reads every column of it.
    const QStringList key = connection.backend()->primaryKey(baseDatabase, baseTable);
    const bool complete = !key.isEmpty()
                          && std::all_of(key.cbegin(), key.cend(), [&seen](const QString &k) {
                                 return seen.contains(k, Qt::CaseInsensitive);
                             });
    for (Column &c : columns)
        c.key = complete && c.writable && key.contains(c.originColumn, Qt::CaseInsensitive);
}

void RowStore::removeView(RowView *view)
{
    views.erase(std::remove(views.begin(), views.end(), view), views.end());
}

// ---------------------------------------------------------------- field kinds

FieldKind fieldKindOf(const QString &declaredType)
{
    const QString t = declaredType.toUpper();
    if (t.isEmpty() || t.contains(QLatin1String("BLOB")) || t == QLatin1String("BYTEA"))
        return FieldKind::Any;
    if (t.contains(QLatin1String("INT")))
        return FieldKind::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB"))
        || t.contains(QLatin1String("TEXT")))
        return FieldKind::Text;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA"))
        || t.contains(QLatin1String("DOUB")))
        return FieldKind::Real;
    static const QRegularExpression scaleZero(
        QStringLiteral("^\\s*(DECIMAL|NUMERIC)\\s*\\(\\s*\\d+\\s*,\\s*0\\s*\\)\\s*$"));
    if (scaleZero.match(t).hasMatch())
        return FieldKind::Integer;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return FieldKind::Any;
    return FieldKind::Number;
}

static QVariant convertOrRaise(const QVariant &value, FieldKind kind)
{
    switch (kind) {
    case FieldKind::Integer:
        return QVariant(qlonglong(CLngLng(value)));
    case FieldKind::Real:
        return QVariant(CDbl(value));
    case FieldKind::Number: {
        if (value.typeId() == QMetaType::Double)
            return value;
        const double d = CDbl(value);
        if (std::nearbyint(d) == d && std::fabs(d) < 9007199254740992.0)
            return QVariant(qlonglong(d));
        return QVariant(d);
    }
    case FieldKind::Text:
        return value.typeId() == QMetaType::QString ? value : QVariant(CStr(value));
    case FieldKind::Any:
        break;
    }
    return value;
}

QVariant convertForField(const QVariant &value, FieldKind kind, const QString &name)
{
    if (isMissing(value) || kind == FieldKind::Any)
        return value;
    try {
        return convertOrRaise(value, kind);
    } catch (const RuntimeError &e) {
        const bool tooBig = e.number() == Overflow;
        raise(tooBig ? adErrDataOverflow : adErrTypeMismatch,
              QStringLiteral("%1: field %2 cannot hold it (%3).")
                  .arg(tooBig ? QStringLiteral("Overflow") : QStringLiteral("Type mismatch"), name,
                       e.description()),
              recordsetSource());
    }
}

} // namespace ado
