// The PostgreSQL and MySQL/MariaDB connections of the cnZEOS kind against real servers.
// Usage: connect_zeos_live postgres|mysql|both (both: one connection to each on the one kind)
// Reads DBTWIN_TEST_POSTGRES or DBTWIN_TEST_MYSQL ("host=... port=... user=... password=...");
// exits 77 (skipped) when it is not set. Its databases are named pgmy_* and dropped again.
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "connect/krvDBEngine.h"
#include "connect/zeos/krvConnection_Zeos.h"

using namespace dbtwin;

namespace {

int failures = 0;
std::string secret;
std::vector<std::string> messages;

#define CHECK(cond)                                                                       \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            ++failures;                                                                   \
            std::cerr << __FILE__ << ":" << __LINE__ << ": check failed: " #cond << "\n"; \
        }                                                                                 \
    } while (0)

#define CHECK_EQ(a, b)                                                                       \
    do {                                                                                     \
        auto va = (a);                                                                       \
        auto vb = (b);                                                                       \
        if (!(va == vb)) {                                                                   \
            ++failures;                                                                      \
            std::cerr << __FILE__ << ":" << __LINE__ << ": " #a " == " #b " failed: '" << va \
                      << "' vs '" << vb << "'\n";                                            \
        }                                                                                    \
    } while (0)

bool pg = true;

struct Target {
    std::string host, user, password;
    int port = 0;
};

std::unique_ptr<TKRVConnection> MakeConnection(const Target& t, const std::string& db) {
    auto c = std::make_unique<TKRVConnection>();
    c->SetDatabaseType(pg ? dbPostgreSQL : dbMySQL);
    c->SetConnectionType(cnZEOS);
    auto& o = c->GetConnectionOptions();
    o.SetHostName(t.host);
    o.SetPort(t.port);
    o.SetUserName(t.user);
    o.SetPassword(t.password);
    o.SetDatabaseName(db);
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

std::string Scalar(TKRVConnection& c, const std::string& sql) {
    auto q = Query(c, sql);
    q->Open();
    return q->GetEof() ? std::string("<eof>") : (*q->GetFields())[0].AsString();
}

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

const char* kEmoji = "emoji \xF0\x9F\x98\x80 end";

void RoundTrip(TKRVConnection& c) {
    Exec(c, pg ? "create table rt (id integer primary key, s varchar(100), b bytea, d decimal(38,10), "
                 "ts timestamp(6), f double precision, bo boolean)"
               : "create table rt (id integer primary key, s varchar(100) character set utf8mb4, b longblob, "
                 "d decimal(38,10), ts datetime(6), f double, bo boolean)");
    // Text, read back byte-equal; NULL stays NULL.
    const std::vector<std::pair<bool, std::string>> texts = {
        {true, ""}, {false, ""}, {false, "O'Brien"}, {false, "a\\b"}, {false, "5\" tv"},
        {false, ":x"}, {false, kEmoji}, {false, "--:y /* :z */ $$ ?"},
    };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto q = Query(c, "insert into rt (id, s) values (:id, :s)");
        q->ParamByName("id")->SetInteger(static_cast<std::int64_t>(i));
        if (texts[i].first) q->ParamByName("s")->Clear(ftString);
        else q->ParamByName("s")->SetString(texts[i].second);
        q->ExecSQL();
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto q = Query(c, "select s from rt where id = :id");
        q->ParamByName("id")->SetInteger(static_cast<std::int64_t>(i));
        q->Open();
        CHECK(!q->GetEof());
        CHECK_EQ(q->FieldByName("s")->IsNull(), texts[i].first);
        CHECK_EQ(q->FieldByName("s")->AsString(), texts[i].second);
    }
    // Literals holding quotes and colons are no markers.
    Exec(c, pg ? "insert into rt (id, s) values (20, 'O''Brien :x ' || '5\" tv' || E'\\\\')"
               : "insert into rt (id, s) values (20, concat('O\\'Brien :x ', '5\" tv', '\\\\'))");
    CHECK_EQ(Scalar(c, "select s from rt where id = 20"), std::string("O'Brien :x 5\" tv\\"));
    Exec(c, std::string("insert into rt (id, s) values (21, '") + kEmoji + "')");
    CHECK_EQ(Scalar(c, "select s from rt where id = 21"), std::string(kEmoji));

    // Bytes, decimal(38,10), timestamp(6), doubles, booleans.
    struct Row {
        int id;
        std::function<void(TKRVParam&)> set;
        const char* column;
        std::function<void(const TKRVField&)> check;
    };
    const std::string all = AllBytes(), mega = MegaBlob();
    const TKRVDateTime ts{2024, 2, 29, 13, 14, 15, 123456};
    const std::vector<Row> rows = {
        {30, [&](TKRVParam& p) { p.SetBlob(all); }, "b", [&](const TKRVField& f) { CHECK(f.AsBlob() == all); }},
        {31, [&](TKRVParam& p) { p.SetBlob(mega); }, "b", [&](const TKRVField& f) { CHECK(f.AsBlob() == mega); }},
        {32, [&](TKRVParam& p) { p.SetBlob(""); }, "b",
         [&](const TKRVField& f) { CHECK(!f.IsNull() && f.AsBlob().empty()); }},
        {33, [](TKRVParam& p) { p.SetBCD("1234567890123456789012345678.0123456789"); }, "d",
         [](const TKRVField& f) { CHECK_EQ(f.AsString(), std::string("1234567890123456789012345678.0123456789")); }},
        {34, [](TKRVParam& p) { p.SetBCD("-0.0000000001"); }, "d",
         [](const TKRVField& f) { CHECK_EQ(f.AsString(), std::string("-0.0000000001")); }},
        {35, [&](TKRVParam& p) { p.SetDateTime(ts); }, "ts", [&](const TKRVField& f) { CHECK(f.AsDateTime() == ts); }},
        {36, [](TKRVParam& p) { p.SetFloat(0.1); }, "f", [](const TKRVField& f) { CHECK_EQ(f.AsFloat(), 0.1); }},
        {37, [](TKRVParam& p) { p.SetFloat(1e-300); }, "f", [](const TKRVField& f) { CHECK_EQ(f.AsFloat(), 1e-300); }},
        {38, [](TKRVParam& p) { p.SetBoolean(true); }, "bo", [](const TKRVField& f) { CHECK(f.AsBoolean()); }},
        {39, [](TKRVParam& p) { p.SetBoolean(false); }, "bo",
         [](const TKRVField& f) { CHECK(!f.IsNull() && !f.AsBoolean()); }},
        {40, [](TKRVParam& p) { p.Clear(ftBlob); }, "b", [](const TKRVField& f) { CHECK(f.IsNull()); }},
    };
    for (const Row& r : rows) {
        auto q = Query(c, std::string("insert into rt (id, ") + r.column + ") values (:id, :v)");
        q->ParamByName("id")->SetInteger(r.id);
        r.set(*q->ParamByName("v"));
        q->ExecSQL();
        auto s = Query(c, std::string("select ") + r.column + " from rt where id = :id");
        s->ParamByName("id")->SetInteger(r.id);
        s->Open();
        CHECK(!s->GetEof());
        if (!s->GetEof()) r.check(*s->FieldByName(r.column));
    }
    // The double's text reads back to the same value.
    CHECK_EQ(Scalar(c, "select f from rt where id = 36"), std::string("0.1"));
    if (pg) {
        // A NUL in a text parameter is refused, not cut.
        auto q = Query(c, "insert into rt (id, s) values (41, :s)");
        q->ParamByName("s")->SetString(std::string("a\0b", 3));
        ExpectError([&] { q->ExecSQL(); }, "NUL");
        CHECK_EQ(Scalar(c, "select count(*) from rt where id = 41"), std::string("0"));
    }
}

// Transactions: rollback, commit, a second connection sees committed rows only, and the
// server's own transaction state.
void Transactions(TKRVConnection& c, TKRVConnection& other) {
    auto count = [&](TKRVConnection& x, int id) {
        return Scalar(x, "select count(*) from rt where id = " + std::to_string(id));
    };
    CHECK(!c.InTransaction());
    c.StartTransaction();
    CHECK(c.InTransaction());
    Exec(c, "insert into rt (id) values (200)");
    CHECK_EQ(count(c, 200), std::string("1"));
    CHECK_EQ(count(other, 200), std::string("0"));
    c.Rollback();
    CHECK(!c.InTransaction());
    CHECK_EQ(count(c, 200), std::string("0"));
    c.StartTransaction();
    Exec(c, "insert into rt (id) values (201)");
    CHECK_EQ(count(other, 201), std::string("0"));
    c.Commit();
    CHECK_EQ(count(other, 201), std::string("1"));
    // A statement outside a transaction is committed at once.
    Exec(c, "insert into rt (id) values (202)");
    CHECK_EQ(count(other, 202), std::string("1"));
    ExpectError([&] { c.Commit(); }, "No active transaction");
    if (pg) {
        // After an error the server rolls the transaction back: Commit fails.
        c.StartTransaction();
        Exec(c, "insert into rt (id) values (203)");
        ExpectError([&] { Exec(c, "insert into rt (id) values (203)"); }, "duplicate key");
        CHECK(c.InTransaction());
        ExpectError([&] { c.Commit(); }, "rolled it back");
        CHECK(!c.InTransaction());
        CHECK_EQ(count(other, 203), std::string("0"));
        // A held cursor whose query closes in a failed transaction is closed after it.
        auto held = Query(c, "select g from generate_series(1, 100000) g");
        held->Open();
        c.StartTransaction();
        ExpectError([&] { Exec(c, "selec 1"); }, "syntax error");
        held->Close();
        c.Rollback();
        CHECK_EQ(Scalar(c, "select string_agg(statement, ';') from pg_cursors where statement not like '%pg_cursors%'"), std::string(""));
    } else {
        // DDL commits implicitly: the server's state says so, and Rollback cannot undo it.
        c.StartTransaction();
        Exec(c, "insert into rt (id) values (203)");
        Exec(c, "create table rt_ddl (i integer)");
        CHECK(!c.InTransaction());
        CHECK_EQ(count(other, 203), std::string("1"));
        ExpectError([&] { c.Rollback(); }, "already committed");
        c.StartTransaction();
        Exec(c, "insert into rt (id) values (204)");
        Exec(c, "drop table rt_ddl");
        c.Commit();  // the work is committed: no error
        CHECK_EQ(count(other, 204), std::string("1"));
        // A failed statement keeps the transaction; its earlier work is rolled back.
        c.StartTransaction();
        Exec(c, "insert into rt (id) values (205)");
        ExpectError([&] { Exec(c, "insert into rt (id) values (205)"); }, "Duplicate entry");
        CHECK(c.InTransaction());
        c.Rollback();
        CHECK_EQ(count(other, 205), std::string("0"));
    }
}

// A second statement while a streamed result is open, in and out of a transaction.
void Nested(TKRVConnection& c, bool aInTransaction) {
    const int n = 100000;
    const std::string series = pg ? "select g from generate_series(1, 100000) g"
                                  : "select seq as g from seq_1_to_100000";
    if (aInTransaction) c.StartTransaction();
    auto q = Query(c, series);
    q->Open();
    int rows = 0;
    long long sum = 0;
    while (!q->GetEof()) {
        sum += q->FieldByName("g")->AsInteger();
        ++rows;
        if (rows % 25000 == 1) {
            auto ins = Query(c, "insert into rt (id) values (:id)");
            ins->ParamByName("id")->SetInteger(1000000 + rows + (aInTransaction ? 1 : 0));
            ins->ExecSQL();
            CHECK_EQ(Scalar(c, "select count(*) from rt where id = " + std::to_string(1000000 + rows + (aInTransaction ? 1 : 0))),
                     std::string("1"));
        }
        q->Next();
    }
    CHECK_EQ(rows, n);
    CHECK_EQ(sum, static_cast<long long>(n) * (n + 1) / 2);
    if (aInTransaction) c.Commit();
    if (pg && !aInTransaction) {
        // A result read in single-row mode (no cursor): parked in memory when another
        // statement comes.
        auto r = Query(c, "insert into rt (id) select g from generate_series(500, 509) g returning id");
        r->Open();
        int got = 0;
        while (!r->GetEof()) {
            CHECK_EQ(Scalar(c, "select count(*) from rt where id = " + r->FieldByName("id")->AsString()),
                     std::string("1"));
            ++got;
            r->Next();
        }
        CHECK_EQ(got, 10);
    }
}

// Failures give the server's message and never a connection.
void Failures(const Target& t, const std::string& db) {
    struct Case {
        const char* what;
        std::function<void(Target&, std::string&)> change;
        std::string text;
    };
    std::vector<Case> cases = {
        {"refused port", [](Target& x, std::string&) { x.port = 1; }, pg ? "refused" : "Can't connect"},
        {"missing database", [](Target&, std::string& d) { d = "pgmy_missing_db"; },
         pg ? "does not exist" : "Unknown database"},
    };
    if (pg)  // the test server trusts every local login: an unknown role stands for a bad login
        cases.push_back({"unknown role", [](Target& x, std::string&) { x.user = "pgmy_nobody"; }, "pgmy_nobody"});
    else
        cases.push_back({"wrong password", [](Target& x, std::string&) { x.password = "Wr0ng-pw"; }, "Access denied"});
    for (const Case& k : cases) {
        Target x = t;
        std::string d = db;
        k.change(x, d);
        auto c = MakeConnection(x, d);
        messages.clear();
        const bool ok = c->Connect();
        if (ok || c->GetConnected()) {
            ++failures;
            std::cerr << k.what << ": connected\n";
        }
        if (c->GetLastError().find(k.text) == std::string::npos) {
            ++failures;
            std::cerr << k.what << ": message lacks '" << k.text << "': " << c->GetLastError() << "\n";
        }
        for (const auto& m : messages) {
            if (m.find("Wr0ng-pw") != std::string::npos || (!secret.empty() && m.find(secret) != std::string::npos)) {
                ++failures;
                std::cerr << k.what << ": a password in a message\n";
            }
            if (m.find("Server version") != std::string::npos) {
                ++failures;
                std::cerr << k.what << ": a success line: " << m << "\n";
            }
        }
    }
}

// The server ends the session in the middle of a result: an error, then not connected.
void Killed(const Target& t, const std::string& db) {
    auto victim = MakeConnection(t, db);
    auto killer = MakeConnection(t, db);
    CHECK(victim->Connect() && killer->Connect());
    const std::string id = Scalar(*victim, pg ? "select pg_backend_pid()" : "select connection_id()");
    victim->StartTransaction();
    auto q = Query(*victim, pg ? "select g from generate_series(1, 5000000) g" : "select seq from seq_1_to_5000000");
    q->Open();
    q->Next();
    auto kill = Query(*killer, pg ? "select pg_terminate_backend(:pid)" : "kill " + id);
    if (pg) kill->ParamByName("pid")->SetInteger(std::stoll(id));
    pg ? kill->Open() : kill->ExecSQL();
    ExpectError(
        [&] {
            while (!q->GetEof()) q->Next();
        },
        pg ? "connection" : "");
    CHECK(!victim->GetConnected());
    CHECK(!victim->InTransaction());
    ExpectError([&] { victim->Commit(); }, "");
}

Target ReadTarget(const char* aEnvText) {
    std::map<std::string, std::string> env;
    std::istringstream in(aEnvText);
    for (std::string kv; in >> kv;)
        if (auto eq = kv.find('='); eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
    Target t;
    t.host = env.count("host") ? env["host"] : "127.0.0.1";
    t.port = env.count("port") ? std::atoi(env["port"].c_str()) : 0;
    t.user = env["user"];
    t.password = env["password"];
    return t;
}

// One PostgreSQL and one MariaDB connection on the one kind: each creates, uses and drops its
// own database, and each failure reaches its own connection only.
int Both() {
    const char* pgEnv = std::getenv("DBTWIN_TEST_POSTGRES");
    const char* myEnv = std::getenv("DBTWIN_TEST_MYSQL");
    if (!pgEnv || !myEnv) {
        std::cout << "SKIPPED: DBTWIN_TEST_POSTGRES or DBTWIN_TEST_MYSQL is not set\n";
        return 77;
    }
    RegisterZeosConnection();
    const Target tp = ReadTarget(pgEnv), tm = ReadTarget(myEnv);
    secret = tm.password.empty() ? tp.password : tm.password;
    const std::string tag = std::to_string(getpid());
    const std::string dbp = "pgmy_both_pg_" + tag, dbm = "pgmy_both_my_" + tag;
    pg = true;
    auto p = MakeConnection(tp, dbp);
    pg = false;
    auto m = MakeConnection(tm, dbm);
    std::vector<std::string> pgErrors, myErrors;
    p->OnErrorMessage = [&](TObject*, const std::string& e) { pgErrors.push_back(e); };
    m->OnErrorMessage = [&](TObject*, const std::string& e) { myErrors.push_back(e); };
    try {
        CHECK(p->CreateDatabase());
        CHECK(m->CreateDatabase());
        CHECK(p->Connect());
        CHECK(m->Connect());
        CHECK_EQ(Scalar(*p, "select current_database()"), dbp);
        CHECK_EQ(Scalar(*m, "select database()"), dbm);
        CHECK_EQ(Scalar(*p, "select 'a' || 'b'"), std::string("ab"));       // PostgreSQL's ||
        CHECK_EQ(Scalar(*m, "select concat('a', 'b')"), std::string("ab"));
        // Creating a database that exists: the error goes to that connection alone.
        CHECK(!m->CreateDatabase());
        CHECK_EQ(pgErrors.size(), std::size_t(0));
        CHECK(!myErrors.empty() && myErrors.back().find("database exists") != std::string::npos);
        CHECK(!p->CreateDatabase());
        CHECK(!pgErrors.empty() && pgErrors.back().find("already exists") != std::string::npos);
        CHECK(p->DropDatabase());
        CHECK(m->DropDatabase());
    } catch (const std::exception& e) {
        ++failures;
        std::cerr << "unexpected error: " << e.what() << "\n";
        p->DropDatabase();
        m->DropDatabase();
    }
    std::cout << (failures ? "FAILED" : "OK") << " (" << failures << " failures)\n";
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: connect_zeos_live postgres|mysql\n";
        return 2;
    }
    if (std::string(argv[1]) == "both") return Both();
    pg = std::string(argv[1]) == "postgres";
    const char* envName = pg ? "DBTWIN_TEST_POSTGRES" : "DBTWIN_TEST_MYSQL";
    const char* envText = std::getenv(envName);
    if (!envText) {
        std::cout << "SKIPPED: " << envName << " is not set\n";
        return 77;
    }
    std::map<std::string, std::string> env;
    std::istringstream in(envText);
    for (std::string kv; in >> kv;)
        if (auto eq = kv.find('='); eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
    RegisterZeosConnection();
    Target t;
    t.host = env.count("host") ? env["host"] : "127.0.0.1";
    t.port = env.count("port") ? std::atoi(env["port"].c_str()) : 0;
    t.user = env["user"];
    t.password = env["password"];
    secret = t.password;
    const std::string tag = std::to_string(getpid());
    const std::string db = "pgmy_conn_" + tag, latin = "pgmy_conn_l1_" + tag;
    try {
        auto c = MakeConnection(t, db);
        CHECK(c->CreateDatabase());
        CHECK(c->Connect());
        const std::string info = c->TestConnectInfo(true);
        std::cout << info << "\n";
        CHECK(info.find(pg ? "PostgreSQL 15" : "MySQL 10.11") == 0);
        auto other = MakeConnection(t, db);
        CHECK(other->Connect());
        RoundTrip(*c);
        Transactions(*c, *other);
        Nested(*c, false);
        Nested(*c, true);
        ExpectError([&] { Exec(*c, "selec 1"); }, pg ? "syntax error" : "SQL syntax");
        CHECK(c->GetConnected());
        CHECK_EQ(Scalar(*c, "select 1 + 1"), std::string("2"));
        Failures(t, db);
        Killed(t, db);
        if (!pg) {
            // An emoji into utf8mb4 in a latin1 database, as a literal and as a parameter.
            Exec(*c, "create database " + latin + " character set latin1");
            auto l = MakeConnection(t, latin);
            CHECK(l->Connect());
            Exec(*l, "create table t (id integer, s varchar(20) character set utf8mb4)");
            Exec(*l, std::string("insert into t values (1, '") + kEmoji + "')");
            auto q = Query(*l, "insert into t values (2, :s)");
            q->ParamByName("s")->SetString(kEmoji);
            q->ExecSQL();
            CHECK_EQ(Scalar(*l, "select s from t where id = 1"), std::string(kEmoji));
            CHECK_EQ(Scalar(*l, "select s from t where id = 2"), std::string(kEmoji));
            CHECK_EQ(Scalar(*l, "select hex(s) from t where id = 1"), std::string("656D6F6A6920F09F988020656E64"));
            l.reset();
            Exec(*c, "drop database " + latin);
        }
        other.reset();
        CHECK(c->DropDatabase());
        CHECK(!c->GetConnected());
        CHECK(!c->DropDatabase());  // gone: the server's message, no success
    } catch (const std::exception& e) {
        ++failures;
        std::cerr << "unexpected error: " << e.what() << "\n";
        auto d = MakeConnection(t, latin);
        if (!pg) d->DropDatabase();
        auto d2 = MakeConnection(t, db);
        d2->DropDatabase();
    }
    for (const auto& m : messages)
        if (!secret.empty() && m.find(secret) != std::string::npos) {
            ++failures;
            std::cerr << "a password in a message\n";
        }
    std::cout << (failures ? "FAILED" : "OK") << " (" << failures << " failures)\n";
    return failures ? 1 : 0;
}
