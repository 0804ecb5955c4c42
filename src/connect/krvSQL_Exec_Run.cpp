// The executing half of TSQLExec: a statement list run against a database through a
// connection, statement by statement, with its own transactions, blob parameters read from a
// blob file, a log, error counting and an optional stop at the first error. It needs the
// connection layer, so it is compiled here; the list and its text form are in src/exec.
#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>

#include "connect/krvDBEngine.h"
#include "core/krvMsg.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "parse/krvParser.h"

namespace dbtwin {

namespace {

// The savepoint that guards one data statement inside the shared data transaction.
constexpr const char* kDataSavepoint = "DBTWIN_DATA_SP";

bool OpensConnection(TStatType aTyp) {
    switch (aTyp) {
        case stStatement: case stProcedure: case stTrigger: case stDescription: case stInsert:
        case stUpdate: case stDelete: case stPackage: case stExecuteBlock: case stSelect:
            return true;
        default:
            return false;
    }
}

// "H" + hex offset + "_" + hex length, of any width: the offset and length of a blob value in
// the blob file.
std::optional<std::pair<std::uint64_t, std::uint64_t>> BlobReference(std::string_view aName) {
    if (aName.size() < 4 || (aName[0] != 'H' && aName[0] != 'h')) return std::nullopt;
    const std::size_t us = aName.find('_');
    if (us == std::string_view::npos || us < 2 || us + 1 >= aName.size()) return std::nullopt;
    auto hex = [](std::string_view s) -> std::optional<std::uint64_t> {
        if (s.empty() || s.size() > 16) return std::nullopt;
        std::uint64_t v = 0;
        for (char c : s) {
            if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
            v = v * 16 + static_cast<std::uint64_t>(std::isdigit(static_cast<unsigned char>(c))
                                                        ? c - '0'
                                                        : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
        }
        return v;
    };
    const auto offset = hex(aName.substr(1, us - 1));
    const auto length = hex(aName.substr(us + 1));
    if (!offset || !length) return std::nullopt;
    return std::make_pair(*offset, *length);
}

// The text sent to the server: the lines joined with line feeds, the line end of this
// platform and of the servers' own tools here (a body is stored as it is sent).
std::string SendText(const TStatement& aStatement) {
    std::string text;
    for (std::size_t i = 0; i < aStatement.Text.size(); ++i) {
        if (i) text += '\n';
        text += aStatement.Text[i];
    }
    return text;
}

}  // namespace

void TSQLExec::TQueryFree::operator()(TKRVQuery* q) const { delete q; }

TSQLExec::~TSQLExec() {
    fQuery.reset();
    if (fConnection) RemoveFreeNotification(fConnection);
}

void TSQLExec::Notification(TComponent* aComponent, TOperation aOperation) {
    TCustomSQLExec::Notification(aComponent, aOperation);
    if (aOperation != opRemove) return;
    if (aComponent == fConnection) {
        fQuery.reset();
        fConnection = nullptr;
    }
}

void TSQLExec::SetConnection(TKRVCustomConnection* aConnection) {
    if (fConnection == aConnection) return;
    fQuery.reset();
    if (fConnection) RemoveFreeNotification(fConnection);
    fConnection = aConnection;
    if (fConnection) FreeNotification(fConnection);
}

void TSQLExec::SetConnectionOptions() {
    if (!fConnection) return;
    fConnection->SetConnectionOptions(fConnectionOptions);
    fConnection->SetIBServerOptions(fIBServerOptions);
    fConnection->SetMSSQLServerOptions(fMSSQLServerOptions);
    fConnection->SetMySQLServerOptions(fMySQLServerOptions);
    fConnection->SetASAServerOptions(fASAServerOptions);
    fConnection->SetASEServerOptions(fASEServerOptions);
    fConnection->SetOracleServerOptions(fOracleServerOptions);
    fConnection->SetPGSQLServerOptions(fPGSQLServerOptions);
    fConnection->SetDB2ServerOptions(fDB2ServerOptions);
}

void TSQLExec::DoErrorMessage(const std::string& aText) {
    if (fCurrentStatement) fCurrentStatement->ErrMsg = aText;
    TCustomSQLExec::DoErrorMessage(aText);
}

std::unique_ptr<TCustomSQLParser> TSQLExec::CreateParser(TObjs* /*aObjs*/) {
    return std::make_unique<TCustomSQLParser>();
}

bool TSQLExec::DoGetParamValue(TKRVParam& aParam) {
    aParam.Clear();
    if (OnGetParamValue) {
        OnGetParamValue(this, aParam);
        return true;
    }
    DoErrorMessage("No value for parameter :" + aParam.GetName() +
                   (fBlobStream ? std::string() : std::string(" (no blob file is open)")));
    return false;
}

std::string TSQLExec::LogText(const TStatement& aStatement) const {
    // Loaded CONNECT and CREATE DATABASE statements carry no password in their text; a
    // generated one may, so such a text is never logged whole.
    if (aStatement.Typ == stConnect || aStatement.Typ == stCreateDb) {
        const std::string text = Trim(aStatement.GetText());
        const std::string upper = UpperCase(text);
        const std::size_t pwd = upper.find("PASSWORD");
        if (pwd != std::string::npos) return Trim(text.substr(0, pwd)) + " PASSWORD '***'";
        return text;
    }
    return Trim(aStatement.GetText());
}

void TSQLExec::LogExec(const TStatement& aStatement) {
    if (GetShowFullLog()) {
        DoLogNextLine("< Exec SQL >:");
        DoLogNextLine(LogText(aStatement));
    } else {
        std::string caption = aStatement.GetCaption();
        if ((aStatement.Typ == stConnect || aStatement.Typ == stCreateDb) && !aStatement.Text.empty() &&
            caption == aStatement.Text.front())
            caption = LogText(aStatement);
        DoLogNextLine("< Exec SQL >: " + caption);
    }
}

bool TSQLExec::UseSavepoints() const { return fDatabaseType != dbMSSQL && fDatabaseType != dbSybaseASE; }

bool TSQLExec::EnsureConnected() {
    if (!fConnection) return false;
    if (fConnection->GetConnected()) return true;
    if (fConnection->Connect()) return true;
    DoErrorMessage(fConnection->GetLastError().empty() ? std::string("Cannot connect to the database.")
                                                       : fConnection->GetLastError());
    return false;
}

void TSQLExec::FreeRunStreams() {
    fBlobStream.reset();
    fBlobSize = 0;
}

bool TSQLExec::ExecuteScript() {
    fErrors = 0;
    fCurrentStatement = nullptr;
    fConnectFailed = false;
    bool result = true;
    const int count = GetStatementsCount();
    if (count == 0) {
        DoLogNextLine("Update script is empty.");
        return true;
    }
    if (!fConnection) {
        DoErrorMessage(std::string(ClassName()) + "(" + GetName() + "): Connection property not assigned.");
        return false;
    }
    if (fConnectsBeforeRun && !fConnection->GetConnected() && !fConnection->Connect()) {
        DoErrorMessage(fConnection->GetLastError());
        return false;
    }
    fConnectionOptions.Assign(fConnection->GetConnectionOptions());
    const bool wasOpen = fConnection->GetConnected();
    fQuery.reset(fConnection->CreateQuery(nullptr));
    if (!fQuery) {
        DoErrorMessage(std::string(ClassName()) + "(" + GetName() + "): the connection has no connection kind selected.");
        return false;
    }
    DoLogNextLine("Updating target database...");
    DoProgressUpdate(0, count - 1);
    bool terminated = false;
    for (int i = 0; i < count; ++i) {
        if (!result && (fBreakOnError || fConnectFailed)) {
            DoLogNextLine("< Break on Error! >");
            break;
        }
        if (TerminateRunning) {
            result = false;
            terminated = true;
            break;
        }
        DoBeforeStatementExecute(i);
        TStatement* st = GetStatement(i);
        if (!st->Disabled) {
            if (!ExecStatement(st)) result = false;
        } else if (GetShowFullLog()) {
            DoLogNextLine("< Skipping statement >:");
            for (const std::string& line : st->Text) DoLogNextLine("// " + line);
        } else {
            DoLogNextLine("< Skipping statement >: " + st->GetCaption());
        }
        DoProgressUpdate(i, count - 1);
        DoAfterStatementExecute(i);
        ProcessMessages();
    }
    fCurrentStatement = nullptr;
    FreeRunStreams();
    if (fConnection && fConnection->GetConnected()) {
        try {
            if (fConnection->InTransaction()) fConnection->Commit();
        } catch (const std::exception& e) {
            DoErrorMessage(e.what());
            result = false;
        }
        if (!wasOpen) fConnection->SetConnected(false);
    }
    if (fErrors != 0) {
        DoLogNextLine("< Script executed: " + std::to_string(fErrors) + " errors... >");
        result = false;
    } else if (result && !terminated) {
        DoLogNextLine("< Script executed succesfully! >");
    }
    fQuery.reset();
    return result && !terminated;
}

bool TSQLExec::ExecStatement(TStatement* Statement) {
    fCurrentStatement = Statement;
    TStatement& st = *Statement;
    if (fConnection && !fConnection->GetConnected() && OpensConnection(st.Typ)) {
        if (!EnsureConnected()) {
            fConnectFailed = true;
            return false;
        }
    }
    LogExec(st);
    switch (st.Typ) {
        case stConnect: return RunConnect();
        case stReconnect: return RunReConnect();
        case stCreateDb: return RunCreateDb();
        case stSet:
            // The client-side settings of a Firebird script (display options, AUTODDL) are
            // the client's own; every other kind's SET is a session statement of the server.
            if (fDatabaseType == dbInterBase) return true;
            if (fConnection && !fConnection->GetConnected() && !EnsureConnected()) return false;
            return RunMiscStatement();
        case stSetBlobFile: return RunSetBlobFile();
        case stStatement: case stProcedure: case stTrigger: case stPackage: case stExecuteBlock:
        case stSelect:
            // A SELECT of a script may change things too (set_config, a sequence, a
            // selectable procedure): it runs, its rows are not read.
            return RunMiscStatement();
        case stDescription: return RunDescription();
        case stInsert: case stUpdate: case stDelete: return RunInsertUpdateDelete();
        case st_Commit:
            // The script's own COMMIT or ROLLBACK ends the open data transaction; its BEGIN
            // changes nothing (every statement runs in a transaction of the executor).
            if (!fConnection || !fConnection->GetConnected() || !fConnection->InTransaction()) return true;
            try {
                if (st.Operation == odbCommit) fConnection->Commit();
                else if (SameText(st.ObjName, "ROLLBACK")) fConnection->Rollback();
            } catch (const std::exception& e) {
                DoErrorMessage(e.what());
                return false;
            }
            return true;
        default:
            return true;
    }
}

void TSQLExec::ExecMiscText(TStatement& aStatement) {
    // Lines end with a line feed alone, as every server takes them; a routine body is sent
    // without the client tool's "/" line, which is no SQL (an Oracle server refuses it).
    const std::string text = SendText(aStatement);
    fQuery->SetSQLText(text);
    fQuery->ExecSQL();
}

bool TSQLExec::RunMiscStatement() {
    if (!fConnection || !fConnection->GetConnected()) {
        DoErrorMessage("Disconnected from database...");
        return false;
    }
    if (!fQuery) fQuery.reset(fConnection->CreateQuery(nullptr));
    bool ok = true;
    try {
        // The data statements before this one have all succeeded: they are committed first,
        // so that a failure of this statement cannot take them with it.
        if (fConnection->InTransaction()) fConnection->Commit();
        if (fDatabaseType != dbMSSQL && fDatabaseType != dbSybaseASE && !NeedsNoTransaction(*fCurrentStatement))
            fConnection->StartTransaction();
        fQuery->SetParamCheck(false);
        ExecMiscText(*fCurrentStatement);
        if (fQuery->GetSQL()) fQuery->GetSQL()->clear();
        if (fConnection->InTransaction()) fConnection->Commit();
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        if (fQuery->GetSQL()) fQuery->GetSQL()->clear();
        try {
            if (fConnection->GetConnected() && fConnection->InTransaction()) fConnection->Rollback();
        } catch (const std::exception&) {
            // The connection is gone; the statement's error says enough.
        }
        ok = false;
    }
    if (fQuery->GetSQL()) fQuery->GetSQL()->clear();
    fQuery->SetParamCheck(true);
    return ok;
}

bool TSQLExec::RunInsertUpdateDelete() {
    if (!fConnection || !fConnection->GetConnected()) {
        DoErrorMessage("Disconnected from database...");
        return false;
    }
    if (!fQuery) fQuery.reset(fConnection->CreateQuery(nullptr));
    bool ok = true;
    bool savepoint = false;
    try {
        if (!fConnection->InTransaction()) fConnection->StartTransaction();
        if (UseSavepoints() && fConnection->InTransaction()) {
            fQuery->SetParamCheck(false);
            fQuery->SetSQLText(std::string("SAVEPOINT ") + kDataSavepoint);
            fQuery->ExecSQL();
            savepoint = true;
        }
        fQuery->SetParamCheck(true);
        fQuery->SetSQLText(SendText(*fCurrentStatement));
        // A parameter that cannot be filled stops the statement: it never runs with a NULL
        // or a short blob in place of the value meant.
        fQuery->Prepare();
        if (fQuery->GetParams() && fQuery->GetParams()->Count() > 0 && !AcceptBlobParams()) {
            ok = false;
        } else {
            fQuery->ExecSQL();
        }
        if (fQuery->GetSQL()) fQuery->GetSQL()->clear();
        if (ok && savepoint && fDatabaseType != dbInterBase) {
            // Firebird replaces a savepoint of the same name; other servers stack them.
            fQuery->SetParamCheck(false);
            fQuery->SetSQLText(std::string("RELEASE SAVEPOINT ") + kDataSavepoint);
            fQuery->ExecSQL();
        }
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        ok = false;
    }
    if (!ok) {
        // Undo this statement only; without a savepoint the whole open transaction goes.
        try {
            bool undone = false;
            if (savepoint && fConnection->GetConnected() && fConnection->InTransaction()) {
                try {
                    fQuery->SetParamCheck(false);
                    fQuery->SetSQLText(std::string("ROLLBACK TO SAVEPOINT ") + kDataSavepoint);
                    fQuery->ExecSQL();
                    undone = true;
                } catch (const std::exception&) {
                }
            }
            if (!undone && fConnection->GetConnected() && fConnection->InTransaction()) fConnection->Rollback();
        } catch (const std::exception&) {
            // The connection is gone; the statement's error says enough.
        }
    }
    if (fQuery->GetSQL()) fQuery->GetSQL()->clear();
    fQuery->SetParamCheck(true);
    return ok;
}

bool TSQLExec::AcceptBlobParams() {
    TKRVParams* params = fQuery ? fQuery->GetParams() : nullptr;
    if (!params || params->Count() == 0) return true;
    bool result = true;
    for (std::size_t i = 0; i < params->Count(); ++i) {
        TKRVParam& p = (*params)[i];
        const auto ref = fBlobStream ? BlobReference(p.GetName()) : std::nullopt;
        if (!ref) {
            if (!DoGetParamValue(p)) result = false;
            continue;
        }
        const auto [offset, length] = *ref;
        try {
            if (offset > fBlobSize || length > fBlobSize - offset)
                throw EKrvError("Blob reference :" + p.GetName() + " reaches past the end of the blob file " +
                                fBlobFileName + " (offset " + std::to_string(offset) + ", length " +
                                std::to_string(length) + ", file size " + std::to_string(fBlobSize) + ")");
            std::string bytes(static_cast<std::size_t>(length), '\0');
            if (length > 0) {
                fBlobStream->clear();
                fBlobStream->seekg(static_cast<std::streamoff>(offset));
                fBlobStream->read(bytes.data(), static_cast<std::streamsize>(length));
                if (static_cast<std::uint64_t>(fBlobStream->gcount()) != length)
                    throw EKrvError("Blob file " + fBlobFileName + ": read of :" + p.GetName() + " came short");
            }
            p.SetBlob(std::move(bytes));
        } catch (const std::exception& e) {
            DoErrorMessage(e.what());
            result = false;
        }
    }
    return result;
}

bool TSQLExec::RunSetBlobFile() {
    namespace fs = std::filesystem;
    FreeRunStreams();
    // A relative name is taken from the folder of the script that names it, as INPUT does; a
    // bare name needs that script.
    fs::path file(fCurrentStatement->ObjName);
    if (file.is_relative()) {
        if (!fScriptFileName.empty()) {
            file = fs::path(fScriptFileName).parent_path() / file;
        } else if (!file.has_parent_path()) {
            DoErrorMessage("ScriptFileName not specified (for BlobFile).");
            return false;
        }
    }
    fBlobFileName = file.string();
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        DoErrorMessage("BlobFile not found: " + fBlobFileName);
        return false;
    }
    auto in = std::make_unique<std::ifstream>(file, std::ios::binary);
    const auto size = fs::file_size(file, ec);
    if (!*in || ec) {
        DoErrorMessage("BlobFile cannot be opened: " + fBlobFileName);
        return false;
    }
    fBlobStream = std::move(in);
    fBlobSize = size;
    return true;
}

bool TSQLExec::FailConnect(const std::string& aText) {
    DoErrorMessage(aText);
    fConnectFailed = true;
    return false;
}

bool TSQLExec::ReadConnectStatement(TStatType aTyp) {
    if (!fCurrentStatement || fCurrentStatement->Typ != aTyp) return true;
    const int errors = fErrors;
    ParseConnect(fCurrentStatement->GetText());
    if (fErrors == errors) return true;
    fConnectFailed = true;
    return false;
}

bool TSQLExec::RunConnect() {
    try {
        if (fConnection->GetConnected()) fConnection->SetConnected(false);
        if (!ReadConnectStatement(stConnect)) return false;
        SetConnectionOptions();
        if (!fConnection->Connect()) return FailConnect(fConnection->GetLastError());
        DoLogNextLine("Connect: \"" + fConnectionOptions.GetDatabaseName() + "\"");
        if (fDatabaseType == dbInterBase) {
            std::string line = "Dialect: " + std::to_string(fConnection->GetIBServerOptions().GetSQLDialect()) + ".";
            if (!fIBServerOptions.GetDBCharSet().empty())
                line += " DBCharSet: " + fIBServerOptions.GetDBCharSet() + ".";
            DoLogNextLine(line);
        }
        return true;
    } catch (const std::exception& e) {
        return FailConnect(e.what());
    }
}

bool TSQLExec::RunReConnect() {
    DoLogNextLine("ReConnect...");
    try {
        fConnection->SetConnected(false);
        SetConnectionOptions();
        return fConnection->Connect() || FailConnect(fConnection->GetLastError());
    } catch (const std::exception& e) {
        return FailConnect(e.what());
    }
}

bool TSQLExec::RunCreateDb() {
    try {
        fConnection->SetConnected(false);
        if (!ReadConnectStatement(stCreateDb)) return false;
        SetConnectionOptions();
        // A database that cannot be made ends the run: the statements after it have none.
        if (!fConnection->CreateDatabase()) {
            const std::string why = fConnection->GetLastError();
            return FailConnect(why.empty() ? std::string("Cann't create database.") : "Cann't create database. " + why);
        }
        return fConnection->Connect() || FailConnect(fConnection->GetLastError());
    } catch (const std::exception& e) {
        return FailConnect(e.what());
    }
}

bool TSQLExec::RunDescription() {
    if (GetShowFullLog()) {
        DoLogNextLine("< Update Description >:");
        DoLogNextLine(Trim(fCurrentStatement->GetText()));
    } else {
        DoLogNextLine("<Update Description>");
    }
    return UpdateDescription();
}

bool TSQLExec::UpdateDescription() { return RunMiscStatement(); }

void TSQLExec::LoadScript(const std::vector<std::string>& aScript) {
    TCustomSQLExec::Clear();
    fMsgMngr->Clear();
    TObjs objs;
    std::unique_ptr<TCustomSQLParser> parser = CreateParser(&objs);
    LoadWithParser(*parser, objs, aScript);
    DoLogNextLine("Script loaded.");
}

void TSQLExec::LoadWithParser(TCustomSQLParser& aParser, TObjs& aObjs, const std::vector<std::string>& aScript) {
    // The parser's errors are passed on once reading is over: some are notes by then.
    aParser.OnErrorMessage = [](TObject*, const std::string&) {};
    aParser.OnLogNextLine = [this](TObject*, const std::string& aText) { DoLogNextLine(aText); };
    aParser.OnProgressUpdate = [this](TObject*, int aValue, int aMax) { DoProgressUpdate(aValue, aMax); };
    aParser.SetScriptFileName(fScriptFileName);
    aParser.OnAddStatement = [this](TObject* Sender, const std::string& aText, TStatType aTyp, const std::string& aObjName,
                                    TDbObject aObjType, TDbOperation aOperation, const std::string& aOwnName,
                                    TStatement*& Statement) {
        Statement = Add(aText, aTyp, aObjName, aObjType, aOperation, aOwnName, "");
        auto* p = dynamic_cast<TCustomSQLParser*>(Sender);
        if (!Statement || !p) return;
        Statement->SrcLine = p->StBegLine;
        Statement->SrcColumn = p->StBegCol;
        Statement->SrcFile = p->GetScriptFileName();
        DoStatementLoaded(*p, *Statement);
    };
    DoLogNextLine("Loading script...");
    aParser.ParseScript(aScript, &aObjs);
    fMsgMngr->CopyFrom(&aParser.GetMsgMngr());
    for (std::size_t i = 0; i < aParser.GetMsgMngr().Count(); ++i) {
        const TMsgData& m = aParser.GetMsgMngr().Get(i);
        if (m.MsgType == mt_Err && OnErrorMessage) OnErrorMessage(this, m.Msg);
    }
}

void TSQLExec::ExecuteStatement(TStatement* Statement) {
    if (!Statement) return;
    if (!fConnection) {
        DoErrorMessage(std::string(ClassName()) + "(" + GetName() + "): Connection property not assigned.");
        return;
    }
    const bool wasOpen = fConnection->GetConnected();
    if (!fQuery) fQuery.reset(fConnection->CreateQuery(nullptr));
    if (!fQuery) return DoErrorMessage(std::string(ClassName()) + "(" + GetName() + "): the connection has no connection kind selected.");
    if (!wasOpen && !EnsureConnected()) {
        fQuery.reset();
        return;
    }
    ExecStatement(Statement);
    try {
        if (fConnection->GetConnected() && fConnection->InTransaction()) fConnection->Commit();
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
    }
    if (!wasOpen) fConnection->SetConnected(false);
    fQuery.reset();
}

void TSQLExec::ConnectToDatabase() {
    if (!fConnection) return;
    if (fConnection->GetConnected()) fConnection->SetConnected(false);
    SetConnectionOptions();
    try {
        if (!fConnection->Connect()) return DoErrorMessage(fConnection->GetLastError());
        DoLogNextLine("Connect: \"" + fConnectionOptions.GetDatabaseName() + "\"");
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
    }
}

void TSQLExec::DisconnectFromDatabase() {
    if (!fConnection || !fConnection->GetConnected()) return;
    try {
        DoLogNextLine("Disconnect: \"" + fConnection->GetConnectionOptions().GetDatabaseName() + "\"");
        fConnection->SetConnected(false);
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
    }
}

}  // namespace dbtwin
