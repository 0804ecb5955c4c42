#include "support/golden.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace dbtwin::testing {

namespace {

namespace fs = std::filesystem;

bool UpdateRequested() {
    const char* v = std::getenv("DBTWIN_UPDATE_GOLDENS");
    return v && std::string(v) == "1";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> r;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t nl = text.find('\n', from);
        if (nl == std::string::npos) {
            r.push_back(text.substr(from));
            break;
        }
        r.push_back(text.substr(from, nl - from));
        from = nl + 1;
    }
    return r;
}

bool EndsWithBreak(const std::string& text) { return !text.empty() && text.back() == '\n'; }

}  // namespace

std::string FixturePath(const std::string& fixture) { return (fs::path(DBTWIN_FIXTURES_DIR) / fixture).string(); }

std::string ScriptToFixture(const std::string& script, std::size_t& badAt) {
    badAt = std::string::npos;
    std::string r;
    r.reserve(script.size());
    for (std::size_t i = 0; i < script.size(); ++i) {
        const char c = script[i];
        if (c == '\r' && i + 1 < script.size() && script[i + 1] == '\n') {
            r += '\n';
            ++i;
        } else {
            if ((c == '\r' || c == '\n') && badAt == std::string::npos) badAt = i;
            r += c;
        }
    }
    return r;
}

std::string FixtureToScript(const std::string& text) {
    std::string r;
    r.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') r += '\r';
        r += c;
    }
    return r;
}

std::string UnifiedDiff(const std::string& expected, const std::string& actual, const std::string& expectedName,
                        const std::string& actualName) {
    const std::vector<std::string> a = Lines(expected), b = Lines(actual);
    const std::size_t n = a.size(), m = b.size();
    // Longest common subsequence table, from the ends, so the walk below goes forward.
    std::vector<std::vector<std::size_t>> lcs(n + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    struct Op {
        char kind;  // ' ', '-', '+'
        std::size_t ai, bi;
    };
    std::vector<Op> ops;
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) ops.push_back({' ', i++, j++});
        else if (i < n && (j == m || lcs[i + 1][j] >= lcs[i][j + 1])) ops.push_back({'-', i++, j});
        else ops.push_back({'+', i, j++});
    }
    std::ostringstream out;
    out << "--- " << expectedName << "\n+++ " << actualName << "\n";
    // Every change shows with 3 lines of context; hunks are the runs of shown lines.
    const std::size_t context = 3;
    std::vector<bool> shown(ops.size(), false);
    for (std::size_t x = 0; x < ops.size(); ++x)
        if (ops[x].kind != ' ')
            for (std::size_t y = x >= context ? x - context : 0; y < ops.size() && y <= x + context; ++y)
                shown[y] = true;
    for (std::size_t begin = 0; begin < ops.size();) {
        if (!shown[begin]) {
            ++begin;
            continue;
        }
        std::size_t end = begin;
        std::size_t aCount = 0, bCount = 0;
        for (; end < ops.size() && shown[end]; ++end) {
            if (ops[end].kind != '+') ++aCount;
            if (ops[end].kind != '-') ++bCount;
        }
        const std::size_t aFrom = ops[begin].ai, bFrom = ops[begin].bi;
        out << "@@ -" << (aCount ? aFrom + 1 : aFrom) << "," << aCount << " +" << (bCount ? bFrom + 1 : bFrom)
            << "," << bCount << " @@\n";
        for (std::size_t x = begin; x < end; ++x)
            out << ops[x].kind << (ops[x].kind == '+' ? b[ops[x].bi] : a[ops[x].ai]) << "\n";
        begin = end;
    }
    if (!expected.empty() && !actual.empty() && EndsWithBreak(expected) != EndsWithBreak(actual))
        out << "\\ " << (EndsWithBreak(expected) ? actualName : expectedName) << ": no line break at the end\n";
    return out.str();
}

::testing::AssertionResult MatchesGolden(const std::string& script, const std::string& fixture) {
    const std::string path = FixturePath(fixture);
    std::size_t badAt = 0;
    const std::string actual = ScriptToFixture(script, badAt);
    if (badAt != std::string::npos)
        return ::testing::AssertionFailure()
               << "the script has a line break other than \\r\\n at byte " << badAt
               << ": it cannot be kept in the fixture " << fixture << "\n"
               << script;

    std::ifstream in(path, std::ios::binary);
    const bool exists = bool(in);
    std::ostringstream buf;
    if (exists) buf << in.rdbuf();
    const std::string expected = buf.str();
    if (exists && FixtureToScript(expected) == script) return ::testing::AssertionSuccess();

    if (UpdateRequested()) {
        std::error_code ec;
        fs::create_directories(fs::path(path).parent_path(), ec);
        std::ofstream outFile(path, std::ios::binary | std::ios::trunc);
        outFile << actual;
        if (!outFile.flush())
            return ::testing::AssertionFailure() << "DBTWIN_UPDATE_GOLDENS=1: cannot write " << path;
        std::cerr << "[ golden  ] wrote " << path << "\n";
        return ::testing::AssertionSuccess();
    }

    auto failure = ::testing::AssertionFailure();
    if (!exists) failure << "fixture " << path << " is missing\n";
    else failure << "the script differs from " << path << "\n" << UnifiedDiff(expected, actual, fixture, "actual");
    failure << "\nactual text for " << fixture << " (between the marker lines"
            << (EndsWithBreak(actual) || actual.empty() ? "" : "; it ends without a line break") << "):\n"
            << "-----8<-----\n"
            << actual << (EndsWithBreak(actual) || actual.empty() ? "" : "\n") << "-----8<-----\n"
            << "(DBTWIN_UPDATE_GOLDENS=1 writes it into the file)";
    return failure;
}

}  // namespace dbtwin::testing
