#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "core/krvMsg.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Viw.h"
#include "support/builders.h"
#include "support/compare_rig.h"
#include "support/golden.h"

namespace dbtwin {
namespace {

namespace fs = std::filesystem;

// A set of one database kind with nothing in its header unless asked for.
struct Set {
    explicit Set(TDatabaseType db) {
        objs.SetDatabaseType(db);
        objs.fScriptOptions.SetConnect(false);
        objs.fScriptOptions.SetSQLDialect(false);
        objs.fScriptOptions.SetDBCharSet(false);
    }
    TTblData* Table(const std::string& name, const std::string& schema = "") {
        return testing::AddTable(objs, name, {}, schema);
    }
    TFldData* Col(TTblData* t, const std::string& name, TDBFieldType type, std::int32_t len = 0) {
        return testing::AddColumn(*t, {name, type, len});
    }
    TObjs objs;
};

// Swallows the messages shown while a test runs.
struct QuietMessages {
    QuietMessages() {
        prev = SetShowMessageHandler([this](const std::string& s) { shown.push_back(s); });
    }
    ~QuietMessages() { SetShowMessageHandler(prev); }
    TShowMessageHandler prev;
    std::vector<std::string> shown;
};

TEST(TObjsExportTest, EmptyInterBaseSetGivesNineEmptyEntries) {
    Set s(dbInterBase);
    s.objs.ExtractMetadata();
    EXPECT_EQ(s.objs.MetaData, std::vector<std::string>(9, ""));
    // The list form appends and leaves MetaData empty.
    std::vector<std::string> script{"first"};
    s.objs.ExtractMetadata(script);
    EXPECT_EQ(script.size(), 10u);
    EXPECT_TRUE(s.objs.MetaData.empty());
}

TEST(TObjsExportTest, FirebirdScriptWithHeaderTablesAndComments) {
    for (TIBSQLServerVersionType ver : {st_Firebird_25, st_Firebird_30, st_Firebird_40}) {
        Set s(dbInterBase);
        s.objs.fIBServerOptions.SetSQLServerVersion(ver);
        s.objs.fScriptOptions.SetConnect(true);
        s.objs.fScriptOptions.SetSQLDialect(true);
        s.objs.fConnectionOptions.SetDatabaseName("/db/it's.fdb");
        s.objs.fConnectionOptions.SetUserName("SYSDBA");
        s.objs.fConnectionOptions.SetPassword("pa'ss");
        TTblData* b = s.Table("B");
        s.Col(b, "ID", iftInteger)->Nullable = false;
        s.Col(b, "NAME", iftVarchar, 20)->SetDescription("the name");
        b->SetDescription("it's B");
        s.Table("A");
        s.Col(s.objs.GetTable("A"), "X", iftSmallInt);
        s.objs.ExtractMetadata();
        const std::vector<std::string> expected{
            "SET SQL DIALECT 3;\r\n",
            // The password set on the connection is never written.
            "CREATE DATABASE '/db/it''s.fdb'\r\n USER 'SYSDBA';\r\n",
            "", "", "", "",
            "CREATE TABLE A(X SMALLINT);", "",
            "CREATE TABLE B(ID INTEGER NOT NULL,\r\nNAME VARCHAR(20));", "",
            "COMMENT ON TABLE B IS\r\n'it''s B';", "",
            "COMMENT ON COLUMN B.NAME IS\r\n'the name';", "",
            "", "", "", "", ""};
        EXPECT_EQ(s.objs.MetaData, expected) << ver;
        // The configured mode is back after the export.
        EXPECT_EQ(s.objs.fIBServerOptions.GetIBCompareOptions().GetUpdateDescriptionMode(), udSysTables);
    }
}

TEST(TObjsExportTest, InterBase2020ExportUsesDescribeMode) {
    Set s(dbInterBase);
    s.objs.fIBServerOptions.SetSQLServerVersion(st_InterBase_2020);
    TTblData* t = s.Table("T");
    s.Col(t, "C", iftInteger);
    t->SetDescription("d");
    s.objs.ExtractMetadata();
    ASSERT_GE(s.objs.MetaData.size(), 8u);
    EXPECT_EQ(s.objs.MetaData[4], "CREATE TABLE T(C INTEGER);");
    EXPECT_EQ(s.objs.MetaData[6], "ALTER DESCRIPTION FOR TABLE T SET\r\n'd';");
}

TEST(TObjsExportTest, PostgreSQLOwnerIsQuotedAndPublicSchemaIsNotCreated) {
    Set s(dbPostgreSQL);
    auto* pub = new TSchData(&s.objs);
    pub->SetObjName("public");
    pub->EditExtra().OwnUser = "postgres";
    s.objs.AddObj(pub);
    TTblData* t = s.Table("t", "public");
    s.Col(t, "c", iftInteger);
    t->EditExtra().OwnUser = "Mixed Role";
    TTblData* u = s.Table("u");
    s.Col(u, "c", iftText);
    u->EditExtra().OwnUser = "plain";
    s.objs.ExtractMetadata();
    const std::vector<std::string> expected{
        "", "", "", "",
        "CREATE TABLE public.t(c integer);", "",
        "ALTER TABLE public.t OWNER TO \"Mixed Role\";", "",
        "CREATE TABLE u(c text);", "",
        "ALTER TABLE u OWNER TO plain;", "",
        "", "", "", "", ""};
    EXPECT_EQ(s.objs.MetaData, expected);
}

TEST(TObjsExportTest, SqlServerSettingsFollowEachObject) {
    Set s(dbMSSQL);
    s.objs.fScriptOptions.SetConnect(true);
    s.objs.fConnectionOptions.SetDatabaseName("db");
    TTblData* a = s.Table("A");
    s.Col(a, "C", iftInteger);
    a->MsQuotedIdent = true;
    TTblData* b = s.Table("B");
    s.Col(b, "C", iftInteger);
    s.objs.ExtractMetadata();
    const std::vector<std::string>& m = s.objs.MetaData;
    ASSERT_GE(m.size(), 10u);
    EXPECT_EQ(m[0], "USE db\r\ngo\r\n");
    EXPECT_EQ(m[1], "SET QUOTED_IDENTIFIER OFF\r\ngo\r\n");
    EXPECT_EQ(m[2], "SET ANSI_NULLS OFF\r\ngo\r\n");
    EXPECT_EQ(m[7], "SET QUOTED_IDENTIFIER ON\r\ngo\r\n");
    EXPECT_EQ(m[10], "SET QUOTED_IDENTIFIER OFF\r\ngo\r\n");
    EXPECT_FALSE(s.objs.MsQuotedIdent);
    EXPECT_GOLDEN(testing::JoinLines(m), "export_session_settings/sqlserver.sql");
}

TEST(TObjsExportTest, OneTable) {
    Set s(dbInterBase);
    TTblData* t = s.Table("T1");
    s.Col(t, "C", iftInteger);
    t->SetDescription("x");
    std::vector<std::string> script;
    s.objs.ExtractTable(script, "nope", false, TCmpObjSetType::All());
    s.objs.ExtractTable(script, "t1", false, TCmpObjSetType::All());  // found in upper case
    s.objs.ExtractTable(script, "T1", false, TCmpObjSetType{coTable});
    const std::vector<std::string> expected{
        "/* Table \"nope\" not found */",
        "CREATE TABLE T1(C INTEGER);\r\n", "COMMENT ON TABLE T1 IS\r\n'x';", "",
        "CREATE TABLE T1(C INTEGER);\r\n"};
    EXPECT_EQ(script, expected);
}

TEST(TObjsExportTest, MySQLTableWithKeysInline) {
    Set s(dbMySQL);
    TTblData* t = s.Table("t");
    s.Col(t, "id", iftInteger)->Nullable = false;
    s.Col(t, "code", iftVarchar, 10);
    auto* pk = new TCtrData(&s.objs);
    pk->SetObjName("PRIMARY");
    pk->SetCtType(ctPKey);
    pk->SetTblName("t");
    pk->AddFld("id");
    s.objs.AddObj(pk);
    auto* ix = new TIdxData(&s.objs);
    ix->SetObjName("ix_code");
    ix->TblName = "t";
    ix->Unique = true;
    ix->Flds.Add("code", new TFldData(&s.objs));
    ix->Flds.Objects(0)->SetObjName("code");
    s.objs.AddObj(ix);
    t->fMySQLOptions.Engine = "InnoDB";
    pk->SetObjCreated(false);
    ix->SetObjCreated(false);
    EXPECT_EQ(t->Def(),
              "CREATE TABLE `t`(`id` INTEGER NOT NULL,\r\n`code` VARCHAR(10),\r\n"
              "CONSTRAINT `PRIMARY` PRIMARY KEY(`id`),\r\nUNIQUE KEY `ix_code` (`code`))\r\nENGINE=InnoDB");
    EXPECT_TRUE(pk->GetObjCreated());
    EXPECT_TRUE(ix->GetObjCreated());
}

// Captures what the library's loader reads from a file.
class CapturingExec : public TCustomSQLExec {
public:
    void LoadScript(const std::vector<std::string>& aScript) override { lines = aScript; }
    std::vector<std::string> lines;
};

std::vector<fs::path> FilesIn(const fs::path& dir) {
    std::vector<fs::path> r;
    for (const auto& e : fs::recursive_directory_iterator(dir)) r.push_back(e.path());
    return r;
}

TEST(TObjsExportTest, PerObjectFilesAreSafeDistinctAndReadBack) {
    const fs::path root = fs::path(::testing::TempDir()) / "dbtwin_save_test";
    fs::remove_all(root);
    const fs::path dir = root / "out";
    fs::create_directories(dir);

    Set s(dbPostgreSQL);
    s.objs.MetadataSaveDir = dir.string();
    const std::vector<std::string> names{"plain", "a/b", "a b", "a\\b", "c:d", "..", "../../escape",
                                         "q\"uote", "q'uote", ".hidden", "tab\there", "\xC3\xBC" "ber"};
    for (const std::string& n : names) s.Col(s.Table(n), "c", iftVarchar, 5);
    auto* prc = new TPrcData(&s.objs);
    prc->SetObjName("p");
    s.objs.AddObj(prc);
    s.objs.ExtractMetadata();
    EXPECT_TRUE(s.objs.GetSaveErrors().empty());

    // Every file sits directly in the chosen folder; nothing was written beside it.
    std::set<std::string> files;
    for (const fs::path& p : FilesIn(dir)) {
        EXPECT_EQ(p.parent_path(), dir) << p;
        const std::string f = p.filename().string();
        EXPECT_NE(f.front(), '.') << f;
        EXPECT_EQ(f.find(".."), std::string::npos) << f;
        for (char c : f) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << f;
        files.insert(f);
    }
    EXPECT_EQ(FilesIn(root).size(), FilesIn(dir).size() + 1);
    // One body per table (distinct even where the names clean up alike), a header and a
    // body for the procedure.
    EXPECT_EQ(files.size(), names.size() + 2);
    EXPECT_TRUE(files.count("table_plain_body.sql"));
    EXPECT_TRUE(files.count("table_a b_body.sql"));
    EXPECT_TRUE(files.count("table_a b_2_body.sql"));
    EXPECT_TRUE(files.count("procedure_p_header.sql"));
    EXPECT_TRUE(files.count("procedure_p_body.sql"));

    // The loader reads each file back as the object's text.
    for (const std::string& n : {std::string("plain"), std::string("\xC3\xBC" "ber")}) {
        CapturingExec exec;
        exec.LoadFromFile((dir / ("table_" + n + "_body.sql")).string());
        EXPECT_EQ(exec.lines, SplitLines(s.objs.GetTable(n)->Def())) << n;
    }
    CapturingExec exec;
    exec.LoadFromFile((dir / "procedure_p_header.sql").string());
    EXPECT_EQ(exec.lines, SplitLines(prc->EmptyDef()));

    // A second export overwrites the same files instead of adding suffixed ones.
    s.objs.ExtractMetadata();
    EXPECT_EQ(FilesIn(dir).size(), files.size());
    fs::remove_all(root);
}

TEST(TObjsExportTest, WriteErrorsAreReportedAndTheExportGoesOn) {
    QuietMessages quiet;
    std::vector<std::string> logged;
    const TLogProcedure saved = AddToLog;
    AddToLog = [&logged](const std::string& s) { logged.push_back(s); };
    Set s(dbInterBase);
    s.objs.MetadataSaveDir = (fs::path(::testing::TempDir()) / "dbtwin_missing_dir" / "sub").string();
    s.Col(s.Table("T"), "C", iftInteger);
    s.Col(s.Table("U"), "C", iftInteger);
    s.objs.ExtractMetadata();
    AddToLog = saved;
    ASSERT_EQ(s.objs.GetSaveErrors().size(), 2u);
    EXPECT_EQ(s.objs.GetSaveErrors()[0].rfind("Cannot write file: ", 0), 0u);
    EXPECT_EQ(logged, s.objs.GetSaveErrors());
    EXPECT_EQ(quiet.shown, s.objs.GetSaveErrors());  // no extractor: shown to the user
    EXPECT_EQ(s.objs.MetaData[4], "CREATE TABLE T(C INTEGER);");
    EXPECT_EQ(s.objs.MetaData[6], "CREATE TABLE U(C INTEGER);");
}

TEST(TDataBaseObjTest, CreationScriptDoublesQuotes) {
    TObjs ib;
    ib.SetDatabaseType(dbInterBase);
    TDataBaseObj d(&ib);
    EXPECT_EQ(d.GetCaption(), "Database");
    d.fConnectionOptions.SetDatabaseName("host:/d/o'k.fdb");
    d.fConnectionOptions.SetUserName("us'er");
    d.fConnectionOptions.SetPassword("p'w");
    d.fIBServerOptions.SetDBCharSet("UTF8");
    d.fIBServerOptions.GetIBDatabaseOptions().SetPageSize(8192);
    d.fIBServerOptions.GetIBDatabaseOptions().SetServerVersion("WI-V3.0.11");
    d.fIBServerOptions.GetIBDatabaseOptions().SetODSMajorVersion(12);
    d.fIBServerOptions.GetIBDatabaseOptions().SetForcedWrites(1);
    EXPECT_EQ(d.GetCaption(), "host:/d/o'k.fdb");
    EXPECT_EQ(d.Def(),
              "SET NAMES UTF8;\r\nSET SQL DIALECT 3;\r\n"
              "CREATE DATABASE 'host:/d/o''k.fdb'\r\nUSER 'us''er'\r\nPAGE_SIZE 8192"
              "  DEFAULT CHARACTER SET UTF8;\r\n"
              "/* Server: WI-V3.0.11.  ODS: 12.0. Forced Writes: Enabled.  */");
    TObjs pg;
    pg.SetDatabaseType(dbPostgreSQL);
    TDataBaseObj p(&pg);
    p.fConnectionOptions.SetDatabaseName("x");
    EXPECT_EQ(p.Def(), "");
}

TEST(TObjsTest, LookupsAndClear) {
    Set s(dbInterBase);
    TTblData* t = s.Table("T");
    s.Col(t, "C", iftInteger);
    auto* p = new TPrcData(&s.objs);
    p->SetObjName("P");
    p->AddParam("IN1");
    p->AddReturn("OUT1");
    s.objs.AddObj(p);
    auto* user = new TRolData(&s.objs);
    user->SetObjName("R");
    user->UserType = usrUsr;
    s.objs.AddObj(user);
    EXPECT_EQ(s.objs.GetTable("T"), t);
    EXPECT_EQ(s.objs.GetTable("t"), nullptr);
    EXPECT_EQ(s.objs.GetTableField("T", "C"), t->FindFld("C"));
    EXPECT_EQ(s.objs.GetTableField("T", "D"), nullptr);
    EXPECT_EQ(s.objs.GetTableField("X", "C"), nullptr);
    EXPECT_EQ(s.objs.GetProcParam("P", "IN1"), p->Params.Find("IN1"));
    EXPECT_EQ(s.objs.GetProcParam("P", "OUT1"), p->Returns.Find("OUT1"));
    EXPECT_EQ(s.objs.GetRole("R"), nullptr);
    EXPECT_EQ(s.objs.GetUser("R"), user);
    s.objs.ExtractMetadata();
    s.objs.Clear();
    EXPECT_EQ(s.objs.GetTable("T"), nullptr);
    EXPECT_TRUE(s.objs.MetaData.empty());
    EXPECT_EQ(s.objs.fTermString, ";");
}

TEST(TObjsTest, SourceDefinitionKeepsCurrentDefinitions) {
    struct View : TViwData {
        using TViwData::TViwData;
        std::string Def() const override { return "CREATE VIEW " + fObjName; }
    };
    Set s(dbInterBase);
    auto* v = new View(&s.objs);
    v->SetObjName("V");
    s.objs.AddObj(v);
    s.objs.SetSourceDefinition();
    EXPECT_EQ(v->Extra().fSourceDefinition, "CREATE VIEW V");
    EXPECT_EQ(v->Extra().fCurrentDefinition, "CREATE VIEW V");
}

TEST(CompObjHelpersTest, ParseDbPath) {
    struct Case {
        const char* path;
        TKRVProtocol protocol;
        const char* server;
        const char* database;
    };
    const Case cases[] = {
        {"srv:C:\\db\\x.fdb", ptTCP, "srv", "C:\\db\\x.fdb"},
        {"C:\\db\\x.fdb", ptLocal, "", "C:\\db\\x.fdb"},
        {"\\\\srv\\share\\x.fdb", ptNamedPipe, "srv", "share\\x.fdb"},
        {"srv@C:\\x.fdb", ptSPX, "srv", "C:\\x.fdb"},
        {"/var/db/x.fdb", ptLocal, "", "/var/db/x.fdb"},
    };
    for (const Case& c : cases) {
        std::string server = "junk", database;
        TKRVProtocol protocol = ptTCP;
        ParseDbPath(c.path, server, database, protocol);
        EXPECT_EQ(protocol, c.protocol) << c.path;
        EXPECT_EQ(server, c.server) << c.path;
        EXPECT_EQ(database, c.database) << c.path;
    }
}

TEST(CompObjHelpersTest, ObjStrAndClearCrLf) {
    EXPECT_EQ(obj_str(dboTable), "relation");
    EXPECT_EQ(obj_str(dboRole), "sql_role");
    EXPECT_EQ(obj_str(dboComputed), "computed");
    EXPECT_EQ(obj_str(dboDomain), "???");
    EXPECT_EQ(ClearCrLf("a  \r\n\r\n\r\nb"), "a\r\nb");
    EXPECT_EQ(ClearCrLf("a \r\n \r\nb"), "a\r\nb");
}

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

// Views come after the views they use, directly or through a column, whatever their names:
// z_base, m_mid, a_top, then b_lone.
TEST(TObjsExportTest, ViewsFollowTheViewsTheyUse) {
    TObjs objs;
    objs.SetDatabaseType(dbPostgreSQL);
    TViwData* top = testing::AddView(objs, "a_top", "select x from m_mid", {}, {});
    TViwData* mid = testing::AddView(objs, "m_mid", "select x from z_base", {}, {});
    TViwData* base = testing::AddView(objs, "z_base", "select 1 as x", {}, {});
    TFldData* x = base->AddFld("x");
    testing::AddView(objs, "b_lone", "select 2", {}, {});
    objs.LinkDepend(top, mid);
    objs.LinkDepend(mid, x);
    std::vector<std::string> script;
    objs.ExtractMetadata(script);
    EXPECT_GOLDEN(testing::JoinLines(script), "export_view_order/postgresql.sql");
}

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

// A Firebird export writes package headers before the routines and the bodies after them,
// each in a block of its own terminator; Oracle writes header and body together.
TEST(TObjsExportTest, PackagesHeadersBeforeRoutinesBodiesAfter) {
    for (TDatabaseType db : {dbInterBase, dbOracle}) {
        Set s(db);
        s.objs.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
        const bool ib = db == dbInterBase;
        auto* a = new TPkgData(&s.objs);
        a->SetObjName("pk_a");
        a->HeaderBody = ib ? "BEGIN\r\n  FUNCTION F() RETURNS INT;\r\nEND" : "AS\r\n  FUNCTION F RETURN INT;\r\nEND;";
        a->SetBody(ib ? "BEGIN\r\n  FUNCTION F() RETURNS INT AS BEGIN RETURN 1; END\r\nEND"
                      : "AS\r\n  FUNCTION F RETURN INT IS BEGIN RETURN 1; END;\r\nEND;");
        testing::File(s.objs, a);
        auto* b = new TPkgData(&s.objs);
        b->SetObjName("PK_B");
        b->HeaderBody = ib ? "BEGIN\r\n  PROCEDURE P;\r\nEND" : "AS\r\n  PROCEDURE P;\r\nEND;";
        testing::File(s.objs, b);
        s.Col(s.Table("T"), "A", iftInteger);
        s.objs.ExtractMetadata();
        EXPECT_GOLDEN(testing::JoinLines(s.objs.MetaData),
                      std::string("export_packages/") + (ib ? "firebird.sql" : "oracle.sql"));
    }
}

}  // namespace
}  // namespace dbtwin
