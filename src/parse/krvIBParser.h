// InterBase/Firebird dialect: keyword table with its per-version keyword sets, the words
// the servers reserve in SQL dialect 3, and identifier quoting.
#pragma once

#include "core/keywords/ib.h"
#include "core/keywords/ib_quote_more.h"
#include "core/keywords/ib_reserved.h"
#include "core/krvDBOptions.h"
#include "core/krvQuote.h"
#include "core/krvTypes.h"
#include "parse/krvParser.h"

namespace dbtwin {

// Tables (generated from core/keywords):
// - IBKeyWords: word, code and the versions in which the word is a keyword; the codes are
//   named in namespace ibsym (ibsym::syCREATE, ibsym::syCharSetIntro, ...).
// - IBReservedWords: words the servers reserve in dialect 3 without being keywords.
// - IBQuoteMoreWords: further words newer servers reject unquoted in dialect 3.
// IBKeyWordSet, IBSymbolByResWord, IBDialect3Reserved, IdentDialect3 and IBQuoteIdent are
// declared in core/krvQuote.h.

// Code of the ":=" symbol (Firebird 2.5 and later); it has no display word.
inline constexpr TSymbol syIBAssign = 116;

// The keyword codes of each server version (IBKeyWordSet of that version).
extern const TSymSet IB4x_KeyWord_Set;
extern const TSymSet IB5x_KeyWord_Set;
extern const TSymSet IB6x_KeyWord_Set;
extern const TSymSet IB7x_KeyWord_Set;
extern const TSymSet IB75_KeyWord_Set;
extern const TSymSet IB2020_KeyWord_Set;
extern const TSymSet FB1x_KeyWord_Set;
extern const TSymSet FB15_KeyWord_Set;
extern const TSymSet FB20_KeyWord_Set;
extern const TSymSet FB21_KeyWord_Set;
extern const TSymSet FB25_KeyWord_Set;
extern const TSymSet FB30_KeyWord_Set;
extern const TSymSet Ya1x_KeyWord_Set;
extern const TSymSet FB40_KeyWord_Set;


}  // namespace dbtwin

// ---------------------------------------------------------------------------------------------
// The statement reader for InterBase/Firebird DDL scripts as the servers' ISQL tool writes
// them (and as people write them by hand): it fills an object set with domains, tables and
// their columns and constraints, indices, generators, exceptions, views, routines, triggers,
// packages, external functions, roles, grants and descriptions, keeps the database options
// a script sets, and reports every executable statement to OnAddStatement.
//
// Statements are recognised by their words, not by keyword codes: every word reads as an
// identifier (upper-cased unless quoted), so a name that is a keyword in one server version
// and not in another reads the same. A quoted name never matches a statement word.
//
// Bodies (routines, triggers, views, packages) and parenthesised expressions (checks,
// computed columns, expression indices) are captured as written; reading the procedural
// language inside them for dependencies is the job of a later reader.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "parse/krvParser.h"

namespace dbtwin {

class TTblData;
class TCtrData;
class TDmnData;

class TIbParser : public TCustomSQLParser {
public:
    explicit TIbParser(TExtractorLink* aExtractor = nullptr);
    ~TIbParser() override;

    // Deepest parenthesis nesting accepted inside an expression or body; deeper text is an
    // error (a generated script never comes close).
    static constexpr int kMaxNesting = 1000;
    // Deepest chain of INPUT files.
    static constexpr int kMaxInputDepth = 16;

    // The server options of the set being filled; null without one.
    TIBServerOptions* GetIBServerOptions() const;
    // The dialect a script starts in: the set's, 1 without a set.
    static int StartDialect(const TCustomObjs* aObjs);
    // The dialect in force (1 until the script sets one); kept in Objs' server options too.
    int GetSQLDialect() const { return fDialect; }
    bool GetAutoDDL() const { return fAutoDDL; }
    // Set by executors, which need the statements, not the objects: a statement the reader
    // cannot file into the set (it alters an object the script never created, or creates
    // one again) still reaches OnAddStatement as written, for the server to judge, and its
    // messages become notes. A statement cut off by the end of the text stays an error.
    bool StatementsOnly = false;
    // The password of the CONNECT or CREATE DATABASE statement being reported to
    // OnAddStatement (its reported text leaves the password out); empty otherwise.
    const std::string& GetStatementPassword() const { return fStatementPassword; }
    // The text a body reader reads for aObj: its body; a column's computed expression, or a
    // domain column's check.
    static std::string StoredBodyText(const TDbObj* aObj);

    void BuildResWords() override;
    TSymbol FindResWord() const override;
    void DoGetSy() override;
    void ParseText() override;
    // After all scripts: the links of the SQL base (indices, constraints, foreign keys to
    // the keys they reference, grants), and every domain-typed column to its domain.
    void Link_Depend() override;
    void ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs) override;
    void ParseFile(const std::string& aFileName, TCustomObjs* aObjs) override;
    std::string QuoteIdent(const std::string& aIdent) const override;
    // Errors are recorded at the start of the symbol they are about (the core records the
    // character after it); the text shown names the file, line and column.
    void ErrMsg(const std::string& aText) override;
    std::string GetScriptInfo() const override;

protected:
    // Links made from bodies after all scripts: here, views to what their FROM lists name.
    virtual void LinkBodies();

    // Where a body or parenthesised text began in its script, recorded when it is stored.
    struct TBodyStart {
        std::string File;
        std::int32_t Line = 1;
        std::int32_t Column = 0;
        std::size_t Hash = 0;  // of the captured text
    };
    // The start recorded for aObj's body when that body is aText as captured; null when
    // none was (a body from a catalog, or a text the object got some other way).
    const TBodyStart* BodyStart(const TDbObj* aObj, std::string_view aText) const;

protected:
    // Records the start of the last capture as aObj's body start.
    void NoteBody(const TDbObj* aObj);
    std::map<const TDbObj*, TBodyStart> fBodyStarts;
    TBodyStart fLastCapture;

    // Words and names.
    bool W(const char* aWord) const;          // the current symbol is this unquoted word
    bool SkipW(const char* aWord);            // W, and then the next symbol
    bool NeedW(const char* aWord);            // SkipW, else "Must be: WORD"
    // The current symbol is an unquoted abbreviation of aWord at least aMin letters long
    // (the client tool's commands: SET TERM for SET TERMINATOR, OUT for OUTPUT).
    bool WAbbr(const char* aWord, std::size_t aMin) const;
    bool IsName() const { return Sy == syIdent; }
    std::string GetName();                    // a name (unquoted, or quoted in dialect 3)
    // The statement must end here; otherwise the error and a skip to the terminator.
    void EndStatement();
    void SkipToTerm();
    void Report(TStatType aTyp, const std::string& aName, TDbObject aKind, TDbOperation aOp,
                const std::string& aOwner = std::string());

    // Raw text captures. CaptureParens: from the current "(" symbol to its match, as written,
    // then the next symbol. CaptureBody: from the current symbol to the terminator (outside
    // strings and comments); the terminator becomes the current symbol.
    std::string CaptureParens();
    // aBlock: a PSQL body (routine, trigger, package), whose ";" do not end it when ";" is
    // the terminator.
    std::string CaptureBody(bool aBlock = false);
    // Skips a string or comment starting at ch; true when it skipped one.
    bool SkipQuotedOrComment();

    // Statements.
    void ParseStatement();
    void ParseSet();
    void ParseDatabase(bool aCreate);
    void ParseCreate();
    void ParseAlter();
    void ParseDrop();
    // Takes a dropped object out of the set (a table or view with its constraints, indices,
    // triggers and privileges; a package body only empties the package's body).
    // A column (aOwner its table) or a named constraint of ALTER TABLE ... DROP likewise.
    void DropObject(TDbObject aKind, const std::string& aName, bool aPackageBody,
                    const std::string& aOwner = std::string());
    void ParseTable(bool aGlobalTemporary);
    void ParseAlterTable();
    void ParseIndex();
    void ParseDomain();
    void ParseAlterDomain();
    // Files domain aDmn under its new name; the columns and parameters typed by it follow.
    void RenameDomain(TDmnData* aDmn, const std::string& aNew);
    void ParseGenerator(bool aAlter);
    void ParseException();
    void ParseCollation();
    // aAlter: ALTER VIEW, CREATE OR ALTER VIEW (a known view is replaced, not refused).
    void ParseView(bool aAlter);
    void ParseRoutine(bool aFunc, bool aAlter);
    void ParsePackage();
    // aAlter: ALTER / CREATE OR ALTER: what the statement leaves out, such as the position
    // or ACTIVE, stays as it was.
    void ParseTrigger(bool aAlter);
    // RECREATE of a known object: drops it first, as the server does (with its description,
    // privileges and, for a view, its triggers); true when it did.
    bool DropForRecreate(TDbObject aKind, const std::string& aName);
    void ParseUdf();
    void ParseRole();
    void ParseGrant();
    void ParseComment();
    // DESCRIBE kind name 'text', the description form the export writes in its DESCRIBE mode.
    void ParseDescribe();
    void ParseInput();
    // Reads the named file (relative to the current one) into the same set.
    void ParseInputFile(const std::string& aName);
    // ALTER TABLE t ALTER [COLUMN] c ...: one clause, applied to the column.
    void ParseAlterColumn(TTblData* aTable, const std::string& aTableName);

    // Columns, types, attributes, constraints.
    TFldData* ParseField(TDbObj* aOwner, TFldData* aInto, bool aDomain);
    void ParseFieldType(TFldData* aFld);
    void ParseFieldAttrs(TFldData* aFld, bool aDomain);
    std::string GetDefaultText();
    // A constraint after its name (or without one); aFld for a constraint written on a column.
    TCtrData* ParseConstraint(const std::string& aName, const std::string& aTable, TFldData* aFld,
                              bool aReport);
    void ParseNameList(std::vector<std::string>& aNames);
    // The column names the server gives a view written without a column list: per item of
    // the first select list, its alias or the column it names. Empty when an item has
    // neither (an expression without an alias, "*").
    std::vector<std::string> SelectListNames(const std::string& aBody) const;
    void ParseParams(TDbObj* aOwner, bool aReturns, std::vector<TFldData*>& aOut);

    void SetDialect(int aDialect);
    static std::string Words(const std::string& aText);
    TIBServerOptions* IBOptions() const;
    std::string DBCharSet() const;

    // An error found while scanning raw text: recorded where the scanner stands.
    void ErrHere(const std::string& aText);
    // An error at a line and column of aFile (the script being read when empty).
    void ErrAt(const std::string& aText, std::int32_t aLine, std::int32_t aColumn,
               const std::string& aFile = std::string());

    std::int32_t fSyLine = 1;   // line and column of the first character of the current symbol
    std::int32_t fSyCol = 0;
    bool fErrAtCh = false;
    bool fQuoted = false;       // the current identifier was written in double quotes
    bool fRecreate = false;     // the statement being read is a RECREATE
    bool fOrAlter = false;      // the statement being read is a CREATE OR ALTER
    bool fEndOptional = false;  // the statement read may end without a terminator
    int fDialect = 1;
    bool fAutoDDL = true;
    std::string fStatementPassword;
    std::string fTableName;
    int fInputDepth = 0;
    // EXIT or QUIT was read: the client tool stops there, with every file of the INPUT chain.
    bool fStopped = false;
    // Files of the INPUT chain being read (absolute), to refuse a file that includes itself.
    std::set<std::string> fOpenFiles;
};

}  // namespace dbtwin
