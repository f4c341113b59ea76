#include "header/rule_lookups.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/value_domains.h"
#include "header/linked_code_rules.h"
#include "host/lookup_services.h"

namespace causali {

DatabaseRuleLookups::DatabaseRuleLookups(ado::Connection &connection, QString language,
                                         ChecksOf checks)
    : m_connection(connection), m_language(std::move(language)), m_checks(std::move(checks))
{}

void DatabaseRuleLookups::clear()
{
    m_answers.clear();
    m_companies.clear();
    m_companiesRead = false;
}

bool DatabaseRuleLookups::anyRow(const QString &key, const QString &sql)
{
    const auto known = m_answers.constFind(key);
    if (known != m_answers.constEnd())
        return *known;
    const std::unique_ptr<ado::Recordset> rs = m_connection.Execute(sql);
    const bool found = rs && rs->State() == ado::adStateOpen && !rs->isEOF();
    m_answers.insert(key, found);
    return found;
}

bool DatabaseRuleLookups::modelExists(int modelType, const QString &model)
{
    host::ModelDecodeService decode;
    decode.prepare(nullptr, model, QString::number(modelType));
    return anyRow(QStringLiteral("model|%1|%2").arg(modelType).arg(model), decode.sql());
}

bool DatabaseRuleLookups::linkedCompatible(LinkedBox box, const HeaderFields &fields,
                                           const QString &linked)
{
    const AccountTypeChecks checks = m_checks(fields.code);
    const QStringList flags = linked_rules::accountTypeFlags(checks.credit, checks.debit);
    const QString movement = QString::number(fields.movement);
    const qint64 mask = linked_rules::configurationMask(m_connection, box, movement, flags);
    const QString modelType = QString::number(fields.modelType);
    return anyRow(QStringLiteral("linked|%1|%2|%3|%4|%5|%6")
                      .arg(int(box))
                      .arg(fields.code, fields.model, modelType)
                      .arg(mask)
                      .arg(linked),
                  linked_rules::decodeText(box, m_language, fields.model, modelType, fields.code,
                                           mask, linked));
}

bool DatabaseRuleLookups::companyUsable(int company)
{
    if (!m_companiesRead) {
        const std::unique_ptr<ado::Recordset> rs = m_connection.Execute(companyListText());
        for (; rs && rs->State() == ado::adStateOpen && !rs->isEOF(); rs->MoveNext())
            m_companies.insert(ado::CLng(rs->Fields(QStringLiteral("CODICE")).Value()), true);
        m_companiesRead = true;
    }
    return m_companies.contains(company);
}

bool DatabaseRuleLookups::journalExists(int company, const QString &journal)
{
    host::JournalDecodeService decode;
    decode.prepare(journal, company);
    return anyRow(QStringLiteral("journal|%1|%2").arg(company).arg(journal), decode.sql());
}

bool DatabaseRuleLookups::providerExists(int provider)
{
    host::ProviderDecodeService decode;
    decode.prepare(qint16(provider), nullptr);
    return anyRow(QStringLiteral("provider|%1").arg(provider), decode.sql());
}

bool DatabaseRuleLookups::accountAllowed(int chart, const QString &account, const SideTypes &types)
{
    if (satellite_rules::ticked(types) == 0)
        return false; // no type an account could be of
    QString bits;
    for (bool ticked : types)
        bits += ticked ? QLatin1Char('1') : QLatin1Char('0');
    host::AccountDecodeService decode;
    decode.prepare(chart, types, account, nullptr);
    return anyRow(QStringLiteral("account|%1|%2|%3").arg(chart).arg(account, bits), decode.sql());
}

bool DatabaseRuleLookups::itemExists(int chart, const QString &item)
{
    host::ExpenseItemDecodeService decode;
    decode.prepare(chart, item, nullptr);
    return anyRow(QStringLiteral("item|%1|%2").arg(chart).arg(item), decode.sql());
}

} // namespace causali
