// Runs a script on a fresh database of one kind through that kind's executor and reports what
// ran: each statement with its line, whether it succeeded and the server's message. The
// database is made from the server variables of the test environment (DBTWIN_TEST_FIREBIRD,
// ...) and dropped again at the end. A kind joins by adding its branch to the maker and the
// executor choice in exec_harness.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "connect/krvDBEngine.h"
#include "exec/krvSQL_Exec.h"

namespace dbtwin::live {

struct TExecStep {
    int Line = 0;          // the statement's line in the script
    std::string Caption;   // the statement's caption
    bool Ok = true;
    std::string Error;     // the server's message when it failed
};

struct TExecOutcome {
    bool Loaded = false;  // the script read without errors
    bool Result = false;  // what ExecuteScript returned
    int Errors = 0;       // errors the executor counted
    std::vector<TExecStep> Steps;
    std::vector<std::string> Log;
    std::vector<std::string> Messages;  // every error text the executor reported
};

class TExecHarness {
public:
    // The server variable of the kind is set; otherwise the caller skips.
    static bool Available(TDatabaseType aKind);
    // Makes the fresh database aName (with a prefix of the process) on the kind's server.
    TExecHarness(TDatabaseType aKind, const std::string& aName);
    ~TExecHarness();
    TExecHarness(const TExecHarness&) = delete;
    TExecHarness& operator=(const TExecHarness&) = delete;

    // The executor of the kind, wired to the database; a test may set options on it.
    TSQLExec& Executor() { return *fExec; }
    // Loads the script text (read as if from aFileName when given) and runs it.
    TExecOutcome Run(const std::string& aScript, bool aBreakOnError, const std::string& aFileName = {});
    // Runs the statements already in the executor's list.
    TExecOutcome RunList(bool aBreakOnError);
    // The rows of a query on the database, each value as text ("<null>" for NULL).
    std::vector<std::vector<std::string>> Query(const std::string& aSQL);
    // The database as a script names it (CONNECT '...').
    std::string ConnectString() const;
    TKRVConnection& Connection() { return fConnection; }

private:
    TDatabaseType fKind;
    TKRVConnection fConnection;
    TConnectionOptions fOptions;  // the harness database, whatever a script connects to
    std::unique_ptr<TSQLExec> fExec;
    TExecOutcome* fOutcome = nullptr;
};

}  // namespace dbtwin::live
