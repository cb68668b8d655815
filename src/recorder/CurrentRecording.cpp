#include "recorder/CurrentRecording.h"

#include <QStringList>

void CCurrentRecording::Begin(int recordType, const QString& displayName, std::int64_t start, const QString& path)
{
    type = recordType;
    isNew = true;
    duration = 0;
    name = displayName;
    startTime = start;
    time = QString::number(static_cast<qint64>(start));
    file = path;
    note.clear();
}

CHistoryRecord CCurrentRecording::End(std::int64_t now) const
{
    CHistoryRecord record;
    record.type = type;
    record.isNew = isNew;
    record.duration = static_cast<int>(now - startTime);
    record.name = name;
    record.time = time;
    record.file = file;
    record.note = note;
    return record;
}

void CCurrentRecording::AddCall(const QString& callId)
{
    if (callIds.isEmpty()) {
        callIds = callId;
        return;
    }
    const QStringList ids = callIds.split(u',');
    for (const QString& id : ids)
        if (id.compare(callId, Qt::CaseInsensitive) == 0)
            return;
    callIds += u',';
    callIds += callId;
}

bool CCurrentRecording::CallIdsContain(const QString& callId) const
{
    return callIds.contains(callId);
}
