#include "objects/krvComp_Idx.h"

namespace dbtwin {

TIdxData::TIdxData(TCustomObjs* aObjs) : TDbObj(aObjs), Flds(false, true, true) { fObjType = dboIndex; }

// Index names are unique only per table in MySQL.
std::string TIdxData::GetObjKeyDef() const {
    if (fObjs && fObjs->GetDatabaseType() == dbMySQL) return TblName + "." + fObjName;
    return TDbObj::GetObjKeyDef();
}

}  // namespace dbtwin
