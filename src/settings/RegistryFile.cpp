#include "settings/RegistryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "platform/AtomicFile.h"
#include "settings/SettingsConstants.h"

namespace {

const char* const kHeader5 = "Windows Registry Editor Version 5.00";
const char* const kHeader4 = "REGEDIT4";
constexpr int kHexBytesPerLine = 24;

QString DecodeFile(const QByteArray& raw)
{
    if (raw.startsWith("\xFF\xFE")) {
        const QByteArray body = raw.mid(2);
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
    }
    if (raw.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(raw.mid(3));
    return QString::fromUtf8(raw);
}

QString Escape(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    for (QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    return out;
}

// Reads a quoted string starting at pos (on the opening quote); pos ends after the closing quote.
bool ReadQuoted(const QString& line, qsizetype& pos, QString& out)
{
    if (pos >= line.size() || line[pos] != u'"')
        return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        const QChar c = line[pos++];
        if (c == u'"')
            return true;
        if (c == u'\\' && pos < line.size() && (line[pos] == u'\\' || line[pos] == u'"')) {
            out += line[pos++];
            continue;
        }
        out += c; // a lone backslash is kept as it stands, so hand-typed paths survive
    }
    return false;
}

bool ParseHexBytes(const QString& text, QByteArray& out)
{
    out.clear();
    const QString compact = QString(text).remove(u' ').remove(u'\t');
    if (compact.isEmpty())
        return true;
    const QStringList parts = compact.split(u',');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() && i == parts.size() - 1)
            break; // a trailing comma
        bool ok = false;
        const uint value = part.toUInt(&ok, 16);
        if (!ok || part.size() > 2 || value > 0xFF)
            return false;
        out.append(static_cast<char>(value));
    }
    return true;
}

bool ParseData(const QString& text, DWORD& type, QByteArray& data)
{
    const QString value = text.trimmed();
    if (value.startsWith(u'"')) {
        qsizetype pos = 0;
        QString str;
        if (!ReadQuoted(value, pos, str) || !value.mid(pos).trimmed().isEmpty())
            return false;
        type = REG_SZ;
        data = CRegistryFile::TextBytes(str);
        return true;
    }
    if (value.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = value.mid(6).trimmed();
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8)
            return false;
        type = REG_DWORD;
        data.resize(4);
        for (int i = 0; i < 4; ++i)
            data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
        return true;
    }
    if (value.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
        type = REG_BINARY;
        return ParseHexBytes(value.mid(4), data);
    }
    if (value.startsWith(QLatin1String("hex("), Qt::CaseInsensitive)) {
        const qsizetype close = value.indexOf(QLatin1String("):"));
        if (close < 0)
            return false;
        bool ok = false;
        type = value.mid(4, close - 4).toUInt(&ok, 16);
        return ok && ParseHexBytes(value.mid(close + 2), data);
    }
    return false;
}

QString HexList(const QByteArray& data, qsizetype firstLineLength)
{
    QString out;
    qsizetype lineLength = firstLineLength;
    for (qsizetype i = 0; i < data.size(); ++i) {
        out += QString::asprintf("%02x", static_cast<unsigned char>(data[i]));
        lineLength += 2;
        if (i + 1 < data.size()) {
            out += u',';
            ++lineLength;
            if (lineLength > 3 * kHexBytesPerLine + 2) {
                out += QLatin1String("\\\n  ");
                lineLength = 2;
            }
        }
    }
    return out;
}

// The text of REG_SZ bytes when they are exactly a one-line text and its terminator.
bool AsQuotable(const QByteArray& data, QString& text)
{
    if (data.size() < 2 || data.size() % 2 != 0 || data[data.size() - 1] != 0 || data[data.size() - 2] != 0)
        return false;
    text = QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData()), data.size() / 2 - 1);
    for (QChar c : text)
        if (c == QChar(0) || c == u'\r' || c == u'\n')
            return false;
    return true;
}

QString FormatValue(const RegValue& value)
{
    QString line = value.name.isEmpty() ? QStringLiteral("@=") : u'"' + Escape(value.name) + QStringLiteral("\"=");
    QString text;
    if (value.type == REG_SZ && AsQuotable(value.data, text))
        return line + u'"' + Escape(text) + u'"';
    if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD number = 0;
        for (int i = 0; i < 4; ++i)
            number |= DWORD(static_cast<unsigned char>(value.data[i])) << (8 * i);
        return line + QString::asprintf("dword:%08x", number);
    }
    line += value.type == REG_BINARY ? QStringLiteral("hex:") : QString::asprintf("hex(%x):", value.type);
    return line + HexList(value.data, line.size());
}

} // namespace

QByteArray CRegistryFile::TextBytes(const QString& text)
{
    QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    bytes.append(2, '\0');
    return bytes;
}

CRegistryFile::LoadResult CRegistryFile::Load(const QString& path)
{
    m_path = path;
    m_keys.clear();
    m_unreadable = false;
    QFile file(path);
    if (!file.exists())
        return LoadResult::Missing;
    if (!file.open(QIODevice::ReadOnly) || !Parse(file.readAll())) {
        m_keys.clear();
        m_unreadable = true;
        return LoadResult::Unreadable;
    }
    return LoadResult::Loaded;
}

bool CRegistryFile::Save()
{
    if (m_path.isEmpty())
        return false;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    if (m_unreadable) {
        // Never replace a file we could not read: keep it beside the new one.
        if (!AtomicFile::MoveAside(m_path))
            return false;
        m_unreadable = false;
    }
    return AtomicFile::Write(m_path, Serialize());
}

bool CRegistryFile::Parse(const QByteArray& raw)
{
    m_keys.clear();
    const QString text = DecodeFile(raw);
    const QStringList rawLines = text.split(u'\n');

    // Join continuation lines (a hex list ending in "\").
    QStringList lines;
    QString pending;
    for (QString line : rawLines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!pending.isEmpty()) {
            if (line.trimmed().isEmpty())
                return false; // a continued hex list must go on on the next line
            pending += line.trimmed();
        } else {
            pending = line;
        }
        if (pending.endsWith(u'\\') && pending.contains(QLatin1String("=hex"), Qt::CaseInsensitive)) {
            pending.chop(1);
            continue;
        }
        lines.append(pending);
        pending.clear();
    }
    if (!pending.isEmpty())
        return false;

    bool first = true;
    RegKey* current = nullptr;
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';'))
            continue;
        if (first) {
            first = false;
            if (trimmed == QLatin1String(kHeader5) || trimmed == QLatin1String(kHeader4))
                continue;
        }
        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']') || trimmed.size() < 3 || trimmed[1] == u'-')
                return (m_keys.clear(), false);
            const QString path = trimmed.mid(1, trimmed.size() - 2);
            CreateKey(path);
            current = FindKey(path);
            continue;
        }
        if (!current)
            return (m_keys.clear(), false);
        QString name;
        qsizetype pos = 0;
        if (trimmed.startsWith(u'@')) {
            pos = 1;
        } else if (!ReadQuoted(trimmed, pos, name)) {
            return (m_keys.clear(), false);
        }
        while (pos < trimmed.size() && trimmed[pos].isSpace())
            ++pos;
        if (pos >= trimmed.size() || trimmed[pos] != u'=')
            return (m_keys.clear(), false);
        DWORD type = 0;
        QByteArray data;
        if (!ParseData(trimmed.mid(pos + 1), type, data))
            return (m_keys.clear(), false);
        Set(current->path, name, type, data);
    }
    return true;
}

QByteArray CRegistryFile::Serialize() const
{
    QString out = QLatin1String(kHeader5) + QStringLiteral("\n");
    for (const RegKey& key : m_keys) {
        out += QStringLiteral("\n[") + key.path + QStringLiteral("]\n");
        for (const RegValue& value : key.values)
            out += FormatValue(value) + u'\n';
    }
    return out.toUtf8();
}

RegKey* CRegistryFile::FindKey(const QString& key)
{
    for (RegKey& k : m_keys)
        if (k.path.compare(key, Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

const RegKey* CRegistryFile::FindKey(const QString& key) const
{
    return const_cast<CRegistryFile*>(this)->FindKey(key);
}

bool CRegistryFile::HasKey(const QString& key) const { return FindKey(key) != nullptr; }

void CRegistryFile::CreateKey(const QString& key)
{
    if (!FindKey(key))
        m_keys.push_back(RegKey{key, {}});
}

const RegValue* CRegistryFile::Find(const QString& key, const QString& name) const
{
    const RegKey* k = FindKey(key);
    if (!k)
        return nullptr;
    for (const RegValue& v : k->values)
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return &v;
    return nullptr;
}

void CRegistryFile::Set(const QString& key, const QString& name, DWORD type, const QByteArray& data)
{
    CreateKey(key);
    RegKey* k = FindKey(key);
    for (RegValue& v : k->values) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) {
            v.type = type;
            v.data = data;
            return;
        }
    }
    k->values.push_back(RegValue{name, type, data});
}

bool CRegistryFile::Remove(const QString& key, const QString& name)
{
    RegKey* k = FindKey(key);
    if (!k)
        return false;
    for (auto it = k->values.begin(); it != k->values.end(); ++it) {
        if (it->name.compare(name, Qt::CaseInsensitive) == 0) {
            k->values.erase(it);
            return true;
        }
    }
    return false;
}
