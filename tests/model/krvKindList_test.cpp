// The object set's table of kind lists: every kind is filed in its own list, the case
// rule and the set-wide walks take the lists the table names and leave out the rest.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "model/krvClasses.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Opr.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Rul.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {
namespace {

struct KindCase {
    const char* List;
    std::function<TDbObj*(TCustomObjs*)> Make;
    std::function<std::size_t(const TCustomObjs&)> Count;  // the set's member, read directly
    bool CaseRule;                                          // keys follow the dialect's case rule
};

template <typename T>
std::function<TDbObj*(TCustomObjs*)> Maker() {
    return [](TCustomObjs* s) -> TDbObj* { return new T(s); };
}

#define KIND(member, cls, caseRule) \
    KindCase{#member, Maker<cls>(), [](const TCustomObjs& s) { return s.member.Count(); }, caseRule}

std::vector<KindCase> Kinds() {
    return {
        KIND(Sch, TSchData, false), KIND(Dmn, TDmnData, true),  KIND(Udf, TUdfData, true),
        KIND(Trg, TTrgData, true),  KIND(Prc, TPrcData, true),  KIND(Tbl, TTblData, true),
        KIND(Exc, TExcData, true),  KIND(Gnr, TGnrData, true),  KIND(Idx, TIdxData, true),
        KIND(Viw, TViwData, true),  KIND(Rol, TRolData, true),  KIND(Gnt, TGntData, true),
        KIND(Ctr, TCtrData, true),
        KIND(Rul, TRulData, true),  KIND(Def, TDefData, true),  KIND(Pkg, TPkgData, true),
        KIND(Pbl, TPblData, true),  KIND(Opr, TOprData, false), KIND(Opc, TOpcData, false),
        KIND(Cnv, TCnvData, false), KIND(Evt, TEvtData, false), KIND(Clt, TCltData, true),
    };
}

#undef KIND

// Gives the object a name its key is made of.
TDbObj* Named(TDbObj* aObj, const std::string& aName) {
    aObj->SetObjName(aName);
    if (auto* g = dynamic_cast<TGntData*>(aObj)) g->GntObjName = aName;
    return aObj;
}

// How many objects all kind lists of the set hold together.
std::size_t FiledCount(const TCustomObjs& aSet) {
    std::size_t total = 0;
    for (const TKindList& r : TCustomObjs::KindLists()) r.ForEach(aSet, [&](TDbObj*) { ++total; });
    return total;
}

TEST(KindListTest, EveryKindIsFiledInItsOwnListAndFoundThroughTheTable) {
    for (const KindCase& k : Kinds()) {
        SCOPED_TRACE(k.List);
        TCustomObjs set;
        TDbObj* obj = Named(k.Make(&set), "abc");
        ASSERT_TRUE(set.AddObj(obj));
        EXPECT_EQ(k.Count(set), 1u);
        const TKindList* row = TCustomObjs::KindListOf(obj->ListKind());
        ASSERT_NE(row, nullptr);
        EXPECT_STREQ(row->Name, k.List);
        EXPECT_EQ(set.FindInList(obj->ListKind(), obj->GetObjKeyDef()), obj);
        EXPECT_EQ(FiledCount(set), 1u);  // no other list received it
        set.Clear();
        EXPECT_EQ(k.Count(set), 0u);
    }
}

TEST(KindListTest, ObjectsOfNoListAreRefused) {
    TCustomObjs set;
    auto* col = new TFldData(&set);
    col->SetObjName("c");
    EXPECT_FALSE(set.AddObj(col));  // freed by the set
    EXPECT_EQ(FiledCount(set), 0u);
}

// SQL Server keys compare without case except in the lists the case rule leaves out.
TEST(KindListTest, CaseRuleLeavesSchemaOperatorConversionAndEventKeysAlone) {
    for (const KindCase& k : Kinds()) {
        SCOPED_TRACE(k.List);
        TCustomObjs set;
        TDbObj* obj = Named(k.Make(&set), "abc");
        ASSERT_TRUE(set.AddObj(obj));
        set.SetDatabaseType(dbMSSQL);
        const std::string upper = UpperCase(obj->GetObjKeyDef());
        ASSERT_NE(upper, obj->GetObjKeyDef());
        EXPECT_EQ(set.FindInList(obj->ListKind(), upper) == obj, k.CaseRule);
        set.SetDatabaseType(dbInterBase);
        EXPECT_EQ(set.FindInList(obj->ListKind(), upper), nullptr);
    }
    // The per-type constraint lists follow the rule too.
    TCustomObjs set;
    set.SetDatabaseType(dbMSSQL);
    for (auto* list : {&set.Prk, &set.Frk, &set.Unq, &set.Chk, &set.Ref, &set.Cdf}) EXPECT_FALSE(list->CaseSensitive());
}

// ForEachObject reaches every filed object once and the fields that hold links of their
// own: columns of tables and views, parameters and results of routines.
TEST(KindListTest, ForEachObjectReachesObjectsAndTheirFields) {
    TCustomObjs set;
    std::set<TDbObj*> expected;
    for (const KindCase& k : Kinds()) {
        TDbObj* obj = Named(k.Make(&set), std::string("o") + k.List);
        ASSERT_TRUE(set.AddObj(obj));
        expected.insert(obj);
    }
    expected.insert(set.Tbl.Objects(0)->AddFld("tc"));
    expected.insert(set.Viw.Objects(0)->AddFld("vc"));
    expected.insert(set.Prc.Objects(0)->AddParam("pp"));
    expected.insert(set.Prc.Objects(0)->AddReturn("pr"));
    // A constraint filed again in a per-type list is still reached once.
    set.Prk.Add("k", set.Ctr.Objects(0));

    std::multiset<TDbObj*> seen;
    set.ForEachObject([&](TDbObj* o) { seen.insert(o); });
    EXPECT_EQ(seen.size(), expected.size());
    EXPECT_EQ(std::set<TDbObj*>(seen.begin(), seen.end()), expected);
}

}  // namespace
}  // namespace dbtwin
