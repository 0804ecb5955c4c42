#include "objects/krvComp_Fnc.h"

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

// The column named by a link from a table that uses one of its columns.
TFldData* LinkedColumn(const TDependObj& aLink) {
    auto* table = dynamic_cast<TTblData*>(aLink.Obj);
    return table && !aLink.ObjField.empty() ? table->FindFld(aLink.ObjField) : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// TUdfData

TUdfData::TUdfData(TCustomObjs* aObjs) : TDbObj(aObjs), PrmList(false, true, true) {
    fObjType = dboFunction;
    RtnFld = std::make_unique<TFldData>(aObjs);
    RtnFld->fObjType = dboParam;
    RtnFld->OwnObj = this;
}

TUdfData::~TUdfData() = default;

TFldData* TUdfData::AddPrm() { return AddOwnedFld(PrmList, this, std::string(), dboParam); }

std::string TUdfData::Def() const {
    std::string r = "DECLARE EXTERNAL FUNCTION " + QuoteIdent(fObjName) + kCRLF;
    if (!PrmList.Empty()) {
        std::string args;
        for (TFldData* p : PrmList) args += (args.empty() ? "" : ", ") + p->Def();
        r += args + kCRLF;
    }
    r += "RETURNS " + RtnFld->Def();
    if (FreeIt) r += " FREE_IT";
    r += kCRLF;
    const TDatabaseType db = GetDatabaseType();
    return r + "ENTRY_POINT " + ScriptQuotedStr(EntryPoint, db) + " MODULE_NAME " + ScriptQuotedStr(ModuleName, db);
}

void TUdfData::DoBeforeDrop() {
    TDbObj::DoBeforeDrop();
    for (std::size_t i = 0; i < fUseIn.size(); ++i) {
        TDependObj* link = fUseIn[i].get();
        TDbObj* user = link->Obj;
        if (!link->Active || !user) continue;
        if (user->IsField()) {
            TDbObj* owner = user->GetOwnerObj();
            if (owner && owner->ListKind() == olViw) {
                link->Active = false;
                owner->DropDependDef();
            } else if (user->IsComputedColumn() && user->GetObjCreated()) {
                link->Active = false;
                user->DropDependDef();
            }
        } else if (TFldData* col = LinkedColumn(*link); col && col->IsComputed() && col->GetObjCreated()) {
            link->Active = false;
            col->DropDependDef();
        }
    }
}

void TUdfData::DoAfterDrop() {
    TDbObj::DoAfterDrop();
    TCustomObjs* master = fObjs ? fObjs->GetObjsMaster() : nullptr;
    if (!master || master == fObjs) return;
    for (auto& link : fUseIn) {
        TDbObj* user = link->Obj;
        if (!user || !user->IsField()) continue;
        TDbObj* owner = user->GetOwnerObj();
        if (!owner) continue;
        if (owner->ListKind() == olViw) {
            if (TViwData* v = master->Viw.Find(owner->GetObjKeyDef()); v && !v->GetObjCreated()) v->CreateDependDef();
        } else if (user->IsComputedColumn()) {
            TTblData* t = master->Tbl.Find(owner->GetObjKeyDef());
            TFldData* c = t ? t->FindFld(user->fObjName) : nullptr;
            if (c && !c->GetObjCreated()) c->CreateDependDef();
        }
    }
}

// ---------------------------------------------------------------------------
// Generators

bool RebuiltLater(TCmpObjSetType aCompareObjects, const TDbObj* aUser) {
    if (!aUser) return false;
    if (aUser->IsField()) return aUser->IsComputedColumn() && aCompareObjects.Contains(coTable);
    switch (aUser->ListKind()) {
        case olPrc: return aCompareObjects.Contains(coProcedure);
        case olTrg: return aCompareObjects.Contains(coTrigger);
        case olViw: return aCompareObjects.Contains(coView);
        case olIdx: return aCompareObjects.Contains(coIndex);
        case olCtr:
            if (auto* c = dynamic_cast<const TCtrData*>(aUser)) {
                switch (c->fCtType) {
                    case ctCheck: case ctNotNull: case ctDefault: return aCompareObjects.Contains(coCheck);
                    case ctPKey: return aCompareObjects.Contains(coPrimaryKey);
                    case ctUnique: return aCompareObjects.Contains(coUnique);
                    case ctFKey: return aCompareObjects.Contains(coForeignKey);
                    default: return false;
                }
            }
            return false;
        default: return false;
    }
}

void GenScriptUdfCreate(TCustomObjs* MObjs, TCustomObjs* /*TObjs*/, TCustomSQLExec* SQLExec,
                        TCmpObjSetType CompareObjects) {
    if (!MObjs || !SQLExec) return;
    bool any = false;
    for (TUdfData* m : MObjs->Udf) {
        if (m->GetRefObj() || m->GetObjCreated()) continue;
        if (!any) SQLExec->AddComment("/* Declare UDF */");
        any = true;
        m->CreateDependDef();
        if (CompareObjects.Contains(coDescription) && !m->Extra().fDescription.empty()) m->AddDescription();
    }
    if (any) SQLExec->AddComment(kCRLF);
}

namespace {

// Takes down what uses the target function t before it is dropped and declared again:
// routines and triggers are emptied (their bodies are restored later), computed columns,
// views, indices and constraints are dropped (their create phases write them again from
// the master). A user that no later phase would rebuild stays, with a warning: the drop of
// the function fails while it stands.
void TakeDownUdfUsers(TKeldar& k, TUdfData& t) {
    TCustomSQLExec* ex = k.GetSQLExec();
    const TCmpObjSetType objects = k.GetCompareObjects();
    auto comment = [&](const std::string& text) { ex->AddComment(t.GenComment(text)); };
    auto cannot = [&](const TDbObj* user, const std::string& why) {
        k.AddWarning(std::string(user->ClassName()) + " " + user->GetCaption() + " uses external function " +
                     t.fObjName + " and " + why + ": DROP EXTERNAL FUNCTION " + t.fObjName +
                     " fails while it stands");
    };
    for (std::size_t i = 0; i < t.fUseIn.size(); ++i) {
        TDependObj* link = t.fUseIn[i].get();
        TDbObj* user = link->Obj;
        if (!link->Active || !user || !user->GetObjCreated()) continue;
        TDbObj* down = user;  // what is taken down for this link
        if (TFldData* col = LinkedColumn(*link)) down = col;
        if (down->IsField() && !down->IsComputedColumn()) {
            // A column of a view: the view goes.
            TDbObj* owner = down->GetOwnerObj();
            if (!owner || owner->ListKind() != olViw) continue;
            down = owner;
        }
        if (down->ListKind() == olDmn) {
            link->Active = false;
            cannot(down, "is a domain whose check cannot be rebuilt here");
            continue;
        }
        if (!RebuiltLater(objects, down)) {
            cannot(down, "would not be rebuilt by the compared categories");
            continue;
        }
        link->Active = false;
        switch (down->ListKind()) {
            case olPrc:
                if (auto* p = dynamic_cast<TPrcData*>(down); p && p->fBody != p->EmptyBody()) {
                    comment("Empty dependent procedure body before Function Alter (Drop/Create)");
                    p->AssignEmptyBody(true);
                }
                break;
            case olTrg:
                if (auto* trg = dynamic_cast<TTrgData*>(down); trg && trg->fBody != trg->EmptyBody()) {
                    comment("Empty dependent trigger body before Function Alter (Drop/Create)");
                    trg->AssignEmptyBody();
                }
                break;
            case olViw:
                comment(down == user ? "drop view for UDF alter" : "drop view (field) for UDF alter");
                down->DropDependDef();
                if (auto* v = dynamic_cast<TViwData*>(down)) v->SetReCreate(true);
                break;
            case olIdx:
                comment("drop index for UDF alter");
                down->DropDependDef();
                break;
            case olCtr:
                comment("drop constraint for UDF alter");
                down->DropDependDef();
                break;
            default:
                comment(down == user ? "drop calc-field for UDF alter"
                                     : "Drop Computed field before Function Alter (Drop/Create)");
                down->DropDependDef();
                break;
        }
    }
}

}  // namespace

void GenScriptUdfAlter(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !ex) return;
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    bool any = false;
    for (TUdfData* m : M->Udf) {
        auto* t = dynamic_cast<TUdfData*>(m->GetRefObj());
        if (!t) continue;
        if (m->Def() != t->Def()) {
            if (!any) ex->AddComment("/* Alter UDF(Drop/Declare) */");
            any = true;
            TakeDownUdfUsers(k, *t);
            t->AddStatement("DROP EXTERNAL FUNCTION " + k.QuoteIdent(t->fObjName), stStatement, t->fObjName,
                            dboFunction, odbDrop);
            m->AddStatement(m->Def(), stStatement, m->fObjName, dboFunction, odbCreate);
        }
        if (descriptions && m->Extra().fDescription != t->Extra().fDescription) m->AddDescription();
    }
    if (any) ex->AddComment(kCRLF);
}

void GenScriptUdfDrop(TCustomObjs* /*MObjs*/, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                      TCmpObjSetType /*CompareObjects*/) {
    if (!TObjs) return;
    DropUnmatchedObjects(*TObjs, olUdf, SQLExec, [](const TDbObj*) { return std::string("/* Drop UDF */"); });
}

}  // namespace dbtwin
