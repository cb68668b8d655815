#pragma once
// Kestrel's one settings record. Windows and engines read the fields directly at the moment of
// use; whoever changes a field calls SetChanged() and Save(). User-interface thread only.
#include <QString>

#include "settings/ProfileBase.h"

class CGeneralProfile : public CProfileBase {
public:
    // The process's record, built with its defaults on first request.
    static CGeneralProfile* Instance();
    // Frees the record (at the end of the run; a later Instance builds a fresh one).
    static void Release();

    // Writes every value, in a fixed order, when the changed flag is set; otherwise nothing.
    bool Save() override;
    // Reads every value with the field's content as the default; a value missing from the
    // registry (or too large for its buffer) is written back with that content.
    bool Load() override;
    bool SetDefaults() override;

    bool autostart = false;
    QString position; // main window "%d,%d,%d,%d" (left, top, right, bottom)
    QString hispos;   // history window, same format
    bool notifycov = true;
    bool notifyfinish = true;
    bool notifyhistory = true;
    bool starthide = false;
    bool rectype = true; // record automatically
    int recside = 0;     // 0 both sides, 1 my side, 2 the remote side
    QString sfolder;     // folder for new recordings
    int amode = 1;       // 0 mono, 1 stereo, 2 joint stereo
    int abitrate = 1;    // index into 32, 64, 96, 128, 192, 256 kbps
    int asample = 1;     // index into 16000, 32000, 44100, 48000 Hz
    bool chatreply = true;
    bool onlinereply = false;
    bool notonlinereply = true;
    QString replytxt;
    bool topmost = false;
    bool sticksky = false;

    CGeneralProfile();

private:
    bool ReadFlag(const char* name, bool current);
};
