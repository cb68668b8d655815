#pragma once
// Shared pieces of the recording controller's tests: a view that records every call the
// controller makes and forwards the window messages the main window would forward, PCM
// helpers, and a tone detector for checking which channel carries which side.
#include <QDir>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ostream>
#include <vector>

#include "history/HistoryRecord.h"
#include "platform/MessageWindow.h"
#include "recorder/RecorderView.h"
#include "recorder/RecordingController.h"
#include "skype/SkypeConstants.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace rectest {

// Stands in for the main window: it keeps a log of the controller's calls and hands
// WM_SKYPE_CALL and WM_RECORDING_FINISH to the controller, as the main window does.
class RecordingView : public CMessageWindow, public IRecorderView {
public:
    ~RecordingView() override { DestroyWindowHandle(); }

    bool OnWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT&) override
    {
        if (msg == WM_SKYPE_CALL) {
            ++skypeCalls;
            if (controller)
                controller->OnSkypeCall(w, l);
        } else if (msg == WM_RECORDING_FINISH) {
            ++finishMessages;
            if (controller)
                controller->OnRecordingFinish();
        }
        return true;
    }

    void ShowStartButton() override { Log("start-look"); startLook = true; pauseEnabled = false; }
    void ShowStopButton() override { Log("stop-look"); startLook = false; pauseEnabled = true; }
    void ShowPauseButton() override { Log("pause-look"); pauseLook = true; }
    void ShowResumeButton() override { Log("resume-look"); pauseLook = false; }
    void EnableControl(int id, bool enable) override
    {
        Log(QStringLiteral("enable %1 %2").arg(id).arg(enable ? 1 : 0));
        if (id == IDC_START_STOP)
            startStopEnabled = enable;
    }
    void SetStatusText(const QString& text, COLORREF colour) override
    {
        Log(QStringLiteral("status %1 %2").arg(text, colour == kStatusRed ? "red" : colour == kStatusBlack ? "black" : "other"));
        statusText = text;
        statusColour = colour;
    }
    void ResetLevelMeters() override { Log("meters 0"); }
    void DrawElapsed(std::uint64_t elapsed, UiState state) override
    {
        lastElapsed = elapsed;
        lastState = state;
        ++draws;
        if (elapsed == 0)
            Log(QStringLiteral("elapsed 0 %1").arg(int(state)));
    }
    void BringToFront() override { Log("front"); }
    void ShowHistoryWindow() override { Log("history-window"); }
    void AddHistoryRecord(const CHistoryRecord& record) override
    {
        Log("history-add");
        added.push_back(record);
    }
    HWND RecorderWindow() const override { return Handle(); }

    void Log(const QString& s) { log << s; }
    // The log since the last Take.
    QStringList Take()
    {
        QStringList l = log;
        log.clear();
        return l;
    }

    CRecordingController* controller = nullptr;
    QStringList log;
    int skypeCalls = 0;
    int finishMessages = 0;
    bool startLook = true;
    bool pauseLook = true;
    bool pauseEnabled = false;
    bool startStopEnabled = false;
    QString statusText;
    COLORREF statusColour = 0;
    std::uint64_t lastElapsed = 0;
    UiState lastState = UiWaiting;
    int draws = 0;
    std::vector<CHistoryRecord> added;
};

// 16 kHz mono PCM bytes of a tone, continuing at sample `phase`.
inline std::vector<std::uint8_t> ToneBytes(double hz, long samples, long phase)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(samples) * 2);
    for (long i = 0; i < samples; ++i) {
        const double v = 9000.0 * std::sin(2.0 * M_PI * hz * double(phase + i) / 16000.0);
        const auto s = static_cast<std::int16_t>(std::lround(v));
        std::memcpy(out.data() + 2 * i, &s, 2);
    }
    return out;
}

// Goertzel power of one frequency over samples [from, to).
inline double TonePower(const std::vector<std::int16_t>& s, double rate, double hz, std::size_t from, std::size_t to)
{
    const double k = 2.0 * std::cos(2.0 * M_PI * hz / rate);
    double s1 = 0, s2 = 0;
    for (std::size_t i = from; i < to && i < s.size(); ++i) {
        const double s0 = s[i] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

// Files in a folder, by name.
inline QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace rectest
