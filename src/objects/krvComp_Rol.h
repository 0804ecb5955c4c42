// Roles, users and grants.
#pragma once

#include <vector>

#include "model/krvClasses.h"

namespace dbtwin {

// What a roles-list entry stands for.
enum TUserType : std::uint8_t { usrRol, usrLgn, usrUsr };
DBTWIN_ENUM_COUNT(TUserType, 3);

class TRolData : public TDbObj {
public:
    explicit TRolData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboRole; }
    const char* ClassName() const override { return "TRolData"; }
    TObjListKind ListKind() const override { return olRol; }

    TUserType UserType = usrRol;
    std::string LoginName;  // login that a database user maps to
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

    TGrantPrivilegeSet Privilege;
    std::string User;
    TDbObject GntUserType = dboUser;
    std::string GntObjName;
    TDbObject GntObjType = dboUnknown;
    std::int32_t Option = 0;
    std::vector<std::string> Flds;  // columns of column privileges
    TCmpObjType CmpGrantType = coGrant;

    std::string GetObjKeyDef() const override;
    // Grants on one object to one grantee with the same option merge: privileges on the
    // whole object add up, and column privileges of the same privileges add their columns.
    std::string MergeKey() const override;
    bool MergeFrom(const TDbObj& aOther) override;
};

}  // namespace dbtwin
