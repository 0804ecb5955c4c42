// The concrete structure component: owns its object set (a TObjs).
#pragma once

#include <memory>
#include <string>

#include "model/krvCustomDBStructure.h"

namespace dbtwin {

class TObjs;

// The concrete structure: owns a TObjs.
class TDBStructure : public TCustomDBStructure {
public:
    explicit TDBStructure(TComponent* aOwner = nullptr);
    ~TDBStructure() override;

    TCompareRoleType GetCompareRole() const { return fObjs ? fObjs->GetCompareRole() : crUnknownRole; }
    TObjs* GetMetadata() const;

private:
    std::unique_ptr<TObjs> fOwnedObjs;
};

}  // namespace dbtwin
