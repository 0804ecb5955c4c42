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
            return "CREATE FUNCTION " + DialectTraits(db).ObjectName(Quoter(), dboProcedure, fSchema, OwnUser, fObjName) +
                   "returns integer as\r\n" + EmptyBody();
        return "CREATE FUNCTION " + QuoteIdent(fObjName) + " AS\r\n" + EmptyBody();
    }
    std::string r = db == dbOracle ? "CREATE OR REPLACE PROCEDURE " : "CREATE PROCEDURE ";
    if (db == dbSybaseASA)
        return r + DialectTraits(db).ObjectName(Quoter(), dboProcedure, fSchema, OwnUser, fObjName) + "as\r\n" +
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
        fCurrentDefinition = Def();
    }
}

void TPrcData::SetRestoreBody(bool Value) {
    fRestoreBody = Value;
    if (auto* ref = dynamic_cast<TPrcData*>(fRefObj)) ref->fRestoreBody = Value;
}

}  // namespace dbtwin
