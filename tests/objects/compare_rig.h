// A comparison set up as a host would: master and target structures of one database kind,
// a comparer and a statement list. Run() compares and returns the script text.
#pragma once

#include <initializer_list>
#include <string>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "model/krvDBStructure.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin::testing {

struct Compare {
    TDBStructure master, target;
    TKeldar keldar;
    TSQLExec exec;
    explicit Compare(TDatabaseType db) {
        master.SetDatabaseType(db);
        target.SetDatabaseType(db);
        keldar.SetDBStructureMaster(&master);
        keldar.SetDBStructureTarget(&target);
        keldar.SetSQLExec(&exec);
    }
    // Files an empty table in one side's set.
    static TTblData* Table(TDBStructure& s, const char* name) {
        auto* t = new TTblData(s.GetObjs());
        t->SetObjName(name);
        s.GetObjs()->AddObj(t);
        return t;
    }
    std::string Run() {
        keldar.CompareDatabases();
        return exec.GetScriptText();
    }
};

}  // namespace dbtwin::testing
