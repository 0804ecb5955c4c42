#include "model/krvObjList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dbtwin {
namespace {

struct Item {
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
        auto* it = new Item{n};
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
    l.Add("aa", new Item{"aa"});
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
    for (const char* n : {"b", "a", "b"}) l.Add(n, new Item{n});
    EXPECT_EQ(Order(l), (std::vector<std::string>{"b", "a", "b"}));
    EXPECT_EQ(l.IndexOf("b"), 0);
    Item* second = l.Objects(2);
    delete l.Extract(0);
    EXPECT_EQ(l.Find("b"), second);  // the next one under the key is found after removal
}

}  // namespace
}  // namespace dbtwin
