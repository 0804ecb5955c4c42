// Component base: a name, an owner that frees the components it owns, and free
// notification so that components linked to another forget it before it dies.
#pragma once

#include <string>
#include <vector>

#include "core/krvTypes.h"

namespace dbtwin {

enum TOperation : std::uint8_t { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* aOwner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& GetName() const { return fName; }
    void SetName(const std::string& aName) { fName = aName; }
    TComponent* GetOwner() const { return fOwner; }

    // Components owned by this one, in the order they were inserted.
    const std::vector<TComponent*>& Components() const { return fComponents; }
    std::size_t ComponentCount() const { return fComponents.size(); }

    // Asks to be told (Notification with opRemove) when aComponent is destroyed.
    // The request is mutual, so each side forgets the other when either dies.
    void FreeNotification(TComponent* aComponent);
    void RemoveFreeNotification(TComponent* aComponent);

    // True once destruction has begun.
    bool IsDestroying() const { return fDestroying; }

protected:
    // Called when a linked or owned component is inserted or destroyed; descendants clear
    // their links to it here.
    virtual void Notification(TComponent* aComponent, TOperation aOperation);

private:
    void InsertComponent(TComponent* aComponent);
    void RemoveComponent(TComponent* aComponent);
    static void RemoveFrom(std::vector<TComponent*>& v, TComponent* c);

    std::string fName;
    TComponent* fOwner = nullptr;
    std::vector<TComponent*> fComponents;
    std::vector<TComponent*> fFreeNotifies;
    bool fDestroying = false;
};

}  // namespace dbtwin
