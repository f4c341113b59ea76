#include "tools/exchange_record.h"

#include "satellites/account_checks_page.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace causali::exchange {

namespace {

// Keys of a code's object, of its list rows and of a check row.
const QString KCode = QStringLiteral("CI03_CODCAUS");
const QString KDescriptions = QStringLiteral("CI99_DESLINGUA");
const QString KChecks = QStringLiteral("CI11_CONTROLLOCONTI");
const QString KJournals = QStringLiteral("CI05_PROPSEZ");
const QString KSearch = QStringLiteral("CI06_RICERCACONTO");
const QString KProposal = QStringLiteral("CI10_PROPCONTICAUS");

// The integer columns of the header with their members.
struct IntColumn
{
    const char *key;
    int HeaderFields::*member;
};
constexpr IntColumn HeaderInts[] = {
    {"CI03_INDTIPOCOSRIC", &HeaderFields::costRevenue},
    {"CI03_INDTIPOMOVDATI", &HeaderFields::movement},
    {"CI03_INDPROPCOSTO", &HeaderFields::standardCost},
    {"CI03_INDPROVCOSTO", &HeaderFields::costSource},
    {"CI03_INDSTAPER_CI04", &HeaderFields::modelType},
    {"CI03_INDREGVALQTA", &HeaderFields::valuation},
    {"CI03_FLGNUMAUTOM", &HeaderFields::autoNumbering},
    {"CI03_FLGRILPROG", &HeaderFields::projects},
};

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

// Reads the values of one JSON object, noting every problem against the code read.
class Reader
{
public:
    Reader(QList<ReadProblem> &problems, QString code, QString prefix)
        : m_problems(problems), m_code(std::move(code)), m_prefix(std::move(prefix))
    {}

    void problem(const QString &key, const QString &reason) const
    {
        m_problems.append({m_code, m_prefix + key, reason});
    }
    // Every key of `object` must be one of `known`.
    void onlyKnown(const QJsonObject &object, const QStringList &known) const
    {
        for (const QString &key : object.keys()) {
            if (!known.contains(key))
                problem(key, QStringLiteral("campo non previsto dal formato"));
        }
    }
    int integer(const QJsonObject &o, const QString &key) const
    {
        const QJsonValue v = o.value(key);
        const double d = v.toDouble();
        if (!v.isDouble() || d != std::floor(d) || std::fabs(d) > 1e9) {
            problem(key, v.isUndefined() ? QStringLiteral("campo mancante")
                                         : QStringLiteral("atteso un numero intero"));
            return 0;
        }
        return int(d);
    }
    std::optional<int> nullableInteger(const QJsonObject &o, const QString &key) const
    {
        if (o.value(key).isNull())
            return std::nullopt;
        return integer(o, key);
    }
    double number(const QJsonObject &o, const QString &key) const
    {
        const QJsonValue v = o.value(key);
        if (!v.isDouble()) {
            problem(key, v.isUndefined() ? QStringLiteral("campo mancante")
                                         : QStringLiteral("atteso un numero"));
            return 0;
        }
        return v.toDouble();
    }
    // A text; null reads as empty when `nullable`.
    QString text(const QJsonObject &o, const QString &key, bool nullable = false) const
    {
        const QJsonValue v = o.value(key);
        if (nullable && v.isNull())
            return {};
        if (!v.isString()) {
            problem(key, v.isUndefined() ? QStringLiteral("campo mancante")
                                         : QStringLiteral("atteso un testo"));
            return {};
        }
        return v.toString();
    }
    QJsonArray array(const QJsonObject &o, const QString &key) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined())
            return {};
        if (!v.isArray())
            problem(key, QStringLiteral("attesa una lista"));
        return v.toArray();
    }
    // The row objects of a list; a row that is not an object is noted and skipped.
    QList<QJsonObject> rows(const QJsonObject &o, const QString &key) const
    {
        QList<QJsonObject> out;
        const QJsonArray list = array(o, key);
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (list[i].isObject())
                out << list[i].toObject();
            else
                problem(QStringLiteral("%1[%2]").arg(key).arg(i + 1),
                        QStringLiteral("attesa una riga (oggetto)"));
        }
        return out;
    }
    Reader row(const QString &list, qsizetype index) const
    {
        return Reader(m_problems, m_code,
                      m_prefix + QStringLiteral("%1[%2].").arg(list).arg(index + 1));
    }

private:
    QList<ReadProblem> &m_problems;
    QString m_code;
    QString m_prefix;
};

void readHeader(const Reader &r, const QJsonObject &o, HeaderFields &h)
{
    h.code = r.text(o, KCode);
    h.description = r.text(o, QStringLiteral("CI03_DESCR"));
    h.model = r.text(o, QStringLiteral("CI03_MODELLO_CI04"));
    h.linked = r.text(o, QStringLiteral("CI03_CODCAUSCOLL"), true);
    h.linkedReference = r.text(o, QStringLiteral("CI03_CAUSCOLLRIF_CI03"), true);
    for (const IntColumn &c : HeaderInts)
        h.*c.member = r.integer(o, QLatin1String(c.key));
}

void readChecks(const Reader &r, const QJsonObject &o, CodeRecord &record)
{
    const QList<QJsonObject> rows = r.rows(o, KChecks);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Reader rr = r.row(KChecks, i);
        rr.onlyKnown(rows[i], QStringList{QStringLiteral("CI11_SEGNO")} + checkFlagColumns());
        const int side = rr.integer(rows[i], QStringLiteral("CI11_SEGNO"));
        if (side != 1 && side != 2)
            rr.problem(QStringLiteral("CI11_SEGNO"), QStringLiteral("atteso 1 (dare) o 2 (avere)"));
        else if (record.checkRows.contains(side))
            rr.problem(QStringLiteral("CI11_SEGNO"), QStringLiteral("lato ripetuto"));
        SideTypes types{};
        for (int t = 0; t < 10; ++t) {
            const int flag = rr.integer(rows[i], checkFlagColumns()[t]);
            if (flag != 0 && flag != 1)
                rr.problem(checkFlagColumns()[t], QStringLiteral("atteso 0 o 1"));
            types[std::size_t(t)] = flag == 1;
        }
        record.checkRows.insert(side, types);
    }
}

void readLists(const Reader &r, const QJsonObject &o, CodeRecord &record)
{
    const QList<QJsonObject> languages = r.rows(o, KDescriptions);
    for (qsizetype i = 0; i < languages.size(); ++i) {
        const Reader rr = r.row(KDescriptions, i);
        rr.onlyKnown(languages[i],
                     {QStringLiteral("CI99_CODLINGUA_MG52"), QStringLiteral("CI99_DESCRIZIONE")});
        const QString language = rr.text(languages[i], QStringLiteral("CI99_CODLINGUA_MG52"));
        if (record.descriptions.contains(language))
            rr.problem(QStringLiteral("CI99_CODLINGUA_MG52"), QStringLiteral("lingua ripetuta"));
        record.descriptions.insert(language,
                                   rr.text(languages[i], QStringLiteral("CI99_DESCRIZIONE")));
    }
    const QList<QJsonObject> journals = r.rows(o, KJournals);
    for (qsizetype i = 0; i < journals.size(); ++i) {
        const Reader rr = r.row(KJournals, i);
        rr.onlyKnown(journals[i],
                     {QStringLiteral("CI05_DITTA_CG18"), QStringLiteral("CI05_SEZIONALE_CG68")});
        record.journals.append({rr.integer(journals[i], QStringLiteral("CI05_DITTA_CG18")),
                                rr.text(journals[i], QStringLiteral("CI05_SEZIONALE_CG68"))});
    }
    const QList<QJsonObject> search = r.rows(o, KSearch);
    for (qsizetype i = 0; i < search.size(); ++i) {
        const Reader rr = r.row(KSearch, i);
        rr.onlyKnown(search[i],
                     {QStringLiteral("CI06_INDSEGNO"), QStringLiteral("CI06_INDTIPORIGA"),
                      QStringLiteral("CI06_PROVIDER_CI07"), QStringLiteral("CI06_PROGRESSIVO")});
        record.searchSequence.append({rr.integer(search[i], QStringLiteral("CI06_INDSEGNO")),
                                      rr.integer(search[i], QStringLiteral("CI06_INDTIPORIGA")),
                                      rr.integer(search[i], QStringLiteral("CI06_PROVIDER_CI07")),
                                      rr.integer(search[i], QStringLiteral("CI06_PROGRESSIVO"))});
    }
    const QList<QJsonObject> proposal = r.rows(o, KProposal);
    for (qsizetype i = 0; i < proposal.size(); ++i) {
        const Reader rr = r.row(KProposal, i);
        const QJsonObject &p = proposal[i];
        rr.onlyKnown(p, {QStringLiteral("CI10_PROG"), QStringLiteral("CI10_INDSEGNO"),
                         QStringLiteral("CI10_PERC"), QStringLiteral("CI10_PDCCONTO_PC01"),
                         QStringLiteral("CI10_CONTO_PC03"), QStringLiteral("CI10_PDCVDS_PC01"),
                         QStringLiteral("CI10_VDS_PC03")});
        record.proposal.append({rr.integer(p, QStringLiteral("CI10_PROG")),
                                rr.integer(p, QStringLiteral("CI10_INDSEGNO")),
                                rr.number(p, QStringLiteral("CI10_PERC")),
                                rr.integer(p, QStringLiteral("CI10_PDCCONTO_PC01")),
                                rr.text(p, QStringLiteral("CI10_CONTO_PC03")),
                                rr.nullableInteger(p, QStringLiteral("CI10_PDCVDS_PC01")),
                                rr.text(p, QStringLiteral("CI10_VDS_PC03"), true)});
    }
}

const QStringList &codeKeys()
{
    static const QStringList keys = [] {
        QStringList k{KCode,
                      QStringLiteral("CI03_DESCR"),
                      QStringLiteral("CI03_MODELLO_CI04"),
                      QStringLiteral("CI03_CODCAUSCOLL"),
                      QStringLiteral("CI03_CAUSCOLLRIF_CI03"),
                      KDescriptions,
                      KChecks,
                      KJournals,
                      KSearch,
                      KProposal};
        for (const IntColumn &c : HeaderInts)
            k << QLatin1String(c.key);
        return k;
    }();
    return keys;
}

} // namespace

const QStringList &checkFlagColumns()
{
    static const QStringList columns(AccountChecksPage::flagColumns().begin(),
                                     AccountChecksPage::flagColumns().end());
    return columns;
}

AccountTypeChecks CodeRecord::checks() const
{
    return {checkRows.value(1), checkRows.value(2)};
}

void CodeRecord::sortRows()
{
    std::stable_sort(journals.begin(), journals.end(),
                     [](const auto &a, const auto &b) { return a.company < b.company; });
    std::stable_sort(
        searchSequence.begin(), searchSequence.end(), [](const SearchRow &a, const SearchRow &b) {
            return std::tie(a.side, a.rowType, a.rank) < std::tie(b.side, b.rowType, b.rank);
        });
    std::stable_sort(proposal.begin(), proposal.end(),
                     [](const auto &a, const auto &b) { return a.prog < b.prog; });
}

QJsonObject toJson(const CodeRecord &record)
{
    const HeaderFields &h = record.header;
    QJsonObject o{{KCode, h.code},
                  {QStringLiteral("CI03_DESCR"), h.description},
                  {QStringLiteral("CI03_MODELLO_CI04"), h.model},
                  {QStringLiteral("CI03_CODCAUSCOLL"), textOrNull(h.linked)},
                  {QStringLiteral("CI03_CAUSCOLLRIF_CI03"), textOrNull(h.linkedReference)}};
    for (const IntColumn &c : HeaderInts)
        o.insert(QLatin1String(c.key), h.*c.member);
    QJsonArray descriptions;
    for (auto it = record.descriptions.begin(); it != record.descriptions.end(); ++it)
        descriptions.append(QJsonObject{{QStringLiteral("CI99_CODLINGUA_MG52"), it.key()},
                                        {QStringLiteral("CI99_DESCRIZIONE"), it.value()}});
    o.insert(KDescriptions, descriptions);
    QJsonArray checks;
    for (auto it = record.checkRows.begin(); it != record.checkRows.end(); ++it) {
        QJsonObject row{{QStringLiteral("CI11_SEGNO"), it.key()}};
        for (int t = 0; t < 10; ++t)
            row.insert(checkFlagColumns()[t], it.value()[std::size_t(t)] ? 1 : 0);
        checks.append(row);
    }
    o.insert(KChecks, checks);
    QJsonArray journals;
    for (const JournalRow &j : record.journals)
        journals.append(QJsonObject{{QStringLiteral("CI05_DITTA_CG18"), j.company},
                                    {QStringLiteral("CI05_SEZIONALE_CG68"), j.journal}});
    o.insert(KJournals, journals);
    QJsonArray search;
    for (const SearchRow &s : record.searchSequence)
        search.append(QJsonObject{{QStringLiteral("CI06_INDSEGNO"), s.side},
                                  {QStringLiteral("CI06_INDTIPORIGA"), s.rowType},
                                  {QStringLiteral("CI06_PROVIDER_CI07"), s.provider},
                                  {QStringLiteral("CI06_PROGRESSIVO"), s.rank}});
    o.insert(KSearch, search);
    QJsonArray proposal;
    for (const ProposalRow &p : record.proposal)
        proposal.append(
            QJsonObject{{QStringLiteral("CI10_PROG"), p.prog},
                        {QStringLiteral("CI10_INDSEGNO"), p.sign},
                        {QStringLiteral("CI10_PERC"), p.percent},
                        {QStringLiteral("CI10_PDCCONTO_PC01"), p.chart},
                        {QStringLiteral("CI10_CONTO_PC03"), p.account},
                        {QStringLiteral("CI10_PDCVDS_PC01"),
                         p.itemChart ? QJsonValue(*p.itemChart) : QJsonValue(QJsonValue::Null)},
                        {QStringLiteral("CI10_VDS_PC03"), textOrNull(p.item)}});
    o.insert(KProposal, proposal);
    return o;
}

QByteArray toDocument(const QList<CodeRecord> &records)
{
    QJsonArray codes;
    for (const CodeRecord &r : records)
        codes.append(toJson(r));
    const QJsonObject root{{QStringLiteral("format"), FormatName},
                           {QStringLiteral("version"), FormatVersion},
                           {QStringLiteral("codes"), codes}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

ReadResult fromDocument(const QByteArray &json)
{
    ReadResult result;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        result.problems.append({{},
                                {},
                                error.error != QJsonParseError::NoError
                                    ? QStringLiteral("JSON non valido alla posizione %1: %2")
                                          .arg(error.offset)
                                          .arg(error.errorString())
                                    : QStringLiteral("il file non contiene un oggetto JSON")});
        return result;
    }
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("format")).toString() != FormatName
        || root.value(QStringLiteral("version")).toInt(-1) != FormatVersion) {
        result.problems.append({{},
                                QStringLiteral("format"),
                                QStringLiteral("atteso \"format\": \"%1\", \"version\": %2")
                                    .arg(FormatName)
                                    .arg(FormatVersion)});
        return result;
    }
    if (!root.value(QStringLiteral("codes")).isArray()) {
        result.problems.append(
            {{}, QStringLiteral("codes"), QStringLiteral("attesa la lista delle causali")});
        return result;
    }
    const QJsonArray codes = root.value(QStringLiteral("codes")).toArray();
    QSet<QString> seen;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const QJsonObject o = codes[i].toObject();
        const QString code = o.value(KCode).toString(QStringLiteral("#%1").arg(i + 1));
        const Reader reader(result.problems, code, QString());
        if (!codes[i].isObject()) {
            reader.problem(QStringLiteral("codes[%1]").arg(i + 1),
                           QStringLiteral("attesa una causale (oggetto)"));
            continue;
        }
        if (seen.contains(code))
            reader.problem(KCode, QStringLiteral("causale ripetuta nel file"));
        seen.insert(code);
        reader.onlyKnown(o, codeKeys());
        CodeRecord record;
        readHeader(reader, o, record.header);
        readChecks(reader, o, record);
        readLists(reader, o, record);
        record.sortRows();
        result.records.append(record);
    }
    return result;
}

} // namespace causali::exchange
