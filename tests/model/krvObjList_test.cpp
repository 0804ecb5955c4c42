#include "model/krvObjList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace dbtwin {
namespace {

struct Item : TObject {
    explicit Item(std::string n) : name(std::move(n)) {}
    std::string name;
};

std::vector<std::string> Order(const TKeyedList<Item>& l) {
    std::vector<std::string> out;
    for (Item* i : l) out.push_back(i->name);
    return out;
}

TEST(KeyedListTest, SortedListsOrderByKeyAndKeepTheFirst) {
    TKeyedList<Item> l(true, false, true);
    for (const char* n : {"b", "A", "C", "a", "c2", "B"}) {
        auto* it = new Item(n);
        if (!l.Add(n, it)) delete it;  // refused: the caller keeps it
    }
    EXPECT_EQ(Order(l), (std::vector<std::string>{"A", "b", "C", "c2"}));
    EXPECT_EQ(l.Find("a")->name, "A");  // first filed under the key wins
    EXPECT_EQ(l.IndexOf("C2"), 3);
    EXPECT_EQ(l.IndexOf("z"), -1);
    l.Delete(1);
    EXPECT_EQ(l.Find("B"), nullptr);
    EXPECT_EQ(Order(l), (std::vector<std::string>{"A", "C", "c2"}));
    // Filing after ordered access keeps the order right.
    l.Add("aa", new Item("aa"));
    EXPECT_EQ(Order(l), (std::vector<std::string>{"A", "aa", "C", "c2"}));
    l.SetCaseSensitive(true);  // ordinal: upper case before lower case
    EXPECT_EQ(Order(l), (std::vector<std::string>{"A", "C", "aa", "c2"}));
    l.ReKey([](Item* i) { return i->name == "A" ? std::string("zz") : i->name; });
    EXPECT_EQ(Order(l).back(), "A");
    EXPECT_EQ(l.Find("zz")->name, "A");
    EXPECT_EQ(l.Find("A"), nullptr);
}

TEST(KeyedListTest, UnsortedListsKeepFilingOrder) {
    TKeyedList<Item> l(false, true, true);
    for (const char* n : {"b", "a", "b"}) l.Add(n, new Item(n));
    EXPECT_EQ(Order(l), (std::vector<std::string>{"b", "a", "b"}));
    EXPECT_EQ(l.IndexOf("b"), 0);
    Item* second = l.Objects(2);
    delete l.Extract(0);
    EXPECT_EQ(l.Find("b"), second);  // the next one under the key is found after removal
}

// Lookups that must not see a sorted list's pending sort, duplicates, non-ASCII case folding
// and an index that grows and is rebuilt after every removal.
TEST(KeyedListTest, IndexFindsEveryKeyThroughGrowthSortAndRemoval) {
    TKeyedList<Item> l(true, false, true);
    const int n = 5000;
    for (int i = n - 1; i >= 0; --i) {  // filed in reverse: the list sorts on first positional access
        std::string k = "Col_" + std::to_string(i);
        ASSERT_TRUE(l.Add(k, new Item(k)));
        ASSERT_NE(l.Find("COL_" + std::to_string(i)), nullptr) << i;
    }
    auto* dup = new Item("dup");
    EXPECT_FALSE(l.Add("col_17", dup));  // refused before the list was ever sorted
    delete dup;
    EXPECT_EQ(l.Keys(0), "Col_0");
    for (int i = 0; i < n; i += 97) {
        const std::string k = "cOL_" + std::to_string(i);
        ASSERT_GE(l.IndexOf(k), 0);
        EXPECT_EQ(l.Objects(static_cast<std::size_t>(l.IndexOf(k)))->name, "Col_" + std::to_string(i));
    }
    l.Delete(static_cast<std::size_t>(l.IndexOf("col_10")));
    EXPECT_EQ(l.Find("COL_10"), nullptr);
    EXPECT_EQ(l.Find("COL_100")->name, "Col_100");
    EXPECT_EQ(l.Count(), static_cast<std::size_t>(n - 1));

    // Non-ASCII keys fold through simple upper-casing, whether looked up as ASCII or not.
    l.Add("straße", new Item("straße"));
    l.Add("ÄRGER", new Item("ÄRGER"));
    EXPECT_EQ(l.Find("STRASSE"), nullptr);  // simple mapping: no expansion of ß
    EXPECT_EQ(l.Find("STRAßE")->name, "straße");
    EXPECT_EQ(l.Find("ärger")->name, "ÄRGER");
    EXPECT_EQ(l.Find(""), nullptr);

    // Case-sensitive again: only the exact key is found.
    l.SetCaseSensitive(true);
    EXPECT_EQ(l.Find("COL_5"), nullptr);
    EXPECT_EQ(l.Find("Col_5")->name, "Col_5");
    l.Clear();
    EXPECT_TRUE(l.Empty());
    EXPECT_EQ(l.Find("Col_5"), nullptr);
}

// After a re-key that makes two keys equal, the first in list order is the one found.
TEST(KeyedListTest, ReKeyKeepsTheFirstOfEqualKeys) {
    TKeyedList<Item> l(true, true, true);
    for (const char* n : {"a", "b", "c"}) l.Add(n, new Item(n));
    l.ReKey([](Item* i) { return i->name == "a" ? std::string("x") : std::string("y"); });
    EXPECT_EQ(Order(l), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(l.Find("y")->name, "b");
    EXPECT_EQ(l.IndexOf("y"), 1);
}

// A lookup near a position finds what Find finds: the first entry under the key, also when
// the hint points at a later duplicate or at nothing.
TEST(KeyedListTest, FindNearFindsTheFirstUnderTheKey) {
    TKeyedList<Item> l(false, false, true);
    for (const char* n : {"a", "B", "c"}) l.Add(n, new Item(n));
    std::size_t hint = 0;
    for (const char* n : {"A", "b", "C"}) EXPECT_EQ(l.FindNear(n, hint), l.Find(n)) << n;
    EXPECT_EQ(hint, 3u);
    hint = 0;
    EXPECT_EQ(l.FindNear("c", hint)->name, "c");  // a miss at the hint falls back to the index
    EXPECT_EQ(hint, 3u);
    EXPECT_EQ(l.FindNear("zz", hint), nullptr);
    hint = 99;
    EXPECT_EQ(l.FindNear("a", hint)->name, "a");

    l.Add("b", new Item("b2"));  // a duplicate: the hint alone no longer decides
    hint = 3;
    EXPECT_EQ(l.FindNear("b", hint)->name, "B");
    delete l.Extract(1);  // the first "b" goes: the duplicate becomes the one found
    hint = 0;
    EXPECT_EQ(l.FindNear("B", hint)->name, "b2");
}

// Small lists are searched in order, larger ones through the index: at every size on both
// sides of the switch, growing and shrinking, each key finds its first entry, a sorted list
// refuses a duplicate, and the duplicates flag that FindNear relies on follows the entries.
TEST(KeyedListTest, SmallAndIndexedListsAgreeAcrossTheSwitch) {
    TKeyedList<Item> l(false, false, true);
    std::vector<std::string> names;
    for (int i = 0; i < 14; ++i) {
        // Every fifth entry repeats the key four places back.
        const std::string n = "k" + std::to_string(i % 5 == 4 ? i - 4 : i);
        names.push_back(n);
        l.Add(n, new Item(n + "#" + std::to_string(i)));
        for (std::size_t j = 0; j < names.size(); ++j) {
            const std::string upper = "K" + names[j].substr(1);
            ASSERT_NE(l.Find(upper), nullptr) << i << " " << j;
            EXPECT_EQ(l.IndexOf(upper), static_cast<int>(std::find(names.begin(), names.end(), names[j]) - names.begin()))
                << "size " << names.size() << ": " << upper;
        }
        EXPECT_EQ(l.Find("k99"), nullptr);
    }
    // Shrinking back below the switch: the duplicate of k0 goes, the hint decides again.
    while (l.Count() > 4) delete l.Extract(l.Count() - 1);
    ASSERT_EQ(Order(l), (std::vector<std::string>{"k0#0", "k1#1", "k2#2", "k3#3"}));
    std::size_t hint = 2;
    EXPECT_EQ(l.FindNear("K2", hint)->name, "k2#2");
    EXPECT_EQ(hint, 3u);
    l.Add("k1", new Item("k1#dup"));
    hint = 4;
    EXPECT_EQ(l.FindNear("k1", hint)->name, "k1#1");  // with a duplicate the hint alone does not decide

    TKeyedList<Item> sorted(true, false, true);
    for (int i = 11; i >= 0; --i) {
        const std::string n = "s" + std::to_string(i);
        ASSERT_TRUE(sorted.Add(n, new Item(n)));
        auto* dup = new Item("dup");
        EXPECT_FALSE(sorted.Add("S" + std::to_string(11 - (11 - i) / 2), dup)) << "size " << sorted.Count();
        delete dup;
    }
    EXPECT_EQ(sorted.Count(), 12u);
    EXPECT_EQ(sorted.Keys(0), "s0");
}

}  // namespace
}  // namespace dbtwin
