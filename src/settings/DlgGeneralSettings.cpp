#include "settings/DlgGeneralSettings.h"

#include "settings/GeneralProfile.h"
#include "ui_DlgGeneralSettings.h"

CDlgGeneralSettings::CDlgGeneralSettings(CGeneralProfile& profile, QWidget* parent)
    : COptionsPage(profile, parent), m_ui(std::make_unique<Ui::DlgGeneralSettings>())
{
    m_ui->setupUi(this);
    const std::pair<QCheckBox*, bool CGeneralProfile::*> boxes[] = {
        {m_ui->autostart, &CGeneralProfile::autostart},
        {m_ui->notifycov, &CGeneralProfile::notifycov},
        {m_ui->notifyfinish, &CGeneralProfile::notifyfinish},
        {m_ui->notifyhistory, &CGeneralProfile::notifyhistory},
        {m_ui->starthide, &CGeneralProfile::starthide},
    };
    for (const auto& [box, field] : boxes) {
        box->setChecked(m_profile.*field);
        connect(box, &QCheckBox::toggled, this, [this, field](bool on) { m_profile.*field = on; });
    }
}

CDlgGeneralSettings::~CDlgGeneralSettings() = default;
