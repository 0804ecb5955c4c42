// The script executor against a real server, through the execution harness: transactions
// around failing statements, blob parameters from a blob file (offsets past 4 GiB, empty
// blobs, references past the end), literals that look like parameters, session statements;
// on Firebird also scripts with EXECUTE BLOCK, a CONNECT that fails and descriptions written in
// the default mode.
// Usage: exec_probe firebird|postgres|mysql [gtest options]. Exits 77 (skipped) without the
// server's variable, unless CI=true.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "exec_harness.h"

using namespace dbtwin;
using namespace dbtwin::live;

namespace {

using TRows = std::vector<std::vector<std::string>>;

TDatabaseType gKind = dbInterBase;

std::string Scratch() {
    static const std::string dir = [] {
        const char* base = std::getenv("DBTWIN_EXEC_SCRATCH");
        std::filesystem::path p = base ? base : std::filesystem::temp_directory_path().string();
        p /= "exec_probe_" + std::to_string(::getpid());
        std::filesystem::create_directories(p);
        return p.string();
    }();
    return dir;
}

#define FIREBIRD_ONLY()                                                     \
    do {                                                                    \
        if (gKind != dbInterBase) GTEST_SKIP() << "a Firebird script case"; \
    } while (0)

// Runs the statements on the harness's executor as a fresh list.
TExecOutcome RunStatements(TExecHarness& h, const std::vector<std::pair<std::string, TStatType>>& aList,
                           bool aBreakOnError) {
    TSQLExec& x = h.Executor();
    x.TCustomSQLExec::Clear();
    for (const auto& [text, typ] : aList) x.Add(text, typ);
    return h.RunList(aBreakOnError);
}

const char* BlobType() { return gKind == dbInterBase ? "BLOB SUB_TYPE 0" : gKind == dbPostgreSQL ? "BYTEA" : "LONGBLOB"; }
// The bytes of a blob column as text, and their count.
std::string BlobText(const std::string& aCol) {
    switch (gKind) {
        case dbInterBase: return "CAST(" + aCol + " AS VARCHAR(40)), OCTET_LENGTH(" + aCol + ")";
        case dbPostgreSQL: return "convert_from(" + aCol + ", 'UTF8'), octet_length(" + aCol + ")";
        default: return "CAST(" + aCol + " AS CHAR), LENGTH(" + aCol + ")";
    }
}

TEST(Exec, DataStatementsKeepWhatSucceededAroundFailures) {
    TExecHarness h(gKind, "data");
    ASSERT_TRUE(RunStatements(h, {{"CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY)", stStatement}}, true).Result);
    const TExecOutcome r = RunStatements(h,
                                         {{"INSERT INTO t VALUES (1)", stInsert},
                                          {"INSERT INTO t VALUES (2)", stInsert},
                                          {"INSERT INTO t VALUES (1)", stInsert},
                                          {"INSERT INTO t VALUES (3)", stInsert},
                                          {"CREATE TABLE t (x INTEGER)", stStatement},
                                          {"INSERT INTO t VALUES (4)", stInsert}},
                                         false);
    EXPECT_FALSE(r.Result);
    EXPECT_EQ(r.Errors, 2);
    ASSERT_EQ(r.Steps.size(), 6u);
    EXPECT_FALSE(r.Steps[2].Ok);
    EXPECT_TRUE(r.Steps[3].Ok);
    EXPECT_FALSE(r.Steps[4].Ok);
    EXPECT_EQ(h.Query("SELECT id FROM t ORDER BY id"), (TRows{{"1"}, {"2"}, {"3"}, {"4"}}));
}

TEST(Exec, LiteralsThatLookLikeParametersAreStoredUnchanged) {
    TExecHarness h(gKind, "literal");
    ASSERT_TRUE(RunStatements(h, {{"CREATE TABLE l (id INTEGER NOT NULL PRIMARY KEY, s VARCHAR(40))", stStatement}}, true)
                    .Result);
    std::vector<std::pair<std::string, TStatType>> inserts = {
        {"INSERT INTO l VALUES (1, 'say \"hi\"')", stInsert},
        {"INSERT INTO l VALUES (2, ':x and ::y :z')", stInsert},
        {"INSERT INTO l VALUES (3, 'it''s :a')", stInsert},
    };
    if (gKind == dbMySQL) inserts.push_back({"INSERT INTO l VALUES (4, 'back\\'slash :b')", stInsert});
    const TExecOutcome r = RunStatements(h, inserts, false);
    EXPECT_TRUE(r.Result) << (r.Messages.empty() ? "" : r.Messages[0]);
    TRows expected = {{"1", "say \"hi\""}, {"2", ":x and ::y :z"}, {"3", "it's :a"}};
    if (gKind == dbMySQL) expected.push_back({"4", "back'slash :b"});
    EXPECT_EQ(h.Query("SELECT id, s FROM l ORDER BY id"), expected);
}

TEST(Exec, BlobParametersReceiveExactlyTheirBytesOnEveryKind) {
    TExecHarness h(gKind, "blobs");
    ASSERT_TRUE(RunStatements(h, {{std::string("CREATE TABLE b (id INTEGER NOT NULL PRIMARY KEY, data ") + BlobType() + ")",
                                   stStatement}},
                              true)
                    .Result);
    const std::string file = Scratch() + "/kind.blob";
    {
        std::fstream out(file, std::ios::binary | std::ios::out | std::ios::trunc);
        out << "0123456789" << "ten-bytes!";
        out.seekp(0x100000005LL);
        out << "far";
    }
    TSQLExec& x = h.Executor();
    x.TCustomSQLExec::Clear();
    TStatement* set = x.Add("SET BLOBFILE '" + file + "'", stSetBlobFile, file);
    ASSERT_NE(set, nullptr);
    x.Add("INSERT INTO b VALUES (1, :h0_A)", stInsert);
    x.Add("INSERT INTO b VALUES (2, :h0000000A_0000000A)", stInsert);
    x.Add("INSERT INTO b VALUES (3, :h100000005_00000003)", stInsert);
    x.Add("INSERT INTO b VALUES (4, :h00000000_00000000)", stInsert);
    x.Add("INSERT INTO b VALUES (5, :h100000005_00000004)", stInsert);
    const TExecOutcome r = h.RunList(false);
    EXPECT_FALSE(r.Result);
    ASSERT_EQ(r.Messages.size(), 1u);
    EXPECT_NE(r.Messages[0].find("past the end of the blob file"), std::string::npos) << r.Messages[0];
    EXPECT_EQ(h.Query("SELECT id, " + BlobText("data") + " FROM b ORDER BY id"),
              (TRows{{"1", "0123456789", "10"}, {"2", "ten-bytes!", "10"}, {"3", "far", "3"}, {"4", "", "0"}}));
}

TEST(Exec, SessionStatementsReachTheServer) {
    if (gKind != dbPostgreSQL) GTEST_SKIP() << "a PostgreSQL case";
    TExecHarness h(gKind, "session");
    const TExecOutcome r = RunStatements(h,
                                         {{"CREATE SCHEMA \"Sales Dept\"", stStatement},
                                          {"SET search_path TO \"Sales Dept\"", stSet},
                                          {"CREATE TABLE in_sales (a INTEGER)", stStatement}},
                                         true);
    EXPECT_TRUE(r.Result) << (r.Messages.empty() ? "" : r.Messages[0]);
    EXPECT_EQ(h.Query("SELECT table_schema FROM information_schema.tables WHERE table_name = 'in_sales'"),
              (TRows{{"Sales Dept"}}));
    // The executor's own schema switch quotes the name: the table lands in "Sales Dept".
    TSQLExec& x = h.Executor();
    x.TCustomSQLExec::Clear();
    x.SetCurrentSchema("public");
    x.SetCurrentSchema("Sales Dept");
    x.SetCurrentSchema("Sales Dept");
    x.Add("CREATE TABLE by_switch (a INTEGER)", stStatement);
    EXPECT_EQ(x.GetStatementsCount(), 3);
    const TExecOutcome s = h.RunList(true);
    EXPECT_TRUE(s.Result) << (s.Messages.empty() ? "" : s.Messages[0]);
    EXPECT_EQ(h.Query("SELECT table_schema FROM information_schema.tables WHERE table_name = 'by_switch'"),
              (TRows{{"Sales Dept"}}));
}

TEST(Exec, UseSwitchesTheDatabaseForTheStatementsAfterIt) {
    if (gKind != dbMySQL) GTEST_SKIP() << "a MariaDB case";
    TExecHarness h(gKind, "use");
    const std::string other = "dbtwin_harness_other_" + std::to_string(::getpid());
    ASSERT_TRUE(h.Run("CREATE DATABASE " + other + ";", true).Result);
    const TExecOutcome r = h.Run("USE " + other + ";\n"
                                 "CREATE TABLE t1 (id int);\n"
                                 "ALTER TABLE t1 ADD n int;\n"
                                 "CREATE INDEX ix_n ON t1 (n);\n"
                                 "CREATE TABLE t2 (a int);\n"
                                 "DROP TABLE t2;\n"
                                 "SET @v = 5;\n"
                                 "DELIMITER $$\n"
                                 "CREATE PROCEDURE p()\nBEGIN\n  INSERT INTO t1 VALUES (1, @v);\nEND$$\n"
                                 "DELIMITER ;\n"
                                 "CALL p();\n",
                                 true);
    EXPECT_TRUE(r.Result) << (r.Messages.empty() ? "" : r.Messages[0]);
    EXPECT_EQ(r.Steps.size(), 9u);
    for (const auto& st : r.Steps) EXPECT_TRUE(st.Ok) << st.Line << ": " << st.Caption << ": " << st.Error;
    const std::string db = h.Connection().GetConnectionOptions().GetDatabaseName();
    EXPECT_EQ(h.Query("SELECT table_name FROM information_schema.tables WHERE table_schema = '" + other + "'"),
              (TRows{{"t1"}}));
    EXPECT_EQ(h.Query("SELECT id, n FROM " + other + ".t1"), (TRows{{"1", "5"}}));
    EXPECT_EQ(h.Query("SELECT COUNT(*) FROM information_schema.statistics WHERE table_schema = '" + other +
                      "' AND index_name = 'ix_n'"),
              (TRows{{"1"}}));
    EXPECT_EQ(h.Query("SELECT routine_name FROM information_schema.routines WHERE routine_schema = '" + other + "'"),
              (TRows{{"p"}}));
    EXPECT_EQ(h.Query("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = '" + db + "'"), (TRows{{"0"}}));
    h.Run("DROP DATABASE " + other + ";", true);
}

TEST(Exec, APostgreSQLScriptLoadsOneStatementPerStatementAndRuns) {
    if (gKind != dbPostgreSQL) GTEST_SKIP() << "a PostgreSQL case";
    TExecHarness h(gKind, "pgscript");
    const TExecOutcome r = h.Run(
        "SET client_min_messages = warning;\n"
        "CREATE TABLE t (id integer PRIMARY KEY, note text);\n"
        "CREATE FUNCTION f(a integer) RETURNS integer LANGUAGE sql\nBEGIN ATOMIC\n  SELECT a + 1;\nEND;\n"
        "DO $$ BEGIN INSERT INTO t VALUES (f(0), 'x;y'); END $$;\n"
        "INSERT INTO t VALUES (2, E'it\\'s');\n"
        "INSERT INTO t VALUES (2, 'dup');\n"
        "INSERT INTO t VALUES (3, ':x ::y');\n",
        false);
    EXPECT_FALSE(r.Result);
    ASSERT_EQ(r.Steps.size(), 7u);
    EXPECT_FALSE(r.Steps[5].Ok);
    EXPECT_EQ(r.Steps[5].Line, 9);
    EXPECT_EQ(h.Query("SELECT id, note FROM t ORDER BY id"), (TRows{{"1", "x;y"}, {"2", "it's"}, {"3", ":x ::y"}}));
}

TEST(ExecFirebird, AFailingInsertUndoesItselfOnly) {
    FIREBIRD_ONLY();
    TExecHarness h(dbInterBase, "tx");
    ASSERT_TRUE(h.Run("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY);", true).Result);
    const TExecOutcome r = h.Run(
        "INSERT INTO T VALUES (1);\nINSERT INTO T VALUES (2);\nINSERT INTO T VALUES (1);\nINSERT INTO T VALUES (3);\n", false);
    EXPECT_FALSE(r.Result);
    EXPECT_EQ(r.Errors, 1);
    ASSERT_EQ(r.Steps.size(), 4u);
    EXPECT_FALSE(r.Steps[2].Ok);
    EXPECT_EQ(r.Steps[2].Line, 3);
    EXPECT_NE(r.Steps[2].Error.find("PRIMARY or UNIQUE KEY"), std::string::npos) << r.Steps[2].Error;
    EXPECT_EQ(h.Query("SELECT ID FROM T ORDER BY ID"), (TRows{{"1"}, {"2"}, {"3"}}));
    // Stop on error: the statement after the failure does not run; what ran before stays.
    const TExecOutcome s = h.Run("INSERT INTO T VALUES (10);\nINSERT INTO T VALUES (10);\nINSERT INTO T VALUES (11);\n", true);
    EXPECT_FALSE(s.Result);
    EXPECT_EQ(s.Steps.size(), 2u);
    EXPECT_EQ(h.Query("SELECT ID FROM T WHERE ID >= 10"), (TRows{{"10"}}));
    for (const auto& line : s.Log) EXPECT_EQ(line.find("succesfully"), std::string::npos) << line;
}

TEST(ExecFirebird, BlobParametersOfAScriptReceiveExactlyTheirBytes) {
    FIREBIRD_ONLY();
    TExecHarness h(dbInterBase, "blob");
    ASSERT_TRUE(h.Run("CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, DATA BLOB SUB_TYPE 0);", true).Result);
    // A sparse blob file: bytes at 0, at 10 and just past 4 GiB.
    const std::string file = Scratch() + "/sparse.blob";
    {
        std::fstream out(file, std::ios::binary | std::ios::out | std::ios::trunc);
        out << "0123456789" << "ten-bytes!";
        out.seekp(0x100000005LL);
        out << "far";
    }
    const std::string script =
        "SET BLOBFILE 'sparse.blob';\n"
        "INSERT INTO B VALUES (1, :h0_A);\n"
        "INSERT INTO B VALUES (2, :h0000000A_0000000A);\n"
        "INSERT INTO B VALUES (3, :h100000005_00000003);\n"
        "INSERT INTO B VALUES (4, :h00000000_00000000);\n"
        "INSERT INTO B VALUES (5, :h100000005_00000004);\n"  // one byte past the end
        "INSERT INTO B VALUES (6, NULL);\n";
    const TExecOutcome r = h.Run(script, false, Scratch() + "/data.sql");
    EXPECT_FALSE(r.Result);
    EXPECT_EQ(r.Errors, 1);
    ASSERT_EQ(r.Messages.size(), 1u);
    EXPECT_NE(r.Messages[0].find("past the end of the blob file"), std::string::npos) << r.Messages[0];
    EXPECT_EQ(h.Query("SELECT ID, CAST(DATA AS VARCHAR(20)), OCTET_LENGTH(DATA) FROM B ORDER BY ID"),
              (TRows{{"1", "0123456789", "10"}, {"2", "ten-bytes!", "10"}, {"3", "far", "3"}, {"4", "", "0"},
                     {"6", "<null>", "<null>"}}));
}

TEST(ExecFirebird, ExecuteBlockRunsAndDialectThreeIsTheDefault) {
    FIREBIRD_ONLY();
    TExecHarness h(dbInterBase, "block");
    const TExecOutcome r = h.Run(
        "CREATE TABLE \"Mixed Name\" (ID BIGINT NOT NULL);\n"
        "SET TERM ^ ;\n"
        "EXECUTE BLOCK AS DECLARE X BIGINT = 5000000000; BEGIN INSERT INTO \"Mixed Name\" VALUES (:X); END^\n"
        "SET TERM ; ^\n",
        true);
    EXPECT_TRUE(r.Result) << (r.Messages.empty() ? "" : r.Messages[0]);
    EXPECT_EQ(h.Query("SELECT ID FROM \"Mixed Name\""), (TRows{{"5000000000"}}));
}

TEST(ExecFirebird, AConnectToAMissingDatabaseEndsTheRun) {
    FIREBIRD_ONLY();
    TExecHarness h(dbInterBase, "connect");
    const std::string missing = h.ConnectString() + ".missing.fdb";
    const TExecOutcome r =
        h.Run("CONNECT '" + missing + "';\nCREATE TABLE A (X INTEGER);\nCREATE TABLE B (X INTEGER);\n", false);
    EXPECT_FALSE(r.Result);
    ASSERT_EQ(r.Messages.size(), 1u);
    EXPECT_NE(r.Messages[0].find("I/O error"), std::string::npos) << r.Messages[0];
    EXPECT_EQ(r.Steps.size(), 1u);
    EXPECT_EQ(h.Query("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN ('A', 'B')"), (TRows{{"0"}}));
}

TEST(ExecFirebird, DescriptionsOfTheDefaultModeAreSet) {
    FIREBIRD_ONLY();
    TExecHarness h(dbInterBase, "descr");
    ASSERT_TRUE(h.Run("CREATE TABLE T (\"Col\" INTEGER);", true).Result);
    TSQLExec& x = h.Executor();
    x.Clear();
    x.SetConnection(&h.Connection());
    // What the comparer writes for a target of an older version: updates of system tables,
    // which this server refuses; the executor writes COMMENT ON instead.
    x.AddDescriptionDef("UPDATE RDB$RELATIONS SET RDB$DESCRIPTION = 'x' WHERE RDB$RELATION_NAME = 'T'", "T", dboTable, "",
                        "it's T");
    x.AddDescriptionDef("UPDATE RDB$RELATION_FIELDS SET RDB$DESCRIPTION = 'y'", "Col", dboField, "T", "the column");
    const TExecOutcome r = h.RunList(true);
    EXPECT_TRUE(r.Result) << (r.Messages.empty() ? "" : r.Messages[0]);
    EXPECT_EQ(h.Query("SELECT CAST(RDB$DESCRIPTION AS VARCHAR(20)) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'T'"),
              (TRows{{"it's T"}}));
    EXPECT_EQ(h.Query("SELECT CAST(RDB$DESCRIPTION AS VARCHAR(20)) FROM RDB$RELATION_FIELDS WHERE RDB$FIELD_NAME = 'Col'"),
              (TRows{{"the column"}}));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string kind = argc > 1 ? argv[1] : "";
    if (kind == "firebird") gKind = dbInterBase;
    else if (kind == "postgres") gKind = dbPostgreSQL;
    else if (kind == "mysql") gKind = dbMySQL;
    else {
        std::cerr << "usage: exec_probe firebird|postgres|mysql [gtest options]\n";
        return 2;
    }
    if (!TExecHarness::Available(gKind)) {
        const char* ci = std::getenv("CI");
        std::cout << "the server variable of " << kind << " is not set\n";
        return ci && std::string(ci) == "true" ? 1 : 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    std::filesystem::remove_all(Scratch());
    return rc;
}
