// Whole scripts that show how tables, columns, indices and keys are named in a schema or by
// their owner in the statements of other objects.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddConstraint;
using testing::AddForeignKey;
using testing::AddIndex;
using testing::AddTable;
using testing::Compare;
using testing::ExpectScriptCase;
using testing::ScriptCase;

// Table T in both sets, with the given columns on each side.
void TableT(Compare& c, std::initializer_list<testing::Col> master, std::initializer_list<testing::Col> target,
            const std::string& schema = std::string()) {
    AddTable(*c.master.GetObjs(), "T", master, schema);
    AddTable(*c.target.GetObjs(), "T", target, schema);
}

const ScriptCase kCases[] = {
    // The dropped column's table is named in its schema, like the added column's.
    {"PgColumnDropNamesSchema", dbPostgreSQL,
     [](Compare& c, TDatabaseType) { TableT(c, {"A"}, {"A", "B"}, "s"); },
     "dialect_naming/pg_column_drop_names_schema.sql"},
    {"OracleColumnDropNamesSchema", dbOracle,
     [](Compare& c, TDatabaseType) { TableT(c, {"A"}, {"A", "B"}, "HR"); },
     "dialect_naming/oracle_column_drop_names_schema.sql"},
    {"Db2ColumnAddNamesSchema", dbDB2,
     [](Compare& c, TDatabaseType) { TableT(c, {"A", "B"}, {"A"}, "S"); },
     "dialect_naming/db2_column_add_names_schema.sql"},
    {"OracleIndexDropNamesSchema", dbOracle,
     [](Compare& c, TDatabaseType) {
         TableT(c, {"A"}, {"A"}, "HR");
         AddIndex(*c.target.GetObjs(), "IX", "T", {"A"}, [](TIdxData& x) { x.SetSchema("HR"); });
     },
     "dialect_naming/oracle_index_drop_names_schema.sql"},
    {"Db2IndexNamesSchema", dbDB2,
     [](Compare& c, TDatabaseType) {
         TableT(c, {"A"}, {"A"}, "S");
         AddIndex(*c.master.GetObjs(), "IX", "T", {"A"}, [](TIdxData& x) { x.SetSchema("S"); });
         AddTable(*c.target.GetObjs(), "T2", {"A"}, "S");
         AddIndex(*c.target.GetObjs(), "IX2", "T2", {"A"}, [](TIdxData& x) { x.SetSchema("S"); });
     },
     "dialect_naming/db2_index_names_schema.sql"},
    {"Db2KeysNameSchema", dbDB2,
     [](Compare& c, TDatabaseType) {
         for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) {
             AddTable(*o, "R", {"ID"}, "S");
             AddTable(*o, "T", {"ID", "R_ID"}, "S");
         }
         TCustomObjs& m = *c.master.GetObjs();
         AddConstraint(m, ctPKey, "PK_R", "R", {"ID"}, [](TCtrData& k) { k.SetSchema("S"); });
         AddForeignKey(m, "FK_T_R", "T", {"R_ID"}, "R", {"ID"}, [](TCtrData& k) { k.SetSchema("S"); });
     },
     "dialect_naming/db2_keys_name_schema.sql"},
    // A table without an owner user is the default owner's, in every statement that names it.
    {"AsaTableWithoutOwner", dbSybaseASA,
     [](Compare& c, TDatabaseType) {
         TableT(c, {"A", "B"}, {"A", "C"});
         AddConstraint(*c.master.GetObjs(), ctPKey, "PK_T", "T", {"A"});
         AddIndex(*c.master.GetObjs(), "IX", "T", {"B"});
     },
     "dialect_naming/asa_table_without_owner.sql"},
};

class DialectNamingGolden : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(DialectNamingGolden, WholeScript) { ExpectScriptCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Kinds, DialectNamingGolden, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
