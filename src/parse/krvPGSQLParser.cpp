#include "parse/krvPGSQLParser.h"

namespace dbtwin {

TSymbol PGSQLSymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(PGSQLKeyWords)};
    return index.Find(aWord);
}

std::string PGSQLQuoteIdent(std::string_view aIdent) {
    static const TWordIndex quoteMore{PGSQLQuoteMoreWords};
    if (aIdent.empty()) return {};
    bool quote = !(aIdent.front() == '_' || IsLowerAZ(aIdent.front()));
    for (char c : aIdent.substr(1))
        if (!(c == '$' || IsDigit09(c) || c == '_' || IsLowerAZ(c))) quote = true;
    if (quote || PGSQLSymbolByResWord(aIdent) != syIdent || quoteMore.Contains(aIdent))
        return EncloseIdent(aIdent, '"', '"');
    return std::string(aIdent);
}

}  // namespace dbtwin
