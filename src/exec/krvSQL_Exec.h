// Statement lists and the text form of scripts. TCustomSQLExec owns an ordered list of
// statements, is the sink into which the comparer and the object kinds append statements,
// and renders, loads and reports; TSQLExec adds the dialect-specific script text.
#pragma once

#include <cstdint>
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

// The script executor. This unit holds its statement-list side: the options it owns and
// the text form of scripts in each dialect.
class TSQLExec : public TCustomSQLExec, protected TServerOptionsSet<TIBSQLExecOptions> {
public:
    explicit TSQLExec(TComponent* aOwner = nullptr);

    // Identifier quoted for the executor's dialect.
    virtual std::string QuoteIdent(const std::string& aIdent) const;

    TStatement* AddComment(const std::string& aComment) override;
    void AddReConnect() override;
    void Clear() override;
    void Add_Commit() override;
    void GetScript(std::vector<std::string>& aList, bool LineReNumber) override;

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
    TConnectionOptions fConnectionOptions;
    // The server options of every kind (fIBServerOptions, ...) come from TServerOptionsSet.
};

}  // namespace dbtwin
