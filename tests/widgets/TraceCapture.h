#ifndef TESTS_TRACECAPTURE_H
#define TESTS_TRACECAPTURE_H

#include "QT_TRACES/TRACES_Traces.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// Sends the process's trace lines to log files in a temporary folder, so that a suite can read what its
// code logged. The trace worker lives on the calling thread: lines arrive once the event loop runs, so
// read them with QTRY_VERIFY.
class TraceCapture
{
public:
    bool Start()
    {
        if (!folder.isValid())
        {
            return false;
        }
        CreateTracesWorker(QStringLiteral("TraceCapture"), QDir(folder.path()), nullptr, nullptr, nullptr, 0);
        EnableTraces();
        return TracesWorker() != nullptr;
    }

    // Everything written to the error files so far.
    QString ErrorLog() const
    {
        QDir logs(folder.path() + QStringLiteral("/TraceCapture"));
        QString all;
        const QStringList names = logs.entryList({QStringLiteral("*_ERROR_*")}, QDir::Files, QDir::Name);
        for (const QString& name : names)
        {
            QFile file(logs.filePath(name));
            if (file.open(QIODevice::ReadOnly))
            {
                all += QString::fromUtf8(file.readAll());
            }
        }
        return all;
    }

    // How often a text occurs in the error files.
    int ErrorCount(const QString& text) const { return ErrorLog().count(text); }

private:
    QTemporaryDir folder;
};

#endif // TESTS_TRACECAPTURE_H
