#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/krvClasses.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin {
namespace {

struct TblCase {
    const char* name;
    TDatabaseType db;
    std::function<void(TTblData&)> setup;
    const char* create;
};

// A table T with two integer columns A (NOT NULL) and B, then the case's changes.
TEST(TblTextTest, CreateTableTextPerDialect) {
    const TblCase cases[] = {
        {"interbase", dbInterBase, [](TTblData&) {}, "CREATE TABLE T(A INTEGER NOT NULL,\r\nB INTEGER)"},
        {"external file", dbInterBase, [](TTblData& t) { t.ExternalFile = "/x/o'k.dat"; },
         "CREATE TABLE T\r\nEXTERNAL FILE '/x/o''k.dat'\r\n(A INTEGER NOT NULL,\r\nB INTEGER)"},
        {"global temporary", dbInterBase,
         [](TTblData& t) {
             t.GlobalTemporary = true;
             t.TblOnCommit = tocPreserve;
         },
         "CREATE GLOBAL TEMPORARY TABLE T(A INTEGER NOT NULL,\r\nB INTEGER)\r\n ON COMMIT PRESERVE ROWS"},
        {"computed left out", dbInterBase,
         [](TTblData& t) {
             t.FindFld("B")->SetBody("(A + 1)");
             t.SetSkipComputedDef(true);
         },
         "CREATE TABLE T(A INTEGER NOT NULL)"},
        {"postgres schema, oids", dbPostgreSQL,
         [](TTblData& t) {
             t.SetSchema("s");
             t.WithOids = true;
             t.TblOnCommit = tocDelete;
         },
         "CREATE TABLE s.\"T\"(\"A\" integer not null,\r\n\"B\" integer) WITH OIDS\r\n ON COMMIT DELETE ROWS"},
        {"oracle clauses", dbOracle,
         [](TTblData& t) {
             t.TableSpace = "USERS";
             t.NoLogging = true;
             t.Partition1 = "(A)";
             t.Partition2 = "(PARTITION P1 VALUES LESS THAN (10))";
         },
         "CREATE TABLE T(A INTEGER NOT NULL,\r\nB INTEGER)\r\nTABLESPACE USERS\r\nNOLOGGING\r\n"
         "PARTITION BY RANGE (A) (PARTITION P1 VALUES LESS THAN (10))"},
        {"mysql options", dbMySQL, [](TTblData& t) { t.fMySQLOptions.Engine = "InnoDB"; },
         "CREATE TABLE T(A INTEGER NOT NULL,\r\nB INTEGER)\r\nENGINE=InnoDB"},
    };
    for (const TblCase& c : cases) {
        TCustomObjs objs;
        objs.SetDatabaseType(c.db);
        TTblData t(&objs);
        t.SetObjName("T");
        for (const char* n : {"A", "B"}) t.AddFld(n)->FieldType = iftInteger;
        t.FindFld("A")->Nullable = false;
        c.setup(t);
        EXPECT_EQ(t.CreateDef(), c.create) << c.name;
        EXPECT_EQ(t.Def(), t.CreateDef()) << c.name;
    }
}

TEST(TblTextTest, TableWithoutWrittenColumnsKeepsItsName) {
    TCustomObjs objs;
    objs.SetDatabaseType(dbInterBase);
    TTblData t(&objs);
    t.SetObjName("LONGNAME");
    TFldData* f = t.AddFld("C");
    f->SetBody("(1)");
    t.SetSkipComputedDef(true);
    // Cutting the separator blindly would eat into the name.
    EXPECT_EQ(t.CreateDef(), "CREATE TABLE LONGNAME()");
}

TEST(TblTextTest, ColumnAddAndDropPerDialect) {
    struct Case {
        TDatabaseType db;
        const char* schema;
        bool owned;
        const char* add;
        const char* drop;
    };
    const Case cases[] = {
        {dbInterBase, "", true, "ALTER TABLE T ADD C INTEGER", "ALTER TABLE T DROP C"},
        {dbInterBase, "", false, "ALTER TABLE T ADD C INTEGER", "ALTER TABLE T DROP C"},
        {dbPostgreSQL, "s", true, "ALTER TABLE s.\"T\" ADD \"C\" integer", "ALTER TABLE s.\"T\" DROP \"C\""},
        {dbOracle, "", true, "ALTER TABLE T ADD C INTEGER", "ALTER TABLE T DROP (C)"},
        {dbMSSQL, "dbo", true, "ALTER TABLE DBO.T ADD C INTEGER NULL", "ALTER TABLE DBO.T DROP COLUMN C"},
        // MySQL places the column: first, as no column of the table is there before it.
        {dbMySQL, "", true, "ALTER TABLE T ADD C INTEGER FIRST", "ALTER TABLE T DROP C"},
    };
    for (const Case& c : cases) {
        TCustomObjs objs;
        objs.SetDatabaseType(c.db);
        TTblData t(&objs);
        t.SetObjName("T");
        t.SetSchema(c.schema);
        TFldData* f = t.AddFld("C");
        f->FieldType = iftInteger;
        if (!c.owned) f->OwnObj = nullptr;
        EXPECT_EQ(f->CreateDef(), c.add) << int(c.db) << c.owned;
        EXPECT_EQ(f->DropDef(), c.drop) << int(c.db) << c.owned;
    }
}

TEST(TblTextTest, DropTableAndFieldPositionFlag) {
    TCustomObjs objs;
    objs.SetDatabaseType(dbPostgreSQL);
    TTblData t(&objs), ref(&objs);
    t.SetObjName("T");
    t.SetSchema("s");
    t.SetRefObj(&ref);
    EXPECT_EQ(t.DropDef(), "DROP TABLE s.\"T\"");
    t.SetUpdFldPos(true);
    EXPECT_TRUE(ref.fUpdFldPos);
}

}  // namespace
}  // namespace dbtwin
