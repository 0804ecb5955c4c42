// A live comparison scenario: what compare_probe writes and compare_live.sh runs on a server.
// Each scenario_<name>.cpp defines one and registers it with a static LiveScenarioRegistrar.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvCompObj.h"

namespace dbtwin {
class TKeldar;
}

namespace dbtwin::live {

using TSqlLines = std::vector<std::string>;

struct TLiveScenario {
    using TFill = std::function<void(TCustomObjs& Objs, bool Master, TDatabaseType Db)>;
    using TLines = std::function<TSqlLines(TDatabaseType Db)>;
    // The parts every scenario gives; the optional ones below are set on the object.
    TLiveScenario(std::string aName, TFill aFill, TLines aSetup, TLines aRows, TLines aChecks)
        : Name(std::move(aName)), Fill(std::move(aFill)), Setup(std::move(aSetup)), Rows(std::move(aRows)),
          Checks(std::move(aChecks)) {}

    std::string Name;
    // Fills the master or the target set for one database kind.
    std::function<void(TCustomObjs& Objs, bool Master, TDatabaseType Db)> Fill;
    // Statements (with their terminators) run first in both fresh databases: objects of kinds
    // the library cannot script yet.
    std::function<TSqlLines(TDatabaseType Db)> Setup;
    // Statements run on the target after it is created: rows that must survive the change.
    std::function<TSqlLines(TDatabaseType Db)> Rows;
    // One-line queries (no terminator) run on the changed target; each must return 1.
    std::function<TSqlLines(TDatabaseType Db)> Checks;

    // Optional. Switches compare options of the comparer before it compares (both for the
    // script that changes the target and for the master compared with itself).
    std::function<void(TKeldar&)> Configure;
    // "latin1": the script that changes the target runs through a client connected in
    // latin1, so the script must set its own character set. Empty: UTF-8, as every other step.
    std::string DiffClientCharset;
    // MariaDB: the script that changes the target runs in a session that is not strict
    // (sql_mode ''), so the script must make it strict where it needs it.
    bool LaxSession = false;
    // When set, the script that changes the target must stop with an error whose client
    // message matches this (case-insensitive extended regex); the script must match
    // ExpectScriptComment (the warning before the refused statement), the row checks must hold
    // (the rows are unchanged), and the dump comparison and the comparison of the master with
    // itself are left out.
    std::function<std::string(TDatabaseType Db)> ExpectDiffError;
    std::function<std::string(TDatabaseType Db)> ExpectScriptComment;
    // The script must run, but leaves a change the server cannot make: it must hold
    // ExpectScriptComment (the warning), and the dump comparison is left out.
    bool LeavesDifference = false;
    // The servers the scenario applies to (all when empty); on the others its tests are skipped.
    std::function<bool(TDatabaseType Db)> Servers;
    // Statements run on the server (outside the test databases) once both databases are
    // dropped, once per database (LiveDatabase() names it): they drop what the scenario made
    // server-wide, such as roles and users. Each runs on its own; errors are ignored.
    std::function<TSqlLines(TDatabaseType Db)> Cleanup;
};

std::vector<TLiveScenario>& LiveScenarios();

// The database the probe writes for: its name on PostgreSQL and MariaDB, its path on Firebird.
// Roles and users are server-wide there, and a run has two databases on one server: names a
// scenario makes server-wide carry it (the dump comparison reads it as one placeholder).
const std::string& LiveDatabase();

// An unquoted name as the server stores it: Firebird upper-case, the others lower-case.
inline std::string ServerName(const std::string& aName, TDatabaseType Db) {
    return Db == dbInterBase ? UpperCase(aName) : LowerCase(aName);
}

// MariaDB table names are case-sensitive here and its tables are lower-case: statements for
// it are lower-cased whole (so their literals must hold no capital letter).
inline TSqlLines FoldForServer(TSqlLines Lines, TDatabaseType Db) {
    if (Db == dbMySQL)
        for (std::string& l : Lines) l = LowerCase(l);
    return Lines;
}

struct LiveScenarioRegistrar {
    explicit LiveScenarioRegistrar(TLiveScenario aScenario) { LiveScenarios().push_back(std::move(aScenario)); }
};

}  // namespace dbtwin::live
