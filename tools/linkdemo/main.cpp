// kestrel-linkdemo: attaches Kestrel's link to whichever client answers on the session bus and
// prints every event the link posts, until the first call it saw has ended. Used by ./x demo.
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

#include "platform/MessageWindow.h"
#include "skype/SkypeLink.h"

namespace {

const char* EventName(UINT msg)
{
    switch (msg) {
    case WM_SKYPE_CONNECTED: return "WM_SKYPE_CONNECTED";
    case WM_SKYPE_CONTACTS: return "WM_SKYPE_CONTACTS";
    case WM_SKYPE_USERSTATUS: return "WM_SKYPE_USERSTATUS";
    case WM_SKYPE_ATTACHED: return "WM_SKYPE_ATTACHED";
    case WM_SKYPE_CALL: return "WM_SKYPE_CALL";
    case WM_SKYPE_DTMF: return "WM_SKYPE_DTMF";
    case WM_SKYPE_VERSION: return "WM_SKYPE_VERSION";
    case WM_SKYPE_REFUSED: return "WM_SKYPE_REFUSED";
    case WM_SKYPE_INCOMING_P2P: return "WM_SKYPE_INCOMING_P2P";
    case WM_SKYPE_INCOMING_PSTN: return "WM_SKYPE_INCOMING_PSTN";
    case WM_SKYPE_WINDOWSTATE: return "WM_SKYPE_WINDOWSTATE";
    default: return "?";
    }
}

class Printer : public CMessageWindow {
public:
    ~Printer() override { DestroyWindowHandle(); }
    bool OnWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT&) override
    {
        CSkypeLink* link = CSkypeLink::Instance();
        std::printf("event  %-24s wParam=%lld lParam=%lld", EventName(msg), static_cast<long long>(w),
                    static_cast<long long>(l));
        if (msg == WM_SKYPE_ATTACHED)
            std::printf("  user=%s", qPrintable(link->CurrentUserHandle()));
        if (msg == WM_SKYPE_CALL) {
            const int slot = static_cast<int>(static_cast<std::int64_t>(w));
            const CallSlot s = link->CallTable().SlotAt(slot);
            std::printf("  call=%s partner=%s status=%d", qPrintable(s.callId), qPrintable(s.partner), s.status);
            if (l == kCallStatusRecorded && s.status >= CallFinished)
                ended = true;
        }
        std::printf("\n");
        std::fflush(stdout);
        if (ended && !link->CallTable().AnyActive())
            QTimer::singleShot(300, qApp, &QCoreApplication::quit);
        if (msg == WM_SKYPE_REFUSED)
            QCoreApplication::exit(1);
        return true;
    }
    bool ended = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Printer printer;
    CSkypeLink* link = CSkypeLink::Attach(printer.Handle());
    std::printf("kestrel link window %s\n", qPrintable(link->ApiWindow()));
    std::fflush(stdout);
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(2); });
    const int rc = app.exec();
    CSkypeLink::Instance()->Stop();
    CSkypeLink::Release();
    return rc;
}
