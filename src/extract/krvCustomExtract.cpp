#include "extract/krvCustomExtract.h"

#include "core/krvMsg.h"
#include "core/krvStrUtils.h"
#include "model/krvClasses.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Opr.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Rul.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

TCustomExtract::TCustomExtract(TComponent* aOwner) : TExtractorLink(aOwner) {}

TCustomExtract::~TCustomExtract() { SetDBStructure(nullptr); }

void TCustomExtract::SetDBStructure(TCustomDBStructure* aStructure) {
    if (fDBStructure && fDBStructure != aStructure && fDBStructure->GetExtractor() == this) {
        fDBStructure->SetExtractor(nullptr);
        if (TCustomObjs* objs = fDBStructure->GetObjs()) objs->fOnAccept_Obj = nullptr;
    }
    if (fDBStructure) RemoveFreeNotification(fDBStructure);
    fDBStructure = aStructure;
    if (fDBStructure) {
        FreeNotification(fDBStructure);
        fDBStructure->SetExtractor(this);
        if (TCustomObjs* objs = fDBStructure->GetObjs())
            objs->fOnAccept_Obj = [this](TCustomObjs* sender, TDbObj* obj, bool& accept) {
                ObjsAccept_Obj(sender, obj, accept);
            };
    }
}

void TCustomExtract::Notification(TComponent* aComponent, TOperation aOperation) {
    TExtractorLink::Notification(aComponent, aOperation);
    if (aOperation == opRemove && aComponent == fDBStructure) fDBStructure = nullptr;
}

void TCustomExtract::DoProgressUpdate(int Value, int MaxValue) {
    if (OnProgressUpdate) OnProgressUpdate(this, Value, MaxValue);
}

void TCustomExtract::DoProgressUpdateEx(bool Detailed, const std::string& aText, int Value, int MaxValue) {
    if (OnProgressUpdateEx) OnProgressUpdateEx(this, Detailed, aText, Value, MaxValue);
}

void TCustomExtract::DoDbgMsg(const std::string& aText) {
    if (OnDebugMessage) OnDebugMessage(this, aText);
}

void TCustomExtract::DoLogNextLine(const std::string& aText) {
    if (OnLogNextLine) OnLogNextLine(this, aText);
}

bool TCustomExtract::LogNextLineFrom(TObject* aSender, const std::string& aText) {
    if (!OnLogNextLine) return false;
    OnLogNextLine(aSender, aText);
    return true;
}

void TCustomExtract::DoBeforeDatabaseExtract() {
    if (!fDBStructure || !fDBStructure->GetObjs()) return;
    std::string ver = fDBStructure->GetObjs()->GetDefinedSQLVersion();
    if (!ver.empty()) DoLogNextLine(ver);
}

void TCustomExtract::DoErrorMessage(const std::string& aText) {
    if (OnErrorMessage) OnErrorMessage(this, aText);
    else ShowMessage(aText);
    fMsgMngr.AddMsg(aText, mt_Err);
}

bool TCustomExtract::ExtractDatabase() {
    fMsgMngr.Clear();
    return false;
}

bool TCustomExtract::LikeObjName(const std::string& aName, const std::string& aMask) {
    if (aMask.empty()) return false;
    std::string mask = ReplaceAll(aMask, "*", "%");
    const std::size_t wildcards = static_cast<std::size_t>(std::count(mask.begin(), mask.end(), '%'));
    // A mask without wildcard names one object exactly: an exclude list naming a table
    // must protect it.
    if (wildcards == 0) return aName == mask;
    if (wildcards != 1 || mask.size() < 2) return false;
    if (mask.back() == '%') {
        std::string_view head(mask.data(), mask.size() - 1);
        return aName.size() >= head.size() && aName.compare(0, head.size(), head) == 0;
    }
    if (mask.front() == '%') {
        std::string_view tail(mask.data() + 1, mask.size() - 1);
        return aName.size() >= tail.size() && aName.compare(aName.size() - tail.size(), tail.size(), tail) == 0;
    }
    return false;
}

bool TCustomExtract::IsInclObjName(const std::string& aName) const {
    if (fIncludeObjsNames.empty()) return true;
    for (const auto& m : fIncludeObjsNames)
        if (LikeObjName(aName, m)) return true;
    return false;
}

bool TCustomExtract::IsExclObjName(const std::string& aName) const {
    for (const auto& m : fExcludeObjsNames)
        if (LikeObjName(aName, m)) return true;
    return false;
}

bool TCustomExtract::AcceptObj(const std::string& aName, TDbObject aObjType) {
    bool accept = !IsExclObjName(aName) && IsInclObjName(aName);
    if (accept && fDBStructure && !fDBStructure->GetDbPrefix().empty()) {
        switch (aObjType) {
            case dboTable: case dboProcedure: case dboFunction: case dboException: case dboDomain:
            case dboView: case dboGenerator: case dboEvent: {
                const std::string& prefix = fDBStructure->GetDbPrefix();
                accept = aName.compare(0, prefix.size(), prefix) == 0;
                break;
            }
            default:
                break;
        }
    }
    if (OnAcceptObj) OnAcceptObj(this, aName, aObjType, accept);
    return accept;
}

bool TCustomExtract::ReadsEveryObject() const {
    // The categories that name objects of a database (not roles, grants or descriptions).
    static const TCmpObjSetType kObjects{coDomain,     coFunction,   coGenerator, coException, coTable, coView,
                                         coProcedure,  coTrigger,    coIndex,     coPrimaryKey, coForeignKey,
                                         coUnique,     coCheck,      coRule,      coDefault,   coCtrDefault, coPackage};
    return fIncludeObjsNames.empty() && fExcludeObjsNames.empty() && (kObjects * fExtractObjects) == kObjects;
}

bool TCustomExtract::AddObj(TDbObj* aObj) {
    if (!aObj) return false;
    TCustomObjs* objs = fDBStructure ? fDBStructure->GetObjs() : nullptr;
    if (!objs || !AcceptObj(aObj->fObjName, aObj->fObjType)) {
        delete aObj;
        return false;
    }
    return objs->AddObj(aObj, true);
}

bool TCustomExtract::Accept_Obj(TDbObj* aObj) {
    if (!aObj) return false;
    if (OnAccept_Obj) {
        bool accept = true;
        OnAccept_Obj(this, aObj, accept);
        return accept;
    }
    // Without masks, prefix or handler AcceptObj takes every name: no need to find the kind.
    if (fIncludeObjsNames.empty() && fExcludeObjsNames.empty() && !OnAcceptObj &&
        (!fDBStructure || fDBStructure->GetDbPrefix().empty()))
        return true;
    bool accept = true;
    const std::string& n = aObj->fObjName;
    if (dynamic_cast<TDmnData*>(aObj)) accept = AcceptObj(n, dboDomain);
    if (dynamic_cast<TUdfData*>(aObj)) accept = AcceptObj(n, dboFunction);
    if (dynamic_cast<TGnrData*>(aObj)) accept = AcceptObj(n, dboGenerator);
    if (dynamic_cast<TTblData*>(aObj)) accept = AcceptObj(n, dboTable);
    if (dynamic_cast<TViwData*>(aObj)) accept = AcceptObj(n, dboView);
    if (dynamic_cast<TTrgData*>(aObj)) accept = AcceptObj(n, dboTrigger);
    if (dynamic_cast<TPrcData*>(aObj)) accept = AcceptObj(n, dboProcedure);
    if (auto* i = dynamic_cast<TIdxData*>(aObj)) accept = AcceptObj(i->TblName, dboTable);
    if (dynamic_cast<TExcData*>(aObj)) accept = AcceptObj(n, dboException);
    if (dynamic_cast<TDefData*>(aObj)) accept = AcceptObj(n, dboDefault);
    if (dynamic_cast<TRulData*>(aObj)) accept = AcceptObj(n, dboRule);
    if (dynamic_cast<TPkgData*>(aObj)) accept = AcceptObj(n, dboPackage);
    if (dynamic_cast<TRolData*>(aObj)) accept = AcceptObj(n, dboRole);
    if (dynamic_cast<TPblData*>(aObj)) accept = AcceptObj(n, dboPublication);
    if (dynamic_cast<TSchData*>(aObj)) accept = AcceptObj(n, dboSchema);
    if (dynamic_cast<TOprData*>(aObj)) accept = AcceptObj(n, dboOperator);
    if (dynamic_cast<TOpcData*>(aObj)) accept = AcceptObj(n, dboOperatorClass);
    if (dynamic_cast<TCnvData*>(aObj)) accept = AcceptObj(n, dboConversion);
    if (dynamic_cast<TEvtData*>(aObj)) accept = AcceptObj(n, dboEvent);
    if (auto* c = dynamic_cast<TCtrData*>(aObj)) accept = AcceptObj(c->fTblName, dboTable);
    if (dynamic_cast<TCltData*>(aObj)) accept = AcceptObj(n, dboCollation);
    return accept;
}

namespace {
std::vector<std::string> MaskLines(const std::string& aText) {
    std::string t = Trim(aText);
    if (t.empty()) return {};
    return SplitLines(t);
}
}  // namespace

void TCustomExtract::SetIncludeObjsNames(const std::string& aText) { fIncludeObjsNames = MaskLines(aText); }
void TCustomExtract::SetExcludeObjsNames(const std::string& aText) { fExcludeObjsNames = MaskLines(aText); }

}  // namespace dbtwin
