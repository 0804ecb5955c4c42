#include "objects/krvComp_Prc.h"

#include "exec/krvSQL_Exec.h"

namespace dbtwin {

TPrcData::TPrcData(TCustomObjs* aObjs)
    : TDbObj(aObjs), Params(false, true, true), Returns(false, true, true) {
    fObjType = dboProcedure;
}

TFldData* TPrcData::AddParam(const std::string& aName) { return AddOwnedFld(Params, this, aName, dboParam); }
TFldData* TPrcData::AddReturn(const std::string& aName) { return AddOwnedFld(Returns, this, aName, dboParam); }

std::string TPrcData::EmptyBody() const {
    std::string body;
    switch (GetDatabaseType()) {
        case dbMSSQL:
        case dbSybaseASE:
            return ReturnsTable ? "Return (select 0 as Result)" : "begin Return 0 end";
        case dbSybaseASA:
            return " begin Return end";
        case dbMySQL:
            return " BEGIN END";
        default:
            if (Func) body = " BEGIN RETURN NULL; END";
            else if (Returns.Empty()) body = " BEGIN EXIT; END";
            else body = " BEGIN SUSPEND; END";
            break;
    }
    if (GetDatabaseType() == dbOracle) body += ";";
    return body;
}

std::string TPrcData::EmptyDef() const {
    if (CompExclude) return std::string();
    const TDatabaseType db = GetDatabaseType();
    if (Func) {
        if (db == dbMSSQL || db == dbSybaseASE) return "CREATE FUNCTION " + GetObjFullName() + "as\r\n" + EmptyBody();
        if (db == dbSybaseASA)
            return "CREATE FUNCTION " + DialectTraits(db).ObjectName(Quoter(), dboProcedure, fSchema, Extra().OwnUser, fObjName) +
                   "returns integer as\r\n" + EmptyBody();
        return "CREATE FUNCTION " + QuoteIdent(fObjName) + " AS\r\n" + EmptyBody();
    }
    std::string r = db == dbOracle ? "CREATE OR REPLACE PROCEDURE " : "CREATE PROCEDURE ";
    if (db == dbSybaseASA)
        return r + DialectTraits(db).ObjectName(Quoter(), dboProcedure, fSchema, Extra().OwnUser, fObjName) + "as\r\n" +
               EmptyBody();
    if (db == dbMySQL) return r + GetObjFullName() + "\r\n" + EmptyBody();
    return r + GetObjFullName() + " AS\r\n" + EmptyBody();
}

void TPrcData::AssignEmptyBody(bool GenSQL) {
    if (!GetObjCreated() || fBody == EmptyBody()) return;
    fBody = EmptyBody();
    for (auto& l : fUseOf) l->Active = false;
    if (TCustomObjs* master = fObjs ? fObjs->GetObjsMaster() : nullptr)
        if (TPrcData* m = master->Prc.Find(GetObjKeyDef())) m->SetRestoreBody(true);
    if (GenSQL) {
        AddStatement(AlterDef(), stProcedure, fObjName, dboProcedure, odbEmpty);
        EditExtra().fCurrentDefinition = Def();
    }
}

void TPrcData::ForEachField(const std::function<void(TDbObj*)>& f) const {
    for (TFldData* p : Params) f(p);
    for (TFldData* p : Returns) f(p);
}

TDescriptionTarget TPrcData::DescriptionTarget() const {
    TDescriptionTarget t = TDbObj::DescriptionTarget();
    t.Function = Func;
    t.Signature = ParamDef(false);
    return t;
}

void TPrcData::AddCreateStatement() { AddStatement(CreateDef(), stProcedure, fObjName, dboProcedure, odbCreate); }

void TPrcData::AddCreateDescriptions() {
    if (!Extra().fDescription.empty()) AddDescription();
    ForEachDescribedField([](TDbObj* p) {
        if (!p->Extra().fDescription.empty()) p->AddDescription();
    });
}

void TPrcData::CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) {
    if (aWalk != uwActiveLinks || GetObjCreated()) return;
    TCustomObjs* target = aUser->fObjs ? aUser->fObjs->GetObjsTarget() : nullptr;
    if (target && target->Prc.Find(GetObjKeyDef())) return;
    aLink->Active = false;
    const TDatabaseType db = aUser->GetDatabaseType();
    if (db == dbPostgreSQL || db == dbSybaseASE || (db == dbMSSQL && GetHasReturnsTable())) {
        CreateDependDef();
    } else {
        AddStatement(EmptyDef(), stProcedure, fObjName, dboProcedure, odbEmptyCreate);
        SetRestoreBody(true);
        SetObjCreated(true);
    }
}

void TPrcData::DropForUsed(TDbObj* aUsed, TDependObj* aLink) {
    if (aUsed->GetDatabaseType() != dbSybaseASE && fBody != EmptyBody()) AssignEmptyBody(true);
    aLink->Active = false;
}

void TPrcData::DoBeforeDrop() {
    TDbObj::DoBeforeDrop();
    if (fBody != EmptyBody()) {
        fBody = EmptyBody();
        for (auto& l : fUseOf) l->Active = false;
    }
    for (std::size_t i = 0; i < fUseIn.size(); ++i) {
        TDependObj* link = fUseIn[i].get();
        if (!link->Active || !link->Obj || !link->Obj->GetObjCreated()) continue;
        link->Active = false;
        if (link->Obj->IsField() && link->viwObj) link->viwObj->DropDependDef();
        else link->Obj->DropDependDef();
    }
}

void TPrcData::SetRestoreBody(bool Value) {
    fRestoreBody = Value;
    if (auto* ref = dynamic_cast<TPrcData*>(fRefObj)) ref->fRestoreBody = Value;
}

}  // namespace dbtwin
