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

// Display name of version ordinal aVersion of a database kind; empty when the kind has no
// version list or aVersion is out of range.
std::string GetServerVerStr(TDatabaseType aDatabaseType, int aVersion);
std::string GetIBServerVerStr(int aVersion);
// Version ordinal suggested for a new database of a kind (0 for kinds without a list).
int GetDefServerVer(TDatabaseType aDatabaseType);

// Option classes are value types: copying one copies everything it owns. Assign / AssignTo
// follow the copy rules of the streaming layer, which for a few classes leave fields out.
// The Default... constants are the declared defaults of the published properties: a value
// equal to one of them is not stored. Some classes start with a different value than the
// declared default (see their constructors), so a writer that skips defaults must not be
// used with those properties.

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

}  // namespace dbtwin
