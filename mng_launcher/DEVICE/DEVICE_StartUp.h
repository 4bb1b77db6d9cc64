#ifndef DEVICE_STARTUP_H
#define DEVICE_STARTUP_H

class QThread;

// Registers Bool, Byte, Word, DWord, QWord, SByte, SWord and SDWord with the meta-type system, in that
// order, so that signals declared with them can cross threads.
void RegisterTypeAliases();

// Names the GUI thread "THREAD_MAIN", creates and starts "THREAD_TRACES" (ended at aboutToQuit) and
// sets up tracing on it. Returns the trace thread, which lives for the rest of the process.
QThread* StartTracing();

// After the event loop: lets the trace thread end (bounded wait) and writes the lines still waiting, so
// that the last lines of the run (the teardown's too) reach the log files.
void FinishTracing();

// The trace thread created by StartTracing, or null.
QThread* TraceThread();

#endif // DEVICE_STARTUP_H
