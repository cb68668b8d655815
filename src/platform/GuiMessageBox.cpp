#include "platform/GuiMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

#include "platform/MessageBox.h"

namespace {
int ShowOnGuiThread(HWND, const QString& text, const QString& caption, UINT type)
{
    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(text);
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
    }
}
} // namespace

void InstallGuiMessageBox()
{
    SetMessageBoxHandler([](HWND owner, const QString& text, const QString& caption, UINT type) {
        if (QThread::currentThread() == qApp->thread())
            return ShowOnGuiThread(owner, text, caption, type);
        int answer = IDOK;
        QMetaObject::invokeMethod(
            qApp, [&] { answer = ShowOnGuiThread(owner, text, caption, type); }, Qt::BlockingQueuedConnection);
        return answer;
    });
}
