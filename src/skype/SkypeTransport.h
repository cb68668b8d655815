#pragma once
// What the link needs of a transport to the client: create and destroy its own API window,
// broadcast the discover request, send one UTF-8 text to the client's window and get the
// client's answer. The transport hands what arrives (attach statuses, texts) to its sink on
// the thread that created it.
#include <QByteArray>
#include <QString>

#include "platform/PlatformConstants.h"

class ISkypeTransportSink {
public:
    virtual ~ISkypeTransportSink() = default;
    // The attach message: the client's API window and the attach status.
    virtual void OnAttachMessage(const QString& clientWindow, UINT status) = 0;
    // A text from a window: the raw bytes (UTF-8, normally ending with a NUL). The result is
    // the answer the sender gets: non-zero when the text was taken.
    virtual UINT OnCopyData(const QString& senderWindow, const QByteArray& data) = 0;
};

class ISkypeTransport {
public:
    virtual ~ISkypeTransport() = default;
    // Creates the API window; false when that is not possible (the link then stays idle).
    virtual bool Create(ISkypeTransportSink* sink, const QString& className) = 0;
    // Destroys the API window; nothing reaches the sink afterwards.
    virtual void Destroy() = 0;
    // The API window's handle, empty when not created.
    virtual QString ApiWindow() const = 0;
    // Broadcasts the discover request naming the API window.
    virtual void BroadcastDiscover() = 0;
    // Sends data (UTF-8 with its NUL) to the client window and waits for its answer; 0 on any
    // failure or time-out. Called on the link's send thread.
    virtual UINT SendCopyData(const QString& clientWindow, const QByteArray& data) = 0;
};
