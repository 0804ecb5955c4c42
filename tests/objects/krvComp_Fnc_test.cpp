#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Prc.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddTable;
using testing::AddTrigger;
using testing::AsLiteral;
using testing::Compare;

TFldData* AddArg(TUdfData& f, TDBFieldType type, std::int32_t length = 0) {
    TFldData* a = f.AddPrm();
    a->FieldType = type;
    a->CharLength = length;
    return a;
}

// F0(DOUBLE PRECISION) RETURNS DOUBLE PRECISION BY VALUE in library ib_udf, at entry point.
TUdfData* AddAbs(TCustomObjs& o, const std::string& name, const std::string& entry) {
    auto* f = new TUdfData(&o);
    f->SetObjName(name);
    AddArg(*f, iftDoublePrecision);
    f->RtnFld->FieldType = iftDoublePrecision;
    f->RtnFld->EditRare().FncByValue = true;
    f->EntryPoint = entry;
    f->ModuleName = "ib_udf";
    return testing::File(o, f);
}

// ---------------------------------------------------------------------------
// Texts

struct TextCase {
    const char* name;
    std::function<void(TUdfData&)> setup;
    std::string def;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class UdfTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(UdfTextTest, Def) {
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    o.fIBServerOptions.SetSQLDialect(3);
    TUdfData f(&o);
    GetParam().setup(f);
    EXPECT_EQ(f.Def(), GetParam().def) << AsLiteral(f.Def());
    EXPECT_EQ(f.DropDef(), "/* Drop: " + f.fObjName + " (TUdfData) */\r\nDROP EXTERNAL FUNCTION " +
                               f.QuoteIdent(f.fObjName));
}

const TextCase kTextCases[] = {
    {"NoArgumentsReturnsByValue",
     [](TUdfData& f) {
         f.SetObjName("F0");
         f.RtnFld->FieldType = iftInteger;
         f.RtnFld->EditRare().FncByValue = true;
         f.EntryPoint = "x";
         f.ModuleName = "y";
     },
     "DECLARE EXTERNAL FUNCTION F0\r\nRETURNS INTEGER BY VALUE\r\nENTRY_POINT 'x' MODULE_NAME 'y'"},
    {"ReturnsParameterQuotedNameAndLiterals",
     [](TUdfData& f) {
         f.SetObjName("my_abs");
         AddArg(f, iftDoublePrecision)->EditRare().FncByDescriptor = true;
         AddArg(f, iftInteger);
         f.RtnFld->EditRare().FncParameter = 2;
         f.EntryPoint = "IB_UDF_abs";
         f.ModuleName = "ib_'udf";
     },
     "DECLARE EXTERNAL FUNCTION \"my_abs\"\r\nDOUBLE PRECISION BY DESCRIPTOR, INTEGER\r\nRETURNS PARAMETER 2\r\n"
     "ENTRY_POINT 'IB_UDF_abs' MODULE_NAME 'ib_''udf'"},
    {"FreeItWithBackslashInModule",
     [](TUdfData& f) {
         f.SetObjName("F1");
         AddArg(f, iftInteger);
         f.RtnFld->FieldType = iftCstring;
         f.RtnFld->CharLength = 10;
         f.FreeIt = true;
         f.EntryPoint = "fn";
         f.ModuleName = "C:\\udf\\lib";
     },
     "DECLARE EXTERNAL FUNCTION F1\r\nINTEGER\r\nRETURNS CSTRING(10) FREE_IT\r\nENTRY_POINT 'fn' MODULE_NAME "
     "'C:\\udf\\lib'"},
};

INSTANTIATE_TEST_SUITE_P(InterBase, UdfTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Whole scripts

// Declared: one without arguments, one returning its second argument, one FREE_IT;
// dropped: one the master lacks; the unchanged one stays.
void FillUdfChanges(Compare& c, TDatabaseType) {
    TCustomObjs& m = c.Master();
    auto* f0 = new TUdfData(&m);
    f0->SetObjName("F0");
    f0->RtnFld->FieldType = iftInteger;
    f0->RtnFld->EditRare().FncByValue = true;
    f0->EntryPoint = "fn0";
    f0->ModuleName = "mylib";
    testing::File(m, f0);
    auto* f2 = new TUdfData(&m);
    f2->SetObjName("F2");
    AddArg(*f2, iftDoublePrecision)->EditRare().FncByDescriptor = true;
    AddArg(*f2, iftInteger);
    f2->RtnFld->EditRare().FncParameter = 2;
    f2->EntryPoint = "fn2";
    f2->ModuleName = "mylib";
    testing::File(m, f2);
    auto* f3 = new TUdfData(&m);
    f3->SetObjName("F3");
    AddArg(*f3, iftInteger);
    f3->RtnFld->FieldType = iftCstring;
    f3->RtnFld->CharLength = 10;
    f3->FreeIt = true;
    f3->EntryPoint = "fn3";
    f3->ModuleName = "mylib";
    testing::File(m, f3);
    AddAbs(m, "F_SAME", "IB_UDF_abs");
    AddAbs(c.Target(), "F_SAME", "IB_UDF_abs");
    AddAbs(c.Target(), "F_OLD", "IB_UDF_abs");
}

// F_ABS gets another entry point while a procedure, a trigger and a computed column use it:
// the procedure and the trigger are emptied, the column dropped, the function dropped and
// declared again; the column comes back in the table phase, the trigger's body in the trigger
// phase.
void FillUdfUsedByRoutines(Compare& c, TDatabaseType) {
    for (TCustomObjs* o : {&c.Target(), &c.Master()}) {
        const bool m = o == &c.Master();
        TUdfData* f = AddAbs(*o, "F_ABS", m ? "IB_UDF_floor" : "IB_UDF_abs");
        auto* p = new TPrcData(o);
        p->SetObjName("P");
        p->SetBody("BEGIN X = F_ABS(-1); END");
        testing::File(*o, p);
        o->LinkDepend(p, f);
        TTblData* t = AddTable(*o, "T", {{"A", iftInteger}, {"B", iftDoublePrecision}});
        TTrgData* trg = AddTrigger(*o, {"TR", "T", baBefore, {iudInsert}, "AS BEGIN NEW.A = F_ABS(NEW.A); END"});
        o->LinkDepend(trg, f);
        o->LinkDepend(trg, t);
        TFldData* b = t->FindFld("B");
        b->SetBody("(F_ABS(A))");
        o->LinkDepend(b, f);
    }
}

// F_ABS changes while a check constraint, an expression index and a domain's check call
// it: the constraint and the index are dropped and come back in their create phases; a
// domain check cannot be rebuilt here and is a warning.
void FillUdfUsedByChecks(Compare& c, TDatabaseType) {
    for (TCustomObjs* o : {&c.Target(), &c.Master()}) {
        const bool m = o == &c.Master();
        TUdfData* f = AddAbs(*o, "F_ABS", m ? "IB_UDF_floor" : "IB_UDF_abs");
        AddTable(*o, "T", {{"A", iftInteger}});
        o->LinkDepend(testing::AddConstraint(*o, ctCheck, "CK", "T", {},
                                             [](TCtrData& x) { x.SetBody("(A <> F_ABS(-5))"); }),
                      f);
        o->LinkDepend(testing::AddIndex(*o, "IX", "T", {}, [](TIdxData& x) { x.SetBody("(F_ABS(A) + 1)"); }), f);
        auto* d = new TDmnData(o);
        d->SetObjName("D");
        testing::File(*o, d);
        o->LinkDepend(d, f);
    }
}

class UdfGoldenTest : public ::testing::TestWithParam<testing::ScriptCase> {};

TEST_P(UdfGoldenTest, WholeScript) {
    testing::ExpectScriptCase(GetParam(), testing::TargetFirebird30);
}

const testing::ScriptCase kGolden[] = {
    {"DeclaredAndDropped", dbInterBase, FillUdfChanges, "udf_changes/firebird.sql"},
    {"ChangedUnderRoutinesAndComputedColumn", dbInterBase, FillUdfUsedByRoutines, "udf_users/firebird.sql"},
    {"ChangedUnderChecksAndIndex", dbInterBase, FillUdfUsedByChecks, "udf_checks/firebird.sql"},
};

INSTANTIATE_TEST_SUITE_P(InterBase, UdfGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

// A user that no compared category would rebuild is not taken down: with indices not
// compared, the expression index stays and a warning says that the drop will fail.
TEST(UdfCompareTest, UsersNotRebuiltStayWithAWarning) {
    Compare c(dbInterBase);
    c.keldar.SetCompareObjects(TCmpObjSetType{coFunction, coTable, coCheck});
    FillUdfUsedByChecks(c, dbInterBase);
    testing::LinkAll(c.Master());
    testing::LinkAll(c.Target());
    const std::string script = c.Run();
    EXPECT_EQ(script.find("DROP INDEX"), std::string::npos) << script;
    EXPECT_NE(script.find("DROP CONSTRAINT CK"), std::string::npos) << script;
    const auto& w = c.keldar.GetWrnScript();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_NE(w[0].find("TIdxData IX uses external function F_ABS"), std::string::npos) << w[0];
    EXPECT_NE(w[1].find("TDmnData D uses external function F_ABS"), std::string::npos) << w[1];
}

}  // namespace
}  // namespace dbtwin
