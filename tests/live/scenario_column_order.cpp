// Column order: a column added between two others and columns reordered, on a table with a
// primary key that another table references. MariaDB and Firebird move columns in place;
// PostgreSQL, asked to keep the master's column order, rebuilds the table (rows copied to a
// scratch table and back). Every row must survive.
#include <string>

#include "compare/krvKeldar.h"
#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

void Configure(TKeldar& keldar) {
    keldar.GetPGSQLCompareOptions().SetUpdateColumnPosition(true);
}

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder x{o, db};
    // 1. a column added between two existing ones
    if (m) x.Table("T_MID", {NotNull(Int("ID")), Int("MID"), Varchar("LAST", 10)});
    else x.Table("T_MID", {NotNull(Int("ID")), Varchar("LAST", 10)});
    x.PrimaryKey("PK_T_MID", "T_MID", "ID");
    // 2. columns reordered, one of them NOT NULL with a default, the first one the key that
    // another table references
    const TCol a = NotNull(Int("A")), b = Int("B"), c = NotNull(Default(Varchar("C", 5), "'x'"));
    if (m) x.Table("T_ORDER", {b, c, a});
    else x.Table("T_ORDER", {a, b, c});
    x.PrimaryKey("PK_T_ORDER", "T_ORDER", "A");
    x.Table("T_ORDER_REF", {NotNull(Int("ID")), Int("AID")});
    x.Foreign("FK_T_ORDER_REF", "T_ORDER_REF", "AID", "T_ORDER", "A");
    x.Link();
}

TSqlLines Rows(TDatabaseType db) {
    TSqlLines r = {
        "INSERT INTO T_MID (ID, LAST) VALUES (1, 'last');",
        "INSERT INTO T_ORDER (A, B, C) VALUES (1, 2, 'c');",
        "INSERT INTO T_ORDER (A, B) VALUES (3, 4);",
        "INSERT INTO T_ORDER_REF (ID, AID) VALUES (1, 3);",
    };
    if (db == dbInterBase) r.push_back("COMMIT;");
    return FoldForServer(r, db);
}

TSqlLines Checks(TDatabaseType db) {
    return FoldForServer({
        "SELECT COUNT(*) FROM T_MID WHERE ID = 1 AND MID IS NULL AND LAST = 'last'",
        "SELECT COUNT(*) FROM T_ORDER WHERE A = 1 AND B = 2 AND C = 'c'",
        "SELECT COUNT(*) FROM T_ORDER WHERE A = 3 AND B = 4 AND C = 'x'",
        "SELECT COUNT(*) FROM T_ORDER_REF WHERE ID = 1 AND AID = 3",
    }, db);
}

TLiveScenario Scenario() {
    TLiveScenario s{"column_order", Fill, nullptr, Rows, Checks};
    s.Configure = Configure;
    return s;
}
const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
