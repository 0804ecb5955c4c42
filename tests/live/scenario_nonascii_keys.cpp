// Foreign keys on tables and columns with non-ASCII, mixed-case and blank-holding names: a
// key added between existing tables and a new table whose key references an existing one.
// The comparison script runs through a latin1 client, so it must state its own character
// set. Rows with non-ASCII text must survive.
#include <string>

#include "live_objects.h"
#include "scenario.h"

namespace dbtwin::live {
namespace {

constexpr const char* kName = "Müller Søn";

void Fill(TCustomObjs& o, bool m, TDatabaseType db) {
    TObjBuilder x{o, db};
    x.Table("Ordr Läger", {NotNull(Int("Id")), Varchar("Näme", 20), Int("GRÖSSE")});
    x.PrimaryKey("PK Ordr Läger", "Ordr Läger", "Id");
    x.Table("Rechnung", {NotNull(Int("Id")), Int("Läger Id")});
    if (m) {
        // a key added between existing tables
        x.Foreign("FK Rechnung Läger", "Rechnung", "Läger Id", "Ordr Läger", "Id");
        // a new table with a key referencing an existing one (an upper-case non-ASCII name:
        // stored as written, so quoted, on every server but MariaDB)
        x.Table("Pösten", {NotNull(Int("Id")), Int("Ordr Id")});
        x.Foreign("FK_PÖSTEN_ORDR", "Pösten", "Ordr Id", "Ordr Läger", "Id");
    }
    x.Link();
}

TSqlLines Rows(TDatabaseType db) {
    const auto q = [db](const char* name) { return Q(name, db); };
    TSqlLines r = {
        "INSERT INTO " + q("Ordr Läger") + " (" + q("Id") + ", " + q("Näme") + ", " + q("GRÖSSE") + ") VALUES (1, '" +
            kName + "', 3);",
        "INSERT INTO " + q("Rechnung") + " (" + q("Id") + ", " + q("Läger Id") + ") VALUES (1, 1);",
    };
    if (db == dbInterBase) r.push_back("COMMIT;");
    return r;
}

TSqlLines Checks(TDatabaseType db) {
    const auto q = [db](const char* name) { return Q(name, db); };
    return {
        "SELECT COUNT(*) FROM " + q("Ordr Läger") + " WHERE " + q("Id") + " = 1 AND " + q("Näme") + " = '" + kName +
            "' AND " + q("GRÖSSE") + " = 3",
        "SELECT COUNT(*) FROM " + q("Rechnung") + " WHERE " + q("Id") + " = 1 AND " + q("Läger Id") + " = 1",
    };
}

TLiveScenario Scenario() {
    TLiveScenario s{"nonascii_keys", Fill, nullptr, Rows, Checks};
    s.DiffClientCharset = "latin1";
    return s;
}
const LiveScenarioRegistrar reg(Scenario());

}  // namespace
}  // namespace dbtwin::live
