// Option classes: connection options, per database kind the server, database and compare
// options, data-script options and MySQL table options.
#pragma once

#include <cstdint>

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

}  // namespace dbtwin
