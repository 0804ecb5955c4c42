// The options sets: one Assign and one Clear over the options of every database kind.
#include <gtest/gtest.h>

#include "core/krvDBOptions.h"

namespace dbtwin {
namespace {

// A source set whose every kind differs from a new set.
TServerOptionsSet<TIBServerOptions> ChangedSet() {
    TServerOptionsSet<TIBServerOptions> s;
    s.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    s.fIBServerOptions.SetDBCharSet("UTF8");
    s.fMSSQLServerOptions.SetSQLServerVersion(st_MSSQL2017);
    s.fMySQLServerOptions.SetCharSet("latin1");
    s.fASAServerOptions.SetSQLServerVersion(st_ASA8);
    s.fASEServerOptions.GetASEDatabaseOptions().SetDbOwner("sa");
    s.fOracleServerOptions.SetSQLServerVersion(st_Oracle_9x);
    s.fPGSQLServerOptions.SetSQLServerVersion(st_PostgreSQL_12x);
    s.fDB2ServerOptions.SetSQLServerVersion(st_DB2_9x);
    return s;
}

// Which kinds of d equal those of s, in the order InterBase, SQL Server, MySQL, ASA, ASE,
// Oracle, PostgreSQL, DB2.
template <class A, class B>
std::string Equal(const A& d, const B& s) {
    std::string r;
    r += d.fIBServerOptions == s.fIBServerOptions ? '1' : '0';
    r += d.fMSSQLServerOptions == s.fMSSQLServerOptions ? '1' : '0';
    r += d.fMySQLServerOptions == s.fMySQLServerOptions ? '1' : '0';
    r += d.fASAServerOptions == s.fASAServerOptions ? '1' : '0';
    r += d.fASEServerOptions == s.fASEServerOptions ? '1' : '0';
    r += d.fOracleServerOptions == s.fOracleServerOptions ? '1' : '0';
    r += d.fPGSQLServerOptions == s.fPGSQLServerOptions ? '1' : '0';
    r += d.fDB2ServerOptions == s.fDB2ServerOptions ? '1' : '0';
    return r;
}

TEST(OptionsSetTest, AssignCopiesTheGivenKindsOnly) {
    const auto source = ChangedSet();
    ASSERT_EQ(Equal(TServerOptionsSet<TIBServerOptions>(), source), "00000000");

    TServerOptionsSet<TIBSQLExecOptions> all;
    all.Assign(source);
    EXPECT_EQ(Equal(all, source), "11111111");

    TServerOptionsSet<TIBSQLExecOptions> some;
    some.Assign(source, TDatabaseSetType{dbInterBase, dbMSSQL, dbMySQL});
    EXPECT_EQ(Equal(some, source), "11100000");
    some.Assign(source, TDatabaseSetType{dbSybaseASE, dbDB2});
    EXPECT_EQ(Equal(some, source), "11101001");
}

TEST(OptionsSetTest, ClearResetsEveryKind) {
    auto s = ChangedSet();
    s.ClearServerOptions();
    // Clear keeps the InterBase server version and resets the rest as a new set has them.
    EXPECT_EQ(s.fIBServerOptions.GetSQLServerVersion(), st_Firebird_30);
    EXPECT_TRUE(s.fIBServerOptions.GetDBCharSet().empty());
    s.fIBServerOptions.SetSQLServerVersion(TIBServerOptions().GetSQLServerVersion());
    EXPECT_EQ(Equal(s, TServerOptionsSet<TIBServerOptions>()), "11111111");
}

TEST(OptionsSetTest, CompareOptionsGoToEveryKindByTheirOwnRule) {
    TCompareOptionsSet c;
    c.fIBCompareOptions.SetUseRECONNECT(!c.fIBCompareOptions.GetUseRECONNECT());
    c.fMSSQLCompareOptions.SetIgnoreFileGroup(true);
    c.fASACompareOptions.SetCaseSensitiveIdentifiers(true);
    c.fASECompareOptions.SetIgnoreFileGroup(true);
    c.fASECompareOptions.SetCompareDBOptions(false);

    TServerOptionsSet<TIBServerOptions> s;
    s.AssignCompareOptions(c);
    EXPECT_EQ(s.fIBServerOptions.GetIBCompareOptions(), c.fIBCompareOptions);
    EXPECT_TRUE(s.fMSSQLServerOptions.GetMSSQLCompareOptions().GetIgnoreFileGroup());
    EXPECT_TRUE(s.fASAServerOptions.GetASACompareOptions().GetCaseSensitiveIdentifiers());
    EXPECT_TRUE(s.fASEServerOptions.GetASECompareOptions().GetIgnoreFileGroup());
    // The ASE switch for its database options stays the receiver's own.
    EXPECT_TRUE(s.fASEServerOptions.GetASECompareOptions().GetCompareDBOptions());
}

}  // namespace
}  // namespace dbtwin
