#include "skype/CallTable.h"

#include <QDateTime>

#include "skype/CommandQueue.h"
#include "skype/SkypeText.h"

CCallTable::CCallTable(CCommandQueue& queue)
    : m_queue(queue), m_clock([] { return QDateTime::currentSecsSinceEpoch(); })
{
}

void CCallTable::SetClock(std::function<std::int64_t()> clock)
{
    std::lock_guard lock(m_lock);
    m_clock = std::move(clock);
}

int CCallTable::FindLocked(const QString& id) const
{
    if (id.isEmpty())
        return kNoSlot;
    for (int i = 0; i < kCallSlots; ++i)
        if (m_slots[i].callId == id)
            return i;
    return kNoSlot;
}

int CCallTable::FindOrAddLocked(const QString& id, bool& added)
{
    added = false;
    if (id.isEmpty())
        return kNoSlot;
    int slot = FindLocked(id);
    if (slot != kNoSlot)
        return slot;
    for (int i = 0; i < kCallSlots; ++i) {
        if (m_slots[i].callId.isEmpty()) {
            m_slots[i] = CallSlot{id, QString(), CallNoStatus, m_clock()};
            added = true;
            return i;
        }
    }
    return kNoSlot;
}

int CCallTable::FindOrAdd(const QString& callId)
{
    const QString id = SkypeText::Trim(callId);
    bool added = false;
    int slot;
    {
        std::lock_guard lock(m_lock);
        slot = FindOrAddLocked(id, added);
    }
    // Ask the client for the new call's partner; queued outside the table's lock.
    if (added)
        m_queue.Enqueue("get call " + id + " partner_handle");
    return slot;
}

int CCallTable::Find(const QString& callId) const
{
    std::lock_guard lock(m_lock);
    return FindLocked(SkypeText::Trim(callId));
}

int CCallTable::UpdateStatus(const QString& callId, int status)
{
    int slot = Find(callId);
    if (slot == kNoSlot) {
        if (status != CallRouting && status != CallEarlyMedia && status != CallRinging && status != CallInProgress &&
            status != CallOnHold)
            return kNoSlot;
        slot = FindOrAdd(callId);
        if (slot == kNoSlot)
            return kNoSlot;
    }
    std::lock_guard lock(m_lock);
    m_slots[slot].status = status;
    return slot;
}

int CCallTable::SetPartner(const QString& callId, const QString& handle)
{
    const int slot = FindOrAdd(callId);
    if (slot != kNoSlot) {
        std::lock_guard lock(m_lock);
        m_slots[slot].partner = handle;
    }
    return slot;
}

bool CCallTable::IsPartner(const QString& handle) const
{
    std::lock_guard lock(m_lock);
    for (const auto& s : m_slots)
        if (SkypeText::EqualsNoCase(s.partner, handle))
            return true;
    return false;
}

int CCallTable::CountWithStatus() const
{
    std::lock_guard lock(m_lock);
    int n = 0;
    for (const auto& s : m_slots)
        if (!s.callId.isEmpty() && s.status != CallNoStatus)
            ++n;
    return n;
}

bool CCallTable::AnyActive() const
{
    std::lock_guard lock(m_lock);
    for (const auto& s : m_slots)
        if (!s.callId.isEmpty() && (s.status == CallInProgress || s.status == CallOnHold))
            return true;
    return false;
}

bool CCallTable::AnyWithStatus(int status) const
{
    std::lock_guard lock(m_lock);
    for (const auto& s : m_slots)
        if (!s.callId.isEmpty() && s.status == status)
            return true;
    return false;
}

std::pair<QString, QString> CCallTable::EarliestActive() const
{
    std::lock_guard lock(m_lock);
    std::int64_t best = m_clock();
    QString id, partner;
    for (const auto& s : m_slots) {
        if (!s.callId.isEmpty() && (s.status == CallInProgress || s.status == CallOnHold) && s.startTime <= best) {
            id = s.callId;
            partner = s.partner;
            best = s.startTime;
        }
    }
    return {id, partner};
}

int CCallTable::StatusAt(int slot) const
{
    if (slot < 0 || slot >= kCallSlots)
        return CallNoStatus;
    std::lock_guard lock(m_lock);
    return m_slots[slot].status;
}

QString CCallTable::IdAt(int slot) const
{
    if (slot < 0 || slot >= kCallSlots)
        return QString();
    std::lock_guard lock(m_lock);
    return m_slots[slot].callId;
}

CallSlot CCallTable::SlotAt(int slot) const
{
    if (slot < 0 || slot >= kCallSlots)
        return CallSlot{};
    std::lock_guard lock(m_lock);
    return m_slots[slot];
}

QString CCallTable::PartnerOf(const QString& callId) const
{
    std::lock_guard lock(m_lock);
    for (const auto& s : m_slots)
        if (s.callId == callId)
            return s.partner;
    return QString();
}

void CCallTable::Clear()
{
    std::lock_guard lock(m_lock);
    for (auto& s : m_slots)
        s = CallSlot{};
}
