// The Firebird body reader: the links PSQL, view, check, computed and index bodies make,
// body ends in scripts without SET TERM, errors inside bodies, nesting and speed limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "objects/krvCompObj.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "parse/krvIBExParser.h"

namespace dbtwin {
namespace {

struct TRun {
    TObjs objs;
    TIbExParser p;
    std::vector<std::string> stmts;

    TRun() {
        objs.SetDatabaseType(dbInterBase);
        objs.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
        objs.fIBServerOptions.SetSQLDialect(static_cast<TIBSQLDialectType>(3));
        p.OnAddStatement = [this](TObject*, const std::string&, TStatType, const std::string& aName, TDbObject,
                                  TDbOperation, const std::string&, TStatement*&) { stmts.push_back(aName); };
        p.OnErrorMessage = [](TObject*, const std::string&) {};
    }
    TRun& Parse(const std::string& aText, const std::string& aFile = std::string()) {
        p.SetScriptFileName(aFile);
        p.ParseScript({aText}, &objs);
        p.Link_Depend();
        return *this;
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> r;
        const TMsgManager& m = p.GetMsgMngr();
        for (std::size_t i = 0; i < m.Count(); ++i)
            if (m.Get(i).MsgType == mt_Err)
                r.push_back(m.Get(i).Msg + " @" + std::to_string(m.Get(i).PosY) + ":" + std::to_string(m.Get(i).PosX));
        return r;
    }
    // "USED" or "TABLE.COLUMN" for each link of aUser.
    static std::set<std::string> Links(const TDbObj* aUser) {
        std::set<std::string> r;
        if (!aUser) return r;
        for (const auto& l : aUser->fUseOf) {
            const TDbObj* used = l->Obj;
            if (const auto* f = dynamic_cast<const TFldData*>(used); f && f->GetOwnerObj())
                r.insert(f->GetOwnerObj()->fObjName + "." + f->fObjName);
            else
                r.insert(used->fObjName + (l->ObjField.empty() ? "" : "." + l->ObjField));
        }
        return r;
    }
    std::set<std::string> LinksOf(const std::string& aName) const {
        if (const TDbObj* o = objs.Prc.Find(aName)) return Links(o);
        if (const TDbObj* o = objs.Trg.Find(aName)) return Links(o);
        if (const TDbObj* o = objs.Viw.Find(aName)) return Links(o);
        if (const TDbObj* o = objs.Ctr.Find(aName)) return Links(o);
        if (const TDbObj* o = objs.Dmn.Find(aName)) return Links(o);
        if (const TDbObj* o = objs.Idx.Find(aName)) return Links(o);
        return {{"<no object " + aName + ">"}};
    }
};

using S = std::set<std::string>;

const std::string kTables =
    "SET SQL DIALECT 3;\n"
    "CREATE GENERATOR G1;\n"
    "CREATE EXCEPTION E_BAD 'bad';\n"
    "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL, NAME VARCHAR(40), PRICE NUMERIC(18,2), X INTEGER);\n"
    "CREATE TABLE ORDERS (ID INTEGER NOT NULL, CUST INTEGER, AMOUNT NUMERIC(18,2), NOTE VARCHAR(20));\n"
    "CREATE TABLE T2 (Y INTEGER, Z INTEGER);\n"
    "CREATE TABLE LOG (MSG VARCHAR(100), AT TIMESTAMP);\n";

TEST(TIbExParserTest, BodiesLinkWhatTheyName) {
    struct Case {
        const char* name;
        const char* script;  // after kTables; SET TERM ^ is in force
        const char* object;
        S links;
    } cases[] = {
        {"a view's alias and column", "CREATE VIEW V1 (X) AS SELECT A.X FROM CUSTOMER A^", "V1",
         S{"CUSTOMER", "CUSTOMER.X"}},
        {"a column only the second table has",
         "CREATE PROCEDURE P1 RETURNS (R INTEGER) AS BEGIN SELECT Y FROM CUSTOMER, T2 INTO :R; END^", "P1",
         S{"CUSTOMER", "T2", "T2.Y"}},
        {"a local variable links nothing; a name outside a query names a generator",
         "CREATE PROCEDURE P2 AS DECLARE VARIABLE V INTEGER; BEGIN V = G1 + V; END^", "P2", S{"G1"}},
        {"parameters do not hide columns in a query; :names are variables",
         "CREATE PROCEDURE P3 (ID INTEGER) RETURNS (PRICE NUMERIC(18,2)) AS BEGIN\n"
         "  SELECT PRICE FROM CUSTOMER WHERE ID = :ID INTO :PRICE;\nEND^",
         "P3", S{"CUSTOMER", "CUSTOMER.PRICE", "CUSTOMER.ID"}},
        {"FOR SELECT into a variable",
         "CREATE PROCEDURE P4 AS DECLARE V INTEGER; BEGIN FOR SELECT O.AMOUNT FROM ORDERS O INTO :V DO V = V + 1; END^",
         "P4", S{"ORDERS", "ORDERS.AMOUNT"}},
        {"a trigger writes NEW columns of its table and a generator",
         "CREATE TRIGGER TR1 FOR CUSTOMER ACTIVE BEFORE INSERT POSITION 0 AS BEGIN\n"
         "  NEW.ID = GEN_ID(G1, 1); IF (NEW.PRICE < 0) THEN EXCEPTION E_BAD; END^",
         "TR1", S{"CUSTOMER", "CUSTOMER.ID", "CUSTOMER.PRICE", "G1", "E_BAD"}},
        {"a trigger that writes to another table",
         "CREATE TRIGGER TR2 FOR ORDERS AFTER DELETE AS BEGIN INSERT INTO LOG (MSG, AT) VALUES (OLD.NOTE, "
         "CURRENT_TIMESTAMP); END^",
         "TR2", S{"ORDERS", "ORDERS.NOTE", "LOG", "LOG.MSG", "LOG.AT"}},
        {"UPDATE, DELETE and a procedure called",
         "CREATE PROCEDURE P2 AS BEGIN END^\nCREATE PROCEDURE P5 (K INTEGER) AS BEGIN UPDATE ORDERS SET AMOUNT = AMOUNT * 2 WHERE CUST = :K;\n"
         "  DELETE FROM T2 WHERE Z = :K; EXECUTE PROCEDURE P2; END^",
         "P5", S{"ORDERS", "ORDERS.AMOUNT", "ORDERS.CUST", "T2", "T2.Z", "P2"}},
        {"correlated subquery in the select list, before its FROM",
         "CREATE VIEW V2 (N, C) AS SELECT C.NAME, (SELECT COUNT(*) FROM ORDERS O WHERE O.CUST = C.ID) FROM CUSTOMER C^",
         "V2", S{"CUSTOMER", "CUSTOMER.NAME", "CUSTOMER.ID", "ORDERS", "ORDERS.CUST"}},
        {"derived table and common table expression names are not objects",
         "CREATE VIEW V3 (A) AS WITH W AS (SELECT ID AS K FROM ORDERS) SELECT D.K FROM (SELECT K FROM W) D^", "V3",
         S{"ORDERS", "ORDERS.ID"}},
        {"cursors, CONTINUE, window functions, EXECUTE STATEMENT",
         "CREATE PROCEDURE P6 RETURNS (S NUMERIC(18,2)) AS DECLARE X INTEGER; BEGIN\n"
         "  FOR SELECT ID, LAG(AMOUNT) OVER (ORDER BY ID) FROM ORDERS INTO :X, :S AS CURSOR C DO BEGIN\n"
         "    IF (X = 0) THEN CONTINUE; UPDATE ORDERS SET NOTE = 'x' WHERE CURRENT OF C;\n"
         "  END\n  EXECUTE STATEMENT 'SELECT 1 FROM RDB$DATABASE' INTO :X;\n"
         "  WHEN ANY DO EXCEPTION E_BAD 'failed: ' || SQLCODE;\nEND^",
         "P6", S{"ORDERS", "ORDERS.ID", "ORDERS.AMOUNT", "ORDERS.NOTE", "E_BAD"}},
        {"a check links its table's columns",
         "ALTER TABLE ORDERS ADD CONSTRAINT CHK_AMOUNT CHECK (AMOUNT > 0 AND NOTE IS NOT NULL)^", "CHK_AMOUNT",
         S{"ORDERS", "ORDERS.AMOUNT", "ORDERS.NOTE"}},
        {"a domain check with a subquery",
         "CREATE DOMAIN D_CUST AS INTEGER CHECK (VALUE IN (SELECT ID FROM CUSTOMER))^", "D_CUST",
         S{"CUSTOMER", "CUSTOMER.ID"}},
        {"an expression index",
         "CREATE INDEX IX_UP ON CUSTOMER COMPUTED BY (UPPER(NAME))^", "IX_UP", S{"CUSTOMER", "CUSTOMER.NAME"}},
        {"MERGE and UPDATE OR INSERT",
         "CREATE PROCEDURE P7 AS BEGIN MERGE INTO T2 T USING ORDERS O ON T.Y = O.ID\n"
         "  WHEN MATCHED THEN UPDATE SET Z = O.CUST WHEN NOT MATCHED THEN INSERT (Y) VALUES (O.ID);\n"
         "  UPDATE OR INSERT INTO LOG (MSG) VALUES ('m') MATCHING (MSG); END^",
         "P7", S{"T2", "T2.Y", "T2.Z", "ORDERS", "ORDERS.ID", "ORDERS.CUST", "LOG", "LOG.MSG"}},
        {"built-in functions with keyword arguments",
         "CREATE PROCEDURE P8 RETURNS (R VARCHAR(100)) AS BEGIN\n"
         "  SELECT SUBSTRING(NAME FROM 1 FOR 2) || TRIM(LEADING 'x' FROM NAME) || EXTRACT(YEAR FROM AT)\n"
         "    || DATEADD(1 DAY TO AT) || DATEDIFF(DAY FROM AT TO CURRENT_DATE) || POSITION('a' IN NAME)\n"
         "    || CAST(PRICE AS VARCHAR(20)) || NEXT VALUE FOR G1 || CASE WHEN X > 1 THEN 'a' ELSE 'b' END\n"
         "  FROM CUSTOMER, LOG ROWS 1 INTO :R; END^",
         "P8", S{"CUSTOMER", "CUSTOMER.NAME", "CUSTOMER.PRICE", "CUSTOMER.X", "LOG", "LOG.AT", "G1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRun r;
        r.Parse(kTables + "SET TERM ^ ;\n" + c.script + "\nSET TERM ; ^\n");
        EXPECT_EQ(r.Errors(), std::vector<std::string>{});
        EXPECT_EQ(r.LinksOf(c.object), c.links);
    }
}

std::string ReadFile(const std::string& aPath) {
    std::ifstream in(aPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Real scripts: the server's own extracts and the bundled example read without a message.
TEST(TIbExParserTest, RealScriptsReadWithoutMessages) {
    const std::string fixtures = DBTWIN_FIXTURES_DIR;
    const std::string examples = fixtures + "/../../examples/firebird/";
    for (const std::string& file : {fixtures + "/firebird_extract/rich.sql", fixtures + "/firebird_extract/odd.sql",
                                    examples + "master.sql", examples + "target.sql"}) {
        SCOPED_TRACE(file);
        TRun r;
        r.objs.fIBServerOptions.SetSQLDialect(static_cast<TIBSQLDialectType>(1));
        r.Parse(ReadFile(file), file);
        EXPECT_EQ(r.Errors(), std::vector<std::string>{});
    }
}

// Without SET TERM a PSQL body holds ";": it is read to the END of its outer block, the
// statements inside are not reported, and the stored body is the text as written.
TEST(TIbExParserTest, BodyEndsAtItsBlockInScriptsWithoutSetTerm) {
    const std::string body =
        "DECLARE X INTEGER;\n"
        "  DECLARE PROCEDURE SUB AS BEGIN DELETE FROM T2; END\n"
        "BEGIN\n"
        "  FOR SELECT ID FROM ORDERS INTO :X AS CURSOR C DO\n"
        "  BEGIN\n"
        "    IF (X = 1) THEN CONTINUE;\n"
        "    X = CASE WHEN X > 2 THEN 1 ELSE 0 END;\n"
        "  END\n"
        "  DELETE FROM T2 WHERE Y = 'END;BEGIN';\n"
        "END";
    TRun r;
    r.Parse(kTables + "CREATE PROCEDURE P AS\n" + body + ";\nCREATE TABLE AFTER_P (A INTEGER);\n");
    EXPECT_EQ(r.Errors(), std::vector<std::string>{});
    const std::vector<std::string> expected{"3", "G1", "E_BAD", "CUSTOMER", "ORDERS", "T2", "LOG", "P", "AFTER_P"};
    EXPECT_EQ(r.stmts, expected);
    ASSERT_NE(r.objs.Prc.Find("P"), nullptr);
    std::string stored = r.objs.Prc.Find("P")->GetBody();
    stored.erase(std::remove(stored.begin(), stored.end(), '\r'), stored.end());
    EXPECT_EQ(stored, body);
    EXPECT_EQ(r.LinksOf("P"), (S{"ORDERS", "ORDERS.ID", "T2", "T2.Y"}));
}

// Errors inside a body name the object and point into the script; they stop only that
// body: the bodies after it are read in full.
TEST(TIbExParserTest, BodyErrorsNameTheObjectAndStayInTheirBody) {
    TRun r;
    r.Parse(kTables +
                "SET TERM ^ ;\n"
                "CREATE PROCEDURE P AS\nBEGIN\n  NEW.PRICE = 1;\nEND^\n"
                "CREATE VIEW V (A) AS SELECT X FROM CUSTOMER WHERE X IS 5^\n"
                "CREATE PROCEDURE Q RETURNS (R INTEGER) AS BEGIN SELECT AMOUNT FROM ORDERS INTO :R; END^\n",
            "s.sql");
    // Views are read before routines.
    const std::vector<std::string> expected{
        "View V: Must be: NULL/DISTINCT FROM. @13:56",
        "Procedure P: NEW./OLD. context variable is not into trigger body. @11:3"};
    EXPECT_EQ(r.Errors(), expected);
    const TMsgManager& m = r.p.GetMsgMngr();
    for (std::size_t i = 0; i < m.Count(); ++i) EXPECT_EQ(m.Get(i).FileName, "s.sql");
    EXPECT_EQ(r.LinksOf("Q"), (S{"ORDERS", "ORDERS.AMOUNT"}));
    EXPECT_EQ(r.LinksOf("V"), (S{"CUSTOMER"}));
}

TEST(TIbExParserTest, BodiesOfOtherKindsAndNoObject) {
    TRun r;
    r.Parse(kTables + "CREATE ROLE R1;\n");
    ASSERT_EQ(r.objs.Rol.Count(), 1u);
    r.p.ParseObjBody(*r.objs.Rol.begin());
    r.p.ParseObjBody(nullptr);
    const TMsgManager& m = r.p.GetMsgMngr();
    ASSERT_EQ(m.Count(), 2u);
    EXPECT_EQ(m.Get(0).Msg, "Body parsing for DB-Obj: (TRolData) not implemented.");
    EXPECT_EQ(m.Get(1).Msg, "Expression / body parsing not implemented.");
}

// Deep nesting is an error, never a stack overflow; nested queries are each read once, so
// 30 nested derived tables read at once.
TEST(TIbExParserTest, NestingIsBoundedAndLinear) {
    {
        TRun r;
        r.Parse(kTables + "CREATE VIEW V (A) AS SELECT " + std::string(100000, '(') + "1" +
                std::string(100000, ')') + " FROM CUSTOMER;\n");
        ASSERT_EQ(r.Errors().size(), 1u);
        EXPECT_NE(r.Errors()[0].find("View V: Body nested too deeply"), std::string::npos) << r.Errors()[0];
    }
    {
        std::string q = "SELECT ID FROM CUSTOMER";
        for (int i = 0; i < 30; ++i) q = "SELECT ID FROM (" + q + ") D" + std::to_string(i);
        TRun r;
        r.Parse(kTables + "CREATE VIEW V (A) AS " + q + ";\n");
        EXPECT_EQ(r.Errors(), std::vector<std::string>{});
        EXPECT_EQ(r.LinksOf("V"), (S{"CUSTOMER", "CUSTOMER.ID"}));
    }
}

// An error in one file leaves the links of the next as when it is read alone.
TEST(TIbExParserTest, AnErrorInOneScriptLeavesTheNextsLinks) {
    const std::string second =
        "SET TERM ^ ;\nCREATE PROCEDURE Q RETURNS (R INTEGER) AS BEGIN SELECT AMOUNT FROM ORDERS INTO :R; END^\n";
    TRun alone;
    alone.Parse(kTables + second);
    TRun both;
    both.p.ParseScript({kTables + "CREATE TABLE BROKEN (A INTEGER;\n"}, &both.objs);
    both.p.ParseScript({second}, &both.objs);
    both.p.Link_Depend();
    EXPECT_FALSE(both.Errors().empty());
    EXPECT_EQ(both.LinksOf("Q"), alone.LinksOf("Q"));
    EXPECT_EQ(both.LinksOf("Q"), (S{"ORDERS", "ORDERS.AMOUNT"}));
}

}  // namespace
}  // namespace dbtwin
