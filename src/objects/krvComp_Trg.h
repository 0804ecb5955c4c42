// Triggers.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TTrgData : public TDbObj {
public:
    explicit TTrgData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboTrigger; }
    const char* ClassName() const override { return "TTrgData"; }

    std::string fOwnName;            // owning table or view
    TDbObj* fOwnObj = nullptr;       // not owned
    bool fRestoreBody = false;
    std::string SourceBody;
    std::string CreateBody;          // body at the moment the trigger was created in the script
    bool Active = true;

    // The body that does nothing, in the trigger's dialect.
    virtual std::string EmptyBody() const;
    void SetRestoreBody(bool Value);
};

}  // namespace dbtwin
