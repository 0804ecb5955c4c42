#include "model/krvClasses.h"

#include <algorithm>
#include <atomic>

#include "core/krvBlockPool.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "model/krvCustomDBStructure.h"

namespace dbtwin {

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

// How many links were ever made between objects of different sets (or of none); while
// there is none, freeing a set need not look at the far end of each link.
std::atomic<std::size_t> gLinksAcrossSets{0};

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

// Sets a flag for the time of a scope, so that an exception cannot leave it set.
class TFlagScope {
public:
    explicit TFlagScope(bool& aFlag) : fFlag(aFlag) { fFlag = true; }
    ~TFlagScope() { fFlag = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& fFlag;
};

void RemoveAllLinks(TDependList& list) {
    while (!list.empty()) RemoveLinkPair(list, list.size() - 1);
}

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

void TDbObj::SetDescription(const std::string& aText) {
    std::string text = Trim(NormalizeLineBreaks(aText));
    if (!text.empty() || fExtra) EditExtra().fDescription = std::move(text);
}
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

const TDbObjExtra TDbObj::fNoExtra;

TDbObjExtra& TDbObj::EditExtra() {
    if (!fExtra) fExtra = std::make_unique<TDbObjExtra>();
    return *fExtra;
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

std::string TDbObj::GetObjFullName() const {
    return DialectTraits(GetDatabaseType()).ObjectName(Quoter(), fObjType, fSchema, Extra().OwnUser, fObjName);
}

std::string TDbObj::GetObjKeyDef() const {
    const TDatabaseType db = fObjs ? fObjs->fDatabaseType : dbAbstract;
    switch (db) {
        case dbMSSQL:
        case dbPostgreSQL:
            return fSchema.empty() ? fObjName : fSchema + "." + fObjName;
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
    if (shortName.empty()) return !Extra().SysName.empty() ? Extra().SysName.str() : Def();
    switch (GetDatabaseType()) {
        case dbSybaseASA:
            return Extra().OwnUser.empty() ? shortName : Extra().OwnUser + "." + shortName;
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

std::string TDbObj::SourceDef() const { return Extra().fSourceDefinition.empty() ? Def() : Extra().fSourceDefinition.str(); }

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

TCustomSQLExec* TDbObj::GetSQLExecInSchema() const {
    TCustomSQLExec* ex = GetSQLExec();
    if (ex) ex->SetCurrentSchema(fSchema);
    return ex;
}

TStatement* TDbObj::AddStatement(const std::string& aText, TStatType aTyp, const std::string& aObjName,
                                 TDbObject aObjType, TDbOperation aOperation,
                                 const std::string& aOwnName) {
    TCustomSQLExec* ex = GetSQLExecInSchema();
    if (!ex) return nullptr;
    return ex->Add(aText, aTyp, aObjName, aObjType, aOperation, aOwnName);
}

void TDbObj::AddDescription() { AddDescription(GetSQLExec()); }

TStatement* TDbObj::AddDescription(TCustomSQLExec* aExec) {
    if (!aExec) return nullptr;
    // A column or parameter names its owning table, view or procedure.
    std::string owner;
    if (IsField() && (fObjType == dboField || fObjType == dboParam))
        if (const TDbObj* own = GetOwnerObj()) {
            const TObjListKind kind = own->ListKind();
            if (kind == olTbl || kind == olViw || kind == olPrc) owner = own->fObjName;
        }
    return aExec->AddDescriptionDef(DescriptionDef(), fObjName, fObjType, owner, Extra().fDescription);
}

TDescriptionTarget TDbObj::DescriptionTarget() const {
    TDescriptionTarget t;
    t.Kind = ListKind();
    return t;
}

void TDbObj::AddCreateStatement() {
    AddStatement(CreateDef(), stStatement, GetObjFullName(), fObjType, odbCreate, OwnerTableName());
    SetObjCreated(true);
}

// Write a create with dependencies: what the object uses first, then the object.
void TDbObj::CreateDependDef() {
    if (fInCreate) return;  // a cycle of uses leads back here: the outer call writes it
    TFlagScope busy(fInCreate);
    DoBeforeCreate();
    if (!GetObjCreated()) {
        AddCreateStatement();
        if (GetCompareObjects().Contains(coDescription)) AddCreateDescriptions();
        SetObjCreated(true);
    }
    DoAfterCreate();
}

// Before a create: pull in what the object uses, in the order of its use links. Each link
// is deactivated before the used object is written, so that objects using each other do
// not pull each other in without end.
void TDbObj::DoBeforeCreate() {
    if (DebugLog && fObjs) {
        if (IsField()) fObjs->DoLogNextLine(std::string(ClassName()) + ": " + OwnerTableName() + " / " + fObjName);
        else fObjs->DoLogNextLine(std::string(ClassName()) + ": " + fObjName);
    }
    // A field never pulls in its own table.
    if (IsField())
        for (auto& l : fUseOf)
            if (l->Obj && l->Obj->fObjName == OwnerTableName()) l->Active = false;
    CreateUsedObjects(uwActiveLinks);
}

void TDbObj::CreateUsedObjects(TUseWalk aWalk) {
    for (std::size_t i = 0; i < fUseOf.size(); ++i) {
        TDependObj* link = fUseOf[i].get();
        TDbObj* used = link->Obj;
        if (!used) continue;
        if (aWalk == uwActiveLinks ? !link->Active : used == this) continue;
        used->CreateForUser(this, link, aWalk);
    }
}

// Write a drop with dependencies: what uses the object is dropped or emptied first.
void TDbObj::DropDependDef() {
    if (KeptWhenMasterHolds())
        if (TCustomObjs* master = fObjs ? fObjs->GetObjsMaster() : nullptr)
            if (master->FindInList(ListKind(), GetObjKeyDef())) return;
    DropDependDefKeptByMaster();
}

void TDbObj::DropDependDefKeptByMaster() {
    if (!GetObjCreated() || fInDrop) return;
    TFlagScope busy(fInDrop);
    DoBeforeDrop();
    if (GetObjCreated()) {
        if (const TFldList* cols = GetColumns())
            for (TDbObj* f : cols->As<TDbObj>()) f->SetObjCreated(false);
        AddStatement(DropDef(), stStatement, DropStatementName(), fObjType, odbDrop, OwnerTableName());
        SetObjCreated(false);
    }
    DoAfterDrop();
}

// Before a drop: drop or neutralise what uses the object, in the order of its used-in links.
void TDbObj::DoBeforeDrop() {
    for (std::size_t i = 0; i < fUseIn.size(); ++i) {
        TDependObj* link = fUseIn[i].get();
        TDbObj* user = link->Obj;
        if (!user) continue;
        if (IsField() && user->fObjName == OwnerTableName()) link->Active = false;
        if (user->DroppedWithUsed() && user->GetObjCreated()) link->Active = true;
        if (!user->GetObjCreated()) link->Active = false;
        if (!link->Active) continue;
        user->DropForUsed(this, link);
    }
}

// ---------------------------------------------------------------------------
// TDependObj

TDependObj::TDependObj(TCustomObjs* /*aObjs*/) {}

namespace {
// Never destroyed: a link freed during the exit of the process still finds its pool. The
// pool gives its slabs back whenever no link is left.
TBlockPool& LinkPool() {
    static TBlockPool* pool = new TBlockPool(sizeof(TDependObj), alignof(TDependObj), 1024);
    return *pool;
}
}  // namespace

void* TDependObj::operator new(std::size_t aSize) {
    if (aSize != sizeof(TDependObj)) return ::operator new(aSize);  // a derived record
    return LinkPool().Get();
}

void TDependObj::operator delete(void* aPtr, std::size_t aSize) noexcept {
    if (aSize != sizeof(TDependObj)) ::operator delete(aPtr);
    else LinkPool().Put(aPtr);
}

TDependObj::~TDependObj() {
    if (Partner) Partner->Partner = nullptr;
}

std::string TDependObj::GetCaption() const {
    if (!ObjField.empty()) return fObjName + " (field: " + ObjField.str() + ")";
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
    // Every object goes, so the links are let go in one pass first: an object freed later
    // then does not search its partners' lists for its counterparts, which for an object
    // used by thousands (a domain, a role) cost time quadratic in its users. While no link
    // was ever made between objects of different sets (or of none), every partner is in this
    // set and the check of each link's far end is skipped.
    const bool onlyWithinSets = gLinksAcrossSets.load(std::memory_order_relaxed) == 0;
    auto release = [this, onlyWithinSets](TDbObj* o) {
        // Only links within this set: a counterpart elsewhere must still be taken out.
        if (!onlyWithinSets)
            for (TDependList* list : {&o->fUseIn, &o->fUseOf})
                for (auto& l : *list)
                    if (l->Partner && (!l->Partner->Holder || l->Partner->Holder->fObjs != this)) return;
        for (TDependList* list : {&o->fUseIn, &o->fUseOf}) {
            for (auto& l : *list) {
                if (l->Partner) l->Partner->Partner = nullptr;
                l->Partner = nullptr;
            }
            list->clear();
        }
    };
    for (const TKindList& row : KindLists())
        row.ForEach(*this, [&release](TDbObj* o) {
            release(o);
            o->ForEachField(release);
        });
    for (auto& o : fNotFiled) {
        release(o.get());
        o->ForEachField(release);
    }
    // Free every filed object; links left on objects not visited above are still taken out
    // with their counterparts.
    for (const TKindList& row : KindLists()) row.Clear(*this);
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
    for (const TKindList& row : KindLists())
        if (row.CaseRule) row.SetCaseSensitive(*this, !ci);
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

// A row of the kind list table for the set's member M.
template <auto M>
TKindList KindRow(TObjListKind aKind, const char* aName, const char* aWord, bool aFiled, bool aCaseRule,
                  bool aCompared, bool aLinked, bool aColumnsMatched = false, bool aColumnsFlagged = false) {
    TKindList r{aKind, aName, aWord, aFiled, aCaseRule, aCompared, aLinked, aColumnsMatched, aColumnsFlagged,
                nullptr, nullptr, nullptr, nullptr, nullptr};
    r.Clear = [](TCustomObjs& o) { (o.*M).Clear(); };
    r.SetCaseSensitive = [](TCustomObjs& o, bool v) { (o.*M).SetCaseSensitive(v); };
    // The list of an object's ListKind holds that object's class; the rows see every
    // object as a TDbObj, so no kind's class is needed here.
    r.Add = [](TCustomObjs& o, const std::string& key, TDbObj* obj) { return (o.*M).AddObject(key, obj); };
    r.Find = [](const TCustomObjs& o, std::string_view key) {
        return static_cast<TDbObj*>((o.*M).FindObject(key));
    };
    r.ForEach = [](const TCustomObjs& o, const std::function<void(TDbObj*)>& f) {
        for (TDbObj* x : (o.*M).template As<TDbObj>()) f(x);
    };
    return r;
}

}  // namespace

// The one table of the set's kind lists. Columns: filed by AddObj, dialect case rule,
// compared, linked. Intended gaps:
// - the per-type constraint lists (Prk ... Cdf) hold the constraints of Ctr again, filled
//   by their readers: not filed, compared or linked on their own;
// - Sch, Opr, Opc, Cnv and Evt keep case-sensitive keys on every database kind;
// - only table columns take part in the comparer's reset and created flags; view columns
//   are matched but keep their flags.
const std::vector<TKindList>& TCustomObjs::KindLists() {
    using O = TCustomObjs;
    static const std::vector<TKindList> rows = {
        KindRow<&O::Sch>(olSch, "Sch", "", true, false, true, true),
        KindRow<&O::Dmn>(olDmn, "Dmn", "domain", true, true, true, true),
        KindRow<&O::Udf>(olUdf, "Udf", "udf", true, true, true, true),
        KindRow<&O::Trg>(olTrg, "Trg", "trigger", true, true, true, true),
        KindRow<&O::Prc>(olPrc, "Prc", "procedure", true, true, true, true),
        KindRow<&O::Tbl>(olTbl, "Tbl", "table", true, true, true, true, true, true),
        KindRow<&O::Exc>(olExc, "Exc", "exception", true, true, true, true),
        KindRow<&O::Gnr>(olGnr, "Gnr", "generator", true, true, true, true),
        KindRow<&O::Idx>(olIdx, "Idx", "index", true, true, true, true),
        KindRow<&O::Viw>(olViw, "Viw", "view", true, true, true, true, true, false),
        KindRow<&O::Rol>(olRol, "Rol", "role", true, true, true, true),
        KindRow<&O::Gnt>(olGnt, "Gnt", "grant", true, true, true, true),
        KindRow<&O::Ctr>(olCtr, "Ctr", "constraint", true, true, true, true),
        KindRow<&O::Prk>(olPrk, "Prk", "", false, true, false, false),
        KindRow<&O::Frk>(olFrk, "Frk", "", false, true, false, false),
        KindRow<&O::Unq>(olUnq, "Unq", "", false, true, false, false),
        KindRow<&O::Chk>(olChk, "Chk", "", false, true, false, false),
        KindRow<&O::Ref>(olRef, "Ref", "", false, true, false, false),
        KindRow<&O::Cdf>(olCdf, "Cdf", "", false, true, false, false),
        KindRow<&O::Rul>(olRul, "Rul", "", true, true, true, true),
        KindRow<&O::Def>(olDef, "Def", "", true, true, true, true),
        KindRow<&O::Pkg>(olPkg, "Pkg", "", true, true, true, true),
        KindRow<&O::Pbl>(olPbl, "Pbl", "", true, true, true, true),
        KindRow<&O::Opr>(olOpr, "Opr", "", true, false, true, true),
        KindRow<&O::Opc>(olOpc, "Opc", "", true, false, true, true),
        KindRow<&O::Cnv>(olCnv, "Cnv", "", true, false, true, true),
        KindRow<&O::Evt>(olEvt, "Evt", "event", true, false, true, true),
        KindRow<&O::Clt>(olClt, "Clt", "collation", true, true, true, true),
    };
    return rows;
}

void DropUnmatchedObjects(const TCustomObjs& aObjs, TObjListKind aKind, TCustomSQLExec* aExec,
                          const std::function<std::string(const TDbObj*)>& aHeading,
                          const std::function<void(TDbObj*)>& aAfterDrop) {
    const TKindList* row = TCustomObjs::KindListOf(aKind);
    if (!row || !aExec) return;
    bool any = false;
    row->ForEach(aObjs, [&](TDbObj* o) {
        if (!o->GetObjCreated() || o->CompExclude || o->GetRefObj()) return;
        if (!any) aExec->AddComment(aHeading(o));
        any = true;
        o->DropDependDef();
        if (aAfterDrop) aAfterDrop(o);
    });
    if (any) aExec->AddComment("\r\n");
}

const TKindList* TCustomObjs::KindListOf(TObjListKind aKind) {
    if (aKind == olNone) return nullptr;
    const TKindList& row = KindLists()[static_cast<std::size_t>(aKind) - 1];
    return row.Kind == aKind ? &row : nullptr;
}

TDbObj* TCustomObjs::FindInList(TObjListKind aKind, std::string_view aKey) const {
    const TKindList* row = KindListOf(aKind);
    return row ? row->Find(*this, aKey) : nullptr;
}

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
    const TKindList* row = KindListOf(aObj->ListKind());
    int filed = -1;  // -1 unknown class, 0 duplicate key, 1 filed
    if (row && row->Filed) filed = row->Add(*this, key, aObj) ? 1 : 0;

    if (filed == 1) {
        if (row->Kind == olGnt) IndexGrant(aObj, key);
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

void TCustomObjs::IndexGrant(TDbObj* aGrant, const std::string& aKey) {
    fGrantIndex[aGrant->MergeKey()].push_back(aKey);
}

TDbObj* TCustomObjs::AddGrantObj(TDbObj* aGrant) {
    if (!aGrant) return nullptr;
    const std::string match = aGrant->MergeKey();
    auto it = fGrantIndex.find(match);
    if (it != fGrantIndex.end()) {
        for (const std::string& key : it->second) {
            TDbObj* g = FindInList(olGnt, key);
            if (!g || g == aGrant || g->MergeKey() != match) continue;
            if (g->MergeFrom(*aGrant)) return nullptr;
        }
    }
    return AddObj(aGrant, false) ? aGrant : nullptr;
}

void TCustomObjs::SortGrants() {
    Gnt.ReKeyObjects([](TObject* g) { return static_cast<TDbObj*>(g)->GetObjKeyDef(); });
    fGrantIndex.clear();
    for (std::size_t i = 0; i < Gnt.Count(); ++i)
        IndexGrant(static_cast<TDbObj*>(Gnt.ObjectAt(i)), Gnt.Keys(i));
}

namespace {
TDbObj* FindColumn(const TDbObj* aObj, const std::string& aName) {
    const TFldList* cols = aObj->GetColumns();
    return cols ? static_cast<TDbObj*>(cols->FindObject(aName)) : nullptr;
}
}  // namespace

void TCustomObjs::LinkDepend(TDbObj* aUser, TDbObj* aUsed, const std::string& aFieldName,
                             std::int32_t PosX, std::int32_t PosY) {
    if (!aUser || !aUsed) return;
    std::string field = aFieldName;
    if (!field.empty()) {
        if (TDbObj* col = FindColumn(aUsed, field)) {
            aUsed = col;
            field.clear();
        } else if (aUser->ListKind() == olTbl && (aUsed->ListKind() == olCtr || aUsed->ListKind() == olDmn)) {
            // A table uses a constraint or domain through one of its columns: both link.
            LinkDepend(aUser, aUsed, std::string(), PosX, PosY);
            if (TDbObj* col = FindColumn(aUser, field)) {
                aUser = col;
                field.clear();
            }
        } else if (aUsed->ListKind() == olPrc) {
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
        if (TDbObj* col = FindColumn(aUsed, aFieldName)) LinkDepend(aUser, col, std::string(), PosX, PosY);
        return;
    }
    if (aUser->fObjs != this || aUsed->fObjs != this) gLinksAcrossSets.fetch_add(1, std::memory_order_relaxed);
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
    if (const TFldList* cols = aObj->GetColumns())
        for (TDbObj* f : cols->As<TDbObj>()) {
            RemoveAllLinks(f->fUseIn);
            RemoveAllLinks(f->fUseOf);
        }
}

void TCustomObjs::ForEachObject(const std::function<void(TDbObj*)>& f) const {
    for (const TKindList& row : KindLists()) {
        if (!row.Linked) continue;
        row.ForEach(*this, [&f](TDbObj* o) {
            f(o);
            o->ForEachField(f);
        });
    }
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
    if (fDBStructure && fDBStructure->GetExtractor() &&
        fDBStructure->GetExtractor()->LogNextLineFrom(this, aText))
        return;
    if (fSQLExec && fSQLExec->OnLogNextLine) fSQLExec->OnLogNextLine(this, aText);
}

}  // namespace dbtwin
