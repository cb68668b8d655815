// The update check against a small HTTP server on loopback.
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>

#include "support/TestEnv.h"
#include "platform/OpenUrl.h"
#include "update/AutoUpdater.h"

namespace {

constexpr HWND kMainWindow = 0x1234;

// Answers every request with one canned response (or none), and remembers the requests.
class TinyHttpServer : public QObject {
public:
    explicit TinyHttpServer(QByteArray response) : m_response(std::move(response))
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    *buffer += socket->readAll();
                    if (!buffer->contains("\r\n\r\n"))
                        return;
                    requests.push_back(*buffer);
                    if (m_response.isEmpty())
                        return; // never answer
                    socket->write(m_response);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString Site() const { return QString("http://127.0.0.1:%1/").arg(m_server.serverPort()); }
    std::vector<QByteArray> requests;

private:
    QTcpServer m_server;
    QByteArray m_response;
};

QByteArray Http(int status, const QByteArray& body, const QByteArray& type = "text/plain")
{
    const QByteArray reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Error";
    return "HTTP/1.1 " + QByteArray::number(status) + " " + reason + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testenv::MessageBoxRecorder::Instance().Clear();
        opened = std::make_shared<std::vector<QString>>();
        auto list = opened;
        SetOpenUrlHandler([list](const QString& url) {
            list->push_back(url);
            return true;
        });
    }
    void TearDown() override
    {
        SetOpenUrlHandler(nullptr);
        testenv::MessageBoxRecorder::Instance().Clear();
    }
    static UpdateSettings Settings(const QString& site, int delayMs = 1)
    {
        UpdateSettings s;
        s.siteAddress = site;
        s.delayMs = delayMs;
        s.transferTimeoutMs = 10000;
        return s;
    }
    std::shared_ptr<std::vector<QString>> opened;
};

} // namespace

TEST_F(UpdateTest, ResultsAndPromptForEachAnswerOfTheSite)
{
    struct Case {
        const char* what;
        QByteArray response; // empty: no server at all
        int result;
    };
    const Case cases[] = {
        {"the expected version", Http(200, "3.9.9"), UpdateNone},
        {"the version and a line break", Http(200, "3.9.9\n"), UpdateAvailable},
        {"another version", Http(200, "4.0.1"), UpdateAvailable},
        {"an HTML error page", Http(200, "<html><body>Internal error</body></html>", "text/html"), UpdateBadContent},
        {"an empty file", Http(200, ""), UpdateBadContent},
        {"a plain-text 404", Http(404, "Not found"), UpdateCannotOpen},
        {"an HTML 404", Http(404, "<html>404</html>", "text/html"), UpdateCannotOpen},
        {"no server", QByteArray(), UpdateCannotOpen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testenv::MessageBoxRecorder::Instance().Clear();
        opened->clear();
        std::unique_ptr<TinyHttpServer> server;
        QString site;
        if (c.response.isEmpty()) {
            QTcpServer closed; // take a free port, then free it again
            ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
            site = QString("http://127.0.0.1:%1/").arg(closed.serverPort());
        } else {
            server = std::make_unique<TinyHttpServer>(c.response);
            site = server->Site();
        }

        CAutoUpdater updater(Settings(site));
        ASSERT_TRUE(updater.Start(kMainWindow));
        EXPECT_FALSE(updater.Start(kMainWindow)); // once per run
        ASSERT_TRUE(testenv::WaitUntil([&] { return updater.IsFinished(); }, 20000));
        EXPECT_EQ(updater.LastResult(), c.result);
        testenv::Pump(50); // the page is opened on this thread

        const auto boxes = testenv::MessageBoxRecorder::Instance().Calls();
        if (c.result == UpdateAvailable) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].owner, kMainWindow);
            EXPECT_EQ(boxes[0].caption, "Kestrel Update");
            EXPECT_EQ(boxes[0].text, "New version is available! Click 'OK' to update Now!");
            EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONINFORMATION);
            EXPECT_EQ(*opened, std::vector<QString>{site + "upgrade.htm"});
        } else {
            EXPECT_TRUE(boxes.empty());
            EXPECT_TRUE(opened->empty());
        }
        if (server) {
            ASSERT_EQ(server->requests.size(), 1u);
            const QByteArray& request = server->requests[0];
            EXPECT_TRUE(request.startsWith("GET /ver.ini HTTP/1.1\r\n")) << request.constData();
            EXPECT_TRUE(request.contains("\r\nUser-Agent: Update\r\n")) << request.constData();
            EXPECT_TRUE(request.contains("\r\nCache-Control: no-cache\r\n")) << request.constData();
        }
    }
}

TEST_F(UpdateTest, OnlyTheFirstBytesOfALongFileAreRead)
{
    TinyHttpServer server(Http(200, "3.9.9" + QByteArray(1 << 20, ' ')));
    CAutoUpdater updater(Settings(server.Site()));
    updater.Start(kMainWindow);
    ASSERT_TRUE(testenv::WaitUntil([&] { return updater.IsFinished(); }, 20000));
    EXPECT_EQ(updater.LastResult(), UpdateAvailable);
}

TEST_F(UpdateTest, AClosedHandleReportsNoConnection)
{
    TinyHttpServer server(Http(200, "4.0.0"));
    CAutoUpdater updater(Settings(server.Site()));
    updater.Close();
    EXPECT_EQ(updater.Check(), UpdateNoConnection);
    EXPECT_TRUE(server.requests.empty());
}

TEST_F(UpdateTest, EndingDuringTheWaitEndsAtOnceWithoutACheck)
{
    TinyHttpServer server(Http(200, "4.0.0"));
    QElapsedTimer clock;
    {
        CAutoUpdater updater(Settings(server.Site(), 3600 * 1000));
        updater.Start(kMainWindow);
        testenv::Pump(50);
        clock.start();
    } // destruction stops and joins the thread
    EXPECT_LT(clock.elapsed(), 30000); // not the hour of the wait
    testenv::Pump(50);
    EXPECT_TRUE(server.requests.empty());
    EXPECT_TRUE(testenv::MessageBoxRecorder::Instance().Calls().empty());
}

TEST_F(UpdateTest, EndingDuringAStalledFetchEndsIt)
{
    TinyHttpServer server{QByteArray()}; // reads the request, never answers
    CAutoUpdater updater(Settings(server.Site()));
    updater.Start(kMainWindow);
    ASSERT_TRUE(testenv::WaitUntil([&] { return !server.requests.empty(); }, 20000));
    updater.Stop();
    EXPECT_TRUE(updater.IsFinished());
    EXPECT_EQ(updater.LastResult(), UpdateCannotOpen);
    EXPECT_TRUE(testenv::MessageBoxRecorder::Instance().Calls().empty());
}
