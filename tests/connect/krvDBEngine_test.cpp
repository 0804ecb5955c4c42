#include "connect/krvDBEngine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace dbtwin {
namespace {

// ---------------------------------------------------------------------------
// Marker parsers

struct MarkerCase {
    const char* sql;
    TDatabaseType db;
    const char* expected;
    std::vector<std::string> params;
};

std::vector<std::string> Names(const TKRVParams& p) {
    std::vector<std::string> r;
    for (std::size_t i = 0; i < p.Count(); ++i) r.push_back(p[i].GetName());
    return r;
}

TEST(ParamsParseSQLTest, MarkersOutsideQuotesAndComments) {
    const std::vector<MarkerCase> cases = {
        // The documented cases.
        {"select * from t where a = :a and b=:b", dbAbstract, "select * from t where a = ? and b=?", {"a", "b"}},
        {"a:b", dbAbstract, "a:b", {}},
        {":p", dbAbstract, ":p", {}},
        {"1:p", dbAbstract, "1?", {"p"}},
        {"1 2:p", dbAbstract, "1 2?", {"p"}},
        {"x1:p", dbAbstract, "x1:p", {}},
        // "::" is a cast and stays as it is.
        {"select x::int from t", dbPostgreSQL, "select x::int from t", {}},
        {"select '2020-01-01'::date, :d", dbPostgreSQL, "select '2020-01-01'::date, ?", {"d"}},
        {"select :a::int", dbPostgreSQL, "select ?::int", {"a"}},
        // ":=" and a bare colon are no markers.
        {"x := 1", dbAbstract, "x := 1", {}},
        {"x :=1", dbAbstract, "x :=1", {}},
        {"a : b", dbAbstract, "a : b", {}},
        {"a :", dbAbstract, "a :", {}},
        // Quoted text of each kind, with doubled quotes and mixed quote characters.
        {"values ('5\" tv', 'at :x', :y)", dbAbstract, "values ('5\" tv', 'at :x', ?)", {"y"}},
        {"values ('it''s :x', :y)", dbAbstract, "values ('it''s :x', ?)", {"y"}},
        {"select \":x\" from t where a=:a", dbAbstract, "select \":x\" from t where a=?", {"a"}},
        {"select `:x` from t where a=:a", dbMySQL, "select `:x` from t where a=?", {"a"}},
        {"select 'a\"b', :p, \"c'd\", :q", dbAbstract, "select 'a\"b', ?, \"c'd\", ?", {"p", "q"}},
        // Backslash escapes in MySQL strings, not elsewhere.
        {"values ('O\\'Brien', ':x', :y)", dbMySQL, "values ('O\\'Brien', ':x', ?)", {"y"}},
        {"values ('a\\', :y)", dbInterBase, "values ('a\\', ?)", {"y"}},
        {"values (E'a\\' :x', :y)", dbPostgreSQL, "values (E'a\\' :x', ?)", {"y"}},
        // Comments.
        {"select 1 -- :x\nfrom t where a = :a", dbAbstract, "select 1 -- :x\nfrom t where a = ?", {"a"}},
        {"select /* :x */ :a", dbAbstract, "select /* :x */ ?", {"a"}},
        {"select /* a /* :x */ :y */ :a", dbPostgreSQL, "select /* a /* :x */ :y */ ?", {"a"}},
        {"select 1 # :x\n, :a", dbMySQL, "select 1 # :x\n, ?", {"a"}},
        // Dollar-quoted bodies.
        {"do $$ begin x := :x; end $$; select :a", dbPostgreSQL, "do $$ begin x := :x; end $$; select ?", {"a"}},
        {"select $f$ :x $f$, :a", dbPostgreSQL, "select $f$ :x $f$, ?", {"a"}},
        {"select $1, :a", dbPostgreSQL, "select $1, ?", {"a"}},
        {"select rdb$x, :a from rdb$t", dbInterBase, "select rdb$x, ? from rdb$t", {"a"}},
        // Quoted marker names lose their quotes; names end at punctuation.
        {"where a = :\"My Name\" and b", dbAbstract, "where a = ? and b", {"My Name"}},
        {"where a=:a+:b,(:c)", dbAbstract, "where a=?+?,(?)", {"a", "b", "c"}},
        {"where a in (:a,:a)", dbAbstract, "where a in (?,?)", {"a", "a"}},
        // An unterminated quote keeps the rest of the text.
        {"select ':x", dbAbstract, "select ':x", {}},
    };
    for (const auto& c : cases) {
        TKRVParams params;
        EXPECT_EQ(ParamsParseSQL(&params, c.sql, true, c.db), c.expected) << c.sql;
        EXPECT_EQ(Names(params), c.params) << c.sql;
    }
}

TEST(ParamsParseSQLTest, WithoutDoCreateTheListIsLeftAlone) {
    TKRVParams params;
    params.Add("kept");
    EXPECT_EQ(ParamsParseSQL(&params, "select :a", false), "select ?");
    EXPECT_EQ(Names(params), std::vector<std::string>{"kept"});
    EXPECT_EQ(ParamsParseSQL(nullptr, "select :a", true), "select ?");
}

TEST(Params_ParseSQLTest, QuestionMarksAndColonNames) {
    const std::vector<MarkerCase> cases = {
        {"select ? , ?", dbAbstract, "select ? , ?", {"", ""}},
        {"where a = :a and b = :b_1$#@", dbAbstract, "where a = ? and b = ?", {":a", ":b_1$#@"}},
        {":p at start", dbAbstract, "? at start", {":p"}},
        {"a:b", dbAbstract, "a?", {":b"}},
        {"x::int", dbPostgreSQL, "x::int", {}},
        {"x := 1", dbAbstract, "x := 1", {}},
        {"values ('?', ':x', \"?\", :y)", dbAbstract, "values ('?', ':x', \"?\", ?)", {":y"}},
        {"values ('it''s ?', ?)", dbAbstract, "values ('it''s ?', ?)", {""}},
        {"values ('O\\'Brien ?', ?)", dbMySQL, "values ('O\\'Brien ?', ?)", {""}},
        {"select 1 -- ? :x\n, :a /* ? */", dbAbstract, "select 1 -- ? :x\n, ? /* ? */", {":a"}},
        {"do $$ :x ? $$; select ?", dbPostgreSQL, "do $$ :x ? $$; select ?", {""}},
    };
    for (const auto& c : cases) {
        TKRVParams params;
        EXPECT_EQ(Params_ParseSQL(&params, c.sql, true, c.db), c.expected) << c.sql;
        EXPECT_EQ(Names(params), c.params) << c.sql;
        for (std::size_t i = 0; i < params.Count(); ++i) EXPECT_TRUE(params[i].IsNull());
    }
}

TEST(IsSelectSQLTest, Cases) {
    EXPECT_TRUE(IsSelectSQL("  select 1"));
    EXPECT_TRUE(IsSelectSQL("\r\n\tSELECT*from t"));
    EXPECT_FALSE(IsSelectSQL("WITH x AS (SELECT 1) SELECT 2"));
    EXPECT_FALSE(IsSelectSQL("insert into t select 1"));
    EXPECT_FALSE(IsSelectSQL(""));
}

// ---------------------------------------------------------------------------
// Values

TEST(KRVValueTest, ConversionsAndNull) {
    TKRVValue v;
    EXPECT_TRUE(v.IsNull());
    EXPECT_EQ(v.AsString(), "");
    EXPECT_EQ(v.AsInteger(), 0);

    v.SetFloat(0.1);
    EXPECT_EQ(v.AsString(), "0.1");
    v.SetFloat(1e-300);
    EXPECT_EQ(std::stod(v.AsString()), 1e-300);
    v.SetBCD("-12.3400");
    EXPECT_EQ(v.AsString(), "-12.3400");
    EXPECT_DOUBLE_EQ(v.AsFloat(), -12.34);
    EXPECT_THROW(v.AsInteger(), EKrvError);
    v.SetBCD("12.000");
    EXPECT_EQ(v.AsInteger(), 12);
    v.SetString("9223372036854775807");
    EXPECT_EQ(v.AsInteger(), INT64_MAX);
    v.SetString("9223372036854775808");
    EXPECT_THROW(v.AsInteger(), EKrvError);
    v.SetString("12abc");
    EXPECT_THROW(v.AsInteger(), EKrvError);
    EXPECT_THROW(v.AsFloat(), EKrvError);
    v.SetBlob(std::string("a\0b", 3));
    EXPECT_EQ(v.AsBlob().size(), 3u);
    v.SetBoolean(true);
    EXPECT_EQ(v.AsString(), "True");
    EXPECT_EQ(v.AsInteger(), 1);
    v.SetInteger(-5);
    EXPECT_EQ(v.AsBlob(), "-5");
}

TEST(KRVDateTimeTest, TextRoundTrip) {
    struct Case {
        const char* text;
        TKRVFieldType type;
    };
    const Case cases[] = {
        {"2024-02-29 23:59:58.1234", ftDateTime}, {"0001-01-01 00:00:00", ftDateTime},
        {"2024-02-29", ftDate},                    {"13:14:15.000001", ftTime},
    };
    for (const auto& c : cases) EXPECT_EQ(TKRVDateTime::Parse(c.text).ToString(c.type), c.text);
    EXPECT_EQ(TKRVDateTime::Parse("2024-01-02T03:04:05.5").Microsecond, 500000);
    for (const char* bad : {"2024-13-01", "2024-01-01 25:00:00", "x", "2024-01-01 10:00:00.", "12:3"})
        EXPECT_THROW(TKRVDateTime::Parse(bad), EKrvError) << bad;
}

// ---------------------------------------------------------------------------
// A connection kind that works in memory: it records what reached it, per handle.

struct FakeLog {
    std::vector<std::string> statements;
};

class FakeQuery : public TKRVDataSetQuery {
public:
    using TKRVDataSetQuery::TKRVDataSetQuery;
    ~FakeQuery() override { Close(); }
    std::vector<std::vector<std::string>> rows;
    FakeLog* log = nullptr;
    std::vector<std::string> bound;

protected:
    bool DoExecute(const std::string& aText, const TKRVParams& aParams) override;
    bool DoFetch(TKRVFields& aFields) override {
        if (next >= rows.size()) return false;
        if (aFields.Count() == 0)
            for (std::size_t i = 0; i < rows[next].size(); ++i) aFields.Add("C" + std::to_string(i));
        for (std::size_t i = 0; i < rows[next].size(); ++i) aFields[i].SetString(rows[next][i]);
        ++next;
        return true;
    }
    void DoClose() override { next = 0; }

private:
    std::size_t next = 0;
};

class FakeDatabase : public TKRVDatabase {
public:
    using TKRVDatabase::TKRVDatabase;
    bool connected = false;
    bool inTransaction = false;
    FakeLog log;
    bool GetConnected() override { return connected; }
    void SetConnected(bool v) override {
        if (v && GetConnection()->GetConnectionOptions().GetPassword() == "wrong")
            throw EKrvError("login refused for " + GetConnection()->GetConnectionOptions().GetUserName());
        connected = v;
        if (v) {
            TIBDatabaseOptions d;
            d.SetServerVersion("Fake 1.0");
            d.SetODSMajorVersion(12);
            d.SetODSMinorVersion(0);
            d.SetDBSQLDialect(3);
            d.SetPageSize(8192);
            d.SetNumBuffers(3);
            d.SetSweepInterval(20000);
            d.SetForcedWrites(1);
            GetConnection()->GetIBServerOptions().SetIBDatabaseOptions(d);
        }
    }
    void StartTransaction() override { inTransaction = true; }
    void Commit() override { inTransaction = false; }
    bool InTransaction() override { return inTransaction; }
};

bool FakeQuery::DoExecute(const std::string& aText, const TKRVParams& aParams) {
    auto* db = dynamic_cast<FakeDatabase*>(GetDatabase());
    if (!db || !db->connected) throw EKrvError("not connected");
    db->log.statements.push_back(aText);
    bound.clear();
    for (std::size_t i = 0; i < aParams.Count(); ++i)
        bound.push_back(aParams.BoundValue(i).IsNull() ? "NULL" : aParams.BoundValue(i).AsString());
    return IsSelectSQL(aText);
}

class FakeKind : public TKRVAbstractConnection {
public:
    explicit FakeKind(TconnectionType t) { fConnectionType = t; }
    TKRVDatabase* CreateDatabase(TComponent* AOwner) override { return new FakeDatabase(AOwner); }
    TKRVQuery* CreateQuery(TComponent* AOwner) override { return new FakeQuery(AOwner); }
    bool Create_Database(TKRVCustomConnection* c) override {
        created.push_back(c->GetConnectionOptions().GetDatabaseName());
        return true;
    }
    std::vector<std::string> created;
};

// Registers kinds for one test and removes them afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& n : names) UnRegisterConnection(n, true);
    }
    FakeKind* Register(const std::string& name, TconnectionType t) {
        auto k = std::make_unique<FakeKind>(t);
        FakeKind* raw = k.get();
        if (!RegisterConnection(name, std::move(k))) return nullptr;
        names.push_back(name);
        return raw;
    }
    std::vector<std::string> names;
};

TEST_F(RegistryTest, NamesAreCaseInsensitiveAndDuplicatesRefused) {
    FakeKind* a = Register("FakeB", cnFIB);
    ASSERT_NE(a, nullptr);
    std::unique_ptr<TKRVAbstractConnection> dup = std::make_unique<FakeKind>(cnFIB);
    EXPECT_FALSE(RegisterConnection("FAKEB", std::move(dup)));
    EXPECT_NE(dup, nullptr);  // refused: the object stays with the caller
    ASSERT_NE(Register("fakeA", cnFIB), nullptr);
    // Registry order is by name, so the kind found for a type is that of the first name.
    EXPECT_EQ(TKRVConnection::FindConnection(cnFIB), TKRVConnection::FindConnection(cnFIB));
    EXPECT_NE(TKRVConnection::FindConnection(cnFIB), a);
    EXPECT_TRUE(UnRegisterConnection("FAKEA", true));
    EXPECT_EQ(TKRVConnection::FindConnection(cnFIB), a);
    EXPECT_FALSE(UnRegisterConnection("fakea", true));
}

TEST_F(RegistryTest, UnRegisterByTypeRemovesEveryEntryOfIt) {
    Register("FakeX1", cnSAVCL);
    Register("FakeX2", cnSAVCL);
    Register("FakeY", cnMyDAC);
    EXPECT_TRUE(UnRegisterConnection(cnSAVCL, true));
    EXPECT_EQ(TKRVConnection::FindConnection(cnSAVCL), nullptr);
    EXPECT_NE(TKRVConnection::FindConnection(cnMyDAC), nullptr);
    EXPECT_FALSE(UnRegisterConnection(cnSAVCL, true));
}

TEST_F(RegistryTest, UnregisteredKindIsRefusedWithTheUnitToInclude) {
    TKRVConnection c;
    try {
        c.SetConnectionType(cnODAC);
        FAIL() << "no exception";
    } catch (const EKrvError& e) {
        std::string m = e.what();
        EXPECT_EQ(m.rfind("\r\nNot supported connection select.\r\n", 0), 0u) << m;
        EXPECT_NE(m.find("krvConnection_ODACDB"), std::string::npos) << m;
    }
    EXPECT_EQ(c.GetConnectionType(), cnAbstract);
    EXPECT_EQ(c.GetDatabase(), nullptr);
}

TEST(RegistryDefaultsTest, DefaultKindsAndUnitNames) {
    EXPECT_EQ(DefConnectionByDatabase(dbAbstract), cnAbstract);
    EXPECT_EQ(DefConnectionByDatabase(dbInterBase), cnIBX);
    IBConnectionType = cnFIB;
    EXPECT_EQ(DefConnectionByDatabase(dbInterBase), cnFIB);
    IBConnectionType = cnIBX;
    for (auto db : {dbSybaseASA, dbMSSQL, dbSybaseASE, dbPervasiveSQL, dbMSAccess, dbCustomOLEDB})
        EXPECT_EQ(DefConnectionByDatabase(db), cnADO);
    for (auto db : {dbMySQL, dbOracle, dbPostgreSQL, dbDB2}) EXPECT_EQ(DefConnectionByDatabase(db), cnZEOS);
    for (auto db : {dbParadox, dbDBASE}) EXPECT_EQ(DefConnectionByDatabase(db), cnBDE);
    EXPECT_EQ(TKRVConnection::UnitName(cnIBX), "krvConnection_IBXDB");
    EXPECT_EQ(TKRVConnection::UnitName(cnPostgresDAC), "krvConnection_PGDACDB");
    EXPECT_EQ(TKRVConnection::UnitName(cnUniDAC), "krvConnection_XXXDB");
    EXPECT_EQ(TKRVConnection::UnitName(cnAbstract), "krvConnection_XXXDB");
    TKRVConnection c;
    EXPECT_EQ(c.GetSupportedDatabases().Mask(), 0x19FEu);
    EXPECT_EQ(c.GetSupportedConnections().Mask(), 0xFDFEu);
}

// ---------------------------------------------------------------------------
// The connection component over a kind

TEST_F(RegistryTest, ConnectWithoutKindIsAnErrorNotSuccess) {
    TKRVConnection c;
    std::vector<std::string> errors;
    c.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    EXPECT_FALSE(c.Connect());
    EXPECT_FALSE(c.GetConnected());
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_FALSE(c.GetLastError().empty());
    c.SetConnected(false);  // nothing to do
    EXPECT_EQ(c.CreateQuery(nullptr), nullptr);
    EXPECT_FALSE(c.CreateDatabase());
}

TEST_F(RegistryTest, FailedConnectReachesTheCallerWithoutThePassword) {
    Register("FakeIB", cnIBDAC);
    TKRVConnection c;
    c.SetDatabaseType(dbInterBase);
    c.SetConnectionType(cnIBDAC);
    c.GetConnectionOptions().SetUserName("bob");
    c.GetConnectionOptions().SetPassword("wrong");
    c.GetConnectionOptions().SetDatabaseName("/db.fdb");
    std::vector<std::string> errors, log, events;
    c.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    c.OnLogNextLine = [&](TObject*, const std::string& t) { log.push_back(t); };
    c.OnAfterConnect = [&](TObject*) { events.push_back("after connect"); };
    c.OnAfterDisconnect = [&](TObject*) { events.push_back("after disconnect"); };
    EXPECT_FALSE(c.Connect());
    EXPECT_FALSE(c.GetConnected());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "login refused for bob");
    EXPECT_EQ(c.GetLastError(), "login refused for bob");
    EXPECT_EQ(events, std::vector<std::string>{"after disconnect"});
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Connect to: '/db.fdb'...");
    for (const auto& l : log) EXPECT_EQ(l.find("wrong"), std::string::npos);

    c.GetConnectionOptions().SetPassword("right");
    EXPECT_TRUE(c.Connect());
    EXPECT_TRUE(c.GetLastError().empty());
    EXPECT_EQ(events.back(), "after connect");
    EXPECT_EQ(log.back(), "Server version: Fake 1.0");
}

TEST_F(RegistryTest, TwoComponentsOnOneKindKeepTheirOwnState) {
    FakeKind* kind = Register("FakeShared", cnIBDAC);
    TKRVConnection a, b;
    a.SetConnectionType(cnIBDAC);
    b.SetConnectionType(cnIBDAC);
    EXPECT_EQ(a.GetConnection(), b.GetConnection());
    EXPECT_NE(a.GetDatabase(), b.GetDatabase());
    a.GetConnectionOptions().SetDatabaseName("a.db");
    b.GetConnectionOptions().SetDatabaseName("b.db");
    // b selected the kind last; a's database is still the one a creates.
    EXPECT_TRUE(a.CreateDatabase());
    EXPECT_EQ(kind->created, std::vector<std::string>{"a.db"});
    ASSERT_TRUE(a.Connect());
    EXPECT_FALSE(b.GetConnected());
    a.StartTransaction();
    EXPECT_TRUE(a.InTransaction());
    EXPECT_FALSE(b.InTransaction());
    // The kind's own messages go to the component that selected it last, with the kind as sender.
    TObject* sender = nullptr;
    std::string text;
    a.OnErrorMessage = [&](TObject*, const std::string&) { ADD_FAILURE() << "went to a"; };
    b.OnErrorMessage = [&](TObject* s, const std::string& t) {
        sender = s;
        text = t;
    };
    kind->DoErrorMessage("kind says");
    EXPECT_EQ(sender, kind);
    EXPECT_EQ(text, "kind says");
    // Setting the type it already has changes nothing.
    TKRVDatabase* before = a.GetDatabase();
    a.SetConnectionType(cnIBDAC);
    EXPECT_EQ(a.GetDatabase(), before);
    EXPECT_TRUE(a.GetConnected());
}

TEST_F(RegistryTest, QueriesBindParametersAndReadRowByRow) {
    Register("FakeQ", cnIBDAC);
    TKRVConnection c;
    c.SetConnectionType(cnIBDAC);
    ASSERT_TRUE(c.Connect());
    std::unique_ptr<TKRVQuery> q(c.CreateQuery(nullptr));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->GetConnection(), &c);
    q->SetSQLText("insert into t values (:a, :b, :a, ':c')");
    q->ParamByName("A")->SetInteger(7);
    EXPECT_THROW(q->ParamByName("c"), EKrvError);
    q->ExecSQL();
    auto* fq = static_cast<FakeQuery*>(q.get());
    auto* db = static_cast<FakeDatabase*>(c.GetDatabase());
    EXPECT_EQ(db->log.statements.back(), "insert into t values (?, ?, ?, ':c')");
    EXPECT_EQ(fq->bound, (std::vector<std::string>{"7", "NULL", "7"}));

    fq->rows = {{"1"}, {"2"}, {"3"}};
    q->SetSQLText("select c from t");
    q->Open();
    std::vector<std::string> seen;
    while (!q->GetEof()) {
        seen.push_back(q->FieldByName("c0")->AsString());
        q->Next();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3"}));
    q->First();
    EXPECT_EQ(q->FieldByName("C0")->AsString(), "1");
    q->Last();
    EXPECT_EQ(q->FieldByName("C0")->AsString(), "3");
    EXPECT_THROW(q->FieldByName("nope"), EKrvError);
}

TEST_F(RegistryTest, QueryOutlivesItsConnection) {
    Register("FakeL", cnIBDAC);
    std::unique_ptr<TKRVQuery> q;
    {
        TKRVConnection c;
        c.SetConnectionType(cnIBDAC);
        ASSERT_TRUE(c.Connect());
        q.reset(c.CreateQuery(nullptr));
    }
    EXPECT_EQ(q->GetDatabase(), nullptr);
    EXPECT_EQ(q->GetConnection(), nullptr);
    q->SetSQLText("select 1");
    EXPECT_THROW(q->Open(), EKrvError);
}

// ---------------------------------------------------------------------------
// Connection strings and server descriptions

TEST(GetDBConnectionStringTest, InterBaseFormsByProtocol) {
    struct Case {
        TDatabaseType db;
        const char* host;
        TKRVProtocol protocol;
        int port;
        const char* expected;
    };
    const Case cases[] = {
        {dbInterBase, "srv", ptTCP, 3050, "srv/3050:/data/a.fdb"},
        {dbInterBase, "srv", ptTCP, 0, "srv:/data/a.fdb"},
        {dbInterBase, "srv", ptLocal, 3051, "srv/3051:/data/a.fdb"},
        {dbInterBase, "srv", ptSPX, 3050, "srv@/data/a.fdb"},
        {dbInterBase, "srv", ptNamedPipe, 0, "\\\\srv\\/data/a.fdb"},
        {dbInterBase, "", ptTCP, 3050, "/data/a.fdb"},
        {dbInterBase, "::1", ptTCP, 3050, "[::1]/3050:/data/a.fdb"},
        {dbPostgreSQL, "srv", ptTCP, 3050, "/data/a.fdb"},
        {dbMySQL, "srv", ptSPX, 0, "/data/a.fdb"},
    };
    for (const auto& c : cases) {
        TKRVCustomConnection conn;
        conn.SetDatabaseType(c.db);
        conn.GetConnectionOptions().SetHostName(c.host);
        conn.GetConnectionOptions().SetProtocol(c.protocol);
        conn.GetConnectionOptions().SetPort(c.port);
        conn.GetConnectionOptions().SetDatabaseName("/data/a.fdb");
        EXPECT_EQ(conn.GetDBConnectionString(), c.expected) << c.expected;
    }
}

TEST_F(RegistryTest, TestConnectInfoInterBase) {
    Register("FakeInfo", cnIBDAC);
    TKRVConnection c;
    c.SetDatabaseType(dbInterBase);
    c.SetConnectionType(cnIBDAC);
    c.GetConnectionOptions().SetDatabaseName("/d.fdb");
    EXPECT_EQ(c.TestConnectInfo(false), "");  // closed
    ASSERT_TRUE(c.Connect());
    EXPECT_EQ(c.TestConnectInfo(true), "Fake 1.0\r\n");
    c.GetIBServerOptions().SetDBCharSet("utf8");
    EXPECT_EQ(c.TestConnectInfo(false),
              "Fake 1.0\r\n"
              "Database name : /d.fdb\r\n"
              "Character set : UTF8\r\n"
              "ODS version   : 12.0\r\n"
              "SQL Dialect   : 3\r\n"
              "Sweep interval: 20000\r\n"
              "Page size     : 8192\r\n"
              "Read-only     : False\r\n"
              "Forced writes : On\r\n"
              "Buffers       : 3 pages (24 Kb)\r\n");
}

TEST(CustomConnectionTest, CreateDatabaseIsNotImplemented) {
    TKRVCustomConnection c;
    std::string err;
    c.OnErrorMessage = [&](TObject*, const std::string& t) { err = t; };
    EXPECT_FALSE(c.CreateDatabase());
    EXPECT_EQ(err, "CREATE DATABASE not implemented (TKRVCustomConnection).");
    TKRVAbstractConnection k;
    EXPECT_FALSE(k.Create_Database(&c));
    EXPECT_EQ(err, "CREATE DATABASE not implemented (TKRVAbstractConnection).");
}

TEST(CustomConnectionTest, AssignCopiesTypesAndOptions) {
    TKRVCustomConnection a, b;
    a.SetDatabaseType(dbPostgreSQL);
    a.GetConnectionOptions().SetHostName("h");
    a.GetIBServerOptions().SetSQLDialect(1);
    b.Assign(a);
    EXPECT_EQ(b.GetDatabaseType(), dbPostgreSQL);
    EXPECT_EQ(b.GetConnectionOptions().GetHostName(), "h");
    EXPECT_EQ(b.GetIBServerOptions().GetSQLDialect(), 1);
}

}  // namespace
}  // namespace dbtwin
