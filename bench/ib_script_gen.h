// Firebird 3 DDL scripts of large schemas, laid out as the server's ISQL tool writes them with
// -x (SET SQL DIALECT 3, sections in its order, SET TERM ^ around PSQL, procedure headers
// first and their bodies later), for benchmarks that read and compare scripts.
//
// GenIBSchemaScript(n, master, seed) writes one side of a pair: the master and the target of
// the same n and seed describe the same schema except for about 5% of it: columns added,
// dropped and widened, indices and checks changed, view, procedure and trigger bodies
// changed, a domain and an exception changed, tables (with their generators, triggers,
// indices, grants and comments) that exist on one side only. The text depends only on
// (n, master, seed).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dbtwin::benchgen {

// What a generated script holds, for checking what a reader made of it.
struct TIBScriptCounts {
    int Tables = 0, Views = 0, Procedures = 0, Triggers = 0, Generators = 0, Exceptions = 0, Domains = 0,
        Indices = 0;
};

namespace detail {

// splitmix64: small, fast and the same on every platform and library.
inline std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

class TRng {
public:
    TRng(std::uint64_t aSeed, std::uint64_t aStream) : fState(Mix(aSeed * 0x100000001B3ull ^ Mix(aStream))) {}
    std::uint64_t Next() { return fState = Mix(fState); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t fState;
};

inline std::string Num(int i, int width = 5) {
    std::string s = std::to_string(i);
    return std::string(s.size() < static_cast<std::size_t>(width) ? width - s.size() : 0, '0') + s;
}

inline std::string TblName(int i) { return "T_" + Num(i); }

// Tables that exist on one side only: OnlyInMaster are new (created by the script), OnlyInTarget
// are dropped. Nothing outside the table itself refers to them, so either side is consistent.
inline bool OnlyInMaster(int i) { return i % 200 == 5; }
inline bool OnlyInTarget(int i) { return i % 200 == 6; }
inline bool OneSided(int i) { return OnlyInMaster(i) || OnlyInTarget(i); }

struct TCol {
    std::string Name, Type, Extra;  // Extra: default, NOT NULL, collation as written after the type
    bool Text = false;              // a character column (usable in string expressions)
};

struct TIdx {
    std::string Name, Cols;
    bool Unique = false, Desc = false;
};

struct TTbl {
    int No = 0;
    std::string Name;
    int Parent = -1;  // table referred to by PARENT_ID, -1 for none
    std::vector<TCol> Cols;
    std::vector<TIdx> Idx;
    std::string Check;    // table check condition
    std::string TrgBody;  // body lines of the BEFORE INSERT trigger
    std::string Comment;  // table comment, empty for none
    bool ColComment = false;
    bool ExtraGrant = false;
};

// The kind of change a table carries between master and target (-1: none). About 5% of the
// tables that exist on both sides.
inline int ChangeKind(int i) { return !OneSided(i) && i % 20 == 3 ? (i / 20) % 7 : -1; }

inline TTbl MakeTable(int i, bool aMaster, std::uint64_t aSeed) {
    TRng r(aSeed, static_cast<std::uint64_t>(i));
    TTbl t;
    t.No = i;
    t.Name = TblName(i);
    const int change = ChangeKind(i);
    if (i > 0 && r.Below(8) != 0) {
        int p = i - 1 - r.Below(i < 8 ? i : 8);
        while (p >= 0 && OneSided(p)) --p;
        t.Parent = p;
    }
    t.Cols.push_back({"ID", "INTEGER", " NOT NULL"});
    t.Cols.push_back({"NAME", "D_NAME" + std::to_string(r.Below(10)), " NOT NULL", true});
    if (t.Parent >= 0) t.Cols.push_back({"PARENT_ID", "INTEGER", ""});
    t.Cols.push_back({"QTY", "D_QTY", ""});
    t.Cols.push_back({"CREATED", "TIMESTAMP", " DEFAULT CURRENT_TIMESTAMP"});
    // The first free column is always a varchar: the widened column of a changed table.
    const int baseLen = 20 + 10 * r.Below(8);
    const int len = change == 2 && aMaster ? baseLen + 40 : baseLen;
    t.Cols.push_back({"C_TEXT", "VARCHAR(" + std::to_string(len) + ")", "", true});
    static const char* const kTypes[] = {
        "INTEGER",      "BIGINT",           "SMALLINT", "NUMERIC(12, 2)", "DECIMAL(9, 3)",
        "DATE",         "TIME",             "CHAR(3)",  "DOUBLE PRECISION",
        "VARCHAR(100)", "BLOB SUB_TYPE TEXT SEGMENT SIZE 80", "BOOLEAN"};
    const int total = 8 + r.Below(5);
    for (int c = static_cast<int>(t.Cols.size()); c < total; ++c) {
        const int k = r.Below(12);
        std::string extra;
        if (k == 0 && r.Below(3) == 0) extra = " DEFAULT 0 NOT NULL";
        if (k == 7 && r.Below(2) == 0) extra = " DEFAULT 'AAA'";
        t.Cols.push_back({"C" + std::to_string(c), kTypes[k], extra, k == 7 || k == 9});
    }
    if (change == 0 && aMaster) t.Cols.push_back({"ADDED_COL", "VARCHAR(30)", "", true});
    if (change == 1 && !aMaster) t.Cols.push_back({"OLD_COL", "INTEGER", ""});
    if (change == 6 && aMaster)
        for (TCol& c : t.Cols)
            if (c.Name == "CREATED") c.Extra += " NOT NULL";

    t.Idx.push_back({"IX_" + t.Name + "_NAME", "NAME", r.Below(4) == 0, false});
    switch (r.Below(3)) {
        case 0: t.Idx.push_back({"IX_" + t.Name + "_CREATED", "CREATED", false, true}); break;
        case 1: t.Idx.push_back({"IX_" + t.Name + "_QTY", "QTY, ID", false, false}); break;
        default: t.Idx.push_back({"IX_" + t.Name + "_TEXT", "C_TEXT", false, false}); break;
    }
    if (change == 3 && !aMaster) t.Idx[1].Cols += ", NAME";
    if (change == 3 && aMaster) t.Idx.push_back({"IX_" + t.Name + "_NEW", "C_TEXT, QTY", false, true});

    t.Check = change == 4 && !aMaster ? "QTY < 1000" : "QTY < " + std::to_string(100000 + r.Below(900000));
    t.TrgBody = "  IF (NEW.ID IS NULL) THEN NEW.ID = NEXT VALUE FOR G_" + t.Name + ";\r\n";
    if (change == 5 && aMaster) t.TrgBody += "  IF (NEW.QTY IS NULL) THEN NEW.QTY = 0;\r\n";
    t.TrgBody += "  NEW.CREATED = COALESCE(NEW.CREATED, CURRENT_TIMESTAMP);\r\n";
    if (i % 3 == 0) t.Comment = "Table number " + std::to_string(i) + (change == 5 && !aMaster ? " (old)" : "");
    t.ColComment = i % 5 == 0;
    t.ExtraGrant = i % 11 == 0 && (aMaster || i % 22 != 0);
    return t;
}

}  // namespace detail

inline std::string GenIBSchemaScript(int n, bool aMaster, std::uint64_t aSeed = 1, TIBScriptCounts* aCounts = nullptr) {
    using namespace detail;
    const char* nl = "\r\n";
    TIBScriptCounts counts;
    std::vector<TTbl> tables;
    tables.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        if ((OnlyInMaster(i) && !aMaster) || (OnlyInTarget(i) && aMaster)) continue;
        tables.push_back(MakeTable(i, aMaster, aSeed));
    }
    // Tables that exist on both sides, in order, for views and procedures to use.
    std::vector<const TTbl*> stable;
    for (const TTbl& t : tables)
        if (!OneSided(t.No)) stable.push_back(&t);

    std::string s;
    s.reserve(static_cast<std::size_t>(n) * 2600);
    auto add = [&](const std::string& a) { s += a; };

    add(std::string(nl) + "SET SQL DIALECT 3; " + nl + nl);
    add("/* CREATE DATABASE 'localhost:/data/bench.fdb' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE; */");
    add(std::string(nl) + nl + nl);

    // Generators: one per table.
    add(std::string("/*  Generators or sequences */") + nl);
    for (const TTbl& t : tables) {
        add("CREATE GENERATOR G_" + t.Name);
        if (t.No % 4 == 1) add(" START WITH 1000 INCREMENT 10");
        add(std::string(";") + nl);
        ++counts.Generators;
    }
    add(nl);

    // Domains: ten name domains (the last is wider in the master) and the quantity domain.
    add(std::string("/* Domain definitions */") + nl);
    for (int d = 0; d < 10; ++d) {
        const int len = d == 9 && aMaster ? 120 : 40 + 5 * d;
        add("CREATE DOMAIN D_NAME" + std::to_string(d) + " AS VARCHAR(" + std::to_string(len) + ")" +
            (d % 3 == 0 ? " COLLATE NONE" : "") + ";" + nl);
        ++counts.Domains;
    }
    add(std::string("CREATE DOMAIN D_QTY AS INTEGER") + nl + "         DEFAULT 0 NOT NULL;" + nl);
    ++counts.Domains;
    add(std::string("COMMIT WORK;") + nl + nl);

    for (const TTbl& t : tables) {
        add("/* Table: " + t.Name + ", Owner: SYSDBA */" + nl);
        add("CREATE TABLE " + t.Name + " (");
        for (std::size_t c = 0; c < t.Cols.size(); ++c) {
            const TCol& col = t.Cols[c];
            if (c) add(std::string(",") + nl + "        ");
            add(col.Name + " " + col.Type + col.Extra);
        }
        add(std::string(",") + nl + "CONSTRAINT PK_" + t.Name + " PRIMARY KEY (ID));" + nl + nl);
        ++counts.Tables;
    }

    // Procedures: one for every fourth table that exists on both sides.
    struct TPrc {
        int No;
        const TTbl* Tbl;
        bool Selectable, Changed;
    };
    std::vector<TPrc> procs;
    const int nExc = n / 50 + 2;
    for (std::size_t k = 0; k < stable.size(); k += 4) {
        const int no = static_cast<int>(k / 4);
        procs.push_back({no, stable[k], no % 2 == 0, no % 20 == 9});
    }
    auto prcName = [](const TPrc& p) { return "P_" + Num(p.No); };
    auto prcHeader = [&](const TPrc& p, const char* verb) {
        std::string h = std::string(verb) + " PROCEDURE " + prcName(p);
        if (p.Selectable)
            h += std::string(" (A_FROM INTEGER,") + nl + "A_TEXT VARCHAR(40))" + nl + "RETURNS (R_ID INTEGER," + nl +
                 "R_NAME VARCHAR(40)," + nl + "R_QTY INTEGER)" + nl;
        else
            h += std::string(" (A_ID INTEGER,") + nl + "A_NAME VARCHAR(40)," + nl + "A_QTY INTEGER)" + nl +
                 "RETURNS (R_DONE INTEGER)" + nl;
        return h + "AS " + nl;
    };
    add(std::string(nl) + "COMMIT WORK;" + nl + "SET AUTODDL OFF;" + nl + "SET TERM ^ ;" + nl + nl);
    add(std::string("/* Stored procedures headers */") + nl);
    for (const TPrc& p : procs) {
        add(prcHeader(p, "CREATE OR ALTER") + (p.Selectable ? "BEGIN SUSPEND; END ^" : "BEGIN EXIT; END ^") + nl + nl);
        ++counts.Procedures;
    }
    add(std::string(nl) + "SET TERM ; ^" + nl + "COMMIT WORK;" + nl + "SET AUTODDL ON;" + nl + nl);

    add(std::string("/*  Index definitions for all user tables */") + nl);
    for (const TTbl& t : tables)
        for (const TIdx& x : t.Idx) {
            add(std::string("CREATE ") + (x.Unique ? "UNIQUE " : "") + (x.Desc ? "DESCENDING " : "") + "INDEX " + x.Name +
                " ON " + t.Name + " (" + x.Cols + ");" + nl);
            ++counts.Indices;
        }
    add(nl);
    for (const TTbl& t : tables)
        if (t.Parent >= 0)
            add("ALTER TABLE " + t.Name + " ADD CONSTRAINT FK_" + t.Name + " FOREIGN KEY (PARENT_ID) REFERENCES " +
                TblName(t.Parent) + " (ID)" + (t.No % 3 == 0 ? " ON DELETE CASCADE" : "") + ";" + nl);
    add(nl);

    // Views: a tenth of the table count, each joining a table with its parent.
    int nViews = 0;
    for (std::size_t k = 0; k < stable.size() && nViews < n / 10; ++k) {
        const TTbl& b = *stable[k];
        if (b.Parent < 0 || k % 8 != 0) continue;
        const int no = nViews++;
        const std::string name = "V_" + Num(no);
        add("/* View: " + name + ", Owner: SYSDBA */" + nl);
        add("CREATE VIEW " + name + " (PARENT_ID, PARENT_NAME, CHILD_ID, CHILD_NAME, CHILD_QTY) AS" + nl);
        add("SELECT A.ID, A.NAME, B.ID, B.NAME, B.QTY FROM " + TblName(b.Parent) + " A JOIN " + b.Name +
            " B ON B.PARENT_ID = A.ID");
        if (no % 20 == 5 && aMaster) add(" WHERE B.QTY > 0");
        add(std::string(";") + nl + nl);
        ++counts.Views;
    }

    add(std::string("/*  Exceptions */") + nl);
    for (int e = 0; e < nExc; ++e) {
        if (e == nExc - 1 && !aMaster) continue;  // new in the master
        std::string msg = "Error number " + std::to_string(e) + ": it''s wrong";
        if (e == 1 && !aMaster) msg = "Old message " + std::to_string(e);
        add("CREATE EXCEPTION E_" + Num(e, 4) + " '" + msg + "';" + nl);
        ++counts.Exceptions;
    }
    add(nl);

    add(std::string("COMMIT WORK;") + nl + "SET AUTODDL OFF;" + nl + "SET TERM ^ ;" + nl + nl);
    add(std::string("/* Stored procedures bodies */") + nl + nl);
    for (const TPrc& p : procs) {
        const TTbl& t = *p.Tbl;
        const std::string exc = "E_" + Num(p.No % (nExc - 1), 4);
        add(prcHeader(p, "ALTER"));
        if (p.Selectable) {
            add(std::string("DECLARE VARIABLE V_COUNT INTEGER;") + nl + "BEGIN" + nl);
            add(std::string("  V_COUNT = 0;") + nl);
            add("  FOR SELECT ID, NAME, QTY FROM " + t.Name + nl);
            add(std::string("      WHERE ID >= :A_FROM AND (NAME STARTING WITH :A_TEXT OR :A_TEXT IS NULL)") + nl);
            add(std::string("      ORDER BY ID") + nl + "      INTO :R_ID, :R_NAME, :R_QTY DO" + nl + "  BEGIN" + nl);
            add(std::string("    V_COUNT = V_COUNT + 1;") + nl);
            if (p.Changed && aMaster) add(std::string("    IF (R_QTY IS NULL) THEN R_QTY = 0;") + nl);
            add(std::string("    SUSPEND;") + nl + "  END" + nl);
            add("  IF (V_COUNT = 0) THEN EXCEPTION " + exc + ";" + nl + "END ^" + nl + nl);
        } else {
            add(std::string("DECLARE VARIABLE V_OLD INTEGER;") + nl + "BEGIN" + nl);
            add("  IF (A_QTY < 0) THEN EXCEPTION " + exc + " 'negative quantity: ' || A_QTY;" + nl);
            add("  SELECT QTY FROM " + t.Name + " WHERE ID = :A_ID INTO :V_OLD;" + nl);
            add(std::string("  IF (ROW_COUNT = 0) THEN") + nl);
            add("    INSERT INTO " + t.Name + " (ID, NAME, QTY) VALUES (:A_ID, :A_NAME, :A_QTY);" + nl);
            add(std::string("  ELSE") + nl);
            add("    UPDATE " + t.Name + " SET NAME = :A_NAME, QTY = :A_QTY" +
                (p.Changed && aMaster ? " + COALESCE(:V_OLD, 0)" : "") + " WHERE ID = :A_ID;" + nl);
            add(std::string("  R_DONE = ROW_COUNT;") + nl + "END ^" + nl + nl);
        }
    }
    add(std::string(nl) + "SET TERM ; ^" + nl + "COMMIT WORK;" + nl + "SET AUTODDL ON;" + nl + nl);

    add(std::string("/* Domain constraints */") + nl + "ALTER DOMAIN D_QTY ADD CONSTRAINT" + nl +
        "         CHECK (VALUE >= 0);" + nl + nl);

    add(std::string("/* Table constraints */") + nl + nl);
    for (const TTbl& t : tables)
        add("ALTER TABLE " + t.Name + " ADD " + nl + "        CONSTRAINT CK_" + t.Name + " CHECK (" + t.Check + ");" + nl +
            nl);

    add(std::string("SET TERM ^ ;") + nl + nl + "/* Triggers only will work for SQL triggers */" + nl);
    for (const TTbl& t : tables) {
        add("CREATE TRIGGER " + t.Name + "_BI FOR " + t.Name + " " + nl + "ACTIVE BEFORE INSERT POSITION 0 " + nl + "AS" +
            nl + "BEGIN" + nl + t.TrgBody + "END ^" + nl + nl);
        ++counts.Triggers;
    }
    add(std::string(nl) + "SET TERM ; ^" + nl + "COMMIT WORK;" + nl + nl);

    add(std::string("/* Grant roles for this database */") + nl + nl);
    for (const char* role : {"R_READ", "R_WRITE", "R_EXEC"})
        add(std::string("/* Role: ") + role + ", Owner: SYSDBA */" + nl + "CREATE ROLE " + role + ";" + nl);
    add(std::string(nl) + "/* Grant permissions for this database */" + nl);
    for (const TTbl& t : tables) {
        add("GRANT SELECT ON " + t.Name + " TO ROLE R_READ;" + nl);
        if (t.ExtraGrant) add("GRANT DELETE, INSERT, UPDATE ON " + t.Name + " TO ROLE R_WRITE;" + nl);
    }
    for (const TPrc& p : procs) {
        add("GRANT SELECT" + std::string(p.Selectable ? "" : ", INSERT, UPDATE") + " ON " + p.Tbl->Name +
            " TO PROCEDURE " + prcName(p) + ";" + nl);
        add("GRANT EXECUTE ON PROCEDURE " + prcName(p) + " TO ROLE R_EXEC;" + nl);
    }
    add(std::string(nl) + "/* Comments for database objects. */" + nl);
    for (const TTbl& t : tables) {
        if (!t.Comment.empty()) add("COMMENT ON TABLE        " + t.Name + " IS '" + t.Comment + "';" + nl);
        if (t.ColComment) add("COMMENT ON    COLUMN    " + t.Name + ".NAME IS 'name of the row';" + nl);
    }
    for (const TPrc& p : procs)
        if (p.No % 10 == 0) add("COMMENT ON PROCEDURE    " + prcName(p) + " IS 'procedure " + std::to_string(p.No) + "';" + nl);
    if (aCounts) *aCounts = counts;
    return s;
}

}  // namespace dbtwin::benchgen
