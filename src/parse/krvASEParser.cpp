#include "parse/krvASEParser.h"

#include "parse/krvMSSQLParser.h"

namespace dbtwin {

TSymbol ASESymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(ASEKeyWords)};
    return index.Find(aWord);
}

std::string ASEQuoteIdent(std::string_view aName) { return MSSQLQuoteIdent(aName); }

}  // namespace dbtwin
