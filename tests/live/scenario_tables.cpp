// Tables and columns: tables kept, added and dropped; columns added, dropped, moved, widened,
// retyped, with defaults and nullability changed, collations changed, computed columns whose
// inputs change, a temporary table; rows in the target that must survive.
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvComp_Tbl.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

struct Col {
    std::string name;
    TDBFieldType type = iftInteger;
    std::int32_t length = 0;  // characters, or precision of NUMERIC
    bool notNull = false;
    std::string def;
    std::string collation;
    std::string computed;  // expression of a computed column, with its parentheses
    std::int32_t scale = 0;
};

Col C(std::string name, TDBFieldType type = iftInteger, std::int32_t length = 0) {
    Col c;
    c.name = std::move(name);
    c.type = type;
    c.length = length;
    return c;
}
Col NotNull(Col c) { c.notNull = true; return c; }
Col Default(Col c, std::string def) { c.def = std::move(def); return c; }
Col Collate(Col c, std::string collation) { c.collation = std::move(collation); return c; }
Col Numeric(std::string name, std::int32_t precision, std::int32_t scale) {
    Col c = C(std::move(name), iftNumeric, precision);
    c.scale = scale;
    return c;
}

struct Ctx {
    TCustomObjs& o;
    TDatabaseType db;
    bool master;
    // Firebird keeps unquoted names upper-case, the others lower-case.
    std::string N(const std::string& name) const {
        const bool quoted = name.find_first_of(" abcdefghijklmnopqrstuvwxyz") != std::string::npos &&
                            UpperCase(name) != name;
        if (quoted) return name;
        return ServerName(name, db);
    }
    TTblData* Table(const std::string& name, const std::vector<Col>& cols) {
        auto* t = new TTblData(&o);
        t->SetObjName(N(name));
        for (const Col& c : cols) {
            TFldData* f = t->AddFld(N(c.name));
            f->FieldType = c.type;
            if (c.type == iftNumeric) {
                f->Precision = c.length;
                f->Scale = c.scale;
                if (db == dbInterBase) f->NumericFieldType = c.length > 9 ? iftBigInt : iftInteger;
            } else {
                f->CharLength = c.length;
            }
            f->Nullable = !c.notNull;
            f->SetDefValue(c.def);
            f->EditRare().Collation = c.collation;
            f->fBody = c.computed;
        }
        o.AddObj(t);
        return t;
    }
};

// The collation a column changes to, per server.
std::string OtherCollation(TDatabaseType db) { return db == dbPostgreSQL ? "C" : "utf8mb4_bin"; }

Col Computed(std::string name, std::string expr) {
    Col c = C(std::move(name));
    c.computed = "(" + expr + ")";
    return c;
}

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    Ctx x{o, db, m};
    const auto v = [](const char* n, int len) { return C(n, iftVarchar, len); };
    // 1. unchanged, with rows
    x.Table("T_KEEP", {NotNull(C("ID")), v("NAME", 20)});
    // 2. new and 3. dropped table
    if (m) x.Table("T_NEW", {C("X"), v("Y", 10)});
    else x.Table("T_GONE", {C("Z")});
    // 4. column added and 5. column dropped, with rows
    if (m) x.Table("T_COLS", {NotNull(C("ID")), v("NAME", 20), C("ADDED")});
    else x.Table("T_COLS", {NotNull(C("ID")), v("NAME", 20), C("OLD")});
    // 6. VARCHAR widened, with rows
    x.Table("T_WIDEN", {C("ID"), v("W", m ? 40 : 20)});
    // 7. INTEGER to BIGINT, with rows
    x.Table("T_BIG", {C("ID"), C("B", m ? iftBigInt : iftInteger)});
    // 8. NUMERIC precision raised, with rows
    x.Table("T_NUM", {C("ID"), Numeric("AMOUNT", m ? 15 : 9, 2)});
    // 9. default added, 10. changed, 11. dropped
    x.Table("T_DEF", {C("ID"), m ? Default(C("D_ADD"), "7") : C("D_ADD"), Default(C("D_CHG"), m ? "2" : "1"),
                      m ? C("D_DROP") : Default(C("D_DROP"), "3")});
    // 12. NOT NULL dropped and 13. set (no NULLs in the rows)
    x.Table("T_NULL", {C("ID"), m ? C("N_DROP") : NotNull(C("N_DROP")), m ? NotNull(C("N_SET")) : C("N_SET")});
    // 14. collation changed (Firebird 3 cannot change the collation of a column)
    if (db != dbInterBase)
        x.Table("T_COLL", {C("ID"), m ? Collate(v("S", 10), OtherCollation(db)) : v("S", 10)});
    // 15. computed column whose inputs change (the type texts of the other kinds have no
    // generated-column clause)
    if (db == dbInterBase) x.Table("T_COMP", {C("A"), C("B"), Computed("S", m ? "A * B" : "A + B")});
    // 20. a type changed to a wider kind: VARCHAR to TEXT / BLOB SUB_TYPE TEXT is not
    // possible on Firebird; SMALLINT to INTEGER is
    x.Table("T_SMALL", {C("ID"), C("S", m ? iftInteger : iftSmallInt)});
    // 16. names that need quoting
    x.Table("Mixed Case", {C("ID"), m ? C("select") : C("from")});
    // 17. columns moved, with rows (PostgreSQL cannot reorder the columns of a table)
    if (db != dbPostgreSQL) {
        if (m) x.Table("T_MOVE", {C("B"), v("C", 5), C("A")});
        else x.Table("T_MOVE", {C("A"), C("B"), v("C", 5)});
    }
    // 18. a temporary table (Firebird: global temporary, rows deleted on commit)
    if (db == dbInterBase) {
        TTblData* t = x.Table("T_TEMP", {C("ID"), v("TXT", m ? 30 : 10)});
        t->GlobalTemporary = true;
        // 21. a table that becomes temporary is dropped and created again
        TTblData* u = x.Table("T_TO_TEMP", {C("ID"), v("TXT", 10)});
        u->GlobalTemporary = m;
        if (m) u->TblOnCommit = tocPreserve;
    }
    // 19. NOT NULL column with a default added to a table with rows
    if (m) x.Table("T_FILL", {C("ID"), NotNull(Default(C("F"), "5"))});
    else x.Table("T_FILL", {C("ID")});
}


TSqlLines Rows(TDatabaseType db) {
    TSqlLines r = {
        "INSERT INTO T_KEEP (ID, NAME) VALUES (1, 'kept');",
        "INSERT INTO T_COLS (ID, NAME, OLD) VALUES (1, 'one', 9);",
        "INSERT INTO T_WIDEN (ID, W) VALUES (1, 'twenty characters..');",
        "INSERT INTO T_BIG (ID, B) VALUES (1, 2147483647);",
        "INSERT INTO T_NUM (ID, AMOUNT) VALUES (1, 1234567.89);",
        "INSERT INTO T_NULL (ID, N_DROP, N_SET) VALUES (1, 1, 2);",
        "INSERT INTO T_FILL (ID) VALUES (1);",
        "INSERT INTO T_SMALL (ID, S) VALUES (1, 32767);",
    };
    if (db != dbPostgreSQL) r.push_back("INSERT INTO T_MOVE (A, B, C) VALUES (1, 2, 'c');");
    if (db == dbInterBase) r.push_back("COMMIT;");
    return FoldForServer(r, db);
}

TSqlLines Checks(TDatabaseType db) {
    TSqlLines r = {
        "SELECT COUNT(*) FROM T_KEEP WHERE ID = 1 AND NAME = 'kept'",
        "SELECT COUNT(*) FROM T_COLS WHERE ID = 1 AND NAME = 'one' AND ADDED IS NULL",
        "SELECT COUNT(*) FROM T_WIDEN WHERE ID = 1 AND W = 'twenty characters..'",
        "SELECT COUNT(*) FROM T_BIG WHERE B = 2147483647",
        "SELECT COUNT(*) FROM T_NUM WHERE AMOUNT = 1234567.89",
        "SELECT COUNT(*) FROM T_NULL WHERE N_DROP = 1 AND N_SET = 2",
        "SELECT COUNT(*) FROM T_FILL WHERE ID = 1 AND F = 5",
        "SELECT COUNT(*) FROM T_SMALL WHERE S = 32767",
    };
    if (db != dbPostgreSQL) r.push_back("SELECT COUNT(*) FROM T_MOVE WHERE A = 1 AND B = 2 AND C = 'c'");
    return FoldForServer(r, db);
}

const LiveScenarioRegistrar reg({"tables", Fill, nullptr, Rows, Checks});

}  // namespace
}  // namespace dbtwin::live
