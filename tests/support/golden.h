// Whole-script goldens kept as files under tests/fixtures/<behaviour>/<dialect>.sql.
//
// The scripts end their lines with "\r\n"; the files are stored with "\n" (git keeps them
// byte for byte, see tests/fixtures/.gitattributes) and every "\n" of a file stands for
// "\r\n" in the script. A script with a line break other than "\r\n" cannot be stored so
// and fails the comparison with a message saying where. A file that ends without a line
// break stands for a script that ends without one.
//
// What is kept so: the whole scripts a comparison or an export writes. Texts of single
// objects (Def, DropDef) stay inline beside their cases, and so does a single comparison
// expected to write nothing; in a table of file cases an empty script is an empty file.
//
// On a mismatch the failure shows a unified diff (expected file against the actual script)
// and the whole actual text, ready to paste into the file. With DBTWIN_UPDATE_GOLDENS=1 in
// the environment the actual text is written into the file instead, so that goldens can be
// refreshed on purpose (and the change read in `git diff`).
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace dbtwin::testing {

// The absolute path of a fixture, given relative to tests/fixtures.
std::string FixturePath(const std::string& fixture);

// Script text as a fixture file holds it: "\r\n" becomes "\n". Sets badAt to the offset of
// the first line break that is not "\r\n" (std::string::npos when there is none).
std::string ScriptToFixture(const std::string& script, std::size_t& badAt);

// Fixture file text as the script it stands for: "\n" becomes "\r\n".
std::string FixtureToScript(const std::string& text);

// A unified-style line diff of two texts (lines split at "\n"), with 3 lines of context.
std::string UnifiedDiff(const std::string& expected, const std::string& actual,
                        const std::string& expectedName, const std::string& actualName);

// Compares script with the fixture file (relative to tests/fixtures).
::testing::AssertionResult MatchesGolden(const std::string& script, const std::string& fixture);

}  // namespace dbtwin::testing

#define EXPECT_GOLDEN(script, fixture) EXPECT_TRUE(::dbtwin::testing::MatchesGolden((script), (fixture)))
#define ASSERT_GOLDEN(script, fixture) ASSERT_TRUE(::dbtwin::testing::MatchesGolden((script), (fixture)))
