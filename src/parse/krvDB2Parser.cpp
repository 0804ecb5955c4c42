#include "parse/krvDB2Parser.h"

namespace dbtwin {

TSymbol DB2SymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(DB2KeyWords)};
    return index.Find(aWord);
}

std::string DB2QuoteIdent(std::string_view aName) {
    if (aName.empty()) return {};
    bool quote = !IsUpperAZ(aName.front());
    // "@".."Z" holds "@" and the capital letters.
    for (char c : aName.substr(1))
        if (!(c == '#' || c == '$' || IsDigit09(c) || c == '@' || IsUpperAZ(c) || c == '_'))
            quote = true;
    if (quote || DB2SymbolByResWord(aName) != syIdent) return EncloseIdent(aName, '"', '"');
    return std::string(aName);
}

}  // namespace dbtwin
