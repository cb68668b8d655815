#pragma once
// A minimal program that follows the client link's D-Bus contract, written here from the
// contract alone: it exports an API window, broadcasts Discover, takes Attach answers and
// texts only from the connection named in their window handle, and sends CopyData texts.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>

#include <utility>
#include <vector>

class TestProgram : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.Skype.API.Window")
public:
    TestProgram(QDBusConnection bus, const QString& path);
    ~TestProgram() override;

    QString Window() const { return m_bus.baseService() + m_path; }
    QDBusConnection& Bus() { return m_bus; }

    void Discover(const QString& window = QString());
    // Sends text to the client's window (from the last Attach, or clientWindow) naming
    // senderWindow (default: our own); blocks for the answer; 0 on failure.
    uint Send(const QString& text, const QString& clientWindow = QString(), const QString& senderWindow = QString());
    // Waits for the text number index (0-based) to arrive; returns it, or "<none>".
    QString TextAt(int index, int timeoutMs = 5000);

    std::vector<std::pair<QString, uint>> attaches; // (client window, status)
    std::vector<std::pair<QString, uint>> broadcasts;
    QStringList texts;
    int dropped = 0; // calls refused because of their sender
    QString clientWindow;

public slots:
    Q_SCRIPTABLE void Attach(const QString& window, uint status);
    Q_SCRIPTABLE uint CopyData(const QString& window, const QByteArray& data);

private slots:
    void OnAttachBroadcast(const QString& window, uint status, const QDBusMessage& message);

private:
    bool FromOwner(const QString& window) const;
    QDBusConnection m_bus;
    QString m_path;
};
