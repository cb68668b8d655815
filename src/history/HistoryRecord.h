#pragma once
// One history entry: a plain value filled by the recording controller, kept by the history
// store and shown by the history window.
#include <QString>

#include "history/HistoryConstants.h"

class CHistoryRecord {
public:
    int type = RecordUnspecified;
    bool isNew = true;    // not yet played to its end
    int duration = 0;     // whole seconds
    QString name;         // partner's Skype name(s), joined with ","
    QString time;         // start: seconds since 1970-01-01 UTC, decimal
    QString file;         // full path of the MP3 file
    QString note;         // free text; may hold "\r\n"
};
