// A comparison set up as a host would: master and target structures of one database kind,
// a comparer and a statement list; and the case tables of whole-script goldens.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvDBStructure.h"
#include "support/builders.h"
#include "support/golden.h"

namespace dbtwin::testing {

struct Compare {
    TDBStructure master, target;
    TKeldar keldar;
    TSQLExec exec;
    explicit Compare(TDatabaseType db);
    TCustomObjs& Master() { return *master.GetObjs(); }
    TCustomObjs& Target() { return *target.GetObjs(); }
    // Files an empty table in one side's set.
    static TTblData* Table(TDBStructure& s, const char* name) { return AddTable(*s.GetObjs(), name); }
    // Compares and returns the script text.
    std::string Run();
    // Compares twice and returns the first script; the same sets must give the same script.
    std::string RunTwice();
};

// Compares and returns what the generators wrote: the script without the header that an
// empty comparison of the same kind (prepared alike) writes, and without the line breaks
// that follow it.
std::string GeneratedPart(Compare& c, const std::function<void(Compare&)>& prepare = nullptr);

// Fills both sets alike.
void BothSides(Compare& c, const std::function<void(TCustomObjs&)>& fill);

// One whole-script golden: how to fill the sets for a kind, and the fixture file of the
// script (relative to tests/fixtures).
struct ScriptCase {
    const char* name;
    TDatabaseType db;
    std::function<void(Compare&, TDatabaseType)> fill;
    const char* fixture;
};
inline void PrintTo(const ScriptCase& c, std::ostream* os) { *os << c.name; }

// Prepares the comparison (server versions, options), fills and links both sets, compares,
// checks the whole script against its fixture, and compares again: the same sets must give
// the same script.
void ExpectScriptCase(const ScriptCase& tc, const std::function<void(Compare&)>& prepare = nullptr);

// One object's create and drop texts: how to make the object in a set of a kind, and its
// expected texts.
struct TextCase {
    const char* name;
    TDatabaseType db;
    std::function<TDbObj*(TCustomObjs&)> make;
    std::string def, drop;
};
inline void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

// Makes the case's object in a fresh export set of its kind (first prepared by prepare) and
// checks its Def and DropDef.
void ExpectTexts(const TextCase& tc, const std::function<void(TObjs&)>& prepare = nullptr);

// A preparation of ExpectScriptCase: the target is a Firebird 3 server.
void TargetFirebird30(Compare& c);

// The script as a C++ string literal, one source line per script line: for failures of
// inline expectations.
std::string AsLiteral(const std::string& s);

// The lines of an export joined as a file holds them: each ended by "\r\n".
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace dbtwin::testing
