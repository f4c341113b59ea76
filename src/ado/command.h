#pragma once
// A command with '?' parameters bound by position. With Prepared the statement is compiled
// on the first Execute and reused (reset and rebound) on every later one.

#include "ado/constants.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace ado {

class Connection;
class Recordset;
class Statement;

class Parameter
{
public:
    QString Name;
    long Type = adVarWChar;
    long Direction = adParamInput;
    long Size = 0;
    int Precision = 0;
    int NumericScale = 0;
    QVariant Value;

    // The value converted as the parameter's type asks (fixed-length text is truncated to Size
    // only when it would not fit: longer text raises; small integers check their range).
    QVariant boundValue() const;
};

class Parameters
{
public:
    void Append(std::unique_ptr<Parameter> p);
    int Count() const { return int(m_items.size()); }
    Parameter &Item(int index);
    Parameter &Item(const QString &name); // raises adErrItemNotFound
    Parameter &operator[](int index) { return Item(index); }
    Parameter &operator[](const QString &name) { return Item(name); }

private:
    std::vector<std::unique_ptr<Parameter>> m_items;
};

class Command
{
public:
    Command();
    ~Command();

    Connection *ActiveConnection() const { return m_connection; }
    void setActiveConnection(Connection *c);
    QString CommandText() const { return m_text; }
    void setCommandText(const QString &text);
    long CommandType() const { return m_type; }
    void setCommandType(long type) { m_type = type; }
    long CommandTimeout() const { return m_timeout; }
    void setCommandTimeout(long seconds) { m_timeout = seconds; }
    bool Prepared() const { return m_prepared; }
    void setPrepared(bool prepared);

    std::unique_ptr<Parameter> CreateParameter(const QString &name = {}, long type = adEmpty,
                                               long direction = adParamInput, long size = 0,
                                               const QVariant &value = {}) const;
    Parameters &parameters() { return m_parameters; }

    // Runs the command; with adCmdTextNoRecords (129) returns nullptr, otherwise a Recordset
    // holding the rows (closed when the statement returns none).
    std::unique_ptr<Recordset> Execute(QVariant *recordsAffected = nullptr, long options = -1);

    // For Recordset::Open on a command: the bound, ready statement.
    Statement &preparedStatement();

private:
    static constexpr long adEmpty = 0;
    Connection *m_connection = nullptr;
    QString m_text;
    long m_type = adCmdUnknown;
    long m_timeout = 30;
    bool m_prepared = false;
    Parameters m_parameters;
    std::unique_ptr<Statement> m_statement;
};

} // namespace ado
