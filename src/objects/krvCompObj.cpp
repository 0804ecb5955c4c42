#include "objects/krvCompObj.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unordered_set>

#include "core/krvDialect.h"
#include "core/krvMsg.h"
#include "core/krvStrUtils.h"
#include "model/krvCustomDBStructure.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Opr.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Rul.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

TLogProcedure AddToLog = [](const std::string&) {};

namespace {

// Single-quoted literal with embedded quotes doubled.
std::string Quoted(std::string_view s) { return "'" + ReplaceAll(s, "'", "''") + "'"; }

// Switches the InterBase description mode for the time of an export: system-table updates
// become COMMENT ON where the server has it (Firebird 2.0 and later), DESCRIBE elsewhere.
// Firebird 3 and 4 refuse updates of system tables, and DESCRIBE is understood only by
// this library's executor, so they get COMMENT ON as well.
class TDescriptionModeSwitch {
public:
    explicit TDescriptionModeSwitch(TObjs& aObjs)
        : fOptions(aObjs.fIBServerOptions.GetIBCompareOptions()), fSaved(fOptions.GetUpdateDescriptionMode()) {
        if (aObjs.GetDatabaseType() != dbInterBase || fSaved != udSysTables) return;
        switch (aObjs.fIBServerOptions.GetSQLServerVersion()) {
            case st_Firebird_20:
            case st_Firebird_21:
            case st_Firebird_25:
            case st_Firebird_30:
            case st_Firebird_40: fOptions.SetUpdateDescriptionMode(udComment); break;
            default: fOptions.SetUpdateDescriptionMode(udDescribe); break;
        }
    }
    ~TDescriptionModeSwitch() { fOptions.SetUpdateDescriptionMode(fSaved); }
    TDescriptionModeSwitch(const TDescriptionModeSwitch&) = delete;
    TDescriptionModeSwitch& operator=(const TDescriptionModeSwitch&) = delete;

private:
    TIBCompareOptions& fOptions;
    TUpdateDescriptionType fSaved;
};

std::string ScriptTerm(TDatabaseType db) { return DialectTraits(db).ExportTerm; }

// The kind word of a saved object's file name.
std::string KindWord(const TDbObj* o) {
    const TKindList* row = TCustomObjs::KindListOf(o->ListKind());
    return row ? row->Word : std::string();
}

// An object name made safe as part of one file name: no path separators or characters
// that shells treat specially, no control characters, no "..", no leading dot, and short
// enough for the file system.
std::string SafeNamePart(const std::string& aName) {
    std::string s = ValidateFileName(aName);
    std::string r;
    r.reserve(s.size());
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) continue;
        r += c;
    }
    for (std::size_t p; (p = r.find("..")) != std::string::npos;) r.erase(p, 2);
    while (!r.empty() && r.front() == '.') r.erase(0, 1);
    constexpr std::size_t kMaxBytes = 180;
    if (r.size() > kMaxBytes) {
        std::size_t n = kMaxBytes;
        while (n > 0 && (static_cast<unsigned char>(r[n]) & 0xC0) == 0x80) --n;  // keep whole characters
        r.resize(n);
    }
    return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// TDataBaseObj

std::string TDataBaseObj::GetCaption() const {
    const std::string& db = fConnectionOptions.GetDatabaseName();
    return db.empty() ? "Database" : db;
}

std::string TDataBaseObj::Def() const {
    if (GetDatabaseType() != dbInterBase) return std::string();
    std::string r;
    const std::string& cs = fIBServerOptions.GetDBCharSet();
    if (!cs.empty()) r += "SET NAMES " + cs + ";\r\n";
    const auto dialect = fIBServerOptions.GetSQLDialect();
    if (dialect == 2 || dialect == 3) r += "SET SQL DIALECT " + std::to_string(dialect) + ";\r\n";
    const TIBDatabaseOptions& dbo = fIBServerOptions.GetIBDatabaseOptions();
    const std::string& name = fConnectionOptions.GetDatabaseName();
    if (!name.empty()) {
        // The user only: a written script never carries the password.
        r += "CREATE DATABASE " + Quoted(name);
        if (!fConnectionOptions.GetUserName().empty()) r += "\r\nUSER " + Quoted(fConnectionOptions.GetUserName());
        if (dbo.GetPageSize() != 0) r += "\r\nPAGE_SIZE " + std::to_string(dbo.GetPageSize());
        if (!cs.empty()) r += "  DEFAULT CHARACTER SET " + cs;
        r += ";\r\n";
    }
    if (!dbo.GetServerVersion().empty()) {
        r += "/* Server: " + dbo.GetServerVersion() + ".  ODS: " + std::to_string(dbo.GetODSMajorVersion()) + "." +
             std::to_string(dbo.GetODSMinorVersion()) + ".";
        if (dbo.GetForcedWrites() == 0) r += " Forced Writes: Disabled.";
        else if (dbo.GetForcedWrites() == 1) r += " Forced Writes: Enabled. ";
        r += " */";
    }
    return r;
}

// ---------------------------------------------------------------------------
// TObjs

TObjs::~TObjs() { TObjs::Clear(); }

void TObjs::Clear() {
    // The kind lists own their objects: the base Clear frees every filed object.
    TCustomObjs::Clear();
    MsQuotedIdent = false;
    MsAnsiNulls = false;
    fSavedStems.clear();
    fSaveErrors.clear();
}

void TObjs::SetSourceDefinition() {
    auto keep = [](TDbObj* o) {
        o->EditExtra().fSourceDefinition = o->Def();
        o->EditExtra().fCurrentDefinition = o->Extra().fSourceDefinition;
    };
    for (TViwData* o : Viw) keep(o);
    for (TPrcData* o : Prc) {
        o->ResetCompareState();  // an earlier comparison may have emptied it
        keep(o);
    }
    for (TTrgData* o : Trg) {
        o->UndoEmptyBody();  // an earlier comparison may have emptied it
        keep(o);
    }
}

TDmnData* TObjs::GetDomain(const std::string& aName) const { return Dmn.Find(aName); }
TTblData* TObjs::GetTable(const std::string& aName) const { return Tbl.Find(aName); }
TViwData* TObjs::GetView(const std::string& aName) const { return Viw.Find(aName); }
TPrcData* TObjs::GetProcedure(const std::string& aName) const { return Prc.Find(aName); }
TTrgData* TObjs::GetTrigger(const std::string& aName) const { return Trg.Find(aName); }
TGnrData* TObjs::GetGenerator(const std::string& aName) const { return Gnr.Find(aName); }
TExcData* TObjs::GetException(const std::string& aName) const { return Exc.Find(aName); }
TIdxData* TObjs::GetIndex(const std::string& aName) const { return Idx.Find(aName); }
TUdfData* TObjs::GetFunction(const std::string& aName) const { return Udf.Find(aName); }
TPkgData* TObjs::GetPackage(const std::string& aName) const { return Pkg.Find(aName); }
TCtrData* TObjs::GetConstraint(const std::string& aName) const { return Ctr.Find(aName); }
TCltData* TObjs::GetCollation(const std::string& aName) const { return Clt.Find(aName); }
TPblData* TObjs::GetPublication(const std::string& aName) const { return Pbl.Find(aName); }
TSchData* TObjs::GetSchema(const std::string& aName) const { return Sch.Find(aName); }
TOprData* TObjs::GetOperator(const std::string& aName) const { return Opr.Find(aName); }
TEvtData* TObjs::GetEvent(const std::string& aName) const { return Evt.Find(aName); }

TFldData* TObjs::GetTableField(const std::string& aTable, const std::string& aField) const {
    TTblData* t = GetTable(aTable);
    return t ? t->FindFld(aField) : nullptr;
}

TFldData* TObjs::GetViewField(const std::string& aView, const std::string& aField) const {
    TViwData* v = GetView(aView);
    return v ? v->FindFld(aField) : nullptr;
}

TFldData* TObjs::GetProcParam(const std::string& aProc, const std::string& aParam) const {
    TPrcData* p = GetProcedure(aProc);
    if (!p) return nullptr;
    if (TFldData* f = p->Params.Find(aParam)) return f;
    return p->Returns.Find(aParam);
}

namespace {
TRolData* FindRole(const TKeyedList<TRolData>& aList, const std::string& aName, TUserType aType) {
    for (TRolData* r : aList)
        if (r->fObjName == aName && r->UserType == aType) return r;
    return nullptr;
}
}  // namespace

TRolData* TObjs::GetRole(const std::string& aName) const { return FindRole(Rol, aName, usrRol); }
TRolData* TObjs::GetLogin(const std::string& aName) const { return FindRole(Rol, aName, usrLgn); }
TRolData* TObjs::GetUser(const std::string& aName) const { return FindRole(Rol, aName, usrUsr); }

// ---------------------------------------------------------------------------
// Export

void TObjs::ExtractMetadata(std::vector<std::string>& aScript) {
    MetaData.clear();
    ExtractMetadata();
    aScript.insert(aScript.end(), MetaData.begin(), MetaData.end());
    MetaData.clear();
}

void TObjs::ExtractMetadata() {
    TDescriptionModeSwitch modeSwitch(*this);
    MetaData.clear();
    fSavedStems.clear();
    fSaveErrors.clear();
    fTermString = ScriptTerm(fDatabaseType);

    ExtractScriptHeader(MetaData);
    MetaData.emplace_back();
    ExtractSch();
    MetaData.emplace_back();
    ExtractUdf();
    MetaData.emplace_back();
    ExtractClt();
    MetaData.emplace_back();
    ExtractDmn();
    ExtractTbl();
    ExtractIdx();
    if (fDatabaseType != dbInterBase) ExtractPkg();
    ExtractCtr();
    ExtractExc();
    MetaData.emplace_back();
    ExtractGnr();
    MetaData.emplace_back();
    ExtractViw();
    if (fDatabaseType == dbInterBase) ExtractPkg();
    ExtractPrc();
    ExtractPkgBodies();
    ExtractTrg();
    MetaData.emplace_back();
    ExtractRul();
    ExtractEvt();
    ExtractRol();
    MetaData.emplace_back();
    ExtractGnt();
    MetaData.emplace_back();
    // The database's own description (Firebird 2.0 and later).
    if (fDatabaseType == dbInterBase && !DBDescription.empty() && fCompareObjects.Contains(coDescription) &&
        fIBServerOptions.GetIBCompareOptions().GetUpdateDescriptionMode() == udComment) {
        MetaData.push_back("COMMENT ON DATABASE IS " + Quoted(DBDescription) + fTermString);
        MetaData.emplace_back();
    }

    MsQuotedIdent = false;
    MsAnsiNulls = false;
}

void TObjs::ExtractObj(TDbObj* aObj, const std::string& aDef, bool aCheckSettings, bool aEmptyAfter) {
    DoSaveObj(aObj);
    // A kind without a definition text contributes nothing.
    if (aDef.empty()) return;
    if (aCheckSettings) MsCheckOptions(aObj->MsQuotedIdent, aObj->MsAnsiNulls);
    MetaData.push_back(aDef + fTermString);
    if (aEmptyAfter) MetaData.emplace_back();
    ExtractDescription(aObj, MetaData);
}

void TObjs::ExtractSch() {
    for (TSchData* s : Sch) {
        if (s->ServerProvided()) {
            DoSaveObj(s);
            ExtractDescription(s, MetaData);
            continue;
        }
        ExtractObj(s, s->Def(), false, true);
    }
}

void TObjs::ExtractUdf() {
    for (TUdfData* o : Udf) ExtractObj(o, o->Def(), false, true);
}
void TObjs::ExtractClt() {
    for (TCltData* o : Clt) ExtractObj(o, o->CreateDef(), true, false);
}
void TObjs::ExtractDmn() {
    for (TDmnData* o : Dmn) ExtractObj(o, o->Def(), true, true);
}
void TObjs::ExtractTbl() {
    for (TTblData* o : Tbl) ExtractObj(o, o->Def(), true, true);
}
namespace {
// MySQL's CREATE TABLE holds the table's primary key, unique constraints and indices; they
// are not written again after it.
bool InMySQLCreateTable(const TObjs& s, const std::string& aTable) {
    return s.GetDatabaseType() == dbMySQL && s.Tbl.Find(aTable) != nullptr;
}
bool InMySQLCreateTable(const TObjs& s, const TCtrData* c) {
    return (c->fCtType == ctPKey || c->fCtType == ctUnique) && InMySQLCreateTable(s, c->fTblName);
}
}  // namespace

void TObjs::ExtractIdx() {
    for (TIdxData* o : Idx) {
        if (InMySQLCreateTable(*this, o->TblName)) {
            DoSaveObj(o);
            continue;
        }
        ExtractObj(o, o->Def(), true, false);
        // An InterBase index is created active; an inactive one is switched off after it.
        if (fDatabaseType == dbInterBase && !o->Active && !o->Def().empty())
            MetaData.push_back("ALTER INDEX " + o->QuoteIdent(o->fObjName) + " INACTIVE" + fTermString);
    }
}
void TObjs::ExtractExc() {
    for (TExcData* o : Exc) ExtractObj(o, o->Def(), true, true);
}
void TObjs::ExtractGnr() {
    for (TGnrData* o : Gnr) {
        // A serial or identity column's sequence is made by its table's CREATE.
        if (o->ComesWithColumn()) {
            DoSaveObj(o);
            continue;
        }
        ExtractObj(o, o->Def(), true, false);
    }
}
// A view is written after the views of this set it uses (directly or through one of their
// columns), so that the script runs as written; otherwise in list order. A cycle, which no
// server accepts, is broken where it is found.
void TObjs::ExtractViw() {
    std::unordered_set<const TDbObj*> done, busy;
    std::function<void(TDbObj*)> write = [&](TDbObj* v) {
        if (done.count(v) || !busy.insert(v).second) return;
        for (auto& l : v->fUseOf) {
            TDbObj* u = l->Obj;
            if (u && u->ListKind() != olViw) u = u->GetOwnerObj();
            if (u && u->ListKind() == olViw && u != v && u->fObjs == this) write(u);
        }
        busy.erase(v);
        done.insert(v);
        ExtractObj(v, v->Def(), true, true);
    };
    for (TViwData* o : Viw) write(o);
}
void TObjs::ExtractEvt() {
    for (TEvtData* o : Evt) ExtractObj(o, o->CreateDef(), true, false);
}
void TObjs::ExtractRul() {
    for (TRulData* o : Rul) ExtractObj(o, o->CreateDef(), true, false);
}
void TObjs::ExtractRol() {
    for (TRolData* o : Rol) {
        // A user or login that needs a password is named in a comment, never created.
        const std::string withheld = o->CompExclude ? std::string() : o->WithheldCreateReason();
        if (!withheld.empty() && o->CreateDef().empty()) MetaData.push_back(o->GenComment(withheld));
        ExtractObj(o, o->CreateDef(), true, false);
    }
}
void TObjs::ExtractGnt() {
    for (TGntData* o : Gnt) ExtractObj(o, o->CreateDef(), false, false);
}
void TObjs::ExtractPbl() {
    for (TPblData* o : Pbl) ExtractObj(o, o->Def(), true, true);
}


void TObjs::ExtractCtr() {
    auto pass = [this](TConstraintType aType) {
        for (TCtrData* c : Ctr) {
            if (c->fCtType != aType) continue;
            DoSaveObj(c);
            if (InMySQLCreateTable(*this, c)) continue;
            const std::string def = c->Def();
            if (def.empty()) continue;
            if (!c->fObjName.empty()) MetaData.push_back("/* " + c->fObjName + " */");
            if (!c->Extra().SysName.empty()) MetaData.push_back("/* " + c->Extra().SysName + " */");
            MsCheckOptions(c->MsQuotedIdent, c->MsAnsiNulls);
            MetaData.push_back(def + fTermString);
            MetaData.emplace_back();
        }
    };
    if (fDatabaseType == dbMSSQL) pass(ctDefault);
    for (TConstraintType t : {ctPKey, ctUnique, ctFKey, ctCheck}) pass(t);
}

namespace {
// One routine or trigger of an export: its text, and whether this is the object's own entry
// (saved in its files) or an empty-body stand-in written before it.
struct TRoutineEntry {
    TDbObj* Obj;
    std::string Def;
    bool Own;
};

// Routines and triggers: the InterBase SET TERM wrapper, the Oracle "/" terminator and the
// MySQL DELIMITER lines.
void ExtractRoutines(TObjs& s, const std::vector<TRoutineEntry>& defs) {
    bool any = false;
    for (const auto& d : defs) any = any || !d.Def.empty();
    const TDatabaseType db = s.GetDatabaseType();
    if (db == dbInterBase && any) {
        s.MetaData.push_back("SET TERM ^ ;\r\n");
        s.fTermString = std::string("\r\n") + DialectTraits(db).RoutineTerm;
    }
    if (db == dbOracle) s.fTermString = std::string("\r\n") + DialectTraits(db).RoutineTerm;
    for (const auto& [o, def, own] : defs) {
        if (own) s.DoSaveObj(o);
        if (def.empty()) continue;
        s.MsCheckOptions(o->MsQuotedIdent, o->MsAnsiNulls);
        if (db == dbMySQL) {
            // The routine ends with the delimiter in force: ";" would leave it unterminated.
            s.MetaData.push_back("DELIMITER //");
            s.MetaData.push_back(def + "\r\n//");
            s.MetaData.push_back("DELIMITER ;");
        } else {
            s.MetaData.push_back(def + s.fTermString);
        }
        s.MetaData.emplace_back();
        if (own) s.ExtractDescription(o, s.MetaData);
    }
    if (db == dbInterBase && any) {
        s.MetaData.push_back("SET TERM ; ^\r\n");
        s.fTermString = ";";
    }
    if (db == dbOracle) s.fTermString = ";";
}

// Routines in an order the server accepts: each after the routines of the set it calls. A
// cycle of calls is broken where an empty body can be written: the routine that closes it
// is first created with its empty body, and its real text follows as ALTER.
std::vector<TRoutineEntry> RoutinesInCallOrder(TObjs& s) {
    std::vector<TRoutineEntry> out;
    std::unordered_set<const TDbObj*> done, busy, stubbed;
    std::function<void(TPrcData*)> write = [&](TPrcData* p) {
        if (done.count(p)) return;
        if (busy.count(p)) {
            if (p->EmptiesBody() && stubbed.insert(p).second) out.push_back({p, p->EmptyDef(), false});
            return;
        }
        busy.insert(p);
        for (auto& l : p->fUseOf) {
            auto* used = dynamic_cast<TPrcData*>(l->Obj);
            if (used && used != p && used->fObjs == &s) write(used);
        }
        busy.erase(p);
        done.insert(p);
        out.push_back({p, stubbed.count(p) ? p->AlterDef() : p->Def(), true});
    };
    for (TPrcData* p : s.Prc) write(p);
    return out;
}
}  // namespace

void TObjs::ExtractPrc() { ExtractRoutines(*this, RoutinesInCallOrder(*this)); }
void TObjs::ExtractTrg() {
    std::vector<TRoutineEntry> defs;
    for (TTrgData* t : Trg) defs.push_back({t, t->Def(), true});
    ExtractRoutines(*this, defs);
}

// Firebird compiles a package body against everything it calls, and a routine against the
// package headers it calls: the headers come before the routines, the bodies after them
// (ExtractPkgBodies). Oracle keeps an uncompiled body, so header and body go together.
void TObjs::ExtractPkg() {
    if (fDatabaseType != dbInterBase && fDatabaseType != dbOracle) return;
    std::vector<TRoutineEntry> defs;
    for (TPkgData* o : Pkg) defs.push_back({o, fDatabaseType == dbInterBase ? o->HeaderDef() : o->Def(), true});
    ExtractRoutines(*this, defs);
}

void TObjs::ExtractPkgBodies() {
    if (fDatabaseType != dbInterBase) return;
    std::vector<TRoutineEntry> defs;
    for (TPkgData* o : Pkg) defs.push_back({o, o->fBody.empty() ? std::string() : o->BodyDef(), false});
    ExtractRoutines(*this, defs);
}

void TObjs::MsCheckOptions(bool aQuotedIdent, bool aAnsiNulls) { MsCheckOptions(aQuotedIdent, aAnsiNulls, MetaData); }

void TObjs::MsCheckOptions(bool aQuotedIdent, bool aAnsiNulls, std::vector<std::string>& aScript) {
    if (fDatabaseType != dbMSSQL) return;
    if (aQuotedIdent != MsQuotedIdent) {
        aScript.push_back(std::string("SET QUOTED_IDENTIFIER ") + (aQuotedIdent ? "ON" : "OFF") + fTermString + "\r\n");
        MsQuotedIdent = aQuotedIdent;
    }
    if (aAnsiNulls != MsAnsiNulls) {
        aScript.push_back(std::string("SET ANSI_NULLS ") + (aAnsiNulls ? "ON" : "OFF") + fTermString + "\r\n");
        MsAnsiNulls = aAnsiNulls;
    }
}

void TObjs::ExtractDescription(TDbObj* aObj, std::vector<std::string>& aScript) {
    if (!aObj) return;
    if (fDatabaseType == dbPostgreSQL && !aObj->Extra().OwnUser.empty()) {
        std::string word, params;
        switch (aObj->ListKind()) {
            case olTbl: word = "ALTER TABLE"; break;
            case olDmn: word = "ALTER DOMAIN"; break;
            case olPrc:
                word = "ALTER FUNCTION";
                params = aObj->DescriptionTarget().Signature;
                break;
            case olViw: word = "ALTER VIEW"; break;
            default: break;
        }
        // A schema's CREATE names its owner. Operators and operator classes need their
        // operand list and access method, which they do not carry yet: no owner statement
        // for them.
        if (!word.empty()) {
            // The role is an identifier: quoted like every other name.
            aScript.push_back(word + " " + aObj->GetObjFullName() + params + " OWNER TO " +
                              aObj->QuoteIdent(aObj->Extra().OwnUser) + fTermString);
            aScript.emplace_back();
        }
    }
    if (!aObj->Extra().fDescription.empty()) {
        // An object without a description statement in this dialect writes nothing, not a
        // lone terminator.
        const std::string def = aObj->DescriptionDef();
        if (!def.empty()) {
            aScript.push_back(def + fTermString);
            aScript.emplace_back();
        }
    }
    aObj->ForEachDescribedField([&](TDbObj* f) {
        if (!f->Extra().fDescription.empty()) ExtractDescription(f, aScript);
    });
}

void TObjs::ExtractScriptHeader(std::vector<std::string>& aScript) {
    const std::string& db = fConnectionOptions.GetDatabaseName();
    const std::string& user = fConnectionOptions.GetUserName();
    const std::string& password = fConnectionOptions.GetPassword();  // only tells whether to name a login (Oracle)
    const bool connect = fScriptOptions.GetConnect() && !db.empty();
    switch (fDatabaseType) {
        case dbInterBase: {
            const TIBDatabaseOptions& dbo = fIBServerOptions.GetIBDatabaseOptions();
            if (fScriptOptions.GetDBCharSet()) {
                const std::string cs = fIBServerOptions.DBCharSetDef();
                if (!cs.empty()) aScript.push_back(cs + fTermString + "\r\n");
            }
            // A dialect 2 database gets its own dialect, not 3.
            const auto dialect = fIBServerOptions.GetSQLDialect();
            if (fScriptOptions.GetSQLDialect() && (dialect == 2 || dialect == 3))
                aScript.push_back("SET SQL DIALECT " + std::to_string(dialect) + fTermString + "\r\n");
            if (connect) {
                // A written script names the user, never the password: the client that
                // runs it supplies its own.
                std::string r = "CREATE DATABASE " + Quoted(db);
                if (!user.empty()) r += "\r\n USER " + Quoted(user);
                if (dbo.GetPageSize() != 0) r += "\r\nPAGE_SIZE " + std::to_string(dbo.GetPageSize());
                if (!fIBServerOptions.GetDBCharSet().empty())
                    r += "  DEFAULT CHARACTER SET " + fIBServerOptions.GetDBCharSet();
                aScript.push_back(r + fTermString + "\r\n");
            }
            if (dbo.GetODSMajorVersion() != 0)
                aScript.push_back("/* Server Version: " + dbo.GetServerVersion() + ".  ODS Version: " +
                                  std::to_string(dbo.GetODSMajorVersion()) + "." +
                                  std::to_string(dbo.GetODSMinorVersion()) + ". */" + "\r\n");
            break;
        }
        case dbMSSQL:
            if (connect) aScript.push_back("USE " + db + fTermString + "\r\n");
            MsQuotedIdent = true;
            MsAnsiNulls = true;
            MsCheckOptions(false, false, aScript);
            break;
        case dbMySQL:
            if (connect) aScript.push_back("USE " + db + fTermString + "\r\n");
            break;
        case dbOracle:
            if (fScriptOptions.GetConnect() && !user.empty() && !password.empty())
                aScript.push_back("-- CONNECT " + user + "/*****" + "@" + db + fTermString + "\r\n");
            break;
        case dbPostgreSQL:
            if (!db.empty()) aScript.push_back("/* Database: " + db + " */");
            break;
        case dbSybaseASE: {
            const TASEDatabaseOptions& o = fASEServerOptions.GetASEDatabaseOptions();
            auto line = [&aScript](const char* aLabel, const std::string& aValue) {
                if (!aValue.empty()) aScript.push_back(aLabel + aValue);
            };
            line("-- ", o.GetServerVersion());
            line("-- Database: ", db);
            line("-- Size    : ", o.GetDb_Size());
            line("-- Owner   : ", o.GetDbOwner());
            line("-- Created : ", o.GetDbCreated());
            line("-- Options : ", o.GetDbOptions());
            if (!o.GetServerVersion().empty()) aScript.emplace_back();
            if (connect) {
                const std::string end = fTermString + "\r\n";
                aScript.push_back("use " + db + end);
                aScript.push_back("use master" + end);
                aScript.push_back("if exists( select 1 from master.dbo.sysdatabases where name = " + Quoted(db) +
                                  ")" + "\r\n" + "  drop database " + db + end);
                aScript.push_back("create database " + db + end);
                aScript.push_back("use " + db + end);
                if (!o.GetASEDBOptions().IsEmpty()) {
                    for (std::size_t i = 0; i < EnumCount<TASEDBOption>; ++i) {
                        const auto opt = static_cast<TASEDBOption>(i);
                        if (!o.GetASEDBOptions().Contains(opt)) continue;
                        aScript.push_back("exec master.dbo.sp_dboption " + db + ", " +
                                          Quoted(TASEDatabaseOptions::DBOptionStr(opt)) + ", True" + end);
                    }
                    aScript.push_back("checkpoint" + end);
                }
            }
            break;
        }
        default: break;
    }
}

void TObjs::ExtractTable(std::vector<std::string>& aScript, const std::string& aTableName, bool aHeader,
                         TCmpObjSetType aObjects) {
    TDescriptionModeSwitch modeSwitch(*this);
    // The terminator of the set's dialect, as in the full export, so that description and
    // settings entries end like the statements around them.
    fTermString = ScriptTerm(fDatabaseType);
    TTblData* t = GetTable(aTableName);
    if (!t) t = GetTable(UpperCase(aTableName));
    if (!t) {
        aScript.push_back("/* Table \"" + aTableName + "\" not found */");
        return;
    }
    const std::string term = GenScriptTerm(fDatabaseType);
    const bool descriptions = aObjects.Contains(coDescription);
    if (aHeader) ExtractScriptHeader(aScript);
    aScript.push_back(t->Def() + term);
    if (descriptions) ExtractDescription(t, aScript);

    // Parts of the table are matched against the name as asked for.
    const std::pair<TCmpObjType, TConstraintType> ctrPasses[] = {
        {coPrimaryKey, ctPKey}, {coUnique, ctUnique}, {coForeignKey, ctFKey}, {coCheck, ctCheck}};
    for (const auto& [category, type] : ctrPasses) {
        if (!aObjects.Contains(category)) continue;
        bool first = true;
        for (TCtrData* c : Ctr) {
            if (c->fCtType != type || c->fTblName != aTableName || InMySQLCreateTable(*this, c)) continue;
            const std::string def = c->Def();
            if (def.empty()) continue;
            if (first) aScript.emplace_back();
            first = false;
            aScript.push_back(def + term);
        }
    }
    if (aObjects.Contains(coIndex)) {
        bool first = true;
        for (TIdxData* x : Idx) {
            if (x->TblName != aTableName || InMySQLCreateTable(*this, x->TblName)) continue;
            const std::string def = x->Def();
            if (def.empty()) continue;
            if (first) aScript.emplace_back();
            first = false;
            aScript.push_back(def + term);
            if (descriptions) ExtractDescription(x, aScript);
        }
    }
    if (aObjects.Contains(coTrigger)) {
        for (TTrgData* g : Trg) {
            if (g->fOwnName != aTableName) continue;
            const std::string def = g->Def();
            if (def.empty()) continue;
            aScript.emplace_back();
            if (fDatabaseType == dbInterBase) {
                aScript.push_back("SET TERM ^ ;");
                aScript.emplace_back();
                aScript.push_back(def);
                aScript.push_back("^");
                aScript.emplace_back();
                aScript.push_back("SET TERM ; ^");
            } else {
                aScript.push_back(def + term);
            }
            if (descriptions) ExtractDescription(g, aScript);
        }
    }
}

// ---------------------------------------------------------------------------
// Saving objects

std::string TObjs::UniqueStem(const std::string& aKind, const std::string& aName) {
    const std::string base = aKind + "_" + SafeNamePart(aName);
    std::string stem = base;
    for (int n = 2; fSavedStems.count(stem) != 0; ++n) stem = base + "_" + std::to_string(n);
    fSavedStems.insert(stem);
    return stem;
}

void TObjs::ReportSaveError(const std::string& aText) {
    fSaveErrors.push_back(aText);
    if (AddToLog) AddToLog(aText);
    if (fDBStructure && fDBStructure->GetExtractor()) ErrMsg(aText);
    else ShowMessage(aText);
}

void TObjs::SaveFile(const std::string& aStem, const std::string& aSuffix, const std::string& aText, bool& aOk) {
    namespace fs = std::filesystem;
    const std::string fileName = aStem + aSuffix;
    const fs::path path = fs::path(MetadataSaveDir) / fileName;
    // The stem holds no separator and no "..": the file is always directly in the folder.
    if (path.filename() != fileName || path.parent_path() != fs::path(MetadataSaveDir)) {
        ReportSaveError("Cannot write file: " + path.string() + ": unsafe file name");
        aOk = false;
        return;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        ReportSaveError("Cannot write file: " + path.string() + ": " + std::strerror(errno));
        aOk = false;
        return;
    }
    // UTF-16LE with its byte-order mark, so that the script loader reads it back as such.
    const TkrvEncoding& enc = TkrvEncoding::krvGetEncoding(encUnicode);
    const std::string bytes = enc.GetPreamble() + enc.GetBytes(aText);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        ReportSaveError("Cannot write file: " + path.string() + ": " + std::strerror(errno));
        aOk = false;
    }
}

bool TObjs::DoSaveObj(TDbObj* aObj) {
    if (MetadataSaveDir.empty() || !aObj) return true;
    const std::string body = aObj->Def();
    std::string header;
    header = aObj->SaveHeaderDef();
    if (header.empty() && body.empty()) return true;
    const std::string name = aObj->fObjName.empty() ? aObj->GetObjKeyDef() : aObj->fObjName;
    const std::string stem = UniqueStem(KindWord(aObj), name);
    bool ok = true;
    if (!header.empty()) SaveFile(stem, "_header.sql", header, ok);
    if (!body.empty()) SaveFile(stem, "_body.sql", body, ok);
    return ok;
}

// ---------------------------------------------------------------------------
// Helpers

void ParseDbPath(const std::string& aPath, std::string& aServer, std::string& aDatabase, TKRVProtocol& aProtocol) {
    aProtocol = ptLocal;
    aServer.clear();
    aDatabase = aPath;
    const std::string path = Trim(aPath);
    std::string work = path;
    if (const auto c = work.find(':'); c != std::string::npos) work[c] = ' ';
    if (const auto c = work.find(':'); c != std::string::npos) {
        aProtocol = ptTCP;
        aServer = Trim(path.substr(0, path.find(':')));
        aDatabase = path.substr(path.find(':') + 1);
        return;
    }
    if (path.find("\\\\") != std::string::npos) {
        aProtocol = ptNamedPipe;
        std::string rest = path.substr(2);
        if (const auto b = rest.find('\\'); b != std::string::npos) {
            aServer = rest.substr(0, b);
            rest = rest.substr(b + 1);
        }
        aDatabase = rest;
        return;
    }
    if (const auto at = path.find('@'); at != std::string::npos) {
        aProtocol = ptSPX;
        aServer = path.substr(0, at);
        aDatabase = path.substr(at + 1);
    }
}

std::string obj_str(TDbObject aType) {
    switch (aType) {
        case dboTable: return "relation";
        case dboProcedure: return "procedure";
        case dboTrigger: return "trigger";
        case dboFunction: return "function";
        case dboException: return "exception";
        case dboIndex: return "index";
        case dboView: return "view";
        case dboGenerator: return "generator";
        case dboField: return "field";
        case dboRole: return "sql_role";
        case dboUser: return "user";
        case dboUserGroup: return "user_group";
        case dboValidation: return "validation";
        case dboExprIndex: return "expression_index";
        case dboCount: return "count";
        case dboComputed: return "computed";
        default: return "???";
    }
}

std::string ClearCrLf(const std::string& aText) {
    std::string r = aText;
    for (std::size_t p; (p = r.find(" \r\n")) != std::string::npos;) r.erase(p, 1);
    for (std::size_t p; (p = r.find("\r\n\r\n")) != std::string::npos;) r.erase(p, 2);
    return r;
}

}  // namespace dbtwin
