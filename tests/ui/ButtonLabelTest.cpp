// Bitmap buttons and labels: the look painted for each state, tooltips, clicks.
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include "ui/LabelEx.h"
#include "ui/MyButtonST.h"
#include "ui/Resources.h"

using namespace ui;

namespace {

QPixmap Solid(const QColor& c, QSize size = {32, 32})
{
    QPixmap pm(size);
    pm.fill(c);
    return pm;
}

QColor Centre(QWidget& w)
{
    const QImage img = w.grab().toImage();
    return img.pixelColor(img.width() / 2, img.height() / 2);
}

void Enter(QWidget& w)
{
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&w, &e);
}

void Leave(QWidget& w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(&w, &e);
}

} // namespace

TEST(MyButtonST, PaintsTheBitmapOfEachState)
{
    CMyButtonST b;
    ASSERT_TRUE(b.SetBitmaps(Solid(Qt::red), Solid(Qt::green), Solid(Qt::blue)));
    EXPECT_EQ(b.size(), QSize(32, 32));
    EXPECT_EQ(Centre(b), QColor(Qt::red));
    Enter(b);
    EXPECT_EQ(b.CurrentLook(), CMyButtonST::Look::Hover);
    EXPECT_EQ(Centre(b), QColor(Qt::green));
    b.setDown(true);
    EXPECT_EQ(Centre(b), QColor(Qt::blue));
    b.setDown(false);
    Leave(b);
    EXPECT_EQ(Centre(b), QColor(Qt::red));

    // Disabled: the normal bitmap greyed and faded, whatever the mouse does.
    b.setEnabled(false);
    Enter(b);
    EXPECT_EQ(b.CurrentLook(), CMyButtonST::Look::Disabled);
    QImage img = b.grab().toImage();
    const QColor c = img.pixelColor(16, 16);
    EXPECT_EQ(c.red(), c.green());
    EXPECT_EQ(c.green(), c.blue());
    b.setEnabled(true);
    EXPECT_EQ(Centre(b), QColor(Qt::green)) << "still under the mouse";
    Leave(b);
    EXPECT_EQ(Centre(b), QColor(Qt::red));
}

TEST(MyButtonST, MissingStatesFallBack)
{
    CMyButtonST tool; // the tool buttons have normal and hover only
    tool.SetBitmaps(Solid(Qt::red), Solid(Qt::green));
    tool.setDown(true);
    EXPECT_EQ(Centre(tool), QColor(Qt::green));

    CMyButtonST mark; // the meter marks: one bitmap, same look when disabled
    mark.SetBitmaps(Solid(Qt::red, {12, 12}));
    mark.setEnabled(false);
    EXPECT_EQ(mark.size(), QSize(12, 12));
    EXPECT_EQ(Centre(mark), QColor(Qt::red));

    CMyButtonST none;
    EXPECT_FALSE(none.SetBitmaps(4242));
}

TEST(MyButtonST, SwapsLookAndTooltipAndClicks)
{
    CMyButtonST b;
    b.SetBitmaps(IDB_START_NORMAL, IDB_START_HOVER, IDB_START_PRESSED);
    b.SetTooltipText("Start Recording");
    const QImage start = b.grab().toImage();
    const QImage art = LoadBitmapImage(IDB_START_NORMAL);
    ASSERT_EQ(art.pixelColor(16, 16).alpha(), 255);
    EXPECT_EQ(start.pixelColor(16, 16), art.pixelColor(16, 16)) << "the artwork drawn as it is";

    // The way the main window changes a button: hide, new bitmaps and tooltip, show.
    b.hide();
    b.SetBitmaps(IDB_STOP_NORMAL, IDB_STOP_HOVER, IDB_STOP_PRESSED);
    b.SetTooltipText("Stop Recording");
    b.show();
    EXPECT_EQ(b.TooltipText(), "Stop Recording");
    EXPECT_NE(b.grab().toImage(), start);

    QSignalSpy spy(&b, &QAbstractButton::clicked);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(spy.count(), 1);
    b.setEnabled(false);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_EQ(spy.count(), 1);
}

TEST(LabelEx, TextColourAndIconFromTheStrip)
{
    CLabelEx label;
    label.resize(200, 18);
    label.setAutoFillBackground(true);
    QPalette pal = label.palette();
    pal.setColor(QPalette::Window, Qt::white);
    label.setPalette(pal);
    label.SetText("Searching for Skype");
    label.SetTextColour(QColor(226, 0, 0));
    EXPECT_FALSE(label.HasIcon());

    auto textPixels = [&](const QImage& img, const QRect& r) {
        int red = 0, other = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c == Qt::white)
                    continue;
                (c.green() == c.blue() && c.red() > c.green() ? red : other)++;
            }
        return std::pair{red, other};
    };
    auto [red, other] = textPixels(label.grab().toImage(), label.rect());
    EXPECT_GT(red, 20);
    EXPECT_EQ(other, 0) << "every text pixel is a shade of the red";

    // Icon 2 of a strip whose icons are solid colours.
    QImage strip(6 * 16, 16, QImage::Format_ARGB32);
    const QColor colours[6] = {Qt::gray, Qt::darkGray, Qt::green, Qt::yellow, Qt::magenta, Qt::blue};
    for (int i = 0; i < 6; ++i)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                strip.setPixelColor(i * 16 + x, y, colours[i]);
    label.SetIconStrip(QPixmap::fromImage(strip));
    label.SetIcon(2);
    ASSERT_TRUE(label.HasIcon());
    QImage img = label.grab().toImage();
    const QRect icon = label.IconRect();
    EXPECT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(img.pixelColor(icon.topLeft()), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(icon.bottomRight()), QColor(Qt::green));
    EXPECT_GE(label.TextRect().left(), icon.right());
    EXPECT_EQ(textPixels(img, label.TextRect()).second, 0) << "the text starts right of the icon";

    label.SetIcon(6); // outside the strip
    EXPECT_FALSE(label.HasIcon());
    // Kestrel's own strip has its six icons.
    EXPECT_TRUE(label.SetIconStrip(IDB_STATUS_STRIP));
    label.SetIcon(kStatusIconSkypeMe);
    EXPECT_TRUE(label.HasIcon());
}

TEST(LabelEx, ClickRunsTheAction)
{
    CLabelEx label;
    label.resize(120, 18);
    label.SetText("echo123");
    int calls = 0;
    label.SetOnClick([&] { ++calls; });
    QSignalSpy spy(&label, &CLabelEx::clicked);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 9));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(spy.count(), 1);
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(10, 9));
    // pressed inside, released outside: no click
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 9));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(300, 9));
    EXPECT_EQ(calls, 1);
}
