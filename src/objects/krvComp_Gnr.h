// Generators and sequences.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TGnrData : public TDbObj {
public:
    explicit TGnrData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboGenerator; }
    const char* ClassName() const override { return "TGnrData"; }

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
