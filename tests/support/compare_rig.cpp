#include "support/compare_rig.h"

namespace dbtwin::testing {

Compare::Compare(TDatabaseType db) {
    master.SetDatabaseType(db);
    target.SetDatabaseType(db);
    keldar.SetDBStructureMaster(&master);
    keldar.SetDBStructureTarget(&target);
    keldar.SetSQLExec(&exec);
}

std::string Compare::Run() {
    keldar.CompareDatabases();
    return exec.GetScriptText();
}

std::string Compare::RunTwice() {
    const std::string first = Run();
    EXPECT_EQ(Run(), first) << "a second comparison of the same sets gave another script";
    return first;
}

void BothSides(Compare& c, const std::function<void(TCustomObjs&)>& fill) {
    fill(c.Master());
    fill(c.Target());
}

void ExpectScriptCase(const ScriptCase& tc, const std::function<void(Compare&)>& prepare) {
    Compare c(tc.db);
    if (prepare) prepare(c);
    tc.fill(c, tc.db);
    LinkAll(c.Master());
    LinkAll(c.Target());
    EXPECT_GOLDEN(c.RunTwice(), tc.fixture);
}

void TargetFirebird30(Compare& c) { c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_Firebird_30); }

std::string AsLiteral(const std::string& s) {
    std::string r = "\n\"";
    for (char c : s) {
        if (c == '\r') r += "\\r";
        else if (c == '\n') r += "\\n\"\n\"";
        else if (c == '"' || c == '\\') r += std::string("\\") + c;
        else r += c;
    }
    return r + "\"\n";
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string r;
    for (const std::string& l : lines) r += l + "\r\n";
    return r;
}

}  // namespace dbtwin::testing
