#include "objects/krvComp_Ctr.h"

namespace dbtwin {

TCtrData::TCtrData(TCustomObjs* aObjs) : TDbObj(aObjs), Flds(false, true, true), RefFlds(false, true, true) {
    fObjType = dboConstraint;
}

void TCtrData::SetCtType(TConstraintType aType) {
    fCtType = aType;
    switch (aType) {
        case ctPKey: fObjType = dboPKey; break;
        case ctUnique: fObjType = dboUnique; break;
        case ctFKey: fObjType = dboFKey; break;
        case ctCheck: fObjType = dboCheck; break;
        case ctDefault: fObjType = dboDefault; break;
        case ctReferences: fObjType = dboReferences; break;
        default: break;
    }
}

TFldData* TCtrData::AddFld(const std::string& aName) {
    TFldData* f = AddOwnedFld(Flds, this, aName, dboField);
    if (f) f->OwnName = fTblName;
    return f;
}

}  // namespace dbtwin
