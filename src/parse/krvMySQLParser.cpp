#include "parse/krvMySQLParser.h"

#include "core/krvStrUtils.h"

namespace dbtwin {

namespace {

// True when the server reads the name unquoted as that name: identifier characters only,
// and not starting with a digit (a name such as 1e5 or 123 reads as a number).
bool PlainName(std::string_view aName) {
    if (IsDigit09(aName.front()) || !IsValidUtf8(aName)) return false;
    for (char32_t c : Utf8Decode(aName)) {
        if (c >= 0x80) {
            if (c > 0xFFFF) return false;
        } else if (!(IsDigit09(static_cast<char>(c)) || IsUpperAZ(static_cast<char>(c)) ||
                     IsLowerAZ(static_cast<char>(c)) || c == '$' || c == '_')) {
            return false;
        }
    }
    return true;
}

}  // namespace

TSymbol MySQLSymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(MySQLKeyWords)};
    return index.Find(aWord);
}

std::string MySQLQuoteIdent(std::string_view aName) {
    static const TWordIndex reserved = [] {
        TWordIndex words(MySQLQuoteWords);
        words.Add(MySQLQuoteMoreWords);
        return words;
    }();
    if (aName.empty()) return {};
    if (UpperCase(aName) != aName || reserved.Contains(aName) || !PlainName(aName))
        return EncloseIdent(aName, '`', '`');
    return std::string(aName);
}

}  // namespace dbtwin
