// PostgreSQL dialect: keyword tables and identifier quoting.
#pragma once

#include "core/keywords/pg.h"
#include "core/keywords/pg_quote_more.h"
#include "core/krvQuote.h"

// Tables (generated from core/keywords): PGSQLKeyWords, codes named in namespace pgsym;
// PGSQLQuoteMoreWords.
// PGSQLSymbolByResWord and PGSQLQuoteIdent are declared in core/krvQuote.h.
