#include <gtest/gtest.h>

#include <string>

#include "objects/krvCompObj.h"
#include "objects/krvComp_Opr.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AsLiteral;
using testing::Compare;

TOprData* AddOperator(TCustomObjs& o, const std::string& schema, const std::string& name, const std::string& proc,
                      const std::string& left, const std::string& right) {
    auto* op = new TOprData(&o);
    op->SetSchema(schema);
    op->SetObjName(name);
    op->Proc = proc;
    op->LeftArg = left;
    op->RightArg = right;
    return testing::File(o, op);
}

TOpcData* AddClass(TCustomObjs& o, const std::string& schema, const std::string& name, const std::string& type,
                   const std::string& method) {
    auto* c = new TOpcData(&o);
    c->SetSchema(schema);
    c->SetObjName(name);
    c->ForType = type;
    c->IdxMethod = method;
    return testing::File(o, c);
}

// Texts checked on PostgreSQL 15: the operator's name is not an identifier and stands as
// it is after its quoted schema; operators named in other clauses take OPERATOR(schema.op);
// routine names are quoted part by part; type texts stand as they are.
TEST(OperatorTextTest, DefDropAndKey) {
    TObjs o;
    o.SetDatabaseType(dbPostgreSQL);
    TOprData op(&o);
    op.SetSchema("My S");
    op.SetObjName("===");
    op.Proc = "My S.Eq";
    op.LeftArg = "integer";
    op.RightArg = "character varying";
    op.Commutator = "My S.===";
    op.Negator = "!==";
    op.Restrict = "eqsel";
    op.Join = "pg_catalog.eqjoinsel";
    op.Hashes = true;
    op.Merges = true;
    op.Sort1 = "My S.<<<";
    op.LtCmp = "<";
    EXPECT_EQ(op.Def(),
              "CREATE OPERATOR \"My S\".===(\r\nPROCEDURE = \"My S\".\"Eq\",\r\nLEFTARG = integer,\r\n"
              "RIGHTARG = character varying,\r\nCOMMUTATOR = OPERATOR(\"My S\".===),\r\nNEGATOR = !==,\r\n"
              "RESTRICT = eqsel,\r\nJOIN = pg_catalog.eqjoinsel,\r\nHASHES,\r\nMERGES,\r\n"
              "SORT1 = OPERATOR(\"My S\".<<<),\r\nLTCMP = <)")
        << AsLiteral(op.Def());
    EXPECT_EQ(op.DropDef(), "DROP OPERATOR \"My S\".=== (integer, character varying)");
    EXPECT_EQ(op.GetObjKeyDef(), "My S.=== (integer, character varying)");

    // A prefix operator without schema; a routine name already in quotes is kept.
    TOprData neg(&o);
    neg.SetObjName("!!");
    neg.Proc = "\"my.f\"";
    neg.RightArg = "integer";
    EXPECT_EQ(neg.Def(), "CREATE OPERATOR !!(\r\nPROCEDURE = \"my.f\",\r\nRIGHTARG = integer)");
    EXPECT_EQ(neg.DropDef(), "DROP OPERATOR !! (NONE, integer)");
    EXPECT_EQ(neg.ParamDef(), "(NONE, integer)");
}

TEST(OperatorTextTest, ClassDefDropKeyAndMembers) {
    TObjs o;
    o.SetDatabaseType(dbPostgreSQL);
    TOpcData c(&o);
    c.SetSchema("My S");
    c.SetObjName("Cls");
    c.ForType = "integer";
    c.IdxMethod = "btree";
    c.DefOpClass = true;
    c.AddOpr(1, "My S.<<<", "integer", "integer");
    c.AddOpr(3, "=");
    c.AddFnc(1, "My S.cmp", {"integer", "integer"});
    EXPECT_EQ(c.Def(),
              "CREATE OPERATOR CLASS \"My S\".\"Cls\" DEFAULT FOR TYPE integer USING btree AS\r\n"
              "OPERATOR 1 \"My S\".<<< (integer, integer),\r\nOPERATOR 3 =,\r\nFUNCTION 1 \"My S\".cmp(integer, integer)")
        << AsLiteral(c.Def());
    EXPECT_EQ(c.DropDef(), "DROP OPERATOR CLASS \"My S\".\"Cls\" USING btree");
    EXPECT_EQ(c.GetObjKeyDef(), "My S.Cls(btree)");
    EXPECT_EQ(c.Opr[0]->ObjKeyDef(), "My S.<<< (integer, integer)");
    EXPECT_EQ(c.Fnc[0]->ObjKeyDef(), "My S.cmp(integer, integer)");

    // The last item carries no separator, whichever kind it is.
    TOpcData h(&o);
    h.SetObjName("h");
    h.ForType = "text";
    h.IdxMethod = "hash";
    h.AddOpr(1, "=", "text", "");
    h.Storage = "text";
    EXPECT_EQ(h.Def(), "CREATE OPERATOR CLASS h FOR TYPE text USING hash AS\r\nOPERATOR 1 = (text, NONE),\r\nSTORAGE text");
}

// New operator and class; a changed operator under an unchanged class that uses it (the
// class is dropped first and created again); a target-only class and operator dropped at
// the end, the class first.
void FillOperatorChanges(Compare& c, TDatabaseType) {
    for (TCustomObjs* o : {&c.Master(), &c.Target()}) {
        const bool m = o == &c.Master();
        TOprData* lt = AddOperator(*o, "public", "<<<", m ? "int_lt2" : "int_lt", "integer", "integer");
        TOpcData* cls = AddClass(*o, "public", "cls", "integer", "btree");
        cls->AddOpr(1, "public.<<<", "integer", "integer");
        cls->AddFnc(1, "btint4cmp", {"integer", "integer"});
        o->LinkDepend(cls, lt);
    }
    TOprData* eq = AddOperator(c.Master(), "public", "===", "int_eq", "integer", "integer");
    eq->Commutator = "public.===";
    eq->Hashes = true;
    AddClass(c.Master(), "public", "cls_new", "integer", "hash")->AddOpr(1, "public.===");
    TOprData* gone = AddOperator(c.Target(), "public", "#", "int_x", "integer", "integer");
    TOpcData* goneCls = AddClass(c.Target(), "public", "cls_gone", "integer", "hash");
    goneCls->AddOpr(1, "public.#");
    c.Target().LinkDepend(goneCls, gone);
}

TEST(OperatorGoldenTest, NewChangedDropped) {
    testing::ExpectScriptCase({"NewChangedDropped", dbPostgreSQL, FillOperatorChanges, "operator_changes/postgresql.sql"});
}

}  // namespace
}  // namespace dbtwin
