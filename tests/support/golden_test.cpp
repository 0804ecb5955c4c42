#include "support/golden.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace dbtwin::testing {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
}

// Sets or clears DBTWIN_UPDATE_GOLDENS for one scope.
struct UpdateMode {
    explicit UpdateMode(bool on) {
        if (const char* v = std::getenv("DBTWIN_UPDATE_GOLDENS")) saved = v, had = true;
        if (on) setenv("DBTWIN_UPDATE_GOLDENS", "1", 1);
        else unsetenv("DBTWIN_UPDATE_GOLDENS");
    }
    ~UpdateMode() {
        if (had) setenv("DBTWIN_UPDATE_GOLDENS", saved.c_str(), 1);
        else unsetenv("DBTWIN_UPDATE_GOLDENS");
    }
    std::string saved;
    bool had = false;
};

// A folder of its own per process: ctest runs the cases of this file side by side.
struct Scratch {
    Scratch() {
        dir = fs::path(::testing::TempDir()) / ("dbtwin_golden_test_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }
    fs::path dir;
};

TEST(GoldenTextTest, FixtureLinesStandForCrLf) {
    struct Case {
        std::string script, fixture;
        std::size_t badAt;
    };
    const Case cases[] = {
        {"A;\r\n\r\nB;\r\n", "A;\n\nB;\n", std::string::npos},
        {"A;\r\nB */", "A;\nB */", std::string::npos},
        {"", "", std::string::npos},
        {"A;\nB;\r\n", "A;\nB;\n", 2},      // a bare LF cannot be told from CRLF in the file
        {"A;\r\rB;\r\n", "A;\r\rB;\n", 2},  // nor a bare CR
    };
    for (const Case& c : cases) {
        std::size_t badAt = 0;
        EXPECT_EQ(ScriptToFixture(c.script, badAt), c.fixture);
        EXPECT_EQ(badAt, c.badAt) << c.fixture;
        if (c.badAt == std::string::npos) {
            EXPECT_EQ(FixtureToScript(c.fixture), c.script);
        }
    }
}

TEST(GoldenTextTest, UnifiedDiffShowsChangedLinesWithContext) {
    struct Case {
        const char* name;
        std::string expected, actual, diff;
    };
    const Case cases[] = {
        {"one line changed in the middle", "1\n2\n3\n4\n5\n6\n7\n8\n9\n", "1\n2\n3\n4\nX\n6\n7\n8\n9\n",
         "--- e\n+++ a\n@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+X\n 6\n 7\n 8\n"},
        {"two changes far apart give two hunks", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", "X\n2\n3\n4\n5\n6\n7\n8\n9\nY\n",
         "--- e\n+++ a\n@@ -1,4 +1,4 @@\n-1\n+X\n 2\n 3\n 4\n@@ -7,4 +7,4 @@\n 7\n 8\n 9\n-10\n+Y\n"},
        {"lines added at the end", "A\nB\n", "A\nB\nC\nD\n", "--- e\n+++ a\n@@ -1,2 +1,4 @@\n A\n B\n+C\n+D\n"},
        {"into an empty file", "", "A\n", "--- e\n+++ a\n@@ -0,0 +1,1 @@\n+A\n"},
        {"only the last line break differs", "A\nB\n", "A\nB",
         "--- e\n+++ a\n\\ a: no line break at the end\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(UnifiedDiff(c.expected, c.actual, "e", "a"), c.diff) << c.name;
}

TEST(GoldenFileTest, MatchingFileIsReadWithCrLf) {
    Scratch s;
    Write(s.dir / "x.sql", "A;\n\nB */");
    UpdateMode off(false);
    EXPECT_TRUE(MatchesGolden("A;\r\n\r\nB */", (s.dir / "x.sql").string()));
    EXPECT_FALSE(MatchesGolden("A;\n\nB */", (s.dir / "x.sql").string()));
    EXPECT_FALSE(MatchesGolden("A;\r\n\r\nB */\r\n", (s.dir / "x.sql").string()));
}

TEST(GoldenFileTest, MismatchPrintsTheDiffAndTheTextToPaste) {
    Scratch s;
    const fs::path file = s.dir / "x.sql";
    Write(file, "CREATE TABLE T(A INTEGER);\n\nDROP TABLE U;\n");
    UpdateMode off(false);
    const auto r = MatchesGolden("CREATE TABLE T(A BIGINT);\r\n\r\nDROP TABLE U;\r\n", file.string());
    ASSERT_FALSE(r);
    const std::string m = r.message();
    EXPECT_NE(m.find("-CREATE TABLE T(A INTEGER);\n+CREATE TABLE T(A BIGINT);\n \n DROP TABLE U;\n"), std::string::npos)
        << m;
    EXPECT_NE(m.find("-----8<-----\nCREATE TABLE T(A BIGINT);\n\nDROP TABLE U;\n-----8<-----\n"), std::string::npos)
        << m;
    EXPECT_EQ(m.find('\r'), std::string::npos) << m;
    EXPECT_EQ(Read(file), "CREATE TABLE T(A INTEGER);\n\nDROP TABLE U;\n");  // left alone

    const auto missing = MatchesGolden("A;\r\n", (s.dir / "none.sql").string());
    ASSERT_FALSE(missing);
    EXPECT_NE(std::string(missing.message()).find("is missing"), std::string::npos);
    EXPECT_FALSE(fs::exists(s.dir / "none.sql"));
}

TEST(GoldenFileTest, UpdateModeWritesTheActualText) {
    Scratch s;
    const fs::path file = s.dir / "sub" / "x.sql";
    {
        UpdateMode on(true);
        EXPECT_TRUE(MatchesGolden("A;\r\n\r\nB */", file.string()));  // created with its folder
        EXPECT_EQ(Read(file), "A;\n\nB */");
        EXPECT_TRUE(MatchesGolden("C;\r\n", file.string()));  // replaced
        EXPECT_EQ(Read(file), "C;\n");
        // Text the file cannot hold is refused, not written.
        EXPECT_FALSE(MatchesGolden("C;\nD;\r\n", file.string()));
        EXPECT_EQ(Read(file), "C;\n");
    }
    UpdateMode off(false);
    EXPECT_TRUE(MatchesGolden("C;\r\n", file.string()));
}

}  // namespace
}  // namespace dbtwin::testing
