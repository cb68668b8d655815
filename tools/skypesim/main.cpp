// skypesim: the Skype client stand-in. See CSkypeSim::UsageText() (skypesim --help).
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>

#include "Scenario.h"
#include "SimConstants.h"
#include "SimLog.h"
#include "SimWindow.h"
#include "SkypeSim.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

bool ReadSource(const QCommandLineParser& args, const char* wavOption, const char* toneOption, double defaultHz,
                CPcmSource& source)
{
    if (args.isSet(QLatin1String(wavOption))) {
        QString error;
        if (!CPcmSource::LoadWav(args.value(QLatin1String(wavOption)), source, error)) {
            std::fprintf(stderr, "skypesim: %s\n", qPrintable(error));
            return false;
        }
        return true;
    }
    double hz = defaultHz;
    if (args.isSet(QLatin1String(toneOption))) {
        bool ok = false;
        hz = args.value(QLatin1String(toneOption)).toDouble(&ok);
        if (!ok || hz < 0 || hz >= sim::kSampleRate / 2) {
            std::fprintf(stderr, "skypesim: --%s needs a frequency below 8000 Hz (0 for silence)\n", toneOption);
            return false;
        }
    }
    source = hz > 0 ? CPcmSource::Tone(hz, sim::kToneAmplitude) : CPcmSource::Silence();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    auto app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("skypesim"));

    QCommandLineParser args;
    args.addOptions({
        {QStringLiteral("attach"), QString(), QStringLiteral("mode")},
        {QStringLiteral("pending-ms"), QString(), QStringLiteral("ms")},
        {QStringLiteral("user"), QString(), QStringLiteral("handle")},
        {QStringLiteral("contacts"), QString(), QStringLiteral("list")},
        {QStringLiteral("userstatus"), QString(), QStringLiteral("word")},
        {QStringLiteral("connstatus"), QString(), QStringLiteral("word")},
        {QStringLiteral("own-wav"), QString(), QStringLiteral("file")},
        {QStringLiteral("remote-wav"), QString(), QStringLiteral("file")},
        {QStringLiteral("own-tone"), QString(), QStringLiteral("hz")},
        {QStringLiteral("remote-tone"), QString(), QStringLiteral("hz")},
        {QStringLiteral("fast"), QString()},
        {QStringLiteral("scenario"), QString(), QStringLiteral("file")},
        {QStringLiteral("log"), QString(), QStringLiteral("file")},
        {QStringLiteral("window"), QString()},
        {QStringLiteral("help"), QString()},
    });
    if (!args.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "skypesim: %s (see --help)\n", qPrintable(args.errorText()));
        return 2;
    }
    if (args.isSet(QStringLiteral("help"))) {
        std::fputs(CSkypeSim::UsageText().toUtf8().constData(), stdout);
        return 0;
    }

    SimOptions options;
    if (args.isSet(QStringLiteral("attach")))
        options.attachMode = args.value(QStringLiteral("attach")).toLower();
    options.pendingMs = args.value(QStringLiteral("pending-ms")).toInt();
    options.user = args.value(QStringLiteral("user"));
    if (args.isSet(QStringLiteral("contacts")))
    {
        options.contacts = args.value(QStringLiteral("contacts"));
        options.contactsSet = true;
    }
    if (args.isSet(QStringLiteral("userstatus")))
        options.userStatus = args.value(QStringLiteral("userstatus"));
    if (args.isSet(QStringLiteral("connstatus")))
        options.connStatus = args.value(QStringLiteral("connstatus"));
    options.fast = args.isSet(QStringLiteral("fast"));
    if (!ReadSource(args, "own-wav", "own-tone", sim::kDefaultOwnToneHz, options.ownSource) ||
        !ReadSource(args, "remote-wav", "remote-tone", sim::kDefaultRemoteToneHz, options.remoteSource))
        return 2;
    if (args.isSet(QStringLiteral("log")) && !CSimLog::Instance().OpenFile(args.value(QStringLiteral("log")))) {
        std::fprintf(stderr, "skypesim: cannot open log file %s\n", qPrintable(args.value(QStringLiteral("log"))));
        return 2;
    }

    // Signals become a byte on a pipe, read by the event loop.
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("skypesim: pipe");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, app.get(), [] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        QCoreApplication::exit(0);
    });

    CSkypeSim sim(options);
    QObject::connect(&sim, &CSkypeSim::QuitRequested, app.get(), [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    QString error;
    if (!sim.Start(error)) {
        std::fprintf(stderr, "skypesim: %s\n", qPrintable(error));
        return 1;
    }

    std::unique_ptr<CSimWindow> window;
    if (args.isSet(QStringLiteral("window"))) {
        window = std::make_unique<CSimWindow>([&sim](const QString& state) { sim.Execute(QStringLiteral("windowstate ") + state); });
        if (!window->Create())
            window.reset();
        else
            sim.SetWindowControl([&window](const QString& how) { return window && window->Control(how); });
    }

    // Two runners: the scenario's lines and the lines of standard input.
    qsizetype scenarioMark = 0, inputMark = 0;
    auto execute = [&sim](const QString& line) { sim.Execute(line); };
    CScenario scenario(QStringLiteral("scenario"), execute,
                       [&](const QString& what, bool starting) { return sim.CheckCondition(what, starting, scenarioMark); });
    CScenario input(QStringLiteral("stdin"), execute,
                    [&](const QString& what, bool starting) { return sim.CheckCondition(what, starting, inputMark); });

    SimLog("READY", sim.ClientWindow());

    const bool haveScenario = args.isSet(QStringLiteral("scenario"));
    if (haveScenario && !scenario.Load(args.value(QStringLiteral("scenario")), error)) {
        std::fprintf(stderr, "skypesim: %s\n", qPrintable(error));
        return 2;
    }

    // Standard input, read without blocking the event loop; lines run as they arrive.
    QByteArray pending;
    std::unique_ptr<QSocketNotifier> stdinNotifier;
    const int stdinFlags = ::fcntl(STDIN_FILENO, F_GETFL);
    if (stdinFlags >= 0) {
        ::fcntl(STDIN_FILENO, F_SETFL, stdinFlags | O_NONBLOCK);
        stdinNotifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(stdinNotifier.get(), &QSocketNotifier::activated, app.get(), [&] {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
                if (n > 0) {
                    pending.append(buffer, n);
                    continue;
                }
                QStringList lines;
                qsizetype newline;
                while ((newline = pending.indexOf('\n')) >= 0) {
                    lines << QString::fromUtf8(pending.left(newline));
                    pending.remove(0, newline + 1);
                }
                if (n == 0) {
                    // End of input: a last unterminated line still counts.
                    if (!pending.isEmpty())
                        lines << QString::fromUtf8(pending);
                    pending.clear();
                    stdinNotifier->setEnabled(false);
                    input.Append(lines);
                    if (!haveScenario)
                        input.Append(QStringLiteral("quit"));
                    return;
                }
                if (!lines.isEmpty())
                    input.Append(lines);
                return; // EAGAIN or an error: wait for the next notification
            }
        });
    }

    const int status = app->exec();
    if (stdinFlags >= 0)
        ::fcntl(STDIN_FILENO, F_SETFL, stdinFlags); // the descriptor may be shared (a terminal)
    window.reset();
    sim.StopAllAudio();
    SimLog("QUIT");
    CSimLog::Instance().Close();
    return status;
}
