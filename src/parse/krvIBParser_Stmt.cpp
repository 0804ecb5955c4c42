// The InterBase/Firebird statement reader (TIbParser).
#include <algorithm>
#include <filesystem>
#include <memory>

#include "core/krvStrUtils.h"
#include "model/krvClasses.h"
#include "objects/krvCompColumn.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "parse/krvIBParser.h"

namespace dbtwin {

namespace {

std::string Trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return std::string(s.substr(b, e - b));
}

}  // namespace

TIbParser::TIbParser(TExtractorLink* aExtractor) : TCustomSQLParser(aExtractor) {
    SetDatabaseType(dbInterBase);
    BuildResWords();
}

TIbParser::~TIbParser() = default;

void TIbParser::BuildResWords() { TCustomParser::BuildResWords(); }

// Statements are told apart by their words: no word is reserved to the scanner.
TSymbol TIbParser::FindResWord() const { return syIdent; }

TIBServerOptions* TIbParser::IBOptions() const { return Objs ? &Objs->fIBServerOptions : nullptr; }

std::string TIbParser::DBCharSet() const {
    const TIBServerOptions* o = IBOptions();
    return o ? o->GetDBCharSet() : std::string();
}

// A script starts in the dialect the set's options name (a host sets it for scripts that
// do not say); a script's own SET SQL DIALECT changes it.
int TIbParser::StartDialect(const TCustomObjs* aObjs) {
    return aObjs ? aObjs->fIBServerOptions.GetSQLDialect() : 1;
}

void TIbParser::SetDialect(int aDialect) {
    fDialect = aDialect;
    if (TIBServerOptions* o = IBOptions()) o->SetSQLDialect(static_cast<TIBSQLDialectType>(aDialect));
}

std::string TIbParser::QuoteIdent(const std::string& aIdent) const {
    const TIBServerOptions* o = IBOptions();
    return IBQuoteIdent(aIdent, o ? o->GetSQLServerVersion() : st_Firebird_30, static_cast<TIBSQLDialectType>(fDialect));
}

void TIbParser::ErrMsg(const std::string& aText) {
    const bool atCh = fErrAtCh || Sy == syEOF;
    ErrAt(aText, atCh ? GetPosY() : fSyLine, atCh ? GetPosX() : fSyCol);
}

void TIbParser::ErrAt(const std::string& aText, std::int32_t line, std::int32_t col, const std::string& aFile) {
    const std::string& file = aFile.empty() ? fScriptFileName : aFile;
    if (!fMsgMngr->GetIsErr())
        DoErrorMessage(aText + "\r\nScript: " + file + " Line:" + std::to_string(line) + " Column:" +
                       std::to_string(col) + "\r\n");
    fMsgMngr->AddScriptMsg(aText, file, col, line, mt_Err);
}

void TIbParser::ErrHere(const std::string& aText) {
    fErrAtCh = true;
    ErrMsg(aText);
    fErrAtCh = false;
}

std::string TIbParser::GetScriptInfo() const {
    return "\r\nScript: " + fScriptFileName + " Line:" + std::to_string(fSyLine) +
           " Column:" + std::to_string(fSyCol) + "\r\n";
}

void TIbParser::DoGetSy() {
    fSyLine = Line;
    fSyCol = ChPos - 1;
    fQuoted = false;
    if (CheckTermStr()) return;
    if (ch == '_' && ((CurCh() >= 'A' && CurCh() <= 'Z') || (CurCh() >= 'a' && CurCh() <= 'z'))) {
        // A character-set introducer in front of a string: _UTF8 'text'.
        SyBegPos = chIx;
        GetChar();
        GetIdent();
        Ident = "_" + UpperCase(Ident);
        Sy = ibsym::syCharSetIntro;
        return;
    }
    auto hexValue = [](char32_t c) -> int {
        if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
        if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
        if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
        return -1;
    };
    if ((ch == 'X' || ch == 'x') && CurCh() == '\'') {
        // A binary string: X'0A1B'. StrVal holds the bytes the digits denote.
        SyBegPos = chIx;
        GetChar();
        const std::string digits = GetStr();
        std::string bytes;
        bool good = digits.size() % 2 == 0;
        for (std::size_t i = 0; good && i < digits.size(); i += 2) {
            const int hi = hexValue(static_cast<unsigned char>(digits[i]));
            const int lo = hexValue(static_cast<unsigned char>(digits[i + 1]));
            good = hi >= 0 && lo >= 0;
            bytes += static_cast<char>(hi * 16 + lo);
        }
        if (!good) ErrMsg("Invalid binary string: X'" + digits + "'");
        StrVal = good ? bytes : std::string();
        StrQuoteCh = '\'';
        Sy = syString;
        return;
    }
    if (ch == '0' && (CurCh() == 'x' || CurCh() == 'X') && hexValue(NextCh()) >= 0) {
        // A hexadecimal number: 0x7FFF. IntVal is its value when it fits 64 bits, else 0.
        SyBegPos = chIx;
        GetChar();
        GetChar();
        std::string digits;
        while (!Eof() && hexValue(ch) >= 0) {
            digits += static_cast<char>(ch);
            GetChar();
        }
        StrVal = digits;
        IntVal = 0;
        if (digits.size() <= 16) {
            std::uint64_t v = 0;
            for (char c : digits) v = v * 16 + static_cast<std::uint64_t>(hexValue(static_cast<unsigned char>(c)));
            IntVal = static_cast<std::int64_t>(v);
        }
        Sy = syInteger;
        return;
    }
    if (ch == ':' && CurCh() == '=') {  // named arguments of EXECUTE STATEMENT
        SyBegPos = chIx;
        GetChar();
        GetChar();
        Sy = syIBAssign;
        return;
    }
    if ((ch == '^' || ch == '~' || ch == '!') && (CurCh() == '=' || CurCh() == '<' || CurCh() == '>')) {
        // The servers' other spellings of <>, >= (not less) and <= (not greater).
        SyBegPos = chIx;
        GetChar();
        Sy = ch == '=' ? syNotEqual : ch == '<' ? syGreaterEqual : syLessEqual;
        GetChar();
        return;
    }
    TCustomSQLParser::DoGetSy();
    if (Sy == syString && StrQuoteCh == '"' && fDialect == 3 && !StrVal.empty()) {
        Sy = syIdent;
        Ident = StrVal;
        fQuoted = true;
    }
}

bool TIbParser::W(const char* aWord) const {
    // The first letter decides most tries before the whole word is compared.
    return Sy == syIdent && !fQuoted && !Ident.empty() && Ident[0] == aWord[0] && Ident == aWord;
}

bool TIbParser::SkipW(const char* aWord) {
    if (!W(aWord)) return false;
    GetSy();
    return true;
}

bool TIbParser::WAbbr(const char* aWord, std::size_t aMin) const {
    if (Sy != syIdent || fQuoted || Ident.size() < aMin) return false;
    return std::string_view(aWord).starts_with(Ident);
}

bool TIbParser::NeedW(const char* aWord) {
    if (SkipW(aWord)) return true;
    ErrMsg(std::string("Must be: ") + aWord);
    return false;
}

std::string TIbParser::GetName() {
    if (Sy != syIdent) {
        TestSy(syIdent);
        return std::string();
    }
    std::string n = Ident;
    GetSy();
    return n;
}

void TIbParser::SkipToTerm() {
    SkipStatement(TSymSet{syTerm});
}

void TIbParser::EndStatement() {
    if (Sy == syTerm || Sy == syEOF) return;
    TestSy(syTerm);
    SkipToTerm();
}

void TIbParser::Report(TStatType aTyp, const std::string& aName, TDbObject aKind, TDbOperation aOp,
                       const std::string& aOwner) {
    if (!OnAddStatement) return;
    TStatement* st = nullptr;
    DoAddStatement(aTyp, aName, aKind, aOp, aOwner, st);
}

bool TIbParser::SkipQuotedOrComment() {
    if (ch == '\'' || ch == '"') {
        const char32_t q = ch;
        GetChar();
        while (!Eof()) {
            if (ch == q) {
                if (CurCh() != q) break;
                GetChar();
            }
            GetChar();
        }
        GetChar();
        return true;
    }
    if (ch == '-' && CurCh() == '-') {
        while (!Eof() && ch != '\n') GetChar();
        return true;
    }
    if (ch == '/' && CurCh() == '*') {
        GetChar();
        GetChar();
        while (!Eof() && !(ch == '*' && CurCh() == '/')) GetChar();
        GetChar();
        GetChar();
        return true;
    }
    return false;
}

std::string TIbParser::CaptureParens() {
    if (Sy != syLParent) {
        TestSy(syLParent);
        return std::string();
    }
    const std::int64_t start = SyBegPos;
    const std::int32_t openLine = fSyLine, openCol = fSyCol;
    fLastCapture = {fScriptFileName, fSyLine, fSyCol};
    int depth = 1;
    while (!Eof() && depth > 0) {
        if (SkipQuotedOrComment()) continue;
        if (ch == '(') {
            if (++depth > kMaxNesting) {
                ErrHere("Expression nested too deeply (more than " + std::to_string(kMaxNesting) +
                       " parentheses)");
                SkipToTerm();
                return std::string();
            }
        } else if (ch == ')') {
            --depth;
        }
        GetChar();
    }
    if (depth > 0) {
        // Reported where the unclosed parenthesis opens: the end of the text says nothing.
        fSyLine = openLine;
        fSyCol = openCol;
        ErrMsg("Missing: <)> for the ( opened here");
        GetSy();
        return std::string();
    }
    std::string text = CopyTxt(start, chIx - start);
    GetSy();
    return text;
}

namespace {

bool IsWordCh(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c >= 0x80;
}

}  // namespace

std::string TIbParser::CaptureBody(bool aBlock) {
    const std::int64_t start = SyBegPos;
    fLastCapture = {fScriptFileName, fSyLine, fSyCol};
    if (Sy == syTerm) return std::string();
    // A PSQL body in a script whose terminator is ";" holds ";" itself: it ends at the ";"
    // after the END that closes its outermost BEGIN. A sub-routine declared before that
    // BEGIN ends the same way, so a block closed by END and ";" ends the body only when no
    // DECLARE or BEGIN follows. External bodies have no block.
    aBlock = aBlock && fTermStr == ";" && !W("EXTERNAL");
    int depth = 0;
    bool closed = false;  // a block was closed at depth 0 by the last END
    auto wordAt = [this](std::int64_t aPos, const char* aWord) {
        const std::size_t n = std::char_traits<char>::length(aWord);
        const std::string_view t = TxtView(aPos, static_cast<std::int64_t>(n + 1));
        if (t.size() < n) return false;
        for (std::size_t i = 0; i < n; ++i)
            if (std::toupper(static_cast<unsigned char>(t[i])) != aWord[i]) return false;
        return t.size() == n || !IsWordCh(static_cast<unsigned char>(t[n]));
    };
    // From the character after the current symbol on, raw: the symbol itself may be a
    // string or a word, both already consumed whole.
    if (aBlock && Sy == syIdent && !fQuoted) {
        if (Ident == "BEGIN" || Ident == "CASE") depth = 1;
    }
    bool prevWord = Sy == syIdent && !fQuoted;  // the character before ch belongs to a word
    while (!Eof()) {
        if (SkipQuotedOrComment()) {
            prevWord = false;
            continue;
        }
        if (fTermStrLen > 0 && TxtView(chIx, fTermStrLen) == fTermStr) {
            if (!aBlock || (depth == 0 && closed)) {
                // The next word decides whether the body goes on.
                std::int64_t p = chIx + fTermStrLen;
                const std::string_view rest = TxtView(p, 64);
                std::size_t k = 0;
                while (k < rest.size() && static_cast<unsigned char>(rest[k]) <= ' ') ++k;
                p += static_cast<std::int64_t>(k);
                if (!aBlock || !(wordAt(p, "DECLARE") || wordAt(p, "BEGIN"))) break;
                closed = false;
            }
        }
        if (aBlock && !prevWord && IsWordCh(ch)) {
            if (wordAt(chIx, "BEGIN") || wordAt(chIx, "CASE")) {
                ++depth;
            } else if (wordAt(chIx, "END") && depth > 0) {
                if (--depth == 0) closed = true;
            }
        }
        prevWord = IsWordCh(ch);
        GetChar();
    }
    std::string text = Trimmed(CopyTxt(start, chIx - start));
    GetSy();
    return text;
}

// --- statement loop -------------------------------------------------------------------------

void TIbParser::ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs) {
    fAutoDDL = true;
    Objs = aObjs;
    SetDialect(StartDialect(aObjs));
    TCustomSQLParser::ParseScript(aScript, aObjs);
}

void TIbParser::ParseFile(const std::string& aFileName, TCustomObjs* aObjs) {
    fAutoDDL = true;
    Objs = aObjs;
    if (fInputDepth == 0) {
        SetDialect(StartDialect(aObjs));
        std::error_code ec;
        const std::filesystem::path canon = std::filesystem::weakly_canonical(aFileName, ec);
        fOpenFiles = {ec ? aFileName : canon.string()};
    }
    SetScriptFileName(aFileName);
    try {
        TCustomParser::ParseFile(aFileName, aObjs);
    } catch (const std::exception& e) {
        const std::string text = std::string("Script not load: ") + e.what();
        fMsgMngr->AddScriptMsg(text, aFileName, 0, 0, mt_Err);
        DoErrorMessage(text);
    }
    if (Objs) Objs->fConnectionOptions.Assign(fConnectionOptions);
}

void TIbParser::ParseText() {
    GetSy();
    while (Sy != syEOF && !fStopped) {
        StBegPos = SyBegPos;
        const std::int64_t before = SyBegPos;
        const std::int32_t stLine = fSyLine, stCol = fSyCol;
        StBegLine = stLine;
        StBegCol = stCol;
        const int errors = fMsgMngr->GetErrCount();
        const std::size_t messages = fMsgMngr->Count();
        const std::int64_t reports = ReportCount;
        fEndOptional = false;
        ParseStatement();
        if (StatementsOnly && fMsgMngr->GetErrCount() > errors && ReportCount == reports && Sy == syTerm &&
            SyBegPos > StBegPos) {
            TStatement* st = nullptr;
            DoAddStatement(Trimmed(CopyTxt(StBegPos, SyBegPos - StBegPos)), stStatement, "", dboUnknown, odbUnknown, "",
                           st);
            fMsgMngr->DemoteErrors(messages, mt_Inf);
        }
        // A statement cut off by the end of the text is not run by the client either.
        if (Sy == syEOF && !fEndOptional && fMsgMngr->GetErrCount() == errors)
            ErrAt("Missing: <TERM> (the statement starting here is cut off by the end of the text)", stLine, stCol);
        if (Sy == syTerm) GetSy();
        else if (Sy != syEOF && SyBegPos == before) GetSy();  // never stay on one symbol
    }
}

void TIbParser::ParseStatement() {
    if (Sy == syTerm) return;
    if (Sy != syIdent || fQuoted) {
        ErrMsg("Missing/unknown: DDL-statement: " + ResWordBySymbol(Sy));
        SkipToTerm();
        return;
    }
    fRecreate = fOrAlter = false;
    if (SkipW("SET")) return ParseSet();
    if (W("EXIT") || W("QUIT")) {
        // The client tool ends the session here: what follows is never run.
        fStopped = true;
        GetSy();
        return EndStatement();
    }
    // The client tool's own commands: they change nothing in the database and are not run
    // by an executor. All but SHELL may be abbreviated to their capitals (OUT for OUTPUT).
    if (W("SHOW") || WAbbr("OUTPUT", 3) || W("SHELL") || W("HELP") || W("EDIT") || W("BLOBDUMP") ||
        W("BLOBVIEW") || W("REINSERT")) {
        GetSy();
        return SkipToTerm();
    }
    if (SkipW("DESCRIBE")) return ParseDescribe();
    if (SkipW("CONNECT")) return ParseDatabase(false);
    if (W("CREATE") || W("RECREATE")) return ParseCreate();
    if (SkipW("ALTER")) return ParseAlter();
    if (SkipW("DROP")) return ParseDrop();
    if (W("COMMIT") || W("ROLLBACK")) {
        // Executable: the listener decides what a transaction end means to it.
        const bool commit = W("COMMIT");
        GetSy();
        SkipW("WORK");
        if (Sy == syTerm) Report(st_Commit, commit ? "COMMIT" : "ROLLBACK", dboUnknown, commit ? odbCommit : odbUnknown);
        return EndStatement();
    }
    if (SkipW("GRANT")) return ParseGrant();
    if (SkipW("REVOKE")) {
        SkipToTerm();
        return Report(stStatement, "", dboGrant, odbDrop);
    }
    if (SkipW("COMMENT")) return ParseComment();
    if (SkipW("RECONNECT")) {
        if (Sy == syTerm) Report(stReconnect, "", dboUnknown, odbUnknown);
        return EndStatement();
    }
    if (WAbbr("INPUT", 2)) {
        GetSy();
        return ParseInput();
    }
    if (SkipW("DECLARE")) {
        if (NeedW("EXTERNAL") && NeedW("FUNCTION")) return ParseUdf();
        return SkipToTerm();
    }
    struct Dml { const char* word; TStatType typ; TDbOperation op; };
    for (const Dml& d : {Dml{"INSERT", stInsert, odbInsert}, Dml{"UPDATE", stUpdate, odbUpdate},
                         Dml{"DELETE", stDelete, odbDelete}, Dml{"SELECT", stSelect, odbUnknown},
                         Dml{"WITH", stSelect, odbUnknown}, Dml{"EXECUTE", stExecuteBlock, odbUnknown}}) {
        if (!W(d.word)) continue;
        const bool block = d.typ == stExecuteBlock;
        GetSy();
        if (block && !W("BLOCK")) {
            // EXECUTE PROCEDURE p ... / EXECUTE STATEMENT '...': executable, reported with
            // the procedure they run.
            std::string proc;
            if (SkipW("PROCEDURE")) proc = Ident;
            SkipToTerm();
            return Report(stStatement, proc, proc.empty() ? dboUnknown : dboProcedure, odbUnknown);
        }
        std::string table;
        if (d.typ == stInsert || d.typ == stDelete) SkipW(d.typ == stInsert ? "INTO" : "FROM");
        if (d.typ == stInsert || d.typ == stDelete || d.typ == stUpdate) table = Ident;
        if (block) CaptureBody(true);
        else SkipToTerm();
        return Report(d.typ, table, d.op == odbUnknown ? dboUnknown : dboTable, d.op);
    }
    ErrMsg("Unknown statement: " + Ident);
    SkipToTerm();
}

// --- SET, CONNECT, CREATE DATABASE, INPUT ----------------------------------------------------

void TIbParser::ParseSet() {
    if (WAbbr("TERMINATOR", 4)) {
        // The new terminator is the run of characters after the blanks.
        while (!Eof() && IsBlank(ch)) GetChar();
        const std::int64_t start = chIx;
        const char32_t first = fTermStr.empty() ? 0 : static_cast<unsigned char>(fTermStr[0]);
        while (!Eof() && !IsBlank(ch) && ch != first) GetChar();
        const std::string term = CopyTxt(start, chIx - start);
        if (term.empty()) {
            ErrMsg("Missing: new terminator after SET TERM");
            return SkipToTerm();
        }
        GetSy();
        if (Sy != syTerm) return EndStatement();
        SetTermStr(term);
        return;
    }
    if (SkipW("SQL")) {
        NeedW("DIALECT");
        if (Sy == syEqual) GetSy();
        if (Sy != syInteger || IntVal < 1 || IntVal > 3) {
            ErrMsg("SQL dialect must be 1, 2 or 3");
            return SkipToTerm();
        }
        const std::string n = StrVal;
        SetDialect(static_cast<int>(IntVal));
        GetSy();
        if (Sy == syTerm) Report(stSqlDialect, n, dboUnknown, odbSet);
        return EndStatement();
    }
    if (WAbbr("AUTODDL", 4)) {
        GetSy();
        if (W("ON") || W("OFF")) {
            fAutoDDL = W("ON");
            GetSy();
        } else {
            ErrMsg("Missing: ON/OFF in \"SET AUTODDL...\"");
        }
        if (Sy == syTerm) Report(stSet, "", dboUnknown, odbSet);
        return EndStatement();
    }
    if (SkipW("NAMES")) {
        const std::string cs = UpperCase(GetName());
        if (TIBServerOptions* o = IBOptions(); o && !cs.empty()) o->SetDBCharSet(cs);
        if (Sy == syTerm) Report(stSetNames, cs, dboUnknown, odbSet);
        return EndStatement();
    }
    if (SkipW("GENERATOR")) {
        const std::string name = GetName();
        NeedW("TO");
        const std::string value = GetIntConst();
        if (TGnrData* g = Objs ? Objs->Gnr.Find(name) : nullptr) {
            // The object keeps a 32-bit current value (it is never scripted); a value beyond
            // that is kept as the nearest one, with a warning.
            const std::int64_t v = IntVal;
            g->Value = static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
            if (g->Value != v) WrnMsg("Generator " + name + ": value " + value + " kept as " + std::to_string(g->Value));
        }
        GetSy();
        if (Sy == syTerm) Report(stStatement, name, dboGenerator, odbAlter);
        return EndStatement();
    }
    if (SkipW("BLOBFILE")) {
        // The file the blob parameters of the data statements that follow point into.
        std::string file;
        if (TestSy(syString)) {
            file = StrVal;
            GetSy();
        }
        if (Sy == syTerm) Report(stSetBlobFile, file, dboUnknown, odbSet);
        return EndStatement();
    }
    if (SkipW("STATISTICS")) {
        NeedW("INDEX");
        const std::string name = GetName();
        if (Sy == syTerm) Report(stStatement, name, dboIndex, odbSet);
        return EndStatement();
    }
    // The client tool's display options (LIST, COUNT, STATS, PLAN, ECHO, HEADING, BAIL,
    // WARNINGS, TIME, ...) and the session statements (TRANSACTION, ROLE): an executor takes
    // them as settings and does not send them.
    SkipToTerm();
    Report(stSet, "", dboUnknown, odbSet);
}

void TIbParser::ParseDatabase(bool aCreate) {
    if (!aCreate) SkipW("DATABASE");
    if (Sy != syString) {
        TestSy(syString);
        return SkipToTerm();
    }
    fConnectionOptions.SetDatabaseName(StrVal);
    fStatementPassword.clear();
    DoLogNextLine("Database connect: " + StrVal);
    // The statement text reported leaves the password out: scripts never carry one.
    std::int64_t pwdFrom = 0, pwdTo = 0;
    GetSy();
    while (Sy != syTerm && Sy != syEOF) {
        if (SkipW("PAGE_SIZE")) {
            if (Sy == syEqual) GetSy();
            if (TestSy(syInteger)) {
                if (TIBServerOptions* o = IBOptions())
                    o->GetIBDatabaseOptions().SetPageSize(static_cast<std::int32_t>(IntVal));
                GetSy();
            }
        } else if (SkipW("DEFAULT")) {
            NeedW("CHARACTER");
            NeedW("SET");
            const std::string cs = UpperCase(GetName());
            if (TIBServerOptions* o = IBOptions(); o && !cs.empty()) o->SetDBCharSet(cs);
            if (SkipW("COLLATION")) GetName();
        } else if (SkipW("USER")) {
            if (TestSy(syString)) {
                fConnectionOptions.SetUserName(StrVal);
                GetSy();
            }
        } else if (W("PASSWORD")) {
            pwdFrom = SyBegPos;
            GetSy();
            if (TestSy(syString)) {
                fStatementPassword = StrVal;
                GetSy();
            }
            pwdTo = SyBegPos;
        } else if (SkipW("ROLE")) {
            if (Sy == syIdent || TestSy(syString)) {
                fConnectionOptions.SetRoleName(Sy == syString ? StrVal : Ident);
                GetSy();
            }
        } else if (SkipW("LENGTH") || SkipW("PAGES")) {
            if (Sy == syEqual) GetSy();
            if (Sy == syInteger) GetSy();
            SkipW("PAGES");
        } else {
            ErrMsg("Unknown token in DB-declaration.");
            return SkipToTerm();
        }
    }
    if (Sy != syTerm) return;
    std::string text = CopyTxt(StBegPos, SyBegPos - StBegPos);
    if (pwdTo > pwdFrom)
        text = CopyTxt(StBegPos, pwdFrom - StBegPos) + CopyTxt(pwdTo, SyBegPos - pwdTo);
    if (OnAddStatement) {
        TStatement* st = nullptr;
        DoAddStatement(TrimSQLText(text), aCreate ? stCreateDb : stConnect, fConnectionOptions.GetDatabaseName(),
                       dboUnknown, odbSet, "", st);
    }
    fStatementPassword.clear();
    if (Objs) Objs->fConnectionOptions.Assign(fConnectionOptions);
}

void TIbParser::ParseInput() {
    // The file name is a string, or written bare up to the terminator as the client tool
    // also takes it.
    if (Sy == syString) {
        ParseInputFile(StrVal);
        GetSy();
    } else if (Sy != syTerm && Sy != syEOF) {
        const std::int64_t from = SyBegPos;
        while (Sy != syTerm && Sy != syEOF) GetSy();
        ParseInputFile(Trimmed(CopyTxt(from, SyBegPos - from)));
    } else {
        TestSy(syString);
        return SkipToTerm();
    }
    fEndOptional = true;  // INPUT 'file' needs no terminator
    EndStatement();
}

void TIbParser::ParseInputFile(const std::string& aName) {
    namespace fs = std::filesystem;
    fs::path file(aName);
    if (file.is_relative() && !GetScriptFileName().empty())
        file = fs::path(GetScriptFileName()).parent_path() / file;
    std::error_code ec;
    const fs::path canon = fs::weakly_canonical(file, ec);
    const std::string key = (ec ? file : canon).string();
    if (fOpenFiles.contains(key)) return ErrMsg("INPUT of a file already being read: " + file.string());
    if (fInputDepth + 1 > kMaxInputDepth)
        return ErrMsg("INPUT nested more than " + std::to_string(kMaxInputDepth) + " files deep: " + file.string());
    if (!fs::exists(file, ec)) return ErrMsg("INPUT file not found: " + file.string());
    // Only a regular file is read: a device, pipe or folder may never end (/dev/zero) or
    // block for ever (a pipe without a writer).
    if (!fs::is_regular_file(file, ec))
        return ErrMsg("INPUT of something that is not a regular file: " + file.string());
    // A file the file system calls empty has no statements and is not read: the kernel's
    // pseudo files (/proc) say so and may block or never end when read (/proc/kmsg).
    if (fs::file_size(file, ec) == 0 && !ec) return;
    TIbParser child(fExtractor);
    child.OnErrorMessage = OnErrorMessage;
    child.OnLogNextLine = OnLogNextLine;
    child.OnDebugMessage = OnDebugMessage;
    child.OnAddStatement = OnAddStatement;
    child.SetUpdateProgress(false);
    child.fInputDepth = fInputDepth + 1;
    child.fOpenFiles = fOpenFiles;
    child.fOpenFiles.insert(key);
    child.fDialect = fDialect;
    child.StatementsOnly = StatementsOnly;
    child.ParseFile(file.string(), Objs);
    fMsgMngr->CopyFrom(&child.GetMsgMngr());
    fDialect = child.fDialect;
    fStopped = fStopped || child.fStopped;
}

// --- CREATE / ALTER / DROP dispatch -------------------------------------------------------------

void TIbParser::ParseCreate() {
    const bool recreate = W("RECREATE");
    fRecreate = recreate;
    GetSy();
    bool orAlter = false;
    if (!recreate && W("OR")) {
        GetSy();
        NeedW("ALTER");
        orAlter = true;
    }
    fOrAlter = orAlter;
    if (SkipW("DATABASE") || SkipW("SCHEMA")) return ParseDatabase(true);
    if (SkipW("TABLE")) return ParseTable(false);
    if (SkipW("GLOBAL")) {
        if (!SkipW("TEMPORARY")) {
            ErrMsg("TEMPORARY expected, but " + Ident + " found.");
            return SkipToTerm();
        }
        NeedW("TABLE");
        return ParseTable(true);
    }
    if (W("UNIQUE") || W("ASC") || W("ASCENDING") || W("DESC") || W("DESCENDING") || W("INDEX"))
        return ParseIndex();
    if (SkipW("PROCEDURE")) return ParseRoutine(false, orAlter);
    if (SkipW("FUNCTION")) return ParseRoutine(true, orAlter);
    if (SkipW("TRIGGER")) return ParseTrigger(orAlter);
    if (SkipW("VIEW")) return ParseView(orAlter);
    if (SkipW("PACKAGE")) return ParsePackage();
    if (SkipW("ROLE")) return ParseRole();
    if (SkipW("GENERATOR") || SkipW("SEQUENCE")) return ParseGenerator(false);
    if (SkipW("DOMAIN")) return ParseDomain();
    if (SkipW("EXCEPTION")) return ParseException();
    if (SkipW("COLLATION")) return ParseCollation();
    ErrMsg(orAlter ? "Unknown ALTER-statement" : "Unknown CREATE-statement");
    SkipToTerm();
}

void TIbParser::ParseAlter() {
    if (SkipW("TABLE")) return ParseAlterTable();
    if (SkipW("PROCEDURE")) return ParseRoutine(false, true);
    if (SkipW("FUNCTION")) return ParseRoutine(true, true);
    if (SkipW("TRIGGER")) return ParseTrigger(true);
    if (SkipW("VIEW")) return ParseView(true);
    if (SkipW("PACKAGE")) return ParsePackage();
    if (SkipW("EXCEPTION")) return ParseException();
    if (SkipW("DOMAIN")) return ParseAlterDomain();
    if (SkipW("SEQUENCE") || SkipW("GENERATOR")) return ParseGenerator(true);
    if (SkipW("INDEX")) {
        const std::string name = GetName();
        TIdxData* x = Objs ? Objs->Idx.Find(name) : nullptr;
        if (W("ACTIVE") || W("INACTIVE")) {
            if (x) x->Active = W("ACTIVE");
            GetSy();
        } else {
            ErrMsg("Must be: ACTIVE / INACTIVE");
        }
        // Executable: an executor loading the script must switch the index too.
        if (Sy == syTerm) Report(stStatement, name, dboIndex, odbAlter);
        return EndStatement();
    }
    if (SkipW("EXTERNAL")) {
        // ALTER EXTERNAL FUNCTION f [ENTRY_POINT 'e'] [MODULE_NAME 'm'].
        NeedW("FUNCTION");
        const std::string name = GetName();
        TUdfData* u = Objs ? Objs->Udf.Find(name) : nullptr;
        for (;;) {
            std::string* into = nullptr;
            if (SkipW("ENTRY_POINT")) into = u ? &u->EntryPoint : nullptr;
            else if (SkipW("MODULE_NAME")) into = u ? &u->ModuleName : nullptr;
            else break;
            if (!TestSy(syString)) break;
            if (into) *into = StrVal;
            GetSy();
        }
        if (Sy == syTerm) Report(stStatement, name, dboFunction, odbAlter);
        return EndStatement();
    }
    if (SkipW("CHARACTER")) {
        // ALTER CHARACTER SET cs SET DEFAULT COLLATION c: the set keeps no character sets;
        // the statement is run as written.
        NeedW("SET");
        const std::string name = GetName();
        SkipToTerm();
        return Report(stStatement, name, dboUnknown, odbAlter);
    }
    ErrMsg("Unknown ALTER statement.");
    SkipToTerm();
}

namespace {

// Takes an object out of its list and frees it, with its links.
template <class T>
void RemoveObj(TCustomObjs* aObjs, TKeyedList<T>& aList, T* aObj) {
    if (!aObj) return;
    const int i = aList.IndexOfObject(aObj);
    if (i < 0) return;
    aObjs->RemoveDepend(aObj);
    aList.Delete(static_cast<std::size_t>(i));
}

}  // namespace

void TIbParser::DropObject(TDbObject aKind, const std::string& aName, bool aPackageBody, const std::string& aOwner) {
    if (!Objs) return;
    TCustomObjs& o = *Objs;
    // The privileges on a dropped object go with it.
    auto dropGrants = [this, &o, &aName](TDbObject aOn, TDbObject aOr) {
        std::vector<TGntData*> gnts;
        for (TGntData* g : o.Gnt)
            if (g->GntObjName == aName && (g->GntObjType == aOn || g->GntObjType == aOr)) gnts.push_back(g);
        for (TGntData* g : gnts) RemoveObj(Objs, o.Gnt, g);
    };
    switch (aKind) {
        case dboDomain: RemoveObj(Objs, o.Dmn, o.Dmn.Find(aName)); break;
        case dboException:
            dropGrants(dboException, dboException);
            RemoveObj(Objs, o.Exc, o.Exc.Find(aName));
            break;
        case dboIndex: RemoveObj(Objs, o.Idx, o.Idx.Find(aName)); break;
        case dboProcedure:
            // Functions written in the procedural language are kept with the procedures.
            dropGrants(dboProcedure, dboFunction);
            RemoveObj(Objs, o.Prc, o.Prc.Find(aName));
            break;
        case dboFunction:
            dropGrants(dboFunction, dboFunction);
            RemoveObj(Objs, o.Udf, o.Udf.Find(aName));
            break;
        case dboRole: RemoveObj(Objs, o.Rol, o.Rol.Find("Role: " + aName)); break;
        case dboTrigger: RemoveObj(Objs, o.Trg, o.Trg.Find(aName)); break;
        case dboGenerator:
            dropGrants(dboGenerator, dboGenerator);
            RemoveObj(Objs, o.Gnr, o.Gnr.Find(aName));
            break;
        case dboPackage:
            if (TPkgData* k = o.Pkg.Find(aName)) {
                if (aPackageBody) {
                    k->SetBody("");
                } else {
                    dropGrants(dboPackage, dboPackage);
                    RemoveObj(Objs, o.Pkg, k);
                }
            }
            break;
        case dboTable:
        case dboView: {
            // What the server drops with a table or view: its keys, checks, indices,
            // triggers and the privileges on it.
            std::vector<TCtrData*> ctrs;
            for (TCtrData* c : o.Ctr)
                if (c->fTblName == aName) ctrs.push_back(c);
            for (TCtrData* c : ctrs) RemoveObj(Objs, o.Ctr, c);
            std::vector<TIdxData*> idxs;
            for (TIdxData* x : o.Idx)
                if (x->TblName == aName) idxs.push_back(x);
            for (TIdxData* x : idxs) RemoveObj(Objs, o.Idx, x);
            std::vector<TTrgData*> trgs;
            for (TTrgData* t : o.Trg)
                if (t->fOwnName == aName) trgs.push_back(t);
            for (TTrgData* t : trgs) RemoveObj(Objs, o.Trg, t);
            std::vector<TGntData*> gnts;
            for (TGntData* g : o.Gnt)
                if (g->GntObjName == aName && (g->GntObjType == dboTable || g->GntObjType == dboView))
                    gnts.push_back(g);
            for (TGntData* g : gnts) RemoveObj(Objs, o.Gnt, g);
            if (aKind == dboTable) RemoveObj(Objs, o.Tbl, o.Tbl.Find(aName));
            else RemoveObj(Objs, o.Viw, o.Viw.Find(aName));
            break;
        }
        case dboConstraint: RemoveObj(Objs, o.Ctr, o.Ctr.Find(aName)); break;
        case dboCollation: RemoveObj(Objs, o.Clt, o.Clt.Find(aName)); break;
        case dboField:
            if (TTblData* t = o.Tbl.Find(aOwner)) {
                // The server drops the keys and checks on the column alone with it, and
                // refuses the drop while an index or a key of several columns uses it.
                std::vector<TCtrData*> ctrs;
                std::string usedBy;
                for (TCtrData* c : o.Ctr)
                    if (c->fTblName == aOwner && c->Flds.Find(aName)) {
                        if (c->Flds.Count() == 1) ctrs.push_back(c);
                        else usedBy = "constraint " + c->fObjName;
                    }
                for (TIdxData* x : o.Idx)
                    if (x->TblName == aOwner && x->Flds.Find(aName)) usedBy = "index " + x->fObjName;
                if (!usedBy.empty()) {
                    WrnMsg("Column " + aOwner + "." + aName + " is used by " + usedBy + ": the server keeps it");
                    break;
                }
                for (TCtrData* c : ctrs) RemoveObj(Objs, o.Ctr, c);
                RemoveObj(Objs, t->Flds, t->FindFld(aName));
                std::int32_t pos = 0;
                for (TFldData* f : t->Flds) f->Position = pos++;
            }
            break;
        default: break;
    }
}

void TIbParser::ParseDrop() {
    struct Kind { const char* word; TDbObject kind; };
    static const Kind kinds[] = {{"DOMAIN", dboDomain},   {"EXCEPTION", dboException}, {"INDEX", dboIndex},
                                 {"PROCEDURE", dboProcedure}, {"FUNCTION", dboProcedure}, {"ROLE", dboRole},
                                 {"TABLE", dboTable},     {"TRIGGER", dboTrigger},     {"VIEW", dboView},
                                 {"GENERATOR", dboGenerator}, {"SEQUENCE", dboGenerator}, {"PACKAGE", dboPackage},
                                 {"COLLATION", dboCollation}};
    if (SkipW("EXTERNAL")) {
        NeedW("FUNCTION");
        const std::string name = GetName();
        if (Sy == syTerm) {
            Report(stStatement, name, dboFunction, odbDrop);
            DropObject(dboFunction, name, false);
        }
        return EndStatement();
    }
    for (const Kind& k : kinds) {
        if (!SkipW(k.word)) continue;
        const bool body = k.kind == dboPackage && SkipW("BODY");
        const std::string name = GetName();
        if (Sy == syTerm) {
            // The object leaves the set: what a script drops is not there after it.
            Report(stStatement, name, k.kind, odbDrop);
            DropObject(k.kind, name, body);
        }
        return EndStatement();
    }
    ErrMsg("Unknown DROP statement");
    SkipToTerm();
}

}  // namespace dbtwin
