// Metadata object base of the object model. For now: the identifier quoting every object
// uses for its database kind.
#pragma once

#include <string>
#include <string_view>

#include "core/krvDBOptions.h"
#include "core/krvTypes.h"

namespace dbtwin {

// The identifier as written into a script of the given database kind:
// - dbInterBase: IBQuoteIdent with the server version and SQL dialect (quoted in dialect 3
//   only);
// - dbSybaseASA, dbMySQL, dbMSSQL, dbPostgreSQL, dbOracle, dbDB2: that dialect's quoting
//   routine;
// - dbParadox, dbDBASE: LocalSQLQuoteIdent;
// - dbSybaseASE: unchanged, unless its characters cannot be written without brackets
//   (blanks, quote characters, ...), then ASEQuoteIdent;
// - every other kind: unchanged.
std::string Quote_Ident(std::string_view aIdent, TDatabaseType aDatabaseType,
                        TIBSQLServerVersionType aServerVersion, TIBSQLDialectType aSQLDialect);

}  // namespace dbtwin
