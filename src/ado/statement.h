#pragma once
// A prepared SQLite statement of a Connection: the text has already been rewritten from T-SQL.
// Binding, stepping and reading columns turn SQLite failures into ado::RuntimeError.

#include <QString>
#include <QVariant>

struct sqlite3_stmt;

namespace ado {

class Connection;

class Statement
{
public:
    Statement(Connection &connection, sqlite3_stmt *stmt, QString sourceText);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Binds by 1-based position. Empty and Null bind NULL.
    void bind(int position, const QVariant &value);
    void clearBindings();
    // Advances: true when a row is available. Errors raise (and let the connection check
    // whether SQLite rolled back an open transaction by itself).
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    // The table and column a result column comes from; empty for expressions.
    QString originTable(int column) const;
    QString originColumn(int column) const;
    QString declaredType(int column) const;
    QVariant value(int column) const;
    int parameterCount() const;
    // Rows changed by the last step of an INSERT, UPDATE or DELETE.
    long long changes() const;
    bool isReadOnly() const;

    const QString &sourceText() const { return m_sourceText; }
    sqlite3_stmt *handle() const { return m_stmt; }
    // The source errors of this statement carry ("ado.Connection" unless the owner says).
    const QString &errorSource() const { return m_errorSource; }
    void setErrorSource(const QString &source) { m_errorSource = source; }

private:
    [[noreturn]] void fail();

    Connection &m_connection;
    sqlite3_stmt *m_stmt;
    QString m_sourceText;
    QString m_errorSource;
    bool m_running = false; // stepped since the last reset: the next step is not a new run
};

} // namespace ado
