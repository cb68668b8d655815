// kestrel-demoinfo: what ./x demo prints about a recording: the MP3 file decoded back (length,
// sample rate, channel mode, bit rate) and the history entries Kestrel wrote for it.
//
//   kestrel-demoinfo --mp3 FILE [--history record.xml]
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <mpg123.h>

#include <cstdio>
#include <set>

#include "history/HistoryRecord.h"
#include "history/HistoryStore.h"

namespace {

const char* ModeName(int mode)
{
    switch (mode) {
    case MPG123_M_STEREO: return "stereo";
    case MPG123_M_JOINT: return "joint stereo";
    case MPG123_M_DUAL: return "dual channel";
    case MPG123_M_MONO: return "mono";
    default: return "?";
    }
}

bool PrintMp3(const QString& path)
{
    mpg123_init();
    int err = 0;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (!h || mpg123_open(h, QFile::encodeName(path).constData()) != MPG123_OK) {
        std::printf("mp3: cannot open %s\n", qPrintable(path));
        return false;
    }
    mpg123_scan(h);
    long rate = 0;
    int channels = 0, encoding = 0;
    mpg123_getformat(h, &rate, &channels, &encoding);
    const off_t samples = mpg123_length(h);
    std::set<int> bitrates;
    int mode = -1;
    mpg123_frameinfo info{};
    // Walk every frame to see whether the bit rate is constant.
    mpg123_seek(h, 0, SEEK_SET);
    unsigned char* audio = nullptr;
    size_t bytes = 0;
    off_t frame = 0;
    while (mpg123_decode_frame(h, &frame, &audio, &bytes) == MPG123_OK) {
        if (mpg123_info(h, &info) == MPG123_OK) {
            bitrates.insert(info.bitrate);
            mode = info.mode;
        }
    }
    std::printf("mp3        %s\n", qPrintable(path));
    std::printf("size       %lld bytes\n", static_cast<long long>(QFileInfo(path).size()));
    std::printf("length     %.2f s (%lld samples per channel)\n", rate ? double(samples) / rate : 0.0,
                static_cast<long long>(samples));
    std::printf("rate       %ld Hz\n", rate);
    std::printf("mode       %s (%d channel%s)\n", ModeName(mode), channels, channels == 1 ? "" : "s");
    if (bitrates.size() == 1)
        std::printf("bit rate   %d kbit/s, constant\n", *bitrates.begin());
    else
        std::printf("bit rate   variable (%zu different)\n", bitrates.size());
    mpg123_close(h);
    mpg123_delete(h);
    return true;
}

void PrintHistory(const QString& path)
{
    CHistoryStore store;
    store.Open(path);
    const int count = store.GetCount();
    std::printf("history    %s: %d entr%s\n", qPrintable(path), count, count == 1 ? "y" : "ies");
    for (int i = 0; i < count; ++i) {
        CHistoryRecord r;
        if (!store.GetRecord(i, r))
            continue;
        std::printf("  entry %d  type=%d (%s) new=%s duration=%d s name=%s time=%s\n           file=%s\n", i, r.type,
                    r.type == 1 ? "incoming" : "outgoing", r.isNew ? "yes" : "no", r.duration, qPrintable(r.name),
                    qPrintable(r.time), qPrintable(r.file));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString mp3, history;
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--mp3")
            mp3 = args[++i];
        else if (args[i] == "--history")
            history = args[++i];
    }
    if (mp3.isEmpty() && history.isEmpty()) {
        std::fprintf(stderr, "usage: kestrel-demoinfo --mp3 FILE [--history record.xml]\n");
        return 2;
    }
    bool ok = true;
    if (!mp3.isEmpty())
        ok = PrintMp3(mp3);
    if (!history.isEmpty())
        PrintHistory(history);
    return ok ? 0 : 1;
}
