// One comparison of two generated schemas of N tables (default 10,000), timed by phase:
// building both sets, comparing them into a script, freeing everything; then the peak
// resident size of the process. One run, no repetitions: the figure a user waits for.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvDBStructure.h"
#include "schema_gen.h"

using namespace dbtwin;

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 10000;
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double, std::milli>(b - a).count();
    };
    const auto t0 = Clock::now();
    auto master = std::make_unique<TDBStructure>();
    auto target = std::make_unique<TDBStructure>();
    master->SetDatabaseType(dbPostgreSQL);
    target->SetDatabaseType(dbPostgreSQL);
    FillCompareTables(*master->GetObjs(), n, true);
    FillCompareTables(*target->GetObjs(), n, false);
    const auto t1 = Clock::now();
    auto exec = std::make_unique<TSQLExec>();
    {
        TKeldar keldar;
        keldar.SetDBStructureMaster(master.get());
        keldar.SetDBStructureTarget(target.get());
        keldar.SetSQLExec(exec.get());
        keldar.CompareDatabases();
    }
    const auto t2 = Clock::now();
    const int statements = exec->GetStatementsCount();
    exec.reset();
    master.reset();
    target.reset();
    const auto t3 = Clock::now();
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("tables %d  statements %d  build %.0f ms  compare %.0f ms  free %.0f ms  total %.0f ms  peak %.0f MB\n",
                n, statements, ms(t0, t1), ms(t1, t2), ms(t2, t3), ms(t0, t3), ru.ru_maxrss / 1024.0);
    return 0;
}
