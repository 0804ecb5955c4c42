// DB2 dialect: keyword table and identifier quoting.
#pragma once

#include <string>
#include <string_view>

#include "parse/keywords/db2.h"
#include "parse/krvKeyWords.h"

namespace dbtwin {

// Table (generated from parse/keywords): DB2KeyWords, codes named in namespace db2sym.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol DB2SymbolByResWord(std::string_view aWord);

// The name in double quotes (inner double quotes doubled) when its upper-cased form is a
// keyword, its first character is not "A".."Z", or a later one is not "#", "$", "0".."9",
// "@".."Z", "_". Otherwise, and when empty, unchanged.
std::string DB2QuoteIdent(std::string_view aName);

}  // namespace dbtwin
