#include "extract/krvCustomScriptExtract.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "extract/krvIBScriptExtract.h"
#include "model/krvClasses.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvDBStructure.h"
#include "parse/krvIBParser.h"

namespace dbtwin {
namespace {

namespace fs = std::filesystem;

// A folder of script files that lives as long as the test.
class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/dbtwin-extract-XXXXXX";
        fPath = ::mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(fPath); }
    std::string Write(const std::string& aName, const std::string& aText) const {
        const std::string p = fPath + "/" + aName;
        std::ofstream(p, std::ios::binary) << aText;
        return p;
    }
    std::string Path(const std::string& aName) const { return fPath + "/" + aName; }
    const std::string& Root() const { return fPath; }

private:
    std::string fPath;
};

// Reads scripts of a tiny line language, enough to see what the extractor does with them:
//   TABLE t / INDEX i t   file a table / an index on table t
//   ERROR                 a parse error at that line
//   TERM x                the terminator becomes x
//   DIALECT n             the set's SQL dialect becomes n
// It notes the terminator and the dialect each script starts with.
class TLineParser : public TIbParser {
public:
    using TIbParser::TIbParser;
    std::vector<std::string> StartTerms;
    std::vector<int> StartDialects;
    std::vector<std::string> Files;

    void ParseText() override {
        StartTerms.push_back(GetTermStr());
        StartDialects.push_back(GetIBServerOptions()->GetSQLDialect());
        Files.push_back(GetScriptFileName());
        const std::vector<std::string> lines = SplitLines(CopyTxt(1, LengthTxt()));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::vector<std::string> w = SplitWords(lines[i]);
            if (w.empty()) continue;
            Line = static_cast<std::int32_t>(i + 1);
            if (w[0] == "TABLE") {
                auto* t = new TTblData(Objs);
                t->SetObjName(w.at(1));
                AddObj(t, true);
            } else if (w[0] == "INDEX") {
                auto* x = new TIdxData(Objs);
                x->SetObjName(w.at(1));
                x->TblName = w.at(2);
                AddObj(x, true);
            } else if (w[0] == "ERROR") {
                ErrMsg("Unexpected symbol");
            } else if (w[0] == "TERM") {
                SetTermStr(w.at(1));
            } else if (w[0] == "DIALECT") {
                GetIBServerOptions()->SetSQLDialect(std::stoi(w.at(1)));
            }
        }
    }

private:
    static std::vector<std::string> SplitWords(const std::string& s) {
        std::vector<std::string> out;
        std::string cur;
        for (char c : s + " ") {
            if (c == ' ' || c == '\r' || c == '\n') {
                if (!cur.empty()) out.push_back(cur);
                cur.clear();
            } else {
                cur += c;
            }
        }
        return out;
    }
};

class TLineExtract : public TIBScriptExtract {
public:
    using TIBScriptExtract::TIBScriptExtract;
    TLineParser* Parser() const { return static_cast<TLineParser*>(GetParser()); }

protected:
    std::unique_ptr<TCustomParser> CreateParser() override {
        if (!fDBStructure) return nullptr;
        return std::make_unique<TLineParser>(this);
    }
};

// A structure with its extractor, messages kept quiet.
struct Rig {
    TDBStructure Structure;
    TLineExtract Extract;
    Rig() {
        Structure.SetDatabaseType(dbInterBase);
        Extract.SetOnErrorMessage([](TObject*, const std::string&) {});
        Extract.SetDBStructure(&Structure);
    }
    TCustomObjs* Objs() { return Structure.GetObjs(); }
    std::vector<std::string> Errors() {
        std::vector<std::string> out;
        const TMsgManager& m = Extract.GetMsgManager();
        for (std::size_t i = 0; i < m.Count(); ++i)
            if (m.Get(i).MsgType == mt_Err) out.push_back(m.Get(i).Msg);
        return out;
    }
};

bool HasMsgStartingWith(const std::vector<std::string>& aMsgs, const std::string& aText) {
    for (const auto& m : aMsgs)
        if (m.rfind(aText, 0) == 0) return true;
    return false;
}

TEST(ScriptFileSpecTest, SplitFileSpec) {
    struct Case { const char* text; std::vector<std::string> names; };
    const Case cases[] = {
        {"", {}},
        {"a.sql", {"a.sql"}},
        {"\"a.sql\"", {"a.sql"}},                       // one quoted name without a blank
        {"\"my scripts/a.sql\"", {"my scripts/a.sql"}},  // quoted name with a blank
        {"\"a.sql\" \"b.sql\"", {"a.sql", "b.sql"}},
        {"\"a.sql\"  \"\" \"b c.sql\"", {"a.sql", "b c.sql"}},  // empty name skipped
        {"dir/x y.sql", {"dir/x y.sql"}},                // unquoted: the whole text
    };
    for (const auto& c : cases) EXPECT_EQ(TCustomScriptExtract::SplitFileSpec(c.text), c.names) << c.text;
}

TEST(ScriptFileSpecTest, MasksMatchRegularFilesSortedByName) {
    TempDir d;
    for (const char* n : {"b.sql", "a.sql", "x[1].sql", "c.txt", "ab.sql", ".hidden.sql"}) d.Write(n, "");
    fs::create_directory(d.Path("dir.sql"));  // a folder is never a script
    const std::string r = d.Root() + "/";
    struct Case { std::string mask; std::vector<std::string> files; };
    const Case cases[] = {
        {r + "*.sql", {r + ".hidden.sql", r + "a.sql", r + "ab.sql", r + "b.sql", r + "x[1].sql"}},
        {r + "?.sql", {r + "a.sql", r + "b.sql"}},
        {r + "x[1].sql", {r + "x[1].sql"}},  // brackets are plain characters
        {r + "x[1]*", {r + "x[1].sql"}},
        {r + "a.sql", {r + "a.sql"}},
        {r + "missing.sql", {}},
        {r + "dir.sql", {}},
        {r + "*.none", {}},
        {r + "nodir/*.sql", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(TCustomScriptExtract::ExpandFileMask(c.mask), c.files) << c.mask;
}

TEST(ScriptFileSpecTest, SettingTheSpecExpandsAndQuotesBack) {
    TempDir d;
    d.Write("one.sql", "");
    d.Write("two.sql", "");
    TLineExtract ex;
    ex.SetScriptFileName("\"" + d.Path("two.sql") + "\" \"" + d.Root() + "/o*.sql\" \"" + d.Path("gone.sql") + "\"");
    EXPECT_EQ(ex.GetScriptFileNames(), (std::vector<std::string>{d.Path("two.sql"), d.Path("one.sql")}));
    EXPECT_EQ(ex.GetMissingFileNames(), (std::vector<std::string>{d.Path("gone.sql")}));
    ex.SetScriptFileNames({"a b.sql", "c.sql"});
    EXPECT_EQ(ex.GetScriptFileName(), "\"a b.sql\" \"c.sql\"");
    EXPECT_TRUE(ex.GetMissingFileNames().empty());
}

// Every failure of a file makes the run fail, with a message naming the file.
TEST(ScriptExtractTest, FileFailuresFailTheRun) {
    TempDir d;
    const std::string good = d.Write("good.sql", "TABLE T\n");
    fs::create_directory(d.Path("folder"));
    struct Case { const char* what; std::vector<std::string> names; const char* text; std::string error; };
    const Case cases[] = {
        {"missing file", {}, "", "File not found: " + d.Path("missing.sql")},
        {"mask matching nothing", {}, "", "File not found: " + d.Root() + "/*.none"},
        {"empty file list", {}, "", "ScriptFileName(s) is empty. (TIBScriptExtract) "},
        {"unreadable file", {good, d.Path("folder")}, nullptr, "Script not load: "},
        {"file gone after expansion", {good, d.Path("gone.sql")}, nullptr, "File not found: " + d.Path("gone.sql")},
    };
    for (const auto& c : cases) {
        Rig rig;
        if (c.text) {
            std::string text = c.error.rfind("File not found: ", 0) == 0 ? c.error.substr(16) : std::string();
            rig.Extract.SetScriptFileName(text);
        } else {
            rig.Extract.SetScriptFileNames(c.names);
        }
        EXPECT_FALSE(rig.Extract.ExtractDatabase()) << c.what;
        EXPECT_TRUE(HasMsgStartingWith(rig.Errors(), c.error)) << c.what;
        if (!c.names.empty()) {
            EXPECT_TRUE(rig.Objs()->Tbl.Find("T")) << c.what << ": the readable file is still read";
        }
    }
}

TEST(ScriptExtractTest, LoadHandlerLinesAreParsedNotTheFile) {
    TempDir d;
    const std::string a = d.Write("a.sql", "ERROR\n");
    const std::string b = d.Write("b.sql", "TABLE FROM_DISK\n");
    Rig rig;
    rig.Extract.SetScriptFileNames({a, b});
    rig.Extract.OnLoadScript = [&](TObject*, const std::string& f, std::vector<std::string>& s, bool& loaded) {
        if (f == a) {
            s = {"TABLE FROM_HANDLER"};
            loaded = true;
        }
    };
    EXPECT_FALSE(rig.Extract.ExtractDatabase());  // b was declined
    EXPECT_TRUE(rig.Objs()->Tbl.Find("FROM_HANDLER"));
    EXPECT_FALSE(rig.Objs()->Tbl.Find("FROM_DISK"));
    EXPECT_EQ(rig.Errors(), (std::vector<std::string>{"Script not load: " + b}));
    EXPECT_EQ(rig.Extract.Parser()->Files, (std::vector<std::string>{a}));
}

TEST(ScriptExtractTest, EveryFileStartsWithTheTerminatorAndDialectOfTheRun) {
    TempDir d;
    const std::string a = d.Write("a.sql", "TERM ^\nDIALECT 1\n");
    const std::string b = d.Write("b.sql", "TABLE T\n");
    Rig rig;
    rig.Structure.GetIBServerOptions()->SetSQLDialect(3);
    rig.Extract.SetScriptFileNames({a, b});
    EXPECT_TRUE(rig.Extract.ExtractDatabase());
    EXPECT_EQ(rig.Extract.Parser()->StartTerms, (std::vector<std::string>{";", ";"}));
    EXPECT_EQ(rig.Extract.Parser()->StartDialects, (std::vector<int>{3, 3}));
}

// A failing source leaves the run false, but the others are read and linked, and every
// error is reported with its file and line.
TEST(ScriptExtractTest, OneFailingSourceKeepsTheOthersLinked) {
    TempDir d;
    const std::string bad = d.Write("bad.sql", "TABLE A\n\nERROR\n");
    const std::string good = d.Write("good.sql", "TABLE T\nINDEX IX_T T\n");
    for (const bool missingFirst : {false, true}) {
        Rig rig;
        rig.Extract.SetScriptFileNames({missingFirst ? d.Path("none.sql") : bad, good});
        EXPECT_FALSE(rig.Extract.ExtractDatabase());
        TIdxData* ix = rig.Objs()->Idx.Find("IX_T");
        ASSERT_TRUE(ix);
        ASSERT_EQ(ix->fUseOf.size(), 1u) << "the index is linked to its table";
        EXPECT_EQ(ix->fUseOf[0]->Obj, rig.Objs()->Tbl.Find("T"));
        if (!missingFirst) {
            const TMsgManager& m = rig.Extract.GetMsgManager();
            ASSERT_EQ(m.GetErrCount(), 1);
            EXPECT_EQ(m.Get(0).FileName, bad);
            EXPECT_EQ(m.Get(0).PosY, 3);
            EXPECT_EQ(rig.Extract.GetParser()->GetMsgMngr().GetErrCount(), 1) << "the parser keeps its messages";
        }
    }
}

TEST(ScriptExtractTest, InMemoryScriptTakesTheSamePath) {
    Rig rig;
    rig.Extract.SetScriptFileName("memory.sql");
    EXPECT_TRUE(rig.Extract.ExtractDatabase({"TABLE T", "INDEX IX_T T"}));
    ASSERT_TRUE(rig.Objs()->Idx.Find("IX_T"));
    EXPECT_EQ(rig.Objs()->Idx.Find("IX_T")->fUseOf.size(), 1u);

    EXPECT_FALSE(rig.Extract.ExtractDatabase({"TABLE U", "ERROR"}));
    EXPECT_TRUE(rig.Objs()->Tbl.Find("U")) << "objects parsed before the error stay";
    EXPECT_FALSE(rig.Objs()->Tbl.Find("T")) << "each run starts from an empty set";
    ASSERT_EQ(rig.Extract.GetMsgManager().GetErrCount(), 1);
    EXPECT_EQ(rig.Extract.GetMsgManager().Get(0).FileName, "memory.sql");

    TLineExtract alone;
    alone.SetOnErrorMessage([](TObject*, const std::string&) {});
    EXPECT_FALSE(alone.ExtractDatabase({"TABLE T"}));
    EXPECT_EQ(alone.GetMsgManager().GetErrCount(), 1) << "no structure is reported, not silent";
}

// A file error reaches the comparer, which then writes no script.
TEST(ScriptExtractTest, FileErrorStopsTheComparison) {
    TempDir d;
    const std::string t = d.Write("t.sql", "TABLE T\n");
    TDBStructure master, target;
    master.SetDatabaseType(dbInterBase);
    target.SetDatabaseType(dbInterBase);
    TLineExtract exMaster, exTarget;
    for (TLineExtract* e : {&exMaster, &exTarget}) e->SetOnErrorMessage([](TObject*, const std::string&) {});
    exMaster.SetScriptFileName(d.Path("missing.sql"));
    exTarget.SetScriptFileName(t);
    TKeldar keldar;
    TSQLExec exec;
    keldar.SetSQLExec(&exec);
    keldar.OnErrorMessage = [](TObject*, const std::string&) {};
    keldar.SetDBStructureMaster(&master);
    keldar.SetDBStructureTarget(&target);
    keldar.SetExtractorMaster(&exMaster);
    keldar.SetExtractorTarget(&exTarget);
    EXPECT_FALSE(keldar.ExtractDatabases());
    EXPECT_TRUE(keldar.GetMsgMngr().GetIsErr());
    keldar.CompareDatabases();
    EXPECT_EQ(exec.GetStatementsCount(), 0) << "a failed extraction writes no script";
}

}  // namespace
}  // namespace dbtwin
