// The PSQL and DML body reader of the InterBase/Firebird parser (TIbExParser).
#include "parse/krvIBExParser.h"

namespace dbtwin {

struct TIbExParser::TImpl {};

TIbExParser::TIbExParser(TExtractorLink* aExtractor) : TIbParser(aExtractor), fImpl(std::make_unique<TImpl>()) {}

TIbExParser::~TIbExParser() = default;

void TIbExParser::ParseObjBody(TDbObj*) {}
void TIbExParser::ParseObjTxt(TDbObj*) {}
void TIbExParser::AddLinkDepend(TDbObj* aObj, const std::string& aQualifier, const std::string& aName) {
    TIbParser::AddLinkDepend(aObj, aQualifier, aName);
}
void TIbExParser::ErrMsg(const std::string& aText) { TIbParser::ErrMsg(aText); }
void TIbExParser::LinkBodies() { TIbParser::LinkBodies(); }

}  // namespace dbtwin
