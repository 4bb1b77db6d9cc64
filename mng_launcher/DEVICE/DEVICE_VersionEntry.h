#ifndef DEVICE_VERSIONENTRY_H
#define DEVICE_VERSIONENTRY_H

#include <QString>

// One entry of a setup panel's version list: its text, its row in the list and whether it is installed.
struct VERSION_ENTRY
{
    QString text;
    int row;
    bool installed;
};

#endif // DEVICE_VERSIONENTRY_H
