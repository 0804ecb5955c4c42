// The comparer: has two extractors fill a master and a target structure, matches their
// objects, and runs the per-kind script generators in a fixed phase order so that its
// statement list holds the script that turns the target into the master.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/krvComponent.h"
#include "core/krvDBOptions.h"
#include "core/krvMsgMngr.h"
#include "core/krvTypes.h"

namespace dbtwin {

class TCustomDBStructure;
class TCustomExtract;
class TCustomObjs;
class TCustomSQLExec;
class TStatement;
class TCustomKeldar;
class TKeldar;

// The kind lists of an object set (model/krvClasses.h).
enum TObjListKind : std::uint8_t;

// One generator of the phase order. Run is null for object kinds whose generators do not
// exist yet: the run writes no statements for them, and warns when the sets hold objects of
// the step's kind list (Kind). A step may carry a gate of its own, checked after its
// phase's: the categories that open it (any of them; empty = always) and the target kinds it
// is limited to (empty = every kind).
struct TKeldarStep {
    const char* Name;
    void (*Run)(TKeldar& Keldar);
    TCmpObjSetType AnyOf = {};
    TDatabaseSetType OnlyFor = {};
    TObjListKind Kind = {};  // the kind list a step without Run would write (olNone: none)
};

// One phase of the run: the categories that open its gate (any of them; empty = always),
// the target kinds it is limited to (empty = every kind), and its generators in order.
struct TKeldarPhase {
    int Number;
    TCmpObjSetType AnyOf;
    TDatabaseSetType OnlyFor;
    std::vector<TKeldarStep> Steps;
    bool ReportErrors = false;  // an error inside is reported and the run goes on
};

// The phase order, 1 to 49.
const std::vector<TKeldarPhase>& KeldarPhases();
// Whether a phase runs for the compared categories and target kind: its gate opens and so
// does the gate of one of its steps.
bool PhaseRuns(const TKeldarPhase& aPhase, TCmpObjSetType aCompareObjects, TDatabaseType aTargetType);
// Whether a step of a running phase runs.
bool StepRuns(const TKeldarStep& aStep, TCmpObjSetType aCompareObjects, TDatabaseType aTargetType);

class TCustomKeldar : public TComponent, protected TCompareOptionsSet {
public:
    explicit TCustomKeldar(TComponent* aOwner = nullptr);
    ~TCustomKeldar() override;

    TLogNextLineEvent OnLogNextLine;
    TProgressUpdateEvent OnProgressUpdate;
    TErrorMessageEvent OnErrorMessage;

    virtual bool ExtractDatabases() { return false; }
    virtual void CompareDatabases() {}
    virtual bool ExtractAndCompareDatabases();

    void SetDBStructureMaster(TCustomDBStructure* aStructure);
    void SetDBStructureTarget(TCustomDBStructure* aStructure);
    TCustomDBStructure* GetDBStructureMaster() const { return fDBMaster; }
    TCustomDBStructure* GetDBStructureTarget() const { return fDBTarget; }
    void SetExtractorMaster(TCustomExtract* aExtractor);
    void SetExtractorTarget(TCustomExtract* aExtractor);
    TCustomExtract* GetExtractorMaster() const { return fExtractorMaster; }
    TCustomExtract* GetExtractorTarget() const { return fExtractorTarget; }
    void SetSQLExec(TCustomSQLExec* aExec);
    // The linked statement list, else the comparer's own.
    TCustomSQLExec* GetSQLExec() const;
    TCustomObjs* GetMObjs() const;
    TCustomObjs* GetTObjs() const;
    TCmpObjSetType GetCompareObjects() const { return fCompareObjects; }
    void SetCompareObjects(TCmpObjSetType aSet) { fCompareObjects = aSet; }
    bool GetShowFullLog() const { return fShowFullLog; }
    void SetShowFullLog(bool aValue);
    std::vector<std::string>& GetWrnScript() { return fWrnScript; }
    // The statement each warning of GetWrnScript concerns (null where none), by position.
    const std::vector<TStatement*>& GetWrnStatements() const { return fWrnStatements; }
    // Records a warning of the script. The warning also stands in the script as a comment
    // line: just before aStatement when given, else where the script has got to, unless
    // aComment is off (the caller has written that comment already).
    void AddWarning(const std::string& aText, TStatement* aStatement = nullptr, bool aComment = true);
    // A column set NOT NULL that may hold NULLs while the master has no default for it: with
    // this on, the NULLs are first set to the type's neutral value (0, '', false); off, the
    // script says that the change fails on rows with NULL.
    bool GetFillNullsWithNeutralValue() const { return fFillNullsWithNeutralValue; }
    void SetFillNullsWithNeutralValue(bool aValue) { fFillNullsWithNeutralValue = aValue; }
    const TConnectionOptions& GetConnectionOptions() const { return fConnectionOptions; }
    TkrvEncode GetEncode() const { return fEncode; }
    void SetEncode(TkrvEncode aValue) { fEncode = aValue; }

    TIBCompareOptions& GetIBCompareOptions() { return fIBCompareOptions; }
    void SetIBCompareOptions(const TIBCompareOptions& v) { fIBCompareOptions.Assign(v); }
    TMSSQLCompareOptions& GetMSSQLCompareOptions() { return fMSSQLCompareOptions; }
    void SetMSSQLCompareOptions(const TMSSQLCompareOptions& v) { fMSSQLCompareOptions.Assign(v); }
    TMySQLCompareOptions& GetMySQLCompareOptions() { return fMySQLCompareOptions; }
    TASACompareOptions& GetASACompareOptions() { return fASACompareOptions; }
    TASECompareOptions& GetASECompareOptions() { return fASECompareOptions; }
    TOracleCompareOptions& GetOracleCompareOptions() { return fOracleCompareOptions; }
    TPgSQLCompareOptions& GetPGSQLCompareOptions() { return fPGSQLCompareOptions; }
    TDB2CompareOptions& GetDB2CompareOptions() { return fDB2CompareOptions; }

    // Identifier quoted for the target's dialect.
    std::string QuoteIdent(const std::string& aIdent) const;
    void DoLogNextLine(const std::string& aText);
    void DoProgressUpdate(int Value, int MaxValue);
    void DoErrorMessage(const std::string& aText);

    bool fAllowExtractMaster = true;
    bool fAllowExtractTarget = true;
    bool fAllowCompare = true;

protected:
    void Notification(TComponent* aComponent, TOperation aOperation) override;
    void LinkDB();
    // The master and target setters: the structure (extractor) slot given takes the new one.
    void SetDBStructure(TCustomDBStructure*& aSlot, TCustomDBStructure* aStructure, TCompareRoleType aRole);
    void SetExtractor(TCustomExtract*& aSlot, TCustomExtract* aExtractor);
    // Copies the comparer's compare options into a set's server options.
    void CopyCompareOptions(TCustomObjs* aObjs) const;
    std::string PropertyError(const char* aProperty) const;
    void ClearWarnings();

    int fProgressMaxValue = 0;
    int fProgressValue = 0;
    std::unique_ptr<TCustomSQLExec> fInternalSQLExec;
    TCustomSQLExec* fSQLExec = nullptr;
    TCmpObjSetType fCompareObjects = TCmpObjSetType::All();
    TCustomDBStructure* fDBMaster = nullptr;
    TCustomDBStructure* fDBTarget = nullptr;
    bool fShowFullLog = true;
    std::vector<std::string> fWrnScript;
    std::vector<TStatement*> fWrnStatements;
    bool fFillNullsWithNeutralValue = false;
    TConnectionOptions fConnectionOptions;
    // The compare options of every kind (fIBCompareOptions, ...) come from TCompareOptionsSet.
    TCustomExtract* fExtractorMaster = nullptr;
    TCustomExtract* fExtractorTarget = nullptr;
    TkrvEncode fEncode = encDefault;
};

class TKeldar : public TCustomKeldar {
public:
    explicit TKeldar(TComponent* aOwner = nullptr);
    const char* ClassName() const { return "TKeldar"; }

    TNotifyEvent OnBeforeExtract, OnAfterExtract;
    TNotifyEvent OnBeforeExtractTarget, OnAfterExtractTarget;
    TNotifyEvent OnBeforeExtractMaster, OnAfterExtractMaster;
    TNotifyEvent OnBeforeCompare, OnAfterCompare;

    bool ExtractDatabases() override;
    void CompareDatabases() override;
    // The statements that open a script for the target's database kind.
    void MakeScriptHeader();
    // The database character set change of an InterBase/Firebird target.
    void GenScriptDBCharSet();
    // The database's own description (COMMENT ON DATABASE, Firebird 2.0 and later).
    void GenScriptDBDescription();
    // Matches the objects of the two sets by kind and key.
    void LinkRefs();
    // Target objects and matched master objects exist; unmatched master objects do not.
    void SetObjsCreated();
    // Makes optional table attributes comparable: each side fills its gaps from the other.
    void AssignDiffs();
    TMsgManager& GetMsgMngr() { return fMsgMngr; }

protected:
    // The phase order the comparison runs (KeldarPhases).
    virtual const std::vector<TKeldarPhase>& Phases() const;

private:
    // Runs the phases that open for the compared categories and the target's kind; a step
    // without a generator warns once per kind list that the sets hold objects of.
    void RunPhases();
    bool ExtractOne(TCustomDBStructure* aStructure, TCustomExtract* aExtractor, bool aTarget);
    TMsgManager fMsgMngr;
};

// Adapters through which the phase table runs generators that are not plain functions of
// the comparer; declared here so that each step's Run can be checked against its name.
void RunMakeScriptHeader(TKeldar& Keldar);
void RunGenScriptDBCharSet(TKeldar& Keldar);
void RunGenScriptDBDescription(TKeldar& Keldar);
void RunCtrCreateAllButDefault(TKeldar& Keldar);
void RunCtrCreateDefault(TKeldar& Keldar);
// Generators that take the two sets, the statement list and the compared categories.
template <void (*Gen)(TCustomObjs*, TCustomObjs*, TCustomSQLExec*, TCmpObjSetType)>
void RunOnSets(TKeldar& k) {
    Gen(k.GetMObjs(), k.GetTObjs(), k.GetSQLExec(), k.GetCompareObjects());
}

}  // namespace dbtwin
