#include "update/AutoUpdater.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <chrono>

#include "platform/MessageBox.h"
#include "platform/OpenUrl.h"
#include "settings/GeneralProfile.h"

namespace {

// How often a running fetch looks whether the program is ending.
constexpr int kStopPollMs = 20;

bool IsNoConnection(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::HostNotFoundError || error == QNetworkReply::NetworkSessionFailedError ||
           error == QNetworkReply::TemporaryNetworkFailureError;
}

} // namespace

CAutoUpdater::CAutoUpdater(const UpdateSettings& settings) : m_settings(settings)
{
    CGeneralProfile::Instance()->Load();
    m_handleOpen = true;
}

CAutoUpdater::~CAutoUpdater()
{
    Stop();
    Close();
}

void CAutoUpdater::Close() { m_handleOpen = false; }

bool CAutoUpdater::Start(HWND mainWindow)
{
    if (m_started.exchange(true))
        return false;
    m_thread = std::thread([this, mainWindow] { Run(mainWindow); });
    return true;
}

void CAutoUpdater::Stop()
{
    {
        std::lock_guard lock(m_lock);
        m_stop = true;
    }
    m_stopFlag = true;
    m_wake.notify_all();
    if (!m_thread.joinable())
        return;
    // The thread's message box is shown by the user-interface thread; while joining from it,
    // keep serving it so the two never wait on each other.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        while (!m_finished) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, kStopPollMs);
            std::unique_lock lock(m_lock);
            m_wake.wait_for(lock, std::chrono::milliseconds(kStopPollMs), [this] { return m_finished.load(); });
        }
    }
    m_thread.join();
}

void CAutoUpdater::Run(HWND mainWindow)
{
    {
        std::unique_lock lock(m_lock);
        m_wake.wait_for(lock, std::chrono::milliseconds(m_settings.delayMs), [this] { return m_stop; });
        if (m_stop) {
            m_finished = true; // the program ended before the check
            lock.unlock();
            m_wake.notify_all();
            return;
        }
    }
    const int result = Check();
    m_lastResult = result;
    if (result == UpdateAvailable && !m_stopFlag) {
        MessageBox(mainWindow, kUpdateText, kUpdateCaption, MB_OK | MB_ICONINFORMATION);
        OpenPage(m_settings.siteAddress + kUpgradePageName);
    }
    {
        std::lock_guard lock(m_lock);
        m_finished = true;
    }
    m_wake.notify_all();
}

void CAutoUpdater::OpenPage(const QString& url)
{
    // The desktop's handler runs on the user-interface thread.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread())
        QMetaObject::invokeMethod(app, [url] { OpenUrl(url); }, Qt::QueuedConnection);
    else
        OpenUrl(url);
}

int CAutoUpdater::Check()
{
    if (!m_handleOpen)
        return UpdateNoConnection;

    const QUrl url = QUrl(m_settings.siteAddress + kVersionFileName, QUrl::TolerantMode);
    if (!url.isValid() || url.toEncoded().size() > kMaxUpdateUrlLength)
        return UpdateCannotOpen;

    QNetworkAccessManager network; // no cache is installed: every check asks the server
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, kUpdateAgent);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setTransferTimeout(m_settings.transferTimeoutMs);

    QNetworkReply* reply = network.get(request);
    QEventLoop loop;
    QByteArray body;
    bool enough = false;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->read(kMaxVersionFileBytes - body.size());
        if (body.size() >= kMaxVersionFileBytes) {
            enough = true;
            loop.quit();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, &loop, [&] {
        if (m_stopFlag)
            loop.quit();
    });
    stopPoll.start(kStopPollMs);
    if (!reply->isFinished())
        loop.exec();
    stopPoll.stop();

    int result;
    if (!enough && !reply->isFinished()) {
        result = UpdateCannotOpen; // the program is ending
    } else {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (!enough && reply->error() != QNetworkReply::NoError) {
            result = IsNoConnection(reply->error()) ? UpdateNoConnection : UpdateCannotOpen;
        } else if (status != 200) {
            // An error page of the server is no version file, whatever its text.
            result = UpdateCannotOpen;
        } else {
            if (!enough)
                body += reply->read(kMaxVersionFileBytes - body.size());
            // The whole content counts: no trimming, so a line break after the version differs.
            const QString text = QString::fromUtf8(body).toLower();
            if (body.isEmpty() || text.isEmpty() || text.contains(u'<'))
                result = UpdateBadContent;
            else
                result = text.compare(QLatin1String(kExpectedVersion), Qt::CaseInsensitive) == 0 ? UpdateNone
                                                                                                  : UpdateAvailable;
        }
    }
    reply->abort();
    delete reply;
    return result;
}
