#pragma once
// Typed reads and writes of single values under Kestrel's root key in the per-user registry
// file. Reading a value queries it into a buffer of the value's kind (520 bytes for a text,
// 4 for a number, 1 for a flag); a value that is missing or does not fit is written back with
// the default, and the default is the result. The stored type is not examined: any value that
// fits the buffer is taken as its bytes. Failures are silent.
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/PlatformConstants.h"
#include "settings/SettingsConstants.h"

class CRegistryFile;

class CRegisterAccess {
public:
    explicit CRegisterAccess(const QString& rootKeyPath);
    virtual ~CRegisterAccess();

    // keyPath is the key under the root key path ("config").
    QString ReadString(const QString& keyPath, const QString& name, const QString& def,
                       int bufferBytes = kTextBufferBytes);
    DWORD ReadDword(const QString& keyPath, const QString& name, DWORD def);
    std::uint8_t ReadByte(const QString& keyPath, const QString& name, std::uint8_t def);

    void WriteString(const QString& keyPath, const QString& name, const QString& value);
    void WriteDword(const QString& keyPath, const QString& name, DWORD value);
    void WriteByte(const QString& keyPath, const QString& name, std::uint8_t value);

    const QString& RootKeyPath() const { return m_rootKeyPath; }
    // The registry file: Folders::AppConfig() + "/registry.reg".
    static QString StorePath();

protected:
    // Groups several reads and writes into one read of the file and at most one write of it.
    // The outcome is the same as doing them one by one.
    class Batch {
    public:
        explicit Batch(CRegisterAccess& access);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        CRegisterAccess& m_access;
        bool m_outer;
    };

private:
    // Reads the value's bytes into a buffer of bufferBytes; when it is missing or larger,
    // writes (type, defaultBytes) as the value and gives false.
    bool Query(const QString& keyPath, const QString& name, int bufferBytes, DWORD type,
               const QByteArray& defaultBytes, QByteArray& out);
    void Write(const QString& keyPath, const QString& name, DWORD type, const QByteArray& data);
    QString FullKey(const QString& keyPath) const { return m_rootKeyPath + keyPath; }

    QString m_rootKeyPath;
    std::unique_ptr<CRegistryFile> m_open; // the file while a batch is open
    bool m_dirty = false;
};
