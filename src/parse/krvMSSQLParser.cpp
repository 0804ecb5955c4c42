#include "parse/krvMSSQLParser.h"

#include "parse/krvASEParser.h"

namespace dbtwin {

namespace {

const TKeyWordIndex& KeyWordIndex() {
    static const TKeyWordIndex index{std::span<const TKeyWord>(MSSQLKeyWords)};
    return index;
}

bool IsFirstChar(char c) {
    return c == '#' || c == '$' || IsUpperAZ(c) || c == '_' || IsLowerAZ(c);
}

// "@".."Z" holds "@" and the capital letters.
bool IsNextChar(char c) {
    return c == '#' || c == '$' || IsDigit09(c) || c == '@' || IsUpperAZ(c) || c == '_' ||
           IsLowerAZ(c);
}

}  // namespace

TSymbol MSSQLSymbolByResWord(std::string_view aWord) { return KeyWordIndex().Find(aWord); }

bool MSSQLPlainIdentChars(std::string_view aName) {
    if (aName.empty() || !IsFirstChar(aName.front())) return false;
    for (char c : aName.substr(1))
        if (!IsNextChar(c)) return false;
    return true;
}

std::string MSSQLQuoteIdent(std::string_view aIdent) {
    if (aIdent.empty()) return {};
    const bool holdsBracket = aIdent.find(']') != std::string_view::npos;
    if (aIdent.front() == '<' && !holdsBracket) return std::string(aIdent);
    // The quoting list is the SQL Server keywords plus DUMMY, which is the ASE table.
    if (holdsBracket || !MSSQLPlainIdentChars(aIdent) || MSSQLSymbolByResWord(aIdent) != syIdent ||
        ASESymbolByResWord(aIdent) != syIdent)
        return EncloseIdent(aIdent, '[', ']');
    return std::string(aIdent);
}

}  // namespace dbtwin
