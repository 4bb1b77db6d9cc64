#ifndef TRACES_TRACES_H
#define TRACES_TRACES_H

#include <QDir>
#include <QString>

class QThread;
class CLASS_WORKER;

// Process-wide tracing operations. A call may come from any thread: the calling thread composes the
// whole line and hands it to the one trace worker, which writes it on the trace thread.

#define QT_TRACES_VERSION "1.1.3"

typedef void (*TraceErrorHook)();
typedef void (*TracePeriodicHook)(unsigned int messageCount);
typedef unsigned int (*TraceLastIndexFunction)(const QFileInfoList& logEntries);

void InitTraces(QThread* traceThread);
// The one line on standard error when a log folder or file is a link or belongs to another user.
void PrintRefusedLogPlace(const QString& path);
void CreateTracesWorker(const QString& applicationName, const QDir& baseFolder, QThread* thread,
                        TraceErrorHook errorHook, TracePeriodicHook periodicHook, unsigned int hookPeriod,
                        TraceLastIndexFunction lastIndexFunction = nullptr);
void EnableTraces();
void DisableTraces();
void RotateTraceFiles();
void TraceError(const QString& message, int tagIndex);
void TraceInfo(const QString& message, int tagIndex);
// TraceError / TraceInfo of TraceComposeMessage(unitPath, function, line, text) with tag index 0, the
// line composed at once (what the TRACE_ macros call).
void TraceErrorAt(const QString& unitPath, const char* function, int line, const QString& text);
void TraceInfoAt(const QString& unitPath, const char* function, int line, const QString& text);
// Writes, on the calling thread, every line the worker has not written yet: for the end of the run,
// after the trace thread has ended.
void FlushTraces();
inline void TraceDebug(const QString&) {}
void DeleteTracesToSize(unsigned int limitBytes);
void EchoTraceToDebug(const QString& message);
void SetTraceDebugEcho(bool on);
bool TraceDebugEcho();

// The process-wide worker, or null before CreateTracesWorker.
CLASS_WORKER* TracesWorker();

// Pieces of a line, exposed for the worker's banner and for tests.
QString TraceElapsedTag();
QString TraceElapsedTag(qint64 elapsedMs);
QString TraceThreadTag();
QString TraceTag(int tagIndex);

// "..\mng_launcher\DEVICE\DEVICE_ClassMainBackEnd" for ".../mng_launcher/DEVICE/DEVICE_ClassMainBackEnd.cpp".
QString TraceUnitPath(const char* sourceFile);
// unit path + " " + function + "() Line " + line + " " + text
// text with the user info (user:password@) of every web address in it removed: no log line, support
// bundle or message carries a password that was part of an address.
QString WithoutUserInfo(const QString& text);
QString TraceComposeMessage(const QString& unitPath, const char* function, int line, const QString& text);

// Every caller logs through these, so no unit formats the message by hand. The unit path of a source path
// of the form __FILE__ gives, computed once per place of use.
#define TRACE_UNIT_PATH_OF(sourceFile)                                                                       \
    (                                                                                                        \
        []() -> const QString&                                                                               \
        {                                                                                                    \
            static const QString unitPath = TraceUnitPath(sourceFile);                                       \
            return unitPath;                                                                                 \
        }())

// The one way to log: a line of the calling unit and function.
#define TRACE_ERROR(text) TraceErrorAt(TRACE_UNIT_PATH_OF(__FILE__), __func__, __LINE__, (text))
#define TRACE_INFO(text) TraceInfoAt(TRACE_UNIT_PATH_OF(__FILE__), __func__, __LINE__, (text))

// Where a line says it comes from when that is not the calling unit and function: a part of a split class
// logs under its class's unit (a source path of the form __FILE__ gives) and the operation a reader
// searches for. Declared once per unit part, then used with the same form:
//   constexpr TRACE_ORIGIN SAVE_ORIGIN{SESSION_BACKEND_UNIT, "SLOT_SaveRequest"};
//   TRACE_ERROR_IN(SAVE_ORIGIN, text);
struct TRACE_ORIGIN
{
    const char* sourceFile;
    const char* function;
};
#define TRACE_ERROR_IN(origin, text)                                                                         \
    TraceErrorAt(TRACE_UNIT_PATH_OF((origin).sourceFile), (origin).function, __LINE__, (text))
#define TRACE_INFO_IN(origin, text)                                                                          \
    TraceInfoAt(TRACE_UNIT_PATH_OF((origin).sourceFile), (origin).function, __LINE__, (text))

#endif // TRACES_TRACES_H
