// The PSQL and DML body reader of the InterBase/Firebird parser (TIbExParser).
#include "parse/krvIBExParser.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/krvStrUtils.h"
#include "model/krvClasses.h"
#include "objects/krvCompColumn.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

namespace {

// Thrown after a body error has been recorded: the rest of that body is not read.
struct TBodyAbort {};

bool OneOf(std::string_view aWord, std::initializer_list<std::string_view> aWords) {
    return std::find(aWords.begin(), aWords.end(), aWord) != aWords.end();
}

bool IsDatePart(std::string_view aWord) {
    return OneOf(aWord, {"YEAR", "MONTH", "WEEK", "DAY", "WEEKDAY", "YEARDAY", "HOUR", "MINUTE", "SECOND",
                         "MILLISECOND", "TIMEZONE_HOUR", "TIMEZONE_MINUTE", "QUARTER"});
}

// Words that end a select item, a FROM item or an expression list where an alias could
// otherwise stand.
bool IsClauseWord(std::string_view aWord) {
    return OneOf(aWord, {"FROM",   "INTO",      "WHERE",   "GROUP",   "HAVING",   "ORDER",  "UNION",
                         "PLAN",   "ROWS",      "FOR",     "WITH",    "OFFSET",   "FETCH",  "WINDOW",
                         "DO",     "ON",        "JOIN",    "INNER",   "LEFT",     "RIGHT",  "FULL",
                         "CROSS",  "NATURAL",   "USING",   "RETURNING", "MATCHING", "WHEN", "THEN",
                         "ELSE",   "END",       "AND",     "OR",      "SET",      "VALUES", "SELECT",
                         "DEFAULT", "LATERAL",  "SKIP",    "AS"});
}

// Context variables and value words that read as a plain name but never name a column.
bool IsContextWord(std::string_view aWord) {
    return OneOf(aWord, {"CURRENT_USER", "CURRENT_ROLE", "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP",
                         "LOCALTIME", "LOCALTIMESTAMP", "CURRENT_CONNECTION", "CURRENT_TRANSACTION",
                         "INSERTING", "UPDATING", "DELETING", "ROW_COUNT", "SQLCODE", "GDSCODE", "SQLSTATE",
                         "USER", "NULL", "TRUE", "FALSE", "UNKNOWN", "DEFAULT", "RESETTING"});
}

}  // namespace

// The reading of one body. References to columns are collected per query and resolved
// when the query's FROM list is complete (the scope closes); what a query's sources do not
// have goes to the enclosing query.
struct TIbExParser::TImpl {
    explicit TImpl(TIbExParser& aParser) : p(aParser) {}

    struct TRef {
        std::string Qualifier, Name;
    };
    struct TSource {
        std::string Name, Alias;
        TDbObj* Obj = nullptr;           // table, view or procedure; null for derived tables
        bool Derived = false;            // a derived table or common table expression
        std::vector<std::string> Cols;   // output names of a derived table, when known
    };
    struct TScope {
        std::vector<TSource> Sources;
        std::vector<TRef> Refs;
    };

    TIbExParser& p;
    TDbObj* obj = nullptr;            // the object the links go to
    TDbObj* trgTable = nullptr;       // a table trigger's table or view (NEW/OLD)
    TDbObj* ctxTable = nullptr;       // a check constraint's table (NEW/OLD)
    TDbObj* dmlTarget = nullptr;      // the DML target while its RETURNING list is read
    TDbObj* computedTable = nullptr;  // a computed column's table (its functions link it too)
    std::string computedField;
    bool domain = false;              // VALUE stands for the domain's value
    int depth = 0;
    std::vector<TScope> scopes;
    std::vector<std::string> ctes;    // common table expressions in force
    std::string lastRefName;          // name of the last column reference read
    int factors = 0;                  // factors read so far (to spot a one-name select item)

    // --- symbols ---------------------------------------------------------------------------
    TSymbol Sy() const { return p.Sy; }
    bool W(const char* aWord) const { return p.W(aWord); }
    bool SkipW(const char* aWord) { return p.SkipW(aWord); }
    void Next() { p.GetSy(); }
    bool SkipSy(TSymbol aSy) {
        if (p.Sy != aSy) return false;
        Next();
        return true;
    }
    [[noreturn]] void Fail(const std::string& aText) {
        p.ErrMsg(aText);
        throw TBodyAbort{};
    }
    void Need(TSymbol aSy) {
        if (p.Sy != aSy) {
            p.TestSy(aSy);
            throw TBodyAbort{};
        }
        Next();
    }
    void NeedW(const char* aWord) {
        if (!SkipW(aWord)) Fail(std::string("Must be: ") + aWord);
    }
    std::string Display() const {
        if (p.Sy == syEOF) return "<EOF>";
        if (p.Sy == syIdent) return p.Ident;
        return std::string(p.TxtView(p.SyBegPos, std::max<std::int64_t>(1, p.chIx - p.SyBegPos)));
    }
    std::pair<std::int32_t, std::int32_t> Here() const { return {p.fSyLine, p.fSyCol}; }
    std::string Name() {
        if (p.Sy != syIdent) Fail("Missing: <identifier> (" + Display() + " found)");
        std::string n = p.Ident;
        Next();
        return n;
    }
    bool Plain() const { return p.Sy == syIdent && !p.fQuoted; }
    // An alias may stand here: a name that is not a clause word.
    bool AliasHere() const { return p.Sy == syIdent && (p.fQuoted || !IsClauseWord(p.Ident)); }
    void SkipSemicolon() { SkipSy(sySemicolon); }

    struct TDepth {
        explicit TDepth(TImpl& aImpl) : m(aImpl) {
            if (++m.depth > kMaxBodyNesting)
                m.Fail("Body nested too deeply (more than " + std::to_string(kMaxBodyNesting) + " levels)");
        }
        ~TDepth() { --m.depth; }
        TImpl& m;
    };

    // --- links -----------------------------------------------------------------------------
    TCustomObjs* Objs() const { return p.Objs; }
    bool IsLocal(const std::string& aName) const {
        for (const std::string& v : p.LocalVariables)
            if (SameText(v, aName)) return true;
        return false;
    }
    TDbObj* FindSource(const std::string& aName) const {
        if (!Objs()) return nullptr;
        if (TDbObj* o = Objs()->Tbl.Find(aName)) return o;
        if (TDbObj* o = Objs()->Viw.Find(aName)) return o;
        if (TPrcData* o = Objs()->Prc.Find(aName); o && !o->Func) return o;
        return nullptr;
    }
    void Link(TDbObj* aUsed, const std::string& aField = std::string()) {
        if (aUsed && aUsed != obj) p.LinkDepend(obj, aUsed, aField);
    }
    void LinkByName(const std::string& aName, TDbObjectSet aKinds) { p.LinkDepend(obj, aName, aKinds); }
    void LinkGenerator(const std::string& aName) { LinkByName(aName, TDbObjectSet{dboGenerator}); }
    // A routine called by name: a stored function or an external function.
    void LinkFunction(const std::string& aName) {
        if (!Objs()) return;
        TDbObj* used = nullptr;
        if (TPrcData* f = Objs()->Prc.Find(aName); f && f->Func) used = f;
        else if (TUdfData* u = Objs()->Udf.Find(aName)) used = u;
        if (!used) return;
        Link(used);
        if (computedTable && used->ListKind() == olUdf)
            p.LinkDepend(computedTable, used, computedField);
    }
    void LinkPackage(const std::string& aName) {
        if (Objs())
            if (TPkgData* k = Objs()->Pkg.Find(aName)) Link(k);
    }
    static bool HasColumn(const TDbObj* aSource, const std::string& aName) {
        if (const auto* t = dynamic_cast<const TTblData*>(aSource)) return t->FindFld(aName) != nullptr;
        if (const auto* v = dynamic_cast<const TViwData*>(aSource)) return v->FindFld(aName) != nullptr;
        if (const auto* r = dynamic_cast<const TPrcData*>(aSource))
            return r->Returns.Find(aName) != nullptr || r->Params.Find(aName) != nullptr;
        return false;
    }
    // A view written without a column list: its columns are not known here.
    static bool ColumnsUnknown(const TDbObj* aSource) {
        const auto* v = dynamic_cast<const TViwData*>(aSource);
        return v && v->Flds.Count() == 0;
    }

    void AddRef(const std::string& aQualifier, const std::string& aName) {
        if (scopes.empty()) {
            // Outside any query: a variable, or (as the servers of old read it) a generator.
            if (aQualifier.empty() && aName != "*" && !IsLocal(aName)) LinkGenerator(aName);
            return;
        }
        scopes.back().Refs.push_back({aQualifier, aName});
    }
    // NEW.col / OLD.col; aLine and aColumn are where NEW or OLD stands.
    void ContextVar(const std::string& aField, std::int32_t aLine, std::int32_t aColumn) {
        if (dmlTarget) return Link(dmlTarget, aField);
        if (trgTable) return Link(trgTable, aField);
        if (ctxTable) return Link(ctxTable, aField);
        p.fSyLine = aLine;
        p.fSyCol = aColumn;
        Fail("NEW./OLD. context variable is not into trigger body.");
    }

    // Resolves a reference against one scope's sources; true when the scope answers it.
    bool Resolve(const TScope& aScope, const TRef& aRef) {
        if (!aRef.Qualifier.empty()) {
            for (const TSource& s : aScope.Sources) {
                if (!(s.Alias == aRef.Qualifier || (s.Alias.empty() && s.Name == aRef.Qualifier))) continue;
                if (s.Obj) {
                    if (aRef.Name != "*" && (HasColumn(s.Obj, aRef.Name) || ColumnsUnknown(s.Obj)))
                        Link(s.Obj, aRef.Name);
                    else
                        Link(s.Obj);
                }
                return true;
            }
            return false;
        }
        if (aRef.Name == "*") {
            for (const TSource& s : aScope.Sources) Link(s.Obj);
            return true;
        }
        for (const TSource& s : aScope.Sources) {
            if (s.Obj && HasColumn(s.Obj, aRef.Name)) {
                Link(s.Obj, aRef.Name);
                return true;
            }
            if (s.Derived && std::find(s.Cols.begin(), s.Cols.end(), aRef.Name) != s.Cols.end()) return true;
        }
        // One source whose columns are not known takes the name.
        const TSource* unknown = nullptr;
        int count = 0;
        for (const TSource& s : aScope.Sources)
            if ((s.Obj && ColumnsUnknown(s.Obj)) || (s.Derived && s.Cols.empty())) {
                unknown = &s;
                ++count;
            }
        if (count == 1 && !IsLocal(aRef.Name)) {
            if (unknown->Obj) Link(unknown->Obj, aRef.Name);
            return true;
        }
        return false;
    }
    void PushScope() { scopes.emplace_back(); }
    void PopScope() {
        TScope scope = std::move(scopes.back());
        scopes.pop_back();
        for (const TRef& r : scope.Refs)
            if (!Resolve(scope, r) && !scopes.empty()) scopes.back().Refs.push_back(r);
    }
    TSource& AddSource(const std::string& aName, const std::string& aAlias, TDbObj* aObj) {
        TSource s;
        s.Name = aName;
        s.Alias = aAlias;
        s.Obj = aObj;
        scopes.back().Sources.push_back(std::move(s));
        return scopes.back().Sources.back();
    }

    // --- types and declarations ------------------------------------------------------------
    // A data type as written for a variable, parameter or CAST: a domain or TYPE OF links;
    // the rest is skipped up to a "," ")" ";" "=" DEFAULT or AS at parenthesis depth 0.
    void Type() {
        if (SkipW("TYPE")) {
            NeedW("OF");
            if (SkipW("COLUMN")) {
                const std::string t = Name();
                Need(syPoint);
                const std::string c = Name();
                Link(FindSource(t), c);
            } else {
                LinkByName(Name(), TDbObjectSet{dboDomain});
            }
        } else if (p.Sy == syIdent && Objs() && Objs()->Dmn.Find(p.Ident)) {
            LinkByName(p.Ident, TDbObjectSet{dboDomain});
            Next();
        }
        int level = 0;
        for (;;) {
            if (p.Sy == syEOF) return;
            if (level == 0 && (p.Sy == syComma || p.Sy == syRParent || p.Sy == sySemicolon || p.Sy == syEqual ||
                               W("DEFAULT") || W("AS") || W("DETERMINISTIC") || W("EXTERNAL")))
                return;
            if (p.Sy == syLParent) ++level;
            if (p.Sy == syRParent) --level;
            Next();
        }
    }
    void TypeAndDefault() {
        Type();
        if (SkipSy(syEqual) || SkipW("DEFAULT")) Expr();
    }
    // A parameter list "(" name type [= default] {, ...} ")"; the names become variables.
    void Params() {
        if (!SkipSy(syLParent)) return;
        if (SkipSy(syRParent)) return;
        for (;;) {
            p.LocalVariables.push_back(Name());
            TypeAndDefault();
            if (!SkipSy(syComma)) break;
        }
        Need(syRParent);
    }
    // PROCEDURE|FUNCTION name (params) [RETURNS ...] then AS declarations block, an EXTERNAL
    // clause, or ";" for a forward declaration.
    void Routine() {
        const bool func = W("FUNCTION");
        Next();
        Name();
        Params();
        if (SkipW("RETURNS")) {
            if (!func) Params();
            else TypeAndDefault();
        }
        SkipW("DETERMINISTIC");
        if (SkipSy(sySemicolon)) return;  // forward declaration
        if (W("EXTERNAL")) return SkipToSemicolon();
        if (SkipW("SQL")) {
            NeedW("SECURITY");
            Next();
        }
        NeedW("AS");
        Declarations();
        Block();
        SkipSemicolon();
    }
    void SkipToSemicolon() {
        while (p.Sy != sySemicolon && p.Sy != syEOF) Next();
        SkipSemicolon();
    }
    void Declarations() {
        while (W("DECLARE")) {
            TDepth d(*this);
            Next();
            if (W("PROCEDURE") || W("FUNCTION")) {
                Routine();
                continue;
            }
            SkipW("VARIABLE");
            p.LocalVariables.push_back(Name());
            SkipW("NO");
            SkipW("SCROLL");
            if (SkipW("CURSOR")) {
                NeedW("FOR");
                Need(syLParent);
                Query();
                Need(syRParent);
            } else {
                TypeAndDefault();
            }
            SkipSemicolon();
        }
    }

    // --- statements ------------------------------------------------------------------------
    void Block() {
        TDepth d(*this);
        NeedW("BEGIN");
        while (!W("END")) {
            if (p.Sy == syEOF) Fail("Missing: END");
            Statement();
        }
        Next();
    }
    // Targets of INTO, RETURNING_VALUES and FETCH: variables, or NEW.col in a trigger.
    void Targets() {
        for (;;) {
            SkipSy(syColon);
            const bool quoted = p.fQuoted;
            const auto [line, column] = Here();
            const std::string n = Name();
            if (SkipSy(syPoint)) {
                const std::string f = Name();
                if (!quoted && (n == "NEW" || n == "OLD")) ContextVar(f, line, column);
            }
            if (!SkipSy(syComma)) break;
        }
    }
    void Statement() {
        TDepth d(*this);
        if (SkipSy(sySemicolon)) return;
        if (p.Sy == syColon) {
            Next();
            return Assignment();
        }
        if (p.Sy != syIdent) Fail("Invalid statement (? assignment)");
        if (p.fQuoted) return Assignment();
        const std::string w = p.Ident;
        if (w == "BEGIN") {
            Block();
        } else if (w == "IF") {
            // ELSE IF chains are read in a loop: a long chain is not deep nesting.
            do {
                Next();
                Expr();
                NeedW("THEN");
                Statement();
                if (!SkipW("ELSE")) return;
            } while (W("IF"));
            return Statement();
        } else if (w == "WHILE") {
            Next();
            Expr();
            NeedW("DO");
            return Statement();
        } else if (w == "FOR") {
            Next();
            if (W("SELECT") || W("WITH")) {
                Query();
            } else if (SkipW("EXECUTE")) {
                NeedW("STATEMENT");
                ExecStatement();
            } else {
                Fail("Must be: SELECT / EXECUTE / WITH");
            }
            if (SkipW("AS")) {
                NeedW("CURSOR");
                Name();
            }
            NeedW("DO");
            return Statement();
        } else if (w == "SELECT" || w == "WITH") {
            Query();
        } else if (w == "INSERT") {
            Next();
            Insert();
        } else if (w == "UPDATE") {
            Next();
            if (SkipW("OR")) {
                NeedW("INSERT");
                Insert();
            } else {
                Update();
            }
        } else if (w == "DELETE") {
            Next();
            Delete();
        } else if (w == "MERGE") {
            Next();
            Merge();
        } else if (w == "EXECUTE") {
            Next();
            if (SkipW("PROCEDURE")) ExecProcedure();
            else if (SkipW("STATEMENT")) ExecStatement();
            else Fail("Must be: PROCEDURE / STATEMENT");
        } else if (w == "EXCEPTION") {
            Next();
            if (p.Sy == syIdent) {
                LinkByName(Name(), TDbObjectSet{dboException});
                if (SkipW("USING")) {
                    Need(syLParent);
                    ExprList();
                    Need(syRParent);
                } else if (p.Sy != sySemicolon && p.Sy != syEOF && !W("END")) {
                    Expr();
                }
            }
        } else if (w == "WHEN") {
            Next();
            for (;;) {
                if (SkipW("ANY")) {
                } else if (SkipW("EXCEPTION")) {
                    LinkByName(Name(), TDbObjectSet{dboException});
                } else if (SkipW("SQLCODE")) {
                    SkipSy(syMinus);
                    Need(syInteger);
                } else if (SkipW("GDSCODE")) {
                    Name();
                } else if (SkipW("SQLSTATE")) {
                    Need(syString);
                } else {
                    Fail("Must be: ANY / EXCEPTION / SQLCODE / GDSCODE / SQLSTATE");
                }
                if (!SkipSy(syComma)) break;
            }
            NeedW("DO");
            return Statement();
        } else if (w == "POST_EVENT" || w == "RETURN") {
            Next();
            if (p.Sy != sySemicolon) Expr();
        } else if (w == "SUSPEND" || w == "EXIT") {
            Next();
        } else if (w == "BREAK" || w == "LEAVE" || w == "CONTINUE") {
            Next();
            if (p.Sy == syIdent) Next();
        } else if (w == "OPEN" || w == "CLOSE") {
            Next();
            Name();
        } else if (w == "FETCH") {
            Next();
            if (SkipW("ABSOLUTE") || SkipW("RELATIVE")) Simple();
            else if (!SkipW("NEXT") && !SkipW("PRIOR") && !SkipW("FIRST")) SkipW("LAST");
            SkipW("FROM");
            Name();
            if (SkipW("INTO")) Targets();
        } else if (w == "IN") {
            Next();
            if (!SkipW("AUTONOMOUS")) Fail("AUTONOMOUS expected, but " + Display() + " found.");
            if (!SkipW("TRANSACTION")) Fail("TRANSACTION expected, but " + Display() + " found.");
            NeedW("DO");
            return Statement();
        } else if (w == "ALTER") {
            Next();
            if (SkipW("SEQUENCE")) {
                LinkGenerator(Name());
                if (SkipW("RESTART") && SkipW("WITH")) Simple();
                if (SkipW("INCREMENT")) {
                    SkipW("BY");
                    Simple();
                }
            } else if (SkipW("SESSION")) {
                NeedW("RESET");
            } else {
                Fail("Unknown ALTER-statement");
            }
        } else if (w == "SET") {
            Next();
            SetStatement();
        } else {
            return Assignment();
        }
        SkipSemicolon();
    }
    void SetStatement() {
        if (SkipW("GENERATOR")) {
            LinkGenerator(Name());
            NeedW("TO");
            Expr();
        } else if (SkipW("STATISTICS")) {
            NeedW("INDEX");
            LinkByName(Name(), TDbObjectSet{dboIndex});
        } else if (SkipW("DECFLOAT")) {
            if (SkipW("BIND") || SkipW("ROUND")) {
                SkipToSemicolon();
            } else if (SkipW("TRAPS")) {
                NeedW("TO");
                SkipToSemicolon();
            } else {
                Fail("Unknown SET-statement for DECFLOAT");
            }
        } else if (W("SESSION") || W("STATEMENT") || W("LOCAL_TIMEOUT") || W("ROLE") || W("TRUSTED") ||
                   W("TIME") || W("BIND")) {
            SkipToSemicolon();
        } else {
            Fail("Unknown SET-statement");
        }
    }
    void Assignment() {
        const bool quoted = p.fQuoted;
        const auto [line, column] = Here();
        const std::string n = Name();
        if (!quoted && p.Sy == syColon) {  // a label
            Next();
            return Statement();
        }
        if (p.Sy == syLParent) {  // a function called for nothing but its effect
            Call(n);
            return SkipSemicolon();
        }
        if (SkipSy(syPoint)) {
            const std::string f = Name();
            if (!quoted && (n == "NEW" || n == "OLD")) ContextVar(f, line, column);
        }
        if (!SkipSy(syEqual) && !SkipSy(syIBAssign)) Fail("Invalid statement (? assignment)");
        Expr();
        SkipSemicolon();
    }
    void ExecProcedure() {
        const std::string n = Name();
        if (SkipSy(syPoint)) {
            Name();
            LinkPackage(n);
        } else {
            LinkByName(n, TDbObjectSet{dboProcedure});
        }
        if (SkipSy(syLParent)) {
            if (p.Sy != syRParent) ExprList();
            Need(syRParent);
        } else if (p.Sy != sySemicolon && p.Sy != syEOF && !W("RETURNING_VALUES")) {
            ExprList();
        }
        if (SkipW("RETURNING_VALUES")) {
            const bool paren = SkipSy(syLParent);
            Targets();
            if (paren) Need(syRParent);
        }
    }
    void ExecStatement() {
        Simple();
        if (SkipSy(syLParent)) {
            // Parameters: expressions, or name := expression.
            for (;;) {
                if (p.Sy == syIdent) {
                    TParseContext ctx(&p);
                    Next();
                    if (!SkipSy(syIBAssign)) ctx.GotoContext();
                }
                Expr();
                if (!SkipSy(syComma)) break;
            }
            Need(syRParent);
        }
        for (;;) {
            if (SkipW("WITH")) {
                if (SkipW("AUTONOMOUS") || SkipW("COMMON")) NeedW("TRANSACTION");
                else if (SkipW("CALLER")) NeedW("PRIVILEGES");
                else Fail("Must be: AUTONOMOUS / COMMON / CALLER");
            } else if (SkipW("ON")) {
                NeedW("EXTERNAL");
                if (SkipW("DATA")) NeedW("SOURCE");
                Simple();
            } else if (W("AS")) {
                TParseContext ctx(&p);
                Next();
                if (!SkipW("USER")) {
                    ctx.GotoContext();  // AS CURSOR of FOR EXECUTE STATEMENT is the caller's
                    break;
                }
                Simple();
            } else if (SkipW("PASSWORD") || SkipW("ROLE")) {
                Simple();
            } else if (SkipW("INTO")) {
                Targets();
            } else {
                break;
            }
        }
    }

    // --- data-changing statements ----------------------------------------------------------
    // Column names of an INSERT, MATCHING or UPDATE SET list, linked to the target.
    void ColumnList(TDbObj* aTarget) {
        Need(syLParent);
        for (;;) {
            std::string c = Name();
            if (SkipSy(syPoint)) c = Name();
            Link(aTarget, c);
            if (!SkipSy(syComma)) break;
        }
        Need(syRParent);
    }
    std::string Alias() {
        SkipW("AS");
        return AliasHere() ? Name() : std::string();
    }
    void Returning(TDbObj* aTarget) {
        if (!SkipW("RETURNING")) return;
        TDbObj* saved = dmlTarget;
        dmlTarget = aTarget;
        SelectList(nullptr);
        dmlTarget = saved;
        if (SkipW("INTO")) Targets();
    }
    // After INSERT or UPDATE OR INSERT.
    void Insert() {
        NeedW("INTO");
        const std::string t = Name();
        TDbObj* target = FindSource(t);
        Link(target);
        const std::string alias = Alias();
        if (p.Sy == syLParent) ColumnList(target);
        // The values and the query see no column of the target (its scope opens only for
        // RETURNING): names in the values are variables.
        if (SkipW("VALUES")) {
            Need(syLParent);
            ExprList();
            Need(syRParent);
        } else if (W("SELECT") || W("WITH")) {
            Query();
        } else if (SkipW("DEFAULT")) {
            NeedW("VALUES");
        } else {
            Fail("Must be: VALUES / SELECT / DEFAULT VALUES");
        }
        if (SkipW("MATCHING")) ColumnList(target);
        PushScope();
        AddSource(t, alias, target);
        Returning(target);
        PopScope();
    }
    void Update() {
        const std::string t = Name();
        TDbObj* target = FindSource(t);
        Link(target);
        PushScope();
        AddSource(t, Alias(), target);
        NeedW("SET");
        SetList(target);
        SearchTail(target);
        PopScope();
    }
    void SetList(TDbObj* aTarget) {
        for (;;) {
            std::string c = Name();
            if (SkipSy(syPoint)) c = Name();
            Link(aTarget, c);
            Need(syEqual);
            Expr();
            if (!SkipSy(syComma)) break;
        }
    }
    // WHERE ... PLAN ... ORDER BY ... ROWS ... RETURNING of UPDATE and DELETE.
    void SearchTail(TDbObj* aTarget) {
        if (SkipW("WHERE")) {
            if (SkipW("CURRENT")) {
                NeedW("OF");
                Name();
            } else {
                Expr();
            }
        }
        PlanOrderRows();
        if (SkipW("SKIP")) NeedW("LOCKED");
        Returning(aTarget);
    }
    void Delete() {
        NeedW("FROM");
        const std::string t = Name();
        TDbObj* target = FindSource(t);
        Link(target);
        PushScope();
        AddSource(t, Alias(), target);
        SearchTail(target);
        PopScope();
    }
    void Merge() {
        NeedW("INTO");
        const std::string t = Name();
        TDbObj* target = FindSource(t);
        Link(target);
        PushScope();
        AddSource(t, Alias(), target);
        NeedW("USING");
        FromItem();
        NeedW("ON");
        Expr();
        while (SkipW("WHEN")) {
            SkipW("NOT");
            NeedW("MATCHED");
            if (SkipW("BY")) Next();  // TARGET / SOURCE
            if (SkipW("AND")) Expr();
            NeedW("THEN");
            if (SkipW("UPDATE")) {
                NeedW("SET");
                SetList(target);
            } else if (SkipW("DELETE")) {
            } else if (SkipW("INSERT")) {
                if (p.Sy == syLParent) ColumnList(target);
                if (SkipW("DEFAULT")) {
                    NeedW("VALUES");
                } else {
                    NeedW("VALUES");
                    Need(syLParent);
                    ExprList();
                    Need(syRParent);
                }
            } else {
                Fail("Must be: UPDATE");
            }
        }
        Returning(target);
        PopScope();
    }

    // --- queries ---------------------------------------------------------------------------
    // [WITH ...] SELECT ... {UNION SELECT ...} [ORDER BY ...] ...; aCols receives the output
    // names of the first select list (for a derived table).
    void Query(std::vector<std::string>* aCols = nullptr) {
        TDepth d(*this);
        const std::size_t cteMark = ctes.size();
        if (SkipW("WITH")) {
            SkipW("RECURSIVE");
            for (;;) {
                ctes.push_back(Name());
                if (p.Sy == syLParent) {
                    Next();
                    while (p.Sy != syRParent && p.Sy != syEOF) Next();
                    Need(syRParent);
                }
                NeedW("AS");
                Need(syLParent);
                Query();
                Need(syRParent);
                if (!SkipSy(syComma)) break;
            }
        }
        bool first = true;
        for (;;) {
            if (SkipSy(syLParent)) {  // ( SELECT ... ) UNION ...
                Query(first ? aCols : nullptr);
                Need(syRParent);
                PushScope();
            } else {
                QuerySpec(first ? aCols : nullptr);
            }
            first = false;
            if (!SkipW("UNION")) break;
            if (!SkipW("ALL")) SkipW("DISTINCT");
            PopScope();
        }
        QueryTail();
        PopScope();
        ctes.resize(cteMark);
    }
    // SELECT ... FROM ... WHERE ... GROUP BY ... HAVING ... PLAN; leaves its scope open.
    void QuerySpec(std::vector<std::string>* aCols) {
        NeedW("SELECT");
        PushScope();
        for (;;) {
            if (SkipW("FIRST") || SkipW("SKIP")) Factor();
            else break;
        }
        if (!SkipW("DISTINCT")) SkipW("ALL");
        SelectList(aCols);
        if (SkipW("INTO")) Targets();
        if (SkipW("FROM")) FromList();
        if (SkipW("WHERE")) Expr();
        if (SkipW("GROUP")) {
            NeedW("BY");
            ExprList();
        }
        if (SkipW("HAVING")) Expr();
        if (SkipW("WINDOW")) {
            for (;;) {
                Name();
                NeedW("AS");
                WindowSpec();
                if (!SkipSy(syComma)) break;
            }
        }
        if (SkipW("PLAN")) Plan();
    }
    // [PLAN ...] [ORDER BY ...] [ROWS n [TO m]] of queries, UPDATE and DELETE.
    void PlanOrderRows() {
        if (SkipW("PLAN")) Plan();
        if (SkipW("ORDER")) {
            NeedW("BY");
            OrderList();
        }
        if (SkipW("ROWS")) {
            Simple();
            if (SkipW("TO")) Simple();
        }
    }
    void QueryTail() {
        PlanOrderRows();
        if (SkipW("OFFSET")) {
            Simple();
            if (!SkipW("ROW")) SkipW("ROWS");
        }
        if (SkipW("FETCH")) {
            if (!SkipW("FIRST")) SkipW("NEXT");
            if (!W("ROW") && !W("ROWS")) Simple();
            if (!SkipW("ROW")) SkipW("ROWS");
            NeedW("ONLY");
        }
        if (W("FOR")) {
            TParseContext ctx(&p);
            Next();
            if (!SkipW("UPDATE")) {
                ctx.GotoContext();  // not FOR UPDATE: the caller's
            } else if (SkipW("OF")) {
                for (;;) {
                    Name();
                    if (!SkipSy(syComma)) break;
                }
            }
        }
        if (W("WITH")) {
            Next();
            if (SkipW("LOCK")) {
                if (SkipW("SKIP")) NeedW("LOCKED");
            } else if (SkipW("CHECK")) {
                NeedW("OPTION");
            } else {
                Fail("Must be: WITH LOCK / WITH CHECK OPTION");
            }
        }
        if (SkipW("INTO")) Targets();
    }
    void SelectList(std::vector<std::string>* aCols) {
        for (;;) {
            if (SkipSy(syMul)) {
                AddRef(std::string(), "*");
            } else {
                const int before = factors;
                lastRefName.clear();
                Expr();
                const bool single = factors == before + 1 && !lastRefName.empty();
                std::string alias = Alias();
                if (aCols) aCols->push_back(!alias.empty() ? alias : single ? lastRefName : std::string());
            }
            if (!SkipSy(syComma)) break;
        }
    }
    void OrderList() {
        for (;;) {
            Expr();
            if (!(SkipW("ASC") || SkipW("ASCENDING") || SkipW("DESC"))) SkipW("DESCENDING");
            if (SkipW("NULLS")) {
                if (!SkipW("FIRST") && !SkipW("LAST")) Fail("Must be: NULLS FIRST / NULLS LAST (order by clause).");
            }
            if (!SkipSy(syComma)) break;
        }
    }
    void FromList() {
        FromItem();
        for (;;) {
            if (SkipSy(syComma)) {
                FromItem();
                continue;
            }
            if (!Join()) break;
        }
    }
    bool Join() {
        const bool natural = SkipW("NATURAL");
        bool kind = false;
        if (SkipW("INNER") || SkipW("CROSS")) {
            kind = true;
        } else if (SkipW("LEFT") || SkipW("RIGHT") || SkipW("FULL")) {
            SkipW("OUTER");
            kind = true;
        }
        if (!W("JOIN")) {
            if (natural || kind) Fail("Must be: JOIN");
            return false;
        }
        Next();
        FromItem();
        if (SkipW("ON")) {
            Expr();
        } else if (SkipW("USING")) {
            Need(syLParent);
            for (;;) {
                AddRef(std::string(), Name());
                if (!SkipSy(syComma)) break;
            }
            Need(syRParent);
        }
        return true;
    }
    void FromItem() {
        TDepth d(*this);
        SkipW("LATERAL");
        if (SkipSy(syLParent)) {
            if (W("SELECT") || W("WITH")) {
                std::vector<std::string> cols;
                Query(&cols);
                Need(syRParent);
                TSource& s = AddSource(std::string(), Alias(), nullptr);
                s.Derived = true;
                s.Cols = std::move(cols);
                if (SkipSy(syLParent)) {  // (column names) of the derived table
                    s.Cols.clear();
                    for (;;) {
                        scopes.back().Sources.back().Cols.push_back(Name());
                        if (!SkipSy(syComma)) break;
                    }
                    Need(syRParent);
                }
            } else {
                FromItem();
                while (Join()) {
                }
                Need(syRParent);
            }
            return;
        }
        const std::string n = Name();
        TDbObj* source = nullptr;
        const bool cte = std::find(ctes.begin(), ctes.end(), n) != ctes.end();
        if (!cte) {
            source = FindSource(n);
            Link(source);
        }
        if (SkipSy(syLParent)) {  // a selectable procedure's arguments
            if (p.Sy != syRParent) ExprList();
            Need(syRParent);
        }
        TSource& s = AddSource(n, Alias(), source);
        s.Derived = cte;
    }
    void Plan() {
        TDepth d(*this);
        if (SkipW("JOIN") || SkipW("SORT") || SkipW("MERGE") || SkipW("HASH")) SkipW("MERGE");
        Need(syLParent);
        for (;;) {
            if (p.Sy == syLParent || ((W("JOIN") || W("SORT") || W("MERGE") || W("HASH")))) {
                Plan();
            } else {
                Name();
                while (p.Sy == syIdent && !W("NATURAL") && !W("INDEX") && !W("ORDER")) Next();
                if (SkipW("NATURAL")) {
                } else if (SkipW("INDEX")) {
                    PlanIndices();
                } else if (SkipW("ORDER")) {
                    LinkByName(Name(), TDbObjectSet{dboIndex});
                    if (SkipW("INDEX")) PlanIndices();
                } else {
                    Fail("Invalid symbol in PLAN-expression: " + Display());
                }
            }
            if (!SkipSy(syComma)) break;
        }
        Need(syRParent);
    }
    void PlanIndices() {
        Need(syLParent);
        for (;;) {
            LinkByName(Name(), TDbObjectSet{dboIndex});
            if (!SkipSy(syComma)) break;
        }
        Need(syRParent);
    }

    // --- expressions -----------------------------------------------------------------------
    void ExprList() {
        for (;;) {
            Expr();
            if (!SkipSy(syComma)) break;
        }
    }
    void Expr() {
        TDepth d(*this);
        Condition();
        while (SkipW("AND") || SkipW("OR")) Condition();
    }
    void Condition() {
        if (SkipW("NOT")) return Condition();
        Predicate();
    }
    static bool IsCompare(TSymbol aSy) {
        return aSy == syEqual || aSy == syLess || aSy == syGreater || aSy == syLessEqual ||
               aSy == syGreaterEqual || aSy == syNotEqual;
    }
    void Predicate() {
        Simple();
        for (;;) {
            if (IsCompare(p.Sy)) {
                Next();
                if (SkipW("ANY") || SkipW("SOME") || SkipW("ALL")) {
                    Need(syLParent);
                    if (W("SELECT") || W("WITH")) Query();
                    else ExprList();
                    Need(syRParent);
                } else {
                    Simple();
                }
                continue;
            }
            const bool negated = SkipW("NOT");
            if (SkipW("IS")) {
                SkipW("NOT");
                if (SkipW("NULL") || SkipW("TRUE") || SkipW("FALSE") || SkipW("UNKNOWN")) {
                } else if (SkipW("DISTINCT")) {
                    NeedW("FROM");
                    Simple();
                } else {
                    Fail("Must be: NULL/DISTINCT FROM.");
                }
            } else if (SkipW("IN")) {
                Need(syLParent);
                if (W("SELECT") || W("WITH")) Query();
                else ExprList();
                Need(syRParent);
            } else if (SkipW("LIKE") || SkipW("CONTAINING")) {
                Simple();
                if (SkipW("ESCAPE")) Simple();
            } else if (SkipW("BETWEEN")) {
                Simple();
                NeedW("AND");
                Simple();
            } else if (SkipW("STARTING") || SkipW("STARTS")) {
                SkipW("WITH");
                Simple();
            } else if (SkipW("SIMILAR")) {
                NeedW("TO");
                Simple();
                if (SkipW("ESCAPE")) Simple();
            } else if (negated) {
                Fail("Must be: IS/IN/EXISTS/SINGULAR/LIKE/BETWEEN/STARTING/CONTAINING.");
            } else {
                break;
            }
        }
    }
    void Simple() {
        TDepth d(*this);
        Term();
        while (p.Sy == syPlus || p.Sy == syMinus || p.Sy == syConcat) {
            Next();
            Term();
        }
    }
    void Term() {
        Factor();
        while (p.Sy == syMul || p.Sy == syDiv) {
            Next();
            Factor();
        }
    }
    void Subscript() {
        while (SkipSy(syLBracket)) {
            ExprList();
            SkipSy(syColon);
            if (p.Sy != syRBracket) ExprList();
            Need(syRBracket);
        }
    }
    void Factor() {
        TDepth d(*this);
        ++factors;
        lastRefName.clear();
        switch (p.Sy) {
            case syMinus:
            case syPlus:
                Next();
                Factor();
                break;
            case syColon: {
                Next();
                const bool quoted = p.fQuoted;
                const auto [line, column] = Here();
                const std::string n = Name();
                if (SkipSy(syPoint)) {
                    const std::string f = Name();
                    if (!quoted && (n == "NEW" || n == "OLD")) ContextVar(f, line, column);
                }
                Subscript();
                break;
            }
            case syLParent:
                Next();
                if (W("SELECT") || W("WITH")) {
                    Query();
                } else {
                    ExprList();
                }
                Need(syRParent);
                break;
            case syInteger:
            case syFloat:
            case syString:
                Next();
                break;
            case syIdent:
                Word();
                break;
            default:
                if (p.Sy == ibsym::syCharSetIntro) {
                    Next();
                    Need(syString);
                    break;
                }
                Fail("Invalid factor in expression (" + Display() + ")");
        }
        if (SkipW("COLLATE")) Name();
    }
    void Word() {
        const bool quoted = p.fQuoted;
        const auto [line, column] = Here();
        const std::string n = p.Ident;
        Next();
        if (!quoted) {
            if (n == "CASE") return Case();
            if (n == "CAST" && p.Sy == syLParent) {
                Next();
                Expr();
                NeedW("AS");
                Type();
                Need(syRParent);
                return;
            }
            if ((n == "EXISTS" || n == "SINGULAR") && p.Sy == syLParent) {
                Next();
                Query();
                Need(syRParent);
                return;
            }
            if (n == "NOT") return Factor();
            if (n == "NEXT" && W("VALUE")) {
                Next();
                NeedW("FOR");
                LinkGenerator(Name());
                return;
            }
            if (n == "GEN_ID" && p.Sy == syLParent) {
                Next();
                LinkGenerator(Name());
                Need(syComma);
                Expr();
                Need(syRParent);
                return;
            }
            if ((n == "DATE" || n == "TIME" || n == "TIMESTAMP") && p.Sy == syString) return Next();
            if (n == "VALUE" && domain) return;
            if (IsContextWord(n)) {
                if (p.Sy == syLParent) {  // CURRENT_TIME(3)
                    Next();
                    if (p.Sy != syRParent) ExprList();
                    Need(syRParent);
                }
                return;
            }
            if (n == "SELECT") Fail("Invalid factor in expression (SELECT)");
        }
        if (p.Sy == syLParent) return Call(n);
        if (SkipSy(syPoint)) {
            if (SkipSy(syMul)) return AddRef(n, "*");
            const std::string m = Name();
            if (!quoted && (n == "NEW" || n == "OLD")) return ContextVar(m, line, column);
            if (p.Sy == syLParent) {  // a package function
                LinkPackage(n);
                return Args(m);
            }
            if (m == "RDB$DB_KEY" || m == "RDB$RECORD_VERSION") return;
            AddRef(n, m);
            lastRefName = m;
            return Subscript();
        }
        if (!quoted && (n == "RDB$DB_KEY" || n == "RDB$RECORD_VERSION")) return;
        AddRef(std::string(), n);
        lastRefName = n;
        Subscript();
    }
    void Case() {
        if (!W("WHEN")) Expr();
        while (SkipW("WHEN")) {
            Expr();
            NeedW("THEN");
            Expr();
        }
        if (SkipW("ELSE")) Expr();
        NeedW("END");
    }
    void Call(const std::string& aName) {
        LinkFunction(aName);
        Args(aName);
    }
    // The arguments of a built-in or stored function, from "(" to ")", then OVER / FILTER.
    // Keyword-separated forms (SUBSTRING(a FROM b FOR c), TRIM(LEADING x FROM y),
    // DATEADD(1 DAY TO d), OVERLAY(a PLACING b FROM c)) read as lists of expressions.
    void Args(const std::string& aName) {
        Need(syLParent);
        const bool datePart = OneOf(aName, {"EXTRACT", "DATEADD", "DATEDIFF", "FIRST_DAY", "LAST_DAY"});
        const bool position = aName == "POSITION";
        if (!SkipSy(syRParent)) {
            if (!SkipW("DISTINCT")) SkipW("ALL");
            if (aName == "TRIM" && !SkipW("BOTH") && !SkipW("LEADING")) SkipW("TRAILING");
            if (datePart) SkipW("OF");
            if (aName == "EXTRACT" && !(Plain() && IsDatePart(p.Ident)))
                Fail("Invalid <part> in EXTRACT(part FROM value) function.");
            for (;;) {
                if (SkipSy(syMul)) {
                } else if (datePart && Plain() && IsDatePart(p.Ident)) {
                    Next();
                } else if (p.Sy == syRParent || W("FROM")) {
                    // TRIM(LEADING FROM x): no expression before FROM
                } else if (position) {
                    Simple();
                } else {
                    Expr();
                }
                if (datePart && Plain() && IsDatePart(p.Ident)) Next();
                if (SkipSy(syComma) || SkipW("FROM") || SkipW("FOR") || SkipW("TO") || SkipW("USING") ||
                    SkipW("PLACING") || (position && SkipW("IN")))
                    continue;
                if (SkipW("AS")) {
                    Type();
                    continue;
                }
                break;
            }
            Need(syRParent);
        }
        if (SkipW("FILTER")) {
            Need(syLParent);
            NeedW("WHERE");
            Expr();
            Need(syRParent);
        }
        if (SkipW("OVER")) {
            if (p.Sy == syIdent) Next();
            else WindowSpec();
        }
    }
    void WindowSpec() {
        Need(syLParent);
        while (p.Sy != syRParent) {
            if (p.Sy == syEOF) Fail("Missing: <)>");
            if (SkipSy(syComma)) continue;
            if (Plain() && OneOf(p.Ident, {"PARTITION", "BY", "ORDER", "ROWS", "RANGE", "BETWEEN", "AND",
                                           "UNBOUNDED", "PRECEDING", "FOLLOWING", "CURRENT", "ROW", "ASC",
                                           "ASCENDING", "DESC", "DESCENDING", "NULLS", "FIRST", "LAST",
                                           "EXCLUDE", "NO", "OTHERS", "GROUP", "TIES"})) {
                Next();
                continue;
            }
            Expr();
        }
        Next();
    }

    // --- bodies ----------------------------------------------------------------------------
    void RoutineBody(TPrcData* aRoutine) {
        // Parameters are variables of the body; one typed TYPE OF COLUMN uses that column.
        for (const TFldList* list : {&aRoutine->Params, &aRoutine->Returns})
            for (const TFldData* f : *list) {
                p.LocalVariables.push_back(f->fObjName);
                if (f->Rare().TypeOf && !f->Rare().TypeOfTbl.empty())
                    Link(FindSource(f->Rare().TypeOfTbl), f->Rare().TypeOfFld);
            }
        if (W("EXTERNAL")) return;
        Declarations();
        Block();
        SkipSemicolon();
    }
    void TriggerBody(TTrgData* aTrigger) {
        if (aTrigger->fOwnObj && (aTrigger->fOwnObj->ListKind() == olTbl || aTrigger->fOwnObj->ListKind() == olViw))
            trgTable = aTrigger->fOwnObj;
        if (SkipW("SQL")) {
            NeedW("SECURITY");
            Next();
        }
        if (W("EXTERNAL")) return;
        NeedW("AS");
        Declarations();
        Block();
        SkipSemicolon();
    }
    void PackageBody() {
        SkipW("AS");
        NeedW("BEGIN");
        while (!W("END")) {
            if (W("PROCEDURE") || W("FUNCTION")) Routine();
            else Fail("Must be: PROCEDURE / FUNCTION / END");
        }
        Next();
        SkipSemicolon();
    }
    // A parenthesised expression read against one table (computed column, check, index).
    void TableExpr(TDbObj* aTable) {
        PushScope();
        if (aTable) AddSource(aTable->fObjName, std::string(), aTable);
        SkipW("CHECK");
        Expr();
        PopScope();
    }
    void Read(TDbObj* aObj) {
        depth = 0;
        scopes.clear();
        ctes.clear();
        obj = aObj;
        if (auto* r = dynamic_cast<TPrcData*>(aObj)) {
            RoutineBody(r);
        } else if (auto* t = dynamic_cast<TTrgData*>(aObj)) {
            TriggerBody(t);
        } else if (dynamic_cast<TViwData*>(aObj)) {
            Query();
        } else if (dynamic_cast<TPkgData*>(aObj)) {
            PackageBody();
        } else if (auto* f = dynamic_cast<TFldData*>(aObj)) {
            TDbObj* owner = f->GetOwnerObj();
            if (owner && owner->ListKind() == olTbl) {
                computedTable = owner;
                computedField = f->fObjName;
            }
            TableExpr(owner && owner->ListKind() == olTbl ? owner : nullptr);
        } else if (auto* c = dynamic_cast<TCtrData*>(aObj)) {
            ctxTable = Objs() ? Objs()->Tbl.Find(c->fTblName) : nullptr;
            TableExpr(ctxTable);
        } else if (auto* x = dynamic_cast<TIdxData*>(aObj)) {
            TableExpr(Objs() ? Objs()->Tbl.Find(x->TblName) : nullptr);
        } else if (dynamic_cast<TDmnData*>(aObj)) {
            domain = true;
            SkipW("CHECK");
            Expr();
        }
        if (p.Sy != syEOF) Fail("Unexpected text after the end of the body: " + Display());
    }
};

TIbExParser::TIbExParser(TExtractorLink* aExtractor)
    : TIbParser(aExtractor), fImpl(std::make_unique<TImpl>(*this)) {}

TIbExParser::~TIbExParser() = default;

namespace {

// The texts a body reader reads for an object: the body, or a domain's check and default.
std::vector<std::string> BodyTexts(const TDbObj* aObj) {
    std::vector<std::string> texts;
    if (const auto* d = dynamic_cast<const TDmnData*>(aObj)) {
        if (d->fData) {
            if (std::string check = TIbExParser::StoredBodyText(d->fData.get()); !check.empty())
                texts.push_back(std::move(check));
            if (std::string def = Trim(d->fData->GetDefValue()); !def.empty()) texts.push_back(std::move(def));
        }
        return texts;
    }
    if (const auto* c = dynamic_cast<const TCtrData*>(aObj); c && c->fCtType != ctCheck) return texts;
    if (std::string text = TIbExParser::StoredBodyText(aObj); !text.empty()) texts.push_back(std::move(text));
    return texts;
}

bool HasBodyReader(const TDbObj* aObj) {
    return dynamic_cast<const TPrcData*>(aObj) || dynamic_cast<const TTrgData*>(aObj) ||
           dynamic_cast<const TViwData*>(aObj) || dynamic_cast<const TPkgData*>(aObj) ||
           dynamic_cast<const TFldData*>(aObj) || dynamic_cast<const TCtrData*>(aObj) ||
           dynamic_cast<const TIdxData*>(aObj) || dynamic_cast<const TDmnData*>(aObj);
}

}  // namespace

void TIbExParser::ParseObjBody(TDbObj* aObj) {
    if (!aObj) {
        fMsgMngr->AddMsg("Expression / body parsing not implemented.", mt_Err);
        return;
    }
    if (!HasBodyReader(aObj)) {
        fMsgMngr->AddObjMsg(std::string("Body parsing for DB-Obj: (") + aObj->ClassName() + ") not implemented.",
                            aObj, 0, 0, mt_Err);
        return;
    }
    if (!fBodiesRead.insert(aObj).second) return;
    const std::vector<std::string> texts = BodyTexts(aObj);
    const std::string savedTerm = GetTermStr();
    for (const std::string& text : texts) {
        // No terminator inside a body: every ";" is a statement end of the body's language.
        SetTermStr("\x01");
        fBodyText = text;
        AssignTxt(text);
        GetSy();
        fBodyColumn0 = fSyCol;
        ParseObjTxt(aObj);
    }
    SetTermStr(savedTerm);
}

void TIbExParser::ParseObjTxt(TDbObj* aObj) {
    LocalVariables.clear();
    ParsedObj = aObj;
    TImpl reader(*this);
    try {
        reader.Read(aObj);
    } catch (const TBodyAbort&) {
        // Recorded; the rest of this body is not read.
    }
    ParsedObj = nullptr;
    LocalVariables.clear();
}

void TIbExParser::LinkBodies() {
    if (!Objs) return;
    for (TViwData* v : Objs->Viw) ParseObjBody(v);
    for (TPrcData* r : Objs->Prc) ParseObjBody(r);
    for (TTrgData* t : Objs->Trg) ParseObjBody(t);
    for (TPkgData* k : Objs->Pkg) ParseObjBody(k);
    for (TTblData* t : Objs->Tbl)
        for (TFldData* f : t->Flds)
            if (f->IsComputed()) ParseObjBody(f);
    for (TCtrData* c : Objs->Ctr)
        if (c->fCtType == ctCheck) ParseObjBody(c);
    for (TIdxData* x : Objs->Idx)
        if (!x->GetBody().empty()) ParseObjBody(x);
    for (TDmnData* d : Objs->Dmn) ParseObjBody(d);
    fBodiesRead.clear();
}

namespace {

std::string BodyPrefix(const TDbObj* aObj) {
    if (const auto* r = dynamic_cast<const TPrcData*>(aObj))
        return (r->Func ? "Function " : "Procedure ") + r->fObjName + ": ";
    if (dynamic_cast<const TTrgData*>(aObj)) return "Trigger " + aObj->fObjName + ": ";
    if (dynamic_cast<const TViwData*>(aObj)) return "View " + aObj->fObjName + ": ";
    if (dynamic_cast<const TIdxData*>(aObj)) return "Index " + aObj->fObjName + ": ";
    if (const auto* c = dynamic_cast<const TCtrData*>(aObj); c && c->fCtType == ctCheck)
        return "Check-constraint " + c->fObjName + ": ";
    if (const auto* f = dynamic_cast<const TFldData*>(aObj); f && f->GetOwnerObj())
        return "Field " + f->GetOwnerObj()->fObjName + "/" + f->fObjName + ": ";
    return aObj->fObjName + ": ";
}

}  // namespace

void TIbExParser::ErrMsg(const std::string& aText) {
    if (!ParsedObj) return TIbParser::ErrMsg(aText);
    const std::string text = BodyPrefix(ParsedObj) + aText;
    std::int32_t line = Sy == syEOF ? GetPosY() : fSyLine;
    std::int32_t column = Sy == syEOF ? GetPosX() : fSyCol;
    const TDbObj* key = ParsedObj;
    if (const auto* d = dynamic_cast<const TDmnData*>(ParsedObj)) key = d->fData.get();
    const TBodyStart* start = BodyStart(key, fBodyText);
    if (start) {
        // Positions inside the body text moved to where the body stands in its script.
        if (line == 1) column = start->Column + (column - fBodyColumn0);
        line = start->Line + line - 1;
    }
    if (start && !start->File.empty()) return ErrAt(text, line, column, start->File);
    // A body without a script (read from a catalog): the message is the object's.
    if (!fMsgMngr->GetIsErr())
        DoErrorMessage(text + "\r\nScript:  Line:" + std::to_string(line) + " Column:" + std::to_string(column) +
                       "\r\n");
    fMsgMngr->AddObjMsg(text, ParsedObj, column, line, mt_Err);
}

}  // namespace dbtwin
