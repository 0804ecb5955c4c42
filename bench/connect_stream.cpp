// Streams ROWS rows of two columns (an integer and a text) through the PostgreSQL or the
// MySQL/MariaDB connection and prints the rate and the process's peak resident size. Run it
// with two row counts: the peak must not grow with the count. Every 500000 rows another
// statement runs on the same connection while the result is open.
// Usage: bench_connect_stream postgres|mysql ROWS
// Reads DBTWIN_TEST_POSTGRES or DBTWIN_TEST_MYSQL ("host=... port=... user=... password=...").
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "connect/krvDBEngine.h"
#include "connect/zeos/krvConnection_Zeos.h"

using namespace dbtwin;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: bench_connect_stream postgres|mysql ROWS\n";
        return 2;
    }
    const bool pg = std::string(argv[1]) == "postgres";
    const long long rows = std::atoll(argv[2]);
    const char* envText = std::getenv(pg ? "DBTWIN_TEST_POSTGRES" : "DBTWIN_TEST_MYSQL");
    if (!envText) {
        std::cerr << "the server's variable is not set\n";
        return 77;
    }
    std::map<std::string, std::string> env;
    std::istringstream in(envText);
    for (std::string kv; in >> kv;)
        if (auto eq = kv.find('='); eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
    RegisterZeosConnection();
    TKRVConnection c;
    c.SetDatabaseType(pg ? dbPostgreSQL : dbMySQL);
    c.SetConnectionType(cnZEOS);
    auto& o = c.GetConnectionOptions();
    o.SetHostName(env.count("host") ? env["host"] : "127.0.0.1");
    o.SetPort(env.count("port") ? std::atoi(env["port"].c_str()) : 0);
    o.SetUserName(env["user"]);
    o.SetPassword(env["password"]);
    o.SetDatabaseName(pg ? "postgres" : "mysql");
    c.OnErrorMessage = [](TObject*, const std::string& m) { std::cerr << m << "\n"; };
    if (!c.Connect()) return 1;
    std::unique_ptr<TKRVQuery> q(c.CreateQuery(nullptr));
    const std::string n = std::to_string(rows);
    q->SetSQLText(pg ? "select g, 'row ' || g as t from generate_series(1, " + n + ") g"
                     : "select seq as g, concat('row ', seq) as t from seq_1_to_" + n);
    const auto start = std::chrono::steady_clock::now();
    long long got = 0, sum = 0, nested = 0;
    std::size_t bytes = 0;
    try {
        q->Open();
        while (!q->GetEof()) {
            sum += (*q->GetFields())[0].AsInteger();
            bytes += (*q->GetFields())[1].AsString().size();
            ++got;
            // Another statement on the same connection while the result is open.
            if (got % 500000 == 0) {
                std::unique_ptr<TKRVQuery> side(c.CreateQuery(nullptr));
                side->SetSQLText("select 1");
                side->Open();
                if (side->GetEof()) return 1;
                ++nested;
            }
            q->Next();
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    const bool ok = got == rows && sum == rows * (rows + 1) / 2;
    std::cout << argv[1] << " rows=" << got << " seconds=" << secs << " rows_per_s=" << static_cast<long long>(got / secs)
              << " nested_statements=" << nested << " peak_rss_kb=" << ru.ru_maxrss << (ok ? "" : " WRONG RESULT") << "\n";
    return ok ? 0 : 1;
}
