// External functions (InterBase/Firebird DECLARE EXTERNAL FUNCTION): the record, its text,
// the drop hooks that take down what uses a function, and the external-function generators.
#pragma once

#include <memory>
#include <string>

#include "objects/krvCompColumn.h"

namespace dbtwin {

class TKeldar;

class TUdfData : public TDbObj {
public:
    explicit TUdfData(TCustomObjs* aObjs);
    ~TUdfData() override;
    const char* ClassName() const override { return "TUdfData"; }

    TFldList PrmList;                  // arguments in order; unnamed
    std::unique_ptr<TFldData> RtnFld;  // the return value, or the argument returned (FncParameter)
    std::string EntryPoint;
    std::string ModuleName;
    bool FreeIt = false;               // the engine frees the returned value

    // Appends an argument, owned by the function.
    TFldData* AddPrm();

    std::string Def() const override;
    // Views and computed columns that use the function go before it.
    void DoBeforeDrop() override;
    // The master's views and computed columns that stood for them are created again.
    void DoAfterDrop() override;

    TObjListKind ListKind() const override { return olUdf; }
};

// Whether the generators of the compared categories write aUser again after it has been
// dropped or emptied (a routine's or trigger's restore, a view's, index's, constraint's or
// computed column's create). A user that would not be rebuilt must not be taken down.
bool RebuiltLater(TCmpObjSetType aCompareObjects, const TDbObj* aUser);

// External-function generators of the comparer.
void GenScriptUdfCreate(TCustomObjs* MObjs, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                        TCmpObjSetType CompareObjects);
void GenScriptUdfAlter(TKeldar& Keldar);
void GenScriptUdfDrop(TCustomObjs* MObjs, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                      TCmpObjSetType CompareObjects);

}  // namespace dbtwin
