#include "exec/krvSQL_Exec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/krvDialect.h"
#include "core/krvMsg.h"
#include "core/krvQuote.h"
#include "core/krvStrUtils.h"

namespace dbtwin {

// ---------------------------------------------------------------------------
// TStatement

std::string TStatement::GetCaption() const {
    std::string caption;
    if (ObjType == dboField) {
        caption = OwnName + " (" + ObjName + ")" + ": alter";
    } else {
        const char* suffix = "";
        switch (Operation) {
            case odbCreate: suffix = ": create"; break;
            case odbAlter: suffix = ": alter"; break;
            case odbDrop: suffix = ": drop"; break;
            case odbEmpty: suffix = ": empty body"; break;
            case odbRestore: suffix = ": restore body"; break;
            case odbEmptyCreate: suffix = ": create empty"; break;
            case odbEmptyDrop: suffix = ": empty before drop"; break;
            case odbDescription: suffix = ": description"; break;
            case odbInsert: suffix = ": insert"; break;
            case odbUpdate: suffix = ": update"; break;
            case odbDelete: suffix = ": delete"; break;
            default: break;
        }
        caption = ObjName + suffix;
    }
    if (caption.empty() && !Text.empty()) caption = Text.front();
    return caption;
}

std::string TStatement::GetText() const { return JoinLines(Text); }

// ---------------------------------------------------------------------------
// TCustomSQLExec

TCustomSQLExec::TCustomSQLExec(TComponent* aOwner)
    : TComponent(aOwner), fMsgMngr(std::make_unique<TMsgManager>()) {}

TCustomSQLExec::~TCustomSQLExec() { StatSeq.clear(); }

void TCustomSQLExec::DoLogNextLine(const std::string& aText) {
    if (OnLogNextLine) OnLogNextLine(this, aText);
}

void TCustomSQLExec::DoProgressUpdate(int Value, int MaxValue) {
    if (OnProgressUpdate) OnProgressUpdate(this, Value, MaxValue);
}

void TCustomSQLExec::DoErrorMessage(const std::string& aText) {
    if (OnErrorMessage) OnErrorMessage(this, aText);
    else ShowMessage(aText);
    ++fErrors;
}

void TCustomSQLExec::DoStatementAdd(TStatement* Statement, bool& Accept) {
    if (OnStatementAdd) OnStatementAdd(Statement, Accept);
}

void TCustomSQLExec::DoBeforeStatementExecute(int index) {
    if (OnBeforeStatementExecute) OnBeforeStatementExecute(this, index);
}

void TCustomSQLExec::DoAfterStatementExecute(int index) {
    if (OnAfterStatementExecute) OnAfterStatementExecute(this, index);
}

std::unique_ptr<TStatement> TCustomSQLExec::DoStatementCreate() {
    std::unique_ptr<TStatement> st;
    if (OnStatementCreate) OnStatementCreate(this, st);
    if (!st) st = std::make_unique<TStatement>();
    st->fSQLExec = this;
    return st;
}

void TCustomSQLExec::SetCurrentSchema(const std::string& aSchema) { fCurrentSchema = aSchema; }

void TCustomSQLExec::LoadFromFile(const std::string& aFileName) {
    if (OnLoadScript) {
        fScriptFileName = aFileName;
        std::vector<std::string> list;
        bool loaded = false;
        OnLoadScript(this, aFileName, list, loaded);
        LoadScript(list);
        return;
    }
    fScriptFileName.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(aFileName, ec)) {
        DoErrorMessage("File not found: " + aFileName);
        return;
    }
    std::ifstream in(aFileName, std::ios::binary);
    if (!in) {
        DoErrorMessage("Cannot open file: " + aFileName + ": " + std::strerror(errno));
        return;
    }
    fScriptFileName = aFileName;
    LoadFromStream(&in);
}

void TCustomSQLExec::LoadFromStream(std::istream* aStream) {
    std::vector<std::string> list;
    if (aStream) {
        std::string bytes((std::istreambuf_iterator<char>(*aStream)), std::istreambuf_iterator<char>());
        list = SplitLines(TkrvEncoding::DecodeFileBytes(bytes));
    }
    LoadScript(list);
}

TStatement* TCustomSQLExec::Add(const std::string& aText, TStatType aTyp,
                                const std::string& aObjName, TDbObject aObjType,
                                TDbOperation aOperation, const std::string& aOwnName,
                                const std::string& aTerm) {
    if (aText.empty() && aTyp != stComment) return nullptr;
    std::unique_ptr<TStatement> st = DoStatementCreate();
    st->Text = SplitLines(aText);
    st->Typ = aTyp;
    st->ObjName = aObjName;
    st->OwnName = aOwnName;
    st->ObjType = aObjType;
    st->Operation = aOperation;
    st->Shema = fCurrentSchema;
    st->Len = static_cast<std::int32_t>(st->Text.size());
    if (!aTerm.empty()) st->Term = aTerm;
    else if (aTyp != stComment) st->Term = GenScriptTerm(fDatabaseType);
    else st->Term.clear();

    bool accept = true;
    DoStatementAdd(st.get(), accept);
    if (!accept) return nullptr;

    Line += st->Len + 1;
    switch (aTyp) {
        case stStatement: case stProcedure: case stTrigger: case stDescription:
        case stInsert: case stUpdate: case stDelete:
            fIsUpdate = true;
            break;
        default:
            break;
    }
    StatSeq.push_back(std::move(st));
    return StatSeq.back().get();
}

TStatement* TCustomSQLExec::InsertComment(const std::string& aComment, const TStatement* aBefore) {
    TStatement* c = AddComment(aComment);
    if (!c || !aBefore) return c;
    // The statement is nearly always one of the last: search from the end.
    for (auto i = StatSeq.size(); i-- > 1;)
        if (StatSeq[i - 1].get() == aBefore) {
            std::rotate(StatSeq.begin() + static_cast<std::ptrdiff_t>(i - 1), StatSeq.end() - 1, StatSeq.end());
            break;
        }
    return c;
}

void TCustomSQLExec::Clear() {
    StatSeq.clear();
    Line = 0;
    fIsUpdate = false;
}

void TCustomSQLExec::Delete(int index) {
    if (index < 0 || index >= GetStatementsCount()) return;
    StatSeq.erase(StatSeq.begin() + index);
}

TStatement* TCustomSQLExec::AddDescriptionDef(const std::string& aDescriptionDef,
                                              const std::string& aObjName, TDbObject aObjType,
                                              const std::string& aOwnName,
                                              const std::string& aDescription) {
    TStatement* st =
        Add(aDescriptionDef, stDescription, aObjName, aObjType, odbDescription, aOwnName);
    if (st) st->Description = aDescription;
    return st;
}

bool TCustomSQLExec::ExecuteScript() {
    fErrors = 0;
    return true;
}

void TCustomSQLExec::SetStatement(int index, std::unique_ptr<TStatement> Statement) {
    if (Statement) Statement->fSQLExec = this;
    StatSeq.at(index) = std::move(Statement);
}

int TCustomSQLExec::IndexOf(const TStatement* Statement) const {
    for (std::size_t i = 0; i < StatSeq.size(); ++i)
        if (StatSeq[i].get() == Statement) return static_cast<int>(i);
    return -1;
}

void TCustomSQLExec::SelectAll(bool aSelect) {
    for (auto& st : StatSeq) st->Select = aSelect;
}

void TCustomSQLExec::DoMsgErr(const std::string& aText, TObject* aObj) {
    DoErrorMessage(aText);
    fMsgMngr->AddMsg(aText, mt_Err, aObj);
}

void TCustomSQLExec::DoMsgWrn(const std::string& aText, TObject* aObj) {
    DoLogNextLine("Warning: " + aText);
    fMsgMngr->AddMsg(aText, mt_Wrn, aObj);
}

std::string TCustomSQLExec::GetScriptText(bool LineReNumber) {
    std::vector<std::string> lines;
    GetScript(lines, LineReNumber);
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += CRLF;
        text += lines[i];
    }
    return text;
}

// ---------------------------------------------------------------------------
// TSQLExec: script text

TSQLExec::TSQLExec(TComponent* aOwner) : TCustomSQLExec(aOwner) {}

std::string TSQLExec::QuoteIdent(const std::string& aIdent) const {
    return Quote_Ident(aIdent, fDatabaseType, fIBServerOptions.GetSQLServerVersion(), 3);
}

TStatement* TSQLExec::AddComment(const std::string& aComment) {
    return Add(aComment, stComment, "/*  */", dboUnknown, odbComment, "", "");
}

void TSQLExec::AddReConnect() {
    if (fDatabaseType != dbInterBase) return;
    if (fIBServerOptions.GetIBCompareOptions().GetUseRECONNECT()) {
        Add("RECONNECT", stReconnect);
        return;
    }
    std::string connect = fIBServerOptions.ConnectDatabaseDef(fConnectionOptions, false);
    if (!connect.empty()) Add(connect, stConnect);
}

void TSQLExec::Clear() {
    fConnectionOptions.Clear();
    ClearServerOptions();
    TCustomSQLExec::Clear();
}

void TSQLExec::Add_Commit() {
    if (fDatabaseType == dbSybaseASA)
        Add("Commit Work\r\ngo", st_Commit, "Commit Work", dboUnknown, odbCommit);
    else
        Add("COMMIT WORK;", st_Commit, "COMMIT WORK", dboUnknown, odbCommit);
}

namespace {

bool IsBlockStatement(TStatType t) { return t == stProcedure || t == stTrigger || t == stPackage; }

// The text of one statement as it stands in the script, ending where the next begins.
std::string RenderStatement(const TStatement& st, TDatabaseType db) {
    const std::string text = st.GetText();
    const bool createsPackage =
        st.Typ == stStatement && st.ObjType == dboPackage && st.Operation == odbCreate;
    if (IsBlockStatement(st.Typ) || createsPackage) {
        const std::string_view routineTerm = DialectTraits(db).RoutineTerm;
        if (!routineTerm.empty()) return text + std::string(routineTerm) + "\r\n";
        return Trim(text) + GenScriptTerm(db);
    }
    if (st.Typ == stDescription) return Trim(text) + ";" + "\r\n";
    if (st.ObjType == dboView) {
        if (db == dbInterBase && st.Text.size() == 1) return Trim(text) + GenScriptTerm(db);
        return Trim(text) + "\r\n" + GenScriptTerm(db);
    }
    switch (st.Typ) {
        case stConnect: case stCreateDb: case stSet: case stStatement: case stSetNames:
        case stCharSet: case stSqlDialect:
            return Trim(text) + st.Term;
        case stReconnect: case stSetBlobFile: case stInsert: case stUpdate: case stDelete:
            return Trim(text) + GenScriptTerm(db);
        default:
            return Trim(text);
    }
}

}  // namespace

void TSQLExec::GetScript(std::vector<std::string>& aList, bool LineReNumber) {
    const TDatabaseType db = fDatabaseType;
    const bool ib = db == dbInterBase;
    const bool genCommit = ib && fIBServerOptions.GetIBCompareOptions().GetGenerateCOMMIT();
    const std::string blockOpen = DialectTraits(db).BlockOpen, blockClose = DialectTraits(db).BlockClose;
    Line = static_cast<std::int32_t>(aList.size());
    bool inBlock = false;
    auto count = [&aList] { return static_cast<std::int32_t>(aList.size()); };

    for (auto& stPtr : StatSeq) {
        TStatement& st = *stPtr;
        if (LineReNumber) st.Line = count();
        if (st.Disabled) continue;

        if (IsBlockStatement(st.Typ)) {
            if (!inBlock) {
                if (!blockOpen.empty()) {
                    aList.emplace_back(blockOpen);
                    aList.emplace_back("");
                    if (LineReNumber) st.Line = count();
                }
                inBlock = true;
            }
        } else if (st.Typ != stComment && inBlock) {
            if (!blockClose.empty()) {
                aList.emplace_back(blockClose);
                aList.emplace_back("");
                if (LineReNumber) st.Line = count();
            }
            inBlock = false;
        }

        for (auto& piece : SplitString(RenderStatement(st, db), CRLF)) aList.push_back(std::move(piece));

        if (genCommit) {
            switch (st.Typ) {
                case stStatement: case stProcedure: case stTrigger: case stDescription:
                case stPackage:
                    aList.emplace_back(inBlock ? "COMMIT WORK ^" : "COMMIT WORK;");
                    break;
                default:
                    break;
            }
        }
    }
    if (inBlock && !blockClose.empty()) {
        aList.emplace_back(blockClose);
        aList.emplace_back("");
    }
}

}  // namespace dbtwin
