#include "extract/krvIBScriptExtract.h"

#include "model/krvClasses.h"
#include "parse/krvIBExParser.h"

namespace dbtwin {

TIBScriptExtract::TIBScriptExtract(TComponent* aOwner) : TCustomScriptExtract(aOwner) {
    fDatabaseType = dbInterBase;
}

std::unique_ptr<TCustomParser> TIBScriptExtract::CreateParser() {
    if (!fDBStructure) return nullptr;
    return std::make_unique<TIbExParser>(this);
}

void TIBScriptExtract::DoBeforeScriptsExtract() {
    TCustomScriptExtract::DoBeforeScriptsExtract();
    if (fDBStructure && fDBStructure->GetObjs()) fStartOptions.Assign(fDBStructure->GetObjs()->fIBServerOptions);
}

void TIBScriptExtract::ResetParserState() {
    TCustomScriptExtract::ResetParserState();
    if (fDBStructure && fDBStructure->GetObjs()) fDBStructure->GetObjs()->fIBServerOptions.Assign(fStartOptions);
}

}  // namespace dbtwin
