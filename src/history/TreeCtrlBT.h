#pragma once
// CTreeCtrlBT: the history window's tree. One root row that counts the recordings, one row per
// calendar day, one row per recording under its day. Every row is painted by the control itself,
// off-screen and only for the visible rows; recording rows carry two small action buttons
// (delete, show in folder) at their right end whose clicks are posted to the history window.
//
// The tree's shape and order are kept by the history window (CDlgRecHistory); the control only
// paints what the item data of each row holds.
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include "history/HistoryRecord.h"
#include "history/HistoryWindowConstants.h"
#include "platform/MessageWindow.h"

// The numbers the root row shows.
struct CHistoryCounters {
    int total = 0;
    int newCount = 0;
};

// What one row stands for. Root rows point at the window's counters; day rows hold their key
// (a time in decimal seconds, the day being its local calendar date); recording rows own a copy
// of their record.
class CHistoryItemData {
public:
    int kind = ItemKindUnset;
    CHistoryCounters* counters = nullptr;
    QString dayKey;
    std::unique_ptr<CHistoryRecord> record;
};

// A tree row that owns its item data: deleting the row frees the data with it.
class CHistoryTreeItem : public QTreeWidgetItem {
public:
    explicit CHistoryTreeItem(std::unique_ptr<CHistoryItemData> data);
    ~CHistoryTreeItem() override;
    CHistoryItemData* Data() const { return m_data.get(); }

private:
    std::unique_ptr<CHistoryItemData> m_data;
};

class CTreeCtrlBT : public QTreeWidget {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>;                          // seconds since 1970
    using NameResolver = std::function<QString(const QString&)>;   // "a,b" -> "Full A | Full B"

    explicit CTreeCtrlBT(QWidget* parent = nullptr);
    ~CTreeCtrlBT() override;

    // The window that receives the delete and show-in-folder requests.
    void SetRequestWindow(HWND window) { m_requestWindow = window; }
    HWND RequestWindow() const { return m_requestWindow; }
    // Loads the four image strips (expand glyphs, record icons, row buttons, root icon).
    void BuildImageLists();
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    void SetNameResolver(NameResolver resolver) { m_resolver = std::move(resolver); }

    // Appends a row with its data under parent (the top level when parent is null).
    CHistoryTreeItem* InsertItem(QTreeWidgetItem* parent, std::unique_ptr<CHistoryItemData> data);
    static CHistoryItemData* ItemData(QTreeWidgetItem* item);
    static int KindOf(QTreeWidgetItem* item);
    // True while item is a row of this tree (posted requests may name a row deleted since).
    bool Contains(QTreeWidgetItem* item) const;
    // Called as a row goes: the control forgets it as the row under the mouse.
    void ForgetItem(QTreeWidgetItem* item);

    // Texts the rows show.
    static QString DayLabel(qint64 key, qint64 now);
    static QString FormatStartTime(const QString& time);
    static QString FormatDuration(int seconds);
    QString DisplayName(const QString& name) const;
    // Decimal seconds with the C library's reading: leading digits, anything after ignored.
    static qint64 ParseTime(const QString& text);

    // Geometry, in viewport coordinates: the full-width row, its painted text rectangle R and
    // the hit rectangles of its two buttons.
    QRect RowRect(QTreeWidgetItem* item) const;
    QRect TextRect(QTreeWidgetItem* item) const;
    static QRect DeleteRect(const QRect& row);
    static QRect FolderRect(const QRect& row);
    QTreeWidgetItem* LastRecordUnderMouse() const { return m_lastRecord; }
    bool GlyphsAvailable() const { return !m_glyphs[0].isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void PaintRow(QPainter& p, QTreeWidgetItem* item);
    void PaintRecord(QPainter& p, QTreeWidgetItem* item, const QRect& row, const QRect& r, bool highlighted);
    bool IsHighlighted(QTreeWidgetItem* item) const;
    void OnMouseLeave();

    QFont m_dayFont;
    QFont m_rowFont;
    QPixmap m_glyphs[2];
    QPixmap m_rootIcon;
    QPixmap m_recordIcons[4];
    QPixmap m_rowButtons[4];
    HWND m_requestWindow = kNoWindow;
    Clock m_clock;
    NameResolver m_resolver;
    QTreeWidgetItem* m_itemUnderMouse = nullptr;
    QTreeWidgetItem* m_lastRecord = nullptr;
    QPoint m_mouse{-1, -1};
    bool m_mouseInside = false;
};
