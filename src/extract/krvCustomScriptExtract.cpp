#include "extract/krvCustomScriptExtract.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "core/krvMsg.h"
#include "model/krvClasses.h"
#include "model/krvCustomDBStructure.h"
#include "objects/krvComp_Dmn.h"
#include "parse/krvParser.h"

namespace dbtwin {

struct TCustomScriptExtract::TSource {
    std::string FileName;
    // The lines to parse; null: the file is read from disk.
    const std::vector<std::string>* Lines = nullptr;
};

TCustomScriptExtract::TCustomScriptExtract(TComponent* aOwner) : TCustomExtract(aOwner) {
    fProgressMax = 20;
    fProgressValue = 0;
}

TCustomScriptExtract::~TCustomScriptExtract() {
    SetDBStructure(nullptr);
}

// ---------------------------------------------------------------------------
// File lists

std::vector<std::string> TCustomScriptExtract::SplitFileSpec(const std::string& aText) {
    std::vector<std::string> names;
    if (!aText.empty() && aText.front() == '"' && aText.find(' ') != std::string::npos) {
        std::size_t i = 0;
        while (i < aText.size()) {
            if (aText[i] != '"') {
                ++i;
                continue;
            }
            const std::size_t close = aText.find('"', i + 1);
            const std::size_t end = close == std::string::npos ? aText.size() : close;
            if (end > i + 1) names.push_back(aText.substr(i + 1, end - i - 1));
            i = end + 1;
        }
    } else if (!aText.empty()) {
        std::string name = aText;
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

namespace {

bool IsRegularFile(const std::string& aPath) {
    struct stat st {};
    return ::stat(aPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::vector<std::string> TCustomScriptExtract::ExpandFileMask(const std::string& aName) {
    std::vector<std::string> files;
    const std::size_t slash = aName.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : aName.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? aName : aName.substr(slash + 1);
    if (pattern.find_first_of("*?") == std::string::npos) {
        if (IsRegularFile(aName)) files.push_back(aName);
        return files;
    }
    std::error_code ec;
    std::filesystem::directory_iterator it(dir.empty() ? std::filesystem::path(".") : std::filesystem::path(dir), ec);
    if (ec) return files;
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        // Only "*" and "?" are wildcards: every other character stands for itself.
        std::string escaped;
        for (char c : pattern) {
            if (c == '[' || c == ']' || c == '\\') escaped += '\\';
            escaped += c;
        }
        if (::fnmatch(escaped.c_str(), name.c_str(), 0) != 0) continue;
        const std::string path = dir + name;
        if (IsRegularFile(path)) files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

void TCustomScriptExtract::SetScriptFileName(const std::string& aValue) {
    fScriptFileName = aValue;
    fScriptFileNames.clear();
    fMissingFileNames.clear();
    for (const std::string& name : SplitFileSpec(aValue)) {
        std::vector<std::string> files = ExpandFileMask(name);
        if (files.empty()) fMissingFileNames.push_back(name);
        fScriptFileNames.insert(fScriptFileNames.end(), files.begin(), files.end());
    }
}

void TCustomScriptExtract::SetScriptFileNames(const std::vector<std::string>& aNames) {
    fScriptFileNames = aNames;
    fMissingFileNames.clear();
    fScriptFileName.clear();
    for (const std::string& n : aNames) {
        if (!fScriptFileName.empty()) fScriptFileName += ' ';
        fScriptFileName += '"' + n + '"';
    }
}

// ---------------------------------------------------------------------------
// Structure, parser and events

std::unique_ptr<TCustomParser> TCustomScriptExtract::CreateParser() {
    if (!fDBStructure) return nullptr;
    return std::make_unique<TCustomParser>(this);
}

void TCustomScriptExtract::SetDBStructure(TCustomDBStructure* aStructure) {
    fParser.reset();
    TCustomExtract::SetDBStructure(aStructure);
    if (!fDBStructure) return;
    fParser = CreateParser();
    if (!fParser) return;
    fParser->OnErrorMessage = OnErrorMessage;
    fParser->OnLogNextLine = OnLogNextLine;
    fParser->OnDebugMessage = OnDebugMessage;
    fParser->OnProgressUpdate = OnProgressUpdate;
    fInitialTermStr = fParser->GetTermStr();
}

void TCustomScriptExtract::SetOnErrorMessage(TErrorMessageEvent aHandler) {
    OnErrorMessage = std::move(aHandler);
    if (fParser) fParser->OnErrorMessage = OnErrorMessage;
}

void TCustomScriptExtract::DoBeforeScriptsExtract() {
    if (!fDBStructure || !fDBStructure->GetObjs()) return;
    TCustomObjs* objs = fDBStructure->GetObjs();
    objs->fConnectionOptions.Clear();
    if (auto* sql = dynamic_cast<TCustomSQLParser*>(fParser.get())) sql->fConnectionOptions.Clear();
    const std::string ver = objs->GetDefinedSQLVersion();
    if (!ver.empty()) DoLogNextLine(ver);
}

void TCustomScriptExtract::ResetParserState() {
    if (fParser) fParser->SetTermStr(fInitialTermStr);
}

// ---------------------------------------------------------------------------
// The run

void TCustomScriptExtract::ErrorAt(const std::string& aText, const std::string& aFileName) {
    if (OnErrorMessage) OnErrorMessage(this, aText);
    else ShowMessage(aText);
    fMsgMngr.AddScriptMsg(aText, aFileName, 0, 0, mt_Err);
}

bool TCustomScriptExtract::TakeParserMessages() {
    // The parser keeps the messages of the whole run; the new ones are copied here.
    const TMsgManager& pm = fParser->GetMsgMngr();
    bool err = false;
    for (; fParserMsgsTaken < pm.Count(); ++fParserMsgsTaken) {
        const TMsgData& m = pm.Get(fParserMsgsTaken);
        if (m.MsgType == mt_Err) err = true;
        if (m.FileName.empty() && m.Obj) fMsgMngr.AddObjMsg(m.Msg, m.Obj, m.PosX, m.PosY, m.MsgType);
        else fMsgMngr.AddScriptMsg(m.Msg, m.FileName, m.PosX, m.PosY, m.MsgType);
    }
    return err;
}

bool TCustomScriptExtract::ParseSource(const TSource& aSource) {
    TCustomObjs* objs = fDBStructure->GetObjs();
    fParser->SetScriptFileName(aSource.FileName);
    const std::vector<std::string>* lines = aSource.Lines;
    if (!lines && OnLoadScript) {
        bool loaded = false;
        fScript.clear();
        OnLoadScript(this, aSource.FileName, fScript, loaded);
        if (!loaded) {
            ErrorAt("Script not load: " + aSource.FileName, aSource.FileName);
            return false;
        }
        lines = &fScript;
    } else if (!lines && !std::filesystem::exists(aSource.FileName)) {
        ErrorAt("File not found: " + aSource.FileName, aSource.FileName);
        return false;
    }
    bool ok = true;
    try {
        if (lines) {
            fParser->ParseScript(*lines, objs);
        } else {
            fParser->ParseFile(aSource.FileName, objs);
            // A file is read by the core, which leaves the CONNECT options in the parser.
            if (auto* sql = dynamic_cast<TCustomSQLParser*>(fParser.get()))
                objs->fConnectionOptions = sql->fConnectionOptions;
        }
    } catch (const std::exception& e) {
        ErrorAt("Script not load: " + std::string(e.what()), aSource.FileName);
        ok = false;
    }
    if (TakeParserMessages()) ok = false;
    return ok;
}

bool TCustomScriptExtract::Run(const std::vector<TSource>& aSources, bool aFromFiles) {
    TCustomExtract::ExtractDatabase();
    if (!fDBStructure || !fDBStructure->GetObjs()) {
        DoErrorMessage("DBStructure not assigned. (" + std::string(ClassName()) + ") " + GetName());
        return false;
    }
    if (!fParser && (fParser = CreateParser())) fInitialTermStr = fParser->GetTermStr();
    if (!fParser) {
        DoErrorMessage("Parser not created. (" + std::string(ClassName()) + ") " + GetName());
        return false;
    }
    fDBStructure->Clear();
    TCustomObjs* objs = fDBStructure->GetObjs();
    objs->ExtractFrom = efScript;
    fScript.clear();
    fParser->GetMsgMngr().Clear();
    fParserMsgsTaken = 0;
    objs->SetDatabaseType(fDatabaseType);
    DoBeforeScriptsExtract();

    bool result = true;
    if (aFromFiles) {
        if (fScriptFileNames.empty() && fMissingFileNames.empty()) {
            DoErrorMessage("ScriptFileName(s) is empty. (" + std::string(ClassName()) + ") " + GetName());
            result = false;
        }
        for (const std::string& n : fMissingFileNames) {
            ErrorAt("File not found: " + n, n);
            result = false;
        }
    }
    for (const TSource& source : aSources) {
        ResetParserState();
        if (!ParseSource(source)) result = false;
    }

    // What was parsed is linked even when another source failed: the run reports every
    // error and the set it leaves is consistent.
    if (auto* sql = dynamic_cast<TCustomSQLParser*>(fParser.get()))
        for (TDmnData* d : objs->Dmn) sql->ParseObjBody(d);
    fParser->Link_Depend();
    if (TakeParserMessages()) result = false;
    return result;
}

bool TCustomScriptExtract::ExtractDatabase() {
    std::vector<TSource> sources;
    for (const std::string& n : fScriptFileNames) sources.push_back({n, nullptr});
    return Run(sources, true);
}

bool TCustomScriptExtract::ExtractDatabase(const std::vector<std::string>& aScript) {
    return Run({TSource{fScriptFileName, &aScript}}, false);
}

}  // namespace dbtwin
