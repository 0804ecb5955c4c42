#include "extract/krvCustomExtract.h"

#include "core/krvMsg.h"

namespace dbtwin {

bool TCustomExtract::AcceptObj(const std::string&, TDbObject) { return true; }

void TCustomExtract::DoErrorMessage(const std::string& aText) {
    if (OnErrorMessage) OnErrorMessage(this, aText);
    else ShowMessage(aText);
}

void TCustomExtract::DoLogNextLine(const std::string& aText) {
    if (OnLogNextLine) OnLogNextLine(this, aText);
}

}  // namespace dbtwin
