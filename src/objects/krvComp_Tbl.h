// Tables, schemas and publications.
#pragma once

#include "model/krvClasses.h"
#include "objects/krvCompColumn.h"

namespace dbtwin {

// Columns in column order, looked up by name; owned.
using TFldList = TKeyedList<TFldData>;

class TTblData : public TDbObj {
public:
    explicit TTblData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TTblData"; }

    bool fSkipComputedDef = false;  // while set, the table text leaves out computed columns
    TFldList Flds;

    TFldData* FindFld(std::string_view aName) const { return Flds.Find(aName); }
    // Creates a column owned by this table and appends it.
    TFldData* AddFld(const std::string& aName);
    void SetSkipComputedDef(bool Value) { fSkipComputedDef = Value; }

    // Pulls in what the table uses, then marks its columns created (they are created with
    // the table), except computed ones left out while fSkipComputedDef is set.
    void DoBeforeCreate() override;
};

class TSchData : public TDbObj {
public:
    explicit TSchData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboSchema; }
    const char* ClassName() const override { return "TSchData"; }
};

class TPblData : public TDbObj {
public:
    explicit TPblData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboPublication; }
    const char* ClassName() const override { return "TPblData"; }
};

}  // namespace dbtwin
