#pragma once
// Makes sure only one copy of Kestrel runs for a user: a lock file named after the
// "KESTREL_CALLRECORDER" mutex in the runtime folder. The lock goes with the process, so a copy
// that crashed does not keep the next one from starting.
#include <QLockFile>
#include <QString>

#include <memory>

class CSingleInstance {
public:
    explicit CSingleInstance(const QString& name);
    // True when this process holds the lock: no other copy runs.
    bool Acquire();
    bool Held() const { return m_held; }
    QString Path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};
