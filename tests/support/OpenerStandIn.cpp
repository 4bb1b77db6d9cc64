#include "OpenerStandIn.h"

#include "TestFiles.h"

#include <QFile>

OPENER_STAND_IN::OPENER_STAND_IN(int exitStatus)
{
    const QString path = folder.filePath(QStringLiteral("opener"));
    const QByteArray script = "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$(dirname \"$0\")/arguments\"\nexit " +
                              QByteArray::number(exitStatus) + "\n";
    if (folder.isValid() && WriteFile(path, script) &&
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
    {
        program = path;
    }
}

QString OPENER_STAND_IN::MissingProgram() const
{
    return folder.filePath(QStringLiteral("not-installed"));
}

QStringList OPENER_STAND_IN::Arguments() const
{
    const QString recorded = QString::fromLocal8Bit(ReadFile(folder.filePath(QStringLiteral("arguments"))));
    return recorded.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
