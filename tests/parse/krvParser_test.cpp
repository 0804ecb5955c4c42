// Parser core: scanner symbols, numbers, strings, identifiers, positions, input encodings,
// contexts, expressions and messages, read through a small test dialect.
#include "parse/krvParser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/krvMsg.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"

namespace dbtwin {
namespace {

constexpr TSymbol syCREATE = 30;
constexpr TSymbol syTABLE = 31;
constexpr TSymbol sySELECT = 32;

// A dialect with three keywords that installs them from its own constructor.
class TTestParser : public TCustomParser {
public:
    int BuildCalls = 0;
    std::vector<std::string> Shown;  // texts that reached the user

    explicit TTestParser(TDatabaseType aDatabaseType = dbAbstract) {
        BuildResWords();
        SetDatabaseType(aDatabaseType);
        OnErrorMessage = [this](TObject* Sender, const std::string& aText) {
            EXPECT_EQ(Sender, this);
            Shown.push_back(aText);
        };
    }

    void BuildResWords() override {
        ++BuildCalls;
        TCustomParser::BuildResWords();
        GetResWordList().AddResWord("CREATE", syCREATE);
        GetResWordList().AddResWord("TABLE", syTABLE);
        GetResWordList().AddResWord("SELECT", sySELECT);
    }

    int ErrCount() const { return GetMsgMngr().GetErrCount(); }
    std::string FirstErr() const {
        for (std::size_t i = 0; i < GetMsgMngr().Count(); ++i)
            if (GetMsgMngr().Get(i).MsgType == mt_Err) return GetMsgMngr().Get(i).Msg;
        return {};
    }
};

struct Tok {
    TSymbol sy;
    std::string val;  // Ident for words, StrVal for numbers and strings, empty otherwise
    bool operator==(const Tok&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Tok& t) { return os << int(t.sy) << ":" << t.val; }

Tok Current(const TCustomParser& p) {
    if (p.Sy == syIdent || p.Sy >= syFirstDialect) return {p.Sy, p.Ident};
    if (p.Sy == syFloat || p.Sy == syInteger || p.Sy == syString) return {p.Sy, p.StrVal};
    return {p.Sy, ""};
}

// Every symbol up to the end of the text (code 0 from an invalid character is kept).
std::vector<Tok> ScanAll(TCustomParser& p) {
    std::vector<Tok> toks;
    for (int guard = 0; guard < 10000; ++guard) {
        p.GetSy();
        // Code 0 inside the text: a character was refused.
        if (p.Sy == syEOF && p.SyBegPos > p.LengthTxt()) break;
        toks.push_back(Current(p));
    }
    return toks;
}

std::vector<Tok> Scan(std::string_view aText, TDatabaseType aDb = dbAbstract) {
    TTestParser p(aDb);
    p.AssignTxt(std::string(aText));
    return ScanAll(p);
}

// UTF-16 bytes of a UTF-8 text.
std::string Utf16(std::string_view aText, bool aBigEndian) {
    std::string out;
    for (char32_t c : Utf8Decode(aText)) {
        auto unit = [&](unsigned u) {
            const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            out += aBigEndian ? hi : lo;
            out += aBigEndian ? lo : hi;
        };
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

class TempFile {
public:
    explicit TempFile(const std::string& aBytes) {
        static int n = 0;
        fPath =
            std::filesystem::temp_directory_path() /
            ("dbtwin_parser_" + std::to_string(::getpid()) + "_" + std::to_string(n++) + ".sql");
        std::ofstream(fPath, std::ios::binary) << aBytes;
    }
    ~TempFile() { std::filesystem::remove(fPath); }
    std::string Path() const { return fPath.string(); }

private:
    std::filesystem::path fPath;
};

// ---------------------------------------------------------------------------

TEST(ResWordListTest, SortedCaseInsensitiveFirstWordWins) {
    TResWordList l;
    l.AddResWord("beta", 40);
    l.AddResWord("Alpha", 41);
    l.AddResWord("ALPHA", 42);  // duplicate ignoring case: ignored
    l.AddResWord("gamma", 41);
    l.AddResWord("_x", 43);
    ASSERT_EQ(l.Count(), 4u);
    EXPECT_EQ(l.GetWord(0), "Alpha");  // upper-cased order: A < B < G < _
    EXPECT_EQ(l.GetWord(3), "_x");
    EXPECT_EQ(l.GetSymbol(1), 40);
    EXPECT_EQ(l.GetSymbolByWord("aLpHa"), 41);
    EXPECT_EQ(l.GetSymbolByWord("delta"), 0);
    EXPECT_EQ(l.GetWordBySymbol(41), "gamma");  // the last entry in sorted order
    EXPECT_EQ(l.GetWordBySymbol(99), "<\?\?\?>");
    l.AddResWord("zeta", 41);
    EXPECT_EQ(l.GetWordBySymbol(41), "zeta");
    l.Clear();
    EXPECT_EQ(l.GetSymbolByWord("beta"), 0);
    EXPECT_EQ(l.GetWordBySymbol(40), "<\?\?\?>");
}

TEST(ParserTest, CoreDisplayWords) {
    const char* words[30] = {"<EOF>",
                             "<Ident>",
                             "<Float value>",
                             "<String value>",
                             "<Integer value>",
                             "<(>",
                             "<)>",
                             "<,>",
                             "<->",
                             "<+>",
                             "<*>",
                             "</>",
                             "<Terminator>",
                             "<;>",
                             "<=>",
                             "<.>",
                             "<:>",
                             "<||>",
                             "\"<\"",
                             "\">\"",
                             "\"<=\"",
                             "\">=\"",
                             "[<>]",
                             "<==>",
                             "<[>",
                             "<]>",
                             "<@>",
                             "\\",
                             "%",
                             "<&>"};
    TCustomParser base;
    TTestParser dialect;
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(base.ResWordBySymbol(static_cast<TSymbol>(i)), words[i]) << i;
        EXPECT_EQ(dialect.ResWordBySymbol(static_cast<TSymbol>(i)), words[i]) << i;
    }
    EXPECT_EQ(base.ResWordBySymbol(syCREATE), "<\?\?\?>");
    EXPECT_EQ(dialect.ResWordBySymbol(syCREATE), "CREATE");
}

TEST(ParserTest, DialectInstallsItsKeywordsOnce) {
    TTestParser p;
    EXPECT_EQ(p.BuildCalls, 1);
    EXPECT_EQ(Scan("create Table x"),
              (std::vector<Tok>{{syCREATE, "create"}, {syTABLE, "Table"}, {syIdent, "X"}}));
    TCustomParser base;
    base.AssignTxt("create");
    base.GetSy();
    EXPECT_EQ(Current(base), (Tok{syIdent, "CREATE"}));
}

TEST(ParserTest, SymbolCodes) {
    struct Case {
        TDatabaseType db;
        const char* text;
        std::vector<Tok> toks;
    };
    const Case cases[] = {
        {dbAbstract, "", {}},
        {dbAbstract, " \t\r\n ", {}},
        {dbAbstract,
         "( ) , - + * / ; = . : [ ] @ \\ % &",
         {{5, ""},
          {6, ""},
          {7, ""},
          {8, ""},
          {9, ""},
          {10, ""},
          {11, ""},
          {13, ""},
          {14, ""},
          {15, ""},
          {16, ""},
          {24, ""},
          {25, ""},
          {26, ""},
          {27, ""},
          {28, ""},
          {29, ""}}},
        {dbAbstract,
         "< > <= >= <> != == =<",
         {{18, ""},
          {19, ""},
          {20, ""},
          {21, ""},
          {22, ""},
          {22, ""},
          {23, ""},
          {14, ""},
          {18, ""}}},
        {dbAbstract, "a>=b", {{1, "A"}, {21, ""}, {1, "B"}}},
        // Blanks inside a two-character operator only in SQL Server and ASE.
        {dbAbstract, "> =", {{19, ""}, {14, ""}}},
        {dbMSSQL, "> =", {{21, ""}}},
        {dbSybaseASE, "<\r\n>", {{22, ""}}},
        {dbMSSQL, "! =", {{22, ""}}},
        {dbMSSQL, "= =", {{23, ""}}},
        {dbMSSQL, "a < b", {{1, "A"}, {18, ""}, {1, "B"}}},
        {dbAbstract,
         "a A$1_ 9ABC x.y",
         {{1, "A"}, {1, "A$1_"}, {4, "9"}, {1, "ABC"}, {1, "X"}, {15, ""}, {1, "Y"}}},
        {dbAbstract,
         "a\x1A"
         "b",
         {{1, "A"}, {1, "B"}}},
        {dbAbstract, "'x'\"y\"`z`", {{3, "x"}, {3, "y"}, {3, "z"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(Scan(c.text, c.db), c.toks) << c.text;
}

TEST(ParserTest, SymbolStartPositionsAreByteIndexes) {
    TTestParser p;
    p.AssignTxt("ab  'é' 12\r\n\x80x");
    std::vector<std::int64_t> begins;
    for (;;) {
        p.GetSy();
        if (p.Sy == syEOF && p.Eof()) break;
        begins.push_back(p.SyBegPos);
        EXPECT_LE(p.SyBegPos, p.chIx);
    }
    // "\x80" is no character: reported, then x.
    EXPECT_EQ(begins, (std::vector<std::int64_t>{1, 5, 10, 14, 15}));
    EXPECT_EQ(p.SyBegPos, p.LengthTxt() + 1);
    EXPECT_EQ(p.FirstErr(), "Invalid char in source text: \"\xEF\xBF\xBD\".");
}

TEST(ParserTest, Numbers) {
    struct Case {
        const char* text;
        TSymbol sy;
        const char* strVal;
        std::int64_t intVal;
        double floatVal;
    };
    const Case cases[] = {
        {"0", 4, "0", 0, 0},
        {"007", 4, "007", 7, 7},
        {"2147483647", 4, "2147483647", 2147483647LL, 2147483647.0},
        {"2147483648", 4, "2147483648", 2147483648LL, 2147483648.0},
        {"4294967296", 4, "4294967296", 4294967296LL, 4294967296.0},
        {"9223372036854775807", 4, "9223372036854775807", INT64_MAX, 9223372036854775807.0},
        // Past 2^63-1 a number is no integer: its exact text is kept, never a wrapped value.
        {"9223372036854775808", 2, "9223372036854775808", 0, 9223372036854775808.0},
        {"18446744073709551617", 2, "18446744073709551617", 0, 18446744073709551617.0},
        {"123456789012345678901234567890", 2, "123456789012345678901234567890", 0,
         1.2345678901234568e29},
        {"1.5", 2, "1.5", 0, 1.5},
        {".5", 2, ".5", 0, 0.5},
        {"1.", 2, "1.", 0, 1.0},
        {"1.5E-3", 2, "1.5E-3", 0, 0.0015},
        {"1e5", 2, "1e5", 0, 1e5},
        {"2E+10", 2, "2E+10", 0, 2e10},
        {"1.E2", 2, "1.E2", 0, 100},
        {"1e400", 2, "1e400", 0, HUGE_VAL},
        {"1e-400", 2, "1e-400", 0, 0},
    };
    for (const Case& c : cases) {
        TTestParser p;
        p.AssignTxt(c.text);
        p.GetSy();
        EXPECT_EQ(p.Sy, c.sy) << c.text;
        EXPECT_EQ(p.StrVal, c.strVal) << c.text;
        if (c.sy == syInteger) {
            EXPECT_EQ(p.IntVal, c.intVal) << c.text;
        }
        EXPECT_DOUBLE_EQ(p.FloatVal, c.floatVal) << c.text;
        p.GetSy();
        EXPECT_TRUE(p.Sy == syEOF && p.Eof()) << c.text << " not read whole";
        EXPECT_EQ(p.ErrCount(), 0) << c.text;
    }
    // Where a number ends.
    EXPECT_EQ(Scan("1..5"), (std::vector<Tok>{{4, "1"}, {15, ""}, {15, ""}, {4, "5"}}));
    EXPECT_EQ(Scan("1END"), (std::vector<Tok>{{4, "1"}, {1, "END"}}));
    EXPECT_EQ(Scan("1.5e+x"), (std::vector<Tok>{{2, "1.5"}, {1, "E"}, {9, ""}, {1, "X"}}));
    EXPECT_EQ(Scan(".5.5"), (std::vector<Tok>{{2, ".5"}, {2, ".5"}}));
    EXPECT_EQ(Scan("-12"), (std::vector<Tok>{{8, ""}, {4, "12"}}));
    EXPECT_EQ(Scan("1e5e5"), (std::vector<Tok>{{2, "1e5"}, {1, "E5"}}));
}

TEST(ParserTest, TestSyJoinsSignsToNumbers) {
    struct Case {
        const char* text;
        TSymbol expected;
        bool ok;
        const char* strVal;
        std::int64_t intVal;
        double floatVal;
    };
    const Case cases[] = {
        {"-12", 4, true, "-12", -12, -12},
        {"+7", 4, true, "+7", 7, 7},
        {"- 2147483648", 4, true, "-2147483648", -2147483648LL, -2147483648.0},
        {"-9223372036854775807", 4, true, "-9223372036854775807", -INT64_MAX,
         -9223372036854775807.0},
        {"-9223372036854775808", 4, true, "-9223372036854775808", INT64_MIN,
         -9223372036854775808.0},
        {"-1.5", 2, true, "-1.5", 0, -1.5},
        {"-9223372036854775808", 2, true, "-9223372036854775808", 0, -9223372036854775808.0},
    };
    for (const Case& c : cases) {
        TTestParser p;
        p.AssignTxt(c.text);
        p.GetSy();
        EXPECT_EQ(p.TestSy(c.expected), c.ok) << c.text;
        EXPECT_EQ(p.Sy, c.expected) << c.text;
        EXPECT_EQ(p.StrVal, c.strVal) << c.text;
        if (c.expected == syInteger) {
            EXPECT_EQ(p.IntVal, c.intVal) << c.text;
        }
        EXPECT_DOUBLE_EQ(p.FloatVal, c.floatVal) << c.text;
        EXPECT_EQ(p.ErrCount(), 0) << c.text;
    }
    // Nothing to join: the sign stays the current symbol, exactly where it was.
    struct Miss {
        const char* text;
        TSymbol expected;
        const char* message;
        Tok next;
    };
    const Miss misses[] = {
        {"-9223372036854775809", 4, "Missing: <Integer value> (<->)", {2, "9223372036854775809"}},
        {"-1.5", 4, "Missing: <Integer value> (<->)", {2, "1.5"}},
        {"+12", 2, "Missing: <Float value> (<+>)", {4, "12"}},
        {"-\r\n x", 4, "Missing: <Integer value> (<->)", {1, "X"}},
    };
    for (const Miss& m : misses) {
        TTestParser p;
        p.AssignTxt(m.text);
        p.GetSy();
        const std::int32_t line = p.Line, chPos = p.ChPos;
        const std::int64_t ix = p.ix, begin = p.SyBegPos;
        EXPECT_FALSE(p.TestSy(m.expected)) << m.text;
        EXPECT_EQ(p.FirstErr(), m.message) << m.text;
        EXPECT_EQ(p.Sy, m.text[0] == '-' ? syMinus : syPlus) << m.text;
        EXPECT_EQ(p.SyResWord, p.ResWordBySymbol(p.Sy));
        EXPECT_EQ(std::tie(p.Line, p.ChPos, p.ix, p.SyBegPos), std::tie(line, chPos, ix, begin))
            << m.text;
        p.GetSy();
        EXPECT_EQ(Current(p), m.next) << m.text;
    }
}

TEST(ParserTest, TestSyReportsAndKeepsTheSymbol) {
    TTestParser p;
    p.SetScriptFileName("s.sql");
    p.AssignTxt("FOO )\n ;");
    p.GetSy();
    EXPECT_FALSE(p.TestSy(syRParent));
    EXPECT_EQ(p.FirstErr(), "Missing: <)> (<Ident>: FOO)");
    EXPECT_EQ(Current(p), (Tok{syIdent, "FOO"}));
    // Recorded at the scanner position: the blank after FOO, line 1 column 4.
    const TMsgData& m = p.GetMsgMngr().Get(0);
    EXPECT_EQ(m.FileName, "s.sql");
    EXPECT_EQ(m.PosY, 1);
    EXPECT_EQ(m.PosX, 4);
    EXPECT_TRUE(p.GetAndTestSy(syRParent));
    EXPECT_FALSE(p.TestAndGetSy(syTerm));  // consumes the ")" anyway
    EXPECT_EQ(p.GetMsgMngr().Get(1).Msg, "Missing: <TERM> (<)>)");
    EXPECT_EQ(p.Sy, sySemicolon);
    EXPECT_TRUE(p.TestAndGetSy(sySemicolon));
    EXPECT_EQ(p.Sy, syEOF);

    TTestParser q;
    q.AssignTxt("Table table2");
    q.GetSy();
    EXPECT_FALSE(q.IsIdent("table"));  // a keyword is no identifier
    q.GetSy();
    EXPECT_TRUE(q.IsIdent("Table2"));
    EXPECT_TRUE(q.TestIdent("tAbLe2"));
    EXPECT_FALSE(q.TestIdent("other"));
    EXPECT_EQ(q.FirstErr(), "Must be: OTHER");
}

TEST(ParserTest, Strings) {
    struct Case {
        TDatabaseType db;
        const char* text;
        std::string strVal;
        char32_t quote;
    };
    const Case cases[] = {
        {dbAbstract, "'it''s'", "it's", '\''},
        {dbAbstract, "\"a\"\"b\"", "a\"b", '"'},
        {dbAbstract, "`x``y`", "x`y", '`'},
        {dbAbstract, "''", "", '\''},
        {dbAbstract, "'é€𝄞\r\n'", "é€𝄞\r\n", '\''},
        {dbAbstract, "'a\\nb'", "a\\nb", '\''},
        {dbMySQL, "'a\\nb'", "a\nb", '\''},
        {dbMySQL, "'\\'\\r\\t\\b\\z\\q\\\\'", std::string("'\r\t\b\x1Aq\\"), '\''},
        {dbMySQL, "'\\0'", std::string(1, '\0'), '\''},
        {dbAbstract,
         "'a\x1A"
         "b'",
         "a\x1A"
         "b",
         '\''},  // data is kept as written
        {dbAbstract, "'unterminated", "unterminated", '\''},
        {dbAbstract, "'a''", "a'", '\''},
    };
    for (const Case& c : cases) {
        TTestParser p(c.db);
        p.AssignTxt(c.text);
        p.GetSy();
        EXPECT_EQ(p.Sy, syString) << c.text;
        EXPECT_EQ(p.StrVal, c.strVal) << c.text;
        EXPECT_EQ(p.StrQuoteCh, c.quote) << c.text;
        p.GetSy();
        EXPECT_TRUE(p.Sy == syEOF && p.Eof()) << c.text;
        EXPECT_EQ(p.ErrCount(), 0) << c.text;
    }
    TTestParser p;
    p.AssignTxt("'a' b");
    p.GetSy();
    p.GetSy();
    EXPECT_EQ(p.StrQuoteCh, 0u);
}

TEST(ParserTest, IdentifiersFollowIdentCharSet) {
    EXPECT_EQ(Scan("a#b"), (std::vector<Tok>{{1, "A"}, {0, ""}, {1, "B"}}));
    EXPECT_EQ(Scan("_x"), (std::vector<Tok>{{0, ""}, {1, "X"}}));
    EXPECT_EQ(Scan("é"), (std::vector<Tok>{{0, ""}}));

    TTestParser p;
    p.IdentCharSet.Include('#').Include(0xE9).Exclude('$');
    p.AssignTxt("a#b café x$");
    EXPECT_EQ(ScanAll(p), (std::vector<Tok>{{1, "A#B"}, {1, "CAFÉ"}, {1, "X"}, {0, ""}}));
}

TEST(ParserTest, InvalidCharactersAreReportedAndSkipped) {
    TTestParser p;
    p.AssignTxt("a ! b");
    p.GetSy();
    p.GetSy();
    EXPECT_EQ(p.Sy, syEOF);
    EXPECT_FALSE(p.Eof());  // code 0 without the end of the text: a character was refused
    EXPECT_EQ(p.FirstErr(), "Invalid char in source text: \"!\".");
    EXPECT_EQ(p.GetMsgMngr().Get(0).PosX, 3);
    p.GetSy();
    EXPECT_EQ(Current(p), (Tok{syIdent, "B"}));

    EXPECT_EQ(Scan("a!=b|c"), (std::vector<Tok>{{1, "A"}, {22, ""}, {1, "B"}, {0, ""}, {1, "C"}}));
    EXPECT_EQ(Scan(std::string("a\0b", 3)), (std::vector<Tok>{{1, "A"}, {0, ""}, {1, "B"}}));
}

TEST(ParserTest, ErrorLineAndColumnCountCharacters) {
    struct Case {
        const char* text;
        std::int32_t line, column;
    };
    const Case cases[] = {
        {"#", 1, 1},
        {"ab #", 1, 4},
        {"\t#", 1, 2},
        {"a\n#", 2, 1},
        {"a\r\n#", 2, 1},
        {"a\r#", 2, 1},
        {"a\r\r#", 3, 1},
        {"a\n\r\n#", 3, 1},
        {"a\r\n\r\n  #", 3, 3},
        {"a\n\n\n\r\r\n#", 6, 1},
        {"'é€' #", 1, 6},
        {"'𝄞' #", 1, 5},
        {"'é\r\nü'  #", 2, 5},
        {"(a\r\n 'x'\r b) #", 3, 5},
    };
    for (const Case& c : cases) {
        TTestParser p;
        p.AssignTxt(c.text);
        ScanAll(p);
        ASSERT_EQ(p.ErrCount(), 1) << c.text;
        const TMsgData& m = p.GetMsgMngr().Get(0);
        EXPECT_EQ(m.PosY, c.line) << c.text;
        EXPECT_EQ(m.PosX, c.column) << c.text;
    }
    // A line break is column 0 of the line it starts.
    TTestParser p;
    p.AssignTxt("ab\r\ncd");
    p.GetSy();
    EXPECT_EQ(p.ch, U'\r');
    EXPECT_EQ(std::make_pair(p.GetPosY(), p.GetPosX()), std::make_pair(1, 3));
    p.GetChar();
    EXPECT_EQ(std::make_pair(p.GetPosY(), p.GetPosX()), std::make_pair(2, 0));
}

TEST(ParserTest, OnlyTheFirstErrorIsShown) {
    TTestParser p;
    p.SetScriptFileName("x.sql");
    p.AssignTxt("# \n  #");
    ScanAll(p);
    p.WrnMsg("careful");
    ASSERT_EQ(p.Shown.size(), 1u);
    EXPECT_EQ(p.Shown[0], "Invalid char in source text: \"#\".\r\nScript: x.sql Line:1 Pos:2\r\n");
    ASSERT_EQ(p.GetMsgMngr().Count(), 3u);
    EXPECT_EQ(p.GetMsgMngr().Get(1).PosY, 2);
    EXPECT_EQ(p.GetMsgMngr().Get(1).PosX, 3);
    EXPECT_EQ(p.GetMsgMngr().Get(2).MsgType, mt_Wrn);
    EXPECT_EQ(p.GetMsgMngr().Get(2).FileName, "x.sql");

    // Without a handler the error goes to the user message.
    std::vector<std::string> shown;
    auto old = SetShowMessageHandler([&](const std::string& t) { shown.push_back(t); });
    TCustomParser base;
    base.AssignTxt("#");
    base.GetSy();
    SetShowMessageHandler(old);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Error: Invalid char in source text: \"#\".\r\nScript:  Line:1 Pos:2\r\n");
}

// A dialect whose DoGetSy does not consume "#".
class TStuckParser : public TTestParser {
public:
    void DoGetSy() override {
        if (ch == '#') return;
        TTestParser::DoGetSy();
    }
};

TEST(ParserTest, DeadlockIsShownNotRecordedAndPassed) {
    TStuckParser p;
    p.AssignTxt("a # b");
    const std::vector<Tok> toks = ScanAll(p);
    EXPECT_EQ(toks, (std::vector<Tok>{{1, "A"}, {0, ""}, {1, "B"}}));
    EXPECT_EQ(p.Shown, std::vector<std::string>{"Parser TStuckParser deadlock."});
    EXPECT_EQ(p.GetMsgMngr().Count(), 0u);
}

TEST(ParserTest, ContextRestoreRewindsExactly) {
    struct State {
        Tok tok;
        std::int32_t line, chPos;
        std::int64_t ix, chIx, begin;
        char32_t ch;
        bool operator==(const State&) const = default;
    };
    auto state = [](const TCustomParser& p) {
        return State{Current(p), p.Line, p.ChPos, p.ix, p.chIx, p.SyBegPos, p.ch};
    };
    TTestParser p;
    p.AssignTxt("CREATE x\r\n  'é€' ,\n 12 y\r-3.5 \"𝄞\"");
    p.GetSy();
    p.GetSy();
    TParseContext ctx(&p);
    const State saved = state(p);
    std::vector<State> first;
    while (!(p.Sy == syEOF && p.Eof())) {
        p.GetSy();
        first.push_back(state(p));
    }
    ASSERT_EQ(first.size(), 8u);
    ctx.GotoContext();
    EXPECT_EQ(state(p), saved);
    EXPECT_EQ(p.SyResWord, "<Ident>");
    std::vector<State> second;
    while (!(p.Sy == syEOF && p.Eof())) {
        p.GetSy();
        second.push_back(state(p));
    }
    EXPECT_EQ(first, second);

    // The parser-side pair does the same.
    TParseContext ctx2(nullptr);
    p.AssignTxt("a b c");
    p.GetSy();
    p.SetParseContext(ctx2);
    p.GetSy();
    p.GetSy();
    p.GotoParseContext(ctx2);
    EXPECT_EQ(Current(p), (Tok{syIdent, "A"}));
    p.GetSy();
    EXPECT_EQ(Current(p), (Tok{syIdent, "B"}));
}

TEST(ParserTest, TerminatorCheck) {
    struct Case {
        const char* term;
        const char* text;
        bool found;
        char32_t chAfter;
    };
    const Case cases[] = {
        {";", ";x", true, 'x'},   {"^", "^x", true, 'x'},   {"^", ";x", false, ';'},
        {"GO", "GOx", true, 'x'}, {"GO", "Go", false, 'G'}, {"§§", "§§x", true, 'x'},
        {"", ";", false, ';'},    {"^", "", false, 0},
    };
    for (const Case& c : cases) {
        TTestParser p;
        p.SetTermStr(c.term);
        p.AssignTxt(c.text);
        EXPECT_EQ(p.CheckTermStr(), c.found) << c.term << " " << c.text;
        EXPECT_EQ(p.ch, c.chAfter) << c.term << " " << c.text;
        if (c.found) {
            EXPECT_EQ(p.Sy, syTerm);
        }
    }
    TTestParser p;
    EXPECT_EQ(p.GetTermStr(), ";");
    p.SetTermStr("§§");
    EXPECT_EQ(p.GetTermStrLen(), 2);
}

TEST(ParserTest, CharacterLookahead) {
    TTestParser p;
    p.AssignTxt("é€x");
    EXPECT_EQ(p.ch, U'é');
    EXPECT_EQ(p.CurCh(), U'€');
    EXPECT_EQ(p.NextCh(), U'x');
    p.GetChar();
    EXPECT_EQ(p.NextCh(), 0u);
    p.GetChar();
    EXPECT_EQ(p.CurCh(), 0u);
    p.GetChar();
    EXPECT_TRUE(p.Eof());
    EXPECT_EQ(p.GetChar(), 0u);
    EXPECT_EQ(p.chIx, p.LengthTxt() + 1);

    // SkipLine stops on the line feed of CR LF and on a lone CR.
    p.AssignTxt("ab\r\ncd\ref");
    p.SkipLine();
    EXPECT_EQ(p.ch, U'\n');
    p.GetChar();
    p.SkipLine();
    EXPECT_EQ(p.ch, U'\r');
    EXPECT_EQ(p.GetPosY(), 3);
}

TEST(ParserTest, GetExprSkipsStringsQuotedNamesAndComments) {
    struct Case {
        TDatabaseType db;
        const char* text;
        const char* expr;
        Tok next;
    };
    const Case cases[] = {
        {dbAbstract, "(a <> ')') next", "(a <> ')')", {1, "NEXT"}},
        {dbAbstract, "  (f(x) + (y)) next", "(f(x) + (y))", {1, "NEXT"}},
        {dbAbstract, "('it''s (' || x) next", "('it''s (' || x)", {1, "NEXT"}},
        {dbAbstract, "(\"a)\" > 0) next", "(\"a)\" > 0)", {1, "NEXT"}},
        {dbAbstract, "(a /* ) */ + b -- )\r\n) next", "(a /* ) */ + b -- )\r\n)", {1, "NEXT"}},
        {dbAbstract, "/* lead ( */\n (a) next", "(a)", {1, "NEXT"}},
        {dbAbstract, "('a\\')') next", "('a\\')", {3, ") next"}},
        {dbMySQL, "('a\\')') next", "('a\\')')", {1, "NEXT"}},
        {dbMySQL, "(a--1) next", "(a--1)", {1, "NEXT"}},
        {dbMySQL, "(a # )\n) next", "(a # )\n)", {1, "NEXT"}},
        {dbMSSQL, "([a)b]]] > 0) next", "([a)b]]] > 0)", {1, "NEXT"}},
        {dbAbstract, "x y", "x", {1, "Y"}},
        {dbAbstract, "'str' next", "'str'", {1, "NEXT"}},
        {dbAbstract, ") next", ")", {1, "NEXT"}},
        {dbAbstract, "((a)", "((a)", {0, ""}},
        {dbAbstract, "(a ')", "(a ')", {0, ""}},
        {dbAbstract, "(a /* )", "(a /* )", {0, ""}},
        {dbAbstract, "   ", "", {0, ""}},
    };
    for (const Case& c : cases) {
        TTestParser p(c.db);
        p.AssignTxt(c.text);
        EXPECT_EQ(p.GetExpr(), c.expr) << c.text;
        p.GetSy();
        EXPECT_EQ(Current(p), c.next) << c.text;
    }
    // Positions go on counting through the expression; dlExpr logs it.
    TTestParser p;
    std::vector<std::string> dbg;
    p.OnDebugMessage = [&](TObject*, const std::string& t) { dbg.push_back(t); };
    p.DebugLogOptions.Include(dlExpr);
    p.AssignTxt("CHECK (a <> ')'\r\n  or b)\n #");
    p.GetSy();
    EXPECT_EQ(p.GetExpr(), "(a <> ')'\r\n  or b)");
    EXPECT_EQ(dbg, std::vector<std::string>{"Expression: (a <> ')'\r\n  or b)"});
    p.GetSy();
    EXPECT_EQ(p.FirstErr(), "Invalid char in source text: \"#\".");
    EXPECT_EQ(p.GetMsgMngr().Get(0).PosY, 3);
    EXPECT_EQ(p.GetMsgMngr().Get(0).PosX, 2);
}

TEST(ParserTest, DoubledParentheses) {
    struct Case {
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {"((a))", "(a)"},
        {"(((a)))", "(a)"},
        {"((0))", "(0)"},
        {"(())", "()"},
        {"((a)) + ((b))", "((a)) + ((b))"},
        {"((a) + (b))", "((a) + (b))"},
        {"(('('))", "('(')"},
        {"(('))'))", "('))')"},
        {"(([x)]))", "([x)])"},
        {"(a)", "(a)"},
        {"((a)", "((a)"},
        {"", ""},
        {"((", "(("},
    };
    TTestParser p;
    for (const Case& c : cases) {
        EXPECT_EQ(DelDblParents(c.text), c.result) << c.text;
        EXPECT_EQ(p.ExprRemoveParents(c.text), c.result) << c.text;
    }
}

TEST(ParserTest, TrimSQLText) {
    struct Case {
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {"  a  \r\n  b \n\n", "a\r\n  b"},
        {"\n\n a\t\x01\rb\x7f  \n", "a\r\nb\x7f"},
        {"x\r\n\r\n\r\ny", "x\r\n\r\n\r\ny"},
        {"x\n\ry", "x\r\n\r\ny"},
        {"é  \r\n", "é"},
    };
    for (const Case& c : cases) EXPECT_EQ(TrimSQLText(c.text), c.result) << c.text;
}

TEST(ParserTest, GenTermAndComment) {
    TTestParser p;
    EXPECT_EQ(p.GenTerm(), ";");
    EXPECT_EQ(p.GenComment("changed"), "/* changed */");
    EXPECT_EQ(p.GenComment("a */ drop table t; /* b"), "/* a * / drop table t; /* b */");
}

TEST(ParserTest, GetNumDec) {
    struct Case {
        const char* text;
        std::int32_t precision, scale;
        const char* error;
        Tok next;
    };
    const Case cases[] = {
        {"(10,2) x", 10, 2, "", {1, "X"}},
        {"(18) x", 18, 0, "", {1, "X"}},
        {"x", 9, 0, "", {1, "X"}},
        {"(10,) x", 10, 0, "Missing: <Integer value> (<)>)", {1, "X"}},
        {"(10 x", 10, 0, "Missing: <)> (<Ident>: X)", {0, ""}},
        {"(99999999999) x", -1, 0, "Value out of range: 99999999999", {1, "X"}},
    };
    for (const Case& c : cases) {
        TTestParser p;
        p.AssignTxt(c.text);
        p.GetSy();
        std::int32_t precision = -1, scale = -1;
        p.GetNumDec(precision, scale);
        EXPECT_EQ(precision, c.precision) << c.text;
        EXPECT_EQ(scale, c.scale) << c.text;
        EXPECT_EQ(p.FirstErr(), c.error) << c.text;
        EXPECT_EQ(Current(p), c.next) << c.text;
    }
}

TEST(ParserTest, StatementTextRunsToTheCurrentSymbol) {
    TTestParser p;
    std::vector<std::string> texts;
    TStatement made;
    p.OnAddStatement = [&](TObject* Sender, const std::string& aText, TStatType aTyp,
                           const std::string& aObjName, TDbObject aObjType, TDbOperation aOperation,
                           const std::string& aOwnName, TStatement*& Statement) {
        EXPECT_EQ(Sender, &p);
        EXPECT_EQ(aTyp, stStatement);
        EXPECT_EQ(aObjName, "T");
        EXPECT_EQ(aObjType, dboTable);
        EXPECT_EQ(aOperation, odbCreate);
        EXPECT_EQ(aOwnName, "own");
        texts.push_back(aText);
        Statement = &made;
    };
    p.AssignTxt("  create table t ('é€', x)\r\n ;\r\nselect 1 ; ;");
    std::vector<TStatement*> got;
    p.GetSy();
    while (p.Sy != syEOF) {
        p.StBegPos = p.SyBegPos;
        while (p.Sy != sySemicolon && p.Sy != syEOF) p.GetSy();
        TStatement* st = reinterpret_cast<TStatement*>(1);
        p.DoAddStatement(stStatement, "T", dboTable, odbCreate, "own", st);
        got.push_back(st);
        p.GetSy();
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"create table t ('é€', x)", "select 1", ""}));
    EXPECT_EQ(got, (std::vector<TStatement*>{&made, &made, &made}));

    // Without a listener the statement stays nil.
    TTestParser q;
    q.AssignTxt("a;");
    q.GetSy();
    TStatement* st = &made;
    q.DoAddStatement(stStatement, "", dboUnknown, odbUnknown, "", st);
    EXPECT_EQ(st, nullptr);
}

// Records the whole text and the symbols its ParseText reads.
class TRecordingParser : public TTestParser {
public:
    bool ScanSymbols = true;
    std::string Text;
    std::vector<Tok> Toks;
    void ParseText() override {
        Text = CopyTxt(1, LengthTxt());
        if (ScanSymbols) Toks = ScanAll(*this);
    }
};

TEST(ParserTest, ParseScriptNormalisesLineBreaksAndReportsProgress) {
    TRecordingParser p;
    p.SetScriptFileName("s.sql");
    std::vector<std::string> log;
    std::vector<std::pair<int, int>> progress;
    p.OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
    p.OnProgressUpdate = [&](TObject*, int v, int m) { progress.emplace_back(v, m); };
    p.ParseScript({"a", "b\nc\rd", "e"}, nullptr);
    EXPECT_EQ(p.Text, "a\r\nb\r\nc\r\nd\r\ne\r\n");
    EXPECT_EQ(p.Toks.size(), 5u);
    EXPECT_EQ(log, std::vector<std::string>{"Parse Script: s.sql"});
    EXPECT_EQ(p.GetLinesCount(), 3);
    EXPECT_EQ(progress,
              (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}));

    progress.clear();
    p.SetUpdateProgress(false);
    p.ParseScript({"a", "b"}, nullptr);
    EXPECT_TRUE(progress.empty());
}

TEST(ParserTest, DebugLogOfSymbols) {
    TTestParser p;
    std::vector<std::string> dbg;
    p.OnDebugMessage = [&](TObject*, const std::string& t) { dbg.push_back(t); };
    p.DebugLogOptions.Include(dlSymbol);
    p.AssignTxt("ab 12 'x' create");
    ScanAll(p);
    EXPECT_EQ(dbg,
              (std::vector<std::string>{"(1,4) <Ident>: 1 =AB", "(1,7) <Integer value>: 4 =12",
                                        "(1,11) <String value>: 3 ='x'", "(1,17) CREATE: 30"}));
}

// The same script in several encodings: X, the string é€𝄞, then an invalid "#" at column 9.
TEST(ParserTest, InputEncodings) {
    const std::string text = "x 'é€𝄞' #";
    const std::vector<Tok> toks = {{1, "X"}, {3, "é€𝄞"}, {0, ""}};
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"UTF-8", text},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + text},
        {"UTF-16LE with mark", "\xFF\xFE" + Utf16(text, false)},
        {"UTF-16BE with mark", "\xFE\xFF" + Utf16(text, true)},
    };
    for (const Case& c : cases) {
        TTestParser p;
        p.AssignBytes(c.bytes);
        EXPECT_EQ(ScanAll(p), toks) << c.name;
        ASSERT_EQ(p.ErrCount(), 1) << c.name;
        EXPECT_EQ(p.GetMsgMngr().Get(0).PosX, 9) << c.name;
    }
    // Bytes that are no UTF-8 and carry no mark are read in the ANSI code page.
    TTestParser ansi;
    ansi.AssignBytes("x 'caf\xE9'");
    EXPECT_EQ(ScanAll(ansi), (std::vector<Tok>{{1, "X"}, {3, "café"}}));
    // UTF-16 without a mark cannot be told from UTF-8 holding NUL characters: it is read as
    // such, and the first NUL is refused.
    TTestParser noMark;
    noMark.AssignBytes(Utf16("x y", false));
    ScanAll(noMark);
    ASSERT_GE(noMark.ErrCount(), 1);
    EXPECT_EQ(noMark.GetMsgMngr().Get(0).PosX, 2);
}

TEST(ParserTest, ParseFileWithEveryBufferType) {
    const std::string text = "create x\r\n 'é€𝄞'\n#";
    struct Case {
        const char* name;
        std::string bytes;
        std::string decoded;
    };
    const Case cases[] = {
        {"UTF-8", text, text},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + text, text},
        {"UTF-16LE with mark", "\xFF\xFE" + Utf16(text, false), text},
        {"UTF-16BE with mark", "\xFE\xFF" + Utf16(text, true), text},
        {"ANSI", "x 'caf\xE9'", "x 'café'"},
        {"UTF-8 mark, bad byte",
         "\xEF\xBB\xBF"
         "a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        TempFile f(c.bytes);
        for (TParseBufferType b : {pb_String, pb_Memory, pb_File}) {
            TRecordingParser p;
            p.SetParseBuffer(b);
            std::vector<std::string> log;
            p.OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
            p.ParseFile(f.Path(), nullptr);
            EXPECT_EQ(p.Text, c.decoded) << c.name << " buffer " << int(b);
            EXPECT_EQ(log, std::vector<std::string>{"Parse file: " + f.Path()});
            EXPECT_EQ(p.LengthTxt(), 0) << "text freed after parsing";
            if (c.decoded == text) {
                EXPECT_EQ(p.Toks,
                          (std::vector<Tok>{{30, "create"}, {1, "X"}, {3, "é€𝄞"}, {0, ""}}));
                EXPECT_EQ(p.GetLinesCount(), 2);
                ASSERT_EQ(p.ErrCount(), 1);
                EXPECT_EQ(p.GetMsgMngr().Get(0).PosY, 3);
                EXPECT_EQ(p.GetMsgMngr().Get(0).PosX, 1);
            }
        }
    }
    TTestParser p;
    EXPECT_THROW(p.ParseFile("/nonexistent/dir/x.sql", nullptr), EKrvError);
}

// Files larger than one conversion block, with characters split at the block boundary:
// the mapped-file buffer gives the same text as the string buffer.
TEST(ParserTest, LargeFilesDecodeAcrossBlocks) {
    std::string pairs;
    for (int i = 0; i < 200000; ++i)
        pairs += "a𝄞";  // 6 UTF-16 bytes each: a surrogate pair straddles 1 MiB
    std::string twoByte = "\xFF";
    for (int i = 0; i < 600000; ++i) twoByte += "é";  // one é straddles 1 MiB after the mark
    const std::string files[] = {
        "\xFF\xFE" + Utf16(pairs, false),
        "\xFE\xFF" + Utf16(pairs, true),
        "\xEF\xBB\xBF" + twoByte,
        std::string(1500000, '\xE9'),
    };
    for (const std::string& bytes : files) {
        TempFile f(bytes);
        TRecordingParser s, m;
        s.ScanSymbols = m.ScanSymbols = false;
        s.SetParseBuffer(pb_String);
        m.SetParseBuffer(pb_File);
        s.ParseFile(f.Path(), nullptr);
        m.ParseFile(f.Path(), nullptr);
        EXPECT_GE(s.Text.size(), 1000000u);
        EXPECT_TRUE(s.Text == m.Text)
            << "first difference at "
            << std::mismatch(s.Text.begin(), s.Text.end(), m.Text.begin()).first - s.Text.begin();
        EXPECT_TRUE(IsValidUtf8(m.Text));
    }
    EXPECT_EQ(TkrvEncoding::DecodeFileBytes("\xFF\xFE" + Utf16(pairs, false)), pairs);
}

}  // namespace
}  // namespace dbtwin

#include "extract/krvCustomExtract.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvDBStructure.h"

namespace dbtwin {
namespace {

TEST(ParserObjectsTest, ObjectsGoThroughTheExtractorsFilter) {
    TDBStructure structure;
    structure.SetDatabaseType(dbInterBase);
    TCustomExtract extractor;
    extractor.SetDBStructure(&structure);
    extractor.SetExcludeObjsNames("SECRET");
    TCustomParser parser(&extractor);
    ASSERT_EQ(parser.Objs, structure.GetObjs());
    for (const char* name : {"SECRET", "PUBLIC_T"}) {
        auto* t = new TTblData(parser.Objs);
        t->SetObjName(name);
        parser.AddObj(t, true);
    }
    EXPECT_EQ(structure.GetObjs()->Tbl.Count(), 1u);
    EXPECT_NE(structure.GetObjs()->Tbl.Find("PUBLIC_T"), nullptr);

    TCustomParser bare;  // no set: the object is freed, not leaked
    bare.AddObj(new TTblData(nullptr), true);
}

}  // namespace
}  // namespace dbtwin
