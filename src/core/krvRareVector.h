// A vector that most records leave empty: one pointer wide, the elements on the heap once the
// first is added. It offers the vector operations the records use, with valid (empty) ranges
// while unset.
#pragma once

#include <memory>
#include <vector>

namespace dbtwin {

template <typename T>
class TRareVector {
    using V = std::vector<T>;

public:
    using value_type = T;
    using iterator = typename V::iterator;
    using const_iterator = typename V::const_iterator;

    TRareVector() = default;
    TRareVector(TRareVector&&) noexcept = default;
    TRareVector& operator=(TRareVector&&) noexcept = default;
    TRareVector(const TRareVector& o) : fV(o.fV ? std::make_unique<V>(*o.fV) : nullptr) {}
    TRareVector& operator=(const TRareVector& o) {
        if (this != &o) fV = o.fV && !o.fV->empty() ? std::make_unique<V>(*o.fV) : nullptr;
        return *this;
    }
    TRareVector(std::initializer_list<T> l) {
        if (l.size()) fV = std::make_unique<V>(l);
    }

    // The elements; a shared empty vector while unset.
    const V& vec() const { return fV ? *fV : Empty(); }
    V& edit() {
        if (!fV) fV = std::make_unique<V>();
        return *fV;
    }

    bool empty() const { return !fV || fV->empty(); }
    std::size_t size() const { return fV ? fV->size() : 0; }
    iterator begin() { return fV ? fV->begin() : iterator(); }
    iterator end() { return fV ? fV->end() : iterator(); }
    const_iterator begin() const { return fV ? fV->cbegin() : const_iterator(); }
    const_iterator end() const { return fV ? fV->cend() : const_iterator(); }
    T& operator[](std::size_t i) { return (*fV)[i]; }
    const T& operator[](std::size_t i) const { return (*fV)[i]; }
    T& front() { return fV->front(); }
    const T& front() const { return fV->front(); }
    T& back() { return fV->back(); }
    const T& back() const { return fV->back(); }

    void push_back(const T& v) { edit().push_back(v); }
    void push_back(T&& v) { edit().push_back(std::move(v)); }
    template <typename... A>
    T& emplace_back(A&&... a) {
        return edit().emplace_back(std::forward<A>(a)...);
    }
    iterator erase(const_iterator i) { return fV->erase(i); }
    iterator erase(const_iterator b, const_iterator e) { return b == e ? iterator() : fV->erase(b, e); }
    void pop_back() { fV->pop_back(); }
    void clear() { fV.reset(); }
    void swap(TRareVector& o) noexcept { fV.swap(o.fV); }

    friend bool operator==(const TRareVector& a, const TRareVector& b) { return a.vec() == b.vec(); }

private:
    static const V& Empty() {
        static const V empty;
        return empty;
    }
    std::unique_ptr<V> fV;
};

}  // namespace dbtwin
