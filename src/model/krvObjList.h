// A keyed list of objects: every kind list of an object set, and a table's columns.
// Sorted lists keep their entries in key order (ordinal by code point; case-insensitive
// lists compare after simple upper-casing) and keep the first object filed under a key.
// Unsorted lists keep insertion order and look keys up through an index.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/krvStrUtils.h"

namespace dbtwin {

template <typename T>
class TKeyedList {
    struct Entry {
        std::string Key;
        std::string Norm;  // the key as compared: upper-cased in case-insensitive lists
        T* Obj;
    };

public:
    TKeyedList(bool aSorted, bool aCaseSensitive, bool aOwnsObjects)
        : fSorted(aSorted), fCaseSensitive(aCaseSensitive), fOwnsObjects(aOwnsObjects) {}
    ~TKeyedList() { Clear(); }
    TKeyedList(const TKeyedList&) = delete;
    TKeyedList& operator=(const TKeyedList&) = delete;

    bool Sorted() const { return fSorted; }
    bool CaseSensitive() const { return fCaseSensitive; }
    bool OwnsObjects() const { return fOwnsObjects; }

    // Switching case sensitivity re-sorts a sorted list and rebuilds the index.
    void SetCaseSensitive(bool aValue) {
        if (aValue == fCaseSensitive) return;
        fCaseSensitive = aValue;
        for (auto& it : fItems) it.Norm = Normalize(it.Key);
        Reindex();
    }

    std::size_t Count() const { return fItems.size(); }
    bool Empty() const { return fItems.empty(); }
    T* Objects(std::size_t i) const { return Items()[i].Obj; }
    const std::string& Keys(std::size_t i) const { return Items()[i].Key; }

    // Position of the first entry under aKey, or -1.
    int IndexOf(std::string_view aKey) const {
        const std::string norm = Normalize(aKey);
        const auto& items = Items();
        if (fSorted) {
            auto it = std::lower_bound(items.begin(), items.end(), norm,
                                       [](const Entry& e, const std::string& k) { return e.Norm < k; });
            if (it != items.end() && it->Norm == norm) return static_cast<int>(it - items.begin());
            return -1;
        }
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].Norm == norm) return static_cast<int>(i);
        return -1;
    }
    // The first object filed under aKey, or nullptr. O(1).
    T* Find(std::string_view aKey) const {
        auto it = fFirst.find(Normalize(aKey));
        return it == fFirst.end() ? nullptr : it->second;
    }
    int IndexOfObject(const T* aObj) const {
        const auto& items = Items();
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].Obj == aObj) return static_cast<int>(i);
        return -1;
    }

    // Files aObj under aKey. A sorted list refuses a key it already holds (returns false,
    // the object stays with the caller); an unsorted list appends.
    bool Add(const std::string& aKey, T* aObj) {
        Entry e{aKey, Normalize(aKey), aObj};
        if (fSorted && fFirst.count(e.Norm)) return false;
        fFirst.emplace(e.Norm, aObj);
        // Sorted lists are ordered on first positional access, so filing stays O(1).
        if (fSorted && !fItems.empty() && !(fItems.back().Norm < e.Norm)) fUnsorted = true;
        fItems.push_back(std::move(e));
        return true;
    }

    // Removes entry i; frees its object when the list owns its objects.
    void Delete(std::size_t i) {
        T* obj = Extract(i);
        if (fOwnsObjects) delete obj;
    }
    // Removes entry i without freeing its object; returns the object.
    T* Extract(std::size_t i) {
        Items();
        T* obj = fItems[i].Obj;
        fItems.erase(fItems.begin() + static_cast<std::ptrdiff_t>(i));
        RebuildFirst();
        return obj;
    }

    // Recomputes every key with keyOf(object) and re-sorts (a sorted list keeps the first
    // object of each key; later duplicates stay in the list after it).
    template <typename KeyOf>
    void ReKey(KeyOf keyOf) {
        Items();
        for (auto& it : fItems) {
            it.Key = keyOf(it.Obj);
            it.Norm = Normalize(it.Key);
        }
        Reindex();
    }

    // Empties the list; frees the objects when the list owns them. Objects are taken out
    // before they are freed, so a destructor that looks into the list sees no freed entry.
    void Clear() {
        std::vector<Entry> items;
        items.swap(fItems);
        fFirst.clear();
        fUnsorted = false;
        if (fOwnsObjects)
            for (auto it = items.rbegin(); it != items.rend(); ++it) delete it->Obj;
    }

    // Range over the objects, in list order.
    class iterator {
    public:
        using Inner = typename std::vector<Entry>::const_iterator;
        explicit iterator(Inner i) : fI(i) {}
        T* operator*() const { return fI->Obj; }
        iterator& operator++() {
            ++fI;
            return *this;
        }
        bool operator!=(const iterator& o) const { return fI != o.fI; }
        bool operator==(const iterator& o) const { return fI == o.fI; }

    private:
        Inner fI;
    };
    iterator begin() const { return iterator(Items().begin()); }
    iterator end() const { return iterator(Items().end()); }

private:
    std::string Normalize(std::string_view aKey) const {
        return fCaseSensitive ? std::string(aKey) : UpperCase(aKey);
    }
    // The entries in list order; a sorted list filed out of order is sorted first (stable,
    // so equal keys keep their filing order).
    const std::vector<Entry>& Items() const {
        if (fUnsorted) {
            std::stable_sort(fItems.begin(), fItems.end(),
                             [](const Entry& a, const Entry& b) { return a.Norm < b.Norm; });
            fUnsorted = false;
        }
        return fItems;
    }
    void RebuildFirst() {
        fFirst.clear();
        for (const auto& e : fItems) fFirst.emplace(e.Norm, e.Obj);
    }
    void Reindex() {
        if (fSorted) {
            fUnsorted = true;
            Items();
        }
        RebuildFirst();
    }

    bool fSorted;
    bool fCaseSensitive;
    bool fOwnsObjects;
    mutable std::vector<Entry> fItems;
    mutable bool fUnsorted = false;               // sorted list with entries out of order
    std::unordered_map<std::string, T*> fFirst;  // first object under each compared key
};

}  // namespace dbtwin
