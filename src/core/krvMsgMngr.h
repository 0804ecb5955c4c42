// Collected messages of a run: information, warnings and errors, each with a text, a place
// in a script file or an object's source, and the object it is about.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/krvTypes.h"

namespace dbtwin {

enum TMsgType : std::uint8_t { mt_Inf, mt_Wrn, mt_Err };
DBTWIN_ENUM_COUNT(TMsgType, 3);
using TMsgSetType = TSet<TMsgType>;

class TMsgData {
public:
    std::string Msg;
    TMsgType MsgType = mt_Inf;
    std::string FileName;
    std::int32_t PosX = 0;  // column
    std::int32_t PosY = 0;  // line
    // The object the message is about; not owned and possibly gone after the run.
    TObject* Obj = nullptr;

    void Assign(const TMsgData& Source) { *this = Source; }
};
using PMsgData = TMsgData*;

class TMsgManager {
public:
    TMsgManager() = default;
    TMsgManager(const TMsgManager&) = delete;
    TMsgManager& operator=(const TMsgManager&) = delete;

    void Clear() { fMessages.clear(); }
    void AddMsg(const std::string& aMsg, TMsgType aMsgType, TObject* aObj = nullptr);
    void AddScriptMsg(const std::string& aMsg, const std::string& aFileName, std::int32_t PosX,
                      std::int32_t PosY, TMsgType aMsgType);
    void AddObjMsg(const std::string& aMsg, TObject* aObj, std::int32_t PosX, std::int32_t PosY,
                   TMsgType aMsgType);

    bool Get_IsMsg(TMsgType aMsgType) const;
    bool GetIsInf() const { return Get_IsMsg(mt_Inf); }
    bool GetIsWrn() const { return Get_IsMsg(mt_Wrn); }
    bool GetIsErr() const { return Get_IsMsg(mt_Err); }
    bool GetIsMsg() const { return !fMessages.empty(); }

    int Get_MsgCount(TMsgSetType aTypes) const;
    int GetMsgCount() const { return Get_MsgCount(TMsgSetType::All()); }
    int GetErrCount() const { return Get_MsgCount({mt_Err}); }
    int GetWrnCount() const { return Get_MsgCount({mt_Wrn}); }
    int GetInfCount() const { return Get_MsgCount({mt_Inf}); }

    // Turns the errors from message aFrom on into messages of type aType.
    void DemoteErrors(std::size_t aFrom, TMsgType aType);
    // Appends copies of the messages the other manager holds when the call begins.
    void CopyFrom(const TMsgManager* aMsgMngr);
    // Texts of all error messages in order, joined by "\r\n".
    std::string ErrSummary() const;

    std::size_t Count() const { return fMessages.size(); }
    const TMsgData& Get(std::size_t i) const { return *fMessages[i]; }

private:
    TMsgData& Append(const std::string& aMsg, TMsgType aMsgType);
    std::vector<std::unique_ptr<TMsgData>> fMessages;
};

}  // namespace dbtwin
