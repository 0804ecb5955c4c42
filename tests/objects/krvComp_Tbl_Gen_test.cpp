#include <gtest/gtest.h>

#include "compare_rig.h"

#include <initializer_list>
#include <string>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "model/krvDBStructure.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin {
namespace {

TTblData* Table(TCustomObjs& o, const char* name, std::initializer_list<const char*> cols) {
    auto* t = new TTblData(&o);
    t->SetObjName(name);
    for (const char* c : cols) t->AddFld(c)->FieldType = iftInteger;
    o.AddObj(t);
    return t;
}

using testing::Compare;

TEST(TableGeneratorsTest, CreateAddDropAndPositions) {
    Compare c(dbInterBase);
    Table(*c.master.GetObjs(), "T1", {"A", "B"});
    Table(*c.master.GetObjs(), "T2", {"X"});
    Table(*c.master.GetObjs(), "T4", {"Q", "P"});
    Table(*c.target.GetObjs(), "T1", {"A", "C"});
    Table(*c.target.GetObjs(), "T3", {"Y"});
    Table(*c.target.GetObjs(), "T4", {"P", "Q"});
    const std::string expected =
        "SET SQL DIALECT 3;\r\n\r\nSET AUTODDL ON;\r\n\r\n"
        "/* Create Table... */\r\nCREATE TABLE T2(X INTEGER);\r\n\r\n\r\n\r\n"
        "ALTER TABLE T1 ADD B INTEGER;\r\n\r\n"
        "/* Drop table-fields... */\r\nALTER TABLE T1 DROP C;\r\n\r\n\r\n"
        "RECONNECT;\r\n\r\n/* Drop tables... */\r\nDROP TABLE T3;\r\n\r\n\r\n"
        "ALTER TABLE T1 ALTER COLUMN A POSITION 1;\r\n\r\nALTER TABLE T1 ALTER COLUMN B POSITION 2;\r\n\r\n"
        "ALTER TABLE T4 ALTER COLUMN Q POSITION 1;\r\n\r\nALTER TABLE T4 ALTER COLUMN P POSITION 2;\r\n";
    EXPECT_EQ(c.Run(), expected);
    // The same sets compared again give the same script.
    EXPECT_EQ(c.Run(), expected);
}

TEST(TableGeneratorsTest, EqualTablesGiveOnlyTheHeaderAndOldServersUpdateSystemTables) {
    Compare same(dbPostgreSQL);
    Table(*same.master.GetObjs(), "t", {"a"});
    Table(*same.target.GetObjs(), "t", {"a"});
    EXPECT_EQ(same.Run(), "");

    Compare ib5(dbInterBase);
    ib5.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_InterBase_5x);
    ib5.target.GetObjs()->fIBServerOptions.SetSQLDialect(1);
    ib5.keldar.GetIBCompareOptions().SetGenerateCOMMIT(true);
    Table(*ib5.master.GetObjs(), "T", {"B", "A"});
    Table(*ib5.target.GetObjs(), "T", {"A", "B"});
    EXPECT_EQ(ib5.Run(),
              "UPDATE RDB$RELATION_FIELDS SET RDB$FIELD_POSITION = 1\r\n WHERE RDB$RELATION_NAME = 'T' AND "
              "RDB$FIELD_NAME = 'B';\r\n\r\nCOMMIT WORK;\r\n"
              "UPDATE RDB$RELATION_FIELDS SET RDB$FIELD_POSITION = 2\r\n WHERE RDB$RELATION_NAME = 'T' AND "
              "RDB$FIELD_NAME = 'A';\r\n\r\nCOMMIT WORK;");

    Compare off(dbInterBase);
    off.keldar.GetIBCompareOptions().SetUpdateFieldPosition(false);
    off.keldar.GetIBCompareOptions().SetGenerateCOMMIT(true);
    Table(*off.master.GetObjs(), "T", {"B", "A"});
    Table(*off.target.GetObjs(), "T", {"A", "B"});
    EXPECT_EQ(off.Run(), "SET SQL DIALECT 3;\r\n");
}

TEST(TableGeneratorsTest, ExcludedTargetTablesAreNeverDropped) {
    Compare c(dbPostgreSQL);
    Table(*c.target.GetObjs(), "payroll", {"a"})->CompExclude = true;
    Table(*c.target.GetObjs(), "scratch", {"a"});
    const std::string script = c.Run();
    EXPECT_EQ(script.find("payroll"), std::string::npos) << script;
    EXPECT_NE(script.find("DROP TABLE scratch"), std::string::npos) << script;
}

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

// A table that turns temporary (or back) is dropped and created whole: no column statements
// for it, and a warning because its rows are lost.
TEST(TableGeneratorsTest, TemporaryStateChangeReCreatesTheTableWithAWarning) {
    Compare c(dbInterBase);
    TTblData* m = Table(*c.master.GetObjs(), "T", {"B", "A", "C"});
    m->GlobalTemporary = true;
    m->TblOnCommit = tocPreserve;
    m->FindFld("A")->FieldType = iftBigInt;
    Table(*c.target.GetObjs(), "T", {"A", "B"});
    const std::string expected =
        "SET SQL DIALECT 3;\r\n\r\nSET AUTODDL ON;\r\n\r\n"
        "ALTER TABLE T ADD C INTEGER;\r\n\r\n"
        "/* Re-create table (temporary state changed): T */\r\n"
        "DROP TABLE T;\r\n\r\n"
        "CREATE GLOBAL TEMPORARY TABLE T(B INTEGER,\r\nA BIGINT,\r\nC INTEGER)\r\n ON COMMIT PRESERVE ROWS;\r\n\r\n";
    EXPECT_EQ(c.Run(), expected);
    EXPECT_EQ(c.keldar.GetWrnScript(),
              std::vector<std::string>{"Table is dropped and created again, its rows are lost: T"});
    // Only the commit action of a temporary table differs: the same.
    Compare onCommit(dbInterBase);
    for (TDBStructure* s : {&onCommit.master, &onCommit.target}) {
        TTblData* t = Table(*s->GetObjs(), "T", {"A"});
        t->GlobalTemporary = true;
        t->TblOnCommit = s == &onCommit.master ? tocPreserve : tocDelete;
    }
    EXPECT_NE(onCommit.Run().find("DROP TABLE T;\r\n\r\nCREATE GLOBAL TEMPORARY TABLE T(A INTEGER)\r\n ON COMMIT PRESERVE ROWS"),
              std::string::npos);
}

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

// New and dropped tables, added and dropped columns in the other dialects' scripts.
TEST(TableGeneratorsTest, CreateAddDropPerDialect) {
    struct Case {
        TDatabaseType db;
        std::string script;
    };
    const Case cases[] = {
        {dbPostgreSQL,
         "/* Create Table... */\r\nCREATE TABLE \"T2\"(\"X\" integer);\r\n\r\n\r\n\r\n"
         "ALTER TABLE \"T1\" ADD \"B\" integer;\r\n\r\n"
         "/* Drop table-fields... */\r\nALTER TABLE \"T1\" DROP \"C\";\r\n\r\n\r\n"
         "/* Drop tables... */\r\nDROP TABLE \"T3\";\r\n\r\n"},
        // The added column is put in place while the dropped one still holds its position.
        {dbMySQL,
         "/* Create Table... */\r\nCREATE TABLE T2(X INTEGER);\r\n\r\n\r\n\r\n"
         "ALTER TABLE T1 ADD B INTEGER;\r\n\r\nALTER TABLE T1 MODIFY COLUMN B INTEGER AFTER A;\r\n\r\n"
         "/* Drop table-fields... */\r\nALTER TABLE T1 DROP C;\r\n\r\n\r\n"
         "/* Drop tables... */\r\nDROP TABLE T3;\r\n\r\n"},
        {dbMSSQL,
         "/* Create Table... */\r\nCREATE TABLE T2(X INTEGER NULL)\r\nGO\r\n\r\n\r\n\r\n"
         "ALTER TABLE T1 ADD B INTEGER NULL\r\nGO\r\n\r\n"
         "/* Drop table-fields... */\r\nALTER TABLE T1 DROP COLUMN C\r\nGO\r\n\r\n\r\n"
         "/* Drop tables... */\r\nDROP TABLE T3\r\nGO\r\n\r\n"},
    };
    for (const Case& k : cases) {
        Compare c(k.db);
        Table(*c.master.GetObjs(), "T1", {"A", "B"});
        Table(*c.master.GetObjs(), "T2", {"X"});
        Table(*c.target.GetObjs(), "T1", {"A", "C"});
        Table(*c.target.GetObjs(), "T3", {"Y"});
        EXPECT_EQ(c.Run(), k.script) << k.db;
    }
}

}  // namespace
}  // namespace dbtwin
