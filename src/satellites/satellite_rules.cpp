#include "satellites/satellite_rules.h"

#include "data/value_domains.h"
#include "host/message_dictionary.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace causali::satellite_rules {

namespace {

QString rowField(const char *table, qsizetype row, const char *column)
{
    return QStringLiteral("%1[%2].%3")
        .arg(QLatin1String(table))
        .arg(row + 1)
        .arg(QLatin1String(column));
}

bool upperCode(const QString &text, int length)
{
    return !text.isEmpty() && text.size() <= length && text == text.toUpper()
           && text == text.trimmed();
}

// The row types a search-sequence row of a code may have: the six real ones with a stock
// movement, only "none" (-1) otherwise.
bool rowTypeAllowed(int movement, int rowType)
{
    if (movement != MovMagazzino)
        return rowType == RigaNessuna;
    return rowType != RigaNessuna && findItem(domainTipoRiga(), rowType);
}

// Within each group the ranks run 1, 2, 3...: the order in which the pages keep them.
void refuseRanks(RuleRefusals &out, const QList<SearchRow> &rows)
{
    QHash<QPair<int, int>, QList<int>> ranks;
    for (const SearchRow &row : rows)
        ranks[{row.side, row.rowType}].append(row.rank);
    for (auto it = ranks.begin(); it != ranks.end(); ++it) {
        QList<int> sorted = it.value();
        std::sort(sorted.begin(), sorted.end());
        for (qsizetype i = 0; i < sorted.size(); ++i) {
            if (sorted[i] == int(i + 1))
                continue;
            out.append({QStringLiteral("CI06_RICERCACONTO.CI06_PROGRESSIVO"),
                        QStringLiteral("Progressivi del lato %1, tipo riga %2 non consecutivi "
                                       "da 1.")
                            .arg(it.key().first)
                            .arg(it.key().second)});
            break;
        }
    }
}

void refuseProposalRow(RuleRefusals &out, const ProposalRow &row, qsizetype i,
                       const AccountTypeChecks &checks, SatelliteLookups &lookups)
{
    if (row.sign != SegnoDare && row.sign != SegnoAvere) {
        out.append({rowField("CI10_PROPCONTICAUS", i, "CI10_INDSEGNO"),
                    QStringLiteral("Segno %1 non previsto: 1 Dare o 2 Avere.").arg(row.sign)});
        return;
    }
    if (!std::isfinite(row.percent) || std::fabs(row.percent) >= 1000.0)
        out.append({rowField("CI10_PROPCONTICAUS", i, "CI10_PERC"),
                    QStringLiteral("Percentuale fuori dai limiti (al massimo 999,99).")});
    if (!upperCode(row.account, MaxAccountLength)
        || !lookups.accountAllowed(row.chart, row.account, typesOfSign(checks, row.sign)))
        out.append({rowField("CI10_PROPCONTICAUS", i, "CI10_CONTO_PC03"),
                    accountRefusedMessage(row.account)});
    // A chart without an item is what the editor stores for a row without one.
    if (!row.item.isEmpty() && !row.itemChart)
        out.append({rowField("CI10_PROPCONTICAUS", i, "CI10_VDS_PC03"),
                    QStringLiteral("Voce di spesa senza il suo piano dei conti.")});
    else if (!row.item.isEmpty() && !lookups.itemExists(*row.itemChart, row.item))
        out.append(
            {rowField("CI10_PROPCONTICAUS", i, "CI10_VDS_PC03"), itemNotFoundMessage(row.item)});
}

} // namespace

int ticked(const SideTypes &types)
{
    return int(std::count(types.begin(), types.end(), true));
}

bool typesChosenOnBothSides(const AccountTypeChecks &checks)
{
    return ticked(checks.debit) > 0 && ticked(checks.credit) > 0;
}

bool typeCountAllowed(int movement, const AccountTypeChecks &checks)
{
    if (movement != MovMagazzino && movement != MovManodopera)
        return true;
    return ticked(checks.debit) < 2 && ticked(checks.credit) < 2;
}

const SideTypes &typesOfSign(const AccountTypeChecks &checks, int sign)
{
    return sign == SegnoDare ? checks.debit : checks.credit;
}

bool companyTaken(const QList<int> &otherRows, int company)
{
    return company != NoCompany && otherRows.contains(company);
}

QString companyRepeatedMessage(const QString &company)
{
    return QStringLiteral("La ditta %1 ha già un sezionale di default: sceglierne un'altra "
                          "o modificare la sua riga.")
        .arg(company);
}

QString journalNotFoundMessage(const QString &journal, const QString &company)
{
    return QStringLiteral("Il sezionale \"%1\" non esiste nella ditta %2.").arg(journal, company);
}

QString providerNotFoundMessage(const QString &provider)
{
    return QStringLiteral("Il provider %1 non esiste.").arg(provider);
}

QString accountRefusedMessage(const QString &account)
{
    return QStringLiteral("Il conto %1 non esiste nel piano dei conti oppure non è di una "
                          "tipologia selezionata nel folder controllo conti per il segno "
                          "della riga.")
        .arg(account);
}

QString itemNotFoundMessage(const QString &item)
{
    return QStringLiteral("La voce di spesa %1 non esiste nel piano dei conti per V.d.s.")
        .arg(item);
}

RuleRefusals checkAccountTypes(const AccountTypeChecks &checks, int movement)
{
    const host::MessageDictionary messages;
    if (!typesChosenOnBothSides(checks))
        return {{QStringLiteral("CI11_CONTROLLOCONTI"),
                 messages.GetText(host::msg::AccountTypeMissing)}};
    if (!typeCountAllowed(movement, checks))
        return {{QStringLiteral("CI11_CONTROLLOCONTI"),
                 messages.GetText(host::msg::TooManyAccountTypes)}};
    return {};
}

RuleRefusals checkJournals(const QList<JournalRow> &rows, SatelliteLookups &lookups)
{
    RuleRefusals out;
    QList<int> companies;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const JournalRow &row = rows[i];
        const QString company = QString::number(row.company);
        if (!lookups.companyUsable(row.company)) {
            out.append({rowField("CI05_PROPSEZ", i, "CI05_DITTA_CG18"),
                        QStringLiteral("La ditta %1 non esiste o non ha la contabilità "
                                       "analitica.")
                            .arg(company)});
            continue;
        }
        if (companyTaken(companies, row.company))
            out.append(
                {rowField("CI05_PROPSEZ", i, "CI05_DITTA_CG18"), companyRepeatedMessage(company)});
        companies.append(row.company);
        if (!upperCode(row.journal, MaxJournalLength)
            || !lookups.journalExists(row.company, row.journal))
            out.append({rowField("CI05_PROPSEZ", i, "CI05_SEZIONALE_CG68"),
                        journalNotFoundMessage(row.journal, company)});
    }
    return out;
}

RuleRefusals checkSearchSequence(const QList<SearchRow> &rows, int movement,
                                 SatelliteLookups &lookups)
{
    RuleRefusals out;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const SearchRow &row = rows[i];
        if (row.side != ContoDestinazione && row.side != ContoOrigine)
            out.append({rowField("CI06_RICERCACONTO", i, "CI06_INDSEGNO"),
                        QStringLiteral("Lato %1 non previsto: 1 destinazione o 2 origine.")
                            .arg(row.side)});
        if (!rowTypeAllowed(movement, row.rowType))
            out.append({rowField("CI06_RICERCACONTO", i, "CI06_INDTIPORIGA"),
                        QStringLiteral("Tipo riga %1 non ammesso con questa movimentazione "
                                       "dati.")
                            .arg(row.rowType)});
        if (row.provider < 0 || row.provider > 32767 || !lookups.providerExists(row.provider))
            out.append({rowField("CI06_RICERCACONTO", i, "CI06_PROVIDER_CI07"),
                        providerNotFoundMessage(QString::number(row.provider))});
    }
    refuseRanks(out, rows);
    return out;
}

RuleRefusals checkProposal(const QList<ProposalRow> &rows, const AccountTypeChecks &checks,
                           SatelliteLookups &lookups)
{
    RuleRefusals out;
    QSet<int> progs;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].prog < 1 || progs.contains(rows[i].prog))
            out.append(
                {rowField("CI10_PROPCONTICAUS", i, "CI10_PROG"),
                 QStringLiteral("Numero di riga %1 ripetuto o non valido.").arg(rows[i].prog)});
        progs.insert(rows[i].prog);
        refuseProposalRow(out, rows[i], i, checks, lookups);
    }
    return out;
}

} // namespace causali::satellite_rules
