#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvCompColumn.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Gnr.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddSequence;
using testing::AddTable;
using testing::AsLiteral;
using testing::Compare;
using Tweak = std::function<void(TGnrData&)>;

// ---------------------------------------------------------------------------
// The record

TEST(SequenceRecordTest, SettersFoldTheValuesThatMeanNone) {
    TObjs o;
    o.SetDatabaseType(dbOracle);
    TGnrData g(&o);
    g.SetObjName("S");
    EXPECT_TRUE(g.NoMinValue);
    EXPECT_TRUE(g.NoMaxValue);
    EXPECT_EQ(g.Def(), "CREATE SEQUENCE S\r\ncache 20");

    g.SetMaxValue("999999999999999999999999999");
    EXPECT_EQ(g.GetMaxValue(), "");
    EXPECT_TRUE(g.NoMaxValue);
    EXPECT_EQ(g.Def(), "CREATE SEQUENCE S\r\ncache 20");
    g.SetMaxValue("100");
    EXPECT_FALSE(g.NoMaxValue);

    g.SetCache("0");
    EXPECT_TRUE(g.GetNoCache());
    EXPECT_EQ(g.GetCache(), "");
    EXPECT_EQ(g.Def(), "CREATE SEQUENCE S\r\nmaxvalue 100\r\nnocache");
    g.SetCache("50");
    EXPECT_FALSE(g.GetNoCache());
    g.SetNoCache(true);
    EXPECT_EQ(g.GetCache(), "");
}

// The default cache is the one of the kind the text is written for, so that a record read
// without a cache equals one with the kind's default.
TEST(SequenceRecordTest, CacheDefaultFollowsTheDatabaseKind) {
    const std::pair<TDatabaseType, const char*> cases[] = {
        {dbOracle, "20"}, {dbDB2, "20"}, {dbPostgreSQL, "1"}, {dbMySQL, "1000"}, {dbMSSQL, ""}, {dbInterBase, ""}};
    for (auto [db, cache] : cases) {
        TObjs o;
        o.SetDatabaseType(db);
        TGnrData g(&o);
        EXPECT_EQ(g.GetCache(), cache) << int(db);
    }
}

// A column's identity sequence has no data type record of its own; DB2 writes only the
// options that are set.
TEST(SequenceRecordTest, Db2IdentityOptionsHaveNoEmptyParts) {
    TObjs o;
    o.SetDatabaseType(dbDB2);
    TFldData f(&o);
    TGnrData* g = f.GetSeqData();
    EXPECT_EQ(g->GetData(), nullptr);
    EXPECT_EQ(g->ParamDef(), "(CACHE 20)");
    g->IncrementBy = "5";
    EXPECT_EQ(g->ParamDef(), "(INCREMENT BY 5, CACHE 20)");
    g->StartWith = "10";
    g->SetNoCache(true);
    EXPECT_EQ(g->ParamDef(), "(START WITH 10, INCREMENT BY 5)");
    TGnrData standAlone(&o);
    EXPECT_NE(standAlone.GetData(), nullptr);
    o.SetDatabaseType(dbOracle);
    EXPECT_EQ(g->ParamDef(), "");
}

// ---------------------------------------------------------------------------
// Texts per database kind

struct TextCase {
    const char* name;
    TDatabaseType db;
    TIBSQLServerVersionType ib;
    Tweak tweak;
    std::string def, drop;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class SequenceTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SequenceTextTest, CreateAndDrop) {
    const TextCase& c = GetParam();
    TObjs o;
    o.SetDatabaseType(c.db);
    o.fIBServerOptions.SetSQLServerVersion(c.ib);
    o.fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2012);
    TGnrData g(&o);
    g.SetObjName(c.db == dbPostgreSQL ? "s" : "S");
    if (c.tweak) c.tweak(g);
    EXPECT_EQ(g.Def(), c.def) << AsLiteral(g.Def());
    EXPECT_EQ(g.DropDef(), c.drop) << AsLiteral(g.DropDef());
}

const auto kFull = [](TGnrData& g) {
    g.IncrementBy = "5";
    g.StartWith = "10";
    g.SetMinValue("2");
    g.SetMaxValue("1000");
    g.SetCache("30");
    g.Cycle = true;
    g.Order = true;
};

const TextCase kTextCases[] = {
    {"InterBase6DeletesTheCatalogRow", dbInterBase, st_InterBase_6x, [](TGnrData& g) { g.SetObjName("it's"); },
     "CREATE GENERATOR \"it's\"",
     "/* Drop generator: \"it's\" */\r\nDELETE FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'it''s'"},
    {"Firebird1", dbInterBase, st_FireBird_1x, kFull, "CREATE GENERATOR S", "DROP GENERATOR S"},
    // CREATE GENERATOR would lose the start value and the increment.
    {"Firebird3KeepsStartAndIncrement", dbInterBase, st_Firebird_30, kFull,
     "CREATE SEQUENCE S START WITH 10 INCREMENT BY 5", "DROP GENERATOR S"},
    {"Firebird3Plain", dbInterBase, st_Firebird_30, nullptr, "CREATE SEQUENCE S", "DROP GENERATOR S"},
    {"OracleFull", dbOracle, st_Firebird_30,
     [](TGnrData& g) {
         kFull(g);
         g.SetSchema("APP");
     },
     "CREATE SEQUENCE APP.S\r\nminvalue 2\r\nmaxvalue 1000\r\nincrement by 5\r\ncache 30\r\norder\r\ncycle",
     "DROP SEQUENCE APP.S"},
    {"PostgreSQLFull", dbPostgreSQL, st_Firebird_30,
     [](TGnrData& g) {
         kFull(g);
         g.Temporary = true;
         g.OwnedBy = "t.id";
         g.SetSchema("public");
     },
     "CREATE TEMPORARY SEQUENCE public.s INCREMENT BY 5 MINVALUE 2 MAXVALUE 1000 START WITH 10 CACHE 30 CYCLE OWNED BY t.id",
     "DROP SEQUENCE public.s"},
    // No cache is PostgreSQL's smallest cache.
    {"PostgreSQLNoCache", dbPostgreSQL, st_Firebird_30, [](TGnrData& g) { g.SetNoCache(true); },
     "CREATE SEQUENCE s CACHE 1", "DROP SEQUENCE s"},
    {"SqlServerFullWithType", dbMSSQL, st_Firebird_30,
     [](TGnrData& g) {
         kFull(g);
         g.SetNoCache(true);
         g.SetSchema("dbo");
         g.GetData()->FieldType = iftInteger;
     },
     "CREATE SEQUENCE DBO.S\r\n    AS INTEGER\r\n    START WITH 10\r\n    INCREMENT BY 5\r\n    MINVALUE 2\r\n"
     "    MAXVALUE 1000\r\n    CYCLE\r\n    NO CACHE",
     "DROP SEQUENCE DBO.S"},
    {"MariaDBFull", dbMySQL, st_Firebird_30, kFull,
     "CREATE SEQUENCE S START WITH 10 INCREMENT BY 5 MINVALUE 2 MAXVALUE 1000 CACHE 30 CYCLE", "DROP SEQUENCE S"},
    {"MariaDBNoCache", dbMySQL, st_Firebird_30, [](TGnrData& g) { g.SetCache("0"); }, "CREATE SEQUENCE S NOCACHE",
     "DROP SEQUENCE S"},
    {"Db2Full", dbDB2, st_Firebird_30, kFull,
     "CREATE SEQUENCE S START WITH 10 INCREMENT BY 5 MINVALUE 2 MAXVALUE 1000 CACHE 30 CYCLE ORDER", "DROP SEQUENCE S"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, SequenceTextTest, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SequenceTextTest, SqlServerBefore2012HasNoDrop) {
    TObjs o;
    o.SetDatabaseType(dbMSSQL);
    o.fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2008);
    TGnrData g(&o);
    g.SetObjName("S");
    EXPECT_EQ(g.DropDef(), "");
}

// ---------------------------------------------------------------------------
// Alteration

// The generator statements of a script (comments left out) and the comparer's warnings.
struct Outcome {
    std::vector<std::string> statements, warnings;
};

Outcome CompareSequences(TDatabaseType db, const std::function<void(Compare&)>& fill) {
    Compare c(db);
    c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    c.target.GetObjs()->fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2012);
    fill(c);
    c.RunTwice();
    Outcome r;
    for (int i = 0; i < c.exec.GetStatementsCount(); ++i) {
        const TStatement* st = c.exec.GetStatement(i);
        if (st->Typ != stComment && st->ObjType == dboGenerator) r.statements.push_back(Trim(st->GetText()));
    }
    r.warnings = c.keldar.GetWrnScript();
    return r;
}

struct AlterCase {
    const char* name;
    TDatabaseType db;
    Tweak master, target;
    std::vector<std::string> statements;
    std::size_t warnings = 0;
};
void PrintTo(const AlterCase& c, std::ostream* os) { *os << c.name; }

class SequenceAlterTest : public ::testing::TestWithParam<AlterCase> {};

TEST_P(SequenceAlterTest, OneStatementAndWarningsForTheRest) {
    const AlterCase& c = GetParam();
    const Outcome o = CompareSequences(c.db, [&](Compare& cmp) {
        const char* name = c.db == dbPostgreSQL ? "s" : "S";
        AddSequence(cmp.Master(), name, c.master);
        AddSequence(cmp.Target(), name, c.target);
    });
    EXPECT_EQ(o.statements, c.statements);
    EXPECT_EQ(o.warnings.size(), c.warnings) << (o.warnings.empty() ? "" : o.warnings[0]);
}

const auto kIncrement5 = [](TGnrData& g) { g.IncrementBy = "5"; };
const auto kCycle = [](TGnrData& g) { g.Cycle = true; };
const auto kNoCache = [](TGnrData& g) { g.SetNoCache(true); };
const auto kCache50 = [](TGnrData& g) { g.SetCache("50"); };
const auto kMax100 = [](TGnrData& g) { g.SetMaxValue("100"); };
const auto kMin5 = [](TGnrData& g) { g.SetMinValue("5"); };
const auto kStart7 = [](TGnrData& g) { g.StartWith = "7"; };
const auto kOrder = [](TGnrData& g) { g.Order = true; };
const Tweak kPlain = nullptr;

const AlterCase kAlterCases[] = {
    {"PostgreSQLIncrementOnly", dbPostgreSQL, kIncrement5, [](TGnrData& g) { g.IncrementBy = "1"; },
     {"ALTER SEQUENCE s increment by 5"}},
    {"PostgreSQLCycleOn", dbPostgreSQL, kCycle, kPlain, {"ALTER SEQUENCE s cycle"}},
    // The server refuses "nocycle".
    {"PostgreSQLCycleOff", dbPostgreSQL, kPlain, kCycle, {"ALTER SEQUENCE s no cycle"}},
    {"PostgreSQLNoCacheIsCacheOne", dbPostgreSQL, kNoCache, kCache50, {"ALTER SEQUENCE s cache 1"}},
    {"PostgreSQLCacheOneEqualsUnset", dbPostgreSQL, [](TGnrData& g) { g.SetCache("1"); }, kPlain, {}},
    {"PostgreSQLMaxSet", dbPostgreSQL, kMax100, kPlain, {"ALTER SEQUENCE s maxvalue 100"}},
    {"PostgreSQLMaxRemoved", dbPostgreSQL, kPlain, kMax100, {"ALTER SEQUENCE s no maxvalue"}},
    // The target's start value defaulted to its minimum (5); the master's is 1.
    {"PostgreSQLMinRemoved", dbPostgreSQL, kPlain, kMin5, {"ALTER SEQUENCE s no minvalue start with 1"}},
    // A start value is written beside the minimum in one statement: apart, the server
    // refuses a start below the old minimum.
    {"PostgreSQLMinAndStartTogether", dbPostgreSQL, [](TGnrData& g) { g.SetMinValue("1"); g.StartWith = "1"; },
     [](TGnrData& g) { g.SetMinValue("10"); g.StartWith = "10"; }, {"ALTER SEQUENCE s no minvalue start with 1"}},
    {"PostgreSQLOwnerRemoved", dbPostgreSQL, kPlain, [](TGnrData& g) { g.OwnedBy = "t.id"; },
     {"ALTER SEQUENCE s owned by none"}},
    {"PostgreSQLOrderIsNoOption", dbPostgreSQL, kOrder, kPlain, {}},
    {"PostgreSQLTemporaryIsLeft", dbPostgreSQL, [](TGnrData& g) { g.Temporary = true; }, kPlain, {}, 1},
    {"PostgreSQLSeveral", dbPostgreSQL,
     [](TGnrData& g) {
         kIncrement5(g);
         kCycle(g);
         kCache50(g);
     },
     kPlain, {"ALTER SEQUENCE s increment by 5 cycle cache 50"}},
    {"OracleCycleOff", dbOracle, kPlain, kCycle, {"ALTER SEQUENCE S nocycle"}},
    {"OracleNoCache", dbOracle, kNoCache, kPlain, {"ALTER SEQUENCE S nocache"}},
    {"OracleCacheAgain", dbOracle, kPlain, kNoCache, {"ALTER SEQUENCE S cache 20"}},
    {"OracleMaxRemovedOrderOn", dbOracle, kOrder, kMax100, {"ALTER SEQUENCE S nomaxvalue order"}},
    {"OracleMinSet", dbOracle, kMin5, kPlain, {"ALTER SEQUENCE S minvalue 5"}},
    // Oracle sequence texts hold no start value.
    {"OracleStartIsNotCompared", dbOracle, kStart7, kPlain, {}},
    {"SqlServerCycleAndNoCache", dbMSSQL,
     [](TGnrData& g) {
         kCycle(g);
         kNoCache(g);
     },
     kPlain, {"ALTER SEQUENCE S CYCLE NO CACHE"}},
    // Only a restart changes the start value there.
    {"SqlServerStartIsLeft", dbMSSQL, kStart7, kPlain, {}, 1},
    {"SqlServerDefaultCacheAgain", dbMSSQL, kPlain, kCache50, {"ALTER SEQUENCE S CACHE"}},
    {"MariaDBChanges", dbMySQL,
     [](TGnrData& g) {
         kIncrement5(g);
         kMax100(g);
         kNoCache(g);
     },
     kCycle, {"ALTER SEQUENCE S increment by 5 maxvalue 100 nocycle nocache"}},
    {"MariaDBCacheDefault", dbMySQL, [](TGnrData& g) { g.SetCache("1000"); }, kPlain, {}},
    {"Db2OrderOff", dbDB2, kPlain, kOrder, {"ALTER SEQUENCE S NO ORDER"}},
    // Firebird 3 changes the increment and never restarts a sequence.
    {"Firebird3Increment", dbInterBase, [](TGnrData& g) { g.IncrementBy = "10"; }, kPlain,
     {"ALTER SEQUENCE S INCREMENT BY 10"}},
    {"Firebird3StartIsLeft", dbInterBase, kStart7, kPlain, {}, 1},
    {"Firebird3CacheAndCycleAreNoOptions", dbInterBase, kCycle, kCache50, {}},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, SequenceAlterTest, ::testing::ValuesIn(kAlterCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The warning names the sequence, the values and why, and stands in the script.
TEST(SequenceAlterTest, StartValueIsNeverReset) {
    Compare c(dbInterBase);
    c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    AddSequence(c.Master(), "S", [](TGnrData& g) {
        g.StartWith = "7";
        g.IncrementBy = "3";
    });
    AddSequence(c.Target(), "S");
    const std::string script = c.RunTwice();
    EXPECT_EQ(script.find("RESTART"), std::string::npos) << script;
    EXPECT_NE(script.find("ALTER SEQUENCE S INCREMENT BY 3"), std::string::npos) << script;
    ASSERT_EQ(c.keldar.GetWrnScript().size(), 1u);
    const std::string& w = c.keldar.GetWrnScript()[0];
    EXPECT_EQ(w, "Sequence S: start value 0 is not changed to 7: only a restart changes it, and a comparison never "
                 "resets the current value");
    EXPECT_NE(script.find("/* " + w + " */"), std::string::npos) << script;
}

// ---------------------------------------------------------------------------
// Create and drop

// Firebird before 3: a generator has neither increment nor start value; the loss is said.
TEST(SequenceGeneratorTest, OldFirebirdCreateSaysWhatItLeavesOut) {
    Compare c(dbInterBase);
    c.target.GetObjs()->fIBServerOptions.SetSQLServerVersion(st_Firebird_25);
    AddSequence(c.Master(), "G", [](TGnrData& g) { g.IncrementBy = "10"; });
    const std::string script = c.RunTwice();
    EXPECT_NE(script.find("CREATE GENERATOR G"), std::string::npos) << script;
    ASSERT_EQ(c.keldar.GetWrnScript().size(), 1u);
    EXPECT_NE(c.keldar.GetWrnScript()[0].find("increment 10 is not written"), std::string::npos);
}

// Excluded generators are neither created, altered nor dropped.
TEST(SequenceGeneratorTest, ExcludedSequencesAreLeftAlone) {
    const Outcome o = CompareSequences(dbPostgreSQL, [](Compare& c) {
        AddSequence(c.Master(), "s_new", [](TGnrData& g) { g.CompExclude = true; });
        AddSequence(c.Master(), "s_alt", [](TGnrData& g) {
            g.CompExclude = true;
            g.IncrementBy = "5";
        });
        AddSequence(c.Target(), "s_alt");
        AddSequence(c.Target(), "s_gone", [](TGnrData& g) { g.CompExclude = true; });
        AddSequence(c.Master(), "s_in");
    });
    EXPECT_EQ(o.statements, std::vector<std::string>{"CREATE SEQUENCE s_in CACHE 1"});
}

// A sequence owned by a column goes with its table; while the column stands it is left,
// and the script says so.
TEST(SequenceGeneratorTest, OwnedSequencesGoWithTheirColumn) {
    const Outcome o = CompareSequences(dbPostgreSQL, [](Compare& c) {
        AddTable(c.Target(), "t_gone", {{"id", iftSerial}});
        AddSequence(c.Target(), "t_gone_id_seq", [](TGnrData& g) { g.OwnedBy = "t_gone.id"; });
        AddTable(c.Master(), "t_kept", {{"id"}});
        AddTable(c.Target(), "t_kept", {{"id"}});
        AddSequence(c.Target(), "t_kept_seq", [](TGnrData& g) { g.OwnedBy = "t_kept.id"; });
        AddSequence(c.Target(), "plain");
    });
    EXPECT_EQ(o.statements, std::vector<std::string>{"DROP SEQUENCE plain"});
    ASSERT_EQ(o.warnings.size(), 1u);
    EXPECT_NE(o.warnings[0].find("t_kept_seq is owned by t_kept.id"), std::string::npos) << o.warnings[0];
}

// A serial column's sequence comes with the new table and is not created a second time,
// neither by the comparison nor by an export; a sequence owned by a plain column is.
TEST(SequenceGeneratorTest, SerialSequenceComesWithItsTable) {
    const Outcome o = CompareSequences(dbPostgreSQL, [](Compare& c) {
        AddTable(c.Master(), "t_new", {{"id", iftSerial}, {"n"}});
        AddSequence(c.Master(), "t_new_id_seq", [](TGnrData& g) { g.OwnedBy = "t_new.id"; });
        AddSequence(c.Master(), "t_new_n_seq", [](TGnrData& g) { g.OwnedBy = "t_new.n"; });
    });
    EXPECT_EQ(o.statements, std::vector<std::string>{"CREATE SEQUENCE t_new_n_seq CACHE 1 OWNED BY t_new.n"});

    TObjs objs;
    objs.SetDatabaseType(dbPostgreSQL);
    AddTable(objs, "t", {{"id", iftBigSerial}});
    AddSequence(objs, "t_id_seq", [](TGnrData& g) { g.OwnedBy = "public.\"t\".id"; }, "public");
    std::vector<std::string> script;
    objs.ExtractMetadata(script);
    EXPECT_EQ(testing::JoinLines(script).find("CREATE SEQUENCE"), std::string::npos) << testing::JoinLines(script);
}

// Sequences only the target has are dropped on SQL Server 2012 on and DB2; where the
// kind cannot drop them the script says so.
TEST(SequenceGeneratorTest, TargetOnlySequencesAreDroppedOrNamed) {
    for (TDatabaseType db : {dbMSSQL, dbDB2}) {
        const Outcome o = CompareSequences(db, [](Compare& c) { AddSequence(c.Target(), "S"); });
        ASSERT_EQ(o.statements.size(), 1u) << int(db);
        EXPECT_EQ(o.statements[0].rfind("DROP SEQUENCE ", 0), 0u) << o.statements[0];
    }
    Compare c(dbMSSQL);
    c.target.GetObjs()->fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2008);
    AddSequence(c.Target(), "S");
    const std::string script = c.RunTwice();
    EXPECT_EQ(script.find("DROP"), std::string::npos) << script;
    ASSERT_EQ(c.keldar.GetWrnScript().size(), 1u);
    EXPECT_EQ(c.keldar.GetWrnScript()[0], "Sequence S cannot be dropped on this server version");
}

// ---------------------------------------------------------------------------
// Whole scripts

// Kept, new, changed (increment, cycle, cache, maximum) and dropped sequences, with a
// description on the new one.
void FillSequenceChanges(Compare& c, TDatabaseType db) {
    auto n = [db](const char* name) { return db == dbInterBase || db == dbOracle ? UpperCase(name) : std::string(name); };
    const std::string s = db == dbPostgreSQL ? "public" : db == dbMSSQL ? "dbo" : "";
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        AddSequence(o, n("s_keep"), nullptr, s);
        if (m) AddSequence(o, n("s_new"), [](TGnrData& g) {
            g.IncrementBy = "10";
            g.StartWith = "100";
            g.SetDescription("Bob's numbers");
        }, s);
        else AddSequence(o, n("s_gone"), nullptr, s);
        AddSequence(o, n("s_change"), [m](TGnrData& g) {
            g.IncrementBy = m ? "5" : "1";
            g.Cycle = m;
            if (m) g.SetCache("40");
            else g.SetMaxValue("1000");
        }, s);
    }
}

class SequenceGoldenTest : public ::testing::TestWithParam<testing::ScriptCase> {};

TEST_P(SequenceGoldenTest, WholeScript) {
    testing::ExpectScriptCase(GetParam(), [](Compare& c) {
        testing::TargetFirebird30(c);
        c.target.GetObjs()->fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2012);
    });
}

const testing::ScriptCase kGolden[] = {
    {"Firebird", dbInterBase, FillSequenceChanges, "sequence_changes/interbase.sql"},
    {"PostgreSQL", dbPostgreSQL, FillSequenceChanges, "sequence_changes/postgresql.sql"},
    {"MariaDB", dbMySQL, FillSequenceChanges, "sequence_changes/mysql.sql"},
    {"Oracle", dbOracle, FillSequenceChanges, "sequence_changes/oracle.sql"},
    {"SqlServer", dbMSSQL, FillSequenceChanges, "sequence_changes/sqlserver.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, SequenceGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
