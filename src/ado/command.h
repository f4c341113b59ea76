#pragma once
// A command with '?' parameters bound by position. With Prepared the statement is compiled
// on the first Execute and reused (reset and rebound) on every later one; setting CommandText,
// ActiveConnection or Prepared False drops it. Without Prepared the text is compiled on every
// Execute. Only text commands run (CommandType adCmdText, adCmdUnknown or adCmdUnspecified);
// CommandType refuses at once (3001) a value that is no command type at all, and Execute
// refuses the other command types (table, stored procedure, file).
//
// Parameter types: adWChar (fixed-length text of Size characters; the value is not padded with
// blanks, the schema compares such columns with COLLATE RTRIM), adVarWChar (text of at most Size
// characters), adSmallInt and adInteger (VB CInt / CLng: rounding half to even, Overflow 6 out
// of range), adDouble, adNumeric / adDecimal (Precision and NumericScale; the value is rounded to
// NumericScale half away from zero; Overflow 6 when its integer digits do not fit; bound as an
// integer when NumericScale is 0). Empty and Null bind NULL. Parameters.Append refuses with 3708
// an output parameter, another type, or a text type without Size.

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

    // The value converted as the parameter's type asks: text longer than Size raises
    // adErrInvalidArgument naming the parameter (it is never truncated); numbers out of the
    // type's range raise Overflow (6), values that are no number Type mismatch (13).
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
    void setCommandType(long type);
    long CommandTimeout() const { return m_timeout; }
    void setCommandTimeout(long seconds) { m_timeout = seconds; }
    bool Prepared() const { return m_prepared; }
    void setPrepared(bool prepared);

    std::unique_ptr<Parameter> CreateParameter(const QString &name = {}, long type = adEmpty,
                                               long direction = adParamInput, long size = 0,
                                               const QVariant &value = {}) const;
    Parameters &parameters() { return m_parameters; }

    // Runs the command; with adCmdTextNoRecords (129) returns nullptr, otherwise a Recordset
    // holding the rows (closed when the statement returns none). Without an open connection
    // raises adErrInvalidConnection (3709).
    std::unique_ptr<Recordset> Execute(QVariant *recordsAffected = nullptr, long options = -1);
    // The same with parameter values for this run only: the i-th value replaces the Value of
    // the i-th parameter (converted by its type); values past the parameters bind as they are.
    std::unique_ptr<Recordset> Execute(QVariant *recordsAffected, const QVariantList &parameters,
                                       long options = -1);

    // For Recordset::Open on a command: the bound, ready statement. The number of '?' in the
    // text must match the number of values to bind.
    Statement &preparedStatement();

private:
    static constexpr long adEmpty = 0;
    std::unique_ptr<Recordset> execute(QVariant *recordsAffected, const QVariantList *values,
                                       long options);
    void requireConnection() const;
    void bindParameters(Statement &statement);

    const QVariantList *m_callValues = nullptr; // values given to the running Execute
    Connection *m_connection = nullptr;
    QString m_text;
    long m_type = adCmdUnknown;
    long m_timeout = 30;
    bool m_prepared = false;
    Parameters m_parameters;
    std::unique_ptr<Statement> m_statement;
};

} // namespace ado
