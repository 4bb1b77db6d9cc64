#ifndef CLI_TERMINALTEXT_H
#define CLI_TERMINALTEXT_H

#include <QString>

// What a command prints goes to a terminal, and terminals obey control characters: a name from an archive
// or a version from a server could set the window title, move the cursor or forge lines of a listing.

// Every control character of text (C0 but the line feed, DEL, C1) written visibly as \uXXXX. JSON output
// stays the same JSON: its strings already escape C0, and \uXXXX is JSON's own escape for the others.
QString TerminalSafe(const QString& text);

// A value inside a line of text output: its line breaks written visibly too (\n, \r), so that it stays on
// its own line.
QString OneLineValue(const QString& value);

#endif // CLI_TERMINALTEXT_H
