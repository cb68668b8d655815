#include "history/EasyPlayer.h"

#include <QAudioOutput>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include "history/HistoryWindowConstants.h"

CEasyPlayer::CEasyPlayer(QWidget* parent) : QObject(nullptr), m_parent(parent), m_loadTimeoutMs(kPlayerLoadTimeoutMs)
{
}

CEasyPlayer::~CEasyPlayer() { Close(); }

bool CEasyPlayer::Create()
{
    const QString path = m_file;
    Close(); // the media this one replaces
    m_file = path;
    m_loadFailed = false;
    m_ended = false;
    m_error.clear();
    m_player = std::make_unique<QMediaPlayer>();
    m_output = std::make_unique<QAudioOutput>();
    m_player->setAudioOutput(m_output.get());
    m_output->setVolume(float(m_volume) / kMediaVolumeMax);
    connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia)
            m_ended = true;
        else if (status == QMediaPlayer::BufferingMedia || status == QMediaPlayer::BufferedMedia)
            m_ended = false;
    });
    if (path.isEmpty())
        return false;
    if (!QFileInfo(path).isFile()) {
        m_loadFailed = true;
        m_error = QStringLiteral("The file does not exist.");
        return false;
    }
    m_player->setSource(QUrl::fromLocalFile(path));
    WaitForLoad();
    return !m_loadFailed;
}

// Loading is asynchronous; the length becomes known once the pipeline has prerolled, which a
// pause asks for without letting any sound out. Waits until the length is known or the media
// failed, at most the load time-out. Input events are held back meanwhile.
void CEasyPlayer::WaitForLoad()
{
    QMediaPlayer* player = m_player.get();
    QEventLoop loop;
    bool failed = false, prerolling = false;
    auto check = [&] {
        if (player->error() != QMediaPlayer::NoError || player->mediaStatus() == QMediaPlayer::InvalidMedia)
            failed = true;
        if (failed || player->duration() > 0) {
            loop.quit();
            return;
        }
        // Once the media has loaded, a pause makes it preroll, which reveals the length.
        if (!prerolling && player->mediaStatus() == QMediaPlayer::LoadedMedia) {
            prerolling = true;
            player->pause();
        }
    };
    const auto c1 = connect(player, &QMediaPlayer::durationChanged, &loop, check);
    const auto c2 = connect(player, &QMediaPlayer::mediaStatusChanged, &loop, check);
    const auto c3 = connect(player, &QMediaPlayer::errorOccurred, &loop, check);
    QTimer bound;
    bound.setSingleShot(true);
    connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    check();
    if (!failed && player->duration() <= 0) {
        bound.start(m_loadTimeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    disconnect(c1);
    disconnect(c2);
    disconnect(c3);
    if (failed || player->duration() <= 0) {
        m_loadFailed = true;
        m_error = player->error() != QMediaPlayer::NoError ? player->errorString()
                                                           : QStringLiteral("The file could not be played.");
        player->stop();
    }
}

void CEasyPlayer::Close()
{
    if (m_player) {
        m_player->stop();
        m_player->disconnect(this);
        m_player.reset();
        m_output.reset();
    }
    m_file.clear();
    m_ended = false;
}

void CEasyPlayer::Play()
{
    if (m_player && !m_loadFailed) {
        m_ended = false;
        m_player->play();
    }
}

void CEasyPlayer::Pause()
{
    if (m_player && !m_loadFailed)
        m_player->pause();
}

void CEasyPlayer::Stop()
{
    if (m_player && !m_loadFailed)
        m_player->pause(); // stopped in place; Seek(0) rewinds, as the history window does
}

void CEasyPlayer::Seek(qint64 ms)
{
    if (!m_player || m_loadFailed)
        return;
    // A seek leaves the media still: the caller plays again when it was playing.
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
    m_ended = false;
    m_player->setPosition(qBound<qint64>(0, ms, Length()));
}

qint64 CEasyPlayer::Length() const { return m_player && !m_loadFailed ? qMax<qint64>(0, m_player->duration()) : 0; }

qint64 CEasyPlayer::Position() const
{
    if (!m_player || m_loadFailed)
        return 0;
    if (m_ended)
        return Length();
    return qBound<qint64>(0, m_player->position(), Length());
}

void CEasyPlayer::SetVolume(int volume)
{
    m_volume = qBound(0, volume, kMediaVolumeMax);
    if (m_output)
        m_output->setVolume(float(m_volume) / kMediaVolumeMax);
}

int CEasyPlayer::OutputVolume() const
{
    return m_output ? qRound(m_output->volume() * kMediaVolumeMax) : -1;
}

bool CEasyPlayer::IsPlaying() const
{
    return m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
}
