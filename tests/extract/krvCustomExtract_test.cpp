#include "extract/krvCustomExtract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objects/krvCompObj.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvDBStructure.h"

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

}  // namespace
}  // namespace dbtwin
