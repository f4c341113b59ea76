// UpdateBatch: the SQL that writes a recordset's pending rows to its base table.
//
// Deletes go first, then updates, then inserts (so a key deleted and added again in one batch
// does not collide), each in read order. A row is located by the original values of every
// writable column, NULL-safe:
//     ... WHERE rowid = (SELECT rowid FROM t WHERE "c1" IS ? AND "c2" IS ? LIMIT 1)
// and a statement that touches no row is a conflict. The whole batch runs inside a savepoint:
// a failure rolls back to it, leaving the database and every row's state as they were, and an
// outer transaction of the connection open. Only after the savepoint is released do the rows
// take their new original values and states.

#include "ado/row_store.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/statement.h"

#include <sqlite3.h>

#include <algorithm>

namespace ado {

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
        connection.checkTransactionAlive();
        run("SAVEPOINT ado_update_batch");
        m_open = true;
    }
    ~Savepoint()
    {
        if (!m_open)
            return;
        // When the database has already rolled back by itself there is no savepoint left:
        // nothing to undo, and the connection has been told by the failing statement.
        sqlite3 *db = m_connection.handle();
        if (db && !sqlite3_get_autocommit(db)) {
            sqlite3_exec(db, "ROLLBACK TO ado_update_batch", nullptr, nullptr, nullptr);
            sqlite3_exec(db, "RELEASE ado_update_batch", nullptr, nullptr, nullptr);
        }
    }
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    void release()
    {
        run("RELEASE ado_update_batch");
        m_open = false;
    }

private:
    void run(const char *sql)
    {
        if (sqlite3_exec(m_connection.handle(), sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            m_connection.raiseLastError(QString::fromLatin1(sql), recordsetSource());
    }

    Connection &m_connection;
    bool m_open = false;
};

struct Written
{
    Row *row = nullptr;
    std::vector<std::pair<int, QVariant>> readBack; // column, value given by the database
};

class BatchWriter
{
public:
    BatchWriter(Connection &connection, const RowStore &store)
        : m_connection(connection), m_store(store),
          m_table(quoted(store.baseDatabase) + QLatin1Char('.') + quoted(store.baseTable))
    {
        for (size_t i = 0; i < store.columns.size(); ++i) {
            if (store.columns[i].writable)
                m_writable.push_back(int(i));
        }
    }

    void remove(Row &row)
    {
        Statement &s = statement(QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, locate()));
        bindOriginals(s, row, 1);
        execute(s);
        m_written.push_back(Written{&row, {}});
    }

    void update(Row &row)
    {
        QStringList sets;
        std::vector<int> changed;
        for (int c : m_writable) {
            if (!sameValue(row.values[size_t(c)], row.original[size_t(c)])) {
                changed.push_back(c);
                sets << quoted(column(c)) + QStringLiteral(" = ?");
            }
        }
        if (!changed.empty()) {
            Statement &s = statement(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                         .arg(m_table, sets.join(QStringLiteral(", ")), locate()));
            int position = 1;
            for (int c : changed)
                s.bind(position++, row.values[size_t(c)]);
            bindOriginals(s, row, position);
            execute(s);
        }
        m_written.push_back(Written{&row, {}});
    }

    void insert(Row &row)
    {
        QStringList names;
        std::vector<int> given;
        for (int c : m_writable) {
            if (row.values[size_t(c)].isValid()) { // Empty: left to defaults and triggers
                given.push_back(c);
                names << quoted(column(c));
            }
        }
        QString sql = QStringLiteral("INSERT INTO %1 ").arg(m_table);
        if (given.empty())
            sql += QStringLiteral("DEFAULT VALUES");
        else
            sql += QStringLiteral("(%1) VALUES (%2)")
                       .arg(names.join(QStringLiteral(", ")),
                            QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
        Statement &s = statement(sql);
        int position = 1;
        for (int c : given)
            s.bind(position++, row.values[size_t(c)]);
        execute(s);
        m_written.push_back(Written{&row, readBack(sqlite3_last_insert_rowid(m_connection.handle()))});
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

private:
    const QString &column(int c) const { return m_store.columns[size_t(c)].originColumn; }

    QString locate() const
    {
        QStringList conditions;
        for (int c : m_writable)
            conditions << quoted(column(c)) + QStringLiteral(" IS ?");
        return QStringLiteral("rowid = (SELECT rowid FROM %1 WHERE %2 LIMIT 1)")
            .arg(m_table, conditions.join(QStringLiteral(" AND ")));
    }

    void bindOriginals(Statement &s, const Row &row, int position)
    {
        for (int c : m_writable)
            s.bind(position++, row.original[size_t(c)]);
    }

    Statement &statement(const QString &sql)
    {
        auto &slot = m_statements[sql];
        if (!slot)
            slot = prepareSqlite(m_connection, sql);
        slot->reset();
        slot->clearBindings();
        return *slot;
    }

    void execute(Statement &s)
    {
        while (s.step()) {
        }
        if (s.changes() == 0)
            raise(adErrRowNotFound,
                  QStringLiteral("Row cannot be located for updating. Some values may have been "
                                 "changed since it was last read."),
                  recordsetSource());
    }

    // The columns of the base table as the database holds them after the insert: defaults
    // and trigger-given values show in the row.
    std::vector<std::pair<int, QVariant>> readBack(sqlite3_int64 rowid)
    {
        std::vector<int> columns;
        QStringList names;
        for (size_t i = 0; i < m_store.columns.size(); ++i) {
            if (!m_store.columns[i].originTable.isEmpty()) {
                columns.push_back(int(i));
                names << quoted(m_store.columns[i].originColumn);
            }
        }
        Statement &s = statement(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                     .arg(names.join(QStringLiteral(", ")), m_table));
        s.bind(1, QVariant(qlonglong(rowid)));
        std::vector<std::pair<int, QVariant>> values;
        if (s.step()) {
            for (size_t i = 0; i < columns.size(); ++i)
                values.emplace_back(columns[i], storedValue(s, int(i)));
        }
        s.reset();
        return values;
    }

    Connection &m_connection;
    const RowStore &m_store;
    QString m_table;
    std::vector<int> m_writable;
    std::map<QString, std::unique_ptr<Statement>> m_statements;
    std::vector<Written> m_written;
};

} // namespace

// Inside a transaction the write is not final: should the transaction be rolled back, the
// rows written get back what they held before (values, originals, pending state; a deleted row
// comes back into the store), so that the row set again holds the changes to write.
static void keepForRollback(Connection &connection, const std::shared_ptr<RowStore> &store,
                     const std::vector<Written> &written)
{
    if (connection.transactionLevel() == 0 || written.empty())
        return;
    struct Saved
    {
        Row row;
        size_t position;
    };
    std::vector<Saved> saved;
    for (const Written &w : written) {
        const auto at = std::find_if(store->rows.begin(), store->rows.end(),
                                     [&](const auto &r) { return r.get() == w.row; });
        saved.push_back({*w.row, size_t(at - store->rows.begin())});
    }
    std::weak_ptr<RowStore> weak = store;
    connection.onRollback([weak, saved = std::move(saved)] {
        const auto rows = weak.lock();
        if (!rows)
            return; // the row set is gone: nothing to give back
        for (const Saved &s : saved) {
            if (Row *row = rows->find(s.row.id)) {
                *row = s.row;
                continue;
            }
            auto back = std::make_unique<Row>(s.row);
            rows->byId.insert(back->id, back.get());
            const size_t position = std::min(s.position, rows->rows.size());
            rows->rows.insert(rows->rows.begin() + std::ptrdiff_t(position), std::move(back));
        }
        rows->forEachView([](RowView &v) { v.rowsRestored(); });
    });
}

// The rows UpdateBatch(affect) writes. A row still being added through another recordset
// waits for its Update.
std::vector<Row *> Recordset::Impl::pendingRows(long affect) const
{
    std::vector<Row *> pending;
    for (const auto &r : store->rows) {
        if (r->state == RowState::Unchanged || r->adding)
            continue;
        const bool current = (cursor.kind == Cursor::OnRow || cursor.kind == Cursor::OnDeleted)
                          && cursor.id == r->id;
        if ((affect == adAffectCurrent && !current)
            || (affect == adAffectGroup && !matchesFilter(*r)))
            continue;
        pending.push_back(r.get());
    }
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

    BatchWriter writer(*connection, *store);
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
    // Written: the rows take their new values and states.
    std::vector<RowId> changed;
    for (Written &w : writer.written()) {
        Row &row = *w.row;
        if (row.state == RowState::Deleted) {
            store->erase(row.id); // the row object is gone from here on
            continue;
        }
        for (auto &[column, value] : w.readBack)
            row.values[size_t(column)] = value;
        row.original = row.values;
        row.state = RowState::Unchanged;
        changed.push_back(row.id);
    }
    for (RowId id : changed)
        store->forEachView([id](RowView &v) { v.rowChanged(id); });
}

} // namespace ado
