#include "tools/exchange_store.h"

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/save_routines.h"
#include "data/sql_text.h"
#include "data/value_domains.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "header/header_panel.h"

#include <QHash>

#include <array>

namespace causali::exchange {

namespace {

int integerOf(ado::Recordset &rs, const QString &column)
{
    return int(ado::CLng(ado::ValueOrDefault(rs.Fields(column).Value(), 0)));
}

QString textOf(ado::Recordset &rs, const QString &column)
{
    return ado::NormalizzaStringa(rs.Fields(column).Value());
}

// Runs a query and hands each row to `row`.
void forEachRow(ado::Connection &connection, const QStringList &lines,
                const std::function<void(ado::Recordset &)> &row)
{
    std::unique_ptr<ado::Recordset> rs = connection.Execute(sql::lines(lines));
    for (; rs && rs->State() == ado::adStateOpen && !rs->isEOF(); rs->MoveNext())
        row(*rs);
}

HeaderFields headerOf(ado::Recordset &rs)
{
    HeaderFields h;
    h.code = textOf(rs, QStringLiteral("CI03_CODCAUS"));
    h.description = textOf(rs, QStringLiteral("CI03_DESCR"));
    h.costRevenue = integerOf(rs, QStringLiteral("CI03_INDTIPOCOSRIC"));
    h.movement = integerOf(rs, QStringLiteral("CI03_INDTIPOMOVDATI"));
    h.standardCost = integerOf(rs, QStringLiteral("CI03_INDPROPCOSTO"));
    h.costSource = integerOf(rs, QStringLiteral("CI03_INDPROVCOSTO"));
    h.modelType = integerOf(rs, QStringLiteral("CI03_INDSTAPER_CI04"));
    h.model = textOf(rs, QStringLiteral("CI03_MODELLO_CI04"));
    h.linked = textOf(rs, QStringLiteral("CI03_CODCAUSCOLL"));
    h.linkedReference = textOf(rs, QStringLiteral("CI03_CAUSCOLLRIF_CI03"));
    h.valuation = integerOf(rs, QStringLiteral("CI03_INDREGVALQTA"));
    h.autoNumbering = integerOf(rs, QStringLiteral("CI03_FLGNUMAUTOM"));
    h.projects = integerOf(rs, QStringLiteral("CI03_FLGRILPROG"));
    return h;
}

using RecordIndex = QHash<QString, CodeRecord *>;

// The record of the code a row names (nullptr for a code not read).
CodeRecord *recordOf(const RecordIndex &byCode, ado::Recordset &rs, const QString &column)
{
    return byCode.value(textOf(rs, column));
}

void readDescriptionsAndChecks(ado::Connection &connection, const RecordIndex &byCode)
{
    forEachRow(connection,
               {QStringLiteral("SELECT CI03_CODCAUS, CI99_CODLINGUA_MG52, CI99_DESCRIZIONE"),
                QStringLiteral("FROM CI99_DESLINGUA"),
                QStringLiteral("INNER JOIN CI03_CAUSALI ON CI99_IDPROV = CI03_IDPROV"),
                QStringLiteral("WHERE CI99_PROVID_FW4A = 903")},
               [&](ado::Recordset &rs) {
                   if (CodeRecord *r = recordOf(byCode, rs, QStringLiteral("CI03_CODCAUS")))
                       r->descriptions.insert(textOf(rs, QStringLiteral("CI99_CODLINGUA_MG52")),
                                              textOf(rs, QStringLiteral("CI99_DESCRIZIONE")));
               });
    forEachRow(connection, {QStringLiteral("SELECT * FROM CI11_CONTROLLOCONTI")},
               [&](ado::Recordset &rs) {
                   CodeRecord *r = recordOf(byCode, rs, QStringLiteral("CI11_CODCAUS_CI03"));
                   if (!r)
                       return;
                   SideTypes types{};
                   for (int t = 0; t < 10; ++t)
                       types[std::size_t(t)] = integerOf(rs, checkFlagColumns()[t]) != 0;
                   r->checkRows.insert(integerOf(rs, QStringLiteral("CI11_SEGNO")), types);
               });
}

void readListRows(ado::Connection &connection, const RecordIndex &byCode)
{
    forEachRow(connection,
               {QStringLiteral("SELECT CI05_CAUSALE_CI03, CI05_DITTA_CG18, CI05_SEZIONALE_CG68"),
                QStringLiteral("FROM CI05_PROPSEZ")},
               [&](ado::Recordset &rs) {
                   if (CodeRecord *r = recordOf(byCode, rs, QStringLiteral("CI05_CAUSALE_CI03")))
                       r->journals.append({integerOf(rs, QStringLiteral("CI05_DITTA_CG18")),
                                           textOf(rs, QStringLiteral("CI05_SEZIONALE_CG68"))});
               });
    forEachRow(connection,
               {QStringLiteral("SELECT CI06_CAUSALE_CI03, CI06_INDSEGNO, CI06_INDTIPORIGA,"),
                QStringLiteral("       CI06_PROVIDER_CI07, CI06_PROGRESSIVO"),
                QStringLiteral("FROM CI06_RICERCACONTO")},
               [&](ado::Recordset &rs) {
                   if (CodeRecord *r = recordOf(byCode, rs, QStringLiteral("CI06_CAUSALE_CI03")))
                       r->searchSequence.append(
                           {integerOf(rs, QStringLiteral("CI06_INDSEGNO")),
                            integerOf(rs, QStringLiteral("CI06_INDTIPORIGA")),
                            integerOf(rs, QStringLiteral("CI06_PROVIDER_CI07")),
                            integerOf(rs, QStringLiteral("CI06_PROGRESSIVO"))});
               });
    forEachRow(
        connection,
        {QStringLiteral("SELECT CI10_CODCAUS_CI03, CI10_PROG, CI10_INDSEGNO, CI10_PERC,"),
         QStringLiteral("       CI10_PDCCONTO_PC01, CI10_CONTO_PC03, CI10_PDCVDS_PC01,"),
         QStringLiteral("       CI10_VDS_PC03"), QStringLiteral("FROM CI10_PROPCONTICAUS")},
        [&](ado::Recordset &rs) {
            CodeRecord *r = recordOf(byCode, rs, QStringLiteral("CI10_CODCAUS_CI03"));
            if (!r)
                return;
            const QVariant itemChart = rs.Fields(QStringLiteral("CI10_PDCVDS_PC01")).Value();
            r->proposal.append(
                {integerOf(rs, QStringLiteral("CI10_PROG")),
                 integerOf(rs, QStringLiteral("CI10_INDSEGNO")),
                 ado::CDbl(ado::ValueOrDefault(rs.Fields(QStringLiteral("CI10_PERC")).Value(), 0)),
                 integerOf(rs, QStringLiteral("CI10_PDCCONTO_PC01")),
                 textOf(rs, QStringLiteral("CI10_CONTO_PC03")),
                 ado::isNull(itemChart) ? std::nullopt
                                        : std::optional<int>(int(ado::CLng(itemChart))),
                 textOf(rs, QStringLiteral("CI10_VDS_PC03"))});
        });
}

// The four working tables, as the window names them.
const std::array<const char *, 4> WorkingTableNames = {"#SEZIONALI", "#CI06_RICERCACONTO",
                                                       "#SVILUPPO", "#CI99_DESLINGUA"};

QVariant orNull(const QString &text)
{
    return text.isEmpty() ? ado::Null() : QVariant(text);
}

} // namespace

QList<CodeRecord> readCodes(ado::Connection &connection, const QStringList &codes)
{
    QList<CodeRecord> records;
    std::unique_ptr<ado::Recordset> rs = connection.Execute(HeaderPanel::headerSelectText());
    const QSet<QString> wanted(codes.begin(), codes.end());
    for (; rs && rs->State() == ado::adStateOpen && !rs->isEOF(); rs->MoveNext()) {
        HeaderFields header = headerOf(*rs);
        if (wanted.isEmpty() || wanted.contains(header.code))
            records.append(CodeRecord{std::move(header), {}, {}, {}, {}, {}});
    }
    RecordIndex byCode;
    for (CodeRecord &r : records)
        byCode.insert(r.header.code, &r);
    readDescriptionsAndChecks(connection, byCode);
    readListRows(connection, byCode);
    for (CodeRecord &r : records)
        r.sortRows();
    return records;
}

QSet<QString> storedCodes(ado::Connection &connection)
{
    QSet<QString> codes;
    forEachRow(
        connection, {QStringLiteral("SELECT CI03_CODCAUS FROM CI03_CAUSALI")},
        [&](ado::Recordset &rs) { codes.insert(textOf(rs, QStringLiteral("CI03_CODCAUS"))); });
    return codes;
}

// The save routine with the window state and the "header shown" it reads.
struct CodeWriter::Save
{
    WindowState state;
    HeaderValues view;
    SaveRoutines routines{state, view};
};

CodeWriter::CodeWriter(ado::Connection &connection)
    : m_connection(connection), m_save(std::make_unique<Save>())
{
    m_save->state.connection = &connection;
    // A connection that imported before still has them.
    for (const char *table : WorkingTableNames)
        m_connection.Execute(WorkingTables::dropText(QLatin1String(table)), nullptr,
                             ado::adCmdTextNoRecords);
    for (const QString &text : WorkingTables::preparationTexts())
        m_connection.Execute(text, nullptr, ado::adCmdTextNoRecords);
}

CodeWriter::~CodeWriter() = default;

ado::Command &CodeWriter::command(std::unique_ptr<ado::Command> &slot, const QString &text)
{
    if (!slot) {
        slot = std::make_unique<ado::Command>();
        slot->setActiveConnection(&m_connection);
        slot->setCommandText(text);
        slot->setCommandType(ado::adCmdText);
        slot->setPrepared(true);
    }
    return *slot;
}

void CodeWriter::write(const CodeRecord &record, bool exists)
{
    ado::passUp(QStringLiteral("CodeWriter.write ") + record.header.code, [&] {
        writeHeader(record, exists);
        std::unique_ptr<ado::Recordset> id =
            command(m_idProv, QStringLiteral("SELECT CI03_IDPROV FROM CI03_CAUSALI "
                                             "WHERE CI03_CODCAUS = ?"))
                .Execute(nullptr, QVariantList{record.header.code});
        if (!id || id->isEOF())
            ado::raise(3021,
                       QStringLiteral("La causale %1 non è stata scritta").arg(record.header.code));
        const QVariant idProv = id->Fields(0).Value();
        writeChecks(record);
        fillWorkingTables(record, idProv);
        writeLists(record, idProv);
    });
}

void CodeWriter::writeHeader(const CodeRecord &record, bool exists)
{
    const HeaderFields &h = record.header;
    const QVariantList values{h.description,  h.costRevenue,    h.movement,
                              h.standardCost, h.costSource,     h.modelType,
                              h.model,        orNull(h.linked), orNull(h.linkedReference),
                              h.valuation,    h.autoNumbering,  h.projects,
                              h.code};
    const QString columns = QStringLiteral(
        "CI03_DESCR, CI03_INDTIPOCOSRIC, CI03_INDTIPOMOVDATI, CI03_INDPROPCOSTO, "
        "CI03_INDPROVCOSTO, CI03_INDSTAPER_CI04, CI03_MODELLO_CI04, CI03_CODCAUSCOLL, "
        "CI03_CAUSCOLLRIF_CI03, CI03_INDREGVALQTA, CI03_FLGNUMAUTOM, CI03_FLGRILPROG");
    if (exists) {
        QString assignments = columns;
        assignments.replace(QStringLiteral(","), QStringLiteral(" = ?,"));
        command(m_updateHeader, QStringLiteral("UPDATE CI03_CAUSALI SET %1 = ? "
                                               "WHERE CI03_CODCAUS = ?")
                                    .arg(assignments))
            .Execute(nullptr, values, ado::adCmdTextNoRecords);
    } else {
        command(m_insertHeader, QStringLiteral("INSERT INTO CI03_CAUSALI (%1, CI03_CODCAUS) "
                                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                    .arg(columns))
            .Execute(nullptr, values, ado::adCmdTextNoRecords);
    }
}

void CodeWriter::writeChecks(const CodeRecord &record)
{
    ado::Command &remove = m_save->routines.CmdEliminaControlloConti();
    remove.Execute(nullptr, QVariantList{record.header.code}, ado::adCmdTextNoRecords);
    ado::Command &insert = command(
        m_insertCheck, QStringLiteral("INSERT INTO CI11_CONTROLLOCONTI (CI11_CODCAUS_CI03, "
                                      "CI11_SEGNO, %1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                      "?, ?)")
                           .arg(checkFlagColumns().join(QStringLiteral(", "))));
    for (auto it = record.checkRows.begin(); it != record.checkRows.end(); ++it) {
        QVariantList values{record.header.code, it.key()};
        for (bool ticked : it.value())
            values << (ticked ? 1 : 0);
        insert.Execute(nullptr, values, ado::adCmdTextNoRecords);
    }
}

void CodeWriter::fillWorkingTables(const CodeRecord &record, const QVariant &idProv)
{
    // Prepared once: emptied for every code.
    for (std::size_t t = 0; t < WorkingTableNames.size(); ++t)
        command(m_empty[t], WorkingTables::emptyText(QLatin1String(WorkingTableNames[t])))
            .Execute(nullptr, ado::adCmdTextNoRecords);
    const QString &code = record.header.code;
    ado::Command &journal = command(
        m_insertJournal,
        QStringLiteral("INSERT INTO #SEZIONALI (CI05_DITTA_CG18, "
                       "CI05_CAUSALE_CI03, CI05_SEZIONALE_CG68) VALUES (?, ?, ?)"));
    for (const JournalRow &j : record.journals)
        journal.Execute(nullptr, {j.company, code, j.journal}, ado::adCmdTextNoRecords);
    ado::Command &search = command(
        m_insertSearch, QStringLiteral("INSERT INTO #CI06_RICERCACONTO (CI06_CAUSALE_CI03, "
                                       "CI06_INDSEGNO, CI06_INDTIPORIGA, CI06_PROVIDER_CI07, "
                                       "CI06_PROGRESSIVO) VALUES (?, ?, ?, ?, ?)"));
    for (const SearchRow &s : record.searchSequence)
        search.Execute(nullptr, {code, s.side, s.rowType, s.provider, s.rank},
                       ado::adCmdTextNoRecords);
    // PDCVDS -1 stands for "no expense item", as in the editor's working copy.
    ado::Command &proposal = command(
        m_insertProposal, QStringLiteral("INSERT INTO #SVILUPPO (CAUSALE, PROG, SEGNO, "
                                         "PERCENTUALE, PDC, CONTO, PDCVDS, VDS, AVERE, DARE) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const ProposalRow &p : record.proposal)
        proposal.Execute(nullptr,
                         {code, p.prog, p.sign, p.percent, p.chart, p.account,
                          p.itemChart.value_or(-1), orNull(p.item),
                          p.sign == SegnoAvere ? QVariant(p.account) : ado::Null(),
                          p.sign == SegnoDare ? QVariant(p.account) : ado::Null()},
                         ado::adCmdTextNoRecords);
    ado::Command &description = command(
        m_insertDescription, QStringLiteral("INSERT INTO #CI99_DESLINGUA (CI99_CODLINGUA_MG52, "
                                            "CI99_PROVID_FW4A, CI99_IDPROV, CI99_DESCRIZIONE) "
                                            "VALUES (?, ?, ?, ?)"));
    for (auto it = record.descriptions.begin(); it != record.descriptions.end(); ++it)
        description.Execute(nullptr, {it.key(), ProvenienzaCausale, idProv, it.value()},
                            ado::adCmdTextNoRecords);
}

// The lists through the save routine: its statements replace the stored rows of the code with
// the working copy. The routine writes one language's description; the code's descriptions of
// every language are removed first and the other languages inserted with its own statement.
void CodeWriter::writeLists(const CodeRecord &record, const QVariant &idProv)
{
    Save &save = *m_save;
    save.view.code = record.header.code;
    save.view.id = idProv;
    save.view.description = record.header.description;
    const QString code = record.header.code;
    m_connection.Execute(SaveRoutines::buildStatements(code, idProv, LinguaBase, {}, true).s7,
                         nullptr, ado::adCmdTextNoRecords);
    const QStringList languages = record.descriptions.keys();
    const QString first = languages.contains(LinguaBase) || languages.isEmpty() ? LinguaBase
                                                                                : languages.first();
    save.state.CodLingua = first;
    const SaveOutcome outcome = save.routines.AggiornamentoDatabase();
    if (!outcome.committed)
        throw outcome.error.value_or(ado::RuntimeError(
            5, QStringLiteral("Scrittura delle liste non riuscita (%1)").arg(outcome.failedStep)));
    for (const QString &language : languages) {
        if (language != first)
            m_connection.Execute(SaveRoutines::buildStatements(code, idProv, language,
                                                               record.header.description, false)
                                     .s8,
                                 nullptr, ado::adCmdTextNoRecords);
    }
}

} // namespace causali::exchange
