// Oracle dialect: keyword table and identifier quoting.
#pragma once

#include <string>
#include <string_view>

#include "parse/keywords/oracle.h"
#include "parse/krvKeyWords.h"

namespace dbtwin {

// Table (generated from parse/keywords): OracleKeyWords, codes named in namespace orasym.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol OracleSymbolByResWord(std::string_view aWord);

// The name in double quotes (inner double quotes doubled, which the server refuses rather
// than misreads) when its upper-cased form is a keyword, its first character is not
// "A".."Z", or a later one is not "#", "$", "0".."9", "A".."Z", "_". Otherwise, and when
// empty, unchanged.
std::string OracleQuoteIdent(std::string_view aName);

}  // namespace dbtwin
