// The InterBase/Firebird script executor: loads a script through the Firebird parser, reads
// the database, user and role of CONNECT and CREATE DATABASE statements, keeps SET NAMES and
// SET SQL DIALECT on the client side and writes descriptions with COMMENT ON where the server
// has it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "exec/krvSQL_Exec.h"

namespace dbtwin {

class TIBSQLExec : public TSQLExec {
public:
    explicit TIBSQLExec(TComponent* aOwner = nullptr);

    const char* ClassName() const override { return "TIBSQLExec"; }

    // Parses the lines with the Firebird parser into the statement list. Every statement of
    // the script becomes one statement of the list, with its line in the file.
    void LoadScript(const std::vector<std::string>& aScript) override;
    // Reads the database name, user and role of a CONNECT or CREATE DATABASE text by their
    // keywords (SQL literals, '' inside them); the password comes with the statement. A text
    // that is no such statement is an error.
    void ParseConnect(const std::string& aText) override;
    bool ExecStatement(TStatement* Statement) override;
    // Runs one statement outside a script run and marks it Disabled (done) when it succeeded.
    void ExecuteStatement(TStatement* Statement) override;
    bool UpdateDescription() override;
    std::unique_ptr<TCustomSQLParser> CreateParser(TObjs* aObjs) override;

protected:
    void DoStatementLoaded(TCustomSQLParser& aParser, TStatement& aStatement) override;

public:

    // True when the script loaded last set its SQL dialect itself; otherwise a run takes the
    // dialect of the database it connects to.
    bool GetDialectFromScript() const { return fDialectFromScript; }

protected:
    bool RunConnect() override;
    bool RunReConnect() override;
    bool RunCreateDb() override;

private:
    // After a connect: the database's own dialect, unless the script named one.
    void AdoptDatabaseDialect();

    TStatement* fExecStatement = nullptr;  // the statement ExecStatement runs
    bool fDialectFromScript = false;
};

}  // namespace dbtwin
