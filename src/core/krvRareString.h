// A string that most records leave empty: one pointer wide, the text on the heap once set.
// It reads as a const std::string (empty while unset) and takes what a string takes, so a
// record can hold many optional texts without paying 32 bytes for each.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace dbtwin {

class TRareString {
public:
    TRareString() = default;
    TRareString(const std::string& s) { Assign(s); }
    TRareString(std::string&& s) { Assign(std::move(s)); }
    TRareString(const char* s) { Assign(std::string_view(s)); }
    TRareString(std::string_view s) { Assign(s); }
    TRareString(const TRareString& o) { Assign(o.str()); }
    TRareString(TRareString&&) noexcept = default;
    TRareString& operator=(const TRareString& o) {
        if (this != &o) Assign(o.str());
        return *this;
    }
    TRareString& operator=(TRareString&&) noexcept = default;
    TRareString& operator=(const std::string& s) { return Assign(s); }
    TRareString& operator=(std::string&& s) { return Assign(std::move(s)); }
    TRareString& operator=(const char* s) { return Assign(std::string_view(s)); }
    TRareString& operator=(std::string_view s) { return Assign(s); }

    // The text; a shared empty string while unset.
    const std::string& str() const { return fText ? *fText : Empty(); }
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }
    // The text for changing in place.
    std::string& edit() {
        if (!fText) fText = std::make_unique<std::string>();
        return *fText;
    }

    bool empty() const { return !fText || fText->empty(); }
    std::size_t size() const { return str().size(); }
    std::size_t length() const { return str().size(); }
    const char* c_str() const { return str().c_str(); }
    const char* data() const { return str().data(); }
    char operator[](std::size_t i) const { return str()[i]; }
    char front() const { return str().front(); }
    char back() const { return str().back(); }
    std::string::const_iterator begin() const { return str().begin(); }
    std::string::const_iterator end() const { return str().end(); }
    std::size_t find(std::string_view s, std::size_t pos = 0) const { return str().find(s, pos); }
    std::size_t find(char c, std::size_t pos = 0) const { return str().find(c, pos); }
    std::string substr(std::size_t pos, std::size_t n = std::string::npos) const { return str().substr(pos, n); }
    int compare(std::string_view s) const { return str().compare(s); }
    bool starts_with(std::string_view s) const { return str().starts_with(s); }
    bool ends_with(std::string_view s) const { return str().ends_with(s); }

    void clear() { fText.reset(); }
    TRareString& operator+=(std::string_view s) {
        if (!s.empty()) edit() += s;
        return *this;
    }
    TRareString& operator+=(char c) {
        edit() += c;
        return *this;
    }

    friend bool operator==(const TRareString& a, const TRareString& b) { return a.str() == b.str(); }
    friend bool operator==(const TRareString& a, std::string_view b) { return a.str() == b; }
    friend bool operator==(const TRareString& a, const std::string& b) { return a.str() == b; }
    friend bool operator==(const TRareString& a, const char* b) { return a.str() == b; }
    friend auto operator<=>(const TRareString& a, const TRareString& b) { return a.str() <=> b.str(); }

    friend std::string operator+(const TRareString& a, std::string_view b) { return a.str() + std::string(b); }
    friend std::string operator+(const TRareString& a, const std::string& b) { return a.str() + b; }
    friend std::string operator+(const TRareString& a, const char* b) { return a.str() + b; }
    friend std::string operator+(const TRareString& a, char b) { return a.str() + b; }
    friend std::string operator+(const TRareString& a, const TRareString& b) { return a.str() + b.str(); }
    friend std::string operator+(const std::string& a, const TRareString& b) { return a + b.str(); }
    friend std::string operator+(std::string&& a, const TRareString& b) { return std::move(a) + b.str(); }
    friend std::string operator+(const char* a, const TRareString& b) { return a + b.str(); }
    friend std::string operator+(char a, const TRareString& b) { return a + b.str(); }
    friend std::ostream& operator<<(std::ostream& os, const TRareString& s) { return os << s.str(); }

private:
    static const std::string& Empty() {
        static const std::string empty;
        return empty;
    }
    template <typename S>
    TRareString& Assign(S&& s) {
        if (std::string_view(s).empty()) fText.reset();
        else if (fText) *fText = std::forward<S>(s);
        else fText = std::make_unique<std::string>(std::forward<S>(s));
        return *this;
    }

    std::unique_ptr<std::string> fText;
};

}  // namespace dbtwin
