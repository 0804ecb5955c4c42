#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Trg.h"
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
// Type codes

TEST(TriggerTypeTest, EveryInterBaseCodeRendersItsTextAndMapsBack) {
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    AddTable(o, "T", {{"A", iftInteger}});
    for (const TTrgType& tt : TrgTypes) {
        TTrgData t(&o);
        t.SetOwnName("T");
        t.Typ = tt.Typ;
        EXPECT_EQ(t.TrgTypStr(), tt.TypStr) << tt.Typ;
        EXPECT_EQ(TrgTypeCode(tt.befAft, tt.InsUpdDel), tt.Typ);
        EXPECT_EQ(FindTrgType(tt.Typ), &tt);
    }
    EXPECT_EQ(TrgTypeCode(baBefore, {}), 0);
    EXPECT_EQ(FindTrgType(7), nullptr);
    TTrgData db(&o);
    db.EventType = "CONNECT";
    EXPECT_EQ(db.TrgTypStr(), "ON CONNECT\r\n");
    // A DDL trigger names its timing itself: "ON BEFORE ..." is refused by the server.
    db.EventType = "BEFORE ANY DDL STATEMENT";
    EXPECT_EQ(db.TrgTypStr(), "BEFORE ANY DDL STATEMENT\r\n");
}

// ---------------------------------------------------------------------------
// Texts per dialect

struct TextCase {
    const char* name;
    TDatabaseType db;
    std::function<void(TCustomObjs&, TTrgData&)> setup;
    std::string def, drop, alter;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class TriggerTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TriggerTextTest, DefDropAndAlter) {
    const TextCase& c = GetParam();
    TObjs o;
    o.SetDatabaseType(c.db);
    TTrgData t(&o);
    c.setup(o, t);
    EXPECT_EQ(t.Def(), c.def) << AsLiteral(t.Def());
    EXPECT_EQ(t.DropDef(), c.drop);
    EXPECT_EQ(t.AlterDef(), c.alter) << AsLiteral(t.AlterDef());
    // The empty-body text differs from the definition in the body alone.
    const std::string empty = t.EmptyDef();
    const std::string head = c.def.substr(0, c.def.size() - t.fBody.size());
    if (!t.fBody.empty()) {
        EXPECT_EQ(empty, head + t.EmptyBody());
    }
}

const TextCase kTextCases[] = {
    {"InterBaseTableTrigger", dbInterBase,
     [](TCustomObjs& o, TTrgData& t) {
         AddTable(o, "T", {{"A", iftInteger}});
         t.SetObjName("TR");
         t.SetOwnName("T");
         t.SetEvents(baBefore, {iudInsert, iudUpdate});
         t.Position = 5;
         t.SetBody("AS\nBEGIN\n  NEW.A = 1;\nEND");
     },
     "CREATE TRIGGER TR FOR T\r\nACTIVE BEFORE INSERT OR UPDATE POSITION 5 \r\nAS\r\nBEGIN\r\n  NEW.A = 1;\r\nEND",
     "DROP TRIGGER TR", "ALTER TRIGGER TR\r\nAS\r\nBEGIN\r\n  NEW.A = 1;\r\nEND"},
    {"InterBaseDatabaseTriggerQuotedAndInactive", dbInterBase,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("on connect");
         t.EventType = "CONNECT";
         t.Active = false;
         t.SetBody("AS BEGIN END");
     },
     "CREATE TRIGGER \"on connect\"\r\nINACTIVE ON CONNECT\r\n POSITION 0 \r\nAS BEGIN END",
     "DROP TRIGGER \"on connect\"", "ALTER TRIGGER \"on connect\"\r\nAS BEGIN END"},
    {"MySQLDeleteWinsOverTheOtherEvents", dbMySQL,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("TR");
         t.SetOwnName("order");
         t.SetEvents(baBefore, {iudInsert, iudUpdate, iudDelete});
         t.SetBody("SET @n = 1");
     },
     "CREATE TRIGGER TR BEFORE DELETE ON `order`\r\n     FOR EACH ROW\r\nSET @n = 1", "DROP TRIGGER TR",
     "ALTER TRIGGER TR\r\nSET @n = 1"},
    {"PostgreSQLWithSchemaAndCondition", dbPostgreSQL,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("tr");
         t.SetSchema("public");
         t.SetOwnName("t");
         t.SetEvents(baAfter, {iudInsert, iudUpdate, iudDelete});
         t.AddFld("a");
         t.AddFld("Mixed");
         t.ForEachRow = true;
         t.WhenExpr = "new.a > 0";
         t.SetBody("EXECUTE FUNCTION f()");
     },
     "CREATE TRIGGER tr\r\n  AFTER INSERT OR UPDATE OF a, \"Mixed\" OR DELETE\r\n  ON public.t\r\n  FOR EACH ROW\r\n"
     "  WHEN (new.a > 0)\r\n"
     "EXECUTE FUNCTION f()",
     "DROP TRIGGER tr ON public.t", "ALTER TRIGGER tr\r\nEXECUTE FUNCTION f()"},
    {"PostgreSQLWithoutSchemaInsteadOfStatement", dbPostgreSQL,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("Tr");
         t.SetOwnName("v");
         t.SetEvents(baInsteadOf, {iudUpdate});
         t.ForEachRow = false;
         t.SetBody("EXECUTE FUNCTION f()");
     },
     "CREATE TRIGGER \"Tr\"\r\n  INSTEAD OF UPDATE\r\n  ON v\r\n  FOR EACH STATEMENT\r\nEXECUTE FUNCTION f()",
     "DROP TRIGGER \"Tr\" ON v", "ALTER TRIGGER \"Tr\"\r\nEXECUTE FUNCTION f()"},
    {"OracleColumnsReferencingCondition", dbOracle,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("TR");
         t.SetSchema("S");
         t.SetOwnName("T");
         t.SetEvents(baBefore, {iudInsert, iudUpdate});
         t.AddFld("A");
         t.AddFld("B");
         t.RefNew = "N";
         t.ForEachRow = true;
         t.WhenExpr = "(N.A > 0)";
         t.SetBody("BEGIN NULL; END;");
     },
     "CREATE OR REPLACE TRIGGER S.TR\r\n  BEFORE INSERT OR UPDATE  OF A, B ON S.T\r\n  REFERENCING NEW AS N\r\n"
     "  FOR EACH ROW\r\n  WHEN (N.A > 0)\r\nBEGIN NULL; END;",
     "DROP TRIGGER S.TR",
     "CREATE OR REPLACE TRIGGER S.TR\r\n  BEFORE INSERT OR UPDATE  OF A, B ON S.T\r\n  REFERENCING NEW AS N\r\n"
     "  FOR EACH ROW\r\n  WHEN (N.A > 0)\r\nBEGIN NULL; END;"},
    // Without case-sensitive identifiers SQL Server names are kept in upper case.
    {"SqlServerTableTrigger", dbMSSQL,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("TR");
         t.SetSchema("dbo");
         t.SetOwnName("T");
         t.SetEvents(baAfter, {iudInsert, iudDelete});
         t.NotForReplication = true;
         t.SetBody("SET NOCOUNT ON");
     },
     "CREATE TRIGGER DBO.TR ON DBO.T\r\n AFTER INSERT, DELETE\r\n NOT FOR REPLICATION\r\n AS\r\nSET NOCOUNT ON",
     "DROP TRIGGER DBO.TR",
     "ALTER TRIGGER DBO.TR ON DBO.T\r\n AFTER INSERT, DELETE\r\n NOT FOR REPLICATION\r\n AS\r\nSET NOCOUNT ON"},
    {"SqlServerDatabaseTrigger", dbMSSQL,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("TR");
         t.SetOwnName("DATABASE");
         t.BefAft = baFor;
         t.EventType = "DDL_TABLE_EVENTS";
         t.SetBody("PRINT 'x'");
     },
     "CREATE TRIGGER TR ON DATABASE\r\n FOR DDL_TABLE_EVENTS\r\n AS\r\nPRINT 'x'", "DROP TRIGGER TR ON DATABASE",
     "ALTER TRIGGER TR ON DATABASE\r\n FOR DDL_TABLE_EVENTS\r\n AS\r\nPRINT 'x'"},
    {"SqlServerWithoutTimingFiresFor", dbMSSQL,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("TR");
         t.SetOwnName("T");
         t.SetEvents(baUnknown, {iudUpdate});
         t.SetBody("RETURN");
     },
     "CREATE TRIGGER TR ON T\r\n FOR UPDATE\r\n AS\r\nRETURN", "DROP TRIGGER TR",
     "ALTER TRIGGER TR ON T\r\n FOR UPDATE\r\n AS\r\nRETURN"},
    {"SqlAnywhereWatcomDialect", dbSybaseASA,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("TR");
         t.EditExtra().OwnUser = "U1";
         t.SetOwnName("T");
         t.SetEvents(baBefore, {iudUpdate});
         t.AddFld("C");
         t.AddFld("my col");
         t.Position = 2;
         t.RefNew = "N";
         t.ForEachRow = true;
         t.SetBody("BEGIN END");
     },
     "CREATE TRIGGER \r\nTR BEFORE UPDATE OF C, \"my col\" ORDER 2 ON\r\nU1.T\r\nREFERENCING NEW AS N\r\n"
     "FOR EACH ROW\r\nBEGIN END",
     "DROP TRIGGER U1.T.TR", "ALTER TRIGGER TR\r\nBEGIN END"},
    {"SqlAnywhereTransactDialect", dbSybaseASA,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("TR");
         t.SetOwnName("T");
         t.ASADialect = asaTransactSQL;
         t.SetEvents(baAfter, {iudInsert, iudUpdate});
         t.SetBody("BEGIN END");
     },
     "CREATE TRIGGER \r\nTR ON T\r\n  FOR INSERT, UPDATE\r\n  AS\r\nBEGIN END", "DROP TRIGGER T.TR",
     "ALTER TRIGGER TR\r\nBEGIN END"},
    {"DB2ColumnsReferencingMode", dbDB2,
     [](TCustomObjs&, TTrgData& t) {
         t.SetObjName("TR");
         t.SetOwnName("T");
         t.SetEvents(baBefore, {iudUpdate});
         t.AddFld("A");
         t.RefNew = "N";
         t.RefOldTbl = "OT";
         t.ForEachRow = true;
         t.Mode = "DB2SQL";
         t.WhenExpr = "(N.A > 0)";
         t.SetBody("BEGIN ATOMIC END");
     },
     "CREATE TRIGGER TR\r\n  NO CASCADE BEFORE UPDATE OF A ON T\r\n  REFERENCING\r\n  NEW AS N\r\n  OLD_TABLE AS OT\r\n"
     "  FOR EACH ROW MODE DB2SQL\r\n  WHEN (N.A > 0)\r\nBEGIN ATOMIC END",
     "DROP TRIGGER TR", "ALTER TRIGGER TR\r\nBEGIN ATOMIC END"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, TriggerTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TriggerRecordTest, OwnerLookupAssignAndSourceBody) {
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    TTblData* t = AddTable(o, "T", {{"A", iftInteger}});
    TViwData* v = AddView(o, "V", "SELECT A FROM T", {}, {t});
    TTrgData a(&o);
    a.SetOwnName("V");
    EXPECT_EQ(a.fOwnObj, v);  // no table of that name: the view
    a.SetOwnName("T");
    EXPECT_EQ(a.fOwnObj, t);
    a.SetOwnName("NONE");
    EXPECT_EQ(a.fOwnObj, nullptr);

    a.SetObjName("TR");
    a.SetOwnName("T");
    a.SetEvents(baAfter, {iudDelete});
    a.Position = 3;
    a.Active = false;
    a.SetBody("AS BEGIN END");
    a.SetDescription("note");
    TTrgData b(&o);
    b.Assign(a);
    EXPECT_EQ(b.Def(), a.Def());
    EXPECT_EQ(b.fOwnObj, t);
    EXPECT_EQ(b.Extra().fDescription, "note");

    // The source body is the body as first seen; later changes of the body do not move it.
    EXPECT_EQ(b.SourceDef(), a.Def());
    b.SetBody("AS BEGIN EXIT; END");
    EXPECT_EQ(b.SourceDef(), a.Def());
    EXPECT_NE(b.Def(), a.Def());
}

// ---------------------------------------------------------------------------
// Generators: golden scripts

// Master and target hold table T; the triggers differ as their names say (PostgreSQL names
// in lower case, as the server folds them).
void FillTriggerChanges(Compare& c, TDatabaseType db) {
    const bool ib = db == dbInterBase;
    const bool pg = db == dbPostgreSQL;
    auto body = [&](const char* ibBody, const char* other, const char* pgBody = "EXECUTE FUNCTION f()") {
        return ib ? ibBody : pg ? pgBody : other;
    };
    const std::string schema = pg ? "public" : "";
    for (TDBStructure* s : {&c.master, &c.target}) {
        const bool m = s == &c.master;
        TCustomObjs& o = *s->GetObjs();
        auto add = [&](const char* name, TBefAftType ba, TInsUpdDelSet ev, const std::string& text, int pos = 0,
                       bool active = true) {
            const std::string n = pg ? LowerCase(name) : name;
            AddTrigger(o, {n.c_str(), pg ? "t" : "T", ba, ev, text.c_str(), pos, active}, schema);
        };
        AddTable(o, pg ? "t" : "T", {{"A", iftInteger}}, schema);
        if (m) add("TR_ADD", baBefore, {iudInsert}, body("AS BEGIN NEW.A = 1; END", "SET NEW.A = 1"));
        else add("TR_DROP", baAfter, {iudDelete}, body("AS BEGIN END", "SET @X = 1"));
        add("TR_BODY", baBefore, {iudUpdate},
            m ? body("AS BEGIN NEW.A = 2; END", "SET NEW.A = 2")
              : body("AS BEGIN NEW.A = 3; END", "SET NEW.A = 3", "EXECUTE FUNCTION g()"));
        add("TR_EVENT", baAfter, m ? TInsUpdDelSet{iudInsert} : TInsUpdDelSet{iudUpdate},
            body("AS BEGIN END", "SET @Y = 1"));
        if (ib) {
            add("TR_POS", baAfter, {iudInsert}, "AS BEGIN END", m ? 2 : 1);
            add("TR_ACT", baAfter, {iudUpdate}, "AS BEGIN END", 0, m);
        }
    }
}

// The target's trigger writes into a table the master no longer has: before the table is
// dropped the trigger is emptied (or, where a body cannot be replaced, dropped), and the
// master's body follows in the trigger alter phase.
void FillTriggerUsesDroppedTable(Compare& c, TDatabaseType db) {
    const bool ib = db == dbInterBase;
    const bool my = db == dbMySQL;
    const std::string t1 = ib || my ? "T1" : "t1", t2 = ib || my ? "T2" : "t2", tr = ib || my ? "TR" : "tr";
    const char* masterBody = ib ? "AS BEGIN NEW.A = 0; END" : my ? "SET NEW.A = 0" : "EXECUTE FUNCTION f()";
    const char* targetBody = ib   ? "AS BEGIN INSERT INTO T2 VALUES (NEW.A); END"
                             : my ? "INSERT INTO T2 VALUES (NEW.A)"
                                  : "EXECUTE FUNCTION g()";
    AddTable(*c.master.GetObjs(), t1, {{"A", iftInteger}});
    AddTrigger(*c.master.GetObjs(), {tr.c_str(), t1.c_str(), baBefore, {iudInsert}, masterBody});
    TCustomObjs& t = *c.target.GetObjs();
    AddTable(t, t1, {{"A", iftInteger}});
    TTblData* gone = AddTable(t, t2, {{"B", iftInteger}});
    TTrgData* trg = AddTrigger(t, {tr.c_str(), t1.c_str(), baBefore, {iudInsert}, targetBody});
    t.LinkDepend(trg, gone);
}

// SQL Anywhere: a new trigger's description is written with its name quoted and its text
// as a literal.
void FillDescribedTrigger(Compare& c, TDatabaseType) {
    c.keldar.SetCompareObjects(TCmpObjSetType{coTable, coTrigger, coDescription});
    AddTable(*c.master.GetObjs(), "T", {{"A", iftInteger}});
    AddTable(*c.target.GetObjs(), "T", {{"A", iftInteger}});
    AddTrigger(*c.master.GetObjs(), {"select", "T", baAfter, {iudInsert}, "BEGIN END"})
        ->SetDescription("Bob's trigger");
}

using GoldenCase = testing::ScriptCase;

class TriggerGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(TriggerGoldenTest, WholeScript) {
    testing::ExpectScriptCase(GetParam(), testing::TargetFirebird30);
}

const GoldenCase kGolden[] = {
    {"InterBaseAddDropBodyEventPositionActive", dbInterBase, FillTriggerChanges,
     "trigger_changes/interbase.sql"},
    {"PostgreSQLAddDropBodyEvent", dbPostgreSQL, FillTriggerChanges, "trigger_changes/postgresql.sql"},
    {"MySQLAddDropBodyEvent", dbMySQL, FillTriggerChanges, "trigger_changes/mysql.sql"},
    {"InterBaseTriggerUsingDroppedTableIsEmptied", dbInterBase, FillTriggerUsesDroppedTable,
     "trigger_uses_dropped_table/interbase.sql"},
    {"PostgreSQLTriggerUsingDroppedTableIsDropped", dbPostgreSQL, FillTriggerUsesDroppedTable,
     "trigger_uses_dropped_table/postgresql.sql"},
    {"MySQLTriggerUsingDroppedTableIsDropped", dbMySQL, FillTriggerUsesDroppedTable,
     "trigger_uses_dropped_table/mysql.sql"},
    {"SqlAnywhereDescriptionQuoted", dbSybaseASA, FillDescribedTrigger, "trigger_description/sqlanywhere.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, TriggerGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
