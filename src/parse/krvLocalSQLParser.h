// Local SQL of Paradox and dBASE tables: keyword tables and identifier quoting.
#pragma once

#include "core/keywords/localsql.h"
#include "core/krvQuote.h"

// Tables (generated from core/keywords): LocalSQLKeyWords, codes named in namespace
// localsqlsym.
// LocalSQLSymbolByResWord and LocalSQLQuoteIdent are declared in core/krvQuote.h.
