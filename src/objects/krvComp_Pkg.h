// Packages.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TPkgData : public TDbObj {
public:
    explicit TPkgData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboPackage; }
    const char* ClassName() const override { return "TPkgData"; }
    TObjListKind ListKind() const override { return olPkg; }
};

}  // namespace dbtwin
