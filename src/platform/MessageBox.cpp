#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex g_handlerLock;
MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}
} // namespace

int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type)
{
    MessageBoxHandler handler;
    {
        std::lock_guard lock(g_handlerLock);
        handler = Handler();
    }
    if (handler)
        return handler(owner, text, caption, type);
    std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    return IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard lock(g_handlerLock);
    MessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
