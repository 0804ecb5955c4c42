// Text helpers shared by every unit: trimming, locale-independent case mapping, line
// splitting and UTF-8 handling. Library text is UTF-8; lines are joined with "\r\n".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dbtwin {

inline constexpr std::string_view CRLF = "\r\n";

// Removes blanks and line breaks (space, tab, CR, LF) at both ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Unicode simple case mapping, independent of the process locale.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);
// Case-insensitive equality after simple upper-casing.
bool SameText(std::string_view a, std::string_view b);
// Ordinal comparison after simple upper-casing: <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);

// Splits a text into lines at CR LF, LF or CR; a final line break adds no empty line.
std::vector<std::string> SplitLines(std::string_view s);
// Splits at every occurrence of sep; the piece after the last separator is kept even when empty.
std::vector<std::string> SplitString(std::string_view s, std::string_view sep);
// Each line followed by "\r\n".
std::string JoinLines(const std::vector<std::string>& lines);

// UTF-8 decoding and encoding. Malformed sequences (truncated, overlong, surrogates, past
// U+10FFFF) decode to U+FFFD, one byte at a time.
// The character at byte i of s; n receives the number of bytes it takes. ASCII is decoded
// inline: scanners call this for every character.
char32_t Utf8DecodeMultiByte(std::string_view s, std::size_t i, std::size_t& n);
inline char32_t Utf8DecodeAt(std::string_view s, std::size_t i, std::size_t& n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        n = 1;
        return c;
    }
    return Utf8DecodeMultiByte(s, i, n);
}
std::u32string Utf8Decode(std::string_view s);
void Utf8Append(std::string& out, char32_t c);
std::string Utf8Encode(std::u32string_view s);
bool IsValidUtf8(std::string_view s);
// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view s);

// Replaces every occurrence of from by to.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
bool StartsText(std::string_view prefix, std::string_view s);

}  // namespace dbtwin
