// Stands in for two units of the launcher's source tree: the #line directives give the calls below the
// file names and line numbers that those units have in a build tree, so the composed messages can be
// compared character for character. Keep the line numbers in the test in step with these.
#include "LauncherUnitStandIn.h"

#include "QT_TRACES/TRACES_Traces.h"

namespace StandIn
{
#line 1200 "/home/builder/tarvo/mng_launcher/DEVICE/DEVICE_ClassMainBackEnd.cpp"
void SLOT_ShutOrRebootSession()
{
    TRACE_ERROR(QStringLiteral("Failed to identify session"));
}

#line 77 "../../mng_launcher/MODULES/QT_UTILS/UTILS_ZrProcess.cpp"
void RunProcess()
{
    TRACE_INFO(QStringLiteral("Process started"));
}
} // namespace StandIn
