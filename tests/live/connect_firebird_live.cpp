// The Firebird connection kind against a real server or the embedded engine.
// Usage: connect_firebird_live server|embedded SCRATCH-DIR
// Reads DBTWIN_TEST_FIREBIRD ("host=... port=... user=... password=... dir=..."); exits 77
// (skipped) when it is not set. Every database it makes is named conn_* and dropped again.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "connect/firebird/krvConnection_Firebird.h"
#include "connect/krvDBEngine.h"

using namespace dbtwin;

namespace {

int failures = 0;
std::string secret;  // the password; it must appear in no message
std::vector<std::string> messages;

#define CHECK(cond)                                                                       \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            ++failures;                                                                   \
            std::cerr << __FILE__ << ":" << __LINE__ << ": check failed: " #cond << "\n"; \
        }                                                                                 \
    } while (0)

#define CHECK_EQ(a, b)                                                                           \
    do {                                                                                         \
        auto va = (a);                                                                           \
        auto vb = (b);                                                                           \
        if (!(va == vb)) {                                                                       \
            ++failures;                                                                          \
            std::cerr << __FILE__ << ":" << __LINE__ << ": " #a " == " #b " failed: '" << va     \
                      << "' vs '" << vb << "'\n";                                                \
        }                                                                                        \
    } while (0)

std::map<std::string, std::string> Env() {
    std::map<std::string, std::string> r;
    std::istringstream in(std::getenv("DBTWIN_TEST_FIREBIRD"));
    std::string kv;
    while (in >> kv) {
        auto eq = kv.find('=');
        if (eq != std::string::npos) r[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    return r;
}

struct Target {
    std::string host;
    int port = 0;
    std::string user, password, path;
};

std::unique_ptr<TKRVConnection> MakeConnection(const Target& t, const std::string& path) {
    auto c = std::make_unique<TKRVConnection>();
    c->SetDatabaseType(dbInterBase);
    c->SetConnectionType(cnIBX);
    auto& o = c->GetConnectionOptions();
    o.SetHostName(t.host);
    o.SetPort(t.port);
    o.SetUserName(t.user);
    o.SetPassword(t.password);
    o.SetDatabaseName(path);
    c->OnErrorMessage = [](TObject*, const std::string& m) { messages.push_back(m); };
    c->OnLogNextLine = [](TObject*, const std::string& m) { messages.push_back(m); };
    return c;
}

std::unique_ptr<TKRVQuery> Query(TKRVConnection& c, const std::string& sql) {
    std::unique_ptr<TKRVQuery> q(c.CreateQuery(nullptr));
    q->SetSQLText(sql);
    return q;
}

void Exec(TKRVConnection& c, const std::string& sql) { Query(c, sql)->ExecSQL(); }

// Runs f, expecting an EKrvError whose message holds the text; returns the message.
std::string ExpectError(const std::function<void()>& f, const std::string& text) {
    try {
        f();
    } catch (const EKrvError& e) {
        std::string m = e.what();
        messages.push_back(m);
        if (m.find(text) == std::string::npos) {
            ++failures;
            std::cerr << "error message lacks '" << text << "': " << m << "\n";
        }
        return m;
    }
    ++failures;
    std::cerr << "no error where '" << text << "' was expected\n";
    return {};
}

std::string AllBytes() {
    std::string s;
    for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
    return s;
}

std::string MegaBlob() {
    std::string s(1 << 20, '\0');
    std::uint32_t x = 12345;
    for (auto& ch : s) {
        x = x * 1103515245 + 12345;
        ch = static_cast<char>(x >> 24);
    }
    return s;
}

void RoundTrip(TKRVConnection& c) {
    Exec(c,
         "create table conn_rt (id integer not null primary key, s varchar(100) character set utf8, "
         "b blob sub_type binary, m blob sub_type text character set utf8, d decimal(18,4), n numeric(18,0), "
         "ts timestamp, dt date, tm time, f double precision, bo boolean, o varchar(10) character set octets)");
    // Text, read back byte-equal; NULL stays NULL.
    const std::vector<std::pair<bool, std::string>> texts = {
        {true, ""}, {false, ""}, {false, "O'Brien"}, {false, "a\\b"}, {false, "5\" tv"},
        {false, ":x"}, {false, "emoji \xF0\x9F\x98\x80 end"}, {false, "--:y /* :z */ $$"},
    };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto q = Query(c, "insert into conn_rt (id, s, m) values (:id, :s, :s)");
        q->ParamByName("id")->SetInteger(static_cast<std::int64_t>(i));
        if (texts[i].first)
            q->ParamByName("s")->Clear(ftString);
        else
            q->ParamByName("s")->SetString(texts[i].second);
        q->ExecSQL();
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto q = Query(c, "select s, m from conn_rt where id = :id");
        q->ParamByName("id")->SetInteger(static_cast<std::int64_t>(i));
        q->Open();
        CHECK(!q->GetEof());
        CHECK_EQ(q->FieldByName("S")->IsNull(), texts[i].first);
        CHECK_EQ(q->FieldByName("s")->AsString(), texts[i].second);
        CHECK_EQ(q->FieldByName("M")->IsNull(), texts[i].first);
        CHECK_EQ(q->FieldByName("M")->AsString(), texts[i].second);
        q->Next();
        CHECK(q->GetEof());
    }
    // A marker-looking text inside a literal is no parameter.
    Exec(c, "insert into conn_rt (id, s) values (100, ':x '' :y')");
    {
        auto q = Query(c, "select s from conn_rt where id = 100");
        q->Open();
        CHECK_EQ(q->FieldByName("S")->AsString(), std::string(":x ' :y"));
    }
    // Binary blobs of every byte and of 1 MB, binary text; exact numerics; dates; doubles; boolean.
    const std::string bytes = AllBytes(), mega = MegaBlob();
    struct Row {
        int id;
        std::string blob, d, n, ts, dt, tm;
        double f;
        bool bo;
    };
    const std::vector<Row> rows = {
        {200, bytes, "-12345678901234.5678", "9223372036854775807", "2024-02-29 23:59:58.1234", "2024-02-29",
         "13:14:15.0001", 0.1, true},
        {201, mega, "0.0001", "-9223372036854775808", "0001-01-01 00:00:00", "9999-12-31", "00:00:00", 1e-300,
         false},
    };
    for (const auto& r : rows) {
        auto q = Query(c, "insert into conn_rt (id, b, d, n, ts, dt, tm, f, bo, o) values "
                          "(:id, :b, :d, :n, :ts, :dt, :tm, :f, :bo, :o)");
        q->ParamByName("id")->SetInteger(r.id);
        q->ParamByName("b")->SetBlob(r.blob);
        q->ParamByName("d")->SetBCD(r.d);
        q->ParamByName("n")->SetBCD(r.n);
        q->ParamByName("ts")->SetDateTime(TKRVDateTime::Parse(r.ts), ftDateTime);
        q->ParamByName("dt")->SetDateTime(TKRVDateTime::Parse(r.dt), ftDate);
        q->ParamByName("tm")->SetDateTime(TKRVDateTime::Parse(r.tm), ftTime);
        q->ParamByName("f")->SetFloat(r.f);
        q->ParamByName("bo")->SetBoolean(r.bo);
        q->ParamByName("o")->SetBlob(std::string("\0\xff\x80z", 4));
        q->ExecSQL();
    }
    auto q = Query(c, "select id, b, d, n, ts, dt, tm, f, bo, o from conn_rt where id >= 200 order by id");
    q->Open();
    for (const auto& r : rows) {
        CHECK(!q->GetEof());
        if (q->GetEof()) break;
        CHECK_EQ(q->FieldByName("ID")->AsInteger(), r.id);
        CHECK(q->FieldByName("B")->AsBlob() == r.blob);
        CHECK_EQ(q->FieldByName("B")->AsBlob().size(), r.blob.size());
        CHECK_EQ(q->FieldByName("D")->AsString(), r.d);
        CHECK_EQ(q->FieldByName("N")->AsString(), r.n);
        CHECK_EQ(q->FieldByName("TS")->AsString(), r.ts);
        CHECK_EQ(q->FieldByName("DT")->AsString(), r.dt);
        CHECK_EQ(q->FieldByName("TM")->AsString(), r.tm);
        CHECK(q->FieldByName("F")->AsFloat() == r.f);
        CHECK_EQ(q->FieldByName("F")->AsString(), r.f == 0.1 ? std::string("0.1") : std::string("1e-300"));
        CHECK_EQ(q->FieldByName("BO")->AsBoolean(), r.bo);
        CHECK(q->FieldByName("O")->AsBlob() == std::string("\0\xff\x80z", 4));
        q->Next();
    }
    CHECK(q->GetEof());
    // An exact numeric given as text and as an integer; a value read as typed.
    auto qn = Query(c, "select cast(:a as decimal(18,4)) + 1, cast(? as integer) from rdb$database");
    qn->SetParamCheck(false);
    qn->SetSQLText("select cast(? as decimal(18,4)) + 1, cast(? as integer) from rdb$database");
    qn->GetParams()->Add("").SetBCD("0.1");
    qn->GetParams()->Add("").SetInteger(-7);
    qn->Open();
    CHECK_EQ((*qn->GetFields())[0].AsString(), std::string("1.1000"));
    CHECK_EQ((*qn->GetFields())[1].AsInteger(), -7);
}

void Transactions(TKRVConnection& a, TKRVConnection& b) {
    Exec(a, "create table conn_tx (id integer)");
    auto count = [&](TKRVConnection& c, int id) {
        auto q = Query(c, "select count(*) from conn_tx where id = :id");
        q->ParamByName("id")->SetInteger(id);
        q->Open();
        return (*q->GetFields())[0].AsInteger();
    };
    // Outside a transaction every statement is committed on its own.
    CHECK(!a.InTransaction());
    Exec(a, "insert into conn_tx values (1)");
    CHECK_EQ(count(b, 1), 1);
    // Rolled back work is gone; uncommitted work is not seen by another connection.
    a.StartTransaction();
    CHECK(a.InTransaction());
    CHECK(!b.InTransaction());
    Exec(a, "insert into conn_tx values (2)");
    CHECK_EQ(count(a, 2), 1);
    CHECK_EQ(count(b, 2), 0);
    a.Rollback();
    CHECK(!a.InTransaction());
    CHECK_EQ(count(a, 2), 0);
    // Committed work is seen.
    a.StartTransaction();
    Exec(a, "insert into conn_tx values (3)");
    CHECK_EQ(count(b, 3), 0);
    a.Commit();
    CHECK(!a.InTransaction());
    CHECK_EQ(count(b, 3), 1);
    // Transaction calls out of order are errors.
    ExpectError([&] { a.Commit(); }, "No active transaction");
    ExpectError([&] { a.Rollback(); }, "No active transaction");
    a.StartTransaction();
    ExpectError([&] { a.StartTransaction(); }, "already active");
    // A failed statement inside the transaction leaves it and its earlier work usable.
    Exec(a, "insert into conn_tx values (4)");
    ExpectError([&] { Exec(a, "insert into conn_tx values ('x')"); }, "conversion error");
    CHECK(a.InTransaction());
    a.Commit();
    CHECK_EQ(count(b, 4), 1);
    // A result being read when its transaction ends is closed, not left dangling.
    a.StartTransaction();
    auto q = Query(a, "select id from conn_tx");
    q->Open();
    CHECK(!q->GetEof());
    a.Commit();
    CHECK(!q->GetQueryActive());
}

void Failures(const Target& t, const std::string& path, bool server) {
    // Syntax error in a query: the server's message.
    {
        auto c = MakeConnection(t, path);
        CHECK(c->Connect());
        ExpectError([&] { Exec(*c, "selct 1 from rdb$database"); }, "Token unknown");
        ExpectError([&] { Exec(*c, "select * from conn_no_such_table"); }, "CONN_NO_SUCH_TABLE");
        auto q = Query(*c, "select 1 from rdb$database where 1 = ?");
        ExpectError([&] {
            q->SetParamCheck(false);
            q->Open();
        }, "The statement has 1 parameters, 0 given.");
    }
    // Missing database.
    {
        auto c = MakeConnection(t, path + ".missing.fdb");
        messages.clear();
        CHECK(!c->Connect());
        CHECK(!c->GetConnected());
        CHECK(!c->GetLastError().empty());
        CHECK(c->GetLastError().find("I/O error") != std::string::npos ||
              c->GetLastError().find("No such file") != std::string::npos);
        CHECK(!messages.empty());
        for (const auto& m : messages) CHECK(m.find("Server version") == std::string::npos);
    }
    if (!server) return;
    // Wrong password.
    {
        Target w = t;
        w.password = "Wr0ng-" + t.password + "-pw";
        auto c = MakeConnection(w, path);
        messages.clear();
        CHECK(!c->Connect());
        CHECK(!c->GetConnected());
        CHECK(c->GetLastError().find("user name and password are not defined") != std::string::npos);
        for (const auto& m : messages) CHECK(m.find(w.password) == std::string::npos);
    }
    // Refused port.
    {
        Target r = t;
        r.port = 1;
        auto c = MakeConnection(r, path);
        CHECK(!c->Connect());
        CHECK(!c->GetConnected());
        CHECK(c->GetLastError().find("Unable to complete network request") != std::string::npos);
        std::unique_ptr<TKRVQuery> q(c->CreateQuery(nullptr));
        q->SetSQLText("select 1 from rdb$database");
        ExpectError([&] { q->Open(); }, "Not connected");
    }
}

// The attachment is killed by another connection while a result is being read: the reader
// gets the server's message and no longer reports itself connected.
void LostConnection(const Target& t, const std::string& path) {
    auto victim = MakeConnection(t, path);
    auto killer = MakeConnection(t, path);
    CHECK(victim->Connect());
    CHECK(killer->Connect());
    auto id = Query(*victim, "select current_connection from rdb$database");
    id->Open();
    const std::int64_t attachment = (*id->GetFields())[0].AsInteger();
    auto q = Query(*victim, "select a.rdb$relation_id from rdb$relations a, rdb$relations b, rdb$relations c");
    q->Open();
    CHECK(!q->GetEof());
    auto kill = Query(*killer, "delete from mon$attachments where mon$attachment_id = :id");
    kill->ParamByName("id")->SetInteger(attachment);
    kill->ExecSQL();
    std::string message;
    try {
        while (!q->GetEof()) q->Next();
    } catch (const EKrvError& e) {
        message = e.what();
    }
    CHECK(message.find("connection shutdown") != std::string::npos);
    CHECK(!victim->GetConnected());
    CHECK(!q->GetQueryActive());
    CHECK_EQ(victim->TestConnectInfo(true), std::string());
    ExpectError([&] { Exec(*victim, "select 1 from rdb$database"); }, "Not connected");
    // It connects again.
    CHECK(victim->Connect());
    Exec(*victim, "select 1 from rdb$database");
}

void Dialect1(const Target& t, const std::string& path) {
    auto c = MakeConnection(t, path);
    c->GetIBServerOptions().SetSQLDialect(1);
    CHECK(c->CreateDatabase());
    CHECK(c->Connect());
    CHECK_EQ(c->GetIBServerOptions().GetIBDatabaseOptions().GetDBSQLDialect(), 1);
    // In dialect 1 DATE holds a time of day and "..." is a string.
    auto q = Query(*c, "select cast('2024-01-02 03:04:05' as date), \"txt\" from rdb$database");
    q->Open();
    CHECK_EQ((*q->GetFields())[0].AsString(), std::string("2024-01-02 03:04:05"));
    CHECK_EQ((*q->GetFields())[1].AsString(), std::string("txt"));
    q.reset();
    Exec(*c, "create table conn_ch (c char(3) character set utf8, f char(2) character set unicode_fss)");
    Exec(*c, "insert into conn_ch values ('\xC3\xA9', 'a')");
    q = Query(*c, "select c, f from conn_ch");
    q->Open();
    CHECK_EQ((*q->GetFields())[0].AsString(), std::string("\xC3\xA9  "));
    CHECK_EQ((*q->GetFields())[1].AsString(), std::string("a "));
    q.reset();
    CHECK(c->DropDatabase());
    CHECK(!c->GetConnected());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: connect_firebird_live server|embedded SCRATCH-DIR\n";
        return 2;
    }
    if (!std::getenv("DBTWIN_TEST_FIREBIRD")) {
        std::cout << "SKIPPED: DBTWIN_TEST_FIREBIRD is not set\n";
        return 77;
    }
    const bool server = std::string(argv[1]) == "server";
    auto env = Env();
    RegisterFirebirdConnection();
    Target t;
    t.user = env["user"];
    t.password = env["password"];
    secret = t.password;
    std::string dir;
    if (server) {
        t.host = env.count("host") ? env["host"] : "127.0.0.1";
        t.port = env.count("port") ? std::atoi(env["port"].c_str()) : 0;
        dir = env["dir"];
    } else {
        dir = argv[2];
        std::filesystem::create_directories(dir);
    }
    const std::string tag = std::to_string(getpid());
    const std::string path = dir + "/conn_live_" + tag + ".fdb";
    const std::string path1 = dir + "/conn_live_d1_" + tag + ".fdb";

    try {
        auto c = MakeConnection(t, path);
        CHECK(c->CreateDatabase());
        CHECK(c->Connect());
        const std::string info = c->TestConnectInfo(false);
        std::cout << info;
        CHECK(info.find("ODS version   : 12.0\r\n") != std::string::npos);
        CHECK(info.find("SQL Dialect   : 3\r\n") != std::string::npos);
        CHECK(c->TestConnectInfo(true).find("Firebird 3.0") != std::string::npos);
        CHECK_EQ(c->GetIBServerOptions().GetIBDatabaseOptions().GetODSMajorVersion(), 12);
        RoundTrip(*c);
        auto second = MakeConnection(t, path);
        CHECK(second->Connect());
        Transactions(*c, *second);
        second.reset();
        Failures(t, path, server);
        LostConnection(t, path);
        Dialect1(t, path1);
        // Dropping the database while connected closes the connection; it is gone afterwards.
        CHECK(c->DropDatabase());
        CHECK(!c->GetConnected());
        auto gone = MakeConnection(t, path);
        CHECK(!gone->Connect());
    } catch (const std::exception& e) {
        ++failures;
        std::cerr << "unexpected error: " << e.what() << "\n";
    }
    // Whatever failed above, no database of this run stays behind.
    for (const auto& p : {path, path1}) {
        auto d = MakeConnection(t, p);
        d->OnErrorMessage = [](TObject*, const std::string&) {};
        d->DropDatabase();
    }
    for (const auto& m : messages)
        if (!secret.empty() && m.find(secret) != std::string::npos) {
            ++failures;
            std::cerr << "a message holds the password\n";
        }
    std::cout << (failures ? "FAILED" : "PASSED") << " (" << failures << " failures)\n";
    return failures ? 1 : 0;
}
