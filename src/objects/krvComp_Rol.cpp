#include "objects/krvComp_Rol.h"

#include <algorithm>
#include <utility>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Prc.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

std::string Lit(const std::string& s) { return ScriptQuotedStr(s, dbAbstract); }

using TWords = std::initializer_list<std::pair<TGrantPrivilege, const char*>>;

// Appends the words of the privileges the set holds, in the order given, joined by ", ".
void AddWords(std::string& r, TGrantPrivilegeSet aSet, TWords aWords, const std::string& aSuffix = std::string()) {
    for (const auto& [p, word] : aWords)
        if (aSet.Contains(p)) r += (r.empty() ? "" : ", ") + std::string(word) + aSuffix;
}

const TWords kTableWords = {{gntDelete, "DELETE"},
                            {gntInsert, "INSERT"},
                            {gntSelect, "SELECT"},
                            {gntUpdate, "UPDATE"},
                            {gntReferences, "REFERENCES"},
                            {gntTruncateTable, "TRUNCATE TABLE"},
                            {gntUpdateStatistics, "UPDATE STATISTICS"},
                            {gntDeleteStatistics, "DELETE STATISTICS"}};
const TWords kOtherWords = {{gntConnect, "CONNECT"}, {gntExecute, "EXECUTE"}, {gntUsageOn, "USAGE"}};
const TWords kOracleObjectWords = {{gntDelete, "DELETE"}, {gntInsert, "INSERT"},         {gntSelect, "SELECT"},
                                   {gntUpdate, "UPDATE"}, {gntReferences, "REFERENCES"}, {gntExecute, "EXECUTE"}};
const TWords kOracleSystemWords = {{gntCreateDatabaseLink, "CREATE DATABASE LINK"},
                                   {gntCreateSession, "CREATE SESSION"},
                                   {gntCreatePublicSynonym, "CREATE PUBLIC SYNONYM"},
                                   {gntCreateSynonym, "CREATE SYNONYM"},
                                   {gntCreateType, "CREATE TYPE"},
                                   {gntCreateTable, "CREATE TABLE"},
                                   {gntCreateView, "CREATE VIEW"},
                                   {gntCreateTrigger, "CREATE TRIGGER"},
                                   {gntCreateProcedure, "CREATE PROCEDURE"},
                                   {gntCreateSequence, "CREATE SEQUENCE"},
                                   {gntCreateIndexType, "CREATE INDEXTYPE"},
                                   {gntDropPublicSynonym, "DROP PUBLIC SYNONYM"},
                                   {gntDropSynonym, "DROP SYNONYM"},
                                   {gntDropType, "DROP TYPE"},
                                   {gntDropTable, "DROP TABLE"},
                                   {gntDropView, "DROP VIEW"},
                                   {gntDropTrigger, "DROP TRIGGER"},
                                   {gntDropProcedure, "DROP PROCEDURE"},
                                   {gntDropSequence, "DROP SEQUENCE"},
                                   {gntDropIndexType, "DROP INDEXTYPE"},
                                   {gntUnlimitedTableSpace, "UNLIMITED TABLESPACE"},
                                   {gntForceAnyTransaction, "FORCE ANY TRANSACTION"}};
// Statement permissions of SQL Server and ASE; the revoke list lacks the last two.
const TWords kStatementWords = {{gntCreateDatabase, "CREATE DATABASE"},   {gntCreateDefault, "CREATE DEFAULT"},
                                {gntCreateFunction, "CREATE FUNCTION"},   {gntCreateProcedure, "CREATE PROCEDURE"},
                                {gntCreateRule, "CREATE RULE"},           {gntCreateTable, "CREATE TABLE"},
                                {gntCreateView, "CREATE VIEW"},           {gntBackupDatabase, "BACKUP DATABASE"},
                                {gntBackupLog, "BACKUP LOG"},             {gntDumpDatabase, "DUMP DATABASE"},
                                {gntDumpTransaction, "DUMP TRANSACTION"}, {gntViewAnyDatabase, "VIEW ANY DATABASE"}};
const TWords kStatementGrantOnlyWords = {{gntTruncateTable, "TRUNCATE TABLE"}, {gntUpdateStatistics, "UPDATE STATISTICS"}};

const TGrantPrivilegeSet kFiveTablePrivileges{gntInsert, gntUpdate, gntDelete, gntSelect, gntReferences};

// A MariaDB account: the name, and its host when the name carries one after "@" (else any host).
std::string MySQLAccount(const std::string& aName) {
    const std::size_t at = aName.rfind('@');
    const std::string user = at == std::string::npos ? aName : aName.substr(0, at);
    const std::string host = at == std::string::npos ? "%" : aName.substr(at + 1);
    return ScriptQuotedStr(user, dbMySQL) + "@" + ScriptQuotedStr(host, dbMySQL);
}

TObjListKind GrantedList(TDbObject aKind) {
    switch (aKind) {
        case dboTable: return olTbl;
        case dboView: return olViw;
        case dboProcedure:
        case dboFunction: return olPrc;
        case dboGenerator: return olGnr;
        case dboException: return olExc;
        case dboPackage: return olPkg;
        case dboSchema: return olSch;
        case dboDomain: return olDmn;
        case dboRole: return olRol;
        default: return olNone;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// TRolData

std::string TRolData::GetObjKeyDef() const {
    switch (UserType) {
        case usrLgn: return "Login: " + fObjName;
        case usrUsr: return "User: " + fObjName;
        default: return "Role: " + fObjName;
    }
}

std::string TRolData::WithheldCreateReason() const {
    const TDatabaseType db = GetDatabaseType();
    if (UserType == usrLgn || (UserType == usrUsr && db == dbMSSQL))
        return "Login " + (LoginName.empty() || UserType == usrLgn ? fObjName : LoginName) +
               " is not created: a login needs a password, which the script does not carry; create it first";
    if (UserType == usrUsr && db != dbSybaseASE)
        return "User " + fObjName +
               " is not created: a user needs a password, which the script does not carry; create it first";
    return std::string();
}

std::string TRolData::Def() const {
    const TDatabaseType db = GetDatabaseType();
    const std::string withheld = WithheldCreateReason();
    const std::string note = withheld.empty() ? std::string() : DialectTraits(db).SafeComment(withheld);
    switch (db) {
        case dbMSSQL:
            if (UserType == usrUsr) return note + kCRLF + MSSQLGrantDbAccess();
            if (UserType == usrLgn) return note;
            if (IsAppRole) return "exec sp_addapprole N" + Lit(fObjName) + ", N" + Lit("");
            return "exec sp_addrole N" + Lit(fObjName);
        case dbSybaseASE:
            if (UserType == usrLgn) return note;
            if (UserType == usrUsr)
                return "if (not exists(select name from dbo.sysusers where name = " + Lit(fObjName) + "))" + kCRLF +
                       "  exec sp_adduser " + QuoteIdent(LoginName.empty() ? fObjName : LoginName) + ", " +
                       QuoteIdent(fObjName);
            return "if (not exists(select name from master.dbo.syssrvroles where name = " + Lit(fObjName) + "))" +
                   kCRLF + "  begin" + kCRLF + "    use master" + kCRLF + "    create role " + QuoteIdent(fObjName) +
                   kCRLF + "  end";
        default:
            if (!withheld.empty()) return note;
            return (OwnName.empty() ? std::string() : "/* Role: " + fObjName + ", Owner: " + OwnName + " */" + kCRLF) +
                   "CREATE ROLE " + QuoteIdent(fObjName);
    }
}

std::string TRolData::CreateDef() const {
    if (CompExclude || !WithheldCreateReason().empty()) {
        // What the script can do without the password: map the login into the database.
        if (!CompExclude && GetDatabaseType() == dbMSSQL && UserType == usrUsr) return MSSQLGrantDbAccess();
        return std::string();
    }
    if (GetDatabaseType() == dbSybaseASE && UserType == usrRol) {
        const std::string db = fObjs ? fObjs->fConnectionOptions.GetDatabaseName() : std::string();
        std::string r = Def();
        r.insert(r.rfind(std::string(kCRLF) + "  end"), std::string(kCRLF) + "    use " + db);
        return r;
    }
    return Def();
}

std::string TRolData::MSSQLAddLogin() const {
    return "exec sp_addlogin @loginame = N" + Lit(LoginName.empty() ? fObjName : LoginName);
}

std::string TRolData::MSSQLGrantDbAccess() const {
    return "exec sp_grantdbaccess @loginame = N" + Lit(LoginName.empty() ? fObjName : LoginName) +
           ", @name_in_db = N" + Lit(fObjName);
}

std::string TRolData::DropDef() const {
    const TDatabaseType db = GetDatabaseType();
    switch (db) {
        case dbMSSQL:
            if (UserType == usrUsr) {
                const std::string upper = UpperCase(fObjName);
                const bool builtIn = upper == "SYS" || upper == "GUEST" || upper == "INFORMATION_SCHEMA";
                if (builtIn && fObjs && fObjs->fMSSQLServerOptions.GetSQLServerVersion() != st_MSSQL2000) return "";
                return "exec sp_revokedbaccess @name_in_db = N" + Lit(fObjName);
            }
            if (IsAppRole) return "exec sp_dropapprole @rolename = N" + Lit(fObjName);
            return "exec sp_droprole @rolename = N" + Lit(fObjName);
        case dbSybaseASE:
            if (UserType == usrUsr) return "exec sp_dropuser " + QuoteIdent(fObjName);
            return "DROP ROLE " + QuoteIdent(fObjName);
        case dbPostgreSQL:
            // A user is a role that may log in.
            return "DROP ROLE " + QuoteIdent(fObjName);
        case dbMySQL:
            if (UserType == usrRol) return "DROP ROLE " + QuoteIdent(fObjName);
            return "DROP USER " + MySQLAccount(fObjName);
        default:
            if (UserType == usrRol) return "DROP ROLE " + QuoteIdent(fObjName);
            return "DROP USER " + QuoteIdent(fObjName);
    }
}

// ---------------------------------------------------------------------------
// TGntData

std::string TGntData::GetObjKeyDef() const {
    const TDatabaseType db = GetDatabaseType();
    if (db != dbInterBase) return Def();
    const TIBSQLServerVersionType version = GetIBServerOptions()->GetSQLServerVersion();
    return DefWith([version](const std::string& s) { return Quote_Ident(s, dbInterBase, version, 1); });
}

std::string TGntData::Def() const { return DefWith(Quoter()); }

std::string TGntData::GrantOptionDef() const {
    if (Option != 1) return std::string();
    return IsRoleGrant() ? " WITH ADMIN OPTION" : " WITH GRANT OPTION";
}

std::string TGntData::DefWith(const TQuote& q) const {
    switch (GetDatabaseType()) {
        case dbOracle: return OracleDef(q);
        case dbMSSQL:
        case dbSybaseASE: return MSSQLDef(q);
        default:
            if (GntObjType == dboUnknown && !Body.empty()) return Body;
            return "GRANT " + PrivilegesWith(q) + " TO " + GranteeWith(q) + GrantOptionDef();
    }
}

std::string TGntData::OracleDef(const TQuote& q) const {
    if (!Body.empty()) return "GRANT " + Body;
    std::string list;
    if (!GntObjName.empty() && Privilege.IsEmpty()) return "GRANT " + q(GntObjName) + " TO " + q(User) + GrantOptionDef();
    if (!GntObjName.empty()) {
        AddWords(list, Privilege, kOracleObjectWords, ColumnsWith(q));
        return "GRANT " + list + " ON " + q(GntObjName) + " TO " + q(User) + GrantOptionDef();
    }
    AddWords(list, Privilege, kOracleSystemWords);
    return "GRANT " + list + " TO " + q(User) + GrantOptionDef();
}

std::string TGntData::MSSQLDef(const TQuote& q) const {
    if (!Body.empty()) return Body;
    if (Privilege == TGrantPrivilegeSet{gntConnect}) return "GRANT CONNECT TO " + q(GntObjName) + " AS " + q(User);
    if (GntObjType != dboUnknown || !GntObjName.empty())
        return "GRANT " + PrivilegesWith(q) + " TO " + q(User) + GrantOptionDef();
    std::string list;
    AddWords(list, Privilege, kStatementWords);
    AddWords(list, Privilege, kStatementGrantOnlyWords);
    return "GRANT " + list + " TO " + q(User) + GrantOptionDef();
}

std::string TGntData::PrivilegesWith(const TQuote& q) const {
    const TDatabaseType db = GetDatabaseType();
    if (IsRoleGrant()) return (db == dbSybaseASE ? "ROLE " : "") + q(GntObjName);
    const std::string cols = ColumnsWith(q);
    std::string r;
    const bool tableLike = GntObjType == dboTable || GntObjType == dboView || GntObjType == dboUnknown;
    if (Privilege.Contains(gntAll)) r = "ALL" + cols;
    // ALL stands for the five table privileges only where it means exactly those; a column
    // list belongs to each privilege, so that none is granted on the whole table.
    else if (tableLike && Flds.empty() && Privilege == kFiveTablePrivileges && DialectTraits(db).AllIsTablePrivileges)
        r = "ALL";
    else AddWords(r, Privilege, kTableWords, cols);
    AddWords(r, Privilege, kOtherWords);
    if (!GntObjName.empty()) r += " ON " + OnObjectWith(q);
    return r;
}

const TDbObj* TGntData::GrantedObject() const {
    const TObjListKind list = GrantedList(GntObjType);
    if (!fObjs || list == olNone || list == olRol) return nullptr;
    if (const TDbObj* o = fObjs->FindInList(list, GntObjName)) return o;
    // Routines may be filed under a key that carries their parameters.
    const TDbObj* found = nullptr;
    TCustomObjs::KindListOf(list)->ForEach(*fObjs, [&](TDbObj* o) {
        if (!found && o->fObjName == GntObjName) found = o;
    });
    return found;
}

std::string TGntData::OnObjectWith(const TQuote& q) const {
    const TDialectTraits& traits = DialectTraits(GetDatabaseType());
    const TDbObj* obj = GrantedObject();
    const auto* routine = dynamic_cast<const TPrcData*>(obj);
    TDbObject kind = GntObjType;
    if (routine) kind = routine->Func ? dboFunction : dboProcedure;
    std::string r(traits.GrantObjectWord(kind));
    if (obj && traits.Qualifier == nqSchema && !obj->fSchema.empty()) r += q(obj->fSchema) + ".";
    r += q(GntObjName);
    // PostgreSQL names a routine by its parameter types (routines may be overloaded).
    if (routine && GetDatabaseType() == dbPostgreSQL) r += routine->ParamDef(false);
    return r;
}

std::string TGntData::GranteeWith(const TQuote& q) const {
    if (!DialectTraits(GetDatabaseType()).GranteeKindWords) return q(User);
    switch (GntUserType) {
        case dboProcedure: return "PROCEDURE " + q(User);
        case dboTrigger: return "TRIGGER " + q(User);
        case dboFunction: return "FUNCTION " + q(User);
        case dboView: return "VIEW " + q(User);
        case dboRole: return "ROLE " + q(User);
        case dboPackage: return "PACKAGE " + q(User);
        default: return q(User);
    }
}

std::string TGntData::GrantPrivilegesDef() const {
    return PrivilegesWith(Quoter());
}

std::string TGntData::GranteeListDef() const {
    return GranteeWith(Quoter());
}

std::string TGntData::ColumnsWith(const TQuote& q) const {
    if (Flds.empty()) return std::string();
    std::string r = " (";
    for (std::size_t i = 0; i < Flds.size(); ++i) r += (i ? ", " : "") + q(Flds[i]);
    return r + ")";
}

std::string TGntData::GrantFldsSeq() const {
    return ColumnsWith(Quoter());
}

std::string TGntData::DropDef() const {
    const TDatabaseType db = GetDatabaseType();
    const auto q = Quoter();
    if (GntObjType == dboUnknown && GntObjName.empty()) {
        std::string list;
        AddWords(list, Privilege, db == dbOracle ? kOracleSystemWords : kStatementWords);
        return "REVOKE " + list + " FROM " + q(User);
    }
    std::string r = "REVOKE " + PrivilegesWith(q);
    // MariaDB keeps the grant option of a table apart from its privileges.
    if (db == dbMySQL && Option == 1 && !IsRoleGrant()) {
        const std::size_t on = r.rfind(" ON ");
        r.insert(on == std::string::npos ? r.size() : on, ", GRANT OPTION");
    }
    return r + " FROM " + (db == dbOracle || db == dbMSSQL || db == dbSybaseASE ? q(User) : GranteeWith(q));
}

std::string TGntData::RevokeOptionDef() const {
    const auto q = Quoter();
    const std::string from = " FROM " + GranteeListDef();
    if (IsRoleGrant()) return "REVOKE ADMIN OPTION FOR " + q(GntObjName) + from;
    if (GetDatabaseType() == dbMySQL) return "REVOKE GRANT OPTION ON " + OnObjectWith(q) + from;
    return "REVOKE GRANT OPTION FOR " + GrantPrivilegesDef() + from;
}

bool TGntData::TakesPart(TCmpObjSetType aCompare) const {
    return CmpGrantType == coGrant || aCompare.Contains(CmpGrantType);
}

std::string TGntData::MergeKey() const {
    return GntObjName + '\x1F' + User + '\x1F' + std::to_string(Option);
}

bool TGntData::MergeFrom(const TDbObj& aOther) {
    const auto* o = dynamic_cast<const TGntData*>(&aOther);
    if (!o) return false;
    if (Flds.empty() && o->Flds.empty()) {
        Privilege += o->Privilege;
        return true;
    }
    if (Privilege == o->Privilege && !Flds.empty() && !o->Flds.empty()) {
        for (const std::string& f : o->Flds)
            if (std::find(Flds.begin(), Flds.end(), f) == Flds.end()) Flds.push_back(f);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Generators

namespace {

bool SameGrantee(const TGntData& a, const TGntData& b) {
    return a.GntObjName == b.GntObjName && a.GntObjType == b.GntObjType && a.User == b.User &&
           a.GntUserType == b.GntUserType;
}

bool SameColumns(const TGntData& a, const TGntData& b) {
    std::vector<std::string> x = a.Flds, y = b.Flds;
    std::sort(x.begin(), x.end());
    std::sort(y.begin(), y.end());
    return x == y;
}

// A master grant of the same object and grantee without option that holds every privilege
// (or the role) of the target grant: only the option of the target grant is too much.
TGntData* KeptWithoutOption(const TCustomObjs& M, const TGntData& t, TCmpObjSetType aCompare) {
    if (t.Option != 1 || t.GetDatabaseType() == dbOracle || !t.Body.empty()) return nullptr;
    for (TGntData* m : M.Gnt) {
        if (m->CompExclude || !m->TakesPart(aCompare) || m->Option != 0 || !SameGrantee(*m, t)) continue;
        if (!SameColumns(*m, t) || !(t.Privilege - m->Privilege).IsEmpty()) continue;
        return m;
    }
    return nullptr;
}

void WriteRole(TKeldar& k, TRolData* m) {
    const std::string withheld = m->WithheldCreateReason();
    if (!withheld.empty()) {
        k.GetSQLExec()->AddComment(DialectTraits(m->GetDatabaseType()).SafeComment(withheld));
        k.AddWarning(withheld, nullptr, false);
    }
    const std::string text = m->CreateDef();
    if (text.empty()) return;
    m->AddStatement(text, stStatement, m->fObjName, dboRole, odbCreate);
    m->SetObjCreated(true);
    if (k.GetCompareObjects().Contains(coDescription) && !m->GetDescription().empty()) m->AddDescription();
}

void DropRoles(TCustomObjs& T, TCustomSQLExec* ex, TUserType aType, const char* aHeading) {
    bool any = false;
    for (TRolData* t : T.Rol) {
        if (t->UserType != aType || !t->GetObjCreated() || t->CompExclude || t->GetRefObj()) continue;
        if (t->DropDef().empty()) continue;
        if (!any) ex->AddComment(t->GenComment(aHeading));
        any = true;
        t->DropDependDef();
    }
    if (any) ex->AddComment(kCRLF);
}

}  // namespace

void GenScriptRoleCreate(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !ex) return;
    const std::pair<TUserType, const char*> passes[] = {
        {usrRol, "Creating roles"}, {usrLgn, "Creating logins"}, {usrUsr, "Creating users"}};
    for (const auto& [type, heading] : passes) {
        bool any = false;
        for (TRolData* m : M->Rol) {
            if (m->UserType != type || m->CompExclude) continue;
            if (m->GetRefObj() && m->GetObjCreated()) continue;
            if (!any) ex->AddComment(m->GenComment(heading));
            any = true;
            WriteRole(k, m);
        }
        if (any) ex->AddComment(kCRLF);
    }
}

void GenScriptRoleAlter(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    if (!M || !k.GetCompareObjects().Contains(coDescription)) return;
    for (TRolData* m : M->Rol) {
        TDbObj* t = m->GetRefObj();
        if (m->UserType != usrRol || !t || m->CompExclude || t->CompExclude) continue;
        if (m->GetDescription() != t->GetDescription()) m->AddDescription();
    }
}

// SQL Server and ASE keep target-only roles and logins: they are shared beyond the database.
void GenScriptRoleDrop(TKeldar& k) {
    TCustomObjs* T = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!T || !ex) return;
    DropRoles(*T, ex, usrUsr, "Dropping users");
    if (T->GetDatabaseType() == dbMSSQL || T->GetDatabaseType() == dbSybaseASE) return;
    DropRoles(*T, ex, usrLgn, "Dropping logins");
    DropRoles(*T, ex, usrRol, "Dropping roles");
}

// A grant the master lacks is revoked whole; a grant whose privileges the master keeps
// without the grant (admin) option loses only the option.
void GenScriptGntDrop(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomObjs* T = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !T || !ex) return;
    const TCmpObjSetType compare = k.GetCompareObjects();
    for (TGntData* t : T->Gnt) {
        if (!t->TakesPart(compare) || !t->GetObjCreated() || t->CompExclude) continue;
        const std::string def = t->Def();
        if (t->GetRefObj() && t->GetRefObj()->Def() == def) continue;
        TGntData* kept = KeptWithoutOption(*M, *t, compare);
        ex->AddComment(DialectTraits(T->GetDatabaseType()).SafeComment("DROP: -- " + def));
        t->AddStatement(kept ? t->RevokeOptionDef() : t->DropDef(), stStatement, def, dboGrant, odbDrop);
        t->SetObjCreated(false);
        if (kept && kept->Privilege == t->Privilege) kept->SetObjCreated(true);
        // MariaDB's option covers every privilege of the grantee on the object: a matched
        // grant with option is granted again.
        if (T->GetDatabaseType() == dbMySQL && t->Option == 1 && !t->IsRoleGrant() && !kept)
            for (TGntData* m : M->Gnt)
                if (m->Option == 1 && SameGrantee(*m, *t) && m->GetObjCreated()) m->SetObjCreated(false);
    }
}

void GenScriptGntCreate(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !ex) return;
    const TCmpObjSetType compare = k.GetCompareObjects();
    bool any = false;
    for (TGntData* m : M->Gnt) {
        if (!m->TakesPart(compare) || m->CompExclude || m->GetObjCreated()) continue;
        if (!any) ex->AddComment(m->GenComment("Create(Add) Crant"));
        any = true;
        const std::string def = m->Def();
        m->AddStatement(m->CreateDef(), stStatement, def, dboGrant, odbCreate);
        m->SetObjCreated(true);
    }
    if (any) ex->AddComment(kCRLF);
}

}  // namespace dbtwin
