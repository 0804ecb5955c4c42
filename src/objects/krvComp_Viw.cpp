#include "objects/krvComp_Viw.h"

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Trg.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

// The triggers of a set owned by the view.
template <typename F>
void ForEachOwnedTrigger(TCustomObjs* aObjs, const TViwData* aView, F f) {
    if (!aObjs) return;
    for (TTrgData* t : aObjs->Trg)
        if (t->fOwnObj == aView || (t->fOwnName == aView->fObjName && t->fSchema == aView->fSchema)) f(t);
}

}  // namespace

bool SameViewDefinition(const TDbObj* aMaster, const TDbObj* aTarget) {
    const TDialectTraits& traits = DialectTraits(aMaster->GetDatabaseType());
    if (!traits.FoldsViewLayout) return aMaster->Extra().fCurrentDefinition == aTarget->Extra().fCurrentDefinition;
    return traits.ViewCompareText(aMaster->Extra().fCurrentDefinition) == traits.ViewCompareText(aTarget->Extra().fCurrentDefinition);
}

TViwData::TViwData(TCustomObjs* aObjs) : TDbObj(aObjs), Flds(false, true, true) {
    fObjType = dboView;
    Flds.SetCaseSensitive(!(aObjs && DialectTraits(aObjs->GetDatabaseType()).CaseInsensitiveColumns));
}

TFldData* TViwData::AddFld(const std::string& aName) { return AddOwnedFld(Flds, this, aName, dboField); }

std::string TViwData::GetFlds() const {
    std::string r;
    for (std::size_t i = 0; i < Flds.Count(); ++i) {
        r += kCRLF + QuoteIdent(Flds.Objects(i)->fObjName);
        if (i + 1 < Flds.Count()) r += ",";
    }
    return r.empty() ? r : "(" + r + ")";
}

void TViwData::SetReCreate(bool Value) {
    fReCreate = Value;
    if (auto* ref = dynamic_cast<TViwData*>(fRefObj); ref && ref->fReCreate != Value) ref->fReCreate = Value;
}

std::string TViwData::Def() const {
    const std::string CRLF = kCRLF;
    const std::string tail = GetFlds() + CRLF + " AS " + CRLF + fBody;
    switch (GetDatabaseType()) {
        case dbOracle: {
            std::string r = "CREATE OR REPLACE VIEW " + GetObjFullName();
            if (!OfType.empty()) r += " OF " + OfType;
            if (!ObjIdentFlds.empty()) {
                r += CRLF + "   WITH OBJECT " + (ObjIdent.empty() ? std::string("IDENTIFIER(") : ObjIdent + "(");
                for (std::size_t i = 0; i < ObjIdentFlds.size(); ++i) r += (i ? ", " : "") + ObjIdentFlds[i];
                r += ")";
            }
            return r + GetFlds() + CRLF + "   AS " + CRLF + fBody;
        }
        case dbMSSQL: {
            if (fBody.empty()) return Extra().Text;
            std::string r = "CREATE VIEW " + GetObjFullName() + GetFlds() + CRLF;
            std::string options;
            auto option = [&options](bool on, const char* name) {
                if (!on) return;
                options += options.empty() ? std::string("  WITH ") + name : std::string(", ") + name;
            };
            option(WithEncryption, "ENCRYPTION");
            option(WithSchemaBinding, "SCHEMABINDING");
            option(WithViewMetadata, "VIEW_METADATA");
            if (!options.empty()) r += options + CRLF;
            return r + " AS " + CRLF + fBody;
        }
        case dbMySQL: {
            std::string r = "CREATE";
            if (!Algorithm.empty()) r += " ALGORITHM=" + Algorithm;
            if (!SqlSecurity.empty()) r += " SQL SECURITY " + SqlSecurity;
            return r + " VIEW " + QuoteIdent(fObjName) + tail;
        }
        case dbDB2:
        case dbPostgreSQL:
            return "CREATE VIEW " + GetObjFullName() + tail;
        default:
            return "CREATE VIEW " + QuoteIdent(fObjName) + tail;
    }
}

std::string TViwData::DropDef() const {
    if (CompExclude) return std::string();
    return "DROP VIEW " + GetObjFullName();
}

void TViwData::CreateDependDef() {
    if (GetObjCreated()) return;
    TDbObj::CreateDependDef();
}

void TViwData::AddCreateStatement() {
    if (GetDatabaseType() == dbDB2 && !fSchema.empty() && fObjs && fSchema != fObjs->CurrentSchema) {
        fObjs->CurrentSchema = fSchema;
        AddStatement("SET CURRENT SCHEMA = " + QuoteIdent(fSchema), stStatement, fSchema, dboSchema, odbSet);
    }
    if (TCustomSQLExec* ex = GetSQLExecInSchema())
        ex->AddComment(GenComment("Create view: " + fObjName + " (ViwData.CreateDependDef)"));
    AddStatement(CreateDef(), stStatement, GetObjFullName(), dboView, odbCreate);
    SetObjCreated(true);
    SetReCreate(false);
    // The counterpart now stands for the view as just written.
    if (fRefObj) fRefObj->EditExtra().fCurrentDefinition = Extra().fCurrentDefinition;
    // Triggers of the view are written at once with an empty body; the trigger
    // generator writes their bodies later. Where a body cannot be replaced in place
    // they are left to the trigger generators.
    TCustomObjs* master = fObjs ? fObjs->GetObjsMaster() : nullptr;
    ForEachOwnedTrigger(master, this, [](TTrgData* trg) {
        if (trg->GetObjCreated() || !trg->CanAlterBody()) return;
        const std::string text = trg->EmptyDef();
        trg->AddStatement(text, stTrigger, trg->fObjName, dboTrigger, odbEmptyCreate);
        trg->SetRestoreBody(true);
        trg->SetObjCreated(true);
        if (trg->fRefObj) trg->fRefObj->EditExtra().fCurrentDefinition = text;
    });
}

void TViwData::DoBeforeCreate() {
    TDbObj::DoBeforeCreate();
    CreateUsedObjects(uwViewSources);
}

void TViwData::CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) {
    if (aWalk == uwActiveLinks) {
        if (GetObjCreated()) return;
        // A trigger's view is created without consuming the link.
        if (aUser->ListKind() == olTrg) {
            CreateDependDef();
            return;
        }
        aLink->Active = false;
        if (aUser->ListKind() != olViw || fObjName != aUser->fObjName) CreateDependDef();
        return;
    }
    // aUser is a view being created that selects from this one.
    TCustomSQLExec* ex = aUser->GetSQLExec();
    if (!GetObjCreated()) {
        if (ex) ex->AddComment("Create view: " + fObjName + " for view: " + aUser->fObjName);
        CreateDependDef();
        return;
    }
    TDbObj* tv = fRefObj && fRefObj->ListKind() == olViw ? fRefObj : nullptr;
    const bool isMaster = aUser->fObjs && aUser->fObjs->GetObjsMaster() == fObjs;
    if (!isMaster || !tv || SameViewDefinition(this, tv)) return;
    // A changed view the user selects from is rebuilt first.
    const std::string names = fObjName + " for view: " + aUser->fObjName;
    if (ex) {
        ex->AddComment(aUser->GenComment("Alter view (drop/create): " + names));
        ex->AddComment(aUser->GenComment("Alter view (drop): " + names));
    }
    tv->DropDependDef();
    if (ex) ex->AddComment(aUser->GenComment("Alter view (create): " + names));
    CreateDependDef();
    tv->EditExtra().fCurrentDefinition = Extra().fCurrentDefinition;
}

void TViwData::DropForUsed(TDbObj* /*aUsed*/, TDependObj* aLink) {
    aLink->Active = false;
    DropDependDef();
    SetObjCreated(false);
}

void TViwData::DoAfterCreate() {
    TDbObj::DoAfterCreate();
    // Views and domains built on this view honour their links again when it is rebuilt.
    for (auto& l : fUseIn) {
        TDbObj* user = l->Obj;
        if (!dynamic_cast<TViwData*>(user) && !dynamic_cast<TDmnData*>(user)) continue;
        l->Active = true;
        for (auto& back : user->fUseOf)
            if (back->Obj == this) back->Active = true;
    }
}

void TViwData::DoBeforeDrop() {
    for (auto& l : fUseIn)
        if (l->Obj == this) l->Active = false;
    const bool ase = GetDatabaseType() == dbSybaseASE;
    for (std::size_t i = 0; i < fUseIn.size(); ++i) {
        TDependObj* l = fUseIn[i].get();
        TDbObj* user = l->Obj;
        if (!l->Active || !user) continue;
        if (auto* trg = dynamic_cast<TTrgData*>(user)) {
            l->Active = false;
            if (ase) trg->DropDependDef();
            else trg->AssignEmptyBody();
        } else if (auto* prc = dynamic_cast<TPrcData*>(user)) {
            l->Active = false;
            if (ase) prc->DropDependDef();
            else prc->AssignEmptyBody(true);
        } else if (dynamic_cast<TCtrData*>(user)) {
            l->Active = false;
            user->DropDependDef();
        }
    }
    TCustomObjs* target = fObjs ? fObjs->GetObjsTarget() : nullptr;
    ForEachOwnedTrigger(target, this, [](TTrgData* trg) {
        if (trg->GetObjCreated()) trg->DropDependDef();
    });
    TDbObj::DoBeforeDrop();
}

void TViwData::DoAfterDrop() {
    TDbObj::DoAfterDrop();
    // Grants on the view went with it: the grant phase writes them again.
    if (TCustomObjs* master = fObjs ? fObjs->GetObjsMaster() : nullptr)
        for (TGntData* g : master->Gnt)
            if (g->GntObjName == fObjName) g->SetObjCreated(false);
}

// ---------------------------------------------------------------------------
// Generators

void GenScriptViewDrop(TCustomObjs* /*MObjs*/, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                       TCmpObjSetType /*CompareObjects*/) {
    if (!TObjs) return;
    DropUnmatchedObjects(
        *TObjs, olViw, SQLExec, [](const TDbObj* t) { return t->GenComment("Drop View..."); },
        [](TDbObj* t) { if (!t->Extra().fCurrentDefinition.empty()) t->EditExtra().fCurrentDefinition.clear(); });
}

namespace {

// The descriptions of a view's columns: every described one, or (aOnlyChanged) those whose
// description differs from their counterpart's.
void AddViewColumnDescriptions(TViwData* m, bool aOnlyChanged) {
    for (TFldData* f : m->Flds) {
        if (aOnlyChanged ? (!f->GetRefObj() || f->Extra().fDescription == f->GetRefObj()->Extra().fDescription)
                         : f->Extra().fDescription.empty())
            continue;
        f->AddDescription();
    }
}

}  // namespace

void GenScriptViewCreate(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !ex) return;
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    bool any = false;
    for (TViwData* m : M->Viw) {
        // A view already written (as a dependency of another) is not visited again.
        if (m->CompExclude || m->GetObjCreated()) continue;
        if (!any) ex->AddComment(m->GenComment("Create Views..."));
        any = true;
        m->CreateDependDef();
        m->SetReCreate(false);
        // A new view's columns are described with it, as an altered view's are: otherwise
        // their descriptions were lost.
        if (descriptions && !m->Extra().fDescription.empty()) m->AddDescription();
        if (descriptions) AddViewColumnDescriptions(m, false);
        if (m->GetRefObj()) m->GetRefObj()->EditExtra().fCurrentDefinition = m->Extra().fCurrentDefinition;
    }
    if (any) ex->AddComment(kCRLF);
}

void GenScriptViewAlter(TCustomObjs* MObjs, TCustomObjs* /*TObjs*/, TCustomSQLExec* SQLExec,
                        TCmpObjSetType CompareObjects) {
    if (!MObjs || !SQLExec) return;
    const bool descriptions = CompareObjects.Contains(coDescription);
    bool any = false;
    for (TViwData* m : MObjs->Viw) {
        auto* t = dynamic_cast<TViwData*>(m->GetRefObj());
        if (m->CompExclude || !t) continue;
        if (SameViewDefinition(m, t) && !m->fReCreate) {
            if (!descriptions) continue;
            if (m->Extra().fDescription != t->Extra().fDescription) {
                m->AddDescription();
                SQLExec->AddComment(kCRLF);
            }
            AddViewColumnDescriptions(m, true);
            continue;
        }
        if (!any) SQLExec->AddComment(m->GenComment("Alter View (Drop, Create)..."));
        any = true;
        const std::string suffix = m->fReCreate ? " (recreate)" : "";
        SQLExec->AddComment(t->GenComment("Drop altered view: " + t->fObjName + suffix));
        t->DropDependDef();
        if (!t->Extra().fCurrentDefinition.empty()) t->EditExtra().fCurrentDefinition.clear();
        m->SetObjCreated(false);
        SQLExec->AddComment(t->GenComment("Create altered view: " + t->fObjName + suffix));
        m->CreateDependDef();
        t->EditExtra().fCurrentDefinition = m->Extra().fCurrentDefinition;
        m->SetReCreate(false);
        if (descriptions) {
            if (!m->Extra().fDescription.empty()) m->AddDescription();
            AddViewColumnDescriptions(m, false);
        }
    }
}

}  // namespace dbtwin
