#ifndef TRACES_CLASSWORKERDEPORT_H
#define TRACES_CLASSWORKERDEPORT_H

#include "QT_TRACES/TRACES_ClassWorkerFile.h"

// A file worker that reports itself as the deported kind; it writes exactly like its base.
class CLASS_WORKER_DEPORT : public CLASS_WORKER_FILE
{
    Q_OBJECT

public:
    using CLASS_WORKER_FILE::CLASS_WORKER_FILE;
    int WorkerKind() const override { return 1; }
};

#endif // TRACES_CLASSWORKERDEPORT_H
