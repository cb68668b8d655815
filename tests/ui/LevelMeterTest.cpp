// The level meter's painted pixels, read back with grab(): blocks, the partly lit edge block,
// the range, and the background colour.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "ui/KCBusyProgressCtrl.h"

using namespace ui;

namespace {

const QColor kBackground(0x11, 0x22, 0x33);

// A configured meter of the given width: 20 blocks over 0..512, gap 1, height 10.
struct Meter {
    explicit Meter(int width)
    {
        meter.resize(width, 10);
        meter.ConfigureAsLevelMeter();
        meter.SetFollowSystemColours(false);
        meter.SetBackgroundColour(kBackground);
    }
    QImage Paint(int pos)
    {
        meter.SetPos(pos);
        meter.Repaint();
        return meter.grab().toImage();
    }
    CKCBusyProgressCtrl meter;
};

QColor At(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

} // namespace

TEST(LevelMeter, Defaults)
{
    CKCBusyProgressCtrl m;
    EXPECT_EQ(m.GetNumSteps(), 10);
    EXPECT_EQ(m.GetLower(), 0);
    EXPECT_EQ(m.GetUpper(), 100);
    m.ConfigureAsLevelMeter();
    EXPECT_EQ(m.GetNumSteps(), 20);
    EXPECT_EQ(m.GetUpper(), 512);
    EXPECT_EQ(m.GetMode(), kMeterModeProgress);
    EXPECT_EQ(m.GetPos(), 0);
}

// Width 220: block width (220 - 20) / 20 = 10; block i covers x = 11i .. 11i + 9, its inside
// 11i + 1 .. 11i + 8, and x = 11i + 10 is the gap.
TEST(LevelMeter, LitBlocksFollowTheValue)
{
    Meter m(220);
    struct Case { int pos; int lit; int edge; }; // edge: lit pixels inside block `lit`
    const Case cases[] = {
        {0, 0, 0},
        {256, 10, 0},       // exact multiple of 25.6: no partly lit block
        {300, 11, 7},       // f = 11.71875: 0.71875 * 10 -> 7 pixels
        {13, 0, 5},         // f = 0.5078: half of the first block
        {512, 20, 0},
        {100000, 20, 0},    // above the range: every block, nothing more
        {-40, 0, 0},        // below: nothing lit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pos);
        const QImage img = m.Paint(c.pos);
        ASSERT_EQ(img.size(), QSize(220, 10));
        for (int i = 0; i < 20; ++i) {
            const int x = 11 * i;
            const bool lit = i < c.lit;
            EXPECT_EQ(At(img, x, 5), lit ? kMeterOnBorder : kMeterOffBorder) << "block " << i;
            EXPECT_EQ(At(img, x + 4, 0), lit ? kMeterOnBorder : kMeterOffBorder) << "block " << i;
            EXPECT_EQ(At(img, x + 9, 5), lit ? kMeterOnBorder : kMeterOffBorder) << "block " << i;
            EXPECT_EQ(At(img, x + 10, 5), kBackground) << "gap after block " << i;
            for (int px = x + 1; px <= x + 8; ++px) {
                const bool on = lit || (i == c.lit && px - (x + 1) < c.edge);
                EXPECT_EQ(At(img, px, 5), on ? kMeterOnFill : kMeterOffFill) << "block " << i << " x " << px;
            }
            // the border row stays the border colour even in the edge block
            EXPECT_EQ(At(img, x + 3, 9), lit ? kMeterOnBorder : kMeterOffBorder) << "block " << i;
        }
        EXPECT_EQ(At(img, 219, 5), kBackground); // nothing beyond the last block
    }
}

// A block width that is not whole: the positions accumulate in floating point and truncate.
TEST(LevelMeter, FractionalBlockWidthTruncates)
{
    Meter m(90); // block width 3.5, exact in binary
    EXPECT_DOUBLE_EQ(m.meter.BlockWidth(), 3.5);
    const QImage img = m.Paint(512);
    // block 0: x 0..2 (right 3.5 -> 3); block 1: x = 4.5 -> 4..7 (right 8); block 19: x = 85.5
    // -> 85..88, then background.
    struct Px { int x; QColor colour; };
    for (const Px& p : {Px{0, kMeterOnBorder}, Px{1, kMeterOnFill}, Px{2, kMeterOnBorder}, Px{3, kBackground},
                        Px{4, kMeterOnBorder}, Px{5, kMeterOnFill}, Px{7, kMeterOnBorder}, Px{8, kBackground},
                        Px{84, kBackground}, Px{85, kMeterOnBorder}, Px{87, kMeterOnFill},
                        Px{88, kMeterOnBorder}, Px{89, kBackground}})
        EXPECT_EQ(At(img, p.x, 3), p.colour) << "x " << p.x;
}

TEST(LevelMeter, ResizeRecomputesTheBlocks)
{
    Meter m(90);
    m.Paint(512);
    m.meter.resize(220, 10);
    EXPECT_DOUBLE_EQ(m.meter.BlockWidth(), 10.0);
    const QImage img = m.Paint(512);
    ASSERT_EQ(img.size(), QSize(220, 10));
    EXPECT_EQ(At(img, 209, 5), kMeterOnBorder);
    EXPECT_EQ(At(img, 214, 5), kMeterOnFill);
}

TEST(LevelMeter, ZeroRangeAndOtherModesLightNothing)
{
    Meter m(220);
    m.meter.SetRange(5, 5);
    EXPECT_EQ(At(m.Paint(300), 5, 5), kMeterOffFill);
    m.meter.SetRange(0, 512);
    m.meter.SetMode(0);
    EXPECT_EQ(At(m.Paint(300), 5, 5), kMeterOffFill);
}

TEST(LevelMeter, BackgroundFollowsTheSystemButtonColour)
{
    CKCBusyProgressCtrl meter;
    meter.resize(220, 10);
    meter.ConfigureAsLevelMeter();
    const QPalette saved = QApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Button, QColor(0x40, 0x80, 0x20));
    QApplication::setPalette(changed);
    QApplication::processEvents();
    EXPECT_EQ(meter.grab().toImage().pixelColor(10, 5), QColor(0x40, 0x80, 0x20));
    QApplication::setPalette(saved);
    QApplication::processEvents();
    EXPECT_EQ(meter.grab().toImage().pixelColor(10, 5), saved.color(QPalette::Button));

    meter.SetFollowSystemColours(false);
    meter.SetBackgroundColour(Qt::red);
    QApplication::setPalette(changed);
    QApplication::processEvents();
    EXPECT_EQ(meter.grab().toImage().pixelColor(10, 5), QColor(Qt::red));
    QApplication::setPalette(saved);
}
