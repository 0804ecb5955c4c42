// Whole scripts that show how tables, columns, indices and keys are named in a schema or by
// their owner in the statements of other objects.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "idx_ctr_rig.h"

namespace dbtwin {
namespace {

using testing::AddConstraint;
using testing::AddForeignKey;
using testing::AddIndex;
using testing::AddTable;
using testing::Compare;
using testing::ExpectGeneratorScript;
using testing::GeneratorCase;

// Table T in both sets, with the given columns on each side.
void TableT(Compare& c, std::initializer_list<const char*> master, std::initializer_list<const char*> target,
            const std::string& schema = std::string()) {
    AddTable(*c.master.GetObjs(), "T", master, schema);
    AddTable(*c.target.GetObjs(), "T", target, schema);
}

const GeneratorCase kCases[] = {
    // The dropped column's table is named in its schema, like the added column's.
    {"PgColumnDropNamesSchema", dbPostgreSQL,
     [](Compare& c) { TableT(c, {"A"}, {"A", "B"}, "s"); },
     "/* Drop table-fields... */\r\n"
     "ALTER TABLE s.\"T\" DROP \"B\";\r\n"
     "\r\n"},
    {"OracleColumnDropNamesSchema", dbOracle,
     [](Compare& c) { TableT(c, {"A"}, {"A", "B"}, "HR"); },
     "-- CONNECT SYSDBA/*****@;\r\n"
     "/* Drop table-fields... */\r\n"
     "ALTER TABLE HR.T DROP (B);\r\n"
     "\r\n"},
    {"Db2ColumnAddNamesSchema", dbDB2,
     [](Compare& c) { TableT(c, {"A", "B"}, {"A"}, "S"); },
     "ALTER TABLE S.T ADD B INTEGER;\r\n"},
    {"OracleIndexDropNamesSchema", dbOracle,
     [](Compare& c) {
         TableT(c, {"A"}, {"A"}, "HR");
         AddIndex(*c.target.GetObjs(), "IX", "T", {"A"}, [](TIdxData& x) { x.SetSchema("HR"); });
     },
     "-- CONNECT SYSDBA/*****@;\r\n"
     "/* Drop Index... */\r\n"
     "/* Drop: IX (TIdxData) */\r\n"
     "DROP INDEX HR.IX;\r\n"
     "\r\n"},
    {"Db2IndexNamesSchema", dbDB2,
     [](Compare& c) {
         TableT(c, {"A"}, {"A"}, "S");
         AddIndex(*c.master.GetObjs(), "IX", "T", {"A"}, [](TIdxData& x) { x.SetSchema("S"); });
         AddTable(*c.target.GetObjs(), "T2", {"A"}, "S");
         AddIndex(*c.target.GetObjs(), "IX2", "T2", {"A"}, [](TIdxData& x) { x.SetSchema("S"); });
     },
     "/* Drop Index... */\r\n"
     "/* Drop: IX2 (TIdxData) */\r\n"
     "DROP INDEX S.IX2;\r\n"
     "\r\n"
     "\r\n"
     "/* Drop tables... */\r\n"
     "DROP TABLE S.T2;\r\n"
     "\r\n"
     "\r\n"
     "/* Create index... */\r\n"
     "CREATE INDEX S.IX ON S.T(A);\r\n"
     "\r\n"},
    {"Db2KeysNameSchema", dbDB2,
     [](Compare& c) {
         for (TCustomObjs* o : {c.master.GetObjs(), c.target.GetObjs()}) {
             AddTable(*o, "R", {"ID"}, "S");
             AddTable(*o, "T", {"ID", "R_ID"}, "S");
         }
         TCustomObjs& m = *c.master.GetObjs();
         AddConstraint(m, ctPKey, "PK_R", "R", {"ID"}, [](TCtrData& k) { k.SetSchema("S"); });
         AddForeignKey(m, "FK_T_R", "T", {"R_ID"}, "R", {"ID"}, [](TCtrData& k) { k.SetSchema("S"); });
     },
     "/* Create Primary Key... */\r\n"
     "ALTER TABLE S.R ADD CONSTRAINT PK_R PRIMARY KEY (ID);\r\n"
     "\r\n"
     "/* Create Foreign Key... */\r\n"
     "ALTER TABLE S.T ADD CONSTRAINT FK_T_R FOREIGN KEY (R_ID) REFERENCES S.R (ID);\r\n"},
    // A table without an owner user is the default owner's, in every statement that names it.
    {"AsaTableWithoutOwner", dbSybaseASA,
     [](Compare& c) {
         TableT(c, {"A", "B"}, {"A", "C"});
         AddConstraint(*c.master.GetObjs(), ctPKey, "PK_T", "T", {"A"});
         AddIndex(*c.master.GetObjs(), "IX", "T", {"B"});
     },
     "ALTER TABLE DBA.T ADD B INTEGER NULL\r\n"
     "go\r\n"
     "\r\n"
     "% Drop table-fields...\r\n"
     "ALTER TABLE DBA.T DROP C\r\n"
     "go\r\n"
     "\r\n"
     "\r\n"
     "/* Create index... */\r\n"
     "CREATE INDEX IX ON DBA.T(B)\r\n"
     "go\r\n"
     "\r\n"
     "\r\n"
     "/* Create Primary Key... */\r\n"
     "ALTER TABLE DBA.T ADD CONSTRAINT PK_T PRIMARY KEY (A)\r\n"
     "go\r\n"},
};

class DialectNamingGolden : public ::testing::TestWithParam<GeneratorCase> {};

TEST_P(DialectNamingGolden, WholeScript) { ExpectGeneratorScript(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Kinds, DialectNamingGolden, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
