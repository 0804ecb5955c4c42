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

void TObjKeyedList::SetKey(Entry& e, std::string aKey) const {
    e.Key = std::move(aKey);
    e.Norm.clear();
    if (!fCaseSensitive) {
        bool upper = true;
        for (unsigned char c : e.Key)
            if (c >= 0x80 || (c >= 'a' && c <= 'z')) {
                upper = false;
                break;
            }
        if (!upper) {
            std::string norm = UpperCase(e.Key);
            if (norm != e.Key) e.Norm = std::move(norm);
        }
    }
    e.Hash = HashBytes(e.Compared());
}

template <typename Eq>
std::size_t TObjKeyedList::Probe(std::uint32_t aHash, Eq eq) const {
    const std::size_t mask = fSlots.size() - 1;
    std::size_t s = aHash & mask;
    while (fSlots[s] != 0) {
        const Entry& e = fItems[fSlots[s] - 1];
        if (e.Hash == aHash && eq(e.Compared())) return s;
        s = (s + 1) & mask;
    }
    return s;
}

void TObjKeyedList::IndexEntry(std::size_t aPos) const {
    if (fSlots.size() < 2 * fItems.size()) {
        RebuildIndex();
        return;
    }
    const Entry& e = fItems[aPos];
    const std::string& key = e.Compared();
    std::size_t s = Probe(e.Hash, [&](const std::string& k) { return k == key; });
    if (fSlots[s] == 0) fSlots[s] = static_cast<std::uint32_t>(aPos + 1);
}

void TObjKeyedList::RebuildIndex() const {
    std::size_t size = 16;
    while (size < 2 * fItems.size()) size *= 2;
    fSlots.assign(size, 0);
    for (std::size_t i = 0; i < fItems.size(); ++i) {
        const Entry& e = fItems[i];
        const std::string& key = e.Compared();
        std::size_t s = Probe(e.Hash, [&](const std::string& k) { return k == key; });
        if (fSlots[s] == 0) fSlots[s] = static_cast<std::uint32_t>(i + 1);
    }
}

void TObjKeyedList::SortItems() const {
    std::stable_sort(fItems.begin(), fItems.end(),
                     [](const Entry& a, const Entry& b) { return a.Compared() < b.Compared(); });
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

int TObjKeyedList::IndexOf(std::string_view aKey) const {
    Items();
    return static_cast<int>(PositionOf(aKey)) - 1;
}

std::uint32_t TObjKeyedList::PositionOf(std::string_view aKey) const {
    if (fItems.empty()) return 0;
    std::size_t s;
    if (fCaseSensitive) {
        s = Probe(HashBytes(aKey), [&](const std::string& k) { return k == aKey; });
    } else if (IsAscii(aKey)) {
        // Hash and compare the upper-cased key as it is read: no copy.
        std::uint32_t h = kFnvBasis;
        for (char c : aKey) h = (h ^ static_cast<unsigned char>(AsciiUpper(c))) * kFnvPrime;
        s = Probe(h, [&](const std::string& k) {
            if (k.size() != aKey.size()) return false;
            for (std::size_t i = 0; i < k.size(); ++i)
                if (k[i] != AsciiUpper(aKey[i])) return false;
            return true;
        });
    } else {
        const std::string norm = UpperCase(aKey);
        s = Probe(HashBytes(norm), [&](const std::string& k) { return k == norm; });
    }
    return fSlots[s];
}

int TObjKeyedList::IndexOfObject(const TObject* aObj) const {
    const auto& items = Items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Obj == aObj) return static_cast<int>(i);
    return -1;
}

bool TObjKeyedList::AddObject(std::string aKey, TObject* aObj) {
    Entry e{std::string(), std::string(), aObj, 0};
    SetKey(e, std::move(aKey));
    if (fSorted && !fItems.empty()) {
        const std::string& key = e.Compared();
        if (fSlots[Probe(e.Hash, [&](const std::string& k) { return k == key; })] != 0) return false;
        // Sorted lists are ordered on first positional access, so filing stays O(1).
        if (!fUnsorted && !(fItems.back().Compared() < key)) fUnsorted = true;
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
    if (fOwnsObjects)
        for (auto it = items.rbegin(); it != items.rend(); ++it) delete it->Obj;
}

}  // namespace dbtwin
