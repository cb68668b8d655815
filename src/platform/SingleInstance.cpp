#include "platform/SingleInstance.h"

#include "platform/Folders.h"

CSingleInstance::CSingleInstance(const QString& name)
    : m_path(Folders::RuntimeDir() + "/" + name + ".lock"), m_lock(std::make_unique<QLockFile>(m_path))
{
    // A lock left by a process that is gone is taken over at once.
    m_lock->setStaleLockTime(0);
}

bool CSingleInstance::Acquire()
{
    if (!m_held) {
        Folders::Ensure(Folders::RuntimeDir());
        m_held = m_lock->tryLock(0);
    }
    return m_held;
}
