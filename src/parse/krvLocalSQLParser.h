// Local SQL of Paradox and dBASE tables: keyword table and identifier quoting.
#pragma once

#include <string>
#include <string_view>

#include "parse/keywords/localsql.h"
#include "parse/krvKeyWords.h"

namespace dbtwin {

// Table (generated from parse/keywords): LocalSQLKeyWords, codes named in namespace
// localsqlsym.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol LocalSQLSymbolByResWord(std::string_view aWord);

// The name in double quotes when its upper-cased form is a keyword, or when it holds a
// double quote (doubled inside). A name already in double quotes with its inner double quotes
// doubled, as the local SQL parser keeps quoted names, and an empty name are unchanged.
std::string LocalSQLQuoteIdent(std::string_view aName);

}  // namespace dbtwin
