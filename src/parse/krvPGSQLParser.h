// PostgreSQL dialect: keyword table and identifier quoting.
#pragma once

#include <string>
#include <string_view>

#include "parse/keywords/pg.h"
#include "parse/keywords/pg_quote_more.h"
#include "parse/krvKeyWords.h"

namespace dbtwin {

// Tables (generated from parse/keywords): PGSQLKeyWords, the reserved words (codes 30 to
// 122) and the two-character symbols ":=", "..", "::", "<<", ">>" (123 to 127), codes named
// in namespace pgsym; PGSQLQuoteMoreWords, further keywords of current servers that are
// quoted but never parsed as keywords.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol PGSQLSymbolByResWord(std::string_view aWord);

// The name in double quotes (inner double quotes doubled) when it is not empty and begins
// with a character other than "_", "a".."z", holds one other than "$", "0".."9", "_",
// "a".."z", or is a keyword or a word of PGSQLQuoteMoreWords; otherwise unchanged. Capital
// letters therefore always cause quoting.
std::string PGSQLQuoteIdent(std::string_view aIdent);

}  // namespace dbtwin
