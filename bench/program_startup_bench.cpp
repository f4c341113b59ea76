// The program's start-up as a user meets it: the built program started on a database, its
// window drawn (offscreen, saved as a picture) and the program ended, in a child process per
// run. Wall time per run and the child's peak memory, on the demo database and beside it on
// databases with 1,000, 10,000 and 50,000 generated reason codes (20 rows in each list).

#include "bench_support.h"

#include <QByteArray>
#include <QDir>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRowsPerSatellite = 20;

struct Run
{
    double seconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

// Starts the program on the database, drawing its window into a picture, and waits for it.
Run runProgram(const QString &database)
{
    const QByteArray program = QByteArrayLiteral(CAUSALI_PROGRAM);
    const QByteArray db = database.toLocal8Bit();
    const QByteArray picture =
        QDir::temp().filePath(QStringLiteral("startup_bench.png")).toLocal8Bit();
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const int devnull = ::open("/dev/null", O_WRONLY);
        dup2(devnull, 2);
        execl(program.constData(), program.constData(), "--db", db.constData(), "--screenshot",
              picture.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    Run run;
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        run.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        run.peakKiB = usage.ru_maxrss;
        run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return run;
}

void BM_Program_Startup(benchmark::State &state)
{
    const int codes = int(state.range(0));
    const QString database = bench::reasonCodeDatabase(codes, kRowsPerSatellite);
    runProgram(database); // the file's pages in the cache, as for a user's second start
    long peak = 0;
    for (auto _ : state) {
        const Run run = runProgram(database);
        if (!run.ok) {
            state.SkipWithError("the program did not start and end on the database");
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakKiB);
    }
    state.counters["peak_MiB"] = double(peak) / 1024.0;
    state.SetLabel(codes == 0 ? "demo database" : "generated codes beside the demo");
}

} // namespace

BENCHMARK(BM_Program_Startup)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Iterations(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
