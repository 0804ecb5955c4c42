#include "model/krvObjList.h"

#include <algorithm>

#include "core/krvStrUtils.h"

namespace dbtwin {

namespace {

constexpr std::uint32_t kFnvBasis = 2166136261u;
constexpr std::uint32_t kFnvPrime = 16777619u;

std::uint32_t HashBytes(std::string_view s) {
    std::uint32_t h = kFnvBasis;
    for (unsigned char c : s) h = (h ^ c) * kFnvPrime;
    return h;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

// Case-insensitive keys are compared and hashed as if upper-cased; ASCII keys are folded as
// they are read, others through UpperCase.
std::uint32_t TObjKeyedList::HashOf(std::string_view aKey) const {
    if (fCaseSensitive) return HashBytes(aKey);
    if (!IsAscii(aKey)) return HashBytes(UpperCase(aKey));
    std::uint32_t h = kFnvBasis;
    for (char c : aKey) h = (h ^ static_cast<unsigned char>(AsciiUpper(c))) * kFnvPrime;
    return h;
}

bool TObjKeyedList::KeyEqual(std::string_view a, std::string_view b) const {
    if (fCaseSensitive) return a == b;
    if (IsAscii(a) && IsAscii(b)) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
        return true;
    }
    return UpperCase(a) == UpperCase(b);
}

bool TObjKeyedList::KeyLess(const std::string& a, const std::string& b) const {
    if (fCaseSensitive) return a < b;
    if (IsAscii(a) && IsAscii(b)) {
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char x = static_cast<unsigned char>(AsciiUpper(a[i]));
            const unsigned char y = static_cast<unsigned char>(AsciiUpper(b[i]));
            if (x != y) return x < y;
        }
        return a.size() < b.size();
    }
    return UpperCase(a) < UpperCase(b);
}

void TObjKeyedList::SetKey(Entry& e, std::string aKey) const {
    e.Key = std::move(aKey);
    e.Hash = HashOf(e.Key);
}

template <typename Eq>
std::size_t TObjKeyedList::Probe(std::uint32_t aHash, Eq eq) const {
    const std::size_t mask = fSlots.size() - 1;
    std::size_t s = aHash & mask;
    while (fSlots[s] != 0) {
        const Entry& e = fItems[fSlots[s] - 1];
        if (e.Hash == aHash && eq(e.Key)) return s;
        s = (s + 1) & mask;
    }
    return s;
}

void TObjKeyedList::IndexEntry(std::size_t aPos) const {
    if (fSlots.size() < fItems.size() + fItems.size() / 2) {
        RebuildIndex();
        return;
    }
    const Entry& e = fItems[aPos];
    std::size_t s = Probe(e.Hash, [&](const std::string& k) { return KeyEqual(k, e.Key); });
    if (fSlots[s] == 0) fSlots[s] = static_cast<std::uint32_t>(aPos + 1);
    else fDuplicates = true;
}

void TObjKeyedList::RebuildIndex() const {
    std::size_t size = 16;
    while (size < fItems.size() + fItems.size() / 2) size *= 2;
    fSlots.assign(size, 0);
    fDuplicates = false;
    for (std::size_t i = 0; i < fItems.size(); ++i) {
        const Entry& e = fItems[i];
        std::size_t s = Probe(e.Hash, [&](const std::string& k) { return KeyEqual(k, e.Key); });
        if (fSlots[s] == 0) fSlots[s] = static_cast<std::uint32_t>(i + 1);
        else fDuplicates = true;
    }
}

void TObjKeyedList::SortItems() const {
    std::stable_sort(fItems.begin(), fItems.end(),
                     [this](const Entry& a, const Entry& b) { return KeyLess(a.Key, b.Key); });
    fUnsorted = false;
    RebuildIndex();
}

void TObjKeyedList::Reindex() {
    if (fSorted) SortItems();
    else RebuildIndex();
}

void TObjKeyedList::SetCaseSensitive(bool aValue) {
    if (aValue == fCaseSensitive) return;
    fCaseSensitive = aValue;
    for (auto& it : fItems) SetKey(it, std::move(it.Key));
    Reindex();
}

// Lookup does not sort a sorted list filed out of order: the index holds positions in the
// current order, so filing with a lookup before each add stays linear.
TObject* TObjKeyedList::FindObject(std::string_view aKey) const {
    std::uint32_t pos = PositionOf(aKey);
    return pos ? fItems[pos - 1].Obj : nullptr;
}

TObject* TObjKeyedList::FindObjectNear(std::string_view aKey, std::size_t& aHint) const {
    // Without duplicate keys the entry at the hint, when it matches, is the first under the key.
    if (!fDuplicates && aHint < fItems.size() && KeyEqual(fItems[aHint].Key, aKey)) return fItems[aHint++].Obj;
    const std::uint32_t pos = PositionOf(aKey);
    if (!pos) return nullptr;
    aHint = pos;
    return fItems[pos - 1].Obj;
}

int TObjKeyedList::IndexOf(std::string_view aKey) const {
    Items();
    return static_cast<int>(PositionOf(aKey)) - 1;
}

std::uint32_t TObjKeyedList::PositionOf(std::string_view aKey) const {
    if (fItems.empty()) return 0;
    return fSlots[Probe(HashOf(aKey), [&](const std::string& k) { return KeyEqual(k, aKey); })];
}

int TObjKeyedList::IndexOfObject(const TObject* aObj) const {
    const auto& items = Items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Obj == aObj) return static_cast<int>(i);
    return -1;
}

bool TObjKeyedList::AddObject(std::string aKey, TObject* aObj) {
    Entry e{std::string(), aObj, 0};
    SetKey(e, std::move(aKey));
    if (fSorted && !fItems.empty()) {
        if (fSlots[Probe(e.Hash, [&](const std::string& k) { return KeyEqual(k, e.Key); })] != 0) return false;
        // Sorted lists are ordered on first positional access, so filing stays O(1).
        if (!fUnsorted && !KeyLess(fItems.back().Key, e.Key)) fUnsorted = true;
    }
    fItems.push_back(std::move(e));
    IndexEntry(fItems.size() - 1);
    return true;
}

void TObjKeyedList::Delete(std::size_t i) {
    TObject* obj = ExtractObject(i);
    if (fOwnsObjects) delete obj;
}

TObject* TObjKeyedList::ExtractObject(std::size_t i) {
    Items();
    TObject* obj = fItems[i].Obj;
    fItems.erase(fItems.begin() + static_cast<std::ptrdiff_t>(i));
    RebuildIndex();
    return obj;
}

void TObjKeyedList::Clear() {
    std::vector<Entry> items;
    items.swap(fItems);
    fSlots.clear();
    fUnsorted = false;
    fDuplicates = false;
    if (fOwnsObjects)
        for (auto it = items.rbegin(); it != items.rend(); ++it) delete it->Obj;
}

}  // namespace dbtwin
