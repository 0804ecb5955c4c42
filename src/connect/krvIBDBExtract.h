// InterBase/Firebird databases: fills a structure's object set from the RDB$ catalog of a live
// database through a connection. It lives in the connection layer because it needs the
// connection (the extract layer comes before it). Every catalog query binds its names as
// parameters; a query that fails ends the run with false.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "connect/krvDBEngine.h"
#include "extract/krvCustomExtract.h"
#include "objects/krvCompColumn.h"

namespace dbtwin {

class TFldData;

class TIBDBExtract : public TCustomExtract {
public:
    explicit TIBDBExtract(TComponent* aOwner = nullptr);
    ~TIBDBExtract() override;

    TKRVCustomConnection* GetKRVConnection() const { return fConnection; }
    void SetKRVConnection(TKRVCustomConnection* aConnection);

    // Opens the connection, reads the catalog into the structure's set, links the
    // dependencies and closes the connection again. False on any error.
    bool ExtractDatabase() override;

    // One row of a catalog query: the field values by upper-case field name.
    using TRow = std::map<std::string, TKRVValue>;

protected:
    void Notification(TComponent* aComponent, TOperation aOperation) override;

private:
    // Runs a SELECT with the given parameter values (bound by marker order) and returns
    // every row. Throws on a failed query.
    std::vector<TRow> Select(const std::string& aSQL, const std::vector<std::string>& aParams = {});
    // The same, handing each row to aRow as it is read (one row object for the whole result).
    void ForEach(const std::string& aSQL, const std::vector<std::string>& aParams,
                 const std::function<void(const TRow&)>& aRow);
    void LoadLookups();
    // Names of the character set, its default collation and the collation (COLL_ID) of a row.
    std::string CharSetName(const TRow& r) const;
    std::string DefaultCollation(const TRow& r) const;
    std::string CollationName(const TRow& r) const;
    const std::vector<std::string>& Segments(const std::string& aIndex);
    // The RDB$FIELDS columns a type needs, with the character set; the collation (COLL_ID)
    // is aCollation.
    std::string FieldColumns(const std::string& aCollation) const;

    void ExtractCollations();
    void ExtractDomains();
    void ExtractGenerators();
    void ExtractExceptions();
    void ExtractTables();
    void ExtractConstraints();
    void ExtractIndices();
    void ExtractViews();
    void ExtractRoutines();
    void ExtractTriggers();
    void ExtractPackages();
    void ExtractUdfs();
    void ExtractRoles();
    void ExtractGrants();
    void LinkDepend();
    bool SkipExternalEngine(const TRow& r, const std::string& aKind, const std::string& aName);

    // The type of a catalog field (RDB$FIELDS row, columns prefixed by aPrefix) as the
    // script reader keeps it.
    void DecodeType(TFldData* f, const TRow& r);
    void DecodeParam(TFldData* f, const TRow& r);

public:
    // The event text of a Firebird DDL trigger type: "ANY DDL STATEMENT" or the events
    // joined by " OR "; empty when the type names no event or an unknown one.
    static std::string DdlEventText(std::int64_t aType);

private:

public:
    // The capability probe: one statement that tells which catalog columns and tables the
    // database has (code 1 also brings the default character set). Codes 29 and 30 are this
    // extractor's own: the external engine of routines and the start value of generators.
    static std::string CapabilityProbeSQL();

    // What the last probe found; every optional catalog column is read only when its flag
    // is set.
    bool fRdbFldPrecision = false, fRdbRelationType = false, fRdbGnrDescription = false, fRdbRolDescription = false,
         fRdbRolSysFlag = false, fRdbRoles = false, fRdbUpdateRule = false, fRdbDeleteRule = false,
         fRdbUdfPrecision = false, fRdbProcParamParameterMechanism = false, fRdbProcParamDefaultSource = false,
         fRdbProcParamCollationID = false, fRdbRelFldGeneratorName = false, fRdbRelFldIdentityType = false,
         fRdbParamTableColumn = false, fRdbGeneratorIncrement = false, fRdbProcParamNullFlag = false,
         fRdbFunctionSource = false, fRdbFuncArgName = false, fRdbFuncArgDesc = false, fRdbPackages = false,
         fRdbProcPackageName = false, fRdbBaseCollationName = false, fRdbFuncOwnerName = false,
         fRdbEngineName = false, fRdbGeneratorInitialValue = false;

private:
    // Runs the capability probe and sets the flags.
    void Probe();
    // aExpr when aHave, else a NULL of aType named aAlias (the column aExpr reads).
    static std::string Optional(bool aHave, const std::string& aExpr, const char* aType, const std::string& aAlias);
    // Identity columns and packages need both of their catalog items.
    bool HasIdentity() const { return fRdbRelFldIdentityType && fRdbRelFldGeneratorName; }
    bool HasPackages() const { return fRdbPackages && fRdbProcPackageName; }

    TKRVCustomConnection* fConnection = nullptr;  // not owned
    std::set<std::string> fRefusedDomains;  // domains the accept test left out
    std::map<std::string, std::vector<TDbArrayBound>> fDimensions;  // array bounds by field name
    std::map<std::string, std::vector<std::string>> fSegments;      // index columns by index name
    bool fSegmentsRead = false;
    std::map<std::int64_t, std::pair<std::string, std::string>> fCharSets;  // id -> name, default collation
    std::map<std::pair<std::int64_t, std::int64_t>, std::string> fCollations;  // (set, id) -> name
    std::map<std::string, std::int64_t> fIdentityStart;  // identity generator -> start value
};

}  // namespace dbtwin
