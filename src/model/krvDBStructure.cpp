#include "model/krvDBStructure.h"

#include "extract/krvCustomExtract.h"
#include "model/krvCompObj.h"

namespace dbtwin {

void TCustomDBStructure::Clear() {
    if (fObjs) fObjs->Clear();
    fdb_prefix.clear();
}

void TCustomDBStructure::SetExtractor(TCustomExtract* aExtractor) {
    if (fExtractor == aExtractor) return;
    if (fExtractor) RemoveFreeNotification(fExtractor);
    fExtractor = aExtractor;
    if (fExtractor) FreeNotification(fExtractor);
}

void TCustomDBStructure::Notification(TComponent* aComponent, TOperation aOperation) {
    TComponent::Notification(aComponent, aOperation);
    if (aOperation == opRemove && aComponent == fExtractor) {
        fExtractor = nullptr;
        if (fObjs) fObjs->fOnAccept_Obj = nullptr;
    }
}

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
