#include "skype/CallPartnerMap.h"

#include <QStringList>

#include "skype/SkypeText.h"

void CCallPartnerMap::Set(const QString& callId, const QString& handle)
{
    for (auto& [id, partner] : m_pairs) {
        if (SkypeText::EqualsNoCase(id, callId)) {
            partner = handle;
            return;
        }
    }
    m_pairs.emplace_back(callId, handle);
}

QString CCallPartnerMap::Lookup(const QString& callId) const
{
    for (const auto& [id, partner] : m_pairs)
        if (SkypeText::EqualsNoCase(id, callId))
            return partner;
    return callId;
}

QString CCallPartnerMap::MapList(const QString& callIds) const
{
    QStringList mapped;
    for (const QString& piece : callIds.split(u',', Qt::SkipEmptyParts))
        mapped << Lookup(piece);
    return mapped.join(u',');
}
