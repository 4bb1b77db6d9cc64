#include "PLATFORM/PLATFORM_Platform.h"

#include <atomic>

namespace
{
std::atomic<PLATFORM::ERROR_LOG> errorLog{nullptr};
} // namespace

void PLATFORM::SetErrorLog(ERROR_LOG log)
{
    errorLog = log;
}

void PLATFORM::LogError(const char* sourceFile, const char* function, int line, const QString& text)
{
    const ERROR_LOG log = errorLog;
    if (log != nullptr)
    {
        log(sourceFile, function, line, text);
    }
}
