// SQL Anywhere dialect: keyword table and identifier quoting.
#pragma once

#include <string>
#include <string_view>

#include "core/krvDBOptions.h"
#include "parse/keywords/asa.h"
#include "parse/keywords/asa_quote.h"
#include "parse/krvKeyWords.h"

namespace dbtwin {

// Tables (generated from parse/keywords): ASAKeyWords, codes named in namespace asasym;
// ASAQuoteWords, further words ASAQuoteIdent quotes.

// The code of the upper-cased word, syIdent when it is no keyword. The server version is
// accepted and not used.
TSymbol ASASymbolByResWord(std::string_view aWord, TASAServerVersionType aVersion = st_ASA9);

// The name in double quotes: upper-cased when it is a keyword or one of ASAQuoteWords; as
// written (inner double quotes doubled) when its upper-cased form begins with a character
// other than "#", "$", "@".."Z", "_" or goes on with one other than "#", "$", "0".."9",
// "@".."Z", "_". Otherwise, and when empty, unchanged. The server version is accepted and
// does not change the result.
std::string ASAQuoteIdent(std::string_view aName, TASAServerVersionType aVersion = st_ASA9);

}  // namespace dbtwin
