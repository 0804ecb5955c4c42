// The MySQL/MariaDB script executor: loads a script through the MySQL statement reader
// (DELIMITER blocks, version comments), connects before a run, and sends USE and SET to the
// server, so that they hold for the statements after them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "exec/krvSQL_Exec.h"

namespace dbtwin {

class TMySQLExec : public TSQLExec {
public:
    explicit TMySQLExec(TComponent* aOwner = nullptr);

    const char* ClassName() const override { return "TMySQLExec"; }

    std::unique_ptr<TCustomSQLParser> CreateParser(TObjs* aObjs) override;
};

}  // namespace dbtwin
