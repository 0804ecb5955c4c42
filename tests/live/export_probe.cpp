// Writes the exported DDL script of a set of tables holding every column type a server
// supports (export_live.sh runs it through the server's command-line client).
//
//   export_probe firebird <database> <user> <password>   header creates the database
//   export_probe postgres <database> <owner>              tables owned by <owner>
//   export_probe mysql <database>                         header selects the database
#include <iostream>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Tbl.h"

using namespace dbtwin;

namespace {

struct Col {
    const char* name;
    TDBFieldType type;
    std::int32_t length = 0;
    std::int32_t precision = 0;
    std::int32_t scale = 0;
    const char* def = "";
    bool notNull = false;
};

void AddTable(TObjs& objs, const std::string& name, const std::vector<Col>& cols, const std::string& owner = "") {
    auto* t = new TTblData(&objs);
    t->SetObjName(name);
    t->EditExtra().OwnUser = owner;
    t->SetDescription("table " + name + " with 'quotes'");
    for (const Col& c : cols) {
        TFldData* f = t->AddFld(c.name);
        f->FieldType = c.type;
        f->CharLength = c.length;
        f->Precision = c.precision;
        f->Scale = c.scale;
        f->Nullable = !c.notNull;
        f->SetDefValue(c.def);
    }
    t->Flds.Objects(0)->SetDescription("first column");
    objs.AddObj(t);
}

void Firebird(TObjs& o) {
    o.SetDatabaseType(dbInterBase);
    o.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    o.fIBServerOptions.SetDBCharSet("UTF8");
    AddTable(o, "NUMBERS",
             {{"ID", iftInteger, 0, 0, 0, "", true}, {"S", iftSmallInt}, {"B", iftBigInt},
              {"F", iftFloat}, {"D", iftDoublePrecision}, {"N", iftNumeric, 0, 18, 4},
              {"DC", iftDecimal, 0, 9, 2, "0"}, {"BO", iftBoolean, 0, 0, 0, "FALSE"}});
    AddTable(o, "TEXTS",
             {{"C", iftChar, 10}, {"V", iftVarchar, 50, 0, 0, "'it''s'"}, {"BL", iftBlob},
              {"Mixed Name", iftVarchar, 5}});
    AddTable(o, "TIMES", {{"D", iftDate}, {"T", iftTime}, {"TS", iftTimeStamp, 0, 0, 0, "CURRENT_TIMESTAMP"}});
}

void Postgres(TObjs& o, const std::string& owner) {
    o.SetDatabaseType(dbPostgreSQL);
    AddTable(o, "numbers",
             {{"id", iftInteger, 0, 0, 0, "", true}, {"s", iftSmallInt}, {"b", iftBigInt},
              {"r", iftReal}, {"d", iftDoublePrecision}, {"n", iftNumeric, 0, 12, 3},
              {"dc", iftDecimal, 0, 9, 2, "0"}, {"i2", iftInt2}, {"i4", iftInt4}, {"i8", iftInt8},
              {"f4", iftFloat4}, {"f8", iftFloat8}, {"m", iftMoney}, {"o", iftOID}},
             owner);
    AddTable(o, "serials", {{"a", iftSerial}, {"b", iftBigSerial}}, owner);
    AddTable(o, "texts",
             {{"c", iftChar, 10}, {"v", iftVarchar, 50, 0, 0, "'it''s'"}, {"t", iftText},
              {"Mixed Name", iftVarchar, 5}, {"bo", iftBoolean}, {"by", iftByteA}, {"x", iftXml},
              {"bi", iftBit, 3}, {"vb", iftVarBit, 8}},
             owner);
    AddTable(o, "times",
             {{"d", iftDate}, {"t", iftTime}, {"ts", iftTimeStamp}, {"ttz", iftTimeTZ},
              {"tstz", iftTimeStampTZ}, {"iv", iftInterval}},
             owner);
}

void MySQL(TObjs& o) {
    o.SetDatabaseType(dbMySQL);
    AddTable(o, "numbers",
             {{"id", iftInteger, 0, 0, 0, "", true}, {"ti", iftTinyInt}, {"si", iftSmallInt},
              {"mi", iftMediumInt}, {"bi", iftBigInt}, {"f", iftFloat}, {"d", iftDouble},
              {"r", iftReal}, {"dc", iftDecimal, 0, 10, 2, "0"}, {"n", iftNumeric, 0, 8, 0},
              {"bt", iftBit, 0, 4}});
    AddTable(o, "texts",
             {{"c", iftChar, 10}, {"v", iftVarchar, 50, 0, 0, "'it''s'"}, {"tt", iftTinyText},
              {"t", iftText}, {"mt", iftMediumText}, {"lt", iftLongText}, {"b", iftBinary, 4},
              {"vb", iftVarBinary, 8}, {"tb", iftTinyBlob}, {"bl", iftBlob}, {"mb", iftMediumBlob},
              {"lb", iftLongBlob}, {"Mixed Name", iftVarchar, 5}});
    AddTable(o, "times",
             {{"d", iftDate}, {"t", iftTime}, {"dt", iftDateTime}, {"ts", iftTimeStamp},
              {"y", iftYear}});
    AddTable(o, "shapes",
             {{"g", iftGeometry}, {"p", iftPoint}, {"l", iftLineString}, {"pg", iftPolygon},
              {"mp", iftMultiPoint}, {"ml", iftMultiLineString}, {"mpg", iftMultiPolygon},
              {"gc", iftGeometryCollection}});
    TTblData* t = o.GetTable("texts");
    TFldData* e = t->AddFld("e");
    e->FieldType = iftEnum;
    e->EditRare().EnumValues = {"'a'", "'b''c'"};
    TFldData* s = t->AddFld("st");
    s->FieldType = iftSet;
    s->EditRare().EnumValues = {"'x'", "'y'"};
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> a(argv + 1, argv + argc);
    TObjs objs;
    if (a.size() == 4 && a[0] == "firebird") {
        Firebird(objs);
        objs.fConnectionOptions.SetDatabaseName(a[1]);
        objs.fConnectionOptions.SetUserName(a[2]);
        objs.fConnectionOptions.SetPassword(a[3]);
    } else if (a.size() == 3 && a[0] == "postgres") {
        Postgres(objs, a[2]);
        objs.fConnectionOptions.SetDatabaseName(a[1]);
    } else if (a.size() == 2 && a[0] == "mysql") {
        MySQL(objs);
        objs.fConnectionOptions.SetDatabaseName(a[1]);
    } else {
        std::cerr << "usage: export_probe firebird <db> <user> <password> | postgres <db> <owner> | mysql <db>\n";
        return 2;
    }
    std::vector<std::string> script;
    objs.ExtractMetadata(script);
    std::cout << JoinLines(script);
    // The table names, one a line, on stderr for the catalog check.
    for (TTblData* t : objs.Tbl) std::cerr << t->fObjName << '\n';
    return 0;
}
