// PostgreSQL operators and operator classes: the records, their texts and their generators.
//
// An operator's name is made of operator characters, never an identifier: it is written as
// it is, after its quoted schema; where another clause names an operator of a schema it
// uses the OPERATOR(schema.op) form. Argument, storage and class types are type texts and
// are written as they are; routine, schema and class names are quoted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/krvClasses.h"

namespace dbtwin {

class TKeldar;

class TOprData : public TDbObj {
public:
    explicit TOprData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboOperator; }
    const char* ClassName() const override { return "TOprData"; }

    std::string Proc;        // the routine that implements the operator
    std::string LeftArg;     // type texts; empty: none
    std::string RightArg;
    std::string Commutator;  // operators, optionally schema-qualified
    std::string Negator;
    std::string Restrict;    // selectivity routines
    std::string Join;
    bool Hashes = false;
    bool Merges = false;
    std::string Sort1;       // operators of the old merge-join syntax
    std::string Sort2;
    std::string LtCmp;
    std::string GtCmp;

    // "(left, right)", NONE standing for a missing argument.
    std::string ParamDef() const;
    // schema.name (left, right): operators overload by their argument types.
    std::string GetObjKeyDef() const override;
    std::string Def() const override;
    std::string DropDef() const override;
    TObjListKind ListKind() const override { return olOpr; }
};

class TOpcData;

// An operator of an operator class.
class TOpcOprData {
public:
    explicit TOpcOprData(TOpcData* aOwner) : fOwner(aOwner) {}
    TOpcData* fOwner;
    std::int32_t Number = 0;  // strategy number
    std::string ObjName;      // the operator, optionally schema-qualified
    std::string lArg, rArg;   // type texts
    bool ReCheck = false;     // kept for readers

    // " (left, right)" when either argument is set, NONE standing for a missing one.
    std::string ParamDef() const;
    std::string Def() const;
    // The operator as named, with its argument text.
    std::string ObjKeyDef() const;
};

// A support routine of an operator class.
class TOpcFncData {
public:
    explicit TOpcFncData(TOpcData* aOwner) : fOwner(aOwner) {}
    TOpcData* fOwner;
    std::int32_t Number = 0;          // support number
    std::string ObjName;              // the routine, optionally schema-qualified
    std::vector<std::string> Params;  // argument type texts

    // "(type, type)".
    std::string ParamDef() const;
    std::string Def() const;
    // The routine as named, with its argument text.
    std::string ObjKeyDef() const;
};

class TOpcData : public TDbObj {
public:
    explicit TOpcData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboOperatorClass; }
    const char* ClassName() const override { return "TOpcData"; }

    bool DefOpClass = false;  // DEFAULT for its type
    std::string ForType;      // type text
    std::string IdxMethod;    // index access method
    std::vector<std::unique_ptr<TOpcOprData>> Opr;
    std::vector<std::unique_ptr<TOpcFncData>> Fnc;
    std::string Storage;      // type text

    TOpcOprData* AddOpr(std::int32_t aNumber, const std::string& aName, const std::string& aLeft = std::string(),
                        const std::string& aRight = std::string());
    TOpcFncData* AddFnc(std::int32_t aNumber, const std::string& aName, std::vector<std::string> aParams);

    // schema.name(method): class names are unique per access method.
    std::string GetObjKeyDef() const override;
    std::string Def() const override;
    std::string DropDef() const override;
    TObjListKind ListKind() const override { return olOpc; }
    // A class that uses an operator about to be dropped goes first; the class generators
    // write it again from the master.
    void DropForUsed(TDbObj* aUsed, TDependObj* aLink) override;
};

// A routine name as written in a statement: each part quoted, a part already in quotes
// kept.
std::string QuoteQualifiedName(const TDbObj& aObj, const std::string& aName);
// An operator named inside another clause: OPERATOR(schema.op) when it has a schema, else
// the operator itself.
std::string OperatorRef(const TDbObj& aObj, const std::string& aName);

// Operator and operator class generators of the comparer (PostgreSQL targets).
void GenScriptOprCreate(TKeldar& Keldar);
void GenScriptOprAlter(TKeldar& Keldar);
void GenScriptOprDrop(TKeldar& Keldar);
void GenScriptOpcCreate(TKeldar& Keldar);
void GenScriptOpcAlter(TKeldar& Keldar);
void GenScriptOpcDrop(TKeldar& Keldar);

}  // namespace dbtwin
