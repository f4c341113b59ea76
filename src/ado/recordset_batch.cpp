// UpdateBatch: the SQL that writes a recordset's pending rows to its base table.
//
// Deletes go first, then updates, then inserts (so a key deleted and added again in one batch
// does not collide), each in read order. A row is located NULL-safely by the original values
// of the columns its Update Criteria names:
//     ... WHERE rowid = (SELECT rowid FROM t WHERE "c1" IS ? AND "c2" IS ? LIMIT 1)
// (the backend names the row locator and the NULL-safe comparison: rowid and IS on a file,
// ctid and IS NOT DISTINCT FROM on a server).
// A statement that touches no row is a conflict: the row is marked (Status
// adRecConcurrencyViolation), stays pending and the other rows are written; each conflict is
// a warning in the connection's Errors, and only when every row asked for conflicts does
// UpdateBatch raise. The whole batch runs inside a savepoint: a refusal of the database rolls
// back to it, leaving the database and every row's state as they were, and an outer
// transaction of the connection open. Only after the savepoint is released do the written
// rows take their new original values and states.

#include "ado/row_store.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/statement.h"

namespace ado {

struct Written
{
    Row *row = nullptr;
    std::vector<std::pair<int, QVariant>> readBack; // column, value given by the database
};

namespace {

QString quoted(const QString &identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// A savepoint around the batch; rolled back unless released.
class Savepoint
{
public:
    explicit Savepoint(Connection &connection) : m_connection(connection)
    {
        connection.savepoint(SavepointName, recordsetSource());
        m_open = true;
    }
    ~Savepoint()
    {
        if (m_open)
            m_connection.abandonSavepoint(SavepointName);
    }
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    void release()
    {
        m_connection.releaseSavepoint(SavepointName, recordsetSource());
        m_open = false;
    }

private:
    static constexpr const char *SavepointName = "ado_update_batch";
    Connection &m_connection;
    bool m_open = false;
};

// The columns that locate a row: the Update Criteria applied to the base table's key.
std::vector<int> locatingColumns(const RowStore &store, long criteria,
                                 const std::vector<int> &changed)
{
    std::vector<int> key;
    std::vector<int> all;
    for (size_t i = 0; i < store.columns.size(); ++i) {
        if (!store.columns[i].writable)
            continue;
        all.push_back(int(i));
        if (store.columns[i].key)
            key.push_back(int(i));
    }
    // Without the whole key among the columns every written column locates the row.
    if (key.empty() || criteria == adCriteriaAllCols)
        return all;
    if (criteria == adCriteriaUpdCols) {
        for (int c : changed) {
            if (std::find(key.begin(), key.end(), c) == key.end())
                key.push_back(c);
        }
    }
    return key;
}

class BatchWriter
{
public:
    BatchWriter(Connection &connection, RowStore &store, long criteria)
        : m_connection(connection)
        , m_store(store)
        , m_criteria(criteria)
        , m_table(quoted(store.baseDatabase) + QLatin1Char('.') + quoted(store.baseTable))
    {
        for (size_t i = 0; i < store.columns.size(); ++i) {
            if (store.columns[i].writable)
                m_writable.push_back(int(i));
        }
    }

    void remove(Row &row)
    {
        const std::vector<int> where = locatingColumns(m_store, m_criteria, {});
        Statement &s = statement(
            QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, locate(where)));
        bindOriginals(s, row, where, 1);
        finish(row, execute(s), {});
    }

    void update(Row &row)
    {
        QStringList sets;
        std::vector<int> changed;
        for (int c : m_writable) {
            if (!sameValue(m_store.value(row, c), m_store.original(row, c))) {
                changed.push_back(c);
                sets << quoted(column(c)) + QStringLiteral(" = ?");
            }
        }
        if (changed.empty()) {
            finish(row, true, {});
            return;
        }
        const std::vector<int> where = locatingColumns(m_store, m_criteria, changed);
        Statement &s = statement(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                     .arg(m_table, sets.join(QStringLiteral(", ")), locate(where)));
        int position = 1;
        for (int c : changed)
            s.bind(position++, m_store.value(row, c));
        bindOriginals(s, row, where, position);
        finish(row, execute(s), {});
    }

    void insert(Row &row)
    {
        QStringList names;
        std::vector<int> given;
        for (int c : m_writable) {
            if (m_store.value(row, c).isValid()) { // Empty: left to defaults and triggers
                given.push_back(c);
                names << quoted(column(c));
            }
        }
        QString sql = QStringLiteral("INSERT INTO %1 ").arg(m_table);
        if (given.empty())
            sql += QStringLiteral("DEFAULT VALUES");
        else
            sql +=
                QStringLiteral("(%1) VALUES (%2)")
                    .arg(names.join(QStringLiteral(", ")),
                         QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
        const Backend &backend = *m_connection.backend();
        const QStringList finders = newRowFinders();
        if (backend.insertReturnsRow())
            sql += QStringLiteral(" RETURNING ") + finders.join(QStringLiteral(", "));
        Statement &s = statement(sql);
        int position = 1;
        for (int c : given)
            s.bind(position++, m_store.value(row, c));
        std::vector<QVariant> found;
        while (s.step()) {
            if (!found.empty())
                continue;
            for (qsizetype i = 0; i < finders.size(); ++i)
                found.push_back(s.value(int(i)));
        }
        if (found.empty())
            found.push_back(backend.lastInsertLocator());
        finish(row, true, readBack(finders, found));
    }

    void writeAll(const std::vector<Row *> &pending)
    {
        for (RowState kind : {RowState::Deleted, RowState::Modified, RowState::New}) {
            for (Row *row : pending) {
                if (row->state != kind)
                    continue;
                if (kind == RowState::Deleted)
                    remove(*row);
                else if (kind == RowState::Modified)
                    update(*row);
                else
                    insert(*row);
            }
        }
    }

    std::vector<Written> &written() { return m_written; }
    const std::vector<Row *> &conflicts() const { return m_conflicts; }

private:
    const QString &column(int c) const { return m_store.columns[size_t(c)].originColumn; }

    QString locate(const std::vector<int> &where) const
    {
        const Backend &backend = *m_connection.backend();
        QStringList conditions;
        for (int c : where)
            conditions << quoted(column(c)) + QLatin1Char(' ') + backend.nullSafeEquals()
                              + QStringLiteral(" ?");
        return QStringLiteral("%1 = (SELECT %1 FROM %2 WHERE %3 LIMIT 1)")
            .arg(backend.rowLocator(), m_table, conditions.join(QStringLiteral(" AND ")));
    }

    void bindOriginals(Statement &s, const Row &row, const std::vector<int> &where, int position)
    {
        for (int c : where)
            s.bind(position++, m_store.original(row, c));
    }

    Statement &statement(const QString &sql)
    {
        auto &slot = m_statements[sql];
        if (!slot)
            slot = prepareNative(m_connection, sql);
        slot->reset();
        slot->clearBindings();
        return *slot;
    }

    // Runs the statement: false when it touched no row.
    static bool execute(Statement &s)
    {
        while (s.step()) {
        }
        return s.changes() != 0;
    }

    void finish(Row &row, bool located, std::vector<std::pair<int, QVariant>> readBack)
    {
        if (located)
            m_written.push_back(Written{&row, std::move(readBack)});
        else
            m_conflicts.push_back(&row);
    }

    // What finds a row just inserted: its rowid on a file. On a server the INSERT returns
    // the row's key (an AFTER trigger that updates the row gives it a new physical place, so
    // its ctid would no longer find it), or its ctid when the row set lacks the key.
    QStringList newRowFinders() const
    {
        const Backend &backend = *m_connection.backend();
        QStringList key;
        if (backend.insertReturnsRow()) {
            for (const Column &c : m_store.columns) {
                if (c.key)
                    key << quoted(c.originColumn);
            }
        }
        return key.isEmpty() ? QStringList{backend.rowLocator()} : key;
    }

    // The columns of the base table as the database holds them after the insert: defaults
    // and trigger-given values show in the row.
    std::vector<std::pair<int, QVariant>> readBack(const QStringList &finders,
                                                   const std::vector<QVariant> &found)
    {
        std::vector<int> columns;
        QStringList names;
        for (size_t i = 0; i < m_store.columns.size(); ++i) {
            if (!m_store.columns[i].originTable.isEmpty()) {
                columns.push_back(int(i));
                names << quoted(m_store.columns[i].originColumn);
            }
        }
        Statement &s = statement(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                     .arg(names.join(QStringLiteral(", ")), m_table,
                                          finders.join(QStringLiteral(" = ? AND "))));
        for (size_t i = 0; i < found.size(); ++i)
            s.bind(int(i) + 1, found[i]);
        std::vector<std::pair<int, QVariant>> values;
        if (s.step()) {
            for (size_t i = 0; i < columns.size(); ++i)
                values.emplace_back(columns[i], storedValue(s, int(i)));
        }
        s.reset();
        return values;
    }

    Connection &m_connection;
    RowStore &m_store;
    long m_criteria;
    QString m_table;
    std::vector<int> m_writable;
    std::map<QString, std::unique_ptr<Statement>> m_statements;
    std::vector<Written> m_written;
    std::vector<Row *> m_conflicts;
};

const QString &rowNotFoundText()
{
    static const QString text = QStringLiteral(
        "Row cannot be located for updating. Some values may have been changed since it was "
        "last read.");
    return text;
}

} // namespace

// Inside a transaction the write is not final: should the transaction be rolled back, the
// rows written get back what they held before (values, originals, pending state; a deleted
// row comes back into its slot), so that the row set again holds the changes to write.
static void keepForRollback(Connection &connection, const std::shared_ptr<RowStore> &store,
                            const std::vector<Written> &written)
{
    if (connection.transactionLevel() == 0 || written.empty())
        return;
    struct Saved
    {
        RowId id;
        RowState state;
        bool adding;
        bool conflict;
        std::shared_ptr<const RowEdit> edit; // null: the row held its values as read
    };
    auto saved = std::make_shared<std::vector<Saved>>();
    for (const Written &w : written) {
        const Row &row = *w.row;
        saved->push_back({row.id, row.state, row.adding, row.conflict,
                          row.edit ? std::make_shared<const RowEdit>(*row.edit) : nullptr});
    }
    std::weak_ptr<RowStore> weak = store;
    connection.onRollback([weak, saved] {
        const auto rows = weak.lock();
        if (!rows)
            return; // the row set is gone: nothing to give back
        for (const Saved &s : *saved) {
            Row &row = rows->rows[size_t(s.id - 1)];
            if (row.erased) {
                row.erased = false;
                ++rows->liveRows;
            }
            row.state = s.state;
            row.adding = s.adding;
            row.conflict = s.conflict;
            row.edit = s.edit ? std::make_unique<RowEdit>(*s.edit) : nullptr;
        }
        rows->forEachView([](RowView &v) { v.rowsRestored(); });
    });
}

// The rows UpdateBatch(affect) writes. A row still being added through another recordset
// waits for its Update.
std::vector<Row *> Recordset::Impl::pendingRows(long affect) const
{
    std::vector<Row *> pending;
    store->forEachRow([&](Row &r) {
        if (r.state == RowState::Unchanged || r.adding)
            return;
        const bool current = (cursor.kind == Cursor::OnRow || cursor.kind == Cursor::OnDeleted)
                             && cursor.id == r.id;
        if ((affect == adAffectCurrent && !current)
            || (affect == adAffectGroup && !matchesFilter(r)))
            return;
        pending.push_back(&r);
    });
    return pending;
}

void Recordset::Impl::updateBatch(long affect)
{
    requireWritable("UpdateBatch");
    if (affect < adAffectCurrent || affect > adAffectAllChapters)
        raise(adErrInvalidArgument,
              QStringLiteral("UpdateBatch: %1 is not an AffectEnum value (1, 2, 3 or 4).")
                  .arg(affect),
              recordsetSource());
    update();
    const std::vector<Row *> pending = pendingRows(affect);
    if (pending.empty())
        return;
    if (!connection || connection->State() != adStateOpen)
        raise(adErrInvalidConnection,
              QStringLiteral("UpdateBatch: the recordset has no open connection to write to."),
              recordsetSource());
    if (store->baseTable.isEmpty())
        raise(adErrProviderFailed,
              QStringLiteral("Insufficient base table information for updating or refreshing "
                             "(%1).")
                  .arg(store->baseProblem),
              recordsetSource());

    BatchWriter writer(*connection, *store, updateCriteria);
    try {
        Savepoint savepoint(*connection);
        writer.writeAll(pending);
        savepoint.release();
    } catch (const RuntimeError &e) {
        raise(e.number(),
              QStringLiteral("%1 (UpdateBatch on table %2: nothing was written, the rows stay "
                             "pending)")
                  .arg(e.description(), store->baseTable),
              recordsetSource());
    }
    keepForRollback(*connection, store, writer.written());
    takeWritten(writer.written(), writer.conflicts());
    if (writer.written().empty())
        raise(adErrRowNotFound,
              QStringLiteral("%1 (UpdateBatch on table %2: no row could be written, the rows "
                             "stay pending)")
                  .arg(rowNotFoundText(), store->baseTable),
              recordsetSource());
}

// The written rows take their new values and states; the conflicting ones are marked and
// told to the connection as warnings.
void Recordset::Impl::takeWritten(std::vector<Written> &written,
                                  const std::vector<Row *> &conflicts)
{
    std::vector<RowId> changed;
    for (Written &w : written) {
        Row &row = *w.row;
        row.conflict = false;
        if (row.state == RowState::Deleted) {
            store->erase(row.id); // the row is an empty slot from here on
            continue;
        }
        RowEdit &edit = store->editOf(row);
        for (auto &[column, value] : w.readBack)
            edit.values[size_t(column)] = value;
        edit.original = edit.values;
        row.state = RowState::Unchanged;
        changed.push_back(row.id);
    }
    std::vector<ProviderError> warnings;
    for (Row *row : conflicts) {
        row->conflict = true;
        changed.push_back(row->id);
        warnings.push_back(ProviderError{adErrRowNotFound,
                                         QStringLiteral("%1 (table %2, row %3)")
                                             .arg(rowNotFoundText(), store->baseTable)
                                             .arg(row->id),
                                         recordsetSource(), QString(), 0});
    }
    if (!warnings.empty())
        connection->reportWarnings(std::move(warnings));
    for (RowId id : changed)
        store->forEachView([id](RowView &v) { v.rowChanged(id); });
}

} // namespace ado

namespace ado {

long Recordset::UpdateCriteria() const
{
    return d->updateCriteria;
}

void Recordset::setUpdateCriteria(long criteria)
{
    if (criteria != adCriteriaKey && criteria != adCriteriaAllCols && criteria != adCriteriaUpdCols)
        raise(adErrInvalidArgument,
              QStringLiteral("Update Criteria %1 is not supported (adCriteriaKey 0, "
                             "adCriteriaAllCols 1 or adCriteriaUpdCols 2).")
                  .arg(criteria),
              recordsetSource());
    d->updateCriteria = criteria;
}

void raiseOnConflicts(Recordset &rs)
{
    const std::unique_ptr<Recordset> conflicts = rs.Clone();
    conflicts->setFilter(QVariant(int(adFilterConflictingRecords)));
    const long count = conflicts->RecordCount();
    if (count > 0)
        raise(adErrRowNotFound,
              QStringLiteral("%1 (%2 row(s) of the batch could not be written)")
                  .arg(rowNotFoundText())
                  .arg(count),
              recordsetSource());
}

} // namespace ado
