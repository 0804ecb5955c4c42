// DB2 dialect: keyword tables and identifier quoting.
#pragma once

#include "core/keywords/db2.h"
#include "core/krvQuote.h"

// Tables (generated from core/keywords): DB2KeyWords, codes named in namespace db2sym.
// DB2SymbolByResWord and DB2QuoteIdent are declared in core/krvQuote.h.
