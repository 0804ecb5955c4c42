// Tables, schemas and publications.
#pragma once

#include <string>
#include <vector>

#include "model/krvClasses.h"
#include "objects/krvCompColumn.h"

namespace dbtwin {

// Columns in column order, looked up by name; owned.
using TFldList = TKeyedList<TFldData>;

class TTblData : public TDbObj {
public:
    explicit TTblData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TTblData"; }

    bool fSkipComputedDef = false;  // while set, the table text leaves out computed columns
    bool fUpdFldPos = false;        // the column order must be rewritten
    TTableSpace fTblSpace;          // Oracle physical attributes
    TMySQLTableOptions fMySQLOptions;
    TFldList Flds;
    bool Exists = false;            // master table found in the target
    bool Compare = false;           // master table equals its target counterpart
    bool ReCreated = false;         // dropped and created again by this script: no column changes
    TGrantPrivilegeSet Grant;       // privileges noted by parsers
    TRareString ExternalFile;       // InterBase external file
    bool GlobalTemporary = false;
    bool LocalTemporary = false;
    TTblOnCommit TblOnCommit = tocUnknown;
    bool Temporary = false;
    TRareString FileGroup;          // SQL Server file group
    TRareString OfType;             // Oracle object-table type
    TRareString AsSelect;           // query of CREATE TABLE ... AS
    // Oracle clauses, kept as text.
    TRareString NestedTable, NestedTableExpr, StoreAs, Storage, ClusterName, ClusterFlds, Lob;
    bool NoLogging = false;
    bool Compress = false;
    TRareString TableSpace;
    TRareString Partition1;         // Oracle range partitioning: column list
    TRareString Partition2;         // and partition list
    bool VolatileCardinality = false;  // DB2
    bool WithOids = false;          // PostgreSQL WITH OIDS

    TFldData* FindFld(std::string_view aName) const { return Flds.Find(aName); }
    // FindFld for a walk over the columns of a matching table: aHint is the position to try
    // first, moved past each column found.
    TFldData* FindFld(std::string_view aName, std::size_t& aHint) const { return Flds.FindNear(aName, aHint); }
    // Creates a column owned by this table and appends it.
    TFldData* AddFld(const std::string& aName);
    void SetSkipComputedDef(bool Value) { fSkipComputedDef = Value; }
    // Stores the flag here and on the matching table of the other set.
    void SetUpdFldPos(bool Value);

    // "TABLE name(columns)" with the clauses of the table's dialect, without CREATE.
    std::string TypeDef() const;
    // CREATE TABLE for MySQL: columns, then the table's primary key, unique constraints and
    // indices inline (each marked created), then the table options.
    std::string MySQLCreateDef() const;
    std::string CreateDef() const override;
    std::string Def() const override { return CreateDef(); }
    std::string DropDef() const override;

    // Pulls in what the table uses, then marks its columns created (they are created with
    // the table), except computed ones left out while fSkipComputedDef is set.
    void DoBeforeCreate() override;
    // Not created: the table with what it uses. Created: the computed columns left out of
    // its CREATE TABLE whose inputs now exist.
    void CreateDependDef() override;
    // Drops the target's triggers and indices of the table and what uses it, then the base step.
    void DoBeforeDrop() override;

    TObjListKind ListKind() const override { return olTbl; }
    const TFldList* GetColumns() const override { return &Flds; }
    void ForEachField(const std::function<void(TDbObj*)>& f) const override {
        for (TFldData* c : Flds) f(c);
    }
    void ForEachDescribedField(const std::function<void(TDbObj*)>& f) const override { ForEachField(f); }
    // A target table the master also holds is altered, not dropped.
    bool KeptWhenMasterHolds() const override { return true; }
    // A user needs the table: it is created first. For a computed column the table is
    // created without its computed columns, unless the column needs another of them.
    void CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) override;
};

// A schema of the kinds that have schemas as objects (PostgreSQL, SQL Server, DB2; on
// Oracle a schema is a user).
class TSchData : public TDbObj {
public:
    explicit TSchData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboSchema; }
    const char* ClassName() const override { return "TSchData"; }
    TObjListKind ListKind() const override { return olSch; }

    // The schema's owner is the object's owner user, where parsers and the export also find it.
    const std::string& GetOwnName() const { return Extra().OwnUser; }
    void SetOwnName(const std::string& aName) { EditExtra().OwnUser = aName; }

    // CREATE SCHEMA, with the owner where the kind names it, and DROP SCHEMA (never taking
    // objects with it); empty where a script does not create or drop schemas.
    std::string Def() const override;
    std::string DropDef() const override;
    // A schema the server provides and keeps: never created, dropped or described.
    bool ServerProvided() const;
    void AddCreateDescriptions() override;
};

class TPblData;

// One article of a publication: a table, optionally limited to some of its columns and to
// the rows of a condition, and the expression that routes its rows to subscribers.
class TPblArtData : public TObject {
public:
    explicit TPblArtData(TPblData* aOwner) : fOwner(aOwner) {}

    std::vector<std::string> fFlds;  // column names; empty: every column
    TPblData* fOwner;
    std::string TblName;
    std::string OwnUser;  // owner of the table
    std::string WhereClause;
    std::string SubscribeBy;

    // "    TABLE owner.table(columns) WHERE ... SUBSCRIBE BY ...".
    std::string Def() const;
    // The article as ALTER PUBLICATION names it: "owner.table(columns) WHERE ... SUBSCRIBE BY ...".
    std::string Description() const;
    // The table as ALTER PUBLICATION ... DROP TABLE names it.
    std::string TableName() const;
};

// A SQL Anywhere publication.
class TPblData : public TDbObj {
public:
    explicit TPblData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboPublication; }
    const char* ClassName() const override { return "TPblData"; }
    TObjListKind ListKind() const override { return olPbl; }

    // Articles filed under owner + "." + table; owned.
    TKeyedList<TPblArtData> fArticles{true, false, true};

    // Creates an article of the publication and files it; an article of a table already
    // listed is refused (nullptr).
    TPblArtData* AddArticle(const std::string& aOwnUser, const std::string& aTblName);
    std::string Def() const override;
    std::string DropDef() const override;
    // The statements that turn aOld (the target's publication) into this one, article by
    // article: ADD, MODIFY and DROP TABLE.
    std::vector<std::string> AlterDefs(const TPblData& aOld) const;
    // The tables and columns the publication uses are created first.
    void DoBeforeCreate() override;
};

class TKeldar;

// Comparer generators for tables and columns.
void CompareTables(TKeldar& Keldar);
void GenScriptTablCreate(TKeldar& Keldar);
void GenScriptTblFldCreate(TKeldar& Keldar);
void GenScriptTablAlter(TKeldar& Keldar);
void GenScriptTablDrop(TKeldar& Keldar);
void GenScriptTblFldPosition(TKeldar& Keldar);

// Schemas: created early, described and given their owner, and dropped near the end when
// nothing is left in them.
void GenScriptSchCreate(TKeldar& Keldar);
void GenScriptSchAlter(TKeldar& Keldar);
void GenScriptSchDrop(TKeldar& Keldar);
// Publications: dropped, altered article by article, created.
void GenScriptPblDrop(TKeldar& Keldar);
void GenScriptPblAlter(TKeldar& Keldar);
void GenScriptPblCreate(TKeldar& Keldar);

// Column alteration: every column found on both sides whose text differs is changed by the
// routine of the target's database kind; what a server cannot change becomes a comment line
// and a warning.
void GenScriptColumnsAlter(TKeldar& Keldar);
// 1 when an InterBase/Firebird column of type Old can take type New, 0 when the types are
// the same, -1 when the change cannot be made safely.
int IBAllowDataTypeAlter(const TFldData& New, const TFldData& Old);
// Whether SQL Server's ALTER COLUMN converts type Old to type New.
bool MSSQLConversionAllowed(TDBFieldType Old, TDBFieldType New);
// SQL Server: tables whose column order changed are rebuilt through a scratch copy.
void MSSQLUpdateColumnPositionRecreateTable(TKeldar& Keldar);
// Rebuilds the master tables flagged fUpdFldPos through a scratch copy (create the copy,
// copy the rows in, drop and create the table in the master's order with its dependants,
// copy the rows back, drop the copy).
void RecreateTablesForColumnOrder(TKeldar& Keldar);

// The master names of a table's columns in the order the target table has them once this
// run has added the master's new columns: kept columns in the target's order, new ones
// after their master predecessor (InPlace, as ADD ... AFTER does) or at the end.
std::vector<std::string> ColumnOrderAfterAdds(const TTblData& Master, const TTblData& Target, bool InPlace);
// The master's column names in its own order (created columns only).
std::vector<std::string> MasterColumnOrder(const TTblData& Master);
// Marks the members of one longest strictly increasing subsequence of Values.
std::vector<bool> LongestIncreasingRun(const std::vector<std::size_t>& Values);

}  // namespace dbtwin
