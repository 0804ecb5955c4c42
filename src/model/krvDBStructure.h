// Structure components: each stands for one database of a comparison, owns its object set
// and is the meeting point of the extractor that fills the set and the comparer that reads it.
#pragma once

#include <memory>
#include <string>

#include "core/krvComponent.h"
#include "core/krvDBOptions.h"
#include "model/krvClasses.h"

namespace dbtwin {

class TCustomExtract;
class TObjs;

class TCustomDBStructure : public TComponent {
public:
    using TComponent::TComponent;

    // Frees every object of the set and empties the prefix; the database kind stays.
    virtual void Clear();

    TCustomObjs* GetObjs() const { return fObjs; }
    // Prefix that this database's object names carry and the other database's do not.
    const std::string& GetDbPrefix() const { return fdb_prefix; }
    void SetDbPrefix(const std::string& aPrefix) { fdb_prefix = aPrefix; }
    TCustomExtract* GetExtractor() const { return fExtractor; }
    // Set and cleared by the extractor when it is bound to this structure.
    void SetExtractor(TCustomExtract* aExtractor);
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
    TCustomExtract* fExtractor = nullptr;    // not owned
    std::string fdb_prefix;
};

// The concrete structure: owns a TObjs.
class TDBStructure : public TCustomDBStructure {
public:
    explicit TDBStructure(TComponent* aOwner = nullptr);
    ~TDBStructure() override;

    TCompareRoleType GetCompareRole() const { return fObjs ? fObjs->GetCompareRole() : crUnknownRole; }
    TObjs* GetMetadata() const;

private:
    std::unique_ptr<TObjs> fOwnedObjs;
};

}  // namespace dbtwin
