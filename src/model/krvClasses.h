// Metadata object base and one database's object set. TDbObj holds what every kind of
// metadata object shares (names, quoting, definitions, dependency links, the created flag)
// and the create/drop engine that writes an object together with what it needs; TCustomObjs
// holds one sorted keyed list per object kind and links objects by their uses.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/krvDBOptions.h"
#include "core/krvDialect.h"
#include "core/krvQuote.h"
#include "core/krvRareString.h"
#include "core/krvRareVector.h"
#include "core/krvTypes.h"
#include "model/krvObjList.h"

namespace dbtwin {

class TCustomObjs;
class TDbObj;
class TCustomSQLExec;
class TCustomDBStructure;
class TDependObj;
class TTblData;
class TFldData;
class TViwData;
class TPrcData;
class TTrgData;
class TCtrData;
class TDmnData;
class TIdxData;
class TGntData;
class TUdfData;
class TGnrData;
class TExcData;
class TDefData;
class TRulData;
class TPkgData;
class TRolData;
class TPblData;
class TSchData;
class TOprData;
class TOpcData;
class TCnvData;
class TEvtData;
class TCltData;

// Quote_Ident, the identifier as written into a script of a database kind, comes from
// core/krvQuote.

// Links of an object to the objects it uses or that use it, in the order they were made.
using TDependList = TRareVector<std::unique_ptr<TDependObj>>;
using TFldList = TKeyedList<TFldData>;

// The kind lists of an object set, in the order the set declares them; olNone for an
// object that no kind list holds (a column, a parameter, a link).
enum TObjListKind : std::uint8_t {
    olNone, olSch, olDmn, olUdf, olTrg, olPrc, olTbl, olExc, olGnr, olIdx, olViw, olRol, olGnt,
    olCtr, olPrk, olFrk, olUnq, olChk, olRef, olCdf, olRul, olDef, olPkg, olPbl, olOpr, olOpc,
    olCnv, olEvt, olClt
};

// What a description statement names, as the object's kind answers it.
struct TDescriptionTarget {
    TObjListKind Kind = olNone;     // the object's kind list
    bool Field = false;             // a column or parameter
    bool Column = false;            // a column of a table or view (or, without owner, of kind dboField)
    bool OfView = false;            // a column of a view
    bool Parameter = false;         // a parameter of a procedure (or, without owner, of kind dboParam)
    bool Function = false;          // a procedure that is a function
    const TDbObj* Owner = nullptr;  // a field's table, view or procedure; a trigger's table
    std::string OwnerName;          // its name; the table of a trigger, constraint or index
    std::string Signature;          // a procedure's parameter list (PostgreSQL)
    std::string TypeWord;           // a domain's type word (SQL Server)
    std::string ColumnType;         // a column's type text (MySQL)
};

// How a user of an object is pulled in before the user is created: the walk over the
// links that every object makes, or the second walk of a view, which also rebuilds the
// changed views it selects from and ignores the links' Active flag.
enum TUseWalk : std::uint8_t { uwActiveLinks, uwViewSources };

// The name as the set's database kind stores it (SQL Server folds names to upper case unless
// its identifiers are case-sensitive); unchanged without a set.
std::string FoldedName(const TCustomObjs* aObjs, const std::string& aName);

// The parts of an object that most objects leave unset, held apart until one is written.
struct TDbObjExtra {
    TRareVector<std::unique_ptr<TObject>> fCompRules;
    TRareVector<std::unique_ptr<TObject>> fPumpRules;
    TRareString fDescription;
    TRareString fSourceDefinition;
    TRareString fCurrentDefinition;
    TRareString SysName;
    TRareString Text;
    TRareString OwnUser;
    TRareString SchemaPath;
};

class TDbObj : public TObject {
public:
    explicit TDbObj(TCustomObjs* aObjs);
    ~TDbObj() override;
    TDbObj(const TDbObj&) = delete;
    TDbObj& operator=(const TDbObj&) = delete;

    // Class name as shown in drop comments and messages ("TTblData", ...).
    virtual const char* ClassName() const { return "TDbObj"; }

    TDbObj* fRefObj = nullptr;                    // matching object of the other set
    TCustomObjs* fObjs = nullptr;                 // owning set; not owned
    TDependList fUseIn;                           // objects that use this one
    TDependList fUseOf;                           // objects this one uses
    TRareString fBody;                            // routine/trigger/view body; column: computed-by
    TRareString fSchema;
    std::string fObjName;
    std::int32_t fImageIndex = -1;
    std::int32_t ObjID = 0;
    std::int32_t Line = 0;
    TDbObject fObjType = dboUnknown;
    bool fObjCreated = true;
    bool MsQuotedIdent = false;
    bool MsAnsiNulls = false;
    bool CompExclude = false;

    // What few objects carry (descriptions, rules, source texts, owner); the shared empty
    // block while unset.
    const TDbObjExtra& Extra() const { return fExtra ? *fExtra : fNoExtra; }
    TDbObjExtra& EditExtra();

    // Accessors.
    const std::string& GetObjName() const { return fObjName; }
    void SetObjName(const std::string& aName);
    const std::string& GetSchema() const { return fSchema; }
    void SetSchema(const std::string& aSchema);
    const std::string& GetDescription() const { return Extra().fDescription; }
    void SetDescription(const std::string& aText);
    const std::string& GetBody() const { return fBody; }
    void SetBody(const std::string& aText);
    TDbObject GetObjType() const { return fObjType; }
    void SetObjType(TDbObject aType) { fObjType = aType; }
    TDbObj* GetRefObj() const { return fRefObj; }
    void SetRefObj(TDbObj* aObj) { fRefObj = aObj; }
    std::string GetObjFullName() const;
    std::string GetShortObjName() const;
    std::string GetRefObjName() const;
    std::string GetDbPrefix() const;
    TDatabaseType GetDatabaseType() const;
    const TIBServerOptions* GetIBServerOptions() const;
    TCmpObjSetType GetCompareObjects() const;
    TCustomSQLExec* GetSQLExec() const;
    // How InterBase/Firebird descriptions are written; udDescribe for other kinds.
    TUpdateDescriptionType GetUpdateDescriptionType() const;

    // Virtual operations.
    virtual bool GetObjCreated() const { return fObjCreated; }
    // Sets the flag here and on the matching object of the other set.
    virtual void SetObjCreated(bool Value);
    virtual std::string GetCaption() const;
    virtual std::int32_t GetImageIndex() const { return fImageIndex; }
    virtual std::string GetObjKeyDef() const;
    virtual std::string Def() const { return std::string(); }
    virtual std::string CompareDef() const;
    virtual void CreateDependDef();
    virtual void DropDependDef();
    // DropDependDef for a target table or generator that the master also holds: used where
    // such an object must be dropped to be created again.
    void DropDependDefKeptByMaster();
    virtual void DoBeforeDrop();
    virtual void DoAfterDrop() { SetObjCreated(false); }
    virtual void DoBeforeCreate();
    virtual void DoAfterCreate() { SetObjCreated(true); }
    virtual std::string CreateDef() const;
    virtual std::string DropDef() const;
    virtual std::string AlterDef() const { return "/* Alter <...> */"; }
    virtual std::string SourceDef() const;
    virtual std::string GenComment(const std::string& aComment) const;
    virtual std::string QuoteIdent(const std::string& aIdent) const;
    // The object's QuoteIdent as a callable, for the qualification rules of the dialect traits.
    auto Quoter() const {
        return [this](const std::string& aIdent) { return QuoteIdent(aIdent); };
    }
    // The statement that sets the object's description in the object's dialect; empty
    // when the object is excluded or descriptions are not compared.
    virtual std::string DescriptionDef() const;
    std::string IBDescriptionDef() const;
    std::string ASADescriptionDef() const;
    std::string MySQLDescriptionDef() const;
    std::string OracleDescriptionDef() const;
    std::string MSSQLDescriptionDef() const;
    std::string PGSQLDescriptionDef() const;

    // Kind hooks: what the engine asks an object instead of testing its class. Each kind's
    // unit overrides what applies to it.
    // The kind list the object is filed in.
    virtual TObjListKind ListKind() const { return olNone; }
    // A column or parameter (TFldData).
    virtual bool IsField() const { return false; }
    // A column with a computed-by expression.
    virtual bool IsComputedColumn() const { return false; }
    // The table, view or procedure that owns a column or parameter.
    virtual TDbObj* GetOwnerObj() const { return nullptr; }
    // The columns of a table or view.
    virtual const TFldList* GetColumns() const { return nullptr; }
    // Calls f for every field that holds links of its own (columns, parameters, results).
    virtual void ForEachField(const std::function<void(TDbObj*)>& /*f*/) const {}
    // Calls f for every field whose description is written with the object's.
    virtual void ForEachDescribedField(const std::function<void(TDbObj*)>& /*f*/) const {}
    // What a description statement of the object names.
    virtual TDescriptionTarget DescriptionTarget() const;
    // The text saved before the body in a saved object's header file.
    virtual std::string SaveHeaderDef() const { return std::string(); }
    // Writes the create statement (statement kind and what goes with it) and marks the
    // object created where the kind does so at once.
    virtual void AddCreateStatement();
    // Adds the descriptions written with a create.
    virtual void AddCreateDescriptions() {}
    // The name under which the drop statement is listed.
    virtual std::string DropStatementName() const { return fObjName; }
    // A target object that DropDependDef leaves standing when the master holds its key.
    virtual bool KeptWhenMasterHolds() const { return false; }
    // A user that stands is dropped with the object it uses even when their link was
    // consumed.
    virtual bool DroppedWithUsed() const { return false; }
    // aUser, about to be created, uses this object through aLink: create what it needs
    // first, in the way the walk asks.
    virtual void CreateForUser(TDbObj* /*aUser*/, TDependObj* /*aLink*/, TUseWalk /*aWalk*/) {}
    // This object uses aUsed, about to be dropped, through aLink (an active link of a user
    // that stands): drop or neutralise this object first.
    virtual void DropForUsed(TDbObj* /*aUsed*/, TDependObj* /*aLink*/) {}
    // Objects of a kind that merges equal entries instead of filing them twice (grants):
    // the key under which entries are merged (empty for every other kind), and the merge
    // of aOther into this one, false when the two cannot be merged.
    virtual std::string MergeKey() const { return std::string(); }
    virtual bool MergeFrom(const TDbObj& /*aOther*/) { return false; }

    // Dependency state: some active user that is created / some active used object that is not.
    bool UseInActive() const;
    bool UseOfActive() const;

    // Judges the name by the rule of the database kind and, when it is system-generated,
    // moves it (a constraint's name to SysName, a domain's check constraint name away).
    virtual void CheckSysName() {}

    // Appends a statement to the set's statement list (nothing without one).
    TStatement* AddStatement(const std::string& aText, TStatType aTyp, const std::string& aObjName,
                             TDbObject aObjType, TDbOperation aOperation,
                             const std::string& aOwnName = std::string());
    // Adds this object's description statement to the set's statement list.
    void AddDescription();
    // Adds this object's description statement to aExec (nothing without one): the text of
    // DescriptionDef, and for a column or parameter the name of its table, view or procedure
    // as the statement's owner. Returns the statement, nullptr when none was added.
    TStatement* AddDescription(TCustomSQLExec* aExec);
    // The set's statement list with its current schema set to this object's schema: the
    // one place where a statement written for an object switches the schema.
    TCustomSQLExec* GetSQLExecInSchema() const;
    // Pulls in what this object uses, in the order of its use links; each used object
    // decides by its CreateForUser hook.
    void CreateUsedObjects(TUseWalk aWalk);

protected:
    // Owner table, view or routine name of a column or parameter, empty for other kinds.
    virtual std::string OwnerTableName() const { return std::string(); }

private:
    static const TDbObjExtra fNoExtra;  // what Extra() reads while unset
    bool fInCreate = false;  // guards against endless recursion through cyclic uses
    bool fInDrop = false;
    std::unique_ptr<TDbObjExtra> fExtra;
};

// One dependency link. Links come in pairs: a link in the user's fUseOf list and its
// counterpart in the used object's fUseIn list; each knows the other, so either object
// can remove both when it goes away. A link is a small record, not a schema object: a large
// schema holds hundreds of thousands of them.
class TDependObj : public TObject {
public:
    explicit TDependObj(TCustomObjs* aObjs = nullptr);
    ~TDependObj() override;
    // Links are made and freed by the hundred thousand: they come from a pool of fixed-size
    // blocks rather than one heap allocation each.
    static void* operator new(std::size_t aSize);
    static void operator delete(void* aPtr, std::size_t aSize) noexcept;
    const char* ClassName() const { return "TDependObj"; }

    TDbObj* Obj = nullptr;          // the linked object; not owned
    TDbObj* tblObj = nullptr;
    TDbObj* viwObj = nullptr;
    TDependObj* Partner = nullptr;  // the counterpart link in the other object's list
    TDbObj* Holder = nullptr;       // the object whose list holds this link
    std::string fObjName;           // the linked object's name and kind as linked
    TRareString ObjField;           // column of the linked object, when linked by column name
    std::int32_t PosX = -1;
    std::int32_t PosY = -1;
    TDbObject fObjType = dboDepend;
    bool Active = true;
    bool ActiveSaved = true;        // Active as saved by TCustomObjs::SaveLinkStates
    bool Computed = false;
    bool InUseIn = false;           // held in Holder's fUseIn (else in its fUseOf)

    std::string GetCaption() const;
};

// One row of the table of an object set's kind lists: what the list is and which of the
// loops over "all kinds" take it. A gap in a loop is a flag here, never a missing line.
struct TKindList {
    TObjListKind Kind;
    const char* Name;         // the set's member ("Tbl")
    const char* Word;         // kind word of a saved object's file name; empty: none
    bool Filed;               // AddObj files objects of this kind here (the per-type
                              // constraint lists are filled by their readers)
    bool CaseRule;            // SetDatabaseType applies the dialect's key case rule
    bool Compared;            // the comparer matches its objects and sets their created flags
    bool Linked;              // its objects hold dependency links (ForEachObject)
    bool ColumnsMatched;      // the comparer also matches the columns of matched objects
    bool ColumnsFlagged;      // the comparer also resets and flags those columns
    // Access to this list of a set.
    void (*Clear)(TCustomObjs& aObjs);
    void (*SetCaseSensitive)(TCustomObjs& aObjs, bool aValue);
    bool (*Add)(TCustomObjs& aObjs, const std::string& aKey, TDbObj* aObj);
    TDbObj* (*Find)(const TCustomObjs& aObjs, std::string_view aKey);
    void (*ForEach)(const TCustomObjs& aObjs, const std::function<void(TDbObj*)>& f);
};

// Writes the drops of the created objects of kind list aKind of a target set that have no
// master counterpart: a heading comment before the first (aHeading of that object), each
// object's DropDependDef followed by aAfterDrop, and a line break after the last.
void DropUnmatchedObjects(const TCustomObjs& aObjs, TObjListKind aKind, TCustomSQLExec* aExec,
                          const std::function<std::string(const TDbObj*)>& aHeading,
                          const std::function<void(TDbObj*)>& aAfterDrop = nullptr);

// A routine that decides whether an object may be filed.
using TAccept_ObjEvent = std::function<void(TCustomObjs* Sender, TDbObj* aObj, bool& Accept)>;

// The metadata of one database.
class TCustomObjs : public TObject, public TServerOptionsSet<TIBServerOptions> {
public:
    TCustomObjs();
    ~TCustomObjs() override;
    TCustomObjs(const TCustomObjs&) = delete;
    TCustomObjs& operator=(const TCustomObjs&) = delete;

    TCustomDBStructure* fDBStructure = nullptr;
    TCustomObjs* fLinkedObjs = nullptr;
    std::string fTermString = ";";
    TCmpObjSetType fCompareObjects = TCmpObjSetType::All();
    TConnectionOptions fConnectionOptions;
    // The server options of every kind (fIBServerOptions, ...) come from TServerOptionsSet.
    TDatabaseType fDatabaseType = dbAbstract;
    TCompareRoleType fCompareRole = crUnknownRole;
    TCustomSQLExec* fSQLExec = nullptr;
    TLogNextLineEvent fOnLogNextLine;
    TIdentQuoteType fIdentQuote = iqAutoQuote;
    TAccept_ObjEvent fOnAccept_Obj;
    bool fGenTargetDef = false;

    // Kind lists: filing key -> object; the set owns the objects.
    TKeyedList<TSchData> Sch{true, true, true};
    TKeyedList<TDmnData> Dmn{true, true, true};
    TKeyedList<TUdfData> Udf{true, true, true};
    TKeyedList<TTrgData> Trg{true, true, true};
    TKeyedList<TPrcData> Prc{true, true, true};
    TKeyedList<TTblData> Tbl{true, true, true};
    TKeyedList<TExcData> Exc{true, true, true};
    TKeyedList<TGnrData> Gnr{true, true, true};
    TKeyedList<TIdxData> Idx{true, true, true};
    TKeyedList<TViwData> Viw{true, true, true};
    TKeyedList<TRolData> Rol{true, true, true};
    TKeyedList<TGntData> Gnt{true, true, true};
    TKeyedList<TCtrData> Ctr{true, true, true};
    // Per-type constraint lists; never filled by AddObj.
    TKeyedList<TCtrData> Prk{true, true, false};
    TKeyedList<TCtrData> Frk{true, true, false};
    TKeyedList<TCtrData> Unq{true, true, false};
    TKeyedList<TCtrData> Chk{true, true, false};
    TKeyedList<TCtrData> Ref{true, true, false};
    TKeyedList<TCtrData> Cdf{true, true, false};
    TKeyedList<TRulData> Rul{true, true, true};
    TKeyedList<TDefData> Def{true, true, true};
    TKeyedList<TPkgData> Pkg{true, true, true};
    TKeyedList<TPblData> Pbl{true, true, true};
    TKeyedList<TOprData> Opr{true, true, true};
    TKeyedList<TOpcData> Opc{true, true, true};
    TKeyedList<TCnvData> Cnv{true, true, true};
    TKeyedList<TEvtData> Evt{true, true, true};
    TKeyedList<TCltData> Clt{true, true, true};

    std::vector<std::string> MetaData;
    std::string CurrentSchema;
    std::string CurrentSchemaPath;
    std::string DBDescription;
    TExtractFromType ExtractFrom = efUnknown;

    virtual void Clear();
    virtual void SetSourceDefinition() {}
    virtual void ExtractMetadata() {}
    virtual void ExtractMetadata(std::vector<std::string>& /*Script*/) {}

    // Files an object under its key in the list of its kind; true when filed. Refused,
    // filtered (IBE$) and unknown objects are freed when FreeNotAdded is set; an object
    // whose key is already filed is kept alive by the set until Clear, so a caller that
    // goes on filling it never touches freed memory.
    bool AddObj(TDbObj* aObj, bool FreeNotAdded = true);
    virtual bool Accept_Obj(TDbObj* aObj);
    // Files a grant or merges it into an equal one; returns the grant when filed, nullptr
    // when merged (the caller then frees it). AddGrantObj does the work on TDbObj (through
    // MergeKey and MergeFrom), so the set needs no grant class.
    template <typename G>
    G* AddGrant(G* aGrant) {
        return static_cast<G*>(AddGrantObj(aGrant));
    }
    TDbObj* AddGrantObj(TDbObj* aGrant);
    void SortGrants();

    void LinkDepend(TDbObj* aUser, TDbObj* aUsed, const std::string& aFieldName = std::string(),
                    std::int32_t PosX = -1, std::int32_t PosY = -1);
    void InternalLinkDepend(TDbObj* aUser, TDbObj* aUsed,
                            const std::string& aFieldName = std::string(), std::int32_t PosX = -1,
                            std::int32_t PosY = -1);
    // Removes every link of aObj whose linked object is aOther, with its counterpart.
    void ClearDepend(TDbObj* aObj, TDbObj* aOther);
    // Removes every link to or from aObj (and, for a table or view, its columns).
    void RemoveDepend(TDbObj* aObj);
    // Link Active flags are consumed while a script is generated; these keep and restore
    // them so that a second generation over the same sets gives the same script.
    void SaveLinkStates();
    void RestoreLinkStates();

    TCustomObjs* GetObjsMaster();
    TCustomObjs* GetObjsTarget();
    std::string GetDbPrefix() const;
    std::string GetDefinedSQLVersion() const;
    std::string DbConnectStr() const;
    std::int32_t ODSMajorVersionOfTarget() const;
    void ErrMsg(const std::string& aText);
    void DoLogNextLine(const std::string& aText);

    TDatabaseType GetDatabaseType() const { return fDatabaseType; }
    void SetDatabaseType(TDatabaseType aType);
    TCompareRoleType GetCompareRole() const { return fCompareRole; }
    void SetCompareRole(TCompareRoleType aRole) { fCompareRole = aRole; }
    TCustomObjs* GetLinkedObjs() const { return fLinkedObjs; }
    void SetLinkedObjs(TCustomObjs* aObjs) { fLinkedObjs = aObjs; }
    TCustomSQLExec* GetSQLExec() const { return fSQLExec; }
    void SetSQLExec(TCustomSQLExec* aExec) { fSQLExec = aExec; }
    TCmpObjSetType GetCompareObjects() const { return fCompareObjects; }
    void SetCompareObjects(TCmpObjSetType aSet) { fCompareObjects = aSet; }

    // Calls f(obj) for every object of the linked kind lists, each followed by its fields
    // (columns of a table or view, parameters and results of a procedure), in the order of
    // the kind list table.
    void ForEachObject(const std::function<void(TDbObj*)>& f) const;

    // The table of kind lists, one row per list in declaration order.
    static const std::vector<TKindList>& KindLists();
    // The row of a kind list; nullptr for olNone.
    static const TKindList* KindListOf(TObjListKind aKind);
    // The object filed under aKey in the kind list aKind, or nullptr.
    TDbObj* FindInList(TObjListKind aKind, std::string_view aKey) const;

private:
    void IndexGrant(TDbObj* aGrant, const std::string& aKey);

    std::vector<std::unique_ptr<TDbObj>> fNotFiled;  // duplicates kept alive until Clear
    // Grants by (object, grantee, option) -> their filing keys, for merging without a scan.
    std::unordered_map<std::string, std::vector<std::string>> fGrantIndex;
};

}  // namespace dbtwin
