// A Firebird collation that changes while a column uses it: the server refuses to drop it,
// so the script leaves it as it is and says so; the script runs and the rows stay.
#include <string>

#include "compare/krvKeldar.h"
#include "live_objects.h"
#include "objects/krvComp_Def.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    auto* c = new TCltData(&o);
    c->SetObjName("C_USED");
    c->Charset = "UTF8";
    c->BaseCollation = "UNICODE";
    c->CaseSensitive = false;
    c->AccentSensitive = !m;
    o.AddObj(c);
    TObjBuilder b{o, db};
    TTblData* t = b.Table("TC", {Int("ID"), Varchar("S", 10)});
    t->FindFld("S")->EditRare().CharSet = "UTF8";
    t->FindFld("S")->EditRare().Collation = "C_USED";
}

TSqlLines None(TDatabaseType) { return {}; }
TSqlLines Rows(TDatabaseType) { return {"INSERT INTO TC (ID, S) VALUES (1, 'Abc');", "COMMIT;"}; }
TSqlLines Checks(TDatabaseType) { return {"SELECT COUNT(*) FROM TC WHERE S = 'abc'"}; }

TLiveScenario Scenario() {
    TLiveScenario s{"collation_in_use", Fill, None, Rows, Checks};
    s.Servers = [](TDatabaseType db) { return db == dbInterBase; };
    s.Configure = [](TKeldar& k) { k.GetIBCompareOptions().SetFldCharsetCompare(true); };
    s.LeavesDifference = true;
    s.ExpectScriptComment = [](TDatabaseType) { return std::string("Collation C_USED is not changed"); };
    return s;
}

const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
