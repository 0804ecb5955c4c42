// Defaults and collations.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TDefData : public TDbObj {
public:
    explicit TDefData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboDefault; }
    const char* ClassName() const override { return "TDefData"; }
    TObjListKind ListKind() const override { return olDef; }
};

class TCltData : public TDbObj {
public:
    explicit TCltData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboCollation; }
    const char* ClassName() const override { return "TCltData"; }
    TObjListKind ListKind() const override { return olClt; }
};

}  // namespace dbtwin
