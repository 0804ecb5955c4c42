// The PostgreSQL script executor: loads a script through the PostgreSQL statement reader,
// connects before a run, switches the schema with a quoted SET search_path, and runs the
// statements PostgreSQL refuses inside a transaction block (CREATE DATABASE, VACUUM,
// ... CONCURRENTLY) on their own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "exec/krvSQL_Exec.h"

namespace dbtwin {

class TPGSQLExec : public TSQLExec {
public:
    explicit TPGSQLExec(TComponent* aOwner = nullptr);

    const char* ClassName() const override { return "TPGSQLExec"; }

    std::unique_ptr<TCustomSQLParser> CreateParser(TObjs* aObjs) override;
    // Appends SET SEARCH_PATH for a schema other than the current one (quoted as needed).
    void SetCurrentSchema(const std::string& aSchema) override;

protected:
    bool NeedsNoTransaction(const TStatement& aStatement) const override;
};

}  // namespace dbtwin
