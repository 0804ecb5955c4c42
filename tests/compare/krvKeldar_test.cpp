#include "compare/krvKeldar.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "exec/krvSQL_Exec.h"
#include "extract/krvCustomExtract.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Opr.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Rul.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "objects/krvDBStructure.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using Lines = std::vector<std::string>;

// An extractor that fills its structure's set in memory.
class MemoryExtract : public TCustomExtract {
public:
    std::function<void(TCustomObjs&)> Fill;
    std::string Error;
    bool Silent = false;  // fails without giving a reason
    bool ExtractDatabase() override {
        TCustomExtract::ExtractDatabase();
        if (Fill) Fill(*GetDBStructure()->GetObjs());
        if (!Error.empty()) DoErrorMessage(Error);
        return Error.empty() && !Silent;
    }
};

// The shared comparison with an in-memory extractor per side, recording the comparer's
// events and error messages.
struct Rig : testing::Compare {
    MemoryExtract mex, tex;
    Lines events, errors;

    explicit Rig(TDatabaseType db) : Compare(db) {
        keldar.SetName("Cmp");
        keldar.SetExtractorMaster(&mex);
        keldar.SetExtractorTarget(&tex);
        exec.SetDatabaseType(db);
        auto ev = [this](const char* n) { return [this, n](TObject*) { events.push_back(n); }; };
        keldar.OnBeforeExtract = ev("BeforeExtract");
        keldar.OnBeforeExtractTarget = ev("BeforeExtractTarget");
        keldar.OnAfterExtractTarget = ev("AfterExtractTarget");
        keldar.OnBeforeExtractMaster = ev("BeforeExtractMaster");
        keldar.OnAfterExtractMaster = ev("AfterExtractMaster");
        keldar.OnAfterExtract = ev("AfterExtract");
        keldar.OnBeforeCompare = ev("BeforeCompare");
        keldar.OnAfterCompare = ev("AfterCompare");
        keldar.OnErrorMessage = [this](TObject*, const std::string& e) { errors.push_back(e); };
        mex.OnErrorMessage = tex.OnErrorMessage = [this](TObject*, const std::string& e) { errors.push_back(e); };
    }
    Lines Script() {
        Lines out;
        exec.GetScript(out, false);
        return out;
    }
};

// A table with one INTEGER column ID.
TTblData* AddTable(TCustomObjs& objs, const std::string& name, const std::string& schema = "") {
    return testing::AddTable(objs, name, {"ID"}, schema);
}

TEST(KeldarTest, EventOrderAndMatching) {
    Rig r(dbMSSQL);
    r.keldar.GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
    r.tex.Fill = [](TCustomObjs& o) {
        AddTable(o, "Orders", "dbo");
        AddTable(o, "Items", "dbo");
    };
    r.mex.Fill = [](TCustomObjs& o) {
        AddTable(o, "Orders", "sales");  // another schema: not the same table
        AddTable(o, "Items", "dbo");
    };
    ASSERT_TRUE(r.keldar.ExtractAndCompareDatabases());
    EXPECT_EQ(r.events, (Lines{"BeforeExtract", "BeforeExtractTarget", "AfterExtractTarget", "BeforeExtractMaster",
                               "AfterExtractMaster", "AfterExtract", "BeforeCompare", "AfterCompare"}));
    TCustomObjs& m = *r.master.GetObjs();
    TTblData* items = m.Tbl.Find("dbo.Items");
    ASSERT_NE(items, nullptr);
    EXPECT_NE(items->GetRefObj(), nullptr);
    EXPECT_TRUE(items->GetObjCreated());
    EXPECT_TRUE(items->FindFld("ID")->GetObjCreated());
    EXPECT_EQ(items->FindFld("ID")->GetRefObj(), dynamic_cast<TTblData*>(items->GetRefObj())->FindFld("ID"));
    TTblData* orders = m.Tbl.Find("sales.Orders");
    EXPECT_EQ(orders->GetRefObj(), nullptr);
    // Not matched across schemas: the master's table is created, the target's dropped.
    EXPECT_TRUE(orders->GetObjCreated());
    EXPECT_FALSE(r.target.GetObjs()->Tbl.Find("dbo.Orders")->GetObjCreated());
    // sales.Orders created, dbo.Orders dropped, the matched Items untouched.
    EXPECT_GOLDEN(r.exec.GetScriptText(), "schema_matching/sqlserver.sql");
    EXPECT_TRUE(r.errors.empty());
}

TEST(KeldarTest, MissingPartsAndExtractionErrors) {
    {
        Rig r(dbInterBase);
        r.keldar.SetExtractorTarget(nullptr);
        EXPECT_FALSE(r.keldar.ExtractDatabases());
        EXPECT_EQ(r.errors, Lines{"TKeldar(Cmp): property ExtractorTarget not assigned."});
        EXPECT_EQ(r.events, (Lines{"BeforeExtract", "BeforeExtractTarget"}));
    }
    {
        Rig r(dbInterBase);
        bool masterRead = false;
        r.tex.Error = "cannot read target";
        r.mex.Fill = [&](TCustomObjs&) { masterRead = true; };
        EXPECT_FALSE(r.keldar.ExtractDatabases());
        EXPECT_FALSE(masterRead);
        EXPECT_EQ(r.keldar.GetMsgMngr().ErrSummary(), "cannot read target");
        r.keldar.CompareDatabases();  // forbidden: nothing happens
        EXPECT_EQ(r.exec.GetStatementsCount(), 0);
        EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "BeforeCompare"), 0);
    }
    {
        // An extractor that fails without a message still stops the comparison.
        Rig r(dbInterBase);
        r.mex.Silent = true;
        EXPECT_FALSE(r.keldar.ExtractDatabases());
        EXPECT_EQ(r.keldar.GetMsgMngr().ErrSummary(), "Extraction of the master failed.");
        r.keldar.CompareDatabases();
        EXPECT_EQ(r.exec.GetStatementsCount(), 0);
    }
    {
        Rig r(dbInterBase);
        r.keldar.SetDBStructureTarget(nullptr);
        r.keldar.CompareDatabases();
        EXPECT_EQ(r.errors, Lines{"TKeldar(Cmp): property DBStructureTarget not assigned."});
    }
    {
        Rig r(dbInterBase);
        r.target.SetDatabaseType(dbPostgreSQL);
        EXPECT_FALSE(r.keldar.ExtractDatabases());
        ASSERT_EQ(r.errors.size(), 1u);
    }
}

// A MySQL script's session is strict whatever the server's mode, so that a value that does
// not fit fails instead of being cut.
const char* const kStrictMode =
    "SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), 'STRICT_TRANS_TABLES');";

TEST(KeldarTest, ScriptHeaders) {
    struct Case {
        TDatabaseType db;
        std::function<void(Rig&)> setup;
        Lines script;
    };
    const std::vector<Case> cases = {
        {dbInterBase,
         [](Rig& r) {
             auto& ib = r.target.GetObjs()->fIBServerOptions;
             ib.SetDBCharSet("utf8");
             r.target.GetObjs()->fConnectionOptions.SetDatabaseName("/db/t.fdb");
             // The password of the connection never reaches the script.
             r.target.GetObjs()->fConnectionOptions.SetPassword("secret");
         },
         {"SET NAMES UTF8;", "", "SET SQL DIALECT 3;", "", "CONNECT '/db/t.fdb' USER 'SYSDBA';", "",
          "SET AUTODDL ON;", ""}},
        {dbMySQL,
         [](Rig& r) {
             r.target.GetObjs()->fMySQLServerOptions.SetCharSet("utf8mb4");
             r.target.GetObjs()->fMySQLServerOptions.SetNames("utf8mb4");
             r.target.GetObjs()->fConnectionOptions.SetDatabaseName("shop");
         },
         {"SET CHARACTER SET utf8mb4;", "", "SET NAMES utf8mb4;", "", kStrictMode, "", "USE `shop`;", ""}},
        // The script names the set its own text is in, not the target database's.
        {dbInterBase,
         [](Rig& r) {
             r.target.GetObjs()->fIBServerOptions.SetDBCharSet("WIN1252");
             r.target.GetObjs()->fConnectionOptions.SetPassword("");
         },
         {"SET NAMES UTF8;", "", "SET SQL DIALECT 3;", "", "SET AUTODDL ON;", ""}},
        {dbMySQL,
         [](Rig& r) { r.target.GetObjs()->fMySQLServerOptions.SetNames("latin1"); },
         {"SET NAMES utf8mb4;", "", kStrictMode, ""}},
        {dbMySQL, [](Rig& r) { r.exec.SetEncode(encANSI); }, {"SET NAMES latin1;", "", kStrictMode, ""}},
        {dbInterBase,
         [](Rig& r) {
             r.exec.SetEncode(encANSI);
             r.target.GetObjs()->fConnectionOptions.SetPassword("");
         },
         {"SET NAMES WIN1252;", "", "SET SQL DIALECT 3;", "", "SET AUTODDL ON;", ""}},
        {dbPostgreSQL, [](Rig& r) { r.exec.SetEncode(encANSI); }, {"SET client_encoding = 'WIN1252';", ""}},
        {dbMSSQL,
         [](Rig& r) {
             r.target.GetObjs()->fMSSQLServerOptions.SetCollation("Latin1_General_CI_AS");
         },
         {"-- Default collation: Latin1_General_CI_AS"}},
        {dbMSSQL,
         [](Rig& r) {
             r.target.GetObjs()->fConnectionOptions.SetDatabaseName("Shop DB");
             r.master.GetObjs()->fMSSQLServerOptions.GetMSSQLDatabaseOptions().SetRecursiveTriggersEnabled(true);
         },
         {"USE [Shop DB]", "GO", "", "ALTER DATABASE [Shop DB] SET RECURSIVE_TRIGGERS ON", "GO", ""}},
        {dbSybaseASE,
         [](Rig& r) {
             r.target.GetObjs()->fConnectionOptions.SetDatabaseName("shop");
             r.master.GetObjs()->fASEServerOptions.GetASEDatabaseOptions().GetASEDBOptions().Include(asedboSingleUser);
         },
         {"-- Database: shop", "use shop", "go", "",
          "exec master.dbo.sp_dboption shop, 'single user', True", "go", "", "checkpoint", "go", ""}},
        {dbOracle,
         [](Rig& r) {
             auto& c = r.target.GetObjs()->fConnectionOptions;
             c.SetUserName("scott");
             c.SetDatabaseName("HR");
             c.SetHostName("dbhost");
         },
         {"-- CONNECT scott/*****@HR;", "ALTER SESSION SET CURRENT_SCHEMA = HR;", ""}},
        {dbPostgreSQL, [](Rig&) {}, {"SET client_encoding = 'UTF8';", ""}},
    };
    for (const auto& c : cases) {
        Rig r(c.db);
        if (c.db != dbInterBase) r.target.GetObjs()->fConnectionOptions.SetUserName("");
        c.setup(r);
        ASSERT_TRUE(r.keldar.ExtractDatabases());
        r.keldar.CompareDatabases();
        EXPECT_EQ(r.Script(), c.script) << int(c.db);
    }
}

TEST(KeldarTest, DatabaseCharacterSetChange) {
    for (TIBSQLServerVersionType ver : {st_Firebird_25, st_Firebird_30}) {
        Rig r(dbInterBase);
        r.keldar.GetIBCompareOptions().SetDbCharsetCompare(true);
        r.keldar.GetIBCompareOptions().SetGenerateCOMMIT(true);  // no SET AUTODDL line
        r.master.GetObjs()->fIBServerOptions.SetDBCharSet("UTF8");
        r.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(ver);
        r.target.GetObjs()->fIBServerOptions.SetSQLDialect(1);
        ASSERT_TRUE(r.keldar.ExtractDatabases());
        r.keldar.CompareDatabases();
        const Lines expected =
            ver == st_Firebird_25
                ? Lines{"SET NAMES UTF8;", "", "UPDATE RDB$DATABASE SET RDB$CHARACTER_SET_NAME = 'UTF8';", "", "COMMIT WORK;",
                        "SET NAMES UTF8;", "", "RECONNECT;", ""}
                : Lines{"SET NAMES UTF8;", "", "ALTER DATABASE SET DEFAULT CHARACTER SET UTF8;", "", "COMMIT WORK;",
                        "/* Database charset: UTF8 */", "SET NAMES UTF8;", "", "RECONNECT;", ""};
        EXPECT_EQ(r.Script(), expected) << int(ver);
    }
}

// The database's own description: set, changed and removed on the servers that have
// COMMENT ON DATABASE; nothing where they are equal or the server has none.
TEST(KeldarTest, DatabaseDescriptionChange) {
    struct Case {
        TIBSQLServerVersionType ver;
        const char* master;
        const char* target;
        Lines expected;
    };
    const Case cases[] = {
        {st_Firebird_30, "It's ours", "", {"COMMENT ON DATABASE IS 'It''s ours';", "", "COMMIT WORK;"}},
        {st_Firebird_25, "new", "old", {"COMMENT ON DATABASE IS 'new';", "", "COMMIT WORK;"}},
        {st_Firebird_30, "", "old", {"COMMENT ON DATABASE IS NULL;", "", "COMMIT WORK;"}},
        {st_Firebird_30, "same", "same", {}},
        {st_FireBird_15, "new", "", {}},
    };
    for (const Case& c : cases) {
        Rig r(dbInterBase);
        r.keldar.GetIBCompareOptions().SetGenerateCOMMIT(true);  // no SET AUTODDL line
        r.master.GetObjs()->DBDescription = c.master;
        r.target.GetObjs()->DBDescription = c.target;
        r.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(c.ver);
        ASSERT_TRUE(r.keldar.ExtractDatabases());
        r.keldar.CompareDatabases();
        Lines expected = {"SET NAMES UTF8;", "", "SET SQL DIALECT 3;", ""};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(r.Script(), expected) << c.master << " / " << c.target << " / " << int(c.ver);
    }
}

TEST(KeldarTest, PhaseGates) {
    auto run = [](TCmpObjSetType set, TDatabaseType db) {
        std::vector<int> phases;
        for (const auto& p : KeldarPhases())
            if (PhaseRuns(p, set, db)) phases.push_back(p.Number);
        return phases;
    };
    EXPECT_EQ(KeldarPhases().size(), 49u);
    // Packages are written on Firebird and Oracle targets whatever the categories (33, 42).
    EXPECT_EQ(run({coTable}, dbInterBase), (std::vector<int>{1, 2, 3, 4, 5, 20, 21, 22, 33, 42, 43, 44, 47}));
    EXPECT_EQ(run({coTable}, dbOracle), (std::vector<int>{1, 2, 3, 4, 5, 20, 21, 22, 33, 42, 43, 44, 47}));
    EXPECT_EQ(run({coTable}, dbPostgreSQL), (std::vector<int>{1, 2, 3, 4, 5, 6, 20, 21, 22, 43, 44, 46, 47}));
    EXPECT_EQ(run({coTable}, dbMSSQL), (std::vector<int>{1, 2, 3, 4, 5, 7, 20, 21, 22, 41, 43, 44, 47}));
    EXPECT_EQ(run({coCheck}, dbMySQL), (std::vector<int>{1, 2, 3, 4, 5, 8, 33, 35, 47}));
    EXPECT_EQ(run(TCmpObjSetType::All(), dbInterBase).size(), 45u);  // all but the phases of other kinds
}

// A step's own gate: in the phase that writes packages before the routines get their bodies,
// the package steps follow the target kind and the constraint step the categories.
TEST(KeldarTest, StepGates) {
    auto steps = [](int phase, TCmpObjSetType set, TDatabaseType db) {
        std::vector<std::string> names;
        for (const auto& p : KeldarPhases())
            if (p.Number == phase && PhaseRuns(p, set, db))
                for (const auto& s : p.Steps)
                    if (StepRuns(s, set, db)) names.emplace_back(s.Name);
        return names;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(steps(33, {coTable}, dbInterBase), (Names{"GenScriptPkgAlter", "GenScriptPkgCreate"}));
    EXPECT_EQ(steps(33, {coCheck}, dbPostgreSQL), Names{"GenScriptCtrCreate (all but ctDefault)"});
    EXPECT_EQ(steps(33, {coCheck}, dbOracle),
              (Names{"GenScriptPkgAlter", "GenScriptPkgCreate", "GenScriptCtrCreate (all but ctDefault)"}));
    EXPECT_EQ(steps(33, {coTable}, dbMySQL), Names{});
    // Package headers and bodies come after the tables and before the routines' bodies; the
    // drop of a target-only package after them.
    std::vector<std::pair<int, std::string>> pkg;
    for (const auto& p : KeldarPhases())
        for (const auto& s : p.Steps)
            if (std::string(s.Name).rfind("GenScriptPkg", 0) == 0) {
                EXPECT_NE(s.Run, nullptr) << s.Name;
                pkg.emplace_back(p.Number, s.Name);
            }
    EXPECT_EQ(pkg, (std::vector<std::pair<int, std::string>>{
                       {33, "GenScriptPkgAlter"}, {33, "GenScriptPkgCreate"}, {42, "GenScriptPkgDrop"}}));
}

// Every step runs the generator its name says. The table below is kept apart from the phase
// table on purpose: a row wired to another generator (or to the adapter of another) fails here.
TEST(KeldarTest, EveryStepRunsTheGeneratorItNames) {
    using Run = void (*)(TKeldar&);
    const std::map<std::string, Run> generators = {
        {"CompareTables", CompareTables},
        {"MakeScriptHeader", RunMakeScriptHeader},
        {"GenScriptDBCharSet", RunGenScriptDBCharSet},
        {"GenScriptDBDescription", RunGenScriptDBDescription},
        {"GenScriptCltCreate", GenScriptCltCreate},
        {"GenScriptCltAlter", GenScriptCltAlter},
        {"GenScriptCltDrop", GenScriptCltDrop},
        {"GenScriptSchCreate", GenScriptSchCreate},
        {"GenScriptSchAlter", GenScriptSchAlter},
        {"GenScriptSchDrop", GenScriptSchDrop},
        {"GenScriptCnvCreate", GenScriptCnvCreate},
        {"GenScriptCnvAlter", GenScriptCnvAlter},
        {"GenScriptCnvDrop", GenScriptCnvDrop},
        {"GenScriptOprCreate", GenScriptOprCreate},
        {"GenScriptOprAlter", GenScriptOprAlter},
        {"GenScriptOprDrop", GenScriptOprDrop},
        {"GenScriptOpcCreate", GenScriptOpcCreate},
        {"GenScriptOpcAlter", GenScriptOpcAlter},
        {"GenScriptOpcDrop", GenScriptOpcDrop},
        {"GenScriptRulCreate", GenScriptRulCreate},
        {"GenScriptRulAlter", GenScriptRulAlter},
        {"GenScriptRulDrop", GenScriptRulDrop},
        {"GenScriptDefCreate", GenScriptDefCreate},
        {"GenScriptDefAlter", GenScriptDefAlter},
        {"GenScriptDefDrop", GenScriptDefDrop},
        {"GenScriptCtrDrop", GenScriptCtrDrop},
        {"GenScriptCtrCreate (all but ctDefault)", RunCtrCreateAllButDefault},
        {"GenScriptCtrCreate (ctDefault)", RunCtrCreateDefault},
        {"GenScriptDmnCreate", GenScriptDmnCreate},
        {"GenScriptDmnAlter", GenScriptDmnAlter},
        {"GenScriptDmnDrop", GenScriptDmnDrop},
        {"GenScriptUdfCreate", RunOnSets<GenScriptUdfCreate>},
        {"GenScriptUdfAlter", GenScriptUdfAlter},
        {"GenScriptUdfDrop", RunOnSets<GenScriptUdfDrop>},
        {"GenScriptDropTrgEmpty", RunOnSets<GenScriptDropTrgEmpty>},
        {"GenScriptTrigDrop", RunOnSets<GenScriptTrigDrop>},
        {"GenScriptTrigCreate", RunOnSets<GenScriptTrigCreate>},
        {"GenScriptTrigAlter", GenScriptTrigAlter},
        {"GenScriptProcDrop", GenScriptProcDrop},
        {"GenScriptProcCreate", GenScriptProcCreate},
        {"GenScriptProcAlter", GenScriptProcAlter},
        {"GenScriptIdxDrop", GenScriptIdxDrop},
        {"GenScriptIdxCreate", GenScriptIdxCreate},
        {"GenScriptIdxAlter", GenScriptIdxAlter},
        {"GenScriptViewDrop", RunOnSets<GenScriptViewDrop>},
        {"GenScriptViewCreate", GenScriptViewCreate},
        {"GenScriptViewAlter", RunOnSets<GenScriptViewAlter>},
        {"GenScriptExptDrop", RunOnSets<GenScriptExptDrop>},
        {"GenScriptExptCreate", RunOnSets<GenScriptExptCreate>},
        {"GenScriptExptAlter", RunOnSets<GenScriptExptAlter>},
        {"GenScriptTablCreate", GenScriptTablCreate},
        {"GenScriptTblFldCreate", GenScriptTblFldCreate},
        {"GenScriptTablAlter", GenScriptTablAlter},
        {"GenScriptTablDrop", GenScriptTablDrop},
        {"GenScriptTblFldPosition", GenScriptTblFldPosition},
        {"GenScriptGenrCreate", GenScriptGenrCreate},
        {"GenScriptGenrAlter", GenScriptGenrAlter},
        {"GenScriptGenrDrop", GenScriptGenrDrop},
        {"GenScriptPkgCreate", GenScriptPkgCreate},
        {"GenScriptPkgAlter", GenScriptPkgAlter},
        {"GenScriptPkgDrop", GenScriptPkgDrop},
        {"GenScriptPblDrop", GenScriptPblDrop},
        {"GenScriptPblAlter", GenScriptPblAlter},
        {"GenScriptPblCreate", GenScriptPblCreate},
        {"GenScriptEvtCreate", GenScriptEvtCreate},
        {"GenScriptEvtAlter", GenScriptEvtAlter},
        {"GenScriptEvtDrop", GenScriptEvtDrop},
        {"GenScriptRoleCreate", GenScriptRoleCreate},
        {"GenScriptRoleAlter", GenScriptRoleAlter},
        {"GenScriptRoleDrop", GenScriptRoleDrop},
        {"GenScriptGntDrop", GenScriptGntDrop},
        {"GenScriptGntCreate", GenScriptGntCreate},
    };
    for (const auto& p : KeldarPhases())
        for (const auto& s : p.Steps) {
            if (!s.Run) {
                ADD_FAILURE() << "phase " << p.Number << ": " << s.Name << " has no generator";
                continue;
            }
            const auto it = generators.find(s.Name);
            if (it == generators.end()) {
                ADD_FAILURE() << "phase " << p.Number << ": no generator is known by the name " << s.Name;
                continue;
            }
            EXPECT_TRUE(s.Run == it->second) << "phase " << p.Number << ": " << s.Name << " runs another generator";
        }
}

// A comparer whose phase order holds steps without a generator, as a kind's steps are until
// its unit is written.
class PendingStepsKeldar : public TKeldar {
protected:
    const std::vector<TKeldarPhase>& Phases() const override {
        static const std::vector<TKeldarPhase> phases = {
            {1, {}, {}, {{"MakeScriptHeader", RunMakeScriptHeader}}},
            {2, {coRole}, {}, {{"GenScriptRoleCreate", nullptr, {}, {}, olRol}, {"GenScriptRoleDrop", nullptr, {}, {}, olRol}}},
            {3, {}, {}, {{"GenScriptGntCreate", nullptr, {coGrant}, {}, olGnt}}},
        };
        return phases;
    }
};

// Objects of a kind whose generator is missing are named in a warning (once per kind, also as
// a comment of the script) instead of being left out in silence; a kind that is not compared,
// or that the sets do not hold, gives none.
TEST(KeldarTest, StepWithoutGeneratorWarnsWhenTheSetsHoldItsKind) {
    struct Case {
        const char* name;
        TCmpObjSetType compare;
        bool masterRole, targetRole, grant;
        Lines warnings;
    };
    const std::string roleWarning = "Objects of kind role are not compared: this build has no GenScriptRoleCreate";
    const std::string grantWarning = "Objects of kind grant are not compared: this build has no GenScriptGntCreate";
    const Case cases[] = {
        {"TargetRole", TCmpObjSetType::All(), false, true, false, {roleWarning}},
        {"MasterRoleAndGrant", TCmpObjSetType::All(), true, false, true, {roleWarning, grantWarning}},
        {"RolesNotCompared", {coTable, coGrant}, true, true, true, {grantWarning}},
        {"NothingHeld", TCmpObjSetType::All(), false, false, false, {}},
    };
    for (const Case& c : cases) {
        TDBStructure master, target;
        master.SetDatabaseType(dbPostgreSQL);
        target.SetDatabaseType(dbPostgreSQL);
        PendingStepsKeldar keldar;
        keldar.SetDBStructureMaster(&master);
        keldar.SetDBStructureTarget(&target);
        TSQLExec exec;
        keldar.SetSQLExec(&exec);
        keldar.SetCompareObjects(c.compare);
        auto role = [](TCustomObjs& o) {
            auto* r = new TRolData(&o);
            r->SetObjName("reader");
            testing::FileObj(o, r);
        };
        if (c.masterRole) role(*master.GetObjs());
        if (c.targetRole) role(*target.GetObjs());
        if (c.grant) {
            auto* g = new TGntData(master.GetObjs());
            g->SetObjName("GRANT SELECT ON t TO reader");
            testing::FileObj(*master.GetObjs(), g);
        }
        keldar.CompareDatabases();
        EXPECT_EQ(keldar.GetWrnScript(), c.warnings) << c.name;
        const std::string script = exec.GetScriptText();
        for (const std::string& w : c.warnings) EXPECT_NE(script.find("/* " + w + " */"), std::string::npos) << c.name;
    }
}

TEST(KeldarTest, RepeatedComparisonGivesTheSameScript) {
    Rig r(dbInterBase);
    r.keldar.GetIBCompareOptions().SetDbCharsetCompare(true);
    r.master.GetObjs()->fIBServerOptions.SetDBCharSet("UTF8");
    r.mex.Fill = [](TCustomObjs& o) {
        auto* t = AddTable(o, "T");
        auto* v = new TViwData(&o);
        v->SetObjName("V");
        o.AddObj(v);
        o.LinkDepend(v, t);
    };
    ASSERT_TRUE(r.keldar.ExtractDatabases());
    TViwData* v = r.master.GetObjs()->Viw.Find("V");
    r.keldar.CompareDatabases();
    const Lines first = r.Script();
    v->fUseOf.front()->Active = false;  // consumed as a generator would
    v->SetObjCreated(true);
    // The generators consume links and flags again; what counts is the state they start from.
    bool activeAtStart = false, createdAtStart = true;
    r.keldar.OnBeforeCompare = [&](TObject*) {
        activeAtStart = v->fUseOf.front()->Active;
        createdAtStart = v->GetObjCreated();
    };
    r.keldar.CompareDatabases();
    EXPECT_EQ(r.Script(), first);
    EXPECT_TRUE(activeAtStart);
    EXPECT_FALSE(createdAtStart);
    EXPECT_FALSE(r.master.GetObjs()->fGenTargetDef);
}

TEST(KeldarTest, ForgetsDestroyedPartsAndBuildsItsOwnList) {
    TDBStructure master, target;
    master.SetDatabaseType(dbInterBase);
    target.SetDatabaseType(dbInterBase);
    TKeldar keldar;
    keldar.SetDBStructureMaster(&master);
    keldar.SetDBStructureTarget(&target);
    {
        MemoryExtract m, t;
        keldar.SetExtractorMaster(&m);
        keldar.SetExtractorTarget(&t);
        ASSERT_TRUE(keldar.ExtractDatabases());
    }
    EXPECT_EQ(keldar.GetExtractorMaster(), nullptr);
    EXPECT_EQ(keldar.GetExtractorTarget(), nullptr);
    keldar.CompareDatabases();
    ASSERT_NE(keldar.GetSQLExec(), nullptr);  // the comparer's own list
    EXPECT_EQ(master.GetObjs()->GetSQLExec(), keldar.GetSQLExec());
    EXPECT_EQ(master.GetObjs()->GetLinkedObjs(), target.GetObjs());
    EXPECT_EQ(keldar.QuoteIdent("order"), "\"order\"");
}

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

TEST(KeldarTest, CheckOptionCaseNeverCounts) {
    struct Case {
        TDatabaseType db;
        const char* target;
        const char* expected;
    };
    const Case cases[] = {
        {dbInterBase, "SELECT A FROM T with check option", "SELECT A FROM T WITH CHECK OPTION"},
        {dbInterBase, "SELECT A FROM T", "SELECT A FROM T"},
        {dbPostgreSQL, "SELECT A FROM T with check option", "SELECT A FROM T with check option"},
    };
    for (const auto& c : cases) {
        Rig r(c.db);
        r.mex.Fill = [](TCustomObjs& o) {
            auto* v = new TViwData(&o);
            v->SetObjName("V");
            v->fBody = "SELECT A FROM T WITH CHECK OPTION";
            o.AddObj(v);
        };
        r.tex.Fill = [&c](TCustomObjs& o) {
            auto* v = new TViwData(&o);
            v->SetObjName("V");
            v->fBody = c.target;
            o.AddObj(v);
        };
        ASSERT_TRUE(r.keldar.ExtractDatabases());
        EXPECT_EQ(r.target.GetObjs()->Viw.Find("V")->fBody, c.expected) << int(c.db);
    }
}

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

TEST(KeldarTest, ReconcilesOptionalTableAttributes) {
    {
        Rig r(dbMySQL);
        r.mex.Fill = [](TCustomObjs& o) { AddTable(o, "t")->fMySQLOptions.Engine = "InnoDB"; };
        r.tex.Fill = [](TCustomObjs& o) { AddTable(o, "t")->fMySQLOptions.SetDefCharSet("utf8mb4"); };
        ASSERT_TRUE(r.keldar.ExtractDatabases());
        TTblData* m = r.master.GetObjs()->Tbl.Find("t");
        TTblData* t = r.target.GetObjs()->Tbl.Find("t");
        EXPECT_EQ(t->fMySQLOptions.Engine, "InnoDB");
        EXPECT_EQ(m->fMySQLOptions.GetDefCharSet(), "utf8mb4");
    }
    {
        Rig r(dbOracle);
        r.mex.Fill = [](TCustomObjs& o) {
            TTblData* t = AddTable(o, "EMP");
            t->fTblSpace.PctFree = 10;
            t->Storage = "(INITIAL 64K)";
        };
        r.tex.Fill = [](TCustomObjs& o) {
            o.fConnectionOptions.SetDatabaseName("HR");
            o.fConnectionOptions.SetHostName("dbhost");
            AddTable(o, "EMP", "HR");
        };
        ASSERT_TRUE(r.keldar.ExtractDatabases());
        TTblData* m = r.master.GetObjs()->Tbl.Find("HR.EMP");
        ASSERT_NE(m, nullptr);  // the master took the target connection's schema
        r.keldar.CompareDatabases();
        auto* t = dynamic_cast<TTblData*>(m->GetRefObj());
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->fTblSpace.PctFree, 10);
        EXPECT_EQ(m->Storage, "");  // one side without storage clause: not compared
    }
}

}  // namespace
}  // namespace dbtwin
