#include "platform/MessageWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <atomic>
#include <mutex>

namespace platform_detail {

const QEvent::Type kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

struct PostedMessage : QEvent {
    PostedMessage(UINT m, WPARAM w, LPARAM l) : QEvent(kPostedMessageEvent), msg(m), wParam(w), lParam(l) {}
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Lives on the owner's thread and turns posted events back into window messages.
class MessageReceiver : public QObject {
public:
    explicit MessageReceiver(CMessageWindow* owner) : m_owner(owner) {}
    void customEvent(QEvent* event) override
    {
        if (event->type() != kPostedMessageEvent)
            return;
        auto* m = static_cast<PostedMessage*>(event);
        LRESULT ignored = 0;
        m_owner->OnWindowMessage(m->msg, m->wParam, m->lParam, ignored);
    }

private:
    CMessageWindow* m_owner;
};

namespace {
std::mutex g_registryLock;
std::unordered_map<HWND, CMessageWindow*>& Registry()
{
    static auto* registry = new std::unordered_map<HWND, CMessageWindow*>();
    return *registry;
}
std::atomic<HWND> g_nextHandle{0x1000};
} // namespace

} // namespace platform_detail

using namespace platform_detail;

CMessageWindow::CMessageWindow() : m_receiver(std::make_unique<MessageReceiver>(this))
{
    std::lock_guard lock(g_registryLock);
    m_handle = g_nextHandle.fetch_add(4);
    Registry()[m_handle] = this;
}

CMessageWindow::~CMessageWindow() { DestroyWindowHandle(); }

void CMessageWindow::DestroyWindowHandle()
{
    {
        std::lock_guard lock(g_registryLock);
        if (m_handle == kNoWindow)
            return;
        Registry().erase(m_handle);
        m_handle = kNoWindow;
        // Deleting the receiver under the lock keeps a concurrent post from reaching it;
        // Qt drops the events still pending for it.
        m_receiver.reset();
    }
}

bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (window == kNoWindow)
        return false;
    std::lock_guard lock(g_registryLock);
    auto it = Registry().find(window);
    if (it == Registry().end() || !it->second->m_receiver)
        return false;
    QCoreApplication::postEvent(it->second->m_receiver.get(), new PostedMessage(msg, wParam, lParam));
    return true;
}

bool IsWindow(HWND window)
{
    if (window == kNoWindow)
        return false;
    std::lock_guard lock(g_registryLock);
    return Registry().count(window) != 0;
}

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CMessageWindow* target = nullptr;
    QObject* receiver = nullptr;
    {
        std::lock_guard lock(g_registryLock);
        auto it = Registry().find(window);
        if (it == Registry().end())
            return 0;
        target = it->second;
        receiver = target->m_receiver.get();
    }
    LRESULT result = 0;
    if (receiver->thread() == QThread::currentThread()) {
        target->OnWindowMessage(msg, wParam, lParam, result);
        return result;
    }
    // Another thread: run the handler on the owner's thread and wait for it. The target is
    // looked up again there, so a window destroyed in between is simply skipped.
    // Qt releases a blocking call whose receiver is deleted before it runs, so this never hangs
    // on a window that goes away.
    bool posted = QMetaObject::invokeMethod(
        receiver,
        [&] {
            CMessageWindow* again = nullptr;
            {
                std::lock_guard lock(g_registryLock);
                auto it = Registry().find(window);
                if (it != Registry().end())
                    again = it->second;
            }
            if (again)
                again->OnWindowMessage(msg, wParam, lParam, result);
        },
        Qt::BlockingQueuedConnection);
    if (!posted)
        return 0;
    return result;
}
