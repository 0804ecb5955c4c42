#include "core/krvTypes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dbtwin {
namespace {

TEST(TSetTest, MasksFollowOrdinals) {
    EXPECT_EQ(TCmpObjSetType::All().Mask(), 8388607u);
    EXPECT_EQ(TCmpObjSetType::All().Count(), 23u);
    EXPECT_EQ((TCmpObjSetType{coDomain, coTable}).Mask(), (1u << 0) | (1u << 4));
    EXPECT_EQ(TCmpObjSetType::FromMask(8388607u), TCmpObjSetType::All());
    // Bits beyond the enumeration are dropped, not kept as phantom members.
    EXPECT_EQ(TCmpObjSetType::FromMask(~0ull), TCmpObjSetType::All());
    EXPECT_EQ(TGrantPrivilegeSet::All().Mask(), (1ull << 44) - 1);
    EXPECT_TRUE(TGrantPrivilegeSet{gntUsageOn}.Contains(gntUsageOn));
    EXPECT_EQ(TGrantPrivilegeSet{gntUsageOn}.Mask(), 1ull << 43);

    TDbObjectSet objs{dboUseOfList, dboTable};
    EXPECT_TRUE(objs.Contains(dboUseOfList));
    EXPECT_FALSE(objs.Contains(dboView));
    EXPECT_EQ(objs.Count(), 2u);
    EXPECT_EQ((objs - TDbObjectSet{dboTable}), TDbObjectSet{dboUseOfList});
    EXPECT_EQ((objs * TDbObjectSet{dboTable, dboView}), TDbObjectSet{dboTable});

    TSymSet sym{std::uint8_t{255}, std::uint8_t{'A'}};
    EXPECT_TRUE(sym.Contains(255));
    EXPECT_FALSE(sym.Contains('B'));
}

TEST(CoreTypesTest, EnumerationOrdinals) {
    // Spot checks at the ends of the long enumerations; ordinals are part of stored data.
    EXPECT_EQ(dbCustomOLEDB, 13);
    EXPECT_EQ(cnUniDAC, 16);
    EXPECT_EQ(coDescription, 22);
    EXPECT_EQ(stPackage, 19);
    EXPECT_EQ(dboComputed, 40);
    EXPECT_EQ(dboDepend, 41);
    EXPECT_EQ(dboUseOfList, 70);
    EXPECT_EQ(odbDelete, 14);
    EXPECT_EQ(gntUsageOn, 43);
    EXPECT_EQ(encUTF7, 5);
    EXPECT_STREQ(StatTypeStr[stReconnect], "ReConnect");
    EXPECT_STREQ(StatTypeStr[stSetBlobFile], "BlobFile");
    EXPECT_STREQ(StatTypeStr[stPackage], "Package");
}

TEST(CoreTypesTest, GenScriptTerm) {
    struct Case { TDatabaseType db; const char* term; };
    const Case cases[] = {
        {dbAbstract, ";\r\n"},     {dbOracle, ";\r\n"},       {dbMSAccess, ";\r\n"},
        {dbCustomOLEDB, ";\r\n"},  {dbInterBase, ";\r\n"},    {dbMSSQL, "\r\nGO\r\n"},
        {dbSybaseASA, "\r\ngo\r\n"}, {dbSybaseASE, "\r\ngo\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(GenScriptTerm(c.db), c.term) << int(c.db);
}

TEST(CoreTypesTest, ScriptQuotedStr) {
    struct Case { std::string text; TDatabaseType db; std::string expected; };
    const std::vector<Case> cases = {
        {"", dbMySQL, "''"},
        {"", dbPostgreSQL, "''"},
        {"", dbInterBase, "''"},
        {"", dbMSSQL, "''"},
        {"O'Brien", dbMySQL, "'O\\'Brien'"},
        {"O'Brien", dbPostgreSQL, "'O''Brien'"},
        {"O'Brien", dbOracle, "'O''Brien'"},
        {"say \"hi\"", dbMySQL, "'say \\\"hi\\\"'"},
        {"a\\b", dbMySQL, "'a\\\\b'"},
        {"l1\r\nl2", dbMySQL, "'l1\\r\\nl2'"},
        {std::string("\b\t\x1A\0z", 5), dbMySQL, "'\\b\\t\\Z\\0z'"},
        // Backslashes and control characters need an escape-string literal in PostgreSQL.
        {"\\", dbPostgreSQL, "E'\\\\'"},
        {"C:\\dir\\it's", dbPostgreSQL, "E'C:\\\\dir\\\\it''s'"},
        {"a\tb", dbPostgreSQL, "E'a\\tb'"},
        {"l1\r\nl2", dbPostgreSQL, "'l1\r\nl2'"},
        {"a\\b", dbInterBase, "'a\\b'"},
        {"it's", dbMSSQL, "'it''s'"},
        {"ü'", dbSybaseASE, "'ü'''"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScriptQuotedStr(c.text, c.db), c.expected) << c.text << " / " << int(c.db);
}

TEST(CoreTypesTest, SchObjNameAndValidateFileName) {
    EXPECT_EQ(SchObjName("", "T1"), "T1");
    EXPECT_EQ(SchObjName("dbo", "T1"), "dbo.T1");
    EXPECT_EQ(ValidateFileName("a:b?c"), "a b c");
    EXPECT_EQ(ValidateFileName("Ab 1.-_z"), "Ab 1.-_z");
    EXPECT_EQ(ValidateFileName("\"*+/:;<=>?\\|"), std::string(12, ' '));
    EXPECT_EQ(ValidateFileName("Größe/ü"), "Größe ü");
}

TEST(CoreTypesTest, TryStrToInt) {
    struct Case { const char* text; bool ok; std::int32_t value; };
    const Case cases[] = {
        {"-7", true, -7},      {"12", true, 12},   {"+5", true, 5},
        {" 42", true, 42},     {"12x", false, 0},  {"", false, 0},
        {"-", false, 0},       {"2147483647", true, 2147483647},
        {"2147483648", false, 0}, {"1 ", false, 0}, {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        std::int32_t v = 99;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    std::int64_t big = 0;
    EXPECT_TRUE(TryStrToInt("9223372036854775807", big));
    EXPECT_EQ(big, INT64_MAX);
    EXPECT_FALSE(TryStrToInt("9223372036854775808", big));
}

TEST(OptionRecordsTest, TableSpace) {
    TTableSpace ts;
    ts.Cache = "CACHE";
    EXPECT_TRUE(ts.IsEmpty());
    EXPECT_EQ(ts.Def(), "CACHE");

    ts.PctFree = 10;
    ts.MaxTrans = 255;
    ts.Storage = "   (initial 64K)\r\n";
    EXPECT_FALSE(ts.IsEmpty());
    EXPECT_EQ(ts.Def(), "pctfree 10\r\n   maxtrans 255\r\n   storage\r\n   (initial 64K)\r\n   CACHE");

    ts.Clear();
    EXPECT_TRUE(ts.IsEmpty());
    EXPECT_EQ(ts.Cache, "CACHE");

    TTableSpace a, b;
    a.PctFree = 10;
    a.IniTrans = 2;
    b.PctFree = 20;
    b.PctUsed = 40;
    b.Storage = "S";
    a.Cache = "CACHE";
    a.AssignDiffs(b);
    EXPECT_EQ(a.PctFree, 10);  // both given: each keeps its own
    EXPECT_EQ(b.PctFree, 20);
    EXPECT_EQ(a.PctUsed, 40);
    EXPECT_EQ(b.IniTrans, 2);
    EXPECT_EQ(a.Storage, "S");
    EXPECT_EQ(b.Cache, "");  // Cache takes no part
}

TEST(OptionRecordsTest, TypeDirective) {
    TTypeDirective d;
    EXPECT_EQ(d.Def(), "");
    d.NotInstantiable = d.NotFinal = true;
    EXPECT_EQ(d.Def(), "NOT INSTANTIABLE NOT FINAL ");
    TTypeDirective all{true, true, true, true, true};
    EXPECT_EQ(all.Def(), "OVERRIDING NOT INSTANTIABLE NOT FINAL INSTANTIABLE FINAL ");
}

TEST(OptionRecordsTest, IndexOptions) {
    TIndexOptions o;
    EXPECT_EQ(o.Def(), "");
    o.FillFactor = 80;
    EXPECT_EQ(o.Def(), "(FILLFACTOR = 80)");
    o.PadIndex = o.IgnoreDupKey = o.StatisticsNorecompute = o.AllowRowLocks = o.AllowPageLocks =
        o.SortInTempDb = o.Online = o.DropExisting = true;
    o.MaxDop = 4;
    o.Using = "gist";
    EXPECT_EQ(o.Def(),
              "(PAD_INDEX = ON, FILLFACTOR = 80, IGNORE_DUP_KEY = ON, STATISTICS_NORECOMPUTE = ON, "
              "ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON, SORT_IN_TEMPDB = ON, ONLINE = ON, "
              "MAXDOP = 4)");
    o.Clear();
    EXPECT_EQ(o.Def(), "");
    EXPECT_TRUE(o.DropExisting);
    EXPECT_EQ(o.Using, "gist");
}

TEST(OptionRecordsTest, FullTextIndexOptions) {
    TFullTextIndexOptions o;
    EXPECT_EQ(o.Def(), "");
    o.ChangeTracking = "AUTO";
    o.NoPopulation = true;
    o.StoplistSys = true;
    EXPECT_EQ(o.Def(), "(CHANGE TRACKING = AUTO , NO POPULATION,  STOPLIST = SYSTEM)");
    o.StoplistOff = true;  // OFF wins over the others
    o.SearchPropertyList = "P";
    EXPECT_EQ(o.Def(), "(CHANGE TRACKING = AUTO , NO POPULATION, STOPLIST = OFF,  SEARCH PROPERTY LIST = P)");
    TFullTextIndexOptions s;
    s.StopListName = "SL";
    EXPECT_EQ(s.Def(), "( STOPLIST = SL)");
    o.Clear();
    EXPECT_EQ(o.Def(), "");
    EXPECT_FALSE(o.NoPopulation);
}

TEST(EncodingTest, RoundTripsNonAsciiText) {
    const std::string text = "Grüße, Ελληνικά, 日本, 😀 and €";
    for (TkrvEncode e : {encUnicode, encBigEndianUnicode, encUTF8, encUTF7}) {
        const TkrvEncoding& enc = TkrvEncoding::krvGetEncoding(e);
        EXPECT_EQ(enc.GetString(enc.GetBytes(text)), text) << enc.Charset();
    }
    EXPECT_EQ(TkrvEncoding::krvGetBytes("Aé", encUnicode), std::string("A\0\xE9\0", 4));
    EXPECT_EQ(TkrvEncoding::krvGetBytes("Aé", encBigEndianUnicode), std::string("\0A\0\xE9", 4));
    EXPECT_EQ(TkrvEncoding::krvGetBytes("A+é", encUTF7), "A+-+AOk-");
}

TEST(EncodingTest, AnsiCodePage) {
    TkrvEncoding::FreeEncodings();
    const TkrvEncoding& ansi = TkrvEncoding::krvGetEncoding(encANSI);
    EXPECT_EQ(&ansi, &TkrvEncoding::krvGetEncoding(encDefault));
    EXPECT_EQ(ansi.GetBytes("é€"), "\xE9\x80");
    EXPECT_EQ(ansi.GetString("\xE9\x80"), "é€");
    // Characters the code page lacks become '?', never a failure.
    EXPECT_EQ(ansi.GetBytes("a日b"), "a?b");
    EXPECT_EQ(ansi.GetPreamble(), "");
    EXPECT_EQ(static_cast<int>(TkrvEncoding::krvGetEncoding(static_cast<TkrvEncode>(42)).Charset().size()),
              static_cast<int>(ansi.Charset().size()));
}

TEST(EncodingTest, DecodeFileBytesHonoursByteOrderMarks) {
    const std::string text = "select 'ü' from t;\r\n";
    for (TkrvEncode e : {encUnicode, encBigEndianUnicode, encUTF8}) {
        const TkrvEncoding& enc = TkrvEncoding::krvGetEncoding(e);
        EXPECT_EQ(TkrvEncoding::DecodeFileBytes(enc.GetPreamble() + enc.GetBytes(text)), text)
            << enc.Charset();
    }
    // No mark: valid UTF-8 stays UTF-8, anything else is read in the ANSI code page.
    EXPECT_EQ(TkrvEncoding::DecodeFileBytes(text), text);
    EXPECT_EQ(TkrvEncoding::DecodeFileBytes("caf\xE9"), "café");
    EXPECT_EQ(TkrvEncoding::DecodeFileBytes(""), "");
}

}  // namespace
}  // namespace dbtwin
