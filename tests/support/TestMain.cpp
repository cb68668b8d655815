// main() of every Kestrel test binary.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/TestEnv.h"

namespace {
QString g_root;
}

QString testenv::Root() { return g_root; }

int main(int argc, char** argv)
{
    // A fresh HOME and XDG folders for this binary; removed at the end.
    QTemporaryDir root(QDir::tempPath() + "/kestrel-test-XXXXXX");
    root.setAutoRemove(qEnvironmentVariableIsEmpty("KESTREL_KEEP_TEST_HOME"));
    g_root = root.path();
    const QString runtime = g_root + "/runtime";
    for (const char* sub : {"/config", "/data", "/cache", "/runtime", "/Documents"})
        QDir().mkpath(g_root + sub);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", g_root.toUtf8());
    qputenv("XDG_CONFIG_HOME", (g_root + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (g_root + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (g_root + "/cache").toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    SetMessageBoxHandler([](HWND owner, const QString& text, const QString& caption, UINT type) {
        return testenv::MessageBoxRecorder::Instance().Record(owner, text, caption, type);
    });

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
