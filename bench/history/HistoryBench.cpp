// Opens a generated history of 10 000 entries and loads every record, then times Add, Remove
// and MarkPlayed on it. Prints: open_load_ms=... add_ms=... remove_ms=... mark_ms=...
// (add, remove and mark are the mean of several operations, each including its save).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

#include "history/HistoryStore.h"

namespace {

constexpr int kEntries = 10000;
constexpr int kTimedOps = 20;

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

QByteArray GeneratedHistory()
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?><morvex><list>";
    for (int i = 0; i < kEntries; ++i) {
        const QByteArray n = QByteArray::number(i);
        xml += "<rec20240101" + QByteArray::number(100000 + i) + "><name>partner" + n + "</name><time>" +
               QByteArray::number(1700000000 + i) + "</time><file>/home/ann/Documents/Morvex/partner" + n +
               "_2024-01-01_10-00-00.mp3</file><type>" + QByteArray::number(1 + i % 3) + "</type><duration>" +
               QByteArray::number(i % 3600) + "</duration><new>" + (i % 2 ? "true" : "false") +
               "</new><note>note " + n + "alineddsecond line</note></rec20240101" + QByteArray::number(100000 + i) + ">";
    }
    return xml + "</list></morvex>";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(QDir::tempPath() + "/kestrel-bench-XXXXXX");
    const QString path = dir.path() + "/record.xml";
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(GeneratedHistory());
    }

    CHistoryStore store;
    auto start = std::chrono::steady_clock::now();
    store.Open(path);
    const int count = store.GetCount();
    int loaded = 0;
    for (int i = 0; i < count; ++i) {
        CHistoryRecord record;
        if (store.GetRecord(i, record))
            ++loaded;
    }
    const double openLoadMs = MsSince(start);
    if (loaded != kEntries) {
        std::fprintf(stderr, "loaded %d of %d entries\n", loaded, kEntries);
        return 1;
    }

    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimedOps; ++i) {
        CHistoryRecord record;
        record.name = QString("new%1").arg(i);
        record.time = QString::number(1800000000 + i);
        record.file = QString("/home/ann/Documents/Morvex/new%1.mp3").arg(i);
        if (!store.Add(record))
            return 1;
    }
    const double addMs = MsSince(start) / kTimedOps;

    // Entries in the middle of the list: each lookup scans half of it.
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimedOps; ++i)
        if (!store.MarkPlayed(QString("PARTNER%1").arg(kEntries / 2 + i), QString::number(1700000000 + kEntries / 2 + i)))
            return 1;
    const double markMs = MsSince(start) / kTimedOps;

    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimedOps; ++i)
        if (!store.Remove(QString("partner%1").arg(kEntries / 2 + i), QString::number(1700000000 + kEntries / 2 + i)))
            return 1;
    const double removeMs = MsSince(start) / kTimedOps;

    std::printf("open_load_ms=%.1f add_ms=%.2f remove_ms=%.2f mark_ms=%.2f\n", openLoadMs, addMs, removeMs, markMs);
    return 0;
}
