#include "connect/krvPGSQLExec.h"

#include "connect/krvDBEngine.h"
#include "core/krvQuote.h"
#include "core/krvStrUtils.h"
#include "parse/krvPGSQLParser.h"

namespace dbtwin {

TPGSQLExec::TPGSQLExec(TComponent* aOwner) : TSQLExec(aOwner) {
    fDatabaseType = dbPostgreSQL;
    fConnectsBeforeRun = true;
}

std::unique_ptr<TCustomSQLParser> TPGSQLExec::CreateParser(TObjs* /*aObjs*/) {
    return std::make_unique<TPGSQLParser>(nullptr);
}

void TPGSQLExec::SetCurrentSchema(const std::string& aSchema) {
    if (aSchema.empty() || aSchema == fCurrentSchema) return;
    // The name as PostgreSQL reads it: "Sales Dept" and "Sales" keep their spelling.
    Add("SET SEARCH_PATH=" + PGSQLQuoteIdent(aSchema), stStatement);
    fCurrentSchema = aSchema;
}

bool TPGSQLExec::NeedsNoTransaction(const TStatement& aStatement) const {
    std::string words;
    for (const std::string& line : aStatement.Text) {
        words += ' ' + UpperCase(line);
        if (words.size() > 200) break;
    }
    std::vector<std::string> w;
    for (const std::string& part : SplitString(words, " "))
        if (!Trim(part).empty()) w.push_back(Trim(part));
    auto starts = [&](std::initializer_list<const char*> aWords) {
        std::size_t i = 0;
        for (const char* x : aWords) {
            if (i >= w.size() || w[i] != x) return false;
            ++i;
        }
        return true;
    };
    for (const std::string& x : w)
        if (x == "CONCURRENTLY") return true;
    return starts({"CREATE", "DATABASE"}) || starts({"DROP", "DATABASE"}) || starts({"VACUUM"}) ||
           starts({"ALTER", "SYSTEM"}) || starts({"CREATE", "TABLESPACE"}) || starts({"DROP", "TABLESPACE"}) ||
           starts({"REINDEX", "DATABASE"}) || starts({"REINDEX", "SYSTEM"});
}

}  // namespace dbtwin
