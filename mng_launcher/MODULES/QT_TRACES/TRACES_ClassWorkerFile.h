#ifndef TRACES_CLASSWORKERFILE_H
#define TRACES_CLASSWORKERFILE_H

#include "QT_TRACES/TRACES_ClassWorker.h"

#include <QFileInfoList>
#include <QRecursiveMutex>
#include <QString>

class QFile;

// Writes the info and error lines of each run to a numbered pair of log files, one whole line at a time,
// in a folder only the user can write (0700; files 0600; never through a link).
class CLASS_WORKER_FILE : public CLASS_WORKER
{
    Q_OBJECT

public:
    CLASS_WORKER_FILE(const QString& folderPath, const QString& applicationName, TraceErrorHook errorHook,
                      TracePeriodicHook periodicHook, unsigned int hookPeriod,
                      TraceLastIndexFunction lastIndexFunction, QObject* parent = nullptr);
    ~CLASS_WORKER_FILE() override;

    virtual void OpenTraceFiles();
    bool DeleteToSize(unsigned int limitBytes) override;
    int WorkerKind() const override { return 0; }
    void Rotate() override;

    // Largest run number (first "_" part) among the entries, 0 when none.
    static unsigned int MaxFileIndex(const QFileInfoList& entries);
    // Largest continuation number (third "." part) among the entries, 0 when none.
    static unsigned int MaxRotationSuffix(const QFileInfoList& entries);
    // Bytes of every file in the folder and its subfolders.
    static quint32 FolderSize(const QString& path);

    QString InfoFilePath() const { return infoFilePath; }
    QString ErrorFilePath() const { return errorFilePath; }

public slots:
    void SLOT_WriteTraceError(const QString& TraceMessage) override;
    void SLOT_WriteTraceInfo(const QString& TraceMessage) override;

private:
    // A log file object owned by the worker, made on the calling thread (see Rotate).
    QFile* NewLogFile(const QString& path);
    // Appends one line to the file (see the slots).
    void WriteLine(const QFile* file, const QString& line);
    // Appends the text (whole lines) to the file in one piece; true when written or refused.
    bool WriteLines(const QFile* file, const QByteArray& text);

protected:
    // The batch's error lines in one append to the error file, its info lines in one to the info file;
    // a batch that does not fit goes line by line, so that each line is still whole or lost alone.
    void WriteBatch(const QVector<PENDING_LINE>& lines) override;

    QFile* infoFile = nullptr;
    QFile* errorFile = nullptr;
    QString folderPath;
    QRecursiveMutex filesMutex;
    QString infoFilePath;
    QString errorFilePath;
    quint32 infoRotation = 0;
    quint32 errorRotation = 0;
    TraceLastIndexFunction lastIndexFunction = nullptr;
    // A log file turned out to be a link or another user's: nothing more is written.
    bool refused = false;
};

#endif // TRACES_CLASSWORKERFILE_H
