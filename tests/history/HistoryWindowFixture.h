#pragma once
// A history window over a real history file in the test's home, with a fixed clock and its own
// contact list, plus helpers to find rows and read painted pixels.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include <memory>

#include "history/DlgRecHistory.h"
#include "history/HistoryStore.h"
#include "platform/Folders.h"
#include "platform/OpenUrl.h"
#include "settings/GeneralProfile.h"
#include "skype/ContactList.h"
#include "support/TestEnv.h"
#include "ui/Resources.h"

#include <gtest/gtest.h>

namespace histtest {

inline qint64 Local(int y, int mo, int d, int h = 12, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s)).toSecsSinceEpoch();
}

inline CHistoryRecord Rec(const QString& name, qint64 time, bool isNew = true, int type = RecordIncoming,
                          int duration = 65, const QString& file = QString())
{
    CHistoryRecord r;
    r.name = name;
    r.time = QString::number(time);
    r.isNew = isNew;
    r.type = type;
    r.duration = duration;
    r.file = file.isEmpty() ? testenv::Root() + "/Documents/Morvex/" + name + "_" + r.time + ".mp3" : file;
    return r;
}

class HistoryWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testenv::MessageBoxRecorder::Instance().Clear();
        testenv::MessageBoxRecorder::Instance().SetAnswer(IDOK);
        opened.clear();
        SetOpenUrlHandler([this](const QString& url) {
            opened << url;
            return true;
        });
        Folders::Ensure(Folders::AppData());
        QFile::remove(CHistoryStore::DefaultPath());
        CHistoryStore::Destroy();
        store = CHistoryStore::Instance();
        store->Open(CHistoryStore::DefaultPath());
        now = Local(2024, 9, 12, 15, 0, 0);
        contacts.Add("alice");
        contacts.SetFullName("alice", "Alice Archer");
        contacts.Add("bob");
        contacts.SetFullName("bob", "Bob Brown");
    }
    void TearDown() override
    {
        window.reset();
        CGeneralProfile::Release();
        CHistoryStore::Destroy();
        SetOpenUrlHandler(nullptr);
        testenv::MessageBoxRecorder::Instance().SetAnswer(IDOK);
    }

    HistoryWindowOptions Options()
    {
        HistoryWindowOptions o;
        o.clock = [this] { return now; };
        o.contacts = &contacts;
        o.playbackTimerMs = 40;
        o.placeCall = [this](const QString& n) { calls << "call " + n; };
        o.openChat = [this](const QString& n) { calls << "chat " + n; };
        return o;
    }
    CDlgRecHistory* Open(const HistoryWindowOptions& o)
    {
        window = std::make_unique<CDlgRecHistory>(nullptr, o);
        return window.get();
    }
    CDlgRecHistory* Open() { return Open(Options()); }

    // Adds to the store and the window, as a finished recording does.
    CHistoryTreeItem* Add(const CHistoryRecord& r)
    {
        store->Add(r);
        CHistoryTreeItem* item = window->AddRecord(r);
        window->Recount();
        return item;
    }
    // Shows the window at a fixed size and lets it lay out and paint.
    void ShowAt(QSize size = QSize(438, 300))
    {
        window->resize(size);
        window->show();
        testenv::Pump(30);
    }

    QStringList DayLabels() const
    {
        QStringList labels;
        QTreeWidgetItem* root = window->Root();
        for (int i = 0; i < root->childCount(); ++i)
            labels << CTreeCtrlBT::DayLabel(CTreeCtrlBT::ParseTime(CTreeCtrlBT::ItemData(root->child(i))->dayKey), now);
        return labels;
    }
    QStringList NamesUnder(QTreeWidgetItem* day) const
    {
        QStringList names;
        for (int i = 0; i < day->childCount(); ++i)
            names << CTreeCtrlBT::ItemData(day->child(i))->record->name;
        return names;
    }
    CHistoryTreeItem* RowOf(const QString& name) const
    {
        for (QTreeWidgetItemIterator it(window->Tree()); *it; ++it) {
            CHistoryItemData* d = CTreeCtrlBT::ItemData(*it);
            if (d && d->record && d->record->name == name)
                return static_cast<CHistoryTreeItem*>(*it);
        }
        return nullptr;
    }
    QImage Grab() const { return window->Tree()->viewport()->grab().toImage(); }

    void SendMouse(QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton)
    {
        QWidget* vp = window->Tree()->viewport();
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent e(type, QPointF(pos), QPointF(vp->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    }
    void Click(QPoint pos)
    {
        SendMouse(QEvent::MouseMove, pos);
        SendMouse(QEvent::MouseButtonPress, pos, Qt::LeftButton);
        SendMouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton);
    }

    CHistoryStore* store = nullptr;
    CContactList contacts;
    qint64 now = 0;
    std::unique_ptr<CDlgRecHistory> window;
    QStringList opened;
    QStringList calls;
};

// Counts pixels of exactly this colour inside r.
inline int CountColour(const QImage& img, const QRect& r, const QColor& c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (x >= 0 && y >= 0 && x < img.width() && y < img.height() && img.pixelColor(x, y).rgb() == c.rgb())
                ++n;
    return n;
}

} // namespace histtest
