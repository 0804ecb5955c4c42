#include "model/krvClasses.h"

#include <algorithm>

#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "extract/krvCustomExtract.h"
#include "model/krvDBStructure.h"
#include "objects/krvCompColumn.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Rul.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "parse/krvASAParser.h"
#include "parse/krvASEParser.h"
#include "parse/krvDB2Parser.h"
#include "parse/krvIBParser.h"
#include "parse/krvLocalSQLParser.h"
#include "parse/krvMSSQLParser.h"
#include "parse/krvMySQLParser.h"
#include "parse/krvOracleParser.h"
#include "parse/krvPGSQLParser.h"

namespace dbtwin {

std::string Quote_Ident(std::string_view aIdent, TDatabaseType aDatabaseType,
                        TIBSQLServerVersionType aServerVersion, TIBSQLDialectType aSQLDialect) {
    switch (aDatabaseType) {
        case dbInterBase: return IBQuoteIdent(aIdent, aServerVersion, aSQLDialect);
        case dbSybaseASA: return ASAQuoteIdent(aIdent);
        case dbMySQL: return MySQLQuoteIdent(aIdent);
        case dbMSSQL: return MSSQLQuoteIdent(aIdent);
        case dbPostgreSQL: return PGSQLQuoteIdent(aIdent);
        case dbOracle: return OracleQuoteIdent(aIdent);
        case dbDB2: return DB2QuoteIdent(aIdent);
        case dbParadox:
        case dbDBASE: return LocalSQLQuoteIdent(aIdent);
        case dbSybaseASE:
            // Names are written as they are (keywords included: ASE's own reserved words are
            // not those of the bracket list); a name whose characters need delimiting would
            // break the script or run as SQL, so it is bracketed.
            if (aIdent.find(']') != std::string_view::npos ||
                (!aIdent.empty() && aIdent.front() != '<' && !MSSQLPlainIdentChars(aIdent)))
                return ASEQuoteIdent(aIdent);
            return std::string(aIdent);
        default: return std::string(aIdent);
    }
}

namespace {

std::string NormalizeLineBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// Removes the link at index i of list, and its counterpart from the other object's list.
void RemoveLinkPair(TDependList& list, std::size_t i) {
    TDependObj* link = list[i].get();
    if (TDependObj* partner = link->Partner) {
        partner->Partner = nullptr;
        TDependList& other = partner->InUseIn ? partner->Holder->fUseIn : partner->Holder->fUseOf;
        auto it = std::find_if(other.begin(), other.end(),
                               [partner](const auto& p) { return p.get() == partner; });
        if (it != other.end()) other.erase(it);
    }
    link->Partner = nullptr;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
}

void RemoveAllLinks(TDependList& list) {
    while (!list.empty()) RemoveLinkPair(list, list.size() - 1);
}

bool IsHexUpper(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

// ---------------------------------------------------------------------------
// TDbObj

TDbObj::TDbObj(TCustomObjs* aObjs) : fObjs(aObjs) {}

TDbObj::~TDbObj() {
    // Links come in pairs: take the counterparts out of the linked objects' lists so that
    // no link is left pointing at this object.
    RemoveAllLinks(fUseIn);
    RemoveAllLinks(fUseOf);
}

std::string FoldedName(const TCustomObjs* aObjs, const std::string& aName) {
    if (!aObjs) return aName;
    return DialectTraits(aObjs->GetDatabaseType())
        .FoldName(aName, aObjs->fMSSQLServerOptions.GetMSSQLCompareOptions().GetCaseSensitiveIdentifiers());
}

void TDbObj::SetObjName(const std::string& aName) { fObjName = FoldedName(fObjs, aName); }

void TDbObj::SetSchema(const std::string& aSchema) { fSchema = FoldedName(fObjs, aSchema); }

void TDbObj::SetDescription(const std::string& aText) { fDescription = Trim(NormalizeLineBreaks(aText)); }
void TDbObj::SetBody(const std::string& aText) { fBody = Trim(NormalizeLineBreaks(aText)); }

std::string TDbObj::GetDbPrefix() const { return fObjs ? fObjs->GetDbPrefix() : std::string(); }

std::string TDbObj::GetShortObjName() const {
    const std::string prefix = GetDbPrefix();
    if (!prefix.empty() && fObjName.compare(0, prefix.size(), prefix) == 0)
        return fObjName.substr(prefix.size());
    return fObjName;
}

std::string TDbObj::GetRefObjName() const {
    std::string other;
    if (fObjs && fObjs->fLinkedObjs) other = fObjs->fLinkedObjs->GetDbPrefix();
    return other + GetShortObjName();
}

TDatabaseType TDbObj::GetDatabaseType() const {
    if (!fObjs) return dbAbstract;
    if (fObjs->fGenTargetDef && fObjs->fLinkedObjs) return fObjs->fLinkedObjs->fDatabaseType;
    return fObjs->fDatabaseType;
}

const TIBServerOptions* TDbObj::GetIBServerOptions() const {
    if (!fObjs) return nullptr;
    if (fObjs->fGenTargetDef && fObjs->fLinkedObjs) return &fObjs->fLinkedObjs->fIBServerOptions;
    return &fObjs->fIBServerOptions;
}

TCmpObjSetType TDbObj::GetCompareObjects() const {
    return fObjs ? fObjs->fCompareObjects : TCmpObjSetType::All();
}

TCustomSQLExec* TDbObj::GetSQLExec() const { return fObjs ? fObjs->fSQLExec : nullptr; }

TUpdateDescriptionType TDbObj::GetUpdateDescriptionType() const {
    if (GetDatabaseType() != dbInterBase) return udDescribe;
    const TIBServerOptions* ib = GetIBServerOptions();
    return ib ? ib->GetIBCompareOptions().GetUpdateDescriptionMode() : udSysTables;
}

void TDbObj::SetObjCreated(bool Value) {
    fObjCreated = Value;
    if (fRefObj) fRefObj->fObjCreated = Value;
}

std::string TDbObj::OwnerTableName() const {
    if (auto* f = dynamic_cast<const TFldData*>(this)) return f->OwnName;
    return std::string();
}

std::string TDbObj::GetObjFullName() const {
    return DialectTraits(GetDatabaseType()).ObjectName(Quoter(), fObjType, fSchema, OwnUser, fObjName);
}

std::string TDbObj::GetObjKeyDef() const {
    const TDatabaseType db = fObjs ? fObjs->fDatabaseType : dbAbstract;
    switch (db) {
        case dbMSSQL:
        case dbPostgreSQL: {
            std::string key = fObjName;
            if (auto* idx = dynamic_cast<const TIdxData*>(this); idx && !idx->TblName.empty())
                key = idx->TblName + "." + key;
            if (!fSchema.empty()) key = fSchema + "." + key;
            return key;
        }
        case dbSybaseASA:
        case dbOracle:
        case dbDB2:
            return SchObjName(fSchema, fObjName);
        default: {
            const std::string prefix = GetDbPrefix();
            if (!prefix.empty() && fObjName.compare(0, prefix.size(), prefix) == 0)
                return fObjName.substr(prefix.size() - 1);
            return fObjName;
        }
    }
}

std::string TDbObj::GetCaption() const {
    const std::string shortName = GetShortObjName();
    if (shortName.empty()) return !SysName.empty() ? SysName : Def();
    switch (GetDatabaseType()) {
        case dbSybaseASA:
            return OwnUser.empty() ? shortName : OwnUser + "." + shortName;
        case dbMSSQL:
        case dbPostgreSQL:
        case dbDB2:
            return fObjType == dboField ? fObjName : GetObjFullName();
        default:
            return shortName;
    }
}

std::string TDbObj::CompareDef() const {
    if (fObjType == dboView) return DialectTraits(GetDatabaseType()).ViewCompareText(Def());
    return Def();
}

std::string TDbObj::CreateDef() const {
    if (TCustomSQLExec* ex = GetSQLExec()) ex->SetCurrentSchema(fSchema);
    if (CompExclude) return std::string();
    return Def();
}

std::string TDbObj::DropDef() const {
    std::string r = "/* Drop: " + fObjName + " (" + ClassName() + ")" + " */" + "\r\n";
    switch (fObjType) {
        case dboFunction: r += "DROP EXTERNAL FUNCTION " + QuoteIdent(fObjName); break;
        case dboException: r += "DROP EXCEPTION " + QuoteIdent(fObjName); break;
        case dboIndex: r += "DROP INDEX " + QuoteIdent(fObjName); break;
        case dboDomain: r += "DROP DOMAIN " + QuoteIdent(fObjName); break;
        case dboField:
            r += "ALTER TABLE " + QuoteIdent(OwnerTableName()) + " DROP " + QuoteIdent(fObjName);
            break;
        case dboCollation: r += "DROP COLLATION " + QuoteIdent(fObjName); break;
        case dboRule: r += "DROP RULE " + QuoteIdent(fObjName); break;
        case dboDefault: r += "DROP DEFAULT " + QuoteIdent(fObjName); break;
        default: break;
    }
    return r;
}

std::string TDbObj::SourceDef() const { return fSourceDefinition.empty() ? Def() : fSourceDefinition; }

std::string TDbObj::GenComment(const std::string& aComment) const {
    return DialectTraits(GetDatabaseType()).Comment(aComment);
}

std::string TDbObj::QuoteIdent(const std::string& aIdent) const {
    if (!fObjs) return aIdent;
    const TDatabaseType db = GetDatabaseType();
    if (db == dbCustomOLEDB) {
        switch (fObjs->fIdentQuote) {
            case iqSingleQuote: return "'" + aIdent + "'";
            case iqDoubleQuote: return "\"" + aIdent + "\"";
            case iqBrackQuote: return "[" + aIdent + "]";
            default: return aIdent;
        }
    }
    const TIBServerOptions* ib = GetIBServerOptions();
    return Quote_Ident(aIdent, db, ib->GetSQLServerVersion(), ib->GetSQLDialect());
}

bool TDbObj::UseInActive() const {
    for (const auto& l : fUseIn)
        if (l->Active && l->Obj && l->Obj != this && l->Obj->GetObjCreated()) return true;
    return false;
}

bool TDbObj::UseOfActive() const {
    for (const auto& l : fUseOf)
        if (l->Active && l->Obj && l->Obj != this && !l->Obj->GetObjCreated()) return true;
    return false;
}

TStatement* TDbObj::AddStatement(const std::string& aText, TStatType aTyp, const std::string& aObjName,
                                 TDbObject aObjType, TDbOperation aOperation,
                                 const std::string& aOwnName) {
    TCustomSQLExec* ex = GetSQLExec();
    if (!ex) return nullptr;
    return ex->Add(aText, aTyp, aObjName, aObjType, aOperation, aOwnName);
}

void TDbObj::AddDescription() {
    if (TCustomSQLExec* ex = GetSQLExec()) ex->AddDescription(this);
}

// Write a create with dependencies: what the object uses first, then the object.
void TDbObj::CreateDependDef() {
    if (fInCreate) return;  // a cycle of uses leads back here: the outer call writes it
    fInCreate = true;
    DoBeforeCreate();
    if (GetDatabaseType() == dbPostgreSQL)
        if (TCustomSQLExec* ex = GetSQLExec()) ex->SetCurrentSchema(fSchema);
    if (!GetObjCreated()) {
        if (dynamic_cast<TPrcData*>(this)) {
            AddStatement(CreateDef(), stProcedure, fObjName, dboProcedure, odbCreate);
        } else if (auto* trg = dynamic_cast<TTrgData*>(this)) {
            AddStatement(CreateDef(), stTrigger, fObjName, dboTrigger, odbCreate);
            trg->CreateBody = fBody;
            for (auto& l : fUseIn) l->Active = false;
        } else {
            AddStatement(CreateDef(), stStatement, GetObjFullName(), fObjType, odbCreate, OwnerTableName());
            SetObjCreated(true);
        }
        if (GetCompareObjects().Contains(coDescription)) {
            if (dynamic_cast<TFldData*>(this) && !fDescription.empty()) AddDescription();
            if (auto* prc = dynamic_cast<TPrcData*>(this)) {
                if (!fDescription.empty()) AddDescription();
                for (TFldData* p : prc->Params)
                    if (!p->fDescription.empty()) p->AddDescription();
                for (TFldData* p : prc->Returns)
                    if (!p->fDescription.empty()) p->AddDescription();
            }
        }
        SetObjCreated(true);
    }
    DoAfterCreate();
    fInCreate = false;
}

// Before a create: pull in what the object uses, in the order of its use links. Each link
// is deactivated before the used object is written, so that objects using each other do
// not pull each other in without end.
void TDbObj::DoBeforeCreate() {
    auto* self_fld = dynamic_cast<TFldData*>(this);
    if (DebugLog && fObjs) {
        if (self_fld) fObjs->DoLogNextLine(std::string(ClassName()) + ": " + self_fld->OwnName + " / " + fObjName);
        else fObjs->DoLogNextLine(std::string(ClassName()) + ": " + fObjName);
    }
    if (self_fld)
        for (auto& l : fUseOf)
            if (l->Obj && l->Obj->fObjName == self_fld->OwnName) l->Active = false;

    const bool selfIsTable = dynamic_cast<TTblData*>(this) != nullptr;
    const bool selfIsView = dynamic_cast<TViwData*>(this) != nullptr;
    const bool selfIsTrigger = dynamic_cast<TTrgData*>(this) != nullptr;
    const TDatabaseType db = GetDatabaseType();

    for (std::size_t i = 0; i < fUseOf.size(); ++i) {
        TDependObj* link = fUseOf[i].get();
        if (!link->Active || !link->Obj) continue;
        TDbObj* used = link->Obj;

        if (auto* tbl = dynamic_cast<TTblData*>(used); tbl && link->ObjField.empty()) {
            link->Active = false;
            if (self_fld && self_fld->IsComputed()) {
                // The table is created without its computed columns, unless this column
                // needs another computed column of that table.
                const bool saved = tbl->fSkipComputedDef;
                tbl->fSkipComputedDef = true;
                for (auto& other : fUseOf) {
                    auto* f = dynamic_cast<TFldData*>(other->Obj);
                    if (f && f->OwnObj == tbl && f->IsComputed()) tbl->fSkipComputedDef = false;
                }
                tbl->CreateDependDef();
                tbl->fSkipComputedDef = saved;
            } else if (!selfIsTable || tbl->fObjName != fObjName) {
                tbl->CreateDependDef();
            }
            continue;
        }
        if (!link->Active || used->GetObjCreated()) continue;

        if (auto* fld = dynamic_cast<TFldData*>(used); fld && dynamic_cast<TTblData*>(fld->OwnObj)) {
            link->Active = false;
            if (selfIsTable && fld->OwnName == fObjName) continue;  // created with this table
            if (!fld->GetObjCreated()) fld->CreateDependDef();
        } else if (selfIsTrigger && dynamic_cast<TViwData*>(used)) {
            used->CreateDependDef();
        } else if (auto* prc = dynamic_cast<TPrcData*>(used)) {
            TCustomObjs* target = fObjs ? fObjs->GetObjsTarget() : nullptr;
            if (!target || !target->Prc.Find(prc->GetObjKeyDef())) {
                link->Active = false;
                if (db == dbPostgreSQL || db == dbSybaseASE || (db == dbMSSQL && prc->GetHasReturnsTable())) {
                    prc->CreateDependDef();
                } else {
                    prc->AddStatement(prc->EmptyDef(), stProcedure, prc->fObjName, dboProcedure, odbEmptyCreate);
                    prc->SetRestoreBody(true);
                    prc->SetObjCreated(true);
                }
            }
        } else if (auto* viw = dynamic_cast<TViwData*>(used)) {
            link->Active = false;
            if (!selfIsView || viw->fObjName != fObjName) viw->CreateDependDef();
        }
    }
}

// Write a drop with dependencies: what uses the object is dropped or emptied first.
void TDbObj::DropDependDef() {
    if (TCustomObjs* master = fObjs ? fObjs->GetObjsMaster() : nullptr) {
        if (dynamic_cast<TTblData*>(this) && master->Tbl.Find(GetObjKeyDef())) return;
        if (dynamic_cast<TGnrData*>(this) && master->Gnr.Find(GetObjKeyDef())) return;
    }
    DropDependDefKeptByMaster();
}

void TDbObj::DropDependDefKeptByMaster() {
    if (!GetObjCreated() || fInDrop) return;
    fInDrop = true;
    DoBeforeDrop();
    if (GetObjCreated()) {
        if (auto* tbl = dynamic_cast<TTblData*>(this))
            for (TFldData* f : tbl->Flds) f->SetObjCreated(false);
        if (auto* viw = dynamic_cast<TViwData*>(this))
            for (TFldData* f : viw->Flds) f->SetObjCreated(false);
        std::string name = fObjName;
        if (name.empty() && dynamic_cast<TCtrData*>(this)) name = SysName;
        AddStatement(DropDef(), stStatement, name, fObjType, odbDrop, OwnerTableName());
        SetObjCreated(false);
    }
    DoAfterDrop();
    fInDrop = false;
}

// Before a drop: drop or neutralise what uses the object, in the order of its used-in links.
void TDbObj::DoBeforeDrop() {
    auto* selfFld = dynamic_cast<TFldData*>(this);
    auto* selfPrc = dynamic_cast<TPrcData*>(this);
    const bool selfIsView = dynamic_cast<TViwData*>(this) != nullptr;
    const TDatabaseType db = GetDatabaseType();

    for (std::size_t i = 0; i < fUseIn.size(); ++i) {
        TDependObj* link = fUseIn[i].get();
        TDbObj* user = link->Obj;
        if (!user) continue;
        if (selfFld && user->fObjName == selfFld->OwnName) link->Active = false;
        if (dynamic_cast<TViwData*>(user) && user->GetObjCreated()) link->Active = true;
        if (!user->GetObjCreated()) link->Active = false;
        if (!link->Active) continue;

        auto* userFld = dynamic_cast<TFldData*>(user);
        if (auto* prc = dynamic_cast<TPrcData*>(user)) {
            if (db != dbSybaseASE && prc->fBody != prc->EmptyBody()) prc->AssignEmptyBody(true);
            link->Active = false;
        } else if (selfIsView && userFld && userFld->IsComputed()) {
            link->Active = false;
            userFld->DropDependDef();
        } else if (dynamic_cast<TViwData*>(user)) {
            link->Active = false;
            user->DropDependDef();
            user->SetObjCreated(false);
        } else if (selfPrc && userFld && link->viwObj) {
            link->Active = false;
            link->viwObj->DropDependDef();
        } else if (auto* trg = dynamic_cast<TTrgData*>(user)) {
            link->Active = false;
            // Where ALTER TRIGGER cannot replace a body, the trigger is dropped; the trigger
            // generator writes it again from the master.
            if (!trg->CanAlterBody()) {
                trg->DropDependDef();
            } else if (trg->fBody != trg->EmptyBody()) {
                trg->SetEmptyBody();
                trg->AddStatement(trg->AlterDef(), stTrigger, trg->fObjName, dboTrigger, odbEmpty);
            }
        } else if (dynamic_cast<TGntData*>(user)) {
            user->SetObjCreated(false);
            link->Active = false;
        }
    }

    if (selfPrc) {
        if (selfPrc->fBody != selfPrc->EmptyBody()) {
            selfPrc->fBody = selfPrc->EmptyBody();
            for (auto& l : fUseOf) l->Active = false;
        }
        for (std::size_t i = 0; i < fUseIn.size(); ++i) {
            TDependObj* link = fUseIn[i].get();
            if (!link->Active || !link->Obj || !link->Obj->GetObjCreated()) continue;
            link->Active = false;
            if (dynamic_cast<TFldData*>(link->Obj) && link->viwObj) link->viwObj->DropDependDef();
            else link->Obj->DropDependDef();
        }
    }
}

void TDbObj::CheckSysName() {
    if (!fObjs) return;
    const TDatabaseType db = fObjs->fDatabaseType;
    auto* ctr = dynamic_cast<TCtrData*>(this);
    auto* dmn = dynamic_cast<TDmnData*>(this);
    bool isSys = false;

    if (db == dbPostgreSQL) {
        if (dmn) {
            if (!dmn->CheckDef.empty() && !dmn->CheckName.empty() && dmn->CheckName == fObjName + "_check")
                dmn->CheckName.clear();
            return;
        }
        if (!ctr) return;
        // The server names constraints table_column(s)_suffix; a table-level check has no
        // column part.
        const std::string t = ctr->fTblName + "_";
        std::string cols;
        for (TFldData* f : ctr->Flds) cols += f->fObjName + "_";
        switch (ctr->fCtType) {
            case ctPKey: isSys = fObjName == t + "pkey"; break;
            case ctFKey: isSys = fObjName == t + cols + "fkey"; break;
            case ctCheck: isSys = fObjName == t + "check" || (!cols.empty() && fObjName == t + cols + "check"); break;
            case ctUnique: isSys = !cols.empty() && fObjName == t + cols + "key"; break;
            default: break;
        }
    } else if (db == dbDB2) {
        isSys = ctr && Utf8Length(fObjName) == 18 && fObjName.compare(0, 3, "SQL") == 0;
    } else if (db == dbMSSQL || db == dbSybaseASE) {
        if (!ctr) return;
        const char* prefix = nullptr;
        switch (ctr->fCtType) {
            case ctPKey: prefix = "PK__"; break;
            case ctUnique: prefix = "UQ__"; break;
            case ctFKey: prefix = "FK__"; break;
            case ctDefault: prefix = "DF__"; break;
            default: break;
        }
        const std::string& n = fObjName;
        if (prefix && n.size() >= 14 && n.compare(0, 4, prefix) == 0) {
            const std::string tail = n.substr(n.size() - 10);
            isSys = tail[0] == '_' && tail[1] == '_' &&
                    std::all_of(tail.begin() + 2, tail.end(), IsHexUpper);
        }
    }
    if (isSys && ctr) {
        SysName = fObjName;
        fObjName.clear();
    }
}

// ---------------------------------------------------------------------------
// TDependObj

TDependObj::TDependObj(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboDepend; }

TDependObj::~TDependObj() {
    if (Partner) Partner->Partner = nullptr;
}

std::string TDependObj::GetCaption() const {
    if (!ObjField.empty()) return fObjName + " (field: " + ObjField + ")";
    if (Computed) return "(+/-) " + fObjName;
    if (Obj) return Obj->GetCaption();
    return fObjName;
}

// ---------------------------------------------------------------------------
// TCustomObjs

TCustomObjs::TCustomObjs() {
    fConnectionOptions.SetUserName("SYSDBA");
    fConnectionOptions.SetPassword("masterkey");
}

TCustomObjs::~TCustomObjs() {
    fConnectionOptions.SetUserName("");
    fConnectionOptions.SetPassword("");
    Clear();
}

void TCustomObjs::Clear() {
    // Free every filed object; each takes its links (and their counterparts) with it.
    Sch.Clear(); Dmn.Clear(); Udf.Clear(); Trg.Clear(); Prc.Clear(); Tbl.Clear(); Exc.Clear();
    Gnr.Clear(); Idx.Clear(); Viw.Clear(); Rol.Clear(); Gnt.Clear(); Ctr.Clear();
    Prk.Clear(); Frk.Clear(); Unq.Clear(); Chk.Clear(); Ref.Clear(); Cdf.Clear();
    Rul.Clear(); Def.Clear(); Pkg.Clear(); Pbl.Clear(); Opr.Clear(); Opc.Clear(); Cnv.Clear();
    Evt.Clear(); Clt.Clear();
    fNotFiled.clear();
    fGrantIndex.clear();
    MetaData.clear();
    fIBServerOptions.GetIBDatabaseOptions().Clear();
    fMSSQLServerOptions.GetMSSQLDatabaseOptions().Clear();
    fASAServerOptions.GetASADatabaseOptions().Clear();
    fTermString = ";";
    ExtractFrom = efUnknown;
    CurrentSchema.clear();
    CurrentSchemaPath.clear();
    DBDescription.clear();
}

void TCustomObjs::SetDatabaseType(TDatabaseType aType) {
    fDatabaseType = aType;
    const bool ci = DialectTraits(aType).CaseInsensitiveKeys;
    Dmn.SetCaseSensitive(!ci); Udf.SetCaseSensitive(!ci); Trg.SetCaseSensitive(!ci);
    Prc.SetCaseSensitive(!ci); Tbl.SetCaseSensitive(!ci); Exc.SetCaseSensitive(!ci);
    Gnr.SetCaseSensitive(!ci); Idx.SetCaseSensitive(!ci); Ctr.SetCaseSensitive(!ci);
    Prk.SetCaseSensitive(!ci); Frk.SetCaseSensitive(!ci); Unq.SetCaseSensitive(!ci);
    Chk.SetCaseSensitive(!ci); Ref.SetCaseSensitive(!ci); Cdf.SetCaseSensitive(!ci);
    Viw.SetCaseSensitive(!ci); Rol.SetCaseSensitive(!ci); Gnt.SetCaseSensitive(!ci);
    Rul.SetCaseSensitive(!ci); Def.SetCaseSensitive(!ci); Pkg.SetCaseSensitive(!ci);
    Pbl.SetCaseSensitive(!ci); Clt.SetCaseSensitive(!ci);
}

bool TCustomObjs::Accept_Obj(TDbObj* aObj) {
    bool accept = aObj != nullptr;
    if (!aObj) return false;
    if (fDBStructure && fDBStructure->GetExtractor())
        accept = fDBStructure->GetExtractor()->AcceptObj(aObj->fObjName, aObj->fObjType);
    if (fOnAccept_Obj) fOnAccept_Obj(this, aObj, accept);
    return accept;
}

namespace {
template <typename T>
bool FileInto(TKeyedList<T>& list, const std::string& key, TDbObj* obj) {
    return list.Add(key, static_cast<T*>(obj));
}
}  // namespace

bool TCustomObjs::AddObj(TDbObj* aObj, bool FreeNotAdded) {
    if (!aObj) return false;
    auto reject = [&] {
        if (FreeNotAdded) delete aObj;
        return false;
    };
    if (!Accept_Obj(aObj)) return reject();
    if (fDatabaseType == dbInterBase && fIBServerOptions.GetIBCompareOptions().GetIgnoreIBEObjects() &&
        aObj->fObjName.compare(0, 4, "IBE$") == 0)
        return reject();

    const std::string key = aObj->GetObjKeyDef();
    int filed = -1;  // -1 unknown class, 0 duplicate key, 1 filed
    auto tryList = [&](auto& list, auto* typed) {
        if (filed == -1 && typed) filed = FileInto(list, key, aObj) ? 1 : 0;
    };
    tryList(Udf, dynamic_cast<TUdfData*>(aObj));
    tryList(Dmn, dynamic_cast<TDmnData*>(aObj));
    tryList(Tbl, dynamic_cast<TTblData*>(aObj));
    tryList(Viw, dynamic_cast<TViwData*>(aObj));
    tryList(Prc, dynamic_cast<TPrcData*>(aObj));
    tryList(Trg, dynamic_cast<TTrgData*>(aObj));
    tryList(Idx, dynamic_cast<TIdxData*>(aObj));
    tryList(Gnr, dynamic_cast<TGnrData*>(aObj));
    tryList(Ctr, dynamic_cast<TCtrData*>(aObj));
    tryList(Exc, dynamic_cast<TExcData*>(aObj));
    tryList(Gnt, dynamic_cast<TGntData*>(aObj));
    tryList(Def, dynamic_cast<TDefData*>(aObj));
    tryList(Rul, dynamic_cast<TRulData*>(aObj));
    tryList(Pkg, dynamic_cast<TPkgData*>(aObj));
    tryList(Rol, dynamic_cast<TRolData*>(aObj));
    tryList(Pbl, dynamic_cast<TPblData*>(aObj));
    tryList(Sch, dynamic_cast<TSchData*>(aObj));
    tryList(Opr, dynamic_cast<TOprData*>(aObj));
    tryList(Opc, dynamic_cast<TOpcData*>(aObj));
    tryList(Cnv, dynamic_cast<TCnvData*>(aObj));
    tryList(Evt, dynamic_cast<TEvtData*>(aObj));
    tryList(Clt, dynamic_cast<TCltData*>(aObj));

    if (filed == 1) {
        if (auto* g = dynamic_cast<TGntData*>(aObj)) IndexGrant(g, key);
        return true;
    }
    if (filed == -1) {
        ErrMsg(std::string("Unknown DbObject to add (") + aObj->ClassName() + ")");
        return reject();
    }
    // Key already filed: the first object stays; this one is kept alive until Clear.
    if (FreeNotAdded) fNotFiled.emplace_back(aObj);
    return false;
}

namespace {
std::string GrantMatchKey(const TGntData* g) {
    return g->GntObjName + '\x1F' + g->User + '\x1F' + std::to_string(g->Option);
}
}  // namespace

void TCustomObjs::IndexGrant(TGntData* aGrant, const std::string& aKey) {
    fGrantIndex[GrantMatchKey(aGrant)].push_back(aKey);
}

TGntData* TCustomObjs::AddGrant(TGntData* aGrant) {
    if (!aGrant) return nullptr;
    auto it = fGrantIndex.find(GrantMatchKey(aGrant));
    if (it != fGrantIndex.end()) {
        for (const std::string& key : it->second) {
            TGntData* g = Gnt.Find(key);
            if (!g || g == aGrant || GrantMatchKey(g) != GrantMatchKey(aGrant)) continue;
            if (g->Flds.empty() && aGrant->Flds.empty()) {
                g->Privilege += aGrant->Privilege;
                return nullptr;
            }
            if (g->Privilege == aGrant->Privilege && !g->Flds.empty() && !aGrant->Flds.empty()) {
                for (const std::string& f : aGrant->Flds)
                    if (std::find(g->Flds.begin(), g->Flds.end(), f) == g->Flds.end()) g->Flds.push_back(f);
                return nullptr;
            }
        }
    }
    return AddObj(aGrant, false) ? aGrant : nullptr;
}

void TCustomObjs::SortGrants() {
    Gnt.ReKey([](TGntData* g) { return g->GetObjKeyDef(); });
    fGrantIndex.clear();
    for (std::size_t i = 0; i < Gnt.Count(); ++i) IndexGrant(Gnt.Objects(i), Gnt.Keys(i));
}

namespace {
TFldData* FindColumn(TDbObj* aObj, const std::string& aName) {
    if (auto* t = dynamic_cast<TTblData*>(aObj)) return t->FindFld(aName);
    if (auto* v = dynamic_cast<TViwData*>(aObj)) return v->FindFld(aName);
    return nullptr;
}
}  // namespace

void TCustomObjs::LinkDepend(TDbObj* aUser, TDbObj* aUsed, const std::string& aFieldName,
                             std::int32_t PosX, std::int32_t PosY) {
    if (!aUser || !aUsed) return;
    std::string field = aFieldName;
    if (!field.empty()) {
        if (TFldData* col = FindColumn(aUsed, field)) {
            aUsed = col;
            field.clear();
        } else if (dynamic_cast<TTblData*>(aUser) &&
                   (dynamic_cast<TCtrData*>(aUsed) || dynamic_cast<TDmnData*>(aUsed))) {
            LinkDepend(aUser, aUsed, std::string(), PosX, PosY);
            if (TFldData* col = FindColumn(aUser, field)) {
                aUser = col;
                field.clear();
            }
        } else if (dynamic_cast<TPrcData*>(aUsed)) {
            field.clear();
        }
    }
    if (aUser == aUsed) return;  // an object never depends on itself
    for (const auto& l : aUser->fUseOf)
        if (l->Obj == aUsed && l->ObjField == field) return;
    InternalLinkDepend(aUser, aUsed, field, PosX, PosY);
}

void TCustomObjs::InternalLinkDepend(TDbObj* aUser, TDbObj* aUsed, const std::string& aFieldName,
                                     std::int32_t PosX, std::int32_t PosY) {
    if (!aUser || !aUsed) return;
    if (!aFieldName.empty()) {
        if (TFldData* col = FindColumn(aUsed, aFieldName)) LinkDepend(aUser, col, std::string(), PosX, PosY);
        return;
    }
    auto useOf = std::make_unique<TDependObj>(this);
    useOf->fObjType = aUsed->fObjType;
    useOf->fObjName = aUsed->fObjName;
    useOf->Obj = aUsed;
    useOf->PosX = PosX;
    useOf->PosY = PosY;
    useOf->Holder = aUser;
    auto useIn = std::make_unique<TDependObj>(this);
    useIn->fObjType = aUser->fObjType;
    useIn->fObjName = aUser->fObjName;
    useIn->Obj = aUser;
    useIn->PosX = PosX;
    useIn->PosY = PosY;
    useIn->Holder = aUsed;
    useIn->InUseIn = true;
    useOf->Partner = useIn.get();
    useIn->Partner = useOf.get();
    aUser->fUseOf.push_back(std::move(useOf));
    aUsed->fUseIn.push_back(std::move(useIn));
}

void TCustomObjs::ClearDepend(TDbObj* aObj, TDbObj* aOther) {
    if (!aObj) return;
    for (TDependList* list : {&aObj->fUseIn, &aObj->fUseOf})
        for (std::size_t i = list->size(); i-- > 0;)
            if ((*list)[i]->Obj == aOther) RemoveLinkPair(*list, i);
}

void TCustomObjs::RemoveDepend(TDbObj* aObj) {
    if (!aObj) return;
    RemoveAllLinks(aObj->fUseIn);
    RemoveAllLinks(aObj->fUseOf);
    const TFldList* cols = nullptr;
    if (auto* t = dynamic_cast<TTblData*>(aObj)) cols = &t->Flds;
    else if (auto* v = dynamic_cast<TViwData*>(aObj)) cols = &v->Flds;
    if (cols)
        for (TFldData* f : *cols) {
            RemoveAllLinks(f->fUseIn);
            RemoveAllLinks(f->fUseOf);
        }
}

void TCustomObjs::ForEachObject(const std::function<void(TDbObj*)>& f) const {
    auto each = [&f](const auto& list) {
        for (auto* o : list) f(o);
    };
    auto withCols = [&f](const auto& list) {
        for (auto* o : list) {
            f(o);
            for (TFldData* c : o->Flds) f(c);
        }
    };
    each(Dmn); each(Udf); withCols(Viw); withCols(Tbl);
    for (TPrcData* p : Prc) {
        f(p);
        for (TFldData* c : p->Params) f(c);
        for (TFldData* c : p->Returns) f(c);
    }
    each(Trg); each(Ctr); each(Exc); each(Gnr); each(Idx);
    each(Sch); each(Rol); each(Gnt); each(Rul); each(Def); each(Pkg); each(Pbl);
    each(Opr); each(Opc); each(Cnv); each(Evt); each(Clt);
}

void TCustomObjs::SaveLinkStates() {
    ForEachObject([](TDbObj* o) {
        for (auto& l : o->fUseIn) l->ActiveSaved = l->Active;
        for (auto& l : o->fUseOf) l->ActiveSaved = l->Active;
    });
}

void TCustomObjs::RestoreLinkStates() {
    ForEachObject([](TDbObj* o) {
        for (auto& l : o->fUseIn) l->Active = l->ActiveSaved;
        for (auto& l : o->fUseOf) l->Active = l->ActiveSaved;
    });
}

TCustomObjs* TCustomObjs::GetObjsMaster() { return fCompareRole == crMasterRole ? this : fLinkedObjs; }
TCustomObjs* TCustomObjs::GetObjsTarget() { return fCompareRole == crTargetRole ? this : fLinkedObjs; }

std::string TCustomObjs::GetDbPrefix() const {
    return fDBStructure ? fDBStructure->GetDbPrefix() : std::string();
}

std::string TCustomObjs::GetDefinedSQLVersion() const {
    int ver = -1;
    switch (fDatabaseType) {
        case dbInterBase: ver = fIBServerOptions.GetSQLServerVersion(); break;
        case dbSybaseASA: ver = fASAServerOptions.GetSQLServerVersion(); break;
        case dbMySQL: ver = fMySQLServerOptions.GetSQLServerVersion(); break;
        case dbOracle: ver = fOracleServerOptions.GetSQLServerVersion(); break;
        case dbMSSQL: ver = fMSSQLServerOptions.GetSQLServerVersion(); break;
        case dbPostgreSQL: ver = fPGSQLServerOptions.GetSQLServerVersion(); break;
        case dbDB2: ver = fDB2ServerOptions.GetSQLServerVersion(); break;
        case dbSybaseASE: ver = fASEServerOptions.GetSQLServerVersion(); break;
        default: return std::string();
    }
    std::string name = GetServerVerStr(fDatabaseType, ver);
    return name.empty() ? std::string() : "Server Version (user defined): " + name;
}

std::string TCustomObjs::DbConnectStr() const {
    if (fDatabaseType != dbInterBase) return std::string();
    return fIBServerOptions.ConnectDatabaseDef(fConnectionOptions);
}

std::int32_t TCustomObjs::ODSMajorVersionOfTarget() const {
    if (fCompareRole == crTargetRole) return fIBServerOptions.GetIBDatabaseOptions().GetODSMajorVersion();
    if (fLinkedObjs && fLinkedObjs->fCompareRole == crTargetRole)
        return fLinkedObjs->fIBServerOptions.GetIBDatabaseOptions().GetODSMajorVersion();
    return 0;
}

void TCustomObjs::ErrMsg(const std::string& aText) {
    if (fDBStructure && fDBStructure->GetExtractor()) fDBStructure->GetExtractor()->DoErrorMessage(aText);
}

void TCustomObjs::DoLogNextLine(const std::string& aText) {
    if (fOnLogNextLine) {
        fOnLogNextLine(this, aText);
        return;
    }
    if (fDBStructure && fDBStructure->GetExtractor() && fDBStructure->GetExtractor()->OnLogNextLine) {
        fDBStructure->GetExtractor()->OnLogNextLine(this, aText);
        return;
    }
    if (fSQLExec && fSQLExec->OnLogNextLine) fSQLExec->OnLogNextLine(this, aText);
}

}  // namespace dbtwin
