#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvDBStructure.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::TextCase;

using testing::AddDomain;
using testing::AddDomainColumn;
using testing::AddTable;
using testing::AddView;
using testing::AsLiteral;
using testing::Col;
using testing::Compare;

// ---------------------------------------------------------------------------
// Texts per kind


class DomainTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(DomainTextTest, DefAndDrop) {
    testing::ExpectTexts(GetParam(), [](TObjs& o) {
        o.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
        o.fIBServerOptions.SetDBCharSet("UTF8");
        TIBCompareOptions charSets;
        charSets.SetFldCharsetCompare(true);
        o.fIBServerOptions.SetIBCompareOptions(charSets);
        o.fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2017);
    });
}

const TextCase kTextCases[] = {
    {"FirebirdDomainWithEverything", dbInterBase,
     [](TCustomObjs& o) {
         return AddDomain(o, "DN", {"", iftVarchar, 20}, [](TDmnData& d) {
             d.fData->EditRare().CharSet = "NONE";
             d.fData->SetDefValue("'x'");
             d.fData->Nullable = false;
             d.fData->EditRare().CheckDef = " (VALUE <> '')";
         });
     },
     "CREATE DOMAIN DN AS VARCHAR(20) CHARACTER SET NONE DEFAULT 'x' NOT NULL CHECK (VALUE <> '')",
     "/* Drop: DN (TDmnData) */\r\nDROP DOMAIN DN"},
    // A check constraint named as the server names it is not written by name.
    {"PostgreSQLDomainNamedCheck", dbPostgreSQL,
     [](TCustomObjs& o) {
         return AddDomain(
             o, "pos", {"", iftInteger},
             [](TDmnData& d) {
                 d.fData->Nullable = false;
                 d.fData->SetDefValue("1");
                 d.fData->EditRare().CheckDef = " (VALUE > 0)";
                 d.fData->EditRare().CtrName = "Pos Check";
             },
             "public");
     },
     "CREATE DOMAIN public.pos integer not null default 1 CONSTRAINT \"Pos Check\" CHECK (VALUE > 0)",
     "DROP DOMAIN public.pos"},
    {"PostgreSQLBaseTypeWithoutOptions", dbPostgreSQL,
     [](TCustomObjs& o) {
         return AddDomain(o, "t", {"", iftUnknown}, [](TDmnData& d) { d.PGOptions.PGType = true; }, "public");
     },
     "CREATE TYPE public.t(\r\nALIGNMENT = int4,\r\nSTORAGE = plain)", "DROP TYPE public.t"},
    {"PostgreSQLBaseTypeOptions", dbPostgreSQL,
     [](TCustomObjs& o) {
         return AddDomain(o, "box2", {"", iftUnknown}, [](TDmnData& d) {
             d.PGOptions.PGType = true;
             d.PGOptions.Input = "box2_in";
             d.PGOptions.Output = "box2_out";
             d.PGOptions.InternalLength = 16;
             d.PGOptions.PassedByValue = true;
             d.PGOptions.Alignment = iftUnknown;
             d.PGOptions.Delimiter = "'";
         });
     },
     "CREATE TYPE box2(\r\nINPUT = box2_in,\r\nOUTPUT = box2_out,\r\nINTERNALLENGTH = 16,\r\nPASSEDBYVALUE,\r\n"
     "STORAGE = plain,\r\nDELIMITER = '''')",
     "DROP TYPE box2"},
    {"PostgreSQLCompositeType", dbPostgreSQL,
     [](TCustomObjs& o) {
         return AddDomain(o, "pair", {"", iftUnknown}, [](TDmnData& d) {
             d.PGOptions.PGType = true;
             d.PGOptions.AddFld("a")->FieldType = iftInteger;
             d.PGOptions.AddFld("b")->FieldType = iftText;
         });
     },
     "CREATE TYPE pair AS (\r\na integer,\r\nb text)", "DROP TYPE pair"},
    {"OracleVArray", dbOracle,
     [](TCustomObjs& o) {
         return AddDomain(o, "T", {"", iftNumber}, [](TDmnData& d) {
             d.OracleType = odVArray;
             d.OracleVArray = 10;
             d.fData->Precision = 5;
         });
     },
     "CREATE OR REPLACE TYPE T AS VARRAY(10) OF NUMBER(5)", "DROP TYPE T"},
    {"OracleObjectWithMemberAndAttribute", dbOracle,
     [](TCustomObjs& o) {
         return AddDomain(o, "SHAPE", {"", iftUnknown}, [&o](TDmnData& d) {
             d.OracleType = odObject;
             d.AddObjFld("W")->FieldType = iftNumber;
             d.AddObjFld("H")->FieldType = iftNumber;
             auto* m = new TMemberPrcData(&o);
             m->SetObjName("AREA");
             m->Func = true;
             m->Params = "";
             m->AddReturn("")->FieldType = iftNumber;
             d.MemberPrcs.Add("AREA", m);
             d.TypeDirective.NotFinal = true;
             d.AddAttribute("D")->FieldType = iftDate;
             d.AttrCascade = true;
         });
     },
     "CREATE OR REPLACE TYPE SHAPE AS OBJECT\r\n  (W NUMBER,\r\n   H NUMBER,\r\n   MEMBER FUNCTION AREA RETURN NUMBER)\r\n"
     "   NOT FINAL ;\r\n\r\nALTER TYPE SHAPE ADD ATTRIBUTE\r\n  (D DATE)\r\n   CASCADE",
     "DROP TYPE SHAPE"},
    {"SqlServerAddType", dbMSSQL,
     [](TCustomObjs& o) {
         return AddDomain(o, "it's", {"", iftVarchar}, [](TDmnData& d) {
             d.SysDataType = "varchar(10)";
             d.fData->Nullable = false;
         });
     },
     "EXEC sp_addtype N'IT''S', N'varchar(10)', N'NOT NULL'", "DROP TYPE [IT'S]"},
    {"SqlServerAliasType", dbMSSQL,
     [](TCustomObjs& o) {
         return AddDomain(
             o, "Code", {"", iftChar, 3}, [](TDmnData& d) { d.MSSQLType = true; }, "dbo");
     },
     "CREATE TYPE DBO.CODE FROM CHAR(3) NULL", "DROP TYPE DBO.CODE"},
    {"SqlServerXmlSchemaCollection", dbMSSQL,
     [](TCustomObjs& o) {
         return AddDomain(
             o, "X", {"", iftUnknown},
             [](TDmnData& d) {
                 d.SysDataType = "XML SCHEMA COLLECTION";
                 d.fBody = "<xsd:schema/>";
             },
             "dbo");
     },
     "CREATE XML SCHEMA COLLECTION DBO.X AS N'<xsd:schema/>'", "DROP XML SCHEMA COLLECTION DBO.X"},
    {"AseDropsWithProcedure", dbSybaseASE,
     [](TCustomObjs& o) {
         return AddDomain(o, "t", {"", iftInteger}, [](TDmnData& d) { d.SysDataType = "int"; });
     },
     "EXEC sp_addtype N't', N'int', N'NULL'", "exec sp_droptype 't'"},
    {"PostgreSQLConversion", dbPostgreSQL,
     [](TCustomObjs& o) -> TDbObj* {
         auto* c = new TCnvData(&o);
         c->SetObjName("My Conv");
         c->SetSchema("public");
         c->DefConv = true;
         c->ForSource = "LATIN1";
         c->ToDest = "UTF8";
         c->ConvFunc = "iso8859_1_to_utf8";
         return testing::File(o, c);
     },
     "CREATE DEFAULT CONVERSION public.\"My Conv\" FOR 'LATIN1' TO 'UTF8' FROM public.iso8859_1_to_utf8",
     "DROP CONVERSION public.\"My Conv\""},
};

INSTANTIATE_TEST_SUITE_P(PerKind, DomainTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DomainTest, SqlServer2000DropsWithProcedure) {
    TObjs o;
    o.SetDatabaseType(dbMSSQL);
    o.fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2000);
    TDmnData* d = AddDomain(o, "T", {"", iftInteger}, [](TDmnData& x) { x.SysDataType = "int"; });
    EXPECT_EQ(d->DropDef(), "exec sp_droptype 'T'");
}

// ---------------------------------------------------------------------------
// Generators: golden scripts

// Firebird domains, each used by a column of table T: kept; new; dropped; a CHARACTER SET
// NONE domain changed only in check and default (its type and set stay); widened; made NOT
// NULL; shortened (which the server refuses: a comment and a warning); retyped; a collation
// changed (no statement on Firebird 3: a comment and a warning).
void FillFirebirdDomains(Compare& c, TDatabaseType) {
    c.keldar.GetIBCompareOptions().SetFldCharsetCompare(true);
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        o.fIBServerOptions.SetDBCharSet("UTF8");
        TTblData* t = AddTable(o, "T", {{"ID"}});
        auto use = [&](TDmnData* d) {
            if (d) AddDomainColumn(o, *t, "C_" + d->fObjName, *d);
        };
        use(AddDomain(o, "D_KEEP", {"", iftInteger}));
        if (!m) AddDomain(o, "D_GONE", {"", iftInteger});
        use(AddDomain(o, "DN", {"", iftVarchar, 20}, [m](TDmnData& d) {
            d.fData->EditRare().CharSet = "NONE";
            d.fData->SetDefValue(m ? "'y'" : "'x'");
            d.fData->EditRare().CheckDef = m ? " (VALUE > 'a')" : " (VALUE <> '')";
        }));
        use(AddDomain(o, "DW", {"", iftVarchar, m ? 40 : 20}, [](TDmnData& d) { d.fData->EditRare().CharSet = "WIN1252"; }));
        use(AddDomain(o, "D_NULL", {"", iftInteger}, [m](TDmnData& d) { d.fData->Nullable = !m; }));
        use(AddDomain(o, "D_SHORT", {"", iftVarchar, m ? 10 : 40}));
        use(AddDomain(o, "D_INT", {"", m ? iftBigInt : iftInteger}));
        use(AddDomain(o, "D_COLL", {"", iftVarchar, 10}, [m](TDmnData& d) {
            d.fData->EditRare().CharSet = "WIN1252";
            d.fData->EditRare().Collation = m ? "PXW_CSY" : "WIN_PTBR";
        }));
        if (m) use(AddDomain(o, "D_NEW", {"", iftVarchar, 5}));
    }
}

// Firebird 2.5: widening writes ALTER DOMAIN TYPE; shortening with data type conversion on
// edits the system table, with a warning.
void FillFirebird25Lengths(Compare& c, TDatabaseType) {
    c.keldar.GetIBCompareOptions().SetAllowDataTypeConversion(true);
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        AddDomain(o, "D", {"", iftVarchar, m ? 40 : 20});
        AddDomain(o, "it's", {"", iftVarchar, m ? 10 : 20});
    }
}

// PostgreSQL domains: a check changed (the old one dropped by its name), a default and NOT
// NULL changed, a named check removed, a base type changed (no statement can: a warning);
// a new and a dropped domain.
void FillPostgreSQLDomains(Compare& c, TDatabaseType) {
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        auto dmn = [&](const char* name, Col type, const std::function<void(TDmnData&)>& tweak) {
            return AddDomain(o, name, type, tweak, "public");
        };
        dmn("d_check", {"", iftInteger}, [m](TDmnData& d) { d.fData->EditRare().CheckDef = m ? " (VALUE > 1)" : " (VALUE > 0)"; });
        dmn("d_def", {"", iftInteger}, [m](TDmnData& d) {
            if (m) d.fData->SetDefValue("7");
            d.fData->Nullable = !m;
        });
        dmn("d_named", {"", iftInteger}, [m](TDmnData& d) {
            if (m) return;
            d.fData->EditRare().CheckDef = " (VALUE <> 0)";
            d.fData->EditRare().CtrName = "nonzero";
        });
        dmn("d_type", {"", m ? iftBigInt : iftInteger}, nullptr);
        if (m) dmn("d_new", {"", iftText}, nullptr);
        else dmn("d_gone", {"", iftText}, nullptr);
    }
}

// Two target views over a domain only the target has, both kept by the master: dropped once
// and created again after the domain is gone.
void FillViewsOnDroppedDomain(Compare& c, TDatabaseType) {
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* t = AddTable(o, "T", {{"A"}});
        TViwData* v1 = AddView(o, "V1", "SELECT A FROM T", {}, {t});
        TViwData* v2 = AddView(o, "V2", "SELECT A FROM V1", {}, {v1});
        if (m) continue;
        TDmnData* d = AddDomain(o, "D_GONE", {"", iftInteger});
        o.LinkDepend(v1, d);
        o.LinkDepend(v2, d);
    }
}

// A column changes its character set on Firebird 3, which has no statement for it (ALTER
// COLUMN TYPE ... CHARACTER SET keeps the old set): a comment and a warning.
void FillColumnCharSet(Compare& c, TDatabaseType) {
    c.keldar.GetIBCompareOptions().SetFldCharsetCompare(true);
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* t = AddTable(o, "T", {{"ID"}, {"A", iftVarchar, 10}});
        t->FindFld("A")->EditRare().CharSet = m ? "UTF8" : "WIN1252";
    }
}

class DomainGoldenTest : public ::testing::TestWithParam<testing::ScriptCase> {};

TEST_P(DomainGoldenTest, WholeScript) {
    testing::ExpectScriptCase(GetParam(), [](Compare& c) {
        const bool fb25 = std::string(GetParam().name) == "Firebird25Lengths";
        c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(fb25 ? st_Firebird_25 : st_Firebird_30);
    });
}

const testing::ScriptCase kGolden[] = {
    {"Firebird30Domains", dbInterBase, FillFirebirdDomains, "domain_changes/firebird.sql"},
    {"Firebird25Lengths", dbInterBase, FillFirebird25Lengths, "domain_changes/firebird25.sql"},
    {"PostgreSQLDomains", dbPostgreSQL, FillPostgreSQLDomains, "domain_changes/postgresql.sql"},
    {"FirebirdViewsOnDroppedDomain", dbInterBase, FillViewsOnDroppedDomain, "domain_dropped_views/firebird.sql"},
    {"Firebird30ColumnCharacterSet", dbInterBase, FillColumnCharSet, "column_charset/firebird.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerKind, DomainGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DomainGeneratorTest, FirebirdWarningsNameTheirStatements) {
    Compare c(dbInterBase);
    c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_Firebird_25);
    AddDomain(c.Master(), "D", {"", iftVarchar, 40});
    AddDomain(c.Target(), "D", {"", iftVarchar, 20});
    c.RunTwice();
    ASSERT_EQ(c.keldar.GetWrnScript().size(), 1u);
    EXPECT_EQ(c.keldar.GetWrnScript()[0], "Domain D: DataType conversion VARCHAR(20) -> VARCHAR(40)");
    const TStatement* st = c.keldar.GetWrnStatements()[0];
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(Trim(st->GetText()), "ALTER DOMAIN D TYPE VARCHAR(40)");
    EXPECT_EQ(st->Typ, stStatement);
    EXPECT_EQ(st->Operation, odbAlter);
    EXPECT_EQ(st->ObjType, dboDomain);
}

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

// A column moved to another domain outside the comparison phases: Firebird 3 takes ALTER
// COLUMN TYPE (it refuses writes to the column records), older servers the column record
// with the names as literals.
TEST(DomainTest, TableColumnMovesToTheMasterDomain) {
    for (TIBSQLServerVersionType ver : {st_Firebird_30, st_Firebird_25}) {
        Compare c(dbInterBase);
        c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(ver);
        for (TDBStructure* side : {&c.master, &c.target}) {
            TCustomObjs& o = *side->GetObjs();
            o.SetSQLExec(&c.exec);
            TDmnData* a = AddDomain(o, "D_A", {"", iftInteger});
            TDmnData* b = AddDomain(o, "it's", {"", iftInteger});
            TTblData* t = AddTable(o, "T", {{"ID"}});
            AddDomainColumn(o, *t, "C", side == &c.master ? *b : *a);
        }
        c.Master().SetCompareRole(crMasterRole);
        c.Target().SetCompareRole(crTargetRole);
        c.Master().SetLinkedObjs(&c.Target());
        c.Target().SetLinkedObjs(&c.Master());
        c.Master().Dmn.Find("it's")->CheckTableDomainChange(c.keldar, "T", "C");
        ASSERT_GE(c.exec.GetStatementsCount(), 1);
        EXPECT_EQ(Trim(c.exec.GetStatement(0)->GetText()),
                  ver == st_Firebird_30 ? "ALTER TABLE T ALTER COLUMN C TYPE \"it's\""
                                        : "update rdb$relation_fields set rdb$field_source='it''s'\r\n"
                                          "where rdb$relation_name='T' and rdb$field_name='C'");
    }
}

}  // namespace
}  // namespace dbtwin
