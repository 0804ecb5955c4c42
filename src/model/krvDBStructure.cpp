#include "model/krvDBStructure.h"

#include "extract/krvCustomExtract.h"

namespace dbtwin {

void TCustomDBStructure::SetExtractor(TCustomExtract* aExtractor) {
    if (fExtractor == aExtractor) return;
    if (fExtractor) RemoveFreeNotification(fExtractor);
    fExtractor = aExtractor;
    if (fExtractor) FreeNotification(fExtractor);
}

void TCustomDBStructure::Notification(TComponent* aComponent, TOperation aOperation) {
    TComponent::Notification(aComponent, aOperation);
    if (aOperation == opRemove && aComponent == fExtractor) fExtractor = nullptr;
}

}  // namespace dbtwin
