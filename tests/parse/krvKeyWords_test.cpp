// Keyword tables of every dialect: sizes, the codes the parsers rely on, synonyms, lookups.
#include "core/krvKeyWords.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "parse/krvASAParser.h"
#include "parse/krvASEParser.h"
#include "parse/krvDB2Parser.h"
#include "parse/krvIBParser.h"
#include "parse/krvLocalSQLParser.h"
#include "parse/krvMSSQLParser.h"
#include "parse/krvMySQLParser.h"
#include "parse/krvOracleParser.h"
#include "parse/krvPGSQLParser.h"

namespace dbtwin {
namespace {

template <typename Table>
std::map<std::string, TSymbol> CodesOf(const Table& aTable) {
    std::map<std::string, TSymbol> codes;
    for (const auto& e : aTable) codes.emplace(std::string(e.Word), e.Symbol);
    return codes;
}

// Pairs of words that share a code: every other pair of entries has distinct codes.
template <typename Table>
std::set<std::pair<std::string, std::string>> SharedCodes(const Table& aTable) {
    std::set<std::pair<std::string, std::string>> shared;
    for (std::size_t i = 0; i < std::size(aTable); ++i)
        for (std::size_t j = i + 1; j < std::size(aTable); ++j)
            if (aTable[i].Symbol == aTable[j].Symbol)
                shared.emplace(std::string(aTable[i].Word), std::string(aTable[j].Word));
    return shared;
}

using Pairs = std::set<std::pair<std::string, std::string>>;

TEST(KeyWordTablesTest, SizesOfEveryTableAndList) {
    struct Case {
        const char* table;
        std::size_t size;
        std::size_t expected;
    };
    const Case cases[] = {
        // The 193 listed words, the introducer and DECFLOAT (a type word of the parser).
        {"IBKeyWords", std::size(IBKeyWords), 195},
        // 173 reserved words and 19 display words of symbols.
        {"MSSQLKeyWords", std::size(MSSQLKeyWords), 192},
        // Without the 7 compound assignment operators, plus DUMMY.
        {"ASEKeyWords", std::size(ASEKeyWords), 186},
        {"PGSQLKeyWords", std::size(PGSQLKeyWords), 98},
        {"ASAKeyWords", std::size(ASAKeyWords), 125},
        {"ASAQuoteWords", std::size(ASAQuoteWords), 105},
        {"MySQLKeyWords", std::size(MySQLKeyWords), 75},
        {"MySQLQuoteWords", std::size(MySQLQuoteWords), 215},
        {"DB2KeyWords", std::size(DB2KeyWords), 82},
        {"OracleKeyWords", std::size(OracleKeyWords), 112},
        {"LocalSQLKeyWords", std::size(LocalSQLKeyWords), 215},
        {"IBReservedWords", std::size(IBReservedWords), 116},
    };
    for (const Case& c : cases) EXPECT_EQ(c.size, c.expected) << c.table;

    // The SQL Server / ASE quoting list: the 173 keywords plus DUMMY, the words of ASEKeyWords.
    EXPECT_EQ(TKeyWordIndex(std::span<const TKeyWord>(ASEKeyWords)).Count(), 174u);
}

TEST(KeyWordTablesTest, CodesStayInTheDialectRange) {
    auto check = [](const char* name, const auto& table) {
        for (const auto& e : table) {
            EXPECT_GE(e.Symbol, 30) << name << " " << e.Word;
            EXPECT_LE(e.Symbol, 254) << name << " " << e.Word;
        }
    };
    check("IB", (IBKeyWords));
    check("MSSQL", (MSSQLKeyWords));
    check("ASE", (ASEKeyWords));
    check("PG", (PGSQLKeyWords));
    check("ASA", (ASAKeyWords));
    check("MySQL", (MySQLKeyWords));
    check("DB2", (DB2KeyWords));
    check("Oracle", (OracleKeyWords));
    check("LocalSQL", (LocalSQLKeyWords));
}

TEST(KeyWordTablesTest, OnlySynonymsShareCodes) {
    EXPECT_EQ(SharedCodes((IBKeyWords)),
              (Pairs{{"ASC", "ASCENDING"}, {"CHAR", "CHARACTER"}, {"DECIMAL", "DEC"},
                     {"DESC", "DESCENDING"}, {"INTEGER", "INT"}}));
    EXPECT_EQ(SharedCodes((MSSQLKeyWords)),
              (Pairs{{"EXEC", "EXECUTE"}, {"PROC", "PROCEDURE"}, {"TRAN", "TRANSACTION"}}));
    EXPECT_EQ(SharedCodes((PGSQLKeyWords)), Pairs{});
    EXPECT_EQ(SharedCodes((ASAKeyWords)),
              (Pairs{{"CHAR", "CHARACTER"}, {"DEC", "DECIMAL"}, {"EXEC", "EXECUTE"},
                     {"INT", "INTEGER"}, {"PROC", "PROCEDURE"}, {"TRAN", "TRANSACTION"}}));
    EXPECT_EQ(SharedCodes((MySQLKeyWords)),
              (Pairs{{"CHAR", "CHARACTER"}, {"DEC", "DECIMAL"}, {"INT", "INTEGER"}}));
    EXPECT_EQ(SharedCodes((DB2KeyWords)), (Pairs{{"CHAR", "CHARACTER"}}));
    EXPECT_EQ(SharedCodes((OracleKeyWords)), Pairs{});
    EXPECT_EQ(SharedCodes((LocalSQLKeyWords)),
              (Pairs{{"ASC", "ASCENDING"}, {"CHAR", "CHARACTER"}, {"DEC", "DECIMAL"},
                     {"DESC", "DESCENDING"}, {"INT", "INTEGER"}}));
}

TEST(KeyWordTablesTest, FixedCodesOfPostgreSQL) {
    // The reserved words take 30 to 122 in table order, then the two-character symbols.
    for (std::size_t i = 0; i < 93; ++i) EXPECT_EQ(PGSQLKeyWords[i].Symbol, 30 + i);
    EXPECT_EQ(PGSQLKeyWords[0].Word, "ALL");
    EXPECT_EQ(PGSQLKeyWords[92].Word, "WHERE");
    const auto codes = CodesOf((PGSQLKeyWords));
    EXPECT_EQ(codes.at(":="), 123);
    EXPECT_EQ(codes.at(".."), 124);
    EXPECT_EQ(codes.at("::"), 125);
    EXPECT_EQ(codes.at("<<"), 126);
    EXPECT_EQ(codes.at(">>"), 127);
    EXPECT_EQ(pgsym::syUSER, codes.at("USER"));
    EXPECT_EQ(pgsym::syShiftRight, 127);
}

TEST(KeyWordTablesTest, FixedCodesOfSQLServer) {
    const auto codes = CodesOf((MSSQLKeyWords));
    const std::map<std::string, TSymbol> display = {
        {"<|>", 150},      {"<^>", 151},   {"<~>", 152},   {"\"!<\"", 153},
        {"\"!>\"", 154},   {"<=*>", 155},  {"<*=>", 156},  {"<Label:>", 208},
        {"<::>", 209},     {"<{>", 210},   {"<}>", 211},   {"END CONVERSATION", 212},
        {"<+=>", 213},     {"<-=>", 214},  {"</=>", 216},  {"<%=>", 217},
        {"<^=>", 218},     {"<&=>", 219},  {"<|=>", 220}};
    for (const auto& [word, code] : display) EXPECT_EQ(codes.at(word), code) << word;
    // No reserved word takes a code of those symbols.
    for (const TKeyWord& e : MSSQLKeyWords)
        if (!display.contains(std::string(e.Word))) {
            EXPECT_FALSE(e.Symbol >= 150 && e.Symbol <= 156) << e.Word;
            EXPECT_FALSE(e.Symbol >= 208 && e.Symbol <= 220) << e.Word;
        }
    EXPECT_EQ(mssqlsym::syLabel, 208);
    EXPECT_EQ(mssqlsym::syOrAssign, 220);
}

TEST(KeyWordTablesTest, ASETableIsSQLServerTableWithoutCompoundAssignmentsPlusDummy) {
    auto ase = CodesOf((ASEKeyWords));
    auto mssql = CodesOf((MSSQLKeyWords));
    for (TSymbol compound : {213, 214, 216, 217, 218, 219, 220})
        std::erase_if(mssql, [&](const auto& e) { return e.second == compound; });
    ASSERT_TRUE(ase.contains("DUMMY"));
    EXPECT_EQ(mssql.count("DUMMY"), 0u);
    EXPECT_EQ(asesym::syDUMMY, ase.at("DUMMY"));
    ase.erase("DUMMY");
    EXPECT_EQ(ase, mssql);
}

TEST(KeyWordTablesTest, CodesTheInterBaseParserNames) {
    const auto codes = CodesOf((IBKeyWords));
    EXPECT_EQ(codes.at("_<charset>"), 44);
    EXPECT_EQ(ibsym::syCharSetIntro, 44);
    // 116 is the ":=" symbol, which has no display word.
    for (const TIBKeyWord& e : IBKeyWords) EXPECT_NE(e.Symbol, syIBAssign) << e.Word;
    EXPECT_EQ(ibsym::syINT, ibsym::syINTEGER);
    EXPECT_EQ(ibsym::syRDB_DB_KEY, codes.at("RDB$DB_KEY"));
    // Synonyms are keywords in the same versions (the keyword sets hold codes).
    std::map<TSymbol, std::uint16_t> versions;
    for (const TIBKeyWord& e : IBKeyWords) {
        auto [it, added] = versions.emplace(e.Symbol, e.Versions);
        EXPECT_EQ(it->second, e.Versions) << e.Word;
    }
}

TEST(KeyWordTablesTest, MySQLIntroducerCode) {
    EXPECT_EQ(CodesOf((MySQLKeyWords)).at("_<charset>"), 45);
    EXPECT_EQ(mysqlsym::syCharSetIntro, 45);
    EXPECT_EQ(MySQLSymbolByResWord("_<charset>"), syIdent);
}

TEST(KeyWordLookupTest, EveryTableAnswersItsWordsInAnyCase) {
    struct Case {
        const char* dialect;
        TSymbol (*lookup)(std::string_view);
        std::span<const TKeyWord> table;
    };
    const Case cases[] = {
        {"MSSQL", MSSQLSymbolByResWord, MSSQLKeyWords},
        {"ASE", ASESymbolByResWord, ASEKeyWords},
        {"PG", PGSQLSymbolByResWord, PGSQLKeyWords},
        {"ASA", [](std::string_view w) { return ASASymbolByResWord(w); }, ASAKeyWords},
        {"MySQL", MySQLSymbolByResWord, MySQLKeyWords},
        {"DB2", DB2SymbolByResWord, DB2KeyWords},
        {"Oracle", OracleSymbolByResWord, OracleKeyWords},
        {"LocalSQL", LocalSQLSymbolByResWord, LocalSQLKeyWords},
    };
    for (const Case& c : cases) {
        std::size_t words = 0;
        for (const TKeyWord& e : c.table) {
            if (KeyWordKey(e.Word) != e.Word) {
                // Display words of symbols are never found as words.
                EXPECT_EQ(c.lookup(e.Word), syIdent) << c.dialect << " " << e.Word;
                continue;
            }
            ++words;
            EXPECT_EQ(c.lookup(e.Word), e.Symbol) << c.dialect << " " << e.Word;
            std::string lower(e.Word);
            for (char& ch : lower)
                if (IsUpperAZ(ch)) ch = static_cast<char>(ch - 'A' + 'a');
            EXPECT_EQ(c.lookup(lower), e.Symbol) << c.dialect << " " << lower;
        }
        EXPECT_GT(words, 70u) << c.dialect;
        EXPECT_EQ(c.lookup("CUSTOMER_ID"), syIdent) << c.dialect;
        EXPECT_EQ(c.lookup(""), syIdent) << c.dialect;
    }
}

TEST(KeyWordLookupTest, SynonymsAndSymbolsOfTheLookups) {
    EXPECT_EQ(MSSQLSymbolByResWord("proc"), MSSQLSymbolByResWord("PROCEDURE"));
    EXPECT_EQ(MSSQLSymbolByResWord("Exec"), mssqlsym::syEXECUTE);
    EXPECT_EQ(MSSQLSymbolByResWord("END CONVERSATION"), syIdent);
    EXPECT_EQ(MSSQLSymbolByResWord("<|>"), syIdent);
    EXPECT_EQ(MSSQLSymbolByResWord("DUMMY"), syIdent);
    EXPECT_EQ(ASESymbolByResWord("dummy"), asesym::syDUMMY);
    EXPECT_EQ(PGSQLSymbolByResWord("::"), syIdent);
    EXPECT_EQ(PGSQLSymbolByResWord("user"), pgsym::syUSER);
    EXPECT_EQ(ASASymbolByResWord("character", st_ASA5), ASASymbolByResWord("CHAR", st_ASA9));
    EXPECT_EQ(OracleSymbolByResWord("level"), orasym::syLEVEL);
    EXPECT_EQ(LocalSQLSymbolByResWord("Descending"), localsqlsym::syDESC);
    EXPECT_EQ(DB2SymbolByResWord("character"), db2sym::syCHAR);
}

TEST(KeyWordLookupTest, OnlyAsciiSpellingsAreKeywords) {
    // U+0131 (dotless i) and U+017F (long s) upper-case to I and S; such spellings are
    // names, not the keywords INSERT or SELECT.
    EXPECT_EQ(MSSQLSymbolByResWord("\xC4\xB1nsert"), syIdent);
    EXPECT_EQ(PGSQLSymbolByResWord("\xC5\xBF" "elect"), syIdent);
    EXPECT_EQ(KeyWordKey("\xC5\xBF" "elect"), "");
    EXPECT_EQ(KeyWordKey("rdb$db_key"), "RDB$DB_KEY");
    EXPECT_EQ(KeyWordKey("a b"), "");
}

TEST(KeyWordHelpersTest, EncloseIdentDoublesTheClosingCharacter) {
    EXPECT_EQ(EncloseIdent("a\"b", '"', '"'), "\"a\"\"b\"");
    EXPECT_EQ(EncloseIdent("a]b[c", '[', ']'), "[a]]b[c]");
    EXPECT_EQ(EncloseIdent("a`b", '`', '`'), "`a``b`");
    EXPECT_EQ(EncloseIdent("", '"', '"'), "\"\"");
    EXPECT_EQ(EncloseIdent("\"\"", '"', '"'), "\"\"\"\"\"\"");
}

}  // namespace
}  // namespace dbtwin
