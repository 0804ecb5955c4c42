#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvDBStructure.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddRoutine;
using testing::AddTable;
using testing::AsLiteral;
using testing::Col;
using testing::Compare;
using testing::PrcSpec;

// ---------------------------------------------------------------------------
// Texts per dialect

struct TextCase {
    const char* name;
    TDatabaseType db;
    std::function<TPrcData*(TCustomObjs&)> make;
    std::string def, alter, drop, empty;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class RoutineTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(RoutineTextTest, DefAlterDropAndEmpty) {
    const TextCase& c = GetParam();
    TObjs o;
    o.SetDatabaseType(c.db);
    o.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    TPrcData* p = c.make(o);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Def(), c.def) << AsLiteral(p->Def());
    EXPECT_EQ(p->AlterDef(), c.alter) << AsLiteral(p->AlterDef());
    EXPECT_EQ(p->DropDef(), c.drop) << AsLiteral(p->DropDef());
    EXPECT_EQ(p->EmptyDef(), c.empty) << AsLiteral(p->EmptyDef());
}

const TextCase kTextCases[] = {
    {"InterBaseSelectableProcedure", dbInterBase,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"P", "BEGIN B = A; SUSPEND; END", {{"A"}}, {{"B"}}});
     },
     "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(B INTEGER)\r\n AS\r\nBEGIN B = A; SUSPEND; END",
     "ALTER PROCEDURE P(A INTEGER)\r\n RETURNS(B INTEGER)\r\n AS\r\nBEGIN B = A; SUSPEND; END", "DROP PROCEDURE P",
     "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(B INTEGER)\r\n AS\r\n BEGIN SUSPEND; END"},
    {"InterBaseProcedureWithoutParametersQuoted", dbInterBase,
     [](TCustomObjs& o) { return AddRoutine(o, {"my proc", "BEGIN END"}); },
     "CREATE PROCEDURE \"my proc\" AS\r\nBEGIN END", "ALTER PROCEDURE \"my proc\" AS\r\nBEGIN END",
     "DROP PROCEDURE \"my proc\"", "CREATE PROCEDURE \"my proc\" AS\r\n BEGIN EXIT; END"},
    {"InterBaseDeterministicFunction", dbInterBase,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"F", "BEGIN RETURN A + B; END", {{"A"}, {"B", iftVarchar, 5}}, {{""}}, true},
                           {}, "", [](TPrcData& p) { p.Returns.Objects(0)->EditRare().FncDeterministic = true; });
     },
     "CREATE FUNCTION F(A INTEGER,\r\nB VARCHAR(5))\r\n RETURNS INTEGER DETERMINISTIC\r\n AS\r\nBEGIN RETURN A + B; END",
     "ALTER FUNCTION F(A INTEGER,\r\nB VARCHAR(5))\r\n RETURNS INTEGER DETERMINISTIC\r\n AS\r\nBEGIN RETURN A + B; END",
     "DROP FUNCTION F",
     "CREATE FUNCTION F(A INTEGER,\r\nB VARCHAR(5))\r\n RETURNS INTEGER DETERMINISTIC\r\n AS\r\n BEGIN RETURN NULL; END"},
    // The body holds "$$" and ends in "$": another quote tag is chosen. OUT arguments are
    // not part of the drop's identity but may stand in it.
    {"PostgreSQLFunctionWithDollarsInBody", dbPostgreSQL,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"f", "SELECT '$$' || a || '$'", {{"a", iftText}, {"Big", iftBigInt}}, {}, true}, {},
                           "public", [](TPrcData& p) {
                               p.Params.Objects(1)->InOut = ioOut;
                               p.RetSetOf = true;
                               p.RetValue = "record";
                               p.Language = "sql";
                               p.Volatile = "STABLE";
                               p.ProcStrict = true;
                           });
     },
     "CREATE FUNCTION public.f(a text,\r\nOUT \"Big\" bigint)\r\nRETURNS SETOF record\r\n"
     "AS $body$SELECT '$$' || a || '$'$body$\r\nLANGUAGE sql STABLE STRICT",
     "CREATE OR REPLACE FUNCTION public.f(a text,\r\nOUT \"Big\" bigint)\r\nRETURNS SETOF record\r\n"
     "AS $body$SELECT '$$' || a || '$'$body$\r\nLANGUAGE sql STABLE STRICT",
     "DROP FUNCTION public.f(a text,\r\nOUT \"Big\" bigint)",
     "CREATE FUNCTION f(a text,\r\nOUT \"Big\" bigint)\r\nRETURNS SETOF record AS\r\n BEGIN RETURN NULL; END"},
    {"PostgreSQLStandardBodyFollowsTheOptions", dbPostgreSQL,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"twice", "RETURN a * 2", {{"a"}}, {{""}}, true}, {}, "",
                           [](TPrcData& p) {
                               p.Language = "sql";
                               p.Volatile = "IMMUTABLE";
                           });
     },
     "CREATE FUNCTION twice(a integer)\r\nRETURNS integer\r\nLANGUAGE sql IMMUTABLE\r\nRETURN a * 2",
     "CREATE OR REPLACE FUNCTION twice(a integer)\r\nRETURNS integer\r\nLANGUAGE sql IMMUTABLE\r\nRETURN a * 2",
     "DROP FUNCTION twice(a integer)",
     "CREATE FUNCTION twice(a integer)\r\nRETURNS integer AS\r\n BEGIN RETURN NULL; END"},
    {"PostgreSQLCFunction", dbPostgreSQL,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"ext", "", {{"a"}}, {{""}}, true}, {}, "", [](TPrcData& p) {
             p.ObjFile = "$libdir/it's";
             p.LinkSymbol = "ext";
             p.Language = "c";
         });
     },
     "CREATE FUNCTION ext(a integer)\r\nRETURNS integer\r\nAS '$libdir/it''s', 'ext'\r\nLANGUAGE c",
     "CREATE OR REPLACE FUNCTION ext(a integer)\r\nRETURNS integer\r\nAS '$libdir/it''s', 'ext'\r\nLANGUAGE c",
     "DROP FUNCTION ext(a integer)", "CREATE FUNCTION ext(a integer)\r\nRETURNS integer AS\r\n BEGIN RETURN NULL; END"},
    // The function stub has no AS and returns something; the procedure's has neither.
    {"MySQLFunctionWithOptionsAndComment", dbMySQL,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"f", "BEGIN RETURN a; END", {{"a"}}, {{""}}, true}, {}, "", [](TPrcData& p) {
             p.MySqlOptions = {mpDeterministic, mpContainsSql, mpSqlSecurityInvoker};
             p.SetDescription("it's \\ back");
         });
     },
     "CREATE FUNCTION `f`(`a` INTEGER)\r\nRETURNS INTEGER\r\n     COMMENT 'it\\'s \\\\ back'\r\n     DETERMINISTIC\r\n"
     "     SQL SECURITY INVOKER\r\nBEGIN RETURN a; END",
     "CREATE FUNCTION `f`(`a` INTEGER)\r\nRETURNS INTEGER\r\n     COMMENT 'it\\'s \\\\ back'\r\n     DETERMINISTIC\r\n"
     "     SQL SECURITY INVOKER\r\nBEGIN RETURN a; END",
     "DROP FUNCTION IF EXISTS `f`", "CREATE FUNCTION `f`(`a` INTEGER)\r\nRETURNS INTEGER\r\n BEGIN RETURN NULL; END"},
    {"MySQLProcedureWithModes", dbMySQL,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"p", "BEGIN SET b = a; END", {{"a"}, {"b"}}}, {}, "", [](TPrcData& p) {
             p.Params.Objects(0)->InOut = ioIn;
             p.Params.Objects(1)->InOut = ioOut;
         });
     },
     "CREATE PROCEDURE `p`(IN `a` INTEGER,\r\nOUT `b` INTEGER)\r\nBEGIN SET b = a; END",
     "CREATE PROCEDURE `p`(IN `a` INTEGER,\r\nOUT `b` INTEGER)\r\nBEGIN SET b = a; END", "DROP PROCEDURE IF EXISTS `p`",
     "CREATE PROCEDURE `p`(IN `a` INTEGER,\r\nOUT `b` INTEGER)\r\n BEGIN END"},
    // A stored text that begins with CREATE is altered by replacing that word.
    {"SqlServerStoredCreateText", dbMSSQL,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"p", "create procedure dbo.p as select 1"}, {}, "dbo");
     },
     "CREATE PROCEDURE DBO.P \r\n AS create procedure dbo.p as select 1", "ALTER procedure dbo.p as select 1",
     "DROP PROCEDURE DBO.P", "CREATE PROCEDURE DBO.P \r\n AS\r\nbegin Return 0 end"},
    // The emptied text keeps AS before the empty body.
    {"SqlServerScalarFunction", dbMSSQL,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"f", "begin return @a end", {{"@a"}}, {{""}}, true}, {}, "dbo");
     },
     "CREATE FUNCTION DBO.F (@A INTEGER)\r\n RETURNS INTEGER\r\n AS begin return @a end",
     "ALTER FUNCTION DBO.F (@A INTEGER)\r\n RETURNS INTEGER\r\n AS begin return @a end", "DROP FUNCTION DBO.F",
     "CREATE FUNCTION DBO.F (@A INTEGER)\r\n RETURNS INTEGER\r\nas\r\nbegin Return 0 end"},
    {"OracleProcedureQualified", dbOracle,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"P", "(A NUMBER) IS BEGIN NULL; END;"}, {}, "APP");
     },
     "CREATE OR REPLACE PROCEDURE APP.P\r\n(A NUMBER) IS BEGIN NULL; END;",
     "CREATE OR REPLACE PROCEDURE APP.P\r\n(A NUMBER) IS BEGIN NULL; END;", "DROP PROCEDURE APP.P",
     "CREATE OR REPLACE PROCEDURE APP.P AS\r\n BEGIN EXIT; END;"},
    {"SqlAnywhereProcedureWithResult", dbSybaseASA,
     [](TCustomObjs& o) {
         return AddRoutine(o, {"p", " begin select 1 end", {{"a"}}, {{"r"}}}, {}, "", [](TPrcData& p) {
             p.Params.Objects(0)->InOut = ioIn;
         });
     },
     "CREATE PROCEDURE DBA.p(In a INTEGER)\r\n Result(r INTEGER)\r\nbegin select 1 end",
     "ALTER PROCEDURE DBA.p(In a INTEGER)\r\n Result(r INTEGER)\r\nbegin select 1 end", "DROP PROCEDURE DBA.p",
     "CREATE PROCEDURE DBA.p(In a INTEGER)\r\n Result(r INTEGER)\r\nas\r\n begin Return end"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, RoutineTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RoutineTest, EmptyBodyByKindAndResultShape) {
    struct Case {
        TDatabaseType db;
        bool func;
        TDBFieldType result;  // iftUnknown: no result
        bool returnsTable;
        const char* body;
    };
    const Case cases[] = {
        {dbInterBase, false, iftUnknown, false, " BEGIN EXIT; END"},
        {dbInterBase, false, iftInteger, false, " BEGIN SUSPEND; END"},
        {dbInterBase, true, iftInteger, false, " BEGIN RETURN NULL; END"},
        {dbOracle, false, iftUnknown, false, " BEGIN EXIT; END;"},
        {dbMySQL, false, iftUnknown, false, " BEGIN END"},
        {dbMySQL, true, iftInteger, false, " BEGIN RETURN NULL; END"},
        {dbSybaseASA, true, iftInteger, false, " begin Return end"},
        {dbMSSQL, false, iftUnknown, false, "begin Return 0 end"},
        {dbMSSQL, true, iftInteger, true, "Return (select 0 as Result)"},
        {dbMSSQL, true, iftTable, false, "begin Return end"},
        {dbMSSQL, true, iftUniqueIdent, false, "begin Return Null end"},
        {dbSybaseASE, true, iftUniqueIdent, false, "begin Return Null end"},
    };
    for (const Case& c : cases) {
        TObjs o;
        o.SetDatabaseType(c.db);
        TPrcData p(&o);
        p.Func = c.func;
        p.ReturnsTable = c.returnsTable;
        if (c.result != iftUnknown) p.AddReturn("R")->FieldType = c.result;
        EXPECT_EQ(p.EmptyBody(), c.body) << int(c.db) << " " << c.func << " " << int(c.result);
    }
}

TEST(RoutineTest, PostgreSQLOverloadsAreDistinctByInputTypes) {
    TObjs o;
    o.SetDatabaseType(dbPostgreSQL);
    TPrcData* a = AddRoutine(o, {"f", "SELECT 1", {{"a"}}, {{""}}, true}, {}, "public");
    TPrcData* b = AddRoutine(o, {"f", "SELECT 1", {{"a", iftText}}, {{""}}, true}, {}, "public");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetObjKeyDef(), "public.f(integer)");
    EXPECT_EQ(b->GetObjKeyDef(), "public.f(text)");
    EXPECT_EQ(b->GetCaption(), "public.f(text)");
    // An OUT argument is not part of the identity.
    TPrcData c(&o);
    c.SetObjName("g");
    c.AddParam("x")->FieldType = iftInteger;
    TFldData* out = c.AddParam("y");
    out->FieldType = iftText;
    out->InOut = ioOut;
    EXPECT_EQ(c.GetObjKeyDef(), "g(integer)");
    EXPECT_EQ(o.Prc.Count(), 2u);
}

TEST(RoutineTest, EmptiedBodyIsGivenBackBeforeTheNextComparison) {
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    TPrcData* p = AddRoutine(o, {"P", "BEGIN EXIT; END"});
    p->SetBody("BEGIN INSERT INTO T VALUES (1); END");
    const std::string def = p->Def();
    p->SetEmptyBody();
    p->SetEmptyBody();
    p->fRestoreBody = true;
    EXPECT_NE(p->Def(), def);
    o.SetSourceDefinition();
    EXPECT_EQ(p->Def(), def);
    EXPECT_FALSE(p->fRestoreBody);
    EXPECT_EQ(p->Extra().fCurrentDefinition.str(), def);
}

TEST(RoutineTest, MemberRoutineText) {
    TObjs o;
    o.SetDatabaseType(dbOracle);
    TMemberPrcData m(&o);
    m.SetObjName("AREA");
    m.Func = true;
    m.Params = "(SELF IN OUT SHAPE)";
    m.AddReturn("")->FieldType = iftNumber;
    m.ProcDirective.Overriding = true;
    EXPECT_EQ(m.Def(), "   " + m.ProcDirective.Def() + "MEMBER FUNCTION AREA(SELF IN OUT SHAPE) RETURN NUMBER");
}

// ---------------------------------------------------------------------------
// Generators

// The statements of a comparison that are not comments, as "operation: text".
std::vector<std::string> Statements(const TSQLExec& ex) {
    std::vector<std::string> r;
    for (int i = 0; i < ex.GetStatementsCount(); ++i) {
        const TStatement* st = ex.GetStatement(i);
        if (st->Typ == stComment) {
            if (st->GetText().find("proc") != std::string::npos || st->GetText().find("Proc") != std::string::npos)
                r.push_back(Trim(st->GetText()));
            continue;
        }
        if (st->Typ != stProcedure) continue;
        r.push_back(std::to_string(int(st->Operation)) + ": " + Trim(st->GetText()));
    }
    return r;
}

TEST(RoutineGeneratorTest, NewInterBaseProcedureIsCreatedEmptyAndRestored) {
    Compare c(dbInterBase);
    c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    AddRoutine(c.Master(), {"P", "BEGIN B = A; SUSPEND; END", {{"A"}}, {{"B"}}});
    c.RunTwice();
    const std::vector<std::string> expected = {
        "/* Create Procedure... */",
        std::to_string(int(odbEmptyCreate)) + ": CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(B INTEGER)\r\n AS\r\n BEGIN SUSPEND; END",
        "/* Alter Procedure... */",
        "/* Restore proc. body: P */",
        std::to_string(int(odbRestore)) +
            ": ALTER PROCEDURE P(A INTEGER)\r\n RETURNS(B INTEGER)\r\n AS\r\nBEGIN B = A; SUSPEND; END",
    };
    EXPECT_EQ(Statements(c.exec), expected);
}

// A view made again over a procedure whose result columns change: the server refuses the view
// while the procedure has its old columns, so the new header (empty body) comes first and the
// body after, once.
TEST(RoutineGeneratorTest, ViewOverAProcedureWithNewColumnsFollowsItsNewHeader) {
    Compare c(dbInterBase);
    c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    const char* body = "BEGIN FOR SELECT ID, NAME FROM T INTO :ID, :NAME DO SUSPEND; END";
    TPrcData* mp = AddRoutine(c.Master(), {"P", body, {}, {{"ID", iftBigInt}, {"NAME", iftVarchar, 10}}});
    testing::AddView(c.Master(), "V", "SELECT ID, NAME FROM P", {"ID", "NAME"}, {mp});
    TPrcData* tp = AddRoutine(c.Target(), {"P", "BEGIN FOR SELECT ID FROM T INTO :ID DO SUSPEND; END", {}, {{"ID"}}});
    testing::AddView(c.Target(), "V", "SELECT ID FROM P", {"ID"}, {tp});
    c.RunTwice();
    std::vector<std::string> texts;
    for (int i = 0; i < c.exec.GetStatementsCount(); ++i)
        if (const TStatement* st = c.exec.GetStatement(i); st->Typ != stComment) texts.push_back(Trim(st->GetText()));
    const std::string header = "ALTER PROCEDURE P RETURNS(ID BIGINT,\r\nNAME VARCHAR(10))\r\n AS\r\n";
    const std::vector<std::string> expected = {
        "DROP VIEW V",
        header + " BEGIN SUSPEND; END",
        "CREATE VIEW V(\r\nID,\r\nNAME)\r\n AS \r\nSELECT ID, NAME FROM P",
        header + body,
    };
    std::vector<std::string> got;
    for (const std::string& t : texts)
        if (t.starts_with("DROP VIEW") || t.starts_with("CREATE VIEW") || t.starts_with("ALTER PROCEDURE")) got.push_back(t);
    EXPECT_EQ(got, expected) << testing::AsLiteral(testing::JoinLines(texts));
}

// A routine of a kind without routine texts (DB2) is never marked written without a
// statement or a comment saying why.
TEST(RoutineGeneratorTest, RoutineWithoutTextIsNamedInAComment) {
    Compare c(dbDB2);
    c.Master().SetSQLExec(&c.exec);
    TPrcData* p = AddRoutine(c.Master(), {"P", "BEGIN END"});
    p->SetObjCreated(false);
    p->CreateDependDef();
    ASSERT_EQ(c.exec.GetStatementsCount(), 1);
    EXPECT_EQ(Trim(c.exec.GetStatement(0)->GetText()), "/* Routine P has no text for this database kind */");
}

// Descriptions that changed: SQL Anywhere writes its own statement with the name quoted and
// the text a literal; the others the description statement of the kind, for the routine
// and for each parameter whose description changed.
TEST(RoutineGeneratorTest, ChangedDescriptionsAreWrittenOnce) {
    {
        Compare c(dbSybaseASA);
        AddRoutine(c.Master(), {"select", "begin end"})->SetDescription("Bob's");
        AddRoutine(c.Target(), {"select", "begin end"});
        const std::string script = c.RunTwice();
        EXPECT_NE(script.find("COMMENT ON PROCEDURE \"SELECT\" IS 'Bob''s'"), std::string::npos) << script;
    }
    {
        Compare c(dbPostgreSQL);
        AddRoutine(c.Master(), {"f", "SELECT 1", {{"a"}}, {{""}}, true}, {}, "public")->SetDescription("new");
        AddRoutine(c.Target(), {"f", "SELECT 1", {{"a"}}, {{""}}, true}, {}, "public")->SetDescription("old");
        const std::string script = c.RunTwice();
        const std::string routine = "COMMENT ON FUNCTION public.f(a integer) IS 'new'";
        EXPECT_NE(script.find(routine), std::string::npos) << script;
        // The procedure generator runs twice in a comparison; the description is written once.
        EXPECT_EQ(script.find(routine), script.rfind(routine)) << script;
    }
    {
        Compare c(dbInterBase);
        TPrcData* m = AddRoutine(c.Master(), {"P", "BEGIN END", {{"A"}, {"B"}}});
        m->Params.Objects(0)->SetDescription("the a");
        AddRoutine(c.Target(), {"P", "BEGIN END", {{"A"}, {"B"}}})->Params.Objects(1)->SetDescription("the b");
        const std::string script = c.RunTwice();
        EXPECT_NE(script.find("'the a'"), std::string::npos) << script;
        EXPECT_NE(script.find("RDB$PARAMETER_NAME = 'B'"), std::string::npos) << script;
    }
}

// ---------------------------------------------------------------------------
// Generators: golden scripts

// Names as the server stores unquoted ones: Firebird upper-case, the others lower-case.
std::string N(const char* name, TDatabaseType db) { return db == dbInterBase ? name : LowerCase(name); }
// A parameter name: SQL Server's begin with "@".
std::string Prm(const char* name, TDatabaseType db) { return (db == dbMSSQL ? "@" : "") + N(name, db); }

// A body per dialect that uses the named table.
std::string InsertBody(const std::string& table, const std::string& value, TDatabaseType db) {
    switch (db) {
        case dbInterBase: return "BEGIN INSERT INTO " + table + " VALUES (" + value + "); END";
        case dbPostgreSQL: return "BEGIN INSERT INTO " + table + " VALUES (" + value + "); END";
        case dbMSSQL: return "INSERT INTO " + table + " VALUES (" + value + ")";
        default: return "BEGIN INSERT INTO " + table + " VALUES (" + value + "); END";
    }
}

std::string Schema(TDatabaseType db) { return db == dbPostgreSQL ? "public" : db == dbMSSQL ? "dbo" : ""; }

// PostgreSQL routines are plpgsql functions.
void Lang(TPrcData& p) {
    if (p.GetDatabaseType() == dbPostgreSQL && p.Language.empty()) p.Language = "plpgsql";
}

// Kept, new, dropped and changed routines: body, kind (procedure to function), parameters.
void FillRoutineChanges(Compare& c, TDatabaseType db) {
    const std::string s = Schema(db);
    const std::string t = N("T", db);
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* tbl = AddTable(o, t, {{N("A", db)}}, s);
        auto add = [&](const char* name, const std::string& body, std::initializer_list<Col> params = {},
                       std::initializer_list<Col> returns = {}, bool func = false) {
            const std::string n = N(name, db);
            return AddRoutine(o, {n.c_str(), body.c_str(), params, returns, func}, {tbl}, s, Lang);
        };
        add("P_KEEP", InsertBody(t, "1", db));
        if (m) add("P_NEW", InsertBody(t, "2", db), {{Prm("A", db)}});
        else add("P_GONE", InsertBody(t, "3", db));
        add("P_BODY", InsertBody(t, m ? "4" : "5", db));
        if (m) add("P_PARAMS", InsertBody(t, "6", db), {{Prm("A", db)}, {Prm("B", db)}});
        else add("P_PARAMS", InsertBody(t, "6", db), {{Prm("A", db)}});
    }
}

// The target routine writes into a table the master no longer has: it is emptied before
// the table goes (where a body can be emptied) and gets the master's body afterwards; a
// routine only the target has is emptied and dropped.
void FillRoutineUsesDroppedTable(Compare& c, TDatabaseType db) {
    const std::string s = Schema(db);
    const std::string t1 = N("T1", db), t2 = N("T2", db);
    TCustomObjs& mo = *c.master.GetObjs();
    TCustomObjs& to = *c.target.GetObjs();
    TTblData* m1 = AddTable(mo, t1, {{N("A", db)}}, s);
    AddRoutine(mo, {N("P", db).c_str(), InsertBody(t1, "1", db).c_str()}, {m1}, s, Lang);
    TTblData* k1 = AddTable(to, t1, {{N("A", db)}}, s);
    TTblData* k2 = AddTable(to, t2, {{N("A", db)}}, s);
    AddRoutine(to, {N("P", db).c_str(), InsertBody(t2, "1", db).c_str()}, {k1, k2}, s, Lang);
    AddRoutine(to, {N("Q", db).c_str(), InsertBody(t2, "2", db).c_str()}, {k2}, s, Lang);
}

// P1 calls P2. New on both sides of the pair: the callee exists before the caller's body;
// changed: the callee's parameter list changes, so the caller is emptied first and given
// its new body after the callee.
void FillRoutinesCallingEachOther(Compare& c, TDatabaseType db) {
    const std::string s = Schema(db);
    const bool pg = db == dbPostgreSQL;
    auto call = [&](const char* callee, const char* args) {
        const std::string n = N(callee, db);
        switch (db) {
            case dbInterBase: return "BEGIN EXECUTE PROCEDURE " + n + " " + args + "; END";
            case dbMSSQL: return "EXEC dbo." + n + " " + args;
            default: return std::string(pg ? "BEGIN PERFORM " : "BEGIN CALL ") + n + "(" + args + "); END";
        }
    };
    const std::string t = N("T", db);
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* tbl = AddTable(o, t, {{N("A", db)}}, s);
        const std::string a = Prm("A", db), b = Prm("B", db);
        if (m) {
            TPrcData* n2 = AddRoutine(o, {N("N2", db).c_str(), InsertBody(t, "1", db).c_str()}, {tbl}, s, Lang);
            AddRoutine(o, {N("N1", db).c_str(), call("N2", "").c_str()}, {n2}, s, Lang);
        }
        TPrcData* p2 = m ? AddRoutine(o, {N("P2", db).c_str(), InsertBody(t, "1", db).c_str(), {{a}, {b}}}, {tbl}, s, Lang)
                         : AddRoutine(o, {N("P2", db).c_str(), InsertBody(t, "1", db).c_str(), {{a}}}, {tbl}, s, Lang);
        AddRoutine(o, {N("P1", db).c_str(), call("P2", m ? "1, 2" : "1").c_str()}, {p2}, s, Lang);
    }
}

// C2 gains a parameter with a default while its caller C1 stays as it is: the caller is
// emptied before the callee changes and gets its unchanged body back afterwards.
void FillCalleeParamsChange(Compare& c, TDatabaseType db) {
    const std::string s = Schema(db);
    const std::string t = N("T", db);
    const std::string callC2 = db == dbInterBase ? "BEGIN EXECUTE PROCEDURE C2 1; END"
                               : db == dbMSSQL  ? "EXEC dbo.c2 1"
                                                : "BEGIN CALL c2(1); END";
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* tbl = AddTable(o, t, {{N("A", db)}}, s);
        TPrcData* c2 = AddRoutine(o, {N("C2", db).c_str(), InsertBody(t, "1", db).c_str(), {{Prm("A", db)}}}, {tbl},
                                  s, [&](TPrcData& p) {
                                      Lang(p);
                                      if (!m) return;
                                      TFldData* b = p.AddParam(Prm("B", db));
                                      b->FieldType = iftInteger;
                                      if (db != dbMySQL) b->SetDefValue("0");
                                  });
        AddRoutine(o, {N("C1", db).c_str(), callC2.c_str()}, {c2}, s, Lang);
    }
}

// A routine reads a column whose type changes.
void FillRoutineOverChangedColumn(Compare& c, TDatabaseType db) {
    const std::string s = Schema(db);
    const std::string t = N("T", db), a = N("A", db);
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* tbl = AddTable(o, t, {{N("ID", db)}, {a, iftVarchar, m ? 20 : 10}}, s);
        const std::string body = db == dbInterBase ? "DECLARE X VARCHAR(20);\r\nBEGIN SELECT FIRST 1 A FROM T INTO :X; END"
                                                   : "BEGIN SELECT a FROM t LIMIT 1; END";
        TPrcData* p = AddRoutine(o, {N("P", db).c_str(), body.c_str()}, {tbl}, s, Lang);
        o.LinkDepend(p, tbl, a);
    }
}

// PostgreSQL overloads f(integer) and f(text): each is its own object; the target's
// f(bigint) is dropped by its argument list.
void FillOverloads(Compare& c, TDatabaseType) {
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        auto fn = [&](TDBFieldType type, const char* body) {
            return AddRoutine(o, {"f", body, {{"a", type}}, {{"", iftInteger}}, true}, {}, "public",
                              [](TPrcData& p) { p.Language = "sql"; });
        };
        fn(iftInteger, m ? "SELECT a + 1" : "SELECT a");
        if (m) fn(iftText, "SELECT length(a)");
        else fn(iftBigInt, "SELECT 0");
    }
}

using GoldenCase = testing::ScriptCase;

class RoutineGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(RoutineGoldenTest, WholeScript) {
    testing::ExpectScriptCase(GetParam(), testing::TargetFirebird30);
}

const GoldenCase kGolden[] = {
    {"InterBaseChanges", dbInterBase, FillRoutineChanges, "routine_changes/interbase.sql"},
    {"PostgreSQLChanges", dbPostgreSQL, FillRoutineChanges, "routine_changes/postgresql.sql"},
    {"MySQLChanges", dbMySQL, FillRoutineChanges, "routine_changes/mysql.sql"},
    {"SqlServerChanges", dbMSSQL, FillRoutineChanges, "routine_changes/sqlserver.sql"},
    {"InterBaseUsesDroppedTable", dbInterBase, FillRoutineUsesDroppedTable, "routine_uses_dropped_table/interbase.sql"},
    {"PostgreSQLUsesDroppedTable", dbPostgreSQL, FillRoutineUsesDroppedTable,
     "routine_uses_dropped_table/postgresql.sql"},
    {"MySQLUsesDroppedTable", dbMySQL, FillRoutineUsesDroppedTable, "routine_uses_dropped_table/mysql.sql"},
    {"InterBaseCallingEachOther", dbInterBase, FillRoutinesCallingEachOther, "routines_calling/interbase.sql"},
    {"PostgreSQLCallingEachOther", dbPostgreSQL, FillRoutinesCallingEachOther, "routines_calling/postgresql.sql"},
    {"MySQLCallingEachOther", dbMySQL, FillRoutinesCallingEachOther, "routines_calling/mysql.sql"},
    {"SqlServerCallingEachOther", dbMSSQL, FillRoutinesCallingEachOther, "routines_calling/sqlserver.sql"},
    {"InterBaseOverChangedColumn", dbInterBase, FillRoutineOverChangedColumn, "routine_over_changed_column/interbase.sql"},
    {"PostgreSQLOverChangedColumn", dbPostgreSQL, FillRoutineOverChangedColumn,
     "routine_over_changed_column/postgresql.sql"},
    {"MySQLOverChangedColumn", dbMySQL, FillRoutineOverChangedColumn, "routine_over_changed_column/mysql.sql"},
    {"InterBaseCalleeParamsChange", dbInterBase, FillCalleeParamsChange, "callee_params_change/interbase.sql"},
    {"PostgreSQLCalleeParamsChange", dbPostgreSQL, FillCalleeParamsChange, "callee_params_change/postgresql.sql"},
    {"MySQLCalleeParamsChange", dbMySQL, FillCalleeParamsChange, "callee_params_change/mysql.sql"},
    {"SqlServerCalleeParamsChange", dbMSSQL, FillCalleeParamsChange, "callee_params_change/sqlserver.sql"},
    {"PostgreSQLOverloads", dbPostgreSQL, FillOverloads, "routine_overloads/postgresql.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, RoutineGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
