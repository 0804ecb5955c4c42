// Indices.
#pragma once

#include "objects/krvComp_Tbl.h"

namespace dbtwin {

class TIdxData : public TDbObj {
public:
    explicit TIdxData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TIdxData"; }

    bool Unique = false;
    std::string TblName;
    TFldList Flds;

    std::string GetObjKeyDef() const override;
};

}  // namespace dbtwin
