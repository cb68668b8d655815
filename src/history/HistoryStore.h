#pragma once
// The recording history: one XML file, record.xml in Folders::AppData(), held as a DOM for the
// whole run. Entries are read out at start-up; every Add, Remove and MarkPlayed writes the whole
// file back at once (atomically), so nothing is left to save at exit. Entries are identified by
// (name, time), compared without regard to letter case.
#include <QDateTime>
#include <QString>

#include <functional>
#include <mutex>

#include "history/HistoryRecord.h"
#include "history/XmlDocument.h"

class CHistoryStore {
public:
    // The process's store, created on first call (no file, no document).
    static CHistoryStore* Instance();
    // Frees the store; nothing is saved.
    static void Destroy();
    // The history file: Folders::AppData() + "/record.xml".
    static QString DefaultPath();

    CHistoryStore() = default;

    // Loads the file (or starts a new document when there is none); the outcome is not reported.
    void Open(const QString& path);
    // Number of entries, or -1 when there is no document.
    int GetCount();
    // Fills record from the entry at index; false when there is no such entry.
    bool GetRecord(int index, CHistoryRecord& record);
    // Appends the record and saves; false when an entry with its name and time exists.
    bool Add(const CHistoryRecord& record);
    // Removes the matching entry and saves; false when none matches.
    bool Remove(const QString& name, const QString& time);
    // Sets the matching entry's "new" to false and saves; false when none matches.
    bool MarkPlayed(const QString& name, const QString& time);

    const QString& Path() const { return m_path; }
    // The clock that names new entries (UTC); tests fix it.
    void SetClock(std::function<QDateTime()> clock);

private:
    CXmlNode List();
    // The entry matching (name, time), or an invalid node. Holds no lock itself.
    CXmlNode FindLocked(const QString& name, const QString& time);
    // The index-th entry; sequential walks from GetRecord are O(1) per step.
    pugi::xml_node EntryAt(int index);
    QString NewEntryName(CXmlNode list);
    bool SaveLocked();
    void Invalidate() { m_cursorIndex = -1; }

    std::mutex m_lock;
    CXmlDocument m_document;
    QString m_path;
    std::function<QDateTime()> m_clock;
    int m_cursorIndex = -1;
    pugi::xml_node m_cursor;
};
