// Generators and sequences: the record with its value rules, the CREATE, DROP and
// ALTER SEQUENCE texts per database kind, and the generator generators of the comparer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/krvClasses.h"

namespace dbtwin {

class TKeldar;

// The option values of a sequence as a database kind understands them: unset options
// carry the kind's defaults, so that two records that the server would store alike
// compare equal. Empty texts mean "none" (no minimum, no maximum, no cache).
struct TSeqOptions {
    std::string Increment, Min, Max, Start, Cache, Owner, Type;
    bool Cycle = false;
    bool Order = false;
    bool Temporary = false;
};

class TGnrData : public TDbObj {
public:
    // aOwner is the column whose identity sequence the record describes; a stand-alone
    // generator (no owner, or an owner that is not a column) gets a data type record.
    explicit TGnrData(TCustomObjs* aObjs, TDbObj* aOwner = nullptr);
    ~TGnrData() override;
    const char* ClassName() const override { return "TGnrData"; }
    TObjListKind ListKind() const override { return olGnr; }
    // A target generator the master also holds is altered, not dropped.
    bool KeptWhenMasterHolds() const override { return true; }
    // A view being created creates the generators it uses first.
    void CreateForUser(TDbObj* /*aUser*/, TDependObj* /*aLink*/, TUseWalk aWalk) override {
        if (aWalk == uwViewSources && !GetObjCreated()) CreateDependDef();
    }

    std::int32_t Value = 0;      // current value as read; never scripted
    std::string MinValue;
    std::string StartWith;
    std::string IncrementBy;
    std::string OwnedBy;         // PostgreSQL owning column: [schema.]table.column, quoted as needed
    bool NoMinValue = true;
    bool NoMaxValue = true;
    bool Order = false;
    bool Cycle = false;
    bool Temporary = false;

    const std::string& GetMaxValue() const { return fMaxValue; }
    // 27 nines (the largest value a sequence can have anyway) means no maximum.
    void SetMaxValue(const std::string& aValue);
    void SetMinValue(const std::string& aValue);
    // The cache size as given, else the default of the database kind the text is written
    // for (empty when the kind has none, or with NoCache).
    std::string GetCache() const;
    // "0" means no cache.
    void SetCache(const std::string& aValue);
    bool GetNoCache() const { return fNoCache; }
    void SetNoCache(bool aValue);
    // The sequence's data type (SQL Server AS type); nullptr for a column's identity sequence.
    TFldData* GetData() const { return fData.get(); }

    std::string Def() const override;
    std::string DropDef() const override;
    // The option list of a DB2 identity column; empty for every other kind.
    std::string ParamDef() const;

    // The options as the database kind of the texts understands them.
    TSeqOptions Options() const;
    // The clauses of one ALTER SEQUENCE that make aTarget like this sequence ("" when
    // nothing can be changed); every difference the kind cannot change in place is added
    // to aLeft as a sentence.
    std::string AlterClauses(const TGnrData& aTarget, std::vector<std::string>& aLeft) const;
    // What the create text leaves out of this record on the database kind of the texts.
    std::vector<std::string> CreateLosses() const;

    // PostgreSQL: the column named by OwnedBy, looked up in the record's own set.
    TFldData* OwnerColumn() const;
    // PostgreSQL: the sequence is made by its owning column (serial or identity), not by a
    // statement of its own.
    bool ComesWithColumn() const;

private:
    bool IsFirebird3() const;
    // The name as written in the record's own texts.
    std::string SeqName() const;

    std::string fMaxValue;
    std::string fCache;
    bool fNoCache = false;
    std::unique_ptr<TFldData> fData;
};

// Generator generators of the comparer: new master generators (after the index phases),
// then changed ones and those only the target has (after the trigger phases).
void GenScriptGenrCreate(TKeldar& Keldar);
void GenScriptGenrAlter(TKeldar& Keldar);
void GenScriptGenrDrop(TKeldar& Keldar);

}  // namespace dbtwin
