// MySQL/MariaDB dialect: keyword tables and identifier quoting.
#pragma once

#include "core/keywords/mysql.h"
#include "core/keywords/mysql_quote.h"
#include "core/keywords/mysql_quote_more.h"
#include "core/krvQuote.h"

// Tables (generated from core/keywords): MySQLKeyWords, codes named in namespace mysqlsym
// (45 is the character-set introducer); MySQLQuoteWords; MySQLQuoteMoreWords.
// MySQLSymbolByResWord and MySQLQuoteIdent are declared in core/krvQuote.h.

#include <cstdint>
#include <string>
#include <vector>

#include "parse/krvParser.h"

namespace dbtwin {

// The statement reader for MySQL and MariaDB scripts as their dump tools and clients write
// them: it splits a script into statements where the mysql client does (DELIMITER changes,
// strings with backslash escapes, backquoted names, "#" and "-- " comments), reads the
// content of version comments (/*!50003 ... */) as the server does, tells each statement's
// kind, object and operation, and reports every statement to OnAddStatement with its line.
// DELIMITER lines are the client's own and are not reported.
//
// It does not build objects yet: it serves the MySQL executor, which needs the statements
// only.
class TMySQLParser : public TCustomSQLParser {
public:
    explicit TMySQLParser(TExtractorLink* aExtractor = nullptr);

    TSymbol FindResWord() const override;
    void DoGetSy() override;
    bool SkipText() override;
    void ParseText() override;
    void ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs) override;
    std::string QuoteIdent(const std::string& aIdent) const override;
    void ErrMsg(const std::string& aText) override;

private:
    void ParseStatement();
    std::string ReadName();
    void SkipToEnd();
    bool W(const char* aWord) const { return Sy == syIdent && !fQuoted && Ident == aWord; }
    bool SkipW(const char* aWord);
    // A DELIMITER line at the start of a statement: the new delimiter, up to the end of the
    // line or the first blank.
    bool ReadDelimiter();
    bool AtLineStart() const;

    bool fQuoted = false;
    bool fInVersionComment = false;
    std::int64_t fVersionCommentStart = 0;  // where the last version comment opened
    std::int32_t fSyLine = 1, fSyCol = 1;
};

}  // namespace dbtwin
