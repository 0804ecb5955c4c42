#include "connect/krvIBDBExtract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
