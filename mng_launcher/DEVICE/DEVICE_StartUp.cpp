#include "DEVICE/DEVICE_StartUp.h"

#include "PLATFORM/PLATFORM_Platform.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "ZR_Types.h"

#include <QCoreApplication>
#include <QMetaType>
#include <QThread>

namespace
{
QThread* traceThread = nullptr;

template <typename T> void RegisterAlias(const char* alias)
{
    QMetaType::registerNormalizedTypedef(QMetaObject::normalizedType(alias), qMetaTypeId<T>());
}
} // namespace

void RegisterTypeAliases()
{
    RegisterAlias<bool>("Bool");
    RegisterAlias<unsigned char>("Byte");
    RegisterAlias<unsigned short>("Word");
    RegisterAlias<unsigned int>("DWord");
    RegisterAlias<unsigned long long>("QWord");
    RegisterAlias<signed char>("SByte");
    RegisterAlias<short>("SWord");
    RegisterAlias<int>("SDWord");
}

QThread* StartTracing()
{
    QThread::currentThread()->setObjectName(QStringLiteral("THREAD_MAIN"));
    traceThread = new QThread();
    QThread* thread = traceThread;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [thread]() { thread->exit(0); });
    traceThread->setObjectName(QStringLiteral("THREAD_TRACES"));
    traceThread->start();
    InitTraces(traceThread);
    // The platform layer's errors join the log under their own unit and function.
    PLATFORM::SetErrorLog([](const char* sourceFile, const char* function, int line, const QString& text)
                          { TraceErrorAt(TraceUnitPath(sourceFile), function, line, text); });
    return traceThread;
}

void FinishTracing()
{
    PLATFORM::SetErrorLog(nullptr);
    constexpr unsigned long TRACE_THREAD_END_MS = 5000;
    if (traceThread != nullptr)
    {
        traceThread->exit(0);
        traceThread->wait(TRACE_THREAD_END_MS);
    }
    FlushTraces();
}

QThread* TraceThread()
{
    return traceThread;
}
