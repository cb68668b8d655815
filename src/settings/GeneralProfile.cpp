#include "settings/GeneralProfile.h"

#include <memory>
#include <mutex>

#include "platform/Folders.h"
#include "settings/SettingsConstants.h"

namespace {
std::mutex g_instanceLock;
std::unique_ptr<CGeneralProfile> g_instance;
} // namespace

CGeneralProfile* CGeneralProfile::Instance()
{
    std::lock_guard lock(g_instanceLock);
    if (!g_instance)
        g_instance = std::make_unique<CGeneralProfile>();
    return g_instance.get();
}

void CGeneralProfile::Release()
{
    std::lock_guard lock(g_instanceLock);
    g_instance.reset();
}

CGeneralProfile::CGeneralProfile() : CProfileBase(kRootKeyPath)
{
    SetDefaults();
}

bool CGeneralProfile::SetDefaults()
{
    autostart = kDefAutostart;
    notifycov = kDefNotifyCov;
    notifyfinish = kDefNotifyFinish;
    notifyhistory = kDefNotifyHistory;
    position.clear();
    hispos.clear();
    starthide = kDefStartHide;
    rectype = kDefRecType;
    recside = kDefRecSide;
    const QString documents = Folders::Documents();
    sfolder = documents.isEmpty() ? QString() : Folders::DefaultRecordings();
    amode = kDefAMode;
    abitrate = kDefABitrate;
    asample = kDefASample;
    chatreply = kDefChatReply;
    onlinereply = kDefOnlineReply;
    notonlinereply = kDefNotOnlineReply;
    replytxt = kDefReplyTxt;
    topmost = kDefTopmost;
    sticksky = kDefStickSky;
    return true;
}

bool CGeneralProfile::ReadFlag(const char* name, bool current)
{
    return ReadByte(kConfigKey, name, current ? 1 : 0) != 0;
}

bool CGeneralProfile::Load()
{
    Batch batch(*this);
    autostart = ReadFlag(kValAutostart, autostart);
    notifycov = ReadFlag(kValNotifyCov, notifycov);
    notifyfinish = ReadFlag(kValNotifyFinish, notifyfinish);
    notifyhistory = ReadFlag(kValNotifyHistory, notifyhistory);
    position = ReadString(kConfigKey, kValPosition, position);
    hispos = ReadString(kConfigKey, kValHispos, hispos);
    starthide = ReadFlag(kValStartHide, starthide);
    topmost = ReadFlag(kValTopmost, topmost);
    sticksky = ReadFlag(kValStickSky, sticksky);
    rectype = ReadFlag(kValRecType, rectype);
    recside = static_cast<int>(ReadDword(kConfigKey, kValRecSide, static_cast<DWORD>(recside)));
    sfolder = ReadString(kConfigKey, kValSFolder, sfolder);
    amode = static_cast<int>(ReadDword(kConfigKey, kValAMode, static_cast<DWORD>(amode)));
    abitrate = static_cast<int>(ReadDword(kConfigKey, kValABitrate, static_cast<DWORD>(abitrate)));
    asample = static_cast<int>(ReadDword(kConfigKey, kValASample, static_cast<DWORD>(asample)));
    chatreply = ReadFlag(kValChatReply, chatreply);
    onlinereply = ReadFlag(kValOnlineReply, onlinereply);
    notonlinereply = ReadFlag(kValNotOnlineReply, notonlinereply);
    replytxt = ReadString(kConfigKey, kValReplyTxt, replytxt, kReplyTextBufferBytes);
    return true;
}

bool CGeneralProfile::Save()
{
    if (!IsChanged())
        return true;
    Batch batch(*this);
    WriteByte(kConfigKey, kValAutostart, autostart);
    WriteByte(kConfigKey, kValNotifyCov, notifycov);
    WriteByte(kConfigKey, kValNotifyFinish, notifyfinish);
    WriteByte(kConfigKey, kValNotifyHistory, notifyhistory);
    WriteString(kConfigKey, kValPosition, position);
    WriteString(kConfigKey, kValHispos, hispos);
    WriteByte(kConfigKey, kValStartHide, starthide);
    WriteByte(kConfigKey, kValTopmost, topmost);
    WriteByte(kConfigKey, kValRecType, rectype);
    WriteDword(kConfigKey, kValRecSide, static_cast<DWORD>(recside));
    WriteString(kConfigKey, kValSFolder, sfolder);
    WriteDword(kConfigKey, kValAMode, static_cast<DWORD>(amode));
    WriteDword(kConfigKey, kValABitrate, static_cast<DWORD>(abitrate));
    WriteDword(kConfigKey, kValASample, static_cast<DWORD>(asample));
    WriteByte(kConfigKey, kValChatReply, chatreply);
    WriteByte(kConfigKey, kValOnlineReply, onlinereply);
    WriteByte(kConfigKey, kValNotOnlineReply, notonlinereply);
    WriteString(kConfigKey, kValReplyTxt, replytxt);
    WriteByte(kConfigKey, kValStickSky, sticksky);
    return true;
}
