// Writes the scripts of one comparison scenario for a server (compare_live.sh runs them):
//   compare_probe <firebird|postgres|mysql> target <database> [user password]   target schema
//   compare_probe <firebird|postgres|mysql> master <database> [user password]   master schema
//   compare_probe <firebird|postgres|mysql> diff <database> [user password]     the script that
//                                                                               turns target into master
// The schemas are built in memory; target and master are written by the library's export.
#include <iostream>
#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "model/krvCompObj.h"
#include "model/krvDBStructure.h"
#include "objects/krvComp_Tbl.h"

using namespace dbtwin;

namespace {

struct Col {
    const char* name;
    TDBFieldType type;
    std::int32_t length = 0;
    bool notNull = false;
    const char* def = "";
};

void Table(TCustomObjs& o, std::string name, const std::vector<Col>& cols, bool lower) {
    auto* t = new TTblData(&o);
    t->SetObjName(lower ? LowerCase(name) : name);
    for (const Col& c : cols) {
        TFldData* f = t->AddFld(lower ? LowerCase(c.name) : c.name);
        f->FieldType = c.type;
        f->CharLength = c.length;
        f->Nullable = !c.notNull;
        f->SetDefValue(c.def);
    }
    o.AddObj(t);
}

// Kept, added and dropped tables and columns, changed columns (widened, default added,
// nullability dropped); on Firebird also a table whose columns move.
void Fill(TCustomObjs& o, bool master, TDatabaseType db) {
    const bool lower = db != dbInterBase;
    if (master) {
        Table(o, "T_KEEP", {{"ID", iftInteger, 0, true}, {"NAME", iftVarchar, 20}, {"ADDED", iftInteger}}, lower);
        Table(o, "T_NEW", {{"X", iftInteger}, {"Y", iftVarchar, 10}}, lower);
        if (db == dbInterBase) Table(o, "T_MOVE", {{"B", iftInteger}, {"A", iftInteger}}, lower);
        Table(o, "T_CHANGE", {{"W", iftVarchar, 40}, {"D", iftInteger, 0, false, "7"}, {"N", iftInteger}}, lower);
    } else {
        Table(o, "T_KEEP", {{"ID", iftInteger, 0, true}, {"NAME", iftVarchar, 20}, {"OLD", iftInteger}}, lower);
        Table(o, "T_GONE", {{"Z", iftInteger}}, lower);
        if (db == dbInterBase) Table(o, "T_MOVE", {{"A", iftInteger}, {"B", iftInteger}}, lower);
        Table(o, "T_CHANGE", {{"W", iftVarchar, 20}, {"D", iftInteger}, {"N", iftInteger, 0, true}}, lower);
    }
}

void Setup(TCustomObjs& o, TDatabaseType db, const std::string& database, const std::string& user,
           const std::string& password) {
    o.SetDatabaseType(db);
    if (db == dbInterBase) {
        o.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
        o.fIBServerOptions.SetDBCharSet("UTF8");
    }
    o.fConnectionOptions.SetDatabaseName(database);
    o.fConnectionOptions.SetUserName(user);
    o.fConnectionOptions.SetPassword(password);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() < 3) {
        std::cerr << "usage: compare_probe <firebird|postgres|mysql> <target|master|diff> <database> [user password]\n";
        return 2;
    }
    const TDatabaseType db = a[0] == "firebird" ? dbInterBase : a[0] == "postgres" ? dbPostgreSQL : dbMySQL;
    const std::string user = a.size() > 3 ? a[3] : "";
    const std::string password = a.size() > 4 ? a[4] : "";

    if (a[1] == "target" || a[1] == "master") {
        TObjs objs;
        Setup(objs, db, a[2], user, password);
        Fill(objs, a[1] == "master", db);
        std::vector<std::string> script;
        objs.ExtractMetadata(script);
        std::cout << JoinLines(script);
        return 0;
    }
    TDBStructure master, target;
    Setup(*master.GetObjs(), db, a[2], user, password);
    Setup(*target.GetObjs(), db, a[2], user, password);
    Fill(*master.GetObjs(), true, db);
    Fill(*target.GetObjs(), false, db);
    TKeldar keldar;
    // The server's own client runs the script: reconnect with CONNECT, not RECONNECT.
    keldar.GetIBCompareOptions().SetUseRECONNECT(false);
    keldar.SetDBStructureMaster(&master);
    keldar.SetDBStructureTarget(&target);
    TSQLExec exec;
    keldar.SetSQLExec(&exec);
    keldar.CompareDatabases();
    std::cout << exec.GetScriptText() << "\r\n";
    return 0;
}
