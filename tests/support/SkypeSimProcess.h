#pragma once
// Runs skypesim (the Skype client stand-in) for a test, on the test's session bus.
//
//   testenv::SkypeSimProcess sim;
//   ASSERT_TRUE(sim.Start({"--attach", "pending", "--fast"}));   // waits for "READY"
//   sim.Write("incoming 41 alice");                            // a control line
//   ASSERT_TRUE(sim.WaitForLine("RECV get call 41 type"));      // pumps the Qt event loop
//   EXPECT_TRUE(sim.Received().contains("ping"));
//
// The executable comes from the environment variable KESTREL_SKYPESIM (set by ctest). Every
// line skypesim prints is kept; Lines() gives them all, Received() the commands of its "RECV"
// lines. The waits look at every line from index `from` on (0: all lines so far), so a test
// that expects a new line passes LineCount() taken before the action. The destructor asks
// skypesim to quit and kills it if it does not.
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace testenv {

class SkypeSimProcess {
public:
    SkypeSimProcess() = default;
    ~SkypeSimProcess();
    SkypeSimProcess(const SkypeSimProcess&) = delete;
    SkypeSimProcess& operator=(const SkypeSimProcess&) = delete;

    // The skypesim executable (KESTREL_SKYPESIM); empty when not set.
    static QString Executable();

    // Starts skypesim with args and waits for its "READY <window>" line.
    bool Start(const QStringList& args = {}, int timeoutMs = 10000);
    // Writes one control line to skypesim's standard input.
    void Write(const QString& line);
    // Closes skypesim's standard input (without a scenario, skypesim then ends).
    void CloseInput();
    // Sends SIGTERM.
    void Terminate() { m_process.terminate(); }
    // Waits until a line at index from or later contains text (or matches re); returns its
    // index, or -1 on time-out.
    int WaitForLine(const QString& text, int timeoutMs = 5000, int from = 0);
    int WaitForMatch(const QRegularExpression& re, int timeoutMs = 5000, int from = 0);
    // Ends skypesim with "quit" (then SIGTERM, then SIGKILL); returns its exit code (also when
    // it had already ended by itself), -1 when it had to be killed or never started.
    int Stop(int timeoutMs = 5000);

    QStringList Lines();
    int LineCount();
    // The commands skypesim received, in order (its "RECV" lines without the tag).
    QStringList Received();
    // skypesim's API window handle, from its "READY" line.
    QString ClientWindow() const { return m_window; }
    bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }
    QString StdErr();

private:
    void Collect();

    QProcess m_process;
    QByteArray m_partial;
    QStringList m_lines;
    QString m_window;
    bool m_started = false;
    bool m_inputOpen = false;
};

} // namespace testenv
