// The editor window's start-up on databases of 1,000, 10,000 and 50,000 generated reason codes
// with 20 rows per satellite: the host creates CLSCI_CAUSALI, fills its properties and calls
// ShowForm, whose first activation runs the start-up. The time measured is that of steps 2 to 16
// (error manager, connection, cost utility and precondition, charts, lookup objects, account
// boxes, combo lists, account-type lists, grid columns, ConfigurazioneFrame with the
// working-table fills), from the moment the window reports the first of them to the moment it
// reports the initial status of step 17, in CPU time of the user-interface thread. Each step's
// share is a counter; the whole ShowForm is one too. The generated databases are made once per
// run, in a scratch directory, and shared by every benchmark of the run.
//
// Beside it, the part of ConfigurazioneFrame that is plain SQL: the four working-table fills
// run straight through SQLite, as working_tables_bench does, for the ratio.
//
// Peak memory of the start-up: for each size a fresh process (this program started again with
// --startup-memory-child=FILE) opens the window once and reports its peak resident size (VmHWM)
// before ShowForm and after it, so the sizes do not inherit each other's peak.
//
// Showing another code at 50,000 codes: "Successivo" on the main navigator, the header row and
// the satellite frames of the next code (its working copy included) shown, timed per press.
//
// Runs offscreen (QT_QPA_PLATFORM=offscreen unless the environment says otherwise). A dialog
// shown during the start-up (an error, a refused precondition) makes the benchmark fail.

#include "bench_support.h"

#include "ado/tsql_rewriter.h"
#include "data/working_tables.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/dialogs.h"
#include "host/host_global.h"
#include "host/main_navigator.h"
#include "host/module_window.h"
#include "host/navigator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int kRowsPerSatellite = 20;
constexpr int kCompany = 1; // demo company with cost accounting, chart 1, expense-item chart 2

// Start-up steps 2 to 16 as the window names them to its routine observer, and the step that
// follows them.
const QStringList kSteps{QStringLiteral("createErrorManager"),
                         QStringLiteral("readConnectionString"),
                         QStringLiteral("openConnection"),
                         QStringLiteral("handConnectionToHost"),
                         QStringLiteral("createCostUtility"),
                         QStringLiteral("checkPrecondition"),
                         QStringLiteral("readCharts"),
                         QStringLiteral("showCharts"),
                         QStringLiteral("createLookupObjects"),
                         QStringLiteral("ImpostazioneProprietaContoKOVA"),
                         QStringLiteral("prepareExpenseItemBox"),
                         QStringLiteral("CaricaCombo"),
                         QStringLiteral("FillAccountTypeLists"),
                         QStringLiteral("ConfigurazioneGriglie"),
                         QStringLiteral("ConfigurazioneFrame")};
const QString kAfterSteps = QStringLiteral("setInitialStatus");
// Within step 17: ShowChild opens the satellite frames on the first code's working-table rows;
// BuildScript (step 18) follows it.
const QString kShowChild = QStringLiteral("ShowChild");
const QString kBuildScript = QStringLiteral("BuildScript");
const QStringList kLaterMarks{kAfterSteps, kShowChild, kBuildScript};

// Answers every dialog with cancel (abort for the error dialog) and remembers the first one:
// an unattended start-up must show none.
class NoDialogs : public host::DialogService
{
public:
    int message(const QString &text, int, const QString &) override
    {
        note(QStringLiteral("message: ") + text);
        return host::vbCancel;
    }
    int errorDialog(const QString &, long number, const QString &description, const QString &source,
                    int) override
    {
        note(QStringLiteral("error %1: %2 (%3)").arg(number).arg(description, source));
        return host::vbAbort;
    }
    int choose(const QString &text, const QString &, const QStringList &, int cancel) override
    {
        note(QStringLiteral("question: ") + text);
        return cancel;
    }
    QVariant lookup(const host::LookupRequest &request) override
    {
        note(QStringLiteral("lookup: ") + request.title);
        return {};
    }
    void editLanguageDescriptions(ado::Connection &, int, const QVariant &) override
    {
        note(QStringLiteral("language dialog"));
    }
    std::optional<QString> inputText(const QString &prompt, const QString &, const QString &,
                                     int) override
    {
        note(QStringLiteral("prompt: ") + prompt);
        return std::nullopt;
    }

    QString first;

private:
    void note(const QString &what)
    {
        if (first.isEmpty())
            first = what;
    }
};

// When each start-up step began during one ShowForm, in nanoseconds of this thread's CPU time
// (the whole start-up runs on the user-interface thread and reads only; CPU time keeps the
// figures apart from other work on the machine).
struct StepClock
{
    static qint64 now()
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
    void start() { origin = now(); }
    qint64 nsecsElapsed() const { return now() - origin; }

    qint64 origin = 0;
    QHash<QString, qint64> began;

    void observe(const QString &routine)
    {
        if ((kSteps.contains(routine) || kLaterMarks.contains(routine)) && !began.contains(routine))
            began.insert(routine, nsecsElapsed());
    }
    bool complete() const
    {
        for (const QString &step : kSteps) {
            if (!began.contains(step))
                return false;
        }
        return began.contains(kAfterSteps);
    }
    double seconds(const QString &from, const QString &to) const
    {
        return double(began.value(to) - began.value(from)) / 1e9;
    }
};

// The host side: global services on the database, the navigator, the editor's factory wrapped
// so that the window reports its routines to `clock`.
class Host
{
public:
    Host(const QString &path, StepClock &clock)
    {
        global.setConnectionString(QStringLiteral("Data Source=") + path);
        global.setLanguageCode(QStringLiteral("ITA"));
        global.selectCompany(kCompany);
        causali::FRMCI_CAUSALI::registerWindowFactory();
        editorFactory = host::CLSCI_CAUSALI::setWindowFactory({});
        host::CLSCI_CAUSALI::setWindowFactory([this, &clock] {
            std::unique_ptr<host::ModuleWindow> window = editorFactory();
            if (auto *editor = dynamic_cast<causali::FRMCI_CAUSALI *>(window.get()))
                editor->setRoutineObserver([&clock](const QString &r) { clock.observe(r); });
            return window;
        });
    }
    ~Host() { host::CLSCI_CAUSALI::setWindowFactory(editorFactory); }

    // A new entry class filled as a host fills it, its window shown (start-up included).
    std::unique_ptr<host::CLSCI_CAUSALI> open()
    {
        auto entry = std::make_unique<host::CLSCI_CAUSALI>();
        entry->setClsGlobal(&global);
        entry->setActiveNavigator(&navigator);
        entry->setIsActive(true);
        entry->setCanInsert(true);
        entry->setCanDelete(true);
        entry->setCanUpdate(true);
        entry->setCaption(causali::FRMCI_CAUSALI::DesignCaption);
        global.setCurrentModule(entry.get());
        navigator.setCurrentModule(entry.get());
        entry->ShowForm();
        return entry;
    }

    host::HostGlobal global;
    host::Navigator navigator;

private:
    host::CLSCI_CAUSALI::WindowFactory editorFactory;
};

causali::FRMCI_CAUSALI *editorOf(const host::CLSCI_CAUSALI &entry)
{
    return dynamic_cast<causali::FRMCI_CAUSALI *>(entry.window());
}

bool started(const host::CLSCI_CAUSALI &entry)
{
    const causali::FRMCI_CAUSALI *editor = editorOf(entry);
    return editor && editor->isActivated();
}

// Installs NoDialogs for the scope and gives it back to the previous service at the end.
class NoDialogsScope
{
public:
    NoDialogsScope()
        : dialogs(new NoDialogs)
        , m_previous(host::DialogService::install(std::unique_ptr<NoDialogs>(dialogs)))
    {}
    ~NoDialogsScope() { host::DialogService::install(std::move(m_previous)); }
    NoDialogsScope(const NoDialogsScope &) = delete;
    NoDialogsScope &operator=(const NoDialogsScope &) = delete;

    NoDialogs *dialogs; // owned by the dialog service slot while installed

private:
    std::unique_ptr<host::DialogService> m_previous;
};

// Peak resident size of this process so far, in KiB (VmHWM of /proc/self/status); -1 when
// the system does not tell.
long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Groups of steps reported as counters: [first, next) in kSteps (next == size: up to step 17).
struct StepGroup
{
    const char *counter;
    qsizetype first;
    qsizetype next;
};
const StepGroup kGroups[] = {
    {"s02_05_connection_ms", 0, 4}, // error manager, connection string, open, hand to host
    {"s06_10_services_ms", 4, 9},   // cost utility, precondition, charts, lookup objects
    {"s11_15_controls_ms", 9, 14},  // account boxes, combos, account-type lists, grids
    {"s16_ConfigurazioneFrame_ms", 14, 15},
};

void BM_Startup_Steps2to16(benchmark::State &state)
{
    const QString path = bench::reasonCodeDatabase(int(state.range(0)), kRowsPerSatellite);
    NoDialogsScope scope;
    NoDialogs *dialogs = scope.dialogs;
    StepClock clock;
    QHash<QString, double> sums;
    {
        Host host(path, clock);
        for (auto _ : state) {
            clock.began.clear();
            clock.start();
            std::unique_ptr<host::CLSCI_CAUSALI> entry = host.open();
            const qint64 shown = clock.nsecsElapsed();
            if (!dialogs->first.isEmpty() || !started(*entry) || !clock.complete()) {
                state.SkipWithError(dialogs->first.isEmpty()
                                        ? "the start-up did not run steps 2 to 17"
                                        : dialogs->first.toUtf8().constData());
                break;
            }
            state.SetIterationTime(clock.seconds(kSteps.first(), kAfterSteps));
            sums[QStringLiteral("ShowForm_ms")] += double(shown) / 1e9;
            sums[QStringLiteral("s01_and_window_ms")] += double(clock.began[kSteps.first()]) / 1e9;
            sums[QStringLiteral("s17_25_ms")] += double(shown - clock.began[kAfterSteps]) / 1e9;
            if (clock.began.contains(kShowChild) && clock.began.contains(kBuildScript))
                sums[QStringLiteral("s17_ShowChild_ms")] += clock.seconds(kShowChild, kBuildScript);
            for (const StepGroup &g : kGroups) {
                const QString &to = g.next < kSteps.size() ? kSteps[g.next] : kAfterSteps;
                sums[QString::fromLatin1(g.counter)] += clock.seconds(kSteps[g.first], to);
            }
            entry->CloseForm();
            entry.reset();
            QCoreApplication::processEvents();
        }
    }
    const double n = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    for (auto it = sums.cbegin(); it != sums.cend(); ++it)
        state.counters[it.key().toStdString()] = it.value() / n * 1e3;
}

// The SQL of ConfigurazioneFrame's working tables, straight through SQLite on the same data.
void BM_Startup_WorkingTableFills_Sqlite(benchmark::State &state)
{
    const QString path = bench::reasonCodeDatabase(int(state.range(0)), kRowsPerSatellite);
    bench::RawConnection raw(path);
    std::vector<QByteArray> statements;
    for (const QString &text : causali::WorkingTables::preparationTexts())
        statements.push_back(ado::rewriteTsql(text).toUtf8());
    for (auto _ : state) {
        state.PauseTiming();
        raw.exec("DROP TABLE IF EXISTS temp.\"#SEZIONALI\"; DROP TABLE IF EXISTS"
                 " temp.\"#CI06_RICERCACONTO\"; DROP TABLE IF EXISTS temp.\"#SVILUPPO\";"
                 " DROP TABLE IF EXISTS temp.\"#CI99_DESLINGUA\"");
        state.ResumeTiming();
        for (const QByteArray &sql : statements)
            raw.exec(sql);
    }
}

const char *const kMemoryChildOption = "--startup-memory-child=";

// The child side of BM_Startup_PeakMemory: one start-up on `path`, then a line with the peak
// resident sizes before and after it and the wall time of ShowForm. Returns the exit status.
int runMemoryChild(const QString &path)
{
    NoDialogsScope scope;
    StepClock clock;
    Host host(path, clock);
    const long before = peakResidentKiB();
    QElapsedTimer wall;
    wall.start();
    std::unique_ptr<host::CLSCI_CAUSALI> entry = host.open();
    const qint64 elapsed = wall.nsecsElapsed();
    if (!scope.dialogs->first.isEmpty() || !started(*entry)) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(scope.dialogs->first));
        return 1;
    }
    std::printf("peak_before_kib=%ld peak_after_kib=%ld showform_ns=%lld\n", before,
                peakResidentKiB(), static_cast<long long>(elapsed));
    std::fflush(stdout);
    entry->CloseForm();
    return 0;
}

// Value of `key=` in the child's line, or -1.
double childFigure(const QByteArray &line, const QByteArray &key)
{
    for (const QByteArray &field : line.trimmed().split(' ')) {
        if (field.startsWith(key + '='))
            return field.mid(key.size() + 1).toDouble();
    }
    return -1;
}

void BM_Startup_PeakMemory(benchmark::State &state)
{
    const QString path = bench::reasonCodeDatabase(int(state.range(0)), kRowsPerSatellite);
    for (auto _ : state) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(kMemoryChildOption) + path});
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit
            || child.exitCode() != 0) {
            state.SkipWithError("the start-up in the child process failed");
            break;
        }
        const QByteArray line = child.readAllStandardOutput();
        const double before = childFigure(line, "peak_before_kib");
        const double after = childFigure(line, "peak_after_kib");
        const double shown = childFigure(line, "showform_ns");
        if (before < 0 || after < 0 || shown < 0) {
            state.SkipWithError("the child process reported no peak resident size");
            break;
        }
        state.SetIterationTime(shown / 1e9);
        state.counters["peak_MiB"] = after / 1024;
        state.counters["peak_growth_MiB"] = (after - before) / 1024;
    }
}

// "Successivo" from code to code on a window open on `range(0)` codes; back to "Primo" at the
// last one (not timed).
void BM_ShowNextCode(benchmark::State &state)
{
    const QString path = bench::reasonCodeDatabase(int(state.range(0)), kRowsPerSatellite);
    NoDialogsScope scope;
    StepClock clock;
    Host host(path, clock);
    std::unique_ptr<host::CLSCI_CAUSALI> entry = host.open();
    causali::FRMCI_CAUSALI *editor = started(*entry) ? editorOf(*entry) : nullptr;
    if (!editor) {
        state.SkipWithError("the window did not start");
        return;
    }
    host::MainNavigator *navigator = editor->mainNavigator();
    host::CodeBox *code = editor->headerPanel()->TXT_CAUSALE;
    for (auto _ : state) {
        if (!navigator->IsButtonEnabled(QStringLiteral("Successivo"))) {
            state.PauseTiming();
            navigator->pressButton(QStringLiteral("Primo"));
            state.ResumeTiming();
        }
        const QString shownBefore = code->Text().toString();
        navigator->pressButton(QStringLiteral("Successivo"));
        if (code->Text().toString() == shownBefore || !scope.dialogs->first.isEmpty()) {
            state.SkipWithError(scope.dialogs->first.isEmpty()
                                    ? "\"Successivo\" did not show another code"
                                    : scope.dialogs->first.toUtf8().constData());
            break;
        }
    }
    entry->CloseForm();
}

} // namespace

BENCHMARK(BM_Startup_Steps2to16)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->UseManualTime()
    ->MinTime(2.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Startup_WorkingTableFills_Sqlite)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Startup_PeakMemory)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowNextCode)->Arg(50000)->Unit(benchmark::kMillisecond);

// The offscreen platform warns on every top-level window about a feature it lacks.
QtMessageHandler standardHandler = nullptr;
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!text.contains(QLatin1String("does not support propagateSizeHints")) && standardHandler)
        standardHandler(type, context, text);
}

int main(int argc, char **argv)
{
    standardHandler = qInstallMessageHandler(quietOffscreen);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 2 && qstrncmp(argv[1], kMemoryChildOption, qstrlen(kMemoryChildOption)) == 0)
        return runMemoryChild(QString::fromLocal8Bit(argv[1] + qstrlen(kMemoryChildOption)));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
