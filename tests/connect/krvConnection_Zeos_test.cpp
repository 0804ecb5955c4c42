// The server-free parts of the PostgreSQL/MySQL connection kind: marker numbering and the
// kind's registration and dispatch.
#ifdef DBTWIN_HAVE_ZEOS
#include <gtest/gtest.h>

#include "connect/zeos/krvConnection_Zeos.h"
#include "connect/zeos/krvZeosDriver.h"

using namespace dbtwin;

namespace {

struct NumberCase {
    std::string sql, text;
    std::vector<std::string> names;
};

TEST(PGNumberMarkersTest, MarkersBecomeNumberedInTextOrder) {
    const std::vector<NumberCase> cases = {
        {"select * from t where a = :a and b=:b", "select * from t where a = $1 and b=$2", {"a", "b"}},
        {"select :a::int, '2020-01-01'::date", "select $1::int, '2020-01-01'::date", {"a"}},
        {"select :a, :a", "select $1, $2", {"a", "a"}},
        // A "?" that is no marker (a jsonb operator) and one in a literal stay.
        {"select d ? 'k', '?' from t where id = :id", "select d ? 'k', '?' from t where id = $1", {"id"}},
        {"values ('5\" tv', 'at :x', :y)", "values ('5\" tv', 'at :x', $1)", {"y"}},
        {"select $$ :x $$, :y -- :z\n", "select $$ :x $$, $1 -- :z\n", {"y"}},
        {"select :\"My Name\", :b", "select $1, $2", {"My Name", "b"}},
        {"x := 1", "x := 1", {}},
        {"select 1", "select 1", {}},
    };
    for (const auto& c : cases) {
        TKRVParams p;
        EXPECT_EQ(PGNumberMarkers(&p, c.sql), c.text) << c.sql;
        ASSERT_EQ(p.Count(), c.names.size()) << c.sql;
        for (std::size_t i = 0; i < c.names.size(); ++i) EXPECT_EQ(p[i].GetName(), c.names[i]) << c.sql;
    }
}

TEST(ZeosConnectionTest, RegisteredOnceAndRefusesOtherDatabases) {
    RegisterZeosConnection();
    EXPECT_FALSE(RegisterZeosConnection());
    TKRVConnection c;
    c.SetDatabaseType(dbOracle);
    c.SetConnectionType(cnZEOS);
    std::string error;
    c.OnErrorMessage = [&](TObject*, const std::string& m) { error = m; };
    EXPECT_FALSE(c.Connect());
    EXPECT_FALSE(c.GetConnected());
    EXPECT_NE(c.GetLastError().find("PostgreSQL and MySQL/MariaDB databases only"), std::string::npos);
    EXPECT_FALSE(c.InTransaction());
    EXPECT_THROW(c.StartTransaction(), EKrvError);
    UnRegisterConnection(ZeosConnectionName, true);
}

}  // namespace
#endif
