// Object builders shared by the tests: tables with typed columns, indices, constraints,
// triggers and views, filed in one side's set as a script parser would file them.
// A builder fails the running test when the set refuses the object.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "model/krvClasses.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin::testing {

// One column of a built table: INTEGER unless typed. A VARCHAR is 10 characters long unless
// a length is given; other types take the length as given (0: none).
struct Col {
    Col(const char* aName, TDBFieldType aType = iftInteger, std::int32_t aLength = -1)
        : name(aName), type(aType), length(aLength) {}
    Col(const std::string& aName, TDBFieldType aType = iftInteger, std::int32_t aLength = -1)
        : name(aName), type(aType), length(aLength) {}
    std::string name;
    TDBFieldType type;
    std::int32_t length;
};

// Adds one column to a table (or view) with the given type and length.
TFldData* AddColumn(TTblData& t, const Col& c);

// A table of the given columns, filed in o.
TTblData* AddTable(TCustomObjs& o, const std::string& name, std::initializer_list<Col> cols = {},
                   const std::string& schema = std::string());

// An index on table; columns are names, "name DESC" marks a descending entry.
TIdxData* AddIndex(TCustomObjs& o, const std::string& name, const std::string& table,
                   std::initializer_list<std::string> cols,
                   const std::function<void(TIdxData&)>& tweak = nullptr);

// A constraint of the type on table's columns; its system name is checked once tweaked.
TCtrData* AddConstraint(TCustomObjs& o, TConstraintType type, const std::string& name, const std::string& table,
                        std::initializer_list<const char*> cols,
                        const std::function<void(TCtrData&)>& tweak = nullptr);

TCtrData* AddForeignKey(TCustomObjs& o, const std::string& name, const std::string& table,
                        std::initializer_list<const char*> cols, const std::string& refTable,
                        std::initializer_list<const char*> refCols,
                        const std::function<void(TCtrData&)>& tweak = nullptr);

// Links indices and constraints to their tables and columns, and foreign keys to the keys
// they reference, as the script parsers do.
void LinkAll(TCustomObjs& o);

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

TTrgData* AddTrigger(TCustomObjs& o, const TrgSpec& s, const std::string& schema = std::string());

// A view over the given objects (tables, views, columns), linked to each as a parser would.
TViwData* AddView(TCustomObjs& o, const std::string& name, const std::string& body,
                  std::initializer_list<const char*> cols, std::initializer_list<TDbObj*> uses,
                  const std::string& schema = std::string());

// A routine: a function when returns are given and func is set, else a procedure (with
// result columns when returns are given). Parameters are typed like table columns and
// filed before the routine, whose key may carry them. Linked to what it uses.
struct PrcSpec {
    const char* name;
    const char* body;
    std::initializer_list<Col> params = {};
    std::initializer_list<Col> returns = {};
    bool func = false;
};
TPrcData* AddRoutine(TCustomObjs& o, const PrcSpec& s, std::initializer_list<TDbObj*> uses = {},
                     const std::string& schema = std::string(),
                     const std::function<void(TPrcData&)>& tweak = nullptr);

// A domain of the given type (typed like a table column), tweaked before it is filed.
TDmnData* AddDomain(TCustomObjs& o, const std::string& name, const Col& type,
                    const std::function<void(TDmnData&)>& tweak = nullptr, const std::string& schema = std::string());
// A column of table t typed by the domain, linked to it as a parser links it.
TFldData* AddDomainColumn(TCustomObjs& o, TTblData& t, const std::string& name, TDmnData& domain);
// A generator or sequence, its options set by tweak.
TGnrData* AddSequence(TCustomObjs& o, const std::string& name, const std::function<void(TGnrData&)>& tweak = nullptr,
                      const std::string& schema = std::string());

// Files obj in o; a refused object fails the test and is freed.
bool FileObj(TCustomObjs& o, TDbObj* obj);

template <class T>
T* File(TCustomObjs& o, T* obj) {
    return FileObj(o, obj) ? obj : nullptr;
}

}  // namespace dbtwin::testing
