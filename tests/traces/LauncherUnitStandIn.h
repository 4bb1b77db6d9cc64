#ifndef LAUNCHERUNITSTANDIN_H
#define LAUNCHERUNITSTANDIN_H

// Functions that log exactly as units of the launcher's source tree do (see the .cpp).
namespace StandIn
{
void SLOT_ShutOrRebootSession();
void RunProcess();
} // namespace StandIn

#endif // LAUNCHERUNITSTANDIN_H
