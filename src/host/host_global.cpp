#include "host/host_global.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/account_services.h"
#include "host/cinterface.h"
#include "host/dialogs.h"
#include "host/lookup_services.h"

namespace host {

HostGlobal::HostGlobal(QObject *parent) : QObject(parent) {}

HostGlobal::~HostGlobal() = default;

void HostGlobal::selectCompany(int company)
{
    ado::Connection connection;
    connection.Open(m_connectionString);
    selectCompany(connection, company);
}

void HostGlobal::selectCompany(ado::Connection &connection, int company)
{
    ado::passUp(QStringLiteral("HostGlobal.selectCompany"), [&] {
        const QString sql =
            QStringLiteral(
                "SELECT CG18_DITTA, CG16_RAGSOANAG, CG25_FLGCONIND, CG25_PDCCONIND_PC01,"
                " CG25_PDCVDS_PC01\r\n"
                "FROM CG18_ANADITTABASE WITH (NOLOCK)\r\n"
                "LEFT JOIN CG16_ANAGGEN WITH (NOLOCK) ON CG16_CODICE = CG18_CODICE_CG16\r\n"
                "LEFT JOIN CG25_ANADITTAGEST WITH (NOLOCK) ON CG25_DITTA_CG18 = CG18_DITTA\r\n"
                "WHERE CG18_DITTA = %1")
                .arg(company);
        auto rs = connection.Execute(sql);
        if (!rs || rs->isEOF())
            ado::raise(ado::adErrItemNotFound,
                       QStringLiteral("La ditta %1 non esiste nell'anagrafica ditte").arg(company));
        Company record;
        record.code = company;
        record.name = ado::NormalizzaStringa(rs->Fields(1).Value());
        record.costAccounting = ado::NormalizzaNumero(rs->Fields(2).Value()) == QLatin1String("1");
        record.costChart = rs->Fields(3).Value();
        record.expenseChart = ado::ValueOrDefault(rs->Fields(4).Value(), -1);
        m_company = record;
    });
}

QString HostGlobal::companySetting(const QString &name) const
{
    const QString key = name.trimmed().toUpper();
    static const QStringList known = {QStringLiteral("FLGCONIND"), QStringLiteral("PDCCONIND"),
                                      QStringLiteral("PDCVDS"), QStringLiteral("RAGSOANAG")};
    if (!known.contains(key))
        ado::raise(ado::adErrItemNotFound,
                   QStringLiteral("Impostazione della ditta sconosciuta: \"%1\"").arg(name),
                   QStringLiteral("HostGlobal.CompanySetting"));
    if (!m_company)
        return {};
    if (key == QLatin1String("FLGCONIND"))
        return m_company->costAccounting ? QStringLiteral("1") : QStringLiteral("0");
    if (key == QLatin1String("PDCCONIND"))
        return ado::NormalizzaStringa(m_company->costChart);
    if (key == QLatin1String("PDCVDS"))
        return ado::NormalizzaNumero(m_company->expenseChart);
    return m_company->name;
}

int HostGlobal::ReportProcedureError(const QString &name)
{
    const auto current = std::current_exception();
    if (!current)
        return ReportProcedureError(
            name, ado::RuntimeError(0, QStringLiteral("Errore non specificato"), name));
    try {
        std::rethrow_exception(current);
    } catch (const ado::RuntimeError &error) {
        return ReportProcedureError(name, error);
    } catch (const std::exception &error) {
        return ReportProcedureError(
            name, ado::RuntimeError(5, QString::fromUtf8(error.what()), QString()));
    } catch (...) {
        return ReportProcedureError(
            name, ado::RuntimeError(5, QStringLiteral("Errore non previsto"), QString()));
    }
}

int HostGlobal::ReportProcedureError(const QString &name, const ado::RuntimeError &error)
{
    const QString source = error.source().isEmpty() ? name : ado::chainSource(name, error.source());
    const int answer = DialogService::instance().errorDialog(
        applicationTitle(), error.number(), error.description(), source,
        vbCritical | vbAbortRetryIgnore | vbDefaultButton2);
    return (answer == vbRetry || answer == vbIgnore) ? answer : int(vbAbort);
}

void HostGlobal::setCurrentModule(Cinterface *module)
{
    if (m_currentModule == module)
        return;
    m_currentModule = module;
    emit currentModuleChanged();
}

void HostGlobal::ReleaseModule(Cinterface *module)
{
    ++m_releasedModules;
    if (module && m_currentModule == module)
        setCurrentModule(nullptr);
    emit moduleReleased(module);
}

QString HostGlobal::accountDescription(ado::Connection &connection, const QVariant &chart,
                                       const QVariant &account) const
{
    return host::accountDescription(connection, chart, account);
}

} // namespace host
