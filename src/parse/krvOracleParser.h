// Oracle dialect: keyword tables and identifier quoting.
#pragma once

#include "core/keywords/oracle.h"
#include "core/krvQuote.h"

// Tables (generated from core/keywords): OracleKeyWords, codes named in namespace orasym.
// OracleSymbolByResWord and OracleQuoteIdent are declared in core/krvQuote.h.
