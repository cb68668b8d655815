#include "settings/DlgRecordingSettings.h"

#include <QDir>
#include <QFileDialog>
#include <QUrl>

#include "platform/MessageBox.h"
#include "platform/OpenUrl.h"
#include "settings/GeneralProfile.h"
#include "settings/SettingsConstants.h"
#include "ui_DlgRecordingSettings.h"

namespace {

QString DesktopFolderBrowser(QWidget* parent, const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

CDlgRecordingSettings::FolderBrowser& Browser()
{
    static CDlgRecordingSettings::FolderBrowser browser = DesktopFolderBrowser;
    return browser;
}

} // namespace

void CDlgRecordingSettings::SetFolderBrowser(FolderBrowser browser)
{
    Browser() = browser ? std::move(browser) : FolderBrowser(DesktopFolderBrowser);
}

CDlgRecordingSettings::CDlgRecordingSettings(CGeneralProfile& profile, QWidget* parent)
    : COptionsPage(profile, parent), m_ui(std::make_unique<Ui::DlgRecordingSettings>())
{
    m_ui->setupUi(this);
    (m_profile.rectype ? m_ui->automatic : m_ui->manual)->setChecked(true);
    switch (m_profile.recside) {
    case 0: m_ui->bothSides->setChecked(true); break;
    case 1: m_ui->mySide->setChecked(true); break;
    case 2: m_ui->remoteSide->setChecked(true); break;
    default: break; // a hand-written value: no button stands for it
    }
    m_folder = m_profile.sfolder;
    m_ui->folder->setText(m_folder);
    m_ui->folder->setCursorPosition(0);

    connect(m_ui->automatic, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_profile.rectype = true;
    });
    connect(m_ui->manual, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_profile.rectype = false;
    });
    const std::pair<QRadioButton*, int> sides[] = {{m_ui->bothSides, 0}, {m_ui->mySide, 1}, {m_ui->remoteSide, 2}};
    for (const auto& [button, side] : sides)
        connect(button, &QRadioButton::toggled, this, [this, side = side](bool on) {
            if (on)
                m_profile.recside = side;
        });
    connect(m_ui->open, &QPushButton::clicked, this, &CDlgRecordingSettings::OnOpen);
    connect(m_ui->browse, &QPushButton::clicked, this, &CDlgRecordingSettings::OnBrowse);
}

CDlgRecordingSettings::~CDlgRecordingSettings() = default;

void CDlgRecordingSettings::OnOpen()
{
    const QString folder = m_ui->folder->text();
    // The file manager would report a missing folder itself; the desktop's opener does not.
    if (folder.isEmpty() || !QDir(folder).exists()) {
        MessageBox(0, QStringLiteral("The folder \"%1\" cannot be found.").arg(folder),
                   QString::fromLatin1(kProductName), MB_OK | MB_ICONWARNING);
        return;
    }
    OpenUrl(QUrl::fromLocalFile(folder).toString());
}

void CDlgRecordingSettings::OnBrowse()
{
    const QString chosen = Browser()(this, QStringLiteral("Select recording folder"), m_folder);
    if (!chosen.isEmpty())
        m_folder = QDir::fromNativeSeparators(chosen);
    m_profile.sfolder = m_folder;
    m_ui->folder->setText(m_folder);
    m_ui->folder->setCursorPosition(0);
}
