// The artwork compiled into Kestrel: every picture the windows ask for is there, at its size,
// and the window shapes come out of the key colours.
#include <gtest/gtest.h>

#include "ui/Resources.h"

using namespace ui;

TEST(Resources, EveryBitmapLoadsAtItsSize)
{
    struct Case { int id; QSize size; };
    const Case cases[] = {
        {IDB_BACKGROUND, {438, 98}},
        {IDB_HIDE_NORMAL, {16, 16}}, {IDB_HIDE_HOVER, {16, 16}}, {IDB_HIDE_PRESSED, {16, 16}},
        {IDB_START_NORMAL, {32, 32}}, {IDB_START_HOVER, {32, 32}}, {IDB_START_PRESSED, {32, 32}},
        {IDB_STOP_NORMAL, {32, 32}}, {IDB_STOP_HOVER, {32, 32}}, {IDB_STOP_PRESSED, {32, 32}},
        {IDB_PAUSE_NORMAL, {32, 32}}, {IDB_PAUSE_HOVER, {32, 32}}, {IDB_PAUSE_PRESSED, {32, 32}},
        {IDB_MARK_OWN, {12, 12}}, {IDB_MARK_REMOTE, {10, 10}},
        {IDB_STATUS_STRIP, {kStatusIconCount * kStripIconSize, kStripIconSize}},
        {IDB_HISTORY_NORMAL, {32, 32}}, {IDB_HISTORY_HOVER, {32, 32}},
        {IDB_OPTIONS_NORMAL, {32, 32}}, {IDB_OPTIONS_HOVER, {32, 32}},
        {IDB_HELP_NORMAL, {32, 32}}, {IDB_HELP_HOVER, {32, 32}},
        {IDB_TOPMOST_NORMAL, {15, 15}}, {IDB_TOPMOST_HOVER, {15, 15}}, {IDB_TOPMOST_PRESSED, {15, 15}},
        {IDB_STICK_NORMAL, {15, 15}}, {IDB_STICK_HOVER, {15, 15}}, {IDB_STICK_PRESSED, {15, 15}},
        {IDB_ELAPSED_BOX, kElapsedBoxSize},
        {IDB_BAR_LEFT, {37, 45}}, {IDB_BAR_RIGHT, {37, 45}}, {IDB_BAR_CENTRE, {426, 45}}, {IDB_BAR_FILLER, {11, 45}},
    };
    for (const Case& c : cases) {
        const QPixmap pm = LoadBitmap(c.id);
        ASSERT_FALSE(pm.isNull()) << "bitmap " << c.id;
        EXPECT_EQ(pm.size(), c.size) << "bitmap " << c.id;
    }
    EXPECT_TRUE(LoadBitmap(4242).isNull());
    const QSize skin = LoadBitmap(IDB_POPUP_SKIN).size();
    EXPECT_GE(skin.width(), 2);
    EXPECT_GE(skin.height(), 2);
    const QIcon icon = LoadAppIcon();
    for (int size : {16, 32, 48, 64, 128, 256})
        EXPECT_EQ(icon.pixmap(size, size).size(), QSize(size, size)) << size;
}

TEST(Resources, WindowShapesComeFromTheKeyColours)
{
    struct Case { int id; QColor key; };
    for (const Case& c : {Case{IDB_BACKGROUND, kMainWindowKey}, Case{IDB_POPUP_SKIN, kPopupKey},
                          Case{IDB_BAR_LEFT, kDockBarKey}, Case{IDB_BAR_RIGHT, kDockBarKey}}) {
        const QImage img = LoadBitmapImage(c.id);
        const QRegion shape = RegionFromImage(img, c.key);
        int holes = 0;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const bool key = (img.pixel(x, y) & 0xFFFFFF) == (c.key.rgb() & 0xFFFFFF);
                holes += key;
                ASSERT_EQ(shape.contains(QPoint(x, y)), !key) << c.id << " at " << x << "," << y;
            }
        }
        // Rounded corners are holes; the middle is solid.
        EXPECT_GT(holes, 0) << c.id;
        EXPECT_TRUE(shape.contains(QPoint(img.width() / 2, img.height() / 2))) << c.id;
    }
    // The main window's corners are cut, its hide button's corner (x 421..436, y 1..16) is not.
    const QRegion main = RegionFromImage(LoadBitmapImage(IDB_BACKGROUND), kMainWindowKey);
    EXPECT_FALSE(main.contains(QPoint(0, 0)));
    EXPECT_FALSE(main.contains(QPoint(437, 97)));
    for (const QPoint& pt : {QPoint(433, 1), QPoint(436, 5), QPoint(435, 2)})
        EXPECT_TRUE(main.contains(pt)) << pt.x() << "," << pt.y();
}

TEST(Resources, RegionReadsEveryColumn)
{
    // A width that is not a multiple of 4 with a hole in the last column.
    QImage img(7, 3, QImage::Format_RGB888);
    img.fill(Qt::gray);
    img.setPixelColor(6, 1, kPopupKey);
    img.setPixelColor(0, 0, kPopupKey);
    const QRegion r = RegionFromImage(img, kPopupKey);
    EXPECT_FALSE(r.contains(QPoint(6, 1)));
    EXPECT_FALSE(r.contains(QPoint(0, 0)));
    EXPECT_TRUE(r.contains(QPoint(5, 1)));
    EXPECT_TRUE(r.contains(QPoint(6, 2)));
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 7, 3));
}
