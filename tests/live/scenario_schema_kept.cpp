// Schemas on PostgreSQL, comparing tables only: a target-only schema holds a function that
// such a comparison leaves alone, so the schema stays (a warning, no DROP SCHEMA that the
// server would refuse) and the script runs.
#include "compare/krvKeldar.h"
#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder b{o, db};
    b.Table("t_kept", {Int("id")});
    if (m) return;
    b.Schema("kept");
    b.Routine("f", "BEGIN RETURN 7; END", {}, {Int("")}, true, {}, [](TPrcData& p) { p.SetSchema("kept"); });
}

TSqlLines None(TDatabaseType) { return {}; }
TSqlLines Rows(TDatabaseType) { return {"INSERT INTO t_kept (id) VALUES (5);"}; }

// The schema and its function are untouched, and so are the rows.
TSqlLines Checks(TDatabaseType) {
    return {"SELECT COUNT(*) FROM t_kept WHERE id = 5", "SELECT kept.f() - 6",
            "SELECT COUNT(*) FROM pg_namespace WHERE nspname = 'kept'"};
}

TLiveScenario Scenario() {
    TLiveScenario s{"schema_kept", Fill, None, Rows, Checks};
    s.Servers = [](TDatabaseType db) { return db == dbPostgreSQL; };
    s.Configure = [](TKeldar& k) { k.SetCompareObjects({coTable}); };
    s.LeavesDifference = true;
    s.ExpectScriptComment = [](TDatabaseType) { return "Schema kept is not dropped: it still holds procedure kept\\.f"; };
    return s;
}

const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
