#include "DEVICE/DEVICE_ClassSha256.h"

#include <openssl/evp.h>

struct CLASS_SHA256::CONTEXT
{
    EVP_MD_CTX* digest = nullptr;
    bool ok = false;
};

CLASS_SHA256::CLASS_SHA256() : context(std::make_unique<CONTEXT>())
{
    context->digest = EVP_MD_CTX_new();
    context->ok =
        context->digest != nullptr && EVP_DigestInit_ex(context->digest, EVP_sha256(), nullptr) == 1;
}

CLASS_SHA256::~CLASS_SHA256()
{
    EVP_MD_CTX_free(context->digest);
}

void CLASS_SHA256::AddData(const QByteArray& data)
{
    AddData(data.constData(), data.size());
}

void CLASS_SHA256::AddData(const char* data, qint64 length)
{
    if (context->ok && length > 0)
    {
        context->ok = EVP_DigestUpdate(context->digest, data, static_cast<size_t>(length)) == 1;
    }
}

QByteArray CLASS_SHA256::Result()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!context->ok || EVP_DigestFinal_ex(context->digest, digest, &length) != 1)
    {
        context->ok = false;
        return QByteArray();
    }
    context->ok = false; // finished: a second call has nothing to report
    return QByteArray(reinterpret_cast<const char*>(digest), static_cast<int>(length));
}
