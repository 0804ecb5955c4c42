// The structure base: stands for one database of a comparison, holds its object set and is
// the meeting point of the extractor that fills the set and the comparer that reads it. The
// set and the parsers reach the extractor bound to a structure through TExtractorLink only.
#pragma once

#include <string>

#include "core/krvComponent.h"
#include "core/krvDBOptions.h"
#include "core/krvTypes.h"
#include "model/krvClasses.h"

namespace dbtwin {

class TCustomDBStructure;

// What the object set, the structure and the parsers ask of the extractor bound to a
// structure: the accept decision of its filters, filing through them, and its error, log
// and progress reports. The extractor base (TCustomExtract) implements it.
class TExtractorLink : public TComponent {
public:
    using TComponent::TComponent;

    virtual TCustomDBStructure* GetDBStructure() const = 0;
    virtual void SetDBStructure(TCustomDBStructure* aStructure) = 0;
    // Name lists and database prefix, then the extractor's accept event.
    virtual bool AcceptObj(const std::string& aName, TDbObject aObjType) = 0;
    // Files the object in the structure's set when accepted; frees it otherwise.
    virtual bool AddObj(TDbObj* aObj) = 0;
    virtual void DoErrorMessage(const std::string& aText) = 0;
    virtual void DoLogNextLine(const std::string& aText) = 0;
    // Raises the extractor's log event with aSender as its sender; false when no handler is
    // assigned.
    virtual bool LogNextLineFrom(TObject* aSender, const std::string& aText) = 0;
    virtual void DoProgressUpdate(int Value, int MaxValue) = 0;
    virtual void SetShowFullLog(bool aValue) = 0;
    // Whether the set holds every object of the database of the kinds it models: no name
    // masks left objects out and every kind of object was read.
    virtual bool ReadsEveryObject() const { return true; }
};

class TCustomDBStructure : public TComponent {
public:
    using TComponent::TComponent;

    // Frees every object of the set and empties the prefix; the database kind stays.
    virtual void Clear();

    TCustomObjs* GetObjs() const { return fObjs; }
    // Prefix that this database's object names carry and the other database's do not.
    const std::string& GetDbPrefix() const { return fdb_prefix; }
    void SetDbPrefix(const std::string& aPrefix) { fdb_prefix = aPrefix; }
    TExtractorLink* GetExtractor() const { return fExtractor; }
    // Set and cleared by the extractor when it is bound to this structure.
    void SetExtractor(TExtractorLink* aExtractor);
    TDatabaseType GetDatabaseType() const { return fObjs ? fObjs->GetDatabaseType() : dbAbstract; }
    void SetDatabaseType(TDatabaseType aType) {
        if (fObjs) fObjs->SetDatabaseType(aType);
    }

    // The set's option objects (nullptr without a set); setting copies into them.
    TIBServerOptions* GetIBServerOptions() const { return fObjs ? &fObjs->fIBServerOptions : nullptr; }
    TASAServerOptions* GetASAServerOptions() const { return fObjs ? &fObjs->fASAServerOptions : nullptr; }
    TASEServerOptions* GetASEServerOptions() const { return fObjs ? &fObjs->fASEServerOptions : nullptr; }
    TMySQLServerOptions* GetMySQLServerOptions() const { return fObjs ? &fObjs->fMySQLServerOptions : nullptr; }
    TMSSQLServerOptions* GetMSSQLServerOptions() const { return fObjs ? &fObjs->fMSSQLServerOptions : nullptr; }
    TOracleServerOptions* GetOracleServerOptions() const { return fObjs ? &fObjs->fOracleServerOptions : nullptr; }
    TPGSQLServerOptions* GetPGSQLServerOptions() const { return fObjs ? &fObjs->fPGSQLServerOptions : nullptr; }
    TDB2ServerOptions* GetDB2ServerOptions() const { return fObjs ? &fObjs->fDB2ServerOptions : nullptr; }
    void SetIBServerOptions(const TIBServerOptions& v) { if (fObjs) fObjs->fIBServerOptions.Assign(v); }
    void SetASAServerOptions(const TASAServerOptions& v) { if (fObjs) fObjs->fASAServerOptions.Assign(v); }
    void SetASEServerOptions(const TASEServerOptions& v) { if (fObjs) fObjs->fASEServerOptions.Assign(v); }
    void SetMySQLServerOptions(const TMySQLServerOptions& v) { if (fObjs) fObjs->fMySQLServerOptions.Assign(v); }
    void SetMSSQLServerOptions(const TMSSQLServerOptions& v) { if (fObjs) fObjs->fMSSQLServerOptions.Assign(v); }
    void SetOracleServerOptions(const TOracleServerOptions& v) { if (fObjs) fObjs->fOracleServerOptions.Assign(v); }
    void SetPGSQLServerOptions(const TPGSQLServerOptions& v) { if (fObjs) fObjs->fPGSQLServerOptions.Assign(v); }
    void SetDB2ServerOptions(const TDB2ServerOptions& v) { if (fObjs) fObjs->fDB2ServerOptions.Assign(v); }

protected:
    void Notification(TComponent* aComponent, TOperation aOperation) override;

    TCustomObjs* fObjs = nullptr;            // created and owned by the concrete class
    TExtractorLink* fExtractor = nullptr;    // not owned
    std::string fdb_prefix;
};

}  // namespace dbtwin
