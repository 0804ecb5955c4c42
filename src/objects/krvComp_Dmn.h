// Domains and user types.
#pragma once

#include <memory>

#include "objects/krvCompColumn.h"

namespace dbtwin {

class TDmnData : public TDbObj {
public:
    explicit TDmnData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TDmnData"; }

    std::unique_ptr<TFldData> fData;  // the type itself
    std::string SysDataType;          // SQL Server/ASE: the system type the user type is based on
    std::string CheckName;            // name of the domain's check constraint
    std::string CheckDef;             // the check expression
};

}  // namespace dbtwin
