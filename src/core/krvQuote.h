// Identifier quoting of every dialect and the keyword lookups it rests on. The keyword tables
// are generated from the data files of core/keywords; the dialect parser units re-export
// these routines and add the symbol codes their scanners use.
#pragma once

#include <string>
#include <string_view>

#include "core/krvDBOptions.h"
#include "core/krvKeyWords.h"
#include "core/krvTypes.h"

namespace dbtwin {

// The identifier as written into a script of the given database kind:
// - dbInterBase: IBQuoteIdent with the server version and SQL dialect (quoted in dialect 3
//   only);
// - dbSybaseASA, dbMySQL, dbMSSQL, dbPostgreSQL, dbOracle, dbDB2: that dialect's quoting
//   routine;
// - dbParadox, dbDBASE: LocalSQLQuoteIdent;
// - dbSybaseASE: unchanged, unless its characters cannot be written without brackets
//   (blanks, quote characters, ...), then ASEQuoteIdent;
// - every other kind: unchanged.
std::string Quote_Ident(std::string_view aIdent, TDatabaseType aDatabaseType,
                        TIBSQLServerVersionType aServerVersion, TIBSQLDialectType aSQLDialect);

// ---------------------------------------------------------------------------
// InterBase/Firebird. Tables: IBKeyWords (word, code and the versions in which the word is
// a keyword), IBReservedWords (words the servers reserve in dialect 3 without being
// keywords), IBQuoteMoreWords (further words newer servers reject unquoted in dialect 3).

// The keyword codes of one server version (bit n = code n).
const TSymSet& IBKeyWordSet(TIBSQLServerVersionType aVersion);

// The code of the upper-cased word when it is in the table and its code is a keyword of
// that version; else syIdent.
TSymbol IBSymbolByResWord(std::string_view aWord, TIBSQLServerVersionType aVersion);

// True when the word is reserved by that server version in dialect 3 without being one of
// its keywords.
bool IBDialect3Reserved(std::string_view aWord, TIBSQLServerVersionType aVersion);

// True when the name needs double quotes in SQL dialect 3 for that server version: it does
// not begin with "A".."Z", holds a character other than "A".."Z", "0".."9", "_", "$", is a
// keyword of the version or a word the version reserves. An empty name never does.
bool IdentDialect3(std::string_view aName, TIBSQLServerVersionType aVersion);

// The name as written into a script: in dialect 3, in double quotes (inner double quotes
// doubled) when IdentDialect3 says so; in dialects 1 and 2 always as it is, since double
// quotes delimit strings there.
std::string IBQuoteIdent(std::string_view aName, TIBSQLServerVersionType aVersion,
                         TIBSQLDialectType aSQLDialect);

// ---------------------------------------------------------------------------
// SQL Server. Table: MSSQLKeyWords, the reserved words and the display words of the
// dialect's own symbols (150 to 220).

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol MSSQLSymbolByResWord(std::string_view aWord);

// True when the name can be written without brackets as far as its characters go: it begins
// with "#", "$", "A".."Z", "_", "a".."z" and goes on with "#", "$", "0".."9", "@".."Z", "_",
// "a".."z". Keywords are not considered.
bool MSSQLPlainIdentChars(std::string_view aName);

// The name in square brackets (inner "]" doubled) when it is not empty, does not begin with
// "<" and has characters MSSQLPlainIdentChars refuses, or is a keyword or DUMMY; otherwise
// unchanged. A name holding "]" is always bracketed, whatever its first character.
std::string MSSQLQuoteIdent(std::string_view aIdent);

// ---------------------------------------------------------------------------
// Sybase ASE. Table: ASEKeyWords, the SQL Server table without the compound assignment
// operators, plus DUMMY.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol ASESymbolByResWord(std::string_view aWord);

// Square brackets by the rule of MSSQLQuoteIdent, with the same word list.
std::string ASEQuoteIdent(std::string_view aName);

// ---------------------------------------------------------------------------
// SQL Anywhere. Tables: ASAKeyWords; ASAQuoteWords, further words ASAQuoteIdent quotes.

// The code of the upper-cased word, syIdent when it is no keyword. The server version is
// accepted and not used.
TSymbol ASASymbolByResWord(std::string_view aWord, TASAServerVersionType aVersion = st_ASA9);

// The name in double quotes: upper-cased when it is a keyword or one of ASAQuoteWords; as
// written (inner double quotes doubled) when its upper-cased form begins with a character
// other than "#", "$", "@".."Z", "_" or goes on with one other than "#", "$", "0".."9",
// "@".."Z", "_". Otherwise, and when empty, unchanged. The server version is accepted and
// does not change the result.
std::string ASAQuoteIdent(std::string_view aName, TASAServerVersionType aVersion = st_ASA9);

// ---------------------------------------------------------------------------
// MySQL/MariaDB. Tables: MySQLKeyWords; MySQLQuoteWords, the reserved words MySQLQuoteIdent
// quotes; MySQLQuoteMoreWords, further words current servers reserve (quoting only).

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol MySQLSymbolByResWord(std::string_view aWord);

// The name in back-quotes (inner back-quotes doubled) when it differs from its upper-cased
// form (it holds lower-case letters), its upper-cased form is a reserved word
// (MySQLQuoteWords, MySQLQuoteMoreWords), it begins with a digit, or it holds a character
// outside the server's unquoted identifier characters ("0".."9", "A".."Z", "a".."z", "$",
// "_", U+0080..U+FFFF). Otherwise, and when empty, unchanged.
std::string MySQLQuoteIdent(std::string_view aName);

// ---------------------------------------------------------------------------
// PostgreSQL. Tables: PGSQLKeyWords, the reserved words (codes 30 to 122) and the
// two-character symbols ":=", "..", "::", "<<", ">>" (123 to 127); PGSQLQuoteMoreWords,
// further keywords of current servers that are quoted but never parsed as keywords.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol PGSQLSymbolByResWord(std::string_view aWord);

// The name in double quotes (inner double quotes doubled) when it is not empty and begins
// with a character other than "_", "a".."z", holds one other than "$", "0".."9", "_",
// "a".."z", or is a keyword or a word of PGSQLQuoteMoreWords; otherwise unchanged. Capital
// letters therefore always cause quoting.
std::string PGSQLQuoteIdent(std::string_view aIdent);

// ---------------------------------------------------------------------------
// DB2. Table: DB2KeyWords.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol DB2SymbolByResWord(std::string_view aWord);

// The name in double quotes (inner double quotes doubled) when its upper-cased form is a
// keyword, its first character is not "A".."Z", or a later one is not "#", "$", "0".."9",
// "@".."Z", "_". Otherwise, and when empty, unchanged.
std::string DB2QuoteIdent(std::string_view aName);

// ---------------------------------------------------------------------------
// Oracle. Table: OracleKeyWords.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol OracleSymbolByResWord(std::string_view aWord);

// The name in double quotes (inner double quotes doubled, which the server refuses rather
// than misreads) when its upper-cased form is a keyword, its first character is not
// "A".."Z", or a later one is not "#", "$", "0".."9", "A".."Z", "_". Otherwise, and when
// empty, unchanged.
std::string OracleQuoteIdent(std::string_view aName);

// ---------------------------------------------------------------------------
// Local SQL of Paradox and dBASE tables. Table: LocalSQLKeyWords.

// The code of the upper-cased word, syIdent when it is no keyword.
TSymbol LocalSQLSymbolByResWord(std::string_view aWord);

// The name in double quotes when its upper-cased form is a keyword, or when it holds a
// double quote (doubled inside). A name already in double quotes with its inner double quotes
// doubled, as the local SQL parser keeps quoted names, and an empty name are unchanged.
std::string LocalSQLQuoteIdent(std::string_view aName);

}  // namespace dbtwin
