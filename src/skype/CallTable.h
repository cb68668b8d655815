#pragma once
// The calls the client has told Kestrel about, in twenty fixed slots. Written on the
// user-interface thread; the statuses are also read by the audio receive threads, so every
// operation takes the table's lock.
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>

#include "skype/SkypeConstants.h"

class CCommandQueue;

struct CallSlot {
    QString callId;
    QString partner;
    int status = CallNoStatus;
    std::int64_t startTime = 0;
};

class CCallTable {
public:
    explicit CCallTable(CCommandQueue& queue);

    int FindOrAdd(const QString& callId);
    int Find(const QString& callId) const;
    int UpdateStatus(const QString& callId, int status);
    int SetPartner(const QString& callId, const QString& handle);
    bool IsPartner(const QString& handle) const;
    int CountWithStatus() const;
    bool AnyActive() const;
    bool AnyWithStatus(int status) const;
    std::pair<QString, QString> EarliestActive() const;
    int StatusAt(int slot) const;
    QString IdAt(int slot) const;
    QString PartnerOf(const QString& callId) const;
    void Clear();

    // The clock slots are stamped with (seconds since 1970 UTC); tests replace it.
    void SetClock(std::function<std::int64_t()> clock);
    CallSlot SlotAt(int slot) const;

private:
    int FindLocked(const QString& trimmedId) const;
    int FindOrAddLocked(const QString& trimmedId, bool& added);

    CCommandQueue& m_queue;
    mutable std::mutex m_lock;
    std::array<CallSlot, kCallSlots> m_slots;
    std::function<std::int64_t()> m_clock;
};
