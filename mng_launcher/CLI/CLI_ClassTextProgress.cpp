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
    // A step's text may go on with figures after a dash: "Downloading 3.2.0 (1 of 2) — 41 of 100 MB".
    const QString step = text.section(QStringLiteral(" \u2014 "), 0, 0);
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
        PrintLine(newPackage, step, text, value);
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

void CLASS_TEXT_PROGRESS::PrintLine(bool newPackage, const QString& step, const QString& text, int value)
{
    constexpr int QUARTER = 25;
    const int quarter = value >= 0 ? std::min(value, 100) / QUARTER : 0;
    // A text without a value (the end of a job, say) begins no step: the command's result follows.
    const bool newStep = newPackage || (value >= 0 && step != printedStep);
    if (lastPackage.isEmpty() || (!newStep && (step != printedStep || quarter <= printedQuarter)))
    {
        return;
    }
    printedStep = step;
    printedQuarter = quarter;
    std::fprintf(stream, "%s\n", OneLineValue(text).toLocal8Bit().constData());
    std::fflush(stream);
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
