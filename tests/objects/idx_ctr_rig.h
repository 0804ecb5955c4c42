// Builders for index and constraint comparisons: tables, indices and constraints filed in
// one side's set, then linked by their uses as the script parsers link them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <initializer_list>
#include <string>

#include "compare_rig.h"
#include "model/krvClasses.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin::testing {

inline TTblData* AddTable(TCustomObjs& o, const std::string& name, std::initializer_list<const char*> cols,
                          const std::string& schema = std::string()) {
    auto* t = new TTblData(&o);
    t->SetObjName(name);
    t->SetSchema(schema);
    for (const char* c : cols) {
        TFldData* f = t->AddFld(c);
        f->FieldType = iftInteger;
        f->OwnObj = t;
    }
    o.AddObj(t);
    return t;
}

// Columns are names; "name DESC" marks a descending entry.
inline TIdxData* AddIndex(TCustomObjs& o, const std::string& name, const std::string& table,
                          std::initializer_list<std::string> cols,
                          const std::function<void(TIdxData&)>& tweak = nullptr) {
    auto* x = new TIdxData(&o);
    x->SetObjName(name);
    x->TblName = table;
    for (const std::string& c : cols) {
        const auto blank = c.find(' ');
        TFldData* f = x->AddFld(c.substr(0, blank));
        if (blank != std::string::npos) f->IndexSortType = 2;
    }
    if (tweak) tweak(*x);
    o.AddObj(x);
    return x;
}

inline TCtrData* AddConstraint(TCustomObjs& o, TConstraintType type, const std::string& name,
                               const std::string& table, std::initializer_list<const char*> cols,
                               const std::function<void(TCtrData&)>& tweak = nullptr) {
    auto* c = new TCtrData(&o);
    c->SetCtType(type);
    c->SetObjName(name);
    c->SetTblName(table);
    for (const char* f : cols) c->AddFld(f);
    if (tweak) tweak(*c);
    c->CheckSysName();
    o.AddObj(c);
    return c;
}

inline TCtrData* AddForeignKey(TCustomObjs& o, const std::string& name, const std::string& table,
                               std::initializer_list<const char*> cols, const std::string& refTable,
                               std::initializer_list<const char*> refCols,
                               const std::function<void(TCtrData&)>& tweak = nullptr) {
    return AddConstraint(o, ctFKey, name, table, cols, [&](TCtrData& c) {
        c.SetRefTblName(refTable);
        for (const char* f : refCols) c.AddRefFld(f);
        if (tweak) tweak(c);
    });
}

// Links indices and constraints to their tables and columns, and foreign keys to the keys
// they reference, as the script parsers do.
inline void LinkAll(TCustomObjs& o) {
    auto table = [&o](const std::string& name, const std::string& schema) -> TTblData* {
        for (TTblData* t : o.Tbl)
            if (t->fObjName == name && t->fSchema == schema) return t;
        return nullptr;
    };
    auto linkCols = [&o](TDbObj* user, TTblData* t, const TFldList& cols) {
        o.LinkDepend(user, t);
        for (TFldData* f : cols)
            if (t->FindFld(f->fObjName)) o.LinkDepend(user, t, f->fObjName);
    };
    for (TIdxData* x : o.Idx)
        if (TTblData* t = table(x->TblName, x->fSchema)) linkCols(x, t, x->Flds);
    for (TCtrData* c : o.Ctr) {
        if (TTblData* t = table(c->fTblName, c->fSchema)) linkCols(c, t, c->Flds);
        if (c->fCtType != ctFKey) continue;
        const std::string& schema = c->fRefSchema.empty() ? c->fSchema : c->fRefSchema;
        if (TTblData* r = table(c->fRefTblName, schema)) linkCols(c, r, c->RefFlds);
        for (TCtrData* k : o.Ctr) {
            if ((k->fCtType != ctPKey && k->fCtType != ctUnique) || k->fTblName != c->fRefTblName ||
                k->Flds.Count() != c->RefFlds.Count())
                continue;
            bool same = true;
            for (std::size_t i = 0; i < k->Flds.Count(); ++i)
                same = same && k->Flds.Keys(i) == c->RefFlds.Keys(i);
            if (same) o.LinkDepend(c, k);
        }
    }
}

// One golden comparison of indices and constraints: what the sets hold, and the whole script.
struct GeneratorCase {
    const char* name;
    TDatabaseType db;
    std::function<void(Compare&)> build;
    std::string script;
};
inline void PrintTo(const GeneratorCase& c, std::ostream* os) { *os << c.name; }

// Builds and links both sets, compares, checks the whole script, and compares again: the same
// sets must give the same script.
inline void ExpectGeneratorScript(const GeneratorCase& tc) {
    Compare c(tc.db);
    tc.build(c);
    LinkAll(*c.master.GetObjs());
    LinkAll(*c.target.GetObjs());
    const std::string script = c.Run();
    EXPECT_EQ(script, tc.script) << script;
    EXPECT_EQ(c.Run(), script);
}

}  // namespace dbtwin::testing
