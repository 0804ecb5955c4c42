#include "objects/krvDBStructure.h"

#include "objects/krvCompObj.h"

namespace dbtwin {

TDBStructure::TDBStructure(TComponent* aOwner) : TCustomDBStructure(aOwner), fOwnedObjs(std::make_unique<TObjs>()) {
    fObjs = fOwnedObjs.get();
    fObjs->fDBStructure = this;
}

TDBStructure::~TDBStructure() {
    // Unbind the extractor first: it must not reach a freed set through its hook.
    if (fExtractor) fExtractor->SetDBStructure(nullptr);
    fObjs = nullptr;
    fOwnedObjs.reset();
}

TObjs* TDBStructure::GetMetadata() const { return fOwnedObjs.get(); }

}  // namespace dbtwin
