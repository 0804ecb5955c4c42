#include "objects/krvComp_Def.h"

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

// The table columns bound to a default or rule, as "table.column" with each part quoted.
template <typename F>
void ForEachBoundColumn(const TDbObj& aObj, F f) {
    for (const auto& l : aObj.fUseIn) {
        TDbObj* user = l->Obj;
        if (!user || !user->GetObjCreated()) continue;
        const TDbObj* table = nullptr;
        std::string column;
        if (user->IsField() && user->GetOwnerObj() && user->GetOwnerObj()->ListKind() == olTbl) {
            table = user->GetOwnerObj();
            column = user->fObjName;
        } else if (user->ListKind() == olTbl && !l->ObjField.empty()) {
            table = user;
            column = l->ObjField;
        }
        if (!table || !table->GetObjCreated()) continue;
        f(table->GetObjFullName() + "." + aObj.QuoteIdent(column), table->fObjName, column);
    }
}

bool BindsColumns(const TDbObj& aObj) {
    const TDatabaseType db = aObj.GetDatabaseType();
    return db == dbMSSQL || db == dbSybaseASE;
}

}  // namespace

std::string MSSQLBoundObjectName(const TDbObj& aObj) {
    const std::string name = aObj.QuoteIdent(aObj.fObjName);
    return aObj.fSchema.empty() ? name : aObj.QuoteIdent(aObj.fSchema) + "." + name;
}

void UnbindColumns(TDbObj& aObj, const char* aUnbind) {
    if (!BindsColumns(aObj)) return;
    const TDatabaseType db = aObj.GetDatabaseType();
    ForEachBoundColumn(aObj, [&](const std::string& col, const std::string& table, const std::string& column) {
        aObj.AddStatement(std::string("EXEC ") + aUnbind + " " + ScriptQuotedStr(col, db), stStatement, column,
                          dboField, odbAlter, table);
    });
}

void BindColumns(TDbObj& aObj, const char* aBind) {
    if (!BindsColumns(aObj)) return;
    const TDatabaseType db = aObj.GetDatabaseType();
    const std::string name = ScriptQuotedStr(MSSQLBoundObjectName(aObj), db);
    ForEachBoundColumn(aObj, [&](const std::string& col, const std::string& table, const std::string& column) {
        aObj.AddStatement(std::string("EXEC ") + aBind + " " + name + ", " + ScriptQuotedStr(col, db), stStatement,
                             column, dboField, odbAlter, table);
    });
}

// ---------------------------------------------------------------------------
// TDefData

std::string TDefData::Def() const {
    if (GetDatabaseType() == dbMSSQL) {
        if (DefExpr.empty()) return Extra().Text.str();
        return "CREATE DEFAULT " + MSSQLBoundObjectName(*this) + " AS " + DefExpr;
    }
    return "CREATE DEFAULT " + QuoteIdent(fObjName) + " AS " + DefExpr;
}

void TDefData::DoBeforeDrop() {
    UnbindColumns(*this, "sp_unbindefault");
    TDbObj::DoBeforeDrop();
}

void TDefData::AddCreateStatement() {
    TDbObj::AddCreateStatement();
    BindColumns(*this, "sp_bindefault");
}

std::string TDefData::DropDef() const {
    if (GetDatabaseType() != dbMSSQL) return TDbObj::DropDef();
    return "/* Drop: " + fObjName + " (" + ClassName() + ") */" + kCRLF + "DROP DEFAULT " + MSSQLBoundObjectName(*this);
}

// ---------------------------------------------------------------------------
// TCltData

std::string TCltData::Def() const {
    if (GetDatabaseType() != dbInterBase) return std::string();
    std::string r = "CREATE COLLATION " + QuoteIdent(fObjName) + kCRLF;
    r += "FOR " + Charset + kCRLF;
    if (!BaseCollation.empty()) r += "FROM " + BaseCollation + kCRLF;
    else if (!ExtCollation.empty()) r += "FROM EXTERNAL(" + ScriptQuotedStr(ExtCollation, dbInterBase) + ")" + kCRLF;
    r += std::string(PadSpace ? "PAD SPACE" : "NO PAD") + kCRLF;
    r += std::string(CaseSensitive ? "CASE SENSITIVE" : "CASE INSENSITIVE") + kCRLF;
    r += std::string(AccentSensitive ? "ACCENT SENSITIVE" : "ACCENT INSENSITIVE") + kCRLF;
    if (!Attributes.empty()) r += ScriptQuotedStr(Attributes, dbInterBase) + kCRLF;
    return r;
}

std::vector<std::string> TCltData::Users() const {
    std::vector<std::string> users;
    if (!fObjs) return users;
    // The collation's own list decides whether a column's collation name is this one (case rule).
    auto uses = [this](const TFldData* f) {
        const std::string& c = f->Rare().Collation;
        return !c.empty() && fObjs->Clt.Find(c) == this;
    };
    for (TTblData* t : fObjs->Tbl)
        for (TFldData* f : t->Flds)
            if (uses(f)) users.push_back("column " + t->fObjName + "." + f->fObjName);
    for (TDmnData* d : fObjs->Dmn)
        if (d->fData && uses(d->fData.get())) users.push_back("domain " + d->fObjName);
    for (TPrcData* p : fObjs->Prc)
        p->ForEachField([&](TDbObj* f) {
            if (auto* fld = dynamic_cast<TFldData*>(f); fld && uses(fld))
                users.push_back("parameter " + p->fObjName + "." + f->fObjName);
        });
    return users;
}

// ---------------------------------------------------------------------------
// Generator passes

bool CreateMissingObjects(TKeldar& k, TObjListKind aKind, const std::string& aHeading) {
    const TKindList* row = TCustomObjs::KindListOf(aKind);
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!row || !ex || !k.GetMObjs()) return false;
    bool any = false;
    row->ForEach(*k.GetMObjs(), [&](TDbObj* m) {
        if (m->CompExclude || m->GetObjCreated()) return;
        if (m->GetRefObj() && m->GetRefObj()->CompExclude) return;
        if (!any) ex->AddComment(m->GenComment(aHeading));
        any = true;
        m->CreateDependDef();
    });
    if (any) ex->AddComment(kCRLF);
    return any;
}

bool RecreateChangedObjects(TKeldar& k, TObjListKind aKind, const std::string& aHeading,
                            const std::function<bool(TDbObj* m, TDbObj* t)>& aKeep) {
    const TKindList* row = TCustomObjs::KindListOf(aKind);
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!row || !ex || !k.GetMObjs()) return false;
    bool any = false;
    row->ForEach(*k.GetMObjs(), [&](TDbObj* m) {
        TDbObj* t = m->GetRefObj();
        if (!t || m->CompExclude || t->CompExclude || !t->GetObjCreated()) return;
        if (t->Def() == m->Def()) return;
        if (!any) ex->AddComment(m->GenComment(aHeading));
        any = true;
        if (aKeep && aKeep(m, t)) return;
        t->DropDependDef();
        m->CreateDependDef();
    });
    if (any) ex->AddComment(kCRLF);
    return any;
}

void DropMissingObjects(TKeldar& k, TObjListKind aKind, const std::string& aHeading) {
    if (!k.GetTObjs()) return;
    DropUnmatchedObjects(*k.GetTObjs(), aKind, k.GetSQLExec(),
                         [&aHeading](const TDbObj* t) { return t->GenComment(aHeading); });
}

// ---------------------------------------------------------------------------
// Generators

void GenScriptDefCreate(TKeldar& k) { CreateMissingObjects(k, olDef, "Create Default..."); }
void GenScriptDefAlter(TKeldar& k) { RecreateChangedObjects(k, olDef, "Alter Default..."); }
void GenScriptDefDrop(TKeldar& k) { DropMissingObjects(k, olDef, "Drop Default..."); }

void GenScriptCltCreate(TKeldar& k) { CreateMissingObjects(k, olClt, "Create Collation..."); }

// A collation that columns, domains or parameters use cannot be dropped: its change is left
// undone, written as a comment and a warning.
void GenScriptCltAlter(TKeldar& k) {
    RecreateChangedObjects(k, olClt, "Alter Collation...", [&k](TDbObj* /*m*/, TDbObj* t) {
        const std::vector<std::string> users = static_cast<TCltData*>(t)->Users();
        if (users.empty()) return false;
        std::string list;
        for (const std::string& u : users) list += (list.empty() ? "" : ", ") + u;
        k.AddWarning("Collation " + t->fObjName + " is not changed: it cannot be dropped while used by " + list);
        return true;
    });
}

void GenScriptCltDrop(TKeldar& k) { DropMissingObjects(k, olClt, "Drop Collation..."); }

}  // namespace dbtwin
