// Reads a live Firebird database with the catalog extractor (TIBDBExtract):
//   ibextract_probe compare <database> <script.sql>   compares the live set (master) with the
//       set the script reader makes of the script (target); prints the comparison script and
//       exits 1 when it holds more than the header of an empty comparison
//   ibextract_probe export <database> <new database>  writes the library's export of the set,
//       creating the new database
//   ibextract_probe dump <database> [EXCLUDE]   prints the set's model fields one object a line
//       (columns, constraints, indices, parameters, triggers, grants) and the extractor's log
//       lines; EXCLUDE is "domains" (the run leaves the kind out) or a name mask excluded
//   ibextract_probe replay <fixture>   dump of a replay fixture's catalog (no server needed)
//   ibextract_probe cut <database>   extracts while a second connection deletes the extractor's
//       attachment (MON$ATTACHMENTS) as the tables step starts; prints the run's result and
//       its errors
// The user and password come from DBTWIN_TEST_FIREBIRD; extractor and reader messages go to
// stderr and any error exits 1.
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "compare/krvKeldar.h"
#include "connect/firebird/krvConnection_Firebird.h"
#include "connect/krvIBDBExtract.h"
#include "connect/replay/krvConnection_Replay.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompColumn.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
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

void Configure(TKRVConnection& c, const std::string& aDatabase) {
    auto env = Env();
    c.SetDatabaseType(dbInterBase);
    c.SetConnectionType(cnIBX);
    auto& opt = c.GetConnectionOptions();
    // The database is given as host/port:path.
    opt.SetDatabaseName(aDatabase);
    opt.SetUserName(env["user"]);
    opt.SetPassword(env["password"]);
}

// Extracts while another attachment deletes this process's attachments when the tables step
// starts; prints the result and the errors.
int Cut(const std::string& aDatabase) {
    TDBStructure s;
    Setup(*s.GetObjs());
    TKRVConnection c, killer;
    Configure(c, aDatabase);
    Configure(killer, aDatabase);
    TIBDBExtract x;
    x.SetDBStructure(&s);
    x.SetKRVConnection(&c);
    x.OnErrorMessage = [](TObject*, const std::string& m) { std::cout << "error: " << m << '\n'; };
    x.OnLogNextLine = [](TObject*, const std::string&) {};
    bool cut = false;
    x.OnProgressUpdateEx = [&](TObject*, bool, const std::string& aText, int, int) {
        if (cut || aText != "Tables") return;
        cut = true;
        if (!killer.Connect()) throw EKrvError("the second connection failed");
        std::unique_ptr<TKRVQuery> q(killer.CreateQuery(nullptr));
        q->SetSQLText("delete from mon$attachments where mon$remote_pid = " + std::to_string(getpid()) +
                      " and mon$attachment_id <> current_connection");
        q->ExecSQL();
        std::cout << "attachment deleted\n";
    };
    const bool ok = x.ExtractDatabase();
    std::cout << "result: " << (ok ? "true" : "false") << "\ntables read: " << s.GetObjs()->Tbl.Count() << '\n';
    return 0;
}

bool ReadLive(TCustomObjs& o, TDBStructure& s, const std::string& aDatabase, const std::string& aExclude = {},
              std::vector<std::string>* aLog = nullptr) {
    TKRVConnection c;
    Configure(c, aDatabase);
    TIBDBExtract x;
    x.SetDBStructure(&s);
    x.SetKRVConnection(&c);
    x.SetShowFullLog(false);
    bool quiet = true;
    x.OnErrorMessage = [&quiet](TObject*, const std::string& m) {
        quiet = false;
        std::cerr << "extract: " << m << '\n';
    };
    x.OnLogNextLine = [aLog](TObject*, const std::string& m) {
        if (aLog && m.rfind("Extracting", 0) != 0) aLog->push_back(m);
    };
    if (aExclude == "domains") {
        TCmpObjSetType what = x.GetExtractObjects();
        what.Exclude(coDomain);
        x.SetExtractObjects(what);
    } else if (!aExclude.empty()) {
        x.SetExcludeObjsNames(aExclude);
    }
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

std::string Flags(std::initializer_list<std::pair<bool, const char*>> aFlags) {
    std::string r;
    for (const auto& [on, word] : aFlags)
        if (on) r += std::string(" ") + word;
    return r;
}

std::string Names(const TFldList& aList) {
    std::string r;
    for (TFldData* f : aList) r += (r.empty() ? "" : ",") + f->fObjName;
    return r;
}

// A column or parameter: its type as written, then the decoded fields a script relies on.
std::string FieldLine(const TFldData* f) {
    const TFldRare& x = f->Rare();
    std::string r = f->fObjName + " " + f->TypeDef() + " type=" + std::to_string(static_cast<int>(f->FieldType)) +
                    " p=" + std::to_string(f->Precision) + " s=" + std::to_string(f->Scale);
    if (!x.CharSet.empty()) r += " cs=" + x.CharSet.str();
    if (!x.Collation.empty()) r += " coll=" + x.Collation.str();
    if (!x.DomainName.empty()) r += " domain=" + x.DomainName.str();
    if (!f->GetDefValue().empty()) r += " default=" + f->GetDefValue();
    if (x.TypeOf) r += " typeof=" + x.TypeOfTbl.str() + "." + x.TypeOfFld.str();
    for (const auto& b : x.ArrayBounds) r += " [" + std::to_string(b.LowerBound) + ":" + std::to_string(b.UpperBound) + "]";
    if (f->IsComputed()) r += " computed=" + f->GetBody();
    return r + Flags({{!f->Nullable, "notnull"}, {f->Identity, "identity"}});
}

void Dump(TCustomObjs& o, const std::vector<std::string>& aLog) {
    for (TTblData* t : o.Tbl) {
        std::cout << "table " << t->fObjName << Flags({{t->GlobalTemporary, "gtt"}})
                  << (t->GlobalTemporary ? (t->TblOnCommit == tocDelete ? " delete" : " preserve") : "") << '\n';
        for (TFldData* f : t->Flds) std::cout << "  column " << FieldLine(f) << '\n';
    }
    for (TCtrData* c : o.Ctr) {
        const char* type = c->fCtType == ctPKey ? "pk" : c->fCtType == ctUnique ? "unique"
                           : c->fCtType == ctFKey ? "fk" : "check";
        std::cout << "constraint " << type << " " << c->fTblName << " name=" << c->fObjName
                  << " sys=" << c->Extra().SysName.str() << " fields=" << Names(c->Flds);
        if (!c->UsingIndex.empty()) std::cout << " using=" << c->UsingIndex;
        if (c->fCtType == ctFKey)
            std::cout << " ref=" << c->fRefTblName << "(" << Names(c->RefFlds) << ") update="
                      << static_cast<int>(c->OnUpdate) << " delete=" << static_cast<int>(c->OnDelete);
        if (c->fCtType == ctCheck) std::cout << " body=" << c->GetBody();
        std::cout << Flags({{c->UsingDescIndex, "desc"}}) << '\n';
    }
    for (TIdxData* x : o.Idx)
        std::cout << "index " << x->fObjName << " on " << x->TblName << " fields=" << Names(x->Flds) << " expr="
                  << x->GetBody() << Flags({{x->Unique, "unique"}, {x->Desc, "desc"}, {!x->Active, "inactive"}}) << '\n';
    for (TPrcData* p : o.Prc) {
        std::cout << (p->Func ? "function " : "procedure ") << p->fObjName << '\n';
        for (TFldData* f : p->Params) std::cout << "  in " << FieldLine(f) << '\n';
        for (TFldData* f : p->Returns) std::cout << "  out " << FieldLine(f) << '\n';
    }
    for (TUdfData* u : o.Udf) std::cout << "external function " << u->fObjName << " " << u->ModuleName << "!" << u->EntryPoint << '\n';
    for (TTrgData* t : o.Trg)
        std::cout << "trigger " << t->fObjName << " on " << t->fOwnName << " typ=" << t->Typ << " event=" << t->EventType
                  << Flags({{t->BefAft == baBefore, "before"}, {t->BefAft == baAfter, "after"},
                            {t->InsUpdDel.Contains(iudInsert), "insert"}, {t->InsUpdDel.Contains(iudUpdate), "update"},
                            {t->InsUpdDel.Contains(iudDelete), "delete"}, {!t->Active, "inactive"}})
                  << '\n';
    for (TRolData* r : o.Rol) std::cout << "role " << r->fObjName << '\n';
    for (TGnrData* g : o.Gnr) std::cout << "generator " << g->fObjName << '\n';
    for (TGntData* g : o.Gnt) {
        std::cout << "grant " << g->GntObjName << " kind=" << static_cast<int>(g->GntObjType) << " to " << g->User
                  << " kind=" << static_cast<int>(g->GntUserType) << " option=" << g->Option << " privileges=";
        static const std::pair<TGrantPrivilege, const char*> kWords[] = {
            {gntSelect, "S"}, {gntInsert, "I"}, {gntUpdate, "U"}, {gntDelete, "D"},
            {gntReferences, "R"}, {gntExecute, "X"}, {gntUsageOn, "G"}};
        for (const auto& [p, w] : kWords)
            if (g->Privilege.Contains(p)) std::cout << w;
        std::string cols;
        for (const std::string& c : g->Flds) cols += (cols.empty() ? "" : ",") + c;
        std::cout << " columns=" << cols << '\n';
    }
    for (const std::string& m : aLog) std::cout << "log " << m << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    RegisterFirebirdConnection();
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() == 2 && a[0] == "cut") return Cut(a[1]);
    if (a.size() == 2 && a[0] == "replay") {
        RegisterReplayConnection();
        TDBStructure s;
        Setup(*s.GetObjs());
        TKRVConnection c;
        c.SetDatabaseType(dbInterBase);
        c.SetConnectionType(ReplayConnectionType);
        c.GetConnectionOptions().SetDatabaseName(a[1]);
        TIBDBExtract x;
        x.SetDBStructure(&s);
        x.SetKRVConnection(&c);
        std::vector<std::string> log;
        x.OnErrorMessage = [](TObject*, const std::string& m) { std::cout << "error: " << m << '\n'; };
        x.OnLogNextLine = [&log](TObject*, const std::string& m) {
            if (m.rfind("Extracting", 0) != 0) log.push_back(m);
        };
        const bool ok = x.ExtractDatabase();
        Dump(*s.GetObjs(), log);
        std::cout << "result: " << (ok ? "true" : "false") << '\n';
        return 0;
    }
    if (!a.empty() && a[0] == "dump" && (a.size() == 2 || a.size() == 3)) {
        TDBStructure live;
        Setup(*live.GetObjs());
        std::vector<std::string> log;
        if (!ReadLive(*live.GetObjs(), live, a[1], a.size() == 3 ? a[2] : "", &log)) return 1;
        Dump(*live.GetObjs(), log);
        return 0;
    }
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
