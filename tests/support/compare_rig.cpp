#include "support/compare_rig.h"

#include <algorithm>

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

std::string GeneratedPart(Compare& c, const std::function<void(Compare&)>& prepare) {
    const std::string script = c.Run();
    Compare empty(c.Target().GetDatabaseType());
    if (prepare) prepare(empty);
    const std::string header = empty.Run();
    EXPECT_EQ(script.compare(0, header.size(), header), 0) << "the script does not begin with the header";
    std::string r = script.substr(std::min(header.size(), script.size()));
    while (r.compare(0, 2, "\r\n") == 0) r.erase(0, 2);
    return r;
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

void ExpectTexts(const TextCase& tc, const std::function<void(TObjs&)>& prepare) {
    TObjs o;
    o.SetDatabaseType(tc.db);
    if (prepare) prepare(o);
    TDbObj* x = tc.make(o);
    ASSERT_NE(x, nullptr) << tc.name;
    EXPECT_EQ(x->Def(), tc.def) << AsLiteral(x->Def());
    EXPECT_EQ(x->DropDef(), tc.drop) << AsLiteral(x->DropDef());
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
