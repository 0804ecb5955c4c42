#include "objects/krvComp_Trg.h"

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

bool IsWord(const std::string& a, const char* b) { return UpperCase(a) == b; }

// Drops the last n characters (the separator after the last item of a list).
std::string CutTail(std::string s, std::size_t n) {
    if (s.size() >= n) s.erase(s.size() - n);
    return s;
}

}  // namespace

const std::array<TTrgType, 14> TrgTypes = {{
    {1, baBefore, {iudInsert}, "BEFORE INSERT"},
    {2, baAfter, {iudInsert}, "AFTER INSERT"},
    {3, baBefore, {iudUpdate}, "BEFORE UPDATE"},
    {4, baAfter, {iudUpdate}, "AFTER UPDATE"},
    {5, baBefore, {iudDelete}, "BEFORE DELETE"},
    {6, baAfter, {iudDelete}, "AFTER DELETE"},
    {17, baBefore, {iudInsert, iudUpdate}, "BEFORE INSERT OR UPDATE"},
    {18, baAfter, {iudInsert, iudUpdate}, "AFTER INSERT OR UPDATE"},
    {25, baBefore, {iudInsert, iudDelete}, "BEFORE INSERT OR DELETE"},
    {26, baAfter, {iudInsert, iudDelete}, "AFTER INSERT OR DELETE"},
    {27, baBefore, {iudUpdate, iudDelete}, "BEFORE UPDATE OR DELETE"},
    {28, baAfter, {iudUpdate, iudDelete}, "AFTER UPDATE OR DELETE"},
    {113, baBefore, {iudInsert, iudUpdate, iudDelete}, "BEFORE INSERT OR UPDATE OR DELETE"},
    {114, baAfter, {iudInsert, iudUpdate, iudDelete}, "AFTER INSERT OR UPDATE OR DELETE"},
}};

const TTrgType* FindTrgType(std::int32_t aTyp) {
    for (const TTrgType& t : TrgTypes)
        if (t.Typ == aTyp) return &t;
    return nullptr;
}

std::int32_t TrgTypeCode(TBefAftType aBefAft, TInsUpdDelSet aInsUpdDel) {
    for (const TTrgType& t : TrgTypes)
        if (t.befAft == aBefAft && t.InsUpdDel == aInsUpdDel) return t.Typ;
    return 0;
}

// ---------------------------------------------------------------------------
// TTrgData

TTrgData::TTrgData(TCustomObjs* aObjs) : TDbObj(aObjs), Flds(false, true, true) {
    fObjType = dboTrigger;
    Flds.SetCaseSensitive(!(aObjs && aObjs->GetDatabaseType() == dbMSSQL));
}

TFldData* TTrgData::AddFld(const std::string& aName) { return AddOwnedFld(Flds, this, aName, dboField); }

void TTrgData::SetEvents(TBefAftType aBefAft, TInsUpdDelSet aInsUpdDel) {
    BefAft = aBefAft;
    InsUpdDel = aInsUpdDel;
    Typ = TrgTypeCode(aBefAft, aInsUpdDel);
}

void TTrgData::SetOwnName(const std::string& aName) {
    if (aName != fOwnName || !fOwnObj) {
        fOwnObj = nullptr;
        if (fObjs && !aName.empty()) {
            std::vector<std::string> keys;
            const TDatabaseType db = fObjs->GetDatabaseType();
            if (db == dbSybaseASA) keys.push_back(SchObjName(Extra().OwnUser, aName));
            if (!fSchema.empty()) keys.push_back(fSchema + "." + aName);
            keys.push_back(aName);
            for (const std::string& k : keys)
                if ((fOwnObj = fObjs->Tbl.Find(k))) break;
            if (!fOwnObj)
                for (const std::string& k : keys)
                    if ((fOwnObj = fObjs->Viw.Find(k))) break;
        }
    }
    fOwnName = aName;
}

void TTrgData::Assign(const TTrgData& aSource) {
    fObjType = aSource.fObjType;
    SetObjName(aSource.fObjName);
    SetOwnName(aSource.fOwnName);
    SourceBody = aSource.SourceBody;
    Typ = aSource.Typ;
    fBody = aSource.fBody;
    Active = aSource.Active;
    BefAft = aSource.BefAft;
    InsUpdDel = aSource.InsUpdDel;
    Position = aSource.Position;
    if (!aSource.Extra().fDescription.empty() || !Extra().fDescription.empty()) EditExtra().fDescription = aSource.Extra().fDescription;
}

void TTrgData::SetRestoreBody(bool Value) {
    fRestoreBody = Value;
    if (auto* ref = dynamic_cast<TTrgData*>(fRefObj)) ref->fRestoreBody = Value;
}

bool TTrgData::IsTableTrigger() const {
    return !fOwnName.empty() && !IsWord(fOwnName, "DATABASE") && !IsWord(fOwnName, "ALL SERVER");
}

std::string TTrgData::TrgTypStr() const {
    if (!IsTableTrigger()) {
        // Database triggers fire ON an event (CONNECT, TRANSACTION COMMIT, ...); DDL triggers
        // name their timing and statement themselves (BEFORE ANY DDL STATEMENT).
        const std::string word = UpperCase(EventType.substr(0, EventType.find(' ')));
        if (word == "BEFORE" || word == "AFTER") return EventType + kCRLF;
        return "ON " + EventType + kCRLF;
    }
    const std::int32_t code = Typ ? Typ : TrgTypeCode(BefAft, InsUpdDel);
    std::string r = (code % 2 != 0) ? "BEFORE " : "AFTER ";
    static const char* const kEvent[] = {"", "INSERT", "UPDATE", "DELETE"};
    bool first = true;
    for (int shift : {1, 3, 5}) {
        const int slot = ((code + 1) >> shift) & 3;
        if (slot == 0) continue;
        if (!first) r += " OR ";
        r += kEvent[slot];
        first = false;
    }
    return r;
}

std::string TTrgData::EmptyBody() const {
    switch (GetDatabaseType()) {
        case dbMSSQL: return " declare @i integer;\r\nbegin set @i = 0; end";
        case dbMySQL: return " BEGIN END";
        default: return " AS Declare variable I integer;\r\nBEGIN I = 0; END";
    }
}

void TTrgData::SetEmptyBody() {
    if (!fEmptied) fBodyBeforeEmpty = fBody;
    fEmptied = true;
    fBody = EmptyBody();
}

void TTrgData::UndoEmptyBody() {
    if (!fEmptied) return;
    fBody = fBodyBeforeEmpty;
    fEmptied = false;
}

std::string TTrgData::EmptyDef() const { return DefWithBody(EmptyBody()); }

bool TTrgData::CanAlterBody() const {
    switch (GetDatabaseType()) {
        case dbMySQL: case dbPostgreSQL: case dbDB2: case dbSybaseASE: return false;
        default: return true;
    }
}

void TTrgData::AssignEmptyBody() {
    if (!GetObjCreated() || fBody == EmptyBody()) return;
    if (TCustomObjs* master = fObjs ? fObjs->GetObjsMaster() : nullptr)
        if (TTrgData* m = master->Trg.Find(GetObjKeyDef())) m->SetRestoreBody(true);
    if (!CanAlterBody()) {
        DropDependDef();
        return;
    }
    SetEmptyBody();
    for (auto& l : fUseOf) l->Active = false;
    AddStatement(AlterDef(), stTrigger, fObjName, dboTrigger, odbAlter);
}

std::string TTrgData::OwnerFullName() const {
    return TDialectTraits::Qualified(Quoter(), fSchema, fOwnName);
}

std::string TTrgData::MSSQLHeaderDef(bool aCreate) const {
    std::string r = aCreate ? "CREATE " : "ALTER ";
    r += "TRIGGER ";
    std::string events;
    if (IsTableTrigger()) {
        r += GetObjFullName() + " ON " + OwnerFullName();
        for (auto [e, word] : {std::pair{iudInsert, "INSERT"}, {iudUpdate, "UPDATE"}, {iudDelete, "DELETE"}})
            if (InsUpdDel.Contains(e)) events += (events.empty() ? "" : ", ") + std::string(word);
    } else {
        r += QuoteIdent(fObjName) + " ON " + fOwnName;
        events = EventType;
    }
    switch (BefAft) {
        case baAfter: r += std::string(kCRLF) + " AFTER "; break;
        case baFor: r += std::string(kCRLF) + " FOR "; break;
        case baInsteadOf: r += std::string(kCRLF) + " INSTEAD OF "; break;
        // These servers have no other timing; without one the events would run into the
        // owner's name.
        default: r += std::string(kCRLF) + " FOR "; break;
    }
    r += events + kCRLF;
    if (WithAppend) r += std::string(" WITH APPEND") + kCRLF;
    if (NotForReplication) r += std::string(" NOT FOR REPLICATION") + kCRLF;
    return r + " AS" + kCRLF;
}

std::string TTrgData::DefWithBody(const std::string& aBody) const {
    const std::string CRLF = kCRLF;
    const TDatabaseType db = GetDatabaseType();
    // "INSERT OR UPDATE" style event lists.
    auto orEvents = [this] {
        std::string e;
        if (InsUpdDel.Contains(iudInsert)) e += "INSERT OR ";
        if (InsUpdDel.Contains(iudUpdate)) e += "UPDATE OR ";
        if (InsUpdDel.Contains(iudDelete)) e += "DELETE OR ";
        return CutTail(e, 4);
    };
    auto columns = [this](const char* sep) {
        std::string r;
        for (TFldData* f : Flds) r += (r.empty() ? "" : sep) + QuoteIdent(f->fObjName);
        return r;
    };
    switch (db) {
        case dbMySQL: {
            const char* event = InsUpdDel.Contains(iudDelete)   ? "DELETE"
                                : InsUpdDel.Contains(iudUpdate) ? "UPDATE"
                                                                : "INSERT";
            return "CREATE TRIGGER " + QuoteIdent(fObjName) + " " + (BefAft == baBefore ? "BEFORE " : "AFTER ") +
                   event + " ON " + QuoteIdent(fOwnName) + CRLF + "     FOR EACH ROW" + CRLF + aBody;
        }
        case dbSybaseASA: {
            std::string r = "CREATE TRIGGER " + CRLF + QuoteIdent(fObjName) + " ";
            const std::string owner = TDialectTraits::Qualified(Quoter(), Extra().OwnUser, fOwnName);
            std::vector<std::string> events;
            if (InsUpdDel.Contains(iudInsert)) events.emplace_back("INSERT");
            if (InsUpdDel.Contains(iudUpdate)) {
                std::string u = "UPDATE";
                if (ASADialect != asaTransactSQL && !Flds.Empty()) u += " OF " + columns(", ");
                events.push_back(u);
            }
            if (InsUpdDel.Contains(iudDelete)) events.emplace_back("DELETE");
            std::string joined;
            for (const std::string& e : events) joined += (joined.empty() ? "" : ", ") + e;
            if (ASADialect == asaTransactSQL)
                return r + "ON " + owner + CRLF + "  FOR " + joined + CRLF + "  AS" + CRLF + aBody;
            r += (BefAft == baBefore ? "BEFORE " : "AFTER ") + joined;
            if (Position != 0) r += " ORDER " + std::to_string(Position);
            r += " ON" + CRLF + owner + CRLF;
            if (!RefOld.empty() || !RefNew.empty() || !RefRem.empty()) {
                r += "REFERENCING";
                if (!RefOld.empty()) r += " OLD AS " + RefOld;
                if (!RefNew.empty()) r += " NEW AS " + RefNew;
                if (!RefRem.empty()) r += " REMOTE AS " + RefRem;
                r += CRLF;
            }
            if (ForEachRow) r += "FOR EACH ROW" + CRLF;
            if (ForEachStatement) r += "FOR EACH STATEMENT" + CRLF;
            return r + aBody;
        }
        case dbMSSQL:
        case dbSybaseASE:
            if (aBody.empty()) return Extra().Text;
            return MSSQLHeaderDef(true) + aBody;
        case dbOracle: {
            std::string r = "CREATE OR REPLACE TRIGGER " + GetObjFullName() + CRLF;
            r += BefAft == baBefore ? "  BEFORE " : BefAft == baInsteadOf ? "  INSTEAD OF " : "  AFTER ";
            std::string e;
            if (InsUpdDel.Contains(iudInsert)) e += "INSERT OR ";
            if (InsUpdDel.Contains(iudUpdate)) {
                e += "UPDATE ";
                if (!Flds.Empty()) e += " OF " + columns(", ") + " ";
                e += "OR ";
            }
            if (InsUpdDel.Contains(iudDelete)) e += "DELETE OR ";
            r += CutTail(e, 4) + " ON " + OwnerFullName() + CRLF;
            if (!RefNew.empty() || !RefOld.empty() || !RefParent.empty()) {
                r += "  REFERENCING";
                if (!RefNew.empty()) r += " NEW AS " + RefNew;
                if (!RefOld.empty()) r += " OLD AS " + RefOld;
                if (!RefParent.empty()) r += " PARENT AS " + RefParent;
                r += CRLF;
            }
            if (ForEachRow) r += "  FOR EACH ROW" + CRLF;
            if (ForEachStatement) r += "  FOR EACH STATEMENT" + CRLF;
            if (!WhenExpr.empty()) r += "  WHEN " + WhenExpr + CRLF;
            return r + aBody;
        }
        case dbPostgreSQL: {
            std::string r = "CREATE TRIGGER " + QuoteIdent(fObjName) + CRLF;
            // Views take INSTEAD OF row triggers.
            r += BefAft == baBefore ? "  BEFORE" : BefAft == baInsteadOf ? "  INSTEAD OF" : "  AFTER";
            // An UPDATE trigger limited to some columns names them: UPDATE OF a, b.
            std::string events = orEvents();
            if (Flds.Count() > 0 && InsUpdDel.Contains(iudUpdate)) {
                const std::size_t at = events.find("UPDATE");
                events.insert(at + 6, " OF " + columns(", "));
            }
            r += " " + events + CRLF;
            r += "  ON " + OwnerFullName() + CRLF;
            r += ForEachRow ? "  FOR EACH ROW" + CRLF : "  FOR EACH STATEMENT" + CRLF;
            // The condition must be parenthesised; a second pair is harmless.
            if (!WhenExpr.empty()) r += "  WHEN (" + WhenExpr + ")" + CRLF;
            return r + aBody;
        }
        case dbDB2: {
            std::string r = "CREATE TRIGGER " + QuoteIdent(fObjName) + CRLF;
            r += BefAft == baBefore ? "  NO CASCADE BEFORE" : "  AFTER";
            r += " " + orEvents();
            if (!Flds.Empty()) r += " OF " + columns(", ");
            r += " ON " + QuoteIdent(fOwnName) + CRLF;
            if (!RefNew.empty() || !RefOld.empty() || !RefNewTbl.empty() || !RefOldTbl.empty()) {
                r += "  REFERENCING" + CRLF;
                if (!RefNew.empty()) r += "  NEW AS " + RefNew + CRLF;
                if (!RefOld.empty()) r += "  OLD AS " + RefOld + CRLF;
                if (!RefNewTbl.empty()) r += "  NEW_TABLE AS " + RefNewTbl + CRLF;
                if (!RefOldTbl.empty()) r += "  OLD_TABLE AS " + RefOldTbl + CRLF;
            }
            r += ForEachRow ? "  FOR EACH ROW" : "  FOR EACH STATEMENT";
            r += " MODE " + Mode + CRLF;
            if (!WhenExpr.empty()) r += "  WHEN " + WhenExpr + CRLF;
            return r + aBody;
        }
        default: {
            std::string r = "CREATE TRIGGER " + QuoteIdent(fObjName);
            r += IsTableTrigger() ? " FOR " + QuoteIdent(fOwnName) + CRLF : CRLF;
            r += Active ? "ACTIVE " : "INACTIVE ";
            r += TrgTypStr() + " POSITION " + std::to_string(Position) + " " + CRLF;
            return r + aBody;
        }
    }
}

std::string TTrgData::Def() const { return DefWithBody(fBody); }

std::string TTrgData::AlterDef() const {
    switch (GetDatabaseType()) {
        case dbMSSQL: return MSSQLHeaderDef(false) + fBody;
        // ALTER TRIGGER cannot carry a body here; CREATE OR REPLACE replaces it.
        case dbOracle: return Def();
        default: return "ALTER TRIGGER " + QuoteIdent(fObjName) + kCRLF + fBody;
    }
}

std::string TTrgData::DropDef() const {
    std::string r = "DROP TRIGGER ";
    switch (GetDatabaseType()) {
        case dbSybaseASA:
            return r + TDialectTraits::Qualified(Quoter(), Extra().OwnUser, fOwnName) + "." +
                   QuoteIdent(fObjName);
        case dbPostgreSQL: return r + QuoteIdent(fObjName) + " ON " + OwnerFullName();
        case dbMSSQL:
            if (!IsTableTrigger()) return r + QuoteIdent(fObjName) + " ON " + fOwnName;
            [[fallthrough]];
        case dbOracle: return r + TDialectTraits::Qualified(Quoter(), fSchema, fObjName);
        default: return r + QuoteIdent(fObjName);
    }
}

std::string TTrgData::SourceDef() const {
    if (SourceBody.empty()) SourceBody = fBody;
    return DefWithBody(SourceBody);
}

TDescriptionTarget TTrgData::DescriptionTarget() const {
    TDescriptionTarget t = TDbObj::DescriptionTarget();
    t.Owner = fOwnObj;
    t.OwnerName = fOwnName;
    return t;
}

void TTrgData::AddCreateStatement() {
    AddStatement(CreateDef(), stTrigger, fObjName, dboTrigger, odbCreate);
    CreateBody = fBody;
    for (auto& l : fUseIn) l->Active = false;
}

void TTrgData::DropForUsed(TDbObj* /*aUsed*/, TDependObj* aLink) {
    aLink->Active = false;
    if (!CanAlterBody()) {
        DropDependDef();
    } else if (fBody != EmptyBody()) {
        SetEmptyBody();
        AddStatement(AlterDef(), stTrigger, fObjName, dboTrigger, odbEmpty);
    }
}

void TTrgData::DoBeforeDrop() {
    // Dropping one trigger of a view empties the view's other triggers first, where a
    // body can be replaced in place.
    TCustomObjs* target = fObjs ? fObjs->GetObjsTarget() : nullptr;
    if (target && CanAlterBody() && dynamic_cast<TViwData*>(fOwnObj) && fOwnObj->fObjs == target) {
        for (TTrgData* other : target->Trg) {
            if (other == this || other->fOwnObj != fOwnObj || other->fObjName == fObjName) continue;
            if (!other->GetObjCreated() || other->fBody == other->EmptyBody()) continue;
            other->AssignEmptyBody();
            for (auto& l : fOwnObj->fUseIn)
                if (l->Obj == other) l->Active = false;
        }
    }
    TDbObj::DoBeforeDrop();
}

// ---------------------------------------------------------------------------
// Generators

void GenScriptDropTrgEmpty(TCustomObjs* /*MObjs*/, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                           TCmpObjSetType /*CompareObjects*/) {
    if (!TObjs || !SQLExec) return;
    for (TTrgData* t : TObjs->Trg) {
        if (t->CompExclude || t->GetRefObj() || !dynamic_cast<TViwData*>(t->fOwnObj)) continue;
        // Where a body cannot be replaced the trigger is simply dropped in the next step.
        if (!t->CanAlterBody() || Trim(t->fBody) == Trim(t->EmptyBody())) continue;
        t->SetEmptyBody();
        SQLExec->AddComment(t->GenComment("Empty trigger body before drop..."));
        t->AddStatement(t->AlterDef(), stTrigger, t->fObjName, dboTrigger, odbEmptyDrop);
    }
}

void GenScriptTrigDrop(TCustomObjs* /*MObjs*/, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                       TCmpObjSetType /*CompareObjects*/) {
    if (!TObjs) return;
    DropUnmatchedObjects(*TObjs, olTrg, SQLExec, [](const TDbObj* t) { return t->GenComment("Drop Trigger..."); });
}

void GenScriptTrigCreate(TCustomObjs* MObjs, TCustomObjs* /*TObjs*/, TCustomSQLExec* SQLExec,
                         TCmpObjSetType CompareObjects) {
    if (!MObjs || !SQLExec) return;
    bool any = false;
    const bool descriptions = CompareObjects.Contains(coDescription);
    for (TTrgData* m : MObjs->Trg) {
        if (m->CompExclude || m->GetRefObj() || m->GetObjCreated()) continue;
        if (!any) SQLExec->AddComment(m->GenComment("Create trigger..."));
        any = true;
        m->CreateDependDef();
        if (!descriptions || m->Extra().fDescription.empty()) continue;
        if (m->GetDatabaseType() == dbSybaseASA)
            m->AddStatement("COMMENT ON TRIGGER " + m->QuoteIdent(m->fObjName) + " IS " +
                                ScriptQuotedStr(m->Extra().fDescription, dbSybaseASA),
                            stStatement, m->fObjName, dboTrigger, odbDescription);
        else
            m->AddDescription();
    }
    if (any) SQLExec->AddComment(kCRLF);
}

void GenScriptTrigAlter(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomObjs* T = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !T || !ex) return;
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    const bool ibAlter = T->GetDatabaseType() == dbInterBase &&
                         T->fIBServerOptions.GetSQLServerVersion() > st_InterBase_5x;
    for (TTrgData* m : M->Trg) {
        if (m->CompExclude) continue;
        auto* t = dynamic_cast<TTrgData*>(m->GetRefObj());
        bool rewrite = false;
        if (t) {
            if (m->Def() != t->Def()) {
                ex->AddComment(m->GenComment("Alter exist trigger..."));
                rewrite = true;
            } else {
                // A target trigger dropped along the way (with its table or where a body could
                // not be emptied) is written again even though its text did not change.
                rewrite = m->fRestoreBody || !m->GetObjCreated();
            }
        } else if (m->GetObjCreated() && m->CreateBody != m->fBody) {
            ex->AddComment(m->GenComment("Alter created trigger..."));
            rewrite = true;
        }
        if (!rewrite) {
            if (t && descriptions && m->Extra().fDescription != t->Extra().fDescription) m->AddDescription();
            continue;
        }
        if (t && m->EmptyDef() != t->EmptyDef()) {
            t->DropDependDef();
            m->CreateDependDef();
        } else if (ibAlter) {
            if (!m->GetObjCreated()) {
                m->CreateDependDef();
            } else if (!t || m->fBody != t->fBody || m->fRestoreBody) {
                m->DoBeforeCreate();
                m->AddStatement(m->AlterDef(), stTrigger, m->fObjName, dboTrigger, odbAlter);
                m->DoAfterCreate();
            }
            if (t && m->Active != t->Active)
                m->AddStatement("ALTER TRIGGER " + m->QuoteIdent(m->fObjName) + (m->Active ? " ACTIVE" : " INACTIVE"),
                                stTrigger, m->fObjName, dboTrigger, odbAlter);
        } else {
            if (t) t->DropDependDef();
            m->DoBeforeCreate();
            if (m->GetObjCreated()) {
                if (!m->CanAlterBody())
                    m->AddStatement(m->DropDef(), stStatement, m->fObjName, dboTrigger, odbDrop);
                m->AddStatement(m->CanAlterBody() ? m->AlterDef() : m->Def(), stTrigger, m->fObjName, dboTrigger,
                                odbCreate);
            } else {
                m->AddStatement(m->Def(), stTrigger, m->fObjName, dboTrigger, odbCreate);
                m->DoAfterCreate();
            }
        }
        m->SetRestoreBody(false);
        if (descriptions && !m->Extra().fDescription.empty()) m->AddDescription();
    }
}

}  // namespace dbtwin
