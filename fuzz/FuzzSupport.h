#ifndef FUZZ_FUZZSUPPORT_H
#define FUZZ_FUZZSUPPORT_H

// What every fuzz target shares: the libFuzzer entry points, the Qt application object, a private
// temporary folder, and a check that ends the process when a property is broken (libFuzzer then keeps
// the input as a crash).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace FUZZ
{
// Ends the process with a message when a property does not hold.
void Check(bool condition, const char* property, const QString& detail = QString());

// A folder of this process under the system temporary folder, removed when the process ends.
QString TemporaryFolder();

// Writes the bytes to the path, replacing the file; ends the process when that fails.
void WriteFile(const QString& path, const QByteArray& content);

// The input as bytes (no copy; valid during the call).
QByteArray Bytes(const uint8_t* data, size_t size);

// The input split at line feeds into at most maxParts texts (UTF-8, invalid sequences replaced).
QStringList Lines(const QByteArray& input, int maxParts);
} // namespace FUZZ

#endif // FUZZ_FUZZSUPPORT_H
