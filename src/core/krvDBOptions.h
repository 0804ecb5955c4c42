// Option classes: connection options, per database kind the server, database and compare
// options, data-script options and MySQL table options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/krvTypes.h"

namespace dbtwin {

// Server versions of each database kind, oldest first.
enum TIBSQLServerVersionType : std::uint8_t {
    st_InterBase_4x, st_InterBase_5x, st_InterBase_6x, st_FireBird_1x, st_Yaffil_1x,
    st_FireBird_15, st_InterBase_7x, st_InterBase_75, st_Firebird_20, st_Firebird_21,
    st_Firebird_25, st_Firebird_30, st_Firebird_40, st_InterBase_2020
};
DBTWIN_ENUM_COUNT(TIBSQLServerVersionType, 14);

enum TASAServerVersionType : std::uint8_t { st_ASA5, st_ASA6, st_ASA7, st_ASA8, st_ASA9 };
DBTWIN_ENUM_COUNT(TASAServerVersionType, 5);

enum TMySQLServerVersionType : std::uint8_t {
    st_MySQL_3x, st_MySQL_4x, st_MySQL_5x, st_MySQL_8x, st_MariaDB_10x
};
DBTWIN_ENUM_COUNT(TMySQLServerVersionType, 5);

enum TOracleServerVersionType : std::uint8_t {
    st_Oracle_7x, st_Oracle_8x, st_Oracle_9x, st_Oracle_10x, st_Oracle_11x, st_Oracle_12x,
    st_Oracle_18x, st_Oracle_19x, st_Oracle_21x
};
DBTWIN_ENUM_COUNT(TOracleServerVersionType, 9);

enum TMSSQLServerVersionType : std::uint8_t {
    st_MSSQL2000, st_MSSQL2005, st_MSSQL2008, st_MSSQL2012, st_MSSQL2014, st_MSSQL2016,
    st_MSSQL2017, st_MSSQL2019
};
DBTWIN_ENUM_COUNT(TMSSQLServerVersionType, 8);

enum TPGSQLServerVersionType : std::uint8_t {
    st_PostgreSQL_7x, st_PostgreSQL_8x, st_PostgreSQL_9x, st_PostgreSQL_10x, st_PostgreSQL_11x,
    st_PostgreSQL_12x, st_PostgreSQL_13x, st_PostgreSQL_14x
};
DBTWIN_ENUM_COUNT(TPGSQLServerVersionType, 8);

enum TDB2ServerVersionType : std::uint8_t { st_DB2_8x, st_DB2_9x, st_DB2_10x, st_DB2_11x };
DBTWIN_ENUM_COUNT(TDB2ServerVersionType, 4);

enum TASEServerVersionType : std::uint8_t { st_ASE12 };
DBTWIN_ENUM_COUNT(TASEServerVersionType, 1);

// SQL dialect of an InterBase/Firebird database: 1 to 3.
using TIBSQLDialectType = std::int32_t;

// Database options of Sybase ASE.
enum TASEDBOption : std::uint8_t {
    asedboAbortTranOnLogFull, asedboAllowNullsByDefault, asedboAsyncLogService,
    asedboAutoIdentity, asedboDboUseOnly, asedboDdlInTran, asedboDisableAliasAccess,
    asedboIdentityInNonUniqueIndex, asedboNoChkptOnRecovery, asedboNoFreeSpaceAcctg,
    asedboReadOnly, asedboSelectIntoBulkCopyPllSort, asedboSingleUser, asedboTruncLogOnChkpt,
    asedboUniqueAutoIdentityIndex
};
DBTWIN_ENUM_COUNT(TASEDBOption, 15);
using TASEDBOptions = TSet<TASEDBOption>;

// Display name of version ordinal aVersion of a database kind; empty when the kind has no
// version list or aVersion is out of range.
std::string GetServerVerStr(TDatabaseType aDatabaseType, int aVersion);
std::string GetIBServerVerStr(int aVersion);
// Version ordinal suggested for a new database of a kind; 0 for Sybase ASE and for kinds
// without a version list.
int GetDefServerVer(TDatabaseType aDatabaseType);

// Option classes are value types: a C++ copy copies everything they own. Assign / AssignTo
// are the copy operations the owners use (setting a nested-options property assigns into
// the owned object); TASECompareOptions::Assign leaves one switch out.
// The Default... constants are the declared defaults of the published properties. The SQL
// Server and PostgreSQL server options start at an older version than their declared
// default, so a settings writer that leaves out values equal to the declared default would
// lose those two versions on reload: write them always.

// How to reach a database.
class TConnectionOptions {
public:
    static constexpr std::int32_t DefaultPort = 0;
    static constexpr bool DefaultUseWindowsAuthentication = false;
    static constexpr TKRVProtocol DefaultProtocol = ptTCP;

    TConnectionOptions() = default;

    const std::string& GetDatabaseName() const { return fDatabaseName; }
    void SetDatabaseName(const std::string& aValue) { fDatabaseName = aValue; }
    const std::string& GetUserName() const { return fUserName; }
    void SetUserName(const std::string& aValue) { fUserName = aValue; }
    const std::string& GetPassword() const { return fPassword; }
    void SetPassword(const std::string& aValue) { fPassword = aValue; }
    const std::string& GetRoleName() const { return fRoleName; }
    void SetRoleName(const std::string& aValue) { fRoleName = aValue; }
    const std::string& GetDBUserName() const { return fDBUserName; }
    void SetDBUserName(const std::string& aValue) { fDBUserName = aValue; }
    const std::string& GetDBPassword() const { return fDBPassword; }
    void SetDBPassword(const std::string& aValue) { fDBPassword = aValue; }
    const std::string& GetDBRoleName() const { return fDBRoleName; }
    void SetDBRoleName(const std::string& aValue) { fDBRoleName = aValue; }
    std::int32_t GetPort() const { return fPort; }
    void SetPort(std::int32_t aValue) { fPort = aValue; }
    const std::string& GetHostName() const { return fHostName; }
    void SetHostName(const std::string& aValue) { fHostName = aValue; }
    TKRVProtocol GetProtocol() const { return fProtocol; }
    void SetProtocol(TKRVProtocol aValue) { fProtocol = aValue; }
    bool GetUseWindowsAuthentication() const { return fWindowsAuthentication; }
    void SetUseWindowsAuthentication(bool aValue) { fWindowsAuthentication = aValue; }
    const std::string& GetConnectionString() const { return fConnectionString; }
    void SetConnectionString(const std::string& aValue) { fConnectionString = aValue; }
    const std::string& GetClientLibrary() const { return fClientLibrary; }
    void SetClientLibrary(const std::string& aValue) { fClientLibrary = aValue; }

    // Empties the connection texts, port 0, Windows authentication off, protocol ptLocal.
    // The client library is a setting of the installation, not of the connection: it is kept.
    void Clear();
    void Assign(const TConnectionOptions& Source) { *this = Source; }
    void AssignTo(TConnectionOptions& Dest) const { Dest = *this; }

    bool operator==(const TConnectionOptions&) const = default;

private:
    std::string fDatabaseName;
    std::string fUserName;
    std::string fPassword;
    std::string fRoleName;
    std::string fDBUserName;
    std::string fDBPassword;
    std::string fDBRoleName;
    std::int32_t fPort = DefaultPort;
    std::string fHostName;
    TKRVProtocol fProtocol = DefaultProtocol;
    bool fWindowsAuthentication = DefaultUseWindowsAuthentication;
    std::string fConnectionString;
    std::string fClientLibrary;
};

// ---------------------------------------------------------------------------
// InterBase / Firebird

// Comparison switches.
class TIBCompareOptions {
public:
    static constexpr bool DefaultDbCharsetCompare = false;
    static constexpr bool DefaultFldCharsetCompare = false;
    static constexpr TUpdateDescriptionType DefaultUpdateDescriptionMode = udSysTables;
    static constexpr bool DefaultModifySystemTables = false;
    static constexpr bool DefaultGenerateCOMMIT = false;
    static constexpr bool DefaultUseRECONNECT = true;
    static constexpr bool DefaultAllowDataTypeConversion = false;
    static constexpr bool DefaultUpdateFieldPosition = true;
    static constexpr bool DefaultExtractOnlyComparedObjects = true;
    static constexpr bool DefaultIgnoreIBEObjects = true;

    // Compare the database default character set.
    bool GetDbCharsetCompare() const { return fDbCharsetCompare; }
    void SetDbCharsetCompare(bool aValue) { fDbCharsetCompare = aValue; }
    // Compare column character sets.
    bool GetFldCharsetCompare() const { return fFldCharsetCompare; }
    void SetFldCharsetCompare(bool aValue) { fFldCharsetCompare = aValue; }
    // How object descriptions are scripted.
    TUpdateDescriptionType GetUpdateDescriptionMode() const { return fUpdateDescriptionMode; }
    void SetUpdateDescriptionMode(TUpdateDescriptionType aValue) {
        fUpdateDescriptionMode = aValue;
    }
    // Kept for stored settings; has no effect.
    bool GetModifySystemTables() const { return fModifySystemTables; }
    void SetModifySystemTables(bool aValue) { fModifySystemTables = aValue; }
    // Write COMMIT WORK after each changing statement.
    bool GetGenerateCOMMIT() const { return fGenerateCOMMIT; }
    void SetGenerateCOMMIT(bool aValue) { fGenerateCOMMIT = aValue; }
    // Reconnect with RECONNECT rather than a new CONNECT.
    bool GetUseRECONNECT() const { return fUseRECONNECT; }
    void SetUseRECONNECT(bool aValue) { fUseRECONNECT = aValue; }
    // Allow column type changes that convert data.
    bool GetAllowDataTypeConversion() const { return fAllowDataTypeConversion; }
    void SetAllowDataTypeConversion(bool aValue) { fAllowDataTypeConversion = aValue; }
    // Script column position changes.
    bool GetUpdateFieldPosition() const { return fUpdateFieldPosition; }
    void SetUpdateFieldPosition(bool aValue) { fUpdateFieldPosition = aValue; }
    // Extract only the categories being compared.
    bool GetExtractOnlyComparedObjects() const { return fExtractOnlyComparedObjects; }
    void SetExtractOnlyComparedObjects(bool aValue) { fExtractOnlyComparedObjects = aValue; }
    // Do not file objects whose names begin with "IBE$".
    bool GetIgnoreIBEObjects() const { return fIgnoreIBEObjects; }
    void SetIgnoreIBEObjects(bool aValue) { fIgnoreIBEObjects = aValue; }

    // Restores the defaults; ModifySystemTables, GenerateCOMMIT and AllowDataTypeConversion
    // keep their values.
    void Clear();
    void Assign(const TIBCompareOptions& Source) { *this = Source; }
    void AssignTo(TIBCompareOptions& Dest) const { Dest = *this; }

    bool operator==(const TIBCompareOptions&) const = default;

private:
    bool fDbCharsetCompare = DefaultDbCharsetCompare;
    bool fFldCharsetCompare = DefaultFldCharsetCompare;
    TUpdateDescriptionType fUpdateDescriptionMode = DefaultUpdateDescriptionMode;
    bool fModifySystemTables = DefaultModifySystemTables;
    bool fGenerateCOMMIT = DefaultGenerateCOMMIT;
    bool fUseRECONNECT = DefaultUseRECONNECT;
    bool fAllowDataTypeConversion = DefaultAllowDataTypeConversion;
    bool fUpdateFieldPosition = DefaultUpdateFieldPosition;
    bool fExtractOnlyComparedObjects = DefaultExtractOnlyComparedObjects;
    bool fIgnoreIBEObjects = DefaultIgnoreIBEObjects;
};

// Facts read from a database by the extractor or the connection.
class TIBDatabaseOptions {
public:
    const std::string& GetServerVersion() const { return fServerVersion; }
    void SetServerVersion(const std::string& aValue) { fServerVersion = aValue; }
    const std::string& GetServerImplementation() const { return fServerImplementation; }
    void SetServerImplementation(const std::string& aValue) { fServerImplementation = aValue; }
    std::int32_t GetODSMajorVersion() const { return fODSMajorVersion; }
    void SetODSMajorVersion(std::int32_t aValue) { fODSMajorVersion = aValue; }
    std::int32_t GetODSMinorVersion() const { return fODSMinorVersion; }
    void SetODSMinorVersion(std::int32_t aValue) { fODSMinorVersion = aValue; }
    std::int32_t GetPageSize() const { return fPageSize; }
    void SetPageSize(std::int32_t aValue) { fPageSize = aValue; }
    std::int32_t GetForcedWrites() const { return fForcedWrites; }
    void SetForcedWrites(std::int32_t aValue) { fForcedWrites = aValue; }
    std::int32_t GetSweepInterval() const { return fSweepInterval; }
    void SetSweepInterval(std::int32_t aValue) { fSweepInterval = aValue; }
    std::int32_t GetReadOnly() const { return fReadOnly; }
    void SetReadOnly(std::int32_t aValue) { fReadOnly = aValue; }
    std::int32_t GetNumBuffers() const { return fNumBuffers; }
    void SetNumBuffers(std::int32_t aValue) { fNumBuffers = aValue; }
    std::int32_t GetDBImplementationNo() const { return fDBImplementationNo; }
    void SetDBImplementationNo(std::int32_t aValue) { fDBImplementationNo = aValue; }
    std::int32_t GetDBImplementationClass() const { return fDBImplementationClass; }
    void SetDBImplementationClass(std::int32_t aValue) { fDBImplementationClass = aValue; }
    std::int32_t GetDBSQLDialect() const { return fDBSQLDialect; }
    void SetDBSQLDialect(std::int32_t aValue) { fDBSQLDialect = aValue; }

    // A comment describing the database ("/* Server version: ... */"); empty when nothing
    // is known.
    std::string Def() const;

    void Clear() { *this = TIBDatabaseOptions(); }
    void Assign(const TIBDatabaseOptions& Source) { *this = Source; }
    void AssignTo(TIBDatabaseOptions& Dest) const { Dest = *this; }

    bool operator==(const TIBDatabaseOptions&) const = default;

private:
    std::string fServerVersion;
    std::string fServerImplementation;
    std::int32_t fODSMajorVersion = 0;
    std::int32_t fODSMinorVersion = 0;
    std::int32_t fPageSize = 0;
    std::int32_t fForcedWrites = 0;
    std::int32_t fSweepInterval = 0;
    std::int32_t fReadOnly = 0;
    std::int32_t fNumBuffers = 0;
    std::int32_t fDBImplementationNo = 0;
    std::int32_t fDBImplementationClass = 0;
    std::int32_t fDBSQLDialect = 0;
};

// Server kind and version, dialect and character set of an InterBase/Firebird database,
// with its compare options and the facts read from it.
class TIBServerOptions {
public:
    static constexpr TIBSQLServerVersionType DefaultSQLServerVersion = st_Firebird_25;
    static constexpr TIBSQLDialectType DefaultSQLDialect = 3;

    TIBSQLServerVersionType GetSQLServerVersion() const { return fServerVersion; }
    void SetSQLServerVersion(TIBSQLServerVersionType aValue) { fServerVersion = aValue; }
    TIBSQLDialectType GetSQLDialect() const { return fSQLDialect; }
    // Throws EKrvError for a dialect other than 1, 2 or 3; the stored dialect is kept.
    void SetSQLDialect(TIBSQLDialectType aValue);
    const std::string& GetDBCharSet() const { return fDBCharSet; }
    // Stored in upper case.
    void SetDBCharSet(const std::string& aValue);
    TIBCompareOptions& GetIBCompareOptions() { return fIBCompareOptions; }
    const TIBCompareOptions& GetIBCompareOptions() const { return fIBCompareOptions; }
    void SetIBCompareOptions(const TIBCompareOptions& aValue) { fIBCompareOptions.Assign(aValue); }
    TIBDatabaseOptions& GetIBDatabaseOptions() { return fIBDatabaseOptions; }
    const TIBDatabaseOptions& GetIBDatabaseOptions() const { return fIBDatabaseOptions; }
    void SetIBDatabaseOptions(const TIBDatabaseOptions& aValue) {
        fIBDatabaseOptions.Assign(aValue);
    }

    // True when the on-disk structure is version 10 or later, or, when it is older or not
    // known, when the server is st_InterBase_6x or later.
    bool ODS_GE10() const;

    // Statements of a script header. Texts are quoted with single quotes, embedded quotes
    // doubled; the character set is written as stored.
    // "SET NAMES <charset>", or empty when there is no character set or it is NONE.
    std::string DBCharSetDef() const;
    // "SET SQL DIALECT 3" for dialect 3, else empty.
    std::string SQLDialectDef() const;
    // "CONNECT 'db' USER 'u' PASSWORD 'p' ROLE 'r'" on one line, each clause only when
    // given; empty without a database name.
    // Without aWithPassword the statement names no password: a script that is written out
    // never carries one (the client that runs it supplies its own credentials).
    std::string ConnectDatabaseDef(const TConnectionOptions& aConnectionOptions, bool aWithPassword = true) const;
    // "CREATE DATABASE 'db'" with user and password, page size and default character set;
    // empty without a database name.
    std::string CreateDatabaseDef(const TConnectionOptions& aConnectionOptions) const;
    std::string DBInfoDef() const { return fIBDatabaseOptions.Def(); }
    // DBInfoDef, then each non-empty of DBCharSetDef, SQLDialectDef and ConnectDatabaseDef
    // on a new line, followed by ";".
    std::string ConnectHeaderDef(const TConnectionOptions& aConnectionOptions) const;
    // Clears aConnectionOptions, then takes the name=value lines of a connection's parameter
    // list (names in any case): USER_NAME, PASSWORD, SQL_ROLE_NAME into the connection
    // options, LC_CTYPE into DBCharSet. The value is everything after the first "="; when a
    // name occurs twice the last line wins; other lines are ignored.
    void ExtractDatabaseParams(const std::vector<std::string>& aParams,
                               TConnectionOptions& aConnectionOptions);

    // Dialect 3, no character set, both nested options cleared; the server version is kept.
    void Clear();
    void Assign(const TIBServerOptions& Source);
    void AssignTo(TIBServerOptions& Dest) const { Dest.Assign(*this); }

    bool operator==(const TIBServerOptions&) const = default;

private:
    TIBSQLServerVersionType fServerVersion = DefaultSQLServerVersion;
    TIBSQLDialectType fSQLDialect = DefaultSQLDialect;
    std::string fDBCharSet;
    TIBCompareOptions fIBCompareOptions;
    TIBDatabaseOptions fIBDatabaseOptions;
};

// The same options under the class name of each owner.
class TIBSQLExecOptions : public TIBServerOptions {};
class TIBExtractOptions : public TIBServerOptions {};
class TIBTableDataComparerOptions : public TIBServerOptions {};
class TIBEngineOptions : public TIBServerOptions {};

// ---------------------------------------------------------------------------
// SQL Server

class TMSSQLCompareOptions {
public:
    static constexpr bool DefaultIgnoreFileGroup = false;
    static constexpr bool DefaultIgnoreSysName = true;
    static constexpr bool DefaultCaseSensitiveIdentifiers = false;
    static constexpr bool DefaultUpdateColumnPosition = false;

    bool GetIgnoreFileGroup() const { return fIgnoreFileGroup; }
    void SetIgnoreFileGroup(bool aValue) { fIgnoreFileGroup = aValue; }
    // System-generated constraint names are not compared.
    bool GetIgnoreSysName() const { return fIgnoreSysName; }
    void SetIgnoreSysName(bool aValue) { fIgnoreSysName = aValue; }
    // Off: names are folded to upper case.
    bool GetCaseSensitiveIdentifiers() const { return fCaseSensitiveIdentifiers; }
    void SetCaseSensitiveIdentifiers(bool aValue) { fCaseSensitiveIdentifiers = aValue; }
    bool GetUpdateColumnPosition() const { return fUpdateColumnPosition; }
    void SetUpdateColumnPosition(bool aValue) { fUpdateColumnPosition = aValue; }

    // Restores the defaults; UpdateColumnPosition keeps its value.
    void Clear();
    void Assign(const TMSSQLCompareOptions& Source) { *this = Source; }
    void AssignTo(TMSSQLCompareOptions& Dest) const { Dest = *this; }

    bool operator==(const TMSSQLCompareOptions&) const = default;

private:
    bool fIgnoreFileGroup = DefaultIgnoreFileGroup;
    bool fIgnoreSysName = DefaultIgnoreSysName;
    bool fCaseSensitiveIdentifiers = DefaultCaseSensitiveIdentifiers;
    bool fUpdateColumnPosition = DefaultUpdateColumnPosition;
};

// Facts read from a database.
class TMSSQLDatabaseOptions {
public:
    const std::string& GetCollation() const { return fCollation; }
    void SetCollation(const std::string& aValue) { fCollation = aValue; }
    bool GetAnsiNullDefault() const { return fAnsiNullDefault; }
    void SetAnsiNullDefault(bool aValue) { fAnsiNullDefault = aValue; }
    bool GetAnsiNullsEnabled() const { return fAnsiNullsEnabled; }
    void SetAnsiNullsEnabled(bool aValue) { fAnsiNullsEnabled = aValue; }
    bool GetQuotedIdentifiersEnabled() const { return fQuotedIdentifiersEnabled; }
    void SetQuotedIdentifiersEnabled(bool aValue) { fQuotedIdentifiersEnabled = aValue; }
    bool GetRecursiveTriggersEnabled() const { return fRecursiveTriggersEnabled; }
    void SetRecursiveTriggersEnabled(bool aValue) { fRecursiveTriggersEnabled = aValue; }
    std::int32_t GetVersion() const { return fVersion; }
    void SetVersion(std::int32_t aValue) { fVersion = aValue; }
    std::int32_t GetCompatibilityLevel() const { return fCompatibilityLevel; }
    void SetCompatibilityLevel(std::int32_t aValue) { fCompatibilityLevel = aValue; }

    // Resets everything but the compatibility level.
    void Clear();
    void Assign(const TMSSQLDatabaseOptions& Source) { *this = Source; }
    void AssignTo(TMSSQLDatabaseOptions& Dest) const { Dest = *this; }

    bool operator==(const TMSSQLDatabaseOptions&) const = default;

private:
    std::string fCollation;
    bool fAnsiNullDefault = false;
    bool fAnsiNullsEnabled = false;
    bool fQuotedIdentifiersEnabled = false;
    bool fRecursiveTriggersEnabled = false;
    std::int32_t fVersion = 0;
    std::int32_t fCompatibilityLevel = 0;
};

class TMSSQLServerOptions {
public:
    // A new object starts at st_MSSQL2000 (construction clears), not at this default.
    static constexpr TMSSQLServerVersionType DefaultSQLServerVersion = st_MSSQL2017;

    TMSSQLServerOptions() { Clear(); }

    TMSSQLServerVersionType GetSQLServerVersion() const { return fServerVersion; }
    void SetSQLServerVersion(TMSSQLServerVersionType aValue) { fServerVersion = aValue; }
    const std::string& GetCollation() const { return fCollation; }
    void SetCollation(const std::string& aValue) { fCollation = aValue; }
    const std::string& GetDBCharSet() const { return fDBCharSet; }
    void SetDBCharSet(const std::string& aValue) { fDBCharSet = aValue; }
    TMSSQLCompareOptions& GetMSSQLCompareOptions() { return fCompareOptions; }
    const TMSSQLCompareOptions& GetMSSQLCompareOptions() const { return fCompareOptions; }
    void SetMSSQLCompareOptions(const TMSSQLCompareOptions& aValue) {
        fCompareOptions.Assign(aValue);
    }
    TMSSQLDatabaseOptions& GetMSSQLDatabaseOptions() { return fDatabaseOptions; }
    const TMSSQLDatabaseOptions& GetMSSQLDatabaseOptions() const { return fDatabaseOptions; }
    void SetMSSQLDatabaseOptions(const TMSSQLDatabaseOptions& aValue) {
        fDatabaseOptions.Assign(aValue);
    }

    // Version st_MSSQL2000, no texts, both nested options cleared.
    void Clear();
    void Assign(const TMSSQLServerOptions& Source);
    void AssignTo(TMSSQLServerOptions& Dest) const { Dest.Assign(*this); }

    bool operator==(const TMSSQLServerOptions&) const = default;

private:
    std::string fDBCharSet;
    std::string fCollation;
    TMSSQLServerVersionType fServerVersion = st_MSSQL2000;
    TMSSQLCompareOptions fCompareOptions;
    TMSSQLDatabaseOptions fDatabaseOptions;
};

// ---------------------------------------------------------------------------
// MySQL / MariaDB

class TMySQLCompareOptions {
public:
    static constexpr bool DefaultCaseSensitiveIdentifiers = true;

    bool GetCaseSensitiveIdentifiers() const { return fCaseSensitiveIdentifiers; }
    void SetCaseSensitiveIdentifiers(bool aValue) { fCaseSensitiveIdentifiers = aValue; }

    void Clear() { fCaseSensitiveIdentifiers = DefaultCaseSensitiveIdentifiers; }
    void Assign(const TMySQLCompareOptions& Source) { *this = Source; }
    void AssignTo(TMySQLCompareOptions& Dest) const { Dest = *this; }

    bool operator==(const TMySQLCompareOptions&) const = default;

private:
    bool fCaseSensitiveIdentifiers = DefaultCaseSensitiveIdentifiers;
};

class TMySQLServerOptions {
public:
    static constexpr TMySQLServerVersionType DefaultSQLServerVersion = st_MySQL_5x;

    TMySQLServerVersionType GetSQLServerVersion() const { return fServerVersion; }
    void SetSQLServerVersion(TMySQLServerVersionType aValue) { fServerVersion = aValue; }
    const std::string& GetCharSet() const { return fCharSet; }
    void SetCharSet(const std::string& aValue) { fCharSet = aValue; }
    // The SET NAMES value.
    const std::string& GetNames() const { return fNames; }
    void SetNames(const std::string& aValue) { fNames = aValue; }
    TMySQLCompareOptions& GetMySQLCompareOptions() { return fCompareOptions; }
    const TMySQLCompareOptions& GetMySQLCompareOptions() const { return fCompareOptions; }
    void SetMySQLCompareOptions(const TMySQLCompareOptions& aValue) {
        fCompareOptions.Assign(aValue);
    }

    void Clear();
    void Assign(const TMySQLServerOptions& Source);
    void AssignTo(TMySQLServerOptions& Dest) const { Dest.Assign(*this); }

    bool operator==(const TMySQLServerOptions&) const = default;

private:
    TMySQLServerVersionType fServerVersion = DefaultSQLServerVersion;
    std::string fCharSet;
    std::string fNames;
    TMySQLCompareOptions fCompareOptions;
};

// ---------------------------------------------------------------------------
// SQL Anywhere

class TASACompareOptions {
public:
    static constexpr bool DefaultCaseSensitiveIdentifiers = false;

    bool GetCaseSensitiveIdentifiers() const { return fCaseSensitiveIdentifiers; }
    void SetCaseSensitiveIdentifiers(bool aValue) { fCaseSensitiveIdentifiers = aValue; }

    void Clear() { fCaseSensitiveIdentifiers = DefaultCaseSensitiveIdentifiers; }
    void Assign(const TASACompareOptions& Source) { *this = Source; }
    void AssignTo(TASACompareOptions& Dest) const { Dest = *this; }

    bool operator==(const TASACompareOptions&) const = default;

private:
    bool fCaseSensitiveIdentifiers = DefaultCaseSensitiveIdentifiers;
};

// Facts read from a database.
class TASADatabaseOptions {
public:
    bool GetQuotedIdentifier() const { return fQuotedIdentifier; }
    void SetQuotedIdentifier(bool aValue) { fQuotedIdentifier = aValue; }
    bool GetAnsiNull() const { return fAnsiNull; }
    void SetAnsiNull(bool aValue) { fAnsiNull = aValue; }
    const std::string& GetDefCollation() const { return fDefCollation; }
    void SetDefCollation(const std::string& aValue) { fDefCollation = aValue; }
    std::int32_t GetStatistics() const { return fStatistics; }
    void SetStatistics(std::int32_t aValue) { fStatistics = aValue; }
    const std::string& GetDate_Order() const { return fDate_Order; }
    void SetDate_Order(const std::string& aValue) { fDate_Order = aValue; }

    // Both flags on, texts empty, statistics 0.
    void Clear() { *this = TASADatabaseOptions(); }
    void Assign(const TASADatabaseOptions& Source) { *this = Source; }
    void AssignTo(TASADatabaseOptions& Dest) const { Dest = *this; }

    bool operator==(const TASADatabaseOptions&) const = default;

private:
    bool fQuotedIdentifier = true;
    bool fAnsiNull = true;
    std::string fDefCollation;
    std::int32_t fStatistics = 0;
    std::string fDate_Order;
};

// What the server options of the database kinds without options of their own share: the
// server version (InitialVersion in a new or cleared object), the compare options and,
// where the kind has them, the facts read from a database.
struct TNoDatabaseOptions {
    void Clear() {}
    void Assign(const TNoDatabaseOptions&) {}
    bool operator==(const TNoDatabaseOptions&) const = default;
};

template <class TVersion, TVersion InitialVersion, class TCompare, class TDatabase = TNoDatabaseOptions>
class TKindServerOptions {
public:
    TVersion GetSQLServerVersion() const { return fServerVersion; }
    void SetSQLServerVersion(TVersion aValue) { fServerVersion = aValue; }

    // The initial version, both nested options cleared.
    void Clear() {
        fServerVersion = InitialVersion;
        fCompareOptions.Clear();
        fDatabaseOptions.Clear();
    }
    // The compare options are copied by their own Assign.
    void Assign(const TKindServerOptions& Source) {
        fServerVersion = Source.fServerVersion;
        fCompareOptions.Assign(Source.fCompareOptions);
        fDatabaseOptions.Assign(Source.fDatabaseOptions);
    }
    void AssignTo(TKindServerOptions& Dest) const { Dest.Assign(*this); }

    bool operator==(const TKindServerOptions&) const = default;

protected:
    TVersion fServerVersion = InitialVersion;
    TCompare fCompareOptions;
    [[no_unique_address]] TDatabase fDatabaseOptions;
};

class TASAServerOptions
    : public TKindServerOptions<TASAServerVersionType, st_ASA9, TASACompareOptions, TASADatabaseOptions> {
public:
    static constexpr TASAServerVersionType DefaultSQLServerVersion = st_ASA9;

    TASACompareOptions& GetASACompareOptions() { return fCompareOptions; }
    const TASACompareOptions& GetASACompareOptions() const { return fCompareOptions; }
    void SetASACompareOptions(const TASACompareOptions& aValue) { fCompareOptions.Assign(aValue); }
    TASADatabaseOptions& GetASADatabaseOptions() { return fDatabaseOptions; }
    const TASADatabaseOptions& GetASADatabaseOptions() const { return fDatabaseOptions; }
    void SetASADatabaseOptions(const TASADatabaseOptions& aValue) { fDatabaseOptions.Assign(aValue); }
};

// ---------------------------------------------------------------------------
// Oracle, PostgreSQL, DB2: no compare options yet.

class TOracleCompareOptions {
public:
    void Clear() {}
    void Assign(const TOracleCompareOptions&) {}
    void AssignTo(TOracleCompareOptions&) const {}
    bool operator==(const TOracleCompareOptions&) const = default;
};

class TPgSQLCompareOptions {
public:
    // A table whose columns the master orders otherwise is rebuilt in that order (rows
    // copied out and back); off, the script says that the order stays. Like SQL Server's
    // option of the same name, Clear keeps it.
    bool GetUpdateColumnPosition() const { return fUpdateColumnPosition; }
    void SetUpdateColumnPosition(bool v) { fUpdateColumnPosition = v; }
    void Clear() {}
    void Assign(const TPgSQLCompareOptions& Source) { fUpdateColumnPosition = Source.fUpdateColumnPosition; }
    void AssignTo(TPgSQLCompareOptions& Dest) const { Dest.Assign(*this); }
    bool operator==(const TPgSQLCompareOptions&) const = default;

private:
    bool fUpdateColumnPosition = false;
};

class TDB2CompareOptions {
public:
    void Clear() {}
    void Assign(const TDB2CompareOptions&) {}
    void AssignTo(TDB2CompareOptions&) const {}
    bool operator==(const TDB2CompareOptions&) const = default;
};

class TOracleServerOptions
    : public TKindServerOptions<TOracleServerVersionType, st_Oracle_10x, TOracleCompareOptions> {
public:
    static constexpr TOracleServerVersionType DefaultSQLServerVersion = st_Oracle_10x;

    TOracleCompareOptions& GetOracleCompareOptions() { return fCompareOptions; }
    const TOracleCompareOptions& GetOracleCompareOptions() const { return fCompareOptions; }
    void SetOracleCompareOptions(const TOracleCompareOptions& aValue) { fCompareOptions.Assign(aValue); }
};

// A new object starts at st_PostgreSQL_8x, not at the declared default.
class TPGSQLServerOptions
    : public TKindServerOptions<TPGSQLServerVersionType, st_PostgreSQL_8x, TPgSQLCompareOptions> {
public:
    static constexpr TPGSQLServerVersionType DefaultSQLServerVersion = st_PostgreSQL_12x;

    TPgSQLCompareOptions& GetPGSQLCompareOptions() { return fCompareOptions; }
    const TPgSQLCompareOptions& GetPGSQLCompareOptions() const { return fCompareOptions; }
    void SetPGSQLCompareOptions(const TPgSQLCompareOptions& aValue) { fCompareOptions.Assign(aValue); }
};

class TDB2ServerOptions : public TKindServerOptions<TDB2ServerVersionType, st_DB2_8x, TDB2CompareOptions> {
public:
    static constexpr TDB2ServerVersionType DefaultSQLServerVersion = st_DB2_8x;

    TDB2CompareOptions& GetDB2CompareOptions() { return fCompareOptions; }
    const TDB2CompareOptions& GetDB2CompareOptions() const { return fCompareOptions; }
    void SetDB2CompareOptions(const TDB2CompareOptions& aValue) { fCompareOptions.Assign(aValue); }
};

// ---------------------------------------------------------------------------
// Sybase ASE

class TASECompareOptions {
public:
    static constexpr bool DefaultIgnoreFileGroup = false;
    static constexpr bool DefaultIgnoreSysName = true;
    static constexpr bool DefaultCaseSensitiveIdentifiers = false;
    static constexpr bool DefaultCompareDBOptions = true;

    bool GetIgnoreFileGroup() const { return fIgnoreFileGroup; }
    void SetIgnoreFileGroup(bool aValue) { fIgnoreFileGroup = aValue; }
    bool GetIgnoreSysName() const { return fIgnoreSysName; }
    void SetIgnoreSysName(bool aValue) { fIgnoreSysName = aValue; }
    bool GetCaseSensitiveIdentifiers() const { return fCaseSensitiveIdentifiers; }
    void SetCaseSensitiveIdentifiers(bool aValue) { fCaseSensitiveIdentifiers = aValue; }
    // Compare the ASE database options.
    bool GetCompareDBOptions() const { return fCompareDBOptions; }
    void SetCompareDBOptions(bool aValue) { fCompareDBOptions = aValue; }

    void Clear() { *this = TASECompareOptions(); }
    // Copies IgnoreFileGroup, IgnoreSysName and CaseSensitiveIdentifiers; CompareDBOptions
    // stays, so a metadata set that receives the comparer's options keeps its own.
    void Assign(const TASECompareOptions& Source);
    void AssignTo(TASECompareOptions& Dest) const { Dest.Assign(*this); }

    bool operator==(const TASECompareOptions&) const = default;

private:
    bool fIgnoreFileGroup = DefaultIgnoreFileGroup;
    bool fIgnoreSysName = DefaultIgnoreSysName;
    bool fCaseSensitiveIdentifiers = DefaultCaseSensitiveIdentifiers;
    bool fCompareDBOptions = DefaultCompareDBOptions;
};

// Facts read from a database.
class TASEDatabaseOptions {
public:
    const std::string& GetServerVersion() const { return fServerVersion; }
    void SetServerVersion(const std::string& aValue) { fServerVersion = aValue; }
    const std::string& GetDbOptions() const { return fDbOptions; }
    void SetDbOptions(const std::string& aValue) { fDbOptions = aValue; }
    const std::string& GetDb_Size() const { return fDb_Size; }
    void SetDb_Size(const std::string& aValue) { fDb_Size = aValue; }
    const std::string& GetDbOwner() const { return fDbOwner; }
    void SetDbOwner(const std::string& aValue) { fDbOwner = aValue; }
    const std::string& GetDbCreated() const { return fDbCreated; }
    void SetDbCreated(const std::string& aValue) { fDbCreated = aValue; }
    const std::string& GetCollation() const { return fCollation; }
    void SetCollation(const std::string& aValue) { fCollation = aValue; }
    std::int32_t GetDbSize() const { return fDbSize; }
    void SetDbSize(std::int32_t aValue) { fDbSize = aValue; }
    std::int32_t GetLogSize() const { return fLogSize; }
    void SetLogSize(std::int32_t aValue) { fLogSize = aValue; }
    std::int32_t GetVersion() const { return fVersion; }
    void SetVersion(std::int32_t aValue) { fVersion = aValue; }
    bool GetAnsiNullDefault() const { return fAnsiNullDefault; }
    void SetAnsiNullDefault(bool aValue) { fAnsiNullDefault = aValue; }
    bool GetAnsiNullsEnabled() const { return fAnsiNullsEnabled; }
    void SetAnsiNullsEnabled(bool aValue) { fAnsiNullsEnabled = aValue; }
    bool GetQuotedIdentifiersEnabled() const { return fQuotedIdentifiersEnabled; }
    void SetQuotedIdentifiersEnabled(bool aValue) { fQuotedIdentifiersEnabled = aValue; }
    bool GetRecursiveTriggersEnabled() const { return fRecursiveTriggersEnabled; }
    void SetRecursiveTriggersEnabled(bool aValue) { fRecursiveTriggersEnabled = aValue; }
    const TASEDBOptions& GetASEDBOptions() const { return fASEDBOptions; }
    TASEDBOptions& GetASEDBOptions() { return fASEDBOptions; }
    void SetASEDBOptions(const TASEDBOptions& aValue) { fASEDBOptions = aValue; }

    bool AbortTranOnLogFull = false;

    // The option's name as ASE writes it ("select into/bulkcopy/pllsort"); empty for a value
    // outside the enumeration.
    static std::string DBOptionStr(TASEDBOption aOption);

    // Resets every fact.
    void Clear() { *this = TASEDatabaseOptions(); }
    void Assign(const TASEDatabaseOptions& Source) { *this = Source; }
    void AssignTo(TASEDatabaseOptions& Dest) const { Dest = *this; }

    bool operator==(const TASEDatabaseOptions&) const = default;

private:
    std::string fServerVersion;
    std::string fDbOptions;
    std::string fDb_Size;
    std::string fDbOwner;
    std::string fDbCreated;
    std::string fCollation;
    std::int32_t fDbSize = 0;
    std::int32_t fLogSize = 0;
    std::int32_t fVersion = 0;
    bool fAnsiNullDefault = false;
    bool fAnsiNullsEnabled = false;
    bool fQuotedIdentifiersEnabled = false;
    bool fRecursiveTriggersEnabled = false;
    TASEDBOptions fASEDBOptions;
};

// The compare options are copied by their own rule (three switches).
class TASEServerOptions
    : public TKindServerOptions<TASEServerVersionType, st_ASE12, TASECompareOptions, TASEDatabaseOptions> {
public:
    static constexpr TASEServerVersionType DefaultSQLServerVersion = st_ASE12;

    TASECompareOptions& GetASECompareOptions() { return fCompareOptions; }
    const TASECompareOptions& GetASECompareOptions() const { return fCompareOptions; }
    void SetASECompareOptions(const TASECompareOptions& aValue) { fCompareOptions.Assign(aValue); }
    TASEDatabaseOptions& GetASEDatabaseOptions() { return fDatabaseOptions; }
    const TASEDatabaseOptions& GetASEDatabaseOptions() const { return fDatabaseOptions; }
    void SetASEDatabaseOptions(const TASEDatabaseOptions& aValue) { fDatabaseOptions.Assign(aValue); }
};

// ---------------------------------------------------------------------------
// Option sets: the options of every database kind, as one owner holds them.

// The compare options of every database kind (the comparer's).
class TCompareOptionsSet {
public:
    TIBCompareOptions fIBCompareOptions;
    TMSSQLCompareOptions fMSSQLCompareOptions;
    TMySQLCompareOptions fMySQLCompareOptions;
    TASACompareOptions fASACompareOptions;
    TASECompareOptions fASECompareOptions;
    TOracleCompareOptions fOracleCompareOptions;
    TPgSQLCompareOptions fPGSQLCompareOptions;
    TDB2CompareOptions fDB2CompareOptions;
};

// The server options of every database kind (a metadata set's, a statement list's); TIB
// is the owner's own InterBase options class.
template <class TIB>
class TServerOptionsSet {
public:
    TIB fIBServerOptions;
    TMSSQLServerOptions fMSSQLServerOptions;
    TMySQLServerOptions fMySQLServerOptions;
    TASAServerOptions fASAServerOptions;
    TASEServerOptions fASEServerOptions;
    TOracleServerOptions fOracleServerOptions;
    TPGSQLServerOptions fPGSQLServerOptions;
    TDB2ServerOptions fDB2ServerOptions;

    // Clears the options of every kind.
    void ClearServerOptions() {
        EachKind(*this, *this, [](TDatabaseType, auto& aDest, const auto&) { aDest.Clear(); });
    }
    // Copies the options of the kinds in aKinds (all eight unless given) from Source.
    template <class TOtherIB>
    void Assign(const TServerOptionsSet<TOtherIB>& Source, TDatabaseSetType aKinds = TDatabaseSetType::All()) {
        EachKind(*this, Source, [&aKinds](TDatabaseType aKind, auto& aDest, const auto& aSource) {
            if (aKinds.Contains(aKind)) aDest.Assign(aSource);
        });
    }
    // Copies each kind's compare options from a comparer's set into that kind's options.
    void AssignCompareOptions(const TCompareOptionsSet& Source) {
        fIBServerOptions.SetIBCompareOptions(Source.fIBCompareOptions);
        fMSSQLServerOptions.SetMSSQLCompareOptions(Source.fMSSQLCompareOptions);
        fMySQLServerOptions.GetMySQLCompareOptions().Assign(Source.fMySQLCompareOptions);
        fASAServerOptions.SetASACompareOptions(Source.fASACompareOptions);
        fASEServerOptions.SetASECompareOptions(Source.fASECompareOptions);
        fOracleServerOptions.SetOracleCompareOptions(Source.fOracleCompareOptions);
        fPGSQLServerOptions.SetPGSQLCompareOptions(Source.fPGSQLCompareOptions);
        fDB2ServerOptions.SetDB2CompareOptions(Source.fDB2CompareOptions);
    }

private:
    template <class TOtherIB>
    friend class TServerOptionsSet;

    // Calls f(kind, a's options, b's options) for each kind, in the order InterBase, SQL
    // Server, MySQL, ASA, ASE, Oracle, PostgreSQL, DB2.
    template <class A, class B, class F>
    static void EachKind(A& a, B& b, F f) {
        f(dbInterBase, a.fIBServerOptions, b.fIBServerOptions);
        f(dbMSSQL, a.fMSSQLServerOptions, b.fMSSQLServerOptions);
        f(dbMySQL, a.fMySQLServerOptions, b.fMySQLServerOptions);
        f(dbSybaseASA, a.fASAServerOptions, b.fASAServerOptions);
        f(dbSybaseASE, a.fASEServerOptions, b.fASEServerOptions);
        f(dbOracle, a.fOracleServerOptions, b.fOracleServerOptions);
        f(dbPostgreSQL, a.fPGSQLServerOptions, b.fPGSQLServerOptions);
        f(dbDB2, a.fDB2ServerOptions, b.fDB2ServerOptions);
    }
};

// ---------------------------------------------------------------------------
// MySQL table options

// Table options of one MySQL table, as read from the source. Password is the table
// definition's own PASSWORD option, nothing of the library's.
class TMySQLTableOptions {
public:
    TRareString Engine;
    TRareString DefCollate;
    TRareString Comment;
    TRareString Connection;
    TRareString DataDirectory;
    TRareString IndexDirectory;
    TRareString InsertMethod;
    TRareString PackKeys;
    TRareString Password;
    TRareString RowFormat;
    TRareString RaidType;
    TRareString Union;
    std::int32_t AutoIncrement = 0;
    std::int32_t AvgRowLength = 0;
    std::int32_t CheckSum = 0;
    std::int32_t DelayKeyWrite = 0;
    std::int32_t KeyBlockSize = 0;
    std::int32_t MaxRows = 0;
    std::int32_t MinRows = 0;

    const std::string& GetDefCharSet() const { return fDefCharSet; }
    void SetDefCharSet(const std::string& aValue) { fDefCharSet = aValue; }

    // The table option clause: each given option on its own line, each line preceded by
    // "\r\n". Text values are MySQL string literals (backslashes and quotes escaped).
    // AutoIncrement, RaidType and Union are not written.
    std::string Def() const;

    void Assign(const TMySQLTableOptions& Source) { *this = Source; }
    void AssignTo(TMySQLTableOptions& Dest) const { Dest = *this; }

    bool operator==(const TMySQLTableOptions&) const = default;

private:
    std::string fDefCharSet;
};

// ---------------------------------------------------------------------------
// Data scripts

class TScriptOptions {
public:
    static constexpr bool DefaultGenerateScript = true;
    static constexpr bool DefaultConnect = true;
    static constexpr bool DefaultSQLDialect = true;
    static constexpr bool DefaultDBCharSet = true;
    static constexpr bool DefaultLocalSQL = false;

    bool GetGenerateScript() const { return fGenerateScript; }
    void SetGenerateScript(bool aValue) { fGenerateScript = aValue; }
    // Write the connect statement.
    bool GetConnect() const { return fConnect; }
    void SetConnect(bool aValue) { fConnect = aValue; }
    // Write the SQL dialect statement.
    bool GetSQLDialect() const { return fSQLDialect; }
    void SetSQLDialect(bool aValue) { fSQLDialect = aValue; }
    // Write the character set statement.
    bool GetDBCharSet() const { return fDBCharSet; }
    void SetDBCharSet(bool aValue) { fDBCharSet = aValue; }
    bool GetLocalSQL() const { return fLocalSQL; }
    void SetLocalSQL(bool aValue) { fLocalSQL = aValue; }
    // Formats of literal values; empty by default.
    const std::string& GetFloatFormat() const { return fFloatFormat; }
    void SetFloatFormat(const std::string& aValue) { fFloatFormat = aValue; }
    const std::string& GetDateFormat() const { return fDateFormat; }
    void SetDateFormat(const std::string& aValue) { fDateFormat = aValue; }
    const std::string& GetTimeFormat() const { return fTimeFormat; }
    void SetTimeFormat(const std::string& aValue) { fTimeFormat = aValue; }
    const std::string& GetDateTimeFormat() const { return fDateTimeFormat; }
    void SetDateTimeFormat(const std::string& aValue) { fDateTimeFormat = aValue; }

    void Assign(const TScriptOptions& Source) { *this = Source; }
    void AssignTo(TScriptOptions& Dest) const { Dest = *this; }

    bool operator==(const TScriptOptions&) const = default;

private:
    bool fGenerateScript = DefaultGenerateScript;
    bool fConnect = DefaultConnect;
    bool fSQLDialect = DefaultSQLDialect;
    bool fDBCharSet = DefaultDBCharSet;
    bool fLocalSQL = DefaultLocalSQL;
    std::string fFloatFormat;
    std::string fDateFormat;
    std::string fTimeFormat;
    std::string fDateTimeFormat;
};

}  // namespace dbtwin
