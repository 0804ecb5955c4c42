#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvDBStructure.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddRoutine;
using testing::AddSequence;
using testing::AddTable;
using testing::AddView;
using testing::AsLiteral;
using testing::Col;
using testing::Compare;
using testing::GeneratedPart;
using testing::TextCase;

struct GntFields {
    TDbObject objType;
    std::string obj;
    std::string user;
    TGrantPrivilegeSet privileges;
    std::int32_t option = 0;
    std::vector<std::string> flds = {};
    TDbObject userType = dboUser;
};

// Files a grant as a reader does: merged into an equal one when the set holds one.
TGntData* AddGrant(TCustomObjs& o, const GntFields& s, TCmpObjType category = coGrant) {
    auto* g = new TGntData(&o);
    g->GntObjType = s.objType;
    g->GntObjName = s.obj;
    g->User = s.user;
    g->Privilege = s.privileges;
    g->Option = s.option;
    g->Flds = s.flds;
    g->GntUserType = s.userType;
    g->CmpGrantType = category;
    if (TGntData* filed = o.AddGrant(g)) return filed;
    delete g;
    return nullptr;
}

TGntData* RoleGrant(TCustomObjs& o, const std::string& role, const std::string& user, std::int32_t option = 0) {
    return AddGrant(o, {dboRole, role, user, {}, option});
}

TRolData* AddRole(TCustomObjs& o, const std::string& name, TUserType type = usrRol,
                  const std::function<void(TRolData&)>& tweak = nullptr) {
    auto* r = new TRolData(&o);
    r->SetObjName(name);
    r->UserType = type;
    if (tweak) tweak(*r);
    return testing::File(o, r);
}

const TGrantPrivilegeSet kFive{gntInsert, gntUpdate, gntDelete, gntSelect, gntReferences};

// ---------------------------------------------------------------------------
// Grant and revoke texts

class GrantTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(GrantTextTest, DefAndDrop) {
    testing::ExpectTexts(GetParam(), [](TObjs& o) { o.fIBServerOptions.SetSQLServerVersion(st_Firebird_30); });
}

TDbObj* Plain(TCustomObjs& o, const GntFields& s) { return AddGrant(o, s); }

const TextCase kGrantTexts[] = {
    // ALL only where it means exactly the five table privileges.
    {"FirebirdFiveTablePrivilegesAreAll", dbInterBase, [](TCustomObjs& o) { return Plain(o, {dboTable, "T", "U", kFive}); },
     "GRANT ALL ON T TO U", "REVOKE ALL ON T FROM U"},
    {"SqlServerFiveTablePrivilegesAreAll", dbMSSQL, [](TCustomObjs& o) { return Plain(o, {dboTable, "T", "U", kFive}); },
     "GRANT ALL ON T TO U", "REVOKE ALL ON T FROM U"},
    {"AseListsTheFive", dbSybaseASE, [](TCustomObjs& o) { return Plain(o, {dboTable, "T", "U", kFive}); },
     "GRANT DELETE, INSERT, SELECT, UPDATE, REFERENCES ON T TO U",
     "REVOKE DELETE, INSERT, SELECT, UPDATE, REFERENCES ON T FROM U"},
    {"PostgreSQLListsTheFive", dbPostgreSQL, [](TCustomObjs& o) { return Plain(o, {dboTable, "t", "u", kFive}); },
     "GRANT DELETE, INSERT, SELECT, UPDATE, REFERENCES ON t TO u",
     "REVOKE DELETE, INSERT, SELECT, UPDATE, REFERENCES ON t FROM u"},
    {"MariaDBListsTheFive", dbMySQL, [](TCustomObjs& o) { return Plain(o, {dboTable, "t", "u", kFive}); },
     "GRANT DELETE, INSERT, SELECT, UPDATE, REFERENCES ON `t` TO `u`",
     "REVOKE DELETE, INSERT, SELECT, UPDATE, REFERENCES ON `t` FROM `u`"},
    {"FirebirdFiveOnColumnsAreListed", dbInterBase,
     [](TCustomObjs& o) { return Plain(o, {dboTable, "T", "U", {gntUpdate, gntReferences}, 0, {"A", "B"}}); },
     "GRANT UPDATE (A, B), REFERENCES (A, B) ON T TO U", "REVOKE UPDATE (A, B), REFERENCES (A, B) ON T FROM U"},
    {"FirebirdColumnPrivilege", dbInterBase,
     [](TCustomObjs& o) { return Plain(o, {dboTable, "T", "U", {gntUpdate}, 0, {"A", "B"}}); },
     "GRANT UPDATE (A, B) ON T TO U", "REVOKE UPDATE (A, B) ON T FROM U"},
    // Each privilege carries the columns: none is granted on the whole table.
    {"PostgreSQLColumnsOfTwoPrivileges", dbPostgreSQL,
     [](TCustomObjs& o) { return Plain(o, {dboTable, "t", "u", {gntSelect, gntUpdate}, 0, {"a", "b"}}); },
     "GRANT SELECT (a, b), UPDATE (a, b) ON t TO u", "REVOKE SELECT (a, b), UPDATE (a, b) ON t FROM u"},
    // Firebird takes no object word for views and tables.
    {"FirebirdViewWithGrantOption", dbInterBase,
     [](TCustomObjs& o) { return Plain(o, {dboView, "V", "U", {gntSelect, gntUpdate}, 1}); },
     "GRANT SELECT, UPDATE ON V TO U WITH GRANT OPTION", "REVOKE SELECT, UPDATE ON V FROM U"},
    {"FirebirdProcedureToRole", dbInterBase,
     [](TCustomObjs& o) { return Plain(o, {dboProcedure, "P", "R", {gntExecute}, 0, {}, dboRole}); },
     "GRANT EXECUTE ON PROCEDURE P TO ROLE R", "REVOKE EXECUTE ON PROCEDURE P FROM ROLE R"},
    {"FirebirdTableToProcedure", dbInterBase,
     [](TCustomObjs& o) { return Plain(o, {dboTable, "T", "P", {gntSelect}, 0, {}, dboProcedure}); },
     "GRANT SELECT ON T TO PROCEDURE P", "REVOKE SELECT ON T FROM PROCEDURE P"},
    {"FirebirdSequence", dbInterBase, [](TCustomObjs& o) { return Plain(o, {dboGenerator, "S", "U", {gntUsageOn}}); },
     "GRANT USAGE ON SEQUENCE S TO U", "REVOKE USAGE ON SEQUENCE S FROM U"},
    {"FirebirdException", dbInterBase, [](TCustomObjs& o) { return Plain(o, {dboException, "E", "U", {gntUsageOn}}); },
     "GRANT USAGE ON EXCEPTION E TO U", "REVOKE USAGE ON EXCEPTION E FROM U"},
    {"FirebirdPackage", dbInterBase, [](TCustomObjs& o) { return Plain(o, {dboPackage, "PK", "U", {gntExecute}}); },
     "GRANT EXECUTE ON PACKAGE PK TO U", "REVOKE EXECUTE ON PACKAGE PK FROM U"},
    {"FirebirdFunctionFiledAsRoutine", dbInterBase,
     [](TCustomObjs& o) {
         AddRoutine(o, {"F", " BEGIN RETURN 1; END", {}, {{"", iftInteger}}, true});
         return Plain(o, {dboProcedure, "F", "U", {gntExecute}});
     },
     "GRANT EXECUTE ON FUNCTION F TO U", "REVOKE EXECUTE ON FUNCTION F FROM U"},
    // PostgreSQL names routines with their parameter types and takes no ROLE word.
    {"PostgreSQLFunctionWithSignature", dbPostgreSQL,
     [](TCustomObjs& o) {
         AddRoutine(o, {"f", " BEGIN RETURN 1; END", {{"a", iftInteger}}, {{"", iftInteger}}, true});
         return Plain(o, {dboFunction, "f", "r", {gntExecute}, 0, {}, dboRole});
     },
     "GRANT EXECUTE ON FUNCTION f(a integer) TO r", "REVOKE EXECUTE ON FUNCTION f(a integer) FROM r"},
    {"PostgreSQLProcedure", dbPostgreSQL,
     [](TCustomObjs& o) {
         AddRoutine(o, {"p", " BEGIN END", {}});
         return Plain(o, {dboProcedure, "p", "u", {gntExecute}});
     },
     "GRANT EXECUTE ON PROCEDURE p() TO u", "REVOKE EXECUTE ON PROCEDURE p() FROM u"},
    {"PostgreSQLSequence", dbPostgreSQL,
     [](TCustomObjs& o) { return Plain(o, {dboGenerator, "s", "u", {gntSelect, gntUsageOn}}); },
     "GRANT SELECT, USAGE ON SEQUENCE s TO u", "REVOKE SELECT, USAGE ON SEQUENCE s FROM u"},
    {"PostgreSQLSchema", dbPostgreSQL, [](TCustomObjs& o) { return Plain(o, {dboSchema, "sc", "u", {gntUsageOn}}); },
     "GRANT USAGE ON SCHEMA sc TO u", "REVOKE USAGE ON SCHEMA sc FROM u"},
    {"MariaDBProcedure", dbMySQL, [](TCustomObjs& o) { return Plain(o, {dboProcedure, "p", "u", {gntExecute}}); },
     "GRANT EXECUTE ON PROCEDURE `p` TO `u`", "REVOKE EXECUTE ON PROCEDURE `p` FROM `u`"},
    {"MariaDBFunction", dbMySQL, [](TCustomObjs& o) { return Plain(o, {dboFunction, "f", "u", {gntExecute}}); },
     "GRANT EXECUTE ON FUNCTION `f` TO `u`", "REVOKE EXECUTE ON FUNCTION `f` FROM `u`"},
    // MariaDB keeps the grant option of the table apart: the revoke takes it too.
    {"MariaDBRevokeTakesTheOption", dbMySQL, [](TCustomObjs& o) { return Plain(o, {dboTable, "t", "u", {gntSelect}, 1}); },
     "GRANT SELECT ON `t` TO `u` WITH GRANT OPTION", "REVOKE SELECT, GRANT OPTION ON `t` FROM `u`"},
    {"FirebirdRoleWithAdminOption", dbInterBase, [](TCustomObjs& o) { return RoleGrant(o, "R", "U", 1); },
     "GRANT R TO U WITH ADMIN OPTION", "REVOKE R FROM U"},
    {"AseRole", dbSybaseASE, [](TCustomObjs& o) { return RoleGrant(o, "r", "u"); }, "GRANT ROLE r TO u",
     "REVOKE ROLE r FROM u"},
    {"OracleNamesQuoted", dbOracle,
     [](TCustomObjs& o) { return Plain(o, {dboTable, "my t", "U", {gntSelect, gntExecute}, 1}); },
     "GRANT SELECT, EXECUTE ON \"my t\" TO U WITH GRANT OPTION", "REVOKE SELECT, EXECUTE ON \"my t\" FROM U"},
    {"OracleRoleQuoted", dbOracle, [](TCustomObjs& o) { return RoleGrant(o, "a role", "U"); },
     "GRANT \"a role\" TO U", "REVOKE \"a role\" FROM U"},
    {"OracleSystemPrivileges", dbOracle,
     [](TCustomObjs& o) { return Plain(o, {dboUnknown, "", "U", {gntCreateSession, gntCreateTable}}); },
     "GRANT CREATE SESSION, CREATE TABLE TO U", "REVOKE CREATE SESSION, CREATE TABLE FROM U"},
    {"SqlServerStatementPermissions", dbMSSQL,
     [](TCustomObjs& o) { return Plain(o, {dboUnknown, "", "U", {gntCreateTable, gntTruncateTable}}); },
     "GRANT CREATE TABLE, TRUNCATE TABLE TO U", "REVOKE CREATE TABLE FROM U"},
    {"SqlServerConnect", dbMSSQL, [](TCustomObjs& o) { return Plain(o, {dboTable, "L", "U", {gntConnect}}); },
     "GRANT CONNECT TO L AS U", "REVOKE CONNECT ON L FROM U"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, GrantTextTest, ::testing::ValuesIn(kGrantTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GrantTextTest, RevokeOptionOnly) {
    struct Case {
        TDatabaseType db;
        GntFields grant;
        const char* revoke;
    };
    const Case cases[] = {
        {dbPostgreSQL, {dboTable, "t", "u", {gntSelect}, 1}, "REVOKE GRANT OPTION FOR SELECT ON t FROM u"},
        {dbMySQL, {dboTable, "t", "u", {gntSelect}, 1}, "REVOKE GRANT OPTION ON `t` FROM `u`"},
        {dbInterBase, {dboTable, "T", "U", {gntSelect}, 1}, "REVOKE GRANT OPTION FOR SELECT ON T FROM U"},
        {dbInterBase, {dboRole, "R", "U", {}, 1}, "REVOKE ADMIN OPTION FOR R FROM U"},
        {dbPostgreSQL, {dboRole, "r", "u", {}, 1}, "REVOKE ADMIN OPTION FOR r FROM u"},
    };
    for (const Case& c : cases) {
        TObjs o;
        o.SetDatabaseType(c.db);
        EXPECT_EQ(AddGrant(o, c.grant)->RevokeOptionDef(), c.revoke);
    }
}

// The key is the text under dialect 1: quoting of dialect 3 does not change it.
TEST(GrantKeyTest, KeyIgnoresDialect3Quoting) {
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    TGntData* g = AddGrant(o, {dboTable, "abc", "U", {gntSelect}});
    EXPECT_EQ(g->Def(), "GRANT SELECT ON \"abc\" TO U");
    EXPECT_EQ(g->GetObjKeyDef(), "GRANT SELECT ON abc TO U");

    Compare c(dbInterBase);
    c.Target().fIBServerOptions.SetSQLDialect(1);
    for (TCustomObjs* s : {&c.Master(), &c.Target()}) AddGrant(*s, {dboTable, "abc", "U", {gntSelect}});
    EXPECT_EQ(GeneratedPart(c, [](Compare& e) { e.Target().fIBServerOptions.SetSQLDialect(1); }), "");
}

// ---------------------------------------------------------------------------
// Role and user texts

class RoleTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(RoleTextTest, DefAndDrop) { testing::ExpectTexts(GetParam()); }

TDbObj* MSSQLUser(TCustomObjs& o, const char* name, TMSSQLServerVersionType version) {
    o.fMSSQLServerOptions.SetSQLServerVersion(version);
    return AddRole(o, name, usrUsr);
}

const TextCase kRoleTexts[] = {
    {"FirebirdRole", dbInterBase, [](TCustomObjs& o) { return AddRole(o, "R"); }, "CREATE ROLE R", "DROP ROLE R"},
    {"RoleWithOwner", dbPostgreSQL,
     [](TCustomObjs& o) { return AddRole(o, "r", usrRol, [](TRolData& r) { r.OwnName = "o"; }); },
     "/* Role: r, Owner: o */\r\nCREATE ROLE r", "DROP ROLE r"},
    // Users need a password: they are named in a comment, never created; a user is dropped as one.
    {"FirebirdUser", dbInterBase, [](TCustomObjs& o) { return AddRole(o, "U", usrUsr); },
     "/* User U is not created: a user needs a password, which the script does not carry; create it first */",
     "DROP USER U"},
    {"PostgreSQLUserIsALoginRole", dbPostgreSQL, [](TCustomObjs& o) { return AddRole(o, "u", usrUsr); },
     "/* User u is not created: a user needs a password, which the script does not carry; create it first */",
     "DROP ROLE u"},
    {"MariaDBUserAnyHost", dbMySQL, [](TCustomObjs& o) { return AddRole(o, "u", usrUsr); },
     "/* User u is not created: a user needs a password, which the script does not carry; create it first */",
     "DROP USER 'u'@'%'"},
    {"MariaDBUserWithHost", dbMySQL, [](TCustomObjs& o) { return AddRole(o, "u@localhost", usrUsr); },
     "/* User u@localhost is not created: a user needs a password, which the script does not carry; create it first */",
     "DROP USER 'u'@'localhost'"},
    {"MariaDBRole", dbMySQL, [](TCustomObjs& o) { return AddRole(o, "r"); }, "CREATE ROLE `r`", "DROP ROLE `r`"},
    {"SqlServerUserMapsTheLogin", dbMSSQL,
     [](TCustomObjs& o) { return AddRole(o, "u", usrUsr, [](TRolData& r) { r.LoginName = "l"; }); },
     "/* Login l is not created: a login needs a password, which the script does not carry; create it first */\r\n"
     "exec sp_grantdbaccess @loginame = N'l', @name_in_db = N'U'",
     "exec sp_revokedbaccess @name_in_db = N'U'"},
    {"SqlServerAppRole", dbMSSQL,
     [](TCustomObjs& o) { return AddRole(o, "a", usrRol, [](TRolData& r) { r.IsAppRole = 1; }); },
     "exec sp_addapprole N'A', N''", "exec sp_dropapprole @rolename = N'A'"},
    {"SqlServerRole", dbMSSQL, [](TCustomObjs& o) { return AddRole(o, "r"); }, "exec sp_addrole N'R'",
     "exec sp_droprole @rolename = N'R'"},
    {"SqlServer2005GuestKept", dbMSSQL, [](TCustomObjs& o) { return MSSQLUser(o, "Guest", st_MSSQL2005); },
     "/* Login GUEST is not created: a login needs a password, which the script does not carry; create it first */\r\n"
     "exec sp_grantdbaccess @loginame = N'GUEST', @name_in_db = N'GUEST'",
     ""},
    {"SqlServer2005SysKept", dbMSSQL, [](TCustomObjs& o) { return MSSQLUser(o, "sys", st_MSSQL2005); },
     "/* Login SYS is not created: a login needs a password, which the script does not carry; create it first */\r\n"
     "exec sp_grantdbaccess @loginame = N'SYS', @name_in_db = N'SYS'",
     ""},
    {"SqlServer2000GuestRevoked", dbMSSQL, [](TCustomObjs& o) { return MSSQLUser(o, "guest", st_MSSQL2000); },
     "/* Login GUEST is not created: a login needs a password, which the script does not carry; create it first */\r\n"
     "exec sp_grantdbaccess @loginame = N'GUEST', @name_in_db = N'GUEST'",
     "exec sp_revokedbaccess @name_in_db = N'GUEST'"},
    {"AseLoginHasNoFixedPassword", dbSybaseASE, [](TCustomObjs& o) { return AddRole(o, "l", usrLgn); },
     "/* Login l is not created: a login needs a password, which the script does not carry; create it first */",
     "DROP ROLE l"},
    {"AseUser", dbSybaseASE,
     [](TCustomObjs& o) { return AddRole(o, "u", usrUsr, [](TRolData& r) { r.LoginName = "l"; }); },
     "if (not exists(select name from dbo.sysusers where name = 'u'))\r\n  exec sp_adduser l, u",
     "exec sp_dropuser u"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, RoleTextTest, ::testing::ValuesIn(kRoleTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RoleTextTest, AseRoleSwitchesBackToTheDatabase) {
    TObjs o;
    o.SetDatabaseType(dbSybaseASE);
    o.fConnectionOptions.SetDatabaseName("db1");
    TRolData* r = AddRole(o, "r");
    EXPECT_EQ(r->CreateDef(),
              "if (not exists(select name from master.dbo.syssrvroles where name = 'r'))\r\n  begin\r\n"
              "    use master\r\n    create role r\r\n    use db1\r\n  end")
        << AsLiteral(r->CreateDef());
    EXPECT_EQ(AddRole(o, "u", usrUsr)->CreateDef(), "if (not exists(select name from dbo.sysusers where name = 'u'))\r\n"
                                                     "  exec sp_adduser u, u");
}

// ---------------------------------------------------------------------------
// Generators

// A grant the master holds without the option loses only the option; nothing is granted again.
TEST(GrantGenTest, AdminOptionRemovedOnly) {
    Compare c(dbInterBase);
    RoleGrant(c.Master(), "R", "U", 0);
    RoleGrant(c.Target(), "R", "U", 1);
    EXPECT_EQ(GeneratedPart(c), "/* DROP: -- GRANT R TO U WITH ADMIN OPTION */\r\n"
                                "REVOKE ADMIN OPTION FOR R FROM U;\r\n")
        << AsLiteral(c.Run());
}

// A privilege the master lacks goes whole, option and all, even when granted with option.
TEST(GrantGenTest, PrivilegeTheMasterLacksIsRevokedWhole) {
    for (TDatabaseType db : {dbInterBase, dbPostgreSQL, dbMySQL}) {
        Compare c(db);
        AddGrant(c.Master(), {dboTable, "t", "u", {gntSelect}});
        AddGrant(c.Target(), {dboTable, "t", "u", {gntInsert}, 1});
        const std::string s = GeneratedPart(c);
        EXPECT_EQ(s.find("GRANT OPTION FOR"), std::string::npos) << s;
        EXPECT_NE(s.find(db == dbMySQL ? "REVOKE INSERT, GRANT OPTION ON `t` FROM `u`" : "REVOKE INSERT ON "), std::string::npos)
            << s;
        EXPECT_NE(s.find("GRANT SELECT ON "), std::string::npos) << s;
    }
}

// Options only some categories compare: a grant of a category that is off takes no part.
TEST(GrantGenTest, GatedByCategory) {
    for (bool on : {false, true}) {
        Compare c(dbInterBase);
        AddGrant(c.Master(), {dboTable, "T", "U", {gntSelect}}, coUserGrant);
        AddGrant(c.Master(), {dboTable, "T", "R", {gntSelect}, 0, {}, dboRole}, coGrant);
        AddGrant(c.Target(), {dboTable, "T", "V", {gntSelect}}, coUserGrant);
        TCmpObjSetType set = TCmpObjSetType::All();
        if (!on) set -= TCmpObjSetType{coUserGrant};
        c.keldar.SetCompareObjects(set);
        const std::string s = GeneratedPart(c);
        EXPECT_NE(s.find("GRANT SELECT ON T TO ROLE R;"), std::string::npos) << s;
        EXPECT_EQ(s.find("GRANT SELECT ON T TO U;") != std::string::npos, on) << s;
        EXPECT_EQ(s.find("REVOKE SELECT ON T FROM V;") != std::string::npos, on) << s;
    }
}

// A user is never created with a password: the script holds a warning, and no password.
TEST(RoleGenTest, UserCreationIsAWarning) {
    Compare c(dbPostgreSQL);
    AddRole(c.Master(), "u", usrUsr, [](TRolData& r) { r.Password = "s3cret"; });
    AddRole(c.Master(), "r");
    const std::string s = GeneratedPart(c);
    EXPECT_EQ(s, "/* Creating roles */\r\nCREATE ROLE r;\r\n\r\n\r\n/* Creating users */\r\n"
                 "/* User u is not created: a user needs a password, which the script does not carry; create it first */\r\n")
        << AsLiteral(s);
    ASSERT_EQ(c.keldar.GetWrnScript().size(), 1u);
    EXPECT_EQ(c.keldar.GetWrnScript()[0].find("s3cret"), std::string::npos);
}

// SQL Server keeps target-only roles and its built-in users; other users go.
TEST(RoleGenTest, SqlServerDropsOnlyUsers) {
    for (TMSSQLServerVersionType version : {st_MSSQL2000, st_MSSQL2005}) {
        Compare c(dbMSSQL);
        c.Target().fMSSQLServerOptions.SetSQLServerVersion(version);
        for (const char* u : {"SYS", "guest", "INFORMATION_SCHEMA", "x"}) AddRole(c.Target(), u, usrUsr);
        AddRole(c.Target(), "r");
        const std::string s = GeneratedPart(c);
        EXPECT_NE(s.find("exec sp_revokedbaccess @name_in_db = N'X'"), std::string::npos) << s;
        EXPECT_EQ(s.find("N'GUEST'") != std::string::npos, version == st_MSSQL2000) << s;
        EXPECT_EQ(s.find("N'SYS'") != std::string::npos, version == st_MSSQL2000) << s;
        EXPECT_EQ(s.find("sp_droprole"), std::string::npos) << s;
    }
}

// ---------------------------------------------------------------------------
// Whole scripts

// Grants on every kind of object, kept, added, removed and changed; roles and users added
// and dropped.
void FillGrantChanges(Compare& c, TDatabaseType db) {
    const bool upper = db == dbInterBase || db == dbOracle;
    auto n = [upper](std::string s) { return upper ? UpperCase(s) : s; };
    for (TCustomObjs* o : {&c.Master(), &c.Target()}) {
        TTblData* t = AddTable(*o, n("t"), {Col(n("a")), Col(n("b"))});
        AddView(*o, n("v"), "SELECT " + n("a") + " FROM " + n("t"), {"A"}, {t});
        AddRoutine(*o, {n("p").c_str(), " BEGIN END", {{n("x"), iftInteger}}});
        AddRoutine(*o, {n("f").c_str(), " BEGIN RETURN 1; END", {}, {{"", iftInteger}}, true});
        AddSequence(*o, n("s"));
        AddRole(*o, n("r_keep"));
        AddRole(*o, n("u1"), usrUsr);
    }
    TCustomObjs& M = c.Master();
    TCustomObjs& T = c.Target();
    AddRole(M, n("r_new"));
    AddRole(T, n("r_gone"));
    AddRole(M, n("u_new"), usrUsr);
    AddRole(T, n("u_gone"), usrUsr);
    for (TCustomObjs* o : {&M, &T}) {
        AddGrant(*o, {dboTable, n("t"), n("u1"), {gntSelect}});                        // kept
        AddGrant(*o, {dboTable, n("t"), n("r_keep"), kFive, 0, {}, dboRole});           // kept, to a role
    }
    // a privilege added to a grant
    AddGrant(M, {dboView, n("v"), n("u1"), {gntSelect, gntUpdate}});
    AddGrant(T, {dboView, n("v"), n("u1"), {gntSelect}});
    // grant option removed
    AddGrant(M, {dboTable, n("t"), n("u2"), {gntInsert}});
    AddGrant(T, {dboTable, n("t"), n("u2"), {gntInsert}, 1});
    // column privileges changed
    AddGrant(M, {dboTable, n("t"), n("u3"), {gntUpdate}, 0, {n("a"), n("b")}});
    AddGrant(T, {dboTable, n("t"), n("u3"), {gntUpdate}, 0, {n("a")}});
    // routines: added, removed
    AddGrant(M, {dboProcedure, n("p"), n("u1"), {gntExecute}});
    AddGrant(T, {dboFunction, n("f"), n("u1"), {gntExecute}});
    // a sequence
    AddGrant(M, {dboGenerator, n("s"), n("u1"), {db == dbMySQL || db == dbOracle ? gntSelect : gntUsageOn}});
    if (db == dbInterBase || db == dbOracle) AddGrant(M, {dboPackage, n("pk"), n("u1"), {gntExecute}});
    if (db == dbPostgreSQL) AddGrant(M, {dboSchema, n("sc"), n("u1"), {gntUsageOn}});
    // roles: option removed, granted, revoked
    RoleGrant(M, n("r_keep"), n("u1"), 0);
    RoleGrant(T, n("r_keep"), n("u1"), 1);
    RoleGrant(M, n("r_new"), n("u2"));
    RoleGrant(T, n("r_gone"), n("u2"));
}

class GrantGoldenTest : public ::testing::TestWithParam<testing::ScriptCase> {};

TEST_P(GrantGoldenTest, WholeScript) { testing::ExpectScriptCase(GetParam(), testing::TargetFirebird30); }

const testing::ScriptCase kGolden[] = {
    {"Firebird", dbInterBase, FillGrantChanges, "grant_changes/interbase.sql"},
    {"PostgreSQL", dbPostgreSQL, FillGrantChanges, "grant_changes/postgresql.sql"},
    {"MariaDB", dbMySQL, FillGrantChanges, "grant_changes/mysql.sql"},
    {"SqlServer", dbMSSQL, FillGrantChanges, "grant_changes/sqlserver.sql"},
    {"Oracle", dbOracle, FillGrantChanges, "grant_changes/oracle.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, GrantGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
