#pragma once
// The user's contacts with full names and online status, in the order they became known.
// Written by the parser, read by the history window; every operation holds the list's lock.
#include <QString>

#include <mutex>
#include <vector>

struct ContactEntry {
    QString handle;
    QString fullName;
    int status = 0;
};

class CContactList {
public:
    void Add(const QString& handle);
    QString FullNameOf(const QString& handle) const;
    int SetFullName(const QString& handle, const QString& fullName);
    bool SetStatus(const QString& handle, int status);
    bool Remove(const QString& handle);
    QString DisplayNames(const QString& handles) const;

    std::vector<ContactEntry> Entries() const;

private:
    mutable std::mutex m_lock;
    std::vector<ContactEntry> m_entries;
};
