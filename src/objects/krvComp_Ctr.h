// Constraints: primary keys, unique constraints, foreign keys, checks, named NOT NULL
// constraints, default constraints and column-level references.
#pragma once

#include "objects/krvComp_Tbl.h"

namespace dbtwin {

class TKeldar;

enum TConstraintType : std::uint8_t {
    ctPKey, ctUnique, ctFKey, ctCheck, ctKey, ctDefault, ctNotNull, ctReferences
};
DBTWIN_ENUM_COUNT(TConstraintType, 8);
using TConstraintTypeSet = TSet<TConstraintType>;

// Referential action.
enum TUDAction : std::uint8_t { udaNoAction, udaRestrict, udaCascade, udaDefault, udaNull };
DBTWIN_ENUM_COUNT(TUDAction, 5);

enum TMatchAction : std::uint8_t { maSimple, maFull, maPartial };
DBTWIN_ENUM_COUNT(TMatchAction, 3);

class TCtrData : public TDbObj {
public:
    explicit TCtrData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TCtrData"; }

    TConstraintType fCtType = ctFKey;
    TTableSpace fTblSpace;           // physical attributes written after the text
    std::string fTblName;            // constrained table
    std::string fRefTblName;         // referenced table
    std::string fRefSchema;          // referenced schema
    TFldList Flds;                   // constrained columns
    TRareString RefUser;             // ASA: owner of the referenced table
    TRareString FkRoleName;          // ASA foreign key role name
    TFldList RefFlds;                // referenced columns
    TMatchAction Match = maSimple;   // PostgreSQL MATCH
    TUDAction OnUpdate = udaNoAction;
    TUDAction OnDelete = udaNoAction;
    bool UsingDescIndex = false;     // InterBase USING DESC INDEX
    // The index clause: the index name for InterBase and MySQL, the raw clause otherwise.
    TRareString UsingIndex;
    bool CheckOnCommit = false;      // ASA CHECK ON COMMIT
    bool Clustered = false;
    bool WithCheck = false;          // SQL Server WITH CHECK / NOCHECK (parsers)
    bool WithNoCheck = false;
    std::int32_t FillFactor = 0;
    TRareString FileGroup;
    bool NotForReplication = false;
    bool Deferrable = false;
    bool InitiallyDeferred = false;
    bool DeferrableInitiallyDeferred = false;
    TIndexOptions IndexOptions;

    // Stores the type and sets the object kind that goes with it.
    void SetCtType(TConstraintType aType);
    // Table names are stored upper-cased for SQL Server unless identifiers are case-sensitive.
    void SetTblName(const std::string& aName);
    void SetRefTblName(const std::string& aName);
    void SetRefSchema(const std::string& aSchema);
    // Appends a constrained / referenced column (owned) and returns it; nullptr when listed.
    TFldData* AddFld(const std::string& aName);
    TFldData* AddRefFld(const std::string& aName);

    // Quoted constrained / referenced column names joined by ", ".
    std::string GetFields() const;
    std::string GetRefFlds() const;
    // The index clause of a key.
    std::string UsingIndexDef() const;
    // The constraint clause; ForField: written inside a column definition.
    std::string ConstraintDef(bool ForField) const;
    // Oracle named NOT NULL: " MODIFY (column CONSTRAINT name NOT NULL)".
    std::string OracleNotNullDef() const;
    // Whether DropDef holds a statement that removes the constraint, not only a comment.
    bool CanDrop() const;

    std::string GetCaption() const override;
    std::string GetObjKeyDef() const override;
    std::string Def() const override;
    std::string DropDef() const override;
    // Creates the tables and table columns the constraint uses first.
    void DoBeforeCreate() override;
    // Keys: the foreign keys that reference them are dropped first.
    void DoBeforeDrop() override;
    // A constraint that cannot be dropped (no name known) stays in place: its drop is
    // written as a comment and a warning, and the constraint is still counted as present.
    void DropDependDef() override;

    TObjListKind ListKind() const override { return olCtr; }
    TDescriptionTarget DescriptionTarget() const override;
    // Judges the name by the rule of the database kind; a system-generated name moves to
    // SysName.
    void CheckSysName() override;
    // A constraint without a name of its own is listed under its system name.
    std::string DropStatementName() const override { return fObjName.empty() ? Extra().SysName.str() : fObjName; }

private:
    // "ALTER TABLE " + the table; Quoted: schema and name quoted apart.
    std::string TableText() const;
};

// Comparer generators for constraints.
void GenScriptCtrDrop(TKeldar& Keldar);
void GenScriptCtrCreate(TKeldar& Keldar, TConstraintTypeSet Filter);

}  // namespace dbtwin
