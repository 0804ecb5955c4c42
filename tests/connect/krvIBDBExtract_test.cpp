#include "connect/krvIBDBExtract.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "connect/replay/krvConnection_Replay.h"
#include "objects/krvDBStructure.h"

using namespace dbtwin;

namespace {

constexpr std::int64_t kDdl = 2LL << 13;

std::int64_t Bits(std::initializer_list<int> aEvents) {
    std::int64_t v = kDdl;
    for (int e : aEvents) v |= 1LL << e;
    return v;
}

}  // namespace

TEST(IBDBExtractTest, DdlTriggerEvents) {
    // Every event bit a Firebird 3 DDL trigger may carry (bits 13 to 15 are the kind).
    std::initializer_list<int> all = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 16, 17, 18, 19,
                                      20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35,
                                      36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47};
    const struct {
        std::int64_t type;
        std::string text;
    } cases[] = {
        {Bits({1}), "CREATE TABLE"},
        {Bits({1}) | 1, "CREATE TABLE"},  // AFTER: the timing bit names no event
        {Bits({1, 2}), "CREATE TABLE OR ALTER TABLE"},
        {Bits({16, 47}), "CREATE EXCEPTION OR DROP MAPPING"},
        {Bits(all), "ANY DDL STATEMENT"},
        {Bits(all) | 1, "ANY DDL STATEMENT"},
        {0x7FFFFFFFFFFFDFFELL, "ANY DDL STATEMENT"},  // as the server stores BEFORE ANY DDL STATEMENT
        {kDdl, ""},                                   // no event: never an empty event text
        {Bits({48}), ""},                             // an event this reader does not know
        {Bits({1, 48}), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TIBDBExtract::DdlEventText(c.type), c.text) << c.type;
}

TEST(IBDBExtractTest, RunPreconditionsFail) {
    TDBStructure structure;
    TKRVConnection connection;
    const struct {
        bool withConnection, withType, withStructure;
        std::string message;
    } cases[] = {
        {false, false, true, "TIBDBExtract.ExtractDatabase(): Connection property not assigned."},
        {true, false, true, "TIBDBExtract.ExtractDatabase(): ConnectionType in Connection not specified."},
    };
    for (const auto& c : cases) {
        TIBDBExtract x;
        std::vector<std::string> errors;
        x.OnErrorMessage = [&errors](TObject*, const std::string& m) { errors.push_back(m); };
        if (c.withStructure) x.SetDBStructure(&structure);
        if (c.withConnection) x.SetKRVConnection(&connection);
        EXPECT_FALSE(x.ExtractDatabase());
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], c.message);
    }
}

TEST(IBDBExtractTest, ForgetsAFreedConnection) {
    TIBDBExtract x;
    {
        TKRVConnection connection;
        x.SetKRVConnection(&connection);
        EXPECT_EQ(x.GetKRVConnection(), &connection);
    }
    EXPECT_EQ(x.GetKRVConnection(), nullptr);
}

namespace {

std::string ReadFixture(const std::string& aName) {
    std::ifstream in(std::string(DBTWIN_FIXTURES_DIR) + "/ib_replay/" + aName, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TReplayRun {
    bool ok = false;
    std::vector<std::string> errors, log;
    std::size_t procedures = 0, udfs = 0;
};

// Extracts the catalog a replay fixture text answers.
TReplayRun ExtractReplay(const std::string& aText, const std::string& aName) {
    RegisterReplayConnection();
    const auto path = std::filesystem::path(::testing::TempDir()) /
                      ("dbtwin_ibreplay_" + std::to_string(getpid()) + "_" + aName + ".replay");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << aText;
    TDBStructure structure;
    TKRVConnection connection;
    connection.SetDatabaseType(dbInterBase);
    connection.SetConnectionType(ReplayConnectionType);
    connection.GetConnectionOptions().SetDatabaseName(path.string());
    TIBDBExtract x;
    x.SetDBStructure(&structure);
    x.SetKRVConnection(&connection);
    TReplayRun r;
    x.OnErrorMessage = [&r](TObject*, const std::string& m) { r.errors.push_back(m); };
    x.OnLogNextLine = [&r](TObject*, const std::string& m) { r.log.push_back(m); };
    r.ok = x.ExtractDatabase();
    r.procedures = structure.GetObjs()->Prc.Count();
    r.udfs = structure.GetObjs()->Udf.Count();
    std::filesystem::remove(path);
    return r;
}

bool Has(const std::vector<std::string>& aLines, const std::string& aText) {
    for (const std::string& l : aLines)
        if (l.find(aText) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(IBDBExtractTest, ExternalEngineRoutinesAreNeitherPsqlNorLegacyFunctions) {
    const TReplayRun r = ExtractReplay(ReadFixture("fb30_udr.replay"), "udr");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_EQ(r.procedures, 0u) << "a UDR routine read as a PSQL routine with an empty body";
    EXPECT_EQ(r.udfs, 0u) << "a UDR function read as DECLARE EXTERNAL FUNCTION";
    EXPECT_TRUE(Has(r.log, "Procedure PU of the external engine UDR is not compared."));
    EXPECT_TRUE(Has(r.log, "Function FU of the external engine UDR is not compared."));
}

TEST(IBDBExtractTest, AFailedCatalogQueryEndsTheRunWithItsStep) {
    const std::string fixture = ReadFixture("fb30_udr.replay");
    // The query of each step, left out of the fixture: the replayed connection answers it with
    // an error, as a server does a query it cannot run.
    const struct {
        const char* query;
        const char* step;
    } cases[] = {
        {"select c.rdb$collation_name,", "Collations"},
        {"select f.rdb$function_name, f.rdb$module_name,", "Functions"},
        {"select f.rdb$function_name, case when char_length(f.rdb$function_source)", "Procedures"},
        {"select p.rdb$user, p.rdb$grantor,", "Grants"},
    };
    for (const auto& c : cases) {
        const std::size_t at = fixture.find(std::string("-- query\n") + c.query);
        ASSERT_NE(at, std::string::npos) << c.query;
        const std::size_t next = fixture.find("-- query\n", at + 1);
        const std::string broken = fixture.substr(0, at) + (next == std::string::npos ? "" : fixture.substr(next));
        const TReplayRun r = ExtractReplay(broken, c.step);
        EXPECT_FALSE(r.ok) << c.step;
        ASSERT_EQ(r.errors.size(), 1u) << c.step;
        EXPECT_NE(r.errors[0].find(std::string("TIBDBExtract.ExtractDatabase(): ") + c.step + ": no recorded answer for: " +
                                   c.query),
                  std::string::npos)
            << r.errors[0];
    }
}

TEST(IBDBExtractTest, ABodyTheReaderCannotReadIsReportedByItsObject) {
    std::string fixture = ReadFixture("fb30_udr.replay");
    const std::string udr = "[\"PU                             \", null, null, \"UDR                            \"]";
    const std::size_t at = fixture.find(udr);
    ASSERT_NE(at, std::string::npos);
    fixture.insert(at + udr.size(), "\n[\"PBAD\", \"BEGIN SELECT FROM WHERE ( ; END\", null, null]");
    const TReplayRun r = ExtractReplay(fixture, "badbody");
    // The procedure keeps its body and the run its result; the message names the procedure.
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.procedures, 1u);
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(r.errors[0].rfind("Procedure PBAD: ", 0), 0u) << r.errors[0];
}

TEST(IBDBExtractTest, AnOlderCatalogIsReadWithoutTheColumnsOfLaterServers) {
    // The answers of a Firebird 2.5 catalog: without identity, packages, external engines and
    // stored functions the extractor asks nothing of them and the run succeeds.
    const std::string fixture = ReadFixture("fb25_catalog.replay");
    const TReplayRun r = ExtractReplay(fixture, "fb25");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    std::istringstream lines(fixture);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("--", 0) == 0 || line.rfind("#", 0) == 0) continue;
        for (const char* column : {"rdb$package_name", "rdb$identity_type", "rdb$function_source", "rdb$argument_name",
                                   "p.rdb$engine_name", "f.rdb$engine_name", "rdb$deterministic_flag"})
            EXPECT_EQ(line.find(column), std::string::npos) << column << " asked of a 2.5 catalog: " << line;
    }
}

namespace {

TEST(IBDBExtractTest, AnInterBase6CatalogIsAskedOnlyWhatTheProbeFound) {
    // The probe of this fixture finds field precision, roles, the foreign key rules and
    // function-argument precision only: every later column is read as a typed NULL, and the
    // roles step asks for neither description nor system flag.
    const std::string fixture = ReadFixture("ib6_catalog.replay");
    const TReplayRun r = ExtractReplay(fixture, "ib6");
    EXPECT_TRUE(r.ok);
    for (const auto& e : r.errors) ADD_FAILURE() << e;
    std::istringstream lines(fixture);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("--", 0) == 0 || line.rfind("#", 0) == 0 || line.rfind("select cast(1 as integer) Typ", 0) == 0)
            continue;
        for (const char* column : {"rdb$relation_type", "rdb$initial_value", "rdb$generator_increment",
                                   "rdb$base_collation_name", "rdb$specific_attributes", "rdb$argument_mechanism",
                                   "rdb$engine_name"})
            for (std::size_t at = line.find(column); at != std::string::npos; at = line.find(column, at + 1))
                EXPECT_TRUE(at >= 2 && line.compare(at - 2, 2, ") ") == 0) << column << " read from an InterBase 6 catalog: " << line;
        for (const char* read : {"a.rdb$default_source", "a.rdb$null_flag", "a.rdb$collation_id", "a.rdb$relation_name",
                                 "rdb$role_name, rdb$description", "rdb$roles where", "rdb$package_name",
                                 "rdb$identity_type"})
            EXPECT_EQ(line.find(read), std::string::npos) << read << " asked of an InterBase 6 catalog: " << line;
    }
}

TEST(IBDBExtractTest, TheCapabilityProbeAsksForEveryCatalogItemInOneStatement) {
    // The probe's text is fixed (replay fixtures of every version answer it): one row per
    // catalog item, in the order of its codes.
    const std::string sql = TIBDBExtract::CapabilityProbeSQL();
    EXPECT_EQ(sql, ReadFixture("probe.sql").substr(0, ReadFixture("probe.sql").find_last_not_of("\r\n") + 1));
    std::vector<int> codes;
    for (std::size_t at = sql.find("select cast("); at != std::string::npos; at = sql.find("select cast(", at + 1))
        codes.push_back(std::stoi(sql.substr(at + 12)));
    EXPECT_EQ(codes, (std::vector<int>{1, 2, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16, 13, 17, 18, 19, 20, 21, 22, 23, 24, 25,
                                       26, 27, 28, 29, 30}));
}

}  // namespace
