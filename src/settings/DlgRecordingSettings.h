#pragma once
// Options page "Call Recording": automatic or manual recording, the sides recorded and the
// recording folder with "Open" and "Browse".
#include <QString>

#include <functional>
#include <memory>

#include "settings/OptionsPage.h"

namespace Ui {
class DlgRecordingSettings;
}

class CDlgRecordingSettings : public COptionsPage {
    Q_OBJECT
public:
    // Asks the user for a folder (title, starting folder); empty when cancelled.
    using FolderBrowser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;

    CDlgRecordingSettings(CGeneralProfile& profile, QWidget* parent = nullptr);
    ~CDlgRecordingSettings() override;

    // Replaces the folder browser (tests); nullptr restores the desktop's folder dialog.
    static void SetFolderBrowser(FolderBrowser browser);

    void OnOpen();
    void OnBrowse();

private:
    std::unique_ptr<Ui::DlgRecordingSettings> m_ui;
    QString m_folder;
};
