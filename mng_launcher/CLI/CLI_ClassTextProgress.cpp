#include "CLI/CLI_ClassTextProgress.h"

#include "CLI/CLI_TerminalText.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <io.h>
#define TARVO_ISATTY _isatty
#define TARVO_FILENO _fileno
#else
#include <unistd.h>
#define TARVO_ISATTY isatty
#define TARVO_FILENO fileno
#endif

#include <algorithm>

CLASS_TEXT_PROGRESS::CLASS_TEXT_PROGRESS(bool terminal, std::FILE* stream)
    : terminal(terminal), stream(stream)
{
}

CLASS_TEXT_PROGRESS::~CLASS_TEXT_PROGRESS()
{
    Finish();
}

bool CLASS_TEXT_PROGRESS::StandardErrorIsTerminal()
{
    return TARVO_ISATTY(TARVO_FILENO(stderr)) != 0;
}

void CLASS_TEXT_PROGRESS::Update(const QString& package, const QString& text, int value)
{
    const bool newPackage = package != lastPackage;
    lastPackage = package;
    if (value >= 0)
    {
        lastValue = std::min(value, 100);
    }
    else if (newPackage)
    {
        lastValue = 0;
    }
    if (!terminal)
    {
        if (newPackage && !package.isEmpty())
        {
            std::fprintf(stream, "%s\n", OneLineValue(text).toLocal8Bit().constData());
            std::fflush(stream);
        }
        return;
    }
    const int filled = lastValue * BAR_WIDTH / 100;
    const QString bar = QString(filled, QLatin1Char('#')) + QString(BAR_WIDTH - filled, QLatin1Char('.'));
    // "\r" and a cleared rest of line redraw the bar in place.
    std::fprintf(stream, "\r[%s] %3d%% %s\x1b[K", bar.toLocal8Bit().constData(), lastValue,
                 OneLineValue(text).toLocal8Bit().constData());
    std::fflush(stream);
    barDrawn = true;
}

void CLASS_TEXT_PROGRESS::Finish()
{
    if (barDrawn)
    {
        std::fputc('\n', stream);
        std::fflush(stream);
        barDrawn = false;
    }
}
