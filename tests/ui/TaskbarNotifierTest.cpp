// The popup notifier: where it comes from for each task-bar side, its timer-driven slide out,
// stay and slide back, its shape, hover look and click.
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <vector>

#include "platform/MessageWindow.h"
#include "support/TestEnv.h"
#include "ui/Resources.h"
#include "ui/TaskbarNotifier.h"

using namespace ui;
using N = CTaskbarNotifier;

namespace {

const QRect kScreen(0, 0, 1000, 800);
constexpr int kSkinW = 40, kSkinH = 20; // 20 steps sideways, 10 up or down

// A white skin with magenta corners.
QImage TestSkin()
{
    QImage img(kSkinW, kSkinH, QImage::Format_RGB888);
    img.fill(Qt::white);
    for (const QPoint& p : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(kSkinW - 1, kSkinH - 1)})
        img.setPixelColor(p, kPopupKey);
    return img;
}

struct Popup {
    explicit Popup(const QRect& work, N::Timings t = {40, 6000, 20})
    {
        popup.Create(&owner);
        popup.SetGeometryHook([work] { return N::ScreenGeometry{work, kScreen}; });
        popup.SetTimings(t);
        EXPECT_TRUE(popup.SetSkin(TestSkin()));
        popup.SetTextFont();
    }
    ~Popup() { popup.Hide(); }
    // Drives timer `id` by hand until the state changes or `max` ticks ran; returns the ticks.
    int Tick(int id, int max = 1000)
    {
        const N::AnimState before = popup.State();
        int n = 0;
        while (n < max) {
            popup.OnTimer(id);
            ++n;
            if (popup.State() != before && !(before == N::Hidden && popup.State() == N::Appearing))
                break;
        }
        return n;
    }
    QWidget owner;
    N popup;
};

} // namespace

TEST(TaskbarNotifier, TaskbarSideFromTheWorkArea)
{
    struct Case { QRect work; N::TaskbarSide side; };
    const Case cases[] = {
        {QRect(0, 0, 1000, 760), N::SideBottom},
        {QRect(0, 40, 1000, 760), N::SideTop},
        {QRect(60, 0, 940, 800), N::SideLeft},
        {QRect(0, 0, 940, 800), N::SideRight},
        {QRect(0, 0, 1000, 800), N::SideBottom}, // auto-hidden task bar
    };
    for (const Case& c : cases)
        EXPECT_EQ(N::FindTaskbarSide(c.work, kScreen), c.side) << c.work.x() << "," << c.work.y();
}

// For each side: the start position, the fully shown position after the slide out, and the way
// back; the popup has the skin's size while it moves.
TEST(TaskbarNotifier, SlidesOutFromTheTaskbarSide)
{
    struct Case {
        QRect work;
        N::TaskbarSide side;
        QPoint start, shown;
        int steps;
    };
    const Case cases[] = {
        // work area right = 1000, bottom = 760
        {QRect(0, 0, 1000, 760), N::SideBottom, {1000 - kSkinW - 2, 760}, {1000 - kSkinW - 2, 760 - kSkinH}, kSkinH / 2},
        // top: slides down from above the work area at its right edge
        {QRect(0, 40, 1000, 760), N::SideTop, {1000 - kSkinW, 40 - kSkinH}, {1000 - kSkinW, 40}, kSkinH / 2},
        // left: slides in from the left at the bottom of the work area
        {QRect(60, 0, 940, 800), N::SideLeft, {60 - kSkinW, 800 - kSkinH}, {60, 800 - kSkinH}, kSkinW / 2},
        {QRect(0, 0, 940, 800), N::SideRight, {940, 800 - kSkinH}, {940 - kSkinW, 800 - kSkinH}, kSkinW / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.side));
        Popup f(c.work);
        f.popup.Show("Kestrel is Running!");
        EXPECT_EQ(f.popup.Side(), c.side);
        EXPECT_EQ(f.popup.StartPos(), c.start);
        EXPECT_TRUE(f.popup.isVisible());
        EXPECT_TRUE(f.popup.IsTimerActive(IDT_APPEARING));
        // time to show / steps: 40 ms over 10 or 20 steps
        EXPECT_EQ(f.popup.TimerPeriod(IDT_APPEARING), 40u / unsigned(c.steps));

        f.popup.OnTimer(IDT_APPEARING);
        EXPECT_EQ(f.popup.State(), N::Appearing);
        EXPECT_EQ(f.popup.geometry().size(), QSize(kSkinW, kSkinH));
        EXPECT_EQ((f.popup.CurrentPos() - c.start).manhattanLength(), kPopupStep);
        // steps - 1 more moves, then one tick that finds it fully out
        EXPECT_EQ(f.Tick(IDT_APPEARING), c.steps);
        EXPECT_EQ(f.popup.State(), N::Showing);
        EXPECT_EQ(f.popup.geometry().topLeft(), c.shown);
        EXPECT_FALSE(f.popup.IsTimerActive(IDT_APPEARING));
        EXPECT_TRUE(f.popup.IsTimerActive(IDT_WAITING));
        EXPECT_EQ(f.popup.TimerPeriod(IDT_WAITING), 6000u);

        f.popup.OnTimer(IDT_WAITING);
        EXPECT_FALSE(f.popup.IsTimerActive(IDT_WAITING));
        EXPECT_TRUE(f.popup.IsTimerActive(IDT_DISAPPEARING));
        EXPECT_EQ(f.popup.TimerPeriod(IDT_DISAPPEARING), 20u / unsigned(c.steps));
        EXPECT_EQ(f.popup.State(), N::Showing);

        EXPECT_EQ(f.Tick(IDT_DISAPPEARING), 1);
        EXPECT_EQ(f.popup.State(), N::Disappearing);
        f.Tick(IDT_DISAPPEARING);
        EXPECT_EQ(f.popup.State(), N::Hidden);
        EXPECT_FALSE(f.popup.isVisible());
        EXPECT_EQ(f.popup.geometry().topLeft(), c.start) << "a hidden popup keeps its last place";
        for (int id : {IDT_APPEARING, IDT_WAITING, IDT_DISAPPEARING})
            EXPECT_FALSE(f.popup.IsTimerActive(id));
    }
}

TEST(TaskbarNotifier, ShowAgainWhileShownRestartsTheStay)
{
    Popup f(QRect(0, 0, 1000, 760));
    f.popup.Show("first");
    f.Tick(IDT_APPEARING);
    ASSERT_EQ(f.popup.State(), N::Showing);
    f.popup.SetTimings({40, 7000, 20});
    f.popup.Show("second");
    EXPECT_EQ(f.popup.Text(), "second");
    EXPECT_EQ(f.popup.State(), N::Showing);
    EXPECT_EQ(f.popup.TimerPeriod(IDT_WAITING), 7000u);

    // The stay ended but the slide back has not ticked yet: a new text still gets its stay.
    f.popup.OnTimer(IDT_WAITING);
    f.popup.Show("third");
    EXPECT_TRUE(f.popup.IsTimerActive(IDT_WAITING));
    EXPECT_FALSE(f.popup.IsTimerActive(IDT_DISAPPEARING));
}

TEST(TaskbarNotifier, ShowWhileSlidingBackJumpsToFullyShown)
{
    Popup f(QRect(0, 0, 1000, 760));
    f.popup.Show("first");
    f.Tick(IDT_APPEARING);
    f.popup.OnTimer(IDT_WAITING);
    for (int i = 0; i < 4; ++i)
        f.popup.OnTimer(IDT_DISAPPEARING);
    ASSERT_EQ(f.popup.State(), N::Disappearing);
    ASSERT_EQ(f.popup.geometry().y(), 760 - kSkinH + 4 * kPopupStep);

    f.popup.Show("again");
    EXPECT_EQ(f.popup.geometry().topLeft(), QPoint(1000 - kSkinW - 2, 760 - kSkinH));
    EXPECT_FALSE(f.popup.IsTimerActive(IDT_DISAPPEARING));
    EXPECT_TRUE(f.popup.IsTimerActive(IDT_WAITING));
    EXPECT_EQ(f.popup.State(), N::Disappearing) << "until the slide back runs again";
    f.popup.OnTimer(IDT_WAITING);
    EXPECT_EQ(f.Tick(IDT_DISAPPEARING, 100), kSkinH / 2 + 1);
    EXPECT_EQ(f.popup.State(), N::Hidden);
}

TEST(TaskbarNotifier, HideBeforeTheFirstTickStopsTheSlide)
{
    Popup f(QRect(0, 0, 1000, 760));
    f.popup.Show("x");
    f.popup.Hide();
    EXPECT_FALSE(f.popup.IsTimerActive(IDT_APPEARING));
    EXPECT_FALSE(f.popup.isVisible());
}

// The real timers, with short periods: out, stay, back, hidden.
TEST(TaskbarNotifier, TimersRunTheWholeCycle)
{
    Popup f(QRect(0, 40, 1000, 760), {20, 60, 20});
    std::vector<N::AnimState> seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (seen.empty() || seen.back() != f.popup.State())
            seen.push_back(f.popup.State());
    });
    watch.start(0);
    f.popup.Show("Kestrel is Running!");
    EXPECT_TRUE(testenv::WaitUntil([&] { return f.popup.State() == N::Showing; }, 5000));
    EXPECT_EQ(f.popup.geometry().topLeft(), QPoint(1000 - kSkinW, 40));
    EXPECT_TRUE(testenv::WaitUntil([&] { return !seen.empty() && seen.back() == N::Hidden; }, 5000));
    const std::vector<N::AnimState> expected{N::Hidden, N::Appearing, N::Showing, N::Disappearing, N::Hidden};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(f.popup.geometry().topLeft(), QPoint(1000 - kSkinW, 40 - kSkinH));
}

TEST(TaskbarNotifier, SkinShapesTheWindow)
{
    Popup f(QRect(0, 0, 1000, 760));
    EXPECT_EQ(f.popup.SkinSize(), QSize(kSkinW, kSkinH));
    EXPECT_EQ(f.popup.TextRect(), QRect(0, 0, kSkinW, kSkinH));
    const QRegion mask = f.popup.mask();
    for (const QPoint& p : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(kSkinW - 1, kSkinH - 1)})
        EXPECT_FALSE(mask.contains(p)) << p.x() << "," << p.y();
    for (const QPoint& p : {QPoint(2, 0), QPoint(1, 1), QPoint(kSkinW - 2, kSkinH - 1), QPoint(20, 10)})
        EXPECT_TRUE(mask.contains(p)) << p.x() << "," << p.y();

    // Kestrel's own skin: every magenta pixel is a hole, the rest is window.
    QWidget owner;
    N real;
    real.Create(&owner);
    ASSERT_TRUE(real.SetSkin());
    const QImage skin = LoadBitmapImage(IDB_POPUP_SKIN);
    EXPECT_EQ(real.SkinSize(), skin.size());
    int holes = 0;
    for (int y = 0; y < skin.height(); ++y)
        for (int x = 0; x < skin.width(); ++x) {
            const bool key = skin.pixelColor(x, y) == kPopupKey;
            holes += key;
            ASSERT_EQ(real.mask().contains(QPoint(x, y)), !key) << x << "," << y;
        }
    EXPECT_GT(holes, 0);
}

namespace {
// Counts the text's pixels in an image of dark text on white: (grey ones, blue ones).
std::pair<int, int> TextPixels(const QImage& img, const QRect& r)
{
    int grey = 0, blue = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c == Qt::white)
                continue;
            if (c.blue() > c.red() + 40)
                ++blue;
            else if (c.red() == c.green() && c.green() == c.blue())
                ++grey;
        }
    return {grey, blue};
}
} // namespace

TEST(TaskbarNotifier, TextTakesTheHoverColourUnderTheMouse)
{
    QWidget owner;
    N popup;
    popup.Create(&owner);
    QImage skin(200, 90, QImage::Format_RGB888);
    skin.fill(Qt::white);
    popup.SetSkin(skin);
    popup.SetTextFont();
    EXPECT_EQ(popup.NormalFont().pointSize(), 10);
    EXPECT_TRUE(popup.NormalFont().bold());
    EXPECT_EQ(popup.NormalColour(), kPopupNormalColour);
    EXPECT_EQ(popup.HoverColour(), kPopupHoverColour);
    // As the main window sets it up.
    popup.SetTextColours(Qt::black, QColor(0, 0, 200));
    const QRect text(10, 30, 180, 50);
    popup.SetTextRect(text);
    popup.resize(200, 90);
    popup.Show("Kestrel is Running!");

    auto [grey, blue] = TextPixels(popup.grab().toImage(), popup.rect());
    EXPECT_GT(grey, 30);
    EXPECT_EQ(blue, 0);

    QEnterEvent enter(QPointF(50, 50), QPointF(50, 50), QPointF(50, 50));
    QApplication::sendEvent(&popup, &enter);
    EXPECT_TRUE(popup.IsMouseOver());
    std::tie(grey, blue) = TextPixels(popup.grab().toImage(), popup.rect());
    EXPECT_GT(blue, 30);
    EXPECT_LT(grey, 3);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&popup, &leave);
    EXPECT_FALSE(popup.IsMouseOver());
    std::tie(grey, blue) = TextPixels(popup.grab().toImage(), popup.rect());
    EXPECT_EQ(blue, 0);

    // A text too long for the rectangle stays inside it.
    popup.Show(QString("Recording saved to a folder with a rather long name, ").repeated(6));
    const QImage img = popup.grab().toImage();
    QRegion outside = QRegion(popup.rect()) - QRegion(text);
    int stray = 0;
    for (const QRect& r : outside)
        stray += TextPixels(img, r).first + TextPixels(img, r).second;
    EXPECT_EQ(stray, 0);
    EXPECT_GT(TextPixels(img, text).first, 100);
}

namespace {
class Recorder : public CMessageWindow {
public:
    bool OnWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT&) override
    {
        messages.push_back({msg, w, l});
        return true;
    }
    struct Msg { UINT msg; WPARAM w; LPARAM l; };
    std::vector<Msg> messages;
};
} // namespace

TEST(TaskbarNotifier, LeftClickIsPostedToTheOwner)
{
    QWidget owner;
    Recorder recorder;
    N popup;
    popup.Create(&owner, recorder.Handle());
    popup.SetSkin(TestSkin());
    popup.resize(kSkinW, kSkinH);
    QSignalSpy spy(&popup, &N::clicked);
    QTest::mouseClick(&popup, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseClick(&popup, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(spy.count(), 1);
    ASSERT_TRUE(testenv::WaitUntil([&] { return !recorder.messages.empty(); }, 2000));
    testenv::Pump(20);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].msg, 0x47Bu);
    EXPECT_EQ(recorder.messages[0].w, 0u);
    EXPECT_EQ(recorder.messages[0].l, 0);
}
