#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "objects/krvCompObj.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddIndex;
using testing::AddTable;
using testing::Compare;
using testing::LinkAll;

using Case = testing::ScriptCase;

class IndexGeneratorsTest : public ::testing::TestWithParam<Case> {};

TEST_P(IndexGeneratorsTest, WritesTheScript) { testing::ExpectScriptCase(GetParam()); }

// Indices kept, added, dropped and changed in each of the ways the texts can differ.
void PgIndices(Compare& c, TDatabaseType) {
    for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) AddTable(*o, "t", {"a", "b", "c"});
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    AddIndex(m, "ix_keep", "t", {"a"});
    AddIndex(t, "ix_keep", "t", {"a"});
    AddIndex(m, "ix_new", "t", {"b"});
    AddIndex(t, "ix_gone", "t", {"c"});
    AddIndex(m, "ix_cols", "t", {"a", "b"});
    AddIndex(t, "ix_cols", "t", {"a"});
    AddIndex(m, "ix_uniq", "t", {"c"}, [](TIdxData& x) { x.Unique = true; });
    AddIndex(t, "ix_uniq", "t", {"c"});
    AddIndex(m, "ix_desc", "t", {"b DESC"});
    AddIndex(t, "ix_desc", "t", {"b"});
    // btree named or not is the same index; gin is not.
    AddIndex(m, "ix_btree", "t", {"c"}, [](TIdxData& x) { x.IndexOptions.Using = "btree"; });
    AddIndex(t, "ix_btree", "t", {"c"});
    AddIndex(m, "ix_meth", "t", {"a"}, [](TIdxData& x) { x.IndexOptions.Using = "hash"; });
    AddIndex(t, "ix_meth", "t", {"a"});
    AddIndex(m, "ix_part", "t", {"a"}, [](TIdxData& x) { x.WhereCond = "(b > 0)"; });
    AddIndex(t, "ix_part", "t", {"a"});
    AddIndex(m, "ix_expr", "t", {}, [](TIdxData& x) { x.SetBody("lower(a::text)"); });
}

void PgSchemaIndices(Compare& c, TDatabaseType) {
    for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) AddTable(*o, "Order", {"a"}, "sales");
    AddIndex(*c.master.GetObjs(), "Ix", "Order", {"a"}, [](TIdxData& x) { x.SetSchema("sales"); });
    AddIndex(*c.target.GetObjs(), "ix_old", "Order", {"a"});
}

void IbIndices(Compare& c, TDatabaseType) {
    for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) AddTable(*o, "T", {"A", "B"});
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    AddIndex(m, "IX_OFF", "T", {"A"}, [](TIdxData& x) { x.Active = false; });
    AddIndex(m, "IX_ON", "T", {"B"});
    AddIndex(t, "IX_ON", "T", {"B"}, [](TIdxData& x) { x.Active = false; });
    AddIndex(m, "IX_UP", "T", {}, [](TIdxData& x) {
        x.Desc = true;
        x.SetBody("(UPPER(B))");
    });
    AddIndex(t, "IX_D1", "T", {"A"});
    AddIndex(t, "IX_D2", "T", {"B"});
}

void MySQLIndices(Compare& c, TDatabaseType) {
    for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) {
        AddTable(*o, "t1", {"a", "b"});
        AddTable(*o, "t2", {"a"});
    }
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    // Same name on two tables: two indices.
    AddIndex(m, "ix", "t1", {"a"});
    AddIndex(t, "ix", "t1", {"a"});
    AddIndex(m, "ix", "t2", {"a"}, [](TIdxData& x) { x.IndexOptions.Using = "HASH"; });
    AddIndex(t, "ix", "t2", {"a"});
    AddIndex(m, "ix_pre", "t1", {"b DESC"}, [](TIdxData& x) { x.Flds.Objects(0)->CharLength = 10; });
    AddIndex(t, "ix_gone", "t1", {"b"});
}

void MSSQLIndices(Compare& c, TDatabaseType) {
    for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) AddTable(*o, "T", {"A", "B"}, "dbo");
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    // Differs only in letter case: kept.
    AddIndex(m, "IX_CASE", "T", {"A"}, [](TIdxData& x) {
        x.SetSchema("dbo");
        x.WhereCond = "([b]>(0))";
    });
    AddIndex(t, "IX_CASE", "T", {"A"}, [](TIdxData& x) {
        x.SetSchema("dbo");
        x.WhereCond = "([B]>(0))";
    });
    AddIndex(m, "IX_INC", "T", {"A"}, [](TIdxData& x) {
        x.SetSchema("dbo");
        x.Clustered = true;
        x.AddIncludeCol("B");
        x.FileGroup = "PRIMARY";
    });
    AddIndex(t, "IX_INC", "T", {"A"}, [](TIdxData& x) { x.SetSchema("dbo"); });
}

// A new MySQL table carries its key and indices in CREATE TABLE; only the foreign key follows.
void MySQLNewTable(Compare& c, TDatabaseType) {
    for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) AddTable(*o, "p", {"id"});
    TCustomObjs& m = *c.master.GetObjs();
    AddTable(m, "n", {"id", "pid"});
    testing::AddConstraint(m, ctPKey, "", "n", {"id"});
    AddIndex(m, "ix_pid", "n", {"pid"}, [](TIdxData& x) { x.IndexOptions.Using = "BTREE"; });
    testing::AddForeignKey(m, "fk_n", "n", {"pid"}, "p", {"id"});
}

// A column retyped under two indices, one of them also changed: each index is dropped once
// before the change and created once after it.
void IndexOnRetypedColumn(Compare& c, TDatabaseType db) {
    const bool ib = db == dbInterBase;
    const std::string t = ib ? "T" : "t", a = ib ? "A" : "a", b = ib ? "B" : "b";
    for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) AddTable(*o, t, {a, b});
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& tg = *c.target.GetObjs();
    m.Tbl.Find(t)->FindFld(a)->FieldType = iftBigInt;
    AddIndex(m, ib ? "IX_SAME" : "ix_same", t, {a});
    AddIndex(tg, ib ? "IX_SAME" : "ix_same", t, {a});
    AddIndex(m, ib ? "IX_WIDER" : "ix_wider", t, {a, b});
    AddIndex(tg, ib ? "IX_WIDER" : "ix_wider", t, {a});
}

const Case kCases[] = {
    {"FirebirdIndexOnRetypedColumn", dbInterBase, IndexOnRetypedColumn, "index_on_retyped_column/interbase.sql"},
    {"PostgreSQLIndexOnRetypedColumn", dbPostgreSQL, IndexOnRetypedColumn, "index_on_retyped_column/postgresql.sql"},
    {"MySQLIndexOnRetypedColumn", dbMySQL, IndexOnRetypedColumn, "index_on_retyped_column/mysql.sql"},
    {"PostgreSQL", dbPostgreSQL, PgIndices,
     "index_changes/postgresql.sql"},
    {"PostgreSQLSchema", dbPostgreSQL, PgSchemaIndices,
     "index_schema/postgresql.sql"},
    {"Firebird", dbInterBase, IbIndices,
     "index_changes/interbase.sql"},
    {"MySQL", dbMySQL, MySQLIndices,
     "index_changes/mysql.sql"},
    {"MySQLNewTable", dbMySQL, MySQLNewTable,
     "index_new_table/mysql.sql"},
    {"SQLServer", dbMSSQL, MSSQLIndices,
     "index_changes/sqlserver.sql"},
};

// The MySQL export writes the key and the indices inside CREATE TABLE and nowhere else (no
// ADD PRIMARY KEY, no CREATE INDEX); the check constraint follows as its own statement.
TEST(IndexExportTest, MySQLKeysAndIndicesOnlyInsideCreateTable) {
    TObjs o;
    o.SetDatabaseType(dbMySQL);
    AddTable(o, "t", {"a", "b"});
    testing::AddConstraint(o, ctPKey, "", "t", {"a"});
    AddIndex(o, "ix", "t", {"b DESC"});
    AddIndex(o, "ft", "t", {"b"}, [](TIdxData& x) { x.FullText = true; });
    testing::AddConstraint(o, ctCheck, "ck", "t", {}, [](TCtrData& x) { x.SetBody("(b > 0)"); });
    std::vector<std::string> script;
    o.ExtractMetadata(script);
    EXPECT_GOLDEN(testing::JoinLines(script), "export_keys_inline/mysql.sql");
}

// The inactive index is created and switched off right after; the active one is left alone.
TEST(IndexExportTest, InterBaseInactiveIndexIsSwitchedOffAfterItsCreation) {
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    AddTable(o, "T", {"A"});
    AddIndex(o, "IX_OFF", "T", {"A"}, [](TIdxData& x) { x.Active = false; });
    AddIndex(o, "IX_ON", "T", {"A"});
    std::vector<std::string> script;
    o.ExtractMetadata(script);
    EXPECT_GOLDEN(testing::JoinLines(script), "export_inactive_index/interbase.sql");
}

INSTANTIATE_TEST_SUITE_P(Dialects, IndexGeneratorsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
