#include "support/builders.h"

#include <gtest/gtest.h>

namespace dbtwin::testing {

bool FileObj(TCustomObjs& o, TDbObj* obj) {
    if (o.AddObj(obj)) return true;
    ADD_FAILURE() << "the set refused " << obj->fObjName << " (key " << obj->GetObjKeyDef() << ")";
    delete obj;
    return false;
}

TFldData* AddColumn(TTblData& t, const Col& c) {
    TFldData* f = t.AddFld(c.name);
    if (!f) {
        ADD_FAILURE() << "column " << c.name << " twice in " << t.fObjName;
        return nullptr;
    }
    f->FieldType = c.type;
    const std::int32_t length = c.length >= 0 ? c.length : c.type == iftVarchar ? 10 : 0;
    if (length) f->CharLength = f->FieldLength = length;
    return f;
}

TTblData* AddTable(TCustomObjs& o, const std::string& name, std::initializer_list<Col> cols,
                   const std::string& schema) {
    auto* t = new TTblData(&o);
    t->SetObjName(name);
    t->SetSchema(schema);
    for (const Col& c : cols) AddColumn(*t, c);
    return File(o, t);
}

TPrcData* AddRoutine(TCustomObjs& o, const PrcSpec& s, std::initializer_list<TDbObj*> uses,
                     const std::string& schema, const std::function<void(TPrcData&)>& tweak) {
    auto* p = new TPrcData(&o);
    p->SetObjName(s.name);
    p->SetSchema(schema);
    p->Func = s.func;
    p->SetBody(s.body);
    auto typed = [](TFldData* f, const Col& c) {
        f->FieldType = c.type;
        const std::int32_t length = c.length >= 0 ? c.length : c.type == iftVarchar ? 10 : 0;
        if (length) f->CharLength = f->FieldLength = length;
    };
    for (const Col& c : s.params) typed(p->AddParam(c.name), c);
    for (const Col& c : s.returns) typed(p->AddReturn(c.name), c);
    if (tweak) tweak(*p);
    if (!File(o, p)) return nullptr;
    for (TDbObj* u : uses) o.LinkDepend(p, u);
    return p;
}

TDmnData* AddDomain(TCustomObjs& o, const std::string& name, const Col& type,
                    const std::function<void(TDmnData&)>& tweak, const std::string& schema) {
    auto* d = new TDmnData(&o);
    d->SetObjName(name);
    d->SetSchema(schema);
    d->fData->FieldType = type.type;
    const std::int32_t length = type.length >= 0 ? type.length : type.type == iftVarchar ? 10 : 0;
    if (length) d->fData->CharLength = d->fData->FieldLength = length;
    if (tweak) tweak(*d);
    d->CheckSysName();
    return File(o, d);
}

TFldData* AddDomainColumn(TCustomObjs& o, TTblData& t, const std::string& name, TDmnData& domain) {
    TFldData* f = t.AddFld(name);
    if (!f) return nullptr;
    f->FieldType = iftDomain;
    f->EditRare().DomainName = domain.fObjName;
    o.LinkDepend(&t, &domain, name);
    return f;
}

TGnrData* AddSequence(TCustomObjs& o, const std::string& name, const std::function<void(TGnrData&)>& tweak,
                      const std::string& schema) {
    auto* g = new TGnrData(&o);
    g->SetObjName(name);
    g->SetSchema(schema);
    if (tweak) tweak(*g);
    return File(o, g);
}

TIdxData* AddIndex(TCustomObjs& o, const std::string& name, const std::string& table,
                   std::initializer_list<std::string> cols, const std::function<void(TIdxData&)>& tweak) {
    auto* x = new TIdxData(&o);
    x->SetObjName(name);
    x->TblName = table;
    for (const std::string& c : cols) {
        const auto blank = c.find(' ');
        TFldData* f = x->AddFld(c.substr(0, blank));
        if (blank != std::string::npos) f->EditRare().IndexSortType = 2;
    }
    if (tweak) tweak(*x);
    return File(o, x);
}

TCtrData* AddConstraint(TCustomObjs& o, TConstraintType type, const std::string& name, const std::string& table,
                        std::initializer_list<const char*> cols, const std::function<void(TCtrData&)>& tweak) {
    auto* c = new TCtrData(&o);
    c->SetCtType(type);
    c->SetObjName(name);
    c->SetTblName(table);
    for (const char* f : cols) c->AddFld(f);
    if (tweak) tweak(*c);
    c->CheckSysName();
    return File(o, c);
}

TCtrData* AddForeignKey(TCustomObjs& o, const std::string& name, const std::string& table,
                        std::initializer_list<const char*> cols, const std::string& refTable,
                        std::initializer_list<const char*> refCols, const std::function<void(TCtrData&)>& tweak) {
    return AddConstraint(o, ctFKey, name, table, cols, [&](TCtrData& c) {
        c.SetRefTblName(refTable);
        for (const char* f : refCols) c.AddRefFld(f);
        if (tweak) tweak(c);
    });
}

void LinkAll(TCustomObjs& o) {
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
        const std::string& schema = c->fRefSchema.empty() ? c->fSchema.str() : c->fRefSchema;
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

TTrgData* AddTrigger(TCustomObjs& o, const TrgSpec& s, const std::string& schema) {
    auto* t = new TTrgData(&o);
    t->SetObjName(s.name);
    t->SetSchema(schema);
    t->SetOwnName(s.owner);
    t->SetEvents(s.befAft, s.events);
    t->SetBody(s.body);
    t->Position = s.position;
    t->Active = s.active;
    t->ForEachRow = s.forEachRow;
    return File(o, t);
}

TViwData* AddView(TCustomObjs& o, const std::string& name, const std::string& body,
                  std::initializer_list<const char*> cols, std::initializer_list<TDbObj*> uses,
                  const std::string& schema) {
    auto* v = new TViwData(&o);
    v->SetObjName(name);
    v->SetSchema(schema);
    v->SetBody(body);
    for (const char* c : cols) v->AddFld(c);
    if (!File(o, v)) return nullptr;
    for (TDbObj* u : uses) o.LinkDepend(v, u);
    return v;
}

}  // namespace dbtwin::testing
