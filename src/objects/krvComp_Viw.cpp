#include "objects/krvComp_Viw.h"

namespace dbtwin {

TViwData::TViwData(TCustomObjs* aObjs) : TDbObj(aObjs), Flds(false, true, true) {
    fObjType = dboView;
    Flds.SetCaseSensitive(!(aObjs && aObjs->GetDatabaseType() == dbMSSQL));
}

TFldData* TViwData::AddFld(const std::string& aName) { return AddOwnedFld(Flds, this, aName, dboField); }

}  // namespace dbtwin
