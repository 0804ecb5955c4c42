#include "connect/krvMySQLExec.h"

#include "connect/krvDBEngine.h"
#include "objects/krvCompObj.h"
#include "parse/krvMySQLParser.h"

namespace dbtwin {

TMySQLExec::TMySQLExec(TComponent* aOwner) : TSQLExec(aOwner) { fDatabaseType = dbMySQL; }

std::unique_ptr<TCustomSQLParser> TMySQLExec::CreateParser(TObjs* /*aObjs*/) {
    return std::make_unique<TMySQLParser>(nullptr);
}

void TMySQLExec::LoadScript(const std::vector<std::string>& aScript) {
    TCustomSQLExec::Clear();
    fMsgMngr->Clear();
    TObjs objs;
    std::unique_ptr<TCustomSQLParser> parser = CreateParser(&objs);
    LoadWithParser(*parser, objs, aScript);
    DoLogNextLine("Script loaded.");
}

bool TMySQLExec::ExecuteScript() {
    if (fConnection && !fConnection->GetConnected() && GetStatementsCount() > 0 && !fConnection->Connect()) {
        fErrors = 0;
        DoErrorMessage(fConnection->GetLastError());
        return false;
    }
    return TSQLExec::ExecuteScript();
}

}  // namespace dbtwin
