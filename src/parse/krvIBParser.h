// InterBase/Firebird dialect: keyword table with its per-version keyword sets, the words
// the servers reserve in SQL dialect 3, and identifier quoting.
#pragma once

#include <string>
#include <string_view>

#include "core/krvDBOptions.h"
#include "core/krvTypes.h"
#include "parse/keywords/ib.h"
#include "parse/keywords/ib_quote_more.h"
#include "parse/keywords/ib_reserved.h"
#include "parse/krvKeyWords.h"

namespace dbtwin {

// Tables (generated from parse/keywords):
// - IBKeyWords: word, code and the versions in which the word is a keyword; the codes are
//   named in namespace ibsym (ibsym::syCREATE, ibsym::syCharSetIntro, ...).
// - IBReservedWords: words the servers reserve in dialect 3 without being keywords.
// - IBQuoteMoreWords: further words newer servers reject unquoted in dialect 3.

// Code of the ":=" symbol (Firebird 2.5 and later); it has no display word.
inline constexpr TSymbol syIBAssign = 116;

// The keyword codes of one server version (bit n = code n).
const TSymSet& IBKeyWordSet(TIBSQLServerVersionType aVersion);

extern const TSymSet IB4x_KeyWord_Set;
extern const TSymSet IB5x_KeyWord_Set;
extern const TSymSet IB6x_KeyWord_Set;
extern const TSymSet IB7x_KeyWord_Set;
extern const TSymSet IB75_KeyWord_Set;
extern const TSymSet IB2020_KeyWord_Set;
extern const TSymSet FB1x_KeyWord_Set;
extern const TSymSet FB15_KeyWord_Set;
extern const TSymSet FB20_KeyWord_Set;
extern const TSymSet FB21_KeyWord_Set;
extern const TSymSet FB25_KeyWord_Set;
extern const TSymSet FB30_KeyWord_Set;
extern const TSymSet Ya1x_KeyWord_Set;
extern const TSymSet FB40_KeyWord_Set;

// The code of the upper-cased word when it is in the table and its code is a keyword of
// that version; else syIdent.
TSymbol IBSymbolByResWord(std::string_view aWord, TIBSQLServerVersionType aVersion);

// True when the word is reserved by that server version in dialect 3 without being one of
// its keywords.
bool IBDialect3Reserved(std::string_view aWord, TIBSQLServerVersionType aVersion);

// True when the name needs double quotes in SQL dialect 3 for that server version: it does
// not begin with "A".."Z", holds a character other than "A".."Z", "0".."9", "_", "$", is a
// keyword of the version or a word the version reserves. An empty name never does.
bool IdentDialect3(std::string_view aName, TIBSQLServerVersionType aVersion);

// The name as written into a script: in dialect 3, in double quotes (inner double quotes
// doubled) when IdentDialect3 says so; in dialects 1 and 2 always as it is, since double
// quotes delimit strings there.
std::string IBQuoteIdent(std::string_view aName, TIBSQLServerVersionType aVersion,
                         TIBSQLDialectType aSQLDialect);

}  // namespace dbtwin
