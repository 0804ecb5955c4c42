// InterBase/Firebird dialect: keyword table with its per-version keyword sets, the words
// the servers reserve in SQL dialect 3, and identifier quoting.
#pragma once

#include "core/keywords/ib.h"
#include "core/keywords/ib_quote_more.h"
#include "core/keywords/ib_reserved.h"
#include "core/krvDBOptions.h"
#include "core/krvQuote.h"
#include "core/krvTypes.h"
#include "parse/krvParser.h"

namespace dbtwin {

// Tables (generated from core/keywords):
// - IBKeyWords: word, code and the versions in which the word is a keyword; the codes are
//   named in namespace ibsym (ibsym::syCREATE, ibsym::syCharSetIntro, ...).
// - IBReservedWords: words the servers reserve in dialect 3 without being keywords.
// - IBQuoteMoreWords: further words newer servers reject unquoted in dialect 3.
// IBKeyWordSet, IBSymbolByResWord, IBDialect3Reserved, IdentDialect3 and IBQuoteIdent are
// declared in core/krvQuote.h.

// Code of the ":=" symbol (Firebird 2.5 and later); it has no display word.
inline constexpr TSymbol syIBAssign = 116;

// The keyword codes of each server version (IBKeyWordSet of that version).
extern const TSymSet IB4x_KeyWord_Set;
extern const TSymSet IB5x_KeyWord_Set;
extern const TSymSet IB6x_KeyWord_Set;
extern const TSymSet IB7x_KeyWord_Set;
extern const TSymSet IB75_KeyWord_Set;
extern const TSymSet IB2020_KeyWord_Set;
extern const TSymSet FB1x_KeyWord_Set;
extern const TSymSet FB15_KeyWord_Set;
extern const TSymSet FB20_KeyWord_Set;
extern const TSymSet FB21_KeyWord_Set;
extern const TSymSet FB25_KeyWord_Set;
extern const TSymSet FB30_KeyWord_Set;
extern const TSymSet Ya1x_KeyWord_Set;
extern const TSymSet FB40_KeyWord_Set;

// InterBase/Firebird DDL scripts. Its options are those of the object set it fills.
class TIbParser : public TCustomSQLParser {
public:
    explicit TIbParser(TExtractorLink* aExtractor = nullptr) : TCustomSQLParser(aExtractor) {
        SetDatabaseType(dbInterBase);
        SetTermStr(";");
    }
    // The server options of Objs; null without Objs.
    TIBServerOptions* GetIBServerOptions() const;
    // Statements are not read into objects yet: any statement is reported as an error, so
    // that no run takes a script it has not read for an empty one.
    void ParseText() override;
};

}  // namespace dbtwin
