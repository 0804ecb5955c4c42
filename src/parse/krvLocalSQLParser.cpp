#include "parse/krvLocalSQLParser.h"

namespace dbtwin {

namespace {

// True for a name in double quotes whose inner double quotes all come in pairs: a name the
// parser kept quoted, which is written as it is.
bool IsQuotedName(std::string_view aName) {
    if (aName.size() < 2 || aName.front() != '"' || aName.back() != '"') return false;
    std::string_view inner = aName.substr(1, aName.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i)
        if (inner[i] == '"' && (++i == inner.size() || inner[i] != '"')) return false;
    return true;
}

}  // namespace

TSymbol LocalSQLSymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(LocalSQLKeyWords)};
    return index.Find(aWord);
}

std::string LocalSQLQuoteIdent(std::string_view aName) {
    if (IsQuotedName(aName)) return std::string(aName);
    if (LocalSQLSymbolByResWord(aName) != syIdent || aName.find('"') != std::string_view::npos)
        return EncloseIdent(aName, '"', '"');
    return std::string(aName);
}

}  // namespace dbtwin
