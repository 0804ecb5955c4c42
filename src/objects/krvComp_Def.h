// Defaults and collations, and the generator passes that the small kinds (defaults, rules,
// collations, events) share.
#pragma once

#include <functional>
#include <string>

#include "model/krvClasses.h"

namespace dbtwin {

class TKeldar;

// A stand-alone default of SQL Server and ASE (CREATE DEFAULT ... AS expression), bound to
// columns later.
class TDefData : public TDbObj {
public:
    explicit TDefData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboDefault; }
    const char* ClassName() const override { return "TDefData"; }
    TObjListKind ListKind() const override { return olDef; }

    bool Bracket = false;  // kept for readers
    std::string DefExpr;

    std::string Def() const override;
    std::string DropDef() const override;
    // Columns bound to the default are unbound before its drop and bound again after its
    // create (SQL Server and ASE refuse to drop a bound default).
    void DoBeforeDrop() override;
    void AddCreateStatement() override;
};

// A Firebird collation.
class TCltData : public TDbObj {
public:
    explicit TCltData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboCollation; }
    const char* ClassName() const override { return "TCltData"; }
    TObjListKind ListKind() const override { return olClt; }

    std::string Charset;
    std::string BaseCollation;
    std::string ExtCollation;
    bool PadSpace = false;
    bool CaseSensitive = true;
    bool AccentSensitive = true;
    std::string Attributes;

    std::string Def() const override;
    // The columns, domains and routine parameters of the collation's own set that use it.
    std::vector<std::string> Users() const;
};

// The name of a SQL Server default or rule in its statements: schema and name, each quoted.
std::string MSSQLBoundObjectName(const TDbObj& aObj);
// SQL Server and ASE refuse to drop a default or rule bound to columns: the created columns
// that use aObj are unbound (aUnbind: sp_unbindefault, sp_unbindrule) before it is dropped,
// and bound again (aBind: sp_bindefault, sp_bindrule) once it is created. Other kinds: nothing.
void UnbindColumns(TDbObj& aObj, const char* aUnbind);
void BindColumns(TDbObj& aObj, const char* aBind);

// Generator passes of the small kinds over the kind list aKind, each with a heading comment
// before the first object it writes and a line break after the last:
// the master objects that are not created (the target lacks them, or they were dropped along
// the way) are created with what they use;
bool CreateMissingObjects(TKeldar& k, TObjListKind aKind, const std::string& aHeading);
// matched pairs whose texts differ: the target object is dropped with what uses it and the
// master object created. aKeep, when given, may keep a pair as it is (it then writes why).
bool RecreateChangedObjects(TKeldar& k, TObjListKind aKind, const std::string& aHeading,
                            const std::function<bool(TDbObj* m, TDbObj* t)>& aKeep = nullptr);
// The target objects without a master counterpart are dropped with what uses them.
void DropMissingObjects(TKeldar& k, TObjListKind aKind, const std::string& aHeading);

void GenScriptDefCreate(TKeldar& Keldar);
void GenScriptDefAlter(TKeldar& Keldar);
void GenScriptDefDrop(TKeldar& Keldar);
void GenScriptCltCreate(TKeldar& Keldar);
void GenScriptCltAlter(TKeldar& Keldar);
void GenScriptCltDrop(TKeldar& Keldar);

}  // namespace dbtwin
