#include "core/krvRareString.h"
#include "core/krvRareVector.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dbtwin {
namespace {

std::string ByValue(std::string s) { return s; }
std::size_t ViewSize(std::string_view s) { return s.size(); }

TEST(RareString, ReadsAsAStringWhetherSetOrNot) {
    TRareString s;
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(s.str(), "");
    EXPECT_EQ(s, "");
    s = "abc";
    EXPECT_EQ(s, std::string("abc"));
    EXPECT_EQ(std::string("abc"), s);
    EXPECT_EQ(ByValue(s), "abc");
    EXPECT_EQ(ViewSize(s), 3u);
    EXPECT_EQ("x" + s + "y", "xabcy");
    EXPECT_EQ(s + std::string("!"), "abc!");
    s += "de";
    s += 'f';
    EXPECT_EQ(s.str(), "abcdef");
    EXPECT_EQ(s.substr(1, 2), "bc");
    EXPECT_EQ(s.find('d'), 3u);

    TRareString copy = s;  // deep: changing one leaves the other
    copy.edit()[0] = 'A';
    EXPECT_EQ(s, "abcdef");
    EXPECT_EQ(copy, "Abcdef");
    EXPECT_TRUE(copy < s);  // ordinal: upper case first

    s = std::string();  // an empty text gives its storage back
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(sizeof(TRareString), sizeof(void*));
}

TEST(RareVector, OffersTheVectorOperationsWithValidEmptyRanges) {
    TRareVector<std::unique_ptr<int>> v;
    EXPECT_TRUE(v.empty());
    int n = 0;
    for (auto& p : v) n += *p;  // an unset vector is an empty range
    EXPECT_EQ(n, 0);
    EXPECT_EQ(v.erase(v.begin(), v.end()), v.end());
    v.push_back(std::make_unique<int>(1));
    v.emplace_back(std::make_unique<int>(2));
    v.push_back(std::make_unique<int>(3));
    v.erase(v.begin() + 1);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(*v.front(), 1);
    EXPECT_EQ(*v.back(), 3);
    EXPECT_EQ(*v[1], 3);

    TRareVector<int> a{1, 2}, b;
    b = a;
    b.push_back(3);
    EXPECT_EQ(a.size(), 2u);
    EXPECT_FALSE(a == b);
    b.pop_back();
    EXPECT_TRUE(a == b);
    b.clear();
    EXPECT_TRUE(b.empty());
}

}  // namespace
}  // namespace dbtwin
