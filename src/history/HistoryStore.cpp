#include "history/HistoryStore.h"

#include <QFile>

#include <memory>

#include "platform/Folders.h"

namespace {

std::mutex g_instanceLock;
std::unique_ptr<CHistoryStore> g_instance;

QString NoteToFile(const QString& note)
{
    return QString(note).replace(QLatin1String("\r\n"), QLatin1String(kNoteLineBreakToken));
}

QString NoteFromFile(const QString& text)
{
    return QString(text).replace(QLatin1String(kNoteLineBreakToken), QLatin1String("\r\n"));
}

// Case-insensitive equality of an element's UTF-8 text with a key; plain ASCII (every time
// stamp and most handles) is compared without converting.
bool SameText(const char* text, const QString& key, const QByteArray& keyUtf8)
{
    bool ascii = true;
    for (const char* p = text; *p; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        for (char c : keyUtf8)
            if (static_cast<unsigned char>(c) >= 0x80)
                return false; // ASCII never equals non-ASCII, whatever the case
        return qstricmp(text, keyUtf8.constData()) == 0;
    }
    return QString::fromUtf8(text).compare(key, Qt::CaseInsensitive) == 0;
}

} // namespace

CHistoryStore* CHistoryStore::Instance()
{
    std::lock_guard lock(g_instanceLock);
    if (!g_instance)
        g_instance = std::make_unique<CHistoryStore>();
    return g_instance.get();
}

void CHistoryStore::Destroy()
{
    std::lock_guard lock(g_instanceLock);
    g_instance.reset();
}

QString CHistoryStore::DefaultPath()
{
    const QString folder = Folders::AppData();
    return folder.isEmpty() ? QString(kHistoryFileName) : folder + "/" + kHistoryFileName;
}

void CHistoryStore::SetClock(std::function<QDateTime()> clock)
{
    std::lock_guard lock(m_lock);
    m_clock = std::move(clock);
}

void CHistoryStore::Open(const QString& path)
{
    std::lock_guard lock(m_lock);
    m_path = path;
    Invalidate();
    if (!path.isEmpty())
        m_document.Load(path);
}

CXmlNode CHistoryStore::List()
{
    return m_document.GetRoot().GetChild(kXmlList);
}

int CHistoryStore::GetCount()
{
    std::lock_guard lock(m_lock);
    if (!m_document.HasDocument())
        return -1;
    CXmlNode list = List();
    if (!list.IsValid())
        return -1;
    int count = 0;
    for (pugi::xml_node entry = list.Raw().first_child(); entry; entry = entry.next_sibling())
        if (entry.type() == pugi::node_element)
            ++count;
    return count;
}

pugi::xml_node CHistoryStore::EntryAt(int index)
{
    if (index < 0)
        return {};
    pugi::xml_node node;
    int at = 0;
    if (m_cursorIndex >= 0 && m_cursorIndex <= index) {
        node = m_cursor;
        at = m_cursorIndex;
    } else {
        CXmlNode list = List();
        if (!list.IsValid())
            return {};
        node = list.Raw().first_child();
        while (node && node.type() != pugi::node_element)
            node = node.next_sibling();
    }
    while (node && at < index) {
        node = node.next_sibling();
        while (node && node.type() != pugi::node_element)
            node = node.next_sibling();
        ++at;
    }
    if (node) {
        m_cursor = node;
        m_cursorIndex = index;
    }
    return node;
}

bool CHistoryStore::GetRecord(int index, CHistoryRecord& record)
{
    std::lock_guard lock(m_lock);
    if (!m_document.HasDocument())
        return false;
    const CXmlNode entry(EntryAt(index));
    if (!entry.IsValid())
        return false;
    record.name = entry.GetChild(kXmlName).GetText();
    record.time = entry.GetChild(kXmlTime).GetText();
    record.file = entry.GetChild(kXmlFile).GetText();
    record.type = entry.GetChild(kXmlType).GetInt(0);
    record.isNew = entry.GetChild(kXmlNew).GetBool(false);
    record.duration = entry.GetChild(kXmlDuration).GetInt(0);
    record.note = NoteFromFile(entry.GetChild(kXmlNote).GetText());
    return true;
}

CXmlNode CHistoryStore::FindLocked(const QString& name, const QString& time)
{
    if (!m_document.HasDocument())
        return {};
    CXmlNode list = List();
    if (!list.IsValid())
        return {};
    const QByteArray name8 = name.toUtf8();
    const QByteArray time8 = time.toUtf8();
    for (pugi::xml_node node = list.Raw().first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element)
            continue;
        const CXmlNode entry(node);
        // Both children are looked up (and created when missing) before comparing.
        const CXmlNode nameNode = entry.GetChild(kXmlName);
        const CXmlNode timeNode = entry.GetChild(kXmlTime);
        if (SameText(timeNode.Raw().text().get(), time, time8) && SameText(nameNode.Raw().text().get(), name, name8))
            return entry;
    }
    return {};
}

QString CHistoryStore::NewEntryName(CXmlNode list)
{
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTimeUtc();
    QString base = QLatin1String(kXmlEntryPrefix);
    if (now.isValid())
        base += now.toUTC().toString("yyyyMMddHHmmss");
    // Two entries added within one second get distinct names; readers take entries by position.
    QString name = base;
    for (int n = 2; list.Raw().child(name.toUtf8().constData()); ++n)
        name = base + "_" + QString::number(n);
    return name;
}

bool CHistoryStore::SaveLocked()
{
    return m_document.Save(m_path);
}

bool CHistoryStore::Add(const CHistoryRecord& record)
{
    std::lock_guard lock(m_lock);
    if (!m_document.HasDocument() || FindLocked(record.name, record.time).IsValid())
        return false;
    CXmlNode list = List();
    if (!list.IsValid())
        return false;
    const CXmlNode entry(list.Raw().append_child(NewEntryName(list).toUtf8().constData()));
    Invalidate();
    const bool ok = entry.GetChild(kXmlName).SetText(record.name) && entry.GetChild(kXmlTime).SetText(record.time) &&
                    entry.GetChild(kXmlFile).SetText(record.file) && entry.GetChild(kXmlType).SetInt(record.type) &&
                    entry.GetChild(kXmlDuration).SetInt(record.duration) &&
                    entry.GetChild(kXmlNew).SetBool(record.isNew) &&
                    entry.GetChild(kXmlNote).SetText(NoteToFile(record.note));
    if (!ok) {
        entry.Remove();
        return false;
    }
    SaveLocked(); // a failed save is not reported; the entry lives on in memory
    return true;
}

bool CHistoryStore::Remove(const QString& name, const QString& time)
{
    std::lock_guard lock(m_lock);
    const CXmlNode entry = FindLocked(name, time);
    if (!entry.IsValid())
        return false;
    Invalidate();
    if (!entry.Remove())
        return false;
    SaveLocked();
    return true;
}

bool CHistoryStore::MarkPlayed(const QString& name, const QString& time)
{
    std::lock_guard lock(m_lock);
    const CXmlNode entry = FindLocked(name, time);
    if (!entry.IsValid())
        return false;
    if (!entry.GetChild(kXmlNew).SetBool(false))
        return false;
    SaveLocked();
    return true;
}
