// Rules: SQL Server/ASE rules and PostgreSQL rewrite rules.
#pragma once

#include <string>

#include "model/krvClasses.h"
#include "objects/krvComp_Trg.h"

namespace dbtwin {

class TKeldar;

class TRulData : public TDbObj {
public:
    explicit TRulData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboRule; }
    const char* ClassName() const override { return "TRulData"; }
    TObjListKind ListKind() const override { return olRul; }

    bool Bracket = false;            // kept for readers
    std::string RuleExpr;            // SQL Server/ASE: the condition; PostgreSQL: the commands
    TInsUpdDelType Event = iudUnknown;  // PostgreSQL: the event
    std::string TblName, SchName;    // PostgreSQL: the table the rule is on
    std::string Cond;                // PostgreSQL: the WHERE condition, parenthesised
    std::string Action;              // PostgreSQL: ALSO, INSTEAD or empty
    bool Nothing = false;            // PostgreSQL: DO ... NOTHING

    // PostgreSQL rule names are unique per table: the key is schema.table.name.
    std::string GetObjKeyDef() const override;
    std::string Def() const override;
    std::string DropDef() const override;
    // SQL Server and ASE: columns bound to the rule are unbound before its drop and bound
    // again after its create.
    void DoBeforeDrop() override;
    void AddCreateStatement() override;
    // A PostgreSQL rule goes with the table or view it is on.
    void DropForUsed(TDbObj* aUsed, TDependObj* aLink) override;

private:
    // PostgreSQL: the table the rule is on, quoted, with its schema.
    std::string PGTableName() const;
};

void GenScriptRulCreate(TKeldar& Keldar);
void GenScriptRulAlter(TKeldar& Keldar);
void GenScriptRulDrop(TKeldar& Keldar);

}  // namespace dbtwin
