#pragma once
// Options page "Chat Reply": automatic answers to chat messages, by the user's status, with the
// answer's text (at most kReplyTextMaxChars characters).
#include <memory>

#include "settings/OptionsPage.h"
#include "settings/SettingsConstants.h"

namespace Ui {
class DlgChatReplySettings;
}

class CDlgChatReplySettings : public COptionsPage {
    Q_OBJECT
public:
    CDlgChatReplySettings(CGeneralProfile& profile, QWidget* parent = nullptr);
    ~CDlgChatReplySettings() override;

private:
    void EnableReplyControls(bool enable);
    void OnTextChanged();

    std::unique_ptr<Ui::DlgChatReplySettings> m_ui;
};
