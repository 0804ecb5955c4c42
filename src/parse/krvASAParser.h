// SQL Anywhere dialect: keyword tables and identifier quoting.
#pragma once

#include "core/keywords/asa.h"
#include "core/keywords/asa_quote.h"
#include "core/krvQuote.h"

// Tables (generated from core/keywords): ASAKeyWords, codes named in namespace asasym;
// ASAQuoteWords.
// ASASymbolByResWord and ASAQuoteIdent are declared in core/krvQuote.h.
