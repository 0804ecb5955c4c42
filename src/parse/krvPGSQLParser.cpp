#include "parse/krvPGSQLParser.h"

#include <map>

#include "core/krvStrUtils.h"

namespace dbtwin {

namespace {

bool IsIdentStart(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80; }
bool IsIdentChar(char32_t c) { return IsIdentStart(c) || (c >= '0' && c <= '9') || c == '$'; }

// The object kinds a statement names after CREATE, ALTER, DROP or COMMENT ON.
struct TKindWord {
    const char* Word;
    TDbObject Kind;
};
const TKindWord kKinds[] = {
    {"table", dboTable},         {"view", dboView},           {"index", dboIndex},
    {"sequence", dboGenerator},  {"function", dboFunction},   {"procedure", dboProcedure},
    {"trigger", dboTrigger},     {"schema", dboSchema},       {"domain", dboDomain},
    {"rule", dboRule},           {"extension", dboExtension}, {"operator", dboOperator},
    {"conversion", dboConversion}, {"role", dboRole},         {"user", dboUser},
    {"group", dboUserGroup},     {"database", dboDatabase},   {"publication", dboPublication},
    {"collation", dboCollation}, {"column", dboField},        {"constraint", dboConstraint},
};

}  // namespace

TPGSQLParser::TPGSQLParser(TExtractorLink* aExtractor) : TCustomSQLParser(aExtractor) {
    SetDatabaseType(dbPostgreSQL);
    SearchPath = {"public"};
}

// Statements are told apart by their words: no word is reserved to the scanner.
TSymbol TPGSQLParser::FindResWord() const { return syIdent; }

std::string TPGSQLParser::QuoteIdent(const std::string& aIdent) const { return PGSQLQuoteIdent(aIdent); }

void TPGSQLParser::ErrMsg(const std::string& aText) {
    // At the start of the symbol the message is about.
    const std::string where = GetScriptFileName().empty() ? std::string() : GetScriptFileName() + ": ";
    fMsgMngr->AddScriptMsg(aText, GetScriptFileName(), fSyCol, fSyLine, mt_Err);
    DoErrorMessage(where + "(" + std::to_string(fSyLine) + "," + std::to_string(fSyCol) + ") " + aText);
}

bool TPGSQLParser::SkipW(const char* aWord) {
    if (!W(aWord)) return false;
    GetSy();
    return true;
}

bool TPGSQLParser::SkipComment() {
    Comment.clear();
    if (ch == '/' && CurCh() == '*') {
        // Block comments nest.
        const std::int32_t line = Line, col = ChPos - 1;
        const std::int64_t start = chIx;
        int depth = 0;
        while (!Eof()) {
            if (ch == '/' && CurCh() == '*') {
                ++depth;
                GetChar();
            } else if (ch == '*' && CurCh() == '/') {
                GetChar();
                if (--depth == 0) {
                    GetChar();
                    break;
                }
            }
            GetChar();
        }
        if (depth > 0) {
            fSyLine = line;
            fSyCol = col;
            ErrMsg("Unterminated /* comment");
        }
        Comment = CopyTxt(start, chIx - start);
        return true;
    }
    return TCustomSQLParser::SkipComment();
}

bool TPGSQLParser::SkipText() {
    // A psql meta-command ("\connect", "\restrict", ...) fills its line.
    if (ch == '\\' && (chIx == 1 || TxtView(chIx - 1, 1) == "\n")) {
        SkipLine();
        return true;
    }
    return TCustomSQLParser::SkipText();
}

void TPGSQLParser::DoGetSy() {
    fSyLine = Line;
    fSyCol = ChPos - 1;
    fQuoted = false;
    SyBegPos = chIx;
    if (CheckTermStr()) return;
    auto unclosed = [this](const char* aWhat) {
        ErrMsg(std::string("Unterminated ") + aWhat);
        while (!Eof()) GetChar();
        Sy = syString;
    };
    // Strings: '...' ('' inside), E'...' (backslash escapes too), and the prefixed forms
    // B'', X'', N'' and U&''.
    const bool escape = (ch == 'E' || ch == 'e') && CurCh() == '\'';
    const bool prefixed = ((ch == 'B' || ch == 'b' || ch == 'X' || ch == 'x' || ch == 'N' || ch == 'n') && CurCh() == '\'') ||
                          ((ch == 'U' || ch == 'u') && CurCh() == '&' && NextCh() == '\'');
    if (ch == '\'' || escape || prefixed) {
        while (ch != '\'') GetChar();
        GetChar();
        std::string value;
        for (;;) {
            if (Eof()) return unclosed("quoted string");
            if (escape && ch == '\\') {
                GetChar();
                if (Eof()) return unclosed("quoted string");
                switch (ch) {
                    case 'n': value += '\n'; break;
                    case 't': value += '\t'; break;
                    case 'r': value += '\r'; break;
                    case 'b': value += '\b'; break;
                    case 'f': value += '\f'; break;
                    default: Utf8Append(value, ch); break;
                }
                GetChar();
                continue;
            }
            if (ch == '\'') {
                GetChar();
                if (ch != '\'') break;
            }
            Utf8Append(value, ch);
            GetChar();
        }
        StrVal = value;
        StrQuoteCh = '\'';
        Sy = syString;
        return;
    }
    if (ch == '"') {
        GetChar();
        std::string name;
        for (;;) {
            if (Eof()) return unclosed("quoted identifier");
            if (ch == '"') {
                GetChar();
                if (ch != '"') break;
            }
            Utf8Append(name, ch);
            GetChar();
        }
        Ident = name;
        fQuoted = true;
        Sy = syIdent;
        return;
    }
    if (ch == '$') {
        // $1: a parameter of a function body; $tag$ or $$: a dollar-quoted string.
        if (CurCh() >= '0' && CurCh() <= '9') {
            GetChar();
            while (ch >= '0' && ch <= '9') GetChar();
            Ident = CopyTxt(SyBegPos, chIx - SyBegPos);
            Sy = syIdent;
            return;
        }
        std::int64_t p = chIx + 1;
        const std::int64_t len = LengthTxt();
        const std::string_view text = TxtView(1, len);
        auto at = [text](std::int64_t i) { return static_cast<unsigned char>(text[static_cast<std::size_t>(i - 1)]); };
        if (p <= len && (at(p) == '$' || IsIdentStart(at(p)))) {
            while (p <= len && at(p) != '$' && IsIdentChar(at(p))) ++p;
            if (p <= len && at(p) == '$') {
                const std::string tag = CopyTxt(chIx, p - chIx + 1);
                const std::size_t close = text.find(tag, static_cast<std::size_t>(p));
                if (close == std::string_view::npos) return unclosed(("dollar-quoted string " + tag).c_str());
                StrVal = CopyTxt(p + 1, static_cast<std::int64_t>(close) + 1 - (p + 1));
                const std::int64_t end = static_cast<std::int64_t>(close) + static_cast<std::int64_t>(tag.size()) + 1;
                while (chIx < end && !Eof()) GetChar();
                StrQuoteCh = '$';
                Sy = syString;
                return;
            }
        }
    }
    if (IsIdentStart(ch)) {
        const std::int64_t start = chIx;
        GetChar();
        while (!Eof() && IsIdentChar(ch)) GetChar();
        Ident = LowerCase(std::string(TxtView(start, chIx - start)));
        Sy = syIdent;
        return;
    }
    if (ch == ':' && CurCh() == ':') {
        GetChar();
        GetChar();
        Sy = syColon;
        return;
    }
    TCustomSQLParser::DoGetSy();
}

void TPGSQLParser::ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs) {
    SearchPath = {"public"};
    TCustomSQLParser::ParseScript(aScript, aObjs);
}

void TPGSQLParser::ParseText() {
    SetTermStr(";");
    GetSy();
    while (Sy != syEOF) {
        if (Sy == syTerm) {
            GetSy();
            continue;
        }
        StBegPos = SyBegPos;
        StBegLine = fSyLine;
        StBegCol = fSyCol;
        const std::int64_t before = SyBegPos;
        ParseStatement();
        if (Sy == syTerm) GetSy();
        else if (Sy != syEOF && SyBegPos == before) GetSy();
    }
}

std::string TPGSQLParser::ReadName() {
    std::string name;
    while (Sy == syIdent) {
        name += fQuoted ? "\"" + ReplaceAll(Ident, "\"", "\"\"") + "\"" : Ident;
        GetSy();
        if (Sy != syPoint) break;
        name += '.';
        GetSy();
    }
    return name;
}

void TPGSQLParser::SkipToEnd(bool aRoutine) {
    // psql keeps the semicolons of a routine's BEGIN ... END body (BEGIN ATOMIC) in the
    // statement: inside a CREATE FUNCTION or PROCEDURE, BEGIN and CASE open a level and END
    // closes one.
    int depth = 0;
    while (Sy != syEOF) {
        if (Sy == syTerm && depth == 0) return;
        if (aRoutine && Sy == syIdent && !fQuoted) {
            if (Ident == "begin" || Ident == "case") ++depth;
            else if (Ident == "end" && depth > 0) --depth;
        }
        GetSy();
    }
}

void TPGSQLParser::ReadSearchPath() {
    if (Sy == syEqual) GetSy();
    else SkipW("to");
    std::vector<std::string> path;
    while (Sy == syIdent || Sy == syString) {
        if (Sy == syString) {
            // SET search_path = '' clears it; a quoted list is one text of names.
            for (const std::string& part : SplitString(StrVal, ",")) {
                const std::string n = Trim(part);
                if (!n.empty()) path.push_back(n.front() == '"' && n.size() > 1 ? n.substr(1, n.size() - 2) : LowerCase(n));
            }
        } else if (!W("default")) {
            path.push_back(Ident);
        }
        GetSy();
        if (Sy != syComma) break;
        GetSy();
    }
    SearchPath = path;
}

void TPGSQLParser::SkipCopyData() {
    // The data lines follow the statement's terminator, up to a line "\.".
    while (!Eof()) {
        const bool lineStart = chIx == 1 || TxtView(chIx - 1, 1) == "\n";
        if (lineStart && ch == '\\' && CurCh() == '.') {
            SkipLine();
            return;
        }
        GetChar();
    }
}

void TPGSQLParser::ParseStatement() {
    TStatType typ = stStatement;
    TDbObject kind = dboUnknown;
    TDbOperation op = odbUnknown;
    std::string name;
    bool routine = false, report = true, copyData = false;
    const int errors = fMsgMngr->GetErrCount();
    auto kindWord = [this](TDbObject& aKind) {
        // MATERIALIZED VIEW, FOREIGN TABLE, EVENT TRIGGER, ...: the last word tells.
        for (const char* lead : {"materialized", "foreign", "event", "constraint", "procedural", "trusted", "default", "text"})
            if (SkipW(lead)) break;
        if (SkipW("operator")) {
            if (!SkipW("class")) SkipW("family");
            aKind = dboOperator;
            return;
        }
        for (const TKindWord& k : kKinds)
            if (W(k.Word)) {
                aKind = k.Kind;
                GetSy();
                return;
            }
        if (Sy == syIdent && !fQuoted) GetSy();  // a kind the model does not hold (type, policy, cast, ...)
    };
    auto ifExists = [this] {
        if (W("if")) {
            GetSy();
            SkipW("not");
            SkipW("exists");
        }
    };
    if (Sy != syIdent) {
        SkipToEnd(false);
    } else if (SkipW("create")) {
        op = odbCreate;
        if (SkipW("or")) SkipW("replace");
        for (const char* w : {"temp", "temporary", "unlogged", "global", "local", "recursive"}) SkipW(w);
        routine = W("function") || W("procedure");
        const bool index = W("index") || W("unique");
        kindWord(kind);
        if (index) {
            kind = dboIndex;
            SkipW("index");
            SkipW("concurrently");
        }
        ifExists();
        if (!(index && W("on"))) name = ReadName();
        SkipToEnd(routine);
    } else if (SkipW("alter")) {
        op = odbAlter;
        kindWord(kind);
        ifExists();
        SkipW("only");
        name = ReadName();
        SkipToEnd(false);
    } else if (SkipW("drop")) {
        op = odbDrop;
        kindWord(kind);
        SkipW("concurrently");
        ifExists();
        name = ReadName();
        SkipToEnd(false);
    } else if (SkipW("comment")) {
        SkipW("on");
        typ = stDescription;
        op = odbDescription;
        kindWord(kind);
        name = ReadName();
        SkipToEnd(false);
    } else if (W("grant") || W("revoke")) {
        op = W("grant") ? odbCreate : odbDrop;
        kind = dboGrant;
        GetSy();
        SkipToEnd(false);
    } else if (SkipW("set")) {
        typ = stSet;
        op = odbSet;
        SkipW("session");
        SkipW("local");
        if (SkipW("search_path")) ReadSearchPath();
        SkipToEnd(false);
    } else if (W("select") || W("with") || W("values") || W("table")) {
        typ = stSelect;
        const bool select = W("select");
        GetSy();
        // pg_dump clears the search path with set_config('search_path', '', false).
        if (select && W("pg_catalog")) {
            GetSy();
            if (Sy == syPoint) GetSy();
        }
        if (select && SkipW("set_config") && Sy == syLParent) {
            GetSy();
            if (Sy == syString && SameText(StrVal, "search_path")) {
                GetSy();
                if (Sy == syComma) GetSy();
                if (Sy == syString) {
                    std::vector<std::string> path;
                    for (const std::string& part : SplitString(StrVal, ",")) {
                        const std::string n = Trim(part);
                        if (!n.empty()) path.push_back(n);
                    }
                    SearchPath = path;
                }
            }
        }
        SkipToEnd(false);
    } else if (W("insert") || W("update") || W("delete") || W("merge")) {
        typ = W("insert") ? stInsert : W("update") ? stUpdate : W("delete") ? stDelete : stStatement;
        op = typ == stInsert ? odbInsert : typ == stUpdate ? odbUpdate : typ == stDelete ? odbDelete : odbUnknown;
        GetSy();
        SkipW("into");
        SkipW("from");
        SkipW("only");
        kind = dboTable;
        name = ReadName();
        SkipToEnd(false);
    } else if (W("begin") || W("start")) {
        // The executor keeps its own transactions: a script's BEGIN is taken as said.
        typ = st_Commit;
        name = "BEGIN";
        GetSy();
        SkipToEnd(false);
    } else if (W("commit") || W("end")) {
        typ = st_Commit;
        op = odbCommit;
        name = "COMMIT";
        GetSy();
        SkipToEnd(false);
    } else if ((W("rollback") || W("abort"))) {
        GetSy();
        if (W("to")) {
            SkipToEnd(false);  // ROLLBACK TO SAVEPOINT: an ordinary statement
        } else {
            typ = st_Commit;
            name = "ROLLBACK";
            SkipToEnd(false);
        }
    } else if (W("copy")) {
        GetSy();
        name = ReadName();
        kind = dboTable;
        // COPY ... FROM stdin carries its rows in the script: they are not SQL, and an
        // executor has no way to send them.
        while (Sy != syTerm && Sy != syEOF) {
            if (W("from")) {
                GetSy();
                if (W("stdin")) copyData = true;
                continue;
            }
            GetSy();
        }
        if (copyData) {
            WrnMsg("COPY " + name + " FROM stdin: the rows that follow are skipped");
            report = false;
        }
    } else {
        // Any other statement (DO, SAVEPOINT, VACUUM, ANALYZE, REFRESH, SECURITY LABEL, ...)
        // goes to the server as written.
        SkipToEnd(false);
    }
    // psql also sends the last statement when the file ends without its semicolon, but not
    // one cut off by text that never closes.
    if (report && (Sy != syEOF || (SyBegPos > StBegPos && fMsgMngr->GetErrCount() == errors))) {
        TStatement* st = nullptr;
        DoAddStatement(typ, name, kind, op, "", st);
    }
    if (copyData && Sy == syTerm) {
        SkipLine();
        SkipCopyData();
    }
}

}  // namespace dbtwin
