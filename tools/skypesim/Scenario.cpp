#include "Scenario.h"

#include <QDateTime>
#include <QFile>
#include <QTextStream>

#include "SimConstants.h"
#include "SimLog.h"

CScenario::CScenario(QString name, Executor execute, Condition condition, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_execute(std::move(execute)), m_condition(std::move(condition)),
      m_waitForTimeoutMs(sim::kDefaultWaitForTimeoutMs)
{
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this, &CScenario::Run);
    m_pollTimer.setInterval(sim::kWaitForPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &CScenario::PollCondition);
}

bool CScenario::Load(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    QStringList lines;
    QTextStream in(&file);
    while (!in.atEnd())
        lines << in.readLine();
    Append(lines);
    return true;
}

void CScenario::Append(const QStringList& lines)
{
    m_lines << lines;
    Run();
}

bool CScenario::IsBusy() const
{
    return !m_lines.isEmpty() || m_waitTimer.isActive() || m_pollTimer.isActive();
}

void CScenario::Run()
{
    // Lines executed here may append lines (or quit); never run the loop twice at once.
    if (m_running || m_waitTimer.isActive() || m_pollTimer.isActive())
        return;
    m_running = true;
    while (!m_lines.isEmpty()) {
        const QString line = m_lines.takeFirst().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString verb = line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).toLower();
        const QString rest = line.section(QLatin1Char(' '), 1, -1, QString::SectionSkipEmpty);
        if (verb == QLatin1String("wait")) {
            bool ok = false;
            const int ms = rest.toInt(&ok);
            if (!ok || ms < 0) {
                SimLog("BADCMD", line + QStringLiteral(" : wait needs milliseconds"));
                continue;
            }
            SimLog("DO", line);
            m_waitTimer.start(ms);
            m_running = false;
            return;
        }
        if (verb == QLatin1String("waittimeout")) {
            bool ok = false;
            const int ms = rest.toInt(&ok);
            if (!ok || ms < 0) {
                SimLog("BADCMD", line + QStringLiteral(" : waittimeout needs milliseconds"));
                continue;
            }
            SimLog("DO", line);
            m_waitForTimeoutMs = ms;
            continue;
        }
        if (verb == QLatin1String("waitfor")) {
            if (rest.isEmpty()) {
                SimLog("BADCMD", line + QStringLiteral(" : waitfor needs a condition"));
                continue;
            }
            SimLog("DO", line);
            if (m_condition(rest, true))
                continue;
            m_waitFor = rest;
            m_waitForDeadline = QDateTime::currentMSecsSinceEpoch() + m_waitForTimeoutMs;
            m_pollTimer.start();
            m_running = false;
            return;
        }
        m_execute(line);
    }
    m_running = false;
    emit Finished();
}

void CScenario::PollCondition()
{
    if (m_condition(m_waitFor, false)) {
        m_pollTimer.stop();
        Run();
    } else if (QDateTime::currentMSecsSinceEpoch() >= m_waitForDeadline) {
        m_pollTimer.stop();
        SimLog("TIMEOUT", QStringLiteral("waitfor ") + m_waitFor);
        Run();
    }
}
