#include "connect/replay/krvConnection_Replay.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace dbtwin {
namespace {

namespace fs = std::filesystem;

// Writes fixture text to a scratch file and connects replay connections to it.
class ReplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterReplayConnection(); }

    std::string Write(const std::string& aText, const std::string& aName = "fixture.replay") {
        // One folder a test and process: ctest runs the tests of this file in parallel.
        const fs::path dir = fs::path(::testing::TempDir()) /
                             ("dbtwin_replay_" + std::to_string(getpid()) + "_" +
                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        dir_ = dir;
        const std::string path = (dir / aName).string();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << aText;
        return path;
    }
    std::unique_ptr<TKRVConnection> Make(const std::string& aPath, TDatabaseType aType = dbMSSQL) {
        auto c = std::make_unique<TKRVConnection>();
        c->SetDatabaseType(aType);
        c->SetConnectionType(ReplayConnectionType);
        c->GetConnectionOptions().SetDatabaseName(aPath);
        c->OnErrorMessage = [this](TObject*, const std::string& t) { errors.push_back(t); };
        return c;
    }
    std::unique_ptr<TKRVConnection> Connect(const std::string& aText, TDatabaseType aType = dbMSSQL) {
        auto c = Make(Write(aText), aType);
        EXPECT_TRUE(c->Connect()) << c->GetLastError();
        return c;
    }
    static std::unique_ptr<TKRVQuery> Query(TKRVConnection& c, const std::string& sql) {
        std::unique_ptr<TKRVQuery> q(c.CreateQuery(nullptr));
        q->SetSQLText(sql);
        return q;
    }
    // The message of the EKrvError that f throws; "" when it throws none.
    template <class F>
    static std::string ErrorOf(F&& f) {
        try {
            f();
        } catch (const EKrvError& e) {
            return e.what();
        }
        return {};
    }

    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    std::vector<std::string> errors;
    fs::path dir_;
};

std::string AllBytesHex() {
    std::string r;
    const char* digits = "0123456789abcdef";
    for (int b = 0; b < 256; ++b) {
        r += digits[b >> 4];
        r += digits[b & 15];
    }
    return r;
}

std::string AllBytes() {
    std::string r;
    for (int b = 0; b < 256; ++b) r += static_cast<char>(b);
    return r;
}

TEST_F(ReplayTest, ReplayRegistersOnceUnderItsOwnType) {
    EXPECT_FALSE(RegisterReplayConnection());  // the suite registered it already
    TKRVAbstractConnection* kind = TKRVConnection::FindConnection(ReplayConnectionType);
    ASSERT_NE(kind, nullptr);
    EXPECT_NE(dynamic_cast<TKRVReplayConnection*>(kind), nullptr);
    EXPECT_EQ(kind->GetConnectionType(), cnDBX);
}

TEST_F(ReplayTest, ReplayAnswersWithTypedValues) {
    auto c = Connect(
        "# every type, then NULLs of every type\n"
        "-- query\n"
        "SELECT * FROM T\n"
        "-- columns: S string, \"Memo col\" memo, B blob, I integer, F float, N bcd, D date, TM time, "
        "DT datetime, L boolean, U unknown\n"
        "[\"caf\xC3\xA9 \\ud83d\\ude00 \xF0\x9F\x90\x8D\", \"a\\tb\\nc\\\"d\\\\\", \"" +
        AllBytesHex() +
        "\", -9223372036854775808, 0.1, -12.3400, \"2024-02-29\", \"23:59:58.1234\", "
        "\"0001-01-01 00:00:00.000001\", true, null]\n"
        "[null, null, null, null, null, null, null, null, null, null, null]\n"
        "[\"\", \"\", \"\", 0, 1e-300, 12345678901234567890123456.0123456789, \"2000-01-01\", \"00:00:00\", "
        "\"2000-01-01T10:11:12\", false, null]\n");
    auto q = Query(*c, "SELECT * FROM T");
    q->Open();
    ASSERT_FALSE(q->GetEof());
    ASSERT_EQ(q->GetFields()->Count(), 11u);
    EXPECT_EQ(q->FieldByName("s")->AsString(), "caf\xC3\xA9 \xF0\x9F\x98\x80 \xF0\x9F\x90\x8D");
    EXPECT_EQ(q->FieldByName("s")->GetDataType(), ftString);
    EXPECT_EQ(q->FieldByName("Memo col")->AsString(), "a\tb\nc\"d\\");
    EXPECT_EQ(q->FieldByName("Memo col")->GetDataType(), ftMemo);
    EXPECT_EQ(q->FieldByName("B")->AsBlob(), AllBytes());
    EXPECT_EQ(q->FieldByName("B")->GetDataType(), ftBlob);
    EXPECT_EQ(q->FieldByName("I")->AsInteger(), INT64_MIN);
    EXPECT_EQ(q->FieldByName("F")->AsFloat(), 0.1);
    EXPECT_EQ(q->FieldByName("N")->AsString(), "-12.3400");
    EXPECT_EQ(q->FieldByName("N")->GetDataType(), ftBCD);
    EXPECT_EQ(q->FieldByName("D")->AsDateTime(), TKRVDateTime::Parse("2024-02-29"));
    EXPECT_EQ(q->FieldByName("D")->GetDataType(), ftDate);
    EXPECT_EQ(q->FieldByName("TM")->AsString(), "23:59:58.1234");
    EXPECT_EQ(q->FieldByName("DT")->AsDateTime().Microsecond, 1);
    EXPECT_EQ(q->FieldByName("DT")->GetDataType(), ftDateTime);
    EXPECT_TRUE(q->FieldByName("L")->AsBoolean());
    EXPECT_TRUE(q->FieldByName("U")->IsNull());
    q->Next();
    ASSERT_FALSE(q->GetEof());
    const TKRVFieldType nullTypes[] = {ftString, ftMemo, ftBlob, ftInteger, ftFloat, ftBCD,
                                       ftDate,   ftTime, ftDateTime, ftBoolean, ftUnknown};
    for (std::size_t i = 0; i < 11; ++i) {
        EXPECT_TRUE((*q->GetFields())[i].IsNull()) << i;
        EXPECT_EQ((*q->GetFields())[i].GetDataType(), nullTypes[i]) << i;
    }
    q->Next();
    ASSERT_FALSE(q->GetEof());
    EXPECT_FALSE(q->FieldByName("S")->IsNull());  // '' is not NULL
    EXPECT_EQ(q->FieldByName("S")->AsString(), "");
    EXPECT_FALSE(q->FieldByName("B")->IsNull());
    EXPECT_EQ(q->FieldByName("B")->AsBlob(), "");
    EXPECT_EQ(q->FieldByName("F")->AsFloat(), 1e-300);
    EXPECT_EQ(q->FieldByName("N")->AsString(), "12345678901234567890123456.0123456789");
    EXPECT_EQ(q->FieldByName("DT")->AsString(), "2000-01-01 10:11:12");
    EXPECT_FALSE(q->FieldByName("L")->AsBoolean());
    q->Next();
    EXPECT_TRUE(q->GetEof());
    // First reads the answer again from its first row.
    q->First();
    EXPECT_EQ(q->FieldByName("I")->AsInteger(), INT64_MIN);
}

TEST_F(ReplayTest, ReplayResultWithoutRowsIsEmptyNotAnError) {
    auto c = Connect("-- query\nselect a from t where 1=0\n-- columns: A integer\n");
    auto q = Query(*c, "select a from t where 1=0");
    q->Open();
    EXPECT_TRUE(q->GetQueryActive());
    EXPECT_TRUE(q->GetEof());
}

TEST_F(ReplayTest, ReplayParametersSelectBetweenAnswers) {
    auto c = Connect(
        "-- query\n"
        "SELECT NAME\n"
        "FROM T WHERE ID = ?\n"
        "-- params: integer 1\n"
        "-- columns: NAME string\n"
        "[\"one\"]\n"
        "-- query\n"
        "SELECT NAME\n"
        "FROM T WHERE ID = ?\n"
        "-- params: integer 2\n"
        "-- columns: NAME string\n"
        "[\"two\"]\n"
        "-- query\n"
        "SELECT NAME\n"
        "FROM T WHERE ID = ?\n"
        "-- params: null\n"
        "-- columns: NAME string\n"
        "[\"none\"]\n"
        "-- query\n"
        "SELECT NAME FROM T WHERE ID = ? AND X = ? AND ID = ?\n"
        "-- params: string \"\\ud83d\\ude00\", blob \"00ff\", string \"\\ud83d\\ude00\"\n"
        "-- columns: NAME string\n"
        "[\"tuple\"]\n");
    std::unique_ptr<TKRVQuery> q(c->CreateQuery(nullptr));
    // The text as the caller writes it: lines and a named marker.
    *q->GetSQL() = {"SELECT NAME", "FROM T WHERE ID = :id"};
    struct Case {
        std::function<void(TKRVParam&)> set;
        const char* expected;
    };
    const Case cases[] = {
        {[](TKRVParam& p) { p.SetInteger(1); }, "one"},
        {[](TKRVParam& p) { p.SetInteger(2); }, "two"},
        {[](TKRVParam& p) { p.Clear(ftInteger); }, "none"},
        {[](TKRVParam& p) { p.Clear(ftString); }, "none"},  // a NULL matches a NULL of any type
    };
    for (const auto& k : cases) {
        k.set(*q->ParamByName("ID"));
        q->Open();
        ASSERT_FALSE(q->GetEof()) << k.expected;
        EXPECT_EQ(q->FieldByName("NAME")->AsString(), k.expected);
    }
    // A name used twice binds its value at both markers.
    q->SetSQLText("SELECT NAME FROM T WHERE ID = :k AND X = :x AND ID = :k");
    q->ParamByName("k")->SetString("\xF0\x9F\x98\x80");
    q->ParamByName("x")->SetBlob(std::string("\x00\xff", 2));
    q->Open();
    EXPECT_EQ(q->FieldByName("NAME")->AsString(), "tuple");
}

TEST_F(ReplayTest, ReplayUnrecordedQueryFailsNamingTextAndParameters) {
    auto c = Connect("-- query\nselect 1 from rdb$database\n-- columns: C integer\n[1]\n");
    auto q = Query(*c, "select 2 from rdb$database where x = :x");
    q->ParamByName("x")->SetString("it's");
    const std::string open = ErrorOf([&] { q->Open(); });
    EXPECT_NE(open.find("no recorded answer for: select 2 from rdb$database where x = ?"), std::string::npos) << open;
    EXPECT_NE(open.find("with parameters (string \"it's\")"), std::string::npos) << open;
    EXPECT_FALSE(q->GetQueryActive());
    EXPECT_TRUE(q->GetEof());
    q->SetSQLText("delete from t");
    const std::string exec = ErrorOf([&] { q->ExecSQL(); });
    EXPECT_NE(exec.find("no recorded answer for: delete from t\nwith no parameters"), std::string::npos) << exec;
    // The recorded query itself still answers, but not with a parameter it was not given.
    q->SetSQLText("select 1 from rdb$database");
    q->Open();
    EXPECT_EQ(q->FieldByName("C")->AsInteger(), 1);
}

TEST_F(ReplayTest, ReplayUnrecordedParameterValueFails) {
    auto c = Connect(
        "-- query\nselect n from t where id = ?\n-- params: integer 1\n-- columns: N string\n[\"one\"]\n"
        "-- query\nselect n from t where id = ?\n-- params: float 0.5\n-- columns: N string\n[\"half\"]\n");
    auto q = Query(*c, "select n from t where id = :id");
    struct Case {
        std::function<void(TKRVParam&)> set;
        const char* shown;
    };
    const Case cases[] = {
        {[](TKRVParam& p) { p.SetInteger(3); }, "integer 3"},
        {[](TKRVParam& p) { p.SetString("1"); }, "string \"1\""},  // the type counts too
        {[](TKRVParam& p) { p.SetBCD("1"); }, "bcd 1"},
        {[](TKRVParam& p) { p.SetFloat(0.5000000001); }, "float 0.5000000001"},
        {[](TKRVParam& p) { p.Clear(ftInteger); }, "null"},
    };
    for (const auto& k : cases) {
        k.set(*q->ParamByName("id"));
        const std::string m = ErrorOf([&] { q->Open(); });
        EXPECT_NE(m.find("with parameters (" + std::string(k.shown) + ")"), std::string::npos) << m;
        EXPECT_NE(m.find("answers this text only with:\n  line 1: parameters (integer 1)\n  line 6: parameters (float 0.5)"),
                  std::string::npos)
            << m;
    }
    // Too many or too few values are no match either.
    q->SetSQLText("select n from t where id = 1");
    EXPECT_NE(ErrorOf([&] { q->Open(); }).find("no recorded answer"), std::string::npos);
}

TEST_F(ReplayTest, ReplayExecutedStatementsAnswerWithTheirRowCount) {
    auto c = Connect(
        "-- query\nupdate t set a = ?\n-- params: integer 1\n-- executed: 3\n"
        "-- query\n\\-- a statement that starts with a comment\ncreate table x (a int)\n-- executed\n");
    std::unique_ptr<TKRVQuery> q(c->CreateQuery(nullptr));
    auto* rq = dynamic_cast<TKRVReplayQuery*>(q.get());
    ASSERT_NE(rq, nullptr);
    q->SetSQLText("update t set a = :a");
    q->ParamByName("a")->SetInteger(1);
    q->ExecSQL();
    EXPECT_EQ(rq->GetRowsAffected(), 3);
    *q->GetSQL() = {"-- a statement that starts with a comment", "create table x (a int)"};
    q->ExecSQL();
    EXPECT_EQ(rq->GetRowsAffected(), -1);
    // Opened, a statement without a result gives no rows.
    q->Open();
    EXPECT_TRUE(q->GetEof());
}

TEST_F(ReplayTest, ReplayMalformedFixturesFailTheConnectWithTheLine) {
    const std::string h = "-- query\nselect 1\n";
    struct Case {
        std::string text;
        int line;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"select 1\n", 1, "unexpected text"},
        {"-- query\n-- columns: A integer\n", 1, "the query has no text"},
        {h, 1, "has no \"-- columns\" or \"-- executed\""},
        {h + "-- params: integer 1\n", 1, "has no \"-- columns\" or \"-- executed\""},
        {h + "-- columns: A integer\n[1, 2]\n", 4, "more values than the 1 columns"},
        {h + "-- columns: A integer, B string\n[1]\n", 4, "the row has 1 values, the result 2 columns"},
        {h + "-- columns: A integer\n[\"1\"]\n", 4, "a value of type integer must be a whole number"},
        {h + "-- columns: A integer\n[9223372036854775808]\n", 4, "fits 64 bits"},
        {h + "-- columns: A integer\n[1.5]\n", 4, "a whole number"},
        {h + "-- columns: A blob\n[\"0g\"]\n", 4, "hex digits"},
        {h + "-- columns: A blob\n[\"abc\"]\n", 4, "hex digits"},
        {h + "-- columns: A date\n[\"2024-13-01\"]\n", 4, "not a valid date"},
        {h + "-- columns: A boolean\n[1]\n", 4, "true or false"},
        {h + "-- columns: A bcd\n[\"1e5\"]\n", 4, "a decimal number"},
        {h + "-- columns: A string\n[\"abc]\n", 4, "unterminated string"},
        {h + "-- columns: A string\n[\"\\x\"]\n", 4, "unknown escape \\x"},
        {h + "-- columns: A string\n[\"\\ud83d\"]\n", 4, "low surrogate"},
        {h + "-- columns: A string\n[\"a\"] x\n", 4, "text after the row"},
        {h + "-- columns: A string\n[\"a\" \"b\"]\n", 4, "expected ','"},
        {h + "-- columns: A unknown\n[1]\n", 4, "must be null"},
        {h + "-- columns: A varchar\n", 3, "unknown type \"varchar\""},
        {h + "-- columns: A\n", 3, "expected a type"},
        {h + "-- params: integer\n-- executed\n", 3, "expected a value"},
        {h + "-- params: integer 1,\n-- executed\n", 3, "expected a type"},
        {h + "-- params: integer 1\n-- params: integer 1\n", 4, "a second \"-- params\""},
        {h + "-- executed\n-- params: integer 1\n", 4, "belongs after the query text"},
        {h + "-- executed\n[1]\n", 4, "a row outside a result"},
        {h + "-- executed: -1\n", 3, "0 or more"},
        {h + "-- executed\n-- columns: A integer\n", 4, "one result a query"},
        {h + "-- colums: A integer\n", 3, "unknown directive \"-- colums\""},
        {h + "-- executed\n-- query\nselect 1 \n-- executed\n", 4, "recorded already on line 1"},
        {h + "-- executed\n-- server-version: \"x\"\n", 4, "belongs before the first query"},
        {"-- database-type: Informix\n", 1, "unknown database type \"Informix\""},
        {"-- server-version: 3\n", 1, "a JSON string"},
    };
    for (const auto& k : cases) {
        const std::string path = Write(k.text, "bad.replay");
        auto c = Make(path);
        errors.clear();
        EXPECT_FALSE(c->Connect()) << k.text;
        EXPECT_FALSE(c->GetConnected()) << k.text;
        const std::string expected = path + ":" + std::to_string(k.line) + ": ";
        EXPECT_EQ(c->GetLastError().rfind(expected, 0), 0u) << c->GetLastError() << "\n" << k.text;
        EXPECT_NE(c->GetLastError().find(k.message), std::string::npos) << c->GetLastError() << "\n" << k.text;
        EXPECT_EQ(errors, std::vector<std::string>{c->GetLastError()});
    }
}

TEST_F(ReplayTest, ReplayMissingFixtureOrWrongDatabaseTypeFailsTheConnect) {
    auto missing = Make(Write("") + ".absent");
    EXPECT_FALSE(missing->Connect());
    EXPECT_FALSE(missing->GetConnected());
    EXPECT_NE(missing->GetLastError().find(".absent: cannot open the replay fixture"), std::string::npos)
        << missing->GetLastError();
    auto unnamed = Make("");
    EXPECT_FALSE(unnamed->Connect());
    EXPECT_NE(unnamed->GetLastError().find("No replay fixture named"), std::string::npos);

    const std::string path = Write("# recorded on a server\n-- database-type: oracle\n");
    auto wrong = Make(path, dbMSSQL);
    EXPECT_FALSE(wrong->Connect());
    EXPECT_EQ(wrong->GetLastError(), path + ":2: the fixture was recorded for Oracle, the connection is for MSSQL");
    auto right = Make(path, dbOracle);
    errors.clear();
    // Oracle's connect asks for the server version; this fixture has no answer, which is said.
    EXPECT_TRUE(right->Connect()) << right->GetLastError();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("no recorded answer for: select * from v$version"), std::string::npos) << errors[0];
}

TEST_F(ReplayTest, ReplayServerVersionFromTheFixtureOrItsQueries) {
    auto ib = Connect("-- server-version: \"WI-V3.0.11.33703 Firebird 3.0\"\n", dbInterBase);
    EXPECT_EQ(ib->TestConnectInfo(true), "WI-V3.0.11.33703 Firebird 3.0\r\n");
    auto pg = Connect("-- query\nselect version()\n-- columns: version string\n[\"PostgreSQL 15.1\"]\n", dbPostgreSQL);
    EXPECT_EQ(pg->TestConnectInfo(true), "PostgreSQL 15.1");
}

TEST_F(ReplayTest, ReplayTransactionsAreAcceptedAndChecked) {
    auto c = Connect("-- query\nselect 1\n-- columns: C integer\n[1]\n");
    EXPECT_FALSE(c->InTransaction());
    c->StartTransaction();
    EXPECT_TRUE(c->InTransaction());
    EXPECT_THROW(c->StartTransaction(), EKrvError);
    auto q = Query(*c, "select 1");
    q->Open();
    EXPECT_EQ(q->FieldByName("C")->AsInteger(), 1);
    c->Commit();
    EXPECT_FALSE(c->InTransaction());
    EXPECT_THROW(c->Commit(), EKrvError);
    EXPECT_THROW(c->Rollback(), EKrvError);
    c->StartTransaction();
    c->Rollback();
    EXPECT_FALSE(c->InTransaction());
    // Disconnecting ends the transaction; a closed handle runs nothing.
    c->StartTransaction();
    c->SetConnected(false);
    EXPECT_FALSE(c->InTransaction());
    EXPECT_THROW(c->StartTransaction(), EKrvError);
    EXPECT_EQ(ErrorOf([&] { q->Open(); }), "Not connected to a database.");
}

TEST_F(ReplayTest, ReplayConnectionsKeepTheirOwnFixtures) {
    auto a = Make(Write("-- query\nselect 1\n-- columns: C string\n[\"a\"]\n", "a.replay"));
    auto b = Make(Write("-- query\nselect 1\n-- columns: C string\n[\"b\"]\n", "b.replay"));
    ASSERT_TRUE(a->Connect());
    ASSERT_TRUE(b->Connect());
    auto qa = Query(*a, "select 1");
    auto qb = Query(*b, "select 1");
    qa->Open();
    qb->Open();
    EXPECT_EQ(qa->FieldByName("C")->AsString(), "a");
    EXPECT_EQ(qb->FieldByName("C")->AsString(), "b");
    // An open result outlives a reconnect of its handle.
    a->ReConnect({});
    qa->Next();
    EXPECT_TRUE(qa->GetEof());
}

// The recorder writes what the replay kind reads: record answers from one replay connection,
// replay the written fixture and compare every value.
TEST_F(ReplayTest, ReplayRecorderWritesWhatReplayReads) {
    const std::string source =
        "-- query\n"
        "select * from t where a = ? and b = ?\n"
        "-- params: string \"x\\ty\", datetime \"2024-01-02 03:04:05.5\"\n"
        "-- columns: \"lower name\" string, B blob, I integer, F float, N bcd, D date, T time, "
        "DT datetime, L boolean, M memo, U unknown\n"
        "[\"\\ud83d\\ude00 \\\"q\\\" \\u0001\", \"" + AllBytesHex() + "\", 42, 0.1, -0.50, \"2024-02-29\", "
        "\"10:00:00.25\", \"2024-02-29 10:00:00\", true, \"l1\\r\\nl2\", null]\n"
        "[null, null, null, \"NaN\", null, null, null, null, false, null, null]\n"
        "[\"\", \"\", -1, \"-Infinity\", 0, null, null, null, null, \"\", null]\n"
        "-- query\n"
        "select x from empty\n"
        "-- columns: X integer\n"
        "-- query\n"
        "\\-- comment line\n"
        "\\\\ backslash line\n"
        "delete from t\n"
        "-- executed: 2\n";
    auto src = Connect(source);
    TKRVReplayRecorder rec(*src);
    auto read = [](TKRVQuery& q) {
        std::vector<std::string> rows;
        for (q.Open(); !q.GetEof(); q.Next()) {
            std::string r;
            for (std::size_t i = 0; i < q.GetFields()->Count(); ++i) {
                const TKRVField& f = (*q.GetFields())[i];
                r += f.GetFieldName() + "=" + ReplayParamText(f) + ";";
            }
            rows.push_back(r);
        }
        return rows;
    };
    auto run = [&](auto makeQuery) {
        std::vector<std::string> out;
        auto q = makeQuery();
        q->SetSQLText("select * from t where a = :a and b = :b");
        q->ParamByName("a")->SetString("x\ty");
        q->ParamByName("b")->SetDateTime(TKRVDateTime::Parse("2024-01-02 03:04:05.5"));
        for (auto& r : read(*q)) out.push_back(r);
        for (auto& r : read(*q)) out.push_back(r);  // the same query again is written once
        q->SetSQLText("select x from empty");
        out.push_back(std::to_string(read(*q).size()));
        *q->GetSQL() = {"-- comment line", "\\ backslash line", "delete from t"};
        q->ExecSQL();
        return out;
    };
    const auto recorded = run([&] { return rec.CreateQuery(); });
    ASSERT_EQ(recorded.size(), 7u);
    EXPECT_NE(recorded[0].find("lower name=string \"\xF0\x9F\x98\x80 \\\"q\\\" \\u0001\";"), std::string::npos)
        << recorded[0];

    const std::string path = Write("", "recorded.replay");
    rec.Save(path);
    auto replay = Make(path);
    ASSERT_TRUE(replay->Connect()) << replay->GetLastError();
    const auto replayed = run([&] { return std::unique_ptr<TKRVQuery>(replay->CreateQuery(nullptr)); });
    EXPECT_EQ(replayed, recorded);
    const std::string text = rec.Text();
    EXPECT_NE(text.find("-- database-type: MSSQL\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n\\-- comment line\n\\\\ backslash line\ndelete from t\n-- executed\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("-- columns: \"lower name\" string, B blob"), std::string::npos) << text;
    // The count of an ExecSQL is not known to the layer, so none is recorded.
    auto q = Query(*replay, "-- comment line\r\n\\ backslash line\r\ndelete from t");
    q->ExecSQL();
    EXPECT_EQ(dynamic_cast<TKRVReplayQuery&>(*q).GetRowsAffected(), -1);
}

TEST_F(ReplayTest, ReplayRecorderPassesFailuresOnAndRecordsNothingForThem) {
    auto src = Connect("-- query\nselect 1\n-- columns: C integer\n[1]\n");
    TKRVReplayRecorder rec(*src);
    auto q = rec.CreateQuery();
    q->SetSQLText("select 2");
    EXPECT_NE(ErrorOf([&] { q->Open(); }).find("no recorded answer for: select 2"), std::string::npos);
    EXPECT_EQ(rec.Text().find("-- query"), std::string::npos);
    EXPECT_THROW(rec.Save("/nonexistent-dir/x.replay"), EKrvError);
}

}  // namespace
}  // namespace dbtwin
