#include "platform/Folders.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/PlatformConstants.h"

namespace {
QString FromEnv(const char* name, const QString& fallback)
{
    QString value = qEnvironmentVariable(name);
    if (value.isEmpty() || !QDir::isAbsolutePath(value))
        return fallback;
    return QDir::cleanPath(value);
}
} // namespace

namespace Folders {
QString Home() { return QDir::homePath(); }
QString ConfigHome() { return FromEnv("XDG_CONFIG_HOME", Home() + "/.config"); }
QString DataHome() { return FromEnv("XDG_DATA_HOME", Home() + "/.local/share"); }
QString RuntimeDir() { return FromEnv("XDG_RUNTIME_DIR", QDir::tempPath()); }
QString Documents()
{
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return docs.isEmpty() ? Home() + "/Documents" : docs;
}
QString AppData() { return DataHome() + "/" + kProductFolder; }
QString AppConfig() { return ConfigHome() + "/" + kProductFolder; }
QString DefaultRecordings() { return Documents() + "/" + kProductFolder; }
bool Ensure(const QString& path) { return QDir().mkpath(path); }
} // namespace Folders
