#include "history/DlgRecHistory.h"

#include <QAction>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSizeGrip>
#include <QSlider>
#include <QUrl>
#include <QWindow>

#include <cstdlib>

#include "history/HistoryStore.h"
#include "platform/MessageBox.h"
#include "platform/OpenUrl.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeLink.h"
#include "ui/MyButtonST.h"
#include "ui/Resources.h"

namespace {

// The hover look of a player button: the same picture, lighter.
QPixmap Lighter(const QPixmap& src)
{
    if (src.isNull())
        return src;
    QPixmap out = src;
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    p.fillRect(out.rect(), QColor(255, 255, 255, 60));
    return out;
}

WPARAM ItemParam(QTreeWidgetItem* item) { return static_cast<WPARAM>(reinterpret_cast<quintptr>(item)); }
LPARAM DataParam(CHistoryItemData* data) { return static_cast<LPARAM>(reinterpret_cast<quintptr>(data)); }

} // namespace

CDlgRecHistory::CDlgRecHistory(QWidget* parent, const HistoryWindowOptions& options)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), m_options(options)
{
    setWindowTitle(QString::fromLatin1(kTitleText));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setModal(false);
    resize(kHistoryDefaultSize);
    // Shrinking below this is refused.
    setMinimumSize(kHistoryMinSize);
    CreateControls();

    // 2. Bitmaps: title strip, close button, Play, Stop and the speaker picture.
    m_title = ui::LoadBitmap(ui::IDB_HISTORY_TITLE);
    m_close->SetBitmaps(ui::IDB_HIDE_NORMAL, ui::IDB_HIDE_HOVER, ui::IDB_HIDE_PRESSED);
    m_playLooks[0][0] = ui::LoadBitmap(ui::IDB_PLAY);
    m_playLooks[1][0] = ui::LoadBitmap(ui::IDB_PAUSE);
    for (auto& look : m_playLooks)
        look[1] = Lighter(look[0]);
    SetPlayBitmap(ui::IDB_PLAY);
    const QPixmap stop = ui::LoadBitmap(ui::IDB_PLAYER_STOP);
    m_stop->SetBitmaps(stop, Lighter(stop));
    m_speaker->SetBitmaps(ui::IDB_SPEAKER);

    // 3. Nothing to play or stop yet.
    m_play->setEnabled(false);
    m_stop->setEnabled(false);

    // 4. The player, at full volume.
    m_player.SetParentWindow(m_playerParent);
    m_player.SetLoadTimeout(m_options.loadTimeoutMs);
    m_player.SetVolume(kMediaVolumeMax);
    m_volume->setRange(0, kVolumeSliderMax);
    m_volume->setValue(kVolumeSliderMax);
    m_timer.setInterval(m_options.playbackTimerMs);
    connect(&m_timer, &QTimer::timeout, this, &CDlgRecHistory::OnPlaybackTimer);

    // 5. The store and the tree.
    m_store = CHistoryStore::Instance();
    InitTree();

    // 6. The settings and the saved position.
    m_profile = CGeneralProfile::Instance();
    m_profile->Load();
    RestorePosition();
}

CDlgRecHistory::~CDlgRecHistory()
{
    DestroyWindowHandle(); // nothing posted reaches a half-destroyed window
    SaveOnDestroy();
}

void CDlgRecHistory::CreateControls()
{
    auto button = [this](int id) {
        auto* b = new CMyButtonST(this);
        b->setObjectName(QString::number(id));
        return b;
    };
    m_close = button(IDC_HISTORY_CLOSE);
    m_close->SetTooltipText(QStringLiteral("Hide"));
    m_play = button(IDC_PLAY);
    m_stop = button(IDC_STOP);
    m_speaker = button(IDC_SPEAKER);

    m_tree = new CTreeCtrlBT(this);
    m_tree->setObjectName(QString::number(IDC_HISTORY_TREE));

    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName(QString::number(IDC_POSITION));
    m_position->setTickPosition(QSlider::NoTicks);
    m_position->setRange(0, 0);
    m_position->setFocusPolicy(Qt::NoFocus);
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QString::number(IDC_VOLUME));
    m_volume->setTickPosition(QSlider::NoTicks);
    m_volume->setFocusPolicy(Qt::NoFocus);
    m_volume->setPageStep(1);

    m_playerParent = new QWidget(this);
    m_playerParent->setObjectName(QString::number(IDC_PLAYER_PARENT));
    m_playerParent->setGeometry(168, 271, 12, 13);
    m_playerParent->hide();

    m_grip = new QSizeGrip(this);

    connect(m_close, &QAbstractButton::clicked, this, [this] { hide(); });
    connect(m_play, &QAbstractButton::clicked, this, &CDlgRecHistory::OnPlay);
    connect(m_stop, &QAbstractButton::clicked, this, &CDlgRecHistory::OnStop);
    connect(m_position, &QSlider::sliderReleased, this, &CDlgRecHistory::OnPositionReleased);
    // A click on the groove moves the slider a page without a drag: seek once it has moved.
    connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            QTimer::singleShot(0, this, &CDlgRecHistory::OnPositionReleased);
    });
    connect(m_volume, &QSlider::valueChanged, this, &CDlgRecHistory::OnVolumeChanged);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CDlgRecHistory::OnSelectionChanged);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &CDlgRecHistory::OnTreeRightClick);
}

QWidget* CDlgRecHistory::Control(int id) const
{
    switch (id) {
    case IDC_HISTORY_CLOSE: return m_close;
    case IDC_HISTORY_TREE: return m_tree;
    case IDC_PLAY: return m_play;
    case IDC_STOP: return m_stop;
    case IDC_POSITION: return m_position;
    case IDC_VOLUME: return m_volume;
    case IDC_SPEAKER: return m_speaker;
    case IDC_PLAYER_PARENT: return m_playerParent;
    default: return nullptr;
    }
}

qint64 CDlgRecHistory::Now() const
{
    return m_options.clock ? m_options.clock() : QDateTime::currentSecsSinceEpoch();
}

void CDlgRecHistory::RestorePosition()
{
    const QStringList pieces = m_profile->hispos.split(u',', Qt::SkipEmptyParts);
    int v[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && i < pieces.size(); ++i) {
        v[i] = static_cast<int>(std::strtol(pieces[i].trimmed().toLatin1().constData(), nullptr, 10));
        if (v[i] < 0)
            return;
    }
    if (pieces.size() >= 3)
        move(v[0], v[1]);
}

void CDlgRecHistory::SaveOnDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    m_timer.stop();
    // The tree empties itself as it goes; its signals no longer concern this window.
    disconnect(m_tree, nullptr, this, nullptr);
    // The position, as left, top, right, bottom.
    CGeneralProfile* profile = CGeneralProfile::Instance();
    const QRect r = frameGeometry();
    profile->hispos = QString::asprintf("%d,%d,%d,%d", r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
    profile->SetChanged();
    profile->Save();
    m_playing = nullptr;
    m_player.Stop();
    m_player.Close();
    // The rows free their own data with the tree.
}

void CDlgRecHistory::SetTopMost(bool topMost)
{
    if (testAttribute(Qt::WA_WState_Created) && windowHandle()) {
        const bool visible = isVisible();
        const QRect g = geometry();
        setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
        setGeometry(g);
        if (visible)
            show(); // a changed window flag hides the window
    } else {
        setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    }
}

void CDlgRecHistory::reject()
{
    // Escape only hides the window, as the close button does.
    hide();
}

// ---------------------------------------------------------------------------------------------
// The tree

void CDlgRecHistory::InitTree()
{
    m_tree->SetRequestWindow(Handle());
    m_tree->BuildImageLists();
    m_tree->SetClock([this] { return Now(); });
    CContactList* contacts = m_options.contacts;
    m_tree->SetNameResolver([contacts](const QString& name) {
        CContactList* list = contacts ? contacts : &CSkypeLink::Instance()->Contacts();
        return list->DisplayNames(name);
    });

    m_counters = CHistoryCounters{};
    auto root = std::make_unique<CHistoryItemData>();
    root->kind = RootItem;
    root->counters = &m_counters;
    m_root = m_tree->InsertItem(nullptr, std::move(root));

    auto today = std::make_unique<CHistoryItemData>();
    today->kind = DayItem;
    today->dayKey = QString::number(Now());
    m_tree->InsertItem(m_root, std::move(today));
    m_root->setExpanded(true);
}

QTreeWidgetItem* CDlgRecHistory::FindDayItem(qint64 time) const
{
    const QDate date = QDateTime::fromSecsSinceEpoch(time).date();
    for (int i = 0; i < m_root->childCount(); ++i) {
        QTreeWidgetItem* day = m_root->child(i);
        const CHistoryItemData* data = CTreeCtrlBT::ItemData(day);
        if (!data || data->kind != DayItem)
            continue;
        if (QDateTime::fromSecsSinceEpoch(CTreeCtrlBT::ParseTime(data->dayKey)).date() == date)
            return day;
    }
    return nullptr;
}

CHistoryTreeItem* CDlgRecHistory::AddRecord(const CHistoryRecord& record)
{
    const qint64 t = CTreeCtrlBT::ParseTime(record.time);
    QTreeWidgetItem* day = FindDayItem(t);
    if (!day) {
        auto data = std::make_unique<CHistoryItemData>();
        data->kind = DayItem;
        data->dayKey = record.time;
        day = m_tree->InsertItem(m_root, std::move(data));
    }
    auto data = std::make_unique<CHistoryItemData>();
    data->kind = RecordItem;
    data->record = std::make_unique<CHistoryRecord>(record);
    CHistoryTreeItem* item = m_tree->InsertItem(day, std::move(data));
    SortDay(day);
    day->setExpanded(true);
    m_root->setExpanded(true);
    m_tree->viewport()->update();
    return item;
}

void CDlgRecHistory::SortDay(QTreeWidgetItem* day)
{
    if (!day || day->childCount() < 2)
        return;
    QTreeWidgetItem* current = m_tree->currentItem();
    const bool currentHere = current && current->parent() == day;
    QList<QTreeWidgetItem*> rows = day->takeChildren();
    std::stable_sort(rows.begin(), rows.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        const CHistoryItemData* da = CTreeCtrlBT::ItemData(a);
        const CHistoryItemData* db = CTreeCtrlBT::ItemData(b);
        const qint64 ta = da && da->record ? CTreeCtrlBT::ParseTime(da->record->time) : 0;
        const qint64 tb = db && db->record ? CTreeCtrlBT::ParseTime(db->record->time) : 0;
        return ta > tb; // newest first
    });
    day->addChildren(rows);
    if (currentHere)
        m_tree->setCurrentItem(current);
}

void CDlgRecHistory::Recount()
{
    m_counters = CHistoryCounters{};
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        const CHistoryItemData* data = CTreeCtrlBT::ItemData(*it);
        if (!data || data->kind != RecordItem || !data->record)
            continue;
        ++m_counters.total;
        if (data->record->isNew)
            ++m_counters.newCount;
    }
    if (m_root)
        m_tree->viewport()->update(m_tree->RowRect(m_root));
}

bool CDlgRecHistory::SelectedIsRecord() const
{
    return CTreeCtrlBT::KindOf(m_tree->currentItem()) == RecordItem && m_tree->currentItem()->isSelected();
}

void CDlgRecHistory::OnSelectionChanged()
{
    const int kind = CTreeCtrlBT::KindOf(m_tree->currentItem());
    if (kind == RecordItem) {
        if (m_state != PlaybackPlaying && m_state != PlaybackPaused)
            m_play->setEnabled(true);
    } else if (kind == RootItem || kind == DayItem) {
        m_play->setEnabled(false);
    }
    m_tree->viewport()->update();
}

void CDlgRecHistory::OnTreeRightClick(const QPoint& pos)
{
    QTreeWidgetItem* item = m_tree->itemAt(pos);
    if (CTreeCtrlBT::KindOf(item) != RecordItem)
        return;
    m_tree->setCurrentItem(item);
    PostMessage(Handle(), WM_HISTORY_CONTEXT_MENU, ItemParam(item), DataParam(CTreeCtrlBT::ItemData(item)));
}

// ---------------------------------------------------------------------------------------------
// Requests

const CMessageMap<CDlgRecHistory>& CDlgRecHistory::MessageMap()
{
    static const CMessageMap<CDlgRecHistory> map{
        {WM_HISTORY_DELETE, &CDlgRecHistory::OnDeleteRequest},
        {WM_HISTORY_SHOW_IN_FOLDER, &CDlgRecHistory::OnShowInFolderRequest},
        {WM_HISTORY_CONTEXT_MENU, &CDlgRecHistory::OnContextMenuRequest},
    };
    return map;
}

bool CDlgRecHistory::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return MessageMap().Dispatch(this, msg, wParam, lParam, result);
}

QTreeWidgetItem* CDlgRecHistory::RequestItem(WPARAM w, LPARAM l) const
{
    // A request may have been posted for a row deleted since (a double click on a delete
    // button posts twice): only a row still in the tree, with the same data, is acted on.
    auto* item = reinterpret_cast<QTreeWidgetItem*>(static_cast<quintptr>(w));
    if (!l || !m_tree->Contains(item))
        return nullptr;
    CHistoryItemData* data = CTreeCtrlBT::ItemData(item);
    if (!data || DataParam(data) != l || data->kind != RecordItem || !data->record)
        return nullptr;
    return item;
}

LRESULT CDlgRecHistory::OnContextMenuRequest(WPARAM w, LPARAM l)
{
    QTreeWidgetItem* item = RequestItem(w, l);
    if (!item)
        return 0;
    QMenu menu(this);
    auto add = [&menu](int id, const char* text, int icon) {
        QAction* a = menu.addAction(QIcon(ui::LoadBitmap(icon)), QString::fromLatin1(text));
        a->setData(id);
        return a;
    };
    if (m_state == PlaybackPlaying || m_state == PlaybackPaused)
        add(ID_MENU_STOP, kMenuStop, ui::IDI_MENU_STOP);
    else
        add(ID_MENU_PLAY, kMenuPlay, ui::IDI_MENU_PLAY);
    add(ID_MENU_CALL, kMenuCall, ui::IDI_MENU_CALL);
    add(ID_MENU_SEND_IM, kMenuSendIm, ui::IDI_MENU_SEND_IM);
    menu.addSeparator()->setData(ID_MENU_SEPARATOR);
    add(ID_MENU_OPEN, kMenuOpen, ui::IDI_MENU_OPEN);
    add(ID_MENU_DELETE, kMenuDelete, ui::IDI_MENU_DELETE);

    int command = 0;
    if (m_menuChooser) {
        command = m_menuChooser(menu);
    } else if (QAction* chosen = menu.exec(QCursor::pos())) {
        command = chosen->data().toInt();
    }
    // The menu ran its own event loop: the row may be gone.
    item = RequestItem(w, l);
    if (!item)
        return 0;
    const QString name = CTreeCtrlBT::ItemData(item)->record->name;
    switch (command) {
    case ID_MENU_PLAY: OnPlay(); break;
    case ID_MENU_STOP: OnStop(); break;
    case ID_MENU_CALL:
        if (m_options.placeCall)
            m_options.placeCall(name);
        else
            CSkypeLink::Instance()->PlaceCall(name);
        break;
    case ID_MENU_SEND_IM:
        if (m_options.openChat)
            m_options.openChat(name);
        else
            CSkypeLink::Instance()->OpenChat(name);
        break;
    case ID_MENU_OPEN: PostMessage(Handle(), WM_HISTORY_SHOW_IN_FOLDER, w, l); break;
    case ID_MENU_DELETE: PostMessage(Handle(), WM_HISTORY_DELETE, w, l); break;
    default: break;
    }
    return 0;
}

LRESULT CDlgRecHistory::OnDeleteRequest(WPARAM w, LPARAM l)
{
    QTreeWidgetItem* item = RequestItem(w, l);
    if (!item)
        return 0;
    const CHistoryRecord record = *CTreeCtrlBT::ItemData(item)->record;
    if (MessageBox(Handle(), QString::fromLatin1(kDeleteQuestion), QString::fromLatin1(kProductName),
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;
    // The question ran its own event loop: act only on a row that is still there.
    item = RequestItem(w, l);
    if (!item)
        return 0;
    if (!m_store || !m_store->Remove(record.name, record.time))
        return 0;
    // To the desktop trash; a file already gone is no obstacle.
    if (!record.file.isEmpty())
        QFile::moveToTrash(record.file);
    // The sound plays on; only a deleted record is never marked as played.
    if (m_playing == CTreeCtrlBT::ItemData(item))
        m_playing = nullptr;
    delete item;
    Recount();
    return 0;
}

LRESULT CDlgRecHistory::OnShowInFolderRequest(WPARAM w, LPARAM l)
{
    QTreeWidgetItem* item = RequestItem(w, l);
    if (!item)
        return 0;
    ShowInFolder(CTreeCtrlBT::ItemData(item)->record->file);
    return 0;
}

void CDlgRecHistory::ShowInFolder(const QString& file)
{
    const QString folder = QUrl::fromLocalFile(QFileInfo(file).absolutePath()).toString();
    auto openFolder = [this, folder] {
        OpenUrl(folder);
        emit ShowInFolderDone(false);
    };
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (file.isEmpty() || !bus.isConnected()) {
        openFolder();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kFileManagerService), QString::fromLatin1(kFileManagerPath),
        QString::fromLatin1(kFileManagerInterface), QString::fromLatin1(kFileManagerShowItems));
    call << QStringList{QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kFileManagerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, openFolder](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError())
            openFolder();
        else
            emit ShowInFolderDone(true);
    });
}

// ---------------------------------------------------------------------------------------------
// Playback

void CDlgRecHistory::SetPlayBitmap(int id)
{
    const int look = id == ui::IDB_PAUSE ? 1 : 0;
    m_playBitmap = id;
    m_play->SetBitmaps(m_playLooks[look][0], m_playLooks[look][1]);
}

void CDlgRecHistory::OnPlay()
{
    switch (m_state) {
    case PlaybackPlaying:
        SetPlayBitmap(ui::IDB_PLAY);
        m_player.Pause();
        m_state = PlaybackPaused;
        m_timer.stop();
        m_stop->setEnabled(true);
        return;
    case PlaybackPaused:
        SetPlayBitmap(ui::IDB_PAUSE);
        m_player.Play();
        m_state = PlaybackPlaying;
        m_timer.start(m_options.playbackTimerMs);
        m_stop->setEnabled(true);
        return;
    default:
        break;
    }

    // Stopped or idle: open the selected record from its start.
    QString file;
    CHistoryItemData* data = nullptr;
    QTreeWidgetItem* item = m_tree->currentItem();
    if (SelectedIsRecord()) {
        data = CTreeCtrlBT::ItemData(item);
        file = data->record->file;
    }
    if (file.isEmpty()) {
        MessageBox(Handle(), QString::fromLatin1(kFileNotFoundFormat).arg(file), QString::fromLatin1(kProductName),
                   MB_OK);
        return;
    }
    m_playing = data;
    SetPlayBitmap(ui::IDB_PAUSE);
    m_player.Stop();
    m_player.Close();
    m_player.SetFile(file);
    m_player.SetVolume(m_volume->value() * kVolumeFactor);
    const bool opened = m_player.Create();
    if (!opened) {
        // A file that cannot be played is reported and left as it is: it is not marked as played.
        const QString why = m_player.ErrorText();
        m_playing = nullptr;
        m_state = PlaybackStopped;
        SetPlayBitmap(ui::IDB_PLAY);
        m_stop->setEnabled(false);
        m_position->setRange(0, 0);
        MessageBox(Handle(),
                   QFileInfo(file).isFile() ? QStringLiteral("'%1' cannot be played.\n%2").arg(file, why)
                                            : QString::fromLatin1(kFileNotFoundFormat).arg(file),
                   QString::fromLatin1(kProductName), MB_OK | MB_ICONWARNING);
        return;
    }
    m_player.SetVolume(m_volume->value() * kVolumeFactor);
    m_player.Seek(0);
    const qint64 length = m_player.Length();
    m_position->setRange(0, static_cast<int>(qMin<qint64>(length, INT_MAX)));
    m_position->setValue(0);
    m_timer.start(m_options.playbackTimerMs);
    m_state = PlaybackPlaying;
    m_player.Play();
    m_stop->setEnabled(true);
}

void CDlgRecHistory::OnStop()
{
    if (m_state == PlaybackPlaying || m_state == PlaybackPaused) {
        m_timer.stop();
        m_state = PlaybackStopped;
        m_player.Stop();
        m_player.Seek(0);
    }
    m_position->setValue(0);
    m_stop->setEnabled(false);
    SetPlayBitmap(ui::IDB_PLAY);
    m_play->setEnabled(SelectedIsRecord());
}

void CDlgRecHistory::OnPlaybackTimer()
{
    if (m_state != PlaybackPlaying)
        return;
    const qint64 position = m_player.Position();
    const qint64 length = m_player.Length();
    if (!m_position->isSliderDown())
        m_position->setValue(static_cast<int>(position));
    if (position < length)
        return;
    // The end of the media.
    m_state = PlaybackStopped;
    m_player.Seek(0);
    m_position->setValue(0);
    SetPlayBitmap(ui::IDB_PLAY);
    m_stop->setEnabled(false);
    m_timer.stop();
    if (m_playing && m_playing->record) {
        if (m_store)
            m_store->MarkPlayed(m_playing->record->name, m_playing->record->time);
        m_playing->record->isNew = false;
        Recount();
        m_tree->viewport()->update();
    }
}

void CDlgRecHistory::OnPositionReleased()
{
    m_player.Seek(m_position->value());
    if (m_state == PlaybackPlaying)
        m_player.Play(); // a seek leaves the media still
}

void CDlgRecHistory::OnVolumeChanged()
{
    m_player.SetVolume(m_volume->value() * kVolumeFactor);
    m_volume->setToolTip(QString::number(m_volume->value()));
}

// ---------------------------------------------------------------------------------------------
// Layout, painting and the mouse

void CDlgRecHistory::ApplyLayout()
{
    auto place = [](QWidget* w, const QRect& r) {
        if (w->geometry() != r)
            w->setGeometry(r);
    };
    const int W = width(), H = height();
    const QSize closeSize = m_close->sizeHint();
    place(m_close, QRect(QPoint(W - 1 - closeSize.width(), 1), closeSize));
    place(m_tree, QRect(0, kTitleHeight, W, H - kTitleHeight - kPlayerBarHeight));
    const QSize button = m_play->sizeHint();
    const int top = H - kPlayerRowFromBottom;
    const QRect play(QPoint(kPlayLeft, top), button);
    const QRect stop(QPoint(play.right() + 1 + kStopGap, top), button);
    const QRect speaker(QPoint(W - kSpeakerFromRight, top), button);
    place(m_play, play);
    place(m_stop, stop);
    place(m_speaker, speaker);
    place(m_volume, QRect(QPoint(speaker.right() + 1, top), QPoint(W - 2 - 1, top + kSliderHeight - 1)));
    place(m_position, QRect(QPoint(stop.right() + 1 + kSliderGap, top),
                            QPoint(speaker.left() - kSliderGap - 1, top + kSliderHeight - 1)));
    const QSize grip = m_grip->sizeHint();
    place(m_grip, QRect(QPoint(W - grip.width(), H - grip.height()), grip));
}

void CDlgRecHistory::paintEvent(QPaintEvent*)
{
    ApplyLayout();
    const int W = width(), H = height();
    QPainter p(this);
    // Title strip: left corner, the stretched middle square, right corner.
    if (!m_title.isNull() && m_title.width() >= 3 * kTitleCorner) {
        const int c = kTitleCorner;
        p.drawPixmap(QRect(0, 0, c, c), m_title, QRect(0, 0, c, c));
        p.drawPixmap(QRect(c, 0, W - 2 * c, c), m_title, QRect(c, 0, c, c));
        p.drawPixmap(QRect(W - c, 0, c, c), m_title, QRect(m_title.width() - c, 0, c, c));
    } else {
        p.fillRect(QRect(0, 0, W, kTitleHeight), QColor(228, 232, 236));
    }
    QFont title(QString::fromLatin1(kTitleFontFamily));
    const QFont base = font();
    if (base.pixelSize() > 0)
        title.setPixelSize(base.pixelSize());
    else
        title.setPointSizeF(base.pointSizeF());
    title.setWeight(base.weight());
    p.setFont(title);
    p.setPen(kTitleTextColour);
    p.drawText(QRect(QPoint(3, 3), QPoint(W - 60 - 1, 20 - 1)), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QString::fromLatin1(kTitleText));
    // The player bar.
    p.fillRect(QRect(0, H - kPlayerBarHeight, W, kPlayerBarHeight), palette().color(QPalette::Button));
}

void CDlgRecHistory::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    ApplyLayout();
    update();
}

void CDlgRecHistory::mousePressEvent(QMouseEvent* event)
{
    // The window has no caption: it is dragged from any point of its background.
    if (!m_drag.Press(this, event))
        QDialog::mousePressEvent(event);
}

void CDlgRecHistory::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_drag.Move(this, event))
        QDialog::mouseMoveEvent(event);
}

void CDlgRecHistory::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.Release();
    QDialog::mouseReleaseEvent(event);
}
