#include "extract/krvCustomExtract.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvDBStructure.h"
#include "parse/krvParser.h"

namespace dbtwin {
namespace {

TEST(ExtractMaskTest, LikeObjName) {
    struct Case { const char* name; const char* mask; bool match; };
    const Case cases[] = {
        {"EMPLOYEE", "EMP%", true}, {"EMP", "EMP%", true},     {"emp", "EMP%", false},
        {"DEPT", "EMP%", false},    {"A_LOG", "*_LOG", true},  {"A_LOG_B_LOG", "*_LOG", true},
        {"A_LOG_B", "*_LOG", false}, {"X", "%", false},        {"X", "", false},
        {"AB", "A%B", false},       {"AB", "%A%", false},      {"PAYROLL", "PAYROLL", true},
        {"PAYROLL2", "PAYROLL", false}, {"payroll", "PAYROLL", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TCustomExtract::LikeObjName(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

TEST(ExtractMaskTest, IncludeExcludeAndPrefix) {
    TDBStructure structure;
    structure.SetDatabaseType(dbInterBase);
    TCustomExtract ex;
    ex.SetDBStructure(&structure);
    EXPECT_TRUE(ex.AcceptObj("ANY", dboTable));  // empty lists accept everything

    ex.SetIncludeObjsNames("  \r\nEMP%\r\nDEPT\r\n  ");
    EXPECT_EQ(ex.GetIncludeObjsNames(), (std::vector<std::string>{"EMP%", "DEPT"}));
    EXPECT_TRUE(ex.AcceptObj("EMPLOYEE", dboTable));
    EXPECT_TRUE(ex.AcceptObj("DEPT", dboTable));
    EXPECT_FALSE(ex.AcceptObj("SALES", dboTable));
    ex.SetExcludeObjsNames("EMP_SECRET");
    EXPECT_FALSE(ex.AcceptObj("EMP_SECRET", dboTable));  // an exclude match wins

    ex.SetIncludeObjsNames("");
    ex.SetExcludeObjsNames("");
    structure.SetDbPrefix("APP_");
    EXPECT_TRUE(ex.AcceptObj("APP_USERS", dboTable));
    EXPECT_FALSE(ex.AcceptObj("USERS", dboTable));
    EXPECT_TRUE(ex.AcceptObj("USERS_BI", dboTrigger));  // triggers are not tested against the prefix

    ex.OnAcceptObj = [](TObject*, const std::string& n, TDbObject, bool& accept) {
        if (n == "USERS") accept = true;
    };
    EXPECT_TRUE(ex.AcceptObj("USERS", dboTable));
}

TEST(ExtractMaskTest, ObjectsFiledThroughTheSetFollowTheFilter) {
    TDBStructure structure;
    structure.SetDatabaseType(dbInterBase);
    TCustomExtract ex;
    ex.SetDBStructure(&structure);
    ex.SetExcludeObjsNames("PAYROLL\r\nTMP%");
    TCustomObjs* objs = structure.GetObjs();

    auto table = [&](const char* name) {
        auto* t = new TTblData(objs);
        t->SetObjName(name);
        return t;
    };
    EXPECT_FALSE(ex.AddObj(table("PAYROLL")));   // rejected and freed
    EXPECT_TRUE(ex.AddObj(table("ORDERS")));
    EXPECT_FALSE(objs->AddObj(table("TMP_1")));  // the set asks the extractor too
    auto* idx = new TIdxData(objs);
    idx->SetObjName("IX_PAY");
    idx->TblName = "PAYROLL";
    EXPECT_FALSE(objs->AddObj(idx));  // an index is judged by its table's name
    EXPECT_EQ(objs->Tbl.Count(), 1u);
    EXPECT_EQ(objs->Idx.Count(), 0u);
}

TEST(ExtractorTest, LinksMessagesAndLifetime) {
    auto* structure = new TDBStructure();
    EXPECT_EQ(structure->GetCompareRole(), crUnknownRole);
    structure->SetDatabaseType(dbInterBase);
    structure->SetIBServerOptions([] {
        TIBServerOptions o;
        o.SetSQLServerVersion(st_Firebird_30);
        return o;
    }());
    EXPECT_EQ(structure->GetIBServerOptions()->GetSQLServerVersion(), st_Firebird_30);
    std::vector<std::string> log, errors;
    {
        TCustomExtract ex;
        ex.OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
        ex.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
        ex.SetDBStructure(structure);
        EXPECT_EQ(structure->GetExtractor(), &ex);
        ex.DoBeforeDatabaseExtract();
        EXPECT_EQ(log, std::vector<std::string>{"Server Version (user defined): FireBird 3.0"});
        ex.DoErrorMessage("boom");
        EXPECT_EQ(ex.GetMsgManager().GetErrCount(), 1);
        EXPECT_FALSE(ex.ExtractDatabase());
        EXPECT_EQ(ex.GetMsgManager().GetErrCount(), 0);
        EXPECT_EQ(errors, std::vector<std::string>{"boom"});
    }
    EXPECT_EQ(structure->GetExtractor(), nullptr);  // the destroyed extractor is forgotten
    auto* t = new TTblData(structure->GetObjs());
    t->SetObjName("T");
    EXPECT_TRUE(structure->GetObjs()->AddObj(t));  // no hook left pointing at it

    TCustomExtract survivor;
    survivor.SetDBStructure(structure);
    structure->SetDbPrefix("P_");
    structure->Clear();
    EXPECT_EQ(structure->GetObjs()->Tbl.Count(), 0u);
    EXPECT_EQ(structure->GetDbPrefix(), "");
    EXPECT_EQ(structure->GetDatabaseType(), dbInterBase);
    delete structure;
    EXPECT_EQ(survivor.GetDBStructure(), nullptr);
}

// The set and a parser of the set reach the extractor bound to the set's structure only
// through its link: filtering, errors, log lines (with the set as sender) and progress.
TEST(ExtractorTest, SetAndParserReportThroughTheBoundExtractor) {
    using Line = std::pair<const TObject*, std::string>;
    TDBStructure structure;
    TCustomObjs* set = structure.GetObjs();
    TSQLExec exec;
    std::vector<Line> execLog, exLog;
    exec.OnLogNextLine = [&](TObject* s, const std::string& t) { execLog.emplace_back(s, t); };
    set->SetSQLExec(&exec);
    TCustomExtract ex;
    ex.SetDBStructure(&structure);

    set->DoLogNextLine("one");  // the extractor has no log handler: the executor's takes it
    ex.OnLogNextLine = [&](TObject* s, const std::string& t) { exLog.emplace_back(s, t); };
    set->DoLogNextLine("two");
    EXPECT_EQ(execLog, (std::vector<Line>{{set, "one"}}));
    EXPECT_EQ(exLog, (std::vector<Line>{{set, "two"}}));

    std::vector<std::string> errors;
    ex.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    set->ErrMsg("bad");
    EXPECT_EQ(errors, std::vector<std::string>{"bad"});

    ex.SetExcludeObjsNames("HIDDEN");
    for (const char* name : {"HIDDEN", "SHOWN"}) {
        auto* t = new TTblData(set);
        t->SetObjName(name);
        set->AddObj(t);
    }
    EXPECT_EQ(set->Tbl.Count(), 1u);
    EXPECT_NE(set->Tbl.Find("SHOWN"), nullptr);

    // A parser without log or progress handlers of its own reports through the extractor.
    std::vector<std::pair<int, int>> progress;
    ex.OnProgressUpdate = [&](TObject*, int v, int m) { progress.emplace_back(v, m); };
    exLog.clear();
    TCustomParser parser;
    parser.SetScriptFileName("s.sql");
    parser.ParseScript({"a", "b"}, set);
    EXPECT_EQ(exLog, (std::vector<Line>{{&ex, "Parse Script: s.sql"}}));
    EXPECT_FALSE(progress.empty());
    for (const auto& [value, max] : progress) EXPECT_EQ(max, 2);

    // Unbound, nothing reaches the extractor any more.
    ex.SetDBStructure(nullptr);
    exLog.clear();
    set->DoLogNextLine("three");
    EXPECT_TRUE(exLog.empty());
    EXPECT_EQ(execLog.back(), (Line{set, "three"}));
}

}  // namespace
}  // namespace dbtwin
