#ifndef UPDATER_VERSIONINFO_H
#define UPDATER_VERSIONINFO_H

#include <QMetaType>
#include <QString>
#include <QVersionNumber>

// One published version of a program, as an updater found it.
struct VersionInfo
{
    QVersionNumber version;
    QString versionName;
    QString productName;
    // Where that version's binary is fetched from (a web address, or a local file's absolute path).
    QString url;
    int productId = 0;
    int dev = 0;
};

Q_DECLARE_METATYPE(VersionInfo)

#endif // UPDATER_VERSIONINFO_H
