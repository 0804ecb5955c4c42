// SQL Server dialect: keyword table and identifier quoting.
#pragma once

#include <string>
#include <string_view>

#include "parse/keywords/mssql.h"
#include "parse/krvKeyWords.h"

namespace dbtwin {

// Tables (generated from parse/keywords): MSSQLKeyWords, the reserved words and the display
// words of the dialect's own symbols (150 to 220), with the codes named in namespace
// mssqlsym; ASEKeyWords (krvASEParser) is the same table without the compound assignment
// operators, plus DUMMY.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol MSSQLSymbolByResWord(std::string_view aWord);

// True when the name can be written without brackets as far as its characters go: it begins
// with "#", "$", "A".."Z", "_", "a".."z" and goes on with "#", "$", "0".."9", "@".."Z", "_",
// "a".."z". Keywords are not considered.
bool MSSQLPlainIdentChars(std::string_view aName);

// The name in square brackets (inner "]" doubled) when it is not empty, does not begin with
// "<" and has characters MSSQLPlainIdentChars refuses, or is a keyword or DUMMY; otherwise
// unchanged. A name holding "]" is always bracketed, whatever its first character.
std::string MSSQLQuoteIdent(std::string_view aIdent);

}  // namespace dbtwin
