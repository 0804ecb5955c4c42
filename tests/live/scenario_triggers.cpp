// Triggers and views: views kept, added, dropped and changed, a chain of three views over a
// column whose type changes, a view over a dropped table, a view whose column list changes;
// triggers kept, added, dropped, with changed body, events and timing, a trigger whose
// table is dropped and one that writes into a dropped table; per server what only it has
// (Firebird: position, active state, a trigger on a view; PostgreSQL: a WHEN condition and
// an INSTEAD OF trigger on a view). PostgreSQL trigger bodies call functions, which both
// sides hold alike.
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

struct Ctx {
    TCustomObjs& o;
    TDatabaseType db;
    bool master;

    // Firebird keeps unquoted names upper-case, the others lower-case.
    std::string N(const std::string& name) const { return ServerName(name, db); }
    bool IB() const { return db == dbInterBase; }
    bool PG() const { return db == dbPostgreSQL; }
    bool My() const { return db == dbMySQL; }

    TTblData* Table(const std::string& name, std::vector<std::pair<std::string, std::int32_t>> cols) {
        auto* t = new TTblData(&o);
        t->SetObjName(N(name));
        for (const auto& [c, len] : cols) {
            TFldData* f = t->AddFld(N(c));
            f->FieldType = len ? iftVarchar : iftInteger;
            f->CharLength = len;
        }
        o.AddObj(t);
        return t;
    }
    TTblData* Tbl(const std::string& name) const { return o.Tbl.Find(N(name)); }
    TFldData* Col(const std::string& table, const std::string& col) const { return Tbl(table)->FindFld(N(col)); }

    // A view over the listed tables, views and columns, linked to each as a parser would.
    TViwData* View(const std::string& name, const std::string& query, std::vector<TDbObj*> uses,
                   std::vector<std::string> cols = {}) {
        auto* v = new TViwData(&o);
        v->SetObjName(N(name));
        v->SetBody(query);
        for (const std::string& c : cols) v->AddFld(N(c));
        o.AddObj(v);
        for (TDbObj* u : uses) o.LinkDepend(v, u);
        return v;
    }
    TViwData* Viw(const std::string& name) const { return o.Viw.Find(N(name)); }

    TTrgData* Trigger(const std::string& name, const std::string& owner, TBefAftType timing, TInsUpdDelSet events,
                      const std::string& body, std::vector<TDbObj*> uses = {}) {
        auto* t = new TTrgData(&o);
        t->SetObjName(N(name));
        t->SetOwnName(N(owner));
        t->SetEvents(timing, events);
        t->ForEachRow = true;
        t->SetBody(body);
        o.AddObj(t);
        for (TDbObj* u : uses) o.LinkDepend(t, u);
        return t;
    }
};

// The statements of a trigger body that sets N, per server.
std::string SetN(const Ctx& x, const std::string& value) {
    if (x.IB()) return "AS\r\nBEGIN\r\n  NEW.N = " + value + ";\r\nEND";
    if (x.PG()) return "EXECUTE FUNCTION set_n_" + value + "()";
    return "SET NEW.n = " + value;
}
// A body that does something harmless, for triggers where NEW cannot be changed.
std::string Note(const Ctx& x, const std::string& what) {
    if (x.IB()) return "AS\r\nBEGIN\r\n  RDB$SET_CONTEXT('USER_TRANSACTION', '" + what + "', '1');\r\nEND";
    if (x.PG()) return "EXECUTE FUNCTION note()";
    return "SET @" + what + " = 1";
}

// The PostgreSQL trigger functions, alike on both sides.
void TriggerFunctions(Ctx& x) {
    auto fn = [&x](const std::string& name, const std::string& body) {
        auto* p = new TPrcData(&x.o);
        p->SetObjName(name);
        p->Func = true;
        p->RetValue = "trigger";
        p->Language = "plpgsql";
        p->SetBody("BEGIN " + body + " END");
        x.o.AddObj(p);
    };
    for (const char* n : {"1", "2", "3", "4", "5"})
        fn(std::string("set_n_") + n, std::string("NEW.n := ") + n + "; RETURN NEW;");
    fn("note", "RETURN NULL;");
    fn("audit", "INSERT INTO t_audit (id) VALUES (NEW.id); RETURN NEW;");
    fn("log_row", "INSERT INTO t_log (id) VALUES (NEW.id); RETURN NEW;");
}

// A PostgreSQL trigger uses the function its body executes.
void LinkTriggerFunctions(Ctx& x) {
    for (TTrgData* t : x.o.Trg) {
        const std::string& body = t->fBody;
        const std::string head = "EXECUTE FUNCTION ";
        if (body.compare(0, head.size(), head) != 0) continue;
        const std::string name = body.substr(head.size(), body.find('(') - head.size());
        if (TPrcData* f = x.o.Prc.Find(name + "()")) x.o.LinkDepend(t, f);
    }
}

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    Ctx x{o, db, m};
    if (x.PG()) TriggerFunctions(x);

    // Tables.
    x.Table("T_BASE", {{"ID", 0}, {"A", 10}, {"B", 0}});
    x.Table("T_CHAIN", {{"ID", 0}, {"A", m ? 20 : 10}});
    x.Table("T_LOG", {{"ID", 0}});
    x.Table("T_TRG", {{"ID", 0}, {"N", 0}});
    x.Table("T_TRG2", {{"ID", 0}, {"N", 0}});
    if (!m) {
        x.Table("T_OLD", {{"ID", 0}});
        x.Table("T_AUDIT", {{"ID", 0}});
        x.Table("T_TRG_GONE", {{"ID", 0}, {"N", 0}});
    }
    const std::string base = x.N("T_BASE"), chain = x.N("T_CHAIN");
    TTblData* tb = x.Tbl("T_BASE");

    // Views. Firebird's dump lists views in the order they were created: the names sort
    // kept views first, then those the script creates, in the order it creates them.
    // 1. unchanged
    x.View("V0_KEEP", "SELECT " + x.N("ID") + ", " + x.N("A") + " FROM " + base,
           {tb, x.Col("T_BASE", "ID"), x.Col("T_BASE", "A")});
    // 2. new and 3. dropped
    if (m) x.View("V4_NEW", "SELECT " + x.N("B") + " FROM " + base, {tb, x.Col("T_BASE", "B")});
    else x.View("V4_GONE", "SELECT " + x.N("A") + " FROM " + base, {tb, x.Col("T_BASE", "A")});
    // 4. query changed
    x.View("V5_CHANGED", "SELECT " + x.N("ID") + " FROM " + base + (m ? " WHERE " + x.N("B") + " > 0" : ""),
           {tb, x.Col("T_BASE", "ID"), x.Col("T_BASE", "B")});
    // 5.-7. a chain over a column that is widened: dropped top first, created base first
    TViwData* v1 = x.View("V1_BASE", "SELECT " + x.N("ID") + ", " + x.N("A") + " FROM " + chain,
                          {x.Tbl("T_CHAIN"), x.Col("T_CHAIN", "ID"), x.Col("T_CHAIN", "A")});
    TViwData* v2 = x.View("V2_MID", "SELECT " + x.N("ID") + ", " + x.N("A") + " FROM " + v1->fObjName, {v1});
    x.View("V3_TOP", "SELECT " + x.N("A") + " FROM " + v2->fObjName, {v2});
    // 8. a view over a table that is dropped
    if (!m) x.View("V4_OLD", "SELECT " + x.N("ID") + " FROM " + x.N("T_OLD"), {x.Tbl("T_OLD"), x.Col("T_OLD", "ID")});
    // 9. the column list changes
    x.View("V5_COLS", "SELECT " + x.N("ID") + ", " + x.N("B") + " FROM " + base, {tb},
           m ? std::vector<std::string>{"K", "VAL"} : std::vector<std::string>{"K", "V"});

    // Triggers. MariaDB allows one trigger per table, timing and event that keeps the order
    // of its dump stable, and no change of NEW after the row is written.
    const std::string trg = "T_TRG";
    // 10. unchanged
    x.Trigger("TR_KEEP", trg, baBefore, {iudInsert}, SetN(x, "1"));
    // 11. new and 12. dropped
    if (m) x.Trigger("TR_NEW", trg, baAfter, {iudInsert}, Note(x, "added"));
    else x.Trigger("TR_GONE", trg, baAfter, {iudDelete}, Note(x, "gone"));
    // 13. body changed
    x.Trigger("TR_BODY", trg, baBefore, {iudUpdate}, SetN(x, m ? "2" : "3"));
    // 14. events changed
    x.Trigger("TR_EVENT", trg, m ? baBefore : baAfter, m ? TInsUpdDelSet{iudDelete} : TInsUpdDelSet{iudUpdate},
              Note(x, "event"));
    // 15. timing changed
    x.Trigger("TR_TIMING", "T_TRG2", m ? baAfter : baBefore, {iudUpdate}, Note(x, "timing"));
    // 16. a trigger that writes into a table the master no longer has: emptied or dropped
    // before the table goes, then written again from the master
    if (m) {
        x.Trigger("TR_USES", "T_TRG2", baBefore, {iudInsert}, SetN(x, "4"));
    } else {
        std::string body = x.IB()   ? "AS\r\nBEGIN\r\n  INSERT INTO T_AUDIT (ID) VALUES (NEW.ID);\r\nEND"
                           : x.PG() ? "EXECUTE FUNCTION audit()"
                                    : "INSERT INTO t_audit (id) VALUES (NEW.id)";
        x.Trigger("TR_USES", "T_TRG2", baBefore, {iudInsert}, body, {x.Tbl("T_AUDIT")});
    }
    // 17. a trigger of a table that is dropped
    if (!m) x.Trigger("TR_TBL_GONE", "T_TRG_GONE", baBefore, {iudInsert}, SetN(x, "5"));

    if (x.IB()) {
        // 18. position changed and 19. made inactive
        TTrgData* p = x.Trigger("TR_POS", "T_TRG2", baAfter, {iudDelete}, Note(x, "pos"));
        p->Position = m ? 5 : 1;
        x.Trigger("TR_ACT", "T_TRG2", baAfter, {iudInsert}, Note(x, "act"))->Active = !m;
        // 20. a new view with a trigger of its own: created with an empty body, then filled
        if (m) {
            TViwData* v = x.View("V4_TRG", "SELECT ID FROM T_LOG", {x.Tbl("T_LOG"), x.Col("T_LOG", "ID")});
            x.Trigger("TR_VIEW", v->fObjName, baBefore, {iudInsert},
                      "AS\r\nBEGIN\r\n  INSERT INTO T_LOG (ID) VALUES (NEW.ID);\r\nEND", {x.Tbl("T_LOG")});
        }
    }
    if (x.PG()) {
        // 18. a WHEN condition added
        x.Trigger("tr_when", "t_trg2", baAfter, {iudDelete}, Note(x, "when"))->WhenExpr = m ? "old.n > 0" : "";
        // 19. a statement-level trigger
        x.Trigger("tr_stmt", "t_log", baAfter, {iudInsert}, "EXECUTE FUNCTION note()")->ForEachRow = false;
        // 20. a new view with an INSTEAD OF trigger
        if (m) {
            TViwData* v = x.View("v4_trg", "SELECT id FROM t_log", {x.Tbl("t_log"), x.Col("t_log", "id")});
            x.Trigger("tr_view", v->fObjName, baInsteadOf, {iudInsert}, "EXECUTE FUNCTION log_row()");
        }
        // 21. the columns of an UPDATE OF trigger change
        TTrgData* u = x.Trigger("tr_upd_of", "t_trg2", baAfter, {iudUpdate}, Note(x, "upd_of"));
        u->AddFld("n");
        if (m) u->AddFld("id");
    }
    if (x.My()) {
        // 18. a trigger moved to another table
        x.Trigger("tr_moved", m ? "t_log" : "t_base", baBefore, {iudDelete}, Note(x, "moved"));
    }
    if (x.PG()) LinkTriggerFunctions(x);
}

TSqlLines Setup(TDatabaseType) { return {}; }

TSqlLines Rows(TDatabaseType db) {
    TSqlLines r = {
        "INSERT INTO T_BASE (ID, A, B) VALUES (1, 'a', 2);",
        "INSERT INTO T_CHAIN (ID, A) VALUES (1, 'ten chars.');",
    };
    if (db == dbInterBase) r.push_back("COMMIT;");
    return FoldForServer(r, db);
}

TSqlLines Checks(TDatabaseType db) {
    TSqlLines r = {
        "SELECT COUNT(*) FROM V0_KEEP WHERE ID = 1 AND A = 'a'",
        "SELECT COUNT(*) FROM V5_CHANGED WHERE ID = 1",
        "SELECT COUNT(*) FROM V3_TOP WHERE A = 'ten chars.'",
        "SELECT COUNT(*) FROM V5_COLS WHERE K = 1 AND VAL = 2",
    };
    return FoldForServer(r, db);
}

const LiveScenarioRegistrar reg({"triggers", Fill, Setup, Rows, Checks});

}  // namespace
}  // namespace dbtwin::live
