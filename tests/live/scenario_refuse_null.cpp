// NOT NULL set on a column that holds NULLs, with no default to fill them and no fill
// option: the server must refuse the change, the script must warn before it, and the rows
// must be unchanged.
#include <string>

#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder x{o, db};
    x.Table("T_REFUSE_NULL", {Int("ID"), m ? NotNull(Int("C")) : Int("C")});
}

TSqlLines Rows(TDatabaseType db) {
    TSqlLines r = {
        "INSERT INTO T_REFUSE_NULL (ID, C) VALUES (1, NULL);",
        "INSERT INTO T_REFUSE_NULL (ID, C) VALUES (2, 5);",
    };
    if (db == dbInterBase) r.push_back("COMMIT;");
    return FoldForServer(r, db);
}

TSqlLines Checks(TDatabaseType db) {
    return FoldForServer({
        "SELECT COUNT(*) FROM T_REFUSE_NULL WHERE ID = 1 AND C IS NULL",
        "SELECT COUNT(*) FROM T_REFUSE_NULL WHERE ID = 2 AND C = 5",
    }, db);
}

// What each server's client says when it refuses the change.
std::string Refusal(TDatabaseType db) {
    switch (db) {
        case dbInterBase: return "Cannot make field C of table T_REFUSE_NULL NOT NULL because there are NULLs present";
        case dbPostgreSQL: return "column \"c\" of relation \"t_refuse_null\" contains null values";
        default: return "Data truncated for column 'c' at row 1";
    }
}

TLiveScenario Scenario() {
    TLiveScenario s{"refuse_null", Fill, nullptr, Rows, Checks};
    s.ExpectDiffError = Refusal;
    s.ExpectScriptComment = [](TDatabaseType) { return std::string("may hold NULLs"); };
    return s;
}
const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
