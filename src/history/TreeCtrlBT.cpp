#include "history/TreeCtrlBT.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cstdlib>

#include "ui/Resources.h"

namespace {

QPixmap Slice(const QPixmap& strip, int index, int size)
{
    if (strip.isNull() || strip.width() < (index + 1) * size)
        return QPixmap();
    return strip.copy(index * size, 0, size, qMin(size, strip.height()));
}

QDate LocalDate(qint64 seconds) { return QDateTime::fromSecsSinceEpoch(seconds).date(); }

} // namespace

CHistoryTreeItem::CHistoryTreeItem(std::unique_ptr<CHistoryItemData> data) : m_data(std::move(data)) {}

CHistoryTreeItem::~CHistoryTreeItem()
{
    if (auto* tree = qobject_cast<CTreeCtrlBT*>(treeWidget()))
        tree->ForgetItem(this);
}

CTreeCtrlBT::CTreeCtrlBT(QWidget* parent) : QTreeWidget(parent)
{
    // Fonts 15 px high: the height of the whole character cell, ascent and descent together.
    auto cellFont = [](int weight) {
        QFont f(QString::fromLatin1(kTreeFontFamily));
        f.setWeight(QFont::Weight(weight));
        for (int px = kTreeFontPixels; px > 6; --px) {
            f.setPixelSize(px);
            if (QFontMetrics(f).height() <= kTreeFontPixels)
                break;
        }
        return f;
    };
    m_dayFont = cellFont(kDayFontWeight);
    m_rowFont = cellFont(kRowFontWeight);

    setHeaderHidden(true);
    setColumnCount(1);
    setIndentation(kTreeIndent);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setExpandsOnDoubleClick(true);
    // Everything is painted by paintEvent; no background erase is needed.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
}

CTreeCtrlBT::~CTreeCtrlBT()
{
    // The rows go while the control is whole.
    clear();
}

void CTreeCtrlBT::BuildImageLists()
{
    const QPixmap collapsed = ui::LoadBitmap(ui::IDB_EXPAND_COLLAPSED);
    const QPixmap expanded = ui::LoadBitmap(ui::IDB_EXPAND_EXPANDED);
    // Glyphs only when both load and agree in size.
    if (!collapsed.isNull() && !expanded.isNull() && collapsed.size() == expanded.size()) {
        m_glyphs[0] = collapsed;
        m_glyphs[1] = expanded;
    } else {
        m_glyphs[0] = m_glyphs[1] = QPixmap();
    }
    const QPixmap icons = ui::LoadBitmap(ui::IDB_RECORD_ICONS);
    const QPixmap buttons = ui::LoadBitmap(ui::IDB_ROW_BUTTONS);
    for (int i = 0; i < 4; ++i) {
        m_recordIcons[i] = Slice(icons, i, kIconSize);
        m_rowButtons[i] = Slice(buttons, i, kRowButtonSize);
    }
    m_rootIcon = ui::LoadBitmap(ui::IDB_ROOT_ICON);
    viewport()->update();
}

CHistoryTreeItem* CTreeCtrlBT::InsertItem(QTreeWidgetItem* parent, std::unique_ptr<CHistoryItemData> data)
{
    auto* item = new CHistoryTreeItem(std::move(data));
    item->setSizeHint(0, QSize(-1, kTreeRowHeight));
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    return item;
}

CHistoryItemData* CTreeCtrlBT::ItemData(QTreeWidgetItem* item)
{
    auto* own = dynamic_cast<CHistoryTreeItem*>(item);
    return own ? own->Data() : nullptr;
}

int CTreeCtrlBT::KindOf(QTreeWidgetItem* item)
{
    const CHistoryItemData* d = ItemData(item);
    return d ? d->kind : ItemKindUnset;
}

bool CTreeCtrlBT::Contains(QTreeWidgetItem* item) const
{
    if (!item)
        return false;
    for (QTreeWidgetItemIterator it(const_cast<CTreeCtrlBT*>(this)); *it; ++it)
        if (*it == item)
            return true;
    return false;
}

void CTreeCtrlBT::ForgetItem(QTreeWidgetItem* item)
{
    if (m_itemUnderMouse == item)
        m_itemUnderMouse = nullptr;
    if (m_lastRecord == item)
        m_lastRecord = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Texts

qint64 CTreeCtrlBT::ParseTime(const QString& text)
{
    const QByteArray latin = text.trimmed().toLatin1();
    return std::strtoll(latin.constData(), nullptr, 10);
}

QString CTreeCtrlBT::DayLabel(qint64 key, qint64 now)
{
    const QDate day = LocalDate(key);
    const QDate today = LocalDate(now);
    if (day == today)
        return QString::fromLatin1(kToday);
    // The previous day of the same month only: on the first of a month the last day of the
    // month before is shown as a date.
    if (day.year() == today.year() && day.month() == today.month() && today.day() == day.day() + 1)
        return QString::fromLatin1(kYesterday);
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

QString CTreeCtrlBT::FormatStartTime(const QString& time)
{
    const QDateTime t = QDateTime::fromSecsSinceEpoch(ParseTime(time));
    // "%p %I:%M:%S": the day half first, then the twelve-hour clock.
    return QLocale::c().toString(t, QStringLiteral("AP hh:mm:ss"));
}

QString CTreeCtrlBT::FormatDuration(int seconds)
{
    // A time span's hours within the day; whole days are not shown.
    const qint64 s = seconds < 0 ? 0 : seconds;
    return QString::asprintf("   %02d:%02d:%02d", int(s / 3600 % 24), int(s / 60 % 60), int(s % 60));
}

QString CTreeCtrlBT::DisplayName(const QString& name) const
{
    QString text = m_resolver ? m_resolver(name) : name;
    if (text.isEmpty())
        text = name;
    if (text.isEmpty())
        text = QString::fromLatin1(kNullName);
    return text;
}

// ---------------------------------------------------------------------------------------------
// Geometry

QRect CTreeCtrlBT::RowRect(QTreeWidgetItem* item) const
{
    const QRect r = visualItemRect(item);
    if (!r.isValid())
        return QRect();
    return QRect(0, r.top(), viewport()->width(), r.height());
}

QRect CTreeCtrlBT::TextRect(QTreeWidgetItem* item) const
{
    // The item's text rectangle, one pixel in at top and bottom, reaching the right edge. The
    // height of an empty text is 0 here, so left and right need no further shift.
    QRect r = visualItemRect(item);
    if (!r.isValid())
        return QRect();
    r.setTop(r.top() + 1);
    r.setBottom(r.bottom() - 1);
    r.setRight(viewport()->width() - 1);
    return r;
}

QRect CTreeCtrlBT::DeleteRect(const QRect& row)
{
    const int right = row.left() + row.width();
    return QRect(QPoint(right - kDeleteButtonFromRight, row.top()), QPoint(right - 5 - 1, row.bottom()));
}

QRect CTreeCtrlBT::FolderRect(const QRect& row)
{
    const int right = row.left() + row.width();
    return QRect(QPoint(right - kFolderButtonFromRight, row.top()), QPoint(right - 25 - 1, row.bottom()));
}

bool CTreeCtrlBT::IsHighlighted(QTreeWidgetItem* item) const
{
    // The history window's tree always shows its selection.
    return item->isSelected();
}

// ---------------------------------------------------------------------------------------------
// Painting

void CTreeCtrlBT::paintEvent(QPaintEvent*)
{
    const QSize size = viewport()->size();
    if (size.isEmpty())
        return;
    const qreal dpr = devicePixelRatioF();
    QPixmap buffer(size * dpr);
    buffer.setDevicePixelRatio(dpr);
    {
        QPainter p(&buffer);
        p.fillRect(QRect(QPoint(0, 0), size), palette().color(QPalette::Base));
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        QModelIndex index = indexAt(QPoint(1, 0));
        while (index.isValid()) {
            QTreeWidgetItem* item = itemFromIndex(index);
            const QRect row = RowRect(item);
            if (!item || row.top() >= size.height())
                break;
            PaintRow(p, item);
            index = indexBelow(index);
        }
    }
    QPainter screen(viewport());
    screen.drawPixmap(0, 0, buffer);
}

void CTreeCtrlBT::PaintRow(QPainter& p, QTreeWidgetItem* item)
{
    const CHistoryItemData* data = ItemData(item);
    if (!data)
        return;
    const QRect row = RowRect(item);
    const QRect r = TextRect(item);
    const int right = r.left() + r.width();
    const bool highlighted = IsHighlighted(item);
    const bool branch = item->childCount() > 0 || !item->parent();

    // Decoration.
    if (branch) {
        if (data->kind == RootItem)
            p.fillRect(row, kRootRowColour);
        else if (data->kind == DayItem && GlyphsAvailable()) {
            const QPixmap& g = m_glyphs[item->isExpanded() ? 1 : 0];
            p.drawPixmap(kGlyphX, row.top() + (row.height() - g.height()) / 2, g);
        }
    } else {
        if (data->kind == DayItem && GlyphsAvailable()) {
            const QPixmap& g = m_glyphs[1];
            p.drawPixmap(kGlyphX, row.top() + (row.height() - g.height()) / 2, g);
        } else if (data->kind == RecordItem && highlighted) {
            p.setPen(Qt::NoPen);
            p.setBrush(kHighlightColour);
            p.drawRoundedRect(QRectF(row.left() + kRecordIndent, row.top(), right - row.left() - kRecordIndent,
                                     row.height()),
                              1.5, 1.5);
        }
    }
    // The separator under the row.
    const int lineLeft = data->kind == RecordItem ? row.left() + kRecordIndent : row.left();
    p.fillRect(QRect(lineLeft, row.bottom(), row.right() - lineLeft + 1, 1), kTreeLineColour);

    // Content.
    switch (data->kind) {
    case RootItem: {
        if (!m_rootIcon.isNull())
            p.drawPixmap(r.left(), r.top(), m_rootIcon);
        const CHistoryCounters counters = data->counters ? *data->counters : CHistoryCounters{};
        p.setFont(m_rowFont);
        QRect badge;
        if (counters.newCount > 0) {
            const QString text = QString::asprintf(kNewFormat, counters.newCount);
            const int tw = QFontMetrics(m_rowFont).horizontalAdvance(text);
            badge = QRect(QPoint(right - tw - 20, r.top()), QPoint(right - 2 - 1, r.bottom()));
            p.setPen(Qt::NoPen);
            p.setBrush(kBadgeColour);
            p.drawRoundedRect(QRectF(badge), 2.5, 2.5);
            p.setPen(Qt::white);
            p.drawText(badge, Qt::AlignCenter | Qt::TextSingleLine, text);
        }
        QRect textRect(QPoint(r.left() + kRootTextOffset, r.top()), QPoint(r.right(), r.bottom()));
        if (badge.isValid())
            textRect.setRight(badge.left() - 4);
        const QString total = QString::asprintf(kTotalFormat, counters.total);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   QFontMetrics(m_rowFont).elidedText(total, Qt::ElideRight, textRect.width()));
        break;
    }
    case DayItem: {
        const qint64 now = m_clock ? m_clock() : QDateTime::currentSecsSinceEpoch();
        p.setFont(m_dayFont);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, DayLabel(ParseTime(data->dayKey), now));
        break;
    }
    case RecordItem:
        PaintRecord(p, item, row, r, highlighted);
        break;
    default:
        break;
    }
}

void CTreeCtrlBT::PaintRecord(QPainter& p, QTreeWidgetItem* item, const QRect& row, const QRect& r,
                              bool highlighted)
{
    const CHistoryRecord* rec = ItemData(item)->record.get();
    if (!rec)
        return;
    const int right = r.left() + r.width();
    const int L = r.left() - r.left() / 2;
    const int W = (right - L) / 5;
    auto column = [&](int from, int to) { return QRect(QPoint(from, row.top()), QPoint(to - 1, row.bottom())); };

    int icon = -1;
    if (rec->type == RecordIncoming)
        icon = rec->isNew ? kIconIncomingNew : kIconIncomingPlayed;
    else if (rec->type == RecordOutgoing)
        icon = rec->isNew ? kIconOutgoingNew : kIconOutgoingPlayed;
    if (icon >= 0 && !m_recordIcons[icon].isNull())
        p.drawPixmap(L, row.top() + (row.height() - kIconSize) / 2, m_recordIcons[icon]);

    const QFontMetrics fm(m_rowFont);
    p.setFont(m_rowFont);
    const QRect name = column(L + 20, L + 2 * W + 20);
    p.setPen(highlighted ? QColor(Qt::white) : palette().color(QPalette::Text));
    p.drawText(name, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               fm.elidedText(DisplayName(rec->name), Qt::ElideRight, name.width()));

    p.setPen(highlighted ? kTimeHighlightColour : kTimeColour);
    const QRect start = column(L + 2 * W + 20, L + 3 * W + 20);
    p.drawText(start, Qt::AlignCenter | Qt::TextSingleLine,
               fm.elidedText(FormatStartTime(rec->time), Qt::ElideRight, start.width()));
    const QRect length = column(L + 3 * W + 20, L + 4 * W + 20);
    p.drawText(length, Qt::AlignCenter | Qt::TextSingleLine,
               fm.elidedText(FormatDuration(rec->duration), Qt::ElideRight, length.width()));

    // The action buttons: both on the highlighted row, the one under the mouse on any other.
    const QRect full(0, row.top(), viewport()->width(), row.height());
    const int buttonTop = row.top() + kRowButtonTop;
    const QRect del = DeleteRect(full), folder = FolderRect(full);
    if (highlighted) {
        p.drawPixmap(right - kDeleteButtonFromRight, buttonTop, m_rowButtons[kButtonDeleteSelected]);
        p.drawPixmap(right - kFolderButtonFromRight, buttonTop, m_rowButtons[kButtonFolderSelected]);
    } else if (m_mouseInside && item == m_lastRecord) {
        if (del.contains(m_mouse))
            p.drawPixmap(del.left(), buttonTop, m_rowButtons[kButtonDeleteOther]);
        else if (folder.contains(m_mouse))
            p.drawPixmap(folder.left(), buttonTop, m_rowButtons[kButtonFolderOther]);
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse

void CTreeCtrlBT::mouseMoveEvent(QMouseEvent* event)
{
    QTreeWidget::mouseMoveEvent(event);
    const QPoint pos = event->position().toPoint();
    m_mouse = pos;
    m_mouseInside = true;
    QTreeWidgetItem* item = itemAt(pos);
    if (!item)
        return;
    if (KindOf(item) == RecordItem) {
        const QRect row = RowRect(item);
        const QRect del = DeleteRect(row), folder = FolderRect(row);
        // The button under the mouse is drawn at once; only its own rectangles are repainted.
        viewport()->update(del);
        viewport()->update(folder);
        if (m_lastRecord && m_lastRecord != item) {
            const QRect old = RowRect(m_lastRecord);
            viewport()->update(DeleteRect(old));
            viewport()->update(FolderRect(old));
        }
        m_lastRecord = item;
    }
    if (item != m_itemUnderMouse) {
        m_itemUnderMouse = item;
        viewport()->update();
    }
}

bool CTreeCtrlBT::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        OnMouseLeave();
    return QTreeWidget::viewportEvent(event);
}

void CTreeCtrlBT::OnMouseLeave()
{
    m_mouseInside = false;
    if (m_lastRecord && Contains(m_lastRecord)) {
        const QRect row = RowRect(m_lastRecord);
        viewport()->update(DeleteRect(row));
        viewport()->update(FolderRect(row));
    }
}

void CTreeCtrlBT::mousePressEvent(QMouseEvent* event)
{
    // The expand glyph of a day row sits left of the tree's own branch area: a click on it
    // opens or closes the day.
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(pos);
    if (event->button() == Qt::LeftButton && item && KindOf(item) == DayItem && pos.x() >= kGlyphX &&
        pos.x() < kGlyphX + kIconSize && item->childCount() > 0) {
        item->setExpanded(!item->isExpanded());
        setCurrentItem(item);
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void CTreeCtrlBT::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(pos);
    if (!item || item != m_lastRecord || KindOf(item) != RecordItem)
        return;
    const QRect row = RowRect(item);
    const WPARAM w = static_cast<WPARAM>(reinterpret_cast<quintptr>(item));
    const LPARAM l = static_cast<LPARAM>(reinterpret_cast<quintptr>(ItemData(item)));
    if (DeleteRect(row).contains(pos))
        PostMessage(m_requestWindow, WM_HISTORY_DELETE, w, l);
    else if (FolderRect(row).contains(pos))
        PostMessage(m_requestWindow, WM_HISTORY_SHOW_IN_FOLDER, w, l);
}
