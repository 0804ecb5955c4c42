#include "objects/krvComp_Tbl.h"

namespace dbtwin {

namespace {
// Column names are case-insensitive only in SQL Server.
bool ColumnNamesCaseSensitive(const TCustomObjs* aObjs) {
    return !(aObjs && aObjs->GetDatabaseType() == dbMSSQL);
}
}  // namespace

TFldData* AddOwnedFld(TFldList& aList, TDbObj* aOwner, const std::string& aName, TDbObject aKind) {
    auto* f = new TFldData(aOwner->fObjs);
    f->fObjType = aKind;
    f->SetObjName(aName);
    f->OwnName = aOwner->fObjName;
    f->OwnObj = aOwner;
    f->Position = static_cast<std::int32_t>(aList.Count());
    if (!aList.Add(f->fObjName, f)) {
        delete f;
        return nullptr;
    }
    return f;
}

TTblData::TTblData(TCustomObjs* aObjs) : TDbObj(aObjs), Flds(false, true, true) {
    fObjType = dboTable;
    Flds.SetCaseSensitive(ColumnNamesCaseSensitive(aObjs));
}

void TTblData::DoBeforeCreate() {
    TDbObj::DoBeforeCreate();
    for (TFldData* f : Flds) {
        if (f->IsComputed()) {
            if (!fSkipComputedDef) f->DoBeforeCreate();
            else continue;
        }
        f->SetObjCreated(true);
    }
}

TFldData* TTblData::AddFld(const std::string& aName) { return AddOwnedFld(Flds, this, aName, dboField); }

}  // namespace dbtwin
