#include "tools/consistency_check.h"

#include "header/rule_lookups.h"
#include "tools/exchange_store.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace causali::consistency {

namespace {

using exchange::CodeRecord;

const QString HeaderTable = QStringLiteral("CI03_CAUSALI");

void linkedFindings(QList<Finding> &out, const CodeRecord &r, DatabaseRuleLookups &lookups)
{
    const HeaderFields &h = r.header;
    for (const LinkedBox box : {LinkedBox::Linked, LinkedBox::Reference}) {
        const QString linked = box == LinkedBox::Linked ? h.linked : h.linkedReference;
        if (linked.isEmpty() || !header_rules::linkedDiffers(h.code, linked)
            || lookups.linkedCompatible(box, h, linked))
            continue;
        out.append({h.code, HeaderTable, 0,
                    box == LinkedBox::Linked ? QStringLiteral("CI03_CODCAUSCOLL")
                                             : QStringLiteral("CI03_CAUSCOLLRIF_CI03"),
                    header_rules::linkedRefusalMessage(box, linked)});
    }
}

void listFindings(QList<Finding> &out, const CodeRecord &r, DatabaseRuleLookups &lookups)
{
    const QString &code = r.header.code;
    for (int i = 0; i < r.journals.size(); ++i) {
        const JournalRow &j = r.journals[i];
        if (!lookups.companyUsable(j.company) || !lookups.journalExists(j.company, j.journal))
            out.append(
                {code, QStringLiteral("CI05_PROPSEZ"), i + 1, QStringLiteral("CI05_SEZIONALE_CG68"),
                 satellite_rules::journalNotFoundMessage(j.journal, QString::number(j.company))});
    }
    for (int i = 0; i < r.searchSequence.size(); ++i) {
        const int provider = r.searchSequence[i].provider;
        if (!lookups.providerExists(provider))
            out.append({code, QStringLiteral("CI06_RICERCACONTO"), i + 1,
                        QStringLiteral("CI06_PROVIDER_CI07"),
                        satellite_rules::providerNotFoundMessage(QString::number(provider))});
    }
    const AccountTypeChecks checks = r.checks();
    for (int i = 0; i < r.proposal.size(); ++i) {
        const ProposalRow &p = r.proposal[i];
        if (!lookups.accountAllowed(p.chart, p.account,
                                    satellite_rules::typesOfSign(checks, p.sign)))
            out.append({code, QStringLiteral("CI10_PROPCONTICAUS"), i + 1,
                        QStringLiteral("CI10_CONTO_PC03"),
                        satellite_rules::accountRefusedMessage(p.account)});
        if (p.itemChart && !p.item.isEmpty() && !lookups.itemExists(*p.itemChart, p.item))
            out.append({code, QStringLiteral("CI10_PROPCONTICAUS"), i + 1,
                        QStringLiteral("CI10_VDS_PC03"),
                        satellite_rules::itemNotFoundMessage(p.item)});
    }
}

// A language counts as expected when more than half of the codes have a description in it.
void languageFindings(QList<Finding> &out, const QList<CodeRecord> &records)
{
    QMap<QString, int> users;
    for (const CodeRecord &r : records) {
        for (const QString &language : r.descriptions.keys())
            ++users[language];
    }
    for (const CodeRecord &r : records) {
        for (auto it = users.begin(); it != users.end(); ++it) {
            if (2 * it.value() > records.size() && !r.descriptions.contains(it.key()))
                out.append({r.header.code, QStringLiteral("CI99_DESLINGUA"), 0,
                            QStringLiteral("CI99_CODLINGUA_MG52"),
                            QStringLiteral("Manca la descrizione in lingua %1, che %2 causali "
                                           "su %3 hanno.")
                                .arg(it.key())
                                .arg(it.value())
                                .arg(records.size())});
        }
    }
}

} // namespace

int tabOf(const Finding &finding)
{
    static const QHash<QString, int> tabs{{QStringLiteral("CI05_PROPSEZ"), 1},
                                          {QStringLiteral("CI11_CONTROLLOCONTI"), 2},
                                          {QStringLiteral("CI06_RICERCACONTO"), 3},
                                          {QStringLiteral("CI10_PROPCONTICAUS"), 4}};
    return tabs.value(finding.list, 0);
}

QList<Finding> findInconsistencies(ado::Connection &connection, const QString &language)
{
    const QList<CodeRecord> records = exchange::readCodes(connection);
    QHash<QString, AccountTypeChecks> checksOf;
    for (const CodeRecord &r : records)
        checksOf.insert(r.header.code, r.checks());
    DatabaseRuleLookups lookups(connection, language,
                                [&](const QString &code) { return checksOf.value(code); });
    QList<Finding> perCode;
    for (const CodeRecord &r : records) {
        linkedFindings(perCode, r, lookups);
        listFindings(perCode, r, lookups);
    }
    QList<Finding> languages;
    languageFindings(languages, records);
    // By code: the findings of each code together, header first.
    QList<Finding> out;
    qsizetype l = 0;
    for (const CodeRecord &r : records) {
        for (const Finding &f : perCode) {
            if (f.code == r.header.code)
                out.append(f);
        }
        for (; l < languages.size() && languages[l].code == r.header.code; ++l)
            out.append(languages[l]);
    }
    return out;
}

QString findingsText(const QList<Finding> &findings)
{
    QString text;
    for (const Finding &f : findings)
        text += QStringLiteral("%1  %2%3  %4: %5\n")
                    .arg(f.code, f.list,
                         f.row > 0 ? QStringLiteral(" riga %1").arg(f.row) : QString(), f.field,
                         f.reason);
    text += findings.isEmpty() ? QStringLiteral("Nessuna incoerenza trovata.\n")
                               : QStringLiteral("%1 incoerenze trovate.\n").arg(findings.size());
    return text;
}

QByteArray findingsJson(const QList<Finding> &findings)
{
    QJsonArray list;
    for (const Finding &f : findings)
        list.append(QJsonObject{{QStringLiteral("code"), f.code},
                                {QStringLiteral("list"), f.list},
                                {QStringLiteral("row"), f.row},
                                {QStringLiteral("field"), f.field},
                                {QStringLiteral("reason"), f.reason}});
    return QJsonDocument(QJsonObject{{QStringLiteral("findings"), list},
                                     {QStringLiteral("count"), int(findings.size())}})
        .toJson(QJsonDocument::Indented);
}

} // namespace causali::consistency
