#include "objects/krvComp_Tbl.h"

#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Idx.h"

namespace dbtwin {

namespace {
bool ColumnNamesCaseSensitive(const TCustomObjs* aObjs) {
    return !(aObjs && DialectTraits(aObjs->GetDatabaseType()).CaseInsensitiveColumns);
}
}  // namespace

TFldData* AddOwnedFld(TFldList& aList, TDbObj* aOwner, const std::string& aName, TDbObject aKind) {
    auto* f = new TFldData(aOwner->fObjs);
    f->fObjType = aKind;
    f->SetObjName(aName);
    f->OwnName = aOwner->fObjName;
    f->OwnObj = aOwner;
    f->Position = static_cast<std::int32_t>(aList.Count());
    if (!aList.Add(f->fObjName, f)) {
        delete f;
        return nullptr;
    }
    return f;
}

TTblData::TTblData(TCustomObjs* aObjs) : TDbObj(aObjs), Flds(false, true, true) {
    fObjType = dboTable;
    Flds.SetCaseSensitive(ColumnNamesCaseSensitive(aObjs));
}

void TTblData::DoBeforeCreate() {
    TDbObj::DoBeforeCreate();
    for (TFldData* f : Flds) {
        if (f->IsComputed()) {
            if (!fSkipComputedDef) f->DoBeforeCreate();
            else continue;
        }
        f->SetObjCreated(true);
    }
}

void TTblData::CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) {
    if (aWalk != uwActiveLinks || !aLink->ObjField.empty()) return;
    aLink->Active = false;
    if (aUser->IsComputedColumn()) {
        const bool saved = fSkipComputedDef;
        fSkipComputedDef = true;
        for (auto& other : aUser->fUseOf)
            if (other->Obj && other->Obj->GetOwnerObj() == this && other->Obj->IsComputedColumn())
                fSkipComputedDef = false;
        CreateDependDef();
        fSkipComputedDef = saved;
    } else if (aUser->ListKind() != olTbl || fObjName != aUser->fObjName) {
        CreateDependDef();
    }
}

TFldData* TTblData::AddFld(const std::string& aName) { return AddOwnedFld(Flds, this, aName, dboField); }

void TTblData::SetUpdFldPos(bool Value) {
    fUpdFldPos = Value;
    if (auto* ref = dynamic_cast<TTblData*>(fRefObj)) ref->fUpdFldPos = Value;
}

namespace {

// Cuts the separator after the last item of a list ("," + CRLF) and closes it. A list
// with no item keeps its text: cutting blindly would eat into the table name.
void CloseList(std::string& r) {
    if (r.size() >= 3 && r.compare(r.size() - 3, 3, ",\r\n") == 0) r.erase(r.size() - 3);
    r += ")";
}

}  // namespace

std::string TTblData::TypeDef() const {
    const TDatabaseType db = GetDatabaseType();
    std::string r = GlobalTemporary ? "GLOBAL TEMPORARY " : "";
    r += "TABLE " + GetObjFullName();
    if (db == dbInterBase && !ExternalFile.empty())
        r += "\r\nEXTERNAL FILE '" + ReplaceAll(ExternalFile, "'", "''") + "'\r\n";
    if (db == dbOracle) {
        if (!OfType.empty()) r += " OF " + OfType;
        if (!NestedTable.empty()) r += "\r\nNESTED TABLE " + NestedTable;
    }
    if (!Flds.Empty()) {
        r += "(";
        for (TFldData* f : Flds) {
            if (fSkipComputedDef && f->IsComputed()) continue;
            r += f->Def() + ",\r\n";
        }
        if (db == dbMySQL)
            for (TFldData* f : Flds)
                if (!f->Rare().KeyName.empty())
                    r += "KEY " + QuoteIdent(f->Rare().KeyName) + "(" + QuoteIdent(f->fObjName) + "),\r\n";
        CloseList(r);
    }
    if (!AsSelect.empty()) r += "\r\nAS " + AsSelect;
    if (WithOids) r += " WITH OIDS";
    if (TblOnCommit == tocDelete && db != dbSybaseASA) r += "\r\n ON COMMIT DELETE ROWS";
    if (TblOnCommit == tocPreserve) r += "\r\n ON COMMIT PRESERVE ROWS";
    if (db == dbOracle) {
        const std::string space = fTblSpace.Def();
        if (!space.empty()) r += "\r\n" + space;
        if (!TableSpace.empty()) r += "\r\nTABLESPACE " + TableSpace;
        if (Compress) r += "\r\nCOMPRESS";
        if (NoLogging) r += "\r\nNOLOGGING";
        if (!Storage.empty()) r += "\r\nSTORAGE" + Storage;
        if (!ClusterName.empty()) r += "\r\nCLUSTER " + ClusterName + ClusterFlds;
        if (!Lob.empty()) r += "\r\nLOB" + Lob;
        if (!StoreAs.empty()) r += "\r\nSTORE AS " + StoreAs;
        if (!NestedTableExpr.empty()) r += "\r\n" + NestedTableExpr;
        if (!Partition1.empty()) r += "\r\nPARTITION BY RANGE " + Partition1 + " " + Partition2;
    }
    return r;
}

std::string TTblData::MySQLCreateDef() const {
    std::string r = "CREATE TABLE " + QuoteIdent(GetRefObjName());
    if (!Flds.Empty()) {
        r += "(";
        for (TFldData* f : Flds) r += f->Def() + ",\r\n";
        if (fObjs) {
            for (TConstraintType kind : {ctPKey, ctUnique})
                for (TCtrData* c : fObjs->Ctr) {
                    if (c->fCtType != kind || c->fTblName != fObjName) continue;
                    const char* what = kind == ctPKey ? "PRIMARY KEY" : "UNIQUE";
                    if (!c->fObjName.empty())
                        r += "CONSTRAINT " + QuoteIdent(c->fObjName) + " " + what;
                    else
                        r += what;
                    r += "(" + c->GetFields() + "),\r\n";
                    c->SetObjCreated(true);
                }
            for (TIdxData* x : fObjs->Idx) {
                if (x->TblName != fObjName) continue;
                if (x->Unique) r += "UNIQUE ";
                if (x->FullText) r += "FULLTEXT ";
                if (x->Spatial) r += "SPATIAL ";
                r += "KEY " + QuoteIdent(x->fObjName);
                if (!x->IndexOptions.Using.empty()) r += " USING " + x->IndexOptions.Using;
                r += " (" + x->GetFlds() + "),\r\n";
                x->SetObjCreated(true);
            }
        }
        CloseList(r);
    }
    return r + fMySQLOptions.Def();
}

std::string TTblData::CreateDef() const {
    if (GetDatabaseType() == dbMySQL) return MySQLCreateDef();
    return "CREATE " + TypeDef();
}

std::string TTblData::DropDef() const { return "DROP TABLE " + GetObjFullName(); }

}  // namespace dbtwin
