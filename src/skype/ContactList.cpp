#include "skype/ContactList.h"

#include <QStringList>

#include "skype/SkypeConstants.h"
#include "skype/SkypeText.h"

void CContactList::Add(const QString& handle)
{
    std::lock_guard lock(m_lock);
    for (const auto& e : m_entries)
        if (e.handle == handle)
            return;
    m_entries.push_back({handle, QString(), handle.startsWith(u'+') ? int(OnlineSkypeOut) : int(OnlineUnknown)});
}

QString CContactList::FullNameOf(const QString& handle) const
{
    std::lock_guard lock(m_lock);
    for (const auto& e : m_entries)
        if (e.handle == handle)
            return e.fullName;
    return QString();
}

int CContactList::SetFullName(const QString& handle, const QString& fullName)
{
    std::lock_guard lock(m_lock);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].handle == handle) {
            m_entries[i].fullName = fullName;
            return static_cast<int>(i);
        }
    }
    m_entries.push_back({handle, fullName, OnlineUnknown});
    return -1;
}

bool CContactList::SetStatus(const QString& handle, int status)
{
    std::lock_guard lock(m_lock);
    for (auto& e : m_entries) {
        if (SkypeText::EqualsNoCase(e.handle, handle)) {
            e.status = status;
            return true;
        }
    }
    return false;
}

bool CContactList::Remove(const QString& handle)
{
    std::lock_guard lock(m_lock);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->handle == handle) {
            m_entries.erase(it);
            return true;
        }
    }
    return false;
}

QString CContactList::DisplayNames(const QString& handles) const
{
    QString result;
    for (const QString& piece : handles.split(u',', Qt::SkipEmptyParts)) {
        QString name = FullNameOf(piece);
        if (name.isEmpty())
            name = piece;
        result = result.isEmpty() ? name : result + " | " + name;
    }
    return result;
}

std::vector<ContactEntry> CContactList::Entries() const
{
    std::lock_guard lock(m_lock);
    return m_entries;
}
