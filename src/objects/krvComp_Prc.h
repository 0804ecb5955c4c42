// Procedures and functions: texts per database kind, empty bodies, and the generators.
#pragma once

#include "objects/krvComp_Tbl.h"

namespace dbtwin {

class TPrcData : public TDbObj {
public:
    explicit TPrcData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TPrcData"; }

    bool fRestoreBody = false;  // written with an empty body (or dropped): write the real one later
    std::string SourceBody;     // body as found in the source
    TFldList Params;
    TFldList Returns;           // result columns or the return value
    bool ReturnsTable = false;  // SQL Server table-valued function
    bool SelectProc = false;    // selectable procedure
    std::int32_t Number = 0;    // SQL Server procedure group number
    TGrantPrivilegeSet Grant;   // privileges noted by parsers
    bool Func = false;          // a function rather than a procedure
    std::string ObjFile, LinkSymbol;  // PostgreSQL C-language object file and link symbol
    std::string Language;       // routine language (PostgreSQL; SQLJ routines)
    std::string Volatile;       // PostgreSQL volatility keyword
    bool ProcStrict = false;    // STRICT / RETURNS NULL ON NULL INPUT
    std::string RetValue;       // PostgreSQL return type text
    bool RetSetOf = false;      // PostgreSQL SETOF
    std::string ProcOption;     // SQL Server WITH option text
    bool ModifiesSqlData = false, Deterministic = false, Exportable = false;  // SQLJ attributes
    std::int32_t DynamicResultSets = 0;
    std::string ParameterStyle, ExternalName;
    TMySqlProcOptionsSet MySqlOptions;
    bool fDescribed = false;    // the description changes of this comparison are written

    TFldData* AddParam(const std::string& aName);
    TFldData* AddReturn(const std::string& aName);
    // Frees every parameter and result.
    void ClearParams();
    bool GetHasReturnsTable() const;

    // The PostgreSQL key carries the argument types (functions overload by them); SQL Server
    // the group number.
    std::string GetObjKeyDef() const override;
    std::string GetCaption() const override;

    // The body that keeps the routine valid while what it uses is rebuilt.
    virtual std::string EmptyBody() const;
    // The parameter list text, with the result part when ReturnsDef is set.
    virtual std::string ParamDef(bool ReturnsDef) const;
    // The CREATE text with the empty body.
    virtual std::string EmptyDef() const;
    // The ALTER text with the empty body and the routine's parameters.
    std::string AlterEmptyDef() const;
    std::string Def() const override;
    // The CREATE text with another body.
    std::string DefWithBody(const std::string& aBody) const;
    std::string AlterDef() const override;
    std::string DropDef() const override;
    // The text after CREATE of each database kind, around aBody.
    std::string IB_Def(const std::string& aBody) const;
    std::string SAW_Def(const std::string& aBody) const;
    std::string MySQL_Def(const std::string& aBody) const;
    std::string MSSQL_Def(const std::string& aBody) const;
    std::string Oracle_Def(const std::string& aBody) const;
    std::string PG_Def(const std::string& aBody) const;

    // Whether the database kind can replace the body by an empty one. MySQL and PostgreSQL
    // (quoted bodies) do not track what a body uses, so a routine stands while what it uses
    // is rebuilt; ASE drops and creates routines instead.
    bool EmptiesBody() const;
    // A PostgreSQL SQL-standard body (BEGIN ATOMIC, RETURN): the server tracks what it uses and
    // refuses to drop that while the routine stands, and the body cannot be emptied.
    bool HasStandardBody() const;
    // A created routine whose body the kind can empty and that is not empty yet.
    bool Emptiable() const;
    // Neutralises a created routine before what it uses changes: its body becomes the empty
    // body (written as AlterDef when GenSQL), or, for a body that holds what it uses and cannot
    // be emptied, the routine is dropped. Either way the master routine writes its own body
    // again later. Routines of kinds that need neither stay as they are.
    virtual void AssignEmptyBody(bool GenSQL);
    // Replaces the body by the empty body, keeping the body it had for UndoEmptyBody.
    void SetEmptyBody();
    // Gives back the body SetEmptyBody replaced: every comparison starts from the bodies as
    // they were read.
    void UndoEmptyBody();
    // Forgets what an earlier comparison did to the routine: its emptied body, its restore
    // and description marks.
    void ResetCompareState();
    // Sets the restore flag here and on the matching routine.
    void SetRestoreBody(bool Value);
    // Writes the routine with its empty body and asks for its real body later.
    void CreateEmpty();
    // Before aView (a master view being written) is made over this routine: the new
    // parameters with an empty body, when the target still has other ones.
    void WriteHeaderForView(TDbObj* aView);
    // Sets the current definition of the matching target routine (or this one) to this
    // routine's text.
    void SetTargetCurrent(const std::string& aText);

    TObjListKind ListKind() const override { return olPrc; }
    void ForEachField(const std::function<void(TDbObj*)>& f) const override;
    void ForEachDescribedField(const std::function<void(TDbObj*)>& f) const override { ForEachField(f); }
    TDescriptionTarget DescriptionTarget() const override;
    std::string SaveHeaderDef() const override { return EmptyDef(); }
    // A routine is written as a routine statement; its description and those of its
    // parameters and results go with it.
    void AddCreateStatement() override;
    void AddCreateDescriptions() override;
    // Creates what the routine uses, and rebuilds a used view that changed.
    void DoBeforeCreate() override;
    // A user needs the routine: a routine the target lacks is created, or where the
    // dialect allows, created empty now and given its body later.
    void CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) override;
    // A routine that uses a dropped object is emptied (or dropped, see AssignEmptyBody).
    void DropForUsed(TDbObj* aUsed, TDependObj* aLink) override;
    // Before its drop what uses the routine is emptied or dropped, computed columns included.
    void DoBeforeDrop() override;

private:
    std::string fBodyBeforeEmpty;
    bool fEmptied = false;
};

// An Oracle object type's member routine.
class TMemberPrcData : public TPrcData {
public:
    explicit TMemberPrcData(TCustomObjs* aObjs) : TPrcData(aObjs) {}
    const char* ClassName() const override { return "TMemberPrcData"; }

    std::string TypeName;
    std::string Params;  // the parameter text as written
    TTypeDirective ProcDirective;

    std::string Def() const override;
};

class TKeldar;

// Procedure generators of the comparer.
void GenScriptProcDrop(TKeldar& Keldar);
void GenScriptProcCreate(TKeldar& Keldar);
void GenScriptProcAlter(TKeldar& Keldar);


}  // namespace dbtwin
