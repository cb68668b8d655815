#pragma once
// For every call seen in this run, the partner the client reported. User-interface thread only.
#include <QString>

#include <utility>
#include <vector>

class CCallPartnerMap {
public:
    void Set(const QString& callId, const QString& handle);
    QString Lookup(const QString& callId) const;
    QString MapList(const QString& callIds) const;

private:
    std::vector<std::pair<QString, QString>> m_pairs;
};
