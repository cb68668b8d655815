#include "settings/DlgOptions.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "settings/AutoStart.h"
#include "settings/DlgAdvanceSettings.h"
#include "settings/DlgChatReplySettings.h"
#include "settings/DlgGeneralSettings.h"
#include "settings/DlgRecordingSettings.h"
#include "settings/GeneralProfile.h"
#include "ui/Resources.h"

namespace {
constexpr const char* kTabTexts[kOptionsPageCount] = {"General", "Call Recording", "MP3 Quality", "Chat Reply"};
constexpr int kPageWidth = 400;
constexpr int kPageHeight = 270;
} // namespace

CDlgOptions::CDlgOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(IDD_OPTIONS));
    setWindowTitle(QStringLiteral("Options"));
    setWindowIcon(ui::LoadAppIcon());

    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QString::number(IDC_OPTIONS_TAB));
    m_tabs->setExpanding(false);
    for (const char* text : kTabTexts)
        m_tabs->addTab(QString::fromLatin1(text));
    layout->addWidget(m_tabs);

    // The pages read the record as it is stored, not as other windows left it in memory.
    m_profile = CGeneralProfile::Instance();
    m_profile->Load();

    auto* pageArea = new QWidget(this);
    pageArea->setFixedSize(kPageWidth, kPageHeight);
    m_pages = {new CDlgGeneralSettings(*m_profile, pageArea), new CDlgRecordingSettings(*m_profile, pageArea),
               new CDlgAdvanceSettings(*m_profile, pageArea), new CDlgChatReplySettings(*m_profile, pageArea)};
    for (COptionsPage* page : m_pages)
        page->setGeometry(0, 0, kPageWidth, kPageHeight);
    layout->addWidget(pageArea);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_apply = new QPushButton(QStringLiteral("Apply"), this);
    m_apply->setObjectName(QString::number(1)); // IDOK
    m_apply->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QString::number(2)); // IDCANCEL
    m_cancel->setAutoDefault(false);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_tabs, &QTabBar::currentChanged, this, &CDlgOptions::ShowPage);
    connect(m_apply, &QPushButton::clicked, this, &CDlgOptions::OnApply);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    ShowPage(0);
}

CDlgOptions::~CDlgOptions() = default;

int CDlgOptions::CurrentPage() const
{
    for (int i = 0; i < kOptionsPageCount; ++i)
        if (!m_pages[std::size_t(i)]->isHidden())
            return i;
    return -1;
}

void CDlgOptions::ShowPage(int index)
{
    for (int i = 0; i < kOptionsPageCount; ++i)
        m_pages[std::size_t(i)]->setVisible(i == index);
}

void CDlgOptions::OnApply()
{
    if (m_profile->autostart)
        EnableAutoStart();
    else
        DisableAutoStart();
    m_profile->SetChanged();
    m_profile->Save();
    accept();
}
