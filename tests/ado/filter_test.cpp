#include "ado/filter.h"

#include "ado/constants.h"
#include "ado/vb.h"

#include "ado/scratch_db.h"

#include <QDate>

#include <map>

using namespace ado;
using adotest::errorOf;

namespace {

// A row of a few typed columns, as the recordset hands them to the criteria.
class Columns
{
public:
    void set(const QString &name, const QVariant &value) { m_values[index(name)] = value; }

    int index(const QString &name) const
    {
        for (int i = 0; i < m_names.size(); ++i) {
            if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    bool matches(const QString &criteria) const
    {
        const auto f = FilterCriteria::parse(criteria,
                                             [this](const QString &n) { return index(n); });
        return f.matches([this](int i) { return m_values[i]; });
    }

    RuntimeError parseError(const QString &criteria) const
    {
        return errorOf([&] {
            FilterCriteria::parse(criteria, [this](const QString &n) { return index(n); });
        });
    }

private:
    QStringList m_names{"CI06_INDTIPORIGA", "CODE", "Ragione Sociale", "AMOUNT", "DAY", "NOTE",
                        "NUMTEXT"};
    // CODE is a CHAR column: padded.
    QVariantList m_values{qlonglong(4), "ITA  ", "L'Ottica Srl", 2.5, "2024-03-15", Null(), "10"};
};

} // namespace

TEST(FilterCriteria, ComparesNumbersTextDatesAndNull)
{
    Columns row;
    // numbers compare numerically, also against text holding a number
    EXPECT_TRUE(row.matches(QStringLiteral("CI06_INDTIPORIGA = 4")));
    EXPECT_FALSE(row.matches(QStringLiteral("CI06_INDTIPORIGA = -1")));
    EXPECT_TRUE(row.matches(QStringLiteral("CI06_INDTIPORIGA = 4.0")));
    EXPECT_TRUE(row.matches(QStringLiteral("CI06_INDTIPORIGA = '4'")));
    EXPECT_TRUE(row.matches(QStringLiteral("CI06_INDTIPORIGA >= 4 AND CI06_INDTIPORIGA < 5")));
    EXPECT_TRUE(row.matches(QStringLiteral("NUMTEXT > 9"))) << "10 > 9 as numbers, not as text";
    EXPECT_TRUE(row.matches(QStringLiteral("AMOUNT <= 2.5")));
    EXPECT_FALSE(row.matches(QStringLiteral("AMOUNT > 2.5")));
    row.set(QStringLiteral("CI06_INDTIPORIGA"), QVariant(qlonglong(-1)));
    EXPECT_TRUE(row.matches(QStringLiteral("CI06_INDTIPORIGA = -1")));
    // a currency amount is its number
    EXPECT_TRUE(row.matches(QStringLiteral("AMOUNT > $2.00")));
    EXPECT_FALSE(row.matches(QStringLiteral("AMOUNT > $2.50")));
    EXPECT_TRUE(row.matches(QStringLiteral("CI06_INDTIPORIGA = -$1")));
    EXPECT_EQ(row.parseError(QStringLiteral("AMOUNT > $")).number(), adErrInvalidArgument);
    EXPECT_EQ(row.parseError(QStringLiteral("AMOUNT > 2$")).number(), adErrInvalidArgument);

    // text: trailing blanks and case do not count; quotes doubled inside
    EXPECT_TRUE(row.matches(QStringLiteral("CODE = 'ITA'")));
    EXPECT_TRUE(row.matches(QStringLiteral("code = 'ita  '")));
    EXPECT_FALSE(row.matches(QStringLiteral("CODE = ' ITA'")));
    EXPECT_TRUE(row.matches(QStringLiteral("[Ragione Sociale] = 'L''Ottica Srl'")));
    EXPECT_TRUE(row.matches(QStringLiteral("CODE < 'ITB' AND CODE <> 'IT'")));
    EXPECT_FALSE(row.matches(QStringLiteral("CODE = 4"))) << "text that is no number";

    // dates in #...#, ISO or US order, against ISO text from the database
    EXPECT_TRUE(row.matches(QStringLiteral("DAY = #2024-03-15#")));
    EXPECT_TRUE(row.matches(QStringLiteral("DAY > #3/14/2024#")));
    EXPECT_FALSE(row.matches(QStringLiteral("DAY > #2024-03-15 00:00:01#")));
    row.set(QStringLiteral("DAY"), QDate(2024, 3, 15));
    EXPECT_TRUE(row.matches(QStringLiteral("DAY >= #2024-03-15#")));

    // Null matches only "= NULL"; any other comparison with it is false
    EXPECT_TRUE(row.matches(QStringLiteral("NOTE = NULL")));
    EXPECT_FALSE(row.matches(QStringLiteral("NOTE <> NULL")));
    EXPECT_FALSE(row.matches(QStringLiteral("NOTE = ''")));
    EXPECT_FALSE(row.matches(QStringLiteral("NOTE <> 'x'")));
    EXPECT_TRUE(row.matches(QStringLiteral("CODE <> NULL")));
    row.set(QStringLiteral("NOTE"), QVariant()); // Empty: a new row's unset column
    EXPECT_TRUE(row.matches(QStringLiteral("NOTE = NULL")));
}

TEST(FilterCriteria, LikeAndOrWithoutPrecedence)
{
    Columns row;
    EXPECT_TRUE(row.matches(QStringLiteral("[Ragione Sociale] LIKE 'l''ott*'")));
    EXPECT_TRUE(row.matches(QStringLiteral("[Ragione Sociale] LIKE '%ottica%'")));
    EXPECT_TRUE(row.matches(QStringLiteral("[Ragione Sociale] LIKE '*Srl*'")));
    EXPECT_FALSE(row.matches(QStringLiteral("[Ragione Sociale] LIKE 'Ottica*'")));
    EXPECT_TRUE(row.matches(QStringLiteral("CODE LIKE 'ITA'")));
    EXPECT_TRUE(row.matches(QStringLiteral("CI06_INDTIPORIGA LIKE '4*'")));

    EXPECT_TRUE(row.matches(QStringLiteral("CODE = 'X' OR CI06_INDTIPORIGA = 4")));
    EXPECT_FALSE(row.matches(QStringLiteral("CODE = 'X' AND CI06_INDTIPORIGA = 4")));
    EXPECT_TRUE(row.matches(QStringLiteral("CODE = 'ITA' AND AMOUNT = 2.5 OR CODE = 'X'")));
    EXPECT_TRUE(row.matches(
        QStringLiteral("(CODE = 'X' AND AMOUNT = 1) OR (CODE = 'ITA' AND AMOUNT = 2.5)")));
    EXPECT_FALSE(row.matches(
        QStringLiteral("(CODE = 'X' AND AMOUNT = 2.5) OR (CODE = 'ITA' AND AMOUNT = 1)")));
    EXPECT_TRUE(row.matches(QStringLiteral("  ")));
    // nesting and length within the bounds work; one clause more is refused
    EXPECT_TRUE(row.matches(QString(64, QLatin1Char('(')) + QStringLiteral("CODE = 'ITA'")
                            + QString(64, QLatin1Char(')'))));
    QStringList clauses(1000, QStringLiteral("CODE = 'X'"));
    clauses << QStringLiteral("CODE = 'ITA'");
    EXPECT_TRUE(row.matches(clauses.join(QStringLiteral(" OR "))));
    clauses << QStringLiteral("CODE = 'Y'");
    EXPECT_TRUE(row.parseError(clauses.join(QStringLiteral(" OR ")))
                    .description()
                    .contains(QStringLiteral("more than 1000 clauses")));

    // a group joined by OR cannot be joined with AND, with or without parentheses
    for (const char *text : {"(CODE = 'X' OR CODE = 'ITA') AND AMOUNT = 2.5",
                             "AMOUNT = 2.5 AND (CODE = 'X' OR CODE = 'ITA')",
                             "CODE = 'X' OR CODE = 'ITA' AND AMOUNT = 2.5"}) {
        const RuntimeError e = row.parseError(QString::fromUtf8(text));
        EXPECT_EQ(e.number(), adErrInvalidArgument) << text;
        EXPECT_TRUE(e.description().contains(QStringLiteral("OR")))
            << e.description().toStdString();
    }
}

TEST(FilterCriteria, MalformedCriteriaSayWhatIsWrong)
{
    Columns row;
    const RuntimeError unknown = row.parseError(
        QStringLiteral("CI06_INDTIPORIGA = 4 AND TIPO = 1"));
    EXPECT_EQ(unknown.number(), adErrItemNotFound);
    EXPECT_TRUE(unknown.description().contains(QStringLiteral("'TIPO'")))
        << unknown.description().toStdString();

    const std::map<QString, QString> cases = {
        {QStringLiteral("CODE = 'ITA"), QStringLiteral("not closed")},
        {QStringLiteral("CODE ="), QStringLiteral("value")},
        {QStringLiteral("CODE 'ITA'"), QStringLiteral("comparison operator")},
        {QStringLiteral("CODE == 'ITA'"), QStringLiteral("value")},
        {QStringLiteral("CODE = 'ITA' AND"), QStringLiteral("clause is missing")},
        {QStringLiteral("CODE = 'ITA' CODE = 'X'"), QStringLiteral("AND or OR expected")},
        {QStringLiteral("(CODE = 'ITA'"), QStringLiteral("')' expected")},
        {QStringLiteral("CODE = 'ITA')"), QStringLiteral("without a matching '('")},
        {QStringLiteral("CODE LIKE 'I*A'"), QStringLiteral("wildcard")},
        {QStringLiteral("CODE LIKE '*TA'"), QStringLiteral("wildcard")},
        {QStringLiteral("CODE LIKE 4"), QStringLiteral("'text' pattern")},
        {QStringLiteral("NOT CODE = 'ITA'"), QStringLiteral("NOT is not allowed")},
        {QStringLiteral("CODE IS NULL"), QStringLiteral("IS is not allowed")},
        {QStringLiteral("CODE > NULL"), QStringLiteral("NULL can only")},
        {QStringLiteral("DAY = #2024-13-45#"), QStringLiteral("is not a date")},
        {QStringLiteral("DAY = #2024-01-01"), QStringLiteral("not closed")},
        {QStringLiteral("AMOUNT = 2.5.1"), QStringLiteral("not a number")},
        {QStringLiteral("[Ragione Sociale = 'x'"), QStringLiteral("not closed")},
        {QStringLiteral("'ITA' = CODE"), QStringLiteral("column name expected")},
        {QStringLiteral("CODE = 'ITA' ; DROP"), QStringLiteral("unexpected character")},
        // found by the fuzzer: deep nesting overflowed the stack
        {QString(5000, QLatin1Char('(')), QStringLiteral("nested more than 64 deep")},
        {QString(65, QLatin1Char('(')) + QStringLiteral("CODE = 'ITA'")
             + QString(65, QLatin1Char(')')),
         QStringLiteral("nested more than 64 deep")},
    };
    for (const auto &[criteria, expected] : cases) {
        const RuntimeError e = row.parseError(criteria);
        EXPECT_EQ(e.number(), adErrInvalidArgument) << criteria.toStdString();
        EXPECT_TRUE(e.description().contains(expected))
            << criteria.toStdString() << " -> " << e.description().toStdString();
        EXPECT_TRUE(e.description().contains(criteria)) << e.description().toStdString();
    }
}

TEST(SortOrder, ParsesKeysAndOrdersValues)
{
    Columns row;
    const auto lookup = [&row](const QString &n) { return row.index(n); };
    const auto keys = parseSort(QStringLiteral("CODE DESC, [Ragione Sociale],amount asc"), lookup);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].column, row.index(QStringLiteral("CODE")));
    EXPECT_TRUE(keys[0].descending);
    EXPECT_EQ(keys[1].column, row.index(QStringLiteral("Ragione Sociale")));
    EXPECT_FALSE(keys[1].descending);
    EXPECT_FALSE(keys[2].descending);
    EXPECT_TRUE(parseSort(QStringLiteral(" "), lookup).empty());

    EXPECT_EQ(errorOf([&] { parseSort(QStringLiteral("PROG DESC"), lookup); }).number(),
              adErrItemNotFound);
    EXPECT_EQ(errorOf([&] { parseSort(QStringLiteral("CODE,,AMOUNT"), lookup); }).number(),
              adErrInvalidArgument);
    EXPECT_EQ(errorOf([&] { parseSort(QStringLiteral("CODE DOWN"), lookup); }).number(),
              adErrInvalidArgument);

    // Null first, numbers numerically, text without case or trailing blanks
    EXPECT_LT(compareForSort(Null(), QVariant(qlonglong(-5))), 0);
    EXPECT_LT(compareForSort(QVariant(qlonglong(9)), QVariant(qlonglong(10))), 0);
    EXPECT_LT(compareForSort(QVariant(2.5), QVariant(qlonglong(3))), 0);
    EXPECT_EQ(compareForSort(QStringLiteral("abc  "), QStringLiteral("ABC")), 0);
    EXPECT_GT(compareForSort(QStringLiteral("b"), QStringLiteral("A")), 0);

    EXPECT_TRUE(sameValue(QVariant(qlonglong(4)), QVariant(4)));
    EXPECT_TRUE(sameValue(QVariant(), Null()));
    EXPECT_FALSE(sameValue(QStringLiteral("ITA "), QStringLiteral("ITA")));
    EXPECT_FALSE(sameValue(Null(), QStringLiteral("")));
}
