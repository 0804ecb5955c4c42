#include "objects/krvComp_Idx.h"

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"

namespace dbtwin {

TIdxData::TIdxData(TCustomObjs* aObjs)
    : TDbObj(aObjs), Flds(false, true, true), IncludeCols(false, true, true) {
    fObjType = dboIndex;
}

namespace {
TFldData* AddIndexColumn(TFldList& aList, TIdxData* aIdx, const std::string& aName) {
    TFldData* f = AddOwnedFld(aList, aIdx, aName, dboField);
    if (f) f->OwnName = aIdx->TblName;
    return f;
}

// A body or condition as it follows a keyword: separated by one blank.
std::string AfterKeyword(const std::string& aText) {
    if (aText.empty() || aText.front() == ' ') return aText;
    return " " + aText;
}
}  // namespace

TFldData* TIdxData::AddFld(const std::string& aName) { return AddIndexColumn(Flds, this, aName); }
TFldData* TIdxData::AddIncludeCol(const std::string& aName) { return AddIndexColumn(IncludeCols, this, aName); }

void TIdxData::ClearFlds() {
    Flds.Clear();
    IncludeCols.Clear();
}

std::string TIdxData::GetFlds() const {
    const bool mysql = GetDatabaseType() == dbMySQL;
    std::string r;
    for (TFldData* f : Flds) {
        if (!r.empty()) r += ", ";
        r += QuoteIdent(f->fObjName);
        // MySQL wants the prefix length right after the name: "c(10) DESC".
        if (mysql && f->CharLength > 0) r += "(" + std::to_string(f->CharLength) + ")";
        if (f->Rare().IndexSortType == 2) r += " DESC";
    }
    return r;
}

std::string TIdxData::GetIncludeCols() const {
    std::string r;
    for (TFldData* f : IncludeCols) {
        if (!r.empty()) r += ", ";
        r += QuoteIdent(f->fObjName);
    }
    return r;
}

// Index names are unique only per table in MySQL.
std::string TIdxData::GetObjKeyDef() const {
    const TDatabaseType db = fObjs ? fObjs->GetDatabaseType() : dbAbstract;
    if (db == dbMySQL) return TblName + "." + fObjName;
    // SQL Server and PostgreSQL key an index by its table within the schema.
    if ((db == dbMSSQL || db == dbPostgreSQL) && !TblName.empty())
        return (fSchema.empty() ? std::string() : fSchema + ".") + TblName + "." + fObjName;
    return TDbObj::GetObjKeyDef();
}

std::string TIdxData::Def() const {
    const TDatabaseType db = GetDatabaseType();
    const TDialectTraits& traits = DialectTraits(db);
    const std::string name = QuoteIdent(fObjName);
    const std::string table = traits.TableName(Quoter(), fSchema, Extra().OwnUser, TblName);
    // PostgreSQL's default method is btree: an index that names it equals one that does not.
    const std::string& method = IndexOptions.Using;
    const bool pgMethod = db == dbPostgreSQL && !method.empty() && !SameText(method, "btree");

    std::string r = "CREATE ";
    if (Unique) r += "UNIQUE ";
    if (Bitmap) r += "BITMAP ";
    if (db == dbMSSQL) {
        if (Clustered) r += "CLUSTERED ";
        if (Primary) r += "PRIMARY ";
        if (Xml) r += "XML ";
    }
    if (FullText) r += "FULLTEXT ";
    if (Spatial) r += "SPATIAL ";
    if (Desc) r += "DESC ";
    switch (db) {
        case dbMSSQL:
        case dbPostgreSQL:
            r += "INDEX " + name + " ON " + table;
            if (pgMethod) r += " USING " + method;
            break;
        // The index is named in its own schema, which need not be the session's.
        case dbOracle:
        case dbDB2: r += "INDEX " + GetObjFullName() + " ON " + table; break;
        case dbMySQL:
            r += "INDEX " + name;
            if (!method.empty()) r += " USING " + method;
            r += " ON " + table;
            break;
        default:
            r += "INDEX " + name + " ON " + table;
            break;
    }
    if (fBody.empty()) r += "(" + GetFlds() + ")";
    else if (db == dbOracle) r += fBody;
    // An expression index of PostgreSQL and MySQL is an expression in the column list.
    else if (db == dbPostgreSQL || db == dbMySQL) r += "(" + fBody + ")";
    else r += " COMPUTED BY" + AfterKeyword(fBody);
    if (!IncludeCols.Empty()) r += "\r\n  INCLUDE (" + GetIncludeCols() + ")";
    if (db == dbMSSQL) {
        if (!WhereCond.empty()) r += "\r\nWHERE " + WhereCond;
        if (!UsingIndex.empty()) r += "\r\n   " + UsingIndex;
        if (!FileGroup.empty()) r += "\r\nON " + QuoteIdent(FileGroup);
    }
    // A partial index keeps its condition; without it the index would cover every row.
    if (db == dbPostgreSQL && !WhereCond.empty()) r += "\r\nWHERE " + WhereCond;
    if (db == dbOracle) {
        if (!IndexType.empty()) r += "\r\n   INDEXTYPE IS " + IndexType;
        if (!Parameters.empty()) r += "\r\n   PARAMETERS " + Parameters;
        if (Compress) r += "\r\nCOMPRESS";
        if (NoCompress) r += "\r\nNOCOMPRESS";
        if (NoLogging) r += "\r\nNOLOGGING";
        if (!TableSpace.empty()) r += "\r\nTABLESPACE " + TableSpace;
    }
    const std::string space = fTblSpace.Def();
    if (!space.empty()) r += "\r\n" + space;
    if (db == dbDB2 && AllowReverseScans) r += "\r\n  ALLOW REVERSE SCANS";
    return r;
}

std::string TIdxData::DropDef() const {
    const TDatabaseType db = GetDatabaseType();
    const std::string name = QuoteIdent(fObjName);
    const std::string table = DialectTraits(db).TableName(Quoter(), fSchema, Extra().OwnUser, TblName);
    switch (db) {
        case dbMSSQL:
        case dbSybaseASE:
        case dbSybaseASA: return "DROP INDEX " + table + "." + name;
        case dbMySQL: return "DROP INDEX " + name + " ON " + table;
        // An index without a schema is found through the search path.
        case dbPostgreSQL: return "DROP INDEX " + GetObjFullName();
        case dbOracle:
        case dbDB2: return "/* Drop: " + fObjName + " (" + ClassName() + ")" + " */" + "\r\n" + "DROP INDEX " + GetObjFullName();
        default: return TDbObj::DropDef();
    }
}

void TIdxData::DoBeforeDrop() {
    TDbObj::DoBeforeDrop();
    if (GetDatabaseType() == dbInterBase)
        if (TCustomSQLExec* ex = GetSQLExec()) ex->AddReConnect();
}

// ---------------------------------------------------------------------------
// Generators

namespace {
// ALTER INDEX ... ACTIVE / INACTIVE exists only in InterBase/Firebird.
bool HasActivation(const TKeldar& k) {
    const TCustomObjs* t = k.GetTObjs();
    return t && t->GetDatabaseType() == dbInterBase;
}
}  // namespace

void GenScriptIdxCreate(TKeldar& k) {
    TCustomObjs* m = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!m || !ex) return;
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    bool any = false;
    for (TIdxData* x : m->Idx) {
        // A master index without counterpart starts not created; one created already (by
        // MySQL's CREATE TABLE, say) is not written again.
        if (x->CompExclude || x->GetObjCreated()) continue;
        if (!any) ex->AddComment("/* Create index... */");
        any = true;
        // One with a counterpart was dropped earlier in this run (its table or a column
        // changed): created now from the master, it is done.
        x->ReCreated = x->GetRefObj() != nullptr;
        x->CreateDependDef();
        if (!x->Active && HasActivation(k))
            ex->Add("ALTER INDEX " + x->QuoteIdent(x->fObjName) + " INACTIVE", stStatement, x->fObjName, dboIndex,
                    odbAlter);
        if (descriptions && !x->Extra().fDescription.empty()) x->AddDescription(ex);
    }
    if (any) ex->AddComment("\r\n");
}

void GenScriptIdxAlter(TKeldar& k) {
    TCustomObjs* m = k.GetMObjs();
    TCustomObjs* t = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!m || !t || !ex) return;
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    const bool mssql = t->GetDatabaseType() == dbMSSQL;
    bool opened = false;
    auto open = [&] {
        if (!opened) ex->AddComment("/* Alter index (Drop, Create)... */");
        opened = true;
    };
    for (TIdxData* mx : m->Idx) {
        auto* tx = dynamic_cast<TIdxData*>(mx->GetRefObj());
        if (mx->CompExclude || !tx) continue;
        if (mx->ReCreated) {
            mx->ReCreated = false;
            continue;
        }
        const std::string md = mx->Def();
        const std::string td = tx->Def();
        if (mssql ? !SameText(md, td) : md != td) {
            open();
            tx->DropDependDef();
            mx->CreateDependDef();
        } else if (mx->Active != tx->Active && HasActivation(k)) {
            open();
            ex->Add("ALTER INDEX " + mx->GetObjFullName() + (mx->Active ? " ACTIVE" : " INACTIVE"), stStatement,
                    mx->fObjName, dboIndex, odbAlter);
            // The target's own record keeps its extracted state, so that comparing the same
            // sets again gives the same script.
        }
        if (descriptions && mx->Extra().fDescription != tx->Extra().fDescription) mx->AddDescription(ex);
    }
    if (opened) ex->AddComment("\r\n");
}

void GenScriptIdxDrop(TKeldar& k) {
    TCustomObjs* t = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!t) return;
    if (TCustomObjs* m = k.GetMObjs())
        for (TIdxData* x : m->Idx) x->ReCreated = false;
    DropUnmatchedObjects(*t, olIdx, ex, [](const TDbObj*) { return std::string("/* Drop Index... */"); });
}

}  // namespace dbtwin
