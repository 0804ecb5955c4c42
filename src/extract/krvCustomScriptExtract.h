// Script extraction: fills a structure's object set by running the dialect parser of its
// database kind over DDL script files, or over a script held in memory. The dialect
// extractors only set the database kind and create their parser.
//
// The run: the structure is cleared, then every source is parsed into its set with the
// parser's state (terminator, server options) reset for each one, then the domain bodies are
// read and dependencies linked over everything that was parsed. A file that cannot be found
// or read, a load handler that declines a file, an empty file list and a parse error each
// make the result false; the run still parses the other sources and links what it has, so
// every error of every file is reported at once. Every message of the run, the parser's
// included, is in GetMsgManager(), which is what the comparer copies; the parser's own
// manager holds the parse messages of the run.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "extract/krvCustomExtract.h"

namespace dbtwin {

class TCustomParser;

class TCustomScriptExtract : public TCustomExtract {
public:
    explicit TCustomScriptExtract(TComponent* aOwner = nullptr);
    ~TCustomScriptExtract() override;

    virtual const char* ClassName() const { return "TCustomScriptExtract"; }

    // Called for each file before it is read: a handler that sets Loaded has put the
    // file's lines into aScript, and those lines are parsed.
    TLoadScriptEvent OnLoadScript;

    // The file list: one path, several paths each in double quotes separated by
    // blanks, or a mask whose last part holds "*" or "?". Setting it expands it at once
    // (ScriptFileNames): a mask becomes the regular files it matches, sorted by name; a name
    // that matches nothing is remembered and reported as not found by the next run.
    const std::string& GetScriptFileName() const { return fScriptFileName; }
    void SetScriptFileName(const std::string& aValue);
    const std::vector<std::string>& GetScriptFileNames() const { return fScriptFileNames; }
    // Takes the names as they are (no expansion); ScriptFileName becomes them quoted.
    void SetScriptFileNames(const std::vector<std::string>& aNames);
    // Names of the file list that matched no file.
    const std::vector<std::string>& GetMissingFileNames() const { return fMissingFileNames; }

    void SetDBStructure(TCustomDBStructure* aStructure) override;
    // Also hands the handler to the parser, when there is one.
    void SetOnErrorMessage(TErrorMessageEvent aHandler);
    TMsgManager& GetMsgManager() override { return fMsgMngr; }
    TCustomParser* GetParser() const { return fParser.get(); }

    // Reads every file of ScriptFileNames.
    bool ExtractDatabase() override;
    // Reads a script held in memory; its messages name ScriptFileName.
    bool ExtractDatabase(const std::vector<std::string>& aScript);

    // Splits a file list into its names (quoted names, or the whole text).
    static std::vector<std::string> SplitFileSpec(const std::string& aText);
    // The regular files a name matches: the file itself, or for a mask the matching entries
    // of its directory, sorted by name. Empty when nothing matches.
    static std::vector<std::string> ExpandFileMask(const std::string& aName);

protected:
    virtual std::unique_ptr<TCustomParser> CreateParser();
    // Clears the set's connection options (CONNECT statements refill them) and logs the
    // set's defined server version.
    virtual void DoBeforeScriptsExtract();
    // Puts the parser back in the state a new script starts in; runs before every source.
    virtual void ResetParserState();

    std::unique_ptr<TCustomParser> fParser;
    // The parser's terminator as created; every source starts with it.
    std::string fInitialTermStr;

private:
    struct TSource;
    // The one run behind both ExtractDatabase forms.
    bool Run(const std::vector<TSource>& aSources, bool aFromFiles);
    // Parses one source; false when it could not be loaded or did not parse.
    bool ParseSource(const TSource& aSource);
    // Copies the parser's messages not yet copied into the extractor's; true when they
    // held an error.
    bool TakeParserMessages();
    void ErrorAt(const std::string& aText, const std::string& aFileName);

    std::string fScriptFileName;
    std::vector<std::string> fScriptFileNames;
    std::vector<std::string> fMissingFileNames;
    std::vector<std::string> fScript;
    std::size_t fParserMsgsTaken = 0;
};

}  // namespace dbtwin
