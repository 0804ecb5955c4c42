// Exceptions and collations on Firebird, rules on PostgreSQL.
// Firebird: a new exception; one whose message changes case only; one only the target has,
// raised by the target's version of a procedure that the master keeps with another body; a
// new collation; a collation that changes while nothing uses it.
// PostgreSQL: a new conditional rule; one whose condition changes; rules of one name on
// two tables, one of them changed; a rule only the target has.
#include <string>

#include "live_objects.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Rul.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

TExcData* Exception(TCustomObjs& o, const std::string& aName, const std::string& aMsg) {
    auto* e = new TExcData(&o);
    e->SetObjName(aName);
    e->Msg = aMsg;
    o.AddObj(e);
    return e;
}

void Collation(TCustomObjs& o, const std::string& aName, bool aCaseSensitive, bool aAccentSensitive) {
    auto* c = new TCltData(&o);
    c->SetObjName(aName);
    c->Charset = "UTF8";
    c->BaseCollation = "UNICODE";
    c->CaseSensitive = aCaseSensitive;
    c->AccentSensitive = aAccentSensitive;
    o.AddObj(c);
}

void Rule(TCustomObjs& o, const std::string& aName, const std::string& aTable, const std::string& aCond) {
    auto* r = new TRulData(&o);
    r->SetObjName(aName);
    r->SetSchema("public");
    r->SchName = "public";
    r->TblName = aTable;
    r->Event = iudDelete;
    r->Action = "INSTEAD";
    r->Nothing = true;
    r->Cond = aCond;
    o.AddObj(r);
}

void FillFirebird(TObjBuilder& b, bool m) {
    TCustomObjs& o = b.o;
    b.Table("T_K", {Int("ID")});
    if (m) Exception(o, "E_NEW", "it's new");
    Exception(o, "E_CHG", m ? "Abc" : "ABC");
    if (m) {
        b.Routine("P_GONE", "BEGIN\r\n  EXIT;\r\nEND");
    } else {
        TExcData* gone = Exception(o, "E_GONE", "gone");
        b.Routine("P_GONE", "BEGIN\r\n  EXCEPTION E_GONE;\r\nEND", {}, {}, false, {gone});
    }
    if (m) Collation(o, "C_NEW", false, true);
    Collation(o, "C_FREE", false, !m);  // accent-insensitive needs case-insensitive
}

void FillPostgres(TObjBuilder& b, bool m) {
    TCustomObjs& o = b.o;
    b.Table("t1", {Int("a")});
    b.Table("t2", {Int("a")});
    if (m) Rule(o, "r_new", "t1", "(old.a > 5)");
    else Rule(o, "r_gone", "t1", "");
    Rule(o, "r_cond", "t1", m ? "(old.a > 10)" : "(old.a > 5)");
    Rule(o, "r_same", "t1", "(old.a = 1)");
    Rule(o, "r_same", "t2", m ? "(old.a < 0)" : "(old.a = 1)");
}

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder b{o, db};
    if (db == dbInterBase) FillFirebird(b, m);
    else FillPostgres(b, m);
}

TSqlLines None(TDatabaseType) { return {}; }

TSqlLines Rows(TDatabaseType db) {
    if (db == dbInterBase) return {"INSERT INTO T_K (ID) VALUES (1);", "COMMIT;"};
    return {"INSERT INTO t1 (a) VALUES (1), (20);", "INSERT INTO t2 (a) VALUES (1);"};
}

TSqlLines Checks(TDatabaseType db) {
    if (db == dbInterBase)
        return {"SELECT COUNT(*) FROM RDB$EXCEPTIONS WHERE RDB$EXCEPTION_NAME = 'E_CHG' AND RDB$MESSAGE = 'Abc'",
                "SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = 'P_GONE' AND "
                "RDB$PROCEDURE_SOURCE CONTAINING 'EXIT'",
                "SELECT COUNT(*) FROM T_K"};
    return {"SELECT COUNT(*) - 1 FROM t1", "SELECT COUNT(*) FROM pg_rules WHERE rulename = 'r_same' AND definition LIKE '%a < 0%'",
            "SELECT COUNT(*) FROM t2"};
}

TLiveScenario Scenario() {
    TLiveScenario s{"kinds", Fill, None, Rows, Checks};
    s.Servers = [](TDatabaseType db) { return db == dbInterBase || db == dbPostgreSQL; };
    return s;
}

const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
