// Extractor base: fills a structure's object set from a database or from scripts. It holds
// the link to the structure, the include and exclude name masks, the accept decision with
// its two events, progress, log, error and debug events, the messages of a run and the
// categories to extract. It is the TExtractorLink through which the structure's set and
// the parsers reach it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/krvComponent.h"
#include "core/krvMsgMngr.h"
#include "core/krvTypes.h"
#include "model/krvCustomDBStructure.h"

namespace dbtwin {

using TAcceptObjEvent =
    std::function<void(TObject* Sender, const std::string& aObjName, TDbObject aObjType, bool& Accept)>;
using TAcceptDbObjEvent = std::function<void(TObject* Sender, TDbObj* aObj, bool& Accept)>;

class TCustomExtract : public TExtractorLink {
public:
    explicit TCustomExtract(TComponent* aOwner = nullptr);
    ~TCustomExtract() override;

    TProgressUpdateEvent OnProgressUpdate;
    TProgressUpdateExEvent OnProgressUpdateEx;
    TLogNextLineEvent OnLogNextLine;
    TErrorMessageEvent OnErrorMessage;
    TLogNextLineEvent OnDebugMessage;
    TAcceptObjEvent OnAcceptObj;
    TAcceptDbObjEvent OnAccept_Obj;

    void SetDBStructure(TCustomDBStructure* aStructure) override;
    TCustomDBStructure* GetDBStructure() const override { return fDBStructure; }
    virtual TCmpObjSetType GetCompareObjects() const { return fExtractObjects; }
    void DoProgressUpdate(int Value, int MaxValue) override;
    virtual void DoProgressUpdateEx(bool Detailed, const std::string& aText, int Value, int MaxValue);
    virtual TMsgManager& GetMsgManager() { return fMsgMngr; }
    virtual void DoDbgMsg(const std::string& aText);
    void DoLogNextLine(const std::string& aText) override;
    bool LogNextLineFrom(TObject* aSender, const std::string& aText) override;
    // Logs the user-defined server version of the structure's set, when there is one.
    virtual void DoBeforeDatabaseExtract();
    // Raises OnErrorMessage, or shows the text when no handler is assigned; always records
    // the text as an error of the run.
    void DoErrorMessage(const std::string& aText) override;
    // Clears the messages of the previous run; descendants extract after calling it.
    virtual bool ExtractDatabase();

    // Whether aName matches one mask: "PREFIX%" or "%SUFFIX" ("*" counts as "%"), or,
    // for a mask without wildcard, the name itself. Case-sensitive.
    static bool LikeObjName(const std::string& aName, const std::string& aMask);
    bool IsInclObjName(const std::string& aName) const;
    bool IsExclObjName(const std::string& aName) const;
    // Name lists and database prefix, then the OnAcceptObj hook.
    bool AcceptObj(const std::string& aName, TDbObject aObjType) override;
    // Files the object in the structure's set when accepted; frees it otherwise.
    bool AddObj(TDbObj* aObj) override;
    bool ReadsEveryObject() const override;
    // The accept decision for an object, by its class.
    bool Accept_Obj(TDbObj* aObj);
    void ObjsAccept_Obj(TObject* /*Sender*/, TDbObj* aObj, bool& Accept) { Accept = Accept_Obj(aObj); }

    // One mask per line; the given text is trimmed first.
    void SetIncludeObjsNames(const std::string& aText);
    void SetExcludeObjsNames(const std::string& aText);
    const std::vector<std::string>& GetIncludeObjsNames() const { return fIncludeObjsNames; }
    const std::vector<std::string>& GetExcludeObjsNames() const { return fExcludeObjsNames; }
    TCmpObjSetType GetExtractObjects() const { return fExtractObjects; }
    void SetExtractObjects(TCmpObjSetType aSet) { fExtractObjects = aSet; }
    bool GetShowFullLog() const { return fShowFullLog; }
    void SetShowFullLog(bool aValue) override { fShowFullLog = aValue; }
    TDatabaseType GetDatabaseType() const { return fDatabaseType; }

protected:
    void Notification(TComponent* aComponent, TOperation aOperation) override;

    int fProgressMax = 0;
    int fProgressValue = 0;
    bool fShowFullLog = true;
    TCustomDBStructure* fDBStructure = nullptr;  // not owned
    TDatabaseType fDatabaseType = dbAbstract;
    TCmpObjSetType fExtractObjects = TCmpObjSetType::All();
    TMsgManager fMsgMngr;
    std::vector<std::string> fIncludeObjsNames;
    std::vector<std::string> fExcludeObjsNames;
};

}  // namespace dbtwin
