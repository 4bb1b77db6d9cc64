// The run and continuation numbers read back from the names in the log folder, which anyone may fill
// with files of any name. Properties: a name whose number part is plain decimal digits (at most 32 bits)
// counts; the result is 0 or a number written in one of the names; the order of the entries does not
// matter; the names the writer makes for the next run and for a continuation are read back as such.

#include "FuzzSupport.h"

#include "QT_TRACES/TRACES_ClassWorkerFile.h"

#include <QFileInfo>

#include <algorithm>

namespace
{
// The number of a part made of decimal digits only and within 32 bits; false otherwise.
bool PlainNumber(const QString& part, unsigned int& number)
{
    if (part.isEmpty())
    {
        return false;
    }
    quint64 value = 0;
    for (const QChar c : part)
    {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
        {
            return false;
        }
        value = value * 10 + quint64(c.unicode() - '0');
        if (value > 0xFFFFFFFFull)
        {
            return false;
        }
    }
    number = static_cast<unsigned int>(value);
    return true;
}

// The largest plain number at part "part" of the names split at "separator", with at least "minimum" parts.
unsigned int LowestBound(const QStringList& names, QChar separator, int minimum, int part)
{
    unsigned int bound = 0;
    for (const QString& name : names)
    {
        const QStringList parts = name.split(separator, Qt::SkipEmptyParts);
        unsigned int number = 0;
        if (parts.size() >= minimum && PlainNumber(parts.at(part), number))
        {
            bound = std::max(bound, number);
        }
    }
    return bound;
}

bool WrittenInOneName(const QStringList& names, unsigned int number)
{
    const QString digits = QString::number(number);
    return number == 0 || std::any_of(names.cbegin(), names.cend(),
                                      [&digits](const QString& name) { return name.contains(digits); });
}

QFileInfoList Entries(const QStringList& names)
{
    QFileInfoList entries;
    for (const QString& name : names)
    {
        entries.append(QFileInfo(QStringLiteral("/logs/") + name));
    }
    return entries;
}

void CheckRunNumber(const QStringList& names)
{
    const unsigned int run = CLASS_WORKER_FILE::MaxFileIndex(Entries(names));
    const QString all = names.join(QLatin1Char('|'));
    FUZZ::Check(run >= LowestBound(names, QLatin1Char('_'), 2, 0), "every plain run number counts", all);
    FUZZ::Check(WrittenInOneName(names, run), "the run number is written in one of the names", all);
    QStringList reversed = names;
    std::reverse(reversed.begin(), reversed.end());
    FUZZ::Check(CLASS_WORKER_FILE::MaxFileIndex(Entries(reversed)) == run,
                "the order of the entries does not matter");
    if (run < 0xFFFFFFFFu)
    {
        // The names the writer gives the next run.
        const QString number = QStringLiteral("%1").arg(qulonglong(run) + 1, 8, 10, QLatin1Char('0'));
        const QStringList next =
            names + QStringList{number + QStringLiteral("_INFO_2023-10-02_14-05-09.log"),
                                number + QStringLiteral("_ERROR_2023-10-02_14-05-09.log")};
        FUZZ::Check(CLASS_WORKER_FILE::MaxFileIndex(Entries(next)) == run + 1,
                    "the next run's files are read back", all);
    }
}

void CheckContinuation(const QStringList& names)
{
    const unsigned int suffix = CLASS_WORKER_FILE::MaxRotationSuffix(Entries(names));
    const QString all = names.join(QLatin1Char('|'));
    FUZZ::Check(suffix >= LowestBound(names, QLatin1Char('.'), 3, 2),
                "every plain continuation number counts", all);
    FUZZ::Check(WrittenInOneName(names, suffix), "the continuation number is written in one of the names",
                all);
    QStringList reversed = names;
    std::reverse(reversed.begin(), reversed.end());
    FUZZ::Check(CLASS_WORKER_FILE::MaxRotationSuffix(Entries(reversed)) == suffix,
                "the order of the entries does not matter");
    if (suffix < 999)
    {
        const QString next = QStringLiteral("00000001_INFO_2023-10-02_14-05-09.log.%1")
                                 .arg(suffix + 1, 3, 10, QLatin1Char('0'));
        FUZZ::Check(CLASS_WORKER_FILE::MaxRotationSuffix(Entries(names + QStringList{next})) == suffix + 1,
                    "the next continuation file is read back", all);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QStringList names;
    const QStringList lines = FUZZ::Lines(FUZZ::Bytes(data, size), 256);
    for (const QString& line : lines)
    {
        // File names: no folder separator, no NUL; an empty name is no file.
        QString name = line;
        name.remove(QLatin1Char('/')).remove(QChar(0));
        if (!name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral(".."))
        {
            names.append(name);
        }
    }
    CheckRunNumber(names);
    CheckContinuation(names);
    return 0;
}
