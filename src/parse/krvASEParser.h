// Sybase ASE dialect: keyword table and identifier quoting.
#pragma once

#include <string>
#include <string_view>

#include "parse/keywords/mssql.h"
#include "parse/krvKeyWords.h"

namespace dbtwin {

// Table (generated from parse/keywords): ASEKeyWords, the SQL Server table without the
// compound assignment operators, plus DUMMY; codes named in namespace asesym.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol ASESymbolByResWord(std::string_view aWord);

// Square brackets by the rule of MSSQLQuoteIdent, with the same word list.
std::string ASEQuoteIdent(std::string_view aName);

}  // namespace dbtwin
