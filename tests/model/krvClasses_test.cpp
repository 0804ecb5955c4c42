// Quote_Ident: the identifier quoting of every database kind.
#include "model/krvClasses.h"

#include <gtest/gtest.h>

#include <string>

namespace dbtwin {
namespace {

TEST(QuoteIdentDispatchTest, EachKindUsesItsRule) {
    struct Case {
        TDatabaseType kind;
        TIBSQLDialectType dialect;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {dbInterBase, 3, "customer", "\"customer\""},
        {dbInterBase, 3, "CUSTOMER", "CUSTOMER"},
        {dbInterBase, 3, "LEVEL", "\"LEVEL\""},
        {dbInterBase, 1, "customer", "customer"},
        {dbInterBase, 2, "a b", "a b"},
        {dbSybaseASA, 3, "user", "\"USER\""},
        {dbMySQL, 3, "orders", "`orders`"},
        {dbMSSQL, 3, "user", "[user]"},
        {dbPostgreSQL, 3, "Orders", "\"Orders\""},
        {dbOracle, 3, "LEVEL", "\"LEVEL\""},
        {dbDB2, 3, "USER", "\"USER\""},
        {dbParadox, 3, "DATE", "\"DATE\""},
        {dbDBASE, 3, "DATE", "\"DATE\""},
        // ASE names are written as they are, keywords included...
        {dbSybaseASE, 3, "user", "user"},
        {dbSybaseASE, 3, "Orders", "Orders"},
        {dbSybaseASE, 3, "<x y>", "<x y>"},
        // ...unless their characters cannot be written without brackets.
        {dbSybaseASE, 3, "order lines", "[order lines]"},
        {dbSybaseASE, 3, "a]b", "[a]]b]"},
        {dbSybaseASE, 3, "<a]b", "[<a]]b]"},
        {dbSybaseASE, 3, "", ""},
        // Kinds without a quoting rule.
        {dbAbstract, 3, "a b", "a b"},
        {dbPervasiveSQL, 3, "user", "user"},
        {dbMSAccess, 3, "user", "user"},
        {dbCustomOLEDB, 3, "user", "user"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Quote_Ident(c.name, c.kind, st_Firebird_30, c.dialect), c.expected)
            << int(c.kind) << " dialect " << c.dialect << ": " << c.name;
}

TEST(QuoteIdentDispatchTest, InterBaseFollowsTheServerVersion) {
    EXPECT_EQ(Quote_Ident("ROLE", dbInterBase, st_FireBird_15, 3), "\"ROLE\"");
    EXPECT_EQ(Quote_Ident("ROLE", dbInterBase, st_Firebird_20, 3), "ROLE");
    EXPECT_EQ(Quote_Ident("COMPUTED", dbInterBase, st_Firebird_25, 3), "\"COMPUTED\"");
    EXPECT_EQ(Quote_Ident("COMPUTED", dbInterBase, st_Firebird_30, 3), "COMPUTED");
    EXPECT_EQ(Quote_Ident("LEVEL", dbInterBase, st_Yaffil_1x, 3), "LEVEL");
}

}  // namespace
}  // namespace dbtwin
