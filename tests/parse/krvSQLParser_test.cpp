// SQL parser base: comments, terminator, statement skipping, raw bodies, integer constants,
// object keys and the dependency links found in definitions and bodies.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvCompColumn.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Rul.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Viw.h"
#include "parse/krvParser.h"
#include "support/builders.h"

namespace dbtwin {
namespace {

// A plain SQL parser whose errors are recorded, never shown.
class TTestSQLParser : public TCustomSQLParser {
public:
    std::vector<std::string> Shown;
    std::vector<std::string> Debug;
    TTestSQLParser() {
        OnErrorMessage = [this](TObject*, const std::string& s) { Shown.push_back(s); };
        OnDebugMessage = [this](TObject*, const std::string& s) { Debug.push_back(s); };
        SetUpdateProgress(false);
    }
    // Every symbol up to the end of the text (code 0 not included).
    std::vector<TSymbol> Codes() {
        std::vector<TSymbol> r;
        for (GetSy(); Sy != syEOF; GetSy()) r.push_back(Sy);
        return r;
    }
};

std::string Visible(const std::string& s) {
    std::string r;
    for (char c : s) r += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return r;
}

// ---------------------------------------------------------------------------
// Comments

struct CommentCase {
    std::string text;
    std::vector<TSymbol> codes;
    std::string comment;   // Comment after the whole text was read
    std::int32_t lastLine; // line of the last symbol
};

TEST(TCustomSQLParserTest, CommentsOfBothForms) {
    const std::vector<CommentCase> cases = {
        {"a /* a */ b", {syIdent, syIdent}, " a ", 1},
        {"a/**/b", {syIdent, syIdent}, "", 1},
        {"a /* x\r\ny */ b", {syIdent, syIdent}, " x\r\ny ", 2},
        {"a /*x*//*y*/ b", {syIdent, syIdent}, "y", 1},
        {"a /* never closed", {syIdent}, " never closed", 1},
        {"a /* x /* nested */ b", {syIdent, syIdent}, " x /* nested ", 1},
        {"a -- note\r\nb", {syIdent, syIdent}, " note\r", 2},
        {"a -- note\nb", {syIdent, syIdent}, " note", 2},
        {"a -- last line", {syIdent}, " last line", 1},
        {"a --", {syIdent}, "", 1},
        {"a -- one\rb", {syIdent, syIdent}, " one", 2},
        {"-- x\r\n-- y\r\nb", {syIdent}, " y\r", 3},
        {"a - b", {syIdent, syMinus, syIdent}, "", 1},
        {"a / b", {syIdent, syDiv, syIdent}, "", 1},
        {"a*/b", {syIdent, syMul, syDiv, syIdent}, "", 1},
        {"'--x' /*y*/", {syString}, "y", 1},
    };
    for (const CommentCase& c : cases) {
        SCOPED_TRACE(Visible(c.text));
        TTestSQLParser p;
        p.AssignTxt(c.text);
        EXPECT_EQ(p.Codes(), c.codes);
        EXPECT_EQ(p.Comment, c.comment);
        EXPECT_EQ(p.GetMsgMngr().GetErrCount(), 0);
    }
    for (const CommentCase& c : cases) {
        TTestSQLParser p;
        p.AssignTxt(c.text);
        std::int32_t line = 0;
        for (p.GetSy(); p.Sy != syEOF; p.GetSy()) line = p.GetPosY();
        EXPECT_EQ(line, c.lastLine) << Visible(c.text);
    }
}

TEST(TCustomSQLParserTest, CommentsAreLoggedOnlyWithTheOption) {
    TTestSQLParser p;
    p.AssignTxt("a /*x*/ b -- y");
    p.Codes();
    EXPECT_TRUE(p.Debug.empty());
    p.DebugLogOptions.Include(dlComment);
    p.AssignTxt("a /*x*/ b -- y");
    p.Codes();
    EXPECT_EQ(p.Debug, (std::vector<std::string>{"Comment: x", "Comment:  y"}));
}

// ---------------------------------------------------------------------------
// Terminator and "||"

TEST(TCustomSQLParserTest, TerminatorAndConcatenation) {
    struct Case {
        std::string term, text;
        std::vector<TSymbol> codes;
    };
    const std::vector<Case> cases = {
        {";", "a;b", {syIdent, syTerm, syIdent}},
        {"^", "a;b", {syIdent, sySemicolon, syIdent}},
        {"^", "a^b;", {syIdent, syTerm, syIdent, sySemicolon}},
        {"!!", "a !! b", {syIdent, syTerm, syIdent}},
        {";", "a||b", {syIdent, syConcat, syIdent}},
        {"||", "a||b", {syIdent, syTerm, syIdent}},     // the terminator comes first
        {"GO", "a GO b", {syIdent, syTerm, syIdent}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.term + " / " + c.text);
        TTestSQLParser p;
        p.SetTermStr(c.term);
        p.AssignTxt(c.text);
        EXPECT_EQ(p.Codes(), c.codes);
        EXPECT_EQ(p.GetMsgMngr().GetErrCount(), 0);
    }
}

TEST(TCustomSQLParserTest, TerminatorChangedWhileReading) {
    // What a dialect does on SET TERM: the new terminator counts from the next symbol on.
    TTestSQLParser p;
    p.AssignTxt("a; b ^ c ; d ^ e;");
    auto next = [&p] {
        p.GetSy();
        return p.Sy;
    };
    EXPECT_EQ(next(), syIdent);
    EXPECT_EQ(next(), syTerm);
    p.SetTermStr("^");
    const std::vector<TSymbol> caret = {syIdent, syTerm, syIdent, sySemicolon, syIdent, syTerm};
    for (TSymbol sy : caret) EXPECT_EQ(next(), sy);
    p.SetTermStr(";");
    EXPECT_EQ(next(), syIdent);
    EXPECT_EQ(next(), syTerm);
    EXPECT_EQ(next(), syEOF);
    EXPECT_EQ(p.GetTermStr(), ";");
}

// ---------------------------------------------------------------------------
// Skipping statements

TEST(TCustomSQLParserTest, SkipStatementStopSets) {
    struct Case {
        std::string text;
        TSymSet stop;
        TSymbol result;
        TSymbol nextAfter;  // the symbol read after the stop
    };
    const std::vector<Case> cases = {
        {"a b ; c", TSymSet{syTerm}, syTerm, syIdent},
        {"a ( b ) c ;", TSymSet{syRParent, syTerm}, syRParent, syIdent},
        {"a b", TSymSet{syTerm}, syEOF, syEOF},            // 0 stops without being in the set
        {"a /* ; */ b -- ;\r\n; c", TSymSet{syTerm}, syTerm, syIdent},
        {"a 'x;y' ; c", TSymSet{syTerm}, syTerm, syIdent},
        {"", TSymSet{syTerm}, syEOF, syEOF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TTestSQLParser p;
        p.AssignTxt(c.text);
        p.GetSy();
        EXPECT_EQ(p.SkipStatement(c.stop), c.result);
        EXPECT_EQ(p.Sy, c.result);
        p.GetSy();
        EXPECT_EQ(p.Sy, c.nextAfter);
    }
    // The current symbol already in the set: nothing is read.
    TTestSQLParser p;
    p.AssignTxt("; a ;");
    p.GetSy();
    const std::int64_t pos = p.SyBegPos;
    EXPECT_EQ(p.SkipStatement(TSymSet{syTerm}), syTerm);
    EXPECT_EQ(p.SyBegPos, pos);
}

TEST(TCustomSQLParserTest, CopyTxtFromIsTrimmedAndEndsBeforeTheSymbol) {
    TTestSQLParser p;
    p.AssignTxt("  CREATE  TABLE T (A INT)  \r\n ;  next");
    p.GetSy();
    const std::int64_t start = p.SyBegPos;
    p.SkipStatement(TSymSet{syTerm});
    EXPECT_EQ(p.CopyTxtFrom(start), "CREATE  TABLE T (A INT)");
    EXPECT_EQ(p.CopyTxtFrom(p.SyBegPos), "");
}

// ---------------------------------------------------------------------------
// Raw text to a terminator

TEST(TCustomSQLParserTest, ExtractToTermKeepsEveryCharacter) {
    struct Case {
        std::string text;
        std::vector<std::string> terms;
        std::string body;
        std::string rest;  // the text from ch on
    };
    const std::vector<std::string> go = {"\r\nGO"};
    const std::vector<Case> cases = {
        {"BEGIN x; END", go, "BEGIN x; END", ""},
        {"E", go, "E", ""},
        {"", go, "", ""},
        {"abc\r\ngo\r\nnext", go, "abc", "\r\ngo\r\nnext"},
        {"abc\r\nGone", go, "abc", "\r\nGone"},  // compared as text, not as a word
        {"\r\nGO", go, "", "\r\nGO"},            // the terminator stands at ch
        {"a\r\n/*c*/\r\n/\r\nb", {"\r\n/"}, "a\r\n/*c*/", "\r\n/\r\nb"},
        {"x\r\nEND$$y", {"$$", "\r\nGO"}, "x\r\nEND", "$$y"},
        {"x\r\nGO$$", {"$$", "\r\nGO"}, "x", "\r\nGO$$"},
        {"\xC3\xA4\xC3\xB6\r\nGO", go, "\xC3\xA4\xC3\xB6", "\r\nGO"},
        {"x end\xC3\xA4 y", {"END\xC3\x84"}, "x ", "end\xC3\xA4 y"},
        {"body\r\nG", go, "body\r\nG", ""},     // a cut-off terminator is text
        {"\xC3\xA4x \xC5\xBF\r\nGO", go, "\xC3\xA4x \xC5\xBF", "\r\nGO"},
        {"a \xC3\xA4nd", {"\xC3\x84ND"}, "a ", "\xC3\xA4nd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Visible(c.text));
        TTestSQLParser p;
        p.AssignTxt(c.text);
        std::string body = "old";
        p.ExtractToTerm(c.terms, body);
        EXPECT_EQ(Visible(body), Visible(c.body));
        EXPECT_EQ(Visible(p.CopyTxt(p.chIx, p.LengthTxt())), Visible(c.rest));
        // ch is the first character of the terminator, 0 at the end of the text.
        EXPECT_EQ(p.ch, c.rest.empty() ? U'\0' : Utf8Decode(c.rest)[0]);
    }
}

TEST(TCustomSQLParserTest, ExtractToTermFromTheMiddleOfATextKeepsLinesCounted) {
    TTestSQLParser p;
    p.AssignTxt("CREATE PROCEDURE p\r\nBEGIN\r\n  x;\r\nEND\r\nGO\r\nSELECT");
    for (int i = 0; i < 3; ++i) p.GetSy();  // CREATE PROCEDURE P
    p.SkipText();
    std::string body;
    p.ExtractToTerm({"\r\nGO"}, body);
    EXPECT_EQ(body, "BEGIN\r\n  x;\r\nEND");
    EXPECT_EQ(p.GetPosY(), 4);
    p.GetSy();
    EXPECT_TRUE(p.IsIdent("GO"));
    p.GetSy();
    EXPECT_TRUE(p.IsIdent("SELECT"));
    EXPECT_EQ(p.GetPosY(), 6);
}

// ---------------------------------------------------------------------------
// Integer constants and object keys

TEST(TCustomSQLParserTest, GetIntConst) {
    struct Case {
        std::string text, result;
        std::int64_t value;
        int errors;
    };
    const std::vector<Case> cases = {
        {"5", "5", 5, 0},
        {"-5", "-5", -5, 0},
        {"- 12", "-12", -12, 0},
        {"+7", "+7", 7, 0},
        {"-3000000000", "-3000000000", -3000000000LL, 0},
        {"x", "", 0, 1},
        {"-x", "", 0, 1},
        {"1.5", "", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TTestSQLParser p;
        p.AssignTxt(c.text);
        p.GetSy();
        EXPECT_EQ(p.GetIntConst(), c.result);
        EXPECT_EQ(p.GetMsgMngr().GetErrCount(), c.errors);
        if (c.errors == 0) {
            EXPECT_EQ(p.IntVal, c.value);
        }
    }
}

TEST(TCustomSQLParserTest, ObjKeyName) {
    struct Case {
        TDatabaseType db;
        std::string name, owner;
        bool useDefault;
        std::string key;
    };
    const std::vector<Case> cases = {
        {dbMSSQL, "T", "", true, "dbo.T"},       {dbMSSQL, "T", "", false, "T"},
        {dbSybaseASE, "T", "", true, "dbo.T"},   {dbSybaseASA, "T", "", true, "DBA.T"},
        {dbPostgreSQL, "t", "", true, "public.t"}, {dbInterBase, "T", "", true, "T"},
        {dbOracle, "T", "", true, "T"},          {dbMySQL, "t", "", true, "t"},
        {dbMSSQL, "T", "sales", true, "sales.T"}, {dbInterBase, "T", "X", false, "X.T"},
    };
    for (const Case& c : cases) {
        TTestSQLParser p;
        p.SetDatabaseType(c.db);
        EXPECT_EQ(p.ObjKeyName(c.name, c.owner, c.useDefault), c.key) << c.key;
    }
}

TEST(TCustomSQLParserTest, ParseScriptHandsConnectionOptionsToTheSet) {
    TObjs objs;
    TTestSQLParser p;
    p.fConnectionOptions.SetDatabaseName("db.fdb");
    p.ParseScript({"a; b;"}, &objs);
    EXPECT_EQ(objs.fConnectionOptions.GetDatabaseName(), "db.fdb");
}

TEST(TCustomSQLParserTest, HooksOfTheBaseDoNothing) {
    TTestSQLParser p;
    EXPECT_EQ(p.QuoteIdent("a b"), "a b");
    ASSERT_NE(p.TempVar, nullptr);
    p.ParseObjBody(nullptr);
    p.ParseObjTxt(nullptr);
}

// ---------------------------------------------------------------------------
// Dependencies

// A small InterBase set: T1(ID, NAME), T2(ID, T1_ID, QTY DOMAIN D_QTY), view V, view W(ID),
// procedure P with input IN_A and output OUT_A, procedure Q, generator G1, domain D_QTY.
struct DepSet {
    explicit DepSet(TDatabaseType db = dbInterBase) {
        objs.SetDatabaseType(db);
        p.Objs = &objs;
        p.SetDatabaseType(db);
        t1 = Table("T1", {"ID", "NAME"});
        t2 = Table("T2", {"ID", "T1_ID", "QTY"});
        t2->FindFld("QTY")->EditRare().DomainName = "D_QTY";
        v = View("V", {});
        w = View("W", {"ID"});
        prc = new TPrcData(&objs);
        prc->SetObjName("P");
        Field(prc, prc->Params, "IN_A");
        Field(prc, prc->Returns, "OUT_A");
        objs.AddObj(prc);
        q = new TPrcData(&objs);
        q->SetObjName("Q");
        objs.AddObj(q);
        auto* g = new TGnrData(&objs);
        g->SetObjName("G1");
        objs.AddObj(g);
        auto* d = new TDmnData(&objs);
        d->SetObjName("D_QTY");
        objs.AddObj(d);
    }
    TTblData* Table(const std::string& name, std::initializer_list<testing::Col> cols) {
        return testing::AddTable(objs, name, cols);
    }
    TViwData* View(const std::string& name, std::initializer_list<const char*> cols) {
        return testing::AddView(objs, name, "", cols, {});
    }
    void Field(TDbObj* owner, TFldList& list, const std::string& name) {
        auto* f = new TFldData(&objs);
        f->SetObjName(name);
        f->OwnName = owner->fObjName;
        f->OwnObj = owner;
        list.Add(name, f);
    }
    // What the object uses, as "NAME" or "OWNER.COLUMN", sorted; every link counted.
    static std::vector<std::string> Uses(const TDbObj* o) {
        std::vector<std::string> r;
        for (const auto& l : o->fUseOf) {
            const auto* f = dynamic_cast<const TFldData*>(l->Obj);
            r.push_back(f ? (f->OwnObj ? f->OwnObj->fObjName : f->OwnName) + "." + f->fObjName
                          : l->Obj->fObjName);
        }
        std::sort(r.begin(), r.end());
        return r;
    }
    // Opens a second-pass scope over the tables with their aliases.
    TParseContext& Scope(std::vector<std::string> tables, std::vector<std::string> aliases,
                         bool secondPass = true) {
        scopes.push_back(std::make_unique<TParseContext>(&p));
        scopes.back()->SelectTables = std::move(tables);
        scopes.back()->SelectAliases = std::move(aliases);
        scopes.back()->SecondPass = secondPass;
        p.ParseCtx.push_back(scopes.back().get());
        return *scopes.back();
    }

    TObjs objs;
    TTestSQLParser p;
    std::vector<std::unique_ptr<TParseContext>> scopes;
    TTblData* t1;
    TTblData* t2;
    TViwData* v;
    TViwData* w;
    TPrcData* prc;
    TPrcData* q;
};

using Names = std::vector<std::string>;

TEST(TCustomSQLParserLinkTest, ViewOverTwoAliasedTablesLinksEachUsedColumn) {
    struct Case {
        std::string qualifier, name;
        Names uses;
    };
    // SELECT ... FROM T1 X JOIN T2 Y ...
    const std::vector<Case> cases = {
        {"X", "NAME", {"T1.NAME"}},
        // Any column of T2 also links the view to the domains of T2's columns.
        {"Y", "QTY", {"D_QTY", "T2.QTY"}},
        {"Y", "ID", {"D_QTY", "T2.ID"}},
        {"x", "ID", {"T1.ID"}},                  // aliases compare ignoring case
        {"T2", "T1_ID", {"D_QTY", "T2.T1_ID"}},  // qualified by the table name itself
        {"", "T1_ID", {"D_QTY", "T2.T1_ID"}},    // found in the second table
        {"", "ID", {"T1.ID"}},                   // the first table that has it wins
        {"X", "QTY", {}},                        // no such column in T1
        {"Z", "ID", {}},                         // unknown qualifier
        {"", "NOPE", {}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.qualifier + "." + c.name);
        DepSet s;
        s.Scope({"T1", "T2"}, {"X", "Y"});
        s.p.AddLinkDepend(s.v, c.qualifier, c.name);
        EXPECT_EQ(DepSet::Uses(s.v), c.uses);
    }

    // The whole select list at once, each column once however often it is named.
    DepSet s;
    s.Scope({"T1", "T2"}, {"X", "Y"});
    for (int i = 0; i < 2; ++i) {
        s.p.AddLinkDepend(s.v, "X", "ID");
        s.p.AddLinkDepend(s.v, "X", "NAME");
        s.p.AddLinkDepend(s.v, "Y", "QTY");
        s.p.AddLinkDepend(s.v, "", "T1_ID");
    }
    EXPECT_EQ(DepSet::Uses(s.v), (Names{"D_QTY", "T1.ID", "T1.NAME", "T2.QTY", "T2.T1_ID"}));
}

TEST(TCustomSQLParserLinkTest, StarLinksTheSourceOnce) {
    struct Case {
        Names tables, aliases;
        std::string qualifier;
        int times;
        Names uses;
    };
    const std::vector<Case> cases = {
        {{"T1"}, {""}, "", 3, {"T1"}},
        {{"T1", "T2"}, {"X", "Y"}, "", 2, {"T1", "T2"}},
        {{"T1", "T2"}, {"X", "Y"}, "Y", 2, {"T2"}},
        {{"W", "P"}, {"", ""}, "", 1, {"P", "W"}},  // views and procedures too
        {{"NOPE"}, {""}, "", 1, {}},
        {{"T1"}, {"X"}, "Z", 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.qualifier + "." + std::to_string(c.tables.size()));
        DepSet s;
        s.Scope(c.tables, c.aliases);
        for (int i = 0; i < c.times; ++i) s.p.AddLinkDepend(s.v, c.qualifier, "*");
        EXPECT_EQ(DepSet::Uses(s.v), c.uses);
    }
}

TEST(TCustomSQLParserLinkTest, NestedScopesResolveFromInnermostOutwards) {
    struct Case {
        std::string qualifier, name;
        Names uses;
    };
    // SELECT ... FROM T1 A WHERE EXISTS (SELECT ... FROM T2 A2 ...)
    const std::vector<Case> cases = {
        {"A", "NAME", {"T1.NAME"}},   // outer alias from the inner scope
        {"", "NAME", {"T1.NAME"}},    // not in T2: the outer scope has it
        {"", "ID", {"D_QTY", "T2.ID"}},  // the inner scope first
        {"", "*", {"T2"}},            // "*" without qualifier: innermost scope only
        {"A", "*", {"T1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.qualifier + "." + c.name);
        DepSet s;
        s.Scope({"T1"}, {"A"});
        s.Scope({"T2"}, {"A2"});
        s.p.AddLinkDepend(s.v, c.qualifier, c.name);
        EXPECT_EQ(DepSet::Uses(s.v), c.uses);
    }
}

TEST(TCustomSQLParserLinkTest, ColumnsOfAProcedureLinkTheProcedure) {
    for (const char* col : {"OUT_A", "IN_A"}) {
        DepSet s;
        s.Scope({"P"}, {""});
        s.p.AddLinkDepend(s.v, "", col);
        EXPECT_EQ(DepSet::Uses(s.v), (Names{"P"})) << col;
    }
}

TEST(TCustomSQLParserLinkTest, OutsideSelectScopesOnlyGeneratorsAreLinked) {
    struct Case {
        int scope;  // 0 none, 1 second pass without tables, 2 first pass with tables
        Names locals;
        std::string name;
        Names uses;
    };
    const std::vector<Case> cases = {
        {0, {}, "G1", {"G1"}},
        {0, {"g1"}, "G1", {}},      // a local variable of that name
        {0, {}, "T1", {}},          // only generators outside a FROM clause
        {0, {}, "NOPE", {}},
        {1, {}, "G1", {"G1"}},
        {2, {}, "G1", {}},          // the first pass links nothing
        {2, {}, "ID", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.scope) + " " + c.name);
        DepSet s;
        if (c.scope == 1) s.Scope({}, {});
        if (c.scope == 2) s.Scope({"T1"}, {""}, false);
        s.p.LocalVariables = c.locals;
        s.p.AddLinkDepend(s.q, "", c.name);
        EXPECT_EQ(DepSet::Uses(s.q), c.uses);
    }
}

TEST(TCustomSQLParserLinkTest, AnObjectNeverDependsOnItself) {
    DepSet s;
    s.p.LinkDepend(s.v, "V", TDbObjectSet{dboView, dboTable});
    s.p.LinkDepend(s.q, "Q", TDbObjectSet{dboProcedure});
    s.p.LinkDepend(s.q, s.q, std::string());
    s.Scope({"V"}, {""});
    s.p.AddLinkDepend(s.v, "", "*");
    s.p.AddLinkDepend(s.v, "V", "*");
    EXPECT_TRUE(DepSet::Uses(s.v).empty());
    EXPECT_TRUE(DepSet::Uses(s.q).empty());
    // Another kind of the same name is still found.
    auto* t = s.Table("Q", {});
    s.p.LinkDepend(s.q, "Q", TDbObjectSet{dboProcedure, dboTable});
    EXPECT_EQ(DepSet::Uses(s.q), (Names{"Q"}));
    EXPECT_EQ(s.q->fUseOf.front()->Obj, t);
}

TEST(TCustomSQLParserLinkTest, LinkByNameOrderAndKinds) {
    struct Case {
        std::string name;
        TDbObjectSet kinds;
        std::string used;  // class of the linked object, empty for none
    };
    const std::vector<Case> cases = {
        {"T1", TDbObjectSet{dboTable, dboView}, "TTblData"},
        {"T1", TDbObjectSet{dboView}, ""},
        {"W", TDbObjectSet{dboTable, dboView}, "TViwData"},
        {"SAME", TDbObjectSet{dboTable, dboView}, "TTblData"},   // table before view
        {"SAME", TDbObjectSet{dboView, dboRule}, "TRulData"},    // a rule replaces it
        {"SAME", TDbObjectSet{dboView, dboRule, dboDefault}, "TDefData"},
        {"G1", TDbObjectSet{dboGenerator}, "TGnrData"},
        {"D_QTY", TDbObjectSet{dboDomain}, "TDmnData"},
        {"NOPE", TDbObjectSet::All(), ""},
        {"RDB$X", TDbObjectSet{dboTable}, ""},                   // system name in InterBase
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DepSet s;
        s.Table("SAME", {});
        s.View("SAME", {});
        s.Table("RDB$X", {});
        for (TDbObj* o : {static_cast<TDbObj*>(new TRulData(&s.objs)),
                          static_cast<TDbObj*>(new TDefData(&s.objs))}) {
            o->SetObjName("SAME");
            s.objs.AddObj(o);
        }
        s.p.LinkDepend(s.q, c.name, c.kinds);
        if (c.used.empty()) {
            EXPECT_TRUE(s.q->fUseOf.empty());
        } else {
            ASSERT_EQ(s.q->fUseOf.size(), 1u);
            EXPECT_EQ(std::string(s.q->fUseOf.front()->Obj->ClassName()), c.used);
        }
    }
    // Outside InterBase an RDB$ name is an ordinary name.
    DepSet pg(dbPostgreSQL);
    pg.Table("RDB$X", {});
    pg.p.LinkDepend(pg.q, "RDB$X", TDbObjectSet{dboTable});
    EXPECT_EQ(DepSet::Uses(pg.q), (Names{"RDB$X"}));
}

TEST(TCustomSQLParserLinkTest, LinksRecordTheParserPosition) {
    DepSet s;
    s.p.AssignTxt("x\r\n  y");
    for (int i = 0; i < 2; ++i) s.p.GetSy();
    s.p.LinkDepend(s.q, "T1", TDbObjectSet{dboTable});
    ASSERT_EQ(s.q->fUseOf.size(), 1u);
    EXPECT_EQ(s.q->fUseOf.front()->PosY, 2);
    EXPECT_EQ(s.q->fUseOf.front()->PosX, s.p.GetPosX());
}

TEST(TCustomSQLParserLinkTest, DefinitionsLinkIndicesConstraintsAndGrants) {
    DepSet s;
    auto* t3 = s.Table("T3", {"A", "B", "C"});
    auto* idx = new TIdxData(&s.objs);
    idx->SetObjName("IX1");
    idx->TblName = "T3";
    for (const char* f : {"A", "MISSING"}) s.Field(idx, idx->Flds, f);
    s.objs.AddObj(idx);
    auto ctr = [&](const std::string& name, TConstraintType type, const std::string& table,
                   Names flds, const std::string& ref, Names refFlds) {
        auto* c = new TCtrData(&s.objs);
        c->SetObjName(name);
        c->SetCtType(type);
        c->SetTblName(table);
        for (const auto& f : flds) c->AddFld(f);
        c->SetRefTblName(ref);
        for (const auto& f : refFlds) s.Field(c, c->RefFlds, f);
        s.objs.AddObj(c);
        return c;
    };
    TCtrData* pk = ctr("PK_T3", ctPKey, "T3", {"A", "B"}, "", {});
    TCtrData* uq = ctr("UQ_T3", ctUnique, "T3", {"B", "A"}, "", {});
    TCtrData* fk = ctr("FK_T1", ctFKey, "T1", {"ID", "NAME"}, "T3", {"A", "B"});
    auto* user = new TRolData(&s.objs);
    user->SetObjName("BOB");
    user->UserType = usrUsr;
    user->LoginName = "BOB_LOGIN";
    s.objs.AddObj(user);
    auto* login = new TRolData(&s.objs);
    login->SetObjName("BOB_LOGIN");
    login->UserType = usrLgn;
    s.objs.AddObj(login);
    auto* gnt = new TGntData(&s.objs);
    gnt->SetObjName("G");
    gnt->GntObjType = dboTable;
    gnt->GntObjName = "T3";
    gnt->GntUserType = dboUser;
    gnt->User = "BOB";
    s.objs.AddObj(gnt);
    auto* gntP = new TGntData(&s.objs);
    gntP->SetObjName("G2");
    gntP->GntObjType = dboProcedure;
    gntP->GntObjName = "Q";
    gntP->GntUserType = dboView;
    gntP->User = "W";
    s.objs.AddObj(gntP);

    s.p.Link_Depend();
    EXPECT_EQ(DepSet::Uses(idx), (Names{"T3", "T3.A"}));
    EXPECT_EQ(DepSet::Uses(pk), (Names{"T3", "T3.A", "T3.B"}));
    EXPECT_EQ(DepSet::Uses(uq), (Names{"T3", "T3.A", "T3.B"}));
    // The foreign key: its table and columns, the referenced ones, and the primary key on
    // (A, B) but not the unique constraint on (B, A).
    EXPECT_EQ(DepSet::Uses(fk), (Names{"PK_T3", "T1", "T1.ID", "T1.NAME", "T3", "T3.A", "T3.B"}));
    EXPECT_EQ(DepSet::Uses(gnt), (Names{"BOB", "T3"}));
    EXPECT_EQ(DepSet::Uses(gntP), (Names{"Q", "W"}));
    EXPECT_EQ(DepSet::Uses(user), (Names{"BOB_LOGIN"}));  // a database user uses its login
    EXPECT_EQ(t3->fUseIn.size(), 5u);  // index, both keys, the foreign key and the grant

    // Run twice: nothing is linked a second time.
    s.p.Link_Depend();
    EXPECT_EQ(DepSet::Uses(fk).size(), 7u);
}

TEST(TCustomSQLParserLinkTest, SchemaDialectsQualifyTheTableKey) {
    DepSet s(dbPostgreSQL);
    testing::AddTable(s.objs, "t", {"a"}, "sales");
    auto* idx = new TIdxData(&s.objs);
    idx->SetObjName("ix");
    idx->SetSchema("sales");
    idx->TblName = "t";
    s.Field(idx, idx->Flds, "a");
    s.objs.AddObj(idx);
    auto* c = new TCtrData(&s.objs);
    c->SetObjName("fk");
    c->SetSchema("other");
    c->SetCtType(ctFKey);
    c->SetTblName("T1");
    c->SetRefTblName("t");
    c->fRefSchema = "sales";
    s.Field(c, c->RefFlds, "a");
    s.objs.AddObj(c);
    ASSERT_NE(s.objs.Tbl.Find("sales.t"), nullptr);
    s.p.Link_Depend();
    EXPECT_EQ(DepSet::Uses(idx), (Names{"t", "t.a"}));
    EXPECT_EQ(DepSet::Uses(c), (Names{"t", "t.a"}));  // T1 is "other.T1": not in the set
}

}  // namespace
}  // namespace dbtwin
