// Sybase ASE dialect: keyword tables and identifier quoting.
#pragma once

#include "core/keywords/mssql.h"
#include "core/krvQuote.h"

// Tables (generated from core/keywords): ASEKeyWords, codes named in namespace asesym.
// ASESymbolByResWord and ASEQuoteIdent are declared in core/krvQuote.h.
