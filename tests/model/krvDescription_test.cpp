#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/krvClasses.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "support/builders.h"

namespace dbtwin {
namespace {

const std::string kD = "it's a \\path\\\r\nsecond line";

struct Set {
    TCustomObjs objs;
    TTblData* tbl;
    TFldData* col;
    explicit Set(TDatabaseType db) {
        objs.SetDatabaseType(db);
        const bool lower = db == dbPostgreSQL || db == dbMySQL;
        tbl = testing::AddTable(objs, lower ? "orders" : "ORDERS", {lower ? "amount" : "AMOUNT"});
        tbl->EditExtra().fDescription = kD;
        col = tbl->Flds.Objects(0);
        col->EditExtra().fDescription = kD;
    }
};

TEST(DescriptionTest, InterBaseModes) {
    struct Case {
        TUpdateDescriptionType mode;
        TIBSQLServerVersionType version;
        const char* table;
        const char* column;
    };
    const Case cases[] = {
        {udSysTables, st_Firebird_25,
         "UPDATE RDB$RELATIONS SET RDB$DESCRIPTION = \r\n'it''s a \\path\\\r\nsecond line'\r\nWHERE RDB$RELATION_NAME = 'ORDERS'",
         "UPDATE RDB$RELATION_FIELDS SET RDB$DESCRIPTION = \r\n'it''s a \\path\\\r\nsecond line'\r\nWHERE RDB$RELATION_NAME = 'ORDERS' AND RDB$FIELD_NAME = 'AMOUNT'"},
        // Firebird 3 refuses updates of system tables: its own COMMENT ON is written instead.
        {udSysTables, st_Firebird_30, "COMMENT ON TABLE ORDERS IS\r\n'it''s a \\path\\\r\nsecond line'",
         "COMMENT ON COLUMN ORDERS.AMOUNT IS\r\n'it''s a \\path\\\r\nsecond line'"},
        {udDescribe, st_Firebird_25, "DESCRIBE TABLE ORDERS\r\n'it''s a \\path\\\r\nsecond line'",
         "DESCRIBE FIELD AMOUNT TABLE ORDERS\r\n'it''s a \\path\\\r\nsecond line'"},
        {udComment, st_Firebird_25, "COMMENT ON TABLE ORDERS IS\r\n'it''s a \\path\\\r\nsecond line'",
         "COMMENT ON COLUMN ORDERS.AMOUNT IS\r\n'it''s a \\path\\\r\nsecond line'"},
        {udDescribe, st_InterBase_2020, "ALTER DESCRIPTION FOR TABLE ORDERS SET\r\n'it''s a \\path\\\r\nsecond line'",
         "ALTER DESCRIPTION FOR COLUMN ORDERS.AMOUNT SET\r\n'it''s a \\path\\\r\nsecond line'"},
    };
    for (const auto& c : cases) {
        Set s(dbInterBase);
        s.objs.fIBServerOptions.GetIBCompareOptions().SetUpdateDescriptionMode(c.mode);
        s.objs.fIBServerOptions.SetSQLServerVersion(c.version);
        EXPECT_EQ(s.tbl->DescriptionDef(), c.table) << int(c.mode) << "/" << int(c.version);
        EXPECT_EQ(s.col->DescriptionDef(), c.column) << int(c.mode) << "/" << int(c.version);
    }
}

TEST(DescriptionTest, InterBaseParametersAndOtherKinds) {
    Set s(dbInterBase);
    auto* p = new TPrcData(&s.objs);
    p->SetObjName("Calc");
    p->Func = true;
    TFldData* a = p->AddParam("A");
    a->EditExtra().fDescription = "x";
    p->EditExtra().fDescription = "x";
    s.objs.AddObj(p);
    s.objs.fIBServerOptions.GetIBCompareOptions().SetUpdateDescriptionMode(udComment);
    EXPECT_EQ(p->DescriptionDef(), "COMMENT ON FUNCTION \"Calc\" IS\r\n'x'");
    EXPECT_EQ(a->DescriptionDef(), "COMMENT ON PARAMETER \"Calc\".A IS\r\n'x'");
    s.objs.fIBServerOptions.GetIBCompareOptions().SetUpdateDescriptionMode(udSysTables);
    EXPECT_EQ(a->DescriptionDef(),
              "UPDATE RDB$PROCEDURE_PARAMETERS SET RDB$DESCRIPTION = \r\n'x'\r\nWHERE RDB$PROCEDURE_NAME = 'Calc' AND RDB$PARAMETER_NAME = 'A'");
    TCtrData ctr(&s.objs);
    ctr.SetObjName("PK_ORDERS");
    ctr.EditExtra().fDescription = "x";
    EXPECT_EQ(ctr.DescriptionDef(), "/* x */");

    // Without the description category nothing is written for any kind.
    s.objs.SetCompareObjects(TCmpObjSetType::All().Exclude(coDescription));
    EXPECT_EQ(s.tbl->DescriptionDef(), "");
    EXPECT_EQ(a->DescriptionDef(), "");
}

TEST(DescriptionTest, OtherDialects) {
    {
        Set s(dbPostgreSQL);
        EXPECT_EQ(s.tbl->DescriptionDef(), "COMMENT ON TABLE orders IS E'it''s a \\\\path\\\\\r\nsecond line'");
        EXPECT_EQ(s.col->DescriptionDef(), "COMMENT ON COLUMN orders.amount IS E'it''s a \\\\path\\\\\r\nsecond line'");
        s.tbl->SetSchema("public");
        EXPECT_EQ(s.col->DescriptionDef(), "COMMENT ON COLUMN public.orders.amount IS E'it''s a \\\\path\\\\\r\nsecond line'");
        TPrcData f(&s.objs);
        f.SetObjName("calc");
        f.SetSchema("public");
        f.EditExtra().fDescription = "d";
        EXPECT_EQ(f.DescriptionDef(), "COMMENT ON FUNCTION public.calc() IS 'd'");
        TCtrData c(&s.objs);
        c.SetObjName("orders_pkey");
        c.SetTblName("orders");
        c.EditExtra().fDescription = "d";
        EXPECT_EQ(c.DescriptionDef(), "COMMENT ON CONSTRAINT orders_pkey ON orders IS 'd'");
    }
    {
        Set s(dbMSSQL);
        s.objs.fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2017);
        s.tbl->SetSchema("DBO");
        EXPECT_EQ(s.col->DescriptionDef(),
                  "exec sys.sp_addextendedproperty @name=N'MS_Description', @value=N'it''s a \\path\\\r\nsecond line', "
                  "@level0type=N'SCHEMA', @level0name=N'DBO', @level1type=N'TABLE', @level1name=N'ORDERS', "
                  "@level2type=N'COLUMN', @level2name=N'AMOUNT'");
        s.objs.fMSSQLServerOptions.GetMSSQLDatabaseOptions().SetCompatibilityLevel(80);
        EXPECT_EQ(s.tbl->DescriptionDef().substr(0, 33), "exec dbo.sp_addextendedproperty @");
        s.objs.fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2000);
        EXPECT_EQ(s.tbl->DescriptionDef(), "");
    }
    {
        Set s(dbMySQL);
        EXPECT_EQ(s.tbl->DescriptionDef(), "ALTER TABLE `orders` COMMENT = 'it\\'s a \\\\path\\\\\\r\\nsecond line'");
        s.col->FieldType = iftInteger;
        EXPECT_EQ(s.col->DescriptionDef(),
                  "ALTER TABLE `orders` MODIFY COLUMN `amount` INTEGER COMMENT 'it\\'s a \\\\path\\\\\\r\\nsecond line'");
        TViwData v(&s.objs);
        v.SetObjName("v");
        v.EditExtra().fDescription = "d";
        EXPECT_EQ(v.DescriptionDef(), "");
    }
    {
        Set s(dbOracle);
        s.tbl->SetSchema("HR");
        EXPECT_EQ(s.tbl->DescriptionDef(), "COMMENT ON TABLE HR.ORDERS IS\r\n'it''s a \\path\\\r\nsecond line'");
        EXPECT_EQ(s.col->DescriptionDef(), "COMMENT ON COLUMN HR.ORDERS.AMOUNT IS\r\n'it''s a \\path\\\r\nsecond line'");
        TCtrData c(&s.objs);
        c.SetObjName("PK");
        EXPECT_EQ(c.DescriptionDef(), "/* COMMENT ON... */");
    }
    {
        Set s(dbSybaseASA);
        EXPECT_EQ(s.tbl->DescriptionDef(), "COMMENT ON TABLE ORDERS IS\r\n'it''s a \\path\\\r\nsecond line'");
        EXPECT_EQ(s.col->DescriptionDef(), "COMMENT ON COLUMN ORDERS.AMOUNT IS\r\n'it''s a \\path\\\r\nsecond line'");
    }
    {
        Set s(dbDB2);
        EXPECT_EQ(s.tbl->DescriptionDef(), "");
    }
}

}  // namespace
}  // namespace dbtwin
