// Exceptions and events.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TExcData : public TDbObj {
public:
    explicit TExcData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboException; }
    const char* ClassName() const override { return "TExcData"; }
    TObjListKind ListKind() const override { return olExc; }
};

class TEvtData : public TDbObj {
public:
    explicit TEvtData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboEvent; }
    const char* ClassName() const override { return "TEvtData"; }
    TObjListKind ListKind() const override { return olEvt; }
};

}  // namespace dbtwin
