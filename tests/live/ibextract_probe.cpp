// Reads a live Firebird database with the catalog extractor (TIBDBExtract):
//   ibextract_probe compare <database> <script.sql>   compares the live set (master) with the
//       set the script reader makes of the script (target); prints the comparison script and
//       exits 1 when it holds more than the header of an empty comparison
//   ibextract_probe export <database> <new database>  writes the library's export of the set,
//       creating the new database
// The user and password come from DBTWIN_TEST_FIREBIRD; extractor and reader messages go to
// stderr and any error exits 1.
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "connect/firebird/krvConnection_Firebird.h"
#include "connect/krvIBDBExtract.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvDBStructure.h"
#include "parse/krvIBExParser.h"

using namespace dbtwin;

namespace {

std::map<std::string, std::string> Env() {
    std::map<std::string, std::string> r;
    const char* v = std::getenv("DBTWIN_TEST_FIREBIRD");
    std::istringstream in(v ? v : "");
    std::string kv;
    while (in >> kv)
        if (const auto eq = kv.find('='); eq != std::string::npos) r[kv.substr(0, eq)] = kv.substr(eq + 1);
    return r;
}

void Setup(TCustomObjs& o) {
    o.SetDatabaseType(dbInterBase);
    o.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    o.fIBServerOptions.SetDBCharSet("UTF8");
    TIBCompareOptions charSets;
    charSets.SetFldCharsetCompare(true);
    o.fIBServerOptions.SetIBCompareOptions(charSets);
}

bool ReadLive(TCustomObjs& o, TDBStructure& s, const std::string& aDatabase) {
    auto env = Env();
    TKRVConnection c;
    c.SetDatabaseType(dbInterBase);
    c.SetConnectionType(cnIBX);
    auto& opt = c.GetConnectionOptions();
    // The database is given as host/port:path.
    opt.SetDatabaseName(aDatabase);
    opt.SetUserName(env["user"]);
    opt.SetPassword(env["password"]);
    TIBDBExtract x;
    x.SetDBStructure(&s);
    x.SetKRVConnection(&c);
    x.SetShowFullLog(false);
    bool quiet = true;
    x.OnErrorMessage = [&quiet](TObject*, const std::string& m) {
        quiet = false;
        std::cerr << "extract: " << m << '\n';
    };
    x.OnLogNextLine = [](TObject*, const std::string&) {};
    (void)o;
    return x.ExtractDatabase() && quiet;
}

bool ReadScript(TCustomObjs& o, const std::string& aFile) {
    TIbExParser p;
    p.OnErrorMessage = [](TObject*, const std::string& m) { std::cerr << "reader: " << m << '\n'; };
    p.ParseFile(aFile, &o);
    const TMsgManager& m = p.GetMsgMngr();
    for (std::size_t i = 0; i < m.Count(); ++i) std::cerr << "reader: " << m.Get(i).Msg << '\n';
    if (m.GetIsErr()) return false;
    p.Link_Depend();
    return true;
}

std::string Compare(TDBStructure& master, TDBStructure& target) {
    TKeldar keldar;
    keldar.GetIBCompareOptions().SetUseRECONNECT(false);
    keldar.SetDBStructureMaster(&master);
    keldar.SetDBStructureTarget(&target);
    TSQLExec exec;
    keldar.SetSQLExec(&exec);
    keldar.CompareDatabases();
    return exec.GetScriptText();
}

}  // namespace

int main(int argc, char** argv) {
    RegisterFirebirdConnection();
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() != 3 || (a[0] != "compare" && a[0] != "export")) {
        std::cerr << "usage: ibextract_probe compare <database> <script.sql> | export <database> <new database>\n";
        return 2;
    }
    TDBStructure live;
    Setup(*live.GetObjs());
    if (!ReadLive(*live.GetObjs(), live, a[1])) return 1;
    if (a[0] == "export") {
        live.GetObjs()->fConnectionOptions.SetDatabaseName(a[2]);
        std::vector<std::string> script;
        live.GetObjs()->ExtractMetadata(script);
        std::cout << JoinLines(script);
        return 0;
    }
    TDBStructure script, e1, e2;
    Setup(*script.GetObjs());
    Setup(*e1.GetObjs());
    Setup(*e2.GetObjs());
    // The script is read with the database's character set, as the live set was.
    script.GetObjs()->fIBServerOptions.SetDBCharSet(live.GetObjs()->fIBServerOptions.GetDBCharSet());
    if (!ReadScript(*script.GetObjs(), a[2])) return 1;
    const std::string header = Compare(e1, e2);
    const std::string diff = Compare(live, script);
    if (diff != header) {
        std::cout << diff;
        return 1;
    }
    return 0;
}
