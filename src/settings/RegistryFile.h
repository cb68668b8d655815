#pragma once
// The per-user registry file: keys holding typed values (name, type, bytes), kept as one text
// file in the registry-export syntax so that a person can read and edit it:
//
//   Windows Registry Editor Version 5.00
//
//   [software\Morvex\config]
//   "recside"=dword:00000000
//   "autostart"=hex:01
//   "sfolder"="/home/ann/Documents/Morvex"
//
// Texts are UTF-16 with a terminator (REG_SZ); a text that cannot be written as a quoted line
// (line breaks, no terminator, inner NULs) is kept as hex(1): bytes. Keys and value names
// compare without regard to letter case, as the registry does.
#include <QByteArray>
#include <QString>

#include <vector>

#include "platform/PlatformConstants.h"

struct RegValue {
    QString name;
    DWORD type = 0;
    QByteArray data;
};

struct RegKey {
    QString path;
    std::vector<RegValue> values;
};

class CRegistryFile {
public:
    enum class LoadResult { Missing, Loaded, Unreadable };

    // Reads the file. Missing and Unreadable leave the store empty; an unreadable file is moved
    // aside by the next Save before anything replaces it.
    LoadResult Load(const QString& path);
    // Writes the whole store atomically to the path of the last Load (creating its folder).
    bool Save();

    // Parses text in the export syntax into the store; false (store empty) on a syntax error.
    bool Parse(const QByteArray& text);
    QByteArray Serialize() const;

    bool HasKey(const QString& key) const;
    void CreateKey(const QString& key);
    const RegValue* Find(const QString& key, const QString& name) const;
    void Set(const QString& key, const QString& name, DWORD type, const QByteArray& data);
    bool Remove(const QString& key, const QString& name);
    const std::vector<RegKey>& Keys() const { return m_keys; }

    // REG_SZ bytes of a text: UTF-16LE with its terminator.
    static QByteArray TextBytes(const QString& text);

private:
    RegKey* FindKey(const QString& key);
    const RegKey* FindKey(const QString& key) const;

    std::vector<RegKey> m_keys;
    QString m_path;
    bool m_unreadable = false;
};
