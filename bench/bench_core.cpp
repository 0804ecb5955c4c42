// Speed of the pieces every comparison leans on: filing and looking up objects, linking
// dependencies, scanning script text and rendering a script. Sizes are those of large
// schemas (thousands of objects) and long scripts.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "model/krvClasses.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Viw.h"
#include "objects/krvDBStructure.h"
#include "parse/krvParser.h"
#include "schema_gen.h"

using namespace dbtwin;

namespace {

std::string Name(const char* prefix, int i) { return prefix + std::to_string(i); }

// Files N tables of 10 columns each, then looks each table up once.
void BM_FileAndFindTables(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TCustomObjs set;
        set.SetDatabaseType(dbMSSQL);  // case-insensitive lists: the slower path
        for (int i = 0; i < n; ++i) {
            auto* t = new TTblData(&set);
            t->SetObjName(Name("TABLE_", (i * 7919) % n));
            for (int c = 0; c < 10; ++c) t->AddFld(Name("COL_", c));
            set.AddObj(t);
        }
        int found = 0;
        for (int i = 0; i < n; ++i) found += set.Tbl.Find(Name("table_", i)) != nullptr;
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FileAndFindTables)->Arg(1000)->Arg(10000);

// N views each using two tables and two of their columns; then every table is removed.
void BM_LinkAndRemoveDependencies(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TCustomObjs set;
        set.SetDatabaseType(dbPostgreSQL);
        std::vector<TTblData*> tables;
        for (int i = 0; i < n; ++i) {
            auto* t = new TTblData(&set);
            t->SetObjName(Name("t", i));
            t->AddFld("a");
            t->AddFld("b");
            set.AddObj(t);
            tables.push_back(t);
        }
        for (int i = 0; i < n; ++i) {
            auto* v = new TViwData(&set);
            v->SetObjName(Name("v", i));
            set.AddObj(v);
            for (TTblData* t : {tables[i], tables[(i + 1) % n]}) {
                set.LinkDepend(v, t);
                set.LinkDepend(v, t, "a");
            }
        }
        for (TTblData* t : tables) set.RemoveDepend(t);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LinkAndRemoveDependencies)->Arg(1000)->Arg(10000);

// Scans a script of N CREATE TABLE statements symbol by symbol.
void BM_ScanScript(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < state.range(0); ++i)
        text += "CREATE TABLE T" + std::to_string(i) +
                " (ID INTEGER NOT NULL, NAME VARCHAR(40) DEFAULT 'it''s', AMOUNT NUMERIC(18, 4));\r\n";
    struct Scanner : TCustomParser {
        Scanner() { BuildResWords(); }
    } p;
    for (auto _ : state) {
        p.AssignTxt(text);
        std::size_t symbols = 0;
        do {
            p.GetSy();
            ++symbols;
        } while (!p.Eof());
        benchmark::DoNotOptimize(symbols);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ScanScript)->Arg(10000);

// Adds N statements and renders the InterBase/Firebird script text.
void BM_RenderScript(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TSQLExec ex;
        ex.SetDatabaseType(dbInterBase);
        for (int i = 0; i < n; ++i) {
            if (i % 10 == 0)
                ex.Add("CREATE PROCEDURE P" + std::to_string(i) + "\r\nAS BEGIN END", stProcedure);
            else
                ex.Add("ALTER TABLE T ADD C" + std::to_string(i) + " INTEGER", stStatement);
        }
        std::vector<std::string> lines;
        ex.GetScript(lines, true);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RenderScript)->Arg(100000);

// Compares two schemas of N tables of 20 columns: a tenth of the tables differ (a column
// added, one dropped, one widened, one with a new default), a few are new or dropped.
void BM_CompareTables(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::size_t statements = 0;
    for (auto _ : state) {
        TDBStructure master, target;
        master.SetDatabaseType(dbPostgreSQL);
        target.SetDatabaseType(dbPostgreSQL);
        FillCompareTables(*master.GetObjs(), n, true);
        FillCompareTables(*target.GetObjs(), n, false);
        TKeldar keldar;
        keldar.SetDBStructureMaster(&master);
        keldar.SetDBStructureTarget(&target);
        TSQLExec exec;
        keldar.SetSQLExec(&exec);
        keldar.CompareDatabases();
        statements = static_cast<std::size_t>(exec.GetStatementsCount());
        benchmark::DoNotOptimize(statements);
    }
    state.counters["statements"] = static_cast<double>(statements);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CompareTables)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
