#include "DEVICE/DEVICE_ClassTrustStore.h"

#include "DEVICE/DEVICE_FileSave.h"
#include "PLATFORM/PLATFORM_Files.h"
#include "QT_TRACES/TRACES_Traces.h"
#include "TarvoTrustedKeys.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QStandardPaths>

const QString CLASS_TRUST_STORE::TRUST_SIGNED = QStringLiteral("signed");
const QString CLASS_TRUST_STORE::TRUST_CHECKSUM = QStringLiteral("checksum");
const QString CLASS_TRUST_STORE::TRUST_NONE = QStringLiteral("none");

namespace
{
const QString STATE_FILE = QStringLiteral("state.json");
const QString KEYS_FOLDER = QStringLiteral("keys");
const QString INDEX_FOLDER = QStringLiteral("index");
const QString KEYS = QStringLiteral("keys");
const QString PINS = QStringLiteral("pins");
const QString INSTALLED = QStringLiteral("installed");
const QString SERIAL = QStringLiteral("serial");
const QString SHA256 = QStringLiteral("sha256");
// Key files, states and indexes are small; anything larger is no file of the launcher's.
constexpr qint64 MAX_TRUST_FILE_BYTES = 4 * 1024 * 1024;
constexpr int COPY_NAME_HEX_DIGITS = 16;

const char* const BUILT_IN_KEYS[] = {TARVO_BUILT_IN_KEYS nullptr};

QStringList& CommandLineKeyTexts()
{
    static QStringList texts;
    return texts;
}

bool& RequireSignedFlag()
{
    static bool required = false;
    return required;
}

// The content of a plain file (never read through a link); false when there is none or it is too large.
bool ReadPlainFile(const QString& path, QByteArray& content)
{
    const QFileInfo info(path);
    QFile file(path);
    if (PLATFORM::IsLink(path) || !info.isFile() || info.size() > MAX_TRUST_FILE_BYTES ||
        !file.open(QIODevice::ReadOnly))
    {
        return false;
    }
    content = file.readAll();
    return content.size() == info.size();
}

QString Sha256Hex(const QByteArray& data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}
} // namespace

CLASS_TRUST_STORE::CLASS_TRUST_STORE(const QString& givenFolder, const QStringList& extraKeys)
    : folder(QDir::cleanPath(givenFolder.isEmpty() ? DefaultFolder() : givenFolder))
{
    LoadKeys(extraKeys);
    LoadState();
}

QString CLASS_TRUST_STORE::DefaultFolder()
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                           QStringLiteral("/trust"));
}

void CLASS_TRUST_STORE::SetCommandLineKeys(const QStringList& keyTexts)
{
    CommandLineKeyTexts() = keyTexts;
}

QStringList CLASS_TRUST_STORE::CommandLineKeys()
{
    return CommandLineKeyTexts();
}

void CLASS_TRUST_STORE::SetRequireSigned(bool required)
{
    RequireSignedFlag() = required;
}

bool CLASS_TRUST_STORE::RequireSigned()
{
    return RequireSignedFlag();
}

QStringList CLASS_TRUST_STORE::BuiltInKeys()
{
    QStringList texts;
    for (const char* const* key = BUILT_IN_KEYS; *key != nullptr; ++key)
    {
        texts.append(QString::fromLatin1(*key));
    }
    return texts;
}

void CLASS_TRUST_STORE::LoadKeys(const QStringList& extraKeys)
{
    for (const QString& text : BuiltInKeys())
    {
        AddKey(text.toLatin1(), QStringLiteral("built in"));
    }
    const QString keysFolder = folder + QLatin1Char('/') + KEYS_FOLDER;
    if (!PLATFORM::IsLink(folder) && !PLATFORM::IsLink(keysFolder))
    {
        const QStringList files =
            QDir(keysFolder).entryList({QStringLiteral("*.pub")}, QDir::Files | QDir::NoSymLinks, QDir::Name);
        for (const QString& name : files)
        {
            QByteArray text;
            const QString path = keysFolder + QLatin1Char('/') + name;
            if (ReadPlainFile(path, text))
            {
                AddKey(text, path);
            }
        }
    }
    for (const QString& text : CommandLineKeys() + extraKeys)
    {
        AddKey(text.toUtf8(), QStringLiteral("command line"));
    }
}

void CLASS_TRUST_STORE::AddKey(const QByteArray& text, const QString& source)
{
    TRUSTED_KEY trusted;
    QString reason;
    if (!CLASS_MINISIGN::ParsePublicKey(text, trusted.key, &reason))
    {
        TRACE_ERROR(QStringLiteral("Ignored a trusted key of ") + source + QStringLiteral(": ") + reason);
        return;
    }
    if (FindKey(trusted.key.keyId) == nullptr)
    {
        trusted.source = source;
        keys.append(trusted);
    }
}

const TRUSTED_KEY* CLASS_TRUST_STORE::FindKey(const QByteArray& keyId) const
{
    for (const TRUSTED_KEY& trusted : keys)
    {
        if (trusted.key.keyId == keyId)
        {
            return &trusted;
        }
    }
    return nullptr;
}

void CLASS_TRUST_STORE::LoadState()
{
    QByteArray content;
    if (PLATFORM::IsLink(folder) || !ReadPlainFile(folder + QLatin1Char('/') + STATE_FILE, content))
    {
        return;
    }
    state = QJsonDocument::fromJson(content).object();
}

bool CLASS_TRUST_STORE::MakeFolder(const QString& relative, QString* reason) const
{
    QDir().mkpath(QFileInfo(folder).absolutePath());
    if (PLATFORM::MakePrivateFolder(folder, reason) != PLATFORM::PRIVATE_PLACE::Ready)
    {
        return false;
    }
    return relative.isEmpty() || PLATFORM::MakePrivateFolder(folder + QLatin1Char('/') + relative, reason) ==
                                     PLATFORM::PRIVATE_PLACE::Ready;
}

bool CLASS_TRUST_STORE::SaveState(QString* reason)
{
    return MakeFolder(QString(), reason) &&
           ReplaceFileContent(folder + QLatin1Char('/') + STATE_FILE, QJsonDocument(state).toJson(), reason);
}

bool CLASS_TRUST_STORE::LastSerial(const QByteArray& keyId, qint64& serial, QByteArray& indexSha256) const
{
    const QJsonObject entry = state.value(KEYS).toObject().value(CLASS_MINISIGN::KeyIdText(keyId)).toObject();
    if (!entry.value(SERIAL).isDouble())
    {
        return false;
    }
    serial = static_cast<qint64>(entry.value(SERIAL).toDouble());
    indexSha256 = entry.value(SHA256).toString().toLatin1();
    return true;
}

QString CLASS_TRUST_STORE::PinnedKey(const QString& server) const
{
    return state.value(PINS).toObject().value(server).toString();
}

QMap<QString, QString> CLASS_TRUST_STORE::Pins() const
{
    QMap<QString, QString> pins;
    const QJsonObject object = state.value(PINS).toObject();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
    {
        pins.insert(it.key(), it.value().toString());
    }
    return pins;
}

QString CLASS_TRUST_STORE::IndexCopyBase(const QString& server) const
{
    return folder + QLatin1Char('/') + INDEX_FOLDER + QLatin1Char('/') +
           Sha256Hex(server.toUtf8()).left(COPY_NAME_HEX_DIGITS);
}

bool CLASS_TRUST_STORE::Accept(const QString& server, const QByteArray& keyId, qint64 serial,
                               const QByteArray& content, const QByteArray& signature, QString* reason)
{
    const QString id = CLASS_MINISIGN::KeyIdText(keyId);
    QJsonObject serials = state.value(KEYS).toObject();
    serials.insert(id, QJsonObject{{SERIAL, static_cast<double>(serial)}, {SHA256, Sha256Hex(content)}});
    state.insert(KEYS, serials);
    QJsonObject pins = state.value(PINS).toObject();
    pins.insert(server, id);
    state.insert(PINS, pins);
    // The copy first: a state that names an index always finds it.
    const QString base = IndexCopyBase(server);
    return MakeFolder(INDEX_FOLDER, reason) &&
           ReplaceFileContent(base + QStringLiteral(".json"), content, reason) &&
           ReplaceFileContent(base + QStringLiteral(".json.minisig"), signature, reason) && SaveState(reason);
}

bool CLASS_TRUST_STORE::StoredIndex(const QString& server, QByteArray& content, QByteArray& signature) const
{
    const QString base = IndexCopyBase(server);
    return !PLATFORM::IsLink(folder) && !PLATFORM::IsLink(folder + QLatin1Char('/') + INDEX_FOLDER) &&
           ReadPlainFile(base + QStringLiteral(".json"), content) &&
           ReadPlainFile(base + QStringLiteral(".json.minisig"), signature);
}

QString CLASS_TRUST_STORE::InstallationTrust(const QString& packageFolder) const
{
    return state.value(INSTALLED).toObject().value(QDir::cleanPath(packageFolder)).toString();
}

bool CLASS_TRUST_STORE::RecordInstallation(const QString& packageFolder, const QString& trust)
{
    QJsonObject installed = state.value(INSTALLED).toObject();
    if (trust.isEmpty())
    {
        if (!installed.contains(QDir::cleanPath(packageFolder)))
        {
            return true;
        }
        installed.remove(QDir::cleanPath(packageFolder));
    }
    else
    {
        installed.insert(QDir::cleanPath(packageFolder), trust);
    }
    state.insert(INSTALLED, installed);
    QString reason;
    if (!SaveState(&reason))
    {
        TRACE_ERROR(QStringLiteral("The trust state could not be written: ") + reason);
        return false;
    }
    return true;
}
