#include "platform/OpenUrl.h"

#include <mutex>

namespace {
std::mutex g_lock;
OpenUrlHandler& Handler()
{
    static OpenUrlHandler handler;
    return handler;
}
} // namespace

bool OpenUrl(const QString& url)
{
    OpenUrlHandler handler;
    {
        std::lock_guard lock(g_lock);
        handler = Handler();
    }
    return handler ? handler(url) : false;
}

OpenUrlHandler SetOpenUrlHandler(OpenUrlHandler handler)
{
    std::lock_guard lock(g_lock);
    OpenUrlHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
