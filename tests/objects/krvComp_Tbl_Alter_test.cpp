#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvComp_Tbl.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

// One column as the test describes it.
struct Col {
    TDBFieldType type = iftInteger;
    int len = 0;
    bool nullable = true;
    const char* def = "";
    const char* coll = "";
    int prec = 0;
    int scale = 0;
    const char* body = "";  // computed-by expression
};

struct Case {
    const char* name;
    TDatabaseType db;
    Col master, target;
    const char* fixture;  // the whole script
    std::vector<std::string> warnings;
    TIBSQLServerVersionType ver = st_Firebird_30;
    bool allowConv = false;
    bool charsetCompare = false;
};

// Failures name the case rather than dumping its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

void Fill(TFldData* f, const Col& c) {
    f->FieldType = c.type;
    f->CharLength = c.len;
    f->FieldLength = c.len;
    f->Nullable = c.nullable;
    f->SetDefValue(c.def);
    f->EditRare().Collation = c.coll;
    f->Precision = c.prec;
    f->Scale = c.scale;
    if (*c.body) f->SetBody(c.body);
}

using testing::Compare;

const std::vector<Case> kCases = {
    {"IbVarcharWidened", dbInterBase, {iftVarchar, 40}, {iftVarchar, 20},
     "column_alter/varchar_widened/interbase.sql",
     {"DataType conversion: VARCHAR(20) -> VARCHAR(40) /T(C)/"}, st_Firebird_25},
    {"IbVarcharNarrowed", dbInterBase, {iftVarchar, 20}, {iftVarchar, 40},
     "column_alter/varchar_narrowed/interbase.sql",
     {"WARNING:\r\n"
         "Cannot perform safe conversion of T.C datatype from VARCHAR(40) to VARCHAR(20)"}, st_Firebird_25},
    {"IbIntegerNarrowedToSmallint", dbInterBase, {iftSmallInt}, {iftInteger},
     "column_alter/integer_narrowed_to_smallint/interbase.sql",
     {"WARNING:\r\n"
         "Cannot perform safe conversion of T.C datatype from INTEGER to SMALLINT"}, st_Firebird_25},
    {"IbIntegerWidenedToBigint", dbInterBase, {iftBigInt}, {iftInteger},
     "column_alter/integer_widened_to_bigint/interbase.sql",
     {"DataType conversion: INTEGER -> BIGINT /T(C)/"}, st_Firebird_25},
    {"IbNotNullAdded", dbInterBase, {iftInteger, 0, false}, {iftInteger, 0, true},
     "column_alter/not_null_added/interbase.sql",
     {"Column T.C may hold NULLs; the change fails on rows with NULL"}},
    {"IbNotNullDropped", dbInterBase, {iftInteger, 0, true}, {iftInteger, 0, false},
     "column_alter/not_null_dropped/interbase.sql",
     {}},
    {"IbDefaultAdded", dbInterBase, {iftInteger, 0, true, "5"}, {iftInteger},
     "column_alter/default_added/interbase.sql",
     {}},
    {"IbDefaultChanged", dbInterBase, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "column_alter/default_changed/interbase.sql",
     {}},
    {"IbDefaultDropped", dbInterBase, {iftInteger}, {iftInteger, 0, true, "5"},
     "column_alter/default_dropped/interbase.sql",
     {}},
    {"IbCollationChanged", dbInterBase, {iftVarchar, 10, true, "", "UNICODE_CI"}, {iftVarchar, 10, true, "", "UNICODE"},
     "column_alter/collation_changed/interbase.sql",
     {"Collation change not supported: T.C (UNICODE -> UNICODE_CI)"}, st_Firebird_30, true, true},
    {"PgVarcharWidened", dbPostgreSQL, {iftVarchar, 40}, {iftVarchar, 20},
     "column_alter/varchar_widened/postgresql.sql",
     {}},
    {"PgVarcharNarrowed", dbPostgreSQL, {iftVarchar, 20}, {iftVarchar, 40},
     "column_alter/varchar_narrowed/postgresql.sql",
     {"DataType conversion (values may be cut or refused): varchar(40) -> varchar(20) /T(C)/"}},
    {"PgIntegerNarrowedToSmallint", dbPostgreSQL, {iftSmallInt}, {iftInteger},
     "column_alter/integer_narrowed_to_smallint/postgresql.sql",
     {"DataType conversion (values may be cut or refused): integer -> smallint /T(C)/"}},
    {"PgIntegerWidenedToBigint", dbPostgreSQL, {iftBigInt}, {iftInteger},
     "column_alter/integer_widened_to_bigint/postgresql.sql",
     {}},
    {"PgNotNullAdded", dbPostgreSQL, {iftInteger, 0, false}, {iftInteger, 0, true},
     "column_alter/not_null_added/postgresql.sql",
     {"Column \"T\".\"C\" may hold NULLs; the change fails on rows with NULL"}},
    {"PgNotNullDropped", dbPostgreSQL, {iftInteger, 0, true}, {iftInteger, 0, false},
     "column_alter/not_null_dropped/postgresql.sql",
     {}},
    {"PgDefaultAdded", dbPostgreSQL, {iftInteger, 0, true, "5"}, {iftInteger},
     "column_alter/default_added/postgresql.sql",
     {}},
    {"PgDefaultChanged", dbPostgreSQL, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "column_alter/default_changed/postgresql.sql",
     {}},
    {"PgDefaultDropped", dbPostgreSQL, {iftInteger}, {iftInteger, 0, true, "5"},
     "column_alter/default_dropped/postgresql.sql",
     {}},
    {"PgCollationChanged", dbPostgreSQL, {iftVarchar, 10, true, "", "POSIX"}, {iftVarchar, 10, true, "", "C"},
     "column_alter/collation_changed/postgresql.sql",
     {}},
    {"MyVarcharWidened", dbMySQL, {iftVarchar, 40}, {iftVarchar, 20},
     "column_alter/varchar_widened/mysql.sql",
     {"Modify column: T(C)/"}},
    {"MyVarcharNarrowed", dbMySQL, {iftVarchar, 20}, {iftVarchar, 40},
     "column_alter/varchar_narrowed/mysql.sql",
     {"Modify column: T(C)/", "DataType conversion (values may be cut or refused): VARCHAR(40) -> VARCHAR(20) /T(C)/"}},
    {"MyIntegerNarrowedToSmallint", dbMySQL, {iftSmallInt}, {iftInteger},
     "column_alter/integer_narrowed_to_smallint/mysql.sql",
     {"Modify column: T(C)/", "DataType conversion (values may be cut or refused): INTEGER -> SMALLINT /T(C)/"}},
    {"MyIntegerWidenedToBigint", dbMySQL, {iftBigInt}, {iftInteger},
     "column_alter/integer_widened_to_bigint/mysql.sql",
     {"Modify column: T(C)/"}},
    {"MyNotNullAdded", dbMySQL, {iftInteger, 0, false}, {iftInteger, 0, true},
     "column_alter/not_null_added/mysql.sql",
     {"Modify column: T(C)/", "Column T.C may hold NULLs; the change fails on rows with NULL"}},
    {"MyNotNullDropped", dbMySQL, {iftInteger, 0, true}, {iftInteger, 0, false},
     "column_alter/not_null_dropped/mysql.sql",
     {"Modify column: T(C)/"}},
    {"MyDefaultAdded", dbMySQL, {iftInteger, 0, true, "5"}, {iftInteger},
     "column_alter/default_added/mysql.sql",
     {"Modify column: T(C)/"}},
    {"MyDefaultChanged", dbMySQL, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "column_alter/default_changed/mysql.sql",
     {"Modify column: T(C)/"}},
    {"MyDefaultDropped", dbMySQL, {iftInteger}, {iftInteger, 0, true, "5"},
     "column_alter/default_dropped/mysql.sql",
     {"Modify column: T(C)/"}},
    {"MyCollationChanged", dbMySQL, {iftVarchar, 10, true, "", "utf8mb4_general_ci"}, {iftVarchar, 10, true, "", "utf8mb4_bin"},
     "column_alter/collation_changed/mysql.sql",
     {"Modify column: T(C)/"}},
    {"MsVarcharWidened", dbMSSQL, {iftVarchar, 40}, {iftVarchar, 20},
     "column_alter/varchar_widened/sqlserver.sql",
     {}},
    {"MsVarcharNarrowed", dbMSSQL, {iftVarchar, 20}, {iftVarchar, 40},
     "column_alter/varchar_narrowed/sqlserver.sql",
     {"DataType conversion (values may be cut or refused): VARCHAR(40) -> VARCHAR(20) /T(C)/"}},
    {"MsIntegerNarrowedToSmallint", dbMSSQL, {iftSmallInt}, {iftInteger},
     "column_alter/integer_narrowed_to_smallint/sqlserver.sql",
     {"DataType conversion (values may be cut or refused): INTEGER -> SMALLINT /T(C)/"}},
    {"MsIntegerWidenedToBigint", dbMSSQL, {iftBigInt}, {iftInteger},
     "column_alter/integer_widened_to_bigint/sqlserver.sql",
     {}},
    {"MsNotNullAdded", dbMSSQL, {iftInteger, 0, false}, {iftInteger, 0, true},
     "column_alter/not_null_added/sqlserver.sql",
     {"Column T.C may hold NULLs; the change fails on rows with NULL"}},
    {"MsNotNullDropped", dbMSSQL, {iftInteger, 0, true}, {iftInteger, 0, false},
     "column_alter/not_null_dropped/sqlserver.sql",
     {}},
    {"MsDefaultAdded", dbMSSQL, {iftInteger, 0, true, "5"}, {iftInteger},
     "column_alter/default_added/sqlserver.sql",
     {}},
    {"MsDefaultChanged", dbMSSQL, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "column_alter/default_changed/sqlserver.sql",
     {}},
    {"MsDefaultDropped", dbMSSQL, {iftInteger}, {iftInteger, 0, true, "5"},
     "column_alter/default_dropped/sqlserver.sql",
     {}},
    {"MsCollationChanged", dbMSSQL, {iftVarchar, 10, true, "", "Latin1_General_CI_AS"}, {iftVarchar, 10, true, "", "Latin1_General_BIN"},
     "column_alter/collation_changed/sqlserver.sql",
     {}},
    {"IbCollationChangedOnFirebird25", dbInterBase, {iftVarchar, 10, true, "", "UNICODE_CI"}, {iftVarchar, 10, true, "", "UNICODE"},
     "column_alter/collation_changed_on_firebird25/interbase.sql",
     {"DataType conversion: Collation difference (replace) /T(C)/"}, st_Firebird_25, true, true},
    {"IbNotNullAddedOnInterBase5", dbInterBase, {iftInteger, 0, false}, {iftInteger, 0, true},
     "column_alter/not_null_added_on_interbase5/interbase.sql",
     {"Column T.C may hold NULLs; the change fails on rows with NULL",
      "DataType conversion: Nullable difference /T(C)/"}, st_InterBase_5x, true},
    {"IbNotNullAddedOnInterBase5WithoutCatalogEdits", dbInterBase, {iftInteger, 0, false}, {iftInteger, 0, true},
     "column_alter/not_null_added_on_interbase5_without_catalog_edits/interbase.sql",
     {"Nullability change not supported: T.C SET NOT NULL"}, st_InterBase_5x},
    {"IbVarcharNarrowedWithConversionOnFirebird30", dbInterBase, {iftVarchar, 20}, {iftVarchar, 40},
     "column_alter/varchar_narrowed_with_conversion_on_firebird30/interbase.sql",
     {"DataType conversion not supported: \r\n"
         "ALTER TABLE T ALTER COLUMN C TYPE VARCHAR(20)"}, st_Firebird_30, true},
    {"IbNumericToIntegerOnInterBase5", dbInterBase, {iftInteger}, {iftNumeric, 0, true, "", "", 9, 2},
     "column_alter/numeric_to_integer_on_interbase5/interbase.sql",
     {"Alter Field: T.C: (NUMERIC(9,2) -> INTEGER)"}, st_InterBase_5x, true},
    {"MsIntegerToDateTime2NotAllowed", dbMSSQL, {iftDateTime2}, {iftInteger},
     "column_alter/integer_to_datetime2_not_allowed/sqlserver.sql",
     {"Datatype conversion is not allowed: INTEGER -> DATETIME2 /T(C)/"}},
    {"PgNumericScaleReduced", dbPostgreSQL, {iftNumeric, 0, true, "", "", 10, 1}, {iftNumeric, 0, true, "", "", 10, 2},
     "column_alter/numeric_scale_reduced/postgresql.sql",
     {"DataType conversion (values may be cut or refused): numeric(10,2) -> numeric(10,1) /T(C)/"}},
    {"OraIntegerWidenedAndDefaultAdded", dbOracle, {iftBigInt, 0, true, "5"}, {iftInteger},
     "column_alter/integer_widened_and_default_added/oracle.sql",
     {}},
    {"AsaDefaultChanged", dbSybaseASA, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "column_alter/default_changed/sqlanywhere.sql",
     {}},
    {"AsaNotNullAddedAndDefaultAdded", dbSybaseASA, {iftInteger, 0, false, "5"}, {iftInteger},
     "column_alter/not_null_added_and_default_added/sqlanywhere.sql",
     {}},
    {"OraNotNullAddedIsNotMade", dbOracle, {iftInteger, 0, false}, {iftInteger, 0, true},
     "column_alter/not_null_added/oracle.sql",
     {"Nullability change not supported: T.C SET NOT NULL"}},
    {"AseTypeChangeIsNotMade", dbSybaseASE, {iftBigInt, 0, true, "1"}, {iftInteger},
     "column_alter/type_change_is_not_made/ase.sql",
     {"Column change not supported: T.C (INTEGER NULL -> BIGINT DEFAULT 1 NULL)"}},
    {"IbDefaultChangedOnInterBase5", dbInterBase, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "column_alter/default_changed_on_interbase5/interbase.sql",
     {"DataType conversion: DEFAULT difference /T(C)/"},
     st_InterBase_5x, true},
    {"IbComputedExpressionChanged", dbInterBase, {iftInteger, 0, true, "", "", 0, 0, "(ID * 2)"},
     {iftInteger, 0, true, "", "", 0, 0, "(ID * 3)"},
     "column_alter/computed_expression_changed/interbase.sql",
     {}},
    {"IbDomainReplacedBySimpleType", dbInterBase, {iftBigInt}, {iftDomain},
     "column_alter/domain_replaced_by_simple_type/interbase.sql",
     {"DataType conversion: D_INT -> BIGINT /T(C)/"}},
};

class ColumnAlterTest : public ::testing::TestWithParam<Case> {};

TEST_P(ColumnAlterTest, WholeScriptAndWarnings) {
    const Case& tc = GetParam();
    Compare c(tc.db);
    c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(tc.ver);
    c.master.GetObjs()->fIBServerOptions.SetSQLServerVersion(tc.ver);
    c.keldar.GetIBCompareOptions().SetAllowDataTypeConversion(tc.allowConv);
    c.keldar.GetIBCompareOptions().SetFldCharsetCompare(tc.charsetCompare);
    for (TDBStructure* s : {&c.master, &c.target}) {
        TTblData* t = c.Table(*s, "T");
        t->AddFld("ID")->FieldType = iftInteger;
        TFldData* f = t->AddFld("C");
        Fill(f, s == &c.master ? tc.master : tc.target);
        if (f->FieldType == iftDomain) f->EditRare().DomainName = "D_INT";
    }
    EXPECT_GOLDEN(c.Run(), tc.fixture);
    EXPECT_EQ(c.keldar.GetWrnScript(), tc.warnings);
}

INSTANTIATE_TEST_SUITE_P(Dialects, ColumnAlterTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

TEST(ColumnAlterOrderTest, SqlServerRebuildsATableWithAnIdentityColumnThroughAScratchCopy) {
    Compare c(dbMSSQL);
    c.keldar.GetMSSQLCompareOptions().SetUpdateColumnPosition(true);
    TTblData* mt = c.Table(c.master, "T");
    TFldData* id = mt->AddFld("ID");
    id->FieldType = iftInteger;
    id->Identity = true;
    id->Nullable = false;
    mt->AddFld("B")->FieldType = iftInteger;
    mt->AddFld("A")->FieldType = iftInteger;
    TTblData* tt = c.Table(c.target, "T");
    TFldData* tid = tt->AddFld("ID");
    tid->Assign(*id);
    tt->AddFld("A")->FieldType = iftInteger;
    tt->AddFld("B")->FieldType = iftInteger;
    // The rows go to the scratch copy before the table is dropped, and come back after.
    EXPECT_GOLDEN(c.Run(), "column_order_rebuild/sqlserver.sql");
    EXPECT_FALSE(mt->fUpdFldPos);
}

// The rebuild comes after the index and key phases: what it drops (the key PK_T and the
// index IX_T) is created again after it.
TEST(ColumnAlterOrderTest, SqlServerRebuildCreatesTheTablesKeysAndIndicesAgain) {
    Compare c(dbMSSQL);
    c.keldar.GetMSSQLCompareOptions().SetUpdateColumnPosition(true);
    for (TDBStructure* s : {&c.master, &c.target}) {
        if (s == &c.master) testing::AddTable(*s->GetObjs(), "T", {"B", "A"});
        else testing::AddTable(*s->GetObjs(), "T", {"A", "B"});
        testing::AddConstraint(*s->GetObjs(), ctPKey, "PK_T", "T", {"A"});
        testing::AddIndex(*s->GetObjs(), "IX_T", "T", {"B"});
        testing::LinkAll(*s->GetObjs());
    }
    EXPECT_GOLDEN(c.RunTwice(), "column_order_rebuild_keys/sqlserver.sql");
}

// Kinds that do not reorder (SQL Server with the option off, PostgreSQL without the rebuild,
// Oracle) say so in the script and the warnings; a column added in the middle counts.
TEST(ColumnAlterOrderTest, KindsThatDoNotReorderSaySo) {
    struct Case {
        TDatabaseType db;
        std::vector<testing::Col> master, target;
        const char* script;
    };
    const Case cases[] = {
        {dbMSSQL, {"B", "A"}, {"A", "B"},
         "/* Column order of T is not changed: the table keeps (A, B), the master has (B, A) */"},
        {dbPostgreSQL, {"a", "mid", "z"}, {"a", "z"},
         "SET client_encoding = 'UTF8';\r\n\r\nALTER TABLE t ADD mid integer;\r\n\r\n"
         "/* Column order of t is not changed: the table keeps (a, z, mid), the master has (a, mid, z) */"},
        {dbOracle, {"B", "A"}, {"A", "B"},
         "-- CONNECT SYSDBA/*****@;\r\n/* Column order of T is not changed: the table keeps (A, B), the master has (B, A) */"},
    };
    for (const Case& tc : cases) {
        Compare c(tc.db);
        const char* name = tc.db == dbPostgreSQL ? "t" : "T";
        TTblData* m = testing::AddTable(c.Master(), name);
        for (const testing::Col& col : tc.master) testing::AddColumn(*m, col);
        TTblData* t = testing::AddTable(c.Target(), name);
        for (const testing::Col& col : tc.target) testing::AddColumn(*t, col);
        EXPECT_EQ(c.RunTwice(), tc.script) << int(tc.db);
        ASSERT_EQ(c.keldar.GetWrnScript().size(), 1u) << int(tc.db);
        EXPECT_NE(c.keldar.GetWrnScript()[0].find("Column order of"), std::string::npos);
    }
}

TEST(ColumnAlterOrderTest, MySqlMovesColumnsWithQuotedNames) {
    Compare c(dbMySQL);
    testing::AddTable(c.Master(), "order", {"select", "A"});
    testing::AddTable(c.Target(), "order", {"A", "select"});
    EXPECT_GOLDEN(c.Run(), "column_order_quoted/mysql.sql");
}

TEST(ColumnAlterTest, CatalogStatementsDoubleQuotesInNames) {
    Compare c(dbInterBase);
    c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_InterBase_5x);
    c.keldar.GetIBCompareOptions().SetAllowDataTypeConversion(true);
    for (TDBStructure* s : {&c.master, &c.target}) {
        TTblData* t = c.Table(*s, "O'T");
        TFldData* f = t->AddFld("C'1");
        f->FieldType = iftInteger;
        f->Nullable = s == &c.target;
    }
    EXPECT_GOLDEN(c.Run(), "catalog_statement_quotes/interbase.sql");
}

TEST(ColumnAlterTest, DescriptionsAreWrittenAndDb2AltersNoColumn) {
    struct Row {
        TDatabaseType db;
        const char* fixture;
    };
    const Row rows[] = {
        {dbPostgreSQL, "column_description/postgresql.sql"},
        {dbDB2, "column_description/db2.sql"},
    };
    for (const Row& r : rows) {
        Compare c(r.db);
        for (TDBStructure* s : {&c.master, &c.target}) {
            TTblData* t = c.Table(*s, "T");
            TFldData* f = t->AddFld("C");
            f->FieldType = r.db == dbDB2 && s == &c.master ? iftBigInt : iftInteger;
            f->SetDescription(s == &c.master ? "new" : "old");
        }
        EXPECT_GOLDEN(c.Run(), r.fixture) << r.db;
    }
}

TEST(ColumnAlterTest, IbAllowDataTypeAlterRules) {
    struct Row {
        TDBFieldType from, to;
        int fromLen, toLen;
        int expected;
    };
    const Row rows[] = {
        {iftVarchar, iftVarchar, 10, 20, 1},  {iftVarchar, iftVarchar, 20, 10, -1},
        {iftVarchar, iftVarchar, 10, 10, 0},  {iftInteger, iftInteger, 0, 0, 0},
        {iftInteger, iftSmallInt, 0, 0, -1},  {iftInteger, iftBigInt, 0, 0, 1},
        {iftInteger, iftFloat, 0, 0, -1},     {iftBigInt, iftInteger, 0, 0, -1},
        {iftSmallInt, iftInteger, 0, 0, 1},   {iftFloat, iftDoublePrecision, 0, 0, 1},
        {iftDoublePrecision, iftFloat, 0, 0, -1}, {iftBlob, iftVarchar, 0, 10, -1},
        {iftVarchar, iftInteger, 10, 0, -1},  {iftChar, iftVarchar, 10, 10, 1},
        {iftDate, iftTimeStamp, 0, 0, 1},
    };
    TDBStructure s;
    s.SetDatabaseType(dbInterBase);
    for (const Row& r : rows) {
        TFldData o(s.GetObjs()), n(s.GetObjs());
        o.FieldType = r.from;
        o.CharLength = r.fromLen;
        n.FieldType = r.to;
        n.CharLength = r.toLen;
        EXPECT_EQ(IBAllowDataTypeAlter(n, o), r.expected) << FieldTypeNames[r.from] << " -> " << FieldTypeNames[r.to];
    }
    TFldData o(s.GetObjs()), n(s.GetObjs());
    o.FieldType = n.FieldType = iftInteger;
    n.EditRare().ArrayBounds.push_back({1, 5});
    EXPECT_EQ(IBAllowDataTypeAlter(n, o), -1);
}

TEST(ColumnAlterTest, SqlServerConversionTable) {
    EXPECT_TRUE(MSSQLConversionAllowed(iftInteger, iftVarchar));
    EXPECT_TRUE(MSSQLConversionAllowed(iftInteger, iftTimeStamp));
    EXPECT_FALSE(MSSQLConversionAllowed(iftFloat, iftTimeStamp));
    EXPECT_TRUE(MSSQLConversionAllowed(iftVarchar, iftImage));
    EXPECT_FALSE(MSSQLConversionAllowed(iftNVarChar, iftImage));
    EXPECT_FALSE(MSSQLConversionAllowed(iftInteger, iftDateTime2));
    EXPECT_TRUE(MSSQLConversionAllowed(iftDateTime2, iftDateTime2));
    EXPECT_FALSE(MSSQLConversionAllowed(iftText, iftInteger));
    EXPECT_TRUE(MSSQLConversionAllowed(iftImage, iftVarBinary));
    EXPECT_FALSE(MSSQLConversionAllowed(iftDateTime, iftInteger));
}

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

// A column set NOT NULL may hold NULLs: the master's default fills them first; without one the
// script and the warnings say that the change fails on such rows, unless the host asks for
// the type's neutral value (none for a date). Columns: D (default 0), N (integer), S
// (varchar), W (date), all nullable in the target.
struct NotNullCase {
    const char* name;
    TDatabaseType db;
    bool fill;
    const char* fixture;
    std::size_t nullWarnings;  // "may hold NULLs" warnings expected
};
void PrintTo(const NotNullCase& c, std::ostream* os) { *os << c.name; }

class NotNullFillTest : public ::testing::TestWithParam<NotNullCase> {};

TEST_P(NotNullFillTest, NullsAreFilledOrTheScriptSaysTheChangeFails) {
    const NotNullCase& tc = GetParam();
    testing::Compare c(tc.db);
    c.keldar.SetFillNullsWithNeutralValue(tc.fill);
    for (TCustomObjs* o : {&c.Master(), &c.Target()}) o->fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    const bool ib = tc.db == dbInterBase;
    for (TDBStructure* s : {&c.master, &c.target}) {
        TTblData* t = testing::Compare::Table(*s, ib ? "T" : "t");
        const bool m = s == &c.master;
        auto col = [&](const char* n, TDBFieldType type, std::int32_t len, const char* def) {
            TFldData* f = testing::AddColumn(*t, testing::Col(ib ? n : LowerCase(n), type, len));
            f->Nullable = !m;
            if (m) f->SetDefValue(def);
        };
        col("D", iftInteger, 0, "0");
        col("N", iftInteger, 0, "");
        col("S", iftVarchar, 10, "");
        col("W", iftDate, 0, "");
    }
    EXPECT_GOLDEN(c.RunTwice(), tc.fixture);
    std::size_t nulls = 0;
    for (const std::string& w : c.keldar.GetWrnScript()) nulls += w.find("may hold NULLs") != std::string::npos;
    EXPECT_EQ(nulls, tc.nullWarnings);
}

const NotNullCase kNotNullCases[] = {
    {"Firebird", dbInterBase, false, "not_null_fill/interbase.sql", 3},
    {"FirebirdFill", dbInterBase, true, "not_null_fill/interbase_neutral.sql", 1},
    {"PostgreSQL", dbPostgreSQL, false, "not_null_fill/postgresql.sql", 3},
    {"PostgreSQLFill", dbPostgreSQL, true, "not_null_fill/postgresql_neutral.sql", 1},
    {"MySQL", dbMySQL, false, "not_null_fill/mysql.sql", 3},
    {"MySQLFill", dbMySQL, true, "not_null_fill/mysql_neutral.sql", 1},
};

INSTANTIATE_TEST_SUITE_P(Dialects, NotNullFillTest, ::testing::ValuesIn(kNotNullCases),
                         [](const ::testing::TestParamInfo<NotNullCase>& i) { return std::string(i.param.name); });

// Column positions: a column added between two others and a column moved, with one dropped.
// MySQL adds in place and moves only the column out of order; PostgreSQL with the rebuild
// option copies the rows out, re-creates the table with its key and index, and copies back.
TEST(ColumnAlterOrderTest, MiddleColumnsAndMovesPerKind) {
    struct Case {
        TDatabaseType db;
        bool rebuild;
        const char* fixture;
    };
    const Case cases[] = {
        {dbMySQL, false, "column_positions_middle/mysql.sql"},
        {dbPostgreSQL, true, "column_positions_middle/postgresql_rebuild.sql"},
        {dbInterBase, false, "column_positions_middle/interbase.sql"},
    };
    for (const Case& tc : cases) {
        testing::Compare c(tc.db);
        c.keldar.GetPGSQLCompareOptions().SetUpdateColumnPosition(tc.rebuild);
        for (TCustomObjs* o : {&c.Master(), &c.Target()}) o->fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
        const bool ib = tc.db == dbInterBase;
        auto n = [ib](const char* s) { return ib ? std::string(s) : LowerCase(s); };
        TTblData* m = testing::AddTable(c.Master(), n("T"), {n("A"), n("NEW"), n("C"), n("B")});
        TTblData* t = testing::AddTable(c.Target(), n("T"), {n("B"), n("A"), n("C"), n("OLD")});
        for (TTblData* x : {m, t}) {
            TFldData* id = x->FindFld(n("A"));
            id->Nullable = false;
            if (tc.db == dbPostgreSQL) id->Identity = true;
        }
        for (TCustomObjs* o : {&c.Master(), &c.Target()}) {
            testing::AddConstraint(*o, ctPKey, n("PK_T"), n("T"), {n("A").c_str()});
            testing::AddIndex(*o, n("IX_C"), n("T"), {n("C")});
            testing::LinkAll(*o);
        }
        EXPECT_GOLDEN(c.RunTwice(), tc.fixture);
    }
}

}  // namespace
}  // namespace dbtwin
