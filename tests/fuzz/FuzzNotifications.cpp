// libFuzzer target: arbitrary bytes arrive from the client's window as notifications. Each
// input is split at NULs and newlines into several texts, so state carries across lines the way
// it does in a session (calls filling the table, contacts, chat names).
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "skype/LocalTransport.h"
#include "skype/SkypeLink.h"

namespace {
CLocalTransport* g_transport = nullptr;

void Setup()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    SkypeLinkTimings t;
    t.sendIdleMs = 1;
    t.sendGapMs = 0;
    t.sendRetryMs = 0;
    CSkypeLink::SetTimings(t);
    CSkypeLink::SetTransportFactory([] {
        auto transport = std::make_unique<CLocalTransport>();
        g_transport = transport.get();
        return transport;
    });
    CSkypeLink::Attach(kNoWindow);
    g_transport->DeliverAttach(AttachSucceeded);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool ready = (Setup(), true);
    (void)ready;
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& line : bytes.split('\n')) {
        g_transport->DeliverBytes(line); // raw: invalid UTF-8 and embedded NULs included
    }
    CSkypeLink* link = CSkypeLink::Instance();
    link->RerequestAudio();
    link->Contacts().DisplayNames(link->RequestedIds());
    link->PartnerMap().MapList(link->RequestedIds());
    link->CallTable().EarliestActive();
    // Keep the queue from growing without bound across runs.
    link->Queue().Clear();
    if (link->CallTable().CountWithStatus() > 15)
        link->ResetCallState();
    return 0;
}
