#include "recorder/RecordingController.h"

#include <QDateTime>

#include <ctime>

#include "audio/AudioCapture.h"
#include "history/HistoryStore.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeLink.h"

namespace {

template <class Table>
auto AtIndex(const Table& table, int index) -> typename Table::value_type
{
    if (index < 0 || index >= static_cast<int>(table.size()))
        return typename Table::value_type{};
    return table[static_cast<std::size_t>(index)];
}

bool IsEndingStatus(int status)
{
    switch (status) {
    case CallFailed:
    case CallFinished:
    case CallMissed:
    case CallRefused:
    case CallBusy:
    case CallCancelled:
        return true;
    default:
        return false;
    }
}

} // namespace

CRecordingController::CRecordingController(IRecorderView& view, const RecorderParts& parts, RecorderTimings timings)
    : m_view(view), m_parts(parts), m_timings(timings), m_clock([] { return QDateTime::currentSecsSinceEpoch(); })
{
    m_elapsedTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_elapsedTimer, &QTimer::timeout, &m_elapsedTimer, [this] { OnElapsedTick(); });
}

CRecordingController::~CRecordingController()
{
    // Nothing is finished here: a recording running at exit gets no history entry.
    m_elapsedTimer.stop();
}

void CRecordingController::SetClock(std::function<std::int64_t()> clock)
{
    m_clock = clock ? std::move(clock) : [] { return QDateTime::currentSecsSinceEpoch(); };
}

std::int64_t CRecordingController::Now() const { return m_clock(); }

bool CRecordingController::IsActive() const
{
    const RecordingState state = m_parts.capture->GetRecordingState();
    return !m_finishPending && (state == RecordingState::Recording || state == RecordingState::Paused ||
                                state == RecordingState::Resumed);
}

bool CRecordingController::IsIdle() const
{
    const RecordingState state = m_parts.capture->GetRecordingState();
    return state == RecordingState::Stopped || state == RecordingState::Idle;
}

void CRecordingController::OnSkypeCall(WPARAM w, LPARAM what)
{
    if (what != kCallStatusRecorded)
        return;
    const std::int64_t signedSlot = static_cast<std::int64_t>(w);
    const int slot = signedSlot >= 0 && signedSlot < kCallSlots ? static_cast<int>(signedSlot) : kNoSlot;
    CCallTable& calls = m_parts.link->CallTable();
    const int status = slot == kNoSlot ? CallNoStatus : calls.StatusAt(slot);
    const QString callId = slot == kNoSlot ? QString() : calls.IdAt(slot);
    const CGeneralProfile& profile = *m_parts.profile;

    if (status == CallInProgress) {
        if (IsIdle()) {
            if (profile.notifycov)
                m_view.BringToFront();
            if (profile.rectype)
                OnStartStop();
        }
        m_view.EnableControl(IDC_START_STOP, true);
        if (IsActive() && !callId.isEmpty())
            AddCallToRecording(callId);
        return;
    }

    if (IsEndingStatus(status)) {
        if (IsActive() && m_current.CallIdsContain(callId) && !calls.AnyActive()) {
            if (profile.notifyfinish)
                m_view.BringToFront();
            if (profile.notifyhistory)
                m_view.ShowHistoryWindow();
            OnStartStop();
        }
        if (!calls.AnyActive()) {
            m_parts.link->ResetCallState();
            m_view.EnableControl(IDC_START_STOP, false);
        }
    }
    // Any other status (ringing, routing, on hold, ...) changes nothing: holding a call does not
    // pause its recording.
}

void CRecordingController::OnStartStop()
{
    if (m_finishPending)
        return; // already stopped; the file is being finished
    if (IsActive())
        StopRecording();
    else if (IsIdle())
        StartRecording();
}

void CRecordingController::StopRecording()
{
    m_finishPending = true;
    PostMessage(m_view.RecorderWindow(), WM_RECORDING_FINISH, 0, 0);
    m_view.ShowStartButton();
    m_view.ShowPauseButton();
    m_view.ResetLevelMeters();
    m_view.SetStatusText(QString::fromLatin1(kTextReadyForRecording), kStatusBlack);
    m_uiState = UiReady;
    StopElapsedTimer();
    m_elapsed = 0;
    m_view.DrawElapsed(m_elapsed, m_uiState);
}

void CRecordingController::StartRecording()
{
    CCallTable& calls = m_parts.link->CallTable();
    const auto [callId, partner] = calls.EarliestActive();
    if (callId.isEmpty())
        return;

    m_view.SetStatusText(QString::fromLatin1(kTextRecordingInProgress), kStatusRed);
    m_uiState = UiRecording;
    m_view.ShowStopButton();
    m_view.ShowPauseButton();

    QString name = partner;
    if (name.isEmpty())
        name = calls.PartnerOf(callId);
    if (name.isEmpty())
        name = callId;
    name = RecordingName(name);

    const CGeneralProfile& profile = *m_parts.profile;
    const std::int64_t now = Now();
    const QString basePath = BasePath(profile.sfolder, name, now);

    AddCallToRecording(callId);
    const int type = m_parts.link->IsIncoming() ? RecordIncoming : RecordOutgoing;
    m_current.Begin(type, name, now, basePath + QString::fromLatin1(kMp3Extension));

    // The capture object tells the user itself when the file or the encoder cannot be opened;
    // the recording goes on regardless and its history entry names the chosen file.
    CAudioCapture& capture = *m_parts.capture;
    capture.StartRecording(basePath, SampleRateForIndex(profile.asample), BitRateForIndex(profile.abitrate),
                           ModeForIndex(profile.amode));
    capture.SetSide(profile.recside);
    capture.SetRecordingState(RecordingState::Recording);

    m_elapsed = 0;
    StartElapsedTimer();
}

void CRecordingController::OnPauseResume()
{
    if (m_finishPending)
        return;
    CAudioCapture& capture = *m_parts.capture;
    switch (capture.GetRecordingState()) {
    case RecordingState::Recording:
    case RecordingState::Resumed:
        capture.SetRecordingState(RecordingState::Paused);
        m_view.ShowResumeButton();
        m_view.SetStatusText(QString::fromLatin1(kTextRecordingPause), kStatusRed);
        m_uiState = UiPaused;
        StopElapsedTimer();
        break;
    case RecordingState::Paused:
        capture.SetRecordingState(RecordingState::Resumed);
        m_view.ShowPauseButton();
        m_view.SetStatusText(QString::fromLatin1(kTextRecordingInProgress), kStatusRed);
        m_uiState = UiRecording;
        StartElapsedTimer();
        break;
    default:
        break;
    }
}

void CRecordingController::OnRecordingFinish()
{
    if (!m_finishPending)
        return; // a stray message: no recording was stopped
    // Waits for the mixer thread while the window's events keep flowing; the state is Stopped
    // afterwards. Handlers run during that wait see the finish as pending and leave it alone.
    m_parts.capture->StopRecording();
    m_finishPending = false;

    CHistoryRecord record = m_current.End(Now());
    if (!m_current.callIds.isEmpty())
        record.name = m_parts.link->PartnerMap().MapList(m_current.callIds);
    m_parts.history->Add(record);
    m_view.AddHistoryRecord(record);
    m_current.ClearCalls();
}

void CRecordingController::OnElapsedTick()
{
    ++m_elapsed;
    m_view.DrawElapsed(m_elapsed, m_uiState);
}

void CRecordingController::AddCallToRecording(const QString& callId) { m_current.AddCall(callId); }

void CRecordingController::StartElapsedTimer() { m_elapsedTimer.start(m_timings.elapsedMs); }

void CRecordingController::StopElapsedTimer() { m_elapsedTimer.stop(); }

std::uint32_t CRecordingController::SampleRateForIndex(int index) { return AtIndex(kSampleRateByIndex, index); }

std::uint32_t CRecordingController::BitRateForIndex(int index) { return AtIndex(kBitRateByIndex, index); }

int CRecordingController::ModeForIndex(int index) { return AtIndex(kModeByIndex, index); }

QString CRecordingController::RecordingName(const QString& partner)
{
    if (partner.contains(QLatin1String(kUndisclosedPstnMarker)))
        return QString::fromLatin1(kUndisclosedPstnName);
    return partner;
}

QString CRecordingController::FileNamePart(const QString& name)
{
    QString part = name;
    for (QChar& c : part)
        for (char16_t forbidden : kFileNameForbidden)
            if (c.unicode() == forbidden)
                c = QChar(kFileNameReplacement);
    return part;
}

QString CRecordingController::FileTimeStamp(std::int64_t secondsSince1970)
{
    const std::time_t t = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return QString();
    char text[64];
    const std::size_t n = std::strftime(text, sizeof(text), kFileTimeFormat, &local);
    return QString::fromLatin1(text, static_cast<qsizetype>(n));
}

QString CRecordingController::BasePath(const QString& folder, const QString& name, std::int64_t secondsSince1970)
{
    return folder + u'/' + FileNamePart(name) + u'_' + FileTimeStamp(secondsSince1970);
}
