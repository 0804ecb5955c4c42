// Writes the scripts of one live comparison scenario for a server (compare_live.sh runs them):
//   compare_probe <scenario> <firebird|postgres|mysql> <mode> <database> [user password]
// modes: setup   statements run first in both databases
//        target  the target schema (the library's export)
//        rows    rows inserted into the target
//        diff    the script that turns the target into the master
//        master  the master schema (the library's export)
//        checks  queries on the changed target, one a line, each returning 1
//        cleanup statements run on the server once the databases are dropped, one a line
//        same    compares the master with a second copy of itself; prints the script and
//                exits 1 when it holds more than the header of an empty comparison
//        options how the test runs the scenario on the server, as key=value lines:
//                applies (1 or 0), diff_charset (utf8 or latin1), lax_session (1 or 0),
//                leaves_difference (1 or 0),
//                expect_error and expect_comment (regexes, empty when the script must run)
#include <iostream>
#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvDBStructure.h"
#include "scenario.h"

using namespace dbtwin;
using namespace dbtwin::live;

namespace dbtwin::live {
std::vector<TLiveScenario>& LiveScenarios() {
    static std::vector<TLiveScenario> all;
    return all;
}
namespace {
std::string gDatabase;
}
const std::string& LiveDatabase() { return gDatabase; }
}  // namespace dbtwin::live

namespace {

struct Connection {
    TDatabaseType Db;
    std::string Database, User, Password;
};

void Setup(TCustomObjs& o, const Connection& c) {
    o.SetDatabaseType(c.Db);
    if (c.Db == dbInterBase) {
        o.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
        o.fIBServerOptions.SetDBCharSet("UTF8");
        // The exports write the character sets the sets hold (a comparison uses the
        // comparer's options instead).
        TIBCompareOptions charSets;
        charSets.SetFldCharsetCompare(true);
        o.fIBServerOptions.SetIBCompareOptions(charSets);
    }
    o.fConnectionOptions.SetDatabaseName(c.Database);
    o.fConnectionOptions.SetUserName(c.User);
    o.fConnectionOptions.SetPassword(c.Password);
}

// Compares two sets filled by the given fills, with the scenario's compare options, and
// returns the script text.
template <typename FillMaster, typename FillTarget>
std::string Compare(const Connection& c, const TLiveScenario& s, FillMaster fillMaster, FillTarget fillTarget) {
    TDBStructure master, target;
    Setup(*master.GetObjs(), c);
    Setup(*target.GetObjs(), c);
    fillMaster(*master.GetObjs());
    fillTarget(*target.GetObjs());
    TKeldar keldar;
    // The server's own client runs the script: reconnect with CONNECT, not RECONNECT.
    keldar.GetIBCompareOptions().SetUseRECONNECT(false);
    if (s.Configure) s.Configure(keldar);
    keldar.SetDBStructureMaster(&master);
    keldar.SetDBStructureTarget(&target);
    TSQLExec exec;
    keldar.SetSQLExec(&exec);
    keldar.CompareDatabases();
    return exec.GetScriptText();
}

void PrintLines(const std::function<TSqlLines(TDatabaseType)>& source, TDatabaseType db) {
    if (!source) return;
    for (const std::string& line : source(db)) std::cout << line << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() < 4) {
        std::cerr << "usage: compare_probe <scenario> <firebird|postgres|mysql> <mode> <database> [user password]\n";
        return 2;
    }
    const TLiveScenario* s = nullptr;
    for (const TLiveScenario& candidate : LiveScenarios())
        if (candidate.Name == a[0]) s = &candidate;
    if (!s) {
        std::cerr << "compare_probe: no scenario " << a[0] << "\n";
        return 2;
    }
    const Connection c{a[1] == "firebird" ? dbInterBase : a[1] == "postgres" ? dbPostgreSQL : dbMySQL, a[3],
                       a.size() > 4 ? a[4] : "", a.size() > 5 ? a[5] : ""};
    const std::string& mode = a[2];
    gDatabase = c.Database;
    auto fill = [&](bool master) { return [&, master](TCustomObjs& o) { s->Fill(o, master, c.Db); }; };

    if (mode == "options") {
        const auto text = [&](const std::function<std::string(TDatabaseType)>& f) { return f ? f(c.Db) : ""; };
        if (!s->DiffClientCharset.empty() && s->DiffClientCharset != "latin1") {
            std::cerr << "compare_probe: unknown client character set " << s->DiffClientCharset << "\n";
            return 2;
        }
        std::cout << "applies=" << (!s->Servers || s->Servers(c.Db) ? 1 : 0) << "\n"
                  << "diff_charset=" << (s->DiffClientCharset.empty() ? "utf8" : s->DiffClientCharset) << "\n"
                  << "lax_session=" << (s->LaxSession ? 1 : 0) << "\n"
                  << "leaves_difference=" << (s->LeavesDifference ? 1 : 0) << "\n"
                  << "expect_error=" << text(s->ExpectDiffError) << "\n"
                  << "expect_comment=" << text(s->ExpectScriptComment) << "\n";
    } else if (mode == "target" || mode == "master") {
        TObjs objs;
        Setup(objs, c);
        // The database exists already (created and set up by the test script).
        objs.fScriptOptions.SetConnect(false);
        fill(mode == "master")(objs);
        std::vector<std::string> script;
        objs.ExtractMetadata(script);
        std::cout << JoinLines(script);
    } else if (mode == "diff") {
        std::cout << Compare(c, *s, fill(true), fill(false)) << "\r\n";
    } else if (mode == "setup") {
        PrintLines(s->Setup, c.Db);
    } else if (mode == "rows") {
        PrintLines(s->Rows, c.Db);
    } else if (mode == "checks") {
        PrintLines(s->Checks, c.Db);
    } else if (mode == "cleanup") {
        PrintLines(s->Cleanup, c.Db);
    } else if (mode == "same") {
        const auto none = [](TCustomObjs&) {};
        const std::string header = Compare(c, *s, none, none);
        const std::string again = Compare(c, *s, fill(true), fill(true));
        if (again != header) {
            std::cout << again << "\n";
            return 1;
        }
    } else {
        std::cerr << "compare_probe: unknown mode " << mode << "\n";
        return 2;
    }
    return 0;
}
