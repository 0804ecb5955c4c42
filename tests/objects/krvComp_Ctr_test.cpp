#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::TextCase;

using testing::AddConstraint;
using testing::AddForeignKey;
using testing::AddIndex;
using testing::AddTable;
using testing::Compare;
using testing::LinkAll;

using testing::BothSides;
using Case = testing::ScriptCase;

class ConstraintGeneratorsTest : public ::testing::TestWithParam<Case> {};

TEST_P(ConstraintGeneratorsTest, WritesTheScript) { testing::ExpectScriptCase(GetParam()); }

// Every constraint type added, dropped and changed; a system-named key on both sides.
void PgConstraints(Compare& c, TDatabaseType) {
    BothSides(c, [](TCustomObjs& o) {
        AddTable(o, "parent", {"id", "code"});
        AddTable(o, "child", {"id", "pid", "n"});
        AddConstraint(o, ctPKey, "parent_pkey", "parent", {"id"});
    });
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    AddConstraint(m, ctUnique, "uq_code", "parent", {"code"});
    AddConstraint(t, ctUnique, "uq_gone", "child", {"n"});
    AddConstraint(m, ctPKey, "child_pk", "child", {"id"});
    AddConstraint(t, ctCheck, "ck_gone", "child", {}, [](TCtrData& x) { x.SetBody("(n <> 7)"); });
    AddConstraint(m, ctCheck, "ck_n", "child", {}, [](TCtrData& x) { x.SetBody("(n > 0)"); });
    AddConstraint(t, ctCheck, "ck_n", "child", {}, [](TCtrData& x) { x.SetBody("(n >= 0)"); });
    AddForeignKey(m, "fk_child", "child", {"pid"}, "parent", {"id"}, [](TCtrData& x) {
        x.OnDelete = udaCascade;
        x.OnUpdate = udaRestrict;
        x.Match = maFull;
        x.Deferrable = true;
        x.InitiallyDeferred = true;
    });
    AddForeignKey(t, "fk_child", "child", {"pid"}, "parent", {"id"});
}

// The key's columns change: the foreign key that references it goes first and comes back last.
void PgPrimaryKeyChange(Compare& c, TDatabaseType) {
    BothSides(c, [](TCustomObjs& o) {
        AddTable(o, "p", {"id", "code"});
        AddTable(o, "q", {"pid"});
        AddForeignKey(o, "fk_q", "q", {"pid"}, "p", {"id"});
    });
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    AddConstraint(m, ctPKey, "pk_p", "p", {"id", "code"});
    AddConstraint(m, ctUnique, "uq_p", "p", {"id"});
    AddConstraint(t, ctPKey, "pk_p", "p", {"id"});
}

// The referenced column changes type: its index and key, and the foreign key that uses the
// key, are dropped before the change and written again after it.
void PgReferencedColumnRetyped(Compare& c, TDatabaseType) {
    BothSides(c, [](TCustomObjs& o) {
        AddTable(o, "p", {"id"});
        AddTable(o, "q", {"pid"});
        AddConstraint(o, ctPKey, "pk_p", "p", {"id"});
        AddForeignKey(o, "fk_q", "q", {"pid"}, "p", {"id"});
        AddIndex(o, "ix_p", "p", {"id DESC"});
    });
    c.master.GetObjs()->Tbl.Find("p")->FindFld("id")->FieldType = iftBigInt;
}

// A key to a table of another schema names that schema; names are quoted as needed.
void PgCrossSchema(Compare& c, TDatabaseType) {
    BothSides(c, [](TCustomObjs& o) {
        AddTable(o, "Order", {"id"}, "ref");
        AddTable(o, "line", {"oid"}, "app");
    });
    AddForeignKey(*c.master.GetObjs(), "fk_line", "line", {"oid"}, "Order", {"id"}, [](TCtrData& x) {
        x.SetSchema("app");
        x.SetRefSchema("ref");
    });
}

void IbConstraints(Compare& c, TDatabaseType) {
    BothSides(c, [](TCustomObjs& o) {
        AddTable(o, "T", {"A", "B"});
        AddTable(o, "D", {"TA"});
    });
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    // Unnamed key without a system name: removed from the system table.
    AddConstraint(t, ctPKey, "", "T", {"B"});
    AddConstraint(m, ctPKey, "PK_T", "T", {"A"});
    // On-disk structure 8 knows no referential actions.
    t.fIBServerOptions.GetIBDatabaseOptions().SetODSMajorVersion(8);
    AddForeignKey(m, "FK_D", "D", {"TA"}, "T", {"A"}, [](TCtrData& x) {
        x.OnDelete = udaCascade;
        x.UsingIndex = "IX_FK_D";
        x.UsingDescIndex = true;
    });
    AddConstraint(m, ctCheck, "CK_B", "T", {}, [](TCtrData& x) { x.SetBody("(B > 0)"); });
}

void MySQLConstraints(Compare& c, TDatabaseType) {
    BothSides(c, [](TCustomObjs& o) {
        AddTable(o, "p", {"id", "code"});
        AddTable(o, "q", {"pid"});
    });
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    AddConstraint(m, ctPKey, "", "p", {"id"});
    AddConstraint(t, ctPKey, "", "p", {"code"});
    AddConstraint(t, ctUnique, "uq_code", "p", {"code"});
    AddConstraint(m, ctUnique, "", "p", {"code"}, [](TCtrData& x) { x.UsingIndex = "uq_code_ix"; });
    AddForeignKey(t, "fk_q", "q", {"pid"}, "p", {"code"});
    AddForeignKey(m, "fk_q", "q", {"pid"}, "p", {"id"}, [](TCtrData& x) { x.OnDelete = udaNull; });
    AddConstraint(t, ctCheck, "ck_q", "q", {}, [](TCtrData& x) { x.SetBody("(pid > 0)"); });
}

// System names that differ only in their generated part are the same constraint; a default
// constraint is written in the second constraint pass.
void MSSQLConstraints(Compare& c, TDatabaseType) {
    BothSides(c, [](TCustomObjs& o) {
        AddTable(o, "T", {"A", "B"}, "dbo");
        AddTable(o, "R", {"TA"}, "dbo");
    });
    TCustomObjs& m = *c.master.GetObjs();
    TCustomObjs& t = *c.target.GetObjs();
    AddConstraint(m, ctPKey, "PK__T__1A2B3C4D", "T", {"A"}, [](TCtrData& x) { x.SetSchema("dbo"); });
    AddConstraint(t, ctPKey, "PK__T__5E6F7A8B", "T", {"A"}, [](TCtrData& x) { x.SetSchema("dbo"); });
    AddConstraint(m, ctDefault, "DF__T__B__0C0D0E0F", "T", {"B"}, [](TCtrData& x) {
        x.SetSchema("dbo");
        x.SetBody("((0))");
    });
    AddConstraint(t, ctDefault, "DF__T__B__AAAABBBB", "T", {"B"}, [](TCtrData& x) {
        x.SetSchema("dbo");
        x.SetBody("((0))");
    });
    AddConstraint(m, ctDefault, "DF_T_A", "T", {"A"}, [](TCtrData& x) {
        x.SetSchema("dbo");
        x.SetBody("((1))");
    });
    AddForeignKey(m, "FK_R", "R", {"TA"}, "T", {"A"}, [](TCtrData& x) {
        x.SetSchema("dbo");
        x.SetRefSchema("dbo");
        x.NotForReplication = true;
    });
    AddForeignKey(t, "FK__R__TA__0011AABB", "R", {"TA"}, "T", {"A"}, [](TCtrData& x) { x.SetSchema("dbo"); });
}

// The referenced table is dropped and created again (its temporary state changes): its key
// and the foreign key that references it go first and are created again afterwards.
void IbReferencedTableRecreated(Compare& c, TDatabaseType) {
    BothSides(c, [](TCustomObjs& o) {
        AddTable(o, "T", {"ID"});
        AddTable(o, "R", {"TID"})->GlobalTemporary = true;
        AddConstraint(o, ctPKey, "PK_T", "T", {"ID"});
        AddForeignKey(o, "FK_R", "R", {"TID"}, "T", {"ID"});
    });
    c.master.GetObjs()->Tbl.Find("T")->GlobalTemporary = true;
}

const Case kCases[] = {
    {"PostgreSQL", dbPostgreSQL, PgConstraints,
     "constraint_changes/postgresql.sql"},
    {"PostgreSQLPrimaryKeyChange", dbPostgreSQL, PgPrimaryKeyChange,
     "primary_key_change/postgresql.sql"},
    {"PostgreSQLReferencedColumnRetyped", dbPostgreSQL, PgReferencedColumnRetyped,
     "referenced_column_retyped/postgresql.sql"},
    {"PostgreSQLCrossSchema", dbPostgreSQL, PgCrossSchema,
     "foreign_key_cross_schema/postgresql.sql"},
    {"Firebird", dbInterBase, IbConstraints,
     "constraint_changes/interbase.sql"},
    {"FirebirdReferencedTableRecreated", dbInterBase, IbReferencedTableRecreated,
     "referenced_table_recreated/interbase.sql"},
    {"MySQL", dbMySQL, MySQLConstraints,
     "constraint_changes/mysql.sql"},
    {"SQLServer", dbMSSQL, MSSQLConstraints,
     "constraint_changes/sqlserver.sql"},
    // MySQL refuses to retype a column a foreign key uses: the key goes first and comes back.
    {"MySqlKeyColumnRetyped", dbMySQL,
     [](Compare& c, TDatabaseType) {
         BothSides(c, [](TCustomObjs& o) {
             AddTable(o, "r", {"id"});
             AddTable(o, "rc", {"id", "rid"});
             AddConstraint(o, ctPKey, "", "r", {"id"});
             AddForeignKey(o, "fk_rc", "rc", {"rid"}, "r", {"id"});
         });
         c.master.GetObjs()->Tbl.Find("rc")->FindFld("rid")->FieldType = iftBigInt;
     },
     "key_column_retyped/mysql.sql"},
};

INSTANTIATE_TEST_SUITE_P(Dialects, ConstraintGeneratorsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

using testing::AddConstraint;
using testing::AddForeignKey;
using testing::AddIndex;
using testing::AddTable;
using testing::Compare;
using testing::BothSides;
using testing::LinkAll;



class ObjectTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ObjectTextTest, DefAndDropDef) { testing::ExpectTexts(GetParam()); }

const TextCase kTexts[] = {
    {"OracleIndex", dbOracle,
     [](TCustomObjs& o) {
         return AddIndex(o, "IX", "T", {}, [](TIdxData& x) {
             x.SetSchema("HR");
             x.Bitmap = true;
             x.SetBody("(UPPER(A))");
             x.Compress = true;
             x.TableSpace = "USERS";
             x.fTblSpace.PctFree = 10;
         });
     },
     "CREATE BITMAP INDEX HR.IX ON HR.T(UPPER(A))\r\nCOMPRESS\r\nTABLESPACE USERS\r\npctfree 10",
     "/* Drop: IX (TIdxData) */\r\nDROP INDEX HR.IX"},
    {"AnywhereIndex", dbSybaseASA,
     [](TCustomObjs& o) { return AddIndex(o, "ix", "t", {"a", "b DESC"}, [](TIdxData& x) { x.EditExtra().OwnUser = "DBA"; }); },
     "CREATE INDEX ix ON DBA.t(a, b DESC)", "DROP INDEX DBA.t.ix"},
    {"AseIndex", dbSybaseASE, [](TCustomObjs& o) { return AddIndex(o, "ix", "t", {"a"}); },
     "CREATE INDEX ix ON t(a)", "DROP INDEX t.ix"},
    {"Db2Index", dbDB2,
     [](TCustomObjs& o) { return AddIndex(o, "IX", "T", {"A"}, [](TIdxData& x) { x.AllowReverseScans = true; }); },
     "CREATE INDEX IX ON T(A)\r\n  ALLOW REVERSE SCANS", "/* Drop: IX (TIdxData) */\r\nDROP INDEX IX"},
    {"OracleNotNull", dbOracle,
     [](TCustomObjs& o) { return AddConstraint(o, ctNotNull, "NN_A", "T", {"A"}); },
     "ALTER TABLE T MODIFY (A CONSTRAINT NN_A NOT NULL)", "ALTER TABLE T DROP CONSTRAINT NN_A"},
    {"AnywhereUnnamedForeignKey", dbSybaseASA,
     [](TCustomObjs& o) {
         return AddForeignKey(o, "", "t", {"a"}, "r", {"id"}, [](TCtrData& x) {
             x.EditExtra().OwnUser = "DBA";
             x.RefUser = "DBA";
             x.CheckOnCommit = true;
         });
     },
     "ALTER TABLE DBA.t ADD FOREIGN KEY (a) REFERENCES DBA.r (id) CHECK ON COMMIT",
     "/* drop constraint: ALTER TABLE DBA.t ADD FOREIGN KEY (a) REFERENCES DBA.r (id) CHECK ON COMMIT */\r\n"
     "ALTER TABLE DBA.t DROP FOREIGN KEY r"},
    {"SqlServerClusteredUnique", dbMSSQL,
     [](TCustomObjs& o) {
         return AddConstraint(o, ctUnique, "UQ_A", "T", {"A"}, [](TCtrData& x) {
             x.Clustered = true;
             x.UsingIndex = "WITH (FILLFACTOR = 80)";
         });
     },
     "ALTER TABLE T ADD CONSTRAINT UQ_A UNIQUE CLUSTERED (A) WITH (FILLFACTOR = 80)",
     "ALTER TABLE T DROP CONSTRAINT UQ_A"},
    {"PostgreSQLSystemNamedCheck", dbPostgreSQL,
     [](TCustomObjs& o) {
         return AddConstraint(o, ctCheck, "t_check", "t", {}, [](TCtrData& x) { x.SetBody("(a > 0)"); });
     },
     "ALTER TABLE t ADD CHECK (a > 0)", "ALTER TABLE t DROP CONSTRAINT t_check"},
    {"FirebirdReferences", dbInterBase,
     [](TCustomObjs& o) {
         return AddConstraint(o, ctReferences, "", "T", {"A"}, [](TCtrData& x) {
             x.SetRefTblName("R");
             x.AddRefFld("ID");
             x.DeferrableInitiallyDeferred = true;
         });
     },
     "ALTER TABLE T ADD REFERENCES R(ID)\r\nDEFERRABLE INITIALLY DEFERRED",
     "/* drop constraint: ALTER TABLE T ADD REFERENCES R(ID)\r\nDEFERRABLE INITIALLY DEFERRED */\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Kinds, ObjectTextTest, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConstraintTest, KeysAndCaptions) {
    TCustomObjs ib;
    ib.SetDatabaseType(dbInterBase);
    ib.fIBServerOptions.SetSQLDialect(3);
    TCtrData* unnamed = AddConstraint(ib, ctUnique, "", "ORDER", {"A"});
    // Keyed by its text without dialect 3 quoting, and the dialect is restored.
    EXPECT_EQ(unnamed->GetObjKeyDef(), "ALTER TABLE ORDER ADD UNIQUE (A)");
    EXPECT_EQ(unnamed->Def(), "ALTER TABLE \"ORDER\" ADD UNIQUE (A)");
    EXPECT_EQ(unnamed->GetCaption(), unnamed->Def());
    TCtrData* named = AddConstraint(ib, ctUnique, "UQ", "T", {"A"});
    EXPECT_EQ(named->GetObjKeyDef(), "UQ");

    TCustomObjs pg;
    pg.SetDatabaseType(dbPostgreSQL);
    TCtrData* sys = AddConstraint(pg, ctPKey, "t_pkey", "t", {"a"});
    EXPECT_EQ(sys->GetCaption(), "t_pkey");
    EXPECT_EQ(sys->GetObjKeyDef(), "ALTER TABLE t ADD PRIMARY KEY (a)");

    TCustomObjs ms;
    ms.SetDatabaseType(dbMSSQL);
    TCtrData* df = AddConstraint(ms, ctDefault, "DF_A", "Orders", {"A"}, [](TCtrData& x) {
        x.SetBody("((0))");
        x.SetRefTblName("Ref");
        x.SetRefSchema("Sales");
    });
    EXPECT_EQ(df->fTblName, "ORDERS");
    EXPECT_EQ(df->fRefTblName, "REF");
    EXPECT_EQ(df->fRefSchema, "SALES");
    // Inside a column definition the single column is implied.
    EXPECT_EQ(df->ConstraintDef(true), "CONSTRAINT DF_A DEFAULT ((0))");
    EXPECT_EQ(df->ConstraintDef(false), "CONSTRAINT DF_A DEFAULT ((0)) FOR A");

    TCustomObjs my;
    my.SetDatabaseType(dbMySQL);
    EXPECT_EQ(AddIndex(my, "ix", "t1", {"a"})->GetObjKeyDef(), "t1.ix");
    EXPECT_NE(my.Idx.Find("t1.ix"), nullptr);
}

// A constraint the script cannot drop (no name known) is left in place and reported,
// instead of being counted as dropped.
TEST(ConstraintTest, UndroppableConstraintIsReportedAndKept) {
    Compare c(dbPostgreSQL);
    BothSides(c, [](TCustomObjs& o) { AddTable(o, "t", {"a"}); });
    TCtrData* old = AddConstraint(*c.target.GetObjs(), ctCheck, "", "t", {}, [](TCtrData& x) { x.SetBody("(a > 0)"); });
    AddConstraint(*c.master.GetObjs(), ctCheck, "", "t", {}, [](TCtrData& x) { x.SetBody("(a > 1)"); });
    LinkAll(*c.master.GetObjs());
    LinkAll(*c.target.GetObjs());
    EXPECT_GOLDEN(c.Run(), "undroppable_constraint/postgresql.sql");
    EXPECT_TRUE(old->GetObjCreated());
    ASSERT_EQ(c.keldar.GetWrnScript().size(), 1u);
    EXPECT_EQ(c.keldar.GetWrnScript()[0], "Cannot drop a constraint without a name: ALTER TABLE t ADD CHECK (a > 0)");
}

// Compare options leave out the constraint types they do not name.
TEST(ConstraintTest, CompareOptionsSelectTypes) {
    Compare c(dbPostgreSQL);
    BothSides(c, [](TCustomObjs& o) { AddTable(o, "t", {"a", "b"}); });
    AddConstraint(*c.master.GetObjs(), ctPKey, "pk", "t", {"a"});
    AddConstraint(*c.master.GetObjs(), ctUnique, "uq", "t", {"b"});
    AddConstraint(*c.target.GetObjs(), ctCheck, "ck", "t", {}, [](TCtrData& x) { x.SetBody("(a > 0)"); });
    c.keldar.SetCompareObjects(TCmpObjSetType{coTable, coUnique});
    EXPECT_GOLDEN(c.Run(), "constraint_type_selection/postgresql.sql");
}

}  // namespace
}  // namespace dbtwin

namespace dbtwin {
namespace {

// A NOT NULL column added on SQL Server carries its default constraint in the same
// statement, as a column constraint, and the constraint is not added again.
TEST(ConstraintTest, SqlServerNotNullColumnAddedWithItsDefault) {
    Compare c(dbMSSQL);
    testing::AddTable(*c.target.GetObjs(), "T", {"A"});
    TTblData* t = testing::AddTable(*c.master.GetObjs(), "T", {"A", "B"});
    t->FindFld("B")->Nullable = false;
    testing::AddConstraint(*c.master.GetObjs(), ctDefault, "DF_T_B", "T", {"B"},
                           [](TCtrData& x) { x.SetBody("((0))"); });
    testing::LinkAll(*c.master.GetObjs());
    EXPECT_GOLDEN(c.Run(), "not_null_column_with_default/sqlserver.sql");
}

}  // namespace
}  // namespace dbtwin
