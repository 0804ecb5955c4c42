#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/krvClasses.h"
#include "core/krvStrUtils.h"
#include "objects/krvCompColumn.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin {
namespace {

// One object set of a database kind with a table, a procedure, an external function and a
// domain DM (INTEGER DEFAULT 0) to own or type the column under test.
struct Ctx {
    explicit Ctx(TDatabaseType db) {
        objs.SetDatabaseType(db);
        tbl = std::make_unique<TTblData>(&objs);
        tbl->SetObjName("T");
        prc = std::make_unique<TPrcData>(&objs);
        prc->SetObjName("P");
        udf = std::make_unique<TUdfData>(&objs);
        udf->SetObjName("F");
        auto* dmn = new TDmnData(&objs);
        dmn->SetObjName("DM");
        dmn->fData->FieldType = iftInteger;
        dmn->fData->SetDefValue("0");
        objs.AddObj(dmn);
        auto* cdm = new TDmnData(&objs);
        cdm->SetObjName("CDM");
        cdm->fData->FieldType = iftVarchar;
        cdm->fData->CharLength = 10;
        cdm->fData->EditRare().CharSet = "WIN1252";
        cdm->fData->EditRare().Collation = "PXW_INTL";
        objs.AddObj(cdm);
    }
    TFldData& Col(const std::string& name = "C") { return *tbl->AddFld(name); }
    TFldData& Param(const std::string& name) { return *prc->AddParam(name); }
    TIBServerOptions& IB() { return objs.fIBServerOptions; }

    TCustomObjs objs;
    std::unique_ptr<TTblData> tbl;
    std::unique_ptr<TPrcData> prc;
    std::unique_ptr<TUdfData> udf;
};

struct Case {
    const char* name;
    TDatabaseType db;
    std::function<TFldData&(Ctx&)> make;  // builds the column; may change the set's options
    const char* def;                      // expected Def: name and full type text
};

TFldData& Typed(Ctx& c, TDBFieldType t, std::int32_t len = 0, std::int32_t prec = 0, std::int32_t scale = 0) {
    TFldData& f = c.Col();
    f.FieldType = t;
    f.CharLength = len;
    f.Precision = prec;
    f.Scale = scale;
    return f;
}

// Sets the InterBase server version and returns the column.
TFldData& At(Ctx& c, TIBSQLServerVersionType v, TFldData& f) {
    c.IB().SetSQLServerVersion(v);
    return f;
}

TFldData& NotNull(TFldData& f) {
    f.Nullable = false;
    return f;
}

TFldData& Default(TFldData& f, const std::string& d) {
    f.SetDefValue(d);
    return f;
}

const Case kCases[] = {
    // InterBase / Firebird (Firebird 2.5, dialect 3 unless set).
    {"ib_integer", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftInteger); }, "C INTEGER"},
    {"ib_smallint_nn", dbInterBase, [](Ctx& c) -> TFldData& { return NotNull(Typed(c, iftSmallInt)); }, "C SMALLINT NOT NULL"},
    {"ib_bigint", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftBigInt); }, "C BIGINT"},
    {"ib_bigint_ib2020", dbInterBase, [](Ctx& c) -> TFldData& { return At(c, st_InterBase_2020, Typed(c, iftBigInt)); }, "C INTEGER"},
    {"ib_float", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftFloat); }, "C FLOAT"},
    {"ib_double", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftDoublePrecision); }, "C DOUBLE PRECISION"},
    {"ib_date", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftDate); }, "C DATE"},
    {"ib_time", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftTime); }, "C TIME"},
    {"ib_timestamp", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftTimeStamp); }, "C TIMESTAMP"},
    {"ib_timestamp_dialect1", dbInterBase, [](Ctx& c) -> TFldData& { c.IB().SetSQLDialect(1); return Typed(c, iftTimeStamp); }, "C DATE"},
    {"ib_char1", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftChar, 1); }, "C CHAR"},
    {"ib_char10", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftChar, 10); }, "C CHAR(10)"},
    {"ib_varchar1", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftVarchar, 1); }, "C VARCHAR(1)"},
    {"ib_cstring", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftCstring, 5); }, "C CSTRING(5)"},
    {"ib_numeric_p", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftNumeric, 0, 15, 0); }, "C NUMERIC(15)"},
    {"ib_numeric_ps", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftNumeric, 0, 15, 2); }, "C NUMERIC(15,2)"},
    {"ib_decimal_ps", dbInterBase, [](Ctx& c) -> TFldData& { return Typed(c, iftDecimal, 0, 9, 3); }, "C DECIMAL(9,3)"},
    {"ib_decfloat16", dbInterBase, [](Ctx& c) -> TFldData& { return At(c, st_Firebird_40, Typed(c, iftDecFloat, 0, 16)); }, "C DECFLOAT(16)"},
    {"ib_decfloat34", dbInterBase, [](Ctx& c) -> TFldData& { return At(c, st_Firebird_40, Typed(c, iftDecFloat, 0, 34)); }, "C DECFLOAT"},
    {"ib_boolean", dbInterBase, [](Ctx& c) -> TFldData& { return At(c, st_Firebird_30, Typed(c, iftBoolean)); }, "C BOOLEAN"},
    {"ib_blob_text_seg80", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftBlob); f.EditRare().BlobSubType = 1; f.EditRare().BlobSegSize = 80; return f; }, "C BLOB SUB_TYPE 1"},
    {"ib_blob_seg100", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftBlob); f.EditRare().BlobSegSize = 100; return f; }, "C BLOB SEGMENT SIZE 100"},
    {"ib_array", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftInteger); f.EditRare().ArrayBounds = {{1, 10}, {0, 5}}; return f; }, "C INTEGER [1:10, 0:5]"},
    {"ib_array_char", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftChar, 3); f.EditRare().ArrayBounds = {{-2, 2}}; return f; }, "C CHAR(3) [-2:2]"},
    {"fb4_binary", dbInterBase, [](Ctx& c) -> TFldData& { return At(c, st_Firebird_40, Typed(c, iftBinary, 16)); }, "C BINARY(16)"},
    {"fb4_varbinary", dbInterBase, [](Ctx& c) -> TFldData& { return At(c, st_Firebird_40, Typed(c, iftVarBinary, 8)); }, "C VARBINARY(8)"},
    {"fb4_time_tz", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = At(c, st_Firebird_40, Typed(c, iftTime)); f.EditRare().WithTimeZone = true; return f; }, "C TIME WITH TIME ZONE"},
    {"fb4_timestamp_tz", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = At(c, st_Firebird_40, Typed(c, iftTimeStamp)); f.EditRare().WithTimeZone = true; return f; }, "C TIMESTAMP WITH TIME ZONE"},
    {"fb3_timestamp_tz_flag_ignored", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = At(c, st_Firebird_30, Typed(c, iftTimeStamp)); f.EditRare().WithTimeZone = true; return f; }, "C TIMESTAMP"},
    {"ib_charset_collate", dbInterBase, [](Ctx& c) -> TFldData& {
         c.IB().GetIBCompareOptions().SetFldCharsetCompare(true);
         c.IB().SetDBCharSet("UTF8");
         TFldData& f = Typed(c, iftVarchar, 10); f.EditRare().CharSet = "WIN1252"; f.EditRare().Collation = "PXW_INTL"; return f; },
     "C VARCHAR(10) CHARACTER SET WIN1252 COLLATE PXW_INTL"},
    {"ib_charset_of_database_left_out", dbInterBase, [](Ctx& c) -> TFldData& {
         c.IB().GetIBCompareOptions().SetFldCharsetCompare(true);
         c.IB().SetDBCharSet("UTF8");
         TFldData& f = Typed(c, iftVarchar, 10); f.EditRare().CharSet = "UTF8"; return f; },
     "C VARCHAR(10)"},
    {"ib_charset_of_database_with_collation", dbInterBase, [](Ctx& c) -> TFldData& {
         c.IB().GetIBCompareOptions().SetFldCharsetCompare(true);
         c.IB().SetDBCharSet("UTF8");
         TFldData& f = Typed(c, iftChar, 2); f.EditRare().CharSet = "UTF8"; f.EditRare().Collation = "UNICODE_CI"; return f; },
     "C CHAR(2) CHARACTER SET UTF8 COLLATE UNICODE_CI"},
    {"ib_charset_not_compared", dbInterBase, [](Ctx& c) -> TFldData& {
         TFldData& f = Typed(c, iftVarchar, 10); f.EditRare().CharSet = "WIN1252"; f.EditRare().Collation = "PXW_INTL"; return f; },
     "C VARCHAR(10)"},
    {"ib_default_nn_check", dbInterBase, [](Ctx& c) -> TFldData& {
         TFldData& f = NotNull(Default(Typed(c, iftInteger), "5")); f.EditRare().CheckDef = " (C > 0)"; return f; },
     "C INTEGER DEFAULT 5 NOT NULL CHECK (C > 0)"},
    {"ib_default_double_quoted", dbInterBase, [](Ctx& c) -> TFldData& { return Default(Typed(c, iftVarchar, 9), "\"it's \"\"x\"\"\""); }, "C VARCHAR(9) DEFAULT 'it''s \"x\"'"},
    {"ib_default_two_literals_kept", dbInterBase, [](Ctx& c) -> TFldData& { return Default(Typed(c, iftVarchar, 9), "\"a\" || \"b\""); }, "C VARCHAR(9) DEFAULT \"a\" || \"b\""},
    // Column defaults exist in every InterBase and Firebird version.
    {"fb20_default", dbInterBase, [](Ctx& c) -> TFldData& { return At(c, st_Firebird_20, Default(Typed(c, iftInteger), "0")); }, "C INTEGER DEFAULT 0"},
    {"fb15_default", dbInterBase, [](Ctx& c) -> TFldData& { return At(c, st_FireBird_15, Default(Typed(c, iftInteger), "0")); }, "C INTEGER DEFAULT 0"},
    {"ib4_default", dbInterBase, [](Ctx& c) -> TFldData& { return At(c, st_InterBase_4x, Default(Typed(c, iftVarchar, 3), "'a'")); }, "C VARCHAR(3) DEFAULT 'a'"},
    {"ib_computed", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftInteger); f.SetBody("(A + B)"); return f; }, "C COMPUTED BY (A + B)"},
    // A computed column written with a type keeps it; the server derives one only without.
    {"ib_computed_typed", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftVarchar, 20); f.SetBody("('q ' || A)"); f.EditRare().ComputedTyped = true; return f; }, "C VARCHAR(20) COMPUTED BY ('q ' || A)"},
    {"ib_computed_typed_numeric", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftNumeric, 0, 18, 2); f.SetBody("(A * 2)"); f.EditRare().ComputedTyped = true; return f; }, "C NUMERIC(18,2) COMPUTED BY (A * 2)"},
    {"ib_domain", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftDomain); f.EditRare().DomainName = "Dm x"; return f; }, "C \"Dm x\""},
    {"ib_domain_default_as_domain", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(Default(Typed(c, iftDomain), "0")); f.EditRare().DomainName = "DM"; return f; }, "C DM NOT NULL"},
    {"ib_domain_own_default", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Default(Typed(c, iftDomain), "1"); f.EditRare().DomainName = "DM"; return f; }, "C DM DEFAULT 1"},
    {"ib_type_of_domain", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Default(Typed(c, iftDomain), "0"); f.EditRare().DomainName = "DM"; f.EditRare().TypeOf = true; return f; }, "C TYPE OF DM DEFAULT 0"},
    {"ib_type_of_column", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftDomain); f.EditRare().TypeOf = true; f.EditRare().TypeOfTbl = "T"; f.EditRare().TypeOfFld = "order"; return f; }, "C TYPE OF COLUMN T.\"order\""},
    {"fb3_identity", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(At(c, st_Firebird_30, Typed(c, iftInteger))); f.Identity = true; return f; }, "C INTEGER GENERATED BY DEFAULT AS IDENTITY"},
    {"fb4_identity", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(At(c, st_Firebird_40, Typed(c, iftBigInt))); f.Identity = true; return f; }, "C BIGINT GENERATED BY DEFAULT AS IDENTITY"},
    {"fb25_identity_keeps_not_null", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(Typed(c, iftInteger)); f.Identity = true; return f; }, "C INTEGER NOT NULL"},
    {"ib_quoted_name", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = c.Col("order"); f.FieldType = iftInteger; return f; }, "\"order\" INTEGER"},
    {"ib_param_default", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = c.Param("A"); f.FieldType = iftInteger; f.SetDefValue("5"); return f; }, "A INTEGER = 5"},
    {"fb20_param_default", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = At(c, st_Firebird_20, c.Param("A")); f.FieldType = iftInteger; f.SetDefValue("5"); return f; }, "A INTEGER = 5"},
    {"fb15_param_no_default", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = At(c, st_FireBird_15, c.Param("A")); f.FieldType = iftInteger; f.SetDefValue("5"); return f; }, "A INTEGER"},
    {"ib_out_param_no_default", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = c.Param("A"); f.FieldType = iftInteger; f.SetDefValue("5"); f.InOut = ioOut; return f; }, "A INTEGER"},
    {"ib_udf_parameter", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftInteger); f.EditRare().FncParameter = 2; f.EditRare().FncByValue = true; return f; }, "C PARAMETER 2"},
    {"ib_udf_by_descriptor", dbInterBase, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftBlob); f.OwnObj = c.udf.get(); f.EditRare().BlobSegSize = 100; f.EditRare().FncByDescriptor = true; return f; }, "C BLOB BY DESCRIPTOR"},

    // MySQL
    {"my_varchar_full", dbMySQL, [](Ctx& c) -> TFldData& {
         TFldData& f = NotNull(Default(Typed(c, iftVarchar, 20), "'x'")); f.EditRare().CharSet = "utf8mb4"; f.EditRare().Collation = "utf8mb4_bin"; return f; },
     "C VARCHAR(20) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin NOT NULL DEFAULT 'x'"},
    {"my_int_attrs", dbMySQL, [](Ctx& c) -> TFldData& {
         TFldData& f = NotNull(Typed(c, iftInteger, 0, 11)); f.Unsigned = true; f.ZeroFill = true; f.AutoInc = true; return f; },
     "C INTEGER(11) UNSIGNED ZEROFILL NOT NULL AUTO_INCREMENT"},
    {"my_decimal_ps", dbMySQL, [](Ctx& c) -> TFldData& { return Typed(c, iftDecimal, 0, 10, 2); }, "C DECIMAL(10,2)"},
    {"my_decimal_scale_only", dbMySQL, [](Ctx& c) -> TFldData& { return Typed(c, iftDecimal, 0, 0, 2); }, "C DECIMAL"},
    {"my_float_p", dbMySQL, [](Ctx& c) -> TFldData& { return Typed(c, iftFloat, 0, 7); }, "C FLOAT(7)"},
    {"my_char_no_length_precision", dbMySQL, [](Ctx& c) -> TFldData& { return Typed(c, iftChar, 0, 3); }, "C CHAR(3)"},
    {"my_binary", dbMySQL, [](Ctx& c) -> TFldData& { return Typed(c, iftBinary, 16); }, "C BINARY(16)"},
    {"my_text_binary", dbMySQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftText); f.Binary = true; return f; }, "C TEXT BINARY"},
    {"my_enum", dbMySQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftEnum); f.EditRare().EnumValues = {"'a'", "'b'"}; return f; }, "C ENUM('a', 'b')"},
    {"my_set", dbMySQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftSet); f.EditRare().EnumValues = {"'x'"}; return f; }, "C SET('x')"},
    {"my_datetime_expr_default", dbMySQL, [](Ctx& c) -> TFldData& { return Default(Typed(c, iftDateTime), "CURRENT_TIMESTAMP"); }, "C DATETIME DEFAULT CURRENT_TIMESTAMP"},
    // A literal default keeps its value: escapes are decoded before it is quoted again.
    {"my_default_backslash", dbMySQL, [](Ctx& c) -> TFldData& { return Default(Typed(c, iftVarchar, 9), "'a\\\\b'"); }, "C VARCHAR(9) DEFAULT 'a\\\\b'"},
    {"my_default_doubled_quote", dbMySQL, [](Ctx& c) -> TFldData& { return Default(Typed(c, iftVarchar, 9), "'it''s'"); }, "C VARCHAR(9) DEFAULT 'it\\'s'"},
    {"my_default_double_quoted", dbMySQL, [](Ctx& c) -> TFldData& { return Default(Typed(c, iftVarchar, 9), "\"c:\\\\x\""); }, "C VARCHAR(9) DEFAULT 'c:\\\\x'"},

    // PostgreSQL
    {"pg_integer_nn_default", dbPostgreSQL, [](Ctx& c) -> TFldData& { return Default(NotNull(Typed(c, iftInteger)), "0"); }, "\"C\" integer not null default 0"},
    {"pg_varchar", dbPostgreSQL, [](Ctx& c) -> TFldData& { return Typed(c, iftVarchar, 30); }, "\"C\" varchar(30)"},
    {"pg_numeric", dbPostgreSQL, [](Ctx& c) -> TFldData& { return Typed(c, iftNumeric, 0, 10, 2); }, "\"C\" numeric(10,2)"},
    {"pg_timestamptz", dbPostgreSQL, [](Ctx& c) -> TFldData& { return Typed(c, iftTimeStampTZ); }, "\"C\" timestamp with time zone"},
    {"pg_timetz", dbPostgreSQL, [](Ctx& c) -> TFldData& { return Typed(c, iftTimeTZ); }, "\"C\" time with time zone"},
    {"pg_bytea_boolean", dbPostgreSQL, [](Ctx& c) -> TFldData& { return Typed(c, iftByteA); }, "\"C\" bytea"},
    {"pg_domain", dbPostgreSQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftDomain); f.EditRare().DomainName = "public.dm"; return f; }, "\"C\" public.dm"},
    {"pg_array", dbPostgreSQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftInteger); f.EditRare().ArrayBounds = {{1, 0}, {1, 3}}; return f; }, "\"C\" integer[][3]"},
    {"pg_collate_quoted", dbPostgreSQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftText); f.EditRare().Collation = "C"; return f; }, "\"C\" text collate \"C\""},
    {"pg_collate_plain", dbPostgreSQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftText); f.EditRare().Collation = "en_us"; return f; }, "\"C\" text collate en_us"},
    {"pg_named_check", dbPostgreSQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftInteger); f.EditRare().CheckDef = " (\"C\" > 0)"; f.EditRare().CtrName = "Ck"; return f; }, "\"C\" integer CONSTRAINT \"Ck\" CHECK (\"C\" > 0)"},
    {"pg_plain_name", dbPostgreSQL, [](Ctx& c) -> TFldData& { TFldData& f = c.Col("id"); f.FieldType = iftBigInt; return f; }, "id bigint"},

    // SQL Server
    {"ms_nvarchar_max", dbMSSQL, [](Ctx& c) -> TFldData& { return Typed(c, iftNVarChar, -1); }, "C NVARCHAR(MAX) NULL"},
    {"ms_varchar_collate_nn", dbMSSQL, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(Typed(c, iftVarchar, 50)); f.EditRare().Collation = "Latin1_General_CI_AS"; return f; }, "C VARCHAR(50) COLLATE Latin1_General_CI_AS NOT NULL"},
    {"ms_datetime2_7", dbMSSQL, [](Ctx& c) -> TFldData& { return Typed(c, iftDateTime2, 0, 7); }, "C DATETIME2 NULL"},
    {"ms_datetime2_0", dbMSSQL, [](Ctx& c) -> TFldData& { return Typed(c, iftDateTime2, 0, 0); }, "C DATETIME2(0) NULL"},
    {"ms_time_3", dbMSSQL, [](Ctx& c) -> TFldData& { return Typed(c, iftTime, 0, 3); }, "C TIME(3) NULL"},
    {"ms_decimal", dbMSSQL, [](Ctx& c) -> TFldData& { return Default(Typed(c, iftDecimal, 0, 18, 4), "((0))"); }, "C DECIMAL(18,4) DEFAULT ((0)) NULL"},
    {"ms_identity", dbMSSQL, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(Typed(c, iftInteger)); f.Identity = true; f.EditRare().IdentitySeed = 1; f.EditRare().IdentityIncrement = 1; return f; }, "C INTEGER IDENTITY (1, 1) NOT NULL"},
    {"ms_identity_no_increment", dbMSSQL, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(Typed(c, iftBigInt)); f.Identity = true; return f; }, "C BIGINT IDENTITY NOT NULL"},
    {"ms_rowguid", dbMSSQL, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(Typed(c, iftUniqueIdent)); f.EditRare().RowGuidCol = true; return f; }, "C UNIQUEIDENTIFIER ROWGUIDCOL NOT NULL"},
    {"ms_computed", dbMSSQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftInteger); f.SetBody("([A]+[B])"); f.EditRare().Persisted = true; return f; }, "C AS ([A]+[B]) PERSISTED"},
    {"ms_xml", dbMSSQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftXml); f.EditRare().XmlBody = "(CONTENT dbo.S)"; return f; }, "C XML (CONTENT dbo.S) NULL"},
    {"ms_domain", dbMSSQL, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftDomain); f.EditRare().DomainName = "My Type"; f.EditRare().DomainSchema = "dbo"; return f; }, "C dbo.[My Type] NULL"},
    {"ms_param", dbMSSQL, [](Ctx& c) -> TFldData& { TFldData& f = c.Param("@p"); f.FieldType = iftInteger; f.SetDefValue("5"); f.InOut = ioOut; return f; }, "@P INTEGER = 5 OUTPUT"},
    {"ms_table_type", dbMSSQL, [](Ctx& c) -> TFldData& { return NotNull(Typed(c, iftTable)); }, "C TABLE"},

    // Oracle
    {"ora_varchar2", dbOracle, [](Ctx& c) -> TFldData& { return NotNull(Typed(c, iftVarChar2, 30)); }, "C VARCHAR2(30) NOT NULL"},
    {"ora_number_ps", dbOracle, [](Ctx& c) -> TFldData& { return Typed(c, iftNumber, 0, 10, 2); }, "C NUMBER(10,2)"},
    {"ora_number", dbOracle, [](Ctx& c) -> TFldData& { return Typed(c, iftNumber); }, "C NUMBER"},
    {"ora_raw", dbOracle, [](Ctx& c) -> TFldData& { return Typed(c, iftRaw, 16); }, "C RAW(16)"},
    {"ora_timestamp_tz", dbOracle, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftTimeStamp, 0, 6); f.EditRare().WithTimeZone = true; return f; }, "C TIMESTAMP(6) WITH TIME ZONE"},
    {"ora_timestamp_ltz", dbOracle, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftTimeStamp); f.EditRare().WithLocalTimeZone = true; return f; }, "C TIMESTAMP WITH LOCAL TIME ZONE"},
    {"ora_interval_ym", dbOracle, [](Ctx& c) -> TFldData& { return Typed(c, iftIntervalYearToMonth, 0, 2); }, "C INTERVAL YEAR(2) TO MONTH"},
    {"ora_interval_ds", dbOracle, [](Ctx& c) -> TFldData& { return Typed(c, iftIntervalDayToSecond, 0, 3, 6); }, "C INTERVAL DAY(3) TO SECOND(6)"},
    {"ora_interval_ds_plain", dbOracle, [](Ctx& c) -> TFldData& { return Typed(c, iftIntervalDayToSecond); }, "C INTERVAL DAY TO SECOND"},
    {"ora_ref", dbOracle, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftUnknown); f.EditRare().RefToType = true; f.EditRare().DomainName = "ADDR_T"; return f; }, "C REF ADDR_T"},
    {"ora_date_default_nn", dbOracle, [](Ctx& c) -> TFldData& { return NotNull(Default(Typed(c, iftDate), "SYSDATE")); }, "C DATE DEFAULT SYSDATE NOT NULL"},

    // DB2
    {"db2_numeric", dbDB2, [](Ctx& c) -> TFldData& { return Typed(c, iftNumeric, 0, 15, 0); }, "C NUMERIC(15,0)"},
    {"db2_varchar_bit", dbDB2, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftVarchar, 20); f.EditRare().ForBitData = true; return f; }, "C VARCHAR(20) FOR BIT DATA"},
    {"db2_blob_options", dbDB2, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftBlob, 1000); f.EditRare().Logged = 0; f.EditRare().Compact = 1; return f; }, "C BLOB(1000) NOT LOGGED COMPACT"},
    {"db2_identity", dbDB2, [](Ctx& c) -> TFldData& {
         TFldData& f = NotNull(Typed(c, iftInteger)); f.Identity = true; f.EditRare().Generated = 'A';
         TGnrData* g = f.GetSeqData(); g->StartWith = "1"; g->IncrementBy = "1"; return f; },
     "C INTEGER NOT NULL GENERATED ALWAYS AS IDENTITY(START WITH 1, INCREMENT BY 1, CACHE 20)"},
    {"db2_generated_expr", dbDB2, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftInteger); f.EditRare().Generated = 'D'; f.EditRare().GeneratedAs = "A + B"; return f; }, "C INTEGER GENERATED BY DEFAULT AS(A + B)"},
    {"db2_with_default", dbDB2, [](Ctx& c) -> TFldData& { return Default(NotNull(Typed(c, iftSmallInt)), "0"); }, "C SMALLINT NOT NULL WITH DEFAULT 0"},

    // SQL Anywhere
    {"asa_varchar_default", dbSybaseASA, [](Ctx& c) -> TFldData& { return NotNull(Default(Typed(c, iftVarchar, 20), "'x'")); }, "C VARCHAR(20) DEFAULT 'x' NOT NULL"},
    {"asa_char1", dbSybaseASA, [](Ctx& c) -> TFldData& { return Typed(c, iftChar, 1); }, "C CHAR NULL"},
    {"asa_numeric", dbSybaseASA, [](Ctx& c) -> TFldData& { return Typed(c, iftNumeric, 0, 15, 2); }, "C NUMERIC(15,2) NULL"},
    {"asa_identity", dbSybaseASA, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(Typed(c, iftInteger)); f.Identity = true; f.EditRare().IdentitySeed = 1; f.EditRare().IdentityIncrement = 2; return f; }, "C INTEGER IDENTITY (1, 2) NOT NULL"},
    {"asa_domain", dbSybaseASA, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftDomain); f.EditRare().DomainName = "DM"; return f; }, "C DM NULL"},

    // Sybase ASE
    {"ase_numeric_default", dbSybaseASE, [](Ctx& c) -> TFldData& { return NotNull(Default(Typed(c, iftNumeric, 0, 10, 2), "0")); }, "C NUMERIC(10,2) DEFAULT 0 NOT NULL"},
    {"ase_varchar_collate", dbSybaseASE, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftVarchar, 10); f.EditRare().Collation = "nocase"; return f; }, "C VARCHAR(10) COLLATE nocase NULL"},
    {"ase_identity", dbSybaseASE, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(Typed(c, iftNumeric, 0, 10)); f.Identity = true; return f; }, "C NUMERIC(10) IDENTITY NOT NULL"},
    {"ase_computed", dbSybaseASE, [](Ctx& c) -> TFldData& { TFldData& f = NotNull(Typed(c, iftInteger)); f.SetBody("A + B"); return f; }, "C AS A + B"},
    {"ase_java", dbSybaseASE, [](Ctx& c) -> TFldData& { TFldData& f = Typed(c, iftUnknown); f.EditRare().JavaLang = true; f.EditRare().JavaLangType = "String"; return f; }, "C java.lang.String NULL"},
};

class ColumnTypeText : public ::testing::TestWithParam<Case> {};

TEST_P(ColumnTypeText, Def) {
    const Case& k = GetParam();
    Ctx c(k.db);
    TFldData& f = k.make(c);
    EXPECT_EQ(f.Def(), k.def);
}

INSTANTIATE_TEST_SUITE_P(PerDialect, ColumnTypeText, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

// The bare type text compared between columns: no default, nullability or collation.
TEST(ColumnTypeText, FieldTypeDefLeavesOutColumnClauses) {
    struct { TDatabaseType db; TDBFieldType t; std::int32_t len, prec; const char* want; } cases[] = {
        {dbInterBase, iftVarchar, 10, 0, "VARCHAR(10)"},
        {dbMSSQL, iftNVarChar, -1, 0, "NVARCHAR(MAX)"},
        {dbMSSQL, iftVarchar, 1, 0, "VARCHAR"},
        {dbPostgreSQL, iftTimeStampTZ, 0, 3, "timestamp(3) with time zone"},
        {dbPostgreSQL, iftVarchar, 20, 0, "varchar(20)"},
        {dbDB2, iftNumeric, 0, 15, "NUMERIC(15)"},
        {dbOracle, iftPoint, 0, 0, "Point"},
    };
    for (const auto& k : cases) {
        Ctx c(k.db);
        TFldData& f = NotNull(Default(Typed(c, k.t, k.len, k.prec), "1"));
        f.EditRare().Collation = "X";
        EXPECT_EQ(f.FieldTypeDef(), k.want) << k.want;
    }
}

TEST(ColumnTypeText, MasterWritesInTargetDialect) {
    Ctx master(dbInterBase);
    Ctx target(dbPostgreSQL);
    master.objs.SetLinkedObjs(&target.objs);
    TFldData& f = Typed(master, iftVarchar, 5);
    EXPECT_EQ(f.TypeDef(), "VARCHAR(5)");
    master.objs.fGenTargetDef = true;
    EXPECT_EQ(f.TypeDef(), "varchar(5)");
}

TEST(FieldTypeNames, OrdinalsArePinned) {
    EXPECT_EQ(FieldTypeNames.size(), 97u);
    EXPECT_EQ(int(iftVarchar), 14);
    EXPECT_EQ(int(iftTimeStampTZ), 22);
    EXPECT_EQ(int(iftBlob), 41);
    EXPECT_EQ(int(iftNChar), 49);
    EXPECT_EQ(int(iftSmallInt), 54);
    EXPECT_EQ(int(iftVarBinary), 76);
    EXPECT_EQ(int(iftBoolean), 96);
    EXPECT_EQ(int(iftDomain), 97);
    EXPECT_STREQ(FieldTypeNames[iftUnknown], "? DataType");
    EXPECT_STREQ(FieldTypeNames[iftGeometryCollection], "GeometryCollection");
    EXPECT_STREQ(FieldTypeNames[iftIntervalDayToSecond], "INTERVAL DAY TO SECOND");
}

TEST(FieldTypeNames, ByNameFindsTheFirstUpperCaseEntry) {
    EXPECT_EQ(FieldTypeByName("time"), iftTime);
    EXPECT_EQ(FieldTypeByName("TIMESTAMP"), iftTimeStamp);
    EXPECT_EQ(FieldTypeByName("double precision"), iftDoublePrecision);
    EXPECT_EQ(FieldTypeByName("point"), iftUnknown);
    EXPECT_EQ(FieldTypeByName("Point"), iftUnknown);
    EXPECT_EQ(FieldTypeByName("nosuch"), iftUnknown);
    // Every upper-case keyword leads back to its first ordinal.
    for (std::size_t i = 1; i < FieldTypeNames.size(); ++i) {
        const std::string name = FieldTypeNames[i];
        if (name != UpperCase(name) || i == iftTimeTZ || i == iftTimeStampTZ) continue;
        EXPECT_EQ(FieldTypeByName(name), static_cast<TDBFieldType>(i)) << name;
    }
}

TEST(FldTypeFromIbType, MapsCatalogCodes) {
    Ctx c(dbInterBase);
    TFldData& f = c.Col();
    EXPECT_EQ(f.FldTypeFromIbType(14, 1), iftBinary);
    EXPECT_EQ(f.FldTypeFromIbType(14, 0), iftChar);
    EXPECT_EQ(f.FldTypeFromIbType(37, 1), iftVarBinary);
    EXPECT_EQ(f.FldTypeFromIbType(37, 0), iftVarchar);
    EXPECT_EQ(f.FldTypeFromIbType(16, 0), iftBigInt);
    EXPECT_EQ(f.FldTypeFromIbType(23, 0), iftBoolean);
    EXPECT_EQ(f.FldTypeFromIbType(25, 0), iftDecFloat);
    EXPECT_EQ(f.FldTypeFromIbType(261, 1), iftBlob);
    EXPECT_EQ(f.FldTypeFromIbType(99, 0), iftUnknown);
    EXPECT_EQ(f.FldTypeFromIbType(35, 0), iftTimeStamp);
    EXPECT_FALSE(f.Rare().WithTimeZone);
    EXPECT_EQ(f.FldTypeFromIbType(29, 0), iftTimeStamp);
    EXPECT_TRUE(f.Rare().WithTimeZone);
    c.IB().SetSQLDialect(1);
    EXPECT_EQ(f.FldTypeFromIbType(35, 0), iftDate);
}

TEST(CharsetCollation, KeepsOnlyWhatTheDatabaseDoesNotImply) {
    Ctx c(dbInterBase);
    c.IB().SetDBCharSet("UTF8");
    TFldData& v = Typed(c, iftVarchar, 5);
    v.GetCharsetCollation(4, "UTF8", "UTF8", 4);  // database set, default collation
    EXPECT_EQ(v.Rare().CharSet, "");
    EXPECT_EQ(v.Rare().Collation, "");
    v.GetCharsetCollation(53, "WIN1252", "PXW_INTL", 5);
    EXPECT_EQ(v.Rare().CharSet, "WIN1252");
    EXPECT_EQ(v.Rare().Collation, "PXW_INTL");
    EXPECT_EQ(v.Rare().CharSetID, 53);
    v.SetBody("(A || B)");
    v.GetCharsetCollation(53, "WIN1252", "PXW_INTL", 5);
    EXPECT_EQ(v.Rare().CharSet + v.Rare().Collation, "");

    TFldData& i = c.Col("I");
    i.FieldType = iftInteger;
    i.GetCharsetCollation(0, "NONE", "NONE", 0);
    EXPECT_EQ(i.Rare().Collation, "");

    TFldData& d = c.Col("D");
    d.FieldType = iftDomain;
    d.EditRare().DomainName = "CDM";
    EXPECT_TRUE(d.IsCharType());
    EXPECT_EQ(d.DefaultCharSet(), "WIN1252");
    d.GetCharsetCollation(53, "WIN1252", "PXW_INTL", 5);
    EXPECT_EQ(d.Rare().Collation, "");  // the domain's own
    EXPECT_EQ(d.Rare().CharSet, "WIN1252");

    Ctx none(dbInterBase);
    TFldData& n = Typed(none, iftChar, 1);
    EXPECT_EQ(n.DefaultCharSet(), "");
    n.GetCharsetCollation(0, "NONE", "", 0);
    EXPECT_EQ(n.Rare().CharSet, "");
}

TEST(FldData, AssignCopiesTypeAndAttributes) {
    Ctx c(dbInterBase);
    TFldData& s = NotNull(Default(Typed(c, iftNumeric, 0, 15, 2), "1"));
    s.EditRare().Collation = "X";
    s.Identity = true;
    s.SetDescription("d");
    s.EditRare().ArrayBounds = {{1, 2}};
    TFldData& a = c.Col("A");
    a.Assign(s);
    EXPECT_EQ(a.fObjName, "C");
    EXPECT_EQ(a.FieldTypeDef(), "NUMERIC(15,2)");
    EXPECT_FALSE(a.Nullable);
    EXPECT_EQ(a.GetDefValue(), "1");
    EXPECT_TRUE(a.Identity);
    EXPECT_EQ(a.GetDescription(), "d");
    TFldData& t = c.Col("B");
    t.AssignDataType(s);
    EXPECT_EQ(t.fObjName, "B");
    EXPECT_EQ(t.Rare().Collation, "X");
    EXPECT_TRUE(t.Nullable);
    EXPECT_EQ(t.GetDefValue(), "");

    EXPECT_TRUE(t.ArrayBoundsDiff(s));
    t.EditRare().ArrayBounds = {{1, 2}};
    EXPECT_FALSE(t.ArrayBoundsDiff(s));
    t.EditRare().ArrayBounds = {{0, 2}};
    EXPECT_TRUE(t.ArrayBoundsDiff(s));
}

// The optional attributes live apart from the column until one is set: a plain source must
// still reset them, and the defaults (-1 for the DB2 LOB options) must read through.
TEST(FldData, AssignFromAPlainColumnResetsTheOptionalAttributes) {
    Ctx c(dbDB2);
    TFldData& plain = Typed(c, iftBlob, 100);
    EXPECT_EQ(plain.Rare().Logged, -1);
    EXPECT_EQ(plain.Rare().Compact, -1);
    TFldData& a = c.Col("A");
    a.EditRare().Logged = 0;
    a.EditRare().Collation = "X";
    a.SetDefValue("7");
    a.SetDescription("old");
    a.Assign(plain);
    EXPECT_EQ(a.Rare().Logged, -1);
    EXPECT_EQ(a.Rare().Collation, "");
    EXPECT_EQ(a.GetDefValue(), "");
    EXPECT_EQ(a.GetDescription(), "");
    EXPECT_EQ(a.Def(), plain.Def());
    EXPECT_EQ(plain.Rare().Logged, -1);  // reading never made a block of the source's
}

TEST(FldData, InOutFirstForRoutinesWithALanguage) {
    Ctx c(dbPostgreSQL);
    TFldData& p = c.Param("a");
    p.FieldType = iftInteger;
    p.InOut = ioInout;
    EXPECT_EQ(p.Def(), "a integer");
    c.prc->Language = "plpgsql";
    EXPECT_EQ(p.Def(), "inout a integer");
}

}  // namespace
}  // namespace dbtwin
