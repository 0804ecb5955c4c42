#include "core/krvQuote.h"

#include <array>

#include "core/keywords/asa.h"
#include "core/keywords/asa_quote.h"
#include "core/keywords/db2.h"
#include "core/keywords/ib.h"
#include "core/keywords/ib_quote_more.h"
#include "core/keywords/ib_reserved.h"
#include "core/keywords/localsql.h"
#include "core/keywords/mssql.h"
#include "core/keywords/mysql.h"
#include "core/keywords/mysql_quote.h"
#include "core/keywords/mysql_quote_more.h"
#include "core/keywords/oracle.h"
#include "core/keywords/pg.h"
#include "core/keywords/pg_quote_more.h"
#include "core/krvStrUtils.h"

namespace dbtwin {

std::string Quote_Ident(std::string_view aIdent, TDatabaseType aDatabaseType,
                        TIBSQLServerVersionType aServerVersion, TIBSQLDialectType aSQLDialect) {
    switch (aDatabaseType) {
        case dbInterBase: return IBQuoteIdent(aIdent, aServerVersion, aSQLDialect);
        case dbSybaseASA: return ASAQuoteIdent(aIdent);
        case dbMySQL: return MySQLQuoteIdent(aIdent);
        case dbMSSQL: return MSSQLQuoteIdent(aIdent);
        case dbPostgreSQL: return PGSQLQuoteIdent(aIdent);
        case dbOracle: return OracleQuoteIdent(aIdent);
        case dbDB2: return DB2QuoteIdent(aIdent);
        case dbParadox:
        case dbDBASE: return LocalSQLQuoteIdent(aIdent);
        case dbSybaseASE:
            // Names are written as they are (keywords included: ASE's own reserved words are
            // not those of the bracket list); a name whose characters need delimiting would
            // break the script or run as SQL, so it is bracketed.
            if (aIdent.find(']') != std::string_view::npos ||
                (!aIdent.empty() && aIdent.front() != '<' && !MSSQLPlainIdentChars(aIdent)))
                return ASEQuoteIdent(aIdent);
            return std::string(aIdent);
        default: return std::string(aIdent);
    }
}

// ---------------------------------------------------------------------------
// InterBase/Firebird

namespace {

using TIBKeyWordSets = std::array<TSymSet, EnumCount<TIBSQLServerVersionType>>;

TIBKeyWordSets BuildIBKeyWordSets() {
    TIBKeyWordSets sets;
    for (const TIBKeyWord& e : IBKeyWords)
        for (std::size_t v = 0; v < sets.size(); ++v)
            if (e.Versions & IBVersionBit(static_cast<TIBSQLServerVersionType>(v)))
                sets[v].Include(e.Symbol);
    return sets;
}

const TKeyWordIndex& IBKeyWordIndex() {
    static const TKeyWordIndex index{std::span<const TIBKeyWord>(IBKeyWords)};
    return index;
}

const TIBWordIndex& IBReservedIndex() {
    static const TIBWordIndex index = [] {
        TIBWordIndex words(IBReservedWords);
        words.Add(IBQuoteMoreWords);
        return words;
    }();
    return index;
}

}  // namespace

const TSymSet& IBKeyWordSet(TIBSQLServerVersionType aVersion) {
    static const TIBKeyWordSets sets = BuildIBKeyWordSets();
    return sets.at(aVersion);
}

TSymbol IBSymbolByResWord(std::string_view aWord, TIBSQLServerVersionType aVersion) {
    TSymbol sy = IBKeyWordIndex().Find(aWord);
    return sy != syIdent && IBKeyWordSet(aVersion).Contains(sy) ? sy : syIdent;
}

bool IBDialect3Reserved(std::string_view aWord, TIBSQLServerVersionType aVersion) {
    return IBReservedIndex().Contains(aWord, aVersion);
}

bool IdentDialect3(std::string_view aName, TIBSQLServerVersionType aVersion) {
    if (aName.empty()) return false;
    if (!IsUpperAZ(aName.front())) return true;
    for (char c : aName.substr(1))
        if (!IsUpperAZ(c) && !IsDigit09(c) && c != '_' && c != '$') return true;
    return IBSymbolByResWord(aName, aVersion) != syIdent || IBDialect3Reserved(aName, aVersion);
}

std::string IBQuoteIdent(std::string_view aName, TIBSQLServerVersionType aVersion,
                         TIBSQLDialectType aSQLDialect) {
    if (aSQLDialect == 3 && IdentDialect3(aName, aVersion)) return EncloseIdent(aName, '"', '"');
    return std::string(aName);
}

// ---------------------------------------------------------------------------
// SQL Server and Sybase ASE

namespace {

bool IsMSSQLFirstChar(char c) {
    return c == '#' || c == '$' || IsUpperAZ(c) || c == '_' || IsLowerAZ(c);
}

// "@".."Z" holds "@" and the capital letters.
bool IsMSSQLNextChar(char c) {
    return c == '#' || c == '$' || IsDigit09(c) || c == '@' || IsUpperAZ(c) || c == '_' ||
           IsLowerAZ(c);
}

}  // namespace

TSymbol MSSQLSymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(MSSQLKeyWords)};
    return index.Find(aWord);
}

bool MSSQLPlainIdentChars(std::string_view aName) {
    if (aName.empty() || !IsMSSQLFirstChar(aName.front())) return false;
    for (char c : aName.substr(1))
        if (!IsMSSQLNextChar(c)) return false;
    return true;
}

std::string MSSQLQuoteIdent(std::string_view aIdent) {
    if (aIdent.empty()) return {};
    const bool holdsBracket = aIdent.find(']') != std::string_view::npos;
    if (aIdent.front() == '<' && !holdsBracket) return std::string(aIdent);
    // The quoting list is the SQL Server keywords plus DUMMY, which is the ASE table.
    if (holdsBracket || !MSSQLPlainIdentChars(aIdent) || MSSQLSymbolByResWord(aIdent) != syIdent ||
        ASESymbolByResWord(aIdent) != syIdent)
        return EncloseIdent(aIdent, '[', ']');
    return std::string(aIdent);
}

TSymbol ASESymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(ASEKeyWords)};
    return index.Find(aWord);
}

std::string ASEQuoteIdent(std::string_view aName) { return MSSQLQuoteIdent(aName); }

// ---------------------------------------------------------------------------
// SQL Anywhere

namespace {

// Character classes on the upper-cased name: "@".."Z" holds "@" and the capital letters.
bool IsASAFirstChar(char c) { return c == '#' || c == '$' || c == '@' || IsUpperAZ(c) || c == '_'; }
bool IsASANextChar(char c) { return IsASAFirstChar(c) || IsDigit09(c); }

char AsciiUpper(char c) { return IsLowerAZ(c) ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

TSymbol ASASymbolByResWord(std::string_view aWord, TASAServerVersionType /*aVersion*/) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(ASAKeyWords)};
    return index.Find(aWord);
}

std::string ASAQuoteIdent(std::string_view aName, TASAServerVersionType aVersion) {
    static const TWordIndex quoteWords{ASAQuoteWords};
    if (aName.empty()) return {};
    if (ASASymbolByResWord(aName, aVersion) != syIdent || quoteWords.Contains(aName))
        return '"' + KeyWordKey(aName) + '"';
    bool quote = !IsASAFirstChar(AsciiUpper(aName.front()));
    for (char c : aName.substr(1))
        if (!IsASANextChar(AsciiUpper(c))) quote = true;
    return quote ? EncloseIdent(aName, '"', '"') : std::string(aName);
}

// ---------------------------------------------------------------------------
// MySQL/MariaDB

namespace {

// True when the server reads the name unquoted as that name: identifier characters only,
// and not starting with a digit (a name such as 1e5 or 123 reads as a number).
bool MySQLPlainName(std::string_view aName) {
    if (IsDigit09(aName.front()) || !IsValidUtf8(aName)) return false;
    for (char32_t c : Utf8Decode(aName)) {
        if (c >= 0x80) {
            if (c > 0xFFFF) return false;
        } else if (!(IsDigit09(static_cast<char>(c)) || IsUpperAZ(static_cast<char>(c)) ||
                     IsLowerAZ(static_cast<char>(c)) || c == '$' || c == '_')) {
            return false;
        }
    }
    return true;
}

}  // namespace

TSymbol MySQLSymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(MySQLKeyWords)};
    return index.Find(aWord);
}

std::string MySQLQuoteIdent(std::string_view aName) {
    static const TWordIndex reserved = [] {
        TWordIndex words(MySQLQuoteWords);
        words.Add(MySQLQuoteMoreWords);
        return words;
    }();
    if (aName.empty()) return {};
    if (UpperCase(aName) != aName || reserved.Contains(aName) || !MySQLPlainName(aName))
        return EncloseIdent(aName, '`', '`');
    return std::string(aName);
}

// ---------------------------------------------------------------------------
// PostgreSQL

TSymbol PGSQLSymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(PGSQLKeyWords)};
    return index.Find(aWord);
}

std::string PGSQLQuoteIdent(std::string_view aIdent) {
    static const TWordIndex quoteMore{PGSQLQuoteMoreWords};
    if (aIdent.empty()) return {};
    bool quote = !(aIdent.front() == '_' || IsLowerAZ(aIdent.front()));
    for (char c : aIdent.substr(1))
        if (!(c == '$' || IsDigit09(c) || c == '_' || IsLowerAZ(c))) quote = true;
    if (quote || PGSQLSymbolByResWord(aIdent) != syIdent || quoteMore.Contains(aIdent))
        return EncloseIdent(aIdent, '"', '"');
    return std::string(aIdent);
}

// ---------------------------------------------------------------------------
// DB2

TSymbol DB2SymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(DB2KeyWords)};
    return index.Find(aWord);
}

std::string DB2QuoteIdent(std::string_view aName) {
    if (aName.empty()) return {};
    bool quote = !IsUpperAZ(aName.front());
    // "@".."Z" holds "@" and the capital letters.
    for (char c : aName.substr(1))
        if (!(c == '#' || c == '$' || IsDigit09(c) || c == '@' || IsUpperAZ(c) || c == '_'))
            quote = true;
    if (quote || DB2SymbolByResWord(aName) != syIdent) return EncloseIdent(aName, '"', '"');
    return std::string(aName);
}

// ---------------------------------------------------------------------------
// Oracle

TSymbol OracleSymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(OracleKeyWords)};
    return index.Find(aWord);
}

std::string OracleQuoteIdent(std::string_view aName) {
    if (aName.empty()) return {};
    bool quote = !IsUpperAZ(aName.front());
    for (char c : aName.substr(1))
        if (!(c == '#' || c == '$' || IsDigit09(c) || IsUpperAZ(c) || c == '_')) quote = true;
    if (quote || OracleSymbolByResWord(aName) != syIdent) return EncloseIdent(aName, '"', '"');
    return std::string(aName);
}

// ---------------------------------------------------------------------------
// Local SQL

namespace {

// True for a name in double quotes whose inner double quotes all come in pairs: a name the
// parser kept quoted, which is written as it is.
bool IsQuotedName(std::string_view aName) {
    if (aName.size() < 2 || aName.front() != '"' || aName.back() != '"') return false;
    std::string_view inner = aName.substr(1, aName.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i)
        if (inner[i] == '"' && (++i == inner.size() || inner[i] != '"')) return false;
    return true;
}

}  // namespace

TSymbol LocalSQLSymbolByResWord(std::string_view aWord) {
    static const TKeyWordIndex index{std::span<const TKeyWord>(LocalSQLKeyWords)};
    return index.Find(aWord);
}

std::string LocalSQLQuoteIdent(std::string_view aName) {
    if (IsQuotedName(aName)) return std::string(aName);
    if (LocalSQLSymbolByResWord(aName) != syIdent || aName.find('"') != std::string_view::npos)
        return EncloseIdent(aName, '"', '"');
    return std::string(aName);
}

}  // namespace dbtwin
