// The live Firebird catalog extractor (TIBDBExtract) against the server's own extract
// (isql-fb -x) on the same database in the same run: a generated schema of N tables (the
// master script of ib_script_gen.h) is loaded into a database of the test server, then read
// by the extractor in a fresh process (wall time, CPU time and that process's peak resident
// size) and extracted by isql-fb -x (wall time).
//
//   bench_ib_live [N...] [--keep] [--isql-limit SECONDS]
//       (N: tables, 100 or more; default 1,000 and 10,000)
//
// The server comes from DBTWIN_TEST_FIREBIRD ("host=... port=... user=... password=...
// dir=..."); without it the benchmark says so and exits 0 (skipped). The databases are named
// fbx_bench_live_N.fdb in the server's folder; --keep leaves them for the next run, which
// reuses one that holds the generated number of tables instead of loading it again. The
// password goes to isql-fb through ISC_PASSWORD, never on a command line. The run fails
// (exit 1) when the load or either extraction fails or when the extractor read other counts
// than those generated. isql-fb -x runs under a time limit (600 s unless given): on the
// 10,000-table schema it takes far longer; the figure is then the limit, the ratio a lower
// bound, and the line says how many tables isql-fb had written by then.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "connect/firebird/krvConnection_Firebird.h"
#include "connect/krvIBDBExtract.h"
#include "ib_script_gen.h"
#include "model/krvClasses.h"
#include "objects/krvDBStructure.h"

using namespace dbtwin;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint64_t kSeed = 20261211;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double CpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Peak resident size in MB (VmHWM; ru_maxrss when /proc is not there).
double PeakMB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0;
}

struct TServer {
    std::string host = "127.0.0.1", port, user, password, dir;
    std::string Database(int n) const { return host + "/" + port + ":" + dir + "/fbx_bench_live_" + std::to_string(n) + ".fdb"; }
};

bool ReadServer(TServer& s) {
    const char* v = std::getenv("DBTWIN_TEST_FIREBIRD");
    if (!v || !*v) return false;
    std::istringstream in(v);
    std::map<std::string, std::string> kv;
    for (std::string item; in >> item;)
        if (const auto eq = item.find('='); eq != std::string::npos) kv[item.substr(0, eq)] = item.substr(eq + 1);
    if (!kv["host"].empty()) s.host = kv["host"];
    s.port = kv["port"];
    s.user = kv["user"];
    s.password = kv["password"];
    s.dir = kv["dir"];
    return !s.dir.empty();
}

// Runs a shell command with the server's credentials in the client's environment; its exit
// status (-1 when it did not run).
int Run(const TServer& s, const std::string& aCommand) {
    setenv("ISC_USER", s.user.c_str(), 1);
    setenv("ISC_PASSWORD", s.password.c_str(), 1);
    const int rc = std::system(aCommand.c_str());
    return rc == -1 ? -1 : WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string Quoted(const std::string& a) {
    std::string r = "'";
    for (char c : a) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

// The number of user tables of the database, -1 when it cannot be read.
int TableCount(const TServer& s, const std::string& db, const fs::path& tmp) {
    const fs::path out = tmp / "count.txt";
    const std::string sql = "SET LIST ON; SELECT COUNT(*) AS N FROM RDB$RELATIONS WHERE "
                            "COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NULL;";
    if (Run(s, "echo " + Quoted(sql) + " | isql-fb -q " + Quoted(db) + " >" + Quoted(out.string()) + " 2>/dev/null") != 0)
        return -1;
    std::ifstream in(out);
    for (std::string w; in >> w;)
        if (w == "N" && in >> w) return std::atoi(w.c_str());
    return -1;
}

// The extraction, in the process that measures it: prints "wall cpu peak tables views
// procedures triggers generators" on one line.
int Measure(const std::string& aDatabase) {
    TServer s;
    if (!ReadServer(s)) return 1;
    RegisterFirebirdConnection();
    const auto w0 = Clock::now();
    const double c0 = CpuMs();
    TDBStructure structure;
    structure.SetDatabaseType(dbInterBase);
    TKRVConnection connection;
    connection.SetDatabaseType(dbInterBase);
    connection.SetConnectionType(cnIBX);
    connection.GetConnectionOptions().SetDatabaseName(aDatabase);
    connection.GetConnectionOptions().SetUserName(s.user);
    connection.GetConnectionOptions().SetPassword(s.password);
    TIBDBExtract x;
    x.SetDBStructure(&structure);
    x.SetKRVConnection(&connection);
    int errors = 0;
    x.OnErrorMessage = [&errors](TObject*, const std::string& m) {
        if (++errors <= 10) std::fprintf(stderr, "extract: %s\n", m.c_str());
    };
    x.OnLogNextLine = [](TObject*, const std::string&) {};
    // The time of each step, to stderr (the step's caption comes as it starts).
    std::string step = "connect";
    auto stepStart = Clock::now();
    x.OnProgressUpdateEx = [&](TObject*, bool, const std::string& aText, int, int) {
        const auto now = Clock::now();
        std::fprintf(stderr, "  %-16s %7.0f ms\n", step.c_str(), Ms(stepStart, now));
        step = aText;
        stepStart = now;
    };
    const bool ok = x.ExtractDatabase();
    const double wall = Ms(w0, Clock::now()), cpu = CpuMs() - c0;
    if (!ok) return 1;
    TCustomObjs& o = *structure.GetObjs();
    std::printf("%.0f %.0f %.0f %zu %zu %zu %zu %zu\n", wall, cpu, PeakMB(), o.Tbl.Count(), o.Viw.Count(), o.Prc.Count(),
                o.Trg.Count(), o.Gnr.Count());
    return 0;
}

int Bench(const TServer& s, int n, bool keep, int isqlLimit, const fs::path& tmp) {
    benchgen::TIBScriptCounts counts;
    const std::string script = benchgen::GenIBSchemaScript(n, true, kSeed, &counts);
    const std::string db = s.Database(n);
    if (TableCount(s, db, tmp) != counts.Tables) {
        Run(s, "echo 'DROP DATABASE;' | isql-fb -q " + Quoted(db) + " >/dev/null 2>&1");
        const fs::path load = tmp / "load.sql";
        std::ofstream out(load, std::ios::binary | std::ios::trunc);
        out << "SET SQL DIALECT 3;\nCREATE DATABASE '" << db << "' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE;\n"
            << script << "\nCOMMIT;\n";
        out.close();
        const auto l0 = Clock::now();
        if (Run(s, "isql-fb -q -bail -i " + Quoted(load.string()) + " >" + Quoted((tmp / "load.log").string()) + " 2>&1") != 0) {
            std::fprintf(stderr, "tables %d: the generated script does not load; see %s\n", n, (tmp / "load.log").c_str());
            return 1;
        }
        std::printf("tables %6d  loaded with isql-fb in %.1f s (%.1f MB script)\n", n, Ms(l0, Clock::now()) / 1e3,
                    script.size() / 1048576.0);
        std::fflush(stdout);
    }

    // The extractor in a fresh process, so that the peak is its own.
    const fs::path result = tmp / "measure.txt";
    char self[4096] = {};
    const ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    if (len <= 0) return 1;
    if (Run(s, Quoted(self) + " --measure " + Quoted(db) + " >" + Quoted(result.string())) != 0) {
        std::fprintf(stderr, "tables %d: the extraction failed\n", n);
        return 1;
    }
    double wall = 0, cpu = 0, peak = 0;
    std::size_t tables = 0, views = 0, procedures = 0, triggers = 0, generators = 0;
    {
        std::ifstream in(result);
        in >> wall >> cpu >> peak >> tables >> views >> procedures >> triggers >> generators;
        if (!in) return 1;
    }
    if (tables != static_cast<std::size_t>(counts.Tables) || views != static_cast<std::size_t>(counts.Views) ||
        procedures != static_cast<std::size_t>(counts.Procedures) || triggers != static_cast<std::size_t>(counts.Triggers) ||
        generators != static_cast<std::size_t>(counts.Generators)) {
        std::fprintf(stderr, "tables %d: read %zu tables, %zu views, %zu procedures, %zu triggers, %zu generators; "
                     "generated %d, %d, %d, %d, %d\n", n, tables, views, procedures, triggers, generators, counts.Tables,
                     counts.Views, counts.Procedures, counts.Triggers, counts.Generators);
        return 1;
    }

    const fs::path extract = tmp / "isql_x.sql";
    const auto i0 = Clock::now();
    const int rc = Run(s, "timeout " + std::to_string(isqlLimit) + " isql-fb -x " + Quoted(db) + " >" +
                              Quoted(extract.string()) + " 2>/dev/null");
    const double isql = Ms(i0, Clock::now());
    if (rc == 124) {
        int written = 0;
        std::ifstream in(extract);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("CREATE TABLE ", 0) == 0) ++written;
        std::printf("tables %6d  extractor %8.0f ms wall (%8.0f ms cpu), peak %4.0f MB  |  isql-fb -x stopped after "
                    "%d s with %d of %d tables written  |  more than %.1fx faster\n",
                    n, wall, cpu, peak, isqlLimit, written, counts.Tables, isql / wall);
    } else if (rc != 0) {
        std::fprintf(stderr, "tables %d: isql-fb -x failed\n", n);
        return 1;
    } else {
        std::printf("tables %6d  extractor %8.0f ms wall (%8.0f ms cpu), peak %4.0f MB  |  isql-fb -x %9.0f ms (%.1f MB)  |  "
                    "%.1fx faster\n", n, wall, cpu, peak, isql, fs::file_size(extract) / 1048576.0, isql / wall);
    }
    std::fflush(stdout);
    if (!keep) Run(s, "echo 'DROP DATABASE;' | isql-fb -q " + Quoted(db) + " >/dev/null 2>&1");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--measure") == 0) return Measure(argv[2]);
    std::vector<int> sizes;
    bool keep = false;
    int isqlLimit = 600;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--keep") {
            keep = true;
            continue;
        }
        if (a == "--isql-limit" && i + 1 < argc) {
            isqlLimit = std::max(1, std::atoi(argv[++i]));
            continue;
        }
        char* end = nullptr;
        const long v = std::strtol(a.c_str(), &end, 10);
        if (end == a.c_str() || *end || v < 100 || v > 100000) {
            std::fprintf(stderr, "usage: bench_ib_live [N...] [--keep] [--isql-limit SECONDS]   (N: tables, 100 or more)\n");
            return 2;
        }
        sizes.push_back(static_cast<int>(v));
    }
    if (sizes.empty()) sizes = {1000, 10000};
    TServer s;
    if (!ReadServer(s)) {
        std::printf("SKIPPED: DBTWIN_TEST_FIREBIRD is not set (source build/test-servers/env.sh to name a Firebird server)\n");
        return 0;
    }
    std::string tmpl = (fs::temp_directory_path() / "bench_ib_live.XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path tmp = tmpl;
    int rc = 0;
    for (int n : sizes)
        if (Bench(s, n, keep, isqlLimit, tmp) != 0) rc = 1;
    std::error_code ec;
    if (rc == 0) fs::remove_all(tmp, ec);
    return rc;
}
