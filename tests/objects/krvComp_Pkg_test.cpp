#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddTable;
using testing::AddTrigger;
using testing::AsLiteral;
using testing::Compare;

TPkgData* AddPackage(TCustomObjs& o, const std::string& name, const std::string& header, const std::string& body,
                     const std::string& schema = std::string()) {
    auto* p = new TPkgData(&o);
    p->SetObjName(name);
    p->SetSchema(schema);
    p->HeaderBody = header;
    p->SetBody(body);
    return testing::File(o, p);
}

TPrcData* AddProcedure(TCustomObjs& o, const std::string& name, const std::string& body) {
    auto* p = new TPrcData(&o);
    p->SetObjName(name);
    p->SetBody(body);
    return testing::File(o, p);
}

const char* const kHeader = "BEGIN\r\n  FUNCTION F1() RETURNS INT;\r\nEND";
const char* const kBody = "BEGIN\r\n  FUNCTION F1() RETURNS INT AS BEGIN RETURN 1; END\r\nEND";

// ---------------------------------------------------------------------------
// Texts

struct TextCase {
    const char* name;
    TDatabaseType db;
    TIBSQLServerVersionType version;
    std::function<void(TPkgData&)> setup;
    std::string header, body, def, drop, dropBody;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class PackageTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(PackageTextTest, HeaderBodyDefAndDrop) {
    const TextCase& c = GetParam();
    TObjs o;
    o.SetDatabaseType(c.db);
    o.fIBServerOptions.SetSQLServerVersion(c.version);
    TPkgData p(&o);
    c.setup(p);
    EXPECT_EQ(p.HeaderDef(), c.header) << AsLiteral(p.HeaderDef());
    EXPECT_EQ(p.BodyDef(), c.body) << AsLiteral(p.BodyDef());
    EXPECT_EQ(p.Def(), c.def) << AsLiteral(p.Def());
    EXPECT_EQ(p.DropDef(), c.drop);
    EXPECT_EQ(p.DropBodyDef(), c.dropBody);
    // The texts do not follow the server version.
    if (c.db == dbInterBase)
        for (TIBSQLServerVersionType v : {st_InterBase_2020, st_Firebird_25, st_Firebird_30, st_Firebird_40}) {
            o.fIBServerOptions.SetSQLServerVersion(v);
            EXPECT_EQ(p.Def(), c.def) << v;
        }
}

const std::string kFbHeader = std::string("CREATE OR ALTER PACKAGE \"pk2\"\r\n    AS\r\n") + kHeader;
const std::string kFbBody = std::string("RECREATE PACKAGE BODY \"pk2\"\r\n    AS\r\n") + kBody;

// Firebird syntax does not follow the server version: no Firebird accepts CREATE OR REPLACE.
// A lower-case name is quoted, or the server would store it upper-cased.
const TextCase kTextCases[] = {
    {"Firebird30LowerCaseName", dbInterBase, st_Firebird_30,
     [](TPkgData& p) {
         p.SetObjName("pk2");
         p.HeaderBody = kHeader;
         p.SetBody(kBody);
     },
     kFbHeader, kFbBody, kFbHeader + "\r\n^\r\n\r\n" + kFbBody, "DROP PACKAGE \"pk2\"", "DROP PACKAGE BODY \"pk2\""},
    {"Firebird25HeaderOnly", dbInterBase, st_Firebird_25,
     [](TPkgData& p) {
         p.SetObjName("PK");
         p.HeaderBody = "BEGIN END";
     },
     "CREATE OR ALTER PACKAGE PK\r\n    AS\r\nBEGIN END", "RECREATE PACKAGE BODY PK\r\n    AS\r\n",
     "CREATE OR ALTER PACKAGE PK\r\n    AS\r\nBEGIN END", "DROP PACKAGE PK", "DROP PACKAGE BODY PK"},
    {"OracleWithSchema", dbOracle, st_Firebird_30,
     [](TPkgData& p) {
         p.SetObjName("PK");
         p.SetSchema("APP");
         p.HeaderBody = "AS\r\n  PROCEDURE P;\r\nEND PK;";
         p.SetBody("AS\r\n  PROCEDURE P IS BEGIN NULL; END;\r\nEND PK;");
     },
     "CREATE OR REPLACE PACKAGE APP.PK\r\nAS\r\n  PROCEDURE P;\r\nEND PK;",
     "CREATE OR REPLACE PACKAGE BODY APP.PK\r\nAS\r\n  PROCEDURE P IS BEGIN NULL; END;\r\nEND PK;",
     "CREATE OR REPLACE PACKAGE APP.PK\r\nAS\r\n  PROCEDURE P;\r\nEND PK;\r\n/\r\n\r\n"
     "CREATE OR REPLACE PACKAGE BODY APP.PK\r\nAS\r\n  PROCEDURE P IS BEGIN NULL; END;\r\nEND PK;",
     "DROP PACKAGE APP.PK", "DROP PACKAGE BODY APP.PK"},
    {"OracleMixedCaseNameQuoted", dbOracle, st_Firebird_30,
     [](TPkgData& p) {
         p.SetObjName("Pk");
         p.HeaderBody = "AS END;";
     },
     "CREATE OR REPLACE PACKAGE \"Pk\"\r\nAS END;", "CREATE OR REPLACE PACKAGE BODY \"Pk\"\r\n",
     "CREATE OR REPLACE PACKAGE \"Pk\"\r\nAS END;", "DROP PACKAGE \"Pk\"", "DROP PACKAGE BODY \"Pk\""},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, PackageTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Whole scripts

// New (with a lower-case name), changed header, changed body, header-only change of a
// package whose body goes, target-only, unchanged.
void FillPackageChanges(Compare& c, TDatabaseType db) {
    const bool ora = db == dbOracle;
    const std::string h1 = ora ? "AS\r\n  PROCEDURE P;\r\nEND;" : kHeader;
    const std::string h2 = ora ? "AS\r\n  PROCEDURE P;\r\n  PROCEDURE Q;\r\nEND;"
                               : "BEGIN\r\n  FUNCTION F1() RETURNS INT;\r\n  FUNCTION F2() RETURNS INT;\r\nEND";
    const std::string b1 = ora ? "AS\r\n  PROCEDURE P IS BEGIN NULL; END;\r\nEND;" : kBody;
    const std::string b2 = ora ? "AS\r\n  PROCEDURE P IS BEGIN COMMIT; END;\r\nEND;"
                               : "BEGIN\r\n  FUNCTION F1() RETURNS INT AS BEGIN RETURN 2; END\r\nEND";
    const std::string b3 = ora ? "AS\r\n  PROCEDURE P IS BEGIN NULL; END;\r\n  PROCEDURE Q IS BEGIN NULL; END;\r\nEND;"
                               : "BEGIN\r\n  FUNCTION F1() RETURNS INT AS BEGIN RETURN 1; END\r\n"
                                 "  FUNCTION F2() RETURNS INT AS BEGIN RETURN 2; END\r\nEND";
    TCustomObjs& m = c.Master();
    TCustomObjs& t = c.Target();
    AddPackage(m, "pk_new", h1, b1);
    AddPackage(m, "PK_HEADER", h2, b3);
    AddPackage(t, "PK_HEADER", h1, b1);
    AddPackage(m, "PK_BODY", h1, b2);
    AddPackage(t, "PK_BODY", h1, b1);
    AddPackage(m, "PK_NOBODY", h1, "");
    AddPackage(t, "PK_NOBODY", h1, b1);
    AddPackage(t, "PK_OLD", h1, b1);
    AddPackage(m, "PK_SAME", h1, b1);
    AddPackage(t, "PK_SAME", h1, b1);
}

// Packages used by routines and triggers. PK9's header changes under a procedure and a
// trigger that call it: both are emptied first, the trigger's body comes back in the trigger
// phase. PK_GONE, which only the target has, is still called by P_OLD, which the master
// keeps with a body that no longer calls it: P_OLD is emptied before the drop.
void FillPackageUsers(Compare& c, TDatabaseType) {
    const char* h2 = "BEGIN\r\n  FUNCTION F2() RETURNS INT;\r\nEND";
    const char* b2 = "BEGIN\r\n  FUNCTION F2() RETURNS INT AS BEGIN RETURN 2; END\r\nEND";
    for (TCustomObjs* o : {&c.Master(), &c.Target()}) {
        const bool m = o == &c.Master();
        TPkgData* pk = AddPackage(*o, "PK9", m ? h2 : kHeader, m ? b2 : kBody);
        TPrcData* p = AddProcedure(*o, "P1", m ? "BEGIN X = PK9.F2(); END" : "BEGIN X = PK9.F1(); END");
        o->LinkDepend(p, pk);
        TTblData* tbl = AddTable(*o, "T", {{"A", iftInteger}});
        TTrgData* trg = AddTrigger(*o, {"TR", "T", baBefore, {iudInsert},
                                        m ? "AS BEGIN NEW.A = PK9.F2(); END" : "AS BEGIN NEW.A = PK9.F1(); END"});
        o->LinkDepend(trg, pk);
        o->LinkDepend(trg, tbl);
        TPrcData* old = AddProcedure(*o, "P_OLD", m ? "BEGIN EXIT; END" : "BEGIN X = PK_GONE.F1(); END");
        if (!m) o->LinkDepend(old, AddPackage(*o, "PK_GONE", kHeader, kBody));
    }
}

class PackageGoldenTest : public ::testing::TestWithParam<testing::ScriptCase> {};

TEST_P(PackageGoldenTest, WholeScript) {
    testing::ExpectScriptCase(GetParam(), testing::TargetFirebird30);
}

const testing::ScriptCase kGolden[] = {
    {"FirebirdNewChangedDropped", dbInterBase, FillPackageChanges, "package_changes/firebird.sql"},
    {"OracleNewChangedDropped", dbOracle, FillPackageChanges, "package_changes/oracle.sql"},
    {"FirebirdUsedByRoutines", dbInterBase,
     FillPackageUsers,
     "package_users/firebird.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, PackageGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

// Packages matched by key: on Oracle two packages of one name in different schemas are
// different packages.
TEST(PackageCompareTest, OracleMatchesBySchemaAndName) {
    Compare c(dbOracle);
    AddPackage(c.Master(), "PK", "AS END;", "", "A");
    AddPackage(c.Target(), "PK", "AS END;", "", "B");
    const std::string script = c.Run();
    EXPECT_NE(script.find("CREATE OR REPLACE PACKAGE A.PK"), std::string::npos) << script;
    EXPECT_NE(script.find("DROP PACKAGE B.PK"), std::string::npos) << script;
}

// Routines emptied before a header change are only emptied when their restore runs.
TEST(PackageCompareTest, UsersWhoseRestoreDoesNotRunKeepTheirBodiesWithAWarning) {
    Compare c(dbInterBase);
    c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    c.keldar.SetCompareObjects(TCmpObjSetType{coTable});
    FillPackageUsers(c, dbInterBase);
    const std::string script = c.Run();
    EXPECT_EQ(script.find("Empty P1"), std::string::npos) << script;
    EXPECT_NE(script.find("CREATE OR ALTER PACKAGE PK9"), std::string::npos) << script;
    ASSERT_EQ(c.keldar.GetWrnScript().size(), 2u);
    EXPECT_NE(c.keldar.GetWrnScript()[0].find("TPrcData P1 uses package PK9"), std::string::npos);
}

}  // namespace
}  // namespace dbtwin
