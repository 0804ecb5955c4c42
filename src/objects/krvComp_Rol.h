// Roles, users and grants.
#pragma once

#include <functional>
#include <vector>

#include "model/krvClasses.h"

namespace dbtwin {

class TKeldar;

// What a roles-list entry stands for.
enum TUserType : std::uint8_t { usrRol, usrLgn, usrUsr };
DBTWIN_ENUM_COUNT(TUserType, 3);

class TRolData : public TDbObj {
public:
    explicit TRolData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboRole; }
    const char* ClassName() const override { return "TRolData"; }
    TObjListKind ListKind() const override { return olRol; }

    std::string OwnName;            // owner of the role, when the source names one
    std::int32_t IsAppRole = 0;     // non-zero for a SQL Server application role
    std::string LoginName;          // login that a database user maps to
    // As read from a catalog; never written into a script, an export or a message.
    std::string Password, EncryptedPassword;
    TUserType UserType = usrRol;

    // "Role: ", "Login: " or "User: " and the name: a role and a user of one name never match.
    std::string GetObjKeyDef() const override;
    std::string Def() const override;
    std::string CreateDef() const override;
    std::string DropDef() const override;
    std::string MSSQLAddLogin() const;
    std::string MSSQLGrantDbAccess() const;
    // Why the script does not create this entry itself: a user or login whose creation needs
    // a password, which no script carries. Empty when its create text is written.
    std::string WithheldCreateReason() const;
};

class TGntData : public TDbObj {
public:
    explicit TGntData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboGrant; }
    const char* ClassName() const override { return "TGntData"; }
    TObjListKind ListKind() const override { return olGnt; }
    // A grant on a dropped object is gone with it: the grant phase writes it again.
    void DropForUsed(TDbObj* /*aUsed*/, TDependObj* aLink) override {
        SetObjCreated(false);
        aLink->Active = false;
    }

    std::string Body;  // the whole grant text as a reader read it; used unchanged when set
    TGrantPrivilegeSet Privilege;
    std::string User;
    TDbObject GntUserType = dboUser;
    std::string GntObjName;
    TDbObject GntObjType = dboUnknown;
    std::int32_t Option = 0;        // 1: WITH GRANT OPTION (WITH ADMIN OPTION for a role)
    std::vector<std::string> Flds;  // columns of column privileges
    TCmpObjType CmpGrantType = coGrant;

    bool IsRoleGrant() const { return GntObjType == dboRole; }

    // The grant text with InterBase identifiers quoted as in dialect 1, so that dialect-3
    // quoting does not change the key.
    std::string GetObjKeyDef() const override;
    std::string Def() const override;
    // Revokes the privileges (or the role) with any grant or admin option.
    std::string DropDef() const override;
    // Revokes only the grant (admin) option and leaves the privileges.
    std::string RevokeOptionDef() const;
    // The privilege words with their columns and ON clause; the role for a role grant.
    std::string GrantPrivilegesDef() const;
    std::string GranteeListDef() const;
    std::string GrantFldsSeq() const;
    // Whether the grant takes part in a comparison of these categories.
    bool TakesPart(TCmpObjSetType aCompare) const;
    // Grants on one object to one grantee with the same option merge: privileges on the
    // whole object add up, and column privileges of the same privileges add their columns.
    std::string MergeKey() const override;
    bool MergeFrom(const TDbObj& aOther) override;

private:
    using TQuote = std::function<std::string(const std::string&)>;
    std::string DefWith(const TQuote& q) const;
    std::string OracleDef(const TQuote& q) const;
    std::string MSSQLDef(const TQuote& q) const;
    std::string PrivilegesWith(const TQuote& q) const;
    std::string OnObjectWith(const TQuote& q) const;
    std::string GranteeWith(const TQuote& q) const;
    std::string ColumnsWith(const TQuote& q) const;
    std::string GrantOptionDef() const;
    // The object the privileges are on, when its set holds it.
    const TDbObj* GrantedObject() const;
};

void GenScriptRoleCreate(TKeldar& k);
void GenScriptRoleAlter(TKeldar& k);
void GenScriptRoleDrop(TKeldar& k);
void GenScriptGntDrop(TKeldar& k);
void GenScriptGntCreate(TKeldar& k);

}  // namespace dbtwin
