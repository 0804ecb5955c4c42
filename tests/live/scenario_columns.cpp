// Column changes that touch the rows: NOT NULL set on columns that hold NULLs (filled from the
// master's default, or with 0 / '' when the comparer is asked to), and a VARCHAR shortened
// whose values all fit. Every row must survive.
#include <string>

#include "compare/krvKeldar.h"
#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

void Configure(TKeldar& keldar) {
    keldar.SetFillNullsWithNeutralValue(true);
}

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder x{o, db};
    // a. NOT NULL set on a column holding NULLs: the master's default fills them
    x.Table("T_NN_DEF", {Int("ID"), m ? NotNull(Default(Int("C"), "0")) : Int("C")});
    // b. NOT NULL set with no default: the comparer's option fills them with 0 and ''
    x.Table("T_NN_FILL", {Int("ID"), m ? NotNull(Int("N")) : Int("N"),
                          m ? NotNull(Varchar("S", 10)) : Varchar("S", 10)});
    // c. VARCHAR shortened, every value fits (Firebird cannot shorten a column at all)
    if (db != dbInterBase) x.Table("T_SHORT", {Int("ID"), Varchar("V", m ? 10 : 40)});
}

TSqlLines Rows(TDatabaseType db) {
    TSqlLines r = {
        "INSERT INTO T_NN_DEF (ID, C) VALUES (1, NULL);",
        "INSERT INTO T_NN_DEF (ID, C) VALUES (2, 5);",
        "INSERT INTO T_NN_FILL (ID, N, S) VALUES (1, NULL, NULL);",
        "INSERT INTO T_NN_FILL (ID, N, S) VALUES (2, 3, 'x');",
    };
    if (db != dbInterBase) r.push_back("INSERT INTO T_SHORT (ID, V) VALUES (1, 'ten chars.');");
    if (db == dbInterBase) r.push_back("COMMIT;");
    return FoldForServer(r, db);
}

TSqlLines Checks(TDatabaseType db) {
    TSqlLines r = {
        "SELECT COUNT(*) FROM T_NN_DEF WHERE ID = 1 AND C = 0",
        "SELECT COUNT(*) FROM T_NN_DEF WHERE ID = 2 AND C = 5",
        "SELECT COUNT(*) FROM T_NN_FILL WHERE ID = 1 AND N = 0 AND S = ''",
        "SELECT COUNT(*) FROM T_NN_FILL WHERE ID = 2 AND N = 3 AND S = 'x'",
    };
    if (db != dbInterBase) r.push_back("SELECT COUNT(*) FROM T_SHORT WHERE V = 'ten chars.'");
    return FoldForServer(r, db);
}

TLiveScenario Scenario() {
    TLiveScenario s{"columns", Fill, nullptr, Rows, Checks};
    s.Configure = Configure;
    return s;
}
const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
