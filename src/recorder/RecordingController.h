#pragma once
// The main window's recording logic: turns the link's call events and the Start/Stop and
// Pause/Resume buttons into recordings, names the files, hands the encoder settings and the
// side selection to the capture object, counts the elapsed time, and writes one history entry
// per finished recording.
//
// Everything runs on the user-interface thread. The main window owns the controller (created
// once the link, the capture object, the history store and the settings exist) and forwards:
//   WM_SKYPE_CALL (wParam, lParam)  -> OnSkypeCall
//   command of control 1001         -> OnStartStop
//   command of control 1002         -> OnPauseResume
//   WM_RECORDING_FINISH             -> OnRecordingFinish (posted to view.RecorderWindow())
// The elapsed-time timer (ID_TIMER_ELAPSED) is a QTimer owned by the controller; its period
// comes from RecorderTimings, so tests shorten it. The window reads Elapsed() and State()
// when it paints its elapsed box, and sets UiReady through SetUiState once attached.
//
// Destroying the controller finishes nothing: a recording still running at program exit gets
// no history entry (the capture object's shutdown closes its file).
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>

#include "platform/MessageWindow.h"
#include "recorder/CurrentRecording.h"
#include "recorder/RecorderConstants.h"
#include "recorder/RecorderView.h"

class CAudioCapture;
class CGeneralProfile;
class CHistoryStore;
class CSkypeLink;

// The long-lived objects the controller works with; the main window owns them.
struct RecorderParts {
    CSkypeLink* link = nullptr;
    CAudioCapture* capture = nullptr;
    CHistoryStore* history = nullptr;
    CGeneralProfile* profile = nullptr;
};

class CRecordingController {
public:
    CRecordingController(IRecorderView& view, const RecorderParts& parts, RecorderTimings timings = {});
    ~CRecordingController();
    CRecordingController(const CRecordingController&) = delete;
    CRecordingController& operator=(const CRecordingController&) = delete;

    // WM_SKYPE_CALL: wParam the call-table slot (-1 or out of range: no call), lParam 2 for a
    // status change (anything else is ignored).
    void OnSkypeCall(WPARAM slot, LPARAM what);
    // Control 1001: stops an active recording, or starts one on the earliest active call.
    void OnStartStop();
    // Control 1002: pauses a running recording or resumes a paused one.
    void OnPauseResume();
    // WM_RECORDING_FINISH: finishes the file and writes the history entry. Only the message
    // posted by a stop does anything.
    void OnRecordingFinish();
    // One ID_TIMER_ELAPSED tick: one more second, redrawn.
    void OnElapsedTick();

    // Adds a call id to the recording's calls (once, letter case aside).
    void AddCallToRecording(const QString& callId);

    // Recording, Paused or Resumed, and not yet stopped.
    bool IsActive() const;
    // Stopped or Idle.
    bool IsIdle() const;
    // Stopped by the user or the calls' end, waiting for WM_RECORDING_FINISH.
    bool IsFinishPending() const { return m_finishPending; }

    UiState State() const { return m_uiState; }
    void SetUiState(UiState state) { m_uiState = state; }
    std::uint64_t Elapsed() const { return m_elapsed; }
    bool ElapsedTimerRunning() const { return m_elapsedTimer.isActive(); }
    const CCurrentRecording& Current() const { return m_current; }

    // The clock of start times, durations and file names (seconds since 1970 UTC); tests
    // replace it.
    void SetClock(std::function<std::int64_t()> clock);

    // Encoder settings by the settings' indexes; 0 for an index outside the table.
    static std::uint32_t SampleRateForIndex(int index);
    static std::uint32_t BitRateForIndex(int index);
    static int ModeForIndex(int index);
    // The name a recording is known by: "undisclosed_pstn" for a handle containing
    // "undisclosed_pstn:", otherwise the handle unchanged.
    static QString RecordingName(const QString& partner);
    // The name as it may stand in a file name: "/", "\" and NUL become "_", so the file always
    // lands in the recording folder.
    static QString FileNamePart(const QString& name);
    // The local time of a moment as "%Y-%m-%d_%H-%M-%S".
    static QString FileTimeStamp(std::int64_t secondsSince1970);
    // folder + "/" + FileNamePart(name) + "_" + time stamp (without ".mp3").
    static QString BasePath(const QString& folder, const QString& name, std::int64_t secondsSince1970);

private:
    void StartRecording();
    void StopRecording();
    void StartElapsedTimer();
    void StopElapsedTimer();
    std::int64_t Now() const;

    IRecorderView& m_view;
    RecorderParts m_parts;
    RecorderTimings m_timings;
    CCurrentRecording m_current;
    UiState m_uiState = UiWaiting;
    std::uint64_t m_elapsed = 0;
    bool m_finishPending = false;
    QTimer m_elapsedTimer;
    std::function<std::int64_t()> m_clock;
};
