#include "host/account_services.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/lookup_services.h"

namespace host {

namespace {

QString firstText(ado::Connection &connection, const QString &sql)
{
    auto rs = connection.Execute(sql, nullptr, ado::adCmdText);
    if (!rs || rs->State() != ado::adStateOpen || rs->isEOF())
        return {};
    return ado::NormalizzaStringa(rs->Fields(0).Value());
}

} // namespace

QString formatAccount(const QString &code, const QString &mask)
{
    const QString value = ado::NormalizzaStringa(code);
    if (mask.isEmpty())
        return value;
    QString result;
    qsizetype next = 0;
    for (const QChar c : mask) {
        if (next >= value.size())
            break;
        if (c == QLatin1Char('#'))
            result += value[next++];
        else
            result += c;
    }
    result += value.mid(next);
    return result;
}

QString unformatAccount(const QString &text, const QString &mask)
{
    QString result = ado::NormalizzaStringa(text).trimmed();
    for (const QChar c : mask)
        if (c != QLatin1Char('#'))
            result.remove(c);
    return result;
}

QString chartNumber(const QVariant &chart)
{
    return QString::number(ado::CLng(chart));
}

QString chartMask(ado::Connection &connection, const QVariant &chart)
{
    return ado::passUp(QStringLiteral("chartMask"), [&] {
        if (ado::NormalizzaStringa(chart).isEmpty())
            return QString();
        return firstText(connection,
                         QStringLiteral("SELECT PC01_MASCHERA FROM PC01_DESCRPDC WITH (NOLOCK)"
                                        " WHERE PC01_CODICE = %1")
                             .arg(chartNumber(chart)));
    });
}

QString accountDescription(ado::Connection &connection, const QVariant &chart,
                           const QVariant &account)
{
    return ado::passUp(QStringLiteral("accountDescription"), [&] {
        const QString code = ado::NormalizzaStringa(account);
        if (code.isEmpty() || ado::NormalizzaStringa(chart).isEmpty())
            return QString();
        return firstText(connection,
                         QStringLiteral("SELECT PC03_DESCR FROM PC03_CONTI WITH (NOLOCK)"
                                        " WHERE PC03_PDC_PC01 = %1 AND PC03_CONTO = %2")
                             .arg(chartNumber(chart), sqlString(code)));
    });
}

void AccountFormatter::setConnection(ado::Connection *connection)
{
    if (connection != m_connection)
        clear();
    m_connection = connection;
}

ado::Connection &AccountFormatter::requireConnection() const
{
    if (!m_connection)
        ado::raise(ado::adErrObjectClosed,
                   QStringLiteral("Nessuna connessione al database per i conti"),
                   QStringLiteral("AccountFormatter"));
    return *m_connection;
}

QString AccountFormatter::format(const QVariant &chart, const QVariant &account)
{
    const QString key = ado::NormalizzaStringa(chart);
    auto it = m_masks.constFind(key);
    if (it == m_masks.constEnd()) {
        const QString mask = chartMask(requireConnection(), chart);
        ++m_queries;
        it = m_masks.insert(key, mask);
    }
    return formatAccount(ado::NormalizzaStringa(account), *it);
}

QString AccountFormatter::description(const QVariant &chart, const QVariant &account)
{
    const QString key = ado::NormalizzaStringa(chart) + QLatin1Char('|')
                        + ado::NormalizzaStringa(account);
    auto it = m_descriptions.constFind(key);
    if (it == m_descriptions.constEnd()) {
        const QString text = accountDescription(requireConnection(), chart, account);
        ++m_queries;
        it = m_descriptions.insert(key, text);
    }
    return *it;
}

void AccountFormatter::clear()
{
    m_masks.clear();
    m_descriptions.clear();
}

} // namespace host
