#pragma once
// The host's lookup and decode objects. A window gives each its module interface and its
// connection once; before each lookup or decode it prepares the object with what the user has
// chosen, then forwards the SQL text and the column table, title and lookup name (lookups) or
// the decode targets (decodes) to its code box, which runs the query.
//
// Every value placed into an SQL text is quoted (texts) or converted to a number (codes that
// are numbers): a value that is not a number raises 13 (type mismatch) instead of reaching the
// text.

#include "host/control_types.h"

#include <QString>
#include <QVariant>

#include <array>

namespace ado {
class Connection;
}

namespace host {

class Cinterface;

// A text as an SQL string literal: between single quotes, quotes inside doubled.
QString sqlString(const QString &value);

// Account types selected for a side, in the order of the account-type checks (PC03_INDTIPOCONTO
// 0..9: collegamento .. altri tipi).
using AccountTypes = std::array<bool, 10>;
// The caption of an account type (0..9), from the message dictionary.
QString accountTypeName(int type);

class LookupObject
{
public:
    virtual ~LookupObject() = default;

    void setModuleInterface(Cinterface *module) { m_interface = module; }
    Cinterface *moduleInterface() const { return m_interface; }
    void setConnection(ado::Connection *connection) { m_connection = connection; }
    ado::Connection *connection() const { return m_connection; }

    // What the last preparation produced.
    QString sql() const { return m_sql; }
    ColumnTable columns() const { return m_columns; }
    QString title() const { return m_title; }
    QString lookupName() const { return m_lookupName; }
    // Decodes: the boxes to fill and the columns they show. A target whose box is nullptr is
    // the description the window fills in with its own description box.
    DecodeTargets targets() const { return m_targets; }

protected:
    void setLookup(const QString &sql, const QStringList &captions, const QString &title,
                   const QString &lookupName);
    void setDecode(const QString &sql, const DecodeTargets &targets);
    // The current company of the host, for objects whose company argument was omitted.
    int currentCompany(const QString &source) const;

private:
    Cinterface *m_interface = nullptr;
    ado::Connection *m_connection = nullptr;
    QString m_sql;
    ColumnTable m_columns;
    QString m_title;
    QString m_lookupName;
    DecodeTargets m_targets;
};

// Reason codes (CI03_CAUSALI) and posting models (CI04_MODELLI) of cost accounting.
class CostAccountingLookup : public LookupObject
{
public:
    void prepareReasonCodes();
    // Models of one model type (0 standard, 1 customised; -1, none chosen, lists nothing).
    void prepareModels(int modelType);
};

// The description of a posting model of a model type.
class ModelDecodeService : public LookupObject
{
public:
    // modelType is the text of the model-type box ("" when none is chosen: no model matches).
    void prepare(EditBox *descriptionBox, const QString &model, const QString &modelType);
};

// Journals (CG68_NUMERDESC) of a company; an omitted company means the host's current one.
class JournalLookupService : public LookupObject
{
public:
    void prepare(const QVariant &company = {});
};

class JournalDecodeService : public LookupObject
{
public:
    void prepare(const QString &journal, const QVariant &company = {});
};

// Account providers (CI07_PROVCONTO) of the account search sequence.
class ProviderLookupService : public LookupObject
{
public:
    void prepare();
};

class ProviderDecodeService : public LookupObject
{
public:
    void prepare(qint16 provider, EditBox *descriptionBox);
};

// Postable accounts of a chart whose account type is among those selected. No type selected
// raises 5: the caller tells the user before asking.
class AccountLookupService : public LookupObject
{
public:
    void prepare(const QVariant &chart, const AccountTypes &types);
};

class AccountDecodeService : public LookupObject
{
public:
    // `account` may be in display form (separators of the chart's mask are ignored).
    void prepare(const QVariant &chart, const AccountTypes &types, const QString &account,
                 EditBox *descriptionBox);
};

// Expense and revenue items: the postable accounts of the expense-item chart, of any type.
class ExpenseItemLookupService : public LookupObject
{
public:
    void prepare(const QVariant &chart);
};

class ExpenseItemDecodeService : public LookupObject
{
public:
    void prepare(const QVariant &chart, const QString &item, EditBox *descriptionBox);
};

} // namespace host
