// Views. A changed view is never altered in place: it is dropped and created again, and the
// create and drop hooks here carry the views, triggers, procedures and grants that depend
// on it.
#pragma once

#include <string>
#include <vector>

#include "objects/krvComp_Tbl.h"

namespace dbtwin {

class TViwData : public TDbObj {
public:
    explicit TViwData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TViwData"; }

    bool fReCreate = false;          // drop and create again even when unchanged
    TFldList Flds;                   // columns of the view's column list
    TGrantPrivilegeSet Grant;        // privileges noted by parsers
    bool Force = false;              // Oracle FORCE
    std::string OfType;              // Oracle object view type
    std::string ObjIdent;            // Oracle WITH OBJECT clause head
    std::vector<std::string> ObjIdentFlds;  // Oracle object identifier columns
    std::string Algorithm, Definer, SqlSecurity;  // MySQL attributes (Definer is not written)
    bool WithEncryption = false, WithSchemaBinding = false, WithViewMetadata = false;

    TFldData* FindFld(std::string_view aName) const { return Flds.Find(aName); }
    TFldData* AddFld(const std::string& aName);

    // The column list: "(" + CRLF + name + "," ... + ")", empty without columns.
    std::string GetFlds() const;
    bool GetReCreate() const { return fReCreate; }
    // Stores the flag and passes it on to the matching view.
    void SetReCreate(bool Value);

    std::string Def() const override;
    std::string DropDef() const override;
    void CreateDependDef() override;
    void DoBeforeCreate() override;
    void DoAfterCreate() override;
    void DoBeforeDrop() override;
    void DoAfterDrop() override;

    TObjListKind ListKind() const override { return olViw; }
    const TFldList* GetColumns() const override { return &Flds; }
    void ForEachField(const std::function<void(TDbObj*)>& f) const override {
        for (TFldData* c : Flds) f(c);
    }
    // The export describes the view's columns after the view, as a table's.
    void ForEachDescribedField(const std::function<void(TDbObj*)>& f) const override { ForEachField(f); }
    // A view that stands is dropped with what it uses.
    bool DroppedWithUsed() const override { return true; }
    // The create statement with the schema switch and comment before it; the view's
    // triggers follow with empty bodies.
    void AddCreateStatement() override;
    // A user needs the view: it is created first. A view being created also rebuilds the
    // changed master views it selects from.
    void CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) override;
    void DropForUsed(TDbObj* aUsed, TDependObj* aLink) override;
};

// Whether two current view definitions are the same. On PostgreSQL the server reformats
// view sources, so line breaks and runs of blanks do not count.
bool SameViewDefinition(const TDbObj* aMaster, const TDbObj* aTarget);

// View generators of the comparer.
void GenScriptViewDrop(TCustomObjs* MObjs, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                       TCmpObjSetType CompareObjects);
void GenScriptViewCreate(TKeldar& Keldar);
void GenScriptViewAlter(TCustomObjs* MObjs, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                        TCmpObjSetType CompareObjects);

}  // namespace dbtwin
