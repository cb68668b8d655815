#pragma once
// CKCBusyProgressCtrl: the level meter. A row of blocks; as many are lit from the left as the
// value covers within the range, with a partly lit block at the edge. Drawn into an off-screen
// picture first and copied to the screen in one go.
#include <QColor>
#include <QPixmap>
#include <QWidget>

#include "ui/UiConstants.h"

class CKCBusyProgressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CKCBusyProgressCtrl(QWidget* parent = nullptr);

    // The main window's configuration: 20 blocks, range 0..512, progress mode, value 0.
    void ConfigureAsLevelMeter();

    void SetNumSteps(int blocks);           // at least 1
    int GetNumSteps() const { return m_blocks; }
    void SetGap(int gap);                   // pixels after each block, at least 0
    int GetGap() const { return m_gap; }
    void SetRange(int lower, int upper);
    int GetLower() const { return m_lower; }
    int GetUpper() const { return m_upper; }
    void SetMode(int mode);                 // ui::kMeterModeProgress draws the value
    int GetMode() const { return m_mode; }
    // Stores the value; the caller repaints (Repaint) when it wants it shown.
    void SetPos(int pos) { m_pos = pos; }
    int GetPos() const { return m_pos; }
    void Repaint() { update(); }

    // The background follows the palette's button colour unless a colour is set here.
    void SetBackgroundColour(const QColor& colour);
    QColor BackgroundColour() const { return m_background; }
    void SetFollowSystemColours(bool follow);
    bool FollowsSystemColours() const { return m_followSystem; }

    // (client width - N x gap) / N, from the present client width.
    double BlockWidth() const;
    QSize sizeHint() const override { return ui::kLevelMeterSize; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent* event) override;

private:
    void DrawMeter(QPainter& p) const;

    int m_blocks = ui::kMeterDefaultBlocks;
    int m_pos = 0;
    int m_gap = ui::kMeterBlockGap;
    int m_lower = ui::kMeterDefaultLower;
    int m_upper = ui::kMeterDefaultUpper;
    int m_mode = 0;
    QColor m_background;
    bool m_followSystem = true;
    QPixmap m_buffer; // off-screen picture, made at the first paint, dropped on resize
};
