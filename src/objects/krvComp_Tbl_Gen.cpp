// Table and column generators of the comparer, and the table/column create and drop hooks.
#include <exception>

#include "compare/krvKeldar.h"
#include "core/krvMsg.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

// ---------------------------------------------------------------------------
// Hooks

void TTblData::CreateDependDef() {
    if (!GetObjCreated()) {
        DoBeforeCreate();
        if (!GetObjCreated()) {
            AddStatement(CreateDef(), stStatement, fObjName, dboTable, odbCreate);
            if (TCustomSQLExec* ex = GetSQLExec()) ex->AddComment("\r\n");
            SetObjCreated(true);
            DoAfterCreate();
        }
        return;
    }
    if (fSkipComputedDef) return;
    // Computed columns left out of CREATE TABLE are added once what they use exists.
    for (TFldData* f : Flds) {
        if (!f->IsComputed() || f->GetObjCreated() || f->UseOfActive()) continue;
        f->CreateDependDef();
        SetUpdFldPos(true);
    }
}

void TTblData::DoBeforeDrop() {
    if (TCustomObjs* target = fObjs ? fObjs->GetObjsTarget() : nullptr) {
        for (TTrgData* t : target->Trg)
            if (t->GetObjCreated() && t->fOwnName == fObjName) t->DropDependDef();
        for (TIdxData* i : target->Idx)
            if (i->TblName == fObjName) i->DropDependDef();
    }
    for (auto& l : fUseIn) {
        TDbObj* user = l->Obj;
        if (!user) continue;
        if (user == this) {
            l->Active = false;
            continue;
        }
        auto* fld = dynamic_cast<TFldData*>(user);
        const bool otherComputed = fld && fld->IsComputed() && fld->OwnObj != this;
        if (dynamic_cast<TCtrData*>(user) || otherComputed || dynamic_cast<TPblData*>(user)) {
            l->Active = false;
            user->DropDependDef();
        }
    }
    for (TFldData* f : Flds)
        if (f->IsComputed() && f->GetObjCreated()) f->DoBeforeDrop();
    TDbObj::DoBeforeDrop();
}

void TFldData::DoBeforeCreate() {
    if (DebugLog && fObjs)
        fObjs->DoLogNextLine(std::string("DoBedoreCreate1 / ") + ClassName() + ": " + OwnName + " / " + fObjName);
    TDbObj::DoBeforeCreate();
    if (DebugLog && fObjs)
        fObjs->DoLogNextLine(std::string("DoBedoreCreate2 / ") + ClassName() + ": " + OwnName + " / " + fObjName);
    if (!Rare().DomainName.empty() && fObjs)
        if (TCustomObjs* master = fObjs->GetObjsMaster())
            if (TDmnData* d = master->Dmn.Find(Rare().DomainName); d && !d->GetObjCreated()) d->CreateDependDef();
    if (IsComputed())
        for (auto& l : fUseOf)
            if (l->Active && dynamic_cast<TUdfData*>(l->Obj)) {
                l->Active = false;
                l->Obj->CreateDependDef();
            }
}

TDescriptionTarget TFldData::DescriptionTarget() const {
    TDescriptionTarget t = TDbObj::DescriptionTarget();
    t.Field = true;
    t.Owner = OwnObj;
    t.OwnerName = OwnName;
    if (OwnObj) {
        const TObjListKind owner = OwnObj->ListKind();
        t.OfView = owner == olViw;
        t.Column = t.OfView || owner == olTbl;
        t.Parameter = owner == olPrc;
    } else {
        t.Column = fObjType == dboField;
        t.Parameter = fObjType == dboParam;
    }
    if (t.Column && !t.OfView && GetDatabaseType() == dbMySQL) t.ColumnType = TypeDef();
    return t;
}

void TFldData::AddCreateDescriptions() {
    if (!Extra().fDescription.empty()) AddDescription();
}

void TFldData::CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) {
    if (!OwnObj || OwnObj->ListKind() != olTbl) return;
    if (aWalk == uwViewSources) {
        if (fRefObj && !fRefObj->GetObjCreated() && fUseOf.empty()) {
            CreateDependDef();
            SetObjCreated(true);
        }
        return;
    }
    if (GetObjCreated()) return;
    aLink->Active = false;
    if (aUser->ListKind() == olTbl && OwnName == aUser->fObjName) return;  // created with that table
    CreateDependDef();
}

void TFldData::DropForUsed(TDbObj* aUsed, TDependObj* aLink) {
    if (aUsed->ListKind() == olViw && IsComputed()) {
        aLink->Active = false;
        DropDependDef();
    } else if (aUsed->ListKind() == olPrc && aLink->viwObj) {
        aLink->Active = false;
        aLink->viwObj->DropDependDef();
    }
}

namespace {

// False only when no view of aSet can hold a link to a table named aName: the table filed
// under that name is the only one (its key is its name) and no view uses it. Dropping many
// columns then does not walk every view of the set for each of them.
bool ViewsMayUseTable(const TCustomObjs& aSet, const std::string& aName) {
    const TTblData* t = aSet.Tbl.Find(aName);
    if (!t || t->fObjName != aName || t->GetObjKeyDef() != aName) return true;
    for (const auto& l : t->fUseIn)
        if (dynamic_cast<const TViwData*>(l->Obj)) return true;
    return false;
}

}  // namespace

void TFldData::DoBeforeDrop() {
    for (auto& l : fUseIn) {
        TDbObj* user = l->Obj;
        if (!l->Active || !user) continue;
        if (auto* p = dynamic_cast<TPrcData*>(user)) {
            if (p->Emptiable() || p->HasStandardBody()) {
                if (TCustomSQLExec* ex = GetSQLExec())
                    ex->AddComment(GenComment("Empty " + p->fObjName + " for drop " + OwnName + "(" + fObjName + ")"));
                p->AssignEmptyBody(true);
            }
            l->Active = false;
        } else if (auto* f = dynamic_cast<TFldData*>(user); f && f->IsComputed()) {
            if (TCustomSQLExec* ex = GetSQLExec())
                ex->AddComment(GenComment("Drop " + f->OwnName + "(" + f->fObjName + ") for drop " + OwnName + "(" +
                                          fObjName + ")"));
            l->Active = false;
            f->DropDependDef();
        } else if (dynamic_cast<TIdxData*>(user) || dynamic_cast<TCtrData*>(user) || dynamic_cast<TPblData*>(user)) {
            l->Active = false;
            user->DropDependDef();
        }
    }
    // Views of the target that use this column's table are dropped before it changes.
    if (TCustomObjs* target = fObjs ? fObjs->GetObjsTarget() : nullptr; target && ViewsMayUseTable(*target, OwnName))
        for (TViwData* v : target->Viw)
            for (auto& l : v->fUseOf)
                if (l->Active && l->Obj && l->Obj->fObjName == OwnName && dynamic_cast<TTblData*>(l->Obj)) {
                    l->Active = false;
                    v->DropDependDef();
                }
    TDbObj::DoBeforeDrop();
}

void TFldData::DoAfterDrop() {
    TDbObj::DoAfterDrop();
    if (auto* t = dynamic_cast<TTblData*>(OwnObj)) t->SetUpdFldPos(true);
}

// ---------------------------------------------------------------------------
// Generators

void CompareTables(TKeldar& k) {
    TCustomObjs* m = k.GetMObjs();
    TCustomObjs* t = k.GetTObjs();
    if (!m || !t) return;
    const TDatabaseType db = t->GetDatabaseType();
    for (TTblData* mt : m->Tbl) {
        mt->ReCreated = false;
        auto* tt = dynamic_cast<TTblData*>(mt->GetRefObj());
        if (!tt) continue;
        mt->Exists = true;
        mt->SetObjCreated(true);
        mt->Compare = mt->Extra().fDescription == tt->Extra().fDescription;
        if (db == dbMySQL &&
            (mt->fMySQLOptions.GetDefCharSet() != tt->fMySQLOptions.GetDefCharSet() ||
             mt->fMySQLOptions.Engine != tt->fMySQLOptions.Engine))
            mt->Compare = false;
        if ((db == dbInterBase || db == dbSybaseASA || db == dbMSSQL) &&
            (mt->GlobalTemporary != tt->GlobalTemporary || mt->TblOnCommit != tt->TblOnCommit))
            mt->Compare = false;
        std::size_t hint = 0;
        for (TFldData* mf : mt->Flds) {
            TFldData* tf = tt->FindFld(mf->fObjName, hint);
            if (!tf) {
                mt->Compare = false;
                continue;
            }
            mf->Exists = true;
            mf->SetObjCreated(true);
            tf->SetObjCreated(true);
            mf->PositionTarget = tf->Position;
            tf->PositionTarget = mf->Position;
            if (!mf->Rare().DomainName.empty() && !tf->Rare().DomainName.empty())
                mf->Compare = mf->Rare().DomainName == tf->Rare().DomainName;
            else if (mf->IsComputed())
                mf->Compare = mf->fBody == tf->fBody;
            else
                mf->Compare = mf->FieldTypeDef() == tf->FieldTypeDef() && mf->Nullable == tf->Nullable &&
                              mf->Rare().DomainName == tf->Rare().DomainName && mf->GetDefValue() == tf->GetDefValue();
            if (!mf->Compare) mt->Compare = false;
        }
    }
}

void GenScriptTablCreate(TKeldar& k) {
    TCustomObjs* m = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!m || !ex) return;
    bool any = false;
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    for (TTblData* mt : m->Tbl) {
        if (mt->CompExclude || mt->GetObjCreated()) continue;
        if (!any) ex->AddComment(mt->GenComment("Create Table..."));
        any = true;
        mt->SetSkipComputedDef(true);
        mt->CreateDependDef();
        mt->SetSkipComputedDef(false);
        mt->CreateDependDef();
        if (descriptions) {
            if (!mt->Extra().fDescription.empty()) mt->AddDescription(ex);
            for (TFldData* f : mt->Flds)
                if (!f->Extra().fDescription.empty()) f->AddDescription(ex);
        }
    }
    if (any) ex->AddComment("\r\n");
}

namespace {
void CreateMissingColumns(TTblData* t) {
    for (TFldData* f : t->Flds) {
        if (f->CompExclude || f->GetObjCreated()) continue;
        try {
            f->CreateDependDef();
            t->SetUpdFldPos(true);
        } catch (const std::exception& e) {
            ShowMessage("Create field: " + f->OwnName + "/" + f->fObjName + ": " + e.what());
        }
    }
}
}  // namespace

void GenScriptTblFldCreate(TKeldar& k) {
    TCustomObjs* m = k.GetMObjs();
    if (!m) return;
    for (TTblData* mt : m->Tbl) {
        if (mt->CompExclude || !mt->GetRefObj()) continue;
        mt->SetSkipComputedDef(true);
        CreateMissingColumns(mt);
    }
    for (TTblData* mt : m->Tbl) {
        if (mt->CompExclude) continue;
        mt->SetSkipComputedDef(false);
        CreateMissingColumns(mt);
    }
}

void GenScriptTablAlter(TKeldar& k) {
    TCustomObjs* m = k.GetMObjs();
    TCustomObjs* t = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!m || !t || !ex) return;
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    for (TTblData* mt : m->Tbl) {
        auto* tt = dynamic_cast<TTblData*>(mt->GetRefObj());
        if (!mt->Exists || mt->Compare || !tt) continue;
        if (mt->Extra().fDescription != tt->Extra().fDescription && descriptions) mt->AddDescription(ex);
        // Whether a table is temporary, and what a temporary table does on commit, cannot be
        // altered: the table is dropped and created again. The drop goes through the
        // dependency engine so that views, triggers, indices and keys on it go first and are
        // created again by their own phases; the rows are lost, hence the warning.
        if (mt->GlobalTemporary != tt->GlobalTemporary ||
            (mt->GlobalTemporary && mt->TblOnCommit != tt->TblOnCommit)) {
            k.AddWarning("Table is dropped and created again, its rows are lost: " + mt->fObjName);
            ex->AddComment(mt->GenComment("Re-create table (temporary state changed): " + mt->fObjName));
            tt->DropDependDefKeptByMaster();
            mt->SetObjCreated(false);
            mt->CreateDependDef();
            mt->ReCreated = true;
            if (descriptions)
                for (TFldData* f : mt->Flds)
                    if (!f->Extra().fDescription.empty()) f->AddDescription(ex);
        }
        if (t->GetDatabaseType() == dbMySQL) {
            const auto& mo = mt->fMySQLOptions;
            const auto& to = tt->fMySQLOptions;
            if (!mo.Engine.empty() && !to.Engine.empty() && mo.Engine != to.Engine)
                ex->Add("ALTER TABLE " + k.QuoteIdent(mt->fObjName) + " ENGINE=" + mo.Engine, stStatement,
                        mt->fObjName, dboTable, odbAlter);
            if (mo.GetDefCharSet() != to.GetDefCharSet() && !mo.GetDefCharSet().empty())
                ex->Add("ALTER TABLE " + k.QuoteIdent(mt->fObjName) + " DEFAULT CHARSET=" + mo.GetDefCharSet(),
                        stStatement, mt->fObjName, dboTable, odbAlter);
        }
    }
    GenScriptColumnsAlter(k);
    // Position check: same column count, every master column present, some position differs.
    for (TTblData* mt : m->Tbl) {
        auto* tt = dynamic_cast<TTblData*>(mt->GetRefObj());
        if (!tt || mt->ReCreated || mt->Flds.Count() != tt->Flds.Count()) continue;
        bool differs = false, missing = false;
        std::size_t hint = 0;
        for (TFldData* f : mt->Flds) {
            TFldData* g = tt->FindFld(f->fObjName, hint);
            if (!g) {
                missing = true;
                break;
            }
            if (f->Position != g->Position) differs = true;
        }
        if (differs && !missing) mt->SetUpdFldPos(true);
    }
    // Where the columns will not be put in the master's order, the script says so.
    const TDatabaseType db = t->GetDatabaseType();
    const bool reorders = db == dbMySQL ||
                          (db == dbInterBase && k.GetIBCompareOptions().GetUpdateFieldPosition()) ||
                          (db == dbMSSQL && k.GetMSSQLCompareOptions().GetUpdateColumnPosition()) ||
                          (db == dbPostgreSQL && k.GetPGSQLCompareOptions().GetUpdateColumnPosition());
    if (reorders) return;
    for (TTblData* mt : m->Tbl) {
        auto* tt = dynamic_cast<TTblData*>(mt->GetRefObj());
        if (!tt || mt->ReCreated || mt->CompExclude) continue;
        const std::vector<std::string> now = ColumnOrderAfterAdds(*mt, *tt, false);
        const std::vector<std::string> wanted = MasterColumnOrder(*mt);
        if (now == wanted) continue;
        auto list = [&k](const std::vector<std::string>& names) {
            std::string r;
            for (const std::string& n : names) r += (r.empty() ? "" : ", ") + k.QuoteIdent(n);
            return r;
        };
        k.AddWarning("Column order of " + mt->GetObjFullName() + " is not changed: the table keeps (" + list(now) +
                     "), the master has (" + list(wanted) + ")");
    }
}

namespace {
// PostgreSQL cannot move a column: with the option on, a table whose column order differs
// from the master's is rebuilt.
void PGSQLRebuildForColumnOrder(TKeldar& k) {
    TCustomObjs* m = k.GetMObjs();
    if (!m || !k.GetPGSQLCompareOptions().GetUpdateColumnPosition()) return;
    for (TTblData* mt : m->Tbl) {
        auto* tt = dynamic_cast<TTblData*>(mt->GetRefObj());
        mt->SetUpdFldPos(tt && !mt->ReCreated && !mt->CompExclude &&
                         ColumnOrderAfterAdds(*mt, *tt, false) != MasterColumnOrder(*mt));
    }
    RecreateTablesForColumnOrder(k);
}
}  // namespace

void GenScriptTablDrop(TKeldar& k) {
    TCustomObjs* m = k.GetMObjs();
    TCustomObjs* t = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!m || !t || !ex) return;
    bool anyColumn = false;
    for (TTblData* tt : t->Tbl) {
        auto* mt = dynamic_cast<TTblData*>(tt->GetRefObj());
        if (tt->CompExclude || !mt) continue;
        std::size_t hint = 0;
        for (TFldData* f : tt->Flds) {
            if (!f->GetObjCreated() || mt->FindFld(f->fObjName, hint)) continue;
            if (!anyColumn) ex->AddComment(tt->GenComment("Drop table-fields..."));
            anyColumn = true;
            f->DropDependDef();
            mt->SetUpdFldPos(true);
        }
    }
    if (anyColumn) ex->AddComment("\r\n");
    bool anyTable = false;
    for (TTblData* tt : t->Tbl) {
        // A table the host excluded from the comparison is never dropped.
        if (!tt->GetObjCreated() || tt->GetRefObj() || tt->CompExclude) continue;
        if (!anyTable) {
            ex->AddReConnect();
            ex->AddComment(tt->GenComment("Drop tables..."));
        }
        anyTable = true;
        tt->DropDependDef();
    }
    if (anyTable) ex->AddComment("\r\n");
}

void GenScriptTblFldPosition(TKeldar& k) {
    TCustomObjs* m = k.GetMObjs();
    TCustomObjs* t = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (m && t && ex && t->GetDatabaseType() == dbMSSQL) {
        MSSQLUpdateColumnPositionRecreateTable(k);
        return;
    }
    if (m && t && ex && t->GetDatabaseType() == dbPostgreSQL) {
        PGSQLRebuildForColumnOrder(k);
        return;
    }
    if (!m || !t || !ex || t->GetDatabaseType() != dbInterBase ||
        !k.GetIBCompareOptions().GetUpdateFieldPosition())
        return;
    const TIBSQLServerVersionType ver = t->fIBServerOptions.GetSQLServerVersion();
    const bool oldIB = ver == st_InterBase_4x || ver == st_InterBase_5x;
    for (TTblData* mt : m->Tbl) {
        if (mt->ReCreated) mt->SetUpdFldPos(false);
        if (mt->CompExclude || !mt->fUpdFldPos) continue;
        int i = 0;
        for (TFldData* f : mt->Flds) {
            ++i;
            std::string text =
                oldIB ? "UPDATE RDB$RELATION_FIELDS SET RDB$FIELD_POSITION = " + std::to_string(i) + "\r\n" +
                            " WHERE RDB$RELATION_NAME = " + ScriptQuotedStr(mt->fObjName, dbInterBase) +
                            " AND RDB$FIELD_NAME = " + ScriptQuotedStr(f->fObjName, dbInterBase)
                      : "ALTER TABLE " + k.QuoteIdent(mt->fObjName) + " ALTER COLUMN " + k.QuoteIdent(f->fObjName) +
                            " POSITION " + std::to_string(i);
            ex->Add(text, stStatement, f->fObjName, dboField, odbAlter, mt->fObjName);
        }
        mt->SetUpdFldPos(false);
    }
}

}  // namespace dbtwin
