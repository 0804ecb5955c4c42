#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objects/krvComp_Tbl.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddTable;
using testing::Compare;

TEST(TableGeneratorsTest, CreateAddDropAndPositions) {
    Compare c(dbInterBase);
    AddTable(c.Master(), "T1", {"A", "B"});
    AddTable(c.Master(), "T2", {"X"});
    AddTable(c.Master(), "T4", {"Q", "P"});
    AddTable(c.Target(), "T1", {"A", "C"});
    AddTable(c.Target(), "T3", {"Y"});
    AddTable(c.Target(), "T4", {"P", "Q"});
    EXPECT_GOLDEN(c.RunTwice(), "table_positions/interbase.sql");
}

TEST(TableGeneratorsTest, EqualTablesGiveOnlyTheHeaderAndOldServersUpdateSystemTables) {
    Compare same(dbPostgreSQL);
    AddTable(same.Master(), "t", {"a"});
    AddTable(same.Target(), "t", {"a"});
    EXPECT_EQ(same.Run(), "SET client_encoding = 'UTF8';\r\n");

    Compare ib5(dbInterBase);
    ib5.Target().fIBServerOptions.SetSQLServerVersion(st_InterBase_5x);
    ib5.Target().fIBServerOptions.SetSQLDialect(1);
    ib5.keldar.GetIBCompareOptions().SetGenerateCOMMIT(true);
    AddTable(ib5.Master(), "T", {"B", "A"});
    AddTable(ib5.Target(), "T", {"A", "B"});
    EXPECT_GOLDEN(ib5.Run(), "column_positions_catalog/interbase.sql");

    Compare off(dbInterBase);
    off.keldar.GetIBCompareOptions().SetUpdateFieldPosition(false);
    off.keldar.GetIBCompareOptions().SetGenerateCOMMIT(true);
    AddTable(off.Master(), "T", {"B", "A"});
    AddTable(off.Target(), "T", {"A", "B"});
    EXPECT_GOLDEN(off.Run(), "column_positions_off/interbase.sql");
}

// The excluded table "payroll" appears nowhere in the script; "scratch" is dropped.
TEST(TableGeneratorsTest, ExcludedTargetTablesAreNeverDropped) {
    Compare c(dbPostgreSQL);
    AddTable(c.Target(), "payroll", {"a"})->CompExclude = true;
    AddTable(c.Target(), "scratch", {"a"});
    EXPECT_GOLDEN(c.Run(), "excluded_table/postgresql.sql");
}

// A table that turns temporary (or back) is dropped and created whole: no column statements
// for it, and a warning because its rows are lost.
TEST(TableGeneratorsTest, TemporaryStateChangeReCreatesTheTableWithAWarning) {
    Compare c(dbInterBase);
    TTblData* m = AddTable(c.Master(), "T", {"B", "A", "C"});
    m->GlobalTemporary = true;
    m->TblOnCommit = tocPreserve;
    m->FindFld("A")->FieldType = iftBigInt;
    AddTable(c.Target(), "T", {"A", "B"});
    EXPECT_GOLDEN(c.Run(), "temporary_state_change/interbase.sql");
    EXPECT_EQ(c.keldar.GetWrnScript(),
              std::vector<std::string>{"Table is dropped and created again, its rows are lost: T"});
    // Only the commit action of a temporary table differs: the same.
    Compare onCommit(dbInterBase);
    for (TCustomObjs* s : {&onCommit.Master(), &onCommit.Target()}) {
        TTblData* t = AddTable(*s, "T", {"A"});
        t->GlobalTemporary = true;
        t->TblOnCommit = s == &onCommit.Master() ? tocPreserve : tocDelete;
    }
    EXPECT_GOLDEN(onCommit.Run(), "temporary_on_commit/interbase.sql");
}

// New and dropped tables, added and dropped columns in the other dialects' scripts (MySQL
// puts the added column in place while the dropped one still holds its position).
TEST(TableGeneratorsTest, CreateAddDropPerDialect) {
    struct Case {
        TDatabaseType db;
        const char* fixture;
    };
    const Case cases[] = {
        {dbPostgreSQL, "table_changes/postgresql.sql"},
        {dbMySQL, "table_changes/mysql.sql"},
        {dbMSSQL, "table_changes/sqlserver.sql"},
    };
    for (const Case& k : cases) {
        Compare c(k.db);
        AddTable(c.Master(), "T1", {"A", "B"});
        AddTable(c.Master(), "T2", {"X"});
        AddTable(c.Target(), "T1", {"A", "C"});
        AddTable(c.Target(), "T3", {"Y"});
        EXPECT_GOLDEN(c.Run(), k.fixture) << k.db;
    }
}

}  // namespace
}  // namespace dbtwin
