#pragma once
// Options page "General": start at logon, bringing the windows forward, start hidden.
#include <memory>

#include "settings/OptionsPage.h"

namespace Ui {
class DlgGeneralSettings;
}

class CDlgGeneralSettings : public COptionsPage {
    Q_OBJECT
public:
    CDlgGeneralSettings(CGeneralProfile& profile, QWidget* parent = nullptr);
    ~CDlgGeneralSettings() override;

private:
    std::unique_ptr<Ui::DlgGeneralSettings> m_ui;
};
