#pragma once
// Window handles and posted messages.
//
// Any object that receives Kestrel's window messages derives from CMessageWindow. It gets an
// opaque handle that other threads use to post messages to it. Posted messages are delivered
// on the thread that created the object, in the order they were posted. Posting to a handle
// whose object is gone is a harmless no-op that returns false.
#include <QObject>
#include <QPointer>

#include <initializer_list>
#include <memory>
#include <unordered_map>

#include "platform/PlatformConstants.h"

using HWND = std::uint64_t;
constexpr HWND kNoWindow = 0;

class CMessageWindow;

namespace platform_detail {
class MessageReceiver;
}

// Posts (msg, wParam, lParam) to the window. Thread-safe. False when the window does not exist.
bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Calls the window's handler and returns its result. On the owner's thread the handler runs at
// once; from another thread the caller waits until the owner's thread has run it. 0 when the
// window does not exist.
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// True while a window with this handle exists.
bool IsWindow(HWND window);

class CMessageWindow {
public:
    CMessageWindow();
    virtual ~CMessageWindow();
    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    HWND Handle() const { return m_handle; }

    // Called on the owner's thread for every message posted or sent to this window. Returns
    // true when a handler took the message; result receives the handler's answer.
    virtual bool OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

protected:
    // Unregisters the handle now: later posts fail and pending messages are dropped. Derived
    // classes call this first in their destructor so that no message reaches a half-destroyed
    // object.
    void DestroyWindowHandle();

private:
    friend class platform_detail::MessageReceiver;
    friend LRESULT SendMessage(HWND, UINT, WPARAM, LPARAM);
    friend bool PostMessage(HWND, UINT, WPARAM, LPARAM);
    HWND m_handle = kNoWindow;
    std::unique_ptr<platform_detail::MessageReceiver> m_receiver;
};

// A class's table of message handlers: one entry binds a message number (or a control or
// command id, for the tables that dispatch those) to a member function.
template <class T>
class CMessageMap {
public:
    using Handler = LRESULT (T::*)(WPARAM, LPARAM);
    CMessageMap(std::initializer_list<std::pair<const UINT, Handler>> entries) : m_entries(entries) {}

    bool Dispatch(T* self, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) const
    {
        auto it = m_entries.find(msg);
        if (it == m_entries.end())
            return false;
        result = (self->*(it->second))(wParam, lParam);
        return true;
    }
    bool Has(UINT msg) const { return m_entries.count(msg) != 0; }

private:
    std::unordered_map<UINT, Handler> m_entries;
};
