// Generators and sequences.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TGnrData : public TDbObj {
public:
    explicit TGnrData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboGenerator; }
    const char* ClassName() const override { return "TGnrData"; }
};

}  // namespace dbtwin
