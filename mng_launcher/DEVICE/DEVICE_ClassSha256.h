#ifndef DEVICE_CLASSSHA256_H
#define DEVICE_CLASSSHA256_H

#include <QByteArray>

#include <memory>

// A SHA-256 digest fed piece by piece, computed by OpenSSL's libcrypto (which uses the processor's SHA
// instructions where there are some): fast enough to hash a package archive while it downloads.
class CLASS_SHA256
{
public:
    CLASS_SHA256();
    ~CLASS_SHA256();
    CLASS_SHA256(const CLASS_SHA256&) = delete;
    CLASS_SHA256& operator=(const CLASS_SHA256&) = delete;

    void AddData(const QByteArray& data);
    void AddData(const char* data, qint64 length);
    // The 32-byte digest of everything added; empty when the library failed.
    QByteArray Result();

private:
    struct CONTEXT;
    std::unique_ptr<CONTEXT> context;
};

#endif // DEVICE_CLASSSHA256_H
