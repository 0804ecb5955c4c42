// Reads a Firebird DDL script with the script reader and writes the links its bodies made,
// one per line, in the form ibdeps_live.sh compares with the server's dependency records:
//   USER -> USED            the object USER uses USED
//   USER -> USED.FIELD      ... and its column FIELD
// USER is a view, routine, trigger, package, check constraint, expression index or
// computed column (TABLE.COLUMN). Links to domains are left out (the server records those
// of declarations, the reader those of the columns read).
//   ibdeps_probe <script.sql>
#include <iostream>
#include <set>
#include <string>

#include "objects/krvCompObj.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "parse/krvIBExParser.h"

using namespace dbtwin;

namespace {

std::set<std::string> lines;

void Add(const std::string& aUser, const TDbObj* aObj) {
    for (const auto& l : aObj->fUseOf) {
        const TDbObj* used = l->Obj;
        if (used->ListKind() == olDmn) continue;
        if (const auto* f = dynamic_cast<const TFldData*>(used); f && f->GetOwnerObj()) {
            if (f->GetOwnerObj()->ListKind() == olDmn) continue;
            lines.insert(aUser + " -> " + f->GetOwnerObj()->fObjName);
            lines.insert(aUser + " -> " + f->GetOwnerObj()->fObjName + "." + f->fObjName);
        } else {
            lines.insert(aUser + " -> " + used->fObjName);
            if (!l->ObjField.empty()) lines.insert(aUser + " -> " + used->fObjName + "." + l->ObjField);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ibdeps_probe <script.sql>\n";
        return 2;
    }
    TObjs objs;
    objs.SetDatabaseType(dbInterBase);
    objs.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    TIbExParser p;
    p.OnErrorMessage = [](TObject*, const std::string&) {};
    p.ParseFile(argv[1], &objs);
    p.Link_Depend();
    const TMsgManager& m = p.GetMsgMngr();
    for (std::size_t i = 0; i < m.Count(); ++i)
        std::cerr << m.Get(i).FileName << ':' << m.Get(i).PosY << ':' << m.Get(i).PosX << ": " << m.Get(i).Msg << '\n';
    if (m.Count() > 0) return 1;
    for (const TViwData* v : objs.Viw) Add(v->fObjName, v);
    for (const TPrcData* r : objs.Prc) Add(r->fObjName, r);
    for (const TTrgData* t : objs.Trg) Add(t->fObjName, t);
    for (const TPkgData* k : objs.Pkg) Add(k->fObjName, k);
    for (const TCtrData* c : objs.Ctr)
        if (c->fCtType == ctCheck) Add(c->fObjName, c);
    for (const TIdxData* x : objs.Idx)
        if (!x->GetBody().empty()) Add(x->fObjName, x);
    for (const TTblData* t : objs.Tbl)
        for (const TFldData* f : t->Flds)
            if (f->IsComputed()) Add(t->fObjName + "." + f->fObjName, f);
    for (const std::string& l : lines) std::cout << l << '\n';
    return 0;
}
