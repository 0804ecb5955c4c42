// Indices.
#pragma once

#include "objects/krvComp_Tbl.h"

namespace dbtwin {

class TKeldar;

class TIdxData : public TDbObj {
public:
    explicit TIdxData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TIdxData"; }
    TObjListKind ListKind() const override { return olIdx; }
    TDescriptionTarget DescriptionTarget() const override {
        TDescriptionTarget t = TDbObj::DescriptionTarget();
        t.OwnerName = TblName;
        return t;
    }

    TTableSpace fTblSpace;          // physical attributes, written after the index text
    bool Unique = false;
    bool Bitmap = false;
    bool Desc = false;              // descending index
    std::string TblName;            // indexed table
    // Indexed columns; an entry's IndexSortType 2 means descending, its CharLength a MySQL
    // prefix length.
    TFldList Flds;
    bool Active = true;             // InterBase/Firebird: index active
    bool ReCreated = false;         // dropped and created from the master in this run: not altered again
    std::int32_t SegmentCount = 0;
    bool Clustered = false;         // SQL Server CLUSTERED
    bool Primary = false;           // SQL Server PRIMARY XML
    bool Xml = false;               // SQL Server XML index
    TRareString FileGroup;          // SQL Server file group
    TFldList IncludeCols;           // SQL Server INCLUDE columns
    TRareString UsingIndex;         // SQL Server clause text written after the column list
    TIndexOptions XmlIndexOptions;
    TRareString WhereCond;          // filtered (partial) index condition
    TRareString IndexType;          // Oracle domain index type
    TRareString Parameters;         // and its parameters
    TRareString ClusterName;        // Oracle cluster
    bool NoLogging = false;
    bool Compress = false;
    bool NoCompress = false;
    TRareString TableSpace;
    std::int32_t FillFactor = 0;
    TIndexOptions IndexOptions;     // its Using is the index method (MySQL, PostgreSQL)
    bool FullText = false;
    TRareString KeyIndex;           // SQL Server full-text key index
    TRareString CatalogName;        // and catalog
    TRareString CatalogFileGroup;
    TFullTextIndexOptions FullTextIndexOptions;
    bool Spatial = false;
    bool AllowReverseScans = false; // DB2

    // Appends an indexed column (owned by the index) and returns it; nullptr when the
    // name is already listed.
    TFldData* AddFld(const std::string& aName);
    TFldData* AddIncludeCol(const std::string& aName);
    // Frees the records attached to both column lists and empties them.
    void ClearFlds();

    // Indexed columns: quoted name, for MySQL the prefix length, " DESC" for descending
    // entries; joined by ", ".
    std::string GetFlds() const;
    // Quoted INCLUDE column names joined by ", ".
    std::string GetIncludeCols() const;

    std::string GetObjKeyDef() const override;
    std::string Def() const override;
    std::string DropDef() const override;
    // The base step; InterBase/Firebird then reconnects before every index drop.
    void DoBeforeDrop() override;
};

// Comparer generators for indices.
void GenScriptIdxDrop(TKeldar& Keldar);
void GenScriptIdxCreate(TKeldar& Keldar);
void GenScriptIdxAlter(TKeldar& Keldar);

}  // namespace dbtwin
