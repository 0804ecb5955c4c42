// Generators and sequences: kept, new, dropped, and changed in place (increment, cycle,
// cache, bounds) without touching the current value; per server what only it has
// (Firebird: a value set in the target survives an increment change; PostgreSQL: a
// target-only table with a serial column takes its sequence along, a minimum lowered
// together with the start value; MariaDB: no cache).
#include <string>

#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder b{o, db};
    b.Table("T_KEEP", {Int("ID")});
    // 1. kept, 2. new, 3. dropped
    b.Sequence("S_KEEP");
    if (m) b.Sequence("S_NEW", [](TGnrData& g) {
        g.StartWith = "100";
        g.IncrementBy = "10";
    });
    else b.Sequence("S_GONE");
    // 4. increment changed
    b.Sequence("S_INC", [m](TGnrData& g) { g.IncrementBy = m ? "10" : "1"; });
    // 5. counting down instead of up
    if (db == dbInterBase) {
        b.Sequence("S_DOWN", [m](TGnrData& g) { g.IncrementBy = m ? "-1" : "1"; });
        return;
    }
    // 6. cycle and cache
    b.Sequence("S_OPTS", [m](TGnrData& g) {
        g.Cycle = m;
        if (m) g.SetMaxValue("1000");
        g.SetCache(m ? "20" : "");
    });
    // 7. maximum and cycle removed
    b.Sequence("S_MAX", [m](TGnrData& g) {
        if (m) return;
        g.SetMaxValue("1000");
        g.Cycle = true;
    });
    if (db == dbPostgreSQL) {
        // 8. minimum lowered with the start value
        b.Sequence("S_MIN", [m](TGnrData& g) {
            g.SetMinValue(m ? "1" : "10");
            g.StartWith = m ? "1" : "10";
        });
        // 9. a table only the target has, with a serial column and its sequence
        if (!m) {
            b.Table("T_SER", {Typed("ID", iftSerial)});
            b.Sequence("T_SER_ID_SEQ", [](TGnrData& g) { g.OwnedBy = "t_ser.id"; });
        }
    } else {
        // 8. no cache
        b.Sequence("S_NOCACHE", [m](TGnrData& g) { g.SetNoCache(m); });
    }
}

TSqlLines Setup(TDatabaseType) { return {}; }

// A value set in the target must survive the comparison script.
TSqlLines Rows(TDatabaseType db) {
    switch (db) {
        case dbInterBase: return {"SET GENERATOR S_INC TO 500;", "COMMIT;"};
        case dbPostgreSQL: return {"SELECT nextval('s_inc'), nextval('s_inc');"};
        default: return {};
    }
}

TSqlLines Checks(TDatabaseType db) {
    switch (db) {
        case dbInterBase:
            return {"SELECT CASE WHEN GEN_ID(S_INC, 0) = 500 THEN 1 ELSE 0 END FROM RDB$DATABASE",
                    "SELECT COUNT(*) FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'S_INC' AND RDB$GENERATOR_INCREMENT = 10",
                    "SELECT COUNT(*) FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'S_NEW' AND RDB$GENERATOR_INCREMENT = 10 "
                    "AND RDB$INITIAL_VALUE = 100"};
        case dbPostgreSQL:
            return {"SELECT CASE WHEN last_value = 2 AND is_called THEN 1 ELSE 0 END FROM s_inc",
                    "SELECT count(*) FROM pg_sequences WHERE sequencename = 's_inc' AND increment_by = 10",
                    "SELECT count(*) FROM pg_sequences WHERE sequencename = 's_opts' AND cycle AND cache_size = 20",
                    "SELECT CASE WHEN count(*) = 0 THEN 1 ELSE 0 END FROM pg_class WHERE relname IN ('t_ser', 't_ser_id_seq', 's_gone')"};
        default:
            return {"SELECT count(*) FROM s_inc WHERE increment = 10 AND next_not_cached_value = 1",
                    "SELECT count(*) FROM s_opts WHERE cycle_option = 1 AND cache_size = 20",
                    "SELECT count(*) FROM s_nocache WHERE cache_size = 0"};
    }
}

const LiveScenarioRegistrar reg({"sequences", Fill, Setup, Rows, Checks});

}  // namespace
}  // namespace dbtwin::live
