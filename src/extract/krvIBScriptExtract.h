// InterBase/Firebird scripts: the script extractor with the InterBase/Firebird parser.
#pragma once

#include "core/krvDBOptions.h"
#include "extract/krvCustomScriptExtract.h"

namespace dbtwin {

class TIBScriptExtract : public TCustomScriptExtract {
public:
    explicit TIBScriptExtract(TComponent* aOwner = nullptr);
    const char* ClassName() const override { return "TIBScriptExtract"; }

protected:
    std::unique_ptr<TCustomParser> CreateParser() override;
    // Also keeps the set's server options as the run starts: every script starts from them.
    void DoBeforeScriptsExtract() override;
    // A script's SET SQL DIALECT and SET TERM end with it: the next one starts from the
    // options the run began with and the default terminator.
    void ResetParserState() override;

private:
    TIBServerOptions fStartOptions;
};

}  // namespace dbtwin
