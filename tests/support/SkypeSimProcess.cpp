#include "support/SkypeSimProcess.h"

#include "support/TestEnv.h"

namespace testenv {

SkypeSimProcess::~SkypeSimProcess()
{
    Stop();
}

QString SkypeSimProcess::Executable()
{
    return qEnvironmentVariable("KESTREL_SKYPESIM");
}

bool SkypeSimProcess::Start(const QStringList& args, int timeoutMs)
{
    if (Executable().isEmpty() || IsRunning())
        return false;
    m_lines.clear();
    m_partial.clear();
    m_window.clear();
    m_process.setProgram(Executable());
    m_process.setArguments(args);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    m_started = true;
    m_inputOpen = true;
    const int ready = WaitForLine(QStringLiteral("READY "), timeoutMs);
    if (ready < 0)
        return false;
    m_window = m_lines[ready].mid(6).trimmed();
    return true;
}

void SkypeSimProcess::Write(const QString& line)
{
    m_process.write(line.toUtf8() + '\n');
    m_process.waitForBytesWritten(1000);
}

void SkypeSimProcess::Collect()
{
    m_partial += m_process.readAllStandardOutput();
    qsizetype newline;
    while ((newline = m_partial.indexOf('\n')) >= 0) {
        m_lines << QString::fromUtf8(m_partial.left(newline));
        m_partial.remove(0, newline + 1);
    }
}

int SkypeSimProcess::WaitForMatch(const QRegularExpression& re, int timeoutMs, int from)
{
    int found = -1;
    int next = from;
    WaitUntil(
        [&] {
            Collect();
            for (; next < m_lines.size(); ++next) {
                if (re.match(m_lines[next]).hasMatch()) {
                    found = next;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

int SkypeSimProcess::WaitForLine(const QString& text, int timeoutMs, int from)
{
    return WaitForMatch(QRegularExpression(QRegularExpression::escape(text)), timeoutMs, from);
}

int SkypeSimProcess::Stop(int timeoutMs)
{
    if (IsRunning()) {
        if (m_inputOpen)
            Write(QStringLiteral("quit"));
        if (!m_inputOpen || !WaitUntil([this] { return !IsRunning(); }, timeoutMs)) {
            m_process.terminate();
            if (!m_process.waitForFinished(timeoutMs)) {
                m_process.kill();
                m_process.waitForFinished(timeoutMs);
                Collect();
                return -1;
            }
        }
    }
    // Also when it had ended by itself (a scenario's "quit").
    Collect();
    return m_started && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void SkypeSimProcess::CloseInput()
{
    m_inputOpen = false;
    m_process.closeWriteChannel();
}

QStringList SkypeSimProcess::Lines()
{
    Collect();
    return m_lines;
}

int SkypeSimProcess::LineCount()
{
    Collect();
    return int(m_lines.size());
}

QStringList SkypeSimProcess::Received()
{
    Collect();
    QStringList received;
    for (const QString& line : m_lines)
        if (line.startsWith(QLatin1String("RECV ")))
            received << line.mid(5);
    return received;
}

QString SkypeSimProcess::StdErr()
{
    return QString::fromUtf8(m_process.readAllStandardError());
}

} // namespace testenv
