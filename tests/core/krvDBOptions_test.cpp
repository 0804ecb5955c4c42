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

// ---------------------------------------------------------------------------
// Boolean switches of the compare and script options, checked by one table per class:
// the value after construction, the declared default, what Clear does and what Assign
// copies.

template <typename T>
struct Switch {
    const char* name;
    bool (T::*get)() const;
    void (T::*set)(bool);
    bool declared;      // the class's declared default
    bool expected;      // the documented default and initial value
    bool keptByClear;   // Clear leaves the value as it is
    bool copied;        // Assign / AssignTo copy it
};

template <typename T>
void CheckSwitches(const std::vector<Switch<T>>& table) {
    const T fresh;
    for (const auto& s : table) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.declared, s.expected);
        EXPECT_EQ((fresh.*s.get)(), s.expected);
    }
    // Flip every switch, then clear.
    T flipped;
    for (const auto& s : table) (flipped.*s.set)(!s.expected);
    if constexpr (requires(T t) { t.Clear(); }) {
        T cleared = flipped;
        cleared.Clear();
        for (const auto& s : table) {
            SCOPED_TRACE(s.name);
            EXPECT_EQ((cleared.*s.get)(), s.keptByClear ? !s.expected : s.expected);
        }
    }
    T assigned;
    assigned.Assign(flipped);
    T assignedTo;
    flipped.AssignTo(assignedTo);
    for (const auto& s : table) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ((assigned.*s.get)(), s.copied ? !s.expected : s.expected);
        EXPECT_EQ((assignedTo.*s.get)(), s.copied ? !s.expected : s.expected);
    }
}

TEST(CompareOptionsTest, InterBaseSwitches) {
    using T = TIBCompareOptions;
    CheckSwitches<T>({
        {"DbCharsetCompare", &T::GetDbCharsetCompare, &T::SetDbCharsetCompare,
         T::DefaultDbCharsetCompare, false, false, true},
        {"FldCharsetCompare", &T::GetFldCharsetCompare, &T::SetFldCharsetCompare,
         T::DefaultFldCharsetCompare, false, false, true},
        {"ModifySystemTables", &T::GetModifySystemTables, &T::SetModifySystemTables,
         T::DefaultModifySystemTables, false, true, true},
        {"GenerateCOMMIT", &T::GetGenerateCOMMIT, &T::SetGenerateCOMMIT,
         T::DefaultGenerateCOMMIT, false, true, true},
        {"UseRECONNECT", &T::GetUseRECONNECT, &T::SetUseRECONNECT, T::DefaultUseRECONNECT,
         true, false, true},
        {"AllowDataTypeConversion", &T::GetAllowDataTypeConversion,
         &T::SetAllowDataTypeConversion, T::DefaultAllowDataTypeConversion, false, true, true},
        {"UpdateFieldPosition", &T::GetUpdateFieldPosition, &T::SetUpdateFieldPosition,
         T::DefaultUpdateFieldPosition, true, false, true},
        {"ExtractOnlyComparedObjects", &T::GetExtractOnlyComparedObjects,
         &T::SetExtractOnlyComparedObjects, T::DefaultExtractOnlyComparedObjects, true, false,
         true},
        {"IgnoreIBEObjects", &T::GetIgnoreIBEObjects, &T::SetIgnoreIBEObjects,
         T::DefaultIgnoreIBEObjects, true, false, true},
    });
}

TEST(CompareOptionsTest, InterBaseDescriptionMode) {
    TIBCompareOptions o;
    EXPECT_EQ(TIBCompareOptions::DefaultUpdateDescriptionMode, udSysTables);
    EXPECT_EQ(o.GetUpdateDescriptionMode(), udSysTables);
    o.SetUpdateDescriptionMode(udComment);
    TIBCompareOptions copy;
    copy.Assign(o);
    EXPECT_EQ(copy.GetUpdateDescriptionMode(), udComment);
    o.Clear();
    EXPECT_EQ(o.GetUpdateDescriptionMode(), udSysTables);
}

TEST(CompareOptionsTest, SQLServerSwitches) {
    using T = TMSSQLCompareOptions;
    CheckSwitches<T>({
        {"IgnoreFileGroup", &T::GetIgnoreFileGroup, &T::SetIgnoreFileGroup,
         T::DefaultIgnoreFileGroup, false, false, true},
        {"IgnoreSysName", &T::GetIgnoreSysName, &T::SetIgnoreSysName, T::DefaultIgnoreSysName,
         true, false, true},
        {"CaseSensitiveIdentifiers", &T::GetCaseSensitiveIdentifiers,
         &T::SetCaseSensitiveIdentifiers, T::DefaultCaseSensitiveIdentifiers, false, false, true},
        {"UpdateColumnPosition", &T::GetUpdateColumnPosition, &T::SetUpdateColumnPosition,
         T::DefaultUpdateColumnPosition, false, true, true},
    });
}

TEST(CompareOptionsTest, MySQLAndSQLAnywhereSwitches) {
    using M = TMySQLCompareOptions;
    CheckSwitches<M>({{"CaseSensitiveIdentifiers", &M::GetCaseSensitiveIdentifiers,
                       &M::SetCaseSensitiveIdentifiers, M::DefaultCaseSensitiveIdentifiers, true,
                       false, true}});
    using A = TASACompareOptions;
    CheckSwitches<A>({{"CaseSensitiveIdentifiers", &A::GetCaseSensitiveIdentifiers,
                       &A::SetCaseSensitiveIdentifiers, A::DefaultCaseSensitiveIdentifiers,
                       false, false, true}});
}

TEST(CompareOptionsTest, ASECopiesThreeSwitchesOnly) {
    using T = TASECompareOptions;
    CheckSwitches<T>({
        {"IgnoreFileGroup", &T::GetIgnoreFileGroup, &T::SetIgnoreFileGroup,
         T::DefaultIgnoreFileGroup, false, false, true},
        {"IgnoreSysName", &T::GetIgnoreSysName, &T::SetIgnoreSysName, T::DefaultIgnoreSysName,
         true, false, true},
        {"CaseSensitiveIdentifiers", &T::GetCaseSensitiveIdentifiers,
         &T::SetCaseSensitiveIdentifiers, T::DefaultCaseSensitiveIdentifiers, false, false, true},
        {"CompareDBOptions", &T::GetCompareDBOptions, &T::SetCompareDBOptions,
         T::DefaultCompareDBOptions, true, false, false},
    });
    // The receiver keeps its own CompareDBOptions in both directions.
    T src;
    src.SetCompareDBOptions(true);
    T dst;
    dst.SetCompareDBOptions(false);
    dst.Assign(src);
    EXPECT_FALSE(dst.GetCompareDBOptions());
}

TEST(ScriptOptionsTest, SwitchesAndFormats) {
    using T = TScriptOptions;
    CheckSwitches<T>({
        {"GenerateScript", &T::GetGenerateScript, &T::SetGenerateScript,
         T::DefaultGenerateScript, true, false, true},
        {"Connect", &T::GetConnect, &T::SetConnect, T::DefaultConnect, true, false, true},
        {"SQLDialect", &T::GetSQLDialect, &T::SetSQLDialect, T::DefaultSQLDialect, true, false,
         true},
        {"DBCharSet", &T::GetDBCharSet, &T::SetDBCharSet, T::DefaultDBCharSet, true, false,
         true},
        {"LocalSQL", &T::GetLocalSQL, &T::SetLocalSQL, T::DefaultLocalSQL, false, false, true},
    });
    T o;
    EXPECT_EQ(o.GetFloatFormat(), "");
    EXPECT_EQ(o.GetDateFormat(), "");
    EXPECT_EQ(o.GetTimeFormat(), "");
    EXPECT_EQ(o.GetDateTimeFormat(), "");
    o.SetFloatFormat("0.00");
    o.SetDateFormat("yyyy-mm-dd");
    o.SetTimeFormat("hh:nn:ss");
    o.SetDateTimeFormat("yyyy-mm-dd hh:nn:ss");
    o.SetConnect(false);
    T copy;
    copy.Assign(o);
    EXPECT_EQ(copy, o);
    EXPECT_EQ(copy.GetDateTimeFormat(), "yyyy-mm-dd hh:nn:ss");
}

// ---------------------------------------------------------------------------
// Server options: versions

// Checks the declared default, the version after construction and after Clear (or that
// Clear keeps the version), and that Assign carries the version.
template <typename T, typename V>
void CheckServerVersion(V declared, V initial, V other, bool keptByClear, V afterClear) {
    EXPECT_EQ(T::DefaultSQLServerVersion, declared);
    T o;
    EXPECT_EQ(o.GetSQLServerVersion(), initial);
    o.SetSQLServerVersion(other);
    T copy;
    copy.Assign(o);
    EXPECT_EQ(copy.GetSQLServerVersion(), other);
    T copyTo;
    o.AssignTo(copyTo);
    EXPECT_EQ(copyTo.GetSQLServerVersion(), other);
    o.Clear();
    EXPECT_EQ(o.GetSQLServerVersion(), keptByClear ? other : afterClear);
}

TEST(ServerOptionsTest, VersionsInitiallyAndAfterClear) {
    {
        SCOPED_TRACE("InterBase");
        CheckServerVersion<TIBServerOptions>(st_Firebird_25, st_Firebird_25, st_Firebird_40,
                                             true, st_Firebird_25);
    }
    {
        // Starts at 2000 while the declared default (and the suggested version) is 2017.
        SCOPED_TRACE("SQL Server");
        CheckServerVersion<TMSSQLServerOptions>(st_MSSQL2017, st_MSSQL2000, st_MSSQL2019,
                                                false, st_MSSQL2000);
        EXPECT_NE(TMSSQLServerOptions().GetSQLServerVersion(), GetDefServerVer(dbMSSQL));
    }
    {
        SCOPED_TRACE("MySQL");
        CheckServerVersion<TMySQLServerOptions>(st_MySQL_5x, st_MySQL_5x, st_MariaDB_10x,
                                                false, st_MySQL_5x);
    }
    {
        SCOPED_TRACE("SQL Anywhere");
        CheckServerVersion<TASAServerOptions>(st_ASA9, st_ASA9, st_ASA6, false, st_ASA9);
    }
    {
        SCOPED_TRACE("Oracle");
        CheckServerVersion<TOracleServerOptions>(st_Oracle_10x, st_Oracle_10x, st_Oracle_19x,
                                                 false, st_Oracle_10x);
    }
    {
        SCOPED_TRACE("PostgreSQL");
        CheckServerVersion<TPGSQLServerOptions>(st_PostgreSQL_12x, st_PostgreSQL_8x,
                                                st_PostgreSQL_14x, false, st_PostgreSQL_8x);
    }
    {
        SCOPED_TRACE("DB2");
        CheckServerVersion<TDB2ServerOptions>(st_DB2_8x, st_DB2_8x, st_DB2_11x, false,
                                              st_DB2_8x);
    }
    {
        SCOPED_TRACE("ASE");
        CheckServerVersion<TASEServerOptions>(st_ASE12, st_ASE12, st_ASE12, false, st_ASE12);
    }
}

// ---------------------------------------------------------------------------
// InterBase / Firebird server options

TIBDatabaseOptions FilledIBDatabaseOptions() {
    TIBDatabaseOptions d;
    d.SetServerVersion("LI-V3.0.11 Firebird 3.0");
    d.SetServerImplementation("Firebird/Linux/AMD/Intel/x64");
    d.SetODSMajorVersion(12);
    d.SetODSMinorVersion(0);
    d.SetPageSize(8192);
    d.SetForcedWrites(1);
    d.SetSweepInterval(20000);
    d.SetReadOnly(1);
    d.SetNumBuffers(2048);
    d.SetDBImplementationNo(60);
    d.SetDBImplementationClass(1);
    d.SetDBSQLDialect(3);
    return d;
}

TIBServerOptions FilledIBServerOptions() {
    TIBServerOptions o;
    o.SetSQLServerVersion(st_Firebird_30);
    o.SetSQLDialect(1);
    o.SetDBCharSet("utf8");
    o.GetIBCompareOptions().SetGenerateCOMMIT(true);
    o.GetIBCompareOptions().SetUseRECONNECT(false);
    o.GetIBCompareOptions().SetDbCharsetCompare(true);
    o.SetIBDatabaseOptions(FilledIBDatabaseOptions());
    return o;
}

TEST(IBServerOptionsTest, InitialValues) {
    const TIBServerOptions o;
    EXPECT_EQ(TIBServerOptions::DefaultSQLDialect, 3);
    EXPECT_EQ(o.GetSQLDialect(), TIBServerOptions::DefaultSQLDialect);
    EXPECT_EQ(o.GetSQLServerVersion(), TIBServerOptions::DefaultSQLServerVersion);
    EXPECT_EQ(o.GetDBCharSet(), "");
    EXPECT_EQ(o.GetIBCompareOptions(), TIBCompareOptions());
    EXPECT_EQ(o.GetIBDatabaseOptions(), TIBDatabaseOptions());
    EXPECT_EQ(o.GetIBDatabaseOptions().GetODSMajorVersion(), 0);
    EXPECT_EQ(o.GetIBDatabaseOptions().GetServerVersion(), "");
}

TEST(IBServerOptionsTest, CharacterSetIsStoredInUpperCase) {
    struct Case { std::string in, stored; };
    const Case cases[] = {
        {"win1252", "WIN1252"}, {"UTF8", "UTF8"}, {"iso8859_1", "ISO8859_1"}, {"", ""},
    };
    for (const auto& c : cases) {
        TIBServerOptions o;
        o.SetDBCharSet(c.in);
        EXPECT_EQ(o.GetDBCharSet(), c.stored) << c.in;
    }
}

TEST(IBServerOptionsTest, DialectOutsideOneToThreeIsRejected) {
    TIBServerOptions o;
    for (int d : {1, 2, 3}) {
        o.SetSQLDialect(d);
        EXPECT_EQ(o.GetSQLDialect(), d);
    }
    for (int d : {0, 4, -1, 100}) {
        EXPECT_THROW(o.SetSQLDialect(d), EKrvError) << d;
        EXPECT_EQ(o.GetSQLDialect(), 3) << d;
    }
}

TEST(IBServerOptionsTest, ClearKeepsServerVersionAndClearsNestedOptions) {
    TIBServerOptions o = FilledIBServerOptions();
    o.GetIBCompareOptions().SetAllowDataTypeConversion(true);
    o.Clear();
    EXPECT_EQ(o.GetSQLServerVersion(), st_Firebird_30);
    EXPECT_EQ(o.GetSQLDialect(), 3);
    EXPECT_EQ(o.GetDBCharSet(), "");
    EXPECT_EQ(o.GetIBDatabaseOptions(), TIBDatabaseOptions());
    // Nested compare options follow their own Clear: GenerateCOMMIT and
    // AllowDataTypeConversion are kept, the others restored.
    EXPECT_TRUE(o.GetIBCompareOptions().GetGenerateCOMMIT());
    EXPECT_TRUE(o.GetIBCompareOptions().GetAllowDataTypeConversion());
    EXPECT_TRUE(o.GetIBCompareOptions().GetUseRECONNECT());
    EXPECT_FALSE(o.GetIBCompareOptions().GetDbCharsetCompare());
}

TEST(IBServerOptionsTest, AssignCopiesEverythingIncludingNestedOptions) {
    const TIBServerOptions src = FilledIBServerOptions();
    TIBServerOptions a;
    a.Assign(src);
    EXPECT_EQ(a, src);
    EXPECT_EQ(a.GetIBDatabaseOptions().GetNumBuffers(), 2048);
    EXPECT_FALSE(a.GetIBCompareOptions().GetUseRECONNECT());
    TIBServerOptions b;
    src.AssignTo(b);
    EXPECT_EQ(b, src);
    // The nested objects are owned: changing the copy leaves the source alone.
    b.GetIBDatabaseOptions().SetPageSize(1024);
    b.GetIBCompareOptions().SetGenerateCOMMIT(false);
    EXPECT_EQ(src.GetIBDatabaseOptions().GetPageSize(), 8192);
    EXPECT_TRUE(src.GetIBCompareOptions().GetGenerateCOMMIT());
    // Assigning to itself changes nothing.
    a.Assign(a);
    EXPECT_EQ(a, src);
}

TEST(IBServerOptionsTest, SettingNestedOptionsCopiesIntoTheOwnedObject) {
    TIBServerOptions o;
    TIBCompareOptions cmp;
    cmp.SetUpdateDescriptionMode(udComment);
    o.SetIBCompareOptions(cmp);
    cmp.SetUpdateDescriptionMode(udDescribe);
    EXPECT_EQ(o.GetIBCompareOptions().GetUpdateDescriptionMode(), udComment);

    TIBDatabaseOptions db = FilledIBDatabaseOptions();
    o.SetIBDatabaseOptions(db);
    db.Clear();
    EXPECT_EQ(o.GetIBDatabaseOptions(), FilledIBDatabaseOptions());
}

TEST(IBServerOptionsTest, DescendantsShareFieldsAndCopyRules) {
    TIBExtractOptions extract;
    static_cast<TIBServerOptions&>(extract) = FilledIBServerOptions();
    TIBSQLExecOptions exec;
    TIBTableDataComparerOptions data;
    TIBEngineOptions engine;
    exec.Assign(extract);
    extract.AssignTo(data);
    engine.Assign(data);
    for (const TIBServerOptions* o :
         std::vector<const TIBServerOptions*>{&exec, &data, &engine}) {
        EXPECT_EQ(*o, FilledIBServerOptions());
        EXPECT_EQ(o->GetDBCharSet(), "UTF8");
    }
    TIBEngineOptions fresh;
    EXPECT_EQ(fresh.GetSQLServerVersion(), st_Firebird_25);
    EXPECT_EQ(fresh.GetSQLDialect(), 3);
}

TEST(IBDatabaseOptionsTest, ClearZeroesEverything) {
    TIBDatabaseOptions d = FilledIBDatabaseOptions();
    EXPECT_NE(d, TIBDatabaseOptions());
    d.Clear();
    EXPECT_EQ(d, TIBDatabaseOptions());
    EXPECT_EQ(d.GetServerImplementation(), "");
    EXPECT_EQ(d.GetDBSQLDialect(), 0);
    EXPECT_EQ(d.GetDBImplementationClass(), 0);
}

// ---------------------------------------------------------------------------
// SQL Server options

TEST(MSSQLServerOptionsTest, ClearAndAssign) {
    TMSSQLServerOptions o;
    EXPECT_EQ(o.GetCollation(), "");
    EXPECT_EQ(o.GetDBCharSet(), "");
    EXPECT_EQ(o.GetMSSQLCompareOptions(), TMSSQLCompareOptions());
    EXPECT_EQ(o.GetMSSQLDatabaseOptions(), TMSSQLDatabaseOptions());

    o.SetSQLServerVersion(st_MSSQL2016);
    o.SetCollation("Latin1_General_CI_AS");
    o.SetDBCharSet("cp1252");  // kept as given
    o.GetMSSQLCompareOptions().SetIgnoreSysName(false);
    o.GetMSSQLCompareOptions().SetUpdateColumnPosition(true);
    TMSSQLDatabaseOptions& db = o.GetMSSQLDatabaseOptions();
    db.SetCollation("SQL_Latin1_General_CP1_CI_AS");
    db.SetAnsiNullDefault(true);
    db.SetAnsiNullsEnabled(true);
    db.SetQuotedIdentifiersEnabled(true);
    db.SetRecursiveTriggersEnabled(true);
    db.SetVersion(661);
    db.SetCompatibilityLevel(150);
    EXPECT_EQ(o.GetDBCharSet(), "cp1252");

    TMSSQLServerOptions copy;
    copy.Assign(o);
    EXPECT_EQ(copy, o);
    EXPECT_EQ(copy.GetMSSQLDatabaseOptions().GetCompatibilityLevel(), 150);

    o.Clear();
    EXPECT_EQ(o.GetSQLServerVersion(), st_MSSQL2000);
    EXPECT_EQ(o.GetCollation(), "");
    EXPECT_EQ(o.GetDBCharSet(), "");
    EXPECT_TRUE(o.GetMSSQLCompareOptions().GetIgnoreSysName());
    EXPECT_TRUE(o.GetMSSQLCompareOptions().GetUpdateColumnPosition());  // kept
    const TMSSQLDatabaseOptions& c = o.GetMSSQLDatabaseOptions();
    EXPECT_EQ(c.GetCollation(), "");
    EXPECT_FALSE(c.GetAnsiNullDefault());
    EXPECT_FALSE(c.GetAnsiNullsEnabled());
    EXPECT_FALSE(c.GetQuotedIdentifiersEnabled());
    EXPECT_FALSE(c.GetRecursiveTriggersEnabled());
    EXPECT_EQ(c.GetVersion(), 0);
    EXPECT_EQ(c.GetCompatibilityLevel(), 150);  // kept
}

// ---------------------------------------------------------------------------
// MySQL, SQL Anywhere, ASE server options

TEST(MySQLServerOptionsTest, ClearAndAssign) {
    TMySQLServerOptions o;
    EXPECT_EQ(o.GetCharSet(), "");
    EXPECT_EQ(o.GetNames(), "");
    o.SetSQLServerVersion(st_MySQL_8x);
    o.SetCharSet("utf8mb4");
    o.SetNames("utf8mb4");
    o.GetMySQLCompareOptions().SetCaseSensitiveIdentifiers(false);
    TMySQLServerOptions copy;
    copy.Assign(o);
    EXPECT_EQ(copy, o);
    o.Clear();
    EXPECT_EQ(o, TMySQLServerOptions());
    EXPECT_TRUE(o.GetMySQLCompareOptions().GetCaseSensitiveIdentifiers());
}

TEST(ASAServerOptionsTest, DatabaseFlagsStartOnAndClearBackOn) {
    TASAServerOptions o;
    const TASADatabaseOptions& d = o.GetASADatabaseOptions();
    EXPECT_TRUE(d.GetQuotedIdentifier());
    EXPECT_TRUE(d.GetAnsiNull());
    EXPECT_EQ(d.GetDefCollation(), "");
    EXPECT_EQ(d.GetStatistics(), 0);
    EXPECT_EQ(d.GetDate_Order(), "");

    o.SetSQLServerVersion(st_ASA7);
    o.GetASACompareOptions().SetCaseSensitiveIdentifiers(true);
    TASADatabaseOptions db;
    db.SetQuotedIdentifier(false);
    db.SetAnsiNull(false);
    db.SetDefCollation("1252LATIN1");
    db.SetStatistics(3);
    db.SetDate_Order("YMD");
    o.SetASADatabaseOptions(db);

    TASAServerOptions copy;
    copy.Assign(o);
    EXPECT_EQ(copy, o);
    EXPECT_EQ(copy.GetASADatabaseOptions().GetDate_Order(), "YMD");

    o.Clear();
    EXPECT_EQ(o, TASAServerOptions());
    EXPECT_TRUE(o.GetASADatabaseOptions().GetQuotedIdentifier());
    EXPECT_TRUE(o.GetASADatabaseOptions().GetAnsiNull());
}

TASEDatabaseOptions FilledASEDatabaseOptions() {
    TASEDatabaseOptions d;
    d.SetServerVersion("Adaptive Server 12.5");
    d.SetDbOptions("select into/bulkcopy/pllsort");
    d.SetDb_Size("  100.0 MB");
    d.SetDbOwner("sa");
    d.SetDbCreated("Jan 01, 2020");
    d.SetCollation("bin_iso_1");
    d.SetDbSize(100);
    d.SetLogSize(20);
    d.SetVersion(12500);
    d.SetAnsiNullDefault(true);
    d.SetAnsiNullsEnabled(true);
    d.SetQuotedIdentifiersEnabled(true);
    d.SetRecursiveTriggersEnabled(true);
    d.AbortTranOnLogFull = true;
    d.SetASEDBOptions({asedboSelectIntoBulkCopyPllSort, asedboTruncLogOnChkpt});
    return d;
}

TEST(ASEServerOptionsTest, AssignCopiesDatabaseOptionsAndThreeCompareSwitches) {
    TASEServerOptions src;
    src.SetASEDatabaseOptions(FilledASEDatabaseOptions());
    src.GetASECompareOptions().SetIgnoreFileGroup(true);
    src.GetASECompareOptions().SetCompareDBOptions(false);

    TASEServerOptions dst;
    dst.Assign(src);
    EXPECT_EQ(dst.GetASEDatabaseOptions(), FilledASEDatabaseOptions());
    EXPECT_TRUE(dst.GetASEDatabaseOptions().AbortTranOnLogFull);
    EXPECT_TRUE(dst.GetASEDatabaseOptions().GetASEDBOptions().Contains(asedboTruncLogOnChkpt));
    EXPECT_TRUE(dst.GetASECompareOptions().GetIgnoreFileGroup());
    EXPECT_TRUE(dst.GetASECompareOptions().GetCompareDBOptions());

    // Setting the compare options property follows the same rule.
    TASEServerOptions viaSetter;
    viaSetter.SetASECompareOptions(src.GetASECompareOptions());
    EXPECT_TRUE(viaSetter.GetASECompareOptions().GetIgnoreFileGroup());
    EXPECT_TRUE(viaSetter.GetASECompareOptions().GetCompareDBOptions());

    // A plain C++ copy is a full copy.
    const TASEServerOptions full = src;
    EXPECT_FALSE(full.GetASECompareOptions().GetCompareDBOptions());

    src.Clear();
    EXPECT_EQ(src, TASEServerOptions());
}

TEST(ASEServerOptionsTest, DatabaseOptionsStartEmpty) {
    const TASEDatabaseOptions d;
    EXPECT_EQ(d.GetServerVersion(), "");
    EXPECT_EQ(d.GetDbSize(), 0);
    EXPECT_FALSE(d.AbortTranOnLogFull);
    EXPECT_TRUE(d.GetASEDBOptions().IsEmpty());
    TASEDatabaseOptions filled = FilledASEDatabaseOptions();
    filled.Clear();
    EXPECT_EQ(filled, d);
}

// ---------------------------------------------------------------------------
// InterBase / Firebird script texts

TConnectionOptions Conn(const std::string& db, const std::string& user = "",
                        const std::string& password = "", const std::string& role = "") {
    TConnectionOptions c;
    c.SetDatabaseName(db);
    c.SetUserName(user);
    c.SetPassword(password);
    c.SetRoleName(role);
    return c;
}

TEST(IBScriptTextTest, ConnectDatabaseDef) {
    struct Case { TConnectionOptions conn; std::string expected; };
    const std::vector<Case> cases = {
        {Conn("C:\\DB\\A.FDB", "SYSDBA"), "CONNECT 'C:\\DB\\A.FDB' USER 'SYSDBA'"},
        {Conn("srv/3051:/data/a.fdb", "SYSDBA", "pw", "ADMIN"),
         "CONNECT 'srv/3051:/data/a.fdb' USER 'SYSDBA' PASSWORD 'pw' ROLE 'ADMIN'"},
        {Conn("a.fdb"), "CONNECT 'a.fdb'"},
        {Conn("a.fdb", "", "", "R"), "CONNECT 'a.fdb' ROLE 'R'"},
        {Conn("a.fdb", "", "pw"), "CONNECT 'a.fdb' PASSWORD 'pw'"},
        // Embedded quotes are doubled in every text.
        {Conn("it's.fdb", "o'neil", "p'w", "r'x"),
         "CONNECT 'it''s.fdb' USER 'o''neil' PASSWORD 'p''w' ROLE 'r''x'"},
        // No database, no statement, whatever else is given.
        {Conn("", "SYSDBA", "pw", "R"), ""},
    };
    const TIBServerOptions o;
    for (const auto& c : cases)
        EXPECT_EQ(o.ConnectDatabaseDef(c.conn), c.expected) << c.expected;
}

TEST(IBScriptTextTest, CreateDatabaseDef) {
    struct Case {
        TConnectionOptions conn;
        std::int32_t pageSize;
        std::string charSet;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {Conn("a.fdb"), 0, "", "CREATE DATABASE 'a.fdb'"},
        {Conn("/data/a.fdb", "SYSDBA", "pw"), 8192, "utf8",
         "CREATE DATABASE '/data/a.fdb'\r\n USER 'SYSDBA' PASSWORD 'pw'\r\nPAGE_SIZE 8192"
         "  DEFAULT CHARACTER SET UTF8"},
        {Conn("a.fdb", "SYSDBA"), 0, "", "CREATE DATABASE 'a.fdb'\r\n USER 'SYSDBA'"},
        {Conn("a.fdb", "", "pw"), 0, "", "CREATE DATABASE 'a.fdb'\r\n PASSWORD 'pw'"},
        {Conn("a.fdb"), 4096, "", "CREATE DATABASE 'a.fdb'\r\nPAGE_SIZE 4096"},
        {Conn("a.fdb"), 0, "WIN1252", "CREATE DATABASE 'a.fdb'  DEFAULT CHARACTER SET WIN1252"},
        // NONE is a real character set here (unlike SET NAMES).
        {Conn("a.fdb"), 0, "NONE", "CREATE DATABASE 'a.fdb'  DEFAULT CHARACTER SET NONE"},
        // The role is not part of CREATE DATABASE.
        {Conn("it's.fdb", "u", "", "R"), 0, "", "CREATE DATABASE 'it''s.fdb'\r\n USER 'u'"},
        {Conn("", "SYSDBA", "pw"), 8192, "UTF8", ""},
    };
    for (const auto& c : cases) {
        TIBServerOptions o;
        o.GetIBDatabaseOptions().SetPageSize(c.pageSize);
        o.SetDBCharSet(c.charSet);
        EXPECT_EQ(o.CreateDatabaseDef(c.conn), c.expected) << c.expected;
    }
}

TEST(IBScriptTextTest, CharSetAndDialectStatements) {
    struct CharSetCase { std::string charSet, expected; };
    const CharSetCase charSets[] = {
        {"", ""}, {"NONE", ""}, {"none", ""}, {"utf8", "SET NAMES UTF8"},
        {"WIN1252", "SET NAMES WIN1252"},
    };
    for (const auto& c : charSets) {
        TIBServerOptions o;
        o.SetDBCharSet(c.charSet);
        EXPECT_EQ(o.DBCharSetDef(), c.expected) << c.charSet;
    }
    struct DialectCase { int dialect; std::string expected; };
    const DialectCase dialects[] = {{1, ""}, {2, ""}, {3, "SET SQL DIALECT 3"}};
    for (const auto& c : dialects) {
        TIBServerOptions o;
        o.SetSQLDialect(c.dialect);
        EXPECT_EQ(o.SQLDialectDef(), c.expected) << c.dialect;
    }
}

TEST(IBScriptTextTest, ODS_GE10) {
    struct Case { std::int32_t odsMajor; TIBSQLServerVersionType ver; bool expected; };
    const Case cases[] = {
        {0, st_InterBase_4x, false}, {0, st_InterBase_5x, false}, {0, st_InterBase_6x, true},
        {0, st_Firebird_25, true},   {9, st_InterBase_5x, false}, {9, st_FireBird_1x, true},
        {10, st_InterBase_4x, true}, {11, st_InterBase_5x, true}, {12, st_Firebird_30, true},
    };
    for (const auto& c : cases) {
        TIBServerOptions o;
        o.SetSQLServerVersion(c.ver);
        o.GetIBDatabaseOptions().SetODSMajorVersion(c.odsMajor);
        EXPECT_EQ(o.ODS_GE10(), c.expected) << c.odsMajor << " " << int(c.ver);
    }
}

TEST(IBScriptTextTest, DatabaseInfoComment) {
    struct Case {
        std::string serverVersion;
        std::int32_t odsMajor, odsMinor, dialect, forcedWrites, sweep, pageSize, buffers, readOnly;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"", 0, 0, 0, 0, 0, 0, 0, 0, ""},
        // Without an ODS version only the server version is shown.
        {"WI-V2.5.9", 0, 0, 3, 1, 20000, 4096, 2048, 0, "/* Server version: WI-V2.5.9 \r\n*/"},
        {"LI-V3.0.11 Firebird 3.0", 12, 0, 3, 1, 20000, 4096, 2048, 0,
         "/* Server version: LI-V3.0.11 Firebird 3.0 \r\n"
         "   SQLDialect: 3. ODS: 12.0. Forced writes: On. Sweep inteval: 20000.\r\n"
         "   Page size: 4096. Cache pages: 2048 (8192 Kb). Read-only: False. */"},
        {"", 10, 1, 1, 0, 0, 1024, 75, 1,
         "/* SQLDialect: 1. ODS: 10.1. Forced writes: Off. Sweep inteval: 0.\r\n"
         "   Page size: 1024. Cache pages: 75 (75 Kb). Read-only: True. */"},
        // 2,000,000 pages of 16 KB: the byte count does not fit 32 bits.
        {"", 13, 0, 3, 1, 0, 16384, 2000000, 0,
         "/* SQLDialect: 3. ODS: 13.0. Forced writes: On. Sweep inteval: 0.\r\n"
         "   Page size: 16384. Cache pages: 2000000 (32000000 Kb). Read-only: False. */"},
        {"", 13, 0, 3, 1, 0, 32768, 2147483647, 0,
         "/* SQLDialect: 3. ODS: 13.0. Forced writes: On. Sweep inteval: 0.\r\n"
         "   Page size: 32768. Cache pages: 2147483647 (68719476704 Kb). Read-only: False. */"},
        // A comment closer inside the server text must not end the comment.
        {"V1 */ DROP TABLE T", 0, 0, 0, 0, 0, 0, 0, 0,
         "/* Server version: V1 * / DROP TABLE T \r\n*/"},
    };
    for (const auto& c : cases) {
        TIBServerOptions o;
        TIBDatabaseOptions& d = o.GetIBDatabaseOptions();
        d.SetServerVersion(c.serverVersion);
        d.SetODSMajorVersion(c.odsMajor);
        d.SetODSMinorVersion(c.odsMinor);
        d.SetDBSQLDialect(c.dialect);
        d.SetForcedWrites(c.forcedWrites);
        d.SetSweepInterval(c.sweep);
        d.SetPageSize(c.pageSize);
        d.SetNumBuffers(c.buffers);
        d.SetReadOnly(c.readOnly);
        EXPECT_EQ(d.Def(), c.expected);
        EXPECT_EQ(o.DBInfoDef(), c.expected);
    }
}

TEST(IBScriptTextTest, ConnectHeaderDef) {
    {
        TIBServerOptions o;
        o.SetDBCharSet("utf8");
        EXPECT_EQ(o.ConnectHeaderDef(Conn("a.fdb", "SYSDBA")),
                  "\r\nSET NAMES UTF8;\r\nSET SQL DIALECT 3;\r\nCONNECT 'a.fdb' USER 'SYSDBA';");
    }
    {
        TIBServerOptions o;
        o.GetIBDatabaseOptions().SetServerVersion("V");
        o.SetDBCharSet("NONE");
        EXPECT_EQ(o.ConnectHeaderDef(Conn("")),
                  "/* Server version: V \r\n*/\r\nSET SQL DIALECT 3;");
    }
    {
        TIBServerOptions o;
        o.SetSQLDialect(1);
        EXPECT_EQ(o.ConnectHeaderDef(Conn("")), "");
        EXPECT_EQ(o.ConnectHeaderDef(Conn("b.fdb")), "\r\nCONNECT 'b.fdb';");
    }
}

TEST(IBScriptTextTest, ExtractDatabaseParams) {
    TIBServerOptions o;
    o.SetDBCharSet("UTF8");
    TConnectionOptions c = FilledConnectionOptions();
    o.ExtractDatabaseParams({"user_name=alice", "PASSWORD=p=q", "Sql_Role_Name=R",
                             "lc_ctype=win1252", "num_buffers=100", "no value here", ""},
                            c);
    EXPECT_EQ(c.GetUserName(), "alice");
    EXPECT_EQ(c.GetPassword(), "p=q");  // everything after the first "="
    EXPECT_EQ(c.GetRoleName(), "R");
    EXPECT_EQ(o.GetDBCharSet(), "WIN1252");
    // The connection options were cleared first.
    EXPECT_EQ(c.GetDatabaseName(), "");
    EXPECT_EQ(c.GetHostName(), "");
    EXPECT_EQ(c.GetPort(), 0);
    EXPECT_EQ(c.GetDBUserName(), "");
    EXPECT_EQ(c.GetProtocol(), ptLocal);

    // Without LC_CTYPE the character set stays; the last of two lines wins.
    TConnectionOptions c2;
    o.ExtractDatabaseParams({"USER_NAME=first", "user_name=second", "password="}, c2);
    EXPECT_EQ(c2.GetUserName(), "second");
    EXPECT_EQ(c2.GetPassword(), "");
    EXPECT_EQ(o.GetDBCharSet(), "WIN1252");
}

// ---------------------------------------------------------------------------
// ASE option names

TEST(ASEDatabaseOptionsTest, DBOptionStr) {
    const std::vector<std::string> names = {
        "abort tran on log full", "allow nulls by default", "async log service",
        "auto identity", "dbo use only", "ddl in tran", "disable alias access",
        "identity in nonunique index", "no chkpt on recovery", "no free space acctg",
        "read only", "select into/bulkcopy/pllsort", "single user", "trunc log on chkpt",
        "unique auto_identity index"};
    ASSERT_EQ(names.size(), EnumCount<TASEDBOption>);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(TASEDatabaseOptions::DBOptionStr(static_cast<TASEDBOption>(i)), names[i]);
    EXPECT_EQ(TASEDatabaseOptions::DBOptionStr(asedboReadOnly), "read only");
    EXPECT_EQ(TASEDatabaseOptions::DBOptionStr(static_cast<TASEDBOption>(15)), "");
}

// ---------------------------------------------------------------------------
// MySQL table options

TMySQLTableOptions FilledMySQLTableOptions() {
    TMySQLTableOptions t;
    t.Engine = "InnoDB";
    t.SetDefCharSet("utf8mb4");
    t.DefCollate = "utf8mb4_bin";
    t.Comment = "Orders";
    t.Connection = "mysql://u@h/db/t";
    t.DataDirectory = "/var/data";
    t.IndexDirectory = "/var/index";
    t.InsertMethod = "LAST";
    t.PackKeys = "DEFAULT";
    t.Password = "pw";
    t.RowFormat = "DYNAMIC";
    t.RaidType = "STRIPED";
    t.Union = "(t1,t2)";
    t.AutoIncrement = 1000;
    t.AvgRowLength = 200;
    t.CheckSum = 1;
    t.DelayKeyWrite = 1;
    t.KeyBlockSize = 8;
    t.MaxRows = 100000;
    t.MinRows = 10;
    return t;
}

TEST(MySQLTableOptionsTest, DefWritesGivenOptionsInOrder) {
    EXPECT_EQ(TMySQLTableOptions().Def(), "");
    EXPECT_EQ(TMySQLTableOptions().GetDefCharSet(), "");

    TMySQLTableOptions engineOnly;
    engineOnly.Engine = "InnoDB";
    EXPECT_EQ(engineOnly.Def(), "\r\nENGINE=InnoDB");

    // AutoIncrement, RaidType and Union are never written.
    EXPECT_EQ(FilledMySQLTableOptions().Def(),
              "\r\nENGINE=InnoDB"
              "\r\nAVG_ROW_LENGTH=200"
              "\r\nDEFAULT CHARSET=utf8mb4"
              "\r\nCHECKSUM=1"
              "\r\nDEFAULT COLLATE=utf8mb4_bin"
              "\r\nCOMMENT='Orders'"
              "\r\nCONNECTION='mysql://u@h/db/t'"
              "\r\nDATA DIRECTORY='/var/data'"
              "\r\nDELAY_KEY_WRITE=1"
              "\r\nINDEX DIRECTORY='/var/index'"
              "\r\nINSERT_METHOD=LAST"
              "\r\nKEY_BLOCK_SIZE=8"
              "\r\nMAX_ROWS=100000"
              "\r\nMIN_ROWS=10"
              "\r\nPACK_KEYS=DEFAULT"
              "\r\nPASSWORD='pw'"
              "\r\nROW_FORMAT=DYNAMIC");
}

TEST(MySQLTableOptionsTest, NumbersAreWrittenOnlyWhenPositive) {
    struct Case {
        std::int32_t TMySQLTableOptions::*field;
        std::int32_t value;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {&TMySQLTableOptions::CheckSum, 0, ""},
        {&TMySQLTableOptions::CheckSum, -1, ""},
        {&TMySQLTableOptions::MaxRows, -5, ""},
        {&TMySQLTableOptions::MinRows, 0, ""},
        {&TMySQLTableOptions::KeyBlockSize, 0, ""},
        {&TMySQLTableOptions::DelayKeyWrite, 0, ""},
        {&TMySQLTableOptions::AutoIncrement, 5, ""},
        {&TMySQLTableOptions::AvgRowLength, 0, ""},
        // The average row length is written whenever it is not zero.
        {&TMySQLTableOptions::AvgRowLength, -3, "\r\nAVG_ROW_LENGTH=-3"},
        {&TMySQLTableOptions::MaxRows, 2147483647, "\r\nMAX_ROWS=2147483647"},
    };
    for (const auto& c : cases) {
        TMySQLTableOptions t;
        t.*c.field = c.value;
        EXPECT_EQ(t.Def(), c.expected) << c.value;
    }
}

TEST(MySQLTableOptionsTest, TextsAreMySQLLiterals) {
    struct Case { TRareString TMySQLTableOptions::*field; std::string value, expected; };
    const std::vector<Case> cases = {
        // Backslashes are escaped, else MySQL would read \t as a tab and \n as a line break.
        {&TMySQLTableOptions::DataDirectory, "C:\\data\\tables",
         "\r\nDATA DIRECTORY='C:\\\\data\\\\tables'"},
        {&TMySQLTableOptions::IndexDirectory, "D:\\new\\idx",
         "\r\nINDEX DIRECTORY='D:\\\\new\\\\idx'"},
        {&TMySQLTableOptions::Comment, "it's a \\ test", "\r\nCOMMENT='it\\'s a \\\\ test'"},
        {&TMySQLTableOptions::Comment, "line1\r\nline2", "\r\nCOMMENT='line1\\r\\nline2'"},
        {&TMySQLTableOptions::Connection, "mysql://u:p'w@h/d/t",
         "\r\nCONNECTION='mysql://u:p\\'w@h/d/t'"},
        {&TMySQLTableOptions::Password, "a'b\\c", "\r\nPASSWORD='a\\'b\\\\c'"},
        // Option words are written as they are.
        {&TMySQLTableOptions::Engine, "MyISAM", "\r\nENGINE=MyISAM"},
        {&TMySQLTableOptions::RaidType, "STRIPED", ""},
        {&TMySQLTableOptions::Union, "(a,b)", ""},
    };
    for (const auto& c : cases) {
        TMySQLTableOptions t;
        t.*c.field = c.value;
        EXPECT_EQ(t.Def(), c.expected) << c.value;
    }
}

TEST(MySQLTableOptionsTest, AssignCopiesEveryField) {
    const TMySQLTableOptions src = FilledMySQLTableOptions();
    TMySQLTableOptions a;
    a.Assign(src);
    EXPECT_EQ(a, src);
    EXPECT_EQ(a.GetDefCharSet(), "utf8mb4");
    EXPECT_EQ(a.AutoIncrement, 1000);
    EXPECT_EQ(a.Union, "(t1,t2)");
    TMySQLTableOptions b;
    src.AssignTo(b);
    EXPECT_EQ(b, src);
}

}  // namespace
}  // namespace dbtwin
