// Grants and roles: privileges on a table, a view, columns, routines and a sequence, to users
// and roles, with and without grant option, kept, added, removed and changed; role
// memberships with and without admin option; roles created and dropped by the script. On
// PostgreSQL and MariaDB a user only the target lists is dropped, and a user only the master
// lists is left to the server (Setup creates the users: the script never does). After the
// script the server's privilege catalog must hold exactly the master's grants.
//
// Roles and users are server-wide on PostgreSQL and MariaDB, and the two databases of a run
// live on one server: there their names begin with the database's name (LiveDatabase()), so
// the target's run and the master's export never meet, and Cleanup drops them.
#include <algorithm>
#include <string>
#include <vector>

#include "live_objects.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Viw.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

bool ServerWide(TDatabaseType db) { return db != dbInterBase; }

// A role or user name as the scenario writes it on the server.
std::string Who(const std::string& aName, TDatabaseType db) {
    return ServerWide(db) ? LiveDatabase() + "_" + LowerCase(aName) : UpperCase(aName);
}

enum TSide : std::uint8_t { sBoth, sMaster, sTarget };

struct TGrantCase {
    TSide Side;
    TDbObject ObjType;  // dboRole: a membership of the role Obj
    std::string Obj;
    std::string Grantee;
    bool ToRole = false;
    std::vector<TGrantPrivilege> Privileges = {};
    std::vector<std::string> Cols = {};
    // Option on the master's side and on the target's side.
    int MasterOption = 0, TargetOption = 0;
};

// The sequence privilege: USAGE where sequences have it, SELECT on MariaDB's sequence tables.
TGrantPrivilege SequencePrivilege(TDatabaseType db) { return db == dbMySQL ? gntSelect : gntUsageOn; }

std::vector<TGrantCase> Cases(TDatabaseType db) {
    std::vector<TGrantCase> c = {
        // 1. kept: a view
        {sBoth, dboView, "V", "U3", false, {gntSelect}},
        // 2. removed
        {sTarget, dboTable, "T", "U2", false, {gntDelete}},
        // 3. grant option removed, 4. grant option added
        {sBoth, dboTable, "T", "U3", false, {gntUpdate}, {}, 0, 1},
        {sBoth, dboView, "V", "U2", false, {gntSelect}, {}, 1, 0},
        // 5. a column privilege added, 6. its columns changed
        {sMaster, dboTable, "T", "U1", false, {gntUpdate}, {"A"}},
        {sMaster, dboTable, "T", "U2", false, {gntUpdate}, {"A", "B"}},
        {sTarget, dboTable, "T", "U2", false, {gntUpdate}, {"A"}},
        // 7. a procedure granted, 8. a function revoked, 9. kept with grant option
        {sMaster, dboProcedure, "P", "U1", false, {gntExecute}},
        {sTarget, dboFunction, "F", "U2", false, {gntExecute}},
        {sBoth, dboProcedure, "P", "U3", false, {gntExecute}, {}, 1, 1},
        // 10. a sequence
        {sMaster, dboGenerator, "S", "U1", false, {SequencePrivilege(db)}},
        // 11. all five table privileges where the target has one: never more than the five
        {sMaster, dboTable, "T2", "U1", false, {gntInsert, gntUpdate, gntDelete, gntSelect, gntReferences}},
        {sTarget, dboTable, "T2", "U1", false, {gntSelect}},
        // 12. to a role the script drops, 13. a privilege added to a role's grant
        {sTarget, dboTable, "T", "R_GONE", true, {gntSelect}},
        {sMaster, dboTable, "T", "R_KEEP", true, {gntSelect, gntInsert}},
        {sTarget, dboTable, "T", "R_KEEP", true, {gntSelect}},
        // 14. a new role granted, 15. a dropped role's membership revoked
        {sMaster, dboRole, "R_NEW", "U1"},
        {sTarget, dboRole, "R_GONE", "U2"},
        // 16. admin option removed, 17. admin option added, 18. kept
        {sBoth, dboRole, "R_KEEP", "U2", false, {}, {}, 0, 1},
        {sBoth, dboRole, "R_KEEP", "U3", false, {}, {}, 1, 0},
        {sBoth, dboRole, "R_KEEP", "U1"},
    };
    // 19. Firebird: a procedure as grantee
    if (db == dbInterBase) c.push_back({sMaster, dboTable, "T2", "P", false, {gntSelect}});
    return c;
}

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder b{o, db};
    TTblData* t = b.Table("T", {Int("ID"), Int("A"), Int("B")});
    b.Table("T2", {Int("ID")});
    auto* v = new TViwData(&o);
    v->SetObjName(b.N("V"));
    v->SetBody("SELECT " + b.N("ID") + ", " + b.N("A") + " FROM " + b.N("T"));
    o.AddObj(v);
    o.LinkDepend(v, t);
    switch (db) {
        case dbInterBase:
            b.Routine("P", "BEGIN EXIT; END");
            b.Routine("F", "BEGIN RETURN A + 1; END", {Int("A")}, {Int("")}, true);
            break;
        case dbPostgreSQL:
            b.Routine("P", "BEGIN NULL; END");
            b.Routine("F", "BEGIN RETURN a + 1; END", {Int("a")}, {Int("")}, true);
            break;
        default:
            b.Routine("P", "BEGIN END");
            b.Routine("F", "BEGIN RETURN a + 1; END", {Int("a")}, {Int("")}, true);
            break;
    }
    b.Sequence("S");

    auto role = [&](const std::string& aName, TUserType aType) {
        auto* r = new TRolData(&o);
        r->SetObjName(Who(aName, db));
        r->UserType = aType;
        o.AddObj(r);
    };
    role("R_KEEP", usrRol);
    role(m ? "R_NEW" : "R_GONE", usrRol);
    if (ServerWide(db)) role(m ? "U_NEW" : "U_GONE", usrUsr);

    for (const TGrantCase& c : Cases(db)) {
        if ((c.Side == sMaster && !m) || (c.Side == sTarget && m)) continue;
        auto* g = new TGntData(&o);
        g->GntObjType = c.ObjType;
        g->GntObjName = c.ObjType == dboRole ? Who(c.Obj, db) : b.N(c.Obj);
        const bool routineGrantee = c.Grantee == "P";
        g->User = routineGrantee ? b.N(c.Grantee) : Who(c.Grantee, db);
        g->GntUserType = routineGrantee ? dboProcedure : c.ToRole ? dboRole : dboUser;
        for (TGrantPrivilege p : c.Privileges) g->Privilege.Include(p);
        for (const std::string& f : c.Cols) g->Flds.push_back(b.N(f));
        g->Option = m ? c.MasterOption : c.TargetOption;
        if (!o.AddGrant(g)) delete g;
    }
}

// The users the grants name; the server needs them before any grant.
TSqlLines Setup(TDatabaseType db) {
    TSqlLines r;
    if (!ServerWide(db)) return r;
    for (const char* u : {"U1", "U2", "U3", "U_NEW", "U_GONE"})
        r.push_back(db == dbPostgreSQL ? "CREATE ROLE " + Who(u, db) + " LOGIN;"
                                       : "CREATE USER IF NOT EXISTS '" + Who(u, db) + "'@'%';");
    return r;
}

TSqlLines Cleanup(TDatabaseType db) {
    TSqlLines r;
    if (!ServerWide(db)) return r;
    for (const char* n : {"R_KEEP", "R_NEW", "R_GONE"}) r.push_back("DROP ROLE IF EXISTS " + Who(n, db) + ";");
    for (const char* u : {"U1", "U2", "U3", "U_NEW", "U_GONE"})
        r.push_back(db == dbPostgreSQL ? "DROP ROLE IF EXISTS " + Who(u, db) + ";"
                                       : "DROP USER IF EXISTS '" + Who(u, db) + "'@'%';");
    return r;
}

// ---------------------------------------------------------------------------
// The master's grants as the server's catalog lists them, one row a privilege (a column, a
// membership), sorted and joined by ",".

std::string Joined(std::vector<std::string> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::string r;
    for (const std::string& x : rows) r += (r.empty() ? "" : ",") + x;
    return r;
}

// A check that the rows of aQuery (one text column x), sorted and joined, are aExpected.
std::string SetCheck(TDatabaseType db, const std::string& aRows, const std::string& aExpected) {
    switch (db) {
        case dbInterBase:
            return "SELECT CASE WHEN COALESCE((SELECT LIST(x, ',') FROM (SELECT x FROM (" + aRows +
                   ") ORDER BY x)), '') = '" + aExpected + "' THEN 1 ELSE 0 END FROM RDB$DATABASE";
        case dbPostgreSQL:
            return "SELECT CASE WHEN COALESCE((SELECT string_agg(x, ',' ORDER BY x COLLATE \"C\") FROM (" + aRows +
                   ") s), '') = '" + aExpected + "' THEN 1 ELSE 0 END";
        default:
            return "SELECT CASE WHEN COALESCE((SELECT GROUP_CONCAT(x ORDER BY CAST(x AS BINARY) SEPARATOR ',') FROM (" + aRows +
                   ") s), '') = '" + aExpected + "' THEN 1 ELSE 0 END";
    }
}

const char* FirebirdCode(TGrantPrivilege p) {
    switch (p) {
        case gntSelect: return "S";
        case gntInsert: return "I";
        case gntUpdate: return "U";
        case gntDelete: return "D";
        case gntReferences: return "R";
        case gntExecute: return "X";
        case gntUsageOn: return "G";
        default: return "?";
    }
}

const char* PrivilegeName(TGrantPrivilege p) {
    switch (p) {
        case gntSelect: return "SELECT";
        case gntInsert: return "INSERT";
        case gntUpdate: return "UPDATE";
        case gntDelete: return "DELETE";
        case gntReferences: return "REFERENCES";
        case gntExecute: return "EXECUTE";
        case gntUsageOn: return "USAGE";
        default: return "?";
    }
}

TSqlLines FirebirdChecks() {
    std::vector<std::string> rows, roles;
    for (const TGrantCase& c : Cases(dbInterBase)) {
        if (c.Side == sTarget) continue;
        if (c.ObjType == dboRole) {
            rows.push_back(c.Obj + "::" + c.Grantee + ":M:" + (c.MasterOption ? "2" : "0"));
            continue;
        }
        for (TGrantPrivilege p : c.Privileges) {
            const std::string opt = std::to_string(c.MasterOption);
            if (c.Cols.empty()) rows.push_back(c.Obj + "::" + c.Grantee + ":" + FirebirdCode(p) + ":" + opt);
            for (const std::string& f : c.Cols)
                rows.push_back(c.Obj + ":" + f + ":" + c.Grantee + ":" + FirebirdCode(p) + ":" + opt);
        }
    }
    const std::string privileges =
        "SELECT TRIM(RDB$RELATION_NAME) || ':' || TRIM(COALESCE(RDB$FIELD_NAME, '')) || ':' || TRIM(RDB$USER) || ':' || "
        "TRIM(RDB$PRIVILEGE) || ':' || COALESCE(RDB$GRANT_OPTION, 0) AS x FROM RDB$USER_PRIVILEGES WHERE RDB$USER IN "
        "('U1', 'U2', 'U3', 'P', 'R_KEEP', 'R_NEW', 'R_GONE')";
    return {SetCheck(dbInterBase, privileges, Joined(rows)),
            SetCheck(dbInterBase, "SELECT TRIM(RDB$ROLE_NAME) AS x FROM RDB$ROLES WHERE RDB$ROLE_NAME STARTING WITH 'R_'",
                     "R_KEEP,R_NEW")};
}

TSqlLines PostgresChecks() {
    const std::string db = LiveDatabase();
    const std::string strip = "replace(%s, '" + db + "_', '')";
    auto who = [&](const std::string& col) {
        std::string r = strip;
        r.replace(r.find("%s"), 2, col);
        return "upper(" + r + ")";
    };
    const std::string ours = " starts_with(%s, '" + db + "_')";
    auto mine = [&](const std::string& col) {
        std::string r = ours;
        r.replace(r.find("%s"), 2, col);
        return r;
    };
    std::vector<std::string> tables, columns, routines, sequences, members;
    for (const TGrantCase& c : Cases(dbPostgreSQL)) {
        if (c.Side == sTarget) continue;
        const std::string opt = c.MasterOption ? "YES" : "NO";
        if (c.ObjType == dboRole) {
            members.push_back(c.Obj + ":" + c.Grantee + ":" + (c.MasterOption ? "T" : "F"));
            continue;
        }
        for (TGrantPrivilege p : c.Privileges) {
            const std::string row = c.Obj + ":" + c.Grantee + ":" + PrivilegeName(p) + ":" + opt;
            if (!c.Cols.empty())
                for (const std::string& f : c.Cols) columns.push_back(c.Obj + ":" + f + ":" + c.Grantee + ":" + PrivilegeName(p) + ":" + opt);
            else if (c.ObjType == dboProcedure || c.ObjType == dboFunction) routines.push_back(row);
            else if (c.ObjType == dboGenerator) sequences.push_back(row);
            else tables.push_back(row);
        }
    }
    return {
        SetCheck(dbPostgreSQL,
                 "SELECT upper(table_name) || ':' || " + who("grantee") +
                     " || ':' || privilege_type || ':' || is_grantable AS x FROM information_schema.role_table_grants "
                     "WHERE table_schema = 'public' AND" + mine("grantee"),
                 Joined(tables)),
        // Column privileges of their own (role_column_grants also lists those a table grant implies).
        SetCheck(dbPostgreSQL,
                 "SELECT upper(c.relname) || ':' || upper(a.attname) || ':' || " + who("x.grantee::regrole::text") +
                     " || ':' || x.privilege_type || ':' || CASE WHEN x.is_grantable THEN 'YES' ELSE 'NO' END AS x "
                     "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid CROSS JOIN aclexplode(a.attacl) x "
                     "WHERE c.relnamespace = 'public'::regnamespace AND" + mine("x.grantee::regrole::text"),
                 Joined(columns)),
        SetCheck(dbPostgreSQL,
                 "SELECT upper(routine_name) || ':' || " + who("grantee") +
                     " || ':' || privilege_type || ':' || is_grantable AS x FROM information_schema.role_routine_grants "
                     "WHERE routine_schema = 'public' AND" + mine("grantee"),
                 Joined(routines)),
        SetCheck(dbPostgreSQL,
                 "SELECT upper(object_name) || ':' || " + who("grantee") +
                     " || ':' || privilege_type || ':' || is_grantable AS x FROM information_schema.role_usage_grants "
                     "WHERE object_type = 'SEQUENCE' AND" + mine("grantee"),
                 Joined(sequences)),
        SetCheck(dbPostgreSQL,
                 "SELECT " + who("r.rolname") + " || ':' || " + who("u.rolname") +
                     " || ':' || CASE WHEN m.admin_option THEN 'T' ELSE 'F' END AS x FROM pg_auth_members m "
                     "JOIN pg_roles r ON r.oid = m.roleid JOIN pg_roles u ON u.oid = m.member WHERE" + mine("u.rolname"),
                 Joined(members)),
        // Roles: the new one created, the dropped one gone; users: the target's extra user
        // dropped, the master's extra user left as Setup made it.
        SetCheck(dbPostgreSQL, "SELECT " + who("rolname") + " AS x FROM pg_roles WHERE" + mine("rolname"),
                 "R_KEEP,R_NEW,U1,U2,U3,U_NEW"),
    };
}

TSqlLines MariaDBChecks() {
    const std::string db = LiveDatabase();
    auto who = [&](const std::string& col) { return "upper(replace(" + col + ", '" + db + "_', ''))"; };
    // information_schema writes a grantee as 'user'@'host'.
    auto grantee = [&](const std::string& col) {
        return "upper(replace(replace(substring_index(" + col + ", '@', 1), '''', ''), '" + db + "_', ''))";
    };
    std::vector<std::string> tables, columns, routines, members;
    for (const TGrantCase& c : Cases(dbMySQL)) {
        if (c.Side == sTarget) continue;
        if (c.ObjType == dboRole) {
            members.push_back(c.Obj + ":" + c.Grantee + ":" + (c.MasterOption ? "Y" : "N"));
            continue;
        }
        if (c.ObjType == dboProcedure || c.ObjType == dboFunction) {
            routines.push_back(c.Obj + ":" + c.Grantee + ":" + (c.MasterOption ? "EXECUTE,GRANT" : "EXECUTE"));
            continue;
        }
        for (TGrantPrivilege p : c.Privileges) {
            const std::string opt = c.MasterOption ? "YES" : "NO";
            if (c.Cols.empty()) tables.push_back(c.Obj + ":" + c.Grantee + ":" + PrivilegeName(p) + ":" + opt);
            for (const std::string& f : c.Cols) columns.push_back(c.Obj + ":" + f + ":" + c.Grantee + ":" + PrivilegeName(p) + ":" + opt);
        }
    }
    const std::string here = "table_schema = '" + db + "'";
    return {
        SetCheck(dbMySQL,
                 "SELECT concat(upper(table_name), ':', " + grantee("grantee") +
                     ", ':', privilege_type, ':', is_grantable) AS x FROM information_schema.table_privileges WHERE " + here,
                 Joined(tables)),
        SetCheck(dbMySQL,
                 "SELECT concat(upper(table_name), ':', upper(column_name), ':', " + grantee("grantee") +
                     ", ':', privilege_type, ':', is_grantable) AS x FROM information_schema.column_privileges WHERE " + here,
                 Joined(columns)),
        SetCheck(dbMySQL,
                 "SELECT concat(upper(routine_name), ':', " + who("user") +
                     ", ':', upper(proc_priv)) AS x FROM mysql.procs_priv WHERE db = '" + db + "'",
                 Joined(routines)),
        SetCheck(dbMySQL,
                 "SELECT concat(" + who("role") + ", ':', " + who("user") +
                     ", ':', admin_option) AS x FROM mysql.roles_mapping WHERE user LIKE '" + db + "\\_%'",
                 Joined(members)),
        SetCheck(dbMySQL,
                 "SELECT " + who("user") + " AS x FROM mysql.user WHERE user LIKE '" + db + "\\_%'",
                 "R_KEEP,R_NEW,U1,U2,U3,U_NEW"),
    };
}

TSqlLines Checks(TDatabaseType db) {
    switch (db) {
        case dbInterBase: return FirebirdChecks();
        case dbPostgreSQL: return PostgresChecks();
        default: return MariaDBChecks();
    }
}

TSqlLines Rows(TDatabaseType) { return {}; }

TLiveScenario Make() {
    TLiveScenario s("grants", Fill, Setup, Rows, Checks);
    s.Cleanup = Cleanup;
    return s;
}

const LiveScenarioRegistrar reg(Make());

}  // namespace
}  // namespace dbtwin::live
