#include "core/krvDBOptions.h"

#include <iterator>

#include "core/krvStrUtils.h"

namespace dbtwin {

// ---------------------------------------------------------------------------
// Server versions

namespace {

const char* const IBServerVerNames[] = {
    "InterBase 4.x", "InterBase 5.x", "InterBase 6.x", "FireBird 1.x",  "Yaffil 1.x",
    "FireBird 1.5",  "InterBase 7.x", "InterBase 7.5", "FireBird 2.0",  "FireBird 2.1",
    "FireBird 2.5",  "FireBird 3.0",  "FireBird 4.0",  "InterBase 2020"};
const char* const ASAServerVerNames[] = {"ASA 5", "ASA 6", "ASA 7", "ASA 8", "ASA 9"};
const char* const MySQLServerVerNames[] = {"My SQL 3.x", "My SQL 4.x", "My SQL 5.x",
                                           "My SQL 8.x", "MariaDB 10.x"};
const char* const OracleServerVerNames[] = {"Oracle 7.x",  "Oracle 8.x",  "Oracle 9.x",
                                            "Oracle 10.x", "Oracle 11.x", "Oracle 12.x",
                                            "Oracle 18.x", "Oracle 19.x", "Oracle 21.x"};
const char* const MSSQLServerVerNames[] = {"MS SQL 2000", "MS SQL 2005", "MS SQL 2008",
                                           "MS SQL 2012", "MS SQL 2014", "MS SQL 2016",
                                           "MS SQL 2017", "MS SQL 2019"};
const char* const PGSQLServerVerNames[] = {"PostgreSQL 7.x",  "PostgreSQL 8.x",
                                           "PostgreSQL 9.x",  "PostgreSQL 10.x",
                                           "PostgreSQL 11.x", "PostgreSQL 12.x",
                                           "PostgreSQL 13.x", "PostgreSQL 14.x"};
const char* const DB2ServerVerNames[] = {"DB2 8.x", "DB2 9.x", "DB2 10.x", "DB2 11.x"};
const char* const ASEServerVerNames[] = {"ASE 12"};

static_assert(std::size(IBServerVerNames) == EnumCount<TIBSQLServerVersionType>);
static_assert(std::size(ASAServerVerNames) == EnumCount<TASAServerVersionType>);
static_assert(std::size(MySQLServerVerNames) == EnumCount<TMySQLServerVersionType>);
static_assert(std::size(OracleServerVerNames) == EnumCount<TOracleServerVersionType>);
static_assert(std::size(MSSQLServerVerNames) == EnumCount<TMSSQLServerVersionType>);
static_assert(std::size(PGSQLServerVerNames) == EnumCount<TPGSQLServerVersionType>);
static_assert(std::size(DB2ServerVerNames) == EnumCount<TDB2ServerVersionType>);
static_assert(std::size(ASEServerVerNames) == EnumCount<TASEServerVersionType>);

template <std::size_t N>
std::string VerName(const char* const (&names)[N], int aVersion) {
    if (aVersion < 0 || static_cast<std::size_t>(aVersion) >= N) return {};
    return names[aVersion];
}

}  // namespace

std::string GetServerVerStr(TDatabaseType aDatabaseType, int aVersion) {
    switch (aDatabaseType) {
        case dbInterBase: return VerName(IBServerVerNames, aVersion);
        case dbSybaseASA: return VerName(ASAServerVerNames, aVersion);
        case dbMySQL: return VerName(MySQLServerVerNames, aVersion);
        case dbOracle: return VerName(OracleServerVerNames, aVersion);
        case dbMSSQL: return VerName(MSSQLServerVerNames, aVersion);
        case dbPostgreSQL: return VerName(PGSQLServerVerNames, aVersion);
        case dbDB2: return VerName(DB2ServerVerNames, aVersion);
        case dbSybaseASE: return VerName(ASEServerVerNames, aVersion);
        default: return {};
    }
}

std::string GetIBServerVerStr(int aVersion) { return GetServerVerStr(dbInterBase, aVersion); }

int GetDefServerVer(TDatabaseType aDatabaseType) {
    switch (aDatabaseType) {
        case dbInterBase: return st_Firebird_25;
        case dbSybaseASA: return st_ASA9;
        case dbOracle: return st_Oracle_11x;
        case dbMySQL: return st_MySQL_5x;
        case dbMSSQL: return st_MSSQL2017;
        case dbPostgreSQL: return st_PostgreSQL_12x;
        case dbDB2: return st_DB2_11x;
        default: return 0;
    }
}

// ---------------------------------------------------------------------------
// TConnectionOptions

void TConnectionOptions::Clear() {
    fDatabaseName.clear();
    fUserName.clear();
    fPassword.clear();
    fRoleName.clear();
    fDBUserName.clear();
    fDBPassword.clear();
    fDBRoleName.clear();
    fPort = 0;
    fHostName.clear();
    fProtocol = ptLocal;
    fWindowsAuthentication = false;
    fConnectionString.clear();
}

// ---------------------------------------------------------------------------
// InterBase / Firebird

void TIBCompareOptions::Clear() {
    fDbCharsetCompare = DefaultDbCharsetCompare;
    fFldCharsetCompare = DefaultFldCharsetCompare;
    fUpdateDescriptionMode = DefaultUpdateDescriptionMode;
    fUseRECONNECT = DefaultUseRECONNECT;
    fUpdateFieldPosition = DefaultUpdateFieldPosition;
    fExtractOnlyComparedObjects = DefaultExtractOnlyComparedObjects;
    fIgnoreIBEObjects = DefaultIgnoreIBEObjects;
}

void TIBServerOptions::SetSQLDialect(TIBSQLDialectType aValue) {
    if (aValue < 1 || aValue > 3)
        throw EKrvError("Invalid SQL dialect: " + std::to_string(aValue));
    fSQLDialect = aValue;
}

void TIBServerOptions::SetDBCharSet(const std::string& aValue) { fDBCharSet = UpperCase(aValue); }

void TIBServerOptions::Clear() {
    fSQLDialect = DefaultSQLDialect;
    fDBCharSet.clear();
    fIBCompareOptions.Clear();
    fIBDatabaseOptions.Clear();
}

void TIBServerOptions::Assign(const TIBServerOptions& Source) {
    fServerVersion = Source.fServerVersion;
    fSQLDialect = Source.fSQLDialect;
    fDBCharSet = Source.fDBCharSet;
    fIBCompareOptions.Assign(Source.fIBCompareOptions);
    fIBDatabaseOptions.Assign(Source.fIBDatabaseOptions);
}

// ---------------------------------------------------------------------------
// SQL Server

void TMSSQLCompareOptions::Clear() {
    fIgnoreFileGroup = DefaultIgnoreFileGroup;
    fIgnoreSysName = DefaultIgnoreSysName;
    fCaseSensitiveIdentifiers = DefaultCaseSensitiveIdentifiers;
}

void TMSSQLDatabaseOptions::Clear() {
    fCollation.clear();
    fAnsiNullDefault = false;
    fAnsiNullsEnabled = false;
    fQuotedIdentifiersEnabled = false;
    fRecursiveTriggersEnabled = false;
    fVersion = 0;
}

void TMSSQLServerOptions::Clear() {
    fServerVersion = st_MSSQL2000;
    fDBCharSet.clear();
    fCollation.clear();
    fCompareOptions.Clear();
    fDatabaseOptions.Clear();
}

void TMSSQLServerOptions::Assign(const TMSSQLServerOptions& Source) {
    fDBCharSet = Source.fDBCharSet;
    fCollation = Source.fCollation;
    fServerVersion = Source.fServerVersion;
    fCompareOptions.Assign(Source.fCompareOptions);
    fDatabaseOptions.Assign(Source.fDatabaseOptions);
}

// ---------------------------------------------------------------------------
// MySQL, SQL Anywhere, Oracle, PostgreSQL, DB2

void TMySQLServerOptions::Clear() {
    fServerVersion = DefaultSQLServerVersion;
    fCharSet.clear();
    fNames.clear();
    fCompareOptions.Clear();
}

void TMySQLServerOptions::Assign(const TMySQLServerOptions& Source) {
    fServerVersion = Source.fServerVersion;
    fCharSet = Source.fCharSet;
    fNames = Source.fNames;
    fCompareOptions.Assign(Source.fCompareOptions);
}

void TASAServerOptions::Clear() {
    fServerVersion = DefaultSQLServerVersion;
    fCompareOptions.Clear();
    fDatabaseOptions.Clear();
}

void TASAServerOptions::Assign(const TASAServerOptions& Source) {
    fServerVersion = Source.fServerVersion;
    fCompareOptions.Assign(Source.fCompareOptions);
    fDatabaseOptions.Assign(Source.fDatabaseOptions);
}

void TOracleServerOptions::Clear() {
    fServerVersion = DefaultSQLServerVersion;
    fCompareOptions.Clear();
}

void TOracleServerOptions::Assign(const TOracleServerOptions& Source) {
    fServerVersion = Source.fServerVersion;
    fCompareOptions.Assign(Source.fCompareOptions);
}

void TPGSQLServerOptions::Clear() {
    fServerVersion = st_PostgreSQL_8x;
    fCompareOptions.Clear();
}

void TPGSQLServerOptions::Assign(const TPGSQLServerOptions& Source) {
    fServerVersion = Source.fServerVersion;
    fCompareOptions.Assign(Source.fCompareOptions);
}

void TDB2ServerOptions::Clear() {
    fServerVersion = DefaultSQLServerVersion;
    fCompareOptions.Clear();
}

void TDB2ServerOptions::Assign(const TDB2ServerOptions& Source) {
    fServerVersion = Source.fServerVersion;
    fCompareOptions.Assign(Source.fCompareOptions);
}

// ---------------------------------------------------------------------------
// Sybase ASE

void TASECompareOptions::Assign(const TASECompareOptions& Source) {
    fIgnoreFileGroup = Source.fIgnoreFileGroup;
    fIgnoreSysName = Source.fIgnoreSysName;
    fCaseSensitiveIdentifiers = Source.fCaseSensitiveIdentifiers;
}

void TASEServerOptions::Clear() {
    fServerVersion = DefaultSQLServerVersion;
    fCompareOptions.Clear();
    fDatabaseOptions.Clear();
}

void TASEServerOptions::Assign(const TASEServerOptions& Source) {
    fServerVersion = Source.fServerVersion;
    fCompareOptions.Assign(Source.fCompareOptions);
    fDatabaseOptions.Assign(Source.fDatabaseOptions);
}

}  // namespace dbtwin
