#pragma once
// What the recording controller needs of the main window. The main window implements it and
// hands its window messages and button commands to the controller; tests implement it with a
// recorder of calls.
#include <QString>

#include <cstdint>

#include "platform/MessageWindow.h"
#include "recorder/RecorderConstants.h"

class CHistoryRecord;

class IRecorderView {
public:
    virtual ~IRecorderView() = default;

    // Looks of control 1001: Start Recording (also disables control 1002) or Stop Recording
    // (also enables control 1002).
    virtual void ShowStartButton() = 0;
    virtual void ShowStopButton() = 0;
    // Looks of control 1002: Pause Recording or Resume Recording.
    virtual void ShowPauseButton() = 0;
    virtual void ShowResumeButton() = 0;
    // Enables or disables a control (the controller uses IDC_START_STOP).
    virtual void EnableControl(int controlId, bool enable) = 0;
    // Text and colour of the status label (control 1009).
    virtual void SetStatusText(const QString& text, COLORREF colour) = 0;
    // Both level meters (1005, 1006) to 0, repainted.
    virtual void ResetLevelMeters() = 0;
    // Redraws the elapsed-time box: the counter as "%H:%M:%S" when not 0, otherwise "Ready" or
    // "Waiting..." by the state.
    virtual void DrawElapsed(std::uint64_t elapsedSeconds, UiState state) = 0;
    // Shows the main window normally and makes it the foreground window.
    virtual void BringToFront() = 0;
    // Shows the history window.
    virtual void ShowHistoryWindow() = 0;
    // Adds a finished recording to the history window's tree and recounts its totals.
    virtual void AddHistoryRecord(const CHistoryRecord& record) = 0;
    // The window WM_RECORDING_FINISH is posted to; it hands the message to
    // CRecordingController::OnRecordingFinish.
    virtual HWND RecorderWindow() const = 0;
};
