#pragma once
// CEasyPlayer: the history window's playback component. It holds one media player (Qt
// Multimedia) opened on the file given last, and is driven with plain commands: play, pause,
// stop, seek, length, position and volume 0..1000. Opening waits, bounded, until the media has
// loaded or failed, so the length is known before playback starts.
#include <QMediaPlayer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class QAudioOutput;

class CEasyPlayer : public QObject {
    Q_OBJECT
public:
    explicit CEasyPlayer(QWidget* parent = nullptr);
    ~CEasyPlayer() override;

    // The widget the player belongs to (the history window's hidden control 1028).
    void SetParentWindow(QWidget* parent) { m_parent = parent; }
    // How long Create waits for the media to load or fail.
    void SetLoadTimeout(int ms) { m_loadTimeoutMs = ms; }

    // Remembers the file the next Create opens.
    void SetFile(const QString& path) { m_file = path; }
    const QString& File() const { return m_file; }
    // Replaces the current media with a new one opened on the remembered file (none when the path
    // is empty), at the recorded volume, and waits until it has loaded or failed. True when the
    // media is ready to play.
    bool Create();
    // Closes the media; the path becomes empty.
    void Close();
    bool IsOpen() const { return static_cast<bool>(m_player); }
    // True when the last Create could not open its file; ErrorText says why.
    bool LoadFailed() const { return m_loadFailed; }
    QString ErrorText() const { return m_error; }

    // Commands; each does nothing without open media.
    void Play();
    void Pause();
    void Stop();
    void Seek(qint64 ms);
    // Length and position in milliseconds (0 without media). At the end of the media the
    // position is the length.
    qint64 Length() const;
    qint64 Position() const;
    // Volume 0..1000.
    void SetVolume(int volume);
    int Volume() const { return m_volume; }
    // The volume the media output runs at now, 0..1000 (-1 without media).
    int OutputVolume() const;
    bool IsPlaying() const;
    QMediaPlayer* Media() const { return m_player.get(); }

private:
    void WaitForLoad();

    QPointer<QWidget> m_parent;
    std::unique_ptr<QMediaPlayer> m_player;
    std::unique_ptr<QAudioOutput> m_output;
    int m_volume = 1000;
    QString m_file;
    int m_loadTimeoutMs;
    bool m_loadFailed = false;
    bool m_ended = false;
    QString m_error;
};
