// Writes the SQL of the live identifier quoting check (quoting_live.sh).
//
//   keyword_probe words
//       every word of the keyword tables and quoting lists of all dialects, one a line
//   keyword_probe script <firebird|postgres|mysql> <expected-file>
//       reads candidate words (one a line) from stdin and writes a script to stdout that
//       creates, for each word, a table with one column named by the word, and, for each
//       name of a fixed list (mixed case, blanks, quote characters, ...), a table and a
//       column of that name; all names written with Quote_Ident of that server's kind.
//       <expected-file> gets one line per table: table, column and the statement, tab
//       separated, as the server's catalog must show them afterwards.
//   keyword_probe mustquote postgres
//       reads words (one a line) the server itself quotes and prints those Quote_Ident
//       leaves unquoted; exit status 1 when there are any.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/krvClasses.h"
#include "parse/krvASAParser.h"
#include "parse/krvASEParser.h"
#include "parse/krvDB2Parser.h"
#include "parse/krvIBParser.h"
#include "parse/krvLocalSQLParser.h"
#include "parse/krvMSSQLParser.h"
#include "parse/krvMySQLParser.h"
#include "parse/krvOracleParser.h"
#include "parse/krvPGSQLParser.h"

using namespace dbtwin;

namespace {

struct Server {
    std::string name;
    TDatabaseType kind;
    std::size_t maxNameBytes;
    bool lowerCase;  // the server folds unquoted names to lower case
};

bool ServerByName(const std::string& aName, Server& aServer) {
    if (aName == "firebird") aServer = {aName, dbInterBase, 31, false};
    else if (aName == "postgres") aServer = {aName, dbPostgreSQL, 63, true};
    else if (aName == "mysql") aServer = {aName, dbMySQL, 64, false};
    else return false;
    return true;
}

std::string Quote(const Server& aServer, std::string_view aName) {
    return Quote_Ident(aName, aServer.kind, st_Firebird_30, 3);
}

std::string AsciiCase(std::string_view aWord, bool aLower) {
    std::string s(aWord);
    for (char& c : s) {
        if (aLower && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (!aLower && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

template <typename Table>
void AddWords(std::set<std::string>& aWords, const Table& aTable) {
    for (const auto& e : aTable) {
        std::string_view w;
        if constexpr (std::is_convertible_v<decltype(e), std::string_view>) w = e;
        else w = e.Word;
        if (KeyWordKey(w) == w) aWords.emplace(w);
    }
}

int PrintWords() {
    std::set<std::string> words;
    AddWords(words, IBKeyWords);
    AddWords(words, IBReservedWords);
    AddWords(words, IBQuoteMoreWords);
    AddWords(words, MSSQLKeyWords);
    AddWords(words, ASEKeyWords);
    AddWords(words, PGSQLKeyWords);
    AddWords(words, PGSQLQuoteMoreWords);
    AddWords(words, ASAKeyWords);
    AddWords(words, ASAQuoteWords);
    AddWords(words, MySQLKeyWords);
    AddWords(words, MySQLQuoteWords);
    AddWords(words, MySQLQuoteMoreWords);
    AddWords(words, DB2KeyWords);
    AddWords(words, OracleKeyWords);
    AddWords(words, LocalSQLKeyWords);
    for (const std::string& w : words) std::cout << w << '\n';
    return 0;
}

// Names that need quoting for reasons other than keywords, and a few that do not.
const char* const kRoundTripNames[] = {
    "MixedCase", "lower_case", "UPPER_CASE", "with blank", "quote\"inside", "back`tick",
    "bracket]end", "semi;colon", "dash-name", "O'Neil", "1leading", "123", "1e5", "a.b",
    "_underscore", "$dollar", "\xC3\x9Cn\xC3\xAF" "code", "select", "Select", "x\"y`z]w",
};

int WriteScript(const Server& aServer, const char* aExpectedFile) {
    std::ofstream expected(aExpectedFile, std::ios::binary);
    if (!expected) {
        std::cerr << "keyword_probe: cannot write " << aExpectedFile << '\n';
        return 2;
    }
    auto add = [&](const std::string& aTable, const std::string& aColumn,
                   const std::string& aStatement) {
        std::cout << aStatement << '\n';
        expected << aTable << '\t' << aColumn << '\t' << aStatement << '\n';
    };

    // Keywords as column names of tables K1, K2, ...: as the server stores unquoted names
    // (upper case, or lower case for PostgreSQL), so that only keywords decide the quoting.
    std::set<std::string> seen;
    std::string line;
    int n = 0;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string word = AsciiCase(line, aServer.lowerCase);
        if (word.empty() || word.size() > aServer.maxNameBytes || !seen.insert(word).second)
            continue;
        std::string table = AsciiCase("K" + std::to_string(++n), aServer.lowerCase);
        add(table, word, "CREATE TABLE " + table + " (" + Quote(aServer, word) + " INTEGER);");
    }
    // Names that must come back exactly as written, as table and as column.
    for (const char* name : kRoundTripNames) {
        std::string q = Quote(aServer, name);
        add(name, name, "CREATE TABLE " + q + " (" + q + " INTEGER);");
    }
    return expected ? 0 : 2;
}

int MustQuote(const Server& aServer) {
    int missed = 0;
    std::string word;
    while (std::getline(std::cin, word)) {
        if (word.empty()) continue;
        if (Quote(aServer, word) == word) {
            std::cout << "not quoted: " << word << '\n';
            ++missed;
        }
    }
    return missed ? 1 : 0;
}

int Usage() {
    std::cerr << "usage: keyword_probe words\n"
                 "       keyword_probe script <firebird|postgres|mysql> <expected-file>\n"
                 "       keyword_probe mustquote <firebird|postgres|mysql>\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "words") return PrintWords();
    Server server;
    if (args.size() == 3 && args[0] == "script" && ServerByName(args[1], server))
        return WriteScript(server, args[2].c_str());
    if (args.size() == 2 && args[0] == "mustquote" && ServerByName(args[1], server))
        return MustQuote(server);
    return Usage();
}
