// SQL Server dialect: keyword tables and identifier quoting.
#pragma once

#include "core/keywords/mssql.h"
#include "core/krvQuote.h"

// Tables (generated from core/keywords): MSSQLKeyWords, codes named in namespace mssqlsym.
// MSSQLSymbolByResWord, MSSQLPlainIdentChars and MSSQLQuoteIdent are declared in
// core/krvQuote.h.
