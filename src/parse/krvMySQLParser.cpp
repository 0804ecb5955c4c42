#include "parse/krvMySQLParser.h"

#include "core/krvStrUtils.h"

namespace dbtwin {

namespace {

bool IsIdentStart(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80; }
bool IsIdentChar(char32_t c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

struct TKindWord {
    const char* Word;
    TDbObject Kind;
};
const TKindWord kKinds[] = {
    {"table", dboTable},       {"view", dboView},         {"index", dboIndex},       {"sequence", dboGenerator},
    {"function", dboFunction}, {"procedure", dboProcedure}, {"trigger", dboTrigger}, {"event", dboEvent},
    {"database", dboDatabase}, {"schema", dboDatabase},   {"user", dboUser},         {"role", dboRole},
};

}  // namespace

TMySQLParser::TMySQLParser(TExtractorLink* aExtractor) : TCustomSQLParser(aExtractor) { SetDatabaseType(dbMySQL); }

// Statements are told apart by their words: no word is reserved to the scanner.
TSymbol TMySQLParser::FindResWord() const { return syIdent; }

std::string TMySQLParser::QuoteIdent(const std::string& aIdent) const { return MySQLQuoteIdent(aIdent); }

void TMySQLParser::ErrMsg(const std::string& aText) {
    const std::string where = GetScriptFileName().empty() ? std::string() : GetScriptFileName() + ": ";
    fMsgMngr->AddScriptMsg(aText, GetScriptFileName(), fSyCol, fSyLine, mt_Err);
    DoErrorMessage(where + "(" + std::to_string(fSyLine) + "," + std::to_string(fSyCol) + ") " + aText);
}

bool TMySQLParser::SkipW(const char* aWord) {
    if (!W(aWord)) return false;
    GetSy();
    return true;
}

bool TMySQLParser::AtLineStart() const { return chIx == 1 || TxtView(chIx - 1, 1) == "\n"; }

bool TMySQLParser::SkipText() {
    if (ch == '#') {
        SkipLine();
        return true;
    }
    // "--" starts a comment only when a blank or control character follows.
    if (ch == '-' && CurCh() == '-' && (NextCh() <= ' ')) {
        SkipLine();
        return true;
    }
    if (ch == '/' && CurCh() == '*') {
        // A version comment (/*!NNNNN ...*/, and MariaDB's /*M!NNNNNN ...*/): the server reads
        // its content (when its version is at least the number), so the reader does too. A
        // client directive (/*M!999999\- ...*/) is a comment.
        const std::string_view head = TxtView(chIx, 4);
        const bool mariadb = head == "/*M!";
        if (NextCh() == '!' || mariadb) {
            std::int64_t p = chIx + (mariadb ? 4 : 3);
            while (TxtView(p, 1).size() == 1 && TxtView(p, 1)[0] >= '0' && TxtView(p, 1)[0] <= '9') ++p;
            if (TxtView(p, 1) != "\\") {
                fVersionCommentStart = chIx;
                while (chIx < p && !Eof()) GetChar();
                fInVersionComment = true;
                return true;
            }
        }
        const std::int32_t line = Line, col = ChPos - 1;
        GetChar();
        GetChar();
        while (!Eof() && !(ch == '*' && CurCh() == '/')) GetChar();
        if (Eof()) {
            fSyLine = line;
            fSyCol = col;
            ErrMsg("Unterminated /* comment");
            return true;
        }
        GetChar();
        GetChar();
        return true;
    }
    if (fInVersionComment && ch == '*' && CurCh() == '/') {
        GetChar();
        GetChar();
        fInVersionComment = false;
        return true;
    }
    return TCustomParser::SkipText();
}

void TMySQLParser::DoGetSy() {
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
    if (ch == '\'' || ch == '"' || ch == '`') {
        // Strings in ' or " with backslash escapes and doubled quotes; names in backquotes.
        const char32_t q = ch;
        GetChar();
        std::string value;
        for (;;) {
            if (Eof()) return unclosed(q == '`' ? "quoted name" : "quoted string");
            if (q != '`' && ch == '\\') {
                GetChar();
                if (Eof()) return unclosed("quoted string");
                switch (ch) {
                    case 'n': value += '\n'; break;
                    case 't': value += '\t'; break;
                    case 'r': value += '\r'; break;
                    case '0': value += '\0'; break;
                    case 'Z': value += '\x1A'; break;
                    case 'b': value += '\b'; break;
                    default: Utf8Append(value, ch); break;
                }
                GetChar();
                continue;
            }
            if (ch == q) {
                GetChar();
                if (ch != q) break;
            }
            Utf8Append(value, ch);
            GetChar();
        }
        if (q == '`') {
            Ident = value;
            fQuoted = true;
            Sy = syIdent;
        } else {
            StrVal = value;
            StrQuoteCh = q;
            Sy = syString;
        }
        return;
    }
    if (IsIdentStart(ch)) {
        // The client looks for the delimiter at every character: "END$$" is END and $$.
        const std::string& term = GetTermStr();
        auto termHere = [&] { return !term.empty() && TxtView(chIx, static_cast<std::int64_t>(term.size())) == term; };
        const std::int64_t start = chIx;
        GetChar();
        while (!Eof() && IsIdentChar(ch) && !termHere()) GetChar();
        Ident = LowerCase(std::string(TxtView(start, chIx - start)));
        Sy = syIdent;
        return;
    }
    TCustomSQLParser::DoGetSy();
}

void TMySQLParser::ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs) {
    SetTermStr(";");
    fInVersionComment = false;
    TCustomSQLParser::ParseScript(aScript, aObjs);
}

bool TMySQLParser::ReadDelimiter() {
    // DELIMITER is a word of the client at the start of a line, read before any symbol.
    while (!Eof() && (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n')) GetChar();
    if (!AtLineStart() && !(chIx > 1 && (TxtView(chIx - 1, 1) == " " || TxtView(chIx - 1, 1) == "\t"))) return false;
    if (!SameText(TxtView(chIx, 9), "delimiter") || !(TxtView(chIx + 9, 1) == " " || TxtView(chIx + 9, 1) == "\t"))
        return false;
    const std::int32_t line = Line, col = ChPos - 1;
    for (int i = 0; i < 9; ++i) GetChar();
    while (!Eof() && (ch == ' ' || ch == '\t')) GetChar();
    const std::int64_t start = chIx;
    while (!Eof() && ch > ' ') GetChar();
    const std::string delimiter(TxtView(start, chIx - start));
    SkipLine();
    if (delimiter.empty()) {
        fSyLine = line;
        fSyCol = col;
        ErrMsg("DELIMITER without a delimiter");
        return true;
    }
    SetTermStr(delimiter);
    return true;
}

void TMySQLParser::ParseText() {
    for (;;) {
        // Blanks and comments, then perhaps a DELIMITER line; then the statement.
        const std::int64_t from = chIx;
        while (!Eof() && SkipText()) {
        }
        if (Eof()) break;
        if (ReadDelimiter()) continue;
        GetSy();
        if (Sy == syEOF) break;
        if (Sy == syTerm) continue;
        StBegPos = SyBegPos;
        // A statement that begins inside a version comment keeps the comment's opening.
        if (fInVersionComment && fVersionCommentStart >= from) StBegPos = fVersionCommentStart;
        StBegLine = fSyLine;
        StBegCol = fSyCol;
        ParseStatement();
    }
}

std::string TMySQLParser::ReadName() {
    std::string name;
    while (Sy == syIdent) {
        name += Ident;
        GetSy();
        if (Sy != syPoint) break;
        name += '.';
        GetSy();
    }
    return name;
}

void TMySQLParser::SkipToEnd() {
    while (Sy != syEOF && Sy != syTerm) GetSy();
}

void TMySQLParser::ParseStatement() {
    TStatType typ = stStatement;
    TDbObject kind = dboUnknown;
    TDbOperation op = odbUnknown;
    std::string name;
    const int errors = fMsgMngr->GetErrCount();
    auto kindWord = [this](TDbObject& aKind) {
        // Words between CREATE and the kind: OR REPLACE, ALGORITHM=..., DEFINER=...,
        // SQL SECURITY ..., TEMPORARY, UNIQUE, FULLTEXT, ...
        for (int guard = 0; guard < 64 && Sy != syEOF && Sy != syTerm; ++guard) {
            for (const TKindWord& k : kKinds)
                if (W(k.Word)) {
                    aKind = k.Kind;
                    GetSy();
                    return;
                }
            GetSy();
        }
    };
    auto ifExists = [this] {
        if (SkipW("if")) {
            SkipW("not");
            SkipW("exists");
        }
    };
    if (Sy != syIdent) {
        SkipToEnd();
    } else if (SkipW("create") || W("alter") || W("drop")) {
        op = W("alter") ? odbAlter : W("drop") ? odbDrop : odbCreate;
        if (op != odbCreate) GetSy();
        kindWord(kind);
        ifExists();
        name = ReadName();
        SkipToEnd();
    } else if (SkipW("use")) {
        // USE switches the database of the session for the statements after it: it goes to
        // the server like any session statement.
        typ = stSet;
        op = odbSet;
        kind = dboDatabase;
        name = ReadName();
        SkipToEnd();
    } else if (W("set")) {
        typ = stSet;
        op = odbSet;
        SkipToEnd();
    } else if (W("select") || W("with") || W("values") || W("table")) {
        typ = stSelect;
        SkipToEnd();
    } else if (W("insert") || W("replace") || W("update") || W("delete")) {
        typ = W("update") ? stUpdate : W("delete") ? stDelete : stInsert;
        op = typ == stInsert ? odbInsert : typ == stUpdate ? odbUpdate : odbDelete;
        GetSy();
        for (const char* w : {"low_priority", "delayed", "high_priority", "quick", "ignore", "into", "from"}) SkipW(w);
        kind = dboTable;
        name = ReadName();
        SkipToEnd();
    } else if (W("begin") || W("start")) {
        typ = st_Commit;
        name = "BEGIN";
        SkipToEnd();
    } else if (W("commit")) {
        typ = st_Commit;
        op = odbCommit;
        name = "COMMIT";
        SkipToEnd();
    } else if (W("rollback")) {
        GetSy();
        SkipW("work");
        if (!W("to")) {
            typ = st_Commit;
            name = "ROLLBACK";
        }
        SkipToEnd();
    } else {
        // Any other statement (LOCK TABLES, GRANT, RENAME, ANALYZE, ...) goes to the server as
        // written.
        if (W("grant") || W("revoke")) {
            kind = dboGrant;
            op = W("grant") ? odbCreate : odbDrop;
        }
        SkipToEnd();
    }
    // The client also sends the last statement when the file ends without a delimiter, but
    // not one cut off by text that never closes.
    if (Sy != syEOF || (SyBegPos > StBegPos && fMsgMngr->GetErrCount() == errors)) {
        TStatement* st = nullptr;
        DoAddStatement(typ, name, kind, op, "", st);
    }
}

}  // namespace dbtwin
