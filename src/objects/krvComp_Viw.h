// Views.
#pragma once

#include "objects/krvComp_Tbl.h"

namespace dbtwin {

class TViwData : public TDbObj {
public:
    explicit TViwData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TViwData"; }

    bool fReCreate = false;
    TFldList Flds;  // columns of the view's column list

    TFldData* FindFld(std::string_view aName) const { return Flds.Find(aName); }
    TFldData* AddFld(const std::string& aName);
};

}  // namespace dbtwin
