// Parser core: the hand-written scanner and the frame of the recursive-descent DDL parsers.
//
// TCustomParser owns the text being read and turns it into symbols (a one-byte code plus the
// identifier, number or string that came with it), knows the reserved words of its dialect
// through a TResWordList, tests expected symbols and records errors with line and column in
// its message manager. It has no SQL knowledge; dialect parsers derive from it.
//
// Text and positions. The text is UTF-8. Every position the scanner keeps (ix, chIx,
// SyBegPos, StBegPos, StEndPos) is a 1-based byte index into it, and CopyTxt / LengthTxt count
// bytes, so statement texts are cut without decoding. Line and column (Line, ChPos, GetPosX,
// GetPosY and the positions of recorded messages) count characters; CR LF, LF and a lone CR
// each end one line. A line break is column 0 of the line it starts.
//
// Dialects. The base constructor installs only the core symbols (it cannot reach an override).
// A dialect installs its keywords from its own constructor by calling its BuildResWords.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/krvComponent.h"
#include "core/krvDBOptions.h"
#include "core/krvKeyWords.h"
#include "core/krvMsgMngr.h"
#include "core/krvTypes.h"

namespace dbtwin {

// Object model types the parser hands objects to (defined by the model units).
class TDbObj;
class TCustomObjs;
class TExtractorLink;
class TFldData;

// TSymbol and the core symbol codes (syEOF ... syFirstDialect) come from core/krvKeyWords.

// Where the text lives while it is read.
enum TParseBufferType : std::uint8_t { pb_String, pb_Memory, pb_File };
DBTWIN_ENUM_COUNT(TParseBufferType, 3);

enum TDebugLogOption : std::uint8_t { dlSymbol, dlComment, dlExpr };
DBTWIN_ENUM_COUNT(TDebugLogOption, 3);
using TDebugLogOptions = TSet<TDebugLogOption>;

// A set of characters below 256 (character classes of the scanner).
using TCharSet = TSet<std::uint8_t, 256>;

// Reserved words of a dialect with their symbol codes: sorted, compared ignoring case,
// duplicates ignored (the first word added wins).
class TResWordList {
public:
    struct TEntry {
        std::string Word;
        TSymbol Symbol;
    };

    void AddResWord(std::string_view aWord, TSymbol aSymbol);
    void Clear();
    std::size_t Count() const { return fEntries.size(); }
    const std::string& GetWord(std::size_t aIndex) const { return fEntries.at(aIndex).Word; }
    TSymbol GetSymbol(std::size_t aIndex) const { return fEntries.at(aIndex).Symbol; }
    // The code of the word, 0 when it is not in the list.
    TSymbol GetSymbolByWord(std::string_view aWord) const;
    // The word of the last entry (in sorted order) that carries the code; "<???>" when none.
    const std::string& GetWordBySymbol(TSymbol aSymbol) const;

private:
    // Index of the first entry not less than aWord.
    std::size_t LowerBound(std::string_view aWord) const;

    std::vector<TEntry> fEntries;
    // Code -> entry index for GetWordBySymbol, rebuilt after the list changed.
    mutable std::vector<std::int32_t> fBySymbol;
    mutable bool fBySymbolValid = false;
};

class TCustomParser;

// A saved scanner position plus one SELECT scope of a body parser. A restore is only valid
// on the same text: nothing of the buffer is saved.
class TParseContext {
public:
    // Saves the parser's position at once.
    explicit TParseContext(TCustomParser* aParser);

    TCustomParser* fParser;
    std::int32_t SaveLine = 0;
    std::int32_t SaveChPos = 0;
    char32_t SaveCh = 0;
    std::int64_t SaveIx = 0;
    std::int64_t SaveChIx = 0;
    TSymbol SaveSy = 0;
    std::int64_t SaveSyBegPos = 0;
    std::string SaveIdent;
    // Table names of one FROM clause and, at the same positions, their aliases.
    std::vector<std::string> SelectTables;
    std::vector<std::string> SelectAliases;
    // Set by the body parsers when the scope is read the second time.
    bool SecondPass = false;

    void SetContext();
    void GotoContext();
};

class TParseStream;

class TCustomParser : public TComponent {
public:
    explicit TCustomParser(TExtractorLink* aExtractor = nullptr);
    ~TCustomParser() override;

    // --- events (Sender is the parser) ---
    TErrorMessageEvent OnErrorMessage;
    TLogNextLineEvent OnLogNextLine;
    TLogNextLineEvent OnDebugMessage;
    TProgressUpdateEvent OnProgressUpdate;
    TAddStatementEvent OnAddStatement;

    // --- scanner state, read and set by the dialect and body parsers ---
    char32_t ch = 0;            // current character; 0 once the text is exhausted
    std::int32_t Line = 1;      // 1-based line of ch
    std::int32_t ChPos = 1;     // one more than the 1-based column of ch
    std::int64_t ix = 1;        // byte index of the next character to read
    std::int64_t chIx = 1;      // byte index of ch (LengthTxt() + 1 at the end of the text)
    TSymbol Sy = syEOF;         // current symbol
    std::string SyResWord;      // display word of Sy
    std::int64_t SyBegPos = 1;  // byte index of the first character of the current symbol
    std::int64_t StBegPos = 1;  // start of the statement being read (set by dialects)
    std::int64_t ReportCount = 0; // statements reported to OnAddStatement so far
    std::int32_t StBegLine = 0; // line and column of StBegPos, where a dialect records them
    std::int32_t StBegCol = 0;
    std::int64_t StEndPos = 1;  // end of the statement being read (set by dialects)
    std::string Ident;          // text of the last identifier or reserved word
    std::int64_t IntVal = 0;    // value of the last integer
    std::string StrVal;         // text of the last number, or content of the last string
    char32_t StrQuoteCh = 0;    // quote of the last string; 0 for other symbols
    double FloatVal = 0;        // value of the last float
    // Characters allowed after the first character of an identifier.
    TCharSet IdentCharSet;
    TDebugLogOptions DebugLogOptions;
    // Stack of SELECT scopes (innermost last), pushed and popped by body parsers; not owned.
    std::vector<TParseContext*> ParseCtx;
    // The object set being filled; not owned.
    TCustomObjs* Objs = nullptr;

    // --- virtual operations ---
    virtual void SetDatabaseType(TDatabaseType aDatabaseType);
    // When the text at ch is the terminator: Sy := syTerm, the terminator is consumed, true.
    virtual bool CheckTermStr();
    // Reports (Line, lines count) when UpdateProgress is on.
    virtual void DoProgressUpdate();
    virtual void DoLogNextLine(const std::string& aText);
    // OnErrorMessage, or the user message "Error: " + text when none is assigned.
    virtual void DoErrorMessage(const std::string& aText);
    virtual void DoDbgMsg(const std::string& aText);
    // The listener creates a statement and returns it in Statement. Derived classes that
    // override one form bring the other into scope (using TCustomParser::DoAddStatement).
    virtual void DoAddStatement(const std::string& aText, TStatType aTyp,
                                const std::string& aObjName, TDbObject aObjType,
                                TDbOperation aOperation, const std::string& aOwnName,
                                TStatement*& Statement);
    // The text runs from StBegPos up to, not including, the current symbol, trimmed.
    virtual void DoAddStatement(TStatType aTyp, const std::string& aObjName, TDbObject aObjType,
                                TDbOperation aOperation, const std::string& aOwnName,
                                TStatement*& Statement);
    virtual const std::string& ResWordBySymbol(TSymbol aSy) const;
    // Hands an object to the extractor or the object set; ownership passes with it.
    virtual void AddObj(TDbObj* aObj, bool FreeNotAdded);
    // True when Sy is aSy, joining a leading sign to a number when a number is expected;
    // else records "Missing: ..." and keeps the current symbol.
    virtual bool TestSy(TSymbol aSy);
    // TestSy, then the next symbol (read in either case).
    virtual bool TestAndGetSy(TSymbol aSy);
    // The next symbol, then TestSy.
    virtual bool GetAndTestSy(TSymbol aSy);
    // "(p[, s])" into precision and scale (scale 0 without one); without "(" 9 and 0 and
    // nothing is read.
    virtual void GetNumDec(std::int32_t& aPrecision, std::int32_t& aScale);
    virtual void GetNumDec(TFldData* aFld);
    // Advances one character and returns the new ch.
    virtual char32_t GetChar();
    // The character one ahead of ch; 0 past the end.
    virtual char32_t CurCh() const;
    // The character two ahead of ch; 0 past the end.
    virtual char32_t NextCh() const;
    // Reads a number starting at ch into StrVal, FloatVal and Sy (syInteger or syFloat);
    // returns the integer value (0 for a float).
    virtual std::int64_t GetInt();
    // Reads a string starting at its quote ch into StrVal and returns it.
    virtual const std::string& GetStr();
    // Reads the next symbol.
    virtual void GetSy();
    // Reads an identifier starting at ch into Ident.
    virtual void GetIdent();
    // A balanced parenthesised text starting at ch (see the definition).
    virtual std::string GetExpr();
    // Skips to the line break that ends the current line (not consumed) or the end.
    virtual void SkipLine();
    virtual void DoGetSy();
    virtual void DoBeforeGetSy();
    virtual void DoAfterGetSy();
    // Skips blanks; true when it skipped any. SQL parsers skip comments too.
    virtual bool SkipText();
    // Registers the core display words; dialects add their keywords after them.
    virtual void BuildResWords();
    virtual bool IsIdent(std::string_view aWord) const;
    virtual bool TestIdent(std::string_view aWord);
    virtual void ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs);
    virtual void ParseFile(const std::string& aFileName, TCustomObjs* aObjs);
    // Reads the loaded text; the base reads symbols until code 0.
    virtual void ParseText();
    virtual void ErrMsg(const std::string& aText);
    virtual std::string GetScriptInfo() const;
    // Code of Ident as a reserved word, syIdent when it is none.
    virtual TSymbol FindResWord() const;
    virtual std::string GenTerm() const;
    virtual std::string GenComment(std::string_view aText) const;
    // Links objects by their definitions after all scripts are read; nothing in the core.
    virtual void Link_Depend();

    // --- non-virtual operations ---
    std::string GetDbPrefix() const;
    std::int32_t GetPosX() const { return ChPos - 1; }
    std::int32_t GetPosY() const { return Line; }
    void WrnMsg(const std::string& aText);
    void SetTermStr(std::string_view aTermStr);
    // Loads a text (UTF-8) into the buffer of the current buffer type and reads its first
    // character.
    void AssignTxt(std::string aText);
    // Loads the bytes of a script (UTF-8 or UTF-16 by byte-order mark; without one UTF-8
    // when valid, else the ANSI code page) and reads the first character. UTF-16 without a
    // mark cannot be recognised: it is valid UTF-8 holding NUL characters, and read as such.
    // ParseFile reads files the same way.
    void AssignBytes(std::string_view aBytes);
    // aCount bytes from the 1-based byte index aStart, cut to the text.
    std::string CopyTxt(std::int64_t aStart, std::int64_t aCount) const;
    std::string_view TxtView(std::int64_t aStart, std::int64_t aCount) const;
    // Text length in bytes.
    std::int64_t LengthTxt() const { return static_cast<std::int64_t>(fText.size()); }
    // True once the text is exhausted (ch is then 0).
    bool Eof() const { return chIx > LengthTxt(); }
    void SetParseContext(TParseContext& aCtx);
    void GotoParseContext(const TParseContext& aCtx);
    std::string ExprRemoveParents(std::string_view aText) const;
    // The class name used in messages ("TCustomParser", or that of the dialect).
    std::string ClassName() const;

    // --- properties ---
    TExtractorLink* GetExtractor() const { return fExtractor; }
    TDatabaseType GetDatabaseType() const { return fDatabaseType; }
    const std::string& GetTermStr() const { return fTermStr; }
    std::int32_t GetTermStrLen() const { return fTermStrLen; }
    TParseBufferType GetParseBuffer() const { return fParseBuffer; }
    void SetParseBuffer(TParseBufferType aValue) { fParseBuffer = aValue; }
    bool GetUpdateProgress() const { return fUpdateProgress; }
    void SetUpdateProgress(bool aValue) { fUpdateProgress = aValue; }
    const std::string& GetScriptFileName() const { return fScriptFileName; }
    void SetScriptFileName(const std::string& aValue) { fScriptFileName = aValue; }
    std::int32_t GetLinesCount() const { return fLinesCount; }
    TMsgManager& GetMsgMngr() { return *fMsgMngr; }
    const TMsgManager& GetMsgMngr() const { return *fMsgMngr; }
    TResWordList& GetResWordList() { return *fResWordList; }
    const TResWordList& GetResWordList() const { return *fResWordList; }

    // The default IdentCharSet: "$", "0".."9", "A".."Z", "_", "a".."z".
    static TCharSet DefaultIdentCharSet();

protected:
    // GetExpr does not count parentheses inside comments, strings and quoted identifiers.
    // Each consumes such a part starting at ch and returns true, else returns false;
    // dialects with other forms extend them.
    // Comments: "--" to the line end (MySQL: before a blank only, and "#"), "/* */".
    virtual bool SkipExprComment();
    // Strings and quoted identifiers in ', " or ` (doubled quotes inside; MySQL backslash
    // escapes), and [ ] for SQL Server and ASE.
    virtual bool SkipExprQuoted();
    // True for the blanks the scanner skips: tab, LF, CR, space (character 26 reads as one).
    static bool IsBlank(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    // The extractor of the structure that owns Objs, when there is one.
    TExtractorLink* ObjsExtractor() const;
    TExtractorLink* fExtractor = nullptr;
    std::string fTermStr;
    std::int32_t fTermStrLen = 0;
    TDatabaseType fDatabaseType = dbAbstract;
    bool fUpdateProgress = true;
    TParseBufferType fParseBuffer = pb_String;
    std::string fStringBuffer;
    std::unique_ptr<TParseStream> fStream;
    std::int32_t fLinesCount = 0;
    std::string fScriptFileName;
    std::unique_ptr<TMsgManager> fMsgMngr;
    std::unique_ptr<TResWordList> fResWordList;

private:
    // Frees the stream and empties the string buffer.
    void FreeText();
    // Points the scanner at the loaded text and reads its first character.
    void ResetPosition();
    // Reads the symbol after a sign for TestSy; true when it joined.
    bool JoinSign(TSymbol aSy);

    // The text being read: fStringBuffer or the stream's text.
    std::string_view fText;
};

// What every SQL dialect shares: comments, the terminator as a symbol, "||", skipping and
// copying statements, object keys, and the dependencies between metadata objects, both those
// that follow from definitions (Link_Depend) and those found in routine and view bodies
// (AddLinkDepend). Usable on its own: a plain instance splits a script into statements.
class TCustomSQLParser : public TCustomParser {
public:
    explicit TCustomSQLParser(TExtractorLink* aExtractor = nullptr);
    ~TCustomSQLParser() override;

    // Filled by the dialects from CONNECT and CREATE DATABASE; copied to Objs after a parse.
    TConnectionOptions fConnectionOptions;
    // Text of the last comment skipped, without its delimiters.
    std::string Comment;
    // Scratch column for the data types of local variables; owned.
    std::unique_ptr<TFldData> TempVar;
    // Local variables and parameters of the body being read; never taken for objects.
    // Compared ignoring case.
    std::vector<std::string> LocalVariables;

    // --- virtual operations ---
    // Skips one comment at ch ("/* */" or "--"); true when one was skipped.
    virtual bool SkipComment();
    // Reads symbols until one in the stop set (or the end of the text) stands; returns it.
    virtual TSymbol SkipStatement(const TSymSet& aStopSet);
    // The trimmed text from the 1-based byte index aPos up to the current symbol.
    virtual std::string CopyTxtFrom(std::int64_t aPos) const;
    // Links aObj to what an identifier of a body names; aQualifier is the part before ".",
    // aName the identifier or "*".
    virtual void AddLinkDepend(TDbObj* aObj, const std::string& aQualifier,
                               const std::string& aName);
    virtual std::string QuoteIdent(const std::string& aIdent) const { return aIdent; }
    virtual void ParseObjBody(TDbObj* /*aObj*/) {}
    virtual void ParseObjTxt(TDbObj* /*aObj*/) {}

    bool SkipText() override;
    void DoGetSy() override;
    void ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs) override;
    void Link_Depend() override;

    // --- non-virtual operations ---
    // An optionally signed integer constant as text ("-5"); empty (with an error) when
    // none stands here.
    std::string GetIntConst();
    // The lookup key: owner + "." + name, or the name alone. With aUseDefaultOwner an empty
    // owner becomes the default schema of the database kind ("dbo", "DBA", "public").
    std::string ObjKeyName(const std::string& aName, const std::string& aOwner,
                           bool aUseDefaultOwner) const;
    // The raw text from ch up to the first of the terminators (given in upper case,
    // compared with the upper-cased text), or to the end of the text. Afterwards ch is the
    // first character of the terminator (0 at the end). CR LF "/" does not match before
    // "*" (a comment starts there).
    void ExtractToTerm(const std::vector<std::string>& aTerms, std::string& aText);

    // Links aObj to aDepObj (a column of it when aFieldName is given), at the current
    // position. A view reading a table column also depends on the domains of that table.
    void LinkDepend(TDbObj* aObj, TDbObj* aDepObj, const std::string& aFieldName);
    // Links aObj to the object named aName of the first kind in aKinds that has one (rules
    // and defaults win over the others); an unknown name links nothing.
    void LinkDepend(TDbObj* aObj, const std::string& aName, TDbObjectSet aKinds);

private:
    // True when one of the terminators starts at byte index aPos.
    bool TermAt(std::int64_t aPos, const std::vector<std::string>& aTerms) const;
    // The table name that a qualifier (alias or table) stands for in the open scopes.
    std::string ResolveQualifier(const std::string& aQualifier) const;
    // The table, view or procedure of that key.
    TDbObj* FindSelectSource(const std::string& aName) const;
};

// Every line stripped of trailing blanks and control characters, the whole of leading and
// trailing ones; lines joined by CR LF.
std::string TrimSQLText(std::string_view aText);
// Removes doubled outer parentheses: "((a))" becomes "(a)"; only pairs that match each
// other are removed, so "((a)) + ((b))" stays as it is.
std::string DelDblParents(std::string_view aText);

}  // namespace dbtwin
