#include "parse/krvOracleParser.h"

namespace dbtwin {

TSymbol OracleSymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(OracleKeyWords)};
    return index.Find(aWord);
}

std::string OracleQuoteIdent(std::string_view aName) {
    if (aName.empty()) return {};
    bool quote = !IsUpperAZ(aName.front());
    for (char c : aName.substr(1))
        if (!(c == '#' || c == '$' || IsDigit09(c) || IsUpperAZ(c) || c == '_')) quote = true;
    if (quote || OracleSymbolByResWord(aName) != syIdent) return EncloseIdent(aName, '"', '"');
    return std::string(aName);
}

}  // namespace dbtwin
