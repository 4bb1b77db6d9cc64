#ifndef CLI_CLASSTEXTPROGRESS_H
#define CLI_CLASSTEXTPROGRESS_H

#include <QString>

#include <cstdio>

// The progress of a long command on standard error: on a terminal one bar that is redrawn in place
// ("[#####.....]  50% Downloading updater 3.2.0"); otherwise (a log, a pipe) one line per package.
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
    bool terminal;
    std::FILE* stream;
    QString lastPackage;
    int lastValue = 0;
    bool barDrawn = false;
};

#endif // CLI_CLASSTEXTPROGRESS_H
