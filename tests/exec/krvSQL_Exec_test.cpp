#include "exec/krvSQL_Exec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"

namespace dbtwin {
namespace {

using Lines = std::vector<std::string>;

// A statement list that records what it is asked to load and the errors it reports.
class TestExec : public TSQLExec {
public:
    explicit TestExec(TDatabaseType db) {
        SetDatabaseType(db);
        OnErrorMessage = [this](TObject*, const std::string& t) { Errors.push_back(t); };
        OnLogNextLine = [this](TObject*, const std::string& t) { Log.push_back(t); };
    }
    void LoadScript(const std::vector<std::string>& aScript) override {
        Loaded = aScript;
        ++LoadCalls;
    }
    Lines Render(bool renumber = false) {
        Lines out;
        GetScript(out, renumber);
        return out;
    }
    Lines Errors, Log, Loaded;
    int LoadCalls = 0;
};

TEST(StatementListTest, AddRules) {
    TestExec ex(dbInterBase);
    EXPECT_EQ(ex.Add("", stStatement, "T"), nullptr);
    EXPECT_EQ(ex.GetLine(), 0);
    EXPECT_FALSE(ex.GetIsUpdate());

    TStatement* c = ex.Add("", stComment);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Term, "");
    EXPECT_EQ(c->Len, 0);
    EXPECT_EQ(ex.GetLine(), 1);
    EXPECT_FALSE(ex.GetIsUpdate());

    ex.SetCurrentSchema("S1");
    TStatement* s = ex.Add("CREATE TABLE T (\r\n  A INTEGER)", stStatement, "T", dboTable, odbCreate);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Len, 2);
    EXPECT_EQ(s->Term, ";\r\n");
    EXPECT_EQ(s->Shema, "S1");
    EXPECT_EQ(s->fSQLExec, &ex);
    EXPECT_EQ(ex.GetLine(), 4);
    EXPECT_TRUE(ex.GetIsUpdate());

    TStatement* t = ex.Add("SELECT 1", stSelect, "", dboUnknown, odbUnknown, "", "!!\r\n");
    EXPECT_EQ(t->Term, "!!\r\n");
    EXPECT_EQ(ex.GetStatementsCount(), 3);
    EXPECT_EQ(ex.IndexOf(t), 2);
}

TEST(StatementListTest, UpdateKinds) {
    const TStatType updating[] = {stStatement, stProcedure, stTrigger, stDescription,
                                  stInsert,    stUpdate,    stDelete};
    const TStatType other[] = {stConnect, stReconnect, stCreateDb, stSet, stSetBlobFile,
                               st_Commit, stComment,   stSetNames, stCharSet, stSqlDialect,
                               stSelect,  stExecuteBlock, stPackage};
    for (TStatType k : updating) {
        TestExec ex(dbPostgreSQL);
        ex.Add("x", k);
        EXPECT_TRUE(ex.GetIsUpdate()) << StatTypeStr[k];
    }
    for (TStatType k : other) {
        TestExec ex(dbPostgreSQL);
        ex.Add("x", k);
        EXPECT_FALSE(ex.GetIsUpdate()) << StatTypeStr[k];
    }
}

TEST(StatementListTest, HostCanRefuseOrSupplyStatements) {
    TestExec ex(dbMySQL);
    int created = 0;
    struct HostStatement : TStatement {
        int* counter;
        explicit HostStatement(int* c) : counter(c) { ++*counter; }
        ~HostStatement() override { --*counter; }
    };
    ex.OnStatementCreate = [&](TObject*, std::unique_ptr<TStatement>& st) {
        st = std::make_unique<HostStatement>(&created);
    };
    ex.OnStatementAdd = [](TStatement* st, bool& accept) { accept = st->ObjName != "SECRET"; };

    EXPECT_EQ(ex.Add("DROP TABLE SECRET", stStatement, "SECRET"), nullptr);
    EXPECT_EQ(created, 0);  // the refused statement was freed
    EXPECT_EQ(ex.GetStatementsCount(), 0);
    EXPECT_EQ(ex.GetLine(), 0);
    EXPECT_FALSE(ex.GetIsUpdate());

    TStatement* kept = ex.Add("DROP TABLE OTHER", stStatement, "OTHER");
    ASSERT_NE(kept, nullptr);
    EXPECT_NE(dynamic_cast<HostStatement*>(kept), nullptr);
    EXPECT_EQ(created, 1);
    ex.Delete(0);
    EXPECT_EQ(created, 0);  // freed exactly once
    EXPECT_EQ(ex.GetStatementsCount(), 0);
    ex.Delete(0);  // out of range: nothing happens
}

TEST(StatementListTest, Captions) {
    struct Case { TDbObject kind; TDbOperation op; const char* caption; };
    const Case cases[] = {
        {dboTable, odbCreate, "T: create"},        {dboTable, odbAlter, "T: alter"},
        {dboTable, odbDrop, "T: drop"},            {dboTrigger, odbEmpty, "T: empty body"},
        {dboTrigger, odbRestore, "T: restore body"}, {dboProcedure, odbEmptyCreate, "T: create empty"},
        {dboProcedure, odbEmptyDrop, "T: empty before drop"},
        {dboTable, odbDescription, "T: description"}, {dboTable, odbInsert, "T: insert"},
        {dboTable, odbUpdate, "T: update"},        {dboTable, odbDelete, "T: delete"},
        {dboTable, odbSet, "T"},                   {dboField, odbDrop, "OWNER (T): alter"},
    };
    for (const auto& c : cases) {
        TStatement st;
        st.ObjName = "T";
        st.OwnName = "OWNER";
        st.ObjType = c.kind;
        st.Operation = c.op;
        EXPECT_EQ(st.GetCaption(), c.caption);
    }
    TStatement anon;
    anon.Text = {"COMMIT", "second"};
    EXPECT_EQ(anon.GetCaption(), "COMMIT");
}

TEST(ScriptTextTest, InterBaseTermBlocks) {
    TestExec ex(dbInterBase);
    ex.Add("CREATE TABLE T1 (A INTEGER)", stStatement, "T1", dboTable, odbCreate);
    ex.Add("CREATE TRIGGER TR1 FOR T1\r\nAS BEGIN END", stTrigger, "TR1", dboTrigger, odbCreate);
    ex.AddComment("/* between */");
    ex.Add("CREATE TRIGGER TR2 FOR T1\r\nAS BEGIN END", stTrigger, "TR2", dboTrigger, odbCreate);
    ex.Add("ALTER TABLE T1 ADD B INTEGER", stStatement, "T1", dboTable, odbAlter);
    ex.Add("CREATE VIEW V1 AS SELECT A FROM T1", stStatement, "V1", dboView, odbCreate);
    ex.Add("CREATE VIEW V2 AS\r\nSELECT A FROM T1", stStatement, "V2", dboView, odbCreate);
    ex.Add("COMMENT ON TABLE T1 IS 'x'", stDescription, "T1", dboTable, odbDescription);
    ex.Add_Commit();
    ex.Add("CREATE PROCEDURE P1\r\nAS BEGIN END", stProcedure, "P1", dboProcedure, odbCreate);

    const Lines expected = {
        "CREATE TABLE T1 (A INTEGER);", "",
        "SET TERM ^ ;", "",
        "CREATE TRIGGER TR1 FOR T1", "AS BEGIN END", "^", "",
        "/* between */",
        "CREATE TRIGGER TR2 FOR T1", "AS BEGIN END", "^", "",
        "SET TERM ; ^", "",
        "ALTER TABLE T1 ADD B INTEGER;", "",
        "CREATE VIEW V1 AS SELECT A FROM T1;", "",
        "CREATE VIEW V2 AS", "SELECT A FROM T1", ";", "",
        "COMMENT ON TABLE T1 IS 'x';", "",
        "COMMIT WORK;",
        "SET TERM ^ ;", "",
        "CREATE PROCEDURE P1", "AS BEGIN END", "^", "",
        "SET TERM ; ^", "",
    };
    EXPECT_EQ(ex.Render(), expected);
}

TEST(ScriptTextTest, InterBaseGenerateCommit) {
    TestExec ex(dbInterBase);
    ex.GetIBServerOptions().GetIBCompareOptions().SetGenerateCOMMIT(true);
    ex.Add("CREATE TABLE T1 (A INTEGER)", stStatement, "T1", dboTable, odbCreate);
    ex.Add("CREATE PROCEDURE P1\r\nAS BEGIN END", stProcedure, "P1", dboProcedure, odbCreate);
    ex.Add("INSERT INTO T1 VALUES (1)", stInsert, "T1", dboTable, odbInsert);
    const Lines expected = {
        "CREATE TABLE T1 (A INTEGER);", "", "COMMIT WORK;",
        "SET TERM ^ ;", "",
        "CREATE PROCEDURE P1", "AS BEGIN END", "^", "", "COMMIT WORK ^",
        "SET TERM ; ^", "",
        "INSERT INTO T1 VALUES (1);", "",
    };
    EXPECT_EQ(ex.Render(), expected);

    // The switch only applies to InterBase/Firebird scripts.
    TestExec pg(dbPostgreSQL);
    pg.GetIBServerOptions().GetIBCompareOptions().SetGenerateCOMMIT(true);
    pg.Add("CREATE TABLE t1 (a integer)", stStatement);
    EXPECT_EQ(pg.Render(), (Lines{"CREATE TABLE t1 (a integer);", ""}));
}

TEST(ScriptTextTest, DisabledStatementsLeaveNoTrace) {
    TestExec ex(dbInterBase);
    ex.Add("CREATE TABLE T1 (A INTEGER)", stStatement);
    ex.Add("CREATE PROCEDURE P1\r\nAS BEGIN END", stProcedure)->Disabled = true;
    ex.Add("CREATE TABLE T2 (A INTEGER)", stStatement)->Disabled = true;
    ex.Add("DROP TABLE T3", stStatement);
    EXPECT_EQ(ex.Render(), (Lines{"CREATE TABLE T1 (A INTEGER);", "", "DROP TABLE T3;", ""}));
}

TEST(ScriptTextTest, LineRenumbering) {
    TestExec ex(dbInterBase);
    TStatement* a = ex.Add("CREATE TABLE T1 (A INTEGER)", stStatement);
    TStatement* p = ex.Add("CREATE PROCEDURE P1\r\nAS BEGIN END", stProcedure);
    TStatement* d = ex.Add("CREATE TABLE T9 (A INTEGER)", stStatement);
    d->Disabled = true;
    TStatement* b = ex.Add("DROP TABLE T2", stStatement);
    Lines out = {"-- existing first line"};
    ex.GetScript(out, true);
    ASSERT_EQ(out[static_cast<std::size_t>(a->Line)], "CREATE TABLE T1 (A INTEGER);");
    EXPECT_EQ(a->Line, 1);
    EXPECT_EQ(out[static_cast<std::size_t>(p->Line)], "CREATE PROCEDURE P1");  // after SET TERM
    EXPECT_EQ(out[static_cast<std::size_t>(b->Line)], "DROP TABLE T2;");
    EXPECT_EQ(d->Line, 9);  // numbered where it would stand, though not written
    EXPECT_EQ(out.front(), "-- existing first line");  // nothing in the list is removed
}

TEST(ScriptTextTest, DialectShapes) {
    struct Case {
        TDatabaseType db;
        Lines expected;
    };
    // SQL Server: the statement text, then its terminator "\r\nGO\r\n": text, GO, empty line.
    // A view's terminator stands on lines of its own, which adds an empty line before GO.
    const std::vector<Case> cases = {
        {dbMSSQL, {"CREATE TABLE T (A INT)", "GO", "", "CREATE PROCEDURE P AS", "RETURN", "GO", "",
                   "CREATE VIEW V AS SELECT 1 X", "", "GO", "", "/* note */",
                   "EXEC sp_addextendedproperty 'x';", "", "INSERT INTO T VALUES (1)", "GO", ""}},
        {dbSybaseASE, {"CREATE TABLE T (A INT)", "go", "", "CREATE PROCEDURE P AS", "RETURN", "go", "",
                       "CREATE VIEW V AS SELECT 1 X", "", "go", "", "/* note */",
                       "EXEC sp_addextendedproperty 'x';", "", "INSERT INTO T VALUES (1)", "go", ""}},
        {dbSybaseASA, {"CREATE TABLE T (A INT)", "go", "", "CREATE PROCEDURE P AS", "RETURN", "go", "",
                       "CREATE VIEW V AS SELECT 1 X", "", "go", "", "/* note */",
                       "EXEC sp_addextendedproperty 'x';", "", "INSERT INTO T VALUES (1)", "go", ""}},
        {dbOracle, {"CREATE TABLE T (A INT);", "", "CREATE PROCEDURE P AS", "RETURN", "/", "",
                    "CREATE VIEW V AS SELECT 1 X", ";", "", "/* note */",
                    "EXEC sp_addextendedproperty 'x';", "", "INSERT INTO T VALUES (1);", ""}},
        {dbPostgreSQL, {"CREATE TABLE T (A INT);", "", "CREATE PROCEDURE P AS", "RETURN;", "",
                        "CREATE VIEW V AS SELECT 1 X", ";", "", "/* note */",
                        "EXEC sp_addextendedproperty 'x';", "", "INSERT INTO T VALUES (1);", ""}},
        // MySQL routine bodies hold ";": the client reads them with another delimiter.
        {dbMySQL, {"CREATE TABLE T (A INT);", "", "DELIMITER //", "", "CREATE PROCEDURE P AS", "RETURN", "//", "",
                   "DELIMITER ;", "",
                   "CREATE VIEW V AS SELECT 1 X", ";", "", "/* note */",
                   "EXEC sp_addextendedproperty 'x';", "", "INSERT INTO T VALUES (1);", ""}},
    };
    for (const auto& c : cases) {
        TestExec ex(c.db);
        ex.Add("CREATE TABLE T (A INT)  \r\n", stStatement, "T", dboTable, odbCreate);
        ex.Add("CREATE PROCEDURE P AS\r\nRETURN\r\n", stProcedure, "P", dboProcedure, odbCreate);
        ex.Add("CREATE VIEW V AS SELECT 1 X", stStatement, "V", dboView, odbCreate);
        ex.AddComment("/* note */");
        ex.Add("EXEC sp_addextendedproperty 'x'", stDescription, "T", dboTable, odbDescription);
        ex.Add("INSERT INTO T VALUES (1)", stInsert, "T", dboTable, odbInsert);
        EXPECT_EQ(ex.Render(), c.expected) << int(c.db);
    }
}

TEST(ScriptTextTest, PackagesAndExplicitTerminators) {
    TestExec ora(dbOracle);
    ora.Add("CREATE PACKAGE PK AS\r\nEND PK;", stStatement, "PK", dboPackage, odbCreate);
    ora.Add("CREATE PACKAGE BODY PK AS\r\nEND PK;", stPackage, "PK", dboPackageBody, odbCreate);
    EXPECT_EQ(ora.Render(), (Lines{"CREATE PACKAGE PK AS", "END PK;", "/", "", "CREATE PACKAGE BODY PK AS",
                                   "END PK;", "/", ""}));

    TestExec ib(dbInterBase);
    ib.Add("SET SQL DIALECT 3", stSqlDialect);
    ib.Add("SET NAMES WIN1252", stSetNames, "", dboUnknown, odbSet, "", " !\r\n");
    ib.Add("SET BLOBFILE 'x.lob'", stSetBlobFile, "", dboUnknown, odbSet, "", " !\r\n");
    ib.Add("RECONNECT", stReconnect);
    EXPECT_EQ(ib.Render(),
              (Lines{"SET SQL DIALECT 3;", "", "SET NAMES WIN1252 !", "", "SET BLOBFILE 'x.lob';", "",
                     "RECONNECT;", ""}));
}

TEST(ScriptTextTest, CommitsAndReconnects) {
    TestExec asa(dbSybaseASA);
    asa.Add_Commit();
    ASSERT_EQ(asa.GetStatementsCount(), 1);
    EXPECT_EQ(asa.GetStatement(0)->Typ, st_Commit);
    EXPECT_EQ(asa.GetStatement(0)->ObjName, "Commit Work");
    EXPECT_EQ(asa.GetStatement(0)->Operation, odbCommit);
    EXPECT_EQ(asa.Render(), (Lines{"Commit Work", "go"}));

    TestExec ib(dbInterBase);
    ib.AddReConnect();  // UseRECONNECT is on by default
    ASSERT_EQ(ib.GetStatementsCount(), 1);
    EXPECT_EQ(ib.GetStatement(0)->Typ, stReconnect);
    ib.GetIBServerOptions().GetIBCompareOptions().SetUseRECONNECT(false);
    ib.AddReConnect();  // no database name: no connect statement
    EXPECT_EQ(ib.GetStatementsCount(), 1);
    ib.GetConnectionOptions().SetDatabaseName("/db/it's.fdb");
    ib.GetConnectionOptions().SetUserName("SYSDBA");
    ib.GetConnectionOptions().SetPassword("secret");  // never written into the script
    ib.AddReConnect();
    ASSERT_EQ(ib.GetStatementsCount(), 2);
    EXPECT_EQ(ib.GetStatement(1)->Typ, stConnect);
    ib.Add_Commit();
    EXPECT_EQ(ib.Render(), (Lines{"RECONNECT;", "", "CONNECT '/db/it''s.fdb' USER 'SYSDBA';", "",
                                  "COMMIT WORK;"}));

    TestExec pg(dbPostgreSQL);
    pg.AddReConnect();
    EXPECT_EQ(pg.GetStatementsCount(), 0);
}

TEST(ScriptTextTest, ClearResetsListAndOptions) {
    TestExec ex(dbInterBase);
    ex.GetConnectionOptions().SetDatabaseName("x.fdb");
    ex.GetIBServerOptions().SetSQLDialect(1);
    ex.Add("DROP TABLE T", stStatement);
    ex.Clear();
    EXPECT_EQ(ex.GetStatementsCount(), 0);
    EXPECT_EQ(ex.GetLine(), 0);
    EXPECT_FALSE(ex.GetIsUpdate());
    EXPECT_EQ(ex.GetConnectionOptions().GetDatabaseName(), "");
    EXPECT_EQ(ex.GetIBServerOptions().GetSQLDialect(), 3);
}

TEST(ScriptTextTest, QuoteIdentFollowsTheDialect) {
    TestExec ib(dbInterBase);
    EXPECT_EQ(ib.QuoteIdent("CUSTOMER_ID"), "CUSTOMER_ID");
    EXPECT_EQ(ib.QuoteIdent("Customer"), "\"Customer\"");
    TestExec pg(dbPostgreSQL);
    EXPECT_EQ(pg.QuoteIdent("orders"), "orders");
    EXPECT_EQ(pg.QuoteIdent("Orders"), "\"Orders\"");
    TestExec ms(dbMSSQL);
    EXPECT_EQ(ms.QuoteIdent("my table"), "[my table]");
}

TEST(DescriptionTest, AlwaysEndsWithSemicolonAndKeepsText) {
    TestExec ms(dbMSSQL);
    EXPECT_EQ(ms.AddDescriptionDef("", "T", dboTable, "", "d"), nullptr);
    TStatement* st = ms.AddDescriptionDef("EXEC sp_addextendedproperty N'MS_Description', N'd'",
                                          "A", dboField, "T", "d");
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(st->Typ, stDescription);
    EXPECT_EQ(st->Operation, odbDescription);
    EXPECT_EQ(st->OwnName, "T");
    EXPECT_EQ(st->Description, "d");
    EXPECT_EQ(ms.Render(), (Lines{"EXEC sp_addextendedproperty N'MS_Description', N'd';", ""}));
}

TEST(ReportingTest, ErrorsWarningsAndLog) {
    TestExec ex(dbInterBase);
    TObject obj;
    ex.DoMsgErr("broken", &obj);
    ex.DoMsgWrn("odd", &obj);
    EXPECT_EQ(ex.Errors, (Lines{"broken"}));
    EXPECT_EQ(ex.Log, (Lines{"Warning: odd"}));
    EXPECT_EQ(ex.GetErrors(), 1);
    EXPECT_EQ(ex.GetMsgMngr().GetErrCount(), 1);
    EXPECT_EQ(ex.GetMsgMngr().GetWrnCount(), 1);
    EXPECT_EQ(ex.GetMsgMngr().Get(0).Obj, &obj);
    EXPECT_TRUE(ex.ExecuteScript());
    EXPECT_EQ(ex.GetErrors(), 0);
}

class LoadTest : public ::testing::Test {
protected:
    std::filesystem::path dir;
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("dbtwin_load_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Write(const std::string& name, const std::string& bytes) {
        auto p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
};

TEST_F(LoadTest, MissingFileIsReported) {
    TestExec ex(dbInterBase);
    const std::string name = (dir / "none.sql").string();
    ex.LoadFromFile(name);
    EXPECT_EQ(ex.Errors, (Lines{"File not found: " + name}));
    EXPECT_EQ(ex.GetErrors(), 1);
    EXPECT_EQ(ex.LoadCalls, 0);
    EXPECT_EQ(ex.GetScriptFileName(), "");
}

TEST_F(LoadTest, ReadsByteOrderMarksAndFallsBackToCodePage) {
    const std::string text = "CREATE TABLE \"Größe\" (A INTEGER);\r\nCOMMIT;\n";
    const Lines lines = {"CREATE TABLE \"Größe\" (A INTEGER);", "COMMIT;"};
    for (TkrvEncode e : {encUTF8, encUnicode, encBigEndianUnicode}) {
        const TkrvEncoding& enc = TkrvEncoding::krvGetEncoding(e);
        TestExec ex(dbInterBase);
        const std::string name = Write("s.sql", enc.GetPreamble() + enc.GetBytes(text));
        ex.LoadFromFile(name);
        EXPECT_EQ(ex.Loaded, lines) << enc.Charset();
        EXPECT_EQ(ex.GetScriptFileName(), name);
    }
    TestExec ex(dbInterBase);
    ex.LoadFromFile(Write("ansi.sql", "INSERT INTO T VALUES ('caf\xE9');"));
    EXPECT_EQ(ex.Loaded, (Lines{"INSERT INTO T VALUES ('café');"}));

    std::istringstream in("a\r\nb");
    ex.LoadFromStream(&in);
    EXPECT_EQ(ex.Loaded, (Lines{"a", "b"}));
    ex.LoadFromStream(nullptr);
    EXPECT_TRUE(ex.Loaded.empty());
}

TEST_F(LoadTest, HostLoader) {
    TestExec ex(dbInterBase);
    std::string asked;
    ex.OnLoadScript = [&](TObject*, const std::string& f, std::vector<std::string>& s, bool& loaded) {
        asked = f;
        s = {"SELECT 1;"};
        loaded = false;  // not consulted
    };
    ex.LoadFromFile("virtual.sql");
    EXPECT_EQ(asked, "virtual.sql");
    EXPECT_EQ(ex.GetScriptFileName(), "virtual.sql");
    EXPECT_EQ(ex.Loaded, (Lines{"SELECT 1;"}));
    EXPECT_TRUE(ex.Errors.empty());
}

}  // namespace
}  // namespace dbtwin
