// The statement reader for PostgreSQL scripts as pg_dump and psql users write them: it splits
// a script into statements exactly where psql does (dollar-quoted bodies, E'' strings with
// backslash escapes, nested block comments, BEGIN ATOMIC bodies of SQL functions, psql
// meta-command lines), tells each statement's kind, object and operation, follows the search
// path a script sets, and reports every statement to OnAddStatement with its line.
//
// It does not build objects yet: it serves the PostgreSQL executor, which needs the
// statements only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/keywords/pg.h"
#include "core/keywords/pg_quote_more.h"
#include "core/krvQuote.h"
#include "parse/krvParser.h"

// Keyword tables (generated from core/keywords): PGSQLKeyWords, codes named in namespace
// pgsym; PGSQLQuoteMoreWords. PGSQLSymbolByResWord and PGSQLQuoteIdent are declared in
// core/krvQuote.h.

namespace dbtwin {

class TPGSQLParser : public TCustomSQLParser {
public:
    explicit TPGSQLParser(TExtractorLink* aExtractor = nullptr);

    // Schemas of the search path in force, first first; ["public"] at the start.
    std::vector<std::string> SearchPath;

    TSymbol FindResWord() const override;
    void DoGetSy() override;
    bool SkipText() override;
    bool SkipComment() override;
    void ParseText() override;
    void ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs) override;
    std::string QuoteIdent(const std::string& aIdent) const override;
    void ErrMsg(const std::string& aText) override;

    // True when the current identifier was written in double quotes.
    bool IdentQuoted() const { return fQuoted; }

private:
    // The statement at StBegPos: reads it to its end (the terminator, or the end of the text)
    // and reports it.
    void ParseStatement();
    // A qualified name as written ("a.b", quoted parts in quotes); empty when none stands here.
    std::string ReadName();
    // Reads symbols to the end of the statement; BEGIN ... END blocks of a routine body keep
    // their semicolons.
    void SkipToEnd(bool aRoutine);
    bool W(const char* aWord) const { return Sy == syIdent && !fQuoted && Ident == aWord; }
    bool SkipW(const char* aWord);
    // SET search_path TO a, b / = a, b: the schemas it names.
    void ReadSearchPath();
    // The lines of a COPY ... FROM stdin up to the "\." line.
    void SkipCopyData();

    bool fQuoted = false;
    std::int32_t fSyLine = 1, fSyCol = 1;
};

}  // namespace dbtwin
