#include "model/krvCustomDBStructure.h"

namespace dbtwin {

void TCustomDBStructure::Clear() {
    if (fObjs) fObjs->Clear();
    fdb_prefix.clear();
}

void TCustomDBStructure::SetExtractor(TExtractorLink* aExtractor) {
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

}  // namespace dbtwin
