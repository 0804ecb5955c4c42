// Records a replay fixture from the Firebird server and replays it: the rows, parameters and
// server version the replay kind gives back must equal what the server gave.
// Usage: connect_replay_record_live SCRATCH-DIR
// Reads DBTWIN_TEST_FIREBIRD ("host=... port=... user=... password=... dir=..."); exits 77
// (skipped) when it is not set. Its database is named conn_replay_* and dropped again.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "connect/firebird/krvConnection_Firebird.h"
#include "connect/krvDBEngine.h"
#include "connect/replay/krvConnection_Replay.h"

using namespace dbtwin;

namespace {

int failures = 0;

#define CHECK(cond)                                                                       \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            ++failures;                                                                   \
            std::cerr << __FILE__ << ":" << __LINE__ << ": check failed: " #cond << "\n"; \
        }                                                                                 \
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

std::unique_ptr<TKRVQuery> Query(TKRVConnection& c, const std::string& sql) {
    std::unique_ptr<TKRVQuery> q(c.CreateQuery(nullptr));
    q->SetSQLText(sql);
    return q;
}

// Every row as "NAME=TYPE VALUE;..." lines.
std::vector<std::string> Rows(TKRVQuery& q) {
    std::vector<std::string> r;
    for (q.Open(); !q.GetEof(); q.Next()) {
        std::string line;
        for (std::size_t i = 0; i < q.GetFields()->Count(); ++i) {
            const TKRVField& f = (*q.GetFields())[i];
            line += f.GetFieldName() + "=" + ReplayParamText(f) + ";";
        }
        r.push_back(line);
    }
    return r;
}

// The statements both runs make; makeQuery gives a query of the connection under test.
template <class F>
std::vector<std::string> Run(F makeQuery) {
    std::vector<std::string> out;
    auto q = makeQuery();
    q->SetSQLText("select * from conn_replay where id >= :min order by id");
    for (int min : {0, 2}) {
        q->ParamByName("min")->SetInteger(min);
        for (auto& l : Rows(*q)) out.push_back(l);
        out.push_back("--");
    }
    q->SetSQLText("select rdb$relation_name as name, rdb$system_flag as sys from rdb$relations "
                  "where rdb$relation_name = :n");
    q->ParamByName("n")->SetString("CONN_REPLAY");
    for (auto& l : Rows(*q)) out.push_back(l);
    q->SetSQLText("update conn_replay set s = s where id = :id");
    q->ParamByName("id")->SetInteger(1);
    q->ExecSQL();
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: connect_replay_record_live SCRATCH-DIR\n";
        return 2;
    }
    if (!std::getenv("DBTWIN_TEST_FIREBIRD")) {
        std::cout << "SKIPPED: DBTWIN_TEST_FIREBIRD is not set\n";
        return 77;
    }
    RegisterFirebirdConnection();
    RegisterReplayConnection();
    auto env = Env();
    const std::string scratch = argv[1];
    std::filesystem::create_directories(scratch);
    const std::string path = env["dir"] + "/conn_replay_" + std::to_string(getpid()) + ".fdb";
    auto fb = std::make_unique<TKRVConnection>();
    fb->SetDatabaseType(dbInterBase);
    fb->SetConnectionType(cnIBX);
    fb->GetConnectionOptions().SetHostName(env.count("host") ? env["host"] : "127.0.0.1");
    fb->GetConnectionOptions().SetPort(env.count("port") ? std::atoi(env["port"].c_str()) : 0);
    fb->GetConnectionOptions().SetUserName(env["user"]);
    fb->GetConnectionOptions().SetPassword(env["password"]);
    fb->GetConnectionOptions().SetDatabaseName(path);
    fb->OnErrorMessage = [](TObject*, const std::string& m) { std::cerr << "firebird: " << m << "\n"; };
    try {
        CHECK(fb->CreateDatabase());
        CHECK(fb->Connect());
        Query(*fb,
              "create table conn_replay (id integer not null primary key, s varchar(40) character set utf8, "
              "b blob sub_type binary, m blob sub_type text character set utf8, d decimal(18,4), "
              "ts timestamp, dt date, tm time, f double precision, bo boolean)")
            ->ExecSQL();
        std::string bytes;
        for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
        for (int id : {1, 2, 3}) {
            auto q = Query(*fb, "insert into conn_replay values (:id, :s, :b, :m, :d, :ts, :dt, :tm, :f, :bo)");
            q->ParamByName("id")->SetInteger(id);
            if (id == 3) {  // NULL in every nullable column
                q->ExecSQL();
                continue;
            }
            q->ParamByName("s")->SetString(id == 1 ? "emoji \xF0\x9F\x98\x80 \"q\"\t" : "");
            q->ParamByName("b")->SetBlob(id == 1 ? bytes : std::string());
            q->ParamByName("m")->SetString("line 1\r\nline 2 \xE2\x82\xAC");
            q->ParamByName("d")->SetBCD(id == 1 ? "-12345678901234.5678" : "0.0001");
            q->ParamByName("ts")->SetDateTime(TKRVDateTime::Parse("2024-02-29 23:59:58.1234"), ftDateTime);
            q->ParamByName("dt")->SetDateTime(TKRVDateTime::Parse("0001-01-01"), ftDate);
            q->ParamByName("tm")->SetDateTime(TKRVDateTime::Parse("13:14:15.0001"), ftTime);
            q->ParamByName("f")->SetFloat(id == 1 ? 0.1 : 1e-300);
            q->ParamByName("bo")->SetBoolean(id == 1);
            q->ExecSQL();
        }

        TKRVReplayRecorder rec(*fb);
        const auto live = Run([&] { return rec.CreateQuery(); });
        const std::string fixture = scratch + "/firebird.replay";
        rec.Save(fixture);
        std::cout << rec.Text();

        TKRVConnection replay;
        replay.SetDatabaseType(dbInterBase);
        replay.SetConnectionType(ReplayConnectionType);
        replay.GetConnectionOptions().SetDatabaseName(fixture);
        replay.OnErrorMessage = [](TObject*, const std::string& m) { std::cerr << "replay: " << m << "\n"; };
        CHECK(replay.Connect());
        CHECK(replay.TestConnectInfo(true) == fb->TestConnectInfo(true));
        CHECK(replay.TestConnectInfo(true).find("Firebird 3.0") != std::string::npos);
        const auto replayed = Run([&] { return std::unique_ptr<TKRVQuery>(replay.CreateQuery(nullptr)); });
        CHECK(live.size() == 8);  // three rows, two rows, the catalog row, and two separators
        CHECK(replayed == live);
        if (replayed != live)
            for (std::size_t i = 0; i < std::max(live.size(), replayed.size()); ++i)
                std::cerr << (i < live.size() ? live[i] : "-") << "\n  vs " << (i < replayed.size() ? replayed[i] : "-")
                          << "\n";
        // A value the server was not asked for has no answer.
        auto q = Query(replay, "select * from conn_replay where id >= :min order by id");
        q->ParamByName("min")->SetInteger(5);
        bool failed = false;
        try {
            q->Open();
        } catch (const EKrvError& e) {
            failed = std::string(e.what()).find("no recorded answer for") != std::string::npos;
        }
        CHECK(failed);
        CHECK(fb->DropDatabase());
    } catch (const std::exception& e) {
        ++failures;
        std::cerr << "unexpected error: " << e.what() << "\n";
        fb->OnErrorMessage = [](TObject*, const std::string&) {};
        fb->DropDatabase();
    }
    std::cout << (failures ? "FAILED" : "PASSED") << " (" << failures << " failures)\n";
    return failures ? 1 : 0;
}
