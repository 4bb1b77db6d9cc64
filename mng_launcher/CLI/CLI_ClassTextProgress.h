#ifndef CLI_CLASSTEXTPROGRESS_H
#define CLI_CLASSTEXTPROGRESS_H

#include <QString>

#include <cstdio>

// The progress of a long command on standard error: on a terminal one bar that is redrawn in place
// ("[#####.....]  50% Downloading 3.2.0 (1 of 2) — 41 of 100 MB, 12 MB/s, 5 s left"); otherwise (a log, a
// pipe) a line when a step begins (a download, an installation, a removal of a package) and when it has
// gone a further quarter of the way.
class CLASS_TEXT_PROGRESS
{
public:
    static constexpr int BAR_WIDTH = 30;

    // terminal: draw the bar; otherwise print lines. The stream defaults to standard error.
    explicit CLASS_TEXT_PROGRESS(bool terminal, std::FILE* stream = stderr);
    ~CLASS_TEXT_PROGRESS();

    // A status text and a value (0 to 100; negative: the text alone changed) for a package.
    void Update(const QString& package, const QString& text, int value);
    // Ends the bar's line, if one is drawn.
    void Finish();

    // Whether the standard error stream is a terminal.
    static bool StandardErrorIsTerminal();

private:
    // The line for a log or a pipe, when it is due.
    void PrintLine(bool newPackage, const QString& step, const QString& text, int value);

    bool terminal;
    std::FILE* stream;
    QString lastPackage;
    QString printedStep;
    int lastValue = 0;
    int printedQuarter = 0;
    bool barDrawn = false;
};

#endif // CLI_CLASSTEXTPROGRESS_H
