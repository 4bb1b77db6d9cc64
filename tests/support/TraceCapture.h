#ifndef TESTS_TRACECAPTURE_H
#define TESTS_TRACECAPTURE_H

#include "QT_TRACES/TRACES_ClassWorker.h"
#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

// Records the trace lines that the code under test sends to the process-wide trace worker while it lives.
// When no worker exists yet, one is made that writes into a temporary folder living as long as the test
// process. Lines are recorded as they are sent, on the sending thread (header-only: link zr_traces).
class TraceCapture
{
public:
    TraceCapture()
    {
        if (TracesWorker() == nullptr)
        {
            // Made only when needed: a suite that starts its own worker may watch the temporary folder.
            static QTemporaryDir logFolder(QDir::tempPath() + QStringLiteral("/tarvo_test_traces-XXXXXX"));
            CreateTracesWorker(QStringLiteral("tarvo_tests"), QDir(logFolder.path()), nullptr, nullptr,
                               nullptr, 10300);
            EnableTraces();
        }
        CLASS_WORKER* worker = TracesWorker();
        if (worker != nullptr)
        {
            errorConnection = QObject::connect(worker, &CLASS_WORKER::SIGNAL_WriteTraceError,
                                               [this](const QString& line) { errors << line; });
            infoConnection = QObject::connect(worker, &CLASS_WORKER::SIGNAL_WriteTraceInfo,
                                              [this](const QString& line) { infos << line; });
        }
    }
    ~TraceCapture()
    {
        QObject::disconnect(errorConnection);
        QObject::disconnect(infoConnection);
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    bool Ready() const { return TracesWorker() != nullptr && TracesWorker()->enabled; }
    // For a capture kept by a whole suite: checked once in initTestCase.
    bool Start() const { return Ready(); }

    // Lines of the unit's function ending with exactly the text.
    QStringList Errors(const QString& function, const QString& text) const
    {
        return Matching(errors, function, text);
    }
    QStringList Infos(const QString& function, const QString& text) const
    {
        return Matching(infos, function, text);
    }
    // Every captured line whose message part (after "() Line n ") starts with the text; with an origin (the
    // unit path, a blank and the function name), only the lines that it names.
    int ErrorsStartingWith(const QString& text, const QString& origin = QString()) const
    {
        int count = 0;
        const QRegularExpression pattern(QRegularExpression::escape(origin) +
                                         QStringLiteral("\\(\\) Line \\d+ ") +
                                         QRegularExpression::escape(text));
        for (const QString& line : errors)
        {
            count += pattern.match(line).hasMatch() ? 1 : 0;
        }
        return count;
    }
    int ErrorCount() const { return MessageLines(errors).size(); }
    int InfoCount() const { return MessageLines(infos).size(); }
    QStringList AllErrors() const { return MessageLines(errors); }

    // Any error (or information) line holding the text.
    bool HasError(const QString& part) const { return !errors.filter(part).isEmpty(); }
    bool HasInfo(const QString& part) const { return !infos.filter(part).isEmpty(); }

    // The error lines as the error file holds them, one after the other.
    QString ErrorLog() const { return errors.join(QString()); }
    // How often a text occurs in the error lines.
    int ErrorCount(const QString& text) const { return ErrorLog().count(text); }

    // Every line recorded, the worker's banner included, each ending with its line feed.
    QStringList errors;
    QStringList infos;

private:
    static QStringList MessageLines(const QStringList& lines)
    {
        // The worker's banner lines carry no "() Line " part.
        return lines.filter(QRegularExpression(QStringLiteral("\\(\\) Line \\d+ ")));
    }
    static QStringList Matching(const QStringList& lines, const QString& function, const QString& text)
    {
        const QRegularExpression pattern(QStringLiteral(" ") + QRegularExpression::escape(function) +
                                         QStringLiteral("\\(\\) Line \\d+ ") +
                                         QRegularExpression::escape(text) + QStringLiteral("\n$"));
        return lines.filter(pattern);
    }

    QMetaObject::Connection errorConnection;
    QMetaObject::Connection infoConnection;
};

#endif // TESTS_TRACECAPTURE_H
