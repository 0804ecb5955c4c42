#include "core/krvStrUtils.h"

#include <locale.h>
#include <wctype.h>

namespace dbtwin {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A C.UTF-8 locale object for towupper_l/towlower_l, so case mapping never depends on LANG.
locale_t CaseLocale() {
    static locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (!l) l = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(0));
        return l;
    }();
    return loc;
}

template <typename Map>
std::string MapCase(std::string_view s, Map map, bool aUpper) {
    std::string out;
    // ASCII text, the common case, is mapped in place without decoding.
    bool ascii = true;
    for (unsigned char c : s)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        out.assign(s);
        const char from = aUpper ? 'a' : 'A';
        for (char& c : out)
            if (c >= from && c <= from + 25) c = static_cast<char>(aUpper ? c - 32 : c + 32);
        return out;
    }
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(map(c)));
            ++i;
            continue;
        }
        // Decode one multi-byte character; keep malformed bytes as they are.
        std::size_t n;
        char32_t cp = Utf8DecodeAt(s, i, n);
        if (n > 1) Utf8Append(out, map(cp));
        else out.push_back(s[i]);
        i += n;
    }
    return out;
}

}  // namespace

std::string Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    std::size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

char32_t UpperChar(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    locale_t loc = CaseLocale();
    return loc ? static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), loc)) : c;
}

char32_t LowerChar(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    locale_t loc = CaseLocale();
    return loc ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc)) : c;
}

std::string UpperCase(std::string_view s) { return MapCase(s, UpperChar, true); }
std::string LowerCase(std::string_view s) { return MapCase(s, LowerChar, false); }

int CompareText(std::string_view a, std::string_view b) {
    std::string ua = UpperCase(a), ub = UpperCase(b);
    int r = ua.compare(ub);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && a == b) return true;
    return UpperCase(a) == UpperCase(b);
}

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> lines;
    std::size_t start = 0, i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(s.substr(start, i - start));
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < s.size()) lines.emplace_back(s.substr(start));
    return lines;
}

std::vector<std::string> SplitString(std::string_view s, std::string_view sep) {
    std::vector<std::string> parts;
    if (sep.empty()) {
        parts.emplace_back(s);
        return parts;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t p = s.find(sep, start);
        if (p == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            break;
        }
        parts.emplace_back(s.substr(start, p - start));
        start = p + sep.size();
    }
    return parts;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::size_t n = 0;
    for (const auto& l : lines) n += l.size() + 2;
    std::string out;
    out.reserve(n);
    for (const auto& l : lines) {
        out += l;
        out += CRLF;
    }
    return out;
}

char32_t Utf8DecodeMultiByte(std::string_view s, std::size_t i, std::size_t& n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    n = 1;
    char32_t cp;
    std::size_t len;
    if ((c & 0xE0) == 0xC0) {
        cp = c & 0x1F;
        len = 2;
    } else if ((c & 0xF0) == 0xE0) {
        cp = c & 0x0F;
        len = 3;
    } else if ((c & 0xF8) == 0xF0) {
        cp = c & 0x07;
        len = 4;
    } else {
        return 0xFFFD;
    }
    if (i + len > s.size()) return 0xFFFD;
    for (std::size_t k = 1; k < len; ++k) {
        const unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (cc & 0x3F);
    }
    static constexpr char32_t kMinByLen[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinByLen[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    n = len;
    return cp;
}

std::u32string Utf8Decode(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0, n = 0; i < s.size(); i += n) out.push_back(Utf8DecodeAt(s, i, n));
    return out;
}

void Utf8Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string Utf8Encode(std::u32string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s) Utf8Append(out, c);
    return out;
}

bool IsValidUtf8(std::string_view s) {
    // Only a valid multi-byte sequence decodes to more than one byte.
    for (std::size_t i = 0, n = 0; i < s.size(); i += n)
        {
        Utf8DecodeAt(s, i, n);
        if (n == 1 && static_cast<unsigned char>(s[i]) >= 0x80) return false;
    }
    return true;
}

std::size_t Utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(s);
    std::string out;
    out.reserve(s.size());
    std::size_t start = 0;
    for (;;) {
        std::size_t p = s.find(from, start);
        if (p == std::string_view::npos) break;
        out.append(s.substr(start, p - start));
        out.append(to);
        start = p + from.size();
    }
    out.append(s.substr(start));
    return out;
}

bool StartsText(std::string_view prefix, std::string_view s) {
    if (s.size() < prefix.size()) return false;
    return SameText(prefix, s.substr(0, prefix.size()));
}

}  // namespace dbtwin
