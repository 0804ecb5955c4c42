#include <gtest/gtest.h>

#include <stdexcept>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "exec/krvSQL_Exec.h"
#include "extract/krvCustomExtract.h"
#include "model/krvClasses.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "objects/krvDBStructure.h"

namespace dbtwin {
namespace {

// Kinds with a visible definition text, so that the statements written can be told apart.
class Tbl : public TTblData {
public:
    using TTblData::TTblData;
    std::string CreateDef() const override {
        std::string cols;
        for (TFldData* f : Flds)
            if (!(fSkipComputedDef && f->IsComputed())) cols += (cols.empty() ? "" : ", ") + f->fObjName;
        return "CREATE TABLE " + fObjName + " (" + cols + ")";
    }
    std::string DropDef() const override { return "DROP TABLE " + fObjName; }
};

class Viw : public TViwData {
public:
    using TViwData::TViwData;
    std::string Def() const override { return "CREATE VIEW " + fObjName + " AS SELECT 1"; }
    std::string DropDef() const override { return "DROP VIEW " + fObjName; }
};

// Routines are the library's own: their texts are what the engine writes.
using Prc = TPrcData;

class Trg : public TTrgData {
public:
    using TTrgData::TTrgData;
    std::string Def() const override { return "CREATE TRIGGER " + fObjName + fBody; }
    std::string AlterDef() const override { return "ALTER TRIGGER " + fObjName + fBody; }
    std::string DropDef() const override { return "DROP TRIGGER " + fObjName; }
};

class Fld : public TFldData {
public:
    using TFldData::TFldData;
    std::string Def() const override { return fObjName + " INTEGER"; }
    std::string CreateDef() const override { return "ALTER TABLE " + OwnName + " ADD " + Def(); }
    std::string DescriptionDef() const override { return "COMMENT ON COLUMN " + fObjName + " IS 'x'"; }
};

// Adds a column of the test kind to a table, view or routine list.
TFldData* AddCol(TKeyedList<TFldData>& list, TDbObj* owner, const std::string& name,
                 const std::string& computedBy = "", TDbObject kind = dboField) {
    auto* f = new Fld(owner->fObjs);
    f->fObjType = kind;
    f->SetObjName(name);
    f->OwnName = owner->fObjName;
    f->OwnObj = owner;
    f->fBody = computedBy;
    list.Add(name, f);
    return f;
}

using StatementRow = std::tuple<TStatType, std::string, TDbObject, TDbOperation>;

// A master and a target set of one database kind, linked as the comparer links them, with
// one statement list; master objects start not created, as unmatched master objects do.
struct Sets {
    TCustomObjs master, target;
    TSQLExec exec;

    explicit Sets(TDatabaseType db) {
        for (TCustomObjs* s : {&master, &target}) {
            s->SetDatabaseType(db);
            s->SetSQLExec(&exec);
        }
        master.SetCompareRole(crMasterRole);
        target.SetCompareRole(crTargetRole);
        master.SetLinkedObjs(&target);
        target.SetLinkedObjs(&master);
        exec.SetDatabaseType(db);
    }
    template <typename T>
    T* Add(TCustomObjs& set, const std::string& name, bool created) {
        auto* o = new T(&set);
        o->SetObjName(name);
        o->fObjCreated = created;
        EXPECT_TRUE(set.AddObj(o));
        return o;
    }
    std::vector<StatementRow> Rows() const {
        std::vector<StatementRow> rows;
        for (int i = 0; i < exec.GetStatementsCount(); ++i) {
            TStatement* s = exec.GetStatement(i);
            rows.emplace_back(s->Typ, s->ObjName, s->ObjType, s->Operation);
        }
        return rows;
    }
    std::string Text(int i) const { return exec.GetStatement(i)->GetText(); }
};

TEST(CreateDependTest, ViewPullsInTableAndColumn) {
    // The target lacks the table: the table is created with its columns, then the view.
    {
        Sets s(dbInterBase);
        auto* t = s.Add<Tbl>(s.master, "T", false);
        TFldData* a = AddCol(t->Flds, t, "A");
        AddCol(t->Flds, t, "B");
        a->fObjCreated = false;
        auto* v = s.Add<Viw>(s.master, "V", false);
        s.master.LinkDepend(v, t);
        s.master.LinkDepend(v, t, "A");
        v->CreateDependDef();
        EXPECT_EQ(s.Rows(), (std::vector<StatementRow>{{stStatement, "T", dboTable, odbCreate},
                                                      {stComment, "/*  */", dboUnknown, odbComment},
                                                      {stComment, "/*  */", dboUnknown, odbComment},
                                                      {stStatement, "V", dboView, odbCreate}}));
        EXPECT_EQ(s.Text(0), "CREATE TABLE T (A, B)\r\n");
        // A view's create is announced by a comment of its own.
        EXPECT_EQ(s.Text(2), "/* Create view: V (ViwData.CreateDependDef) */\r\n");
        EXPECT_TRUE(a->GetObjCreated());
    }
    // The target has the table without the column: the column is added, then the view.
    {
        Sets s(dbInterBase);
        auto* tt = s.Add<Tbl>(s.target, "T", true);
        auto* t = s.Add<Tbl>(s.master, "T", true);
        t->SetRefObj(tt);
        tt->SetRefObj(t);
        TFldData* a = AddCol(t->Flds, t, "A");
        a->fObjCreated = false;
        auto* v = s.Add<Viw>(s.master, "V", false);
        s.master.LinkDepend(v, t, "A");
        v->CreateDependDef();
        EXPECT_EQ(s.Rows(), (std::vector<StatementRow>{{stStatement, "A", dboField, odbCreate},
                                                      {stComment, "/*  */", dboUnknown, odbComment},
                                                      {stStatement, "V", dboView, odbCreate}}));
        EXPECT_EQ(s.exec.GetStatement(0)->OwnName, "T");
        EXPECT_EQ(s.Text(0), "ALTER TABLE T ADD A INTEGER\r\n");
    }
}

TEST(CreateDependTest, ComputedColumnGetsItsTableWithoutComputedColumns) {
    for (bool usesComputed : {false, true}) {
        Sets s(dbInterBase);
        auto* u = s.Add<Tbl>(s.master, "U", false);
        AddCol(u->Flds, u, "P");
        TFldData* d = AddCol(u->Flds, u, "D", "P * 2");
        auto* t = s.Add<Tbl>(s.master, "T", true);
        TFldData* c = AddCol(t->Flds, t, "C", "1");
        c->fObjCreated = false;
        s.master.LinkDepend(c, u);
        s.master.LinkDepend(c, usesComputed ? d : u->FindFld("P"));
        c->CreateDependDef();
        ASSERT_GE(s.exec.GetStatementsCount(), 2);
        // U is written without its computed column unless C needs that column.
        EXPECT_EQ(s.Text(0), usesComputed ? "CREATE TABLE U (P, D)\r\n" : "CREATE TABLE U (P)\r\n");
        EXPECT_FALSE(u->fSkipComputedDef);  // the switch is restored
        EXPECT_EQ(s.exec.GetStatement(s.exec.GetStatementsCount() - 1)->ObjName, "C");
    }
}

TEST(CreateDependTest, MissingProcedureIsStubbedOrWrittenInFull) {
    struct Case {
        TDatabaseType db;
        std::vector<StatementRow> rows;
    };
    const Case cases[] = {
        {dbInterBase,
         {{stProcedure, "P", dboProcedure, odbEmptyCreate}, {stComment, "/*  */", dboUnknown, odbComment}, {stStatement, "V", dboView, odbCreate}}},
        {dbPostgreSQL,
         {{stProcedure, "p", dboProcedure, odbCreate}, {stComment, "/*  */", dboUnknown, odbComment}, {stStatement, "v", dboView, odbCreate}}},
    };
    for (const auto& c : cases) {
        Sets s(c.db);
        const std::string name = c.db == dbPostgreSQL ? "p" : "P";
        auto* p = s.Add<Prc>(s.master, name, false);
        p->fBody = "BEGIN SELECT 1; END";
        auto* v = s.Add<Viw>(s.master, c.db == dbPostgreSQL ? "v" : "V", false);
        s.master.LinkDepend(v, p);
        v->CreateDependDef();
        EXPECT_EQ(s.Rows(), c.rows) << int(c.db);
        EXPECT_TRUE(p->GetObjCreated());
        if (c.db == dbInterBase) {
            EXPECT_TRUE(p->fRestoreBody);
            EXPECT_EQ(s.Text(0), "CREATE PROCEDURE P AS\r\n BEGIN EXIT; END\r\n");
        }
    }
}

// A view whose text fails once: the failure reaches the caller, and the object is written
// by the next attempt (the guard against cycles does not stay set).
class FailingViw : public Viw {
public:
    using Viw::Viw;
    mutable int failures = 1;
    std::string Def() const override {
        if (failures-- > 0) throw std::runtime_error("no text");
        return Viw::Def();
    }
};

TEST(CreateDependTest, FailedCreateCanBeWrittenAgain) {
    Sets s(dbInterBase);
    auto* v = s.Add<FailingViw>(s.master, "V", false);
    EXPECT_THROW(v->CreateDependDef(), std::runtime_error);
    v->CreateDependDef();
    ASSERT_FALSE(s.Rows().empty());
    EXPECT_EQ(s.Rows().back(), (StatementRow{stStatement, "V", dboView, odbCreate}));
    EXPECT_TRUE(v->GetObjCreated());
}

TEST(CreateDependTest, RoutinesUsingEachOtherAreWrittenOnce) {
    Sets s(dbPostgreSQL);
    auto* p1 = s.Add<Prc>(s.master, "p1", false);
    auto* p2 = s.Add<Prc>(s.master, "p2", false);
    s.master.LinkDepend(p1, p2);
    s.master.LinkDepend(p2, p1);
    p1->CreateDependDef();
    EXPECT_EQ(s.Rows(), (std::vector<StatementRow>{{stProcedure, "p2", dboProcedure, odbCreate},
                                                  {stProcedure, "p1", dboProcedure, odbCreate}}));
}

TEST(CreateDependTest, CreatedObjectIsWrittenOnceAndDescriptionsFollow) {
    Sets s(dbInterBase);
    auto* p = s.Add<Prc>(s.master, "P", false);
    p->SetDescription("  the routine\n");
    AddCol(p->Params, p, "A", "", dboParam)->SetDescription("first");
    AddCol(p->Params, p, "B", "", dboParam);
    AddCol(p->Returns, p, "R", "", dboParam)->SetDescription("result");
    p->CreateDependDef();
    p->CreateDependDef();
    EXPECT_EQ(s.Rows(), (std::vector<StatementRow>{{stProcedure, "P", dboProcedure, odbCreate},
                                                  {stDescription, "P", dboProcedure, odbDescription},
                                                  {stDescription, "A", dboParam, odbDescription},
                                                  {stDescription, "R", dboParam, odbDescription}}));
    EXPECT_EQ(s.exec.GetStatement(2)->OwnName, "P");
    EXPECT_EQ(s.exec.GetStatement(1)->Description, "the routine");

    // Without the description category only the routine is written.
    Sets n(dbInterBase);
    n.master.SetCompareObjects(TCmpObjSetType::All().Exclude(coDescription));
    auto* q = n.Add<Prc>(n.master, "Q", false);
    q->SetDescription("d");
    q->CreateDependDef();
    EXPECT_EQ(n.exec.GetStatementsCount(), 1);
}

TEST(DropDependTest, TriggerIsEmptiedOrDroppedBeforeTheTableItUses) {
    for (TDatabaseType db : {dbInterBase, dbPostgreSQL}) {
        Sets s(db);
        auto* t = s.Add<Tbl>(s.target, "T", true);
        auto* tr = s.Add<Trg>(s.target, "TR", true);
        tr->fBody = " AS BEGIN INSERT INTO T VALUES (1); END";
        s.target.LinkDepend(tr, t);
        t->DropDependDef();
        if (db == dbInterBase) {
            EXPECT_EQ(s.Rows(), (std::vector<StatementRow>{{stTrigger, "TR", dboTrigger, odbEmpty},
                                                          {stStatement, "T", dboTable, odbDrop}}));
            EXPECT_EQ(tr->fBody, tr->EmptyBody());
            EXPECT_TRUE(tr->GetObjCreated());
        } else {
            EXPECT_EQ(s.Rows(), (std::vector<StatementRow>{{stStatement, "TR", dboTrigger, odbDrop},
                                                          {stStatement, "T", dboTable, odbDrop}}));
            EXPECT_FALSE(tr->GetObjCreated());
        }
        EXPECT_FALSE(t->GetObjCreated());
    }
}

TEST(DropDependTest, ViewsAndProceduresUsingTheObject) {
    Sets s(dbInterBase);
    auto* t = s.Add<Tbl>(s.target, "T", true);
    auto* v = s.Add<Viw>(s.target, "V", true);
    auto* p = s.Add<Prc>(s.target, "P", true);
    p->fBody = "BEGIN SELECT * FROM T; END";
    s.target.LinkDepend(v, t);
    s.target.LinkDepend(p, t);
    t->DropDependDef();
    EXPECT_EQ(s.Rows(), (std::vector<StatementRow>{{stStatement, "V", dboView, odbDrop},
                                                  {stProcedure, "P", dboProcedure, odbEmpty},
                                                  {stStatement, "T", dboTable, odbDrop}}));
    EXPECT_FALSE(v->GetObjCreated());
    EXPECT_EQ(p->fBody, p->EmptyBody());
}

TEST(DropDependTest, TableTheMasterHasIsNeverDropped) {
    Sets s(dbInterBase);
    auto* tt = s.Add<Tbl>(s.target, "T", true);
    s.Add<Tbl>(s.master, "T", true);
    tt->DropDependDef();
    EXPECT_EQ(s.exec.GetStatementsCount(), 0);
    EXPECT_TRUE(tt->GetObjCreated());
}

TEST(DropDependTest, CreatedFlagIsSharedWithTheMatchingObject) {
    Sets s(dbInterBase);
    auto* tv = s.Add<Viw>(s.target, "V", true);
    auto* mv = s.Add<Viw>(s.master, "V", true);
    tv->SetRefObj(mv);
    mv->SetRefObj(tv);
    tv->DropDependDef();
    EXPECT_FALSE(mv->GetObjCreated());  // the master view will be created again
    mv->CreateDependDef();
    EXPECT_TRUE(tv->GetObjCreated());
    EXPECT_EQ(s.Rows(), (std::vector<StatementRow>{{stStatement, "V", dboView, odbDrop},
                                                  {stComment, "/*  */", dboUnknown, odbComment},
                                                  {stStatement, "V", dboView, odbCreate}}));
}

TEST(LinkStateTest, RestoredLinksGiveTheSameScriptTwice) {
    Sets s(dbInterBase);
    auto* t = s.Add<Tbl>(s.master, "T", false);
    auto* v = s.Add<Viw>(s.master, "V", false);
    s.master.LinkDepend(v, t);
    s.master.SaveLinkStates();
    v->CreateDependDef();
    EXPECT_FALSE(v->fUseOf.front()->Active);
    std::string first = s.exec.GetScriptText();

    s.master.RestoreLinkStates();
    EXPECT_TRUE(v->fUseOf.front()->Active);
    s.exec.TCustomSQLExec::Clear();
    t->SetObjCreated(false);
    v->SetObjCreated(false);
    v->CreateDependDef();
    EXPECT_EQ(s.exec.GetScriptText(), first);
}

// ---------------------------------------------------------------------------
// Filing, keys and case rules

struct Counted : TTblData {
    static int alive;
    explicit Counted(TCustomObjs* o) : TTblData(o) { ++alive; }
    ~Counted() override { --alive; }
};
int Counted::alive = 0;

TEST(ObjectSetTest, KeysAndCaseRules) {
    struct Case {
        TDatabaseType db;
        bool caseSensitiveIdents;
        std::size_t filed;
        const char* firstKey;
    };
    const Case cases[] = {
        {dbMSSQL, false, 1, "ORDERS"},
        {dbMSSQL, true, 1, "Orders"},  // names kept as written, list compares without case
        {dbPostgreSQL, false, 2, "ORDERS"},
        {dbInterBase, false, 2, "ORDERS"},
    };
    for (const auto& c : cases) {
        TCustomObjs set;
        set.SetDatabaseType(c.db);
        set.fMSSQLServerOptions.GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(c.caseSensitiveIdents);
        for (const char* name : {"Orders", "ORDERS"}) {
            auto* t = new TTblData(&set);
            t->SetObjName(name);
            set.AddObj(t);
        }
        EXPECT_EQ(set.Tbl.Count(), c.filed) << int(c.db);
        EXPECT_EQ(set.Tbl.Keys(0), c.firstKey) << int(c.db);
    }

    TCustomObjs ms;
    ms.SetDatabaseType(dbMSSQL);
    auto* idx = new TIdxData(&ms);
    idx->SetObjName("ix");
    idx->TblName = "T";
    idx->SetSchema("dbo");
    EXPECT_EQ(idx->GetObjKeyDef(), "DBO.T.IX");
    delete idx;
}

TEST(ObjectSetTest, FilteringRefusingAndUnknownKinds) {
    Counted::alive = 0;
    TCustomObjs set;
    set.SetDatabaseType(dbInterBase);
    auto* ibe = new Counted(&set);
    ibe->SetObjName("IBE$VERSION_HISTORY");
    EXPECT_FALSE(set.AddObj(ibe, true));
    EXPECT_EQ(set.Tbl.Count(), 0u);
    EXPECT_EQ(Counted::alive, 0);

    set.fOnAccept_Obj = [](TCustomObjs*, TDbObj* o, bool& accept) { accept = o->fObjName != "NO"; };
    auto* refused = new Counted(&set);
    refused->SetObjName("NO");
    EXPECT_FALSE(set.AddObj(refused, false));  // left to the caller
    EXPECT_EQ(Counted::alive, 1);
    delete refused;

    // A duplicate stays usable until the set is cleared.
    auto* first = new Counted(&set);
    first->SetObjName("T");
    auto* dup = new Counted(&set);
    dup->SetObjName("T");
    EXPECT_TRUE(set.AddObj(first));
    EXPECT_FALSE(set.AddObj(dup));
    dup->AddFld("STILL_ALIVE");
    EXPECT_EQ(set.Tbl.Find("T"), first);
    EXPECT_EQ(Counted::alive, 2);
    set.Clear();
    EXPECT_EQ(Counted::alive, 0);

    // An object of a kind no list holds is reported through the extractor.
    TCustomDBStructure structure;
    TCustomExtract extractor;
    std::vector<std::string> errors;
    extractor.OnErrorMessage = [&](TObject*, const std::string& t) { errors.push_back(t); };
    structure.SetExtractor(&extractor);
    set.fDBStructure = &structure;
    auto* plain = new TDbObj(&set);
    EXPECT_FALSE(set.AddObj(plain, true));
    EXPECT_EQ(errors, std::vector<std::string>{"Unknown DbObject to add (TDbObj)"});
}

TEST(ObjectSetTest, GrantMerging) {
    TCustomObjs set;
    set.SetDatabaseType(dbInterBase);
    auto grant = [&](TGrantPrivilege priv, int option, std::vector<std::string> cols = {}) {
        auto* g = new TGntData(&set);
        g->Privilege = {priv};
        g->GntObjName = "T";
        g->User = "ALICE";
        g->Option = option;
        g->Flds = std::move(cols);
        return g;
    };
    TGntData* sel = grant(gntSelect, 0);
    EXPECT_EQ(set.AddGrant(sel), sel);
    TGntData* ins = grant(gntInsert, 0);
    EXPECT_EQ(set.AddGrant(ins), nullptr);
    delete ins;
    EXPECT_EQ(set.Gnt.Count(), 1u);
    EXPECT_EQ(sel->Privilege, (TGrantPrivilegeSet{gntSelect, gntInsert}));

    TGntData* withOption = grant(gntInsert, 1);
    EXPECT_EQ(set.AddGrant(withOption), withOption);
    EXPECT_EQ(set.Gnt.Count(), 2u);

    TGntData* upd1 = grant(gntUpdate, 0, {"A"});
    EXPECT_EQ(set.AddGrant(upd1), upd1);
    TGntData* upd2 = grant(gntUpdate, 0, {"B", "A"});
    EXPECT_EQ(set.AddGrant(upd2), nullptr);
    delete upd2;
    EXPECT_EQ(upd1->Flds, (std::vector<std::string>{"A", "B"}));
    set.SortGrants();
    EXPECT_EQ(set.Gnt.Count(), 3u);
    TGntData* sel2 = grant(gntDelete, 0);
    EXPECT_EQ(set.AddGrant(sel2), nullptr);  // the index still finds the merged grant after re-keying
    delete sel2;
}

TEST(ObjectSetTest, LinkDependRules) {
    TCustomObjs set;
    set.SetDatabaseType(dbInterBase);
    auto* t = new TTblData(&set);
    t->SetObjName("T");
    TFldData* a = t->AddFld("A");
    set.AddObj(t);
    auto* v = new TViwData(&set);
    v->SetObjName("V");
    set.AddObj(v);

    set.LinkDepend(v, t, "MISSING");
    EXPECT_TRUE(v->fUseOf.empty());
    EXPECT_TRUE(t->fUseIn.empty());

    set.LinkDepend(v, t, "A", 3, 4);
    set.LinkDepend(v, t, "A");
    ASSERT_EQ(v->fUseOf.size(), 1u);
    EXPECT_EQ(v->fUseOf[0]->Obj, a);
    EXPECT_EQ(v->fUseOf[0]->PosX, 3);
    ASSERT_EQ(a->fUseIn.size(), 1u);
    EXPECT_EQ(a->fUseIn[0]->Obj, v);
    EXPECT_EQ(a->fUseIn[0]->fObjType, dboView);

    set.LinkDepend(v, v);
    EXPECT_EQ(v->fUseOf.size(), 1u);  // never a link to itself

    // A table using a domain by column name: the table and the column both use it.
    auto* d = new TDmnData(&set);
    d->SetObjName("D_INT");
    set.AddObj(d);
    set.LinkDepend(t, d, "A");
    EXPECT_EQ(t->fUseOf.size(), 1u);
    EXPECT_EQ(a->fUseOf.size(), 1u);
    EXPECT_EQ(d->fUseIn.size(), 2u);
}

TEST(ObjectSetTest, RemovingAnObjectLeavesNoLinkToIt) {
    TCustomObjs set;
    set.SetDatabaseType(dbPostgreSQL);
    auto* t = new TTblData(&set);
    t->SetObjName("t");
    TFldData* a = t->AddFld("a");
    set.AddObj(t);
    auto* v = new TViwData(&set);
    v->SetObjName("v");
    set.AddObj(v);
    auto* p = new TPrcData(&set);
    p->SetObjName("p");
    set.AddObj(p);
    auto* g = new TGntData(&set);
    g->GntObjName = "t";
    set.AddObj(g);
    set.LinkDepend(v, t, "a");
    set.LinkDepend(p, t);
    set.LinkDepend(g, t);
    set.LinkDepend(t, p);
    set.LinkDepend(a, p);

    set.RemoveDepend(t);
    bool pointsAtT = false;
    set.ForEachObject([&](TDbObj* o) {
        for (auto* list : {&o->fUseIn, &o->fUseOf})
            for (auto& l : *list)
                if (l->Obj == t || l->Obj == a) pointsAtT = true;
    });
    EXPECT_FALSE(pointsAtT);
    EXPECT_TRUE(p->fUseIn.empty() && p->fUseOf.empty());

    // Freeing an object takes its links' counterparts with it.
    set.LinkDepend(v, p);
    ASSERT_EQ(p->fUseIn.size(), 1u);
    delete set.Viw.Extract(0);
    EXPECT_TRUE(p->fUseIn.empty());
}

// Clearing a set frees objects used by many others (a domain of every column) and takes out
// the counterpart of a link that reaches into another set, so nothing there points at a freed
// object.
TEST(ObjectSetTest, ClearingASetLeavesNoLinkIntoIt) {
    TCustomObjs other;
    other.SetDatabaseType(dbInterBase);
    auto* outside = new TTblData(&other);
    outside->SetObjName("OUTSIDE");
    other.AddObj(outside);
    {
        TCustomObjs set;
        set.SetDatabaseType(dbInterBase);
        auto* d = new TDmnData(&set);
        d->SetObjName("D");
        set.AddObj(d);
        for (int i = 0; i < 50; ++i) {
            auto* t = new TTblData(&set);
            t->SetObjName("T" + std::to_string(i));
            t->AddFld("A")->EditRare().DomainName = "D";
            set.AddObj(t);
            set.LinkDepend(t, d, "A");
        }
        ASSERT_EQ(d->fUseIn.size(), 100u);
        set.LinkDepend(outside, d);
        ASSERT_EQ(outside->fUseOf.size(), 1u);
        set.Clear();
        EXPECT_EQ(set.Tbl.Count(), 0u);
        EXPECT_TRUE(outside->fUseOf.empty()) << "the link into the cleared set went with it";

        // The set is usable again after a clear, and its destructor frees what it holds then.
        auto* t = new TTblData(&set);
        t->SetObjName("T");
        set.AddObj(t);
        set.LinkDepend(outside, t);
        ASSERT_EQ(outside->fUseOf.size(), 1u);
    }
    EXPECT_TRUE(outside->fUseOf.empty());
}

TEST(ObjectSetTest, SetLevelTexts) {
    TCustomObjs ib;
    ib.SetDatabaseType(dbInterBase);
    EXPECT_EQ(ib.GetDefinedSQLVersion(), "Server Version (user defined): FireBird 2.5");
    TCustomObjs access;
    access.SetDatabaseType(dbMSAccess);
    EXPECT_EQ(access.GetDefinedSQLVersion(), "");
    EXPECT_EQ(access.DbConnectStr(), "");
    ib.fConnectionOptions.SetDatabaseName("/db/a.fdb");
    EXPECT_EQ(ib.DbConnectStr(), "CONNECT '/db/a.fdb' USER 'SYSDBA' PASSWORD 'masterkey'");

    TCustomObjs target;
    target.SetCompareRole(crTargetRole);
    ib.SetCompareRole(crMasterRole);
    ib.SetLinkedObjs(&target);
    target.fIBServerOptions.GetIBDatabaseOptions().SetODSMajorVersion(12);
    EXPECT_EQ(ib.ODSMajorVersionOfTarget(), 12);
    EXPECT_EQ(ib.GetObjsTarget(), &target);
    EXPECT_EQ(ib.GetObjsMaster(), &ib);
}

// ---------------------------------------------------------------------------
// Names, quoting and definition texts

TEST(DbObjTest, NamesAndTexts) {
    TCustomObjs asa;
    asa.SetDatabaseType(dbSybaseASA);
    TTblData at(&asa);
    at.SetObjName("user");
    EXPECT_EQ(at.GetObjFullName(), "DBA.\"USER\"");
    at.EditExtra().OwnUser = "bob";
    EXPECT_EQ(at.GetObjFullName(), "bob.\"USER\"");
    EXPECT_EQ(at.GenComment("x"), "% x");

    TCustomObjs pg;
    pg.SetDatabaseType(dbPostgreSQL);
    TFldData col(&pg);
    col.SetObjName("Amount");
    col.SetSchema("sales");
    col.OwnName = "orders";
    EXPECT_EQ(col.GetObjFullName(), "\"Amount\"");
    TTblData pt(&pg);
    pt.SetObjName("orders");
    pt.SetSchema("Sales");
    EXPECT_EQ(pt.GetObjFullName(), "\"Sales\".orders");
    EXPECT_EQ(pt.GetCaption(), "\"Sales\".orders");
    EXPECT_EQ(pt.GenComment("x"), "/* x */");

    TTblData orphan(nullptr);
    orphan.SetObjName("a b");
    EXPECT_EQ(orphan.QuoteIdent("a b"), "a b");
    EXPECT_EQ(orphan.GetDatabaseType(), dbAbstract);
    EXPECT_EQ(orphan.GetCompareObjects(), TCmpObjSetType::All());

    TCustomObjs ole;
    ole.SetDatabaseType(dbCustomOLEDB);
    ole.fIdentQuote = iqBrackQuote;
    TTblData ot(&ole);
    EXPECT_EQ(ot.QuoteIdent("x"), "[x]");

    // Description and body keep "\r\n" line breaks and lose outer blanks.
    pt.SetDescription("  line1\nline2\rline3  ");
    EXPECT_EQ(pt.GetDescription(), "line1\r\nline2\r\nline3");
}

TEST(DbObjTest, DropDefsAndCompareDef) {
    TCustomObjs ib;
    ib.SetDatabaseType(dbInterBase);
    TTblData t(&ib);
    t.SetObjName("T");
    EXPECT_EQ(t.TDbObj::DropDef(), "/* Drop: T (TTblData) */\r\n");
    TFldData f(&ib);
    f.SetObjName("order");
    f.OwnName = "T";
    EXPECT_EQ(f.TDbObj::DropDef(), "/* Drop: order (TFldData) */\r\nALTER TABLE T DROP \"order\"");
    EXPECT_EQ(f.DropDef(), "ALTER TABLE T DROP \"order\"");

    struct PgView : TViwData {
        using TViwData::TViwData;
        std::string text;
        std::string Def() const override { return text; }
    };
    TCustomObjs pg;
    pg.SetDatabaseType(dbPostgreSQL);
    PgView a(&pg), b(&pg);
    a.text = "CREATE VIEW v AS\r\n  SELECT a,   b\nFROM t";
    b.text = "CREATE VIEW v AS SELECT a, b FROM t";
    EXPECT_EQ(a.CompareDef(), b.CompareDef());
}

TEST(SysNameTest, JudgedPerDatabaseKind) {
    struct Case {
        TDatabaseType db;
        TConstraintType type;
        const char* table;
        std::vector<std::string> cols;
        const char* name;
        bool sys;
    };
    const Case cases[] = {
        {dbMSSQL, ctPKey, "Orders", {}, "PK__Orders__1A2B3C4D", true},
        {dbMSSQL, ctPKey, "Orders", {}, "PK__Orders__1a2b3c4d", false},
        {dbMSSQL, ctPKey, "Orders", {}, "PK_Orders_1A2B3C4D", false},
        {dbSybaseASE, ctDefault, "T", {}, "DF__T__A__0123ABCD", true},
        {dbMSSQL, ctUnique, "T", {}, "PK__T__1A2B3C4D", false},
        {dbDB2, ctPKey, "T", {}, "SQL123456789012345", true},
        {dbDB2, ctPKey, "T", {}, "SQL12345678901234", false},
        {dbDB2, ctPKey, "T", {}, "SQL1234567890123456", false},
        {dbPostgreSQL, ctPKey, "orders", {}, "orders_pkey", true},
        {dbPostgreSQL, ctFKey, "orders", {"a", "b"}, "orders_a_b_fkey", true},
        {dbPostgreSQL, ctFKey, "orders", {"a"}, "orders_b_fkey", false},
        {dbPostgreSQL, ctUnique, "orders", {"code"}, "orders_code_key", true},
        {dbPostgreSQL, ctUnique, "orders", {"code"}, "orders_", false},
        {dbPostgreSQL, ctCheck, "orders", {}, "orders_check", true},
        {dbPostgreSQL, ctCheck, "orders", {}, "positive_amount", false},
        {dbInterBase, ctPKey, "T", {}, "INTEG_12", false},
    };
    for (const auto& c : cases) {
        TCustomObjs set;
        set.SetDatabaseType(c.db);
        set.fMSSQLServerOptions.GetMSSQLCompareOptions().SetCaseSensitiveIdentifiers(true);
        TCtrData ctr(&set);
        ctr.SetCtType(c.type);
        ctr.SetTblName(c.table);
        for (const auto& col : c.cols) ctr.AddFld(col);
        ctr.SetObjName(c.name);
        ctr.CheckSysName();
        EXPECT_EQ(ctr.fObjName.empty(), c.sys) << c.name;
        EXPECT_EQ(ctr.Extra().SysName, c.sys ? c.name : "") << c.name;
    }
    TCustomObjs pg;
    pg.SetDatabaseType(dbPostgreSQL);
    TDmnData d(&pg);
    d.SetObjName("posint");
    d.fData->EditRare().CheckDef = " (VALUE > 0)";
    d.fData->EditRare().CtrName = "posint_check";
    d.CheckSysName();
    EXPECT_EQ(d.fData->Rare().CtrName, "");
    EXPECT_EQ(d.fObjName, "posint");
}

}  // namespace
}  // namespace dbtwin
