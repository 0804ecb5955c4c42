#include <gtest/gtest.h>

#include "compare_rig.h"
#include "idx_ctr_rig.h"

#include "model/krvCompObj.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace dbtwin {
namespace {

using testing::AddIndex;
using testing::AddTable;
using testing::Compare;
using testing::LinkAll;

using Case = testing::GeneratorCase;

class IndexGeneratorsTest : public ::testing::TestWithParam<Case> {};

TEST_P(IndexGeneratorsTest, WritesTheScript) { testing::ExpectGeneratorScript(GetParam()); }

// Indices kept, added, dropped and changed in each of the ways the texts can differ.
void PgIndices(Compare& c) {
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

void PgSchemaIndices(Compare& c) {
    for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) AddTable(*o, "Order", {"a"}, "sales");
    AddIndex(*c.master.GetObjs(), "Ix", "Order", {"a"}, [](TIdxData& x) { x.SetSchema("sales"); });
    AddIndex(*c.target.GetObjs(), "ix_old", "Order", {"a"});
}

void IbIndices(Compare& c) {
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

void MySQLIndices(Compare& c) {
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

void MSSQLIndices(Compare& c) {
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
void MySQLNewTable(Compare& c) {
    for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) AddTable(*o, "p", {"id"});
    TCustomObjs& m = *c.master.GetObjs();
    AddTable(m, "n", {"id", "pid"});
    testing::AddConstraint(m, ctPKey, "", "n", {"id"});
    AddIndex(m, "ix_pid", "n", {"pid"}, [](TIdxData& x) { x.IndexOptions.Using = "BTREE"; });
    testing::AddForeignKey(m, "fk_n", "n", {"pid"}, "p", {"id"});
}

const Case kCases[] = {
    {"PostgreSQL", dbPostgreSQL, PgIndices,
     "/* Drop Index... */\r\n"
     "DROP INDEX ix_gone;\r\n"
     "\r\n"
     "\r\n"
     "/* Create index... */\r\n"
     "CREATE INDEX ix_expr ON t(lower(a::text));\r\n"
     "\r\n"
     "CREATE INDEX ix_new ON t(b);\r\n"
     "\r\n"
     "\r\n"
     "/* Alter index (Drop, Create)... */\r\n"
     "DROP INDEX ix_cols;\r\n"
     "\r\n"
     "CREATE INDEX ix_cols ON t(a, b);\r\n"
     "\r\n"
     "DROP INDEX ix_desc;\r\n"
     "\r\n"
     "CREATE INDEX ix_desc ON t(b DESC);\r\n"
     "\r\n"
     "DROP INDEX ix_meth;\r\n"
     "\r\n"
     "CREATE INDEX ix_meth ON t USING hash(a);\r\n"
     "\r\n"
     "DROP INDEX ix_part;\r\n"
     "\r\n"
     "CREATE INDEX ix_part ON t(a)\r\n"
     "WHERE (b > 0);\r\n"
     "\r\n"
     "DROP INDEX ix_uniq;\r\n"
     "\r\n"
     "CREATE UNIQUE INDEX ix_uniq ON t(c);\r\n"
     "\r\n"},
    {"PostgreSQLSchema", dbPostgreSQL, PgSchemaIndices,
     "/* Drop Index... */\r\n"
     "DROP INDEX ix_old;\r\n"
     "\r\n"
     "\r\n"
     "/* Create index... */\r\n"
     "CREATE INDEX \"Ix\" ON sales.\"Order\"(a);\r\n"
     "\r\n"},
    {"Firebird", dbInterBase, IbIndices,
     "SET SQL DIALECT 3;\r\n"
     "\r\n"
     "SET AUTODDL ON;\r\n"
     "\r\n"
     "/* Drop Index... */\r\n"
     "RECONNECT;\r\n"
     "\r\n"
     "/* Drop: IX_D1 (TIdxData) */\r\n"
     "DROP INDEX IX_D1;\r\n"
     "\r\n"
     "RECONNECT;\r\n"
     "\r\n"
     "/* Drop: IX_D2 (TIdxData) */\r\n"
     "DROP INDEX IX_D2;\r\n"
     "\r\n"
     "\r\n"
     "/* Create index... */\r\n"
     "CREATE INDEX IX_OFF ON T(A);\r\n"
     "\r\n"
     "ALTER INDEX IX_OFF INACTIVE;\r\n"
     "\r\n"
     "CREATE DESC INDEX IX_UP ON T COMPUTED BY (UPPER(B));\r\n"
     "\r\n"
     "\r\n"
     "/* Alter index (Drop, Create)... */\r\n"
     "ALTER INDEX IX_ON ACTIVE;\r\n"
     "\r\n"},
    {"MySQL", dbMySQL, MySQLIndices,
     "/* Drop Index... */\r\n"
     "DROP INDEX `ix_gone` ON `t1`;\r\n"
     "\r\n"
     "\r\n"
     "/* Create index... */\r\n"
     "CREATE INDEX `ix_pre` ON `t1`(`b`(10) DESC);\r\n"
     "\r\n"
     "\r\n"
     "/* Alter index (Drop, Create)... */\r\n"
     "DROP INDEX `ix` ON `t2`;\r\n"
     "\r\n"
     "CREATE INDEX `ix` USING HASH ON `t2`(`a`);\r\n"
     "\r\n"},
    {"MySQLNewTable", dbMySQL, MySQLNewTable,
     "/* Create Table... */\r\n"
     "CREATE TABLE `n`(`id` INTEGER,\r\n"
     "`pid` INTEGER,\r\n"
     "PRIMARY KEY(`id`),\r\n"
     "KEY `ix_pid` USING BTREE (`pid`));\r\n"
     "\r\n"
     "\r\n"
     "\r\n"
     "/* Create Foreign Key... */\r\n"
     "ALTER TABLE `n` ADD CONSTRAINT `fk_n` FOREIGN KEY (`pid`) REFERENCES `p` (`id`);\r\n"},
    {"SQLServer", dbMSSQL, MSSQLIndices,
     "/* Alter index (Drop, Create)... */\r\n"
     "DROP INDEX DBO.T.IX_INC\r\n"
     "GO\r\n"
     "\r\n"
     "CREATE CLUSTERED INDEX IX_INC ON DBO.T(A)\r\n"
     "  INCLUDE (B)\r\n"
     "ON [PRIMARY]\r\n"
     "GO\r\n"
     "\r\n"},
};

// The MySQL export writes keys and indices inside CREATE TABLE, and nowhere else.
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
    std::string text;
    for (const std::string& l : script) text += l + "\n";
    EXPECT_NE(text.find("CREATE TABLE `t`(`a` INTEGER,\r\n`b` INTEGER,\r\nPRIMARY KEY(`a`),\r\nFULLTEXT KEY `ft` (`b`),\r\nKEY `ix` (`b` DESC))"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("ADD PRIMARY KEY"), std::string::npos) << text;
    EXPECT_EQ(text.find("CREATE INDEX"), std::string::npos) << text;
    EXPECT_NE(text.find("ALTER TABLE `t` ADD CONSTRAINT `ck` CHECK (b > 0);"), std::string::npos) << text;
}

TEST(IndexExportTest, InterBaseInactiveIndexIsSwitchedOffAfterItsCreation) {
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    AddTable(o, "T", {"A"});
    AddIndex(o, "IX_OFF", "T", {"A"}, [](TIdxData& x) { x.Active = false; });
    AddIndex(o, "IX_ON", "T", {"A"});
    std::vector<std::string> script;
    o.ExtractMetadata(script);
    std::string text;
    for (const std::string& l : script) text += l + "\n";
    EXPECT_NE(text.find("CREATE INDEX IX_OFF ON T(A);\nALTER INDEX IX_OFF INACTIVE;\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("ALTER INDEX IX_ON"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Dialects, IndexGeneratorsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
