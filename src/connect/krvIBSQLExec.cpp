#include "connect/krvIBSQLExec.h"

#include <cctype>
#include <exception>
#include <optional>

#include "connect/krvDBEngine.h"
#include "core/krvQuote.h"
#include "core/krvStrUtils.h"
#include "objects/krvCompObj.h"
#include "parse/krvIBExParser.h"

namespace dbtwin {

namespace {

// The words and literals of a CONNECT or CREATE DATABASE statement, comments skipped.
struct TConnectToken {
    enum TKind { tkWord, tkString, tkQuoted, tkNumber, tkSymbol, tkEnd } Kind = tkEnd;
    std::string Text;  // upper-cased for words; the value for literals and quoted names
};

class TConnectScanner {
public:
    explicit TConnectScanner(std::string_view aText) : fText(aText) {}

    TConnectToken Next() {
        SkipBlanks();
        TConnectToken t;
        if (fPos >= fText.size()) return t;
        const char c = fText[fPos];
        if (c == '\'' || c == '"') {
            t.Kind = c == '\'' ? TConnectToken::tkString : TConnectToken::tkQuoted;
            ++fPos;
            for (;;) {
                if (fPos >= fText.size()) {
                    fUnclosed = true;
                    break;
                }
                if (fText[fPos] == c) {
                    if (fPos + 1 < fText.size() && fText[fPos + 1] == c) {
                        t.Text += c;
                        fPos += 2;
                        continue;
                    }
                    ++fPos;
                    break;
                }
                t.Text += fText[fPos++];
            }
            return t;
        }
        auto word = [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '$'; };
        if (word(c)) {
            const std::size_t from = fPos;
            while (fPos < fText.size() && word(fText[fPos])) ++fPos;
            t.Text = UpperCase(fText.substr(from, fPos - from));
            t.Kind = std::isdigit(static_cast<unsigned char>(c)) ? TConnectToken::tkNumber : TConnectToken::tkWord;
            return t;
        }
        t.Kind = TConnectToken::tkSymbol;
        t.Text = std::string(1, c);
        ++fPos;
        return t;
    }
    bool Unclosed() const { return fUnclosed; }

private:
    void SkipBlanks() {
        for (;;) {
            while (fPos < fText.size() && static_cast<unsigned char>(fText[fPos]) <= ' ') ++fPos;
            if (fText.compare(fPos, 2, "/*") == 0) {
                const std::size_t end = fText.find("*/", fPos + 2);
                fPos = end == std::string_view::npos ? fText.size() : end + 2;
            } else if (fText.compare(fPos, 2, "--") == 0) {
                const std::size_t end = fText.find('\n', fPos);
                fPos = end == std::string_view::npos ? fText.size() : end + 1;
            } else {
                return;
            }
        }
    }

    std::string_view fText;
    std::size_t fPos = 0;
    bool fUnclosed = false;
};

// The words of COMMENT ON for an object kind; empty for the kinds with an owner or none.
const char* CommentWords(TDbObject aKind) {
    switch (aKind) {
        case dboTable: return "TABLE";
        case dboView: return "VIEW";
        case dboProcedure: return "PROCEDURE";
        case dboTrigger: return "TRIGGER";
        case dboFunction: return "FUNCTION";
        case dboException: return "EXCEPTION";
        case dboIndex: return "INDEX";
        case dboDomain: return "DOMAIN";
        case dboGenerator: return "SEQUENCE";
        case dboRole: return "ROLE";
        case dboPackage: return "PACKAGE";
        case dboCollation: return "COLLATION";
        default: return "";
    }
}

}  // namespace

TIBSQLExec::TIBSQLExec(TComponent* aOwner) : TSQLExec(aOwner) { fDatabaseType = dbInterBase; }

std::unique_ptr<TCustomSQLParser> TIBSQLExec::CreateParser(TObjs* /*aObjs*/) {
    return std::make_unique<TIbExParser>(nullptr);
}

void TIBSQLExec::LoadScript(const std::vector<std::string>& aScript) {
    TCustomSQLExec::Clear();
    fMsgMngr->Clear();
    fDialectFromScript = false;
    TObjs objs;
    objs.fIBServerOptions.SetSQLServerVersion(fIBServerOptions.GetSQLServerVersion());
    // A script that does not name its dialect is read in the dialect of the database it is
    // for when that is known, else in dialect 3, the dialect of every current database.
    int dialect = 3;
    if (fConnection && fConnection->GetConnected()) {
        const int db = fConnection->GetIBServerOptions().GetIBDatabaseOptions().GetDBSQLDialect();
        if (db >= 1 && db <= 3) dialect = db;
    }
    objs.fIBServerOptions.SetSQLDialect(static_cast<TIBSQLDialectType>(dialect));
    std::unique_ptr<TCustomSQLParser> parser = CreateParser(&objs);
    auto* ib = dynamic_cast<TIbParser*>(parser.get());
    if (ib) ib->StatementsOnly = true;
    LoadWithParser(*parser, objs, aScript);
    if (!objs.fConnectionOptions.GetDatabaseName().empty()) {
        fConnectionOptions.SetDatabaseName(objs.fConnectionOptions.GetDatabaseName());
        if (!objs.fConnectionOptions.GetUserName().empty())
            fConnectionOptions.SetUserName(objs.fConnectionOptions.GetUserName());
    }
    if (!objs.fIBServerOptions.GetDBCharSet().empty()) fIBServerOptions.SetDBCharSet(objs.fIBServerOptions.GetDBCharSet());
    if (fDialectFromScript && ib) fIBServerOptions.SetSQLDialect(static_cast<TIBSQLDialectType>(ib->GetSQLDialect()));
    else fIBServerOptions.SetSQLDialect(static_cast<TIBSQLDialectType>(dialect));
    DoLogNextLine("Script loaded.");
}

void TIBSQLExec::DoStatementLoaded(TCustomSQLParser& aParser, TStatement& aStatement) {
    if (auto* p = dynamic_cast<TIbParser*>(&aParser); p && (aStatement.Typ == stConnect || aStatement.Typ == stCreateDb))
        aStatement.Password = p->GetStatementPassword();
    if (aStatement.Typ == stSqlDialect) fDialectFromScript = true;
}

void TIBSQLExec::ParseConnect(const std::string& aText) {
    TConnectScanner in(aText);
    TConnectToken t = in.Next();
    bool create = false;
    if (t.Kind == TConnectToken::tkWord && t.Text == "CONNECT") {
        t = in.Next();
        if (t.Kind == TConnectToken::tkWord && t.Text == "DATABASE") t = in.Next();
    } else if (t.Kind == TConnectToken::tkWord && t.Text == "CREATE") {
        t = in.Next();
        if (t.Kind != TConnectToken::tkWord || (t.Text != "DATABASE" && t.Text != "SCHEMA"))
            return DoErrorMessage("Not a CONNECT or CREATE DATABASE statement.");
        create = true;
        t = in.Next();
    } else {
        return DoErrorMessage("Not a CONNECT or CREATE DATABASE statement.");
    }
    if (t.Kind != TConnectToken::tkString || t.Text.empty())
        return DoErrorMessage("The database of a CONNECT or CREATE DATABASE statement must be a quoted name.");
    const std::string database = t.Text;
    std::string user, role;
    bool hasUser = false, hasRole = false;
    auto value = [&](bool aWordToo) -> std::optional<std::string> {
        TConnectToken v = in.Next();
        if (v.Kind == TConnectToken::tkSymbol && v.Text == "=") v = in.Next();
        if (v.Kind == TConnectToken::tkString || v.Kind == TConnectToken::tkQuoted || v.Kind == TConnectToken::tkNumber)
            return v.Text;
        if (aWordToo && v.Kind == TConnectToken::tkWord) return v.Text;
        return std::nullopt;
    };
    for (t = in.Next(); t.Kind != TConnectToken::tkEnd; t = in.Next()) {
        if (t.Kind == TConnectToken::tkSymbol && t.Text == ";") break;
        if (t.Kind != TConnectToken::tkWord) {
            if (create) continue;
            return DoErrorMessage("Unexpected '" + t.Text + "' in a CONNECT statement.");
        }
        if (t.Text == "USER") {
            auto v = value(false);
            if (!v) return DoErrorMessage("USER of a CONNECT or CREATE DATABASE statement must be a quoted name.");
            user = *v;
            hasUser = true;
        } else if (t.Text == "PASSWORD") {
            // The loaded text has none (the statement keeps it apart); a generated one may.
            if (!value(false)) return DoErrorMessage("PASSWORD of a CONNECT or CREATE DATABASE statement must be a quoted text.");
        } else if (t.Text == "ROLE") {
            auto v = value(true);
            if (!v) return DoErrorMessage("ROLE of a CONNECT statement must be a name.");
            role = *v;
            hasRole = true;
        } else if (t.Text == "CACHE") {
            if (!value(false)) return DoErrorMessage("CACHE of a CONNECT statement must be a number.");
        } else if (create && t.Text == "PAGE_SIZE") {
            if (auto v = value(false)) {
                try {
                    fIBServerOptions.GetIBDatabaseOptions().SetPageSize(std::stoi(*v));
                } catch (const std::exception&) {
                    return DoErrorMessage("PAGE_SIZE must be a number.");
                }
            }
        } else if (create && t.Text == "DEFAULT") {
            TConnectToken w = in.Next();
            if (w.Text == "CHARACTER") w = in.Next();
            if (w.Text == "SET") w = in.Next();
            if (w.Kind == TConnectToken::tkWord || w.Kind == TConnectToken::tkQuoted) fIBServerOptions.SetDBCharSet(w.Text);
        } else if (create && t.Text == "NAMES") {
            if (auto v = value(true); v && fIBServerOptions.GetDBCharSet().empty()) fIBServerOptions.SetDBCharSet(*v);
        } else if (!create) {
            return DoErrorMessage("Unknown word " + t.Text + " in a CONNECT statement.");
        }
    }
    if (in.Unclosed()) return DoErrorMessage("A quoted text of a CONNECT or CREATE DATABASE statement is not closed.");
    // The quoted name is the whole connection string (host/port:path, or a path for a local
    // database), as the server's own client takes it.
    fConnectionOptions.SetDatabaseName(database);
    fConnectionOptions.SetHostName("");
    fConnectionOptions.SetPort(0);
    const std::string password = fExecStatement ? fExecStatement->Password : std::string();
    if (hasUser) {
        // Another user than the one the run connects as gets no password of that one.
        if (!SameText(user, fConnectionOptions.GetUserName()) && password.empty()) fConnectionOptions.SetPassword("");
        fConnectionOptions.SetUserName(user);
    }
    if (!password.empty()) fConnectionOptions.SetPassword(password);
    if (hasRole) fConnectionOptions.SetRoleName(role);
}

bool TIBSQLExec::ExecStatement(TStatement* Statement) {
    fExecStatement = Statement;
    if (Statement->Typ == stSetNames) {
        fCurrentStatement = Statement;
        LogExec(*Statement);
        if (!Statement->ObjName.empty()) fIBServerOptions.SetDBCharSet(Statement->ObjName);
        return true;
    }
    if (Statement->Typ == stSqlDialect) {
        fCurrentStatement = Statement;
        LogExec(*Statement);
        const std::string& n = Statement->ObjName;
        if (n == "1" || n == "2" || n == "3") {
            const auto d = static_cast<TIBSQLDialectType>(n[0] - '0');
            fIBServerOptions.SetSQLDialect(d);
            if (fConnection) fConnection->GetIBServerOptions().SetSQLDialect(d);
            fDialectFromScript = true;
        }
        return true;
    }
    return TSQLExec::ExecStatement(Statement);
}

void TIBSQLExec::ExecuteStatement(TStatement* Statement) {
    if (!Statement) return;
    const int errors = fErrors;
    TSQLExec::ExecuteStatement(Statement);
    if (fErrors == errors && fConnection) Statement->Disabled = true;
}

void TIBSQLExec::AdoptDatabaseDialect() {
    if (!fConnection || !fConnection->GetConnected()) return;
    TIBServerOptions& c = fConnection->GetIBServerOptions();
    if (fDialectFromScript) {
        c.SetSQLDialect(fIBServerOptions.GetSQLDialect());
        return;
    }
    const int db = c.GetIBDatabaseOptions().GetDBSQLDialect();
    if (db < 1 || db > 3) return;
    c.SetSQLDialect(static_cast<TIBSQLDialectType>(db));
    fIBServerOptions.SetSQLDialect(static_cast<TIBSQLDialectType>(db));
}

bool TIBSQLExec::RunConnect() {
    const bool ok = TSQLExec::RunConnect();
    if (ok) AdoptDatabaseDialect();
    return ok;
}

bool TIBSQLExec::RunReConnect() {
    const bool ok = TSQLExec::RunReConnect();
    if (ok) AdoptDatabaseDialect();
    return ok;
}

bool TIBSQLExec::RunCreateDb() {
    const bool ok = TSQLExec::RunCreateDb();
    if (ok) AdoptDatabaseDialect();
    return ok;
}

bool TIBSQLExec::UpdateDescription() {
    TStatement& st = *fCurrentStatement;
    const std::string upper = UpperCase(TrimLeft(st.GetText()));
    // A COMMENT ON or ALTER DESCRIPTION statement runs as written.
    if (upper.rfind("COMMENT", 0) == 0 || upper.rfind("ALTER", 0) == 0) return RunMiscStatement();
    if (!fConnection || !fConnection->GetConnected()) {
        DoErrorMessage("Disconnected from database...");
        return false;
    }
    const int ods = fConnection->GetIBServerOptions().GetIBDatabaseOptions().GetODSMajorVersion();
    const auto dialect = static_cast<TIBSQLDialectType>(fConnection->GetIBServerOptions().GetSQLDialect());
    const TIBSQLServerVersionType version = fIBServerOptions.GetSQLServerVersion();
    auto q = [&](const std::string& n) { return Quote_Ident(n, dbInterBase, version, dialect); };
    // Databases of ODS 11 (Firebird 2.0) and later have COMMENT ON, and Firebird 3 refuses
    // updates of its system tables: the description is written with COMMENT ON there.
    if (ods >= 11) {
        std::string target;
        if (const char* words = CommentWords(st.ObjType); *words) target = std::string(words) + " " + q(st.ObjName);
        else if (st.ObjType == dboField) target = "COLUMN " + q(st.OwnName) + "." + q(st.ObjName);
        else if (st.ObjType == dboParam) target = "PARAMETER " + q(st.OwnName) + "." + q(st.ObjName);
        else if (st.ObjType == dboDatabase) target = "DATABASE";
        if (target.empty()) {
            DoErrorMessage("A description of this kind of object cannot be written: " + st.GetCaption());
            return false;
        }
        const std::string text = "COMMENT ON " + target + " IS " +
                                 (st.Description.empty() ? std::string("NULL") : ScriptQuotedStr(st.Description, dbInterBase));
        const std::vector<std::string> saved = st.Text;
        st.Text = {text};
        const bool ok = RunMiscStatement();
        st.Text = saved;
        return ok;
    }
    // Older databases keep descriptions in the system tables.
    std::string sql;
    std::vector<std::pair<std::string, std::string>> names;
    auto one = [&](const char* table, const char* key, const char* param) {
        sql = std::string("update ") + table + "\r\nset rdb$description = :DESCRIPTION\r\nwhere " + key + " = :" + param;
        names = {{param, st.ObjName}};
    };
    switch (st.ObjType) {
        case dboTable: case dboView: one("rdb$relations", "Rdb$relation_name", "TBLNAME"); break;
        case dboProcedure: one("rdb$procedures", "Rdb$procedure_name", "OBJNAME"); break;
        case dboTrigger: one("rdb$triggers", "Rdb$trigger_name", "OBJNAME"); break;
        case dboFunction: one("rdb$functions", "Rdb$function_name", "OBJNAME"); break;
        case dboException: one("rdb$exceptions", "Rdb$exception_name", "OBJNAME"); break;
        case dboIndex: one("rdb$indices", "Rdb$index_name", "OBJNAME"); break;
        case dboDomain: one("rdb$fields", "Rdb$field_name", "OBJNAME"); break;
        case dboGenerator: one("Rdb$Generators", "Rdb$Generator_name", "OBJNAME"); break;
        case dboRole: one("rdb$Roles", "Rdb$Role_name", "OBJNAME"); break;
        case dboField:
            sql = "update rdb$relation_fields\r\nset rdb$description = :DESCRIPTION\r\nwhere Rdb$relation_name = :TBLNAME\r\n"
                  "and Rdb$field_name = :FLDNAME";
            names = {{"TBLNAME", st.OwnName}, {"FLDNAME", st.ObjName}};
            break;
        case dboParam:
            sql = "update rdb$procedure_parameters\r\nset rdb$description = :DESCRIPTION\r\n"
                  "where Rdb$procedure_name = :OBJNAME\r\nand Rdb$parameter_name = :FLDNAME";
            names = {{"OBJNAME", st.OwnName}, {"FLDNAME", st.ObjName}};
            break;
        case dboDatabase: sql = "update rdb$database\r\nset rdb$description = :DESCRIPTION"; break;
        default:
            DoErrorMessage("A description of this kind of object cannot be written: " + st.GetCaption());
            return false;
    }
    if (!fQuery) fQuery.reset(fConnection->CreateQuery(nullptr));
    bool ok = true;
    try {
        if (fConnection->InTransaction()) fConnection->Commit();
        fConnection->StartTransaction();
        fQuery->SetParamCheck(true);
        fQuery->SetSQLText(sql);
        fQuery->ParamByName("DESCRIPTION")->SetMemo(st.Description);
        for (const auto& [param, name] : names) fQuery->ParamByName(param)->SetString(name);
        fQuery->ExecSQL();
        fConnection->Commit();
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        try {
            if (fConnection->GetConnected() && fConnection->InTransaction()) fConnection->Rollback();
        } catch (const std::exception&) {
        }
        ok = false;
    }
    if (fQuery->GetSQL()) fQuery->GetSQL()->clear();
    return ok;
}

}  // namespace dbtwin
