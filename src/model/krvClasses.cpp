#include "model/krvClasses.h"

#include "parse/krvASAParser.h"
#include "parse/krvASEParser.h"
#include "parse/krvDB2Parser.h"
#include "parse/krvIBParser.h"
#include "parse/krvLocalSQLParser.h"
#include "parse/krvMSSQLParser.h"
#include "parse/krvMySQLParser.h"
#include "parse/krvOracleParser.h"
#include "parse/krvPGSQLParser.h"

namespace dbtwin {

std::string Quote_Ident(std::string_view aIdent, TDatabaseType aDatabaseType,
                        TIBSQLServerVersionType aServerVersion, TIBSQLDialectType aSQLDialect) {
    switch (aDatabaseType) {
        case dbInterBase: return IBQuoteIdent(aIdent, aServerVersion, aSQLDialect);
        case dbSybaseASA: return ASAQuoteIdent(aIdent);
        case dbMySQL: return MySQLQuoteIdent(aIdent);
        case dbMSSQL: return MSSQLQuoteIdent(aIdent);
        case dbPostgreSQL: return PGSQLQuoteIdent(aIdent);
        case dbOracle: return OracleQuoteIdent(aIdent);
        case dbDB2: return DB2QuoteIdent(aIdent);
        case dbParadox:
        case dbDBASE: return LocalSQLQuoteIdent(aIdent);
        case dbSybaseASE:
            // Names are written as they are (keywords included: ASE's own reserved words are
            // not those of the bracket list); a name whose characters need delimiting would
            // break the script or run as SQL, so it is bracketed.
            if (aIdent.find(']') != std::string_view::npos ||
                (!aIdent.empty() && aIdent.front() != '<' && !MSSQLPlainIdentChars(aIdent)))
                return ASEQuoteIdent(aIdent);
            return std::string(aIdent);
        default: return std::string(aIdent);
    }
}

}  // namespace dbtwin
