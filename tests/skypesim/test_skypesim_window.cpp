// skypesim's X11 main window (for docking): its class, and the window-state notifications
// its minimising and restoring send.
#include <QDBusConnection>

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "TestProgram.h"
#include "support/SkypeSimProcess.h"
#include "support/TestEnv.h"

namespace {

// Top-level windows of the display whose WM_CLASS class is cls.
int CountWindowsOfClass(const char* cls)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return -1;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    int found = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XClassHint hint{};
            if (XGetClassHint(display, children[i], &hint)) {
                found += hint.res_class && std::string(hint.res_class) == cls;
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
        }
        XFree(children);
    }
    XCloseDisplay(display);
    return found;
}

TEST(SkypeSimWindow, HasTheClientClassAndReportsItsState)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY"));
    testenv::SkypeSimProcess sim;
    ASSERT_TRUE(sim.Start({"--window"}));
    EXPECT_EQ(CountWindowsOfClass("tSkMainForm.UnicodeClass"), 1);

    TestProgram program(QDBusConnection::sessionBus(), QStringLiteral("/ISkypeWnd_window"));
    program.Discover();
    ASSERT_TRUE(testenv::WaitUntil([&] { return !program.clientWindow.isEmpty(); }));
    sim.Write(QStringLiteral("window minimize"));
    EXPECT_EQ(program.TextAt(0), QStringLiteral("WINDOWSTATE MINIMIZED"));
    sim.Write(QStringLiteral("window restore"));
    EXPECT_EQ(program.TextAt(1), QStringLiteral("WINDOWSTATE NORMAL"));
    sim.Write(QStringLiteral("window hide"));
    EXPECT_EQ(program.TextAt(2), QStringLiteral("WINDOWSTATE HIDDEN"));
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(CountWindowsOfClass("tSkMainForm.UnicodeClass"), 0);
}

} // namespace
