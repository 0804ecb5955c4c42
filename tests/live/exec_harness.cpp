#include "exec_harness.h"

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <sstream>

#ifdef DBTWIN_HAVE_FIREBIRD
#include "connect/firebird/krvConnection_Firebird.h"
#endif
#ifdef DBTWIN_HAVE_ZEOS
#include "connect/zeos/krvConnection_Zeos.h"
#endif
#include "connect/krvIBSQLExec.h"
#include "connect/krvMySQLExec.h"
#include "connect/krvPGSQLExec.h"
#include "core/krvStrUtils.h"

namespace dbtwin::live {

namespace {

const char* ServerVariable(TDatabaseType aKind) {
    switch (aKind) {
        case dbInterBase: return "DBTWIN_TEST_FIREBIRD";
        case dbPostgreSQL: return "DBTWIN_TEST_POSTGRES";
        case dbMySQL: return "DBTWIN_TEST_MYSQL";
        default: return "";
    }
}

std::map<std::string, std::string> ServerSettings(TDatabaseType aKind) {
    std::map<std::string, std::string> r;
    const char* value = std::getenv(ServerVariable(aKind));
    std::istringstream in(value ? value : "");
    std::string kv;
    while (in >> kv)
        if (auto eq = kv.find('='); eq != std::string::npos) r[kv.substr(0, eq)] = kv.substr(eq + 1);
    return r;
}

}  // namespace

bool TExecHarness::Available(TDatabaseType aKind) {
    const char* value = *ServerVariable(aKind) ? std::getenv(ServerVariable(aKind)) : nullptr;
    return value && *value;
}

TExecHarness::TExecHarness(TDatabaseType aKind, const std::string& aName) : fKind(aKind) {
    const auto s = ServerSettings(aKind);
    auto get = [&](const char* k) {
        auto it = s.find(k);
        return it == s.end() ? std::string() : it->second;
    };
    fConnection.OnErrorMessage = [](TObject*, const std::string&) {};
    fConnection.SetDatabaseType(aKind);
#ifdef DBTWIN_HAVE_FIREBIRD
    RegisterFirebirdConnection();
#endif
#ifdef DBTWIN_HAVE_ZEOS
    RegisterZeosConnection();
#endif
    fConnection.SetConnectionType(aKind == dbInterBase ? cnIBX : cnZEOS);
    TConnectionOptions& o = fConnection.GetConnectionOptions();
    o.SetHostName(get("host"));
    if (!get("port").empty()) o.SetPort(std::stoi(get("port")));
    o.SetUserName(get("user"));
    o.SetPassword(get("password"));
    switch (aKind) {
        case dbInterBase: {
            o.SetDatabaseName(get("dir") + "/dbtwin_harness_" + aName + "_" + std::to_string(::getpid()) + ".fdb");
            fConnection.GetIBServerOptions().SetDBCharSet("UTF8");
            if (!fConnection.CreateDatabase())
                throw EKrvError("cannot create the database " + fConnection.GetDBConnectionString() + ": " + fConnection.GetLastError());
            fExec = std::make_unique<TIBSQLExec>();
            break;
        }
        case dbPostgreSQL:
        case dbMySQL: {
            o.SetDatabaseName("dbtwin_harness_" + aName + "_" + std::to_string(::getpid()));
            if (!fConnection.CreateDatabase())
                throw EKrvError("cannot create the database " + o.GetDatabaseName() + ": " + fConnection.GetLastError());
            if (aKind == dbPostgreSQL) fExec = std::make_unique<TPGSQLExec>();
            else fExec = std::make_unique<TMySQLExec>();
            break;
        }
        default:
            throw EKrvError("the harness has no executor for this kind yet");
    }
    fOptions.Assign(fConnection.GetConnectionOptions());
    fExec->SetConnection(&fConnection);
    fExec->OnErrorMessage = [this](TObject*, const std::string& aText) {
        if (fOutcome) fOutcome->Messages.push_back(aText);
    };
    fExec->OnLogNextLine = [this](TObject*, const std::string& aText) {
        if (fOutcome) fOutcome->Log.push_back(aText);
    };
    fExec->OnAfterStatementExecute = [this](TObject*, int aIndex) {
        if (!fOutcome) return;
        const TStatement* st = fExec->GetStatement(aIndex);
        fOutcome->Steps.push_back({st->SrcLine, st->GetCaption(), st->ErrMsg.empty(), st->ErrMsg});
    };
}

TExecHarness::~TExecHarness() {
    fExec->SetConnection(nullptr);
    fConnection.SetConnected(false);
    fConnection.SetConnectionOptions(fOptions);
    fConnection.DropDatabase();
}

TExecOutcome TExecHarness::Run(const std::string& aScript, bool aBreakOnError, const std::string& aFileName) {
    TExecOutcome outcome;
    fOutcome = &outcome;
    if (aFileName.empty()) {
        fExec->LoadScript(SplitLines(aScript));
    } else {
        fExec->OnLoadScript = [&aScript](TObject*, const std::string&, std::vector<std::string>& aLines, bool& aLoaded) {
            aLines = SplitLines(aScript);
            aLoaded = true;
        };
        fExec->LoadFromFile(aFileName);
        fExec->OnLoadScript = nullptr;
    }
    outcome.Loaded = !fExec->GetMsgMngr().GetIsErr();
    fOutcome = nullptr;
    if (!outcome.Loaded) return outcome;
    TExecOutcome run = RunList(aBreakOnError);
    run.Loaded = true;
    return run;
}

TExecOutcome TExecHarness::RunList(bool aBreakOnError) {
    TExecOutcome outcome;
    outcome.Loaded = true;
    fOutcome = &outcome;
    for (int i = 0; i < fExec->GetStatementsCount(); ++i) fExec->GetStatement(i)->ErrMsg.clear();
    fExec->SetBreakOnError(aBreakOnError);
    outcome.Result = fExec->ExecuteScript();
    outcome.Errors = fExec->GetErrors();
    fOutcome = nullptr;
    return outcome;
}

std::vector<std::vector<std::string>> TExecHarness::Query(const std::string& aSQL) {
    std::vector<std::vector<std::string>> rows;
    const bool wasOpen = fConnection.GetConnected();
    // A CONNECT of a script may have pointed the connection elsewhere.
    if (!wasOpen) fConnection.SetConnectionOptions(fOptions);
    if (!wasOpen && !fConnection.Connect()) throw EKrvError("cannot connect: " + fConnection.GetLastError());
    {
        std::unique_ptr<TKRVQuery> q(fConnection.CreateQuery(nullptr));
        q->SetSQLText(aSQL);
        q->Open();
        while (!q->GetEof()) {
            std::vector<std::string> row;
            TKRVFields* f = q->GetFields();
            for (std::size_t i = 0; i < f->Count(); ++i) row.push_back((*f)[i].IsNull() ? "<null>" : (*f)[i].AsString());
            rows.push_back(std::move(row));
            q->Next();
        }
        q->Close();
    }
    if (fConnection.InTransaction()) fConnection.Commit();
    if (!wasOpen) fConnection.SetConnected(false);
    return rows;
}

std::string TExecHarness::ConnectString() const {
    return const_cast<TKRVConnection&>(fConnection).GetDBConnectionString();
}

}  // namespace dbtwin::live
