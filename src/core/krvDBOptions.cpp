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

namespace {

// The text inside a /* */ comment: a "*/" in it would end the comment early and leave the
// rest of the text as SQL in the script.
std::string CommentText(const std::string& aText) { return ReplaceAll(aText, "*/", "* /"); }

// A Firebird string literal: single quotes, embedded quotes doubled.
std::string Q(const std::string& aText) { return ScriptQuotedStr(aText, dbInterBase); }

}  // namespace

std::string TIBDatabaseOptions::Def() const {
    std::string r;
    if (!fServerVersion.empty()) r += "   Server version: " + CommentText(fServerVersion) + " \r\n";
    if (fODSMajorVersion > 0) {
        // In 64 bits: buffers times page size passes 2^31 with caches of 2 GB and more.
        const std::int64_t cacheKb = std::int64_t{fNumBuffers} * fPageSize / 1024;
        r += "   SQLDialect: " + std::to_string(fDBSQLDialect) +
             ". ODS: " + std::to_string(fODSMajorVersion) + "." + std::to_string(fODSMinorVersion) +
             ". Forced writes: " + (fForcedWrites != 0 ? "On" : "Off") +
             ". Sweep inteval: " + std::to_string(fSweepInterval) +
             ".\r\n   Page size: " + std::to_string(fPageSize) +
             ". Cache pages: " + std::to_string(fNumBuffers) + " (" + std::to_string(cacheKb) +
             " Kb). Read-only: " + (fReadOnly != 0 ? "True" : "False") + ". ";
    }
    if (!r.empty()) r = "/*" + r.substr(2) + "*/";
    return r;
}

void TIBServerOptions::SetSQLDialect(TIBSQLDialectType aValue) {
    if (aValue < 1 || aValue > 3)
        throw EKrvError("Invalid SQL dialect: " + std::to_string(aValue));
    fSQLDialect = aValue;
}

void TIBServerOptions::SetDBCharSet(const std::string& aValue) { fDBCharSet = UpperCase(aValue); }

bool TIBServerOptions::ODS_GE10() const {
    return fIBDatabaseOptions.GetODSMajorVersion() >= 10 || fServerVersion >= st_InterBase_6x;
}

std::string TIBServerOptions::DBCharSetDef() const {
    if (fDBCharSet.empty() || fDBCharSet == "NONE") return {};
    return "SET NAMES " + fDBCharSet;
}

std::string TIBServerOptions::SQLDialectDef() const {
    return fSQLDialect == 3 ? "SET SQL DIALECT 3" : std::string();
}

std::string TIBServerOptions::ConnectDatabaseDef(
    const TConnectionOptions& aConnectionOptions, bool aWithPassword) const {
    const TConnectionOptions& c = aConnectionOptions;
    if (c.GetDatabaseName().empty()) return {};
    std::string r = "CONNECT " + Q(c.GetDatabaseName());
    if (!c.GetUserName().empty()) r += " USER " + Q(c.GetUserName());
    if (aWithPassword && !c.GetPassword().empty()) r += " PASSWORD " + Q(c.GetPassword());
    if (!c.GetRoleName().empty()) r += " ROLE " + Q(c.GetRoleName());
    return r;
}

std::string TIBServerOptions::CreateDatabaseDef(
    const TConnectionOptions& aConnectionOptions) const {
    const TConnectionOptions& c = aConnectionOptions;
    if (c.GetDatabaseName().empty()) return {};
    std::string r = "CREATE DATABASE " + Q(c.GetDatabaseName());
    if (!c.GetUserName().empty() || !c.GetPassword().empty()) {
        r += "\r\n";
        if (!c.GetUserName().empty()) r += " USER " + Q(c.GetUserName());
        if (!c.GetPassword().empty()) r += " PASSWORD " + Q(c.GetPassword());
    }
    if (fIBDatabaseOptions.GetPageSize() > 0)
        r += "\r\nPAGE_SIZE " + std::to_string(fIBDatabaseOptions.GetPageSize());
    if (!fDBCharSet.empty()) r += "  DEFAULT CHARACTER SET " + fDBCharSet;
    return r;
}

std::string TIBServerOptions::ConnectHeaderDef(const TConnectionOptions& aConnectionOptions) const {
    std::string r = DBInfoDef();
    for (const std::string& def :
         {DBCharSetDef(), SQLDialectDef(), ConnectDatabaseDef(aConnectionOptions)})
        if (!def.empty()) r += "\r\n" + def + ";";
    return r;
}

void TIBServerOptions::ExtractDatabaseParams(const std::vector<std::string>& aParams,
                                             TConnectionOptions& aConnectionOptions) {
    aConnectionOptions.Clear();
    for (const std::string& line : aParams) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string_view name(line.data(), eq);
        const std::string value = line.substr(eq + 1);
        if (SameText(name, "USER_NAME")) aConnectionOptions.SetUserName(value);
        else if (SameText(name, "PASSWORD")) aConnectionOptions.SetPassword(value);
        else if (SameText(name, "SQL_ROLE_NAME")) aConnectionOptions.SetRoleName(value);
        else if (SameText(name, "LC_CTYPE")) SetDBCharSet(value);
    }
}

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

// ---------------------------------------------------------------------------
// Sybase ASE

void TASECompareOptions::Assign(const TASECompareOptions& Source) {
    fIgnoreFileGroup = Source.fIgnoreFileGroup;
    fIgnoreSysName = Source.fIgnoreSysName;
    fCaseSensitiveIdentifiers = Source.fCaseSensitiveIdentifiers;
}

std::string TASEDatabaseOptions::DBOptionStr(TASEDBOption aOption) {
    static const char* const Names[] = {
        "abort tran on log full", "allow nulls by default", "async log service",
        "auto identity", "dbo use only", "ddl in tran", "disable alias access",
        "identity in nonunique index", "no chkpt on recovery", "no free space acctg",
        "read only", "select into/bulkcopy/pllsort", "single user", "trunc log on chkpt",
        "unique auto_identity index"};
    static_assert(std::size(Names) == EnumCount<TASEDBOption>);
    if (static_cast<std::size_t>(aOption) >= std::size(Names)) return {};
    return Names[aOption];
}

// ---------------------------------------------------------------------------
// MySQL table options

std::string TMySQLTableOptions::Def() const {
    std::string r;
    auto text = [&r](const char* name, const std::string& value) {
        if (!value.empty()) r += "\r\n" + std::string(name) + value;
    };
    // Free texts are string literals. MySQL reads a backslash in a literal as an escape, so
    // plain quote doubling would mangle a Windows path or a comment holding backslashes.
    auto literal = [&r](const char* name, const std::string& value) {
        if (!value.empty()) r += "\r\n" + std::string(name) + ScriptQuotedStr(value, dbMySQL);
    };
    auto number = [&r](const char* name, std::int32_t value) {
        if (value > 0) r += "\r\n" + std::string(name) + std::to_string(value);
    };
    text("ENGINE=", Engine);
    if (AvgRowLength != 0) r += "\r\nAVG_ROW_LENGTH=" + std::to_string(AvgRowLength);
    text("DEFAULT CHARSET=", fDefCharSet);
    number("CHECKSUM=", CheckSum);
    text("DEFAULT COLLATE=", DefCollate);
    literal("COMMENT=", Comment);
    literal("CONNECTION=", Connection);
    literal("DATA DIRECTORY=", DataDirectory);
    number("DELAY_KEY_WRITE=", DelayKeyWrite);
    literal("INDEX DIRECTORY=", IndexDirectory);
    text("INSERT_METHOD=", InsertMethod);
    number("KEY_BLOCK_SIZE=", KeyBlockSize);
    number("MAX_ROWS=", MaxRows);
    number("MIN_ROWS=", MinRows);
    text("PACK_KEYS=", PackKeys);
    literal("PASSWORD=", Password);
    text("ROW_FORMAT=", RowFormat);
    return r;
}

}  // namespace dbtwin
