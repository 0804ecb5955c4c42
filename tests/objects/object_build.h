// Builders for the objects a trigger or view test needs, filed as a parser would file them,
// and a printer that shows a script as the C++ literal a golden test holds.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>

#include "compare_rig.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin::testing {

inline TTblData* AddTable(TCustomObjs& o, const std::string& name,
                          std::initializer_list<std::pair<const char*, TDBFieldType>> cols,
                          const std::string& schema = "") {
    auto* t = new TTblData(&o);
    t->SetObjName(name);
    t->SetSchema(schema);
    for (const auto& [c, type] : cols) {
        TFldData* f = t->AddFld(c);
        f->FieldType = type;
        if (type == iftVarchar) f->CharLength = f->FieldLength = 10;
    }
    o.AddObj(t);
    return t;
}

struct TrgSpec {
    const char* name;
    const char* owner;
    TBefAftType befAft;
    TInsUpdDelSet events;
    const char* body;
    std::int32_t position = 0;
    bool active = true;
    bool forEachRow = true;
};

inline TTrgData* AddTrigger(TCustomObjs& o, const TrgSpec& s, const std::string& schema = "") {
    auto* t = new TTrgData(&o);
    t->SetObjName(s.name);
    t->SetSchema(schema);
    t->SetOwnName(s.owner);
    t->SetEvents(s.befAft, s.events);
    t->SetBody(s.body);
    t->Position = s.position;
    t->Active = s.active;
    t->ForEachRow = s.forEachRow;
    o.AddObj(t);
    return t;
}

// A view over the given objects (tables, views, columns), linked to each as a parser would.
inline TViwData* AddView(TCustomObjs& o, const std::string& name, const std::string& body,
                         std::initializer_list<const char*> cols, std::initializer_list<TDbObj*> uses,
                         const std::string& schema = "") {
    auto* v = new TViwData(&o);
    v->SetObjName(name);
    v->SetSchema(schema);
    v->SetBody(body);
    for (const char* c : cols) v->AddFld(c);
    o.AddObj(v);
    for (TDbObj* u : uses) o.LinkDepend(v, u);
    return v;
}

// The script as a C++ string literal, one source line per script line: what a failing
// golden test prints so that the difference can be read.
inline std::string AsLiteral(const std::string& s) {
    std::string r = "\n\"";
    for (char c : s) {
        if (c == '\r') r += "\\r";
        else if (c == '\n') r += "\\n\"\n\"";
        else if (c == '"' || c == '\\') r += std::string("\\") + c;
        else r += c;
    }
    return r + "\"\n";
}

// One golden comparison of triggers and views: how to fill the sets for a kind, and the whole
// script.
struct GoldenCase {
    const char* name;
    TDatabaseType db;
    std::function<void(Compare&, TDatabaseType)> fill;
    std::string script;
};
inline void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

// Fills the sets (after prepare, which sets server versions), compares, checks the whole
// script, and compares again: the same sets must give the same script.
inline void ExpectGoldenScript(const GoldenCase& g, const std::function<void(Compare&)>& prepare) {
    Compare c(g.db);
    prepare(c);
    g.fill(c, g.db);
    const std::string script = c.Run();
    EXPECT_EQ(script, g.script) << AsLiteral(script);
    EXPECT_EQ(c.Run(), script);
}

}  // namespace dbtwin::testing
