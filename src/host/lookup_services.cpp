#include "host/lookup_services.h"

#include "ado/error.h"
#include "ado/vb.h"
#include "host/account_services.h"
#include "host/cinterface.h"
#include "host/host_global.h"

namespace host {

namespace {

const QString CrLf = QStringLiteral("\r\n");

// "IN (0, 3, 9)" for the selected types; raises when none is selected.
QString typeList(const AccountTypes &types, const QString &source)
{
    QStringList selected;
    for (int i = 0; i < int(types.size()); ++i)
        if (types[size_t(i)])
            selected << QString::number(i);
    if (selected.isEmpty())
        ado::raise(5, QStringLiteral("Nessun tipo conto selezionato"), source);
    return QStringLiteral("(%1)").arg(selected.join(QStringLiteral(", ")));
}

// The type of each account as its caption, for the lookup list.
QString typeCaptionColumn()
{
    QString sql = QStringLiteral("CASE PC03_INDTIPOCONTO");
    for (int i = 0; i < 10; ++i)
        sql += QStringLiteral(" WHEN %1 THEN %2").arg(i).arg(sqlString(accountTypeName(i)));
    return sql + QStringLiteral(" END AS TIPOCONTO");
}

QString chartTitle(const QString &what, const QVariant &chart)
{
    return QStringLiteral("%1 del piano dei conti %2").arg(what, ado::NormalizzaStringa(chart));
}

} // namespace

QString sqlString(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString accountTypeName(int type)
{
    static const MessageDictionary dictionary;
    if (type < 0 || type >= 10)
        return QStringLiteral("Tipo conto %1").arg(type);
    return dictionary.GetText(msg::AccountTypeTexts[type]);
}

void LookupObject::setLookup(const QString &sql, const QStringList &captions, const QString &title,
                             const QString &lookupName)
{
    m_sql = sql;
    m_columns.clear();
    for (const auto &caption : captions)
        m_columns.append(QStringList{caption, QString()});
    m_title = title;
    m_lookupName = lookupName;
    m_targets.clear();
}

void LookupObject::setDecode(const QString &sql, const DecodeTargets &targets)
{
    m_sql = sql;
    m_targets = targets;
    m_columns.clear();
    m_title.clear();
    m_lookupName.clear();
}

int LookupObject::currentCompany(const QString &source) const
{
    const HostGlobal *global = m_interface ? m_interface->ClsGlobal() : nullptr;
    if (!global || global->companyCode() == 0)
        ado::raise(5, QStringLiteral("Nessuna ditta corrente: indicare la ditta"), source);
    return global->companyCode();
}

void CostAccountingLookup::prepareReasonCodes()
{
    setLookup(QStringLiteral("SELECT CI03_CODCAUS, CI03_DESCR") + CrLf
                  + QStringLiteral("FROM CI03_CAUSALI WITH (NOLOCK)") + CrLf
                  + QStringLiteral("ORDER BY CI03_CODCAUS"),
              {QStringLiteral("Codice"), QStringLiteral("Descrizione")},
              QStringLiteral("Causali di contabilità analitica"), QStringLiteral("CI03_CAUSALI"));
}

void CostAccountingLookup::prepareModels(int modelType)
{
    const QString title = modelType == 0   ? QStringLiteral("Modelli di movimento standard")
                          : modelType == 1 ? QStringLiteral("Modelli di movimento personalizzati")
                                           : QStringLiteral("Modelli di movimento");
    setLookup(QStringLiteral("SELECT CI04_MODELLO, CI04_DESCR") + CrLf
                  + QStringLiteral("FROM CI04_MODELLI WITH (NOLOCK)") + CrLf
                  + QStringLiteral("WHERE CI04_INDSTAPER = %1").arg(modelType) + CrLf
                  + QStringLiteral("ORDER BY CI04_MODELLO"),
              {QStringLiteral("Modello"), QStringLiteral("Descrizione")}, title,
              QStringLiteral("CI04_MODELLI"));
}

void ModelDecodeService::prepare(EditBox *descriptionBox, const QString &model,
                                 const QString &modelType)
{
    const QString type = ado::NormalizzaStringa(modelType).isEmpty()
                             ? QStringLiteral("-1")
                             : QString::number(ado::CLng(modelType));
    setDecode(QStringLiteral("SELECT CI04_DESCR FROM CI04_MODELLI WITH (NOLOCK)") + CrLf
                  + QStringLiteral("WHERE CI04_MODELLO = %1 AND CI04_INDSTAPER = %2")
                        .arg(sqlString(ado::NormalizzaStringa(model)), type),
              {{descriptionBox, QStringLiteral("CI04_DESCR")}});
}

void JournalLookupService::prepare(const QVariant &company)
{
    const long ditta = ado::isMissing(company)
                           ? currentCompany(QStringLiteral("JournalLookupService.Prepare"))
                           : ado::CLng(company);
    setLookup(QStringLiteral("SELECT CG68_SEZIONALE, CG68_DESCSEZ") + CrLf
                  + QStringLiteral("FROM CG68_NUMERDESC WITH (NOLOCK)") + CrLf
                  + QStringLiteral("WHERE CG68_DITTA_CG18 = %1").arg(ditta) + CrLf
                  + QStringLiteral("ORDER BY CG68_SEZIONALE"),
              {QStringLiteral("Sezionale"), QStringLiteral("Descrizione")},
              QStringLiteral("Sezionali della ditta %1").arg(ditta),
              QStringLiteral("CG68_NUMERDESC"));
}

void JournalDecodeService::prepare(const QString &journal, const QVariant &company)
{
    const long ditta = ado::isMissing(company)
                           ? currentCompany(QStringLiteral("JournalDecodeService.Prepare"))
                           : ado::CLng(company);
    setDecode(QStringLiteral("SELECT CG68_DESCSEZ FROM CG68_NUMERDESC WITH (NOLOCK)") + CrLf
                  + QStringLiteral("WHERE CG68_DITTA_CG18 = %1 AND CG68_SEZIONALE = %2")
                        .arg(ditta)
                        .arg(sqlString(ado::NormalizzaStringa(journal).toUpper())),
              {{nullptr, QStringLiteral("CG68_DESCSEZ")}});
}

void ProviderLookupService::prepare()
{
    setLookup(QStringLiteral("SELECT CI07_PROVIDER, CI07_DESCRIZIONE") + CrLf
                  + QStringLiteral("FROM CI07_PROVCONTO WITH (NOLOCK)") + CrLf
                  + QStringLiteral("ORDER BY CI07_PROVIDER"),
              {QStringLiteral("Provider"), QStringLiteral("Descrizione")},
              QStringLiteral("Provider di ricerca del conto"), QStringLiteral("CI07_PROVCONTO"));
}

void ProviderDecodeService::prepare(qint16 provider, EditBox *descriptionBox)
{
    setDecode(QStringLiteral("SELECT CI07_DESCRIZIONE FROM CI07_PROVCONTO WITH (NOLOCK)") + CrLf
                  + QStringLiteral("WHERE CI07_PROVIDER = %1").arg(provider),
              {{descriptionBox, QStringLiteral("CI07_DESCRIZIONE")}});
}

void AccountLookupService::prepare(const QVariant &chart, const AccountTypes &types)
{
    const QString source = QStringLiteral("AccountLookupService.Prepare");
    const QString inList = typeList(types, source);
    setLookup(
        QStringLiteral("SELECT PC03_CONTO, PC03_DESCR, ") + typeCaptionColumn() + CrLf
            + QStringLiteral("FROM PC03_CONTI WITH (NOLOCK)") + CrLf
            + QStringLiteral("WHERE PC03_PDC_PC01 = %1 AND PC03_FLGMOVIMENTABILE = 1")
                  .arg(chartNumber(chart))
            + CrLf + QStringLiteral("  AND PC03_INDTIPOCONTO IN %1").arg(inList) + CrLf
            + QStringLiteral("ORDER BY PC03_CONTO"),
        {QStringLiteral("Conto"), QStringLiteral("Descrizione"), QStringLiteral("Tipo conto")},
        chartTitle(QStringLiteral("Conti"), chart), QStringLiteral("PC03_CONTI"));
}

void AccountDecodeService::prepare(const QVariant &chart, const AccountTypes &types,
                                   const QString &account, EditBox *descriptionBox)
{
    const QString inList = typeList(types, QStringLiteral("AccountDecodeService.Prepare"));
    const QString code = unformatAccount(account, QStringLiteral("#.-/ "));
    setDecode(QStringLiteral("SELECT PC03_DESCR FROM PC03_CONTI WITH (NOLOCK)") + CrLf
                  + QStringLiteral("WHERE PC03_PDC_PC01 = %1 AND PC03_CONTO = %2")
                        .arg(chartNumber(chart), sqlString(code))
                  + CrLf
                  + QStringLiteral("  AND PC03_FLGMOVIMENTABILE = 1 AND PC03_INDTIPOCONTO IN %1")
                        .arg(inList),
              {{descriptionBox, QStringLiteral("PC03_DESCR")}});
}

void ExpenseItemLookupService::prepare(const QVariant &chart)
{
    setLookup(QStringLiteral("SELECT PC03_CONTO, PC03_DESCR") + CrLf
                  + QStringLiteral("FROM PC03_CONTI WITH (NOLOCK)") + CrLf
                  + QStringLiteral("WHERE PC03_PDC_PC01 = %1 AND PC03_FLGMOVIMENTABILE = 1")
                        .arg(chartNumber(chart))
                  + CrLf + QStringLiteral("ORDER BY PC03_CONTO"),
              {QStringLiteral("Voce"), QStringLiteral("Descrizione")},
              chartTitle(QStringLiteral("Voci di spesa e di ricavo"), chart),
              QStringLiteral("PC03_CONTI"));
}

void ExpenseItemDecodeService::prepare(const QVariant &chart, const QString &item,
                                       EditBox *descriptionBox)
{
    const QString code = unformatAccount(item, QStringLiteral("#.-/ "));
    setDecode(QStringLiteral("SELECT PC03_DESCR FROM PC03_CONTI WITH (NOLOCK)") + CrLf
                  + QStringLiteral("WHERE PC03_PDC_PC01 = %1 AND PC03_CONTO = %2")
                        .arg(chartNumber(chart), sqlString(code))
                  + CrLf + QStringLiteral("  AND PC03_FLGMOVIMENTABILE = 1"),
              {{descriptionBox, QStringLiteral("PC03_DESCR")}});
}

} // namespace host
