#ifndef DEVICE_CLASSPARTIALDOWNLOAD_H
#define DEVICE_CLASSPARTIALDOWNLOAD_H

#include <QFile>
#include <QString>

class CLASS_SHA256;

// What the server said about the file whose beginning a kept part holds.
struct PARTIAL_DOWNLOAD_RECORD
{
    QString url;        // the address the download asked for
    QString validator;  // the file's strong ETag, else its Last-Modified date; empty: no resuming
    qint64 length = -1; // the whole file's length as the server announced it; -1: not announced
};

// The kept part of one package download in the user's private downloads folder: <archive>.part, and beside
// it <archive>.part.info, a small record of the address and of the version of the file (its validator)
// that the part belongs to. Both are the user's own files (0600), never opened through a link. A download
// that fails, is cancelled or paused leaves them for the next install of the same version to continue.
class CLASS_PARTIAL_DOWNLOAD
{
public:
    // Makes the private downloads folder (0700, never a link): given when not empty (its parent must
    // exist), else <user's cache folder>/<application name>/downloads. folder receives its path.
    static bool MakeFolder(const QString& given, QString& folder, QString& problem);

    // folder: the private downloads folder (it must exist); archiveName: "TARVO_3_2_0.zip".
    CLASS_PARTIAL_DOWNLOAD(const QString& folder, const QString& archiveName);

    QString PartPath() const;
    QString RecordPath() const;
    // Where the finished archive lies once Complete() has run.
    QString ArchivePath() const;

    // Opens the part for reading and writing (created when missing); problem receives why it cannot be.
    bool Open(QString* problem);
    QFile& File() { return file; }
    // The bytes the part holds (0 when there is none).
    qint64 KeptBytes() const;
    // The record of the part; an empty one when there is none or it cannot be read.
    PARTIAL_DOWNLOAD_RECORD Record() const;
    bool WriteRecord(const PARTIAL_DOWNLOAD_RECORD& record);
    // True when the part can be continued from url: it keeps bytes, its record names url and a validator,
    // and it holds less than the length announced, and no more than limit bytes (-1: no limit).
    bool CanResume(const QString& url, qint64 limit) const;
    // Empties the part and forgets its record: the download starts again at its first byte.
    bool Restart();
    // Adds every kept byte to digest, leaving the part ready for the bytes that follow; false when they
    // cannot be read.
    bool HashKept(CLASS_SHA256& digest);
    // The part holds the whole archive: it is closed, loses its record and becomes ArchivePath().
    bool Complete();
    // Closes and removes the part and its record.
    void Discard();

private:
    QString folder;
    QString archiveName;
    QFile file;
};

#endif // DEVICE_CLASSPARTIALDOWNLOAD_H
