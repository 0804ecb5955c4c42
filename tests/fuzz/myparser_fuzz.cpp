// libFuzzer target over the MySQL/MariaDB statement reader (TMySQLParser).
#include "parse/krvMySQLParser.h"
#include "statement_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* aData, std::size_t aSize) {
    return dbtwin::fuzz::ReadStatements<dbtwin::TMySQLParser>(aData, aSize);
}
