#include "settings/DlgChatReplySettings.h"

#include <QSignalBlocker>
#include <QTextCursor>

#include <algorithm>

#include "settings/GeneralProfile.h"
#include "ui_DlgChatReplySettings.h"

CDlgChatReplySettings::CDlgChatReplySettings(CGeneralProfile& profile, QWidget* parent)
    : COptionsPage(profile, parent), m_ui(std::make_unique<Ui::DlgChatReplySettings>())
{
    m_ui->setupUi(this);
    m_ui->chatreply->setChecked(m_profile.chatreply);
    m_ui->onlinereply->setChecked(m_profile.onlinereply);
    m_ui->notonlinereply->setChecked(m_profile.notonlinereply);
    m_ui->replytxt->setPlainText(m_profile.replytxt.left(kReplyTextMaxChars));
    EnableReplyControls(m_profile.chatreply);

    connect(m_ui->chatreply, &QCheckBox::toggled, this, [this](bool on) {
        m_profile.chatreply = on;
        EnableReplyControls(on);
    });
    connect(m_ui->onlinereply, &QCheckBox::toggled, this, [this](bool on) { m_profile.onlinereply = on; });
    connect(m_ui->notonlinereply, &QCheckBox::toggled, this, [this](bool on) { m_profile.notonlinereply = on; });
    connect(m_ui->replytxt, &QPlainTextEdit::textChanged, this, &CDlgChatReplySettings::OnTextChanged);
}

CDlgChatReplySettings::~CDlgChatReplySettings() = default;

void CDlgChatReplySettings::EnableReplyControls(bool enable)
{
    m_ui->onlinereply->setEnabled(enable);
    m_ui->notonlinereply->setEnabled(enable);
    m_ui->replytxt->setEnabled(enable);
}

void CDlgChatReplySettings::OnTextChanged()
{
    QString text = m_ui->replytxt->toPlainText();
    if (text.size() > kReplyTextMaxChars) {
        // The box takes no more: the characters just typed or pasted past the limit (those
        // before the cursor) are taken back out.
        const int excess = int(text.size()) - kReplyTextMaxChars;
        const int cursorAt = m_ui->replytxt->textCursor().position();
        const int from = std::max(0, cursorAt - excess);
        text.remove(from, excess);
        {
            const QSignalBlocker block(m_ui->replytxt);
            m_ui->replytxt->setPlainText(text);
        }
        QTextCursor cursor = m_ui->replytxt->textCursor();
        cursor.setPosition(from);
        m_ui->replytxt->setTextCursor(cursor);
    }
    m_profile.replytxt = text;
}
