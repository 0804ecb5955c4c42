// External functions.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TUdfData : public TDbObj {
public:
    explicit TUdfData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboFunction; }
    const char* ClassName() const override { return "TUdfData"; }
    TObjListKind ListKind() const override { return olUdf; }
};

}  // namespace dbtwin
