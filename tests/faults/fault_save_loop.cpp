// fault_save_loop: saves one session over and over until it is killed, so that a test can kill it with
// SIGKILL at any moment of a save. After every save that returned it prints the generation number on a
// line of its own (standard output, flushed).
//
//   fault_save_loop settings <session folder> <first generation>
//       writes <session folder>/settings.ini through CLASS_SESSION_SETTINGS, the content a function of the
//       generation (GenerationData), with a long description so that a write takes a while;
//   fault_save_loop backend <sessions root> <application folder> <first generation>
//       runs the session back end on a main view (offscreen) and saves its first session through
//       SLOT_SaveRequest (resources copied, tmp created, settings.ini written), creating it if needed.

#include "FaultSaveData.h"

#include "DEVICE/DEVICE_ClassMainBackEnd.h"
#include "DEVICE/DEVICE_ClassSessionSettings.h"
#include "GUI/GUI_ClassGlobalSetup.h"
#include "GUI/GUI_ClassMainWindow.h"
#include "GUI/GUI_MessageBox.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

namespace
{
void Announce(qint64 generation)
{
    std::printf("%lld\n", static_cast<long long>(generation));
    std::fflush(stdout);
}

int SettingsLoop(const QString& folder, qint64 generation)
{
    for (;; ++generation)
    {
        if (!CLASS_SESSION_SETTINGS::Write(folder, GenerationData(generation)))
        {
            std::fprintf(stderr, "fault_save_loop: generation %lld not written\n",
                         static_cast<long long>(generation));
            return 2;
        }
        Announce(generation);
    }
}

int BackEndLoop(const QString& sessionsRoot, const QString& applicationFolder, qint64 generation)
{
    CLASS_MESSAGE_BOX::SetAutoAnswer(true);
    TARVO_VERSION_INFO_LOCATIONS locations;
    locations.applicationFolder = applicationFolder;
    locations.sessionsRoot = sessionsRoot;
    locations.catalogueUrl = QStringLiteral("http://127.0.0.1:9/none"); // the local catalogue copy decides
    locations.transferTimeoutMs = 1000;
    CLASS_MAIN_WINDOW window;
    CLASS_MAIN_BACKEND backEnd(&window, nullptr, locations);
    if (backEnd.GetSessionCount() == 0)
    {
        backEnd.CreateNewSession();
    }
    for (;; ++generation)
    {
        auto* panel = dynamic_cast<CLASS_GLOBAL_SETUP*>(backEnd.GetSetupPanel(0));
        const SESSION_SETTINGS_DATA data = GenerationData(generation);
        panel->SetLabel(data.name);
        panel->SetPortValue(data.port);
        panel->SetDescription(BackEndDescription(generation));
        QCoreApplication::processEvents();
        backEnd.SLOT_SaveRequest(0);
        if (backEnd.IsSessionModified(0))
        {
            std::fprintf(stderr, "fault_save_loop: generation %lld not saved\n",
                         static_cast<long long>(generation));
            return 2;
        }
        Announce(generation);
    }
}
} // namespace

int main(int argc, char* argv[])
{
    const QStringList arguments = [&]()
    {
        QStringList list;
        for (int i = 1; i < argc; ++i)
        {
            list << QString::fromLocal8Bit(argv[i]);
        }
        return list;
    }();
    if (arguments.size() == 3 && arguments.at(0) == QStringLiteral("settings"))
    {
        QCoreApplication application(argc, argv);
        return SettingsLoop(arguments.at(1), arguments.at(2).toLongLong());
    }
    if (arguments.size() == 4 && arguments.at(0) == QStringLiteral("backend"))
    {
        QApplication application(argc, argv);
        return BackEndLoop(arguments.at(1), arguments.at(2), arguments.at(3).toLongLong());
    }
    std::fprintf(stderr,
                 "usage: fault_save_loop settings <session folder> <first generation>\n"
                 "       fault_save_loop backend <sessions root> <application folder> <first generation>\n");
    return 64;
}
