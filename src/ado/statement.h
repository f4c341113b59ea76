#pragma once
// A prepared statement of a Connection: the text has already been rewritten from T-SQL.
// Binding, stepping and reading columns go to the connection's backend and turn its failures
// into ado::RuntimeError.

#include "ado/backend.h"

#include <QString>
#include <QVariant>

#include <memory>

namespace ado {

class Connection;

class Statement
{
public:
    Statement(Connection &connection, std::unique_ptr<BackendStatement> statement,
              QString sourceText);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Binds by 1-based position. Empty and Null bind NULL.
    void bind(int position, const QVariant &value);
    void clearBindings();
    // Advances: true when a row is available. Errors raise (and let the connection check
    // whether the database rolled back an open transaction by itself).
    bool step();
    void reset();

    int columnCount() const { return m_impl->columnCount(); }
    QString columnName(int column) const { return m_impl->columnName(column); }
    QString writtenName(int column) const { return m_impl->writtenName(column); }
    // The database or schema, table and column a result column comes from; empty for
    // expressions.
    QString originDatabase(int column) const { return m_impl->originDatabase(column); }
    QString originTable(int column) const { return m_impl->originTable(column); }
    QString originColumn(int column) const { return m_impl->originColumn(column); }
    QString declaredType(int column) const { return m_impl->declaredType(column); }
    QVariant value(int column) const { return m_impl->value(column); }
    // Reads the current row's value of `column` into a cell (text and blobs into the arena).
    void readCell(Cell &cell, int column, ByteArena &arena) const
    {
        m_impl->readCell(cell, column, arena);
    }
    int parameterCount() const { return m_impl->parameterCount(); }
    // Rows changed by the last step of an INSERT, UPDATE or DELETE.
    long long changes() const;
    bool isReadOnly() const { return m_impl->isReadOnly(); }
    // The text as the database runs it, and with the bound values written in (for Requery).
    QString nativeText() const { return m_impl->text(); }
    QString nativeTextWithValues() const { return m_impl->textWithValues(); }

    const QString &sourceText() const { return m_sourceText; }
    Connection &connection() const { return m_connection; }
    // Which opening of the connection prepared it: a statement of an earlier opening is stale.
    quint64 session() const { return m_session; }
    // The source errors of this statement carry ("ado.Connection" unless the owner says).
    const QString &errorSource() const { return m_errorSource; }
    void setErrorSource(const QString &source) { m_errorSource = source; }

private:
    [[noreturn]] void fail();

    Connection &m_connection;
    std::unique_ptr<BackendStatement> m_impl;
    QString m_sourceText;
    QString m_errorSource;
    quint64 m_session;
    bool m_running = false; // stepped since the last reset: the next step is not a new run
};

} // namespace ado
