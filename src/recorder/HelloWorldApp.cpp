#include "recorder/HelloWorldApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QSocketNotifier>
#include <QUrl>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/GuiMessageBox.h"
#include "platform/OpenUrl.h"
#include "platform/SingleInstance.h"
#include "recorder/HelloWorldDlg.h"

namespace {

// SIGTERM and SIGINT end Kestrel the way closing its window does: through the event loop, so
// the end-of-program work runs.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

void InstallSignalHandlers(QObject* parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

CHelloWorldApp::CHelloWorldApp() = default;
CHelloWorldApp::~CHelloWorldApp() = default;

int CHelloWorldApp::Run()
{
    // Only one copy: a second one ends at once, silently.
    m_instance = std::make_unique<CSingleInstance>(QString::fromLatin1(kSingleInstanceName));
    if (!m_instance->Acquire())
        return 0;

    QApplication::setQuitOnLastWindowClosed(false);
    InstallGuiMessageBox();
    SetOpenUrlHandler([](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); });
    InstallSignalHandlers(qApp);

    int status = 0;
    {
        CHelloWorldDlg dialog;
        dialog.Initialise();
        dialog.show();
        status = QApplication::exec();
        dialog.hide();
        dialog.DestroyOnce();
    }
    m_instance.reset();
    return status;
}
