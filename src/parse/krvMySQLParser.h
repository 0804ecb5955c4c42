// MySQL/MariaDB dialect: keyword table and identifier quoting.
#pragma once

#include <string>
#include <string_view>

#include "parse/keywords/mysql.h"
#include "parse/keywords/mysql_quote.h"
#include "parse/keywords/mysql_quote_more.h"
#include "parse/krvKeyWords.h"

namespace dbtwin {

// Tables (generated from parse/keywords): MySQLKeyWords, codes named in namespace mysqlsym
// (45 is the character-set introducer); MySQLQuoteWords, the reserved words MySQLQuoteIdent
// quotes; MySQLQuoteMoreWords, further words current servers reserve (quoting only).

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol MySQLSymbolByResWord(std::string_view aWord);

// The name in back-quotes (inner back-quotes doubled) when it differs from its upper-cased
// form (it holds lower-case letters), its upper-cased form is a reserved word
// (MySQLQuoteWords, MySQLQuoteMoreWords), it begins with a digit, or it holds a character
// outside the server's unquoted identifier characters ("0".."9", "A".."Z", "a".."z", "$",
// "_", U+0080..U+FFFF). Otherwise, and when empty, unchanged.
std::string MySQLQuoteIdent(std::string_view aName);

}  // namespace dbtwin
