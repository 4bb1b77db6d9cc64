// The version ordering used for every version list (installed packages, session versions, catalogue),
// on texts taken from folder names, settings files and the catalogue, so anything at all.
// Properties: a text is never newer than itself; of two texts at most one is newer; the answer is the
// one of comparing the runs of decimal digits as whole numbers (any length), the shorter text winning a
// tie; on plain version texts (numbers without leading zeros joined by single points) the order is
// transitive; sorting a list keeps exactly its texts.

#include "FuzzSupport.h"

#include "DEVICE/DEVICE_Helpers.h"

#include <QRegularExpression>

#include <algorithm>

namespace
{
QStringList DigitRuns(const QString& text)
{
    QStringList runs;
    QString current;
    for (const QChar c : text)
    {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        {
            current.append(c);
        }
        else if (!current.isEmpty())
        {
            runs.append(current);
            current.clear();
        }
    }
    if (!current.isEmpty())
    {
        runs.append(current);
    }
    return runs;
}

// -1, 0 or 1 as the decimal number a is smaller than, equal to or greater than b, at any length.
int CompareDecimal(QString a, QString b)
{
    while (a.size() > 1 && a.startsWith(QLatin1Char('0')))
    {
        a.remove(0, 1);
    }
    while (b.size() > 1 && b.startsWith(QLatin1Char('0')))
    {
        b.remove(0, 1);
    }
    if (a.size() != b.size())
    {
        return a.size() < b.size() ? -1 : 1;
    }
    return a == b ? 0 : (a < b ? -1 : 1);
}

bool ExpectedNewer(const QString& a, const QString& b)
{
    const QStringList runsA = DigitRuns(a);
    const QStringList runsB = DigitRuns(b);
    for (int i = 0; i < std::min(runsA.size(), runsB.size()); ++i)
    {
        const int order = CompareDecimal(runsA.at(i), runsB.at(i));
        if (order != 0)
        {
            return order > 0;
        }
    }
    return a.size() < b.size();
}

bool IsPlainVersion(const QString& text)
{
    static const QRegularExpression plain(QStringLiteral("^(0|[1-9][0-9]*)(\\.(0|[1-9][0-9]*))*$"));
    return plain.match(text).hasMatch();
}

QString Pair(const QString& a, const QString& b)
{
    return QStringLiteral("a=[%1] b=[%2]").arg(a, b);
}

void CheckPair(const QString& a, const QString& b)
{
    const bool newer = VersionIsNewer(a, b);
    FUZZ::Check(!VersionIsNewer(a, a), "a text is never newer than itself", a);
    FUZZ::Check(!(newer && VersionIsNewer(b, a)), "of two texts at most one is newer", Pair(a, b));
    FUZZ::Check(newer == ExpectedNewer(a, b), "digit runs compare as whole numbers, then the shorter text",
                Pair(a, b) + QStringLiteral(" gave ") + QString::number(newer));
}

void CheckTransitive(const QString& a, const QString& b, const QString& c)
{
    if (!IsPlainVersion(a) || !IsPlainVersion(b) || !IsPlainVersion(c))
    {
        return;
    }
    if (VersionIsNewer(a, b) && VersionIsNewer(b, c))
    {
        FUZZ::Check(VersionIsNewer(a, c), "plain versions are ordered transitively",
                    Pair(a, b) + QStringLiteral(" c=[") + c + QStringLiteral("]"));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList texts = FUZZ::Lines(FUZZ::Bytes(data, size), 64);
    for (int i = 0; i + 1 < texts.size() && i < 8; ++i)
    {
        CheckPair(texts.at(i), texts.at(i + 1));
        CheckPair(texts.at(i + 1), texts.at(i));
    }
    if (texts.size() >= 3)
    {
        CheckTransitive(texts.at(0), texts.at(1), texts.at(2));
        CheckTransitive(texts.at(2), texts.at(1), texts.at(0));
    }
    if (texts.size() == 1)
    {
        CheckPair(texts.at(0), texts.at(0));
    }

    QStringList sorted = texts;
    SortNewestFirst(sorted);
    QStringList expected = texts;
    QStringList got = sorted;
    expected.sort();
    got.sort();
    FUZZ::Check(got == expected, "sorting keeps exactly the texts of the list");
    return 0;
}
