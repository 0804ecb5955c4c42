#include "core/krvDialect.h"

#include <gtest/gtest.h>

#include <string>

namespace dbtwin {
namespace {

// Brackets make the quoting of every part visible.
std::string Bracket(const std::string& s) { return "[" + s + "]"; }

TEST(DialectTraitsTest, QualificationPerKind) {
    struct Case {
        TDatabaseType db;
        // ObjectName of a table with schema S and owner U, of the same table without either,
        // of a column with schema S; TableName without schema or owner.
        const char* table;
        const char* bareTable;
        const char* column;
        const char* bareTableRef;
    };
    const Case cases[] = {
        {dbAbstract, "[T]", "[T]", "[C]", "[T]"},
        {dbInterBase, "[T]", "[T]", "[C]", "[T]"},
        {dbMySQL, "[T]", "[T]", "[C]", "[T]"},
        {dbSybaseASE, "[T]", "[T]", "[C]", "[T]"},
        {dbParadox, "[T]", "[T]", "[C]", "[T]"},
        {dbCustomOLEDB, "[T]", "[T]", "[C]", "[T]"},
        {dbSybaseASA, "[U].[T]", "[DBA].[T]", "[C]", "[DBA].[T]"},
        {dbOracle, "[S].[T]", "[T]", "[C]", "[T]"},
        {dbMSSQL, "[S].[T]", "[T]", "[C]", "[T]"},
        {dbPostgreSQL, "[S].[T]", "[T]", "[C]", "[T]"},
        {dbDB2, "[S].[T]", "[T]", "[C]", "[T]"},
    };
    for (const Case& c : cases) {
        const TDialectTraits& t = DialectTraits(c.db);
        SCOPED_TRACE(int(c.db));
        EXPECT_EQ(t.DatabaseType, c.db);
        EXPECT_EQ(t.ObjectName(Bracket, dboTable, "S", "U", "T"), c.table);
        EXPECT_EQ(t.ObjectName(Bracket, dboTable, "", "", "T"), c.bareTable);
        EXPECT_EQ(t.ObjectName(Bracket, dboField, "S", "U", "C"), c.column);
        EXPECT_EQ(t.TableName(Bracket, "S", "U", "T"), c.table);
        EXPECT_EQ(t.TableName(Bracket, "", "", "T"), c.bareTableRef);
    }
}

// Owner users qualify only tables, procedures and views; schemas every kind but a column.
TEST(DialectTraitsTest, QualifiedKinds) {
    const TDialectTraits& asa = DialectTraits(dbSybaseASA);
    const TDialectTraits& pg = DialectTraits(dbPostgreSQL);
    for (TDbObject k : {dboTable, dboProcedure, dboView})
        EXPECT_EQ(asa.ObjectName(Bracket, k, "S", "", "X"), "[DBA].[X]") << int(k);
    for (TDbObject k : {dboIndex, dboTrigger, dboConstraint, dboGenerator, dboField}) {
        EXPECT_EQ(asa.ObjectName(Bracket, k, "S", "U", "X"), "[X]") << int(k);
        EXPECT_EQ(pg.ObjectName(Bracket, k, "S", "U", "X"), k == dboField ? "[X]" : "[S].[X]") << int(k);
    }
    EXPECT_EQ(TDialectTraits::Qualified(Bracket, "", "X"), "[X]");
    EXPECT_EQ(TDialectTraits::Qualified(Bracket, "a.b", "X"), "[a.b].[X]");
}

// The owner a name without one belongs to; only the owner-qualified dialect writes it.
TEST(DialectTraitsTest, DefaultOwners) {
    struct Case {
        TDatabaseType db;
        const char* owner;
    };
    const Case cases[] = {{dbMSSQL, "dbo"},   {dbSybaseASE, "dbo"}, {dbSybaseASA, "DBA"}, {dbPostgreSQL, "public"},
                          {dbInterBase, ""},  {dbOracle, ""},       {dbDB2, ""},          {dbMySQL, ""}};
    for (const Case& c : cases) {
        const TDialectTraits& t = DialectTraits(c.db);
        EXPECT_STREQ(t.DefaultOwner, c.owner) << int(c.db);
        EXPECT_EQ(t.TableName(Bracket, "", "", "T"), t.Qualifier == nqOwnUser ? "[DBA].[T]" : "[T]") << int(c.db);
    }
}

TEST(DialectTraitsTest, CaseRulesPerKind) {
    struct Case {
        TDatabaseType db;
        bool keys, columns;
        const char* folded;     // "Orders" stored with case-insensitive identifiers
    };
    const Case cases[] = {
        {dbAbstract, false, false, "Orders"},  {dbInterBase, false, false, "Orders"},
        {dbMySQL, false, false, "Orders"},     {dbOracle, false, false, "Orders"},
        {dbPostgreSQL, false, false, "Orders"}, {dbDB2, false, false, "Orders"},
        {dbSybaseASA, true, false, "Orders"},  {dbSybaseASE, true, false, "Orders"},
        {dbMSSQL, true, true, "ORDERS"},
    };
    for (const Case& c : cases) {
        const TDialectTraits& t = DialectTraits(c.db);
        SCOPED_TRACE(int(c.db));
        EXPECT_EQ(t.CaseInsensitiveKeys, c.keys);
        EXPECT_EQ(t.CaseInsensitiveColumns, c.columns);
        EXPECT_EQ(t.FoldName("Orders", false), c.folded);
        EXPECT_EQ(t.FoldName("Orders", true), "Orders");
    }
}

// The statement list and the export end statements differently: the list renders the
// terminator on its own lines in the server's spelling, the export appends "go" lower-case
// for every Transact-SQL kind. Routines end with their own line where the kind has one.
TEST(DialectTraitsTest, TerminatorsAndComments) {
    struct Case {
        TDatabaseType db;
        const char* statement;
        const char* exported;
        const char* routine;
        const char* comment;
    };
    const Case cases[] = {
        {dbAbstract, ";\r\n", ";", "", "/* x */"},         {dbInterBase, ";\r\n", ";", "^", "/* x */"},
        {dbOracle, ";\r\n", ";", "/", "/* x */"},          {dbPostgreSQL, ";\r\n", ";", "", "/* x */"},
        {dbMSSQL, "\r\nGO\r\n", "\r\ngo", "", "/* x */"},  {dbSybaseASE, "\r\ngo\r\n", "\r\ngo", "", "/* x */"},
        {dbSybaseASA, "\r\ngo\r\n", "\r\ngo", "", "% x"},  {dbMSAccess, ";\r\n", ";", "", "/* x */"},
    };
    for (const Case& c : cases) {
        const TDialectTraits& t = DialectTraits(c.db);
        SCOPED_TRACE(int(c.db));
        EXPECT_STREQ(t.StatementTerm, c.statement);
        EXPECT_EQ(GenScriptTerm(c.db), c.statement);
        EXPECT_STREQ(t.ExportTerm, c.exported);
        EXPECT_STREQ(t.RoutineTerm, c.routine);
        EXPECT_EQ(t.Comment("x"), c.comment);
    }
}

// Warnings quote names and types: a "*/" in them must not end the comment, and every line of
// a line-comment dialect must stay a comment.
TEST(DialectTraitsTest, SafeCommentsKeepFreeTextInside) {
    struct Case {
        TDatabaseType db;
        const char* text;
        const char* comment;
    };
    const Case cases[] = {
        {dbPostgreSQL, "column \"a*/drop table t;/*\" narrowed", "/* column \"a* /drop table t;/ *\" narrowed */"},
        {dbMySQL, "ends in *", "/* ends in * */"},
        {dbMySQL, "*/*/", "/* * / * / */"},
        {dbInterBase, "WARNING:\r\nCannot convert", "/* WARNING:\r\nCannot convert */"},
        {dbSybaseASA, "WARNING:\r\nCannot convert", "% WARNING:\r\n% Cannot convert"},
        {dbSybaseASA, "a */ b", "% a */ b"},
    };
    for (const Case& c : cases) EXPECT_EQ(DialectTraits(c.db).SafeComment(c.text), c.comment) << c.text;
}

TEST(DialectTraitsTest, ViewLayoutFolding) {
    struct Case {
        const char* text;
        const char* folded;
    };
    const Case cases[] = {
        {"select a\r\nfrom t", "select a from t"},
        {"select a\nfrom t", "select a from t"},
        {"select a\rfrom t", "select a from t"},
        {"select  a \r\n\r\n  from   t", "select a from t"},
        {"select 'a  b'", "select 'a b'"},  // blanks are folded inside literals too
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FoldViewLayout(c.text), c.folded) << c.text;
    EXPECT_EQ(DialectTraits(dbPostgreSQL).ViewCompareText("a\r\n  b"), "a b");
    for (TDatabaseType db : {dbInterBase, dbMSSQL, dbOracle, dbMySQL, dbDB2})
        EXPECT_EQ(DialectTraits(db).ViewCompareText("a\r\n  b"), "a\r\n  b") << int(db);
}

TEST(DialectTraitsTest, KindOutOfRangeGetsPlainTraits) {
    const TDialectTraits& t = DialectTraits(static_cast<TDatabaseType>(200));
    EXPECT_EQ(t.DatabaseType, dbAbstract);
    EXPECT_STREQ(t.StatementTerm, ";\r\n");
}

}  // namespace
}  // namespace dbtwin
