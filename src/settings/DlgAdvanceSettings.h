#pragma once
// Options page "MP3 Quality": recording mode, bit rate and sample rate, each written as the
// index of the chosen button in its group.
#include <memory>

#include "settings/OptionsPage.h"

namespace Ui {
class DlgAdvanceSettings;
}

class CDlgAdvanceSettings : public COptionsPage {
    Q_OBJECT
public:
    CDlgAdvanceSettings(CGeneralProfile& profile, QWidget* parent = nullptr);
    ~CDlgAdvanceSettings() override;

private:
    std::unique_ptr<Ui::DlgAdvanceSettings> m_ui;
};
