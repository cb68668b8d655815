#pragma once
// The recording in progress (or the last one): what becomes its history entry, when it began,
// and the client's call ids that belong to it. One object for the whole run, owned by the
// recording controller. User-interface thread only.
#include <QString>

#include <cstdint>

#include "history/HistoryRecord.h"

class CCurrentRecording {
public:
    // Fills the fields of a new recording. The call ids are left as they are: the caller adds
    // the recording's first call with AddCall.
    void Begin(int type, const QString& name, std::int64_t startTime, const QString& file);
    // The finished recording as a history entry: duration = now - startTime in whole seconds
    // (a pause counts), the other fields copied.
    CHistoryRecord End(std::int64_t now) const;

    // Appends callId to the recording's calls unless an element equals it (letter case aside).
    void AddCall(const QString& callId);
    // Whether the text of the call ids contains callId anywhere (a plain text search, so "12"
    // is found in "112").
    bool CallIdsContain(const QString& callId) const;
    void ClearCalls() { callIds.clear(); }

    int type = 0;
    bool isNew = true;
    int duration = 0;
    QString name;
    QString time; // start, seconds since 1970-01-01 UTC in decimal
    QString file;
    QString note;
    std::int64_t startTime = 0;
    QString callIds; // comma-separated, in the order the calls joined
};
