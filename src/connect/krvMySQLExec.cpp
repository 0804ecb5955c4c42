#include "connect/krvMySQLExec.h"

#include "parse/krvMySQLParser.h"

namespace dbtwin {

TMySQLExec::TMySQLExec(TComponent* aOwner) : TSQLExec(aOwner) {
    fDatabaseType = dbMySQL;
    fConnectsBeforeRun = true;
}

std::unique_ptr<TCustomSQLParser> TMySQLExec::CreateParser(TObjs* /*aObjs*/) {
    return std::make_unique<TMySQLParser>(nullptr);
}

}  // namespace dbtwin
