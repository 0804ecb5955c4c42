#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Viw.h"
#include "objects/krvDBStructure.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddTable;
using testing::AddTrigger;
using testing::AddView;
using testing::AsLiteral;
using testing::Compare;

// ---------------------------------------------------------------------------
// Texts per dialect

struct TextCase {
    const char* name;
    TDatabaseType db;
    std::function<void(TViwData&)> setup;
    std::string def, drop;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class ViewTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ViewTextTest, DefAndDrop) {
    const TextCase& c = GetParam();
    TObjs o;
    o.SetDatabaseType(c.db);
    TViwData v(&o);
    c.setup(v);
    EXPECT_EQ(v.Def(), c.def) << AsLiteral(v.Def());
    EXPECT_EQ(v.DropDef(), c.drop);
}

const TextCase kTextCases[] = {
    {"InterBaseColumnsAndCheckOption", dbInterBase,
     [](TViwData& v) {
         v.SetObjName("V");
         v.AddFld("A");
         v.AddFld("my b");
         v.SetBody("SELECT A, B FROM T WHERE A > 0 WITH CHECK OPTION");
     },
     "CREATE VIEW V(\r\nA,\r\n\"my b\")\r\n AS \r\nSELECT A, B FROM T WHERE A > 0 WITH CHECK OPTION", "DROP VIEW V"},
    {"PostgreSQLWithSchema", dbPostgreSQL,
     [](TViwData& v) {
         v.SetObjName("v");
         v.SetSchema("public");
         v.AddFld("a");
         v.SetBody("SELECT a FROM t");
     },
     "CREATE VIEW public.v(\r\na)\r\n AS \r\nSELECT a FROM t", "DROP VIEW public.v"},
    {"MySQLAlgorithmAndSecurityDefinerNotWritten", dbMySQL,
     [](TViwData& v) {
         v.SetObjName("V");
         v.Algorithm = "MERGE";
         v.SqlSecurity = "INVOKER";
         v.Definer = "root@localhost";
         v.SetBody("SELECT 1 AS X");
     },
     "CREATE ALGORITHM=MERGE SQL SECURITY INVOKER VIEW V\r\n AS \r\nSELECT 1 AS X", "DROP VIEW V"},
    {"SqlServerSchemaBindingAndViewMetadata", dbMSSQL,
     [](TViwData& v) {
         v.SetObjName("V");
         v.SetSchema("dbo");
         v.WithSchemaBinding = true;
         v.WithViewMetadata = true;
         v.SetBody("SELECT A FROM DBO.T");
     },
     "CREATE VIEW DBO.V\r\n  WITH SCHEMABINDING, VIEW_METADATA\r\n AS \r\nSELECT A FROM DBO.T", "DROP VIEW DBO.V"},
    {"SqlServerAllOptions", dbMSSQL,
     [](TViwData& v) {
         v.SetObjName("V");
         v.WithEncryption = v.WithSchemaBinding = v.WithViewMetadata = true;
         v.AddFld("A");
         v.SetBody("SELECT 1");
     },
     "CREATE VIEW V(\r\nA)\r\n  WITH ENCRYPTION, SCHEMABINDING, VIEW_METADATA\r\n AS \r\nSELECT 1", "DROP VIEW V"},
    {"SqlServerWithoutQueryKeepsItsSource", dbMSSQL,
     [](TViwData& v) {
         v.SetObjName("V");
         v.EditExtra().Text = "create view v as select 1 x";
     },
     "create view v as select 1 x", "DROP VIEW V"},
    {"OracleObjectView", dbOracle,
     [](TViwData& v) {
         v.SetObjName("V");
         v.SetSchema("S");
         v.OfType = "EMP_T";
         v.ObjIdentFlds = {"ID", "NR"};
         v.SetBody("SELECT ID, NR FROM EMP");
     },
     "CREATE OR REPLACE VIEW S.V OF EMP_T\r\n   WITH OBJECT IDENTIFIER(ID, NR)\r\n   AS \r\nSELECT ID, NR FROM EMP",
     "DROP VIEW S.V"},
    {"OracleNamedObjectIdentifier", dbOracle,
     [](TViwData& v) {
         v.SetObjName("V");
         v.ObjIdent = "OID";
         v.ObjIdentFlds = {"ID"};
         v.AddFld("ID");
         v.SetBody("SELECT ID FROM EMP");
     },
     "CREATE OR REPLACE VIEW V\r\n   WITH OBJECT OID(ID)(\r\nID)\r\n   AS \r\nSELECT ID FROM EMP", "DROP VIEW V"},
    {"ExcludedViewIsNeverDropped", dbInterBase,
     [](TViwData& v) {
         v.SetObjName("V");
         v.CompExclude = true;
         v.SetBody("SELECT 1 FROM RDB$DATABASE");
     },
     "CREATE VIEW V\r\n AS \r\nSELECT 1 FROM RDB$DATABASE", ""},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, ViewTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ViewRecordTest, ReCreateFlagFollowsTheMatchingViewAndLayoutIsIgnoredOnPostgreSQL) {
    TObjs m, t;
    m.SetDatabaseType(dbPostgreSQL);
    t.SetDatabaseType(dbPostgreSQL);
    TViwData* mv = AddView(m, "v", "SELECT a\n  FROM t", {}, {});
    TViwData* tv = AddView(t, "v", "SELECT a FROM t", {}, {});
    mv->SetRefObj(tv);
    tv->SetRefObj(mv);
    mv->SetReCreate(true);
    EXPECT_TRUE(tv->GetReCreate());
    tv->SetReCreate(false);
    EXPECT_FALSE(mv->GetReCreate());

    mv->EditExtra().fCurrentDefinition = mv->Def();
    tv->EditExtra().fCurrentDefinition = tv->Def();
    EXPECT_TRUE(SameViewDefinition(mv, tv));
    tv->EditExtra().fCurrentDefinition += " WHERE a > 0";
    EXPECT_FALSE(SameViewDefinition(mv, tv));

    // Elsewhere the layout counts.
    m.SetDatabaseType(dbInterBase);
    mv->EditExtra().fCurrentDefinition = "SELECT a\r\n  FROM t";
    tv->EditExtra().fCurrentDefinition = "SELECT a FROM t";
    EXPECT_FALSE(SameViewDefinition(mv, tv));
}

// ---------------------------------------------------------------------------
// Generators: golden scripts

// Names as each server keeps them: PostgreSQL folds to lower case.
std::string N(TDatabaseType db, const char* name) { return db == dbPostgreSQL ? LowerCase(name) : name; }
std::string Schema(TDatabaseType db) {
    switch (db) {
        case dbPostgreSQL: return "public";
        case dbMSSQL: return "DBO";
        default: return "";
    }
}

// A view only the master has, one only the target has, one whose query changed and one
// that is the same on both sides.
void FillViewChanges(Compare& c, TDatabaseType db) {
    const std::string s = Schema(db);
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* t = AddTable(o, N(db, "T"), {{"A", iftInteger}, {"B", iftInteger}}, s);
        const std::string from = " FROM " + t->GetObjFullName();
        if (m) AddView(o, N(db, "V_ADD"), "SELECT A" + from, {db == dbPostgreSQL ? "x" : "X"}, {t, t->FindFld("A")}, s);
        else AddView(o, N(db, "V_DROP"), "SELECT B" + from, {}, {t, t->FindFld("B")}, s);
        AddView(o, N(db, "V_CHANGE"), (m ? "SELECT A, B" : "SELECT A") + from, {}, {t}, s);
        AddView(o, N(db, "V_SAME"), "SELECT B" + from, {}, {t}, s);
    }
}

// Three views stacked on a column whose type changes: named so that their key order is
// the reverse of their dependency order.
void FillViewChain(Compare& c, TDatabaseType db) {
    const std::string s = Schema(db);
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        const bool pg = db == dbPostgreSQL;
        TTblData* t = AddTable(o, N(db, "T"), {{pg ? "a" : "A", iftVarchar}, {pg ? "b" : "B", iftInteger}}, s);
        TFldData* a = t->Flds.Objects(0);
        if (m) a->CharLength = a->FieldLength = 20;
        TViwData* base = AddView(o, N(db, "V_C_BASE"), "SELECT A, B FROM " + t->GetObjFullName(), {},
                                 {t, a, t->Flds.Objects(1)}, s);
        TViwData* mid = AddView(o, N(db, "V_B_MID"), "SELECT A FROM " + base->GetObjFullName(), {}, {base}, s);
        AddView(o, N(db, "V_A_TOP"), "SELECT A FROM " + mid->GetObjFullName(), {}, {mid}, s);
    }
}

// The master has a view with an INSTEAD OF trigger the target lacks; the target has a view
// with a trigger the master lacks.
void FillViewTriggers(Compare& c, TDatabaseType db) {
    const bool ib = db == dbInterBase;
    const TBefAftType timing = ib ? baBefore : baInsteadOf;
    const char* body = ib ? "AS BEGIN INSERT INTO T VALUES (NEW.A); END" : "INSERT INTO T SELECT A FROM inserted";
    TCustomObjs& m = *c.master.GetObjs();
    TTblData* mt = AddTable(m, "T", {{"A", iftInteger}});
    AddView(m, "V_NEW", "SELECT A FROM T", {}, {mt});
    AddTrigger(m, {"TR_NEW", "V_NEW", timing, {iudInsert}, body});
    TCustomObjs& t = *c.target.GetObjs();
    TTblData* tt = AddTable(t, "T", {{"A", iftInteger}});
    AddView(t, "V_OLD", "SELECT A FROM T", {}, {tt});
    TTrgData* old = AddTrigger(t, {"TR_OLD", "V_OLD", timing, {iudInsert}, body});
    t.LinkDepend(old, tt);
}

// Texts that differ only as the servers reformat them give no script.
void FillViewsAlike(Compare& c, TDatabaseType db) {
    const bool pg = db == dbPostgreSQL;
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* t = AddTable(o, N(db, "T"), {{"A", iftInteger}}, Schema(db));
        if (pg)
            AddView(o, "v", m ? "SELECT a\n   FROM public.t" : "SELECT a FROM   public.t", {}, {t}, "public");
        else
            AddView(o, "V", std::string("SELECT A FROM T WITH ") + (m ? "CHECK OPTION" : "check option"), {}, {t});
    }
}

// A changed view that has a trigger on both sides: the trigger goes with the old view and
// comes back with the new one.
void FillChangedViewWithTrigger(Compare& c, TDatabaseType db) {
    const bool pg = db == dbPostgreSQL;
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* t = AddTable(o, N(db, "T"), {{"A", iftInteger}});
        const std::string from = " FROM " + t->GetObjFullName();
        TViwData* v = AddView(o, N(db, "V"), (m ? "SELECT A, 1 AS ONE" : "SELECT A") + from, {}, {t});
        AddTrigger(o, {N(db, "TRV").c_str(), v->fObjName.c_str(), pg ? baInsteadOf : baBefore, {iudInsert},
                       pg ? "EXECUTE FUNCTION f()" : "AS BEGIN INSERT INTO T VALUES (NEW.A); END"});
    }
}

// A view that uses a column of the changed table (no link to the table itself) is
// re-created too.
void FillViewOnColumnOnly(Compare& c, TDatabaseType) {
    for (TDBStructure* side : {&c.master, &c.target}) {
        TCustomObjs& o = *side->GetObjs();
        TTblData* t = AddTable(o, "T", {{"A", iftVarchar}});
        if (side == &c.master) t->FindFld("A")->CharLength = t->FindFld("A")->FieldLength = 20;
        AddView(o, "V", "SELECT A FROM T", {}, {t->FindFld("A")});
    }
}

// Only the descriptions differ: the view is described, not rebuilt.
void FillViewDescriptions(Compare& c, TDatabaseType) {
    c.keldar.SetCompareObjects(TCmpObjSetType{coTable, coView, coDescription});
    for (TDBStructure* side : {&c.master, &c.target}) {
        TCustomObjs& o = *side->GetObjs();
        TTblData* t = AddTable(o, "t", {{"a", iftInteger}}, "public");
        AddView(o, "v", "SELECT a FROM public.t", {}, {t}, "public")
            ->SetDescription(side == &c.master ? "the view's new note" : "old note");
    }
}

// DB2 sets the current schema before a view of another schema is created.
void FillDb2Schemas(Compare& c, TDatabaseType) {
    TCustomObjs& m = *c.master.GetObjs();
    TTblData* t = AddTable(m, "T", {{"A", iftInteger}}, "S1");
    AddView(m, "V1", "SELECT A FROM S1.T", {}, {t}, "S1");
    AddView(m, "V2", "SELECT A FROM S1.T", {}, {t}, "S2");
    AddTable(*c.target.GetObjs(), "T", {{"A", iftInteger}}, "S1");
}

using GoldenCase = testing::ScriptCase;

class ViewGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(ViewGoldenTest, WholeScript) {
    testing::ExpectScriptCase(GetParam(), [](Compare& c) {
        c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
        c.target.GetObjs()->fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2005);
    });
}

const GoldenCase kGolden[] = {
    {"InterBaseAddDropChange", dbInterBase, FillViewChanges,
     "view_changes/interbase.sql"},
    {"PostgreSQLAddDropChange", dbPostgreSQL, FillViewChanges,
     "view_changes/postgresql.sql"},
    {"MySQLAddDropChange", dbMySQL, FillViewChanges,
     "view_changes/mysql.sql"},
    {"SqlServerAddDropChange", dbMSSQL, FillViewChanges,
     "view_changes/sqlserver.sql"},
    {"InterBaseChainOnChangedColumn", dbInterBase, FillViewChain,
     "view_chain/interbase.sql"},
    {"PostgreSQLChainOnChangedColumn", dbPostgreSQL, FillViewChain,
     "view_chain/postgresql.sql"},
    {"SqlServerChainOnChangedColumn", dbMSSQL, FillViewChain,
     "view_chain/sqlserver.sql"},
    {"OracleChainOnChangedColumn", dbOracle, FillViewChain,
     "view_chain/oracle.sql"},
    {"InterBaseViewTriggers", dbInterBase, FillViewTriggers,
     "view_triggers/interbase.sql"},
    {"SqlServerViewTriggers", dbMSSQL, FillViewTriggers,
     "view_triggers/sqlserver.sql"},
    {"InterBaseChangedViewWithTrigger", dbInterBase, FillChangedViewWithTrigger,
     "changed_view_with_trigger/interbase.sql"},
    {"PostgreSQLChangedViewWithTrigger", dbPostgreSQL, FillChangedViewWithTrigger,
     "changed_view_with_trigger/postgresql.sql"},
    {"OracleViewOnAColumnOnly", dbOracle, FillViewOnColumnOnly,
     "view_on_column/oracle.sql"},
    {"PostgreSQLDescriptionOnly", dbPostgreSQL, FillViewDescriptions,
     "view_description/postgresql.sql"},
    {"DB2SchemaOfEachView", dbDB2, FillDb2Schemas,
     "view_schemas/db2.sql"},
    {"PostgreSQLLayoutIsNotADifference", dbPostgreSQL, FillViewsAlike, "views_alike/postgresql.sql"},
    {"InterBaseCheckOptionCaseIsNotADifference", dbInterBase, FillViewsAlike,
     "views_alike/interbase.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, ViewGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

// The described columns of a view are described when the view is created (new, or in an
// export), as when it is created again after a change.
TEST(ViewDescriptionTest, ANewViewsColumnsKeepTheirDescriptions) {
    {
        Compare c(dbInterBase);
        c.keldar.SetCompareObjects(TCmpObjSetType{coTable, coView, coDescription});
        for (TDBStructure* side : {&c.master, &c.target}) AddTable(*side->GetObjs(), "T", {{"A", iftInteger}});
        TViwData* v = AddView(c.Master(), "V", "SELECT A FROM T", {}, {c.Master().Tbl.Find("T")});
        v->AddFld("X")->SetDescription("the x column");
        v->SetDescription("the view");
        const std::string script = c.Run();
        EXPECT_NE(script.find("the view"), std::string::npos) << script;
        EXPECT_NE(script.find("the x column"), std::string::npos) << script;
        std::vector<std::string> exported;
        c.Master().ExtractMetadata(exported);
        const std::string all = testing::JoinLines(exported);
        EXPECT_NE(all.find("the x column"), std::string::npos) << all;
    }
}

TEST(ViewDropTest, GrantsOnADroppedViewAreGrantedAgain) {
    Compare c(dbInterBase);
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    AddView(m, "V", "SELECT 1 AS X FROM RDB$DATABASE", {}, {});
    TViwData* tv = AddView(t, "V", "SELECT 2 AS X FROM RDB$DATABASE", {}, {});
    auto* g = new TGntData(&m);
    g->SetObjName("V.PUBLIC");
    g->GntObjName = "V";
    m.AddObj(g);
    c.keldar.OnAfterCompare = [&](TObject*) { EXPECT_FALSE(g->GetObjCreated()); };
    g->SetObjCreated(true);
    c.keldar.SetCompareObjects(TCmpObjSetType{coView});
    c.Run();
    // Outside a comparison too: the drop alone clears the grant's flag.
    g->SetObjCreated(true);
    tv->SetObjCreated(true);
    tv->DropDependDef();
    EXPECT_FALSE(g->GetObjCreated());
}

}  // namespace
}  // namespace dbtwin
