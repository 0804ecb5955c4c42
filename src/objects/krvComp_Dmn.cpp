#include "objects/krvComp_Dmn.h"

namespace dbtwin {

TDmnData::TDmnData(TCustomObjs* aObjs) : TDbObj(aObjs), fData(std::make_unique<TFldData>(aObjs)) {
    fObjType = dboDomain;
}

TDescriptionTarget TDmnData::DescriptionTarget() const {
    TDescriptionTarget t = TDbObj::DescriptionTarget();
    t.TypeWord = SysDataType == "XML SCHEMA COLLECTION" ? "XML SCHEMA COLLECTION" : "TYPE";
    return t;
}

void TDmnData::CheckSysName() {
    if (!fObjs || fObjs->fDatabaseType != dbPostgreSQL) return;
    if (!CheckDef.empty() && !CheckName.empty() && CheckName == fObjName + "_check") CheckName.clear();
}

}  // namespace dbtwin
