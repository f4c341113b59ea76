#include "ado/error.h"
#include "ado/vb.h"

#include "ado/scratch_db.h"

#include <QDateTime>
#include <QLoggingCategory>

#include <stdexcept>
#include <vector>

using namespace ado;
using adotest::errorOf;
using adotest::mentions;

namespace {

QVariant text(const char *s)
{
    return QVariant(QString::fromUtf8(s));
}

} // namespace

TEST(VbConversions, IntegerRangesAndBankersRounding)
{
    const adotest::ConversionLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(CInt(32767), 32767);
    EXPECT_EQ(CInt(-32768), -32768);
    EXPECT_EQ(errorOf([] { CInt(32768); }).number(), Overflow);
    EXPECT_EQ(errorOf([] { CInt(-32769); }).number(), Overflow);
    // Half to even: -32768.5 rounds to the even -32768, 32767.5 to 32768 which overflows.
    EXPECT_EQ(CInt(-32768.5), -32768);
    EXPECT_EQ(errorOf([] { CInt(32767.5); }).number(), Overflow);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(text(" 2.5 ")), 2);
    EXPECT_EQ(CInt(text("1e3")), 1000);
    EXPECT_EQ(CInt(true), -1);
    EXPECT_EQ(CInt(Empty()), 0);

    EXPECT_EQ(CLng(qlonglong(2147483647)), 2147483647);
    EXPECT_EQ(errorOf([] { CLng(qlonglong(2147483648LL)); }).number(), Overflow);
    EXPECT_EQ(CLng(-2147483648.5), -2147483647 - 1);
    EXPECT_EQ(errorOf([] { CLng(text("2147483647.5")); }).number(), Overflow);
    EXPECT_EQ(errorOf([] { CLng(QVariant(qulonglong(1) << 40)); }).number(), Overflow);

    const RuntimeError e = errorOf([] { CInt(40000); });
    EXPECT_TRUE(mentions(e, QLatin1String("40000")));
}

TEST(VbConversions, TypeMismatchAndNull)
{
    const adotest::ConversionLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const auto &convert : std::vector<std::function<void(const QVariant &)>>{
             [](const QVariant &v) { CInt(v); }, [](const QVariant &v) { CLng(v); },
             [](const QVariant &v) { CDbl(v); }, [](const QVariant &v) { CBool(v); }}) {
        const RuntimeError mismatch = errorOf([&] { convert(text("abc")); });
        EXPECT_EQ(mismatch.number(), TypeMismatch);
        EXPECT_TRUE(mentions(mismatch, QLatin1String("abc")));
        EXPECT_EQ(errorOf([&] { convert(text("")); }).number(), TypeMismatch);
        EXPECT_EQ(errorOf([&] { convert(text("1,5")); }).number(), TypeMismatch);
        EXPECT_EQ(errorOf([&] { convert(text("1,23")); }).number(), TypeMismatch);
        EXPECT_EQ(errorOf([&] { convert(Null()); }).number(), InvalidUseOfNull);
    }
    EXPECT_EQ(errorOf([] { CStr(Null()); }).number(), InvalidUseOfNull);
    EXPECT_EQ(CStr(Empty()), QString());
    EXPECT_EQ(errorOf([] { CDbl(text("1e400")); }).number(), Overflow);
    EXPECT_EQ(CDbl(text("-1.25e2")), -125.0);
    EXPECT_EQ(CDbl(text("1e-400")), 0.0);

    EXPECT_TRUE(CBool(text("true")));
    EXPECT_FALSE(CBool(text("False")));
    EXPECT_FALSE(CBool(text("0.0")));
    EXPECT_TRUE(CBool(2));
    EXPECT_FALSE(CBool(Empty()));
}

TEST(VbConversions, TextOfValues)
{
    const adotest::ConversionLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(CStr(0.1), QStringLiteral("0.1"));
    EXPECT_EQ(CStr(123456789012345.0), QStringLiteral("123456789012345"));
    EXPECT_EQ(CStr(1e15), QStringLiteral("1E+15"));
    EXPECT_EQ(CStr(1e-5), QStringLiteral("1E-05"));
    EXPECT_EQ(CStr(true), QStringLiteral("True"));
    EXPECT_EQ(CStr(42), QStringLiteral("42"));

    EXPECT_EQ(NormalizzaStringa(), QString());
    EXPECT_EQ(NormalizzaStringa(Null()), QString());
    EXPECT_EQ(NormalizzaStringa(Empty()), QString());
    EXPECT_EQ(NormalizzaStringa(text(" AB  ")), QStringLiteral(" AB"));
    EXPECT_EQ(NormalizzaStringa(text("A\t")), QStringLiteral("A\t"));
    EXPECT_EQ(NormalizzaStringa(1.5), QStringLiteral("1.5"));

    EXPECT_EQ(NormalizzaNumero(Null()), QStringLiteral("0"));
    EXPECT_EQ(NormalizzaNumero(text("   ")), QStringLiteral("0"));
    EXPECT_EQ(NormalizzaNumero(text("1.50")), QStringLiteral("1.5"));
    EXPECT_EQ(NormalizzaNumero(text("007")), QStringLiteral("7"));
    EXPECT_EQ(NormalizzaNumero(text("-0.00")), QStringLiteral("0"));
    EXPECT_EQ(NormalizzaNumero(text(" -12.340 ")), QStringLiteral("-12.34"));
    EXPECT_EQ(NormalizzaNumero(text(".5")), QStringLiteral("0.5"));
    EXPECT_EQ(NormalizzaNumero(1e-5), QStringLiteral("0.00001"));
    EXPECT_EQ(NormalizzaNumero(text("1E+20")), QStringLiteral("100000000000000000000"));
    EXPECT_EQ(NormalizzaNumero(3), QStringLiteral("3"));
    EXPECT_EQ(NormalizzaNumero(true), QStringLiteral("-1"));
    // A Decimal keeps 28 decimals, rounding half to even beyond them.
    EXPECT_EQ(NormalizzaNumero(text("0.12345678901234567890123456785")),
              QStringLiteral("0.1234567890123456789012345678"));
    EXPECT_EQ(NormalizzaNumero(text("0.99999999999999999999999999999")), QStringLiteral("1"));
    EXPECT_EQ(errorOf([] { NormalizzaNumero(text("79228162514264337593543950336")); }).number(),
              Overflow);
    EXPECT_EQ(errorOf([] { NormalizzaNumero(text("12a")); }).number(), TypeMismatch);

    EXPECT_EQ(ValueOrDefault(Null(), -1), QVariant(-1));
    EXPECT_EQ(ValueOrDefault(Empty(), -1), QVariant(-1));
    EXPECT_EQ(ValueOrDefault(0, -1), QVariant(0));
    EXPECT_TRUE(isMissing(Null()) && isMissing(Empty()) && !isMissing(text("")));
}

TEST(VbConversions, TextIsReadByTheSessionLocale)
{
    // Italian until the program says otherwise.
    EXPECT_EQ(conversionLocale().language(), QLocale::Italian);
    EXPECT_EQ(CDbl(text("1,5")), 1.5);
    EXPECT_EQ(CDbl(text("-1.234.567,25")), -1234567.25);
    EXPECT_EQ(CDbl(text("1.000")), 1000.0);
    EXPECT_EQ(CInt(text("2,5")), 2);
    EXPECT_EQ(CLng(text("3,5")), 4);
    EXPECT_FALSE(CBool(text("0,0")));
    // Group separators only between groups of three; what is no Italian number is read in
    // the locale-independent form the helpers write, so their texts read back.
    for (const char *bad : {"1,5,0", "12.34,5", ",5.000", "1..000", "1.000.0", "1,5e"})
        EXPECT_EQ(errorOf([&] { CDbl(text(bad)); }).number(), TypeMismatch) << bad;
    EXPECT_EQ(CDbl(text("0.5")), 0.5);
    EXPECT_EQ(CDbl(text("1.0000")), 1.0);
    EXPECT_EQ(CDbl(NormalizzaNumero(text("-12,5"))), -12.5);
    EXPECT_EQ(CDbl(text("1.234")), 1234.0) << "valid both ways: read by the locale";
    // NormalizzaNumero reads the locale's text and writes the SQL's.
    EXPECT_EQ(NormalizzaNumero(text(" -12,340 ")), QStringLiteral("-12.34"));
    EXPECT_EQ(NormalizzaNumero(text("1.234,5")), QStringLiteral("1234.5"));
    EXPECT_EQ(NormalizzaNumero(2.5), QStringLiteral("2.5")) << "a number is no text to read";
    EXPECT_EQ(CStr(2.5), QStringLiteral("2.5"));

    // dates: day before month in Italian, ISO always; two-digit years pivot at 30
    EXPECT_EQ(CDate(text("5/12/2026")), QDateTime(QDate(2026, 12, 5), QTime(0, 0)));
    EXPECT_EQ(CDate(text(" 05-12-29 14:30 ")), QDateTime(QDate(2029, 12, 5), QTime(14, 30)));
    EXPECT_EQ(CDate(text("5.12.30")).date(), QDate(1930, 12, 5));
    EXPECT_EQ(CDate(text("2026-12-05 08:15:30")), QDateTime(QDate(2026, 12, 5), QTime(8, 15, 30)));
    EXPECT_EQ(CDate(1.5), QDateTime(QDate(1899, 12, 31), QTime(12, 0)));
    EXPECT_EQ(CDate(Empty()), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    for (const char *bad : {"31/02/2026", "5/13/2026", "12:30", "5/12", "oggi", "5/12/2026 25:00"})
        EXPECT_EQ(errorOf([&] { CDate(text(bad)); }).number(), TypeMismatch) << bad;
    EXPECT_EQ(errorOf([] { CDate(Null()); }).number(), InvalidUseOfNull);
    EXPECT_EQ(errorOf([] { CDate(1e10); }).number(), Overflow);

    const adotest::ConversionLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(CDate(text("5/12/2026")).date(), QDate(2026, 5, 12));
    EXPECT_EQ(CDbl(text("1,234.5")), 1234.5);
    EXPECT_EQ(errorOf([] { CDbl(text("1,5")); }).number(), TypeMismatch);
    EXPECT_EQ(errorOf([] { CDbl(text("1.234,5")); }).number(), TypeMismatch);
}

TEST(RuntimeErrors, PassUpChainsTheSource)
{
    EXPECT_EQ(chainSource(QStringLiteral("ShowChild"), QStringLiteral("prev")),
              QStringLiteral("ShowChild:\r\nprev"));
    EXPECT_EQ(chainSource(QStringLiteral("ShowChild:"), QString()),
              QStringLiteral("ShowChild:\r\n"));

    const RuntimeError e = errorOf([] {
        passUp(QStringLiteral("Outer"), [] {
            passUp(QStringLiteral("Inner"), [] { raise(3021, QStringLiteral("no row"), "ado"); });
        });
    });
    EXPECT_EQ(e.number(), 3021);
    EXPECT_EQ(e.description(), QStringLiteral("no row"));
    EXPECT_EQ(e.source(), QStringLiteral("Outer:\r\nInner:\r\nado"));
    EXPECT_NE(std::string(e.what()).find("no row"), std::string::npos);

    const RuntimeError other = errorOf([] {
        passUp(QStringLiteral("Load"), []() -> int { throw std::runtime_error("bad alloc-ish"); });
    });
    EXPECT_EQ(other.number(), 5);
    EXPECT_EQ(other.source(), QStringLiteral("Load:\r\n"));
    EXPECT_EQ(passUp(QStringLiteral("Sum"), [] { return 2 + 2; }), 4);
}

TEST(RuntimeErrors, RunStepsFollowsTheAnswer)
{
    struct Run
    {
        std::vector<int> calls = {0, 0, 0};
        std::vector<long> reported;
        bool finished = false;
    };
    // Step 2 fails the first time it runs only.
    auto run = [](int answer) {
        Run r;
        r.finished = runSteps(
            [&](const RuntimeError &e) {
                r.reported.push_back(e.number());
                return answer;
            },
            {[&] { ++r.calls[0]; },
             [&] {
                 if (++r.calls[1] == 1)
                     raise(11, QStringLiteral("Division by zero"));
             },
             [&] { ++r.calls[2]; }});
        return r;
    };

    const Run retry = run(AnswerRetry);
    EXPECT_EQ(retry.calls, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(retry.reported, std::vector<long>{11});
    EXPECT_TRUE(retry.finished);

    const Run ignore = run(AnswerIgnore);
    EXPECT_EQ(ignore.calls, (std::vector<int>{1, 1, 1}));
    EXPECT_TRUE(ignore.finished);

    const Run abort = run(AnswerAbort);
    EXPECT_EQ(abort.calls, (std::vector<int>{1, 1, 0}));
    EXPECT_FALSE(abort.finished);

    const Run unknown = run(0);
    EXPECT_EQ(unknown.calls, (std::vector<int>{1, 1, 0}));
    EXPECT_FALSE(unknown.finished);

    long reported = 0;
    runSteps(
        [&](const RuntimeError &e) {
            reported = e.number();
            return AnswerIgnore;
        },
        {[] { throw std::logic_error("not a run-time error"); }});
    EXPECT_EQ(reported, 5);
}

// Every statement runs; each swallowed error leaves one line in the debug log when it is on.
TEST(RuntimeErrors, IgnoreErrorsRunsEveryStatementAndLogsWhatItSwallows)
{
    static QStringList logged;
    logged.clear();
    QLoggingCategory::setFilterRules(QStringLiteral("causali.ignored.debug=true"));
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &context, const QString &text) {
            if (QByteArray(context.category) == "causali.ignored")
                logged << text;
        });
    std::vector<int> ran;
    ignoreErrors({[&] {
                      ran.push_back(1);
                      raise(5, QStringLiteral("x"), QStringLiteral("R"));
                  },
                  [&] {
                      ran.push_back(2);
                      throw std::runtime_error("y");
                  },
                  [&] { ran.push_back(3); }});
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(logged.size(), 2);
    EXPECT_TRUE(logged[0].contains(QLatin1String("5 x source: R")));
    EXPECT_TRUE(logged[1].contains(QLatin1String("y")));
}
