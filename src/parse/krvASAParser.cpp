#include "parse/krvASAParser.h"

namespace dbtwin {

namespace {

// Character classes on the upper-cased name: "@".."Z" holds "@" and the capital letters.
bool IsFirstChar(char c) { return c == '#' || c == '$' || c == '@' || IsUpperAZ(c) || c == '_'; }
bool IsNextChar(char c) { return IsFirstChar(c) || IsDigit09(c); }

char AsciiUpper(char c) { return IsLowerAZ(c) ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

TSymbol ASASymbolByResWord(std::string_view aWord, TASAServerVersionType /*aVersion*/) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(ASAKeyWords)};
    return index.Find(aWord);
}

std::string ASAQuoteIdent(std::string_view aName, TASAServerVersionType aVersion) {
    static const TWordIndex quoteWords{ASAQuoteWords};
    if (aName.empty()) return {};
    if (ASASymbolByResWord(aName, aVersion) != syIdent || quoteWords.Contains(aName))
        return '"' + KeyWordKey(aName) + '"';
    bool quote = !IsFirstChar(AsciiUpper(aName.front()));
    for (char c : aName.substr(1))
        if (!IsNextChar(AsciiUpper(c))) quote = true;
    return quote ? EncloseIdent(aName, '"', '"') : std::string(aName);
}

}  // namespace dbtwin
