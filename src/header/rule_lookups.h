#pragma once
// The rules' questions to the database, asked over a connection with the same statements the
// editor's boxes decode with (models, companies, journals, providers, accounts, expense items,
// linked codes). Answers are kept per key: a check of many codes asks each question once.

#include "header/header_rules.h"
#include "satellites/satellite_rules.h"

#include <QHash>

namespace ado {
class Connection;
}

namespace causali {

class DatabaseRuleLookups : public HeaderLookups, public SatelliteLookups
{
public:
    // `checks` gives the account types of a code, needed by the linked codes' compatibility.
    using ChecksOf = std::function<AccountTypeChecks(const QString &code)>;
    DatabaseRuleLookups(ado::Connection &connection, QString language, ChecksOf checks);

    bool modelExists(int modelType, const QString &model) override;
    bool linkedCompatible(LinkedBox box, const HeaderFields &fields,
                          const QString &linked) override;
    bool companyUsable(int company) override;
    bool journalExists(int company, const QString &journal) override;
    bool providerExists(int provider) override;
    bool accountAllowed(int chart, const QString &account, const SideTypes &types) override;
    bool itemExists(int chart, const QString &item) override;

    // Forgets every answer (after the database changed).
    void clear();

private:
    bool anyRow(const QString &key, const QString &sql);

    ado::Connection &m_connection;
    QString m_language;
    ChecksOf m_checks;
    QHash<QString, bool> m_answers;
    QHash<int, bool> m_companies;
    bool m_companiesRead = false;
};

} // namespace causali
