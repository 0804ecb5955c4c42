// The PostgreSQL statement reader: where statements end, what each is, and the errors of
// text that never closes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "support/statement_reader.h"
#include "parse/krvPGSQLParser.h"

using namespace dbtwin;

namespace {

using test::ReadStatements;
using test::TReportedStatement;

struct TParsed : test::TReadScript {
    std::vector<std::string> searchPath;
};

TParsed Parse(const std::string& aScript) {
    TPGSQLParser p;
    TParsed r;
    static_cast<test::TReadScript&>(r) = ReadStatements(aScript, &p);
    r.searchPath = p.SearchPath;
    return r;
}

std::vector<std::string> Texts(const TParsed& r) { return r.Texts(); }

TEST(PGSQLParser, StatementsEndWherePsqlEndsThem) {
    struct Case {
        const char* script;
        std::vector<std::string> texts;
    } cases[] = {
        {"CREATE FUNCTION f(a int, b int) RETURNS int LANGUAGE sql AS $_$SELECT $1 + $2; $_$;\nSELECT 1;",
         {"CREATE FUNCTION f(a int, b int) RETURNS int LANGUAGE sql AS $_$SELECT $1 + $2; $_$", "SELECT 1"}},
        {"CREATE FUNCTION public.g(a integer) RETURNS integer\n    LANGUAGE sql\n    BEGIN ATOMIC\n SELECT CASE WHEN ($1 > 0) "
         "THEN 1 ELSE 0 END;\n SELECT ($1 + 1);\nEND;\nCREATE TABLE t (a int);",
         {"CREATE FUNCTION public.g(a integer) RETURNS integer\r\n    LANGUAGE sql\r\n    BEGIN ATOMIC\r\n SELECT CASE WHEN "
          "($1 > 0) THEN 1 ELSE 0 END;\r\n SELECT ($1 + 1);\r\nEND",
          "CREATE TABLE t (a int)"}},
        {"INSERT INTO t VALUES (E'It\\'s; fine');\nINSERT INTO t VALUES ('a''b;c');",
         {"INSERT INTO t VALUES (E'It\\'s; fine')", "INSERT INTO t VALUES ('a''b;c')"}},
        {"DO $body$ BEGIN RAISE NOTICE 'x;y'; END $body$;", {"DO $body$ BEGIN RAISE NOTICE 'x;y'; END $body$"}},
        {"/* a /* nested; */ still; */ CREATE TABLE a (x int);", {"CREATE TABLE a (x int)"}},
        {"\\restrict abc123\nCREATE TABLE b (x int);\n\\unrestrict abc123\n", {"CREATE TABLE b (x int)"}},
        {"/*\nCREATE TABLE old (x int);\n*/\nCREATE TABLE new (x int);", {"CREATE TABLE new (x int)"}},
        {"CREATE VIEW v AS SELECT CASE WHEN a > 0 THEN 1 END AS c FROM t;\nCREATE TABLE c (x int)",
         {"CREATE VIEW v AS SELECT CASE WHEN a > 0 THEN 1 END AS c FROM t", "CREATE TABLE c (x int)"}},
        {"COPY t (a) FROM stdin;\n1\n2;3\n\\.\nCREATE TABLE d (x int);", {"CREATE TABLE d (x int)"}},
        {"CREATE TABLE \"Semi;colon\" (\"a;b\" int);", {"CREATE TABLE \"Semi;colon\" (\"a;b\" int)"}},
    };
    for (const Case& c : cases) {
        const TParsed r = Parse(c.script);
        EXPECT_TRUE(r.errors.empty()) << c.script << "\n" << (r.errors.empty() ? "" : r.errors[0]);
        EXPECT_EQ(Texts(r), c.texts) << c.script;
    }
}

TEST(PGSQLParser, EachStatementIsToldByKindObjectAndOperation) {
    const TParsed r = Parse(
        "SET statement_timeout = 0;\n"
        "SELECT pg_catalog.set_config('search_path', '', false);\n"
        "CREATE SCHEMA \"Sales Dept\";\n"
        "CREATE TABLE \"Sales Dept\".orders (id integer NOT NULL);\n"
        "ALTER TABLE ONLY \"Sales Dept\".orders ADD CONSTRAINT orders_pkey PRIMARY KEY (id);\n"
        "CREATE UNIQUE INDEX ix_o ON \"Sales Dept\".orders USING btree (id);\n"
        "COMMENT ON COLUMN \"Sales Dept\".orders.id IS 'key';\n"
        "CREATE OR REPLACE PROCEDURE p() LANGUAGE plpgsql AS $$ BEGIN END $$;\n"
        "DROP TABLE IF EXISTS s.t;\n"
        "GRANT SELECT ON TABLE s.t TO PUBLIC;\n"
        "INSERT INTO s.t VALUES (1);\n"
        "BEGIN;\nCOMMIT;\n"
        "CREATE MATERIALIZED VIEW mv AS SELECT 1;\n"
        "CREATE TYPE mood AS ENUM ('a', 'b');\n");
    ASSERT_TRUE(r.errors.empty()) << r.errors[0];
    struct Want {
        TStatType typ;
        TDbObject kind;
        TDbOperation op;
        const char* name;
        int line;
    } want[] = {
        {stSet, dboUnknown, odbSet, "", 1},
        {stSelect, dboUnknown, odbUnknown, "", 2},
        {stStatement, dboSchema, odbCreate, "\"Sales Dept\"", 3},
        {stStatement, dboTable, odbCreate, "\"Sales Dept\".orders", 4},
        {stStatement, dboTable, odbAlter, "\"Sales Dept\".orders", 5},
        {stStatement, dboIndex, odbCreate, "ix_o", 6},
        {stDescription, dboField, odbDescription, "\"Sales Dept\".orders.id", 7},
        {stStatement, dboProcedure, odbCreate, "p", 8},
        {stStatement, dboTable, odbDrop, "s.t", 9},
        {stStatement, dboGrant, odbCreate, "", 10},
        {stInsert, dboTable, odbInsert, "s.t", 11},
        {st_Commit, dboUnknown, odbUnknown, "BEGIN", 12},
        {st_Commit, dboUnknown, odbCommit, "COMMIT", 13},
        {stStatement, dboView, odbCreate, "mv", 14},
        {stStatement, dboUnknown, odbCreate, "mood", 15},
    };
    ASSERT_EQ(r.statements.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        const TReportedStatement& s = r.statements[i];
        EXPECT_EQ(s.typ, want[i].typ) << s.text;
        EXPECT_EQ(s.kind, want[i].kind) << s.text;
        EXPECT_EQ(s.op, want[i].op) << s.text;
        EXPECT_EQ(s.name, want[i].name) << s.text;
        EXPECT_EQ(s.line, want[i].line) << s.text;
    }
    EXPECT_TRUE(r.searchPath.empty());
}

TEST(PGSQLParser, SearchPathFollowsTheScript) {
    EXPECT_EQ(Parse("SET search_path TO \"Sales Dept\", public;").searchPath,
              (std::vector<std::string>{"Sales Dept", "public"}));
    EXPECT_EQ(Parse("SET search_path = s1;").searchPath, std::vector<std::string>{"s1"});
    EXPECT_EQ(Parse("CREATE TABLE t (a int);").searchPath, std::vector<std::string>{"public"});
}

TEST(PGSQLParser, TextThatNeverClosesIsOneErrorAtItsStart) {
    struct Case {
        const char* script;
        const char* error;
    } cases[] = {
        {"CREATE TABLE a (x int);\nCREATE FUNCTION f() RETURNS int AS $x$ SELECT 1;\nCREATE TABLE b (x int);",
         "2:Unterminated dollar-quoted string $x$"},
        {"SELECT 1;\nSELECT 'abc;\n", "2:Unterminated quoted string"},
        {"SELECT 1;\n  /* open\n", "2:Unterminated /* comment"},
        {"CREATE TABLE \"open (x int);", "1:Unterminated quoted identifier"},
    };
    for (const Case& c : cases) {
        const TParsed r = Parse(c.script);
        ASSERT_EQ(r.errors.size(), 1u) << c.script;
        EXPECT_EQ(r.errors[0], c.error) << c.script;
    }
    // The statements before the open text stand; nothing after it is made up.
    EXPECT_EQ(Texts(Parse("CREATE TABLE a (x int);\nSELECT $q$ never closed;\nCREATE TABLE b (x int);")),
              std::vector<std::string>{"CREATE TABLE a (x int)"});
}

TEST(PGSQLParser, TheLastStatementMayEndWithoutItsSemicolon) {
    EXPECT_EQ(Texts(Parse("CREATE TABLE a (x int);\nSELECT 2")),
              (std::vector<std::string>{"CREATE TABLE a (x int)", "SELECT 2"}));
    const TParsed copy = Parse("COPY t FROM stdin;\n1\n\\.\n");
    EXPECT_TRUE(copy.statements.empty());
    EXPECT_EQ(copy.warnings.size(), 1u);
}

}  // namespace
