// A VARCHAR shortened below the length of a value it holds: the server must refuse the
// change, also on MariaDB in a session that is not strict (the script makes its session
// strict), the script must warn before it, and the value must stay whole. Firebird cannot
// shorten a column at all: not run there.
#include <string>

#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

constexpr const char* kLong = "longer than ten";

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder x{o, db};
    x.Table("T_REFUSE_SHORT", {Int("ID"), Varchar("V", m ? 10 : 40)});
}

TSqlLines Rows(TDatabaseType db) {
    return FoldForServer({
        "INSERT INTO T_REFUSE_SHORT (ID, V) VALUES (1, '" + std::string(kLong) + "');",
        "INSERT INTO T_REFUSE_SHORT (ID, V) VALUES (2, 'short');",
    }, db);
}

TSqlLines Checks(TDatabaseType db) {
    return FoldForServer({
        "SELECT COUNT(*) FROM T_REFUSE_SHORT WHERE ID = 1 AND V = '" + std::string(kLong) + "'",
        "SELECT COUNT(*) FROM T_REFUSE_SHORT WHERE ID = 2 AND V = 'short'",
    }, db);
}

// What each server's client says when it refuses the change.
std::string Refusal(TDatabaseType db) {
    return db == dbPostgreSQL ? "value too long for type character varying\\(10\\)"
                              : "Data truncated for column 'v' at row 1";
}

TLiveScenario Scenario() {
    TLiveScenario s{"refuse_shorten", Fill, nullptr, Rows, Checks};
    s.Servers = [](TDatabaseType db) { return db != dbInterBase; };
    s.LaxSession = true;
    s.ExpectDiffError = Refusal;
    s.ExpectScriptComment = [](TDatabaseType) { return std::string("values may be cut or refused"); };
    return s;
}
const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
