#include "core/krvComponent.h"

#include <algorithm>

namespace dbtwin {

TComponent::TComponent(TComponent* aOwner) {
    if (aOwner) aOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    fDestroying = true;
    // Tell every linked component that this one goes away, and drop their links back.
    while (!fFreeNotifies.empty()) {
        TComponent* c = fFreeNotifies.back();
        fFreeNotifies.pop_back();
        RemoveFrom(c->fFreeNotifies, this);
        c->Notification(this, opRemove);
    }
    // Free the owned components, last inserted first.
    while (!fComponents.empty()) delete fComponents.back();
    if (fOwner) fOwner->RemoveComponent(this);
}

void TComponent::RemoveFrom(std::vector<TComponent*>& v, TComponent* c) {
    v.erase(std::remove(v.begin(), v.end(), c), v.end());
}

void TComponent::InsertComponent(TComponent* aComponent) {
    fComponents.push_back(aComponent);
    aComponent->fOwner = this;
    Notification(aComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* aComponent) {
    RemoveFrom(fComponents, aComponent);
    aComponent->fOwner = nullptr;
    Notification(aComponent, opRemove);
}

void TComponent::FreeNotification(TComponent* aComponent) {
    if (!aComponent || aComponent == this) return;
    if (std::find(fFreeNotifies.begin(), fFreeNotifies.end(), aComponent) == fFreeNotifies.end())
        fFreeNotifies.push_back(aComponent);
    if (std::find(aComponent->fFreeNotifies.begin(), aComponent->fFreeNotifies.end(), this) ==
        aComponent->fFreeNotifies.end())
        aComponent->fFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* aComponent) {
    if (!aComponent) return;
    RemoveFrom(fFreeNotifies, aComponent);
    RemoveFrom(aComponent->fFreeNotifies, this);
}

void TComponent::Notification(TComponent*, TOperation) {}

}  // namespace dbtwin
