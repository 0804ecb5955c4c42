#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Rul.h"
#include "objects/krvDBStructure.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::TextCase;

using testing::AddTable;
using testing::AsLiteral;
using testing::Compare;
using testing::File;
using testing::GeneratedPart;

TCltData* AddCollation(TCustomObjs& o, const std::string& name, const std::function<void(TCltData&)>& tweak = nullptr) {
    auto* c = new TCltData(&o);
    c->SetObjName(name);
    c->Charset = "UTF8";
    c->BaseCollation = "UNICODE";
    if (tweak) tweak(*c);
    return File(o, c);
}

TRulData* AddPgRule(TCustomObjs& o, const std::string& name, const std::string& table, const std::string& cond,
                    const std::function<void(TRulData&)>& tweak = nullptr) {
    auto* r = new TRulData(&o);
    r->SetObjName(name);
    r->SetSchema("s");
    r->SchName = "s";
    r->TblName = table;
    r->Event = iudDelete;
    r->Action = "INSTEAD";
    r->Nothing = true;
    r->Cond = cond;
    if (tweak) tweak(*r);
    return File(o, r);
}

template <class T>
T* AddBound(TCustomObjs& o, const std::string& schema, const std::string& name, const std::string& expr) {
    auto* d = new T(&o);
    d->SetObjName(name);
    d->SetSchema(schema);
    if constexpr (std::is_same_v<T, TDefData>) d->DefExpr = expr;
    else d->RuleExpr = expr;
    return File(o, d);
}


// ---------------------------------------------------------------------------
// Texts


class SmallKindTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SmallKindTextTest, DefAndDrop) { testing::ExpectTexts(GetParam()); }

// SQL Server names are folded to upper case by the set (identifiers not case-sensitive).
const TextCase kTexts[] = {
    {"FirebirdCollationFromBase", dbInterBase,
     [](TCustomObjs& o) { return AddCollation(o, "C1", [](TCltData& c) { c.CaseSensitive = false; }); },
     "CREATE COLLATION C1\r\nFOR UTF8\r\nFROM UNICODE\r\nNO PAD\r\nCASE INSENSITIVE\r\nACCENT SENSITIVE\r\n",
     "/* Drop: C1 (TCltData) */\r\nDROP COLLATION C1"},
    {"FirebirdCollationExternalPaddedWithAttributes", dbInterBase,
     [](TCustomObjs& o) {
         return AddCollation(o, "my coll", [](TCltData& c) {
             c.BaseCollation.clear();
             c.ExtCollation = "x";
             c.PadSpace = true;
             c.AccentSensitive = false;
             c.Attributes = "NUMERIC-SORT=1";
         });
     },
     "CREATE COLLATION \"my coll\"\r\nFOR UTF8\r\nFROM EXTERNAL('x')\r\nPAD SPACE\r\nCASE SENSITIVE\r\n"
     "ACCENT INSENSITIVE\r\n'NUMERIC-SORT=1'\r\n",
     "/* Drop: my coll (TCltData) */\r\nDROP COLLATION \"my coll\""},
    {"CollationOfAnotherKindHasNoText", dbPostgreSQL, [](TCustomObjs& o) { return AddCollation(o, "c1"); }, "",
     "/* Drop: c1 (TCltData) */\r\nDROP COLLATION c1"},
    {"PostgreSQLInsteadNothing", dbPostgreSQL, [](TCustomObjs& o) { return AddPgRule(o, "r", "t", ""); },
     "CREATE RULE r AS ON DELETE TO s.t DO INSTEAD NOTHING", "DROP RULE IF EXISTS r ON s.t"},
    // Without its condition the rule would swallow every delete.
    {"PostgreSQLConditionBeforeDo", dbPostgreSQL, [](TCustomObjs& o) { return AddPgRule(o, "r", "t", "(old.a > 5)"); },
     "CREATE RULE r AS ON DELETE TO s.t WHERE (old.a > 5) DO INSTEAD NOTHING", "DROP RULE IF EXISTS r ON s.t"},
    {"PostgreSQLCommandOnQuotedTable", dbPostgreSQL,
     [](TCustomObjs& o) {
         return AddPgRule(o, "Log", "my t", "", [](TRulData& r) {
             r.Event = iudInsert;
             r.Action = "ALSO";
             r.Nothing = false;
             r.RuleExpr = "INSERT INTO s.log VALUES (new.a)";
         });
     },
     "CREATE RULE \"Log\" AS ON INSERT TO s.\"my t\" DO ALSO\r\n INSERT INTO s.log VALUES (new.a)",
     "DROP RULE IF EXISTS \"Log\" ON s.\"my t\""},
    {"SqlServerRuleWithSchemaAndBracket", dbMSSQL,
     [](TCustomObjs& o) { return AddBound<TRulData>(o, "dbo", "R]1", "@v > 0"); },
     "CREATE RULE DBO.[R]]1] AS @v > 0", "/* Drop: R]1 (TRulData) */\r\nDROP RULE DBO.[R]]1]"},
    {"SqlServerRuleFromStoredText", dbMSSQL,
     [](TCustomObjs& o) {
         TRulData* r = AddBound<TRulData>(o, "", "R", "");
         r->EditExtra().Text = "create rule R as @v in (1, 2)";
         return r;
     },
     "create rule R as @v in (1, 2)", "/* Drop: R (TRulData) */\r\nDROP RULE R"},
    {"SqlServerDefaultWithSchema", dbMSSQL, [](TCustomObjs& o) { return AddBound<TDefData>(o, "sales", "D", "0"); },
     "CREATE DEFAULT SALES.D AS 0", "/* Drop: D (TDefData) */\r\nDROP DEFAULT SALES.D"},
    {"SqlServerDefaultFromStoredText", dbMSSQL,
     [](TCustomObjs& o) {
         TDefData* d = AddBound<TDefData>(o, "dbo", "D", "");
         d->EditExtra().Text = "CREATE DEFAULT D AS 'it''s'";
         return d;
     },
     "CREATE DEFAULT D AS 'it''s'", "/* Drop: D (TDefData) */\r\nDROP DEFAULT DBO.D"},
    {"SybaseDefault", dbSybaseASE, [](TCustomObjs& o) { return AddBound<TDefData>(o, "", "D", "1"); },
     "CREATE DEFAULT D AS 1", "/* Drop: D (TDefData) */\r\nDROP DEFAULT D"},
};

INSTANTIATE_TEST_SUITE_P(Kinds, SmallKindTextTest, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

// PostgreSQL rule names are unique per table only: two rules of one name on two tables are
// two objects, each matched with its own counterpart.
TEST(RuleTest, PostgreSQLRulesOfOneNameOnTwoTables) {
    Compare c(dbPostgreSQL);
    for (TCustomObjs* o : {&c.Master(), &c.Target()}) {
        AddPgRule(*o, "r", "t1", "");
        ASSERT_NE(AddPgRule(*o, "r", "t2", o == &c.Master() ? "(old.a > 5)" : ""), nullptr);
        EXPECT_EQ(o->Rul.Count(), 2u);
    }
    const std::string s = GeneratedPart(c);
    EXPECT_EQ(s,
              "/* Alter Rule... */\r\nDROP RULE IF EXISTS r ON s.t2;\r\n\r\n"
              "CREATE RULE r AS ON DELETE TO s.t2 WHERE (old.a > 5) DO INSTEAD NOTHING;\r\n\r\n")
        << AsLiteral(s);
}

// ---------------------------------------------------------------------------
// Generators

TEST(CollationGeneratorTest, ChangedUnusedIsRecreatedUnchangedWritesNothing) {
    for (const bool changed : {true, false}) {
        SCOPED_TRACE(changed);
        Compare c(dbInterBase);
        testing::TargetFirebird30(c);
        AddCollation(c.Master(), "C1", [](TCltData& x) { x.CaseSensitive = false; });
        AddCollation(c.Target(), "C1", [changed](TCltData& x) { x.CaseSensitive = changed; });
        const std::string s = GeneratedPart(c, testing::TargetFirebird30);
        EXPECT_EQ(s, changed ? "/* Alter Collation... */\r\n/* Drop: C1 (TCltData) */\r\nDROP COLLATION C1;\r\n\r\n"
                               "CREATE COLLATION C1\r\nFOR UTF8\r\nFROM UNICODE\r\nNO PAD\r\nCASE INSENSITIVE\r\n"
                               "ACCENT SENSITIVE;\r\n\r\n"
                             : "")
            << AsLiteral(s);
    }
}

// The server refuses to drop a collation a column or domain uses: the change is a comment
// and a warning, never a failing DROP.
TEST(CollationGeneratorTest, ChangedWhileUsedIsAWarning) {
    Compare c(dbInterBase);
    testing::TargetFirebird30(c);
    for (TCustomObjs* o : {&c.Master(), &c.Target()}) {
        AddCollation(*o, "C1", [o, &c](TCltData& x) { x.CaseSensitive = o != &c.Master(); });
        TTblData* t = AddTable(*o, "TC", {{"S", iftVarchar, 10}});
        t->FindFld("S")->EditRare().Collation = "C1";
    }
    const std::string s = GeneratedPart(c, testing::TargetFirebird30);
    EXPECT_EQ(s.find("DROP COLLATION"), std::string::npos) << s;
    EXPECT_EQ(s.find("CREATE COLLATION"), std::string::npos) << s;
    ASSERT_EQ(c.keldar.GetWrnScript().size(), 1u);
    const std::string& w = c.keldar.GetWrnScript()[0];
    EXPECT_EQ(w, "Collation C1 is not changed: it cannot be dropped while used by column TC.S");
    EXPECT_NE(s.find("/* Alter Collation... */"), std::string::npos) << s;
    EXPECT_NE(s.find(w), std::string::npos) << s;
}

// Excluded objects are neither dropped, changed nor created.
TEST(SmallKindGeneratorTest, ExcludedObjectsAreLeftAlone) {
    {
        Compare c(dbInterBase);
        testing::TargetFirebird30(c);
        AddCollation(c.Target(), "C_GONE")->CompExclude = true;
        AddCollation(c.Master(), "C_NEW")->CompExclude = true;
        AddCollation(c.Master(), "C_CHG", [](TCltData& x) { x.PadSpace = true; });
        AddCollation(c.Target(), "C_CHG")->CompExclude = true;
        EXPECT_EQ(GeneratedPart(c, testing::TargetFirebird30), "");
    }
    {
        Compare c(dbMSSQL);
        AddBound<TDefData>(c.Target(), "dbo", "D_GONE", "1")->CompExclude = true;
        AddBound<TRulData>(c.Target(), "dbo", "R_GONE", "@v > 1")->CompExclude = true;
        AddBound<TDefData>(c.Master(), "dbo", "D_CHG", "2")->CompExclude = true;
        AddBound<TDefData>(c.Target(), "dbo", "D_CHG", "1");
        EXPECT_EQ(GeneratedPart(c), "");
    }
}

TEST(RuleGeneratorTest, SqlServerDropsTargetOnlyRuleAndKeepsEqualDefault) {
    Compare c(dbMSSQL);
    AddBound<TRulData>(c.Target(), "", "R", "@v > 0");
    for (TCustomObjs* o : {&c.Master(), &c.Target()}) AddBound<TDefData>(*o, "dbo", "D", "0");
    const std::string s = GeneratedPart(c);
    EXPECT_NE(s.find("/* Drop Rule... */\r\n/* Drop: R (TRulData) */\r\nDROP RULE R\r\n"), std::string::npos)
        << AsLiteral(s);
    EXPECT_EQ(s.find("DEFAULT"), std::string::npos) << s;
}

// ---------------------------------------------------------------------------
// Whole scripts

// Collations: a new one, one only the target has, one changed while unused, one changed
// while a column uses it, one unchanged.
void FillCollations(Compare& c, TDatabaseType) {
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        if (m) AddCollation(o, "C_NEW", [](TCltData& x) { x.CaseSensitive = false; });
        else AddCollation(o, "C_GONE");
        AddCollation(o, "C_FREE", [m](TCltData& x) { x.AccentSensitive = !m; });
        AddCollation(o, "C_USED", [m](TCltData& x) { x.PadSpace = m; });
        AddCollation(o, "C_SAME");
        TTblData* t = AddTable(o, "TC", {{"ID"}, {"S", iftVarchar, 10}});
        t->FindFld("S")->EditRare().Collation = "C_USED";
    }
}

// PostgreSQL rules: a new conditional one, one whose condition changes, one only the target
// has, and rules of one name on two tables of which one changes.
void FillRules(Compare& c, TDatabaseType) {
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        for (const char* t : {"t1", "t2"}) AddTable(o, t, {{"a"}}, "s");
        if (m) AddPgRule(o, "r_new", "t1", "(old.a > 5)");
        else AddPgRule(o, "r_gone", "t1", "");
        AddPgRule(o, "r_cond", "t1", m ? "(old.a > 10)" : "(old.a > 5)");
        AddPgRule(o, "r_same", "t1", "");
        AddPgRule(o, "r_same", "t2", m ? "(old.a < 0)" : "");
    }
}

// SQL Server defaults and rules: a new default and rule, a changed default bound to a
// column, a default and a rule only the target has, the rule bound to a column.
void FillDefaults(Compare& c, TDatabaseType) {
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* t = AddTable(o, "T", {{"A"}, {"B"}}, "dbo");
        if (m) {
            AddBound<TDefData>(o, "dbo", "D_NEW", "1");
            AddBound<TRulData>(o, "dbo", "R_NEW", "@v > 0");
        } else {
            TDefData* gone = AddBound<TDefData>(o, "dbo", "D_GONE", "2");
            TRulData* r = AddBound<TRulData>(o, "dbo", "R_GONE", "@v < 9");
            o.LinkDepend(t->FindFld("B"), gone);
            o.LinkDepend(t->FindFld("B"), r);
        }
        TDefData* chg = AddBound<TDefData>(o, "dbo", "D_CHG", m ? "10" : "5");
        o.LinkDepend(t->FindFld("A"), chg);
    }
}

using GoldenCase = testing::ScriptCase;
class SmallKindGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(SmallKindGoldenTest, WholeScript) { testing::ExpectScriptCase(GetParam(), testing::TargetFirebird30); }

const GoldenCase kGolden[] = {
    {"InterBaseCollations", dbInterBase, FillCollations, "collations/interbase.sql"},
    {"PostgreSQLRules", dbPostgreSQL, FillRules, "rules/postgresql.sql"},
    {"SqlServerDefaultsAndRules", dbMSSQL, FillDefaults, "defaults_rules/sqlserver.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, SmallKindGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
