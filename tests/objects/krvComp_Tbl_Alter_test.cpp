#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

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
    std::string script;
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
    f->Collation = c.coll;
    f->Precision = c.prec;
    f->Scale = c.scale;
    if (*c.body) f->SetBody(c.body);
}

using testing::Compare;

const std::vector<Case> kCases = {
    {"IbVarcharWidened", dbInterBase, {iftVarchar, 40}, {iftVarchar, 20},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "ALTER TABLE T ALTER COLUMN C TYPE VARCHAR(40);\r\n",
     {"DataType conversion: VARCHAR(20) -> VARCHAR(40) /T(C)/"}, st_Firebird_25},
    {"IbVarcharNarrowed", dbInterBase, {iftVarchar, 20}, {iftVarchar, 40},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "/* WARNING:\r\n"
         "Cannot perform safe conversion of T.C datatype from VARCHAR(40) to VARCHAR(20) */",
     {"WARNING:\r\n"
         "Cannot perform safe conversion of T.C datatype from VARCHAR(40) to VARCHAR(20)"}, st_Firebird_25},
    {"IbIntegerNarrowedToSmallint", dbInterBase, {iftSmallInt}, {iftInteger},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "/* WARNING:\r\n"
         "Cannot perform safe conversion of T.C datatype from INTEGER to SMALLINT */",
     {"WARNING:\r\n"
         "Cannot perform safe conversion of T.C datatype from INTEGER to SMALLINT"}, st_Firebird_25},
    {"IbIntegerWidenedToBigint", dbInterBase, {iftBigInt}, {iftInteger},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "ALTER TABLE T ALTER COLUMN C TYPE BIGINT;\r\n",
     {"DataType conversion: INTEGER -> BIGINT /T(C)/"}, st_Firebird_25},
    {"IbNotNullAdded", dbInterBase, {iftInteger, 0, false}, {iftInteger, 0, true},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "/* Alter Field (Null / Not Null)... */\r\n"
         "ALTER TABLE T ALTER C SET NOT NULL;\r\n"
         "\r\n",
     {}},
    {"IbNotNullDropped", dbInterBase, {iftInteger, 0, true}, {iftInteger, 0, false},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "/* Alter Field (Null / Not Null)... */\r\n"
         "ALTER TABLE T ALTER C DROP NOT NULL;\r\n"
         "\r\n",
     {}},
    {"IbDefaultAdded", dbInterBase, {iftInteger, 0, true, "5"}, {iftInteger},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "ALTER TABLE T ALTER COLUMN C SET DEFAULT 5;\r\n",
     {}},
    {"IbDefaultChanged", dbInterBase, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "ALTER TABLE T ALTER COLUMN C SET DEFAULT 6;\r\n",
     {}},
    {"IbDefaultDropped", dbInterBase, {iftInteger}, {iftInteger, 0, true, "5"},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "ALTER TABLE T ALTER COLUMN C DROP DEFAULT;\r\n",
     {}},
    {"IbCollationChanged", dbInterBase, {iftVarchar, 10, true, "", "UNICODE_CI"}, {iftVarchar, 10, true, "", "UNICODE"},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "/* Collation change not supported: T.C (UNICODE -> UNICODE_CI) */",
     {"Collation change not supported: T.C (UNICODE -> UNICODE_CI)"}, st_Firebird_30, true, true},
    {"PgVarcharWidened", dbPostgreSQL, {iftVarchar, 40}, {iftVarchar, 20},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" TYPE varchar(40);\r\n",
     {}},
    {"PgVarcharNarrowed", dbPostgreSQL, {iftVarchar, 20}, {iftVarchar, 40},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" TYPE varchar(20);\r\n",
     {"DataType conversion (values may be cut or refused): varchar(40) -> varchar(20) /T(C)/"}},
    {"PgIntegerNarrowedToSmallint", dbPostgreSQL, {iftSmallInt}, {iftInteger},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" TYPE smallint;\r\n",
     {"DataType conversion (values may be cut or refused): integer -> smallint /T(C)/"}},
    {"PgIntegerWidenedToBigint", dbPostgreSQL, {iftBigInt}, {iftInteger},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" TYPE bigint;\r\n",
     {}},
    {"PgNotNullAdded", dbPostgreSQL, {iftInteger, 0, false}, {iftInteger, 0, true},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" SET NOT NULL;\r\n",
     {}},
    {"PgNotNullDropped", dbPostgreSQL, {iftInteger, 0, true}, {iftInteger, 0, false},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" DROP NOT NULL;\r\n",
     {}},
    {"PgDefaultAdded", dbPostgreSQL, {iftInteger, 0, true, "5"}, {iftInteger},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" SET DEFAULT 5;\r\n",
     {}},
    {"PgDefaultChanged", dbPostgreSQL, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" SET DEFAULT 6;\r\n",
     {}},
    {"PgDefaultDropped", dbPostgreSQL, {iftInteger}, {iftInteger, 0, true, "5"},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" DROP DEFAULT;\r\n",
     {}},
    {"PgCollationChanged", dbPostgreSQL, {iftVarchar, 10, true, "", "POSIX"}, {iftVarchar, 10, true, "", "C"},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" TYPE varchar(10) COLLATE \"POSIX\";\r\n",
     {}},
    {"MyVarcharWidened", dbMySQL, {iftVarchar, 40}, {iftVarchar, 20},
     "ALTER TABLE T MODIFY COLUMN C VARCHAR(40);\r\n",
     {"Modify column: T(C)/"}},
    {"MyVarcharNarrowed", dbMySQL, {iftVarchar, 20}, {iftVarchar, 40},
     "ALTER TABLE T MODIFY COLUMN C VARCHAR(20);\r\n",
     {"Modify column: T(C)/", "DataType conversion (values may be cut or refused): VARCHAR(40) -> VARCHAR(20) /T(C)/"}},
    {"MyIntegerNarrowedToSmallint", dbMySQL, {iftSmallInt}, {iftInteger},
     "ALTER TABLE T MODIFY COLUMN C SMALLINT;\r\n",
     {"Modify column: T(C)/", "DataType conversion (values may be cut or refused): INTEGER -> SMALLINT /T(C)/"}},
    {"MyIntegerWidenedToBigint", dbMySQL, {iftBigInt}, {iftInteger},
     "ALTER TABLE T MODIFY COLUMN C BIGINT;\r\n",
     {"Modify column: T(C)/"}},
    {"MyNotNullAdded", dbMySQL, {iftInteger, 0, false}, {iftInteger, 0, true},
     "ALTER TABLE T MODIFY COLUMN C INTEGER NOT NULL;\r\n",
     {"Modify column: T(C)/"}},
    {"MyNotNullDropped", dbMySQL, {iftInteger, 0, true}, {iftInteger, 0, false},
     "ALTER TABLE T MODIFY COLUMN C INTEGER;\r\n",
     {"Modify column: T(C)/"}},
    {"MyDefaultAdded", dbMySQL, {iftInteger, 0, true, "5"}, {iftInteger},
     "ALTER TABLE T MODIFY COLUMN C INTEGER DEFAULT 5;\r\n",
     {"Modify column: T(C)/"}},
    {"MyDefaultChanged", dbMySQL, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "ALTER TABLE T MODIFY COLUMN C INTEGER DEFAULT 6;\r\n",
     {"Modify column: T(C)/"}},
    {"MyDefaultDropped", dbMySQL, {iftInteger}, {iftInteger, 0, true, "5"},
     "ALTER TABLE T MODIFY COLUMN C INTEGER;\r\n",
     {"Modify column: T(C)/"}},
    {"MyCollationChanged", dbMySQL, {iftVarchar, 10, true, "", "utf8mb4_general_ci"}, {iftVarchar, 10, true, "", "utf8mb4_bin"},
     "ALTER TABLE T MODIFY COLUMN C VARCHAR(10) COLLATE utf8mb4_general_ci;\r\n",
     {"Modify column: T(C)/"}},
    {"MsVarcharWidened", dbMSSQL, {iftVarchar, 40}, {iftVarchar, 20},
     "ALTER TABLE T ALTER COLUMN C VARCHAR(40) NULL\r\n"
         "GO\r\n",
     {}},
    {"MsVarcharNarrowed", dbMSSQL, {iftVarchar, 20}, {iftVarchar, 40},
     "ALTER TABLE T ALTER COLUMN C VARCHAR(20) NULL\r\n"
         "GO\r\n",
     {"DataType conversion (values may be cut or refused): VARCHAR(40) -> VARCHAR(20) /T(C)/"}},
    {"MsIntegerNarrowedToSmallint", dbMSSQL, {iftSmallInt}, {iftInteger},
     "ALTER TABLE T ALTER COLUMN C SMALLINT NULL\r\n"
         "GO\r\n",
     {"DataType conversion (values may be cut or refused): INTEGER -> SMALLINT /T(C)/"}},
    {"MsIntegerWidenedToBigint", dbMSSQL, {iftBigInt}, {iftInteger},
     "ALTER TABLE T ALTER COLUMN C BIGINT NULL\r\n"
         "GO\r\n",
     {}},
    {"MsNotNullAdded", dbMSSQL, {iftInteger, 0, false}, {iftInteger, 0, true},
     "ALTER TABLE T ALTER COLUMN C INTEGER NOT NULL\r\n"
         "GO\r\n",
     {}},
    {"MsNotNullDropped", dbMSSQL, {iftInteger, 0, true}, {iftInteger, 0, false},
     "ALTER TABLE T ALTER COLUMN C INTEGER NULL\r\n"
         "GO\r\n",
     {}},
    {"MsDefaultAdded", dbMSSQL, {iftInteger, 0, true, "5"}, {iftInteger},
     "ALTER TABLE T ADD DEFAULT 5 FOR C\r\n"
         "GO\r\n",
     {}},
    {"MsDefaultChanged", dbMSSQL, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "ALTER TABLE T ADD DEFAULT 6 FOR C\r\n"
         "GO\r\n",
     {}},
    {"MsDefaultDropped", dbMSSQL, {iftInteger}, {iftInteger, 0, true, "5"},
     "",
     {}},
    {"MsCollationChanged", dbMSSQL, {iftVarchar, 10, true, "", "Latin1_General_CI_AS"}, {iftVarchar, 10, true, "", "Latin1_General_BIN"},
     "ALTER TABLE T ALTER COLUMN C VARCHAR(10) COLLATE Latin1_General_CI_AS NULL\r\n"
         "GO\r\n",
     {}},
    {"IbCollationChangedOnFirebird25", dbInterBase, {iftVarchar, 10, true, "", "UNICODE_CI"}, {iftVarchar, 10, true, "", "UNICODE"},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "UPDATE RDB$RELATION_FIELDS SET RDB$Collation_ID =\r\n"
         "(Select C.Rdb$Collation_ID from Rdb$Collations C\r\n"
         "where C.Rdb$Collation_Name='UNICODE_CI'\r\n"
         " and C.Rdb$Character_Set_ID = (select F.Rdb$Character_Set_ID from Rdb$Fields F where F.Rdb$Field_Name =\r\n"
         " (select R.Rdb$Field_Source from Rdb$Relation_Fields R where R.Rdb$Field_Name = 'C' and R.Rdb$Relation_Name = 'T')))\r\n"
         "  WHERE RDB$FIELD_NAME='C' AND RDB$RELATION_NAME='T';\r\n",
     {"DataType conversion: Collation difference (replace) /T(C)/"}, st_Firebird_25, true, true},
    {"IbNotNullAddedOnInterBase5", dbInterBase, {iftInteger, 0, false}, {iftInteger, 0, true},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "/* Alter Field (Null / Not Null)... */\r\n"
         "UPDATE RDB$RELATION_FIELDS SET RDB$NULL_FLAG = 1 WHERE RDB$FIELD_NAME='C' AND RDB$RELATION_NAME='T';\r\n"
         "\r\n",
     {"DataType conversion: Nullable difference /T(C)/"}, st_InterBase_5x, true},
    {"IbNotNullAddedOnInterBase5WithoutCatalogEdits", dbInterBase, {iftInteger, 0, false}, {iftInteger, 0, true},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "/* Alter Field (Null / Not Null)... */\r\n"
         "/* Nullability change not supported: T.C SET NOT NULL */",
     {"Nullability change not supported: T.C SET NOT NULL"}, st_InterBase_5x},
    {"IbVarcharNarrowedWithConversionOnFirebird30", dbInterBase, {iftVarchar, 20}, {iftVarchar, 40},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "/* DataType conversion not supported: \r\n"
         "ALTER TABLE T ALTER COLUMN C TYPE VARCHAR(20) */",
     {"DataType conversion not supported: \r\n"
         "ALTER TABLE T ALTER COLUMN C TYPE VARCHAR(20)"}, st_Firebird_30, true},
    {"IbNumericToIntegerOnInterBase5", dbInterBase, {iftInteger}, {iftNumeric, 0, true, "", "", 9, 2},
     "SET SQL DIALECT 3;\r\n"
         "\r\n"
         "SET AUTODDL ON;\r\n"
         "\r\n"
         "/* Alter Field: T.C: (NUMERIC(9,2) -> INTEGER) */\r\n"
         "UPDATE RDB$FIELDS SET\r\n"
         " RDB$FIELD_PRECISION=Null, RDB$FIELD_SCALE=Null,\r\n"
         " RDB$FIELD_LENGTH=4, RDB$FIELD_TYPE=8\r\n"
         "  WHERE RDB$FIELD_NAME=(SELECT RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS\r\n"
         "  WHERE RDB$FIELD_NAME='C' AND RDB$RELATION_NAME='T');\r\n",
     {"Alter Field: T.C: (NUMERIC(9,2) -> INTEGER)"}, st_InterBase_5x, true},
    {"MsIntegerToDateTime2NotAllowed", dbMSSQL, {iftDateTime2}, {iftInteger},
     "/* Datatype conversion is not allowed: INTEGER -> DATETIME2\r\n"
         "ALTER TABLE T ALTER COLUMN C DATETIME2 NULL */",
     {"Datatype conversion is not allowed: INTEGER -> DATETIME2 /T(C)/"}},
    {"PgNumericScaleReduced", dbPostgreSQL, {iftNumeric, 0, true, "", "", 10, 1}, {iftNumeric, 0, true, "", "", 10, 2},
     "ALTER TABLE \"T\" ALTER COLUMN \"C\" TYPE numeric(10,1);\r\n",
     {"DataType conversion (values may be cut or refused): numeric(10,2) -> numeric(10,1) /T(C)/"}},
    {"OraIntegerWidenedAndDefaultAdded", dbOracle, {iftBigInt, 0, true, "5"}, {iftInteger},
     "-- CONNECT SYSDBA/*****@;\r\n"
     "ALTER TABLE T MODIFY(C BIGINT);\r\n"
     "\r\n"
     "ALTER TABLE T MODIFY(C DEFAULT 5);\r\n",
     {}},
    {"AsaDefaultChanged", dbSybaseASA, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "ALTER TABLE T MODIFY C DEFAULT 6\r\n"
     "go\r\n",
     {}},
    {"AsaNotNullAddedAndDefaultAdded", dbSybaseASA, {iftInteger, 0, false, "5"}, {iftInteger},
     "ALTER TABLE T MODIFY C NOT NULL\r\n"
     "go\r\n"
     "\r\n"
     "ALTER TABLE T ALTER C SET DEFAULT 5\r\n"
     "go\r\n",
     {}},
    {"AseTypeChangeIsNotMade", dbSybaseASE, {iftBigInt, 0, true, "1"}, {iftInteger},
     "ALTER TABLE T REPLACE C DEFAULT 1\r\n"
     "go\r\n"
     "\r\n"
     "/* Column change not supported: T.C (INTEGER NULL -> BIGINT DEFAULT 1 NULL) */",
     {"Column change not supported: T.C (INTEGER NULL -> BIGINT DEFAULT 1 NULL)"}},
    {"IbDefaultChangedOnInterBase5", dbInterBase, {iftInteger, 0, true, "6"}, {iftInteger, 0, true, "5"},
     "SET SQL DIALECT 3;\r\n"
     "\r\n"
     "SET AUTODDL ON;\r\n"
     "\r\n"
     "CREATE DOMAIN QZTXXX INTEGER DEFAULT 6;\r\n"
     "\r\n"
     "UPDATE RDB$RELATION_FIELDS SET RDB$DEFAULT_SOURCE=\r\n"
     "(SELECT RDB$DEFAULT_SOURCE FROM RDB$FIELDS where RDB$FIELD_NAME='QZTXXX'),\r\n"
     "RDB$DEFAULT_VALUE=\r\n"
     "(SELECT RDB$DEFAULT_VALUE FROM RDB$FIELDS where RDB$FIELD_NAME='QZTXXX')\r\n"
     "WHERE RDB$FIELD_NAME='C' AND RDB$RELATION_NAME='T';\r\n"
     "\r\n"
     "DROP DOMAIN QZTXXX;\r\n"
     "\r\n"
     "UPDATE RDB$FIELDS SET RDB$DEFAULT_VALUE = NULL,\r\n"
     "RDB$DEFAULT_SOURCE = '' WHERE RDB$FIELD_NAME =\r\n"
     "(SELECT RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS\r\n"
     "WHERE RDB$FIELD_NAME = 'C' AND RDB$RELATION_NAME = 'T');\r\n",
     {"DataType conversion: DEFAULT difference /T(C)/"},
     st_InterBase_5x, true},
    {"IbComputedExpressionChanged", dbInterBase, {iftInteger, 0, true, "", "", 0, 0, "(ID * 2)"},
     {iftInteger, 0, true, "", "", 0, 0, "(ID * 3)"},
     "SET SQL DIALECT 3;\r\n"
     "\r\n"
     "SET AUTODDL ON;\r\n"
     "\r\n"
     "/* Alter Field (Computed)... */\r\n"
     "ALTER TABLE T DROP C;\r\n"
     "\r\n"
     "ALTER TABLE T ADD C COMPUTED BY (ID * 2);\r\n"
     "\r\n"
     "\r\n"
     "ALTER TABLE T ALTER COLUMN ID POSITION 1;\r\n"
     "\r\n"
     "ALTER TABLE T ALTER COLUMN C POSITION 2;\r\n",
     {}},
    {"IbDomainReplacedBySimpleType", dbInterBase, {iftBigInt}, {iftDomain},
     "SET SQL DIALECT 3;\r\n"
     "\r\n"
     "SET AUTODDL ON;\r\n"
     "\r\n"
     "ALTER TABLE T ALTER COLUMN C TYPE BIGINT;\r\n",
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
        if (f->FieldType == iftDomain) f->DomainName = "D_INT";
    }
    const std::string script = c.Run();
    EXPECT_EQ(script, tc.script);
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

TEST(ColumnAlterOrderTest, SqlServerLeavesTheOrderAloneWhenTheOptionIsOff) {
    Compare c(dbMSSQL);
    TTblData* mt = c.Table(c.master, "T");
    mt->AddFld("B")->FieldType = iftInteger;
    mt->AddFld("A")->FieldType = iftInteger;
    TTblData* tt = c.Table(c.target, "T");
    tt->AddFld("A")->FieldType = iftInteger;
    tt->AddFld("B")->FieldType = iftInteger;
    EXPECT_EQ(c.Run(), "");
}

TEST(ColumnAlterOrderTest, MySqlMovesColumnsWithQuotedNames) {
    Compare c(dbMySQL);
    TTblData* mt = c.Table(c.master, "order");
    mt->AddFld("select")->FieldType = iftInteger;
    mt->AddFld("A")->FieldType = iftInteger;
    TTblData* tt = c.Table(c.target, "order");
    tt->AddFld("A")->FieldType = iftInteger;
    tt->AddFld("select")->FieldType = iftInteger;
    EXPECT_EQ(c.Run(),
              "ALTER TABLE `order` MODIFY COLUMN `select` INTEGER FIRST;\r\n\r\n"
              "ALTER TABLE `order` MODIFY COLUMN A INTEGER AFTER `select`;\r\n");
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
    EXPECT_EQ(c.Run(),
              "SET SQL DIALECT 3;\r\n\r\nSET AUTODDL ON;\r\n\r\n/* Alter Field (Null / Not Null)... */\r\n"
              "UPDATE RDB$RELATION_FIELDS SET RDB$NULL_FLAG = 1 WHERE RDB$FIELD_NAME='C''1' AND "
              "RDB$RELATION_NAME='O''T';\r\n\r\n");
}

TEST(ColumnAlterTest, DescriptionsAreWrittenAndDb2AltersNoColumn) {
    struct Row {
        TDatabaseType db;
        std::string script;
    };
    const Row rows[] = {
        {dbPostgreSQL, "COMMENT ON COLUMN \"T\".\"C\" IS 'new';\r\n"},
        {dbDB2, ""},
    };
    for (const Row& r : rows) {
        Compare c(r.db);
        for (TDBStructure* s : {&c.master, &c.target}) {
            TTblData* t = c.Table(*s, "T");
            TFldData* f = t->AddFld("C");
            f->FieldType = r.db == dbDB2 && s == &c.master ? iftBigInt : iftInteger;
            f->SetDescription(s == &c.master ? "new" : "old");
        }
        EXPECT_EQ(c.Run(), r.script) << r.db;
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
    n.ArrayBounds.push_back({1, 5});
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
