#include "tools/exchange_import.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "header/rule_lookups.h"
#include "tools/exchange_store.h"

#include <QHash>

namespace causali::exchange {

namespace {

constexpr int MaxLanguageDescription = 512;

RuleRefusals checkDescriptions(const CodeRecord &record, const QStringList &knownLanguages)
{
    RuleRefusals out;
    qsizetype row = 0;
    for (auto it = record.descriptions.begin(); it != record.descriptions.end(); ++it, ++row) {
        const QString field = QStringLiteral("CI99_DESLINGUA[%1].").arg(row + 1);
        if (it.key().isEmpty() || it.key().size() > 4
            || (!knownLanguages.isEmpty() && !knownLanguages.contains(it.key())))
            out.append({field + QStringLiteral("CI99_CODLINGUA_MG52"),
                        QStringLiteral("Lingua \"%1\" sconosciuta.").arg(it.key())});
        if (it.value().trimmed().isEmpty())
            out.append(
                {field + QStringLiteral("CI99_DESCRIZIONE"), QStringLiteral("Descrizione vuota.")});
        else if (it.value().size() > MaxLanguageDescription)
            out.append({field + QStringLiteral("CI99_DESCRIZIONE"),
                        QStringLiteral("Descrizione troppo lunga: al massimo %1 caratteri.")
                            .arg(MaxLanguageDescription)});
    }
    return out;
}

QString refusalLine(const QString &code, const QString &field, const QString &reason)
{
    return QStringLiteral("Rifiutata %1%2: %3")
        .arg(code, field.isEmpty() ? QString() : QStringLiteral(", ") + field, reason);
}

// Writes every record; true when all were written.
bool writeAll(ado::Connection &connection, const QList<CodeRecord> &records,
              const QSet<QString> &stored, ImportReport &report)
{
    try {
        CodeWriter writer(connection);
        for (const CodeRecord &r : records)
            writer.write(r, stored.contains(r.header.code));
        return true;
    } catch (const ado::RuntimeError &e) {
        report.lines
            << QStringLiteral("Errore di scrittura: %1 (%2)")
                   .arg(e.description(),
                        QString(e.source()).replace(QStringLiteral("\r\n"), QStringLiteral(" / ")));
        ++report.refusals;
        return false;
    }
}

void summarise(ImportReport &report, const ImportOptions &options, qsizetype codes)
{
    if (!report.ok())
        report.lines << QStringLiteral("Importazione annullata: %1 rifiuti; nessuna causale "
                                       "scritta.")
                            .arg(report.refusals);
    else if (options.dryRun)
        report.lines << QStringLiteral("Prova senza scrittura: %1 causali verificate (%2 da "
                                       "creare, %3 da sostituire), nessuna scritta.")
                            .arg(codes)
                            .arg(report.created)
                            .arg(report.replaced);
    else
        report.lines << QStringLiteral("Importazione completata: %1 causali create, %2 "
                                       "sostituite.")
                            .arg(report.created)
                            .arg(report.replaced);
}

} // namespace

QByteArray exportCodes(ado::Connection &connection, const QStringList &codes)
{
    const QList<CodeRecord> records = readCodes(connection, codes);
    QSet<QString> missing(codes.begin(), codes.end());
    for (const CodeRecord &r : records)
        missing.remove(r.header.code);
    if (!missing.isEmpty()) {
        QStringList names = missing.values();
        names.sort();
        ado::raise(3021,
                   QStringLiteral("Causali inesistenti: %1").arg(names.join(QStringLiteral(", "))),
                   QStringLiteral("exportCodes"));
    }
    return toDocument(records);
}

RuleRefusals checkRecord(const CodeRecord &record, HeaderLookups &header, SatelliteLookups &lists,
                         const QStringList &knownLanguages)
{
    const AccountTypeChecks checks = record.checks();
    RuleRefusals out = header_rules::checkHeader(record.header, header);
    out << satellite_rules::checkAccountTypes(checks, record.header.movement);
    out << satellite_rules::checkJournals(record.journals, lists);
    out << satellite_rules::checkSearchSequence(record.searchSequence, record.header.movement,
                                                lists);
    out << satellite_rules::checkProposal(record.proposal, checks, lists);
    out << checkDescriptions(record, knownLanguages);
    return out;
}

// The codes are written first, inside the transaction, and checked afterwards: a linked code
// may be another code of the same file, and its compatibility is the database's to judge.
// Anything refused, or a dry run, rolls the whole transaction back.
ImportReport importCodes(ado::Connection &connection, const QByteArray &json,
                         const ImportOptions &options)
{
    ImportReport report;
    const ReadResult read = fromDocument(json);
    for (const ReadProblem &p : read.problems)
        report.lines << refusalLine(p.code, p.field, p.reason);
    report.refusals = int(read.problems.size());
    if (!report.ok()) {
        summarise(report, options, read.records.size());
        return report;
    }
    const QSet<QString> stored = storedCodes(connection);
    QHash<QString, AccountTypeChecks> checksOf;
    for (const CodeRecord &r : read.records) {
        const bool exists = stored.contains(r.header.code);
        ++(exists ? report.replaced : report.created);
        report.lines << QStringLiteral("%1 %2 - %3")
                            .arg(exists ? QStringLiteral("Sostituisce") : QStringLiteral("Crea"),
                                 r.header.code, r.header.description);
        checksOf.insert(r.header.code, r.checks());
    }
    connection.BeginTrans();
    try {
        if (writeAll(connection, read.records, stored, report)) {
            DatabaseRuleLookups lookups(connection, options.userLanguage,
                                        [&](const QString &code) { return checksOf.value(code); });
            for (const CodeRecord &r : read.records) {
                for (const RuleRefusal &refusal :
                     checkRecord(r, lookups, lookups, options.knownLanguages)) {
                    report.lines << refusalLine(r.header.code, refusal.field, refusal.reason);
                    ++report.refusals;
                }
            }
        }
        if (!report.ok() || options.dryRun) {
            connection.RollbackTrans();
        } else {
            connection.CommitTrans();
            report.written = true;
        }
    } catch (...) {
        connection.RollbackTrans();
        throw;
    }
    summarise(report, options, read.records.size());
    return report;
}

} // namespace causali::exchange
