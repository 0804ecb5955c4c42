// Columns and every other typed item (view columns, routine parameters and results,
// external-function arguments, domain base types).
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TFldData : public TDbObj {
public:
    explicit TFldData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboField; }
    const char* ClassName() const override { return "TFldData"; }

    bool Nullable = true;
    std::int32_t Position = 0;
    std::int32_t PositionTarget = -1;
    bool Exists = false;
    bool Compare = false;
    std::string DomainName;
    std::string DomainSchema;
    std::string OwnName;          // owning table, view or routine
    TDbObj* OwnObj = nullptr;     // owning object; not owned
    TParamInOutType InOut = ioUnknown;

    // A computed column: its computed-by expression is the body.
    bool IsComputed() const { return !fBody.empty(); }
    // The column name.
    std::string GetCaption() const override { return fObjName; }
};

}  // namespace dbtwin

namespace dbtwin {

// Creates a column named aName owned by aOwner's list, with owner name and position set;
// nullptr when the list refuses the name.
TFldData* AddOwnedFld(TKeyedList<TFldData>& aList, TDbObj* aOwner, const std::string& aName,
                      TDbObject aKind);

}  // namespace dbtwin
