#include "parse/krvIBParser.h"

#include <array>

namespace dbtwin {

namespace {

using TIBKeyWordSets = std::array<TSymSet, EnumCount<TIBSQLServerVersionType>>;

TIBKeyWordSets BuildKeyWordSets() {
    TIBKeyWordSets sets;
    for (const TIBKeyWord& e : IBKeyWords)
        for (std::size_t v = 0; v < sets.size(); ++v)
            if (e.Versions & IBVersionBit(static_cast<TIBSQLServerVersionType>(v)))
                sets[v].Include(e.Symbol);
    return sets;
}

const TKeyWordIndex& KeyWordIndex() {
    static const TKeyWordIndex index{std::span<const TIBKeyWord>(IBKeyWords)};
    return index;
}

const TIBWordIndex& ReservedIndex() {
    static const TIBWordIndex index = [] {
        TIBWordIndex words(IBReservedWords);
        words.Add(IBQuoteMoreWords);
        return words;
    }();
    return index;
}

}  // namespace

const TSymSet& IBKeyWordSet(TIBSQLServerVersionType aVersion) {
    static const TIBKeyWordSets sets = BuildKeyWordSets();
    return sets.at(aVersion);
}

const TSymSet IB4x_KeyWord_Set = IBKeyWordSet(st_InterBase_4x);
const TSymSet IB5x_KeyWord_Set = IBKeyWordSet(st_InterBase_5x);
const TSymSet IB6x_KeyWord_Set = IBKeyWordSet(st_InterBase_6x);
const TSymSet IB7x_KeyWord_Set = IBKeyWordSet(st_InterBase_7x);
const TSymSet IB75_KeyWord_Set = IBKeyWordSet(st_InterBase_75);
const TSymSet IB2020_KeyWord_Set = IBKeyWordSet(st_InterBase_2020);
const TSymSet FB1x_KeyWord_Set = IBKeyWordSet(st_FireBird_1x);
const TSymSet FB15_KeyWord_Set = IBKeyWordSet(st_FireBird_15);
const TSymSet FB20_KeyWord_Set = IBKeyWordSet(st_Firebird_20);
const TSymSet FB21_KeyWord_Set = IBKeyWordSet(st_Firebird_21);
const TSymSet FB25_KeyWord_Set = IBKeyWordSet(st_Firebird_25);
const TSymSet FB30_KeyWord_Set = IBKeyWordSet(st_Firebird_30);
const TSymSet Ya1x_KeyWord_Set = IBKeyWordSet(st_Yaffil_1x);
const TSymSet FB40_KeyWord_Set = IBKeyWordSet(st_Firebird_40);

TSymbol IBSymbolByResWord(std::string_view aWord, TIBSQLServerVersionType aVersion) {
    TSymbol sy = KeyWordIndex().Find(aWord);
    return sy != syIdent && IBKeyWordSet(aVersion).Contains(sy) ? sy : syIdent;
}

bool IBDialect3Reserved(std::string_view aWord, TIBSQLServerVersionType aVersion) {
    return ReservedIndex().Contains(aWord, aVersion);
}

bool IdentDialect3(std::string_view aName, TIBSQLServerVersionType aVersion) {
    if (aName.empty()) return false;
    if (!IsUpperAZ(aName.front())) return true;
    for (char c : aName.substr(1))
        if (!IsUpperAZ(c) && !IsDigit09(c) && c != '_' && c != '$') return true;
    return IBSymbolByResWord(aName, aVersion) != syIdent || IBDialect3Reserved(aName, aVersion);
}

std::string IBQuoteIdent(std::string_view aName, TIBSQLServerVersionType aVersion,
                         TIBSQLDialectType aSQLDialect) {
    if (aSQLDialect == 3 && IdentDialect3(aName, aVersion)) return EncloseIdent(aName, '"', '"');
    return std::string(aName);
}

}  // namespace dbtwin
