#include "data/save_routines.h"

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/recordset.h"
#include "data/sql_text.h"
#include "data/value_domains.h"
#include "data/window_state.h"
#include "data/working_tables.h"

#include <vector>

namespace causali {

namespace {

const QString RoutineName = QStringLiteral("AggiornamentoDatabase");

// The rows of one reason code: `value` is "?" (prepared) or "@CAUSALE" (replaced by the code).
QString deleteText(const QString &table, const QString &column,
                   const QString &value = QStringLiteral("@CAUSALE"))
{
    return sql::lines({QStringLiteral("DELETE ") + table, QStringLiteral("WHERE"),
                       QStringLiteral("    ") + column + QStringLiteral(" = ") + value});
}

void languageStatements(AggiornamentoStatements &st, const QString &id, const QString &codLingua,
                        bool deletionInProgress)
{
    const QString languageLine = QStringLiteral("  AND CI99_CODLINGUA_MG52 = ")
                                 + sql::quoted(codLingua);
    QStringList s7{QStringLiteral("DELETE CI99_DESLINGUA"), QStringLiteral("WHERE"),
                   QStringLiteral("      CI99_PROVID_FW4A = 903 "),
                   QStringLiteral("  AND CI99_IDPROV = ") + id};
    if (!deletionInProgress)
        s7 << languageLine;
    st.s7 = sql::lines(s7);

    const QStringList columns{QStringLiteral("CI99_CODLINGUA_MG52"),
                              QStringLiteral("CI99_PROVID_FW4A"), QStringLiteral("CI99_IDPROV"),
                              QStringLiteral("CI99_DESCRIZIONE")};
    QStringList s8 = sql::insertSelect(QStringLiteral("CI99_DESLINGUA"), columns, columns);
    s8 << QStringLiteral("FROM") << QStringLiteral("    #CI99_DESLINGUA") << QStringLiteral("WHERE")
       << QStringLiteral("      CI99_PROVID_FW4A = 903 ")
       << QStringLiteral("  AND CI99_IDPROV = ") + id << languageLine;
    st.s8 = sql::lines(s8);
}

} // namespace

SaveRoutines::SaveRoutines(WindowState &state, const HeaderView &header)
    : m_state(state), m_header(header)
{}

SaveRoutines::~SaveRoutines() = default;

ado::Command &SaveRoutines::deleteCommand(std::unique_ptr<ado::Command> &slot, const QString &text)
{
    return preparedCommand(slot, m_state, text, [](ado::Command &command) {
        ado::ignoreErrors({
            [&] { command.setCommandTimeout(0); },
            [&] { command.setCommandType(ado::adCmdText); },
            [&] {
                command.parameters().Append(command.CreateParameter(
                    QStringLiteral("@CAUSALE"), ado::adWChar, ado::adParamInput, 4));
            },
        });
    });
}

QString SaveRoutines::deleteControlloContiText()
{
    return deleteText(QStringLiteral("CI11_CONTROLLOCONTI"), QStringLiteral("CI11_CODCAUS_CI03"),
                      QStringLiteral("?"));
}

ado::Command &SaveRoutines::CmdEliminaControlloConti()
{
    return deleteCommand(m_eliminaControlloConti, deleteControlloContiText());
}

QString SaveRoutines::deleteRicercaContoText()
{
    return deleteText(QStringLiteral("CI06_RICERCACONTO"), QStringLiteral("CI06_CAUSALE_CI03"),
                      QStringLiteral("?"));
}

ado::Command &SaveRoutines::CmdEliminaRicercaConto()
{
    return deleteCommand(m_eliminaRicercaConto, deleteRicercaContoText());
}

QString SaveRoutines::deletePropSezText()
{
    return deleteText(QStringLiteral("CI05_PROPSEZ"), QStringLiteral("CI05_CAUSALE_CI03"),
                      QStringLiteral("?"));
}

ado::Command &SaveRoutines::CmdEliminaPropSez()
{
    return deleteCommand(m_eliminaPropSez, deletePropSezText());
}

QString SaveRoutines::deletePropContiCausText()
{
    return deleteText(QStringLiteral("CI10_PROPCONTICAUS"), QStringLiteral("CI10_CODCAUS_CI03"),
                      QStringLiteral("?"));
}

ado::Command &SaveRoutines::CmdEliminaPropContiCaus()
{
    return deleteCommand(m_eliminaPropContiCaus, deletePropContiCausText());
}

AggiornamentoStatements SaveRoutines::buildStatements(const QString &code, const QVariant &idProv,
                                                      const QString &codLingua,
                                                      const QString &descrizione,
                                                      bool deletionInProgress)
{
    AggiornamentoStatements st;
    const QString id = sql::number(idProv, QStringLiteral("CI03_IDPROV"));
    languageStatements(st, id, codLingua, deletionInProgress);
    // A header row being deleted keeps the text it was read with: the header frame finds the
    // row it deletes by the values it read.
    if (codLingua.trimmed() == LinguaBase && !deletionInProgress) {
        st.s9 = sql::lines({QStringLiteral("UPDATE CI03_CAUSALI "),
                            QStringLiteral(" SET CI03_DESCR  = ") + sql::quoted(descrizione)
                                + QStringLiteral(" WHERE CI03_IDPROV = ") + id});
    }

    st.s1 = deleteText(QStringLiteral("CI06_RICERCACONTO"), QStringLiteral("CI06_CAUSALE_CI03"));
    const QStringList ric{QStringLiteral("CI06_CAUSALE_CI03"), QStringLiteral("CI06_INDSEGNO"),
                          QStringLiteral("CI06_INDTIPORIGA"), QStringLiteral("CI06_PROVIDER_CI07"),
                          QStringLiteral("CI06_PROGRESSIVO")};
    st.s2 = sql::lines(sql::insertSelect(QStringLiteral("CI06_RICERCACONTO"), ric, ric)
                       << QStringLiteral("FROM") << QStringLiteral("    #CI06_RICERCACONTO")
                       << QStringLiteral("WHERE")
                       << QStringLiteral("    CI06_CAUSALE_CI03 = @CAUSALE")
                       << QStringLiteral("ORDER BY") << QStringLiteral("    CI06_INDSEGNO ASC")
                       << QStringLiteral("    , CI06_INDTIPORIGA ASC")
                       << QStringLiteral("    , CI06_PROGRESSIVO ASC"));

    st.s3 = deleteText(QStringLiteral("CI10_PROPCONTICAUS"), QStringLiteral("CI10_CODCAUS_CI03"));
    st.s4 = sql::lines(
        sql::insertSelect(QStringLiteral("CI10_PROPCONTICAUS"),
                          {QStringLiteral("CI10_CODCAUS_CI03"), QStringLiteral("CI10_PROG"),
                           QStringLiteral("CI10_INDSEGNO"), QStringLiteral("CI10_PDCCONTO_PC01"),
                           QStringLiteral("CI10_CONTO_PC03"), QStringLiteral("CI10_PDCVDS_PC01"),
                           QStringLiteral("CI10_VDS_PC03"), QStringLiteral("CI10_PERC")},
                          {QStringLiteral("CAUSALE"), QStringLiteral("PROG"),
                           QStringLiteral("SEGNO"), QStringLiteral("PDC"), QStringLiteral("CONTO"),
                           QStringLiteral("CASE PDCVDS WHEN -1 THEN NULL ELSE PDCVDS END"),
                           QStringLiteral("CASE PDCVDS WHEN -1 THEN NULL ELSE VDS END"),
                           QStringLiteral("PERCENTUALE")})
        << QStringLiteral("FROM") << QStringLiteral("    #SVILUPPO") << QStringLiteral("WHERE")
        << QStringLiteral("    CAUSALE = @CAUSALE") << QStringLiteral(" ORDER BY")
        << QStringLiteral("    CAUSALE ASC") << QStringLiteral("    , PROG ASC"));

    st.s5 = deleteText(QStringLiteral("CI05_PROPSEZ"), QStringLiteral("CI05_CAUSALE_CI03"));
    const QStringList sez{QStringLiteral("CI05_DITTA_CG18"), QStringLiteral("CI05_CAUSALE_CI03"),
                          QStringLiteral("CI05_SEZIONALE_CG68")};
    st.s6 = sql::lines(sql::insertSelect(QStringLiteral("CI05_PROPSEZ"), sez, sez)
                       << QStringLiteral("FROM") << QStringLiteral("    #SEZIONALI")
                       << QStringLiteral("WHERE")
                       << QStringLiteral("    CI05_CAUSALE_CI03 = @CAUSALE")
                       << QStringLiteral("ORDER BY") << QStringLiteral("    CI05_DITTA_CG18 ASC")
                       << QStringLiteral("    , CI05_SEZIONALE_CG68 ASC"));

    for (QString *s : {&st.s1, &st.s2, &st.s3, &st.s4, &st.s5, &st.s6})
        *s = sql::withCausale(*s, code);
    return st;
}

SaveOutcome SaveRoutines::write(ado::Connection &connection, const AggiornamentoStatements &st)
{
    const auto rollBack = [&](const QString &step, const ado::RuntimeError &e) {
        connection.RollbackTrans();
        SaveOutcome outcome;
        outcome.committed = false;
        outcome.failedStep = step;
        outcome.error = e;
        return outcome;
    };

    connection.BeginTrans();
    const std::pair<const char *, const QString *> statements[] = {
        {"S1", &st.s1}, {"S2", &st.s2}, {"S3", &st.s3}, {"S4", &st.s4}, {"S5", &st.s5},
        {"S6", &st.s6}, {"S7", &st.s7}, {"S8", &st.s8}, {"S9", &st.s9}};
    // The statements need no answer one by one: a server gets them all with the commit of this
    // level, and a failure among them is then raised as that statement's, which `sent` names.
    std::vector<std::pair<quint64, QString>> sent;
    for (const auto &[name, text] : statements) {
        if (text->isEmpty())
            continue; // only S9 can be empty
        try {
            connection.Execute(*text, nullptr,
                               ado::adCmdText | ado::adExecuteNoRecords | ado::adAsyncExecute);
        } catch (const ado::RuntimeError &e) {
            return rollBack(QString::fromLatin1(name), e);
        }
        sent.emplace_back(connection.statementsRun(), QString::fromLatin1(name));
    }
    try {
        connection.CommitTrans();
    } catch (const ado::RuntimeError &e) {
        QString step = QStringLiteral("CommitTrans");
        for (const auto &[number, name] : sent) {
            if (number == connection.failedStatement())
                step = name;
        }
        return rollBack(step, e);
    }
    return {};
}

SaveOutcome SaveRoutines::AggiornamentoDatabase()
{
    return ado::passUp(RoutineName, [&] {
        const AggiornamentoStatements st = buildStatements(
            codiceCausale(m_header), m_header.idProv(), m_state.CodLingua,
            m_header.descrizioneText(), m_state.DeletionInProgress);
        return write(connectionOf(m_state), st);
    });
}

void SaveRoutines::executeDelete(ado::Command &command)
{
    command.parameters()[QStringLiteral("@CAUSALE")].Value = codiceCausale(m_header);
    command.Execute();
}

SaveRoutines::DeletionSteps SaveRoutines::deletionSteps(
    std::function<void(const SaveOutcome &)> onWritten)
{
    const auto run = [this](const QString &text) {
        connectionOf(m_state).Execute(text, nullptr, ado::adCmdTextNoRecords);
    };
    const auto code = [this] { return codiceCausale(m_header); };
    return {
        [=, this] { executeDelete(CmdEliminaControlloConti()); },
        [=] { run(WorkingTables::deleteRicRowsText(code())); },
        [=, this] { executeDelete(CmdEliminaRicercaConto()); },
        [=] { run(WorkingTables::deleteSviluppoRowsText(code())); },
        [=, this] { executeDelete(CmdEliminaPropContiCaus()); },
        [=] { run(WorkingTables::deleteSezionaliRowsText(code())); },
        [=, this] { executeDelete(CmdEliminaPropSez()); },
        [=, this] { run(WorkingTables::deleteCausaliLinguaRowsText(m_header.idProv())); },
        [=, this] {
            // True only while the write runs, even when it raises.
            struct Reset
            {
                bool &flag;
                ~Reset() { flag = false; }
            } reset{m_state.DeletionInProgress};
            m_state.DeletionInProgress = true;
            const SaveOutcome outcome = AggiornamentoDatabase();
            if (onWritten)
                onWritten(outcome);
        },
    };
}

bool SaveRoutines::runDeletion(const ado::ErrorReporter &report,
                               std::function<void(const SaveOutcome &)> onWritten)
{
    const DeletionSteps s = deletionSteps(std::move(onWritten));
    return ado::runSteps(report, {s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7], s[8]});
}

} // namespace causali
