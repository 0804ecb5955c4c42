// Indices and constraints: indices kept, added, dropped and changed (columns, uniqueness,
// direction, method, activity, expression, condition); primary keys, unique constraints,
// foreign keys and checks added, dropped and changed; a primary key whose change takes the
// foreign key that references it along; keys on new and dropped tables; a referenced key
// column retyped; rows that must survive.
#include <functional>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Tbl.h"
#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

struct Ctx {
    TCustomObjs& o;
    TDatabaseType db;
    // Firebird keeps unquoted names upper-case, the others lower-case.
    std::string N(const std::string& name) const { return ServerName(name, db); }

    // Columns are INTEGER NOT NULL unless named in nullable.
    TTblData* Table(const std::string& name, const std::vector<std::string>& cols,
                    const std::vector<std::string>& nullable = {}, TDBFieldType idType = iftInteger) {
        auto* t = new TTblData(&o);
        t->SetObjName(N(name));
        for (const std::string& c : cols) {
            TFldData* f = t->AddFld(N(c));
            f->OwnObj = t;
            f->FieldType = c == "ID" ? idType : iftInteger;
            f->Nullable = false;
            for (const std::string& n : nullable)
                if (n == c) f->Nullable = true;
        }
        o.AddObj(t);
        return t;
    }
    TIdxData* Index(const std::string& name, const std::string& table, const std::vector<std::string>& cols,
                    const std::function<void(TIdxData&)>& tweak = nullptr) {
        auto* x = new TIdxData(&o);
        x->SetObjName(N(name));
        x->TblName = N(table);
        for (const std::string& c : cols) {
            const auto blank = c.find(' ');
            TFldData* f = x->AddFld(N(c.substr(0, blank)));
            if (blank != std::string::npos) f->EditRare().IndexSortType = 2;
        }
        if (tweak) tweak(*x);
        o.AddObj(x);
        return x;
    }
    TCtrData* Key(TConstraintType type, const std::string& name, const std::string& table,
                  const std::vector<std::string>& cols, const std::function<void(TCtrData&)>& tweak = nullptr) {
        auto* c = new TCtrData(&o);
        c->SetCtType(type);
        c->SetObjName(N(name));
        c->SetTblName(N(table));
        for (const std::string& f : cols) c->AddFld(N(f));
        if (tweak) tweak(*c);
        o.AddObj(c);
        return c;
    }
    TCtrData* Foreign(const std::string& name, const std::string& table, const std::string& col,
                      const std::string& refTable, const std::string& refCol, TUDAction onDelete = udaNoAction) {
        return Key(ctFKey, name, table, {col}, [&](TCtrData& c) {
            c.SetRefTblName(N(refTable));
            c.AddRefFld(N(refCol));
            c.OnDelete = onDelete;
        });
    }
    TCtrData* Check(const std::string& name, const std::string& table, const std::string& body) {
        return Key(ctCheck, name, table, {}, [&](TCtrData& c) { c.SetBody(db == dbInterBase ? UpperCase(body) : body); });
    }

    void Link() { LinkAsParsersDo(o); }
};

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    Ctx x{o, db};
    const bool fb = db == dbInterBase, pg = db == dbPostgreSQL, my = db == dbMySQL;

    // Tables: P is referenced, C references it; T_IX carries the index cases.
    x.Table("P", {"ID", "CODE", "NAME"}, {"NAME"});
    x.Table("C", {"ID", "PID", "QTY", "REF2", "REF3"}, {"PID", "QTY", "REF2", "REF3"});
    x.Table("T_IX", {"A", "B", "CC", "D", "E"}, {"B", "CC", "D", "E"});
    // Key columns retyped: the keys that use them are dropped first and created again.
    const bool retype = m;
    x.Table("R", {"ID"}, {}, retype ? iftBigInt : iftInteger);
    x.Table("RC", {"ID", "RID"}, {"RID"})->FindFld(x.N("RID"))->FieldType = retype ? iftBigInt : iftInteger;
    if (m) x.Table("T_NEW", {"ID", "PID"}, {"PID"});
    else x.Table("T_GONE", {"ID", "PID"}, {"PID"});

    // MariaDB gives a foreign key without an index on its columns an index of its own, which
    // outlives the key: every referencing column has an index on both sides.
    if (my) {
        x.Index("IX_C_PID", "C", {"PID"});
        x.Index("IX_C_REF2", "C", {"REF2"});
        x.Index("IX_C_REF3", "C", {"REF3"});
        x.Index("IX_RC_RID", "RC", {"RID"});
        x.Index(m ? "IX_NEW_PID" : "IX_GONE_PID", m ? "T_NEW" : "T_GONE", {"PID"});
    }

    // 1. index kept
    x.Index("IX_A_KEEP", "T_IX", {"A"});  // (MariaDB lists indices in creation order: first by name)
    // 2. index added and 3. dropped
    if (m) x.Index("IX_ADD", "T_IX", {"B"});
    else x.Index("IX_DROP", "T_IX", {"CC"});
    // 4. columns changed
    x.Index("IX_COLS", "T_IX", m ? std::vector<std::string>{"D", "E"} : std::vector<std::string>{"D"});
    // 5. uniqueness changed
    x.Index("IX_UNIQ", "T_IX", {"E"}, [m](TIdxData& i) { i.Unique = !m; });
    // 6. direction changed (Firebird orders a whole index)
    if (fb) x.Index("IX_DIR", "T_IX", {"B"}, [m](TIdxData& i) { i.Desc = m; });
    else x.Index("IX_DIR", "T_IX", {m ? "B DESC" : "B"});
    // 7. method changed (Firebird: an index switched off, one switched on)
    if (pg) x.Index("IX_METH", "T_IX", {"CC"}, [m](TIdxData& i) { i.IndexOptions.Using = m ? "hash" : ""; });
    if (my) x.Index("IX_METH", "T_IX", {"CC"}, [m](TIdxData& i) { i.IndexOptions.Using = m ? "HASH" : ""; });
    // (The export writes every index active: the target's IX_ON is switched off by its rows.)
    if (fb) x.Index("IX_ON", "T_IX", {"D", "A"}, [m](TIdxData& i) { i.Active = m; });
    // 8. expression index added (MariaDB has none)
    if (m && fb) x.Index("IX_EXPR", "T_IX", {}, [](TIdxData& i) { i.SetBody("(A + B)"); });
    if (m && pg) x.Index("ix_expr", "t_ix", {}, [](TIdxData& i) { i.SetBody("(a + b)"); });
    // 9. partial index whose condition changes (PostgreSQL)
    if (pg) x.Index("ix_part", "t_ix", {"a"}, [m](TIdxData& i) { i.WhereCond = m ? "(b > 0)" : "(b > 1)"; });
    // 10. index on a new table; 11. index on a dropped table
    x.Index(m ? "IX_NEW" : "IX_GONE", m ? "T_NEW" : "T_GONE", {"ID", "PID"});

    // 12. primary key whose columns change; the foreign key that references P(ID) is dropped
    // with it and comes back after the new unique key
    x.Key(ctPKey, "PK_P", "P", m ? std::vector<std::string>{"ID", "CODE"} : std::vector<std::string>{"ID"});
    if (m) x.Key(ctUnique, "UQ_P_ID", "P", {"ID"});
    x.Foreign("FK_C_P", "C", "PID", "P", "ID");
    // 13. primary key added and 14. dropped
    if (m) x.Key(ctPKey, "PK_C", "C", {"ID"});
    else x.Key(ctPKey, "PK_T_IX_OLD", "T_IX", {"A"});
    // 15. unique added, 16. dropped, 17. columns changed
    if (m) x.Key(ctUnique, "UQ_ADD", "P", {"CODE"});
    else x.Key(ctUnique, "UQ_DROP", "P", {"NAME"});
    x.Key(ctUnique, "UQ_CHG", "C", m ? std::vector<std::string>{"QTY", "ID"} : std::vector<std::string>{"QTY"});
    // 18. foreign key added (with an action), 19. dropped, 20. action changed
    if (m) x.Foreign("FK_ADD", "C", "REF2", "P", "ID", udaCascade);
    else x.Foreign("FK_DROP", "C", "REF3", "P", "ID");
    x.Foreign("FK_ACT", "C", "REF3", "P", "ID", m ? udaNull : udaNoAction);
    // 21. check added, 22. dropped, 23. changed
    if (m) x.Check("CK_ADD", "C", "(QTY >= 0)");
    else x.Check("CK_DROP", "P", "(CODE <> 13)");
    x.Check("CK_CHG", "P", m ? "(CODE > 0)" : "(CODE > 1)");
    // 24. keys of a new table (created after it) and of a dropped table (dropped before it)
    if (m) {
        x.Key(ctPKey, "PK_NEW", "T_NEW", {"ID"});
        x.Foreign("FK_NEW", "T_NEW", "PID", "P", "ID");
    } else {
        x.Key(ctPKey, "PK_GONE", "T_GONE", {"ID"});
        x.Foreign("FK_GONE", "T_GONE", "PID", "P", "ID");
    }
    // 25. the referenced key column changes type: key and foreign key are rebuilt around it
    x.Key(ctPKey, "PK_R", "R", {"ID"});
    x.Foreign("FK_RC", "RC", "RID", "R", "ID");
    x.Key(ctPKey, "PK_RC", "RC", {"ID"});
    x.Link();
}


TSqlLines Rows(TDatabaseType db) {
    TSqlLines r = {
        "INSERT INTO P (ID, CODE, NAME) VALUES (1, 5, 11);",
        "INSERT INTO C (ID, PID, QTY, REF2, REF3) VALUES (1, 1, 3, NULL, 1);",
        "INSERT INTO R (ID) VALUES (7);",
        "INSERT INTO RC (ID, RID) VALUES (1, 7);",
    };
    if (db == dbInterBase) r.push_back("COMMIT;");
    return FoldForServer(r, db);
}

TSqlLines Checks(TDatabaseType db) {
    TSqlLines r = {
        "SELECT COUNT(*) FROM C WHERE ID = 1 AND PID = 1 AND QTY = 3 AND REF3 = 1",
        "SELECT COUNT(*) FROM P WHERE ID = 1 AND CODE = 5",
        "SELECT COUNT(*) FROM RC WHERE RID = 7",
    };
    // The dump does not show whether an index is active.
    if (db == dbInterBase)
        r.push_back("SELECT COUNT(*) FROM RDB$INDICES WHERE RDB$INDEX_NAME = 'IX_ON' AND "
                    "COALESCE(RDB$INDEX_INACTIVE, 0) = 0");
    return FoldForServer(r, db);
}

const LiveScenarioRegistrar reg({"indices", Fill, nullptr, Rows, Checks});

}  // namespace
}  // namespace dbtwin::live
