#include "settings/AutoStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "platform/PlatformConstants.h"
#include "settings/SettingsConstants.h"

namespace {

// A path as one quoted argument of a desktop entry's Exec key: inside the quotes the characters
// ", `, $ and backslash take a backslash; the value itself escapes backslashes again, and % is doubled.
QString QuotedExec(const QString& path)
{
    QString quoted = "\"";
    for (QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted += u'"';
    QString value;
    for (QChar c : quoted) {
        if (c == u'\\')
            value += QLatin1String("\\\\");
        else if (c == u'%')
            value += QLatin1String("%%");
        else
            value += c;
    }
    return value;
}

} // namespace

QString AutoStartEntryPath()
{
    return Folders::ConfigHome() + "/autostart/" + kAutoStartName + ".desktop";
}

int EnableAutoStart()
{
    const QString entry = AutoStartEntryPath();
    if (!QDir().mkpath(QFileInfo(entry).absolutePath()))
        return 0;
    if (QFileInfo::exists(entry))
        return 1; // left as it is, even when it names another place of the program
    const QString program = QCoreApplication::applicationFilePath();
    if (program.isEmpty() || program.size() > kMaxExecutablePath || program.contains(u'\n') || program.contains(u'\r'))
        return 0;
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Exec=%2\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(QLatin1String(kProductName), QuotedExec(program));
    return AtomicFile::Write(entry, text.toUtf8()) ? 1 : 0;
}

int DisableAutoStart()
{
    return QFile::remove(AutoStartEntryPath()) ? 1 : 0;
}
