#pragma once
// Runs control lines in order: the lines of a scenario file, or the lines arriving on standard
// input. Most lines are handed to the executor at once; "wait MS" pauses the runner, and
// "waitfor ..." pauses it until a condition holds (or its time-out passes). Each runner has
// its own queue, so a long wait in a scenario does not hold up control lines from stdin.
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

class CScenario : public QObject {
    Q_OBJECT
public:
    // execute runs one line (not "wait"/"waitfor"); condition answers a "waitfor" (the words
    // after "waitfor") with true when it holds; condition is first asked when the wait starts,
    // so a condition must be about what happens from then on or about current state.
    using Executor = std::function<void(const QString& line)>;
    using Condition = std::function<bool(const QString& what, bool starting)>;

    CScenario(QString name, Executor execute, Condition condition, QObject* parent = nullptr);

    // Reads a scenario file; false (with error) when it cannot be read.
    bool Load(const QString& path, QString& error);
    // Appends lines and runs what can run now.
    void Append(const QStringList& lines);
    void Append(const QString& line) { Append(QStringList{line}); }
    // True while lines are queued or a wait runs.
    bool IsBusy() const;
    void SetWaitForTimeout(int ms) { m_waitForTimeoutMs = ms; }

signals:
    // Every queued line has run.
    void Finished();

private:
    void Run();
    void PollCondition();

    QString m_name;
    Executor m_execute;
    Condition m_condition;
    QStringList m_lines;
    QTimer m_waitTimer;
    QTimer m_pollTimer;
    QString m_waitFor;
    qint64 m_waitForDeadline = 0;
    int m_waitForTimeoutMs;
    bool m_running = false;
};
