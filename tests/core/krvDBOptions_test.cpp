#include "core/krvDBOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dbtwin {
namespace {

// ---------------------------------------------------------------------------
// Server versions

TEST(ServerVersionTest, DisplayNamesOfEveryKind) {
    struct Case {
        TDatabaseType db;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {dbInterBase,
         {"InterBase 4.x", "InterBase 5.x", "InterBase 6.x", "FireBird 1.x", "Yaffil 1.x",
          "FireBird 1.5", "InterBase 7.x", "InterBase 7.5", "FireBird 2.0", "FireBird 2.1",
          "FireBird 2.5", "FireBird 3.0", "FireBird 4.0", "InterBase 2020"}},
        {dbSybaseASA, {"ASA 5", "ASA 6", "ASA 7", "ASA 8", "ASA 9"}},
        {dbMySQL, {"My SQL 3.x", "My SQL 4.x", "My SQL 5.x", "My SQL 8.x", "MariaDB 10.x"}},
        {dbOracle,
         {"Oracle 7.x", "Oracle 8.x", "Oracle 9.x", "Oracle 10.x", "Oracle 11.x", "Oracle 12.x",
          "Oracle 18.x", "Oracle 19.x", "Oracle 21.x"}},
        {dbMSSQL,
         {"MS SQL 2000", "MS SQL 2005", "MS SQL 2008", "MS SQL 2012", "MS SQL 2014",
          "MS SQL 2016", "MS SQL 2017", "MS SQL 2019"}},
        {dbPostgreSQL,
         {"PostgreSQL 7.x", "PostgreSQL 8.x", "PostgreSQL 9.x", "PostgreSQL 10.x",
          "PostgreSQL 11.x", "PostgreSQL 12.x", "PostgreSQL 13.x", "PostgreSQL 14.x"}},
        {dbDB2, {"DB2 8.x", "DB2 9.x", "DB2 10.x", "DB2 11.x"}},
        {dbSybaseASE, {"ASE 12"}},
        // Kinds without a version list.
        {dbAbstract, {}},   {dbPervasiveSQL, {}}, {dbMSAccess, {}},
        {dbParadox, {}},    {dbDBASE, {}},        {dbCustomOLEDB, {}},
    };
    ASSERT_EQ(cases.size(), EnumCount<TDatabaseType>);
    for (const auto& c : cases) {
        const int n = static_cast<int>(c.names.size());
        for (int v = 0; v < n; ++v)
            EXPECT_EQ(GetServerVerStr(c.db, v), c.names[v]) << int(c.db) << " " << v;
        // Just past the end, far past it and negative ordinals have no name.
        for (int v : {n, n + 1, 255, 1000, -1, -1000})
            EXPECT_EQ(GetServerVerStr(c.db, v), "") << int(c.db) << " " << v;
    }
}

TEST(ServerVersionTest, InterBaseShortcutAndEnumerationEnds) {
    EXPECT_EQ(GetIBServerVerStr(st_InterBase_2020), "InterBase 2020");
    EXPECT_EQ(GetIBServerVerStr(13), "InterBase 2020");
    EXPECT_EQ(GetIBServerVerStr(14), "");
    EXPECT_EQ(GetIBServerVerStr(st_Firebird_25), "FireBird 2.5");
    EXPECT_EQ(GetServerVerStr(dbMySQL, st_MariaDB_10x), "MariaDB 10.x");
    EXPECT_EQ(GetServerVerStr(dbOracle, st_Oracle_21x), "Oracle 21.x");
    EXPECT_EQ(GetServerVerStr(dbPostgreSQL, st_PostgreSQL_14x), "PostgreSQL 14.x");
    EXPECT_EQ(GetServerVerStr(dbMSAccess, 0), "");
}

TEST(ServerVersionTest, DefaultVersionForNewDatabases) {
    struct Case { TDatabaseType db; int ver; };
    const Case cases[] = {
        {dbInterBase, 10}, {dbSybaseASA, 4}, {dbOracle, 4},   {dbMySQL, 2},
        {dbMSSQL, 6},      {dbPostgreSQL, 5}, {dbDB2, 3},     {dbAbstract, 0},
        {dbSybaseASE, 0},  {dbPervasiveSQL, 0}, {dbMSAccess, 0}, {dbParadox, 0},
        {dbDBASE, 0},      {dbCustomOLEDB, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(GetDefServerVer(c.db), c.ver) << int(c.db);
    EXPECT_EQ(GetDefServerVer(dbInterBase), st_Firebird_25);
    EXPECT_EQ(GetDefServerVer(dbMSSQL), st_MSSQL2017);
    EXPECT_EQ(GetDefServerVer(dbPostgreSQL), st_PostgreSQL_12x);
    EXPECT_EQ(GetDefServerVer(dbDB2), st_DB2_11x);
}

// ---------------------------------------------------------------------------
// TConnectionOptions

TConnectionOptions FilledConnectionOptions() {
    TConnectionOptions o;
    o.SetDatabaseName("srv:/data/a.fdb");
    o.SetUserName("SYSDBA");
    o.SetPassword("secret");
    o.SetRoleName("ADMIN");
    o.SetDBUserName("dbuser");
    o.SetDBPassword("dbpass");
    o.SetDBRoleName("dbrole");
    o.SetPort(3050);
    o.SetHostName("db.example");
    o.SetProtocol(ptNamedPipe);
    o.SetUseWindowsAuthentication(true);
    o.SetConnectionString("Provider=X");
    o.SetClientLibrary("/usr/lib/libclient.so");
    return o;
}

TEST(ConnectionOptionsTest, InitialValuesAreTheDeclaredDefaults) {
    TConnectionOptions o;
    EXPECT_EQ(TConnectionOptions::DefaultPort, 0);
    EXPECT_FALSE(TConnectionOptions::DefaultUseWindowsAuthentication);
    EXPECT_EQ(TConnectionOptions::DefaultProtocol, ptTCP);
    EXPECT_EQ(o.GetPort(), TConnectionOptions::DefaultPort);
    EXPECT_EQ(o.GetUseWindowsAuthentication(), TConnectionOptions::DefaultUseWindowsAuthentication);
    EXPECT_EQ(o.GetProtocol(), TConnectionOptions::DefaultProtocol);
    for (const std::string& s :
         {o.GetDatabaseName(), o.GetUserName(), o.GetPassword(), o.GetRoleName(),
          o.GetDBUserName(), o.GetDBPassword(), o.GetDBRoleName(), o.GetHostName(),
          o.GetConnectionString(), o.GetClientLibrary()})
        EXPECT_EQ(s, "");
}

TEST(ConnectionOptionsTest, ClearEmptiesTextsAndSelectsLocalProtocol) {
    TConnectionOptions o = FilledConnectionOptions();
    o.Clear();
    for (const std::string& s :
         {o.GetDatabaseName(), o.GetUserName(), o.GetPassword(), o.GetRoleName(),
          o.GetDBUserName(), o.GetDBPassword(), o.GetDBRoleName(), o.GetHostName(),
          o.GetConnectionString()})
        EXPECT_EQ(s, "");
    EXPECT_EQ(o.GetPort(), 0);
    EXPECT_FALSE(o.GetUseWindowsAuthentication());
    // Not the published default ptTCP.
    EXPECT_EQ(o.GetProtocol(), ptLocal);
    EXPECT_EQ(o.GetClientLibrary(), "/usr/lib/libclient.so");
}

TEST(ConnectionOptionsTest, AssignCopiesAllThirteenFields) {
    const TConnectionOptions src = FilledConnectionOptions();
    TConnectionOptions a;
    a.Assign(src);
    EXPECT_EQ(a, src);
    EXPECT_EQ(a.GetDBUserName(), "dbuser");
    EXPECT_EQ(a.GetDBPassword(), "dbpass");
    EXPECT_EQ(a.GetDBRoleName(), "dbrole");
    EXPECT_EQ(a.GetClientLibrary(), "/usr/lib/libclient.so");
    EXPECT_EQ(a.GetProtocol(), ptNamedPipe);

    TConnectionOptions b;
    src.AssignTo(b);
    EXPECT_EQ(b, src);
    // The copy is independent of its source.
    b.SetUserName("other");
    EXPECT_EQ(src.GetUserName(), "SYSDBA");
}

}  // namespace
}  // namespace dbtwin
