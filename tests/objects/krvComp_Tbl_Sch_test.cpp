#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "extract/krvCustomExtract.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvDBStructure.h"
#include "core/krvStrUtils.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddRoutine;
using testing::AddTable;
using testing::AsLiteral;
using testing::Compare;
using testing::GeneratedPart;
using testing::TextCase;

TSchData* AddSchema(TCustomObjs& o, const std::string& name, const std::string& owner = std::string(),
                    const std::string& description = std::string()) {
    auto* s = new TSchData(&o);
    s->SetObjName(name);
    if (!owner.empty()) s->SetOwnName(owner);
    if (!description.empty()) s->SetDescription(description);
    return testing::File(o, s);
}

struct Article {
    const char* table;
    std::vector<std::string> cols;
    const char* where = "";
    const char* subscribeBy = "";
};

// A publication of owner DBA over tables of the set, linked to each article's table and
// columns as the parser links it.
TPblData* AddPublication(TCustomObjs& o, const std::string& name, std::initializer_list<Article> articles) {
    auto* p = new TPblData(&o);
    p->SetObjName(name);
    p->EditExtra().OwnUser = "DBA";
    for (const Article& a : articles) {
        TPblArtData* art = p->AddArticle("DBA", a.table);
        art->fFlds = a.cols;
        art->WhereClause = a.where;
        art->SubscribeBy = a.subscribeBy;
    }
    if (!testing::FileObj(o, p)) return nullptr;
    for (const Article& a : articles) {
        TTblData* t = o.Tbl.Find(a.table);
        if (!t) continue;
        o.LinkDepend(p, t);
        for (const std::string& c : a.cols) o.LinkDepend(p, t, c);
    }
    return p;
}

// ---------------------------------------------------------------------------
// Texts

class SchemaTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SchemaTextTest, DefAndDrop) { testing::ExpectTexts(GetParam()); }

const TextCase kTextCases[] = {
    {"PostgreSQLOwner", dbPostgreSQL, [](TCustomObjs& o) { return AddSchema(o, "sales", "Sales Admin"); },
     "CREATE SCHEMA sales AUTHORIZATION \"Sales Admin\"", "DROP SCHEMA sales"},
    {"PostgreSQLNoOwner", dbPostgreSQL, [](TCustomObjs& o) { return AddSchema(o, "order"); },
     "CREATE SCHEMA \"order\"", "DROP SCHEMA \"order\""},
    // SQL Server names the owner only when it is not the schema's namesake.
    {"SqlServerOwnedByNamesake", dbMSSQL, [](TCustomObjs& o) { return AddSchema(o, "S", "S"); }, "CREATE SCHEMA S",
     "DROP SCHEMA S"},
    {"SqlServerOwnedByOther", dbMSSQL, [](TCustomObjs& o) { return AddSchema(o, "S", "X"); },
     "CREATE SCHEMA S AUTHORIZATION X", "DROP SCHEMA S"},
    {"DB2DropsRestrict", dbDB2, [](TCustomObjs& o) { return AddSchema(o, "S", "X"); }, "CREATE SCHEMA S",
     "DROP SCHEMA S RESTRICT"},
    // An Oracle schema is a user: no schema statement at all.
    {"OracleHasNoSchemaStatements", dbOracle, [](TCustomObjs& o) { return AddSchema(o, "S"); }, "", ""},
    {"PublicationArticlesSorted", dbSybaseASA,
     [](TCustomObjs& o) { return AddPublication(o, "P", {{"T2", {"A", "B"}}, {"T1", {}}}); },
     "CREATE PUBLICATION DBA.P (\r\n    TABLE DBA.T1, \r\n    TABLE DBA.T2(A, B)\r\n)", "DROP PUBLICATION DBA.P"},
    // The row condition and the subscription expression belong to the article.
    {"PublicationWhereAndSubscribeBy", dbSybaseASA,
     [](TCustomObjs& o) { return AddPublication(o, "P", {{"T", {"A"}, "A > 0", "region"}, {"order", {"select"}}}); },
     "CREATE PUBLICATION DBA.P (\r\n    TABLE DBA.\"ORDER\"(\"SELECT\"), \r\n"
     "    TABLE DBA.T(A) WHERE A > 0 SUBSCRIBE BY region\r\n)",
     "DROP PUBLICATION DBA.P"},
};

INSTANTIATE_TEST_SUITE_P(PerKind, SchemaTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Schema generators

// Schemas the server provides, and excluded ones, are never created, dropped or described.
TEST(SchemaGeneratorTest, ServerSchemasAreLeftAlone) {
    struct Case {
        const char* name;
        TDatabaseType db;
        std::function<void(Compare&)> fill;
    };
    auto sysSchema = [](TCustomObjs& o, const char* name) {
        AddSchema(o, name)->EditExtra().SysName = name;
    };
    const Case cases[] = {
        {"PublicInMasterOnly", dbPostgreSQL, [](Compare& c) { AddSchema(c.Master(), "public", "postgres", "d"); }},
        {"PublicInTargetOnly", dbPostgreSQL, [](Compare& c) { AddSchema(c.Target(), "public"); }},
        {"PublicDescriptionsAndOwnersDiffer", dbPostgreSQL,
         [](Compare& c) {
             AddSchema(c.Master(), "public", "admin", "master text");
             AddSchema(c.Target(), "public", "postgres", "target text");
         }},
        {"SqlServerSystemSchemaInMasterOnly", dbMSSQL, [&](Compare& c) { sysSchema(c.Master(), "GUEST"); }},
        {"SqlServerSystemSchemaInTargetOnly", dbMSSQL, [&](Compare& c) { sysSchema(c.Target(), "SYS"); }},
        {"ExcludedSchemas", dbPostgreSQL,
         [](Compare& c) {
             AddSchema(c.Master(), "new_s")->CompExclude = true;
             AddSchema(c.Target(), "old_s")->CompExclude = true;
             AddSchema(c.Master(), "both", "", "master text")->CompExclude = true;
             AddSchema(c.Target(), "both", "", "target text");
         }},
    };
    for (const Case& tc : cases) {
        Compare c(tc.db);
        c.keldar.SetCompareObjects(TCmpObjSetType::All());
        tc.fill(c);
        EXPECT_EQ(GeneratedPart(c), "") << tc.name;
        EXPECT_TRUE(c.keldar.GetWrnScript().empty()) << tc.name;
    }
}

// Descriptions only with coDescription; an owner change on PostgreSQL in place.
TEST(SchemaGeneratorTest, AlterDescribesAndChangesTheOwner) {
    auto fill = [](Compare& c) {
        AddSchema(c.Master(), "s", "new_owner", "new text");
        AddSchema(c.Target(), "s", "old_owner", "old text");
    };
    Compare described(dbPostgreSQL);
    fill(described);
    EXPECT_EQ(GeneratedPart(described),
              "ALTER SCHEMA s OWNER TO new_owner;\r\n\r\nCOMMENT ON SCHEMA s IS 'new text';\r\n");
    Compare plain(dbPostgreSQL);
    plain.keldar.SetCompareObjects(TCmpObjSetType::All() - TCmpObjSetType{coDescription});
    fill(plain);
    EXPECT_EQ(GeneratedPart(plain), "ALTER SCHEMA s OWNER TO new_owner;\r\n");
}

// A target-only schema that still holds something once the script has run stays, with a
// comment and a warning that say what; it is never dropped with its contents.
TEST(SchemaGeneratorTest, NonEmptySchemaIsKept) {
    struct Case {
        const char* name;
        std::function<void(Compare&)> fill;
        std::string warning;
    };
    const std::string head = "Schema kept is not dropped: ";
    TCustomExtract reader;  // reads the target through name masks where a case links it
    const Case cases[] = {
        // Procedures are not compared: the function stays, and so does its schema.
        {"RoutineNotCompared",
         [](Compare& c) {
             c.keldar.SetCompareObjects({coTable});
             AddRoutine(c.Target(), {"f", "BEGIN RETURN 1; END", {}, {{"r", iftInteger}}, true}, {}, "kept");
         },
         head + "it still holds procedure kept.f"},
        {"ExcludedTable", [](Compare& c) { AddTable(c.Target(), "t", {"id"}, "kept")->CompExclude = true; },
         head + "it still holds table kept.t"},
        // Name masks may have left objects of the schema out of the target set.
        {"TargetReadWithMasks",
         [&reader](Compare& c) {
             reader.SetExcludeObjsNames("tmp%");
             c.target.SetExtractor(&reader);
         },
         head + "the target was not read whole, so the schema may hold objects"},
    };
    for (const Case& tc : cases) {
        Compare c(dbPostgreSQL);
        AddSchema(c.Target(), "kept");
        tc.fill(c);
        // The schema is all that differs: the script is its comment alone.
        const std::string script = GeneratedPart(c);
        EXPECT_EQ(script, "/* " + tc.warning + " */") << tc.name << AsLiteral(script);
        EXPECT_EQ(c.keldar.GetWrnScript(), std::vector<std::string>{tc.warning}) << tc.name;
    }
}

// Whole scripts: a schema added with a table in it, an empty one dropped, one whose table is
// dropped first, and one that keeps an excluded table.
void FillSchemas(Compare& c, TDatabaseType db) {
    const bool upper = db != dbPostgreSQL;
    auto n = [upper](std::string s) { return upper ? UpperCase(s) : s; };
    AddSchema(c.Master(), n("sales"), n("sales_admin"), "Sales data");
    AddTable(c.Master(), n("orders"), {n("id")}, n("sales"));
    AddSchema(c.Target(), n("empty_s"));
    AddSchema(c.Target(), n("archive"));
    AddTable(c.Target(), n("old_orders"), {n("id")}, n("archive"));
    AddSchema(c.Target(), n("kept"));
    AddTable(c.Target(), n("audit"), {n("id")}, n("kept"))->CompExclude = true;
}

class SchemaGoldenTest : public ::testing::TestWithParam<testing::ScriptCase> {};

TEST_P(SchemaGoldenTest, WholeScript) {
    testing::ExpectScriptCase(GetParam(), [](Compare& c) {
        // Schemas as objects came with SQL Server 2005.
        c.Master().fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2017);
        c.Target().fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2017);
    });
}

const testing::ScriptCase kGolden[] = {
    {"PostgreSQL", dbPostgreSQL, FillSchemas, "schemas/postgresql.sql"},
    {"SqlServer", dbMSSQL, FillSchemas, "schemas/mssql.sql"},
    {"DB2", dbDB2, FillSchemas, "schemas/db2.sql"},
    {"Oracle", dbOracle, FillSchemas, "schemas/oracle.sql"},
    {"Publications", dbSybaseASA,
     [](Compare& c, TDatabaseType) {
         for (TCustomObjs* o : {&c.Master(), &c.Target()}) {
             AddTable(*o, "T1", {"A"});
             AddTable(*o, "T3", {"A"});
         }
         AddTable(c.Master(), "T2", {"A", "B"});
         AddTable(c.Target(), "T2", {"A", "B", "C"});
         // C is dropped: the publication that uses it goes first and comes back after.
         AddPublication(c.Master(), "P_COL", {{"T1", {}}, {"T2", {"A", "B"}}});
         AddPublication(c.Target(), "P_COL", {{"T1", {}}, {"T2", {"A", "B", "C"}}});
         // Articles gain a column, are added and dropped: altered in place.
         AddPublication(c.Master(), "P_ALT", {{"T1", {"A"}}, {"T2", {"A", "B"}, "A > 0"}});
         AddPublication(c.Target(), "P_ALT", {{"T1", {}}, {"T3", {}}});
         AddPublication(c.Master(), "P_NEW", {{"T3", {}}});
         AddPublication(c.Target(), "P_OLD", {{"T3", {}}});
     },
     "publications/asa.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerKind, SchemaGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
