// Constraints.
#pragma once

#include "objects/krvComp_Tbl.h"

namespace dbtwin {

enum TConstraintType : std::uint8_t {
    ctPKey, ctUnique, ctFKey, ctCheck, ctKey, ctDefault, ctNotNull, ctReferences
};
DBTWIN_ENUM_COUNT(TConstraintType, 8);
using TConstraintTypeSet = TSet<TConstraintType>;

class TCtrData : public TDbObj {
public:
    explicit TCtrData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TCtrData"; }

    TConstraintType fCtType = ctFKey;
    std::string fTblName;
    std::string fRefTblName;
    std::string fRefSchema;
    TFldList Flds;       // constrained columns
    TFldList RefFlds;    // referenced columns

    // Stores the type and sets the object kind that goes with it.
    void SetCtType(TConstraintType aType);
    void SetTblName(const std::string& aName) { fTblName = aName; }
    void SetRefTblName(const std::string& aName) { fRefTblName = aName; }
    TFldData* AddFld(const std::string& aName);
};

}  // namespace dbtwin
