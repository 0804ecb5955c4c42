// Keyword tables of the SQL dialects: the symbol codes they are numbered in, the entry
// types of the tables (generated at build time from the data files of core/keywords),
// lookup indexes over them, and the helpers the identifier quoting routines share.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "core/krvDBOptions.h"
#include "core/krvTypes.h"

namespace dbtwin {

// A symbol code of the parsers and keyword tables: 0..29 are the core symbols, dialect
// keywords use 30 and above.
using TSymbol = std::uint8_t;

// Core symbol codes, the same in every dialect.
inline constexpr TSymbol syEOF = 0;            // end of text, or no symbol recognised
inline constexpr TSymbol syIdent = 1;          // identifier (also: a word that is no keyword)
inline constexpr TSymbol syFloat = 2;          // number with a decimal point or an exponent
inline constexpr TSymbol syString = 3;         // quoted string
inline constexpr TSymbol syInteger = 4;        // integer that fits 64 bits
inline constexpr TSymbol syLParent = 5;        // (
inline constexpr TSymbol syRParent = 6;        // )
inline constexpr TSymbol syComma = 7;          // ,
inline constexpr TSymbol syMinus = 8;          // -
inline constexpr TSymbol syPlus = 9;           // +
inline constexpr TSymbol syMul = 10;           // *
inline constexpr TSymbol syDiv = 11;           // /
inline constexpr TSymbol syTerm = 12;          // the statement terminator (CheckTermStr)
inline constexpr TSymbol sySemicolon = 13;     // ; that is not the terminator
inline constexpr TSymbol syEqual = 14;         // =
inline constexpr TSymbol syPoint = 15;         // .
inline constexpr TSymbol syColon = 16;         // :
inline constexpr TSymbol syConcat = 17;        // ||
inline constexpr TSymbol syLess = 18;          // <
inline constexpr TSymbol syGreater = 19;       // >
inline constexpr TSymbol syLessEqual = 20;     // <=
inline constexpr TSymbol syGreaterEqual = 21;  // >=
inline constexpr TSymbol syNotEqual = 22;      // <> or !=
inline constexpr TSymbol syDblEqual = 23;      // ==
inline constexpr TSymbol syLBracket = 24;      // [
inline constexpr TSymbol syRBracket = 25;      // ]
inline constexpr TSymbol syAt = 26;            // @
inline constexpr TSymbol syBackSlash = 27;     // backslash
inline constexpr TSymbol syPercent = 28;       // %
inline constexpr TSymbol syAmpersand = 29;     // &
// First code free for dialect keywords.
inline constexpr TSymbol syFirstDialect = 30;

// One entry of a keyword table: a keyword, or the display word of a dialect symbol.
struct TKeyWord {
    std::string_view Word;
    TSymbol Symbol;
};

// One entry of the InterBase/Firebird keyword table: Versions holds a bit per server version
// (IBVersionBit) for which the word is a keyword.
struct TIBKeyWord {
    std::string_view Word;
    TSymbol Symbol;
    std::uint16_t Versions;
};

// A word with the InterBase/Firebird server versions it applies to.
struct TIBWord {
    std::string_view Word;
    std::uint16_t Versions;
};

static_assert(EnumCount<TIBSQLServerVersionType> <= 16, "IB version masks are 16 bits wide");

constexpr std::uint16_t IBVersionBit(TIBSQLServerVersionType aVersion) {
    return static_cast<std::uint16_t>(1u << aVersion);
}

constexpr std::uint16_t IBVersions(std::initializer_list<TIBSQLServerVersionType> aVersions) {
    std::uint16_t mask = 0;
    for (TIBSQLServerVersionType v : aVersions) mask |= IBVersionBit(v);
    return mask;
}

// The lookup form of a word: upper-cased ASCII. Empty when the word is empty or holds
// anything but ASCII letters, digits, "_" and "$", which no keyword does; so no other
// character can upper-case into a keyword and display words are never found.
std::string KeyWordKey(std::string_view aWord);

// Word -> code index over a keyword table. Display words of symbols are not indexed.
class TKeyWordIndex {
public:
    explicit TKeyWordIndex(std::span<const TKeyWord> aTable);
    explicit TKeyWordIndex(std::span<const TIBKeyWord> aTable);

    // The code of the upper-cased word, syIdent when it is not in the table.
    TSymbol Find(std::string_view aWord) const;
    std::size_t Count() const { return fMap.size(); }

private:
    void Add(std::string_view aWord, TSymbol aSymbol);
    std::unordered_map<std::string, TSymbol> fMap;
};

// A set of words, compared upper-cased.
class TWordIndex {
public:
    TWordIndex() = default;
    explicit TWordIndex(std::span<const std::string_view> aWords) { Add(aWords); }

    void Add(std::span<const std::string_view> aWords);
    bool Contains(std::string_view aWord) const;

private:
    std::unordered_set<std::string> fSet;
};

// Words with the InterBase/Firebird versions they apply to, compared upper-cased.
class TIBWordIndex {
public:
    TIBWordIndex() = default;
    explicit TIBWordIndex(std::span<const TIBWord> aWords) { Add(aWords); }

    void Add(std::span<const TIBWord> aWords);
    bool Contains(std::string_view aWord, TIBSQLServerVersionType aVersion) const;

private:
    std::unordered_map<std::string, std::uint16_t> fMap;
};

// Character classes of the quoting rules; bytes of non-ASCII characters belong to none.
constexpr bool IsUpperAZ(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool IsLowerAZ(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool IsDigit09(char c) { return c >= '0' && c <= '9'; }

// aName between aOpen and aClose, with every aClose inside doubled, so that no name can end
// the quoted identifier early ("a""b", [a]]b], `a``b`).
std::string EncloseIdent(std::string_view aName, char aOpen, char aClose);

}  // namespace dbtwin
