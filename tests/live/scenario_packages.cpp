// Firebird packages: a new package used by a new procedure and by a trigger; a package
// whose body changes; a package whose header gains a function while a procedure calls it;
// a package only the target has, still called by the target's version of a procedure.
#include <string>
#include <vector>

#include "live_objects.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Trg.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

TPkgData* Package(TObjBuilder& b, const std::string& aName, const std::string& aHeader, const std::string& aBody) {
    auto* p = new TPkgData(&b.o);
    p->SetObjName(aName);
    p->HeaderBody = aHeader;
    p->SetBody(aBody);
    b.o.AddObj(p);
    return p;
}

// A package of functions returning constants: name -> value.
TPkgData* Constants(TObjBuilder& b, const std::string& aName, const std::vector<std::pair<std::string, int>>& aFns) {
    std::string header = "BEGIN\r\n", body = "BEGIN\r\n";
    for (const auto& [fn, value] : aFns) {
        header += "  FUNCTION " + fn + "() RETURNS INTEGER;\r\n";
        body += "  FUNCTION " + fn + "() RETURNS INTEGER AS BEGIN RETURN " + std::to_string(value) + "; END\r\n";
    }
    return Package(b, aName, header + "END", body + "END");
}

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder b{o, db};
    TTblData* t = b.Table("T_P", {Int("ID"), Int("N")});
    // 1. new, used by a new procedure and a trigger
    if (m) {
        TPkgData* pk = Constants(b, "PK_NEW", {{"F1", 1}});
        b.Routine("P_USE", "DECLARE X INTEGER;\r\nBEGIN\r\n  X = PK_NEW.F1();\r\nEND", {}, {}, false, {pk});
        auto* trg = new TTrgData(&o);
        trg->SetObjName("TR_PK");
        trg->SetOwnName("T_P");
        trg->SetEvents(baBefore, {iudInsert});
        trg->SetBody("AS\r\nBEGIN\r\n  NEW.N = PK_NEW.F1();\r\nEND");
        o.AddObj(trg);
        o.LinkDepend(trg, pk);
        o.LinkDepend(trg, t);
    }
    // 2. the body changes
    Constants(b, "PK_BODY", {{"F", m ? 2 : 3}});
    // 3. the header gains a function while a procedure calls the package
    TPkgData* hdr = m ? Constants(b, "PK_HDR", {{"G", 4}, {"H", 5}}) : Constants(b, "PK_HDR", {{"G", 4}});
    b.Routine("P_HDR", "DECLARE X INTEGER;\r\nBEGIN\r\n  X = PK_HDR.G();\r\nEND", {}, {}, false, {hdr});
    // 4. only the target has it; the target's version of a procedure calls it
    if (m) {
        b.Routine("P_OLD", "BEGIN EXIT; END");
    } else {
        TPkgData* gone = Constants(b, "PK_GONE", {{"K", 6}});
        b.Routine("P_OLD", "DECLARE X INTEGER;\r\nBEGIN\r\n  X = PK_GONE.K();\r\nEND", {}, {}, false, {gone});
    }
}

TSqlLines None(TDatabaseType) { return {}; }

TSqlLines Rows(TDatabaseType) { return {"INSERT INTO T_P (ID, N) VALUES (1, 0);", "COMMIT;"}; }

TSqlLines Checks(TDatabaseType) {
    return {"SELECT CASE WHEN PK_NEW.F1() = 1 AND PK_BODY.F() = 2 AND PK_HDR.H() = 5 THEN 1 ELSE 0 END FROM RDB$DATABASE",
            "SELECT COUNT(*) FROM T_P WHERE ID = 1"};
}

TLiveScenario Scenario() {
    TLiveScenario s{"packages", Fill, None, Rows, Checks};
    s.Servers = [](TDatabaseType db) { return db == dbInterBase; };
    return s;
}

const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
