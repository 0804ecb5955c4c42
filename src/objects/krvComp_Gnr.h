// Generators and sequences.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TGnrData : public TDbObj {
public:
    explicit TGnrData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboGenerator; }
    const char* ClassName() const override { return "TGnrData"; }
    TObjListKind ListKind() const override { return olGnr; }
    // A target generator the master also holds is altered, not dropped.
    bool KeptWhenMasterHolds() const override { return true; }
    // A view being created creates the generators it uses first.
    void CreateForUser(TDbObj* /*aUser*/, TDependObj* /*aLink*/, TUseWalk aWalk) override {
        if (aWalk == uwViewSources && !GetObjCreated()) CreateDependDef();
    }

    std::string StartWith;
    std::string IncrementBy;
    std::string Cache = "20";

    // The option list of a DB2 identity column; empty for every other kind.
    std::string ParamDef() const {
        if (GetDatabaseType() != dbDB2) return std::string();
        return "(START WITH " + StartWith + ", INCREMENT BY " + IncrementBy + ", CACHE " + Cache + ")";
    }
};

}  // namespace dbtwin
