// Structure components: each stands for one database of a comparison and owns its object
// set. This header holds what the object set needs of its structure: the name prefix and
// the extractor bound to it.
#pragma once

#include <string>

#include "core/krvComponent.h"

namespace dbtwin {

class TCustomExtract;

class TCustomDBStructure : public TComponent {
public:
    using TComponent::TComponent;

    // Prefix that this database's object names carry and the other database's do not.
    const std::string& GetDbPrefix() const { return fDbPrefix; }
    void SetDbPrefix(const std::string& aPrefix) { fDbPrefix = aPrefix; }
    TCustomExtract* GetExtractor() const { return fExtractor; }
    void SetExtractor(TCustomExtract* aExtractor);

protected:
    void Notification(TComponent* aComponent, TOperation aOperation) override;

private:
    std::string fDbPrefix;
    TCustomExtract* fExtractor = nullptr;  // not owned
};

}  // namespace dbtwin
