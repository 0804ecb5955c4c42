// Triggers: the record, the header texts per database kind, the empty body that
// neutralises a trigger while what it uses is rebuilt, and the trigger generators.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "objects/krvComp_Tbl.h"

namespace dbtwin {

enum TBefAftType : std::uint8_t { baUnknown, baBefore, baAfter, baResolve, baFor, baInsteadOf };
DBTWIN_ENUM_COUNT(TBefAftType, 6);
enum TInsUpdDelType : std::uint8_t { iudUnknown, iudInsert, iudUpdate, iudDelete, iudInsUpd, iudSelect };
DBTWIN_ENUM_COUNT(TInsUpdDelType, 6);
using TInsUpdDelSet = TSet<TInsUpdDelType>;

// One single-table InterBase trigger type: its code, timing, events and text.
struct TTrgType {
    std::int32_t Typ;
    TBefAftType befAft;
    TInsUpdDelSet InsUpdDel;
    const char* TypStr;
};

// The 14 single-table InterBase trigger types.
extern const std::array<TTrgType, 14> TrgTypes;
// The entry of TrgTypes with that code, or nullptr.
const TTrgType* FindTrgType(std::int32_t aTyp);
// The InterBase code of a timing and event set, 0 when no single-table type matches.
std::int32_t TrgTypeCode(TBefAftType aBefAft, TInsUpdDelSet aInsUpdDel);

class TTrgData : public TDbObj {
public:
    explicit TTrgData(TCustomObjs* aObjs);
    const char* ClassName() const override { return "TTrgData"; }

    std::string fOwnName;            // owning table or view; "DATABASE" / "ALL SERVER"
    TDbObj* fOwnObj = nullptr;       // owning table or view; not owned
    bool fRestoreBody = false;       // the target trigger was emptied: write the master body again
    mutable std::string SourceBody;  // body as found in the source
    std::string CreateBody;          // body at the moment the trigger was created in the script
    bool Active = true;
    TBefAftType BefAft = baUnknown;
    TInsUpdDelSet InsUpdDel;
    std::int32_t Position = 0;
    std::int32_t Typ = 0;            // InterBase trigger type code
    TFldList Flds;                   // UPDATE OF columns
    std::string RefNew, RefOld, RefRem, RefNewTbl, RefOldTbl, RefParent;
    std::string WhenExpr;
    bool ForEachRow = false;
    bool ForEachStatement = false;
    std::string Mode;                // DB2 MODE
    TASASQLDialect ASADialect = asaSybaseSQL;
    bool WithAppend = false;
    bool NotForReplication = false;
    std::string EventType;           // event text of database- and server-level triggers

    TFldData* AddFld(const std::string& aName);
    // Sets timing and events, and the InterBase code that stands for them.
    void SetEvents(TBefAftType aBefAft, TInsUpdDelSet aInsUpdDel);

    // Stores the owner name and, when it changed or no owner is linked yet, looks the owner
    // up in the set: a table, else a view.
    void SetOwnName(const std::string& aName);
    // Copies kind, name, owner, source body, type code, body, active state, timing, events,
    // position and description of another trigger.
    void Assign(const TTrgData& aSource);
    void SetRestoreBody(bool Value);

    // Table triggers have an owner; database- and server-level triggers do not (or are
    // owned by "DATABASE" / "ALL SERVER").
    bool IsTableTrigger() const;
    // The InterBase timing and events: "BEFORE INSERT OR UPDATE", or "ON <event>" + CRLF.
    std::string TrgTypStr() const;
    // The body that does nothing, in the trigger's dialect.
    virtual std::string EmptyBody() const;
    // Def with the empty body in place of the body.
    std::string EmptyDef() const;
    // Whether AlterDef can replace a body on the trigger's database kind. MySQL has no
    // ALTER TRIGGER, PostgreSQL and DB2 cannot change a body that way and ASE has neither:
    // there a trigger is dropped and created again instead.
    bool CanAlterBody() const;
    // Neutralises a created trigger: the empty body replaces its body (written as AlterDef),
    // or, where a body cannot be replaced, the trigger is dropped. Either way the master
    // trigger is asked to write its own body again later.
    void AssignEmptyBody();
    // Replaces the body by the empty body, keeping the body it had for UndoEmptyBody.
    void SetEmptyBody();
    // Gives back the body SetEmptyBody replaced: every comparison starts from the bodies
    // as they were read, not as an earlier script left them.
    void UndoEmptyBody();
    // SQL Server and ASE header: CREATE or ALTER TRIGGER ... AS.
    std::string MSSQLHeaderDef(bool aCreate) const;

    std::string Def() const override;
    std::string AlterDef() const override;
    std::string DropDef() const override;
    std::string SourceDef() const override;
    void DoBeforeDrop() override;

    TObjListKind ListKind() const override { return olTrg; }
    TDescriptionTarget DescriptionTarget() const override;
    // A trigger is written as a trigger statement; the body it was created with is kept,
    // and what uses the trigger no longer holds it back.
    void AddCreateStatement() override;
    // A trigger that uses a dropped object is emptied, or dropped where its body cannot be
    // replaced (the trigger generator writes it again from the master).
    void DropForUsed(TDbObj* aUsed, TDependObj* aLink) override;

private:
    // The header of the trigger's dialect followed by aBody.
    std::string DefWithBody(const std::string& aBody) const;
    std::string OwnerFullName() const;

    std::string fBodyBeforeEmpty;
    bool fEmptied = false;
};

class TKeldar;

// Trigger generators of the comparer.
void GenScriptDropTrgEmpty(TCustomObjs* MObjs, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                           TCmpObjSetType CompareObjects);
void GenScriptTrigDrop(TCustomObjs* MObjs, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                       TCmpObjSetType CompareObjects);
void GenScriptTrigCreate(TCustomObjs* MObjs, TCustomObjs* TObjs, TCustomSQLExec* SQLExec,
                         TCmpObjSetType CompareObjects);
void GenScriptTrigAlter(TKeldar& Keldar);

}  // namespace dbtwin
