// Reading and comparing two large Firebird DDL scripts the way `dbtwin compare` does: two
// script extractors (TIBScriptExtract) read a generated master and target of N tables from
// files, the comparer links them and writes the migration script. Timed by phase, with the
// peak resident size of the process.
//
//   bench_ib_scripts [N...] [--keep DIR]      (N: tables, 100 or more)
//
// Without N it runs 1,000 and 10,000 tables. Each size runs in a fresh process (the program
// runs itself), so each peak is that size's own. --keep writes the scripts into DIR and keeps
// them (for timing the command end to end); otherwise they go to a temporary folder that is
// removed. The run fails (exit 1) when a script reads with an error, when the objects read are
// not those generated, or when the comparison writes nothing: the figures then do not measure
// the intended work.
#include <sys/resource.h>
#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "extract/krvIBScriptExtract.h"
#include "ib_script_gen.h"
#include "model/krvClasses.h"
#include "objects/krvDBStructure.h"

using namespace dbtwin;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// A moment by the wall clock and by the process's CPU time: on a busy machine the CPU time
// is the steadier figure of the two.
struct TStamp {
    Clock::time_point Wall;
    double Cpu = 0;  // ms
    static TStamp Now() {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return {Clock::now(), ts.tv_sec * 1e3 + ts.tv_nsec / 1e6};
    }
};

// "wall ms (cpu ms)" of the span from a to b.
std::string Span(const TStamp& a, const TStamp& b) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%6.0f (%6.0f)", Ms(a.Wall, b.Wall), b.Cpu - a.Cpu);
    return buf;
}

constexpr std::uint64_t kSeed = 20261211;

std::string MasterPath(const fs::path& dir, int n) { return (dir / ("master_" + std::to_string(n) + ".sql")).string(); }
std::string TargetPath(const fs::path& dir, int n) { return (dir / ("target_" + std::to_string(n) + ".sql")).string(); }
std::string CountsPath(const fs::path& dir, int n) { return (dir / ("counts_" + std::to_string(n) + ".txt")).string(); }

// The object counts of both scripts, kept next to them: the measuring process reads them
// instead of generating the texts again (which would leave their memory in its peak).
bool WriteCounts(const std::string& path, const benchgen::TIBScriptCounts (&c)[2]) {
    std::ofstream out(path, std::ios::trunc);
    for (const auto& k : c)
        out << k.Tables << ' ' << k.Views << ' ' << k.Procedures << ' ' << k.Triggers << ' ' << k.Generators << ' '
            << k.Exceptions << ' ' << k.Domains << ' ' << k.Indices << '\n';
    out.close();
    return static_cast<bool>(out);
}

bool ReadCounts(const std::string& path, benchgen::TIBScriptCounts (&c)[2]) {
    std::ifstream in(path);
    for (auto& k : c)
        in >> k.Tables >> k.Views >> k.Procedures >> k.Triggers >> k.Generators >> k.Exceptions >> k.Domains >> k.Indices;
    return static_cast<bool>(in);
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// A size line of /proc/self/status in MB (VmHWM: the peak resident size, VmRSS: the current
// one); 0 when there is no /proc.
double StatusMB(const char* aField) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(aField, 0) == 0) return std::atof(line.c_str() + std::strlen(aField)) / 1024.0;
    return 0;
}

// Peak resident size in MB (VmHWM; ru_maxrss when /proc is not there).
double PeakMB() {
    if (const double mb = StatusMB("VmHWM:"); mb > 0) return mb;
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0;
}

int ReportErrors(const char* side, const TMsgManager& msgs) {
    int errors = 0;
    for (std::size_t i = 0; i < msgs.Count(); ++i) {
        const TMsgData& m = msgs.Get(i);
        if (m.MsgType == mt_Inf) continue;
        if (m.MsgType == mt_Err) ++errors;
        if (errors <= 10)
            std::fprintf(stderr, "%s: %s:%d:%d: %s: %s\n", side, m.FileName.c_str(), m.PosY, m.PosX,
                         m.MsgType == mt_Err ? "error" : "warning", m.Msg.c_str());
    }
    return errors;
}

// The objects read must be those generated: a reader that skipped statements would make the
// figures meaningless.
bool CheckCounts(const char* side, TCustomObjs& o, const benchgen::TIBScriptCounts& c) {
    struct {
        const char* Kind;
        std::size_t Read;
        int Written;
    } rows[] = {{"tables", o.Tbl.Count(), c.Tables},       {"views", o.Viw.Count(), c.Views},
                {"procedures", o.Prc.Count(), c.Procedures}, {"triggers", o.Trg.Count(), c.Triggers},
                {"generators", o.Gnr.Count(), c.Generators}, {"exceptions", o.Exc.Count(), c.Exceptions},
                {"domains", o.Dmn.Count(), c.Domains}};
    bool ok = true;
    for (const auto& r : rows)
        if (r.Read != static_cast<std::size_t>(r.Written)) {
            std::fprintf(stderr, "%s: read %zu %s, the script has %d\n", side, r.Read, r.Kind, r.Written);
            ok = false;
        }
    if (o.Idx.Count() < static_cast<std::size_t>(c.Indices)) {
        std::fprintf(stderr, "%s: read %zu indices, the script has at least %d\n", side, o.Idx.Count(), c.Indices);
        ok = false;
    }
    return ok;
}

// One measured run over scripts already written to dir.
int Measure(int n, const fs::path& dir) {
    benchgen::TIBScriptCounts counts[2];
    if (!ReadCounts(CountsPath(dir, n), counts)) {
        std::fprintf(stderr, "cannot read %s\n", CountsPath(dir, n).c_str());
        return 1;
    }
    const benchgen::TIBScriptCounts& mc = counts[0];
    const benchgen::TIBScriptCounts& tc = counts[1];
    const double peakBefore = PeakMB();
    double rssTarget = 0, rssRead = 0, rssCompared = 0;

    TStamp t0, tTargetEnd, tMasterStart, tMasterEnd, tLinked, tCompared;
    int statements = 0;
    std::size_t scriptBytes = 0;
    std::vector<std::string> missing;
    bool countsOk = true;
    int errors = 0;
    {
        TDBStructure master, target;
        master.SetDatabaseType(dbInterBase);
        target.SetDatabaseType(dbInterBase);
        TIBScriptExtract masterExtract, targetExtract;
        for (TIBScriptExtract* e : {&masterExtract, &targetExtract}) e->SetOnErrorMessage([](TObject*, const std::string&) {});
        masterExtract.SetDBStructure(&master);
        targetExtract.SetDBStructure(&target);
        masterExtract.SetScriptFileName(MasterPath(dir, n));
        targetExtract.SetScriptFileName(TargetPath(dir, n));

        TKeldar keldar;
        TSQLExec exec;
        keldar.SetSQLExec(&exec);
        keldar.OnErrorMessage = [](TObject*, const std::string&) {};
        keldar.SetDBStructureMaster(&master);
        keldar.SetDBStructureTarget(&target);
        keldar.SetExtractorMaster(&masterExtract);
        keldar.SetExtractorTarget(&targetExtract);
        keldar.GetIBCompareOptions().SetUseRECONNECT(false);
        // The comparer reads the target first, then the master, then links the two.
        keldar.OnAfterExtractTarget = [&](TObject*) {
            tTargetEnd = TStamp::Now();
            rssTarget = StatusMB("VmRSS:");
        };
        keldar.OnBeforeExtractMaster = [&](TObject*) { tMasterStart = TStamp::Now(); };
        keldar.OnAfterExtractMaster = [&](TObject*) { tMasterEnd = TStamp::Now(); };

        t0 = TStamp::Now();
        const bool extracted = keldar.ExtractDatabases();
        tLinked = TStamp::Now();
        rssRead = StatusMB("VmRSS:");
        errors += ReportErrors("read", keldar.GetMsgMngr());
        if (!extracted) ++errors;
        if (!errors) {
            keldar.CompareDatabases();
            tCompared = TStamp::Now();
            rssCompared = StatusMB("VmRSS:");
            errors += ReportErrors("compare", keldar.GetMsgMngr());
            statements = exec.GetStatementsCount();
            const std::string script = exec.GetScriptText();
            scriptBytes = script.size();
            // Changes the generator always makes: a script with only its header would not do.
            for (const char* change : {"ADDED_COL", "DROP TABLE T_", "CREATE TABLE T_", "CREATE VIEW V_", "ALTER PROCEDURE P_"})
                if (script.find(change) == std::string::npos) missing.push_back(change);
            countsOk = CheckCounts("master", *master.GetObjs(), mc) && CheckCounts("target", *target.GetObjs(), tc);
        }
    }
    const TStamp tFreed = TStamp::Now();
    if (errors) {
        std::fprintf(stderr, "tables %d: %d error(s) while reading or comparing\n", n, errors);
        return 1;
    }
    if (!countsOk) return 1;
    if (statements == 0 || scriptBytes == 0) {
        std::fprintf(stderr, "tables %d: the comparison wrote no script\n", n);
        return 1;
    }
    for (const std::string& m : missing) std::fprintf(stderr, "tables %d: the script lacks \"%s\"\n", n, m.c_str());
    if (!missing.empty()) return 1;
    std::printf("tables %6d, ms wall (cpu):  read target %s  read master %s  link %s  compare %s  "
                "read+compare %s  free %s  total %s\n"
                "              statements %d  script %zu KB  peak %.0f MB (resident: %.0f MB before reading, "
                "%.0f MB with the target read, %.0f MB with both, %.0f MB after comparing)\n",
                n, Span(t0, tTargetEnd).c_str(), Span(tMasterStart, tMasterEnd).c_str(), Span(tMasterEnd, tLinked).c_str(),
                Span(tLinked, tCompared).c_str(), Span(t0, tCompared).c_str(), Span(tCompared, tFreed).c_str(),
                Span(t0, tFreed).c_str(), statements, scriptBytes / 1024, PeakMB(), peakBefore, rssTarget, rssRead,
                rssCompared);
    std::fflush(stdout);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: bench_ib_scripts [N...] [--keep DIR]   (N: tables, 100 or more)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--measure" && i + 2 < argc) return Measure(std::atoi(argv[i + 1]), argv[i + 2]);
        if (a == "--keep" && i + 1 < argc) {
            keep = argv[++i];
            continue;
        }
        char* end = nullptr;
        const long v = std::strtol(a.c_str(), &end, 10);
        if (end == a.c_str() || *end || v < 100 || v > 1000000) return Usage();
        sizes.push_back(static_cast<int>(v));
    }
    if (sizes.empty()) sizes = {1000, 10000};

    fs::path dir;
    if (keep.empty()) {
        std::string tmpl = (fs::temp_directory_path() / "bench_ib_scripts.XXXXXX").string();
        if (!mkdtemp(tmpl.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        dir = tmpl;
    } else {
        dir = keep;
        fs::create_directories(dir);
    }

    int rc = 0;
    for (int n : sizes) {
        {
            const auto g0 = Clock::now();
            benchgen::TIBScriptCounts counts[2];
            const std::string m = benchgen::GenIBSchemaScript(n, true, kSeed, &counts[0]);
            const std::string t = benchgen::GenIBSchemaScript(n, false, kSeed, &counts[1]);
            if (!WriteFile(MasterPath(dir, n), m) || !WriteFile(TargetPath(dir, n), t) ||
                !WriteCounts(CountsPath(dir, n), counts)) {
                std::fprintf(stderr, "cannot write the scripts to %s\n", dir.c_str());
                rc = 1;
                break;
            }
            std::printf("tables %6d  scripts %.1f MB + %.1f MB written in %.0f ms\n", n, m.size() / 1048576.0,
                        t.size() / 1048576.0, Ms(g0, Clock::now()));
            std::fflush(stdout);
        }
        // A fresh process per size, so that each peak resident size is that size's own.
        const pid_t pid = fork();
        if (pid < 0) {
            std::perror("fork");
            rc = 1;
            break;
        }
        if (pid == 0) {
            const std::string ns = std::to_string(n);
            execl("/proc/self/exe", argv[0], "--measure", ns.c_str(), dir.c_str(), static_cast<char*>(nullptr));
            std::perror("exec");
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) rc = 1;
    }
    if (keep.empty()) {
        std::error_code ec;
        fs::remove_all(dir, ec);
    } else {
        std::printf("scripts kept in %s\n", dir.c_str());
    }
    return rc;
}
