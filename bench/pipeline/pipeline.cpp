// pipeline: streams two raw 16 kHz mono files (own side, remote side) from two TCP clients
// through CAudioCapture into an MP3 file, then encodes the same audio with the same LAME
// settings directly, and prints one line:
//
//   cpu_s=... wall_s=... peak_rss_mb=... direct_cpu_s=... ratio=... realtime_x=...
//
// cpu_s is Kestrel's CPU time for the streamed run (the process's time minus that of the two
// client threads, which stand in for Skype); ratio = cpu_s / direct_cpu_s. With --repeat N both
// runs are done N times, alternately, and the best of each is reported.
//
//   pipeline --own OWN.raw --remote REMOTE.raw --mode M --rate HZ --kbps K --out FILE.mp3
//            [--realtime] [--repeat N] [--mixer-sleep-ms MS]
//   pipeline --generate SECONDS --own OWN.raw --remote REMOTE.raw
//
// Without --realtime the clients send as fast as the pipeline takes the audio: a client keeps at
// most 512 blocks between what it has sent and what the mixer has taken from its queue (Skype
// sends in real time, so the queues never run far ahead of the encoder), which keeps memory flat
// however long the input is. With --realtime each client sends one 10 ms block every 10 ms.
#include <sys/resource.h>

#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioCapture.h"
#include "audio/AudioConstants.h"
#include "audio/AudioMixer.h"
#include "audio/Mp3File.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::uint64_t kMaxAheadBlocks = 512; // sent but not yet encoded, per side (fast mode)
constexpr int kSendBlocks = 128;               // blocks per write in the fast mode

double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double PeakRssMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "pipeline: %s\n", what.c_str());
    std::exit(1);
}

// Speech-like test audio: syllables of a few hundred milliseconds with a drifting pitch and its
// harmonics plus noise, and pauses between them.
void Generate(const std::string& path, double seconds, unsigned seed)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        Fail("cannot create " + path);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> uni(0, 1);
    std::normal_distribution<double> noise(0, 300);
    const long total = std::lround(seconds * kInputSampleRate);
    std::vector<std::int16_t> block(kInputSampleRate / 10);
    double phase = 0, pitch = 120 + 80 * uni(rng), envelope = 0;
    long syllableLeft = 0;
    bool voiced = false;
    for (long at = 0; at < total;) {
        const long n = std::min<long>(static_cast<long>(block.size()), total - at);
        for (long i = 0; i < n; ++i) {
            if (syllableLeft-- <= 0) {
                voiced = uni(rng) < 0.6;
                syllableLeft = static_cast<long>((0.08 + 0.35 * uni(rng)) * kInputSampleRate);
                pitch = 100 + 150 * uni(rng);
            }
            envelope += ((voiced ? 1.0 : 0.0) - envelope) * 0.002;
            phase += 2 * M_PI * pitch / kInputSampleRate;
            double s = 0;
            for (int h = 1; h <= 5; ++h)
                s += std::sin(phase * h) / h;
            const double v = envelope * 7000 * s + noise(rng) * (0.2 + envelope);
            block[i] = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
        }
        std::fwrite(block.data(), 2, static_cast<std::size_t>(n), f);
        at += n;
    }
    std::fclose(f);
}

int Connect(std::uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) != 0)
        Fail("cannot connect to port " + std::to_string(port));
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
    return fd;
}

// One side's client: streams the file to the port, then closes. Reports its own CPU time.
void Client(const std::string& path, std::uint16_t port, bool realtime, CAudioCapture* capture, bool own, double* cpu)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        Fail("cannot open " + path);
    const int fd = Connect(port);
    CAudioMixer* mixer = capture->Mixer();
    std::vector<std::uint8_t> buffer(kChunkBytes * kSendBlocks);
    auto next = std::chrono::steady_clock::now();
    std::uint64_t sent = 0;
    for (;;) {
        const std::size_t want = realtime ? kChunkBytes : buffer.size();
        const std::size_t n = std::fread(buffer.data(), 1, want, f);
        if (n == 0)
            break;
        if (realtime) {
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        } else {
            // Blocks still in the sockets plus blocks waiting in the mixer's queue.
            auto ahead = [&] {
                const std::uint64_t received = own ? capture->OwnBlocksReceived() : capture->RemoteBlocksReceived();
                return sent - received + (own ? mixer->OwnQueued() : mixer->RemoteQueued());
            };
            while (ahead() >= kMaxAheadBlocks)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        sent += n / kChunkBytes;
        for (std::size_t at = 0; at < n;) {
            const ssize_t w = send(fd, buffer.data() + at, n - at, MSG_NOSIGNAL);
            if (w <= 0)
                Fail("send failed");
            at += static_cast<std::size_t>(w);
        }
    }
    std::fclose(f);
    close(fd);
    *cpu = CpuSeconds(RUSAGE_THREAD);
}

// The same audio and settings straight into LAME through the MP3 writer: no sockets, no queues,
// no mixer thread.
double DirectEncode(const std::string& ownPath, const std::string& remotePath, int mode, unsigned rate, unsigned kbps,
                    const QString& out)
{
    const double start = CpuSeconds(RUSAGE_SELF);
    std::FILE* own = std::fopen(ownPath.c_str(), "rb");
    std::FILE* remote = std::fopen(remotePath.c_str(), "rb");
    if (!own || !remote)
        Fail("cannot open the input files");
    CMp3File file;
    if (!file.Open(mode, out, rate, kbps))
        Fail("cannot open " + out.toStdString());
    const bool stereo = mode == kModeStereo || mode == kModeJointStereo;
    std::int16_t a[kChunkSamples], b[kChunkSamples], mixed[2 * kChunkSamples];
    CBuffer chunk(reinterpret_cast<std::uint8_t*>(mixed), stereo ? 2 * kChunkBytes : kChunkBytes);
    for (;;) {
        const std::size_t na = std::fread(a, kChunkBytes, 1, own);
        const std::size_t nb = std::fread(b, kChunkBytes, 1, remote);
        if (na && nb)
            CAudioMixer::MixPair(a, b, stereo, mixed);
        else if (na || nb)
            CAudioMixer::MixLone(na ? a : b, stereo, mixed);
        else
            break;
        file.Write(chunk);
    }
    file.Close();
    std::fclose(own);
    std::fclose(remote);
    return CpuSeconds(RUSAGE_SELF) - start;
}

struct Run {
    double cpu;  // Kestrel's CPU seconds (the clients' own time taken out)
    double wall; // seconds from the servers' start to the closed file
};

// Streams both files through a fresh capture object into base + ".mp3".
Run StreamThroughCapture(const std::string& ownPath, const std::string& remotePath, const QString& base, int mode,
                         unsigned rate, unsigned kbps, bool realtime)
{
    const double cpuStart = CpuSeconds(RUSAGE_SELF);
    const auto wallStart = std::chrono::steady_clock::now();

    std::atomic<int> closes{0};
    auto capture = std::make_unique<CAudioCapture>(CaptureConfig{0, 0});
    capture->SetRerequestAudioHook([&] { ++closes; });
    capture->StartServers();
    if (!capture->OwnServerStarted() || !capture->RemoteServerStarted())
        Fail("the servers did not start");
    if (!capture->StartRecording(base, rate, kbps, mode))
        Fail("cannot start the recording");
    capture->SetSide(kSideBoth);
    capture->SetRecordingState(RecordingState::Recording);

    CAudioMixer* mixer = capture->Mixer();
    double ownCpu = 0, remoteCpu = 0;
    std::thread own(Client, ownPath, capture->OwnPort(), realtime, capture.get(), true, &ownCpu);
    std::thread remote(Client, remotePath, capture->RemotePort(), realtime, capture.get(), false, &remoteCpu);
    own.join();
    remote.join();
    while (closes < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (std::getenv("PIPELINE_DEBUG"))
        std::fprintf(stderr, "pools: own %zu remote %zu buffers\n", mixer->OwnPool().Count(), mixer->RemotePool().Count());
    capture->StopRecording();
    capture.reset();

    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpuStart - ownCpu - remoteCpu;
    return Run{cpu, wall};
}

} // namespace

int main(int argc, char** argv)
{
    std::string ownPath, remotePath, out;
    int mode = kModeStereo;
    unsigned rate = 16000, kbps = 64;
    bool realtime = false;
    double generate = 0;
    int mixerSleepMs = kMixerIdleSleepMs;
    int repeat = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                Fail("missing value for " + a);
            return argv[++i];
        };
        if (a == "--own")
            ownPath = value();
        else if (a == "--remote")
            remotePath = value();
        else if (a == "--mode")
            mode = std::stoi(value());
        else if (a == "--rate")
            rate = static_cast<unsigned>(std::stoul(value()));
        else if (a == "--kbps")
            kbps = static_cast<unsigned>(std::stoul(value()));
        else if (a == "--out")
            out = value();
        else if (a == "--realtime")
            realtime = true;
        else if (a == "--generate")
            generate = std::stod(value());
        else if (a == "--repeat")
            repeat = std::max(1, std::stoi(value()));
        else if (a == "--mixer-sleep-ms")
            mixerSleepMs = std::stoi(value());
        else
            Fail("unknown argument " + a);
    }
    if (ownPath.empty() || remotePath.empty())
        Fail("usage: pipeline --own OWN.raw --remote REMOTE.raw --mode M --rate HZ --kbps K --out FILE.mp3 "
             "[--realtime] | --generate SECONDS --own OWN.raw --remote REMOTE.raw");
    if (generate > 0) {
        Generate(ownPath, generate, 1);
        Generate(remotePath, generate, 2);
        return 0;
    }
    if (out.empty())
        Fail("--out is required");

    std::FILE* probe = std::fopen(ownPath.c_str(), "rb");
    if (!probe)
        Fail("cannot open " + ownPath);
    std::fseek(probe, 0, SEEK_END);
    const double audioSeconds = double(std::ftell(probe)) / (2.0 * kInputSampleRate);
    std::fclose(probe);

    // The capture object records to path + ".mp3".
    QString base = QString::fromStdString(out);
    if (base.endsWith(".mp3"))
        base.chop(4);

    CAudioMixer::SetInstanceTimings(MixerTimings{mixerSleepMs, kMixerEmptyRecheckMs});
    // Each round streams the audio, then encodes it directly; the best round of each counts, so
    // that other work on a shared machine does not count as pipeline overhead.
    double cpu = 0, wall = 0, direct = 0;
    for (int round = 0; round < repeat; ++round) {
        const Run run = StreamThroughCapture(ownPath, remotePath, base, mode, rate, kbps, realtime);
        const double d = DirectEncode(ownPath, remotePath, mode, rate, kbps, base + ".direct.mp3");
        if (round == 0 || run.cpu < cpu)
            cpu = run.cpu;
        if (round == 0 || run.wall < wall)
            wall = run.wall;
        if (round == 0 || d < direct)
            direct = d;
    }
    std::printf("cpu_s=%.2f wall_s=%.2f peak_rss_mb=%.1f direct_cpu_s=%.2f ratio=%.3f realtime_x=%.1f\n", cpu, wall,
                PeakRssMb(), direct, direct > 0 ? cpu / direct : 0.0, wall > 0 ? audioSeconds / wall : 0.0);
    return 0;
}
