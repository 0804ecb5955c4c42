// A live comparison scenario: what compare_probe writes and compare_live.sh runs on a server.
// Each scenario_<name>.cpp defines one and registers it with a static LiveScenarioRegistrar.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvCompObj.h"

namespace dbtwin::live {

using TSqlLines = std::vector<std::string>;

struct TLiveScenario {
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
};

std::vector<TLiveScenario>& LiveScenarios();

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
