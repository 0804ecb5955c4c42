// Procedures and functions, and conversions.
#pragma once

#include "objects/krvComp_Tbl.h"

namespace dbtwin {

class TPrcData : public TDbObj {
public:
    explicit TPrcData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TPrcData"; }

    bool fRestoreBody = false;
    std::string SourceBody;
    TFldList Params;
    TFldList Returns;
    bool ReturnsTable = false;
    bool Func = false;
    std::string Language;  // routine language (PostgreSQL; SQLJ routines)

    TFldData* AddParam(const std::string& aName);
    TFldData* AddReturn(const std::string& aName);
    bool GetHasReturnsTable() const { return ReturnsTable; }
    // The body that keeps the routine valid while what it uses is rebuilt.
    virtual std::string EmptyBody() const;
    // The parameter list text, with the result part when ReturnsDef is set.
    virtual std::string ParamDef(bool /*ReturnsDef*/) const { return std::string(); }
    // The CREATE text with the empty body.
    virtual std::string EmptyDef() const;
    // Replaces the body by the empty body (once), deactivates the links to what the routine
    // uses and asks the master routine to restore its body later; with GenSQL writes it.
    virtual void AssignEmptyBody(bool GenSQL);
    void SetRestoreBody(bool Value);

    TObjListKind ListKind() const override { return olPrc; }
    void ForEachField(const std::function<void(TDbObj*)>& f) const override;
    void ForEachDescribedField(const std::function<void(TDbObj*)>& f) const override { ForEachField(f); }
    TDescriptionTarget DescriptionTarget() const override;
    std::string SaveHeaderDef() const override { return EmptyDef(); }
    // A routine is written as a routine statement; its description and those of its
    // parameters and results go with it.
    void AddCreateStatement() override;
    void AddCreateDescriptions() override;
    // A user needs the routine: a routine the target lacks is created, or where the
    // dialect allows, created empty now and given its body later.
    void CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) override;
    // A routine that uses a dropped object is emptied.
    void DropForUsed(TDbObj* aUsed, TDependObj* aLink) override;
    // Before its drop a routine is emptied, and what uses it is dropped.
    void DoBeforeDrop() override;
};

class TCnvData : public TDbObj {
public:
    explicit TCnvData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboConversion; }
    const char* ClassName() const override { return "TCnvData"; }
    TObjListKind ListKind() const override { return olCnv; }
};

}  // namespace dbtwin
