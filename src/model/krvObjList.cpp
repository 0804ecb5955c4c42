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

void TObjKeyedList::SetKey(std::size_t i, std::string aKey) const {
    fKeys[i] = std::move(aKey);
    fHashes[i] = HashOf(fKeys[i]);
}

// Lists of up to this many entries are searched in order instead of through a slot table:
// most lists (the columns of an index, a key, a table) are that small, and the table would
// cost them an allocation and more memory than their entries.
constexpr std::size_t kLinearMax = 8;

std::uint32_t TObjKeyedList::LinearPosition(std::uint32_t aHash, std::string_view aKey, std::size_t aEnd) const {
    for (std::size_t i = 0; i < aEnd; ++i)
        if (fHashes[i] == aHash && KeyEqual(fKeys[i], aKey)) return static_cast<std::uint32_t>(i + 1);
    return 0;
}

template <typename Eq>
std::size_t TObjKeyedList::Probe(std::uint32_t aHash, Eq eq) const {
    const std::size_t mask = fSlots.size() - 1;
    std::size_t s = aHash & mask;
    while (fSlots[s] != 0) {
        const std::size_t pos = fSlots[s] - 1;
        if (fHashes[pos] == aHash && eq(fKeys[pos])) return s;
        s = (s + 1) & mask;
    }
    return s;
}

void TObjKeyedList::IndexEntry(std::size_t aPos) const {
    if (fObjects.size() <= kLinearMax) {
        if (LinearPosition(fHashes[aPos], fKeys[aPos], aPos)) fDuplicates = true;
        return;
    }
    if (fSlots.size() < fObjects.size() + fObjects.size() / 2) {
        RebuildIndex();
        return;
    }
    const std::string& key = fKeys[aPos];
    std::size_t s = Probe(fHashes[aPos], [&](const std::string& k) { return KeyEqual(k, key); });
    if (fSlots[s] == 0) fSlots[s] = static_cast<std::uint32_t>(aPos + 1);
    else fDuplicates = true;
}

void TObjKeyedList::RebuildIndex() const {
    if (fObjects.size() <= kLinearMax) {
        fSlots.clear();
        fSlots.shrink_to_fit();
        fDuplicates = false;
        for (std::size_t i = 1; i < fObjects.size() && !fDuplicates; ++i)
            if (LinearPosition(fHashes[i], fKeys[i], i)) fDuplicates = true;
        return;
    }
    std::size_t size = 16;
    while (size < fObjects.size() + fObjects.size() / 2) size *= 2;
    fSlots.assign(size, 0);
    fDuplicates = false;
    for (std::size_t i = 0; i < fObjects.size(); ++i) {
        const std::string& key = fKeys[i];
        std::size_t s = Probe(fHashes[i], [&](const std::string& k) { return KeyEqual(k, key); });
        if (fSlots[s] == 0) fSlots[s] = static_cast<std::uint32_t>(i + 1);
        else fDuplicates = true;
    }
}

void TObjKeyedList::SortItems() const {
    // Stable: equal keys keep their filing order. The three arrays follow one permutation.
    std::vector<std::uint32_t> order(fObjects.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(order.begin(), order.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return KeyLess(fKeys[a], fKeys[b]); });
    std::vector<TObject*> objects(order.size());
    std::vector<std::string> keys(order.size());
    std::vector<std::uint32_t> hashes(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        objects[i] = fObjects[order[i]];
        keys[i] = std::move(fKeys[order[i]]);
        hashes[i] = fHashes[order[i]];
    }
    fObjects.swap(objects);
    fKeys.swap(keys);
    fHashes.swap(hashes);
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
    for (std::size_t i = 0; i < fKeys.size(); ++i) fHashes[i] = HashOf(fKeys[i]);
    Reindex();
}

// Lookup does not sort a sorted list filed out of order: the index holds positions in the
// current order, so filing with a lookup before each add stays linear.
TObject* TObjKeyedList::FindObject(std::string_view aKey) const {
    std::uint32_t pos = PositionOf(aKey);
    return pos ? fObjects[pos - 1] : nullptr;
}

TObject* TObjKeyedList::FindObjectNear(std::string_view aKey, std::size_t& aHint) const {
    // Without duplicate keys the entry at the hint, when it matches, is the first under the key.
    if (!fDuplicates && aHint < fObjects.size() && KeyEqual(fKeys[aHint], aKey)) return fObjects[aHint++];
    const std::uint32_t pos = PositionOf(aKey);
    if (!pos) return nullptr;
    aHint = pos;
    return fObjects[pos - 1];
}

int TObjKeyedList::IndexOf(std::string_view aKey) const {
    ObjectList();
    return static_cast<int>(PositionOf(aKey)) - 1;
}

std::uint32_t TObjKeyedList::PositionOf(std::string_view aKey) const {
    if (fObjects.empty()) return 0;
    if (fSlots.empty()) return LinearPosition(HashOf(aKey), aKey, fObjects.size());
    return fSlots[Probe(HashOf(aKey), [&](const std::string& k) { return KeyEqual(k, aKey); })];
}

int TObjKeyedList::IndexOfObject(const TObject* aObj) const {
    const auto& objects = ObjectList();
    for (std::size_t i = 0; i < objects.size(); ++i)
        if (objects[i] == aObj) return static_cast<int>(i);
    return -1;
}

bool TObjKeyedList::AddObject(std::string aKey, TObject* aObj) {
    const std::uint32_t hash = HashOf(aKey);
    if (fSorted && !fObjects.empty()) {
        if (fSlots.empty() ? LinearPosition(hash, aKey, fObjects.size()) != 0
                           : fSlots[Probe(hash, [&](const std::string& k) { return KeyEqual(k, aKey); })] != 0)
            return false;
        // Sorted lists are ordered on first positional access, so filing stays O(1).
        if (!fUnsorted && !KeyLess(fKeys.back(), aKey)) fUnsorted = true;
    }
    fObjects.push_back(aObj);
    fKeys.push_back(std::move(aKey));
    fHashes.push_back(hash);
    IndexEntry(fObjects.size() - 1);
    return true;
}

void TObjKeyedList::Delete(std::size_t i) {
    TObject* obj = ExtractObject(i);
    if (fOwnsObjects) delete obj;
}

TObject* TObjKeyedList::ExtractObject(std::size_t i) {
    ObjectList();
    TObject* obj = fObjects[i];
    const auto at = static_cast<std::ptrdiff_t>(i);
    fObjects.erase(fObjects.begin() + at);
    fKeys.erase(fKeys.begin() + at);
    fHashes.erase(fHashes.begin() + at);
    RebuildIndex();
    return obj;
}

void TObjKeyedList::Clear() {
    std::vector<TObject*> objects;
    objects.swap(fObjects);
    fKeys.clear();
    fKeys.shrink_to_fit();
    fHashes.clear();
    fHashes.shrink_to_fit();
    fSlots.clear();
    fSlots.shrink_to_fit();
    fUnsorted = false;
    fDuplicates = false;
    if (fOwnsObjects)
        for (auto it = objects.rbegin(); it != objects.rend(); ++it) delete *it;
}

}  // namespace dbtwin
