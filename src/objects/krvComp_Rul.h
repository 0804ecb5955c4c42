// Rules.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TRulData : public TDbObj {
public:
    explicit TRulData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboRule; }
    const char* ClassName() const override { return "TRulData"; }
    TObjListKind ListKind() const override { return olRul; }
};

}  // namespace dbtwin
