#include "settings/DlgAdvanceSettings.h"

#include <vector>

#include "settings/GeneralProfile.h"
#include "ui_DlgAdvanceSettings.h"

CDlgAdvanceSettings::CDlgAdvanceSettings(CGeneralProfile& profile, QWidget* parent)
    : COptionsPage(profile, parent), m_ui(std::make_unique<Ui::DlgAdvanceSettings>())
{
    m_ui->setupUi(this);
    const std::pair<std::vector<QRadioButton*>, int CGeneralProfile::*> groups[] = {
        {{m_ui->mono, m_ui->stereo, m_ui->jointStereo}, &CGeneralProfile::amode},
        {{m_ui->bitrate32, m_ui->bitrate64, m_ui->bitrate96, m_ui->bitrate128, m_ui->bitrate192, m_ui->bitrate256},
         &CGeneralProfile::abitrate},
        {{m_ui->sample16000, m_ui->sample32000, m_ui->sample44100, m_ui->sample48000}, &CGeneralProfile::asample},
    };
    for (const auto& [buttons, field] : groups) {
        const int current = m_profile.*field;
        for (int i = 0; i < int(buttons.size()); ++i) {
            if (i == current)
                buttons[std::size_t(i)]->setChecked(true);
            connect(buttons[std::size_t(i)], &QRadioButton::toggled, this, [this, field = field, i](bool on) {
                if (on)
                    m_profile.*field = i;
            });
        }
    }
}

CDlgAdvanceSettings::~CDlgAdvanceSettings() = default;
