// Statement lists and the text form of scripts. TCustomSQLExec owns an ordered list of
// statements, is the sink into which the comparer and the object kinds append statements,
// and renders, loads and reports; TSQLExec adds the dialect-specific script text.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/krvComponent.h"
#include "core/krvDBOptions.h"
#include "core/krvMsgMngr.h"
#include "core/krvTypes.h"

namespace dbtwin {

class TCustomSQLExec;
// Declared by the connection and parser layers; the executing half of TSQLExec is compiled
// there (krvSQL_Exec_Run.cpp), the statement-list half here.
class TKRVCustomConnection;
class TKRVQuery;
class TKRVParam;
class TObjs;
class TCustomSQLParser;

// One statement of a script.
class TStatement : public TObject {
public:
    TCustomSQLExec* fSQLExec = nullptr;   // the owning list; not owned
    std::vector<std::string> Text;        // one entry per line
    TStatType Typ = stStatement;
    std::int32_t Line = 0;                // first line in the rendered script
    std::int32_t Len = 0;                 // number of text lines
    bool Disabled = false;
    TDbObject ObjType = dboUnknown;
    TDbOperation Operation = odbUnknown;
    std::string ObjName;
    std::string OwnName;
    std::string Shema;                    // schema in effect for the statement
    std::string Description;
    bool Select = false;
    std::string ErrMsg;
    std::string Term;
    // Where a loaded statement stands in the file it was read from (0 and empty for
    // generated statements).
    std::int32_t SrcLine = 0;
    std::int32_t SrcColumn = 0;
    std::string SrcFile;
    // The password of a CONNECT or CREATE DATABASE statement. The text never holds it, so
    // that no log, message or rendered script shows it.
    std::string Password;

    // Object name plus an operation suffix, for lists shown to a user.
    std::string GetCaption() const;
    // The text lines joined, each followed by "\r\n".
    std::string GetText() const;
};

using TStatementExecuteEvent = std::function<void(TObject* Sender, int index)>;
using TStatementCreateEvent =
    std::function<void(TObject* Sender, std::unique_ptr<TStatement>& Statement)>;
using TStatementAddEvent = std::function<void(TStatement* st, bool& Accept)>;

class TCustomSQLExec : public TComponent {
public:
    explicit TCustomSQLExec(TComponent* aOwner = nullptr);
    ~TCustomSQLExec() override;

    // Events.
    TLogNextLineEvent OnLogNextLine;
    TProgressUpdateEvent OnProgressUpdate;
    TErrorMessageEvent OnErrorMessage;
    TStatementExecuteEvent OnBeforeStatementExecute;
    TStatementExecuteEvent OnAfterStatementExecute;
    TStatementCreateEvent OnStatementCreate;
    TStatementAddEvent OnStatementAdd;
    TLoadScriptEvent OnLoadScript;

    virtual void DoLogNextLine(const std::string& aText);
    virtual void DoProgressUpdate(int Value, int MaxValue);
    // Raises OnErrorMessage, or shows the text when no handler is assigned; counts an error.
    virtual void DoErrorMessage(const std::string& aText);
    virtual bool GetShowFullLog() const { return fShowFullLog; }
    virtual void DoStatementAdd(TStatement* Statement, bool& Accept);
    virtual void DoBeforeStatementExecute(int index);
    virtual void DoAfterStatementExecute(int index);
    virtual std::unique_ptr<TStatement> DoStatementCreate();
    virtual void SetCurrentSchema(const std::string& aSchema);
    virtual void ConnectToDatabase() {}
    virtual void DisconnectFromDatabase() {}
    virtual void ExecuteIxStatement(int /*index*/) {}
    virtual void ExecuteStatement(TStatement* /*Statement*/) {}
    virtual void LoadFromFile(const std::string& aFileName);
    virtual void LoadFromStream(std::istream* aStream);
    virtual void LoadScript(const std::vector<std::string>& /*aScript*/) {}
    // Appends a statement; returns it, or nullptr when nothing was added. An empty
    // terminator selects the default one of the script's database kind.
    virtual TStatement* Add(const std::string& aText, TStatType aTyp,
                            const std::string& aObjName = std::string(),
                            TDbObject aObjType = dboUnknown, TDbOperation aOperation = odbUnknown,
                            const std::string& aOwnName = std::string(),
                            const std::string& aTerm = std::string());
    virtual TStatement* AddComment(const std::string& /*aComment*/) { return nullptr; }
    // Adds a comment just before aBefore (at the end when aBefore is null or not listed).
    TStatement* InsertComment(const std::string& aComment, const TStatement* aBefore);
    virtual void AddReConnect() {}
    virtual void ParseConnect(const std::string& /*aText*/) {}
    virtual void Clear();
    virtual void Delete(int index);
    virtual void Add_Commit() {}
    // Adds a description statement: aDescriptionDef is the object's description statement
    // text, aOwnName the owning table, view or procedure of a column or parameter.
    virtual TStatement* AddDescriptionDef(const std::string& aDescriptionDef,
                                          const std::string& aObjName, TDbObject aObjType,
                                          const std::string& aOwnName,
                                          const std::string& aDescription);
    virtual void GetScript(std::vector<std::string>& /*aList*/, bool /*LineReNumber*/) {}
    virtual bool ExecuteScript();

    TStatement* GetStatement(int index) const { return StatSeq.at(index).get(); }
    void SetStatement(int index, std::unique_ptr<TStatement> Statement);
    int GetStatementsCount() const { return static_cast<int>(StatSeq.size()); }
    int IndexOf(const TStatement* Statement) const;
    void SelectAll(bool aSelect);
    void DoMsgErr(const std::string& aText, TObject* aObj);
    void DoMsgWrn(const std::string& aText, TObject* aObj);

    // The rendered script as one text (lines joined with "\r\n").
    std::string GetScriptText(bool LineReNumber = false);

    TDatabaseType GetDatabaseType() const { return fDatabaseType; }
    void SetDatabaseType(TDatabaseType aDatabaseType) { fDatabaseType = aDatabaseType; }
    const std::string& GetCurrentSchema() const { return fCurrentSchema; }
    const std::string& GetScriptFileName() const { return fScriptFileName; }
    std::int32_t GetLine() const { return Line; }
    bool GetIsUpdate() const { return fIsUpdate; }
    bool GetBreakOnError() const { return fBreakOnError; }
    void SetBreakOnError(bool v) { fBreakOnError = v; }
    bool GetAutoDDL() const { return fAutoDDL; }
    void SetAutoDDL(bool v) { fAutoDDL = v; }
    std::int32_t GetErrors() const { return fErrors; }
    void SetShowFullLog(bool v) { fShowFullLog = v; }
    TkrvEncode GetEncode() const { return fEncode; }
    void SetEncode(TkrvEncode v) { fEncode = v; }
    TMsgManager& GetMsgMngr() { return *fMsgMngr; }

protected:
    std::string fCurrentSchema;
    std::string fScriptFileName;
    std::vector<std::unique_ptr<TStatement>> StatSeq;
    std::int32_t Line = 0;
    bool fIsUpdate = false;
    bool fBreakOnError = false;
    bool fAutoDDL = true;
    std::int32_t fErrors = 0;
    TDatabaseType fDatabaseType = dbAbstract;
    bool fShowFullLog = false;
    std::unique_ptr<TMsgManager> fMsgMngr;
    TkrvEncode fEncode = encDefault;
};

using TGetParamValueEvent = std::function<void(TObject* Sender, TKRVParam& Param)>;

// The script executor: the statement list's text form in each dialect (here) and the run of
// a list against a database through a connection (krvSQL_Exec_Run.cpp).
class TSQLExec : public TCustomSQLExec, protected TServerOptionsSet<TIBSQLExecOptions> {
public:
    explicit TSQLExec(TComponent* aOwner = nullptr);
    ~TSQLExec() override;

    // Identifier quoted for the executor's dialect.
    virtual std::string QuoteIdent(const std::string& aIdent) const;

    TStatement* AddComment(const std::string& aComment) override;
    void AddReConnect() override;
    void Clear() override;
    void Add_Commit() override;
    void GetScript(std::vector<std::string>& aList, bool LineReNumber) override;

    // --- execution ---
    TGetParamValueEvent OnGetParamValue;

    // Parses the lines with the executor's parser (CreateParser) into the statement list.
    void LoadScript(const std::vector<std::string>& aScript) override;

    // Runs every statement of the list; true when no error was counted and the run was not
    // stopped.
    bool ExecuteScript() override;
    // Runs one statement outside a script run.
    void ExecuteStatement(TStatement* Statement) override;
    void ConnectToDatabase() override;
    void DisconnectFromDatabase() override;
    // Stores the text in the current statement's ErrMsg, then reports and counts it.
    void DoErrorMessage(const std::string& aText) override;

    TKRVCustomConnection* GetKRVConnection() const { return fConnection; }
    virtual void SetConnection(TKRVCustomConnection* aConnection);
    // Copies the executor's connection and server options into the connection's.
    virtual void SetConnectionOptions();
    virtual bool UpdateDescription();
    virtual bool AcceptBlobParams();
    virtual bool RunConnect();
    virtual bool RunReConnect();
    virtual bool RunCreateDb();
    virtual bool RunDescription();
    virtual bool RunSetBlobFile();
    virtual bool RunInsertUpdateDelete();
    virtual bool RunMiscStatement();
    // The parser a load splits the script with: a plain SQL parser here.
    virtual std::unique_ptr<TCustomSQLParser> CreateParser(TObjs* aObjs);
    // Fills a parameter no blob reference names. A parameter nobody fills is an error: a
    // marker that was meant as text must not turn into NULL.
    virtual bool DoGetParamValue(TKRVParam& aParam);
    virtual bool ExecStatement(TStatement* Statement);

    // The class name shown in the executor's own messages.
    virtual const char* ClassName() const { return "TSQLExec"; }
    TStatement* GetCurrentStatement() const { return fCurrentStatement; }
    const std::string& GetBlobFileName() const { return fBlobFileName; }

    TConnectionOptions& GetConnectionOptions() { return fConnectionOptions; }
    void SetConnectionOptions(const TConnectionOptions& v) { fConnectionOptions.Assign(v); }
    TIBServerOptions& GetIBServerOptions() { return fIBServerOptions; }
    void SetIBServerOptions(const TIBServerOptions& v) { fIBServerOptions.Assign(v); }
    TMSSQLServerOptions& GetMSSQLServerOptions() { return fMSSQLServerOptions; }
    TMySQLServerOptions& GetMySQLServerOptions() { return fMySQLServerOptions; }
    TASAServerOptions& GetASAServerOptions() { return fASAServerOptions; }
    TASEServerOptions& GetASEServerOptions() { return fASEServerOptions; }
    TOracleServerOptions& GetOracleServerOptions() { return fOracleServerOptions; }
    TPGSQLServerOptions& GetPGSQLServerOptions() { return fPGSQLServerOptions; }
    TDB2ServerOptions& GetDB2ServerOptions() { return fDB2ServerOptions; }
    // Copies the server options of the kinds in aKinds from another owner's set.
    using TServerOptionsSet<TIBSQLExecOptions>::Assign;

protected:
    void Notification(TComponent* aComponent, TOperation aOperation) override;
    // Runs the current statement's text on the query with parameter markers left alone;
    // throws on a failure. Kinds that send some statements differently override it.
    virtual void ExecMiscText(TStatement& aStatement);
    // The text of a statement as logged: a CONNECT or CREATE DATABASE statement never shows
    // a password.
    std::string LogText(const TStatement& aStatement) const;
    void LogExec(const TStatement& aStatement);
    // Data statements run inside the open transaction; each is guarded by a savepoint so
    // that a failing one undoes itself only. False when the kind has no savepoints.
    virtual bool UseSavepoints() const;
    // A statement the server refuses inside a transaction block: it runs on its own.
    virtual bool NeedsNoTransaction(const TStatement& /*aStatement*/) const { return false; }
    // Loads the lines through the parser aParser (with this executor as its statement
    // listener) and copies its messages; the shared part of the executors' LoadScript.
    void LoadWithParser(TCustomSQLParser& aParser, TObjs& aObjs, const std::vector<std::string>& aScript);
    // Called for each statement a load adds, with the parser that reported it.
    virtual void DoStatementLoaded(TCustomSQLParser& /*aParser*/, TStatement& /*aStatement*/) {}
    bool EnsureConnected();
    // Reports a failed connect or database creation; the run ends there.
    bool FailConnect(const std::string& aText);
    // The database, user and role of the current statement when it is of kind aTyp (through
    // ParseConnect); false when it could not be read.
    bool ReadConnectStatement(TStatType aTyp);
    void FreeRunStreams();

    struct TQueryFree {
        void operator()(TKRVQuery* q) const;
    };

    TConnectionOptions fConnectionOptions;
    // The server options of every kind (fIBServerOptions, ...) come from TServerOptionsSet.
    std::unique_ptr<TKRVQuery, TQueryFree> fQuery;
    std::string fBlobFileName;
    std::unique_ptr<std::ifstream> fBlobStream;
    std::uint64_t fBlobSize = 0;
    TKRVCustomConnection* fConnection = nullptr;
    TStatement* fCurrentStatement = nullptr;
    // Set while ExecuteScript runs: a CONNECT that fails ends the run, since the statements
    // after it have no database.
    bool fConnectFailed = false;
    // The kinds whose scripts name no database connect before a run and stay connected.
    bool fConnectsBeforeRun = false;
};

}  // namespace dbtwin
