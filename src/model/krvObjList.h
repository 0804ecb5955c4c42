// A keyed list of objects: every kind list of an object set, and a table's columns.
// Sorted lists keep their entries in key order (ordinal by code point; case-insensitive
// lists compare after simple upper-casing) and keep the first object filed under a key.
// Unsorted lists keep insertion order and look keys up through an index.
//
// TObjKeyedList does the work on TObject pointers, so filing, lookup, iteration and
// freeing need no complete object class; TKeyedList<T> is its typed face.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/krvTypes.h"

namespace dbtwin {

class TObjKeyedList {
public:
    TObjKeyedList(bool aSorted, bool aCaseSensitive, bool aOwnsObjects)
        : fSorted(aSorted), fCaseSensitive(aCaseSensitive), fOwnsObjects(aOwnsObjects) {}
    ~TObjKeyedList() { Clear(); }
    TObjKeyedList(const TObjKeyedList&) = delete;
    TObjKeyedList& operator=(const TObjKeyedList&) = delete;

    bool Sorted() const { return fSorted; }
    bool CaseSensitive() const { return fCaseSensitive; }
    bool OwnsObjects() const { return fOwnsObjects; }

    // Switching case sensitivity re-sorts a sorted list and rebuilds the index.
    void SetCaseSensitive(bool aValue);

    std::size_t Count() const { return fObjects.size(); }
    bool Empty() const { return fObjects.empty(); }
    TObject* ObjectAt(std::size_t i) const { return ObjectList()[i]; }
    const std::string& Keys(std::size_t i) const {
        ObjectList();
        return fKeys[i];
    }

    // Position of the first entry under aKey, or -1.
    int IndexOf(std::string_view aKey) const;
    // The first object filed under aKey, or nullptr. O(1), no allocation for ASCII keys.
    TObject* FindObject(std::string_view aKey) const;
    int IndexOfObject(const TObject* aObj) const;
    // FindObject for loops that walk a list in the order of a similar one: tries position
    // aHint first (the first entry under the key is found either way), then sets aHint to
    // the position after the one found.
    TObject* FindObjectNear(std::string_view aKey, std::size_t& aHint) const;

    // Files aObj under aKey. A sorted list refuses a key it already holds (returns false,
    // the object stays with the caller); an unsorted list appends.
    bool AddObject(std::string aKey, TObject* aObj);

    // Removes entry i; frees its object when the list owns its objects.
    void Delete(std::size_t i);
    // Removes entry i without freeing its object; returns the object.
    TObject* ExtractObject(std::size_t i);

    // Recomputes every key with keyOf(object) and re-sorts (a sorted list keeps the first
    // object of each key; later duplicates stay in the list after it).
    template <typename KeyOf>
    void ReKeyObjects(KeyOf keyOf) {
        ObjectList();
        for (std::size_t i = 0; i < fObjects.size(); ++i) SetKey(i, keyOf(fObjects[i]));
        Reindex();
    }

    // Empties the list; frees the objects when the list owns them. Objects are taken out
    // before they are freed, so a destructor that looks into the list sees no freed entry.
    void Clear();

    // Range over the objects, in list order, as U (the list's class or a base of it).
    template <typename U>
    class basic_iterator {
    public:
        using Inner = std::vector<TObject*>::const_iterator;
        explicit basic_iterator(Inner i) : fI(i) {}
        U* operator*() const { return static_cast<U*>(*fI); }
        basic_iterator& operator++() {
            ++fI;
            return *this;
        }
        bool operator!=(const basic_iterator& o) const { return fI != o.fI; }
        bool operator==(const basic_iterator& o) const { return fI == o.fI; }

    private:
        Inner fI;
    };
    template <typename U>
    struct Range {
        basic_iterator<U> b, e;
        basic_iterator<U> begin() const { return b; }
        basic_iterator<U> end() const { return e; }
    };
    // The objects seen as U, which the list's class must derive from.
    template <typename U>
    Range<U> As() const {
        const auto& objects = ObjectList();
        return {basic_iterator<U>(objects.begin()), basic_iterator<U>(objects.end())};
    }

protected:
    // The objects in list order; a sorted list filed out of order is sorted first.
    const std::vector<TObject*>& ObjectList() const {
        if (fUnsorted) SortItems();
        return fObjects;
    }

private:
    void SetKey(std::size_t i, std::string aKey) const;
    // The keys as this list compares them.
    std::uint32_t HashOf(std::string_view aKey) const;
    bool KeyLess(const std::string& a, const std::string& b) const;
    bool KeyEqual(std::string_view a, std::string_view b) const;
    void SortItems() const;
    void Reindex();
    void RebuildIndex() const;
    // Slot of the first entry under the compared key (hash aHash); the index of an empty slot
    // when none.
    template <typename Eq>
    std::size_t Probe(std::uint32_t aHash, Eq eq) const;
    void IndexEntry(std::size_t aPos) const;
    // Position + 1 of the first entry under aKey in the current order; 0 when none.
    std::uint32_t PositionOf(std::string_view aKey) const;
    // 1 + the first of the entries before aEnd filed under the key; 0 when none is.
    std::uint32_t LinearPosition(std::uint32_t aHash, std::string_view aKey, std::size_t aEnd) const;

    bool fSorted;
    bool fCaseSensitive;
    bool fOwnsObjects;
    mutable bool fUnsorted = false;  // sorted list with entries out of order
    mutable bool fDuplicates = false;  // some key is filed more than once
    // The entries as parallel arrays, so that a walk over the objects reads only pointers.
    mutable std::vector<TObject*> fObjects;
    mutable std::vector<std::string> fKeys;
    mutable std::vector<std::uint32_t> fHashes;  // of the keys as compared (upper-cased when case-insensitive)
    // Open-addressing index: position + 1 of the first entry under each compared key; 0 = empty.
    mutable std::vector<std::uint32_t> fSlots;
};

template <typename T>
class TKeyedList : public TObjKeyedList {
public:
    using TObjKeyedList::TObjKeyedList;

    T* Objects(std::size_t i) const { return static_cast<T*>(ObjectAt(i)); }
    T* Find(std::string_view aKey) const { return static_cast<T*>(FindObject(aKey)); }
    T* FindNear(std::string_view aKey, std::size_t& aHint) const {
        return static_cast<T*>(FindObjectNear(aKey, aHint));
    }
    int IndexOfObject(const T* aObj) const { return TObjKeyedList::IndexOfObject(aObj); }
    bool Add(std::string aKey, T* aObj) { return AddObject(std::move(aKey), aObj); }
    T* Extract(std::size_t i) { return static_cast<T*>(ExtractObject(i)); }
    template <typename KeyOf>
    void ReKey(KeyOf keyOf) {
        ReKeyObjects([&](TObject* o) { return keyOf(static_cast<T*>(o)); });
    }

    using iterator = basic_iterator<T>;
    iterator begin() const { return iterator(ObjectList().begin()); }
    iterator end() const { return iterator(ObjectList().end()); }
};

}  // namespace dbtwin
