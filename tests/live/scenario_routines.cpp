// Procedures and functions: kept, new, dropped; body, parameters, result and kind changed;
// routines that call each other (new pairs, a callee whose parameters change under an
// unchanged caller, a caller of a changed function), a routine over a table that is dropped
// and over a column that is widened; per server what only it has (PostgreSQL: overloads, SQL
// functions, a body holding "$$", a SQL-standard body over a dropped table, volatility;
// MariaDB: characteristics, IN/OUT parameters).
#include <string>
#include <vector>

#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

void FillFirebird(TObjBuilder& b, bool m, TTblData* tr, TTblData* gone) {
    auto* colA = tr->FindFld("A");
    // 1. kept, 2. new selectable procedure, 3. dropped
    b.Routine("P_KEEP", "BEGIN INSERT INTO T_R (ID) VALUES (1); END", {}, {}, false, {tr});
    if (m) b.Routine("P_NEW", "BEGIN B = A * 2; SUSPEND; END", {Int("A")}, {Int("B")});
    else b.Routine("P_GONE", "BEGIN DELETE FROM T_R; END", {}, {}, false, {tr});
    // 4. body changed
    b.Routine("P_BODY", m ? "BEGIN UPDATE T_R SET ID = 2; END" : "BEGIN UPDATE T_R SET ID = 3; END", {}, {}, false, {tr});
    // 5. parameters changed, no caller
    b.Routine("P_PARAMS", "BEGIN EXIT; END", m ? std::vector<TCol>{Int("A"), Varchar("B", 10)} : std::vector<TCol>{Int("A")});
    // 6. a callee gains a parameter while its caller stays
    TPrcData* c2 = b.Routine("C2", "BEGIN INSERT INTO T_R (ID) VALUES (:A); END",
                             m ? std::vector<TCol>{Int("A"), Default(Int("B"), "0")} : std::vector<TCol>{Int("A")}, {},
                             false, {tr});
    b.Routine("C1", "BEGIN EXECUTE PROCEDURE C2 1; END", {}, {}, false, {c2});
    // 7. a new pair, the caller sorting first
    if (m) {
        TPrcData* n2 = b.Routine("N2", "BEGIN INSERT INTO T_R (ID) VALUES (7); END", {}, {}, false, {tr});
        b.Routine("N1", "BEGIN EXECUTE PROCEDURE N2; END", {}, {}, false, {n2});
    }
    // 8. over a table that is dropped: emptied before, given the master's body after;
    // 9. only the target has it: emptied and dropped
    if (m) {
        b.Routine("P_TBL", "BEGIN INSERT INTO T_R (ID) VALUES (8); END", {}, {}, false, {tr});
    } else {
        b.Routine("P_TBL", "BEGIN INSERT INTO T_GONE (ID) VALUES (1); END", {}, {}, false, {gone});
        b.Routine("Q_GONE", "BEGIN DELETE FROM T_GONE; END", {}, {}, false, {gone});
    }
    // 10. new function, 11. function body changed with a caller that stays
    if (m) b.Routine("F_NEW", "BEGIN RETURN A + 1; END", {Int("A")}, {Int("")}, true);
    TPrcData* fb = b.Routine("F_BODY", m ? "BEGIN RETURN A + 2; END" : "BEGIN RETURN A + 3; END", {Int("A")}, {Int("")}, true);
    b.Routine("F_USE", "BEGIN RETURN F_BODY(A) * 2; END", {Int("A")}, {Int("")}, true, {fb});
    // 12. a procedure in the target, a function in the master
    if (m) b.Routine("K_KIND", "BEGIN RETURN 1; END", {}, {Int("")}, true);
    else b.Routine("K_KIND", "BEGIN EXIT; END");
    // 13. over a column that is widened
    TPrcData* pc = b.Routine("P_COL", "DECLARE X VARCHAR(20);\r\nBEGIN\r\n  SELECT FIRST 1 A FROM T_R INTO :X;\r\nEND",
                             {}, {}, false, {tr});
    b.o.LinkDepend(pc, colA);
}

void FillPostgres(TObjBuilder& b, bool m, TTblData* tr, TTblData* gone) {
    auto sql = [](TPrcData& p) { p.Language = "sql"; };
    // 1. kept procedure, 2. new function, 3. dropped procedure
    b.Routine("p_keep", "BEGIN INSERT INTO t_r (id) VALUES (1); END", {}, {}, false, {tr});
    if (m) b.Routine("f_new", "BEGIN RETURN a * 2; END", {Int("a")}, {Int("")}, true);
    else b.Routine("p_gone", "BEGIN DELETE FROM t_r; END", {}, {}, false, {tr});
    // 4. body changed
    b.Routine("p_body", m ? "BEGIN UPDATE t_r SET id = 2; END" : "BEGIN UPDATE t_r SET id = 3; END", {}, {}, false, {tr});
    // 5. parameters changed: another function by its identity
    b.Routine("f_params", "BEGIN RETURN 0; END", m ? std::vector<TCol>{Int("a"), Varchar("b", 10)} : std::vector<TCol>{Int("a")},
              {Int("")}, true);
    // 6. result type changed: dropped and created
    b.Routine("f_ret", "SELECT a", {Int("a")}, {m ? Typed("", iftBigInt) : Int("")}, true, {}, sql);
    // 7. a body holding "$$", new and changed
    if (m) b.Routine("f_dollar", "SELECT '$$' || a", {Varchar("a", 10)}, {Typed("", iftText)}, true, {}, sql);
    b.Routine("f_dollar2", m ? "SELECT 'x$$' || a || '$'" : "SELECT a", {Varchar("a", 10)}, {Typed("", iftText)}, true, {},
              sql);
    // 8. a SQL function only the target has, over a table that is dropped
    if (!m) b.Routine("f_sql_gone", "SELECT count(*) FROM t_gone", {}, {Typed("", iftBigInt)}, true, {gone}, sql);
    // 9. a SQL-standard body over a table that is dropped: dropped first, created again
    b.Routine("f_atomic", m ? "BEGIN ATOMIC SELECT count(*) FROM t_r; END" : "BEGIN ATOMIC SELECT count(*) FROM t_gone; END",
              {}, {Typed("", iftBigInt)}, true, {m ? tr : gone}, sql);
    // 10. overloads: f_ov(integer) changed, f_ov(text) new, f_ov(bigint) dropped
    b.Routine("f_ov", m ? "SELECT a + 1" : "SELECT a", {Int("a")}, {Int("")}, true, {}, sql);
    if (m) b.Routine("f_ov", "SELECT length(a)", {Typed("a", iftText)}, {Int("")}, true, {}, sql);
    else b.Routine("f_ov", "SELECT 0", {Typed("a", iftBigInt)}, {Int("")}, true, {}, sql);
    // 11. a procedure whose parameters change
    b.Routine("p_params", "BEGIN NULL; END", m ? std::vector<TCol>{Int("a"), Int("b")} : std::vector<TCol>{Int("a")});
    // 12. volatility and strictness changed
    b.Routine("f_vol", "SELECT a * 3", {Int("a")}, {Int("")}, true, {}, [m](TPrcData& p) {
        p.Language = "sql";
        if (!m) return;
        p.Volatile = "IMMUTABLE";
        p.ProcStrict = true;
    });
    // 13. new set-returning function; 14. a new pair of SQL functions, the caller sorting first
    if (m) {
        b.Routine("f_setof", "SELECT id FROM t_r", {}, {Int("")}, true, {tr}, [](TPrcData& p) {
            p.Language = "sql";
            p.RetSetOf = true;
        });
        TPrcData* n2 = b.Routine("n2", "SELECT 2", {}, {Int("")}, true, {}, sql);
        b.Routine("n1", "SELECT n2() + 1", {}, {Int("")}, true, {n2}, sql);
    }
}

void FillMariaDB(TObjBuilder& b, bool m, TTblData* tr, TTblData* gone) {
    auto in = [](TCol c) { return c; };
    // 1. kept, 2. new procedure with IN and OUT parameters, 3. dropped
    b.Routine("p_keep", "BEGIN INSERT INTO t_r (id) VALUES (1); END", {}, {}, false, {tr});
    if (m)
        b.Routine("p_new", "BEGIN SET b = a * 2; END", {in(Int("a")), Int("b")}, {}, false, {}, [](TPrcData& p) {
            p.Params.Objects(0)->InOut = ioIn;
            p.Params.Objects(1)->InOut = ioOut;
        });
    else
        b.Routine("p_gone", "BEGIN DELETE FROM t_r; END", {}, {}, false, {tr});
    // 4. body changed, 5. parameters changed
    b.Routine("p_body", m ? "BEGIN UPDATE t_r SET id = 2; END" : "BEGIN UPDATE t_r SET id = 3; END", {}, {}, false, {tr});
    b.Routine("p_params", "BEGIN END", m ? std::vector<TCol>{Int("a"), Varchar("b", 10)} : std::vector<TCol>{Int("a")});
    // 6. new function, 7. function body changed under a caller that stays
    if (m) b.Routine("f_new", "BEGIN RETURN a + 1; END", {Int("a")}, {Int("")}, true);
    TPrcData* fb = b.Routine("f_body", m ? "BEGIN RETURN a + 2; END" : "BEGIN RETURN a + 3; END", {Int("a")}, {Int("")}, true);
    b.Routine("f_use", "BEGIN RETURN f_body(a) * 2; END", {Int("a")}, {Int("")}, true, {fb});
    // 8. a callee gains a parameter while its caller stays
    TPrcData* c2 = b.Routine("c2", "BEGIN INSERT INTO t_r (id) VALUES (a); END",
                             m ? std::vector<TCol>{Int("a"), Int("b")} : std::vector<TCol>{Int("a")}, {}, false, {tr});
    b.Routine("c1", m ? "BEGIN CALL c2(1, 0); END" : "BEGIN CALL c2(1); END", {}, {}, false, {c2});
    // 9. a new pair, the caller sorting first
    if (m) {
        TPrcData* n2 = b.Routine("n2", "BEGIN INSERT INTO t_r (id) VALUES (7); END", {}, {}, false, {tr});
        b.Routine("n1", "BEGIN CALL n2(); END", {}, {}, false, {n2});
    }
    // 10. over a table that is dropped, 11. only the target has it
    if (m) {
        b.Routine("p_tbl", "BEGIN INSERT INTO t_r (id) VALUES (8); END", {}, {}, false, {tr});
    } else {
        b.Routine("p_tbl", "BEGIN INSERT INTO t_gone (id) VALUES (1); END", {}, {}, false, {gone});
        b.Routine("q_gone", "BEGIN DELETE FROM t_gone; END", {}, {}, false, {gone});
    }
    // 12. a procedure in the target, a function in the master
    if (m) b.Routine("k_kind", "BEGIN RETURN 1; END", {}, {Int("")}, true);
    else b.Routine("k_kind", "BEGIN END");
    // 13. characteristics changed
    b.Routine("f_opts", "BEGIN RETURN a * 3; END", {Int("a")}, {Int("")}, true, {}, [m](TPrcData& p) {
        p.MySqlOptions = m ? TMySqlProcOptionsSet{mpDeterministic, mpNoSql} : TMySqlProcOptionsSet{mpReadsSqlData};
    });
}

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder b{o, db};
    TTblData* tr = b.Table("T_R", {Int("ID"), Varchar("A", m ? 20 : 10)});
    TTblData* gone = m ? nullptr : b.Table("T_GONE", {Int("ID")});
    if (db == dbInterBase) FillFirebird(b, m, tr, gone);
    else if (db == dbPostgreSQL) FillPostgres(b, m, tr, gone);
    else FillMariaDB(b, m, tr, gone);
}

TSqlLines Setup(TDatabaseType) { return {}; }

TSqlLines Rows(TDatabaseType db) {
    TSqlLines r = {"INSERT INTO T_R (ID, A) VALUES (1, 'ten chars.');"};
    if (db == dbInterBase) r.push_back("COMMIT;");
    return FoldForServer(r, db);
}

TSqlLines Checks(TDatabaseType db) {
    switch (db) {
        case dbInterBase:
            return {"SELECT COUNT(*) FROM P_NEW(21) WHERE B = 42",
                    "SELECT CASE WHEN F_NEW(1) = 2 AND F_USE(0) = 4 AND K_KIND() = 1 THEN 1 ELSE 0 END FROM RDB$DATABASE",
                    "SELECT COUNT(*) FROM T_R WHERE A = 'ten chars.'"};
        case dbPostgreSQL:
            return {"SELECT CASE WHEN f_new(21) = 42 AND f_ret(2) = 2 AND f_ov(1) = 2 AND f_ov('abc'::text) = 3 "
                    "AND f_dollar('x') = '$$x' AND f_atomic() = 1 AND n1() = 3 THEN 1 ELSE 0 END",
                    "SELECT count(*) FROM f_setof()"};
        default:
            return {"SELECT CASE WHEN f_new(1) = 2 AND f_use(0) = 4 AND k_kind() = 1 AND f_opts(1) = 3 THEN 1 ELSE 0 END",
                    "SELECT COUNT(*) FROM t_r WHERE a = 'ten chars.'"};
    }
}

const LiveScenarioRegistrar reg({"routines", Fill, Setup, Rows, Checks});

}  // namespace
}  // namespace dbtwin::live
