#include "SimLog.h"

#include <QFile>

CSimLog& CSimLog::Instance()
{
    static CSimLog log;
    return log;
}

bool CSimLog::OpenFile(const QString& path)
{
    std::lock_guard lock(m_lock);
    if (m_file)
        std::fclose(m_file);
    m_file = std::fopen(QFile::encodeName(path).constData(), "a");
    return m_file != nullptr;
}

void CSimLog::Close()
{
    std::lock_guard lock(m_lock);
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

void CSimLog::Line(const char* tag, const QString& text)
{
    // A text never spans lines in the log.
    QByteArray line(tag);
    if (!text.isEmpty()) {
        QString flat = text;
        flat.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
        line += ' ';
        line += flat.toUtf8();
    }
    line += '\n';
    std::lock_guard lock(m_lock);
    std::fwrite(line.constData(), 1, line.size(), stdout);
    std::fflush(stdout);
    if (m_file) {
        std::fwrite(line.constData(), 1, line.size(), m_file);
        std::fflush(m_file);
    }
}
