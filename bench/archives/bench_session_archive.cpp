// Headless driver of the launcher's session archive code (CLASS_SESSION_ARCHIVE), for timing one export
// or one import from outside (measure.sh runs it under hyperfine against zip and unzip by hand):
//
//   bench_session_archive export <sessions root> <session folder name> <target folder>
//   bench_session_archive import <sessions root> <archive>
//
// Exit status 0 when the operation succeeded, 1 when it failed (its message on standard error), 64 on a
// usage error. The zip and unzip tools are taken from beside this program, else from PATH, as the
// launcher takes them.

#include "DEVICE/DEVICE_ClassSessionArchive.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace
{
int Report(const SESSION_ARCHIVE_RESULT& result)
{
    if (!result.ok)
    {
        std::fprintf(stderr, "bench_session_archive: %s\n", qUtf8Printable(result.message));
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString toolFolder = QCoreApplication::applicationDirPath();
    if (arguments.size() == 4 && arguments.at(0) == QStringLiteral("export"))
    {
        const CLASS_SESSION_ARCHIVE archive(arguments.at(1), toolFolder);
        // Each timed run writes over the archive of the previous one.
        return Report(archive.Export(QDir(arguments.at(1)).filePath(arguments.at(2)), arguments.at(3),
                                     CLASS_SESSION_ARCHIVE::EXISTING_ARCHIVE::Replace));
    }
    if (arguments.size() == 3 && arguments.at(0) == QStringLiteral("import"))
    {
        const CLASS_SESSION_ARCHIVE archive(arguments.at(1), toolFolder);
        return Report(archive.Import(arguments.at(2)));
    }
    std::fprintf(stderr, "usage: bench_session_archive export <sessions root> <folder name> <target folder>\n"
                         "       bench_session_archive import <sessions root> <archive>\n");
    return 64;
}
