// Schemas the benchmarks compare, built in memory.
#pragma once

#include <string>

#include "model/krvClasses.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin {

// N tables of 20 varchar columns. Comparing the master (aMaster) with the target version: a
// tenth of the tables differ (a column added, one dropped, one widened, one with a new
// default), a few are new or dropped.
inline void FillCompareTables(TCustomObjs& o, int n, bool aMaster) {
    auto name = [](const char* prefix, int i) { return prefix + std::to_string(i); };
    for (int i = 0; i < n; ++i) {
        if ((i % 97 == 0 && !aMaster) || (i % 89 == 0 && aMaster)) continue;
        auto* t = new TTblData(&o);
        t->SetObjName(name("TABLE_", i));
        const bool changed = i % 10 == 0;
        for (int c = 0; c < 20; ++c) {
            if (changed && c == 3 && aMaster) continue;
            TFldData* f = t->AddFld(name("COL_", c));
            f->FieldType = iftVarchar;
            f->CharLength = changed && c == 5 && aMaster ? 80 : 40;
            if (changed && c == 7 && aMaster) f->SetDefValue("'x'");
        }
        if (changed && aMaster) t->AddFld("ADDED")->FieldType = iftInteger;
        o.AddObj(t);
    }
}

}  // namespace dbtwin
