// MySQL/MariaDB dialect: keyword tables and identifier quoting.
#pragma once

#include "core/keywords/mysql.h"
#include "core/keywords/mysql_quote.h"
#include "core/keywords/mysql_quote_more.h"
#include "core/krvQuote.h"

// Tables (generated from core/keywords): MySQLKeyWords, codes named in namespace mysqlsym
// (45 is the character-set introducer); MySQLQuoteWords; MySQLQuoteMoreWords.
// MySQLSymbolByResWord and MySQLQuoteIdent are declared in core/krvQuote.h.
