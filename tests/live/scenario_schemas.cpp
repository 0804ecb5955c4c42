// Schemas on PostgreSQL: a new schema with a table in it; a target-only empty schema, and
// one whose only table goes too: both dropped.
#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder b{o, db};
    b.Table("t_base", {Int("id")});
    if (m) {
        b.Schema("sales");
        b.Table("orders", {Int("id")}, "sales");
    } else {
        b.Schema("old_empty");
        b.Schema("archive");
        b.Table("old_orders", {Int("id")}, "archive");
    }
}

TSqlLines None(TDatabaseType) { return {}; }
TSqlLines Rows(TDatabaseType) { return {"INSERT INTO t_base (id) VALUES (1);"}; }

TSqlLines Checks(TDatabaseType) {
    return {"SELECT COUNT(*) FROM t_base", "SELECT COUNT(*) + 1 FROM sales.orders",
            "SELECT 1 - COUNT(*) FROM pg_namespace WHERE nspname IN ('old_empty', 'archive')"};
}

TLiveScenario Scenario() {
    TLiveScenario s{"schemas", Fill, None, Rows, Checks};
    s.Servers = [](TDatabaseType db) { return db == dbPostgreSQL; };
    return s;
}

const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
