#pragma once
// CTaskbarNotifier: the skinned popup that slides out from the side of the screen where the task
// bar is, stays for a while and slides back. It shows one text over its skin; the text changes
// colour and font while the mouse is over it. A left click is reported to the owner.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <map>

#include "platform/MessageWindow.h"
#include "ui/UiConstants.h"

class CTaskbarNotifier : public QWidget {
    Q_OBJECT
public:
    enum AnimState { Hidden = 0, Appearing = 1, Showing = 2, Disappearing = 3 };
    enum TaskbarSide { SideUnknown = 0, SideTop = 1, SideLeft = 2, SideRight = 3, SideBottom = 4 };

    // The periods Show uses: time to slide out, time to stay, time to slide back.
    struct Timings {
        unsigned showMs = ui::kPopupTimeToShowMs;
        unsigned stayMs = ui::kPopupTimeToStayMs;
        unsigned hideMs = ui::kPopupTimeToHideMs;
    };
    // Where the popup may go: the work area (the screen less the task bar) and the whole screen.
    struct ScreenGeometry {
        QRect work;
        QRect screen;
    };
    using GeometryHook = std::function<ScreenGeometry()>;

    CTaskbarNotifier();
    ~CTaskbarNotifier() override;

    // Makes the popup a frameless, non-activating window owned by `owner` (a Qt child of it: the
    // owner keeps the popup as a member, or the popup is destroyed before the owner). A left click posts
    // ui::WM_NOTIFIER_CLICKED (0, 0) to ownerHandle when it is given, and emits clicked().
    bool Create(QWidget* owner, HWND ownerHandle = kNoWindow);
    // Loads the skin (bitmap 2006), takes its size, sets the text rectangle to the whole skin
    // and shapes the window: every magenta pixel is a hole. False when the bitmap is missing.
    bool SetSkin();
    bool SetSkin(const QImage& skin);
    // Normal and hover font: Arial, 10 points, bold.
    void SetTextFont();
    void Show(const QString& text);
    void Hide();

    // Set directly by the owner.
    void SetTextColours(const QColor& normal, const QColor& hover);
    void SetTextRect(const QRect& rect) { m_textRect = rect; update(); }

    // Test and platform hooks.
    void SetTimings(const Timings& timings) { m_timings = timings; }
    void SetGeometryHook(GeometryHook hook) { m_geometryHook = std::move(hook); }
    // The task bar's side from the work area and the screen.
    static TaskbarSide FindTaskbarSide(const QRect& work, const QRect& screen);
    // Runs the handler of popup timer `id` (ui::IDT_*), as a tick of that timer does.
    void OnTimer(int id);
    bool IsTimerActive(int id) const { return m_timers.count(id) != 0; }
    unsigned TimerPeriod(int id) const;

    AnimState State() const { return m_state; }
    TaskbarSide Side() const { return m_side; }
    QString Text() const { return m_text; }
    QRect TextRect() const { return m_textRect; }
    QSize SkinSize() const { return {m_skinWidth, m_skinHeight}; }
    QRegion SkinRegion() const { return m_skinRegion; }
    QPoint StartPos() const { return {m_startX, m_startY}; }
    QPoint CurrentPos() const { return {m_currentX, m_currentY}; }
    bool IsMouseOver() const { return m_mouseOver; }
    QColor NormalColour() const { return m_normalColour; }
    QColor HoverColour() const { return m_hoverColour; }
    QFont NormalFont() const { return m_normalFont; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void timerEvent(QTimerEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetTimer(int id, unsigned periodMs);
    void KillTimer(int id);
    ScreenGeometry ReadGeometry() const;
    void PlaceAtCurrent();
    void SetMouseOver(bool over);
    void DrawText(QPainter& p) const;

    QWidget* m_owner = nullptr;
    HWND m_ownerHandle = kNoWindow;
    QFont m_normalFont, m_hoverFont;
    QColor m_normalColour = ui::kPopupNormalColour;
    QColor m_hoverColour = ui::kPopupHoverColour;
    QPixmap m_skin;
    QRegion m_skinRegion;
    QRect m_textRect;
    int m_skinWidth = 0, m_skinHeight = 0;
    QString m_text;
    bool m_mouseOver = false;
    AnimState m_state = Hidden;
    Timings m_timings;
    unsigned m_timeToShow = 0, m_timeToStay = 0, m_timeToHide = 0;
    unsigned m_showStepInterval = 0, m_hideStepInterval = 0;
    int m_startX = 0, m_startY = 0;
    int m_currentX = 0, m_currentY = 0;
    TaskbarSide m_side = SideUnknown;
    int m_step = ui::kPopupStep;
    std::map<int, std::pair<int, unsigned>> m_timers; // popup timer id -> (Qt timer id, period)
    GeometryHook m_geometryHook;
};
