#include "core/krvMsgMngr.h"

namespace dbtwin {

TMsgData& TMsgManager::Append(const std::string& aMsg, TMsgType aMsgType) {
    auto m = std::make_unique<TMsgData>();
    m->Msg = aMsg;
    m->MsgType = aMsgType;
    fMessages.push_back(std::move(m));
    return *fMessages.back();
}

void TMsgManager::AddMsg(const std::string& aMsg, TMsgType aMsgType, TObject* aObj) {
    Append(aMsg, aMsgType).Obj = aObj;
}

void TMsgManager::AddScriptMsg(const std::string& aMsg, const std::string& aFileName,
                               std::int32_t PosX, std::int32_t PosY, TMsgType aMsgType) {
    TMsgData& m = Append(aMsg, aMsgType);
    m.FileName = aFileName;
    m.PosX = PosX;
    m.PosY = PosY;
}

void TMsgManager::AddObjMsg(const std::string& aMsg, TObject* aObj, std::int32_t PosX,
                            std::int32_t PosY, TMsgType aMsgType) {
    TMsgData& m = Append(aMsg, aMsgType);
    m.Obj = aObj;
    m.PosX = PosX;
    m.PosY = PosY;
}

bool TMsgManager::Get_IsMsg(TMsgType aMsgType) const {
    for (const auto& m : fMessages)
        if (m->MsgType == aMsgType) return true;
    return false;
}

int TMsgManager::Get_MsgCount(TMsgSetType aTypes) const {
    int n = 0;
    for (const auto& m : fMessages)
        if (aTypes.Contains(m->MsgType)) ++n;
    return n;
}

void TMsgManager::DemoteErrors(std::size_t aFrom, TMsgType aType) {
    for (std::size_t i = aFrom; i < fMessages.size(); ++i)
        if (fMessages[i]->MsgType == mt_Err) fMessages[i]->MsgType = aType;
}

void TMsgManager::CopyFrom(const TMsgManager* aMsgMngr) {
    if (!aMsgMngr) return;
    const std::size_t n = aMsgMngr->fMessages.size();
    fMessages.reserve(fMessages.size() + n);
    for (std::size_t i = 0; i < n; ++i)
        fMessages.push_back(std::make_unique<TMsgData>(*aMsgMngr->fMessages[i]));
}

std::string TMsgManager::ErrSummary() const {
    std::string r;
    for (const auto& m : fMessages) {
        if (m->MsgType != mt_Err) continue;
        if (!r.empty()) r += "\r\n";
        r += m->Msg;
    }
    return r;
}

}  // namespace dbtwin
