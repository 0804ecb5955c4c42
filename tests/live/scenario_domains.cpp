// Domains and types, with rows in the columns they type: kept, new (with a new column),
// dropped; check and default changed on a domain in CHARACTER SET NONE (its set and rows
// stay), widened in WIN1252, made NOT NULL, retyped, a default added, a check removed; a
// column moved to another domain (Firebird); a
// check changed and removed by name, a default and NOT NULL changed, composite types added
// and dropped (PostgreSQL). MariaDB has no domains.
#include <string>
#include <vector>

#include "compare/krvKeldar.h"
#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

void FillFirebird(TObjBuilder& b, bool m) {
    auto chk = [](const std::string& text) { return [text](TDmnData& d) { d.fData->EditRare().CheckDef = text; }; };
    TDmnData* keep = b.Domain("D_KEEP", Int(""));
    TDmnData* none = b.Domain("DN", Default(Varchar("", 20), m ? "'y'" : "'x'"), [m](TDmnData& d) {
        d.fData->EditRare().CharSet = "NONE";
        d.fData->EditRare().CheckDef = m ? " (VALUE > 'a')" : " (VALUE <> '')";
    });
    TDmnData* wide = b.Domain("DW", Varchar("", m ? 40 : 20), [](TDmnData& d) { d.fData->EditRare().CharSet = "WIN1252"; });
    TDmnData* nn = b.Domain("D_NULL", m ? NotNull(Int("")) : Int(""));
    TDmnData* big = b.Domain("D_INT", Typed("", m ? iftBigInt : iftInteger));
    TDmnData* def = b.Domain("D_DEF", m ? Default(Int(""), "3") : Int(""));
    TDmnData* check = b.Domain("D_CHK", Int(""), m ? std::function<void(TDmnData&)>() : chk(" (VALUE > 0)"));
    TDmnData* a = b.Domain("D_A", Int(""));
    TDmnData* bb = b.Domain("D_B", Int(""));
    if (!m) b.Domain("D_GONE", Int(""));
    TTblData* t = b.Table("T_D", {Int("ID")});
    b.DomainColumn(t, "C_KEEP", keep);
    b.DomainColumn(t, "C_N", none);
    b.DomainColumn(t, "C_W", wide);
    b.DomainColumn(t, "C_NULL", nn);
    b.DomainColumn(t, "C_INT", big);
    b.DomainColumn(t, "C_DEF", def);
    b.DomainColumn(t, "C_CHK", check);
    b.DomainColumn(t, "C_MOVE", m ? bb : a);
    if (m) b.DomainColumn(t, "C_NEW", b.Domain("D_NEW", Varchar("", 5)));
    // A column in WIN1252 next to the domains, kept as it is.
    b.Table("T_CS", {Int("ID"), Varchar("A", 10)})->FindFld("A")->EditRare().CharSet = "WIN1252";
}

void FillPostgres(TObjBuilder& b, bool m) {
    auto dmn = [&b](const std::string& name, const TCol& type, const std::function<void(TDmnData&)>& tweak = nullptr) {
        return b.Domain(name, type, tweak);
    };
    TDmnData* keep = dmn("d_keep", Int(""));
    TDmnData* check = dmn("d_check", Int(""), [m](TDmnData& d) { d.fData->EditRare().CheckDef = m ? " (VALUE > 1)" : " (VALUE > 0)"; });
    TDmnData* def = dmn("d_def", m ? Default(Int(""), "7") : Default(Int(""), "1"));
    TDmnData* nn = dmn("d_nn", m ? NotNull(Int("")) : Int(""));
    TDmnData* named = dmn("d_named", Int(""), [m](TDmnData& d) {
        if (m) return;
        d.fData->EditRare().CheckDef = " (VALUE <> 0)";
        d.fData->EditRare().CtrName = "nonzero";
    });
    TDmnData* renamed = dmn("d_named2", Int(""), [m](TDmnData& d) {
        d.fData->EditRare().CheckDef = m ? " (VALUE < 100)" : " (VALUE < 10)";
        d.fData->EditRare().CtrName = "small";
    });
    if (!m) dmn("d_gone", Typed("", iftText));
    auto pair = [&b](const std::string& name) {
        return b.Domain(name, Typed("", iftUnknown), [](TDmnData& d) {
            d.PGOptions.PGType = true;
            d.PGOptions.AddFld("a")->FieldType = iftInteger;
            d.PGOptions.AddFld("b")->FieldType = iftText;
        });
    };
    if (m) pair("t_new_pair");
    else pair("t_old_pair");
    TTblData* t = b.Table("t_d", {Int("id")});
    b.DomainColumn(t, "c_keep", keep);
    b.DomainColumn(t, "c_check", check);
    b.DomainColumn(t, "c_def", def);
    b.DomainColumn(t, "c_nn", nn);
    b.DomainColumn(t, "c_named", named);
    b.DomainColumn(t, "c_named2", renamed);
    if (m) b.DomainColumn(t, "c_new", dmn("d_new", Varchar("", 5)));
}

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder b{o, db};
    if (db == dbInterBase) FillFirebird(b, m);
    else FillPostgres(b, m);
}

TSqlLines None(TDatabaseType) { return {}; }

TSqlLines Rows(TDatabaseType db) {
    if (db == dbInterBase)
        return {"INSERT INTO T_D (ID, C_KEEP, C_N, C_W, C_NULL, C_INT, C_DEF, C_CHK, C_MOVE) "
                "VALUES (1, 1, 'abc', 'r\xC3\xA9sum\xC3\xA9', 1, 2147483647, 5, 6, 7);",
                "INSERT INTO T_CS (ID, A) VALUES (1, 'a\xC3\xA7\xC3\xA3o');", "COMMIT;"};
    return {"INSERT INTO t_d (id, c_keep, c_check, c_def, c_nn, c_named, c_named2) VALUES (1, 1, 5, 2, 3, 4, 5);"};
}

TSqlLines Checks(TDatabaseType db) {
    if (db == dbInterBase)
        return {"SELECT COUNT(*) FROM T_D WHERE C_N = 'abc' AND C_W = 'r\xC3\xA9sum\xC3\xA9' AND C_NULL = 1 AND "
                "C_INT = 2147483647 AND C_DEF = 5 AND C_CHK = 6 AND C_MOVE = 7",
                "SELECT COUNT(*) FROM T_CS WHERE A = 'a\xC3\xA7\xC3\xA3o' AND OCTET_LENGTH(A) = 4",
                "SELECT COUNT(*) FROM RDB$FIELDS WHERE RDB$FIELD_NAME = 'DN' AND RDB$CHARACTER_SET_ID = 0",
                "SELECT COUNT(*) FROM RDB$FIELDS WHERE RDB$FIELD_NAME = 'D_NULL' AND RDB$NULL_FLAG = 1"};
    return {"SELECT COUNT(*) FROM t_d WHERE c_check = 5 AND c_def = 2 AND c_nn = 3 AND c_named = 4 AND c_named2 = 5",
            "SELECT COUNT(*) FROM pg_constraint WHERE contypid = 'd_check'::regtype"};
}

TLiveScenario Scenario() {
    TLiveScenario s{"domains", Fill, None, Rows, Checks};
    s.Servers = [](TDatabaseType db) { return db == dbInterBase || db == dbPostgreSQL; };
    s.Configure = [](TKeldar& k) { k.GetIBCompareOptions().SetFldCharsetCompare(true); };
    return s;
}

const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
