// The MySQL/MariaDB statement reader: where statements end (DELIMITER, strings with
// backslashes, version comments), what each is, and the errors of text that never closes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "support/statement_reader.h"
#include "parse/krvMySQLParser.h"

using namespace dbtwin;

namespace {

using test::TReportedStatement;
using TParsed = test::TReadScript;

TParsed Parse(const std::string& aScript) { return test::ReadStatements<TMySQLParser>(aScript); }

std::vector<std::string> Texts(const TParsed& r) { return r.Texts(); }

TEST(MySQLParser, StatementsEndWhereTheClientEndsThem) {
    struct Case {
        const char* script;
        std::vector<std::string> texts;
    } cases[] = {
        {"INSERT INTO t VALUES ('it\\'s; ok', \"a\"\"b;\");\nSELECT 1;",
         {"INSERT INTO t VALUES ('it\\'s; ok', \"a\"\"b;\")", "SELECT 1"}},
        {"DELIMITER ;;\nCREATE PROCEDURE p()\nBEGIN\n  SELECT 1;\n  SELECT ';;' ;\nEND ;;\nDELIMITER ;\nSELECT 2;",
         {"CREATE PROCEDURE p()\r\nBEGIN\r\n  SELECT 1;\r\n  SELECT ';;' ;\r\nEND", "SELECT 2"}},
        {"/*!40101 SET NAMES utf8mb4 */;\n/*!50001 CREATE ALGORITHM=UNDEFINED */\n/*!50001 VIEW `v` AS select 1 AS `a` */;",
         {"/*!40101 SET NAMES utf8mb4 */", "/*!50001 CREATE ALGORITHM=UNDEFINED */\r\n/*!50001 VIEW `v` AS select 1 AS `a` */"}},
        {"-- a comment; with a semicolon\n# another; one\nCREATE TABLE `a;b` (x int) /* c; */;",
         {"CREATE TABLE `a;b` (x int) /* c; */"}},
        {"DELIMITER $$\nCREATE TRIGGER tr BEFORE INSERT ON t FOR EACH ROW SET NEW.x = 1$$\nDELIMITER ;\n",
         {"CREATE TRIGGER tr BEFORE INSERT ON t FOR EACH ROW SET NEW.x = 1"}},
        {"SELECT 1 --not a comment\n;", {"SELECT 1 --not a comment"}},
        {"/*M!999999\\- enable the sandbox mode */ \n/*M!100100 SET @a = 1 */;\nSELECT 4;",
         {"/*M!100100 SET @a = 1 */", "SELECT 4"}},
        {"DELIMITER $$\nCREATE PROCEDURE p() BEGIN SELECT 1; END$$\nDELIMITER ;\nSELECT 3;",
         {"CREATE PROCEDURE p() BEGIN SELECT 1; END", "SELECT 3"}},
    };
    for (const Case& c : cases) {
        const TParsed r = Parse(c.script);
        EXPECT_TRUE(r.errors.empty()) << c.script << "\n" << (r.errors.empty() ? "" : r.errors[0]);
        EXPECT_EQ(Texts(r), c.texts) << c.script;
    }
}

TEST(MySQLParser, EachStatementIsToldByKindObjectAndOperation) {
    const TParsed r = Parse(
        "USE other;\n"
        "CREATE TABLE IF NOT EXISTS `Mixed` (id int);\n"
        "ALTER TABLE `Mixed` ADD COLUMN n int;\n"
        "CREATE UNIQUE INDEX ix ON `Mixed` (n);\n"
        "DROP TABLE IF EXISTS other.old;\n"
        "SET @x = 1;\n"
        "/*!50003 CREATE*/ /*!50017 DEFINER=`root`@`localhost`*/ /*!50003 TRIGGER tr BEFORE INSERT ON t FOR EACH ROW SET @a = 1 */;\n"
        "INSERT IGNORE INTO other.t VALUES (1);\n"
        "GRANT SELECT ON other.* TO 'u'@'%';\n");
    ASSERT_TRUE(r.errors.empty()) << r.errors[0];
    struct Want {
        TStatType typ;
        TDbObject kind;
        TDbOperation op;
        const char* name;
        int line;
    } want[] = {
        {stSet, dboDatabase, odbSet, "other", 1},
        {stStatement, dboTable, odbCreate, "Mixed", 2},
        {stStatement, dboTable, odbAlter, "Mixed", 3},
        {stStatement, dboIndex, odbCreate, "ix", 4},
        {stStatement, dboTable, odbDrop, "other.old", 5},
        {stSet, dboUnknown, odbSet, "", 6},
        {stStatement, dboTrigger, odbCreate, "tr", 7},
        {stInsert, dboTable, odbInsert, "other.t", 8},
        {stStatement, dboGrant, odbCreate, "", 9},
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
    EXPECT_EQ(r.statements[6].text.rfind("/*!50003 CREATE*/", 0), 0u) << r.statements[6].text;
}

TEST(MySQLParser, TextThatNeverClosesIsOneErrorAndNothingAfterIt) {
    struct Case {
        const char* script;
        const char* error;
    } cases[] = {
        {"SELECT 1;\nSELECT 'abc;\nSELECT 2;", "2:Unterminated quoted string"},
        {"SELECT 1;\nCREATE TABLE `open (x int);", "2:Unterminated quoted name"},
        {"SELECT 1;\n/* open\n", "2:Unterminated /* comment"},
    };
    for (const Case& c : cases) {
        const TParsed r = Parse(c.script);
        ASSERT_EQ(r.errors.size(), 1u) << c.script;
        EXPECT_EQ(r.errors[0], c.error) << c.script;
        EXPECT_EQ(Texts(r), std::vector<std::string>{"SELECT 1"}) << c.script;
    }
}

}  // namespace
