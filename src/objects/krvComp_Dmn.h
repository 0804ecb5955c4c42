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

    TObjListKind ListKind() const override { return olDmn; }
    TDescriptionTarget DescriptionTarget() const override;
    // PostgreSQL names a domain's check constraint domain_check: such a name is not kept.
    void CheckSysName() override;
};

}  // namespace dbtwin
