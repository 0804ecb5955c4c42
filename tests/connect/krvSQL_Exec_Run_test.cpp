// The script executor's run over an in-memory connection kind that keeps transactions the way
// a server does: statements of an open transaction become visible at commit, a rollback
// drops them, and a savepoint undoes back to where it was set.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "connect/krvDBEngine.h"
#include "connect/krvIBSQLExec.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"

using namespace dbtwin;

namespace {

// What the server holds: databases, committed statements, and every event in order.
struct FakeServer {
    std::set<std::string> databases{"/db.fdb"};
    std::vector<std::string> committed;  // statement texts (with bound values) in commit order
    std::vector<std::string> events;     // "connect db", "start", "commit", "rollback", texts
    int ods = 12;
    int connects = 0;
};
FakeServer* gServer = nullptr;

class FakeDatabase : public TKRVDatabase {
public:
    using TKRVDatabase::TKRVDatabase;
    bool connected = false;
    bool inTransaction = false;
    std::vector<std::string> pending;
    std::map<std::string, std::size_t> savepoints;

    bool GetConnected() override { return connected; }
    void SetConnected(bool v) override {
        if (v == connected) return;
        if (v) {
            const TConnectionOptions& o = GetConnection()->GetConnectionOptions();
            if (!gServer->databases.contains(o.GetDatabaseName()))
                throw EKrvError("I/O error during open of " + o.GetDatabaseName());
            if (o.GetPassword() == "wrong") throw EKrvError("login refused for " + o.GetUserName());
            gServer->events.push_back("connect " + o.GetDatabaseName() + " as " + o.GetUserName() +
                                      (o.GetRoleName().empty() ? "" : " role " + o.GetRoleName()));
            ++gServer->connects;
            TIBDatabaseOptions d;
            d.SetODSMajorVersion(gServer->ods);
            d.SetDBSQLDialect(3);
            GetConnection()->GetIBServerOptions().SetIBDatabaseOptions(d);
        } else {
            if (inTransaction) Rollback();
            gServer->events.push_back("disconnect");
        }
        connected = v;
    }
    void StartTransaction() override {
        inTransaction = true;
        gServer->events.push_back("start");
    }
    void Commit() override {
        for (auto& p : pending) gServer->committed.push_back(p);
        pending.clear();
        savepoints.clear();
        inTransaction = false;
        gServer->events.push_back("commit");
    }
    void Rollback() override {
        pending.clear();
        savepoints.clear();
        inTransaction = false;
        gServer->events.push_back("rollback");
    }
    bool InTransaction() override { return inTransaction; }
};

class FakeQuery : public TKRVDataSetQuery {
public:
    using TKRVDataSetQuery::TKRVDataSetQuery;
    ~FakeQuery() override { Close(); }

protected:
    bool DoExecute(const std::string& aText, const TKRVParams& aParams) override {
        auto* db = dynamic_cast<FakeDatabase*>(GetDatabase());
        if (!db || !db->connected) throw EKrvError("not connected");
        std::string text = aText;
        for (std::size_t i = 0; i < aParams.Count(); ++i) {
            const TKRVParam& p = aParams.BoundValue(i);
            text += i ? ", " : " <- ";
            text += p.IsNull() ? std::string("NULL") : "[" + p.AsBlob() + "]";
        }
        gServer->events.push_back(text);
        const std::string upper = UpperCase(aText);
        if (upper.rfind("SAVEPOINT ", 0) == 0) {
            db->savepoints[aText.substr(10)] = db->pending.size();
            return false;
        }
        if (upper.rfind("ROLLBACK TO SAVEPOINT ", 0) == 0) {
            db->pending.resize(db->savepoints.at(aText.substr(22)));
            return false;
        }
        if (upper.rfind("RELEASE SAVEPOINT ", 0) == 0) return false;
        if (upper.find("FAIL") != std::string::npos) throw EKrvError("violation of something in: " + aText);
        if (upper.find("LOSE") != std::string::npos) {
            db->pending.clear();
            db->inTransaction = false;
            db->connected = false;
            throw EKrvError("Error writing data to the connection.");
        }
        if (db->inTransaction) db->pending.push_back(text);
        else gServer->committed.push_back(text);
        return false;
    }
    bool DoFetch(TKRVFields&) override { return false; }
    void DoClose() override {}
};

class FakeKind : public TKRVAbstractConnection {
public:
    FakeKind() { fConnectionType = cnFIB; }
    TKRVDatabase* CreateDatabase(TComponent* AOwner) override { return new FakeDatabase(AOwner); }
    TKRVQuery* CreateQuery(TComponent* AOwner) override { return new FakeQuery(AOwner); }
    bool Create_Database(TKRVCustomConnection* c) override {
        const std::string& name = c->GetConnectionOptions().GetDatabaseName();
        if (gServer->databases.contains(name)) {
            c->SetLastError("database " + name + " exists");
            return false;
        }
        gServer->databases.insert(name);
        gServer->events.push_back("create " + name + " page " +
                                  std::to_string(c->GetIBServerOptions().GetIBDatabaseOptions().GetPageSize()));
        return true;
    }
};

class ExecRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        gServer = &server;
        RegisterConnection("FakeExec", std::make_unique<FakeKind>());
        connection.SetDatabaseType(dbInterBase);
        connection.SetConnectionType(cnFIB);
        connection.OnErrorMessage = [](TObject*, const std::string&) {};
        connection.GetConnectionOptions().SetDatabaseName("/db.fdb");
        connection.GetConnectionOptions().SetUserName("SYSDBA");
        connection.GetConnectionOptions().SetPassword("s3cret-pw");
        exec.SetConnection(&connection);
        exec.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
        exec.OnLogNextLine = [this](TObject*, const std::string& t) { log.push_back(t); };
    }
    void TearDown() override {
        exec.SetConnection(nullptr);
        connection.SetConnected(false);
        UnRegisterConnection("FakeExec", true);
        gServer = nullptr;
    }
    void Load(const std::string& aScript) {
        exec.LoadScript(SplitLines(aScript));
        ASSERT_FALSE(exec.GetMsgMngr().GetIsErr()) << aScript;
    }
    // The committed texts that start with aPrefix.
    std::vector<std::string> Committed(const std::string& aPrefix = "") const {
        std::vector<std::string> r;
        for (const auto& c : server.committed)
            if (c.rfind(aPrefix, 0) == 0) r.push_back(c);
        return r;
    }
    bool Logged(const std::string& aLine) const { return std::find(log.begin(), log.end(), aLine) != log.end(); }

    FakeServer server;
    TKRVConnection connection;
    TIBSQLExec exec;
    std::vector<std::string> errors, log;
};

TEST_F(ExecRunTest, BreakOnErrorStopsAtTheFirstFailureAndTheRunIsFalse) {
    for (const bool breakOnError : {false, true}) {
        server.committed.clear();
        errors.clear();
        log.clear();
        Load("CREATE TABLE A (X INTEGER);\nCREATE TABLE FAIL_B (X INTEGER);\nCREATE TABLE C (X INTEGER);\n");
        exec.SetBreakOnError(breakOnError);
        EXPECT_FALSE(exec.ExecuteScript());
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(exec.GetStatement(1)->ErrMsg.find("violation"), std::string::npos);
        EXPECT_EQ(exec.GetStatement(1)->SrcLine, 2);
        const std::vector<std::string> expected =
            breakOnError ? std::vector<std::string>{"CREATE TABLE A (X INTEGER)"}
                         : std::vector<std::string>{"CREATE TABLE A (X INTEGER)", "CREATE TABLE C (X INTEGER)"};
        EXPECT_EQ(Committed("CREATE"), expected);
        EXPECT_EQ(Logged("< Break on Error! >"), breakOnError);
        EXPECT_EQ(log.back(), "< Script executed: 1 errors... >");
        EXPECT_FALSE(Logged("< Script executed succesfully! >"));
    }
}

TEST_F(ExecRunTest, AFailingDataStatementUndoesItselfOnly) {
    // Two inserts, a duplicate that fails, a third insert; then a failing DDL between data
    // statements: every statement that succeeded is kept.
    Load("INSERT INTO T VALUES (1);\nINSERT INTO T VALUES (2);\nINSERT INTO T VALUES (1) /* FAIL */;\n"
         "INSERT INTO T VALUES (3);\nCREATE TABLE FAIL_X (A INTEGER);\nINSERT INTO T VALUES (4);\n");
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(Committed("INSERT"),
              (std::vector<std::string>{"INSERT INTO T VALUES (1)", "INSERT INTO T VALUES (2)",
                                        "INSERT INTO T VALUES (3)", "INSERT INTO T VALUES (4)"}));
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(exec.GetErrors(), 2);
    EXPECT_FALSE(exec.GetStatement(2)->ErrMsg.empty());
    EXPECT_TRUE(exec.GetStatement(3)->ErrMsg.empty());
}

TEST_F(ExecRunTest, ConnectionIsOpenedForTheRunAndLeftAsFound) {
    Load("CREATE TABLE A (X INTEGER);\n");
    ASSERT_FALSE(connection.GetConnected());
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_FALSE(connection.GetConnected());
    EXPECT_EQ(server.connects, 1);
    EXPECT_EQ(log.back(), "< Script executed succesfully! >");
    ASSERT_TRUE(connection.Connect());
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_TRUE(connection.GetConnected());
}

TEST_F(ExecRunTest, DisabledStatementIsLoggedAndNotRun) {
    Load("CREATE TABLE A (X INTEGER);\nCREATE TABLE FAIL_B (X INTEGER);\n");
    exec.GetStatement(1)->Disabled = true;
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(Logged("< Skipping statement >: " + exec.GetStatement(1)->GetCaption()));
    EXPECT_EQ(Committed("CREATE").size(), 1u);
}

TEST_F(ExecRunTest, EmptyListAndMissingConnection) {
    EXPECT_TRUE(exec.ExecuteScript());
    EXPECT_EQ(log, std::vector<std::string>{"Update script is empty."});
    Load("CREATE TABLE A (X INTEGER);\n");
    exec.SetConnection(nullptr);
    EXPECT_FALSE(exec.ExecuteScript());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "TIBSQLExec(): Connection property not assigned.");
}

TEST_F(ExecRunTest, TerminateRunningGivesFalseAndNoSuccessLine) {
    Load("CREATE TABLE A (X INTEGER);\nCREATE TABLE B (X INTEGER);\n");
    exec.OnAfterStatementExecute = [](TObject*, int) { TerminateRunning = true; };
    const bool ok = exec.ExecuteScript();
    TerminateRunning = false;
    EXPECT_FALSE(ok);
    EXPECT_EQ(Committed("CREATE").size(), 1u);
    EXPECT_FALSE(Logged("< Script executed succesfully! >"));
}

TEST_F(ExecRunTest, AConnectThatFailsEndsTheRunWithTheServersMessageOnce) {
    Load("CONNECT '/missing.fdb' USER 'SYSDBA';\nCREATE TABLE A (X INTEGER);\nINSERT INTO A VALUES (1);\n");
    exec.SetBreakOnError(false);
    EXPECT_FALSE(exec.ExecuteScript());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "I/O error during open of /missing.fdb");
    EXPECT_TRUE(server.committed.empty());
}

TEST_F(ExecRunTest, ALostConnectionFailsTheRunAndNothingAfterItRuns) {
    Load("INSERT INTO T VALUES (1);\nCREATE TABLE LOSE_IT (A INTEGER);\nCREATE TABLE B (A INTEGER);\n");
    exec.SetBreakOnError(true);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(Committed("INSERT").size(), 1u);  // committed before the DDL ran
    EXPECT_TRUE(Committed("CREATE").empty());
    EXPECT_FALSE(Logged("< Script executed succesfully! >"));
}

TEST_F(ExecRunTest, ParametersComeFromTheBlobFileOrAHandlerNeverASilentNull) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("dbtwin_exec_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        std::ofstream blob(dir / "data.blob", std::ios::binary);
        blob << "0123456789ABCDEFGH";
    }
    // A sparse file with bytes just past 4 GiB: a reference there has a longer name.
    {
        fs::create_directories(dir / "sub");
        std::fstream big(dir / "sub" / "big.blob", std::ios::binary | std::ios::out | std::ios::trunc);
        big.seekp(0x100000000LL);
        big << "xyz";
    }
    const std::string script = "SET BLOBFILE 'data.blob';\n"
                               "INSERT INTO T VALUES (:h0000000A_00000004, :H00000000_00000000);\n"
                               "INSERT INTO T VALUES (:h00000010_00000004);\n"  // past the end
                               "INSERT INTO T VALUES (:ID);\n"                  // nobody fills it
                               "SET BLOBFILE 'sub/big.blob';\n"  // beside the script, not the working folder
                               "INSERT INTO T VALUES (:h100000000_3);\n";
    {
        std::ofstream f(dir / "data.sql", std::ios::binary);
        f << script;
    }
    exec.LoadFromFile((dir / "data.sql").string());
    ASSERT_EQ(exec.GetStatementsCount(), 6);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_EQ(Committed("INSERT"), (std::vector<std::string>{"INSERT INTO T VALUES (?, ?) <- [ABCD], []",
                                                             "INSERT INTO T VALUES (?) <- [xyz]"}));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("past the end of the blob file"), std::string::npos) << errors[0];
    EXPECT_EQ(errors[1], "No value for parameter :ID");
    // Statements whose parameters cannot be filled are never sent.
    for (const auto& e : server.events) EXPECT_EQ(e.find("<- NULL"), std::string::npos) << e;

    // With a handler, the handler fills what is no blob reference.
    errors.clear();
    server.committed.clear();
    exec.OnGetParamValue = [](TObject*, TKRVParam& p) { p.SetString("value of " + p.GetName()); };
    EXPECT_FALSE(exec.ExecuteScript());  // the reference past the end still fails
    EXPECT_EQ(Committed("INSERT INTO T VALUES (?) <- [value"),
              std::vector<std::string>{"INSERT INTO T VALUES (?) <- [value of ID]"});
    fs::remove_all(dir);
}

TEST_F(ExecRunTest, BlobFileErrors) {
    Load("SET BLOBFILE 'data.blob';\nINSERT INTO T VALUES (1);\n");  // loaded from memory: no file name
    EXPECT_FALSE(exec.ExecuteScript());
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], "ScriptFileName not specified (for BlobFile).");
    errors.clear();
    Load("SET BLOBFILE '/nonexistent/dir/x.blob';\n");
    EXPECT_FALSE(exec.ExecuteScript());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "BlobFile not found: /nonexistent/dir/x.blob");
}

TEST_F(ExecRunTest, ClientSideStatementsAndExecuteBlock) {
    Load("SET SQL DIALECT 3;\nSET NAMES WIN1252;\nSET TERM ^ ;\n"
         "EXECUTE BLOCK AS DECLARE X INTEGER; BEGIN X = 1; INSERT INTO T VALUES (:X); END^\n"
         "SET TERM ; ^\nCOMMIT;\nSELECT * FROM T;\n");
    ASSERT_EQ(exec.GetStatementsCount(), 5);
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(exec.GetIBServerOptions().GetDBCharSet(), "WIN1252");
    // The block runs as written: its :X is a variable, not a parameter.
    EXPECT_EQ(Committed("EXECUTE"),
              std::vector<std::string>{"EXECUTE BLOCK AS DECLARE X INTEGER; BEGIN X = 1; INSERT INTO T VALUES (:X); END"});
}

TEST_F(ExecRunTest, ConnectStatementsAreReadByTheirKeywords) {
    struct Case {
        std::string text, database, user, role;
        bool error;
    } cases[] = {
        {"connect '/db.fdb' user 'ALICE' password 'x' role 'R1'", "/db.fdb", "ALICE", "R1", false},
        {"CONNECT '/db.fdb' USER 'ALICE' ROLE R2", "/db.fdb", "ALICE", "R2", false},
        {"CONNECT '/db.fdb' USER 'ALICE'", "/db.fdb", "ALICE", "", false},
        {"CONNECT '/db.fdb'", "/db.fdb", "SYSDBA", "", false},
        {"CONNECT 'it''s.fdb' USER 'O''BRIEN' /* note */ CACHE 100", "it's.fdb", "O'BRIEN", "", false},
        {"CREATE DATABASE '/new.fdb' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8", "/new.fdb", "SYSDBA", "", false},
        {"SELECT 1 FROM RDB$DATABASE", "", "", "", true},
        {"CONNECT USER 'A'", "", "", "", true},
        {"CONNECT '/db.fdb' USER 'A' SOMETHING", "", "", "", true},
        {"CONNECT '/db.fdb' USER 'A", "", "", "", true},
    };
    for (const Case& c : cases) {
        errors.clear();
        exec.GetConnectionOptions().Clear();
        exec.GetConnectionOptions().SetUserName("SYSDBA");
        exec.ParseConnect(c.text);
        EXPECT_EQ(!errors.empty(), c.error) << c.text;
        if (c.error) continue;
        EXPECT_EQ(exec.GetConnectionOptions().GetDatabaseName(), c.database) << c.text;
        EXPECT_EQ(exec.GetConnectionOptions().GetUserName(), c.user) << c.text;
        EXPECT_EQ(exec.GetConnectionOptions().GetRoleName(), c.role) << c.text;
    }
}

TEST_F(ExecRunTest, APasswordInAConnectIsUsedAndNeverShown) {
    server.databases.insert("/other.fdb");
    std::vector<std::string> added;
    Load("CONNECT '/other.fdb' USER 'BOB' PASSWORD 'it''s-secret' ROLE 'R1';\nCREATE TABLE A (X INTEGER);\n");
    EXPECT_EQ(exec.GetStatement(0)->Password, "it's-secret");
    exec.SetShowFullLog(true);
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(server.events[0], "connect /other.fdb as BOB role R1");
    EXPECT_EQ(connection.GetConnectionOptions().GetPassword(), "it's-secret");
    for (const std::string& text : {exec.GetScriptText(), exec.GetStatement(0)->GetText()})
        EXPECT_EQ(text.find("secret"), std::string::npos) << text;
    for (const auto& l : log) EXPECT_EQ(l.find("secret"), std::string::npos) << l;
    // A generated CONNECT with a password is logged without it.
    exec.Clear();
    exec.Add("CONNECT '/db.fdb' USER 'SYSDBA' PASSWORD 's3cret-pw'", stConnect);
    log.clear();
    exec.SetConnection(&connection);
    EXPECT_TRUE(exec.ExecuteScript());
    for (const auto& l : log) EXPECT_EQ(l.find("s3cret"), std::string::npos) << l;
}

TEST_F(ExecRunTest, CreateDatabaseMakesAndOpensIt) {
    Load("CREATE DATABASE '/made.fdb' USER 'SYSDBA' PASSWORD 'pw' PAGE_SIZE 16384;\nCREATE TABLE A (X INTEGER);\n"
         "CREATE DATABASE '/db.fdb';\nCREATE TABLE B (X INTEGER);\n");
    exec.SetBreakOnError(false);
    EXPECT_FALSE(exec.ExecuteScript());
    EXPECT_NE(std::find(server.events.begin(), server.events.end(), "create /made.fdb page 16384"), server.events.end());
    EXPECT_EQ(Committed("CREATE"), std::vector<std::string>{"CREATE TABLE A (X INTEGER)"});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Cann't create database. database /db.fdb exists");
}

TEST_F(ExecRunTest, DescriptionsUseCommentOnWhereTheDatabaseHasIt) {
    exec.GetConnectionOptions().SetDatabaseName("/db.fdb");
    TStatement* st = exec.AddDescriptionDef("UPDATE RDB$RELATIONS SET RDB$DESCRIPTION = 'x' WHERE RDB$RELATION_NAME = 'T'",
                                            "Mixed Name", dboField, "T", "it's here");
    ASSERT_NE(st, nullptr);
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(Committed("COMMENT"), std::vector<std::string>{"COMMENT ON COLUMN T.\"Mixed Name\" IS 'it''s here'"});
    // An older database keeps descriptions in its system tables, the values bound.
    server.ods = 10;
    server.committed.clear();
    EXPECT_TRUE(exec.ExecuteScript()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(Committed("update"),
              std::vector<std::string>{"update rdb$relation_fields\r\nset rdb$description = ?\r\nwhere "
                                       "Rdb$relation_name = ?\r\nand Rdb$field_name = ? <- [it's here], [T], [Mixed Name]"});
}

TEST_F(ExecRunTest, EveryStatementOfAFirebirdScriptIsLoadedWithItsLine) {
    Load("CREATE DATABASE '/x.fdb' USER 'SYSDBA';\n"
         "SET NAMES UTF8;\n"
         "COMMENT ON TABLE T IS 'x';\n"
         "GRANT SELECT ON T TO PUBLIC;\n"
         "REVOKE SELECT ON T FROM PUBLIC;\n"
         "ALTER INDEX IX_T INACTIVE;\n"
         "EXECUTE PROCEDURE P;\n"
         "SET TERM ^ ;\n"
         "EXECUTE BLOCK AS BEGIN END^\n"
         "CREATE PROCEDURE P2 AS\nBEGIN\n  DELETE FROM T;\nEND^\n"
         "SET TERM ; ^\n"
         "INSERT INTO T VALUES (1);\n"
         "COMMIT;\n");
    std::vector<std::pair<int, std::int32_t>> got;
    for (int i = 0; i < exec.GetStatementsCount(); ++i)
        got.emplace_back(exec.GetStatement(i)->Typ, exec.GetStatement(i)->SrcLine);
    const std::vector<std::pair<int, std::int32_t>> expected = {
        {stCreateDb, 1}, {stSetNames, 2}, {stDescription, 3}, {stStatement, 4}, {stStatement, 5},
        {stStatement, 6}, {stStatement, 7}, {stExecuteBlock, 9}, {stStatement, 10}, {stInsert, 15}, {st_Commit, 16}};
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(Logged("Script loaded."));
}

}  // namespace

namespace {

TEST_F(ExecRunTest, AMigrationScriptLoadsWholeThoughItAltersObjectsItNeverCreated) {
    exec.LoadScript(SplitLines("ALTER TABLE CUSTOMER ADD CITY VARCHAR(20);\n"
                               "ALTER TABLE CUSTOMER ALTER COLUMN NAME TYPE VARCHAR(60);\n"
                               "CREATE TABLE A (X INTEGER);\nCREATE TABLE A (X INTEGER);\n"
                               "COMMENT ON TABLE NOT_HERE IS 'x';\n"));
    EXPECT_EQ(exec.GetStatementsCount(), 5);
    EXPECT_FALSE(exec.GetMsgMngr().GetIsErr());
    // Notes, not warnings: the server judges these statements (a comment on an unknown
    // object is the reader's own warning).
    EXPECT_EQ(exec.GetMsgMngr().GetWrnCount(), 1);
    EXPECT_EQ(exec.GetStatement(0)->GetText(), "ALTER TABLE CUSTOMER ADD CITY VARCHAR(20)\r\n");
    EXPECT_EQ(exec.GetStatement(3)->SrcLine, 4);
    // A statement cut off by the end of the text is never sent.
    exec.LoadScript(SplitLines("CREATE TABLE B (X INTEGER);\nCREATE TABLE C (X"));
    EXPECT_TRUE(exec.GetMsgMngr().GetIsErr());
    EXPECT_EQ(exec.GetStatementsCount(), 1);
}

}  // namespace

namespace {

TEST_F(ExecRunTest, ARoutineIsSentWithLineFeedsAndWithoutTheClientsSlash) {
    TSQLExec oracle;
    oracle.SetDatabaseType(dbOracle);
    oracle.SetConnection(&connection);
    oracle.OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
    oracle.Add("CREATE OR REPLACE PROCEDURE P AS\r\nBEGIN\r\n  NULL;\r\nEND;", stProcedure, "P", dboProcedure, odbCreate);
    oracle.Add("CREATE TABLE A (X NUMBER)", stStatement, "A", dboTable, odbCreate);
    EXPECT_TRUE(oracle.ExecuteScript()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(Committed("CREATE"), (std::vector<std::string>{"CREATE OR REPLACE PROCEDURE P AS\nBEGIN\n  NULL;\nEND;",
                                                             "CREATE TABLE A (X NUMBER)"}));
    oracle.SetConnection(nullptr);
}

}  // namespace

namespace {

TEST_F(ExecRunTest, OneStatementRunsOutsideAScriptAndIsMarkedDone) {
    Load("CREATE TABLE A (X INTEGER);\nCREATE TABLE FAIL_B (X INTEGER);\n");
    exec.ExecuteStatement(exec.GetStatement(0));
    exec.ExecuteStatement(exec.GetStatement(1));
    EXPECT_TRUE(exec.GetStatement(0)->Disabled);
    EXPECT_FALSE(exec.GetStatement(1)->Disabled);
    EXPECT_FALSE(exec.GetStatement(1)->ErrMsg.empty());
    EXPECT_EQ(Committed("CREATE"), std::vector<std::string>{"CREATE TABLE A (X INTEGER)"});
    EXPECT_FALSE(connection.GetConnected());  // closed again, as it was found
}

}  // namespace
