// Identifier quoting routines of the dialects other than InterBase/Firebird.
#include <gtest/gtest.h>

#include <string>

#include "parse/krvASAParser.h"
#include "parse/krvASEParser.h"
#include "parse/krvDB2Parser.h"
#include "parse/krvLocalSQLParser.h"
#include "parse/krvMSSQLParser.h"
#include "parse/krvMySQLParser.h"
#include "parse/krvOracleParser.h"
#include "parse/krvPGSQLParser.h"

namespace dbtwin {
namespace {

struct QuoteCase {
    const char* name;
    const char* expected;
};

template <typename Fn>
void CheckQuoting(const char* aDialect, Fn aQuote, std::initializer_list<QuoteCase> aCases) {
    for (const QuoteCase& c : aCases)
        EXPECT_EQ(aQuote(c.name), c.expected) << aDialect << ": " << c.name;
}

// "Ä" in UTF-8.
#define A_UML "\xC3\x84"
#define a_uml "\xC3\xA4"

TEST(QuoteIdentTest, SQLServer) {
    CheckQuoting("MSSQL", MSSQLQuoteIdent,
                 {
                     {"", ""},
                     {"Orders", "Orders"},
                     {"orders", "orders"},
                     {"_x", "_x"},
                     {"#temp", "#temp"},
                     {"$a", "$a"},
                     {"A@1", "A@1"},
                     {"@v", "[@v]"},
                     {"1abc", "[1abc]"},
                     {"with blank", "[with blank]"},
                     {"a-b", "[a-b]"},
                     {A_UML "pfel", "[" A_UML "pfel]"},
                     {"USER", "[USER]"},
                     {"user", "[user]"},
                     {"Procedure", "[Procedure]"},
                     {"DUMMY", "[DUMMY]"},
                     // Names beginning with "<" are never bracketed...
                     {"<Unknown>", "<Unknown>"},
                     {"<a b", "<a b"},
                     // ...unless they hold "]", which always is.
                     {"<a]b", "[<a]]b]"},
                     {"a]b", "[a]]b]"},
                     {"x]; drop table t; --", "[x]]; drop table t; --]"},
                     {"a\"b", "[a\"b]"},
                     {"a`b", "[a`b]"},
                     {"a[b", "[a[b]"},
                 });
}

TEST(QuoteIdentTest, SybaseASEFollowsSQLServer) {
    for (const char* name : {"", "Orders", "USER", "DUMMY", "<x>", "a]b", "with blank", "1a"})
        EXPECT_EQ(ASEQuoteIdent(name), MSSQLQuoteIdent(name)) << name;
}

TEST(QuoteIdentTest, PostgreSQL) {
    CheckQuoting("PG", PGSQLQuoteIdent,
                 {
                     {"", ""},
                     {"orders", "orders"},
                     {"_x1$", "_x1$"},
                     {"Orders", "\"Orders\""},
                     {"ORDERS", "\"ORDERS\""},
                     {"user", "\"user\""},
                     {"select", "\"select\""},
                     {"1abc", "\"1abc\""},
                     {"$a", "\"$a\""},
                     {"with blank", "\"with blank\""},
                     {a_uml "pfel", "\"" a_uml "pfel\""},
                     {"a\"b", "\"a\"\"b\""},
                     {"x\"; drop table t; --", "\"x\"\"; drop table t; --\""},
                     // Keywords of current servers outside the keyword table.
                     {"with", "\"with\""},
                     {"window", "\"window\""},
                     {"returning", "\"returning\""},
                     {"lateral", "\"lateral\""},
                     {"collation", "\"collation\""},
                     {"integer", "\"integer\""},
                     // Unreserved words stay plain.
                     {"name", "name"},
                     {"abort", "abort"},
                 });
    // The quoting-only words are not keywords for the parser.
    EXPECT_EQ(PGSQLSymbolByResWord("with"), syIdent);
    EXPECT_NE(PGSQLSymbolByResWord("select"), syIdent);
}

TEST(QuoteIdentTest, SQLAnywhere) {
    CheckQuoting("ASA", [](const char* n) { return ASAQuoteIdent(n); },
                 {
                     {"", ""},
                     {"Orders", "Orders"},
                     {"orders", "orders"},
                     {"#t", "#t"},
                     {"@v", "@v"},
                     {"_x$1", "_x$1"},
                     // Keywords and the further words are quoted upper-cased.
                     {"user", "\"USER\""},
                     {"Select", "\"SELECT\""},
                     {"cube", "\"CUBE\""},
                     {"1abc", "\"1abc\""},
                     {"with blank", "\"with blank\""},
                     {A_UML "pfel", "\"" A_UML "pfel\""},
                     {"a\"b", "\"a\"\"b\""},
                 });
    // The server version does not change the answer.
    EXPECT_EQ(ASAQuoteIdent("user", st_ASA5), ASAQuoteIdent("user", st_ASA9));
}

TEST(QuoteIdentTest, MySQL) {
    CheckQuoting("MySQL", MySQLQuoteIdent,
                 {
                     {"", ""},
                     {"ORDERS", "ORDERS"},
                     {"ORDER_2$", "ORDER_2$"},
                     {"orders", "`orders`"},
                     {"Orders", "`Orders`"},
                     {"SELECT", "`SELECT`"},
                     {"FIELD", "`FIELD`"},
                     // Reserved by current servers.
                     {"RANGE", "`RANGE`"},
                     {"ROWS", "`ROWS`"},
                     {"OVER", "`OVER`"},
                     {"RETURNING", "`RETURNING`"},
                     {"EXCEPT", "`EXCEPT`"},
                     // Characters the server does not take unquoted.
                     {"WITH BLANK", "`WITH BLANK`"},
                     {"A-B", "`A-B`"},
                     {"A.B", "`A.B`"},
                     {"1ABC", "`1ABC`"},
                     {"123", "`123`"},
                     {"1E5", "`1E5`"},
                     {"A`B", "`A``B`"},
                     {"X`; DROP TABLE T; --", "`X``; DROP TABLE T; --`"},
                     {A_UML "PFEL", A_UML "PFEL"},
                     {a_uml "PFEL", "`" a_uml "PFEL`"},
                     {"\xFF", "`\xFF`"},
                 });
    EXPECT_EQ(MySQLSymbolByResWord("RANGE"), syIdent);
}

TEST(QuoteIdentTest, DB2) {
    CheckQuoting("DB2", DB2QuoteIdent,
                 {
                     {"", ""},
                     {"EMP_NO", "EMP_NO"},
                     {"A#$@1", "A#$@1"},
                     {"emp_no", "\"emp_no\""},
                     {"USER", "\"USER\""},
                     {"user", "\"user\""},
                     {"_X", "\"_X\""},
                     {"1A", "\"1A\""},
                     {"A B", "\"A B\""},
                     {"A\"B", "\"A\"\"B\""},
                 });
}

TEST(QuoteIdentTest, Oracle) {
    CheckQuoting("Oracle", OracleQuoteIdent,
                 {
                     {"", ""},
                     {"EMP_NO", "EMP_NO"},
                     {"A#$1", "A#$1"},
                     {"emp_no", "\"emp_no\""},
                     {"LEVEL", "\"LEVEL\""},
                     {"A@B", "\"A@B\""},
                     {"_X", "\"_X\""},
                     {"A B", "\"A B\""},
                     {"A\"B", "\"A\"\"B\""},
                 });
}

TEST(QuoteIdentTest, LocalSQL) {
    CheckQuoting("LocalSQL", LocalSQLQuoteIdent,
                 {
                     {"", ""},
                     {"Orders", "Orders"},
                     {"Date", "\"Date\""},
                     {"level", "\"level\""},
                     // Names the parser kept in quotes are written as they are.
                     {"\"Order Date\"", "\"Order Date\""},
                     {"\"a\"\"b\"", "\"a\"\"b\""},
                     // A double quote anywhere else is doubled inside quotes.
                     {"a\"b", "\"a\"\"b\""},
                     {"\"", "\"\"\"\""},
                     {"\"a\" or \"b\"", "\"\"\"a\"\" or \"\"b\"\"\""},
                 });
}

}  // namespace
}  // namespace dbtwin
