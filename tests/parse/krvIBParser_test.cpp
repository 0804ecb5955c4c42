// InterBase/Firebird keywords per server version and dialect-3 identifier quoting.
#include "parse/krvIBParser.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace dbtwin {
namespace {

using Versions = std::set<TIBSQLServerVersionType>;

const Versions kAll = {st_InterBase_4x, st_InterBase_5x, st_InterBase_6x,  st_FireBird_1x,
                       st_Yaffil_1x,    st_FireBird_15,  st_InterBase_7x,  st_InterBase_75,
                       st_Firebird_20,  st_Firebird_21,  st_Firebird_25,   st_Firebird_30,
                       st_Firebird_40,  st_InterBase_2020};

Versions AllBut(const Versions& aExcluded) {
    Versions v;
    for (auto x : kAll)
        if (!aExcluded.contains(x)) v.insert(x);
    return v;
}

TEST(IBKeyWordsTest, KeywordsDependOnTheServerVersion) {
    struct Case {
        const char* word;
        Versions keywordIn;
    };
    const Case cases[] = {
        {"CREATE", kAll},
        {"ROLE", {st_InterBase_5x, st_InterBase_6x, st_InterBase_7x, st_InterBase_75,
                  st_InterBase_2020, st_FireBird_1x, st_FireBird_15, st_Yaffil_1x}},
        {"role", {st_InterBase_5x, st_InterBase_6x, st_InterBase_7x, st_InterBase_75,
                  st_InterBase_2020, st_FireBird_1x, st_FireBird_15, st_Yaffil_1x}},
        {"COMPUTED", AllBut({st_Firebird_30, st_Firebird_40})},
        {"BIGINT", {st_FireBird_15, st_Firebird_20, st_Firebird_21, st_Firebird_25,
                    st_Firebird_30, st_Firebird_40}},
        {"KEY", AllBut({st_Firebird_30})},
        {"COLUMN", AllBut({st_InterBase_4x, st_InterBase_5x, st_Yaffil_1x})},
        {"GLOBAL", {st_InterBase_7x, st_InterBase_75, st_InterBase_2020, st_Firebird_30,
                    st_Firebird_40}},
        {"BOOLEAN", {st_InterBase_7x, st_InterBase_75, st_InterBase_2020}},
        {"BINARY", {st_Yaffil_1x, st_Firebird_40}},
        {"CACHE", AllBut({st_Firebird_20, st_Firebird_21, st_Firebird_25})},
        {"TIME", AllBut({st_InterBase_4x, st_InterBase_5x})},
        {"ADMIN", AllBut({st_InterBase_4x})},
        {"DESCRIBE", {}},
        {"DECFLOAT", {}},
        {"_<charset>", {}},
        {"CUSTOMER_ID", {}},
    };
    for (const Case& c : cases) {
        for (auto v : kAll) {
            TSymbol sy = IBSymbolByResWord(c.word, v);
            EXPECT_EQ(sy != syIdent, c.keywordIn.contains(v)) << c.word << " version " << int(v);
            EXPECT_EQ(IBKeyWordSet(v).Contains(sy), sy != syIdent) << c.word;
        }
    }
    EXPECT_EQ(IBSymbolByResWord("int", st_Firebird_30), ibsym::syINTEGER);
    EXPECT_EQ(IBSymbolByResWord("Descending", st_InterBase_6x), ibsym::syDESC);
}

TEST(IBKeyWordsTest, NamedSetsAreThoseOfTheirVersions) {
    struct Case {
        const TSymSet& set;
        TIBSQLServerVersionType version;
    };
    const Case cases[] = {
        {IB4x_KeyWord_Set, st_InterBase_4x}, {IB5x_KeyWord_Set, st_InterBase_5x},
        {IB6x_KeyWord_Set, st_InterBase_6x}, {IB7x_KeyWord_Set, st_InterBase_7x},
        {IB75_KeyWord_Set, st_InterBase_75}, {IB2020_KeyWord_Set, st_InterBase_2020},
        {FB1x_KeyWord_Set, st_FireBird_1x},  {FB15_KeyWord_Set, st_FireBird_15},
        {FB20_KeyWord_Set, st_Firebird_20},  {FB21_KeyWord_Set, st_Firebird_21},
        {FB25_KeyWord_Set, st_Firebird_25},  {FB30_KeyWord_Set, st_Firebird_30},
        {Ya1x_KeyWord_Set, st_Yaffil_1x},    {FB40_KeyWord_Set, st_Firebird_40},
    };
    for (const Case& c : cases) EXPECT_EQ(c.set, IBKeyWordSet(c.version)) << int(c.version);

    EXPECT_TRUE(FB30_KeyWord_Set.Contains(ibsym::syCREATE));
    EXPECT_FALSE(FB30_KeyWord_Set.Contains(ibsym::syCOMPUTED));
    EXPECT_FALSE(FB30_KeyWord_Set.Contains(ibsym::syKEY));
    EXPECT_TRUE(FB40_KeyWord_Set.Contains(ibsym::syKEY));
    EXPECT_TRUE(Ya1x_KeyWord_Set.Contains(ibsym::syBINARY));
    EXPECT_FALSE(IB4x_KeyWord_Set.Contains(ibsym::syROLE));
    EXPECT_TRUE(IB5x_KeyWord_Set.Contains(ibsym::syROLE));
    for (auto v : kAll) {
        EXPECT_FALSE(IBKeyWordSet(v).Contains(ibsym::syCharSetIntro));
        EXPECT_FALSE(IBKeyWordSet(v).Contains(syIBAssign));
    }
}

TEST(IBQuoteIdentTest, Dialect3QuotingPerVersion) {
    struct Case {
        const char* name;
        Versions quotedIn;
        const char* quoted;  // the quoted form, where quoted
    };
    const Case cases[] = {
        {"CUSTOMER_ID", {}, ""},
        {"A$1_", {}, ""},
        {"", {}, ""},
        {"customer_id", kAll, "\"customer_id\""},
        {"Orders", kAll, "\"Orders\""},
        {"WITH BLANK", kAll, "\"WITH BLANK\""},
        {"_ID", kAll, "\"_ID\""},
        {"1ABC", kAll, "\"1ABC\""},
        {"\xC3\x84PFEL", kAll, "\"\xC3\x84PFEL\""},
        {"A\"B", kAll, "\"A\"\"B\""},
        {"X\"; DROP TABLE T; --", kAll, "\"X\"\"; DROP TABLE T; --\""},
        // In the dialect-3 reserved list of every version but Yaffil.
        {"LEVEL", AllBut({st_Yaffil_1x}), "\"LEVEL\""},
        {"CREATE", kAll, "\"CREATE\""},
        {"ROLE", {st_InterBase_5x, st_InterBase_6x, st_InterBase_7x, st_InterBase_75,
                  st_InterBase_2020, st_FireBird_1x, st_FireBird_15, st_Yaffil_1x}, "\"ROLE\""},
        {"COMPUTED", AllBut({st_Firebird_30, st_Firebird_40}), "\"COMPUTED\""},
        // Keyword from Firebird 1, reserved in the lists of Firebird 1 to 4.
        {"RECREATE", {st_FireBird_1x, st_FireBird_15, st_Firebird_20, st_Firebird_21,
                      st_Firebird_25, st_Firebird_30, st_Firebird_40}, "\"RECREATE\""},
        {"OVER", {st_Firebird_25, st_Firebird_30, st_Firebird_40}, "\"OVER\""},
        {"DESCRIPTION", {st_InterBase_2020}, "\"DESCRIPTION\""},
        // Reserved by newer servers beyond the lists.
        {"CONNECT", {st_Firebird_21, st_Firebird_25, st_Firebird_30, st_Firebird_40},
         "\"CONNECT\""},
        {"START", {st_Firebird_21, st_Firebird_25, st_Firebird_30, st_Firebird_40},
         "\"START\""},
        {"LOCALTIMESTAMP", {st_Firebird_30, st_Firebird_40}, "\"LOCALTIMESTAMP\""},
        {"WINDOW", {st_Firebird_40}, "\"WINDOW\""},
    };
    for (const Case& c : cases) {
        for (auto v : kAll) {
            const bool quoted = c.quotedIn.contains(v);
            EXPECT_EQ(IdentDialect3(c.name, v), quoted) << c.name << " version " << int(v);
            EXPECT_EQ(IBQuoteIdent(c.name, v, 3), quoted ? c.quoted : c.name)
                << c.name << " version " << int(v);
            // Dialects 1 and 2 never quote: double quotes delimit strings there.
            EXPECT_EQ(IBQuoteIdent(c.name, v, 1), c.name);
            EXPECT_EQ(IBQuoteIdent(c.name, v, 2), c.name);
        }
    }
}

TEST(IBQuoteIdentTest, ReservedListsAreNoKeywords) {
    // LEVEL is quoted but never read as a keyword; CONNECT likewise.
    EXPECT_EQ(IBSymbolByResWord("LEVEL", st_Firebird_30), syIdent);
    EXPECT_TRUE(IBDialect3Reserved("level", st_Firebird_30));
    EXPECT_FALSE(IBDialect3Reserved("LEVEL", st_Yaffil_1x));
    EXPECT_EQ(IBSymbolByResWord("CONNECT", st_Firebird_30), syIdent);
    EXPECT_TRUE(IBDialect3Reserved("CONNECT", st_Firebird_30));
    EXPECT_FALSE(IBDialect3Reserved("CONNECT", st_Firebird_20));
}

}  // namespace
}  // namespace dbtwin
