// The concrete object set every structure component owns: lookups by kind and name, the
// DDL export of the whole set or of one table, and the saving of each exported object's
// definition in files of its own.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "core/krvDBOptions.h"
#include "core/krvTypes.h"
#include "model/krvClasses.h"

namespace dbtwin {

class TOprData;
class TRolData;

// Receives the message of each file error while objects are saved (besides the error
// path of the set), and log lines of the procedure generator. Does nothing until the host
// replaces it.
extern TLogProcedure AddToLog;
// TerminateRunning, the host's request to stop a running parse, extraction or script
// execution, is declared in core/krvTypes.h.

// The database itself: its creation script for InterBase/Firebird.
class TDataBaseObj : public TDbObj {
public:
    explicit TDataBaseObj(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboDatabase; }
    const char* ClassName() const override { return "TDataBaseObj"; }

    TIBServerOptions fIBServerOptions;
    TConnectionOptions fConnectionOptions;

    // The database name, or "Database".
    std::string GetCaption() const override;
    // SET NAMES, SET SQL DIALECT, CREATE DATABASE and a comment with the server facts;
    // empty for every kind but InterBase/Firebird. Texts in quotes have quotes doubled.
    std::string Def() const override;
};

class TObjs : public TCustomObjs {
public:
    TObjs() = default;
    ~TObjs() override;

    bool MsQuotedIdent = false;   // QUOTED_IDENTIFIER last written into the export
    bool MsAnsiNulls = false;     // ANSI_NULLS last written into the export
    TScriptOptions fScriptOptions;
    // When not empty, each exported object's definition is also saved in this folder.
    std::string MetadataSaveDir;

    void Clear() override;
    // Keeps the current definition of every view, procedure and trigger as its source.
    void SetSourceDefinition() override;
    // The full export into MetaData.
    void ExtractMetadata() override;
    // The full export appended to aScript; MetaData is left empty.
    void ExtractMetadata(std::vector<std::string>& aScript) override;
    // One table with the parts named in aObjects, appended to aScript.
    void ExtractTable(std::vector<std::string>& aScript, const std::string& aTableName, bool aHeader,
                      TCmpObjSetType aObjects);
    void ExtractScriptHeader(std::vector<std::string>& aScript);
    // Owner (PostgreSQL) and description statements of one object, with its columns or
    // parameters.
    void ExtractDescription(TDbObj* aObj, std::vector<std::string>& aScript);
    // Saves the object's definition files when MetadataSaveDir is set; false when a file
    // could not be written (the error has been reported).
    bool DoSaveObj(TDbObj* aObj);
    // SQL Server session settings, written into MetaData when they differ from the last.
    void MsCheckOptions(bool aQuotedIdent, bool aAnsiNulls);

    // Export steps, one per kind, into MetaData.
    void ExtractSch();
    void ExtractUdf();
    void ExtractClt();
    void ExtractDmn();
    void ExtractTbl();
    void ExtractIdx();
    void ExtractPkg();
    void ExtractPkgBodies();
    void ExtractCtr();
    void ExtractExc();
    void ExtractGnr();
    void ExtractViw();
    void ExtractPrc();
    void ExtractTrg();
    void ExtractEvt();
    // Rules, once the tables and views they are on exist.
    void ExtractRul();
    void ExtractRol();
    void ExtractGnt();
    void ExtractPbl();

    // Lookups by key; nullptr when not filed.
    TDmnData* GetDomain(const std::string& aName) const;
    TTblData* GetTable(const std::string& aName) const;
    TViwData* GetView(const std::string& aName) const;
    TPrcData* GetProcedure(const std::string& aName) const;
    TTrgData* GetTrigger(const std::string& aName) const;
    TGnrData* GetGenerator(const std::string& aName) const;
    TExcData* GetException(const std::string& aName) const;
    TIdxData* GetIndex(const std::string& aName) const;
    TUdfData* GetFunction(const std::string& aName) const;
    TPkgData* GetPackage(const std::string& aName) const;
    TCtrData* GetConstraint(const std::string& aName) const;
    TCltData* GetCollation(const std::string& aName) const;
    TPblData* GetPublication(const std::string& aName) const;
    TSchData* GetSchema(const std::string& aName) const;
    TOprData* GetOperator(const std::string& aName) const;
    TEvtData* GetEvent(const std::string& aName) const;
    TFldData* GetTableField(const std::string& aTable, const std::string& aField) const;
    TFldData* GetViewField(const std::string& aView, const std::string& aField) const;
    // An input parameter, else an output column, of the procedure.
    TFldData* GetProcParam(const std::string& aProc, const std::string& aParam) const;
    // The first roles-list entry of that exact name and user type.
    TRolData* GetRole(const std::string& aName) const;
    TRolData* GetLogin(const std::string& aName) const;
    TRolData* GetUser(const std::string& aName) const;

    // Messages of the file errors of the last export (or of DoSaveObj calls since).
    const std::vector<std::string>& GetSaveErrors() const { return fSaveErrors; }

private:
    void MsCheckOptions(bool aQuotedIdent, bool aAnsiNulls, std::vector<std::string>& aScript);
    // The common pattern of one object of a kind step.
    void ExtractObj(TDbObj* aObj, const std::string& aDef, bool aCheckSettings, bool aEmptyAfter);
    void SaveFile(const std::string& aStem, const std::string& aSuffix, const std::string& aText, bool& aOk);
    void ReportSaveError(const std::string& aText);
    // A file stem (kind word + "_" + name) safe as one file name and not used yet in this
    // export.
    std::string UniqueStem(const std::string& aKind, const std::string& aName);

    std::set<std::string> fSavedStems;
    std::vector<std::string> fSaveErrors;
};

// Splits a database path into protocol, server and database.
void ParseDbPath(const std::string& aPath, std::string& aServer, std::string& aDatabase,
                 TKRVProtocol& aProtocol);
// The InterBase/Firebird word of an object kind ("relation", "procedure", ...), "???" for
// the others.
std::string obj_str(TDbObject aType);
// Drops blanks before line breaks and collapses repeated line breaks (no blank lines).
std::string ClearCrLf(const std::string& aText);

}  // namespace dbtwin
