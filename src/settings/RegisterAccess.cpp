#include "settings/RegisterAccess.h"

#include "platform/Folders.h"
#include "settings/RegistryFile.h"
#include "settings/SettingsConstants.h"

namespace {
// One registry file per process; every access to it takes this lock.
std::recursive_mutex g_storeLock;

QByteArray LittleEndian(DWORD value, int bytes)
{
    QByteArray data(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return data;
}
} // namespace

CRegisterAccess::CRegisterAccess(const QString& rootKeyPath) : m_rootKeyPath(rootKeyPath) {}
CRegisterAccess::~CRegisterAccess() = default;

QString CRegisterAccess::StorePath()
{
    return Folders::AppConfig() + "/" + kRegistryFileName;
}

CRegisterAccess::Batch::Batch(CRegisterAccess& access) : m_access(access), m_outer(!access.m_open)
{
    g_storeLock.lock();
    if (m_outer) {
        m_access.m_open = std::make_unique<CRegistryFile>();
        m_access.m_open->Load(StorePath());
        m_access.m_dirty = false;
    }
}

CRegisterAccess::Batch::~Batch()
{
    if (m_outer) {
        if (m_access.m_dirty)
            m_access.m_open->Save(); // a failed write is silent; the values stay in memory
        m_access.m_open.reset();
        m_access.m_dirty = false;
    }
    g_storeLock.unlock();
}

bool CRegisterAccess::Query(const QString& keyPath, const QString& name, int bufferBytes, DWORD type,
                            const QByteArray& defaultBytes, QByteArray& out)
{
    Batch batch(*this);
    const RegValue* value = m_open->Find(FullKey(keyPath), name);
    if (value && value->data.size() <= bufferBytes) {
        out = value->data;
        return true;
    }
    m_open->Set(FullKey(keyPath), name, type, defaultBytes);
    m_dirty = true;
    return false;
}

void CRegisterAccess::Write(const QString& keyPath, const QString& name, DWORD type, const QByteArray& data)
{
    Batch batch(*this);
    m_open->Set(FullKey(keyPath), name, type, data);
    m_dirty = true;
}

QString CRegisterAccess::ReadString(const QString& keyPath, const QString& name, const QString& def,
                                    int bufferBytes)
{
    QByteArray data;
    if (!Query(keyPath, name, bufferBytes, REG_SZ, CRegistryFile::TextBytes(def), data))
        return def;
    // The text ends at its terminator or at the end of the data; an odd last byte is no character.
    const auto* chars = reinterpret_cast<const char16_t*>(data.constData());
    qsizetype length = 0;
    while (length < data.size() / 2 && chars[length] != 0)
        ++length;
    return QString::fromUtf16(chars, length);
}

DWORD CRegisterAccess::ReadDword(const QString& keyPath, const QString& name, DWORD def)
{
    QByteArray data;
    if (!Query(keyPath, name, kDwordBytes, REG_DWORD, LittleEndian(def, kDwordBytes), data))
        return def;
    DWORD value = 0;
    for (qsizetype i = 0; i < data.size(); ++i)
        value |= DWORD(static_cast<unsigned char>(data[i])) << (8 * i);
    return value;
}

std::uint8_t CRegisterAccess::ReadByte(const QString& keyPath, const QString& name, std::uint8_t def)
{
    QByteArray data;
    if (!Query(keyPath, name, kByteBytes, REG_BINARY, QByteArray(1, static_cast<char>(def)), data))
        return def;
    return data.isEmpty() ? 0 : static_cast<std::uint8_t>(data[0]);
}

void CRegisterAccess::WriteString(const QString& keyPath, const QString& name, const QString& value)
{
    Write(keyPath, name, REG_SZ, CRegistryFile::TextBytes(value));
}

void CRegisterAccess::WriteDword(const QString& keyPath, const QString& name, DWORD value)
{
    Write(keyPath, name, REG_DWORD, LittleEndian(value, kDwordBytes));
}

void CRegisterAccess::WriteByte(const QString& keyPath, const QString& name, std::uint8_t value)
{
    Write(keyPath, name, REG_BINARY, QByteArray(1, static_cast<char>(value)));
}
