// What tracing costs, with the worker on its own thread as in the launcher:
//  - BM_TraceErrorMacro: one TRACE_ERROR as callers write it (message composed with unit path, function
//    and line, then the line composed and posted to the trace thread);
//  - BM_TraceErrorComposed: one TraceError with a ready message (the front alone);
//  - BM_TraceErrorDisabled: one TraceError while tracing is disabled (the call is dropped);
//  - BM_WriterLinesPerSecond: the time from posting a batch of info lines until all of them are on disk.
// After each measured run of the caller benchmarks the writer is allowed to catch up (untimed), so the
// backlog of one run does not burden the next.
#include "QT_TRACES/TRACES_ClassWorkerFile.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace
{
const QString MESSAGE =
    QStringLiteral("..\\mng_launcher\\DEVICE\\DEVICE_ClassMainBackEnd SLOT_ShutOrRebootSession() "
                   "Line 512 Failed to identify session");
constexpr int CALLS_PER_RUN = 20000;
constexpr int WRITER_BATCH = 10000;

CLASS_WORKER_FILE* Worker()
{
    return qobject_cast<CLASS_WORKER_FILE*>(TracesWorker());
}

// Bytes of one line holding this message, logged from the main thread (all tags have a fixed width).
qint64 LineBytes(const QString& message)
{
    return (TraceElapsedTag() + TraceThreadTag() + TraceTag(0) + message + QLatin1Char('\n')).toUtf8().size();
}

// Waits until the file has reached the size; false after a minute.
bool WaitForSize(const QString& path, qint64 size)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (QFileInfo(path).size() < size)
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Waits until the file holds the number of lines (for the small files at set-up).
bool WaitForLines(const QString& path, int lines)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    for (;;)
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.readAll().count('\n') >= lines)
        {
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void LogTheComposedMessage()
{
    TRACE_ERROR(QStringLiteral("Failed to identify session"));
}

void CatchUp(benchmark::State& state, const QString& path, qint64 expectedSize)
{
    if (!WaitForSize(path, expectedSize))
    {
        state.SkipWithError("the writer did not catch up within a minute");
    }
}

void BM_TraceErrorMacro(benchmark::State& state)
{
    // The length of the macro's line is learnt from one call.
    const QString path = Worker()->ErrorFilePath();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const int linesBefore = file.readAll().count('\n');
    const qint64 start = QFileInfo(path).size();
    LogTheComposedMessage();
    if (!WaitForLines(path, linesBefore + 1))
    {
        state.SkipWithError("the writer did not write the first line within a minute");
    }
    const qint64 lineBytes = QFileInfo(path).size() - start;
    const qint64 before = QFileInfo(path).size();
    for (auto _ : state)
    {
        LogTheComposedMessage();
    }
    CatchUp(state, path, before + lineBytes * state.iterations());
}

void BM_TraceErrorComposed(benchmark::State& state)
{
    const QString path = Worker()->ErrorFilePath();
    const qint64 before = QFileInfo(path).size();
    for (auto _ : state)
    {
        TraceError(MESSAGE, 0);
    }
    CatchUp(state, path, before + LineBytes(MESSAGE) * state.iterations());
}

void BM_TraceErrorDisabled(benchmark::State& state)
{
    DisableTraces();
    for (auto _ : state)
    {
        TraceError(MESSAGE, 0);
    }
    EnableTraces();
}

void BM_WriterLinesPerSecond(benchmark::State& state)
{
    const QString path = Worker()->InfoFilePath();
    const qint64 lineBytes = LineBytes(MESSAGE);
    double seconds = 0;
    qint64 lines = 0;
    for (auto _ : state)
    {
        const qint64 before = QFileInfo(path).size();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < WRITER_BATCH; ++i)
        {
            TraceInfo(MESSAGE, 0);
        }
        if (!WaitForSize(path, before + lineBytes * WRITER_BATCH))
        {
            state.SkipWithError("the writer did not catch up within a minute");
            break;
        }
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        lines += WRITER_BATCH;
    }
    state.counters["lines_per_s"] = seconds > 0 ? lines / seconds : 0;
}

BENCHMARK(BM_TraceErrorMacro)
    ->Iterations(CALLS_PER_RUN)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TraceErrorComposed)
    ->Iterations(CALLS_PER_RUN)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(BM_TraceErrorDisabled)->Repetitions(10)->ReportAggregatesOnly(true)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_WriterLinesPerSecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->UseManualTime()
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir base;
    if (!base.isValid())
    {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    QThread::currentThread()->setObjectName(QStringLiteral("THREAD_MAIN"));
    QThread traceThread;
    traceThread.setObjectName(QStringLiteral("THREAD_TRACES"));
    traceThread.start();
    CreateTracesWorker(QStringLiteral("BenchTraces"), QDir(base.path()), &traceThread, nullptr, nullptr,
                       10300);
    EnableTraces();
    if (Worker() == nullptr || !Worker()->enabled)
    {
        std::fprintf(stderr, "tracing could not be set up in %s\n", qPrintable(base.path()));
        return 1;
    }
    // The banners go first, so that every later line of a file has the same length.
    TraceError(MESSAGE, 0);
    TraceInfo(MESSAGE, 0);
    if (!WaitForLines(Worker()->ErrorFilePath(), 4) || !WaitForLines(Worker()->InfoFilePath(), 4))
    {
        std::fprintf(stderr, "the writer did not start\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    traceThread.quit();
    traceThread.wait();
    return 0;
}
