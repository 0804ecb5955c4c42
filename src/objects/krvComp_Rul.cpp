#include "objects/krvComp_Rul.h"

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Def.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

const char* EventWord(TInsUpdDelType aEvent) {
    switch (aEvent) {
        case iudSelect: return "SELECT ";
        case iudInsert: return "INSERT ";
        case iudUpdate: return "UPDATE ";
        case iudDelete: return "DELETE ";
        default: return "";
    }
}

}  // namespace

std::string TRulData::GetObjKeyDef() const {
    if (!fObjs || fObjs->fDatabaseType != dbPostgreSQL) return TDbObj::GetObjKeyDef();
    return SchObjName(SchName.empty() ? fSchema.str() : SchName, TblName) + "." + fObjName;
}

std::string TRulData::PGTableName() const {
    const std::string& schema = SchName.empty() ? fSchema.str() : SchName;
    const std::string table = QuoteIdent(TblName);
    return schema.empty() ? table : QuoteIdent(schema) + "." + table;
}

std::string TRulData::Def() const {
    switch (GetDatabaseType()) {
        case dbMSSQL:
            if (RuleExpr.empty()) return Extra().Text.str();
            return "CREATE RULE " + MSSQLBoundObjectName(*this) + " AS " + RuleExpr;
        case dbPostgreSQL: {
            std::string r = "CREATE RULE " + QuoteIdent(fObjName) + " AS ON " + EventWord(Event) + "TO " + PGTableName();
            if (!Cond.empty()) r += " WHERE " + Cond;
            r += " DO";
            if (!Action.empty()) r += " " + Action;
            if (Nothing) r += " NOTHING";
            if (!RuleExpr.empty()) r += std::string(kCRLF) + " " + RuleExpr;
            return r;
        }
        default:
            return "CREATE RULE " + GetObjFullName() + " AS " + RuleExpr;
    }
}

std::string TRulData::DropDef() const {
    switch (GetDatabaseType()) {
        case dbPostgreSQL:
            return "DROP RULE IF EXISTS " + QuoteIdent(fObjName) + " ON " + PGTableName();
        case dbMSSQL:
            return "/* Drop: " + fObjName + " (" + ClassName() + ") */" + kCRLF + "DROP RULE " +
                   MSSQLBoundObjectName(*this);
        default:
            return TDbObj::DropDef();
    }
}

void TRulData::DoBeforeDrop() {
    UnbindColumns(*this, "sp_unbindrule");
    TDbObj::DoBeforeDrop();
}

void TRulData::AddCreateStatement() {
    TDbObj::AddCreateStatement();
    BindColumns(*this, "sp_bindrule");
}

void TRulData::DropForUsed(TDbObj* aUsed, TDependObj* aLink) {
    if (GetDatabaseType() != dbPostgreSQL) return;
    const TObjListKind kind = aUsed->ListKind();
    if (kind != olTbl && kind != olViw) return;
    // The server drops the rule with its table or view; the master writes it again.
    aLink->Active = false;
    SetObjCreated(false);
}

void GenScriptRulCreate(TKeldar& k) { CreateMissingObjects(k, olRul, "Create Rule..."); }
void GenScriptRulAlter(TKeldar& k) { RecreateChangedObjects(k, olRul, "Alter Rule..."); }
void GenScriptRulDrop(TKeldar& k) { DropMissingObjects(k, olRul, "Drop Rule..."); }

}  // namespace dbtwin
