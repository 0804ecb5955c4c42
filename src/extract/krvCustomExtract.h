// Extractor base: fills a structure's object set from a database or scripts. This header
// holds what the object set relies on: the name filter, error reporting and logging.
#pragma once

#include <string>

#include "core/krvComponent.h"
#include "core/krvTypes.h"

namespace dbtwin {

class TCustomExtract : public TComponent {
public:
    using TComponent::TComponent;

    TLogNextLineEvent OnLogNextLine;
    TErrorMessageEvent OnErrorMessage;

    // Whether an object of that name and kind is to be filed. Every object is accepted
    // until include and exclude masks are set.
    virtual bool AcceptObj(const std::string& aName, TDbObject aKind);
    // Raises OnErrorMessage, or shows the text when no handler is assigned.
    virtual void DoErrorMessage(const std::string& aText);
    virtual void DoLogNextLine(const std::string& aText);
};

}  // namespace dbtwin
