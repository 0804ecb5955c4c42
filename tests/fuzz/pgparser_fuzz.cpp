// libFuzzer target over the PostgreSQL statement reader (TPGSQLParser).
#include "parse/krvPGSQLParser.h"
#include "statement_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* aData, std::size_t aSize) {
    return dbtwin::fuzz::ReadStatements<dbtwin::TPGSQLParser>(aData, aSize);
}
